// versiond: the version server the people who serve patches run, and a
// client that asks one the way the patcher does.
//
//   versiond serve --manifest FILE --root DIR [--release FILE] [--address A] [--port P]
//   versiond query HOST PORT VERSION [LINE]

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Catalog.h"
#include "VersionServer.h"
#include "cli/CommandLine.h"
#include "patcher/Signatures.h"
#include "patcher/VersionCheck.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/net.h"
#include "platform/text.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int) {
    g_stop = true;
}

// Whole lines through fputs: no printf formats to differ between C libraries.
void Line(std::FILE* f, const std::string& text) {
    std::fputs((text + "\n").c_str(), f);
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
    std::string publicKeyFile;  // --require-signatures
    std::string releaseFile;    // --release
};

// The key of --require-signatures (a minisign.pub), or nothing with the
// reason in *error.
std::optional<sign::PublicKey> ReadPublicKey(const std::string& publicKeyFile, std::string* error) {
    std::string text;
    if (!ReadWholeFile(publicKeyFile, text, *error)) {
        return std::nullopt;
    }
    std::string why;
    std::optional<sign::PublicKey> key = sign::ParsePublicKeyFile(text, &why);
    if (!key) {
        *error = publicKeyFile + ": " + why;
    }
    return key;
}

// The publisher's safety net: every file the catalog names has a good
// signature of the key beside it. The first that has none, and why, in
// *error.
bool AllSigned(const versiond::Catalog& catalog, const std::string& root,
               const sign::PublicKey& key, const std::string& publicKeyFile, std::string* error) {
    PublisherKeys keys;
    keys.required = true;
    keys.keys.push_back(key);
    for (const versiond::CatalogFile& f : catalog.files()) {
        const std::string full = root + "\\" + f.path;
        const sign::Check check = CheckPackageSignature(
            full, platform::BaseName(f.path, platform::PathSeparators::kBoth), keys);
        if (check.verdict != sign::Verdict::kGood) {
            *error = platform::GbkToUtf8(f.path) + " is not signed by the key of " + publicKeyFile +
                     ": " + check.reason;
            return false;
        }
    }
    return true;
}

int Serve(const ServeArgs& args) {
    std::string text;
    std::string error;
    if (!ReadWholeFile(args.manifest, text, error)) {
        Line(stderr, "versiond: " + error);
        return 1;
    }
    auto manifest = versiond::ParseManifest(text, &error);
    if (!manifest) {
        Line(stderr, "versiond: " + args.manifest + ": " + error);
        return 1;
    }
    std::optional<sign::PublicKey> key;
    if (!args.publicKeyFile.empty()) {
        key = ReadPublicKey(args.publicKeyFile, &error);
        if (!key) {
            Line(stderr, "versiond: " + error);
            return 1;
        }
    }
    // Under a release file, what is served is what the publisher signed.
    std::optional<sign::Release> release;
    if (!args.releaseFile.empty()) {
        std::vector<sign::PublicKey> keys;
        if (key) {
            keys.push_back(*key);
        }
        release = versiond::LoadRelease(platform::SystemPathFromNative(args.releaseFile), keys,
                                        static_cast<int64_t>(std::time(nullptr)), &error);
        if (release) {
            manifest = versiond::ManifestUnderRelease(*manifest, *release, &error);
        }
        if (!release || !manifest) {
            Line(stderr, "versiond: " + error + "; not serving");
            return 1;
        }
    }
    auto catalog = versiond::Catalog::Build(*manifest, args.root, &error);
    if (!catalog) {
        Line(stderr, "versiond: " + error);
        return 1;
    }
    if (release) {
        if (std::string differs = catalog->DisagreementWith(*release); !differs.empty()) {
            Line(stderr, "versiond: " + differs + " (" + args.releaseFile + "); not serving");
            return 1;
        }
    }
    if (key && !AllSigned(*catalog, args.root, *key, args.publicKeyFile, &error)) {
        Line(stderr, "versiond: " + error + "; not serving");
        return 1;
    }
    versiond::ServerOptions options;
    options.address = args.address;
    options.port = static_cast<uint16_t>(args.port);
    options.idleTimeoutMs = args.idleSeconds * 1000;
    options.stallTimeoutMs = args.stallSeconds * 1000;
    options.maxClients = args.maxClients;
    if (!args.quiet) {
        options.log = [](const std::string& line) { Line(stderr, Now() + " " + line); };
    }
    auto served = std::make_shared<const versiond::Catalog>(std::move(*catalog));
    versiond::VersionServer server(served, options);
    if (auto s = server.Listen(); !s) {
        Line(stderr, "versiond: cannot listen on " + args.address + ":" +
                         std::to_string(args.port) + ": " + s.error().Message());
        return 1;
    }
    Line(stdout, "listening on " + server.address() + ":" + std::to_string(server.port()));
    std::fflush(stdout);
    uint64_t bytes = 0;
    for (const auto& f : served->files()) {
        bytes += f.size;
    }
    Line(stderr, Now() + " latest " + std::to_string(manifest->latest) + ", " +
                     std::to_string(served->files().size()) + " files (" + std::to_string(bytes) +
                     " bytes) under " + args.root);
    if (release) {
        Line(stderr, Now() + " release file " + args.releaseFile + ": serial " +
                         std::to_string(release->serial) + ", expires " +
                         sign::FormatUtcTime(release->expires));
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    server.Run(g_stop);
    Line(stderr,
         Now() + " stopped after " + std::to_string(server.RequestsAnswered()) + " requests");
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
            Line(stderr, "versiond: " + args.host + " does not resolve");
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
    std::string where = address + ":" + std::to_string(args.port);
    if (result.status == VersionCheckStatus::kNotConnected) {
        Line(stderr, "versiond: cannot connect to " + where);
        return 1;
    }
    if (result.status == VersionCheckStatus::kNoReply) {
        Line(stderr, "versiond: no complete reply from " + where + " within " +
                         std::to_string(kReplyPolls * kReplyPollPeriodMs) + " ms");
        return 1;
    }
    const VersionReply& r = result.reply;
    Line(stdout, "code: " + std::to_string(r.code));
    Line(stdout, "target: " + std::to_string(r.targetVersion));
    Line(stdout, "ftp: " + (r.hasAddress ? r.DownloadAddress() : std::string("none")));
    for (const PatchFileEntry& e : list.Snapshot()) {
        std::string path = e.directory.empty() ? e.fileName : e.directory + "\\" + e.fileName;
        Line(stdout, path + " " + e.md5Text);
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
    serveCmd->add_option("--require-signatures", serve.publicKeyFile,
                         "refuse to start unless every file named (and the release file) "
                         "has a good minisign signature (FILE.minisig) of this public key "
                         "(minisign.pub)");
    serveCmd->add_option("--release", serve.releaseFile,
                         "answer from this release file (release.txt): its versions and "
                         "packages, which the manifest's path lines must agree with");

    QueryArgs query;
    CLI::App* queryCmd = app.add_subcommand("query", "ask a version server as the patcher does");
    queryCmd->add_option("HOST", query.host, "version server")->required();
    queryCmd->add_option("PORT", query.port, "its port")->required()->check(CLI::Range(1, 65535));
    queryCmd->add_option("VERSION", query.version, "installed version")->required();
    queryCmd->add_option("LINE", query.line, "line type (default 0)");

    if (std::optional<int> code = cli::Parse(app, "versiond", argc, argv, std::cout, std::cerr)) {
        return *code;
    }
    if (serveCmd->parsed()) {
        return Serve(serve);
    }
    return Query(query);
}
