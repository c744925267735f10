// The undo journal with the real unpack walk: packages applied to a game
// folder of loose files and archives, then rolled back (after a failure, a
// stop, a kill and a journal taken up again), must leave the folder byte
// for byte as it was; committed, as the update left it.
#include "cpk/UnpackJournal.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/Unpack.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "testsupport/faulty_disk.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

constexpr char kKey[] = "103 0123456789abcdef0123456789abcdef";

std::string Text(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    std::string s(size, ' ');
    for (char& c : s) {
        c = static_cast<char>(rng());
    }
    return s;
}

// Every file and folder under root, relative path -> bytes ("<dir>").
void Snapshot(const std::string& root, const std::string& relative,
              std::map<std::string, std::string>& out) {
    auto entries = platform::ListDirectory(relative.empty() ? root : root + "\\" + relative);
    ASSERT_TRUE(entries);
    for (const platform::DirEntry& e : *entries) {
        const std::string rel = relative.empty() ? e.name : relative + "\\" + e.name;
        if (rel == "download") {
            continue;  // the patcher's scratch folder, the journal's home
        }
        if (e.isDirectory) {
            out[rel] = "<dir>";
            Snapshot(root, rel, out);
        } else {
            out[rel] = ReadFile(root + "\\" + rel);
        }
    }
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    Snapshot(root, "", out);
    return out;
}

std::string Difference(const std::map<std::string, std::string>& want,
                       const std::map<std::string, std::string>& got) {
    std::string out;
    for (const auto& [path, bytes] : want) {
        auto it = got.find(path);
        out += it == got.end()       ? "missing " + path + "\n"
               : it->second != bytes ? "differs " + path + "\n"
                                     : "";
    }
    for (const auto& entry : got) {
        out += want.count(entry.first) == 0 ? "extra " + entry.first + "\n" : "";
    }
    return out;
}

class UnpackJournalTest : public ::testing::Test {
protected:
    TempDir dir;
    BlockPool pool;
    platform::ScriptedMessageBoxes boxes;
    testsupport::FaultyDisk disk;
    std::string game = dir / "game";
    std::string undo = game + "\\download\\undo";

