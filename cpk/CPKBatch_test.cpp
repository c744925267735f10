// Batches of archive changes and what a crash, a kill or a full disk leaves
// of them: the file is looked at after every single write, flush and cut
// the file layer makes, as a crash at that moment would leave it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/archive_tree.h"
#include "testsupport/faulty_disk.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

using Tree = testsupport::ArchiveTree;

Tree Read(CPKVfs& vfs) {
    return testsupport::ReadTree(vfs);
}

Tree ReadArchive(const std::string& path, BlockPool& pool) {
    return testsupport::ReadArchiveTree(path, pool);
}

std::string Text(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    std::string s(size, ' ');
    for (char& c : s) {
        c = static_cast<char>('a' + rng() % 6);
    }
    return s;
}

int Add(CPKVfs& vfs, const std::string& inner, const std::string& contents, uint16_t method) {
    return AddEntryFromBuffer(vfs, inner, contents.data(), static_cast<uint32_t>(contents.size()),
                              method, false);
}

class CPKBatchTest : public ::testing::Test {
protected:
    TempDir dir;
    BlockPool pool;
    platform::ScriptedMessageBoxes boxes;
    testsupport::FaultyDisk disk;
    std::string path = dir / "game.cpk";

    // An archive with directories, files of every method and two free
    // blocks (a replaced and a removed file).
    std::string MakeBase() {
        CPKVfs vfs(pool);
        EXPECT_EQ(vfs.Create(path), 1);
        EXPECT_EQ(vfs.BeginBatch(), 1);
        for (int i = 0; i < 24; ++i) {
            const uint16_t method = i % 3 == 0   ? kMethodStored
                                    : i % 3 == 1 ? kMethodLzo
                                                 : kMethodLzss;
            EXPECT_EQ(
                Add(vfs, "data\\tex\\t" + std::to_string(i) + ".dds",
                    Text(static_cast<uint32_t>(i), 500 + 97 * static_cast<size_t>(i)), method),
                1);
        }
        EXPECT_EQ(Add(vfs, "System\\old.lst", Text(100, 3000), kMethodStored), 1);
        EXPECT_EQ(Add(vfs, "System\\gone.lst", Text(101, 2000), kMethodStored), 1);
        EXPECT_EQ(vfs.CommitBatch(), 1);
        EXPECT_EQ(Add(vfs, "System\\old.lst", Text(102, 2500), kMethodStored), 1);
        EXPECT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("system\\gone.lst")), 1);
        EXPECT_EQ(vfs.Close(), 1);
        EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
        return ReadFile(path);
    }

    // Runs change on the archive made from base, keeping the file as it was
    // after each write; then checks every kept moment: it passes the checker,
    // opens, and each entry holds its contents from before or from after the
    // change (all of them together when the change is one batch). It must
    // also take a further change.
    void ExpectEveryMomentSound(const std::string& base, bool atomic,
                                const std::function<void(CPKVfs&)>& change) {
        WriteFile(path, base);
        const Tree before = ReadArchive(path, pool);
        std::vector<std::string> moments;
        {
            disk.SetObserver([&] { moments.push_back(ReadFile(path)); });
            CPKVfs vfs(pool, disk);
            ASSERT_EQ(vfs.Open(path), 1);
            change(vfs);
            disk.SetObserver({});
        }
        const Tree after = ReadArchive(path, pool);
        ASSERT_NE(before, after) << "the change changed nothing";
        ASSERT_GT(moments.size(), 2u);
        size_t sawBefore = 0;
        size_t sawAfter = 0;
        const std::string moment = dir / "moment.cpk";
        for (size_t k = 0; k < moments.size(); ++k) {
            WriteFile(moment, moments[k]);
            ASSERT_EQ(CheckArchive(moment), std::vector<std::string>{}) << "moment " << k;
            const Tree seen = ReadArchive(moment, pool);
            sawBefore += seen == before;
            sawAfter += seen == after;
            if (atomic) {
                EXPECT_TRUE(seen == before || seen == after) << "moment " << k;
            }
            std::map<std::string, std::string> paths;
            for (const Tree* t : {&before, &after, &seen}) {
                for (const auto& entry : *t) {
                    paths[entry.first];
                }
            }
            for (const auto& p : paths) {
                auto was = before.find(p.first);
                auto is = after.find(p.first);
                auto now = seen.find(p.first);
                const bool asBefore = (now == seen.end()) == (was == before.end()) &&
                                      (now == seen.end() || now->second == was->second);
                const bool asAfter = (now == seen.end()) == (is == after.end()) &&
                                     (now == seen.end() || now->second == is->second);
                EXPECT_TRUE(asBefore || asAfter) << p.first << " at moment " << k;
            }
            // A further change on a sample of the moments (each costs four
            // flushes of the disk).
            if (k % 4 != 0 && k + 1 != moments.size()) {
                continue;
            }
            CPKVfs further(pool);
            ASSERT_EQ(further.Open(moment), 1) << "moment " << k;
            ASSERT_EQ(Add(further, "later\\x.txt", "later", kMethodStored), 1) << "moment " << k;
            ASSERT_EQ(further.Close(), 1);
            ASSERT_EQ(CheckArchive(moment), std::vector<std::string>{}) << "moment " << k;
        }
        EXPECT_GT(sawBefore, 0u);
        EXPECT_GT(sawAfter, 0u);
        EXPECT_EQ(boxes.count(), 0u);
    }
};

