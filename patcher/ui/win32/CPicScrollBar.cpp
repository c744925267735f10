#include "patcher/gui/CPicScrollBar.h"

#include "patcher/gui/OwnedWindow.h"

#include <windowsx.h>

namespace {

constexpr wchar_t kClassName[] = L"TesmarPicScrollBar";
constexpr UINT_PTR kHoldTimer = 1;
constexpr UINT kHoldTimerMs = 100;  // runs while an arrow or page area is held

}  // namespace

CPicScrollBar::CPicScrollBar(bool vertical) : vertical_(vertical), model_(vertical) {}

CPicScrollBar::~CPicScrollBar() {
    gui::DestroyOwnedWindow(hwnd_);
}

bool CPicScrollBar::Create(const RECT& rect, HWND parent, int id) {
    hwnd_ = gui::CreateOwnedChild(kClassName, rect, parent, id, this, &WndProc);
    if (hwnd_ == nullptr) {
        return false;
    }
    return true;
}

void CPicScrollBar::SetSprite(const std::string& file) {
    sprite_.Load(file);
    model_.SetSprite(BitmapSize{sprite_.width(), sprite_.height()});
    if (hwnd_ != nullptr && model_.cellThickness() > 0) {
        RECT r = gui::ChildRect(hwnd_);
        int across = model_.cellThickness();
        SetWindowPos(hwnd_, nullptr, 0, 0, vertical_ ? across : r.right - r.left,
                     vertical_ ? r.bottom - r.top : across, SWP_NOMOVE | SWP_NOZORDER);
    }
    Redraw();
}

void CPicScrollBar::SetScrollInfo(int min, int max, int page, int pos) {
    model_.SetRange(min, max);
    model_.SetPage(page);
    model_.SetPos(pos);
    Redraw();
}

void CPicScrollBar::SetPos(int pos) {
    if (pos != model_.pos()) {
        model_.SetPos(pos);
        Redraw();
    }
}

void CPicScrollBar::Show(bool show) {
    if (hwnd_ != nullptr) {
        ShowWindow(hwnd_, show ? SW_SHOWNA : SW_HIDE);
    }
}

void CPicScrollBar::Redraw() {
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

int CPicScrollBar::Length() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return vertical_ ? r.bottom : r.right;
}

int CPicScrollBar::Along(LPARAM lParam) const {
    return vertical_ ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
}

bool CPicScrollBar::Inside(LPARAM lParam) const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&r, p) != FALSE;
}

void CPicScrollBar::Paint(HDC dc) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    gui::OffscreenDC off(dc, client.right, client.bottom);
    auto toRect = [](const PicRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; };
    auto stateOf = [&](ScrollPart part) {
        if (part == ScrollPart::kThumb && dragging_) {
            return PartState::kPressed;
        }
        if (part == pressed_) {
            return pressedShown_ ? PartState::kPressed : PartState::kNormal;
        }
        return part == hover_ ? PartState::kHover : PartState::kNormal;
    };
    int w = client.right;
    int h = client.bottom;
    // The track behind everything, then the page areas, arrows and thumb.
    RECT track = vertical_ ? RECT{0, model_.cellLength(), w, h - model_.cellLength()}
                           : RECT{model_.cellLength(), 0, w - model_.cellLength(), h};
    sprite_.Stretch(off.dc(), track, toRect(model_.TrackSource()));
    for (ScrollPart part : {ScrollPart::kPageUp, ScrollPart::kPageDown, ScrollPart::kLineUp,
                            ScrollPart::kLineDown, ScrollPart::kThumb}) {
        PicRect dst = model_.PartRect(part, w, h);
        if (dst.width() <= 0 || dst.height() <= 0) {
            continue;
        }
        sprite_.Stretch(off.dc(), toRect(dst), toRect(model_.SourceRect(part, stateOf(part))));
    }
    off.CopyTo(dc, 0, 0);
}

void CPicScrollBar::Notify(int code, int pos) {
    HWND parent = GetParent(hwnd_);
    UINT msg = vertical_ ? WM_VSCROLL : WM_HSCROLL;
    SendMessageW(parent, msg, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(hwnd_));
}

