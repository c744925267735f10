#include "patcher/ui/PicControlRules.h"

#include <algorithm>

#include "patcher/ui/ClientOptions.h"

int FontHeightFromTable(const std::string& lookedUp) {
    if (lookedUp == "FontSize") {
        return kDefaultFontHeight;
    }
    int64_t n = OptionNumber(lookedUp);
    if (n < kFontHeightMin || n > kFontHeightMax) {
        return kDefaultFontHeight;
    }
    return static_cast<int>(n);
}

PictureState ButtonPicture(bool disabled, bool pressed, bool hover) {
    if (disabled) {
        return PictureState::kDisabled;
    }
    if (pressed) {
        return PictureState::kPressed;
    }
    return hover ? PictureState::kHover : PictureState::kNormal;
}

bool ButtonHoverState::OnMouseMove() {
    if (tracking) {
        return false;
    }
    tracking = true;
    return true;
}

ListPaint LayoutList(const PicListModel::View& view, bool centred) {
    ListPaint p;
    p.firstRow = view.top;
    int h = view.rowHeight;
    if (view.selected >= view.top && view.selected < view.top + view.visibleRows) {
        int y = (view.selected - view.top) * h + (centred ? 0 : 2);
        p.selection = {1, y, 1 + std::max(view.width - 2, 0), y + h};
        p.selectionVisible = true;
    }
    int count = static_cast<int>(view.items.size());
    for (int r = 0; r < view.visibleRows && view.top + r < count; ++r) {
        if (view.top + r < 0) {
            continue;
        }
        p.rows.push_back({0, r * h, view.width, (r + 1) * h});
    }
    return p;
}

void PicProgressModel::SetRange(int a, int b) {
    min_ = std::min(a, b);
    max_ = std::max(a, b);
}

int PicProgressModel::SetPos(int p) {
    if (p < min_ || p > max_) {
        return 0;
    }
    pos_ = p;
    return 1;
}

int PicProgressModel::FillWidth(int clientWidth) const {
    int64_t span = int64_t(max_) - min_;
    if (span <= 0 || clientWidth <= 0) {
        return 0;
    }
    // The position counts from the minimum, so a range that does not start
    // at 0 still fills from nothing to the whole width.
    int64_t done = std::clamp<int64_t>(int64_t(pos_) - min_, 0, span);
    return static_cast<int>(clientWidth * done / span);
}

void PicScrollBarModel::SetSprite(const BitmapSize& size) {
    int along = vertical_ ? size.height : size.width;
    int across = vertical_ ? size.width : size.height;
    cellLength_ = std::max((along - 4) / 4, 0);
    cellThickness_ = std::max((across - 3) / 3, 0);
}

PicRect PicScrollBarModel::SourceRect(ScrollPart part, PartState state) const {
    int cell = 0;
    switch (part) {
        case ScrollPart::kLineUp:
            cell = 0;
            break;
        case ScrollPart::kLineDown:
            cell = 1;
            break;
        case ScrollPart::kThumb:
            cell = 2;
            break;
        case ScrollPart::kPageUp:
        case ScrollPart::kPageDown:
            cell = 3;
            break;
        case ScrollPart::kNone:
            return {};
    }
    int l = cellLength_;
    int t = cellThickness_;
    int s = static_cast<int>(state);
    int alongStart = cell * (l + 1);
    int acrossStart = s * (t + 1);
    if (vertical_) {
        return {acrossStart, alongStart, acrossStart + t, alongStart + l};
    }
    return {alongStart, acrossStart, alongStart + l, acrossStart + t};
}

PicRect PicScrollBarModel::TrackSource() const {
    int l = cellLength_;
    int t = cellThickness_;
    if (vertical_) {
        return {0, 3 * l + 3, 3 * t + 3, 4 * l + 3};
    }
    return {3 * l + 3, 0, 4 * l + 3, 3 * t + 3};
}

