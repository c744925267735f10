#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msgbox_fixture_test.h"
#include "wox/CWOXRender.h"

namespace {

using woxscript::Centre;
using woxscript::Click;

struct ButtonWant {
    const char* role;  // the name's suffix
    const char* caption;
    uint32_t result;  // also the slot
    int x, width;     // inside a 300 by 100 box
};

struct KindWant {
    int type;
    std::vector<ButtonWant> buttons;  // left to right
};

// The six kinds as a player sees them in a 300 by 100 box: buttons 25 high
// at y 62; one 75 wide at 112; two 75 wide at 50 and 175; three 66 wide at
// 25, 116 and 208.
const std::vector<KindWant>& Kinds() {
    static const std::vector<KindWant> kinds = {
        {EMBT_OK, {{"ok", "OK", EMBR_OK, 112, 75}}},
        {EMBT_OKCANCEL,
         {{"ok", "OK", EMBR_OK, 50, 75}, {"cancel", "Cancel", EMBR_CANCEL, 175, 75}}},
        {EMBT_ABORTRETRYIGNORE,
         {{"abort", "Abort", EMBR_ABORT, 25, 66},
          {"retry", "Retry", EMBR_RETRY, 116, 66},
          {"ignore", "Ignore", EMBR_IGNORE, 208, 66}}},
        {EMBT_YESNOCANCEL,
         {{"yes", "YES", EMBR_YES, 25, 66},
          {"no", "No", EMBR_NO, 116, 66},
          {"cancel", "Cancel", EMBR_CANCEL, 208, 66}}},
        {EMBT_YESNO, {{"yes", "YES", EMBR_YES, 50, 75}, {"no", "NO", EMBR_NO, 175, 75}}},
        {EMBT_RETRYCANCEL,
         {{"retry", "Retry", EMBR_RETRY, 50, 75}, {"cancel", "Cancel", EMBR_CANCEL, 175, 75}}},
    };
    return kinds;
}

TEST_F(MsgBoxTest, EveryKindHasItsButtonsNamedPlacedAndInTheirSlots) {
    for (const KindWant& kind : Kinds()) {
        SCOPED_TRACE("kind " + std::to_string(kind.type));
        CWOXMsgBox* box = Open(kind.type);
        ASSERT_NE(box, nullptr);
        const std::string boxName = box->GetName();
        ASSERT_EQ(box->GetChildren().size(), kind.buttons.size());
        std::vector<bool> used(kMsgBoxButtonSlots, false);
        for (size_t i = 0; i < kind.buttons.size(); ++i) {
            const ButtonWant& want = kind.buttons[i];
            SCOPED_TRACE(want.caption);
            CWOXWnd* b = box->GetButton(static_cast<int>(want.result));
            ASSERT_TRUE(WOXIsValidWnd(b));
            used[want.result] = true;
            EXPECT_EQ(box->GetChildren()[i], b);  // created left to right
            const tagWOXWndData& d = b->GetData();
            EXPECT_EQ(std::string(d.szName), boxName + "_button_" + want.role);
            EXPECT_EQ(sys.GetWnd(d.szName), b);
            EXPECT_STREQ(d.szFatherName, boxName.c_str());
            EXPECT_STREQ(d.szClassName, kWOXButtonType);
            EXPECT_STREQ(d.szText, want.caption);
            EXPECT_EQ(d.dwID, 0u);
            EXPECT_EQ(d.bModal, 0u);
            EXPECT_EQ(d.bTabStop, 1u);
            EXPECT_EQ(d.nX, want.x);
            EXPECT_EQ(d.nY, 62);
            EXPECT_EQ(d.nWidth, want.width);
            EXPECT_EQ(d.nHeight, 25);
            EXPECT_EQ(d.nTextX, want.width / 3);
            EXPECT_EQ(d.nTextY, 4);
            EXPECT_EQ(d.nTextWidth, 128);
            EXPECT_EQ(d.nTextHeight, 27);
            EXPECT_EQ(d.dwTextColor, 0x101010u);
            EXPECT_STREQ(d.Pic[0].szPath, "data\\public\\ui\\0.bmp");
            EXPECT_STREQ(d.Pic[2].szPath, "data\\public\\ui\\2.bmp");
            EXPECT_STREQ(d.Pic[3].szPath, "data\\public\\ui\\1.bmp");
            for (int slot = 0; slot < kWOXPicSlots; ++slot) {
                bool given = slot == 0 || slot == 2 || slot == 3;
                EXPECT_EQ(d.Pic[slot].bValid, given ? 1u : 0u) << slot;
            }
        }
        for (int slot = 0; slot < kMsgBoxButtonSlots; ++slot) {
            if (!used[slot]) {
                EXPECT_EQ(box->GetButton(slot), WOXInvalidWnd()) << "slot " << slot;
            }
        }
        sys.DestroyWnd(box);
    }
}

TEST_F(MsgBoxTest, AClickOnEachButtonReachesTheParentAsOneResult) {
    for (const KindWant& kind : Kinds()) {
        for (const ButtonWant& want : kind.buttons) {
            SCOPED_TRACE(std::to_string(kind.type) + " " + want.caption);
            CWOXMsgBox* box = Open(kind.type);
            ASSERT_NE(box, nullptr);
            parent->events.clear();
            Tarnet::tagPoint c = Centre(box->GetButton(static_cast<int>(want.result)));
            Click(sys, c.x, c.y);
            ASSERT_EQ(parent->events.size(), 1u);  // the button's own click went no further
            const woxscript::SeenEvent& ev = parent->events[0];
            EXPECT_EQ(ev.kind, static_cast<uint32_t>(EWOXE_MsgBoxResult));
            EXPECT_EQ(ev.param1, want.result);
            EXPECT_EQ(ev.sender, box);
            EXPECT_EQ(ev.name, box->GetName());
            EXPECT_EQ(ev.id, 0u);
            sys.DestroyWnd(box);
        }
    }
}

TEST_F(MsgBoxTest, TheKeyboardReachesTheButtonsThroughTab) {
    CWOXMsgBox* box = Open(EMBT_ABORTRETRYIGNORE);
    ASSERT_NE(box, nullptr);
    woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab);
    woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab);
    EXPECT_EQ(sys.GetActiveWnd(), box->GetButton(EMBR_RETRY));
    woxscript::Press(sys, kWOXKeyEnter);
    ASSERT_EQ(parent->events.size(), 1u);
    EXPECT_EQ(parent->events[0].param1, static_cast<uint32_t>(EMBR_RETRY));
}

