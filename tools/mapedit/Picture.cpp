#include "Picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace mapedit {

namespace {

void PutBE32(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) {
        s += static_cast<char>(v >> (8 * i));
    }
}
void PutLE32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s += static_cast<char>(v >> (8 * i));
    }
}
void PutLE16(std::string& s, uint16_t v) {
    s += static_cast<char>(v);
    s += static_cast<char>(v >> 8);
}

uint32_t Crc32(const std::string& bytes, size_t from) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        c = table[(c ^ uint8_t(bytes[i])) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    PutBE32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png += type;
    png += data;
    PutBE32(png, Crc32(png, start));
}

}  // namespace

Picture::Picture(int width, int height, uint32_t background)
    : m_w(std::clamp(width, 1, kMaxPictureSide)), m_h(std::clamp(height, 1, kMaxPictureSide)) {
    m_rgb.resize(size_t(m_w) * m_h * 3);
    for (int y = 0; y < m_h; ++y) {
        for (int x = 0; x < m_w; ++x) {
            Set(x, y, background);
        }
    }
}

uint32_t Picture::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_w || y >= m_h) {
        return 0;
    }
    const uint8_t* p = &m_rgb[(size_t(y) * m_w + x) * 3];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

void Picture::Set(int x, int y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= m_w || y >= m_h) {
        return;
    }
    uint8_t* p = &m_rgb[(size_t(y) * m_w + x) * 3];
    p[0] = uint8_t(rgb >> 16);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb);
}

void Picture::Blend(int x, int y, uint32_t rgb, int alpha) {
    const uint32_t old = Get(x, y);
    auto mix = [&](int shift) {
        const int a = int((old >> shift) & 0xFF), b = int((rgb >> shift) & 0xFF);
        return uint32_t((a * (255 - alpha) + b * alpha) / 255) << shift;
    };
    Set(x, y, mix(16) | mix(8) | mix(0));
}

void Picture::Line(float x0, float y0, float x1, float y1, uint32_t rgb) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
        return;
    }
    // Keep the walk to the picture's neighbourhood however far the ends are.
    const float lim = 4.0f * kMaxPictureSide;
    x0 = std::clamp(x0, -lim, lim);
    y0 = std::clamp(y0, -lim, lim);
    x1 = std::clamp(x1, -lim, lim);
    y1 = std::clamp(y1, -lim, lim);
    const int steps = int(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int i = 0; i <= steps; ++i) {
        const float t = float(i) / float(steps);
        Set(int(std::floor(x0 + (x1 - x0) * t)), int(std::floor(y0 + (y1 - y0) * t)), rgb);
    }
}

void Picture::Frame(float x0, float y0, float x1, float y1, uint32_t rgb) {
    Line(x0, y0, x1, y0, rgb);
    Line(x1, y0, x1, y1, rgb);
    Line(x1, y1, x0, y1, rgb);
    Line(x0, y1, x0, y0, rgb);
}

void Picture::Fill(float x0, float y0, float x1, float y1, uint32_t rgb, int alpha) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
        return;
    }
    const int xa = std::max(0, int(std::floor(std::min(x0, x1))));
    const int xb = std::min(m_w - 1, int(std::floor(std::min(std::max(x0, x1), float(m_w)))));
    const int ya = std::max(0, int(std::floor(std::min(y0, y1))));
    const int yb = std::min(m_h - 1, int(std::floor(std::min(std::max(y0, y1), float(m_h)))));
    for (int y = ya; y <= yb; ++y) {
        for (int x = xa; x <= xb; ++x) {
            Blend(x, y, rgb, alpha);
        }
    }
}

