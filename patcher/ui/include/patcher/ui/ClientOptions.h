// The game client's display and sound options and their file, "ClientOpt.txt"
// in the game folder, which the game reads at its start. The client settings
// dialog and `drevik --options` edit them through this model.
//
// The file as written: one line per option in table order,
// "<key> = <value>;\r\n", nothing else. As read: spaces and tabs anywhere are
// ignored; for each key its first occurrence counts (one that is only the
// start of a longer key, "ESOP_Music" inside "ESOP_MusicVol", does not); the
// value starts one character after the key (the character that stands in
// place of "=") and ends before the next ";". A key without its ";" leaves
// the option as it was; a value that is not a number reads as 0.
//
// Texts (labels, list entries) are GBK default texts, to be passed through
// the text table before they are shown. Not thread-safe: one owner.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/result.h"

enum class OptionKind {
    kListIndex,  // an index into the option's list of entries
    kSwitch,     // 0 or 1
    kVolume,     // 0..255
};

struct OptionInfo {
    const char* key;    // "ESOP_Res"
    const char* label;  // GBK default text; "" for the volumes, which have none
    OptionKind kind;
    int defaultValue;
    bool resetByDefaults;  // false: "restore defaults" leaves it alone (volumes)
};

// The option number (index into OptionTable) of each key, in file order.
enum OptionId {
    kOptRes,
    kOptHz,
    kOptWin,
    kOptTrnView,
    kOptRoleView,
    kOptEffect,
    kOptShadow,
    kOptAniTree,
    kOptMusic,
    kOptSound,
    kOptMusicVol,
    kOptSoundVol,
    kOptWeather,
    kOptBlur,
    kOptKeyboard,
    kOptLockCamera,
    kOptReflect,
    kOptTrnLevel,
    kOptTrnSpecular,
    kOptionCount
};

constexpr int kVolumeMax = 255;
// The longest value text the reader keeps; longer ones are not numbers the
// game could mean and read as 0.
constexpr size_t kOptionValueMax = 49;
constexpr const char* kClientOptFile = "ClientOpt.txt";

const std::array<OptionInfo, kOptionCount>& OptionTable();
// The option with this key (exact, as in the file), -1 for none.
int FindOption(const std::string& key);

// Passes a GBK default text through the text table (GetLocalText) or, when
// empty, answers it unchanged.
using OptionTextLookup = std::function<std::string(const char* gbkDefault)>;

// The entries of a list-index option as the dialog shows them (GBK): the
// resolutions with the looked-up "位" formatted in, "60HZ" and the like as
// they are, every other entry looked up. Empty for switches and volumes.
std::vector<std::string> OptionEntries(int option, const OptionTextLookup& text = {});

// The highest value an option may take: the last entry's index, 1 or 255.
int OptionMaxValue(int option);

class ClientOptions {
public:
    // Every option at its default; the volumes at 0.
    ClientOptions();

    int Get(int option) const { return values_[static_cast<size_t>(option)]; }
    // Sets an option the way the dialog does: switches keep only the low
    // byte and show any non-zero byte as 1, volumes keep the low byte.
    void Set(int option, int value);
    // What the dialog shows and the file gets: a switch's byte as 0 or 1.
    int Shown(int option) const;

    // "Restore defaults": every option the table resets; volumes stay.
    void RestoreDefaults();

    // Reads the file's text over the current values (see the top of this
    // file). Options the text does not name keep their values.
    void Parse(const std::string& text);
    // The file's text for the current values.
    std::string Format() const;

    // Reads path; a missing or unreadable file changes nothing (false).
    bool Load(const std::string& path);
    // Writes the file anew: clears its read-only mark, creates it (cutting
    // what was there), writes the text and marks it read-only again, so it
    // stays read-only between saves.
    platform::Status Save(const std::string& path) const;

private:
    std::array<int, kOptionCount> values_{};
};

// The decimal value of a text the way the game's reader takes it: an
// optional sign and the digits that follow, anything after them ignored;
// 0 when there are none. Saturates instead of overflowing.
int64_t OptionNumber(const std::string& text);
