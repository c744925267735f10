#include "sign/Release.h"

#include <cstdio>
#include <map>
#include <set>

#include "platform/text.h"
#include "sign/Minisign.h"

namespace sign {
namespace {

constexpr size_t kStepFields = 6;  // step FROM TO PATH SIZE MD5
constexpr size_t kMd5Chars = 32;

// Plain decimal: digits only, no sign, no leading zero, at most max.
std::optional<uint64_t> ParseDecimal(const std::string& text, uint64_t max) {
    if (text.empty() || text.size() > 20 || (text[0] == '0' && text.size() > 1)) {
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

std::optional<int32_t> ParseVersion(const std::string& text) {
    auto v = ParseDecimal(text, INT32_MAX);
    if (!v) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*v);
}

bool IsMd5Text(const std::string& text) {
    if (text.size() != kMd5Chars) {
        return false;
    }
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

// What is wrong with a step's path, or "".
std::string PathFault(const std::string& path) {
    if (path.empty()) {
        return "an empty path";
    }
    if (path.size() > kReleasePathBytesMax) {
        return "a path longer than " + std::to_string(kReleasePathBytesMax) + " bytes";
    }
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == 0x7F) {
            return "a control byte in the path";
        }
        if (c == '/') {
            return "\"/\" in the path (parts are separated by \"\\\")";
        }
        if (c == ':') {
            return "\":\" in the path (paths are relative to the mirror's top folder)";
        }
        // A GBK character keeps its second byte, even one that looks like "\".
        if (platform::IsGbkLeadByte(c) && i + 1 < path.size()) {
            const unsigned char trail = static_cast<unsigned char>(path[i + 1]);
            if (trail < 0x20 || trail == 0x7F) {
                return "a control byte in the path";
            }
            parts.back() += path.substr(i, 2);
            ++i;
        } else if (c == '\\') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == "..") {
            return "an empty, \".\" or \"..\" part in the path";
        }
    }
    return std::string();
}

// The line's fields at single spaces; nullopt when two spaces meet or the
// line starts or ends with one.
std::optional<std::vector<std::string>> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t space = line.find(' ', start);
        size_t end = space == std::string::npos ? line.size() : space;
        if (end == start) {
            return std::nullopt;
        }
        fields.push_back(line.substr(start, end - start));
        if (space == std::string::npos) {
            return fields;
        }
        start = space + 1;
    }
}

