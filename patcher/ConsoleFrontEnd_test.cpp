// The console front end: its command line, its policy answers, what it
// writes, and how a run ends.
#include "patcher/ConsoleFrontEnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/nginx_server.h"
#include "testsupport/temp_dir.h"

namespace {

TEST(ConsoleArguments, PolicyServerAndStart) {
    ConsoleOptions o;
    std::string error;
    ASSERT_TRUE(
        ParseConsoleArguments({"--console", "--yes", "--server", "2", "--start"}, o, error));
    EXPECT_EQ(o.policy, BoxPolicy::kYes);
    EXPECT_EQ(o.server, 2);
    EXPECT_TRUE(o.start);
    EXPECT_EQ(o.arguments.size(), 5u);

    ConsoleOptions plain;
    ASSERT_TRUE(ParseConsoleArguments({}, plain, error));
    EXPECT_EQ(plain.policy, BoxPolicy::kAsk);
    EXPECT_EQ(plain.server, 0);
    EXPECT_FALSE(plain.start);

    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"--yes", "--abort"},
                                               {"--server"},
                                               {"--server", "0"},
                                               {"--server", "x"},
                                               {"--server", "-1"},
                                               {"--server", "99999999"},
                                               {"--frobnicate"}}) {
        ConsoleOptions o2;
        EXPECT_FALSE(ParseConsoleArguments(bad, o2, error)) << bad[0];
        EXPECT_NE(error, "");
    }
}

TEST(ConsolePolicy, YesGoesOnAndGivesUpOnAQuestionThatComesBack) {
    std::vector<std::string> lines;
    std::vector<uint32_t> pauses;
    PolicyBoxes yes(
        BoxPolicy::kYes, [&](const std::string& l) { lines.push_back(l); },
        [&](uint32_t ms) { pauses.push_back(ms); });
    const char* running = GBK("游戏客户端正在运行,需先关闭,否则无法更新!");
    EXPECT_EQ(yes.Answer(nullptr, "x", "c", platform::kMbOk), platform::kIdOk);
    EXPECT_EQ(yes.Answer(nullptr, "x", "c", platform::kMbYesNo), platform::kIdYes);
    EXPECT_EQ(yes.Answer(nullptr, "x", "c", platform::kMbAbortRetryIgnore), platform::kIdRetry);
    // The same Retry/Cancel question: Retry three times (pausing before each
    // repeat), then Cancel; then the count starts afresh.
    std::vector<int> answers;
    for (int i = 0; i < 5; ++i) {
        answers.push_back(yes.Answer(nullptr, running, nullptr, platform::kMbRetryCancel));
    }
    EXPECT_EQ(answers, (std::vector<int>{platform::kIdRetry, platform::kIdRetry, platform::kIdRetry,
                                         platform::kIdCancel, platform::kIdRetry}));
    EXPECT_EQ(pauses, (std::vector<uint32_t>{kPolicyRetryPauseMs, kPolicyRetryPauseMs}));
    // Every box and its answer is written, in UTF-8.
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[6], "[Error] 游戏客户端正在运行,需先关闭,否则无法更新! -> Cancel\n");

    PolicyBoxes abort(
        BoxPolicy::kAbort, [](const std::string&) {}, [](uint32_t) {});
    EXPECT_EQ(abort.Answer(nullptr, "x", nullptr, platform::kMbRetryCancel), platform::kIdCancel);
    EXPECT_EQ(abort.Answer(nullptr, "x", nullptr, platform::kMbAbortRetryIgnore),
              platform::kIdAbort);
    EXPECT_EQ(abort.Answer(nullptr, "x", nullptr, platform::kMbYesNo), platform::kIdNo);
    EXPECT_EQ(abort.Answer(nullptr, "x", nullptr, platform::kMbOk), platform::kIdOk);
}

