// Version servers on loopback for the tests: the real versiond serving a
// manifest and files written into a temporary folder, a server that accepts
// and never answers, and a port held where nobody listens. Each server runs on a
// thread of its own, on a port chosen at run time, and stops with its object.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "VersionServer.h"
#include "platform/net.h"
#include "testsupport/temp_dir.h"

namespace testsupport {

// versiond on 127.0.0.1 and a free port, or on the loopback address and port
// of options. files maps paths under the root ("a\b.cpk") to their
// contents; manifest is the manifest text.
class LoopbackVersionServer {
public:
    LoopbackVersionServer(const std::string& manifest,
                          const std::map<std::string, std::string>& files,
                          versiond::ServerOptions options = {});
    ~LoopbackVersionServer();
    LoopbackVersionServer(const LoopbackVersionServer&) = delete;
    LoopbackVersionServer& operator=(const LoopbackVersionServer&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    uint16_t port() const { return port_; }
    const std::string& root() const { return root_; }
    versiond::VersionServer& server() { return *server_; }
    // Log lines so far.
    std::vector<std::string> log() const;

private:
    TempDir dir_;
    std::string root_;
    std::string error_;
    uint16_t port_ = 0;
    std::unique_ptr<versiond::VersionServer> server_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex logMu_;
    std::vector<std::string> log_;
};

// Accepts every connection and reads what arrives, but never sends a byte;
// a connection ends when its client closes it.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    uint16_t port() const { return port_; }
    size_t accepted() const { return accepted_; }
    size_t bytesRead() const { return bytesRead_; }

private:
    platform::TcpSocket listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<size_t> accepted_{0};
    std::atomic<size_t> bytesRead_{0};
    std::thread thread_;
};

// A version server that answers as a script says, whatever that is: what a
// server of someone else's, or one in the hands of someone on the path,
// might send. Each connection's first request is handed to answer, whose
// bytes (frames, see MakeFrame) go back as they are; the connection then
// stays until the client closes it. One connection at a time.
class ScriptedVersionServer {
public:
    using Answer = std::function<std::vector<uint8_t>(const VersionRequest&)>;
    ScriptedVersionServer(const std::string& address, uint16_t port, Answer answer);
    ~ScriptedVersionServer();
    ScriptedVersionServer(const ScriptedVersionServer&) = delete;
    ScriptedVersionServer& operator=(const ScriptedVersionServer&) = delete;

    bool ok() const { return listener_.IsOpen(); }
    size_t answered() const { return answered_; }

private:
    void Serve(platform::TcpSocket& connection);

    platform::TcpSocket listener_;
    Answer answer_;
    std::atomic<bool> stop_{false};
    std::atomic<size_t> answered_{0};
    std::thread thread_;
};

// The frames of a whole answer: 9002 with the FTP address, 9010 with code 1,
// target and the number of files, then the 9005 messages.
std::vector<uint8_t> ScriptedAnswer(const IPv4Bytes& ftp, int32_t target,
                                    const std::vector<FileListItem>& files);

// A loopback port where connects are refused: a bound socket that does not
// listen holds it, so nobody can start listening there while the object
// lives.
class RefusingPort {
public:
    RefusingPort();
    uint16_t port() const { return port_; }

private:
    platform::TcpSocket held_;
    uint16_t port_ = 0;
};

}  // namespace testsupport
