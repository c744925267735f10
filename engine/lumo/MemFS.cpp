#include "lumo/MemFS.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/text.h"

namespace Lumo {

namespace {

// "\" and "/" are one separator; ASCII letters compare without case (GBK
// trail bytes untouched).
std::string Key(const std::string& path) {
    return platform::WithBackslashes(platform::GbkToLowerAscii(path));
}

}  // namespace

struct MemFS::Impl {
    std::map<std::string, std::shared_ptr<const std::string>> files;

    std::shared_ptr<const std::string> Find(const char* path) const {
        if (!path) {
            return nullptr;
        }
        auto it = files.find(Key(path));
        return it == files.end() ? nullptr : it->second;
    }
};

MemFS::MemFS() : m_impl(new Impl) {}
MemFS::~MemFS() = default;

void MemFS::AddFile(const std::string& path, const std::string& bytes) {
    if (bytes.size() >= kMissingFileSize) {
        return;  // not addressable with 32-bit positions
    }
    m_impl->files[Key(path)] = std::make_shared<const std::string>(bytes);
}

void MemFS::RemoveFile(const std::string& path) {
    m_impl->files.erase(Key(path));
}

FHandle MemFS::Open(const char* path) {
    auto bytes = m_impl->Find(path);
    if (!bytes) {
        return kNoFile;
    }
    return OpenBytes(std::move(bytes));
}

uint32_t MemFS::GetSize(const char* path) {
    auto bytes = m_impl->Find(path);
    return bytes ? static_cast<uint32_t>(bytes->size()) : kMissingFileSize;
}

uint32_t MemFS::LoadFile(void* buffer, uint32_t capacity, const char* path) {
    auto bytes = m_impl->Find(path);
    if (!bytes || !buffer) {
        return 0;
    }
    uint32_t n = std::min<uint32_t>(capacity, static_cast<uint32_t>(bytes->size()));
    std::memcpy(buffer, bytes->data(), n);
    return n;
}

}  // namespace Lumo
