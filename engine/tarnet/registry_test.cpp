#include <gtest/gtest.h>

#include <string>

#include "tarnet/StreamTransport.h"
#include "tarnet/Tarnet.h"
#include "tarnet/Util.h"
#include "testsupport/loopback.h"

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override { Tarnet::DestroyEngine(); }
    void TearDown() override { Tarnet::DestroyEngine(); }
};

TEST_F(Registry, ObjectsAreCreatedByClassAndFetchedByName) {
    const char* name = Tarnet::CloneObj("net0", "stream_transport");
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "net0");
    Tarnet::TObject* obj = Tarnet::GetInterface("net0", 0);
    ASSERT_NE(obj, nullptr);
    EXPECT_STREQ(obj->GetClassName(), "stream_transport");
    EXPECT_EQ(Tarnet::GetInterfaceAs<Tarnet::CStreamTransport>("net0"), obj);
    EXPECT_EQ(Tarnet::GetInterfaceAs<Tarnet::CPing>("net0"), nullptr);
    EXPECT_EQ(Tarnet::GetInterface("net0", 1), nullptr);  // only interface 0 exists
    EXPECT_EQ(Tarnet::GetInterface("other", 0), nullptr);

    ASSERT_NE(Tarnet::CloneObj("p", "ping"), nullptr);
    ASSERT_NE(Tarnet::CloneObj("u", "util"), nullptr);
    EXPECT_NE(Tarnet::GetInterfaceAs<Tarnet::CPing>("p"), nullptr);
    EXPECT_NE(Tarnet::GetInterfaceAs<Tarnet::IUtil>("u"), nullptr);
    EXPECT_EQ(Tarnet::ObjCount(), 3);
}

TEST_F(Registry, CloningANameTwiceKeepsTheFirstObject) {
    ASSERT_NE(Tarnet::CloneObj("net", "stream_transport"), nullptr);
    Tarnet::TObject* first = Tarnet::GetInterface("net", 0);
    EXPECT_STREQ(Tarnet::CloneObj("net", "stream_transport"), "net");
    EXPECT_EQ(Tarnet::GetInterface("net", 0), first);
    // Another class cannot take the name; the transport stays.
    EXPECT_EQ(Tarnet::CloneObj("net", "ping"), nullptr);
    EXPECT_EQ(Tarnet::GetInterface("net", 0), first);
    EXPECT_EQ(Tarnet::ObjCount(), 1);
}

TEST_F(Registry, RefusesUnknownClassesAndMissingNames) {
    EXPECT_EQ(Tarnet::CloneObj("x", "no_such_class"), nullptr);
    EXPECT_EQ(Tarnet::CloneObj("", "ping"), nullptr);
    EXPECT_EQ(Tarnet::CloneObj(nullptr, "ping"), nullptr);
    EXPECT_EQ(Tarnet::CloneObj("x", nullptr), nullptr);
    EXPECT_EQ(Tarnet::GetInterface(nullptr, 0), nullptr);
    EXPECT_EQ(Tarnet::ObjCount(), 0);
}

TEST_F(Registry, KillAndDestroyEngineDeleteObjectsAndTheNamesCanBeUsedAgain) {
    ASSERT_NE(Tarnet::CloneObj("a", "ping"), nullptr);
    ASSERT_NE(Tarnet::CloneObj("b", "util"), nullptr);
    EXPECT_TRUE(Tarnet::KillObj("a"));
    EXPECT_FALSE(Tarnet::KillObj("a"));
    EXPECT_EQ(Tarnet::GetInterface("a", 0), nullptr);
    EXPECT_NE(Tarnet::CloneObj("a", "util"), nullptr);  // free for another class now
    Tarnet::DestroyEngine();
    EXPECT_EQ(Tarnet::ObjCount(), 0);
    EXPECT_NE(Tarnet::CloneObj("b", "stream_transport"), nullptr);
}

TEST(Util, DottedAddressesBothWays) {
    unsigned long ip = 0;
    ASSERT_TRUE(Tarnet::IUtil::StringToIP("127.0.0.1", ip));
    EXPECT_EQ(ip, 0x0100007Ful);  // first octet in the lowest byte, as inet_addr
    EXPECT_EQ(Tarnet::IUtil::IPToString(ip), "127.0.0.1");
    EXPECT_EQ(Tarnet::IUtil::IPToString(0xFFFFFFFFul), "255.255.255.255");
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1..2.3", "a.b.c.d", "1.2.3.4 ", "0001.2.3.4"}) {
        EXPECT_FALSE(Tarnet::IUtil::StringToIP(bad, ip)) << bad;
    }
    Tarnet::CStreamTransport t;
    EXPECT_STREQ(t.IP2String(0x0101A8C0ul), "192.168.1.1");
}

TEST(Ping, MeasuresAConnectOrAnswersMinusOne) {
    testsupport::LoopbackPeer peer;
    Tarnet::CPing ping;
    EXPECT_GE(ping.Ping("127.0.0.1", peer.port(), testsupport::kWaitLimitMs), 0);
    EXPECT_EQ(ping.Ping("127.0.0.1", 0, 100), -1);
    EXPECT_EQ(ping.Ping(nullptr, 80, 100), -1);
    EXPECT_EQ(ping.Ping("no-such-host.invalid", 80, 100), -1);
}

}  // namespace
