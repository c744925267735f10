// The downloader against the scripted FTP server: a server without restart
// support, transfers the server drops, and replies no real server sends.
// Runs on every platform (the Windows build through winsock under wine64).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>

#include "FtpFetch.h"
#include "download_run.h"
#include "patcher/CPartFile.h"
#include "patcher/Signatures.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/net.h"
#include "platform/text.h"
#include "sign/Release.h"
#include "testsupport/scripted_ftp.h"
#include "testsupport/temp_dir.h"

namespace {

// The limits of the runs that end on a silent or unusable server: short, so
// that the tests do not wait long, yet with room for every step before the
// silence to happen first on a loaded machine (and under Wine).
constexpr int kReplyLimitMs = 2000;
constexpr int kStallLimitMs = 4000;

using namespace testsupport;

constexpr size_t kFileSize = 300000;
// Waits for what loopback does at once; the limit only ends a broken test.
constexpr uint32_t kWaitLimitMs = 30000;

class ScriptedDownload : public ::testing::Test {
protected:
    void SetUp() override {
        contents_ = Contents(kFileSize, 7);
        list_.Append(Entry("v100\\sub", "a.cpk", dir_ / "download", contents_));
    }
    std::map<std::string, std::string> Files() const { return {{"/v100/sub/a.cpk", contents_}}; }
    std::string Local() const { return dir_ / "download\\a.cpk"; }

    TempDir dir_;
    std::string contents_;
    PatchFileList list_;
    platform::ScriptedMessageBoxes boxes_;
};

int CountCommands(const ScriptedFtpServer& server, const std::string& prefix) {
    int n = 0;
    for (const std::string& c : server.commands()) {
        n += c.rfind(prefix, 0) == 0;
    }
    return n;
}

TEST_F(ScriptedDownload, ThreeRangesWhenRestIsAccepted) {
    ScriptedFtpServer server(Files());
    ASSERT_TRUE(server.ok());
    DownloadRun run = RunDownload(server.port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local()), contents_);
    EXPECT_EQ(run.trailer.segmentCount, 3u);
    std::vector<uint32_t> offsets = server.retrOffsets();
    std::sort(offsets.begin(), offsets.end());
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, kFileSize / 3, 2 * (kFileSize / 3)}));
    // SIZE asked for the file RETR fetched.
    EXPECT_EQ(CountCommands(server, "SIZE /v100/sub/a.cpk"), 1);
    EXPECT_EQ(CountCommands(server, "RETR /v100/sub/a.cpk"), 3);
    EXPECT_EQ(run.LastPercent(), 100);
    EXPECT_EQ(run.baselines, 1);
    EXPECT_EQ(boxes_.count(), 0u);
}

// The sessions before the workers (the sizes' and the probe's) end only
// once the first worker has logged in: a server that holds new logins back
// while a session ends (proftpd's daemon does) then holds back only the
// later workers, while the first one fetches.
TEST_F(ScriptedDownload, TheSessionsBeforeTheWorkersEndOnceTheFirstWorkerIsIn) {
    ScriptedFtpServer server(Files());
    ASSERT_TRUE(server.ok());
    DownloadRun run = RunDownload(server.port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    std::vector<std::string> lines = server.commands();
    auto firstEnd = std::find(lines.begin(), lines.end(), ScriptedFtpServer::kSessionEnded);
    ASSERT_NE(firstEnd, lines.end());
    EXPECT_EQ(std::count_if(lines.begin(), firstEnd,
                            [](const std::string& l) { return l.rfind("PASS", 0) == 0; }),
              3);
    // Every session ends: the sizes', the probe's and the three workers'.
    EXPECT_TRUE(server.WaitForCommands(ScriptedFtpServer::kSessionEnded, 5, kWaitLimitMs));
    lines = server.commands();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ScriptedFtpServer::kSessionEnded), 5);
}

