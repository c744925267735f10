#include "wox/CWOXSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "wox/CWOXRender.h"
#include "wox/CWOXStatic.h"
#include "wox/WOXScript.h"

namespace {

using woxscript::Centre;
using woxscript::Click;
using woxscript::Record;
using woxscript::Recorder;

// Counts what a type's creator makes and deletes, and its own deletion.
struct Counts {
    int created = 0;
    int deleted = 0;
    int creatorsDeleted = 0;
};

class CountingCreator : public CWOXWndCreator {
public:
    explicit CountingCreator(Counts* c) : m_counts(c) {}
    ~CountingCreator() override { ++m_counts->creatorsDeleted; }
    CWOXWnd* Create() override {
        ++m_counts->created;
        return new Recorder;
    }
    void Delete(CWOXWnd* w) override {
        ++m_counts->deleted;
        delete static_cast<Recorder*>(w);
    }

private:
    Counts* m_counts;
};

class WoxSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sys.Init(1024, 768));
        sys.RegisterWndType<Recorder>("recorder");
    }

    CWOXWnd* Make(const char* name, const char* type, const char* father, int x, int y, int w,
                  int h) {
        tagWOXWndData d = Record(name, type, father, x, y, w, h);
        return sys.CreateWnd(&d);
    }
    CWOXWnd* MakeButton(const char* name, const char* father, int x, int y) {
        tagWOXWndData d = Record(name, kWOXButtonType, father, x, y, 60, 20);
        d.bTabStop = 1;
        return sys.CreateWnd(&d);
    }

    CWOXSystem sys;
};

TEST_F(WoxSystem, TypeRegistryKeepsOneCreatorPerNameAndForgetsEveryOccurrence) {
    EXPECT_EQ(sys.GetWndTypeNames(),
              (std::vector<std::string>{kWOXStaticType, kWOXButtonType, "recorder"}));
    Counts counts;
    EXPECT_TRUE(sys.AddWndType("counted", new CountingCreator(&counts)));
    // A second registration changes nothing, and its creator is not kept.
    Counts other;
    EXPECT_FALSE(sys.AddWndType("counted", new CountingCreator(&other)));
    EXPECT_EQ(other.creatorsDeleted, 1);
    sys.RegisterWndType<CWOXStatic>("counted");
    CWOXWnd* w = Make("w", "counted", "", 0, 0, 10, 10);
    ASSERT_TRUE(WOXIsValidWnd(w));
    EXPECT_EQ(counts.created, 1);
    EXPECT_EQ(other.created, 0);

    // Null, empty and over-long names are refused.
    Counts refused;
    EXPECT_FALSE(sys.AddWndType(nullptr, new CountingCreator(&refused)));
    EXPECT_FALSE(sys.AddWndType("", new CountingCreator(&refused)));
    EXPECT_FALSE(
        sys.AddWndType(std::string(kWOXClassChars, 't').c_str(), new CountingCreator(&refused)));
    EXPECT_EQ(refused.creatorsDeleted, 3);

    // Unregistering closes the type's open windows first (only its creator
    // can delete them), then deletes the creator.
    sys.UnregisterWndType("counted");
    EXPECT_FALSE(sys.IsWndTypeRegistered("counted"));
    EXPECT_FALSE(sys.IsWnd(w));
    EXPECT_FALSE(WOXIsValidWnd(sys.GetWnd("w")));
    EXPECT_EQ(counts.deleted, 1);
    EXPECT_EQ(counts.creatorsDeleted, 1);
    EXPECT_EQ(std::count(sys.GetWndTypeNames().begin(), sys.GetWndTypeNames().end(), "counted"), 0);
    sys.UnregisterWndType("counted");  // not registered: nothing happens
    sys.UnregisterWndType(nullptr);
    EXPECT_EQ(sys.GetWndTypeNames().size(), 3u);
    EXPECT_FALSE(WOXIsValidWnd(Make("w2", "counted", "", 0, 0, 10, 10)));
}

