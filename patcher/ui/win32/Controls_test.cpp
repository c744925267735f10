// The skinned controls as real Win32 windows: what they paint (read back
// from a memory bitmap), what they report to their parent, and that missing
// skin files leave pictures out without harm.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "patcher/gui/CPicButtion.h"
#include "patcher/gui/CPicList.h"
#include "patcher/gui/CPicProgressCtrl.h"
#include "patcher/gui/CPicScrollBar.h"
#include "patcher/gui/SkinGdi.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/bitmap.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait.h"

namespace {

std::string Solid(int w, int h, COLORREF c) {
    return testsupport::BitmapFile(w, h, [c](int, int) { return c; });
}

// A parent window that records the scroll and list reports of its children
// and routes owner-draw requests.
struct Parent {
    struct Report {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    HWND hwnd = nullptr;
    std::vector<Report> reports;

    Parent() {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TesmarTestParent";
            return RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        hwnd = CreateWindowExW(0, L"TesmarTestParent", L"", WS_POPUP, 0, 0, 400, 300, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Parent() { DestroyWindow(hwnd); }

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<Parent*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self != nullptr) {
            if (gui::RouteOwnerDraw(msg, l)) {
                return TRUE;
            }
            if (msg == WM_VSCROLL || msg == WM_HSCROLL || msg == kPicListClicked) {
                self->reports.push_back({msg, w, l});
                return 0;
            }
        }
        return DefWindowProcW(h, msg, w, l);
    }

    // Delivers what was posted to the window.
    void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
};

// Paints through paint(dc) into a memory bitmap and reads pixels back.
class Canvas {
public:
    Canvas(int w, int h) : off_(GetDC(nullptr), w, h) {}
    HDC dc() const { return off_.dc(); }
    COLORREF At(int x, int y) const { return GetPixel(off_.dc(), x, y) & 0xFFFFFF; }

private:
    gui::OffscreenDC off_;
};

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);
constexpr COLORREF kGrey = RGB(100, 100, 100);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class SkinControls : public ::testing::Test {
protected:
    std::string Skin(const std::string& name, const std::string& bytes) {
        testsupport::WriteFile(dir_ / ("skin\\" + name), bytes);
        return dir_ / ("skin\\" + name);
    }
    testsupport::TempDir dir_;
    Parent parent_;
};

TEST_F(SkinControls, ButtonShowsThePictureOfItsState) {
    std::string normal = Skin("b.bmp", Solid(40, 20, kRed));
    Skin("b-l.bmp", Solid(40, 20, kGreen));
    Skin("b-anxia.bmp", Solid(40, 20, kBlue));
    Skin("b-wuxiao.bmp", Solid(40, 20, kGrey));
    CPicButtion b;
    b.SetPictures(normal, true);
    ASSERT_TRUE(b.Create("", WS_VISIBLE, RECT{10, 10, 200, 200}, parent_.hwnd, 1010));
    RECT r = gui::ChildRect(b.hwnd());
    EXPECT_EQ(r.right - r.left, 40);  // the size from the picture's header
    EXPECT_EQ(r.bottom - r.top, 20);

    Canvas c(40, 20);
    b.Paint(c.dc(), false);
    EXPECT_EQ(c.At(5, 5), kRed);
    b.Paint(c.dc(), true);
    EXPECT_EQ(c.At(5, 5), kBlue);
    SendMessageW(b.hwnd(), WM_MOUSEHOVER, 0, 0);
    EXPECT_TRUE(b.hover());
    b.Paint(c.dc(), false);
    EXPECT_EQ(c.At(5, 5), kGreen);
    SendMessageW(b.hwnd(), WM_MOUSELEAVE, 0, 0);
    b.Enable(false);
    b.Paint(c.dc(), true);  // disabled wins over pressed
    EXPECT_EQ(c.At(5, 5), kGrey);
}

TEST_F(SkinControls, MissingPicturesLeaveTheButtonEmptyButItsTextDrawn) {
    std::string normal = Skin("m.bmp", Solid(60, 24, kRed));  // no -l, -anxia, -wuxiao files
    CPicButtion b;
    b.SetPictures(normal);
    b.SetTextColour(RGB(255, 255, 255));
    ASSERT_TRUE(b.Create("WWWW", WS_VISIBLE, RECT{0, 0, 60, 24}, parent_.hwnd, 1));
    SendMessageW(b.hwnd(), WM_MOUSEHOVER, 0, 0);
    Canvas c(60, 24);
    b.Paint(c.dc(), false);
    EXPECT_EQ(c.At(1, 1), kBlack);  // the hover picture is missing: nothing there
    int white = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 60; ++x) {
            white += c.At(x, y) == RGB(255, 255, 255);
        }
    }
    EXPECT_GT(white, 0);  // but the text is

    CPicButtion none;  // no skin at all, and a size that should come from it
    none.SetPictures(dir_ / "skin\\absent.bmp", true);
    ASSERT_TRUE(none.Create("x", WS_VISIBLE, RECT{0, 0, 30, 10}, parent_.hwnd, 2));
    RECT r = gui::ChildRect(none.hwnd());
    EXPECT_EQ(r.right - r.left, 30);  // the given rectangle stays
    none.Paint(c.dc(), true);
    UpdateWindow(parent_.hwnd);
}

