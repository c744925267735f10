#include "framework/GActionMap.h"

#include "framework/GInput.h"
#include "platform/clock.h"

namespace GFC {

GActionMap::GActionMap()
    : m_dbClickInterval(kDefaultDBClickInterval), m_clock([] { return platform::TickCount(); }) {}

GActionMap::~GActionMap() = default;

unsigned long GActionMap::AddKBAction(unsigned short key) {
    m_actions.push_back(tagAction{key | kKeyboardBit, 0, AS_NONE});
    return static_cast<unsigned long>(m_actions.size() - 1);
}

unsigned long GActionMap::AddMouseAction(unsigned char button) {
    m_actions.push_back(tagAction{button, 0, AS_NONE});
    return static_cast<unsigned long>(m_actions.size() - 1);
}

void GActionMap::SetClock(Clock clock) {
    m_clock = clock ? std::move(clock) : Clock([] { return platform::TickCount(); });
}

uint32_t GActionMap::OnClick(tagAction& action) {
    const uint32_t now = m_clock();
    // 0 is "never clicked": without that test the first press of an action
    // within 250 ms of the clock's start (or wrap) would count as a double.
    if (action.lastClickTick != 0 && now - action.lastClickTick <= m_dbClickInterval) {
        return AS_DBCLICK;  // the first click's time stays, so a third quick press is one too
    }
    action.lastClickTick = now;
    return AS_CLICK;
}

void GActionMap::Update() {
    GInput* input = GInput::Inst();
    for (tagAction& a : m_actions) {
        const bool down = (a.code & kKeyboardBit)
                              ? input->KeyPressed(static_cast<unsigned short>(a.code & 0xFFFF))
                              : input->MouseDown(static_cast<unsigned char>(a.code & 0xFF));
        switch (a.state) {
            case AS_NONE:
            case AS_RELEASE:
            case AS_RELEASED:
                a.state = down ? OnClick(a) : uint32_t(AS_RELEASED);
                break;
            case AS_CLICK:
            case AS_PRESSED:
                a.state = down ? AS_PRESSED : AS_RELEASE;
                break;
            case AS_DBCLICK:
            case AS_DBPRESSED:
                a.state = down ? AS_DBPRESSED : AS_RELEASE;
                break;
            default:
                a.state = AS_NONE;
                break;
        }
    }
}

bool GActionMap::StateIs(unsigned long id, uint32_t a, uint32_t b) const {
    return id < m_actions.size() && (m_actions[id].state == a || m_actions[id].state == b);
}

bool GActionMap::IsClickOnce(unsigned long id) const {
    return StateIs(id, AS_CLICK, AS_CLICK);
}

bool GActionMap::IsDBClickOnce(unsigned long id) const {
    return StateIs(id, AS_DBCLICK, AS_DBCLICK);
}

bool GActionMap::IsPressed(unsigned long id) const {
    return StateIs(id, AS_PRESSED, AS_DBPRESSED);
}

bool GActionMap::IsReleaseOnce(unsigned long id) const {
    return StateIs(id, AS_RELEASE, AS_RELEASE);
}

bool GActionMap::IsReleased(unsigned long id) const {
    return StateIs(id, AS_RELEASED, AS_RELEASED);
}

GActionMap::EActionState GActionMap::GetState(unsigned long id) const {
    return id < m_actions.size() ? static_cast<EActionState>(m_actions[id].state) : AS_NONE;
}

}  // namespace GFC