// A network that carries the three ranges of a file one after another, in
// the given order: a range's transfer waits until the ranges before it in
// the order have all their bytes. A transfer that begins at a range's start
// once that range is whole is a new fetch of the file.
class RangesInTurnReader : public FtpDataReader {
public:
    RangesInTurnReader(std::vector<uint32_t> order, size_t fileSize)
        : order_(std::move(order)), third_(fileSize / 3), fileSize_(fileSize) {}

    void Begin(platform::TcpSocket& data, uint32_t offset) override {
        std::lock_guard<std::mutex> lock(mu_);
        const uint32_t range = std::min<uint32_t>(static_cast<uint32_t>(offset / third_), 2);
        if (offset == range * third_ && read_[range] == Length(range)) {
            read_[0] = read_[1] = read_[2] = 0;
        }
        range_[&data] = range;
    }
    platform::Result<size_t> Read(platform::TcpSocket& data, void* buffer, size_t size) override {
        std::unique_lock<std::mutex> lock(mu_);
        const uint32_t range = range_.at(&data);
        if (!turn_.wait_for(lock, std::chrono::milliseconds(kWaitLimitMs),
                            [&] { return MayRead(range); })) {
            waitedTooLong_ = true;
        }
        lock.unlock();
        auto got = data.Recv(buffer, size);
        lock.lock();
        if (got) {
            read_[range] += *got;
            turn_.notify_all();
        }
        return got;
    }
    bool waitedTooLong() const { return waitedTooLong_; }

private:
    size_t Length(uint32_t range) const { return range < 2 ? third_ : fileSize_ - 2 * third_; }
    bool MayRead(uint32_t range) const {
        for (uint32_t r : order_) {
            if (r == range) {
                return true;
            }
            if (read_[r] < Length(r)) {
                return false;
            }
        }
        return true;
    }

    const std::vector<uint32_t> order_;
    const size_t third_;
    const size_t fileSize_;
    std::mutex mu_;
    std::condition_variable turn_;
    size_t read_[3] = {};
    std::map<const platform::TcpSocket*, uint32_t> range_;
    bool waitedTooLong_ = false;
};

// The check digests the bytes that arrive in file order on the way; ranges
// that come one after another in any order, damaged or not, are judged as
// the whole file is. Each range is larger than the queue holds, so the
// writer takes its blocks while they come.
TEST_F(ScriptedDownload, RangesThatArriveOneAfterAnotherAreCheckedAsAWhole) {
    constexpr size_t kSize = 3 * 100 * kDataBlockBytes + 1234;
    const std::string contents = Contents(kSize, 11);
    const std::vector<std::vector<uint32_t>> orders = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}};
    for (const std::vector<uint32_t>& order : orders) {
        for (int damaged : {0, 3}) {
            SCOPED_TRACE(::testing::Message() << "order " << order[0] << order[1] << order[2]
                                              << ", damaged transfers " << damaged);
            TempDir dir;
            PatchFileList list;
            list.Append(Entry("v100", "b.cpk", dir / "download", contents));
            ScriptedFtpOptions serverOptions;
            serverOptions.corruptTransfers = damaged;
            ScriptedFtpServer server({{"/v100/b.cpk", contents}}, serverOptions);
            ASSERT_TRUE(server.ok());
            RangesInTurnReader network(order, kSize);
            FtpDownloaderOptions options;
            options.dataReader = &network;
            DownloadRun run = RunDownload(server.port(), list, options);
            ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
            EXPECT_EQ(run.Count(UM_VERIFY_FAILED), damaged > 0 ? 1 : 0);
            EXPECT_EQ(ReadFile(dir / "download\\b.cpk"), contents);
            EXPECT_FALSE(network.waitedTooLong());
        }
    }
}

