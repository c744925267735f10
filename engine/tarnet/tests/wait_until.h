// Polls a condition until it holds or a generous limit passes. The limit is
// only a guard against hanging: every wait here ends in milliseconds on a
// working machine.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace tarnet_test {

constexpr uint32_t kWaitLimitMs = 20000;

template <class Pred>
bool WaitUntil(Pred pred, uint32_t limitMs = kWaitLimitMs) {
    const uint64_t end = platform::TickCount64() + limitMs;
    while (!pred()) {
        if (platform::TickCount64() > end) {
            return false;
        }
        platform::SleepMs(1);
    }
    return true;
}

}  // namespace tarnet_test
