// Text encoding. The system's texts are GBK (code page 936) byte strings;
// sources write them in UTF-8 and convert them once with GBK(...). Texts are
// turned into UTF-8 or UTF-16 only where they are displayed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A GBK lead byte takes the following byte with it, whatever that byte is.
inline bool IsGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// How many bytes of the GBK text fit in limit bytes without splitting a
// character (a lead byte with nothing after it counts as one byte).
size_t GbkFit(std::string_view gbk, size_t limit);

// UTF-8 to GBK. Characters GBK cannot express become "?"; malformed UTF-8
// bytes become "?" one by one.
std::string Utf8ToGbk(std::string_view utf8);
// GBK to UTF-8. A lead byte without a valid trail, or a pair that maps to no
// character, becomes U+FFFD.
std::string GbkToUtf8(std::string_view gbk);
// GBK to UTF-16, for the wide Windows API.
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// ASCII-only lower-casing that leaves both bytes of every GBK character
// alone (a trail byte may look like an upper-case letter).
std::string GbkToLowerAscii(std::string_view gbk);
// Whether a and b are the same text but for the case of ASCII letters, as
// Windows compares file, section and key names; GBK characters compare byte
// for byte.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Paths are GBK text too: a lead byte takes the next byte with it, so a trail
// byte that looks like "\" never separates (none looks like "/"). Archive
// paths and the paths in the system's own messages separate with "\" only;
// system paths (file.h) and paths typed by people with "\" or "/".
enum class PathSeparators {
    kBackslash,  // "\" only
    kBoth,       // "\" and "/"
};

// Index of the last separator in path, or std::string::npos.
size_t LastSeparator(std::string_view path, PathSeparators separators);
// The components between the separators; empty ones (from a leading,
// trailing or doubled separator) are dropped.
std::vector<std::string> Split(std::string_view path, PathSeparators separators);
// What stands before the last separator ("" when there is none).
std::string DirName(std::string_view path, PathSeparators separators);
// What stands after the last separator (all of path when there is none).
std::string BaseName(std::string_view path, PathSeparators separators);
// The folders that lead to path, then path itself, outermost first
// ("a\b\c": "a", "a\b", "a\b\c"); a leading separator starts no folder.
std::vector<std::string> PathPrefixes(std::string_view path, PathSeparators separators);
// Whether path starts at a root: "\", "/" or a drive ("C:").
bool IsAbsolutePath(std::string_view path);
// path with every "/" turned into "\".
std::string WithBackslashes(std::string_view path);

}  // namespace platform

// GBK("...") converts a UTF-8 literal once per call site and answers a
// pointer to the GBK text that lives for the rest of the program.
#define GBK(utf8_literal)                                                         \
    ([]() -> const char* {                                                        \
        static const std::string converted = ::platform::Utf8ToGbk(utf8_literal); \
        return converted.c_str();                                                 \
    }())
