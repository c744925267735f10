#include "patcher/ui/SettingsDialogModel.h"

#include <algorithm>

#include "platform/text.h"

namespace {

// The grid of the dialog: two columns of label, field and drop-down for the
// list options, two columns of label and picture button for the switches.
constexpr int kWidth = 460;
constexpr int kHeight = 400;
constexpr int kListTop = 44;  // first row of list options
constexpr int kListStep = 28;
constexpr int kRowHeight = 20;
constexpr int kSwitchTop = 168;  // first row of switches
constexpr int kSwitchStep = 26;
constexpr int kBoxSize = 16;
constexpr int kButtonsTop = 348;

struct Column {
    int labelLeft, labelRight, fieldLeft, fieldRight, dropRight;
};
constexpr Column kCols[2] = {{20, 104, 108, 206, 224}, {236, 316, 320, 418, 436}};

// Where each list option and each switch stands: column and row.
struct Place {
    int col, row;
};
constexpr Place kDropDownPlace[kDropDownCount] = {{0, 0}, {1, 0}, {0, 1}, {1, 1},
                                                  {0, 2}, {1, 2}, {0, 3}};
constexpr Place kSwitchPlace[kSwitchCount] = {{0, 0}, {0, 1}, {0, 2}, {0, 4}, {1, 4},
                                              {1, 0}, {1, 1}, {1, 2}, {0, 3}, {1, 3}};
constexpr int kKeyboardRow = 5;

constexpr int kSwitchOptions[kSwitchCount] = {
    kOptWin,     kOptShadow, kOptAniTree,    kOptMusic,       kOptSound,
    kOptWeather, kOptBlur,   kOptLockCamera, kOptTrnSpecular, -1};
constexpr int kDropDownOptions[kDropDownCount] = {
    kOptRes, kOptHz, kOptTrnLevel, kOptTrnView, kOptRoleView, kOptEffect, kOptReflect};

bool Intersects(const PicRect& a, const PicRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

SettingsLayout MakeLayout() {
    SettingsLayout l;
    l.width = kWidth;
    l.height = kHeight;
    l.background = "skin\\N_hs-bj.bmp";
    l.listBackground = "skin\\N_hs-liebiao.bmp";
    l.listSelection = "skin\\N_update-gb.bmp";
    l.volumeSprite = "skin\\N_hs-gundongtiao.bmp";
    auto& c = l.controls;
    using K = SettingsControlKind;
    c.push_back({0, K::kLabel, {0, 8, kWidth, 32}, "", GBK("游戏设置"), -1});
    for (int i = 0; i < kDropDownCount; ++i) {
        const Column& col = kCols[kDropDownPlace[i].col];
        int top = kListTop + kListStep * kDropDownPlace[i].row;
        int option = kDropDownOptions[i];
        c.push_back({0,
                     K::kLabel,
                     {col.labelLeft, top, col.labelRight, top + kRowHeight},
                     "",
                     OptionTable()[static_cast<size_t>(option)].label,
                     option});
        c.push_back({0,
                     K::kField,
                     {col.fieldLeft, top, col.fieldRight, top + kRowHeight},
                     "skin\\N_hs-kuang.bmp",
                     "",
                     option});
        c.push_back({kIdDropDownFirst + i,
                     K::kDropDown,
                     {col.fieldRight, top, col.dropRight, top + kRowHeight},
                     "skin\\N_update-xia.bmp",
                     "",
                     option});
    }
    for (int k = 0; k < kSwitchCount; ++k) {
        const Column& col = kCols[kSwitchPlace[k].col];
        int top = kSwitchTop + kSwitchStep * kSwitchPlace[k].row;
        int option = kSwitchOptions[k];
        const char* label =
            option >= 0 ? OptionTable()[static_cast<size_t>(option)].label : GBK("隐藏姓名");
        c.push_back(
            {0, K::kLabel, {col.labelLeft, top - 2, col.labelRight, top + 18}, "", label, option});
        PicRect box{col.fieldLeft, top, col.fieldLeft + kBoxSize, top + kBoxSize};
        c.push_back({kIdSwitchOffFirst + k, K::kSwitch, box, "skin\\N_hs-xuan-a.bmp", "", option});
        c.push_back({kIdSwitchOnFirst + k, K::kSwitch, box, "skin\\N_hs-xuan-b.bmp", "", option});
    }
    // The volumes follow their switches, in the rest of the column.
    for (int k : {3, 4}) {
        const Column& col = kCols[kSwitchPlace[k].col];
        int top = kSwitchTop + kSwitchStep * kSwitchPlace[k].row + 1;
        c.push_back({k == 3 ? kIdMusicVolume : kIdSoundVolume,
                     K::kVolume,
                     {col.fieldLeft + kBoxSize + 6, top, col.dropRight, top + kVolumeBarThickness},
                     "",
                     "",
                     k == 3 ? kOptMusicVol : kOptSoundVol});
    }
    {
        const Column& col = kCols[0];
        int top = kSwitchTop + kSwitchStep * kKeyboardRow;
        c.push_back({0,
                     K::kLabel,
                     {col.labelLeft, top - 2, col.labelRight, top + 18},
                     "",
                     OptionTable()[kOptKeyboard].label,
                     kOptKeyboard});
        int x = col.fieldLeft;
        for (int which = 0; which < 2; ++which) {
            PicRect box{x, top, x + kBoxSize, top + kBoxSize};
            int off = which == 0 ? kIdKeyboardOff : kIdMouseOff;
            int on = which == 0 ? kIdKeyboardOn : kIdMouseOn;
            c.push_back({off, K::kSwitch, box, "skin\\N_hs-dan-a.bmp", "", kOptKeyboard});
            c.push_back({on, K::kSwitch, box, "skin\\N_hs-dan-b.bmp", "", kOptKeyboard});
            c.push_back({0,
                         K::kLabel,
                         {x + kBoxSize + 4, top - 2, x + kBoxSize + 44, top + 18},
                         "",
                         which == 0 ? GBK("键盘") : GBK("鼠标"),
                         kOptKeyboard});
            x += 68;
        }
    }
    struct Cmd {
        int id;
        const char* text;
    };
    const Cmd cmds[] = {{kIdRestoreDefaults, GBK("默认设置")},
                        {kIdCloseNoSaveDisabled, GBK("应用")},
                        {kIdSaveClose, GBK("确定")},
                        {kIdCloseNoSave, GBK("取消")}};
    int x = 16;
    for (const Cmd& cmd : cmds) {
        c.push_back({cmd.id,
                     K::kButton,
                     {x, kButtonsTop, x + 95, kButtonsTop + 28},
                     "skin\\N_hs-button-c.bmp",
                     cmd.text,
                     -1});
        x += 110;
    }
    c.push_back({kIdListDisplay, K::kList, {}, "", "", -1});
    c.push_back({kIdListOther, K::kList, {}, "", "", -1});
    return l;
}

const SettingsControl* FindControl(int id) {
    for (const auto& c : SettingsDialogLayout().controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace

int SwitchOption(int k) {
    return k >= 0 && k < kSwitchCount ? kSwitchOptions[k] : -1;
}

int DropDownOption(int i) {
    return i >= 0 && i < kDropDownCount ? kDropDownOptions[i] : -1;
}

const SettingsLayout& SettingsDialogLayout() {
    static const SettingsLayout layout = MakeLayout();
    return layout;
}

SettingsDialogModel::SettingsDialogModel(OptionTextLookup text) : text_(std::move(text)) {}

void SettingsDialogModel::Load(const std::string& path) {
    options_.Load(path);
}

int SettingsDialogModel::ListOf(int option) const {
    return option == kOptRes || option == kOptHz ? 0 : 1;
}

PicRect SettingsDialogModel::ListRectFor(int option) const {
    for (const auto& c : SettingsDialogLayout().controls) {
        if (c.kind == SettingsControlKind::kField && c.option == option) {
            int right = c.rect.right;
            if (const SettingsControl* drop =
                    FindControl(kIdDropDownFirst +
                                static_cast<int>(std::find(std::begin(kDropDownOptions),
                                                           std::end(kDropDownOptions), option) -
                                                 std::begin(kDropDownOptions)))) {
                right = drop->rect.right;
            }
            return {c.rect.left, c.rect.bottom, right,
                    c.rect.bottom + kSettingsListRows * kSettingsListRowHeight};
        }
    }
    return {};
}

void SettingsDialogModel::PressDropDown(int id) {
    int option = DropDownOption(id - kIdDropDownFirst);
    if (option < 0 || !Enabled(id)) {
        return;
    }
    int list = ListOf(option);
    if (openOption_[static_cast<size_t>(list)] == option) {
        openOption_[static_cast<size_t>(list)] = -1;
        return;
    }
    // One list open at a time: the other would lie over or under it.
    openOption_ = {-1, -1};
    openOption_[static_cast<size_t>(list)] = option;
}

void SettingsDialogModel::ChooseEntry(int listId, int entry) {
    int list = listId == kIdListDisplay ? 0 : listId == kIdListOther ? 1 : -1;
    if (list < 0) {
        return;
    }
    int option = openOption_[static_cast<size_t>(list)];
    if (option < 0) {
        return;
    }
    if (entry >= 0 && entry <= OptionMaxValue(option)) {
        options_.Set(option, entry);
    }
    openOption_[static_cast<size_t>(list)] = -1;
}

void SettingsDialogModel::CloseLists() {
    openOption_ = {-1, -1};
}

void SettingsDialogModel::PressSwitch(int id) {
    if (!SwitchVisible(id) || !Enabled(id)) {
        return;  // the hidden button of a pair cannot be pressed
    }
    if (id >= kIdKeyboardOff && id <= kIdMouseOn) {
        // Both pairs show one choice: pressing either flips it.
        options_.Set(kOptKeyboard, options_.Shown(kOptKeyboard) ? 0 : 1);
        return;
    }
    bool on = id >= kIdSwitchOnFirst;
    int k = id - (on ? kIdSwitchOnFirst : kIdSwitchOffFirst);
    int newState = on ? 0 : 1;  // the other button of the pair shows now
    if (k == kSwitchHiddenNames) {
        hiddenNames_ = newState;
    } else if (SwitchOption(k) >= 0) {
        options_.Set(SwitchOption(k), newState);
    }
}

void SettingsDialogModel::Volume(int id, int code, int pos) {
    int option = id == kIdMusicVolume ? kOptMusicVol : id == kIdSoundVolume ? kOptSoundVol : -1;
    if (option < 0) {
        return;
    }
    int v = options_.Get(option);
    switch (code) {
        case kScrollLineUp:
        case kScrollPageUp:
            v = std::max(v - 1, 0);
            break;
        case kScrollLineDown:
        case kScrollPageDown:
            v = std::min(v + 1, kVolumeMax);
            break;
        case kScrollThumbTrack:
        case kScrollThumbPosition:
            v = std::clamp(pos, 0, kVolumeMax);
            break;
        default:
            return;
    }
    options_.Set(option, v);
}

void SettingsDialogModel::RestoreDefaults() {
    options_.RestoreDefaults();
    hiddenNames_ = 0;
    CloseLists();
}

platform::Status SettingsDialogModel::Save(const std::string& path) const {
    return options_.Save(path);
}

std::string SettingsDialogModel::FieldText(int option) const {
    std::vector<std::string> entries = OptionEntries(option, text_);
    int v = options_.Get(option);
    if (v < 0 || v >= static_cast<int>(entries.size())) {
        return std::string();
    }
    return entries[static_cast<size_t>(v)];
}

bool SettingsDialogModel::SwitchVisible(int id) const {
    if (id >= kIdKeyboardOff && id <= kIdMouseOn) {
        bool keyboard = options_.Shown(kOptKeyboard) != 0;
        switch (id) {
            case kIdKeyboardOn:
            case kIdMouseOff:
                return keyboard;
            default:
                return !keyboard;
        }
    }
    bool on = id >= kIdSwitchOnFirst && id < kIdSwitchOnFirst + kSwitchCount;
    int k = id - (on ? kIdSwitchOnFirst : kIdSwitchOffFirst);
    if (k < 0 || k >= kSwitchCount) {
        return false;
    }
    int state = k == kSwitchHiddenNames ? (hiddenNames_ != 0) : options_.Shown(SwitchOption(k));
    return on == (state != 0);
}

bool SettingsDialogModel::Enabled(int id) const {
    if (id == kIdCloseNoSaveDisabled) {
        return false;
    }
    const SettingsControl* c = FindControl(id);
    if (c == nullptr) {
        return false;
    }
    for (int list = 0; list < 2; ++list) {
        int option = openOption_[static_cast<size_t>(list)];
        if (option >= 0 && c->kind != SettingsControlKind::kList &&
            c->kind != SettingsControlKind::kButton && Intersects(c->rect, ListRectFor(option))) {
            return false;
        }
    }
    return true;
}

int SettingsDialogModel::VolumeValue(int id) const {
    return options_.Get(id == kIdMusicVolume ? kOptMusicVol : kOptSoundVol);
}

SettingsDialogModel::ListView SettingsDialogModel::List(int listId) const {
    ListView v;
    int list = listId == kIdListDisplay ? 0 : listId == kIdListOther ? 1 : -1;
    if (list < 0 || openOption_[static_cast<size_t>(list)] < 0) {
        return v;
    }
    v.open = true;
    v.option = openOption_[static_cast<size_t>(list)];
    v.rect = ListRectFor(v.option);
    v.entries = OptionEntries(v.option, text_);
    int sel = options_.Get(v.option);
    v.selected = sel >= 0 && sel < static_cast<int>(v.entries.size()) ? sel : -1;
    return v;
}
