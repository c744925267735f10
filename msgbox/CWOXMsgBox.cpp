#include "dovwox/CWOXMsgBox.h"

#include <cstdio>
#include <cstring>

#include "MsgBoxText.h"
#include "wox/CWOXRender.h"

namespace {

// The buttons' pictures: normal, pushed and hovered (slots 0, 2 and 3).
constexpr const char* kButtonPicNormal = "data\\public\\ui\\0.bmp";
constexpr const char* kButtonPicPushed = "data\\public\\ui\\2.bmp";
constexpr const char* kButtonPicHover = "data\\public\\ui\\1.bmp";
constexpr uint32_t kButtonTextColor = 0x101010;
constexpr int32_t kButtonTextWidth = 128;
constexpr int32_t kButtonTextHeight = 27;
constexpr int32_t kButtonTextLineHeight = 16;  // the caption is centred on one 16-pixel line

// The box's text: word break, no clipping (Windows DrawText values), with
// an opaque black second colour.
constexpr uint32_t kBoxTextFormat = 0x110;
constexpr uint32_t kBoxTextShadow = 0xFF000000;

// Where button i of count sits in a box W wide and H high: all H/4 high at
// y = 5H/8; one W/4 wide at 3W/8; two W/4 wide at W/6 and 7W/12; three
// 2W/9 wide at W/12, 7W/18 and 25W/36. Signed divisions toward zero,
// worked in 64 bits so that no box size overflows them.
tagWOXRect ButtonRect(int i, int count, int32_t W, int32_t H) {
    const int64_t w = W, h = H;
    tagWOXRect r{};
    r.y = static_cast<int32_t>(5 * h / 8);
    r.height = static_cast<int32_t>(h / 4);
    if (count == 1) {
        r.width = static_cast<int32_t>(w / 4);
        r.x = static_cast<int32_t>(3 * w / 8);
    } else if (count == 2) {
        static const int64_t num[] = {1, 7}, den[] = {6, 12};
        r.width = static_cast<int32_t>(w / 4);
        r.x = static_cast<int32_t>(num[i] * w / den[i]);
    } else {
        static const int64_t num[] = {1, 7, 25}, den[] = {12, 18, 36};
        r.width = static_cast<int32_t>(2 * w / 9);
        r.x = static_cast<int32_t>(num[i] * w / den[i]);
    }
    return r;
}

void SetPicture(tagWOXPicData& pic, const char* path) {
    pic.bValid = 1;
    dovwox::CopyToField(pic.szPath, sizeof pic.szPath, path);
}

}  // namespace

CWOXMsgBox::CWOXMsgBox() {
    for (CWOXWnd*& b : m_pButton) {
        b = WOXInvalidWnd();
    }
}

int CWOXMsgBox::Init(CWOXSystem* pSystem, CWOXWnd* pFather, tagWOXWndData* pData) {
    int result = CWOXWnd::Init(pSystem, pFather, pData);
    m_bTopMost = 1;
    m_bTakeKeys = 1;
    for (CWOXWnd*& b : m_pButton) {
        b = WOXInvalidWnd();
    }
    return result;
}

void CWOXMsgBox::Render() {
    if (m_bShow == 0) {
        return;
    }
    CWOXWnd::Render();
    if (m_Data.szText[0] == 0 || m_pFont == nullptr) {
        return;
    }
    Tarnet::tagPoint at = GetScreenPos();
    tagWOXRect rc{at.x + m_Data.nTextX, at.y + m_Data.nTextY, m_Data.nTextWidth,
                  m_Data.nTextHeight};
    m_pFont->DrawText(m_Data.szText, rc, kBoxTextFormat, m_Data.dwTextColor, kBoxTextShadow);
}

int CWOXMsgBox::OnInputMessage(tagUIInputMsg* pMsg) {
    if (pMsg != nullptr && m_dwState == EWS_Active &&
        (pMsg->eType == EUII_LButtonUp ||
         (pMsg->eType == EUII_KeyUp &&
          (pMsg->dwParam1 == kWOXKeyEnter || pMsg->dwParam1 == kWOXKeySpace)))) {
        tagWOXEvent click = MakeEvent(EWOXE_Click);
        SendEvent(&click);
    }
    return CWOXWnd::OnInputMessage(pMsg);
}

void CWOXMsgBox::SendEvent(tagWOXEvent* pEvent) {
    if (pEvent == nullptr) {
        return;
    }
    if (pEvent->eEvent != EWOXE_Click) {
        CWOXWnd::SendEvent(pEvent);
        return;
    }
    uint32_t result = EMBR_NONE;
    // An empty slot never matches, whatever the event claims as its source.
    if (WOXIsValidWnd(pEvent->pSender)) {
        for (int i = 0; i < kMsgBoxButtonSlots; ++i) {
            if (m_pButton[i] == pEvent->pSender) {
                result = static_cast<uint32_t>(i);
                break;
            }
        }
    }
    tagWOXEvent ev = MakeEvent(EWOXE_MsgBoxResult, result);
    CWOXWnd::SendEvent(&ev);
}