// Days since 1970-01-01 of a civil date, proleptic Gregorian.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool IsLeapYear(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int64_t y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<int64_t> ParseUtcTime(const std::string& text) {
    // YYYY-MM-DDTHH:MM:SSZ
    static const char kForm[] = "0000-00-00T00:00:00Z";
    if (text.size() != sizeof kForm - 1) {
        return std::nullopt;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kForm[i] == '0' ? !digit : text[i] != kForm[i]) {
            return std::nullopt;
        }
    }
    auto number = [&](size_t at, size_t count) {
        int64_t v = 0;
        for (size_t i = at; i < at + count; ++i) {
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const int64_t year = number(0, 4);
    const int64_t month = number(5, 2);
    const int64_t day = number(8, 2);
    const int64_t hour = number(11, 2);
    const int64_t minute = number(14, 2);
    const int64_t second = number(17, 2);
    if (year < 1970 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, static_cast<int>(month)) || hour > 23 || minute > 59 ||
        second > 59) {
        return std::nullopt;
    }
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string FormatUtcTime(int64_t seconds) {
    seconds = seconds < 0 ? 0 : seconds > kUtcTimeMax ? kUtcTimeMax : seconds;
    const int64_t days = seconds / 86400;
    const int64_t rest = seconds % 86400;
    // Civil date of a day count (the inverse of DaysFromCivil), days >= 0.
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", static_cast<int>(year),
                  static_cast<int>(month), static_cast<int>(day), static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return text;
}

std::optional<Release> ParseRelease(const std::string& text, std::string* why) {
    size_t lineNo = 0;
    auto fail = [&](const std::string& what) -> std::optional<Release> {
        if (why != nullptr) {
            *why = "line " + std::to_string(lineNo) + ": " + what;
        }
        return std::nullopt;
    };
    if (text.size() > kReleaseBytesMax) {
        return fail("the text is larger than " + std::to_string(kReleaseBytesMax) +
                    " bytes, which no release file is");
    }
    Release release;
    bool haveSerial = false, haveExpires = false, haveLatest = false;
    std::set<std::string> keyIds;
    std::map<int32_t, size_t> stepLineByFrom;
    std::map<std::string, size_t>
        stepLineByPath;  // ASCII letters lowered, as mirrors may be Windows
    std::vector<size_t> stepLines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t nl = text.find('\n', start);
        const size_t end = nl == std::string::npos ? text.size() : nl;
        const size_t cut = end > start && text[end - 1] == '\r' ? end - 1 : end;
        const std::string line = text.substr(start, cut - start);
        start = end + 1;
        ++lineNo;
        if (line.find('\0') != std::string::npos) {
            return fail("a NUL byte");
        }
        if (lineNo == 1) {
            if (line != kReleaseMagic) {
                return fail("not a release file: the first line is not \"" +
                            std::string(kReleaseMagic) + "\"");
            }
            continue;
        }
        if (nl == std::string::npos && line.empty()) {
            break;  // the end of the text after its last line end
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::optional<std::vector<std::string>> f = Fields(line);
        if (!f) {
            return fail("fields must be separated by single spaces");
        }
        const std::vector<std::string>& w = *f;
        const std::string& directive = w[0];
        auto once = [&](bool& seen, size_t fields, const char* form) -> std::string {
            if (seen) {
                return "a second " + directive + " line";
            }
            if (w.size() != fields) {
                return std::string("expected: ") + form;
            }
            seen = true;
            return std::string();
        };
        if (directive == "serial") {
            if (std::string bad = once(haveSerial, 2, "serial N"); !bad.empty()) {
                return fail(bad);
            }
            auto v = ParseDecimal(w[1], UINT64_MAX);
            if (!v || *v == 0) {
                return fail("the serial is not a number from 1 up: " + w[1]);
            }
            release.serial = *v;
        } else if (directive == "expires") {
            if (std::string bad = once(haveExpires, 2, "expires YYYY-MM-DDTHH:MM:SSZ");
                !bad.empty()) {
                return fail(bad);
            }
            auto t = ParseUtcTime(w[1]);
            if (!t) {
                return fail("not a time of the form 2027-01-10T00:00:00Z: " + w[1]);
            }
            release.expires = *t;
        } else if (directive == "latest") {
            if (std::string bad = once(haveLatest, 2, "latest N"); !bad.empty()) {
                return fail(bad);
            }
            auto v = ParseVersion(w[1]);
            if (!v) {
                return fail("not a version number: " + w[1]);
            }
            release.latest = *v;
        } else if (directive == "key") {
            if (w.size() != 2) {
                return fail("expected: key BASE64");
            }
            if (release.keys.size() == kReleaseKeysMax) {
                return fail("more than " + std::to_string(kReleaseKeysMax) + " keys");
            }
            // The key as it is written back: base64 and nothing around it
            // (the key reader would look past blanks and line ends).
            if (w[1].find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                       "0123456789+/=") != std::string::npos) {
                return fail("not a minisign public key: a key is base64 alone");
            }
            std::string keyWhy;
            std::optional<PublicKey> key = ParsePublicKey(w[1], &keyWhy);
            if (!key) {
                return fail("not a minisign public key: " + keyWhy);
            }
            // Keys are told apart by their id when a signature is checked.
            if (!keyIds.insert(std::string(key->id.begin(), key->id.end())).second) {
                return fail("a second key of id " + KeyIdText(key->id));
            }
            release.keys.push_back(w[1]);
        } else if (directive == "step") {
            if (w.size() != kStepFields) {
                return fail("expected: step FROM TO PATH SIZE MD5");
            }
            if (release.steps.size() == kReleaseStepsMax) {
                return fail("more than " + std::to_string(kReleaseStepsMax) + " steps");
            }
            ReleaseStep step;
            auto from = ParseVersion(w[1]);
            auto to = ParseVersion(w[2]);
            if (!from || !to) {
                return fail("not a version number: " + (from ? w[2] : w[1]));
            }
            if (*from >= *to) {
                return fail("a step must lead to a later version: " + w[1] + " to " + w[2]);
            }
            if (std::string bad = PathFault(w[3]); !bad.empty()) {
                return fail(bad);
            }
            auto size = ParseDecimal(w[4], kReleaseSizeMax);
            if (!size) {
                return fail("not a size of at most " + std::to_string(kReleaseSizeMax) +
                            " bytes: " + w[4]);
            }
            if (!IsMd5Text(w[5])) {
                return fail("not an MD5 of 32 lowercase hexadecimal characters: " + w[5]);
            }
            if (auto seen = stepLineByFrom.find(*from); seen != stepLineByFrom.end()) {
                return fail("a second step from version " + w[1] + " (the first is on line " +
                            std::to_string(seen->second) + ")");
            }
            const std::string lowered = platform::GbkToLowerAscii(w[3]);
            if (auto seen = stepLineByPath.find(lowered); seen != stepLineByPath.end()) {
                return fail("the package of the step on line " + std::to_string(seen->second) +
                            " again");
            }
            stepLineByFrom[*from] = lineNo;
            stepLineByPath[lowered] = lineNo;
            stepLines.push_back(lineNo);
            step.from = *from;
            step.to = *to;
            step.path = w[3];
            step.size = *size;
            step.md5 = w[5];
            release.steps.push_back(std::move(step));
        } else {
            return fail("unknown directive: " + directive);
        }
    }
    if (!haveSerial || !haveExpires || !haveLatest) {
        const char* missing = !haveSerial ? "serial" : !haveExpires ? "expires" : "latest";
        return fail(std::string("the text ends with no ") + missing + " line");
    }
    for (size_t i = 0; i < release.steps.size(); ++i) {
        const ReleaseStep& s = release.steps[i];
        lineNo = stepLines[i];
        if (s.to > release.latest) {
            return fail("a step to version " + std::to_string(s.to) + ", after latest " +
                        std::to_string(release.latest));
        }
        if (s.to != release.latest && !stepLineByFrom.count(s.to)) {
            return fail("no step leads on from version " + std::to_string(s.to) + " to latest " +
                        std::to_string(release.latest));
        }
    }
    return release;
}

