#include "MkPatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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
#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome MkPatch(std::vector<std::string> args) {
    args.insert(args.begin(), "mkpatch");
    std::ostringstream out, err;
    const int code = RunMkPatch(args, out, err, false);
    return {code, out.str(), err.str()};
}

Outcome Cpk(std::vector<std::string> args) {
    args.insert(args.begin(), "cpk");
    std::ostringstream out, err;
    const int code = RunCpkTool(args, out, err, false);
    return {code, out.str(), err.str()};
}

std::string Arg(const std::string& systemPath) {
    return platform::GbkToUtf8(platform::NativePath(systemPath));
}

std::string Noise(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) {
        c = static_cast<char>('a' + rng() % 23);
    }
    return s;
}

const std::string kGbkFolder = platform::Utf8ToGbk("地图");
const std::string kGbkName = platform::Utf8ToGbk("说明.txt");

// An archive from (inner path -> contents, method) items.
struct Entry {
    std::string contents;
    uint16_t method = kMethodStored;
    bool windowed = false;
};
void MakeArchive(const std::string& path, const std::map<std::string, Entry>& entries,
                 const std::vector<std::string>& dirs = {}) {
    BlockPool pool;
    CPKVfs vfs(pool);
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '\\' && !platform::IsGbkLeadByte(static_cast<unsigned char>(path[i - 1]))) {
            (void)platform::CreateDirectory(path.substr(0, i));
        }
    }
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(vfs.BeginBatch(), 1);
    for (const auto& e : entries) {
        ASSERT_EQ(AddEntryFromBuffer(vfs, e.first, e.second.contents.data(),
                                     static_cast<uint32_t>(e.second.contents.size()),
                                     e.second.method, e.second.windowed),
                  1);
    }
    for (const std::string& d : dirs) {
        ASSERT_NE(vfs.AddPath(d, 0), kCpkNoCrc);
    }
    ASSERT_EQ(vfs.CommitBatch(), 1);
}

// What a game folder holds: every loose file's bytes, every folder, and
// every archive entry (files: record and raw bytes; directories: present).
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    BlockPool pool;
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string rel = pending.back();
        pending.pop_back();
        auto list = platform::ListDirectory(rel.empty() ? root : root + "\\" + rel);
        EXPECT_TRUE(list);
        for (const auto& e : *list) {
            const std::string path = rel.empty() ? e.name : rel + "\\" + e.name;
            const std::string key = platform::GbkToLowerAscii(path);
            if (e.isDirectory) {
                out[key] = "<folder>";
                pending.push_back(path);
                continue;
            }
            CPKVfs vfs(pool);
            const bool archive = key.size() > 4 && key.substr(key.size() - 4) == ".cpk" &&
                                 vfs.Open(root + "\\" + path, CPKOpenMode::kReadOnly);
            if (!archive) {
                out[key] = ReadFile(root + "\\" + path);
                continue;
            }
            EXPECT_EQ(CheckArchive(root + "\\" + path), std::vector<std::string>{}) << path;
            out[key] = "<archive>";
            for (uint32_t i = 0; i < vfs.Header().usedCount; ++i) {
                const CPKEntry e = vfs.EntryAt(static_cast<int>(i));
                if (!IsLive(e)) {
                    continue;
                }
                std::string inner;
                EXPECT_EQ(vfs.GetFullPath(e.crc, inner), 1);
                std::string value = "<dir>";
                if (!IsDirectory(e)) {
                    char record[64];
                    std::snprintf(record, sizeof record, "%04x %u %u %u %u|", e.flags, e.method,
                                  e.storedSize, e.originalSize, e.trailerSize);
                    value = record;
                    for (uint32_t at = 0; at < e.storedSize + e.trailerSize;) {
                        CPKFile* f = vfs.OpenEntry(static_cast<int>(i), at, 1);
                        EXPECT_NE(f, nullptr);
                        if (f == nullptr) {
                            break;
                        }
                        value.append(reinterpret_cast<const char*>(f->data), f->mappedSize);
                        at += f->mappedSize;
                        vfs.CloseEntry(f);
                    }
                }
                out[key + "|" + platform::GbkToLowerAscii(inner)] = value;
            }
        }
    }
    return out;
}

