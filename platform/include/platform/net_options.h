// Socket options and socket-library start-up beyond what net.h offers: what
// the patcher's message client sets on its version-check connection.
#pragma once

#include "platform/net.h"
#include "platform/result.h"

namespace platform {

// Starts the system's socket library, asking for version 2.2, else 2.1,
// else 1.1; fails (with the last refusal's code) only when all three are
// refused. Each successful call holds one reference for the rest of the
// process. Always succeeds on POSIX, where there is nothing to start.
Status StartSocketLibrary();

// SO_REUSEADDR.
Status SetReuseAddress(TcpSocket& socket, bool on);

// SO_LINGER. With on and a time of 0 seconds, closing the socket resets the
// connection instead of the orderly close.
Status SetLinger(TcpSocket& socket, bool on, int seconds);

}  // namespace platform
