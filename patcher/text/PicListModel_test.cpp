#include "patcher/text/PicListModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

void Fill(PicListModel& m, int n) {
    for (int i = 0; i < n; ++i) {
        m.SetItem(i, "row" + std::to_string(i));
    }
}

TEST(PicListModel, ItemsAreReplacedOrAppended) {
    PicListModel m;
    m.SetItem(0, "a");
    m.SetItem(5, "b");  // past the end: appended, not placed at 5
    m.SetItem(0, "c");
    m.SetItem(-1, "ignored");
    EXPECT_EQ(m.GetCount(), 2);
    EXPECT_EQ(m.GetText(0), "c");
    EXPECT_EQ(m.GetText(1), "b");
    EXPECT_EQ(m.GetText(2), "");
    EXPECT_EQ(m.GetText(-1), "");
    EXPECT_EQ(m.GetCurSel(), -1);

    m.ResetContent();
    EXPECT_EQ(m.GetCount(), 0);
    EXPECT_EQ(m.GetCurSel(), 0);  // a cleared list has its first row selected
    EXPECT_EQ(m.GetTopIndex(), 0);
}

TEST(PicListModel, SelectingScrollsTheLeastNeeded) {
    PicListModel m;
    Fill(m, 10);
    m.SetCurSel(10);  // outside the rows: ignored
    m.SetCurSel(-1);
    EXPECT_EQ(m.GetCurSel(), -1);

    m.SetCurSel(8);  // below the view: becomes the last visible row
    EXPECT_EQ(m.GetCurSel(), 8);
    EXPECT_EQ(m.GetTopIndex(), 3);
    EXPECT_EQ(m.GetScrollBar().pos, 75);  // top 3 of 4

    m.SetCurSel(5);  // in view: nothing moves
    EXPECT_EQ(m.GetTopIndex(), 3);
    m.SetCurSel(1);  // above the view: becomes the top row
    EXPECT_EQ(m.GetTopIndex(), 1);
    EXPECT_EQ(m.GetScrollBar().pos, 25);
}

TEST(PicListModel, AListThatFitsKeepsTheBarAtItsStart) {
    // With no hidden rows the bar position has nothing to divide by.
    for (int n : {1, 5, 6}) {
        PicListModel m;
        Fill(m, n);
        m.SetScrollBar({10, 110, 25, 60});
        m.SetCurSel(n - 1);
        EXPECT_EQ(m.GetTopIndex(), 0) << n;
        EXPECT_EQ(m.GetScrollBar().pos, 10) << n;
        m.OnScroll(kScrollLineDown, 0);
        m.OnScroll(kScrollPageDown, 110);
        m.OnScroll(kScrollThumbTrack, 110);
        EXPECT_EQ(m.GetTopIndex(), 0) << n;
    }
}

TEST(PicListModel, ScrollCodesMoveTheTopRowWithinTheRows) {
    PicListModel m;
    Fill(m, 10);  // 4 rows hidden, bar 0..100
    m.OnScroll(kScrollLineUp, 0);
    EXPECT_EQ(m.GetTopIndex(), 0);
    for (int i = 0; i < 6; ++i) {
        m.OnScroll(kScrollLineDown, 0);
    }
    EXPECT_EQ(m.GetTopIndex(), 4);
    EXPECT_EQ(m.GetScrollBar().pos, 100);
    m.OnScroll(kScrollLineUp, 0);
    EXPECT_EQ(m.GetTopIndex(), 3);
    EXPECT_EQ(m.GetScrollBar().pos, 75);

    m.OnScroll(kScrollThumbTrack, 50);
    EXPECT_EQ(m.GetTopIndex(), 2);
    EXPECT_EQ(m.GetScrollBar().pos, 50);
    m.OnScroll(kScrollPageUp, 10);
    EXPECT_EQ(m.GetTopIndex(), 0);
    EXPECT_EQ(m.GetScrollBar().pos, 10);
    m.OnScroll(kScrollPageDown, 1000);  // clamped to the range
    EXPECT_EQ(m.GetTopIndex(), 4);
    EXPECT_EQ(m.GetScrollBar().pos, 100);
    m.OnScroll(kScrollThumbPosition, 0);
    m.OnScroll(kScrollEnd, 0);
    EXPECT_EQ(m.GetTopIndex(), 4);
}

TEST(PicListModel, UpdateScrollStateFollowsTheRowsAddedAfterASelection) {
    PicListModel m;
    Fill(m, 8);
    m.SetCurSel(7);  // top 2 of 2 hidden rows: bar at the end
    EXPECT_EQ(m.GetScrollBar().pos, 100);
    m.SetItem(8, "x");
    m.SetItem(9, "y");
    m.UpdateScrollState();  // top 2 of 4 now
    EXPECT_EQ(m.GetTopIndex(), 2);
    EXPECT_EQ(m.GetScrollBar().pos, 50);
}

TEST(PicListModel, ClicksHitRowsBelowTheTopRow) {
    PicListModel m;
    Fill(m, 10);  // rows 20 high, 183 wide
    m.OnScroll(kScrollLineDown, 0);
    EXPECT_EQ(m.RowAt(0, 0), 1);
    EXPECT_EQ(m.RowAt(183, 20), 1);  // the line between two rows is the upper row's
    EXPECT_EQ(m.RowAt(10, 21), 2);
    EXPECT_EQ(m.RowAt(10, 119), 6);
    EXPECT_EQ(m.RowAt(10, 121), -1);  // past the visible rows
    EXPECT_EQ(m.RowAt(184, 10), -1);
    EXPECT_EQ(m.RowAt(-1, 10), -1);
    EXPECT_EQ(m.Click(10, 45), 3);
    EXPECT_EQ(m.GetCurSel(), 3);
    EXPECT_EQ(m.Click(10, 500), -1);  // no row: the selection is cleared
    EXPECT_EQ(m.GetCurSel(), -1);
    // A list that mirrors another clears its selection the same way,
    // without moving.
    m.SetCurSel(4);
    const int top = m.GetTopIndex();
    m.ClearSelection();
    EXPECT_EQ(m.GetCurSel(), -1);
    EXPECT_EQ(m.GetTopIndex(), top);

    PicListModel few;
    Fill(few, 2);
    EXPECT_EQ(few.RowAt(10, 50), -1);  // a visible row slot without an item
}

TEST(PicListModel, ReadersSeeConsistentSnapshotsWhileRowsAreAdded) {
    PicListModel m;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load()) {
            PicListModel::View v = m.Snapshot();
            if (v.selected >= 0 && !v.items.empty()) {
                EXPECT_LT(v.selected, static_cast<int>(v.items.size()));
            }
        }
    });
    for (int round = 0; round < 50; ++round) {
        m.ResetContent();
        for (int i = 0; i < 20; ++i) {
            m.SetItem(i, "r");
            m.SetCurSel(i);
        }
        m.UpdateScrollState();
    }
    done.store(true);
    reader.join();
    EXPECT_EQ(m.GetCount(), 20);
}

}  // namespace
