// Reading a page: the bytes are cut to size and turned into UTF-8, gumbo
// parses them, and one walk over its tree (with a stack of our own, so a
// deep tree needs no deep call stack) builds the blocks, which are turned
// into GBK at the end.
//
// [SECTION] gumbo's memory: every allocation counted, freed all at once
// [SECTION] the walk: block and list contexts, whitespace, links
// [SECTION] ReadPage
#include <gumbo.h>

#include <chrono>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "Detail.h"
#include "news/Page.h"
#include "platform/text.h"

namespace news {
namespace {

// ---------------------------------------------------------------------------
// [SECTION] gumbo's memory
//
// gumbo's own clean-up walks the tree recursively, which a deep hostile page
// turns into a stack overflow, and some markup makes it copy a large
// attribute for every paragraph. So it allocates through us: each block is
// linked into a list, a page may hold no more than kParserBytesMax at once
// (and allocate no more than kParserAllocatedBytesMax in all), and the list
// is freed at the end without looking at the tree. When a page goes over,
// or takes longer than kParseMillisecondsMax, the allocation leaves the
// parser with longjmp: gumbo holds nothing but
// this memory, so dropping the whole list afterwards is a complete clean-up.

// Bytes gumbo may allocate over one parse, freed or not; it bounds the time
// a page can make it spend copying.
constexpr std::size_t kParserAllocatedBytesMax = 16 * kParserBytesMax;
// Allocations between two looks at the clock.
constexpr unsigned kAllocationsPerClockCheck = 256;

struct alignas(16) Allocation {
    Allocation* prev;
    Allocation* next;
    std::size_t size;
};

struct ParserMemory {
    Allocation list{&list, &list, 0};  // sentinel of the circular list
    std::size_t live = 0;
    std::size_t allocated = 0;
    std::chrono::steady_clock::time_point deadline;
    unsigned sinceClockCheck = 0;
    std::jmp_buf escape;

    ParserMemory() = default;
    ParserMemory(const ParserMemory&) = delete;
    ParserMemory& operator=(const ParserMemory&) = delete;
    ~ParserMemory() { FreeAll(); }

