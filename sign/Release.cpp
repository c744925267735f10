#include "sign/Release.h"

#include <cstdio>
#include <map>
#include <set>

#include "sign/Minisign.h"

namespace sign {

namespace {

constexpr const char* kMagic = "tesmar release 1";
constexpr size_t kPathMax = 259;

// The fields of a line, split at single blanks; empty fields make it wrong.
std::optional<std::vector<std::string>> Fields(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t blank = line.find(' ', start);
        const std::string field = line.substr(start, blank - start);
        if (field.empty()) {
            return std::nullopt;
        }
        out.push_back(field);
        if (blank == std::string::npos) {
            return out;
        }
        start = blank + 1;
    }
}

// A decimal number of at most max, without sign or leading zeros.
std::optional<uint64_t> Number(const std::string& text, uint64_t max) {
    if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (max - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

std::optional<int32_t> Version(const std::string& text) {
    auto n = Number(text, INT32_MAX);
    return n ? std::optional<int32_t>(static_cast<int32_t>(*n)) : std::nullopt;
}

bool IsMd5(const std::string& text) {
    if (text.size() != 32) {
        return false;
    }
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

// Why path cannot be a package's path as a version server names it.
const char* PathProblem(const std::string& path) {
    if (path.empty() || path.size() > kPathMax) {
        return "a package path is empty or longer than 259 bytes";
    }
    size_t start = 0;
    for (;;) {
        const size_t sep = path.find('\\', start);
        const std::string part = path.substr(start, sep - start);
        if (part.empty() || part == "." || part == "..") {
            return "a package path has an empty, \".\" or \"..\" part";
        }
        if (sep == std::string::npos) {
            break;
        }
        start = sep + 1;
    }
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == '/') {
            return "a package path holds a control character or \"/\"";
        }
    }
    return nullptr;
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

}  // namespace

std::optional<int64_t> ParseUtcTime(const std::string& t) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (t.size() != 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
        t[16] != ':' || t[19] != 'Z') {
        return std::nullopt;
    }
    auto digits = [&](size_t at, size_t n) -> std::optional<unsigned> {
        unsigned v = 0;
        for (size_t i = at; i < at + n; ++i) {
            if (t[i] < '0' || t[i] > '9') {
                return std::nullopt;
            }
            v = v * 10 + static_cast<unsigned>(t[i] - '0');
        }
        return v;
    };
    auto year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    auto hour = digits(11, 2), minute = digits(14, 2), second = digits(17, 2);
    if (!year || !month || !day || !hour || !minute || !second || *year < 1970 || *month < 1 ||
        *month > 12 || *day < 1 || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const unsigned inMonth = kDays[*month - 1] + (*month == 2 && IsLeap(*year) ? 1 : 0);
    if (*day > inMonth) {
        return std::nullopt;
    }
    return DaysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
}

std::string FormatUtcTime(int64_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    int64_t days = seconds / 86400;
    const int64_t rest = seconds % 86400;
    // Civil from days (the inverse of DaysFromCivil).
    days += 719468;
    const int64_t era = days / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(y),
                  m, d, static_cast<unsigned>(rest / 3600), static_cast<unsigned>(rest / 60 % 60),
                  static_cast<unsigned>(rest % 60));
    return text;
}

std::optional<Release> ParseRelease(const std::string& text, std::string* why) {
    auto fail = [&](size_t line, const std::string& what) -> std::optional<Release> {
        if (why != nullptr) {
            *why = (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) + what;
        }
        return std::nullopt;
    };
    if (text.size() > kReleaseBytesMax) {
        return fail(0, "larger than a release file may be");
    }
    if (text.find('\0') != std::string::npos) {
        return fail(0, "holds a NUL byte");
    }
    Release r;
    bool haveSerial = false, haveExpires = false, haveLatest = false, haveMagic = false;
    std::set<int32_t> froms;
    size_t number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!haveMagic) {
            if (line != kMagic) {
                return fail(number, std::string("not a release file (the first line is not \"") +
                                        kMagic + "\")");
            }
            haveMagic = true;
            continue;
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        auto fields = Fields(line);
        if (!fields) {
            return fail(number, "fields must be separated by single blanks");
        }
        const std::string& word = (*fields)[0];
        const size_t n = fields->size();
        if (word == "serial" || word == "latest" || word == "expires") {
            if (n != 2) {
                return fail(number, word + " takes one value");
            }
            bool& have = word == "serial"   ? haveSerial
                         : word == "latest" ? haveLatest
                                            : haveExpires;
            if (have) {
                return fail(number, word + " comes twice");
            }
            have = true;
            if (word == "serial") {
                auto v = Number((*fields)[1], UINT64_MAX);
                if (!v || *v == 0) {
                    return fail(number, "serial is not a number of 1 or more");
                }
                r.serial = *v;
            } else if (word == "latest") {
                auto v = Version((*fields)[1]);
                if (!v) {
                    return fail(number, "latest is not a version");
                }
                r.latest = *v;
            } else {
                auto v = ParseUtcTime((*fields)[1]);
                if (!v) {
                    return fail(number, "expires is not a time such as 2027-01-10T00:00:00Z");
                }
                r.expires = *v;
            }
        } else if (word == "key") {
            if (n != 2) {
                return fail(number, "key takes one value");
            }
            if (r.keys.size() == kReleaseKeysMax) {
                return fail(number, "more than " + std::to_string(kReleaseKeysMax) + " keys");
            }
            std::string keyWhy;
            if (!ParsePublicKey((*fields)[1], &keyWhy)) {
                return fail(number, "key: " + keyWhy);
            }
            for (const std::string& k : r.keys) {
                if (k == (*fields)[1]) {
                    return fail(number, "the key comes twice");
                }
            }
            r.keys.push_back((*fields)[1]);
        } else if (word == "step") {
            if (n != 6) {
                return fail(number, "step takes from, to, path, size and MD5");
            }
            if (r.steps.size() == kReleaseStepsMax) {
                return fail(number, "more than " + std::to_string(kReleaseStepsMax) + " steps");
            }
            ReleaseStep s;
            auto from = Version((*fields)[1]);
            auto to = Version((*fields)[2]);
            auto size = Number((*fields)[4], UINT32_MAX);
            if (!from || !to || *from >= *to) {
                return fail(number, "a step's versions must be numbers, from below to");
            }
            if (const char* problem = PathProblem((*fields)[3])) {
                return fail(number, problem);
            }
            if (!size) {
                return fail(number, "a step's size is not a number below 4 GiB");
            }
            if (!IsMd5((*fields)[5])) {
                return fail(number, "a step's MD5 is not 32 lowercase hexadecimal characters");
            }
            if (!froms.insert(*from).second) {
                return fail(number, "a second step from version " + std::to_string(*from));
            }
            s.from = *from;
            s.to = *to;
            s.path = (*fields)[3];
            s.size = *size;
            s.md5 = (*fields)[5];
            r.steps.push_back(std::move(s));
        } else {
            return fail(number, "unknown line \"" + word + "\"");
        }
    }
    if (!haveMagic) {
        return fail(0, "empty");
    }
    if (!haveSerial || !haveExpires || !haveLatest) {
        return fail(0, "serial, expires and latest must each come once");
    }
    for (const ReleaseStep& s : r.steps) {
        if (s.to > r.latest) {
            return fail(0, "a step from " + std::to_string(s.from) + " goes past latest");
        }
        if (s.to != r.latest && froms.count(s.to) == 0) {
            return fail(0, "the step from " + std::to_string(s.from) + " ends at " +
                               std::to_string(s.to) + ", from where no step goes on");
        }
    }
    return r;
}

