// The widget library's window: a rectangle with a copy of its description
// record, a parent and children (bottom to top), an activation state and
// picture slots. Windows are created and destroyed only by CWOXSystem
// (CreateWnd, DestroyWnd), which owns them; window types derive from
// CWOXWnd and override the virtual operations below.
//
// Plug-ins built against the library override these operations by slot, so
// their order is part of the library's interface: do not reorder them, and
// add new ones only after the destructor's.
//
// Coordinates: the record's position is relative to the parent; hit tests
// and drawing use screen pixels. Game thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "wox/WOXApi.h"
#include "wox/WOXTypes.h"

class CWOXSystem;
class CWOXFont;

class WOX_API CWOXWnd {
public:
    CWOXWnd();

    // 0: Takes a copy of the record (its texts always end inside their
    // fields), the system's font, the pictures, and links itself under
    // pFather (null: a window without parent, the desktop). Answers 1, or 0
    // without a system or record.
    virtual int Init(CWOXSystem* pSystem, CWOXWnd* pFather, tagWOXWndData* pData);
    // 1: Unlinks from the parent. The system calls it when it destroys the
    // window (after its children), just before the window is deleted.
    virtual void Destroy();
    // 2: Once per frame; the base updates the children.
    virtual void Update();
    // 3: While shown: the picture of the current state, then the children
    // from bottom to top.
    virtual void Render();
    // 4: The gate of input the system routes here: a hidden or disabled
    // window answers 0 without looking; otherwise OnInputMessage.
    virtual int PumpInputMessage(tagUIInputMsg* pMsg);
    // 5: The base keeps the hover state on mouse moves and activates the
    // window on a left-button press. Answers 1 for mouse input (it hit a
    // window), 0 for keys (the base uses none).
    virtual int OnInputMessage(tagUIInputMsg* pMsg);
    // 6: The deepest shown window under pt (screen pixels), children tried
    // from the top; WOXInvalidWnd() when pt is on none of them.
    virtual CWOXWnd* GetTopWnd(Tarnet::tagPoint& pt);
    // 7: Sends an event from this window onward: to the parent's OnEvent,
    // or, from a window without parent, to the game's event handler.
    virtual void SendEvent(tagWOXEvent* pEvent);
    // 8: An event from a child. The base passes it on with SendEvent.
    virtual void OnEvent(tagWOXEvent* pEvent);
    // 9: The window lost the activation (another window took it).
    virtual void OnDeactive();
    // 10: The window takes the activation: EWS_Active and on top of its
    // siblings. Answers the window that really holds it now.
    virtual CWOXWnd* OnActive();
    // 11: Moves the window above its siblings (windows marked top-most stay
    // above the others), and its parent above the parent's, up to the
    // desktop. Answers the window.
    virtual CWOXWnd* FlipToTop();
    // 12: Whether pt lies inside the window's own rectangle.
    virtual int PointInWnd(Tarnet::tagPoint& pt);
    // 13: Whether pt lies inside the window or one of its shown children
    // (children may hang out of their parent).
    virtual int PointInWndEx(Tarnet::tagPoint& pt);
    // 14: Appends a child on top (below top-most children unless it is
    // top-most itself); a child already linked stays where it is.
    virtual void AddChild(CWOXWnd* pChild);
    // 15: Unlinks a child; nothing if it is not one.
    virtual void DelChild(CWOXWnd* pChild);
    // 16: Gives the keyboard focus (the activation) to the next shown,
    // enabled child marked bTabStop after the one holding it, wrapping
    // around; the first one when none of them holds it.
    virtual void SwitchKeybordFocus();
    // 17: Shows (non-zero) or hides the window. Hiding takes the activation
    // and the hover from it and its children.
    virtual void ShowWnd(int bShow);

    virtual ~CWOXWnd();

    // Enables or disables the window (EWS_Disabled: no input, no activation).
    void EnableWnd(int bEnable);

    const char* GetName() const { return m_Data.szName; }
    uint32_t GetID() const { return m_Data.dwID; }
    const char* GetClassName() const { return m_Data.szClassName; }
    const tagWOXWndData& GetData() const { return m_Data; }
    CWOXSystem* GetSystem() const { return m_pSystem; }
    CWOXWnd* GetFather() const { return m_pFather; }
    const std::vector<CWOXWnd*>& GetChildren() const { return m_listChild; }
    uint32_t GetState() const { return m_dwState; }
    bool IsShown() const { return m_bShow != 0; }
    bool IsTopMost() const { return m_bTopMost != 0; }
    bool TakesKeys() const { return m_bTakeKeys != 0; }
    // Position on the screen: the parents' positions added up.
    Tarnet::tagPoint GetScreenPos() const;
    tagWOXRect GetScreenRect() const;
    // Whether w is this window or one of its descendants.
    bool Contains(const CWOXWnd* w) const;

protected:
    // An event of the given kind with this window as its sender.
    tagWOXEvent MakeEvent(uint32_t eEvent, uint32_t dwParam1 = 0) const;

    CWOXSystem* m_pSystem = nullptr;
    CWOXWnd* m_pFather = nullptr;
    CWOXFont* m_pFont = nullptr;
    std::vector<CWOXWnd*> m_listChild;  // bottom to top
    tagWOXWndData m_Data;               // the window's own copy of its description
    uint32_t m_dwState = EWS_Normal;    // EWOXState
    int m_bShow = 1;
    int m_bTopMost = 0;   // stays above siblings that are not top-most
    int m_bTakeKeys = 0;  // key input reaches it while it is active

private:
    friend class CWOXSystem;
    // Moves a child to the highest place its top-most mark allows.
    void PlaceChild(CWOXWnd* pChild);
};
