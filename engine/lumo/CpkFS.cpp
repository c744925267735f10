#include "lumo/CpkFS.h"

#include <algorithm>
#include <cstring>

#include "HandleTable.h"
#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "platform/text.h"

namespace Lumo {

namespace {

// The entry path for an engine path: "/" becomes "\" (never inside a
// double-byte character) and empty components go.
std::string EntryPath(const char* path) {
    std::string p = path;
    for (size_t i = 0; i < p.size(); ++i) {
        if (platform::IsGbkLeadByte(static_cast<unsigned char>(p[i]))) {
            ++i;
        } else if (p[i] == '/') {
            p[i] = '\\';
        }
    }
    std::string joined;
    for (const std::string& part : cpkpath::Split(p)) {
        joined += joined.empty() ? part : "\\" + part;
    }
    return joined;
}

}  // namespace

struct CpkFS::Impl {
    BlockPool pool;
    CPKVfs vfs{pool};
    HandleTable<BufferFile> handles;

    // Record index of the file entry at path, or -1 (missing, a folder).
    int Find(const char* path) const {
        if (!path || !vfs.IsOpen()) {
            return -1;
        }
        std::string entryPath = EntryPath(path);
        if (entryPath.empty()) {
            return -1;
        }
        int index = vfs.FindEntry(cpkpath::CrcOfPath(entryPath));
        if (index < 0 || ::IsDirectory(vfs.EntryAt(index)) ||
            vfs.EntryAt(index).originalSize >= kMissingFileSize) {
            return -1;
        }
        return index;
    }
};

CpkFS::CpkFS(const std::string& archivePath) : m_impl(new Impl) {
    m_impl->vfs.Open(archivePath);
}

CpkFS::~CpkFS() = default;

bool CpkFS::IsOpen() const {
    return m_impl->vfs.IsOpen();
}

CPKVfs& CpkFS::Archive() {
    return m_impl->vfs;
}

size_t CpkFS::OpenCount() const {
    return m_impl->handles.OpenCount();
}

FHandle CpkFS::Open(const char* path) {
    int index = m_impl->Find(path);
    if (index < 0) {
        return kNoFile;
    }
    auto bytes = std::make_shared<std::string>();
    bytes->reserve(m_impl->vfs.EntryAt(index).originalSize);
    if (!ReadEntryContents(m_impl->vfs, index, [&](const uint8_t* piece, uint32_t size) {
            bytes->append(reinterpret_cast<const char*>(piece), size);
            return true;
        })) {
        return kNoFile;
    }
    auto open = std::make_unique<BufferFile>();
    open->bytes = std::move(bytes);
    return m_impl->handles.Add(std::move(open));
}

void CpkFS::Close(FHandle h) {
    m_impl->handles.Remove(h);
}

uint32_t CpkFS::Read(void* buffer, uint32_t count, FHandle h) {
    return ReadBuffered(m_impl->handles, buffer, count, h);
}

uint32_t CpkFS::Seek(FHandle h, int32_t offset, int origin) {
    return SeekBuffered(m_impl->handles, h, offset, origin);
}

uint32_t CpkFS::Tell(FHandle h) {
    return TellBuffered(m_impl->handles, h);
}

uint32_t CpkFS::GetSize(const char* path) {
    int index = m_impl->Find(path);
    return index < 0 ? kMissingFileSize : m_impl->vfs.EntryAt(index).originalSize;
}

uint32_t CpkFS::LoadFile(void* buffer, uint32_t capacity, const char* path) {
    int index = m_impl->Find(path);
    if (index < 0 || !buffer) {
        return 0;
    }
    uint32_t placed = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    ReadEntryContents(m_impl->vfs, index, [&](const uint8_t* piece, uint32_t size) {
        uint32_t n = std::min(size, capacity - placed);
        std::memcpy(out + placed, piece, n);
        placed += n;
        return placed < capacity;
    });
    return placed;
}

}  // namespace Lumo