TEST_F(SkinControls, ProgressBarFillsFromTheLeft) {
    CPicProgressCtrl p;
    ASSERT_TRUE(p.Create(RECT{0, 0, 200, 8}, parent_.hwnd, 0));
    p.SetBackground(Skin("jd.bmp", Solid(20, 8, kGrey)));
    p.SetFill(Skin("jd-b.bmp", Solid(20, 8, kGreen)));
    Canvas c(200, 8);
    EXPECT_EQ(p.SetPos(0), 0);  // default range 1..100
    p.SetRange(0, 100);
    EXPECT_EQ(p.SetPos(0), 1);
    p.Paint(c.dc());
    EXPECT_EQ(c.At(0, 4), kGrey);  // no fill at 0
    p.SetPos(25);
    p.Paint(c.dc());
    EXPECT_EQ(c.At(49, 4), kGreen);
    EXPECT_EQ(c.At(50, 4), kGrey);
    p.SetPos(100);
    p.Paint(c.dc());
    EXPECT_EQ(c.At(199, 4), kGreen);

    CPicProgressCtrl bare;  // no pictures: nothing to draw, nothing breaks
    ASSERT_TRUE(bare.Create(RECT{0, 10, 200, 18}, parent_.hwnd, 0));
    bare.SetBackground(dir_ / "skin\\none.bmp");
    bare.SetRange(0, 100);
    bare.SetPos(50);
    bare.Paint(c.dc());
    EXPECT_EQ(c.At(10, 4), kBlack);
}

// A sprite of 10-pixel cells whose colour tells the cell and the state.
COLORREF CellColour(int cell, int state) {
    return RGB(40 * (cell + 1), 60 * (state + 1), 7);
}

std::string Sprite(int l, int t) {
    return testsupport::BitmapFile(4 * l + 4, 3 * t + 3, [&](int x, int y) {
        return CellColour(std::min(x / (l + 1), 3), std::min(y / (t + 1), 2));
    });
}

