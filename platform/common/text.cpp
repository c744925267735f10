// GBK <-> Unicode conversion from a built-in table, so every platform
// converts the same way whatever its locale or code-page files.
#include "platform/text.h"

#include <cstdint>
#include <vector>

namespace platform {
namespace {

#include "gbk_table.inc"

constexpr char32_t kReplacement = 0xFFFD;
constexpr unsigned char kEuroByte = 0x80;  // code page 936 puts the euro sign here
constexpr char32_t kEuro = 0x20AC;

// Unicode (BMP) -> GBK code (lead << 8 | trail, or a single byte); 0 = none.
const std::vector<uint16_t>& UnicodeToGbk() {
    static const std::vector<uint16_t> table = [] {
        std::vector<uint16_t> t(0x10000, 0);
        for (int lead = 0; lead < 126; ++lead) {
            for (int trail = 0; trail < 191; ++trail) {
                uint16_t u = kGbkToUnicode[lead * 191 + trail];
                if (u != 0 && t[u] == 0) {
                    t[u] = static_cast<uint16_t>(((lead + 0x81) << 8) | (trail + 0x40));
                }
            }
        }
        t[kEuro] = kEuroByte;
        return t;
    }();
    return table;
}

// Decodes one GBK character at s[i]; advances i.
char32_t DecodeGbk(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    if (c == kEuroByte) {
        ++i;
        return kEuro;
    }
    if (!IsGbkLeadByte(c) || i + 1 >= s.size()) {
        ++i;
        return kReplacement;
    }
    unsigned char t = static_cast<unsigned char>(s[i + 1]);
    if (t < 0x40 || t > 0xFE || t == 0x7F) {
        ++i;  // the lead byte alone is bad; the next byte starts afresh
        return kReplacement;
    }
    i += 2;
    uint16_t u = kGbkToUnicode[(c - 0x81) * 191 + (t - 0x40)];
    return u == 0 ? kReplacement : u;
}

// Decodes one UTF-8 character at s[i]; advances i. Malformed bytes give
// kReplacement one byte at a time.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
        extra = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, cp = c & 0x07, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + extra >= s.size()) {  // truncated sequence
        ++i;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += extra + 1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

void AppendGbk(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    uint16_t g = cp < 0x10000 ? UnicodeToGbk()[cp] : 0;
    if (g == 0) {
        out += '?';
    } else if (g < 0x100) {
        out += static_cast<char>(g);
    } else {
        out += static_cast<char>(g >> 8);
        out += static_cast<char>(g & 0xFF);
    }
}

char32_t DecodeUtf16(std::u16string_view s, size_t& i) {
    char16_t c = s[i++];
    if (c >= 0xD800 && c <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
        char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (s[i] - 0xDC00);
        ++i;
        return cp;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
        return kReplacement;
    }
    return c;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        AppendGbk(out, DecodeUtf8(utf8, i));
    }
    return out;
}

std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    for (size_t i = 0; i < gbk.size();) {
        AppendUtf8(out, DecodeGbk(gbk, i));
    }
    return out;
}

std::u16string GbkToUtf16(std::string_view gbk) {
    std::u16string out;
    out.reserve(gbk.size());
    for (size_t i = 0; i < gbk.size();) {
        AppendUtf16(out, DecodeGbk(gbk, i));
    }
    return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 2);
    for (size_t i = 0; i < utf16.size();) {
        AppendGbk(out, DecodeUtf16(utf16, i));
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        AppendUtf16(out, DecodeUtf8(utf8, i));
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size();) {
        AppendUtf8(out, DecodeUtf16(utf16, i));
    }
    return out;
}

std::string GbkToLowerAscii(std::string_view gbk) {
    std::string out(gbk);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsGbkLeadByte(c)) {
            ++i;  // the trail byte belongs to the character
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && GbkToLowerAscii(a) == GbkToLowerAscii(b);
}

// ---- Paths ----

namespace {

bool IsSeparator(char c, PathSeparators separators) {
    return c == '\\' || (c == '/' && separators == PathSeparators::kBoth);
}

}  // namespace

size_t GbkFit(std::string_view gbk, size_t limit) {
    size_t keep = 0;
    while (keep < gbk.size()) {
        const bool pair =
            IsGbkLeadByte(static_cast<unsigned char>(gbk[keep])) && keep + 1 < gbk.size();
        const size_t step = pair ? 2 : 1;
        if (keep + step > limit) {
            break;
        }
        keep += step;
    }
    return keep;
}

size_t LastSeparator(std::string_view path, PathSeparators separators) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsGbkLeadByte(static_cast<unsigned char>(path[i]))) {
            ++i;  // the trail byte belongs to the character
        } else if (IsSeparator(path[i], separators)) {
            last = i;
        }
    }
    return last;
}

std::vector<std::string> Split(std::string_view path, PathSeparators separators) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsGbkLeadByte(static_cast<unsigned char>(path[i]))) {
            ++i;
        } else if (IsSeparator(path[i], separators)) {
            if (i > start) {
                parts.emplace_back(path.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    if (start < path.size()) {
        parts.emplace_back(path.substr(start));
    }
    return parts;
}

std::string DirName(std::string_view path, PathSeparators separators) {
    const size_t last = LastSeparator(path, separators);
    return last == std::string::npos ? std::string() : std::string(path.substr(0, last));
}

std::string BaseName(std::string_view path, PathSeparators separators) {
    const size_t last = LastSeparator(path, separators);
    return std::string(last == std::string::npos ? path : path.substr(last + 1));
}

std::vector<std::string> PathPrefixes(std::string_view path, PathSeparators separators) {
    std::vector<std::string> prefixes;
    for (std::string p(path); !p.empty(); p = DirName(p, separators)) {
        prefixes.push_back(p);
    }
    return std::vector<std::string>(prefixes.rbegin(), prefixes.rend());
}

bool IsAbsolutePath(std::string_view path) {
    // Neither "\" in front nor ":" after one byte can be a trail byte.
    return (!path.empty() && (path[0] == '\\' || path[0] == '/')) ||
           (path.size() >= 2 && path[1] == ':');
}

std::string WithBackslashes(std::string_view path) {
    std::string out(path);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsGbkLeadByte(static_cast<unsigned char>(out[i]))) {
            ++i;
        } else if (out[i] == '/') {
            out[i] = '\\';
        }
    }
    return out;
}

}  // namespace platform
