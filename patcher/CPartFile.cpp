#include "patcher/CPartFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "patcher/FileHelpers.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

void PutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

constexpr size_t kOffMagic = 0;
constexpr size_t kOffSize = 4;
constexpr size_t kOffName = 8;
constexpr size_t kOffSegmentCount = 268;
constexpr size_t kOffReceived = 272;
constexpr size_t kOffSegments = 276;
constexpr size_t kSegmentRecordSize = 16;

}  // namespace

// ---- Trailer rules ----

void EncodePartTrailer(const PartTrailer& t, uint8_t out[kPartTrailerSize]) {
    std::memset(out, 0, kPartTrailerSize);
    PutU32(out + kOffMagic, t.magic);
    PutU32(out + kOffSize, t.size);
    std::memcpy(out + kOffName, t.name, kPartNameBytes);
    PutU32(out + kOffSegmentCount, t.segmentCount);
    PutU32(out + kOffReceived, t.received);
    for (int i = 0; i < kSegmentsMax; ++i) {
        uint8_t* s = out + kOffSegments + i * kSegmentRecordSize;
        PutU32(s, t.segment[i].index);
        PutU32(s + 4, t.segment[i].start);
        PutU32(s + 8, t.segment[i].length);
        PutU32(s + 12, t.segment[i].received);
    }
}

bool DecodePartTrailer(const uint8_t* bytes, size_t count, uint64_t fileLength, PartTrailer& out) {
    if (bytes == nullptr || count < kPartTrailerSize) {
        return false;
    }
    PartTrailer t{};
    t.magic = GetU32(bytes + kOffMagic);
    t.size = GetU32(bytes + kOffSize);
    std::memcpy(t.name, bytes + kOffName, kPartNameBytes);
    t.segmentCount = GetU32(bytes + kOffSegmentCount);
    t.received = GetU32(bytes + kOffReceived);
    for (int i = 0; i < kSegmentsMax; ++i) {
        const uint8_t* s = bytes + kOffSegments + i * kSegmentRecordSize;
        t.segment[i] = SegmentRecord{GetU32(s), GetU32(s + 4), GetU32(s + 8), GetU32(s + 12)};
    }
    if (t.magic != kPartMagic || t.size > kPartSizeMax ||
        fileLength != uint64_t{t.size} + kPartTrailerSize) {
        return false;
    }
    if (std::memchr(t.name, 0, kPartNameBytes) == nullptr) {
        return false;
    }
    if (t.segmentCount < 1 || t.segmentCount > kSegmentsMax || t.received > t.size) {
        return false;
    }
    uint64_t lengths = 0;
    uint64_t received = 0;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;  // start, length
    for (uint32_t i = 0; i < t.segmentCount; ++i) {
        const SegmentRecord& s = t.segment[i];
        if (s.index != i || s.received > s.length) {
            return false;
        }
        lengths += s.length;
        received += s.received;
        ranges.emplace_back(s.start, s.length);
    }
    if (lengths != t.size || received > t.size) {
        return false;
    }
    // The segments must tile the file: in offset order each starts where the
    // one before ended, so no block can land outside the data or twice.
    std::sort(ranges.begin(), ranges.end());
    uint64_t at = 0;
    for (const auto& [start, length] : ranges) {
        if (start != at) {
            return false;
        }
        at += length;
    }
    out = t;
    return true;
}

PartTrailer NewPartTrailer(const std::string& finalName, uint32_t size, int segments) {
    PartTrailer t{};
    t.magic = kPartMagic;
    t.size = size;
    std::memcpy(t.name, finalName.data(), std::min(finalName.size(), kPartNameBytes - 1));
    segments = std::clamp(segments, 1, kSegmentsMax);
    t.segmentCount = static_cast<uint32_t>(segments);
    uint32_t each = size / t.segmentCount;
    for (uint32_t i = 0; i < t.segmentCount; ++i) {
        t.segment[i] = SegmentRecord{i, i * each, each, 0};
    }
    t.segment[t.segmentCount - 1].length += size % t.segmentCount;
    return t;
}

void CorrectReceived(PartTrailer& t) {
    uint64_t sum = 0;
    for (uint32_t i = 0; i < t.segmentCount && i < kSegmentsMax; ++i) {
        sum += t.segment[i].received;
    }
    t.received = static_cast<uint32_t>(sum);
}