TEST_F(CPKBatchTest, EveryMomentOfASingleChangeLeavesEachEntryOldOrNew) {
    const std::string base = MakeBase();
    ExpectEveryMomentSound(base, false, [&](CPKVfs& vfs) {
        EXPECT_EQ(Add(vfs, "data\\tex\\t3.dds", Text(200, 4000), kMethodLzo), 1);  // replaced
    });
    ExpectEveryMomentSound(base, false, [&](CPKVfs& vfs) {
        EXPECT_EQ(Add(vfs, "Data\\New\\Deep\\n.bin", Text(201, 300), kMethodLzss), 1);
    });
    ExpectEveryMomentSound(base, true, [&](CPKVfs& vfs) {
        EXPECT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("data\\tex")), 1);  // nothing appended
    });
}

TEST_F(CPKBatchTest, EveryMomentOfABatchLeavesAllOldOrAllNew) {
    const std::string base = MakeBase();
    ExpectEveryMomentSound(base, true, [&](CPKVfs& vfs) {
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (int i = 0; i < 12; ++i) {
            // Every third one replaces an entry, the rest are new.
            std::string inner = i % 3 == 0 ? "data\\tex\\t" + std::to_string(i % 24) + ".dds"
                                           : "patch\\p" + std::to_string(i) + ".bin";
            ASSERT_EQ(Add(vfs, inner, Text(300 + static_cast<uint32_t>(i), 700), kMethodStored), 1);
        }
        ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("system")), 1);
        ASSERT_EQ(vfs.AddPath("empty\\dirs", 0), cpkpath::CrcOfPath("empty\\dirs"));
        ASSERT_EQ(vfs.CommitBatch(), 1);
    });
}

TEST_F(CPKBatchTest, EveryMomentOfABatchThatGrowsTheTableLeavesAllOldOrAllNew) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (int i = 0; i < 4996; ++i) {
            ASSERT_NE(vfs.AddDirectory("d" + std::to_string(i), 0), kCpkNoCrc);
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
        EXPECT_EQ(vfs.Header().capacity, 5000u);
    }
    const std::string base = ReadFile(path);
    ExpectEveryMomentSound(base, true, [&](CPKVfs& vfs) {
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(Add(vfs, "d7\\f" + std::to_string(i), Text(static_cast<uint32_t>(i), 100),
                          kMethodStored),
                      1);
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
        EXPECT_EQ(vfs.Header().capacity, 10000u);
    });
}

