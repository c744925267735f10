#include <system_error>
#include <utility>

#include "platform/writeback.h"

namespace platform {

FlushBehind::~FlushBehind() {
    Wait();
}

bool FlushBehind::Start(const File& file) {
    if (running_.load(std::memory_order_acquire)) {
        return false;
    }
    Wait();  // the last one has ended: its thread is joined
    auto second = file.OpenAgain();
    if (!second) {
        return false;
    }
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this, flushed = std::move(*second)]() mutable {
            (void)flushed.Flush();
            flushed.Close();
            running_.store(false, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;  // no thread to be had: the second handle closes with the lambda
    }
    return true;
}

void FlushBehind::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace platform
