#include "gamesys/SaveFile.h"

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

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
    // The new bytes on the disk before the name moves to them: a power cut
    // then leaves the old file or the new one, never an empty one.
    const bool written = std::ferror(m_file) == 0 && platform::FlushStdioFile(m_file).ok();
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!written || !closed || !platform::MoveFile(m_temp, m_path, true)) {
        (void)platform::DeleteFile(m_temp);
        return false;
    }
    // And the move itself, where the system lets a folder be flushed.
    const std::string folder = platform::DirName(m_path, platform::PathSeparators::kBoth);
    (void)platform::FlushFolder(folder.empty() ? "." : folder);
    return true;
}

}  // namespace GFC
