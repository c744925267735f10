// The live records of an archive by name crc, held in one flat array: a
// game archive has tens of thousands of them, the index is built anew at
// every open, and a merge looks up every entry it brings. A node per crc
// cost an allocation each, a binary search over the table a cache miss per
// step.
//
// Open addressing with linear probing, at most half full; a removal moves
// the crcs probed past it back, so that no marker of removed slots is left
// to lengthen later probes. Not thread-safe: it belongs to its archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CrcIndex {
public:
    // Makes room for count crcs without growing again.
    void reserve(size_t count);
    // Sets the record of crc. 1 when crc was added, 0 when it was there
    // already (its record is replaced).
    size_t insert(uint32_t crc, int32_t record);
    // 1 when crc was removed, 0 when it was not there.
    size_t erase(uint32_t crc);
    // 1 when crc is in the index, else 0.
    size_t count(uint32_t crc) const;
    // The record of crc, -1 when it has none.
    int32_t find(uint32_t crc) const;
    // Every record r becomes moved[r] (records past moved's end stay).
    void Renumber(const std::vector<int32_t>& moved);
    size_t size() const { return size_ + (hasZero_ ? 1 : 0); }
    bool empty() const { return size() == 0; }
    // Removes every crc; the room stays.
    void clear();

private:
    struct Slot {
        uint32_t crc;    // 0: empty
        int32_t record;  // of crc
    };
    // The crc 0 itself is kept beside the slots.
    size_t Home(uint32_t crc) const;
    void Grow(size_t slots);

    std::vector<Slot> slots_;  // a power of two in size, or empty
    size_t size_ = 0;          // crcs other than 0 in slots_
    bool hasZero_ = false;
    int32_t zeroRecord_ = -1;
};
