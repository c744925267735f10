// The picture button: a Windows push button, owner-drawn from four skin
// pictures (normal, hover, pressed, disabled) with its window text on top.
// Labels and the status line are picture buttons too (disabled, so they take
// no clicks). The parent routes WM_DRAWITEM to it (gui::RouteOwnerDraw).
//
// One thread: the one that created the window.
#pragma once

#include <memory>
#include <string>

#include "patcher/gui/SkinGdi.h"
#include "patcher/ui/PicControlRules.h"

class CPicButtion {
public:
    CPicButtion();
    ~CPicButtion();
    CPicButtion(const CPicButtion&) = delete;
    CPicButtion& operator=(const CPicButtion&) = delete;

    // Each releases the previous picture of its kind. With sizeFromPicture
    // the button takes the normal picture's size (from the file's header)
    // when it is created.
    void SetNormalPicture(const std::string& file, bool sizeFromPicture = false);
    void SetHoverPicture(const std::string& file);
    void SetPressedPicture(const std::string& file);
    void SetDisabledPicture(const std::string& file);
    // The four pictures by the naming rule ("-l", "-anxia", "-wuxiao").
    void SetPictures(const std::string& normalFile, bool sizeFromPicture = false);
    // The same picture in every state (labels, fields).
    void SetAllPictures(const std::string& file);

    void SetTextColour(COLORREF colour) { textColour_ = colour; }
    void SetLeftAligned(bool left) { leftAligned_ = left; }
    // What lies behind the button where its pictures do not reach.
    void SetBackdrop(const gui::Backdrop& backdrop) { backdrop_ = backdrop; }

    // Creates the button (owner-drawn, whatever style says) with its text
    // (GBK) and sets its font.
    bool Create(const std::string& text, DWORD style, const RECT& rect, HWND parent, int id);
    HWND hwnd() const { return hwnd_; }

    void SetText(const std::string& gbk);
    std::string GetText() const;
    void Enable(bool enable);
    void Show(bool show);
    bool IsEnabled() const;

    // The owner-draw request (WM_DRAWITEM).
    void DrawItem(const DRAWITEMSTRUCT& item);
    // Paints the button as it looks now (pressed as given) into dc at (0, 0).
    void Paint(HDC dc, bool pressed);
    // The picture the button shows now.
    PictureState Shown(bool pressed) const;
    bool hover() const { return mouse_.hover; }

    static CPicButtion* FromHandle(HWND hwnd);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    const gui::Picture& PictureOf(PictureState state) const;

    HWND hwnd_ = nullptr;
    gui::Picture normal_, hover_, pressed_, disabled_;
    std::string normalFile_;
    bool sizeFromPicture_ = false;
    COLORREF textColour_ = kButtonTextColour;
    bool leftAligned_ = false;
    gui::Backdrop backdrop_;
    std::unique_ptr<gui::SkinFont> font_;
    ButtonHoverState mouse_;
};
