#include "platform/icmp.h"

#include "platform/native_windows.h"
// after windows.h
#include <ipexport.h>

#include <atomic>
#include <cstring>
#include <vector>
#include "../common/backend.h"
#include "sockets.h"

namespace platform {
namespace {

// The helper's replies carry an ICMP error message of up to 8 bytes beyond
// the echoed data, and the call wants room for its own status block: a
// buffer of only ICMP_ECHO_REPLY + data is refused as too small.
constexpr size_t kReplyErrorBytes = 8;
constexpr size_t kReplyStatusBytes = 8;

using IcmpCreateFileFn = HANDLE(WINAPI*)();
using IcmpSendEchoFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID,
                                      DWORD, DWORD);
using IcmpCloseHandleFn = BOOL(WINAPI*)(HANDLE);

// GetProcAddress answers a generic function pointer; going through
// void (*)() keeps the compiler's cast check quiet about the real type.
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

SOCKET S(intptr_t h) {
    return static_cast<SOCKET>(h);
}

HANDLE H(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

}  // namespace

Result<IcmpSocket> IcmpSocket::Open(IcmpSocketKind kind, int ttl) {
    if (kind == IcmpSocketKind::kDatagram) {
        return Error{static_cast<uint32_t>(WSAESOCKTNOSUPPORT)};  // no ping sockets here
    }
    win32::EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    if (s == INVALID_SOCKET) {
        return LastSocketError();
    }
    IcmpSocket out;
    out.handle_ = static_cast<intptr_t>(s);
    out.kind_ = kind;
    DWORD t = static_cast<DWORD>(ttl);
    if (setsockopt(s, IPPROTO_IP, IP_TTL, reinterpret_cast<const char*>(&t), sizeof t) != 0) {
        return LastSocketError();
    }
    return out;
}

Status IcmpSocket::SendTo(const std::string& ipv4, const void* message, size_t size) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    if (inet_pton(AF_INET, ipv4.c_str(), &sa.sin_addr) != 1) {
        return Error{static_cast<uint32_t>(WSAEINVAL)};
    }
    int n = sendto(S(handle_), static_cast<const char*>(message), static_cast<int>(size), 0,
                   reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    if (n == SOCKET_ERROR) {
        return LastSocketError();
    }
    return Status::Ok();
}

WaitResult IcmpSocket::WaitReadable(int timeoutMs) const {
    return win32::WaitFor(S(handle_), false, timeoutMs);
}

Result<size_t> IcmpSocket::Recv(void* buffer, size_t size) {
    int n = recv(S(handle_), static_cast<char*>(buffer), static_cast<int>(size), 0);
    if (n == SOCKET_ERROR) {
        // A datagram longer than the buffer arrives cut, with this error.
        if (WSAGetLastError() == WSAEMSGSIZE) {
            return size;
        }
        return LastSocketError();
    }
    return static_cast<size_t>(n);
}

void IcmpSocket::Close() {
    if (handle_ != kInvalid) {
        closesocket(S(handle_));
        handle_ = kInvalid;
    }
}

bool IsAccessDenied(const Error& e) {
    return e.code == WSAEACCES || e.code == ERROR_ACCESS_DENIED;
}

Error AccessDeniedError() {
    return Error{static_cast<uint32_t>(WSAEACCES)};
}

Result<IcmpHelper> IcmpHelper::Load() {
    HMODULE module = LoadLibraryW(L"ICMP.DLL");
    if (!module) {
        return LastError();
    }
    IcmpHelper helper;
    helper.module_ = module;
    auto create = Lookup<IcmpCreateFileFn>(module, "IcmpCreateFile");
    if (!create || !Lookup<IcmpSendEchoFn>(module, "IcmpSendEcho") ||
        !Lookup<IcmpCloseHandleFn>(module, "IcmpCloseHandle")) {
        return Error{static_cast<uint32_t>(ERROR_PROC_NOT_FOUND)};
    }
    HANDLE h = create();
    if (h == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    helper.handle_ = reinterpret_cast<intptr_t>(h);
    return helper;
}

Result<IcmpHelper::Echo> IcmpHelper::SendEcho(const std::string& ipv4, const void* data,
                                              uint16_t size, uint32_t timeoutMs) const {
    if (!module_) {
        return Error{static_cast<uint32_t>(ERROR_INVALID_HANDLE)};
    }
    in_addr addr{};
    if (inet_pton(AF_INET, ipv4.c_str(), &addr) != 1) {
        return Error{static_cast<uint32_t>(ERROR_INVALID_PARAMETER)};
    }
    auto send = Lookup<IcmpSendEchoFn>(static_cast<HMODULE>(module_), "IcmpSendEcho");
    std::vector<unsigned char> request(static_cast<const unsigned char*>(data),
                                       static_cast<const unsigned char*>(data) + size);
    std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + size + kReplyErrorBytes +
                                     kReplyStatusBytes);
    Echo echo;
    DWORD n = send(H(handle_), addr.s_addr, request.data(), size, nullptr, reply.data(),
                   static_cast<DWORD>(reply.size()), timeoutMs);
    if (n == 0) {
        // No reply within the time-out is the common case, not an error.
        if (GetLastError() == IP_REQ_TIMED_OUT) {
            return echo;
        }
        echo.status = GetLastError();
        return echo;
    }
    ICMP_ECHO_REPLY first;
    std::memcpy(&first, reply.data(), sizeof first);
    echo.status = first.Status;
    echo.answered = first.Status == IP_SUCCESS;
    echo.rttMs = first.RoundTripTime;
    return echo;
}

void IcmpHelper::Release() {
    if (module_) {
        if (handle_ != -1) {
            auto close =
                Lookup<IcmpCloseHandleFn>(static_cast<HMODULE>(module_), "IcmpCloseHandle");
            if (close) {
                close(H(handle_));
            }
        }
        FreeLibrary(static_cast<HMODULE>(module_));
        module_ = nullptr;
        handle_ = -1;
    }
}

Status StartSocketLibraryAt(int major, int minor) {
    WSADATA data;
    const int refused = WSAStartup(MAKEWORD(major, minor), &data);  // answers its error
    if (refused != 0) {
        return Error{static_cast<uint32_t>(refused)};
    }
    return Status::Ok();
}

void StopSocketLibrary() {
    WSACleanup();
}

}  // namespace platform
