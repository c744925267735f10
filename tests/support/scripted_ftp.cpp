#include "testsupport/scripted_ftp.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "platform/clock.h"

namespace testsupport {
namespace {

constexpr int kPollMs = 20;
// How long the server waits for the client's data connection after RETR.
constexpr int kDataAcceptPolls = 500;

bool SendText(platform::TcpSocket& s, const std::string& text) {
    return static_cast<bool>(s.SendAll(text.data(), text.size()));
}

// One line from a blocking socket, polling the stop flag; nothing when the
// peer closed or the server stops.
std::optional<std::string> ReadLine(platform::TcpSocket& s, const std::atomic<bool>& stop) {
    std::string line;
    while (!stop.load()) {
        platform::WaitResult w = s.WaitReadable(kPollMs);
        if (w == platform::WaitResult::kTimeout) {
            continue;
        }
        if (w == platform::WaitResult::kError) {
            return std::nullopt;
        }
        char c;
        auto got = s.Recv(&c, 1);
        if (!got || *got == 0) {
            return std::nullopt;
        }
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        line += c;
    }
    return std::nullopt;
}

}  // namespace

ScriptedFtpServer::ScriptedFtpServer(std::map<std::string, std::string> files,
                                     ScriptedFtpOptions options)
    : files_(std::move(files)), options_(std::move(options)) {
    auto l = platform::TcpSocket::Listen("127.0.0.1", 0, 32);
    if (!l) {
        return;
    }
    listener_ = std::move(l.value());
    auto port = listener_.LocalPort();
    if (!port) {
        return;
    }
    port_ = *port;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
    stop_ = true;
    if (acceptThread_.joinable()) {
        acceptThread_.join();
    }
    std::vector<std::thread> sessions;
    {
        std::lock_guard<std::mutex> lock(mu_);
        sessions.swap(sessions_);
    }
    for (std::thread& t : sessions) {
        t.join();
    }
}

std::vector<std::string> ScriptedFtpServer::commands() const {
    std::lock_guard<std::mutex> lock(mu_);
    return commands_;
}

std::vector<uint32_t> ScriptedFtpServer::retrOffsets() const {
    std::lock_guard<std::mutex> lock(mu_);
    return retrOffsets_;
}

bool ScriptedFtpServer::WaitForCommands(const std::string& prefix, size_t n,
                                        uint32_t limitMs) const {
    std::unique_lock<std::mutex> lock(mu_);
    return recorded_.wait_for(lock, std::chrono::milliseconds(limitMs), [&] {
        size_t seen = 0;
        for (const std::string& c : commands_) {
            seen += c.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return seen >= n;
    });
}

void ScriptedFtpServer::Record(const std::string& line) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        commands_.push_back(line);
    }
    recorded_.notify_all();
}

void ScriptedFtpServer::AcceptLoop() {
    while (!stop_.load()) {
        if (listener_.WaitReadable(kPollMs) != platform::WaitResult::kReady) {
            continue;
        }
        auto conn = listener_.Accept();
        if (!conn) {
            continue;
        }
        std::lock_guard<std::mutex> lock(mu_);
        sessions_.emplace_back([this, c = std::make_shared<platform::TcpSocket>(std::move(
                                          conn.value()))]() mutable { Serve(std::move(*c)); });
    }
}

