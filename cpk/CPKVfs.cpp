// CPKVfs: an archive held open through the file layer, its whole table in
// memory, lookups by binary search on crc. This file opens, looks up, reads
// and lists; the changes, the batches they are gathered into and how they
// survive a crash are in CPKBatch.cpp, where their bytes and records go in
// CPKSpace.cpp.
//
// [SECTION] open, create, close
// [SECTION] names and paths
// [SECTION] entries: open and close
// [SECTION] listing
#include "cpk/CPKVfs.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numeric>

#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/Md5.h"
#include "cpk/NameCRC.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

constexpr const char kSource[] = ".\\cpk\\CPKVfs";
// JoinPath refuses a directory path longer than this (room for "\" and a
// name within the longest path).
constexpr size_t kMaxJoinDir = 313;
// MakeFilePath refuses a parent path and a name longer than this together.
constexpr size_t kMaxMakePath = 324;
// Entries are read through mapped pieces of the file of this size (a
// multiple of every allocation granularity), at most this many at a time;
// an entry that straddles two pieces gets a view of its own. A merge reads
// names and entries of both archives in crc order, all over the files: with
// too few pieces every read remaps one. A 32-bit process keeps to 128 MiB of
// its address space per archive.
constexpr uint64_t kChunkSize = uint64_t{32} << 20;
constexpr size_t kChunksMax = sizeof(void*) >= 8 ? 16 : 4;
// ReadAhead reads entries up to this size (contents and trailer), and when
// they are asked for in file order, the bytes after them up to this many.
constexpr uint64_t kReadAheadMax = 64u << 10;
constexpr uint64_t kReadAheadWindow = 1u << 20;
// A new archive is written under its name with this added, then renamed.
constexpr const char kCreateSuffix[] = ".new";

}  // namespace

CPKVfs::CPKVfs(BlockPool& pool, DiscIOMgr::Disk& disk)
    : granularity_(platform::AllocationGranularity()), pool_(pool), store_(disk) {
    ResetTable(kCpkTableGrowth);
}

CPKVfs::~CPKVfs() {
    Close();
}

// [SECTION] open, create, close

void CPKVfs::ResetTable(uint32_t capacity) {
    table_.assign(capacity, CPKEntry{});
    freePosition_.assign(capacity, -1);
    freeList_.clear();
    freeUsable_.clear();
}

void CPKVfs::CloseFile() {
    flushBehind_.Wait();  // its handle on the file goes with it
    unflushed_ = 0;
    mapping_.Close();
    file_.Close();
    guard_ = nullptr;
    path_.clear();
    header_ = CPKHeader{};
    disk_ = CPKHeader{};
}

