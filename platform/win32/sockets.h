// What the Win32 back end's TCP and ICMP sockets share. Private to the
// Win32 back end.
#pragma once

#include "platform/native_windows.h"
#include "platform/net.h"

namespace platform {
namespace win32 {

// Starts Winsock once per process; it stays up until the process ends.
inline void EnsureWinsock() {
    static const bool started = [] {
        WSADATA d;
        return WSAStartup(MAKEWORD(2, 2), &d) == 0;
    }();
    (void)started;
}

// Waits until s can be read (or written). A socket with a pending error
// counts as ready: the call that follows reports the error.
inline WaitResult WaitFor(SOCKET s, bool write, int timeoutMs) {
    fd_set set, err;
    FD_ZERO(&set);
    FD_ZERO(&err);
    FD_SET(s, &set);
    FD_SET(s, &err);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int r = select(0, write ? nullptr : &set, write ? &set : nullptr, &err,
                   timeoutMs < 0 ? nullptr : &tv);
    if (r == SOCKET_ERROR) {
        return WaitResult::kError;
    }
    return r == 0 ? WaitResult::kTimeout : WaitResult::kReady;
}

}  // namespace win32
}  // namespace platform
