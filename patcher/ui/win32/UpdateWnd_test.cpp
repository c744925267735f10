// The update window as a real window: what it shows in each state of an
// update (kept as the README's pictures when TESMAR_SCREENSHOT_DIR is set),
// what its presses report, and the settings dialog run from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "GuiSupport_test.h"
#include "news/Page.h"
#include "patcher/gui/CSettingsDlg.h"
#include "patcher/gui/CUpdateWnd.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using guitest::Pump;

// How long a window may take to appear on a loaded machine.
constexpr uint32_t kWindowAppearMs = 30000;

// Tells another thread when a modal dialog takes over owner: the owner is
// disabled only once the dialog has been created and shown. A hook of the
// thread that runs the dialog, for the lifetime of the object.
class ModalWatch {
public:
    explicit ModalWatch(HWND owner) {
        owner_ = owner;
        shown_ = &promise_;
        hook_ =
            SetWindowsHookExW(WH_CALLWNDPROCRET, &ModalWatch::Hook, nullptr, GetCurrentThreadId());
    }
    ~ModalWatch() {
        if (hook_ != nullptr) {
            UnhookWindowsHookEx(hook_);
        }
        shown_ = nullptr;
    }
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;

    bool hooked() const { return hook_ != nullptr; }
    // From another thread: true once the dialog is up, false after timeoutMs.
    bool WaitShown(uint32_t timeoutMs) {
        return future_.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM w, LPARAM l) {
        const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(l);
        if (code == HC_ACTION && shown_ != nullptr && m->hwnd == owner_ &&
            m->message == WM_ENABLE && m->wParam == FALSE) {
            shown_->set_value();
            shown_ = nullptr;
        }
        return CallNextHookEx(nullptr, code, w, l);
    }

    static inline HWND owner_ = nullptr;
    static inline std::promise<void>* shown_ = nullptr;
    std::promise<void> promise_;
    std::future<void> future_ = promise_.get_future();
    HHOOK hook_ = nullptr;
};

// Handles the window messages that arrive within timeoutMs, until done()
// holds: waits on the thread's queue, not on a clock.
template <typename Done>
void PumpUntil(Done done, uint32_t timeoutMs) {
    uint32_t since = platform::TickCount();
    Pump();
    while (!done() && platform::TickCount() - since < timeoutMs) {
        MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        Pump();
    }
}

void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    Pump();
}

// The pixel of a skin picture (24-bit) and where the two pictures differ.
struct PictureProbe {
    int x = -1, y = -1;
    long first = -1, second = -1;
};

PictureProbe FirstDifference(const std::string& a, const std::string& b, int w, int h) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            long pa = guitest::PixelOf(a, x, y);
            long pb = guitest::PixelOf(b, x, y);
            if (pa != pb) {
                return {x, y, pa, pb};
            }
        }
    }
    return {};
}

class UpdateWnd : public ::testing::Test {
protected:
    void SetUp() override {
        guitest::CopySkin(dir_.path());
        ResetLocalText();
        urls_[0] = "http://127.0.0.1/notice.html";
        for (size_t i = 2; i < urls_.size(); ++i) {
            urls_[i] = "http://127.0.0.1/link" + std::to_string(i);
        }
        urls_[4] = "";  // link button c
        events_.command = [this](int id) { commands_.push_back(id); };
        events_.serverChosen = [this](int row) { rows_.push_back(row); };
        events_.closeRequest = [this] { ++closeRequests_; };
        events_.openUrl = [this](const std::string& url) { opened_.push_back(url); };
        events_.settingsClosed = [this](bool saved) { settings_.push_back(saved); };
    }
    void TearDown() override { ResetLocalText(); }

    testsupport::TempDir dir_;
    testsupport::CurrentDirGuard cwd_{dir_.path()};
    UpdateWindowUrls urls_;
    UpdateWindowEvents events_;
    std::vector<int> commands_;
    std::vector<int> rows_;
    std::vector<std::string> opened_;
    std::vector<bool> settings_;
    int closeRequests_ = 0;
};

