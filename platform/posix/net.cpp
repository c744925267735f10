#include "platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include "../common/backend.h"
#include "sockets.h"

namespace platform {
namespace {

int Fd(intptr_t h) {
    return static_cast<int>(h);
}

bool ToAddress(const std::string& ipv4, uint16_t port, sockaddr_in& sa) {
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (ipv4.empty() || ipv4 == "0.0.0.0") {
        sa.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return ::inet_pton(AF_INET, ipv4.c_str(), &sa.sin_addr) == 1;
}

}  // namespace

TcpSocket::~TcpSocket() {
    Close();
}

Result<TcpSocket> TcpSocket::Create() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
        return LastSocketError();
    }
    return TcpSocket(fd);
}

Result<TcpSocket> TcpSocket::Listen(const std::string& address, uint16_t port, int backlog) {
    sockaddr_in sa;
    if (!ToAddress(address, port, sa)) {
        return Error{EINVAL};
    }
    auto s = Create();
    if (!s) {
        return s;
    }
    int one = 1;
    ::setsockopt(Fd(s->handle_), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(Fd(s->handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(Fd(s->handle_), backlog) != 0) {
        return LastSocketError();
    }
    return s;
}

Result<TcpSocket> TcpSocket::Bind(const std::string& address, uint16_t port) {
    sockaddr_in sa;
    if (!ToAddress(address, port, sa)) {
        return Error{EINVAL};
    }
    auto s = Create();
    if (!s) {
        return s;
    }
    // No SO_REUSEADDR: without it on both sockets, no other socket may bind
    // the port while this one holds it.
    if (::bind(Fd(s->handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        return LastSocketError();
    }
    return s;
}

void TcpSocket::Close() {
    if (handle_ != kInvalid) {
        ::close(Fd(handle_));
        handle_ = kInvalid;
    }
}

Status TcpSocket::SetNonBlocking(bool on) {
    int flags = ::fcntl(Fd(handle_), F_GETFL, 0);
    if (flags < 0) {
        return LastSocketError();
    }
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    if (::fcntl(Fd(handle_), F_SETFL, flags) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Result<TcpSocket::ConnectState> TcpSocket::Connect(const std::string& ipv4, uint16_t port) {
    sockaddr_in sa;
    if (!ToAddress(ipv4, port, sa) || ipv4.empty()) {
        return Error{EINVAL};
    }
    int r;
    do {
        r = ::connect(Fd(handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    } while (r != 0 && errno == EINTR);
    if (r == 0) {
        return ConnectState::kConnected;
    }
    if (errno == EINPROGRESS) {
        return ConnectState::kInProgress;
    }
    return LastSocketError();
}

Status TcpSocket::PendingError() const {
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(Fd(handle_), SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
        return LastSocketError();
    }
    if (err != 0) {
        return Error{static_cast<uint32_t>(err)};
    }
    return Status::Ok();
}

WaitResult TcpSocket::WaitReadable(int timeoutMs) const {
    return posix::WaitFor(Fd(handle_), POLLIN, timeoutMs);
}

WaitResult TcpSocket::WaitWritable(int timeoutMs) const {
    return posix::WaitFor(Fd(handle_), POLLOUT, timeoutMs);
}

Result<size_t> TcpSocket::Send(const void* data, size_t size) {
    ssize_t n;
    do {
        n = ::send(Fd(handle_), data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return LastSocketError();
    }
    return static_cast<size_t>(n);
}

Result<size_t> TcpSocket::Recv(void* buffer, size_t size) {
    return posix::Receive(Fd(handle_), buffer, size);
}

Result<size_t> TcpSocket::RecvPieces(void* buffer, size_t size, size_t piece) {
    // Enough pieces for a few kilobytes of small receives per call.
    constexpr size_t kPiecesMax = 32;
    if (piece == 0 || size <= piece) {
        return Recv(buffer, size);
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    const size_t count = std::min(kPiecesMax, (size + piece - 1) / piece);
    iovec iov[kPiecesMax];
    mmsghdr messages[kPiecesMax];
    std::memset(messages, 0, sizeof messages);
    for (size_t i = 0; i < count; ++i) {
        iov[i].iov_base = bytes + i * piece;
        iov[i].iov_len = std::min(piece, size - i * piece);
        messages[i].msg_hdr.msg_iov = &iov[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    // MSG_WAITFORONE: only the first receive may wait (on a blocking
    // socket); the run ends when the socket has nothing more.
    int n;
    do {
        n = ::recvmmsg(Fd(handle_), messages, static_cast<unsigned>(count), MSG_WAITFORONE,
                       nullptr);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return LastSocketError();
    }
    // Every byte a receive took is the caller's now, also those of a
    // receive that came after a short one.
    size_t lengths[kPiecesMax];
    for (int i = 0; i < n; ++i) {
        lengths[i] = messages[i].msg_len;
    }
    return posix::PackPieces(bytes, lengths, static_cast<size_t>(n), piece);
}

Result<TcpSocket> TcpSocket::Accept() {
    int fd;
    do {
        fd = ::accept4(Fd(handle_), nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return LastSocketError();
    }
    return TcpSocket(fd);
}

Result<uint16_t> TcpSocket::LocalPort() const {
    sockaddr_in sa;
    socklen_t len = sizeof sa;
    if (::getsockname(Fd(handle_), reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        return LastSocketError();
    }
    return static_cast<uint16_t>(ntohs(sa.sin_port));
}

Result<std::string> TcpSocket::PeerAddress() const {
    sockaddr_in sa;
    socklen_t len = sizeof sa;
    if (::getpeername(Fd(handle_), reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        return LastSocketError();
    }
    char buf[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &sa.sin_addr, buf, sizeof buf);
    return std::string(buf);
}

Status TcpSocket::ShutdownSend() {
    if (::shutdown(Fd(handle_), SHUT_WR) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Status TcpSocket::SetNoDelay(bool on) {
    int v = on ? 1 : 0;
    if (::setsockopt(Fd(handle_), IPPROTO_TCP, TCP_NODELAY, &v, sizeof v) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

Status TcpSocket::SetTimeouts(int recvMs, int sendMs) {
    timeval r{recvMs / 1000, (recvMs % 1000) * 1000};
    timeval s{sendMs / 1000, (sendMs % 1000) * 1000};
    if (::setsockopt(Fd(handle_), SOL_SOCKET, SO_RCVTIMEO, &r, sizeof r) != 0 ||
        ::setsockopt(Fd(handle_), SOL_SOCKET, SO_SNDTIMEO, &s, sizeof s) != 0) {
        return LastSocketError();
    }
    return Status::Ok();
}

bool IsWouldBlock(const Error& e) {
    return e.code == EAGAIN || e.code == EWOULDBLOCK || e.code == EINPROGRESS;
}

bool IsConnectionReset(const Error& e) {
    return e.code == ECONNRESET || e.code == ECONNABORTED || e.code == EPIPE;
}

bool IsNoBufferSpace(const Error& e) {
    return e.code == ENOBUFS;
}

std::vector<std::string> ResolveIPv4(const std::string& host) {
    std::vector<std::string> out;
    if (host.empty()) {
        return out;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0) {
        return out;
    }
    for (addrinfo* p = res; p; p = p->ai_next) {
        char buf[INET_ADDRSTRLEN] = {};
        auto* sa = reinterpret_cast<sockaddr_in*>(p->ai_addr);
        ::inet_ntop(AF_INET, &sa->sin_addr, buf, sizeof buf);
        bool seen = false;
        for (const auto& s : out) {
            seen = seen || s == buf;
        }
        if (!seen) {
            out.push_back(buf);
        }
    }
    ::freeaddrinfo(res);
    return out;
}

Result<int> Poll(std::vector<PollItem>& items, int timeoutMs) {
    std::vector<pollfd> fds(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        fds[i].fd = items[i].socket ? Fd(items[i].socket->native()) : -1;
        fds[i].events = static_cast<short>((items[i].wantRead ? POLLIN : 0) |
                                           (items[i].wantWrite ? POLLOUT : 0));
        fds[i].revents = 0;
    }
    int r;
    do {
        r = ::poll(fds.data(), fds.size(), timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r < 0) {
        return LastSocketError();
    }
    for (size_t i = 0; i < items.size(); ++i) {
        short re = fds[i].revents;
        items[i].readable = (re & (POLLIN | POLLHUP)) != 0 && items[i].wantRead;
        items[i].writable = (re & POLLOUT) != 0;
        items[i].failed = (re & (POLLERR | POLLNVAL)) != 0;
    }
    return r;
}

}  // namespace platform
