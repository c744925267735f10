#include "cpk/CrcIndex.h"

#include <algorithm>

namespace {

// Slots start at this many and stay at least twice the crcs they hold.
constexpr size_t kMinSlots = 16;

}  // namespace

size_t CrcIndex::Home(uint32_t crc) const {
    // Crcs of names are spread already; the multiplication spreads crafted
    // ones that differ only in their high bits over the low ones as well.
    const uint64_t mixed = uint64_t{crc} * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(mixed >> 32) & (slots_.size() - 1);
}

void CrcIndex::Grow(size_t slots) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(slots, Slot{0, -1});
    for (const Slot& s : old) {
        if (s.crc != 0) {
            size_t at = Home(s.crc);
            while (slots_[at].crc != 0) {
                at = (at + 1) & (slots_.size() - 1);
            }
            slots_[at] = s;
        }
    }
}

void CrcIndex::reserve(size_t count) {
    size_t slots = kMinSlots;
    while (slots < 2 * count) {
        slots *= 2;
    }
    if (slots > slots_.size()) {
        Grow(slots);
    }
}

size_t CrcIndex::insert(uint32_t crc, int32_t record) {
    if (crc == 0) {
        const bool added = !hasZero_;
        hasZero_ = true;
        zeroRecord_ = record;
        return added ? 1 : 0;
    }
    if (2 * (size_ + 1) > slots_.size()) {
        Grow(slots_.empty() ? kMinSlots : 2 * slots_.size());
    }
    size_t at = Home(crc);
    while (slots_[at].crc != 0) {
        if (slots_[at].crc == crc) {
            slots_[at].record = record;
            return 0;
        }
        at = (at + 1) & (slots_.size() - 1);
    }
    slots_[at] = Slot{crc, record};
    ++size_;
    return 1;
}

int32_t CrcIndex::find(uint32_t crc) const {
    if (crc == 0) {
        return hasZero_ ? zeroRecord_ : -1;
    }
    if (slots_.empty()) {
        return -1;
    }
    for (size_t at = Home(crc); slots_[at].crc != 0; at = (at + 1) & (slots_.size() - 1)) {
        if (slots_[at].crc == crc) {
            return slots_[at].record;
        }
    }
    return -1;
}

size_t CrcIndex::count(uint32_t crc) const {
    if (crc == 0) {
        return hasZero_ ? 1 : 0;
    }
    if (slots_.empty()) {
        return 0;
    }
    for (size_t at = Home(crc); slots_[at].crc != 0; at = (at + 1) & (slots_.size() - 1)) {
        if (slots_[at].crc == crc) {
            return 1;
        }
    }
    return 0;
}

size_t CrcIndex::erase(uint32_t crc) {
    if (crc == 0) {
        const bool removed = hasZero_;
        hasZero_ = false;
        zeroRecord_ = -1;
        return removed ? 1 : 0;
    }
    if (slots_.empty()) {
        return 0;
    }
    const size_t mask = slots_.size() - 1;
    size_t hole = Home(crc);
    while (slots_[hole].crc != crc) {
        if (slots_[hole].crc == 0) {
            return 0;
        }
        hole = (hole + 1) & mask;
    }
    // The crcs after the hole, up to the next empty slot, that their probe
    // would no longer reach across it move back into it.
    for (size_t next = (hole + 1) & mask; slots_[next].crc != 0; next = (next + 1) & mask) {
        const size_t home = Home(slots_[next].crc);
        // Whether home lies cyclically in (hole, next]: then it stays.
        const bool stays =
            hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (!stays) {
            slots_[hole] = slots_[next];
            hole = next;
        }
    }
    slots_[hole] = Slot{0, -1};
    --size_;
    return 1;
}

void CrcIndex::Renumber(const std::vector<int32_t>& moved) {
    auto renumber = [&](int32_t& record) {
        if (record >= 0 && static_cast<size_t>(record) < moved.size()) {
            record = moved[static_cast<size_t>(record)];
        }
    };
    for (Slot& s : slots_) {
        if (s.crc != 0) {
            renumber(s.record);
        }
    }
    if (hasZero_) {
        renumber(zeroRecord_);
    }
}

void CrcIndex::clear() {
    std::fill(slots_.begin(), slots_.end(), Slot{0, -1});
    size_ = 0;
    hasZero_ = false;
    zeroRecord_ = -1;
}
