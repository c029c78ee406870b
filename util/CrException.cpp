#include "util/CrException.h"

#include "util/Strings.h"

#include <utility>

namespace ostrel {

CrException::CrException(std::string message, std::uint32_t code)
    : code_(code), message_(std::move(message)) {}

CrException::~CrException() = default;

std::string CrException::getMessage() const {
    static const std::string kKey = "PWD=";
    // Upper-casing byte by byte keeps positions, so a match in the copy is
    // a match at the same place in the message.
    std::string upper = message_;
    toUpperInPlace(upper);
    const std::string::size_type match = upper.find(kKey);
    if (match == std::string::npos) {
        return message_;
    }
    const std::string::size_type valueStart = match + kKey.size();
    // The key holds no ';', so a ';' found from the match lies after the key.
    std::string::size_type valueEnd = message_.find(';', match);
    if (valueEnd == std::string::npos) {
        valueEnd = message_.size();
    }
    return message_.substr(0, valueStart) + "<REMOVED>" + message_.substr(valueEnd);
}

}  // namespace ostrel
