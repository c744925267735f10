#include "cpk/FileHelpers.h"

#include <vector>

#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

// Positions of the "\" separators after position 0, skipping double-byte
// characters.
std::vector<size_t> Separators(const std::string& path) {
    std::vector<size_t> out;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (platform::IsGbkLeadByte(c)) {
            ++i;
        } else if (c == '\\' && i > 0) {
            out.push_back(i);
        }
    }
    return out;
}

}  // namespace

void CreateDirectoryChain(const std::string& path) {
    for (size_t sep : Separators(path)) {
        (void)platform::CreateDirectory(path.substr(0, sep));
    }
    (void)platform::CreateDirectory(path);
}

platform::File CreateReplacingFile(const std::string& path) {
    if (platform::Exists(path)) {
        (void)platform::SetReadOnly(path, false);
        if (!platform::DeleteFile(path)) {
            // Literal texts: this box does not go through the text table.
            std::string text = "fail to delete file:" + path;
            platform::ShowMessageBox(nullptr, text.c_str(), "error", platform::kMbOk);
            return platform::File();
        }
    }
    std::vector<size_t> seps = Separators(path);
    if (!seps.empty()) {
        CreateDirectoryChain(path.substr(0, seps.back()));
    }
    auto f = platform::File::Open(path, platform::Access::kReadWrite, platform::kShareNone,
                                  platform::Disposition::kOpenAlways);
    return f ? std::move(f.value()) : platform::File();
}