TEST_F(WoxSystem, CreationFailsCleanlyOnBadDescriptions) {
    size_t before = sys.GetWndCount();
    EXPECT_EQ(sys.CreateWnd(nullptr), WOXInvalidWnd());
    EXPECT_EQ(Make("a", "no_such_type", "", 0, 0, 10, 10), WOXInvalidWnd());
    EXPECT_EQ(Make("a", kWOXStaticType, "no_such_parent", 0, 0, 10, 10), WOXInvalidWnd());
    EXPECT_EQ(Make("", kWOXStaticType, "", 0, 0, 10, 10), WOXInvalidWnd());
    ASSERT_TRUE(WOXIsValidWnd(Make("a", kWOXStaticType, "", 0, 0, 10, 10)));
    EXPECT_EQ(Make("a", kWOXStaticType, "", 0, 0, 10, 10), WOXInvalidWnd());  // name taken
    EXPECT_EQ(Make(kWOXDesktopName, kWOXStaticType, "", 0, 0, 10, 10), WOXInvalidWnd());
    EXPECT_EQ(sys.GetWndCount(), before + 1);

    CWOXSystem uninitialised;
    tagWOXWndData d = Record("a", kWOXStaticType, "", 0, 0, 10, 10);
    EXPECT_EQ(uninitialised.CreateWnd(&d), WOXInvalidWnd());
    EXPECT_EQ(uninitialised.GetWnd("a"), WOXInvalidWnd());
    EXPECT_FALSE(uninitialised.Init(0, 768));
    EXPECT_FALSE(sys.Init(1024, 768));  // once only
}

TEST_F(WoxSystem, WindowsAreFoundByNameAndLinkedToTheirParents) {
    CWOXWnd* panel = Make("panel", "recorder", "", 100, 50, 400, 300);
    CWOXWnd* label = Make("label", kWOXStaticType, "panel", 10, 20, 100, 20);
    ASSERT_TRUE(WOXIsValidWnd(panel));
    ASSERT_TRUE(WOXIsValidWnd(label));
    EXPECT_EQ(sys.GetWnd("panel"), panel);
    EXPECT_EQ(sys.GetWnd("label"), label);
    EXPECT_EQ(sys.GetWnd("Label"), WOXInvalidWnd());  // names are matched exactly
    EXPECT_EQ(sys.GetWnd(nullptr), WOXInvalidWnd());
    EXPECT_EQ(panel->GetFather(), sys.GetDesktop());
    EXPECT_EQ(label->GetFather(), panel);
    EXPECT_EQ(panel->GetChildren(), std::vector<CWOXWnd*>{label});
    EXPECT_STREQ(label->GetClassName(), kWOXStaticType);
    EXPECT_EQ(label->GetScreenPos().x, 110);
    EXPECT_EQ(label->GetScreenPos().y, 70);
    EXPECT_TRUE(panel->Contains(label));
    EXPECT_FALSE(label->Contains(panel));
}

TEST_F(WoxSystem, TextsThatFillTheirFieldsAreCutInsideThem) {
    tagWOXWndData d = Record("", kWOXStaticType, "", 0, 0, 10, 10);
    memset(d.szName, 'n', sizeof d.szName);  // no terminator anywhere
    memset(d.szText, 't', sizeof d.szText);
    // A GBK character straddling the last byte of the text field.
    d.szText[kWOXTextChars - 3] = 'x';
    d.szText[kWOXTextChars - 2] = static_cast<char>(0xB0);
    d.szText[kWOXTextChars - 1] = static_cast<char>(0xA1);
    memset(d.Pic[0].szPath, 'p', sizeof d.Pic[0].szPath);
    d.Pic[0].bValid = 1;
    CWOXWnd* w = sys.CreateWnd(&d);
    ASSERT_TRUE(WOXIsValidWnd(w));
    EXPECT_EQ(std::string(w->GetName()), std::string(kWOXNameChars - 1, 'n'));
    EXPECT_EQ(sys.GetWnd(std::string(kWOXNameChars - 1, 'n').c_str()), w);
    std::string text = w->GetData().szText;
    EXPECT_EQ(text.size(), static_cast<size_t>(kWOXTextChars - 2));  // the half character went
    EXPECT_EQ(text.back(), 'x');
    EXPECT_EQ(strlen(w->GetData().Pic[0].szPath), static_cast<size_t>(kWOXPicPathChars - 1));

    // The same unterminated name again is the same name once cut: taken.
    tagWOXWndData again = Record("", kWOXStaticType, "", 0, 0, 10, 10);
    memset(again.szName, 'n', sizeof again.szName);
    EXPECT_EQ(sys.CreateWnd(&again), WOXInvalidWnd());
}

