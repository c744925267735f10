// The announcement and the update notes from nginx on loopback, as
// drevik --news prints them.
#include "patcher/NewsPages.h"

#include <gtest/gtest.h>

#include <sstream>

#include "patcher/text/LocalText.h"
#include "platform/text.h"
#include "testsupport/nginx_server.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::NginxServer;
using testsupport::WriteFile;

// The patcher's text columns of a UTF-8 line: a Chinese character 2.
size_t Columns(const std::string& utf8) {
    return platform::Utf8ToGbk(utf8).size();
}

// update.ini naming the two pages (the keys in GBK, as the patcher has them).
std::string NewsIni(const std::string& notice, const std::string& notes) {
    return "[url]\r\n" + platform::Utf8ToGbk("公告") + "=" + notice + "\r\n" +
           platform::Utf8ToGbk("更新信息") + "=" + notes + "\r\n";
}

// Fast bounds for the pages that must fail; generous ones for the rest.
http::FetchOptions TestOptions(const NginxServer& server) {
    http::FetchOptions options = NewsFetchOptions();
    options.caFile = server.caFile();
    return options;
}

class NewsPages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.ok()) << server_.error();
        ResetLocalText();
        std::string notice =
            "<html><head><title>公告</title><script>var x = 1;</script></head>"
            "<body><h2>服务器维护公告</h2><p>本周四上午停机维护，"
            "维护期间无法登录游戏。</p><ul><li>新增副本</li>"
            "<li>修正问题</li></ul><p><a href=\"/forum\">玩家论坛</a></p>"
            "</body></html>";
        // The announcement comes in GBK, named by the server's header only.
        WriteFile(server_.root() + "\\gbk\\notice.html", platform::Utf8ToGbk(notice));
        WriteFile(server_.root() + "\\notes.html",
                  "<meta charset=\"utf-8\"><h3>版本 1.0.103 更新内容</h3>"
                  "<ol><li>地图调整</li><li>签名检查</li></ol>");
        std::string big = "<meta charset=\"utf-8\">";
        while (big.size() < 3 * 1024 * 1024) {
            big += "<p>很长的更新信息 long notes line</p>\n";
        }
        WriteFile(server_.root() + "\\big.html", big);
    }
    void TearDown() override { ResetLocalText(); }

    int RunNews(const std::string& ini, std::string& out, std::string& err, int width = 40) {
        WriteFile(game_ / "update.ini", ini);
        std::ostringstream o, e;
        int code = RunNewsCommand(o, e, width, TestOptions(server_), game_.path());
        out = o.str();
        err = e.str();
        return code;
    }

    NginxServer server_;
    testsupport::TempDir game_;
};

TEST_F(NewsPages, NewsPrintsBothPagesWrappedToTheWidth) {
    const std::string base = server_.HttpBase();
    std::string out, err;
    ASSERT_EQ(RunNews(NewsIni(base + "/gbk/notice.html", base + "/notes.html"), out, err), 0)
        << err;
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("== 公告  " + base + "/gbk/notice.html\n"), std::string::npos) << out;
    EXPECT_NE(out.find("== 更新信息  " + base + "/notes.html\n"), std::string::npos) << out;
    EXPECT_NE(out.find("服务器维护公告"), std::string::npos) << out;
    EXPECT_NE(out.find("新增副本"), std::string::npos) << out;
    EXPECT_NE(out.find("1.0.103"), std::string::npos) << out;
    // The link is resolved against the page's address; the script is gone.
    EXPECT_NE(out.find(base + "/forum"), std::string::npos) << out;
    EXPECT_EQ(out.find("var x"), std::string::npos) << out;
    // Page lines keep to the width (the headers of the pages are ours).
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("== ", 0) != 0 && line.find("http") == std::string::npos) {
            EXPECT_LE(Columns(line), 40u) << line;
        }
    }
}

TEST_F(NewsPages, APageThatCannotBeLoadedIsNamedWithTheReason) {
    const std::string base = server_.HttpBase();
    std::string out, err;
    EXPECT_EQ(RunNews(NewsIni(base + "/missing.html", base + "/notes.html"), out, err), 1);
    EXPECT_NE(err.find(base + "/missing.html"), std::string::npos) << err;
    EXPECT_NE(err.find("404"), std::string::npos) << err;
    EXPECT_NE(out.find("1.0.103"), std::string::npos) << out;  // the other one is printed

    // No address at all: nothing is fetched, and it says so.
    EXPECT_EQ(RunNews(NewsIni("", base + "/notes.html"), out, err), 1);
    EXPECT_NE(err.find("update.ini gives no address"), std::string::npos) << err;
    // No update.ini: both are missing.
    std::ostringstream o, e;
    testsupport::TempDir empty;
    EXPECT_EQ(RunNewsCommand(o, e, 40, TestOptions(server_), empty.path()), 1);
}

TEST_F(NewsPages, APageOfSeveralMegabytesIsCutAndSaysSo) {
    NewsPage page = LoadNewsPage(server_.HttpBase() + "/big.html", TestOptions(server_));
    ASSERT_TRUE(page.loaded) << page.reason;
    EXPECT_TRUE(page.page.cut);
    EXPECT_FALSE(page.page.blocks.empty());

    // The console shows the first lines and how many more there are.
    std::vector<std::string> lines = NewsLines(page.page, 30, 5);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[4].find("more lines: drevik --news"), std::string::npos) << lines[4];
    EXPECT_NE(lines[5].find("cut"), std::string::npos) << lines[5];
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_LE(Columns(lines[i]), 30u) << lines[i];
    }
}

}  // namespace
