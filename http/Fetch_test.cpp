// Fetch and PageLoader against nginx on loopback (and plain sockets where a
// server must misbehave in ways nginx does not).
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "http/Fetch.h"
#include "platform/net.h"
#include "testsupport/nginx_server.h"
#include "testsupport/pattern.h"
#include "testsupport/server_process.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait.h"

namespace http {
namespace {

using namespace std::chrono_literals;
using testsupport::NginxServer;
using testsupport::WriteFile;

constexpr size_t kBigSize = 6 * 1024 * 1024 + 123;
constexpr size_t kRangeFileSize = 10000;

std::string Pattern(size_t size, unsigned seed) {
    return testsupport::PatternBytes(size, seed);
}

// "中文页面" in GBK.
const std::string kGbkPage = "<p>\xd6\xd0\xce\xc4\xd2\xb3\xc3\xe6</p>";
const std::string kUtf8Page = "<p>\xe4\xb8\xad\xe6\x96\x87</p>";

class FetchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new NginxServer();
        if (!server_->ok()) {
            return;
        }
        const std::string& root = server_->root();
        WriteFile(root + "\\small.txt", "hello from nginx\n");
        WriteFile(root + "\\gbk\\page.html", kGbkPage);
        WriteFile(root + "\\utf8\\page.html", kUtf8Page);
        WriteFile(root + "\\big.bin", Pattern(kBigSize, 1));
        WriteFile(root + "\\slow\\big.bin", Pattern(kBigSize, 2));
        WriteFile(root + "\\range.bin", Pattern(kRangeFileSize, 3));
        WriteFile(root + "\\norange\\range.bin", Pattern(kRangeFileSize, 3));
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!server_->ok()) {
            GTEST_SKIP() << "nginx cannot run here: " << server_->error();
        }
    }
    static std::string Url(const std::string& path) { return server_->HttpBase() + path; }

    static NginxServer* server_;
};

NginxServer* FetchTest::server_ = nullptr;

