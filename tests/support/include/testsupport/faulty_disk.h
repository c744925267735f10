// A disk for the storage tests: it can run out of room, fail the next
// writes as a full disk does, and call a test after every write, copy, flush
// and cut, so that a test sees each file as a crash at that moment would
// leave it. Give it to the archive, the unpacker or the cpk tool in place of
// the machine's disk.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "cpk/DiscIOMgr.h"

namespace testsupport {

class FaultyDisk : public DiscIOMgr::Disk {
public:
    static constexpr int64_t kUnlimited = -1;

    // The next count writes and copies write only half of their bytes and
    // then fail as a full disk does.
    void FailNextWrites(int count) { failWrites_.store(count); }
    // bytes left on the disk (kUnlimited: no limit). Files may grow by that
    // much in all: overwriting bytes a file has costs nothing, a write past
    // the end pays for the gap before it too (as on a disk without sparse
    // files), and the write that needs more writes what fits and fails.
    void SetSpace(int64_t bytes) { space_.store(bytes); }
    // The next count reads fail as a damaged disk's do (an I/O error).
    void FailNextReads(int count) { failReads_.store(count); }
    // Called on the writing thread after every operation (empty: none).
    // Set it while nothing writes through the disk.
    void SetObserver(std::function<void()> observer) { observer_ = std::move(observer); }

    platform::Result<size_t> Write(platform::File& file, const void* buffer, size_t count) override;
    platform::Result<size_t> CopyRange(platform::File& from, uint64_t fromOffset,
                                       platform::File& to, uint64_t toOffset,
                                       size_t count) override;
    platform::Result<size_t> ReadAt(platform::File& file, uint64_t offset, void* buffer,
                                    size_t count) override;
    platform::Status Flush(platform::File& file) override;
    platform::Status SetEndOfFile(platform::File& file) override;

private:
    bool FailThisWrite();
    // How many of count bytes going to `at` in the file fit; the room they
    // take is spent.
    uint64_t Room(platform::File& file, uint64_t at, uint64_t count);
    void Observe() {
        if (observer_) {
            observer_();
        }
    }

    std::atomic<int> failWrites_{0};
    std::atomic<int> failReads_{0};
    std::atomic<int64_t> space_{kUnlimited};
    std::function<void()> observer_;
};

}  // namespace testsupport
