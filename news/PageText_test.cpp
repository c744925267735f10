#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "news/Page.h"
#include "platform/text.h"

namespace news {
namespace {

Block Paragraph(std::vector<std::vector<Span>> lines) {
    Block b;
    b.lines = std::move(lines);
    return b;
}

Block Item(int level, std::string text, int number = 0) {
    Block b;
    b.kind = BlockKind::kListItem;
    b.level = level;
    b.ordered = number > 0;
    b.number = number;
    b.lines = {{{std::move(text), ""}}};
    return b;
}

// Whether every line fits and no GBK character is split across lines.
void ExpectFits(const std::vector<std::string>& lines, int width) {
    for (const std::string& line : lines) {
        EXPECT_LE(static_cast<int>(line.size()), std::max(width, 2)) << line;
        std::size_t i = 0;
        while (i < line.size()) {
            i += platform::IsGbkLeadByte(static_cast<unsigned char>(line[i])) ? 2 : 1;
        }
        EXPECT_EQ(i, line.size()) << "split character in: " << line;
    }
}

TEST(PageText, WrapsAtSpacesAndBreaksLongWords) {
    std::vector<Block> blocks = {
        Paragraph({{{"The quick brown fox jumps over the lazy dog", ""}}}),
        Paragraph({{{"abcdefghijklmnopqrstuvwxyz", ""}}, {{"x  y", ""}}}),
    };
    std::vector<std::string> text = PageText(blocks, 10);
    EXPECT_EQ(text,
              (std::vector<std::string>{"The quick", "brown fox", "jumps over", "the lazy", "dog",
                                        "", "abcdefghij", "klmnopqrst", "uvwxyz", "x  y"}));
    ExpectFits(text, 10);
}

TEST(PageText, NeverSplitsAGbkCharacter) {
    // Odd widths leave one column that a two-column character cannot use.
    const std::string cjk = platform::Utf8ToGbk("维护公告服务器将于今晚停机更新");
    const std::string mixed = platform::Utf8ToGbk("第1区a与第2区 已合并，请 重新登录");
    for (int width : {1, 2, 3, 4, 5, 7, 9, 11}) {
        SCOPED_TRACE(width);
        std::vector<std::string> text =
            PageText({Paragraph({{{cjk, ""}}}), Paragraph({{{mixed, ""}}})}, width);
        ExpectFits(text, width);
        std::string joined;
        for (const std::string& line : text) {
            joined += line;
        }
        // Only the spaces where lines broke go; no byte of text is lost.
        std::string expected = cjk + mixed;
        std::string squeezed;
        for (char c : expected) {
            if (c != ' ') {
                squeezed += c;
            }
        }
        std::string got;
        for (char c : joined) {
            if (c != ' ') {
                got += c;
            }
        }
        EXPECT_EQ(got, squeezed);
    }
    // A lead byte takes the next byte with it even when that looks like a
    // space: no break there, and no trimming of it at a line's end.
    std::string tricky = "\x81\x20\x81\x20\x81\x20";
    EXPECT_EQ(PageText({Paragraph({{{tricky, ""}}})}, 4),
              (std::vector<std::string>{"\x81\x20\x81\x20", "\x81\x20"}));
}

TEST(PageText, ListsHeadingsAndLinks) {
    Block heading;
    heading.kind = BlockKind::kHeading;
    heading.level = 2;
    heading.lines = {{{"News", ""}}};
    std::vector<Block> blocks = {
        heading,
        Item(1, "first item text"),
        Item(2, "nested"),
        Item(1, "numbered", 12),
        Paragraph(
            {{{"see ", ""}, {"here", "http://h/x"}, {" or ", ""}, {"http://h/y", "http://h/y"}}}),
    };
    EXPECT_EQ(PageText(blocks, 14),
              (std::vector<std::string>{"News", "", "- first item", "  text", "  - nested",
                                        "12. numbered", "", "see here", "<http://h/x>",
                                        "or http://h/y"}));
    // Deep nesting in a narrow view: the text keeps room of its own.
    std::vector<std::string> narrow = PageText({Item(40, "deep item"), Item(1, "xy", 123456)}, 6);
    ExpectFits(narrow, 6);
    EXPECT_EQ(narrow.front(), "  - de");
}

}  // namespace
}  // namespace news
