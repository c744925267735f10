// GSession over the real transport, against a plain loopback peer that reads
// and writes the framed packages.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/GSession.h"
#include "lumo/Log.h"
#include "tarnet/Framing.h"
#include "tarnet/StreamTransport.h"
#include "tarnet/Tarnet.h"
#include "tarnet/Util.h"
#include "testsupport/loopback.h"

namespace {

using GFC::GSession;
using testsupport::LoopbackPeer;
using testsupport::WaitUntil;

// A message of the given kind and total length; the body counts up.
std::vector<uint8_t> Msg(uint16_t kind, uint16_t length) {
    std::vector<uint8_t> m(length);
    for (size_t i = 0; i < m.size(); ++i) {
        m[i] = static_cast<uint8_t>(i);
    }
    if (length >= 4) {
        m[0] = static_cast<uint8_t>(kind);
        m[1] = static_cast<uint8_t>(kind >> 8);
        m[2] = static_cast<uint8_t>(length);
        m[3] = static_cast<uint8_t>(length >> 8);
    }
    return m;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

std::vector<uint8_t> Frame(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    Tarnet::AppendFrame(out, body.data(), static_cast<uint32_t>(body.size()));
    return out;
}

// Records every message; kind 0xDEAD makes the handler answer 0.
class RecordingSession : public GSession {
public:
    static constexpr uint16_t kStopKind = 0xDEAD;
    std::vector<std::vector<uint8_t>> seen;

    using GSession::ParsePackage;

protected:
    unsigned long OnNetMessage(void* msg) override {
        const uint8_t* p = static_cast<const uint8_t*>(msg);
        const unsigned long n = GSession::OnNetMessage(msg);
        // Touch every byte the header promises, so a walk that hands out a
        // message running past its package shows under AddressSanitizer.
        seen.emplace_back(p, p + n);
        if ((p[0] | (p[1] << 8)) == kStopKind) {
            return 0;
        }
        return n;
    }
};

// Each test uses transport names of its own, so order does not matter.
std::string UniqueName() {
    static int n = 0;
    return "session_test_" + std::to_string(++n);
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        session.Init(UniqueName().c_str());
        ASSERT_NE(session.GetTarnetInterface(), nullptr);
        session.Open("127.0.0.1", peer.port());
        ASSERT_TRUE(peer.Accept());
        ASSERT_TRUE(WaitUntil([&] { return session.IsValid(); }));
    }
    // The next framed package the peer reads, as its body.
    std::vector<uint8_t> PeerPackage() {
        std::vector<uint8_t> header = peer.Read(4);
        if (header.size() != 4) {
            return {0xBA, 0xD0};
        }
        return peer.Read(Tarnet::DecodeFrameHeader(header.data()));
    }
    // Receives until count messages were handled.
    void ReceiveMessages(int count) {
        int handled = 0;
        EXPECT_TRUE(WaitUntil([&] {
            handled += session.RecvAllMsg();
            return handled >= count;
        }));
        EXPECT_EQ(handled, count);
    }

    LoopbackPeer peer;
    RecordingSession session;
};

TEST(NetPlugin, MakesTheLibrarysNamedObjects) {
    GFC::GNetPlugin* plugin = GFC::GNetPlugin::Inst();
    EXPECT_TRUE(plugin->LoadDll("ignored.dll"));
    ASSERT_NE(plugin->GetTarnetUtil(), nullptr);
    EXPECT_EQ(Tarnet::GetInterface("gfc_util", 0), plugin->GetTarnetUtil());

    const std::string ping = UniqueName();
    EXPECT_STREQ(plugin->NewPing(ping.c_str()), ping.c_str());
    EXPECT_NE(Tarnet::GetInterfaceAs<Tarnet::CPing>(ping.c_str()), nullptr);
    // A name that holds a ping object gives no transport; a session on it
    // stays without one.
    EXPECT_EQ(plugin->NewST(ping.c_str()), nullptr);
    RecordingSession s;
    s.Init(ping.c_str());
    EXPECT_EQ(s.GetTarnetInterface(), nullptr);
    EXPECT_FALSE(s.IsValid());

    const std::string st = UniqueName();
    Tarnet::CStreamTransport* t = plugin->NewST(st.c_str());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(plugin->NewST(st.c_str()), t);  // the same name: the same transport
}

TEST(SessionWithoutTransport, IsNeverValidAndIgnoresNetworkCalls) {
    RecordingSession s;
    EXPECT_FALSE(s.IsValid());
    EXPECT_EQ(s.GetTarnetInterface(), nullptr);
    s.Open("127.0.0.1", 1);  // needs Init first: nothing happens
    EXPECT_EQ(s.GetAddress(), "");
    auto m = Msg(1, 8);
    s.AddNetMsg(m.data(), m.size());
    s.SendAllMsg();
    EXPECT_EQ(s.GetQueuedMsgNum(), 1);  // waits for a transport
    EXPECT_EQ(s.RecvAllMsg(), 0);
    EXPECT_EQ(s.GetTransportBuffer(), 0);
    s.Close();
}

TEST_F(Session, SendsOneQueuedMessagePerCallByDefault) {
    for (uint16_t kind = 1; kind <= 3; ++kind) {
        auto m = Msg(kind, 100);
        session.AddNetMsg(m.data(), m.size());
    }
    for (uint16_t kind = 1; kind <= 3; ++kind) {
        session.SendAllMsg();
        EXPECT_EQ(PeerPackage(), Msg(kind, 100));
    }
    session.SendAllMsg();  // the queue is empty: nothing goes out
    auto marker = Msg(9, 4);
    session.AddNetMsg(marker.data(), marker.size());
    session.SendAllMsg();
    EXPECT_EQ(PeerPackage(), marker);
    EXPECT_TRUE(WaitUntil([&] { return session.GetTransportBuffer() == 0; }));
}

TEST_F(Session, BatchesUpTo1023BytesAndDropsWhatDoesNotFit) {
    auto fits = Msg(1, 1023);
    auto tooBig = Msg(2, 1024);
    session.AddNetMsg(fits.data(), fits.size());
    session.AddNetMsg(tooBig.data(), tooBig.size());
    session.SendAllMsg();
    EXPECT_EQ(PeerPackage(), fits);
    session.SendAllMsg();  // the 1024-byte message is dropped; the send still happens
    EXPECT_EQ(PeerPackage(), std::vector<uint8_t>());
    EXPECT_EQ(session.GetQueuedMsgNum(), 0);

    // Several messages per call share one package until the batch is full.
    session.SetMsgsPerSend(8);
    auto a = Msg(3, 500), b = Msg(4, 500), c = Msg(5, 100);
    for (auto* m : {&a, &b, &c}) {
        session.AddNetMsg(m->data(), m->size());
    }
    session.SendAllMsg();
    EXPECT_EQ(PeerPackage(), Cat({a, b}));  // c would make 1100: dropped
    EXPECT_EQ(session.GetQueuedMsgNum(), 0);
}

TEST_F(Session, SplitsAPackageIntoItsMessages) {
    peer.Write(Frame(Cat({Msg(1, 6), Msg(2, 10)})));
    ReceiveMessages(2);
    ASSERT_EQ(session.seen.size(), 2u);
    EXPECT_EQ(session.seen[0], Msg(1, 6));
    EXPECT_EQ(session.seen[1], Msg(2, 10));
}

TEST_F(Session, HandlerAnsweringZeroEndsOnlyItsPackage) {
    peer.Write(Cat({Frame(Cat({Msg(1, 8), Msg(RecordingSession::kStopKind, 4), Msg(2, 8)})),
                    Frame(Cat({Msg(3, 5), Msg(4, 4)}))}));
    // 1 from the first package (the stop message is not counted), 2 from the second.
    ReceiveMessages(3);
    ASSERT_EQ(session.seen.size(), 4u);
    EXPECT_EQ(session.seen[1][0], 0xAD);
    EXPECT_EQ(session.seen[2], Msg(3, 5));
    EXPECT_EQ(session.seen[3], Msg(4, 4));
}

TEST_F(Session, InitAgainDisconnectsAndReusesTheTransport) {
    Tarnet::CStreamTransport* t = session.GetTarnetInterface();
    const int objects = Tarnet::ObjCount();
    session.Init("some other name");
    EXPECT_EQ(session.GetTarnetInterface(), t);
    EXPECT_EQ(Tarnet::ObjCount(), objects);  // no new transport was made
    EXPECT_EQ(session.GetAddress(), "");
    EXPECT_FALSE(session.IsValid());
    EXPECT_TRUE(peer.SeesClose());

    LoopbackPeer second;
    session.Open(0x0100007Ful, second.port());  // 127.0.0.1 as inet_addr gives it
    EXPECT_EQ(session.GetAddress(), "127.0.0.1");
    ASSERT_TRUE(second.Accept());
    EXPECT_TRUE(WaitUntil([&] { return session.IsValid(); }));
}

TEST_F(Session, CloseEndsTheConnectionAndPeerCloseMakesItInvalid) {
    session.Close();
    EXPECT_FALSE(session.IsValid());
    EXPECT_TRUE(peer.SeesClose());

    LoopbackPeer second;
    session.Init("ignored");
    session.Open("127.0.0.1", second.port());
    ASSERT_TRUE(second.Accept());
    ASSERT_TRUE(WaitUntil([&] { return session.IsValid(); }));
    second.Write(Frame(Msg(7, 4)));
    second.CloseConnection();
    EXPECT_TRUE(WaitUntil([&] { return !session.IsValid(); }));
    ReceiveMessages(1);  // what came before the close is still handled
}

// Damaged packages, parsed directly from buffers of their exact size.
class DamagedPackage : public ::testing::Test {
protected:
    int Parse(const std::vector<uint8_t>& bytes) {
        // A heap copy of exactly the package's size, so that any read past
        // it is caught by AddressSanitizer.
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.empty() ? 1 : bytes.size()]);
        if (!bytes.empty()) {
            std::memcpy(copy.get(), bytes.data(), bytes.size());
        }
        return session.ParsePackage(copy.get(), static_cast<unsigned long>(bytes.size()));
    }
    RecordingSession session;
};

