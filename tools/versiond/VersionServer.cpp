#include "VersionServer.h"

#include <algorithm>

#include "platform/clock.h"

namespace versiond {

namespace {

constexpr size_t kReadChunk = 4096;          // most unparsed input a connection holds
constexpr size_t kMaxPendingOutput = 65536;  // answers waiting for a slow reader
constexpr int kPollMs = 100;                 // the stop flag is checked this often
constexpr int kListenBacklog = 4096;         // the system may allow fewer
constexpr int kAcceptsPerRound = 256;
constexpr uint32_t kAcceptPauseMs = 100;  // after accept fails (out of descriptors)

std::string Describe(const Answer& a, const VersionRequest& r) {
    return "version=" + std::to_string(r.version) + " line=" + std::to_string(r.lineType) +
           " -> code=" + std::to_string(a.code) + " target=" + std::to_string(a.target) +
           " files=" + std::to_string(a.files) + " ftp=" + DottedAddress(a.mirror);
}

}  // namespace

FrameCut NextFrame(const uint8_t* data, size_t size) {
    FrameCut cut;
    if (size < kFrameLengthSize) {
        return cut;
    }
    uint32_t length = GetU32(data);
    if (length > kMaxFrameBody) {
        cut.kind = FrameCut::kOversized;
        cut.bodySize = length;
        return cut;
    }
    if (size - kFrameLengthSize < length) {
        return cut;
    }
    cut.kind = FrameCut::kFrame;
    cut.bodyOffset = kFrameLengthSize;
    cut.bodySize = length;
    return cut;
}

InputOutcome HandleInput(const Catalog& catalog, const uint8_t* data, size_t size,
                         std::vector<uint8_t>& out, size_t maxOut,
                         const std::function<void(const std::string&)>& log) {
    InputOutcome o;
    while (out.size() < maxOut) {
        FrameCut cut = NextFrame(data + o.used, size - o.used);
        if (cut.kind == FrameCut::kIncomplete) {
            break;
        }
        if (cut.kind == FrameCut::kOversized) {
            if (log) {
                log("frame of " + std::to_string(cut.bodySize) + " bytes is longer than " +
                    std::to_string(kMaxFrameBody) + ": closed");
            }
            o.usable = false;
            break;
        }
        const uint8_t* body = data + o.used + cut.bodyOffset;
        o.used += cut.bodyOffset + cut.bodySize;
        if (auto request = DecodeVersionRequest(body, cut.bodySize)) {
            versiond::Answer a = catalog.Respond(*request, out);
            ++o.answered;
            if (log) {
                log(Describe(a, *request));
            }
        } else if (log) {
            auto type = MessageType(body, cut.bodySize);
            log("ignored message" + (type ? " of type " + std::to_string(*type) : std::string()) +
                ", " + std::to_string(cut.bodySize) + " bytes");
        }
    }
    return o;
}

struct VersionServer::Conn {
    platform::TcpSocket socket;
    std::string peer;
    std::vector<uint8_t> in;
    std::vector<uint8_t> out;
    size_t outPos = 0;
    bool peerClosed = false;
    uint32_t lastActivity = 0;  // any byte in or out
    uint32_t inSince = 0;       // a partial request has been waiting since
    uint32_t outSince = 0;      // an answer has been waiting since

    size_t Pending() const { return out.size() - outPos; }
};

VersionServer::VersionServer(std::shared_ptr<const Catalog> catalog, ServerOptions options)
    : catalog_(std::move(catalog)), options_(std::move(options)) {}

VersionServer::~VersionServer() = default;

platform::Status VersionServer::Listen() {
    auto l = platform::TcpSocket::Listen(options_.address, options_.port, kListenBacklog);
    if (!l) {
        return l.error();
    }
    listener_ = std::move(l.value());
    if (auto s = listener_.SetNonBlocking(true); !s) {
        return s;
    }
    auto port = listener_.LocalPort();
    if (!port) {
        return port.error();
    }
    port_ = *port;
    return platform::Status::Ok();
}

void VersionServer::Log(const std::string& line) const {
    if (options_.log) {
        options_.log(line);
    }
}

void VersionServer::AcceptAll(uint32_t now) {
    for (int i = 0; i < kAcceptsPerRound; ++i) {
        auto s = listener_.Accept();
        if (!s) {
            return;
        }
        if (conns_.size() >= options_.maxClients) {
            Log(s->PeerAddress().value_or(std::string()) +
                " refused: " + std::to_string(conns_.size()) + " clients already");
            continue;  // closed as it goes out of scope
        }
        if (!s->SetNonBlocking(true)) {
            continue;
        }
        (void)s->SetNoDelay(true);
        auto c = std::make_unique<Conn>();
        c->socket = std::move(s.value());
        if (options_.log) {
            c->peer = c->socket.PeerAddress().value_or(std::string());
        }
        c->lastActivity = now;
        conns_.push_back(std::move(c));
    }
}

bool VersionServer::ReadFrom(Conn& c, uint32_t now) {
    uint8_t buffer[kReadChunk];
    auto r = c.socket.Recv(buffer, kReadChunk - c.in.size());
    if (!r) {
        return platform::IsWouldBlock(r.error());
    }
    if (*r == 0) {
        // The client is done sending; what it asked for is still answered.
        c.peerClosed = true;
        c.in.clear();
        return true;
    }
    if (c.in.empty()) {
        c.inSince = now;
    }
    received_ += *r;
    c.in.insert(c.in.end(), buffer, buffer + *r);
    c.lastActivity = now;
    return AnswerInput(c, now);
}

bool VersionServer::AnswerInput(Conn& c, uint32_t now) {
    if (c.Pending() == 0) {
        c.out.clear();
        c.outPos = 0;
    }
    std::function<void(const std::string&)> log;
    if (options_.log) {
        log = [&](const std::string& line) { options_.log(c.peer + " " + line); };
    }
    bool wasWaiting = c.Pending() > 0;
    InputOutcome o =
        HandleInput(*catalog_, c.in.data(), c.in.size(), c.out, c.outPos + kMaxPendingOutput, log);
    c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(o.used));
    if (o.used > 0) {
        c.inSince = now;  // what is left is a new partial request
    }
    if (o.answered > 0) {
        answered_ += o.answered;
        if (!wasWaiting) {
            c.outSince = now;
        }
    }
    return o.usable;
}

