#include "gamesys/SaveFile.h"

#include "platform/file.h"
#include "platform/fs.h"

namespace GFC {

SaveFile::SaveFile(const char* path) : m_path(path ? path : "") {
    if (m_path.empty()) {
        return;
    }
    m_temp = m_path + kSuffix;
    auto file = platform::OpenStdioFile(m_temp, "wb");
    m_file = file ? *file : nullptr;
}

SaveFile::~SaveFile() {
    Abandon();
}

void SaveFile::Abandon() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        (void)platform::DeleteFile(m_temp);
    }
}

bool SaveFile::Commit() {
    if (!m_file) {
        return false;
    }
    const bool written = std::fflush(m_file) == 0 && std::ferror(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!written || !closed || !platform::MoveFile(m_temp, m_path, true)) {
        (void)platform::DeleteFile(m_temp);
        return false;
    }
    return true;
}

}  // namespace GFC
