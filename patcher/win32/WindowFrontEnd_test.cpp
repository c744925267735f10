// The window front end with a scripted update: a worker thread asks for a
// box and posts the update's events; a watcher thread plays the player (it
// answers the box and presses exit once the window shows the end).
#include "patcher/WindowFrontEnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "patcher/UpdateEvents.h"
#include "patcher/gui/CUpdateWnd.h"
#include "platform/msgbox.h"
#include "platform/native_windows.h"
#include "testsupport/temp_dir.h"

namespace {

// How long the watcher looks for a window before it gives up: far beyond
// what the steps take, so that a fault fails the test instead of hanging it.
constexpr int kWatchLimitMs = 60000;
constexpr int kWatchStepMs = 20;

// The update's threads, reduced to one worker that runs a script.
class ScriptedWork final : public UpdateWork {
public:
    ScriptedWork(CUpdateDlg& dialog, std::function<void(CUpdateDlg&)> script)
        : dialog_(dialog), script_(std::move(script)) {}
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
    ServerRows ServerList() const override { return ServerRows{{"     one", "     two"}, 0}; }
    void SelectServer(int) override {}
    bool HasServerSelection() const override { return true; }
    void StoreLoginChoice() override {}
    void StoreResumeIndex(int32_t) override {}
    void EndThreads() override {
        if (worker_.joinable()) {
            worker_.join();
        }
    }

private:
    CUpdateDlg& dialog_;
    std::function<void(CUpdateDlg&)> script_;
    std::thread worker_;
    bool runs_ = false;
};

struct Found {
    DWORD thread = 0;
    const wchar_t* className = nullptr;
    HWND hwnd = nullptr;
};

// A visible top-level window of a class on a thread, or null.
HWND FindThreadWindow(DWORD thread, const wchar_t* className) {
    Found found{thread, className, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<Found*>(p);
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            if (IsWindowVisible(hwnd) && std::wstring(name) == f->className) {
                f->hwnd = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.hwnd;
}

// Waits for a condition, a step at a time, up to the watch limit.
bool WaitFor(const std::function<bool()>& done) {
    for (int waited = 0; waited < kWatchLimitMs; waited += kWatchStepMs) {
        if (done()) {
            return true;
        }
        Sleep(kWatchStepMs);
    }
    return false;
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

}  // namespace
