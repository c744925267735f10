// Windows of our own classes that belong to a C++ object: the class is
// registered once per process, the window carries its owner's pointer
// (GWLP_USERDATA) and the owner's window procedure, and the procedure
// forwards each message to the owner as long as the window is still the
// owner's. Windows only (a Win32 front end file).
#pragma once

#include "platform/native_windows.h"

namespace gui {

// Registers the window class once per process: the arrow cursor, the
// application icon when withIcon, and DefWindowProcW until AttachOwner sets
// the owner's procedure. A class registered before counts as registered.
void RegisterOwnedClass(const wchar_t* className, bool withIcon = false);

// Ties a new window to its owner and its procedure.
void AttachOwner(HWND hwnd, void* owner, WNDPROC proc);

// A visible child window of the class (registered here) at rect in the
// parent's client area, with the control id, tied to its owner; null when
// it cannot be made.
HWND CreateOwnedChild(const wchar_t* className, const RECT& rect, HWND parent, int id, void* owner,
                      WNDPROC proc);

// Unties the window (messages sent while it goes reach no owner) and
// destroys it; hwnd becomes null. Nothing without a window.
void DestroyOwnedWindow(HWND& hwnd);

// The body of an owner's window procedure: T's handler for each message to
// the window the owner holds in its member `window`, the system's default
// handling for a window that is not (or no longer) its own.
template <class T>
LRESULT ForwardToOwner(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, HWND T::*window,
                       LRESULT (T::*handler)(UINT, WPARAM, LPARAM)) {
    auto* owner = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (owner == nullptr || owner->*window != hwnd) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return (owner->*handler)(msg, wParam, lParam);
}

}  // namespace gui
