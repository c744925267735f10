#include "framework/FsFile.h"

#include <utility>

#include "lumo/Exception.h"

namespace GFC {

FsFile::FsFile(Lumo::IFS* fs, const char* path) : m_fs(fs) {
    if (fs && path) {
        m_handle = fs->Open(path);
    }
}

FsFile::~FsFile() {
    Close();
}

FsFile::FsFile(FsFile&& other) noexcept
    : m_fs(other.m_fs), m_handle(std::exchange(other.m_handle, Lumo::kNoFile)) {}

FsFile& FsFile::operator=(FsFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fs = other.m_fs;
        m_handle = std::exchange(other.m_handle, Lumo::kNoFile);
    }
    return *this;
}

FsFile FsFile::OpenOrThrow(Lumo::IFS* fs, const char* path, const char* message,
                           const char* srcFile, int line) {
    FsFile file(fs, path);
    if (!file.IsOpen()) {
        throw Lumo::Exception(message, path ? path : "", srcFile, line);
    }
    return file;
}

uint32_t FsFile::Read(void* buffer, uint32_t count) {
    return IsOpen() ? m_fs->Read(buffer, count, m_handle) : 0;
}

bool FsFile::ReadAll(void* buffer, uint32_t count) {
    return Read(buffer, count) == count;
}

bool FsFile::SeekTo(uint32_t offset) {
    if (!IsOpen() || offset > 0x7FFFFFFFu) {
        return false;
    }
    return m_fs->Seek(m_handle, static_cast<int32_t>(offset), Lumo::SEEK_ORIGIN_BEGIN) == offset;
}

void FsFile::Close() {
    if (IsOpen()) {
        m_fs->Close(m_handle);
        m_handle = Lumo::kNoFile;
    }
}

}  // namespace GFC
