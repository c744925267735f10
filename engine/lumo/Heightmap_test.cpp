#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "lumo/DiskFS.h"
#include "lumo/Heightmap.h"
#include "lumo/MemFS.h"
#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using Lumo::BitMap;
using Lumo::D3DXVECTOR3;
using Lumo::Heightmap;

// Writes through a real stream into a file in dir and answers its bytes.
template <typename Writer>
std::string WriteThroughFile(const testsupport::TempDir& dir, Writer write) {
    const std::string path = dir / "layer.bin";
    FILE* f = std::fopen(platform::NativePath(path).c_str(), "wb");
    EXPECT_NE(f, nullptr);
    EXPECT_TRUE(write(f));
    std::fclose(f);
    return testsupport::ReadFile(path);
}

Heightmap RandomHeightmap(std::mt19937& rng, unsigned w, unsigned h, int format) {
    Heightmap hm;
    EXPECT_TRUE(hm.Create(0, w, h, 50.0f, 40.0f, 0.25f, format));
    std::uniform_int_distribution<int> v(0, 70000);
    for (unsigned z = 0; z < h; ++z) {
        for (unsigned x = 0; x < w; ++x) {
            hm.SafeSetVal(int(x), int(z), v(rng));
        }
    }
    return hm;
}

void ExpectSameSamples(const Heightmap& a, const Heightmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    EXPECT_EQ(a.GetFormat(), b.GetFormat());
    EXPECT_EQ(a.GetXScale(), b.GetXScale());
    EXPECT_EQ(a.GetYScale(), b.GetYScale());
    EXPECT_EQ(a.GetZScale(), b.GetZScale());
    for (unsigned z = 0; z < a.Height(); ++z) {
        for (unsigned x = 0; x < a.Width(); ++x) {
            ASSERT_EQ(a.GetValue(int(x), int(z)), b.GetValue(int(x), int(z))) << x << "," << z;
        }
    }
}

TEST(Heightmap, SamplesAreClampedToTheFormatAndOutsideIsZero) {
    Heightmap hm;
    ASSERT_TRUE(hm.Create(300, 4, 3, 10, 20, 0.5f, Heightmap::HF_8BIT));
    EXPECT_EQ(hm.GetValue(3, 2), 255);
    hm.SafeSetVal(1, 1, -5);
    EXPECT_EQ(hm.GetValue(1, 1), 0);
    hm.SafeSetVal(1, 1, 100);
    EXPECT_FLOAT_EQ(hm.GetHeight(1, 1), 50);
    hm.SafeSetVal(4, 0, 7);  // outside: ignored
    hm.SafeSetVal(-1, 0, 7);
    EXPECT_EQ(hm.GetValue(4, 0), 0);
    EXPECT_EQ(hm.GetValue(0, -1), 0);
    EXPECT_EQ(hm.GetHeight(0, 3), 0);

    ASSERT_TRUE(hm.Create(70000, 2, 2, 1, 1, 1, 7));  // unknown format codes mean 16 bits
    EXPECT_EQ(hm.GetFormat(), Heightmap::HF_16BIT);
    EXPECT_EQ(hm.GetValue(1, 1), 65535);

    EXPECT_FALSE(hm.Create(0, Lumo::kMaxHeightmapSide + 1, 2, 1, 1, 1, 0));
    EXPECT_EQ(hm.Width(), 2u);  // unchanged

    Heightmap copy;
    hm.CopyTo(copy);
    hm.SafeSetVal(0, 0, 1);
    EXPECT_EQ(copy.GetValue(0, 0), 65535);  // deep copy
    hm.Destroy();
    EXPECT_EQ(hm.Width(), 0u);
    EXPECT_EQ(hm.GetValue(0, 0), 0);
}

