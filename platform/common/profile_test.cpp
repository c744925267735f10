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