TEST_F(CPKBatchTest, ABatchIsInvisibleOnDiskUntilItsCommit) {
    const std::string base = MakeBase();
    const Tree before = ReadArchive(path, pool);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    ASSERT_EQ(vfs.BeginBatch(), 1);
    EXPECT_EQ(vfs.BeginBatch(), 0);  // one at a time
    ASSERT_EQ(Add(vfs, "data\\tex\\t1.dds", "replaced", kMethodStored), 1);
    ASSERT_EQ(Add(vfs, "fresh\\a.txt", "fresh", kMethodLzo), 1);
    ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("data\\tex\\t2.dds")), 1);
    // The batch sees its own changes; the file does not have them yet.
    Tree inBatch = Read(vfs);
    EXPECT_EQ(inBatch["data\\tex\\t1.dds"], "replaced");
    EXPECT_EQ(inBatch["fresh\\a.txt"], "fresh");
    EXPECT_EQ(inBatch.count("data\\tex\\t2.dds"), 0u);
    EXPECT_EQ(ReadArchive(path, pool), before);
    EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
    ASSERT_EQ(vfs.CommitBatch(), 1);
    EXPECT_EQ(ReadArchive(path, pool), inBatch);
    EXPECT_EQ(vfs.CommitBatch(), 0);  // no batch any more
    const uint32_t end = vfs.Header().endOffset;
    ASSERT_EQ(vfs.Close(), 1);
    EXPECT_EQ(ReadFile(path).size(), end);  // nothing left behind the table
    EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
}

TEST_F(CPKBatchTest, AnAbandonedBatchLeavesTheFileAsItWas) {
    // Without free blocks to fill, not a byte may differ.
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(Add(vfs, "a\\b.txt", Text(1, 5000), kMethodStored), 1);
        ASSERT_EQ(Add(vfs, "a\\c.txt", Text(2, 5000), kMethodLzss), 1);
    }
    const std::string base = ReadFile(path);
    for (int how = 0; how < 3; ++how) {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Open(path), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (int i = 0; i < 50; ++i) {
            ASSERT_EQ(Add(vfs, "n\\" + std::to_string(i), Text(static_cast<uint32_t>(i), 9000),
                          kMethodStored),
                      1);
        }
        ASSERT_EQ(Add(vfs, "a\\b.txt", "new", kMethodStored), 1);
        ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("a\\c.txt")), 1);
        EXPECT_GT(platform::FileSize(path).value(), base.size());  // parked further out
        if (how == 0) {
            vfs.AbortBatch();
            EXPECT_FALSE(vfs.InBatch());
            EXPECT_EQ(Read(vfs), ReadArchive(path, pool));
        } else if (how == 1) {
            ASSERT_EQ(vfs.Close(), 1);  // closing drops the batch
        }
        // how == 2: the object goes away with the batch running.
    }
    EXPECT_EQ(ReadFile(path), base);
}

TEST_F(CPKBatchTest, ABatchOrdersItsRecordsAsSingleChangesWould) {
    // The same changes, one by one and as one batch: the tables agree record
    // for record but for where the bytes lie.
    auto run = [&](const std::string& file, bool batch) {
        CPKVfs vfs(pool);
        EXPECT_EQ(vfs.Create(file), 1);
        EXPECT_EQ(Add(vfs, "x\\same", "1", kMethodStored), 1);
        if (batch) {
            EXPECT_EQ(vfs.BeginBatch(), 1);
        }
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 20; ++i) {
                EXPECT_EQ(Add(vfs, "x\\f" + std::to_string(i * 7 % 20), std::to_string(round),
                              kMethodStored),
                          1);
            }
            EXPECT_EQ(Add(vfs, "x\\same", std::to_string(round), kMethodStored), 1);
            EXPECT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("x\\f" + std::to_string(round))), 1);
        }
        if (batch) {
            EXPECT_EQ(vfs.CommitBatch(), 1);
        }
        std::vector<std::pair<uint32_t, uint16_t>> records;
        for (uint32_t i = 0; i < vfs.Header().usedCount; ++i) {
            records.push_back(
                {vfs.EntryAt(static_cast<int>(i)).crc, vfs.EntryAt(static_cast<int>(i)).flags});
        }
        EXPECT_EQ(vfs.Header().freeCount, vfs.FreeList().size());
        EXPECT_EQ(Read(vfs), ReadArchive(file, pool));
        return std::make_pair(records, Read(vfs));
    };
    auto single = run(dir / "single.cpk", false);
    auto batch = run(dir / "batch.cpk", true);
    EXPECT_EQ(single.first, batch.first);
    EXPECT_EQ(single.second, batch.second);
    EXPECT_EQ(CheckArchive(dir / "batch.cpk"), std::vector<std::string>{});
}

