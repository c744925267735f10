#include "cpk/NameCRC.h"

namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7;

struct CrcTable {
    uint32_t entry[256];
    CrcTable() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit) {
                r = (r & 0x80000000u) ? (r << 1) ^ kPolynomial : (r << 1);
            }
            entry[i] = r;
        }
    }
};

// Built once, at first use (thread-safe static initialisation).
const CrcTable& Table() {
    static const CrcTable table;
    return table;
}

}  // namespace

uint32_t ComputeNameCRC(const char* name) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(name);
    if (p == nullptr || *p == 0) {
        return 0;
    }
    uint32_t reg = 0;
    for (int i = 0; i < 4 && *p; ++i, ++p) {
        reg |= static_cast<uint32_t>(*p) << (24 - 8 * i);
    }
    reg = ~reg;
    const CrcTable& t = Table();
    for (; *p; ++p) {
        reg = ((reg << 8) | *p) ^ t.entry[reg >> 24];
    }
    return ~reg;
}
