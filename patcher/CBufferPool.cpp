#include "patcher/CBufferPool.h"

#include <cstdlib>

CBufferPool::~CBufferPool() {
    for (SizeClass& c : classes_) {
        for (Record& r : c.records) {
            std::free(r.block);
        }
    }
}

bool CBufferPool::AddClass(size_t blockSize, size_t preallocate) {
    std::lock_guard<std::mutex> lock(mu_);
    if (classes_.size() >= kPoolClassesMax || blockSize == 0) {
        return false;
    }
    classes_.emplace_back();
    size_t index = classes_.size() - 1;
    SizeClass& c = classes_.back();
    c.blockSize = blockSize;
    for (size_t i = 0; i < preallocate; ++i) {
        void* block = std::malloc(blockSize);
        if (block == nullptr) {
            break;
        }
        c.records.push_back(Record{block, false, blockSize, 0});
        c.freeList.push_back(c.records.size() - 1);
        where_[block] = Where{index, c.records.size() - 1};
    }
    return true;
}

void* CBufferPool::Get(size_t size) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        for (size_t i = 0; i < classes_.size(); ++i) {
            SizeClass& c = classes_[i];
            if (c.blockSize < size) {
                continue;
            }
            size_t r;
            if (!c.freeList.empty()) {
                r = c.freeList.back();
                c.freeList.pop_back();
            } else {
                void* block = std::malloc(c.blockSize);
                if (block == nullptr) {
                    return nullptr;
                }
                c.records.push_back(Record{block, false, c.blockSize, 0});
                r = c.records.size() - 1;
                where_[block] = Where{i, r};
            }
            Record& rec = c.records[r];
            rec.inUse = true;
            ++rec.useCount;
            return rec.block;
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}

void CBufferPool::Put(void* block) {
    if (block == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mu_);
        auto it = where_.find(block);
        if (it != where_.end()) {
            SizeClass& c = classes_[it->second.sizeClass];
            Record& rec = c.records[it->second.record];
            // A block put back twice stays on the free list once.
            if (rec.inUse) {
                rec.inUse = false;
                c.freeList.push_back(it->second.record);
            }
            return;
        }
    }
    std::free(block);
}

size_t CBufferPool::BlockCount() const {
    std::lock_guard<std::mutex> lock(mu_);
    size_t n = 0;
    for (const SizeClass& c : classes_) {
        n += c.records.size();
    }
    return n;
}

size_t CBufferPool::InUseCount() const {
    std::lock_guard<std::mutex> lock(mu_);
    size_t n = 0;
    for (const SizeClass& c : classes_) {
        n += c.records.size() - c.freeList.size();
    }
    return n;
}
