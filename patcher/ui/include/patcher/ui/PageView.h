// What the update window's two page panels show, without a window: a web
// page read into blocks (news::Page), laid out in the panel's width with
// the window's font, scrolled, and asked which link lies under the mouse.
// The panel also says when its page is still loading and why it could not
// be loaded; an empty address shows nothing. The Windows page view draws
// what this lays out; tests check it with a measure of their own.
//
// Coordinates are pixels: x from the panel's left, y from the page's top
// (LinkAt and the lines) or from the panel's top (PageViewModel's LinkAt).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "news/Page.h"

enum class PageRunStyle { kText, kHeading, kLink };

// A piece of a line drawn in one style: its text (GBK) starts at x and is
// width pixels wide.
struct PageRun {
    int x = 0;
    int width = 0;
    std::string text;
    PageRunStyle style = PageRunStyle::kText;
    int link = -1;  // index into PageLayout::links, -1 for text

    bool operator==(const PageRun& o) const {
        return x == o.x && width == o.width && text == o.text && style == o.style && link == o.link;
    }
};

struct PageLine {
    int y = 0;  // the line's top
    std::vector<PageRun> runs;
};

// The width of a GBK text drawn in a style, in pixels.
using PageMeasure = std::function<int(std::string_view gbk, PageRunStyle style)>;

struct PageViewStyle {
    int lineHeight = 16;  // of every line
    int blockGap = 4;     // space between blocks
    int indent = 14;      // per level of a list
    int wheelLines = 3;   // lines scrolled per notch of the wheel
};

struct PageLayout {
    std::vector<PageLine> lines;
    std::vector<std::string> links;  // the targets, in order of appearance
    int height = 0;                  // of everything laid out
    int lineHeight = 0;

    // The index of the link under (x, y) (page coordinates), or -1.
    int LinkAt(int x, int y) const;
};

// Lays the blocks out in width pixels: words are kept whole where they fit,
// a line breaks at spaces and between Chinese characters, a word wider than
// the panel breaks between its characters; a GBK character is never split.
// List items are indented by their depth behind a bullet or their number.
PageLayout LayOutPage(const std::vector<news::Block>& blocks, int width, const PageMeasure& measure,
                      const PageViewStyle& style = {});

enum class PageState {
    kEmpty,    // no address: nothing is shown
    kLoading,  // the page is on its way
    kLoaded,
    kFailed,  // the address and the reason are shown
};

class PageViewModel {
public:
    PageViewModel(int width, int height, PageMeasure measure, PageViewStyle style = {});

    // What the panel shows. Texts are GBK; the reason may be empty.
    void SetEmpty();
    void SetLoading(const std::string& url);
    void SetPage(const news::Page& page);
    void SetFailed(const std::string& url, const std::string& reasonGbk);
    // A narrower width (the scroll bar took its place) lays the page out
    // again.
    void SetWidth(int width);

    PageState state() const { return state_; }
    const PageLayout& layout() const { return layout_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The page's offset in the panel: 0 at the top, up to maxScroll().
    int scroll() const { return scroll_; }
    int maxScroll() const;
    // The page is taller than the panel: a scroll bar is shown.
    bool Scrollable() const { return maxScroll() > 0; }
    // Sets the offset, kept in range. True when it changed.
    bool ScrollTo(int offset);
    bool ScrollBy(int pixels) { return ScrollTo(scroll_ + pixels); }
    // A turn of the wheel: positive notches scroll up, as Windows counts
    // them. True when the offset changed.
    bool Wheel(int notches);

    // The target of the link at (x, y) of the panel, or "".
    std::string LinkAt(int x, int y) const;

private:
    void ShowMessage(const std::vector<std::string>& paragraphs);
    void LayOut();

    int width_;
    int height_;
    PageMeasure measure_;
    PageViewStyle style_;
    PageState state_ = PageState::kEmpty;
    std::vector<news::Block> blocks_;
    PageLayout layout_;
    int scroll_ = 0;
};
