#ifndef OSTREL_CREXCEPTION_H
#define OSTREL_CREXCEPTION_H

#include <cstdint>
#include <string>

namespace ostrel {

// The result code every failure of this program carries (an HRESULT-style
// 32-bit code kept for the host's benefit).
constexpr std::uint32_t E_FAIL = 0x80004005u;

// The utility library's exception: a complete, human-readable message and a
// 32-bit result code. Thrown by value, caught by reference. Deliberately not
// derived from std::exception: the run driver tells the two families apart.
class CrException {
public:
    CrException(std::string message, std::uint32_t code);
    CrException(const CrException& other) = default;
    CrException& operator=(const CrException& other) = default;
    virtual ~CrException();

    // The message with every "PWD=" value masked (maskPasswords), so that
    // connection-string text never shows a password. The stored message is
    // never changed.
    virtual std::string getMessage() const;

    std::uint32_t getCode() const { return code_; }

private:
    std::uint32_t code_;
    std::string message_;
};

}  // namespace ostrel

#endif