    void FreeAll() {
        Allocation* a = list.next;
        while (a != &list) {
            Allocation* next = a->next;
            std::free(a);
            a = next;
        }
        list.prev = list.next = &list;
        live = 0;
    }
};

// Only trivial objects live in these two: Allocate may leave by longjmp.
void* Allocate(void* userdata, size_t size) {
    ParserMemory* m = static_cast<ParserMemory*>(userdata);
    if (size > kParserBytesMax - m->live || size > kParserAllocatedBytesMax - m->allocated) {
        std::longjmp(m->escape, 1);
    }
    // Deep nesting makes gumbo search its long stack of open elements at
    // every tag; it allocates for every tag too, so here it can be stopped.
    if (++m->sinceClockCheck == kAllocationsPerClockCheck) {
        m->sinceClockCheck = 0;
        if (std::chrono::steady_clock::now() > m->deadline) {
            std::longjmp(m->escape, 1);
        }
    }
    Allocation* a = static_cast<Allocation*>(std::malloc(sizeof(Allocation) + size));
    if (a == nullptr) {
        std::longjmp(m->escape, 1);
    }
    a->size = size;
    a->prev = &m->list;
    a->next = m->list.next;
    m->list.next->prev = a;
    m->list.next = a;
    m->live += size;
    m->allocated += size;
    return a + 1;
}

void Deallocate(void* userdata, void* ptr) {
    if (ptr == nullptr) {
        return;
    }
    ParserMemory* m = static_cast<ParserMemory*>(userdata);
    Allocation* a = static_cast<Allocation*>(ptr) - 1;
    a->prev->next = a->next;
    a->next->prev = a->prev;
    m->live -= a->size;
    std::free(a);
}

// The parse, or null when the page needed more memory than it may have.
// Nothing with a destructor lives here, as the parse may end by longjmp.
GumboOutput* Parse(const char* utf8, std::size_t size, ParserMemory* memory) {
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &Allocate;
    options.deallocator = &Deallocate;
    options.userdata = memory;
    // The parse errors are of no use to a reader and only cost memory.
    options.max_errors = 0;
    if (setjmp(memory->escape) != 0) {
        return nullptr;
    }
    return gumbo_parse_with_options(&options, utf8, size);
}

// ---------------------------------------------------------------------------
// [SECTION] the walk

// Longest link target kept; a longer one would be copied into every span
// of its text. Its text stays, as plain text.
constexpr std::size_t kLinkBytesMax = 4096;
// Longest title kept (bytes of UTF-8).
constexpr std::size_t kTitleBytesMax = 1024;
// Spaces a tab in preformatted text stands for.
constexpr int kTabSpaces = 4;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

const char* Attribute(const GumboNode* node, const char* name) {
    const GumboAttribute* a = gumbo_get_attribute(&node->v.element.attributes, name);
    return a != nullptr ? a->value : nullptr;
}

// Elements whose content is not part of the page's text.
bool IsDropped(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_NOSCRIPT:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_FRAME:
        case GUMBO_TAG_FRAMESET:
        case GUMBO_TAG_NOFRAMES:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_OBJECT:
        case GUMBO_TAG_EMBED:
        case GUMBO_TAG_APPLET:
        case GUMBO_TAG_AUDIO:
        case GUMBO_TAG_VIDEO:
        case GUMBO_TAG_CANVAS:
        case GUMBO_TAG_MAP:
        case GUMBO_TAG_INPUT:
        case GUMBO_TAG_SELECT:
        case GUMBO_TAG_TEXTAREA:
        case GUMBO_TAG_BUTTON:
        case GUMBO_TAG_DATALIST:
        case GUMBO_TAG_OUTPUT:
        case GUMBO_TAG_KEYGEN:
        case GUMBO_TAG_PROGRESS:
        case GUMBO_TAG_METER:
        case GUMBO_TAG_SVG:
        case GUMBO_TAG_MATH:
        case GUMBO_TAG_RP:
        case GUMBO_TAG_RT:
            return true;
        default:
            return false;
    }
}

// Elements that end the text before them and start a new block, taking
// the kind of block they are in.
bool IsBlockBoundary(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_BLOCKQUOTE:
        case GUMBO_TAG_BODY:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_CENTER:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DETAILS:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_FIGCAPTION:
        case GUMBO_TAG_FIGURE:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_HGROUP:
        case GUMBO_TAG_HR:
        case GUMBO_TAG_HTML:
        case GUMBO_TAG_LEGEND:
        case GUMBO_TAG_MAIN:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_P:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_SUMMARY:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_TBODY:
        case GUMBO_TAG_THEAD:
        case GUMBO_TAG_TFOOT:
        case GUMBO_TAG_TR:
            return true;
        default:
            return false;
    }
}

bool IsPreformatted(GumboTag tag) {
    return tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_LISTING || tag == GUMBO_TAG_XMP ||
           tag == GUMBO_TAG_PLAINTEXT;
}

bool IsList(GumboTag tag) {
    return tag == GUMBO_TAG_UL || tag == GUMBO_TAG_OL || tag == GUMBO_TAG_MENU ||
           tag == GUMBO_TAG_DIR;
}

int HeadingLevel(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_H1:
            return 1;
        case GUMBO_TAG_H2:
            return 2;
        case GUMBO_TAG_H3:
            return 3;
        case GUMBO_TAG_H4:
            return 4;
        case GUMBO_TAG_H5:
            return 5;
        case GUMBO_TAG_H6:
            return 6;
        default:
            return 0;
    }
}

// The start attribute of an <ol>: a whole number, bounded so that counting
// on from it cannot overflow.
int ListStart(const char* value) {
    constexpr long kStartMax = 1000000000;
    if (value == nullptr) {
        return 1;
    }
    char* end = nullptr;
    long n = std::strtol(value, &end, 10);
    if (end == value || n < -kStartMax || n > kStartMax) {
        return 1;
    }
    return static_cast<int>(n);
}

// The text of a node's children, for <title>.
std::string ChildText(const GumboNode* node) {
    std::string text;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const GumboNode* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
            child->type == GUMBO_NODE_CDATA) {
            text += child->v.text.text;
        }
    }
    return text;
}

