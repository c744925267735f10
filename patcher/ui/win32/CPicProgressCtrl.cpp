#include "patcher/gui/CPicProgressCtrl.h"

namespace {

constexpr wchar_t kClassName[] = L"TesmarPicProgress";

void RegisterClassOnce() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;  // replaced per window in Create
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

CPicProgressCtrl::~CPicProgressCtrl() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool CPicProgressCtrl::Create(const RECT& rect, HWND parent, int id) {
    RegisterClassOnce();
    hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        return false;
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WndProc));
    return true;
}

void CPicProgressCtrl::SetRange(int a, int b) {
    model_.SetRange(a, b);
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void CPicProgressCtrl::SetBackground(const std::string& file) {
    background_.Load(file);
}

void CPicProgressCtrl::SetFill(const std::string& file) {
    fill_.Load(file);
}

int CPicProgressCtrl::SetPos(int p) {
    int before = model_.GetPos();
    int result = model_.SetPos(p);
    if (result == 1 && before != p && hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    return result;
}

void CPicProgressCtrl::Paint(HDC dc) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    gui::OffscreenDC off(dc, client.right, client.bottom);
    background_.Stretch(off.dc(), client, RECT{0, 0, background_.width(), background_.height()});
    int done = model_.FillWidth(client.right);
    if (done > 0) {
        fill_.Stretch(off.dc(), RECT{0, 0, done, client.bottom},
                      RECT{0, 0, fill_.width(), fill_.height()});
    }
    off.CopyTo(dc, 0, 0);
}

LRESULT CALLBACK CPicProgressCtrl::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CPicProgressCtrl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->hwnd_ == hwnd) {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            self->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        if (msg == WM_ERASEBKGND) {
            return 1;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
