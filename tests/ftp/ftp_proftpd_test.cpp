// The downloader against a real proftpd on loopback: segmented downloads of
// patches in sub-folders, files already present, digests that do not match,
// missing files, partial files left by an earlier run, and a run stopped in
// the middle and resumed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "download_run.h"
#include "patcher/CPartFile.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "proftpd_server.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait.h"

namespace {

using namespace testsupport;

class ProftpdDownload : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ProftpdServer::Unavailable().empty()) {
            GTEST_SKIP() << ProftpdServer::Unavailable();
        }
    }
    void StartServer(ProftpdOptions options = {}) {
        server_ = std::make_unique<ProftpdServer>(options);
        ASSERT_TRUE(server_->ok()) << server_->error();
    }
    // A file on the server, and its entry in the list.
    std::string Serve(const std::string& directory, const std::string& name, size_t size,
                      uint32_t seed) {
        std::string contents = Contents(size, seed);
        std::string dir = directory.empty() ? "" : directory + "\\";
        WriteFile(server_->root() + "\\" + dir + name, contents);
        list_.Append(Entry(directory, name, local_.path(), contents));
        return contents;
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& c : server_->Commands()) {
            n += c.rfind(prefix, 0) == 0;
        }
        return n;
    }
    // The count once it reaches at least `expected`, or when the wait ends:
    // proftpd logs a RETR when its transfer has ended on its side, which may
    // be after our side has all the bytes and the run has ended.
    int CountReaching(const std::string& prefix, int expected) const {
        testsupport::WaitUntil([&] { return Count(prefix) >= expected; });
        return Count(prefix);
    }
    std::string Local(const std::string& name) const { return local_ / name; }

    std::unique_ptr<ProftpdServer> server_;
    TempDir local_;
    PatchFileList list_;
    platform::ScriptedMessageBoxes boxes_;
};

TEST_F(ProftpdDownload, ThreeRangesPerFileFromSubFolders) {
    StartServer();
    std::string a = Serve("v100", "p101.cpk", 1000000, 1);
    std::string b = Serve("v101\\more", "p102.cpk", 300001, 2);
    DownloadRun run = RunDownload(server_->port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE) << server_->Log();
    EXPECT_EQ(ReadFile(Local("p101.cpk")), a);
    EXPECT_EQ(ReadFile(Local("p102.cpk")), b);
    EXPECT_FALSE(platform::Exists(CPartFile::PartPath(Local("p102.cpk"))));
    EXPECT_EQ(run.trailer.segmentCount, 3u);
    EXPECT_EQ(CountReaching("SIZE /v100/p101.cpk", 1), 1);
    EXPECT_EQ(CountReaching("SIZE /v101/more/p102.cpk", 1), 1);
    EXPECT_EQ(CountReaching("RETR /v100/p101.cpk", 3), 3);
    EXPECT_EQ(CountReaching("RETR /v101/more/p102.cpk", 3), 3);
    EXPECT_EQ(CountReaching("REST 333333", 1), 1);
    EXPECT_EQ(CountReaching("REST 666666", 1), 1);
    EXPECT_EQ(CountReaching("REST 200000", 1), 1);
    EXPECT_EQ(run.LastPercent(), 100);
    EXPECT_EQ(run.baselines, 2);
    EXPECT_EQ(list_.At(0).size, 1000000);
    EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ProftpdDownload, AFilePresentIsNotFetchedAgain) {
    StartServer();
    std::string a = Serve("v100", "p101.cpk", 50000, 3);
    std::string b = Serve("v100", "p102.cpk", 50000, 4);
    WriteFile(Local("p101.cpk"), a);
    DownloadRun run = RunDownload(server_->port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(Count("RETR /v100/p101.cpk"), 0);
    EXPECT_GE(CountReaching("RETR /v100/p102.cpk", 1), 1);
    EXPECT_EQ(ReadFile(Local("p102.cpk")), b);
    // The first progress already counts the file that was there.
    ASSERT_GE(run.Count(UM_PROGRESS), 1);
    auto first = std::find_if(run.events.begin(), run.events.end(),
                              [](const UpdateEvent& e) { return e.message == UM_PROGRESS; });
    EXPECT_EQ(first->lParam, 50);
}

// A package already in download\ is used only when its digest is the one
// the version server gave: one cut short or re-released under the same name
// is fetched again.
TEST_F(ProftpdDownload, AFilePresentWithAnotherDigestIsFetchedAgain) {
    StartServer();
    std::string a = Serve("v100", "p101.cpk", 60000, 9);
    WriteFile(Local("p101.cpk"), a.substr(0, 30000));  // cut short
    DownloadRun run = RunDownload(server_->port(), list_);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local("p101.cpk")), a);
    EXPECT_GE(CountReaching("RETR /v100/p101.cpk", 1), 1);
    EXPECT_EQ(run.Count(UM_VERIFY_FAILED), 0);
    EXPECT_EQ(boxes_.count(), 0u);
}