std::string CollapseSpaces(std::string_view text) {
    std::string out;
    bool space = false;
    for (char c : text) {
        if (IsSpace(c) || IsControl(c)) {
            space = !out.empty();
        } else {
            if (space) {
                out += ' ';
                space = false;
            }
            out += c;
        }
    }
    return out;
}

// word with each no-break space (&nbsp;, which GBK lacks) as a plain space
// that does not collapse.
std::string WithPlainSpaces(std::string_view word) {
    std::string out(word);
    std::size_t at = 0;
    while ((at = out.find("\xC2\xA0", at)) != std::string::npos) {
        out.replace(at, 2, " ");
        ++at;
    }
    return out;
}

class Walker {
public:
    explicit Walker(const std::string& pageUrl) : pageUrl_(pageUrl) {}

    // Builds the page's title and blocks (UTF-8) from the tree; false when
    // an output limit cut it short.
    bool Walk(const GumboNode* root);

    std::string title;
    std::vector<Block> blocks;

private:
    // What leaving an element undoes.
    enum Undo : unsigned {
        kEndsBlock = 1u << 0,
        kPopsContext = 1u << 1,
        kPopsList = 1u << 2,
        kPopsLink = 1u << 3,
        kPopsPre = 1u << 4,
        kLeavesHead = 1u << 5,
    };
    struct Frame {
        const GumboNode* node;
        unsigned next;  // index of the next child to visit
        unsigned undo;
    };
    struct List {
        bool ordered;
        int next;  // number of its next item
    };

    void Enter(const GumboNode* node, int depth);
    void Leave(const Frame& frame);
    void Text(std::string_view text);
    void Append(std::string_view text);
    bool OpenBlock();
    void NewLine();
    void EndBlock();
    bool Count(std::size_t bytes);

    const std::string& pageUrl_;
    std::vector<Frame> stack_;
    std::vector<Block> contexts_;  // the kinds of the blocks being read
    std::vector<List> lists_;
    std::vector<std::string> links_;  // "" for a span that is not a link
    int pre_ = 0;
    int head_ = 0;
    bool haveTitle_ = false;
    bool open_ = false;  // blocks.back() takes the text
    bool pendingSpace_ = false;
    bool full_ = false;  // an output limit was reached
    std::size_t lines_ = 0;
    std::size_t bytes_ = 0;
};

bool Walker::Walk(const GumboNode* root) {
    stack_.push_back({root, 0, 0});
    while (!stack_.empty() && !full_) {
        Frame& top = stack_.back();
        const GumboVector* children = nullptr;
        if (top.node->type == GUMBO_NODE_DOCUMENT) {
            children = &top.node->v.document.children;
        } else if (top.node->type == GUMBO_NODE_ELEMENT) {
            children = &top.node->v.element.children;
        }
        if (children == nullptr || top.next >= children->length) {
            Frame done = top;
            stack_.pop_back();
            Leave(done);
            continue;
        }
        const GumboNode* child = static_cast<const GumboNode*>(children->data[top.next++]);
        switch (child->type) {
            case GUMBO_NODE_ELEMENT:
                Enter(child, static_cast<int>(stack_.size()));
                break;
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA:
                if (head_ == 0) {
                    Text(child->v.text.text);
                }
                break;
            default:  // comments, templates (dropped), the document
                break;
        }
    }
    EndBlock();
    return !full_;
}

