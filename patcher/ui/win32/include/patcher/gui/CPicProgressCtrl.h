// The picture progress bar: a background picture stretched over the control
// and a fill picture stretched over the done part, from the left.
//
// One thread: the one that created the window.
#pragma once

#include <string>

#include "patcher/gui/SkinGdi.h"
#include "patcher/ui/PicControlRules.h"

class CPicProgressCtrl {
public:
    CPicProgressCtrl() = default;
    ~CPicProgressCtrl();
    CPicProgressCtrl(const CPicProgressCtrl&) = delete;
    CPicProgressCtrl& operator=(const CPicProgressCtrl&) = delete;

    bool Create(const RECT& rect, HWND parent, int id);
    HWND hwnd() const { return hwnd_; }

    void SetRange(int a, int b);
    void SetBackground(const std::string& file);
    void SetFill(const std::string& file);
    // 1, or 0 without change when p lies outside the range.
    int SetPos(int p);
    int GetPos() const { return model_.GetPos(); }

    void Paint(HDC dc);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    PicProgressModel model_;
    gui::Picture background_;
    gui::Picture fill_;
};
