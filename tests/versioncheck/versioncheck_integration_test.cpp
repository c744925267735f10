// The patcher's version check against real servers on loopback: versiond for
// every result code, a server that never answers, an address that refuses
// and one the client does not even try.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "cpk/Md5.h"
#include "patcher/VersionCheck.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/wait.h"
#include "version_servers.h"

namespace {

std::string Md5HexOf(const std::string& bytes) {
    uint8_t d[16];
    Md5OfBuffer(bytes.data(), bytes.size(), d);
    return Md5Hex(d);
}

using testsupport::LoopbackVersionServer;

// Three releases: 100 -> 103 in three patches, 101 -> 103 in one, 102 has
// a broken path, anything else has none.
std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> files;
    files["v100\\p101.cpk"] = "patch one";
    files["v101\\p102.cpk"] = std::string(5000, 'x');
    files["v102\\p103.cpk"] = "";
    for (int i = 0; i < 30; ++i) {
        files["bulk\\" + std::string(60, 'b') + std::to_string(i) + ".cpk"] = std::to_string(i);
    }
    return files;
}

std::string Manifest() {
    std::string bulk;
    for (int i = 0; i < 30; ++i) {
        bulk += " bulk\\" + std::string(60, 'b') + std::to_string(i) + ".cpk";
    }
    return "# test releases\n"
           "latest 103\n"
           "mirror 2 10.1.2.3\n"
           "mirror * 127.0.0.1\r\n"
           "path 100 v100\\p101.cpk v101\\p102.cpk v102\\p103.cpk\n"
           "path 101 v102\\p103.cpk\n"
           "path 102\n"
           "path 50" +
           bulk + "\n";
}

// What a loaded machine, a sanitizer or Wine may add to any step.
constexpr uint32_t kMarginMs = testsupport::kWaitLimitMs;

// The patcher's own loop, with room for a slow machine on top of its ten
// seconds; it ends as soon as the reply is complete.
VersionCheckOptions Patient() {
    VersionCheckOptions t;
    t.replyPolls = kReplyPolls + static_cast<int>(kMarginMs / kReplyPollPeriodMs);
    return t;
}

VersionCheckRequest Request(uint16_t port, int32_t version, int32_t line,
                            const std::string& address = "127.0.0.1") {
    VersionCheckRequest request;
    request.address = address;
    request.port = port;
    request.installedVersion = version;
    request.lineType = line;
    return request;
}

VersionCheckResult Check(uint16_t port, int32_t version, int32_t line, PatchFileList& list,
                         const std::string& address = "127.0.0.1") {
    list.Clear();
    return RunVersionCheck(Request(port, version, line, address), list, Patient());
}

// The check's clock, run by the test: it counts the pauses of the reply
// loop and of the connect wait (told apart by their lengths, which differ),
// and lets a hook decide when the next one ends.
struct PollClock {
    static constexpr uint32_t kReplyMs = 10;
    static constexpr uint32_t kConnectMs = 7;
    int replyPolls = 0;
    int connectPolls = 0;
    std::function<void()> onReplyPoll;

    VersionCheckOptions Options(int polls) {
        VersionCheckOptions t;
        t.replyPolls = polls;
        t.replyPollPeriodMs = kReplyMs;
        t.connectPollPeriodMs = kConnectMs;
        t.sleep = [this](uint32_t ms) {
            if (ms == kReplyMs) {
                ++replyPolls;
                if (onReplyPoll) {
                    onReplyPoll();
                }
            } else {
                ++connectPolls;
                platform::SleepMs(ms);
            }
        };
        return t;
    }
};

class VersionCheckAgainstVersiond : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.ok()) << server_.error(); }
    LoopbackVersionServer server_{Manifest(), Files()};
    PatchFileList list_;
};

TEST_F(VersionCheckAgainstVersiond, CurrentVersion) {
    VersionCheckResult r = Check(server_.port(), 103, 0, list_);
    ASSERT_EQ(r.status, VersionCheckStatus::kReplied);
    EXPECT_EQ(r.reply.code, kVersionCurrent);
    EXPECT_EQ(r.reply.targetVersion, 103);
    EXPECT_EQ(list_.Count(), 0u);
    EXPECT_FALSE(VersionCheckFailure(r));
}