// A file that fails its check is fetched again once, as the box says; when
// the second one fails too, the file on the server is the damaged one.
TEST_F(ProftpdDownload, ADigestMismatchFetchesOnceMoreThenNamesTheFile) {
    StartServer();
    Serve("v100", "p101.cpk", 70000, 5);
    PatchFileEntry e = list_.At(0);
    list_.Clear();
    e.md5Text = std::string(32, '0');
    list_.Append(e);
    DownloadRun run = RunDownload(server_->port(), list_);
    ASSERT_EQ(run.last(), UM_RESET);
    EXPECT_EQ(run.Count(UM_VERIFY_FAILED), 1);
    EXPECT_EQ(CountReaching("RETR /v100/p101.cpk", 6), 6);  // three ranges, twice
    ASSERT_GE(run.events.size(), 3u);
    size_t n = run.events.size();
    EXPECT_EQ(run.events[n - 3].message, UM_PROGRESS);
    EXPECT_EQ(run.events[n - 3].lParam, 0);
    EXPECT_EQ(run.events[n - 2].message, UM_SPEED);
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text,
              std::string(GBK("补丁文件p101.cpk仍未通过验证,服务器上的文件可能已损坏")));
    EXPECT_FALSE(platform::Exists(Local("p101.cpk")));
    EXPECT_FALSE(platform::Exists(CPartFile::PartPath(Local("p101.cpk"))));
}

TEST_F(ProftpdDownload, AFileMissingOnTheServerGivesTheSizeMessage) {
    StartServer();
    Serve("v100", "p101.cpk", 1000, 6);
    PatchFileEntry missing = Entry("v100", "gone.cpk", local_.path(), "x");
    list_.Append(missing);
    DownloadRun run = RunDownload(server_->port(), list_);
    EXPECT_EQ(run.last(), UM_RESET);
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text, std::string(GBK("无法下载该补丁文件")) + ":gone.cpk");
    EXPECT_EQ(boxes_.asked()[0].caption, GBK("提示"));
    EXPECT_EQ(Count("RETR"), 0) << "sizes are read before anything is fetched";
}

// A partial file that holds every byte is finished when it is opened; the
// run goes on with its check instead of ending without a word.
TEST_F(ProftpdDownload, AFinishedPartialFileIsCheckedAndUsed) {
    StartServer();
    std::string a = Serve("v100", "p101.cpk", 4000, 7);
    std::string b = Serve("v100", "p102.cpk", 5000, 8);
    PartTrailer t = NewPartTrailer(Local("p101.cpk"), 4000, 2);
    for (uint32_t i = 0; i < t.segmentCount; ++i) {
        t.segment[i].received = t.segment[i].length;
    }
    t.received = 4000;
    uint8_t bytes[kPartTrailerSize];
    EncodePartTrailer(t, bytes);
    WriteFile(CPartFile::PartPath(Local("p101.cpk")),
              a + std::string(reinterpret_cast<char*>(bytes), sizeof bytes));

    DownloadRun run = RunDownload(server_->port(), list_);
    EXPECT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local("p101.cpk")), a);
    EXPECT_EQ(ReadFile(Local("p102.cpk")), b);
    EXPECT_EQ(Count("RETR /v100/p101.cpk"), 0);
    EXPECT_EQ(boxes_.count(), 0u);
}

// download\ that cannot hold the partial file: the run ends naming it.
TEST_F(ProftpdDownload, APartialFileThatCannotBeCreatedIsNamed) {
    StartServer();
    Serve("v100", "p101.cpk", 4000, 7);
    // A folder where the partial file should go.
    ASSERT_TRUE(platform::CreateDirectory(CPartFile::PartPath(Local("p101.cpk"))));
    WriteFile(CPartFile::PartPath(Local("p101.cpk")) + "\\held", "x");
    DownloadRun run = RunDownload(server_->port(), list_);
    EXPECT_EQ(run.last(), UM_RESET);
    ASSERT_EQ(boxes_.count(), 1u);
    EXPECT_EQ(boxes_.asked()[0].text, FillInText(GBK("无法创建文件%s,请检查下载目录"),
                                                 CPartFile::PartPath(Local("p101.cpk"))));
    EXPECT_EQ(Count("RETR"), 0);
}

