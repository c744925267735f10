// Which charset a page is in, and the UTF-8 checks the reader needs.
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "Detail.h"
#include "news/Page.h"

namespace news {
namespace detail {

std::size_t Utf8SequenceLength(std::string_view s) {
    if (s.empty()) {
        return 0;
    }
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = at(0);
    if (c < 0x80) {
        return 1;
    }
    std::size_t n;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (s.size() < n) {
        return 0;
    }
    for (std::size_t i = 1; i < n; ++i) {
        if ((at(i) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (at(i) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t n = Utf8SequenceLength(s.substr(i));
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t n = Utf8SequenceLength(s.substr(i));
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s.data() + i, n);
            i += n;
        }
    }
    return out;
}

std::size_t Utf8Fit(std::string_view s, std::size_t limit) {
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t n = Utf8SequenceLength(s.substr(i, 4));
        if (n == 0) {
            n = 1;
        }
        if (i + n > limit) {
            break;
        }
        i += n;
    }
    return i;
}

std::string CharsetFamily(std::string_view name) {
    std::string lower;
    for (char c : name) {
        if (c != ' ' && c != '\t' && c != '"' && c != '\'') {
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    if (lower == "gbk" || lower == "gb2312" || lower == "gb18030" || lower == "cp936" ||
        lower == "x-gbk") {
        return "gbk";
    }
    if (lower == "utf-8" || lower == "utf8") {
        return "utf-8";
    }
    return "";
}

}  // namespace detail

namespace {

// Where a <meta> tag may declare the charset.
constexpr std::size_t kMetaScanBytes = 1024;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Position of needle (lower case) in s at or after from, ignoring ASCII case.
std::size_t FindNoCase(std::string_view s, std::string_view needle, std::size_t from) {
    for (std::size_t i = from; i + needle.size() <= s.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && Lower(s[i + k]) == needle[k]) {
            ++k;
        }
        if (k == needle.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The family of the charset a <meta> tag in head declares, or "".
std::string MetaCharset(std::string_view head) {
    std::size_t at = 0;
    while ((at = FindNoCase(head, "<meta", at)) != std::string_view::npos) {
        std::size_t end = head.find('>', at);
        std::string_view tag =
            head.substr(at, end == std::string_view::npos ? head.size() - at : end - at);
        std::size_t cs = FindNoCase(tag, "charset", 0);
        while (cs != std::string_view::npos) {
            std::size_t i = cs + 7;
            while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t')) {
                ++i;
            }
            if (i < tag.size() && tag[i] == '=') {
                ++i;
                while (i < tag.size() &&
                       (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '"' || tag[i] == '\'')) {
                    ++i;
                }
                std::size_t start = i;
                while (i < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[i])) ||
                                          tag[i] == '-' || tag[i] == '_')) {
                    ++i;
                }
                std::string family = detail::CharsetFamily(tag.substr(start, i - start));
                if (!family.empty()) {
                    return family;
                }
            }
            cs = FindNoCase(tag, "charset", cs + 7);
        }
        at += 5;
    }
    return "";
}

}  // namespace

std::string DetectCharset(std::string_view bytes, const std::string& headerCharset) {
    std::string family = detail::CharsetFamily(headerCharset);
    if (!family.empty()) {
        return family;
    }
    family = MetaCharset(bytes.substr(0, kMetaScanBytes));
    if (!family.empty()) {
        return family;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return "utf-8";
    }
    return detail::IsValidUtf8(bytes) ? "utf-8" : "gbk";
}

}  // namespace news