TEST_F(WoxSystem, TheTopWindowUnderAPointIsTheDeepestShownOne) {
    CWOXWnd* back = Make("back", "recorder", "", 0, 0, 200, 200);
    CWOXWnd* front = Make("front", "recorder", "", 100, 100, 200, 200);
    CWOXWnd* child = Make("child", kWOXStaticType, "front", 10, 10, 20, 20);
    // A child hanging out of its parent's left edge is still hit there.
    CWOXWnd* overhang = Make("overhang", kWOXStaticType, "front", -50, 150, 60, 20);
    Tarnet::tagPoint p{50, 50};
    EXPECT_EQ(sys.GetDesktop()->GetTopWnd(p), back);
    p = {150, 150};
    EXPECT_EQ(sys.GetDesktop()->GetTopWnd(p), front);
    p = {115, 115};
    EXPECT_EQ(sys.GetDesktop()->GetTopWnd(p), child);
    p = {60, 255};
    EXPECT_EQ(sys.GetDesktop()->GetTopWnd(p), overhang);
    EXPECT_EQ(front->PointInWnd(p), 0);
    EXPECT_EQ(front->PointInWndEx(p), 1);
    front->ShowWnd(0);
    p = {150, 150};
    EXPECT_EQ(sys.GetDesktop()->GetTopWnd(p), back);
    p = {500, 500};
    EXPECT_EQ(sys.GetDesktop()->GetTopWnd(p), sys.GetDesktop());
    p = {-1, 0};
    EXPECT_EQ(sys.GetDesktop()->GetTopWnd(p), WOXInvalidWnd());
}

// A window type that marks itself top-most, as a dialog type would.
class Pinned : public CWOXWnd {
public:
    int Init(CWOXSystem* pSystem, CWOXWnd* pFather, tagWOXWndData* pData) override {
        int result = CWOXWnd::Init(pSystem, pFather, pData);
        m_bTopMost = 1;
        return result;
    }
};

TEST_F(WoxSystem, TopMostWindowsStayAboveAndActivationRaises) {
    sys.RegisterWndType<Pinned>("pinned");
    CWOXWnd* a = Make("a", "recorder", "", 0, 0, 100, 100);
    CWOXWnd* pin = Make("pin", "pinned", "", 50, 50, 100, 100);
    CWOXWnd* b = Make("b", "recorder", "", 0, 0, 100, 100);
    const auto& order = sys.GetDesktop()->GetChildren();
    // Opened later, b still goes below the top-most window.
    EXPECT_EQ(order, (std::vector<CWOXWnd*>{a, b, pin}));
    Click(sys, 10, 10);  // b is the top one there
    EXPECT_EQ(sys.GetActiveWnd(), b);
    Click(sys, 60, 60);  // where all three overlap
    EXPECT_EQ(sys.GetActiveWnd(), pin);
    EXPECT_EQ(b->GetState(), static_cast<uint32_t>(EWS_Normal));
    sys.SetActiveWnd(a);
    EXPECT_EQ(order, (std::vector<CWOXWnd*>{b, a, pin}));
    EXPECT_EQ(pin->GetState(), static_cast<uint32_t>(EWS_Normal));
    sys.SetActiveWnd(nullptr);
    EXPECT_EQ(a->GetState(), static_cast<uint32_t>(EWS_Normal));
    EXPECT_EQ(sys.GetActiveWnd(), WOXInvalidWnd());
}

TEST_F(WoxSystem, AButtonClickReachesItsParentOnlyWhenReleasedWherePressed) {
    auto* panel = static_cast<Recorder*>(Make("panel", "recorder", "", 100, 100, 300, 200));
    CWOXWnd* ok = MakeButton("ok", "panel", 20, 150);
    ASSERT_TRUE(WOXIsValidWnd(ok));
    Tarnet::tagPoint c = Centre(ok);

    EXPECT_EQ(woxscript::Mouse(sys, EUII_LButtonDown, c.x, c.y), 1);
    EXPECT_EQ(sys.GetActiveWnd(), ok);
    EXPECT_EQ(ok->GetState(), static_cast<uint32_t>(EWS_Active));
    EXPECT_TRUE(panel->events.empty());
    EXPECT_EQ(woxscript::Mouse(sys, EUII_LButtonUp, c.x, c.y), 1);
    ASSERT_EQ(panel->events.size(), 1u);
    EXPECT_EQ(panel->events[0].sender, ok);
    EXPECT_EQ(panel->events[0].name, "ok");
    EXPECT_EQ(panel->events[0].kind, static_cast<uint32_t>(EWOXE_Click));

    // Pressed on the button, released beside it: no click.
    woxscript::Mouse(sys, EUII_LButtonDown, c.x, c.y);
    woxscript::Mouse(sys, EUII_LButtonUp, c.x + 100, c.y);
    // Pressed beside it, released on it: no click either.
    woxscript::Mouse(sys, EUII_LButtonDown, c.x + 100, c.y);
    woxscript::Mouse(sys, EUII_LButtonUp, c.x, c.y);
    EXPECT_EQ(panel->events.size(), 1u);

    // A disabled button takes no input.
    ok->EnableWnd(0);
    Click(sys, c.x, c.y);
    EXPECT_EQ(panel->events.size(), 1u);
    EXPECT_NE(sys.GetActiveWnd(), ok);
    ok->EnableWnd(1);
    Click(sys, c.x, c.y);
    EXPECT_EQ(panel->events.size(), 2u);
}

