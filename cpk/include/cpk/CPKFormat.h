// The bytes of a CPK archive on disk: a 124-byte header, the data region
// (each entry's contents followed by its trailer, and free blocks left by
// deleted entries), then the entry table of `capacity` 28-byte records, which
// always ends the file. All integers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kCpkMagic = 0x1A545352;  // "RST" 0x1A
constexpr uint32_t kCpkVersion = 1;
constexpr uint32_t kCpkHeaderSize = 124;
constexpr uint32_t kCpkEntrySize = 28;
// A new table holds this many records; a full table grows by as many.
constexpr uint32_t kCpkTableGrowth = 5000;
// Size of a new, empty archive: header and a zeroed table.
constexpr uint32_t kCpkEmptySize = kCpkHeaderSize + kCpkTableGrowth * kCpkEntrySize;
// Longest full path of an entry, in bytes.
constexpr uint32_t kCpkMaxPath = 323;
// A trailer follows each entry's contents: the entry's own name, two zero
// bytes, 40 reserved bytes and a 16-byte MD5 digest.
constexpr uint32_t kCpkTrailerTerminator = 2;
constexpr uint32_t kCpkTrailerReserved = 40;
constexpr uint32_t kCpkDigestSize = 16;
// Where the digest starts, counted from the end of the name.
constexpr uint32_t kCpkTrailerDigestAt = kCpkTrailerTerminator + kCpkTrailerReserved;
// Bytes of a trailer besides the name.
constexpr uint32_t kCpkTrailerFixed = kCpkTrailerDigestAt + kCpkDigestSize;
static_assert(kCpkTrailerFixed == 58, "a trailer is its name and 58 bytes");
// Stored entries with the windowed flag are mapped this much at a time.
constexpr uint32_t kCpkWindowSize = 8u << 20;
// Archives are addressed with 32-bit offsets and must stay below 2 GiB.
constexpr uint64_t kCpkMaxFileSize = uint64_t{1} << 31;

// Entry flags (the low half of the word at offset 4 of a record).
enum : uint16_t {
    kEntryInUse = 0x01,
    kEntryDirectory = 0x02,
    kEntryWindowed = 0x04,  // stored contents are read in kCpkWindowSize windows
    kEntryDeleted = 0x10,   // a free block [offset, offset + storedSize)
};

struct CPKHeader {
    uint32_t magic;        // kCpkMagic
    uint32_t version;      // 1 at creation; not checked
    uint32_t tableOffset;  // file offset of the entry table
    uint32_t reserved0;    // 124 at creation
    uint32_t liveCount;    // live entries (files and directories)
    uint32_t reserved1;    // 0 at creation
    uint32_t reserved2;    // 124 at creation
    uint32_t usedCount;    // records in use, live and deleted: records 0 .. usedCount-1
    uint32_t capacity;     // records in the file's table
    uint32_t freeCount;    // deleted records
    uint32_t endOffset;    // just past the table: the file length
    uint32_t reserved3[20];
};

struct CPKEntry {
    uint32_t crc;           // name hash of the lower-cased full path; sort key
    uint16_t flags;         // kEntry...
    uint16_t method;        // kMethod... (Codec.h); 0 for directories
    uint32_t parentCrc;     // crc of the parent directory; 0 at the root
    uint32_t offset;        // file offset of the contents (then the trailer)
    uint32_t storedSize;    // contents as stored; 0 for directories
    uint32_t originalSize;  // contents after decompression; 0 for directories
    uint32_t trailerSize;   // name length + kCpkTrailerFixed
};

// The table is read and written as the in-memory array of records, so the
// records must have exactly the layout on disk, on a little-endian host.
static_assert(sizeof(CPKHeader) == kCpkHeaderSize, "CPKHeader is 124 bytes on disk");
static_assert(offsetof(CPKHeader, tableOffset) == 8 && offsetof(CPKHeader, usedCount) == 28 &&
                  offsetof(CPKHeader, endOffset) == 40 && offsetof(CPKHeader, reserved3) == 44,
              "CPKHeader field offsets");
static_assert(sizeof(CPKEntry) == kCpkEntrySize, "CPKEntry is 28 bytes on disk");
static_assert(offsetof(CPKEntry, flags) == 4 && offsetof(CPKEntry, method) == 6 &&
                  offsetof(CPKEntry, parentCrc) == 8 && offsetof(CPKEntry, offset) == 12 &&
                  offsetof(CPKEntry, storedSize) == 16 && offsetof(CPKEntry, originalSize) == 20 &&
                  offsetof(CPKEntry, trailerSize) == 24,
              "CPKEntry field offsets");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "archive records are kept in host order, which must be little-endian");

// The trailer of an entry named name (its last path component, stored
// case): the name, two zero bytes, 40 zero bytes and the digest.
std::vector<uint8_t> MakeTrailer(const std::string& name, const uint8_t digest[kCpkDigestSize]);

// Bytes of a table of capacity records.
inline uint64_t TableBytes(uint32_t capacity) {
    return uint64_t{capacity} * kCpkEntrySize;
}

inline bool IsLive(const CPKEntry& e) {
    return (e.flags & kEntryInUse) != 0 && (e.flags & kEntryDeleted) == 0;
}
inline bool IsDirectory(const CPKEntry& e) {
    return (e.flags & kEntryDirectory) != 0;
}