void CopyTree(const std::string& from, const std::string& to) {
    ASSERT_TRUE(platform::CreateDirectory(to));
    auto list = platform::ListDirectory(from);
    ASSERT_TRUE(list);
    for (const auto& e : *list) {
        if (e.isDirectory) {
            CopyTree(from + "\\" + e.name, to + "\\" + e.name);
        } else {
            WriteFile(to + "\\" + e.name, ReadFile(from + "\\" + e.name));
        }
    }
}

std::string FirstDifference(const std::map<std::string, std::string>& a,
                            const std::map<std::string, std::string>& b) {
    for (const auto& x : a) {
        auto y = b.find(x.first);
        if (y == b.end()) {
            return platform::GbkToUtf8(x.first) + " only in the first";
        }
        if (y->second != x.second) {
            return platform::GbkToUtf8(x.first) + " differs";
        }
    }
    for (const auto& y : b) {
        if (!a.count(y.first)) {
            return platform::GbkToUtf8(y.first) + " only in the second";
        }
    }
    return "none";
}

class MkPatchTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string oldDir = dir / "old";
    std::string newDir = dir / "new";
    std::string package = dir / "patch.cpk";

    // Version 1 and version 2 of a game folder, the second reached from the
    // first without deletions.
    void MakeFolders() {
        const std::string big1 = Noise(1, (9u << 20) + 77);
        const std::string big2 = Noise(2, (17u << 20) + 5);
        WriteFile(oldDir + "\\Game.exe", "game v1");
        WriteFile(oldDir + "\\readme.txt", "same in both");
        WriteFile(oldDir + "\\" + kGbkFolder + "\\" + kGbkName, "v1");
        MakeArchive(oldDir + "\\Data\\Scene.cpk",
                    {{"tex\\a.dds", {Noise(3, 5000), kMethodLzo}},
                     {"tex\\same.dds", {Noise(4, 3000), kMethodLzss}},
                     {"big\\w.bin", {big1, kMethodStored, true}},
                     {kGbkFolder + "\\" + kGbkName, {"inner v1", kMethodStored}}});
        MakeArchive(oldDir + "\\Data\\sub\\Other.cpk", {{"x.bin", {Noise(5, 100)}}});

        WriteFile(newDir + "\\Game.exe", "game v2");
        WriteFile(newDir + "\\readme.txt", "same in both");
        WriteFile(newDir + "\\" + kGbkFolder + "\\" + kGbkName, "v2");
        WriteFile(newDir + "\\bin\\deep\\tool.dll", Noise(6, 70000));
        ASSERT_TRUE(platform::CreateDirectory(newDir + "\\logs"));
        MakeArchive(newDir + "\\Data\\Scene.cpk",
                    {{"tex\\a.dds", {Noise(7, 6000), kMethodStored}},
                     {"tex\\same.dds", {Noise(4, 3000), kMethodLzss}},
                     {"big\\w.bin", {big2, kMethodStored, true}},
                     {"tex\\new.dds", {Noise(8, 900), kMethodLzo}},
                     {kGbkFolder + "\\" + kGbkName, {"inner v2", kMethodStored}}},
                    {"empty\\dirs"});
        MakeArchive(newDir + "\\Data\\sub\\Other.cpk", {{"x.bin", {Noise(5, 100)}}});
        MakeArchive(newDir + "\\New\\Folder\\Fresh.cpk", {{"a\\b\\c.txt", {"fresh", kMethodLzo}}});
    }
};