    void SetUp() override {
        // The game before the update: loose files (one read-only), an
        // archive whose entries the packages replace, so that new bytes
        // land in blocks the old ones freed, and one they leave alone.
        WriteFile(game + "\\readme.txt", "version 100");
        WriteFile(game + "\\bin\\tool.dat", Text(1, 3000));
        ASSERT_TRUE(platform::SetReadOnly(game + "\\bin\\tool.dat", true));
        WriteFile(game + "\\data\\ui.cpk", "untouched bytes");
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(game + "\\data\\scene.cpk"), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (int i = 0; i < 8; ++i) {
            const std::string body = Text(10 + static_cast<uint32_t>(i), 20000);
            ASSERT_EQ(AddEntryFromBuffer(vfs, "tex\\" + std::to_string(i) + ".dds", body.data(),
                                         static_cast<uint32_t>(body.size()), kMethodStored, false),
                      1);
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
        vfs.Close();
    }

    std::string Package(const std::string& name,
                        const std::vector<std::pair<std::string, std::string>>& items) {
        const std::string path = dir / name;
        CPKVfs vfs(pool);
        EXPECT_EQ(vfs.Create(path), 1);
        EXPECT_EQ(vfs.BeginBatch(), 1);
        for (const auto& [inner, body] : items) {
            EXPECT_EQ(AddEntryFromBuffer(vfs, inner, body.data(),
                                         static_cast<uint32_t>(body.size()), kMethodLzo, false),
                      1);
        }
        EXPECT_EQ(vfs.CommitBatch(), 1);
        return path;
    }

    // Two packages: the second replaces again what the first replaced, in
    // the loose files and in the archive.
    std::vector<std::string> TwoPackages() {
        return {Package("p101.cpk", {{"readme.txt", "version 101"},
                                     {"bin\\tool.dat", "tool 101"},
                                     {"maps\\new\\m.dat", Text(2, 5000)},
                                     {"data\\scene.cpk\\tex\\1.dds", Text(3, 20000)},
                                     {"data\\scene.cpk\\tex\\9.dds", Text(4, 30000)},
                                     {"data\\sound\\bgm.cpk\\a.ogg", Text(5, 7000)}}),
                Package("p102.cpk", {{"readme.txt", "version 102"},
                                     {"data\\scene.cpk\\tex\\1.dds", Text(6, 9000)},
                                     {"data\\scene.cpk\\tex\\2.dds", Text(7, 15000)},
                                     {"data\\sound\\bgm.cpk\\b.ogg", Text(8, 100)}})};
    }

    // Applies packages in order with the journal; the walk's result.
    int Apply(UnpackJournal& journal, const std::vector<std::string>& packages) {
        UnpackContext context;
        context.disk = &disk;
        context.gameFolder = game;
        context.journal = &journal;
        context.total = 1;
        uint32_t counter = 0;
        for (const std::string& p : packages) {
            CPKVfs package(pool, disk);
            CPKVfs target(pool, disk);
            EXPECT_EQ(package.Open(p, CPKOpenMode::kReadOnly), 1);
            if (!UnpackDirectory(context, 0, counter, package, target)) {
                failed = context.failedPath;
                return 0;
            }
        }
        return 1;
    }
    std::string failed;
};

TEST_F(UnpackJournalTest, ARollbackLeavesTheFolderAsItWasByteForByte) {
    const auto before = Snapshot(game);
    UnpackJournal journal(undo, game);
    ASSERT_TRUE(journal.Begin(kKey));
    ASSERT_EQ(Apply(journal, TwoPackages()), 1);
    ASSERT_EQ(ReadFile(game + "\\readme.txt"), "version 102");
    EXPECT_EQ(CheckArchive(game + "\\data\\scene.cpk"), std::vector<std::string>{});
    ASSERT_NE(Difference(before, Snapshot(game)), "");

    ASSERT_TRUE(journal.Rollback());
    EXPECT_EQ(Difference(before, Snapshot(game)), "");
    auto readOnly = platform::IsReadOnly(game + "\\bin\\tool.dat");
    EXPECT_TRUE(readOnly && *readOnly);
    EXPECT_FALSE(platform::Exists(undo));
    EXPECT_EQ(journal.PendingKey(), "");
}

TEST_F(UnpackJournalTest, ACommitKeepsTheUpdateAndForgetsWhatWasKept) {
    UnpackJournal journal(undo, game);
    ASSERT_TRUE(journal.Begin(kKey));
    ASSERT_EQ(Apply(journal, TwoPackages()), 1);
    const auto after = Snapshot(game);
    EXPECT_EQ(journal.PendingKey(), kKey);
    ASSERT_TRUE(journal.Commit());
    EXPECT_EQ(Difference(after, Snapshot(game)), "");
    EXPECT_FALSE(platform::Exists(undo));
    EXPECT_EQ(journal.PendingKey(), "");
}

// A run killed after the first package (the journal object gone without a
// word) and started again for the same update takes the journal up: a
// rollback after the second package still reaches the folder before the
// first. Another update's journal is refused until it is dealt with.
TEST_F(UnpackJournalTest, AJournalTakenUpAfterAKillStillRollsBackToTheStart) {
    const auto before = Snapshot(game);
    const std::vector<std::string> packages = TwoPackages();
    {
        UnpackJournal killed(undo, game);
        ASSERT_TRUE(killed.Begin(kKey));
        ASSERT_EQ(Apply(killed, {packages[0]}), 1);
    }
    // A line the kill cut short.
    {
        auto f = platform::File::Open(undo + "\\journal.txt", platform::Access::kReadWrite,
                                      platform::kShareRead, platform::Disposition::kOpenExisting);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->Seek(0, platform::SeekFrom::kEnd));
        ASSERT_TRUE(f->Write("file\t4", 6));
    }
    UnpackJournal other(undo, game);
    EXPECT_EQ(other.PendingKey(), kKey);
    EXPECT_EQ(UnpackJournal::KeyVersion(other.PendingKey()), 103);
    EXPECT_FALSE(other.Begin("104 ffff"));

    UnpackJournal again(undo, game);
    ASSERT_TRUE(again.Begin(kKey));
    // The first package again (a run repeats the package it was in), then
    // the second.
    ASSERT_EQ(Apply(again, packages), 1);
    ASSERT_TRUE(again.Rollback());
    EXPECT_EQ(Difference(before, Snapshot(game)), "");
}

