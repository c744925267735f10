#include "cpk/Md5.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/file.h"

namespace {

// From this size on a file is digested through mapped views.
constexpr uint64_t kMapThreshold = 5000000;
// Mapped views of large files are this long, so that a 32-bit process can
// digest files larger than its free address space.
constexpr uint64_t kMapWindow = uint64_t{64} << 20;
constexpr size_t kReadChunk = 64 * 1024;

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
constexpr int kShift[64] = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

inline uint32_t Rotl(uint32_t x, int c) {
    return (x << c) | (x >> (32 - c));
}

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5::Transform(const uint8_t block[64]) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = static_cast<uint32_t>(block[i * 4]) | static_cast<uint32_t>(block[i * 4 + 1]) << 8 |
               static_cast<uint32_t>(block[i * 4 + 2]) << 16 |
               static_cast<uint32_t>(block[i * 4 + 3]) << 24;
    }
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) & 15;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) & 15;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) & 15;
        }
        uint32_t t = d;
        d = c;
        c = b;
        b = b + Rotl(a + f + kSine[i] + m[g], kShift[i]);
        a = t;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

void Md5::Update(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t used = static_cast<size_t>(bytes_ & 63);
    bytes_ += size;
    if (used != 0) {
        size_t take = std::min(size, 64 - used);
        std::memcpy(buffer_ + used, p, take);
        p += take;
        size -= take;
        if (used + take < 64) {
            return;
        }
        Transform(buffer_);
    }
    while (size >= 64) {
        Transform(p);
        p += 64;
        size -= 64;
    }
    std::memcpy(buffer_, p, size);
}

void Md5::Final(uint8_t digest[16]) {
    uint64_t bits = bytes_ * 8;
    static const uint8_t kPad[64] = {0x80};
    size_t used = static_cast<size_t>(bytes_ & 63);
    Update(kPad, used < 56 ? 56 - used : 120 - used);
    uint8_t length[8];
    for (int i = 0; i < 8; ++i) {
        length[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
    Update(length, 8);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            digest[i * 4 + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
        }
    }
}

int Md5OfBuffer(const void* bytes, size_t count, uint8_t digest[16]) {
    Md5 md5;
    md5.Update(bytes, count);
    md5.Final(digest);
    return 1;
}

int Md5OfString(const char* text, uint8_t digest[16]) {
    return Md5OfBuffer(text, text ? std::strlen(text) : 0, digest);
}

namespace {

bool DigestByReading(platform::File& file, Md5& md5) {
    std::vector<uint8_t> buffer(kReadChunk);
    for (;;) {
        auto got = file.Read(buffer.data(), buffer.size());
        if (!got) {
            return false;
        }
        if (*got == 0) {
            return true;
        }
        md5.Update(buffer.data(), *got);
    }
}

bool DigestByMapping(const platform::File& file, uint64_t size, Md5& md5) {
    auto mapping = platform::FileMapping::Create(file, 0, false);
    if (!mapping) {
        return false;
    }
    for (uint64_t at = 0; at < size; at += kMapWindow) {
        auto view = mapping->Map(at, static_cast<size_t>(std::min(kMapWindow, size - at)));
        if (!view) {
            return false;
        }
        md5.Update(view->data(), view->size());
    }
    return true;
}

}  // namespace

int Md5OfFile(const char* path, uint8_t digest[16]) {
    if (path == nullptr) {
        return 0;
    }
    auto file = platform::File::Open(path, platform::Access::kRead, platform::kShareRead,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        return 0;
    }
    auto size = file->Size();
    if (!size) {
        return 0;
    }
    Md5 md5;
    bool done = false;
    if (*size >= kMapThreshold) {
        done = DigestByMapping(*file, *size, md5);
        if (!done) {
            md5 = Md5();  // no room to map: read it instead
        }
    }
    if (!done && !DigestByReading(*file, md5)) {
        return 0;
    }
    md5.Final(digest);
    return 1;
}

std::string Md5Hex(const uint8_t digest[16]) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out(32, '0');
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = kDigits[digest[i] >> 4];
        out[2 * i + 1] = kDigits[digest[i] & 15];
    }
    return out;
}
