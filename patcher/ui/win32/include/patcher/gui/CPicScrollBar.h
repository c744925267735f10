// The picture scroll bar: drawn from one sprite of arrows, thumb and track in
// three states, with the scroll information of a scroll bar (range, page,
// position; SBM_* messages work on it). It reports to its parent with
// WM_VSCROLL or WM_HSCROLL like a standard scroll bar: line codes on arrow
// releases, page codes with the position at the click in the high word,
// thumb-track while dragging and end-scroll after.
//
// One thread: the one that created the window.
#pragma once

#include <string>

#include "patcher/gui/SkinGdi.h"
#include "patcher/ui/PicControlRules.h"

class CPicScrollBar {
public:
    explicit CPicScrollBar(bool vertical);
    ~CPicScrollBar();
    CPicScrollBar(const CPicScrollBar&) = delete;
    CPicScrollBar& operator=(const CPicScrollBar&) = delete;

    bool Create(const RECT& rect, HWND parent, int id);
    HWND hwnd() const { return hwnd_; }

    // The sprite; the window takes the cell thickness across the bar.
    void SetSprite(const std::string& file);
    void SetScrollInfo(int min, int max, int page, int pos);
    void SetPos(int pos);
    int GetPos() const { return model_.pos(); }
    const PicScrollBarModel& model() const { return model_; }
    void Show(bool show);

    // Paints the bar as it looks now into dc at (0, 0).
    void Paint(HDC dc);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnButtonDown(int along);
    void OnMouseMove(int along, bool inside);
    void OnButtonUp(int along, bool inside);
    void Notify(int code, int pos);
    int Length() const;
    int Along(LPARAM lParam) const;
    bool Inside(LPARAM lParam) const;
    void Redraw();

    bool vertical_;
    HWND hwnd_ = nullptr;
    gui::Picture sprite_;
    PicScrollBarModel model_;
    ScrollPart hover_ = ScrollPart::kNone;
    ScrollPart pressed_ = ScrollPart::kNone;  // arrow or page area held down
    bool pressedShown_ = false;               // the held part is under the mouse
    bool dragging_ = false;
    int grab_ = 0;  // where on the thumb it was taken
    bool tracking_ = false;
};
