#include "cpk/FileHelpers.h"

#include "cpk/DiscIOMgr.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"

void CreateDirectoryChain(const std::string& path) {
    for (const std::string& dir : platform::PathPrefixes(path, platform::PathSeparators::kBoth)) {
        (void)platform::CreateDirectory(dir);
    }
}

platform::File CreateReplacingFile(const std::string& path) {
    if (platform::Exists(path)) {
        (void)platform::SetReadOnly(path, false);
        auto deleted = platform::DeleteFile(path);
        if (!deleted) {
            DiscIOMgr::SetLastError(deleted.error().code);
            // Literal texts: this box does not go through the text table.
            std::string text = "fail to delete file:" + platform::NativePath(path);
            platform::ShowMessageBox(nullptr, text.c_str(), "error", platform::kMbOk);
            return platform::File();
        }
    }
    const std::string dir = platform::DirName(path, platform::PathSeparators::kBoth);
    if (!dir.empty()) {
        CreateDirectoryChain(dir);
    }
    auto f = platform::File::Open(path, platform::Access::kReadWrite, platform::kShareNone,
                                  platform::Disposition::kOpenAlways);
    if (!f) {
        DiscIOMgr::SetLastError(f.error().code);
        return platform::File();
    }
    return std::move(f.value());
}
