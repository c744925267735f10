// The window system over user32 and gdi32 (Windows builds only).
#include "platform/native_windows.h"
// after <windows.h>: the framework's types name the same handles
#include "WindowSystem.h"
#include "lumo/DrawX.h"
#include "win32app/GWin32App.h"
#include "win32app/WinApi.h"

namespace GFC {

namespace {

constexpr const char* kClassName = "GWin32Wnd";
constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;  // 11
constexpr DWORD kFullscreenExStyle = WS_EX_TOPMOST;
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // 0x86000000
constexpr DWORD kWindowedExStyle = WS_EX_APPWINDOW;
constexpr DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x00CA0000
static_assert(kClassStyle == 11, "class style");
static_assert(kFullscreenStyle == 0x86000000u && kWindowedStyle == 0x00CA0000u, "styles");

// The framework's procedure answers 32 bits; Windows wants a pointer-wide
// result. Sign extension keeps -1 (WM_CREATE's refusal) and handle values
// as they were.
LRESULT CALLBACK ClassProc(::HWND hWnd, ::UINT msg, ::WPARAM wParam, ::LPARAM lParam) {
    const uint32_t r = GWin32App::WindowProc(hWnd, msg, wParam, lParam);
    return static_cast<LRESULT>(static_cast<int32_t>(r));
}

COLORREF ToColorRef(uint32_t argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// A filled rectangle, blended by the colour's alpha (255 = opaque).
void FillQuad(HDC dc, const Lumo::DrawCall& q) {
    const uint8_t alpha = static_cast<uint8_t>(q.colour >> 24);
    if (q.w <= 0 || q.h <= 0 || alpha == 0) {
        return;
    }
    if (alpha == 0xFF) {
        HBRUSH brush = CreateSolidBrush(ToColorRef(q.colour));
        ::RECT rc{q.x, q.y, q.x + q.w, q.y + q.h};
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
        return;
    }
    // One pixel of the colour, stretched and blended over the quad.
    HDC one = CreateCompatibleDC(dc);
    HBITMAP pixel = CreateCompatibleBitmap(dc, 1, 1);
    HGDIOBJ old = SelectObject(one, pixel);
    SetPixel(one, 0, 0, ToColorRef(q.colour));
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
    AlphaBlend(dc, q.x, q.y, q.w, q.h, one, 0, 0, 1, 1, blend);
    SelectObject(one, old);
    DeleteObject(pixel);
    DeleteDC(one);
}

}  // namespace

namespace ws {

bool RegisterAppClass(HICON icon) {
    WNDCLASSA wc{};
    wc.style = kClassStyle;
    wc.lpfnWndProc = ClassProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    if (RegisterClassA(&wc)) {
        return true;
    }
    // A second application in the same process finds the class it
    // registered before; that one serves.
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateAppWindow(const char* title, bool fullscreen) {
    return CreateWindowExA(fullscreen ? kFullscreenExStyle : kWindowedExStyle, kClassName, title,
                           fullscreen ? kFullscreenStyle : kWindowedStyle, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool PlaceWindow(HWND hWnd, int x, int y, int cx, int cy) {
    return SetWindowPos(hWnd, HWND_TOP, x, y, cx, cy, SWP_SHOWWINDOW) != 0;
}

bool UpdateWindow(HWND hWnd) {
    return ::UpdateWindow(hWnd) != 0;
}

bool DestroyWindow(HWND hWnd) {
    return ::DestroyWindow(hWnd) != 0;
}

bool IsMessageWaiting() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

bool GetAndDispatchMessage() {
    MSG msg;
    // Taken without waiting. The message the peek saw may be gone by now:
    // an input message moves to another program's queue when that program
    // takes the foreground between the two calls. GetMessageA would then
    // wait for the next message, and the game would stand still until one
    // came (two clients on one desktop froze one another this way).
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return true;  // nothing after all; the loop looks again
    }
    if (msg.message == WM_QUIT) {
        return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

bool PtInWindowRect(HWND hWnd, const POINT& pt) {
    ::RECT rc;
    if (!::GetWindowRect(hWnd, &rc)) {
        return false;
    }
    return PtInRect(&rc, ::POINT{pt.x, pt.y}) != 0;
}

bool ScreenToClient(HWND hWnd, POINT* pt) {
    ::POINT p{pt->x, pt->y};
    if (!::ScreenToClient(hWnd, &p)) {
        return false;
    }
    *pt = POINT{p.x, p.y};
    return true;
}

}  // namespace ws

namespace WinApi {

bool ShowWindow(HWND hWnd, int nCmd) {
    return ::ShowWindow(hWnd, nCmd) != 0;
}

bool IsWindowVisible(HWND hWnd) {
    return ::IsWindowVisible(hWnd) != 0;
}

bool SetForegroundWindow(HWND hWnd) {
    return ::SetForegroundWindow(hWnd) != 0;
}

bool PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(hWnd, msg, wParam, lParam) != 0;
}

void PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

bool SetWindowTextA(HWND hWnd, const char* text) {
    return ::SetWindowTextA(hWnd, text) != 0;
}

bool GetWindowRect(HWND hWnd, RECT* rc) {
    ::RECT r;
    if (!::GetWindowRect(hWnd, &r)) {
        return false;
    }
    *rc = RECT{r.left, r.top, r.right, r.bottom};
    return true;
}

bool GetClientRect(HWND hWnd, RECT* rc) {
    ::RECT r;
    if (!::GetClientRect(hWnd, &r)) {
        return false;
    }
    *rc = RECT{r.left, r.top, r.right, r.bottom};
    return true;
}

bool GetWorkArea(RECT* rc) {
    ::RECT area;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        return false;
    }
    *rc = RECT{area.left, area.top, area.right, area.bottom};
    return true;
}

uint32_t DefWindowProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return static_cast<uint32_t>(::DefWindowProcA(hWnd, msg, wParam, lParam));
}

void PresentFrame(HWND hWnd) {
    const std::vector<Lumo::DrawCall> calls = Lumo::DrawX::GetRecorded();
    Lumo::DrawX::ClearRecorded();
    ::RECT client;
    if (!hWnd || !::GetClientRect(hWnd, &client)) {
        return;
    }
    const int w = client.right, h = client.bottom;
    HDC screen = GetDC(hWnd);
    if (!screen) {
        return;
    }
    // Drawn off screen first, so a frame never shows half painted.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP back = CreateCompatibleBitmap(screen, w > 0 ? w : 1, h > 0 ? h : 1);
    HGDIOBJ oldBitmap = SelectObject(dc, back);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (const Lumo::DrawCall& c : calls) {
        if (c.kind == Lumo::DrawCall::QUAD_2D) {
            FillQuad(dc, c);
        } else if (c.kind == Lumo::DrawCall::DEBUG_STRING) {
            SetTextColor(dc, ToColorRef(c.colour));
            TextOutA(dc, c.x, c.y, c.text.data(), static_cast<int>(c.text.size()));
        }  // 3D debug drawing needs the scene's camera; a 2D frame leaves it out
    }
    BitBlt(screen, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(back);
    DeleteDC(dc);
    ReleaseDC(hWnd, screen);
}

}  // namespace WinApi
}  // namespace GFC
