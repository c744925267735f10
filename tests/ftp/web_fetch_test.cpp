// ftpfetch with a web address: the downloader's HTTP source alone, no FTP
// server behind it, against nginx on loopback (natively with libcurl, under
// wine64 with WinHTTP). The same partial file, ranges and checks as over FTP.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "FtpFetch.h"
#include "download_run.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/nginx_server.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait.h"

namespace {

using namespace testsupport;

constexpr size_t kFileSize = 3 * 1024 * 1024 + 77;
constexpr const char* kEmptyMd5 = "d41d8cd98f00b204e9800998ecf8427e";

class WebFetch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new NginxServer();
        if (!server_->ok()) {
            return;
        }
        contents_ = new std::string(Contents(kFileSize, 5));
        const std::string& root = server_->root();
        // A folder of its own for each test whose requests are counted.
        for (const char* path : {"\\p.bin", "\\whole\\p.bin", "\\norange\\p.bin", "\\moved\\p.bin",
                                 "\\slow\\p.bin", "\\sub dir\\p 1.bin", "\\other\\p.bin"}) {
            WriteFile(root + path, *contents_);
        }
        WriteFile(root + "\\empty.bin", "");
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
        delete contents_;
        contents_ = nullptr;
    }
    void SetUp() override {
        if (!server_->ok()) {
            GTEST_SKIP() << "nginx cannot run here: " << server_->error();
        }
    }

    // Runs ftpfetch URL MD5 -o DIR [more...]; its exit code, err in *why.
    int Fetch(const std::string& url, const std::string& md5, const TempDir& dir,
              std::vector<std::string> more = {}, const std::atomic<bool>* stop = nullptr) {
        std::vector<std::string> args = {url, md5, "-o", platform::GbkToUtf8(dir.path())};
        args.insert(args.end(), more.begin(), more.end());
        std::ostringstream out, err;
        const int code = RunFtpFetch(args, out, err, false, stop);
        why_ = err.str();
        return code;
    }
    // The body bytes nginx sent for uri, the one-byte probes left out, once
    // they come to expected (every answer has been logged) or the wait
    // ends.
    uint64_t BytesServed(const std::string& uri, uint64_t expected) {
        uint64_t bytes = 0;
        WaitUntil([&] {
            bytes = 0;
            for (const std::string& line : server_->Requests()) {
                std::istringstream fields(line);
                std::string path, range;
                int status = 0;
                uint64_t sent = 0;
                fields >> path >> range >> status >> sent;
                if (path == uri && range != "\"bytes=0-0\"") {
                    bytes += sent;
                }
            }
            return bytes == expected;
        });
        return bytes;
    }
    static std::string Md5() { return Md5HexOf(*contents_); }
    static std::string Local(const TempDir& dir, const std::string& name = "p.bin") {
        return dir / name;
    }

    static NginxServer* server_;
    static std::string* contents_;
    std::string why_;
};

NginxServer* WebFetch::server_ = nullptr;
std::string* WebFetch::contents_ = nullptr;

TEST_F(WebFetch, AFileComesInThreeRangesAndIsChecked) {
    TempDir dir;
    ASSERT_EQ(Fetch(server_->HttpBase() + "/whole/p.bin", Md5(), dir), 0) << why_;
    EXPECT_TRUE(ReadFile(Local(dir)) == *contents_);
    EXPECT_FALSE(platform::Exists(Local(dir) + ".jat"));
    // Ranges that together are the file, once.
    EXPECT_EQ(BytesServed("/whole/p.bin", kFileSize), kFileSize);
    size_t ranges = 0;
    for (const std::string& line : server_->Requests()) {
        ranges += line.rfind("/whole/p.bin \"bytes=", 0) == 0 &&
                  line.find("\"bytes=0-0\"") == std::string::npos;
    }
    EXPECT_EQ(ranges, 3u);
}

TEST_F(WebFetch, OddServersAndAddressesServeTheFileToo) {
    // One that ignores Range, one that sends us to another host, a name
    // that needs percent-encoding, an empty file.
    for (const std::string& url :
         {server_->HttpBase() + "/norange/p.bin", server_->HttpBase() + "/redirect/moved/p.bin",
          server_->HttpBase() + "/sub%20dir/p%201.bin"}) {
        TempDir dir;
        ASSERT_EQ(Fetch(url, Md5(), dir), 0) << url << ": " << why_;
        const std::string name = url.find("p%201") != std::string::npos ? "p 1.bin" : "p.bin";
        EXPECT_TRUE(ReadFile(Local(dir, name)) == *contents_) << url;
    }
    TempDir dir;
    ASSERT_EQ(Fetch(server_->HttpBase() + "/empty.bin", kEmptyMd5, dir), 0) << why_;
    EXPECT_TRUE(platform::Exists(Local(dir, "empty.bin")));
}

TEST_F(WebFetch, FailuresSayWhyAndLeaveNoFile) {
    TempDir dir;
    EXPECT_EQ(Fetch(server_->HttpBase() + "/missing.bin", Md5(), dir), 1);
    EXPECT_NE(why_.find("HTTP 404"), std::string::npos) << why_;
    EXPECT_FALSE(platform::Exists(Local(dir, "missing.bin")));
    EXPECT_FALSE(platform::Exists(Local(dir, "missing.bin") + ".jat"));

    // Other bytes than the digest names: fetched once more, then deleted.
    const std::string otherMd5 = Md5HexOf("something else");
    EXPECT_EQ(Fetch(server_->HttpBase() + "/p.bin", otherMd5, dir), 1);
    EXPECT_NE(why_.find("MD5 mismatch"), std::string::npos) << why_;
    EXPECT_FALSE(platform::Exists(Local(dir)));

    // A certificate of an authority the system does not know, then known.
    EXPECT_EQ(Fetch(server_->HttpsBase() + "/p.bin", Md5(), dir), 1);
    EXPECT_NE(why_.find(server_->HttpsBase() + "/p.bin: "), std::string::npos) << why_;
    EXPECT_EQ(Fetch(server_->HttpsBase() + "/p.bin", Md5(), dir,
                    {"--ca", platform::GbkToUtf8(server_->caFile())}),
              0)
        << why_;
    EXPECT_TRUE(ReadFile(Local(dir)) == *contents_);
}

// Stopped while the slow copy arrives, then finished from the fast one: only
// what the partial file did not hold is asked for.
TEST_F(WebFetch, AStoppedDownloadResumesWhereItStopped) {
    TempDir dir;
    const std::string part = Local(dir) + ".jat";
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        WaitUntil([&] { return ReceivedNow(part) > 0; });
        stop = true;
    });
    const int first = Fetch(server_->HttpBase() + "/slow/p.bin", Md5(), dir, {}, &stop);
    stopper.join();
    ASSERT_EQ(first, 1) << why_;
    EXPECT_NE(why_.find("stopped; run again to resume"), std::string::npos) << why_;
    const uint32_t kept = ReceivedNow(part);
    ASSERT_GT(kept, 0u);
    ASSERT_LT(kept, kFileSize);

    ASSERT_EQ(Fetch(server_->HttpBase() + "/other/p.bin", Md5(), dir), 0) << why_;
    EXPECT_TRUE(ReadFile(Local(dir)) == *contents_);
    EXPECT_FALSE(platform::Exists(part));
    EXPECT_EQ(BytesServed("/other/p.bin", kFileSize - kept), kFileSize - kept);
}

}  // namespace
