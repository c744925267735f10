// Partial files as they may be found on disk: any bytes, read as a partial
// file (data, then the trailer in the last 324 bytes). A trailer that loads
// must describe segments that tile the file, survive the received-count
// correction and a re-split, accept exactly the blocks that continue its
// segments, and encode back to the same bytes. Such a file then goes
// through CPartFile itself as a real ".jat" file, which must keep it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "patcher/CPartFile.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

void CheckTiling(const PartTrailer& t) {
    Check(t.segmentCount >= 1 && t.segmentCount <= kSegmentsMax);
    uint64_t lengths = 0, received = 0;
    for (uint32_t i = 0; i < t.segmentCount; ++i) {
        const SegmentRecord& s = t.segment[i];
        Check(s.index == i && s.received <= s.length);
        Check(uint64_t{s.start} + s.length <= t.size);
        lengths += s.length;
        received += s.received;
    }
    Check(lengths == t.size && received <= t.size);
}

std::string Folder() {
    static const std::string dir = [] {
        std::string d = platform::TempDirectory() + "\\tesmar-fuzz-trailer-" +
                        std::to_string(platform::CurrentProcessId());
        (void)platform::CreateDirectory(d);
        return d;
    }();
    // Each input's files go before the next; the folder goes at exit. The
    // handler is registered once the path is made, so that it runs before
    // the path is destroyed.
    static const bool removedAtExit = [] {
        return std::atexit([] { (void)platform::DeleteDirectory(Folder()); }) == 0;
    }();
    (void)removedAtExit;
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PartTrailer t{};
    bool loads = size >= kPartTrailerSize &&
                 DecodePartTrailer(data + size - kPartTrailerSize, kPartTrailerSize, size, t);
    if (loads) {
        uint8_t again[kPartTrailerSize];
        EncodePartTrailer(t, again);
        Check(std::memcmp(again, data + size - kPartTrailerSize, kPartTrailerSize) == 0);
        CheckTiling(t);
        CorrectReceived(t);
        Check(t.received <= t.size);
        ResplitPartTrailer(t, 3);
        CheckTiling(t);
        for (uint32_t i = 0; i < t.segmentCount; ++i) {
            const SegmentRecord& s = t.segment[i];
            DataBlock b{};
            b.segment = i;
            b.fileOffset = s.start + s.received;
            b.length = std::min<uint32_t>(s.length - s.received, kDataBlockBytes);
            Check(BlockFits(t, b));
            b.fileOffset += 1;
            Check(b.length == 0 || !BlockFits(t, b));
        }
    }

    // The real loader over the same bytes, for files it keeps: a rejected
    // file is replaced by a new one, whose creation flushes to the disk and
    // would slow the run a hundredfold without reading anything more. (Not
    // closed either, for the same reason: Close saves.)
    if (!loads) {
        return 0;
    }
    std::string finalName = Folder() + "\\p.cpk";
    std::string partPath = CPartFile::PartPath(finalName);
    {
        auto f = platform::File::Open(partPath, platform::Access::kWrite, platform::kShareNone,
                                      platform::Disposition::kCreateAlways);
        if (f && size > 0) {
            (void)f->Write(data, size);
        }
    }
    {
        CPartFile part;
        int segments = size > 0 ? 1 + data[0] % 3 : 1;
        Check(part.Open(finalName, 1000, segments));
        CheckTiling(part.trailer());
        Check(part.trailer().size == t.size);
    }
    (void)platform::DeleteFile(partPath);
    (void)platform::DeleteFile(finalName);
    return 0;
}
