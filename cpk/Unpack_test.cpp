#include "cpk/Unpack.h"

#include <gtest/gtest.h>

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

std::string Text(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    std::string s(size, ' ');
    for (char& c : s) {
        c = static_cast<char>('a' + rng() % 20);
    }
    return s;
}

// Records progress; can set the stop flag after a number of reports.
class Recorder : public UnpackEvents {
public:
    explicit Recorder(UnpackContext& context) : context_(context) {}
    void Progress(uint32_t bar, uint32_t percent) override {
        EXPECT_EQ(bar, kUpdateBar);
        percents.push_back(percent);
        if (stopAfter > 0 && percents.size() == stopAfter) {
            context_.stopFlag.store(1);
        }
    }
    std::vector<uint32_t> percents;
    size_t stopAfter = 0;

private:
    UnpackContext& context_;
};

std::map<std::string, std::string> Entries(const std::string& path, BlockPool& pool) {
    return testsupport::ReadArchiveTree(path, pool);
}

class UnpackTest : public ::testing::Test {
protected:
    TempDir dir;
    BlockPool pool;
    platform::ScriptedMessageBoxes boxes;
    testsupport::FaultyDisk disk;
    UnpackContext context;
    Recorder events{context};
    std::string game = dir / "game";
    std::string package = dir / "patch.cpk";

    void SetUp() override {
        ASSERT_TRUE(platform::CreateDirectory(game));
        context.events = &events;
        context.executableName = "Drevik.exe";
        context.gameFolder = game;
    }

