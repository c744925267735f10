#include "patcher/ui/SettingsDialogModel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

constexpr int kResDrop = kIdDropDownFirst + 0;
constexpr int kHzDrop = kIdDropDownFirst + 1;
constexpr int kTrnLevelDrop = kIdDropDownFirst + 2;
constexpr int kTrnViewDrop = kIdDropDownFirst + 3;
constexpr int kRoleViewDrop = kIdDropDownFirst + 4;
constexpr int kReflectDrop = kIdDropDownFirst + 6;

TEST(SettingsLayout, EveryControlIsInsideTheDialogAndIdsAreUnique) {
    const SettingsLayout& l = SettingsDialogLayout();
    std::set<int> ids;
    for (const auto& c : l.controls) {
        if (c.kind == SettingsControlKind::kList) {
            continue;  // placed when opened
        }
        EXPECT_GE(c.rect.left, 0);
        EXPECT_GE(c.rect.top, 0);
        EXPECT_LE(c.rect.right, l.width);
        EXPECT_LE(c.rect.bottom, l.height);
        EXPECT_GT(c.rect.width(), 0);
        if (c.id != 0) {
            EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        }
    }
    // 24 switch buttons: ten pairs and the two pairs of the moving mode.
    int switches = 0;
    for (int id : ids) {
        switches +=
            (id >= 3001 && id <= 3010) || (id >= 4001 && id <= 4010) || (id >= 5001 && id <= 5004);
    }
    EXPECT_EQ(switches, 24);
    for (int i = 0; i < kDropDownCount; ++i) {
        EXPECT_TRUE(ids.count(kIdDropDownFirst + i));
    }
    for (int id : {kIdSaveClose, kIdCloseNoSave, kIdRestoreDefaults, kIdCloseNoSaveDisabled,
                   kIdMusicVolume, kIdSoundVolume}) {
        EXPECT_TRUE(ids.count(id)) << id;
    }
}

TEST(SettingsDialog, DropDownOpensClosesAndChooses) {
    SettingsDialogModel m;
    m.PressDropDown(kResDrop);
    auto list = m.List(kIdListDisplay);
    ASSERT_TRUE(list.open);
    EXPECT_EQ(list.option, kOptRes);
    EXPECT_EQ(list.entries.size(), 6u);
    EXPECT_EQ(list.selected, 0);
    // The list lies over the drop-downs of the column below it.
    EXPECT_FALSE(m.Enabled(kTrnLevelDrop));
    EXPECT_FALSE(m.Enabled(kRoleViewDrop));
    EXPECT_FALSE(m.Enabled(kReflectDrop));
    EXPECT_TRUE(m.Enabled(kResDrop));
    EXPECT_TRUE(m.Enabled(kHzDrop));
    EXPECT_FALSE(m.Enabled(kIdCloseNoSaveDisabled));  // never usable

    m.PressDropDown(kResDrop);  // again: closes without a change
    EXPECT_FALSE(m.List(kIdListDisplay).open);
    EXPECT_EQ(m.options().Get(kOptRes), 0);
    EXPECT_TRUE(m.Enabled(kReflectDrop));

    m.PressDropDown(kHzDrop);  // the same list for the refresh rate
    EXPECT_EQ(m.List(kIdListDisplay).option, kOptHz);
    EXPECT_EQ(m.List(kIdListDisplay).selected, 1);
    m.ChooseEntry(kIdListDisplay, 3);
    EXPECT_EQ(m.options().Get(kOptHz), 3);
    EXPECT_EQ(m.FieldText(kOptHz), "85HZ");
    EXPECT_FALSE(m.List(kIdListDisplay).open);

    m.PressDropDown(kTrnViewDrop);  // the other list
    EXPECT_TRUE(m.List(kIdListOther).open);
    m.PressDropDown(kResDrop);  // opening one closes the other
    EXPECT_FALSE(m.List(kIdListOther).open);
    EXPECT_TRUE(m.List(kIdListDisplay).open);
    m.CloseLists();  // a button release anywhere
    EXPECT_FALSE(m.List(kIdListDisplay).open);

    m.PressDropDown(kResDrop);
    m.PressDropDown(kReflectDrop);  // covered by the open list: no effect
    EXPECT_EQ(m.List(kIdListDisplay).option, kOptRes);
    EXPECT_FALSE(m.List(kIdListOther).open);
    m.ChooseEntry(kIdListDisplay, 17);  // no such entry: the value stays
    EXPECT_EQ(m.options().Get(kOptRes), 0);
}

