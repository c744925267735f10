// The whole update, in process: the update dialog with the real driver
// against versiond and proftpd on loopback, in a game folder of its own.
// Boxes are answered by a script and recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cpk/CPKVfs.h"
#include "cpk/Md5.h"
#include "cpk/Unpack.h"
#include "cpk/UnpackJournal.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/CUpdateDlg.h"
#include "patcher/PatchFileList.h"
#include "patcher/UpdateDriver.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "testsupport/settings_store.h"
#include "testsupport/wait.h"
#include "update_dialog.h"
#include "update_fixture.h"

namespace {

using namespace testsupport;

// The unpack walk's stand-in for the driver's own tests: counts the entries
// of the package, posts the update bar, takes a package file named like the
// patcher as a new patcher (written to download\), records which packages it
// walked, and can hold on in a package until the dialog sets stopFlag.
struct ScriptedWalk {
    std::mutex mu;
    std::vector<std::string> walked;  // package paths, in order
    std::string holdIn;               // a package path to wait in for stopFlag
    std::atomic<bool> holding{false};

    int operator()(CUpdateDlg& dialog, UpdateShared& shared, uint32_t& counter, CPKVfs& package,
                   CPKVfs&) {
        {
            std::lock_guard<std::mutex> lock(mu);
            walked.push_back(FileNamePart(package.Path()));
        }
        if (!holdIn.empty() && FileNamePart(package.Path()) == holdIn) {
            holding = true;
            // The flag is the unpacking's own: polled, as the walk polls it.
            EXPECT_TRUE(testsupport::WaitUntil([&] { return shared.unpack.stopFlag.load() != 0; }));
            return 0;
        }
        counter += package.Header().liveCount;
        uint32_t total = shared.unpack.total;
        dialog.Post(UM_PROGRESS, 1, total > 0 ? counter * 100 / total : 100);
        uint32_t n = package.ListChildFiles(0);
        std::vector<uint32_t> crcs(n);
        package.ListChildFiles(0, crcs.data(), n);
        for (uint32_t crc : crcs) {
            std::string name;
            package.GetFullPath(crc, name);
            if (name == shared.ownExeName) {
                WriteFile("download\\" + name, "new patcher");
                shared.unpack.selfUpdatePending = 1;
            }
        }
        return shared.unpack.stopFlag.load() ? 0 : 1;
    }
    std::vector<std::string> Walked() {
        std::lock_guard<std::mutex> lock(mu);
        return walked;
    }
};

class UpdateFlow : public ::testing::Test {
protected:
    void TearDown() override {
        dialog_.reset();
        PatchFiles().Clear();
    }

    void Serve(const Release& release, int rateKBps = 0, bool refuseLogins = false) {
        servers_ = std::make_unique<UpdateServers>();
        if (!servers_->Start(release, rateKBps, refuseLogins)) {
            GTEST_SKIP() << servers_->error();
        }
    }
    // A game folder at version whose update.ini names hosts as its version
    // servers (the test's versiond when none are given).
    void Game(int32_t version, std::vector<std::string> hosts = {"-"}) {
        if (hosts == std::vector<std::string>{"-"}) {
            hosts = {servers_->versionAddress()};
        }
        WriteFile(game_ / "update.ini", UpdateIni(hosts, servers_->versionPort()));
        WriteVersion(game_.path(), version);
    }

    CUpdateDlg& Open(UpdateDriverOptions o = {}) {
        if (!o.walk && !realWalk_) {
            o.walk = [this](CUpdateDlg& d, UpdateShared& s, uint32_t& c, CPKVfs& p, CPKVfs& t) {
                return (*walk_)(d, s, c, p, t);
            };
        }
        o.replyPolls = 300;
        o.serverList.settings = settings_.store();
        dialog_ =
            OpenUpdateDialog(modulePath_.empty() ? game_ / "drevik" : modulePath_, o,
                             [this](const std::string& helper, const std::vector<std::string>&) {
                                 helpers_.push_back(helper);
                                 return true;
                             });
        return *dialog_;
    }
    UpdateDriver& Driver() { return static_cast<UpdateDriver&>(dialog_->work()); }

