#include "cpk/CrcSet.h"

#include <algorithm>

namespace {

// Slots start at this many and stay at least twice the crcs they hold.
constexpr size_t kMinSlots = 16;

}  // namespace

size_t CrcSet::Slot(uint32_t crc) const {
    // Crcs of names are spread already; the multiplication spreads crafted
    // ones that differ only in their high bits over the low ones as well.
    const uint64_t mixed = uint64_t{crc} * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(mixed >> 32) & (slots_.size() - 1);
}

void CrcSet::Grow(size_t slots) {
    std::vector<uint32_t> old;
    old.swap(slots_);
    slots_.assign(slots, 0);
    for (uint32_t crc : old) {
        if (crc != 0) {
            size_t at = Slot(crc);
            while (slots_[at] != 0) {
                at = (at + 1) & (slots_.size() - 1);
            }
            slots_[at] = crc;
        }
    }
}

void CrcSet::reserve(size_t count) {
    size_t slots = kMinSlots;
    while (slots < 2 * count) {
        slots *= 2;
    }
    if (slots > slots_.size()) {
        Grow(slots);
    }
}

size_t CrcSet::insert(uint32_t crc) {
    if (crc == 0) {
        const bool added = !hasZero_;
        hasZero_ = true;
        return added ? 1 : 0;
    }
    if (2 * (size_ + 1) > slots_.size()) {
        Grow(slots_.empty() ? kMinSlots : 2 * slots_.size());
    }
    size_t at = Slot(crc);
    while (slots_[at] != 0) {
        if (slots_[at] == crc) {
            return 0;
        }
        at = (at + 1) & (slots_.size() - 1);
    }
    slots_[at] = crc;
    ++size_;
    return 1;
}

size_t CrcSet::count(uint32_t crc) const {
    if (crc == 0) {
        return hasZero_ ? 1 : 0;
    }
    if (slots_.empty()) {
        return 0;
    }
    for (size_t at = Slot(crc); slots_[at] != 0; at = (at + 1) & (slots_.size() - 1)) {
        if (slots_[at] == crc) {
            return 1;
        }
    }
    return 0;
}

size_t CrcSet::erase(uint32_t crc) {
    if (crc == 0) {
        const bool removed = hasZero_;
        hasZero_ = false;
        return removed ? 1 : 0;
    }
    if (slots_.empty()) {
        return 0;
    }
    const size_t mask = slots_.size() - 1;
    size_t hole = Slot(crc);
    while (slots_[hole] != crc) {
        if (slots_[hole] == 0) {
            return 0;
        }
        hole = (hole + 1) & mask;
    }
    // The crcs after the hole, up to the next empty slot, that their probe
    // would no longer reach across it move back into it.
    for (size_t next = (hole + 1) & mask; slots_[next] != 0; next = (next + 1) & mask) {
        const size_t home = Slot(slots_[next]);
        // Whether home lies cyclically in (hole, next]: then it stays.
        const bool stays =
            hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (!stays) {
            slots_[hole] = slots_[next];
            hole = next;
        }
    }
    slots_[hole] = 0;
    --size_;
    return 1;
}

void CrcSet::clear() {
    std::fill(slots_.begin(), slots_.end(), 0u);
    size_ = 0;
    hasZero_ = false;
}