TEST_F(WoxSystem, TabMovesTheFocusAndEnterOrSpaceClicks) {
    auto* panel = static_cast<Recorder*>(Make("panel", "recorder", "", 0, 0, 300, 200));
    CWOXWnd* one = MakeButton("one", "panel", 10, 10);
    Make("label", kWOXStaticType, "panel", 10, 40, 60, 20);  // not a tab stop
    CWOXWnd* two = MakeButton("two", "panel", 10, 70);
    Click(sys, 150, 150);  // the panel takes the focus
    ASSERT_EQ(sys.GetActiveWnd(), panel);
    EXPECT_EQ(woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab), 1);
    EXPECT_EQ(sys.GetActiveWnd(), one);
    woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab);
    EXPECT_EQ(sys.GetActiveWnd(), two);
    woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab);
    EXPECT_EQ(sys.GetActiveWnd(), one);  // wraps around

    woxscript::Press(sys, kWOXKeyEnter);
    woxscript::Press(sys, kWOXKeySpace);
    woxscript::Press(sys, 'A');  // other keys click nothing
    ASSERT_EQ(panel->events.size(), 2u);
    EXPECT_EQ(panel->events[0].sender, one);
    EXPECT_EQ(panel->events[1].sender, one);

    // Keys reach only windows that take them: the panel does not.
    Click(sys, 150, 150);
    EXPECT_EQ(woxscript::Key(sys, EUII_KeyUp, kWOXKeyEnter), 0);
    EXPECT_EQ(panel->events.size(), 2u);
}

TEST_F(WoxSystem, EventsNobodyHandlesReachTheGame) {
    std::vector<woxscript::SeenEvent> seen;
    sys.SetEventHandler(
        [](tagWOXEvent* ev, void* user) {
            static_cast<std::vector<woxscript::SeenEvent>*>(user)->push_back(woxscript::Copy(*ev));
        },
        &seen);
    auto* panel = static_cast<Recorder*>(Make("panel", "recorder", "", 0, 0, 300, 200));
    panel->passOn = true;
    CWOXWnd* inner = Make("inner", kWOXStaticType, "panel", 0, 0, 200, 100);
    CWOXWnd* ok = MakeButton("ok", "inner", 10, 10);
    Tarnet::tagPoint c = Centre(ok);
    Click(sys, c.x, c.y);
    // Up through the static (which passes it on) and the panel, to the game.
    ASSERT_EQ(panel->events.size(), 1u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].sender, ok);
    EXPECT_EQ(seen[0].kind, static_cast<uint32_t>(EWOXE_Click));
    (void)inner;

    // Clicks on the bare desktop are the game's, not the widgets'.
    EXPECT_EQ(woxscript::Mouse(sys, EUII_LButtonDown, 900, 700), 0);
    EXPECT_EQ(sys.GetActiveWnd(), WOXInvalidWnd());
}

