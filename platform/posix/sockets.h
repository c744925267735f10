// What the POSIX back end's TCP and ICMP sockets share. Private to the
// POSIX back end.
#pragma once

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "../common/backend.h"
#include "platform/net.h"

namespace platform {
namespace posix {

// Waits until one of events is signalled on fd (interrupted waits go on).
// An error or a closed descriptor without any of the events is kError.
inline WaitResult WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r < 0) {
        return WaitResult::kError;
    }
    if (r == 0) {
        return WaitResult::kTimeout;
    }
    if ((p.revents & events) == 0 && (p.revents & (POLLERR | POLLNVAL))) {
        return WaitResult::kError;
    }
    return WaitResult::kReady;
}

// Packs the pieces a run of receives left at fixed places (piece i at
// i x piece, lengths[i] bytes of it) to the front of buffer, in order, and
// answers their total. A short piece is normally the last, as its receive
// emptied the socket; bytes that came in just after it leave a gap to close.
// A piece of 0 bytes means the peer closed the connection: none follow it.
inline size_t PackPieces(unsigned char* buffer, const size_t* lengths, size_t count, size_t piece) {
    size_t at = 0;
    for (size_t i = 0; i < count && lengths[i] > 0; ++i) {
        if (at != i * piece) {
            std::memmove(buffer + at, buffer + i * piece, lengths[i]);
        }
        at += lengths[i];
    }
    return at;
}

// recv, with interrupted calls repeated.
inline Result<size_t> Receive(int fd, void* buffer, size_t size) {
    ssize_t n;
    do {
        n = ::recv(fd, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return LastSocketError();
    }
    return static_cast<size_t>(n);
}

}  // namespace posix
}  // namespace platform
