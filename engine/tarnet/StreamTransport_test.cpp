// The client transport against a plain TCP peer on loopback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/net.h"
#include "tarnet/Framing.h"
#include "tarnet/StreamTransport.h"
#include "testsupport/loopback.h"

namespace {

using Tarnet::CStreamTransport;
using testsupport::WaitUntil;

using Peer = testsupport::LoopbackPeer;

std::vector<uint8_t> Frame(const std::string& body) {
    std::vector<uint8_t> out;
    Tarnet::AppendFrame(out, body.data(), static_cast<uint32_t>(body.size()));
    return out;
}

// The next package, waiting for it.
std::string TakePackage(CStreamTransport& t) {
    unsigned char* p = nullptr;
    unsigned long size = 0;
    if (!WaitUntil([&] { return (p = t.Recv(size)) != nullptr; })) {
        return "<none>";
    }
    std::string body(reinterpret_cast<char*>(p), size);
    t.FreeRecved(p);
    return body;
}

bool Connect(CStreamTransport& t, Peer& peer) {
    if (!t.TryToConnect("127.0.0.1", peer.port()) || !peer.Accept()) {
        return false;
    }
    return WaitUntil([&] { return t.IsConnected() || t.IsBroken(); }) && t.IsConnected() &&
           !t.IsBroken();
}

TEST(StreamTransport, ExchangesFramedPackagesBothWays) {
    Peer peer;
    CStreamTransport t;
    EXPECT_FALSE(t.IsConnected());
    ASSERT_TRUE(Connect(t, peer));

    ASSERT_TRUE(t.Send("hello", 5));
    ASSERT_TRUE(t.Send("", 0));  // an empty package is still a package
    EXPECT_EQ(peer.Read(9 + 4),
              (std::vector<uint8_t>{5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o', 0, 0, 0, 0}));

    // Three packages in one write, the last one split over two writes.
    std::vector<uint8_t> bytes = Frame("one");
    for (auto& f : {Frame(""), Frame(std::string(2000, 'z'))}) {
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    peer.Write(std::vector<uint8_t>(bytes.begin(), bytes.end() - 700));
    EXPECT_EQ(TakePackage(t), "one");
    EXPECT_EQ(TakePackage(t), "");
    peer.Write(std::vector<uint8_t>(bytes.end() - 700, bytes.end()));
    EXPECT_EQ(TakePackage(t), std::string(2000, 'z'));
    unsigned long size = 99;
    EXPECT_EQ(t.Recv(size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(t.GetUnsendPackageNum(), 0);
}

TEST(StreamTransport, PackagesSentBeforeTheConnectionGoOutInOrderOnceItIsUp) {
    Peer peer;
    CStreamTransport t;
    ASSERT_TRUE(t.Send("a", 1));
    ASSERT_TRUE(t.Send("bc", 2));
    EXPECT_EQ(t.GetUnsendPackageNum(), 2);
    ASSERT_TRUE(Connect(t, peer));
    EXPECT_EQ(peer.Read(5 + 6), (std::vector<uint8_t>{1, 0, 0, 0, 'a', 2, 0, 0, 0, 'b', 'c'}));
    EXPECT_TRUE(WaitUntil([&] { return t.GetUnsendPackageNum() == 0; }));
}

TEST(StreamTransport, PeerThatStopsReadingBuildsABacklogThatDrainsInOrder) {
    Peer peer;
    CStreamTransport t;
    ASSERT_TRUE(Connect(t, peer));
    // Loopback buffers hold a few MiB at most; keep sending until packages
    // wait in the transport.
    const std::string body(Tarnet::kMaxPackageBytes, 'p');
    int sent = 0;
    while (t.GetUnsendPackageNum() < 3 && sent < 1000) {
        std::string b = body;
        b[0] = static_cast<char>(sent & 0x7F);
        ASSERT_TRUE(t.Send(b.data(), static_cast<unsigned long>(b.size())));
        ++sent;
    }
    ASSERT_GE(t.GetUnsendPackageNum(), 3) << "the socket never filled";
    const int marked = sent;
    // Beyond the bound, Send refuses instead of growing.
    while (t.Send(body.data(), static_cast<unsigned long>(body.size()))) {
        ++sent;
        ASSERT_LT(sent, 1000);
    }
    ASSERT_GT(t.GetUnsendPackageNum(), 0);
    // Everything accepted arrives, whole and in order.
    for (int i = 0; i < sent; ++i) {
        std::vector<uint8_t> got = peer.Read(4 + body.size());
        ASSERT_EQ(got.size(), 4 + body.size()) << "package " << i;
        ASSERT_EQ(Tarnet::DecodeFrameHeader(got.data()), body.size());
        ASSERT_EQ(got[4], i < marked ? static_cast<uint8_t>(i & 0x7F) : uint8_t('p')) << i;
    }
    EXPECT_TRUE(WaitUntil([&] { return t.GetUnsendPackageNum() == 0; }));
}

TEST(StreamTransport, PeerClosingBreaksTheConnectionAfterWhatItSent) {
    Peer peer;
    CStreamTransport t;
    ASSERT_TRUE(Connect(t, peer));
    peer.Write(Frame("last words"));
    peer.CloseConnection();
    ASSERT_TRUE(WaitUntil([&] { return t.IsBroken(); }));
    EXPECT_TRUE(t.IsConnected());  // it was up; broken tells it is no longer
    EXPECT_EQ(t.GetCloseReason(), "the server closed the connection");
    EXPECT_EQ(TakePackage(t), "last words");
    EXPECT_FALSE(t.Send("x", 1));

    // Disconnect clears both words; the object connects again.
    t.Disconnect();
    EXPECT_FALSE(t.IsConnected());
    EXPECT_FALSE(t.IsBroken());
    Peer second;
    ASSERT_TRUE(Connect(t, second));
    ASSERT_TRUE(t.Send("again", 5));
    EXPECT_EQ(second.Read(9).size(), 9u);
}

TEST(StreamTransport, OversizedFrameClosesTheConnectionInsteadOfAllocatingIt) {
    Peer peer;
    CStreamTransport t;
    ASSERT_TRUE(Connect(t, peer));
    std::vector<uint8_t> bytes = Frame("fine");
    const std::vector<uint8_t> claim = {0x00, 0x00, 0x00, 0x80};  // 2 GiB announced
    bytes.insert(bytes.end(), claim.begin(), claim.end());
    peer.Write(bytes);
    EXPECT_TRUE(peer.SeesClose());
    EXPECT_TRUE(WaitUntil([&] { return t.IsBroken(); }));
    EXPECT_NE(t.GetCloseReason().find("a package over"), std::string::npos) << t.GetCloseReason();
    EXPECT_EQ(TakePackage(t), "fine");
    unsigned long size = 0;
    EXPECT_EQ(t.Recv(size), nullptr);
}

TEST(StreamTransport, ConnectFailuresAreReportedThroughTheBrokenWord) {
    CStreamTransport t;
    EXPECT_FALSE(t.TryToConnect("127.0.0.1", 0));
    EXPECT_TRUE(t.IsBroken());
    EXPECT_FALSE(t.TryToConnect(nullptr, 80));
    EXPECT_TRUE(t.IsBroken());
    // A name that cannot resolve (".invalid" is reserved for that).
    EXPECT_TRUE(t.TryToConnect("no-such-host.invalid", 80));
    EXPECT_TRUE(WaitUntil([&] { return t.IsBroken(); }));
    EXPECT_FALSE(t.IsConnected());
    EXPECT_EQ(t.GetCloseReason(), "cannot resolve no-such-host.invalid");
    t.Init(0);
    EXPECT_FALSE(t.IsBroken());
    EXPECT_EQ(t.GetCloseReason(), "");
}

TEST(StreamTransport, WaitForPackageEndsWhenOneArrivesOrTheConnectionBreaks) {
    Peer peer;
    CStreamTransport t;
    ASSERT_TRUE(Connect(t, peer));
    EXPECT_FALSE(t.WaitForPackage(0));
    peer.Write(Frame("wake"));
    EXPECT_TRUE(t.WaitForPackage(testsupport::kWaitLimitMs));
    EXPECT_EQ(TakePackage(t), "wake");
    peer.CloseConnection();
    EXPECT_FALSE(t.WaitForPackage(testsupport::kWaitLimitMs));  // broken: nothing to wait for
    EXPECT_TRUE(t.IsBroken());
}

TEST(StreamTransport, RefusesPackagesOverTheBound) {
    Peer peer;
    CStreamTransport t;
    ASSERT_TRUE(Connect(t, peer));
    const std::string big(Tarnet::kMaxPackageBytes + 1, 'b');
    EXPECT_FALSE(t.Send(big.data(), static_cast<unsigned long>(big.size())));
    EXPECT_FALSE(t.Send(nullptr, 3));
    EXPECT_EQ(t.GetUnsendPackageNum(), 0);
}

TEST(StreamTransport, DisconnectWhileConnectingStopsPromptly) {
    Peer peer;  // listens but never accepts: the handshake still completes
    CStreamTransport t;
    t.SetConnectTimeout(60000);
    ASSERT_TRUE(t.TryToConnect("127.0.0.1", peer.port()));
    t.Disconnect();
    EXPECT_FALSE(t.IsConnected());
    EXPECT_FALSE(t.IsBroken());
}

}  // namespace