TEST_F(MkPatchTest, ThePackageTurnsTheOldFolderIntoTheNewOne) {
    MakeFolders();
    Outcome made = MkPatch({"--old", Arg(oldDir), "--new", Arg(newDir), "-o", Arg(package)});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.err, "");  // nothing was deleted
    EXPECT_EQ(made.out, "3 loose files, 5 archive entries in 2 archives: " + Arg(package) + "\n");
    EXPECT_EQ(CheckArchive(package), std::vector<std::string>{});

    const std::string game = dir / "game";
    CopyTree(oldDir, game);
    Outcome applied = Cpk({"apply", Arg(package), "--game", Arg(game), "--abort"});
    ASSERT_EQ(applied.code, 0) << applied.err;
    const auto want = Snapshot(newDir);
    const auto got = Snapshot(game);
    // Files, folders, three archives and their entries.
    EXPECT_EQ(want.size(), 29u);
    EXPECT_GT(want.at("data\\scene.cpk|big\\w.bin").size(), (17u << 20) + 5);
    EXPECT_TRUE(got == want) << FirstDifference(got, want);
    EXPECT_NE(Snapshot(oldDir), want);
    // Unchanged archives are not in the package, and stay as they were.
    EXPECT_EQ(ReadFile(game + "\\Data\\sub\\Other.cpk"),
              ReadFile(oldDir + "\\Data\\sub\\Other.cpk"));

    // Packed as it is, the new folder makes an empty one the same.
    Outcome whole =
        MkPatch({"--dir", Arg(newDir), "-o", Arg(dir / "whole.cpk"), "--method", "stored"});
    ASSERT_EQ(whole.code, 0) << whole.err;
    const std::string fresh = dir / "fresh";
    ASSERT_TRUE(platform::CreateDirectory(fresh));
    applied = Cpk({"apply", Arg(dir / "whole.cpk"), "--game", Arg(fresh)});
    ASSERT_EQ(applied.code, 0) << applied.err;
    const auto rebuilt = Snapshot(fresh);
    EXPECT_TRUE(rebuilt == want) << FirstDifference(rebuilt, want);
}

// The progress line counts files and archives, an archive once whatever
// it holds: the count never passes the total.
TEST_F(MkPatchTest, TheProgressCountNeverPassesTheTotal) {
    MakeFolders();
    std::map<std::string, Entry> many;
    for (int i = 0; i < 12; ++i) {
        many["e" + std::to_string(i)] = {Noise(50, static_cast<uint32_t>(i))};
    }
    MakeArchive(newDir + "\\Data\\Many.cpk", many);
    std::ostringstream out, err;
    ASSERT_EQ(
        RunMkPatch({"mkpatch", "--old", Arg(oldDir), "--new", Arg(newDir), "-o", Arg(package)}, out,
                   err, true),
        0)
        << err.str();
    const std::string text = err.str();
    int shown = 0;
    for (size_t at = text.find('['); at != std::string::npos; at = text.find('[', at + 1)) {
        size_t slash = text.find('/', at), close = text.find(']', at);
        auto digits = [&](size_t from, size_t to) {
            return to > from && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                                            text.begin() + static_cast<std::ptrdiff_t>(to),
                                            [](char c) { return c >= '0' && c <= '9'; });
        };
        if (slash == std::string::npos || close == std::string::npos || slash > close ||
            !digits(at + 1, slash) || !digits(slash + 1, close)) {
            continue;  // not a counter (the line's clearing sequence)
        }
        const int done = std::stoi(text.substr(at + 1, slash - at - 1));
        const int total = std::stoi(text.substr(slash + 1, close - slash - 1));
        EXPECT_LE(done, total) << text.substr(at, close - at + 1);
        ++shown;
    }
    EXPECT_GT(shown, 12);
}