int CPKVfs::Open(const std::string& path, CPKOpenMode mode) {
    if (open_ && !Close()) {
        return 0;
    }
    crcs_.clear();
    if (!DiscIOMgr::FileExists(path)) {
        return 0;
    }
    path_ = path;
    readOnly_ = mode == CPKOpenMode::kReadOnly;
    refusal_.clear();
    file_ = DiscIOMgr::CreateFile(
        path, readOnly_ ? platform::Access::kRead : platform::Access::kReadWrite,
        platform::kShareRead | platform::kShareWrite, platform::Disposition::kOpenExisting);
    if (!file_.IsOpen()) {
        ShowSystemError(kStorageErrorBox, "Couldn't open file %s",
                        platform::NativePath(path).c_str());
        path_.clear();
        return 0;
    }
    if (!DiscIOMgr::Read(file_, &header_, kCpkHeaderSize)) {
        ShowMessage("Could not load table from the CPK %s", platform::NativePath(path).c_str());
        CloseFile();
        return 0;
    }
    if (header_.magic != kCpkMagic) {
        ShowMessage("Unknow file format %s", platform::NativePath(path).c_str());
        CloseFile();
        return 0;
    }

    // Nothing in the header is believed before it is checked against the
    // file: the table must lie between the header and the end of the file,
    // so that its size (and the memory it takes) is bounded by the file's.
    auto fileSize = file_.Size();
    const uint64_t size = fileSize ? *fileSize : 0;
    const uint64_t tableEnd = uint64_t{header_.tableOffset} + TableBytes(header_.capacity);
    char why[200] = "";
    if (size >= kCpkMaxFileSize) {
        std::snprintf(why, sizeof why, "the file is 2 GiB or larger");
    } else if (header_.tableOffset < kCpkHeaderSize) {
        std::snprintf(why, sizeof why, "the table offset %u lies inside the header",
                      header_.tableOffset);
    } else if (tableEnd > size) {
        std::snprintf(why, sizeof why,
                      "the table of %u records at %u runs past the end of the file (%" PRIu64
                      " bytes)",
                      header_.capacity, header_.tableOffset, size);
    } else if (header_.usedCount > header_.capacity) {
        std::snprintf(why, sizeof why, "%u records in use exceed the capacity of %u",
                      header_.usedCount, header_.capacity);
    }
    if (why[0] != '\0') {
        ShowMessage("Corrupt CPK %s: %s", platform::NativePath(path).c_str(), why);
        CloseFile();
        return 0;
    }
    if (tableEnd != header_.endOffset) {
        // The table is whole and can be read; but where the file should end
        // is in doubt, and a change would have to trust one of the two.
        char reason[120];
        std::snprintf(reason, sizeof reason,
                      "the end offset %u does not follow the table (%" PRIu64 ")",
                      header_.endOffset, tableEnd);
        refusal_ = reason;
    }

    if (!readOnly_) {
        // A change grows the table; room for half as much again is set
        // aside now, before the records are read in, rather than moving all
        // of them at the first batch. Untouched, the room costs no memory.
        table_.reserve(size_t{header_.capacity} + header_.capacity / 2 + kCpkTableGrowth);
    }
    if (table_.size() < header_.capacity) {
        ResetTable(header_.capacity);
    }
    if (DiscIOMgr::Seek(file_, header_.tableOffset) != header_.tableOffset) {
        ShowMessage("Could not seek table from the CPK %s, seekpos=%ld",
                    platform::NativePath(path).c_str(), static_cast<long>(header_.tableOffset));
        CloseFile();
        return 0;
    }
    if (header_.capacity > 0 &&
        !DiscIOMgr::Read(file_, table_.data(), header_.capacity * kCpkEntrySize)) {
        ShowMessage("Could not load table from the CPK %s", platform::NativePath(path).c_str());
        CloseFile();
        return 0;
    }
    // Records past usedCount are empty in a sound archive. Should one not
    // be, it is ignored rather than let into the free list, where a later
    // insertion would shift a live record over it.
    std::fill(table_.begin() + header_.usedCount, table_.end(), CPKEntry{});
    sorted_ = header_.usedCount;
    RebuildLookups(true);
    disk_ = header_;
    if (!readOnly_) {
        ScanFreeBlocks();
    }

    mapping_ = DiscIOMgr::CreateFileMapping(file_, false, 0);
    if (!mapping_.IsOpen()) {
        ShowSystemError(kStorageErrorBox,
                        "Error : _T(\"couldn't create file mapping %s\")\nFile : %s\nLine : %d",
                        platform::NativePath(path).c_str(), kSource, __LINE__);
        CloseFile();
        return 0;
    }
    open_ = true;
    return 1;
}

int CPKVfs::Create(const std::string& path) {
    if (open_ && !Close()) {
        return 0;
    }
    crcs_.clear();
    if (DiscIOMgr::FileExists(path)) {
        return Open(path);
    }
    // The new archive is written beside its name and renamed into place
    // when complete, so that no crash leaves a partial file under the name
    // (the next run would take it for a damaged archive).
    CPKHeader h{};
    h.magic = kCpkMagic;
    h.version = kCpkVersion;
    h.tableOffset = kCpkHeaderSize;
    h.reserved0 = kCpkHeaderSize;
    h.reserved2 = kCpkHeaderSize;
    h.capacity = kCpkTableGrowth;
    h.endOffset = kCpkEmptySize;
    const std::string temporary = path + kCreateSuffix;
    platform::File file =
        DiscIOMgr::CreateFile(temporary, platform::Access::kReadWrite, platform::kShareNone,
                              platform::Disposition::kCreateAlways);
    if (!file.IsOpen()) {
        ShowSystemError(kStorageErrorBox, "Couldn't open file %s",
                        platform::NativePath(path).c_str());
        return 0;
    }
    const std::vector<CPKEntry> table(kCpkTableGrowth, CPKEntry{});
    bool ok = DiscIOMgr::WriteAt(file, 0, &h, kCpkHeaderSize, store_) &&
              DiscIOMgr::WriteAt(file, kCpkHeaderSize, table.data(),
                                 kCpkTableGrowth * kCpkEntrySize, store_) &&
              DiscIOMgr::Flush(file, store_);
    file.Close();
    if (ok) {
        auto moved = platform::MoveFile(temporary, path, false);
        if (!moved) {
            DiscIOMgr::SetLastError(moved.error().code);
            ok = false;
        }
    }
    if (!ok) {
        (void)platform::DeleteFile(temporary);
        ShowSystemError(kStorageErrorBox, "Couldn't open file %s",
                        platform::NativePath(path).c_str());
        return 0;
    }
    return Open(path);
}

