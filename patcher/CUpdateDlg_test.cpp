// The update dialog model, driven directly: events in, display, boxes and
// the order of the work's steps out. The work is a recording stand-in here;
// the real threads are tested end to end against real servers.
#include "patcher/CUpdateDlg.h"
#include "patcher/SelfUpdateRecord.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "patcher/PatchFileList.h"
#include "patcher/VersionRecord.h"
#include "patcher/text/LocalText.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::WriteFile;

// Records every step the dialog asks of its work.
class RecordingWork final : public UpdateWork {
public:
    RecordingWork(UpdateShared& shared, std::vector<std::string>& log)
        : shared_(shared), log_(log) {}

    void Init() override {
        log_.push_back("Init");
        shared_.gamePath = gamePath;
    }
    void StartServerListThread() override { log_.push_back("StartServerListThread"); }
    bool StartUpdateThread() override {
        log_.push_back("StartUpdateThread");
        runs_ = canStartUpdate;
        return canStartUpdate;
    }
    bool UpdateThreadRuns() const override { return runs_; }
    void StopUpdateThread(int waitMs) override {
        log_.push_back("StopUpdateThread " + std::to_string(waitMs));
        if (duringStop) {
            duringStop();
        }
        runs_ = false;
    }
    void ForgetUpdateThread() override {
        log_.push_back("ForgetUpdateThread");
        runs_ = false;
    }
    bool StartUnpackThread() override {
        log_.push_back("StartUnpackThread");
        return canStartUnpack;
    }
    void WaitUnpackThread() override {
        log_.push_back("WaitUnpackThread stopFlag=" +
                       std::to_string(shared_.unpack.stopFlag.load()));
    }
    ServerRows ServerList() const override { return ServerRows{{"     a", "     b"}, 0}; }
    void SelectServer(int row) override { log_.push_back("SelectServer " + std::to_string(row)); }
    bool HasServerSelection() const override { return selection; }
    void StoreLoginChoice() override { log_.push_back("StoreLoginChoice"); }
    void StoreResumeIndex(int32_t index) override {
        log_.push_back("StoreResumeIndex " + std::to_string(index));
    }
    void EndThreads() override {
        log_.push_back("EndThreads quitFlag=" + std::to_string(shared_.quitFlag.load()));
    }

    std::string gamePath = "Tesmar.exe";
    bool canStartUpdate = true;
    bool canStartUnpack = true;
    bool selection = true;
    std::function<void()> duringStop;

private:
    UpdateShared& shared_;
    std::vector<std::string>& log_;
    bool runs_ = false;
};

class UpdateDlgTest : public ::testing::Test {
protected:
    UpdateDlgTest() : cwd_(dir_.path()) {}

    CUpdateDlg& Dialog() {
        if (!dialog_) {
            UpdateDlgOptions o;
            o.text = [](const char* s) { return std::string(s); };
            o.tick = [this] { return now_.load(); };
            o.sleep = [this](uint32_t ms) { sleeps_.push_back(ms); };
            o.wake = [this] {
                {
                    std::lock_guard<std::mutex> lock(wakeMu_);
                    ++wakes_;
                }
                woken_.notify_all();
            };
            o.modulePath = dir_ / "drevik";
            o.launchGame = [this](const std::string& path) {
                log_.push_back("launch " + path);
                return true;
            };
            o.startHelper = [this](const std::string& helper,
                                   const std::vector<std::string>& args) {
                std::string line = "helper " + FileName(helper);
                for (const auto& a : args) {
                    line += " " + a;
                }
                log_.push_back(line);
                return helperStarts_;
            };
            o.helperArgs = {"--console", "--yes"};
            o.makeWork = [this](CUpdateDlg&, UpdateShared& shared) {
                auto w = std::make_unique<RecordingWork>(shared, log_);
                work_ = w.get();
                if (configure_) {
                    configure_(*w);
                }
                return w;
            };
            dialog_ = std::make_unique<CUpdateDlg>(std::move(o));
            dialog_->OnInitDialog();
        }
        return *dialog_;
    }
    static std::string FileName(const std::string& path) { return FileNamePart(path); }
    void Pump() { Dialog().PumpEvents(0); }
    int Wakes() {
        std::lock_guard<std::mutex> lock(wakeMu_);
        return wakes_;
    }
    // Waits until something more than the seen wakes was queued for the UI
    // thread (a worker's post or box), without handling it.
    void WaitForWakeAfter(int seen) {
        std::unique_lock<std::mutex> lock(wakeMu_);
        woken_.wait(lock, [&] { return wakes_ > seen; });
    }
    const UpdateDlgDisplay& View() { return Dialog().display(); }
    // The log from the first entry that starts with prefix on.
    std::vector<std::string> LogFrom(const std::string& prefix) const {
        for (size_t i = 0; i < log_.size(); ++i) {
            if (log_[i].rfind(prefix, 0) == 0) {
                return std::vector<std::string>(log_.begin() + static_cast<long>(i), log_.end());
            }
        }
        return {};
    }

