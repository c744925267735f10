// The version server's event loop: one thread serves every client through
// platform::Poll. Frames are bounded (a length prefix over kMaxFrameBody
// closes the connection), answers wait in a bounded output buffer (a client
// that does not read stops being read), and a client that sits idle or makes
// no progress on a partial request or a pending answer is closed, so no
// client can starve the others or exhaust memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Catalog.h"
#include "platform/net.h"
#include "platform/result.h"

namespace versiond {

// Splits received bytes into frames.
struct FrameCut {
    enum Kind { kIncomplete, kFrame, kOversized } kind = kIncomplete;
    size_t bodyOffset = 0;  // of the frame's body in the bytes
    size_t bodySize = 0;
};
FrameCut NextFrame(const uint8_t* data, size_t size);

// Handles the whole frames of one connection's input: answers each
// VersionRequest into out and ignores other messages, stopping early once out
// holds maxOut bytes or more. Calls log (when set) once per message.
struct InputOutcome {
    bool usable = true;   // false: an oversized frame; the connection must close
    size_t used = 0;      // input bytes consumed
    size_t answered = 0;  // requests answered
};
InputOutcome HandleInput(const Catalog& catalog, const uint8_t* data, size_t size,
                         std::vector<uint8_t>& out, size_t maxOut,
                         const std::function<void(const std::string&)>& log);

struct ServerOptions {
    std::string address = "0.0.0.0";
    uint16_t port = 0;  // 0: a free port
    // A connection with nothing under way is closed after this long.
    uint32_t idleTimeoutMs = 30000;
    // A partial request or a pending answer that makes no progress for this
    // long closes the connection.
    uint32_t stallTimeoutMs = 10000;
    size_t maxClients = 8192;
    // One line per request and per closed misbehaving connection; empty:
    // no log.
    std::function<void(const std::string&)> log;
    // The millisecond clock the time-outs are measured with;
    // platform::TickCount when empty. Tests run a clock of their own.
    std::function<uint32_t()> clock;
};

class VersionServer {
public:
    VersionServer(std::shared_ptr<const Catalog> catalog, ServerOptions options);
    ~VersionServer();
    VersionServer(const VersionServer&) = delete;
    VersionServer& operator=(const VersionServer&) = delete;

    // Opens the listening socket.
    platform::Status Listen();
    uint16_t port() const { return port_; }
    const std::string& address() const { return options_.address; }

    // Serves until stop is set (checked at least every 100 ms). Call on one
    // thread only.
    void Run(const std::atomic<bool>& stop);

    size_t ClientCount() const { return clientCount_; }
    uint64_t RequestsAnswered() const { return answered_; }
    // Request bytes read from all clients so far.
    uint64_t BytesReceived() const { return received_; }

private:
    struct Conn;

    void AcceptAll(uint32_t now);
    // False when the connection is to be closed.
    bool ReadFrom(Conn& c, uint32_t now);
    bool WriteTo(Conn& c, uint32_t now);
    bool AnswerInput(Conn& c, uint32_t now);
    void Log(const std::string& line) const;
    uint32_t Now() const;

    std::shared_ptr<const Catalog> catalog_;
    ServerOptions options_;
    platform::TcpSocket listener_;
    uint16_t port_ = 0;
    std::vector<std::unique_ptr<Conn>> conns_;
    std::atomic<size_t> clientCount_{0};
    std::atomic<uint64_t> answered_{0};
    std::atomic<uint64_t> received_{0};
};

}  // namespace versiond
