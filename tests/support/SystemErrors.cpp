#include "tests/support/SystemErrors.h"

#include "util/ErrorResolver.h"

namespace testing_support {

std::string systemReason(SystemError error) { return ErrorResolver(0).resolve(systemErrorCode(error), false); }

std::string reasonSentence(SystemError error) { return asSentence(systemReason(error)); }

}  // namespace testing_support