TEST_F(WoxSystem, AModalWindowHoldsInputToItself) {
    auto* game = static_cast<Recorder*>(Make("game", "recorder", "", 0, 0, 1024, 768));
    CWOXWnd* gameButton = MakeButton("game_button", "game", 10, 10);
    Click(sys, 20, 15);
    ASSERT_EQ(game->events.size(), 1u);
    ASSERT_EQ(sys.GetActiveWnd(), gameButton);  // the game's button holds the focus...

    tagWOXWndData d = Record("dialog", "recorder", "game", 300, 300, 200, 100);
    d.bModal = 1;
    auto* dialog = static_cast<Recorder*>(sys.CreateWnd(&d));
    ASSERT_TRUE(WOXIsValidWnd(dialog));
    EXPECT_EQ(sys.GetModalWnd(), dialog);
    EXPECT_EQ(sys.GetActiveWnd(), WOXInvalidWnd());  // ...and loses it to the dialog
    CWOXWnd* yes = MakeButton("yes", "dialog", 10, 60);

    Click(sys, 20, 15);
    EXPECT_EQ(game->events.size(), 1u);
    EXPECT_EQ(woxscript::Mouse(sys, EUII_LButtonDown, 900, 700), 1);  // held, not the game's
    woxscript::Press(sys, kWOXKeyEnter);
    EXPECT_EQ(game->events.size(), 1u);

    // Tab finds the dialog's buttons even before anything in it was clicked.
    woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab);
    EXPECT_EQ(sys.GetActiveWnd(), yes);
    woxscript::Press(sys, kWOXKeyEnter);
    ASSERT_EQ(dialog->events.size(), 1u);
    EXPECT_EQ(dialog->events[0].sender, yes);

    dialog->ShowWnd(0);  // a hidden modal window holds nothing
    EXPECT_EQ(sys.GetModalWnd(), WOXInvalidWnd());
    EXPECT_EQ(sys.GetActiveWnd(), WOXInvalidWnd());
    Click(sys, 20, 15);
    EXPECT_EQ(game->events.size(), 2u);
}

TEST_F(WoxSystem, DestroyingTakesTheChildrenAndLeavesNoTrace) {
    Counts counts;
    sys.AddWndType("counted", new CountingCreator(&counts));
    size_t before = sys.GetWndCount();
    CWOXWnd* top = Make("top", "counted", "", 0, 0, 300, 300);
    CWOXWnd* mid = Make("mid", "counted", "top", 0, 0, 200, 200);
    Make("leaf", "counted", "mid", 0, 0, 100, 100);
    CWOXWnd* sibling = Make("sibling", "counted", "", 400, 0, 100, 100);
    CWOXWnd* button = MakeButton("button", "mid", 10, 150);
    Click(sys, Centre(button).x, Centre(button).y);
    ASSERT_EQ(sys.GetActiveWnd(), button);
    woxscript::Mouse(sys, EUII_MouseMove, 50, 50);
    ASSERT_TRUE(WOXIsValidWnd(sys.GetHoverWnd()));

    sys.DestroyWnd(top);
    EXPECT_EQ(counts.deleted, 3);
    EXPECT_EQ(sys.GetWndCount(), before + 1);
    for (const char* name : {"top", "mid", "leaf", "button"}) {
        EXPECT_EQ(sys.GetWnd(name), WOXInvalidWnd()) << name;
    }
    EXPECT_EQ(sys.GetDesktop()->GetChildren(), std::vector<CWOXWnd*>{sibling});
    EXPECT_EQ(sys.GetActiveWnd(), WOXInvalidWnd());
    EXPECT_EQ(sys.GetHoverWnd(), WOXInvalidWnd());
    EXPECT_FALSE(sys.IsWnd(mid));

    // Gone twice, or never there: nothing happens.
    sys.DestroyWnd(top);
    sys.DestroyWnd(WOXInvalidWnd());
    sys.DestroyWnd(nullptr);
    sys.DestroyWnd(sys.GetDesktop());
    EXPECT_EQ(counts.deleted, 3);
    EXPECT_TRUE(WOXIsValidWnd(sys.GetDesktop()));
    // The name is free again.
    EXPECT_TRUE(WOXIsValidWnd(Make("top", "counted", "", 0, 0, 10, 10)));
}

// A panel that closes itself when one of its buttons is clicked, from inside
// the event's delivery.
class SelfClosing : public CWOXWnd {
public:
    void OnEvent(tagWOXEvent* pEvent) override {
        ++clicks;
        m_pSystem->DestroyWnd(this);
        // Still alive here: deletion waits for the delivery to end.
        lastSender = pEvent->szSenderName;
    }
    static inline int clicks = 0;
    static inline std::string lastSender;
};