std::string FormatRelease(const Release& r) {
    std::string out = std::string(kMagic) + "\n";
    out += "serial " + std::to_string(r.serial) + "\n";
    out += "expires " + FormatUtcTime(r.expires) + "\n";
    out += "latest " + std::to_string(r.latest) + "\n";
    for (const std::string& key : r.keys) {
        out += "key " + key + "\n";
    }
    for (const ReleaseStep& s : r.steps) {
        out += "step " + std::to_string(s.from) + " " + std::to_string(s.to) + " " + s.path + " " +
               std::to_string(s.size) + " " + s.md5 + "\n";
    }
    return out;
}

std::optional<std::vector<ReleaseStep>> ChainFrom(const Release& r, int32_t from) {
    std::map<int32_t, const ReleaseStep*> byFrom;
    for (const ReleaseStep& s : r.steps) {
        byFrom[s.from] = &s;
    }
    std::vector<ReleaseStep> chain;
    int32_t at = from;
    // Every step goes up, so the walk ends within the number of steps.
    while (at != r.latest) {
        auto it = byFrom.find(at);
        if (it == byFrom.end() || chain.size() == byFrom.size()) {
            return std::nullopt;
        }
        chain.push_back(*it->second);
        at = it->second->to;
    }
    if (chain.empty()) {
        return std::nullopt;
    }
    return chain;
}

}  // namespace sign
