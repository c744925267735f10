#include "FtpFetch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

#include "cli/CommandLine.h"
#include "cpk/Md5.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/CPartFile.h"
#include "patcher/Signatures.h"
#include "patcher/UpdateEvents.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/net.h"
#include "platform/text.h"

namespace {

constexpr int kEventPollMs = 200;
constexpr int kBarWidth = 30;
// A tool must end by itself: a server that sends nothing for this long (a
// silent one, or one whose passive-mode replies cannot be used, so that
// the workers reconnect for ever) ends the run with the reason.
constexpr int kDefaultStallSeconds = 60;

// The downloader's message boxes become lines on err; each is answered with
// the button that ends the step, and the last one is kept as the reason.
class MessagesToStream {
public:
    MessagesToStream(std::ostream& err, std::string& last)
        : handler_([&err, &last](void*, const char* text, const char* caption, uint32_t type) {
              last = platform::GbkToUtf8(text ? text : "");
              err << "\nftpfetch: " << platform::GbkToUtf8(caption ? caption : "Error") << ": "
                  << last << "\n";
              return platform::PolicyAnswer(platform::BoxAnswers::kEndStep, type);
          }) {}

private:
    platform::ScopedMessageBoxHandler handler_;
};

bool IsHex(const std::string& s) {
    return s.size() == kMd5TextLength && std::all_of(s.begin(), s.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c));
           });
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

std::string Mb(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

// The progress line: bar, percent, speed, bytes.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool on) : err_(err), on_(on) {}
    ~ProgressLine() { End(); }

    void Percent(int64_t p) {
        percent_ = p;
        Draw();
    }
    void Speed(uint64_t done, int64_t total) {
        uint32_t now = platform::TickCount();
        if (lastTick_ != 0 && now != lastTick_) {
            kbps_ = static_cast<double>(done - std::min(done, lastBytes_)) * 1000.0 /
                    (now - lastTick_) / 1024.0;
        }
        lastTick_ = now;
        lastBytes_ = done;
        done_ = done;
        total_ = total;
        Draw();
    }
    void Baseline(uint32_t tick, uint64_t bytes) {
        lastTick_ = tick;
        lastBytes_ = bytes;
    }
    void Note(const std::string& text) {
        note_ = text;
        Draw();
    }
    void End() {
        if (drawn_) {
            err_ << "\n";
            err_.flush();
            drawn_ = false;
        }
    }

private:
    void Draw() {
        if (!on_) {
            return;
        }
        int filled = static_cast<int>(std::clamp<int64_t>(percent_, 0, 100) * kBarWidth / 100);
        char line[160];
        std::snprintf(
            line, sizeof line, "\r[%s%s] %3d%%  %8.1f KB/s  %s/%s MB %s",
            std::string(filled, '#').c_str(), std::string(kBarWidth - filled, ' ').c_str(),
            static_cast<int>(percent_), kbps_, Mb(done_).c_str(),
            Mb(static_cast<uint64_t>(std::max<int64_t>(total_, 0))).c_str(), note_.c_str());
        err_ << line << "   ";
        err_.flush();
        drawn_ = true;
    }

    std::ostream& err_;
    bool on_;
    bool drawn_ = false;
    int64_t percent_ = 0;
    double kbps_ = 0;
    uint32_t lastTick_ = 0;
    uint64_t lastBytes_ = 0;
    uint64_t done_ = 0;
    int64_t total_ = 0;
    std::string note_;
};

// The system's reason a connection to the server is not made (refused, no
// route...): the downloader only knows that it was not. Asked once more,
// plainly, for the user's sake.
std::string ConnectFailure(const std::string& address, uint16_t port) {
    auto socket = platform::TcpSocket::Create();
    if (!socket) {
        return platform::GbkToUtf8(socket.error().Message());
    }
    auto connected = socket->Connect(address, port);
    if (!connected) {
        return platform::GbkToUtf8(connected.error().Message());
    }
    return "the server closed the connection before its greeting";
}

// How a download run ended.
struct RunEnd {
    bool done = false;          // the file is there and verified
    bool verifyFailed = false;  // a fetched file failed its MD5 check
    bool stopped = false;       // the caller asked it to stop
};

