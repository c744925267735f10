// ftpfetch killed (SIGKILL) at random moments of a 50 MB download from a
// rate-limited proftpd (and, taking turns with it, nginx) and started again
// each time ends with the right file; after every kill the partial file
// counts only bytes that are on disk and correct.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "download_run.h"
#include "patcher/CPartFile.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "proftpd_server.h"
#include "testsupport/nginx_server.h"
#include "testsupport/seed.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace testsupport;

constexpr size_t kFileSize = 50u << 20;
constexpr int kKills = 20;
// Per connection; three connections make about 4.5 MB/s, so twenty short runs
// leave most of the file for the last one.
constexpr int kRateKBps = 1500;
// Each kill comes at a random moment after the run has saved progress of
// its own (how long a start takes depends on the machine, not on us).
constexpr int kKillAfterMinMs = 0;
constexpr int kKillAfterMaxMs = 800;
constexpr uint32_t kStartPollMs = 10;
constexpr int kStartTimeoutMs = 60000;
// The last run fetches what is left at the capped rate: a margin of several
// times that.
constexpr int kLastRunTimeoutMs = 300000;

// What a series of kills left behind.
struct Kills {
    uint32_t lastReceived = 0;
    int withPartial = 0;
};

// Starts program with argsOf(n) kills times, killing each run at a random
// moment once it has saved progress of its own (or has ended), and checks
// after every kill that the partial file counts only bytes that are there
// and correct, and never fewer than before.
void KillRepeatedly(const std::string& program,
                    const std::function<std::vector<std::string>(int)>& argsOf, int kills,
                    const std::string& contents, const std::string& finalName, std::mt19937& random,
                    Kills& k) {
    const std::string partPath = CPartFile::PartPath(finalName);
    std::uniform_int_distribution<int> pause(kKillAfterMinMs, kKillAfterMaxMs);
    for (int kill = 0; kill < kills && !platform::Exists(finalName); ++kill) {
        auto p = platform::StartProgram(program, argsOf(kill), "");
        ASSERT_TRUE(p) << p.error().Message();
        for (int waited = 0;
             waited < kStartTimeoutMs && ReceivedNow(partPath) <= k.lastReceived && !p->Wait(0);
             waited += kStartPollMs) {
            platform::SleepMs(kStartPollMs);
        }
        platform::SleepMs(static_cast<uint32_t>(pause(random)));
        p->Kill();
        ASSERT_TRUE(p->Wait(-1));

        if (!platform::Exists(partPath)) {
            continue;  // killed before the partial file was made
        }
        ++k.withPartial;
        std::string part = ReadFile(partPath);
        ASSERT_EQ(part.size(), contents.size() + kPartTrailerSize) << "after kill " << kill;
        PartTrailer t{};
        ASSERT_TRUE(
            DecodePartTrailer(reinterpret_cast<const uint8_t*>(part.data()) + contents.size(),
                              kPartTrailerSize, part.size(), t))
            << "after kill " << kill;
        for (uint32_t i = 0; i < t.segmentCount; ++i) {
            const SegmentRecord& s = t.segment[i];
            ASSERT_TRUE(part.compare(s.start, s.received, contents, s.start, s.received) == 0)
                << "segment " << i << " counts bytes that are not there, after kill " << kill;
        }
        EXPECT_GE(t.received, k.lastReceived) << "progress went back, after kill " << kill;
        k.lastReceived = t.received;
    }
}

// The run after the kills: it ends by itself with the right file.
void FinishRun(const std::string& program, const std::vector<std::string>& args,
               const std::string& contents, const std::string& finalName) {
    auto last = platform::StartProgram(program, args, "");
    ASSERT_TRUE(last);
    auto code = last->Wait(kLastRunTimeoutMs);
    if (!code) {
        last->Kill();
        last->Wait(-1);
        FAIL() << "the last run did not end within " << kLastRunTimeoutMs << " ms";
    }
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(ReadFile(finalName), contents);
    EXPECT_FALSE(platform::Exists(CPartFile::PartPath(finalName)));
}

TEST(KillAndResume, TwentyKillsThenTheRightFile) {
    if (!ProftpdServer::Unavailable().empty()) {
        GTEST_SKIP() << ProftpdServer::Unavailable();
    }
    ProftpdOptions options;
    options.retrRateKBps = kRateKBps;
    ProftpdServer server(options);
    ASSERT_TRUE(server.ok()) << server.error();
    const std::string contents = Contents(kFileSize, 42);
    WriteFile(server.root() + "\\v100\\big.cpk", contents);
    const std::string md5 = Md5HexOf(contents);

    TempDir out;
    const std::string finalName = out / "big.cpk";
    const std::string program = ProgramDir() + "\\ftpfetch";
    const std::vector<std::string> args = {"127.0.0.1:" + std::to_string(server.port()),
                                           "v100/big.cpk", md5, "-o",
                                           platform::NativePath(out.path())};

    const uint32_t seed = testsupport::TestSeed("kill and resume");
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));

    Kills k;
    ASSERT_NO_FATAL_FAILURE(KillRepeatedly(
        program, [&](int) { return args; }, kKills, contents, finalName, random, k));
    EXPECT_GT(k.withPartial, kKills / 2) << "most kills should hit a running download";
    EXPECT_LT(k.lastReceived, kFileSize) << "the kills should come before the end";
    FinishRun(program, args, contents, finalName);
}

// The same file from proftpd and from nginx, each capped per connection:
// the runs take turns, so that every run resumes what a run over the other
// protocol was killed in.
TEST(KillAndResume, KillsTakingTurnsOverFtpAndHttp) {
    if (!ProftpdServer::Unavailable().empty()) {
        GTEST_SKIP() << ProftpdServer::Unavailable();
    }
    ProftpdOptions options;
    options.retrRateKBps = kRateKBps;
    ProftpdServer ftp(options);
    ASSERT_TRUE(ftp.ok()) << ftp.error();
    NginxOptions web;
    web.limitRate = std::to_string(kRateKBps) + "k";
    NginxServer nginx(web);
    if (!nginx.ok()) {
        GTEST_SKIP() << nginx.error();
    }
    const std::string contents = Contents(kFileSize, 43);
    WriteFile(ftp.root() + "\\v100\\big.cpk", contents);
    WriteFile(nginx.root() + "\\slow\\v100\\big.cpk", contents);
    const std::string md5 = Md5HexOf(contents);

    TempDir out;
    const std::string finalName = out / "big.cpk";
    const std::string program = ProgramDir() + "\\ftpfetch";
    const std::string folder = platform::NativePath(out.path());
    const std::vector<std::string> overFtp = {"127.0.0.1:" + std::to_string(ftp.port()),
                                              "v100/big.cpk", md5, "-o", folder};
    const std::vector<std::string> overHttp = {nginx.HttpBase() + "/slow/v100/big.cpk", md5, "-o",
                                               folder};

    const uint32_t seed = testsupport::TestSeed("kills over ftp and http");
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));

    Kills k;
    ASSERT_NO_FATAL_FAILURE(KillRepeatedly(
        program, [&](int n) { return n % 2 == 0 ? overFtp : overHttp; }, kKills / 2, contents,
        finalName, random, k));
    EXPECT_GT(k.withPartial, kKills / 4) << "most kills should hit a running download";
    EXPECT_LT(k.lastReceived, kFileSize) << "the kills should come before the end";
    FinishRun(program, overHttp, contents, finalName);
}

}  // namespace
