// Reads back the pictures mapedit writes, for tests: PNG (checking every
// chunk's CRC, the zlib header and checksum; deflate blocks stored or with
// the fixed codes, filters 0 and 1) and 24-bit BMP. Written apart from the
// writer, from the formats' descriptions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pictest {

struct Image {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;  // rows from the top

    uint32_t At(int x, int y) const { return rgb.at(size_t(y) * width + x); }
};

inline uint32_t BE32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}
inline uint32_t LE32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 |
           uint32_t(uint8_t(s[at + 2])) << 16 | uint32_t(uint8_t(s[at + 3])) << 24;
}

inline uint32_t Crc(const std::string& s, size_t from, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < from + n; ++i) {
        c ^= uint8_t(s[i]);
        for (int k = 0; k < 8; ++k) {
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        }
    }
    return ~c;
}

// Inflates stored and fixed-code blocks from z at `at` (which ends past the
// last block, at a byte boundary).
inline bool Inflate(const std::string& z, size_t& at, std::string& out, std::string& error) {
    size_t bit = at * 8;
    auto get = [&](int count, uint32_t& v) {
        v = 0;
        for (int i = 0; i < count; ++i, ++bit) {
            if (bit / 8 >= z.size()) {
                return false;
            }
            v |= uint32_t((uint8_t(z[bit / 8]) >> (bit % 8)) & 1) << i;
        }
        return true;
    };
    auto code = [&](int count, uint32_t& v) {  // most significant bit first
        v = 0;
        for (int i = 0; i < count; ++i) {
            uint32_t b;
            if (!get(1, b)) {
                return false;
            }
            v = (v << 1) | b;
        }
        return true;
    };
    static const int lenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int lenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    for (uint32_t last = 0; !last;) {
        uint32_t type;
        if (!get(1, last) || !get(2, type)) {
            error = "block header";
            return false;
        }
        if (type == 0) {
            bit = (bit + 7) / 8 * 8;
            const size_t p = bit / 8;
            if (p + 4 > z.size()) {
                error = "stored header";
                return false;
            }
            const uint32_t n = uint8_t(z[p]) | uint32_t(uint8_t(z[p + 1])) << 8;
            const uint32_t nn = uint8_t(z[p + 2]) | uint32_t(uint8_t(z[p + 3])) << 8;
            if ((n ^ 0xFFFF) != nn || p + 4 + n > z.size()) {
                error = "stored length";
                return false;
            }
            out += z.substr(p + 4, n);
            bit = (p + 4 + n) * 8;
            continue;
        }
        if (type != 1) {
            error = "not a stored or fixed block";
            return false;
        }
        for (;;) {
            uint32_t c;
            int sym;
            if (!code(7, c)) {
                error = "code";
                return false;
            }
            if (c <= 23) {
                sym = 256 + int(c);
            } else {
                uint32_t b;
                if (!get(1, b)) {
                    error = "code";
                    return false;
                }
                c = (c << 1) | b;
                if (c >= 0x30 && c <= 0xBF) {
                    sym = int(c - 0x30);
                } else if (c >= 0xC0 && c <= 0xC7) {
                    sym = 280 + int(c - 0xC0);
                } else {
                    if (!get(1, b)) {
                        error = "code";
                        return false;
                    }
                    sym = 144 + int(((c << 1) | b) - 0x190);
                }
            }
            if (sym < 256) {
                out += char(sym);
                continue;
            }
            if (sym == 256) {
                break;
            }
            if (sym > 285) {
                error = "length code";
                return false;
            }
            uint32_t extra, dcode, dextra;
            if (!get(lenExtra[sym - 257], extra) || !code(5, dcode) || dcode > 29) {
                error = "match";
                return false;
            }
            const int len = lenBase[sym - 257] + int(extra);
            static const int distBase[30] = {1,    2,    3,    4,     5,     7,    9,    13,
                                             17,   25,   33,   49,    65,    97,   129,  193,
                                             257,  385,  513,  769,   1025,  1537, 2049, 3073,
                                             4097, 6145, 8193, 12289, 16385, 24577};
            const int dExtraBits = dcode < 4 ? 0 : int(dcode / 2 - 1);
            if (!get(dExtraBits, dextra)) {
                error = "distance";
                return false;
            }
            const size_t dist = size_t(distBase[dcode]) + dextra;
            if (dist > out.size()) {
                error = "distance beyond the start";
                return false;
            }
            for (int i = 0; i < len; ++i) {
                out += out[out.size() - dist];
            }
        }
    }
    at = (bit + 7) / 8;
    return true;
}

