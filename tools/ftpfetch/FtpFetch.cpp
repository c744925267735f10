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

// "%41" in a URL's path as "A"; nullopt when a '%' is not followed by two
// hexadecimal digits.
std::optional<std::string> PercentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            return std::nullopt;
        }
        out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

bool IsWebAddress(const std::string& text) {
    const std::string lower = Lower(text.substr(0, 8));
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

// A web address as the mirror base it lies under and the file's name there
// (decoded); the reason when it names no file the tool can keep.
std::string SplitWebAddress(const std::string& url, std::string& base, std::string& name) {
    if (url.find_first_of("?#") != std::string::npos) {
        return "a web address with a query or a fragment is not supported";
    }
    const size_t hostStart = url.find("://") + 3;
    const size_t slash = url.rfind('/');
    if (slash == std::string::npos || slash < hostStart || url.find('/', hostStart) > slash) {
        return url + " names no file";
    }
    base = url.substr(0, slash);
    std::optional<std::string> decoded = PercentDecoded(url.substr(slash + 1));
    if (!decoded) {
        return url + ": a '%' not followed by two hexadecimal digits";
    }
    name = *decoded;
    // The name becomes a file in the output folder: nothing that would put
    // it elsewhere.
    const bool unsafe = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\' || c == ':';
    });
    if (name.empty() || name == "." || name == ".." || unsafe) {
        return url + " names no file that can be kept under its name";
    }
    return "";
}

// What the command line asks for.
struct Request {
    std::vector<std::string> words;  // HOST[:PORT] REMOTE_PATH MD5, or URL MD5 ("")
    std::string server, remote, md5, dir = ".";
    // A web address: the file is fetched over HTTP from base/name alone.
    std::string url, base, name, caFile;
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
        "Download one file the way the patcher does, from an FTP server (anonymous login) or\n"
        "a web server (http:// or https://): up to three byte ranges at once, a resumable\n"
        "partial file (FILE.jat) and an MD5 check. Run it again after an interruption and it\n"
        "resumes. Exit 0 only when the file is there and verified, 1 with the reason otherwise.\n"
        "  ftpfetch HOST[:PORT] REMOTE_PATH MD5 [OPTIONS]\n"
        "  ftpfetch URL MD5 [OPTIONS]",
        "ftpfetch");
    r.words.resize(3);
    app.add_option("HOST[:PORT]|URL", r.words[0],
                   "An FTP server (port 21 when none is given), or the file's http:// or "
                   "https:// address")
        ->required();
    app.add_option("REMOTE_PATH|MD5", r.words[1],
                   "The path of the file on the FTP server (v100/p101.cpk); after a URL, the "
                   "file's MD5")
        ->required();
    app.add_option("MD5", r.words[2], "The file's MD5 digest, 32 hexadecimal digits");
    app.add_option("-o,--output", r.dir, "Folder to download into")->capture_default_str();
    app.add_option("--read-size", r.readSize,
                   "Bytes asked for per read of an FTP data connection (1..8192; the patcher's "
                   "is 500)")
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
    app.add_option("--ca", r.caFile,
                   "A PEM file of a certificate authority trusted for https:// besides the "
                   "system's");
    if (std::optional<int> code = cli::Parse(app, "ftpfetch", args, out, err)) {
        return *code;
    }
    const bool web = IsWebAddress(r.words[0]);
    if (r.words[2].empty()) {
        r.words.pop_back();
    }
    if (web != (r.words.size() == 2)) {
        return cli::UsageError(
            err, "ftpfetch", web ? "give URL MD5" : "give HOST[:PORT] REMOTE_PATH MD5, or URL MD5");
    }
    r.md5 = r.words.back();
    if (web) {
        r.url = r.words[0];
        const std::string why = SplitWebAddress(r.url, r.base, r.name);
        if (!why.empty()) {
            return cli::UsageError(err, "ftpfetch", why);
        }
    } else {
        r.server = r.words[0];
        r.remote = r.words[1];
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
    if (size_t colon = r.server.rfind(':'); !web && colon != std::string::npos) {
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
    const std::string folder = platform::SystemPathFromArgument(r.dir);
    if (!r.url.empty()) {
        // The name as the server has it goes into the address again; on
        // disk it is the name in the system's characters.
        entry.fileName = r.name;
        entry.localPath = folder + "\\" + platform::Utf8ToGbk(r.name);
    } else if (!EntryFromRemotePath(r.remote, folder, entry)) {
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
    std::vector<std::string> addresses;
    if (r.url.empty()) {
        addresses = platform::ResolveIPv4(r.host);
        if (addresses.empty()) {
            err << "ftpfetch: cannot resolve " << r.host << "\n";
            return 1;
        }
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
    if (!r.url.empty()) {
        MirrorSettings web;
        web.bases = {r.base};
        web.caFile = r.caFile.empty() ? "" : platform::SystemPathFromArgument(r.caFile);
        web.webOnly = true;
        downloader.SetMirrors(web);
    } else {
        int login = downloader.Login(addresses.front(), r.port, kAnonymousUser, kAnonymousPassword);
        if (login != 1) {
            err << "ftpfetch: " << LoginFailure(login, downloader, addresses.front(), r.port)
                << "\n";
            return 1;
        }
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
        // Over HTTP the server's own answer says why ("HTTP 404", "timed
        // out: ..."): the one mirror's failure.
        const std::vector<std::string> failures = downloader.mirrorFailures();
        const std::string webWhy =
            failures.empty()
                ? ""
                : failures.back().substr(std::min(failures.back().size(), r.base.size() + 2));
        if (downloader.stalled()) {
            // Why it gave up, and why no data came.
            reason = "no data for " + std::to_string(r.stallSeconds) + " s: " +
                     (r.url.empty()    ? FtpProblemText(downloader.lastProblem())
                      : webWhy.empty() ? "the server does not answer"
                                       : webWhy);
        } else if (!r.url.empty() && !webWhy.empty() && !end.stopped) {
            reason = r.url + ": " + webWhy;
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
