// The message box window type ("msg_box"): a 300 by 100 static window with
// a background picture, a wrapped text and one of six button sets. A click
// on one of its buttons reaches the box's parent as one result event
// (EWOXE_MsgBoxResult) whose dwParam1 is the button's result code; the
// button's own click event goes no further.
//
// Boxes are opened with CDOVWOX_Collocate::MsgBox and live in the widget
// system like any window: the game closes one with CWOXSystem::DestroyWnd
// when it receives the result (also from inside its event handler).
#pragma once

#include <cstdint>

#include "dovwox/DovwoxApi.h"
#include "wox/CWOXStatic.h"
#include "wox/CWOXSystem.h"

// The box kind.
enum EMB_Type : int32_t {
    EMBT_OK = 0,
    EMBT_OKCANCEL = 1,
    EMBT_ABORTRETRYIGNORE = 2,
    EMBT_YESNOCANCEL = 3,
    EMBT_YESNO = 4,
    EMBT_RETRYCANCEL = 5,
};

// Result codes, one per button role; also the indexes of the button slots.
enum EMB_Result : uint32_t {
    EMBR_OK = 0,
    EMBR_CANCEL = 1,
    EMBR_ABORT = 2,
    EMBR_RETRY = 3,
    EMBR_IGNORE = 4,
    EMBR_YES = 5,
    EMBR_NO = 6,
    // A click on the box itself (its body, or Enter or Space while the box
    // holds the focus) chose none of the buttons.
    EMBR_NONE = 0xFFFFFFFF,
};

constexpr int kMsgBoxButtonSlots = 7;
constexpr const char* kMsgBoxType = "msg_box";

class DOVWOX_API CWOXMsgBox : public CWOXStatic {
public:
    CWOXMsgBox();

    // CWOXWnd::Init, then the box stays above its siblings and takes keys,
    // and every button slot is empty (WOXInvalidWnd()).
    int Init(CWOXSystem* pSystem, CWOXWnd* pFather, tagWOXWndData* pData) override;
    // While shown: the picture and the children, then the text wrapped into
    // the text rectangle (not clipped), in the record's colour.
    void Render() override;
    // Left-button release, or Enter or Space released, while the box holds
    // the activation: the box clicks itself. Then the base handling.
    int OnInputMessage(tagUIInputMsg* pMsg) override;
    // Clicks become one result event from the box carrying the clicked
    // button's result code (EMBR_NONE for any other source); other events
    // pass unchanged.
    void SendEvent(tagWOXEvent* pEvent) override;
    void OnDeactive() override;

    // Creates the buttons of a box kind (EMB_Type); other values create
    // none.
    void SetMBType(int type, CWOXSystem* pSystem);

    // The button in a result code's slot, or WOXInvalidWnd().
    CWOXWnd* GetButton(int result) const;

protected:
    void CreateOK(CWOXSystem* pSystem);
    void CreateOKCANCEL(CWOXSystem* pSystem);
    void CreateABORTRETRYIGNOR(CWOXSystem* pSystem);
    void CreateYESNOCANCEL(CWOXSystem* pSystem);
    void CreateYESNO(CWOXSystem* pSystem);
    void CreateRETRYCANCEL(CWOXSystem* pSystem);

private:
    struct ButtonSpec {
        const char* nameFormat;  // from the box's name
        const char* caption;
        int slot;  // the result code
    };
    void CreateButtons(CWOXSystem* pSystem, const ButtonSpec* specs, int count);

    CWOXWnd* m_pButton[kMsgBoxButtonSlots];
};