void PicScrollBarModel::SetRange(int min, int max) {
    min_ = std::min(min, max);
    max_ = std::max(min, max);
    SetPos(pos_);
}

void PicScrollBarModel::SetPage(int page) {
    page_ = std::max(page, 0);
}

void PicScrollBarModel::SetPos(int pos) {
    pos_ = std::clamp(pos, min_, max_);
}

PicScrollBarModel::Layout PicScrollBarModel::Geometry(int length) const {
    Layout g;
    g.arrow = cellLength_;
    g.track = std::max(length - 2 * cellLength_, kScrollMinLength);
    int64_t span = int64_t(max_) - min_;
    if (span <= 0 || page_ >= span) {
        g.thumb = g.track;  // everything in view: the thumb fills the track
    } else {
        g.thumb =
            static_cast<int>(std::max<int64_t>(g.track * int64_t(page_) / span, kScrollMinLength));
        g.thumb = std::min(g.thumb, g.track);
    }
    int64_t offset = span <= 0 ? 0 : (g.track - g.thumb) * (int64_t(pos_) - min_) / span;
    g.thumbStart = g.arrow + static_cast<int>(offset);
    return g;
}

ScrollPart PicScrollBarModel::HitTest(int length, int along) const {
    if (along < 0 || along >= length) {
        return ScrollPart::kNone;
    }
    Layout g = Geometry(length);
    if (along < g.arrow) {
        return ScrollPart::kLineUp;
    }
    if (along >= length - g.arrow) {
        return ScrollPart::kLineDown;
    }
    if (along < g.thumbStart) {
        return ScrollPart::kPageUp;
    }
    if (along < g.thumbStart + g.thumb) {
        return ScrollPart::kThumb;
    }
    return ScrollPart::kPageDown;
}

int PicScrollBarModel::PosForThumbStart(int length, int thumbStart) const {
    Layout g = Geometry(length);
    int free = g.track - g.thumb;
    if (free <= 0) {
        return min_;
    }
    int64_t offset = std::clamp(thumbStart - g.arrow, 0, free);
    int64_t span = int64_t(max_) - min_;
    // Rounded up: the smallest position that draws the thumb at this
    // pixel, so the thumb stays where the mouse put it.
    return static_cast<int>(min_ + (offset * span + free - 1) / free);
}

int PicScrollBarModel::PosAt(int length, int along) const {
    return PosForThumbStart(length, along - Geometry(length).thumb / 2);
}

PicRect PicScrollBarModel::PartRect(ScrollPart part, int width, int height) const {
    int length = vertical_ ? height : width;
    int across = vertical_ ? width : height;
    Layout g = Geometry(length);
    int a = 0;
    int b = 0;
    switch (part) {
        case ScrollPart::kLineUp:
            a = 0;
            b = g.arrow;
            break;
        case ScrollPart::kLineDown:
            a = length - g.arrow;
            b = length;
            break;
        case ScrollPart::kPageUp:
            a = g.arrow;
            b = g.thumbStart;
            break;
        case ScrollPart::kPageDown:
            a = g.thumbStart + g.thumb;
            b = length - g.arrow;
            break;
        case ScrollPart::kThumb:
            a = g.thumbStart;
            b = g.thumbStart + g.thumb;
            break;
        case ScrollPart::kNone:
            return {};
    }
    if (vertical_) {
        return {0, a, across, b};
    }
    return {a, 0, b, across};
}

std::vector<PicRect> LinkButtonRow(int firstLeft, int top, int bottom, int gap,
                                   const std::vector<int>& rightEdges,
                                   const std::vector<int>& pictureWidths) {
    std::vector<PicRect> row;
    int left = firstLeft;
    for (size_t i = 0; i < rightEdges.size(); ++i) {
        int right = std::max(rightEdges[i], left);
        row.push_back({left, top, right, bottom});
        int width = i < pictureWidths.size() ? std::max(pictureWidths[i], 0) : 0;
        left += width + gap;
    }
    return row;
}
