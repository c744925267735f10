// CPKVfs: an archive held open through the file layer, its whole table in
// memory (rewritten after each change), lookups by binary search on crc.
//
// [SECTION] open, create, close
// [SECTION] names and paths
// [SECTION] entries: open and close
// [SECTION] listing
// [SECTION] changes: directories, files, removal
// [SECTION] table bookkeeping
#include "cpk/CPKVfs.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/Md5.h"
#include "cpk/NameCRC.h"
#include "platform/text.h"

namespace {

constexpr const char kSource[] = ".\\cpk\\CPKVfs";
// JoinPath refuses a directory path longer than this (room for "\" and a
// name within the longest path).
constexpr size_t kMaxJoinDir = 313;
// MakeFilePath refuses a parent path and a name longer than this together.
constexpr size_t kMaxMakePath = 324;

bool IsFree(const CPKEntry& e) {
    return (e.flags & kEntryDeleted) != 0;
}

}  // namespace

CPKVfs::CPKVfs(BlockPool& pool) : granularity_(platform::AllocationGranularity()), pool_(pool) {
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
}

void CPKVfs::CloseFile() {
    mapping_.Close();
    file_.Close();
    path_.clear();
    header_ = CPKHeader{};
}

int CPKVfs::Open(const std::string& path) {
    if (open_ && !Close()) {
        return 0;
    }
    crcs_.clear();
    if (!DiscIOMgr::FileExists(path)) {
        return 0;
    }
    path_ = path;
    file_ = DiscIOMgr::CreateFile(path, platform::Access::kReadWrite,
                                  platform::kShareRead | platform::kShareWrite,
                                  platform::Disposition::kOpenExisting);
    if (!file_.IsOpen()) {
        ShowMessage("Couldn't open file %s", path.c_str());
        path_.clear();
        return 0;
    }
    if (!DiscIOMgr::Read(file_, &header_, kCpkHeaderSize)) {
        ShowMessage("Could not load table from the CPK %s", path.c_str());
        CloseFile();
        return 0;
    }
    if (header_.magic != kCpkMagic) {
        ShowMessage("Unknow file format %s", path.c_str());
        CloseFile();
        return 0;
    }

    // Nothing in the header is believed before it is checked against the
    // file: the table must lie between the header and the end of the file,
    // so that its size (and the memory it takes) is bounded by the file's.
    auto fileSize = file_.Size();
    const uint64_t size = fileSize ? *fileSize : 0;
    const uint64_t tableEnd =
        uint64_t{header_.tableOffset} + uint64_t{header_.capacity} * kCpkEntrySize;
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
    } else if (tableEnd != header_.endOffset) {
        std::snprintf(why, sizeof why, "the end offset %u does not follow the table (%" PRIu64 ")",
                      header_.endOffset, tableEnd);
    } else if (header_.usedCount > header_.capacity) {
        std::snprintf(why, sizeof why, "%u records in use exceed the capacity of %u",
                      header_.usedCount, header_.capacity);
    }
    if (why[0] != '\0') {
        ShowMessage("Corrupt CPK %s: %s", path.c_str(), why);
        CloseFile();
        return 0;
    }

    if (table_.size() < header_.capacity) {
        ResetTable(header_.capacity);
    }
    if (DiscIOMgr::Seek(file_, header_.tableOffset) != header_.tableOffset) {
        ShowMessage("Could not seek table from the CPK %s, seekpos=%ld", path.c_str(),
                    static_cast<long>(header_.tableOffset));
        CloseFile();
        return 0;
    }
    if (header_.capacity > 0 &&
        !DiscIOMgr::Read(file_, table_.data(), header_.capacity * kCpkEntrySize)) {
        ShowMessage("Could not load table from the CPK %s", path.c_str());
        CloseFile();
        return 0;
    }
    // Records past usedCount are empty in a sound archive. Should one not
    // be, it is ignored rather than let into the free list, where a later
    // insertion would shift a live record over it.
    std::fill(table_.begin() + header_.usedCount, table_.end(), CPKEntry{});
    freeList_.clear();
    std::fill(freePosition_.begin(), freePosition_.end(), -1);
    for (uint32_t i = 0; i < header_.usedCount; ++i) {
        const CPKEntry& e = table_[i];
        if (IsLive(e)) {
            crcs_.insert(e.crc);
        }
        if (IsFree(e)) {
            freePosition_[i] = static_cast<int32_t>(freeList_.size());
            freeList_.push_back(static_cast<int32_t>(i));
        }
    }

    mapping_ = DiscIOMgr::CreateFileMapping(file_, false, 0);
    if (!mapping_.IsOpen()) {
        ShowSystemError(kStorageErrorBox,
                        "Error : _T(\"couldn't create file mapping %s\")\nFile : %s\nLine : %d",
                        path.c_str(), kSource, __LINE__);
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
    path_ = path;
    header_ = CPKHeader{};
    header_.magic = kCpkMagic;
    header_.version = kCpkVersion;
    header_.tableOffset = kCpkHeaderSize;
    header_.reserved0 = kCpkHeaderSize;
    header_.reserved2 = kCpkHeaderSize;
    header_.capacity = kCpkTableGrowth;
    header_.endOffset = kCpkEmptySize;
    file_ = DiscIOMgr::CreateFile(path, platform::Access::kReadWrite, platform::kShareNone,
                                  platform::Disposition::kOpenAlways);
    if (!file_.IsOpen()) {
        ShowMessage("Couldn't open file");
        CloseFile();
        return 0;
    }
    std::fill(table_.begin(), table_.end(), CPKEntry{});
    std::fill(freePosition_.begin(), freePosition_.end(), -1);
    freeList_.clear();
    if (!WriteHeader() || !WriteTable()) {
        ShowMessage("Couldn't open file");
        CloseFile();
        return 0;
    }
    mapping_ = DiscIOMgr::CreateFileMapping(file_, false, 0);
    if (!mapping_.IsOpen()) {
        ShowSystemError(kStorageErrorBox,
                        "Error : _T(\"couldn't create file mapping %s\")\nFile : %s\nLine : %d",
                        path.c_str(), kSource, __LINE__);
        CloseFile();
        return 0;
    }
    open_ = true;
    return 1;
}

