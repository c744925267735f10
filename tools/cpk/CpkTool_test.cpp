#include "CpkTool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

#include "CpkToolRun.h"

#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/faulty_disk.h"
#include "testsupport/seed.h"
#include "testsupport/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

using cpktest::Arg;
using cpktest::Cpk;
using cpktest::Outcome;

std::string Noise(size_t size, uint32_t seed) {
    std::string s(size, '\0');
    std::mt19937 rng(seed);
    for (auto& c : s) {
        c = static_cast<char>(rng() % 16);
    }
    return s;
}

class CpkToolTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string archive = Arg(dir / "game.cpk");
};

TEST_F(CpkToolTest, EveryMethodAndAWindowedEntryRoundTrip) {
    const std::string big = Noise(20u << 20, 1);
    const std::string text = Noise(200000, 2) + "\r\n\n\x1A";
    WriteFile(dir / "src\\data\\big.bin", big);
    WriteFile(dir / "src\\data\\deep\\er\\t.txt", text);
    WriteFile(dir / "src\\l.bin", text);
    ASSERT_TRUE(platform::CreateDirectory(dir / "src\\empty"));
    ASSERT_EQ(Cpk({"create", archive}).code, 0);
    EXPECT_EQ(ReadFile(dir / "game.cpk").size(), 140124u);

    Outcome r = Cpk(
        {"add", archive, Arg(dir / "src\\data\\big.bin"), "--as", "data/big.bin", "--windowed"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Cpk(
        {"add", archive, Arg(dir / "src\\data\\deep"), "--as", "data\\deep", "--method", "lzss"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Cpk({"add", archive, Arg(dir / "src\\l.bin"), Arg(dir / "src\\empty") + "/", "--method",
             "lzo"});
    ASSERT_EQ(r.code, 0) << r.err;

    r = Cpk({"ls", archive, "-l"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string head =
        "dir  -               0          0 data\\\n"
        "file stored   20971520   20971520 data\\big.bin\n"
        "dir  -               0          0 data\\deep\\\n";
    EXPECT_EQ(r.out.substr(0, head.size()), head);
    // Sizes of compressed entries depend on the encoder; compare the rest.
    std::istringstream lines(r.out);
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) {
        got.push_back(line.substr(0, 5) + line.substr(line.rfind(' ') + 1));
    }
    EXPECT_EQ(got,
              (std::vector<std::string>{"dir  data\\", "file data\\big.bin", "dir  data\\deep\\",
                                        "dir  data\\deep\\er\\", "file data\\deep\\er\\t.txt",
                                        "dir  empty\\", "file l.bin"}));

    EXPECT_EQ(Cpk({"cat", archive, "DATA\\BIG.BIN"}).out, big);
    EXPECT_EQ(Cpk({"cat", archive, "data/deep/er/t.txt"}).out, text);
    EXPECT_EQ(Cpk({"cat", archive, "l.bin"}).out, text);
    Outcome check = Cpk({"check", archive});
    EXPECT_EQ(check.code, 0) << check.out;
    EXPECT_EQ(check.out, "");

    ASSERT_EQ(Cpk({"extract", archive, "-C", Arg(dir / "out")}).code, 0);
    EXPECT_EQ(ReadFile(dir / "out\\data\\big.bin"), big);
    EXPECT_EQ(ReadFile(dir / "out\\data\\deep\\er\\t.txt"), text);
    EXPECT_EQ(ReadFile(dir / "out\\l.bin"), text);
    EXPECT_TRUE(platform::IsDirectory(dir / "out\\empty"));

    ASSERT_EQ(Cpk({"extract", archive, "-C", Arg(dir / "part"), "data\\deep"}).code, 0);
    EXPECT_EQ(ReadFile(dir / "part\\data\\deep\\er\\t.txt"), text);
    EXPECT_FALSE(platform::Exists(dir / "part\\data\\big.bin"));
    EXPECT_FALSE(platform::Exists(dir / "part\\l.bin"));

    // Adding again replaces; removing a directory removes its tree.
    WriteFile(dir / "new.txt", "new");
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "new.txt"), "--as", "l.bin"}).code, 0);
    EXPECT_EQ(Cpk({"cat", archive, "l.bin"}).out, "new");
    ASSERT_EQ(Cpk({"rm", archive, "data"}).code, 0);
    EXPECT_EQ(Cpk({"ls", archive}).out, "empty\\\nl.bin\n");
    EXPECT_EQ(Cpk({"check", archive}).code, 0);
    Outcome info = Cpk({"info", archive});
    ASSERT_EQ(info.code, 0);
    EXPECT_EQ(info.out.rfind("magic: 0x1A545352\nversion: 1\ntableOffset: ", 0), 0u) << info.out;
    EXPECT_NE(info.out.find("\nliveCount: 2\nusedCount: 8\ncapacity: 5000\nfreeCount: 6\n"),
              std::string::npos)
        << info.out;
}

TEST_F(CpkToolTest, NamesAreUtf8OutsideAndGbkInside) {
    const std::string name = "\xE5\x9C\xB0\xE5\x9B\xBE";  // "地图" in UTF-8
    WriteFile(dir / "f.txt", "map");
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "f.txt"), "--as", name + "/Big.TXT"}).code, 0);
    EXPECT_EQ(Cpk({"ls", archive}).out, name + "\\\n" + name + "\\Big.TXT\n");
    EXPECT_EQ(Cpk({"cat", archive, name + "\\big.txt"}).out, "map");
    BlockPool pool;
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(dir / "game.cpk"), 1);
    EXPECT_GE(vfs.FindEntry(cpkpath::CrcOfPath(platform::Utf8ToGbk(name) + "\\big.txt")), 0);
}

