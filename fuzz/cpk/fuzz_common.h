// Shared set-up of the archive fuzz targets.
#pragma once

#include "platform/msgbox.h"

// The archive layer reports through message boxes; under the fuzzer they
// are answered at once and shown nowhere.
inline void SilenceMessageBoxes() {
    platform::SetMessageBoxHandler([](void*, const char*, const char*, uint32_t type) {
        return (type & 0xF) == platform::kMbOk ? platform::kIdOk : platform::kIdCancel;
    });
}