    testsupport::TempDir dir_;
    testsupport::CurrentDirGuard cwd_;
    platform::ScriptedMessageBoxes boxes_;
    std::atomic<uint32_t> now_{100000};
    std::vector<uint32_t> sleeps_;
    bool helperStarts_ = true;
    std::vector<std::string> log_;
    RecordingWork* work_ = nullptr;
    std::function<void(RecordingWork&)> configure_;
    std::mutex wakeMu_;
    std::condition_variable woken_;
    int wakes_ = 0;  // guarded by wakeMu_
    std::unique_ptr<CUpdateDlg> dialog_;
};

TEST(UpdateDlgText, LabelsSpeedLineAndNames) {
    EXPECT_EQ(FormatIdleLabel("Download"), "Download  0");
    EXPECT_EQ(FormatProgressLabel("Download", 7), "Download   7%");
    EXPECT_EQ(FormatProgressLabel("Download", 100), "Download 100%");
    EXPECT_EQ(FormatSpeedLine("Speed", 12.345, "Need", 3 * 1024 * 1024 + 1023, "Got", 2047),
              "Speed:12.35 KB/s       Need:3072 KB       Got:1 KB");
    // Byte counts past 4 GiB reach the line whole.
    EXPECT_EQ(FormatSpeedLine("S", 0, "N", 5ull << 30, "G", 5ull << 30),
              "S:0.00 KB/s       N:5242880 KB       G:5242880 KB");

    EXPECT_EQ(FileNamePart("C:\\Games\\Tesmar\\Drevik.exe"), "Drevik.exe");
    EXPECT_EQ(FileNamePart("/opt/tesmar/drevik"), "drevik");
    EXPECT_EQ(FileNamePart("drevik"), "drevik");
    EXPECT_EQ(FolderPart("C:\\Games\\Drevik.exe"), "C:\\Games");
    EXPECT_EQ(FolderPart("drevik"), "");
    // "\x95\\" is one GBK character whose trail byte looks like "\".
    EXPECT_EQ(FileNamePart("C:\\a\\b\x95\\c.exe"), "b\x95\\c.exe");
    // An empty game path names no program, so the game never counts as running.
    EXPECT_FALSE(IsGameRunning(""));
}

TEST(UpdateDlgText, StatusGateLetsOneTextThroughPerHalfSecond) {
    StatusGate gate;
    EXPECT_FALSE(gate.Pass(1000));  // starts the clock
    EXPECT_FALSE(gate.Pass(1500));  // 500 ms is not more than 500
    EXPECT_TRUE(gate.Pass(1501));
    EXPECT_FALSE(gate.Pass(1700));
    EXPECT_TRUE(gate.Pass(2100));
    // Across the wrap of the tick count.
    StatusGate wrap;
    EXPECT_FALSE(wrap.Pass(0xFFFFFF00u));
    EXPECT_TRUE(wrap.Pass(0x00000200u));
}

