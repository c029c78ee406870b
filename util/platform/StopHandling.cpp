// The platform-neutral side of RemovalOnStop: moving a registration. The
// registration itself and its release are the platform's.
#include "util/platform/StopHandling.h"

namespace ostrel::platform {

RemovalOnStop::RemovalOnStop(RemovalOnStop&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }

RemovalOnStop& RemovalOnStop::operator=(RemovalOnStop&& other) noexcept {
    if (this != &other) {
        release();
        slot_ = other.slot_;
        other.slot_ = -1;
    }
    return *this;
}

}  // namespace ostrel::platform
