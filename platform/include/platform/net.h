// TCP sockets over IPv4 and name resolution. Winsock is started on first use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace platform {

enum class WaitResult { kReady, kTimeout, kError };

// A TCP socket. Move-only; closed in the destructor.
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    static Result<TcpSocket> Create();
    // A listening socket on address ("" or "0.0.0.0" = any) and port (0 = a
    // free port, see LocalPort()).
    static Result<TcpSocket> Listen(const std::string& address, uint16_t port, int backlog);
    // A socket bound to address and port (0 = a free port, see LocalPort())
    // that does not listen. For as long as it stays open, connects to that
    // port are refused and no other socket can take the port: the sure way
    // to name a port where nobody answers.
    static Result<TcpSocket> Bind(const std::string& address, uint16_t port);

    bool IsOpen() const { return handle_ != kInvalid; }
    void Close();

    Status SetNonBlocking(bool on);

    enum class ConnectState { kConnected, kInProgress };
    // Connects to a dotted IPv4 address. In non-blocking mode the answer may
    // be kInProgress: wait for writability, then ask PendingError().
    Result<ConnectState> Connect(const std::string& ipv4, uint16_t port);
    // The outcome of a non-blocking connect (or any pending socket error).
    Status PendingError() const;

    WaitResult WaitReadable(int timeoutMs) const;
    WaitResult WaitWritable(int timeoutMs) const;

    // May send or receive fewer bytes than asked. Recv answers 0 when the
    // peer closed the connection. On a non-blocking socket an operation that
    // would block fails with an error for which IsWouldBlock() holds.
    Result<size_t> Send(const void* data, size_t size);
    Result<size_t> Recv(void* buffer, size_t size);
    // Receives up to size bytes as a run of receives of at most piece bytes
    // each, laid one after the other from the start of buffer, and answers
    // the bytes received (0: the peer closed the connection before any).
    // The run ends when the socket has no more to give at once (a receive
    // comes back short). Where the system can, one call makes the whole run.
    // An error met after some bytes arrived is answered by the next call.
    // A piece of 0 makes it one Recv of size bytes.
    Result<size_t> RecvPieces(void* buffer, size_t size, size_t piece);
    // Sends everything, waiting as needed (blocking sockets).
    Status SendAll(const void* data, size_t size);

    Result<TcpSocket> Accept();
    Result<uint16_t> LocalPort() const;
    Result<std::string> PeerAddress() const;  // dotted

    Status ShutdownSend();
    Status SetNoDelay(bool on);
    // Time-outs of blocking receives and sends, in milliseconds (0 = none).
    Status SetTimeouts(int recvMs, int sendMs);

    intptr_t native() const { return handle_; }

private:
    static constexpr intptr_t kInvalid = -1;
    explicit TcpSocket(intptr_t h) : handle_(h) {}
    intptr_t handle_ = kInvalid;
};

bool IsWouldBlock(const Error& e);
// The peer reset or aborted the connection.
bool IsConnectionReset(const Error& e);
// The system lacked buffer space for the operation (it may work later).
bool IsNoBufferSpace(const Error& e);

// The IPv4 addresses of a host name or dotted address, dotted, in the
// resolver's order; empty when it does not resolve.
std::vector<std::string> ResolveIPv4(const std::string& host);

// Readiness of many sockets at once, for event loops.
struct PollItem {
    const TcpSocket* socket = nullptr;
    bool wantRead = false;
    bool wantWrite = false;
    // results
    bool readable = false;  // also set on end of stream
    bool writable = false;
    bool failed = false;  // error or hang-up
};
// Waits up to timeoutMs (-1 = no limit) for any item to become ready;
// answers the number of ready items (0 on time-out).
Result<int> Poll(std::vector<PollItem>& items, int timeoutMs);

}  // namespace platform