TEST_F(MsgBoxTest, TheBoxClickingItselfReportsNoButton) {
    CWOXMsgBox* box = Open(EMBT_YESNO);
    ASSERT_NE(box, nullptr);
    tagWOXRect r = box->GetScreenRect();
    // Opening took the focus from the game but gave it to nothing yet: keys
    // and a release without a press do nothing.
    woxscript::Press(sys, kWOXKeyEnter);
    woxscript::Mouse(sys, EUII_LButtonUp, r.x + 5, r.y + 5);
    EXPECT_TRUE(parent->events.empty());

    // A press and release on the box's body (outside its buttons).
    Click(sys, r.x + 5, r.y + 5);
    EXPECT_EQ(box->GetState(), static_cast<uint32_t>(EWS_Active));
    ASSERT_EQ(parent->events.size(), 1u);
    EXPECT_EQ(parent->events[0].kind, static_cast<uint32_t>(EWOXE_MsgBoxResult));
    EXPECT_EQ(parent->events[0].param1, static_cast<uint32_t>(EMBR_NONE));
    EXPECT_EQ(parent->events[0].sender, box);
    // Enter and Space while the box holds the focus; other keys do nothing.
    woxscript::Press(sys, kWOXKeyEnter);
    woxscript::Press(sys, kWOXKeySpace);
    woxscript::Press(sys, 'Y');
    EXPECT_EQ(parent->events.size(), 3u);
    EXPECT_EQ(parent->events[2].param1, static_cast<uint32_t>(EMBR_NONE));

    // Losing the activation ends it.
    box->OnDeactive();
    EXPECT_EQ(box->GetState(), static_cast<uint32_t>(EWS_Normal));
    tagUIInputMsg up{EUII_KeyUp, kWOXKeyEnter, 0, {0, 0}};
    EXPECT_EQ(box->OnInputMessage(&up), 0);
    EXPECT_EQ(parent->events.size(), 3u);
}

