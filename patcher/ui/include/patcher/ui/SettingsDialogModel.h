// The client settings dialog without a window: its layout (control ids,
// rectangles, skin files), the options it edits, and what each press does
// to them and to the controls (the two drop-down lists, the switch pairs,
// the volume bars, restore defaults, save). The Windows dialog (CSettingsDlg)
// creates the controls from the layout, forwards every press here and shows
// what the queries answer.
//
// Texts are GBK; labels and entries are already passed through the text
// lookup given at construction. One thread (the dialog's).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "patcher/ui/ClientOptions.h"
#include "patcher/ui/PicControlRules.h"
#include "platform/result.h"

// ---- Command ids of the dialog ----

constexpr int kIdSaveClose = 1092;
constexpr int kIdCloseNoSave = 1093;
constexpr int kIdRestoreDefaults = 1091;
constexpr int kIdCloseNoSaveDisabled = 1090;  // created disabled
constexpr int kIdCloseLists = 1003;
// Drop-down buttons of the list options.
constexpr int kIdDropDownFirst = 6001;
constexpr int kDropDownCount = 7;
// Switch pairs: 3001+k shows state 0, 4001+k state 1 (k = switch number);
// "移动方式" has two pairs of its own, 5001..5004.
constexpr int kIdSwitchOffFirst = 3001;
constexpr int kIdSwitchOnFirst = 4001;
constexpr int kSwitchCount = 10;
constexpr int kIdKeyboardOff = 5001;  // "键盘", not chosen
constexpr int kIdKeyboardOn = 5002;   // "键盘", chosen (ESOP_Keyboard = 1)
constexpr int kIdMouseOff = 5003;     // "鼠标", not chosen
constexpr int kIdMouseOn = 5004;      // "鼠标", chosen (ESOP_Keyboard = 0)
// The volume bars and the two lists have no command; the dialog gives them
// these ids.
constexpr int kIdMusicVolume = 7001;
constexpr int kIdSoundVolume = 7002;
constexpr int kIdListDisplay = 7101;  // resolution and refresh rate
constexpr int kIdListOther = 7102;    // the other five list options

// The switch numbers k: the ordinary switches, the last of which ("隐藏姓名")
// has no key in the file.
constexpr int kSwitchHiddenNames = 9;
// The option of switch k, -1 for the hidden-names switch.
int SwitchOption(int k);
// The option of drop-down button i (0..6): resolution, refresh rate, terrain
// precision, terrain view, role view, effects, water.
int DropDownOption(int i);

// Rows a list shows, and their height.
constexpr int kSettingsListRows = 6;
constexpr int kSettingsListRowHeight = 16;
constexpr int kVolumeBarThickness = 14;

// ---- Layout ----

enum class SettingsControlKind {
    kLabel,     // text on the background
    kField,     // the value of a list option
    kDropDown,  // opens a list
    kSwitch,    // one picture button of a switch pair
    kVolume,    // horizontal picture scroll bar
    kButton,    // a command button with its caption
    kList,      // one of the two lists (placed when opened)
};

struct SettingsControl {
    int id;  // 0 for labels
    SettingsControlKind kind;
    PicRect rect;
    const char* picture;  // normal picture (the others by the naming rule); "" none
    const char* text;     // GBK default text, passed through the lookup when shown
    int option;           // the option it shows or edits, -1 none
};

struct SettingsLayout {
    int width;
    int height;
    const char* background;
    const char* listBackground;
    const char* listSelection;
    const char* volumeSprite;
    std::vector<SettingsControl> controls;
};

const SettingsLayout& SettingsDialogLayout();

// ---- The dialog ----

class SettingsDialogModel {
public:
    explicit SettingsDialogModel(OptionTextLookup text = {});

    // Start of the dialog: reads the options file (a missing one changes
    // nothing).
    void Load(const std::string& path);

    // A drop-down button (kIdDropDownFirst + i): opens its option's list
    // under it with the current index selected, or closes the list when it
    // is open for that option already.
    void PressDropDown(int id);
    // An entry of an open list was chosen: the option takes its index, the
    // list closes.
    void ChooseEntry(int listId, int entry);
    // A mouse-button release anywhere on the dialog (and kIdCloseLists):
    // both lists close.
    void CloseLists();
    // The visible picture button of a switch pair was pressed.
    void PressSwitch(int id);
    // A scroll code from a volume bar with the bar's position.
    void Volume(int id, int code, int pos);
    void RestoreDefaults();
    platform::Status Save(const std::string& path) const;

    // ---- What to show ----
    const ClientOptions& options() const { return options_; }
    ClientOptions& options() { return options_; }
    int hiddenNames() const { return hiddenNames_; }
    // The text of a field: the entry of the option's index, "" when the
    // index has no entry.
    std::string FieldText(int option) const;
    // Which picture button of a switch pair shows.
    bool SwitchVisible(int id) const;
    // Whether a control can be used: a control under an open list cannot.
    bool Enabled(int id) const;
    int VolumeValue(int id) const;

    struct ListView {
        bool open = false;
        int option = -1;
        PicRect rect;
        std::vector<std::string> entries;
        int selected = -1;
    };
    ListView List(int listId) const;

private:
    int ListOf(int option) const;
    PicRect ListRectFor(int option) const;

    OptionTextLookup text_;
    ClientOptions options_;
    int hiddenNames_ = 0;
    std::array<int, 2> openOption_{{-1, -1}};  // per list, -1 closed
};