TEST_F(CpkToolTest, EmptyFoldersWithDotsInTheirNamesAreKept) {
    ASSERT_TRUE(platform::CreateDirectory(dir / "pkg"));
    ASSERT_TRUE(platform::CreateDirectory(dir / "pkg\\v1.2"));
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "pkg")}).code, 0);
    EXPECT_EQ(Cpk({"ls", archive}).out, "pkg\\\npkg\\v1.2\\\n");
}

TEST_F(CpkToolTest, FailuresExitWithOneAndSayWhy) {
    WriteFile(dir / "f.txt", "x");
    WriteFile(dir / "g.txt", "y");
    WriteFile(dir / "not.cpk", std::string(500, 'n'));
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    ASSERT_EQ(Cpk({"create", archive}).code, 0);
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "f.txt"), "--as", "d\\f.txt"}).code, 0);
    const Case cases[] = {
        {{"create", archive}, "already exists"},
        {{"cat", archive, "missing"}, "no entry missing"},
        {{"cat", archive, "d"}, "is a directory"},
        {{"rm", archive, "nope"}, "no entry nope"},
        {{"add", archive, Arg(dir / "f.txt"), "--method", "zip"}, "unknown method 'zip'"},
        {{"add", archive, Arg(dir / "f.txt"), "--method", "lzo", "--windowed"}, "--windowed"},
        {{"add", archive, Arg(dir / "f.txt"), Arg(dir / "g.txt"), "--as", "x"}, "single FILE"},
        {{"add", archive, Arg(dir / "none.txt")}, "no such file"},
        {{"add", archive, Arg(dir / "f.txt"), "--as", "a\\..\\b"}, "unusable inner path"},
        {{"ls", Arg(dir / "not.cpk")}, "not.cpk: not a CPK archive"},
        {{"ls", Arg(dir / "absent.cpk")}, "no such archive"},
        {{"info", Arg(dir / "not.cpk")}, "not a CPK archive"},
        {{"check", Arg(dir / "not.cpk")}, "the magic is"},
    };
    for (const Case& c : cases) {
        Outcome r = Cpk(c.args);
        EXPECT_EQ(r.code, 1) << c.args[0];
        EXPECT_NE((r.err + r.out).find(c.says), std::string::npos)
            << (c.args.empty() ? "" : c.args[0]) << ": " << r.err << r.out;
    }
    // A wrong command line is a usage error, not a failure.
    const Outcome unknown = Cpk({"frobnicate"});
    EXPECT_EQ(unknown.code, 64);
    EXPECT_EQ(unknown.err, "cpk: unknown command frobnicate\nTry 'cpk --help'.\n");
    EXPECT_EQ(Cpk({}).code, 64);
    EXPECT_EQ(Cpk({"--help"}).code, 0);
    EXPECT_EQ(Cpk({"cat", archive, "d\\f.txt"}).out, "x");  // untouched by the failures
}

