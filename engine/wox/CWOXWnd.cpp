#include "wox/CWOXWnd.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FieldText.h"
#include "wox/CWOXRender.h"
#include "wox/CWOXSystem.h"

namespace {

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

}  // namespace

CWOXWnd::CWOXWnd() {
    memset(&m_Data, 0, sizeof m_Data);
}

CWOXWnd::~CWOXWnd() = default;

int CWOXWnd::Init(CWOXSystem* pSystem, CWOXWnd* pFather, tagWOXWndData* pData) {
    if (pSystem == nullptr || pData == nullptr) {
        return 0;
    }
    m_pSystem = pSystem;
    memcpy(&m_Data, pData, sizeof m_Data);
    wox::EndInsideField(m_Data.szName);
    wox::EndInsideField(m_Data.szFatherName);
    wox::EndInsideField(m_Data.szClassName);
    wox::EndInsideField(m_Data.szText);
    for (tagWOXPicData& pic : m_Data.Pic) {
        wox::EndInsideField(pic.szPath);
        if (pic.bValid != 0 && pic.szPath[0] != 0 && pSystem->GetRender() != nullptr) {
            pic.dwHandle = pSystem->GetRender()->LoadPicture(pic.szPath);
        }
    }
    m_pFont = pSystem->GetFont();
    m_bShow = m_Data.bHide != 0 ? 0 : 1;
    m_dwState = EWS_Normal;
    if (WOXIsValidWnd(pFather)) {
        m_pFather = pFather;
        pFather->AddChild(this);
    }
    return 1;
}

void CWOXWnd::Destroy() {
    if (WOXIsValidWnd(m_pFather)) {
        m_pFather->DelChild(this);
    }
    m_pFather = nullptr;
    m_bShow = 0;
}

void CWOXWnd::Update() {
    if (m_pSystem == nullptr) {
        return;
    }
    // A copy: a handler run from the walk may unlink children.
    std::vector<CWOXWnd*> children = m_listChild;
    for (CWOXWnd* child : children) {
        if (m_pSystem->IsWnd(child) && child->m_pFather == this) {
            child->Update();
        }
    }
}

void CWOXWnd::Render() {
    if (m_bShow == 0 || m_pSystem == nullptr) {
        return;
    }
    const tagWOXPicData* pic = nullptr;
    if (m_dwState < static_cast<uint32_t>(kWOXPicSlots) && m_Data.Pic[m_dwState].bValid != 0) {
        pic = &m_Data.Pic[m_dwState];
    } else if (m_Data.Pic[0].bValid != 0) {
        pic = &m_Data.Pic[0];
    }
    if (pic != nullptr && m_pSystem->GetRender() != nullptr) {
        m_pSystem->GetRender()->DrawPicture(m_Data.szName, *pic, GetScreenRect());
    }
    std::vector<CWOXWnd*> children = m_listChild;
    for (CWOXWnd* child : children) {
        if (m_pSystem->IsWnd(child) && child->m_pFather == this) {
            child->Render();
        }
    }
}

int CWOXWnd::PumpInputMessage(tagUIInputMsg* pMsg) {
    if (pMsg == nullptr || m_bShow == 0 || m_dwState == EWS_Disabled) {
        return 0;
    }
    return OnInputMessage(pMsg);
}

int CWOXWnd::OnInputMessage(tagUIInputMsg* pMsg) {
    if (pMsg == nullptr || m_pSystem == nullptr) {
        return 0;
    }
    switch (pMsg->eType) {
        case EUII_MouseMove:
            m_pSystem->SetHoverWnd(this);
            return 1;
        case EUII_LButtonDown:
            m_pSystem->SetActiveWnd(this);
            return 1;
        case EUII_LButtonUp:
        case EUII_RButtonDown:
        case EUII_RButtonUp:
            return 1;
        default:
            return 0;
    }
}

CWOXWnd* CWOXWnd::GetTopWnd(Tarnet::tagPoint& pt) {
    if (m_bShow == 0) {
        return WOXInvalidWnd();
    }
    for (auto it = m_listChild.rbegin(); it != m_listChild.rend(); ++it) {
        CWOXWnd* child = *it;
        if (child->IsShown() && child->PointInWndEx(pt)) {
            CWOXWnd* top = child->GetTopWnd(pt);
            if (WOXIsValidWnd(top)) {
                return top;
            }
        }
    }
    return PointInWnd(pt) ? this : WOXInvalidWnd();
}

void CWOXWnd::SendEvent(tagWOXEvent* pEvent) {
    CWOXSystem* system = m_pSystem;
    if (pEvent == nullptr || system == nullptr) {
        return;
    }
    // Whoever handles the event may destroy this window (or the sender):
    // deletion waits until delivery has returned.
    system->BeginDispatch();
    if (WOXIsValidWnd(m_pFather)) {
        m_pFather->OnEvent(pEvent);
    } else {
        system->DeliverEvent(pEvent);
    }
    system->EndDispatch();
}

void CWOXWnd::OnEvent(tagWOXEvent* pEvent) {
    SendEvent(pEvent);
}

void CWOXWnd::OnDeactive() {
    if (m_dwState != EWS_Disabled) {
        m_dwState = EWS_Normal;
    }
}