std::string FormatRelease(const Release& release) {
    std::string text = std::string(kReleaseMagic) + "\n";
    text += "serial " + std::to_string(release.serial) + "\n";
    text += "expires " + FormatUtcTime(release.expires) + "\n";
    text += "latest " + std::to_string(release.latest) + "\n";
    for (const std::string& key : release.keys) {
        text += "key " + key + "\n";
    }
    for (const ReleaseStep& s : release.steps) {
        text += "step " + std::to_string(s.from) + " " + std::to_string(s.to) + " " + s.path + " " +
                std::to_string(s.size) + " " + s.md5 + "\n";
    }
    return text;
}

std::optional<std::vector<ReleaseStep>> ChainFrom(const Release& release, int32_t from) {
    std::map<int32_t, const ReleaseStep*> byFrom;
    for (const ReleaseStep& s : release.steps) {
        byFrom.emplace(s.from, &s);
    }
    std::vector<ReleaseStep> chain;
    int32_t at = from;
    // Each step leads to a later version, so the walk ends; the count bounds
    // it on a release that breaks that rule too.
    while (at != release.latest) {
        auto next = byFrom.find(at);
        if (next == byFrom.end() || next->second->to <= at || chain.size() == byFrom.size()) {
            return std::nullopt;
        }
        chain.push_back(*next->second);
        at = next->second->to;
    }
    return chain;
}

}  // namespace sign
