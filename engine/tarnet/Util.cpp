#include "tarnet/Util.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/net.h"

namespace Tarnet {

std::string IUtil::IPToString(unsigned long ip) {
    char text[16];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", ip & 0xFF, (ip >> 8) & 0xFF,
                  (ip >> 16) & 0xFF, (ip >> 24) & 0xFF);
    return text;
}

bool IUtil::StringToIP(const char* text, unsigned long& ip) {
    if (!text) {
        return false;
    }
    unsigned long value = 0;
    const char* p = text;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (*p != '.') {
                return false;
            }
            ++p;
        }
        unsigned part = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 4) {
            part = part * 10 + unsigned(*p - '0');
            ++p;
            ++digits;
        }
        if (digits == 0 || digits > 3 || part > 255) {
            return false;
        }
        value |= static_cast<unsigned long>(part) << (8 * octet);
    }
    if (*p != '\0') {
        return false;
    }
    ip = value;
    return true;
}

uint32_t IUtil::GetTick() const {
    return platform::TickCount();
}

int CPing::Ping(const char* address, int port, uint32_t timeoutMs) {
    if (!address || port <= 0 || port > 65535) {
        return -1;
    }
    unsigned long ip = 0;
    std::string target = address;
    if (!IUtil::StringToIP(address, ip)) {
        std::vector<std::string> found = platform::ResolveIPv4(address);
        if (found.empty()) {
            return -1;
        }
        target = found.front();
    }
    auto sock = platform::TcpSocket::Create();
    if (!sock || !sock->SetNonBlocking(true)) {
        return -1;
    }
    const uint64_t start = platform::TickCount64();
    auto started = sock->Connect(target, static_cast<uint16_t>(port));
    if (!started) {
        return -1;
    }
    if (*started == platform::TcpSocket::ConnectState::kInProgress) {
        if (sock->WaitWritable(static_cast<int>(timeoutMs)) != platform::WaitResult::kReady ||
            !sock->PendingError()) {
            return -1;
        }
    }
    return static_cast<int>(platform::TickCount64() - start);
}

}  // namespace Tarnet