TEST_F(UpdateDlgTest, InitialisationShowsIdleLabelsAndStartsTheServerList) {
    const UpdateDlgDisplay& v = View();
    EXPECT_EQ(v.title, GBK("《Tesmar》更新程序"));
    EXPECT_EQ(v.downloadLabel, std::string(GBK("文件下载")) + "  0");
    EXPECT_EQ(v.updateLabel, std::string(GBK("文件更新")) + "  0");
    EXPECT_FALSE(v.startGameEnabled);
    EXPECT_TRUE(v.startGameFocused);
    EXPECT_EQ(Dialog().shared().ownExeName, "drevik");
    EXPECT_EQ(log_, (std::vector<std::string>{"Init", "StartServerListThread"}));
    EXPECT_EQ(Dialog().outcome(), UpdateOutcome::kPending);
}

TEST_F(UpdateDlgTest, UpdateRunsFromStartThroughDownloadAndUnpackToDone) {
    Dialog().PostStartUpdate();  // ServerListThread, once the list is built
    Pump();
    EXPECT_EQ(Dialog().updateState(), 1);
    EXPECT_TRUE(View().updateButtonRunning);
    EXPECT_EQ(View().downloadLabel, std::string(GBK("文件下载")) + "   0%");

    Dialog().Post(UM_PROGRESS, 0, 42);
    Pump();
    EXPECT_EQ(View().downloadBar, 42);
    EXPECT_EQ(View().downloadLabel, std::string(GBK("文件下载")) + "  42%");

    Dialog().Post(UM_DOWNLOAD_DONE, 0, 0);
    Pump();
    EXPECT_EQ(Dialog().updateState(), 2);
    EXPECT_TRUE(View().updateButtonRunning);
    EXPECT_EQ(View().downloadBar, 100);
    EXPECT_EQ(View().updateBar, 0);
    EXPECT_EQ(View().statusText, GBK("下载完成"));

    Dialog().Post(UM_PROGRESS, 1, 60);
    Dialog().Post(UM_UPDATE_DONE, 0, 0);
    Pump();
    EXPECT_TRUE(View().startGameEnabled);
    EXPECT_TRUE(View().startGameFocused);
    EXPECT_FALSE(View().updateButtonRunning);
    EXPECT_EQ(View().updateBar, 100);
    EXPECT_EQ(View().downloadBar, 100);
    EXPECT_EQ(View().statusText, GBK("更新完成,请启动游戏"));
    // UpdateState is left as it was; the resume file is removed.
    EXPECT_EQ(Dialog().updateState(), 2);
    EXPECT_EQ(LogFrom("StartUnpackThread"),
              (std::vector<std::string>{"StartUnpackThread", "StoreResumeIndex 0"}));
    EXPECT_EQ(Dialog().outcome(), UpdateOutcome::kDone);
    EXPECT_TRUE(boxes_.asked().empty());
}

TEST_F(UpdateDlgTest, FailuresReturnToIdle) {
    Dialog().PostStartUpdate();
    Pump();
    Dialog().PostStatusText(GBK("检测版本..."));
    Pump();
    EXPECT_EQ(View().statusText, GBK("检测版本..."));
    Dialog().Post(UM_RESET, 0, 0);
    Pump();
    EXPECT_EQ(Dialog().updateState(), 0);
    EXPECT_FALSE(View().updateButtonRunning);
    EXPECT_EQ(View().statusText, "");
    EXPECT_EQ(log_.back(), "ForgetUpdateThread");
    EXPECT_EQ(Dialog().outcome(), UpdateOutcome::kFailed);

    Dialog().PostStartUpdate();
    Pump();
    Dialog().Post(UM_DOWNLOAD_DONE, 0, 0);
    Dialog().Post(UM_UPDATE_FAILED, 0, 0);
    Pump();
    EXPECT_EQ(Dialog().updateState(), 0);
    EXPECT_EQ(View().statusText, GBK("更新失败,请重新更新"));
    EXPECT_FALSE(View().startGameEnabled);

    // UnpackThread that cannot start.
    configure_ = nullptr;
    work_->canStartUnpack = false;
    Dialog().PostStartUpdate();
    Pump();
    boxes_.Answer(platform::kIdOk);
    Dialog().Post(UM_DOWNLOAD_DONE, 0, 0);
    Pump();
    EXPECT_EQ(Dialog().updateState(), 0);
    EXPECT_FALSE(View().updateButtonRunning);
    EXPECT_EQ(View().statusText, GBK("下载完成"));
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text, GBK("启动解压线程失败,请重试!"));
    EXPECT_EQ(boxes_.asked()[0].caption, GBK("提示"));

    // An update thread that cannot start leaves the dialog idle.
    work_->canStartUpdate = false;
    EXPECT_FALSE(Dialog().StartUpdate());
    EXPECT_EQ(Dialog().updateState(), 0);
    EXPECT_FALSE(View().updateButtonRunning);
}

