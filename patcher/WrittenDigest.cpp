#include "patcher/WrittenDigest.h"

#include <algorithm>
#include <new>

void WrittenDigest::Begin(const PartTrailer& started) {
    md5_ = Md5();
    hashed_ = 0;
    running_ = started.segmentCount > 0 && started.segment[0].start == 0 &&
               started.segment[0].received == 0;
}

void WrittenDigest::Written(const DataBlock& block) {
    if (running_ && block.fileOffset == hashed_) {
        md5_.Update(block.data, block.length);
        hashed_ += block.length;
    }
}

void WrittenDigest::ReadAhead(CPartFile& part) {
    if (!running_) {
        return;
    }
    const PartTrailer& t = part.trailer();
    for (uint32_t i = 0; i < t.segmentCount && i < kSegmentsMax; ++i) {
        const SegmentRecord& s = t.segment[i];
        const uint64_t written = uint64_t{s.start} + s.received;
        if (hashed_ < s.start || hashed_ >= written) {
            continue;
        }
        const size_t slice =
            static_cast<size_t>(std::min<uint64_t>(written - hashed_, kReadBackSlice));
        if (readBack_ == nullptr) {
            readBack_.reset(new (std::nothrow) uint8_t[kReadBackSlice]);
        }
        if (readBack_ == nullptr || !part.ReadWritten(hashed_, readBack_.get(), slice)) {
            running_ = false;
            return;
        }
        md5_.Update(readBack_.get(), slice);
        hashed_ += slice;
        return;
    }
}