    bool RunUntil(const std::function<bool()>& done) { return RunDialogUntil(*dialog_, done); }
    bool RunToOutcome() { return RunDialogToOutcome(*dialog_); }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& b : boxes_.asked()) {
            texts.push_back(b.text + " / " + b.caption);
        }
        return texts;
    }

    bool realWalk_ = false;   // the real unpack walk instead of walk_
    std::string modulePath_;  // the patcher's program; in the game folder when empty
    testsupport::ScopedSettingsStore settings_{"UpdateFlow"};
    TempDir game_;
    CurrentDirGuard cwd_{game_.path()};
    platform::ScriptedMessageBoxes boxes_;
    std::unique_ptr<UpdateServers> servers_;
    std::unique_ptr<CUpdateDlg> dialog_;
    std::vector<std::string> helpers_;
    std::shared_ptr<ScriptedWalk> walk_ = std::make_shared<ScriptedWalk>();
};

TEST_F(UpdateFlow, ACurrentClientLeavesEverythingAsItIs) {
    Serve(ThreePatches());
    Game(103);
    std::string before = ReadFile("version.dat");
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone);
    EXPECT_TRUE(dialog_->display().startGameEnabled);
    EXPECT_EQ(dialog_->display().statusText, GBK("更新完成,请启动游戏"));
    EXPECT_EQ(dialog_->display().versionText, "VER:1.0.103");
    EXPECT_EQ(ReadFile("version.dat"), before);
    EXPECT_FALSE(platform::Exists("download"));
    EXPECT_TRUE(boxes_.asked().empty()) << BoxTexts()[0];
    // Nothing was fetched.
    EXPECT_TRUE(servers_->ftp().WaitForSessionsToEnd());
    for (const std::string& c : servers_->ftp().Commands()) {
        EXPECT_EQ(c.find("RETR"), std::string::npos) << c;
    }
}

TEST_F(UpdateFlow, AnUnknownVersionAndAnEmptyPathAreTold) {
    Serve(ThreePatches());
    Game(99);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{std::string(GBK("版本号不正确或者服务器未找到升级路径.")) +
                                        " / " + GBK("提示")}));
    EXPECT_EQ(dialog_->updateState(), 0);

    dialog_.reset();
    WriteVersion(game_.path(), 102);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    ASSERT_EQ(boxes_.count(), 2u);
    EXPECT_EQ(BoxTexts()[1],
              std::string(GBK("错误的升级路径,没有可下载文件.")) + " / " + GBK("提示"));
    EXPECT_EQ(ReadVersion(game_.path()), 102);
}

TEST_F(UpdateFlow, AnUnreachableVersionServerLeavesTheList) {
    Serve(ThreePatches());
    std::string nobody = FreeLoopbackAddress(servers_->versionPort());
    ASSERT_NE(nobody, "");
    Game(103, {servers_->versionAddress(), nobody});
    Open();
    // The server is picked at random; try until the unreachable one was hit.
    int failures = 0;
    for (int attempt = 0; attempt < 30 && failures == 0; ++attempt) {
        ASSERT_TRUE(RunToOutcome());
        failures = static_cast<int>(boxes_.count());
        if (failures == 0) {
            dialog_->StartUpdate();
        }
    }
    ASSERT_EQ(failures, 1);
    EXPECT_EQ(BoxTexts()[0], std::string(GBK("无法连接服务器")) + " / " + GBK("提示"));
    ServerListData data = Driver().servers().Snapshot();
    EXPECT_EQ(data.versionServers, (std::vector<std::string>{servers_->versionAddress()}));
    EXPECT_EQ(data.versionServerCount, 2);  // the count stays
    // From now on only the reachable server is asked.
    for (int attempt = 0; attempt < 5; ++attempt) {
        dialog_->StartUpdate();
        ASSERT_TRUE(RunToOutcome());
        EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone);
    }
    EXPECT_EQ(boxes_.count(), 1u);
}