TEST_F(UpdateDlgTest, SpeedLineAndReconnectingShareTheGate) {
    const std::string speed = GBK("下载速度"), need = GBK("需要下载"), got = GBK("已经下载");
    Dialog().SetSpeedBaseline(now_, 0);
    now_ += 1000;
    Dialog().Post(UM_SPEED, 512 * 1024, 10 * 1024 * 1024);
    Pump();
    EXPECT_EQ(View().statusText, "");  // the gate's first text only starts its clock

    now_ += 1000;
    Dialog().Post(UM_SPEED, 1024 * 1024, 10 * 1024 * 1024);
    Pump();
    EXPECT_EQ(View().statusText,
              FormatSpeedLine(speed, 512.0, need, 10 * 1024 * 1024, got, 1024 * 1024));

    // A speed event at the same tick as the last one changes nothing.
    Dialog().Post(UM_SPEED, 2 * 1024 * 1024, 10 * 1024 * 1024);
    Pump();
    EXPECT_EQ(View().statusText,
              FormatSpeedLine(speed, 512.0, need, 10 * 1024 * 1024, got, 1024 * 1024));

    // While data flows, reconnecting is not shown.
    now_ += 600;
    Dialog().Post(UM_RECONNECTING, 0, 0);
    Pump();
    EXPECT_NE(View().statusText, GBK("正在重新连接服务器..."));

    // A file that failed its check starts again below the baseline: no
    // progress, speed 0, and then reconnecting shows through the gate.
    now_ += 1000;
    Dialog().Post(UM_SPEED, 100, 10 * 1024 * 1024);
    Pump();
    EXPECT_EQ(View().statusText, FormatSpeedLine(speed, 0.0, need, 10 * 1024 * 1024, got, 100));
    now_ += 100;
    Dialog().Post(UM_RECONNECTING, 0, 0);
    Pump();
    EXPECT_NE(View().statusText, GBK("正在重新连接服务器..."));  // within 500 ms
    now_ += 501;
    Dialog().Post(UM_RECONNECTING, 0, 0);
    Pump();
    EXPECT_EQ(View().statusText, GBK("正在重新连接服务器..."));

    // A new baseline (the downloader starts a file) restarts the measure.
    Dialog().SetSpeedBaseline(now_, 5000);
    now_ += 2000;
    Dialog().Post(UM_SPEED, 5000 + 4096, 10 * 1024 * 1024);
    Pump();
    EXPECT_EQ(View().statusText, FormatSpeedLine(speed, 2.0, need, 10 * 1024 * 1024, got, 9096));
}

TEST_F(UpdateDlgTest, VerifyFailureIsToldWithoutCaption) {
    Dialog().Post(UM_VERIFY_FAILED, 0, 0);
    Pump();
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text, GBK("下载的补丁文件没有通过验证，将重新下载"));
    EXPECT_FALSE(boxes_.asked()[0].hasCaption);
    EXPECT_EQ(boxes_.asked()[0].type, platform::kMbOk);
}

