// Profile files, written the way Windows writes them ("key=value" lines
// under "[section]" lines, CR LF line ends), so a file written by either
// platform reads the same on the other.
#include "platform/profile.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

bool ReadAll(const std::string& path, std::string& out) {
    auto text = ReadWholeFile(path);
    if (!text) {
        return false;
    }
    out = std::move(text.value());
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            nl = text.size();
        }
        std::string line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = nl + 1;
    }
    return lines;
}

// "[name]" -> name; anything else -> not a section line.
bool SectionName(const std::string& line, std::string_view& name) {
    std::string_view t = Trim(line);
    if (t.size() < 2 || t.front() != '[') {
        return false;
    }
    size_t close = t.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyValue(const std::string& line, std::string_view& key, std::string_view& value) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';') {
        return false;
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                              (value.front() == '\'' && value.back() == '\''))) {
        value = value.substr(1, value.size() - 2);
    }
    return true;
}

Status WriteAll(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    // Write beside the file and move it over, so a crash never leaves half a
    // file behind.
    std::string tmp = path + ".tmp";
    Status written;
    {
        auto f = File::Open(tmp, Access::kWrite, kShareNone, Disposition::kCreateAlways);
        if (!f) {
            return f.error();
        }
        auto put = f->Write(text.data(), text.size());
        written = put ? f->Flush() : Status(put.error());
    }
    if (written) {
        written = MoveFile(tmp, path, true);
    }
    if (!written) {
        (void)DeleteFile(tmp);
    }
    return written;
}

// Rewrites the file with key set to *value, or removed when value is null.
Status Update(const std::string& section, const std::string& key, const std::string* value,
              const std::string& path) {
    std::string text;
    std::vector<std::string> lines;
    if (ReadAll(path, text)) {
        lines = SplitLines(text);
    }
    std::string newLine = value ? key + "=" + *value : std::string();
    bool inSection = false;
    long sectionEnd = -1;  // index after the last key line of the section
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (SectionName(lines[i], name)) {
            if (inSection) {
                break;
            }
            inSection = EqualsIgnoringAsciiCase(name, section);
            if (inSection) {
                sectionEnd = static_cast<long>(i) + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        std::string_view k, v;
        if (KeyValue(lines[i], k, v)) {
            if (EqualsIgnoringAsciiCase(k, key)) {
                if (value) {
                    lines[i] = newLine;
                } else {
                    lines.erase(lines.begin() + static_cast<long>(i));
                }
                return WriteAll(path, lines);
            }
            sectionEnd = static_cast<long>(i) + 1;
        }
    }
    if (!value) {
        return Status::Ok();  // nothing to remove
    }
    if (sectionEnd < 0) {
        lines.push_back("[" + section + "]");
        lines.push_back(newLine);
    } else {
        lines.insert(lines.begin() + sectionEnd, newLine);
    }
    return WriteAll(path, lines);
}

}  // namespace

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& def, const std::string& path) {
    std::string text;
    if (!ReadAll(path, text)) {
        return def;
    }
    bool inSection = false;
    for (const auto& line : SplitLines(text)) {
        std::string_view name;
        if (SectionName(line, name)) {
            inSection = EqualsIgnoringAsciiCase(name, section);
            continue;
        }
        std::string_view k, v;
        if (inSection && KeyValue(line, k, v) && EqualsIgnoringAsciiCase(k, key)) {
            return std::string(v);
        }
    }
    return def;
}

int GetProfileInt(const std::string& section, const std::string& key, int def,
                  const std::string& path) {
    std::string s = GetProfileString(section, key, std::string(), path);
    if (s.empty()) {
        return def;
    }
    return static_cast<int>(std::strtol(s.c_str(), nullptr, 10));
}

Status WriteProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& path) {
    return Update(section, key, &value, path);
}

Status DeleteProfileKey(const std::string& section, const std::string& key,
                        const std::string& path) {
    return Update(section, key, nullptr, path);
}

}  // namespace platform
