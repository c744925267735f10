#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "MsgBoxText.h"
#include "msgbox_fixture_test.h"

namespace {

size_t CountTypeName(const CWOXSystem& sys, const char* name) {
    const auto& names = sys.GetWndTypeNames();
    return static_cast<size_t>(std::count(names.begin(), names.end(), name));
}

TEST_F(MsgBoxTest, InitRegistersTheTypeOnceAndDestroyRemovesItWithItsBoxes) {
    EXPECT_TRUE(sys.IsWndTypeRegistered(kMsgBoxType));
    EXPECT_EQ(CountTypeName(sys, kMsgBoxType), 1u);
    EXPECT_EQ(dov.Init(&sys), 1);  // again: nothing changes
    EXPECT_EQ(CountTypeName(sys, kMsgBoxType), 1u);
    EXPECT_EQ(dov.GetSystem(), &sys);

    size_t before = sys.GetWndCount();
    CWOXWnd* box = dov.MsgBox("open while unloading", EMBT_YESNO, parent);
    ASSERT_TRUE(WOXIsValidWnd(box));
    std::string name = box->GetName();
    dov.Destroy();
    EXPECT_FALSE(sys.IsWndTypeRegistered(kMsgBoxType));
    EXPECT_EQ(CountTypeName(sys, kMsgBoxType), 0u);
    // The open box and its buttons went with the type.
    EXPECT_EQ(sys.GetWndCount(), before);
    EXPECT_EQ(sys.GetWnd(name.c_str()), WOXInvalidWnd());
    EXPECT_EQ(dov.MsgBox("no type", EMBT_OK, parent), WOXInvalidWnd());
    dov.Destroy();  // not registered: nothing

    // A copy shares the system; registering again works.
    CDOVWOX_Collocate other;
    other = dov;
    EXPECT_EQ(other.GetSystem(), &sys);
    other.Init(&sys);
    EXPECT_TRUE(WOXIsValidWnd(dov.MsgBox("back", EMBT_OK, parent)));
}

TEST(MsgBoxCollocate, NothingOpensWithoutASystem) {
    CDOVWOX_Collocate dov;
    EXPECT_EQ(dov.MsgBox("x", EMBT_OK, nullptr), WOXInvalidWnd());
    EXPECT_EQ(dov.Init(nullptr), 1);
    EXPECT_EQ(dov.MsgBox("x", EMBT_OK, nullptr), WOXInvalidWnd());
    dov.Destroy();
    CWOXSystem uninitialised;  // no desktop yet
    EXPECT_EQ(dov.Init(&uninitialised), 1);
    EXPECT_EQ(dov.MsgBox("x", EMBT_OK, nullptr), WOXInvalidWnd());
}

TEST_F(MsgBoxTest, TheBoxRecordCarriesWhatTheBoxNeeds) {
    CWOXMsgBox* box = Open(EMBT_OK, "Disk full");
    ASSERT_NE(box, nullptr);
    const tagWOXWndData& d = box->GetData();
    EXPECT_EQ(std::string(d.szName).rfind("msgbox_", 0), 0u);
    EXPECT_EQ(d.dwID, 0u);
    EXPECT_STREQ(d.szFatherName, "game_panel");
    EXPECT_STREQ(d.szClassName, "msg_box");
    EXPECT_EQ(d.bModal, 1u);
    EXPECT_EQ(d.bTabStop, 0u);
    EXPECT_EQ(d.nWidth, 300);
    EXPECT_EQ(d.nHeight, 100);
    EXPECT_EQ(d.nTextX, 30);
    EXPECT_EQ(d.nTextY, 10);
    EXPECT_EQ(d.nTextWidth, 250);
    EXPECT_EQ(d.nTextHeight, 80);
    EXPECT_STREQ(d.szText, "Disk full");
    EXPECT_EQ(d.dwTextColor, 0u);
    EXPECT_EQ(d.Pic[0].bValid, 1u);
    EXPECT_STREQ(d.Pic[0].szPath, "data\\public\\ui\\msgbox.jpg");
    for (int slot = 1; slot < kWOXPicSlots; ++slot) {
        EXPECT_EQ(d.Pic[slot].bValid, 0u);
    }
    EXPECT_EQ(box->GetFather(), parent);
    EXPECT_TRUE(box->IsTopMost());
    EXPECT_TRUE(box->TakesKeys());
    EXPECT_EQ(sys.GetModalWnd(), box);
}

TEST_F(MsgBoxTest, BoxesAreCentredOnParentsOfAnySize) {
    struct Case {
        int w, h;  // parent size
        int x, y;  // the box, relative to the parent
    };
    const Case cases[] = {
        {600, 400, 150, 150}, {301, 101, 0, 0},    {299, 99, 0, 0},  // -1/2 is 0 toward zero
        {303, 105, 1, 2},     {101, 51, -99, -24}, {0, 0, -150, -50},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string name = "p" + std::to_string(n++);
        woxscript::Recorder* p = MakeParent(name.c_str(), 10, 20, c.w, c.h);
        ASSERT_NE(p, nullptr);
        CWOXMsgBox* box = Open(EMBT_OK, "x", p);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetData().nX, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(box->GetData().nY, c.y) << c.w << "x" << c.h;
        EXPECT_EQ(box->GetScreenPos().x, 10 + c.x);
        EXPECT_EQ(box->GetScreenPos().y, 20 + c.y);
    }
}

TEST_F(MsgBoxTest, NearTheScreenEdgesTheBoxStaysCentredAndUsable) {
    // A small parent in the bottom right corner: the box hangs over the
    // screen's edge where the parent's centre says, not pushed back.
    woxscript::Recorder* corner = MakeParent("corner", 1000, 700, 24, 28);
    ASSERT_NE(corner, nullptr);
    CWOXMsgBox* box = Open(EMBT_OKCANCEL, "edge", corner);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetScreenPos().x, 1000 + (24 - 300) / 2);
    EXPECT_EQ(box->GetScreenPos().y, 700 + (28 - 100) / 2);
    // The OK button, still on the screen, answers.
    Tarnet::tagPoint ok = woxscript::Centre(box->GetButton(EMBR_OK));
    ASSERT_LT(ok.x, 1024);
    ASSERT_LT(ok.y, 768);
    woxscript::Click(sys, ok.x, ok.y);
    ASSERT_EQ(corner->events.size(), 1u);
    EXPECT_EQ(corner->events[0].param1, static_cast<uint32_t>(EMBR_OK));

