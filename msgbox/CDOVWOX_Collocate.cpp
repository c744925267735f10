#include "dovwox/CDOVWOX_Collocate.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "MsgBoxText.h"
#include "platform/clock.h"

namespace {

constexpr const char* kBoxPicture = "data\\public\\ui\\msgbox.jpg";
constexpr int32_t kBoxWidth = 300;
constexpr int32_t kBoxHeight = 100;
constexpr tagWOXRect kBoxTextRect{30, 10, 250, 80};  // inside the box
constexpr uint32_t kBoxTextColor = 0;

// (outer - inner) / 2 in 64 bits: any 32-bit parent size gives a 32-bit
// result.
int32_t CentredOffset(int32_t outer, int32_t inner) {
    return static_cast<int32_t>((int64_t{outer} - inner) / 2);
}

int Random() {
    return std::rand();
}

}  // namespace

int CDOVWOX_Collocate::Init(CWOXSystem* sys) {
    m_pSystem = sys;
    if (sys != nullptr) {
        sys->RegisterWndType<CWOXMsgBox>(kMsgBoxType);
    }
    return 1;
}

CWOXWnd* CDOVWOX_Collocate::MsgBox(const char* text, EMB_Type type, CWOXWnd* parent) {
    if (m_pSystem == nullptr) {
        return WOXInvalidWnd();
    }
    // A box without a parent window is centred on the screen.
    CWOXWnd* father = m_pSystem->IsWnd(parent) ? parent : m_pSystem->GetDesktop();
    if (!WOXIsValidWnd(father)) {
        return WOXInvalidWnd();
    }

    tagWOXWndData data;
    memset(&data, 0, sizeof data);
    data.Pic[0].bValid = 1;
    dovwox::CopyToField(data.Pic[0].szPath, sizeof data.Pic[0].szPath, kBoxPicture);
    data.bModal = 1;
    data.bTabStop = 0;

    std::string name = dovwox::MakeMsgBoxName(*m_pSystem, platform::TickCount(), Random);
    if (name.empty()) {
        return WOXInvalidWnd();
    }
    dovwox::CopyToField(data.szName, sizeof data.szName, name.c_str());
    dovwox::CopyToField(data.szFatherName, sizeof data.szFatherName, father->GetName());
    dovwox::CopyToField(data.szClassName, sizeof data.szClassName, kMsgBoxType);
    dovwox::CopyToField(data.szText, sizeof data.szText, text);

    // Centred on the parent, toward zero: a parent narrower than the box
    // leaves it hanging out on both sides.
    data.nX = CentredOffset(father->GetData().nWidth, kBoxWidth);
    data.nY = CentredOffset(father->GetData().nHeight, kBoxHeight);
    data.nWidth = kBoxWidth;
    data.nHeight = kBoxHeight;
    data.nTextX = kBoxTextRect.x;
    data.nTextY = kBoxTextRect.y;
    data.nTextWidth = kBoxTextRect.width;
    data.nTextHeight = kBoxTextRect.height;
    data.dwTextColor = kBoxTextColor;

    CWOXWnd* box = m_pSystem->CreateWnd(&data);
    if (WOXIsValidWnd(box)) {
        // "msg_box" may have been registered by someone else before Init:
        // only a box of ours gets buttons.
        if (auto* msgBox = dynamic_cast<CWOXMsgBox*>(box)) {
            msgBox->SetMBType(type, m_pSystem);
        }
    }
    return box;
}

void CDOVWOX_Collocate::Destroy() {
    if (m_pSystem != nullptr) {
        m_pSystem->UnregisterWndType(kMsgBoxType);
    }
}
