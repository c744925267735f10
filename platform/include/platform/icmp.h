// ICMP echo over IPv4: the ways a latency probe can send an echo request and
// hear the answer.
//
//  - a raw ICMP socket (Windows; Linux with CAP_NET_RAW): the caller builds
//    the whole ICMP message and receives every ICMP datagram that reaches the
//    host, IP header included, its own requests on loopback among them;
//  - a Linux "ping" datagram socket (unprivileged where
//    net.ipv4.ping_group_range admits the caller's group): the kernel writes
//    the identifier (KernelIdentifier()) and checksum of each request and
//    hands back only the echo replies meant for this socket, without the IP
//    header; refused on Windows;
//  - the system's ICMP helper library, loaded at run time (Windows:
//    "ICMP.DLL" with IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle), which
//    sends one echo and waits for its answer in one call; refused on POSIX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/net.h"
#include "platform/result.h"

namespace platform {

enum class IcmpSocketKind {
    kRaw,
    kDatagram,
};

// An ICMP socket. Move-only; closed in the destructor. One thread at a time.
class IcmpSocket {
public:
    IcmpSocket() = default;
    ~IcmpSocket();
    IcmpSocket(IcmpSocket&& other) noexcept;
    IcmpSocket& operator=(IcmpSocket&& other) noexcept;
    IcmpSocket(const IcmpSocket&) = delete;
    IcmpSocket& operator=(const IcmpSocket&) = delete;

    // Opens a socket whose outgoing datagrams carry the time-to-live ttl.
    // Refused raw sockets fail with the system's "access denied" code
    // (IsAccessDenied); a kind the system lacks fails with another code.
    static Result<IcmpSocket> Open(IcmpSocketKind kind, int ttl);

    bool IsOpen() const { return handle_ != kInvalid; }
    IcmpSocketKind kind() const { return kind_; }
    // Whether received datagrams start with their IPv4 header.
    bool IncludesIpHeader() const { return kind_ == IcmpSocketKind::kRaw; }
    // Datagram sockets: the identifier the kernel writes into this socket's
    // requests and expects in its replies, as the two bytes at offset 4 of
    // the ICMP message read little-endian. Nothing for raw sockets, whose
    // requests carry the identifier the caller wrote.
    std::optional<uint16_t> KernelIdentifier() const { return kernelId_; }

    // Sends one ICMP message to a dotted IPv4 address.
    Status SendTo(const std::string& ipv4, const void* message, size_t size);
    WaitResult WaitReadable(int timeoutMs) const;
    // Receives one datagram; one longer than size is cut to size.
    Result<size_t> Recv(void* buffer, size_t size);

    void Close();

private:
    static constexpr intptr_t kInvalid = -1;
    intptr_t handle_ = kInvalid;
    IcmpSocketKind kind_ = IcmpSocketKind::kRaw;
    std::optional<uint16_t> kernelId_;
};

// Whether an error is the system refusing an operation for lack of
// privilege (EPERM/EACCES, WSAEACCES).
bool IsAccessDenied(const Error& e);

// The error the system gives an unprivileged process that asks for a raw
// ICMP socket (IsAccessDenied accepts it), for code that stands in for the
// system.
Error AccessDeniedError();

// The system's ICMP helper library with its handle. Move-only; the handle is
// closed and the library unloaded in the destructor. SendEcho may be called
// from several threads at once.
class IcmpHelper {
public:
    IcmpHelper() = default;
    ~IcmpHelper();
    IcmpHelper(IcmpHelper&& other) noexcept;
    IcmpHelper& operator=(IcmpHelper&& other) noexcept;
    IcmpHelper(const IcmpHelper&) = delete;
    IcmpHelper& operator=(const IcmpHelper&) = delete;

    // Loads the library, looks up its three functions and creates its
    // handle; fails when any of that fails (always on POSIX).
    static Result<IcmpHelper> Load();

    bool IsLoaded() const { return module_ != nullptr; }

    struct Echo {
        bool answered = false;  // an echo reply came back in time
        uint32_t rttMs = 0;     // its round-trip time, when answered
        uint32_t status = 0;    // the helper's status of the reply (0 = success)
    };
    // Sends one echo request carrying data to a dotted IPv4 address and waits
    // up to timeoutMs for the reply. An error only when the request could not
    // be made; no answer in time is answered == false.
    Result<Echo> SendEcho(const std::string& ipv4, const void* data, uint16_t size,
                          uint32_t timeoutMs) const;

private:
    void Release();
    void* module_ = nullptr;
    intptr_t handle_ = -1;
};

// Starts the system's socket library at exactly the version major.minor
// (Windows: WSAStartup; a refusal carries its code); each success must be
// paired with StopSocketLibrary(). Always succeeds on POSIX, where nothing
// needs starting.
Status StartSocketLibraryAt(int major, int minor);
void StopSocketLibrary();

}  // namespace platform
