#include "patcher/ui/PageView.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

// 6 pixels a byte: an ASCII letter 6, a Chinese character 12.
int Measure(std::string_view gbk, PageRunStyle) {
    return static_cast<int>(gbk.size()) * 6;
}

news::Block Paragraph(const std::string& utf8, const std::string& link = "") {
    news::Block b;
    b.lines.push_back({news::Span{platform::Utf8ToGbk(utf8), link}});
    return b;
}

news::Block Item(const std::string& utf8, int depth, int number = 0) {
    news::Block b = Paragraph(utf8);
    b.kind = news::BlockKind::kListItem;
    b.level = depth;
    b.ordered = number > 0;
    b.number = number;
    return b;
}

std::string LineText(const PageLine& line) {
    std::string s;
    for (const PageRun& r : line.runs) {
        s += r.text;
    }
    return platform::GbkToUtf8(s);
}

// Every run lies inside the width, starts where the one before ended or
// later, and holds whole GBK characters.
void ExpectWellFormed(const PageLayout& layout, int width) {
    for (const PageLine& line : layout.lines) {
        int x = 0;
        for (const PageRun& r : line.runs) {
            EXPECT_GE(r.x, x);
            EXPECT_EQ(r.width, Measure(r.text, r.style)) << r.text;
            EXPECT_LE(r.x + r.width, width) << r.text;
            x = r.x + r.width;
            for (size_t i = 0; i < r.text.size(); ++i) {
                if (platform::IsGbkLeadByte(static_cast<unsigned char>(r.text[i]))) {
                    ASSERT_LT(i + 1, r.text.size()) << "a character split at the run's end";
                    ++i;
                }
            }
        }
        if (!line.runs.empty()) {
            EXPECT_NE(line.runs.front().text.front(), ' ');
            EXPECT_NE(line.runs.back().text.back(), ' ');
        }
    }
}

TEST(PageLayout, WrapsWordsAtSpacesAndChineseBetweenCharacters) {
    // 10 columns of 6 pixels.
    PageLayout words = LayOutPage({Paragraph("one two three four")}, 60, Measure);
    ExpectWellFormed(words, 60);
    ASSERT_EQ(words.lines.size(), 2u);
    EXPECT_EQ(LineText(words.lines[0]), "one two");
    EXPECT_EQ(LineText(words.lines[1]), "three four");
    EXPECT_EQ(words.lines[1].y, 16);
    EXPECT_EQ(words.height, 32);

    // Five characters of 12 pixels on a line of 60.
    PageLayout chinese = LayOutPage({Paragraph("公告内容更新了新的版本说明")}, 60, Measure);
    ExpectWellFormed(chinese, 60);
    ASSERT_EQ(chinese.lines.size(), 3u);
    EXPECT_EQ(LineText(chinese.lines[0]), "公告内容更");
    EXPECT_EQ(LineText(chinese.lines[2]), "本说明");

    // An odd width: a character that does not fit whole goes to the next line.
    PageLayout odd = LayOutPage({Paragraph("a公告内容")}, 31, Measure);
    ExpectWellFormed(odd, 31);
    EXPECT_EQ(LineText(odd.lines[0]), "a公告");
}

TEST(PageLayout, AWordWiderThanThePanelBreaksBetweenItsCharacters) {
    PageLayout layout =
        LayOutPage({Paragraph("see http://example.test/a/very/long/path end")}, 60, Measure);
    ExpectWellFormed(layout, 60);
    std::string all;
    for (const PageLine& line : layout.lines) {
        EXPECT_FALSE(line.runs.empty());
        all += LineText(line) + "|";
    }
    EXPECT_EQ(all, "see|http://exa|mple.test/|a/very/lon|g/path end|");

    // Narrower than one character: still one character a line, no loop.
    PageLayout tiny = LayOutPage({Paragraph("公告ab")}, 5, Measure);
    EXPECT_EQ(tiny.lines.size(), 4u);
}