void ScriptedFtpServer::Serve(platform::TcpSocket control) {
    auto reply = [&](const std::string& verb, const std::string& normal) {
        auto it = options_.replies.find(verb);
        return SendText(control, it != options_.replies.end() ? it->second : normal);
    };
    if (!reply("greeting", "220 scripted test server\r\n")) {
        return;
    }
    platform::TcpSocket pasv;
    uint32_t rest = 0;
    while (auto line = ReadLine(control, stop_)) {
        Record(*line);
        size_t blank = line->find(' ');
        std::string verb = line->substr(0, blank);
        std::string arg = blank == std::string::npos ? "" : line->substr(blank + 1);
        bool sent = true;
        if (verb == "USER") {
            sent = reply(verb, "331 send your e-mail address as password\r\n");
        } else if (verb == "PASS") {
            if (options_.loginsAllowed >= 0 && logins_.load() >= options_.loginsAllowed) {
                sent = SendText(control, "530 Login incorrect\r\n");
                continue;
            }
            logins_.fetch_add(1);
            sent = reply(verb, "230 logged in\r\n");
        } else if (verb == "TYPE") {
            sent = reply(verb, "200 Type set to I\r\n");
        } else if (verb == "PASV") {
            auto l = platform::TcpSocket::Listen("127.0.0.1", 0, 1);
            if (!l) {
                sent = SendText(control, "425 cannot listen\r\n");
                continue;
            }
            pasv = std::move(l.value());
            uint16_t p = *pasv.LocalPort();
            std::string host = options_.pasvHost;
            std::replace(host.begin(), host.end(), '.', ',');
            sent =
                reply(verb, "227 Entering Passive Mode (" + host + "," + std::to_string(p / 256) +
                                "," + std::to_string(p % 256) + ").\r\n");
        } else if (verb == "SIZE") {
            auto it = files_.find(arg);
            sent = it == files_.end()
                       ? reply(verb, "550 " + arg + ": No such file or directory\r\n")
                       : reply(verb, "213 " + std::to_string(it->second.size()) + "\r\n");
        } else if (verb == "REST") {
            if (options_.allowRest) {
                rest = static_cast<uint32_t>(std::stoul(arg));
                sent = reply(verb, "350 Restarting at " + arg + "\r\n");
            } else {
                sent = reply(verb, "502 Command not implemented\r\n");
            }
        } else if (verb == "RETR") {
            auto it = files_.find(arg);
            if (it == files_.end()) {
                sent = reply(verb, "550 " + arg + ": No such file or directory\r\n");
                continue;
            }
            if (!pasv.IsOpen()) {
                sent = SendText(control, "425 use PASV first\r\n");
                continue;
            }
            {
                std::lock_guard<std::mutex> lock(mu_);
                retrOffsets_.push_back(rest);
            }
            if (!reply(verb, "150 Opening BINARY mode data connection\r\n")) {
                return;
            }
            std::optional<platform::TcpSocket> data;
            for (int i = 0; i < kDataAcceptPolls && !stop_.load() && !data; ++i) {
                if (pasv.WaitReadable(kPollMs) == platform::WaitResult::kReady) {
                    if (auto a = pasv.Accept()) {
                        data = std::move(a.value());
                    }
                }
            }
            pasv.Close();
            if (!data) {
                sent = SendText(control, "425 no data connection\r\n");
                continue;
            }
            if (options_.silentData) {
                // Hold the connection, saying nothing, until the client gives up.
                while (!stop_.load() &&
                       data->WaitReadable(kPollMs) == platform::WaitResult::kTimeout) {
                }
                data->Close();
                rest = 0;
                continue;
            }
            if (options_.endless.count(arg) != 0 && !it->second.empty()) {
                while (!stop_.load() && data->SendAll(it->second.data(), it->second.size())) {
                }
                data->Close();
                rest = 0;
                sent = SendText(control, "426 Transfer aborted\r\n");
                continue;
            }
            std::string bytes = it->second;
            if (!bytes.empty() && corruptions_.fetch_add(1) < options_.corruptTransfers) {
                bytes[std::min<size_t>(rest, bytes.size() - 1)] ^= 0x5A;
            }
            size_t from = std::min<size_t>(rest, bytes.size());
            size_t end = bytes.size();
            bool cut = false;
            if (options_.cutTransfers > 0 && cuts_.fetch_add(1) < options_.cutTransfers) {
                end = std::min(end, from + options_.cutAfterBytes);
                cut = true;
            }
            constexpr size_t kChunk = 16384;
            for (size_t at = from; at < end && !stop_.load();) {
                const bool trickle =
                    options_.trickleAfter > 0 && at - from >= options_.trickleAfter;
                const size_t n = trickle ? 1 : std::min(kChunk, end - at);
                if (trickle) {
                    platform::SleepMs(options_.trickleMs);
                }
                if (!data->SendAll(bytes.data() + at, n)) {
                    break;
                }
                at += n;
            }
            data->Close();
            rest = 0;
            sent =
                SendText(control, cut ? "426 Transfer aborted\r\n" : "226 Transfer complete\r\n");
        } else if (verb == "QUIT") {
            SendText(control, "221 Goodbye\r\n");
            return;
        } else {
            sent = SendText(control, "500 unknown command\r\n");
        }
        if (!sent) {
            return;
        }
    }
    if (!stop_.load()) {
        Record(kSessionEnded);  // the client closed it (or it broke)
    }
}

}  // namespace testsupport
