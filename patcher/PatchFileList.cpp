#include "patcher/PatchFileList.h"

void PatchFileList::Clear() {
    std::lock_guard<std::mutex> lock(mu_);
    entries_.clear();
}

void PatchFileList::Append(const PatchFileEntry& entry) {
    std::lock_guard<std::mutex> lock(mu_);
    entries_.push_back(entry);
}

size_t PatchFileList::Count() const {
    std::lock_guard<std::mutex> lock(mu_);
    return entries_.size();
}

PatchFileEntry PatchFileList::At(size_t index) const {
    std::lock_guard<std::mutex> lock(mu_);
    return index < entries_.size() ? entries_[index] : PatchFileEntry();
}

std::vector<PatchFileEntry> PatchFileList::Snapshot() const {
    std::lock_guard<std::mutex> lock(mu_);
    return entries_;
}

bool PatchFileList::SetSize(size_t index, int32_t size) {
    std::lock_guard<std::mutex> lock(mu_);
    if (index >= entries_.size()) {
        return false;
    }
    entries_[index].size = size;
    return true;
}

bool PatchFileList::SetEntryCount(size_t index, int32_t entryCount) {
    std::lock_guard<std::mutex> lock(mu_);
    if (index >= entries_.size()) {
        return false;
    }
    entries_[index].entryCount = entryCount;
    return true;
}

PatchFileList& PatchFiles() {
    static PatchFileList list;
    return list;
}
