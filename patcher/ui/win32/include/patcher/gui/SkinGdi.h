// GDI pieces shared by the skinned controls and the patcher's windows: a
// picture loaded from a skin bitmap, the skin font, text drawing, and the
// routing of owner-draw requests from a parent to its picture buttons.
// Windows only (a Win32 front end file).
#pragma once

#include <string>

#include "platform/native_windows.h"

namespace gui {

// The wide text of a GBK text, for the wide Windows API.
std::wstring Wide(const std::string& gbk);
// A GBK text through the text table (GetLocalText), as a wide text.
std::wstring LocalWide(const char* gbkDefault);

// A bitmap loaded from a file as a DIB section. A missing or unreadable file
// leaves the picture empty: drawing it draws nothing.
class Picture {
public:
    Picture() = default;
    explicit Picture(const std::string& file) { Load(file); }
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;

    // Releases the current bitmap and loads file (a system path, relative
    // to the current folder). False, and an empty picture, when it cannot.
    bool Load(const std::string& file);
    void Reset();

    bool empty() const { return bitmap_ == nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    HBITMAP handle() const { return bitmap_; }

    // Copies the picture at its size with its top left at (x, y).
    void Draw(HDC dc, int x, int y) const;
    // Copies a part of the picture (src) at its size to (x, y).
    void DrawPart(HDC dc, int x, int y, const RECT& src) const;
    // Stretches src of the picture over dst.
    void Stretch(HDC dc, const RECT& dst, const RECT& src) const;

private:
    HBITMAP bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// The skin's font: height from the text table's "FontSize" (12 when the
// table has none) unless given, face from the text table's "宋体", normal
// weight, character set 0, family 32.
class SkinFont {
public:
    explicit SkinFont(int height = 0);  // 0: the text table's height
    ~SkinFont();
    SkinFont(const SkinFont&) = delete;
    SkinFont& operator=(const SkinFont&) = delete;

    HFONT handle() const { return font_; }
    int height() const { return height_; }

    // The height the text table gives.
    static int TableHeight();

private:
    HFONT font_ = nullptr;
    int height_ = 0;
};

// Draws text on one line, vertically centred in rect, centred or left-
// aligned, transparently in colour.
void DrawLine(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour,
              bool leftAligned);

// Picture that paints what lies behind a control: the part of its parent's
// background under it. Controls without a picture of their own (labels,
// lists' corners) show the window's background through it.
struct Backdrop {
    const Picture* picture = nullptr;
    POINT origin{0, 0};  // the control's top left in the picture

    void Paint(HDC dc, int width, int height) const;
};

// A memory bitmap that a control paints into before it copies the result
// to the screen in one go (no flicker).
class OffscreenDC {
public:
    OffscreenDC(HDC target, int width, int height);
    ~OffscreenDC();
    OffscreenDC(const OffscreenDC&) = delete;
    OffscreenDC& operator=(const OffscreenDC&) = delete;

    HDC dc() const { return dc_; }
    void CopyTo(HDC target, int x, int y) const;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_;
    int height_;
};

// For the parents of picture buttons: handles WM_DRAWITEM for them. Answers
// true when the message was one of theirs.
bool RouteOwnerDraw(UINT message, LPARAM lParam);

// The window rectangle of a control in its parent's client coordinates.
RECT ChildRect(HWND child);

}  // namespace gui
