#include "patcher/EchoPacket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kOurId = 0x1234;
constexpr uint16_t kOurSeq = 7;
constexpr uint32_t kOurStamp = 0x01020304;
const EchoMatch kOurs{kOurId, kOurSeq};

// An ICMP message of the given type whose bytes 4..7 are identifier and
// sequence (little-endian, as we write them) and whose body follows; the
// checksum is filled in.
//
// Each message is made at its final size and filled in: GCC 12 at -O3 takes
// an insert behind a short initializer list for a write past its end
// (-Warray-bounds), which it is not.
Bytes Icmp(uint8_t type, uint16_t id, uint16_t seq, const Bytes& body, uint8_t code = 0) {
    Bytes m(8 + body.size(), 0);
    m[0] = type;
    m[1] = code;
    m[4] = static_cast<uint8_t>(id);
    m[5] = static_cast<uint8_t>(id >> 8);
    m[6] = static_cast<uint8_t>(seq);
    m[7] = static_cast<uint8_t>(seq >> 8);
    std::copy(body.begin(), body.end(), m.begin() + 8);
    uint16_t sum = InternetChecksum(m.data(), m.size());
    m[2] = static_cast<uint8_t>(sum >> 8);
    m[3] = static_cast<uint8_t>(sum);
    return m;
}

Bytes Stamp(uint32_t t) {
    return {static_cast<uint8_t>(t), static_cast<uint8_t>(t >> 8), static_cast<uint8_t>(t >> 16),
            static_cast<uint8_t>(t >> 24)};
}

// An IPv4 header of headerBytes (a multiple of 4) carrying protocol, then
// the payload.
Bytes Ip(size_t headerBytes, const Bytes& payload, uint8_t protocol = 1) {
    Bytes d(headerBytes + payload.size(), 0);
    d[0] = static_cast<uint8_t>(0x40 | (headerBytes / 4));
    size_t total = headerBytes + payload.size();
    d[2] = static_cast<uint8_t>(total >> 8);
    d[3] = static_cast<uint8_t>(total);
    d[8] = 64;
    d[9] = protocol;
    d[12] = 127;
    d[15] = 1;
    d[16] = 127;
    d[19] = 1;
    std::copy(payload.begin(), payload.end(), d.begin() + static_cast<std::ptrdiff_t>(headerBytes));
    return d;
}

Bytes Reply(uint16_t id = kOurId, uint16_t seq = kOurSeq) {
    Bytes body = Stamp(kOurStamp);
    for (int i = 0; i < 5; ++i) {
        Bytes fill = Stamp(kEchoFill);
        body.insert(body.end(), fill.begin(), fill.end());
    }
    return Icmp(kIcmpEchoReply, id, seq, body);
}

// An error report quoting (the IP header and) the first quoteBytes of an
// echo request.
Bytes ErrorReport(uint8_t type, uint16_t id, uint16_t seq, size_t quoteBytes) {
    EchoRequest request = BuildEchoRequest(id, seq, kOurStamp);
    Bytes quoted = Ip(20, Bytes(request.begin(), request.begin() + quoteBytes));
    return Icmp(type, 0, 0, quoted);
}

// Parses from a heap block of exactly the datagram's size, so the sanitizer
// catches any read past its end.
ParsedEcho Parse(const Bytes& d, bool ipHeader = true, const EchoMatch& ours = kOurs) {
    auto exact = std::make_unique<uint8_t[]>(d.size() ? d.size() : 1);
    std::copy(d.begin(), d.end(), exact.get());
    return ParseEchoReply(exact.get(), d.size(), ipHeader, ours);
}