TEST(PageLayout, ListItemsAreIndentedBehindTheirBulletOrNumber) {
    PageLayout layout = LayOutPage(
        {Item("first item wraps here", 1, 1), Item("nested", 2), Paragraph("after")}, 120, Measure);
    ExpectWellFormed(layout, 120);
    ASSERT_EQ(layout.lines.size(), 4u);
    // "1. " is 18 pixels; the wrapped line hangs at the text, not the number.
    EXPECT_EQ(layout.lines[0].runs[0].x, 0);
    EXPECT_EQ(LineText(layout.lines[0]), "1. first item wraps");
    EXPECT_EQ(layout.lines[1].runs[0].x, 18);
    EXPECT_EQ(LineText(layout.lines[1]), "here");
    // Depth 2: one indent in, behind a bullet that is a real GBK character.
    EXPECT_EQ(layout.lines[2].runs[0].x, 14);
    EXPECT_EQ(layout.lines[2].runs[0].text.find('?'), std::string::npos);
    EXPECT_EQ(layout.lines[3].runs[0].x, 0);
    // Blocks are kept apart by the gap.
    EXPECT_EQ(layout.lines[2].y, 2 * 16 + 4);
}

TEST(PageLayout, LinksAreFoundWhereTheyAreDrawn) {
    news::Block block;
    block.lines.push_back({news::Span{"read ", ""}, news::Span{"the notes", "http://h/notes"},
                           news::Span{" or ", ""}, news::Span{"more", "http://h/more"}});
    block.lines.push_back({news::Span{"again", "http://h/notes"}});  // after a <br>
    PageLayout layout = LayOutPage({block}, 600, Measure);
    ASSERT_EQ(layout.lines.size(), 2u);
    ASSERT_EQ(layout.links.size(), 2u);
    EXPECT_EQ(layout.links[0], "http://h/notes");
    // "read " is 30 pixels, "the notes" 54.
    EXPECT_EQ(layout.LinkAt(29, 5), -1);
    EXPECT_EQ(layout.LinkAt(30, 5), 0);
    EXPECT_EQ(layout.LinkAt(83, 15), 0);
    EXPECT_EQ(layout.LinkAt(84, 5), -1);
    EXPECT_EQ(layout.LinkAt(110, 5), 1);
    EXPECT_EQ(layout.LinkAt(29, 16), 0);  // the second line's link is the same target
    EXPECT_EQ(layout.LinkAt(30, 32), -1);
    for (const PageRun& r : layout.lines[0].runs) {
        EXPECT_EQ(r.style == PageRunStyle::kLink, r.link >= 0);
    }
}

TEST(PageViewModel, ShowsItsStateAndScrollsWithinThePage) {
    PageViewModel view(60, 40, Measure);
    EXPECT_EQ(view.state(), PageState::kEmpty);
    EXPECT_TRUE(view.layout().lines.empty());

    view.SetLoading("http://h/a.html");
    EXPECT_EQ(view.state(), PageState::kLoading);
    EXPECT_FALSE(view.layout().lines.empty());

    view.SetFailed("http://h/a.html", "HTTP 404");
    EXPECT_EQ(view.state(), PageState::kFailed);
    std::string all;
    for (const PageLine& line : view.layout().lines) {
        all += LineText(line);
    }
    EXPECT_NE(all.find("HTTP 404"), std::string::npos);
    EXPECT_NE(all.find("h/a.html"), std::string::npos);

    news::Page page;
    for (int i = 0; i < 10; ++i) {
        page.blocks.push_back(Paragraph("line", i == 9 ? "http://h/last" : ""));
    }
    view.SetPage(page);
    EXPECT_EQ(view.state(), PageState::kLoaded);
    // Ten lines of 16 and nine gaps of 4 in a panel of 40.
    EXPECT_EQ(view.layout().height, 196);
    EXPECT_EQ(view.maxScroll(), 156);
    EXPECT_TRUE(view.Scrollable());
    EXPECT_FALSE(view.Wheel(1));  // already at the top
    EXPECT_TRUE(view.Wheel(-1));
    EXPECT_EQ(view.scroll(), 48);
    EXPECT_TRUE(view.Wheel(-10));
    EXPECT_EQ(view.scroll(), 156);
    EXPECT_FALSE(view.ScrollBy(1));
    // The last line, at the bottom of the panel, is the link.
    EXPECT_EQ(view.LinkAt(3, 39), "http://h/last");
    EXPECT_EQ(view.LinkAt(3, 40), "");  // below the panel
    EXPECT_EQ(view.LinkAt(-1, 39), "");

    // A new page starts at the top; a narrower panel lays it out again.
    view.SetPage(page);
    EXPECT_EQ(view.scroll(), 0);
    view.SetWidth(12);
    EXPECT_EQ(view.layout().lines.size(), 20u);
    view.SetEmpty();
    EXPECT_FALSE(view.Scrollable());
}

}  // namespace
