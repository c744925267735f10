// Framed packages waiting for a non-blocking socket, oldest first: what the
// socket could not take at once waits here and goes out in order as it
// takes more. Shared by the server (one queue per client) and the client
// transport. Not thread-safe: the owner's lock guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/net.h"

namespace Tarnet {

// A failed socket operation as the reason a connection ended: "send failed:
// CODE TEXT". Shared by the server and the client transport.
inline std::string SocketFailure(const char* what, const platform::Error& e) {
    return std::string(what) + " failed: " + std::to_string(e.code) + " " + e.Message();
}

class FrameQueue {
public:
    bool empty() const { return m_frames.empty(); }
    size_t count() const { return m_frames.size(); }
    // Bytes queued and not yet written.
    size_t bytes() const { return m_bytes; }

    // Queues a frame whose first `written` bytes are already on the wire
    // (only the first frame of an empty queue can have any).
    void Push(std::vector<uint8_t> frame, size_t written = 0) {
        if (m_frames.empty()) {
            m_frontWritten = written;
        }
        m_bytes += frame.size() - written;
        m_frames.push_back(std::move(frame));
    }

    // Writes what waits, oldest first, until the socket would block. False
    // on a socket error, which is kept in *failure when asked for.
    bool Flush(platform::TcpSocket& socket, platform::Error* failure = nullptr) {
        while (!m_frames.empty()) {
            std::vector<uint8_t>& frame = m_frames.front();
            auto r = socket.Send(frame.data() + m_frontWritten, frame.size() - m_frontWritten);
            if (!r) {
                if (platform::IsWouldBlock(r.error())) {
                    return true;
                }
                if (failure) {
                    *failure = r.error();
                }
                return false;
            }
            m_frontWritten += *r;
            m_bytes -= *r;
            if (m_frontWritten < frame.size()) {
                return true;
            }
            m_frames.pop_front();
            m_frontWritten = 0;
        }
        return true;
    }

    void Clear() {
        m_frames.clear();
        m_frontWritten = 0;
        m_bytes = 0;
    }

private:
    std::deque<std::vector<uint8_t>> m_frames;
    size_t m_frontWritten = 0;  // bytes of the first frame already written
    size_t m_bytes = 0;
};

}  // namespace Tarnet
