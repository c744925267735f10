// Fixtures for tests over loopback TCP: a plain peer that listens on a free
// port and speaks raw bytes (its waits end at kWaitLimitMs, wait.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/net.h"
#include "testsupport/wait.h"

namespace testsupport {

// The server end of one connection: listens on 127.0.0.1 and a free port,
// accepts one client, then reads and writes raw bytes.
class LoopbackPeer {
public:
    LoopbackPeer();
    int port() const { return port_; }

    // Waits for the client; false when none came.
    bool Accept();
    // Writes every byte (fails the test when it cannot).
    void Write(const std::vector<uint8_t>& bytes);
    // Exactly n bytes, or fewer when the connection ends or nothing arrives
    // within the wait limit.
    std::vector<uint8_t> Read(size_t n);
    // Whether bytes arrive within waitMs (they are not taken).
    bool HasData(int waitMs);
    // True once the client closed its end (further bytes are discarded).
    bool SeesClose();
    void CloseConnection() { conn_.Close(); }

private:
    platform::TcpSocket listener_;
    platform::TcpSocket conn_;
    int port_ = 0;
};

}  // namespace testsupport
