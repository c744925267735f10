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
    std::vector<uint8_t> packed(bound > 0 ? bound : 1);
    CodecRequest c;
    c.method = FUZZ_METHOD;
    c.compress = 1;
    c.source = data;
    c.sourceLength = n;
    c.destination = packed.data();
    c.destinationCapacity = bound;
    ProcessCodecRequest(c);
    if (!c.ok || c.destinationLength > bound) {
        __builtin_trap();
    }
    std::vector<uint8_t> back(n > 0 ? n : 1);
    CodecRequest d;
    d.method = FUZZ_METHOD;
    d.source = packed.data();
    d.sourceLength = c.destinationLength;
    d.destination = back.data();
    d.destinationCapacity = n;
    ProcessCodecRequest(d);
    if (!d.ok || d.destinationLength != n || (n > 0 && std::memcmp(back.data(), data, n) != 0)) {
        __builtin_trap();
    }
    if (n > MaxDecodedSize(FUZZ_METHOD, c.destinationLength)) {
        __builtin_trap();  // the archive would refuse this entry as a lie
    }
    return 0;
}
