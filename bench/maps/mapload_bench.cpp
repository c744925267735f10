// Loading a map file of 100,000 objects (40,000 static objects, 30,000
// NPCs, 20,000 dynamic objects, 10,000 way points, triggers and sounds)
// from disk, next to the floor of that work: reading the same bytes into
// memory in one go. A third run loads from memory to show the cost of the
// containers alone.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "MapFileWriter_test.h"
#include "gamesys/GameMap.h"
#include "lumo/DiskFS.h"
#include "lumo/MemFS.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace {

using namespace GFC;

constexpr int kStatic = 40000, kNpc = 30000, kDynamic = 20000, kWayPoint = 4000, kTrigger = 3000,
              kSound = 3000;
static_assert(kStatic + kNpc + kDynamic + kWayPoint + kTrigger + kSound == 100000, "");

struct Data {
    std::string dir;
    std::string bytes;

    Data() {
        std::mt19937 rng(5);
        mapfile::Map m;
        auto add = [&](auto tag, mapfile::Section s, int n) {
            using Rec = decltype(tag);
            for (int i = 0; i < n; ++i) {
                Rec r = mapfile::RandomRecord<Rec>(rng);
                if constexpr (!std::is_same_v<Rec, tagMapWayPoint>) {
                    r.id = uint32_t(i);
                }
                m.Add(s, r);
            }
        };
        add(tagStaticMapObj{}, mapfile::STATIC, kStatic);
        add(tagMapNPC{}, mapfile::NPC, kNpc);
        add(tagDynamicMapObj{}, mapfile::DYNAMIC, kDynamic);
        add(tagMapWayPoint{}, mapfile::WAYPOINT, kWayPoint);
        add(tagMapTrigger{}, mapfile::TRIGGER, kTrigger);
        add(tagMapSound{}, mapfile::SOUND, kSound);
        bytes = mapfile::Write(m);
        dir = platform::TempDirectory() + "\\tesmar-map-bench-" +
              std::to_string(platform::CurrentProcessId());
        (void)platform::CreateDirectory(dir);
        auto f = platform::File::Open(dir + "\\big.gmb", platform::Access::kWrite,
                                      platform::kShareNone, platform::Disposition::kCreateAlways);
        if (f) {
            (void)f->Write(bytes.data(), bytes.size());
        }
    }
    ~Data() {
        (void)platform::DeleteFile(dir + "\\big.gmb");
        (void)platform::DeleteDirectory(dir);
    }
};

Data& TheData() {
    static Data data;
    return data;
}

void BM_GameMap_LoadFromDisk(benchmark::State& state) {
    Data& data = TheData();
    Lumo::DiskFS fs(data.dir);
    for (auto _ : state) {
        GameMap map;
        map.LoadFromFile(&fs, "big.gmb");
        if (map.GetStaticMapObjs().size() != size_t(kStatic) ||
            map.GetNpc().size() != size_t(kNpc)) {
            state.SkipWithError("the map did not load");
        }
        benchmark::DoNotOptimize(map);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.bytes.size()));
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}

void BM_GameMap_LoadFromMemory(benchmark::State& state) {
    Data& data = TheData();
    Lumo::MemFS fs;
    fs.AddFile("big.gmb", data.bytes);
    for (auto _ : state) {
        GameMap map;
        map.LoadFromFile(&fs, "big.gmb");
        benchmark::DoNotOptimize(map);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}

void BM_ReadMapFileRaw(benchmark::State& state) {
    Data& data = TheData();
    std::vector<char> buffer;
    for (auto _ : state) {
        auto f = platform::File::Open(data.dir + "\\big.gmb", platform::Access::kRead,
                                      platform::kShareRead, platform::Disposition::kOpenExisting);
        auto size = f->Size();
        buffer.resize(*size);
        (void)f->Read(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.bytes.size()));
}

BENCHMARK(BM_GameMap_LoadFromDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameMap_LoadFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMapFileRaw)->Unit(benchmark::kMillisecond);

}  // namespace
