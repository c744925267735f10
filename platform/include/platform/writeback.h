// Starting the write of a file's bytes to the disk early, and flushing the
// file along the way.
//
// A writer of many megabytes that must make them durable at its end (an
// archive's batch, flushed before its header switches) spends that end
// waiting for the whole of them. Asked to start on each stretch as soon as
// it is written (StartWriteBack), the system writes them while the writer
// goes on; yet the final flush still waits for the disk to empty its own
// cache of them, in proportion to what was written since the flush before.
// Flushed now and then on a thread of its own (FlushBehind), the disk does
// that too while the writer works, and the final flush finds little left.
// Both are hints only: they make nothing durable that the writer counts on,
// order nothing, and their failure changes nothing; durability is still the
// writer's own flush's.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/file.h"

namespace platform {

// Asks the system to start writing [offset, offset + length) of file to the
// disk without waiting for it. Does nothing where the system offers no
// such request (Windows writes behind on its own). Any thread that may use
// the file may call it.
void StartWriteBack(File& file, uint64_t offset, uint64_t length);

// Flushes a file on a thread of its own while its writer goes on (tens of
// megabytes cost a flush tens of milliseconds). A flush that fails here is
// not told: the writer's own flush meets the same fault.
class FlushBehind {
public:
    FlushBehind() = default;
    ~FlushBehind();  // waits for a flush under way
    FlushBehind(const FlushBehind&) = delete;
    FlushBehind& operator=(const FlushBehind&) = delete;

    // Starts a flush of what was written to file so far, through a second
    // handle on it (File::OpenAgain), and returns at once: true when it
    // started; false, with nothing started, while the last flush started here
    // is still under way, or when there is no second handle or thread to be
    // had. The file may be closed while the flush goes on.
    bool Start(const File& file);
    // Waits for the flush under way, if any.
    void Wait();

private:
    std::thread thread_;
    std::atomic<bool> running_{false};
};

}  // namespace platform
