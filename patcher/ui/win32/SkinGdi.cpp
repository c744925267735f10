#include "patcher/gui/SkinGdi.h"

#include <utility>

#include "patcher/gui/CPicButtion.h"
#include "patcher/text/LocalText.h"
#include "patcher/ui/PicControlRules.h"
#include "platform/text.h"

namespace gui {

std::wstring Wide(const std::string& gbk) {
    std::u16string u = platform::GbkToUtf16(gbk);
    return std::wstring(u.begin(), u.end());
}

std::wstring LocalWide(const char* gbkDefault) {
    return Wide(GetLocalText(gbkDefault));
}

// ---- Picture ----

Picture::~Picture() {
    Reset();
}

Picture::Picture(Picture&& other) noexcept
    : bitmap_(std::exchange(other.bitmap_, nullptr)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {}

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        Reset();
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

bool Picture::Load(const std::string& file) {
    Reset();
    if (file.empty()) {
        return false;
    }
    HANDLE h = LoadImageW(nullptr, Wide(file).c_str(), IMAGE_BITMAP, 0, 0,
                          LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (h == nullptr) {
        return false;
    }
    bitmap_ = static_cast<HBITMAP>(h);
    BITMAP info{};
    GetObjectW(bitmap_, sizeof info, &info);
    width_ = info.bmWidth;
    height_ = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    return true;
}

void Picture::Reset() {
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
        bitmap_ = nullptr;
    }
    width_ = height_ = 0;
}

void Picture::Draw(HDC dc, int x, int y) const {
    DrawPart(dc, x, y, RECT{0, 0, width_, height_});
}

void Picture::DrawPart(HDC dc, int x, int y, const RECT& src) const {
    if (empty()) {
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap_);
    BitBlt(dc, x, y, src.right - src.left, src.bottom - src.top, mem, src.left, src.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void Picture::Stretch(HDC dc, const RECT& dst, const RECT& src) const {
    if (empty() || dst.right <= dst.left || dst.bottom <= dst.top || src.right <= src.left ||
        src.bottom <= src.top) {
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap_);
    int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, mem, src.left,
               src.top, src.right - src.left, src.bottom - src.top, SRCCOPY);
    SetStretchBltMode(dc, mode);
    SelectObject(mem, old);
    DeleteDC(mem);
}

// ---- SkinFont ----

int SkinFont::TableHeight() {
    return FontHeightFromTable(GetLocalText("FontSize"));
}

SkinFont::SkinFont(int height) : height_(height > 0 ? height : TableHeight()) {
    std::wstring face = LocalWide(GBK("宋体"));
    constexpr BYTE kCharset = 0;  // as the skin was designed with
    constexpr BYTE kFamily = 32;  // FF_SWISS
    font_ =
        CreateFontW(height_, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, kCharset, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, kFamily, face.c_str());
}

SkinFont::~SkinFont() {
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

void DrawLine(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour,
              bool leftAligned) {
    if (text.empty()) {
        return;
    }
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    int mode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, colour);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (leftAligned ? DT_LEFT : DT_CENTER);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, mode);
    if (old) {
        SelectObject(dc, old);
    }
}

void Backdrop::Paint(HDC dc, int width, int height) const {
    if (picture != nullptr) {
        picture->DrawPart(dc, 0, 0, RECT{origin.x, origin.y, origin.x + width, origin.y + height});
    }
}

// ---- OffscreenDC ----

OffscreenDC::OffscreenDC(HDC target, int width, int height)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
    dc_ = CreateCompatibleDC(target);
    bitmap_ = CreateCompatibleBitmap(target, width_, height_);
    old_ = SelectObject(dc_, bitmap_);
    // What no picture covers stays black, as an empty picture leaves it.
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

OffscreenDC::~OffscreenDC() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void OffscreenDC::CopyTo(HDC target, int x, int y) const {
    BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

bool RouteOwnerDraw(UINT message, LPARAM lParam) {
    if (message != WM_DRAWITEM) {
        return false;
    }
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    CPicButtion* button = CPicButtion::FromHandle(item->hwndItem);
    if (button == nullptr) {
        return false;
    }
    button->DrawItem(*item);
    return true;
}

RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace gui