void CWOXMsgBox::OnDeactive() {
    m_dwState = EWS_Normal;
}

void CWOXMsgBox::SetMBType(int type, CWOXSystem* pSystem) {
    switch (type) {
        case EMBT_OK:
            CreateOK(pSystem);
            break;
        case EMBT_OKCANCEL:
            CreateOKCANCEL(pSystem);
            break;
        case EMBT_ABORTRETRYIGNORE:
            CreateABORTRETRYIGNOR(pSystem);
            break;
        case EMBT_YESNOCANCEL:
            CreateYESNOCANCEL(pSystem);
            break;
        case EMBT_YESNO:
            CreateYESNO(pSystem);
            break;
        case EMBT_RETRYCANCEL:
            CreateRETRYCANCEL(pSystem);
            break;
        default:
            break;
    }
}

CWOXWnd* CWOXMsgBox::GetButton(int result) const {
    return result >= 0 && result < kMsgBoxButtonSlots ? m_pButton[result] : WOXInvalidWnd();
}

void CWOXMsgBox::CreateOK(CWOXSystem* pSystem) {
    static const ButtonSpec specs[] = {{"%s_button_ok", "OK", EMBR_OK}};
    CreateButtons(pSystem, specs, 1);
}

void CWOXMsgBox::CreateOKCANCEL(CWOXSystem* pSystem) {
    static const ButtonSpec specs[] = {{"%s_button_ok", "OK", EMBR_OK},
                                       {"%s_button_cancel", "Cancel", EMBR_CANCEL}};
    CreateButtons(pSystem, specs, 2);
}

void CWOXMsgBox::CreateABORTRETRYIGNOR(CWOXSystem* pSystem) {
    static const ButtonSpec specs[] = {{"%s_button_abort", "Abort", EMBR_ABORT},
                                       {"%s_button_retry", "Retry", EMBR_RETRY},
                                       {"%s_button_ignore", "Ignore", EMBR_IGNORE}};
    CreateButtons(pSystem, specs, 3);
}

void CWOXMsgBox::CreateYESNOCANCEL(CWOXSystem* pSystem) {
    static const ButtonSpec specs[] = {{"%s_button_yes", "YES", EMBR_YES},
                                       {"%s_button_no", "No", EMBR_NO},
                                       {"%s_button_cancel", "Cancel", EMBR_CANCEL}};
    CreateButtons(pSystem, specs, 3);
}

void CWOXMsgBox::CreateYESNO(CWOXSystem* pSystem) {
    static const ButtonSpec specs[] = {{"%s_button_yes", "YES", EMBR_YES},
                                       {"%s_button_no", "NO", EMBR_NO}};
    CreateButtons(pSystem, specs, 2);
}

void CWOXMsgBox::CreateRETRYCANCEL(CWOXSystem* pSystem) {
    static const ButtonSpec specs[] = {{"%s_button_retry", "Retry", EMBR_RETRY},
                                       {"%s_button_cancel", "Cancel", EMBR_CANCEL}};
    CreateButtons(pSystem, specs, 2);
}

void CWOXMsgBox::CreateButtons(CWOXSystem* pSystem, const ButtonSpec* specs, int count) {
    if (pSystem == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        tagWOXWndData data;
        memset(&data, 0, sizeof data);
        // Cut to the field: a long box name can make two buttons' names
        // equal, and then the second one is not created.
        snprintf(data.szName, sizeof data.szName, specs[i].nameFormat, m_Data.szName);
        dovwox::CopyToField(data.szFatherName, sizeof data.szFatherName, m_Data.szName);
        dovwox::CopyToField(data.szClassName, sizeof data.szClassName, kWOXButtonType);
        data.bModal = 0;
        data.bTabStop = 1;
        tagWOXRect r = ButtonRect(i, count, m_Data.nWidth, m_Data.nHeight);
        data.nX = r.x;
        data.nY = r.y;
        data.nWidth = r.width;
        data.nHeight = r.height;
        data.nTextX = r.width / 3;
        data.nTextY = (r.height - kButtonTextLineHeight) / 2;
        data.nTextWidth = kButtonTextWidth;
        data.nTextHeight = kButtonTextHeight;
        dovwox::CopyToField(data.szText, sizeof data.szText, specs[i].caption);
        data.dwTextColor = kButtonTextColor;
        SetPicture(data.Pic[EWS_Normal], kButtonPicNormal);
        SetPicture(data.Pic[EWS_Active], kButtonPicPushed);
        SetPicture(data.Pic[EWS_Hover], kButtonPicHover);

        // The slot holds the window created for this button, or nothing:
        // looking the name up instead would find another button whose
        // name the cut made equal, and its click would report this role.
        CWOXWnd* button = pSystem->CreateWnd(&data);
        m_pButton[specs[i].slot] = WOXIsValidWnd(button) ? button : WOXInvalidWnd();
    }
}