TEST_F(UpdateFlow, TheLastVersionServerIsTriedAgainOnceAllAreGone) {
    Serve(ThreePatches());
    std::string nobody = FreeLoopbackAddress(servers_->versionPort());
    Game(103, {nobody});
    Open();
    ASSERT_TRUE(RunToOutcome());
    dialog_->StartUpdate();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>(
                              2, std::string(GBK("无法连接服务器")) + " / " + GBK("提示"))));
    EXPECT_EQ(Driver().versionServerAddress(), nobody);
    EXPECT_TRUE(Driver().servers().Snapshot().versionServers.empty());
}

TEST_F(UpdateFlow, NoVersionServerAtAll) {
    Serve(ThreePatches());
    Game(100, {});
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(
        BoxTexts(),
        (std::vector<std::string>{std::string(GBK("连接版本检测服务器失败，请重试")) + " / "}));
    EXPECT_FALSE(boxes_.asked()[0].hasCaption);
}

TEST_F(UpdateFlow, AnFtpServerThatCannotBeReachedIsTold) {
    Release r = ThreePatches();
    std::string noFtp = FreeLoopbackAddress(21);
    r.manifest = "latest 103\nmirror * " + noFtp + "\npath 100 v100\\p101.cpk\n";
    Serve(r);
    Game(100);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{std::string(GBK("连接下载服务器失败,请重试")) +
                                                    " / " + GBK("提示")}));
    EXPECT_EQ(ReadVersion(game_.path()), 100);
}

TEST_F(UpdateFlow, AnFtpServerThatRefusesTheLoginIsTold) {
    Serve(ThreePatches(), 0, true);
    Game(101);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_EQ(dialog_->updateState(), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{std::string(GBK("连接下载服务器失败,请重试")) +
                                                    " / " + GBK("提示")}));
    EXPECT_EQ(ReadVersion(game_.path()), 101);
    EXPECT_FALSE(platform::Exists("download\\p102.cpk"));
    // The patcher did reach the server and was turned away at the login.
    EXPECT_TRUE(servers_->ftp().WaitForSessionsToEnd());
    std::vector<std::string> commands = servers_->ftp().Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "USER Anonymous"), commands.end())
        << servers_->ftp().Log();
    for (const std::string& c : commands) {
        EXPECT_EQ(c.find("RETR"), std::string::npos) << c;
    }

    // Start again: the same answer, nothing left half done.
    dialog_->StartUpdate();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_EQ(boxes_.count(), 2u);
}

TEST_F(UpdateFlow, DownloadAndUnpackRecordTheVersionAndCleanUp) {
    Serve(ThreePatches());
    Game(100);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone)
        << (BoxTexts().empty() ? "" : BoxTexts()[0]);
    EXPECT_EQ(ReadVersion(game_.path()), 103);
    EXPECT_EQ(dialog_->display().versionText, "VER:1.0.103");
    EXPECT_EQ(dialog_->display().updateBar, 100);
    EXPECT_EQ(dialog_->display().downloadBar, 100);
    EXPECT_TRUE(dialog_->display().startGameEnabled);
    // The packages are gone once unpacked.
    auto left = platform::ListDirectory("download");
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->empty());
}

