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
    std::string masked;
    std::string::size_type copied = 0;
    std::string::size_type match = 0;
    while ((match = upper.find(kKey, copied)) != std::string::npos) {
        const std::string::size_type valueStart = match + kKey.size();
        // The value runs to the next ';', which stays, or to the end.
        std::string::size_type valueEnd = message_.find(';', valueStart);
        if (valueEnd == std::string::npos) {
            valueEnd = message_.size();
        }
        masked.append(message_, copied, valueStart - copied);
        masked += "<REMOVED>";
        copied = valueEnd;
    }
    masked.append(message_, copied, std::string::npos);
    return masked;
}

}  // namespace ostrel
