// An engine file system held in memory: tests, fuzz targets and tools that
// build game data on the fly use it in place of the disk or an archive.
#pragma once

#include <memory>
#include <string>

#include "lumo/BufferedFS.h"

namespace Lumo {

class LUMO_API MemFS : public BufferedFS {
public:
    MemFS();
    ~MemFS() override;

    // Adds or replaces a file. Paths are matched as by every IFS ("\" or
    // "/", ASCII letter case ignored). Handles already open on the old
    // contents keep reading them.
    void AddFile(const std::string& path, const std::string& bytes);
    void RemoveFile(const std::string& path);

    FHandle Open(const char* path) override;
    uint32_t GetSize(const char* path) override;
    uint32_t LoadFile(void* buffer, uint32_t capacity, const char* path) override;
    using IFS::LoadFile;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace Lumo
