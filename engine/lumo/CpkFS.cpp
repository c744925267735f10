#include "lumo/CpkFS.h"

#include <algorithm>
#include <cstring>

#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "platform/text.h"

namespace Lumo {

namespace {

// The entry path for an engine path ("\" or "/" between components).
std::string EntryPath(const char* path) {
    return cpkpath::Normalize(path);
}

}  // namespace

struct CpkFS::Impl {
    BlockPool pool;
    CPKVfs vfs{pool};

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
    return OpenBytes(std::move(bytes));
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
