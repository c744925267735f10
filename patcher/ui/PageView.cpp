#include "patcher/ui/PageView.h"

#include <algorithm>
#include <utility>

#include "patcher/text/LocalText.h"
#include "platform/text.h"

namespace {

// A piece the lines are made of: a word, a space or one Chinese character,
// in the style and link of its span.
struct Token {
    std::string text;
    bool space = false;
    bool breakable = false;  // a line may break before it (a character, not a word's middle)
    PageRunStyle style = PageRunStyle::kText;
    int link = -1;
};

// The length of the character at text[i]: two bytes for a GBK lead byte
// with a byte after it, one otherwise.
size_t CharLength(std::string_view text, size_t i) {
    return platform::IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2
                                                                                               : 1;
}

void Tokenise(const std::string& text, PageRunStyle style, int link, std::vector<Token>& out) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            while (i < text.size() &&
                   (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
                ++i;
            }
            out.push_back(Token{" ", true, true, style, link});
            continue;
        }
        size_t n = CharLength(text, i);
        if (n == 2) {
            out.push_back(Token{text.substr(i, 2), false, true, style, link});
            i += 2;
            continue;
        }
        // An ASCII word: up to a space or a Chinese character.
        size_t end = i;
        while (end < text.size()) {
            unsigned char e = static_cast<unsigned char>(text[end]);
            if (e == ' ' || e == '\t' || e == '\r' || e == '\n' || CharLength(text, end) == 2) {
                break;
            }
            ++end;
        }
        // A word directly after another piece (no space between) may not
        // start a line of its own.
        bool after = !out.empty() && !out.back().space;
        out.push_back(Token{text.substr(i, end - i), false, !after, style, link});
        i = end;
    }
}

class LineBuilder {
public:
    LineBuilder(PageLayout& layout, int width, const PageMeasure& measure, int lineHeight)
        : layout_(layout), width_(width), measure_(measure), lineHeight_(lineHeight) {}

    // Starts a line whose text begins at x.
    void Begin(int x) {
        layout_.lines.push_back(PageLine{layout_.height, {}});
        layout_.height += lineHeight_;
        start_ = x;
        x_ = x;
    }
    bool Empty() const { return layout_.lines.back().runs.empty(); }
    int Room() const { return width_ - x_; }
    int start() const { return start_; }

    void Put(const std::string& text, PageRunStyle style, int link, int width) {
        std::vector<PageRun>& runs = layout_.lines.back().runs;
        if (!runs.empty() && runs.back().style == style && runs.back().link == link &&
            runs.back().x + runs.back().width == x_) {
            runs.back().text += text;
            runs.back().width += width;
        } else {
            runs.push_back(PageRun{x_, width, text, style, link});
        }
        x_ += width;
    }

    // Drops a space the line ends with.
    void TrimEnd() {
        std::vector<PageRun>& runs = layout_.lines.back().runs;
        if (!runs.empty() && !runs.back().text.empty() && runs.back().text.back() == ' ') {
            runs.back().text.pop_back();
            runs.back().width = measure_(runs.back().text, runs.back().style);
            if (runs.back().text.empty()) {
                runs.pop_back();
            }
        }
    }

private:
    PageLayout& layout_;
    int width_;
    const PageMeasure& measure_;
    int lineHeight_;
    int start_ = 0;
    int x_ = 0;
};

// Puts a word too wide for any line character by character, breaking
// where the line is full (at least one character per line).
void PutSplit(LineBuilder& lines, const Token& t, const PageMeasure& measure) {
    size_t i = 0;
    while (i < t.text.size()) {
        size_t n = CharLength(t.text, i);
        std::string piece = t.text.substr(i, n);
        int w = measure(piece, t.style);
        if (w > lines.Room() && !lines.Empty()) {
            lines.TrimEnd();
            lines.Begin(lines.start());
        }
        lines.Put(piece, t.style, t.link, w);
        i += n;
    }
}

void LayOutLine(LineBuilder& lines, const std::vector<Token>& tokens, const PageMeasure& measure,
                int fullWidth) {
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (t.space && lines.Empty()) {
            continue;  // no line starts with a space
        }
        // A word glued to the one before breaks with it: measure the group.
        int w = measure(t.text, t.style);
        int group = w;
        for (size_t j = k + 1; !t.space && j < tokens.size() && !tokens[j].breakable; ++j) {
            group += measure(tokens[j].text, tokens[j].style);
        }
        if (group <= lines.Room()) {
            lines.Put(t.text, t.style, t.link, w);
            continue;
        }
        if (t.space) {
            lines.Begin(lines.start());  // the space ends the line
            continue;
        }
        if (!lines.Empty() && t.breakable) {
            lines.TrimEnd();
            lines.Begin(lines.start());
        }
        if (w <= lines.Room()) {
            lines.Put(t.text, t.style, t.link, w);
        } else if (w <= fullWidth - lines.start() && t.breakable) {
            lines.TrimEnd();
            lines.Begin(lines.start());
            lines.Put(t.text, t.style, t.link, w);
        } else {
            PutSplit(lines, t, measure);
        }
    }
}