TEST_F(CPKBatchTest, AFullDiskFailsTheChangeAndKeepsTheArchive) {
    const std::string base = MakeBase();
    const Tree before = ReadArchive(path, pool);
    auto change = [&](CPKVfs& vfs) {
        if (!vfs.BeginBatch()) {
            return false;
        }
        for (int i = 0; i < 12; ++i) {
            if (!Add(vfs, "big\\b" + std::to_string(i), Text(static_cast<uint32_t>(i), 20000),
                     kMethodStored) ||
                !Add(vfs, "data\\tex\\t" + std::to_string(i) + ".dds", "small", kMethodStored)) {
                vfs.AbortBatch();
                return false;
            }
        }
        return vfs.CommitBatch() == 1;
    };
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Open(path), 1);
        ASSERT_TRUE(change(vfs));
    }
    const Tree after = ReadArchive(path, pool);
    // The growth of the file, and what parking the table further out takes
    // on the way (the slack of a batch is given up when the disk is short).
    const uint64_t needed = platform::FileSize(path).value() - base.size() + 3 * 140000;
    int failed = 0;
    for (uint64_t space = 0; space < needed; space += space < 1000 ? 97 : 12007) {
        WriteFile(path, base);
        CPKVfs vfs(pool, disk);
        ASSERT_EQ(vfs.Open(path), 1);
        disk.SetSpace(static_cast<int64_t>(space));
        const bool ok = change(vfs);
        const uint32_t error = DiscIOMgr::LastError();
        disk.SetSpace(testsupport::FaultyDisk::kUnlimited);
        ASSERT_EQ(CheckArchive(path), std::vector<std::string>{}) << space;
        EXPECT_EQ(ReadArchive(path, pool), ok ? after : before) << space;
        if (!ok) {
            ++failed;
            EXPECT_TRUE(platform::IsDiskFull(platform::Error{error})) << space << ": " << error;
            // The archive object goes on working once there is room.
            ASSERT_EQ(Add(vfs, "room\\again", "yes", kMethodStored), 1) << space;
            EXPECT_EQ(Read(vfs).at("room\\again"), "yes");
        }
    }
    EXPECT_GT(failed, 10);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(CPKBatchTest, AFailedSingleChangeIsReportedAndUndone) {
    const std::string base = MakeBase();
    const Tree before = ReadArchive(path, pool);
    // Each write of a change in turn is the one that fails.
    for (int skip = 0;; ++skip) {
        WriteFile(path, base);
        CPKVfs vfs(pool, disk);
        ASSERT_EQ(vfs.Open(path), 1);
        int writes = 0;
        bool failing = false;
        disk.SetObserver([&] {
            if (++writes == skip) {
                disk.FailNextWrites(1);
                failing = true;
            }
        });
        const int added = Add(vfs, "data\\tex\\t5.dds", "replacement", kMethodStored);
        const int removed = vfs.RemoveByCRC(cpkpath::CrcOfPath("data\\tex\\t6.dds"));
        disk.SetObserver({});
        disk.FailNextWrites(0);
        Tree now = Read(vfs);
        ASSERT_EQ(ReadArchive(path, pool), now) << skip;
        ASSERT_EQ(CheckArchive(path), std::vector<std::string>{}) << skip;
        EXPECT_EQ(now.count("data\\tex\\t6.dds") == 0, removed == 1) << skip;
        EXPECT_EQ(now.at("data\\tex\\t5.dds"),
                  added ? "replacement" : before.at("data\\tex\\t5.dds"))
            << skip;
        if (!failing) {
            EXPECT_TRUE(added && removed);
            break;
        }
    }
}

