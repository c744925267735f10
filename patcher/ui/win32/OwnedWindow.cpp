#include "patcher/gui/OwnedWindow.h"

namespace gui {

void RegisterOwnedClass(const wchar_t* className, bool withIcon) {
    WNDCLASSW existing{};
    if (GetClassInfoW(GetModuleHandleW(nullptr), className, &existing)) {
        return;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window by AttachOwner
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (withIcon) {
        wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    wc.lpszClassName = className;
    RegisterClassW(&wc);
}

void AttachOwner(HWND hwnd, void* owner, WNDPROC proc) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

HWND CreateOwnedChild(const wchar_t* className, const RECT& rect, HWND parent, int id, void* owner,
                      WNDPROC proc) {
    RegisterOwnedClass(className);
    HWND hwnd = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd != nullptr) {
        AttachOwner(hwnd, owner, proc);
    }
    return hwnd;
}

void DestroyOwnedWindow(HWND& hwnd) {
    if (hwnd != nullptr) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
}

}  // namespace gui
