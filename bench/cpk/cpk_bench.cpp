// Throughput of the archive storage: the codecs, MD5, adding and reading
// back many entries, and copying a package's entries raw into an archive
// the way the patch unpacker merges them.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/Md5.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "testsupport/temp_dir.h"

namespace {

// Game-data-like input: words with some noise, compressible about 2:1.
const std::vector<uint8_t>& Sample() {
    static const std::vector<uint8_t> data = [] {
        std::vector<uint8_t> d;
        std::mt19937 rng(42);
        const char* words[] = {"mesh ", "bone ", "0.125 ",           "texture\\",
                               "npc_",  "42, ",  "\x01\x00\x00\x00", "\xff\xfe"};
        while (d.size() < (4u << 20)) {
            if (rng() % 4 == 0) {
                d.push_back(static_cast<uint8_t>(rng()));
            } else {
                const char* w = words[rng() % 8];
                d.insert(d.end(), w, w + std::char_traits<char>::length(w) + (w[0] == 1 ? 3 : 0));
            }
        }
        d.resize(4u << 20);
        return d;
    }();
    return data;
}

std::vector<uint8_t> Packed(uint32_t method) {
    const auto& in = Sample();
    return Compress(method, in.data(), static_cast<uint32_t>(in.size())).value();
}

// Each round includes setting aside the output buffer, as every caller does.
void Encode(benchmark::State& state, uint32_t method) {
    const auto& in = Sample();
    size_t produced = 0;
    for (auto _ : state) {
        auto packed = Compress(method, in.data(), static_cast<uint32_t>(in.size()));
        produced = packed ? packed->size() : 0;
        benchmark::DoNotOptimize(packed);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
    state.counters["ratio"] = static_cast<double>(produced) / static_cast<double>(in.size());
}

void Decode(benchmark::State& state, uint32_t method) {
    const auto packed = Packed(method);
    std::vector<uint8_t> out(Sample().size());
    for (auto _ : state) {
        auto produced = Decompress(method, packed.data(), static_cast<uint32_t>(packed.size()),
                                   out.data(), static_cast<uint32_t>(out.size()));
        benchmark::DoNotOptimize(produced);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size()));
}

void BM_LzssEncode(benchmark::State& s) {
    Encode(s, kMethodLzss);
}
void BM_LzssDecode(benchmark::State& s) {
    Decode(s, kMethodLzss);
}
void BM_LzoEncode(benchmark::State& s) {
    Encode(s, kMethodLzo);
}
void BM_LzoDecode(benchmark::State& s) {
    Decode(s, kMethodLzo);
}
BENCHMARK(BM_LzssEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzssDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzoEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzoDecode)->Unit(benchmark::kMillisecond);

void BM_Md5(benchmark::State& state) {
    const auto& in = Sample();
    uint8_t digest[16];
    for (auto _ : state) {
        Md5OfBuffer(in.data(), in.size(), digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_Md5)->Unit(benchmark::kMillisecond);

// N entries of 1 KiB, stored, spread over 100 directories, added as one
// batch (as cpk add and the patch unpacker do) to an archive that already
// holds N entries: the time per entry should not grow with the table.
std::string EntryName(int i) {
    return "dir" + std::to_string(i % 100) + "\\file" + std::to_string(i) + ".dat";
}

void AddEntries(CPKVfs& vfs, int first, int n) {
    const auto& in = Sample();
    vfs.BeginBatch();
    for (int i = first; i < first + n; ++i) {
        AddEntryFromBuffer(vfs, EntryName(i), in.data() + (i * 997) % (1u << 20), 1024,
                           kMethodStored, false);
    }
    vfs.CommitBatch();
}

void BM_AddEntries(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    BlockPool pool;
    testsupport::TempDir dir;
    {
        CPKVfs vfs(pool);
        vfs.Create(dir / "base.cpk");
        AddEntries(vfs, 0, n);
    }
    const std::string base = testsupport::ReadFile(dir / "base.cpk");
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::WriteFile(dir / "bench.cpk", base);
        state.ResumeTiming();
        CPKVfs vfs(pool);
        vfs.Open(dir / "bench.cpk");
        AddEntries(vfs, n, n);
        vfs.Close();
    }
    // Seconds per entry added (shown with an SI prefix: 25u = 25 us).
    state.counters["per_entry"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddEntries)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The same one change at a time, each made durable on its own (four flushes
// of the disk and the table written twice per entry).
void BM_AddEntriesOneByOne(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto& in = Sample();
    BlockPool pool;
    for (auto _ : state) {
        testsupport::TempDir dir;
        CPKVfs vfs(pool);
        vfs.Create(dir / "bench.cpk");
        for (int i = 0; i < n; ++i) {
            AddEntryFromBuffer(vfs, EntryName(i), in.data() + (i * 997) % (1u << 20), 1024,
                               kMethodStored, false);
        }
    }
    state.counters["per_entry"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddEntriesOneByOne)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

// Reading back 10,000 stored entries of 1 to 64 KiB, beside reading the same
// bytes from 10,000 plain files in 100 folders.
constexpr int kReadCount = 10000;
uint32_t ReadSize(int i) {
    return 1024u << (static_cast<uint32_t>(i) % 7);
}

void BM_ReadBackEntries(benchmark::State& state) {
    testsupport::TempDir dir;
    BlockPool pool;
    const auto& in = Sample();
    {
        CPKVfs vfs(pool);
        vfs.Create(dir / "bench.cpk");
        vfs.BeginBatch();
        for (int i = 0; i < kReadCount; ++i) {
            AddEntryFromBuffer(vfs, EntryName(i), in.data() + (i * 997) % (1u << 20), ReadSize(i),
                               kMethodStored, false);
        }
        vfs.CommitBatch();
    }
    CPKVfs vfs(pool);
    vfs.Open(dir / "bench.cpk", CPKOpenMode::kReadOnly);
    uint64_t bytes = 0;
    std::vector<uint8_t> contents;
    for (auto _ : state) {
        for (int i = 0; i < kReadCount; ++i) {
            ReadEntryContents(vfs, vfs.FindEntry(cpkpath::CrcOfPath(EntryName(i))), contents);
            bytes += contents.size();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kReadCount));
}
BENCHMARK(BM_ReadBackEntries)->Unit(benchmark::kMillisecond);

void BM_ReadBackPlainFiles(benchmark::State& state) {
    testsupport::TempDir dir;
    const auto& in = Sample();
    for (int i = 0; i < kReadCount; ++i) {
        const uint8_t* p = in.data() + (i * 997) % (1u << 20);
        testsupport::WriteFile(dir / EntryName(i), std::string(p, p + ReadSize(i)));
    }
    uint64_t bytes = 0;
    std::vector<uint8_t> contents;
    for (auto _ : state) {
        for (int i = 0; i < kReadCount; ++i) {
            auto f =
                platform::File::Open(dir / EntryName(i), platform::Access::kRead,
                                     platform::kShareRead, platform::Disposition::kOpenExisting);
            auto size = f->Size();
            contents.resize(static_cast<size_t>(*size));
            auto got = f->Read(contents.data(), contents.size());
            bytes += *got;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kReadCount));
}
BENCHMARK(BM_ReadBackPlainFiles)->Unit(benchmark::kMillisecond);

// A package of 200 entries (stored and LZO, 4 KiB to 1 MiB) merged raw
// into a fresh archive, as the unpacker does: nothing is decompressed.
void BM_RawCopy(benchmark::State& state) {
    const bool fileToFile = state.range(0) != 0;
    testsupport::TempDir dir;
    BlockPool pool;
    const auto& in = Sample();
    {
        CPKVfs package(pool);
        package.Create(dir / "package.cpk");
        std::mt19937 rng(1);
        for (int i = 0; i < 200; ++i) {
            uint32_t size = 4096u << (rng() % 9);
            AddEntryFromBuffer(package, "p\\e" + std::to_string(i), in.data(), size,
                               i % 2 ? kMethodStored : kMethodLzo, false);
        }
    }
    CPKVfs package(pool);
    package.Open(dir / "package.cpk", CPKOpenMode::kReadOnly);
    uint64_t bytes = 0;
    for (auto _ : state) {
        CPKVfs target(pool);
        platform::DeleteFile(dir / "target.cpk");
        target.Create(dir / "target.cpk");
        target.BeginBatch();
        const uint32_t parent = target.AddDirectory("p", 0);
        for (int i = 0; i < 200; ++i) {
            const int from = package.FindEntry(cpkpath::CrcOfPath("p\\e" + std::to_string(i)));
            const CPKEntry e = package.EntryAt(from);
            const int index = target.AddFile("e" + std::to_string(i), parent, e);
            if (fileToFile) {
                target.CopyEntryData(index, package, from);
            } else {
                CPKFile* f = package.OpenEntry(from, 0, 1);
                target.WriteEntryData(index, 0, f->data, f->mappedSize);
                package.CloseEntry(f);
            }
            bytes += e.storedSize + e.trailerSize;
            target.CommitEntry(index);
        }
        target.CommitBatch();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
// 0: written from the package's mapped views; 1: copied file to file.
BENCHMARK(BM_RawCopy)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    platform::SetMessageBoxHandler(
        [](void*, const char*, const char*, uint32_t) { return platform::kIdCancel; });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