int CPKVfs::Close() {
    if (!open_) {
        return 1;
    }
    if (batch_ != Batch::kNone) {
        RollBack();
    }
    DropIdleChunks();  // pieces still in use go when their entries close
    CloseFile();
    aheadSize_ = 0;
    aheadNext_ = 0;
    aheadWindow_ = 0;
    std::fill(table_.begin(), table_.end(), CPKEntry{});
    std::fill(freePosition_.begin(), freePosition_.end(), -1);
    freeList_.clear();
    freeUsable_.clear();
    waitingFree_.clear();
    overlapping_.clear();
    fit_.clear();
    fitLeaves_ = 0;
    dirPaths_.clear();
    crcs_.clear();
    tailIndex_.clear();
    sorted_ = 0;
    appendStart_ = 0;
    open_ = false;
    readOnly_ = false;
    refusal_.clear();
    return 1;
}

// [SECTION] names and paths

int CPKVfs::FindEntry(uint32_t crc) const {
    // By the index, where it holds every live record: a merge asks for
    // every entry it brings, all over the table.
    if (crcsComplete_) {
        return crcs_.find(crc);
    }
    // The sorted records first, by binary search; then those a batch added.
    uint32_t low = 0;
    uint32_t high = sorted_;
    while (low != high) {
        uint32_t middle = low + (high - low) / 2;
        const CPKEntry& e = table_[middle];
        if (e.crc == crc && IsLive(e)) {
            return static_cast<int>(middle);
        }
        if (high == low + 1) {
            break;
        }
        // A deleted record with this crc lies before its live replacement.
        if (crc >= e.crc) {
            low = middle;
        } else {
            high = middle;
        }
    }
    auto added = tailIndex_.find(crc);
    return added == tailIndex_.end() ? -1 : added->second;
}

bool CPKVfs::EntryFits(const CPKEntry& e) const {
    uint64_t end = uint64_t{e.offset} + e.storedSize + e.trailerSize;
    return e.offset >= kCpkHeaderSize && end <= header_.tableOffset;
}

bool CPKVfs::ReadEntryName(const CPKEntry& e, std::string& name) {
    if (!EntryFits(e) || e.trailerSize == 0) {
        ShowMessage("Corrupt CPK %s: entry %08X lies outside the data region",
                    platform::NativePath(path_).c_str(), e.crc);
        return false;
    }
    // Only the name is wanted: it ends at the first zero byte, within the
    // longest path. Read from a piece already mapped, else read rather than
    // mapped: a merge reads names one by one all over the file, and a fault
    // per page costs more than a read.
    char buffer[kCpkMaxPath + 1];
    const uint32_t length = std::min<uint32_t>(e.trailerSize, sizeof buffer);
    const uint32_t at = e.offset + e.storedSize;
    if (!ReadRaw(at, buffer, length)) {
        ShowSystemError(kStorageErrorBox, "Error : CE_CANNOT_READ_DISC_FILE\nFile : %s\nLine : %d",
                        kSource, __LINE__);
        return false;
    }
    const void* end = std::memchr(buffer, 0, length);
    if (end == nullptr) {
        ShowMessage("Corrupt CPK %s: the name of entry %08X has no end",
                    platform::NativePath(path_).c_str(), e.crc);
        return false;
    }
    name.assign(buffer, static_cast<size_t>(static_cast<const char*>(end) - buffer));
    return true;
}