TEST_F(UpdateDlgTest, StartGameNeedsASelectionThenStopsEverythingInOrder) {
    configure_ = [](RecordingWork& w) { w.selection = false; };
    Dialog().PostStartUpdate();
    Pump();
    Dialog().OnStartGame();
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text, GBK("请选择您要登录的区域"));
    EXPECT_FALSE(boxes_.asked()[0].hasCaption);
    EXPECT_FALSE(Dialog().ended());
    EXPECT_TRUE(LogFrom("StoreLoginChoice").empty());

    work_->selection = true;
    Dialog().OnStartGame();
    EXPECT_TRUE(Dialog().ended());
    EXPECT_EQ(
        LogFrom("StoreLoginChoice"),
        (std::vector<std::string>{"StoreLoginChoice", "launch Tesmar.exe", "StopUpdateThread 5000",
                                  "WaitUnpackThread stopFlag=1", "EndThreads quitFlag=1"}));
}

TEST_F(UpdateDlgTest, ExitAndTheStopButtonWaitWithoutLimit) {
    Dialog().PostStartUpdate();
    Pump();
    Dialog().OnUpdateButton();  // running: stop
    EXPECT_FALSE(View().updateButtonRunning);
    EXPECT_EQ(LogFrom("StopUpdateThread"),
              (std::vector<std::string>{"StopUpdateThread -1", "WaitUnpackThread stopFlag=1"}));
    // The state returns to idle only when the workers report it.
    EXPECT_EQ(Dialog().updateState(), 1);
    Dialog().Post(UM_RESET, 0, 0);
    Pump();
    EXPECT_EQ(Dialog().updateState(), 0);

    Dialog().OnUpdateButton();  // idle: start again, with stopFlag cleared
    EXPECT_EQ(Dialog().updateState(), 1);
    EXPECT_EQ(Dialog().shared().unpack.stopFlag.load(), 0);
    EXPECT_TRUE(View().updateButtonRunning);

    log_.clear();
    Dialog().OnExit();
    EXPECT_TRUE(Dialog().ended());
    EXPECT_EQ(log_, (std::vector<std::string>{"StopUpdateThread -1", "WaitUnpackThread stopFlag=1",
                                              "EndThreads quitFlag=1"}));
    // Nothing queued after the end is handled.
    Dialog().PostStartUpdate();
    EXPECT_FALSE(Dialog().PumpEvents(0));
}

// After a package that brought a new patcher, UnpackThread has stored
// where the next start goes on and asks the dialog to close: the window
// says what to do, shows nothing running, and its close box then leaves
// as Exit does, keeping the stored index (it used to delete it, so that
// every start began at the first package and stopped at the same one).
TEST_F(UpdateDlgTest, AfterANewPatcherTheWindowSaysWhatToDoAndClosingKeepsTheIndex) {
    Dialog().OnCloseRequest(0);  // the window's close box, nothing pending
    EXPECT_EQ(Dialog().shared().quitFlag.load(), 1);
    EXPECT_TRUE(LogFrom("StoreResumeIndex").empty());
    EXPECT_FALSE(Dialog().ended());  // Cancel is ignored

    Dialog().PostStartUpdate();
    Pump();
    Dialog().Post(UM_DOWNLOAD_DONE, 0, 0);
    Pump();
    ASSERT_EQ(Dialog().updateState(), 2);
    const_cast<UpdateShared&>(Dialog().shared()).unpack.selfUpdatePending = 1;
    Dialog().PostCloseRequest(2);  // UnpackThread, after package 1 of 3
    Pump();
    EXPECT_EQ(Dialog().outcome(), UpdateOutcome::kSelfUpdateStored);
    EXPECT_EQ(View().statusText, GBK("发现新的更新程序,请退出后重新运行更新程序以继续更新"));
    EXPECT_FALSE(View().updateButtonRunning);
    EXPECT_EQ(Dialog().updateState(), 0);
    EXPECT_FALSE(Dialog().ended());
    // The game folder stays the current one.
    EXPECT_EQ(platform::CurrentDirectory(), dir_.path());

    Dialog().OnCloseRequest(0);  // the close box now
    EXPECT_TRUE(Dialog().ended());
    EXPECT_EQ(Dialog().outcome(), UpdateOutcome::kSelfUpdateStored);
    EXPECT_TRUE(LogFrom("StoreResumeIndex").empty()) << "the stored index was touched";
}

