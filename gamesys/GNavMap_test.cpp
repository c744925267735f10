#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gamesys/GNavMap.h"
#include "gamesys/SaveFile.h"
#include "lumo/DiskFS.h"
#include "lumo/Exception.h"
#include "lumo/MemFS.h"
#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace GFC;
using Lumo::Heightmap;

// ------------------------------------------------------- brute-force walk

// The passability of a grid, kept apart from the navigation map's layers.
struct Grid {
    int w = 0, h = 0;
    std::vector<uint8_t> cango, suogu, leap;

    bool Pass(int64_t x, int64_t z, int mode) const {
        if (x < 0 || z < 0 || x >= w || z >= h) {
            return false;
        }
        const size_t i = size_t(z) * w + size_t(x);
        switch (mode) {
            case 0:
                return cango[i];
            case 1:
                return cango[i] || suogu[i];
            case 2:
                return cango[i] || leap[i];
            default:
                return false;
        }
    }
};

struct Answer {
    bool ok;
    int64_t stopX, stopZ;
};

// The walk written from the line itself: step i of L along the longer axis
// lies round(i * S / L) along the shorter one (halves rounded away from the
// start), computed anew for every step rather than carried in an error term.
// A start outside the grid cannot go anywhere; stop is the point before the
// one that failed (or before the end).
template <typename Inside, typename Pass>
Answer BruteWalk(int64_t x0, int64_t z0, int64_t x1, int64_t z1, Inside inside, Pass pass) {
    if (!inside(x0, z0)) {
        return {false, x0, z0};
    }
    const int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int64_t dz = z1 > z0 ? z1 - z0 : z0 - z1;
    const int64_t sx = x1 >= x0 ? 1 : -1, sz = z1 >= z0 ? 1 : -1;
    const bool steep = dz > dx;
    const int64_t L = steep ? dz : dx, S = steep ? dx : dz;
    int64_t px = x0, pz = z0, stopX = x0, stopZ = z0;
    for (int64_t i = 1; i <= L; ++i) {
        stopX = px;
        stopZ = pz;
        const int64_t minor = (2 * S * i + L) / (2 * L);
        px = steep ? x0 + sx * minor : x0 + sx * i;
        pz = steep ? z0 + sz * i : z0 + sz * minor;
        if (!pass(px, pz)) {
            return {false, stopX, stopZ};
        }
    }
    return {pass(x1, z1), stopX, stopZ};
}

// Sub-tile to tile toward zero, by shifting magnitudes.
int64_t TileOfSub(int64_t s) {
    return s >= 0 ? s >> 8 : -((-s) >> 8);
}

struct RandomNav {
    Grid grid;
    GNavMap nav;

    RandomNav(std::mt19937& rng) {
        std::uniform_int_distribution<int> side(1, 24);
        grid.w = side(rng);
        grid.h = side(rng);
        const double density = std::uniform_real_distribution<double>(0.5, 1.0)(rng);
        std::bernoulli_distribution open(density), extra(0.3);
        Heightmap height, cango, doodad, leap, suogu;
        height.Create(0, grid.w, grid.h, 10, 10, 1, 0);
        cango.Create(0, grid.w, grid.h, 10, 10, 1, 0);
        leap.Create(0, grid.w, grid.h, 10, 10, 1, 0);
        suogu.Create(0, grid.w, grid.h, 10, 10, 1, 0);
        for (int z = 0; z < grid.h; ++z) {
            for (int x = 0; x < grid.w; ++x) {
                const bool c = open(rng), s = extra(rng), l = extra(rng);
                grid.cango.push_back(c);
                grid.suogu.push_back(s);
                grid.leap.push_back(l);
                cango.SafeSetVal(x, z, c ? 1 + int(rng() % 9) : 0);
                suogu.SafeSetVal(x, z, s);
                leap.SafeSetVal(x, z, l);
            }
        }
        nav.CreateFromFiveMap(height, cango, doodad, leap, suogu);
    }
};

