// The fixed-size game message the application posts to itself and delivers
// before each frame.
#pragma once

#include <cstdint>

namespace GFC {

// Message id that ends the application's main loop.
constexpr uint32_t kGameMsgQuit = 1000;

struct tagGameMsg {
    uint32_t msg;     // message id
    uint32_t param1;  // meaning set by the message id
    uint32_t param2;
};
static_assert(sizeof(tagGameMsg) == 12, "three 32-bit values");

}  // namespace GFC
