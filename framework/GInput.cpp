#include "framework/GInput.h"

#include <cstring>

namespace GFC {

struct tagInputState {
    std::unique_ptr<InputDevices> devices;  // null until CreateInput or SetDevices
    tagMouseState mouse;                    // current
    tagMouseState mousePrev;
    bool attributeFlag;
    float scale;
    uint32_t mouseAxes;  // 0 until the mouse exists
    uint32_t mouseButtons;
    uint8_t keys[kKeyCount];  // current
    uint8_t keysPrev[kKeyCount];
};

namespace {

bool IsDown(uint8_t b) {
    return (b & kDownBit) != 0;
}

}  // namespace

GInput::GInput() : m_pState(new tagInputState()) {
    m_pState->scale = 1.0f;
}

// Frees the state record only: releasing the devices is the game's business
// (Destroy); an exit handler is no place to talk to the input system, so the
// back end's destructor does not.
GInput::~GInput() {
    delete m_pState;
}

GInput* GInput::Inst() {
    static GInput input;
    return &input;
}

bool GInput::CreateInput(HWND window) {
    tagInputState& s = *m_pState;
    s.attributeFlag = false;
    s.scale = 1.0f;
    if (!s.devices) {
        s.mouseAxes = s.mouseButtons = 0;
        return false;
    }
    const bool ok = s.devices->Create(window);
    s.mouseAxes = s.devices->MouseAxes();
    s.mouseButtons = s.devices->MouseButtons();
    if (s.devices->HasMouse() && !s.devices->ReadMouse(s.mouse)) {
        std::memset(&s.mouse, 0, sizeof s.mouse);
    }
    return ok;
}

void GInput::Destroy() {
    if (m_pState->devices) {
        m_pState->devices->Release();
    }
    m_pState->mouseAxes = 0;
    m_pState->mouseButtons = 0;
}

void GInput::SetDevices(std::unique_ptr<InputDevices> devices) {
    Destroy();
    m_pState->devices = std::move(devices);
    std::memset(m_pState->keys, 0, sizeof m_pState->keys);
    std::memset(m_pState->keysPrev, 0, sizeof m_pState->keysPrev);
    std::memset(&m_pState->mouse, 0, sizeof m_pState->mouse);
    std::memset(&m_pState->mousePrev, 0, sizeof m_pState->mousePrev);
}

InputDevices* GInput::GetDevices() const {
    return m_pState->devices.get();
}

void GInput::UpdateKBInput() {
    tagInputState& s = *m_pState;
    std::memcpy(s.keysPrev, s.keys, sizeof s.keys);
    std::memset(s.keys, 0, sizeof s.keys);
    if (s.devices && s.devices->HasKeyboard() && !s.devices->ReadKeyboard(s.keys)) {
        std::memset(s.keys, 0, sizeof s.keys);  // lost: all up for this frame
    }
}

void GInput::UpdateMouseInput() {
    tagInputState& s = *m_pState;
    if (!s.devices || !s.devices->HasMouse()) {
        return;
    }
    s.mousePrev = s.mouse;
    std::memset(&s.mouse, 0, sizeof s.mouse);
    if (!s.devices->ReadMouse(s.mouse)) {
        std::memset(&s.mouse, 0, sizeof s.mouse);
    }
}

bool GInput::KeyDown(unsigned short key) {
    return key < kKeyCount && IsDown(m_pState->keys[key]);
}

bool GInput::KeyPressed(unsigned short key) {
    return KeyDown(key);
}

bool GInput::KeyDownFirst(unsigned short key) {
    return key < kKeyCount && IsDown(m_pState->keys[key]) && !IsDown(m_pState->keysPrev[key]);
}

bool GInput::MouseDown(unsigned char button) {
    const tagInputState& s = *m_pState;
    return button < s.mouseButtons && button < kMouseButtonSlots &&
           IsDown(s.mouse.rgbButtons[button]);
}

bool GInput::MouseDownFirst(unsigned char button) {
    const tagInputState& s = *m_pState;
    return MouseDown(button) && !IsDown(s.mousePrev.rgbButtons[button]);
}

bool GInput::MouseUp(unsigned char button) {
    const tagInputState& s = *m_pState;
    return button < s.mouseButtons && button < kMouseButtonSlots &&
           !IsDown(s.mouse.rgbButtons[button]) && IsDown(s.mousePrev.rgbButtons[button]);
}

float GInput::GetRelativeX() {
    return static_cast<float>(m_pState->mouse.lX) * m_pState->scale;
}

float GInput::GetRelativeY() {
    return static_cast<float>(m_pState->mouse.lY) * m_pState->scale;
}

float GInput::GetRelativeZ() {
    return static_cast<float>(m_pState->mouse.lZ) * m_pState->scale;
}

bool GInput::IsMouseMove() {
    return GetRelativeX() != 0.0f || GetRelativeY() != 0.0f || GetRelativeZ() != 0.0f;
}

float GInput::GetAbsouluteX() {
    const POINT p = m_pState->devices ? m_pState->devices->CursorScreenPos() : POINT{0, 0};
    return static_cast<float>(p.x) * m_pState->scale;
}

float GInput::GetAbsouluteY() {
    const POINT p = m_pState->devices ? m_pState->devices->CursorScreenPos() : POINT{0, 0};
    return static_cast<float>(p.y) * m_pState->scale;
}

POINT GInput::GetCursorPos() {
    return m_pState->devices ? m_pState->devices->CursorClientPos() : POINT{0, 0};
}

void GInput::SetAttributes(bool flag, float scale) {
    m_pState->attributeFlag = flag;
    m_pState->scale = scale;
}

bool GInput::GetAttributeFlag() const {
    return m_pState->attributeFlag;
}

float GInput::GetScale() const {
    return m_pState->scale;
}

const uint8_t* GInput::GetKeyboardState() const {
    return m_pState->keys;
}

const tagMouseState& GInput::GetMouseState() const {
    return m_pState->mouse;
}

// ---------------------------------------------------------------------------

InputDevices::~InputDevices() = default;

ScriptedInput::ScriptedInput(bool keyboard, bool mouse, uint32_t mouseButtons)
    : m_keyboard(keyboard), m_mouse(mouse), m_buttons(mouseButtons) {}

bool ScriptedInput::Create(HWND window) {
    m_created = true;
    m_window = window;
    return m_keyboard && m_mouse;
}

void ScriptedInput::Release() {
    m_created = false;
}

bool ScriptedInput::ReadKeyboard(uint8_t keys[kKeyCount]) {
    if (m_lost) {
        ++m_readFailures;
        return false;
    }
    std::memcpy(keys, m_keys, kKeyCount);
    return true;
}

bool ScriptedInput::ReadMouse(tagMouseState& state) {
    if (m_lost) {
        ++m_readFailures;
        return false;
    }
    state = m_mouseState;
    m_mouseState.lX = m_mouseState.lY = m_mouseState.lZ = 0;
    return true;
}

void ScriptedInput::SetKey(uint8_t key, bool down) {
    m_keys[key] = down ? kDownBit : 0;
}

void ScriptedInput::SetButton(uint8_t button, bool down) {
    if (button < kMouseButtonSlots) {
        m_mouseState.rgbButtons[button] = down ? kDownBit : 0;
    }
}

void ScriptedInput::Move(int32_t dx, int32_t dy, int32_t dz) {
    m_mouseState.lX += dx;
    m_mouseState.lY += dy;
    m_mouseState.lZ += dz;
}

}  // namespace GFC
