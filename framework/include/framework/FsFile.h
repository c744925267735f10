// One file opened through an engine file system, closed when the object
// goes away. The loaders of the framework read through it; OpenOrThrow gives
// them the framework's failure rule (Lumo::Exception when a file cannot be
// opened).
#pragma once

#include <cstdint>

#include "framework/GfcApi.h"
#include "lumo/IFS.h"

namespace GFC {

class GFC_API FsFile {
public:
    FsFile() = default;
    // Opens path through fs; IsOpen() tells whether it worked.
    FsFile(Lumo::IFS* fs, const char* path);
    ~FsFile();
    FsFile(FsFile&& other) noexcept;
    FsFile& operator=(FsFile&& other) noexcept;
    FsFile(const FsFile&) = delete;
    FsFile& operator=(const FsFile&) = delete;

    // Opens path or throws Lumo::Exception(message, path, srcFile, line).
    static FsFile OpenOrThrow(Lumo::IFS* fs, const char* path, const char* message,
                              const char* srcFile, int line);

    bool IsOpen() const { return m_handle != Lumo::kNoFile; }
    Lumo::IFS* GetFS() const { return m_fs; }
    Lumo::FHandle GetHandle() const { return m_handle; }

    // Bytes read (fewer at the end of the file, 0 when not open).
    uint32_t Read(void* buffer, uint32_t count);
    // Reads exactly count bytes or answers false (what was there is placed).
    bool ReadAll(void* buffer, uint32_t count);
    // Moves to an offset from the start; false when not open.
    bool SeekTo(uint32_t offset);
    void Close();

private:
    Lumo::IFS* m_fs = nullptr;
    Lumo::FHandle m_handle = Lumo::kNoFile;
};

}  // namespace GFC