TEST_F(FetchTest, SmallPagesWithTheirCharsets) {
    FetchResult r = Fetch(Url("/small.txt"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "hello from nginx\n");
    EXPECT_EQ(r.contentType, "text/plain");
    EXPECT_EQ(r.charset, "");
    EXPECT_EQ(r.contentLength, 17u);
    EXPECT_EQ(r.finalUrl, Url("/small.txt"));
    EXPECT_FALSE(r.cut);
    EXPECT_FALSE(r.range);
    EXPECT_TRUE(r.error.empty());

    r = Fetch(Url("/gbk/page.html"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.contentType, "text/html; charset=GBK");
    EXPECT_EQ(r.charset, "gbk");
    EXPECT_EQ(r.body, kGbkPage);

    r = Fetch(Url("/utf8/page.html"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.charset, "utf-8");
    EXPECT_EQ(r.body, kUtf8Page);
}

TEST_F(FetchTest, RedirectsAreFollowedAcrossHostsUpToTheLimit) {
    FetchResult r = Fetch(Url("/redirect/small.txt"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "hello from nginx\n");
    EXPECT_EQ(r.finalUrl, "http://127.0.0.2:" + std::to_string(server_->port()) + "/small.txt");

    FetchOptions options;
    options.maxRedirects = 4;  // /hops/3 takes four
    r = Fetch(Url("/hops/3"), options);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "hello from nginx\n");

    options.maxRedirects = 3;
    r = Fetch(Url("/hops/3"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "too many redirects");

    options.maxRedirects = 0;
    r = Fetch(Url("/redirect/small.txt"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "too many redirects");

    r = Fetch(Url("/loop"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "too many redirects");
    EXPECT_EQ(r.status, 302);
}

TEST_F(FetchTest, ErrorAnswersFailWithTheirStatus) {
    FetchResult r = Fetch(Url("/missing.html"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.error, "HTTP 404");
    EXPECT_TRUE(r.body.empty());

    r = Fetch(Url("/error500"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 500);
    EXPECT_EQ(r.error, "HTTP 500");
}

TEST_F(FetchTest, OnlyHttpAndHttpsAddresses) {
    FetchResult r = Fetch("ftp://127.0.0.1:" + std::to_string(server_->port()) + "/small.txt");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.error, "not an http or https address");
    r = Fetch("file:///etc/hostname");
    EXPECT_FALSE(r.ok);
    // Nor is a scheme guessed for an address without one.
    r = Fetch("127.0.0.1:" + std::to_string(server_->port()) + "/small.txt");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    for (const char* bad : {"", "http://", "http:///small.txt", "HTTP:/small.txt"}) {
        r = Fetch(bad);
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_EQ(r.status, 0) << bad;
        EXPECT_FALSE(r.error.empty()) << bad;
    }
}

TEST(FetchFailures, ConnectionRefused) {
    const uint16_t port = testsupport::FreePort("127.0.0.1");
    ASSERT_NE(port, 0);
    FetchResult r = Fetch("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    // WinHTTP does not tell a refusal from other failures to connect.
    EXPECT_TRUE(r.error == "connection refused" ||
                r.error == "cannot connect (refused or unreachable)")
        << r.error;
}

// A server whose backlog takes the connection but that never reads or
// answers: the stall bound ends the fetch.
TEST(FetchFailures, SilentServerEndsAtTheStallBound) {
    auto listener = platform::TcpSocket::Listen("127.0.0.1", 0, 4);
    ASSERT_TRUE(listener);
    FetchOptions options;
    options.stallTimeout = 1s;
    FetchResult r =
        Fetch("http://127.0.0.1:" + std::to_string(*listener->LocalPort()) + "/", options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.error, "timed out: no data for 1 s");
}

// A download that goes on but too slowly for the whole-fetch bound.
TEST_F(FetchTest, SlowAnswerEndsAtTheOverallBound) {
    FetchOptions options;
    options.maxBytes = kBigSize;
    options.overallTimeout = 1s;
    FetchResult r = Fetch(Url("/slow/big.bin"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "timed out: over 1 s in all");
    EXPECT_LT(r.body.size(), kBigSize);
}

TEST_F(FetchTest, LargeBodyIsCutAtMaxBytes) {
    const std::string big = Pattern(kBigSize, 1);
    FetchOptions options;
    options.maxBytes = 100000;
    FetchResult r = Fetch(Url("/big.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.cut);
    EXPECT_EQ(r.body, big.substr(0, 100000));
    EXPECT_EQ(r.contentLength, kBigSize);

    // The default limit (1 MiB) applies as well, and a body of exactly the
    // limit is whole.
    r = Fetch(Url("/big.bin"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.cut);
    EXPECT_EQ(r.body.size(), 1u << 20);
    options.maxBytes = 17;
    r = Fetch(Url("/small.txt"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.cut);
    EXPECT_EQ(r.body.size(), 17u);

    // Without a limit in the way, every byte arrives.
    options.maxBytes = kBigSize;
    r = Fetch(Url("/big.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.cut);
    EXPECT_TRUE(r.body == big);
}

TEST_F(FetchTest, ByteRanges) {
    const std::string file = Pattern(kRangeFileSize, 3);
    FetchOptions options;
    options.useRange = true;
    options.rangeFirst = 1000;
    options.rangeLast = 1999;
    FetchResult r = Fetch(Url("/range.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, 206);
    ASSERT_TRUE(r.range);
    EXPECT_EQ(r.range->first, 1000u);
    EXPECT_EQ(r.range->second, 1999u);
    EXPECT_EQ(r.rangeTotal, kRangeFileSize);
    EXPECT_EQ(r.contentLength, 1000u);
    EXPECT_TRUE(r.body == file.substr(1000, 1000));

    options.rangeFirst = kRangeFileSize - 10;
    options.rangeLast.reset();
    r = Fetch(Url("/range.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(r.range);
    EXPECT_EQ(r.range->second, kRangeFileSize - 1);
    EXPECT_TRUE(r.body == file.substr(kRangeFileSize - 10));

    // A range that ends before it starts is refused before any request.
    options.rangeFirst = 10;
    options.rangeLast = 9;
    r = Fetch(Url("/range.bin"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.error, "empty byte range");
    options.rangeLast.reset();

    // Past the end: 416, a failure.
    options.rangeFirst = kRangeFileSize;
    r = Fetch(Url("/range.bin"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 416);

    // A server that ignores Range sends everything: 200, no range.
    options.rangeFirst = 1000;
    options.rangeLast = 1999;
    r = Fetch(Url("/norange/range.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(r.range);
    EXPECT_FALSE(r.rangeTotal);
    EXPECT_TRUE(r.body == file);

    // A sink would take such an answer's first bytes for its range's: it
    // gets none of them. From the first byte on they are the range's bytes.
    std::string sunk;
    options.sink = [&](const char* data, size_t size) {
        sunk.append(data, size);
        return true;
    };
    r = Fetch(Url("/norange/range.bin"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.error, "HTTP 200 with the whole file for a range");
    EXPECT_TRUE(sunk.empty());
    options.rangeFirst = 0;
    r = Fetch(Url("/norange/range.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(sunk == file);
}

// A 206 for another range (or another file's size) than asked is refused
// before its bytes go anywhere: a partial file would store them at the
// offsets of the range asked for.
TEST_F(FetchTest, BytesOfAnotherRangeNeverReachTheSink) {
    std::string sunk;
    FetchOptions options;
    options.useRange = true;
    options.rangeFirst = 50;
    options.rangeLast = 59;
    options.sink = [&](const char* data, size_t size) {
        sunk.append(data, size);
        return true;
    };
    FetchResult r = Fetch(Url("/wrongstart.bin"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(r.error, "HTTP 206 for another range than asked");
    EXPECT_EQ(sunk, "");

    options.rangeTotal = 100;
    r = Fetch(Url("/wrongtotal.bin"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "HTTP 206 for a file of 200 bytes, not 100");
    EXPECT_EQ(sunk, "");
    // The same answer for the size it names is the range asked for.
    options.rangeTotal = 200;
    r = Fetch(Url("/wrongtotal.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(sunk, "abcdefghij");
}

TEST_F(FetchTest, HttpsTrustsTheGivenAuthorityOnly) {
    const std::string url = server_->HttpsBase() + "/small.txt";
    FetchResult r = Fetch(url);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.error.empty());

    FetchOptions options;
    options.caFile = server_->caFile();
    r = Fetch(url, options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "hello from nginx\n");

    // A connection that was trusted through the extra authority is not
    // reused for a fetch that does not trust it.
    r = Fetch(url);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
}

TEST_F(FetchTest, SinkReceivesTheBodyAndCanStopIt) {
    const std::string big = Pattern(kBigSize, 1);
    std::string received;
    FetchOptions options;
    options.maxBytes = kBigSize;
    options.sink = [&](const char* data, size_t size) {
        received.append(data, size);
        return true;
    };
    FetchResult r = Fetch(Url("/big.bin"), options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.body.empty());
    EXPECT_TRUE(received == big);

    size_t calls = 0;
    options.sink = [&](const char*, size_t) { return ++calls < 2; };
    r = Fetch(Url("/big.bin"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "stopped by the receiver");
    EXPECT_EQ(calls, 2u);
}

// Waits for the one call of a loader's done.
struct DoneBox {
    std::mutex mutex;
    std::condition_variable changed;
    int calls = 0;
    FetchResult result;

    std::function<void(FetchResult)> Callback() {
        return [this](FetchResult r) {
            std::lock_guard<std::mutex> lock(mutex);
            ++calls;
            result = std::move(r);
            changed.notify_all();
        };
    }
    bool Wait() {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(testsupport::kWaitLimitMs),
                                [this] { return calls > 0; });
    }
};

TEST_F(FetchTest, PageLoaderDeliversAndCancels) {
    DoneBox page;
    {
        PageLoader loader;
        loader.Start(Url("/gbk/page.html"), {}, page.Callback());
        ASSERT_TRUE(page.Wait());
        EXPECT_TRUE(testsupport::WaitUntil([&] { return !loader.Running(); }));
    }
    EXPECT_EQ(page.calls, 1);
    EXPECT_TRUE(page.result.ok) << page.result.error;
    EXPECT_EQ(page.result.body, kGbkPage);

    // A slow download, cancelled once its first bytes have arrived.
    std::atomic<uint64_t> bytes{0};
    FetchOptions options;
    options.maxBytes = kBigSize;
    options.sink = [&](const char*, size_t size) {
        bytes += size;
        return true;
    };
    DoneBox slow;
    PageLoader loader;
    loader.Start(Url("/slow/big.bin"), options, slow.Callback());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return bytes.load() > 0; }));
    EXPECT_TRUE(loader.Running());
    loader.Cancel();
    EXPECT_FALSE(loader.Running());
    EXPECT_EQ(slow.calls, 1);
    EXPECT_FALSE(slow.result.ok);
    EXPECT_EQ(slow.result.error, "cancelled");
    EXPECT_LT(bytes.load(), kBigSize);

    // Starting again cancels the fetch that runs and then delivers the new one.
    DoneBox first;
    DoneBox second;
    bytes = 0;
    loader.Start(Url("/slow/big.bin"), options, first.Callback());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return bytes.load() > 0; }));
    loader.Start(Url("/small.txt"), {}, second.Callback());
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(first.result.error, "cancelled");
    ASSERT_TRUE(second.Wait());
    EXPECT_TRUE(second.result.ok) << second.result.error;
    EXPECT_EQ(second.result.body, "hello from nginx\n");

    // The destructor cancels as well.
    DoneBox again;
    bytes = 0;
    {
        PageLoader other;
        other.Start(Url("/slow/big.bin"), options, again.Callback());
        ASSERT_TRUE(testsupport::WaitUntil([&] { return bytes.load() > 0; }));
    }
    EXPECT_EQ(again.calls, 1);
    EXPECT_EQ(again.result.error, "cancelled");
}

}  // namespace
}  // namespace http
