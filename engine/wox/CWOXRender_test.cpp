#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wox/CWOXRender.h"

namespace {

// The texts of laid-out lines.
std::vector<std::string> Texts(const std::vector<tagWOXTextLine>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) {
        out.push_back(l.text);
    }
    return out;
}

const uint32_t kWrapNoClip = kWOXTextWordBreak | kWOXTextNoClip;

TEST(TextLayout, WordBreakFillsEachLineWithWholeWords) {
    // 10 characters of 8 pixels fit in 80.
    tagWOXRect rc{100, 200, 80, 100};
    auto lines = CWOXFont::Layout("aaa bbb ccc dddd eeeeeeeeee", rc, kWrapNoClip);
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"aaa bbb", "ccc dddd", "eeeeeeeeee"}));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].x, 100);
    EXPECT_EQ(lines[0].y, 200);
    EXPECT_EQ(lines[1].y, 200 + kWOXLineHeight);
    EXPECT_EQ(lines[2].y, 200 + 2 * kWOXLineHeight);
    EXPECT_EQ(lines[0].width, 7 * kWOXCharWidth);
    EXPECT_EQ(lines[2].width, 80);  // exactly the width still fits
}

TEST(TextLayout, AWordWiderThanTheRectangleStaysWholeOnItsOwnLine) {
    tagWOXRect rc{0, 0, 40, 100};
    auto lines = CWOXFont::Layout("ab abcdefghijkl cd", rc, kWrapNoClip);
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"ab", "abcdefghijkl", "cd"}));
    EXPECT_EQ(lines[1].width, 12 * kWOXCharWidth);
}

TEST(TextLayout, LineBreaksAndBlanks) {
    tagWOXRect rc{0, 0, 400, 100};
    EXPECT_EQ(Texts(CWOXFont::Layout("one\r\ntwo\n\nfour\n", rc, kWrapNoClip)),
              (std::vector<std::string>{"one", "two", "", "four"}));
    // Leading blanks of the text stay; blanks at a wrap are dropped.
    tagWOXRect narrow{0, 0, 48, 100};
    EXPECT_EQ(Texts(CWOXFont::Layout("  ab    cdef   gh", narrow, kWrapNoClip)),
              (std::vector<std::string>{"  ab", "cdef", "gh"}));
    // Without word break only line breaks end lines.
    EXPECT_EQ(Texts(CWOXFont::Layout("aaa bbb ccc\nd", narrow, kWOXTextNoClip)),
              (std::vector<std::string>{"aaa bbb ccc", "d"}));
    // A single line ignores line breaks and word break.
    EXPECT_EQ(Texts(CWOXFont::Layout("aaa bbb\nccc", narrow,
                                     kWOXTextSingleLine | kWOXTextWordBreak | kWOXTextNoClip)),
              (std::vector<std::string>{"aaa bbbccc"}));
    EXPECT_TRUE(CWOXFont::Layout("", rc, kWrapNoClip).empty());
    EXPECT_TRUE(CWOXFont::Layout(nullptr, rc, kWrapNoClip).empty());
}

TEST(TextLayout, GbkTextBreaksBetweenAnyTwoCharacters) {
    // Six GBK characters (12 bytes, 16 pixels each) in 40 pixels: two a line.
    const std::string gbk = "\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7\xC8\xCB\xC3\xC7";
    tagWOXRect rc{0, 0, 40, 100};
    auto lines = CWOXFont::Layout(gbk.c_str(), rc, kWrapNoClip);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, gbk.substr(0, 4));
    EXPECT_EQ(lines[1].text, gbk.substr(4, 4));
    EXPECT_EQ(lines[2].text, gbk.substr(8, 4));
    EXPECT_EQ(lines[0].width, 2 * kWOXWideCharWidth);

    // A trail byte that looks like a blank or a letter stays with its lead.
    const std::string tricky =
        "a\x81\x20"
        "b";
    EXPECT_EQ(CWOXFont::TextWidth(tricky.c_str(), tricky.size()),
              kWOXCharWidth + kWOXWideCharWidth + kWOXCharWidth);
    tagWOXRect one{0, 0, 8, 100};
    EXPECT_EQ(Texts(CWOXFont::Layout(tricky.c_str(), one, kWrapNoClip)),
              (std::vector<std::string>{"a", "\x81\x20", "b"}));
    // A lead byte at the very end counts as one narrow character.
    const std::string cut = "ab\xC4";
    EXPECT_EQ(CWOXFont::TextWidth(cut.c_str(), cut.size()), 3 * kWOXCharWidth);
}

