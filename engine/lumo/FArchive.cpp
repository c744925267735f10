#include "lumo/FArchive.h"

#include "lumo/FileBytes.h"

namespace Lumo {

FArchive::FArchive() = default;

FArchive::~FArchive() {
    Close();
}

bool FArchive::OpenForRead(IFS* fs, const char* path) {
    Close();
    if (!fs || !path) {
        return false;
    }
    m_handle = fs->Open(path);
    m_fs = m_handle == kNoFile ? nullptr : fs;
    return IsOpen();
}

void FArchive::Close() {
    if (IsOpen()) {
        m_fs->Close(m_handle);
    }
    m_handle = kNoFile;
    m_fs = nullptr;
}

uint32_t FArchive::Remaining() const {
    return IsOpen() ? BytesLeft(m_fs, m_handle) : 0;
}

bool FArchive::Read(void* buffer, uint32_t count) {
    if (!IsOpen() || count > Remaining()) {
        return false;
    }
    return count == 0 || m_fs->Read(buffer, count, m_handle) == count;
}

}  // namespace Lumo
