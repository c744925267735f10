// Handle numbers of the file systems: slot index + 1, so 0 stays "no file".
// Closed slots are reused.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lumo/IFS.h"

namespace Lumo {

template <typename T>
class HandleTable {
public:
    FHandle Add(std::unique_ptr<T> item) {
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (!m_slots[i]) {
                m_slots[i] = std::move(item);
                ++m_open;
                return static_cast<FHandle>(i + 1);
            }
        }
        if (m_slots.size() >= kMaxHandles) {
            return kNoFile;
        }
        m_slots.push_back(std::move(item));
        ++m_open;
        return static_cast<FHandle>(m_slots.size());
    }

    T* Get(FHandle h) const {
        if (h == kNoFile || h > m_slots.size()) {
            return nullptr;
        }
        return m_slots[h - 1].get();
    }

    void Remove(FHandle h) {
        if (Get(h)) {
            m_slots[h - 1].reset();
            --m_open;
        }
    }

    size_t OpenCount() const { return m_open; }

private:
    static constexpr size_t kMaxHandles = 1u << 20;
    std::vector<std::unique_ptr<T>> m_slots;
    size_t m_open = 0;
};

// The position a seek asks for, or kSeekFailed when it lies before the start
// or beyond what a 32-bit position can express.
inline uint32_t SeekTarget(uint32_t pos, uint32_t size, int32_t offset, int origin) {
    int64_t base;
    switch (origin) {
        case SEEK_ORIGIN_BEGIN:
            base = 0;
            break;
        case SEEK_ORIGIN_CURRENT:
            base = pos;
            break;
        case SEEK_ORIGIN_END:
            base = size;
            break;
        default:
            return kSeekFailed;
    }
    int64_t target = base + offset;
    if (target < 0 || target >= int64_t(kSeekFailed)) {
        return kSeekFailed;
    }
    return static_cast<uint32_t>(target);
}

// An open file whose bytes are all in memory (the in-memory file system's,
// and archive entries read whole). Copies of the bytes are shared, so a file
// replaced while open keeps reading its old contents.
struct BufferFile {
    std::shared_ptr<const std::string> bytes;
    uint32_t pos = 0;

    uint32_t size() const { return static_cast<uint32_t>(bytes->size()); }

    uint32_t Read(void* buffer, uint32_t count) {
        if (!buffer || pos >= size()) {
            return 0;
        }
        uint32_t n = std::min(count, size() - pos);
        std::memcpy(buffer, bytes->data() + pos, n);
        pos += n;
        return n;
    }

    uint32_t Seek(int32_t offset, int origin) {
        uint32_t target = SeekTarget(pos, size(), offset, origin);
        if (target != kSeekFailed) {
            pos = target;
        }
        return target;
    }
};

}  // namespace Lumo