int CPKVfs::GetFileNameFromCRC(uint32_t crc, std::string& name) {
    if (crc == 0) {
        ShowMessage("CRC == 0 in function GetFileNameFromCRC");
        return 0;
    }
    int index = FindEntry(crc);
    if (index < 0 || static_cast<uint32_t>(index) >= header_.capacity) {
        return 0;
    }
    return ReadEntryName(table_[static_cast<size_t>(index)], name) ? 1 : 0;
}

int CPKVfs::GetFullPath(uint32_t crc, std::string& path) {
    path.clear();
    if (crc == 0) {
        return 1;
    }
    if (auto known = dirPaths_.find(crc); known != dirPaths_.end()) {
        path = known->second;  // every file added below a directory asks for it
        return 1;
    }
    int index = FindEntry(crc);
    if (index < 0 || !ReadEntryName(table_[static_cast<size_t>(index)], path)) {
        path.clear();
        return 0;
    }
    // Each step adds at least a backslash, so a loop in the parent chain ends
    // at the length limit. The paths of directories are kept once built:
    // every file below them asks for them again.
    const bool directory = IsDirectory(table_[static_cast<size_t>(index)]);
    uint32_t parent = table_[static_cast<size_t>(index)].parentCrc;
    while (parent != 0) {
        auto known = dirPaths_.find(parent);
        if (known != dirPaths_.end()) {
            path = known->second + "\\" + path;
            break;
        }
        std::string name;
        index = FindEntry(parent);
        if (index < 0 || !ReadEntryName(table_[static_cast<size_t>(index)], name)) {
            path.clear();
            return 0;
        }
        path = name + "\\" + path;
        if (path.size() > kCpkMaxPath) {
            ShowMessage(GBK("文件名太长 %s"), path.c_str());
            path.clear();
            return 0;
        }
        parent = table_[static_cast<size_t>(index)].parentCrc;
    }
    if (path.size() > kCpkMaxPath) {
        ShowMessage(GBK("文件名太长 %s"), path.c_str());
        path.clear();
        return 0;
    }
    if (directory) {
        dirPaths_[crc] = path;
    }
    return 1;
}

int CPKVfs::JoinPath(std::string& dir, const std::string& name) {
    if (dir.size() > kMaxJoinDir) {
        ShowMessage("%s", GBK("完整文件名太长"));
        return 0;
    }
    std::string joined = dir;
    if (!joined.empty() && joined.back() != '\\') {
        joined += '\\';
    }
    joined += name;
    // The result must fit the longest path as well, or its crc would name
    // an entry whose path can never be rebuilt.
    if (joined.size() > kCpkMaxPath) {
        ShowMessage("%s", GBK("完整文件名太长"));
        return 0;
    }
    dir = platform::GbkToLowerAscii(joined);
    return 1;
}

int CPKVfs::MakeFilePath(std::string& path, const std::string& filePath, uint32_t parentCrc) {
    std::string parent;
    if (!GetFullPath(parentCrc, parent)) {
        return 0;
    }
    std::string name = cpkpath::LastComponent(filePath);
    if (parent.size() + name.size() > kMaxMakePath) {
        ShowMessage(GBK("文件名太长%s%s"), parent.c_str(), name.c_str());
        return 0;
    }
    if (!JoinPath(parent, name)) {
        return 0;
    }
    path = parent;
    return 1;
}

// [SECTION] entries: open and close

bool CPKVfs::ReadRaw(uint64_t offset, void* buffer, uint32_t length) {
    if (aheadSize_ > 0 && offset >= aheadAt_ && offset + length <= aheadAt_ + aheadSize_) {
        std::memcpy(buffer, ahead_.get() + (offset - aheadAt_), length);
        return true;
    }
    if (!FlushGatheredOver(offset, offset + length)) {
        return false;
    }
    // A piece mapped already costs nothing more to read from (entries
    // opened one after the other read their names there).
    const uint64_t piece = offset / kChunkSize * kChunkSize;
    for (const Chunk& c : chunks_) {
        if (c.view.IsOpen() && c.view.offset() == piece &&
            offset + length <= c.view.offset() + c.view.size()) {
            std::memcpy(buffer, c.view.data() + (offset - piece), length);
            return true;
        }
    }
    auto read = file_.ReadAt(offset, buffer, length);
    if (!read) {
        DiscIOMgr::SetLastError(read.error().code);
        return false;
    }
    if (*read != length) {
        DiscIOMgr::SetLastError(0);  // the file ended early: not a system error
        return false;
    }
    return true;
}