TEST_F(VersionCheckAgainstVersiond, FilesToDownload) {
    VersionCheckResult r = Check(server_.port(), 100, 0, list_);
    ASSERT_EQ(r.status, VersionCheckStatus::kReplied);
    EXPECT_EQ(r.reply.code, kVersionFilesFollow);
    EXPECT_EQ(r.reply.targetVersion, 103);
    EXPECT_EQ(r.reply.DownloadAddress(), "127.0.0.1");
    ASSERT_EQ(list_.Count(), 3u);
    auto files = Files();
    const char* paths[] = {"v100\\p101.cpk", "v101\\p102.cpk", "v102\\p103.cpk"};
    for (size_t i = 0; i < 3; ++i) {
        PatchFileEntry e = list_.At(i);
        SplitPath split = SplitPatchPath(paths[i]);
        EXPECT_EQ(e.directory, split.directory);
        EXPECT_EQ(e.fileName, split.fileName);
        EXPECT_EQ(e.localPath, "download\\" + split.fileName);
        const std::string& data = files[paths[i]];
        EXPECT_EQ(e.md5Text, Md5HexOf(data)) << paths[i];
    }

    // The line type picks the mirror.
    r = Check(server_.port(), 101, 2, list_);
    ASSERT_EQ(r.status, VersionCheckStatus::kReplied);
    EXPECT_EQ(r.reply.DownloadAddress(), "10.1.2.3");
    ASSERT_EQ(list_.Count(), 1u);
    EXPECT_EQ(list_.At(0).fileName, "p103.cpk");
    EXPECT_EQ(list_.At(0).md5Text, "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_F(VersionCheckAgainstVersiond, ListSpreadOverSeveralMessages) {
    VersionCheckResult r = Check(server_.port(), 50, 7, list_);
    ASSERT_EQ(r.status, VersionCheckStatus::kReplied);
    EXPECT_EQ(r.reply.code, kVersionFilesFollow);
    EXPECT_EQ(r.reply.expected, 30u);
    ASSERT_EQ(list_.Count(), 30u);
    for (size_t i = 0; i < 30; ++i) {
        EXPECT_EQ(list_.At(i).fileName, std::string(60, 'b') + std::to_string(i) + ".cpk");
        EXPECT_EQ(list_.At(i).directory, "bulk");
    }
    // 30 entries of about 100 bytes need at least 7 bodies of 496 bytes.
    auto items = std::vector<FileListItem>(
        30, {"bulk\\" + std::string(62, 'b') + ".cpk", std::string(32, '0')});
    EXPECT_GE(EncodeFileList(items)->size(), 7u);
}

TEST_F(VersionCheckAgainstVersiond, WrongVersionAndBrokenPath) {
    platform::ScriptedMessageBoxes boxes;
    VersionCheckResult r = Check(server_.port(), 7, 0, list_);
    ASSERT_EQ(r.status, VersionCheckStatus::kReplied);
    EXPECT_EQ(r.reply.code, kVersionNoPath);
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("版本号不正确或者服务器未找到升级路径."));

    r = Check(server_.port(), 102, 0, list_);
    ASSERT_EQ(r.status, VersionCheckStatus::kReplied);
    EXPECT_EQ(r.reply.code, kVersionEmptyPath);
    EXPECT_EQ(list_.Count(), 0u);
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("错误的升级路径,没有可下载文件."));
    EXPECT_EQ(VersionCheckFailure(r)->caption, GBK("提示"));
    EXPECT_EQ(boxes.count(), 0u);  // nothing went wrong on the way

    // One log line per request, with what was answered.
    auto log = server_.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("version=7 line=0 -> code=2"), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("version=102 line=0 -> code=3"), std::string::npos) << log[1];
}

// A server that answers "current" and then keeps the connection open for the
// next request, as long-lived servers do, until the test lets it go.
class KeepOpenServer {
public:
    KeepOpenServer() {
        auto l = platform::TcpSocket::Listen("127.0.0.1", 0, 4);
        EXPECT_TRUE(l);
        listener_ = std::move(l.value());
        port_ = *listener_.LocalPort();
        thread_ = std::thread([this] { Serve(); });
    }
    ~KeepOpenServer() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            release_ = true;
        }
        released_.notify_all();
        thread_.join();
    }
    uint16_t port() const { return port_; }
    // The client ended the connection while the server still held it open.
    bool clientEnded() const { return clientEnded_; }

private:
    void Serve() {
        if (listener_.WaitReadable(static_cast<int>(kMarginMs)) != platform::WaitResult::kReady) {
            return;
        }
        auto c = listener_.Accept();
        if (!c) {
            return;
        }
        uint8_t request[kFrameLengthSize + kVersionRequestSize];
        size_t got = 0;
        while (got < sizeof request && !release_) {
            if (c->WaitReadable(50) != platform::WaitResult::kReady) {
                continue;
            }
            auto r = c->Recv(request + got, sizeof request - got);
            if (!r || *r == 0) {
                return;
            }
            got += *r;
        }
        std::vector<uint8_t> frame = MakeFrame(EncodeVersionResult({103, 0, kVersionCurrent}));
        if (!c->SendAll(frame.data(), frame.size())) {
            return;
        }
        while (!release_) {
            if (c->WaitReadable(50) != platform::WaitResult::kReady) {
                continue;
            }
            uint8_t byte;
            auto r = c->Recv(&byte, 1);
            if (!r || *r == 0) {
                clientEnded_ = true;
                break;
            }
        }
        // Still open on our side until the test lets go.
        std::unique_lock<std::mutex> lock(mu_);
        released_.wait(lock, [this] { return release_.load(); });
    }

    platform::TcpSocket listener_;
    uint16_t port_ = 0;
    std::mutex mu_;
    std::condition_variable released_;
    std::atomic<bool> release_{false};
    std::atomic<bool> clientEnded_{false};
    std::thread thread_;
};