TEST(GNavMapWalk, AgreesWithABruteForceWalkOnThousandsOfRandomGrids) {
    std::mt19937 rng(2024);
    // Mostly the three real modes, sometimes one that passes nowhere.
    std::discrete_distribution<int> modeIndex({1, 6, 6, 6, 1});
    int passed = 0, blocked = 0;
    for (int g = 0; g < 3000; ++g) {
        RandomNav r(rng);
        const Grid& grid = r.grid;
        std::uniform_int_distribution<int> tx(-1, grid.w), tz(-1, grid.h);
        std::uniform_int_distribution<int> sx(-300, grid.w * 256 + 300),
            sz(-300, grid.h * 256 + 300);
        for (int n = 0; n < 12; ++n) {
            const int m = modeIndex(rng) - 1;
            auto passTile = [&](int64_t x, int64_t z) { return grid.Pass(x, z, m); };
            auto passSub = [&](int64_t x, int64_t z) {
                return grid.Pass(TileOfSub(x), TileOfSub(z), m);
            };
            auto insideTile = [&](int64_t x, int64_t z) {
                return x >= 0 && z >= 0 && x < grid.w && z < grid.h;
            };
            auto insideSub = [&](int64_t x, int64_t z) {
                return insideTile(TileOfSub(x), TileOfSub(z));
            };

            // Tiles.
            int x0 = tx(rng), z0 = tz(rng), x1 = tx(rng), z1 = tz(rng);
            Answer want = BruteWalk(x0, z0, x1, z1, insideTile, passTile);
            tagPOINT stop{-99, -99};
            ASSERT_EQ(r.nav.IfCanDirectGoTile(x0, z0, x1, z1, stop, m), want.ok)
                << g << " tile " << x0 << "," << z0 << " -> " << x1 << "," << z1;
            ASSERT_EQ(stop.x, want.stopX);
            ASSERT_EQ(stop.y, want.stopZ);
            (want.ok ? passed : blocked)++;

            // Tiles walked in sub-tiles between their centres (the start
            // tile itself must be on the map).
            Answer sub =
                BruteWalk(int64_t(x0) * 256 + 128, int64_t(z0) * 256 + 128, int64_t(x1) * 256 + 128,
                          int64_t(z1) * 256 + 128, insideSub, passSub);
            if (!insideTile(x0, z0)) {
                sub = {false, int64_t(x0) * 256, int64_t(z0) * 256};
            }
            stop = {-99, -99};
            ASSERT_EQ(r.nav.IfCanDirectGo(x0, z0, x1, z1, stop, m), sub.ok) << g;
            (sub.ok ? passed : blocked)++;
            if (sub.ok) {
                EXPECT_EQ(stop.x, -99);  // untouched on success
                EXPECT_EQ(stop.y, -99);
            } else {
                ASSERT_EQ(stop.x, TileOfSub(sub.stopX));
                ASSERT_EQ(stop.y, TileOfSub(sub.stopZ));
            }

            // Sub-tiles.
            int a0 = sx(rng), b0 = sz(rng), a1 = sx(rng), b1 = sz(rng);
            want = BruteWalk(a0, b0, a1, b1, insideSub, passSub);
            stop = {-99, -99};
            ASSERT_EQ(r.nav.IfCanDirectGoSTile(a0, b0, a1, b1, stop, m), want.ok) << g;
            (want.ok ? passed : blocked)++;
            ASSERT_EQ(stop.x, want.stopX);
            ASSERT_EQ(stop.y, want.stopZ);
        }
    }
    // Both answers are common enough for the comparison to mean something.
    EXPECT_GT(passed, 10000);
    EXPECT_GT(blocked, 10000);
}

// A 6 x 6 map, can-go everywhere except where a test clears it.
GNavMap OpenMap() {
    GNavMap nav;
    nav.Create(6, 6, 100, 1);
    Heightmap height, all;
    height.Create(0, 6, 6, 100, 100, 1, 0);
    all.Create(1, 6, 6, 100, 100, 1, 0);
    nav.CreateFromTwoMap(height, all);
    return nav;
}

