#include "platform/clock.h"

#include <sched.h>
#include <time.h>

#include <cerrno>

namespace platform {

uint64_t TickCount64() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

uint32_t TickCount() {
    return static_cast<uint32_t>(TickCount64());
}

void SleepMs(uint32_t ms) {
    if (ms == 0) {
        // As Sleep(0) on Windows: give up the rest of the time slice. A
        // zero-length nanosleep would wait out the timer slack instead.
        ::sched_yield();
        return;
    }
    struct timespec ts;
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace platform
