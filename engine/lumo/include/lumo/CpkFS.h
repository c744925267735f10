// An engine file system over one CPK archive: the game's data as it ships.
// Paths are the entries' paths inside the archive ("System\tagNPCAtt.lst";
// "/" is accepted too, letter case is ignored). An entry is read whole
// (decompressed) when it is opened, so handles never touch the archive
// again. Game thread only.
#pragma once

#include <memory>
#include <string>

#include "lumo/BufferedFS.h"

class CPKVfs;

namespace Lumo {

class LUMO_API CpkFS : public BufferedFS {
public:
    // Opens the archive at archivePath (a system path); IsOpen() tells
    // whether that worked. A damaged archive is reported by the archive
    // layer's messages and not opened.
    explicit CpkFS(const std::string& archivePath);
    ~CpkFS() override;

    bool IsOpen() const;
    // The archive itself, for tools that change it while it is mounted.
    CPKVfs& Archive();

    FHandle Open(const char* path) override;
    uint32_t GetSize(const char* path) override;
    uint32_t LoadFile(void* buffer, uint32_t capacity, const char* path) override;
    using IFS::LoadFile;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace Lumo