    // Builds the package from (inner path, contents, method) items.
    struct Item {
        std::string path;
        std::string contents;
        uint16_t method = kMethodStored;
        bool windowed = false;
    };
    void MakePackage(const std::vector<Item>& items, const std::vector<std::string>& dirs = {}) {
        (void)platform::DeleteFile(package);
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(package), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (const Item& item : items) {
            ASSERT_EQ(AddEntryFromBuffer(vfs, item.path, item.contents.data(),
                                         static_cast<uint32_t>(item.contents.size()), item.method,
                                         item.windowed),
                      1)
                << item.path;
        }
        for (const std::string& d : dirs) {
            uint32_t parent = 0;
            for (const std::string& part : cpkpath::Split(d)) {
                parent = vfs.AddDirectory(part, parent);
            }
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
    }

    // Applies the package as the update driver does; answers the walk's result.
    int Apply(uint32_t* counterOut = nullptr) {
        CPKVfs source(pool, disk);
        CPKVfs target(pool, disk);
        context.disk = &disk;
        EXPECT_EQ(source.Open(package, CPKOpenMode::kReadOnly), 1);
        context.total = source.Header().liveCount;
        uint32_t counter = 0;
        const int result = UnpackDirectory(context, 0, counter, source, target);
        if (counterOut != nullptr) {
            *counterOut = counter;
        }
        return result;
    }
};

TEST(SplitArchivePath, TheFirstArchiveComponentSplitsThePath) {
    std::string archive = "untouched", inner = "untouched";
    EXPECT_EQ(SplitArchivePath("data\\scene.cpk\\tex\\a.dds", archive, inner), 1);
    EXPECT_EQ(archive, "data\\scene.cpk");
    EXPECT_EQ(inner, "tex\\a.dds");
    EXPECT_EQ(SplitArchivePath("Data\\Scene.CPK\\x\\in.cpk\\y", archive, inner), 1);
    EXPECT_EQ(archive, "Data\\Scene.CPK");
    EXPECT_EQ(inner, "x\\in.cpk\\y");
    EXPECT_EQ(SplitArchivePath("a.cpk\\b", archive, inner), 1);  // backslash at position 5
    EXPECT_EQ(archive, "a.cpk");
    archive = inner = "untouched";
    for (const char* no : {"data\\scene.cpk", ".cpk\\a", "x.cpkz\\y", "x.cp\\k", ""}) {
        EXPECT_EQ(SplitArchivePath(no, archive, inner), 0) << no;
    }
    // Only the first 500 characters are looked at.
    EXPECT_EQ(SplitArchivePath(std::string(500, 'd') + ".cpk\\a", archive, inner), 0);
    EXPECT_EQ(archive, "untouched");
    EXPECT_EQ(inner, "untouched");
}

TEST(ResumeIndex, IsKeptInUnpackLogUntilItIsZero) {
    TempDir dir;
    EXPECT_EQ(ReadResumeIndex(dir.path()), 0);
    EXPECT_EQ(WriteResumeIndex(0, dir.path()), 1);  // nothing to delete
    ASSERT_EQ(WriteResumeIndex(3, dir.path()), 1);
    EXPECT_EQ(ReadResumeIndex(dir.path()), 3);
    const std::string file = ReadFile(dir / "unpack_log.ini");
    EXPECT_NE(file.find("[config]"), std::string::npos) << file;
    EXPECT_NE(file.find("nIndex=3"), std::string::npos) << file;
    ASSERT_EQ(WriteResumeIndex(0, dir.path()), 1);
    EXPECT_FALSE(platform::Exists(dir / "unpack_log.ini"));
    EXPECT_EQ(ReadResumeIndex(dir.path()), 0);
}

// An index belongs to one update: another update's, or one stored without
// a name, does not make the next update skip its packages.
TEST(ResumeIndex, AppliesOnlyToTheUpdateItWasStoredFor) {
    TempDir dir;
    ASSERT_EQ(WriteResumeIndex(2, dir.path(), "103 aa"), 1);
    EXPECT_EQ(ReadResumeIndex(dir.path(), "103 aa"), 2);
    EXPECT_EQ(ReadResumeIndex(dir.path(), "104 aa"), 0);
    EXPECT_EQ(ReadResumeIndex(dir.path(), "103 bb"), 0);
    EXPECT_EQ(ReadResumeIndex(dir.path()), 2);      // the file keeps its form
    ASSERT_EQ(WriteResumeIndex(1, dir.path()), 1);  // no name
    EXPECT_EQ(ReadResumeIndex(dir.path(), "103 aa"), 0);
    ASSERT_EQ(WriteResumeIndex(0, dir.path(), "103 aa"), 1);
    EXPECT_FALSE(platform::Exists(dir / "unpack_log.ini"));
}

TEST_F(UnpackTest, FoldersLooseFilesAndArchivesLandInTheGameFolder) {
    const std::string big = Text(1, (9u << 20) + 123);  // three windows
    const std::string gbk = platform::Utf8ToGbk("地图\\说明.txt");
    MakePackage(
        {
            {"updagte.ini", "[server]\r\n"},
            {"Drevik.exe", "new patcher"},
            {"bin\\tool.dat", Text(2, 5000), kMethodLzo},
            {"bin\\big.bin", big, kMethodStored, true},
            {gbk, "gbk", kMethodLzss},
            {"data\\scene.cpk\\tex\\a.dds", Text(3, 7000), kMethodLzo},
            {"data\\scene.cpk\\b.txt", "b", kMethodStored},
            {"data\\sub\\new.cpk\\deep\\c.bin", Text(4, 100), kMethodStored},
        },
        {"empty\\folder", "data\\scene.cpk\\v1.2"});
    uint32_t counter = 0;
    ASSERT_EQ(Apply(&counter), 1);
    EXPECT_EQ(counter, context.total);
    EXPECT_EQ(ReadFile(game + "\\updagte.ini"), "[server]\r\n");
    EXPECT_EQ(context.serverListChangedSeen.load(), 1);
    EXPECT_EQ(ReadFile(game + "\\download\\Drevik.exe"), "new patcher");
    EXPECT_FALSE(platform::Exists(game + "\\Drevik.exe"));
    EXPECT_EQ(context.selfUpdatePending.load(), 1);
    EXPECT_EQ(ReadFile(game + "\\bin\\tool.dat"), Text(2, 5000));
    EXPECT_EQ(ReadFile(game + "\\bin\\big.bin"), big);
    EXPECT_EQ(ReadFile(game + "\\" + gbk), "gbk");
    EXPECT_TRUE(platform::IsDirectory(game + "\\empty\\folder"));
    // A ".cpk" directory is an archive, created with its folders when new.
    EXPECT_FALSE(platform::IsDirectory(game + "\\data\\scene.cpk"));
    const auto scene = Entries(game + "\\data\\scene.cpk", pool);
    EXPECT_EQ(scene.at("tex\\a.dds"), Text(3, 7000));
    EXPECT_EQ(scene.at("b.txt"), "b");
    EXPECT_EQ(scene.at("v1.2"),
              testsupport::kDirectoryMark);  // a dotted directory, empty, is made too
    EXPECT_EQ(Entries(game + "\\data\\sub\\new.cpk", pool).at("deep\\c.bin"), Text(4, 100));
    EXPECT_EQ(CheckArchive(game + "\\data\\scene.cpk"), std::vector<std::string>{});
    // Progress after every file, ending at 100.
    ASSERT_FALSE(events.percents.empty());
    EXPECT_EQ(events.percents.back(), 100u);
    EXPECT_TRUE(std::is_sorted(events.percents.begin(), events.percents.end()));
    EXPECT_EQ(boxes.count(), 0u);
}

// The own name in another letter case is the running program too (on
// Windows it is the same file): it waits in download\ under the program's
// own spelling. Below the root the name is just a file.
TEST_F(UnpackTest, TheOwnNameInAnyCaseAtTheRootGoesToDownload) {
    MakePackage({{"drevik.EXE", "same name, other case"}, {"bin\\Drevik.exe", "not the root"}});
    ASSERT_EQ(Apply(), 1);
    EXPECT_FALSE(platform::Exists(game + "\\drevik.EXE"));
    EXPECT_EQ(ReadFile(game + "\\download\\Drevik.exe"), "same name, other case");
    EXPECT_EQ(ReadFile(game + "\\bin\\Drevik.exe"), "not the root");
    EXPECT_EQ(context.selfUpdatePending.load(), 1);
    EXPECT_EQ(context.serverListChangedSeen.load(), 0);
}

TEST_F(UnpackTest, MergingReplacesAddsAndKeepsTheRestAndTwiceChangesNothing) {
    {
        CPKVfs vfs(pool);
        ASSERT_TRUE(platform::CreateDirectory(game + "\\Data"));
        ASSERT_EQ(vfs.Create(game + "\\Data\\Scene.CPK"), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "tex\\a.dds", "old a", 5, kMethodStored, false), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "keep.txt", "kept", 4, kMethodStored, false), 1);
    }
    // Named in another letter case than the archive on disk.
    MakePackage({{"data\\scene.cpk\\tex\\a.dds", "new a", kMethodLzss},
                 {"data\\scene.cpk\\more\\m.txt", "more", kMethodStored}});
    ASSERT_EQ(Apply(), 1);
    const std::string archive = game + "\\Data\\Scene.CPK";
    auto entries = Entries(archive, pool);
    EXPECT_EQ(entries.at("tex\\a.dds"), "new a");
    EXPECT_EQ(entries.at("keep.txt"), "kept");
    EXPECT_EQ(entries.at("more\\m.txt"), "more");
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Open(archive, CPKOpenMode::kReadOnly), 1);
        EXPECT_EQ(vfs.Header().freeCount, 1u);  // the replaced entry's space
    }
    EXPECT_EQ(CheckArchive(archive), std::vector<std::string>{});
    // The same package again finds every entry in place: not a byte moves.
    const std::string once = ReadFile(archive);
    ASSERT_EQ(Apply(), 1);
    EXPECT_EQ(ReadFile(archive), once);
}