TEST_F(UpdateWnd, ShowsEachStateOfAnUpdateAndReportsPresses) {
    CUpdateWnd wnd(events_);
    ASSERT_TRUE(wnd.Create(GBK("《Tesmar》更新程序"), urls_));
    RECT r{};
    GetWindowRect(wnd.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, kUpdateWindowWidth);
    EXPECT_EQ(r.bottom - r.top, kUpdateWindowHeight);

    // Empty URLs leave their link button disabled and their page empty.
    EXPECT_TRUE(wnd.Button(kIdLinkA)->IsEnabled());
    EXPECT_FALSE(wnd.Button(kIdLinkC)->IsEnabled());
    EXPECT_NE(wnd.Page(0).model().state(), PageState::kEmpty);
    EXPECT_EQ(wnd.Page(1).model().state(), PageState::kEmpty);
    EXPECT_FALSE(wnd.Button(kIdStartGame)->IsEnabled());
    EXPECT_EQ(wnd.Button(kIdDownloadLabel)->GetText(), GBK("文件下载") + std::string("  0"));

    // Idle, the servers measured.
    wnd.SetServers({GBK("一区  电信  23ms"), GBK("二区  网通  41ms")}, 0);
    wnd.SetVersionText("VER:1.0.100");
    Pump();
    std::string idle = guitest::KeepScreenshot(wnd.hwnd(), "update-idle");

    // The update/stop button's start and stop pictures, where they differ.
    std::string start = testsupport::ReadFile(dir_ / "skin\\N_update-button-i.bmp");
    std::string stop = testsupport::ReadFile(dir_ / "skin\\N_update-button-l.bmp");
    PictureProbe probe = FirstDifference(start, stop, 95, 28);
    ASSERT_GE(probe.x, 0);
    const UpdateControl* button = MakeUpdateWindowLayout().Find(kIdUpdateStop);
    int x = button->rect.left + probe.x, y = button->rect.top + probe.y;
    EXPECT_EQ(guitest::PixelOf(idle, x, y), probe.first);

    // Updating: the stop pictures, the speed line, the download bar.
    wnd.SetUpdateRunning(true);
    wnd.SetStatusText(GBK("下载速度:312.50 KB/s       需要下载:20480 KB       已经下载:8192 KB"));
    wnd.SetDownloadLabel(GBK("文件下载  40%"));
    wnd.SetBars(40, 0);
    Pump();
    std::string running = guitest::KeepScreenshot(wnd.hwnd(), "update-running");
    EXPECT_EQ(guitest::PixelOf(running, x, y), probe.second);
    EXPECT_EQ(wnd.Bar(kIdDownloadBar).GetPos(), 40);
    // The filled part of the bar differs from the empty part.
    const UpdateControl* bar = MakeUpdateWindowLayout().Find(kIdDownloadBar);
    int barY = (bar->rect.top + bar->rect.bottom) / 2;
    EXPECT_NE(guitest::PixelOf(running, bar->rect.left + 5, barY),
              guitest::PixelOf(running, bar->rect.right - 5, barY));

    // Done: the game may start.
    wnd.SetUpdateRunning(false);
    wnd.SetStatusText(GBK("更新完成,请启动游戏"));
    wnd.SetDownloadLabel(GBK("文件下载 100%"));
    wnd.SetUpdateLabel(GBK("文件更新 100%"));
    wnd.SetBars(100, 100);
    wnd.EnableStartGame(true);
    wnd.FocusStartGame();
    Pump();
    std::string done = guitest::KeepScreenshot(wnd.hwnd(), "update-done");
    EXPECT_EQ(guitest::PixelOf(done, x, y), probe.first);
    EXPECT_TRUE(wnd.Button(kIdStartGame)->IsEnabled());
    EXPECT_EQ(GetFocus(), wnd.Button(kIdStartGame)->hwnd());

    // Presses.
    Click(wnd.Button(kIdLinkA)->hwnd());
    Click(wnd.Button(kIdLinkC)->hwnd());  // disabled: nothing
    EXPECT_EQ(opened_, (std::vector<std::string>{urls_[2]}));
    Click(wnd.Button(kIdUpdateStop)->hwnd());
    Click(wnd.Button(kIdStartGame)->hwnd());
    Click(wnd.Button(kIdExit)->hwnd());
    EXPECT_EQ(commands_, (std::vector<int>{kIdUpdateStop, kIdStartGame, kIdExit}));
    SendMessageW(wnd.serverList().hwnd(), WM_LBUTTONUP, 0,
                 MAKELPARAM(20, kServerListItemHeight + 5));
    Pump();
    EXPECT_EQ(rows_, (std::vector<int>{1}));
    // Below the last row: the list's selection is cleared, and the owner
    // hears of it (-1), so that it does not keep a server the list no
    // longer shows as chosen.
    SendMessageW(wnd.serverList().hwnd(), WM_LBUTTONUP, 0,
                 MAKELPARAM(20, 4 * kServerListItemHeight + 5));
    Pump();
    EXPECT_EQ(rows_, (std::vector<int>{1, -1}));
    EXPECT_EQ(wnd.serverList().model().GetCurSel(), -1);

    // Enter, Escape and the close request end nothing by themselves.
    SendMessageW(wnd.hwnd(), WM_COMMAND, IDOK, 0);
    SendMessageW(wnd.hwnd(), WM_COMMAND, IDCANCEL, 0);
    SendMessageW(wnd.hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(closeRequests_, 1);
    EXPECT_TRUE(IsWindow(wnd.hwnd()));
    EXPECT_EQ(commands_.size(), 3u);
}

TEST_F(UpdateWnd, TheSettingsButtonRunsTheDialogOverTheWindow) {
    CUpdateWnd wnd(events_, "skin", dir_.path());
    ASSERT_TRUE(wnd.Create(GBK("《Tesmar》更新程序"), urls_));
    Pump();
    // The dialog is modal: another thread finds it, keeps its picture,
    // turns window mode off and saves.
    std::wstring title = gui::LocalWide(GBK("游戏设置"));
    DWORD ui = GetCurrentThreadId();
    bool found = false;
    std::string shot;
    ModalWatch watch(wnd.hwnd());
    ASSERT_TRUE(watch.hooked());
    std::thread player([&] {
        HWND dlg = watch.WaitShown(kWindowAppearMs) ? FindWindowW(nullptr, title.c_str()) : nullptr;
        if (dlg == nullptr || GetDlgItem(dlg, kIdSaveClose) == nullptr || !IsWindowVisible(dlg)) {
            PostThreadMessageW(ui, WM_QUIT, 0, 0);  // ends the modal loop
            return;
        }
        found = true;
        // Painted by the dialog's thread before this returns.
        RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        shot = guitest::KeepScreenshot(dlg, "settings");
        PostMessageW(GetDlgItem(dlg, kIdSwitchOnFirst), BM_CLICK, 0, 0);
        PostMessageW(GetDlgItem(dlg, kIdSaveClose), BM_CLICK, 0, 0);
    });
    Click(wnd.Button(kIdSettings)->hwnd());
    player.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(settings_, (std::vector<bool>{true}));
    EXPECT_GT(shot.size(), 54u);
    EXPECT_TRUE(IsWindowEnabled(wnd.hwnd()));  // the owner is live again
    EXPECT_EQ(testsupport::ReadFile(dir_ / "ClientOpt.txt"),
              "ESOP_Res = 0;\r\nESOP_HZ = 1;\r\nESOP_Win = 0;\r\nESOP_TrnView = 2;\r\n"
              "ESOP_RoleView = 2;\r\nESOP_Effect = 2;\r\nESOP_Shadow = 0;\r\nESOP_AniTree = 0;\r\n"
              "ESOP_Music = 0;\r\nESOP_Sound = 0;\r\nESOP_MusicVol = 0;\r\n"
              "ESOP_SoundVol = 0;\r\nESOP_Weather = 1;\r\nESOP_Blur = 0;\r\n"
              "ESOP_Keyboard = 1;\r\nESOP_LockCamera = 1;\r\nESOP_Reflect = 1;\r\n"
              "ESOP_TrnLevel = 1;\r\nESOP_TrnSpecular = 0;\r\n");
}

TEST_F(UpdateWnd, WithoutASkinTheWindowStillWorks) {
    CUpdateWnd wnd(events_, "no-such-skin");
    ASSERT_TRUE(wnd.Create("x", urls_));
    wnd.SetServers({"a", "b"}, 1);
    wnd.SetBars(50, 50);
    wnd.SetUpdateRunning(true);
    Pump();
    std::string shot = guitest::Screenshot(wnd.hwnd());
    EXPECT_EQ(guitest::PixelOf(shot, 400, 590), 0);  // the black of no background
    Click(wnd.Button(kIdExit)->hwnd());
    EXPECT_EQ(commands_, (std::vector<int>{kIdExit}));
}

// Pixels within r of a screenshot close to the colour (a COLORREF): text
// may be drawn smoothed.
int CountPixels(const std::string& shot, const PicRect& r, COLORREF colour) {
    const int want[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            long p = guitest::PixelOf(shot, x, y);
            const int got[3] = {static_cast<int>((p >> 16) & 0xFF),
                                static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
            bool alike = p >= 0;
            for (int c = 0; c < 3; ++c) {
                alike = alike && std::abs(got[c] - want[c]) <= 24;
            }
            n += alike ? 1 : 0;
        }
    }
    return n;
}

TEST_F(UpdateWnd, APageIsDrawnInItsPanelScrolledByTheWheelAndItsLinksOpen) {
    CUpdateWnd wnd(events_);
    ASSERT_TRUE(wnd.Create("x", UpdateWindowUrls{}));
    std::string html = "<h1>公告</h1><p>本周维护：<a href=\"/detail.html\">详情</a></p><ul>";
    for (int i = 0; i < 30; ++i) {
        html += "<li>第" + std::to_string(i) + "条 新的内容</li>";
    }
    html += "</ul>";
    Pump();
    const PicRect panel = MakeUpdateWindowLayout().Find(kIdAnnouncementPage)->rect;
    const PicRect notes = MakeUpdateWindowLayout().Find(kIdNotesPage)->rect;
    const COLORREF text = kSkinTextColour;
    const COLORREF link = kPageLinkColour;
    std::string empty = guitest::Screenshot(wnd.hwnd());
    CPageView& page = wnd.Page(0);
    page.SetPage(news::ReadPage(html, "http://news.test/a/index.html", "utf-8"));
    Pump();
    std::string shot = guitest::KeepScreenshot(wnd.hwnd(), "update-pages");
    EXPECT_GT(CountPixels(shot, panel, text), CountPixels(empty, panel, text) + 50);
    EXPECT_GT(CountPixels(shot, panel, link), CountPixels(empty, panel, link) + 5);
    // The empty notes panel shows nothing but the background.
    EXPECT_EQ(CountPixels(shot, notes, text), CountPixels(empty, notes, text));

    // The page is longer than the panel: the bar shows, the wheel turned
    // over the panel (the window gets it, as the focus is elsewhere)
    // scrolls it, and what is drawn moves.
    ASSERT_TRUE(page.model().Scrollable());
    EXPECT_TRUE(IsWindowVisible(page.scrollBar().hwnd()));
    POINT over{panel.left + 50, panel.top + 50};
    ClientToScreen(wnd.hwnd(), &over);
    SendMessageW(wnd.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(over.x, over.y));
    Pump();
    EXPECT_GT(page.model().scroll(), 0);
    EXPECT_EQ(page.scrollBar().GetPos(), page.model().scroll());
    std::string scrolled = guitest::Screenshot(wnd.hwnd());
    EXPECT_NE(CountPixels(scrolled, panel, text), CountPixels(shot, panel, text));
    // Elsewhere the wheel scrolls no page.
    const int at = page.model().scroll();
    POINT away{20, 20};
    ClientToScreen(wnd.hwnd(), &away);
    SendMessageW(wnd.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(away.x, away.y));
    EXPECT_EQ(page.model().scroll(), at);

    // Back at the top, a click on the link opens its target, resolved
    // against the page's address; a click on text opens nothing.
    SendMessageW(page.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(10 * WHEEL_DELTA)), 0);
    ASSERT_EQ(page.model().scroll(), 0);
    const PageLayout& layout = page.model().layout();
    ASSERT_EQ(layout.links.size(), 1u);
    const PageRun* linkRun = nullptr;
    int linkY = 0;
    for (const PageLine& line : layout.lines) {
        for (const PageRun& run : line.runs) {
            if (run.link == 0 && linkRun == nullptr) {
                linkRun = &run;
                linkY = line.y;
            }
        }
    }
    ASSERT_NE(linkRun, nullptr);
    SendMessageW(page.hwnd(), WM_LBUTTONUP, 0,
                 MAKELPARAM(kPagePadding + linkRun->x + 2, kPagePadding + linkY + 4));
    SendMessageW(page.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(kPagePadding + 2, kPagePadding + 4));
    EXPECT_EQ(opened_, (std::vector<std::string>{"http://news.test/detail.html"}));

    // Loading and failing say so in the panel.
    page.SetFailed("http://news.test/", "HTTP 404");
    Pump();
    std::string failed = guitest::Screenshot(wnd.hwnd());
    EXPECT_GT(CountPixels(failed, panel, text), CountPixels(empty, panel, text) + 20);
    EXPECT_FALSE(IsWindowVisible(page.scrollBar().hwnd()));
}