TEST_F(CpkToolTest, ExtractRefusesPathsThatLeaveTheTarget) {
    {
        BlockPool pool;
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(dir / "evil.cpk"), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "..\\escaped.txt", "bad", 3, kMethodStored, false), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "ok.txt", "good", 4, kMethodStored, false), 1);
    }
    Outcome r = Cpk({"extract", Arg(dir / "evil.cpk"), "-C", Arg(dir / "t\\out")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("unsafe path"), std::string::npos) << r.err;
    EXPECT_FALSE(platform::Exists(dir / "t\\escaped.txt"));
    EXPECT_FALSE(platform::Exists(dir / "escaped.txt"));
}

TEST_F(CpkToolTest, CheckListsEachBrokenInvariant) {
    WriteFile(dir / "f.txt", "x");
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "f.txt")}).code, 0);
    std::string bytes = ReadFile(dir / "game.cpk");
    bytes[16] = 7;  // liveCount
    bytes[36] = 3;  // freeCount
    WriteFile(dir / "game.cpk", bytes);
    Outcome r = Cpk({"check", archive});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, archive + ": liveCount is 7 but 1 records are live\n" + archive +
                         ": freeCount is 3 but 0 records are deleted\n");
}

TEST_F(CpkToolTest, CompactRewritesWithoutFreeSpaceAndKeepsEveryEntry) {
    const std::string big = Noise(9u << 20, 3);
    WriteFile(dir / "src\\data\\big.bin", big);
    for (int i = 0; i < 30; ++i) {
        WriteFile(dir / ("src\\data\\f" + std::to_string(i)),
                  Noise(3000, static_cast<uint32_t>(i)));
    }
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "src\\data"), "--windowed"}).code, 0);
    ASSERT_EQ(
        Cpk({"add", archive, Arg(dir / "src\\data\\f3"), "--as", "lzo\\f3", "--method", "lzo"})
            .code,
        0);
    for (int i = 0; i < 30; i += 2) {
        ASSERT_EQ(Cpk({"rm", archive, "data\\f" + std::to_string(i)}).code, 0);
    }
    const std::string listing = Cpk({"ls", archive, "-l"}).out;
    const uint64_t before = platform::FileSize(dir / "game.cpk").value();

    Outcome r = Cpk({"compact", archive});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Cpk({"ls", archive, "-l"}).out, listing);
    EXPECT_EQ(Cpk({"cat", archive, "data/big.bin"}).out, big);
    EXPECT_EQ(Cpk({"cat", archive, "lzo/f3"}).out, Noise(3000, 3));
    EXPECT_EQ(Cpk({"check", archive}).code, 0);
    EXPECT_FALSE(platform::Exists(dir / "game.cpk.compact"));
    BlockPool pool;
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(dir / "game.cpk", CPKOpenMode::kReadOnly), 1);
    EXPECT_EQ(vfs.Header().freeCount, 0u);
    EXPECT_EQ(vfs.Header().usedCount, vfs.Header().liveCount);
    // Nothing but the header, the entries and the table is left.
    uint64_t bytes = kCpkHeaderSize + uint64_t{vfs.Header().capacity} * kCpkEntrySize;
    for (uint32_t i = 0; i < vfs.Header().usedCount; ++i) {
        bytes += vfs.EntryAt(static_cast<int>(i)).storedSize +
                 vfs.EntryAt(static_cast<int>(i)).trailerSize;
    }
    EXPECT_EQ(platform::FileSize(dir / "game.cpk").value(), bytes);
    EXPECT_LT(bytes, before);
}

