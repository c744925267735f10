#include "wox/CWOXStatic.h"

#include "wox/CWOXRender.h"

namespace {
// Static text has no shadow: the second colour is fully transparent.
constexpr uint32_t kNoShadow = 0;
}  // namespace

void CWOXStatic::Render() {
    CWOXWnd::Render();
    if (m_bShow == 0 || m_pFont == nullptr || m_Data.szText[0] == 0) {
        return;
    }
    Tarnet::tagPoint at = GetScreenPos();
    tagWOXRect rc{at.x + m_Data.nTextX, at.y + m_Data.nTextY, m_Data.nTextWidth,
                  m_Data.nTextHeight};
    m_pFont->DrawText(m_Data.szText, rc, kWOXTextSingleLine, m_Data.dwTextColor, kNoShadow);
}
