// The process-wide keyboard and mouse reader. Each frame the game calls
// UpdateKBInput and UpdateMouseInput, which move this frame's snapshot of the
// device to "previous" and take a new one; queries then answer levels (held
// now) and edges (pressed or released since the previous snapshot).
//
// Keys are DirectInput key codes (DIKeys.h), 0 to 255; mouse buttons 0 to 7
// (0 left, 1 right, 2 middle). A device that could not be created, or is
// lost because the application is in the background, reads as all up and
// still.
//
// The devices come from outside: GWin32App::Create hands the system's devices
// over (unless some were set before) and creates them for its window; tests
// and headless runs set their own. Game thread only.
#pragma once

#include <memory>

#include "framework/GTypes.h"
#include "framework/GfcApi.h"
#include "framework/InputDevices.h"

namespace GFC {

struct tagInputState;

class GFC_API GInput {
public:
    static GInput* Inst();

    // Releases the devices (keyboard, then mouse). Safe to call twice.
    void Destroy();

    void UpdateKBInput();
    void UpdateMouseInput();

    // Down now. (Both names answer the same.)
    bool KeyDown(unsigned short key);
    bool KeyPressed(unsigned short key);
    // Down now and up in the previous snapshot.
    bool KeyDownFirst(unsigned short key);

    // False for a button at or beyond the mouse's button count.
    bool MouseDown(unsigned char button);
    bool MouseDownFirst(unsigned char button);  // down now, up before
    bool MouseUp(unsigned char button);         // up now, down before

    // This frame's movement times the scale.
    float GetRelativeX();
    float GetRelativeY();
    float GetRelativeZ();
    bool IsMouseMove();
    // The cursor's screen position times the scale.
    float GetAbsouluteX();
    float GetAbsouluteY();
    // The cursor in the client coordinates of the window the devices were
    // created for (screen coordinates without one or without devices).
    POINT GetCursorPos();

    // The scale applies to every scaled query; the flag is only stored.
    void SetAttributes(bool flag, float scale);
    bool GetAttributeFlag() const;
    float GetScale() const;

    // Creates the devices for the window (null: none); false when either
    // could not be made or there are no devices (queries on a missing one
    // report nothing). Called by GWin32App::Create.
    bool CreateInput(HWND window);

    // Replaces the device back end: the system's (from GWin32App::Create) or
    // ScriptedInput in tests and headless runs. The old devices are
    // released; the new ones are created by the next CreateInput. Null
    // leaves the input without devices, so the next GWin32App::Create hands
    // the system's again.
    void SetDevices(std::unique_ptr<InputDevices> devices);
    InputDevices* GetDevices() const;

    // The raw snapshots, for tools and tests.
    const uint8_t* GetKeyboardState() const;  // kKeyCount bytes
    const tagMouseState& GetMouseState() const;

private:
    GInput();
    virtual ~GInput();
    GInput(const GInput&) = delete;
    GInput& operator=(const GInput&) = delete;

    tagInputState* m_pState;
};

}  // namespace GFC