// A network that drops every transfer starting at one of the given offsets
// once it has carried `after` bytes, as a server or a router may.
class DroppingReader : public FtpDataReader {
public:
    DroppingReader(std::vector<uint32_t> starts, size_t after)
        : starts_(std::move(starts)), after_(after) {}

    void Begin(platform::TcpSocket& data, uint32_t offset) override {
        std::lock_guard<std::mutex> lock(mu_);
        const bool drop = std::find(starts_.begin(), starts_.end(), offset) != starts_.end();
        left_[&data] = drop ? after_ : SIZE_MAX;
    }
    platform::Result<size_t> Read(platform::TcpSocket& data, void* buffer, size_t size) override {
        size_t left;
        {
            std::lock_guard<std::mutex> lock(mu_);
            left = left_.at(&data);
        }
        if (left == 0) {
            return size_t{0};  // the connection ends here
        }
        auto got = data.Recv(buffer, std::min(size, left));
        if (got && left != SIZE_MAX) {
            std::lock_guard<std::mutex> lock(mu_);
            left_[&data] = left - *got;
        }
        return got;
    }

private:
    const std::vector<uint32_t> starts_;
    const size_t after_;
    std::mutex mu_;
    std::map<const platform::TcpSocket*, size_t> left_;
};

TEST_F(ProftpdDownload, DroppedTransfersResumeWhereTheirQueuedBytesEnd) {
    StartServer();
    std::string a = Serve("v100", "p101.cpk", 900000, 8);
    // Each segment's first transfer is dropped after 50,000 bytes.
    DroppingReader network({0, 300000, 600000}, 50000);
    FtpDownloaderOptions options;
    options.dataReader = &network;
    DownloadRun run = RunDownload(server_->port(), list_, options);
    ASSERT_EQ(run.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local("p101.cpk")), a);
    EXPECT_EQ(CountReaching("REST 50000", 1), 1);
    EXPECT_EQ(CountReaching("REST 350000", 1), 1);
    EXPECT_EQ(CountReaching("REST 650000", 1), 1);
    EXPECT_EQ(CountReaching("RETR", 6), 6);
}

TEST_F(ProftpdDownload, AStoppedRunKeepsOnlyWhatArrivedAndTheNextOneResumes) {
    ProftpdOptions slow;
    slow.retrRateKBps = 200;
    StartServer(slow);
    std::string a = Serve("v100", "p101.cpk", 1500000, 9);
    // Stop once the bar has moved.
    DownloadRun stopped =
        RunDownload(server_->port(), list_, {}, [](CFtpDownloader& d, const UpdateEvent& e) {
            if (e.message == UM_PROGRESS && e.lParam >= 5) {
                d.Stop();
            }
        });
    ASSERT_EQ(stopped.last(), UM_RESET);
    std::string part = ReadFile(CPartFile::PartPath(Local("p101.cpk")));
    ASSERT_EQ(part.size(), a.size() + kPartTrailerSize);
    PartTrailer t{};
    ASSERT_TRUE(DecodePartTrailer(reinterpret_cast<const uint8_t*>(part.data()) + a.size(),
                                  kPartTrailerSize, part.size(), t));
    EXPECT_GT(t.received, 0u);
    EXPECT_LT(t.received, a.size());
    for (uint32_t i = 0; i < t.segmentCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(part.substr(t.segment[i].start, t.segment[i].received),
                  a.substr(t.segment[i].start, t.segment[i].received));
    }

    int retrBefore = Count("RETR");
    DownloadRun resumed = RunDownload(server_->port(), list_);
    ASSERT_EQ(resumed.last(), UM_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(Local("p101.cpk")), a);
    // Each unfinished segment goes on where its bytes end; one that starts at
    // the file's first byte and received nothing needs no REST.
    for (uint32_t i = 0; i < t.segmentCount; ++i) {
        uint32_t at = t.segment[i].start + t.segment[i].received;
        if (at == 0 || t.segment[i].received == t.segment[i].length) {
            continue;
        }
        EXPECT_GE(CountReaching("REST " + std::to_string(at), 1), 1) << "segment " << i;
    }
    EXPECT_GT(CountReaching("RETR", retrBefore + 1), retrBefore);
}

}  // namespace
