// What the latency probe reads from its ICMP sockets: any datagram, with or
// without its IP header, against any identifier and sequence.
//
// Input: byte 0 bit 0 = the datagram starts with its IP header (raw socket),
// bit 1 = make its ICMP checksum hold first (mutations rarely keep it, and
// without it the reader stops early); bytes 1-2 identifier, 3-4 sequence
// (little-endian); the rest is the datagram, copied to a block of its exact
// size so a read past it is caught.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "patcher/EchoPacket.h"

namespace {

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kPrefix = 5;
    if (size < kPrefix) {
        return 0;
    }
    bool ipHeader = (data[0] & 1) != 0;
    EchoMatch ours{Le16(data + 1), Le16(data + 3)};
    std::vector<uint8_t> datagram(data + kPrefix, data + size);
    if ((data[0] & 2) != 0) {
        size_t at = ipHeader && !datagram.empty() ? static_cast<size_t>(datagram[0] & 0x0F) * 4 : 0;
        if (at + kIcmpHeaderSize <= datagram.size()) {
            datagram[at + 2] = 0;
            datagram[at + 3] = 0;
            uint16_t sum = InternetChecksum(datagram.data() + at, datagram.size() - at);
            datagram[at + 2] = static_cast<uint8_t>(sum >> 8);
            datagram[at + 3] = static_cast<uint8_t>(sum);
        }
    }
    ParsedEcho parsed = ParseEchoReply(datagram.data(), datagram.size(), ipHeader, ours);
    if (parsed.verdict == EchoVerdict::kNotOurs) {
        if (parsed.timestamp) {
            std::abort();  // nothing is reported about datagrams we skip
        }
        return 0;
    }
    // What is taken as ours has a whole ICMP header behind a sound IP header
    // and a checksum that holds.
    size_t offset = ipHeader ? static_cast<size_t>(datagram[0] & 0x0F) * 4 : 0;
    if (offset + kIcmpHeaderSize > datagram.size() || (ipHeader && offset < kMinIpHeader)) {
        std::abort();
    }
    const uint8_t* message = datagram.data() + offset;
    if (InternetChecksum(message, datagram.size() - offset) != 0) {
        std::abort();
    }
    if (message[0] == kIcmpEchoReply &&
        (Le16(message + 4) != ours.identifier || Le16(message + 6) != ours.sequence)) {
        std::abort();
    }
    if (parsed.verdict == EchoVerdict::kAnswered &&
        (message[0] != kIcmpEchoReply || offset > kMaxAnswerIpHeader)) {
        std::abort();
    }
    return 0;
}