TEST(TextLayout, ClippingDropsWhatStartsOutsideUnlessNoClipIsGiven) {
    tagWOXRect rc{10, 10, 40, 16};  // room for one line and five characters
    auto clipped = CWOXFont::Layout("abcdefg hij", rc, kWOXTextWordBreak);
    EXPECT_EQ(Texts(clipped), (std::vector<std::string>{"abcde"}));
    EXPECT_EQ(clipped[0].width, 40);
    auto all = CWOXFont::Layout("abcdefg hij", rc, kWrapNoClip);
    EXPECT_EQ(Texts(all), (std::vector<std::string>{"abcdefg", "hij"}));
    // A line that starts inside the rectangle is kept even if it ends below.
    tagWOXRect tall{0, 0, 40, 17};
    EXPECT_EQ(CWOXFont::Layout("aaaa bbbb", tall, kWOXTextWordBreak).size(), 2u);
}

TEST(TextLayout, CentringAndVerticalCentring) {
    tagWOXRect rc{100, 100, 80, 40};
    auto lines = CWOXFont::Layout("ab", rc, kWOXTextCenter | kWOXTextSingleLine | kWOXTextVCenter);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x, 100 + (80 - 16) / 2);
    EXPECT_EQ(lines[0].y, 100 + (40 - kWOXLineHeight) / 2);
    // Vertical centring applies to single lines only, as in Windows.
    EXPECT_EQ(CWOXFont::Layout("ab", rc, kWOXTextVCenter)[0].y, 100);
}

TEST(TextRender, DrawTextRecordsTheCallAndItsLines) {
    CWOXRender render;
    CWOXFont font(&render);
    tagWOXRect rc{5, 6, 80, 16};
    font.DrawText("hello world again", rc, kWrapNoClip, 0xFF123456, 0xFF000000);
    font.DrawText("", rc, kWrapNoClip, 0, 0);
    font.DrawText(nullptr, rc, kWrapNoClip, 0, 0);
    ASSERT_EQ(render.GetCommands().size(), 1u);
    const tagWOXDrawCmd& cmd = render.GetCommands()[0];
    EXPECT_EQ(cmd.eKind, tagWOXDrawCmd::Text);
    EXPECT_EQ(cmd.strText, "hello world again");
    EXPECT_EQ(cmd.dwFormat, kWrapNoClip);
    EXPECT_EQ(cmd.dwColor, 0xFF123456u);
    EXPECT_EQ(cmd.dwShadowColor, 0xFF000000u);
    EXPECT_EQ(Texts(cmd.lines), (std::vector<std::string>{"hello", "world", "again"}));
    render.BeginFrame();
    EXPECT_TRUE(render.GetCommands().empty());
}

TEST(TextRender, PicturesGetOneHandlePerPathWhateverTheCase) {
    CWOXRender render;
    uint32_t a = render.LoadPicture("data\\public\\ui\\msgbox.jpg");
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(render.LoadPicture("DATA\\Public\\UI\\MsgBox.JPG"), a);
    EXPECT_NE(render.LoadPicture("data\\public\\ui\\0.bmp"), a);
    // GBK trail bytes are not case-folded: these are two different names.
    uint32_t upper = render.LoadPicture("\x81\x41.bmp");
    uint32_t lower = render.LoadPicture("\x81\x61.bmp");
    EXPECT_NE(upper, lower);
    EXPECT_EQ(render.GetPictureCount(), 4u);
}

}  // namespace