TEST(GNavMapWalk, TheGivenSmallCases) {
    GNavMap nav = OpenMap();
    tagPOINT stop{};
    // To itself: only that tile is tested, and stop is that tile.
    EXPECT_TRUE(nav.IfCanDirectGoTile(2, 3, 2, 3, stop, 0));
    EXPECT_EQ(stop.x, 2);
    EXPECT_EQ(stop.y, 3);
    GNavMap closed;
    closed.Create(6, 6, 100, 1);
    EXPECT_FALSE(closed.IfCanDirectGoTile(2, 3, 2, 3, stop, 0));
    EXPECT_EQ(stop.x, 2);
    EXPECT_EQ(stop.y, 3);
    stop = {-1, -1};
    EXPECT_FALSE(closed.IfCanDirectGo(2, 3, 2, 3, stop, 0));
    EXPECT_EQ(stop.x, 2);
    EXPECT_EQ(stop.y, 3);

    // A blocked first step: stop is the start.
    Heightmap height, cango;
    height.Create(0, 6, 6, 100, 100, 1, 0);
    cango.Create(1, 6, 6, 100, 100, 1, 0);
    cango.SafeSetVal(1, 0, 0);
    nav.CreateFromTwoMap(height, cango);
    EXPECT_FALSE(nav.IfCanDirectGoTile(0, 0, 5, 0, stop, 0));
    EXPECT_EQ(stop.x, 0);
    EXPECT_EQ(stop.y, 0);
    EXPECT_FALSE(nav.IfCanDirectGo(0, 0, 5, 0, stop, 0));
    EXPECT_EQ(stop.x, 0);
    EXPECT_EQ(stop.y, 0);

    // dx == dz is not steep: both advance every step along the diagonal.
    EXPECT_TRUE(nav.IfCanDirectGoTile(0, 1, 4, 5, stop, 0));
    EXPECT_EQ(stop.x, 3);
    EXPECT_EQ(stop.y, 4);
    cango.SafeSetVal(1, 0, 1);
    cango.SafeSetVal(2, 3, 0);
    nav.CreateFromTwoMap(height, cango);
    EXPECT_FALSE(nav.IfCanDirectGoTile(0, 1, 4, 5, stop, 0));
    EXPECT_EQ(stop.x, 1);
    EXPECT_EQ(stop.y, 2);

    // A passable path to an impassable end.
    cango.SafeSetVal(2, 3, 1);
    cango.SafeSetVal(5, 5, 0);
    nav.CreateFromTwoMap(height, cango);
    EXPECT_FALSE(nav.IfCanDirectGoTile(0, 0, 5, 5, stop, 0));
    EXPECT_EQ(stop.x, 4);
    EXPECT_EQ(stop.y, 4);
}

TEST(GNavMapWalk, EndsOutsideTheGridCannotGoAndNothingIsReadOutside) {
    GNavMap nav = OpenMap();
    tagPOINT stop{};
    EXPECT_FALSE(nav.IfCanDirectGoTile(0, 0, 6, 0, stop, 0));
    EXPECT_EQ(stop.x, 5);
    EXPECT_FALSE(nav.IfCanDirectGoTile(5, 5, 5, 9, stop, 0));
    EXPECT_EQ(stop.y, 5);
    // A start outside the grid cannot go either, even into the grid.
    EXPECT_FALSE(nav.IfCanDirectGoTile(-1, 2, 3, 2, stop, 0));
    EXPECT_EQ(stop.x, -1);
    EXPECT_EQ(stop.y, 2);
    EXPECT_FALSE(nav.IfCanDirectGoSTile(2 * 256, 6 * 256, 2 * 256, 5 * 256, stop, 0));
    EXPECT_EQ(stop.y, 6 * 256);
    stop = {};
    EXPECT_FALSE(nav.IfCanDirectGo(2, 6, 2, 5, stop, 0));
    EXPECT_EQ(stop.x, 2);
    EXPECT_EQ(stop.y, 6);
    for (int big : {INT_MAX, INT_MIN, 1 << 24, -(1 << 24)}) {
        EXPECT_FALSE(nav.IfCanDirectGoTile(1, 1, big, 1, stop, 0));
        EXPECT_FALSE(nav.IfCanDirectGoTile(1, 1, 1, big, stop, 1));
        EXPECT_FALSE(nav.IfCanDirectGoSTile(300, 300, big, big, stop, 2));
        EXPECT_FALSE(nav.IfCanDirectGo(big, 1, 1, 1, stop, 0));
        EXPECT_FALSE(nav.IfCanDirectGo(1, 1, big, big, stop, 0));
    }
    // Sub-tiles -255 .. -1 truncate into tile 0, as the game counts them.
    EXPECT_TRUE(nav.IfCanDirectGoSTile(128, 128, -200, 128, stop, 0));
    EXPECT_FALSE(nav.IfCanDirectGoSTile(128, 128, -256, 128, stop, 0));
    EXPECT_EQ(stop.x, -255);
}

// ------------------------------------------------------------- the layers

