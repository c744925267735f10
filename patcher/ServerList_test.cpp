#include "patcher/ServerList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "PingSupport_test.h"
#include "patcher/LoginChoice.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/settings.h"
#include "platform/text.h"
#include "testsupport/settings_store.h"
#include "testsupport/temp_dir.h"

namespace {

using platform::Utf8ToGbk;

// One server of a test update.ini.
struct Server {
    std::string name;  // UTF-8
    int line;
    std::vector<std::string> addresses;
};

class ServerListTest : public ::testing::Test {
protected:
    testsupport::ScopedSettingsStore store_{"ServerList"};

    void WriteConfig(const std::vector<Server>& servers,
                     const std::vector<std::string>& versionHosts = {}) {
        std::string ini = "[config]\r\nBorough_num = " + std::to_string(servers.size()) + "\r\n";
        for (size_t i = 0; i < servers.size(); ++i) {
            const Server& s = servers[i];
            ini += "[Borough" + std::to_string(i) + "]\r\nname = " + s.name +
                   "\r\ndianxin = " + std::to_string(s.line) +
                   "\r\nlogin_num = " + std::to_string(s.addresses.size()) + "\r\n";
            for (size_t j = 0; j < s.addresses.size(); ++j) {
                ini += "ip" + std::to_string(j) + " = " + s.addresses[j] + "\r\n";
            }
        }
        ini += "[checkversion]\r\nport = 7000\r\nnum = " + std::to_string(versionHosts.size()) +
               "\r\n";
        for (size_t t = 0; t < versionHosts.size(); ++t) {
            ini += "ip" + std::to_string(t) + " = " + versionHosts[t] + "\r\n";
        }
        testsupport::WriteFile(dir_ / "update.ini", Utf8ToGbk(ini));
    }

    ServerListOptions Options() {
        ServerListOptions o;
        o.folder = dir_.path();
        o.owner = &owner_;
        o.deliver = [this](const std::string& ip) { return dropped_.count(ip) == 0; };
        o.settings = store_.store();
        return o;
    }

    ServerListData Build(const ServerListOptions& options) {
        BuildServerList(state_, list_, options);
        return state_.Snapshot();
    }
    ServerListData Build() { return Build(Options()); }