// A package that brings a new update.ini with its sign "updagte.ini": once
// the real walk has written it, ServerListThread builds the list again.
TEST_F(UpdateFlow, ANewServerListIsBuiltAgainAfterItsPackage) {
    // The addresses are known before the servers start: the new list names
    // the same version server.
    servers_ = std::make_unique<UpdateServers>();
    std::string ini = servers_->GameIni();
    ini.replace(ini.find("Borough_num=1"), 13, "Borough_num=2");
    ini += "[Borough1]\r\nname=Second\r\ndianxin=2\r\nlogin_num=1\r\nip0=127.0.0.2\r\n";
    Release r = ThreePatches();
    r.files["v101\\p102.cpk"] = BuildArchive(
        {{"readme.txt", "two"}, {"update.ini", ini}, {"updagte.ini", "the list changed"}});
    if (!servers_->Start(r)) {
        GTEST_SKIP() << servers_->error();
    }
    Game(100);
    realWalk_ = true;
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone)
        << (BoxTexts().empty() ? "" : BoxTexts()[0]);
    EXPECT_EQ(ReadVersion(game_.path()), 103);
    EXPECT_EQ(ReadFile("update.ini"), ini);
    // ServerListThread builds the list only when the walk signals it.
    ASSERT_TRUE(
        RunUntil([this] { return Driver().servers().Snapshot().nameByServer.size() == 2; }));
    EXPECT_EQ(Driver().servers().Snapshot().nameByServer[1], "Second");
}

TEST_F(UpdateFlow, AStopDuringTheDownloadKeepsWhatArrivedAndTheNextRunResumes) {
    const std::string big = PatternBytes(3 << 20, 7);
    Serve(ThreePatches(big), 256);
    Game(101);
    Open();
    ASSERT_TRUE(RunUntil([this] { return dialog_->display().downloadBar >= 20; }));
    dialog_->OnUpdateButton();  // stop
    ASSERT_TRUE(RunUntil([this] { return dialog_->updateState() == 0; }));
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_TRUE(platform::Exists("download\\p102.cpk.jat"));
    EXPECT_FALSE(platform::Exists("download\\p102.cpk"));
    EXPECT_EQ(ReadVersion(game_.path()), 101);
    EXPECT_TRUE(servers_->ftp().WaitForSessionsToEnd());
    size_t before = servers_->ftp().Commands().size();

    dialog_->OnUpdateButton();  // start again
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone);
    EXPECT_EQ(ReadVersion(game_.path()), 103);
    // The second run asked for the ranges from where the first one stopped.
    std::vector<std::string> commands = servers_->ftp().Commands();
    bool resumedInside = false;
    for (size_t i = before; i < commands.size(); ++i) {
        if (commands[i].rfind("REST ", 0) == 0) {
            long offset = std::stol(commands[i].substr(5));
            long third = static_cast<long>(ThreePatches(big).files["v101\\p102.cpk"].size() / 3);
            resumedInside = resumedInside || (offset % third != 0 && offset != 100);
        }
    }
    EXPECT_TRUE(resumedInside);
    EXPECT_TRUE(boxes_.asked().empty());
}

// The game is a real process whose program path contains the game path of
// update.ini: the seam's test helper, copied into the game folder.
TEST_F(UpdateFlow, ARunningGameHoldsTheUnpackingUntilClosedOrCancelled) {
    Serve(ThreePatches());
#ifdef _WIN32
    const std::string ext = ".exe";
#else
    const std::string ext = "";
#endif
    // The id inside the name, so that no other test program's game name is a
    // part of it (nor it of theirs).
    const std::string gamePath =
        "tesmar_running_" + std::to_string(platform::CurrentProcessId()) + "_game" + ext;
    WriteFile(game_ / gamePath, ReadFile(ProgramDir() + "\\platform_test_helper" + ext));
    ASSERT_TRUE(platform::SetExecutable(game_ / gamePath));
    WriteFile(game_ / "update.ini", servers_->GameIni(gamePath));
    WriteVersion(game_.path(), 101);
    auto game = platform::StartProgram(game_ / gamePath, {"sleep", "600000"}, "");
    ASSERT_TRUE(game);

    // Retry while the game still runs asks again; Cancel gives up.
    std::vector<std::string> asked;
    std::vector<int> answers{platform::kIdRetry, platform::kIdCancel};
    std::function<void()> beforeAnswer;
    auto previous = platform::SetMessageBoxHandler(
        [&](void*, const char* text, const char* caption, uint32_t type) {
            asked.push_back(std::string(text) + (caption ? " / " + std::string(caption) : "") +
                            " " + std::to_string(type));
            if (beforeAnswer) {
                beforeAnswer();
            }
            int a = answers.empty() ? platform::kIdCancel : answers.front();
            if (!answers.empty()) {
                answers.erase(answers.begin());
            }
            return a;
        });
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_EQ(dialog_->display().statusText, GBK("更新失败,请重新更新"));
    const std::string running = std::string(GBK("游戏客户端正在运行,需先关闭,否则无法更新!")) +
                                " " + std::to_string(platform::kMbRetryCancel);
    EXPECT_EQ(asked, (std::vector<std::string>{running, running}));
    EXPECT_EQ(ReadVersion(game_.path()), 101);
    // The download stays for the next attempt.
    EXPECT_TRUE(platform::Exists("download\\p103.cpk"));

    // The player closes the game and answers Retry: the update goes on.
    asked.clear();
    answers = {platform::kIdRetry};
    beforeAnswer = [&] {
        game->Kill();
        game->Wait(-1);
    };
    dialog_->StartUpdate();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(ReadVersion(game_.path()), 103);
    dialog_.reset();
    platform::SetMessageBoxHandler(previous);
    game->Kill();
    game->Wait(-1);
}