TEST(GNavMap, PassModesAndFlags) {
    Heightmap height, cango, doodad, leap, suogu;
    for (Heightmap* m : {&height, &cango, &doodad, &leap, &suogu}) {
        m->Create(0, 3, 1, 10, 10, 1, 0);
    }
    cango.SafeSetVal(0, 0, 1);
    suogu.SafeSetVal(1, 0, 1);
    leap.SafeSetVal(2, 0, 1);
    doodad.SafeSetVal(2, 0, 200);
    GNavMap nav;
    nav.CreateFromFiveMap(height, cango, doodad, leap, suogu);
    const bool want[4][3] = {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {0, 0, 0}};
    for (int mode = 0; mode < 4; ++mode) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(nav.IfCanPass(x, 0, mode), want[mode][x]) << mode << "," << x;
        }
    }
    EXPECT_FALSE(nav.IfCanPass(0, 0, -1));
    EXPECT_FALSE(nav.IfCanPass(3, 0, 0));
    EXPECT_TRUE(nav.IfDoodad(2, 0));
    EXPECT_FALSE(nav.IfDoodad(1, 0));
    EXPECT_TRUE(nav.IfSuoGu(1, 0));
    EXPECT_TRUE(nav.IfLeap(2, 0));
    EXPECT_TRUE(nav.IfIndex(2, 0));
    EXPECT_FALSE(nav.IfIndex(-1, 0));
    EXPECT_FALSE(nav.IfIndex(3u, 0u));
    EXPECT_FALSE(nav.IfIndex(0xFFFFFFFFu, 0u));
    EXPECT_EQ(nav.GetTileIndex(2, 0), 2u);
}

TEST(GNavMap, BuildingFromHeightmapsLeavesLayersNotNamedAlone) {
    Heightmap height, cango, doodad, small;
    height.Create(5, 4, 4, 32, 32, 0.5f, 0);
    cango.Create(1, 4, 4, 32, 32, 1, 0);
    doodad.Create(1, 4, 4, 32, 32, 1, 0);
    small.Create(1, 2, 2, 32, 32, 1, 0);  // smaller than the height layer
    GNavMap nav;
    nav.CreateFromThreeMap(height, cango, doodad);
    EXPECT_EQ(nav.Width(), 4u);
    EXPECT_FLOAT_EQ(nav.GetHeight(3, 3), 2.5f);
    EXPECT_TRUE(nav.IfDoodad(3, 3));
    nav.CreateFromTwoMap(height, small);
    EXPECT_TRUE(nav.IfCanGo(1, 1));
    EXPECT_FALSE(nav.IfCanGo(2, 2));  // beyond the small map: 0
    EXPECT_TRUE(nav.IfDoodad(3, 3));  // not named: kept

    // Leap and SuoGu never made: generated as zeros at the height layer's size,
    // and created on the way.
    EXPECT_FALSE(nav.IfLeap(0, 0));
    std::unique_ptr<Heightmap> leap(nav.GenerateLeapMap());
    ASSERT_EQ(leap->Width(), 4u);
    ASSERT_EQ(leap->Height(), 4u);
    EXPECT_EQ(leap->GetXScale(), 32.0f);
    EXPECT_EQ(leap->GetZScale(), 0.5f);
    for (int z = 0; z < 4; ++z) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(leap->GetValue(x, z), 0);
        }
    }
    std::unique_ptr<Heightmap> go(nav.GenerateCangoMap());
    EXPECT_EQ(go->GetValue(1, 1), 1);
    EXPECT_EQ(go->GetValue(2, 2), 0);
    std::unique_ptr<Heightmap> copy(nav.GenerateHeightMap());
    EXPECT_EQ(copy->GetValue(3, 3), 5);
    copy->SafeSetVal(3, 3, 0);
    EXPECT_FLOAT_EQ(nav.GetHeight(3, 3), 2.5f);  // a copy, not the layer
}

