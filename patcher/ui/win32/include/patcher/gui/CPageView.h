// A page panel of the update window: a web page read into blocks, drawn in
// the skin's colours and the window's font over the window's background,
// with a picture scroll bar at its right edge when the page is taller than
// the panel. The wheel and the bar scroll it; a click on a link hands the
// link's target to the owner. What it shows and how it is laid out is a
// PageViewModel.
//
// One thread: the one that created the window.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "patcher/gui/CPicScrollBar.h"
#include "patcher/gui/SkinGdi.h"
#include "patcher/ui/PageView.h"

// Links are drawn underlined in this colour (COLORREF), the rest of the
// text in the skin's.
constexpr COLORREF kPageLinkColour = 0xFFC878;  // RGB(120, 200, 255)
// The text keeps this far from the panel's edges.
constexpr int kPagePadding = 4;

class CPageView {
public:
    CPageView();
    ~CPageView();
    CPageView(const CPageView&) = delete;
    CPageView& operator=(const CPageView&) = delete;

    bool Create(const RECT& rect, HWND parent, int id);
    HWND hwnd() const { return hwnd_; }
    CPicScrollBar& scrollBar() { return bar_; }

    void SetBackdrop(const gui::Backdrop& backdrop) { backdrop_ = backdrop; }
    void SetBarSprite(const std::string& file);
    void SetTextColour(COLORREF colour) { colour_ = colour; }
    // Called with a link's target when the player clicks it.
    void SetLinkHandler(std::function<void(const std::string& url)> handler) {
        onLink_ = std::move(handler);
    }

    // What the panel shows (see PageViewModel); texts are GBK.
    void SetEmpty();
    void SetLoading(const std::string& url);
    void SetPage(const news::Page& page);
    void SetFailed(const std::string& url, const std::string& reasonGbk);

    const PageViewModel& model() const { return *model_; }
    // A turn of the wheel over the panel (WHEEL_DELTA units, positive up).
    void OnWheel(int delta);
    void Paint(HDC dc);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    int Measure(std::string_view gbk, PageRunStyle style) const;
    HFONT Font(PageRunStyle style) const;
    // After the page changed: the bar shows when it is needed, the text
    // makes room for it, and the panel is drawn again.
    void Refresh();
    void OnScroll(int code, int position);

    HWND hwnd_ = nullptr;
    CPicScrollBar bar_{true};
    int barWidth_ = 18;
    gui::SkinFont font_;
    HFONT bold_ = nullptr;
    HFONT underlined_ = nullptr;
    HDC measureDc_ = nullptr;
    std::unique_ptr<PageViewModel> model_;
    gui::Backdrop backdrop_;
    COLORREF colour_ = 0xFFFFFF;
    std::function<void(const std::string&)> onLink_;
    int wheelRest_ = 0;  // a part of a notch not yet scrolled
};
