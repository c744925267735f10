// The library's button ("button"): a static window that shows the picture
// of its state (normal, pushed, hovered) and sends a click event
// (EWOXE_Click) to its parent when the left button is released on it after
// a press on it, or when Enter or Space is released while it holds the
// keyboard focus.
#pragma once

#include "wox/CWOXStatic.h"

class WOX_API CWOXButton : public CWOXStatic {
public:
    int Init(CWOXSystem* pSystem, CWOXWnd* pFather, tagWOXWndData* pData) override;
    int OnInputMessage(tagUIInputMsg* pMsg) override;
};