void Walker::Enter(const GumboNode* node, int depth) {
    const GumboElement& e = node->v.element;
    if (e.tag_namespace != GUMBO_NAMESPACE_HTML || IsDropped(e.tag)) {
        return;
    }
    if (e.tag == GUMBO_TAG_TITLE) {
        if (!haveTitle_) {
            haveTitle_ = true;
            std::string text = CollapseSpaces(ChildText(node));
            title = text.substr(0, detail::Utf8Fit(text, kTitleBytesMax));
        }
        return;
    }
    unsigned undo = 0;
    if (e.tag == GUMBO_TAG_HEAD) {
        ++head_;
        undo |= kLeavesHead;
    } else if (head_ > 0 || depth > kDepthMax) {
        // Inside head only the title counts; deep down only the text.
    } else if (e.tag == GUMBO_TAG_BR) {
        NewLine();
        return;
    } else if (e.tag == GUMBO_TAG_IMG) {
        if (const char* alt = Attribute(node, "alt")) {
            Text(alt);
        }
        return;
    } else if (e.tag == GUMBO_TAG_A) {
        const char* href = Attribute(node, "href");
        std::string link = href != nullptr ? detail::ResolveLink(pageUrl_, href) : "";
        links_.push_back(link.size() <= kLinkBytesMax ? link : "");
        undo |= kPopsLink;
    } else if (e.tag == GUMBO_TAG_TD || e.tag == GUMBO_TAG_TH) {
        // Cells of a row are words of one line.
        pendingSpace_ = open_ && !blocks.back().lines.back().empty();
    } else if (IsList(e.tag)) {
        EndBlock();
        lists_.push_back({e.tag == GUMBO_TAG_OL,
                          e.tag == GUMBO_TAG_OL ? ListStart(Attribute(node, "start")) : 1});
        undo |= kEndsBlock | kPopsList;
    } else if (e.tag == GUMBO_TAG_LI) {
        EndBlock();
        Block item;
        item.kind = BlockKind::kListItem;
        item.level = lists_.empty() ? 1 : static_cast<int>(lists_.size());
        if (!lists_.empty() && lists_.back().ordered) {
            item.ordered = true;
            item.number = lists_.back().next++;
        }
        contexts_.push_back(item);
        undo |= kEndsBlock | kPopsContext;
    } else if (int level = HeadingLevel(e.tag)) {
        EndBlock();
        Block heading;
        heading.kind = BlockKind::kHeading;
        heading.level = level;
        contexts_.push_back(heading);
        undo |= kEndsBlock | kPopsContext;
    } else if (IsPreformatted(e.tag)) {
        EndBlock();
        ++pre_;
        undo |= kEndsBlock | kPopsPre;
    } else if (IsBlockBoundary(e.tag)) {
        EndBlock();
        undo |= kEndsBlock;
    }
    stack_.push_back({node, 0, undo});
}

void Walker::Leave(const Frame& frame) {
    if (frame.undo & kEndsBlock) {
        EndBlock();
    }
    if (frame.undo & kPopsContext) {
        contexts_.pop_back();
    }
    if (frame.undo & kPopsList) {
        lists_.pop_back();
    }
    if (frame.undo & kPopsLink) {
        links_.pop_back();
    }
    if (frame.undo & kPopsPre) {
        --pre_;
    }
    if (frame.undo & kLeavesHead) {
        --head_;
    }
}

// Text as a browser lays it out: outside <pre> every run of white space is
// one space, and none starts or ends a line; inside, spaces stay and line
// breaks break lines. Other control characters are not shown.
void Walker::Text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && !full_) {
        char c = text[i];
        if (pre_ > 0 && c == '\n') {
            NewLine();
            ++i;
        } else if (pre_ > 0 && (c == ' ' || c == '\t')) {
            Append(c == ' ' ? std::string_view(" ") : std::string_view("        ", kTabSpaces));
            ++i;
        } else if (IsSpace(c)) {
            pendingSpace_ = pendingSpace_ || (open_ && !blocks.back().lines.back().empty());
            ++i;
        } else if (IsControl(c)) {
            ++i;
        } else {
            std::size_t end = i;
            while (end < text.size() && !IsSpace(text[end]) && !IsControl(text[end])) {
                ++end;
            }
            Append(WithPlainSpaces(text.substr(i, end - i)));
            i = end;
        }
    }
}

// Appends a word (or preformatted spaces) to the current line, after the
// pending space if there is one, to the span of the current link.
void Walker::Append(std::string_view text) {
    if (!OpenBlock()) {
        return;
    }
    static const std::string kNoLink;
    const std::string& link = links_.empty() ? kNoLink : links_.back();
    std::vector<Span>& line = blocks.back().lines.back();
    std::string word;
    if (pendingSpace_ && !line.empty()) {
        // The space joins a span that is not a link, so a link's text stays
        // exactly its own.
        if (line.back().link.empty() || line.back().link == link) {
            line.back().text += ' ';
        } else if (link.empty()) {
            word = " ";
        } else {
            line.push_back({" ", ""});
        }
        Count(1);
    }
    pendingSpace_ = false;
    word.append(text.data(), text.size());
    if (!line.empty() && line.back().link == link) {
        line.back().text += word;
        Count(word.size());
    } else {
        line.push_back({word, link});
        Count(word.size() + link.size());
    }
}