TEST_F(WoxSystem, AWindowDestroyedWhileItsEventIsDeliveredIsDeletedAfterwards) {
    SelfClosing::clicks = 0;
    sys.RegisterWndType<SelfClosing>("self_closing");
    CWOXWnd* panel = Make("panel", "self_closing", "", 0, 0, 200, 200);
    CWOXWnd* ok = MakeButton("ok", "panel", 10, 10);
    ASSERT_TRUE(WOXIsValidWnd(ok));
    size_t before = sys.GetWndCount();
    Tarnet::tagPoint at = Centre(ok);
    Click(sys, at.x, at.y);
    EXPECT_EQ(SelfClosing::clicks, 1);
    EXPECT_EQ(SelfClosing::lastSender, "ok");
    EXPECT_EQ(sys.GetWndCount(), before - 2);
    EXPECT_FALSE(sys.IsWnd(panel));
    // Input where the panel was goes to the desktop now.
    Click(sys, at.x, at.y);
    EXPECT_EQ(SelfClosing::clicks, 1);
}

TEST_F(WoxSystem, RenderingDrawsThePictureOfTheStateThenTheChildren) {
    tagWOXWndData d = Record("btn", kWOXButtonType, "", 40, 30, 75, 25);
    strcpy(d.szText, "Cancel");
    d.nTextX = 25;
    d.nTextY = 4;
    d.nTextWidth = 128;
    d.nTextHeight = 27;
    d.dwTextColor = 0x101010;
    const char* paths[] = {"ui\\0.bmp", nullptr, "ui\\2.bmp", "ui\\1.bmp"};
    for (int i = 0; i < 4; ++i) {
        if (paths[i] != nullptr) {
            d.Pic[i].bValid = 1;
            strcpy(d.Pic[i].szPath, paths[i]);
        }
    }
    CWOXWnd* btn = sys.CreateWnd(&d);
    ASSERT_TRUE(WOXIsValidWnd(btn));
    EXPECT_EQ(btn->GetData().Pic[0].dwHandle, sys.GetRender()->LoadPicture("UI\\0.BMP"));
    EXPECT_NE(btn->GetData().Pic[2].dwHandle, btn->GetData().Pic[0].dwHandle);
    EXPECT_EQ(btn->GetData().Pic[1].dwHandle, 0u);

    auto drawn = [&]() {
        sys.Render();
        return sys.GetRender()->GetCommands();
    };
    auto cmds = drawn();
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[0].eKind, tagWOXDrawCmd::Picture);
    EXPECT_EQ(cmds[0].strWnd, "btn");
    EXPECT_EQ(cmds[0].strPath, "ui\\0.bmp");
    EXPECT_EQ(cmds[0].rc.x, 40);
    EXPECT_EQ(cmds[0].rc.width, 75);
    EXPECT_EQ(cmds[1].eKind, tagWOXDrawCmd::Text);
    EXPECT_EQ(cmds[1].strText, "Cancel");
    EXPECT_EQ(cmds[1].rc.x, 65);
    EXPECT_EQ(cmds[1].rc.y, 34);
    EXPECT_EQ(cmds[1].dwColor, 0x101010u);
    EXPECT_EQ(cmds[1].dwFormat, kWOXTextSingleLine);

    woxscript::Mouse(sys, EUII_MouseMove, 50, 40);
    EXPECT_EQ(drawn()[0].strPath, "ui\\1.bmp");  // hovered
    woxscript::Mouse(sys, EUII_LButtonDown, 50, 40);
    EXPECT_EQ(drawn()[0].strPath, "ui\\2.bmp");  // pushed
    btn->EnableWnd(0);
    EXPECT_EQ(drawn()[0].strPath, "ui\\0.bmp");  // no picture for disabled: slot 0
    btn->ShowWnd(0);
    EXPECT_TRUE(drawn().empty());
}

TEST(WoxSystemLifetime, DestroyingTheSystemDeletesEveryWindowThroughItsCreator) {
    Counts counts;
    {
        CWOXSystem sys;
        ASSERT_TRUE(sys.Init(640, 480));
        sys.AddWndType("counted", new CountingCreator(&counts));
        tagWOXWndData a = Record("a", "counted", "", 0, 0, 10, 10);
        tagWOXWndData b = Record("b", "counted", "a", 0, 0, 10, 10);
        ASSERT_TRUE(WOXIsValidWnd(sys.CreateWnd(&a)));
        ASSERT_TRUE(WOXIsValidWnd(sys.CreateWnd(&b)));
    }
    EXPECT_EQ(counts.created, 2);
    EXPECT_EQ(counts.deleted, 2);
    EXPECT_EQ(counts.creatorsDeleted, 1);
}

}  // namespace
