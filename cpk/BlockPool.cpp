#include "cpk/BlockPool.h"

#include <cstdlib>

namespace {

// Blocks allocated when the pool is built: the classes the archive uses for
// every entry it opens.
constexpr int kPreallocated[BlockPool::kClassCount] = {16, 2, 1, 0, 0, 0};

}  // namespace

constexpr size_t BlockPool::kClassSize[kClassCount];

BlockPool::BlockPool() {
    for (int c = 0; c < kClassCount; ++c) {
        for (int s = 0; s < kSlotsPerClass; ++s) {
            Slot& slot = slots_[c][s];
            slot.classSize = kClassSize[c];
            if (s < kPreallocated[c]) {
                void* block = std::malloc(kClassSize[c]);
                if (block != nullptr) {
                    slot.block.store(block);
                    slot.hasBlock = true;
                }
            }
        }
    }
}

BlockPool::~BlockPool() {
    for (auto& cls : slots_) {
        for (Slot& slot : cls) {
            std::free(slot.block.load());
        }
    }
}

void* BlockPool::Allocate(size_t size) {
    int c = 0;
    while (c < kClassCount && kClassSize[c] < size) {
        ++c;
    }
    if (c < kClassCount) {
        std::lock_guard<std::mutex> lock(mu_);
        for (Slot& slot : slots_[c]) {
            if (slot.inUse.load(std::memory_order_acquire)) {
                continue;
            }
            if (!slot.hasBlock) {
                void* block = std::malloc(slot.classSize);
                if (block == nullptr) {
                    return nullptr;
                }
                slot.block.store(block, std::memory_order_release);
                slot.hasBlock = true;
            }
            slot.requested.store(size, std::memory_order_relaxed);
            if (size > slot.largestRequested) {
                slot.largestRequested = size;
            }
            ++slot.handedOut;
            slot.inUse.store(true, std::memory_order_release);
            return slot.block.load(std::memory_order_relaxed);
        }
    }
    // Class exhausted or request too large: the heap serves it.
    return std::malloc(size == 0 ? 1 : size);
}

void BlockPool::Release(void* block) {
    if (block == nullptr) {
        return;
    }
    for (auto& cls : slots_) {
        for (Slot& slot : cls) {
            if (slot.block.load(std::memory_order_acquire) == block) {
                slot.requested.store(0, std::memory_order_relaxed);
                slot.inUse.store(false, std::memory_order_release);
                return;
            }
        }
    }
    std::free(block);
}

bool BlockPool::Owns(const void* block) const {
    for (const auto& cls : slots_) {
        for (const Slot& slot : cls) {
            if (block != nullptr && slot.block.load(std::memory_order_acquire) == block) {
                return true;
            }
        }
    }
    return false;
}

int BlockPool::InUse(int sizeClass) const {
    int n = 0;
    for (const Slot& slot : slots_[sizeClass]) {
        n += slot.inUse.load(std::memory_order_acquire) ? 1 : 0;
    }
    return n;
}

uint32_t BlockPool::HandedOut(int sizeClass) const {
    std::lock_guard<std::mutex> lock(mu_);
    uint32_t n = 0;
    for (const Slot& slot : slots_[sizeClass]) {
        n += slot.handedOut;
    }
    return n;
}
