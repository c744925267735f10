// proftpd on loopback for the tests and benchmarks: standalone, on a port
// chosen at run time, with its configuration, logs and account files in a
// folder of its own; anonymous read-only login for the user name
// "Anonymous" over a root folder the caller fills. Stopped with the object.
// Needs proftpd (Debian proftpd-core) and root, as CI has: anonymous
// sessions chroot into the root folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"
#include "testsupport/temp_dir.h"

namespace testsupport {

struct ProftpdOptions {
    // Caps each connection's downloads (TransferRate RETR), KB/s; 0 = none.
    int retrRateKBps = 0;
    // How long to wait for the server to accept connections.
    int startTimeoutMs = 20000;
    // Serve this folder (system path) instead of a fresh one of the fixture.
    std::string root;
    // The loopback address to serve on, and the port (0: a free one).
    std::string address = "127.0.0.1";
    uint16_t port = 0;
    // Answer every login with 530, as a mirror does that turns players away.
    bool refuseLogins = false;
};

class ProftpdServer {
public:
    explicit ProftpdServer(ProftpdOptions options = {});
    ~ProftpdServer();
    ProftpdServer(const ProftpdServer&) = delete;
    ProftpdServer& operator=(const ProftpdServer&) = delete;

    // Why the server cannot run here ("" when it runs).
    const std::string& error() const { return error_; }
    bool ok() const { return error_.empty(); }
    uint16_t port() const { return port_; }
    // The folder served as "/" (system path); put the files there.
    std::string root() const { return options_.root.empty() ? dir_ / "root" : options_.root; }
    // Every command the sessions received so far, "VERB ARGS" (PASS shows
    // "(hidden)"), in the order the sessions logged them.
    std::vector<std::string> Commands() const;
    // Waits (bounded by testsupport::kWaitLimitMs) until no session process
    // runs any more, and says whether none does. A session logs a RETR when
    // its transfer has ended on its side, which may be after the client has
    // every byte and has ended; once the sessions of a finished client are
    // gone, Commands() holds all it sent.
    bool WaitForSessionsToEnd() const;
    // The server's own log, for failure messages.
    std::string Log() const;

    // Whether proftpd can be started at all on this machine (installed, and
    // running as root).
    static std::string Unavailable();

private:
    bool StartOn(uint16_t port, uint16_t passiveFirst);

    ProftpdOptions options_;
    TempDir dir_;
    platform::Process process_;
    uint16_t port_ = 0;
    std::string error_;
};

}  // namespace testsupport