void CPKVfs::ReadAhead(int index) {
    if (!open_ || !readOnly_ || index < 0 || static_cast<uint32_t>(index) >= header_.usedCount) {
        aheadSize_ = 0;
        return;
    }
    const CPKEntry& e = table_[static_cast<size_t>(index)];
    const uint64_t total = uint64_t{e.storedSize} + e.trailerSize;
    if (!IsLive(e) || !EntryFits(e) || total > kReadAheadMax) {
        aheadSize_ = 0;
        return;
    }
    const uint64_t end = uint64_t{e.offset} + total;
    if (aheadSize_ > 0 && e.offset >= aheadAt_ && end <= aheadAt_ + aheadSize_) {
        aheadNext_ = end;  // read with an entry before it
        return;
    }
    // Entries asked for in file order (each soon after the one before) are
    // read further ahead the longer the run goes on; any other order reads
    // each entry alone, so that nothing is read that will not be used.
    const bool inOrder = e.offset >= aheadNext_ && e.offset - aheadNext_ <= kReadAheadMax;
    aheadWindow_ =
        inOrder ? std::min(std::max(2 * aheadWindow_, kReadAheadMax), kReadAheadWindow) : 0;
    // Never past the data region: the table follows it.
    const uint64_t length =
        std::max(total, std::min<uint64_t>(aheadWindow_, header_.tableOffset - e.offset));
    aheadSize_ = 0;
    if (length > aheadCapacity_) {
        // The whole window at once, rather than a larger buffer at each step
        // of a run: the system hands the pages over as they are first read
        // into, and each new buffer would take them anew.
        const uint64_t capacity = std::max(length, kReadAheadWindow);
        ahead_.reset(new (std::nothrow) uint8_t[capacity]);
        aheadCapacity_ = ahead_ != nullptr ? static_cast<size_t>(capacity) : 0;
        if (ahead_ == nullptr) {
            aheadWindow_ = 0;
            return;  // each entry is read where wanted
        }
    }
    auto read = file_.ReadAt(e.offset, ahead_.get(), static_cast<size_t>(length));
    if (!read || *read < total) {
        aheadWindow_ = 0;  // read again where wanted, where a failure is told
        return;
    }
    aheadSize_ = *read;
    aheadAt_ = e.offset;
    aheadNext_ = end;
}

int CPKVfs::ReadEntryBytes(int index, uint32_t at, void* buffer, uint32_t length) {
    if (!open_ || index < 0 || static_cast<uint32_t>(index) >= header_.usedCount) {
        return 0;
    }
    const CPKEntry& e = table_[static_cast<size_t>(index)];
    const uint64_t total = uint64_t{e.storedSize} + e.trailerSize;
    if (!IsLive(e) || !EntryFits(e) || uint64_t{at} + length > total) {
        return 0;
    }
    return length == 0 || ReadRaw(uint64_t{e.offset} + at, buffer, length) ? 1 : 0;
}

bool CPKVfs::RefreshMapping(uint64_t end) {
    if (mapping_.IsOpen() && end <= mapping_.size()) {
        return true;
    }
    // The file has grown since the mapping was made.
    platform::FileMapping fresh = DiscIOMgr::CreateFileMapping(file_, false, 0);
    if (!fresh.IsOpen() || end > fresh.size()) {
        return false;
    }
    mapping_ = std::move(fresh);
    return true;
}

