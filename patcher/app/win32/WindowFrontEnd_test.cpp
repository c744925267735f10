// The window front end with a scripted update: a worker thread asks for a
// box and posts the update's events; a watcher thread plays the player (it
// answers the box and presses exit once the window shows the end).
#include "patcher/WindowFrontEnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "patcher/UpdateEvents.h"
#include "patcher/gui/CUpdateWnd.h"
#include "platform/msgbox.h"
#include "platform/native_windows.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait.h"

namespace {

// How long the watcher looks for a window before it gives up: far beyond
// what the steps take, so that a fault fails the test instead of hanging it.
constexpr uint32_t kWatchLimitMs = 60000;

// The update's threads, reduced to one worker that runs a script; the
// server list has two rows and remembers the selection the dialog keeps.
class ScriptedWork final : public UpdateWork {
public:
    ScriptedWork(CUpdateDlg& dialog, std::function<void(CUpdateDlg&)> script,
                 std::vector<std::string>* log = nullptr)
        : dialog_(dialog), script_(std::move(script)), log_(log) {}
    ~ScriptedWork() override { EndThreads(); }

    void Init() override {}
    void StartServerListThread() override {
        worker_ = std::thread([this] { script_(dialog_); });
    }
    bool StartUpdateThread() override { return runs_ = true; }
    bool UpdateThreadRuns() const override { return runs_; }
    void StopUpdateThread(int) override { runs_ = false; }
    void ForgetUpdateThread() override { runs_ = false; }
    bool StartUnpackThread() override { return true; }
    void WaitUnpackThread() override {}
    ServerRows ServerList() const override {
        return ServerRows{{"     one", "     two"}, selected_};
    }
    void SelectServer(int row) override { selected_ = row; }
    bool HasServerSelection() const override { return selected_ >= 0; }
    void StoreLoginChoice() override { Log("StoreLoginChoice " + std::to_string(selected_)); }
    void StoreResumeIndex(int32_t index) override {
        Log("StoreResumeIndex " + std::to_string(index));
    }
    void EndThreads() override {
        if (worker_.joinable()) {
            worker_.join();
        }
    }

private:
    void Log(const std::string& line) {
        if (log_ != nullptr) {
            log_->push_back(line);
        }
    }