// A web server that takes the connection and never answers: the panel says
// "loading" until the page's bound, then that the page cannot be loaded,
// with its address and the reason; the other panel, without an address,
// shows nothing throughout.
TEST_F(UpdateWnd, APageThatNeverComesIsGivenUpAtItsBoundAndSaysWhy) {
    auto silent = platform::TcpSocket::Listen("127.0.0.1", 0, 4);
    ASSERT_TRUE(silent);
    UpdateWindowUrls urls;
    urls[0] = "http://127.0.0.1:" + std::to_string(*silent->LocalPort()) + "/notice.html";
    CUpdateWnd wnd(events_);
    http::FetchOptions options;
    options.stallTimeout = std::chrono::seconds(1);
    wnd.SetPageFetchOptions(options);
    ASSERT_TRUE(wnd.Create("x", urls));
    EXPECT_EQ(wnd.Page(0).model().state(), PageState::kLoading);
    PumpUntil([&] { return wnd.Page(0).model().state() != PageState::kLoading; }, kWindowAppearMs);
    ASSERT_EQ(wnd.Page(0).model().state(), PageState::kFailed);
    std::string shown;
    for (const PageLine& line : wnd.Page(0).model().layout().lines) {
        for (const PageRun& run : line.runs) {
            shown += run.text;
        }
    }
    EXPECT_NE(shown.find("/notice.html"), std::string::npos) << shown;
    EXPECT_NE(shown.find("no data for 1 s"), std::string::npos) << shown;
    EXPECT_EQ(wnd.Page(1).model().state(), PageState::kEmpty);
}

