// The window system over SDL2 (Linux builds). The application window is an
// SDL window; SDL's events are turned into the Windows messages a Win32
// window would receive (WinMsg.h), so GWin32App and the game see the same
// values on both platforms. Runs without a display under SDL's "offscreen"
// or "dummy" video driver (SDL_VIDEODRIVER).
#include <SDL2/SDL.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "WindowSystem.h"
#include "lumo/DrawX.h"
#include "platform/text.h"
#include "sdl/SdlKeys.h"
#include "sdl/SdlPaint.h"
#include "win32app/GWin32App.h"
#include "win32app/WinApi.h"
#include "win32app/WinMsg.h"

namespace GFC {

namespace {

// WM_xBUTTON key-state flags of wParam.
constexpr WPARAM kMkLButton = 0x0001;
constexpr WPARAM kMkRButton = 0x0002;
constexpr WPARAM kMkMButton = 0x0010;
constexpr int kWheelDelta = 120;  // one notch, as Windows reports it
// Code of the posted-message event that stands for WM_QUIT.
constexpr Sint32 kQuitCode = -1;

// A window message queued by PostMessageA; an SDL event of type
// State::postedEvent marks its place among the other events.
struct PostedMsg {
    HWND hWnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

struct State {
    std::mutex mu;  // PostMessageA may be called from any thread, as on Windows
    std::deque<PostedMsg> posted;
    std::set<SDL_Window*> live;          // windows created here and not yet destroyed
    std::atomic<Uint32> postedEvent{0};  // SDL user event type, registered once
    int videoRefs = 0;
};

State& S() {
    static State* s = new State;  // used until the very end; never torn down
    return *s;
}

SDL_Window* Win(HWND hWnd) {
    auto* w = reinterpret_cast<SDL_Window*>(hWnd);
    std::lock_guard<std::mutex> lock(S().mu);
    return S().live.count(w) ? w : nullptr;
}

HWND Handle(SDL_Window* w) {
    return reinterpret_cast<HWND>(w);
}

// The live window an event belongs to, or null.
HWND HandleOf(Uint32 windowID) {
    return Handle(Win(Handle(SDL_GetWindowFromID(windowID))));
}

LPARAM MakeLParam(int lo, int hi) {
    return static_cast<LPARAM>(static_cast<uint32_t>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}

// Frame thickness around the client area; zero where the window system
// cannot tell (no window manager, offscreen).
void Borders(SDL_Window* w, int& top, int& left, int& bottom, int& right) {
    if (SDL_GetWindowBordersSize(w, &top, &left, &bottom, &right) != 0) {
        top = left = bottom = right = 0;
    }
}

bool PushPostedMarker(Sint32 code) {
    SDL_Event e{};
    e.type = S().postedEvent;
    e.user.code = code;
    return SDL_PushEvent(&e) == 1;
}

WPARAM ButtonFlags(Uint32 state) {
    return ((state & SDL_BUTTON_LMASK) ? kMkLButton : 0) |
           ((state & SDL_BUTTON_RMASK) ? kMkRButton : 0) |
           ((state & SDL_BUTTON_MMASK) ? kMkMButton : 0);
}

void Deliver(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd) {
        GWin32App::WindowProc(hWnd, msg, wParam, lParam);
    }
}

void DispatchKey(const SDL_KeyboardEvent& k) {
    const HWND hWnd = HandleOf(k.windowID);
    const WPARAM vk = sdl::VirtualKey(k.keysym.sym);
    // lParam as Windows builds it: repeat count 1, the scan code, the
    // previous-state and transition bits.
    uint32_t bits = 1u | (static_cast<uint32_t>(k.keysym.scancode & 0xFF) << 16);
    if (k.repeat) {
        bits |= 1u << 30;
    }
    if (k.type == SDL_KEYUP) {
        bits |= (1u << 30) | (1u << 31);
    }
    Deliver(hWnd, k.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk,
            static_cast<LPARAM>(static_cast<int32_t>(bits)));
    const char c = sdl::ControlChar(k.keysym.sym);
    if (k.type == SDL_KEYDOWN && c && hWnd) {
        WinApi::PostMessageA(hWnd, WM_CHAR, static_cast<WPARAM>(c), 1);
    }
}

void DispatchWindowEvent(const SDL_WindowEvent& w) {
    const HWND hWnd = HandleOf(w.windowID);
    switch (w.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Deliver(hWnd, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            Deliver(hWnd, WM_ACTIVATEAPP, 1, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            Deliver(hWnd, WM_ACTIVATEAPP, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Deliver(hWnd, WM_SIZE, 0, MakeLParam(w.data1, w.data2));
            break;
        case SDL_WINDOWEVENT_MOVED:
            Deliver(hWnd, WM_MOVE, 0, MakeLParam(w.data1, w.data2));
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            Deliver(hWnd, WM_PAINT, 0, 0);
            break;
        default:
            break;
    }
}

void DispatchMouse(const SDL_Event& e) {
    if (e.type == SDL_MOUSEMOTION) {
        Deliver(HandleOf(e.motion.windowID), WM_MOUSEMOVE, ButtonFlags(e.motion.state),
                MakeLParam(e.motion.x, e.motion.y));
        return;
    }
    if (e.type == SDL_MOUSEWHEEL) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        const int delta = e.wheel.y * kWheelDelta;
        Deliver(HandleOf(e.wheel.windowID), WM_MOUSEWHEEL,
                static_cast<WPARAM>(static_cast<uint32_t>(delta) << 16) |
                    ButtonFlags(SDL_GetMouseState(nullptr, nullptr)),
                MakeLParam(x, y));
        return;
    }
    const SDL_MouseButtonEvent& b = e.button;
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    UINT msg;
    switch (b.button) {
        case SDL_BUTTON_LEFT:
            msg = down ? (b.clicks == 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
            break;
        case SDL_BUTTON_RIGHT:
            msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            break;
        case SDL_BUTTON_MIDDLE:
            msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            break;
        default:
            return;
    }
    Deliver(HandleOf(b.windowID), msg, ButtonFlags(SDL_GetMouseState(nullptr, nullptr)),
            MakeLParam(b.x, b.y));
}

}  // namespace

namespace ws {

bool RegisterAppClass(HICON /*icon*/) {
    State& s = S();
    // The game decides when to end: closing the last window is a WM_CLOSE
    // like any other, not a quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // PresentFrame paints into the window's own pixels; a GPU-backed
    // surface would only add a renderer (and, without a display, a software
    // GL stack) in between.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    // Without a display SDL falls back to a driver that shows nothing; a
    // window nobody can see is only right when it was asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool headless =
        driver && (std::string(driver) == "offscreen" || std::string(driver) == "dummy");
    if (headless && !(asked && *asked)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    std::lock_guard<std::mutex> lock(s.mu);
    ++s.videoRefs;
    if (s.postedEvent == 0) {
        const Uint32 type = SDL_RegisterEvents(1);
        if (type == static_cast<Uint32>(-1)) {
            return false;
        }
        s.postedEvent = type;
    }
    return true;
}

HWND CreateAppWindow(const char* title, bool fullscreen) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (fullscreen) {
        flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    }
    SDL_Window* w = SDL_CreateWindow(platform::GbkToUtf8(title).c_str(), 0, 0, 0, 0, flags);
    if (!w) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(S().mu);
    S().live.insert(w);
    return Handle(w);
}

bool PlaceWindow(HWND hWnd, int x, int y, int cx, int cy) {
    SDL_Window* w = Win(hWnd);
    if (!w) {
        return false;
    }
    // x, y, cx and cy describe the outer rectangle; SDL places the client
    // area.
    int top, left, bottom, right;
    Borders(w, top, left, bottom, right);
    const int cw = cx - left - right, ch = cy - top - bottom;
    SDL_SetWindowSize(w, cw > 0 ? cw : 1, ch > 0 ? ch : 1);
    SDL_SetWindowPosition(w, x + left, y + top);
    SDL_ShowWindow(w);
    return true;
}

bool UpdateWindow(HWND hWnd) {
    return Win(hWnd) != nullptr;
}

bool DestroyWindow(HWND hWnd) {
    SDL_Window* w = Win(hWnd);
    if (!w) {
        return false;
    }
    GWin32App::WindowProc(hWnd, WM_DESTROY, 0, 0);
    bool quitVideo;
    {
        std::lock_guard<std::mutex> lock(S().mu);
        S().live.erase(w);
        quitVideo = S().videoRefs > 0;
        if (quitVideo) {
            --S().videoRefs;
        }
    }
    SDL_DestroyWindow(w);
    if (quitVideo) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    return true;
}

bool IsMessageWaiting() {
    SDL_PumpEvents();
    return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE;
}

bool GetAndDispatchMessage() {
    SDL_Event e;
    if (!SDL_PollEvent(&e)) {
        return true;  // nothing after all; the loop looks again
    }
    State& s = S();
    if (e.type == SDL_QUIT) {
        return false;  // a signal asked the program to end: WM_QUIT
    }
    if (e.type == s.postedEvent) {
        if (e.user.code == kQuitCode) {
            return false;
        }
        PostedMsg m;
        {
            std::lock_guard<std::mutex> lock(s.mu);
            if (s.posted.empty()) {
                return true;
            }
            m = s.posted.front();
            s.posted.pop_front();
        }
        Deliver(Handle(Win(m.hWnd)), m.msg, m.wParam, m.lParam);
        return true;
    }
    switch (e.type) {
        case SDL_WINDOWEVENT:
            DispatchWindowEvent(e.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            DispatchKey(e.key);
            break;
        case SDL_TEXTINPUT: {
            // One WM_CHAR per byte of the text in the game's code page, as a
            // Windows ANSI window receives double-byte characters.
            const HWND hWnd = HandleOf(e.text.windowID);
            for (unsigned char c : platform::Utf8ToGbk(e.text.text)) {
                Deliver(hWnd, WM_CHAR, c, 1);
            }
            break;
        }
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
            DispatchMouse(e);
            break;
        default:
            break;
    }
    return true;
}

bool PtInWindowRect(HWND hWnd, const POINT& pt) {
    RECT rc;
    if (!WinApi::GetWindowRect(hWnd, &rc)) {
        return false;
    }
    // PtInRect: the left and top edges are inside, the right and bottom not.
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

bool ScreenToClient(HWND hWnd, POINT* pt) {
    SDL_Window* w = Win(hWnd);
    if (!w) {
        return false;
    }
    int x, y;
    SDL_GetWindowPosition(w, &x, &y);
    pt->x -= x;
    pt->y -= y;
    return true;
}

}  // namespace ws

namespace WinApi {

bool ShowWindow(HWND hWnd, int nCmd) {
    SDL_Window* w = Win(hWnd);
    if (!w) {
        return false;
    }
    const bool wasVisible = (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0;
    switch (nCmd) {
        case SW_HIDE:
            SDL_HideWindow(w);
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            SDL_MinimizeWindow(w);
            break;
        case SW_SHOWMAXIMIZED:
            SDL_ShowWindow(w);
            SDL_MaximizeWindow(w);
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            SDL_ShowWindow(w);
            SDL_RestoreWindow(w);
            break;
        default:
            SDL_ShowWindow(w);
            break;
    }
    return wasVisible;
}

bool IsWindowVisible(HWND hWnd) {
    SDL_Window* w = Win(hWnd);
    return w && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0;
}

bool SetForegroundWindow(HWND hWnd) {
    SDL_Window* w = Win(hWnd);
    if (!w) {
        return false;
    }
    SDL_RaiseWindow(w);
    return SDL_SetWindowInputFocus(w) == 0;
}

bool PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    State& s = S();
    {
        std::lock_guard<std::mutex> lock(s.mu);
        if (s.postedEvent == 0 || !s.live.count(reinterpret_cast<SDL_Window*>(hWnd))) {
            return false;
        }
        s.posted.push_back(PostedMsg{hWnd, msg, wParam, lParam});
    }
    if (!PushPostedMarker(0)) {
        std::lock_guard<std::mutex> lock(s.mu);
        s.posted.pop_back();
        return false;
    }
    return true;
}

void PostQuitMessage(int /*exitCode*/) {
    if (S().postedEvent != 0) {
        PushPostedMarker(kQuitCode);
    }
}

bool SetWindowTextA(HWND hWnd, const char* text) {
    SDL_Window* w = Win(hWnd);
    if (!w) {
        return false;
    }
    SDL_SetWindowTitle(w, platform::GbkToUtf8(text ? text : "").c_str());
    return true;
}

bool GetWindowRect(HWND hWnd, RECT* rc) {
    SDL_Window* w = Win(hWnd);
    if (!w || !rc) {
        return false;
    }
    int x, y, cw, ch, top, left, bottom, right;
    SDL_GetWindowPosition(w, &x, &y);
    SDL_GetWindowSize(w, &cw, &ch);
    Borders(w, top, left, bottom, right);
    *rc = RECT{x - left, y - top, x + cw + right, y + ch + bottom};
    return true;
}

bool GetClientRect(HWND hWnd, RECT* rc) {
    SDL_Window* w = Win(hWnd);
    if (!w || !rc) {
        return false;
    }
    int cw, ch;
    SDL_GetWindowSize(w, &cw, &ch);
    *rc = RECT{0, 0, cw, ch};
    return true;
}

bool GetWorkArea(RECT* rc) {
    // The display is known only while the video system is up; a game may ask
    // before its window exists.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    SDL_Rect r;
    const bool ok = SDL_GetDisplayUsableBounds(0, &r) == 0;
    if (ok) {
        *rc = RECT{r.x, r.y, r.x + r.w, r.y + r.h};
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return ok;
}

uint32_t DefWindowProcA(HWND hWnd, UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    // The one default that matters to a game: closing destroys the window.
    if (msg == WM_CLOSE) {
        ws::DestroyWindow(hWnd);
    }
    return 0;
}

void PresentFrame(HWND hWnd) {
    const std::vector<Lumo::DrawCall> calls = Lumo::DrawX::GetRecorded();
    Lumo::DrawX::ClearRecorded();
    SDL_Window* w = Win(hWnd);
    SDL_Surface* surface = w ? SDL_GetWindowSurface(w) : nullptr;
    if (!surface) {
        return;
    }
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    for (const Lumo::DrawCall& c : calls) {
        if (c.kind == Lumo::DrawCall::QUAD_2D) {
            sdl::FillQuad(surface, c);
        } else if (c.kind == Lumo::DrawCall::DEBUG_STRING) {
            sdl::DrawText(surface, c);
        }  // 3D debug drawing needs the scene's camera; a 2D frame leaves it out
    }
    SDL_UpdateWindowSurface(w);
}

}  // namespace WinApi
}  // namespace GFC
