#include "testsupport/server_process.h"

#include "platform/net.h"

namespace testsupport {

uint16_t FreePort(const std::string& address) {
    auto l = platform::TcpSocket::Listen(address, 0, 1);
    return l ? *l->LocalPort() : 0;
}

bool Accepts(const std::string& address, uint16_t port) {
    auto s = platform::TcpSocket::Create();
    if (!s) {
        return false;
    }
    auto c = s->Connect(address, port);
    return c && *c == platform::TcpSocket::ConnectState::kConnected;
}

void StopServer(platform::Process& process) {
    if (!process.IsValid()) {
        return;
    }
    process.Terminate();
    if (!process.Wait(kServerStopTimeoutMs)) {
        process.Kill();
        process.Wait(-1);
    }
}

}  // namespace testsupport
