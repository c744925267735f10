// One opened CPK archive (format: CPKFormat.h): open, create, look up, read
// and change its entries.
//
// Results follow the patcher's convention: 1 success, 0 failure. Failures are
// reported where they happen, through ShowMessage / ShowSystemError (message
// boxes; a tool installs a handler that prints them).
//
// Changes are crash-safe: at every moment the file on disk is a sound
// archive holding each entry either as it was before a change or as it is
// after it (the design is described at the top of CPKBatch.cpp). A change
// outside a batch is written when it is made. Between BeginBatch and
// CommitBatch changes are gathered and written together, all or none, and
// the table is written once per batch rather than once per entry.
//
// An archive from outside is not trusted: Open refuses a header or table
// that does not fit the file, and OpenEntry an entry whose bytes do not lie
// inside the data region, each with a message.
//
// An archive object is used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "cpk/CPKFormat.h"
#include "cpk/CrcIndex.h"
#include "cpk/DiscIOMgr.h"
#include "platform/file.h"
#include "platform/writeback.h"

class BlockPool;

// Answer of AddDirectory / AddPath when the directory could not be added.
constexpr uint32_t kCpkNoCrc = 0xFFFFFFFF;

// How Open takes the file. kReadOnly needs no write access and shares the
// file with other readers and writers (the game client keeps its archives
// open for reading); every change is then refused.
enum class CPKOpenMode { kReadWrite, kReadOnly };

// One opened entry, taken from the archive's block pool by OpenEntry and
// given back by CloseEntry.
struct CPKFile {
    char name[kCpkMaxPath + 1];  // full path in stored case, GBK
    CPKEntry entry;              // the record it was opened from
    const uint8_t* view;         // base of the mapped view
    const uint8_t* data;         // the entry's bytes at the requested position
    uint32_t viewOffset;         // data - view (alignment slack)
    const uint8_t* contents;     // decompressed buffer, or data
    uint32_t mappedSize;         // bytes from data to the end of the view
    uint32_t originalSize;       // the entry's original size
    uint32_t position;           // always 0
    int compressed;              // 1 when the method is not stored
    int valid;                   // 1 while in use, 0 after a failure
    // Where the view lives: one of the archive's shared mapped pieces
    // (chunk >= 0), or a view of its own.
    int chunk;
    platform::MappedView mapping;
};

// Told before an archive writes over or cuts away bytes its file holds
// already, with the file and the range (which may reach past the end), so
// that an owner can keep them and later put the file back exactly as it
// was. A false answer refuses the write, which then fails as one that could
// not be done. Called on the thread that changes the archive.
class CPKWriteGuard {
public:
    virtual ~CPKWriteGuard() = default;
    virtual bool BeforeOverwrite(platform::File& file, uint64_t offset, uint64_t length) = 0;
};

class CPKVfs {
public:
    // pool supplies the open-entry records; it is shared by the owner's
    // archives and must outlive this one. Every write, copy, flush and cut of
    // the archive's file goes through disk, which must outlive it too.
    explicit CPKVfs(BlockPool& pool, DiscIOMgr::Disk& disk = DiscIOMgr::Disk::System());
    ~CPKVfs();
    CPKVfs(const CPKVfs&) = delete;
    CPKVfs& operator=(const CPKVfs&) = delete;

    // Opens an existing archive (system path, GBK), for reading and writing
    // unless mode says otherwise. A missing file fails without a message. An
    // archive whose end offset disagrees with its table opens when the table
    // lies inside the file, but refuses changes.
    int Open(const std::string& path, CPKOpenMode mode = CPKOpenMode::kReadWrite);
    // Creates a new, empty archive; opens it instead when the file exists.
    // The new file appears complete or not at all.
    int Create(const std::string& path);
    // Closes the archive; a batch not committed is abandoned.
    int Close();
    bool IsOpen() const { return open_; }
    bool IsReadOnly() const { return readOnly_; }
    const std::string& Path() const { return path_; }

    // Starts gathering changes: until CommitBatch, adds, replacements and
    // removals are kept in memory and new bytes are written only where the
    // archive on disk does not reach. expectedBytes, when the caller knows
    // it, is about how many bytes of contents and trailers the batch will
    // add: room for them is set aside at once, so that the batch seldom has
    // to move the table on disk out of their way (each move flushes the
    // disk). expectedEntries, likewise, is about how many records it will
    // add: room for the table they grow is set aside with it. 0 when the
    // archive refuses changes or a batch is running.
    int BeginBatch(uint64_t expectedBytes = 0, uint32_t expectedEntries = 0);
    // Writes the batch's table and switches the archive to it. 1: every
    // change of the batch is in the file; 0: none is (the archive is as
    // before the batch, in the file and in memory). An entry still pending
    // (AddFile without CommitEntry) is left out.
    int CommitBatch();
    // Drops every change of the batch; the archive is as before it.
    void AbortBatch();
    bool InBatch() const { return batch_ != Batch::kNone; }