TEST_F(UnpackTest, FilesOfFoldersInterleavedInThePackageLandEachInItsOwnFolder) {
    // Written folder after folder in turn, as a package builder may: the
    // merge takes them in that order, and each must still find its folder.
    std::vector<Item> items;
    std::map<std::string, std::string> expected;
    for (int i = 0; i < 40; ++i) {
        const std::string folder = i % 5 == 4 ? "d1\\deep" : "d" + std::to_string(i % 4);
        const std::string inner = folder + "\\f" + std::to_string(i) + ".bin";
        items.push_back({"data\\x.cpk\\" + inner, Text(static_cast<uint32_t>(i), 100 + 50 * i)});
        expected[platform::GbkToLowerAscii(inner)] = items.back().contents;
    }
    MakePackage(items, {"data\\x.cpk\\empty"});
    uint32_t counter = 0;
    ASSERT_EQ(Apply(&counter), 1);
    const std::string archive = game + "\\data\\x.cpk";
    auto entries = Entries(archive, pool);
    for (const auto& file : expected) {
        EXPECT_EQ(entries[file.first], file.second) << file.first;
    }
    EXPECT_EQ(entries.at("empty"), "<directory>");
    EXPECT_EQ(entries.at("d1\\deep"), "<directory>");
    EXPECT_EQ(CheckArchive(archive), std::vector<std::string>{});
    // Every live entry of the package was counted once.
    CPKVfs source(pool);
    ASSERT_EQ(source.Open(package, CPKOpenMode::kReadOnly), 1);
    EXPECT_EQ(counter, source.Header().liveCount);
    EXPECT_EQ(events.percents.back(), 100u);
}