// A new patcher in the second of three packages: the walk stops there, the
// dialog stores where to go on (the window stays; the player leaves), and
// the next start skips the packages before that index and hands over after
// the last one.
TEST_F(UpdateFlow, ANewPatcherInAnEarlierPackageResumesAtTheNextStart) {
    Release r = ThreePatches();
    r.files["v101\\p102.cpk"] = BuildArchive({{"readme.txt", "two"}, {"drevik", "new"}});
    Serve(r);
    Game(100);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kSelfUpdateStored);
    EXPECT_FALSE(dialog_->ended());
    EXPECT_EQ(dialog_->display().statusText,
              GBK("发现新的更新程序,请退出后重新运行更新程序以继续更新"));
    EXPECT_EQ(platform::GetProfileInt("config", "nIndex", 0, "unpack_log.ini"), 2);
    EXPECT_EQ(walk_->Walked(), (std::vector<std::string>{"p101.cpk", "p102.cpk"}));
    EXPECT_EQ(ReadVersion(game_.path()), 100);
    EXPECT_TRUE(helpers_.empty());
    dialog_->OnExit();
    dialog_.reset();

    walk_ = std::make_shared<ScriptedWalk>();
    Open();
    ASSERT_TRUE(RunUntil([this] { return dialog_->ended(); }));
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kHandedOver);
    EXPECT_EQ(walk_->Walked(), (std::vector<std::string>{"p103.cpk"}));
    EXPECT_EQ(helpers_.size(), 1u);
    EXPECT_EQ(ReadVersion(game_.path()), 103);
    EXPECT_FALSE(platform::Exists("download\\p101.cpk"));
    EXPECT_FALSE(platform::Exists("download\\p103.cpk"));
    EXPECT_TRUE(platform::Exists("download\\drevik"));
    EXPECT_TRUE(boxes_.asked().empty());
    // With the version recorded, no index is left to skip packages of a
    // later update.
    EXPECT_FALSE(platform::Exists("unpack_log.ini"));
}

// The entries of an upgrade path as the version server names them.
std::vector<PatchFileEntry> PathEntries(const Release& r, const std::vector<std::string>& paths) {
    std::vector<PatchFileEntry> out;
    for (const std::string& p : paths) {
        PatchFileEntry e;
        e.directory = p.substr(0, p.find('\\'));
        e.fileName = p.substr(p.find('\\') + 1);
        uint8_t digest[16];
        Md5OfBuffer(r.files.at(p).data(), r.files.at(p).size(), digest);
        e.md5Text = Md5Hex(digest);
        out.push_back(e);
    }
    return out;
}

