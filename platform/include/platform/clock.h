// Time.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; wraps after about 49.7 days like
// GetTickCount(). Compare ticks by unsigned subtraction.
uint32_t TickCount();
// Same clock without the wrap.
uint64_t TickCount64();

// Sleeps ms milliseconds; 0 gives up the rest of the time slice to other
// threads that are ready to run and returns at once when there are none.
void SleepMs(uint32_t ms);

}  // namespace platform