TEST_F(CPKBatchTest, AnArchiveThatOthersReadOpensForReadingOnly) {
    MakeBase();
    const std::string bytes = ReadFile(path);
    ASSERT_TRUE(platform::SetReadOnly(path, true));
    {
        // As the game client holds it: reading, and letting others read only.
        auto game = platform::File::Open(path, platform::Access::kRead, platform::kShareRead,
                                         platform::Disposition::kOpenExisting);
        ASSERT_TRUE(game);
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Open(path, CPKOpenMode::kReadOnly), 1);
        EXPECT_TRUE(vfs.IsReadOnly());
        Tree tree = Read(vfs);
        EXPECT_EQ(tree.size(), 28u);
        EXPECT_EQ(tree.at("system\\old.lst"), Text(102, 2500));
        EXPECT_EQ(vfs.AddDirectory("x", 0), kCpkNoCrc);
        EXPECT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("system")), 0);
        EXPECT_EQ(vfs.BeginBatch(), 0);
        ASSERT_EQ(boxes.count(), 3u);
        EXPECT_EQ(boxes.asked()[0].text,
                  "The CPK " + platform::NativePath(path) + " is open for reading only");
        EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
    }
    ASSERT_TRUE(platform::SetReadOnly(path, false));
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(CPKBatchTest, TheLastWindowOfAnEntryEndsWithTheEntry) {
    // A windowed entry whose last window holds a little less than 8 MiB while
    // that window's view, with its alignment slack, spans more: the view must
    // stop where the entry does, so that a raw copy can write what it maps.
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(Add(vfs, "pad", "123", kMethodStored), 1);
    const uint32_t offset = vfs.Header().tableOffset;
    const uint32_t slack = offset % platform::AllocationGranularity();
    ASSERT_GT(slack, 1u);
    const uint32_t total = 2 * kCpkWindowSize - slack / 2;  // contents and trailer
    const std::string big = Text(7, total - (1 + kCpkTrailerFixed));
    ASSERT_EQ(AddEntryFromBuffer(vfs, "w", big.data(), static_cast<uint32_t>(big.size()),
                                 kMethodStored, true),
              1);
    const int w = vfs.FindEntry(cpkpath::CrcOfPath("w"));
    ASSERT_EQ(vfs.EntryAt(w).offset, offset);
    CPKFile* last = vfs.OpenEntry(w, kCpkWindowSize, 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->viewOffset, slack);
    EXPECT_EQ(last->mappedSize, total - kCpkWindowSize);
    vfs.CloseEntry(last);

    CPKVfs target(pool);
    ASSERT_EQ(target.Create(dir / "target.cpk"), 1);
    const int index = target.AddFile("w", 0, vfs.EntryAt(w));
    ASSERT_GE(index, 0);
    for (uint32_t at = 0; at < total;) {
        CPKFile* f = vfs.OpenEntry(w, at, 1);
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(target.WriteEntryData(index, at, f->data, f->mappedSize), 1) << at;
        at += f->mappedSize;
        vfs.CloseEntry(f);
    }
    ASSERT_EQ(target.CommitEntry(index), 1);
    std::vector<uint8_t> copied;
    ASSERT_EQ(ReadEntryContents(target, target.FindEntry(cpkpath::CrcOfPath("w")), copied), 1);
    EXPECT_TRUE(std::equal(copied.begin(), copied.end(), big.begin(), big.end()));
}

TEST_F(CPKBatchTest, FreeBlocksThatOverlapEntriesAreNeverReused) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(Add(vfs, "a", Text(1, 1000), kMethodStored), 1);
        ASSERT_EQ(Add(vfs, "b", Text(2, 1000), kMethodStored), 1);
        ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("a")), 1);
    }
    // The free block of "a" is made to reach into "b".
    std::string bytes = ReadFile(path);
    CPKHeader h{};
    std::memcpy(&h, bytes.data(), sizeof h);
    for (uint32_t i = 0; i < h.usedCount; ++i) {
        CPKEntry e{};
        std::memcpy(&e, &bytes[h.tableOffset + i * kCpkEntrySize], sizeof e);
        if (e.flags & kEntryDeleted) {
            e.storedSize += 500;
            std::memcpy(&bytes[h.tableOffset + i * kCpkEntrySize], &e, sizeof e);
        }
    }
    WriteFile(path, bytes);
    ASSERT_FALSE(CheckArchive(path).empty());
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    ASSERT_EQ(Add(vfs, "c", Text(3, 1200), kMethodStored), 1);
    EXPECT_EQ(Read(vfs).at("b"), Text(2, 1000));
    EXPECT_EQ(Read(vfs).at("c"), Text(3, 1200));
}

