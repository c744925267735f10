// Compresses arbitrary bytes with LZSS or LZO (chosen at build time) and
// decompresses them into a buffer of exactly the original size: the bytes
// must come back unchanged, and compression must stay within its bound.
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
    const uint32_t n = static_cast<uint32_t>(size);
    const uint32_t bound = CodecBound(FUZZ_METHOD, n);
    auto packed = Compress(FUZZ_METHOD, data, n);
    if (!packed || packed->size() > bound) {
        __builtin_trap();
    }
    std::vector<uint8_t> back(n > 0 ? n : 1);
    auto produced = Decompress(FUZZ_METHOD, packed->data(), static_cast<uint32_t>(packed->size()),
                               back.data(), n);
    if (!produced || *produced != n || (n > 0 && std::memcmp(back.data(), data, n) != 0)) {
        __builtin_trap();
    }
    if (n > MaxDecodedSize(FUZZ_METHOD, static_cast<uint32_t>(packed->size()))) {
        __builtin_trap();  // the archive would refuse this entry as a lie
    }
    return 0;
}
