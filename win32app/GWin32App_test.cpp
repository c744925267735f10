// GWin32App on the platform's real window system: user32 under Wine (with a
// private X server), SDL2 natively (offscreen driver).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/GInput.h"
#include "lumo/Exception.h"
#include "win32app/GWin32App.h"
#include "win32app/WinApi.h"
#include "win32app/WinMsg.h"

namespace {

using GFC::GWin32App;
using GFC::HWND;
using GFC::RECT;
namespace WinApi = GFC::WinApi;

constexpr GFC::UINT kTestWinMsg = WM_USER + 7;
// Frames a test lets run before it gives up on an event it waits for. Each
// frame yields nothing but a pass of the loop, so this is only a guard.
constexpr int kFrameLimit = 100000;

// Records what reaches it; each test scripts its frames through onFrame.
class RecordingApp : public GWin32App {
public:
    std::vector<std::string> log;
    int frames = 0;
    int destroys = 0;
    std::function<void(RecordingApp&)> onCreate, onFrame;
    std::function<void(RecordingApp&, uint32_t)> onGameMsg;

    using GWin32App::Destroy;

protected:
    void OnCreate() override {
        log.push_back("create");
        if (onCreate) {
            onCreate(*this);
        }
    }
    void OnDestroy() override {
        log.push_back("destroy");
        ++destroys;
    }
    void OnFrame() override {
        ++frames;
        log.push_back("frame " + std::to_string(frames));
        if (onFrame) {
            onFrame(*this);
        }
        if (frames >= kFrameLimit) {
            ADD_FAILURE() << "the loop did not end";
            PostMessage(GFC::kGameMsgQuit, 0, 0);
        }
    }
    uint32_t OnWin32Msg(HWND hWnd, GFC::UINT msg, GFC::WPARAM w, GFC::LPARAM l) override {
        if (msg >= WM_USER) {
            log.push_back("win " + std::to_string(msg - WM_USER) + " " + std::to_string(w));
            return 0;
        }
        return GWin32App::OnWin32Msg(hWnd, msg, w, l);
    }
    void OnGameMsg(uint32_t msg, uint32_t p1, uint32_t p2) override {
        log.push_back("game " + std::to_string(msg) + " " + std::to_string(p1) + " " +
                      std::to_string(p2));
        if (onGameMsg) {
            onGameMsg(*this, msg);
        }
    }
};

class App : public ::testing::Test {
protected:
    void SetUp() override {
        auto devices = std::make_unique<GFC::ScriptedInput>();
        input = devices.get();
        GFC::GInput::Inst()->SetDevices(std::move(devices));
    }
    void TearDown() override { GFC::GInput::Inst()->SetDevices(nullptr); }

    // Index of the first log entry equal to text, or -1.
    static int Find(const std::vector<std::string>& log, const std::string& text) {
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i] == text) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    GFC::ScriptedInput* input = nullptr;
};

TEST_F(App, WithoutDevicesOfItsOwnTheInputGetsTheWindowsDevices) {
    GFC::GInput::Inst()->SetDevices(nullptr);
    RecordingApp app;
    app.Create(320, 240, "devices test", true, nullptr);
    ASSERT_NE(app.GetHWnd(), nullptr);
    GFC::InputDevices* devices = GFC::GInput::Inst()->GetDevices();
    ASSERT_NE(devices, nullptr);
    EXPECT_EQ(dynamic_cast<GFC::ScriptedInput*>(devices), nullptr);  // the system's
    // The cursor in the window's client coordinates, as the window sees it.
    GFC::POINT screen = devices->CursorScreenPos();
    ASSERT_TRUE(app.ScreenToClient(&screen));
    const GFC::POINT client = GFC::GInput::Inst()->GetCursorPos();
    EXPECT_EQ(client.x, screen.x);
    EXPECT_EQ(client.y, screen.y);
    app.Destroy();
}

