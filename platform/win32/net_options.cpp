#include "platform/net_options.h"

#include "platform/native_windows.h"

namespace platform {

bool StartSocketLibrary() {
    const WORD versions[] = {MAKEWORD(2, 2), MAKEWORD(2, 1), MAKEWORD(1, 1)};
    for (WORD v : versions) {
        WSADATA data;
        if (WSAStartup(v, &data) == 0) {
            return true;
        }
    }
    return false;
}

Status SetReuseAddress(TcpSocket& socket, bool on) {
    BOOL v = on ? TRUE : FALSE;
    if (setsockopt(static_cast<SOCKET>(socket.native()), SOL_SOCKET, SO_REUSEADDR,
                   reinterpret_cast<const char*>(&v), sizeof v) != 0) {
        return Error{static_cast<uint32_t>(WSAGetLastError())};
    }
    return Status::Ok();
}

Status SetLinger(TcpSocket& socket, bool on, int seconds) {
    linger l{};
    l.l_onoff = static_cast<u_short>(on ? 1 : 0);
    l.l_linger = static_cast<u_short>(seconds);
    if (setsockopt(static_cast<SOCKET>(socket.native()), SOL_SOCKET, SO_LINGER,
                   reinterpret_cast<const char*>(&l), sizeof l) != 0) {
        return Error{static_cast<uint32_t>(WSAGetLastError())};
    }
    return Status::Ok();
}

}  // namespace platform
