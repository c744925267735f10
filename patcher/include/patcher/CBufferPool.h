// A pool of fixed-size memory blocks in up to kPoolClassesMax size classes,
// so the steady flow of download blocks needs no heap traffic. Blocks return
// to the heap only when the pool is destroyed. Get and Put may be called from
// any thread.
#pragma once

#include <cstddef>
#include <mutex>
#include <unordered_map>
#include <vector>

constexpr size_t kPoolClassesMax = 8;

class CBufferPool {
public:
    CBufferPool() = default;
    ~CBufferPool();
    CBufferPool(const CBufferPool&) = delete;
    CBufferPool& operator=(const CBufferPool&) = delete;

    // Adds a size class of blockSize-byte blocks with preallocate of them
    // ready. False when kPoolClassesMax classes exist or blockSize is 0.
    // Classes are searched in the order they were added.
    bool AddClass(size_t blockSize, size_t preallocate);

    // A block of at least size bytes: from the first class whose blocks are
    // large enough (a free one, or a new one of the class size), else a
    // plain heap allocation. Null only when the heap is exhausted.
    void* Get(size_t size);
    // Returns a block: one of the pool's goes back to its class's free list,
    // any other pointer is freed to the heap. Null is ignored.
    void Put(void* block);

    // Blocks of all classes, and those of them handed out.
    size_t BlockCount() const;
    size_t InUseCount() const;

private:
    struct Record {
        void* block = nullptr;
        bool inUse = false;
        size_t size = 0;
        size_t useCount = 0;
    };
    struct SizeClass {
        size_t blockSize = 0;
        std::vector<size_t> freeList;  // indexes into records
        std::vector<Record> records;   // every block of the class
    };
    struct Where {
        size_t sizeClass;
        size_t record;
    };

    mutable std::mutex mu_;
    std::vector<SizeClass> classes_;
    std::unordered_map<void*, Where> where_;
};
