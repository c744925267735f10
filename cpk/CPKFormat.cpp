#include "cpk/CPKFormat.h"

#include <cstring>

std::vector<uint8_t> MakeTrailer(const std::string& name, const uint8_t digest[kCpkDigestSize]) {
    std::vector<uint8_t> trailer(name.size() + kCpkTrailerFixed, 0);
    std::memcpy(trailer.data(), name.data(), name.size());
    std::memcpy(trailer.data() + name.size() + kCpkTrailerDigestAt, digest, kCpkDigestSize);
    return trailer;
}
