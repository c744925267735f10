// Link targets of a page, made absolute against the page's own address.
#include <string>
#include <string_view>
#include <vector>

#include "Detail.h"

namespace news::detail {
namespace {

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSchemeChar(char c) {
    return IsAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// The scheme of url in lower case, or "" when url has none (is relative).
std::string SchemeOf(std::string_view url) {
    if (url.empty() || !IsAlpha(url[0])) {
        return "";
    }
    std::size_t i = 1;
    while (i < url.size() && IsSchemeChar(url[i])) {
        ++i;
    }
    return i < url.size() && url[i] == ':' ? LowerAscii(url.substr(0, i)) : "";
}

// An http or https address split where resolution needs it.
struct Base {
    std::string origin;  // "http://host:port"
    std::string path;    // "/a/b.html", at least "/"
};

bool ParseBase(std::string_view url, Base* base) {
    std::string scheme = SchemeOf(url);
    if (scheme != "http" && scheme != "https") {
        return false;
    }
    std::string_view rest = url.substr(scheme.size() + 1);
    if (rest.substr(0, 2) != "//") {
        return false;
    }
    std::size_t authorityEnd = rest.find_first_of("/?#", 2);
    if (authorityEnd == std::string_view::npos) {
        authorityEnd = rest.size();
    }
    if (authorityEnd == 2) {
        return false;
    }
    base->origin = scheme + ":" + std::string(rest.substr(0, authorityEnd));
    rest = rest.substr(authorityEnd);
    base->path = std::string(rest.substr(0, rest.find_first_of("?#")));
    if (base->path.empty()) {
        base->path = "/";
    }
    return true;
}

// path (starting with "/") without its "." and ".." segments.
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> out;
    std::size_t start = 1;
    bool trailingSlash = false;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        std::string_view segment = path.substr(start, end - start);
        bool last = end == path.size();
        if (segment == ".") {
            trailingSlash = last;
        } else if (segment == "..") {
            if (!out.empty()) {
                out.pop_back();
            }
            trailingSlash = last;
        } else {
            out.push_back(segment);
            trailingSlash = false;
        }
        start = end + 1;
    }
    std::string result;
    for (std::string_view segment : out) {
        result += '/';
        result += segment;
    }
    if (trailingSlash || result.empty()) {
        result += '/';
    }
    return result;
}

// url with every byte that cannot stand in an address as it is (non-ASCII,
// space, controls, quotes and angle brackets) percent-encoded.
std::string PercentEncode(std::string_view url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : url) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '`') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

// href as a browser reads the attribute: leading and trailing spaces and
// controls stripped, tabs and line breaks inside removed.
std::string CleanHref(std::string_view href) {
    std::size_t b = 0;
    std::size_t e = href.size();
    while (b < e && static_cast<unsigned char>(href[b]) <= 0x20) {
        ++b;
    }
    while (e > b && static_cast<unsigned char>(href[e - 1]) <= 0x20) {
        --e;
    }
    std::string out;
    for (char c : href.substr(b, e - b)) {
        if (c != '\t' && c != '\n' && c != '\r') {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string ResolveLink(const std::string& base, std::string_view rawHref) {
    std::string href = CleanHref(rawHref);
    if (href.empty() || href[0] == '#') {
        return "";
    }
    std::string scheme = SchemeOf(href);
    if (!scheme.empty()) {
        if (scheme != "http" && scheme != "https" && scheme != "mailto") {
            return "";
        }
        std::string rest = href.substr(scheme.size());
        if (scheme != "mailto") {
            // "http:x" without "//" names no host; only an absolute form is kept.
            if (rest.substr(0, 3) != "://" || rest.size() == 3) {
                return "";
            }
        } else if (rest.size() == 1) {
            return "";
        }
        return PercentEncode(scheme + rest);
    }
    Base b;
    if (!ParseBase(base, &b)) {
        return "";
    }
    std::string fragment;
    std::size_t hash = href.find('#');
    if (hash != std::string::npos) {
        fragment = href.substr(hash);
        href.resize(hash);
    }
    std::string query;
    std::size_t q = href.find('?');
    if (q != std::string::npos) {
        query = href.substr(q);
        href.resize(q);
    }
    std::string result;
    if (href.substr(0, 2) == "//") {
        if (href.size() == 2) {
            return "";
        }
        result = b.origin.substr(0, b.origin.find(':')) + ":" + href + query;
    } else if (!href.empty() && href[0] == '/') {
        result = b.origin + RemoveDotSegments(href) + query;
    } else if (href.empty()) {
        // "?q": the page's path with another query.
        result = b.origin + b.path + query;
    } else {
        std::string dir = b.path.substr(0, b.path.rfind('/') + 1);
        result = b.origin + RemoveDotSegments(dir + href) + query;
    }
    return PercentEncode(result + fragment);
}

}  // namespace news::detail
