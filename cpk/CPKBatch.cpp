// CPKVfs: changing an archive (see CPKVfs.cpp for opening, lookups and
// listing, CPKSpace.cpp for where new bytes and records go).
//
// How changes survive a crash
// ---------------------------
// A change must never leave a file that does not open, and every entry must
// hold either its old or its new bytes, whatever moment a crash, a kill or a
// full disk strikes. The file keeps the format every reader knows (header
// at 0 pointing at the table, which ends the file); only where and in which
// order bytes are written is ours to choose. The scheme is the one trusted
// storage engines use: new bytes go where nothing live is, are made durable,
// and then one small write switches the header to them.
//
// - Changes are gathered into batches (BeginBatch .. CommitBatch; a change
//   outside a batch is a batch of its own). During a batch the header and
//   table on disk stay those of the last commit, and no byte they reach is
//   written. New contents and trailers go into blocks that were already
//   free at the last commit, or are appended past everything the records
//   reach. A block freed inside the batch waits for the commit, since the
//   table on disk still points at its bytes.
// - Appended bytes start where the table lies, as with every writer of this
//   format. Before the first of them is written over it, the committed
//   table is copied further out, past the room the batch will need ("parked",
//   with slack in long batches so that this happens seldom), flushed, and the
//   header is switched to the copy and flushed. The header is 124 bytes at
//   offset 0 and is written with one call, so a crash either switched it or
//   did not; either way it points at the same committed entries.
// - Commit merges the batch's records into the sorted table, writes the
//   table where the appended bytes end (parking the old one first should the
//   two overlap), flushes contents and table, switches the header, flushes
//   again and cuts the file behind the new table.
// - Abort (or a failed commit) restores the records in memory and moves a
//   parked table back to its place the same way, so that an abandoned batch
//   leaves the file as it was.
//
// A crash may leave dead bytes that no record reaches: past endOffset (a
// parked table, or a table whose header switch never came), which the next
// commit cuts, and a stretch before the table, which the next batch appends
// into first. Readers of the format never look at either.
//
// Every batch writes the table twice and flushes four times, whatever its
// size; records added in a batch are kept in arrival order beside the
// sorted table and merged at its commit, so that adding N entries costs
// O(N log N) plus the table rather than O(N x table). A large batch also
// flushes its entry bytes on a thread of its own as they are written (see
// WriteBehind), so that the flush before the switch waits for the last few
// megabytes only.
//
// [SECTION] batches
// [SECTION] changes: directories, files, removal
// [SECTION] placing the table
// [SECTION] gathered writes
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
#include "platform/fs.h"
#include "platform/text.h"

namespace {

// CopyEntryData hands entries this large to the system's copy between files.
constexpr uint32_t kCopyInSystemFrom = 256u << 10;
// WriteData gathers at most this many bytes before it writes them; a piece
// this large is written by itself.
constexpr uint32_t kGatherMax = 1u << 20;
// Entry bytes written in runs at least this long are handed to the disk at
// once (StartWriteBack): a batch's last flush then waits for little more
// than its table. Shorter runs wait for that flush.
constexpr uint64_t kWriteBackFrom = 256u << 10;
// Every this many bytes of entries written, a flush of the file starts on a
// thread of its own, should the last one have ended (platform::FlushBehind).
constexpr uint64_t kFlushBehindEvery = 8u << 20;

bool Overlaps(uint64_t begin, uint64_t end, uint64_t otherBegin, uint64_t otherEnd) {
    return begin < otherEnd && otherBegin < end;
}

}  // namespace

// [SECTION] batches

int CPKVfs::BeginBatch(uint64_t expectedBytes, uint32_t expectedEntries) {
    if (batch_ == Batch::kSingle) {
        RollBack();  // a single AddFile left pending: dropped as its change
    }
    if (batch_ == Batch::kExplicit || !BeginChange(Batch::kExplicit)) {
        return 0;
    }
    expected_ = expectedBytes;
    expectedEntries_ = expectedEntries;
    // The records in memory get their room now, rather than by moving the
    // whole table as it grows, step after step. Only as far as the records
    // could fit in an archive at all: the count comes from outside.
    const uint64_t room = uint64_t{header_.capacity} + expectedEntries + kCpkTableGrowth;
    if (expectedEntries > 0 && room < kCpkMaxFileSize / kCpkEntrySize) {
        if (table_.capacity() < room) {
            table_.reserve(static_cast<size_t>(room));
            freePosition_.reserve(static_cast<size_t>(room));
        }
        // The index of live records likewise, rather than rebuilt larger as
        // the records come.
        crcs_.reserve(static_cast<size_t>(header_.liveCount) + expectedEntries);
    }
    return 1;
}

