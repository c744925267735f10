// "cpk apply" of a three-package update, stopped dead (SIGKILL,
// TerminateProcess) at random moments and run again each time with the
// resume index the kill left: every archive stays sound, and the game folder
// ends byte for byte as an uninterrupted run leaves it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "MkPatch.h"
#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/kill.h"
#include "testsupport/seed.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

constexpr int kKills = 50;
constexpr int kVersions = 4;  // three packages lead from the first to the last
// Generous: a run takes about a second here.
constexpr int kRunTimeoutMs = 10 * 60 * 1000;

std::string Arg(const std::string& systemPath) {
    return platform::GbkToUtf8(platform::NativePath(systemPath));
}

std::string Noise(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) {
        c = static_cast<char>('a' + rng() % 17);
    }
    return s;
}

// The game as it is at version v: which items changed at which version
// decides their contents, so each version changes some and adds some.
struct Game {
    std::map<std::string, std::map<std::string, std::string>> archives;  // path -> inner -> bytes
    std::map<std::string, std::string> loose;
};

uint32_t LastChange(int item, int v) {
    int last = 0;
    for (int k = 1; k <= v; ++k) {
        if ((item * 7 + k * 13) % 5 < 2) {  // two items in five change per version
            last = k;
        }
    }
    return static_cast<uint32_t>(last);
}

Game Version(int v) {
    Game game;
    for (int i = 0; i < 2500 + 400 * v; ++i) {
        const std::string inner = "d" + std::to_string(i % 25) + "\\f" + std::to_string(i) + ".bin";
        game.archives["Data\\Scene.cpk"][inner] =
            Noise(static_cast<uint32_t>(i * 100 + LastChange(i, v)), 400 + (i % 9) * 300);
    }
    for (int i = 0; i < 800; ++i) {
        game.archives["Data\\Model.cpk"]["m" + std::to_string(i)] = Noise(
            static_cast<uint32_t>(900000 + i * 10 + (i % 3 == 0 ? LastChange(i, v) : 0)), 2000);
    }
    if (v >= 2) {
        for (int i = 0; i < 300 + 100 * v; ++i) {
            game.archives["Sound\\New.cpk"]["s\\" + std::to_string(i)] =
                Noise(static_cast<uint32_t>(700000 + i * 10 + LastChange(i, v)), 1500);
        }
    }
    for (int i = 0; i < 30 + 5 * v; ++i) {
        game.loose["bin\\file" + std::to_string(i) + ".dat"] =
            Noise(static_cast<uint32_t>(500000 + i * 10 + LastChange(i, v)), 40000);
    }
    return game;
}

void Write(const Game& game, const std::string& root) {
    BlockPool pool;
    for (const auto& archive : game.archives) {
        const std::string path = root + "\\" + archive.first;
        for (size_t i = 1; i < path.size(); ++i) {
            if (path[i] == '\\') {
                (void)platform::CreateDirectory(path.substr(0, i));  // its folders
            }
        }
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        int n = 0;
        for (const auto& entry : archive.second) {
            const uint16_t method = ++n % 3 == 0 ? kMethodLzo : kMethodStored;
            ASSERT_EQ(AddEntryFromBuffer(vfs, entry.first, entry.second.data(),
                                         static_cast<uint32_t>(entry.second.size()), method, false),
                      1);
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
    }
    for (const auto& file : game.loose) {
        WriteFile(root + "\\" + file.first, file.second);
    }
}

// Every file under root, byte for byte, by relative path.
std::map<std::string, std::string> Files(const std::string& root) {
    std::map<std::string, std::string> out;
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string rel = pending.back();
        pending.pop_back();
        auto list = platform::ListDirectory(rel.empty() ? root : root + "\\" + rel);
        EXPECT_TRUE(list);
        for (const auto& e : *list) {
            const std::string path = rel.empty() ? e.name : rel + "\\" + e.name;
            if (e.isDirectory) {
                out[path + "\\"] = "";
                pending.push_back(path);
            } else {
                out[path] = ReadFile(root + "\\" + path);
            }
        }
    }
    return out;
}

std::string FirstDifference(const std::map<std::string, std::string>& a,
                            const std::map<std::string, std::string>& b) {
    for (const auto& x : a) {
        auto y = b.find(x.first);
        if (y == b.end() || y->second != x.second) {
            return x.first + (y == b.end() ? " only in the first" : " differs");
        }
    }
    for (const auto& y : b) {
        if (!a.count(y.first)) {
            return y.first + " only in the second";
        }
    }
    return "none";
}