TEST(EchoPacket, ChecksumFollowsRfc1071) {
    // RFC 1071's worked example: the words sum to 0xDDF2, the checksum is
    // its complement.
    const uint8_t example[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(InternetChecksum(example, sizeof example), 0x220D);
    // An odd last byte counts as the high byte of a word padded with zero.
    const uint8_t odd[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(InternetChecksum(odd, sizeof odd), static_cast<uint16_t>(~(0x0102 + 0x0300)));
    // Carries fold back in.
    const uint8_t carry[] = {0xFF, 0xFF, 0x00, 0x02};
    EXPECT_EQ(InternetChecksum(carry, sizeof carry), static_cast<uint16_t>(~0x0002));
    EXPECT_EQ(InternetChecksum(nullptr, 0), 0xFFFF);
}

TEST(EchoPacket, RequestIsByteForByteTheProgramsOwn) {
    const uint8_t expected[kEchoRequestSize] = {0x08, 0x00, 0xA2, 0xD5, 0x34, 0x12, 0x07, 0x00,
                                                0x04, 0x03, 0x02, 0x01, 0xEF, 0xBE, 0xAD, 0xDE,
                                                0xEF, 0xBE, 0xAD, 0xDE, 0xEF, 0xBE, 0xAD, 0xDE,
                                                0xEF, 0xBE, 0xAD, 0xDE, 0xEF, 0xBE, 0xAD, 0xDE};
    EchoRequest r = BuildEchoRequest(kOurId, kOurSeq, kOurStamp);
    EXPECT_EQ(Bytes(r.begin(), r.end()), Bytes(expected, expected + kEchoRequestSize));
    // Whatever the fields, a correct checksum makes the message sum to zero.
    for (uint32_t stamp : {0u, 0xFFFFFFFFu, 0x80000000u}) {
        EchoRequest q = BuildEchoRequest(0xFFFF, 0, stamp);
        EXPECT_EQ(InternetChecksum(q.data(), q.size()), 0) << stamp;
    }
}

TEST(EchoPacket, EchoReplyWithOurIdentifierAndSequenceIsAnswer) {
    ParsedEcho p = Parse(Ip(20, Reply()));
    EXPECT_EQ(p.verdict, EchoVerdict::kAnswered);
    ASSERT_TRUE(p.timestamp);
    EXPECT_EQ(*p.timestamp, kOurStamp);

    // A ping socket hands over the ICMP message alone, with the kernel's
    // identifier in it.
    ParsedEcho d = Parse(Reply(0xBEEF), false, EchoMatch{0xBEEF, kOurSeq});
    EXPECT_EQ(d.verdict, EchoVerdict::kAnswered);
    EXPECT_EQ(d.timestamp.value_or(0), kOurStamp);
}

TEST(EchoPacket, OtherProcessesEchoesAndOurOwnRequestAreSkipped) {
    // Another process's reply with the same sequence: not ours (it used to
    // be recorded as the time -2).
    EXPECT_EQ(Parse(Ip(20, Reply(kOurId + 1))).verdict, EchoVerdict::kNotOurs);
    EXPECT_EQ(Parse(Ip(20, Reply(kOurId, kOurSeq + 1))).verdict, EchoVerdict::kNotOurs);
    // On loopback a raw socket first receives the request itself.
    EchoRequest request = BuildEchoRequest(kOurId, kOurSeq, kOurStamp);
    EXPECT_EQ(Parse(Ip(20, Bytes(request.begin(), request.end()))).verdict, EchoVerdict::kNotOurs);
    // Types that are neither replies nor error reports do not speak of our
    // request, even with our numbers at bytes 4..7 (timestamp request 13).
    EXPECT_EQ(Parse(Ip(20, Icmp(13, kOurId, kOurSeq, Bytes(12, 0)))).verdict,
              EchoVerdict::kNotOurs);
}

TEST(EchoPacket, DamagedOrNonIcmpBytesAreSkipped) {
    Bytes good = Ip(20, Reply());
    Bytes flipped = good;
    flipped[20 + 10] ^= 0x01;  // a bit of the timestamp
    EXPECT_EQ(Parse(flipped).verdict, EchoVerdict::kNotOurs);
    Bytes v6 = good;
    v6[0] = 0x65;
    EXPECT_EQ(Parse(v6).verdict, EchoVerdict::kNotOurs);
}

TEST(EchoPacket, IpHeaderLengthsAreCheckedBeforeUse) {
    // 24 bytes (one word of options) is still an answer; longer headers are
    // taken as no answer, but only for our own echoes.
    EXPECT_EQ(Parse(Ip(24, Reply())).verdict, EchoVerdict::kAnswered);
    EXPECT_EQ(Parse(Ip(28, Reply())).verdict, EchoVerdict::kNoAnswer);
    EXPECT_EQ(Parse(Ip(60, Reply())).verdict, EchoVerdict::kNoAnswer);
    EXPECT_EQ(Parse(Ip(60, Reply(kOurId + 1))).verdict, EchoVerdict::kNotOurs);

    // A header length field under 20 bytes, or pointing past the datagram.
    Bytes small = Ip(20, Reply());
    small[0] = 0x44;
    EXPECT_EQ(Parse(small).verdict, EchoVerdict::kNotOurs);
    Bytes past = Ip(20, Reply());
    past.resize(40);
    past[0] = 0x4F;  // 60 bytes of header in a 40-byte datagram
    EXPECT_EQ(Parse(past).verdict, EchoVerdict::kNotOurs);
    // Header plus fewer than 8 bytes of ICMP.
    Bytes shortMessage = Ip(20, Reply());
    shortMessage.resize(27);
    EXPECT_EQ(Parse(shortMessage).verdict, EchoVerdict::kNotOurs);
}

TEST(EchoPacket, EveryTruncationParsesWithinItsBytes) {
    const std::vector<Bytes> datagrams = {
        Ip(20, Reply()), Ip(24, Reply()),
        Ip(20, ErrorReport(kIcmpTimeExceeded, kOurId, kOurSeq, 32)),
        Ip(20, ErrorReport(3, kOurId, kOurSeq, 8))};
    for (const Bytes& d : datagrams) {
        for (size_t n = 0; n < d.size(); ++n) {
            Bytes cut(d.begin(), d.begin() + n);
            ParsedEcho p = Parse(cut);
            // A cut datagram loses bytes its checksum covers, so it is never ours.
            EXPECT_EQ(p.verdict, EchoVerdict::kNotOurs) << n;
            (void)Parse(cut, false);
        }
    }
}

TEST(EchoPacket, TimeExceededQuotingOurRequestCarriesItsTimestamp) {
    ParsedEcho p = Parse(Ip(20, ErrorReport(kIcmpTimeExceeded, kOurId, kOurSeq, 32)));
    EXPECT_EQ(p.verdict, EchoVerdict::kTimeExceeded);
    EXPECT_EQ(p.timestamp.value_or(0), kOurStamp);

    // Routers need quote only 8 bytes of the request: still ours, without a
    // timestamp.
    ParsedEcho brief = Parse(Ip(20, ErrorReport(kIcmpTimeExceeded, kOurId, kOurSeq, 8)));
    EXPECT_EQ(brief.verdict, EchoVerdict::kTimeExceeded);
    EXPECT_FALSE(brief.timestamp);

    EXPECT_EQ(Parse(Ip(20, ErrorReport(kIcmpTimeExceeded, kOurId + 1, kOurSeq, 32))).verdict,
              EchoVerdict::kNotOurs);
    EXPECT_EQ(Parse(Ip(20, ErrorReport(kIcmpTimeExceeded, kOurId, kOurSeq + 1, 32))).verdict,
              EchoVerdict::kNotOurs);
    // Fewer than 8 bytes of the request quoted: cannot be matched.
    EXPECT_EQ(Parse(Ip(20, ErrorReport(kIcmpTimeExceeded, kOurId, kOurSeq, 6))).verdict,
              EchoVerdict::kNotOurs);
    // A quoted datagram that is not ICMP.
    EchoRequest request = BuildEchoRequest(kOurId, kOurSeq, kOurStamp);
    Bytes udp = Icmp(kIcmpTimeExceeded, 0, 0, Ip(20, Bytes(request.begin(), request.end()), 17));
    EXPECT_EQ(Parse(Ip(20, udp)).verdict, EchoVerdict::kNotOurs);
}

TEST(EchoPacket, OtherErrorReportsAboutOurRequestMeanNoAnswer) {
    for (uint8_t type :
         {kIcmpDestinationUnreachable, kIcmpSourceQuench, kIcmpRedirect, kIcmpParameterProblem}) {
        EXPECT_EQ(Parse(Ip(20, ErrorReport(type, kOurId, kOurSeq, 32))).verdict,
                  EchoVerdict::kNoAnswer)
            << int(type);
        EXPECT_EQ(Parse(Ip(20, ErrorReport(type, kOurId + 1, kOurSeq, 32))).verdict,
                  EchoVerdict::kNotOurs)
            << int(type);
    }
}

}  // namespace