int CPKVfs::CommitBatch() {
    if (batch_ != Batch::kExplicit) {
        return 0;
    }
    DropPendingEntry();
    return Commit() ? 1 : 0;
}

void CPKVfs::AbortBatch() {
    if (batch_ != Batch::kNone) {
        RollBack();
    }
}

bool CPKVfs::CanChange() {
    if (!open_) {
        return false;
    }
    if (readOnly_) {
        ShowMessage("The CPK %s is open for reading only", platform::NativePath(path_).c_str());
        return false;
    }
    if (!refusal_.empty()) {
        ShowMessage("The CPK %s cannot be changed: %s", platform::NativePath(path_).c_str(),
                    refusal_.c_str());
        return false;
    }
    return true;
}

bool CPKVfs::BeginChange(Batch kind) {
    if (batch_ == Batch::kSingle) {
        RollBack();  // the pending AddFile of a single change is dropped with it
    } else if (batch_ == Batch::kExplicit) {
        DropPendingEntry();
        return true;
    }
    if (!CanChange()) {
        return false;
    }
    committed_.header = header_;
    committed_.appendStart = appendStart_;
    committed_.table.clear();  // taken by Touch before the first change
    batch_ = kind;
    dirty_ = false;
    touched_ = false;
    waitingFree_.clear();
    gatheredSize_ = 0;
    gatherFailed_ = false;
    header_.tableOffset = appendStart_;
    header_.endOffset = appendStart_ + header_.capacity * kCpkEntrySize;
    return true;
}

void CPKVfs::Touch() {
    if (touched_) {
        return;
    }
    // The records as committed: parked as they are, and restored when the
    // batch is dropped.
    const uint32_t capacity = committed_.header.capacity;
    committed_.table.assign(table_.begin(), table_.begin() + capacity);
    committed_.freeList = freeList_;
    committed_.freeUsable = freeUsable_;
    touched_ = true;
}

int CPKVfs::EndChange(bool ok) {
    if (batch_ != Batch::kSingle) {
        return ok ? 1 : 0;  // a failed step of a batch is undone by the step
    }
    if (!ok) {
        RollBack();
        return 0;
    }
    return Commit() ? 1 : 0;
}

bool CPKVfs::Commit() {
    if (!dirty_) {
        // Nothing to write; a parked table goes back, and what a change cut
        // short left behind the table goes too.
        RollBack();
        CutBehindTable();
        return true;
    }
    // The batch's bytes must all be in the file before its table is.
    if (!FlushGathered()) {
        RollBack();
        return false;
    }
    MergeTail();
    const uint32_t at = header_.tableOffset;
    const uint64_t bytes = TableBytes(header_.capacity);
    header_.endOffset = static_cast<uint32_t>(at + bytes);
    if (Overlaps(at, at + bytes, disk_.tableOffset, disk_.endOffset) &&
        !Park(at + bytes, at + bytes)) {
        RollBack();
        return false;
    }
    if (!WriteTableAt(at, table_.data(), header_.capacity) || !SwitchHeader(header_)) {
        RollBack();
        return false;
    }
    CutBehindTable();
    for (uint32_t position : waitingFree_) {
        freeUsable_[position] = 1;
    }
    waitingFree_.clear();
    BuildFit();
    appendStart_ = UsedEnd();
    batch_ = Batch::kNone;
    dirty_ = false;
    touched_ = false;
    committed_.table.clear();
    return true;
}

