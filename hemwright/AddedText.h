#ifndef HEMWRIGHT_ADDEDTEXT_H
#define HEMWRIGHT_ADDEDTEXT_H

#include "hemwright/LineBreaks.h"

#include <optional>
#include <string>

// The bytes Hemwright writes before and after each file's content, made
// from the texts of its parameters. Hemwright::process and hemwright-step's
// dry run both call addedText, so that a preview can never disagree with a
// run.
struct AddedText {
    std::string prefix;
    std::string suffix;
};

// prefix and suffix are UTF-8. With a line break style other than None
// (hemwright/LineBreaks.h) every line break inside both texts becomes that
// style's; with lineBreakAfterPrefix one line break of the style (CR LF
// with None) is added after the prefix; then both are converted to single
// bytes (ISO 8859-1, '?' for a character above U+00FF or a malformed
// sequence).
// Nothing when both texts are empty: then no file is to be changed at all.
std::optional<AddedText> addedText(const std::string& prefix, const std::string& suffix, LineBreakStyle style,
                                   bool lineBreakAfterPrefix);

#endif