TEST_F(CpkToolTest, ReadingCommandsWorkOnAnArchiveThatCannotBeWritten) {
    WriteFile(dir / "f.txt", "contents");
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "f.txt"), "--as", "d/f.txt"}).code, 0);
    ASSERT_TRUE(platform::SetReadOnly(dir / "game.cpk", true));
    // As the game holds its archives: reading, and letting others read only.
    auto game = platform::File::Open(dir / "game.cpk", platform::Access::kRead,
                                     platform::kShareRead, platform::Disposition::kOpenExisting);
    ASSERT_TRUE(game);
    EXPECT_EQ(Cpk({"ls", archive}).out, "d\\\nd\\f.txt\n");
    EXPECT_EQ(Cpk({"cat", archive, "d/f.txt"}).out, "contents");
    EXPECT_EQ(Cpk({"check", archive}).code, 0);
    EXPECT_EQ(Cpk({"info", archive}).code, 0);
    Outcome r = Cpk({"extract", archive, "-C", Arg(dir / "out")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "out\\d\\f.txt"), "contents");
    game->Close();
    ASSERT_TRUE(platform::SetReadOnly(dir / "game.cpk", false));
}

TEST_F(CpkToolTest, AnAddThatFailsHalfwayLeavesTheArchiveAsItWas) {
    for (int i = 0; i < 40; ++i) {
        WriteFile(dir / ("src\\f" + std::to_string(i)), Noise(20000, static_cast<uint32_t>(i)));
    }
    WriteFile(dir / "one.txt", "one");
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "one.txt")}).code, 0);
    const std::string before = ReadFile(dir / "game.cpk");
    // A disk that fills up while the files go in.
    testsupport::FaultyDisk disk;
    disk.SetSpace(300000);
    Outcome r = Cpk({"add", archive, Arg(dir / "src")}, disk);
    EXPECT_EQ(r.code, 1);
    const std::string full =
        platform::GbkToUtf8(platform::Error{platform::ErrorDiskFull()}.Message());
    EXPECT_NE(r.err.find(": " + full + "; the archive is unchanged"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cannot add " + Arg(dir / "src\\f")), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir / "game.cpk"), before);
    EXPECT_EQ(Cpk({"ls", archive}).out, "one.txt\n");
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "src")}).code, 0);  // with room it goes in
    EXPECT_EQ(Cpk({"cat", archive, "src/f39"}).out, Noise(20000, 39));
}