TEST_F(MsgBoxTest, EventsOtherThanClicksPassThroughUnchanged) {
    CWOXMsgBox* box = Open(EMBT_ABORTRETRYIGNORE);
    ASSERT_NE(box, nullptr);
    CWOXWnd* retry = box->GetButton(EMBR_RETRY);
    tagWOXEvent custom{retry, 77, "someone", 42, 1234, 5678};
    box->SendEvent(&custom);
    ASSERT_EQ(parent->events.size(), 1u);
    EXPECT_EQ(parent->events[0].sender, retry);
    EXPECT_EQ(parent->events[0].id, 77u);
    EXPECT_EQ(parent->events[0].name, "someone");
    EXPECT_EQ(parent->events[0].kind, 42u);
    EXPECT_EQ(parent->events[0].param1, 1234u);

    // A click said to come from the button: exactly one result, Retry.
    tagWOXEvent click{retry, 0, retry->GetName(), EWOXE_Click, 0, 0};
    box->SendEvent(&click);
    ASSERT_EQ(parent->events.size(), 2u);
    EXPECT_EQ(parent->events[1].kind, static_cast<uint32_t>(EWOXE_MsgBoxResult));
    EXPECT_EQ(parent->events[1].param1, static_cast<uint32_t>(EMBR_RETRY));

    // Sources that are none of the buttons, the empty-slot value included.
    for (CWOXWnd* source :
         {static_cast<CWOXWnd*>(parent), WOXInvalidWnd(), static_cast<CWOXWnd*>(nullptr)}) {
        tagWOXEvent other{source, 0, "", EWOXE_Click, 0, 0};
        box->SendEvent(&other);
        EXPECT_EQ(parent->events.back().param1, static_cast<uint32_t>(EMBR_NONE));
    }
    EXPECT_EQ(parent->events.size(), 5u);
    box->SendEvent(nullptr);
    EXPECT_EQ(parent->events.size(), 5u);
}

TEST_F(MsgBoxTest, KindsOutsideTheSixGiveABoxWithoutButtons) {
    for (int type : {6, -1, 1000}) {
        CWOXMsgBox* box = Open(type);
        ASSERT_NE(box, nullptr) << type;
        EXPECT_TRUE(box->GetChildren().empty());
        for (int slot = 0; slot < kMsgBoxButtonSlots; ++slot) {
            EXPECT_EQ(box->GetButton(slot), WOXInvalidWnd());
        }
        EXPECT_EQ(box->GetButton(-1), WOXInvalidWnd());
        EXPECT_EQ(box->GetButton(kMsgBoxButtonSlots), WOXInvalidWnd());
        sys.DestroyWnd(box);
    }
}

TEST_F(MsgBoxTest, ButtonNamesCutToTheirFieldNeverStandForAnotherButton) {
    // A box made directly with a name so long that "<name>_button_" fills
    // the name field: all three button names come out equal.
    tagWOXWndData d =
        woxscript::Record(std::string(55, 'b').c_str(), kMsgBoxType, "game_panel", 0, 0, 300, 100);
    auto* box = dynamic_cast<CWOXMsgBox*>(sys.CreateWnd(&d));
    ASSERT_NE(box, nullptr);
    box->SetMBType(EMBT_ABORTRETRYIGNORE, &sys);
    ASSERT_EQ(box->GetChildren().size(), 1u);
    CWOXWnd* only = box->GetChildren()[0];
    EXPECT_EQ(std::string(only->GetName()), std::string(55, 'b') + "_button_");
    EXPECT_EQ(box->GetButton(EMBR_ABORT), only);
    EXPECT_EQ(box->GetButton(EMBR_RETRY), WOXInvalidWnd());
    EXPECT_EQ(box->GetButton(EMBR_IGNORE), WOXInvalidWnd());

    // One character shorter and the names differ in their last letter.
    tagWOXWndData e =
        woxscript::Record(std::string(54, 'c').c_str(), kMsgBoxType, "", 0, 0, 300, 100);
    auto* box2 = dynamic_cast<CWOXMsgBox*>(sys.CreateWnd(&e));
    ASSERT_NE(box2, nullptr);
    box2->SetMBType(EMBT_YESNOCANCEL, &sys);
    EXPECT_EQ(box2->GetChildren().size(), 3u);
    EXPECT_EQ(std::string(box2->GetButton(EMBR_NO)->GetName()), std::string(54, 'c') + "_button_n");
    box2->SetMBType(EMBT_OK, nullptr);  // no system: nothing
    EXPECT_EQ(box2->GetChildren().size(), 3u);
}

