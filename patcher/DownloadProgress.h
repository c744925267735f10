// Progress arithmetic shared by the downloader's source files.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/clock.h"

namespace progress {

// The integer percentage of done bytes in total, as the bars show it,
// computed exactly: done x (100.0 / total) in floating point gives 99 for
// some totals when every byte is done. An update of nothing at all is
// complete.
inline int64_t Percent(int64_t done, int64_t total) {
    if (total <= 0) {
        return 100;
    }
    return std::clamp<int64_t>(done * 100 / total, 0, 100);
}

// Milliseconds since a TickCount() reading, across the counter's wrap.
inline uint32_t Since(uint32_t tick) {
    return platform::TickCount() - tick;
}

}  // namespace progress
