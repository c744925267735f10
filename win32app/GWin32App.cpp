#include "win32app/GWin32App.h"

#include "WindowSystem.h"
#include "framework/GInput.h"
#include "lumo/Exception.h"
#include "win32app/WinApi.h"
#include "win32app/WinMsg.h"

namespace GFC {

namespace {

// The source path the framework's exceptions carry for this file.
constexpr const char* kSrcFile = ".\\win32app\\GWin32App";
constexpr int kLineRegisterClass = 56;
constexpr int kLineCreateWindow = 86;

GWin32App* g_instance = nullptr;

}  // namespace

GWin32App::GWin32App() : m_bFullscreen(false), m_bRunning(true), m_hWnd(nullptr) {
    g_instance = this;
}

GWin32App::GWin32App(const GWin32App& other)
    : m_msgs(other.m_msgs),
      m_bFullscreen(other.m_bFullscreen),
      m_bRunning(other.m_bRunning),
      m_hWnd(other.m_hWnd) {
    g_instance = this;
}

GWin32App& GWin32App::operator=(const GWin32App& other) {
    m_msgs = other.m_msgs;
    m_bFullscreen = other.m_bFullscreen;
    m_bRunning = other.m_bRunning;
    m_hWnd = other.m_hWnd;
    return *this;
}

GWin32App::~GWin32App() {
    // The window procedure must not reach an application that is gone.
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

GWin32App* GWin32App::Inst() {
    return g_instance;
}

uint32_t GWin32App::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!g_instance) {
        return WinApi::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    return g_instance->OnWin32Msg(hWnd, msg, wParam, lParam);
}

void GWin32App::Create(unsigned width, unsigned height, const char* title, bool fullscreen,
                       HICON icon) {
    m_bFullscreen = fullscreen;
    if (!ws::RegisterAppClass(icon)) {
        throw Lumo::Exception("error register window class", kSrcFile, kLineRegisterClass);
    }
    m_hWnd = ws::CreateAppWindow(title ? title : "", fullscreen);
    if (!m_hWnd) {
        throw Lumo::Exception("error creating window", kSrcFile, kLineCreateWindow);
    }

    RECT window{}, client{};
    WinApi::GetWindowRect(m_hWnd, &window);
    WinApi::GetClientRect(m_hWnd, &client);
    const int frameX = (window.right - window.left) - (client.right - client.left);
    const int frameY = (window.bottom - window.top) - (client.bottom - client.top);
    if (fullscreen) {
        ws::PlaceWindow(m_hWnd, 0, 0, static_cast<int>(width) + frameX,
                        static_cast<int>(height) + frameY);
    } else {
        RECT area{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
        WinApi::GetWorkArea(&area);  // leaves area as it was when it cannot be read
        ws::PlaceWindow(m_hWnd, area.left, area.top, area.right, area.bottom);
    }

    GInput* input = GInput::Inst();
    if (!input->GetDevices()) {
        input->SetDevices(ws::NewSystemInputDevices());
    }
    input->CreateInput(m_hWnd);  // without devices, input reports nothing pressed
    OnCreate();
    WinApi::ShowWindow(m_hWnd, SW_HIDE);
    ws::UpdateWindow(m_hWnd);
    m_bRunning = true;
}

void GWin32App::MainLoop() {
    while (m_bRunning) {
        if (ws::IsMessageWaiting()) {
            if (!ws::GetAndDispatchMessage()) {
                break;  // WM_QUIT
            }
        } else {
            DoMessages();
            OnFrame();
        }
    }
    DoMessages();
    OnDestroy();
    if (m_hWnd) {
        ws::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
}

void GWin32App::PostMessage(unsigned long msg, unsigned long param1, unsigned long param2) {
    m_msgs.push_back(tagGameMsg{static_cast<uint32_t>(msg), static_cast<uint32_t>(param1),
                                static_cast<uint32_t>(param2)});
}

void GWin32App::DoMessages() {
    // A handler may post more; the end is looked up again at each step, so
    // those are delivered in this same walk.
    for (auto it = m_msgs.begin(); it != m_msgs.end(); ++it) {
        const tagGameMsg msg = *it;
        if (msg.msg == kGameMsgQuit) {
            m_bRunning = false;
            if (m_hWnd) {
                WinApi::ShowWindow(m_hWnd, SW_HIDE);
            }
        }
        OnGameMsg(msg.msg, msg.param1, msg.param2);
    }
    m_msgs.clear();
}

void GWin32App::Destroy() {
    OnDestroy();
    if (m_hWnd) {
        ws::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
}

bool GWin32App::IfPointInClient(const POINT& pt) const {
    return m_hWnd && ws::PtInWindowRect(m_hWnd, pt);
}

bool GWin32App::ScreenToClient(POINT* pt) const {
    return m_hWnd && pt && ws::ScreenToClient(m_hWnd, pt);
}

uint32_t GWin32App::OnWin32Msg(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Only a window on screen is minimised or restored: minimising a hidden
    // one would show it (Create hides the window, and the application is
    // deactivated right then).
    if (msg == WM_ACTIVATEAPP && m_bFullscreen && WinApi::IsWindowVisible(hWnd)) {
        WinApi::ShowWindow(hWnd, wParam == 0 ? SW_MINIMIZE : SW_SHOWNORMAL);
    }
    return WinApi::DefWindowProcA(hWnd, msg, wParam, lParam);
}

}  // namespace GFC
