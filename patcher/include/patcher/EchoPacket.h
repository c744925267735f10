// The ICMP echo request the latency probe sends and the reader of what comes
// back.
//
// Request (32 bytes, the ICMP message only; fields little-endian as the
// program always wrote them, the checksum in network order):
//   0  type 8, 1 code 0, 2 checksum (RFC 1071 over the 32 bytes, field 0),
//   4  identifier (low 16 bits of the process id), 6 sequence (low 16 bits of
//      the ping's id), 8 timestamp (tick count in ms when built),
//   12 fill: 0xDEADBEEF five times (bytes EF BE AD DE).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

constexpr size_t kEchoRequestSize = 32;
constexpr uint32_t kEchoFill = 0xDEADBEEF;
constexpr uint8_t kIcmpEchoReply = 0;
constexpr uint8_t kIcmpDestinationUnreachable = 3;
constexpr uint8_t kIcmpSourceQuench = 4;
constexpr uint8_t kIcmpRedirect = 5;
constexpr uint8_t kIcmpEchoRequest = 8;
constexpr uint8_t kIcmpTimeExceeded = 11;
constexpr uint8_t kIcmpParameterProblem = 12;

// The longest datagram read from a raw socket (IP header included).
constexpr size_t kMaxEchoDatagram = 1064;
// An answer whose IP header is longer than this (options beyond one 4-byte
// word) counts as no answer, as it always has.
constexpr size_t kMaxAnswerIpHeader = 24;
constexpr size_t kMinIpHeader = 20;
constexpr size_t kIcmpHeaderSize = 8;

using EchoRequest = std::array<uint8_t, kEchoRequestSize>;

// RFC 1071 Internet checksum of size bytes, as the 16-bit value to store in
// network byte order (big-endian) at the checksum field. A message whose
// checksum field is correct sums to 0 here.
uint16_t InternetChecksum(const uint8_t* data, size_t size);

EchoRequest BuildEchoRequest(uint16_t identifier, uint16_t sequence, uint32_t timestamp);

// What one received datagram says about our echo request.
enum class EchoVerdict {
    kNotOurs,       // skip it and keep waiting
    kAnswered,      // the host's echo reply
    kTimeExceeded,  // a router on the way reported the request's time-to-live ran out
    kNoAnswer,      // our request met an error on the way, or an answer we do not take
};

struct EchoMatch {
    uint16_t identifier = 0;  // as in the request's bytes 4-5 (for datagram sockets: the kernel's)
    uint16_t sequence = 0;
};

struct ParsedEcho {
    EchoVerdict verdict = EchoVerdict::kNotOurs;
    // The timestamp our request carried, as it came back (echo replies, and
    // error reports that quote enough of the request); nothing otherwise.
    std::optional<uint32_t> timestamp;
};

// Reads one received datagram. With ipHeader the datagram starts with its
// IPv4 header (raw sockets), otherwise with the ICMP message (datagram
// sockets). Never reads outside [data, data + size).
//
// A datagram is ours when its ICMP checksum holds and it is an echo reply
// carrying our identifier and sequence, or an error report (unreachable,
// source quench, redirect, time exceeded, parameter problem) that quotes an
// echo request with our identifier and sequence. Everything else is
// skipped: datagrams too short for their own IPv4 header plus 8 bytes, an
// IPv4 header length field under 20 bytes or past the datagram, echo
// requests (ours come back on loopback), other processes' echoes.
ParsedEcho ParseEchoReply(const uint8_t* data, size_t size, bool ipHeader, const EchoMatch& ours);
