#include "patcher/ServerList.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <random>

#include "patcher/CConfigFile.h"
#include "patcher/LoginChoice.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/net.h"
#include "platform/text.h"

namespace {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&out[0], out.size(), format, args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

int CappedCount(int32_t count, int cap) {
    return std::clamp<int32_t>(count, 0, cap);
}

void ShowOk(void* owner, const char* gbkText) {
    std::string text = GetLocalText(gbkText);
    platform::ShowMessageBox(owner, text.c_str(), nullptr, platform::kMbOk);
}

}  // namespace

ServerListData ServerListState::Snapshot() const {
    std::lock_guard<std::mutex> lock(mu_);
    return data_;
}

void ServerListState::Modify(const std::function<void(ServerListData&)>& change) {
    std::lock_guard<std::mutex> lock(mu_);
    change(data_);
}

void ServerListState::RemoveVersionServer(const std::string& address) {
    std::lock_guard<std::mutex> lock(mu_);
    auto& servers = data_.versionServers;
    auto it = std::find(servers.begin(), servers.end(), address);
    if (it != servers.end()) {
        servers.erase(it);
    }
}

std::string FormatServerRow(const std::string& name, int rtt) {
    return rtt == kNoAnswer ? Format(kRowNoAnswerFormat, name.c_str())
                            : Format(kRowFormat, name.c_str(), rtt);
}

void BuildServerList(ServerListState& state, PicListModel& list, const ServerListOptions& options) {
    std::minstd_rand generator(platform::TickCount());
    auto random = [&]() -> uint32_t {
        return options.random ? options.random() : static_cast<uint32_t>(generator());
    };

    CPinger pinger;
    pinger.SetDeliveryFilter(options.deliver);
    LoginChoice stored = ReadLoginChoice(options.settings);

    std::string folder = options.folder.empty() ? platform::CurrentDirectory() : options.folder;
    CConfigFile config;
    bool configRead = config.Load((folder + "\\update.ini").c_str(), true);
    int n = CappedCount(config.GetInt("config Borough_num"), kMaxServers);

    list.ResetContent();
    int best = kBestStart;
    int32_t lineType = 0;
    std::map<int, std::string> loginByServer;
    std::map<int, std::string> nameByServer;
    std::vector<ServerProbe> servers;

    for (int i = 0; i < n; ++i) {
        ServerProbe server;
        server.name = config.GetString(Format("Borough%d name", i).c_str());
        server.lineType = config.GetInt(Format("Borough%d dianxin", i).c_str());
        int k = CappedCount(config.GetInt(Format("Borough%d login_num", i).c_str()),
                            kMaxLoginAddresses);
        int fastest = kFastestStart;

        pinger.Init(options.pingTimeoutMs, options.preferRaw);
        // One address at a time: parallel echoes would share the line they
        // are meant to measure.
        for (int j = 0; j < k; ++j) {
            LoginProbe login;
            login.address = config.GetString(Format("Borough%d ip%d", i, j).c_str());
            int id = pinger.Ping(login.address);
            // A name that takes long to resolve holds the list no longer
            // than the echo's time-out and the pinger's stop wait.
            login.rtt = id == -1
                            ? kNoAnswer
                            : pinger.WaitForResult(
                                  id, static_cast<int>(options.pingTimeoutMs + kPingStopWaitMs));
            login.way = id == -1 ? PingWay::kNone : pinger.Way(id);
            server.logins.push_back(login);
        }
        std::vector<int> reachable;
        for (int j = 0; j < k; ++j) {
            int rtt = server.logins[static_cast<size_t>(j)].rtt;
            if (rtt != kNoAnswer) {
                reachable.push_back(j);
                fastest = std::min(fastest, rtt);
            }
        }

        int chosenRtt = kNoAnswer;
        if (!reachable.empty()) {
            server.chosen = reachable[random() % reachable.size()];
        } else if (k > 0) {
            server.chosen = static_cast<int>(random() % static_cast<uint32_t>(k));
        }
        if (server.chosen >= 0) {
            const LoginProbe& chosen = server.logins[static_cast<size_t>(server.chosen)];
            loginByServer[i] = chosen.address;
            chosenRtt = chosen.rtt;
        }

        server.row = FormatServerRow(server.name, chosenRtt);
        list.SetItem(i, server.row);
        if (stored.found) {
            for (const LoginProbe& login : server.logins) {
                if (login.address == stored.text) {
                    list.SetCurSel(i);
                    break;
                }
            }
        }
        nameByServer[i] = server.name;
        if (fastest < best) {
            best = fastest;
            lineType = server.lineType;
        }
        servers.push_back(std::move(server));
    }
    pinger.Stop();
    list.UpdateScrollState();

    state.Modify([&](ServerListData& d) {
        d.loginByServer = std::move(loginByServer);
        d.nameByServer = std::move(nameByServer);
        d.registryFound = stored.found;
        d.registryLogin = stored.text;
        d.lineType = lineType;
        d.configRead = configRead;
        d.servers = std::move(servers);
    });

    std::vector<std::string> versionServers;
    std::vector<VersionHost> versionHosts;
    int m = CappedCount(config.GetInt("checkversion num"), kMaxVersionServers);
    for (int t = 0; t < m; ++t) {
        VersionHost host;
        host.host = config.GetString(Format("checkversion ip%d", t).c_str());
        std::vector<std::string> addresses = platform::ResolveIPv4(host.host);
        if (addresses.empty()) {
            ShowOk(options.owner, GBK("解析域名错误!"));
        } else {
            host.address = addresses.front();
            versionServers.push_back(host.address);
        }
        versionHosts.push_back(std::move(host));
    }
    state.Modify([&](ServerListData& d) {
        d.versionServerCount = static_cast<int32_t>(versionServers.size());
        d.versionServers = std::move(versionServers);
        d.versionHosts = std::move(versionHosts);
    });

    if (options.repaint) {
        options.repaint();
    }
}

void StoreLoginChoice(ServerListState& state, const PicListModel& list, void* owner,
                      const platform::SettingsStore& settings) {
    int selected = list.GetCurSel();
    std::string chosen;
    std::string stored;
    state.Modify([&](ServerListData& d) {
        auto it = d.loginByServer.find(selected);
        d.chosenLogin = it == d.loginByServer.end() ? std::string() : it->second;
        chosen = d.chosenLogin;
        stored = d.registryLogin;
    });
    if (chosen.empty() || chosen == stored) {
        return;
    }
    if (!WriteLoginChoice(settings, chosen)) {
        ShowOk(owner, GBK("将区域信息写入注册表失败，请解锁注册表"));
    }
}
