#include "hemwright/LineBreaks.h"

#include "util/Strings.h"

LineBreakStyle parseLineBreakStyle(const std::string& style) {
    if (ostrel::equalsIgnoreCase(style, "windows")) {
        return LineBreakStyle::Windows;
    }
    if (ostrel::equalsIgnoreCase(style, "unix") || ostrel::equalsIgnoreCase(style, "linux")) {
        return LineBreakStyle::Unix;
    }
    if (ostrel::equalsIgnoreCase(style, "mac")) {
        return LineBreakStyle::Mac;
    }
    return LineBreakStyle::None;
}

std::string lineBreakText(LineBreakStyle style) {
    switch (style) {
        case LineBreakStyle::Unix:
            return "\n";
        case LineBreakStyle::Mac:
            return "\r";
        case LineBreakStyle::Windows:
        case LineBreakStyle::None:
            break;
    }
    return "\r\n";
}

std::string normalizeLineBreaks(const std::string& text, LineBreakStyle style) {
    const std::string lineBreak = lineBreakText(style);
    std::string normalized;
    normalized.reserve(text.size());
    for (std::string::size_type position = 0; position < text.size(); ++position) {
        const char character = text[position];
        if (character == '\r') {
            if (position + 1 < text.size() && text[position + 1] == '\n') {
                ++position;
            }
            normalized += lineBreak;
        } else if (character == '\n') {
            normalized += lineBreak;
        } else {
            normalized += character;
        }
    }
    return normalized;
}
