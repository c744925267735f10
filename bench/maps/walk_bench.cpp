// Straight-walk tests on a 1024 x 1024 navigation map with long walks
// (512 tiles and more), in tiles, in sub-tiles between tile centres, and,
// as the floor of the work, the same integer line walk over a plain byte
// grid with no layers, modes or bounds handling beyond the grid's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "gamesys/GNavMap.h"

namespace {

using namespace GFC;

constexpr int kSide = 1024;
constexpr int kWalks = 4096;
constexpr int kMinLength = 512;

struct Walk {
    int x0, z0, x1, z1;
};

struct World {
    GNavMap nav;
    std::vector<uint8_t> plain;  // 1 = can go
    std::vector<Walk> walks;
    int64_t tileSteps = 0;  // sum of the walks' long extents, in tiles

    World() {
        std::mt19937 rng(1);
        Lumo::Heightmap height, cango;
        height.Create(0, kSide, kSide, 100, 100, 1, 0);
        cango.Create(1, kSide, kSide, 100, 100, 1, 0);
        plain.assign(size_t(kSide) * kSide, 1);
        // Sparse rocks (one tile in 20,000), so most walks run their full
        // length and some stop on the way.
        for (int i = 0; i < kSide * kSide / 20000; ++i) {
            const int x = int(rng() % kSide), z = int(rng() % kSide);
            cango.SafeSetVal(x, z, 0);
            plain[size_t(z) * kSide + x] = 0;
        }
        nav.CreateFromTwoMap(height, cango);
        std::uniform_int_distribution<int> pos(0, kSide - 1);
        while (walks.size() < size_t(kWalks)) {
            Walk w{pos(rng), pos(rng), pos(rng), pos(rng)};
            const int longer = std::max(std::abs(w.x1 - w.x0), std::abs(w.z1 - w.z0));
            if (longer >= kMinLength) {
                walks.push_back(w);
                tileSteps += longer;
            }
        }
    }
};

World& TheWorld() {
    static World world;
    return world;
}

void Report(benchmark::State& state, int64_t steps) {
    state.SetItemsProcessed(int64_t(state.iterations()) * kWalks);
    state.counters["steps/s"] =
        benchmark::Counter(double(steps) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Walk_Tiles(benchmark::State& state) {
    World& w = TheWorld();
    int free = 0;
    for (auto _ : state) {
        tagPOINT stop;
        for (const Walk& k : w.walks) {
            free += w.nav.IfCanDirectGoTile(k.x0, k.z0, k.x1, k.z1, stop, 0);
        }
    }
    benchmark::DoNotOptimize(free);
    Report(state, w.tileSteps);
}

// The same walks in sub-tiles are 256 times as long: a sixteenth of them.
void BM_Walk_SubTilesBetweenCentres(benchmark::State& state) {
    World& w = TheWorld();
    const size_t n = w.walks.size() / 16;
    int64_t tileSteps = 0;
    for (size_t i = 0; i < n; ++i) {
        const Walk& k = w.walks[i];
        tileSteps += std::max(std::abs(k.x1 - k.x0), std::abs(k.z1 - k.z0));
    }
    int free = 0;
    for (auto _ : state) {
        tagPOINT stop;
        for (size_t i = 0; i < n; ++i) {
            const Walk& k = w.walks[i];
            free += w.nav.IfCanDirectGo(k.x0, k.z0, k.x1, k.z1, stop, 0);
        }
    }
    benchmark::DoNotOptimize(free);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
    state.counters["steps/s"] =
        benchmark::Counter(double(tileSteps * kSubTilesPerTile) * double(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_Walk_PlainGridFloor(benchmark::State& state) {
    World& w = TheWorld();
    int free = 0;
    for (auto _ : state) {
        for (const Walk& k : w.walks) {
            const int dx = std::abs(k.x1 - k.x0), dz = std::abs(k.z1 - k.z0);
            const int sx = k.x1 >= k.x0 ? 1 : -1, sz = k.z1 >= k.z0 ? 1 : -1;
            const bool steep = dz > dx;
            const int L = steep ? dz : dx, inc = 2 * (steep ? dx : dz);
            int err = inc - L, x = k.x0, z = k.z0;
            bool ok = true;
            for (int i = 0; i < L && ok; ++i) {
                if (err >= 0) {
                    (steep ? x : z) += steep ? sx : sz;
                    err -= 2 * L;
                }
                (steep ? z : x) += steep ? sz : sx;
                err += inc;
                ok = w.plain[size_t(z) * kSide + x] != 0;
            }
            free += ok;
        }
    }
    benchmark::DoNotOptimize(free);
    Report(state, w.tileSteps);
}

BENCHMARK(BM_Walk_Tiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk_SubTilesBetweenCentres)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk_PlainGridFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