    testsupport::TempDir dir_;
    int owner_ = 0;                  // stands for the dialog
    std::set<std::string> dropped_;  // requests to these are lost on the way
    platform::ScriptedMessageBoxes boxes_;
    ServerListState state_;
    PicListModel list_;
};

TEST_F(ServerListTest, RowsShowTheTimeOfEachServersChosenAddress) {
    PingWay way = pingtest::ExpectedWay();
    SKIP_WITHOUT_ECHO(way);
    WriteConfig({{"东区", 1, {"127.0.0.1", "127.0.0.2"}}, {"西区电信", 2, {"127.0.0.3"}}});
    ServerListOptions options = Options();
    options.pingTimeoutMs = pingtest::kAnswerTimeoutMs;
    ServerListData d = Build(options);

    ASSERT_EQ(list_.GetCount(), 2);
    ASSERT_EQ(d.servers.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const ServerProbe& s = d.servers[static_cast<size_t>(i)];
        ASSERT_GE(s.chosen, 0);
        const LoginProbe& chosen = s.logins[static_cast<size_t>(s.chosen)];
        EXPECT_GE(chosen.rtt, 0);
        EXPECT_EQ(chosen.way, way);
        EXPECT_EQ(list_.GetText(i), FormatServerRow(s.name, chosen.rtt));
        EXPECT_EQ(d.loginByServer.at(i), chosen.address);
    }
    EXPECT_EQ(d.nameByServer.at(0), Utf8ToGbk("东区"));
    EXPECT_EQ(d.nameByServer.at(1), Utf8ToGbk("西区电信"));
    EXPECT_TRUE(d.loginByServer.at(0) == "127.0.0.1" || d.loginByServer.at(0) == "127.0.0.2");
    EXPECT_EQ(list_.GetCurSel(), 0);  // nothing stored: the first row
    EXPECT_FALSE(d.registryFound);
    EXPECT_TRUE(d.configRead);
    EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ServerListTest, RowTextsKeepTheirColumns) {
    // Names are padded to 16 bytes (a GBK character is two), never cut.
    EXPECT_EQ(FormatServerRow(Utf8ToGbk("东区"), 5),
              "     " + Utf8ToGbk("东区") + std::string(12, ' ') + "   5 ms");
    EXPECT_EQ(FormatServerRow("abc", kNoAnswer), "     abc             >500 ms");
    EXPECT_EQ(FormatServerRow("abc", 12345), "     abc             12345 ms");
    EXPECT_EQ(FormatServerRow("a-name-of-20-chars..", 0), "     a-name-of-20-chars..   0 ms");
    EXPECT_EQ(FormatServerRow("", 0), "                        0 ms");
}

TEST_F(ServerListTest, OnlyTheAnsweringAddressIsChosenAndItsServerGivesTheLineType) {
    PingWay way = pingtest::ExpectedWay();
    SKIP_WITHOUT_ECHO(way);
    // The first server answers nowhere; of the second server's three
    // addresses only the second answers.
    WriteConfig(
        {{"silent", 5, {"127.0.0.4"}}, {"second", 7, {"127.0.0.1", "127.0.0.2", "127.0.0.3"}}});
    dropped_ = {"127.0.0.4", "127.0.0.1", "127.0.0.3"};
    uint32_t draws = 0;
    ServerListOptions options = Options();
    options.random = [&] { return draws++; };  // a different draw for every pick
    ServerListData d = Build(options);

    EXPECT_EQ(d.loginByServer.at(1), "127.0.0.2");
    const ServerProbe& s = d.servers[1];
    EXPECT_EQ(s.logins[0].rtt, kNoAnswer);
    EXPECT_GE(s.logins[1].rtt, 0);
    EXPECT_EQ(s.logins[2].rtt, kNoAnswer);
    EXPECT_EQ(list_.GetText(1), FormatServerRow("second", s.logins[1].rtt));
    EXPECT_EQ(list_.GetText(0), "     silent          >500 ms");
    EXPECT_EQ(d.lineType, 7);
}

TEST_F(ServerListTest, NoAnswerShowsOver500AndStillPicksAnAddressAtRandom) {
    WriteConfig({{"东区", 3, {"127.0.0.1", "127.0.0.2"}}, {"empty", 4, {}}});
    dropped_ = {"127.0.0.1", "127.0.0.2"};
    ServerListOptions options = Options();
    options.random = [] { return 1u; };  // rand() % 2 picks the second
    ServerListData d = Build(options);

    EXPECT_EQ(list_.GetText(0), "     " + Utf8ToGbk("东区") + "            >500 ms");
    EXPECT_EQ(d.loginByServer.at(0), "127.0.0.2");
    // A server without addresses gets a row but no login address.
    EXPECT_EQ(list_.GetText(1), "     empty           >500 ms");
    EXPECT_EQ(d.loginByServer.count(1), 0u);
    EXPECT_EQ(d.servers[1].chosen, -1);
    // Nothing answered at all: the first server gives the line type.
    EXPECT_EQ(d.lineType, 3);
}

TEST_F(ServerListTest, TheStoredAddressSelectsItsServersRow) {
    // Unanswered pings cost nothing here: whatever the way, the selection
    // depends only on the addresses.
    WriteConfig({{"one", 1, {"127.0.0.1"}},
                 {"two", 2, {"127.0.0.2"}},
                 {"three", 3, {"127.0.0.9", "127.0.0.3"}}});
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "127.0.0.3"));
    ServerListData d = Build();
    EXPECT_EQ(list_.GetCurSel(), 2);
    EXPECT_TRUE(d.registryFound);
    EXPECT_EQ(d.registryLogin, "127.0.0.3");

    // Equal means equal: a trailing blank matches no address.
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "127.0.0.3 "));
    Build();
    EXPECT_EQ(list_.GetCurSel(), 0);
}

TEST_F(ServerListTest, TheSelectedRowStaysInViewOnceTheListIsFull) {
    std::vector<Server> servers;
    for (int i = 0; i < 10; ++i) {
        servers.push_back({"s" + std::to_string(i), i, {"127.0.0." + std::to_string(i + 1)}});
    }
    WriteConfig(servers);
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "127.0.0.8"));  // server 7
    Build();
    EXPECT_EQ(list_.GetCount(), 10);
    EXPECT_EQ(list_.GetCurSel(), 7);
    // Six rows show: 7 is the last of rows 2..7, and the bar sits at 2 of 4
    // possible top rows.
    EXPECT_EQ(list_.GetTopIndex(), 2);
    EXPECT_EQ(list_.GetScrollBar().pos, 50);
}

TEST_F(ServerListTest, ARebuildReplacesRowsAndResults) {
    WriteConfig({{"a", 1, {"127.0.0.1"}}, {"b", 2, {"127.0.0.2"}}, {"c", 3, {"127.0.0.3"}}},
                {"127.0.0.1", "127.0.0.2"});
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "127.0.0.3"));
    Build();
    ASSERT_EQ(list_.GetCurSel(), 2);

    WriteConfig({{"z", 9, {"127.0.0.5"}}}, {"127.0.0.7"});
    ServerListData d = Build();
    EXPECT_EQ(list_.GetCount(), 1);
    EXPECT_EQ(list_.GetCurSel(), 0);
    EXPECT_EQ(d.loginByServer.size(), 1u);
    EXPECT_EQ(d.nameByServer.size(), 1u);
    EXPECT_EQ(d.lineType, 9);
    EXPECT_EQ(d.versionServers, std::vector<std::string>{"127.0.0.7"});
    EXPECT_EQ(d.versionServerCount, 1);
}