// The check ends with the whole reply: it does not wait for a server that
// keeps the connection open, however long the client would drain.
TEST(VersionCheck, AWholeReplyEndsTheCheckWithoutWaitingForTheServerToClose) {
    KeepOpenServer server;
    VersionCheckOptions options = Patient();
    options.client.drainPolls = static_cast<int>(4 * kMarginMs / kDrainWaitMs);
    const uint64_t fullDrainMs = uint64_t(options.client.drainPolls) * kDrainWaitMs;
    PatchFileList list;
    uint64_t start = platform::TickCount64();
    VersionCheckResult r = RunVersionCheck(Request(server.port(), 103, 0), list, options);
    EXPECT_LT(platform::TickCount64() - start, fullDrainMs / 2);
    EXPECT_EQ(r.status, VersionCheckStatus::kReplied);
    EXPECT_EQ(r.reply.code, kVersionCurrent);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return server.clientEnded(); }));
}

TEST(VersionCheck, ServerThatNeverAnswersTimesOut) {
    testsupport::SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    PatchFileList list;
    // Time moves on only once the server holds the whole request, so the
    // reply really had every poll to come in.
    PollClock clock;
    clock.onReplyPoll = [&] {
        EXPECT_TRUE(testsupport::WaitUntil(
            [&] { return silent.bytesRead() == kFrameLengthSize + kVersionRequestSize; }));
    };
    VersionCheckResult r =
        RunVersionCheck(Request(silent.port(), 100, 0), list, clock.Options(kReplyPolls));
    EXPECT_EQ(r.status, VersionCheckStatus::kNoReply);
    EXPECT_FALSE(r.reply.done);
    EXPECT_EQ(clock.replyPolls, kReplyPolls);  // the polls all ran
    EXPECT_EQ(silent.accepted(), 1u);
    EXPECT_EQ(silent.bytesRead(), kFrameLengthSize + kVersionRequestSize);
    ASSERT_TRUE(VersionCheckFailure(r));
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("超过时限无应答"));
    EXPECT_EQ(VersionCheckFailure(r)->caption, GBK("提示"));
}

TEST(VersionCheck, StoppingTheUpdateEndsTheWaitForAReply) {
    testsupport::SilentServer silent;
    PatchFileList list;
    std::atomic<bool> stop{false};
    constexpr int kPollsBeforeStop = 5;
    PollClock clock;
    clock.onReplyPoll = [&] {
        if (clock.replyPolls == kPollsBeforeStop) {
            stop = true;
        }
    };
    VersionCheckOptions options = clock.Options(kReplyPolls);
    options.stop = &stop;
    VersionCheckResult r = RunVersionCheck(Request(silent.port(), 100, 0), list, options);
    EXPECT_EQ(r.status, VersionCheckStatus::kStopped);
    EXPECT_FALSE(VersionCheckFailure(r));
    // Not one poll after the stop.
    EXPECT_EQ(clock.replyPolls, kPollsBeforeStop);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return silent.accepted() == 1u; }));
}

TEST(VersionCheck, AddressThatRefuses) {
    testsupport::RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    PatchFileList list;
    VersionCheckResult r = Check(refusing.port(), 100, 0, list);
    EXPECT_EQ(r.status, VersionCheckStatus::kNotConnected);
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("无法连接服务器"));
}

TEST(VersionCheck, AddressLongerThanSixteenCharactersIsNotTried) {
    testsupport::SilentServer silent;
    PatchFileList list;
    PollClock clock;
    VersionCheckResult r = RunVersionCheck(Request(silent.port(), 103, 0, "127.000.000.00001"),
                                           list, clock.Options(kReplyPolls));
    EXPECT_EQ(r.status, VersionCheckStatus::kNotConnected);
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("无法连接服务器"));
    // No connect attempt and no wait for one.
    EXPECT_EQ(clock.connectPolls, 0);
    EXPECT_EQ(clock.replyPolls, 0);
    EXPECT_EQ(silent.accepted(), 0u);
}

}  // namespace