TEST_F(MsgBoxTest, RenderingShowsPictureButtonsThenTheWrappedText) {
    const char* text =
        "The patch could not be applied because the disk is full. Free some space and try again.";
    CWOXMsgBox* box = Open(EMBT_OKCANCEL, text);
    ASSERT_NE(box, nullptr);
    tagWOXRect r = box->GetScreenRect();
    sys.Render();
    std::vector<tagWOXDrawCmd> cmds;
    for (const tagWOXDrawCmd& c : sys.GetRender()->GetCommands()) {
        // Only what the box draws: its picture, its buttons and its text.
        if (c.strWnd.rfind(box->GetName(), 0) == 0 || c.strText == text || c.strText == "OK" ||
            c.strText == "Cancel") {
            cmds.push_back(c);
        }
    }
    ASSERT_EQ(cmds.size(), 6u);
    EXPECT_EQ(cmds[0].eKind, tagWOXDrawCmd::Picture);
    EXPECT_EQ(cmds[0].strPath, "data\\public\\ui\\msgbox.jpg");
    EXPECT_EQ(cmds[0].rc.x, r.x);
    EXPECT_EQ(cmds[0].rc.width, 300);
    EXPECT_EQ(cmds[1].strPath, "data\\public\\ui\\0.bmp");  // OK, then its caption
    EXPECT_EQ(cmds[2].strText, "OK");
    EXPECT_EQ(cmds[3].strPath, "data\\public\\ui\\0.bmp");
    EXPECT_EQ(cmds[4].strText, "Cancel");

    const tagWOXDrawCmd& t = cmds[5];
    ASSERT_EQ(t.eKind, tagWOXDrawCmd::Text);
    EXPECT_EQ(t.strText, text);
    EXPECT_EQ(t.rc.x, r.x + 30);
    EXPECT_EQ(t.rc.y, r.y + 10);
    EXPECT_EQ(t.rc.width, 250);
    EXPECT_EQ(t.rc.height, 80);
    EXPECT_EQ(t.dwFormat, 0x110u);
    EXPECT_EQ(t.dwColor, 0u);
    EXPECT_EQ(t.dwShadowColor, 0xFF000000u);
    // 31 characters of 8 pixels fit in 250: broken between words.
    std::vector<std::string> lines;
    for (const auto& l : t.lines) {
        lines.push_back(l.text);
        EXPECT_LE(l.width, 250);
        EXPECT_EQ(l.x, r.x + 30);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"The patch could not be applied",
                                               "because the disk is full. Free",
                                               "some space and try again."}));
    EXPECT_EQ(t.lines[2].y, r.y + 10 + 2 * kWOXLineHeight);
}

TEST_F(MsgBoxTest, TextPastTheRectangleIsDrawnNotClipped) {
    // Eight lines of 16 pixels in an 80-pixel rectangle: all are drawn.
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += std::string(30, static_cast<char>('a' + i)) + " ";
    }
    CWOXMsgBox* box = Open(EMBT_OK, text.c_str());
    ASSERT_NE(box, nullptr);
    sys.Render();
    for (const tagWOXDrawCmd& c : sys.GetRender()->GetCommands()) {
        if (c.eKind == tagWOXDrawCmd::Text && c.strText == box->GetData().szText) {
            ASSERT_EQ(c.lines.size(), 8u);
            EXPECT_GT(c.lines.back().y, c.rc.y + c.rc.height);
            return;
        }
    }
    FAIL() << "the box drew no text";
}

