#include "testsupport/faulty_disk.h"

#include <algorithm>

namespace testsupport {

namespace {

platform::Error DiskFull() {
    return platform::Error{platform::ErrorDiskFull()};
}

}  // namespace

bool FaultyDisk::FailThisWrite() {
    int pending = failWrites_.load();
    while (pending > 0 && !failWrites_.compare_exchange_weak(pending, pending - 1)) {
    }
    return pending > 0;
}

uint64_t FaultyDisk::Room(platform::File& file, uint64_t at, uint64_t count) {
    const int64_t left = space_.load();
    if (left == kUnlimited) {
        return count;
    }
    auto size = file.Size();
    if (!size) {
        return count;
    }
    const uint64_t end = at + count;
    const uint64_t growth = end > *size ? end - *size : 0;
    if (growth <= static_cast<uint64_t>(left)) {
        space_.fetch_sub(static_cast<int64_t>(growth));
        return count;
    }
    const uint64_t limit = *size + static_cast<uint64_t>(left);
    const uint64_t fits = limit > at ? std::min(limit - at, count) : 0;
    if (fits > 0) {
        space_.store(0);
    }
    return fits;
}

platform::Result<size_t> FaultyDisk::Write(platform::File& file, const void* buffer, size_t count) {
    uint64_t fits = count;
    if (FailThisWrite()) {
        fits = count / 2;
    } else if (space_.load() != kUnlimited) {
        auto at = file.Seek(0, platform::SeekFrom::kCurrent);
        fits = at ? Room(file, *at, count) : count;
    }
    if (fits < count) {
        // What fits is written, and the disk is full.
        if (fits > 0) {
            (void)file.Write(buffer, static_cast<size_t>(fits));
        }
        Observe();
        return DiskFull();
    }
    auto written = file.Write(buffer, count);
    Observe();
    return written;
}

platform::Result<size_t> FaultyDisk::CopyRange(platform::File& from, uint64_t fromOffset,
                                               platform::File& to, uint64_t toOffset,
                                               size_t count) {
    const uint64_t fits = FailThisWrite() ? count / 2 : Room(to, toOffset, count);
    auto copied =
        platform::CopyFileRange(from, fromOffset, to, toOffset, static_cast<size_t>(fits));
    Observe();
    if (copied && fits < count) {
        return DiskFull();
    }
    return copied;
}

platform::Result<size_t> FaultyDisk::ReadAt(platform::File& file, uint64_t offset, void* buffer,
                                            size_t count) {
    int pending = failReads_.load();
    while (pending > 0 && !failReads_.compare_exchange_weak(pending, pending - 1)) {
    }
    if (pending > 0) {
        return platform::Error{platform::ErrorIo()};
    }
    return file.ReadAt(offset, buffer, count);
}

platform::Status FaultyDisk::Flush(platform::File& file) {
    auto s = file.Flush();
    Observe();
    return s;
}

platform::Status FaultyDisk::SetEndOfFile(platform::File& file) {
    auto s = file.SetEndOfFile();
    Observe();
    return s;
}

}  // namespace testsupport
