// Heightmaps and one-bit-per-cell maps: the terrain grids of a map and the
// layers the navigation map is built from.
//
// A heightmap is a grid of width x height integer samples. Column x runs
// along world x, row z along world z; sample (x, z) stands at world
// (x * xScale, value * zScale, z * yScale): the x and y scales are the
// spacing of columns and rows (the grid's two image axes), the z scale is
// the world height of one sample unit. The format sets the sample range:
// HF_16BIT holds 0..65535, HF_8BIT 0..255.
//
// File form (our own; little-endian; what WriteToFile writes and
// ReadFromFile reads, usually inside a larger file):
//
//   offset  size  field
//   0       4     magic "LHMP"
//   4       4     u32 width (at most kMaxHeightmapSide)
//   8       4     u32 height (at most kMaxHeightmapSide)
//   12      4     f32 x scale (finite, > 0)
//   16      4     f32 y scale (finite, > 0)
//   20      4     f32 z scale (finite)
//   24      4     u32 format (0 = HF_16BIT, 1 = HF_8BIT)
//   28      ...   width * height samples, row by row (z outer, x inner):
//                 u16 for HF_16BIT, u8 for HF_8BIT
//
// A bitmap is a grid of width x height flags:
//
//   offset  size  field
//   0       4     magic "LBMP"
//   4       4     u32 width (at most kMaxHeightmapSide)
//   8       4     u32 height (at most kMaxHeightmapSide)
//   12      ...   (width * height + 7) / 8 bytes: the flag of cell (x, z)
//                 is bit i % 8 (1 = least significant) of byte i / 8,
//                 where i = z * width + x; the spare bits of the last byte
//                 are zero
//
// Readers check the magic, the sizes, the scales and that the file really
// holds every sample before they allocate; on any failure they answer false
// and leave the object as it was. Both classes are values (copies are deep)
// and are used from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "lumo/IFS.h"
#include "lumo/LumoApi.h"
#include "lumo/Math.h"

namespace Lumo {

// Largest width or height of a heightmap or bitmap (16,384 x 16,384 samples
// of 16 bits are 512 MiB, more than any map of the game).
constexpr uint32_t kMaxHeightmapSide = 16384;

struct tagHeightmapFileHeader {
    char magic[4];    // "LHMP"
    uint32_t width;   // 4
    uint32_t height;  // 8
    float xScale;     // 12
    float yScale;     // 16
    float zScale;     // 20
    uint32_t format;  // 24
};
static_assert(sizeof(tagHeightmapFileHeader) == 28, "heightmap header is 28 bytes");
static_assert(offsetof(tagHeightmapFileHeader, format) == 24, "format at 24");

struct tagBitMapFileHeader {
    char magic[4];    // "LBMP"
    uint32_t width;   // 4
    uint32_t height;  // 8
};
static_assert(sizeof(tagBitMapFileHeader) == 12, "bitmap header is 12 bytes");
static_assert(offsetof(tagBitMapFileHeader, width) == 4 &&
                  offsetof(tagBitMapFileHeader, height) == 8,
              "bitmap header layout");

class LUMO_API Heightmap {
public:
    enum EFormat { HF_16BIT = 0, HF_8BIT = 1 };

    Heightmap();
    Heightmap(const Heightmap&);
    Heightmap& operator=(const Heightmap&);
    Heightmap(Heightmap&&) noexcept;
    Heightmap& operator=(Heightmap&&) noexcept;
    ~Heightmap();

    // Makes a width x height grid with every sample initValue (clamped to
    // the format's range). A format other than HF_8BIT means HF_16BIT.
    // False, leaving the map as it was, when a side exceeds
    // kMaxHeightmapSide.
    bool Create(int initValue, unsigned width, unsigned height, float xScale, float yScale,
                float zScale, int format);
    // dst becomes a copy of this map.
    void CopyTo(Heightmap& dst) const;
    // Back to an empty 0 x 0 map (the scales stay).
    void Destroy();