TEST_F(App, FullscreenWindowHasTheAskedClientSizeAndStartsHidden) {
    RecordingApp app;
    EXPECT_EQ(GWin32App::Inst(), &app);
    EXPECT_EQ(app.GetHWnd(), nullptr);
    app.Create(640, 480, "fullscreen test", true, nullptr);
    const HWND hWnd = app.GetHWnd();
    ASSERT_NE(hWnd, nullptr);
    EXPECT_TRUE(app.IsFullscreen());
    EXPECT_TRUE(app.IsRunning());
    EXPECT_EQ(app.log, std::vector<std::string>{"create"});
    EXPECT_FALSE(WinApi::IsWindowVisible(hWnd));

    RECT client{}, window{};
    ASSERT_TRUE(WinApi::GetClientRect(hWnd, &client));
    ASSERT_TRUE(WinApi::GetWindowRect(hWnd, &window));
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    // The input devices were made for this window.
    EXPECT_EQ(input->GetWindow(), hWnd);
    EXPECT_TRUE(input->HasKeyboard());

    // Points: the rectangle's left and top edges are inside, right and
    // bottom are not; a borderless window at (0, 0) has client = screen.
    EXPECT_TRUE(app.IfPointInClient({0, 0}));
    EXPECT_TRUE(app.IfPointInClient({639, 479}));
    EXPECT_FALSE(app.IfPointInClient({640, 10}));
    EXPECT_FALSE(app.IfPointInClient({10, 480}));
    GFC::POINT p{25, 35};
    ASSERT_TRUE(app.ScreenToClient(&p));
    EXPECT_EQ(p.x, 25);
    EXPECT_EQ(p.y, 35);

    app.PostMessage(GFC::kGameMsgQuit, 0, 0);
    app.MainLoop();
    EXPECT_EQ(app.GetHWnd(), nullptr);
    EXPECT_FALSE(WinApi::IsWindowVisible(hWnd));
}

TEST_F(App, WindowedWindowCoversTheWorkAreaWhateverTheAskedSize) {
    RECT area{};
    ASSERT_TRUE(WinApi::GetWorkArea(&area));
    RecordingApp app;
    app.Create(320, 200, "windowed test", false, nullptr);
    RECT window{};
    ASSERT_TRUE(WinApi::GetWindowRect(app.GetHWnd(), &window));
    EXPECT_EQ(window.left, area.left);
    EXPECT_EQ(window.top, area.top);
    EXPECT_EQ(window.right, area.right);
    EXPECT_EQ(window.bottom, area.bottom);
    EXPECT_TRUE(app.IfPointInClient({area.left, area.top}));
    GFC::POINT p{area.left + 50, area.top + 60};
    ASSERT_TRUE(app.ScreenToClient(&p));
    EXPECT_LE(p.x, 50);  // the caption and frame come first
    EXPECT_LE(p.y, 60);
    app.PostMessage(GFC::kGameMsgQuit, 0, 0);
    app.MainLoop();
}

TEST_F(App, PostedMessagesArriveInOrderBeforeEachFrameAndMessage1000EndsTheLoop) {
    RecordingApp app;
    app.onCreate = [](RecordingApp& a) {
        a.PostMessage(1, 10, 11);
        a.PostMessage(2, 20, 21);
    };
    app.onFrame = [](RecordingApp& a) {
        if (a.frames == 1) {
            a.PostMessage(3, 30, 31);
            // A window message posted now is handled before the next frame.
            WinApi::PostMessageA(a.GetHWnd(), kTestWinMsg, 5, 0);
        } else if (a.frames == 2) {
            a.PostMessage(GFC::kGameMsgQuit, 0, 0);
            a.PostMessage(4, 40, 41);  // behind the quit message: still delivered
        }
    };
    app.Create(200, 100, "order test", true, nullptr);
    app.MainLoop();

    std::vector<std::string> order;
    for (const std::string& e : app.log) {
        if (e.rfind("frame", 0) == 0 || e.rfind("game", 0) == 0 || e.rfind("win", 0) == 0 ||
            e == "destroy") {
            order.push_back(e);
        }
    }
    // The pass that delivers message 1000 still runs its frame; then the
    // loop test fails and shutdown follows.
    EXPECT_EQ(order, (std::vector<std::string>{"game 1 10 11", "game 2 20 21", "frame 1", "win 7 5",
                                               "game 3 30 31", "frame 2", "game 1000 0 0",
                                               "game 4 40 41", "frame 3", "destroy"}));
    EXPECT_EQ(app.destroys, 1);
    EXPECT_FALSE(app.IsRunning());
    EXPECT_EQ(app.GetHWnd(), nullptr);
    EXPECT_EQ(app.GetPostedMsgNum(), 0u);

    // With the running flag clear, a second MainLoop runs no frame.
    app.MainLoop();
    EXPECT_EQ(app.frames, 3);
}