TEST_F(SkinControls, ScrollBarDrawsItsSpriteAndReportsLikeAScrollBar) {
    CPicScrollBar bar(false);
    ASSERT_TRUE(bar.Create(RECT{0, 0, 120, 30}, parent_.hwnd, 7));
    bar.SetSprite(Skin("sb.bmp", Sprite(10, 10)));
    RECT r = gui::ChildRect(bar.hwnd());
    EXPECT_EQ(r.bottom - r.top, 10);  // the cell thickness across the bar
    bar.SetScrollInfo(0, 100, 50, 0);
    Canvas c(120, 10);
    bar.Paint(c.dc());
    EXPECT_EQ(c.At(5, 5), CellColour(0, 0));    // left arrow
    EXPECT_EQ(c.At(115, 5), CellColour(1, 0));  // right arrow
    EXPECT_EQ(c.At(15, 5), CellColour(2, 0));   // thumb: 100 x 50 / 100 from 10
    EXPECT_EQ(c.At(80, 5), CellColour(3, 0));   // page area

    // An arrow press reports its line code on release.
    SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    bar.Paint(c.dc());
    EXPECT_EQ(c.At(5, 5), CellColour(0, 2));  // shown pressed
    SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(parent_.reports.size(), 1u);
    EXPECT_EQ(parent_.reports[0].msg, static_cast<UINT>(WM_HSCROLL));
    EXPECT_EQ(LOWORD(parent_.reports[0].wParam), kScrollLineUp);
    EXPECT_EQ(parent_.reports[0].lParam, reinterpret_cast<LPARAM>(bar.hwnd()));

    // A page-area click reports the page code with the position there.
    parent_.reports.clear();
    SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110 - 25, 5));
    SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(110 - 25, 5));
    ASSERT_EQ(parent_.reports.size(), 1u);
    EXPECT_EQ(LOWORD(parent_.reports[0].wParam), kScrollPageDown);
    EXPECT_EQ(HIWORD(parent_.reports[0].wParam), 100);  // the thumb centred there ends the track

    // Dragging the thumb: thumb-track with positions, then end-scroll.
    parent_.reports.clear();
    SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    SendMessageW(bar.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 5));
    SendMessageW(bar.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));
    SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    ASSERT_EQ(parent_.reports.size(), 3u);
    EXPECT_EQ(LOWORD(parent_.reports[0].wParam), kScrollThumbTrack);
    EXPECT_EQ(HIWORD(parent_.reports[0].wParam), 50);
    EXPECT_EQ(HIWORD(parent_.reports[1].wParam), 100);  // clamped to the range
    EXPECT_EQ(LOWORD(parent_.reports[2].wParam), kScrollEnd);

    // The scroll information answers the scroll-bar messages.
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 255;
    si.nPage = 100;
    si.nPos = 255;
    SendMessageW(bar.hwnd(), SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si));
    EXPECT_EQ(SendMessageW(bar.hwnd(), SBM_GETPOS, 0, 0), 255);
    SCROLLINFO back{sizeof back, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    SendMessageW(bar.hwnd(), SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(back.nMax, 255);
    EXPECT_EQ(back.nPage, 100u);
}

TEST_F(SkinControls, ListSelectsOnClickScrollsAndDraws) {
    CPicList list;
    ASSERT_TRUE(list.Create(RECT{0, 0, 183, 120}, RECT{185, 0, 203, 125}, parent_.hwnd, 1015));
    list.SetBackground(Skin("diban.bmp", Solid(20, 20, kGrey)));
    list.SetSelectionPicture(Skin("gb.bmp", Solid(183, 20, kBlue)));
    list.scrollBar().SetSprite(Skin("gd.bmp", Sprite(18, 18)));
    list.model().SetRowHeight(20);
    list.model().SetScrollBar({0, 100, 25, 0});
    for (int i = 0; i < 10; ++i) {
        list.SetItem(i, "server " + std::to_string(i));
    }
    list.SetCurSel(8);  // below the view: the view moves, the bar follows
    EXPECT_EQ(list.model().GetTopIndex(), 3);
    EXPECT_EQ(list.scrollBar().GetPos(), 75);

    Canvas c(183, 120);
    list.Paint(c.dc());
    EXPECT_EQ(c.At(100, 5 * 20 + 2 + 1), kBlue);  // row 5 of the view, 2 lower
    EXPECT_EQ(c.At(0, 0), kGrey);

    SendMessageW(list.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(50, 30));  // row 1 of the view
    parent_.Pump();
    ASSERT_EQ(parent_.reports.size(), 1u);
    EXPECT_EQ(parent_.reports[0].msg, kPicListClicked);
    EXPECT_EQ(parent_.reports[0].wParam, 4u);
    EXPECT_EQ(list.GetCurSel(), 4);
    SendMessageW(list.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(50, 500));  // below every row
    parent_.Pump();
    EXPECT_EQ(list.GetCurSel(), -1);
    // Reported too, as row -1: an owner that keeps the selection as well
    // must not keep one the list no longer shows.
    ASSERT_EQ(parent_.reports.size(), 2u);
    EXPECT_EQ(static_cast<int>(parent_.reports[1].wParam), -1);

    list.OnScroll(kScrollLineDown, 0);
    EXPECT_EQ(list.model().GetTopIndex(), 4);
    EXPECT_EQ(list.scrollBar().GetPos(), 100);
    list.OnScroll(kScrollThumbTrack, 50);
    EXPECT_EQ(list.model().GetTopIndex(), 2);
    EXPECT_EQ(list.scrollBar().GetPos(), 50);
    EXPECT_EQ(list.GetText(42), "");
}

// How long a real message box may take to appear on a loaded machine.
constexpr uint32_t kBoxAppearMs = 30000;

TEST(RealMessageBox, ABoxWithoutCaptionShowsTheProgramTitle) {
    const char* title = GBK("《Tesmar》更新程序");
    platform::SetDefaultCaption(title);
    int answer = 0;
    std::thread shower([&] {
        answer = platform::ShowMessageBox(nullptr, GBK("请选择您要登录的区域"), nullptr,
                                          platform::kMbOk);
    });
    std::wstring wanted = gui::Wide(title);
    HWND box = nullptr;
    testsupport::WaitUntil([&] { return (box = FindWindowW(nullptr, wanted.c_str())) != nullptr; },
                           kBoxAppearMs);
    EXPECT_NE(box, nullptr);  // found by the program's title, not "Error"
    EXPECT_EQ(FindWindowW(nullptr, L"Error"), nullptr);
    if (box != nullptr) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    shower.join();
    EXPECT_EQ(answer, platform::kIdOk);
    platform::SetDefaultCaption("");
}

}  // namespace