void CPKVfs::RollBack() {
    pending_ = -1;
    // Bytes not written yet belong to the batch being dropped.
    gatheredSize_ = 0;
    gatherFailed_ = false;
    const CPKHeader& c = committed_.header;
    if (touched_) {
        std::copy(committed_.table.begin(), committed_.table.end(), table_.begin());
        std::fill(table_.begin() + c.capacity, table_.end(), CPKEntry{});
        freeList_ = committed_.freeList;
        freeUsable_ = committed_.freeUsable;
        header_ = c;
        sorted_ = c.usedCount;
        RebuildLookups(false);
        BuildFit();
        dirPaths_.clear();
    } else {
        // Nothing but the capacity may have grown, with zero records.
        std::fill(table_.begin() + std::min<size_t>(c.capacity, table_.size()), table_.end(),
                  CPKEntry{});
        header_ = c;
    }
    appendStart_ = committed_.appendStart;
    waitingFree_.clear();
    if (touched_ && disk_.tableOffset != c.tableOffset) {
        // The table was parked: back to its place, where nothing live is
        // now. Should that fail, it stays parked and the archive is sound
        // there just as well.
        if (WriteTableAt(c.tableOffset, committed_.table.data(), c.capacity) && SwitchHeader(c)) {
            CutBehindTable();
        } else {
            header_.tableOffset = disk_.tableOffset;
            header_.endOffset = disk_.endOffset;
        }
    }
    batch_ = Batch::kNone;
    dirty_ = false;
    touched_ = false;
    committed_.table.clear();
}

void CPKVfs::DropPendingEntry() {
    if (pending_ < 0) {
        return;
    }
    CPKEntry& e = table_[static_cast<size_t>(pending_)];
    ForgetGathered(e.offset, e.storedSize + e.trailerSize);
    ReleaseSpace(e.offset, e.storedSize + e.trailerSize);
    e = CPKEntry{};
    pending_ = -1;
}

// [SECTION] changes: directories, files, removal

uint32_t CPKVfs::AddDirectory(const std::string& name, uint32_t parentCrc) {
    if (!BeginChange(Batch::kSingle)) {
        return kCpkNoCrc;
    }
    const uint32_t crc = AddDirectoryInBatch(name, parentCrc);
    return EndChange(crc != kCpkNoCrc) ? crc : kCpkNoCrc;
}

uint32_t CPKVfs::AddDirectoryInBatch(const std::string& name, uint32_t parentCrc) {
    if (!EnsureTableCapacity()) {
        return kCpkNoCrc;
    }
    std::string path;
    if (!GetFullPath(parentCrc, path) || !JoinPath(path, name)) {
        return kCpkNoCrc;
    }
    const uint32_t crc = ComputeNameCRC(path.c_str());
    if (crcs_.count(crc) != 0) {
        // A file cannot hold entries: children under it would make an
        // archive that lists and extracts only in part.
        return RefuseKindChange(crc, true) ? kCpkNoCrc : crc;
    }
    if (!IsLiveDirectory(parentCrc)) {
        return kCpkNoCrc;
    }
    const uint32_t trailerSize = static_cast<uint32_t>(name.size()) + kCpkTrailerFixed;
    if (!HasRoomFor(trailerSize)) {
        return kCpkNoCrc;
    }
    Touch();
    const int index = FindInsertPosition(crc);
    if (index < 0) {
        ShowMessage("Couldn't find any free table item");
        return kCpkNoCrc;
    }
    uint32_t offset = 0;
    if (!AllocateSpace(trailerSize, offset)) {
        return kCpkNoCrc;
    }
    uint8_t digest[kCpkDigestSize];
    Md5OfBuffer(name.data(), name.size(), digest);
    const std::vector<uint8_t> trailer = MakeTrailer(name, digest);
    // The trailer is written before the record exists, so that a failed
    // write leaves nothing to undo but the space.
    if (!Guard(offset, trailerSize) || !WriteData(offset, trailer.data(), trailerSize)) {
        ReleaseSpace(offset, trailerSize);
        return kCpkNoCrc;
    }
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
    crcs_.insert(crc, index);
    if (!crcsComplete_) {
        tailIndex_[crc] = index;  // the index finds it otherwise
    }
    dirty_ = true;
    return crc;
}

bool CPKVfs::RefuseKindChange(uint32_t crc, bool directoryWanted) {
    const int index = FindEntry(crc);
    if (index < 0 || IsDirectory(table_[static_cast<size_t>(index)]) == directoryWanted) {
        return false;
    }
    std::string held;
    (void)GetFullPath(crc, held);
    ShowMessage(directoryWanted ? "%s is a file" : "%s is a folder", held.c_str());
    return true;
}

