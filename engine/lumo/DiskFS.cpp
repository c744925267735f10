#include "lumo/DiskFS.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "HandleTable.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace Lumo {

namespace {

// Rule lists and maps are read as many small records; one read-ahead buffer
// per handle keeps that from costing a system call per record.
constexpr uint32_t kReadAhead = 64 * 1024;

struct OpenFile {
    platform::File file;
    uint32_t size = 0;
    uint32_t pos = 0;
    std::vector<char> buf;
    uint32_t bufStart = 0;
    uint32_t bufLen = 0;
};

// Size of a regular file below 4 GiB, or false.
bool RegularFileSize(const std::string& path, uint32_t* size) {
    if (!platform::Exists(path) || platform::IsDirectory(path)) {
        return false;
    }
    auto bytes = platform::FileSize(path);
    if (!bytes || *bytes >= kMissingFileSize) {
        return false;
    }
    *size = static_cast<uint32_t>(*bytes);
    return true;
}

}  // namespace

struct DiskFS::Impl {
    std::string root;
    HandleTable<OpenFile> handles;

    std::string Resolve(const char* path) const {
        std::string p(path);
        if (root.empty() || platform::IsAbsolutePath(p)) {
            return p;
        }
        return root + "\\" + p;
    }
};

IFS::~IFS() = default;

uint32_t IFS::LoadFile(void* buffer, const char* path) {
    const uint32_t size = GetSize(path);
    return size == kMissingFileSize ? 0 : LoadFile(buffer, size, path);
}

DiskFS::DiskFS(const std::string& root) : m_impl(new Impl) {
    m_impl->root = root;
    std::string& r = m_impl->root;
    while (!r.empty() &&
           platform::LastSeparator(r, platform::PathSeparators::kBoth) == r.size() - 1) {
        r.pop_back();
    }
}

DiskFS::~DiskFS() = default;

const std::string& DiskFS::GetRoot() const {
    return m_impl->root;
}

size_t DiskFS::OpenCount() const {
    return m_impl->handles.OpenCount();
}

FHandle DiskFS::Open(const char* path) {
    if (!path || !*path) {
        return kNoFile;
    }
    std::string full = m_impl->Resolve(path);
    uint32_t size = 0;
    if (!RegularFileSize(full, &size)) {
        return kNoFile;
    }
    auto file = platform::File::Open(full, platform::Access::kRead,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        return kNoFile;
    }
    auto open = std::make_unique<OpenFile>();
    open->file = std::move(*file);
    open->size = size;
    return m_impl->handles.Add(std::move(open));
}

void DiskFS::Close(FHandle h) {
    m_impl->handles.Remove(h);
}

uint32_t DiskFS::Read(void* buffer, uint32_t count, FHandle h) {
    OpenFile* f = m_impl->handles.Get(h);
    if (!f || !buffer) {
        return 0;
    }
    char* out = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (done < count && f->pos < f->size) {
        uint32_t want = std::min(count - done, f->size - f->pos);
        if (f->pos >= f->bufStart && f->pos < f->bufStart + f->bufLen) {
            uint32_t n = std::min(want, f->bufStart + f->bufLen - f->pos);
            std::memcpy(out + done, f->buf.data() + (f->pos - f->bufStart), n);
            done += n;
            f->pos += n;
            continue;
        }
        if (want >= kReadAhead) {
            auto n = f->file.ReadAt(f->pos, out + done, want);
            if (!n || *n == 0) {
                break;
            }
            done += static_cast<uint32_t>(*n);
            f->pos += static_cast<uint32_t>(*n);
            continue;
        }
        f->buf.resize(kReadAhead);
        auto n = f->file.ReadAt(f->pos, f->buf.data(), std::min(kReadAhead, f->size - f->pos));
        f->bufStart = f->pos;
        f->bufLen = n ? static_cast<uint32_t>(*n) : 0;
        if (f->bufLen == 0) {
            break;
        }
    }
    return done;
}

uint32_t DiskFS::Seek(FHandle h, int32_t offset, int origin) {
    OpenFile* f = m_impl->handles.Get(h);
    if (!f) {
        return kSeekFailed;
    }
    uint32_t target = SeekTarget(f->pos, f->size, offset, origin);
    if (target != kSeekFailed) {
        f->pos = target;
    }
    return target;
}

uint32_t DiskFS::Tell(FHandle h) {
    OpenFile* f = m_impl->handles.Get(h);
    return f ? f->pos : kSeekFailed;
}

uint32_t DiskFS::GetSize(const char* path) {
    uint32_t size = 0;
    if (!path || !*path || !RegularFileSize(m_impl->Resolve(path), &size)) {
        return kMissingFileSize;
    }
    return size;
}

uint32_t DiskFS::LoadFile(void* buffer, uint32_t capacity, const char* path) {
    FHandle h = Open(path);
    if (h == kNoFile) {
        return 0;
    }
    uint32_t n = Read(buffer, capacity, h);
    Close(h);
    return n;
}

}  // namespace Lumo
