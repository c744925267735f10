// The listening side with real clients: transports and raw sockets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/net.h"
#include "tarnet/Framing.h"
#include "tarnet/StreamServer.h"
#include "tarnet/StreamTransport.h"
#include "testsupport/loopback.h"

namespace {

using Tarnet::CStreamServer;
using Tarnet::CStreamTransport;
using testsupport::WaitUntil;

// Pumps the server until an event of the kind arrives; other events are
// kept in seen.
bool NextOf(CStreamServer& s, CStreamServer::Event::Kind kind, CStreamServer::Event& out,
            std::vector<CStreamServer::Event>* seen = nullptr) {
    return WaitUntil([&] {
        s.Pump(1);
        CStreamServer::Event ev;
        while (s.NextEvent(ev)) {
            if (ev.kind == kind) {
                out = std::move(ev);
                return true;
            }
            if (seen) {
                seen->push_back(std::move(ev));
            }
        }
        return false;
    });
}

std::string Body(const CStreamServer::Event& ev) {
    return std::string(ev.data.begin(), ev.data.end());
}

TEST(StreamServer, TalksWithTransportsAndTellsClientsApart) {
    CStreamServer server;
    ASSERT_TRUE(server.Listen("127.0.0.1", 0));
    ASSERT_GT(server.GetPort(), 0);

    CStreamTransport a, b;
    ASSERT_TRUE(a.TryToConnect("127.0.0.1", server.GetPort()));
    CStreamServer::Event ev;
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kConnected, ev));
    const uint32_t idA = ev.client;
    EXPECT_EQ(ev.address, "127.0.0.1");
    ASSERT_TRUE(b.TryToConnect("127.0.0.1", server.GetPort()));
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kConnected, ev));
    const uint32_t idB = ev.client;
    EXPECT_NE(idA, idB);
    EXPECT_EQ(server.ClientCount(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return a.IsConnected() && b.IsConnected(); }));

    ASSERT_TRUE(a.Send("from a", 6));
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kPackage, ev));
    EXPECT_EQ(ev.client, idA);
    EXPECT_EQ(Body(ev), "from a");

    ASSERT_TRUE(server.Send(idB, "to b", 4));
    unsigned char* p = nullptr;
    unsigned long size = 0;
    ASSERT_TRUE(WaitUntil([&] {
        server.Pump(0);
        return (p = b.Recv(size)) != nullptr;
    }));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p), size), "to b");
    b.FreeRecved(p);
    EXPECT_EQ(a.Recv(size), nullptr);

    // A client that goes away is reported once; sends to it fail.
    a.Disconnect();
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kClosed, ev));
    EXPECT_EQ(ev.client, idA);
    EXPECT_FALSE(ev.reason.empty());
    EXPECT_FALSE(server.Send(idA, "x", 1));
    EXPECT_EQ(server.ClientCount(), 1u);
}

TEST(StreamServer, GarbageFromOneClientDropsOnlyThatClient) {
    CStreamServer server;
    ASSERT_TRUE(server.Listen("127.0.0.1", 0));
    CStreamTransport good;
    ASSERT_TRUE(good.TryToConnect("127.0.0.1", server.GetPort()));
    CStreamServer::Event ev;
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kConnected, ev));
    const uint32_t goodId = ev.client;

    auto raw = platform::TcpSocket::Create();
    ASSERT_TRUE(raw.ok());
    ASSERT_TRUE(raw->Connect("127.0.0.1", static_cast<uint16_t>(server.GetPort())).ok());
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kConnected, ev));
    const uint32_t rawId = ev.client;
    const std::string junk = "\xff\xff\xff\xffGET / HTTP/1.0\r\n\r\n";
    ASSERT_TRUE(raw->SendAll(junk.data(), junk.size()).ok());
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kClosed, ev));
    EXPECT_EQ(ev.client, rawId);
    EXPECT_NE(ev.reason.find("a package over"), std::string::npos) << ev.reason;
    // The raw client sees its connection closed.
    uint8_t b;
    ASSERT_EQ(raw->WaitReadable(static_cast<int>(testsupport::kWaitLimitMs)),
              platform::WaitResult::kReady);
    auto r = raw->Recv(&b, 1);
    EXPECT_TRUE(!r || *r == 0);

    ASSERT_TRUE(good.Send("still here", 10));
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kPackage, ev));
    EXPECT_EQ(ev.client, goodId);
    EXPECT_EQ(Body(ev), "still here");
}

TEST(StreamServer, ClientThatNeverReadsIsDroppedAtTheBacklogBound) {
    CStreamServer server;
    ASSERT_TRUE(server.Listen("127.0.0.1", 0));
    auto raw = platform::TcpSocket::Create();
    ASSERT_TRUE(raw.ok());
    ASSERT_TRUE(raw->Connect("127.0.0.1", static_cast<uint16_t>(server.GetPort())).ok());
    CStreamServer::Event ev;
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kConnected, ev));
    const std::string body(Tarnet::kMaxPackageBytes, 's');
    int sends = 0;
    while (server.Send(ev.client, body.data(), static_cast<unsigned long>(body.size()))) {
        ASSERT_LT(++sends, 10000);
    }
    const size_t bound = CStreamServer::kMaxUnsentBytes;
    EXPECT_GE(sends * body.size(), bound);
    EXPECT_EQ(server.ClientCount(), 0u);
    CStreamServer::Event closed;
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kClosed, closed));
    EXPECT_EQ(closed.client, ev.client);
    EXPECT_NE(closed.reason.find("wait to be sent"), std::string::npos) << closed.reason;
}

TEST(StreamServer, ListenRefusesBadPortsAndCloseEndsEveryClient) {
    CStreamServer server;
    EXPECT_FALSE(server.Listen("127.0.0.1", 70000));
    EXPECT_FALSE(server.IsListening());
    ASSERT_TRUE(server.Listen("127.0.0.1", 0));
    CStreamTransport t;
    ASSERT_TRUE(t.TryToConnect("127.0.0.1", server.GetPort()));
    CStreamServer::Event ev;
    ASSERT_TRUE(NextOf(server, CStreamServer::Event::kConnected, ev));
    server.Close();
    EXPECT_FALSE(server.IsListening());
    EXPECT_TRUE(WaitUntil([&] { return t.IsBroken(); }));
}

}  // namespace