bool CPKVfs::IsLiveDirectory(uint32_t crc) {
    if (crc == 0) {
        return true;  // the root
    }
    const int index = FindEntry(crc);
    if (index >= 0 && IsDirectory(table_[static_cast<size_t>(index)])) {
        return true;
    }
    std::string held;
    if (index >= 0 && GetFullPath(crc, held)) {
        ShowMessage("%s is a file", held.c_str());
    } else {
        ShowMessage("No folder %08X to add to in %s", crc, platform::NativePath(path_).c_str());
    }
    return false;
}

uint32_t CPKVfs::AddPath(const std::string& relativePath, uint32_t parentCrc) {
    for (const std::string& part : cpkpath::Split(relativePath)) {
        // No GBK trail byte is a ".", so a dot found is a dot.
        if (part.find('.') != std::string::npos) {
            return parentCrc;  // this part and the rest name a file
        }
        parentCrc = AddDirectory(part, parentCrc);
        if (parentCrc == kCpkNoCrc) {
            return kCpkNoCrc;
        }
    }
    return parentCrc;
}

int CPKVfs::AddFile(const std::string& filePath, uint32_t parentCrc, const CPKEntry& source) {
    if (!BeginChange(Batch::kSingle)) {
        return -1;
    }
    std::string path;
    if (!EnsureTableCapacity() || !MakeFilePath(path, filePath, parentCrc)) {
        EndChange(false);
        return -1;
    }
    const uint32_t crc = ComputeNameCRC(path.c_str());
    const uint64_t size = uint64_t{source.storedSize} + source.trailerSize;
    // A file put where a folder is would take the folder's whole tree with
    // it; a folder record where a file is, the file.
    if (!IsLiveDirectory(parentCrc) ||
        (crcs_.count(crc) != 0 && RefuseKindChange(crc, IsDirectory(source)))) {
        EndChange(false);
        return -1;
    }
    if (!HasRoomFor(size)) {
        EndChange(false);
        return -1;
    }
    Touch();
    const int index = FindInsertPosition(crc);
    if (index < 0) {
        ShowMessage("Couldn't find any free table item, AddFile failed");
        EndChange(false);
        return -1;
    }
    // Space first: should it fail, the entry to be replaced is still there.
    uint32_t offset = 0;
    if (!AllocateSpace(static_cast<uint32_t>(size), offset)) {
        EndChange(false);
        return -1;
    }
    if (crcs_.count(crc) != 0) {
        RemoveInBatch(crc);  // replaced: in the same change as the new record
    }
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
    return Guard(uint64_t{e.offset} + at, length) && WriteData(e.offset + at, buffer, length);
}

int CPKVfs::CopyEntryData(int index, CPKVfs& source, int sourceIndex) {
    if (!open_ || index < 0 || index != pending_ || !source.open_ || sourceIndex < 0 ||
        static_cast<uint32_t>(sourceIndex) >= source.header_.usedCount) {
        return 0;
    }
    const CPKEntry& from = source.table_[static_cast<size_t>(sourceIndex)];
    const CPKEntry& to = table_[static_cast<size_t>(index)];
    if (!IsLive(from) || from.storedSize != to.storedSize || from.trailerSize != to.trailerSize) {
        return 0;
    }
    if (!source.EntryFits(from)) {
        ShowMessage("Corrupt CPK %s: entry %08X lies outside the data region",
                    platform::NativePath(source.path_).c_str(), from.crc);
        return 0;
    }
    const uint32_t total = from.storedSize + from.trailerSize;
    if (total == 0) {
        return 1;
    }
    if (!Guard(to.offset, total)) {
        return 0;
    }
    if (total >= kCopyInSystemFrom) {
        if (!FlushGathered() ||
            !DiscIOMgr::CopyRange(source.file_, from.offset, file_, to.offset, total, store_)) {
            return 0;
        }
        WriteBehind(to.offset, total);
        return 1;
    }
    // Small entries cost less read into the gathered bytes than handed to
    // the system's copy one by one.
    if (uint8_t* room = GatherRoom(to.offset, total)) {
        if (source.ReadRaw(from.offset, room, total)) {
            return 1;
        }
        gatheredSize_ -= total;  // the room is given back
        return 0;
    }
    if (gatherFailed_) {
        return 0;
    }
    // Outside a batch: written from the source's mapped piece.
    int chunk = -1;
    platform::MappedView none;
    const uint8_t* bytes = source.MapRange(from.offset, total, chunk, none, false);
    if (bytes == nullptr) {
        return FlushGathered() &&
               DiscIOMgr::CopyRange(source.file_, from.offset, file_, to.offset, total, store_);
    }
    const bool written = WriteData(to.offset, bytes, total);
    source.ReleaseChunk(chunk);
    return written ? 1 : 0;
}

