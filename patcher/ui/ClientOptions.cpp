#include "patcher/ui/ClientOptions.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

struct EntryList {
    std::vector<const char*> texts;  // GBK defaults
    bool translated;                 // passed through the text table
};

// Entries of each list-index option, in table order of the options.
EntryList EntriesOf(int option) {
    switch (option) {
        case kOptRes:
            // The "%s" takes the looked-up "位"; see OptionEntries.
            return {{"1024*768 32%s", "1024*768 16%s", "1280*1024 32%s", "1280*1024 16%s",
                     "1440*900 32%s", "1440*900 16%s"},
                    false};
        case kOptHz:
            return {{GBK("默认"), "60HZ", "75HZ", "85HZ", "100HZ"}, false};
        case kOptTrnView:
            return {{GBK("近"), GBK("较近"), GBK("中"), GBK("较远"), GBK("远")}, true};
        case kOptRoleView:
            return {{GBK("近"), GBK("较近"), GBK("中"), GBK("远")}, true};
        case kOptEffect:
            return {{GBK("低"), GBK("较低"), GBK("中"), GBK("高")}, true};
        case kOptReflect:
            return {{GBK("低"), GBK("中"), GBK("高")}, true};
        case kOptTrnLevel:
            return {{GBK("低"), GBK("高")}, true};
        default:
            return {{}, false};
    }
}

bool IsKeyChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The first place where key stands as a whole key: not inside a GBK
// character and not the start of a longer key.
size_t FindKey(const std::string& text, const std::string& key) {
    size_t i = 0;
    while (i + key.size() <= text.size()) {
        if (text.compare(i, key.size(), key) == 0) {
            size_t end = i + key.size();
            if (end >= text.size() || !IsKeyChar(text[end])) {
                return i;
            }
        }
        // A GBK lead byte takes its trail byte with it.
        i += platform::IsGbkLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return std::string::npos;
}

}  // namespace

const std::array<OptionInfo, kOptionCount>& OptionTable() {
    // One entry per option id, in file order. Counted here: a std::array
    // given one entry too few would quietly end in a zeroed one.
    static const OptionInfo entries[] = {
        {"ESOP_Res", GBK("屏幕分辨率"), OptionKind::kListIndex, 0, true},
        {"ESOP_HZ", GBK("屏幕刷新率"), OptionKind::kListIndex, 1, true},
        {"ESOP_Win", GBK("窗口模式"), OptionKind::kSwitch, 1, true},
        {"ESOP_TrnView", GBK("地形视野"), OptionKind::kListIndex, 2, true},
        {"ESOP_RoleView", GBK("角色视野"), OptionKind::kListIndex, 2, true},
        {"ESOP_Effect", GBK("特效"), OptionKind::kListIndex, 2, true},
        {"ESOP_Shadow", GBK("动态阴影"), OptionKind::kSwitch, 0, true},
        {"ESOP_AniTree", GBK("动态植物"), OptionKind::kSwitch, 0, true},
        {"ESOP_Music", GBK("音乐"), OptionKind::kSwitch, 0, true},
        {"ESOP_Sound", GBK("音效"), OptionKind::kSwitch, 0, true},
        {"ESOP_MusicVol", "", OptionKind::kVolume, 0, false},
        {"ESOP_SoundVol", "", OptionKind::kVolume, 0, false},
        {"ESOP_Weather", GBK("天气效果"), OptionKind::kSwitch, 1, true},
        {"ESOP_Blur", GBK("柔光效果"), OptionKind::kSwitch, 0, true},
        {"ESOP_Keyboard", GBK("移动方式"), OptionKind::kSwitch, 1, true},
        {"ESOP_LockCamera", GBK("镜头锁定"), OptionKind::kSwitch, 1, true},
        {"ESOP_Reflect", GBK("水面效果"), OptionKind::kListIndex, 1, true},
        {"ESOP_TrnLevel", GBK("地形精度"), OptionKind::kListIndex, 1, true},
        {"ESOP_TrnSpecular", GBK("地形高亮"), OptionKind::kSwitch, 0, true},
    };
    static_assert(sizeof entries / sizeof entries[0] == kOptionCount, "one entry per option id");
    static const std::array<OptionInfo, kOptionCount> table = [] {
        std::array<OptionInfo, kOptionCount> t{};
        std::copy(std::begin(entries), std::end(entries), t.begin());
        return t;
    }();
    return table;
}

