// The widget system: the registry of window types, the windows (created
// from description records, found by name), the desktop at the root of the
// window tree, input routing, event delivery to the game, and drawing.
//
// Ownership: the system owns every window it creates and deletes each one
// through the creator of its type, so a window made by a plug-in's type is
// also deleted by the plug-in's code. Destroying a window while the system
// is routing input or delivering an event (from an event handler, say) is
// safe: the window leaves the tree and the name lookup at once and is
// deleted when the routing returns.
//
// Game thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "wox/CWOXWnd.h"
#include "wox/WOXApi.h"
#include "wox/WOXTypes.h"

class CWOXFont;
class CWOXRender;

// Makes and deletes the windows of one type. Created in the module that
// registers the type (see CWOXSystem::RegisterWndType), so both run there.
class CWOXWndCreator {
public:
    virtual ~CWOXWndCreator() = default;
    virtual CWOXWnd* Create() = 0;
    virtual void Delete(CWOXWnd* pWnd) = 0;
};

template <typename T>
class TWOXWndCreator final : public CWOXWndCreator {
public:
    CWOXWnd* Create() override { return new T; }
    void Delete(CWOXWnd* pWnd) override { delete static_cast<T*>(pWnd); }
};

// The game's handler of events that leave the window tree (sent on by the
// desktop).
using WOXEventHandler = void (*)(tagWOXEvent* pEvent, void* pUser);

// The desktop's name and the built-in window types.
constexpr const char* kWOXDesktopName = "desktop";
constexpr const char* kWOXStaticType = "static";
constexpr const char* kWOXButtonType = "button";

class WOX_API CWOXSystem {
public:
    CWOXSystem();
    ~CWOXSystem();
    CWOXSystem(const CWOXSystem&) = delete;
    CWOXSystem& operator=(const CWOXSystem&) = delete;

    // Registers the built-in types "static" and "button" and creates the
    // desktop, a window covering the screen. False when already initialised
    // or the size is not positive.
    bool Init(int32_t nScreenWidth, int32_t nScreenHeight);
    // Destroys every window, then forgets every type. Also done on
    // destruction.
    void Destroy();

    // ---- window types -------------------------------------------------

    // Registers T under name, unless the name is registered already (then
    // nothing changes). Instantiated in the caller's module.
    template <typename T>
    void RegisterWndType(const char* szName) {
        if (szName != nullptr && !IsWndTypeRegistered(szName)) {
            AddWndType(szName, new TWOXWndCreator<T>);
        }
    }
    bool IsWndTypeRegistered(const char* szName) const;
    // Takes ownership of pCreator. An existing (or null, or empty) name
    // changes nothing: the creator is deleted and the answer is false.
    bool AddWndType(const char* szName, CWOXWndCreator* pCreator);
    // Destroys the windows of the type still open (only its creator can
    // delete them), deletes the creator, removes the registry entry and
    // every occurrence of the name from the list of type names. Nothing if
    // the name is not registered.
    void UnregisterWndType(const char* szName);
    // The names of the registered types, in registration order.
    const std::vector<std::string>& GetWndTypeNames() const;

    // ---- windows ------------------------------------------------------

    // Creates a window from its description: the type by szClassName, the
    // parent by szFatherName ("" = the desktop). Names and texts longer
    // than their fields are cut. Answers WOXInvalidWnd() when the system is
    // not initialised, the type or the parent is unknown, the name is empty
    // or taken, or the window's Init fails. A window marked bModal holds
    // input to itself and its children while it is shown; the most recent
    // such window wins.
    CWOXWnd* CreateWnd(tagWOXWndData* pData);
    // The window of that name, or WOXInvalidWnd().
    CWOXWnd* GetWnd(const char* szName) const;
    // Destroys a window and its children (children first). Unknown or
    // already destroyed windows, and the desktop, are left alone.
    void DestroyWnd(CWOXWnd* pWnd);
    // Whether w is a live window of this system.
    bool IsWnd(const CWOXWnd* w) const;
    // Live windows, the desktop included.
    size_t GetWndCount() const;
    CWOXWnd* GetDesktop() const;

    // ---- input, events, frames ----------------------------------------

    // Routes one input message: mouse input to the top window under its
    // point, key input to the active window; Tab (key down) moves the
    // keyboard focus. Answers 1 when a window took the input (or a modal
    // window held it back), 0 when it is the game's (the desktop's).
    int OnInputMessage(tagUIInputMsg* pMsg);
    CWOXWnd* GetActiveWnd() const;  // WOXInvalidWnd() when none
    // Moves the activation: the previous window's OnDeactive, the new one's
    // OnActive. Null or invalid leaves no window active.
    void SetActiveWnd(CWOXWnd* pWnd);
    CWOXWnd* GetHoverWnd() const;  // WOXInvalidWnd() when none
    void SetHoverWnd(CWOXWnd* pWnd);
    // The shown modal window that holds input now, or WOXInvalidWnd().
    CWOXWnd* GetModalWnd() const;

    void SetEventHandler(WOXEventHandler pfnHandler, void* pUser);
    // An event leaving the window tree, to the game's handler.
    void DeliverEvent(tagWOXEvent* pEvent);

    void Update();
    // Starts a new frame's draw list and draws the window tree.
    void Render();
    CWOXRender* GetRender() const;
    CWOXFont* GetFont() const;

    // Routing in progress: windows destroyed meanwhile are deleted when the
    // outermost routing ends. Windows bracket event delivery with these.
    void BeginDispatch();
    void EndDispatch();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
