#include "util/Strings.h"

#include "util/CrException.h"
#include "util/platform/Platform.h"

#include <algorithm>
#include <cctype>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/trim.hpp>

namespace ostrel {

std::vector<std::string> SplitString(const std::string& text, const std::string& delimiter) {
    if (delimiter.empty()) {
        throw CrException("Illegal argument to SplitString. Delimiter is empty.", E_FAIL);
    }
    std::vector<std::string> pieces;
    std::string::size_type position = 0;
    while (position < text.size()) {
        const std::string::size_type match = text.find(delimiter, position);
        if (match == std::string::npos) {
            pieces.push_back(text.substr(position));
            break;
        }
        pieces.push_back(text.substr(position, match - position));
        position = match + delimiter.size();
    }
    return pieces;
}

bool equalsIgnoreCase(const std::string& left, const std::string& right) {
    return platform::compareIgnoreCase(left.c_str(), right.c_str()) == 0;
}

void toUpperInPlace(std::string& text) {
    for (char& byte : text) {
        // toupper needs the byte as unsigned char: a negative char is undefined.
        byte = static_cast<char>(std::toupper(static_cast<unsigned char>(byte)));
    }
}

std::string trimCharacters(const std::string& text, const std::string& set) {
    if (set.empty()) {
        return text;
    }
    return boost::algorithm::trim_copy_if(text, boost::algorithm::is_any_of(set));
}

std::size_t replaceCharacter(std::string& text, char oldChar, char newChar) {
    const std::size_t count = static_cast<std::size_t>(std::count(text.begin(), text.end(), oldChar));
    if (count != 0 && oldChar != newChar) {
        std::replace(text.begin(), text.end(), oldChar, newChar);
    }
    return count;
}

namespace {

bool isRemovableControlCharacter(char character) {
    const unsigned char byte = static_cast<unsigned char>(character);
    // Tab, line feed and carriage return are legal in XML text; NUL is left to
    // the callers, which stop at it anyway.
    return byte != 0 && byte < 32 && byte != '\t' && byte != '\n' && byte != '\r';
}

}  // namespace

bool removeControlCharacters(std::string& text) {
    const auto newEnd = std::remove_if(text.begin(), text.end(), isRemovableControlCharacter);
    if (newEnd == text.end()) {
        return false;
    }
    text.erase(newEnd, text.end());
    return true;
}

}  // namespace ostrel
