#include "patcher/WebMirrors.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "patcher/CConfigFile.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool IsAbsolute(const std::string& path) {
    return (!path.empty() && (path[0] == '\\' || path[0] == '/')) ||
           (path.size() > 1 && path[1] == ':');
}

}  // namespace

std::string MirrorBaseProblem(const std::string& base) {
    size_t scheme = 0;
    if (StartsWithNoCase(base, "http://")) {
        scheme = 7;
    } else if (StartsWithNoCase(base, "https://")) {
        scheme = 8;
    } else {
        return "not an http:// or https:// address";
    }
    if (base.size() == scheme || base[scheme] == '/') {
        return "no host";
    }
    for (char c : base) {
        // Blanks and control bytes would go into the request line as they
        // are; the query or fragment would swallow the package's path.
        if (static_cast<unsigned char>(c) <= ' ' || c == '?' || c == '#') {
            return "a blank, control character, '?' or '#' in the address";
        }
    }
    return "";
}

namespace {

// base without its trailing '/'; "" when it cannot serve, noted after label.
std::string UsableBase(MirrorSettings& s, std::string base, const std::string& label) {
    const std::string why = MirrorBaseProblem(base);
    if (!why.empty()) {
        s.notes.push_back(label + base + ": " + why + ", ignored");
        return "";
    }
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    return base;
}

}  // namespace

void AddMirrorBases(MirrorSettings& s, const std::vector<std::string>& bases,
                    const std::string& source) {
    for (const std::string& listed : bases) {
        const std::string base = UsableBase(s, listed, source + " ");
        if (!base.empty() && std::find(s.bases.begin(), s.bases.end(), base) == s.bases.end()) {
            s.bases.push_back(base);
        }
    }
}

MirrorSettings ReadMirrorSettings(const CConfigFile& config, const std::string& gameFolder) {
    MirrorSettings s;
    int num = config.GetInt("mirror num");
    if (num > kMirrorsMax) {
        s.notes.push_back("num=" + std::to_string(num) + ": only the first " +
                          std::to_string(kMirrorsMax) + " are read");
        num = kMirrorsMax;
    }
    for (int i = 0; i < num; ++i) {
        const std::string key = "url" + std::to_string(i);
        std::string base = config.GetString(("mirror " + key).c_str());
        if (base.empty()) {
            s.notes.push_back(key + ": missing");
            continue;
        }
        base = UsableBase(s, base, key + "=");
        if (!base.empty()) {
            s.bases.push_back(base);
        }
    }
    const std::string ca = config.GetString("mirror ca");
    if (!ca.empty()) {
        const std::string path = IsAbsolute(ca) ? ca : gameFolder + "\\" + ca;
        s.caFile = platform::NativePath(path);
        if (!platform::Exists(path)) {
            s.notes.push_back("ca=" + ca + ": no such file");
        }
    }
    return s;
}

std::string MirrorFileUrl(const std::string& base, const std::string& directory,
                          const std::string& fileName) {
    std::string path;
    for (const std::string& part : platform::Split(directory, platform::PathSeparators::kBoth)) {
        path += part + "/";
    }
    path += fileName;
    std::string url = base + "/";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            url += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            url += escaped;
        }
    }
    return url;
}

void MirrorList::Reset(const std::vector<std::string>& bases) {
    std::lock_guard<std::mutex> lock(mu_);
    live_ = bases;
    failures_.clear();
}

std::optional<std::string> MirrorList::Pick() {
    std::lock_guard<std::mutex> lock(mu_);
    if (live_.empty()) {
        return std::nullopt;
    }
    std::uniform_int_distribution<size_t> pick(0, live_.size() - 1);
    return live_[pick(random_)];
}

void MirrorList::Fail(const std::string& base, const std::string& why) {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = std::find(live_.begin(), live_.end(), base);
    if (it == live_.end()) {
        return;  // another worker saw it fail first
    }
    live_.erase(it);
    failures_.push_back(base + ": " + why);
}

bool MirrorList::Usable(const std::string& base) const {
    std::lock_guard<std::mutex> lock(mu_);
    return std::find(live_.begin(), live_.end(), base) != live_.end();
}

bool MirrorList::Empty() const {
    std::lock_guard<std::mutex> lock(mu_);
    return live_.empty();
}

std::vector<std::string> MirrorList::Failures() const {
    std::lock_guard<std::mutex> lock(mu_);
    return failures_;
}