    // One in the top left corner hangs out to the left and top.
    woxscript::Recorder* topLeft = MakeParent("top_left", 0, 0, 40, 30);
    CWOXMsgBox* box2 = Open(EMBT_OK, "edge", topLeft);
    ASSERT_NE(box2, nullptr);
    EXPECT_EQ(box2->GetScreenPos().x, -130);
    EXPECT_EQ(box2->GetScreenPos().y, -35);
}

TEST_F(MsgBoxTest, WithoutAParentTheBoxIsCentredOnTheScreen) {
    for (CWOXWnd* none : {static_cast<CWOXWnd*>(nullptr), WOXInvalidWnd()}) {
        CWOXWnd* box = dov.MsgBox("no parent", EMBT_OK, none);
        ASSERT_TRUE(WOXIsValidWnd(box));
        EXPECT_EQ(box->GetFather(), sys.GetDesktop());
        EXPECT_STREQ(box->GetData().szFatherName, kWOXDesktopName);
        EXPECT_EQ(box->GetData().nX, (1024 - 300) / 2);
        EXPECT_EQ(box->GetData().nY, (768 - 100) / 2);
        sys.DestroyWnd(box);
    }
}

TEST_F(MsgBoxTest, TextsAreCutAt511BytesWithoutSplittingACharacter) {
    std::string longText(600, 'x');
    CWOXMsgBox* box = Open(EMBT_OK, longText.c_str());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(std::string(box->GetData().szText), std::string(511, 'x'));

    // 510 single bytes then a GBK character: the character does not fit.
    std::string gbk(510, 'y');
    gbk +=
        "\xC4\xE3"
        "zzz";
    CWOXMsgBox* box2 = Open(EMBT_OK, gbk.c_str());
    ASSERT_NE(box2, nullptr);
    EXPECT_EQ(std::string(box2->GetData().szText), std::string(510, 'y'));

    CWOXMsgBox* box3 = Open(EMBT_OK, nullptr);
    ASSERT_NE(box3, nullptr);
    EXPECT_STREQ(box3->GetData().szText, "");
}

