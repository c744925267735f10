// The engine file system over a folder on disk: loose game files. Lookups go
// through the OS seam, which resolves every path component without regard to
// letter case on POSIX as Windows does.
#pragma once

#include <memory>
#include <string>

#include "lumo/IFS.h"

namespace Lumo {

class LUMO_API DiskFS : public IFS {
public:
    // root: a system path (GBK, "\"), to which relative paths are joined;
    // "" means the current directory. Absolute paths are used as given.
    explicit DiskFS(const std::string& root = std::string());
    ~DiskFS() override;

    FHandle Open(const char* path) override;
    void Close(FHandle h) override;
    uint32_t Read(void* buffer, uint32_t count, FHandle h) override;
    uint32_t Seek(FHandle h, int32_t offset, int origin) override;
    uint32_t Tell(FHandle h) override;
    uint32_t GetSize(const char* path) override;
    uint32_t LoadFile(void* buffer, uint32_t capacity, const char* path) override;
    using IFS::LoadFile;

    const std::string& GetRoot() const;
    // Number of handles open now (for leak checks in tests and tools).
    size_t OpenCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace Lumo
