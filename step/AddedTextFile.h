#ifndef HEMWRIGHT_STEP_ADDEDTEXTFILE_H
#define HEMWRIGHT_STEP_ADDEDTEXTFILE_H

#include <string>

// The text named by --prepend-file or --append-file (optionName says which,
// for messages): the file's bytes, which must be UTF-8 made of characters
// XML 1.0 allows, without a leading UTF-8 byte-order mark (the plugin would
// write it as '?'). Throws StepFailure (step/ExitCodes.h): 66 with the
// system's reason when the file cannot be read, 65 when its text cannot be
// passed on, naming the byte offset and, for text that is not UTF-8, how to
// convert it.
std::string readAddedTextFile(const std::string& path, const std::string& optionName);

#endif
