#include "lumo/Heightmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "lumo/FileBytes.h"

namespace Lumo {

namespace {

constexpr char kHeightmapMagic[4] = {'L', 'H', 'M', 'P'};
constexpr char kBitMapMagic[4] = {'L', 'B', 'M', 'P'};

void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void PutF32(uint8_t* p, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutU32(p, v);
}
float GetF32(const uint8_t* p) {
    const uint32_t v = GetU32(p);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

bool ReadExactly(IFS* fs, FHandle h, void* buffer, uint32_t count) {
    return fs->Read(buffer, count, h) == count;
}

bool WriteExactly(FILE* f, const void* buffer, size_t count) {
    return count == 0 || std::fwrite(buffer, 1, count, f) == count;
}

}  // namespace

// ---------------------------------------------------------------- Heightmap

Heightmap::Heightmap() = default;
Heightmap::Heightmap(const Heightmap&) = default;
Heightmap& Heightmap::operator=(const Heightmap&) = default;
// A map moved from is left empty (0 x 0), never with a size its samples
// do not have.
Heightmap::Heightmap(Heightmap&& o) noexcept {
    *this = std::move(o);
}
Heightmap& Heightmap::operator=(Heightmap&& o) noexcept {
    if (this != &o) {
        m_width = std::exchange(o.m_width, 0u);
        m_height = std::exchange(o.m_height, 0u);
        m_xScale = o.m_xScale;
        m_yScale = o.m_yScale;
        m_zScale = o.m_zScale;
        m_format = o.m_format;
        m_samples = std::move(o.m_samples);
        o.m_samples.clear();
    }
    return *this;
}
Heightmap::~Heightmap() = default;

bool Heightmap::Create(int initValue, unsigned width, unsigned height, float xScale, float yScale,
                       float zScale, int format) {
    if (width > kMaxHeightmapSide || height > kMaxHeightmapSide) {
        return false;
    }
    m_format = format == HF_8BIT ? HF_8BIT : HF_16BIT;
    m_width = width;
    m_height = height;
    m_xScale = xScale;
    m_yScale = yScale;
    m_zScale = zScale;
    const int value = std::clamp(initValue, 0, MaxValue());
    m_samples.assign(size_t(width) * height, static_cast<uint16_t>(value));
    return true;
}

void Heightmap::CopyTo(Heightmap& dst) const {
    if (&dst != this) {
        dst = *this;
    }
}

void Heightmap::Destroy() {
    m_width = 0;
    m_height = 0;
    std::vector<uint16_t>().swap(m_samples);
}

void Heightmap::SafeSetVal(int x, int z, int value) {
    if (IsInside(x, z)) {
        m_samples[size_t(z) * m_width + unsigned(x)] =
            static_cast<uint16_t>(std::clamp(value, 0, MaxValue()));
    }
}

D3DXVECTOR3 Heightmap::Tile2World(int x, int z) const {
    return {float(x) * m_xScale, GetHeight(x, z), float(z) * m_yScale};
}

tagPOINT Heightmap::World2Tile(const D3DXVECTOR3& p) const {
    return {TruncToInt(p.x / m_xScale), TruncToInt(p.z / m_yScale)};
}

bool Heightmap::ReadFromFile(IFS* fs, FHandle h, int format) {
    if (!fs || h == kNoFile) {
        return false;
    }
    uint8_t raw[sizeof(tagHeightmapFileHeader)];
    if (!ReadExactly(fs, h, raw, sizeof raw) || std::memcmp(raw, kHeightmapMagic, 4) != 0) {
        return false;
    }
    const uint32_t width = GetU32(raw + 4);
    const uint32_t height = GetU32(raw + 8);
    const float xScale = GetF32(raw + 12);
    const float yScale = GetF32(raw + 16);
    const float zScale = GetF32(raw + 20);
    const uint32_t fileFormat = GetU32(raw + 24);
    const uint32_t wanted = format == HF_8BIT ? HF_8BIT : HF_16BIT;
    if (fileFormat != wanted || width > kMaxHeightmapSide || height > kMaxHeightmapSide) {
        return false;
    }
    // The scales divide world positions; zero, negative or non-finite ones
    // would turn every conversion into nonsense.
    if (!std::isfinite(xScale) || !std::isfinite(yScale) || !std::isfinite(zScale) ||
        !(xScale > 0) || !(yScale > 0)) {
        return false;
    }
    const size_t count = size_t(width) * height;
    const size_t bytesPerSample = wanted == HF_8BIT ? 1 : 2;
    if (count * bytesPerSample > BytesLeft(fs, h)) {
        return false;
    }
    std::vector<uint8_t> bytes(count * bytesPerSample);
    if (!bytes.empty() && !ReadExactly(fs, h, bytes.data(), static_cast<uint32_t>(bytes.size()))) {
        return false;
    }
    std::vector<uint16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        samples[i] = bytesPerSample == 1
                         ? bytes[i]
                         : static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    m_width = width;
    m_height = height;
    m_xScale = xScale;
    m_yScale = yScale;
    m_zScale = zScale;
    m_format = static_cast<int>(wanted);
    m_samples.swap(samples);
    return true;
}

bool Heightmap::WriteToFile(FILE* f) const {
    if (!f) {
        return false;
    }
    uint8_t raw[sizeof(tagHeightmapFileHeader)];
    std::memcpy(raw, kHeightmapMagic, 4);
    PutU32(raw + 4, m_width);
    PutU32(raw + 8, m_height);
    PutF32(raw + 12, m_xScale);
    PutF32(raw + 16, m_yScale);
    PutF32(raw + 20, m_zScale);
    PutU32(raw + 24, static_cast<uint32_t>(m_format));
    if (!WriteExactly(f, raw, sizeof raw)) {
        return false;
    }
    const size_t bytesPerSample = m_format == HF_8BIT ? 1 : 2;
    std::vector<uint8_t> bytes(m_samples.size() * bytesPerSample);
    for (size_t i = 0; i < m_samples.size(); ++i) {
        if (bytesPerSample == 1) {
            bytes[i] = static_cast<uint8_t>(m_samples[i]);
        } else {
            bytes[2 * i] = static_cast<uint8_t>(m_samples[i]);
            bytes[2 * i + 1] = static_cast<uint8_t>(m_samples[i] >> 8);
        }
    }
    return WriteExactly(f, bytes.data(), bytes.size());
}

bool Heightmap::RayCollision(const Ray& ray, D3DXVECTOR3& out, float maxDist, bool precise) const {
    if (m_width < 2 || m_height < 2 || !(maxDist > 0)) {
        return false;
    }
    // Work in doubles and in a unit direction, so t is a world distance.
    const double len = std::sqrt(double(ray.dir.x) * ray.dir.x + double(ray.dir.y) * ray.dir.y +
                                 double(ray.dir.z) * ray.dir.z);
    if (!(len > 0) || !std::isfinite(len)) {
        return false;
    }
    const double o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const double d[3] = {ray.dir.x / len, ray.dir.y / len, ray.dir.z / len};
    if (!std::isfinite(o[0]) || !std::isfinite(o[1]) || !std::isfinite(o[2])) {
        return false;
    }
    const double xs = m_xScale, zs = m_yScale, hs = m_zScale;
    if (!(xs > 0) || !(zs > 0)) {
        return false;
    }
    const int lastCellX = int(m_width) - 2;
    const int lastCellZ = int(m_height) - 2;

    // Clip to the grid's extent on x and z, and to [0, maxDist].
    double tEnter = 0, tExit = maxDist;
    const double lo[2] = {0, 0};
    const double hi[2] = {xs * (m_width - 1), zs * (m_height - 1)};
    const double oh[2] = {o[0], o[2]};
    const double dh[2] = {d[0], d[2]};
    for (int a = 0; a < 2; ++a) {
        if (dh[a] == 0) {
            if (oh[a] < lo[a] || oh[a] > hi[a]) {
                return false;
            }
            continue;
        }
        double t1 = (lo[a] - oh[a]) / dh[a];
        double t2 = (hi[a] - oh[a]) / dh[a];
        if (t1 > t2) {
            std::swap(t1, t2);
        }
        tEnter = std::max(tEnter, t1);
        tExit = std::min(tExit, t2);
    }
    if (!(tEnter <= tExit)) {
        return false;
    }

    auto sample = [&](int x, int z) { return double(m_samples[size_t(z) * m_width + x]) * hs; };
    auto cellOf = [](double v, double scale, int last) {
        const double c = std::floor(v / scale);
        return c < 0 ? 0 : (c > last ? last : int(c));
    };

    // Walk the cells the ray crosses, in order (a 2D grid traversal).
    double t = tEnter;
    int cx = cellOf(o[0] + d[0] * t, xs, lastCellX);
    int cz = cellOf(o[2] + d[2] * t, zs, lastCellZ);
    const int stepX = d[0] > 0 ? 1 : -1;
    const int stepZ = d[2] > 0 ? 1 : -1;
    const size_t maxCells = size_t(m_width) + m_height + 2;
    for (size_t guard = 0; guard < maxCells && t <= tExit; ++guard) {
        double tx = std::numeric_limits<double>::infinity();
        double tz = tx;
        if (d[0] != 0) {
            tx = ((d[0] > 0 ? cx + 1 : cx) * xs - o[0]) / d[0];
        }
        if (d[2] != 0) {
            tz = ((d[2] > 0 ? cz + 1 : cz) * zs - o[2]) / d[2];
        }
        const double tNext = std::min({tx, tz, tExit});
        const double ta = t, tb = std::max(t, tNext);

        const double h00 = sample(cx, cz), h10 = sample(cx + 1, cz);
        const double h01 = sample(cx, cz + 1), h11 = sample(cx + 1, cz + 1);
        // Ray height minus surface height, f(s) = f0 + f1 s + f2 s^2 for
        // s = t - ta, with the surface the bilinear blend of the corners
        // (or the highest corner, for a coarse pick).
        const double fx0 = (o[0] + d[0] * ta) / xs - cx, fx1 = d[0] / xs;
        const double fz0 = (o[2] + d[2] * ta) / zs - cz, fz1 = d[2] / zs;
        const double y0 = o[1] + d[1] * ta;
        double f0, f1, f2;
        if (precise) {
            const double a = h10 - h00, b = h01 - h00, c = h00 - h10 - h01 + h11;
            f0 = y0 - (h00 + a * fx0 + b * fz0 + c * fx0 * fz0);
            f1 = d[1] - (a * fx1 + b * fz1 + c * (fx0 * fz1 + fx1 * fz0));
            f2 = -c * fx1 * fz1;
        } else {
            f0 = y0 - std::max({h00, h10, h01, h11});
            f1 = d[1];
            f2 = 0;
        }
        double hitS = -1;
        const double span = tb - ta;
        if (f0 <= 0) {
            hitS = 0;
        } else if (f2 == 0 || std::fabs(f2) * span < 1e-12 * (std::fabs(f1) + 1)) {
            if (f1 < 0) {
                hitS = -f0 / f1;
            }
        } else {
            const double disc = f1 * f1 - 4 * f2 * f0;
            if (disc >= 0) {
                const double root = std::sqrt(disc);
                // The two roots without cancellation; keep the smallest
                // non-negative one.
                const double q = -0.5 * (f1 + (f1 >= 0 ? root : -root));
                double r1 = q / f2, r2 = q != 0 ? f0 / q : -1;
                if (r1 > r2) {
                    std::swap(r1, r2);
                }
                hitS = r1 >= 0 ? r1 : r2;
            }
        }
        if (hitS >= 0 && hitS <= span) {
            const double th = ta + hitS;
            out = D3DXVECTOR3(float(o[0] + d[0] * th), float(o[1] + d[1] * th),
                              float(o[2] + d[2] * th));
            return true;
        }
        if (tNext >= tExit) {
            break;
        }
        if (tx <= tz) {
            cx += stepX;
        } else {
            cz += stepZ;
        }
        if (cx < 0 || cz < 0 || cx > lastCellX || cz > lastCellZ) {
            break;
        }
        t = tNext;
    }
    return false;
}

// ------------------------------------------------------------------- BitMap

BitMap::BitMap() = default;
BitMap::BitMap(const BitMap&) = default;
BitMap& BitMap::operator=(const BitMap&) = default;
BitMap::BitMap(BitMap&& o) noexcept {
    *this = std::move(o);
}
BitMap& BitMap::operator=(BitMap&& o) noexcept {
    if (this != &o) {
        m_width = std::exchange(o.m_width, 0u);
        m_height = std::exchange(o.m_height, 0u);
        m_bits = std::move(o.m_bits);
        o.m_bits.clear();
    }
    return *this;
}
BitMap::~BitMap() = default;

bool BitMap::Create(unsigned width, unsigned height, bool value) {
    if (width > kMaxHeightmapSide || height > kMaxHeightmapSide) {
        return false;
    }
    m_width = width;
    m_height = height;
    const size_t cells = size_t(width) * height;
    m_bits.assign((cells + 7) / 8, value ? 0xFF : 0x00);
    if (value && (cells & 7)) {
        m_bits.back() = static_cast<uint8_t>((1u << (cells & 7)) - 1);  // spare bits stay zero
    }
    return true;
}

void BitMap::Destroy() {
    m_width = 0;
    m_height = 0;
    std::vector<uint8_t>().swap(m_bits);
}

void BitMap::SetValue(int x, int z, bool value) {
    if (x < 0 || z < 0 || unsigned(x) >= m_width || unsigned(z) >= m_height) {
        return;
    }
    const size_t i = size_t(z) * m_width + unsigned(x);
    const uint8_t bit = static_cast<uint8_t>(1u << (i & 7));
    if (value) {
        m_bits[i >> 3] |= bit;
    } else {
        m_bits[i >> 3] &= static_cast<uint8_t>(~bit);
    }
}

size_t BitMap::CountSet() const {
    size_t n = 0;
    for (uint8_t b : m_bits) {
        for (; b; b &= static_cast<uint8_t>(b - 1)) {
            ++n;
        }
    }
    return n;
}

bool BitMap::ReadFile(IFS* fs, FHandle h) {
    if (!fs || h == kNoFile) {
        return false;
    }
    uint8_t raw[sizeof(tagBitMapFileHeader)];
    if (!ReadExactly(fs, h, raw, sizeof raw) || std::memcmp(raw, kBitMapMagic, 4) != 0) {
        return false;
    }
    const uint32_t width = GetU32(raw + 4);
    const uint32_t height = GetU32(raw + 8);
    if (width > kMaxHeightmapSide || height > kMaxHeightmapSide) {
        return false;
    }
    const size_t cells = size_t(width) * height;
    const size_t bytes = (cells + 7) / 8;
    if (bytes > BytesLeft(fs, h)) {
        return false;
    }
    std::vector<uint8_t> bits(bytes);
    if (bytes && !ReadExactly(fs, h, bits.data(), static_cast<uint32_t>(bytes))) {
        return false;
    }
    if (cells & 7) {
        bits.back() &= static_cast<uint8_t>((1u << (cells & 7)) - 1);  // CountSet relies on it
    }
    m_width = width;
    m_height = height;
    m_bits.swap(bits);
    return true;
}

bool BitMap::WriteFile(FILE* f) const {
    if (!f) {
        return false;
    }
    uint8_t raw[sizeof(tagBitMapFileHeader)];
    std::memcpy(raw, kBitMapMagic, 4);
    PutU32(raw + 4, m_width);
    PutU32(raw + 8, m_height);
    return WriteExactly(f, raw, sizeof raw) && WriteExactly(f, m_bits.data(), m_bits.size());
}

}  // namespace Lumo