// A disk that fills in the middle of the second package: the walk stops,
// and the rollback brings back the folder before the first, even though the
// archive's change failed half-way.
TEST_F(UnpackJournalTest, AFullDiskInTheMiddleRollsBackToTheStart) {
    const auto before = Snapshot(game);
    const std::vector<std::string> packages = TwoPackages();
    UnpackJournal journal(undo, game);
    ASSERT_TRUE(journal.Begin(kKey));
    ASSERT_EQ(Apply(journal, {packages[0]}), 1);
    boxes.Answer(platform::kIdCancel);  // the file layer asks for room
    disk.SetSpace(12000);
    const int result = Apply(journal, {packages[1]});
    disk.SetSpace(testsupport::FaultyDisk::kUnlimited);
    EXPECT_EQ(result, 0);
    EXPECT_NE(failed, "");
    ASSERT_TRUE(journal.Rollback());
    EXPECT_EQ(Difference(before, Snapshot(game)), "");
}

// The journal keeps its files where nothing is in the way; one that cannot
// be written at all does not start, so the walk never runs without it.
TEST_F(UnpackJournalTest, KeptFilesStepAroundWhatIsInTheWayAndAnUnwritableJournalStartsNothing) {
    UnpackJournal journal(undo, game);
    ASSERT_TRUE(journal.Begin(kKey));
    // The place where the old readme would be kept is taken by a folder.
    ASSERT_TRUE(platform::CreateDirectory(undo + "\\1.bak"));
    ASSERT_TRUE(platform::CreateDirectory(undo + "\\1.bak\\full"));
    const std::string p = Package("p.cpk", {{"readme.txt", "version 101"}});
    // Numbers skip what is in the way: the readme is kept as 2.bak.
    ASSERT_EQ(Apply(journal, {p}), 1);
    EXPECT_TRUE(platform::Exists(undo + "\\2.bak"));
    ASSERT_TRUE(journal.Rollback());
    EXPECT_EQ(ReadFile(game + "\\readme.txt"), "version 100");

    // A journal that cannot be written at all: nothing starts.
    WriteFile(dir / "blocked", "a file where the journal's folder would be");
    UnpackJournal blocked(dir / "blocked\\undo");
    EXPECT_FALSE(blocked.Begin(kKey));
    EXPECT_EQ(blocked.failedPath(), dir / "blocked\\undo");
}

// A journal is read back only as far as it is one we wrote: a line naming
// a path outside the game folder (or an archive longer than any) ends it,
// so that a damaged or planted journal never makes a rollback touch what
// lies outside.
TEST_F(UnpackJournalTest, AJournalNeverReachesOutsideTheGameFolder) {
    WriteFile(dir / "outside.txt", "not the game's");
    WriteFile(game + "\\inside.txt", "the game's, new");
    WriteFile(undo + "\\journal.txt", std::string("update\t") + kKey +
                                          "\nnew\tinside.txt\n"
                                          "new\t..\\outside.txt\n"
                                          "new\tinside.txt\n");
    UnpackJournal journal(undo, game);
    ASSERT_TRUE(journal.Begin(kKey));
    ASSERT_TRUE(journal.Rollback());
    EXPECT_EQ(ReadFile(dir / "outside.txt"), "not the game's");
    EXPECT_FALSE(platform::Exists(game + "\\inside.txt"));  // the line before it counts

    // Nor does a walk path outside it get kept.
    UnpackJournal fresh(undo, game);
    ASSERT_TRUE(fresh.Begin(kKey));
    EXPECT_FALSE(fresh.BeforeFile(dir / "outside.txt"));
    EXPECT_FALSE(fresh.BeforeFile(game + "\\..\\outside.txt"));
    EXPECT_TRUE(fresh.BeforeFile(game + "\\x\\y.txt"));
    ASSERT_TRUE(fresh.Commit());
}

// A disk that tells apart what reached it from what only the system holds:
// the files written through it since their last flush. The journal writes
// through one, the walk through another (the fixture's), and at every
// write, copy or cut of the walk none of the journal's files may be
// waiting: a power cut then could leave a change on the disk without what
// undoes it.
class JournalDisk : public testsupport::FaultyDisk {
public:
    platform::Result<size_t> Write(platform::File& file, const void* buffer,
                                   size_t count) override {
        ++writes;
        waiting.insert(file.native());
        return FaultyDisk::Write(file, buffer, count);
    }
    platform::Status Flush(platform::File& file) override {
        ++flushes;
        waiting.erase(file.native());
        return FaultyDisk::Flush(file);
    }
    platform::Status FlushFolder(const std::string& path) override {
        // Ahead of the journal's removal, or it would not count.
        if (!platform::Exists(journalFile)) {
            latePath = path;
        }
        folders.insert(path);
        return FaultyDisk::FlushFolder(path);
    }

