#include "platform/net_options.h"

#include <sys/socket.h>
#include "../common/backend.h"

namespace platform {

Status StartSocketLibrary() {
    return Status::Ok();
}

Status SetReuseAddress(TcpSocket& socket, bool on) {
    int v = on ? 1 : 0;
    if (::setsockopt(static_cast<int>(socket.native()), SOL_SOCKET, SO_REUSEADDR, &v, sizeof v) !=
        0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Status SetLinger(TcpSocket& socket, bool on, int seconds) {
    linger l{};
    l.l_onoff = on ? 1 : 0;
    l.l_linger = seconds;
    if (::setsockopt(static_cast<int>(socket.native()), SOL_SOCKET, SO_LINGER, &l, sizeof l) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

}  // namespace platform
