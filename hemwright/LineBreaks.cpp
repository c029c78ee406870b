#include "hemwright/LineBreaks.h"

#include "util/Strings.h"

int parseLineBreakStyle(const std::string& style) {
    if (ostrel::equalsIgnoreCase(style, "windows")) {
        return 1;
    }
    if (ostrel::equalsIgnoreCase(style, "unix") || ostrel::equalsIgnoreCase(style, "linux")) {
        return 2;
    }
    if (ostrel::equalsIgnoreCase(style, "mac")) {
        return 3;
    }
    return 0;
}

std::string lineBreakText(int styleCode) {
    switch (styleCode) {
        case 2:
            return "\n";
        case 3:
            return "\r";
        default:
            return "\r\n";
    }
}

std::string normalizeLineBreaks(const std::string& text, int styleCode) {
    const std::string lineBreak = lineBreakText(styleCode);
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
