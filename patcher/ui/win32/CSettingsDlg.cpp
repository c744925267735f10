#include "patcher/gui/CSettingsDlg.h"

#include "patcher/gui/OwnedWindow.h"

#include <windowsx.h>

#include "patcher/text/LocalText.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kClassName[] = L"TesmarSettingsDlg";
constexpr int kVolumePage = 32;  // thumb length of the volume bars, in volume steps

RECT ToRect(const PicRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

std::string Local(const char* gbk) {
    return GetLocalText(gbk);
}

}  // namespace

CSettingsDlg::CSettingsDlg(std::string folder)
    : path_(folder + "\\" + kClientOptFile), model_([](const char* gbk) { return Local(gbk); }) {}

CSettingsDlg::~CSettingsDlg() {
    // Controls go before the window that holds them.
    buttons_.clear();
    labels_.clear();
    gui::DestroyOwnedWindow(hwnd_);
}

CPicButtion* CSettingsDlg::Button(int id) {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second.get();
}

bool CSettingsDlg::Create(HWND owner) {
    gui::RegisterOwnedClass(kClassName);
    owner_ = owner;
    const SettingsLayout& layout = SettingsDialogLayout();
    RECT over{};
    if (owner != nullptr) {
        GetWindowRect(owner, &over);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    }
    int x = (over.left + over.right - layout.width) / 2;
    int y = (over.top + over.bottom - layout.height) / 2;
    hwnd_ = CreateWindowExW(0, kClassName, gui::LocalWide(GBK("游戏设置")).c_str(),
                            WS_POPUP | WS_CLIPCHILDREN, x, y, layout.width, layout.height, owner,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        return false;
    }
    gui::AttachOwner(hwnd_, this, &WndProc);
    background_.Load(layout.background);

    for (const SettingsControl& c : layout.controls) {
        gui::Backdrop backdrop{&background_, POINT{c.rect.left, c.rect.top}};
        RECT rect = ToRect(c.rect);
        switch (c.kind) {
            case SettingsControlKind::kLabel:
            case SettingsControlKind::kField: {
                auto label = std::make_unique<CPicButtion>();
                if (c.picture[0] != '\0') {
                    label->SetAllPictures(c.picture);
                }
                label->SetTextColour(kSkinTextColour);
                label->SetLeftAligned(c.kind == SettingsControlKind::kLabel && c.rect.left > 0);
                label->SetBackdrop(backdrop);
                std::string text = c.text[0] != '\0' ? Local(c.text) : std::string();
                label->Create(text, WS_VISIBLE | WS_DISABLED, rect, hwnd_, 0);
                if (c.kind == SettingsControlKind::kField) {
                    fields_[c.option] = label.get();
                }
                labels_.push_back(std::move(label));
                break;
            }
            case SettingsControlKind::kDropDown:
            case SettingsControlKind::kSwitch:
            case SettingsControlKind::kButton: {
                auto button = std::make_unique<CPicButtion>();
                button->SetPictures(c.picture);
                button->SetTextColour(kSkinTextColour);
                button->SetBackdrop(backdrop);
                std::string text = c.text[0] != '\0' ? Local(c.text) : std::string();
                button->Create(text, WS_VISIBLE, rect, hwnd_, c.id);
                buttons_[c.id] = std::move(button);
                break;
            }
            case SettingsControlKind::kVolume: {
                CPicScrollBar& bar = c.id == kIdMusicVolume ? musicBar_ : soundBar_;
                bar.Create(rect, hwnd_, c.id);
                bar.SetSprite(layout.volumeSprite);
                bar.SetScrollInfo(0, kVolumeMax, kVolumePage, 0);
                break;
            }
            case SettingsControlKind::kList: {
                CPicList& list = List(c.id);
                list.Create(RECT{0, 0, 1, 1}, RECT{0, 0, 0, 0}, hwnd_, c.id);
                list.scrollBar().Show(false);  // six rows hold every list
                list.SetBackground(layout.listBackground);
                list.SetSelectionPicture(layout.listSelection);
                list.SetFontHeight(gui::SkinFont::TableHeight());
                list.SetTextColour(kSkinTextColour);
                list.model().SetRowHeight(kSettingsListRowHeight);
                list.model().SetVisibleRows(kSettingsListRows);
                list.Show(false);
                break;
            }
        }
    }
    // Start of the dialog: the stored options, then what they look like.
    model_.Load(path_);
    Refresh();
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    return true;
}

int CSettingsDlg::DoModal(HWND owner) {
    if (!Create(owner)) {
        return kIdCloseNoSave;
    }
    if (owner != nullptr) {
        EnableWindow(owner, FALSE);
    }
    MSG msg;
    while (!closed_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            }
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (owner != nullptr) {
        EnableWindow(owner, TRUE);
        SetForegroundWindow(owner);
    }
    ShowWindow(hwnd_, SW_HIDE);
    return result_;
}