void CPicScrollBar::OnButtonDown(int along) {
    SetCapture(hwnd_);
    ScrollPart part = model_.HitTest(Length(), along);
    switch (part) {
        case ScrollPart::kLineUp:
        case ScrollPart::kLineDown:
        case ScrollPart::kPageUp:
        case ScrollPart::kPageDown:
            pressed_ = part;
            pressedShown_ = true;
            SetTimer(hwnd_, kHoldTimer, kHoldTimerMs, nullptr);
            break;
        case ScrollPart::kThumb:
            dragging_ = true;
            grab_ = along - model_.Geometry(Length()).thumbStart;
            break;
        case ScrollPart::kNone:
            break;
    }
    Redraw();
}

void CPicScrollBar::OnMouseMove(int along, bool inside) {
    if (dragging_) {
        int pos = model_.PosForThumbStart(Length(), along - grab_);
        Notify(kScrollThumbTrack, pos);
        return;
    }
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    ScrollPart under = inside ? model_.HitTest(Length(), along) : ScrollPart::kNone;
    if (pressed_ != ScrollPart::kNone) {
        // A held part shows pressed only while the mouse is on it.
        bool shown = under == pressed_;
        if (shown != pressedShown_) {
            pressedShown_ = shown;
            Redraw();
        }
        return;
    }
    if (under != hover_) {
        hover_ = under;
        Redraw();
    }
}

void CPicScrollBar::OnButtonUp(int along, bool inside) {
    // The press ends before the capture goes: releasing it reports
    // WM_CAPTURECHANGED, which would otherwise cancel the press unreported.
    bool dragged = dragging_;
    ScrollPart held = pressed_;
    dragging_ = false;
    pressed_ = ScrollPart::kNone;
    pressedShown_ = false;
    KillTimer(hwnd_, kHoldTimer);
    if (GetCapture() == hwnd_) {
        ReleaseCapture();
    }
    if (dragged) {
        Notify(kScrollEnd, model_.pos());
    } else if (held == ScrollPart::kLineUp || held == ScrollPart::kLineDown) {
        Notify(static_cast<int>(held), model_.pos());
    } else if ((held == ScrollPart::kPageUp || held == ScrollPart::kPageDown) && inside) {
        Notify(static_cast<int>(held), model_.PosAt(Length(), along));
    }
    Redraw();
}

LRESULT CALLBACK CPicScrollBar::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return gui::ForwardToOwner(hwnd, msg, wParam, lParam, &CPicScrollBar::hwnd_,
                               &CPicScrollBar::OnMessage);
}

LRESULT CPicScrollBar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
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
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnButtonDown(Along(lParam));
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(Along(lParam), Inside(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(Along(lParam), Inside(lParam));
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (hover_ != ScrollPart::kNone) {
                hover_ = ScrollPart::kNone;
                Redraw();
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd_ &&
                (dragging_ || pressed_ != ScrollPart::kNone)) {
                KillTimer(hwnd_, kHoldTimer);
                dragging_ = false;
                pressed_ = ScrollPart::kNone;
                Redraw();
            }
            return 0;
        // The scroll information, as a scroll bar keeps it.
        case SBM_SETPOS:
            SetPos(static_cast<int>(wParam));
            return model_.pos();
        case SBM_GETPOS:
            return model_.pos();
        case SBM_SETRANGE:
        case SBM_SETRANGEREDRAW:
            model_.SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
            Redraw();
            return model_.pos();
        case SBM_GETRANGE:
            if (wParam) {
                *reinterpret_cast<int*>(wParam) = model_.min();
            }
            if (lParam) {
                *reinterpret_cast<int*>(lParam) = model_.max();
            }
            return 0;
        case SBM_SETSCROLLINFO: {
            const auto* si = reinterpret_cast<const SCROLLINFO*>(lParam);
            if (si == nullptr) {
                return 0;
            }
            if (si->fMask & SIF_RANGE) {
                model_.SetRange(si->nMin, si->nMax);
            }
            if (si->fMask & SIF_PAGE) {
                model_.SetPage(static_cast<int>(si->nPage));
            }
            if (si->fMask & SIF_POS) {
                model_.SetPos(si->nPos);
            }
            Redraw();
            return model_.pos();
        }
        case SBM_GETSCROLLINFO: {
            auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
            if (si == nullptr) {
                return FALSE;
            }
            if (si->fMask & SIF_RANGE) {
                si->nMin = model_.min();
                si->nMax = model_.max();
            }
            if (si->fMask & SIF_PAGE) {
                si->nPage = static_cast<UINT>(model_.page());
            }
            if (si->fMask & SIF_POS) {
                si->nPos = model_.pos();
            }
            if (si->fMask & SIF_TRACKPOS) {
                si->nTrackPos = model_.pos();
            }
            return TRUE;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}
