#include "patcher/gui/CPicButtion.h"

#include <commctrl.h>

#include <string>

#include "patcher/ui/SkinBitmap.h"
#include "platform/text.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x5042;  // "PB"
constexpr DWORD kHoverTimeMs = 1;         // hover is reported almost at once

}  // namespace

CPicButtion::CPicButtion() : font_(std::make_unique<gui::SkinFont>()) {}

CPicButtion::~CPicButtion() {
    if (hwnd_ != nullptr) {
        RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void CPicButtion::SetNormalPicture(const std::string& file, bool sizeFromPicture) {
    normal_.Load(file);
    normalFile_ = file;
    sizeFromPicture_ = sizeFromPicture;
}

void CPicButtion::SetHoverPicture(const std::string& file) {
    hover_.Load(file);
}

void CPicButtion::SetPressedPicture(const std::string& file) {
    pressed_.Load(file);
}

void CPicButtion::SetDisabledPicture(const std::string& file) {
    disabled_.Load(file);
}

void CPicButtion::SetPictures(const std::string& normalFile, bool sizeFromPicture) {
    SetNormalPicture(normalFile, sizeFromPicture);
    SetHoverPicture(PictureVariant(normalFile, PictureState::kHover));
    SetPressedPicture(PictureVariant(normalFile, PictureState::kPressed));
    SetDisabledPicture(PictureVariant(normalFile, PictureState::kDisabled));
}

void CPicButtion::SetAllPictures(const std::string& file) {
    SetNormalPicture(file);
    SetHoverPicture(file);
    SetPressedPicture(file);
    SetDisabledPicture(file);
}

bool CPicButtion::Create(const std::string& text, DWORD style, const RECT& rect, HWND parent,
                         int id) {
    RECT r = rect;
    if (sizeFromPicture_) {
        // The size the file's header gives; without a readable picture the
        // rectangle stays as given.
        if (auto size = ReadBitmapSize(normalFile_)) {
            r.right = r.left + size->width;
            r.bottom = r.top + size->height;
        }
    }
    hwnd_ = CreateWindowExW(
        0, L"BUTTON", gui::Wide(text).c_str(), (style & ~BS_TYPEMASK) | BS_OWNERDRAW | WS_CHILD,
        r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        return false;
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->handle()), FALSE);
    return true;
}

void CPicButtion::SetText(const std::string& gbk) {
    if (hwnd_ == nullptr) {
        return;
    }
    std::wstring w = gui::Wide(gbk);
    wchar_t current[512];
    int n = GetWindowTextW(hwnd_, current, 512);
    if (std::wstring(current, static_cast<size_t>(n)) == w) {
        return;  // unchanged: no repaint, no flicker of the status line
    }
    SetWindowTextW(hwnd_, w.c_str());
    InvalidateRect(hwnd_, nullptr, FALSE);
}

std::string CPicButtion::GetText() const {
    if (hwnd_ == nullptr) {
        return std::string();
    }
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_, &w[0], n + 1);
    w.resize(static_cast<size_t>(n));
    return platform::Utf16ToGbk(std::u16string(w.begin(), w.end()));
}

void CPicButtion::Enable(bool enable) {
    if (hwnd_ != nullptr && IsEnabled() != enable) {
        EnableWindow(hwnd_, enable ? TRUE : FALSE);
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void CPicButtion::Show(bool show) {
    if (hwnd_ != nullptr) {
        ShowWindow(hwnd_, show ? SW_SHOWNA : SW_HIDE);
    }
}

bool CPicButtion::IsEnabled() const {
    return hwnd_ != nullptr && IsWindowEnabled(hwnd_);
}

PictureState CPicButtion::Shown(bool pressed) const {
    return ButtonPicture(!IsEnabled(), pressed, mouse_.hover);
}

const gui::Picture& CPicButtion::PictureOf(PictureState state) const {
    switch (state) {
        case PictureState::kHover:
            return hover_;
        case PictureState::kPressed:
            return pressed_;
        case PictureState::kDisabled:
            return disabled_;
        case PictureState::kNormal:
            break;
    }
    return normal_;
}

void CPicButtion::Paint(HDC dc, bool pressed) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    gui::OffscreenDC off(dc, client.right, client.bottom);
    backdrop_.Paint(off.dc(), client.right, client.bottom);
    PictureOf(Shown(pressed)).Draw(off.dc(), 0, 0);
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_, &text[0], n + 1);
    text.resize(static_cast<size_t>(n));
    RECT textRect = client;
    if (leftAligned_) {
        textRect.left += 2;
    }
    gui::DrawLine(off.dc(), text, textRect, font_->handle(), textColour_, leftAligned_);
    off.CopyTo(dc, 0, 0);
}

void CPicButtion::DrawItem(const DRAWITEMSTRUCT& item) {
    Paint(item.hDC, (item.itemState & ODS_SELECTED) != 0);
}

CPicButtion* CPicButtion::FromHandle(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    // Only our own buttons carry a pointer back to their object, and it
    // points back to the same window.
    auto* button = reinterpret_cast<CPicButtion*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    wchar_t cls[16] = {};
    if (button == nullptr || GetClassNameW(hwnd, cls, 16) == 0 || std::wstring(cls) != L"Button" ||
        button->hwnd_ != hwnd) {
        return nullptr;
    }
    return button;
}

LRESULT CALLBACK CPicButtion::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR /*id*/, DWORD_PTR self) {
    auto* button = reinterpret_cast<CPicButtion*>(self);
    if (button == nullptr || button->hwnd_ != hwnd) {
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    return button->OnMessage(msg, wParam, lParam);
}

LRESULT CPicButtion::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOUSEMOVE:
            if (mouse_.OnMouseMove()) {
                TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, hwnd_, kHoverTimeMs};
                TrackMouseEvent(&track);
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
            break;
        case WM_MOUSEHOVER:
            mouse_.OnHover();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_MOUSELEAVE:
            mouse_.OnLeave();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDBLCLK:
            // A quick second click is a click like the first, not a double
            // click the owner would not understand.
            return DefSubclassProc(hwnd_, WM_LBUTTONDOWN, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;  // the owner-draw paints every pixel
        default:
            break;
    }
    return DefSubclassProc(hwnd_, msg, wParam, lParam);
}
