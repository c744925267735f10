// A set of 32-bit name crcs held in one flat array: the archive keeps one
// entry per live record (tens of thousands in a game archive) and builds
// it anew at every open, where a node per crc cost an allocation each.
//
// Open addressing with linear probing, at most half full; a removal moves
// the crcs probed past it back, so that no marker of removed slots is left
// to lengthen later probes. Not thread-safe: it belongs to its archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CrcSet {
public:
    // Makes room for count crcs without growing again.
    void reserve(size_t count);
    // 1 when crc was added, 0 when it was there already.
    size_t insert(uint32_t crc);
    // 1 when crc was removed, 0 when it was not there.
    size_t erase(uint32_t crc);
    // 1 when crc is in the set, else 0.
    size_t count(uint32_t crc) const;
    size_t size() const { return size_ + (hasZero_ ? 1 : 0); }
    bool empty() const { return size() == 0; }
    // Removes every crc; the room stays.
    void clear();

private:
    // 0 marks an empty slot; the crc 0 itself is kept beside the slots.
    size_t Slot(uint32_t crc) const;
    void Grow(size_t slots);

    std::vector<uint32_t> slots_;  // a power of two in size, or empty
    size_t size_ = 0;              // crcs other than 0 in slots_
    bool hasZero_ = false;
};
