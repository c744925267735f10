#include "platform/clock.h"

#include "platform/native_windows.h"

namespace platform {

uint32_t TickCount() {
    return static_cast<uint32_t>(GetTickCount64());
}
uint64_t TickCount64() {
    return GetTickCount64();
}
void SleepMs(uint32_t ms) {
    Sleep(ms);
}

}  // namespace platform