TEST_F(UpdateDlgTest, FullUpdateBarWithoutNewPatcherOnlyMovesTheBar) {
    Dialog().Post(UM_PROGRESS, 1, 100);
    Pump();
    EXPECT_EQ(View().updateBar, 100);
    EXPECT_FALSE(Dialog().ended());
    EXPECT_TRUE(LogFrom("helper").empty());
}

TEST_F(UpdateDlgTest, HandOverWaitsForTheUnpackingStartsTheHelperAndEnds) {
    WriteFile(dir_ / ("download\\" + SelfUpdateFileName("drevik")), "new patcher");
    ASSERT_TRUE(RecordUnpackedPatcher("", SelfUpdateFileName("drevik")));
    WriteFile(dir_ / "download\\p101.cpk", "1");
    WriteFile(dir_ / "download\\p102.cpk", "2");
    PatchFiles().Clear();
    for (const char* name : {"p101.cpk", "p102.cpk"}) {
        PatchFileEntry e;
        e.fileName = name;
        e.localPath = std::string("download\\") + name;
        PatchFiles().Append(e);
    }
    Dialog();
    auto& shared = const_cast<UpdateShared&>(Dialog().shared());
    shared.targetVersion = 102;
    shared.unpackResult = 1;  // the unpacking recorded the version
    Dialog().Post(UM_PROGRESS, 1, 100);
    Pump();

    EXPECT_TRUE(Dialog().ended());
    EXPECT_EQ(Dialog().outcome(), UpdateOutcome::kHandedOver);
    EXPECT_EQ(sleeps_, (std::vector<uint32_t>{kHandOverPauseMs}));
    EXPECT_EQ(LogFrom("WaitUnpackThread"),
              (std::vector<std::string>{
                  "WaitUnpackThread stopFlag=0",
                  "helper UpdatePackef.dat " + SelfUpdateFileName("drevik") + " --console --yes",
                  "WaitUnpackThread stopFlag=1", "EndThreads quitFlag=1"}));
    EXPECT_EQ(Dialog().shared().installedVersion.load(), 102);
    EXPECT_FALSE(platform::Exists("download\\p101.cpk"));
    EXPECT_FALSE(platform::Exists("download\\p102.cpk"));
    // The new patcher stays for the helper.
    EXPECT_EQ(ReadFile("download\\" + SelfUpdateFileName("drevik")), "new patcher");
    PatchFiles().Clear();
}

// An unpacking that failed (and was undone) hands nothing over; a helper
// that cannot be started is told, and the dialog stays instead of ending as
// if it had handed over.
// A patcher in download\ that no unpacking of this folder wrote, or one
// changed since: whatever put it there (a package of that name, say), it is
// not handed over, and it goes.
TEST_F(UpdateDlgTest, APatcherTheUnpackingDidNotWriteIsNeverHandedOver) {
    const std::string incoming = "download\\" + SelfUpdateFileName("drevik");
    for (bool recorded : {false, true}) {
        SCOPED_TRACE(recorded ? "changed after the unpacking" : "never unpacked");
        WriteFile(dir_ / incoming, "new patcher");
        if (recorded) {
            ASSERT_TRUE(RecordUnpackedPatcher("", SelfUpdateFileName("drevik")));
            WriteFile(dir_ / incoming, "another patcher");
        }
        Dialog();
        auto& shared = const_cast<UpdateShared&>(Dialog().shared());
        shared.unpackResult = 1;
        Dialog().Post(UM_PROGRESS, 1, 100);
        Pump();
        EXPECT_FALSE(Dialog().ended());
        EXPECT_TRUE(LogFrom("helper").empty());
        EXPECT_FALSE(platform::Exists(incoming));
        EXPECT_FALSE(platform::Exists(kSelfUpdateRecordFile));
    }
}