    // Index of the live record with this crc, or -1.
    int FindEntry(uint32_t crc) const;
    // The entry's own name (last component, stored case).
    int GetFileNameFromCRC(uint32_t crc, std::string& name);
    // The entry's full path in stored case; "" for crc 0 (the root).
    int GetFullPath(uint32_t crc, std::string& path);
    // dir + "\" + name, with the ASCII letters of the result lowered.
    int JoinPath(std::string& dir, const std::string& name);
    // The lowered path of filePath's last component under the parent.
    int MakeFilePath(std::string& path, const std::string& filePath, uint32_t parentCrc);

    // Reads length raw bytes (contents as stored, then trailer) of the live
    // entry at index from `at` on, from the file without mapping it; the
    // range must lie inside the entry. 0 on failure, without a message.
    int ReadEntryBytes(int index, uint32_t at, void* buffer, uint32_t length);

    // Reads the raw bytes of the entry at index ahead, when it is small and
    // the archive is open for reading only (nothing it does can change them),
    // so that its name, a comparison and a copy of it take no further reads
    // of the file. They are kept until the next ReadAhead or Close. Entries
    // asked for in file order are read with the bytes that follow them, up
    // to 1 MiB, so that the next ones take no read of their own.
    void ReadAhead(int index);

    // Maps the entry's bytes from start on (contents, then trailer); a stored
    // entry with the windowed flag is mapped one 8 MiB window at a time. A
    // compressed entry is decompressed into contents unless noDecompress is
    // set. Null on failure. The record stays valid until CloseEntry, even
    // across changes to the archive.
    CPKFile* OpenEntry(int index, uint32_t start, int noDecompress);
    int CloseEntry(CPKFile* file);

    // Number of live child directories (files) of parentCrc, in table order;
    // the first `capacity` of their crcs go to crcs, which may be null.
    uint32_t ListChildDirs(uint32_t parentCrc, uint32_t* crcs = nullptr,
                           uint32_t capacity = 0) const;
    uint32_t ListChildFiles(uint32_t parentCrc, uint32_t* crcs = nullptr,
                            uint32_t capacity = 0) const;

    // Adds directory `name` under parentCrc and answers its crc, or the crc
    // of the directory already there; kCpkNoCrc on failure, also when a file
    // is there or parentCrc is no directory.
    uint32_t AddDirectory(const std::string& name, uint32_t parentCrc);
    // Adds the directories of a backslash path under parentCrc and answers
    // the crc of the last one. A "." ends the walk: what follows is a file
    // name, not created.
    uint32_t AddPath(const std::string& relativePath, uint32_t parentCrc);
    // Makes a record for a file at the last component of filePath under
    // parentCrc, with source's flags, method, sizes and trailer size (an
    // existing entry of the same kind at that path is removed first), and
    // answers its index, or -1. A file where a directory is (or the other
    // way round) is refused, and so is a parent that is no directory. The
    // caller writes its storedSize + trailerSize bytes with
    // WriteEntryData and then calls CommitEntry; until then the entry is
    // pending, and any other change, CommitBatch or Close drops it. Outside
    // a batch, dropping it also brings back the entry it was to replace.
    int AddFile(const std::string& filePath, uint32_t parentCrc, const CPKEntry& source);
    // Writes length bytes at position `at` of the pending entry's bytes.
    int WriteEntryData(int index, uint32_t at, const void* buffer, uint32_t length);
    // Copies all the raw bytes (contents as stored, then trailer) of the live
    // entry sourceIndex of source into the pending entry at index, which was
    // made from that entry's record: file to file, inside the system where
    // it can, with nothing mapped or decompressed.
    int CopyEntryData(int index, CPKVfs& source, int sourceIndex);
    // Makes the pending entry live; outside a batch the change is written.
    int CommitEntry(int index);
    // Drops the pending entry at index without committing it; 1 when index
    // was pending.
    int AbandonEntry(int index);
    // Deletes the entry (a directory with its whole subtree).
    int RemoveByCRC(uint32_t crc);

