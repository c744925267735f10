#include "patcher/ui/ClientOptions.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

// The file as the dialog writes it with every option at its default and
// both volumes at 0.
const char kDefaultFile[] =
    "ESOP_Res = 0;\r\nESOP_HZ = 1;\r\nESOP_Win = 1;\r\nESOP_TrnView = 2;\r\n"
    "ESOP_RoleView = 2;\r\nESOP_Effect = 2;\r\nESOP_Shadow = 0;\r\nESOP_AniTree = 0;\r\n"
    "ESOP_Music = 0;\r\nESOP_Sound = 0;\r\nESOP_MusicVol = 0;\r\nESOP_SoundVol = 0;\r\n"
    "ESOP_Weather = 1;\r\nESOP_Blur = 0;\r\nESOP_Keyboard = 1;\r\nESOP_LockCamera = 1;\r\n"
    "ESOP_Reflect = 1;\r\nESOP_TrnLevel = 1;\r\nESOP_TrnSpecular = 0;\r\n";

TEST(ClientOptions, DefaultsAndTheWrittenFormat) {
    ClientOptions o;
    EXPECT_EQ(o.Format(), kDefaultFile);
    EXPECT_EQ(FindOption("ESOP_TrnSpecular"), kOptTrnSpecular);
    EXPECT_EQ(FindOption("esop_res"), -1);  // the file's keys are exact
}

TEST(ClientOptions, ASavedFileReadsBackAndSavesByteForByte) {
    testsupport::TempDir dir;
    std::string path = dir / "ClientOpt.txt";
    ClientOptions first;
    first.Set(kOptRes, 4);
    first.Set(kOptMusicVol, 200);
    first.Set(kOptSoundVol, 17);
    first.Set(kOptKeyboard, 0);
    first.Set(kOptBlur, 1);
    ASSERT_TRUE(first.Save(path).ok());
    std::string written = testsupport::ReadFile(path);

    ClientOptions second;
    ASSERT_TRUE(second.Load(path));
    for (int i = 0; i < kOptionCount; ++i) {
        EXPECT_EQ(second.Get(i), first.Get(i)) << OptionTable()[static_cast<size_t>(i)].key;
    }
    // Saving over a read-only file works and gives the same bytes.
    ASSERT_TRUE(second.Save(path).ok());
    EXPECT_EQ(testsupport::ReadFile(path), written);
    auto ro = platform::IsReadOnly(path);
    ASSERT_TRUE(ro.ok());
    EXPECT_TRUE(*ro);
}

TEST(ClientOptions, ReadingIgnoresBlanksAndKeepsWhatTheFileDoesNotName) {
    ClientOptions o;
    o.Parse("ESOP_Res=3;");  // alone, no spaces, no line end
    EXPECT_EQ(o.Get(kOptRes), 3);
    EXPECT_EQ(o.Get(kOptHz), 1);  // untouched

    o.Parse(" E S O P _ H Z \t=\t4 ;");  // spaces and tabs anywhere
    EXPECT_EQ(o.Get(kOptHz), 4);

    o.Parse("ESOP_TrnView = 1");  // no ";": the option stays
    EXPECT_EQ(o.Get(kOptTrnView), 2);
    o.Parse("ESOP_TrnView;=1;");  // ";" right after the key: no value
    EXPECT_EQ(o.Get(kOptTrnView), 2);

    o.Parse("ESOP_Effect:3;");  // whatever stands in place of "=" is skipped
    EXPECT_EQ(o.Get(kOptEffect), 3);
    o.Parse("ESOP_Effect=high;");  // not a number
    EXPECT_EQ(o.Get(kOptEffect), 0);
    o.Parse("ESOP_Effect=2x;");  // the digits count, the rest not
    EXPECT_EQ(o.Get(kOptEffect), 2);
    o.Parse("ESOP_Effect=99999999999999999999999;");  // no overflow
    EXPECT_EQ(o.Get(kOptEffect), INT32_MAX);
    o.Parse("ESOP_Effect = 1;\r\nESOP_Effect = 3;\r\n");  // the first occurrence counts
    EXPECT_EQ(o.Get(kOptEffect), 1);
}