TEST(GNavMap, WorldTileAndSubTileConversions) {
    GNavMap nav;
    nav.Create(4, 3, 50, 2);
    Heightmap height, cango;
    height.Create(0, 4, 3, 50, 50, 2, 0);
    height.SafeSetVal(1, 1, 10);  // 20 high
    height.SafeSetVal(2, 1, 20);  // 40
    height.SafeSetVal(1, 2, 30);  // 60
    height.SafeSetVal(2, 2, 40);  // 80
    cango.Create(1, 4, 3, 50, 50, 1, 0);
    nav.CreateFromTwoMap(height, cango);
    EXPECT_EQ(nav.GetTileSize(), 50.0f);
    EXPECT_EQ(nav.GetYScale(), 50.0f);

    tagPOINT t = nav.World2Tile({-25, 0, 149});
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 2);
    EXPECT_FALSE(nav.IfIndex(-1, 0));
    EXPECT_EQ(nav.Tile2World(2, 1), D3DXVECTOR3(100, 40, 50));
    EXPECT_EQ(nav.Tile2World(9, 9), D3DXVECTOR3(450, 0, 450));  // outside: height 0

    // Bilinear inside, corners at the grid's edge, 0 outside.
    EXPECT_FLOAT_EQ(nav.GetHeight(D3DXVECTOR3(75, 0, 75)), (20 + 40 + 60 + 80) / 4.0f);
    EXPECT_FLOAT_EQ(nav.GetHeight(D3DXVECTOR3(50, 0, 50)), 20);
    EXPECT_FLOAT_EQ(nav.GetHeight(D3DXVECTOR3(87.5f, 0, 50)), 20 + 0.75f * 20);
    // Last row: both neighbours toward +z are outside and take the corner's
    // height, so the far one does not blend toward its x neighbour.
    EXPECT_FLOAT_EQ(nav.GetHeight(D3DXVECTOR3(75, 0, 125)), (60 + 80) / 4.0f + 60 / 2.0f);
    EXPECT_FLOAT_EQ(nav.GetHeight(D3DXVECTOR3(175, 0, 125)), 0);  // last column, height 0
    EXPECT_EQ(nav.GetHeight(D3DXVECTOR3(200, 0, 10)), 0);
    EXPECT_EQ(nav.GetHeight(D3DXVECTOR3(-60, 0, 10)), 0);
    EXPECT_EQ(nav.GetHeight(D3DXVECTOR3(NAN, 0, 10)), 0);

    t = nav.World2STile({75, 0, -10});
    EXPECT_EQ(t.x, 384);
    EXPECT_EQ(t.y, -51);
    D3DXVECTOR3 p = nav.STile2World(384, 384);
    EXPECT_FLOAT_EQ(p.x, 75);
    EXPECT_FLOAT_EQ(p.z, 75);
    EXPECT_FLOAT_EQ(p.y, 50);
}

TEST(GNavMap, MousePickFindsTheGroundUnderTheCursor) {
    GNavMap nav;
    nav.Create(20, 20, 100, 1);
    Heightmap height, cango;
    height.Create(300, 20, 20, 100, 100, 1, 0);
    cango.Create(0, 20, 20, 100, 100, 1, 0);
    nav.CreateFromTwoMap(height, cango);
    Lumo::CameraBase cam;
    cam.SetViewport(101, 101);
    cam.SetLookAt({1000, 2000, 1000}, {1000, 0, 1001}, {0, 1, 0});
    D3DXVECTOR3 hit;
    ASSERT_TRUE(nav.MousePick(50, 50, &cam, hit));
    EXPECT_NEAR(hit.x, 1000, 1);
    EXPECT_NEAR(hit.y, 300, 1e-2);
    EXPECT_FALSE(nav.MousePick(50, 50, nullptr, hit));
}

// ------------------------------------------------------------------ files

class GNavMapFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 rng(9);
        Heightmap height, layer[4];
        height.Create(0, 13, 9, 64, 64, 0.125f, Heightmap::HF_16BIT);
        for (Heightmap& l : layer) {
            l.Create(0, 13, 9, 64, 64, 1, 0);
        }
        for (int z = 0; z < 9; ++z) {
            for (int x = 0; x < 13; ++x) {
                height.SafeSetVal(x, z, int(rng() % 65536));
                for (Heightmap& l : layer) {
                    l.SafeSetVal(x, z, int(rng() & 1));
                }
            }
        }
        nav.CreateFromFiveMap(height, layer[0], layer[1], layer[2], layer[3]);
    }

    std::string Path(const char* name) const { return dir / name; }

    static void ExpectSameLayers(const GNavMap& a, const GNavMap& b, const bool flags[4]) {
        ASSERT_EQ(a.Width(), b.Width());
        ASSERT_EQ(a.Height(), b.Height());
        EXPECT_EQ(a.GetTileSize(), b.GetTileSize());
        EXPECT_EQ(a.GetHeightMap()->GetZScale(), b.GetHeightMap()->GetZScale());
        for (int z = 0; z < int(a.Height()); ++z) {
            for (int x = 0; x < int(a.Width()); ++x) {
                ASSERT_EQ(a.GetHeight(x, z), b.GetHeight(x, z));
                const bool fa[4] = {a.IfCanGo(x, z), a.IfDoodad(x, z), a.IfLeap(x, z),
                                    a.IfSuoGu(x, z)};
                const bool fb[4] = {b.IfCanGo(x, z), b.IfDoodad(x, z), b.IfLeap(x, z),
                                    b.IfSuoGu(x, z)};
                for (int l = 0; l < 4; ++l) {
                    if (flags[l]) {
                        ASSERT_EQ(fa[l], fb[l]) << "layer " << l << " at " << x << "," << z;
                    }
                }
            }
        }
    }

    testsupport::TempDir dir;
    GNavMap nav;
};

