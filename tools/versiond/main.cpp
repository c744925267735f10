// versiond: the version server the people who serve patches run, and a
// client that asks one the way the patcher does.
//
//   versiond serve --manifest FILE --root DIR [--address A] [--port P]
//   versiond query HOST PORT VERSION [LINE]

#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "Catalog.h"
#include "VersionServer.h"
#include "patcher/VersionCheck.h"
#include "platform/file.h"
#include "platform/net.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int) {
    g_stop = true;
}

std::string Now() {
    char text[32];
    std::time_t t = std::time(nullptr);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
    return text;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string& error) {
    auto file = platform::File::Open(path, platform::Access::kRead, platform::kShareRead,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        error = path + ": " + file.error().Message();
        return false;
    }
    char buffer[65536];
    for (;;) {
        auto n = file->Read(buffer, sizeof buffer);
        if (!n) {
            error = path + ": " + n.error().Message();
            return false;
        }
        if (*n == 0) {
            return true;
        }
        out.append(buffer, *n);
    }
}

struct ServeArgs {
    std::string manifest;
    std::string root;
    std::string address = "0.0.0.0";
    int port = 0;
    unsigned idleSeconds = 30;
    unsigned stallSeconds = 10;
    size_t maxClients = 8192;
    bool quiet = false;
};

int Serve(const ServeArgs& args) {
    std::string text;
    std::string error;
    if (!ReadWholeFile(args.manifest, text, error)) {
        std::fprintf(stderr, "versiond: %s\n", error.c_str());
        return 1;
    }
    auto manifest = versiond::ParseManifest(text, &error);
    if (!manifest) {
        std::fprintf(stderr, "versiond: %s: %s\n", args.manifest.c_str(), error.c_str());
        return 1;
    }
    auto catalog = versiond::Catalog::Build(*manifest, args.root, &error);
    if (!catalog) {
        std::fprintf(stderr, "versiond: %s\n", error.c_str());
        return 1;
    }
    versiond::ServerOptions options;
    options.address = args.address;
    options.port = static_cast<uint16_t>(args.port);
    options.idleTimeoutMs = args.idleSeconds * 1000;
    options.stallTimeoutMs = args.stallSeconds * 1000;
    options.maxClients = args.maxClients;
    if (!args.quiet) {
        options.log = [](const std::string& line) {
            std::fprintf(stderr, "%s %s\n", Now().c_str(), line.c_str());
        };
    }
    auto served = std::make_shared<const versiond::Catalog>(std::move(*catalog));
    versiond::VersionServer server(served, options);
    if (auto s = server.Listen(); !s) {
        std::fprintf(stderr, "versiond: cannot listen on %s:%d: %s\n", args.address.c_str(),
                     args.port, s.error().Message().c_str());
        return 1;
    }
    std::printf("listening on %s:%u\n", server.address().c_str(), server.port());
    std::fflush(stdout);
    uint64_t bytes = 0;
    for (const auto& f : served->files()) {
        bytes += f.size;
    }
    std::fprintf(stderr, "%s latest %d, %zu files (%llu bytes) under %s\n", Now().c_str(),
                 manifest->latest, served->files().size(), static_cast<unsigned long long>(bytes),
                 args.root.c_str());

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    server.Run(g_stop);
    std::fprintf(stderr, "%s stopped after %llu requests\n", Now().c_str(),
                 static_cast<unsigned long long>(server.RequestsAnswered()));
    return 0;
}

struct QueryArgs {
    std::string host;
    int port = 0;
    int32_t version = 0;
    int32_t line = 0;
};

int Query(const QueryArgs& args) {
    std::string address = args.host;
    if (!ParseDottedAddress(address)) {
        auto found = platform::ResolveIPv4(args.host);
        if (found.empty()) {
            std::fprintf(stderr, "versiond: %s does not resolve\n", args.host.c_str());
            return 1;
        }
        address = found.front();
    }
    PatchFileList list;
    VersionCheckRequest request;
    request.address = address;
    request.port = static_cast<uint16_t>(args.port);
    request.installedVersion = args.version;
    request.lineType = args.line;
    VersionCheckResult result = RunVersionCheck(request, list);
    if (result.status == VersionCheckStatus::kNotConnected) {
        std::fprintf(stderr, "versiond: cannot connect to %s:%d\n", address.c_str(), args.port);
        return 1;
    }
    if (result.status == VersionCheckStatus::kNoReply) {
        std::fprintf(stderr, "versiond: no complete reply from %s:%d within %u ms\n",
                     address.c_str(), args.port,
                     static_cast<unsigned>(kReplyPolls) * kReplyPollPeriodMs);
        return 1;
    }
    const VersionReply& r = result.reply;
    std::printf("code: %u\n", r.code);
    std::printf("target: %d\n", r.targetVersion);
    std::printf("ftp: %s\n", r.hasAddress ? r.DownloadAddress().c_str() : "none");
    for (const PatchFileEntry& e : list.Snapshot()) {
        std::string path = e.directory.empty() ? e.fileName : e.directory + "\\" + e.fileName;
        std::printf("%s %s\n", path.c_str(), e.md5Text.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"versiond: the patcher's version server, and a client that asks one"};
    app.require_subcommand(1);

    ServeArgs serve;
    CLI::App* serveCmd = app.add_subcommand("serve", "answer version checks");
    serveCmd->add_option("--manifest", serve.manifest, "the upgrade paths")->required();
    serveCmd->add_option("--root", serve.root, "folder the manifest's files are under")->required();
    serveCmd->add_option("--address", serve.address, "address to listen on")->capture_default_str();
    serveCmd->add_option("--port", serve.port, "port to listen on; 0 picks a free one")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    serveCmd->add_option("--idle-timeout", serve.idleSeconds, "seconds an idle client may stay")
        ->check(CLI::Range(1u, 86400u))
        ->capture_default_str();
    serveCmd
        ->add_option("--stall-timeout", serve.stallSeconds,
                     "seconds a request or answer may make no progress")
        ->check(CLI::Range(1u, 86400u))
        ->capture_default_str();
    serveCmd->add_option("--max-clients", serve.maxClients, "clients served at once")
        ->check(CLI::Range(size_t{1}, size_t{1} << 20))
        ->capture_default_str();
    serveCmd->add_flag("--quiet", serve.quiet, "no log line per request");

    QueryArgs query;
    CLI::App* queryCmd = app.add_subcommand("query", "ask a version server as the patcher does");
    queryCmd->add_option("HOST", query.host, "version server")->required();
    queryCmd->add_option("PORT", query.port, "its port")->required()->check(CLI::Range(1, 65535));
    queryCmd->add_option("VERSION", query.version, "installed version")->required();
    queryCmd->add_option("LINE", query.line, "line type (default 0)");

    CLI11_PARSE(app, argc, argv);
    if (serveCmd->parsed()) {
        return Serve(serve);
    }
    return Query(query);
}
