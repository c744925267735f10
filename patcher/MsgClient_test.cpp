#include "patcher/MsgClient.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "patcher/VersionCheck.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/wait.h"

namespace {

using platform::TcpSocket;
using platform::WaitResult;
using Bytes = std::vector<uint8_t>;

// The longest the client takes to give up a connect attempt on its own.
constexpr uint32_t kConnectBudgetMs =
    kConnectSettleMs + kConnectWaits * (kConnectWaitMs + kConnectRetrySleepMs);
// Waits for the client cover its own budget and what a loaded machine, a
// sanitizer or Wine may add to any step.
constexpr uint32_t kWaitMs = kConnectBudgetMs + testsupport::kWaitLimitMs;

// A listening socket on loopback and the server side of one accepted client.
struct Peer {
    TcpSocket listener;
    TcpSocket conn;
    uint16_t port = 0;

    Peer() {
        auto l = TcpSocket::Listen("127.0.0.1", 0, 4);
        EXPECT_TRUE(l);
        listener = std::move(l.value());
        port = *listener.LocalPort();
    }
    void Accept() {
        ASSERT_EQ(listener.WaitReadable(kWaitMs), WaitResult::kReady);
        auto c = listener.Accept();
        ASSERT_TRUE(c);
        conn = std::move(c.value());
    }
    void Write(const Bytes& bytes) { ASSERT_TRUE(conn.SendAll(bytes.data(), bytes.size())); }
    Bytes Read(size_t n) {
        Bytes out(n);
        size_t got = 0;
        while (got < n) {
            if (conn.WaitReadable(kWaitMs) != WaitResult::kReady) {
                break;
            }
            auto r = conn.Recv(out.data() + got, n - got);
            if (!r || *r == 0) {
                break;
            }
            got += *r;
        }
        out.resize(got);
        return out;
    }
};

void ConnectTo(CMsgClient& client, Peer& peer) {
    ASSERT_TRUE(client.Start());
    client.Connect("127.0.0.1", peer.port);
    peer.Accept();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !client.IsConnecting(); }, kWaitMs));
    ASSERT_TRUE(client.IsConnected());
}

std::unique_ptr<MsgBuffer> NextFrame(CMsgClient& client) {
    std::unique_ptr<MsgBuffer> f;
    testsupport::WaitUntil([&] { return (f = client.Receive()) != nullptr; }, kWaitMs);
    return f;
}

TEST(MsgClient, FramesBothWays) {
    CMsgClient client;
    Peer peer;
    ConnectTo(client, peer);

    ASSERT_TRUE(client.Send("\x01\x02\x03", 3));
    ASSERT_TRUE(client.Send("", 0));
    EXPECT_EQ(peer.Read(11), (Bytes{3, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0}));

    // Frames arrive whole whatever the pieces they travel in: an empty body,
    // a full one, and one sent a byte at a time.
    Bytes full(kMaxFrameBody);
    for (size_t i = 0; i < full.size(); ++i) {
        full[i] = static_cast<uint8_t>(i * 7);
    }
    peer.Write(MakeFrame({}));
    peer.Write(MakeFrame(full));
    Bytes slow = MakeFrame({0xAA, 0xBB, 0xCC});
    for (uint8_t b : slow) {
        peer.Write({b});
        platform::SleepMs(2);
    }

    auto f1 = NextFrame(client);
    ASSERT_TRUE(f1);
    EXPECT_EQ(f1->bodySize(), 0u);
    auto f2 = NextFrame(client);
    ASSERT_TRUE(f2);
    EXPECT_EQ(Bytes(f2->body(), f2->body() + f2->bodySize()), full);
    auto f3 = NextFrame(client);
    ASSERT_TRUE(f3);
    EXPECT_EQ(Bytes(f3->body(), f3->body() + f3->bodySize()), (Bytes{0xAA, 0xBB, 0xCC}));
    client.Release(std::move(f1));
    client.Release(std::move(f2));
    client.Release(std::move(f3));
    EXPECT_FALSE(client.Receive());
    EXPECT_FALSE(client.HasError());
}

