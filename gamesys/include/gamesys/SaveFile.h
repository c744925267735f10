// A file written through a temporary beside it: the old file stays whole
// until the new one is complete, so a full disk or a crash while saving
// never leaves a half-written map or navigation file behind.
#pragma once

#include <cstdio>
#include <string>

#include "framework/GfcApi.h"

namespace GFC {

class GFC_API SaveFile {
public:
    // Opens path + kSuffix for binary writing (path is a system path: GBK,
    // "\" between components).
    explicit SaveFile(const char* path);
    // A file not committed is closed and removed; path is untouched.
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    static constexpr const char* kSuffix = ".saving";

    bool IsOpen() const { return m_file != nullptr; }
    // The stream to write to; null when it could not be opened.
    FILE* Get() const { return m_file; }
    // Flushes and closes the stream and moves the new file over path. False
    // (and the temporary removed, path untouched) when the file could not
    // be opened, a write failed or the move failed.
    bool Commit();

private:
    void Abandon();

    std::string m_path;
    std::string m_temp;
    FILE* m_file = nullptr;
};

}  // namespace GFC
