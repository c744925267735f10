// ClientOpt.txt through the options reader: every value lands in its
// option's byte or int, and what is written reads back to the same options.
#include <cstddef>
#include <cstdint>
#include <string>

#include "patcher/ui/ClientOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClientOptions o;
    o.Parse(std::string(reinterpret_cast<const char*>(data), size));
    for (int i = 0; i < kOptionCount; ++i) {
        OptionKind kind = OptionTable()[static_cast<size_t>(i)].kind;
        if (kind != OptionKind::kListIndex && (o.Get(i) < 0 || o.Get(i) > 255)) {
            __builtin_trap();
        }
    }
    std::string text = o.Format();
    ClientOptions again;
    again.Parse(text);
    for (int i = 0; i < kOptionCount; ++i) {
        if (again.Shown(i) != o.Shown(i)) {
            __builtin_trap();
        }
    }
    if (again.Format() != text) {
        __builtin_trap();
    }
    return 0;
}