TEST(MsgClient, RefusesABodyThatNoBufferHolds) {
    CMsgClient client;
    Peer peer;
    ConnectTo(client, peer);
    Bytes big(kMaxFrameBody + 1, 0x55);
    EXPECT_FALSE(client.Send(big.data(), big.size()));
    ASSERT_TRUE(client.Send(big.data(), kMaxFrameBody));
    Bytes got = peer.Read(kFrameLengthSize + kMaxFrameBody);
    ASSERT_EQ(got.size(), kFrameLengthSize + kMaxFrameBody);
    EXPECT_EQ(GetU32(got.data()), kMaxFrameBody);
    // Nothing of the refused frame followed.
    EXPECT_EQ(peer.conn.WaitReadable(100), WaitResult::kTimeout);
}

TEST(MsgClient, OversizedFrameEndsTheConnectionButKeepsWhatCameBefore) {
    CMsgClient client;
    Peer peer;
    ConnectTo(client, peer);
    peer.Write(MakeFrame({1, 2, 3, 4}));
    Bytes hostile{0xF1, 0x01, 0, 0};  // 497 bytes promised
    hostile.resize(hostile.size() + 600, 0xEE);
    peer.Write(hostile);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !client.IsConnected(); }, kWaitMs));
    EXPECT_TRUE(client.HasError());
    auto f = client.Receive();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->bodySize(), 4u);
    EXPECT_FALSE(client.Receive());

    Bytes huge{0xFF, 0xFF, 0xFF, 0xFF};
    CMsgClient client2;
    Peer peer2;
    ConnectTo(client2, peer2);
    peer2.Write(huge);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !client2.IsConnected(); }, kWaitMs));
    EXPECT_FALSE(client2.Receive());
}

TEST(MsgClient, FramesBeforeThePeerClosedAreStillHandedOut) {
    CMsgClient client;
    Peer peer;
    ConnectTo(client, peer);
    peer.Write(MakeFrame({7}));
    peer.Write(MakeFrame({8}));
    peer.conn.Close();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !client.IsConnected(); }, kWaitMs));
    EXPECT_FALSE(client.HasError());
    auto a = client.Receive();
    auto b = client.Receive();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->body()[0], 7);
    EXPECT_EQ(b->body()[0], 8);
}

TEST(MsgClient, AFloodIsHeldBackNotDropped) {
    CMsgClient client;
    Peer peer;
    ConnectTo(client, peer);
    const uint32_t total = static_cast<uint32_t>(kMaxIncomingFrames) + 500;
    Bytes all;
    for (uint32_t i = 0; i < total; ++i) {
        Bytes body;
        PutU32(body, i);
        Bytes frame = MakeFrame(body);
        all.insert(all.end(), frame.begin(), frame.end());
    }
    peer.Write(all);
    // The receiver stops at the cap, with the rest still unread on the
    // socket, and the connection stays up.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return client.IsHoldingBack(); }, kWaitMs));
    EXPECT_EQ(client.IncomingCount(), kMaxIncomingFrames);
    EXPECT_TRUE(client.IsConnected());
    uint32_t next = 0;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            while (auto f = client.Receive()) {
                EXPECT_EQ(GetU32(f->body()), next);
                ++next;
                client.Release(std::move(f));
            }
            EXPECT_LE(client.IncomingCount(), kMaxIncomingFrames);
            return next == total;
        },
        kWaitMs));
    EXPECT_FALSE(client.IsHoldingBack());
}

TEST(MsgClient, AddressesThatAreNotConnectedTo) {
    platform::ScriptedMessageBoxes boxes;
    CMsgClient client;
    ASSERT_TRUE(client.Start());
    // Longer than 16 characters: no connect attempt at all.
    client.Connect("127.000.000.00001", 80);
    EXPECT_FALSE(client.IsConnecting());
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.address(), "");

    // Not a dotted address: no name lookup.
    client.Connect("localhost", 80);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !client.IsConnecting(); }, kWaitMs));
    EXPECT_FALSE(client.IsConnected());

    // Nobody listens: refused, not "connected". The bound socket keeps the
    // port from anyone else meanwhile.
    auto held = TcpSocket::Bind("127.0.0.1", 0);
    ASSERT_TRUE(held);
    const uint16_t port = *held->LocalPort();
    client.Connect("127.0.0.1", port);
    EXPECT_EQ(client.address(), "127.0.0.1");
    EXPECT_EQ(client.port(), port);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !client.IsConnecting(); }, kWaitMs));
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(boxes.count(), 0u);
}