// Follows the downloader's events on the progress line until the run ends,
// stopping it when *stop turns true.
RunEnd FollowRun(CFtpDownloader& downloader, UpdateEventQueue& sink, ProgressLine& line,
                 const std::atomic<bool>* stop) {
    RunEnd end;
    uint64_t lastBytes = 0;
    int baselines = 0;
    for (;;) {
        if (stop && stop->load() && !end.stopped) {
            end.stopped = true;
            downloader.Stop();
        }
        if (sink.baselineCount() != baselines) {
            baselines = sink.baselineCount();
            line.Baseline(sink.baselineTick(), sink.baselineBytes());
        }
        auto e = sink.Take(kEventPollMs);
        if (!e) {
            continue;
        }
        if (e->message == UM_PROGRESS) {
            line.Percent(e->lParam);
        } else if (e->message == UM_SPEED) {
            if (e->wParam != lastBytes) {
                lastBytes = e->wParam;
                line.Note("");
            }
            line.Speed(e->wParam, e->lParam);
        } else if (e->message == UM_RECONNECTING) {
            line.Note("(reconnecting)");
        } else if (e->message == UM_VERIFY_FAILED) {
            end.verifyFailed = true;
        } else if (e->message == UM_DOWNLOAD_DONE) {
            end.done = true;
            return end;
        } else if (e->message == UM_RESET) {
            return end;
        }
    }
}

// REMOTE_PATH as the patcher's entry: directory and file name in its "\"
// form, the file going to folder. False when the path names no file.
bool EntryFromRemotePath(const std::string& remote, const std::string& folder,
                         PatchFileEntry& entry) {
    std::string path = platform::WithBackslashes(platform::Utf8ToGbk(remote));
    while (!path.empty() && path.front() == '\\') {
        path.erase(path.begin());
    }
    size_t cut = platform::LastSeparator(path, platform::PathSeparators::kBackslash);
    entry.directory = cut == std::string::npos ? "" : path.substr(0, cut);
    entry.fileName = cut == std::string::npos ? path : path.substr(cut + 1);
    entry.localPath = folder + "\\" + entry.fileName;
    return !entry.fileName.empty() && entry.fileName != "." && entry.fileName != "..";
}

// What the command line asks for.
struct Request {
    std::string server, remote, md5, dir = ".";
    size_t readSize = kReceiveCap;
    int segments = kSegmentsMax;
    int stallSeconds = kDefaultStallSeconds;
    std::string host;  // server without its port
    uint16_t port = kFtpPort;
    std::vector<std::string> keyLines;
    PublisherKeys keys;  // with any, the file must be signed by one
};

// Reads the command line into r; an exit code when the program ends here
// (help, version or a usage error).
std::optional<int> ParseRequest(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err, Request& r) {
    CLI::App app(
        "Download one file from an FTP server the way the patcher does: anonymous login, up to\n"
        "three byte ranges at once, a resumable partial file (FILE.jat) and an MD5 check.\n"
        "Run it again after an interruption and it resumes. Exit 0 only when the file is there\n"
        "and verified, 1 with the reason otherwise.",
        "ftpfetch");
    app.add_option("HOST[:PORT]", r.server, "FTP server (port 21 when none is given)")->required();
    app.add_option("REMOTE_PATH", r.remote, "Path of the file on the server, e.g. v100/p101.cpk")
        ->required();
    app.add_option("MD5", r.md5, "The file's MD5 digest, 32 hexadecimal digits")->required();
    app.add_option("-o,--output", r.dir, "Folder to download into")->capture_default_str();
    app.add_option("--read-size", r.readSize,
                   "Bytes asked for per read of a data connection (1..8192; the patcher's is 500)")
        ->capture_default_str()
        ->check(CLI::Range(size_t{1}, size_t{kDataBlockBytes}));
    app.add_option("--segments", r.segments, "Most byte ranges fetched at once (1..3)")
        ->capture_default_str()
        ->check(CLI::Range(1, kSegmentsMax));
    app.add_option("--stall-timeout", r.stallSeconds,
                   "Give up after this many seconds without data (0: reconnect until stopped)")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    app.add_option("--key", r.keyLines,
                   "A publisher's minisign public key (base64); with any, the file must be "
                   "signed by one (REMOTE_PATH.minisig, fetched beside it)");
    if (std::optional<int> code = cli::Parse(app, "ftpfetch", args, out, err)) {
        return *code;
    }
    for (const std::string& line : r.keyLines) {
        std::string why;
        std::optional<sign::PublicKey> key = sign::ParsePublicKey(line, &why);
        if (!key) {
            return cli::UsageError(err, "ftpfetch", "--key " + line + ": " + why);
        }
        r.keys.keys.push_back(*key);
    }
    r.keys.required = !r.keys.keys.empty();

    // HOST[:PORT]
    r.host = r.server;
    if (size_t colon = r.server.rfind(':'); colon != std::string::npos) {
        r.host = r.server.substr(0, colon);
        std::string p = r.server.substr(colon + 1);
        unsigned long v = 0;
        if (p.empty() || p.size() > 5 || !std::all_of(p.begin(), p.end(), ::isdigit) ||
            (v = std::stoul(p)) == 0 || v > 65535) {
            return cli::UsageError(err, "ftpfetch", "bad port in " + r.server);
        }
        r.port = static_cast<uint16_t>(v);
    }
    if (!IsHex(r.md5)) {
        return cli::UsageError(err, "ftpfetch", "MD5 must be 32 hexadecimal digits");
    }
    return std::nullopt;
}

