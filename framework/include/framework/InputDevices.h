// The keyboard and mouse under GInput. The system's devices belong to the
// application window (win32app/: DirectInput 8 on Windows, SDL2's keyboard
// and mouse state on Linux; both give DirectInput key codes and the
// DirectInput mouse snapshot), which hands them to GInput; ScriptedInput
// stands in for them in tests and headless runs.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/GTypes.h"
#include "framework/GfcApi.h"
#include "framework/WinTypes.h"

namespace GFC {

// The mouse snapshot, laid out as DirectInput's DIMOUSESTATE2.
struct tagMouseState {
    int32_t lX;  // movement since the last snapshot, in mickeys
    int32_t lY;
    int32_t lZ;             // wheel, 120 per notch
    uint8_t rgbButtons[8];  // high bit set: down
};
static_assert(sizeof(tagMouseState) == 20, "DIMOUSESTATE2 is 20 bytes");

constexpr int kKeyCount = 256;        // keyboard snapshot bytes, by DirectInput key code
constexpr int kMouseButtonSlots = 8;  // buttons in the mouse snapshot
constexpr uint8_t kDownBit = 0x80;

class GFC_API InputDevices {
public:
    virtual ~InputDevices();

    // Creates both devices for the window (cooperative level: non-exclusive,
    // foreground). False when either could not be made; what was made stays.
    virtual bool Create(HWND window) = 0;
    // Releases both devices; safe to call twice.
    virtual void Release() = 0;
    virtual bool HasKeyboard() const = 0;
    virtual bool HasMouse() const = 0;
    // From the mouse's capabilities; 0 without a mouse.
    virtual uint32_t MouseAxes() const = 0;
    virtual uint32_t MouseButtons() const = 0;

    // This frame's state of all keys into keys. False when the device is
    // lost (the application is in the background); the device then tries to
    // re-acquire, and the caller keeps its all-up snapshot.
    virtual bool ReadKeyboard(uint8_t keys[kKeyCount]) = 0;
    // This frame's mouse snapshot; false as for the keyboard.
    virtual bool ReadMouse(tagMouseState& state) = 0;
    // The cursor in screen coordinates.
    virtual POINT CursorScreenPos() = 0;
    // The cursor in the client coordinates of the window the devices were
    // created for; screen coordinates when there is no such window.
    virtual POINT CursorClientPos() = 0;
};

// Devices whose state the caller sets: tests script presses frame by frame,
// headless tools run without any. Created devices have a keyboard and a
// mouse with 3 axes and 8 buttons unless told otherwise.
class GFC_API ScriptedInput : public InputDevices {
public:
    ScriptedInput(bool keyboard = true, bool mouse = true, uint32_t mouseButtons = 8);

    bool Create(HWND window) override;
    void Release() override;
    bool HasKeyboard() const override { return m_created && m_keyboard; }
    bool HasMouse() const override { return m_created && m_mouse; }
    uint32_t MouseAxes() const override { return HasMouse() ? 3 : 0; }
    uint32_t MouseButtons() const override { return HasMouse() ? m_buttons : 0; }
    bool ReadKeyboard(uint8_t keys[kKeyCount]) override;
    bool ReadMouse(tagMouseState& state) override;
    POINT CursorScreenPos() override { return m_cursor; }
    POINT CursorClientPos() override {
        return POINT{m_cursor.x - m_origin.x, m_cursor.y - m_origin.y};
    }

    void SetKey(uint8_t key, bool down);
    void SetButton(uint8_t button, bool down);
    // Movement reported by the next ReadMouse only.
    void Move(int32_t dx, int32_t dy, int32_t dz = 0);
    void SetCursor(POINT screen) { m_cursor = screen; }
    // Where the window's client area starts on the screen ((0, 0) unless
    // told otherwise).
    void SetClientOrigin(POINT screen) { m_origin = screen; }
    // While lost, reads fail as a background application's do.
    void SetLost(bool lost) { m_lost = lost; }
    HWND GetWindow() const { return m_window; }
    int GetReadFailures() const { return m_readFailures; }

private:
    bool m_keyboard, m_mouse;
    uint32_t m_buttons;
    bool m_created = false;
    bool m_lost = false;
    HWND m_window = nullptr;
    uint8_t m_keys[kKeyCount] = {};
    tagMouseState m_mouseState = {};
    POINT m_cursor = {0, 0};
    POINT m_origin = {0, 0};
    int m_readFailures = 0;
};

}  // namespace GFC