    std::string journalFile;
    std::set<intptr_t> waiting;
    int writes = 0;
    int flushes = 0;
    std::set<std::string> folders;
    std::string latePath;
};

TEST_F(UnpackJournalTest, WhatUndoesAChangeReachesTheDiskBeforeTheChange) {
    const auto before = Snapshot(game);
    JournalDisk journalDisk;
    journalDisk.journalFile = undo + "\\journal.txt";
    int guardedWrites = 0;
    std::string unflushedAt;
    disk.SetObserver([&] {
        ++guardedWrites;
        if (!journalDisk.waiting.empty() && unflushedAt.empty()) {
            unflushedAt = "walk operation " + std::to_string(guardedWrites);
        }
    });
    UnpackJournal journal(undo, game, journalDisk);
    ASSERT_TRUE(journal.Begin(kKey));
    ASSERT_EQ(Apply(journal, TwoPackages()), 1);
    disk.SetObserver(nullptr);
    EXPECT_EQ(unflushedAt, "") << "journal bytes were still only in the system's hands";
    EXPECT_GT(journalDisk.writes, 5);
    EXPECT_GE(journalDisk.flushes, journalDisk.writes);
    EXPECT_GT(guardedWrites, 0);

    ASSERT_TRUE(journal.Rollback());
    EXPECT_EQ(Difference(before, Snapshot(game)), "");
    // The folders where files came back or went, flushed while the journal
    // still stood.
    EXPECT_EQ(journalDisk.latePath, "");
    EXPECT_EQ(journalDisk.folders.count(game), 1u);
    EXPECT_EQ(journalDisk.folders.count(game + "\\bin"), 1u);
    EXPECT_EQ(journalDisk.folders.count(game + "\\data"), 1u);  // data\\sound went
}

// A disk that fails a read of what the journal kept: the rollback says so
// and keeps the journal, and the next one, with the disk well again, puts
// everything back. Before that the failed read ended the rollback quietly
// as a success, and the journal was gone with half the old bytes back.
TEST_F(UnpackJournalTest, AReadThatFailsKeepsTheJournalForTheNextTry) {
    const auto before = Snapshot(game);
    const std::vector<std::string> packages = TwoPackages();
    testsupport::FaultyDisk journalDisk;
    {
        UnpackJournal journal(undo, game, journalDisk);
        ASSERT_TRUE(journal.Begin(kKey));
        ASSERT_EQ(Apply(journal, packages), 1);
        journalDisk.FailNextReads(1);
        EXPECT_FALSE(journal.Rollback());
        EXPECT_NE(journal.failedPath(), "");
        EXPECT_EQ(journal.PendingKey(), kKey);
    }
    // Taken up by the next start: a read that fails there refuses the
    // journal and cuts nothing of what it kept.
    std::string kept;
    auto files = platform::ListDirectory(undo);
    ASSERT_TRUE(files);
    for (const platform::DirEntry& e : *files) {
        if (e.name.size() > 5 && e.name.substr(e.name.size() - 5) == ".undo") {
            kept = undo + "\\" + e.name;
        }
    }
    ASSERT_NE(kept, "");
    auto undoSize = platform::FileSize(kept);
    ASSERT_TRUE(undoSize);
    ASSERT_GT(*undoSize, 0u);
    {
        UnpackJournal again(undo, game, journalDisk);
        journalDisk.FailNextReads(1);
        EXPECT_FALSE(again.Begin(kKey));
        EXPECT_EQ(*platform::FileSize(kept), *undoSize);
    }
    UnpackJournal last(undo, game, journalDisk);
    ASSERT_TRUE(last.Begin(kKey));
    ASSERT_TRUE(last.Rollback());
    EXPECT_EQ(Difference(before, Snapshot(game)), "");
    EXPECT_EQ(last.PendingKey(), "");
}

}  // namespace
