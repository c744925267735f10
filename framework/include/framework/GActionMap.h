// Numbered actions over GInput: the game registers keys and mouse buttons,
// calls Update once per frame (after GInput's UpdateKBInput and
// UpdateMouseInput), and asks per action whether it was clicked, double
// clicked, is held, or was released.
//
// A second press within the double-click interval (250 ms) of the last
// accepted single click is a double click; a third press within the interval
// of that same first click is another double click. Game thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/GfcApi.h"

namespace GFC {

class GFC_API GActionMap {
public:
    enum EActionState {
        AS_NONE = 0,       // never pressed
        AS_CLICK = 1,      // pressed this frame
        AS_PRESSED = 2,    // held after a click
        AS_RELEASE = 3,    // released this frame
        AS_DBCLICK = 4,    // pressed again within the interval, this frame
        AS_DBPRESSED = 5,  // held after a double click
        AS_RELEASED = 6,   // up, and not released this frame
    };

    struct tagAction {
        uint32_t code;           // key | kKeyboardBit, or a mouse button index
        uint32_t lastClickTick;  // clock value of the last accepted single click
        uint32_t state;          // EActionState
    };

    static constexpr uint32_t kKeyboardBit = 0x80000000u;
    static constexpr uint32_t kDefaultDBClickInterval = 250;  // milliseconds

    // Millisecond clock of the click test; wraps like GetTickCount.
    using Clock = std::function<uint32_t()>;

    GActionMap();
    virtual ~GActionMap();

    // The new action's id: the number of actions before the call.
    unsigned long AddKBAction(unsigned short key);
    unsigned long AddMouseAction(unsigned char button);

    // Advances every action's state once, in id order, from GInput's current
    // snapshot.
    void Update();

    // An id this map did not return answers false.
    bool IsClickOnce(unsigned long id) const;
    bool IsDBClickOnce(unsigned long id) const;
    bool IsPressed(unsigned long id) const;  // after a click or a double click
    bool IsReleaseOnce(unsigned long id) const;
    bool IsReleased(unsigned long id) const;

    EActionState GetState(unsigned long id) const;
    size_t GetActionNum() const { return m_actions.size(); }
    uint32_t GetDBClickInterval() const { return m_dbClickInterval; }

    // Replaces the system's tick count (tests script time with it).
    void SetClock(Clock clock);

private:
    uint32_t OnClick(tagAction& action);
    bool StateIs(unsigned long id, uint32_t a, uint32_t b) const;

    uint32_t m_dbClickInterval;
    std::vector<tagAction> m_actions;
    Clock m_clock;
};

}  // namespace GFC
