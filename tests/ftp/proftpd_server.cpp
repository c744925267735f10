#include "proftpd_server.h"

#include <dirent.h>

#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/net.h"
#include "testsupport/server_process.h"
#include "testsupport/wait.h"

namespace testsupport {
namespace {

constexpr const char* kProftpd = "/usr/sbin/proftpd";
constexpr int kPortAttempts = 5;
constexpr uint32_t kStartPollMs = 50;
constexpr uint16_t kPassivePorts = 64;

// The uid of this process, from /proc (POSIX only, like proftpd itself).
std::string Uid() {
    auto status = platform::ReadWholeFile("\\proc\\self\\status");
    if (!status) {
        return "";
    }
    size_t at = status->find("\nUid:");
    if (at == std::string::npos) {
        return "";
    }
    at += 5;
    while (at < status->size() && ((*status)[at] == '\t' || (*status)[at] == ' ')) {
        ++at;
    }
    size_t end = status->find_first_not_of("0123456789", at);
    return status->substr(at, end - at);
}

}  // namespace

std::string ProftpdServer::Unavailable() {
    if (!platform::Exists(platform::SystemPathFromNative(kProftpd))) {
        return "proftpd is not installed (Debian package proftpd-core)";
    }
    if (Uid() != "0") {
        return "proftpd's anonymous sessions need root";
    }
    return "";
}

ProftpdServer::ProftpdServer(ProftpdOptions options) : options_(options) {
    error_ = Unavailable();
    if (!error_.empty()) {
        return;
    }
    platform::CreateDirectory(root());
    // The session processes run as root with a passwd file of their own,
    // so no system account or PAM is involved.
    WriteFile(dir_ / "passwd", "ftpanon:x:0:0::" + platform::NativePath(root()) + ":/bin/false\n");
    WriteFile(dir_ / "group", "ftpanon:x:0:\n");
    for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
        uint16_t port = options_.port != 0 ? options_.port : FreePort(options_.address);
        uint16_t passive = FreePort(options_.address);
        if (port == 0 || passive == 0 || passive > 65535 - kPassivePorts) {
            continue;
        }
        if (StartOn(port, passive)) {
            port_ = port;
            error_.clear();
            return;
        }
    }
    if (error_.empty()) {
        error_ = "proftpd did not start";
    }
    error_ += "\n" + Log();
}

bool ProftpdServer::StartOn(uint16_t port, uint16_t passiveFirst) {
    auto native = [](const std::string& p) { return platform::NativePath(p); };
    std::string rate = options_.retrRateKBps > 0
                           ? "TransferRate RETR " + std::to_string(options_.retrRateKBps) + "\n"
                           : "";
    std::string conf =
        "ServerType standalone\n"
        "ServerName \"test\"\n"
        "DefaultAddress " +
        options_.address +
        "\n"
        "SocketBindTight on\n"
        "UseIPv6 off\n"
        "Port " +
        std::to_string(port) +
        "\n"
        "PassivePorts " +
        std::to_string(passiveFirst) + " " + std::to_string(passiveFirst + kPassivePorts - 1) +
        "\n"
        "User root\n"
        "Group root\n"
        "PidFile " +
        native(dir_ / "proftpd.pid") +
        "\n"
        "ScoreboardFile " +
        native(dir_ / "scoreboard") +
        "\n"
        "SystemLog " +
        native(dir_ / "system.log") +
        "\n"
        "TransferLog none\n"
        "LogFormat commands \"%m %J\"\n"
        "ExtendedLog " +
        native(dir_ / "commands.log") +
        " ALL commands\n"
        "WtmpLog off\n"
        "DelayTable none\n"
        "UseReverseDNS off\n"
        "RequireValidShell off\n"
        "AuthOrder mod_auth_file.c\n"
        "AuthFileOptions InsecurePerms\n"
        "AuthUserFile " +
        native(dir_ / "passwd") +
        "\n"
        "AuthGroupFile " +
        native(dir_ / "group") +
        "\n"
        "MaxInstances 200\n"
        "TimeoutIdle 600\n" +
        rate + "<Anonymous " + native(root()) +
        ">\n"
        "  User ftpanon\n"
        "  Group ftpanon\n"
        "  UserAlias Anonymous ftpanon\n"
        "  RootLogin on\n"
        "  RequireValidShell off\n"
        "  AnonRequirePassword off\n"
        "  MaxClients 100\n"
        "  <Limit WRITE>\n"
        "    DenyAll\n"
        "  </Limit>\n" +
        std::string(options_.refuseLogins ? "  <Limit LOGIN>\n    DenyAll\n  </Limit>\n" : "") +
        "</Anonymous>\n";
    WriteFile(dir_ / "proftpd.conf", conf);
    auto p = platform::StartProgram(platform::SystemPathFromNative(kProftpd),
                                    {"-n", "-q", "-c", native(dir_ / "proftpd.conf")}, "");
    if (!p) {
        error_ = "cannot start proftpd: " + p.error().Message();
        return false;
    }
    process_ = std::move(p.value());
    for (int waited = 0; waited < options_.startTimeoutMs; waited += kStartPollMs) {
        if (process_.Wait(0)) {
            return false;  // it ended: most likely the port was taken meanwhile
        }
        if (Accepts(options_.address, port)) {
            return true;
        }
        platform::SleepMs(kStartPollMs);
    }
    process_.Kill();
    process_.Wait(-1);
    return false;
}

ProftpdServer::~ProftpdServer() {
    // SIGTERM lets the server end its session processes as well.
    StopServer(process_);
}

std::vector<std::string> ProftpdServer::Commands() const {
    std::vector<std::string> lines;
    std::string text = ReadFile(dir_ / "commands.log");
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(at, end - at);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) {
            line.pop_back();
        }
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

namespace {

// The parent of process pid, from /proc/PID/stat ("pid (name) state ppid"),
// or -1.
long ParentOf(const std::string& pid) {
    auto stat = platform::ReadWholeFile("\\proc\\" + pid + "\\stat");
    if (!stat) {
        return -1;
    }
    size_t close = stat->rfind(')');
    if (close == std::string::npos || close + 4 >= stat->size()) {
        return -1;
    }
    return std::strtol(stat->c_str() + close + 4, nullptr, 10);
}

// Whether any process has parent as its parent.
bool HasChildren(long parent) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return false;
    }
    bool found = false;
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] >= '1' && e->d_name[0] <= '9' && ParentOf(e->d_name) == parent) {
            found = true;
            break;
        }
    }
    closedir(proc);
    return found;
}

}  // namespace

bool ProftpdServer::WaitForSessionsToEnd() const {
    // The standalone server forks a process for each session.
    const long server = std::strtol(ReadFile(dir_ / "proftpd.pid").c_str(), nullptr, 10);
    if (server <= 0) {
        return false;
    }
    return WaitUntil([&] { return !HasChildren(server); });
}

std::string ProftpdServer::Log() const {
    return ReadFile(dir_ / "system.log");
}

}  // namespace testsupport