const uint8_t* CPKVfs::MapRange(uint32_t start, uint32_t length, int& chunk,
                                platform::MappedView& own, bool ownAllowed) {
    chunk = -1;
    const uint64_t end = uint64_t{start} + length;
    if (length == 0 || !FlushGatheredOver(start, end) || !RefreshMapping(end)) {
        return nullptr;
    }
    const uint64_t piece = start / kChunkSize * kChunkSize;
    if ((end - 1) / kChunkSize * kChunkSize == piece) {
        if (chunks_.size() < kChunksMax) {
            chunks_.resize(kChunksMax);
        }
        int idle = -1;
        for (size_t i = 0; i < chunks_.size(); ++i) {
            Chunk& c = chunks_[i];
            if (c.view.IsOpen() && c.view.offset() == piece &&
                c.view.offset() + c.view.size() >= end) {
                ++c.users;
                c.lastUse = ++useClock_;
                chunk = static_cast<int>(i);
                return c.view.data() + (start - piece);
            }
            if (c.users == 0 &&
                (idle < 0 || !c.view.IsOpen() ||
                 (chunks_[idle].view.IsOpen() && c.lastUse < chunks_[idle].lastUse))) {
                idle = static_cast<int>(i);
            }
        }
        if (idle >= 0) {
            Chunk& c = chunks_[static_cast<size_t>(idle)];
            DiscIOMgr::UnmapView(c.view);
            const uint64_t extent = std::min(kChunkSize, mapping_.size() - piece);
            c.view = DiscIOMgr::MapView(mapping_, static_cast<uint32_t>(piece),
                                        static_cast<uint32_t>(extent));
            if (c.view.IsOpen()) {
                c.users = 1;
                c.lastUse = ++useClock_;
                chunk = idle;
                return c.view.data() + (start - piece);
            }
        }
    }
    if (!ownAllowed) {
        return nullptr;
    }
    own = DiscIOMgr::MapView(mapping_, start, length);
    return own.IsOpen() ? own.data() : nullptr;
}

void CPKVfs::ReleaseChunk(int chunk) {
    if (chunk < 0 || chunk >= static_cast<int>(chunks_.size())) {
        return;
    }
    Chunk& c = chunks_[static_cast<size_t>(chunk)];
    if (c.users > 0) {
        --c.users;
    }
    if (c.users == 0 && !open_) {
        DiscIOMgr::UnmapView(c.view);  // the archive was closed under it
    }
}

void CPKVfs::DropIdleChunks() {
    for (Chunk& c : chunks_) {
        if (c.users == 0) {
            DiscIOMgr::UnmapView(c.view);
        }
    }
}

