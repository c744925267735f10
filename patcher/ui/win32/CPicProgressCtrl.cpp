#include "patcher/gui/CPicProgressCtrl.h"

#include "patcher/gui/OwnedWindow.h"

namespace {

constexpr wchar_t kClassName[] = L"TesmarPicProgress";

}  // namespace

CPicProgressCtrl::~CPicProgressCtrl() {
    gui::DestroyOwnedWindow(hwnd_);
}

bool CPicProgressCtrl::Create(const RECT& rect, HWND parent, int id) {
    hwnd_ = gui::CreateOwnedChild(kClassName, rect, parent, id, this, &WndProc);
    if (hwnd_ == nullptr) {
        return false;
    }
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
    return gui::ForwardToOwner(hwnd, msg, wParam, lParam, &CPicProgressCtrl::hwnd_,
                               &CPicProgressCtrl::OnMessage);
}

LRESULT CPicProgressCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        Paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}
