// The few window operations a game needs beside GWin32App, for code that
// builds without <windows.h>: on Windows each is the user32 call of the same
// name; on Linux the SDL2 back end does the same to its window.
#pragma once

#include "framework/GTypes.h"
#include "framework/GfcApi.h"
#include "framework/WinTypes.h"

namespace GFC {
namespace WinApi {

// nCmd: SW_HIDE, SW_SHOW, SW_SHOWNORMAL, SW_MINIMIZE, SW_RESTORE... (WinMsg.h).
// Answers whether the window was visible before.
GFC_API bool ShowWindow(HWND hWnd, int nCmd);
GFC_API bool IsWindowVisible(HWND hWnd);
// Brings the window to the front and gives it the keyboard (input devices
// read only while their window is in the foreground).
GFC_API bool SetForegroundWindow(HWND hWnd);
// Queues a window message for the window; it arrives in OnWin32Msg from
// the main loop.
GFC_API bool PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues WM_QUIT: MainLoop ends once it reaches it.
GFC_API void PostQuitMessage(int exitCode);
GFC_API bool SetWindowTextA(HWND hWnd, const char* text);
// Rectangles in screen coordinates (window) and client coordinates
// (client: left and top are 0).
GFC_API bool GetWindowRect(HWND hWnd, RECT* rc);
GFC_API bool GetClientRect(HWND hWnd, RECT* rc);
// The desktop work area (SPI_GETWORKAREA): the screen without task bars.
GFC_API bool GetWorkArea(RECT* rc);
// The system's default handling of a message (DefWindowProcA).
GFC_API uint32_t DefWindowProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Paints the engine's 2D drawing recorded since the last frame (filled
// quads and debug strings, Lumo::DrawX; other kinds are left out) into the
// window's client area over a black background, then clears the record. The
// stand-in engine renders nothing by itself; this is what makes a frame
// visible.
GFC_API void PresentFrame(HWND hWnd);

}  // namespace WinApi
}  // namespace GFC