// Small entries written in a batch are held back and written together: what
// is held back must read as written, and a write of it that fails must not
// let the batch commit without it.
TEST_F(CPKBatchTest, AmongThousandsOfBlocksOnlyTheOneThatOverlapsIsKeptFromReuse) {
    // Entries of many sizes, so that their offsets differ in every bit; one
    // in ten (all of one size) removed, and one of those blocks made to
    // reach into the entry after it.
    auto size = [](uint32_t i) { return i % 10 == 5 ? size_t{1000} : 50 + (i * 37) % 3000; };
    std::map<std::string, std::string> kept;
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (uint32_t i = 0; i < 3000; ++i) {
            const std::string name = "e" + std::to_string(1000 + i);
            kept[name] = Text(i, size(i));
            ASSERT_EQ(Add(vfs, name, kept[name], kMethodStored), 1);
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (uint32_t i = 5; i < 3000; i += 10) {
            const std::string name = "e" + std::to_string(1000 + i);
            ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath(name)), 1);
            kept.erase(name);
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
    }
    std::string bytes = ReadFile(path);
    CPKHeader h{};
    std::memcpy(&h, bytes.data(), sizeof h);
    const uint32_t damaged = cpkpath::CrcOfPath("e2505");
    for (uint32_t i = 0; i < h.usedCount; ++i) {
        CPKEntry e{};
        std::memcpy(&e, &bytes[h.tableOffset + i * kCpkEntrySize], sizeof e);
        if (e.crc == damaged && (e.flags & kEntryDeleted)) {
            e.storedSize += 40;
            std::memcpy(&bytes[h.tableOffset + i * kCpkEntrySize], &e, sizeof e);
        }
    }
    WriteFile(path, bytes);
    // New entries the size of the removed ones take their blocks, all but
    // the damaged one, which is appended to: the file grows by about one.
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    ASSERT_EQ(vfs.BeginBatch(), 1);
    for (uint32_t i = 5; i < 3000; i += 10) {
        const std::string name = "n" + std::to_string(1000 + i);
        kept[name] = Text(10000 + i, size(i));
        ASSERT_EQ(Add(vfs, name, kept[name], kMethodStored), 1);
    }
    ASSERT_EQ(vfs.CommitBatch(), 1);
    vfs.Close();
    EXPECT_LE(ReadFile(path).size(), bytes.size() + 2 * size(1505) + 100);
    const Tree now = ReadArchive(path, pool);
    for (const auto& entry : kept) {
        ASSERT_EQ(now.at(entry.first), entry.second) << entry.first;
    }
}

TEST_F(CPKBatchTest, BytesHeldBackInABatchReadAsWrittenBeforeTheCommit) {
    MakeBase();
    Tree expected = ReadArchive(path, pool);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    ASSERT_EQ(vfs.BeginBatch(), 1);
    ASSERT_EQ(Add(vfs, "New\\a.txt", Text(1, 3000), kMethodStored), 1);
    const uint32_t crc = cpkpath::CrcOfPath("new\\a.txt");
    std::string name;
    ASSERT_EQ(vfs.GetFullPath(crc, name), 1);
    EXPECT_EQ(name, "New\\a.txt");
    // Copied raw (its name with it) within the archive while its source is
    // still held back.
    const uint32_t other = vfs.AddDirectory("Other", 0);
    ASSERT_NE(other, kCpkNoCrc);
    const int source = vfs.FindEntry(crc);
    const int copy = vfs.AddFile("a.txt", other, vfs.EntryAt(source));
    ASSERT_GE(copy, 0);
    ASSERT_EQ(vfs.CopyEntryData(copy, vfs, source), 1);
    ASSERT_EQ(vfs.CommitEntry(copy), 1);
    std::vector<uint8_t> bytes(vfs.EntryAt(copy).storedSize);
    ASSERT_EQ(vfs.ReadEntryBytes(copy, 0, bytes.data(), static_cast<uint32_t>(bytes.size())), 1);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Text(1, 3000));
    ASSERT_EQ(vfs.CommitBatch(), 1);
    expected["new"] = "<directory>";
    expected["new\\a.txt"] = Text(1, 3000);
    expected["other"] = "<directory>";
    expected["other\\a.txt"] = Text(1, 3000);
    EXPECT_EQ(ReadArchive(path, pool), expected);
    EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
}