TEST_F(DamagedPackage, LengthsBelowTheHeaderOrPastTheEndStopTheWalk) {
    Lumo::ClearLog();
    for (uint16_t badLength : {0, 1, 3}) {
        session.seen.clear();
        auto bad = Msg(2, 8);
        bad[2] = static_cast<uint8_t>(badLength);
        bad[3] = 0;
        EXPECT_EQ(Parse(Cat({Msg(1, 6), bad, Msg(3, 6)})), 1) << badLength;
        EXPECT_EQ(session.seen.size(), 1u);
    }
    session.seen.clear();
    auto runsPast = Msg(2, 8);
    runsPast[2] = 200;
    EXPECT_EQ(Parse(Cat({Msg(1, 6), runsPast})), 1);
    EXPECT_EQ(session.seen.size(), 1u);
    // A header cut off by the end of the package.
    EXPECT_EQ(Parse(Cat({Msg(1, 6), {4, 0, 10}})), 1);
    EXPECT_EQ(Parse({}), 0);
    EXPECT_NE(Lumo::GetLogText().find("Net package damaged"), std::string::npos);
}

TEST_F(DamagedPackage, ExactFitsAreWhole) {
    EXPECT_EQ(Parse(Msg(1, 4)), 1);
    EXPECT_EQ(Parse(Cat({Msg(1, 4), Msg(2, 0xFFFF)})), 2);
}

}  // namespace