UpdateDlgDisplay SampleDisplay() {
    UpdateDlgDisplay d;
    d.title = GBK("《Tesmar》更新程序");
    d.versionText = "VER:1.0.100";
    d.statusText = GBK("检测版本...");
    d.downloadLabel = FormatProgressLabel(GBK("文件下载"), 50);
    d.downloadBar = 50;
    d.updateLabel = FormatIdleLabel(GBK("文件更新"));
    return d;
}

TEST(ConsoleView, PipedOutputIsOneLinePerChange) {
    std::string out;
    ConsoleView view(false, [&](const std::string& s) { out += s; });
    UpdateDlgDisplay d = SampleDisplay();
    UpdateWork::ServerRows servers{{"     A               12 ms", "     B              >500 ms"},
                                   1};
    view.Render(d, servers);
    EXPECT_EQ(out,
              "《Tesmar》更新程序\nVER:1.0.100\n  1     A               12 ms\n"
              "> 2     B              >500 ms\n检测版本...\n文件下载  50%\n文件更新  0\n");
    out.clear();
    view.Render(d, servers);
    EXPECT_EQ(out, "");  // nothing changed
    d.downloadLabel = FormatProgressLabel(GBK("文件下载"), 51);
    d.statusText = "";  // a cleared status line writes nothing
    view.Render(d, servers);
    EXPECT_EQ(out, "文件下载  51%\n");
}

TEST(ConsoleView, TerminalRedrawsTheBlockInPlace) {
    std::string out;
    ConsoleView view(true, [&](const std::string& s) { out += s; });
    UpdateDlgDisplay d = SampleDisplay();
    UpdateWork::ServerRows servers{{"     A"}, 0};
    view.Render(d, servers);
    EXPECT_EQ(out.find("\x1b["), out.find("\x1b[K"));  // no cursor move the first time
    EXPECT_NE(out.find(" > 1     A"), std::string::npos);
    EXPECT_NE(out.find("[###############---------------]"), std::string::npos);
    out.clear();
    view.Render(d, servers);
    EXPECT_EQ(out, "");
    d.updateBar = 100;
    view.Render(d, servers);
    EXPECT_EQ(out.rfind("\x1b[5A", 0), 0u);  // back up over the five lines
    EXPECT_NE(out.find("[##############################]"), std::string::npos);
    // After a prompt the block is drawn anew below it.
    out.clear();
    view.Release();
    view.Render(d, servers);
    EXPECT_NE(out.find(" > 1     A"), std::string::npos);
    EXPECT_EQ(out.find("\x1b[5A"), std::string::npos);
}

// A work whose update ends the way a test asks, at once.
class ScriptedWork final : public UpdateWork {
public:
    ScriptedWork(CUpdateDlg& dialog, std::vector<uint32_t> events, std::vector<std::string>& log)
        : dialog_(dialog), events_(std::move(events)), log_(log) {}
    void Init() override {}
    void StartServerListThread() override { dialog_.PostStartUpdate(); }
    bool StartUpdateThread() override {
        for (uint32_t e : events_) {
            if (e == 0) {
                dialog_.PostCloseRequest(2);
            } else {
                dialog_.Post(e, 0, 0);
            }
        }
        runs_ = true;
        return true;
    }
    bool UpdateThreadRuns() const override { return runs_; }
    void StopUpdateThread(int) override { runs_ = false; }
    void ForgetUpdateThread() override { runs_ = false; }
    bool StartUnpackThread() override { return true; }
    void WaitUnpackThread() override {}
    ServerRows ServerList() const override { return ServerRows{{"     a", "     b"}, selected_}; }
    void SelectServer(int row) override {
        selected_ = row;
        log_.push_back("select " + std::to_string(row));
    }
    bool HasServerSelection() const override { return selected_ >= 0; }
    void StoreLoginChoice() override { log_.push_back("store"); }
    void StoreResumeIndex(int32_t) override {}
    void EndThreads() override {}

    int selected_ = 0;

private:
    CUpdateDlg& dialog_;
    std::vector<uint32_t> events_;
    std::vector<std::string>& log_;
    bool runs_ = false;
};

