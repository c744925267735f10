// Language.txt through the text table: translations handed out must fit the
// ring and end with their terminator.
#include <cstring>

#include "fuzz_file.h"
#include "patcher/text/LocalText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = ScratchFile("lang", data, size);
    LocalTextTable table(path);
    // Keys taken from the input itself, so entries are actually found.
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string keys[] = {"A", "\xBE\xAF\xB8\xE6", input.substr(0, input.find('=')),
                          input.size() > 2 ? input.substr(2, 8) : input};
    for (int round = 0; round < 2; ++round) {
        for (const auto& k : keys) {
            std::string key = k.substr(0, k.find('\0'));
            const char* out = table.Lookup(key.c_str());
            if (out != key.c_str() && std::strlen(out) > LocalTextTable::kMaxTranslation) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
