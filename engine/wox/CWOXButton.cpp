#include "wox/CWOXButton.h"

int CWOXButton::Init(CWOXSystem* pSystem, CWOXWnd* pFather, tagWOXWndData* pData) {
    int result = CWOXStatic::Init(pSystem, pFather, pData);
    if (result != 0) {
        m_bTakeKeys = 1;
    }
    return result;
}

int CWOXButton::OnInputMessage(tagUIInputMsg* pMsg) {
    bool click = false;
    if (pMsg != nullptr && m_dwState == EWS_Active) {
        // Released where it was pressed: the press made it active, and the
        // system routes the release to the window under the pointer.
        click = (pMsg->eType == EUII_LButtonUp && PointInWnd(pMsg->pt) != 0) ||
                (pMsg->eType == EUII_KeyUp &&
                 (pMsg->dwParam1 == kWOXKeyEnter || pMsg->dwParam1 == kWOXKeySpace));
    }
    if (click) {
        tagWOXEvent ev = MakeEvent(EWOXE_Click);
        SendEvent(&ev);
    }
    int result = CWOXStatic::OnInputMessage(pMsg);
    return click ? 1 : result;
}