TEST(SettingsDialog, FieldsShowTheEntryOfTheStoredIndex) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "ClientOpt.txt", "ESOP_Res=3;");
    SettingsDialogModel m([](const char* gbk) { return std::string(gbk); });
    m.Load(dir / "ClientOpt.txt");
    EXPECT_EQ(m.FieldText(kOptRes), std::string("1280*1024 16") + GBK("位"));
    EXPECT_EQ(m.FieldText(kOptRoleView), GBK("中"));
    m.options().Set(kOptRoleView, 9);  // an index without an entry shows nothing
    EXPECT_EQ(m.FieldText(kOptRoleView), "");
    m.PressDropDown(kRoleViewDrop);
    EXPECT_EQ(m.List(kIdListOther).selected, -1);
}

TEST(SettingsDialog, SwitchPairs) {
    SettingsDialogModel m;
    // ESOP_Win (switch 0) starts at 1: its "on" button shows.
    EXPECT_TRUE(m.SwitchVisible(kIdSwitchOnFirst + 0));
    EXPECT_FALSE(m.SwitchVisible(kIdSwitchOffFirst + 0));
    m.PressSwitch(kIdSwitchOffFirst + 0);  // hidden: nothing happens
    EXPECT_EQ(m.options().Get(kOptWin), 1);
    m.PressSwitch(kIdSwitchOnFirst + 0);
    EXPECT_EQ(m.options().Get(kOptWin), 0);
    EXPECT_TRUE(m.SwitchVisible(kIdSwitchOffFirst + 0));

    m.options().Set(kOptShadow, 5);  // a hand-edited 5 shows as on
    EXPECT_TRUE(m.SwitchVisible(kIdSwitchOnFirst + 1));

    m.PressSwitch(kIdSwitchOffFirst + kSwitchHiddenNames);  // no key, kept by the dialog
    EXPECT_EQ(m.hiddenNames(), 1);

    // The moving mode: keyboard (1) shows the chosen keyboard button and the
    // unchosen mouse button; either press flips it.
    EXPECT_TRUE(m.SwitchVisible(kIdKeyboardOn));
    EXPECT_TRUE(m.SwitchVisible(kIdMouseOff));
    EXPECT_FALSE(m.SwitchVisible(kIdMouseOn));
    m.PressSwitch(kIdMouseOff);
    EXPECT_EQ(m.options().Get(kOptKeyboard), 0);
    EXPECT_TRUE(m.SwitchVisible(kIdMouseOn));
    EXPECT_TRUE(m.SwitchVisible(kIdKeyboardOff));
    m.PressSwitch(kIdKeyboardOff);
    EXPECT_EQ(m.options().Get(kOptKeyboard), 1);
}

TEST(SettingsDialog, VolumesStayInTheirBounds) {
    SettingsDialogModel m;
    m.Volume(kIdMusicVolume, kScrollLineUp, 0);
    EXPECT_EQ(m.VolumeValue(kIdMusicVolume), 0);  // not below 0
    m.Volume(kIdMusicVolume, kScrollThumbTrack, 254);
    m.Volume(kIdMusicVolume, kScrollPageDown, 0);
    EXPECT_EQ(m.VolumeValue(kIdMusicVolume), 255);
    m.Volume(kIdMusicVolume, kScrollLineDown, 0);
    EXPECT_EQ(m.VolumeValue(kIdMusicVolume), 255);  // already at 255: stays
    m.Volume(kIdSoundVolume, kScrollThumbPosition, 300);
    EXPECT_EQ(m.VolumeValue(kIdSoundVolume), 255);
    m.Volume(kIdSoundVolume, kScrollPageUp, 0);
    EXPECT_EQ(m.VolumeValue(kIdSoundVolume), 254);
    m.Volume(kIdSoundVolume, kScrollEnd, 0);  // end-scroll changes nothing
    EXPECT_EQ(m.VolumeValue(kIdSoundVolume), 254);
}

TEST(SettingsDialog, RestoreDefaultsThenSave) {
    testsupport::TempDir dir;
    std::string path = dir / "ClientOpt.txt";
    testsupport::WriteFile(path,
                           "ESOP_Res = 5;\r\nESOP_HZ = 3;\r\nESOP_MusicVol = 70;\r\n"
                           "ESOP_SoundVol = 90;\r\n");
    SettingsDialogModel m;
    m.Load(path);
    m.PressSwitch(kIdSwitchOffFirst + kSwitchHiddenNames);
    m.PressDropDown(kResDrop);
    m.RestoreDefaults();
    EXPECT_FALSE(m.List(kIdListDisplay).open);
    EXPECT_EQ(m.hiddenNames(), 0);
    EXPECT_EQ(testsupport::ReadFile(path).substr(0, 13), "ESOP_Res = 5;");  // not saved yet
    ASSERT_TRUE(m.Save(path).ok());
    std::string text = testsupport::ReadFile(path);
    EXPECT_EQ(text.find("ESOP_Res = 0;\r\nESOP_HZ = 1;\r\n"), 0u);
    EXPECT_NE(text.find("ESOP_MusicVol = 70;\r\nESOP_SoundVol = 90;\r\n"), std::string::npos);
}

}  // namespace
