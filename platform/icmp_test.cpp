#include "platform/icmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/process.h"

namespace {

using platform::IcmpSocket;
using platform::IcmpSocketKind;

constexpr int kTtl = 64;
constexpr int kWaitMs = 5000;

// An 8-byte echo request with a 4-byte body (identifier and sequence in the
// order we write them; the checksum in network order).
std::vector<uint8_t> Echo(uint16_t id, uint16_t seq) {
    std::vector<uint8_t> m = {8,
                              0,
                              0,
                              0,
                              static_cast<uint8_t>(id),
                              static_cast<uint8_t>(id >> 8),
                              static_cast<uint8_t>(seq),
                              static_cast<uint8_t>(seq >> 8),
                              'T',
                              'e',
                              's',
                              't'};
    uint32_t sum = 0;
    for (size_t i = 0; i < m.size(); i += 2) {
        sum += static_cast<uint32_t>((m[i] << 8) | m[i + 1]);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    sum = (sum & 0xFFFF) + (sum >> 16);
    m[2] = static_cast<uint8_t>(~sum >> 8);
    m[3] = static_cast<uint8_t>(~sum);
    return m;
}

// Reads datagrams until an echo reply with identifier and sequence turns up;
// answers the offset of its ICMP message, or -1.
int AwaitReply(IcmpSocket& s, uint16_t id, uint16_t seq, std::vector<uint8_t>& buf) {
    for (int i = 0; i < 64; ++i) {
        if (s.WaitReadable(kWaitMs) != platform::WaitResult::kReady) {
            return -1;
        }
        buf.assign(1500, 0);
        auto n = s.Recv(buf.data(), buf.size());
        if (!n) {
            return -1;
        }
        buf.resize(*n);
        size_t off = s.IncludesIpHeader() ? static_cast<size_t>(buf[0] & 0x0F) * 4 : 0;
        if (buf.size() >= off + 8 && buf[off] == 0 && (buf[off + 4] | (buf[off + 5] << 8)) == id &&
            (buf[off + 6] | (buf[off + 7] << 8)) == seq) {
            return static_cast<int>(off);
        }
    }
    return -1;
}

TEST(Icmp, RawSocketSeesTheReplyWithItsIpHeader) {
    auto s = IcmpSocket::Open(IcmpSocketKind::kRaw, kTtl);
    if (!s) {
        ASSERT_TRUE(platform::IsAccessDenied(s.error())) << s.error().Message();
        GTEST_SKIP() << "raw ICMP sockets are refused here: " << s.error().Message();
    }
    EXPECT_TRUE(s->IncludesIpHeader());
    EXPECT_FALSE(s->KernelIdentifier());
    auto id = static_cast<uint16_t>(platform::CurrentProcessId());
    std::vector<uint8_t> request = Echo(id, 0x4242);
    ASSERT_TRUE(s->SendTo("127.0.0.1", request.data(), request.size()));
    std::vector<uint8_t> reply;
    int off = AwaitReply(*s, id, 0x4242, reply);
    ASSERT_GE(off, 20);
    EXPECT_EQ(reply[0] >> 4, 4);
    EXPECT_EQ(reply.size(), static_cast<size_t>(off) + request.size());  // the body came back
    EXPECT_FALSE(s->SendTo("not an address", request.data(), request.size()));
}

TEST(Icmp, PingSocketRepliesCarryTheKernelsIdentifier) {
    auto s = IcmpSocket::Open(IcmpSocketKind::kDatagram, kTtl);
    if (!s) {
        GTEST_SKIP() << "ping sockets are refused or missing here: " << s.error().Message();
    }
    ASSERT_TRUE(s->KernelIdentifier());
    EXPECT_FALSE(s->IncludesIpHeader());
    uint16_t kernelId = *s->KernelIdentifier();
    std::vector<uint8_t> request = Echo(0x1111, 0x0101);  // the kernel replaces 0x1111
    ASSERT_TRUE(s->SendTo("127.0.0.1", request.data(), request.size()));
    std::vector<uint8_t> reply;
    EXPECT_EQ(AwaitReply(*s, kernelId, 0x0101, reply), 0);
}

// What stands in for an unprivileged process must fail as the system does
// for one, so that callers take it for a refusal.
TEST(Icmp, TheStandInRefusalIsAccessDenied) {
    EXPECT_TRUE(platform::IsAccessDenied(platform::AccessDeniedError()));
    EXPECT_FALSE(platform::IsAccessDenied(platform::Error{0}));
}

TEST(Icmp, HelperLibraryAnswersWhereThereIsOne) {
    auto helper = platform::IcmpHelper::Load();
    if (!helper) {
        GTEST_SKIP() << "no ICMP helper library here: " << helper.error().Message();
    }
    EXPECT_TRUE(helper->IsLoaded());
    const uint8_t data[64] = {0xAA};
    auto echo = helper->SendEcho("127.0.0.1", data, sizeof data, kWaitMs);
    ASSERT_TRUE(echo) << echo.error().Message();
    if (!echo->answered && !IcmpSocket::Open(IcmpSocketKind::kRaw, kTtl)) {
        GTEST_SKIP() << "the helper got no answer (status " << echo->status
                     << "), and raw sockets are refused here as well";
    }
    EXPECT_TRUE(echo->answered) << "status " << echo->status;
    EXPECT_FALSE(helper->SendEcho("not an address", data, sizeof data, kWaitMs));
    platform::IcmpHelper moved = std::move(*helper);
    EXPECT_TRUE(moved.IsLoaded());
    EXPECT_FALSE(helper->IsLoaded());
}

}  // namespace