// An empty file has no byte to fetch: it is there once its size is known.
TEST_F(ScriptedDownload, AnEmptyFileIsThereWithoutATransfer) {
    PatchFileList list;
    list.Append(Entry("v100", "empty.cpk", dir_ / "download", ""));
    ScriptedFtpServer server(std::map<std::string, std::string>{{"/v100/empty.cpk", ""}});
    ASSERT_TRUE(server.ok());
    DownloadRun run = RunDownload(server.port(), list);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_TRUE(platform::Exists(dir_ / "download\\empty.cpk"));
    EXPECT_FALSE(platform::Exists(dir_ / "download\\empty.cpk.jat"));
    EXPECT_EQ(CountCommands(server, "RETR"), 0);
    EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ScriptedDownload, OneRangeWhenTheServerRefusesRest) {
    ScriptedFtpOptions options;
    options.allowRest = false;
    ScriptedFtpServer server(Files(), options);
    DownloadRun run = RunDownload(server.port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local()), contents_);
    EXPECT_EQ(run.trailer.segmentCount, 1u);
    EXPECT_EQ(server.retrOffsets(), std::vector<uint32_t>{0});
    // The probe is the only REST: a transfer from the first byte needs none.
    EXPECT_EQ(CountCommands(server, "REST"), 1);
    EXPECT_EQ(CountCommands(server, "REST 100"), 1);
}

TEST_F(ScriptedDownload, ADroppedTransferResumesAtTheFirstByteNotQueued) {
    ScriptedFtpOptions options;
    options.cutTransfers = 1;
    options.cutAfterBytes = 100000;  // not a multiple of the block size
    ScriptedFtpServer server(Files(), options);
    FtpDownloaderOptions one;
    one.segmentsMax = 1;
    DownloadRun run = RunDownload(server.port(), list_, one);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local()), contents_);
    EXPECT_EQ(server.retrOffsets(), (std::vector<uint32_t>{0, 100000}));
}

TEST_F(ScriptedDownload, WithoutRestAResumedRangeReadsFromTheStartAndSkips) {
    ScriptedFtpOptions options;
    options.allowRest = false;
    options.cutTransfers = 1;
    options.cutAfterBytes = 123457;
    ScriptedFtpServer server(Files(), options);
    DownloadRun run = RunDownload(server.port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local()), contents_);
    EXPECT_EQ(server.retrOffsets(), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(CountCommands(server, "REST 123457"), 1);
}

TEST_F(ScriptedDownload, APartialFileOfThreeRangesFinishesOnAServerWithoutRest) {
    // An earlier run against a server with restarts left three ranges, part
    // of each received; the server no longer restarts. The file keeps its
    // ranges, and each one is read from the start of the file and skipped.
    PartTrailer t = NewPartTrailer(Local(), kFileSize, 3);
    for (uint32_t i = 0; i < 3; ++i) {
        t.segment[i].received = 1000 * (i + 1);
    }
    CorrectReceived(t);
    std::string data(kFileSize, '\0');
    for (uint32_t i = 0; i < 3; ++i) {
        data.replace(t.segment[i].start, t.segment[i].received,
                     contents_.substr(t.segment[i].start, t.segment[i].received));
    }
    uint8_t bytes[kPartTrailerSize];
    EncodePartTrailer(t, bytes);
    WriteFile(CPartFile::PartPath(Local()),
              data + std::string(reinterpret_cast<char*>(bytes), sizeof bytes));

    ScriptedFtpOptions options;
    options.allowRest = false;
    ScriptedFtpServer server(Files(), options);
    DownloadRun run = RunDownload(server.port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local()), contents_);
    EXPECT_EQ(run.trailer.segmentCount, 3u);
    EXPECT_EQ(server.retrOffsets(), (std::vector<uint32_t>{0, 0, 0}));
}

TEST_F(ScriptedDownload, APasvReplyNamingAnotherHostStillReachesTheServer) {
    ScriptedFtpOptions options;
    options.pasvHost = "10.255.255.1";
    ScriptedFtpServer server(Files(), options);
    DownloadRun run = RunDownload(server.port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local()), contents_);
}

