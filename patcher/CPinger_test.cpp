#include "patcher/CPinger.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "PingSupport_test.h"
#include "testsupport/loopback.h"

namespace {

using pingtest::kAnswerTimeoutMs;

std::string Loopback(int n) {
    return "127.0.0." + std::to_string(n);
}

TEST(Pinger, LoopbackAddressesAnswerWithTimes) {
    PingWay way = pingtest::ExpectedWay();
    SKIP_WITHOUT_ECHO(way);
    CPinger pinger;
    ASSERT_TRUE(pinger.Init(kAnswerTimeoutMs, true));
    EXPECT_EQ(pinger.mode(), CPinger::Mode::kRaw);
    const std::vector<std::string> hosts = {"127.0.0.1", "127.0.0.2", "localhost"};
    std::vector<int> ids;
    for (const std::string& h : hosts) {
        ids.push_back(pinger.Ping(h));
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
    for (size_t i = 0; i < ids.size(); ++i) {
        int rtt = pinger.WaitForResult(ids[i]);
        EXPECT_GE(rtt, 0) << hosts[i];
        EXPECT_TRUE(pinger.HasResult(ids[i]));
        EXPECT_EQ(pinger.Result(ids[i]), rtt);
        EXPECT_EQ(pinger.Way(ids[i]), way) << hosts[i];
    }
}

TEST(Pinger, ManyPingsAtOnceEachTakeTheirOwnAnswer) {
    // Raw sockets of one process see each other's replies, all with the same
    // identifier: sequence and timestamp must keep them apart.
    PingWay way = pingtest::ExpectedWay();
    SKIP_WITHOUT_ECHO(way);
    CPinger pinger;
    ASSERT_TRUE(pinger.Init(kAnswerTimeoutMs, true));
    std::vector<int> ids;
    for (int n = 1; n <= 16; ++n) {
        ids.push_back(pinger.Ping(Loopback(n)));
    }
    for (int id : ids) {
        EXPECT_GE(pinger.WaitForResult(id), 0) << id;
    }
}

TEST(Pinger, ARequestLostOnTheWayWaitsOutTheTimeout) {
    PingWay way = pingtest::ExpectedWay();
    SKIP_WITHOUT_ECHO(way);
    CPinger pinger;
    pinger.SetDeliveryFilter([](const std::string& ip) { return ip != "127.0.0.3"; });
    ASSERT_TRUE(pinger.Init(200, true));
    int lost = pinger.Ping("127.0.0.3");
    int answered = pinger.Ping("127.0.0.2");
    EXPECT_EQ(pinger.WaitForResult(lost), kNoAnswer);
    EXPECT_EQ(pinger.Way(lost), way);  // it went out that way; nothing came back
    EXPECT_GE(pinger.WaitForResult(answered), 0);
}

TEST(Pinger, HostsThatCannotBeProbedRecordNoAnswer) {
    CPinger pinger;
    ASSERT_TRUE(pinger.Init(kAnswerTimeoutMs, true));
    // Longer than 39 characters: refused rather than cut to another name.
    const std::vector<std::string> hosts = {"", "nosuch.invalid", std::string(40, '1'),
                                            "127.0.0.1" + std::string(31, ' ')};
    for (const std::string& h : hosts) {
        int id = pinger.Ping(h);
        EXPECT_EQ(pinger.WaitForResult(id), kNoAnswer) << '"' << h << '"';
        EXPECT_EQ(pinger.Way(id), PingWay::kNone) << '"' << h << '"';
    }
}

TEST(Pinger, IdsCountOnOverInitWhichForgetsEarlierResults) {
    CPinger pinger;
    EXPECT_EQ(pinger.WaitForResult(1), kNoAnswer);  // never handed out: no wait
    ASSERT_TRUE(pinger.Init(kAnswerTimeoutMs, true));
    int first = pinger.Ping("");
    EXPECT_EQ(first, 1);
    pinger.WaitForResult(first);
    EXPECT_TRUE(pinger.HasResult(first));

    ASSERT_TRUE(pinger.Init(kAnswerTimeoutMs, true));
    EXPECT_FALSE(pinger.HasResult(first));
    EXPECT_EQ(pinger.Result(first), kNoAnswer);
    EXPECT_EQ(pinger.WaitForResult(first), kNoAnswer);
    EXPECT_EQ(pinger.Ping(""), 2);
}

TEST(Pinger, StopEndsPingsThatAreStillWaiting) {
    CPinger pinger;
    pinger.SetDeliveryFilter([](const std::string&) { return false; });
    // Far longer than any test may take: only the cancel flag ends the wait.
    ASSERT_TRUE(pinger.Init(600000, true));
    int id = pinger.Ping("127.0.0.1");
    pinger.Stop();
    EXPECT_TRUE(pinger.HasResult(id));
    EXPECT_EQ(pinger.Result(id), kNoAnswer);
    EXPECT_EQ(pinger.mode(), CPinger::Mode::kNone);
}

// A name that takes long to resolve holds neither the list (its wait for
// the result has a limit) nor the end of the pinger: Stop leaves the thread
// to finish by itself, and what it records goes into state it shares, not
// into the pinger that is gone.
TEST(Pinger, ANameThatTakesLongToResolveHoldsNeitherTheWaitNorTheStop) {
    struct Slow {
        std::mutex mu;
        std::condition_variable cv;
        bool release = false;
        std::atomic<bool> resolving{false};
        std::atomic<bool> returned{false};
    };
    auto slow = std::make_shared<Slow>();
    std::atomic<bool> stopped{false};
    // Only a guard against a Stop that waits for the name: it releases the
    // resolver after the tests' wait limit.
    std::thread guard([&] {
        testsupport::WaitUntil([&] { return stopped.load(); });
        std::lock_guard<std::mutex> lock(slow->mu);
        slow->release = true;
        slow->cv.notify_all();
    });
    {
        CPinger pinger;
        pinger.SetResolver([slow](const std::string&) {
            slow->resolving = true;
            std::unique_lock<std::mutex> lock(slow->mu);
            slow->cv.wait(lock, [&] { return slow->release; });
            slow->returned = true;
            return std::vector<std::string>{"127.0.0.1"};
        });
        ASSERT_TRUE(pinger.Init(500, true));
        int id = pinger.Ping("slow.name.test");
        ASSERT_TRUE(testsupport::WaitUntil([&] { return slow->resolving.load(); }));
        EXPECT_EQ(pinger.WaitForResult(id, 50), kNoAnswer);
        pinger.Stop();
        EXPECT_FALSE(slow->returned.load()) << "Stop waited for the name";
        stopped = true;
    }
    guard.join();
    // The thread ends by itself once the name is there; it held the only
    // other copy of the resolver.
    EXPECT_TRUE(testsupport::WaitUntil([&] { return slow.use_count() == 1; }));
    EXPECT_TRUE(slow->returned.load());
}

TEST(Pinger, RefusedRawSocketsFallBackOrRecordNoAnswer) {
    auto refusing = std::make_shared<pingtest::RawRefusingEnv>();
    PingWay way = pingtest::ExpectedWay(true);
    CPinger pinger(refusing);
    ASSERT_TRUE(pinger.Init(kAnswerTimeoutMs, true));
    int id = pinger.Ping("127.0.0.1");
    int rtt = pinger.WaitForResult(id);
    EXPECT_EQ(refusing->rawAsked.load(), 1);
    EXPECT_EQ(pinger.Way(id), way);
    EXPECT_NE(way, PingWay::kRawSocket);
    if (way == PingWay::kNone) {
        // Nothing to fall back to: the row will read ">500 ms".
        std::cout << "no fallback here (" << pingtest::WhyNoWay() << "); checked no answer\n";
        EXPECT_EQ(rtt, kNoAnswer);
    } else {
        std::cout << "raw sockets refused; fell back to " << PingWayName(way) << "\n";
        EXPECT_GE(rtt, 0);
    }
}

TEST(Pinger, LibraryModeUsesTheHelperOrFailsInit) {
    CPinger pinger;
    bool haveHelper = static_cast<bool>(platform::IcmpHelper::Load());
    bool ok = pinger.Init(kAnswerTimeoutMs, false);
    EXPECT_EQ(ok, haveHelper);
    int id = pinger.Ping("127.0.0.1");
    int rtt = pinger.WaitForResult(id);
    if (!haveHelper) {
        std::cout << "no ICMP helper library on this system; checked Init's failure\n";
        EXPECT_EQ(pinger.mode(), CPinger::Mode::kNone);
        EXPECT_EQ(rtt, kNoAnswer);
        return;
    }
    EXPECT_EQ(pinger.mode(), CPinger::Mode::kLibrary);
    EXPECT_EQ(pinger.Way(id), PingWay::kHelperLibrary);
    if (rtt == kNoAnswer && pingtest::AvailableWay(false) != PingWay::kRawSocket) {
        // The helper sends through the same system that refuses raw sockets
        // (under Wine: the host's), so it cannot be expected to answer.
        GTEST_SKIP() << "the ICMP helper library got no answer, and raw sockets are refused "
                        "here as well";
    }
    EXPECT_GE(rtt, 0);
}

}  // namespace
