#include "util/CrException.h"

#include "util/PasswordMask.h"

#include <utility>

namespace ostrel {

CrException::CrException(std::string message, std::uint32_t code)
    : code_(code), message_(std::move(message)) {}

CrException::~CrException() = default;

std::string CrException::getMessage() const { return maskPasswords(message_); }

}  // namespace ostrel