    unsigned Width() const { return m_width; }
    unsigned Height() const { return m_height; }
    float GetXScale() const { return m_xScale; }
    float GetYScale() const { return m_yScale; }
    float GetZScale() const { return m_zScale; }
    int GetFormat() const { return m_format; }
    bool IsInside(int x, int z) const {
        return x >= 0 && z >= 0 && unsigned(x) < m_width && unsigned(z) < m_height;
    }

    // The sample at (x, z); 0 outside the grid.
    int GetValue(int x, int z) const {
        return IsInside(x, z) ? m_samples[size_t(z) * m_width + unsigned(x)] : 0;
    }
    // The sample's world height (value * z scale); 0 outside the grid.
    float GetHeight(int x, int z) const { return float(GetValue(x, z)) * m_zScale; }
    // Sets a sample, clamped to the format's range; outside the grid nothing
    // happens.
    void SafeSetVal(int x, int z, int value);

    // World point of sample (x, z): (x * xScale, its height, z * yScale);
    // the height is 0 outside the grid.
    D3DXVECTOR3 Tile2World(int x, int z) const;
    // The sample cell holding a world point: each coordinate divided by its
    // scale and truncated toward zero.
    tagPOINT World2Tile(const D3DXVECTOR3& p) const;

    // Reads a heightmap in the form above from h's position on. format is
    // what the caller expects (HF_8BIT, or anything else for HF_16BIT); a
    // file of the other format is refused.
    bool ReadFromFile(IFS* fs, FHandle h, int format);
    // Writes the map in the form above; false when the stream fails.
    bool WriteToFile(FILE* f) const;

    // The first point where the ray meets the terrain surface within
    // maxDist world units of its origin (the surface between four samples
    // is their bilinear blend, as the ground height is everywhere in the
    // game). With precise false each cell counts as a flat top at its
    // highest corner: cheaper, for coarse picks. A ray that starts below
    // the surface hits where it enters the grid. False when there is no
    // hit (out is then unchanged).
    bool RayCollision(const Ray& ray, D3DXVECTOR3& out, float maxDist, bool precise) const;

private:
    int MaxValue() const { return m_format == HF_8BIT ? 0xFF : 0xFFFF; }

    unsigned m_width = 0;
    unsigned m_height = 0;
    float m_xScale = 1;
    float m_yScale = 1;
    float m_zScale = 1;
    int m_format = HF_16BIT;
    std::vector<uint16_t> m_samples;  // row by row
};

class LUMO_API BitMap {
public:
    BitMap();
    BitMap(const BitMap&);
    BitMap& operator=(const BitMap&);
    BitMap(BitMap&&) noexcept;
    BitMap& operator=(BitMap&&) noexcept;
    ~BitMap();

    // A width x height map with every flag set to value. False, leaving the
    // map as it was, when a side exceeds kMaxHeightmapSide.
    bool Create(unsigned width, unsigned height, bool value);
    // Back to an empty 0 x 0 map.
    void Destroy();

    unsigned Width() const { return m_width; }
    unsigned Height() const { return m_height; }

    // The flag at (x, z); false outside the map.
    bool GetValue(int x, int z) const {
        if (x < 0 || z < 0 || unsigned(x) >= m_width || unsigned(z) >= m_height) {
            return false;
        }
        const size_t i = size_t(z) * m_width + unsigned(x);
        return (m_bits[i >> 3] >> (i & 7)) & 1;
    }
    // Outside the map nothing happens.
    void SetValue(int x, int z, bool value);
    // Number of flags set.
    size_t CountSet() const;

    // Reads a bitmap in the form above from h's position on.
    bool ReadFile(IFS* fs, FHandle h);
    // Writes the map in the form above; false when the stream fails.
    bool WriteFile(FILE* f) const;

private:
    unsigned m_width = 0;
    unsigned m_height = 0;
    std::vector<uint8_t> m_bits;
};

}  // namespace Lumo
