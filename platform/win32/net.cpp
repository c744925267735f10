#include "platform/net.h"

#include <algorithm>
#include <cstring>

#include "../common/backend.h"
#include "platform/native_windows.h"
#include "sockets.h"

namespace platform {
namespace {

SOCKET S(intptr_t h) {
    return static_cast<SOCKET>(h);
}

bool ToAddress(const std::string& ipv4, uint16_t port, sockaddr_in& sa) {
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (ipv4.empty() || ipv4 == "0.0.0.0") {
        sa.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return inet_pton(AF_INET, ipv4.c_str(), &sa.sin_addr) == 1;
}

// select() rather than WSAPoll: WSAPoll does not report a failed connect.

}  // namespace

TcpSocket::~TcpSocket() {
    Close();
}

Result<TcpSocket> TcpSocket::Create() {
    win32::EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        return LastSocketError();
    }
    return TcpSocket(static_cast<intptr_t>(s));
}

Result<TcpSocket> TcpSocket::Listen(const std::string& address, uint16_t port, int backlog) {
    sockaddr_in sa;
    if (!ToAddress(address, port, sa)) {
        return Error{WSAEINVAL};
    }
    auto s = Create();
    if (!s) {
        return s;
    }
    if (bind(S(s->handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        listen(S(s->handle_), backlog) != 0) {
        return LastSocketError();
    }
    return s;
}

Result<TcpSocket> TcpSocket::Bind(const std::string& address, uint16_t port) {
    sockaddr_in sa;
    if (!ToAddress(address, port, sa)) {
        return Error{WSAEINVAL};
    }
    auto s = Create();
    if (!s) {
        return s;
    }
    // Windows lets a socket with SO_REUSEADDR take a bound port unless the
    // holder asked for it exclusively.
    BOOL one = TRUE;
    if (setsockopt(S(s->handle_), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                   reinterpret_cast<const char*>(&one), sizeof one) != 0 ||
        bind(S(s->handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        return LastSocketError();
    }
    return s;
}

void TcpSocket::Close() {
    if (handle_ != kInvalid) {
        closesocket(S(handle_));
        handle_ = kInvalid;
    }
}

Status TcpSocket::SetNonBlocking(bool on) {
    u_long v = on ? 1 : 0;
    if (ioctlsocket(S(handle_), FIONBIO, &v) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Result<TcpSocket::ConnectState> TcpSocket::Connect(const std::string& ipv4, uint16_t port) {
    sockaddr_in sa;
    if (ipv4.empty() || !ToAddress(ipv4, port, sa)) {
        return Error{WSAEINVAL};
    }
    if (connect(S(handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
        return ConnectState::kConnected;
    }
    int e = WSAGetLastError();
    if (e == WSAEWOULDBLOCK || e == WSAEINPROGRESS) {
        return ConnectState::kInProgress;
    }
    return Error{static_cast<uint32_t>(e)};
}

Status TcpSocket::PendingError() const {
    int err = 0;
    int len = sizeof err;
    if (getsockopt(S(handle_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0) {
        return LastSocketError();
    }
    if (err != 0) {
        return Error{static_cast<uint32_t>(err)};
    }
    return Status::Ok();
}

WaitResult TcpSocket::WaitReadable(int timeoutMs) const {
    return win32::WaitFor(S(handle_), false, timeoutMs);
}
WaitResult TcpSocket::WaitWritable(int timeoutMs) const {
    return win32::WaitFor(S(handle_), true, timeoutMs);
}

Result<size_t> TcpSocket::Send(const void* data, size_t size) {
    int n = send(S(handle_), static_cast<const char*>(data),
                 static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size), 0);
    if (n == SOCKET_ERROR) {
        return LastSocketError();
    }
    return static_cast<size_t>(n);
}

Result<size_t> TcpSocket::Recv(void* buffer, size_t size) {
    int n = recv(S(handle_), static_cast<char*>(buffer),
                 static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size), 0);
    if (n == SOCKET_ERROR) {
        return LastSocketError();
    }
    return static_cast<size_t>(n);
}

Result<size_t> TcpSocket::RecvPieces(void* buffer, size_t size, size_t piece) {
    if (piece == 0 || size <= piece) {
        return Recv(buffer, size);
    }
    auto* bytes = static_cast<char*>(buffer);
    size_t at = 0;
    while (at < size) {
        const size_t want = std::min(piece, size - at);
        auto got = Recv(bytes + at, want);
        if (!got) {
            if (at > 0) {
                break;  // the socket keeps the error for the next call
            }
            return got.error();
        }
        at += *got;
        if (*got < want) {
            break;
        }
    }
    return at;
}

Result<TcpSocket> TcpSocket::Accept() {
    SOCKET s = accept(S(handle_), nullptr, nullptr);
    if (s == INVALID_SOCKET) {
        return LastSocketError();
    }
    return TcpSocket(static_cast<intptr_t>(s));
}

Result<uint16_t> TcpSocket::LocalPort() const {
    sockaddr_in sa;
    int len = sizeof sa;
    if (getsockname(S(handle_), reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        return LastSocketError();
    }
    return static_cast<uint16_t>(ntohs(sa.sin_port));
}

Result<std::string> TcpSocket::PeerAddress() const {
    sockaddr_in sa;
    int len = sizeof sa;
    if (getpeername(S(handle_), reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        return LastSocketError();
    }
    char buf[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &sa.sin_addr, buf, sizeof buf);
    return std::string(buf);
}

Status TcpSocket::ShutdownSend() {
    if (shutdown(S(handle_), SD_SEND) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Status TcpSocket::SetNoDelay(bool on) {
    BOOL v = on ? TRUE : FALSE;
    if (setsockopt(S(handle_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&v),
                   sizeof v) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Status TcpSocket::SetTimeouts(int recvMs, int sendMs) {
    DWORD r = static_cast<DWORD>(recvMs);
    DWORD s = static_cast<DWORD>(sendMs);
    if (setsockopt(S(handle_), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&r),
                   sizeof r) != 0 ||
        setsockopt(S(handle_), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&s),
                   sizeof s) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

bool IsWouldBlock(const Error& e) {
    return e.code == WSAEWOULDBLOCK || e.code == WSAEINPROGRESS;
}

bool IsConnectionReset(const Error& e) {
    return e.code == WSAECONNRESET || e.code == WSAECONNABORTED || e.code == WSAESHUTDOWN;
}

bool IsNoBufferSpace(const Error& e) {
    return e.code == WSAENOBUFS;
}

std::vector<std::string> ResolveIPv4(const std::string& host) {
    win32::EnsureWinsock();
    std::vector<std::string> out;
    if (host.empty()) {
        return out;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0) {
        return out;
    }
    for (addrinfo* p = res; p; p = p->ai_next) {
        char buf[INET_ADDRSTRLEN] = {};
        auto* sa = reinterpret_cast<sockaddr_in*>(p->ai_addr);
        inet_ntop(AF_INET, &sa->sin_addr, buf, sizeof buf);
        bool seen = false;
        for (const auto& s : out) {
            seen = seen || s == buf;
        }
        if (!seen) {
            out.push_back(buf);
        }
    }
    freeaddrinfo(res);
    return out;
}

Result<int> Poll(std::vector<PollItem>& items, int timeoutMs) {
    std::vector<WSAPOLLFD> fds(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        fds[i].fd = items[i].socket ? S(items[i].socket->native()) : INVALID_SOCKET;
        fds[i].events = static_cast<short>((items[i].wantRead ? POLLRDNORM : 0) |
                                           (items[i].wantWrite ? POLLWRNORM : 0));
        fds[i].revents = 0;
    }
    int r = WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs);
    if (r == SOCKET_ERROR) {
        return LastSocketError();
    }
    for (size_t i = 0; i < items.size(); ++i) {
        short re = fds[i].revents;
        items[i].readable = (re & (POLLRDNORM | POLLHUP)) != 0 && items[i].wantRead;
        items[i].writable = (re & POLLWRNORM) != 0;
        items[i].failed = (re & (POLLERR | POLLNVAL)) != 0;
    }
    return r;
}

}  // namespace platform