TEST_F(CPKBatchTest, AFailedWriteOfHeldBackBytesFailsTheRestOfTheBatch) {
    MakeBase();
    const Tree before = ReadArchive(path, pool);
    CPKVfs vfs(pool, disk);
    ASSERT_EQ(vfs.Open(path), 1);
    ASSERT_EQ(vfs.BeginBatch(), 1);
    // The first entry moves the table out of the way; the rest are held
    // back until they fill the buffer, whose write fails.
    ASSERT_EQ(Add(vfs, "big\\b0", Text(0, 40000), kMethodStored), 1);
    disk.FailNextWrites(1);
    int added = 1;
    while (added < 100 && Add(vfs, "big\\b" + std::to_string(added),
                              Text(static_cast<uint32_t>(added), 40000), kMethodStored) == 1) {
        ++added;
    }
    disk.FailNextWrites(0);
    EXPECT_GT(added, 5);
    EXPECT_LT(added, 100);
    // Later entries fail too, though the disk would take them now.
    EXPECT_EQ(Add(vfs, "big\\late", "late", kMethodStored), 0);
    EXPECT_EQ(vfs.CommitBatch(), 0);
    EXPECT_EQ(ReadArchive(path, pool), before);
    EXPECT_EQ(Read(vfs), before);
    EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
    ASSERT_EQ(Add(vfs, "room\\again", "yes", kMethodStored), 1);
    EXPECT_EQ(Read(vfs).at("room\\again"), "yes");
}

// Records what a batch asks the disk to write or flush early, and passes it
// on.
class WriteBackRecorder : public DiscIOMgr::Disk {
public:
    struct Range {
        uint64_t offset;
        uint64_t length;
        int flushesBefore;
    };
    void StartWriteBack(platform::File& file, uint64_t offset, uint64_t length) override {
        ranges.push_back({offset, length, flushes});
        Disk::StartWriteBack(file, offset, length);
    }
    bool StartFlush(platform::File& file, platform::FlushBehind& flusher) override {
        const bool started = Disk::StartFlush(file, flusher);
        if (started) {
            startedBefore.push_back(flushes);
        }
        return started;
    }
    platform::Status Flush(platform::File& file) override {
        ++flushes;
        return Disk::Flush(file);
    }
    std::vector<Range> ranges;
    std::vector<int> startedBefore;  // flushes behind: the flushes before each
    int flushes = 0;
};

