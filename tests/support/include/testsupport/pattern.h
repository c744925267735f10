// Test bytes that differ at every offset of interest, so a byte out of place
// (a misplaced block, range or entry) shows; the same for the same seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testsupport {

inline std::string PatternBytes(size_t size, uint32_t seed) {
    std::string s(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

}  // namespace testsupport
