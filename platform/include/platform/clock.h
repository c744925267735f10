// Time.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; wraps after about 49.7 days like
// GetTickCount(). Compare ticks by unsigned subtraction.
uint32_t TickCount();
// Same clock without the wrap.
uint64_t TickCount64();

void SleepMs(uint32_t ms);

}  // namespace platform
