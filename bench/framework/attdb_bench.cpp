// Loading an attribute database of 100,000 records from disk, next to the
// floor of that work: reading the same bytes into memory in one go per file.
// A third run loads from memory to show the cost of the tables alone.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "AttListWriter_test.h"
#include "gamesys/GAttDataBase.h"
#include "lumo/DiskFS.h"
#include "lumo/MemFS.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace {

using namespace GFC;

// Records per list, 100,000 in all; every tenth base attribute is a pet.
constexpr int kNpc = 30000, kBase = 30000, kBuff = 15000, kTrigger = 10000, kShop = 5000,
              kCompose = 6000, kGuild = 4000;
static_assert(kNpc + kBase + kBuff + kTrigger + kShop + kCompose + kGuild == 100000, "");

template <typename Rec>
std::string Many(int n, uint32_t firstId) {
    std::vector<Rec> records;
    records.reserve(n);
    for (int i = 0; i < n; ++i) {
        records.push_back(attlist::Record<Rec>(firstId + i, true));
    }
    return attlist::ListFile(records);
}

struct Data {
    std::string dir;
    std::vector<std::string> files;  // contents, in loading order
    uint64_t bytes = 0;

    Data() {
        std::vector<tagBaseAtt> bases;
        for (int i = 0; i < kBase; ++i) {
            bases.push_back(attlist::Base(i, "base" + std::to_string(i),
                                          i % 10 == 0 ? kBaseKindPet : 1, 50000 + i));
        }
        std::vector<tagBuffTrigger> triggers;
        for (int i = 0; i < kTrigger; ++i) {
            triggers.push_back(attlist::Trigger(50000 + i, 70000 + i));
        }
        files = {Many<tagNPCAtt>(kNpc, 0x10000000), attlist::ListFile(bases),
                 Many<tagBuff>(kBuff, 1),           attlist::ListFile(triggers),
                 Many<tagShopData>(kShop, 1),       Many<tagCompose>(kCompose, 1),
                 Many<tagGuildRoomAtt>(kGuild, 1)};
        dir = platform::TempDirectory() + "\\tesmar-attdb-bench-" +
              std::to_string(platform::CurrentProcessId());
        (void)platform::CreateDirectory(dir);
        (void)platform::CreateDirectory(dir + "\\System");
        for (size_t i = 0; i < files.size(); ++i) {
            auto f = platform::File::Open(dir + "\\" + GAttDataBase::kListFiles[i],
                                          platform::Access::kWrite, platform::kShareNone,
                                          platform::Disposition::kCreateAlways);
            if (f) {
                (void)f->Write(files[i].data(), files[i].size());
            }
            bytes += files[i].size();
        }
    }
    ~Data() {
        for (const char* path : GAttDataBase::kListFiles) {
            (void)platform::DeleteFile(dir + "\\" + path);
        }
        (void)platform::DeleteDirectory(dir + "\\System");
        (void)platform::DeleteDirectory(dir);
    }
};

Data& TheData() {
    static Data data;
    return data;
}

void BM_AttDB_LoadFromDisk(benchmark::State& state) {
    Data& data = TheData();
    Lumo::DiskFS fs(data.dir);
    for (auto _ : state) {
        GAttDataBase db;
        db.LoadFromFile(&fs);
        if (db.GetNpcNum() != size_t(kNpc) || db.GetPetBuffNum() != unsigned(kTrigger / 10)) {
            state.SkipWithError("the database did not load");
        }
        benchmark::DoNotOptimize(db);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.bytes));
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}

void BM_AttDB_LoadFromMemory(benchmark::State& state) {
    Data& data = TheData();
    Lumo::MemFS fs;
    for (size_t i = 0; i < data.files.size(); ++i) {
        fs.AddFile(GAttDataBase::kListFiles[i], data.files[i]);
    }
    for (auto _ : state) {
        GAttDataBase db;
        db.LoadFromFile(&fs);
        benchmark::DoNotOptimize(db);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}

void BM_ReadListFilesRaw(benchmark::State& state) {
    Data& data = TheData();
    std::vector<char> buffer;
    for (auto _ : state) {
        for (const char* path : GAttDataBase::kListFiles) {
            auto f =
                platform::File::Open(data.dir + "\\" + path, platform::Access::kRead,
                                     platform::kShareRead, platform::Disposition::kOpenExisting);
            auto size = f->Size();
            buffer.resize(*size);
            (void)f->Read(buffer.data(), buffer.size());
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.bytes));
}

BENCHMARK(BM_AttDB_LoadFromDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AttDB_LoadFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadListFilesRaw)->Unit(benchmark::kMillisecond);

}  // namespace