TEST(MsgClient, CloseShutsDownSendingAndEndsWhenThePeerCloses) {
    // A drain long enough that no slow machine could pass it off as short:
    // Close must end because the peer closed, not because the drain ran out.
    MsgClientOptions options;
    options.drainPolls = static_cast<int>(4 * kWaitMs / kDrainWaitMs);
    const uint64_t fullDrainMs = uint64_t(options.drainPolls) * kDrainWaitMs;
    CMsgClient client(options);
    Peer peer;
    ConnectTo(client, peer);
    ASSERT_TRUE(client.Send("\x05", 1));
    EXPECT_EQ(peer.Read(5).size(), 5u);
    uint64_t start = platform::TickCount64();
    std::thread closer([&] {
        EXPECT_EQ(peer.Read(1).size(), 0u);  // end of stream: the shutdown
        peer.conn.Close();
    });
    client.Close();
    closer.join();
    EXPECT_LT(platform::TickCount64() - start, fullDrainMs / 2);
    EXPECT_FALSE(client.IsConnected());
    // A closed client can connect again.
    Peer again;
    ConnectTo(client, again);
    ASSERT_TRUE(client.Send("\x06", 1));
    EXPECT_EQ(again.Read(5), (Bytes{1, 0, 0, 0, 6}));
}

// Once the whole reply is in, the client does not wait for a peer that keeps
// the connection open (a version server waiting for the next request): the
// update must not pause for the drain after every check.
TEST(MsgClient, CloseAfterTheWholeReplyDoesNotWaitForThePeer) {
    MsgClientOptions options;
    options.drainPolls = static_cast<int>(4 * kWaitMs / kDrainWaitMs);
    const uint64_t fullDrainMs = uint64_t(options.drainPolls) * kDrainWaitMs;
    CMsgClient client(options);
    Peer peer;
    ConnectTo(client, peer);
    peer.Write({1, 0, 0, 0, 9});
    std::unique_ptr<MsgBuffer> reply = NextFrame(client);
    ASSERT_TRUE(reply);
    client.Release(std::move(reply));
    uint64_t start = platform::TickCount64();
    client.Close(CMsgClient::CloseMode::kReplyTaken);
    EXPECT_LT(platform::TickCount64() - start, fullDrainMs / 2);
    EXPECT_FALSE(client.IsConnected());
    // The peer, which never closed, sees the connection end.
    EXPECT_EQ(peer.Read(1).size(), 0u);
}

// Texts of the boxes as the program writes them, whatever Language.txt the
// test's folder may hold; the process's lookup comes back at the end.
struct DefaultTexts {
    DefaultTexts() {
        SetVersionCheckTextLookup([](const char* key) { return key; });
    }
    ~DefaultTexts() { SetVersionCheckTextLookup(nullptr); }
};

TEST(MsgClient, ASocketThatCannotBeMadeEndsTheConnectAtItsBox) {
    DefaultTexts texts;
    platform::ScriptedMessageBoxes boxes;
    bool refuse = true;
    int made = 0;
    MsgClientOptions options;
    options.createSocket = [&]() -> platform::Result<TcpSocket> {
        ++made;
        if (refuse) {
            return platform::Error{1};
        }
        return TcpSocket::Create();
    };
    CMsgClient client(options);
    ASSERT_TRUE(client.Start());
    Peer peer;
    client.Connect("127.0.0.1", peer.port);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.asked()[0].text, GBK("创建socket失败"));
    EXPECT_EQ(boxes.asked()[0].type, platform::kMbOk);
    // No connect thread was started and no address taken on.
    EXPECT_FALSE(client.IsConnecting());
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.address(), "");
    EXPECT_EQ(made, 1);

    // The next Connect with a socket to be had works as usual.
    refuse = false;
    ConnectTo(client, peer);
    EXPECT_EQ(client.address(), "127.0.0.1");
    EXPECT_EQ(boxes.count(), 1u);
}

}  // namespace