    // The header as read or last written, and the in-memory records.
    const CPKHeader& Header() const { return header_; }
    const CPKEntry& EntryAt(int index) const { return table_[static_cast<size_t>(index)]; }
    // Record indices of the free list, in the order found or deleted.
    const std::vector<int32_t>& FreeList() const { return freeList_; }

    // Puts a guard before every write and cut of this archive's file, until
    // Close (null: none). The guard must outlive that.
    void SetWriteGuard(CPKWriteGuard* guard) { guard_ = guard; }

private:
    enum class Batch { kNone, kSingle, kExplicit };
    // The archive as on disk at the start of the batch, to park its table
    // and to return to when the batch is dropped.
    struct Committed {
        CPKHeader header{};
        std::vector<CPKEntry> table;  // header.capacity records
        std::vector<int32_t> freeList;
        std::vector<uint8_t> freeUsable;
        uint32_t appendStart = 0;
    };

    void ResetTable(uint32_t capacity);
    void CloseFile();
    bool ReadEntryName(const CPKEntry& entry, std::string& name);
    // length bytes of the file at offset: from the bytes read ahead or a
    // piece mapped already, else read (not mapped): many scattered small
    // reads cost least that way, where each touch of a new mapped page
    // costs a fault.
    bool ReadRaw(uint64_t offset, void* buffer, uint32_t length);
    bool EntryFits(const CPKEntry& entry) const;
    bool RefreshMapping(uint64_t end);
    // A view of [start, start + length): in a shared piece (chunk set), else
    // a view of its own when ownAllowed (start then aligned). Null on failure.
    const uint8_t* MapRange(uint32_t start, uint32_t length, int& chunk, platform::MappedView& own,
                            bool ownAllowed);
    void ReleaseChunk(int chunk);
    void DropIdleChunks();
    uint32_t ListChildren(uint32_t parentCrc, bool directories, uint32_t* crcs,
                          uint32_t capacity) const;

    // Changes.
    bool CanChange();
    bool BeginChange(Batch kind);
    void Touch();
    int EndChange(bool ok);
    void DropPendingEntry();
    bool Commit();
    void RollBack();
    uint32_t AddDirectoryInBatch(const std::string& name, uint32_t parentCrc);
    // Whether the live entry at crc is of the other kind (a file where a
    // directory is wanted, or a directory where a file is), said in a
    // message. Replacing one kind by the other is refused.
    bool RefuseKindChange(uint32_t crc, bool directoryWanted);
    // Whether crc is the root or a live directory, said in a message when it
    // is not: entries go only under directories.
    bool IsLiveDirectory(uint32_t crc);
    int RemoveInBatch(uint32_t crc);
    void DeleteRecord(int index);

    // Table bookkeeping.
    bool EnsureTableCapacity();
    int FindInsertPosition(uint32_t crc);
    bool HasRoomFor(uint64_t size);
    bool AllocateSpace(uint32_t size, uint32_t& offset);
    void ReleaseSpace(uint32_t offset, uint32_t size);
    void MergeTail();
    void RebuildFreePositions();
    void RebuildLookups(bool scanFreeList);
    void ScanFreeBlocks();
    // First fit over the free list in O(log n): a tree of the largest usable
    // block size below each node, over the free-list positions.
    void BuildFit();
    int FindFit(uint32_t size) const;
    void SetFit(size_t position, uint32_t size);
    uint32_t UsedEnd() const;

    // Writing the table where it may go.
    // Moves the committed table out to `wanted`, or to `clear` at least (the
    // first byte it must stay past), and switches the header to it.
    bool Park(uint64_t clear, uint64_t wanted);
    bool WriteTableAt(uint32_t offset, const CPKEntry* records, uint32_t count);
    // Asks the write guard, if any, before bytes at offset are written or cut.
    bool Guard(uint64_t offset, uint64_t length);
    bool SwitchHeader(const CPKHeader& header);
    void CutBehindTable();