void CSettingsDlg::Close(int result) {
    result_ = result;
    closed_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void CSettingsDlg::RefreshList(int listId, CPicList& list, int& shownOption) {
    SettingsDialogModel::ListView view = model_.List(listId);
    if (!view.open) {
        list.Show(false);
        shownOption = -1;
        return;
    }
    if (view.option != shownOption) {
        list.ResetContent();
        for (size_t i = 0; i < view.entries.size(); ++i) {
            list.SetItem(static_cast<int>(i), view.entries[i]);
        }
        list.model().SetWidth(view.rect.width());
        list.SetCurSel(view.selected);
        list.Move(ToRect(view.rect));
        shownOption = view.option;
    }
    list.Show(true);
}

void CSettingsDlg::Refresh() {
    for (auto& [option, field] : fields_) {
        field->SetText(model_.FieldText(option));
    }
    for (auto& [id, button] : buttons_) {
        bool isSwitch = (id >= kIdSwitchOffFirst && id < kIdSwitchOffFirst + kSwitchCount) ||
                        (id >= kIdSwitchOnFirst && id < kIdSwitchOnFirst + kSwitchCount) ||
                        (id >= kIdKeyboardOff && id <= kIdMouseOn);
        if (isSwitch) {
            button->Show(model_.SwitchVisible(id));
        }
        button->Enable(model_.Enabled(id));
    }
    musicBar_.SetPos(model_.VolumeValue(kIdMusicVolume));
    soundBar_.SetPos(model_.VolumeValue(kIdSoundVolume));
    EnableWindow(musicBar_.hwnd(), model_.Enabled(kIdMusicVolume));
    EnableWindow(soundBar_.hwnd(), model_.Enabled(kIdSoundVolume));
    RefreshList(kIdListDisplay, displayList_, displayShown_);
    RefreshList(kIdListOther, otherList_, otherShown_);
}

void CSettingsDlg::OnCommand(int id) {
    if (id >= kIdDropDownFirst && id < kIdDropDownFirst + kDropDownCount) {
        model_.PressDropDown(id);
    } else if ((id >= kIdSwitchOffFirst && id < kIdSwitchOffFirst + kSwitchCount) ||
               (id >= kIdSwitchOnFirst && id < kIdSwitchOnFirst + kSwitchCount) ||
               (id >= kIdKeyboardOff && id <= kIdMouseOn)) {
        model_.PressSwitch(id);
    } else if (id == kIdRestoreDefaults) {
        model_.RestoreDefaults();
    } else if (id == kIdCloseLists) {
        model_.CloseLists();
    } else if (id == kIdSaveClose) {
        platform::Status saved = model_.Save(path_);
        if (!saved) {
            // The player keeps the dialog and may try again or close it.
            std::string text = std::string(GetLocalText(GBK("无法保存设置文件"))) + " " +
                               kClientOptFile + "\n" + saved.error().Message();
            platform::ShowMessageBox(hwnd_, text.c_str(), nullptr, platform::kMbOk);
            return;
        }
        Close(kIdSaveClose);
        return;
    } else if (id == kIdCloseNoSave || id == kIdCloseNoSaveDisabled) {
        Close(kIdCloseNoSave);
        return;
    } else {
        return;
    }
    Refresh();
}

void CSettingsDlg::OnListClicked(HWND list, int row) {
    int listId = list == displayList_.hwnd() ? kIdListDisplay
                 : list == otherList_.hwnd() ? kIdListOther
                                             : 0;
    if (listId != 0) {
        model_.ChooseEntry(listId, row);
        Refresh();
    }
}

void CSettingsDlg::OnVolume(HWND bar, int code, int pos) {
    int id = bar == musicBar_.hwnd()   ? kIdMusicVolume
             : bar == soundBar_.hwnd() ? kIdSoundVolume
                                       : 0;
    if (id != 0) {
        model_.Volume(id, code, pos);
        Refresh();
    }
}

LRESULT CALLBACK CSettingsDlg::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return gui::ForwardToOwner(hwnd, msg, wParam, lParam, &CSettingsDlg::hwnd_,
                               &CSettingsDlg::OnMessage);
}

LRESULT CSettingsDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (gui::RouteOwnerDraw(msg, lParam)) {
        return TRUE;
    }
    switch (msg) {
        case WM_ERASEBKGND: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            if (background_.empty()) {
                RECT r{};
                GetClientRect(hwnd_, &r);
                FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            } else {
                background_.Draw(dc, 0, 0);
            }
            return 1;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_DOUBLECLICKED) {
                OnCommand(LOWORD(wParam));
            }
            return 0;
        case kPicListClicked:
            OnListClicked(reinterpret_cast<HWND>(lParam), static_cast<int>(wParam));
            return 0;
        case WM_HSCROLL:
            OnVolume(reinterpret_cast<HWND>(lParam), LOWORD(wParam),
                     static_cast<int>(static_cast<short>(HIWORD(wParam))));
            return 0;
        case WM_LBUTTONUP:
            // A release anywhere on the dialog closes the lists.
            model_.CloseLists();
            Refresh();
            return 0;
        case WM_MOUSEMOVE:
            if (wParam & MK_LBUTTON) {
                // Dragging the dialog by any free spot, as by a caption.
                ReleaseCapture();
                SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                OnCommand(kIdCloseLists);
            }
            return 0;
        case WM_CLOSE:
            Close(kIdCloseNoSave);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}
