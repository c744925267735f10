#include "platform/net.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "platform/clock.h"

#ifndef _WIN32
#include "posix/sockets.h"
#endif

namespace {

using platform::TcpSocket;
using platform::WaitResult;

// Waits for what loopback does at once; the limit only ends a broken test.
constexpr int kWaitMs = 30000;

struct Pair {
    TcpSocket listener, client, server;
};

Pair Connected() {
    Pair p;
    auto l = TcpSocket::Listen("127.0.0.1", 0, 8);
    EXPECT_TRUE(l) << l.error().Message();
    p.listener = std::move(l.value());
    uint16_t port = *p.listener.LocalPort();
    auto c = TcpSocket::Create();
    p.client = std::move(c.value());
    EXPECT_TRUE(p.client.SetNonBlocking(true));
    auto st = p.client.Connect("127.0.0.1", port);
    EXPECT_TRUE(st);
    if (*st == TcpSocket::ConnectState::kInProgress) {
        EXPECT_EQ(p.client.WaitWritable(kWaitMs), WaitResult::kReady);
    }
    EXPECT_TRUE(p.client.PendingError());
    EXPECT_TRUE(p.client.SetNonBlocking(false));
    auto s = p.listener.Accept();
    EXPECT_TRUE(s);
    p.server = std::move(s.value());
    return p;
}

TEST(Net, NonBlockingConnectThenExchange) {
    Pair p = Connected();
    EXPECT_EQ(p.server.PeerAddress().value_or(""), "127.0.0.1");
    auto lone = platform::TcpSocket::Create();
    ASSERT_TRUE(lone);
    auto nobody = lone->PeerAddress();  // not connected: the system's error
    ASSERT_FALSE(nobody);
    EXPECT_NE(nobody.error().code, 0u);
    ASSERT_TRUE(p.client.SendAll("ping", 4));
    EXPECT_EQ(p.server.WaitReadable(kWaitMs), WaitResult::kReady);
    char buf[8] = {};
    EXPECT_EQ(*p.server.Recv(buf, sizeof buf), 4u);
    EXPECT_STREQ(buf, "ping");
    EXPECT_EQ(p.server.WaitReadable(20), WaitResult::kTimeout);

    // The peer closing reads as 0 bytes.
    p.client.Close();
    EXPECT_EQ(p.server.WaitReadable(kWaitMs), WaitResult::kReady);
    EXPECT_EQ(*p.server.Recv(buf, sizeof buf), 0u);
}

TEST(Net, NonBlockingReceiveWouldBlock) {
    Pair p = Connected();
    ASSERT_TRUE(p.server.SetNonBlocking(true));
    char c;
    auto r = p.server.Recv(&c, 1);
    ASSERT_FALSE(r);
    EXPECT_TRUE(platform::IsWouldBlock(r.error()));
}

// A run of small receives gives what one large receive would: every byte, in
// order, up to what the socket holds, then the close.
TEST(Net, ReceivingInPiecesTakesWhatHasArrivedInOrder) {
    Pair p = Connected();
    std::string sent(3000, '\0');
    for (size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<char>('a' + i % 23);
    }
    ASSERT_TRUE(p.server.SetNonBlocking(true));
    std::vector<char> buf(8192, '#');
    auto none = p.server.RecvPieces(buf.data(), buf.size(), 500);
    ASSERT_FALSE(none);
    EXPECT_TRUE(platform::IsWouldBlock(none.error()));

    // One send of a few kilobytes reaches a loopback peer as one segment.
    ASSERT_TRUE(p.client.SendAll(sent.data(), sent.size()));
    ASSERT_EQ(p.server.WaitReadable(kWaitMs), WaitResult::kReady);
    auto got = p.server.RecvPieces(buf.data(), 4000, 500);
    ASSERT_TRUE(got) << got.error().Message();
    ASSERT_EQ(*got, sent.size());
    EXPECT_EQ(std::string(buf.data(), *got), sent);
    EXPECT_EQ(buf[*got], '#');

    // No more than asked for, and what is left comes with the next call,
    // before the close.
    ASSERT_TRUE(p.client.SendAll(sent.data(), 1234));
    p.client.Close();
    ASSERT_EQ(p.server.WaitReadable(kWaitMs), WaitResult::kReady);
    std::string rest;
    for (;;) {
        auto r = p.server.RecvPieces(buf.data(), 700, 300);
        if (!r && platform::IsWouldBlock(r.error())) {
            ASSERT_EQ(p.server.WaitReadable(kWaitMs), WaitResult::kReady);
            continue;
        }
        ASSERT_TRUE(r) << r.error().Message();
        ASSERT_LE(*r, 700u);
        if (*r == 0) {
            break;
        }
        rest.append(buf.data(), *r);
    }
    EXPECT_EQ(rest, sent.substr(0, 1234));
}

#ifndef _WIN32
// Bytes that came in after a short receive of the run sit one piece further
// on; they are moved up to close the gap.
TEST(Net, PiecesAfterAShortOneAreMovedUp) {
    std::string b = std::string(500, 'a') + std::string(200, 'b') + std::string(300, '-') +
                    std::string(500, 'c') + std::string(80, 'd') + std::string(420, '-') +
                    std::string(500, 'z');
    const size_t lengths[] = {500, 200, 500, 80, 0};
    size_t n =
        platform::posix::PackPieces(reinterpret_cast<unsigned char*>(&b[0]), lengths, 5, 500);
    ASSERT_EQ(n, 1280u);
    EXPECT_EQ(b.substr(0, n), std::string(500, 'a') + std::string(200, 'b') +
                                  std::string(500, 'c') + std::string(80, 'd'));
}
#endif

TEST(Net, RefusedConnectionIsReported) {
    // A bound socket that does not listen keeps the port to itself: nobody
    // can start listening there while the test runs.
    auto held = TcpSocket::Bind("127.0.0.1", 0);
    ASSERT_TRUE(held) << held.error().Message();
    const uint16_t port = *held->LocalPort();
    ASSERT_NE(port, 0u);
    EXPECT_FALSE(TcpSocket::Listen("127.0.0.1", port, 1));

    auto c = TcpSocket::Create();
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->SetNonBlocking(true));
    auto st = c->Connect("127.0.0.1", port);
    if (st && *st == TcpSocket::ConnectState::kInProgress) {
        WaitResult w = c->WaitWritable(kWaitMs);
        EXPECT_NE(w, WaitResult::kTimeout);
        EXPECT_FALSE(c->PendingError());
    } else {
        EXPECT_FALSE(st);
    }
    auto bad = TcpSocket::Create();
    EXPECT_FALSE(bad->Connect("not an address", 1));
}

TEST(Net, PollReportsTheReadySockets) {
    Pair a = Connected();
    Pair b = Connected();
    ASSERT_TRUE(b.client.SendAll("x", 1));
    std::vector<platform::PollItem> items(2);
    items[0].socket = &a.server;
    items[0].wantRead = true;
    items[1].socket = &b.server;
    items[1].wantRead = true;
    auto n = platform::Poll(items, kWaitMs);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, 1);
    EXPECT_FALSE(items[0].readable);
    EXPECT_TRUE(items[1].readable);
}

TEST(Net, NameResolution) {
    auto local = platform::ResolveIPv4("localhost");
    EXPECT_NE(std::find(local.begin(), local.end(), "127.0.0.1"), local.end());
    EXPECT_EQ(platform::ResolveIPv4("10.2.3.4"), std::vector<std::string>{"10.2.3.4"});
    EXPECT_TRUE(platform::ResolveIPv4("").empty());
    // A 64-character label cannot be put into a DNS query, so the resolver
    // refuses the name without asking any server.
    EXPECT_TRUE(platform::ResolveIPv4(std::string(64, 'a') + ".invalid").empty());
}

}  // namespace
