// The arena's game server: keeps every player's name and position, accepts
// moves and tells every client where everyone is. A client that sends
// anything but well-formed messages is disconnected; one that vanishes is
// announced as gone. Single-threaded: the owner calls Pump in a loop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "ArenaProtocol.h"
#include "tarnet/StreamServer.h"

namespace arena {

class ArenaServer {
public:
    struct Player {
        std::string name;  // empty until the client said hello
        int x = kStartX;
        int y = kStartY;
    };
    static constexpr int kStartX = 320;
    static constexpr int kStartY = 240;

    bool Listen(const char* address, int port) { return m_server.Listen(address, port); }
    int GetPort() const { return m_server.GetPort(); }

    // Handles what arrived within timeoutMs.
    void Pump(int timeoutMs);

    const std::map<uint32_t, Player>& Players() const { return m_players; }
    // Clients dropped for sending something malformed.
    int GetKicked() const { return m_kicked; }
    // Where the server tells of clients coming and going, one line each
    // ("client 2 joined from 127.0.0.1", "client 1 left: ..."). None by
    // default.
    void SetLog(std::function<void(const std::string&)> log) { m_log = std::move(log); }

private:
    void OnPackage(uint32_t client, const std::vector<uint8_t>& bytes);
    // False when the message is malformed.
    bool OnMessage(uint32_t client, const uint8_t* msg, uint16_t length);
    void SendPos(uint32_t to, uint32_t id, const Player& p);
    void BroadcastPos(uint32_t id);

    Tarnet::CStreamServer m_server;
    std::map<uint32_t, Player> m_players;  // by client id, which is the player id
    int m_kicked = 0;
    std::function<void(const std::string&)> m_log;
};

}  // namespace arena