TEST_F(UnpackTest, TheStopFlagEndsTheWalkAndKeepsWhatWasMerged) {
    std::vector<Item> items;
    for (int i = 0; i < 6; ++i) {
        items.push_back(
            {"data\\a.cpk\\f" + std::to_string(i), Text(static_cast<uint32_t>(i), 300)});
    }
    items.push_back({"loose.txt", "loose"});
    MakePackage(items);
    events.stopAfter = 2;  // the dialog presses stop after two files
    ASSERT_EQ(Apply(), 0);
    const auto merged = Entries(game + "\\data\\a.cpk", pool);
    // Two files, whichever the table lists first, and each whole.
    ASSERT_EQ(merged.size(), 2u);
    for (const auto& entry : merged) {
        EXPECT_EQ(entry.second, Text(static_cast<uint32_t>(entry.first[1] - '0'), 300));
    }
    EXPECT_FALSE(platform::Exists(game + "\\loose.txt"));
    EXPECT_EQ(events.percents.size(), 2u);

    // Stopped from the start: nothing is written at all.
    TempDir other;
    context.gameFolder = other.path();
    ASSERT_EQ(Apply(), 0);
    EXPECT_FALSE(platform::Exists(other / "data"));
    EXPECT_FALSE(platform::Exists(other / "loose.txt"));
}

TEST_F(UnpackTest, PathsThatLeaveTheGameFolderAreRefused) {
    const char* evil[] = {"..\\escaped.txt", "a\\..\\..\\escaped.txt",
                          "c:\\escaped.txt", "x\\.. \\..\\escaped.txt",
                          "nul.txt",         "..\\escaped.cpk\\e.txt"};
    for (const char* path : evil) {
        MakePackage({{"first.txt", "1"}, {path, "bad"}});
        const size_t asked = boxes.count();
        EXPECT_EQ(Apply(), 0) << path;
        ASSERT_EQ(boxes.count(), asked + 1) << path;
        EXPECT_NE(boxes.asked().back().text.find("outside the game folder"), std::string::npos);
        EXPECT_FALSE(platform::Exists(dir / "escaped.txt")) << path;
        EXPECT_FALSE(platform::Exists(dir / "escaped.cpk")) << path;
    }
    // Nothing but the game folder and the package beside it.
    auto listed = platform::ListDirectory(dir.path());
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->size(), 2u);
}

TEST_F(UnpackTest, AFileThatCannotBeCreatedIsRetriedSkippedOrStopsAll) {
    MakePackage({{"blocked\\f.txt", "f"}, {"z.txt", "z"}});
    // A folder where the file should go: it cannot be replaced.
    ASSERT_TRUE(platform::CreateDirectory(game + "\\blocked"));
    ASSERT_TRUE(platform::CreateDirectory(game + "\\blocked\\f.txt"));
    ASSERT_TRUE(platform::CreateDirectory(game + "\\blocked\\f.txt\\inside"));
    boxes.Answer(platform::kIdOk);      // "fail to delete file:..."
    boxes.Answer(platform::kIdRetry);   // "fail to create file"
    boxes.Answer(platform::kIdOk);      // "fail to delete file:..."
    boxes.Answer(platform::kIdIgnore);  // skipped
    ASSERT_EQ(Apply(), 1);
    EXPECT_EQ(ReadFile(game + "\\z.txt"), "z");
    std::vector<std::string> texts;
    for (const auto& a : boxes.asked()) {
        texts.push_back(a.text);
    }
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(
        texts[1].rfind(
            "fail to create file\n" + platform::NativePath(game + "\\blocked\\f.txt") + "\n", 0),
        0u)
        << texts[1];
    EXPECT_EQ(boxes.asked()[1].type, platform::kMbAbortRetryIgnore);
    // Skipped is not written: the owner learns which file the update lacks.
    EXPECT_EQ(context.skipped, std::vector<std::string>{"blocked\\f.txt"});
    context.skipped.clear();

    (void)platform::DeleteFile(game + "\\z.txt");
    boxes.Answer(platform::kIdOk);
    boxes.Answer(platform::kIdAbort);  // the whole unpacking stops
    EXPECT_EQ(Apply(), 0);
    EXPECT_FALSE(platform::Exists(game + "\\z.txt"));
    EXPECT_EQ(context.failedPath, game + "\\blocked\\f.txt");

    // A box that could not be shown answers 0: that stops too, instead of
    // asking again for ever.
    const size_t asked = boxes.count();
    boxes.Answer(platform::kIdOk);
    boxes.Answer(0);
    EXPECT_EQ(Apply(), 0);
    EXPECT_EQ(boxes.count(), asked + 2);
    EXPECT_FALSE(platform::Exists(game + "\\z.txt"));
}

