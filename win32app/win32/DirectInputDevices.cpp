// The keyboard and mouse over DirectInput 8 (Windows builds only).
#define DIRECTINPUT_VERSION 0x0800
#include "platform/native_windows.h"
// after <windows.h>
#include <dinput.h>

#include <cstring>

#include "WindowSystem.h"
#include "framework/InputDevices.h"

namespace GFC {

namespace {

constexpr DWORD kCooperativeLevel = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;  // 6
constexpr DWORD kDevCapsSize = 44;
static_assert(sizeof(DIDEVCAPS) == kDevCapsSize, "DIDEVCAPS as the mouse is asked with");
static_assert(sizeof(DIMOUSESTATE2) == sizeof(tagMouseState), "the snapshot is DIMOUSESTATE2");
static_assert(kCooperativeLevel == 6, "cooperative level");
// Re-acquiring a lost device repeats while DirectInput answers "input lost",
// but not for ever: a device that stays lost reads as all up this frame and
// is tried again the next.
constexpr int kMaxReacquire = 16;

template <class T>
void ReleaseCom(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

void Reacquire(IDirectInputDevice8A* device) {
    HRESULT hr = device->Acquire();
    for (int i = 0; hr == DIERR_INPUTLOST && i < kMaxReacquire; ++i) {
        hr = device->Acquire();
    }
}

class DirectInputDevices final : public InputDevices {
public:
    // The COM objects are released by Release only; see GInput's destructor.
    ~DirectInputDevices() override = default;

    bool Create(HWND window) override {
        Release();
        m_window = window;
        if (FAILED(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                      IID_IDirectInput8A, reinterpret_cast<void**>(&m_di),
                                      nullptr))) {
            m_di = nullptr;
            return false;
        }
        if (FAILED(m_di->CreateDevice(GUID_SysKeyboard, &m_keyboard, nullptr))) {
            m_keyboard = nullptr;
            return false;
        }
        if (FAILED(m_keyboard->SetDataFormat(&c_dfDIKeyboard)) ||
            FAILED(m_keyboard->SetCooperativeLevel(window, kCooperativeLevel))) {
            ReleaseCom(m_keyboard);  // half made is absent: it would only fail to read
            return false;
        }
        m_keyboard->Acquire();  // fails quietly while the window is in the background

        if (FAILED(m_di->CreateDevice(GUID_SysMouse, &m_mouse, nullptr))) {
            m_mouse = nullptr;
            return false;
        }
        if (FAILED(m_mouse->SetDataFormat(&c_dfDIMouse2)) ||
            FAILED(m_mouse->SetCooperativeLevel(window, kCooperativeLevel))) {
            ReleaseCom(m_mouse);
            return false;
        }
        m_mouse->Acquire();
        DIDEVCAPS caps;
        std::memset(&caps, 0, sizeof caps);
        caps.dwSize = kDevCapsSize;
        if (FAILED(m_mouse->GetCapabilities(&caps)) || !(caps.dwFlags & DIDC_ATTACHED)) {
            ReleaseCom(m_mouse);
            return false;
        }
        m_axes = caps.dwAxes;
        m_buttons = caps.dwButtons;
        return true;
    }

    void Release() override {
        if (m_keyboard) {
            m_keyboard->Unacquire();
            ReleaseCom(m_keyboard);
        }
        if (m_mouse) {
            m_mouse->Unacquire();
            ReleaseCom(m_mouse);
        }
        ReleaseCom(m_di);
        m_axes = m_buttons = 0;
        m_window = nullptr;
    }

    bool HasKeyboard() const override { return m_keyboard != nullptr; }
    bool HasMouse() const override { return m_mouse != nullptr; }
    uint32_t MouseAxes() const override { return m_mouse ? m_axes : 0; }
    uint32_t MouseButtons() const override { return m_mouse ? m_buttons : 0; }

    bool ReadKeyboard(uint8_t keys[kKeyCount]) override {
        if (SUCCEEDED(m_keyboard->GetDeviceState(kKeyCount, keys))) {
            return true;
        }
        Reacquire(m_keyboard);
        return false;
    }

    bool ReadMouse(tagMouseState& state) override {
        if (SUCCEEDED(m_mouse->GetDeviceState(sizeof(DIMOUSESTATE2), &state))) {
            return true;
        }
        Reacquire(m_mouse);
        return false;
    }

    POINT CursorScreenPos() override {
        ::POINT p{0, 0};
        ::GetCursorPos(&p);
        return POINT{p.x, p.y};
    }

    POINT CursorClientPos() override {
        POINT p = CursorScreenPos();
        if (m_window) {
            ws::ScreenToClient(m_window, &p);
        }
        return p;
    }

private:
    HWND m_window = nullptr;
    IDirectInput8A* m_di = nullptr;
    IDirectInputDevice8A* m_keyboard = nullptr;
    IDirectInputDevice8A* m_mouse = nullptr;
    uint32_t m_axes = 0;
    uint32_t m_buttons = 0;
};

}  // namespace

std::unique_ptr<InputDevices> ws::NewSystemInputDevices() {
    return std::make_unique<DirectInputDevices>();
}

}  // namespace GFC
