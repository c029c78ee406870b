#include "util/PasswordMask.h"

#include "util/Strings.h"

namespace ostrel {

std::string maskPasswords(const std::string& text) {
    static const std::string kKey = "PWD=";
    // Upper-casing byte by byte keeps positions, so a match in the copy is
    // a match at the same place in the text.
    std::string upper = text;
    toUpperInPlace(upper);
    std::string masked;
    std::string::size_type copied = 0;
    std::string::size_type match = 0;
    while ((match = upper.find(kKey, copied)) != std::string::npos) {
        const std::string::size_type valueStart = match + kKey.size();
        std::string::size_type valueEnd = text.find_first_of(";\r\n", valueStart);
        if (valueEnd == std::string::npos) {
            valueEnd = text.size();
        }
        masked.append(text, copied, valueStart - copied);
        masked += "<REMOVED>";
        copied = valueEnd;
    }
    masked.append(text, copied, std::string::npos);
    return masked;
}

}  // namespace ostrel
