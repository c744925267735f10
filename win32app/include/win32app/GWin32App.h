// The application base of Talvane: one top-level window, and the main loop
// that pumps window messages and, whenever none is waiting, delivers the
// application's own posted game messages and runs one frame.
//
// A game derives from GWin32App, calls Create once, then MainLoop. Posting
// game message 1000 (kGameMsgQuit) ends the loop in order: the pass in
// progress finishes, then the last posted messages are delivered, OnDestroy
// runs and the window goes away.
//
// On Windows the window is a Win32 window of class "GWin32Wnd"; on Linux it
// is an SDL2 window whose events arrive in OnWin32Msg as the same Windows
// messages (WinMsg.h), so one game source serves both.
//
// Single-threaded: every operation runs on the thread that calls Create and
// MainLoop.
#pragma once

#include <cstddef>
#include <list>

#include "framework/GTypes.h"
#include "framework/GameMsg.h"
#include "framework/GfcApi.h"
#include "framework/WinTypes.h"

// <windows.h> renames PostMessage to PostMessageA or PostMessageW; the member
// keeps its own name, and callers that see the macro reach it through the
// forwarding members below (declared everywhere, so that the class is the
// same on every platform).
#pragma push_macro("PostMessage")
#undef PostMessage

namespace GFC {

class GFC_API GWin32App {
public:
    GWin32App();
    GWin32App(const GWin32App& other);
    GWin32App& operator=(const GWin32App& other);
    virtual ~GWin32App();

    // Registers the window class, creates and places the window, creates
    // the input devices (GInput), calls OnCreate, and leaves the window
    // hidden: showing it is the game's business (WinApi::ShowWindow).
    // Fullscreen: a borderless topmost window at (0, 0) whose client area is
    // width x height. Windowed: a captioned window covering the desktop work
    // area (width and height stand only when the work area is unknown).
    // Throws Lumo::Exception when the class or the window cannot be made.
    void Create(unsigned width, unsigned height, const char* title, bool fullscreen, HICON icon);

    // Runs until the running flag clears (message 1000) or WM_QUIT arrives,
    // then delivers what is still posted, calls OnDestroy and destroys the
    // window. Not entered when the running flag is already clear.
    void MainLoop();

    // Appends a game message; it is delivered to OnGameMsg before the next
    // frame (or, when posted from OnGameMsg, in the same delivery).
    void PostMessage(unsigned long msg, unsigned long param1, unsigned long param2);
    void PostMessageA(unsigned long msg, unsigned long param1, unsigned long param2) {
        PostMessage(msg, param1, param2);
    }
    void PostMessageW(unsigned long msg, unsigned long param1, unsigned long param2) {
        PostMessage(msg, param1, param2);
    }

    HWND GetHWnd() const { return m_hWnd; }
    // Whether a screen point lies inside the window's rectangle, frame
    // included.
    bool IfPointInClient(const POINT& pt) const;
    // Screen to client coordinates, in place; false (pt unchanged) without
    // a window.
    bool ScreenToClient(POINT* pt) const;

    bool IsRunning() const { return m_bRunning; }
    bool IsFullscreen() const { return m_bFullscreen; }
    // Game messages posted and not yet delivered.
    size_t GetPostedMsgNum() const { return m_msgs.size(); }

    // The most recently constructed application that still exists, or null.
    static GWin32App* Inst();

    // The window procedure of the class: the instance's OnWin32Msg, or the
    // system's default handling when there is no instance.
    static uint32_t WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // Calls OnDestroy, then destroys the window if there is one.
    void Destroy();

    // The game's own start-up, called once by Create after the window and
    // the input devices exist.
    virtual void OnCreate() = 0;
    // The game's shutdown, called when MainLoop ends and by Destroy.
    virtual void OnDestroy() = 0;
    // One frame, called by MainLoop whenever no window message is waiting.
    virtual void OnFrame() = 0;
    // Every window message. The base minimises a fullscreen window when the
    // application is deactivated and restores it when activated, then hands
    // every message to the system's default handling. Overrides call the
    // base for what they do not handle.
    virtual uint32_t OnWin32Msg(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Each posted game message, in posting order; message 1000 included.
    virtual void OnGameMsg(uint32_t msg, uint32_t param1, uint32_t param2) = 0;

private:
    void DoMessages();

    std::list<tagGameMsg> m_msgs;  // posted, oldest first
    bool m_bFullscreen;
    bool m_bRunning;
    HWND m_hWnd;
};

}  // namespace GFC

#pragma pop_macro("PostMessage")
