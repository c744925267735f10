#include "ArenaServer.h"

#include <cstdio>

namespace arena {

void ArenaServer::Pump(int timeoutMs) {
    m_server.Pump(timeoutMs);
    Tarnet::CStreamServer::Event ev;
    while (m_server.NextEvent(ev)) {
        switch (ev.kind) {
            case Tarnet::CStreamServer::Event::kConnected:
                m_players[ev.client] = Player();
                if (m_log) {
                    m_log("client " + std::to_string(ev.client) + " joined from " + ev.address);
                }
                break;
            case Tarnet::CStreamServer::Event::kPackage:
                OnPackage(ev.client, ev.data);
                break;
            case Tarnet::CStreamServer::Event::kClosed: {
                if (m_log) {
                    m_log("client " + std::to_string(ev.client) + " left: " + ev.reason);
                }
                const bool introduced =
                    m_players.count(ev.client) && !m_players[ev.client].name.empty();
                m_players.erase(ev.client);
                if (introduced) {
                    const std::vector<uint8_t> leave = MsgWriter(kLeave).U32(ev.client).Bytes();
                    for (const auto& [id, p] : m_players) {
                        m_server.Send(id, leave.data(), static_cast<unsigned long>(leave.size()));
                    }
                }
                break;
            }
        }
    }
}

void ArenaServer::OnPackage(uint32_t client, const std::vector<uint8_t>& bytes) {
    // The same walk as a game session's: each message's length must cover
    // its header and stay inside the package.
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t left = bytes.size() - at;
        const uint16_t length =
            left >= kHeaderBytes ? static_cast<uint16_t>(bytes[at + 2] | (bytes[at + 3] << 8)) : 0;
        if (length < kHeaderBytes || length > left ||
            !OnMessage(client, bytes.data() + at, length)) {
            ++m_kicked;
            m_server.Kick(client);  // its kClosed event tells the others
            return;
        }
        at += length;
    }
}

bool ArenaServer::OnMessage(uint32_t client, const uint8_t* msg, uint16_t length) {
    const uint16_t kind = MsgReader::Kind(msg);
    if (MsgBytes(kind) == 0 || length != MsgBytes(kind)) {
        return false;
    }
    auto it = m_players.find(client);
    if (it == m_players.end()) {
        return false;
    }
    Player& me = it->second;
    MsgReader r(msg);
    switch (kind) {
        case kHello: {
            if (!me.name.empty()) {
                return false;  // said hello twice
            }
            me.name = r.Name();
            if (me.name.empty()) {
                me.name = "player" + std::to_string(client);
            }
            const std::vector<uint8_t> welcome = MsgWriter(kWelcome).U32(client).Bytes();
            m_server.Send(client, welcome.data(), static_cast<unsigned long>(welcome.size()));
            for (const auto& [id, p] : m_players) {
                if (id != client && !p.name.empty()) {
                    SendPos(client, id, p);
                }
            }
            BroadcastPos(client);
            return true;
        }
        case kMove: {
            if (me.name.empty()) {
                return false;  // moves come after hello
            }
            me.x = ClampX(r.I32());
            me.y = ClampY(r.I32());
            BroadcastPos(client);
            return true;
        }
        default:
            return false;  // server-to-client kinds
    }
}

void ArenaServer::SendPos(uint32_t to, uint32_t id, const Player& p) {
    const std::vector<uint8_t> pos = MsgWriter(kPos).U32(id).I32(p.x).I32(p.y).Name(p.name).Bytes();
    m_server.Send(to, pos.data(), static_cast<unsigned long>(pos.size()));
}

void ArenaServer::BroadcastPos(uint32_t id) {
    const Player& p = m_players.at(id);
    for (const auto& [to, other] : m_players) {
        if (!other.name.empty()) {
            SendPos(to, id, p);
        }
    }
}

}  // namespace arena
