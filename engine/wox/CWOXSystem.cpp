#include "wox/CWOXSystem.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>

#include "FieldText.h"
#include "wox/CWOXButton.h"
#include "wox/CWOXRender.h"
#include "wox/CWOXStatic.h"

namespace {

bool IsMouseInput(uint32_t type) {
    return type >= EUII_MouseMove && type <= EUII_LButtonUp;
}

bool IsKeyInput(uint32_t type) {
    return type == EUII_KeyDown || type == EUII_KeyUp;
}

bool HasTabStop(const CWOXWnd* w) {
    for (const CWOXWnd* child : w->GetChildren()) {
        if (child->IsShown() && child->GetState() != EWS_Disabled &&
            child->GetData().bTabStop != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

struct CWOXSystem::Impl {
    struct WndType {
        std::string name;
        CWOXWndCreator* creator;
    };
    std::vector<WndType> types;          // the registry, in registration order
    std::vector<std::string> typeNames;  // the list of type names
    std::unordered_map<const CWOXWnd*, CWOXWndCreator*> windows;  // live window -> its creator
    std::map<std::string, CWOXWnd*> names;
    TWOXWndCreator<CWOXWnd> desktopCreator;
    CWOXWnd* desktop = nullptr;
    CWOXWnd* active = WOXInvalidWnd();
    CWOXWnd* hover = WOXInvalidWnd();
    std::vector<CWOXWnd*> modals;  // in creation order; the last shown one holds input
    CWOXRender render;
    CWOXFont font{&render};
    WOXEventHandler handler = nullptr;
    void* handlerUser = nullptr;

    int dispatchDepth = 0;
    std::vector<std::pair<CWOXWnd*, CWOXWndCreator*>> doomed;  // destroyed, not yet deleted
    std::vector<CWOXWndCreator*> retiredCreators;              // unregistered, not yet deleted

    WndType* FindType(const char* name) {
        for (WndType& t : types) {
            if (t.name == name) {
                return &t;
            }
        }
        return nullptr;
    }

    // Takes one window out of the system (its children are gone already):
    // no lookup, routing or state refers to it any more.
    void Retire(CWOXWnd* w) {
        auto it = windows.find(w);
        CWOXWndCreator* creator = it->second;
        windows.erase(it);
        auto named = names.find(w->GetName());
        if (named != names.end() && named->second == w) {
            names.erase(named);
        }
        modals.erase(std::remove(modals.begin(), modals.end(), w), modals.end());
        if (active == w) {
            active = WOXInvalidWnd();
        }
        if (hover == w) {
            hover = WOXInvalidWnd();
        }
        if (desktop == w) {
            desktop = nullptr;
        }
        w->Destroy();
        doomed.emplace_back(w, creator);
    }

    void CollectChildrenFirst(CWOXWnd* w, std::vector<CWOXWnd*>& out) {
        for (CWOXWnd* child : w->GetChildren()) {
            CollectChildrenFirst(child, out);
        }
        out.push_back(w);
    }

    // Deletes what was destroyed: the windows through their creators, then
    // the creators of types unregistered meanwhile.
    void Flush() {
        while (!doomed.empty()) {
            auto batch = std::move(doomed);
            doomed.clear();
            for (auto& [w, creator] : batch) {
                creator->Delete(w);
            }
        }
        for (CWOXWndCreator* creator : retiredCreators) {
            delete creator;
        }
        retiredCreators.clear();
    }
};

CWOXSystem::CWOXSystem() : m_pImpl(new Impl) {}

CWOXSystem::~CWOXSystem() {
    Destroy();
    m_pImpl->dispatchDepth = 0;
    m_pImpl->Flush();
}

bool CWOXSystem::Init(int32_t nScreenWidth, int32_t nScreenHeight) {
    Impl& s = *m_pImpl;
    if (s.desktop != nullptr || nScreenWidth <= 0 || nScreenHeight <= 0) {
        return false;
    }
    RegisterWndType<CWOXStatic>(kWOXStaticType);
    RegisterWndType<CWOXButton>(kWOXButtonType);

    tagWOXWndData data;
    memset(&data, 0, sizeof data);
    strcpy(data.szName, kWOXDesktopName);
    data.nWidth = nScreenWidth;
    data.nHeight = nScreenHeight;
    CWOXWnd* desktop = s.desktopCreator.Create();
    desktop->Init(this, nullptr, &data);
    s.desktop = desktop;
    s.windows.emplace(desktop, &s.desktopCreator);
    s.names.emplace(kWOXDesktopName, desktop);
    return true;
}

void CWOXSystem::Destroy() {
    Impl& s = *m_pImpl;
    BeginDispatch();
    if (s.desktop != nullptr) {
        std::vector<CWOXWnd*> order;
        s.CollectChildrenFirst(s.desktop, order);
        for (CWOXWnd* w : order) {
            s.Retire(w);
        }
    }
    // Windows outside the desktop's tree (made by hand with a parent of
    // their own) go too.
    while (!s.windows.empty()) {
        CWOXWnd* w = const_cast<CWOXWnd*>(s.windows.begin()->first);
        std::vector<CWOXWnd*> order;
        s.CollectChildrenFirst(w, order);
        for (CWOXWnd* x : order) {
            if (s.windows.count(x) != 0) {
                s.Retire(x);
            }
        }
    }
    for (Impl::WndType& t : s.types) {
        s.retiredCreators.push_back(t.creator);
    }
    s.types.clear();
    s.typeNames.clear();
    s.modals.clear();
    s.active = s.hover = WOXInvalidWnd();
    EndDispatch();
}

// ---- window types --------------------------------------------------------

bool CWOXSystem::IsWndTypeRegistered(const char* szName) const {
    return szName != nullptr && m_pImpl->FindType(szName) != nullptr;
}

bool CWOXSystem::AddWndType(const char* szName, CWOXWndCreator* pCreator) {
    if (pCreator == nullptr) {
        return false;
    }
    if (szName == nullptr || *szName == 0 || strlen(szName) >= kWOXClassChars ||
        IsWndTypeRegistered(szName)) {
        delete pCreator;
        return false;
    }
    m_pImpl->types.push_back({szName, pCreator});
    m_pImpl->typeNames.emplace_back(szName);
    return true;
}

void CWOXSystem::UnregisterWndType(const char* szName) {
    Impl& s = *m_pImpl;
    Impl::WndType* type = szName != nullptr ? s.FindType(szName) : nullptr;
    if (type == nullptr) {
        return;
    }
    CWOXWndCreator* creator = type->creator;
    std::string name = type->name;
    BeginDispatch();
    std::vector<CWOXWnd*> ofType;
    for (auto& [w, c] : s.windows) {
        if (c == creator) {
            ofType.push_back(const_cast<CWOXWnd*>(w));
        }
    }
    for (CWOXWnd* w : ofType) {
        DestroyWnd(w);  // skips windows already gone with an ancestor
    }
    s.types.erase(std::remove_if(s.types.begin(), s.types.end(),
                                 [&](const Impl::WndType& t) { return t.name == name; }),
                  s.types.end());
    s.typeNames.erase(std::remove(s.typeNames.begin(), s.typeNames.end(), name), s.typeNames.end());
    s.retiredCreators.push_back(creator);
    EndDispatch();
}

const std::vector<std::string>& CWOXSystem::GetWndTypeNames() const {
    return m_pImpl->typeNames;
}

// ---- windows -------------------------------------------------------------

CWOXWnd* CWOXSystem::CreateWnd(tagWOXWndData* pData) {
    Impl& s = *m_pImpl;
    if (pData == nullptr || s.desktop == nullptr) {
        return WOXInvalidWnd();
    }
    // The names as the window's own copy will hold them.
    std::string name = wox::FieldText(pData->szName);
    std::string fatherName = wox::FieldText(pData->szFatherName);
    std::string typeName = wox::FieldText(pData->szClassName);
    if (name.empty() || s.names.count(name) != 0) {
        return WOXInvalidWnd();
    }
    Impl::WndType* type = s.FindType(typeName.c_str());
    if (type == nullptr) {
        return WOXInvalidWnd();
    }
    CWOXWnd* father = fatherName.empty() ? s.desktop : GetWnd(fatherName.c_str());
    if (!WOXIsValidWnd(father)) {
        return WOXInvalidWnd();
    }
    CWOXWndCreator* creator = type->creator;
    CWOXWnd* w = creator->Create();
    if (w == nullptr) {
        return WOXInvalidWnd();
    }
    if (w->Init(this, father, pData) == 0) {
        if (WOXIsValidWnd(w->GetFather())) {
            w->Destroy();
        }
        creator->Delete(w);
        return WOXInvalidWnd();
    }
    // The window's copy holds the name as it was cut to its field.
    s.windows.emplace(w, creator);
    s.names.emplace(w->GetName(), w);
    // Its place among its siblings follows the marks its type set in Init.
    if (WOXIsValidWnd(w->GetFather())) {
        w->GetFather()->PlaceChild(w);
    }
    if (w->GetData().bModal != 0) {
        s.modals.push_back(w);
        SetActiveWnd(nullptr);
        SetHoverWnd(nullptr);
    }
    return w;
}

CWOXWnd* CWOXSystem::GetWnd(const char* szName) const {
    if (szName == nullptr) {
        return WOXInvalidWnd();
    }
    auto it = m_pImpl->names.find(szName);
    return it != m_pImpl->names.end() ? it->second : WOXInvalidWnd();
}

void CWOXSystem::DestroyWnd(CWOXWnd* pWnd) {
    Impl& s = *m_pImpl;
    if (!IsWnd(pWnd) || pWnd == s.desktop) {
        return;
    }
    BeginDispatch();
    std::vector<CWOXWnd*> order;
    s.CollectChildrenFirst(pWnd, order);
    for (CWOXWnd* w : order) {
        // A window's Destroy may destroy others; those are gone already.
        if (IsWnd(w)) {
            s.Retire(w);
        }
    }
    EndDispatch();
}

bool CWOXSystem::IsWnd(const CWOXWnd* w) const {
    return WOXIsValidWnd(w) && m_pImpl->windows.count(w) != 0;
}

size_t CWOXSystem::GetWndCount() const {
    return m_pImpl->windows.size();
}

CWOXWnd* CWOXSystem::GetDesktop() const {
    return m_pImpl->desktop != nullptr ? m_pImpl->desktop : WOXInvalidWnd();
}

// ---- input ---------------------------------------------------------------

int CWOXSystem::OnInputMessage(tagUIInputMsg* pMsg) {
    Impl& s = *m_pImpl;
    if (pMsg == nullptr || s.desktop == nullptr) {
        return 0;
    }
    BeginDispatch();
    int result = 0;
    CWOXWnd* modal = GetModalWnd();
    const bool held = WOXIsValidWnd(modal);
    if (IsMouseInput(pMsg->eType)) {
        CWOXWnd* target = s.desktop->GetTopWnd(pMsg->pt);
        if (held && !modal->Contains(target)) {
            // Outside the modal window: nobody gets it, the game included.
            if (pMsg->eType == EUII_MouseMove) {
                SetHoverWnd(nullptr);
            }
            result = 1;
        } else if (!WOXIsValidWnd(target) || target == s.desktop) {
            // The desktop is see-through: the input is the game's.
            if (pMsg->eType == EUII_MouseMove) {
                SetHoverWnd(nullptr);
            } else if (pMsg->eType == EUII_LButtonDown) {
                SetActiveWnd(nullptr);
            }
        } else {
            result = target->PumpInputMessage(pMsg);
        }
    } else if (IsKeyInput(pMsg->eType)) {
        CWOXWnd* focus = s.active;
        if (held && !modal->Contains(focus)) {
            focus = WOXInvalidWnd();
        }
        if (pMsg->eType == EUII_KeyDown && pMsg->dwParam1 == kWOXKeyTab) {
            // The nearest window, from the focus outward, whose children
            // take the focus in turn.
            CWOXWnd* owner = WOXIsValidWnd(focus) ? focus : held ? modal : s.desktop;
            while (WOXIsValidWnd(owner) && !HasTabStop(owner)) {
                owner = owner->GetFather();
            }
            if (WOXIsValidWnd(owner) && (!held || modal->Contains(owner))) {
                owner->SwitchKeybordFocus();
                result = 1;
            } else {
                result = held ? 1 : 0;
            }
        } else if (WOXIsValidWnd(focus) && focus->TakesKeys()) {
            result = focus->PumpInputMessage(pMsg);
        } else {
            result = held ? 1 : 0;
        }
    }
    EndDispatch();
    return result;
}

CWOXWnd* CWOXSystem::GetActiveWnd() const {
    return m_pImpl->active;
}

void CWOXSystem::SetActiveWnd(CWOXWnd* pWnd) {
    Impl& s = *m_pImpl;
    if (!IsWnd(pWnd)) {
        pWnd = WOXInvalidWnd();
    }
    if (pWnd == s.active) {
        return;
    }
    CWOXWnd* previous = s.active;
    s.active = WOXInvalidWnd();
    if (IsWnd(previous)) {
        previous->OnDeactive();
    }
    if (WOXIsValidWnd(pWnd) && pWnd->GetState() != EWS_Disabled) {
        CWOXWnd* holder = pWnd->OnActive();
        s.active = IsWnd(holder) ? holder : WOXInvalidWnd();
    }
}

CWOXWnd* CWOXSystem::GetHoverWnd() const {
    return m_pImpl->hover;
}

void CWOXSystem::SetHoverWnd(CWOXWnd* pWnd) {
    Impl& s = *m_pImpl;
    if (!IsWnd(pWnd)) {
        pWnd = WOXInvalidWnd();
    }
    if (pWnd == s.hover) {
        return;
    }
    if (IsWnd(s.hover) && s.hover->m_dwState == EWS_Hover) {
        s.hover->m_dwState = EWS_Normal;
    }
    s.hover = pWnd;
    if (WOXIsValidWnd(pWnd) && pWnd->m_dwState == EWS_Normal) {
        pWnd->m_dwState = EWS_Hover;
    }
}

CWOXWnd* CWOXSystem::GetModalWnd() const {
    const auto& modals = m_pImpl->modals;
    for (auto it = modals.rbegin(); it != modals.rend(); ++it) {
        if ((*it)->IsShown()) {
            return *it;
        }
    }
    return WOXInvalidWnd();
}

// ---- events and frames ---------------------------------------------------

void CWOXSystem::SetEventHandler(WOXEventHandler pfnHandler, void* pUser) {
    m_pImpl->handler = pfnHandler;
    m_pImpl->handlerUser = pUser;
}

void CWOXSystem::DeliverEvent(tagWOXEvent* pEvent) {
    if (pEvent != nullptr && m_pImpl->handler != nullptr) {
        BeginDispatch();
        m_pImpl->handler(pEvent, m_pImpl->handlerUser);
        EndDispatch();
    }
}

void CWOXSystem::Update() {
    if (m_pImpl->desktop == nullptr) {
        return;
    }
    BeginDispatch();
    m_pImpl->desktop->Update();
    EndDispatch();
}

void CWOXSystem::Render() {
    m_pImpl->render.BeginFrame();
    if (m_pImpl->desktop == nullptr) {
        return;
    }
    BeginDispatch();
    m_pImpl->desktop->Render();
    EndDispatch();
}

CWOXRender* CWOXSystem::GetRender() const {
    return &m_pImpl->render;
}

CWOXFont* CWOXSystem::GetFont() const {
    return &m_pImpl->font;
}

void CWOXSystem::BeginDispatch() {
    ++m_pImpl->dispatchDepth;
}

void CWOXSystem::EndDispatch() {
    Impl& s = *m_pImpl;
    if (s.dispatchDepth > 0 && --s.dispatchDepth == 0) {
        s.Flush();
    }
}
