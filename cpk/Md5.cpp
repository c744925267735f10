#include "cpk/Md5.h"

#include <cstring>
#include <vector>

#include "platform/file.h"

namespace {

// Files are digested in reads of this size. Measured against mapped views
// of the same (cached) file, reads take about 0.7x the time: faulting the
// pages of a view in costs more than copying them, and the chunk stays in
// the cache while it is digested.
constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

// The four round functions, written so that as little as possible waits for
// b, the result of the step before: MD5 is one long chain of dependent steps,
// and its speed is the length of that chain. F and I need b early; G's two
// halves have no bits in common, so the half without b is added ahead
// (GSTEP); H takes c ^ d first.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_H(x, y, z) ((x) ^ ((y) ^ (z)))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, m, k, s)      \
    (a) += f((b), (c), (d)) + (m) + (k);      \
    (a) = ((a) << (s)) | ((a) >> (32 - (s))); \
    (a) += (b)
// G(b, c, d) = (b & d) | (c & ~d) = (b & d) + (c & ~d)
#define MD5_GSTEP(a, b, c, d, m, k, s)        \
    (a) += ((c) & ~(d)) + (m) + (k);          \
    (a) += (b) & (d);                         \
    (a) = ((a) << (s)) | ((a) >> (32 - (s))); \
    (a) += (b)

void Md5::Transform(const uint8_t block[64]) {
    // The message words are little-endian. A plain copy on little-endian
    // hosts: assembling them byte by byte gets vectorised by the compiler
    // into shuffles that cost a third of the digest's time.
    uint32_t m[16];
    std::memcpy(m, block, sizeof m);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    for (uint32_t& w : m) {
        w = __builtin_bswap32(w);
    }
#endif
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

    MD5_STEP(MD5_F, a, b, c, d, m[0], 0xd76aa478, 7);
    MD5_STEP(MD5_F, d, a, b, c, m[1], 0xe8c7b756, 12);
    MD5_STEP(MD5_F, c, d, a, b, m[2], 0x242070db, 17);
    MD5_STEP(MD5_F, b, c, d, a, m[3], 0xc1bdceee, 22);
    MD5_STEP(MD5_F, a, b, c, d, m[4], 0xf57c0faf, 7);
    MD5_STEP(MD5_F, d, a, b, c, m[5], 0x4787c62a, 12);
    MD5_STEP(MD5_F, c, d, a, b, m[6], 0xa8304613, 17);
    MD5_STEP(MD5_F, b, c, d, a, m[7], 0xfd469501, 22);
    MD5_STEP(MD5_F, a, b, c, d, m[8], 0x698098d8, 7);
    MD5_STEP(MD5_F, d, a, b, c, m[9], 0x8b44f7af, 12);
    MD5_STEP(MD5_F, c, d, a, b, m[10], 0xffff5bb1, 17);
    MD5_STEP(MD5_F, b, c, d, a, m[11], 0x895cd7be, 22);
    MD5_STEP(MD5_F, a, b, c, d, m[12], 0x6b901122, 7);
    MD5_STEP(MD5_F, d, a, b, c, m[13], 0xfd987193, 12);
    MD5_STEP(MD5_F, c, d, a, b, m[14], 0xa679438e, 17);
    MD5_STEP(MD5_F, b, c, d, a, m[15], 0x49b40821, 22);

    MD5_GSTEP(a, b, c, d, m[1], 0xf61e2562, 5);
    MD5_GSTEP(d, a, b, c, m[6], 0xc040b340, 9);
    MD5_GSTEP(c, d, a, b, m[11], 0x265e5a51, 14);
    MD5_GSTEP(b, c, d, a, m[0], 0xe9b6c7aa, 20);
    MD5_GSTEP(a, b, c, d, m[5], 0xd62f105d, 5);
    MD5_GSTEP(d, a, b, c, m[10], 0x02441453, 9);
    MD5_GSTEP(c, d, a, b, m[15], 0xd8a1e681, 14);
    MD5_GSTEP(b, c, d, a, m[4], 0xe7d3fbc8, 20);
    MD5_GSTEP(a, b, c, d, m[9], 0x21e1cde6, 5);
    MD5_GSTEP(d, a, b, c, m[14], 0xc33707d6, 9);
    MD5_GSTEP(c, d, a, b, m[3], 0xf4d50d87, 14);
    MD5_GSTEP(b, c, d, a, m[8], 0x455a14ed, 20);
    MD5_GSTEP(a, b, c, d, m[13], 0xa9e3e905, 5);
    MD5_GSTEP(d, a, b, c, m[2], 0xfcefa3f8, 9);
    MD5_GSTEP(c, d, a, b, m[7], 0x676f02d9, 14);
    MD5_GSTEP(b, c, d, a, m[12], 0x8d2a4c8a, 20);

    MD5_STEP(MD5_H, a, b, c, d, m[5], 0xfffa3942, 4);
    MD5_STEP(MD5_H, d, a, b, c, m[8], 0x8771f681, 11);
    MD5_STEP(MD5_H, c, d, a, b, m[11], 0x6d9d6122, 16);
    MD5_STEP(MD5_H, b, c, d, a, m[14], 0xfde5380c, 23);
    MD5_STEP(MD5_H, a, b, c, d, m[1], 0xa4beea44, 4);
    MD5_STEP(MD5_H, d, a, b, c, m[4], 0x4bdecfa9, 11);
    MD5_STEP(MD5_H, c, d, a, b, m[7], 0xf6bb4b60, 16);
    MD5_STEP(MD5_H, b, c, d, a, m[10], 0xbebfbc70, 23);
    MD5_STEP(MD5_H, a, b, c, d, m[13], 0x289b7ec6, 4);
    MD5_STEP(MD5_H, d, a, b, c, m[0], 0xeaa127fa, 11);
    MD5_STEP(MD5_H, c, d, a, b, m[3], 0xd4ef3085, 16);
    MD5_STEP(MD5_H, b, c, d, a, m[6], 0x04881d05, 23);
    MD5_STEP(MD5_H, a, b, c, d, m[9], 0xd9d4d039, 4);
    MD5_STEP(MD5_H, d, a, b, c, m[12], 0xe6db99e5, 11);
    MD5_STEP(MD5_H, c, d, a, b, m[15], 0x1fa27cf8, 16);
    MD5_STEP(MD5_H, b, c, d, a, m[2], 0xc4ac5665, 23);

    MD5_STEP(MD5_I, a, b, c, d, m[0], 0xf4292244, 6);
    MD5_STEP(MD5_I, d, a, b, c, m[7], 0x432aff97, 10);
    MD5_STEP(MD5_I, c, d, a, b, m[14], 0xab9423a7, 15);
    MD5_STEP(MD5_I, b, c, d, a, m[5], 0xfc93a039, 21);
    MD5_STEP(MD5_I, a, b, c, d, m[12], 0x655b59c3, 6);
    MD5_STEP(MD5_I, d, a, b, c, m[3], 0x8f0ccc92, 10);
    MD5_STEP(MD5_I, c, d, a, b, m[10], 0xffeff47d, 15);
    MD5_STEP(MD5_I, b, c, d, a, m[1], 0x85845dd1, 21);
    MD5_STEP(MD5_I, a, b, c, d, m[8], 0x6fa87e4f, 6);
    MD5_STEP(MD5_I, d, a, b, c, m[15], 0xfe2ce6e0, 10);
    MD5_STEP(MD5_I, c, d, a, b, m[6], 0xa3014314, 15);
    MD5_STEP(MD5_I, b, c, d, a, m[13], 0x4e0811a1, 21);
    MD5_STEP(MD5_I, a, b, c, d, m[4], 0xf7537e82, 6);
    MD5_STEP(MD5_I, d, a, b, c, m[11], 0xbd3af235, 10);
    MD5_STEP(MD5_I, c, d, a, b, m[2], 0x2ad7d2bb, 15);
    MD5_STEP(MD5_I, b, c, d, a, m[9], 0xeb86d391, 21);

    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

#undef MD5_STEP
#undef MD5_I
#undef MD5_H
#undef MD5_GSTEP
#undef MD5_F

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
    Md5 md5;
    if (!DigestByReading(*file, md5)) {
        return 0;
    }
    md5.Final(digest);
    return 1;
}

int Md5OfFileRest(const char* path, uint64_t offset, Md5& md5, uint8_t digest[16]) {
    if (path == nullptr) {
        return 0;
    }
    auto file = platform::File::Open(path, platform::Access::kRead, platform::kShareRead,
                                     platform::Disposition::kOpenExisting);
    if (!file || !file->Seek(static_cast<int64_t>(offset), platform::SeekFrom::kBegin) ||
        !DigestByReading(*file, md5)) {
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
