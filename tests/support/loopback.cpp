#include "testsupport/loopback.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/clock.h"

namespace testsupport {

LoopbackPeer::LoopbackPeer() {
    auto l = platform::TcpSocket::Listen("127.0.0.1", 0, 4);
    if (!l) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        std::abort();
    }
    listener_ = std::move(*l);
    port_ = *listener_.LocalPort();
}

bool LoopbackPeer::Accept() {
    if (listener_.WaitReadable(static_cast<int>(kWaitLimitMs)) != platform::WaitResult::kReady) {
        return false;
    }
    auto c = listener_.Accept();
    if (!c) {
        return false;
    }
    conn_ = std::move(*c);
    return true;
}

void LoopbackPeer::Write(const std::vector<uint8_t>& bytes) {
    if (!conn_.SendAll(bytes.data(), bytes.size())) {
        std::fprintf(stderr, "loopback peer: write failed\n");
        std::abort();
    }
}

std::vector<uint8_t> LoopbackPeer::Read(size_t n) {
    std::vector<uint8_t> out;
    uint8_t buf[4096];
    while (out.size() < n) {
        if (conn_.WaitReadable(static_cast<int>(kWaitLimitMs)) != platform::WaitResult::kReady) {
            break;
        }
        auto r = conn_.Recv(buf, std::min(sizeof buf, n - out.size()));
        if (!r || *r == 0) {
            break;
        }
        out.insert(out.end(), buf, buf + *r);
    }
    return out;
}

bool LoopbackPeer::HasData(int waitMs) {
    return conn_.WaitReadable(waitMs) == platform::WaitResult::kReady;
}

bool LoopbackPeer::SeesClose() {
    uint8_t buf[4096];
    for (;;) {
        if (conn_.WaitReadable(static_cast<int>(kWaitLimitMs)) != platform::WaitResult::kReady) {
            return false;
        }
        auto r = conn_.Recv(buf, sizeof buf);
        if (!r || *r == 0) {
            return true;
        }
    }
}

}  // namespace testsupport