TEST(Heightmap, TileAndWorldConversionsUseBothScalesAndTruncateTowardZero) {
    Heightmap hm;
    ASSERT_TRUE(hm.Create(8, 10, 10, 50, 25, 2, 0));
    EXPECT_EQ(hm.Tile2World(3, 4), D3DXVECTOR3(150, 16, 100));
    EXPECT_EQ(hm.Tile2World(20, -1), D3DXVECTOR3(1000, 0, -25));  // outside: height 0
    auto t = hm.World2Tile({-25, 0, 99.9f});
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 3);
    t = hm.World2Tile({-50, 0, -25});
    EXPECT_EQ(t.x, -1);
    EXPECT_EQ(t.y, -1);
}

TEST(Heightmap, FilesRoundTripInBothFormatsThroughRealFiles) {
    testsupport::TempDir dir;
    std::mt19937 rng(3);
    for (int format : {Heightmap::HF_16BIT, Heightmap::HF_8BIT}) {
        Heightmap hm = RandomHeightmap(rng, 37, 21, format);
        std::string bytes = WriteThroughFile(dir, [&](FILE* f) { return hm.WriteToFile(f); });
        EXPECT_EQ(bytes.size(), 28u + 37 * 21 * (format == Heightmap::HF_8BIT ? 1 : 2));
        Lumo::DiskFS fs(dir.path());
        Lumo::FHandle h = fs.Open("LAYER.BIN");
        ASSERT_NE(h, Lumo::kNoFile);
        Heightmap back;
        ASSERT_TRUE(back.ReadFromFile(&fs, h, format));
        fs.Close(h);
        ExpectSameSamples(hm, back);
    }
}

TEST(Heightmap, DamagedFilesAreRefusedAndLeaveTheMapAsItWas) {
    testsupport::TempDir dir;
    std::mt19937 rng(4);
    Heightmap hm = RandomHeightmap(rng, 5, 4, Heightmap::HF_16BIT);
    const std::string good = WriteThroughFile(dir, [&](FILE* f) { return hm.WriteToFile(f); });

    auto patched = [&](size_t at, const void* value, size_t n) {
        std::string s = good;
        std::memcpy(&s[at], value, n);
        return s;
    };
    const uint32_t huge = 16000, tooBig = Lumo::kMaxHeightmapSide + 1, fmt8 = 1;
    const float zero = 0, nan = NAN, inf = INFINITY, negative = -1;
    const std::string cases[] = {
        good.substr(0, good.size() - 1),  // one sample byte short
        good.substr(0, 27),               // header cut
        "XHMP" + good.substr(4),          // magic
        patched(4, &huge, 4),             // width promises 16000 x 4 samples
        patched(8, &tooBig, 4),           // beyond the side limit
        patched(12, &zero, 4),            // x scale 0
        patched(16, &negative, 4),        // y scale below 0
        patched(20, &nan, 4),             // z scale NaN
        patched(12, &inf, 4),             // x scale infinite
        patched(24, &fmt8, 4),            // not the format asked for
    };
    Heightmap keep = RandomHeightmap(rng, 3, 3, Heightmap::HF_8BIT);
    const Heightmap before = keep;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        Lumo::MemFS fs;
        fs.AddFile("x", cases[i]);
        Lumo::FHandle h = fs.Open("x");
        EXPECT_FALSE(keep.ReadFromFile(&fs, h, Heightmap::HF_16BIT)) << "case " << i;
        fs.Close(h);
        ExpectSameSamples(keep, before);
    }
    Lumo::MemFS fs;
    EXPECT_FALSE(keep.ReadFromFile(&fs, Lumo::kNoFile, 0));
    EXPECT_FALSE(keep.ReadFromFile(nullptr, 1, 0));
}

