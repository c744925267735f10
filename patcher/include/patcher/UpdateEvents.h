// The update-dialog events and the interface through which the workers of
// the update flow post them.
//
// Worker threads (UpdateThread, DownloadThread and its segment workers,
// UnpackThread) never touch the dialog: they post these events to an
// UpdateEventSink, which the dialog model implements (and the tools and the
// tests, to watch a download). The codes are the dialog's window messages.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

constexpr uint32_t UM_RESET = 1127;
constexpr uint32_t UM_DOWNLOAD_DONE = 1128;
constexpr uint32_t UM_UPDATE_FAILED = 1129;
constexpr uint32_t UM_UPDATE_DONE = 1130;
// wParam 0 = download bar, 1 = update bar; lParam = percent (0..100).
constexpr uint32_t UM_PROGRESS = 1131;
// wParam = bytes done over the whole update, lParam = total bytes.
constexpr uint32_t UM_SPEED = 1132;
constexpr uint32_t UM_RECONNECTING = 1133;
constexpr uint32_t UM_VERIFY_FAILED = 1134;

// The receiver of the events. Post and SetSpeedBaseline are called from
// worker threads, several at once; an implementation queues the event for
// its own thread and returns at once.
class UpdateEventSink {
public:
    virtual ~UpdateEventSink() = default;

    // The values are 64 bits wide so that byte counts of an update over
    // 4 GiB reach the speed line unharmed.
    virtual void Post(uint32_t message, uint64_t wParam, int64_t lParam) = 0;

    // Where the speed line starts counting: the downloader sets it when it
    // starts a file (tick in ms of platform::TickCount, bytes done so far).
    virtual void SetSpeedBaseline(uint32_t tick, uint64_t bytes) = 0;
};

struct UpdateEvent {
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// A sink that queues the events for one consuming thread: the tools' and
// the tests' receiver, and a building block for front ends.
class UpdateEventQueue : public UpdateEventSink {
public:
    void Post(uint32_t message, uint64_t wParam, int64_t lParam) override;
    void SetSpeedBaseline(uint32_t tick, uint64_t bytes) override;

    // The oldest event, waiting up to timeoutMs for one (-1 = without limit);
    // nothing when none came in time.
    std::optional<UpdateEvent> Take(int timeoutMs);

    // The last baseline set (tick, bytes), and how many times it was set.
    uint32_t baselineTick() const;
    uint64_t baselineBytes() const;
    int baselineCount() const;

private:
    mutable std::mutex mu_;
    std::condition_variable ready_;
    std::deque<UpdateEvent> events_;
    uint32_t baselineTick_ = 0;
    uint64_t baselineBytes_ = 0;
    int baselineCount_ = 0;
};