// Why the log-in at address:port answered login (not 1).
std::string LoginFailure(int login, const CFtpDownloader& downloader, const std::string& address,
                         uint16_t port) {
    const std::string where = address + ":" + std::to_string(port);
    if (login == 0) {
        return "the server refused the user name at " + where;
    }
    if (downloader.lastProblem() == FtpProblem::kNoConnection) {
        return "cannot connect to " + where + ": " + ConnectFailure(address, port);
    }
    return "cannot log in at " + where;
}

}  // namespace

int RunFtpFetch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                bool progress, const std::atomic<bool>* stop) {
    Request r;
    if (std::optional<int> code = ParseRequest(args, out, err, r)) {
        return *code;
    }

    PatchFileEntry entry;
    if (!EntryFromRemotePath(r.remote, platform::SystemPathFromArgument(r.dir), entry)) {
        err << "ftpfetch: REMOTE_PATH names no file\n";
        return 1;
    }
    entry.md5Text = Lower(r.md5);
    bool wasThere = platform::Exists(entry.localPath);
    const std::string shown = platform::GbkToUtf8(platform::NativePath(entry.localPath));
    // A file already there with the right digest is the file asked for: the
    // server is not needed for it (and may well be down).
    if (wasThere) {
        uint8_t digest[16] = {};
        if (Md5OfFile(entry.localPath.c_str(), digest) && Md5Hex(digest) == entry.md5Text &&
            (!r.keys.required ||
             CheckPackageSignature(entry.localPath, entry.fileName, r.keys).verdict ==
                 sign::Verdict::kGood)) {
            out << shown << "\n";
            return 0;
        }
    }
    std::vector<std::string> addresses = platform::ResolveIPv4(r.host);
    if (addresses.empty()) {
        err << "ftpfetch: cannot resolve " << r.host << "\n";
        return 1;
    }

    std::string reason;
    MessagesToStream messages(err, reason);
    PatchFileList list;
    list.Append(entry);
    UpdateEventQueue sink;
    FtpDownloaderOptions options;
    options.stallTimeoutMs = static_cast<uint32_t>(r.stallSeconds) * 1000;
    options.receiveCap = r.readSize;
    options.segmentsMax = r.segments;
    CFtpDownloader downloader;
    downloader.Create(&sink, &list, options);
    downloader.SetFetchSignatures(r.keys.required);

    int login = downloader.Login(addresses.front(), r.port, kAnonymousUser, kAnonymousPassword);
    if (login != 1) {
        err << "ftpfetch: " << LoginFailure(login, downloader, addresses.front(), r.port) << "\n";
        return 1;
    }
    if (!downloader.Start()) {
        err << "ftpfetch: cannot start the download\n";
        return 1;
    }

    ProgressLine line(err, progress);
    const RunEnd end = FollowRun(downloader, sink, line, stop);
    downloader.Destroy();
    line.End();

    if (!end.done) {
        if (downloader.stalled()) {
            // Why it gave up, and why no data came.
            reason = "no data for " + std::to_string(r.stallSeconds) +
                     " s: " + FtpProblemText(downloader.lastProblem());
        } else if (end.verifyFailed) {
            reason =
                "MD5 mismatch, also when fetched again: the file on the server differs "
                "(the downloaded file was deleted)";
        } else if (reason.empty()) {
            reason = end.stopped ? "stopped; run again to resume" : "the download is incomplete";
        }
        err << "ftpfetch: " << shown << ": " << reason << "\n";
        return 1;
    }
    // A file that was there before was not fetched, and so not checked yet.
    if (wasThere) {
        uint8_t digest[16] = {};
        if (!Md5OfFile(entry.localPath.c_str(), digest) || Md5Hex(digest) != entry.md5Text) {
            err << "ftpfetch: " << shown << " is there already and its MD5 differs\n";
            return 1;
        }
    }
    if (r.keys.required) {
        const sign::Check check = CheckPackageSignature(entry.localPath, entry.fileName, r.keys);
        if (check.verdict != sign::Verdict::kGood) {
            DeletePackage(entry.localPath);
            err << "ftpfetch: " << shown << ": not signed by the publisher: " << check.reason
                << " (the file was deleted)\n";
            return 1;
        }
    }
    out << shown << "\n";
    return 0;
}
