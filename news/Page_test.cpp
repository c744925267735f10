#include "news/Page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Detail.h"
#include "platform/text.h"

namespace news {
namespace {

const std::string kUrl = "http://news.example/notes/today.html";

// The text of a line, its spans joined.
std::string LineText(const std::vector<Span>& line) {
    std::string text;
    for (const Span& span : line) {
        text += span.text;
    }
    return text;
}

// The first line of every block, as UTF-8, for compact expectations.
std::vector<std::string> Firsts(const Page& page) {
    std::vector<std::string> out;
    for (const Block& block : page.blocks) {
        out.push_back(platform::GbkToUtf8(LineText(block.lines.at(0))));
    }
    return out;
}

// Whether s is GBK as the page view can draw it: every lead byte with a
// trail byte, and no control character.
bool IsCleanGbk(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (platform::IsGbkLeadByte(c)) {
            if (i + 1 >= s.size()) {
                return false;
            }
            unsigned char t = static_cast<unsigned char>(s[++i]);
            if (t < 0x40 || t == 0x7F || t == 0xFF) {
                return false;
            }
        } else if (c < 0x20 || c == 0x7F || c == 0xFF) {  // 0x80 is the euro sign
            return false;
        }
    }
    return true;
}

// Everything a page gives the view is clean GBK, links are ASCII, and no
// block is empty.
void ExpectSound(const Page& page) {
    EXPECT_TRUE(IsCleanGbk(page.title));
    EXPECT_LE(page.blocks.size(), kBlocksMax);
    std::size_t lines = 0;
    for (const Block& block : page.blocks) {
        ASSERT_FALSE(block.lines.empty());
        lines += block.lines.size();
        bool text = false;
        for (const auto& line : block.lines) {
            for (const Span& span : line) {
                EXPECT_TRUE(IsCleanGbk(span.text)) << span.text;
                EXPECT_FALSE(span.text.empty());
                for (char c : span.link) {
                    EXPECT_TRUE(c > 0x20 && c < 0x7F) << span.link;
                }
                text = text || span.text.find_first_not_of(' ') != std::string::npos;
            }
        }
        EXPECT_TRUE(text);
    }
    EXPECT_LE(lines, kLinesMax);
}

TEST(DetectCharset, HeaderThenMetaThenBomThenBytes) {
    const std::string gbkBytes = platform::Utf8ToGbk("公告");
    EXPECT_EQ(DetectCharset("plain", "GB2312"), "gbk");
    EXPECT_EQ(DetectCharset("plain", "gb18030"), "gbk");
    EXPECT_EQ(DetectCharset(gbkBytes, "\"UTF8\""), "utf-8");
    // A header naming another charset leaves the decision to the page.
    EXPECT_EQ(DetectCharset("<meta charset=gbk>", "iso-8859-1"), "gbk");
    EXPECT_EQ(DetectCharset("<META CHARSET = 'utf-8'>" + gbkBytes, ""), "utf-8");
    EXPECT_EQ(DetectCharset("<meta http-equiv=\"Content-Type\" "
                            "content=\"text/html; charset=gb2312\">",
                            ""),
              "gbk");
    // A meta of another charset, or one past the first 1024 bytes, is not
    // a decision.
    EXPECT_EQ(DetectCharset("<meta charset=big5>" + gbkBytes, ""), "gbk");
    EXPECT_EQ(DetectCharset(std::string(1100, ' ') + "<meta charset=gbk>", ""), "utf-8");
    EXPECT_EQ(DetectCharset("\xEF\xBB\xBF" + gbkBytes, ""), "utf-8");
    EXPECT_EQ(DetectCharset("新闻", ""), "utf-8");
    EXPECT_EQ(DetectCharset(gbkBytes, ""), "gbk");
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_EQ(DetectCharset("\xC0\xAF", ""), "gbk");
    EXPECT_EQ(DetectCharset("\xED\xA0\x80", ""), "gbk");
    // A meta with no '>' up to the end of what is scanned still counts.
    EXPECT_EQ(DetectCharset("<meta charset=gbk", ""), "gbk");
}

TEST(ReadPage, PagesInEitherCharsetGiveTheSameGbkText) {
    const std::string html =
        "<html><head><title> 更新\n 说明 </title></head>"
        "<body><h1>新版本</h1><p>修复了若干问题。</p></body></html>";
    const std::string gbkHtml = platform::Utf8ToGbk(html);
    struct Case {
        std::string bytes;
        std::string header;
        std::string charset;
    } cases[] = {
        {"<meta charset=\"gb2312\">" + gbkHtml, "", "gbk"},
        {gbkHtml, "GBK", "gbk"},
        {gbkHtml, "", "gbk"},
        {"<meta charset=utf-8>" + html, "", "utf-8"},
        {html, "utf-8", "utf-8"},
        {"\xEF\xBB\xBF" + html, "", "utf-8"},
        {html, "", "utf-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset + " header '" + c.header + "'");
        Page page = ReadPage(c.bytes, kUrl, c.header);
        EXPECT_EQ(page.charset, c.charset);
        EXPECT_FALSE(page.cut);
        EXPECT_EQ(page.title, GBK("更新 说明"));
        ASSERT_EQ(page.blocks.size(), 2u);
        EXPECT_EQ(page.blocks[0].kind, BlockKind::kHeading);
        EXPECT_EQ(page.blocks[0].level, 1);
        EXPECT_EQ(LineText(page.blocks[0].lines.at(0)), GBK("新版本"));
        EXPECT_EQ(page.blocks[1].kind, BlockKind::kParagraph);
        EXPECT_EQ(LineText(page.blocks[1].lines.at(0)), GBK("修复了若干问题。"));
    }
}

TEST(ReadPage, BlocksListsAndLines) {
    Page page = ReadPage(
        "<h2>Notes</h2>"
        "<div>Intro <b>bold</b>\n\n   and <i>more</i>&nbsp;&nbsp;x</div>"
        "<ul><li>one<li>two<ul><li>inner</li></ul></li></ul>"
        "<ol start=3><li>third</li><li>fourth</li></ol>"
        "<ol><li><p>alone</p></li></ol>"
        "<li>stray</li>"
        "<p>line one<br>line two<br><br>line four<br></p>"
        "<p> </p><div><span></span></div>"
        "<pre>  keep   this\n\tand this</pre>"
        "<table><tr><td>a</td><td>b</td></tr><tr><th>c</th></tr></table>"
        "<p><img src=x alt=\"[map]\"> shown <img src=y></p>"
        "<h7>not a heading</h7>",
        kUrl, "");
    ExpectSound(page);
    EXPECT_EQ(Firsts(page), (std::vector<std::string>{"Notes", "Intro bold and more  x", "one",
                                                      "two", "inner", "third", "fourth", "alone",
                                                      "stray", "line one", "  keep   this", "a b",
                                                      "c", "[map] shown", "not a heading"}));
    const std::vector<Block>& b = page.blocks;
    EXPECT_EQ(b[0].kind, BlockKind::kHeading);
    EXPECT_EQ(b[0].level, 2);
    EXPECT_EQ(b[1].kind, BlockKind::kParagraph);
    EXPECT_EQ(b[1].level, 0);
    for (int i : {2, 3, 4}) {
        EXPECT_EQ(b[i].kind, BlockKind::kListItem);
        EXPECT_FALSE(b[i].ordered);
    }
    EXPECT_EQ(b[2].level, 1);
    EXPECT_EQ(b[4].level, 2);
    EXPECT_TRUE(b[5].ordered);
    EXPECT_EQ(b[5].number, 3);
    EXPECT_EQ(b[6].number, 4);
    EXPECT_EQ(b[7].number, 1);
    EXPECT_EQ(b[7].kind, BlockKind::kListItem);
    EXPECT_EQ(b[8].level, 1);
    // <br> splits lines; one at the end of a block shows nothing.
    ASSERT_EQ(b[9].lines.size(), 4u);
    EXPECT_EQ(LineText(b[9].lines[1]), "line two");
    EXPECT_TRUE(b[9].lines[2].empty());
    EXPECT_EQ(LineText(b[9].lines[3]), "line four");
    ASSERT_EQ(b[10].lines.size(), 2u);
    EXPECT_EQ(LineText(b[10].lines[1]), "    and this");
    EXPECT_EQ(b[14].kind, BlockKind::kParagraph);
}

TEST(ReadPage, WhatIsNotTextIsDropped) {
    Page page = ReadPage(
        "<html><head><title>T</title><style>p{}</style><script>var x;</script>"
        "<meta name=x content=y><link rel=stylesheet href=s.css></head><body>"
        "<script>alert(1)</script><noscript>enable scripts</noscript>"
        "<template><p>later</p></template><iframe src=x>frame</iframe>"
        "<form>Name <input value=secret><select><option>opt</select>"
        "<textarea>typed</textarea></form>"
        "<svg><title>icon</title><text>svg</text></svg>"
        "<!-- comment --><p>kept</p></body></html>",
        kUrl, "");
    EXPECT_EQ(page.title, "T");
    EXPECT_EQ(Firsts(page), (std::vector<std::string>{"Name", "kept"}));
}

TEST(ReadPage, LinksAreResolvedAndKeepTheirOwnText) {
    Page page = ReadPage(
        "<p>See <a href='c.html'>the <b>notes</b></a> and <a href=/x>root</a>, "
        "<a href='//o/y'>other</a> <a href='#top'>top</a> "
        "<a href='javascript:alert(1)'>js</a> <a href='MAILTO:gm@example'>mail</a> "
        "<a href=' https://s.example/a b '>spaced</a><a>bare</a></p>",
        kUrl, "");
    ASSERT_EQ(page.blocks.size(), 1u);
    const std::vector<Span>& line = page.blocks[0].lines.at(0);
    std::vector<std::pair<std::string, std::string>> spans;
    for (const Span& s : line) {
        spans.emplace_back(s.text, s.link);
    }
    EXPECT_EQ(spans, (std::vector<std::pair<std::string, std::string>>{
                         {"See ", ""},
                         {"the notes", "http://news.example/notes/c.html"},
                         {" and ", ""},
                         {"root", "http://news.example/x"},
                         {", ", ""},
                         {"other", "http://o/y"},
                         {" top js ", ""},
                         {"mail", "mailto:gm@example"},
                         {" ", ""},
                         {"spaced", "https://s.example/a%20b"},
                         {"bare", ""},
                     }));
}

TEST(ResolveLink, RelativeFormsAgainstTheBase) {
    using detail::ResolveLink;
    const std::string base = "http://h:8080/a/b/c.html?q=1#f";
    EXPECT_EQ(ResolveLink(base, "d.html"), "http://h:8080/a/b/d.html");
    EXPECT_EQ(ResolveLink(base, "../d.html#s"), "http://h:8080/a/d.html#s");
    EXPECT_EQ(ResolveLink(base, "../../../../d"), "http://h:8080/d");
    EXPECT_EQ(ResolveLink(base, "./e/./f/.."), "http://h:8080/a/b/e/");
    EXPECT_EQ(ResolveLink(base, "/x/../y?z"), "http://h:8080/y?z");
    EXPECT_EQ(ResolveLink(base, "?page=2"), "http://h:8080/a/b/c.html?page=2");
    EXPECT_EQ(ResolveLink("https://h", "x"), "https://h/x");
    EXPECT_EQ(ResolveLink("https://h", "//cdn/z"), "https://cdn/z");
    EXPECT_EQ(ResolveLink(base, "说明.html"), "http://h:8080/a/b/%E8%AF%B4%E6%98%8E.html");
    // Nothing to show as a link.
    EXPECT_EQ(ResolveLink(base, ""), "");
    EXPECT_EQ(ResolveLink(base, "  #f"), "");
    EXPECT_EQ(ResolveLink(base, "ftp://h/x"), "");
    EXPECT_EQ(ResolveLink(base, "data:text/html,x"), "");
    EXPECT_EQ(ResolveLink(base, "http:x"), "");
    EXPECT_EQ(ResolveLink(base, "//"), "");
    EXPECT_EQ(ResolveLink(base, "java\tscript:x"), "");
    // Relative links need an http or https page to stand on.
    EXPECT_EQ(ResolveLink("", "x.html"), "");
    EXPECT_EQ(ResolveLink("file:///c/page.html", "x.html"), "");
    EXPECT_EQ(ResolveLink("", "http://h/x\"><"), "http://h/x%22%3E%3C");
}

TEST(ReadPage, HostileMarkupStaysBounded) {
    // Unclosed and misnested tags.
    Page page = ReadPage("<p>a<b>b<i>c</b>d</i><ul><li>e<p>f<div>g", kUrl, "");
    ExpectSound(page);
    EXPECT_EQ(Firsts(page), (std::vector<std::string>{"abcd", "e", "f", "g"}));

    // 10,000 nested elements: the walk needs no deep stack, and text below
    // the depth limit is still read.
    std::string deep;
    for (int i = 0; i < 10000; ++i) {
        deep += i % 2 ? "<div>" : "<span>";
    }
    deep += "bottom<br>line";
    page = ReadPage(deep, kUrl, "");
    ExpectSound(page);
    ASSERT_EQ(page.blocks.size(), 1u);
    EXPECT_EQ(LineText(page.blocks[0].lines.at(0)), "bottomline");

    // A whole page of nesting, 131,072 levels: gumbo's own clean-up would
    // recurse that deep, and its search of the open elements at every tag
    // costs time in the square of the depth. The page still comes back.
    std::string nested;
    while (nested.size() < kParseBytesMax) {
        nested += "<li><ul>";
    }
    page = ReadPage(nested + "<li>end", kUrl, "");
    EXPECT_TRUE(page.cut);
    ExpectSound(page);

    std::string lists;
    for (int i = 0; i < 10000; ++i) {
        lists += "<ul><li>x";
    }
    page = ReadPage(lists, kUrl, "");
    ExpectSound(page);
    ASSERT_FALSE(page.blocks.empty());
    EXPECT_LE(page.blocks.back().level, kDepthMax);

    // A 1 MB attribute: cut with the page, and no link that long is kept.
    std::string big = "<p><a href=\"http://h/" + std::string(1 << 20, 'x') + "\">t</a></p>";
    page = ReadPage(big, kUrl, "");
    EXPECT_TRUE(page.cut);
    ExpectSound(page);

    // The same long link reopened in every paragraph: the parser copies it
    // each time, and the page is read from a shorter beginning instead.
    std::string copies = "<p><a href=\"http://h/" + std::string(200000, 'y') + "\">x";
    while (copies.size() < kParseBytesMax - 8) {
        copies += "<p>z";
    }
    page = ReadPage(copies, kUrl, "");
    EXPECT_TRUE(page.cut);
    ExpectSound(page);
    for (const Block& block : page.blocks) {
        for (const Span& span : block.lines.at(0)) {
            EXPECT_LE(span.link.size(), 4096u);
        }
    }
}

TEST(ReadPage, InvalidBytesAndNulsGiveCleanText) {
    struct Case {
        std::string bytes;
        std::string header;
    } cases[] = {
        // Lead bytes without trails, a lead byte at the very end, a NUL.
        {platform::Utf8ToGbk("<p>公告") + "\x81\x20\xFE\x0A" + "x\x81", "gbk"},
        {std::string("<p>a\0b</p><p>\xC3</p>\xE4\xB8", 14), "utf-8"},
        {"<p>\xF5\x80\x80\x80 \xED\xA0\x80 \xC0\xAF ok</p>", "utf-8"},
        {std::string("<p title='\0'>x\0\x01\x1F\x7F<a href='http://h/\0'>y</a>", 40), ""},
    };
    for (const Case& c : cases) {
        Page page = ReadPage(c.bytes, kUrl, c.header);
        ExpectSound(page);
        EXPECT_FALSE(page.blocks.empty());
    }
}

TEST(ReadPage, LongPagesAreCutAtACharacter) {
    // Three-byte UTF-8 characters across the cut: the page stays UTF-8.
    std::string utf8 = "<p>";
    while (utf8.size() < kParseBytesMax + 100) {
        utf8 += "新";
    }
    Page page = ReadPage(utf8, kUrl, "");
    EXPECT_TRUE(page.cut);
    EXPECT_EQ(page.charset, "utf-8");
    ExpectSound(page);
    ASSERT_EQ(page.blocks.size(), 1u);
    std::string text = platform::GbkToUtf8(LineText(page.blocks[0].lines.at(0)));
    EXPECT_EQ(text.size(), (kParseBytesMax - 3) / 3 * 3);

    // A GBK page cut one byte into a character loses the whole character.
    std::string gbk = "<p>";
    while (gbk.size() < kParseBytesMax + 1) {
        gbk += platform::Utf8ToGbk("闻");
    }
    page = ReadPage(gbk, kUrl, "gbk");
    EXPECT_TRUE(page.cut);
    ExpectSound(page);
    ASSERT_EQ(page.blocks.size(), 1u);
    EXPECT_EQ(LineText(page.blocks[0].lines.at(0)).size(), kParseBytesMax - 4);

    page = ReadPage(std::string(kParseBytesMax, 'a'), kUrl, "");
    EXPECT_FALSE(page.cut);
}

TEST(ReadPage, OutputLimitsCutThePage) {
    std::string many;
    for (std::size_t i = 0; i < kBlocksMax + 10; ++i) {
        many += "<p>x";
    }
    Page page = ReadPage(many, kUrl, "");
    EXPECT_TRUE(page.cut);
    EXPECT_EQ(page.blocks.size(), kBlocksMax);

    std::string breaks = "<p>";
    for (std::size_t i = 0; i < kLinesMax + 10; ++i) {
        breaks += "x<br>";
    }
    page = ReadPage(breaks, kUrl, "");
    EXPECT_TRUE(page.cut);
    ASSERT_EQ(page.blocks.size(), 1u);
    EXPECT_EQ(page.blocks[0].lines.size(), kLinesMax);
}

}  // namespace
}  // namespace news