TEST_F(GNavMapFiles, EveryKindSavesAndLoadsBackTheSameLayers) {
    struct Kind {
        bool (GNavMap::*save)(const char*) const;
        void (GNavMap::*load)(Lumo::IFS*, const char*);
        const char* name;
        const char* id;
        bool flags[4];  // can-go, doodad, leap, SuoGu
    };
    const Kind kinds[] = {
        {&GNavMap::SaveToFile, &GNavMap::LoadFromFile, "a.nav", "NAV", {1, 1, 1, 1}},
        {&GNavMap::SaveHMToFile, &GNavMap::LoadHMFromFile, "a.hm", "HM", {0, 0, 0, 0}},
        {&GNavMap::SaveCMToFile, &GNavMap::LoadCMFromFile, "a.cm", "CM", {1, 0, 0, 0}},
        {&GNavMap::SaveDMToFile, &GNavMap::LoadDMFromFile, "a.dm", "DM", {0, 1, 0, 0}},
        {&GNavMap::SaveLMToFile, &GNavMap::LoadLMFromFile, "a.lm", "LM", {0, 0, 1, 0}},
        {&GNavMap::SaveSGMToFile, &GNavMap::LoadSGMFromFile, "a.sgm", "SGM", {0, 0, 0, 1}},
    };
    Lumo::DiskFS fs(dir.path());
    for (const Kind& k : kinds) {
        ASSERT_TRUE((nav.*k.save)(Path(k.name).c_str())) << k.name;
        const std::string bytes = testsupport::ReadFile(Path(k.name));
        ASSERT_GE(bytes.size(), 5u);
        EXPECT_EQ(bytes.substr(0, 4), std::string(k.id) + std::string(4 - strlen(k.id), '\0'));
        EXPECT_EQ(bytes[4], 1);  // 16-bit heights
        EXPECT_FALSE(platform::Exists(Path(k.name) + GFC::SaveFile::kSuffix));

        GNavMap back;
        back.Create(2, 2, 1, 1);
        (back.*k.load)(&fs, k.name);
        ExpectSameLayers(nav, back, k.flags);
    }
    // A single-layer file reloads the heights too.
    GNavMap flat;
    flat.Create(13, 9, 64, 1);
    flat.LoadCMFromFile(&fs, "a.cm");
    EXPECT_EQ(flat.GetHeight(3, 3), nav.GetHeight(3, 3));
    EXPECT_EQ(fs.OpenCount(), 0u);
}

TEST_F(GNavMapFiles, EightBitHeightsAreMarkedAndRead) {
    Heightmap small, cango;
    small.Create(200, 3, 2, 10, 10, 1, Heightmap::HF_8BIT);
    cango.Create(1, 3, 2, 10, 10, 1, 0);
    nav.CreateFromTwoMap(small, cango);
    ASSERT_TRUE(nav.SaveToFile(Path("b.nav").c_str()));
    EXPECT_EQ(testsupport::ReadFile(Path("b.nav"))[4], 2);
    Lumo::DiskFS fs(dir.path());
    GNavMap back;
    back.LoadFromFile(&fs, "b.nav");
    EXPECT_EQ(back.GetHeightMap()->GetFormat(), Heightmap::HF_8BIT);
    EXPECT_EQ(back.GetHeight(2, 1), 200.0f);
    EXPECT_TRUE(back.IfCanGo(2, 1));
}

