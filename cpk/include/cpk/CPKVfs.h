// One opened CPK archive (format: CPKFormat.h): open, create, look up, read
// and change its entries.
//
// Results follow the patcher's convention: 1 success, 0 failure. Failures are
// reported where they happen, through ShowMessage / ShowSystemError (message
// boxes; a tool installs a handler that prints them). Every change is written
// to the file when it is made; Close writes nothing.
//
// An archive from outside is not trusted: Open refuses a header or table
// that does not fit the file, and OpenEntry an entry whose bytes do not lie
// inside the data region, each with a message.
//
// An archive object is used by one thread at a time.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "cpk/CPKFormat.h"
#include "platform/file.h"

class BlockPool;

// Answer of AddDirectory / AddPath when the directory could not be added.
constexpr uint32_t kCpkNoCrc = 0xFFFFFFFF;

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
    platform::MappedView mapping;
};

class CPKVfs {
public:
    // pool supplies the open-entry records; it is shared by the owner's
    // archives and must outlive this one.
    explicit CPKVfs(BlockPool& pool);
    ~CPKVfs();
    CPKVfs(const CPKVfs&) = delete;
    CPKVfs& operator=(const CPKVfs&) = delete;

    // Opens an existing archive (system path, GBK) for reading and writing.
    // A missing file fails without a message.
    int Open(const std::string& path);
    // Creates a new, empty archive; opens it instead when the file exists.
    int Create(const std::string& path);
    int Close();
    bool IsOpen() const { return open_; }
    const std::string& Path() const { return path_; }

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
    // of the entry already there; kCpkNoCrc on failure.
    uint32_t AddDirectory(const std::string& name, uint32_t parentCrc);
    // Adds the directories of a backslash path under parentCrc and answers
    // the crc of the last one. A "." ends the walk: what follows is a file
    // name, not created.
    uint32_t AddPath(const std::string& relativePath, uint32_t parentCrc);
    // Makes a record for a file at the last component of filePath under
    // parentCrc, with source's flags, method, sizes and trailer size (an
    // existing entry at that path is removed first), and answers its index,
    // or -1. The caller writes its storedSize + trailerSize bytes with
    // WriteEntryData and then calls CommitEntry; until then the entry is
    // pending and any other change to the archive, or Close, drops it.
    int AddFile(const std::string& filePath, uint32_t parentCrc, const CPKEntry& source);
    // Writes length bytes at position `at` of the pending entry's bytes.
    int WriteEntryData(int index, uint32_t at, const void* buffer, uint32_t length);
    // Makes the pending entry live and writes header and table.
    int CommitEntry(int index);
    // Drops the pending entry at index without committing it (its space is
    // left unused); 1 when index was pending.
    int AbandonEntry(int index);
    // Deletes the entry (a directory with its whole subtree).
    int RemoveByCRC(uint32_t crc);

    // The header as read or last written, and the in-memory records.
    const CPKHeader& Header() const { return header_; }
    const CPKEntry& EntryAt(int index) const { return table_[static_cast<size_t>(index)]; }
    // Record indices of the free list, in the order found or deleted.
    const std::vector<int32_t>& FreeList() const { return freeList_; }

private:
    void ResetTable(uint32_t capacity);
    void CloseFile();
    bool ReadEntryName(const CPKEntry& entry, std::string& name);
    bool EntryFits(const CPKEntry& entry) const;
    bool EnsureTableCapacity();
    int FindInsertPosition(uint32_t crc);
    void RemoveRecordAt(int index);
    bool HasRoomFor(uint64_t size);
    uint32_t AllocateSpace(uint32_t size);
    void DeleteRecord(int index);
    int WriteHeader();
    int WriteTable();
    bool RefreshMapping(uint64_t end);
    void DropPendingEntry();
    uint32_t ListChildren(uint32_t parentCrc, bool directories, uint32_t* crcs,
                          uint32_t capacity) const;

    std::string path_;
    bool open_ = false;
    platform::File file_;
    platform::FileMapping mapping_;
    CPKHeader header_{};
    std::vector<CPKEntry> table_;  // in-memory capacity >= header_.capacity
    std::set<uint32_t> crcs_;      // crcs of live entries
    std::vector<int32_t> freeList_;
    std::vector<int32_t> freePosition_;  // per record: its index in freeList_, or -1
    uint32_t granularity_;
    BlockPool& pool_;
    int pending_ = -1;  // record added by AddFile and not committed yet
};
