// What each back end (posix/, win32/) supplies to the portable code of the
// seam. Private to platform/.
#pragma once

#include "platform/file.h"
#include "platform/msgbox.h"
#include "platform/result.h"

namespace platform {

// The calling thread's last system error (errno, GetLastError()).
inline Error LastError() {
    return Error{LastSystemError()};
}

// The last error of a socket call (errno; WSAGetLastError() on Windows).
Error LastSocketError();

namespace backend {

// The platform's own message box: a real box on Windows, a prompt on the
// terminal on POSIX.
int DefaultMessageBox(void* owner, const char* text, const char* caption, uint32_t type);

// Whether standard input and standard error are both a terminal.
bool IsInteractiveTerminal();

// CopyFileRange through the program's memory, a piece at a time: for what
// the system will not copy between the files by itself.
Result<size_t> CopyThroughBuffer(File& from, uint64_t fromOffset, File& to, uint64_t toOffset,
                                 size_t size);

}  // namespace backend
}  // namespace platform