TEST_F(ServerListTest, AnUnresolvableVersionServerIsLeftOutWithOneBox) {
    WriteConfig({}, {"127.0.0.1", "nosuch.invalid"});
    ServerListData d = Build();
    EXPECT_EQ(d.versionServers, std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(d.versionServerCount, 1);
    auto asked = boxes_.asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, Utf8ToGbk("解析域名错误!"));
    EXPECT_FALSE(asked[0].hasCaption);  // the default caption
    EXPECT_EQ(asked[0].type, platform::kMbOk);
    EXPECT_EQ(asked[0].owner, &owner_);
    ASSERT_EQ(d.versionHosts.size(), 2u);
    EXPECT_EQ(d.versionHosts[1].address, "");

    // UpdateThread drops an unreachable server; the count stays.
    state_.RemoveVersionServer("127.0.0.1");
    EXPECT_TRUE(state_.Snapshot().versionServers.empty());
    EXPECT_EQ(state_.Snapshot().versionServerCount, 1);
}

TEST_F(ServerListTest, HostNamesResolveToTheirFirstAddress) {
    WriteConfig({}, {"localhost"});
    ServerListData d = Build();
    ASSERT_EQ(d.versionServers.size(), 1u);
    EXPECT_EQ(d.versionServers[0], platform::ResolveIPv4("localhost").front());
}

TEST_F(ServerListTest, AMissingConfigurationBuildsAnEmptyList) {
    ServerListData d = Build();
    EXPECT_FALSE(d.configRead);
    EXPECT_EQ(list_.GetCount(), 0);
    EXPECT_EQ(list_.GetCurSel(), 0);
    EXPECT_TRUE(d.loginByServer.empty());
    EXPECT_EQ(d.lineType, 0);
    EXPECT_EQ(d.versionServerCount, 0);
    EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ServerListTest, HugeCountsAreCapped) {
    testsupport::WriteFile(dir_ / "update.ini",
                           "[config]\r\nBorough_num = 2000000000\r\n"
                           "[Borough0]\r\nname = x\r\nlogin_num = 2000000000\r\n"
                           "[checkversion]\r\nnum = 2000000000\r\n");
    ServerListData d = Build();
    EXPECT_EQ(list_.GetCount(), kMaxServers);
    EXPECT_EQ(d.servers[0].logins.size(), static_cast<size_t>(kMaxLoginAddresses));
    EXPECT_EQ(boxes_.count(), static_cast<size_t>(kMaxVersionServers));
}

TEST_F(ServerListTest, StoringTheChoiceWritesOnlyAChangedNonEmptyAddress) {
    WriteConfig({{"a", 1, {"127.0.0.1"}}, {"b", 2, {"127.0.0.2"}}, {"none", 3, {}}});
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "127.0.0.2"));
    Build();
    ASSERT_EQ(list_.GetCurSel(), 1);

    // The same address as read: not written. (The store is changed behind
    // the build's back; a write would bring 127.0.0.2 back.)
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "sentinel"));
    StoreLoginChoice(state_, list_, &owner_, store_.store());
    EXPECT_EQ(ReadLoginChoice(store_.store()).text, "sentinel");
    EXPECT_EQ(state_.Snapshot().chosenLogin, "127.0.0.2");

    // A server without an address: nothing to store.
    list_.SetCurSel(2);
    StoreLoginChoice(state_, list_, &owner_, store_.store());
    EXPECT_EQ(ReadLoginChoice(store_.store()).text, "sentinel");
    EXPECT_EQ(state_.Snapshot().chosenLogin, "");

    list_.SetCurSel(0);
    StoreLoginChoice(state_, list_, &owner_, store_.store());
    EXPECT_EQ(ReadLoginChoice(store_.store()).text, "127.0.0.1");
    EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ServerListTest, AFailedRegistryWriteIsReported) {
    WriteConfig({{"a", 1, {"127.0.0.1"}}});
    Build();
    // A store that cannot be created: on Windows a key name longer than the
    // registry allows, elsewhere a folder that is a file.
#ifdef _WIN32
    const platform::SettingsStore unusable("SOFTWARE\\" + std::string(300, 'k'));
#else
    testsupport::WriteFile(dir_ / "blocker", "x");
    const platform::SettingsStore unusable(platform::NativePath(dir_ / "blocker") +
                                           "/registry.ini");
#endif
    StoreLoginChoice(state_, list_, &owner_, unusable);
    auto asked = boxes_.asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, Utf8ToGbk("将区域信息写入注册表失败，请解锁注册表"));
    EXPECT_FALSE(asked[0].hasCaption);
    EXPECT_EQ(asked[0].type, platform::kMbOk);
    EXPECT_EQ(asked[0].owner, &owner_);
}

TEST_F(ServerListTest, TheListAndResultsCanBeReadWhileABuildRuns) {
    std::vector<Server> servers;
    for (int i = 0; i < 8; ++i) {
        servers.push_back({"s" + std::to_string(i), i, {"127.0.0." + std::to_string(i + 1)}});
    }
    WriteConfig(servers, {"127.0.0.1"});
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load()) {
            PicListModel::View v = list_.Snapshot();
            ServerListData d = state_.Snapshot();
            EXPECT_LE(v.items.size(), 8u);
            EXPECT_LE(d.loginByServer.size(), 8u);
        }
    });
    Build();
    done.store(true);
    reader.join();
    EXPECT_EQ(list_.GetCount(), 8);
    EXPECT_EQ(state_.Snapshot().loginByServer.size(), 8u);
}

}  // namespace