void ResplitPartTrailer(PartTrailer& t, int segmentsWanted) {
    while (t.segmentCount < static_cast<uint32_t>(std::min(segmentsWanted, kSegmentsMax))) {
        uint32_t most = 0;
        uint32_t which = 0;
        for (uint32_t i = 0; i < t.segmentCount; ++i) {
            uint32_t missing = t.segment[i].length - t.segment[i].received;
            if (missing > most) {
                most = missing;
                which = i;
            }
        }
        uint32_t c = most / 2;
        if (c == 0) {
            return;
        }
        SegmentRecord& split = t.segment[which];
        split.length -= c;
        uint32_t n = t.segmentCount;
        t.segment[n] = SegmentRecord{n, split.start + split.length, c, 0};
        t.segmentCount = n + 1;
    }
}

bool BlockFits(const PartTrailer& t, const DataBlock& block) {
    if (block.length > kDataBlockBytes ||
        uint64_t{block.fileOffset} + block.length > uint64_t{t.size}) {
        return false;
    }
    if (block.segment == kNoSegment) {
        return true;
    }
    if (block.segment >= t.segmentCount) {
        return false;
    }
    const SegmentRecord& s = t.segment[block.segment];
    return uint64_t{s.start} + s.received == block.fileOffset &&
           uint64_t{s.received} + block.length <= s.length;
}

// ---- The partial file ----

CPartFile::~CPartFile() {
    StopFlusher();
    file_.Close();
}

void CPartFile::StopFlusher() {
    if (!flusher_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(flushMu_);
        flushStop_ = true;
    }
    flushWake_.notify_all();
    flusher_.join();
    flushStop_ = false;
    flushPending_ = false;
}

void CPartFile::SaveInBackground() {
    if (!file_.IsOpen()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(flushMu_);
        flushTrailer_ = trailer_;
        flushPending_ = true;
    }
    if (!flusher_.joinable()) {
        try {
            flusher_ = std::thread([this] { FlushLoop(); });
        } catch (const std::system_error&) {
            Save();  // no thread: save the plain way
            return;
        }
    }
    flushWake_.notify_all();
}

void CPartFile::FlushLoop() {
    std::unique_lock<std::mutex> lock(flushMu_);
    for (;;) {
        flushWake_.wait(lock, [this] { return flushPending_ || flushStop_; });
        if (!flushPending_) {
            return;  // stopping with nothing left to do
        }
        PartTrailer t = flushTrailer_;
        flushPending_ = false;
        lock.unlock();
        // Everything the snapshot counts was written before the request, so
        // this flush puts it on the disk ahead of the trailer.
        if (file_.Flush()) {
            WriteTrailer(t);
        }
        lock.lock();
    }
}

bool CPartFile::WriteTrailer(const PartTrailer& t) {
    uint8_t bytes[kPartTrailerSize];
    EncodePartTrailer(t, bytes);
    auto wrote = file_.WriteAt(t.size, bytes, sizeof bytes);
    return wrote && *wrote == sizeof bytes;
}

std::string CPartFile::PartPath(const std::string& finalName) {
    return finalName + ".jat";
}

bool CPartFile::Load(const std::string& partPath) {
    auto file = platform::File::Open(partPath, platform::Access::kReadWrite,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        return false;
    }
    auto length = file->Size();
    if (!length || *length < kPartTrailerSize) {
        return false;
    }
    uint8_t bytes[kPartTrailerSize];
    auto got = file->ReadAt(*length - kPartTrailerSize, bytes, sizeof bytes);
    if (!got || *got != sizeof bytes) {
        return false;
    }
    if (!DecodePartTrailer(bytes, sizeof bytes, *length, trailer_)) {
        return false;
    }
    file_ = std::move(file.value());
    return true;
}

