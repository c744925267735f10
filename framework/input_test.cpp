// GInput and GActionMap over scripted devices and a scripted clock.
#include <gtest/gtest.h>

#include <memory>

#include "framework/DIKeys.h"
#include "framework/GActionMap.h"
#include "framework/GInput.h"

namespace {

using GFC::GActionMap;
using GFC::GInput;
using GFC::ScriptedInput;

class Input : public ::testing::Test {
protected:
    void Install(std::unique_ptr<ScriptedInput> devices) {
        dev = devices.get();
        input->SetDevices(std::move(devices));
        created = input->CreateInput(nullptr);
    }
    void SetUp() override { Install(std::make_unique<ScriptedInput>()); }
    void TearDown() override { input->SetDevices(nullptr); }

    // One frame as the game runs it: snapshots first, then the actions.
    void Frame(uint32_t at) {
        now = at;
        input->UpdateKBInput();
        input->UpdateMouseInput();
        map.Update();
    }
    GActionMap::EActionState StateAfter(unsigned long id, uint32_t at) {
        Frame(at);
        return map.GetState(id);
    }

    GInput* input = GInput::Inst();
    ScriptedInput* dev = nullptr;
    bool created = false;
    uint32_t now = 1000;
    GActionMap map;
};

TEST_F(Input, KeyEdgesLastExactlyOneSnapshot) {
    EXPECT_TRUE(created);
    dev->SetKey(DIK_A, true);
    input->UpdateKBInput();
    EXPECT_TRUE(input->KeyDown(DIK_A));
    EXPECT_TRUE(input->KeyPressed(DIK_A));
    EXPECT_TRUE(input->KeyDownFirst(DIK_A));
    input->UpdateKBInput();
    EXPECT_TRUE(input->KeyDown(DIK_A));
    EXPECT_FALSE(input->KeyDownFirst(DIK_A));
    dev->SetKey(DIK_A, false);
    input->UpdateKBInput();
    EXPECT_FALSE(input->KeyDown(DIK_A));
    EXPECT_FALSE(input->KeyDownFirst(DIK_A));
    dev->SetKey(DIK_A, true);
    input->UpdateKBInput();
    EXPECT_TRUE(input->KeyDownFirst(DIK_A));  // a new press is a new edge
    // Codes beyond the snapshot are simply up.
    EXPECT_FALSE(input->KeyDown(256));
    EXPECT_FALSE(input->KeyDownFirst(0xFFFF));
}

TEST_F(Input, MouseButtonsEdgesAndScaledMovement) {
    dev->SetButton(0, true);
    dev->Move(3, -4, 120);
    input->UpdateMouseInput();
    EXPECT_TRUE(input->MouseDown(0));
    EXPECT_TRUE(input->MouseDownFirst(0));
    EXPECT_FALSE(input->MouseUp(0));
    EXPECT_FLOAT_EQ(input->GetRelativeX(), 3.0f);
    EXPECT_FLOAT_EQ(input->GetRelativeY(), -4.0f);
    EXPECT_FLOAT_EQ(input->GetRelativeZ(), 120.0f);
    EXPECT_TRUE(input->IsMouseMove());

    dev->SetButton(0, false);
    input->SetAttributes(true, 0.5f);
    dev->Move(10, 0);
    input->UpdateMouseInput();
    EXPECT_TRUE(input->MouseUp(0));
    EXPECT_FALSE(input->MouseDown(0));
    EXPECT_FLOAT_EQ(input->GetRelativeX(), 5.0f);
    EXPECT_TRUE(input->GetAttributeFlag());
    input->UpdateMouseInput();
    EXPECT_FALSE(input->MouseUp(0));
    EXPECT_FALSE(input->IsMouseMove());

    dev->SetCursor({100, 40});
    EXPECT_FLOAT_EQ(input->GetAbsouluteX(), 50.0f);
    EXPECT_FLOAT_EQ(input->GetAbsouluteY(), 20.0f);
    EXPECT_EQ(input->GetCursorPos().x, 100);  // at the screen's origin: screen coordinates

    // The cursor in the window: the devices' client coordinates, while the
    // absolute queries stay on the screen.
    dev->SetClientOrigin({30, 15});
    EXPECT_EQ(input->GetCursorPos().x, 70);
    EXPECT_EQ(input->GetCursorPos().y, 25);
    EXPECT_FLOAT_EQ(input->GetAbsouluteX(), 50.0f);
}

TEST_F(Input, ButtonsBeyondTheMouseAreNeverDown) {
    dev->SetButton(7, true);
    input->UpdateMouseInput();
    EXPECT_TRUE(input->MouseDown(7));
    EXPECT_FALSE(input->MouseDown(8));  // the snapshot holds 8 buttons

    Install(std::make_unique<ScriptedInput>(true, true, 3));
    dev->SetButton(3, true);
    input->UpdateMouseInput();
    EXPECT_FALSE(input->MouseDown(3));
    EXPECT_FALSE(input->MouseDownFirst(3));
}

TEST_F(Input, MissingDevicesReportNothing) {
    Install(std::make_unique<ScriptedInput>(true, false));
    EXPECT_FALSE(created);
    dev->SetButton(0, true);
    dev->SetKey(DIK_W, true);
    input->UpdateMouseInput();
    input->UpdateKBInput();
    EXPECT_FALSE(input->MouseDown(0));
    EXPECT_TRUE(input->KeyDown(DIK_W));  // the keyboard that exists still works

    Install(std::make_unique<ScriptedInput>(false, false));
    dev->SetKey(DIK_W, true);
    input->UpdateKBInput();
    EXPECT_FALSE(input->KeyDown(DIK_W));
    EXPECT_FALSE(input->IsMouseMove());

    // No devices at all: creating fails and every query answers nothing.
    input->SetDevices(nullptr);
    EXPECT_FALSE(input->CreateInput(nullptr));
    input->UpdateKBInput();
    input->UpdateMouseInput();
    EXPECT_FALSE(input->KeyDown(DIK_W));
    EXPECT_FALSE(input->MouseDown(0));
    EXPECT_EQ(input->GetCursorPos().x, 0);
}

TEST_F(Input, LostDevicesReadAllUpUntilTheyAreBack) {
    dev->SetKey(DIK_SPACE, true);
    dev->SetButton(1, true);
    input->UpdateKBInput();
    input->UpdateMouseInput();
    ASSERT_TRUE(input->KeyDown(DIK_SPACE));
    dev->SetLost(true);
    input->UpdateKBInput();
    input->UpdateMouseInput();
    EXPECT_FALSE(input->KeyDown(DIK_SPACE));
    EXPECT_FALSE(input->MouseDown(1));
    EXPECT_TRUE(input->MouseUp(1));
    EXPECT_EQ(dev->GetReadFailures(), 2);
    dev->SetLost(false);
    input->UpdateKBInput();
    EXPECT_TRUE(input->KeyDownFirst(DIK_SPACE));
}

TEST_F(Input, DestroyReleasesTheDevicesAndIsSafeTwice) {
    input->Destroy();
    input->Destroy();
    EXPECT_FALSE(dev->HasKeyboard());
    dev->SetKey(DIK_A, true);
    input->UpdateKBInput();
    EXPECT_FALSE(input->KeyDown(DIK_A));
    EXPECT_FALSE(input->MouseDown(0));
}

// The action map's state table.

TEST_F(Input, HeldKeyClicksOnceIsPressedThenReleasesOnce) {
    map.SetClock([this] { return now; });
    const unsigned long jump = map.AddKBAction(DIK_SPACE);
    EXPECT_EQ(jump, 0u);
    dev->SetKey(DIK_SPACE, true);
    Frame(1000);
    EXPECT_TRUE(map.IsClickOnce(jump));
    EXPECT_FALSE(map.IsPressed(jump));
    for (uint32_t t = 1016; t < 1100; t += 16) {
        Frame(t);
        EXPECT_TRUE(map.IsPressed(jump)) << t;
        EXPECT_FALSE(map.IsClickOnce(jump));
    }
    dev->SetKey(DIK_SPACE, false);
    Frame(1200);
    EXPECT_TRUE(map.IsReleaseOnce(jump));
    EXPECT_FALSE(map.IsPressed(jump));
    Frame(1216);
    EXPECT_TRUE(map.IsReleased(jump));
    EXPECT_FALSE(map.IsReleaseOnce(jump));
}

TEST_F(Input, SecondPressInsideTheIntervalIsADoubleClick) {
    map.SetClock([this] { return now; });
    const unsigned long id = map.AddMouseAction(0);
    EXPECT_EQ(map.GetDBClickInterval(), 250u);
    dev->SetButton(0, true);
    EXPECT_EQ(StateAfter(id, 5000), GActionMap::AS_CLICK);
    dev->SetButton(0, false);
    EXPECT_EQ(StateAfter(id, 5100), GActionMap::AS_RELEASE);
    dev->SetButton(0, true);
    EXPECT_EQ(StateAfter(id, 5200), GActionMap::AS_DBCLICK);
    EXPECT_TRUE(map.IsDBClickOnce(id));
    EXPECT_EQ(StateAfter(id, 5216), GActionMap::AS_DBPRESSED);
    EXPECT_TRUE(map.IsPressed(id));
    dev->SetButton(0, false);
    EXPECT_EQ(StateAfter(id, 5232), GActionMap::AS_RELEASE);
    // A third press still within 250 ms of the first click: another double.
    dev->SetButton(0, true);
    EXPECT_EQ(StateAfter(id, 5250), GActionMap::AS_DBCLICK);
    dev->SetButton(0, false);
    Frame(5260);
    // Past the interval from that first click: a single click again,
    // however close to the last press.
    dev->SetButton(0, true);
    EXPECT_EQ(StateAfter(id, 5251 + 16), GActionMap::AS_CLICK);
}

TEST_F(Input, PressesFurtherApartThanTheIntervalAreTwoClicks) {
    map.SetClock([this] { return now; });
    const unsigned long id = map.AddKBAction(DIK_E);
    for (uint32_t t : {7000u, 7300u}) {
        dev->SetKey(DIK_E, true);
        EXPECT_EQ(StateAfter(id, t), GActionMap::AS_CLICK) << t;
        dev->SetKey(DIK_E, false);
        Frame(t + 50);
    }
    // The boundary itself belongs to the double click.
    dev->SetKey(DIK_E, true);
    EXPECT_EQ(StateAfter(id, 7300 + 250), GActionMap::AS_DBCLICK);
}

TEST_F(Input, NeverPressedActionAnswersNothingUntilItHasBeenUp) {
    map.SetClock([this] { return now; });
    const unsigned long a = map.AddKBAction(DIK_Q);
    const unsigned long b = map.AddMouseAction(2);
    EXPECT_EQ(b, 1u);
    for (unsigned long id : {a, b}) {
        EXPECT_EQ(map.GetState(id), GActionMap::AS_NONE);
        EXPECT_FALSE(map.IsClickOnce(id) || map.IsDBClickOnce(id) || map.IsPressed(id) ||
                     map.IsReleaseOnce(id) || map.IsReleased(id));
    }
    Frame(100);
    EXPECT_TRUE(map.IsReleased(a));
    EXPECT_TRUE(map.IsReleased(b));
    EXPECT_FALSE(map.IsReleased(2));  // not an id of this map
}

TEST_F(Input, ClickTimesCompareAcrossTheClockWrap) {
    map.SetClock([this] { return now; });
    const unsigned long id = map.AddKBAction(DIK_R);
    // The very first press, right at the clock's start, is a single click.
    dev->SetKey(DIK_R, true);
    EXPECT_EQ(StateAfter(id, 10), GActionMap::AS_CLICK);
    dev->SetKey(DIK_R, false);
    Frame(0xFFFFFF00u);
    dev->SetKey(DIK_R, true);
    EXPECT_EQ(StateAfter(id, 0xFFFFFFF0u), GActionMap::AS_CLICK);
    dev->SetKey(DIK_R, false);
    Frame(0xFFFFFFF8u);
    dev->SetKey(DIK_R, true);
    EXPECT_EQ(StateAfter(id, 0x64), GActionMap::AS_DBCLICK);  // 116 ms later, across the wrap
}

TEST_F(Input, ActionsFollowTheirOwnDevice) {
    map.SetClock([this] { return now; });
    const unsigned long key = map.AddKBAction(DIK_LEFT);
    const unsigned long button = map.AddMouseAction(1);
    dev->SetButton(1, true);
    Frame(400);
    EXPECT_TRUE(map.IsReleased(key));
    EXPECT_TRUE(map.IsClickOnce(button));
    dev->SetLost(true);  // in the background: everything reads up
    Frame(416);
    EXPECT_TRUE(map.IsReleaseOnce(button));
}

}  // namespace
