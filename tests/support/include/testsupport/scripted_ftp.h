// A small FTP server for the tests, on a loopback port chosen at run time:
// anonymous login, TYPE, PASV, SIZE, REST and RETR over files held in
// memory, and the faults a real server cannot be made to show on demand
// (no restart support, a data connection dropped mid-transfer, odd replies).
// One thread accepts, one thread serves each control connection; all stop
// with the object.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"

namespace testsupport {

struct ScriptedFtpOptions {
    // REST answered with 350; otherwise "502 Command not implemented".
    bool allowRest = true;
    // The first cutTransfers transfers are closed by the server after
    // cutAfterBytes bytes of data (0 = none cut).
    int cutTransfers = 0;
    uint32_t cutAfterBytes = 0;
    // The first corruptTransfers transfers carry their first byte changed.
    int corruptTransfers = 0;
    // Transfers open their data connection and then send nothing, holding
    // it open until the client closes it.
    bool silentData = false;
    // Files whose transfer never ends: their contents are sent over and
    // over until the client closes the data connection (then 426).
    std::set<std::string> endless;
    // After trickleAfter bytes of a transfer (0: never), the rest comes a
    // byte every trickleMs: a server that never goes quite silent.
    uint32_t trickleAfter = 0;
    uint32_t trickleMs = 100;
    // Logins accepted before PASS is refused with 530 (-1: all).
    int loginsAllowed = -1;
    // The address the PASV reply names (the port is always the real one).
    std::string pasvHost = "127.0.0.1";
    // Replies used instead of the normal ones, by command verb ("PASV",
    // "SIZE", "USER", "PASS", "TYPE", "RETR", "REST") or "greeting"; the text
    // is sent as given (include the "\r\n"); an empty text leaves the
    // command unanswered, as a server that stopped talking would.
    std::map<std::string, std::string> replies;
};

class ScriptedFtpServer {
public:
    // files maps remote paths ("/v100/a.cpk") to contents.
    explicit ScriptedFtpServer(std::map<std::string, std::string> files,
                               ScriptedFtpOptions options = {});
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    bool ok() const { return port_ != 0; }
    uint16_t port() const { return port_; }
    // Every command line received, without "\r\n", in arrival order, and
    // kSessionEnded where a client's control connection ended.
    std::vector<std::string> commands() const;
    static constexpr const char* kSessionEnded = "(session ended)";
    // Waits until at least n command lines that start with prefix have
    // arrived; false when limitMs pass first.
    bool WaitForCommands(const std::string& prefix, size_t n, uint32_t limitMs) const;
    // The offsets RETR started at (REST values accepted, 0 without).
    std::vector<uint32_t> retrOffsets() const;
    int logins() const { return logins_.load(); }

private:
    void AcceptLoop();
    void Serve(platform::TcpSocket control);
    void Record(const std::string& line);

    std::map<std::string, std::string> files_;
    ScriptedFtpOptions options_;
    platform::TcpSocket listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> cuts_{0};
    std::atomic<int> corruptions_{0};
    std::atomic<int> logins_{0};
    std::thread acceptThread_;
    mutable std::mutex mu_;
    mutable std::condition_variable recorded_;  // a command line arrived
    std::vector<std::thread> sessions_;
    std::vector<std::string> commands_;
    std::vector<uint32_t> retrOffsets_;
};

}  // namespace testsupport
