#include "patcher/UpdateEvents.h"

#include <chrono>

void UpdateEventQueue::Post(uint32_t message, uint64_t wParam, int64_t lParam) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        events_.push_back(UpdateEvent{message, wParam, lParam});
    }
    ready_.notify_one();
}

void UpdateEventQueue::SetSpeedBaseline(uint32_t tick, uint64_t bytes) {
    std::lock_guard<std::mutex> lock(mu_);
    baselineTick_ = tick;
    baselineBytes_ = bytes;
    ++baselineCount_;
}

std::optional<UpdateEvent> UpdateEventQueue::Take(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mu_);
    auto hasEvent = [this] { return !events_.empty(); };
    if (timeoutMs < 0) {
        ready_.wait(lock, hasEvent);
    } else if (!ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs), hasEvent)) {
        return std::nullopt;
    }
    UpdateEvent e = events_.front();
    events_.pop_front();
    return e;
}

uint32_t UpdateEventQueue::baselineTick() const {
    std::lock_guard<std::mutex> lock(mu_);
    return baselineTick_;
}

uint64_t UpdateEventQueue::baselineBytes() const {
    std::lock_guard<std::mutex> lock(mu_);
    return baselineBytes_;
}

int UpdateEventQueue::baselineCount() const {
    std::lock_guard<std::mutex> lock(mu_);
    return baselineCount_;
}
