// A queue of variable-length byte messages that owns copies of them. Copies
// of up to GMsgPool::kBlockSize bytes live in a fixed pool of blocks, so a
// session's usual traffic (small messages, a few dozen outstanding) is queued
// without touching the heap; anything else falls back to malloc silently.
//
// Game thread only; nothing is locked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

#include "framework/GfcApi.h"

namespace GFC {

class GFC_API GMsgPool {
public:
    static constexpr int kBlockCount = 64;
    static constexpr uint32_t kBlockSize = 512;

    struct tagPoolBlock {
        void* buffer;       // malloc'ed at construction
        uint32_t capacity;  // kBlockSize, fixed
        bool inUse;
    };

    GMsgPool();
    virtual ~GMsgPool();
    GMsgPool(const GMsgPool&) = delete;
    GMsgPool& operator=(const GMsgPool&) = delete;

    // The first free block that holds size bytes, or else malloc(size) (null
    // when the heap is exhausted). *block receives the block's index, or -1
    // for a heap buffer, so the release need not search for it.
    void* Alloc(uint32_t size, int* block = nullptr);
    // Gives a block back, or frees a heap buffer. Null does nothing.
    void Release(void* buffer);
    // The same, for a buffer whose Alloc index is known (-1: from the heap).
    void Release(void* buffer, int block);

    bool IsPoolBuffer(const void* buffer) const;
    int BlocksInUse() const;

private:
    std::vector<tagPoolBlock> m_blocks;
    uint64_t m_freeMask;  // bit i set: block i is free and has a buffer
    static_assert(kBlockCount <= 64, "one bit per block");
};

class GFC_API GMsgQueue {
public:
    struct tagMsg {
        uint32_t size;  // bytes
        void* data;     // the queue's copy; valid until popped, erased or cleared
    };

    GMsgQueue();
    virtual ~GMsgQueue();
    GMsgQueue(const GMsgQueue&) = delete;
    GMsgQueue& operator=(const GMsgQueue&) = delete;

    // Appends a copy of size bytes. A message that cannot be stored (the
    // heap is exhausted, or size does not fit 32 bits) is dropped and logged.
    void PushMsg(const void* data, unsigned long size);
    // Removes the oldest message; nothing on an empty queue.
    void PopMsg();
    // The oldest message; {0, null} on an empty queue.
    tagMsg GetHeadMsg() const;
    int Size() const;
    bool IsEmpty() const;
    void Clear();

    // Walking the queue, oldest first, with removal on the way.
    // BeginIterate: cursor to the head; true when there is a message.
    bool BeginIterate();
    // The message at the cursor; {0, null} once the cursor is at the end.
    tagMsg IterGetCurrent() const;
    // Advances the cursor; true while it is on a message.
    bool IterNext();
    // Removes the message at the cursor and moves to the one after it; true
    // while the cursor is on a message. False, changing nothing, at the end.
    bool IterEraseCurrent();
    void EndIterate();
    bool IsIterating() const { return m_iterating; }

    const GMsgPool& GetPool() const { return m_pool; }

private:
    struct Entry {
        tagMsg msg;
        int block;  // pool block of msg.data, -1 for the heap
    };
    using List = std::list<Entry>;
    static constexpr size_t kSpareNodes = 64;

    // Unlinks the entry, gives its buffer back and keeps its list node for
    // the next push; answers the entry that followed.
    List::iterator Remove(List::iterator it);

    List m_msgs;
    List::iterator m_iter;
    bool m_iterating;
    GMsgPool m_pool;
    List m_spare;  // list nodes of removed messages, reused by PushMsg
};

}  // namespace GFC