// Every add that would leave an archive its own check refuses, or read
// for ever, is refused with the reason; the archive stays as it was.
TEST_F(CpkToolTest, AddRefusesWhatWouldBreakTheArchive) {
    WriteFile(dir / "new.txt", "new");
    WriteFile(dir / "src\\a\\b.txt", "b");
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "new.txt"), "--as", "f.txt"}).code, 0);
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "src")}).code, 0);
    WriteFile(dir / "tree\\0new\\n.txt", "n");
    WriteFile(dir / "tree\\a\\b.txt\\c", "c");
    WriteFile(dir / "gap.bin", Noise(4000, 3));
    ASSERT_EQ(Cpk({"add", archive, Arg(dir / "gap.bin")}).code, 0);
    ASSERT_EQ(Cpk({"rm", archive, "gap.bin"}).code, 0);  // free space inside
    const std::string before = ReadFile(dir / "game.cpk");
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"add", archive, Arg(dir / "new.txt"), "--as", "f.txt/x"}, "f.txt is a file"},
        {{"add", archive, Arg(dir / "new.txt"), "--as", "SRC"}, "src is a folder"},
        {{"add", archive, Arg(dir / "new.txt"), "--as", "src/a/b.txt/c"},
         "src\\a\\b.txt is a file"},
        // A new folder sorts before the one that meets the file: nothing
        // of the tree is written, not even into the archive's free space.
        {{"add", archive, Arg(dir / "tree"), "--as", "src"}, "src\\a\\b.txt is a file"},
        {{"add", archive, archive}, "is the archive itself"},
        {{"add", archive, Arg(dir / "new.txt"), "--as", "\xF0\x9F\x98\x80.txt"},
         "cannot be stored in an archive"},
    };
    for (const Case& c : cases) {
        Outcome r = Cpk(c.args);
        EXPECT_EQ(r.code, 1) << c.args.back();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args.back() << ": " << r.err;
        EXPECT_EQ(ReadFile(dir / "game.cpk"), before) << c.args.back();
    }
    Outcome r = Cpk({"check", archive});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Cpk({"ls", archive}).out, "f.txt\nsrc\\\nsrc\\a\\\nsrc\\a\\b.txt\n");
}

// A folder that holds the archive being filled: the archive is skipped, not
// read into itself.
TEST_F(CpkToolTest, AnArchiveInsideTheFolderAddedIsNotAddedToItself) {
    WriteFile(dir / "self\\q.txt", "q");
    const std::string inner = Arg(dir / "self\\self.cpk");
    Outcome r = Cpk({"add", inner, Arg(dir / "self")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("skipped, it is the archive itself"), std::string::npos) << r.err;
    EXPECT_EQ(Cpk({"ls", inner}).out, "self\\\nself\\q.txt\n");
    EXPECT_EQ(Cpk({"check", inner}).code, 0);
}

// A command that fails leaves no archive it created, and says why in one
// line: no box dump with a source file and line.
TEST_F(CpkToolTest, AFailedCommandLeavesNoNewArchiveAndSaysWhyInOneLine) {
    WriteFile(dir / "ok.txt", "ok");
    WriteFile(dir / "short.cpk", std::string(10, 'x'));
    const std::string fresh = Arg(dir / "fresh.cpk");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"add", fresh, Arg(dir / "ok.txt"), Arg(dir / "none.txt")},
          std::vector<std::string>{"add", fresh, Arg(dir / "ok.txt"), "--as", "a\\..\\..\\b"},
          std::vector<std::string>{"add", fresh, Arg(dir / "ok.txt"), "--method", "zip"}}) {
        Outcome r = Cpk(args);
        EXPECT_EQ(r.code, 1) << args.back();
        EXPECT_FALSE(platform::Exists(dir / "fresh.cpk")) << args.back();
    }
    Outcome r = Cpk({"ls", Arg(dir / "short.cpk")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "cpk: " + Arg(dir / "short.cpk") +
                         ": not a CPK archive: 10 bytes, shorter than an archive header\n");
}

