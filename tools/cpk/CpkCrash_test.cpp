// The cpk program adding a folder of 2,000 files to an archive of 5,000
// entries, stopped dead (SIGKILL, TerminateProcess) at random moments and run
// again each time on what the kill left, and the same change on a disk that
// fills up: whatever happens, the archive opens, passes the checker, and each
// entry holds its old or its new contents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CpkTool.h"
#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/archive_tree.h"
#include "testsupport/faulty_disk.h"
#include "testsupport/kill.h"
#include "testsupport/seed.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

constexpr int kKills = 100;
constexpr int kBaseFiles = 4950;  // in 50 directories: 5,000 entries
constexpr int kBaseDirs = 50;
constexpr int kFolderFiles = 2000;  // half replace entries, half are new
// Generous: the program takes well under a second here.
constexpr int kRunTimeoutMs = 10 * 60 * 1000;

using Tree = testsupport::ArchiveTree;
using testsupport::ReadArchiveTree;

std::string Noise(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) {
        c = static_cast<char>('a' + rng() % 26);
    }
    return s;
}

std::string Arg(const std::string& systemPath) {
    return platform::GbkToUtf8(platform::NativePath(systemPath));
}

Tree ReadArchive(const std::string& path, BlockPool& pool) {
    return ReadArchiveTree(path, pool);
}

std::string Diff(const Tree& a, const Tree& b) {
    return testsupport::TreeDifference(a, b);
}

class CpkCrashTest : public ::testing::Test {
protected:
    TempDir dir;
    BlockPool pool;
    platform::ScriptedMessageBoxes boxes;  // nothing may be asked
    std::string archive = dir / "game.cpk";
    std::string base;  // the archive's bytes before the change
    Tree before;
    Tree after;

    void SetUp() override {
        {
            CPKVfs vfs(pool);
            ASSERT_EQ(vfs.Create(archive), 1);
            ASSERT_EQ(vfs.BeginBatch(), 1);
            for (int i = 0; i < kBaseFiles; ++i) {
                const std::string inner =
                    "data\\d" + std::to_string(i % kBaseDirs) + "\\f" + std::to_string(i) + ".bin";
                const std::string contents =
                    Noise(static_cast<uint32_t>(i), 500 + static_cast<size_t>(i % 7) * 300);
                ASSERT_EQ(AddEntryFromBuffer(vfs, inner, contents.data(),
                                             static_cast<uint32_t>(contents.size()),
                                             i % 2 ? kMethodLzo : kMethodStored, false),
                          1);
            }
            ASSERT_EQ(vfs.CommitBatch(), 1);
            ASSERT_EQ(vfs.Header().liveCount, 5001u);  // and "data" itself
        }
        base = ReadFile(archive);
        before = ReadArchive(archive, pool);
        after = before;
        for (int i = 0; i < kFolderFiles; ++i) {
            // Even ones replace an entry of the archive, odd ones are new in
            // new directories.
            const std::string inner =
                i % 2 == 0
                    ? "data\\d" + std::to_string(i % kBaseDirs) + "\\f" + std::to_string(i) + ".bin"
                    : "data\\n" + std::to_string(i % 40) + "\\g" + std::to_string(i) + ".bin";
            const std::string contents = Noise(100000 + static_cast<uint32_t>(i), 1500);
            WriteFile(dir / ("patch\\" + inner), contents);
            after[platform::GbkToLowerAscii(inner)] = contents;
            if (i % 2 == 1) {
                after["data\\n" + std::to_string(i % 40)] = testsupport::kDirectoryMark;
            }
        }
    }

    std::vector<std::string> AddArgs() const {
        return {"add", Arg(archive), Arg(dir / "patch\\data")};
    }

    // Every entry as before the change or as after it.
    void ExpectOldOrNew(const Tree& seen, const std::string& when) {
        size_t wrong = 0;
        for (const Tree* t : std::initializer_list<const Tree*>{&before, &after, &seen}) {
            for (const auto& entry : *t) {
                auto was = before.find(entry.first);
                auto is = after.find(entry.first);
                auto now = seen.find(entry.first);
                auto same = [&](const Tree& tree, Tree::const_iterator it) {
                    return (now == seen.end()) == (it == tree.end()) &&
                           (now == seen.end() || now->second == it->second);
                };
                if (!same(before, was) && !same(after, is)) {
                    ++wrong;
                    ADD_FAILURE() << entry.first << " is neither old nor new " << when;
                    if (wrong > 5) {
                        return;
                    }
                }
            }
        }
    }
};