TEST(BitMap, FlagsRoundTripWithOddSizesAndOutsideReadsFalse) {
    testsupport::TempDir dir;
    std::mt19937 rng(5);
    for (auto [w, h] : {std::pair{13u, 7u}, {8u, 8u}, {1u, 1u}, {0u, 0u}, {3u, 0u}}) {
        BitMap bm;
        ASSERT_TRUE(bm.Create(w, h, true));
        EXPECT_EQ(bm.CountSet(), size_t(w) * h);
        size_t set = 0;
        for (unsigned z = 0; z < h; ++z) {
            for (unsigned x = 0; x < w; ++x) {
                bool v = rng() & 1;
                bm.SetValue(int(x), int(z), v);
                set += v;
            }
        }
        EXPECT_EQ(bm.CountSet(), set);
        EXPECT_FALSE(bm.GetValue(int(w), 0));
        EXPECT_FALSE(bm.GetValue(-1, 0));
        bm.SetValue(int(w), int(h), true);  // outside: ignored
        EXPECT_EQ(bm.CountSet(), set);

        std::string bytes = WriteThroughFile(dir, [&](FILE* f) { return bm.WriteFile(f); });
        EXPECT_EQ(bytes.size(), 12u + (size_t(w) * h + 7) / 8);
        Lumo::DiskFS fs(dir.path());
        Lumo::FHandle hd = fs.Open("layer.bin");
        BitMap back;
        ASSERT_TRUE(back.ReadFile(&fs, hd));
        fs.Close(hd);
        ASSERT_EQ(back.Width(), w);
        ASSERT_EQ(back.Height(), h);
        for (unsigned z = 0; z < h; ++z) {
            for (unsigned x = 0; x < w; ++x) {
                ASSERT_EQ(back.GetValue(int(x), int(z)), bm.GetValue(int(x), int(z)));
            }
        }
    }
}

TEST(BitMap, LyingSizesAndStraySpareBitsAreHandled) {
    BitMap bm;
    ASSERT_TRUE(bm.Create(2, 2, false));
    std::string file("LBMP\x00\x01\x00\x00\x00\x01\x00\x00", 12);  // 256 x 256 promised
    file += std::string(100, '\xFF');
    Lumo::MemFS fs;
    fs.AddFile("a", file);
    Lumo::FHandle h = fs.Open("a");
    EXPECT_FALSE(bm.ReadFile(&fs, h));
    fs.Close(h);
    EXPECT_EQ(bm.Width(), 2u);

    // 3 x 1 flags in one byte whose spare bits are set: they are not flags.
    fs.AddFile("b", std::string("LBMP\x03\x00\x00\x00\x01\x00\x00\x00\xFF", 13));
    h = fs.Open("b");
    ASSERT_TRUE(bm.ReadFile(&fs, h));
    fs.Close(h);
    EXPECT_EQ(bm.CountSet(), 3u);
}

// The ground height between samples, as the game computes it: the bilinear
// blend of the four corners of the cell.
double Ground(const Heightmap& hm, double x, double z) {
    const double fx = x / hm.GetXScale(), fz = z / hm.GetYScale();
    const int cx = std::min(int(fx), int(hm.Width()) - 2);
    const int cz = std::min(int(fz), int(hm.Height()) - 2);
    const double u = fx - cx, v = fz - cz;
    return (hm.GetHeight(cx, cz) * (1 - u) + hm.GetHeight(cx + 1, cz) * u) * (1 - v) +
           (hm.GetHeight(cx, cz + 1) * (1 - u) + hm.GetHeight(cx + 1, cz + 1) * u) * v;
}

