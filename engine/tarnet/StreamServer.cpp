#include "tarnet/StreamServer.h"

#include <deque>
#include <map>
#include <string>

#include "FrameQueue.h"
#include "platform/net.h"
#include "tarnet/Framing.h"

namespace Tarnet {

namespace {

constexpr int kListenBacklog = 64;
constexpr size_t kReadChunk = 64 * 1024;
// Connections taken from the backlog per Pump, so a burst of connects does
// not starve the clients already there.
constexpr int kAcceptsPerPump = 32;

struct Client {
    uint32_t id = 0;
    platform::TcpSocket socket;
    FrameDecoder decoder{kMaxPackageBytes};
    FrameQueue unsent;

    // Empty, or why the client must go: a socket error while writing.
    std::string Flush() {
        platform::Error failure;
        return unsent.Flush(socket, &failure) ? std::string() : SocketFailure("send", failure);
    }
};

}  // namespace

struct CStreamServer::Impl {
    platform::TcpSocket listener;
    int port = 0;
    std::map<uint32_t, std::unique_ptr<Client>> clients;
    std::deque<Event> events;
    uint32_t nextId = 1;
    std::vector<uint8_t> chunk = std::vector<uint8_t>(kReadChunk);

    void Drop(uint32_t id, std::string reason) {
        if (clients.erase(id)) {
            Event ev;
            ev.kind = Event::kClosed;
            ev.client = id;
            ev.reason = std::move(reason);
            events.push_back(std::move(ev));
        }
    }

    void AcceptSome() {
        for (int i = 0; i < kAcceptsPerPump; ++i) {
            auto accepted = listener.Accept();
            if (!accepted) {
                return;  // nothing more waiting (or a transient failure)
            }
            if (clients.size() >= kMaxClients || !accepted->SetNonBlocking(true)) {
                continue;  // closed at once: the client sees the refusal
            }
            accepted->SetNoDelay(true);
            auto c = std::make_unique<Client>();
            c->id = nextId++;
            c->socket = std::move(*accepted);
            Event ev;
            ev.kind = Event::kConnected;
            ev.client = c->id;
            ev.address = c->socket.PeerAddress().value_or(std::string());
            events.push_back(std::move(ev));
            clients.emplace(c->id, std::move(c));
        }
    }

    // Empty, or why the client must go.
    std::string ReadFrom(Client& c) {
        auto r = c.socket.Recv(chunk.data(), chunk.size());
        if (!r) {
            return platform::IsWouldBlock(r.error()) ? std::string()
                                                     : SocketFailure("receive", r.error());
        }
        if (*r == 0) {
            return "the client closed the connection";
        }
        const bool framed =
            c.decoder.Feed(chunk.data(), *r, [&](const uint8_t* body, uint32_t size) {
                Event ev;
                ev.kind = Event::kPackage;
                ev.client = c.id;
                ev.data.assign(body, body + size);
                events.push_back(std::move(ev));
            });
        return framed ? std::string()
                      : "a package over " + std::to_string(kMaxPackageBytes) + " bytes";
    }
};

CStreamServer::CStreamServer() : m_impl(std::make_unique<Impl>()) {}

CStreamServer::~CStreamServer() {
    Close();
}

bool CStreamServer::Listen(const char* address, int port) {
    Close();
    if (port < 0 || port > 65535) {
        return false;
    }
    auto l = platform::TcpSocket::Listen(address ? address : "", static_cast<uint16_t>(port),
                                         kListenBacklog);
    if (!l || !l->SetNonBlocking(true)) {
        return false;
    }
    auto bound = l->LocalPort();
    if (!bound) {
        return false;
    }
    m_impl->listener = std::move(*l);
    m_impl->port = *bound;
    return true;
}

int CStreamServer::GetPort() const {
    return m_impl->port;
}

bool CStreamServer::IsListening() const {
    return m_impl->listener.IsOpen();
}

void CStreamServer::Pump(int timeoutMs) {
    Impl& im = *m_impl;
    std::vector<platform::PollItem> items;
    std::vector<uint32_t> ids;
    items.reserve(im.clients.size() + 1);
    if (im.listener.IsOpen()) {
        items.push_back(platform::PollItem{&im.listener, true, false});
        ids.push_back(0);
    }
    for (auto& [id, c] : im.clients) {
        items.push_back(platform::PollItem{&c->socket, true, !c->unsent.empty()});
        ids.push_back(id);
    }
    if (items.empty()) {
        return;
    }
    auto polled = platform::Poll(items, timeoutMs);
    if (!polled || *polled == 0) {
        return;
    }
    std::vector<std::pair<uint32_t, std::string>> gone;
    for (size_t i = 0; i < items.size(); ++i) {
        if (ids[i] == 0) {
            continue;
        }
        Client& c = *im.clients.at(ids[i]);
        std::string why;
        if (items[i].readable) {
            why = im.ReadFrom(c);
        } else if (items[i].failed) {
            why = "the connection failed";
        }
        if (why.empty() && items[i].writable) {
            why = c.Flush();
        }
        if (!why.empty()) {
            gone.emplace_back(c.id, std::move(why));
        }
    }
    for (auto& [id, why] : gone) {
        im.Drop(id, std::move(why));
    }
    // Accept last, so the new clients' sockets were not in this poll.
    if (!items.empty() && ids[0] == 0 && items[0].readable) {
        im.AcceptSome();
    }
}

bool CStreamServer::NextEvent(Event& ev) {
    if (m_impl->events.empty()) {
        return false;
    }
    ev = std::move(m_impl->events.front());
    m_impl->events.pop_front();
    return true;
}

bool CStreamServer::Send(uint32_t client, const void* data, unsigned long size) {
    Impl& im = *m_impl;
    auto it = im.clients.find(client);
    if (it == im.clients.end() || (!data && size) || size > kMaxPackageBytes) {
        return false;
    }
    Client& c = *it->second;
    const size_t frameSize = kFrameHeaderBytes + size;
    if (c.unsent.bytes() + frameSize > kMaxUnsentBytes) {
        // It stopped reading; do not hold its traffic for ever.
        im.Drop(client, "over " + std::to_string(kMaxUnsentBytes) + " bytes wait to be sent");
        return false;
    }
    std::vector<uint8_t> frame;
    frame.reserve(frameSize);
    AppendFrame(frame, data, static_cast<uint32_t>(size));
    c.unsent.Push(std::move(frame));
    if (c.unsent.count() == 1) {
        std::string why = c.Flush();
        if (!why.empty()) {
            im.Drop(client, std::move(why));
            return false;
        }
    }
    return true;
}

void CStreamServer::Kick(uint32_t client) {
    m_impl->Drop(client, "kicked by the server");
}

size_t CStreamServer::ClientCount() const {
    return m_impl->clients.size();
}

void CStreamServer::Close() {
    Impl& im = *m_impl;
    im.clients.clear();
    im.events.clear();
    im.listener.Close();
    im.port = 0;
}

}  // namespace Tarnet