TEST(ClientOptions, ALongerKeyDoesNotPassForTheShorterOne) {
    // The volumes stand before their switches here; each key still finds
    // its own line.
    ClientOptions o;
    o.Parse(
        "ESOP_MusicVol = 120;\r\nESOP_SoundVol = 80;\r\nESOP_Music = 1;\r\nESOP_Sound = 0;\r\n");
    EXPECT_EQ(o.Get(kOptMusicVol), 120);
    EXPECT_EQ(o.Get(kOptSoundVol), 80);
    EXPECT_EQ(o.Get(kOptMusic), 1);
    EXPECT_EQ(o.Get(kOptSound), 0);
}

TEST(ClientOptions, SwitchesAndVolumesKeepOneByte) {
    ClientOptions o;
    o.Parse("ESOP_Win = 5;ESOP_Shadow = 256;ESOP_MusicVol = 300;ESOP_SoundVol = -1;");
    EXPECT_EQ(o.Shown(kOptWin), 1);     // any non-zero byte shows as 1...
    EXPECT_EQ(o.Shown(kOptShadow), 0);  // ...and 256 keeps the byte 0
    EXPECT_EQ(o.Get(kOptMusicVol), 44);
    EXPECT_EQ(o.Get(kOptSoundVol), 255);
    std::string text = o.Format();
    EXPECT_NE(text.find("ESOP_Win = 1;\r\n"), std::string::npos);  // saved as 1
    EXPECT_NE(text.find("ESOP_Shadow = 0;\r\n"), std::string::npos);
    EXPECT_NE(text.find("ESOP_MusicVol = 44;\r\n"), std::string::npos);
}

TEST(ClientOptions, RestoreDefaultsKeepsTheVolumes) {
    ClientOptions o;
    o.Parse("ESOP_Res = 5;ESOP_HZ = 4;ESOP_Blur = 1;ESOP_MusicVol = 99;ESOP_SoundVol = 7;");
    o.RestoreDefaults();
    std::string text = o.Format();
    EXPECT_EQ(text.find("ESOP_Res = 0;\r\nESOP_HZ = 1;\r\n"), 0u);
    EXPECT_NE(text.find("ESOP_MusicVol = 99;\r\nESOP_SoundVol = 7;\r\n"), std::string::npos);
    EXPECT_NE(text.find("ESOP_Blur = 0;"), std::string::npos);
}

TEST(ClientOptions, MissingFileChangesNothingAndAFailedSaveSaysSo) {
    testsupport::TempDir dir;
    ClientOptions o;
    o.Set(kOptRes, 2);
    EXPECT_FALSE(o.Load(dir / "ClientOpt.txt"));
    EXPECT_EQ(o.Get(kOptRes), 2);
    // A folder in the file's place cannot be written over.
    platform::CreateDirectory(dir / "blocked");
    EXPECT_FALSE(o.Save(dir / "blocked").ok());
    EXPECT_FALSE(o.Save(dir / "no-such-folder\\ClientOpt.txt").ok());
}

TEST(ClientOptions, EntriesFollowTheTextTable) {
    auto look = [](const char* gbk) { return std::string("<") + gbk + ">"; };
    std::vector<std::string> res = OptionEntries(kOptRes, look);
    ASSERT_EQ(res.size(), 6u);
    EXPECT_EQ(res[3], std::string("1280*1024 16<") + GBK("位") + ">");
    std::vector<std::string> hz = OptionEntries(kOptHz, look);
    ASSERT_EQ(hz.size(), 5u);
    EXPECT_EQ(hz[0], std::string("<") + GBK("默认") + ">");
    EXPECT_EQ(hz[1], "60HZ");  // shown as it is
    EXPECT_EQ(OptionEntries(kOptTrnLevel)[1], GBK("高"));
    EXPECT_TRUE(OptionEntries(kOptWin).empty());
    EXPECT_EQ(OptionMaxValue(kOptRes), 5);
    EXPECT_EQ(OptionMaxValue(kOptRoleView), 3);
    EXPECT_EQ(OptionMaxValue(kOptBlur), 1);
    EXPECT_EQ(OptionMaxValue(kOptSoundVol), 255);
}

}  // namespace