struct ConsoleRun {
    int code = -1;
    std::string out;
    std::string notes;
    std::vector<std::string> log;
};

ConsoleRun RunConsoleWith(const std::vector<std::string>& args, std::vector<uint32_t> events,
                          std::function<void(UpdateShared&)> prepare = nullptr, ConsoleIo io = {}) {
    ConsoleRun r;
    ConsoleOptions options;
    std::string error;
    EXPECT_TRUE(ParseConsoleArguments(args, options, error)) << error;
    io.out = [&](const std::string& s) { r.out += s; };
    io.note = [&](const std::string& s) { r.notes += s; };
    UpdateDlgOptions d;
    d.text = [](const char* s) { return std::string(s); };
    d.launchGame = [&](const std::string& path) {
        r.log.push_back("launch " + path);
        return true;
    };
    d.makeWork = [&](CUpdateDlg& dialog, UpdateShared& shared) {
        if (prepare) {
            prepare(shared);
        }
        return std::make_unique<ScriptedWork>(dialog, events, r.log);
    };
    r.code = RunConsole(options, io, std::move(d));
    return r;
}

TEST(ConsoleRun, ExitCodesFollowTheOutcome) {
    testsupport::TempDir dir;
    testsupport::CurrentDirGuard cwd(dir.path());

    ConsoleRun done = RunConsoleWith({"--console"}, {UM_UPDATE_DONE});
    EXPECT_EQ(done.code, kExitCurrent);
    EXPECT_NE(done.out.find(std::string("更新完成,请启动游戏")), std::string::npos) << done.out;
    EXPECT_TRUE(done.log.empty());  // without --start the game is not started

    ConsoleRun failed = RunConsoleWith({}, {UM_RESET});
    EXPECT_EQ(failed.code, kExitFailed);
    ConsoleRun unpackFailed = RunConsoleWith({}, {UM_DOWNLOAD_DONE, UM_UPDATE_FAILED});
    EXPECT_EQ(unpackFailed.code, kExitFailed);
    EXPECT_NE(unpackFailed.out.find(std::string("更新失败,请重新更新")), std::string::npos);

    // A new patcher before the last patch: the resume index is stored and the
    // run ends for the player to start again, telling them so.
    ConsoleRun selfUpdate = RunConsoleWith({}, {UM_DOWNLOAD_DONE, 0},
                                           [](UpdateShared& s) { s.unpack.selfUpdatePending = 1; });
    EXPECT_EQ(selfUpdate.code, kExitSelfUpdate);
    EXPECT_NE(
        selfUpdate.out.find(std::string("发现新的更新程序,请退出后重新运行更新程序以继续更新")),
        std::string::npos)
        << selfUpdate.out;
}

TEST(ConsoleRun, AGameThatCannotBeStartedIsNamedAndFailsTheRun) {
    testsupport::TempDir dir;
    testsupport::CurrentDirGuard cwd(dir.path());
    // The program the front end starts by itself: missing.
    std::string why;
    EXPECT_FALSE(StartGameProgram("Tesmar.exe", &why));
    EXPECT_NE(why.find(platform::GbkToUtf8(platform::NativePath(dir / "Tesmar.exe"))),
              std::string::npos)
        << why;
    EXPECT_GT(why.size(), platform::NativePath(dir / "Tesmar.exe").size() + 2) << why;
    EXPECT_FALSE(StartGameProgram("", &why));
    EXPECT_NE(why.find("[game] tesmar"), std::string::npos) << why;

    // A launch that fails: the update is done, the run is not.
    ConsoleRun r;
    ConsoleOptions options;
    std::string error;
    ASSERT_TRUE(ParseConsoleArguments({"--yes", "--start"}, options, error)) << error;
    ConsoleIo io;
    io.out = [&](const std::string& s) { r.out += s; };
    io.note = [&](const std::string& s) { r.notes += s; };
    UpdateDlgOptions d;
    d.text = [](const char* s) { return std::string(s); };
    d.launchGame = [](const std::string&) { return false; };
    d.makeWork = [&](CUpdateDlg& dialog, UpdateShared& shared) {
        shared.gamePath = "Tesmar.exe";
        return std::make_unique<ScriptedWork>(dialog, std::vector<uint32_t>{UM_UPDATE_DONE}, r.log);
    };
    EXPECT_EQ(RunConsole(options, io, std::move(d)), kExitFailed);
    EXPECT_NE(r.notes.find("drevik: cannot start the game: Tesmar.exe"), std::string::npos)
        << r.notes;
}

