// nginx on loopback for the HTTP tests: in the foreground, on ports chosen at
// run time, with its configuration (tests/support/nginx.conf.in), logs, pid
// file and certificates in a folder of its own; stopped with the object.
// It serves a folder the test fills, over http on 127.0.0.1 and 127.0.0.2
// (one port) and https on 127.0.0.1 with a certificate of an authority of
// its own. Besides plain files:
//   /gbk/..., /utf8/...  Content-Type "text/html; charset=GBK" / "utf-8"
//   /slow/...            limited to NginxOptions::limitRate
//   /norange/...         ignores Range (always the whole file, 200)
//   /error500...         answers 500 (the path and everything below it)
//   /redirect/X          redirects to http://127.0.0.2:PORT/X
//   /loop                redirects to itself
//   /hops/N (N = 0..3)   N + 1 redirects, alternating hosts, to /small.txt
//
// Windows builds run under wine64 where nginx cannot be started from the
// test: tests/support/with-nginx.sh starts one natively around the test
// program and describes it in the environment (TESMAR_NGINX_*); the object
// then uses that server (and its fixed limitRate) instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"
#include "testsupport/temp_dir.h"

namespace testsupport {

struct NginxOptions {
    // limit_rate of /slow/, nginx syntax ("64k": 64 KiB per second).
    std::string limitRate = "64k";
    // How long to wait for the server to accept connections.
    int startTimeoutMs = 20000;
};

class NginxServer {
public:
    explicit NginxServer(NginxOptions options = {});
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // Why the server cannot run here ("" when it runs).
    const std::string& error() const { return error_; }
    bool ok() const { return error_.empty(); }
    uint16_t port() const { return port_; }
    uint16_t tlsPort() const { return tlsPort_; }
    // "http://127.0.0.1:PORT" and "https://127.0.0.1:TLS_PORT", no slash.
    std::string HttpBase() const;
    std::string HttpsBase() const;
    // The folder served as "/" and the authority's certificate (PEM), as
    // system paths.
    const std::string& root() const { return root_; }
    const std::string& caFile() const { return caFile_; }
    // The server's error log, for failure messages.
    std::string Log() const;
    // One line per answered request: `URI "RANGE" STATUS BODY_BYTES`
    // (RANGE the request's Range header, "-" without one). nginx writes a
    // line when the answer has ended.
    std::vector<std::string> Requests() const;

private:
    bool StartOn(uint16_t port, uint16_t tlsPort);

    NginxOptions options_;
    TempDir dir_;
    platform::Process process_;
    uint16_t port_ = 0;
    uint16_t tlsPort_ = 0;
    std::string root_;
    std::string caFile_;
    std::string logFile_;
    std::string error_;
};

}  // namespace testsupport
