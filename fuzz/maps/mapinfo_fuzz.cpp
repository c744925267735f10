// mapinfo over fuzzed bytes (a map, maze-wall or navigation file by its
// magic): it ends with 0 or 1 and never crashes, and a file its check finds
// sound is one it shows.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "MapInfoTool.h"
#include "fuzz_file.h"
#include "lumo/Log.h"
#include "platform/fs.h"

namespace {

int RunMapInfo(const std::string& file, bool check) {
    const char* argv[] = {"mapinfo", file.c_str(), "--check"};
    std::ostringstream out, err;
    return mapinfo::Run(check ? 3 : 2, argv, out, err);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = platform::NativePath(ScratchFile("mapinfo", data, size));
    const int checked = RunMapInfo(file, true);
    const int shown = RunMapInfo(file, false);
    if ((checked != 0 && checked != 1) || (shown != 0 && shown != 1)) {
        __builtin_trap();
    }
    if (checked == 0 && shown != 0) {
        __builtin_trap();  // sound by its own check, yet not shown
    }
    Lumo::ClearLog();
    return 0;
}