TEST_F(CpkCrashTest, AddKilledAtRandomMomentsLeavesEachEntryOldOrNew) {
#ifdef _WIN32
    const std::string program = testsupport::ProgramDir() + "\\cpk.exe";
#else
    const std::string program = testsupport::ProgramDir() + "\\cpk";
#endif
    // The same change without a kill, on a copy, to know how long a run
    // takes (the kills fall within that) and what it ends with.
    const std::string reference = dir / "reference.cpk";
    WriteFile(reference, base);
    const uint64_t started = platform::TickCount64();
    {
        auto run = platform::StartProgram(
            program, {"add", Arg(reference), Arg(dir / "patch\\data")}, dir.path());
        ASSERT_TRUE(run) << run.error().Message();
        ASSERT_EQ(run->Wait(kRunTimeoutMs).value_or(-1), 0);
    }
    const uint64_t runMs = std::max<uint64_t>(platform::TickCount64() - started, 1);
    const Tree made = ReadArchive(reference, pool);
    ASSERT_TRUE(made == after) << Diff(made, after);

    testsupport::KillMoments moments(runMs, testsupport::TestSeed("cpk kills"));
    int killedMidway = 0;
    int endedNew = 0;
    for (int round = 0; round < kKills; ++round) {
        auto run = testsupport::KillMoments::Start(program, AddArgs(), dir.path());
        ASSERT_TRUE(run) << run.error().Message();
        uint32_t delay = 0;
        const platform::Result<int> code = moments.StopAtNextMoment(*run, kRunTimeoutMs, delay);
        ASSERT_TRUE(code) << code.error().Message();
        killedMidway += *code != 0;
        ASSERT_EQ(CheckArchive(archive), std::vector<std::string>{})
            << "after a kill at " << delay << " ms";
        const Tree seen = ReadArchive(archive, pool);
        ExpectOldOrNew(seen, "after a kill at " + std::to_string(delay) + " ms");
        if (HasFailure()) {
            return;
        }
        if (seen == after) {
            // The run got through: the next one starts from the old archive
            // again, or it could not tell old from new.
            ++endedNew;
            WriteFile(archive, base);
        }
    }
    auto last = testsupport::KillMoments::Start(program, AddArgs(), dir.path());
    ASSERT_TRUE(last);
    ASSERT_EQ(last->Wait(kRunTimeoutMs).value_or(-1), 0);
    ASSERT_EQ(CheckArchive(archive), std::vector<std::string>{});
    const Tree final = ReadArchive(archive, pool);
    EXPECT_TRUE(final == made) << Diff(final, made);
    // The kills must have hit runs in flight, or nothing was shown.
    EXPECT_GT(killedMidway, 0);
    std::printf(
        "%d of %d kills stopped the program; %d left the new contents (a run takes %llu ms)\n",
        killedMidway, kKills, endedNew, static_cast<unsigned long long>(moments.runMs()));
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(CpkCrashTest, AddOnAFullDiskFailsWithTheDiskFullMessageAndKeepsTheArchive) {
    // How much the change makes the file grow, with room for the table's
    // moves; the disk is given shares of it.
    const std::string reference = dir / "reference.cpk";
    WriteFile(reference, base);
    {
        std::ostringstream out, err;
        std::vector<std::string> args = {"cpk", "add", Arg(reference), Arg(dir / "patch\\data")};
        ASSERT_EQ(RunCpkTool(args, out, err, false), 0) << err.str();
    }
    const uint64_t growth = platform::FileSize(reference).value() - base.size();
    const std::string full =
        platform::GbkToUtf8(platform::Error{platform::ErrorDiskFull()}.Message());
    std::vector<std::string> args = AddArgs();
    args.insert(args.begin(), "cpk");
    for (int share = 0; share < 20; ++share) {
        const uint64_t space = growth * static_cast<uint64_t>(share) / 20;
        testsupport::FaultyDisk disk;
        disk.SetSpace(static_cast<int64_t>(space));
        std::ostringstream out, err;
        const int code = RunCpkTool(args, out, err, false, disk);
        EXPECT_EQ(code, 1) << space;
        EXPECT_NE(err.str().find(full), std::string::npos) << space << ": " << err.str();
        EXPECT_NE(err.str().find("the archive is unchanged"), std::string::npos) << err.str();
        ASSERT_EQ(CheckArchive(archive), std::vector<std::string>{}) << space;
        const Tree seen = ReadArchive(archive, pool);
        ASSERT_TRUE(seen == before) << space << Diff(seen, before);
    }
    std::ostringstream out, err;
    ASSERT_EQ(RunCpkTool(args, out, err, false), 0) << err.str();
    const Tree done = ReadArchive(archive, pool);
    EXPECT_TRUE(done == after) << Diff(done, after);
    EXPECT_EQ(boxes.count(), 0u);
}

}  // namespace
