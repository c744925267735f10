#include "patcher/gui/CPageView.h"

#include "patcher/gui/OwnedWindow.h"

#include <windowsx.h>

#include <algorithm>

#include "patcher/text/LocalText.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kClassName[] = L"TesmarPageView";

HFONT MakeFont(int height, bool bold, bool underlined) {
    std::wstring face = gui::LocalWide(GBK("宋体"));
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underlined, FALSE, 0,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 32, face.c_str());
}

}  // namespace

CPageView::CPageView()
    : bold_(MakeFont(font_.height(), true, false)),
      underlined_(MakeFont(font_.height(), false, true)),
      measureDc_(CreateCompatibleDC(nullptr)) {
    PageViewStyle style;
    style.lineHeight = font_.height() + 4;
    model_ = std::make_unique<PageViewModel>(
        1, 0, [this](std::string_view gbk, PageRunStyle s) { return Measure(gbk, s); }, style);
}

CPageView::~CPageView() {
    gui::DestroyOwnedWindow(hwnd_);
    for (HFONT f : {bold_, underlined_}) {
        if (f != nullptr) {
            DeleteObject(f);
        }
    }
    if (measureDc_ != nullptr) {
        DeleteDC(measureDc_);
    }
}

bool CPageView::Create(const RECT& rect, HWND parent, int id) {
    hwnd_ = gui::CreateOwnedChild(kClassName, rect, parent, id, this, &WndProc);
    if (hwnd_ == nullptr) {
        return false;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (!bar_.Create(RECT{width - barWidth_, 0, width, height}, hwnd_, 0)) {
        return false;
    }
    bar_.Show(false);
    PageViewStyle style;
    style.lineHeight = font_.height() + 4;
    model_ = std::make_unique<PageViewModel>(
        width - 2 * kPagePadding, height - 2 * kPagePadding,
        [this](std::string_view gbk, PageRunStyle s) { return Measure(gbk, s); }, style);
    return true;
}

void CPageView::SetBarSprite(const std::string& file) {
    bar_.SetSprite(file);
}

HFONT CPageView::Font(PageRunStyle style) const {
    switch (style) {
        case PageRunStyle::kHeading:
            return bold_;
        case PageRunStyle::kLink:
            return underlined_;
        case PageRunStyle::kText:
            break;
    }
    return font_.handle();
}

int CPageView::Measure(std::string_view gbk, PageRunStyle style) const {
    if (gbk.empty() || measureDc_ == nullptr) {
        return 0;
    }
    std::wstring wide = gui::Wide(std::string(gbk));
    HGDIOBJ old = SelectObject(measureDc_, Font(style));
    SIZE size{};
    GetTextExtentPoint32W(measureDc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(measureDc_, old);
    return size.cx;
}

void CPageView::SetEmpty() {
    model_->SetEmpty();
    Refresh();
}

void CPageView::SetLoading(const std::string& url) {
    model_->SetLoading(url);
    Refresh();
}

void CPageView::SetPage(const news::Page& page) {
    model_->SetPage(page);
    Refresh();
}

void CPageView::SetFailed(const std::string& url, const std::string& reasonGbk) {
    model_->SetFailed(url, reasonGbk);
    Refresh();
}

void CPageView::Refresh() {
    if (hwnd_ == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int full = client.right - 2 * kPagePadding;
    // The bar takes its place from the text only when the text needs it.
    model_->SetWidth(full);
    if (model_->Scrollable()) {
        model_->SetWidth(full - barWidth_);
    }
    const bool scrollable = model_->Scrollable();
    bar_.Show(scrollable);
    if (scrollable) {
        bar_.SetScrollInfo(0, model_->layout().height - 1, model_->height(), model_->scroll());
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CPageView::OnScroll(int code, int position) {
    const int line = model_->layout().lineHeight;
    const int page = std::max(model_->height() - line, line);
    bool changed = false;
    switch (code) {
        case SB_LINEUP:
            changed = model_->ScrollBy(-line);
            break;
        case SB_LINEDOWN:
            changed = model_->ScrollBy(line);
            break;
        case SB_PAGEUP:
            changed = model_->ScrollBy(-page);
            break;
        case SB_PAGEDOWN:
            changed = model_->ScrollBy(page);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            changed = model_->ScrollTo(position);
            break;
        case SB_TOP:
            changed = model_->ScrollTo(0);
            break;
        case SB_BOTTOM:
            changed = model_->ScrollTo(model_->maxScroll());
            break;
        default:
            break;
    }
    if (changed) {
        bar_.SetPos(model_->scroll());
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void CPageView::OnWheel(int delta) {
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    if (notches != 0 && model_->Wheel(notches)) {
        bar_.SetPos(model_->scroll());
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void CPageView::Paint(HDC dc) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    gui::OffscreenDC off(dc, client.right, client.bottom);
    backdrop_.Paint(off.dc(), client.right, client.bottom);
    HDC out = off.dc();
    const int mode = SetBkMode(out, TRANSPARENT);
    // Text never runs under the bar or over the padding.
    const int textRight = client.right - kPagePadding - (model_->Scrollable() ? barWidth_ : 0);
    HRGN clip = CreateRectRgn(kPagePadding, kPagePadding, textRight, client.bottom - kPagePadding);
    SelectClipRgn(out, clip);
    const PageLayout& layout = model_->layout();
    const int top = kPagePadding - model_->scroll();
    for (const PageLine& line : layout.lines) {
        const int y = top + line.y;
        if (y + layout.lineHeight <= 0 || y >= client.bottom) {
            continue;
        }
        for (const PageRun& run : line.runs) {
            std::wstring wide = gui::Wide(run.text);
            HGDIOBJ old = SelectObject(out, Font(run.style));
            SetTextColor(out, run.style == PageRunStyle::kLink ? kPageLinkColour : colour_);
            TextOutW(out, kPagePadding + run.x, y + 2, wide.c_str(), static_cast<int>(wide.size()));
            SelectObject(out, old);
        }
    }
    SelectClipRgn(out, nullptr);
    DeleteObject(clip);
    SetBkMode(out, mode);
    off.CopyTo(dc, 0, 0);
}

LRESULT CALLBACK CPageView::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return gui::ForwardToOwner(hwnd, msg, wParam, lParam, &CPageView::hwnd_, &CPageView::OnMessage);
}

LRESULT CPageView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            Paint(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_VSCROLL:
            OnScroll(LOWORD(wParam), static_cast<int>(static_cast<short>(HIWORD(wParam))));
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_SETCURSOR: {
            POINT p{};
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            if (!model_->LinkAt(p.x - kPagePadding, p.y - kPagePadding).empty()) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONUP: {
            std::string url = model_->LinkAt(GET_X_LPARAM(lParam) - kPagePadding,
                                             GET_Y_LPARAM(lParam) - kPagePadding);
            if (!url.empty() && onLink_) {
                onLink_(url);
            }
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}