CPKFile* CPKVfs::OpenEntry(int index, uint32_t start, int noDecompress) {
    if (!open_ || index < 0 || static_cast<uint32_t>(index) >= header_.usedCount ||
        !IsLive(table_[static_cast<size_t>(index)])) {
        return nullptr;
    }
    const CPKEntry e = table_[static_cast<size_t>(index)];
    const uint64_t total = uint64_t{e.storedSize} + e.trailerSize;
    if (!EntryFits(e) || start >= total) {
        ShowMessage(
            "Corrupt CPK %s: entry %08X (%u bytes at %u, from %u) lies outside the data "
            "region",
            platform::NativePath(path_).c_str(), e.crc, static_cast<uint32_t>(total), e.offset,
            start);
        return nullptr;
    }
    const uint32_t position = e.offset + start;
    const uint32_t viewStart = position - position % granularity_;
    const uint32_t viewOffset = position - viewStart;
    // A windowed entry is mapped one window at a time, but never past its
    // own end: the last window holds only what remains of it.
    uint32_t remaining = static_cast<uint32_t>(total - start);
    if (e.method == kMethodStored && (e.flags & kEntryWindowed) != 0) {
        remaining = std::min(remaining, kCpkWindowSize);
    }
    const uint32_t length = remaining + viewOffset;
    const bool compressed = e.method != kMethodStored;
    const bool decompress = compressed && e.originalSize > 0 && !noDecompress;
    // 0 for a method no codec knows: nothing can be decompressed then.
    const uint64_t limit = MaxDecodedSize(e.method, e.storedSize);
    const bool known = CodecBound(e.method, 1) != 0;
    if (decompress && known && e.originalSize > limit) {
        // Not even the densest stream of this method could hold it: the
        // size is a lie, and no buffer is set aside for it.
        ShowMessage("Corrupt CPK %s: entry %08X claims %u bytes from %u stored",
                    platform::NativePath(path_).c_str(), e.crc, e.originalSize, e.storedSize);
        return nullptr;
    }

    void* memory = pool_.Allocate(sizeof(CPKFile));
    if (memory == nullptr) {
        DiscIOMgr::SetLastError(0);
        ShowSystemError(kStorageErrorBox,
                        "Error : _T(\"could not malloc for fp in %s\")\nFile : %s\nLine : %d",
                        platform::NativePath(path_).c_str(), kSource, __LINE__);
        return nullptr;
    }
    CPKFile* file = new (memory) CPKFile{};
    file->valid = 1;
    auto fail = [&]() -> CPKFile* {
        file->valid = 0;
        ReleaseChunk(file->chunk);
        file->~CPKFile();
        pool_.Release(memory);
        return nullptr;
    };
    file->chunk = -1;
    const uint8_t* view = MapRange(viewStart, length, file->chunk, file->mapping, true);
    if (view == nullptr) {
        return fail();
    }
    file->entry = e;
    file->view = view;
    file->data = file->view + viewOffset;
    file->viewOffset = viewOffset;
    file->mappedSize = length - viewOffset;
    file->originalSize = e.originalSize;
    file->position = 0;
    file->compressed = compressed ? 1 : 0;
    std::string name;
    if (GetFullPath(e.crc, name)) {
        std::memcpy(file->name, name.c_str(), name.size() + 1);
    }
    file->contents = file->data;
    if (decompress) {
        // An unknown method fails before any buffer is set aside for it.
        uint8_t* buffer = nullptr;
        bool ok = false;
        if (known) {
            buffer = static_cast<uint8_t*>(std::malloc(e.originalSize));
            if (buffer == nullptr) {
                return fail();
            }
            // Past the requested start fewer than storedSize bytes are mapped.
            auto produced =
                Decompress(e.method, file->data, std::min(e.storedSize, file->mappedSize), buffer,
                           e.originalSize);
            // A stream that falls short of the original size would leave
            // part of the buffer undefined: that is a failure too.
            ok = produced && *produced == e.originalSize;
        }
        if (!ok) {
            DiscIOMgr::SetLastError(0);
            ShowSystemError(kStorageErrorBox,
                            "Error : _T(\"could not decompress\")\nFile : %s\nLine : %d", kSource,
                            __LINE__);
            std::free(buffer);
            return fail();
        }
        file->contents = buffer;
    }
    return file;
}

int CPKVfs::CloseEntry(CPKFile* file) {
    if (file == nullptr || (file->chunk < 0 && !file->mapping.IsOpen()) ||
        file->chunk >= static_cast<int>(chunks_.size()) || file->view == nullptr) {
        DiscIOMgr::SetLastError(0);
        ShowSystemError(kStorageErrorBox,
                        "Error : _T(\"invalid address in cpk close\")\nFile : %s\nLine : %d",
                        kSource, __LINE__);
        return 0;
    }
    if (file->compressed && file->originalSize > 0 && file->contents != file->data) {
        std::free(const_cast<uint8_t*>(file->contents));
    }
    file->contents = nullptr;
    file->view = nullptr;
    if (file->chunk >= 0) {
        ReleaseChunk(file->chunk);
    } else {
        DiscIOMgr::UnmapView(file->mapping);
    }
    file->~CPKFile();
    pool_.Release(file);
    return 1;
}

// [SECTION] listing

uint32_t CPKVfs::ListChildren(uint32_t parentCrc, bool directories, uint32_t* crcs,
                              uint32_t capacity) const {
    uint32_t count = 0;
    for (uint32_t i = 0; i < header_.usedCount; ++i) {
        const CPKEntry& e = table_[i];
        if (IsLive(e) && e.parentCrc == parentCrc && IsDirectory(e) == directories) {
            if (crcs != nullptr && count < capacity) {
                crcs[count] = e.crc;
            }
            ++count;
        }
    }
    return count;
}

uint32_t CPKVfs::ListChildDirs(uint32_t parentCrc, uint32_t* crcs, uint32_t capacity) const {
    return ListChildren(parentCrc, true, crcs, capacity);
}

uint32_t CPKVfs::ListChildFiles(uint32_t parentCrc, uint32_t* crcs, uint32_t capacity) const {
    return ListChildren(parentCrc, false, crcs, capacity);
}
