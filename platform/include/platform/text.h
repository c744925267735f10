// Text encoding. The system's texts are GBK (code page 936) byte strings;
// sources write them in UTF-8 and convert them once with GBK(...). Texts are
// turned into UTF-8 or UTF-16 only where they are displayed.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A GBK lead byte takes the following byte with it, whatever that byte is.
inline bool IsGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

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

}  // namespace platform

// GBK("...") converts a UTF-8 literal once per call site and answers a
// pointer to the GBK text that lives for the rest of the program.
#define GBK(utf8_literal)                                                         \
    ([]() -> const char* {                                                        \
        static const std::string converted = ::platform::Utf8ToGbk(utf8_literal); \
        return converted.c_str();                                                 \
    }())
