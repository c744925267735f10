#include "framework/GMsgQueue.h"

#include <cstdlib>
#include <cstring>

#include "lumo/Log.h"

namespace GFC {

GMsgPool::GMsgPool() {
    m_blocks.reserve(kBlockCount);
    for (int i = 0; i < kBlockCount; ++i) {
        void* buffer = std::malloc(kBlockSize);
        // A block whose buffer could not be had holds nothing, so it is never
        // handed out; its messages take the heap path instead.
        m_blocks.push_back(tagPoolBlock{buffer, buffer ? kBlockSize : 0, false});
    }
}

GMsgPool::~GMsgPool() {
    for (tagPoolBlock& b : m_blocks) {
        std::free(b.buffer);
    }
}

void* GMsgPool::Alloc(uint32_t size) {
    for (tagPoolBlock& b : m_blocks) {
        if (!b.inUse && b.buffer && b.capacity >= size) {
            b.inUse = true;
            return b.buffer;
        }
    }
    return std::malloc(size ? size : 1);
}

void GMsgPool::Release(void* buffer) {
    if (!buffer) {
        return;
    }
    for (tagPoolBlock& b : m_blocks) {
        if (b.buffer == buffer) {
            b.inUse = false;
            return;
        }
    }
    std::free(buffer);
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
    void* copy = m_pool.Alloc(static_cast<uint32_t>(size));
    if (!copy) {
        Lumo::_WriteLogString("GMsgQueue: no memory for a message of %lu bytes.\r\n", size);
        return;
    }
    if (size > 0) {
        std::memcpy(copy, data, size);
    }
    m_msgs.push_back(tagMsg{static_cast<uint32_t>(size), copy});
}

void GMsgQueue::PopMsg() {
    if (m_msgs.empty()) {
        return;
    }
    // A cursor resting on the head moves on with it rather than dangle.
    if (m_iter == m_msgs.begin()) {
        ++m_iter;
    }
    m_pool.Release(m_msgs.front().data);
    m_msgs.pop_front();
}

GMsgQueue::tagMsg GMsgQueue::GetHeadMsg() const {
    return m_msgs.empty() ? tagMsg{0, nullptr} : m_msgs.front();
}

int GMsgQueue::Size() const {
    return static_cast<int>(m_msgs.size());
}

bool GMsgQueue::IsEmpty() const {
    return m_msgs.empty();
}

void GMsgQueue::Clear() {
    for (tagMsg& m : m_msgs) {
        m_pool.Release(m.data);
    }
    m_msgs.clear();
    m_iter = m_msgs.end();
}

bool GMsgQueue::BeginIterate() {
    m_iterating = true;
    m_iter = m_msgs.begin();
    return m_iter != m_msgs.end();
}

GMsgQueue::tagMsg GMsgQueue::IterGetCurrent() const {
    return m_iter == m_msgs.end() ? tagMsg{0, nullptr} : *m_iter;
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
    m_pool.Release(m_iter->data);
    m_iter = m_msgs.erase(m_iter);
    return m_iter != m_msgs.end();
}

void GMsgQueue::EndIterate() {
    m_iterating = false;
}

}  // namespace GFC
