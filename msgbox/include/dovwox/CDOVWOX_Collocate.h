// The plug-in's entry object: registers the "msg_box" window type in a
// widget system and opens message boxes in it. Game (UI) thread only.
#pragma once

#include "dovwox/CWOXMsgBox.h"
#include "dovwox/DovwoxApi.h"

class CWOXSystem;
class CWOXWnd;

class DOVWOX_API CDOVWOX_Collocate {
public:
    // Keeps sys and registers "msg_box" there (an existing registration is
    // left as it is). Answers 1.
    int Init(CWOXSystem* sys);

    // Opens a box of a kind on parent (null or invalid: the desktop),
    // centred on it: 300 by 100, the text cut to 511 bytes (never in the
    // middle of a GBK character; null counts as ""). Answers the box, or
    // WOXInvalidWnd() when it could not be created (also before Init).
    CWOXWnd* MsgBox(const char* text, EMB_Type type, CWOXWnd* parent);

    // Unregisters "msg_box"; boxes still open are closed first. Call it
    // before the widget system goes and before the plug-in is unloaded.
    void Destroy();

    CWOXSystem* GetSystem() const { return m_pSystem; }

private:
    CWOXSystem* m_pSystem = nullptr;
};
