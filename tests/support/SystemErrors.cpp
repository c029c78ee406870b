#include "tests/support/SystemErrors.h"

#include "util/ErrorResolver.h"

namespace testing_support {

std::string systemReason(SystemError error) { return systemErrorTextOf(systemErrorCode(error)); }

std::string reasonSentence(SystemError error) { return asSentence(systemReason(error)); }

}  // namespace testing_support
