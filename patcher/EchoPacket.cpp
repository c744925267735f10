#include "patcher/EchoPacket.h"

namespace {

constexpr uint8_t kIpVersion4 = 4;
constexpr uint8_t kProtocolIcmp = 1;
constexpr size_t kIpProtocolOffset = 9;

uint16_t GetLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t GetLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// Length in bytes of the IPv4 header at data, or 0 when the bytes there are
// not an IPv4 header that fits in size with at least `after` bytes behind it.
size_t IpHeaderLength(const uint8_t* data, size_t size, size_t after) {
    if (size < kMinIpHeader || (data[0] >> 4) != kIpVersion4) {
        return 0;
    }
    size_t length = static_cast<size_t>(data[0] & 0x0F) * 4;
    if (length < kMinIpHeader || length > size || size - length < after) {
        return 0;
    }
    return length;
}

bool IsErrorReport(uint8_t type) {
    return type == kIcmpDestinationUnreachable || type == kIcmpSourceQuench ||
           type == kIcmpRedirect || type == kIcmpTimeExceeded || type == kIcmpParameterProblem;
}

// The echo request an error report quotes (its IP header, then at least the
// first 8 bytes of the ICMP message), when it is one of ours.
bool QuotesOurRequest(const uint8_t* quote, size_t size, const EchoMatch& ours,
                      std::optional<uint32_t>& timestamp) {
    size_t ipLength = IpHeaderLength(quote, size, kIcmpHeaderSize);
    if (ipLength == 0 || quote[kIpProtocolOffset] != kProtocolIcmp) {
        return false;
    }
    const uint8_t* request = quote + ipLength;
    size_t requestSize = size - ipLength;
    if (request[0] != kIcmpEchoRequest || GetLe16(request + 4) != ours.identifier ||
        GetLe16(request + 6) != ours.sequence) {
        return false;
    }
    if (requestSize >= 12) {
        timestamp = GetLe32(request + 8);
    }
    return true;
}

}  // namespace

uint16_t InternetChecksum(const uint8_t* data, size_t size) {
    uint32_t sum = 0;
    size_t i = 0;
    for (; i + 1 < size; i += 2) {
        sum += static_cast<uint32_t>((data[i] << 8) | data[i + 1]);
    }
    if (i < size) {
        sum += static_cast<uint32_t>(data[i] << 8);  // an odd last byte is padded with zero
    }
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<uint16_t>(~sum);
}

EchoRequest BuildEchoRequest(uint16_t identifier, uint16_t sequence, uint32_t timestamp) {
    EchoRequest r{};
    r[0] = kIcmpEchoRequest;
    r[1] = 0;
    PutLe16(&r[4], identifier);
    PutLe16(&r[6], sequence);
    PutLe32(&r[8], timestamp);
    for (size_t off = 12; off < kEchoRequestSize; off += 4) {
        PutLe32(&r[off], kEchoFill);
    }
    uint16_t sum = InternetChecksum(r.data(), r.size());
    r[2] = static_cast<uint8_t>(sum >> 8);
    r[3] = static_cast<uint8_t>(sum);
    return r;
}

ParsedEcho ParseEchoReply(const uint8_t* data, size_t size, bool ipHeader, const EchoMatch& ours) {
    ParsedEcho out;
    size_t ipLength = 0;
    if (ipHeader) {
        ipLength = IpHeaderLength(data, size, kIcmpHeaderSize);
        if (ipLength == 0) {
            return out;
        }
    } else if (size < kIcmpHeaderSize) {
        return out;
    }
    const uint8_t* message = data + ipLength;
    size_t messageSize = size - ipLength;
    if (InternetChecksum(message, messageSize) != 0) {
        return out;  // damaged on the way, or not ICMP at all
    }

    uint8_t type = message[0];
    std::optional<uint32_t> timestamp;
    if (type == kIcmpEchoReply) {
        if (GetLe16(message + 4) != ours.identifier || GetLe16(message + 6) != ours.sequence) {
            return out;
        }
        if (messageSize >= 12) {
            timestamp = GetLe32(message + 8);
        }
        out.verdict = EchoVerdict::kAnswered;
    } else if (IsErrorReport(type)) {
        if (!QuotesOurRequest(message + kIcmpHeaderSize, messageSize - kIcmpHeaderSize, ours,
                              timestamp)) {
            return out;
        }
        out.verdict =
            type == kIcmpTimeExceeded ? EchoVerdict::kTimeExceeded : EchoVerdict::kNoAnswer;
    } else {
        return out;  // echo requests (ours loop back on loopback) and everything else
    }
    if (ipLength > kMaxAnswerIpHeader) {
        out.verdict = EchoVerdict::kNoAnswer;
        return out;
    }
    out.timestamp = timestamp;
    return out;
}
