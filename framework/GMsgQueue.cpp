#include "framework/GMsgQueue.h"

#include <cstdlib>
#include <cstring>

#include "lumo/Log.h"

namespace GFC {

GMsgPool::GMsgPool() : m_freeMask(0) {
    m_blocks.reserve(kBlockCount);
    for (int i = 0; i < kBlockCount; ++i) {
        void* buffer = std::malloc(kBlockSize);
        // A block whose buffer could not be had holds nothing, so it is never
        // handed out; its messages take the heap path instead.
        m_blocks.push_back(tagPoolBlock{buffer, buffer ? kBlockSize : 0, false});
        if (buffer) {
            m_freeMask |= uint64_t(1) << i;
        }
    }
}

GMsgPool::~GMsgPool() {
    for (tagPoolBlock& b : m_blocks) {
        std::free(b.buffer);
    }
}

void* GMsgPool::Alloc(uint32_t size, int* block) {
    // Every block has the same capacity, so the first free block that fits
    // is the lowest free one: first fit in one step.
    if (size <= kBlockSize && m_freeMask != 0) {
        const int i = __builtin_ctzll(m_freeMask);
        m_freeMask &= ~(uint64_t(1) << i);
        m_blocks[i].inUse = true;
        if (block) {
            *block = i;
        }
        return m_blocks[i].buffer;
    }
    if (block) {
        *block = -1;
    }
    return std::malloc(size ? size : 1);
}

void GMsgPool::Release(void* buffer) {
    if (!buffer) {
        return;
    }
    for (int i = 0; i < kBlockCount; ++i) {
        if (m_blocks[i].buffer == buffer) {
            Release(buffer, i);
            return;
        }
    }
    std::free(buffer);
}

void GMsgPool::Release(void* buffer, int block) {
    if (block < 0) {
        std::free(buffer);  // Alloc said it came from the heap
        return;
    }
    if (block >= kBlockCount || m_blocks[block].buffer != buffer) {
        Release(buffer);
        return;
    }
    m_blocks[block].inUse = false;
    m_freeMask |= uint64_t(1) << block;
}

bool GMsgPool::IsPoolBuffer(const void* buffer) const {
    for (const tagPoolBlock& b : m_blocks) {
        if (buffer && b.buffer == buffer) {
            return true;
        }
    }
    return false;
}

int GMsgPool::BlocksInUse() const {
    int n = 0;
    for (const tagPoolBlock& b : m_blocks) {
        n += b.inUse ? 1 : 0;
    }
    return n;
}

GMsgQueue::GMsgQueue() : m_iter(m_msgs.end()), m_iterating(false) {}

GMsgQueue::~GMsgQueue() {
    Clear();
}

void GMsgQueue::PushMsg(const void* data, unsigned long size) {
    if (size > 0xFFFFFFFFul || (size > 0 && !data)) {
        Lumo::_WriteLogString("GMsgQueue: message of %lu bytes dropped.\r\n", size);
        return;
    }
    int block = -1;
    void* copy = m_pool.Alloc(static_cast<uint32_t>(size), &block);
    if (!copy) {
        Lumo::_WriteLogString("GMsgQueue: no memory for a message of %lu bytes.\r\n", size);
        return;
    }
    if (size > 0) {
        std::memcpy(copy, data, size);
    }
    const Entry entry{tagMsg{static_cast<uint32_t>(size), copy}, block};
    if (m_spare.empty()) {
        m_msgs.push_back(entry);
    } else {
        m_msgs.splice(m_msgs.end(), m_spare, m_spare.begin());
        m_msgs.back() = entry;
    }
}

GMsgQueue::List::iterator GMsgQueue::Remove(List::iterator it) {
    m_pool.Release(it->msg.data, it->block);
    if (m_spare.size() >= kSpareNodes) {
        return m_msgs.erase(it);
    }
    List::iterator next = std::next(it);
    m_spare.splice(m_spare.begin(), m_msgs, it);
    return next;
}

void GMsgQueue::PopMsg() {
    if (m_msgs.empty()) {
        return;
    }
    // A cursor resting on the head moves on with it rather than dangle.
    const bool cursorAtHead = m_iter == m_msgs.begin();
    List::iterator next = Remove(m_msgs.begin());
    if (cursorAtHead) {
        m_iter = next;
    }
}

GMsgQueue::tagMsg GMsgQueue::GetHeadMsg() const {
    return m_msgs.empty() ? tagMsg{0, nullptr} : m_msgs.front().msg;
}

int GMsgQueue::Size() const {
    return static_cast<int>(m_msgs.size());
}

bool GMsgQueue::IsEmpty() const {
    return m_msgs.empty();
}

void GMsgQueue::Clear() {
    for (List::iterator it = m_msgs.begin(); it != m_msgs.end();) {
        it = Remove(it);
    }
    m_iter = m_msgs.end();
}

bool GMsgQueue::BeginIterate() {
    m_iterating = true;
    m_iter = m_msgs.begin();
    return m_iter != m_msgs.end();
}

GMsgQueue::tagMsg GMsgQueue::IterGetCurrent() const {
    return m_iter == m_msgs.end() ? tagMsg{0, nullptr} : m_iter->msg;
}

bool GMsgQueue::IterNext() {
    if (m_iter == m_msgs.end()) {
        return false;
    }
    ++m_iter;
    return m_iter != m_msgs.end();
}

bool GMsgQueue::IterEraseCurrent() {
    if (m_iter == m_msgs.end()) {
        return false;
    }
    m_iter = Remove(m_iter);
    return m_iter != m_msgs.end();
}

void GMsgQueue::EndIterate() {
    m_iterating = false;
}

}  // namespace GFC
