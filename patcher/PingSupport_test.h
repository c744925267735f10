// What the latency-probe tests need to know about the machine: which way an
// echo can take here, and why none can.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "patcher/CPinger.h"
#include "platform/icmp.h"
#include "testsupport/temp_dir.h"

namespace pingtest {

// Generous, so a loaded machine never turns an answer into a time-out; the
// tests that want a time-out drop the request instead of waiting for one.
constexpr uint32_t kAnswerTimeoutMs = 5000;

// The way a ping takes on this machine, trying them in the pinger's order.
inline PingWay AvailableWay(bool rawRefused) {
    if (!rawRefused && platform::IcmpSocket::Open(platform::IcmpSocketKind::kRaw, kPingTtl)) {
        return PingWay::kRawSocket;
    }
    if (platform::IcmpSocket::Open(platform::IcmpSocketKind::kDatagram, kPingTtl)) {
        return PingWay::kDatagramSocket;
    }
    if (platform::IcmpHelper::Load()) {
        return PingWay::kHelperLibrary;
    }
    return PingWay::kNone;
}

inline std::string WhyNoWay() {
    std::string range = testsupport::ReadFile("\\proc\\sys\\net\\ipv4\\ping_group_range");
    while (!range.empty() && (range.back() == '\n' || range.back() == '\r')) {
        range.pop_back();
    }
    return "no way to send an echo here: raw ICMP sockets refused (no CAP_NET_RAW or "
           "administrator rights), ping sockets refused (net.ipv4.ping_group_range = \"" +
           range + "\"), no ICMP helper library";
}

// The way the tests expect, checked against TESMAR_REQUIRE_PING_WAY when the
// environment demands one (the run in a namespace where only ping sockets
// work sets it to "ping socket").
inline PingWay ExpectedWay(bool rawRefused = false) {
    PingWay way = AvailableWay(rawRefused);
    const char* required = std::getenv("TESMAR_REQUIRE_PING_WAY");
    if (required && *required && !rawRefused) {
        EXPECT_STREQ(PingWayName(way), required) << "this run must use that way";
    }
    return way;
}

// The system's ways, except that raw sockets are refused as they are to an
// unprivileged process; counts the raw sockets asked for.
class RawRefusingEnv : public PingEnv {
public:
    platform::Result<platform::IcmpSocket> OpenSocket(platform::IcmpSocketKind kind,
                                                      int ttl) override {
        if (kind == platform::IcmpSocketKind::kRaw) {
            ++rawAsked;
            return platform::AccessDeniedError();
        }
        return PingEnv::OpenSocket(kind, ttl);
    }
    std::atomic<int> rawAsked{0};
};

}  // namespace pingtest

// Skips the test, saying why, when no echo can be sent here.
#define SKIP_WITHOUT_ECHO(way)                      \
    do {                                            \
        if ((way) == PingWay::kNone) {              \
            GTEST_SKIP() << ::pingtest::WhyNoWay(); \
        }                                           \
    } while (0)