// Rays from above a random terrain, checked by stepping each ray and taking
// the first sample at or below the ground.
TEST(Heightmap, RayCollisionFindsTheFirstGroundPointOfAWalkedRay) {
    std::mt19937 rng(11);
    Heightmap hm;
    ASSERT_TRUE(hm.Create(0, 24, 18, 50, 40, 0.01f, 0));
    std::uniform_int_distribution<int> v(0, 40000);
    for (int z = 0; z < 18; ++z) {
        for (int x = 0; x < 24; ++x) {
            hm.SafeSetVal(x, z, v(rng));
        }
    }
    const double width = 50.0 * 23, depth = 40.0 * 17;
    std::uniform_real_distribution<float> ox(-300, float(width) + 300),
        oz(-300, float(depth) + 300), oy(450, 900), d(-1, 1), down(-1, -0.05f);
    int hits = 0;
    for (int n = 0; n < 400; ++n) {
        Lumo::Ray ray{{ox(rng), oy(rng), oz(rng)},
                      Lumo::Normalize(D3DXVECTOR3(d(rng), down(rng), d(rng)))};
        double walked = -1;
        const double step = 0.05;
        for (double t = 0; t < 4000; t += step) {
            const double x = ray.origin.x + ray.dir.x * t, z = ray.origin.z + ray.dir.z * t;
            if (x < 0 || z < 0 || x > width || z > depth) {
                continue;
            }
            if (ray.origin.y + ray.dir.y * t <= Ground(hm, x, z)) {
                walked = t;
                break;
            }
        }
        D3DXVECTOR3 hit(-1, -1, -1);
        const bool got = hm.RayCollision(ray, hit, 100000.0f, true);
        if (walked < 0) {
            EXPECT_FALSE(got) << n;
            continue;
        }
        ++hits;
        ASSERT_TRUE(got) << n;
        const double t = Lumo::Length(hit - ray.origin);
        EXPECT_NEAR(t, walked, step + 0.02) << n;
        // On the ground, or below it where the ray enters the grid from the side.
        const bool onEdge =
            hit.x < 0.01 || hit.z < 0.01 || hit.x > width - 0.01 || hit.z > depth - 0.01;
        if (onEdge) {
            EXPECT_LE(hit.y, Ground(hm, hit.x, hit.z) + 0.05) << n;
        } else {
            EXPECT_NEAR(hit.y, Ground(hm, hit.x, hit.z), 0.05) << n;
        }
        // The coarse pick never lies beyond the precise one.
        D3DXVECTOR3 coarse;
        ASSERT_TRUE(hm.RayCollision(ray, coarse, 100000.0f, false));
        EXPECT_LE(Lumo::Length(coarse - ray.origin), t + 0.01) << n;
        // A limit before the hit hides it.
        D3DXVECTOR3 untouched(7, 7, 7);
        EXPECT_FALSE(hm.RayCollision(ray, untouched, float(t) - 1, true));
        EXPECT_EQ(untouched, D3DXVECTOR3(7, 7, 7));
    }
    EXPECT_GT(hits, 100);
}

TEST(Heightmap, RayCollisionOnFlatAndDegenerateGrids) {
    Heightmap hm;
    ASSERT_TRUE(hm.Create(100, 11, 11, 10, 10, 1, 0));
    D3DXVECTOR3 hit;
    ASSERT_TRUE(hm.RayCollision({{55, 500, 45}, {0, -1, 0}}, hit, 1000, true));
    EXPECT_EQ(hit, D3DXVECTOR3(55, 100, 45));
    ASSERT_TRUE(hm.RayCollision({{-100, 200, 50}, {1, -1, 0}}, hit, 1000, true));
    EXPECT_NEAR(hit.x, 0, 1e-3);  // slanting in, already below where it enters
    EXPECT_NEAR(hit.y, 100, 1e-3);
    EXPECT_FALSE(hm.RayCollision({{55, 500, 45}, {0, 1, 0}}, hit, 1000, true));
    EXPECT_FALSE(hm.RayCollision({{55, 500, 45}, {0, 0, 0}}, hit, 1000, true));
    EXPECT_FALSE(hm.RayCollision({{200, 500, 45}, {0, -1, 0}}, hit, 1000, true));  // beside
    EXPECT_FALSE(hm.RayCollision({{55, 500, 45}, {0, -1, 0}}, hit, 399, true));
    EXPECT_FALSE(hm.RayCollision({{NAN, 500, 45}, {0, -1, 0}}, hit, 1000, true));
    Heightmap line;
    ASSERT_TRUE(line.Create(100, 11, 1, 10, 10, 1, 0));  // no cells
    EXPECT_FALSE(line.RayCollision({{55, 500, 0}, {0, -1, 0}}, hit, 1000, true));
}

}  // namespace
