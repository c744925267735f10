#include "platform/icmp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include "../common/backend.h"
#include "sockets.h"

namespace platform {
namespace {

int Fd(intptr_t h) {
    return static_cast<int>(h);
}

}  // namespace

Result<IcmpSocket> IcmpSocket::Open(IcmpSocketKind kind, int ttl) {
    int type = kind == IcmpSocketKind::kRaw ? SOCK_RAW : SOCK_DGRAM;
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        return LastSocketError();
    }
    IcmpSocket s;
    s.handle_ = fd;
    s.kind_ = kind;
    if (::setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) != 0) {
        return LastSocketError();
    }
    if (kind == IcmpSocketKind::kDatagram) {
        // Binding to port 0 makes the kernel pick the socket's identifier now,
        // so replies can be matched against it before the first send.
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t len = sizeof sa;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
            return LastSocketError();
        }
        // sin_port holds the identifier as it goes on the wire.
        unsigned char wire[2];
        std::memcpy(wire, &sa.sin_port, sizeof wire);
        s.kernelId_ = static_cast<uint16_t>(wire[0] | (wire[1] << 8));
    }
    return s;
}

Status IcmpSocket::SendTo(const std::string& ipv4, const void* message, size_t size) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    if (::inet_pton(AF_INET, ipv4.c_str(), &sa.sin_addr) != 1) {
        return Error{EINVAL};
    }
    ssize_t n;
    do {
        n = ::sendto(Fd(handle_), message, size, 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

WaitResult IcmpSocket::WaitReadable(int timeoutMs) const {
    return posix::WaitFor(Fd(handle_), POLLIN, timeoutMs);
}

Result<size_t> IcmpSocket::Recv(void* buffer, size_t size) {
    return posix::Receive(Fd(handle_), buffer, size);
}

void IcmpSocket::Close() {
    if (handle_ != kInvalid) {
        ::close(Fd(handle_));
        handle_ = kInvalid;
    }
}

bool IsAccessDenied(const Error& e) {
    return e.code == EPERM || e.code == EACCES;
}

Error AccessDeniedError() {
    return Error{EPERM};
}

// There is no ICMP helper library on POSIX: no helper is ever loaded.
Result<IcmpHelper> IcmpHelper::Load() {
    return Error{ENOSYS};
}

Result<IcmpHelper::Echo> IcmpHelper::SendEcho(const std::string&, const void*, uint16_t,
                                              uint32_t) const {
    return Error{ENOSYS};
}

void IcmpHelper::Release() {
    module_ = nullptr;
    handle_ = -1;
}

Status StartSocketLibraryAt(int, int) {
    return Status::Ok();
}

void StopSocketLibrary() {}

}  // namespace platform
