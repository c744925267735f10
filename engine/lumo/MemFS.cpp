#include "lumo/MemFS.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "HandleTable.h"
#include "platform/text.h"

namespace Lumo {

namespace {

// "\" and "/" are one separator; ASCII letters compare without case (GBK
// trail bytes untouched).
std::string Key(const std::string& path) {
    std::string key = platform::GbkToLowerAscii(path);
    for (size_t i = 0; i < key.size(); ++i) {
        if (platform::IsGbkLeadByte(static_cast<unsigned char>(key[i]))) {
            ++i;
        } else if (key[i] == '/') {
            key[i] = '\\';
        }
    }
    return key;
}

}  // namespace

struct MemFS::Impl {
    std::map<std::string, std::shared_ptr<const std::string>> files;
    HandleTable<BufferFile> handles;

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

size_t MemFS::OpenCount() const {
    return m_impl->handles.OpenCount();
}

FHandle MemFS::Open(const char* path) {
    auto bytes = m_impl->Find(path);
    if (!bytes) {
        return kNoFile;
    }
    auto open = std::make_unique<BufferFile>();
    open->bytes = std::move(bytes);
    return m_impl->handles.Add(std::move(open));
}

void MemFS::Close(FHandle h) {
    m_impl->handles.Remove(h);
}

uint32_t MemFS::Read(void* buffer, uint32_t count, FHandle h) {
    return ReadBuffered(m_impl->handles, buffer, count, h);
}

uint32_t MemFS::Seek(FHandle h, int32_t offset, int origin) {
    return SeekBuffered(m_impl->handles, h, offset, origin);
}

uint32_t MemFS::Tell(FHandle h) {
    return TellBuffered(m_impl->handles, h);
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