// A new patcher in an earlier package when the index cannot be stored (a
// folder is in the way of unpack_log.ini): stopping would begin again at the
// first package next time and stop at the same one for ever, so the player
// is told and the unpacking goes on to the end, where the hand-over follows.
TEST_F(UpdateFlow, ANewPatcherWhoseIndexCannotBeStoredGoesOnToTheEnd) {
    Release r = ThreePatches();
    r.files["v100\\p101.cpk"] = BuildArchive({{"readme.txt", "one"}, {"drevik", "new"}});
    Serve(r);
    Game(100);
    ASSERT_TRUE(platform::CreateDirectory("unpack_log.ini"));
    ASSERT_TRUE(platform::CreateDirectory("unpack_log.ini\\held"));
    Open();
    ASSERT_TRUE(RunUntil([this] { return dialog_->ended(); }));
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kHandedOver);
    EXPECT_EQ(walk_->Walked(), (std::vector<std::string>{"p101.cpk", "p102.cpk", "p103.cpk"}));
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{
                  FillInText(GBK("无法保存更新进度到%s,更新将继续进行"), game_ / "unpack_log.ini") +
                  " / " + GBK("提示")}));
    EXPECT_EQ(helpers_.size(), 1u);
    EXPECT_EQ(ReadVersion(game_.path()), 103);
}

// A resume index of this very update past the list skips every package and
// records the version.
TEST_F(UpdateFlow, AResumeIndexPastTheListRecordsTheVersion) {
    Release r = ThreePatches();
    Serve(r);
    Game(101);
    const std::string key = UpdateKey(103, PathEntries(r, {"v101\\p102.cpk", "v102\\p103.cpk"}));
    ASSERT_EQ(WriteResumeIndex(9, game_.path(), key), 1);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone);
    EXPECT_TRUE(walk_->Walked().empty());
    EXPECT_EQ(ReadVersion(game_.path()), 103);
    EXPECT_FALSE(platform::Exists("unpack_log.ini"));
    EXPECT_EQ(dialog_->display().updateBar, 100);
}

// An index that belongs to another update (the one before, whose hand-over
// failed to clear it, then a check that did not come through) or to none
// (left by an earlier patcher) skips nothing: the patcher never records a
// version whose packages it did not unpack.
TEST_F(UpdateFlow, AResumeIndexOfAnotherUpdateSkipsNothing) {
    Release r = ThreePatches();
    Serve(r);
    const std::string other =
        UpdateKey(103, PathEntries(r, {"v100\\p101.cpk", "v101\\p102.cpk", "v102\\p103.cpk"}));
    for (bool named : {true, false}) {
        SCOPED_TRACE(named);
        Game(101);
        if (named) {
            ASSERT_EQ(WriteResumeIndex(1, game_.path(), other), 1);
        } else {
            ASSERT_EQ(WriteResumeIndex(1, game_.path()), 1);
        }
        walk_ = std::make_shared<ScriptedWalk>();
        Open();
        ASSERT_TRUE(RunToOutcome());
        EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone);
        EXPECT_EQ(walk_->Walked(), (std::vector<std::string>{"p102.cpk", "p103.cpk"}));
        EXPECT_EQ(ReadVersion(game_.path()), 103);
        EXPECT_FALSE(platform::Exists("unpack_log.ini"));
        dialog_.reset();
    }
}

// An unpacking killed in the middle leaves its journal; when the next start
// meets another update (the servers moved on), the half-done one is undone
// first, so that the new one starts from the old version.
TEST_F(UpdateFlow, AHalfDoneUpdateOfAnotherPathIsUndoneFirst) {
    Serve(ThreePatches());
    Game(100);
    WriteFile("readme.txt", "version 100");
    {
        UnpackJournal killed("download\\undo");
        ASSERT_TRUE(killed.Begin("102 0123456789abcdef0123456789abcdef"));
        ASSERT_TRUE(killed.BeforeFile("readme.txt"));
        WriteFile("readme.txt", "half of 102");
        ASSERT_TRUE(killed.BeforeFile("stale\\half.txt"));
        WriteFile("stale\\half.txt", "only in the half-done update");
    }
    realWalk_ = true;
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone)
        << (BoxTexts().empty() ? "" : BoxTexts()[0]);
    EXPECT_EQ(ReadVersion(game_.path()), 103);
    EXPECT_EQ(ReadFile("readme.txt"), "two");  // the last package's
    EXPECT_FALSE(platform::Exists("stale"));
    EXPECT_FALSE(platform::Exists("download\\undo"));
}

