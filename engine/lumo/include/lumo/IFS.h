// The engine's file system interface. Everything the framework loads (rule
// lists, maps, navigation layers, scripts) goes through one of these, so the
// same code reads loose files on disk or entries of the game's archives.
//
// Paths are the game's paths: GBK bytes with "\" between components (a "/"
// is accepted too), relative to the file system's root, matched without
// regard to ASCII letter case. Handles are small numbers private to the file
// system that issued them; 0 is never a valid handle.
#pragma once

#include <cstdint>

#include "lumo/LumoApi.h"

namespace Lumo {

using FHandle = uint32_t;
constexpr FHandle kNoFile = 0;

// Size answer for a file that does not exist (some callers also treat 0 so).
constexpr uint32_t kMissingFileSize = 0xFFFFFFFF;
// Seek answer when the handle is bad or the target lies before the start.
constexpr uint32_t kSeekFailed = 0xFFFFFFFF;

enum SeekOrigin : int { SEEK_ORIGIN_BEGIN = 0, SEEK_ORIGIN_CURRENT = 1, SEEK_ORIGIN_END = 2 };

class LUMO_API IFS {
public:
    IFS() = default;
    virtual ~IFS();
    IFS(const IFS&) = delete;
    IFS& operator=(const IFS&) = delete;

    // Opens a file for reading at position 0; kNoFile when it cannot be
    // opened (missing, a folder, or 4 GiB and larger).
    virtual FHandle Open(const char* path) = 0;
    // Closing kNoFile or an unknown handle does nothing.
    virtual void Close(FHandle h) = 0;
    // Reads up to count bytes at the handle's position and advances it;
    // answers the bytes read, fewer at the end of the file, 0 for a bad
    // handle. Reads that follow one another continue where the last ended.
    virtual uint32_t Read(void* buffer, uint32_t count, FHandle h) = 0;
    // Moves the position (origin: SeekOrigin). A position past the end is
    // allowed and reads nothing. Answers the new position or kSeekFailed.
    virtual uint32_t Seek(FHandle h, int32_t offset, int origin) = 0;
    // The handle's position, kSeekFailed for a bad handle.
    virtual uint32_t Tell(FHandle h) = 0;
    // Size in bytes of the file at path; kMissingFileSize when there is none.
    virtual uint32_t GetSize(const char* path) = 0;
    // Reads the whole file into buffer, at most capacity bytes; answers the
    // bytes placed (0 when the file is missing). Callers size the buffer
    // with GetSize; the capacity keeps a file that grew in between from
    // overrunning it.
    virtual uint32_t LoadFile(void* buffer, uint32_t capacity, const char* path) = 0;
    // The engine's own form, which games call: the whole file, into a buffer
    // the caller sized with GetSize(path). The buffer must hold the size the
    // file has at this call; our own code uses the form with a capacity,
    // which stays safe when the file grows in between.
    uint32_t LoadFile(void* buffer, const char* path);
};

}  // namespace Lumo
