#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, ChineseLiteralsConvertToTheirGbkBytes) {
    EXPECT_EQ(platform::Utf8ToGbk("相关程序已经启动"),
              "\xCF\xE0\xB9\xD8\xB3\xCC\xD0\xF2\xD2\xD1\xBE\xAD\xC6\xF4\xB6\xAF");
    EXPECT_EQ(platform::Utf8ToGbk("警告"), "\xBE\xAF\xB8\xE6");
    EXPECT_STREQ(GBK("警告"), "\xBE\xAF\xB8\xE6");
    // The same call site answers the same converted text every time.
    const char* first = nullptr;
    for (int i = 0; i < 2; ++i) {
        const char* p = GBK("《Tesmar》更新程序");
        if (first == nullptr)
            first = p;
        EXPECT_EQ(p, first);
    }
}

TEST(Text, RoundTripsThroughUtf8AndUtf16) {
    const std::string utf8 = "VER:1.0.5 下载速度 更新完成,请启动游戏 € 《》";
    std::string gbk = platform::Utf8ToGbk(utf8);
    EXPECT_EQ(platform::GbkToUtf8(gbk), utf8);
    EXPECT_EQ(platform::Utf16ToGbk(platform::GbkToUtf16(gbk)), gbk);
    EXPECT_EQ(platform::Utf16ToUtf8(platform::Utf8ToUtf16(utf8)), utf8);
}

TEST(Text, TrailByteThatLooksLikeABackslashStaysWithItsLead) {
    // 0x815C is a GBK character whose second byte is "\".
    std::string gbk =
        "a\x81\x5C"
        "b";
    std::string utf8 = platform::GbkToUtf8(gbk);
    EXPECT_EQ(utf8.find('\\'), std::string::npos);
    EXPECT_EQ(platform::Utf8ToGbk(utf8), gbk);
}

TEST(Text, MalformedInputBecomesReplacementNotGarbage) {
    EXPECT_EQ(platform::GbkToUtf8("\x81"), "\xEF\xBF\xBD");         // lead byte at the end
    EXPECT_EQ(platform::GbkToUtf8("\x81\x20x"), "\xEF\xBF\xBD x");  // invalid trail
    EXPECT_EQ(platform::GbkToUtf8("\xFF"), "\xEF\xBF\xBD");
    EXPECT_EQ(platform::Utf8ToGbk("\xE6\x9B"), "??");               // truncated sequence
    EXPECT_EQ(platform::Utf8ToGbk("\xC0\xAF"), "??");               // overlong "/"
    EXPECT_EQ(platform::Utf8ToGbk("\xF0\x9F\x98\x80"), "?");        // no GBK form
    EXPECT_EQ(platform::Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
}

TEST(Text, LowerCasingLeavesDoubleByteCharactersAlone) {
    // 0x8241 has the trail byte "A".
    EXPECT_EQ(platform::GbkToLowerAscii("System\\\x82\x41X.LST"), "system\\\x82\x41x.lst");
    EXPECT_EQ(platform::GbkToLowerAscii("\x82"), "\x82");
}

TEST(Text, NamesCompareWithoutAsciiCaseButByteForByteInsideCharacters) {
    EXPECT_TRUE(platform::EqualsIgnoringAsciiCase("System\\Att.LST", "system\\att.lst"));
    EXPECT_FALSE(platform::EqualsIgnoringAsciiCase("abc", "abcd"));
    // 0x8241 and 0x8261 are two characters whose trail bytes are "A" and "a".
    EXPECT_FALSE(platform::EqualsIgnoringAsciiCase("\x82\x41", "\x82\x61"));
    EXPECT_TRUE(platform::EqualsIgnoringAsciiCase("X\x82\x41", "x\x82\x41"));
}

TEST(Text, TextsAreCutBeforeACharacterTheLimitWouldSplit) {
    const std::string text = "ab\xC4\xE3\xBA\xC3";  // two ASCII bytes, two characters
    EXPECT_EQ(platform::GbkFit(text, 100), 6u);
    EXPECT_EQ(platform::GbkFit(text, 6), 6u);
    EXPECT_EQ(platform::GbkFit(text, 5), 4u);
    EXPECT_EQ(platform::GbkFit(text, 3), 2u);
    EXPECT_EQ(platform::GbkFit(text, 0), 0u);
    EXPECT_EQ(platform::GbkFit("", 4), 0u);
    // A trail byte that looks like ASCII stays with its lead.
    EXPECT_EQ(platform::GbkFit("\x81\x5C\x5C", 2), 2u);
    EXPECT_EQ(platform::GbkFit("\x81\x5C\x5C", 1), 0u);
    // A lead byte at the end with nothing after it is one byte.
    EXPECT_EQ(platform::GbkFit("ab\xC4", 3), 3u);
}

TEST(Text, PathsSplitOnlyAtSeparatorsOutsideCharacters) {
    using platform::PathSeparators;
    constexpr auto kBack = PathSeparators::kBackslash;
    constexpr auto kBoth = PathSeparators::kBoth;
    // 0x815C is a character whose trail byte is "\".
    const std::string path = "\\Data\\\x81\x5C\\\\a/b.cpk\\";
    EXPECT_EQ(platform::Split(path, kBack),
              (std::vector<std::string>{"Data", "\x81\x5C", "a/b.cpk"}));
    EXPECT_EQ(platform::Split(path, kBoth),
              (std::vector<std::string>{"Data", "\x81\x5C", "a", "b.cpk"}));
    EXPECT_EQ(platform::Split("", kBoth), std::vector<std::string>{});
    EXPECT_EQ(platform::Split("\x81", kBoth), std::vector<std::string>{"\x81"});  // cut short

    const std::string file = "skin\\\x81\x5C/N.bmp";
    EXPECT_EQ(platform::LastSeparator(file, kBack), 4u);
    EXPECT_EQ(platform::LastSeparator(file, kBoth), 7u);
    EXPECT_EQ(platform::LastSeparator("\x81\x5C", kBoth), std::string::npos);
    EXPECT_EQ(platform::DirName(file, kBack), "skin");
    EXPECT_EQ(platform::BaseName(file, kBack), "\x81\x5C/N.bmp");
    EXPECT_EQ(platform::DirName(file, kBoth), "skin\\\x81\x5C");
    EXPECT_EQ(platform::BaseName(file, kBoth), "N.bmp");
    EXPECT_EQ(platform::DirName("name", kBoth), "");
    EXPECT_EQ(platform::BaseName("name", kBoth), "name");
    EXPECT_EQ(platform::DirName("\\name", kBoth), "");
    EXPECT_EQ(platform::BaseName("dir\\", kBoth), "");

    EXPECT_EQ(platform::PathPrefixes("\\a\\\x81\x5C/b", kBoth),
              (std::vector<std::string>{"\\a", "\\a\\\x81\x5C", "\\a\\\x81\x5C/b"}));
    EXPECT_EQ(platform::PathPrefixes("", kBoth), std::vector<std::string>{});

    EXPECT_TRUE(platform::IsAbsolutePath("\\a"));
    EXPECT_TRUE(platform::IsAbsolutePath("/a"));
    EXPECT_TRUE(platform::IsAbsolutePath("C:a"));
    EXPECT_FALSE(platform::IsAbsolutePath("a\\b"));
    EXPECT_FALSE(platform::IsAbsolutePath(""));

    EXPECT_EQ(platform::WithBackslashes("/a/\x81\x5C/b"), "\\a\\\x81\x5C\\b");
}

}  // namespace
