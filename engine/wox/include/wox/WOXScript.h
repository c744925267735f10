// Scripting the widget system without a player, for tests, examples and
// tools: description records in one call, a window type that keeps the
// events reaching it, and input shortcuts (clicks, key presses).
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "wox/CWOXSystem.h"
#include "wox/CWOXWnd.h"

namespace woxscript {

inline tagWOXWndData Record(const char* name, const char* type, const char* father, int x, int y,
                            int w, int h) {
    tagWOXWndData d;
    memset(&d, 0, sizeof d);
    strncpy(d.szName, name, sizeof d.szName - 1);
    strncpy(d.szClassName, type, sizeof d.szClassName - 1);
    strncpy(d.szFatherName, father, sizeof d.szFatherName - 1);
    d.nX = x;
    d.nY = y;
    d.nWidth = w;
    d.nHeight = h;
    return d;
}

struct SeenEvent {
    CWOXWnd* sender;
    uint32_t id;
    std::string name;
    uint32_t kind;
    uint32_t param1;
};

inline SeenEvent Copy(const tagWOXEvent& ev) {
    return SeenEvent{ev.pSender, ev.dwSenderID, ev.szSenderName ? ev.szSenderName : "", ev.eEvent,
                     ev.dwParam1};
}

// A window type that keeps the events its children send it, and passes
// them on only when asked to.
class Recorder : public CWOXWnd {
public:
    void OnEvent(tagWOXEvent* pEvent) override {
        events.push_back(Copy(*pEvent));
        if (passOn) {
            CWOXWnd::OnEvent(pEvent);
        }
    }
    std::vector<SeenEvent> events;
    bool passOn = false;
};

inline int Mouse(CWOXSystem& sys, uint32_t type, int x, int y) {
    tagUIInputMsg m{type, 0, 0, {x, y}};
    return sys.OnInputMessage(&m);
}

// A left click: press and release at one point.
inline void Click(CWOXSystem& sys, int x, int y) {
    Mouse(sys, EUII_LButtonDown, x, y);
    Mouse(sys, EUII_LButtonUp, x, y);
}

inline int Key(CWOXSystem& sys, uint32_t type, uint32_t code) {
    tagUIInputMsg m{type, code, 0, {0, 0}};
    return sys.OnInputMessage(&m);
}

// A key pressed and released.
inline void Press(CWOXSystem& sys, uint32_t code) {
    Key(sys, EUII_KeyDown, code);
    Key(sys, EUII_KeyUp, code);
}

// The centre of a window on the screen.
inline Tarnet::tagPoint Centre(const CWOXWnd* w) {
    tagWOXRect r = w->GetScreenRect();
    return Tarnet::tagPoint{r.x + r.width / 2, r.y + r.height / 2};
}

}  // namespace woxscript