    CUpdateDlg& dialog_;
    std::function<void(CUpdateDlg&)> script_;
    std::vector<std::string>* log_;
    std::thread worker_;
    bool runs_ = false;
    int selected_ = 0;
};

struct Found {
    DWORD thread = 0;
    const wchar_t* className = nullptr;
    HWND hwnd = nullptr;
};

// EnumThreadWindows' callback: stops at the first visible window of the class.
// A named function, not a lambda: on i686 the callback is __stdcall, which a
// lambda cannot convert to.
BOOL CALLBACK MatchClass(HWND hwnd, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (IsWindowVisible(hwnd) && std::wstring(name) == f->className) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of a class on a thread, or null.
HWND FindThreadWindow(DWORD thread, const wchar_t* className) {
    Found found{thread, className, nullptr};
    EnumThreadWindows(thread, MatchClass, reinterpret_cast<LPARAM>(&found));
    return found.hwnd;
}

// Waits for a condition up to the watch limit.
bool WaitFor(const std::function<bool()>& done) {
    return testsupport::WaitUntil(done, kWatchLimitMs);
}

// The text a control of the window shows (read from another thread).
std::wstring ControlText(HWND window, int id) {
    wchar_t text[512] = {};
    GetWindowTextW(GetDlgItem(window, id), text, 512);
    return text;
}

void Press(HWND window, int id) {
    HWND button = GetDlgItem(window, id);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

class WindowFrontEndTest : public ::testing::Test {
protected:
    testsupport::TempDir dir_;
    testsupport::CurrentDirGuard cd_{dir_.path()};
};

TEST_F(WindowFrontEndTest, TheWindowShowsTheUpdateAndOwnsTheWorkersBoxes) {
    std::atomic<int> answer{0};
    UpdateDlgOptions options;
    options.makeWork = [&](CUpdateDlg& dialog, UpdateShared&) {
        return std::make_unique<ScriptedWork>(dialog, [&](CUpdateDlg& d) {
            // A worker's box gives no owner.
            answer =
                platform::ShowMessageBox(nullptr, "from a worker", "box", platform::kMbOkCancel);
            d.PostStartUpdate();
            d.Post(UM_DOWNLOAD_DONE, 0, 0);
            d.Post(UM_UPDATE_DONE, 0, 0);
        });
    };

    const DWORD uiThread = GetCurrentThreadId();
    HWND boxOwner = nullptr, window = nullptr;
    bool sawBox = false, sawDone = false;
    std::thread player([&] {
        HWND box = nullptr;
        sawBox = WaitFor([&] { return (box = FindThreadWindow(uiThread, L"#32770")) != nullptr; });
        if (sawBox) {
            boxOwner = GetWindow(box, GW_OWNER);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        window = FindThreadWindow(uiThread, L"TesmarUpdateWnd");
        // The end reaches the window: the start-game button comes alive.
        sawDone = window != nullptr && WaitFor([&] {
                      return IsWindowEnabled(GetDlgItem(window, kIdStartGame)) != FALSE;
                  });
        if (window != nullptr) {
            Press(window, kIdExit);
        }
    });
    int code = RunWindow(ConsoleOptions{}, std::move(options), WindowFrontEndOptions{});
    player.join();

    ASSERT_TRUE(sawBox) << "no box appeared";
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(boxOwner, window);
    EXPECT_EQ(answer.load(), platform::kIdOk);
    EXPECT_TRUE(sawDone);
    EXPECT_EQ(code, kExitCurrent);
}

TEST_F(WindowFrontEndTest, ExitBeforeTheUpdateEndsIsAFailure) {
    UpdateDlgOptions options;
    options.makeWork = [&](CUpdateDlg& dialog, UpdateShared&) {
        return std::make_unique<ScriptedWork>(dialog, [](CUpdateDlg& d) { d.PostStartUpdate(); });
    };
    const DWORD uiThread = GetCurrentThreadId();
    HWND window = nullptr;
    std::thread player([&] {
        WaitFor(
            [&] { return (window = FindThreadWindow(uiThread, L"TesmarUpdateWnd")) != nullptr; });
        if (window != nullptr) {
            Press(window, kIdExit);
        }
    });
    int code = RunWindow(ConsoleOptions{}, std::move(options), WindowFrontEndOptions{});
    player.join();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(code, kExitFailed);
    EXPECT_FALSE(IsWindow(window));  // the window went with the front end
}

// A new patcher arrived before the last package: the unpacking stored where
// the next start goes on and asks the window to close. The window says what
// to do; its close box then ends the program (exit 2) without touching the
// stored index (it used to delete it, so every start began again at the
// first package and stopped at the same one).
TEST_F(WindowFrontEndTest, AfterANewPatcherTheWindowSaysWhatToDoAndItsCloseBoxKeepsTheIndex) {
    std::vector<std::string> log;
    UpdateDlgOptions options;
    options.makeWork = [&](CUpdateDlg& dialog, UpdateShared& shared) {
        return std::make_unique<ScriptedWork>(
            dialog,
            [&shared](CUpdateDlg& d) {
                d.PostStartUpdate();
                d.Post(UM_DOWNLOAD_DONE, 0, 0);
                shared.unpack.selfUpdatePending = 1;
                d.PostCloseRequest(2);
            },
            &log);
    };
    const std::u16string wide =
        platform::Utf8ToUtf16("发现新的更新程序,请退出后重新运行更新程序以继续更新");
    const std::wstring expected(wide.begin(), wide.end());
    const DWORD uiThread = GetCurrentThreadId();
    HWND window = nullptr;
    bool told = false, closed = false;
    std::thread player([&] {
        WaitFor(
            [&] { return (window = FindThreadWindow(uiThread, L"TesmarUpdateWnd")) != nullptr; });
        if (window == nullptr) {
            return;
        }
        told = WaitFor([&] { return ControlText(window, kIdStatusLine) == expected; });
        PostMessageW(window, WM_CLOSE, 0, 0);
        closed = WaitFor([&] { return IsWindow(window) == FALSE; });
        if (!closed) {
            Press(window, kIdExit);  // so that the test ends
        }
    });
    int code = RunWindow(ConsoleOptions{}, std::move(options), WindowFrontEndOptions{});
    player.join();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(told) << "the window did not say what to do";
    EXPECT_TRUE(closed) << "the close box did not end the program";
    EXPECT_EQ(code, kExitSelfUpdate);
    for (const std::string& line : log) {
        EXPECT_EQ(line.rfind("StoreResumeIndex", 0), std::string::npos) << line;
    }
}

// A click below the last row clears the list's selection, and the dialog's
// with it: start game then asks for a server instead of storing one the
// player no longer sees chosen.
TEST_F(WindowFrontEndTest, AClickBelowTheRowsClearsTheSelectionStartGameUses) {
    std::vector<std::string> log;
    std::vector<std::string> asked;
    UpdateDlgOptions options;
    options.makeWork = [&](CUpdateDlg& dialog, UpdateShared&) {
        return std::make_unique<ScriptedWork>(
            dialog,
            [](CUpdateDlg& d) {
                d.PostStartUpdate();
                d.Post(UM_UPDATE_DONE, 0, 0);
            },
            &log);
    };
    options.showBox = [&](void*, const char* text, const char*, uint32_t) {
        asked.push_back(text ? text : "");
        return platform::kIdOk;
    };
    options.launchGame = [&](const std::string&) {
        log.push_back("launch");
        return true;
    };
    const DWORD uiThread = GetCurrentThreadId();
    HWND window = nullptr;
    std::thread player([&] {
        WaitFor(
            [&] { return (window = FindThreadWindow(uiThread, L"TesmarUpdateWnd")) != nullptr; });
        if (window == nullptr) {
            return;
        }
        WaitFor([&] { return IsWindowEnabled(GetDlgItem(window, kIdStartGame)) != FALSE; });
        // Two rows; the click lands in the fourth row's place.
        SendMessageW(GetDlgItem(window, kIdServerList), WM_LBUTTONUP, 0,
                     MAKELPARAM(20, 3 * kServerListItemHeight + 5));
        Press(window, kIdStartGame);
        WaitFor([&] { return !asked.empty() || IsWindow(window) == FALSE; });
        if (IsWindow(window)) {
            Press(window, kIdExit);
        }
    });
    int code = RunWindow(ConsoleOptions{}, std::move(options), WindowFrontEndOptions{});
    player.join();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string>{platform::Utf8ToGbk("请选择您要登录的区域")}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "launch"), 0);
    for (const std::string& line : log) {
        EXPECT_EQ(line.rfind("StoreLoginChoice", 0), std::string::npos) << line;
    }
    EXPECT_EQ(code, kExitCurrent);
}

}  // namespace
