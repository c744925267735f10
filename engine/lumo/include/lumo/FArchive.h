// A file opened through an engine file system for reading objects that
// describe themselves (effect nodes deserialise from one). Reads are
// sequential; a read past the end fails without reading anything.
#pragma once

#include <cstdint>

#include "lumo/IFS.h"
#include "lumo/LumoApi.h"

namespace Lumo {

class LUMO_API FArchive {
public:
    FArchive();
    // Closes the file when still open.
    ~FArchive();
    FArchive(const FArchive&) = delete;
    FArchive& operator=(const FArchive&) = delete;

    // Opens path through fs (closing what was open); false when it cannot be
    // opened.
    bool OpenForRead(IFS* fs, const char* path);
    void Close();
    bool IsOpen() const { return m_handle != kNoFile; }

    // Reads exactly count bytes; false, reading nothing, when fewer remain.
    bool Read(void* buffer, uint32_t count);
    // Bytes from the position to the end.
    uint32_t Remaining() const;

private:
    IFS* m_fs = nullptr;
    FHandle m_handle = kNoFile;
};

}  // namespace Lumo
