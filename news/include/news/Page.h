// The operator's web pages (the announcement and the update notes) as blocks
// of text for the patcher's own page view and for the console. A page is
// read with a real HTML5 parser, then reduced to headings, paragraphs and
// list items whose lines are runs of text, some of them links. Every text
// that leaves this module is GBK, as the rest of the patcher's text.
//
// Nothing here does I/O or keeps state; every function may be called from
// any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace news {

enum class BlockKind { kHeading, kParagraph, kListItem };

struct Span {
    std::string text;  // GBK; no '\n' inside (line breaks split spans, see Block)
    std::string link;  // absolute target (http/https/mailto), "" when the span is not a link
};

struct Block {
    BlockKind kind = BlockKind::kParagraph;
    int level = 0;         // headings 1..6; list items: nesting depth from 1; paragraphs 0
    bool ordered = false;  // list items of an <ol>
    int number = 0;        // their number in the <ol> (1-based unless the list starts elsewhere)
    // Lines of the block: each line is a run of spans; a <br> starts a new
    // line. A line may be empty (two <br> in a row); a block never is.
    std::vector<std::vector<Span>> lines;
};

struct Page {
    std::string title;  // GBK, from <title>, whitespace collapsed
    std::vector<Block> blocks;
    std::string charset;  // what the bytes were read as: "gbk" or "utf-8"
    // The page was longer than kParseBytesMax, or gave more than the output
    // limits below, and only its beginning is here.
    bool cut = false;
};

// Bytes of a page that are read; the rest is cut at a character boundary.
constexpr std::size_t kParseBytesMax = 512 * 1024;
// Elements nested deeper than this are read as their text only.
constexpr int kDepthMax = 128;
// Output limits, so that a hostile page stays small whatever its shape.
constexpr std::size_t kBlocksMax = 4096;
constexpr std::size_t kLinesMax = 16384;          // over all blocks
constexpr std::size_t kOutputBytesMax = 4 << 20;  // text and link targets of all spans
// Memory the parser may hold for one page; a page that needs more (markup
// that makes the parser copy large attributes again and again) is read
// again from a shorter beginning, and marked cut.
constexpr std::size_t kParserBytesMax = 64 * 1024 * 1024;
// Time the parser may take over one page, likewise. An ordinary page of
// kParseBytesMax takes a small fraction of it; only markup nested many
// thousand levels deep comes near.
constexpr int kParseMillisecondsMax = 3000;

// Reads an HTML page. pageUrl (the page's own address) resolves relative
// links: from http://h/a/b.html, "c.html" is http://h/a/c.html, "/x" is
// http://h/x and "//o/y" is http://o/y. A link to a fragment of the page
// itself ("#top"), or of any scheme other than http, https and mailto, is
// not a link: its text stays, plain. headerCharset is the charset of the
// HTTP Content-Type ("" when there was none).
Page ReadPage(std::string_view bytes, const std::string& pageUrl, const std::string& headerCharset);

// How the bytes are to be read, "gbk" or "utf-8": the header's charset if
// it names one of them (gb2312, gbk, gb18030 read as gbk; utf-8, utf8), else
// a <meta charset> or <meta http-equiv content="...charset="> within the
// first 1024 bytes, else utf-8 for a UTF-8 byte-order mark, else utf-8 when
// the bytes are valid UTF-8, else gbk.
std::string DetectCharset(std::string_view bytes, const std::string& headerCharset);

// The blocks as plain GBK text lines no wider than width columns (an ASCII
// byte is one column, a GBK character two, and one is never split): wrapped
// at spaces where possible, anywhere between characters otherwise; a blank
// line between blocks, but not between the items of a list; list items marked "- " or "N. " and
// indented two columns per level of nesting, their wrapped lines under their text; links as "text
// <target>" unless the text is the target. A width below 2 counts as 2. For the console and drevik
// --news.
std::vector<std::string> PageText(const std::vector<Block>& blocks, int width);

}  // namespace news