namespace {

// Deflate with the fixed Huffman codes and greedy LZ77 matching over hash
// chains: small and quick, and pictures of a map (runs of equal ground and
// filtered gradients) shrink well with it.
class BitWriter {
public:
    // bits go out least significant first
    void Put(uint32_t bits, int count) {
        m_acc |= uint64_t(bits) << m_n;
        m_n += count;
        while (m_n >= 8) {
            m_out += static_cast<char>(m_acc & 0xFF);
            m_acc >>= 8;
            m_n -= 8;
        }
    }
    // Huffman codes go out most significant bit first.
    void PutCode(uint32_t code, int length) {
        uint32_t reversed = 0;
        for (int i = 0; i < length; ++i) {
            reversed |= ((code >> i) & 1) << (length - 1 - i);
        }
        Put(reversed, length);
    }
    std::string Finish() {
        if (m_n > 0) {
            m_out += static_cast<char>(m_acc & 0xFF);
        }
        return m_out;
    }

private:
    std::string m_out;
    uint64_t m_acc = 0;
    int m_n = 0;
};

void PutLiteral(BitWriter& w, int symbol) {
    if (symbol < 144) {
        w.PutCode(0x30 + symbol, 8);
    } else if (symbol < 256) {
        w.PutCode(0x190 + (symbol - 144), 9);
    } else if (symbol < 280) {
        w.PutCode(symbol - 256, 7);
    } else {
        w.PutCode(0xC0 + (symbol - 280), 8);
    }
}

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                               33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

constexpr int kWindow = 32768;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kChainTries = 48;
constexpr int kHashBits = 15;

void PutMatch(BitWriter& w, int length, int distance) {
    int l = 28;
    while (kLengthBase[l] > length) {
        --l;
    }
    PutLiteral(w, 257 + l);
    w.Put(uint32_t(length - kLengthBase[l]), kLengthExtra[l]);
    int d = 29;
    while (kDistBase[d] > distance) {
        --d;
    }
    w.PutCode(uint32_t(d), 5);
    w.Put(uint32_t(distance - kDistBase[d]), kDistExtra[d]);
}

std::string Deflate(const std::string& data) {
    BitWriter w;
    w.Put(1, 1);  // the last block
    w.Put(1, 2);  // fixed Huffman codes
    const int n = int(data.size());
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    std::vector<int> head(size_t(1) << kHashBits, -1), prev(size_t(n), -1);
    auto hash = [&](int i) {
        return int(((uint32_t(p[i]) << 10) ^ (uint32_t(p[i + 1]) << 5) ^ p[i + 2]) &
                   ((1u << kHashBits) - 1));
    };
    auto insert = [&](int i) {
        if (i + kMinMatch <= n) {
            const int h = hash(i);
            prev[size_t(i)] = head[size_t(h)];
            head[size_t(h)] = i;
        }
    };
    for (int i = 0; i < n;) {
        int bestLen = 0, bestDist = 0;
        if (i + kMinMatch <= n) {
            int tries = kChainTries;
            for (int c = head[size_t(hash(i))]; c >= 0 && i - c <= kWindow && tries-- > 0;
                 c = prev[size_t(c)]) {
                const int limit = std::min(kMaxMatch, n - i);
                int len = 0;
                while (len < limit && p[c + len] == p[i + len]) {
                    ++len;
                }
                if (len > bestLen) {
                    bestLen = len;
                    bestDist = i - c;
                    if (len == limit) {
                        break;
                    }
                }
            }
        }
        if (bestLen >= kMinMatch) {
            PutMatch(w, bestLen, bestDist);
            for (int k = 0; k < bestLen; ++k) {
                insert(i + k);
            }
            i += bestLen;
        } else {
            PutLiteral(w, p[i]);
            insert(i);
            ++i;
        }
    }
    PutLiteral(w, 256);  // end of block
    return w.Finish();
}

}  // namespace

std::string Picture::Png() const {
    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string ihdr;
    PutBE32(ihdr, uint32_t(m_w));
    PutBE32(ihdr, uint32_t(m_h));
    ihdr += '\x08';  // 8 bits a sample
    ihdr += '\x02';  // truecolour
    ihdr += std::string(3, '\0');
    Chunk(png, "IHDR", ihdr);

    // Each row after its filter byte: 1 (each byte less the one a pixel to
    // its left), which turns smooth ground into runs.
    const size_t rowBytes = size_t(m_w) * 3;
    std::string raw;
    raw.reserve(size_t(m_h) * (rowBytes + 1));
    for (int y = 0; y < m_h; ++y) {
        raw += '\x01';
        const uint8_t* row = &m_rgb[size_t(y) * rowBytes];
        for (size_t i = 0; i < rowBytes; ++i) {
            raw += static_cast<char>(i >= 3 ? uint8_t(row[i] - row[i - 3]) : row[i]);
        }
    }
    std::string z("\x78\x01", 2);
    z += Deflate(raw);
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(z, b << 16 | a);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", "");
    return png;
}

std::string Picture::Bmp() const {
    const uint32_t rowBytes = (uint32_t(m_w) * 3 + 3) & ~3u;
    const uint32_t pixels = rowBytes * uint32_t(m_h);
    std::string bmp("BM");
    PutLE32(bmp, 54 + pixels);
    PutLE32(bmp, 0);
    PutLE32(bmp, 54);
    PutLE32(bmp, 40);
    PutLE32(bmp, uint32_t(m_w));
    PutLE32(bmp, uint32_t(m_h));  // rows from the bottom
    PutLE16(bmp, 1);
    PutLE16(bmp, 24);
    PutLE32(bmp, 0);
    PutLE32(bmp, pixels);
    PutLE32(bmp, 2835);  // 72 dpi
    PutLE32(bmp, 2835);
    PutLE32(bmp, 0);
    PutLE32(bmp, 0);
    for (int y = m_h - 1; y >= 0; --y) {
        for (int x = 0; x < m_w; ++x) {
            const uint8_t* p = &m_rgb[(size_t(y) * m_w + x) * 3];
            bmp += static_cast<char>(p[2]);
            bmp += static_cast<char>(p[1]);
            bmp += static_cast<char>(p[0]);
        }
        bmp.append(rowBytes - uint32_t(m_w) * 3, '\0');
    }
    return bmp;
}

}  // namespace mapedit