// Workers that cannot use the passive-mode reply reconnect; the file gains
// nothing, and once the stall limit passes the run ends by itself, naming
// the server and why.
TEST_F(ScriptedDownload, UnusablePasvRepliesNeverOpenADataConnectionAndTheRunEnds) {
    const char* replies[] = {
        "227 Entering Passive Mode (127,0,0,1,300,1).\r\n",
        "227 Entering Passive Mode 127,0,0,1,4,1\r\n",
        "227 Entering Passive Mode (127,0,0,1,4).\r\n",
        "227-Entering Passive Mode (127,0,0,1,4,1).\r\n",
    };
    for (const char* reply : replies) {
        SCOPED_TRACE(reply);
        platform::ScriptedMessageBoxes boxes;
        ScriptedFtpOptions options;
        options.replies["PASV"] = reply;
        ScriptedFtpServer server(Files(), options);
        FtpDownloaderOptions o;
        o.stallTimeoutMs = kStallLimitMs;
        UpdateEventQueue sink;
        CFtpDownloader d;
        d.Create(&sink, &list_, o);
        ASSERT_EQ(d.Login("127.0.0.1", server.port(), kAnonymousUser, kAnonymousPassword), 1);
        ASSERT_TRUE(d.Start());
        std::optional<UpdateEvent> e;
        while ((e = sink.Take(kEventTimeoutMs)) && e->message != UM_RESET &&
               e->message != UM_DOWNLOAD_DONE) {
        }
        ASSERT_TRUE(e);
        EXPECT_EQ(e->message, UM_RESET);
        EXPECT_TRUE(d.stalled());
        EXPECT_EQ(d.lastProblem(), FtpProblem::kBadPassive);
        d.Destroy();
        EXPECT_GE(CountCommands(server, "PASV"), 1);
        EXPECT_EQ(CountCommands(server, "RETR"), 0);
        EXPECT_FALSE(platform::Exists(Local()));
        ASSERT_EQ(boxes.count(), 1u);
        EXPECT_EQ(boxes.asked()[0].text,
                  std::string(GBK("下载服务器127.0.0.1没有响应,请稍后重试")));
    }
}

// Closing the patcher while a file starts: at each step of the start (the
// probe's login, each worker's) the downloader is destroyed, and every
// thread it started is joined by Destroy itself, so that the owner may let
// go of the event queue next. (A worker started in the pause after another
// used to be left to the destructor's second Destroy.)
TEST_F(ScriptedDownload, ClosingAtEveryStepOfAFileStartEndsEveryThread) {
    for (int logins = 1; logins <= 4; ++logins) {
        for (int round = 0; round < 4; ++round) {
            SCOPED_TRACE("after login " + std::to_string(logins) + ", round " +
                         std::to_string(round));
            ScriptedFtpServer server(Files());
            FtpDownloaderOptions o;
            o.stallTimeoutMs = kStallLimitMs;
            UpdateEventQueue sink;
            auto d = std::make_unique<CFtpDownloader>();
            d->Create(&sink, &list_, o);
            ASSERT_EQ(d->Login("127.0.0.1", server.port(), kAnonymousUser, kAnonymousPassword), 1);
            ASSERT_TRUE(d->Start());
            // The first login is the downloader's own; one per worker follows.
            const bool reached =
                server.WaitForCommands("USER", static_cast<size_t>(logins), kWaitLimitMs);
            d->Destroy();
            d.reset();
            if (logins == 1) {
                EXPECT_TRUE(reached);
            }
            (void)platform::DeleteFile(Local());
            (void)platform::DeleteFile(CPartFile::PartPath(Local()));
        }
    }
}

