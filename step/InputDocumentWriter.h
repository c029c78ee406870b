#ifndef HEMWRIGHT_STEP_INPUTDOCUMENTWRITER_H
#define HEMWRIGHT_STEP_INPUTDOCUMENTWRITER_H

#include "step/StepOptions.h"

#include <string>

// The input.xml that the host would write for the step the options describe:
// "SpecVersion" 1.0, one string data element per given text
// ("DataToPrepend", "DataToAppend", "LineBreakStyle"), "AddLineBreak" as the
// bool true when asked for, and one "File" per file with its absolute path.
// Written by the library's XML writer (an ISO-8859-1 document, characters
// above U+00FF and carriage returns as character references), so the plugin
// reads every text exactly as given.
// REQUIRES: the options come from parseStepOptions (texts already checked).
std::string renderInputDocument(const StepOptions& options);

// Writes renderInputDocument(options) to directory/input.xml.
// Throws std::runtime_error with the path and the reason when it cannot.
void writeInputDocument(const StepOptions& options, const std::string& directory);

#endif
