// Starting the write of a file's bytes to the disk early.
//
// A writer of many megabytes that must make them durable at its end (an
// archive's batch, flushed before its header switches) spends that end
// waiting for the whole of them. Asked to start on each stretch as soon as
// it is written, the system writes them while the writer goes on, and the
// final flush finds little left to do. Only a hint: it makes nothing
// durable, orders nothing, and its failure changes nothing; durability is
// still the flush's alone.
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

// Flushing a file on a thread of its own while its writer goes on.
//
// Bytes written back early still wait, at the writer's final flush, for the
// disk to take them out of its own cache: a flush costs in proportion to
// what was written since the one before, and tens of megabytes cost tens of
// milliseconds. Flushed now and then along the way, on a thread that waits
// for the disk while the writer works, the final flush finds little left.
// Only a hint, like StartWriteBack: the writer's own flush still decides
// what is durable, and a flush that fails here is not told.
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