TEST_F(App, MessagePostedByAHandlerIsDeliveredInTheSameWalk) {
    RecordingApp app;
    app.onGameMsg = [](RecordingApp& a, uint32_t msg) {
        if (msg == 5) {
            a.PostMessage(6, 0, 0);
        } else if (msg == 6) {
            a.PostMessage(GFC::kGameMsgQuit, 0, 0);
        }
    };
    app.onFrame = [](RecordingApp& a) {
        if (a.frames == 1) {
            a.PostMessage(5, 0, 0);
        }
    };
    app.Create(200, 100, "walk test", true, nullptr);
    app.MainLoop();
    const int five = Find(app.log, "game 5 0 0");
    const int six = Find(app.log, "game 6 0 0");
    const int quit = Find(app.log, "game 1000 0 0");
    ASSERT_GE(five, 0);
    EXPECT_EQ(six, five + 1);
    EXPECT_EQ(quit, six + 1);
    EXPECT_EQ(app.log[quit + 1], "frame 2");  // the walk ended before frame 2, the last
    EXPECT_EQ(app.frames, 2);
}

TEST_F(App, WmQuitEndsTheLoopWithoutClearingTheRunningFlag) {
    RecordingApp app;
    app.onFrame = [](RecordingApp& a) {
        if (a.frames == 1) {
            WinApi::PostQuitMessage(0);
            a.PostMessage(8, 0, 0);
        }
    };
    app.Create(200, 100, "quit test", true, nullptr);
    app.MainLoop();
    EXPECT_TRUE(app.IsRunning());
    EXPECT_EQ(app.frames, 1);
    const int eight = Find(app.log, "game 8 0 0");
    ASSERT_GE(eight, 0);  // pending messages are delivered at shutdown
    EXPECT_EQ(Find(app.log, "destroy"), eight + 1);
    EXPECT_EQ(app.GetHWnd(), nullptr);
}

TEST_F(App, DestroyRunsOnDestroyAndRemovesTheWindow) {
    RecordingApp app;
    app.Create(200, 100, "destroy test", true, nullptr);
    const HWND hWnd = app.GetHWnd();
    app.Destroy();
    EXPECT_EQ(app.destroys, 1);
    EXPECT_EQ(app.GetHWnd(), nullptr);
    RECT rc;
    EXPECT_FALSE(WinApi::GetWindowRect(hWnd, &rc));
    EXPECT_FALSE(app.IfPointInClient({1, 1}));
}

TEST_F(App, WithoutAnApplicationTheWindowGetsTheDefaultHandling) {
    HWND hWnd;
    {
        RecordingApp app;
        app.Create(200, 100, "orphan test", true, nullptr);
        hWnd = app.GetHWnd();
    }
    // The application is gone; its window is not.
    EXPECT_EQ(GWin32App::Inst(), nullptr);
    RECT rc;
    ASSERT_TRUE(WinApi::GetWindowRect(hWnd, &rc));
    // The default handling of WM_CLOSE destroys the window.
    GWin32App::WindowProc(hWnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(WinApi::GetWindowRect(hWnd, &rc));
}

TEST_F(App, ApplicationsOneAfterAnotherEachGetAWindow) {
    for (int i = 0; i < 3; ++i) {
        RecordingApp app;
        app.Create(100 + i, 100, "again", true, nullptr);
        RECT client{};
        ASSERT_TRUE(WinApi::GetClientRect(app.GetHWnd(), &client));
        EXPECT_EQ(client.right, 100 + i);
        app.PostMessage(GFC::kGameMsgQuit, 0, 0);
        app.MainLoop();
    }
}

}  // namespace