std::string Bullet(const news::Block& block) {
    if (block.ordered) {
        return std::to_string(std::max(block.number, 0)) + ". ";
    }
    return std::string(GBK("·")) + " ";
}

}  // namespace

int PageLayout::LinkAt(int x, int y) const {
    for (const PageLine& line : lines) {
        if (y < line.y || y >= line.y + lineHeight) {
            continue;
        }
        for (const PageRun& run : line.runs) {
            if (run.link >= 0 && x >= run.x && x < run.x + run.width) {
                return run.link;
            }
        }
    }
    return -1;
}

PageLayout LayOutPage(const std::vector<news::Block>& blocks, int width, const PageMeasure& measure,
                      const PageViewStyle& style) {
    PageLayout layout;
    layout.lineHeight = style.lineHeight;
    LineBuilder lines(layout, width, measure, style.lineHeight);
    bool first = true;
    for (const news::Block& block : blocks) {
        if (!first) {
            layout.height += style.blockGap;
        }
        first = false;
        PageRunStyle base =
            block.kind == news::BlockKind::kHeading ? PageRunStyle::kHeading : PageRunStyle::kText;
        int indent = 0;
        std::string bullet;
        if (block.kind == news::BlockKind::kListItem) {
            indent = std::min(std::max(block.level - 1, 0) * style.indent, width / 2);
            bullet = Bullet(block);
        }
        int textX = indent;
        if (!bullet.empty()) {
            textX = std::min(indent + measure(bullet, base), width / 2);
        }
        for (size_t l = 0; l < block.lines.size(); ++l) {
            std::vector<Token> tokens;
            for (const news::Span& span : block.lines[l]) {
                int link = -1;
                PageRunStyle runStyle = base;
                if (!span.link.empty()) {
                    auto known = std::find(layout.links.begin(), layout.links.end(), span.link);
                    link = static_cast<int>(known - layout.links.begin());
                    if (known == layout.links.end()) {
                        layout.links.push_back(span.link);
                    }
                    runStyle = PageRunStyle::kLink;
                }
                Tokenise(span.text, runStyle, link, tokens);
            }
            lines.Begin(textX);
            if (l == 0 && !bullet.empty()) {
                // The bullet hangs left of the text.
                layout.lines.back().runs.push_back(
                    PageRun{indent, textX - indent, bullet, base, -1});
            }
            LayOutLine(lines, tokens, measure, width);
            lines.TrimEnd();
        }
    }
    return layout;
}

PageViewModel::PageViewModel(int width, int height, PageMeasure measure, PageViewStyle style)
    : width_(std::max(width, 1)),
      height_(std::max(height, 0)),
      measure_(std::move(measure)),
      style_(style) {}

void PageViewModel::SetEmpty() {
    state_ = PageState::kEmpty;
    blocks_.clear();
    LayOut();
}

void PageViewModel::ShowMessage(const std::vector<std::string>& paragraphs) {
    blocks_.clear();
    for (const std::string& text : paragraphs) {
        news::Block block;
        block.lines.push_back({news::Span{text, ""}});
        blocks_.push_back(std::move(block));
    }
    LayOut();
}

void PageViewModel::SetLoading(const std::string& url) {
    state_ = PageState::kLoading;
    ShowMessage({GetLocalText(GBK("正在载入网页……")), url});
}

void PageViewModel::SetPage(const news::Page& page) {
    state_ = PageState::kLoaded;
    blocks_ = page.blocks;
    LayOut();
}

void PageViewModel::SetFailed(const std::string& url, const std::string& reasonGbk) {
    state_ = PageState::kFailed;
    std::vector<std::string> paragraphs{GetLocalText(GBK("网页无法打开：")), url};
    if (!reasonGbk.empty()) {
        paragraphs.push_back(reasonGbk);
    }
    ShowMessage(paragraphs);
}

void PageViewModel::SetWidth(int width) {
    width = std::max(width, 1);
    if (width != width_) {
        width_ = width;
        LayOut();
    }
}

void PageViewModel::LayOut() {
    layout_ = LayOutPage(blocks_, width_, measure_, style_);
    scroll_ = 0;
}

int PageViewModel::maxScroll() const {
    return std::max(layout_.height - height_, 0);
}

bool PageViewModel::ScrollTo(int offset) {
    offset = std::clamp(offset, 0, maxScroll());
    if (offset == scroll_) {
        return false;
    }
    scroll_ = offset;
    return true;
}

bool PageViewModel::Wheel(int notches) {
    return ScrollBy(-notches * style_.wheelLines * style_.lineHeight);
}

std::string PageViewModel::LinkAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    int link = layout_.LinkAt(x, y + scroll_);
    return link < 0 ? std::string() : layout_.links[static_cast<size_t>(link)];
}