    // Entry bytes (contents and trailers) written in a batch are gathered
    // while each run follows the one before in the file, and go to the file
    // in one write: a merge of many small entries makes a system call per
    // run of them rather than one per entry. They reach the file before
    // anything else does (the table, a header, a flush, a cut) and before
    // those bytes are read from the file. Outside a batch, and for large
    // pieces, they are written at once.
    bool WriteData(uint32_t offset, const void* bytes, uint32_t length);
    // Room in the gathered bytes for length bytes at offset in the file
    // (written first what cannot be followed); null when a write failed or
    // they are not to be gathered (outside a batch, or too many).
    uint8_t* GatherRoom(uint32_t offset, uint32_t length);
    // Writes what was gathered. Once that failed, the batch cannot commit:
    // every later write and the commit fail too, until the batch is dropped.
    bool FlushGathered();
    // FlushGathered when gathered bytes fall in [begin, end), which is about
    // to be read from the file.
    bool FlushGatheredOver(uint64_t begin, uint64_t end);
    // Forgets gathered bytes that belong to [offset, offset + size), given
    // back before they were written; writes the rest first when they follow.
    void ForgetGathered(uint32_t offset, uint32_t size);
    // Asks the disk to start writing entry bytes just written at offset, when
    // they are many, and to flush them on a thread of its own every few
    // megabytes: the flush before the next header switch then finds them
    // written. Changes nothing the file holds, nor its order of writes.
    void WriteBehind(uint64_t offset, uint64_t length);

    std::string path_;
    bool open_ = false;
    bool readOnly_ = false;
    std::string refusal_;  // why changes are refused ("" when they are not)
    platform::File file_;
    CPKWriteGuard* guard_ = nullptr;
    platform::FileMapping mapping_;
    // Mapped pieces of the file, shared by the entries opened in them, so
    // that opening and closing small entries maps nothing new.
    struct Chunk {
        platform::MappedView view;
        uint32_t users = 0;
        uint64_t lastUse = 0;
    };
    std::vector<Chunk> chunks_;
    uint64_t useClock_ = 0;
    CPKHeader header_{};           // in memory; during a batch tableOffset is where new bytes go
    CPKHeader disk_{};             // as it is on disk now
    std::vector<CPKEntry> table_;  // in-memory capacity >= header_.capacity
    // Records 0 .. sorted_-1 are in crc order; the records a batch adds
    // follow in the order they were added, and are merged in at its commit.
    uint32_t sorted_ = 0;
    std::unordered_map<uint32_t, int32_t> tailIndex_;  // live added records by crc
    CrcIndex crcs_;                                    // live records by crc
    bool crcsComplete_ = false;  // crcs_ holds every live record (no two share a crc)
    std::unordered_map<uint32_t, std::string> dirPaths_;  // full paths of directories
    std::vector<int32_t> freeList_;
    std::vector<int32_t> freePosition_;  // per record: its index in freeList_, or -1
    // Per free-list item: whether its block may take new bytes now. Blocks
    // freed in a batch wait for its commit; blocks that overlap other
    // records in a damaged archive never do.
    std::vector<uint8_t> freeUsable_;
    std::vector<uint32_t> waitingFree_;  // free-list items to release at commit
    std::vector<uint32_t> fit_;          // the first-fit tree (BuildFit)
    size_t fitLeaves_ = 0;
    std::set<uint32_t> overlapping_;  // offsets of live entries that overlap others
    uint32_t appendStart_ = 0;        // where a batch's first appended byte goes
    uint32_t granularity_;
    BlockPool& pool_;
    DiscIOMgr::Disk& store_;  // what the file is written through
    int pending_ = -1;        // record added by AddFile and not committed yet
    Batch batch_ = Batch::kNone;
    bool dirty_ = false;            // the batch has changed something
    bool touched_ = false;          // committed_ holds the records as committed
    uint64_t expected_ = 0;         // bytes the batch expects to append
    uint32_t expectedEntries_ = 0;  // records the batch expects to add
    // Bytes read ahead (ReadAhead): aheadSize_ of them in a buffer that is
    // kept, and not cleared, from one read to the next.
    std::unique_ptr<uint8_t[]> ahead_;
    size_t aheadSize_ = 0;
    size_t aheadCapacity_ = 0;
    uint64_t aheadAt_ = 0;                 // where ahead_[0] lies in the file
    uint64_t aheadNext_ = 0;               // where the last entry read ahead ends
    uint64_t aheadWindow_ = 0;             // how far the next read looks past its entry
    std::unique_ptr<uint8_t[]> gathered_;  // entry bytes not written yet (kGatherMax)
    uint32_t gatheredSize_ = 0;            // how many
    uint32_t gatheredAt_ = 0;              // where gathered_[0] goes in the file
    bool gatherFailed_ = false;            // writing gathered bytes failed in this batch
    platform::FlushBehind flushBehind_;    // flushes entry bytes while more are written
    uint64_t unflushed_ = 0;               // entry bytes written since a flush, behind or not
    Committed committed_;
};
