// Profile files (unpack_log.ini): reading any bytes, then writing a key and
// reading it back.
#include "fuzz_file.h"
#include "platform/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = ScratchFile("profile", data, size);
    (void)platform::GetProfileString("Unpack", "Index", "", path);
    (void)platform::GetProfileInt("unpack", "index", -1, path);
    if (platform::WriteProfileString("Unpack", "Index", "12", path) &&
        platform::GetProfileInt("Unpack", "Index", -1, path) != 12) {
        __builtin_trap();
    }
    return 0;
}