TEST_F(UpdateDlgTest, NoHandOverAfterAFailureAndAHelperThatCannotStartIsTold) {
    WriteFile(dir_ / ("download\\" + SelfUpdateFileName("drevik")), "new patcher");
    ASSERT_TRUE(RecordUnpackedPatcher("", SelfUpdateFileName("drevik")));
    Dialog();
    auto& shared = const_cast<UpdateShared&>(Dialog().shared());
    shared.unpackResult = -1;
    Dialog().Post(UM_PROGRESS, 1, 100);
    Pump();
    EXPECT_FALSE(Dialog().ended());
    EXPECT_TRUE(LogFrom("helper").empty());

    helperStarts_ = false;
    shared.unpackResult = 1;
    Dialog().Post(UM_PROGRESS, 1, 100);
    Pump();
    EXPECT_FALSE(Dialog().ended());
    EXPECT_EQ(Dialog().outcome(), UpdateOutcome::kFailed);
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text, FillInText(GBK("无法启动自动更新程序%s,请重新运行更新程序"),
                                                 dir_.path() + "\\UpdatePackef.dat"));
    EXPECT_EQ(View().statusText, GBK("更新失败,请重新更新"));
    EXPECT_FALSE(View().updateButtonRunning);
    EXPECT_TRUE(sleeps_.empty());
    EXPECT_TRUE(platform::Exists("download\\" + SelfUpdateFileName("drevik")));
}

// Boxes that workers ask for are shown on the UI thread, in order with the
// events; while the dialog stops its workers they are answered at once.
TEST_F(UpdateDlgTest, WorkerBoxesAreShownOnTheUiThread) {
    std::thread::id ui = std::this_thread::get_id();
    std::vector<std::thread::id> shownOn;
    platform::MessageBoxHandler frontEnd = [&](void*, const char*, const char*, uint32_t type) {
        shownOn.push_back(std::this_thread::get_id());
        return type == platform::kMbRetryCancel ? platform::kIdRetry : platform::kIdOk;
    };
    auto previous = platform::SetMessageBoxHandler(frontEnd);
    Dialog();

    std::atomic<int> answer{0};
    std::thread worker([&] {
        Dialog().PostStatusText("before");
        answer = platform::ShowMessageBox(nullptr, "disk full", nullptr, platform::kMbRetryCancel);
        Dialog().PostStatusText("after");
    });
    // Handle items until the worker has its answer and has posted again.
    while (View().statusText != "after") {
        Dialog().PumpEvents(50);
    }
    worker.join();
    EXPECT_EQ(answer.load(), platform::kIdRetry);
    ASSERT_EQ(shownOn.size(), 1u);
    EXPECT_EQ(shownOn[0], ui);

    // A worker that asks while the dialog stops it gets the answer that ends
    // its step, and the stop does not wait for anyone to see the box.
    std::thread stuck;
    std::atomic<int> stuckAnswer{0};
    work_->duringStop = [&] {
        stuck = std::thread([&] {
            stuckAnswer = platform::ShowMessageBox(nullptr, "game running", nullptr,
                                                   platform::kMbRetryCancel);
        });
        stuck.join();
    };
    Dialog().PostStartUpdate();
    Pump();
    Dialog().OnUpdateButton();
    EXPECT_EQ(stuckAnswer.load(), platform::kIdCancel);
    EXPECT_EQ(shownOn.size(), 1u);

    // A box asked before the stop began and still waiting is answered too.
    int seen = Wakes();
    std::atomic<int> earlyAnswer{0};
    std::thread early([&] {
        earlyAnswer =
            platform::ShowMessageBox(nullptr, "x", nullptr, platform::kMbAbortRetryIgnore);
    });
    WaitForWakeAfter(seen);  // the request is queued and nobody handles it
    EXPECT_EQ(earlyAnswer.load(), 0);
    work_->duringStop = nullptr;
    Dialog().OnExit();
    early.join();
    EXPECT_EQ(earlyAnswer.load(), platform::kIdAbort);
    EXPECT_EQ(shownOn.size(), 1u);

    dialog_.reset();
    platform::SetMessageBoxHandler(previous);
}

}  // namespace
