// What each back end (posix/, win32/) supplies to the portable code of the
// seam. Private to platform/.
#pragma once

#include "platform/msgbox.h"

namespace platform {
namespace backend {

// The platform's own message box: a real box on Windows, a prompt on the
// terminal on POSIX.
int DefaultMessageBox(void* owner, const char* text, const char* caption, uint32_t type);

// Whether standard input and standard error are both a terminal.
bool IsInteractiveTerminal();

}  // namespace backend
}  // namespace platform