bool Walker::OpenBlock() {
    if (open_) {
        return true;
    }
    if (blocks.size() >= kBlocksMax || lines_ >= kLinesMax) {
        full_ = true;
        return false;
    }
    blocks.push_back(contexts_.empty() ? Block() : contexts_.back());
    blocks.back().lines.emplace_back();
    ++lines_;
    open_ = true;
    return true;
}

void Walker::NewLine() {
    if (!OpenBlock()) {
        return;
    }
    if (lines_ >= kLinesMax) {
        full_ = true;
        return;
    }
    blocks.back().lines.emplace_back();
    ++lines_;
    pendingSpace_ = false;
}

// Closes the current block: a line break at its end shows nothing, and a
// block without text is no block.
void Walker::EndBlock() {
    pendingSpace_ = false;
    if (!open_) {
        return;
    }
    open_ = false;
    std::vector<std::vector<Span>>& lines = blocks.back().lines;
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
        --lines_;
    }
    bool blank = true;
    for (const std::vector<Span>& line : lines) {
        for (const Span& span : line) {
            blank = blank && span.text.find_first_not_of(' ') == std::string::npos;
        }
    }
    if (blank) {
        lines_ -= lines.size();
        blocks.pop_back();
    }
}

bool Walker::Count(std::size_t bytes) {
    bytes_ += bytes;
    if (bytes_ > kOutputBytesMax) {
        full_ = true;
    }
    return !full_;
}

// Where to cut bytes read as charset to at most limit bytes.
std::size_t CutPoint(std::string_view bytes, const std::string& charset, std::size_t limit) {
    if (bytes.size() <= limit) {
        return bytes.size();
    }
    return charset == "gbk" ? platform::GbkFit(bytes, limit) : detail::Utf8Fit(bytes, limit);
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] ReadPage

Page ReadPage(std::string_view bytes, const std::string& pageUrl,
              const std::string& headerCharset) {
    Page page;
    // The charset is decided on what will be read, so that a UTF-8
    // character split by the cut does not make the page look like GBK.
    std::string_view head = bytes.substr(0, CutPoint(bytes, "utf-8", kParseBytesMax));
    page.charset = DetectCharset(head, headerCharset);
    std::size_t size = CutPoint(bytes, page.charset, kParseBytesMax);
    page.cut = size < bytes.size();

    for (;;) {
        std::string_view text = bytes.substr(0, size);
        std::string utf8;
        if (page.charset == "gbk") {
            utf8 = platform::GbkToUtf8(text);
        } else {
            if (text.substr(0, 3) == "\xEF\xBB\xBF") {
                text.remove_prefix(3);
            }
            utf8 = detail::SanitizeUtf8(text);
        }
        ParserMemory memory;
        memory.deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kParseMillisecondsMax);
        GumboOutput* output = Parse(utf8.data(), utf8.size(), &memory);
        if (output == nullptr) {
            // Too costly to parse whole: read a shorter beginning (the
            // costly shapes cost more than in proportion to their length).
            page.cut = true;
            size = CutPoint(bytes, page.charset, size / 4);
            if (size == 0) {
                return page;
            }
            continue;
        }
        Walker walker(pageUrl);
        if (!walker.Walk(output->document)) {
            page.cut = true;
        }
        // The tree lives in memory, which frees it as a whole.
        page.title = platform::Utf8ToGbk(walker.title);
        page.blocks = std::move(walker.blocks);
        break;
    }
    for (Block& block : page.blocks) {
        for (std::vector<Span>& line : block.lines) {
            for (Span& span : line) {
                span.text = platform::Utf8ToGbk(span.text);
            }
        }
    }
    return page;
}

}  // namespace news