// A server that keeps silent: at its greeting (the login fails as a refused
// one does, and says why), and during a transfer (the attempt ends once the
// file gains nothing for the stall limit).
TEST_F(ScriptedDownload, ASilentServerEndsTheAttemptWithinTheLimits) {
    FtpDownloaderOptions o;
    o.replyTimeoutMs = kReplyLimitMs;
    o.stallTimeoutMs = kStallLimitMs;
    {
        ScriptedFtpOptions options;
        options.replies["greeting"] = "";
        ScriptedFtpServer server(Files(), options);
        UpdateEventQueue sink;
        CFtpDownloader d;
        d.Create(&sink, &list_, o);
        EXPECT_EQ(d.Login("127.0.0.1", server.port(), kAnonymousUser, kAnonymousPassword), -1);
        EXPECT_EQ(d.lastProblem(), FtpProblem::kNoAnswer);
    }
    {
        // Silent after the sizes: the resume probe gets no answer.
        ScriptedFtpOptions options;
        options.replies["REST"] = "";
        ScriptedFtpServer server(Files(), options);
        DownloadRun run = RunDownload(server.port(), list_, o);
        EXPECT_EQ(run.last(), UM_RESET);
        ASSERT_EQ(boxes_.count(), 1u);
        EXPECT_EQ(boxes_.asked()[0].text,
                  std::string(GBK("下载服务器127.0.0.1没有响应,请稍后重试")));
    }
    {
        ScriptedFtpOptions options;
        options.silentData = true;
        ScriptedFtpServer server(Files(), options);
        DownloadRun run = RunDownload(server.port(), list_, o);
        EXPECT_EQ(run.last(), UM_RESET);
        EXPECT_GE(CountCommands(server, "RETR"), 1);
        ASSERT_EQ(boxes_.count(), 2u);
        EXPECT_EQ(boxes_.asked()[1].text,
                  std::string(GBK("下载服务器127.0.0.1没有响应,请稍后重试")));
        // What arrived (nothing) stays for the next attempt.
        EXPECT_TRUE(platform::Exists(CPartFile::PartPath(Local())));
    }
}

