// Shared set-up of the archive fuzz targets.
#pragma once

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cpk/DiscIOMgr.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"

// The archive layer reports through message boxes; under the fuzzer they
// are answered at once and shown nowhere.
inline void SilenceMessageBoxes() {
    platform::SetMessageBoxHandler([](void*, const char*, const char*, uint32_t type) {
        return (type & 0xF) == platform::kMbOk ? platform::kIdOk : platform::kIdCancel;
    });
}

// A folder of its own under the temporary folder, for a target that writes
// files (named after the target; made once, on the first call, which later
// calls answer whatever they name).
inline const std::string& FuzzSandbox(const char* target) {
    static const std::string path = [target] {
        std::random_device rd;
        std::string p = platform::TempDirectory() + "\\" + target + "_" + std::to_string(rd());
        (void)platform::CreateDirectory(p);
        return p;
    }();
    return path;
}

// Removes a file or a folder tree.
inline void RemoveTree(const std::string& path) {
    if (platform::IsDirectory(path)) {
        auto list = platform::ListDirectory(path);
        for (const auto& e : list ? *list : std::vector<platform::DirEntry>{}) {
            RemoveTree(path + "\\" + e.name);
        }
        (void)platform::DeleteDirectory(path);
    } else if (platform::Exists(path)) {
        (void)platform::SetReadOnly(path, false);
        (void)platform::DeleteFile(path);
    }
}

// Everything below folder (relative names), without looking into the folder
// named inside (the game folder a target may write into).
inline void ListOutside(const std::string& folder, const std::string& relative,
                        const std::string& inside, std::vector<std::string>& found) {
    auto list = platform::ListDirectory(folder);
    for (const auto& e : list ? *list : std::vector<platform::DirEntry>{}) {
        const std::string name = relative.empty() ? e.name : relative + "\\" + e.name;
        found.push_back(name);
        if (name != inside && e.isDirectory) {
            ListOutside(folder + "\\" + e.name, name, inside, found);
        }
    }
}

// The disk the targets write through: flushes return at once (a power cut
// is not what they try; a flush costs milliseconds).
class QuickDisk : public DiscIOMgr::Disk {
public:
    platform::Status Flush(platform::File&) override { return platform::Status::Ok(); }
};

inline DiscIOMgr::Disk& FuzzDisk() {
    static QuickDisk* disk = new QuickDisk;  // never destroyed: used until exit
    return *disk;
}

// The set-up of a target that writes into its sandbox: boxes silenced and
// the sandbox removed at exit. Its names are turned to
// GBK on the way: the conversion tables are built first so that they
// outlive the clean-up.
inline void SetUpSandbox(const char* target) {
    SilenceMessageBoxes();
    (void)FuzzSandbox(target);
    (void)platform::Utf8ToGbk("\xe4\xb8\xad");
    (void)platform::GbkToUtf8("\xd6\xd0");
    std::atexit([] { RemoveTree(FuzzSandbox("")); });  // the one made above
}

// Creates the folders of path below base (a folder that exists), each in
// turn, path itself included.
inline bool MakeFoldersBelow(const std::string& base, const std::string& path) {
    for (size_t i = base.size() + 1; i < path.size(); ++i) {
        if (path[i] == '\\') {
            (void)platform::CreateDirectory(path.substr(0, i));
        }
    }
    return platform::CreateDirectory(path).ok();
}
