// The client settings dialog as a real window, pressed through its buttons.
#include <gtest/gtest.h>

#include <string>

#include "GuiSupport_test.h"
#include "patcher/gui/CSettingsDlg.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "testsupport/temp_dir.h"

namespace {

using guitest::CopySkin;
using guitest::Pump;

void Click(CSettingsDlg& dlg, int id) {
    CPicButtion* b = dlg.Button(id);
    ASSERT_NE(b, nullptr) << id;
    SendMessageW(b->hwnd(), BM_CLICK, 0, 0);
    Pump();
}

// A press on a row of an open list.
void ChooseRow(CSettingsDlg& dlg, int listId, int row) {
    HWND list = dlg.List(listId).hwnd();
    ASSERT_TRUE(IsWindowVisible(list));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(20, row * kSettingsListRowHeight + 5));
    Pump();
}

class SettingsDlg : public ::testing::Test {
protected:
    testsupport::TempDir dir_;
};

TEST_F(SettingsDlg, PressesChangeTheOptionsAndSaveWritesTheFile) {
    CopySkin(dir_.path());
    testsupport::CurrentDirGuard cwd(dir_.path());
    testsupport::WriteFile(dir_ / "ClientOpt.txt", "ESOP_Res=3;ESOP_MusicVol=254;");
    CSettingsDlg dlg(dir_.path());
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_EQ(dlg.model().FieldText(kOptRes).substr(0, 10), "1280*1024 ");
    EXPECT_EQ(dlg.VolumeBar(kIdMusicVolume).GetPos(), 254);

    Click(dlg, kIdDropDownFirst);  // resolution: its list opens over the column below
    EXPECT_TRUE(IsWindowVisible(dlg.List(kIdListDisplay).hwnd()));
    EXPECT_FALSE(dlg.Button(kIdDropDownFirst + 6)->IsEnabled());
    Click(dlg, kIdDropDownFirst);  // again: closed, nothing chosen
    EXPECT_FALSE(IsWindowVisible(dlg.List(kIdListDisplay).hwnd()));
    EXPECT_TRUE(dlg.Button(kIdDropDownFirst + 6)->IsEnabled());
    EXPECT_EQ(dlg.model().options().Get(kOptRes), 3);

    Click(dlg, kIdDropDownFirst + 4);  // role view
    ChooseRow(dlg, kIdListOther, 3);
    EXPECT_EQ(dlg.model().options().Get(kOptRoleView), 3);
    EXPECT_FALSE(IsWindowVisible(dlg.List(kIdListOther).hwnd()));

    // Window mode starts on (1): its "on" picture shows; pressing it turns it off.
    EXPECT_TRUE(IsWindowVisible(dlg.Button(kIdSwitchOnFirst)->hwnd()));
    EXPECT_FALSE(IsWindowVisible(dlg.Button(kIdSwitchOffFirst)->hwnd()));
    Click(dlg, kIdSwitchOnFirst);
    EXPECT_TRUE(IsWindowVisible(dlg.Button(kIdSwitchOffFirst)->hwnd()));
    Click(dlg, kIdMouseOff);  // moving by mouse

    // The music volume: one step right reaches 255 and stays there.
    HWND bar = dlg.VolumeBar(kIdMusicVolume).hwnd();
    RECT r{};
    GetClientRect(bar, &r);
    for (int i = 0; i < 2; ++i) {
        SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right - 2, 5));
        SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(r.right - 2, 5));
    }
    EXPECT_EQ(dlg.model().options().Get(kOptMusicVol), 255);

    Click(dlg, kIdSaveClose);
    EXPECT_TRUE(dlg.closed());
    EXPECT_EQ(testsupport::ReadFile(dir_ / "ClientOpt.txt"),
              "ESOP_Res = 3;\r\nESOP_HZ = 1;\r\nESOP_Win = 0;\r\nESOP_TrnView = 2;\r\n"
              "ESOP_RoleView = 3;\r\nESOP_Effect = 2;\r\nESOP_Shadow = 0;\r\nESOP_AniTree = 0;\r\n"
              "ESOP_Music = 0;\r\nESOP_Sound = 0;\r\nESOP_MusicVol = 255;\r\n"
              "ESOP_SoundVol = 0;\r\nESOP_Weather = 1;\r\nESOP_Blur = 0;\r\n"
              "ESOP_Keyboard = 0;\r\nESOP_LockCamera = 1;\r\nESOP_Reflect = 1;\r\n"
              "ESOP_TrnLevel = 1;\r\nESOP_TrnSpecular = 0;\r\n");
    EXPECT_TRUE(*platform::IsReadOnly(dir_ / "ClientOpt.txt"));
}

TEST_F(SettingsDlg, RestoreDefaultsAndCloseWithoutSaving) {
    testsupport::CurrentDirGuard cwd(dir_.path());  // no skin folder at all
    testsupport::WriteFile(dir_ / "ClientOpt.txt", "ESOP_HZ = 4;\r\nESOP_SoundVol = 9;\r\n");
    {
        CSettingsDlg dlg(dir_.path());
        ASSERT_TRUE(dlg.Create(nullptr));
        Click(dlg, kIdRestoreDefaults);
        EXPECT_EQ(dlg.model().options().Get(kOptHz), 1);
        EXPECT_FALSE(dlg.Button(kIdCloseNoSaveDisabled)->IsEnabled());
        Click(dlg, kIdCloseNoSave);
        EXPECT_TRUE(dlg.closed());
    }
    EXPECT_EQ(testsupport::ReadFile(dir_ / "ClientOpt.txt"),
              "ESOP_HZ = 4;\r\nESOP_SoundVol = 9;\r\n");  // untouched
    CSettingsDlg dlg(dir_.path());
    ASSERT_TRUE(dlg.Create(nullptr));
    Click(dlg, kIdRestoreDefaults);
    Click(dlg, kIdSaveClose);
    std::string text = testsupport::ReadFile(dir_ / "ClientOpt.txt");
    EXPECT_EQ(text.find("ESOP_Res = 0;\r\nESOP_HZ = 1;\r\n"), 0u);
    EXPECT_NE(text.find("ESOP_SoundVol = 9;\r\n"), std::string::npos);
}

TEST_F(SettingsDlg, AFailedSaveIsToldAndTheDialogStays) {
    testsupport::CurrentDirGuard cwd(dir_.path());
    platform::CreateDirectory(dir_ / "ClientOpt.txt");  // cannot be written as a file
    platform::ScriptedMessageBoxes boxes;
    CSettingsDlg dlg(dir_.path());
    ASSERT_TRUE(dlg.Create(nullptr));
    Click(dlg, kIdSaveClose);
    EXPECT_FALSE(dlg.closed());
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_NE(boxes.asked()[0].text.find("ClientOpt.txt"), std::string::npos);
    EXPECT_EQ(boxes.asked()[0].owner, static_cast<void*>(dlg.hwnd()));
}

}  // namespace
