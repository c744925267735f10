// What the picture list (CPicList) shows, without a window: its rows, the
// selected row, the first visible row and the attached scroll bar's state.
// The Windows control draws it; the console front end prints it; the server
// list is built into it from a worker thread while the UI thread reads it,
// so every operation takes the model's own lock.
//
// Rows are GBK texts. Coordinates are client pixels of the list.
#pragma once

#include <mutex>
#include <string>
#include <vector>

// Scroll codes, as the scroll bar reports them (the Windows SB_* values).
constexpr int kScrollLineUp = 0;
constexpr int kScrollLineDown = 1;
constexpr int kScrollPageUp = 2;
constexpr int kScrollPageDown = 3;
constexpr int kScrollThumbPosition = 4;
constexpr int kScrollThumbTrack = 5;
constexpr int kScrollEnd = 8;

class PicListModel {
public:
    static constexpr int kDefaultVisibleRows = 6;

    // The attached scroll bar: range min..max, page, position.
    struct ScrollBar {
        int min = 0;
        int max = 100;
        int page = 25;
        int pos = 0;
    };

    // A consistent copy of everything, for drawing.
    struct View {
        std::vector<std::string> items;
        int top = 0;
        int selected = -1;
        int visibleRows = kDefaultVisibleRows;
        int rowHeight = 0;
        int width = 0;
        ScrollBar bar;
    };

    // Replaces the text of an existing row, or appends one when index is at
    // or past the end; a negative index is ignored.
    void SetItem(int index, const std::string& text);
    // Removes every row; the selection becomes 0 (not -1: a rebuilt list
    // preselects its first row) and the top row 0.
    void ResetContent();
    // The row's text; "" for an index outside the rows.
    std::string GetText(int index) const;
    int GetCount() const;

    // Selects index and scrolls the least needed to show it, then moves the
    // bar to match. Ignored when index is outside the rows.
    void SetCurSel(int index);
    // No row is selected any more (-1).
    void ClearSelection();
    // The selected row, -1 for none. May name a row that does not exist
    // (0 in an empty list, after ResetContent).
    int GetCurSel() const;
    int GetTopIndex() const;

    void SetVisibleRows(int rows);  // at least 1
    void SetRowHeight(int height);
    void SetWidth(int width);
    void SetScrollBar(const ScrollBar& bar);
    ScrollBar GetScrollBar() const;

    // Brings the bar in line with the rows after they changed: the top row
    // stays within the rows and the bar's position follows it.
    void UpdateScrollState();

    // A scroll code from the attached bar, with the position the bar sent
    // (page codes and thumb-track carry one).
    void OnScroll(int code, int position);

    // The row under a point, -1 for none.
    int RowAt(int x, int y) const;
    // A click: selects the row under the point, or clears the selection (-1)
    // when there is none. Answers the new selection.
    int Click(int x, int y);

    View Snapshot() const;

private:
    int BarPositionLocked() const;  // the bar position that shows top_
    int RowAtLocked(int x, int y) const;

    mutable std::mutex mu_;
    std::vector<std::string> items_;
    int top_ = 0;
    int selected_ = -1;
    int visibleRows_ = kDefaultVisibleRows;
    int rowHeight_ = 20;
    int width_ = 183;
    ScrollBar bar_;
};
