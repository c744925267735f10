// POSIX has no message-box window of its own: boxes go to the terminal.
#include <unistd.h>

#include "../common/backend.h"

namespace platform {
namespace backend {

int DefaultMessageBox(void* owner, const char* text, const char* caption, uint32_t type) {
    return ConsoleMessageBox(owner, text, caption, type);
}

bool IsInteractiveTerminal() {
    return ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO);
}

}  // namespace backend
}  // namespace platform
