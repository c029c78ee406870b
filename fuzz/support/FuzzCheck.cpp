#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz {

void failProperty(const std::string& message) {
    std::fprintf(stderr, "PROPERTY FAILED: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string quoteBytes(const std::string& bytes) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (const char character : bytes) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"') {
            quoted += character;
        } else {
            quoted += "\\x";
            quoted += kHexDigits[byte >> 4];
            quoted += kHexDigits[byte & 0x0F];
        }
    }
    return quoted + "\"";
}

void expectEqualBytes(const std::string& what, const std::string& expected, const std::string& actual) {
    if (expected != actual) {
        failProperty(what + ": expected " + quoteBytes(expected) + ", got " + quoteBytes(actual));
    }
}

}  // namespace fuzz
