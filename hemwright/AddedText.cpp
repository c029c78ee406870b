#include "hemwright/AddedText.h"

#include "hemwright/LineBreaks.h"
#include "util/Utf8ToLatin1Converter.h"

std::optional<AddedText> addedText(const std::string& prefix, const std::string& suffix, LineBreakStyle style,
                                   bool lineBreakAfterPrefix) {
    if (prefix.empty() && suffix.empty()) {
        return std::nullopt;
    }
    AddedText added{prefix, suffix};
    if (style != LineBreakStyle::None) {
        added.prefix = normalizeLineBreaks(added.prefix, style);
        added.suffix = normalizeLineBreaks(added.suffix, style);
    }
    if (lineBreakAfterPrefix) {
        added.prefix += lineBreakText(style);
    }
    ostrel::Utf8ToLatin1Converter converter;
    added.prefix = converter.convert(added.prefix);
    added.suffix = converter.convert(added.suffix);
    return added;
}