// The index belongs to the game folder, not to the folder of the program:
// one program run for two game folders keeps their indexes apart.
TEST_F(UpdateFlow, TheResumeIndexLivesInTheGameFolder) {
    Release r = ThreePatches();
    r.files["v101\\p102.cpk"] = BuildArchive({{"readme.txt", "two"}, {"drevik", "new"}});
    Serve(r);
    Game(100);
    TempDir programs;
    modulePath_ = programs / "drevik";
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kSelfUpdateStored);
    EXPECT_FALSE(platform::Exists(programs / "unpack_log.ini"));
    EXPECT_EQ(
        ReadResumeIndex(
            game_.path(),
            UpdateKey(103, PathEntries(r, {"v100\\p101.cpk", "v101\\p102.cpk", "v102\\p103.cpk"}))),
        2);
    EXPECT_EQ(platform::CurrentDirectory(), game_.path());
}

// Stopped during unpacking, the walk abandons; the next start unpacks every
// package again from the first.
TEST_F(UpdateFlow, AStopDuringUnpackingStartsAgainFromTheFirstPackage) {
    Serve(ThreePatches());
    Game(100);
    walk_->holdIn = "p102.cpk";
    Open();
    ASSERT_TRUE(RunUntil([this] { return walk_->holding.load(); }));
    EXPECT_EQ(dialog_->updateState(), 2);
    dialog_->OnUpdateButton();  // stop: waits for the walk to notice
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_EQ(dialog_->updateState(), 0);
    EXPECT_EQ(ReadVersion(game_.path()), 100);
    EXPECT_TRUE(platform::Exists("download\\p101.cpk"));

    walk_->holdIn.clear();
    dialog_->OnUpdateButton();  // start again
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone);
    EXPECT_EQ(walk_->Walked(), (std::vector<std::string>{"p101.cpk", "p102.cpk", "p101.cpk",
                                                         "p102.cpk", "p103.cpk"}));
    EXPECT_EQ(ReadVersion(game_.path()), 103);
}

// A downloaded file that is no archive (damaged past its check, or damaged
// on the server) is deleted and named: kept, it would count as downloaded
// on every later attempt and fail each of them the same way.
TEST_F(UpdateFlow, APackageThatIsNoArchiveIsDeletedAndNamed) {
    Release r = ThreePatches();
    r.files["v102\\p103.cpk"] = "not an archive";
    Serve(r);
    Game(101);
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kFailed);
    EXPECT_EQ(dialog_->display().statusText, GBK("更新失败,请重新更新"));
    std::vector<std::string> texts = BoxTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        std::string(GBK("补丁文件p103.cpk已损坏,已将其删除,请重新更新")) + " / " +
                            GBK("提示")),
              texts.end());
    EXPECT_FALSE(platform::Exists("download\\p103.cpk"));
    EXPECT_TRUE(platform::Exists("download\\p102.cpk"));
    EXPECT_TRUE(walk_->Walked().empty());
    EXPECT_EQ(ReadVersion(game_.path()), 101);

    // The next attempt fetches it again (and meets the same damage).
    auto fetches = [&] {
        size_t n = 0;
        for (const std::string& c : servers_->ftp().Commands()) {
            n += c.rfind("RETR /v102/p103.cpk", 0) == 0;
        }
        return n;
    };
    // proftpd logs a transfer once it has ended on its side, which may come
    // after the run has all the bytes.
    EXPECT_TRUE(servers_->ftp().WaitForSessionsToEnd());
    const size_t fetched = fetches();
    dialog_->StartUpdate();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_TRUE(servers_->ftp().WaitForSessionsToEnd());
    EXPECT_GT(fetches(), fetched);
}

}  // namespace
