// Fuzz inputs are handed to the readers as real files: one scratch file per
// target, in the temporary folder. A reader that writes beside it (PATH.out)
// has that removed too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"

// The scratch file's path, once made; removed when the fuzzer exits.
inline std::string& ScratchSlot() {
    static std::string path;
    return path;
}

inline std::string ScratchFile(const char* tag, const uint8_t* data, size_t size) {
    std::string& path = ScratchSlot();
    if (path.empty()) {
        path = platform::TempDirectory() + "\\tesmar-fuzz-" + tag + "-" +
               std::to_string(platform::CurrentProcessId());
        std::atexit([] {
            (void)platform::DeleteFile(ScratchSlot());
            (void)platform::DeleteFile(ScratchSlot() + ".out");
        });
    }
    auto f = platform::File::Open(path, platform::Access::kWrite, platform::kShareNone,
                                  platform::Disposition::kCreateAlways);
    if (f && size > 0) {
        (void)f->Write(data, size);
    }
    return path;
}
