// The Win32 message box: a real, modal box of the system.
#include <io.h>
#include <stdio.h>

#include "platform/native_windows.h"

#include "../common/backend.h"
#include "wide.h"

namespace platform {
namespace backend {

int DefaultMessageBox(void* owner, const char* text, const char* caption, uint32_t type) {
    std::wstring t = win32::Wide(text ? text : "");
    std::wstring c = caption ? win32::Wide(caption) : std::wstring();
    return MessageBoxW(static_cast<HWND>(owner), t.c_str(), caption ? c.c_str() : nullptr, type);
}

bool IsInteractiveTerminal() {
    return _isatty(_fileno(stdin)) && _isatty(_fileno(stderr));
}

}  // namespace backend
}  // namespace platform