int CPKVfs::Close() {
    if (!open_) {
        return 1;
    }
    DropPendingEntry();
    CloseFile();
    std::fill(table_.begin(), table_.end(), CPKEntry{});
    std::fill(freePosition_.begin(), freePosition_.end(), -1);
    freeList_.clear();
    crcs_.clear();
    open_ = false;
    return 1;
}

// [SECTION] names and paths

int CPKVfs::FindEntry(uint32_t crc) const {
    uint32_t low = 0;
    uint32_t high = header_.usedCount;
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
    return -1;
}

bool CPKVfs::EntryFits(const CPKEntry& e) const {
    uint64_t end = uint64_t{e.offset} + e.storedSize + e.trailerSize;
    return e.offset >= kCpkHeaderSize && end <= header_.tableOffset;
}

bool CPKVfs::ReadEntryName(const CPKEntry& e, std::string& name) {
    if (!EntryFits(e) || e.trailerSize == 0) {
        ShowMessage("Corrupt CPK %s: entry %08X lies outside the data region", path_.c_str(),
                    e.crc);
        return false;
    }
    // Only the name is wanted: it ends at the first zero byte, within the
    // longest path.
    char buffer[kCpkMaxPath + 1];
    uint32_t length = std::min<uint32_t>(e.trailerSize, sizeof buffer);
    if (DiscIOMgr::Seek(file_, e.offset + e.storedSize) != e.offset + e.storedSize ||
        !DiscIOMgr::Read(file_, buffer, length)) {
        return false;
    }
    const void* end = std::memchr(buffer, 0, length);
    if (end == nullptr) {
        ShowMessage("Corrupt CPK %s: the name of entry %08X has no end", path_.c_str(), e.crc);
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
    int index = FindEntry(crc);
    if (index < 0 || !ReadEntryName(table_[static_cast<size_t>(index)], path)) {
        path.clear();
        return 0;
    }
    // Each step adds at least a backslash, so a loop in the parent chain ends
    // at the length limit.
    uint32_t parent = table_[static_cast<size_t>(index)].parentCrc;
    while (parent != 0) {
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
            path_.c_str(), e.crc, static_cast<uint32_t>(total), e.offset, start);
        return nullptr;
    }
    const uint32_t position = e.offset + start;
    const uint32_t viewStart = position - position % granularity_;
    const uint32_t viewOffset = position - viewStart;
    uint32_t length = static_cast<uint32_t>(total - start) + viewOffset;
    if (e.method == kMethodStored && (e.flags & kEntryWindowed) != 0 && length >= kCpkWindowSize) {
        length = viewOffset + kCpkWindowSize;
    }
    const bool compressed = e.method != kMethodStored;
    const bool decompress = compressed && e.originalSize > 0 && !noDecompress;
    // 0 for a method no codec knows: nothing can be decompressed then.
    const uint64_t limit = MaxDecodedSize(e.method, e.storedSize);
    const bool known = CodecBound(e.method, 1) != 0;
    if (decompress && known && e.originalSize > limit) {
        // Not even the densest stream of this method could hold it: the
        // size is a lie, and no buffer is set aside for it.
        ShowMessage("Corrupt CPK %s: entry %08X claims %u bytes from %u stored", path_.c_str(),
                    e.crc, e.originalSize, e.storedSize);
        return nullptr;
    }

    void* memory = pool_.Allocate(sizeof(CPKFile));
    if (memory == nullptr) {
        DiscIOMgr::SetLastError(0);
        ShowSystemError(kStorageErrorBox,
                        "Error : _T(\"could not malloc for fp in %s\")\nFile : %s\nLine : %d",
                        path_.c_str(), kSource, __LINE__);
        return nullptr;
    }
    CPKFile* file = new (memory) CPKFile{};
    file->valid = 1;
    auto fail = [&]() -> CPKFile* {
        file->valid = 0;
        file->~CPKFile();
        pool_.Release(memory);
        return nullptr;
    };
    if (!RefreshMapping(uint64_t{viewStart} + length)) {
        return fail();
    }
    file->mapping = DiscIOMgr::MapView(mapping_, viewStart, length);
    if (!file->mapping.IsOpen()) {
        return fail();
    }
    file->entry = e;
    file->view = file->mapping.data();
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
    if (file == nullptr || !file->mapping.IsOpen()) {
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
    DiscIOMgr::UnmapView(file->mapping);
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

// [SECTION] changes: directories, files, removal

uint32_t CPKVfs::AddDirectory(const std::string& name, uint32_t parentCrc) {
    if (!open_) {
        return kCpkNoCrc;
    }
    DropPendingEntry();
    if (!EnsureTableCapacity()) {
        return kCpkNoCrc;
    }
    std::string path;
    if (!GetFullPath(parentCrc, path) || !JoinPath(path, name)) {
        return kCpkNoCrc;
    }
    const uint32_t crc = ComputeNameCRC(path.c_str());
    if (crcs_.count(crc) != 0) {
        return crc;
    }
    const uint32_t trailerSize = static_cast<uint32_t>(name.size()) + kCpkTrailerFixed;
    if (!HasRoomFor(trailerSize)) {
        return kCpkNoCrc;
    }
    const int index = FindInsertPosition(crc);
    if (index < 0) {
        ShowMessage("Couldn't find any free table item");
        return kCpkNoCrc;
    }
    const uint32_t offset = AllocateSpace(trailerSize);
    CPKEntry& e = table_[static_cast<size_t>(index)];
    e = CPKEntry{};
    e.crc = crc;
    e.flags = kEntryInUse | kEntryDirectory;
    e.method = 0;
    e.parentCrc = parentCrc;
    e.offset = offset;
    e.trailerSize = trailerSize;
    ++header_.usedCount;
    ++header_.liveCount;

    uint8_t digest[kCpkDigestSize];
    Md5OfBuffer(name.data(), name.size(), digest);
    const std::vector<uint8_t> trailer = MakeTrailer(name, digest);
    int ok = DiscIOMgr::Seek(file_, offset) == offset;
    if (ok && offset >= DiscIOMgr::GetFileSize(file_)) {
        ok = DiscIOMgr::SetEndOfFile(file_);
    }
    ok = ok && DiscIOMgr::Write(file_, trailer.data(), trailerSize, DiscIOMgr::kNoRetry);
    ok = WriteHeader() && ok;
    ok = WriteTable() && ok;
    crcs_.insert(crc);
    return ok ? crc : kCpkNoCrc;
}

uint32_t CPKVfs::AddPath(const std::string& relativePath, uint32_t parentCrc) {
    size_t start = 0;
    for (size_t i = 0; i < relativePath.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(relativePath[i]);
        if (platform::IsGbkLeadByte(c) && i + 1 < relativePath.size()) {
            ++i;
            continue;
        }
        if (c == '.') {
            return parentCrc;  // the rest names a file
        }
        if (c == '\\') {
            if (i > start) {
                parentCrc = AddDirectory(relativePath.substr(start, i - start), parentCrc);
                if (parentCrc == kCpkNoCrc) {
                    return kCpkNoCrc;
                }
            }
            start = i + 1;
        }
    }
    if (start < relativePath.size()) {
        parentCrc = AddDirectory(relativePath.substr(start), parentCrc);
    }
    return parentCrc;
}

int CPKVfs::AddFile(const std::string& filePath, uint32_t parentCrc, const CPKEntry& source) {
    if (!open_) {
        return -1;
    }
    DropPendingEntry();
    if (!EnsureTableCapacity()) {
        return -1;
    }
    std::string path;
    if (!MakeFilePath(path, filePath, parentCrc)) {
        return -1;
    }
    const uint32_t crc = ComputeNameCRC(path.c_str());
    if (crcs_.count(crc) != 0) {
        RemoveByCRC(crc);
    }
    const uint64_t size = uint64_t{source.storedSize} + source.trailerSize;
    if (!HasRoomFor(size)) {
        return -1;
    }
    const int index = FindInsertPosition(crc);
    if (index < 0) {
        ShowMessage("Couldn't find any free table item, AddFile failed");
        return -1;
    }
    const uint32_t offset = AllocateSpace(static_cast<uint32_t>(size));
    CPKEntry& e = table_[static_cast<size_t>(index)];
    e = source;
    e.crc = crc;
    // The source's flags and method come along, but the new record is a
    // live one whatever the source said.
    e.flags = static_cast<uint16_t>((source.flags | kEntryInUse) & ~kEntryDeleted);
    e.parentCrc = parentCrc;
    e.offset = offset;
    pending_ = index;
    return index;
}

int CPKVfs::WriteEntryData(int index, uint32_t at, const void* buffer, uint32_t length) {
    if (!open_ || index < 0 || index != pending_) {
        return 0;
    }
    const CPKEntry& e = table_[static_cast<size_t>(index)];
    // The entry's space ends where the next entry's (or the table) begins.
    if (uint64_t{at} + length > uint64_t{e.storedSize} + e.trailerSize) {
        return 0;
    }
    const uint32_t position = e.offset + at;
    if (DiscIOMgr::Seek(file_, position) != position) {
        return 0;
    }
    if (position >= DiscIOMgr::GetFileSize(file_) && !DiscIOMgr::SetEndOfFile(file_)) {
        return 0;
    }
    return DiscIOMgr::Write(file_, buffer, length, DiscIOMgr::kNoRetry);
}

int CPKVfs::CommitEntry(int index) {
    if (!open_ || index < 0 || index != pending_) {
        return 0;
    }
    pending_ = -1;
    ++header_.usedCount;
    ++header_.liveCount;
    int ok = WriteHeader();
    ok = WriteTable() && ok;
    crcs_.insert(table_[static_cast<size_t>(index)].crc);
    return ok;
}

int CPKVfs::AbandonEntry(int index) {
    if (!open_ || index < 0 || index != pending_) {
        return 0;
    }
    DropPendingEntry();
    return 1;
}

int CPKVfs::RemoveByCRC(uint32_t crc) {
    if (!open_) {
        return 0;
    }
    DropPendingEntry();
    const int index = FindEntry(crc);
    if (index < 0) {
        return 0;
    }
    DeleteRecord(index);
    int ok = WriteHeader();
    return WriteTable() && ok;
}

void CPKVfs::DeleteRecord(int index) {
    // Iterative, so that a deep (or looping) tree cannot exhaust the stack:
    // a record is only taken while live, and deleting it ends its liveness.
    std::vector<int> pending{index};
    while (!pending.empty()) {
        const int i = pending.back();
        pending.pop_back();
        CPKEntry& e = table_[static_cast<size_t>(i)];
        if (!IsLive(e)) {
            continue;
        }
        crcs_.erase(e.crc);
        e.flags |= kEntryDeleted;
        freePosition_[static_cast<size_t>(i)] = static_cast<int32_t>(freeList_.size());
        freeList_.push_back(i);
        ++header_.freeCount;
        if (header_.liveCount > 0) {
            --header_.liveCount;
        }
        e.storedSize += e.trailerSize;
        e.trailerSize = 0;
        e.parentCrc = 0;
        if (IsDirectory(e)) {
            for (uint32_t k = 0; k < header_.usedCount; ++k) {
                if (IsLive(table_[k]) && table_[k].parentCrc == e.crc) {
                    pending.push_back(static_cast<int>(k));
                }
            }
        }
    }
}

// [SECTION] table bookkeeping

bool CPKVfs::EnsureTableCapacity() {
    if (header_.usedCount + 1 < header_.capacity) {
        return true;
    }
    if (uint64_t{header_.endOffset} + uint64_t{kCpkTableGrowth} * kCpkEntrySize >=
        kCpkMaxFileSize) {
        ShowMessage("The CPK %s cannot grow beyond 2 GiB", path_.c_str());
        return false;
    }
    const uint32_t oldCapacity = header_.capacity;
    header_.capacity += kCpkTableGrowth;
    header_.endOffset += kCpkTableGrowth * kCpkEntrySize;
    if (table_.size() < header_.capacity) {
        table_.resize(header_.capacity, CPKEntry{});
        freePosition_.resize(header_.capacity, -1);
    } else {
        std::fill(table_.begin() + oldCapacity, table_.end(), CPKEntry{});
    }
    return true;
}

bool CPKVfs::HasRoomFor(uint64_t size) {
    if (uint64_t{header_.endOffset} + size >= kCpkMaxFileSize) {
        ShowMessage("The CPK %s cannot grow beyond 2 GiB", path_.c_str());
        return false;
    }
    return true;
}

int CPKVfs::FindInsertPosition(uint32_t crc) {
    const uint32_t used = header_.usedCount;
    if (used + 1 >= header_.capacity) {
        return -1;
    }
    uint32_t j = 0;
    while (j < used && table_[j].crc <= crc) {
        ++j;
    }
    for (uint32_t k = used; k > j; --k) {
        table_[k] = table_[k - 1];
        freePosition_[k] = freePosition_[k - 1];
        if (freePosition_[k] >= 0) {
            freeList_[static_cast<size_t>(freePosition_[k])] = static_cast<int32_t>(k);
        }
    }
    table_[j] = CPKEntry{};
    freePosition_[j] = -1;
    return static_cast<int>(j);
}

void CPKVfs::RemoveRecordAt(int index) {
    // Undoes FindInsertPosition: records index+1 .. usedCount move down.
    const uint32_t used = header_.usedCount;
    for (uint32_t k = static_cast<uint32_t>(index); k < used; ++k) {
        table_[k] = table_[k + 1];
        freePosition_[k] = freePosition_[k + 1];
        if (freePosition_[k] >= 0) {
            freeList_[static_cast<size_t>(freePosition_[k])] = static_cast<int32_t>(k);
        }
    }
    table_[used] = CPKEntry{};
    freePosition_[used] = -1;
}

uint32_t CPKVfs::AllocateSpace(uint32_t size) {
    for (int32_t i : freeList_) {
        CPKEntry& block = table_[static_cast<size_t>(i)];
        // A free block from outside is only reused when it lies in the data
        // region, so that new bytes never land on the header or the table.
        if (block.storedSize >= size && EntryFits(block)) {
            const uint32_t offset = block.offset;
            block.offset += size;
            block.storedSize -= size;
            return offset;
        }
    }
    const uint32_t offset = header_.tableOffset;
    header_.endOffset += size;
    header_.tableOffset = header_.endOffset - header_.capacity * kCpkEntrySize;
    return offset;
}

void CPKVfs::DropPendingEntry() {
    if (pending_ < 0) {
        return;
    }
    // Its space stays allocated but unreferenced; the header and table are
    // written again because its bytes may already cover the old table.
    RemoveRecordAt(pending_);
    pending_ = -1;
    WriteHeader();
    WriteTable();
}

int CPKVfs::WriteHeader() {
    DiscIOMgr::Seek(file_, 0);  // answers 0 for position 0 even on success
    return DiscIOMgr::Write(file_, &header_, kCpkHeaderSize, DiscIOMgr::kNoRetry);
}

int CPKVfs::WriteTable() {
    if (header_.capacity == 0) {
        return 1;
    }
    if (DiscIOMgr::Seek(file_, header_.tableOffset) != header_.tableOffset) {
        return 0;
    }
    return DiscIOMgr::Write(file_, table_.data(), header_.capacity * kCpkEntrySize,
                            DiscIOMgr::kNoRetry);
}