int FindOption(const std::string& key) {
    const auto& table = OptionTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (key == table[i].key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<std::string> OptionEntries(int option, const OptionTextLookup& text) {
    auto look = [&](const char* gbk) { return text ? text(gbk) : std::string(gbk); };
    EntryList list = EntriesOf(option);
    std::vector<std::string> out;
    if (option == kOptRes) {
        std::string bits = look(GBK("位"));
        for (const char* pattern : list.texts) {
            std::string s = pattern;
            s.replace(s.find("%s"), 2, bits);
            out.push_back(s);
        }
        return out;
    }
    for (const char* t : list.texts) {
        // "默认" is translated; the refresh rates are shown as they are.
        bool translate = list.translated || (option == kOptHz && t == list.texts.front());
        out.push_back(translate ? look(t) : std::string(t));
    }
    return out;
}

int OptionMaxValue(int option) {
    switch (OptionTable()[static_cast<size_t>(option)].kind) {
        case OptionKind::kListIndex:
            return static_cast<int>(EntriesOf(option).texts.size()) - 1;
        case OptionKind::kSwitch:
            return 1;
        case OptionKind::kVolume:
            return kVolumeMax;
    }
    return 0;
}

int64_t OptionNumber(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (INT64_MAX - digit) / 10) {
            value = INT64_MAX;  // saturate; the digits that follow change nothing
            continue;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

ClientOptions::ClientOptions() {
    const auto& table = OptionTable();
    for (size_t i = 0; i < table.size(); ++i) {
        values_[i] = table[i].defaultValue;
    }
}

void ClientOptions::Set(int option, int value) {
    if (option < 0 || option >= kOptionCount) {
        return;
    }
    switch (OptionTable()[static_cast<size_t>(option)].kind) {
        case OptionKind::kListIndex:
            values_[static_cast<size_t>(option)] = value;
            break;
        case OptionKind::kSwitch:
        case OptionKind::kVolume:
            // Both are kept in one byte: a value from the file counts modulo 256.
            values_[static_cast<size_t>(option)] = static_cast<int>(static_cast<uint8_t>(value));
            break;
    }
}

int ClientOptions::Shown(int option) const {
    int v = Get(option);
    if (OptionTable()[static_cast<size_t>(option)].kind == OptionKind::kSwitch) {
        return v != 0 ? 1 : 0;
    }
    return v;
}

void ClientOptions::RestoreDefaults() {
    const auto& table = OptionTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].resetByDefaults) {
            values_[i] = table[i].defaultValue;
        }
    }
}

void ClientOptions::Parse(const std::string& raw) {
    std::string text;
    text.reserve(raw.size());
    for (char c : raw) {
        if (c != ' ' && c != '\t') {
            text.push_back(c);
        }
    }
    const auto& table = OptionTable();
    for (size_t i = 0; i < table.size(); ++i) {
        std::string key = table[i].key;
        size_t at = FindKey(text, key);
        if (at == std::string::npos) {
            continue;
        }
        // One character (the "=", or whatever stands in its place) after the key.
        size_t start = at + key.size() + 1;
        size_t end = text.find(';', at + key.size());
        if (end == std::string::npos || end < start) {
            continue;  // no ";", or it stands right after the key: no value
        }
        std::string value = text.substr(start, end - start);
        int64_t n = value.size() > kOptionValueMax ? 0 : OptionNumber(value);
        n = std::clamp<int64_t>(n, INT_MIN, INT_MAX);
        Set(static_cast<int>(i), static_cast<int>(n));
    }
}

std::string ClientOptions::Format() const {
    std::string out;
    const auto& table = OptionTable();
    for (size_t i = 0; i < table.size(); ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "%s = %d;\r\n", table[i].key, Shown(static_cast<int>(i)));
        out += line;
    }
    return out;
}

bool ClientOptions::Load(const std::string& path) {
    auto text = platform::ReadWholeFile(path);
    if (!text) {
        return false;
    }
    Parse(*text);
    return true;
}

platform::Status ClientOptions::Save(const std::string& path) const {
    std::string text = Format();
    if (platform::Exists(path)) {
        auto cleared = platform::SetReadOnly(path, false);
        if (!cleared) {
            return cleared;
        }
    }
    {
        auto file = platform::File::Open(path, platform::Access::kWrite, platform::kShareNone,
                                         platform::Disposition::kCreateAlways);
        if (!file) {
            return file.error();
        }
        auto written = file->Write(text.data(), text.size());
        if (!written) {
            return written.error();
        }
        auto flushed = file->Flush();
        if (!flushed) {
            return flushed;
        }
    }
    return platform::SetReadOnly(path, true);
}
