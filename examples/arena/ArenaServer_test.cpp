// The arena server with real clients on loopback: transports that speak the
// protocol, and raw sockets that send garbage or vanish.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ArenaProtocol.h"
#include "ArenaServer.h"
#include "platform/net.h"
#include "tarnet/Framing.h"
#include "tarnet/StreamTransport.h"
#include "testsupport/loopback.h"

namespace {

using arena::ArenaServer;
using arena::MsgReader;
using arena::MsgWriter;
using testsupport::WaitUntil;

struct Seen {
    uint16_t kind;
    uint32_t id;
    int x, y;
    std::string name;
};

// A protocol-speaking client over the real transport.
class Client {
public:
    Client(ArenaServer& server, const std::string& name) : m_server(server) {
        EXPECT_TRUE(m_t.TryToConnect("127.0.0.1", server.GetPort()));
        EXPECT_TRUE(WaitUntil([&] {
            server.Pump(1);
            return m_t.IsConnected();
        }));
        Send(MsgWriter(arena::kHello).Name(name));
        EXPECT_TRUE(NextOf(arena::kWelcome, &m_id));
    }
    uint32_t id() const { return m_id; }

    void Send(const MsgWriter& w) {
        m_t.Send(w.Bytes().data(), static_cast<unsigned long>(w.Bytes().size()));
    }
    // Pumps the server and reads until a message of the kind arrives.
    bool NextOf(uint16_t kind, uint32_t* id = nullptr, Seen* out = nullptr) {
        return WaitUntil([&] {
            m_server.Pump(1);
            Drain();
            for (size_t i = 0; i < m_seen.size(); ++i) {
                if (m_seen[i].kind == kind) {
                    if (id) {
                        *id = m_seen[i].id;
                    }
                    if (out) {
                        *out = m_seen[i];
                    }
                    m_seen.erase(m_seen.begin(), m_seen.begin() + static_cast<long>(i) + 1);
                    return true;
                }
            }
            return false;
        });
    }
    // Waits for the position of a player at x, y.
    bool SeesAt(uint32_t id, int x, int y) {
        Seen s;
        while (NextOf(arena::kPos, nullptr, &s)) {
            if (s.id == id && s.x == x && s.y == y) {
                return true;
            }
        }
        return false;
    }

private:
    void Drain() {
        unsigned long size = 0;
        while (unsigned char* p = m_t.Recv(size)) {
            for (unsigned long at = 0; at + arena::kHeaderBytes <= size;) {
                const uint16_t kind = MsgReader::Kind(p + at);
                const uint16_t len = arena::MsgBytes(kind);
                if (len == 0 || at + len > size) {
                    break;
                }
                MsgReader r(p + at);
                Seen s{kind, r.U32(), 0, 0, {}};
                if (kind == arena::kPos) {
                    s.x = r.I32();
                    s.y = r.I32();
                    s.name = r.Name();
                }
                m_seen.push_back(s);
                at += len;
            }
            m_t.FreeRecved(p);
        }
    }

    ArenaServer& m_server;
    Tarnet::CStreamTransport m_t;
    uint32_t m_id = 0;
    std::vector<Seen> m_seen;
};

// A raw connection that sends whatever it is given.
platform::TcpSocket RawClient(ArenaServer& server) {
    auto s = platform::TcpSocket::Create();
    EXPECT_TRUE(s.ok());
    EXPECT_TRUE(s->Connect("127.0.0.1", static_cast<uint16_t>(server.GetPort())).ok());
    return std::move(*s);
}

std::vector<uint8_t> Framed(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    Tarnet::AppendFrame(out, body.data(), static_cast<uint32_t>(body.size()));
    return out;
}

class Arena : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Listen("127.0.0.1", 0)); }
    ArenaServer server;
};

TEST_F(Arena, PlayersSeeEachOthersMovesClampedToTheArena) {
    Client a(server, "A");
    Seen self;
    ASSERT_TRUE(a.NextOf(arena::kPos, nullptr, &self));
    EXPECT_EQ(self.id, a.id());
    EXPECT_EQ(self.name, "A");

    Client b(server, "B");
    // B learns of A on arrival; A hears of B.
    Seen s;
    ASSERT_TRUE(a.NextOf(arena::kPos, nullptr, &s));
    EXPECT_EQ(s.name, "B");

    a.Send(MsgWriter(arena::kMove).I32(100).I32(50));
    EXPECT_TRUE(b.SeesAt(a.id(), 100, 50));
    b.Send(MsgWriter(arena::kMove).I32(-20).I32(10000));
    EXPECT_TRUE(a.SeesAt(b.id(), 0, arena::kArenaHeight - 1));
    EXPECT_EQ(server.Players().at(b.id()).y, arena::kArenaHeight - 1);
}

TEST_F(Arena, GarbageGetsTheSenderDroppedAndNobodyElse) {
    Client a(server, "A");
    const std::vector<std::vector<uint8_t>> garbage = {
        {0xFF, 0xFF, 0xFF, 0x7F, 'x'},                          // a frame of 2 GiB announced
        Framed({1, 0, 3, 0}),                                   // length below the header
        Framed({1, 0, 200, 0, 'a', 'b'}),                       // length past the package
        Framed({99, 0, 8, 0, 1, 2, 3, 4}),                      // no such kind
        Framed(MsgWriter(arena::kMove).I32(1).I32(2).Bytes()),  // a move before hello
        Framed(MsgWriter(arena::kWelcome).U32(7).Bytes()),      // a server's message
    };
    for (size_t i = 0; i < garbage.size(); ++i) {
        platform::TcpSocket raw = RawClient(server);
        ASSERT_TRUE(raw.SendAll(garbage[i].data(), garbage[i].size()).ok());
        // The server closes the connection; the client reads its end.
        bool closed = false;
        ASSERT_TRUE(WaitUntil([&] {
            server.Pump(1);
            uint8_t b;
            if (raw.WaitReadable(0) == platform::WaitResult::kReady) {
                auto r = raw.Recv(&b, 1);
                closed = !r || *r == 0;
            }
            return closed;
        })) << "garbage "
            << i << " was not dropped";
    }
    EXPECT_EQ(server.GetKicked(), static_cast<int>(garbage.size()) - 1);  // the rest: framing
    // A is still served.
    a.Send(MsgWriter(arena::kMove).I32(7).I32(8));
    EXPECT_TRUE(a.SeesAt(a.id(), 7, 8));
    EXPECT_EQ(server.Players().size(), 1u);
}

TEST_F(Arena, VanishingClientIsAnnouncedAsGone) {
    Client a(server, "A");
    uint32_t bId = 0;
    {
        Client b(server, "B");
        bId = b.id();
    }  // B's connection closes without a word
    uint32_t gone = 0;
    ASSERT_TRUE(a.NextOf(arena::kLeave, &gone));
    EXPECT_EQ(gone, bId);
    // So does one that never said hello; nobody is told about it.
    { platform::TcpSocket raw = RawClient(server); }
    EXPECT_TRUE(WaitUntil([&] {
        server.Pump(1);
        return server.Players().size() == 1;
    }));
}

}  // namespace