TEST_F(UpdateWnd, UrlsArriveLaterAndWakesRunOneAtATimeOnTheWindowsThread) {
    CUpdateWnd wnd(events_);
    ASSERT_TRUE(wnd.Create("x", UpdateWindowUrls{}));
    EXPECT_FALSE(wnd.Button(kIdLinkA)->IsEnabled());
    EXPECT_EQ(wnd.Page(0).model().state(), PageState::kEmpty);
    wnd.SetUrls(urls_);
    EXPECT_TRUE(wnd.Button(kIdLinkA)->IsEnabled());
    EXPECT_FALSE(wnd.Button(kIdLinkC)->IsEnabled());
    EXPECT_NE(wnd.Page(0).model().state(), PageState::kEmpty);
    EXPECT_EQ(wnd.Page(1).model().state(), PageState::kEmpty);
    Click(wnd.Button(kIdLinkG)->hwnd());
    EXPECT_EQ(opened_, (std::vector<std::string>{urls_[8]}));

    // A wake that comes while one runs its own message loop (as a message
    // box does) runs after it, not inside it.
    DWORD ui = GetCurrentThreadId();
    int depth = 0, deepest = 0, wakes = 0;
    bool onUi = true;
    CUpdateWnd* target = nullptr;
    events_.wake = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        onUi = onUi && GetCurrentThreadId() == ui;
        if (++wakes == 1) {
            std::thread([target] { target->PostWake(); }).join();
            Pump();
        }
        --depth;
    };
    CUpdateWnd other(events_);
    ASSERT_TRUE(other.Create("y", urls_));
    target = &other;
    std::thread([&other] { other.PostWake(); }).join();
    PumpUntil([&] { return wakes >= 2; }, kWindowAppearMs);
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(deepest, 1);
    EXPECT_TRUE(onUi);
}

}  // namespace
