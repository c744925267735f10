// Decodes arbitrary bytes with LZSS or LZO (chosen at build time) into a
// destination of a size the input picks: the decoder must stop at its end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "cpk/Codec.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceMessageBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes size the destination (up to 64 KiB, as exact as
    // the archive's original size would be).
    const uint32_t capacity = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8;
    std::vector<uint8_t> out(capacity);
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    return 0;
}
