#include "platform/profile.h"

#include "platform/fs.h"

#include <gtest/gtest.h>

#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(Profile, ReadsWhatWindowsWrites) {
    TempDir dir;
    std::string ini = dir / "unpack_log.ini";
    WriteFile(
        ini,
        "; a comment\r\n[Unpack]\r\n  Index = 3 \r\nname=\"quoted\"\r\n[Other]\r\nIndex=9\r\n");
    EXPECT_EQ(platform::GetProfileInt("unpack", "INDEX", -1, ini), 3);
    EXPECT_EQ(platform::GetProfileString("Unpack", "name", "", ini), "quoted");
    EXPECT_EQ(platform::GetProfileInt("Other", "Index", -1, ini), 9);
    EXPECT_EQ(platform::GetProfileInt("Unpack", "missing", -1, ini), -1);
    EXPECT_EQ(platform::GetProfileString("Nope", "Index", "def", ini), "def");
    EXPECT_EQ(platform::GetProfileInt("Unpack", "Index", 7, dir / "absent.ini"), 7);
}

TEST(Profile, WritesReplaceAddAndDeleteKeys) {
    TempDir dir;
    std::string ini = dir / "a.ini";
    ASSERT_TRUE(platform::WriteProfileString("S", "k", "1", ini));  // creates the file
    ASSERT_TRUE(platform::WriteProfileString("S", "j", "2", ini));
    ASSERT_TRUE(platform::WriteProfileString("T", "k", "3", ini));
    ASSERT_TRUE(platform::WriteProfileString("s", "K", "4", ini));  // same key, other case
    EXPECT_EQ(ReadFile(ini), "[S]\r\nK=4\r\nj=2\r\n[T]\r\nk=3\r\n");
    ASSERT_TRUE(platform::DeleteProfileKey("S", "k", ini));
    EXPECT_EQ(platform::GetProfileString("S", "k", "gone", ini), "gone");
    EXPECT_EQ(platform::GetProfileString("S", "j", "", ini), "2");
    EXPECT_TRUE(platform::DeleteProfileKey("S", "never", ini));
    EXPECT_FALSE(platform::Exists(ini + ".tmp"));

    // Names fold the case of ASCII letters only: 0x8241 and 0x8261 are two
    // characters (trail bytes "A" and "a"), so two sections.
    ASSERT_TRUE(platform::WriteProfileString("\x82\x41", "k", "upper", ini));
    ASSERT_TRUE(platform::WriteProfileString("\x82\x61", "k", "lower", ini));
    EXPECT_EQ(platform::GetProfileString("\x82\x41", "K", "", ini), "upper");
    EXPECT_EQ(platform::GetProfileString("\x82\x61", "K", "", ini), "lower");
}

TEST(Profile, AFailedWriteCarriesTheSystemsCode) {
    TempDir dir;
    const std::string ini = dir / "missing\\a.ini";  // a folder that is not there
    platform::Status written = platform::WriteProfileString("S", "k", "1", ini);
    ASSERT_FALSE(written);
    EXPECT_TRUE(platform::IsNotFound(written.error())) << written.error().code;
    EXPECT_FALSE(platform::Exists(dir / "missing"));
}

TEST(Profile, NumbersReadLikeAtoi) {
    TempDir dir;
    std::string ini = dir / "n.ini";
    WriteFile(ini, "[N]\na=-12xyz\nb=abc\nc=\n");  // LF only is accepted too
    EXPECT_EQ(platform::GetProfileInt("N", "a", 5, ini), -12);
    EXPECT_EQ(platform::GetProfileInt("N", "b", 5, ini), 0);
    EXPECT_EQ(platform::GetProfileInt("N", "c", 5, ini), 5);
}

}  // namespace
