// The window system under GWin32App: one implementation per platform
// (win32/: user32 and DirectInput 8, sdl/: SDL2), chosen by CMake.
// GWin32App.cpp runs the same algorithms over either.
#pragma once

#include <memory>

#include "framework/GTypes.h"
#include "framework/InputDevices.h"
#include "framework/WinTypes.h"

namespace GFC {
namespace ws {

// Registers the window class "GWin32Wnd" (styles CS_VREDRAW | CS_HREDRAW |
// CS_DBLCLKS, GWin32App::WindowProc, the arrow cursor, a black background).
// A class this process registered before counts as registered.
bool RegisterAppClass(HICON icon);

// Creates the hidden window: fullscreen WS_EX_TOPMOST with WS_POPUP |
// WS_CLIPSIBLINGS | WS_CLIPCHILDREN, else WS_EX_APPWINDOW with WS_CAPTION |
// WS_SYSMENU | WS_MINIMIZEBOX; position and size 0. Null on failure.
HWND CreateAppWindow(const char* title, bool fullscreen);

// SetWindowPos(HWND_TOP, x, y, cx, cy, SWP_SHOWWINDOW).
bool PlaceWindow(HWND hWnd, int x, int y, int cx, int cy);
bool UpdateWindow(HWND hWnd);
bool DestroyWindow(HWND hWnd);

// PeekMessageA(PM_NOREMOVE): whether a message is waiting.
bool IsMessageWaiting();
// Takes the waiting message without waiting (PeekMessageA(PM_REMOVE)),
// then TranslateMessage and DispatchMessageA. Answers false when the
// message was WM_QUIT (nothing is dispatched then), true otherwise, also
// when the message was gone: the loop looks again, it never blocks.
bool GetAndDispatchMessage();

bool PtInWindowRect(HWND hWnd, const POINT& pt);
bool ScreenToClient(HWND hWnd, POINT* pt);

// The window's keyboard and mouse (DirectInput 8, or SDL2's input state),
// not yet created: GWin32App::Create hands them to GInput, which creates
// them for the window.
std::unique_ptr<InputDevices> NewSystemInputDevices();

}  // namespace ws
}  // namespace GFC
