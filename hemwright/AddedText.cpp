#include "hemwright/AddedText.h"

#include "hemwright/LineBreaks.h"
#include "util/Utf8ToLatin1Converter.h"

std::optional<AddedText> addedText(const std::string& prefix, const std::string& suffix, int styleCode,
                                   bool lineBreakAfterPrefix) {
    if (prefix.empty() && suffix.empty()) {
        return std::nullopt;
    }
    AddedText added{prefix, suffix};
    if (styleCode != 0) {
        added.prefix = normalizeLineBreaks(added.prefix, styleCode);
        added.suffix = normalizeLineBreaks(added.suffix, styleCode);
    }
    if (lineBreakAfterPrefix) {
        added.prefix += lineBreakText(styleCode);
    }
    ostrel::Utf8ToLatin1Converter converter;
    added.prefix = converter.convert(added.prefix);
    added.suffix = converter.convert(added.suffix);
    return added;
}
