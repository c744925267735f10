#include "testsupport/wait.h"

#include "platform/clock.h"

namespace testsupport {

bool WaitUntil(const std::function<bool()>& condition, uint32_t limitMs) {
    const uint64_t end = platform::TickCount64() + limitMs;
    while (!condition()) {
        if (platform::TickCount64() > end) {
            return false;
        }
        platform::SleepMs(1);
    }
    return true;
}

}  // namespace testsupport