bool CPartFile::Open(const std::string& finalName, uint32_t size, int& segmentsWanted) {
    StopFlusher();
    file_.Close();
    if (segmentsWanted < 1 || segmentsWanted > kSegmentsMax || size > kPartSizeMax) {
        return false;
    }
    finalName_ = finalName;
    std::string partPath = PartPath(finalName);
    if (platform::Exists(partPath)) {
        if (Load(partPath)) {
            CorrectReceived(trailer_);
            if (static_cast<uint32_t>(segmentsWanted) > trailer_.segmentCount) {
                ResplitPartTrailer(trailer_, segmentsWanted);
            }
            segmentsWanted = static_cast<int>(trailer_.segmentCount);
            if (trailer_.received == trailer_.size) {
                Finish();
            }
            return true;
        }
        // Exactly the data and no trailer: a finished download whose
        // trailer was cut off before it was moved to its name (the patcher
        // was ended between the two). It is moved now; the digest check
        // that follows every download decides whether it is kept.
        auto length = platform::FileSize(partPath);
        if (size > 0 && length && *length == size &&
            platform::MoveFile(partPath, finalName, false).ok()) {
            trailer_ = NewPartTrailer(finalName, size, segmentsWanted);
            return true;
        }
        if (!platform::DeleteFile(partPath)) {
            return false;
        }
    }
    trailer_ = NewPartTrailer(finalName, size, segmentsWanted);
    std::string dir = platform::DirName(finalName, platform::PathSeparators::kBoth);
    if (!dir.empty()) {
        CreateDirectoryChain(dir);
    }
    auto file = platform::File::Open(partPath, platform::Access::kReadWrite, platform::kShareRead,
                                     platform::Disposition::kOpenAlways);
    if (!file) {
        return false;
    }
    file_ = std::move(file.value());
    if (!Save()) {
        file_.Close();
        return false;
    }
    return true;
}

bool CPartFile::ReadWritten(uint64_t offset, void* buffer, size_t size) {
    if (!file_.IsOpen()) {
        return false;
    }
    const uint64_t end = offset + size;
    for (uint32_t i = 0; i < trailer_.segmentCount && i < kSegmentsMax; ++i) {
        const SegmentRecord& s = trailer_.segment[i];
        if (offset >= s.start && end <= uint64_t{s.start} + s.received) {
            auto got = file_.ReadAt(offset, buffer, size);
            return got && *got == size;
        }
    }
    return false;
}

bool CPartFile::Write(const DataBlock& block) {
    const DataBlock* one = &block;
    return WriteRun(&one, 1);
}

bool CPartFile::WriteRun(const DataBlock* const* blocks, size_t count) {
    if (!file_.IsOpen() || count == 0) {
        return false;
    }
    PartTrailer after = trailer_;
    std::vector<platform::File::Piece> pieces;
    pieces.reserve(count);
    size_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        const DataBlock& b = *blocks[i];
        if (!BlockFits(after, b) || b.segment != blocks[0]->segment ||
            (i > 0 && b.fileOffset != blocks[i - 1]->fileOffset + blocks[i - 1]->length)) {
            return false;
        }
        if (b.segment != kNoSegment) {
            after.segment[b.segment].received += b.length;
            after.received += b.length;
        }
        pieces.push_back({b.data, b.length});
        total += b.length;
    }
    if (writeFaults_ != nullptr && writeFaults_->Refuse(blocks[0]->fileOffset, total)) {
        return false;
    }
    auto wrote = file_.WriteAtGather(blocks[0]->fileOffset, pieces.data(), pieces.size());
    if (!wrote || *wrote != total) {
        return false;
    }
    trailer_ = after;
    return true;
}

bool CPartFile::Save() {
    if (!file_.IsOpen()) {
        return false;
    }
    // The data first: a trailer must never reach the disk ahead of the bytes
    // it counts.
    StopFlusher();
    if (!file_.Flush() || !WriteTrailer(trailer_)) {
        return false;
    }
    return static_cast<bool>(file_.Flush());
}

bool CPartFile::Close() {
    if (!file_.IsOpen()) {
        return false;
    }
    bool saved = Save();
    if (saved && trailer_.received == trailer_.size) {
        return Finish();
    }
    file_.Close();
    return saved;
}

bool CPartFile::Finish() {
    bool cut =
        file_.Seek(trailer_.size, platform::SeekFrom::kBegin).ok() && file_.SetEndOfFile().ok();
    file_.Close();
    if (!cut) {
        return false;
    }
    return platform::MoveFile(PartPath(finalName_), finalName_, false).ok();
}
