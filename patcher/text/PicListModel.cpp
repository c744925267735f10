#include "patcher/text/PicListModel.h"

#include <algorithm>

void PicListModel::SetItem(int index, const std::string& text) {
    std::lock_guard<std::mutex> lock(mu_);
    if (index < 0) {
        return;
    }
    if (static_cast<size_t>(index) < items_.size()) {
        items_[static_cast<size_t>(index)] = text;
    } else {
        items_.push_back(text);
    }
}

void PicListModel::ResetContent() {
    std::lock_guard<std::mutex> lock(mu_);
    items_.clear();
    selected_ = 0;
    top_ = 0;
}

std::string PicListModel::GetText(int index) const {
    std::lock_guard<std::mutex> lock(mu_);
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) {
        return std::string();
    }
    return items_[static_cast<size_t>(index)];
}

int PicListModel::GetCount() const {
    std::lock_guard<std::mutex> lock(mu_);
    return static_cast<int>(items_.size());
}

void PicListModel::ClearSelection() {
    std::lock_guard<std::mutex> lock(mu_);
    selected_ = -1;
}

void PicListModel::SetCurSel(int index) {
    std::lock_guard<std::mutex> lock(mu_);
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        return;
    }
    selected_ = index;
    if (index < top_) {
        top_ = index;
    } else if (index >= top_ + visibleRows_) {
        top_ = index - visibleRows_ + 1;
    }
    bar_.pos = BarPositionLocked();
}

int PicListModel::GetCurSel() const {
    std::lock_guard<std::mutex> lock(mu_);
    return selected_;
}

int PicListModel::GetTopIndex() const {
    std::lock_guard<std::mutex> lock(mu_);
    return top_;
}

void PicListModel::SetVisibleRows(int rows) {
    std::lock_guard<std::mutex> lock(mu_);
    visibleRows_ = std::max(rows, 1);
}

void PicListModel::SetRowHeight(int height) {
    std::lock_guard<std::mutex> lock(mu_);
    rowHeight_ = height;
}

void PicListModel::SetWidth(int width) {
    std::lock_guard<std::mutex> lock(mu_);
    width_ = width;
}

void PicListModel::SetScrollBar(const ScrollBar& bar) {
    std::lock_guard<std::mutex> lock(mu_);
    bar_ = bar;
}

PicListModel::ScrollBar PicListModel::GetScrollBar() const {
    std::lock_guard<std::mutex> lock(mu_);
    return bar_;
}

void PicListModel::UpdateScrollState() {
    std::lock_guard<std::mutex> lock(mu_);
    int count = static_cast<int>(items_.size());
    top_ = std::clamp(top_, 0, std::max(count - visibleRows_, 0));
    bar_.pos = BarPositionLocked();
}

void PicListModel::OnScroll(int code, int position) {
    std::lock_guard<std::mutex> lock(mu_);
    int count = static_cast<int>(items_.size());
    int hidden = count - visibleRows_;  // rows that do not fit
    int span = bar_.max - bar_.min;
    switch (code) {
        case kScrollLineUp:
            top_ = std::max(top_ - 1, 0);
            bar_.pos = BarPositionLocked();
            break;
        case kScrollLineDown:
            if (hidden > 0) {
                top_ = std::min(top_ + 1, hidden);
                bar_.pos = BarPositionLocked();
            }
            break;
        case kScrollPageUp:
        case kScrollPageDown:
        case kScrollThumbTrack:
            if (hidden > 0 && span > 0) {
                int pos = std::clamp(position, bar_.min, bar_.max);
                top_ = std::clamp((pos - bar_.min) * hidden / span, 0, hidden);
                bar_.pos = pos;
            }
            break;
        default:
            break;  // thumb-position and end-scroll change nothing
    }
}

int PicListModel::RowAt(int x, int y) const {
    std::lock_guard<std::mutex> lock(mu_);
    return RowAtLocked(x, y);
}

int PicListModel::Click(int x, int y) {
    std::lock_guard<std::mutex> lock(mu_);
    selected_ = RowAtLocked(x, y);
    return selected_;
}

PicListModel::View PicListModel::Snapshot() const {
    std::lock_guard<std::mutex> lock(mu_);
    View v;
    v.items = items_;
    v.top = top_;
    v.selected = selected_;
    v.visibleRows = visibleRows_;
    v.rowHeight = rowHeight_;
    v.width = width_;
    v.bar = bar_;
    return v;
}

int PicListModel::BarPositionLocked() const {
    int hidden = static_cast<int>(items_.size()) - visibleRows_;
    // With every row in view there is nothing to scroll: the bar rests at
    // its start (and the division below would be by zero or negative).
    if (hidden <= 0) {
        return bar_.min;
    }
    return bar_.min + (bar_.max - bar_.min) * std::min(top_, hidden) / hidden;
}

int PicListModel::RowAtLocked(int x, int y) const {
    if (x < 0 || x > width_ || y < 0 || rowHeight_ <= 0) {
        return -1;
    }
    // A point on the line between two rows belongs to the upper one.
    int r = y == 0 ? 0 : (y - 1) / rowHeight_;
    if (r >= visibleRows_ || top_ + r >= static_cast<int>(items_.size())) {
        return -1;
    }
    return top_ + r;
}
