// Conversions between the seam's GBK texts and the wide Windows API.
// Private to the Win32 back end.
#pragma once

#include <string>

#include "platform/text.h"

namespace platform {
namespace win32 {

inline std::wstring Wide(const std::string& gbk) {
    std::u16string u = GbkToUtf16(gbk);
    return std::wstring(u.begin(), u.end());
}

inline std::string Narrow(const wchar_t* w, size_t n) {
    std::u16string u(reinterpret_cast<const char16_t*>(w), n);
    return Utf16ToGbk(u);
}

inline std::string Narrow(const std::wstring& w) {
    return Narrow(w.data(), w.size());
}

}  // namespace win32
}  // namespace platform