CWOXWnd* CWOXWnd::OnActive() {
    if (m_dwState == EWS_Disabled) {
        return WOXInvalidWnd();
    }
    m_dwState = EWS_Active;
    FlipToTop();
    return this;
}

CWOXWnd* CWOXWnd::FlipToTop() {
    if (WOXIsValidWnd(m_pFather)) {
        m_pFather->PlaceChild(this);
        m_pFather->FlipToTop();
    }
    return this;
}

int CWOXWnd::PointInWnd(Tarnet::tagPoint& pt) {
    tagWOXRect r = GetScreenRect();
    // 64-bit sums: a window far off screen must not wrap around into view.
    return int64_t{pt.x} >= r.x && int64_t{pt.x} < int64_t{r.x} + r.width && int64_t{pt.y} >= r.y &&
                   int64_t{pt.y} < int64_t{r.y} + r.height
               ? 1
               : 0;
}

int CWOXWnd::PointInWndEx(Tarnet::tagPoint& pt) {
    if (PointInWnd(pt) != 0) {
        return 1;
    }
    for (CWOXWnd* child : m_listChild) {
        if (child->IsShown() && child->PointInWndEx(pt) != 0) {
            return 1;
        }
    }
    return 0;
}

void CWOXWnd::AddChild(CWOXWnd* pChild) {
    if (!WOXIsValidWnd(pChild) || pChild == this ||
        std::find(m_listChild.begin(), m_listChild.end(), pChild) != m_listChild.end()) {
        return;
    }
    m_listChild.push_back(pChild);
    PlaceChild(pChild);
}

void CWOXWnd::DelChild(CWOXWnd* pChild) {
    m_listChild.erase(std::remove(m_listChild.begin(), m_listChild.end(), pChild),
                      m_listChild.end());
}

void CWOXWnd::PlaceChild(CWOXWnd* pChild) {
    auto at = std::find(m_listChild.begin(), m_listChild.end(), pChild);
    if (at == m_listChild.end()) {
        return;
    }
    m_listChild.erase(at);
    auto place = m_listChild.end();
    if (!pChild->IsTopMost()) {
        place = std::find_if(m_listChild.begin(), m_listChild.end(),
                             [](const CWOXWnd* w) { return w->IsTopMost(); });
    }
    m_listChild.insert(place, pChild);
}

void CWOXWnd::SwitchKeybordFocus() {
    if (m_pSystem == nullptr) {
        return;
    }
    std::vector<CWOXWnd*> stops;
    for (CWOXWnd* child : m_listChild) {
        if (child->IsShown() && child->m_dwState != EWS_Disabled && child->m_Data.bTabStop != 0) {
            stops.push_back(child);
        }
    }
    if (stops.empty()) {
        return;
    }
    auto holder = std::find(stops.begin(), stops.end(), m_pSystem->GetActiveWnd());
    size_t next = holder == stops.end() ? 0 : (holder - stops.begin() + 1) % stops.size();
    m_pSystem->SetActiveWnd(stops[next]);
}

void CWOXWnd::ShowWnd(int bShow) {
    m_bShow = bShow != 0 ? 1 : 0;
    if (m_bShow == 0 && m_pSystem != nullptr) {
        if (Contains(m_pSystem->GetActiveWnd())) {
            m_pSystem->SetActiveWnd(nullptr);
        }
        if (Contains(m_pSystem->GetHoverWnd())) {
            m_pSystem->SetHoverWnd(nullptr);
        }
    }
}

void CWOXWnd::EnableWnd(int bEnable) {
    if (bEnable != 0) {
        if (m_dwState == EWS_Disabled) {
            m_dwState = EWS_Normal;
        }
        return;
    }
    if (m_pSystem != nullptr) {
        if (m_pSystem->GetActiveWnd() == this) {
            m_pSystem->SetActiveWnd(nullptr);
        }
        if (m_pSystem->GetHoverWnd() == this) {
            m_pSystem->SetHoverWnd(nullptr);
        }
    }
    m_dwState = EWS_Disabled;
}

Tarnet::tagPoint CWOXWnd::GetScreenPos() const {
    // Summed wide and clamped: positions come from records a plug-in filled.
    int64_t x = 0, y = 0;
    for (const CWOXWnd* w = this; WOXIsValidWnd(w); w = w->m_pFather) {
        x += w->m_Data.nX;
        y += w->m_Data.nY;
    }
    return Tarnet::tagPoint{ClampToInt32(x), ClampToInt32(y)};
}

tagWOXRect CWOXWnd::GetScreenRect() const {
    Tarnet::tagPoint p = GetScreenPos();
    return tagWOXRect{p.x, p.y, m_Data.nWidth, m_Data.nHeight};
}

bool CWOXWnd::Contains(const CWOXWnd* w) const {
    for (; WOXIsValidWnd(w); w = w->m_pFather) {
        if (w == this) {
            return true;
        }
    }
    return false;
}

tagWOXEvent CWOXWnd::MakeEvent(uint32_t eEvent, uint32_t dwParam1) const {
    return tagWOXEvent{const_cast<CWOXWnd*>(this), m_Data.dwID, m_Data.szName, eEvent, dwParam1, 0};
}
