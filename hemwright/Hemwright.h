#ifndef HEMWRIGHT_HEMWRIGHT_H
#define HEMWRIGHT_HEMWRIGHT_H

#include "plugin/PipelinePlugin.h"

// Adds text to files: every input file becomes "DataToPrepend", its own
// bytes unchanged, and "DataToAppend". "LineBreakStyle" (windows, unix,
// linux or mac) normalises the line breaks of the added texts and
// "AddLineBreak" ("true" or "1") puts one line break after the prepended
// text. Holds no state between calls.
class Hemwright : public Vellamor::Plugin::PipelinePlugin {
public:
    // Rewrites the input files in their order and returns 0. With neither
    // text given it touches no file and leaves a warning in output's log
    // message. Throws PipelinePluginException for an invalid style (before
    // any file is touched) and for the first file that cannot be rewritten;
    // files before it stay rewritten, it and the files after it unchanged.
    int process(Vellamor::Plugin::PipelinePluginInput& input, Vellamor::Plugin::PipelinePluginOutput& output,
                Vellamor::Plugin::PipelinePluginContext& context) override;
};

#endif
