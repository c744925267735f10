#include "cpk/CPKPath.h"

#include <gtest/gtest.h>

#include "cpk/NameCRC.h"

namespace {

using cpkpath::CrcOfPath;
using cpkpath::IsSafeRelativePath;
using cpkpath::LastComponent;
using cpkpath::Split;

// 0x95 0x5C is one GBK character whose second byte is a backslash; 0x81 0x41
// one whose second byte is an "A".
const std::string kBackslashTrail = "\x95\x5C";
const std::string kLetterTrail = "\x81\x41";

TEST(CPKPath, SplittingRespectsDoubleByteCharacters) {
    EXPECT_EQ(Split("data\\scene.cpk\\a.dds"),
              (std::vector<std::string>{"data", "scene.cpk", "a.dds"}));
    EXPECT_EQ(Split("\\a\\\\b\\"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Split(""), std::vector<std::string>{});
    EXPECT_EQ(Split("x" + kBackslashTrail + "y\\z"),
              (std::vector<std::string>{"x" + kBackslashTrail + "y", "z"}));
    EXPECT_EQ(LastComponent("a\\b" + kBackslashTrail), "b" + kBackslashTrail);
    EXPECT_EQ(LastComponent(kBackslashTrail), kBackslashTrail);
    EXPECT_EQ(LastComponent("plain"), "plain");
}

TEST(CPKPath, CrcLowersOnlySingleByteLetters) {
    EXPECT_EQ(CrcOfPath("System"), 0x4D1E8DADu);
    EXPECT_EQ(CrcOfPath("SYSTEM"), CrcOfPath("system"));
    EXPECT_EQ(CrcOfPath("Data\\" + kLetterTrail + "X"),
              ComputeNameCRC(("data\\" + kLetterTrail + "x").c_str()));
    EXPECT_NE(CrcOfPath(kLetterTrail), ComputeNameCRC("\x81\x61"));
}

TEST(CPKPath, SafeRelativePathsStayInsideTheirFolder) {
    EXPECT_TRUE(IsSafeRelativePath("data\\a.txt"));
    EXPECT_TRUE(IsSafeRelativePath("..a\\b..c\\" + kBackslashTrail));
    EXPECT_TRUE(IsSafeRelativePath("console\\com10\\lpt\\nullify.txt"));
    EXPECT_FALSE(IsSafeRelativePath(""));
    EXPECT_FALSE(IsSafeRelativePath("\\"));
    EXPECT_FALSE(IsSafeRelativePath("a\\..\\..\\etc"));
    EXPECT_FALSE(IsSafeRelativePath("."));
    EXPECT_FALSE(IsSafeRelativePath("a/../../b"));
    EXPECT_FALSE(IsSafeRelativePath("c:\\windows"));
    EXPECT_FALSE(IsSafeRelativePath("a\nb"));
    EXPECT_FALSE(IsSafeRelativePath(std::string("a\0b", 3)));
    EXPECT_FALSE(IsSafeRelativePath("\x81/"));  // a lead byte cannot hide a slash
    // Windows drops trailing dots and blanks: these are "..", "." and "b".
    EXPECT_FALSE(IsSafeRelativePath("a\\.. \\x"));
    EXPECT_FALSE(IsSafeRelativePath("a\\...\\x"));
    EXPECT_FALSE(IsSafeRelativePath("a\\b."));
    // Devices, with or without an extension.
    for (const char* device : {"con", "NUL", "Aux.txt", "prn.x.y", "com1", "LPT9.dat"}) {
        EXPECT_FALSE(IsSafeRelativePath(std::string("data\\") + device)) << device;
    }
}

}  // namespace