int CPKVfs::CommitEntry(int index) {
    if (!open_ || index < 0 || index != pending_) {
        return 0;
    }
    pending_ = -1;
    ++header_.usedCount;
    ++header_.liveCount;
    const uint32_t crc = table_[static_cast<size_t>(index)].crc;
    crcs_.insert(crc, index);
    if (!crcsComplete_) {
        tailIndex_[crc] = index;  // the index finds it otherwise
    }
    dirty_ = true;
    return EndChange(true);
}

int CPKVfs::AbandonEntry(int index) {
    if (!open_ || index < 0 || index != pending_) {
        return 0;
    }
    if (batch_ == Batch::kSingle) {
        RollBack();  // the entry it was to replace comes back too
    } else {
        DropPendingEntry();
    }
    return 1;
}

int CPKVfs::RemoveByCRC(uint32_t crc) {
    if (!BeginChange(Batch::kSingle)) {
        return 0;
    }
    return EndChange(RemoveInBatch(crc) != 0);
}

int CPKVfs::RemoveInBatch(uint32_t crc) {
    const int index = FindEntry(crc);
    if (index < 0) {
        return 0;
    }
    Touch();
    DeleteRecord(index);
    dirty_ = true;
    return 1;
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
        dirPaths_.erase(e.crc);
        if (static_cast<uint32_t>(i) >= sorted_) {
            tailIndex_.erase(e.crc);
        }
        e.flags |= kEntryDeleted;
        const uint32_t position = static_cast<uint32_t>(freeList_.size());
        freePosition_[static_cast<size_t>(i)] = static_cast<int32_t>(position);
        freeList_.push_back(i);
        // The committed table still points at these bytes: they take new
        // ones only after the commit, and never when they overlap others.
        freeUsable_.push_back(0);
        if (overlapping_.count(e.offset) == 0) {
            waitingFree_.push_back(position);
        }
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

// [SECTION] placing the table

bool CPKVfs::Park(uint64_t clear, uint64_t wanted) {
    Touch();  // the committed records are what is parked
    const uint32_t count = committed_.header.capacity;
    const uint64_t bytes = TableBytes(count);
    // Where it is wanted first; where it must at least go should the disk
    // (or the 2 GiB limit) not allow that.
    const uint64_t places[] = {std::max(wanted, clear), clear};
    for (uint64_t at : places) {
        if (Overlaps(at, at + bytes, disk_.tableOffset, disk_.endOffset)) {
            at = disk_.endOffset;  // never over the table that is live now
        }
        if (at + bytes >= kCpkMaxFileSize) {
            continue;
        }
        CPKHeader parked = committed_.header;
        parked.tableOffset = static_cast<uint32_t>(at);
        parked.endOffset = static_cast<uint32_t>(at + bytes);
        if (WriteTableAt(parked.tableOffset, committed_.table.data(), count) &&
            SwitchHeader(parked)) {
            return true;
        }
    }
    if (clear + bytes >= kCpkMaxFileSize) {
        ShowMessage("The CPK %s cannot grow beyond 2 GiB", platform::NativePath(path_).c_str());
    }
    return false;
}

bool CPKVfs::WriteTableAt(uint32_t offset, const CPKEntry* records, uint32_t count) {
    if (!FlushGathered()) {
        return false;
    }
    return count == 0 ||
           (Guard(offset, uint64_t{count} * kCpkEntrySize) &&
            DiscIOMgr::WriteAt(file_, offset, records, count * kCpkEntrySize, store_));
}

bool CPKVfs::Guard(uint64_t offset, uint64_t length) {
    return guard_ == nullptr || guard_->BeforeOverwrite(file_, offset, length);
}

bool CPKVfs::SwitchHeader(const CPKHeader& header) {
    // Whatever the new header points at must be on the disk before it is.
    if (!FlushGathered() || !DiscIOMgr::Flush(file_, store_)) {
        return false;
    }
    unflushed_ = 0;
    if (!Guard(0, kCpkHeaderSize) ||
        !DiscIOMgr::WriteAt(file_, 0, &header, kCpkHeaderSize, store_)) {
        return false;
    }
    // Written is switched: every reader sees the new header from now on. The
    // flush only makes it outlive a power cut.
    disk_ = header;
    DiscIOMgr::Flush(file_, store_);
    return true;
}

void CPKVfs::CutBehindTable() {
    auto size = file_.Size();
    if (!FlushGathered() || !size || *size <= disk_.endOffset) {
        return;
    }
    // Windows does not cut a file under a mapping; it is made anew when an
    // entry is opened next. Should the cut fail still (an entry is open),
    // the bytes stay behind the table, where no reader looks.
    if (!Guard(disk_.endOffset, *size - disk_.endOffset)) {
        return;  // the bytes stay behind the table, where no reader looks
    }
    DropIdleChunks();
    mapping_.Close();
    if (DiscIOMgr::Seek(file_, disk_.endOffset) == disk_.endOffset) {
        DiscIOMgr::SetEndOfFile(file_, store_);
    }
}

// [SECTION] gathered writes

uint8_t* CPKVfs::GatherRoom(uint32_t offset, uint32_t length) {
    if (batch_ != Batch::kExplicit || length >= kGatherMax || gatherFailed_) {
        return nullptr;
    }
    const bool follows = uint64_t{gatheredAt_} + gatheredSize_ == offset;
    if (gatheredSize_ != 0 && (!follows || gatheredSize_ + length > kGatherMax) &&
        !FlushGathered()) {
        return nullptr;
    }
    if (gathered_ == nullptr) {
        gathered_.reset(new (std::nothrow) uint8_t[kGatherMax]);
        if (gathered_ == nullptr) {
            return nullptr;
        }
    }
    if (gatheredSize_ == 0) {
        gatheredAt_ = offset;
    }
    uint8_t* room = gathered_.get() + gatheredSize_;
    gatheredSize_ += length;
    return room;
}

bool CPKVfs::WriteData(uint32_t offset, const void* bytes, uint32_t length) {
    if (uint8_t* room = GatherRoom(offset, length)) {
        std::memcpy(room, bytes, length);
        return true;
    }
    if (gatherFailed_ || !FlushGathered() ||
        !DiscIOMgr::WriteAt(file_, offset, bytes, length, store_)) {
        return false;
    }
    WriteBehind(offset, length);
    return true;
}

void CPKVfs::WriteBehind(uint64_t offset, uint64_t length) {
    if (length >= kWriteBackFrom) {
        store_.StartWriteBack(file_, offset, length);
    }
    unflushed_ += length;
    if (unflushed_ >= kFlushBehindEvery && store_.StartFlush(file_, flushBehind_)) {
        unflushed_ = 0;
    }
}

bool CPKVfs::FlushGathered() {
    if (gatherFailed_) {
        return false;
    }
    if (gatheredSize_ == 0) {
        return true;
    }
    const bool written =
        DiscIOMgr::WriteAt(file_, gatheredAt_, gathered_.get(), gatheredSize_, store_);
    if (written) {
        WriteBehind(gatheredAt_, gatheredSize_);
    }
    gatheredSize_ = 0;
    gatherFailed_ = !written;
    return written;
}

bool CPKVfs::FlushGatheredOver(uint64_t begin, uint64_t end) {
    const uint64_t gatheredEnd = uint64_t{gatheredAt_} + gatheredSize_;
    return gatheredSize_ == 0 || !Overlaps(begin, end, gatheredAt_, gatheredEnd) || FlushGathered();
}

void CPKVfs::ForgetGathered(uint32_t offset, uint32_t size) {
    const uint64_t begin = gatheredAt_;
    const uint64_t end = begin + gatheredSize_;
    if (gatheredSize_ == 0 || !Overlaps(offset, uint64_t{offset} + size, begin, end)) {
        return;
    }
    if (uint64_t{offset} + size >= end) {
        gatheredSize_ = offset > begin ? static_cast<uint32_t>(offset - begin) : 0;
    } else {
        (void)FlushGathered();  // bytes of others follow; the space stays unused
    }
}