bool VersionServer::WriteTo(Conn& c, uint32_t now) {
    while (c.Pending() > 0) {
        auto r = c.socket.Send(c.out.data() + c.outPos, c.Pending());
        if (!r) {
            return platform::IsWouldBlock(r.error());
        }
        if (*r == 0) {
            break;
        }
        c.outPos += *r;
        c.lastActivity = now;
        c.outSince = now;
    }
    // Input held back while the answers waited.
    if (c.Pending() == 0 && !c.in.empty()) {
        return AnswerInput(c, now);
    }
    return true;
}

uint32_t VersionServer::Now() const {
    return options_.clock ? options_.clock() : platform::TickCount();
}

void VersionServer::Run(const std::atomic<bool>& stop) {
    std::vector<platform::PollItem> items;
    uint32_t acceptPausedUntil = Now();
    while (!stop) {
        uint32_t now = Now();
        items.clear();
        for (const auto& c : conns_) {
            platform::PollItem item;
            item.socket = &c->socket;
            item.wantRead =
                !c->peerClosed && c->in.size() < kReadChunk && c->Pending() < kMaxPendingOutput;
            item.wantWrite = c->Pending() > 0;
            items.push_back(item);
        }
        const size_t polled = items.size();
        // The listener is polled last, and only while clients may join.
        bool acceptOpen = conns_.size() < options_.maxClients &&
                          static_cast<int32_t>(now - acceptPausedUntil) >= 0;
        if (acceptOpen) {
            platform::PollItem listen;
            listen.socket = &listener_;
            listen.wantRead = true;
            items.push_back(listen);
        }
        auto ready = platform::Poll(items, kPollMs);
        if (!ready) {
            platform::SleepMs(10);
            continue;
        }
        now = Now();
        for (size_t i = 0; i < polled; ++i) {
            Conn& c = *conns_[i];
            const platform::PollItem& item = items[i];
            bool keep = true;
            if (item.wantRead && (item.readable || item.failed)) {
                keep = ReadFrom(c, now);
            } else if (item.failed) {
                keep = false;
            }
            if (keep && c.Pending() > 0) {
                keep = WriteTo(c, now);
            }
            if (keep && c.peerClosed && c.Pending() == 0) {
                keep = false;
            }
            if (keep) {
                bool partial = !c.in.empty();
                bool answering = c.Pending() > 0;
                if ((partial && now - c.inSince > options_.stallTimeoutMs) ||
                    (answering && now - c.outSince > options_.stallTimeoutMs)) {
                    Log(c.peer + (partial ? " request" : " answer") + " stalled for " +
                        std::to_string(options_.stallTimeoutMs) + " ms: closed");
                    keep = false;
                } else if (!partial && !answering &&
                           now - c.lastActivity > options_.idleTimeoutMs) {
                    Log(c.peer + " idle for " + std::to_string(options_.idleTimeoutMs) +
                        " ms: closed");
                    keep = false;
                }
            }
            if (!keep) {
                conns_[i].reset();
            }
        }
        conns_.erase(std::remove(conns_.begin(), conns_.end(), nullptr), conns_.end());
        if (acceptOpen && items.back().readable) {
            size_t before = conns_.size();
            AcceptAll(now);
            if (conns_.size() == before) {
                // Readable but nothing accepted: out of descriptors, most
                // likely. Give the others a moment instead of spinning.
                acceptPausedUntil = now + kAcceptPauseMs;
            }
        }
        clientCount_ = conns_.size();
    }
    conns_.clear();
    clientCount_ = 0;
}

}  // namespace versiond