TEST_F(GNavMapFiles, MissingFilesThrowTheLoadersMessages) {
    Lumo::MemFS fs;
    const std::pair<void (GNavMap::*)(Lumo::IFS*, const char*), const char*> loaders[] = {
        {&GNavMap::LoadFromFile, "Nav file open failed"},
        {&GNavMap::LoadHMFromFile, "Height file open failed"},
        {&GNavMap::LoadCMFromFile, "Cango file open failed"},
        {&GNavMap::LoadDMFromFile, "Doodad file open failed"},
        {&GNavMap::LoadLMFromFile, "LeapMap file open failed"},
        {&GNavMap::LoadSGMFromFile, "LeapMap file open failed"},
    };
    for (const auto& [load, message] : loaders) {
        try {
            (nav.*load)(&fs, "none.nav");
            ADD_FAILURE() << message;
        } catch (const Lumo::Exception& e) {
            EXPECT_STREQ(e.GetMsg(), message);
            EXPECT_STREQ(e.GetDetail(), "none.nav");
            EXPECT_STREQ(e.GetSrcFile(), ".\\gamesys\\GNavMap");
        }
    }
    EXPECT_EQ(nav.Width(), 13u);
}

TEST_F(GNavMapFiles, DamagedFilesThrowAndLeaveEveryLayerAsItWas) {
    ASSERT_TRUE(nav.SaveToFile(Path("a.nav").c_str()));
    const std::string good = testsupport::ReadFile(Path("a.nav"));
    GNavMap before = nav;
    std::string wrongFormat = good;
    wrongFormat[4] = 3;
    std::string eightBitMark = good;
    eightBitMark[4] = 2;  // says 8-bit, holds 16-bit heights
    std::string hugeLayer = good;
    const size_t firstLayer = 5 + 28 + 13 * 9 * 2;
    hugeLayer[firstLayer + 5] = '\x40';  // can-go width 16384+13: beyond the limit
    std::string longLayer = good;
    longLayer[firstLayer + 9] = '\x10';  // can-go height 4105: more than the file holds
    const std::string cases[] = {good.substr(0, 3),  good.substr(0, good.size() - 1),
                                 good.substr(0, 40), wrongFormat,
                                 eightBitMark,       hugeLayer,
                                 longLayer};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        Lumo::MemFS fs;
        fs.AddFile("x.nav", cases[i]);
        try {
            nav.LoadFromFile(&fs, "x.nav");
            ADD_FAILURE() << "case " << i;
        } catch (const Lumo::Exception& e) {
            EXPECT_STREQ(e.GetMsg(), "Nav file damaged") << i;
        }
        bool all[4] = {1, 1, 1, 1};
        ExpectSameLayers(before, nav, all);
        EXPECT_EQ(fs.OpenCount(), 0u);
    }
}

TEST_F(GNavMapFiles, SaversReportFilesTheyCannotWriteAndKeepTheOldOne) {
    EXPECT_FALSE(nav.SaveToFile(Path("no\\such\\folder\\a.nav").c_str()));
    ASSERT_TRUE(nav.SaveToFile(Path("keep.nav").c_str()));
    const std::string kept = testsupport::ReadFile(Path("keep.nav"));
    // A folder where the temporary file would go: the save fails before the
    // old file is touched.
    ASSERT_TRUE(platform::CreateDirectory(Path("keep.nav") + GFC::SaveFile::kSuffix));
    nav.Create(1, 1, 1, 1);
    EXPECT_FALSE(nav.SaveToFile(Path("keep.nav").c_str()));
    EXPECT_EQ(testsupport::ReadFile(Path("keep.nav")), kept);
}

TEST_F(GNavMapFiles, CopiesAreDeepAndDestroyEmptiesEveryLayer) {
    GNavMap copy(nav);
    GNavMap assigned;
    assigned = nav;
    const bool was = nav.IfCanGo(1, 1);
    Heightmap height, cango;
    height.Create(0, 13, 9, 64, 64, 1, 0);
    cango.Create(was ? 0 : 1, 13, 9, 64, 64, 1, 0);
    nav.CreateFromTwoMap(height, cango);
    EXPECT_EQ(copy.IfCanGo(1, 1), was);
    EXPECT_EQ(assigned.IfCanGo(1, 1), was);
    nav.Destroy();
    EXPECT_EQ(nav.Width(), 0u);
    EXPECT_FALSE(nav.IfCanGo(1, 1));
    EXPECT_FALSE(nav.IfLeap(0, 0));
}

}  // namespace
