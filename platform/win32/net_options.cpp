#include "platform/net_options.h"

#include "../common/backend.h"
#include "platform/native_windows.h"

namespace platform {

Status StartSocketLibrary() {
    const WORD versions[] = {MAKEWORD(2, 2), MAKEWORD(2, 1), MAKEWORD(1, 1)};
    int refused = 0;
    for (WORD v : versions) {
        WSADATA data;
        refused = WSAStartup(v, &data);  // answers its error, sets none
        if (refused == 0) {
            return Status::Ok();
        }
    }
    return Error{static_cast<uint32_t>(refused)};
}

Status SetReuseAddress(TcpSocket& socket, bool on) {
    BOOL v = on ? TRUE : FALSE;
    if (setsockopt(static_cast<SOCKET>(socket.native()), SOL_SOCKET, SO_REUSEADDR,
                   reinterpret_cast<const char*>(&v), sizeof v) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Status SetLinger(TcpSocket& socket, bool on, int seconds) {
    linger l{};
    l.l_onoff = static_cast<u_short>(on ? 1 : 0);
    l.l_linger = static_cast<u_short>(seconds);
    if (setsockopt(static_cast<SOCKET>(socket.native()), SOL_SOCKET, SO_LINGER,
                   reinterpret_cast<const char*>(&l), sizeof l) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

}  // namespace platform
