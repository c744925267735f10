// The picture list: a single-column list drawn by the control itself over a
// background picture, the selected row under a selection picture, with an
// attached picture scroll bar. What it shows is a PicListModel (its own, or
// one the owner shares with it). A click on a row selects it and posts
// kPicListClicked (wParam the row, lParam the list's window) to the parent.
//
// One thread: the one that created the window.
#pragma once

#include <memory>
#include <string>

#include "patcher/gui/CPicScrollBar.h"
#include "patcher/gui/SkinGdi.h"
#include "patcher/text/PicListModel.h"

// Posted to the parent when a row was clicked.
constexpr UINT kPicListClicked = 21024;

class CPicList {
public:
    explicit CPicList(PicListModel* model = nullptr);
    ~CPicList();
    CPicList(const CPicList&) = delete;
    CPicList& operator=(const CPicList&) = delete;

    // Creates the list and its scroll bar (in the parent, at barRect).
    bool Create(const RECT& rect, const RECT& barRect, HWND parent, int id);
    HWND hwnd() const { return hwnd_; }
    CPicScrollBar& scrollBar() { return bar_; }
    PicListModel& model() { return *model_; }

    void SetBackground(const std::string& file);
    void SetSelectionPicture(const std::string& file);
    void SetFontHeight(int height);
    void SetTextColour(COLORREF colour) { colour_ = colour; }
    void SetCentred(bool centred) { centred_ = centred; }
    void SetBackdrop(const gui::Backdrop& backdrop) { backdrop_ = backdrop; }

    void SetItem(int index, const std::string& gbk);
    void ResetContent();
    std::string GetText(int index) const { return model_->GetText(index); }
    void SetCurSel(int index);
    int GetCurSel() const { return model_->GetCurSel(); }

    // A scroll code from the attached bar (the parent forwards its
    // WM_VSCROLL here).
    void OnScroll(int code, int position);
    // After the model changed behind the list's back: bar and picture follow.
    void Refresh();
    void Show(bool show);
    void Move(const RECT& rect);

    void Paint(HDC dc);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void SyncBar();

    HWND hwnd_ = nullptr;
    std::unique_ptr<PicListModel> own_;
    PicListModel* model_;
    CPicScrollBar bar_{true};
    gui::Picture background_;
    gui::Picture selection_;
    std::unique_ptr<gui::SkinFont> font_;
    COLORREF colour_ = 0xFFFFFF;
    bool centred_ = false;
    gui::Backdrop backdrop_;
};
