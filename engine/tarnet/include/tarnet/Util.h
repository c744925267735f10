// The library's small helper objects: the utility interface ("util") and a
// reachability probe ("ping").
#pragma once

#include <cstdint>
#include <string>

#include "tarnet/Tarnet.h"

namespace Tarnet {

class TARNET_API IUtil : public TObject {
public:
    static constexpr const char* kClassName = "util";
    const char* GetClassName() const override { return kClassName; }

    // Dotted text of an address held as inet_addr gives it (first octet in
    // the lowest byte).
    static std::string IPToString(unsigned long ip);
    // The reverse; false when text is not a dotted IPv4 address.
    static bool StringToIP(const char* text, unsigned long& ip);
    // Milliseconds on the library's clock (wraps like GetTickCount).
    uint32_t GetTick() const;
};

class TARNET_API CPing : public TObject {
public:
    static constexpr const char* kClassName = "ping";
    const char* GetClassName() const override { return kClassName; }

    // Round trip of a TCP connect to address:port in milliseconds, or -1
    // when the host refuses, does not answer within timeoutMs or does not
    // resolve. Blocks the calling thread for at most about timeoutMs.
    int Ping(const char* address, int port, uint32_t timeoutMs);
};

}  // namespace Tarnet