// A game archive that cannot be opened is not skipped: the walk stops there
// and names it, so that the update does not claim a version the archive
// does not hold. Entries that cannot be read are named as skipped.
TEST_F(UnpackTest, AnArchiveThatCannotBeOpenedStopsTheWalkAndIsNamed) {
    WriteFile(game + "\\data\\scene.cpk", "not an archive at all, damaged");
    MakePackage({{"data\\scene.cpk\\tex\\a.dds", "a"}, {"z.txt", "z"}});
    EXPECT_EQ(Apply(), 0);
    EXPECT_EQ(context.failedPath, game + "\\data\\scene.cpk");
    EXPECT_EQ(ReadFile(game + "\\data\\scene.cpk"), "not an archive at all, damaged");
    EXPECT_FALSE(boxes.asked().empty());  // the archive layer said why
}

TEST_F(UnpackTest, AMergeThatFailsLeavesTheArchiveAsItWas) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(game + "\\a.cpk"), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "old", "old", 3, kMethodStored, false), 1);
    }
    const std::string before = ReadFile(game + "\\a.cpk");
    std::vector<Item> items;
    for (int i = 0; i < 20; ++i) {
        items.push_back({"a.cpk\\n" + std::to_string(i), Text(static_cast<uint32_t>(i), 50000)});
    }
    MakePackage(items);
    disk.SetSpace(400000);
    const int result = Apply();
    disk.SetSpace(testsupport::FaultyDisk::kUnlimited);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(game + "\\a.cpk"), before);
    ASSERT_EQ(Apply(), 1);  // with room it goes in
    EXPECT_EQ(Entries(game + "\\a.cpk", pool).size(), 21u);
}

// The machine's disk, counting the flushes made through it.
class CountingDisk : public DiscIOMgr::Disk {
public:
    platform::Status Flush(platform::File& file) override {
        ++flushes;
        return Disk::Flush(file);
    }
    int flushes = 0;
};

TEST_F(UnpackTest, AMergeOfManyNewEntriesMovesTheTableOnce) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(game + "\\a.cpk"), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "old", "old", 3, kMethodStored, false), 1);
    }
    // Enough records to grow the archive's table by several steps.
    std::vector<Item> items;
    for (int i = 0; i < 12000; ++i) {
        items.push_back({"a.cpk\\d" + std::to_string(i % 50) + "\\f" + std::to_string(i),
                         Text(static_cast<uint32_t>(i), 40)});
    }
    MakePackage(items);
    CountingDisk counting;
    {
        CPKVfs source(pool);
        CPKVfs target(pool, counting);
        ASSERT_EQ(source.Open(package, CPKOpenMode::kReadOnly), 1);
        context.total = source.Header().liveCount;
        uint32_t counter = 0;
        ASSERT_EQ(UnpackDirectory(context, 0, counter, source, target), 1);
    }
    // The committed table is moved out of the way once (a flush before and
    // after its header), and the commit flushes before and after its own.
    EXPECT_EQ(counting.flushes, 4);
    const auto entries = Entries(game + "\\a.cpk", pool);
    EXPECT_EQ(entries.size(), 1u + 50u + 12000u);
    EXPECT_EQ(entries.at("d7\\f11957"), Text(11957, 40));
    EXPECT_EQ(CheckArchive(game + "\\a.cpk"), std::vector<std::string>{});
}

}  // namespace