// Random sequences of add (files and folders, over files and folders
// already there), rm and compact: whatever each command answers, the
// archive afterwards is one its own check accepts, and a command that fails
// leaves it byte for byte as it was.
TEST_F(CpkToolTest, RandomAddsRemovesAndCompactsNeverLeaveAnArchiveCheckRefuses) {
    std::mt19937 random(testsupport::TestSeed("cpk add/rm/compact"));
    const char* const names[] = {"a", "b", "c.txt", "D.dat", "e"};
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    // An inner path of one to three parts from a small set, so that paths
    // meet each other: a file where a folder was, a folder under a file.
    auto innerPath = [&] {
        std::string path;
        for (size_t parts = 1 + pick(3); parts > 0; --parts) {
            path += (path.empty() ? "" : (pick(2) ? "/" : "\\")) + std::string(names[pick(5)]);
        }
        return path;
    };
    // A small tree on disk: files and folders under one folder.
    int trees = 0;
    auto makeTree = [&] {
        const std::string root = dir / ("tree" + std::to_string(trees++));
        EXPECT_TRUE(platform::CreateDirectory(root));
        for (size_t i = 1 + pick(4); i > 0; --i) {
            std::string inner = root;
            for (size_t depth = pick(3); depth > 0; --depth) {
                inner += "\\" + std::string(names[pick(5)]);
                if (platform::Exists(inner) && !platform::IsDirectory(inner)) {
                    break;
                }
                (void)platform::CreateDirectory(inner);
            }
            const std::string file = inner + "\\" + names[pick(5)] + std::to_string(i);
            if (platform::IsDirectory(inner) && !platform::Exists(file)) {
                WriteFile(file, Noise(pick(3000), static_cast<uint32_t>(i)));
            }
        }
        return root;
    };
    WriteFile(dir / "one.bin", Noise(5000, 7));
    ASSERT_EQ(Cpk({"create", archive}).code, 0);
    int failed = 0;
    for (int step = 0; step < 100; ++step) {
        std::vector<std::string> args;
        switch (pick(6)) {
            case 0:
            case 1:
                args = {"add", archive, Arg(dir / "one.bin"), "--as", innerPath()};
                break;
            case 2:
                args = {"add", archive, Arg(makeTree()), "--as", innerPath()};
                break;
            case 3:
                args = {"add", archive, Arg(makeTree())};
                break;
            case 4:
                args = {"rm", archive, innerPath()};
                break;
            default:
                args = {"compact", archive};
                break;
        }
        if (pick(3) == 0 && args[0] == "add") {
            args.push_back("--method");
            args.push_back(pick(2) ? "lzss" : "lzo");
        }
        std::string shown;
        for (const std::string& a : args) {
            shown += a + " ";
        }
        const std::string before = ReadFile(dir / "game.cpk");
        Outcome r = Cpk(args);
        if (r.code != 0) {
            ++failed;
            ASSERT_EQ(ReadFile(dir / "game.cpk"), before)
                << "step " << step << ": " << shown << "\n"
                << r.err;
        }
        Outcome checked = Cpk({"check", archive});
        ASSERT_EQ(checked.code, 0) << "step " << step << ": " << shown << "\n" << checked.out;
        if (step % 10 == 9) {
            // What check accepts, extract walks to the end.
            ASSERT_EQ(Cpk({"extract", archive, "-C", Arg(dir / ("x" + std::to_string(step)))}).code,
                      0)
                << "step " << step << ": " << shown;
        }
    }
    // Both kinds of outcome were met.
    EXPECT_GT(failed, 0);
    EXPECT_LT(failed, 100);
}

#ifndef _WIN32
// A pipe would be read for ever, and a name GBK cannot hold would go in as
// "?": both are refused, and the new archive goes with the failure.
TEST_F(CpkToolTest, PipesAndNamesGbkCannotHoldAreRefused) {
    const std::string folder = platform::NativePath(dir.path());
    ASSERT_EQ(mkfifo((folder + "/pipe").c_str(), 0600), 0);
    Outcome r = Cpk({"add", archive, folder + "/pipe"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    EXPECT_FALSE(platform::Exists(dir / "game.cpk"));

    ASSERT_TRUE(platform::CreateDirectory(dir / "emoji"));
    const std::string smile = "\xF0\x9F\x98\x80.txt";
    std::FILE* f = std::fopen((folder + "/emoji/" + smile).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    for (const std::string& source : {folder + "/emoji", folder + "/emoji/" + smile}) {
        r = Cpk({"add", archive, source});
        EXPECT_EQ(r.code, 1) << source;
        EXPECT_NE(r.err.find("cannot be stored in an archive"), std::string::npos) << r.err;
        EXPECT_FALSE(platform::Exists(dir / "game.cpk"));
    }
}
#endif

}  // namespace