inline Image ReadPng(const std::string& f) {
    Image img;
    if (f.compare(0, 8, std::string("\x89PNG\r\n\x1A\n", 8)) != 0) {
        img.error = "signature";
        return img;
    }
    std::string z;
    bool ended = false;
    for (size_t at = 8; at + 12 <= f.size() && !ended;) {
        const uint32_t len = BE32(f, at);
        const std::string type = f.substr(at + 4, 4);
        if (at + 12 + len > f.size()) {
            img.error = "chunk past the end";
            return img;
        }
        if (Crc(f, at + 4, 4 + len) != BE32(f, at + 8 + len)) {
            img.error = "CRC of " + type;
            return img;
        }
        if (type == "IHDR") {
            img.width = int(BE32(f, at + 8));
            img.height = int(BE32(f, at + 12));
            if (f[at + 16] != 8 || f[at + 17] != 2) {
                img.error = "not 8-bit RGB";
                return img;
            }
        } else if (type == "IDAT") {
            z += f.substr(at + 8, len);
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + len;
    }
    if (!ended || z.size() < 6 || (uint8_t(z[0]) * 256 + uint8_t(z[1])) % 31 != 0) {
        img.error = "zlib stream";
        return img;
    }
    std::string raw;
    size_t at = 2;
    if (!Inflate(z, at, raw, img.error)) {
        return img;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    if (at + 4 != z.size() || BE32(z, at) != (b << 16 | a)) {
        img.error = "adler32";
        return img;
    }
    const size_t row = size_t(img.width) * 3 + 1;
    if (raw.size() != row * img.height) {
        img.error = "image size";
        return img;
    }
    for (int y = 0; y < img.height; ++y) {
        const char filter = raw[y * row];
        if (filter != 0 && filter != 1) {
            img.error = "filter";
            return img;
        }
        for (size_t i = 1; i < row; ++i) {
            if (filter == 1 && i > 3) {
                raw[y * row + i] = char(uint8_t(raw[y * row + i]) + uint8_t(raw[y * row + i - 3]));
            }
        }
        for (int x = 0; x < img.width; ++x) {
            const size_t p = y * row + 1 + size_t(x) * 3;
            img.rgb.push_back(uint32_t(uint8_t(raw[p])) << 16 | uint32_t(uint8_t(raw[p + 1])) << 8 |
                              uint8_t(raw[p + 2]));
        }
    }
    img.ok = true;
    return img;
}

inline Image ReadBmp(const std::string& f) {
    Image img;
    if (f.size() < 54 || f.compare(0, 2, "BM") != 0 || LE32(f, 10) != 54 || LE32(f, 14) != 40) {
        img.error = "header";
        return img;
    }
    img.width = int(LE32(f, 18));
    img.height = int(LE32(f, 22));
    const size_t row = (size_t(img.width) * 3 + 3) & ~size_t(3);
    if (uint8_t(f[28]) != 24 || f.size() != 54 + row * img.height || LE32(f, 2) != f.size()) {
        img.error = "size";
        return img;
    }
    img.rgb.resize(size_t(img.width) * img.height);
    for (int y = 0; y < img.height; ++y) {
        const size_t base = 54 + size_t(img.height - 1 - y) * row;
        for (int x = 0; x < img.width; ++x) {
            const size_t p = base + size_t(x) * 3;
            img.rgb[size_t(y) * img.width + x] = uint32_t(uint8_t(f[p + 2])) << 16 |
                                                 uint32_t(uint8_t(f[p + 1])) << 8 | uint8_t(f[p]);
        }
    }
    img.ok = true;
    return img;
}

}  // namespace pictest