TEST(ConsoleRun, ServerChoiceAndStart) {
    testsupport::TempDir dir;
    testsupport::CurrentDirGuard cwd(dir.path());
    ConsoleRun r = RunConsoleWith({"--server", "2", "--start"}, {UM_UPDATE_DONE},
                                  [](UpdateShared& s) { s.gamePath = "Tesmar.exe"; });
    EXPECT_EQ(r.code, kExitCurrent);
    EXPECT_EQ(r.log, (std::vector<std::string>{"select 1", "store", "launch Tesmar.exe"}));
    EXPECT_NE(r.out.find("> 2     b"), std::string::npos) << r.out;

    ConsoleRun beyond = RunConsoleWith({"--server", "3"}, {UM_UPDATE_DONE});
    EXPECT_EQ(beyond.code, kExitCurrent);
    EXPECT_NE(beyond.notes.find("--server 3: the list has 2 servers"), std::string::npos);
}

TEST(ConsoleRun, PolicyAnswersTheBoxesOfTheRun) {
    testsupport::TempDir dir;
    testsupport::CurrentDirGuard cwd(dir.path());
    ConsoleRun r = RunConsoleWith({"--abort"}, {UM_VERIFY_FAILED, UM_RESET});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.notes.find(std::string("下载的补丁文件没有通过验证，将重新下载") + " -> OK"),
              std::string::npos)
        << r.notes;
}

// The update notes arrive beside the update and are printed once, wrapped
// to the terminal, before the run ends; notes that cannot be loaded are a
// note, not a failure of the update.
TEST(ConsoleRun, TheUpdateNotesArePrintedWrappedAndTheirFailureIsANote) {
    testsupport::TempDir dir;
    testsupport::CurrentDirGuard cwd(dir.path());
    testsupport::NginxServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    testsupport::WriteFile(server.root() + "\\notes.html",
                           "<meta charset=\"utf-8\"><h3>版本 1.0.103 更新内容</h3><p>" +
                               std::string(40, 'x') + " 新增地图</p>");
    ConsoleIo io;
    io.columns = 24;
    io.notesWaitMs = 120000;  // the page always arrives: only a hang would wait this long
    auto notes = [&](const std::string& url) {
        return [url](UpdateShared& s) { s.urls[1] = url; };
    };

    ConsoleRun done =
        RunConsoleWith({}, {UM_UPDATE_DONE}, notes(server.HttpBase() + "/notes.html"), io);
    EXPECT_EQ(done.code, kExitCurrent);
    size_t at = done.out.find("版本 1.0.103 更新内容\n");
    ASSERT_NE(at, std::string::npos) << done.out;
    EXPECT_EQ(done.out.find("版本 1.0.103", at + 1), std::string::npos);  // once
    EXPECT_NE(done.out.find("\n" + std::string(24, 'x') + "\n"), std::string::npos) << done.out;

    ConsoleRun missing =
        RunConsoleWith({}, {UM_UPDATE_DONE}, notes(server.HttpBase() + "/gone.html"), io);
    EXPECT_EQ(missing.code, kExitCurrent);
    EXPECT_NE(missing.notes.find("the update notes were not loaded: HTTP 404"), std::string::npos)
        << missing.notes;
}

}  // namespace
