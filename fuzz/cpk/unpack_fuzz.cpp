// Unpacks arbitrary bytes as a patch package into a scratch game folder:
// nothing may read or write outside its buffers, and nothing may be written
// outside the game folder, whatever paths the package holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/Unpack.h"
#include "fuzz_common.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

// The sandbox holds the game folder, the package and a file that must stay
// as it is; nothing else may appear in it.
const std::string& Sandbox() {
    return FuzzSandbox("cpk_unpack_fuzz");
}

// Where the game folder lies below the sandbox.
constexpr const char kGameBelow[] = "a\\b\\c\\game";

// What the sandbox holds outside the game folder.
const std::vector<std::string>& Expected() {
    static const std::vector<std::string> expected = [] {
        std::vector<std::string> v{"a",        "a\\b",        "a\\b\\c",
                                   kGameBelow, "outside.txt", "package.cpk"};
        std::sort(v.begin(), v.end());
        return v;
    }();
    return expected;
}

bool WriteWhole(const std::string& path, const void* data, size_t size) {
    auto f = platform::File::Open(path, platform::Access::kWrite, 0,
                                  platform::Disposition::kCreateAlways);
    return f && (size == 0 || f->Write(data, size));
}

// Input that starts with '#' is a script, one line per entry of a sound
// package: "PATH" a directory, "PATH=TEXT" a file, "PATH~TEXT" a
// compressed file. Mutating it reaches paths the walk must refuse far more
// often than mutating the bytes of a package does.
bool WriteScripted(const std::string& path, const uint8_t* data, size_t size) {
    static BlockPool pool;
    CPKVfs vfs(pool, FuzzDisk());
    if (!vfs.Create(path) || !vfs.BeginBatch()) {
        return false;
    }
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t split = line.find_first_of("=~");
        if (line.empty()) {
            continue;
        }
        if (split == std::string::npos) {
            (void)vfs.AddPath(line, 0);
            continue;
        }
        const std::string contents = line.substr(split + 1);
        (void)AddEntryFromBuffer(vfs, line.substr(0, split), contents.data(),
                                 static_cast<uint32_t>(contents.size()),
                                 line[split] == '~' ? kMethodLzo : kMethodStored, false);
    }
    return vfs.CommitBatch();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetUpSandbox("cpk_unpack_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The game folder lies a few folders down, so that a path climbing out
    // of it lands in the sandbox, where the check below finds it.
    const std::string sandbox = Sandbox();
    const std::string game = sandbox + "\\" + kGameBelow;
    const std::string package = sandbox + "\\package.cpk";
    const std::string marker = sandbox + "\\outside.txt";
    RemoveTree(game);
    if (!MakeFoldersBelow(sandbox, game) ||
        !(size > 0 && data[0] == '#' ? WriteScripted(package, data, size)
                                     : WriteWhole(package, data, size)) ||
        !WriteWhole(marker, "untouched", 9)) {
        return 0;
    }
    static BlockPool pool;
    {
        CPKVfs source(pool, FuzzDisk());
        CPKVfs target(pool, FuzzDisk());
        if (source.Open(package, CPKOpenMode::kReadOnly)) {
            UnpackContext context;
            context.disk = &FuzzDisk();
            context.total = source.Header().liveCount;
            context.executableName = "Drevik.exe";
            context.gameFolder = game;
            uint32_t counter = 0;
            UnpackDirectory(context, 0, counter, source, target);
        }
    }
    // Outside the game folder the sandbox holds the folders on the way to
    // it, the package and the marker, unchanged; nothing else.
    std::vector<std::string> found;
    ListOutside(sandbox, "", kGameBelow, found);
    std::sort(found.begin(), found.end());
    if (found != Expected()) {
        __builtin_trap();  // something was written outside the game folder
    }
    auto kept = platform::ReadWholeFile(marker);
    if (!kept || *kept != "untouched") {
        __builtin_trap();
    }
    return 0;
}
