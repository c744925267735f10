// update.ini through the configuration store, with and without trimming;
// every value read back must be a bounded C string.
#include <cstring>

#include "fuzz_file.h"
#include "patcher/CConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = ScratchFile("ini", data, size);
    for (bool trim : {true, false}) {
        CConfigFile config;
        if (!config.Load(path.c_str(), trim)) {
            continue;
        }
        if (config.Count() > CConfigFile::kMaxSections * (size + 1)) {
            __builtin_trap();
        }
        for (const char* key : {"game tesmar", "checkversion port", "url a", "s k"}) {
            if (std::strlen(config.GetString(key)) > CConfigFile::kMaxNameLength) {
                __builtin_trap();
            }
            (void)config.GetInt(key);
        }
    }
    return 0;
}
