#include "Md5.h"

#include <cstring>
#include <vector>

#include "platform/file.h"

namespace versiond {
namespace {

constexpr uint32_t kInit[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

// Per-round shift amounts and the sine table T[i] = floor(2^32 * |sin(i + 1)|).
constexpr uint32_t kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

uint32_t Rotl(uint32_t x, uint32_t n) {
    return (x << n) | (x >> (32 - n));
}

}  // namespace

Md5::Md5() {
    std::memcpy(state_, kInit, sizeof state_);
}

void Md5::Block(const uint8_t* p) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = static_cast<uint32_t>(p[4 * i]) | (static_cast<uint32_t>(p[4 * i + 1]) << 8) |
               (static_cast<uint32_t>(p[4 * i + 2]) << 16) |
               (static_cast<uint32_t>(p[4 * i + 3]) << 24);
    }
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (uint32_t i = 0; i < 64; ++i) {
        uint32_t f;
        uint32_t g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        uint32_t next = b + Rotl(a + f + kSine[i] + m[g], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

void Md5::Update(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes_ += size;
    if (buffered_ > 0) {
        size_t take = 64 - buffered_ < size ? 64 - buffered_ : size;
        std::memcpy(buffer_ + buffered_, p, take);
        buffered_ += take;
        p += take;
        size -= take;
        if (buffered_ == 64) {
            Block(buffer_);
            buffered_ = 0;
        }
    }
    while (size >= 64) {
        Block(p);
        p += 64;
        size -= 64;
    }
    if (size > 0) {
        std::memcpy(buffer_, p, size);
        buffered_ = size;
    }
}

std::array<uint8_t, 16> Md5::Final() {
    uint64_t bits = bytes_ * 8;
    uint8_t pad[72] = {0x80};
    size_t padLength = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
    Update(pad, padLength);
    uint8_t length[8];
    for (int i = 0; i < 8; ++i) {
        length[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
    Update(length, 8);
    std::array<uint8_t, 16> out;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            out[4 * i + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
        }
    }
    return out;
}

std::string ToHex(const std::array<uint8_t, 16>& digest) {
    static const char kHex[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : digest) {
        s.push_back(kHex[b >> 4]);
        s.push_back(kHex[b & 15]);
    }
    return s;
}

std::string Md5Hex(const void* data, size_t size) {
    Md5 md5;
    md5.Update(data, size);
    return ToHex(md5.Final());
}

platform::Result<std::string> Md5HexOfFile(const std::string& path) {
    auto file = platform::File::Open(path, platform::Access::kRead, platform::kShareRead,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        return file.error();
    }
    Md5 md5;
    std::vector<uint8_t> buffer(1 << 16);
    for (;;) {
        auto n = file->Read(buffer.data(), buffer.size());
        if (!n) {
            return n.error();
        }
        if (*n == 0) {
            break;
        }
        md5.Update(buffer.data(), *n);
    }
    return ToHex(md5.Final());
}

}  // namespace versiond