TEST(MsgBoxText, CopyToFieldCutsInsideTheFieldAndKeepsGbkWhole) {
    char field[8];
    memset(field, '#', sizeof field);
    dovwox::CopyToField(field, sizeof field, "abcdefghij");
    EXPECT_STREQ(field, "abcdefg");
    dovwox::CopyToField(field, sizeof field, "abcde\xC4\xE3");  // 7 bytes: fits
    EXPECT_STREQ(field, "abcde\xC4\xE3");
    dovwox::CopyToField(field, sizeof field, "abcdef\xC4\xE3");  // would split
    EXPECT_STREQ(field, "abcdef");
    dovwox::CopyToField(field, sizeof field, "ab\xC4");  // a lead byte at the end stays
    EXPECT_STREQ(field, "ab\xC4");
    dovwox::CopyToField(field, sizeof field, nullptr);
    EXPECT_STREQ(field, "");
    char one[1] = {'#'};
    dovwox::CopyToField(one, sizeof one, "abc");
    EXPECT_EQ(one[0], 0);
}

int g_random = 0;
int FixedRandom() {
    return g_random;
}
int CountingRandom() {
    return ++g_random;
}

TEST_F(MsgBoxTest, TwoBoxesOpenedInOneMillisecondGetDifferentNames) {
    g_random = 0;
    EXPECT_EQ(dovwox::MakeMsgBoxName(sys, 123456, CountingRandom), "msgbox_123456");
    tagWOXWndData d = woxscript::Record("msgbox_123456", kWOXStaticType, "", 0, 0, 1, 1);
    ASSERT_TRUE(WOXIsValidWnd(sys.CreateWnd(&d)));
    EXPECT_EQ(dovwox::MakeMsgBoxName(sys, 123456, CountingRandom), "msgbox_1_123456");
    d = woxscript::Record("msgbox_2_123456", kWOXStaticType, "", 0, 0, 1, 1);
    ASSERT_TRUE(WOXIsValidWnd(sys.CreateWnd(&d)));
    // Taken random forms are passed over too.
    EXPECT_EQ(dovwox::MakeMsgBoxName(sys, 123456, CountingRandom), "msgbox_3_123456");
    // Ticks print as the game's signed 32-bit value.
    EXPECT_EQ(dovwox::MakeMsgBoxName(sys, 0xFFFFFFFEu, CountingRandom), "msgbox_-2");

    // Back to back through MsgBox: the names differ, whatever the clock.
    CWOXWnd* a = dov.MsgBox("a", EMBT_OK, parent);
    CWOXWnd* b = dov.MsgBox("b", EMBT_OK, parent);
    ASSERT_TRUE(WOXIsValidWnd(a));
    ASSERT_TRUE(WOXIsValidWnd(b));
    EXPECT_STRNE(a->GetName(), b->GetName());
}

TEST_F(MsgBoxTest, ARandomSourceThatNeverHelpsEndsTheSearch) {
    tagWOXWndData d = woxscript::Record("msgbox_5", kWOXStaticType, "", 0, 0, 1, 1);
    ASSERT_TRUE(WOXIsValidWnd(sys.CreateWnd(&d)));
    d = woxscript::Record("msgbox_7_5", kWOXStaticType, "", 0, 0, 1, 1);
    ASSERT_TRUE(WOXIsValidWnd(sys.CreateWnd(&d)));
    g_random = 7;
    EXPECT_EQ(dovwox::MakeMsgBoxName(sys, 5, FixedRandom), "");
}

TEST_F(MsgBoxTest, AForeignMsgBoxTypeGetsNoButtons) {
    // Someone registered "msg_box" before the plug-in: its windows are not
    // boxes of ours and are left as they are.
    CWOXSystem other;
    ASSERT_TRUE(other.Init(800, 600));
    other.RegisterWndType<woxscript::Recorder>(kMsgBoxType);
    CDOVWOX_Collocate foreign;
    foreign.Init(&other);
    CWOXWnd* w = foreign.MsgBox("x", EMBT_YESNO, nullptr);
    ASSERT_TRUE(WOXIsValidWnd(w));
    EXPECT_EQ(dynamic_cast<CWOXMsgBox*>(w), nullptr);
    EXPECT_TRUE(w->GetChildren().empty());
}

}  // namespace
