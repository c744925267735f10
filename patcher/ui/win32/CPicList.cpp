#include "patcher/gui/CPicList.h"

#include "patcher/gui/OwnedWindow.h"

#include <windowsx.h>

#include "patcher/ui/PicControlRules.h"

namespace {

constexpr wchar_t kClassName[] = L"TesmarPicList";

}  // namespace

CPicList::CPicList(PicListModel* model)
    : own_(model ? nullptr : std::make_unique<PicListModel>()),
      model_(model ? model : own_.get()),
      font_(std::make_unique<gui::SkinFont>()) {}

CPicList::~CPicList() {
    gui::DestroyOwnedWindow(hwnd_);
}

bool CPicList::Create(const RECT& rect, const RECT& barRect, HWND parent, int id) {
    hwnd_ = gui::CreateOwnedChild(kClassName, rect, parent, id, this, &WndProc);
    if (hwnd_ == nullptr) {
        return false;
    }
    if (!bar_.Create(barRect, parent, 0)) {
        return false;
    }
    PicListModel::ScrollBar s = model_->GetScrollBar();
    bar_.SetScrollInfo(s.min, s.max, s.page, s.pos);
    return true;
}

void CPicList::SetBackground(const std::string& file) {
    background_.Load(file);
    Refresh();
}

void CPicList::SetSelectionPicture(const std::string& file) {
    selection_.Load(file);
    Refresh();
}

void CPicList::SetFontHeight(int height) {
    font_ = std::make_unique<gui::SkinFont>(height);
    Refresh();
}

void CPicList::SetItem(int index, const std::string& gbk) {
    model_->SetItem(index, gbk);
    Refresh();
}

void CPicList::ResetContent() {
    model_->ResetContent();
    Refresh();
}

void CPicList::SetCurSel(int index) {
    if (index < 0) {
        model_->ClearSelection();
    } else {
        model_->SetCurSel(index);
    }
    Refresh();
}

void CPicList::OnScroll(int code, int position) {
    model_->OnScroll(code, position);
    Refresh();
}

void CPicList::SyncBar() {
    if (bar_.hwnd() != nullptr) {
        PicListModel::ScrollBar s = model_->GetScrollBar();
        bar_.SetScrollInfo(s.min, s.max, s.page, s.pos);
    }
}

void CPicList::Refresh() {
    SyncBar();
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void CPicList::Show(bool show) {
    if (hwnd_ != nullptr) {
        ShowWindow(hwnd_, show ? SW_SHOWNA : SW_HIDE);
    }
}

void CPicList::Move(const RECT& rect) {
    if (hwnd_ != nullptr) {
        SetWindowPos(hwnd_, HWND_TOP, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOACTIVATE);
    }
}

void CPicList::Paint(HDC dc) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    gui::OffscreenDC off(dc, client.right, client.bottom);
    backdrop_.Paint(off.dc(), client.right, client.bottom);
    background_.Stretch(off.dc(), client, RECT{0, 0, background_.width(), background_.height()});
    PicListModel::View view = model_->Snapshot();
    ListPaint layout = LayoutList(view, centred_);
    if (layout.selectionVisible) {
        const PicRect& s = layout.selection;
        selection_.Stretch(off.dc(), RECT{s.left, s.top, s.right, s.bottom},
                           RECT{0, 0, std::min(view.width, selection_.width()),
                                std::min(view.rowHeight, selection_.height())});
    }
    for (size_t r = 0; r < layout.rows.size(); ++r) {
        const PicRect& row = layout.rows[r];
        RECT rect{row.left + (centred_ ? 0 : 6), row.top + (centred_ ? 0 : 2), row.right,
                  row.bottom + (centred_ ? 0 : 2)};
        gui::DrawLine(off.dc(), gui::Wide(view.items[static_cast<size_t>(layout.firstRow) + r]),
                      rect, font_->handle(), colour_, !centred_);
    }
    off.CopyTo(dc, 0, 0);
}

LRESULT CALLBACK CPicList::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return gui::ForwardToOwner(hwnd, msg, wParam, lParam, &CPicList::hwnd_, &CPicList::OnMessage);
}

LRESULT CPicList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            Paint(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONUP: {
            // A click below the rows clears the selection; the parent hears
            // of that too (row -1), so that what it keeps as the selection
            // stays what the list shows.
            int row = model_->Click(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            PostMessageW(GetParent(hwnd_), kPicListClicked, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(hwnd_));
            Refresh();
            return 0;
        }
        case WM_MOUSEWHEEL: {
            // The wheel scrolls like the bar's arrows.
            int code = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? kScrollLineUp : kScrollLineDown;
            OnScroll(code, 0);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}
