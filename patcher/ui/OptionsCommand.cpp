#include "patcher/ui/OptionsCommand.h"

#include <cctype>

#include "patcher/text/LocalText.h"
#include "platform/text.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

int FindOptionAnyCase(const std::string& key) {
    const auto& table = OptionTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (Lower(key) == Lower(table[i].key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A whole decimal number, nothing else around it.
bool ParseStrictInt(const std::string& s, int& value) {
    if (s.empty() || s.size() > 9) {
        return false;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    value = std::stoi(s);
    return true;
}

void Print(std::ostream& out, const ClientOptions& options, const OptionTextLookup& text) {
    const auto& table = OptionTable();
    for (size_t i = 0; i < table.size(); ++i) {
        int option = static_cast<int>(i);
        const OptionInfo& info = table[i];
        std::string line = std::string(info.key) + " = " + std::to_string(options.Shown(option));
        line.resize(std::max<size_t>(line.size(), 24), ' ');
        std::string note;
        switch (info.kind) {
            case OptionKind::kListIndex: {
                std::vector<std::string> entries = OptionEntries(option, text);
                int v = options.Get(option);
                std::string shown = v >= 0 && v < static_cast<int>(entries.size())
                                        ? entries[static_cast<size_t>(v)]
                                        : std::string("?");
                note = text(info.label) + ": " + shown;
                break;
            }
            case OptionKind::kSwitch:
                note = text(info.label) + ": 0/1";
                break;
            case OptionKind::kVolume:
                note = "0..255";
                break;
        }
        out << line << "(" << platform::GbkToUtf8(note) << ")\n";
    }
}

}  // namespace

int RunOptionsCommand(const std::vector<std::string>& assignments, std::ostream& out,
                      std::ostream& err, const std::string& folder,
                      const OptionTextLookup& lookup) {
    OptionTextLookup text =
        lookup ? lookup : [](const char* gbk) { return std::string(GetLocalText(gbk)); };
    std::string path = folder + "\\" + kClientOptFile;
    ClientOptions options;
    options.Load(path);

    // Every assignment is checked before anything is saved.
    for (const std::string& a : assignments) {
        size_t eq = a.find('=');
        std::string key = a.substr(0, eq);
        int option = FindOptionAnyCase(key);
        if (eq == std::string::npos || option < 0) {
            err << "drevik: unknown option \"" << key << "\" (expected KEY=VALUE with a key of "
                << kClientOptFile << ")\n";
            return kOptionsBadArgument;
        }
        int value = 0;
        int max = OptionMaxValue(option);
        if (!ParseStrictInt(a.substr(eq + 1), value) || value > max) {
            err << "drevik: " << OptionTable()[static_cast<size_t>(option)].key << " takes 0.."
                << max << ", not \"" << a.substr(eq + 1) << "\"\n";
            return kOptionsBadArgument;
        }
        options.Set(option, value);
    }
    if (!assignments.empty()) {
        platform::Status saved = options.Save(path);
        if (!saved) {
            err << "drevik: cannot write " << kClientOptFile << ": "
                << platform::GbkToUtf8(saved.error().Message()) << "\n";
            return kOptionsCannotSave;
        }
    }
    Print(out, options, text);
    return kOptionsOk;
}