TEST_F(CPKBatchTest, ALargeBatchHandsItsEntryBytesToTheDiskAsItGoes) {
    MakeBase();
    // Entries large enough to be gathered a few at a time, one copied by
    // the system, into a batch and then a single change: more than the
    // bytes between two flushes behind.
    CPKVfs package(pool);
    const std::string packagePath = dir / "package.cpk";
    ASSERT_EQ(package.Create(packagePath), 1);
    ASSERT_EQ(Add(package, "big.bin", Text(7, 600000), kMethodStored), 1);
    WriteBackRecorder recorder;
    CPKVfs vfs(pool, recorder);
    ASSERT_EQ(vfs.Open(path), 1);
    const uint32_t before = vfs.Header().tableOffset;
    // Told what is coming, as the unpacker tells it: the table is parked
    // once, and the flushes behind are not made needless by parkings.
    constexpr int kLarge = 40;
    ASSERT_EQ(vfs.BeginBatch(kLarge * 300000 + 600000, kLarge + 1), 1);
    uint64_t written = 0;
    for (int i = 0; i < kLarge; ++i) {
        ASSERT_EQ(Add(vfs, "Large\\l" + std::to_string(i), Text(static_cast<uint32_t>(i), 300000),
                      kMethodStored),
                  1);
        written += 300000;
    }
    const int big = package.FindEntry(cpkpath::CrcOfPath("big.bin"));
    const int copy = vfs.AddFile("big.bin", 0, package.EntryAt(big));
    ASSERT_GE(copy, 0);
    ASSERT_EQ(vfs.CopyEntryData(copy, package, big), 1);
    ASSERT_EQ(vfs.CommitEntry(copy), 1);
    written += 600000;
    const int flushesInBatch = recorder.flushes;
    ASSERT_EQ(vfs.CommitBatch(), 1);
    const uint32_t tableAt = vfs.Header().tableOffset;
    // Asked while the batch ran, before the flushes of its commit; only for
    // bytes the batch wrote (past the old data, before the new table), and
    // for nearly all of them: what the last gathered write left is the
    // commit's to flush.
    ASSERT_FALSE(recorder.ranges.empty());
    uint64_t asked = 0;
    for (const auto& r : recorder.ranges) {
        EXPECT_LE(r.flushesBefore, flushesInBatch);
        EXPECT_GE(r.offset, before);
        EXPECT_LE(r.offset + r.length, tableAt);
        asked += r.length;
    }
    EXPECT_LE(asked, uint64_t{tableAt} - before);
    EXPECT_GE(asked + (1u << 20), written);
    // A flush of the file started on its own thread while the batch wrote;
    // the commit's flushes came all the same.
    ASSERT_FALSE(recorder.startedBefore.empty());
    for (int before : recorder.startedBefore) {
        EXPECT_LE(before, flushesInBatch);
    }
    EXPECT_GT(recorder.flushes, flushesInBatch);
    // The hint changes nothing of what is stored.
    vfs.Close();
    EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
    const Tree tree = ReadArchive(path, pool);
    EXPECT_EQ(tree.at("large\\l3"), Text(3, 300000));
    EXPECT_EQ(tree.at("big.bin"), Text(7, 600000));
}

TEST_F(CPKBatchTest, LookupsFindEveryLiveRecordThroughBatchesCommitsAndAborts) {
    MakeBase();
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    // Every live record is found where it is, every crc without one is not.
    auto expectLookups = [&](const char* when) {
        std::map<uint32_t, int> live;
        for (uint32_t i = 0; i < vfs.Header().usedCount; ++i) {
            const CPKEntry& e = vfs.EntryAt(static_cast<int>(i));
            if (IsLive(e)) {
                live[e.crc] = static_cast<int>(i);
            }
        }
        for (const auto& record : live) {
            ASSERT_EQ(vfs.FindEntry(record.first), record.second) << when;
        }
        for (const char* gone : {"system\\gone.lst", "never\\there", "data\\tex\\t3.dds"}) {
            const uint32_t crc = cpkpath::CrcOfPath(gone);
            if (live.count(crc) == 0) {
                EXPECT_EQ(vfs.FindEntry(crc), -1) << when << " " << gone;
            }
        }
    };
    expectLookups("opened");
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (int i = 0; i < 30; ++i) {
            // New entries, and entries replaced, in and out of crc order.
            ASSERT_EQ(Add(vfs, "data\\tex\\t" + std::to_string((i * 7) % 40) + ".dds",
                          Text(static_cast<uint32_t>(round * 100 + i), 300), kMethodStored),
                      1);
        }
        ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("data\\tex\\t3.dds")), 1);
        expectLookups("in the batch");
        if (round == 0) {
            vfs.AbortBatch();
            expectLookups("aborted");
        } else {
            ASSERT_EQ(vfs.CommitBatch(), 1);
            expectLookups("committed");
        }
    }
    EXPECT_EQ(vfs.FindEntry(cpkpath::CrcOfPath("data\\tex\\t3.dds")), -1);
    EXPECT_GE(vfs.FindEntry(cpkpath::CrcOfPath("data\\tex\\t39.dds")), 0);
    vfs.Close();
    ASSERT_EQ(vfs.Open(path), 1);
    expectLookups("reopened");
}

}  // namespace