TEST_F(MsgBoxTest, AHiddenBoxDrawsNothingAndAnEmptyTextIsNotDrawn) {
    CWOXMsgBox* box = Open(EMBT_OK, "");
    ASSERT_NE(box, nullptr);
    sys.Render();
    size_t texts = 0;
    for (const tagWOXDrawCmd& c : sys.GetRender()->GetCommands()) {
        texts += c.eKind == tagWOXDrawCmd::Text && c.strText != "OK";
    }
    EXPECT_EQ(texts, 0u);
    box->ShowWnd(0);
    sys.Render();
    for (const tagWOXDrawCmd& c : sys.GetRender()->GetCommands()) {
        EXPECT_NE(c.strWnd.rfind(box->GetName(), 0), 0u) << c.strWnd;
    }
}

TEST_F(MsgBoxTest, DestroyingAnOpenBoxLeavesNoWindowsBehind) {
    size_t before = sys.GetWndCount();
    CWOXMsgBox* box = Open(EMBT_YESNOCANCEL);
    ASSERT_NE(box, nullptr);
    std::vector<std::string> names = {box->GetName()};
    for (CWOXWnd* b : box->GetChildren()) {
        names.push_back(b->GetName());
    }
    Tarnet::tagPoint yes = Centre(box->GetButton(EMBR_YES));
    woxscript::Mouse(sys, EUII_LButtonDown, yes.x, yes.y);  // a button half pressed
    EXPECT_EQ(sys.GetWndCount(), before + 4);

    sys.DestroyWnd(box);
    EXPECT_EQ(sys.GetWndCount(), before);
    for (const std::string& n : names) {
        EXPECT_EQ(sys.GetWnd(n.c_str()), WOXInvalidWnd()) << n;
    }
    EXPECT_TRUE(parent->GetChildren().empty());
    EXPECT_EQ(sys.GetActiveWnd(), WOXInvalidWnd());
    EXPECT_EQ(sys.GetModalWnd(), WOXInvalidWnd());
    // The release lands on the panel now, and nothing reports a result.
    woxscript::Mouse(sys, EUII_LButtonUp, yes.x, yes.y);
    EXPECT_TRUE(parent->events.empty());
    Click(sys, yes.x, yes.y);
    EXPECT_EQ(sys.GetActiveWnd(), parent);
}

// The game's usual handling: close the box when its result arrives, from
// inside the event's delivery.
class ClosingPanel : public CWOXWnd {
public:
    void OnEvent(tagWOXEvent* pEvent) override {
        if (pEvent->eEvent == EWOXE_MsgBoxResult) {
            results.push_back(pEvent->dwParam1);
            m_pSystem->DestroyWnd(pEvent->pSender);
        }
    }
    std::vector<uint32_t> results;
};

TEST_F(MsgBoxTest, TheGameMayCloseTheBoxFromItsResultHandler) {
    sys.RegisterWndType<ClosingPanel>("closing_panel");
    tagWOXWndData d = woxscript::Record("closing", "closing_panel", "", 0, 0, 500, 300);
    auto* panel = static_cast<ClosingPanel*>(sys.CreateWnd(&d));
    ASSERT_TRUE(WOXIsValidWnd(panel));
    size_t before = sys.GetWndCount();
    CWOXMsgBox* box = Open(EMBT_RETRYCANCEL, "again?", panel);
    ASSERT_NE(box, nullptr);
    Tarnet::tagPoint cancel = Centre(box->GetButton(EMBR_CANCEL));
    Click(sys, cancel.x, cancel.y);
    EXPECT_EQ(panel->results, std::vector<uint32_t>{EMBR_CANCEL});
    EXPECT_EQ(sys.GetWndCount(), before);
    EXPECT_TRUE(panel->GetChildren().empty());

    // A click on the box's body: no button, and closed all the same.
    box = Open(EMBT_OK, "done", panel);
    ASSERT_NE(box, nullptr);
    tagWOXRect r = box->GetScreenRect();
    Click(sys, r.x + 3, r.y + 3);
    EXPECT_EQ(sys.GetWndCount(), before);
    EXPECT_EQ(panel->results.size(), 2u);
}

}  // namespace