void CopyTree(const std::map<std::string, std::string>& files, const std::string& root) {
    testsupport::RemoveTree(root);
    ASSERT_TRUE(platform::CreateDirectory(root));
    for (const auto& f : files) {
        if (f.first.back() == '\\') {
            (void)platform::CreateDirectory(root + "\\" + f.first.substr(0, f.first.size() - 1));
        } else {
            WriteFile(root + "\\" + f.first, f.second);
        }
    }
}

TEST(ApplyCrash, KilledAtRandomMomentsAndRunAgainItEndsAsAnUninterruptedRun) {
    TempDir dir;
#ifdef _WIN32
    const std::string program = testsupport::ProgramDir() + "\\cpk.exe";
#else
    const std::string program = testsupport::ProgramDir() + "\\cpk";
#endif
    std::vector<std::string> packages;
    for (int v = 0; v < kVersions; ++v) {
        Write(Version(v), dir / ("v" + std::to_string(v)));
        if (v > 0) {
            packages.push_back(dir / ("p" + std::to_string(v) + ".cpk"));
            std::ostringstream out, err;
            ASSERT_EQ(
                RunMkPatch({"mkpatch", "--old", Arg(dir / ("v" + std::to_string(v - 1))), "--new",
                            Arg(dir / ("v" + std::to_string(v))), "-o", Arg(packages.back())},
                           out, err, false),
                0)
                << err.str();
        }
    }
    const auto start = Files(dir / "v0");
    const std::string game = dir / "game";
    auto args = [&] {
        std::vector<std::string> a = {"apply"};
        for (const auto& p : packages) {
            a.push_back(Arg(p));
        }
        a.insert(a.end(), {"--game", Arg(game), "--abort"});
        return a;
    };

    // The uninterrupted run, timed so that the kills fall within a run.
    CopyTree(start, game);
    const uint64_t started = platform::TickCount64();
    {
        auto run = platform::StartProgram(program, args(), dir.path());
        ASSERT_TRUE(run) << run.error().Message();
        ASSERT_EQ(run->Wait(kRunTimeoutMs).value_or(-1), 0);
    }
    const uint64_t runMs = std::max<uint64_t>(platform::TickCount64() - started, 1);
    const auto uninterrupted = Files(game);
    EXPECT_EQ(uninterrupted.count("unpack_log.ini"), 0u);
    EXPECT_EQ(uninterrupted.at("Sound\\New.cpk").size() > 0, true);

    CopyTree(start, game);
    testsupport::KillMoments moments(runMs, testsupport::TestSeed("apply kills"));
    int stoppedMidway = 0;
    int completed = 0;
    for (int round = 0; round < kKills; ++round) {
        auto run = testsupport::KillMoments::Start(program, args(), dir.path());
        ASSERT_TRUE(run) << run.error().Message();
        uint32_t delay = 0;
        const platform::Result<int> code = moments.StopAtNextMoment(*run, kRunTimeoutMs, delay);
        ASSERT_TRUE(code) << code.error().Message();
        for (const char* archive : {"Data\\Scene.cpk", "Data\\Model.cpk", "Sound\\New.cpk"}) {
            if (platform::Exists(game + "\\" + archive)) {
                ASSERT_EQ(CheckArchive(game + "\\" + archive), std::vector<std::string>{})
                    << archive << " after a kill at " << delay << " ms";
            }
        }
        // A kill that lands after the last package, once the resume index
        // is gone, finds the update complete: as with a run that exited,
        // the folder must be right and the next round starts over (a rerun
        // would be a new update of a folder that has it already).
        const auto now = Files(game);
        const bool done = *code != 0 && now.count("unpack_log.ini") == 0 && now == uninterrupted;
        stoppedMidway += *code != 0 && !done;
        if (*code == 0 || done) {
            ++completed;
            ASSERT_TRUE(now == uninterrupted) << FirstDifference(now, uninterrupted);
            CopyTree(start, game);
        }
    }
    auto last = testsupport::KillMoments::Start(program, args(), dir.path());
    ASSERT_TRUE(last);
    ASSERT_EQ(last->Wait(kRunTimeoutMs).value_or(-1), 0);
    const auto got = Files(game);
    EXPECT_TRUE(got == uninterrupted) << FirstDifference(got, uninterrupted);
    EXPECT_GT(stoppedMidway, 0);
    std::printf("%d of %d kills stopped the program, %d runs completed (a run takes %llu ms)\n",
                stoppedMidway, kKills, completed, static_cast<unsigned long long>(moments.runMs()));
}

}  // namespace
