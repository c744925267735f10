// A small pool of reusable memory blocks. The archive takes its open-entry
// records from it, so that the frequent open and close of entries does not go
// to the heap each time.
//
// Six size classes (1 KiB, 64 KiB, 256 KiB, 1 MiB, 4 MiB, 8 MiB) of 32 slots
// each. A request takes the first free slot of the smallest class that fits;
// when that class is exhausted, or the request is larger than 8 MiB, the
// block comes from the heap instead. Blocks stay with their slot for the
// pool's lifetime.
//
// Thread-safe: Allocate holds the pool's lock; Release only clears the slot's
// in-use flag (an atomic store) and takes no lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

class BlockPool {
public:
    static constexpr int kClassCount = 6;
    static constexpr int kSlotsPerClass = 32;
    static constexpr size_t kClassSize[kClassCount] = {
        size_t{1} << 10, size_t{64} << 10, size_t{256} << 10,
        size_t{1} << 20, size_t{4} << 20,  size_t{8} << 20,
    };

    // Allocates 16 blocks of 1 KiB, 2 of 64 KiB and 1 of 256 KiB up front.
    BlockPool();
    // Frees every pooled block; blocks still handed out become invalid.
    ~BlockPool();
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // A block of at least size bytes, aligned for any type; null when the
    // heap has no memory left.
    void* Allocate(size_t size);
    // Gives a block back: to its slot if it came from the pool, else to the
    // heap. Null is ignored.
    void Release(void* block);

    // Diagnostics: whether block belongs to a slot of the pool, and how many
    // slots of a class are handed out now.
    bool Owns(const void* block) const;
    int InUse(int sizeClass) const;
    // Times the slots of a class were handed out in all.
    uint32_t HandedOut(int sizeClass) const;

private:
    struct Slot {
        std::atomic<void*> block{nullptr};
        size_t classSize = 0;
        std::atomic<size_t> requested{0};  // size last requested; 0 while free
        size_t largestRequested = 0;
        uint32_t handedOut = 0;
        std::atomic<bool> inUse{false};
        bool hasBlock = false;
    };

    Slot slots_[kClassCount][kSlotsPerClass];
    mutable std::mutex mu_;
};
