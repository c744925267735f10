// The keyboard and mouse over SDL2's input state (Linux builds), presented
// as DirectInput presents them: key states indexed by DirectInput key code,
// the 20-byte mouse snapshot with relative movement and the wheel in
// 120ths of a notch. As with DirectInput's foreground level, the devices
// read as lost while the application window does not have the keyboard
// focus.
#include <SDL2/SDL.h>

#include <atomic>
#include <cstring>

#include "WindowSystem.h"
#include "framework/DIKeys.h"
#include "framework/InputDevices.h"

namespace GFC {

namespace {

constexpr int kWheelDelta = 120;
constexpr uint32_t kMouseAxes = 3;
constexpr uint32_t kMouseButtons = 5;  // left, right, middle, and two side buttons

struct KeyMap {
    SDL_Scancode sdl;
    uint8_t dik;
};

// SDL's key positions (USB usages) onto DirectInput's (PC scan codes).
constexpr KeyMap kKeyMap[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, DIK_1},
    {SDL_SCANCODE_2, DIK_2},
    {SDL_SCANCODE_3, DIK_3},
    {SDL_SCANCODE_4, DIK_4},
    {SDL_SCANCODE_5, DIK_5},
    {SDL_SCANCODE_6, DIK_6},
    {SDL_SCANCODE_7, DIK_7},
    {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9},
    {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DIK_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1},
    {SDL_SCANCODE_F2, DIK_F2},
    {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5},
    {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7},
    {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
    {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT},
    {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN},
    {SDL_SCANCODE_RGUI, DIK_RWIN},
    {SDL_SCANCODE_APPLICATION, DIK_APPS},
};

class SdlInputDevices final : public InputDevices {
public:
    ~SdlInputDevices() override { StopWheelWatch(); }

    bool Create(HWND window) override {
        Release();
        m_handle = window;
        m_window = reinterpret_cast<SDL_Window*>(window);
        if (!m_window || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            m_window = nullptr;
            return false;
        }
        SDL_GetRelativeMouseState(nullptr, nullptr);  // movement counts from here
        SDL_AddEventWatch(&SdlInputDevices::WatchWheel, this);
        m_watching = true;
        m_created = true;
        return true;
    }

    void Release() override {
        StopWheelWatch();
        m_created = false;
        m_window = nullptr;
        m_handle = nullptr;
        m_wheel.store(0);
    }

    bool HasKeyboard() const override { return m_created; }
    bool HasMouse() const override { return m_created; }
    uint32_t MouseAxes() const override { return m_created ? kMouseAxes : 0; }
    uint32_t MouseButtons() const override { return m_created ? kMouseButtons : 0; }

    bool ReadKeyboard(uint8_t keys[kKeyCount]) override {
        if (!InForeground()) {
            return false;
        }
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        for (const KeyMap& k : kKeyMap) {
            if (k.sdl < count && state[k.sdl]) {
                keys[k.dik] = kDownBit;
            }
        }
        return true;
    }

    bool ReadMouse(tagMouseState& state) override {
        int dx = 0, dy = 0;
        // Read even when lost, so movement made in the background is not
        // reported once the window is back.
        SDL_GetRelativeMouseState(&dx, &dy);
        const int wheel = m_wheel.exchange(0);
        if (!InForeground()) {
            return false;
        }
        const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
        std::memset(&state, 0, sizeof state);
        state.lX = dx;
        state.lY = dy;
        state.lZ = wheel;
        // DirectInput's order: left, right, middle, then the side buttons.
        const Uint32 masks[kMouseButtons] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK,
                                             SDL_BUTTON_X1MASK, SDL_BUTTON_X2MASK};
        for (uint32_t i = 0; i < kMouseButtons; ++i) {
            state.rgbButtons[i] = (buttons & masks[i]) ? kDownBit : 0;
        }
        return true;
    }

    POINT CursorScreenPos() override {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        return POINT{x, y};
    }

    POINT CursorClientPos() override {
        POINT p = CursorScreenPos();
        ws::ScreenToClient(m_handle, &p);  // leaves p alone without a window
        return p;
    }

private:
    bool InForeground() const { return m_window && SDL_GetKeyboardFocus() == m_window; }

    void StopWheelWatch() {
        if (m_watching) {
            SDL_DelEventWatch(&SdlInputDevices::WatchWheel, this);
            m_watching = false;
        }
    }

    // SDL keeps no wheel state; the watch sums the wheel events as they are
    // queued (on the thread that pumps events).
    static int SDLCALL WatchWheel(void* user, SDL_Event* e) {
        if (e->type == SDL_MOUSEWHEEL) {
            auto* self = static_cast<SdlInputDevices*>(user);
            const int notches =
                e->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e->wheel.y : e->wheel.y;
            self->m_wheel.fetch_add(notches * kWheelDelta);
        }
        return 1;
    }

    SDL_Window* m_window = nullptr;
    HWND m_handle = nullptr;  // m_window as the framework names it
    bool m_created = false;
    bool m_watching = false;
    std::atomic<int> m_wheel{0};
};

}  // namespace

std::unique_ptr<InputDevices> ws::NewSystemInputDevices() {
    return std::make_unique<SdlInputDevices>();
}

}  // namespace GFC
