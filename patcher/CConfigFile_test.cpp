#include "patcher/CConfigFile.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

struct Loaded {
    TempDir dir;
    CConfigFile config;
    bool ok = false;
    explicit Loaded(const std::string& bytes, bool trim = true) {
        WriteFile(dir / "update.ini", bytes);
        ok = config.Load((dir / "update.ini").c_str(), trim);
    }
};

TEST(CConfigFile, ReadsTheUpdateIniForms) {
    Loaded l(
        "; made by the patch team\r\n"
        "orphan=before any section\r\n"
        "[game]\r\n"
        "tesmar = bin\\Tesmar.exe   ; the client\r\n"
        "[checkversion]\r\n"
        "port=7000\r\n"
        "num=-2xyz\r\n"
        "ip0=\t 10.0.0.9\tignored after a tab\r\n"
        "ip1 =10.0.0.1\twhatever\r\n"
        "no equals sign here\r\n"
        "[Borough0]\r\n"
        "name=  \r\n");
    ASSERT_TRUE(l.ok);
    EXPECT_STREQ(l.config.GetString("game tesmar"), "bin\\Tesmar.exe");
    EXPECT_EQ(l.config.GetInt("checkversion port"), 7000);
    EXPECT_EQ(l.config.GetInt("checkversion num"), -2);
    EXPECT_STREQ(l.config.GetString("checkversion ip0"), "10.0.0.9");
    EXPECT_STREQ(l.config.GetString("checkversion ip1"), "10.0.0.1");
    EXPECT_STREQ(l.config.GetString("Borough0 name"), "");
    EXPECT_EQ(l.config.GetInt("Borough0 name"), 0);
    EXPECT_STREQ(l.config.GetString(" orphan"), "");
    EXPECT_STREQ(l.config.GetString("game missing"), "");
    EXPECT_EQ(l.config.GetInt("nothing here"), 0);
    // Lookups are by the exact text: case matters.
    EXPECT_STREQ(l.config.GetString("Game tesmar"), "");
}

TEST(CConfigFile, WithoutTrimNamesAndValuesStayAsWritten) {
    Loaded l("[s]\r\nk = v ;c\r\n", false);
    ASSERT_TRUE(l.ok);
    EXPECT_STREQ(l.config.GetString("s k "), " v ;c");
}

TEST(CConfigFile, FirstValueWinsAndSectionsOfOneNameMerge) {
    Loaded l("[a]\r\nk=1\r\nk=2\r\n[b]\r\nk=3\r\n[a]\r\nk=4\r\nj=5\r\n");
    ASSERT_TRUE(l.ok);
    EXPECT_STREQ(l.config.GetString("a k"), "1");
    EXPECT_STREQ(l.config.GetString("b k"), "3");
    EXPECT_STREQ(l.config.GetString("a j"), "5");
}

TEST(CConfigFile, ChineseKeysAreFound) {
    std::string gbk = platform::Utf8ToGbk(
        "[url]\r\n公告 = http://news.example/a\r\n更新信息=http://news.example/b\r\n");
    Loaded l(gbk);
    ASSERT_TRUE(l.ok);
    EXPECT_STREQ(l.config.GetString(platform::Utf8ToGbk("url 公告").c_str()),
                 "http://news.example/a");
    EXPECT_STREQ(l.config.GetString(platform::Utf8ToGbk("url 更新信息").c_str()),
                 "http://news.example/b");
    // A double-byte character whose second byte is "]" does not end the
    // section name.
    Loaded t("[\x81\x5Dx]\r\nk=v\r\n");
    EXPECT_STREQ(t.config.GetString("\x81\x5Dx k"), "v");
}

TEST(CConfigFile, OnlyTheFirst200SectionsAreRead) {
    std::string ini;
    for (int i = 0; i < 250; ++i) {
        ini += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    }
    Loaded l(ini);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.config.GetInt("s0 k"), 0);
    EXPECT_EQ(l.config.GetInt("s199 k"), 199);
    EXPECT_STREQ(l.config.GetString("s200 k"), "");
    EXPECT_EQ(l.config.Count(), 200u);
}

TEST(CConfigFile, OverlongNamesAndValuesAreCut) {
    std::string longKey(300, 'k'), longValue(300, 'v'), longSection(300, 's');
    // 254 ASCII bytes then a double-byte character: cutting at 255 would
    // leave half a character, so the whole character goes.
    std::string boundary = std::string(254, 'a') + "\xB9\xAB" + "tail";
    Loaded l("[" + longSection + "]\r\n" + longKey + "=" + longValue + "\r\nb=" + boundary +
             "\r\n");
    ASSERT_TRUE(l.ok);
    std::string key = std::string(255, 's') + " " + std::string(255, 'k');
    EXPECT_EQ(std::string(l.config.GetString(key.c_str())), std::string(255, 'v'));
    std::string b = std::string(255, 's') + " b";
    EXPECT_EQ(std::string(l.config.GetString(b.c_str())), std::string(254, 'a'));
}

TEST(CConfigFile, OddBytesDoNotStopTheReader) {
    // No final line break, NUL bytes, a section header without "]".
    Loaded l(std::string("[a]\r\nk=v\0hidden\r\nj=2\r\n[open\r\nx=1\r\n[z]\r\nlast=9", 45));
    ASSERT_TRUE(l.ok);
    EXPECT_STREQ(l.config.GetString("a k"), "v");
    EXPECT_EQ(l.config.GetInt("a j"), 2);
    EXPECT_EQ(l.config.GetInt("open x"), 1);
    EXPECT_EQ(l.config.GetInt("z last"), 9);
    // LF-only line ends work too.
    Loaded lf("[a]\nk=1\n[b]\nk=2");
    EXPECT_EQ(lf.config.GetInt("b k"), 2);
}

TEST(CConfigFile, MissingOrEmptyFilesDoNotLoad) {
    TempDir dir;
    CConfigFile config;
    EXPECT_FALSE(config.Load((dir / "update.ini").c_str(), true));
    WriteFile(dir / "update.ini", "");
    EXPECT_FALSE(config.Load((dir / "update.ini").c_str(), true));
    EXPECT_FALSE(config.Load(nullptr, true));
    EXPECT_STREQ(config.GetString("game tesmar"), "");
}

TEST(CConfigFile, NumbersSaturateInsteadOfOverflowing) {
    Loaded l("[n]\r\nbig=99999999999\r\nsmall=-99999999999\r\nplus=+12\r\n");
    EXPECT_EQ(l.config.GetInt("n big"), INT32_MAX);
    EXPECT_EQ(l.config.GetInt("n small"), INT32_MIN);
    EXPECT_EQ(l.config.GetInt("n plus"), 12);
}

}  // namespace