// ftpfetch ends by itself where the patcher's workers would reconnect for
// ever, and says why it gave up.
TEST_F(ScriptedDownload, FtpfetchGivesUpOnAServerWhoseTransfersCannotStart) {
    ScriptedFtpOptions options;
    options.replies["PASV"] = "227 Entering Passive Mode 127,0,0,1,4,1\r\n";
    ScriptedFtpServer server(Files(), options);
    std::ostringstream out, err;
    int code = RunFtpFetch(
        {"127.0.0.1:" + std::to_string(server.port()), "v100/sub/a.cpk", list_.At(0).md5Text, "-o",
         platform::GbkToUtf8(dir_.path()), "--stall-timeout", std::to_string(kStallLimitMs / 1000)},
        out, err, false);
    EXPECT_EQ(code, 1);
    EXPECT_NE(err.str().find("no data for " + std::to_string(kStallLimitMs / 1000) +
                             " s: the server's passive-mode reply (PASV) names no "
                             "usable address"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(CountCommands(server, "RETR"), 0);
}

// With the server down, ftpfetch says the connection was refused and why;
// a correct file already in place needs no server at all.
TEST_F(ScriptedDownload, FtpfetchWithTheServerDown) {
    auto closed = platform::TcpSocket::Bind("127.0.0.1", 0);  // refuses every connect
    ASSERT_TRUE(closed) << closed.error().Message();
    const std::string server = "127.0.0.1:" + std::to_string(closed->LocalPort().value_or(0));
    const std::vector<std::string> args{server, "v100/sub/a.cpk", list_.At(0).md5Text, "-o",
                                        platform::GbkToUtf8(dir_ / "download")};
    {
        std::ostringstream out, err;
        EXPECT_EQ(RunFtpFetch(args, out, err, false), 1);
        EXPECT_NE(err.str().find("ftpfetch: cannot connect to " + server + ": "), std::string::npos)
            << err.str();
        EXPECT_EQ(err.str().find("log in"), std::string::npos) << err.str();
    }
    WriteFile(Local(), contents_);
    {
        std::ostringstream out, err;
        EXPECT_EQ(RunFtpFetch(args, out, err, false), 0) << err.str();
        EXPECT_EQ(out.str(), platform::GbkToUtf8(platform::NativePath(Local())) + "\n");
    }
    // A file with other bytes is no answer: the server is needed for it.
    WriteFile(Local(), contents_.substr(1));
    {
        std::ostringstream out, err;
        EXPECT_EQ(RunFtpFetch(args, out, err, false), 1);
    }
}

// A transfer damaged on the way fails the check; the file is fetched once
// more, as the box promises, and that one is sound.
TEST_F(ScriptedDownload, AFileThatFailsItsCheckIsFetchedOnceMore) {
    ScriptedFtpOptions options;
    options.corruptTransfers = 3;  // each range of the first fetch
    ScriptedFtpServer server(Files(), options);
    DownloadRun run = RunDownload(server.port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(run.Count(UM_VERIFY_FAILED), 1);
    EXPECT_EQ(ReadFile(Local()), contents_);
    EXPECT_EQ(CountCommands(server, "RETR"), 6);
    EXPECT_EQ(boxes_.count(), 0u);
}

// The release file and the signatures are small: a server that streams one
// of them without end is cut a byte past the bound, and the run goes on
// with what the readers then refuse as too large.
TEST_F(ScriptedDownload, ASignatureOrReleaseStreamThatNeverEndsIsCutPastItsBound) {
    ScriptedFtpOptions options;
    options.endless = {"/release.txt", "/v100/sub/a.cpk.minisig"};
    auto files = Files();
    files["/release.txt"] = "tesmar release 1\n";
    files["/release.txt.minisig"] = "signature";
    files["/v100/sub/a.cpk.minisig"] = "endless signature ";
    ScriptedFtpServer server(files, options);
    size_t release = 0;
    std::string signature;
    DownloadRun run = RunDownload(
        server.port(), list_, {}, [](CFtpDownloader&, const UpdateEvent&) {},
        [&](CFtpDownloader& d) {
            d.SetFetchSignatures(true);
            d.SetReleaseGate(
                [&](const std::string& text, const std::string& sig, std::vector<PatchFileEntry>&) {
                    release = text.size();
                    signature = sig;
                    return std::string();
                });
        });
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(release, sign::kReleaseBytesMax + 1);
    EXPECT_EQ(signature, "signature");
    EXPECT_EQ(platform::FileSize(Local() + ".minisig").value_or(0), kSignatureFileMax + 1);
    EXPECT_EQ(ReadFile(Local()), contents_);
}

// The gate sees the list with the server's sizes; what it refuses ends the
// run before any package is fetched, and the box says why. Where it lets
// the run go on, the sizes it set are the ones the download uses.
TEST_F(ScriptedDownload, TheReleaseGateDecidesBeforeAnyPackageIsFetched) {
    auto files = Files();
    files["/release.txt"] = "release";
    files["/release.txt.minisig"] = "signature";
    ScriptedFtpServer server(files);
    int32_t seenSize = 0;
    DownloadRun run = RunDownload(
        server.port(), list_, {}, [](CFtpDownloader&, const UpdateEvent&) {},
        [&](CFtpDownloader& d) {
            d.SetReleaseGate(
                [&](const std::string&, const std::string&, std::vector<PatchFileEntry>& entries) {
                    seenSize = entries.at(0).size;
                    return std::string("the signed release says no");
                });
        });
    EXPECT_EQ(run.last(), UM_RESET);
    EXPECT_EQ(seenSize, static_cast<int32_t>(kFileSize));
    EXPECT_FALSE(platform::Exists(Local()));
    for (const std::string& c : server.commands()) {
        EXPECT_TRUE(c.rfind("RETR", 0) != 0 || c.find("release.txt") != std::string::npos) << c;
    }
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_NE(boxes_.asked()[0].text.find("the signed release says no"), std::string::npos);

    // No release file on the server: not a run that goes on.
    ScriptedFtpServer bare(Files());
    bool asked = false;
    run = RunDownload(
        bare.port(), list_, {}, [](CFtpDownloader&, const UpdateEvent&) {},
        [&](CFtpDownloader& d) {
            d.SetReleaseGate(
                [&](const std::string&, const std::string&, std::vector<PatchFileEntry>&) {
                    asked = true;
                    return std::string();
                });
        });
    EXPECT_EQ(run.last(), UM_RESET);
    EXPECT_FALSE(asked);
    ASSERT_EQ(boxes_.count(), 2u);
    EXPECT_NE(boxes_.asked()[1].text.find("no signed release.txt"), std::string::npos);
}

// A server that keeps a byte trickling now and then never goes silent:
// once the first window has shown what the link gives, a window that brings
// a small part of it ends the attempt as silence would, with the same box.
TEST_F(ScriptedDownload, ATransferThatSlowsToATrickleEndsTheAttempt) {
    ScriptedFtpOptions options;
    options.allowRest = false;  // one range
    options.trickleAfter = 100000;
    options.trickleMs = 100;
    ScriptedFtpServer server(Files(), options);
    FtpDownloaderOptions o;
    o.slowWindowMs = 1000;
    DownloadRun run = RunDownload(server.port(), list_, o);
    EXPECT_EQ(run.last(), UM_RESET);
    EXPECT_FALSE(platform::Exists(Local()));
    ASSERT_GE(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked().back().text,
              std::string(GBK("下载服务器127.0.0.1没有响应,请稍后重试")));
}

// A disk that refuses the writes that cover byte `at` until it has refused
// `times` writes of one block, as a disk that is full for a moment, or for
// good, does. (Runs of several blocks are refused without being counted, so
// that the writer's block by block retry is what is counted.)
class RefusingDisk : public PartWriteFaults {
public:
    RefusingDisk(uint64_t at, int times) : at_(at), times_(times) {}
    bool Refuse(uint64_t offset, size_t size) override {
        std::lock_guard<std::mutex> lock(mu_);
        if (offset > at_ || at_ >= offset + size || refused_ >= times_) {
            return false;
        }
        refused_ += size <= kDataBlockBytes;
        return true;
    }
    int refused() const {
        std::lock_guard<std::mutex> lock(mu_);
        return refused_;
    }

private:
    const uint64_t at_;
    const int times_;
    mutable std::mutex mu_;
    int refused_ = 0;
};

DownloadRun RunOnDisk(const ScriptedFtpServer& server, PatchFileList& list, RefusingDisk& disk) {
    FtpDownloaderOptions o;
    o.writeFaults = &disk;
    return RunDownload(server.port(), list, o);
}

// A write the disk refuses for a moment is made again, and the blocks of its
// segment after it wait for it: the file completes from the ranges already
// being fetched, with nothing fetched twice.
TEST_F(ScriptedDownload, AWriteTheDiskRefusesForAMomentIsMadeAgain) {
    ScriptedFtpServer server(Files());
    ASSERT_TRUE(server.ok());
    RefusingDisk disk(50001, 3);
    DownloadRun run = RunOnDisk(server, list_, disk);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE)
        << (boxes_.count() > 0 ? platform::GbkToUtf8(boxes_.asked().back().text) : "no box");
    EXPECT_EQ(disk.refused(), 3);
    EXPECT_EQ(ReadFile(Local()), contents_);
    EXPECT_EQ(CountCommands(server, "RETR"), 3);
    EXPECT_EQ(boxes_.count(), 0u);
}

// A disk that keeps refusing ends the file after a bounded number of tries,
// with the message naming the partial file, and the workers stop fetching.
TEST_F(ScriptedDownload, ADiskThatKeepsRefusingEndsTheFileWithTheMessage) {
    ScriptedFtpServer server(Files());
    ASSERT_TRUE(server.ok());
    RefusingDisk disk(50001, 1000);
    DownloadRun run = RunOnDisk(server, list_, disk);
    EXPECT_EQ(run.last(), UM_RESET);
    EXPECT_EQ(disk.refused(), kWriteRetries + 1);
    EXPECT_FALSE(platform::Exists(Local()));
    EXPECT_LT(run.trailer.received, kFileSize);
    ASSERT_GE(boxes_.count(), 1u);
    const std::string text = boxes_.asked().back().text;
    EXPECT_EQ(text.rfind(GBK("无法写入文件"), 0), 0u) << text;
    EXPECT_NE(text.find(".jat"), std::string::npos) << text;
    EXPECT_EQ(CountCommands(server, "RETR"), 3) << "no worker fetched again";
}

TEST_F(ScriptedDownload, UnusableSizeRepliesEndTheRunWithTheMessage) {
    const char* replies[] = {"213 2147483648\r\n", "213 99999999999999999999\r\n", "213 -1\r\n",
                             "213\r\n"};
    for (const char* reply : replies) {
        SCOPED_TRACE(reply);
        platform::ScriptedMessageBoxes boxes;
        ScriptedFtpOptions options;
        options.replies["SIZE"] = reply;
        ScriptedFtpServer server(Files(), options);
        DownloadRun run = RunDownload(server.port(), list_);
        EXPECT_EQ(run.last(), UM_RESET);
        ASSERT_EQ(boxes.count(), 1u);
        EXPECT_EQ(boxes.asked()[0].text, std::string(GBK("无法下载该补丁文件")) + ":a.cpk");
        EXPECT_EQ(CountCommands(server, "RETR"), 0);
    }
}

TEST_F(ScriptedDownload, LoginAnswersZeroOnlyWhenTheUserNameIsRefused) {
    struct Case {
        const char* verb;
        const char* reply;
        int expected;
    };
    const Case cases[] = {
        {"USER", "530 not here\r\n", 0},
        {"PASS", "530 wrong\r\n", -1},
        {"greeting", "220-welcome\r\n220 ready\r\n", -1},
        {"greeting", "421 too many\r\n", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptedFtpOptions options;
        options.replies[c.verb] = c.reply;
        ScriptedFtpServer server(Files(), options);
        UpdateEventQueue sink;
        CFtpDownloader d;
        d.Create(&sink, &list_);
        EXPECT_EQ(d.Login("127.0.0.1", server.port(), kAnonymousUser, kAnonymousPassword),
                  c.expected);
    }
    // An overlong greeting line fails too, without reading past it.
    ScriptedFtpOptions options;
    options.replies["greeting"] = "220 " + std::string(2000, 'x') + "\r\n";
    ScriptedFtpServer server(Files(), options);
    UpdateEventQueue sink;
    CFtpDownloader d;
    d.Create(&sink, &list_);
    EXPECT_EQ(d.Login("127.0.0.1", server.port(), kAnonymousUser, kAnonymousPassword), -1);
}

TEST_F(ScriptedDownload, WorkersThatCannotLogInReportReconnectingUntilStopped) {
    ScriptedFtpOptions options;
    options.loginsAllowed = 2;  // the control connection and the resume probe
    ScriptedFtpServer server(Files(), options);
    int reconnecting = 0;
    DownloadRun run =
        RunDownload(server.port(), list_, {}, [&](CFtpDownloader& d, const UpdateEvent& e) {
            if (e.message == UM_RECONNECTING && ++reconnecting == 4) {
                d.Stop();
            }
        });
    EXPECT_EQ(run.last(), UM_RESET);
    EXPECT_GE(reconnecting, 4);
    EXPECT_EQ(CountCommands(server, "RETR"), 0);
    // The partial file stays for the next run, counting nothing.
    EXPECT_TRUE(platform::Exists(CPartFile::PartPath(Local())));
    EXPECT_EQ(run.trailer.received, 0u);
}

TEST_F(ScriptedDownload, AMissingFileGivesTheSizeMessage) {
    ScriptedFtpServer server({});
    DownloadRun run = RunDownload(server.port(), list_);
    EXPECT_EQ(run.last(), UM_RESET);
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text, std::string(GBK("无法下载该补丁文件")) + ":a.cpk");
    EXPECT_EQ(boxes_.asked()[0].caption, GBK("提示"));
    EXPECT_EQ(boxes_.asked()[0].owner, nullptr);
}

TEST_F(ScriptedDownload, AnEmptyListDoesNotStart) {
    ScriptedFtpServer server(Files());
    PatchFileList empty;
    UpdateEventQueue sink;
    CFtpDownloader d;
    d.Create(&sink, &empty);
    ASSERT_EQ(d.Login("127.0.0.1", server.port(), kAnonymousUser, kAnonymousPassword), 1);
    EXPECT_FALSE(d.Start());
}

}  // namespace
