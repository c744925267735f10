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
    // A box without a caption shows the program's title; a null caption
    // would make the system show "Error" over every such box.
    std::string title = caption ? std::string(caption) : DefaultCaption();
    std::wstring c = win32::Wide(title);
    return MessageBoxW(static_cast<HWND>(owner), t.c_str(), title.empty() ? nullptr : c.c_str(),
                       type);
}

bool IsInteractiveTerminal() {
    return _isatty(_fileno(stdin)) && _isatty(_fileno(stderr));
}

}  // namespace backend
}  // namespace platform
