// The rules of the skinned controls (CPicButtion, CPicList, CPicProgressCtrl,
// CPicScrollBar) that do not need a window: which picture a button shows,
// where a list paints its selection and rows, how much of a progress bar is
// filled, and the scroll bar's sprite cells, thumb and hit testing. The
// Windows controls ask these and draw what they answer; tests check them.
//
// Coordinates are client pixels of the control; rectangles are half-open
// (right and bottom are the first pixels outside), as Windows has them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "patcher/text/PicListModel.h"
#include "patcher/ui/SkinBitmap.h"

struct PicRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PicRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// ---- Colours and fonts ----

// COLORREF values (0x00BBGGRR).
constexpr uint32_t kButtonTextColour = 0xFFFFFF;  // a button's default: white
constexpr uint32_t kSkinTextColour = 0x55D9F5;    // RGB(245, 217, 85): labels, lists, fields
constexpr int kDefaultFontHeight = 12;
// Font heights a translation may ask for; others are typing errors and get
// the default.
constexpr int kFontHeightMin = 6;
constexpr int kFontHeightMax = 72;

// The font height from the text table's answer for "FontSize": the default
// when the table has no such key (the lookup answered the key itself) or
// gives no usable height, else its decimal value.
int FontHeightFromTable(const std::string& lookedUp);

// ---- CPicButtion ----

// The picture a button shows: disabled wins, then pressed (the item's
// selected state), then hover, else normal.
PictureState ButtonPicture(bool disabled, bool pressed, bool hover);

// The mouse state of a button: the first move over it asks the system for
// hover and leave reports and repaints; the hover report sets the hover
// flag; leaving clears both.
struct ButtonHoverState {
    bool tracking = false;
    bool hover = false;

    // Answers whether to ask for the reports (and repaint).
    bool OnMouseMove();
    void OnHover() { hover = true; }
    void OnLeave() { tracking = hover = false; }
};

// ---- CPicList ----

// Where a list paints: the selection bar (empty when the selection is not
// in view) and the text rectangle of each visible row, first row first.
struct ListPaint {
    PicRect selection;
    bool selectionVisible = false;
    std::vector<PicRect> rows;
    int firstRow = 0;  // index of the item in rows[0]
};
ListPaint LayoutList(const PicListModel::View& view, bool centred);

// ---- CPicProgressCtrl ----

class PicProgressModel {
public:
    // Stores the smaller of the two as the minimum.
    void SetRange(int a, int b);
    // 1, or 0 without change when p is outside the range.
    int SetPos(int p);
    int GetPos() const { return pos_; }
    int min() const { return min_; }
    int max() const { return max_; }
    // The filled width for a client width: width x (pos - min) / (max - min);
    // 0 for an empty range.
    int FillWidth(int clientWidth) const;

private:
    int min_ = 1;
    int max_ = 100;
    int pos_ = 0;
};

// ---- CPicScrollBar ----

// Parts of a scroll bar, numbered by the scroll code each sends.
enum class ScrollPart {
    kNone = -1,
    kLineUp = 0,
    kLineDown = 1,
    kPageUp = 2,
    kPageDown = 3,
    kThumb = 5
};
// The look of a part: its row (or column) in the sprite.
enum class PartState { kNormal = 0, kHover = 1, kPressed = 2 };

// Thumb and track are never shorter than this.
constexpr int kScrollMinLength = 6;

class PicScrollBarModel {
public:
    explicit PicScrollBarModel(bool vertical) : vertical_(vertical) {}

    bool vertical() const { return vertical_; }

    // The sprite's size: four cells along the bar (arrows, thumb, page
    // areas) and three states across, each cell one pixel apart. Gives the
    // cell length and thickness; a sprite too small for a cell gives 0.
    void SetSprite(const BitmapSize& size);
    int cellLength() const { return cellLength_; }
    int cellThickness() const { return cellThickness_; }

    // The part's cell of the sprite in a state (source rectangle).
    PicRect SourceRect(ScrollPart part, PartState state) const;
    // The sprite area stretched over the track behind the thumb.
    PicRect TrackSource() const;

    // The scroll information, kept by the bar. Positions run from min to
    // max (the page does not shorten the range: the list scrolls its last
    // rows into view at max).
    void SetRange(int min, int max);
    void SetPage(int page);
    void SetPos(int pos);
    int min() const { return min_; }
    int max() const { return max_; }
    int page() const { return page_; }
    int pos() const { return pos_; }

    // The geometry for a bar of this length (pixels along the bar).
    struct Layout {
        int arrow = 0;       // length of each arrow
        int track = 0;       // pixels between the arrows (at least kScrollMinLength)
        int thumb = 0;       // thumb length
        int thumbStart = 0;  // first pixel of the thumb along the bar
    };
    Layout Geometry(int length) const;
    // The part at a point along the bar.
    ScrollPart HitTest(int length, int along) const;
    // The position that puts the thumb's start at thumbStart (clamped to
    // the range), for dragging.
    int PosForThumbStart(int length, int thumbStart) const;
    // The position that centres the thumb on a point (clamped), for a click
    // on a page area.
    int PosAt(int length, int along) const;
    // The rectangle of a part in a bar of size width x height.
    PicRect PartRect(ScrollPart part, int width, int height) const;

private:
    bool vertical_;
    int cellLength_ = 0;
    int cellThickness_ = 0;
    int min_ = 0;
    int max_ = 100;
    int page_ = 0;
    int pos_ = 0;
};

// ---- The link-button row of the update window ----

// Link buttons stand in one row: the first starts at firstLeft, each next
// one at the previous start plus the width of the previous button's normal
// picture plus gap; the right edges are fixed. A missing picture counts as
// width 0; a button never ends before it starts.
std::vector<PicRect> LinkButtonRow(int firstLeft, int top, int bottom, int gap,
                                   const std::vector<int>& rightEdges,
                                   const std::vector<int>& pictureWidths);