TEST_F(MkPatchTest, DeletionsAreListedAndUsageErrorsSayWhy) {
    MakeFolders();
    WriteFile(oldDir + "\\gone.txt", "gone");
    MakeArchive(oldDir + "\\Data\\Gone.cpk", {{"g", {"g"}}});
    Outcome made = MkPatch({"--old", Arg(oldDir), "--new", Arg(newDir), "-o", Arg(package)});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_NE(made.err.find("gone.txt was deleted"), std::string::npos) << made.err;
    EXPECT_NE(made.err.find("Gone.cpk was deleted"), std::string::npos) << made.err;

    EXPECT_NE(MkPatch({"--old", Arg(oldDir), "-o", Arg(package)}).code, 0);  // --new needed
    Outcome none = MkPatch({"-o", Arg(package)});
    EXPECT_NE(none.code, 0);
    EXPECT_NE(none.err.find("--dir or --old and --new"), std::string::npos) << none.err;
    Outcome missing = MkPatch({"--dir", Arg(dir / "nope"), "-o", Arg(dir / "p2.cpk")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no such folder"), std::string::npos);
    EXPECT_FALSE(platform::Exists(dir / "p2.cpk"));
    EXPECT_EQ(MkPatch({"--help"}).code, 0);
}

TEST_F(MkPatchTest, ApplyResumesAtThePackageItStoppedIn) {
    // Three packages; the second holds a file that cannot be created.
    const std::string game = dir / "game";
    ASSERT_TRUE(platform::CreateDirectory(game));
    std::vector<std::string> packages;
    for (int i = 0; i < 3; ++i) {
        const std::string src = dir / ("v" + std::to_string(i));
        WriteFile(src + "\\f" + std::to_string(i) + ".txt", "file " + std::to_string(i));
        WriteFile(src + "\\common.txt", "common " + std::to_string(i));
        packages.push_back(dir / ("p" + std::to_string(i) + ".cpk"));
        ASSERT_EQ(MkPatch({"--dir", Arg(src), "-o", Arg(packages.back())}).code, 0);
    }
    ASSERT_TRUE(platform::CreateDirectory(game + "\\f1.txt"));
    ASSERT_TRUE(platform::CreateDirectory(game + "\\f1.txt\\blocker"));
    std::vector<std::string> args = {"apply",  Arg(packages[0]), Arg(packages[1]), Arg(packages[2]),
                                     "--game", Arg(game),        "--abort"};
    Outcome first = Cpk(args);
    EXPECT_EQ(first.code, 1);
    EXPECT_NE(first.err.find("fail to create file"), std::string::npos) << first.err;
    EXPECT_EQ(ReadFile(game + "\\common.txt"), "common 0");
    EXPECT_FALSE(platform::Exists(game + "\\f2.txt"));
    EXPECT_NE(ReadFile(game + "\\unpack_log.ini").find("nIndex=1"), std::string::npos);

    testsupport::RemoveTree(game + "\\f1.txt");
    WriteFile(game + "\\f0.txt", "changed after package 0: not unpacked again");
    Outcome second = Cpk(args);
    ASSERT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(ReadFile(game + "\\f0.txt"), "changed after package 0: not unpacked again");
    EXPECT_EQ(ReadFile(game + "\\f1.txt"), "file 1");
    EXPECT_EQ(ReadFile(game + "\\common.txt"), "common 2");
    EXPECT_FALSE(platform::Exists(game + "\\unpack_log.ini"));

    // --yes skips what cannot be created and goes on; what it skipped is
    // named, and the run does not count as done.
    ASSERT_TRUE(platform::DeleteFile(game + "\\f1.txt"));
    ASSERT_TRUE(platform::CreateDirectory(game + "\\f1.txt"));
    ASSERT_TRUE(platform::CreateDirectory(game + "\\f1.txt\\blocker"));
    args.back() = "--yes";
    Outcome skipping = Cpk(args);
    EXPECT_EQ(skipping.code, 1);
    EXPECT_NE(skipping.err.find("not written: f1.txt"), std::string::npos) << skipping.err;
    EXPECT_TRUE(platform::IsDirectory(game + "\\f1.txt"));
    EXPECT_EQ(ReadFile(game + "\\common.txt"), "common 2");
}

TEST_F(MkPatchTest, ApplyReportsTheSelfUpdateAndTheServerList) {
    const std::string src = dir / "src";
    WriteFile(src + "\\Drevik.exe", "new patcher");
    WriteFile(src + "\\updagte.ini", "[servers]");
    ASSERT_EQ(MkPatch({"--dir", Arg(src), "-o", Arg(package)}).code, 0);
    const std::string game = dir / "game";
    ASSERT_TRUE(platform::CreateDirectory(game));
    WriteFile(game + "\\Drevik.exe", "running patcher");
    Outcome r = Cpk({"apply", Arg(package), "--game", Arg(game)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(game + "\\Drevik.exe"), "running patcher");
    EXPECT_EQ(ReadFile(game + "\\download\\Drevik.exe"), "new patcher");
    EXPECT_NE(r.out.find("download\\"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("updagte.ini"), std::string::npos) << r.out;
    // Under another name the patcher is an ordinary file.
    r = Cpk({"apply", Arg(package), "--game", Arg(game), "--exe", "Other.exe"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(game + "\\Drevik.exe"), "new patcher");
}

}  // namespace
