#include "testsupport/nginx_server.h"

#include <cstdlib>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "testsupport/server_process.h"

namespace testsupport {
namespace {

constexpr const char* kNginx = "/usr/sbin/nginx";
constexpr const char* kShell = "/bin/sh";
constexpr int kPortAttempts = 5;
constexpr uint32_t kStartPollMs = 50;
constexpr int kCertTimeoutMs = 60000;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

NginxServer::NginxServer(NginxOptions options) : options_(std::move(options)) {
    // A server started around the test program (under wine64).
    const std::string envPort = Env("TESMAR_NGINX_PORT");
    if (!envPort.empty()) {
        port_ = static_cast<uint16_t>(std::atoi(envPort.c_str()));
        tlsPort_ = static_cast<uint16_t>(std::atoi(Env("TESMAR_NGINX_TLS_PORT").c_str()));
        root_ = Env("TESMAR_NGINX_ROOT");
        caFile_ = Env("TESMAR_NGINX_CA");
        logFile_ = Env("TESMAR_NGINX_LOG");
        if (port_ == 0 || tlsPort_ == 0 || root_.empty() || caFile_.empty()) {
            error_ = "TESMAR_NGINX_* describe no usable server";
        }
        return;
    }
    if (!platform::Exists(platform::SystemPathFromNative(kNginx))) {
        error_ = "nginx is not installed (Debian package nginx-light)";
        return;
    }
    const std::string source = Env("TESMAR_SOURCE_DIR");
    if (source.empty()) {
        error_ = "TESMAR_SOURCE_DIR is not set (run the test through ctest)";
        return;
    }
    root_ = dir_ / "root";
    caFile_ = dir_ / "ca.pem";
    logFile_ = dir_ / "error.log";
    platform::CreateDirectory(root_);
    platform::CreateDirectory(dir_ / "tmp");
    auto certs = platform::StartProgram(
        platform::SystemPathFromNative(kShell),
        {source + "/tests/support/nginx_certs.sh", platform::NativePath(dir_.path())}, "");
    if (!certs) {
        error_ = "cannot run nginx_certs.sh: " + certs.error().Message();
        return;
    }
    auto certsDone = certs->Wait(kCertTimeoutMs);
    if (!certsDone || *certsDone != 0) {
        StopServer(*certs);
        error_ = "nginx_certs.sh failed (is openssl installed?)";
        return;
    }
    for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
        const uint16_t port = FreePort("127.0.0.1");
        const uint16_t tlsPort = FreePort("127.0.0.1");
        if (port == 0 || tlsPort == 0 || port == tlsPort) {
            continue;
        }
        if (StartOn(port, tlsPort)) {
            port_ = port;
            tlsPort_ = tlsPort;
            error_.clear();
            return;
        }
    }
    if (error_.empty()) {
        error_ = "nginx did not start";
    }
    error_ += "\n" + Log();
}

bool NginxServer::StartOn(uint16_t port, uint16_t tlsPort) {
    const std::string source = Env("TESMAR_SOURCE_DIR");
    auto native = [](const std::string& p) { return platform::NativePath(p); };
    auto conf = platform::ReadWholeFile(
        platform::SystemPathFromNative(source + "/tests/support/nginx.conf.in"));
    if (!conf) {
        error_ = "cannot read tests/support/nginx.conf.in";
        return false;
    }
    std::string text = *conf;
    ReplaceAll(text, "@DIR@", native(dir_.path()));
    ReplaceAll(text, "@ROOT@", native(root_));
    ReplaceAll(text, "@PORT@", std::to_string(port));
    ReplaceAll(text, "@TLS_PORT@", std::to_string(tlsPort));
    ReplaceAll(text, "@RATE@", options_.limitRate);
    WriteFile(dir_ / "nginx.conf", text);
    auto p = platform::StartProgram(platform::SystemPathFromNative(kNginx),
                                    {"-p", native(dir_.path()) + "/", "-c",
                                     native(dir_ / "nginx.conf"), "-e", native(logFile_)},
                                    "");
    if (!p) {
        error_ = "cannot start nginx: " + p.error().Message();
        return false;
    }
    process_ = std::move(p.value());
    for (int waited = 0; waited < options_.startTimeoutMs; waited += kStartPollMs) {
        if (process_.Wait(0)) {
            return false;  // it ended: most likely a port was taken meanwhile
        }
        if (Accepts("127.0.0.1", port) && Accepts("127.0.0.2", port) &&
            Accepts("127.0.0.1", tlsPort)) {
            return true;
        }
        platform::SleepMs(kStartPollMs);
    }
    StopServer(process_);
    return false;
}

NginxServer::~NginxServer() {
    StopServer(process_);
}

std::string NginxServer::HttpBase() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string NginxServer::HttpsBase() const {
    return "https://127.0.0.1:" + std::to_string(tlsPort_);
}

std::string NginxServer::Log() const {
    return logFile_.empty() ? "" : ReadFile(logFile_);
}

std::vector<std::string> NginxServer::Requests() const {
    std::vector<std::string> lines;
    if (logFile_.empty()) {
        return lines;
    }
    // access.log lies beside error.log.
    const std::string text =
        ReadFile(logFile_.substr(0, logFile_.find_last_of("\\/") + 1) + "access.log");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            lines.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace testsupport
