// The stream transports' framing: every package travels as a 4-byte
// little-endian body length followed by the body. A body may be empty.
//
// FrameDecoder is fed the bytes of a stream as they arrive, in pieces of any
// size, and hands out each complete body in order. A header that announces
// more than the decoder's bound is an error: the stream is then unusable,
// and the owner closes the connection instead of allocating what a peer
// claimed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Tarnet {

constexpr size_t kFrameHeaderBytes = 4;
// Largest package body either side sends or accepts. A game session's
// batches stay below 1 KiB; servers batch more, but never near this.
constexpr uint32_t kMaxPackageBytes = 64 * 1024;

inline void EncodeFrameHeader(uint32_t bodySize, uint8_t out[kFrameHeaderBytes]) {
    out[0] = static_cast<uint8_t>(bodySize);
    out[1] = static_cast<uint8_t>(bodySize >> 8);
    out[2] = static_cast<uint8_t>(bodySize >> 16);
    out[3] = static_cast<uint8_t>(bodySize >> 24);
}

inline uint32_t DecodeFrameHeader(const uint8_t in[kFrameHeaderBytes]) {
    return uint32_t(in[0]) | (uint32_t(in[1]) << 8) | (uint32_t(in[2]) << 16) |
           (uint32_t(in[3]) << 24);
}

// Appends one framed package to out.
inline void AppendFrame(std::vector<uint8_t>& out, const void* body, uint32_t size) {
    const size_t at = out.size();
    out.resize(at + kFrameHeaderBytes + size);
    EncodeFrameHeader(size, out.data() + at);
    if (size) {
        std::memcpy(out.data() + at + kFrameHeaderBytes, body, size);
    }
}

class FrameDecoder {
public:
    explicit FrameDecoder(uint32_t maxBody = kMaxPackageBytes) : m_maxBody(maxBody) {}

    // Takes the next size bytes of the stream. sink(const uint8_t* body,
    // uint32_t size) is called once per completed package, in order; the
    // body pointer is valid only during the call. Answers false, now and
    // for every later call, once a header announced a body over the bound;
    // packages completed before it in the same bytes have been handed out.
    template <class Sink>
    bool Feed(const uint8_t* data, size_t size, Sink&& sink) {
        if (m_failed) {
            return false;
        }
        while (size > 0) {
            if (m_headerHave < kFrameHeaderBytes) {
                // Fast path: a whole frame lies in the new bytes; hand it out
                // without copying.
                if (m_headerHave == 0 && size >= kFrameHeaderBytes) {
                    const uint32_t body = DecodeFrameHeader(data);
                    if (body > m_maxBody) {
                        return Fail();
                    }
                    if (size - kFrameHeaderBytes >= body) {
                        sink(data + kFrameHeaderBytes, body);
                        data += kFrameHeaderBytes + body;
                        size -= kFrameHeaderBytes + body;
                        continue;
                    }
                }
                const size_t take = std::min(size, kFrameHeaderBytes - m_headerHave);
                std::memcpy(m_header + m_headerHave, data, take);
                m_headerHave += take;
                data += take;
                size -= take;
                if (m_headerHave < kFrameHeaderBytes) {
                    break;
                }
                m_bodySize = DecodeFrameHeader(m_header);
                if (m_bodySize > m_maxBody) {
                    return Fail();
                }
                m_body.clear();
                m_body.reserve(m_bodySize);
            }
            const size_t take = std::min<size_t>(size, m_bodySize - m_body.size());
            m_body.insert(m_body.end(), data, data + take);
            data += take;
            size -= take;
            if (m_body.size() == m_bodySize) {
                sink(m_body.data(), m_bodySize);
                m_headerHave = 0;
                m_body.clear();
            }
        }
        return true;
    }

    bool Failed() const { return m_failed; }
    // Bytes of an unfinished package held back (header included).
    size_t Pending() const { return m_headerHave + m_body.size(); }
    void Reset() {
        m_failed = false;
        m_headerHave = 0;
        m_body.clear();
        m_body.shrink_to_fit();
    }

private:
    bool Fail() {
        m_failed = true;
        m_body.clear();
        m_body.shrink_to_fit();
        return false;
    }

    uint32_t m_maxBody;
    bool m_failed = false;
    uint8_t m_header[kFrameHeaderBytes] = {};
    size_t m_headerHave = 0;
    uint32_t m_bodySize = 0;
    std::vector<uint8_t> m_body;
};

}  // namespace Tarnet
