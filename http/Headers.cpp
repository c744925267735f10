#include "http/Headers.h"

#include <limits>

namespace http {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Reads a run of at least one digit at s[at...] into value; false on no
// digit or overflow. at ends after the digits.
bool ReadNumber(std::string_view s, std::size_t& at, std::uint64_t& value) {
    const std::size_t start = at;
    value = 0;
    while (at < s.size() && IsDigit(s[at])) {
        const std::uint64_t digit = static_cast<std::uint64_t>(s[at] - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
        ++at;
    }
    return at > start;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Characters of an HTTP token (field names, parameter names and values).
bool IsTokenChar(char c) {
    if (c >= 'a' && c <= 'z')
        return true;
    if (c >= 'A' && c <= 'Z')
        return true;
    if (IsDigit(c))
        return true;
    switch (c) {
        case '!':
        case '#':
        case '$':
        case '%':
        case '&':
        case '\'':
        case '*':
        case '+':
        case '-':
        case '.':
        case '^':
        case '_':
        case '`':
        case '|':
        case '~':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    value = Trim(value);
    constexpr std::string_view kUnit = "bytes";
    if (value.size() <= kUnit.size() || !EqualsNoCase(value.substr(0, kUnit.size()), kUnit) ||
        !IsBlank(value[kUnit.size()])) {
        return std::nullopt;
    }
    std::size_t at = kUnit.size();
    while (at < value.size() && IsBlank(value[at])) {
        ++at;
    }
    ContentRange range;
    if (!ReadNumber(value, at, range.first) || at >= value.size() || value[at] != '-') {
        return std::nullopt;
    }
    ++at;
    if (!ReadNumber(value, at, range.last) || at >= value.size() || value[at] != '/') {
        return std::nullopt;
    }
    ++at;
    if (range.last < range.first) {
        return std::nullopt;
    }
    if (at < value.size() && value[at] == '*') {
        ++at;
    } else {
        std::uint64_t total = 0;
        if (!ReadNumber(value, at, total) || total <= range.last) {
            return std::nullopt;
        }
        range.total = total;
    }
    if (at != value.size()) {
        return std::nullopt;
    }
    return range;
}

std::string ContentTypeCharset(std::string_view contentType) {
    std::size_t at = contentType.find(';');
    if (at == std::string_view::npos) {
        return "";
    }
    const std::string_view s = contentType;
    // Each round reads one "; name=value" parameter.
    while (at < s.size() && s[at] == ';') {
        ++at;
        while (at < s.size() && IsBlank(s[at])) {
            ++at;
        }
        const std::size_t nameStart = at;
        while (at < s.size() && IsTokenChar(s[at])) {
            ++at;
        }
        const std::string_view name = s.substr(nameStart, at - nameStart);
        while (at < s.size() && IsBlank(s[at])) {
            ++at;
        }
        if (at >= s.size() || s[at] != '=' || name.empty()) {
            return "";
        }
        ++at;
        while (at < s.size() && IsBlank(s[at])) {
            ++at;
        }
        std::string parameter;
        if (at < s.size() && s[at] == '"') {
            ++at;
            bool closed = false;
            while (at < s.size()) {
                char c = s[at++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\') {
                    if (at >= s.size()) {
                        break;
                    }
                    c = s[at++];
                }
                parameter.push_back(c);
            }
            if (!closed) {
                return "";
            }
        } else {
            const std::size_t valueStart = at;
            while (at < s.size() && IsTokenChar(s[at])) {
                ++at;
            }
            parameter.assign(s.substr(valueStart, at - valueStart));
        }
        while (at < s.size() && IsBlank(s[at])) {
            ++at;
        }
        if (at < s.size() && s[at] != ';') {
            return "";
        }
        if (EqualsNoCase(name, "charset")) {
            if (parameter.empty() || parameter.size() > kMaxCharsetLength) {
                return "";
            }
            for (char& c : parameter) {
                if (!IsTokenChar(c)) {
                    return "";
                }
                c = Lower(c);
            }
            return parameter;
        }
    }
    return "";
}

std::optional<std::uint64_t> ParseContentLength(std::string_view value) {
    std::optional<std::uint64_t> length;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = value.find(',', start);
        const std::string_view item = Trim(value.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        std::size_t at = 0;
        std::uint64_t number = 0;
        if (!ReadNumber(item, at, number) || at != item.size()) {
            return std::nullopt;
        }
        if (length && *length != number) {
            return std::nullopt;
        }
        length = number;
        if (comma == std::string_view::npos) {
            return length;
        }
        start = comma + 1;
    }
}

}  // namespace http
