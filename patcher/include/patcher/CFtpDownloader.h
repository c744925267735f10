// The FTP download client: fetches the patch files of the patch-file list
// from an anonymous FTP server, each file in up to three byte ranges at once
// (one SegmentWorker thread per range, each with its own control and data
// connection), written by one writer thread (DownloadThread) into the file's
// partial file (CPartFile), checked against its MD5 digest and moved to its
// final name. Every download resumes from its partial file. Where
// update.ini lists web mirrors (SetMirrors), the same workers fetch their
// ranges over HTTP from a mirror first (HttpSource.cpp) and fall back to
// the FTP server once none is left.
//
// Threads: the owner's thread calls Create, Login, Start, SetCancel, Stop
// and Destroy (UpdateThread calls Login and Start). DownloadThread and the
// workers post their events to the owner, an UpdateEventSink, from their own
// threads. The downloader lives as long as its owner.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cpk/Md5.h"
#include "patcher/CBufferPool.h"
#include "patcher/CPartFile.h"
#include "patcher/PatchFileList.h"
#include "patcher/UpdateEvents.h"
#include "patcher/WebMirrors.h"
#include "patcher/WrittenDigest.h"
#include "platform/net.h"

// ---- Limits and timing ----

constexpr int kConnectWaits = 32;             // control connect: waits for writability...
constexpr int kConnectWaitMs = 150;           // ...of this long...
constexpr uint32_t kConnectSleepMs = 20;      // ...each followed by this sleep
constexpr int kDataConnectWaits = 50;         // data connect: likewise
constexpr uint32_t kDataConnectSleepMs = 10;  //
constexpr int kReplyWaitMs = 150;             // wait for each byte of a reply...
constexpr uint32_t kReplyEmptySleepMs = 20;   // ...with this sleep after each empty one
// A server that stops answering must not hold the player: a reply whose
// next byte does not come within this fails as a lost connection does, and
// a file that gains no byte for kStallTimeoutMs (the workers reconnecting,
// or waiting on silent connections) ends the attempt with a message.
constexpr uint32_t kReplyTimeoutMs = 30000;
constexpr uint32_t kStallTimeoutMs = 60000;
// A transfer that keeps bytes trickling never goes silent: once the first
// window of a file has shown what the link gives, a later window that
// brings less than a kSlowFactor-th of it ends the attempt as silence does.
constexpr uint32_t kSlowWindowMs = 30000;
constexpr uint64_t kSlowFactor = 20;
constexpr uint32_t kReplyErrorSleepMs = 1000;  // after a read error other than a reset
constexpr uint32_t kSendRetrySleepMs = 20;     // a send that would block
constexpr int kSendRetryWaitMs = 150;          //
constexpr int kLoginAttempts = 5;              // per connection attempt of a worker
constexpr uint32_t kLoginRetrySleepMs = 10;    //
// A worker whose attempt failed before the transfer (no connection, a
// refused or unreadable reply) pauses this long before the next one, so a
// server that is gone or broken is not hammered in a tight loop.
constexpr uint32_t kReconnectPauseMs = 1000;
constexpr size_t kReceiveCap = 500;              // bytes asked for per read
constexpr int kDataWaitMs = 150;                 // wait for data before a read
constexpr size_t kQueueHighWater = 50;           // queued blocks before a worker pauses...
constexpr uint32_t kQueueFullSleepMs = 100;      // ...this long
constexpr uint32_t kReceiveErrorSleepMs = 2000;  // after a read error other than a reset
constexpr int kReceiveErrorsMax = 150;           // in a row; the next one ends the transfer
constexpr uint32_t kWriterPollMs = 5;            // DownloadThread's drain period
// A block the disk refuses (full, or failing for a moment) is written again
// this many times, this long apart, before the file is given up.
constexpr int kWriteRetries = 10;
constexpr uint32_t kWriteRetrySleepMs = 200;
constexpr uint32_t kSpeedPeriodMs = 1000;     // UM_SPEED at most this often
constexpr uint32_t kStallReportMs = 4999;     // UM_PROGRESS again while nothing arrives
constexpr uint32_t kWorkerStartSleepMs = 20;  // between worker starts
// The sessions before a file's workers (the sizes', the resume probe's) end
// once the first worker is logged in, or after this long without it.
constexpr uint32_t kFirstLoginWaitMs = 5000;
constexpr uint32_t kSizeRetrySleepMs = 500;  // before asking SIZE once more
constexpr size_t kPoolBlocks = 200;          // blocks allocated in advance
// A file that fails its MD5 check is fetched again this many times before
// the file on the server is taken to be damaged.
constexpr int kVerifyRetries = 1;
constexpr uint16_t kFtpPort = 21;

// The user name and the password the patcher logs in with.
constexpr const char* kAnonymousUser = "Anonymous";
constexpr const char* kAnonymousPassword = "patcher@tesmar.net";

// What the segment workers read their transfers through. Without one they
// read the data connection as it is; tests give one that drops transfers
// part-way, as a server or a network may. Called from the workers' threads.
class FtpDataReader {
public:
    virtual ~FtpDataReader() = default;
    // A transfer of the file from byte offset on begins on data.
    virtual void Begin(platform::TcpSocket& data, uint32_t offset) = 0;
    // Reads up to size bytes of the transfer (as platform::TcpSocket::Recv;
    // 0 when it has ended).
    virtual platform::Result<size_t> Read(platform::TcpSocket& data, void* buffer, size_t size) = 0;
};

struct FtpDownloaderOptions {
    // Bytes asked for per read of the data connection (1..kDataBlockBytes).
    size_t receiveCap = kReceiveCap;
    // How long a reply may keep silent before it is given up.
    uint32_t replyTimeoutMs = kReplyTimeoutMs;
    // How long a file may gain no byte before the attempt ends (0: no limit,
    // the workers reconnect until stopped).
    uint32_t stallTimeoutMs = kStallTimeoutMs;
    // The window of the slow-transfer check (0: none; none either without
    // a stall limit).
    uint32_t slowWindowMs = kSlowWindowMs;
    // Most segments a file is split into (1..3): ProbeResume's answer is
    // capped by it.
    int segmentsMax = kSegmentsMax;
    // What the transfers are read through (null: the data connections as
    // they are). It must outlive the downloader's run.
    FtpDataReader* dataReader = nullptr;
    // What the writer's writes into the partial files pass first (null:
    // nothing). It must outlive the downloader's run.
    PartWriteFaults* writeFaults = nullptr;
};

// What went wrong last on the way to the server, for the message of a
// download that makes no progress (the tools print it).
enum class FtpProblem {
    kNone,
    kNoConnection,  // the connection was refused or not made
    kNoAnswer,      // the server kept silent past kReplyTimeoutMs
    kRefused,       // a command was refused (login, TYPE, REST, RETR)
    kBadPassive,    // the PASV reply named no usable address
    kNoData,        // a transfer delivered nothing
};
// A line of English for the tools: "the server does not answer", ...
const char* FtpProblemText(FtpProblem problem);

// How a file's start went.
enum class FileStart {
    kFailed,    // nothing started (the user was told where there is something to tell)
    kStarted,   // workers run
    kFinished,  // the partial file already held every byte and now has its final name
};

class CFtpDownloader {
public:
    CFtpDownloader() = default;
    ~CFtpDownloader();
    CFtpDownloader(const CFtpDownloader&) = delete;
    CFtpDownloader& operator=(const CFtpDownloader&) = delete;

    // owner receives every event; list is the patch-file list to download
    // (the process-wide one unless another is given). Both must outlive the
    // downloader.
    void Create(UpdateEventSink* owner, PatchFileList* list = &PatchFiles(),
                const FtpDownloaderOptions& options = {});

    // Stores the connection parameters, clears the cancel flag and logs in on
    // a new control connection (host: dotted IPv4), which the downloader
    // keeps for ReadSizes. A download run still ending is waited for first.
    // 1 logged in; 0 the server refused the user name; -1 no connection, no
    // greeting or the password refused.
    int Login(const std::string& host, uint16_t port, const std::string& user,
              const std::string& password);

    // Starts DownloadThread over the list. False when the list is empty or
    // the thread could not start.
    bool Start();

    void SetCancel();
    // Sets the cancel flag and waits for every segment worker to end.
    void Stop();
    // Stop, then wait for DownloadThread; the blocks go back to the pool.
    void Destroy();

    // The segments to use for the next file: 3 when a new connection's
    // "REST 100" is answered with 350, 1 for any other answer, -1 without a
    // usable answer (no login, no reply). Capped by options.segmentsMax. The
    // probe's session is left open for StartFile to end (EndSessionsBefore).
    int ProbeResume();
    // On the control connection of Login: "TYPE I", then SIZE of every file
    // (stored in the list). The total, or -1 after telling the user why (the
    // control connection is then closed).
    int64_t ReadSizes();
    // Opens or creates the entry's partial file and starts a worker for every
    // segment that is not complete; a partial file that holds every byte
    // already is finished instead.
    FileStart StartFile(const PatchFileEntry& entry);

    // Whether every package's signature file (PATH.minisig) is fetched into
    // download\ beside it, before the packages (update.ini lists the
    // publisher's keys). Set before Start.
    void SetFetchSignatures(bool fetch) { fetchSignatures_ = fetch; }
    // The publisher's signed release file: with a gate set, release.txt and
    // its signature are fetched from the top folder of the mirrors or the
    // FTP server after the sizes and before anything else, and handed to
    // the gate with the list's entries (sizes from the server filled in).
    // The gate answers why the run must not go on (English), or "" to go
    // on; it may set the entries' sizes, which then bound the downloads.
    // Called on the download thread. Set before Start.
    using ReleaseGate =
        std::function<std::string(const std::string& release, const std::string& signature,
                                  std::vector<PatchFileEntry>& entries)>;
    void SetReleaseGate(ReleaseGate gate) { releaseGate_ = std::move(gate); }
    // The web mirrors (update.ini's [mirror]) tried before the FTP server
    // for every package and signature; none: FTP alone, as always. Each run
    // (Start) begins with all of them. Set before Start.
    void SetMirrors(MirrorSettings mirrors) { mirrorSettings_ = std::move(mirrors); }
    // With mirrors.webOnly, Start needs no Login: the run asks the mirrors
    // alone. SetWebOnly switches that on (where the FTP server is missing or
    // did not answer) or off, and says whether it is on: never without a
    // mirror to serve. Set before Start.
    bool SetWebOnly(bool on) {
        mirrorSettings_.webOnly = on && !mirrorSettings_.bases.empty();
        return mirrorSettings_.webOnly;
    }
    // The mirrors that failed in the last run and why ("BASE: why"); look
    // when the run has ended.
    std::vector<std::string> mirrorFailures() const { return mirrors_.Failures(); }

    bool cancelled() const { return cancel_.load() != 0; }
    // The last problem met since Login; kNone when all went well.
    FtpProblem lastProblem() const { return problem_.load(); }
    // Whether the last run ended because no byte arrived for the stall limit.
    bool stalled() const { return stalled_.load(); }
    // The server of the last Login (dotted address).
    std::string host() const { return Params().host; }
    int activeWorkers() const { return active_.load(); }
    // The partial file of the current file; DownloadThread's, so look only
    // when it has ended.
    const CPartFile& partFile() const { return part_; }
    const CBufferPool& pool() const { return pool_; }

private:
    struct Segment {
        uint32_t index;
        uint32_t start;
        uint32_t length;
        uint32_t received;
    };
    struct Connection {
        std::string host;
        uint16_t port = 0;
        std::string user;
        std::string password;
    };

    int LoginOn(platform::TcpSocket& socket, const Connection& c);
    int ReadReply(platform::TcpSocket& socket, std::string* line = nullptr);
    bool Command(platform::TcpSocket& socket, const std::string& text);
    // Sends command (none when empty) and reads the reply; a reply other
    // than wanted is noted as refused. Answers the reply's code (0: none).
    int Expect(platform::TcpSocket& socket, const std::string& command, int wanted);
    bool ConnectData(platform::TcpSocket& socket, const std::string& host, uint16_t port);
    void DownloadThread();
    // One segment's thread: transfers, one after another, until the segment
    // is complete or the download is cancelled.
    void SegmentWorker(Segment segment, std::string remotePath, Connection c);
    // A transfer ready to receive: logged in, RETR accepted on the data
    // connection; skip bytes come first that the server sends again (it
    // did not take the restart offset).
    struct Transfer {
        platform::TcpSocket control;
        platform::TcpSocket data;
        uint32_t skip = 0;
    };
    // Opens a transfer of remotePath from offset on; nullopt, with the
    // connections closed and the problem noted, when that failed.
    std::optional<Transfer> OpenTransfer(const Connection& c, const std::string& remotePath,
                                         uint32_t offset);
    // The part of OpenTransfer after the log-in, on t's control connection:
    // TYPE I, PASV, REST, the data connection, RETR. False, with the
    // connections closed and the problem noted, when that failed.
    bool RequestTransfer(Transfer& t, const std::string& remotePath, uint32_t offset);
    // Receives over t into blocks of the segment, queued for the writer,
    // until remaining is 0, the data connection ends or fails or the
    // download is cancelled. Advances offset and remaining by what was
    // queued; answers the bytes that arrived, skipped ones included.
    uint64_t ReceiveSegment(Transfer& t, uint32_t segmentIndex, uint32_t& offset,
                            uint32_t& remaining, std::vector<uint8_t>& scratch);
    // One read of a transfer's data connection, through the options'
    // reader when there is one.
    platform::Result<size_t> ReadData(platform::TcpSocket& data, void* buffer, size_t size);
    void Post(uint32_t message, uint64_t wParam, int64_t lParam);
    void JoinWorkers();
    void Enqueue(DataBlock* block);
    DataBlock* Dequeue();
    // Moves every queued block to the end of blocks.
    void DequeueAll(std::vector<DataBlock*>& blocks);
    // Sleeps up to ms, waking early when a block is queued.
    void WaitForBlocks(uint32_t ms);
    // Back-pressure: waits up to kQueueFullSleepMs, ending as soon as the
    // writer has brought the queue down to the high-water mark (a plain
    // sleep would leave the connection idle long after the writer caught up).
    void WaitForRoom();
    DataBlock* NewBlock(uint32_t segment, uint32_t offset);
    void DrainQueueToPool();
    Connection Params() const;
    void Pause(uint32_t ms) const;  // sleeps in slices, ending early on cancel
    // Notes what went wrong. Once the run is being stopped (by the caller or
    // by the stall limit), connections cut short by the stop itself are no
    // news: they would hide why the run was stopped.
    void Problem(FtpProblem problem) {
        if (cancel_.load() == 0) {
            problem_ = problem;
        }
    }
    // Tells the user (a box without owner, text through the text table with
    // name filled in).
    void Tell(const char* gbkText, const std::string& name) const;
    void TellConnectionLost() const;
    // "无法下载该补丁文件:NAME".
    void TellCannotDownload(const std::string& name) const;
    // One file: fetched (or found present and sound), checked; false when
    // the run ends (UM_RESET posted by the caller).
    bool FetchFile(const PatchFileEntry& entry, int64_t& done, int64_t total);
    // DownloadThread's writing of the file StartFile started, until the
    // workers end; true when the partial file is complete and finished.
    bool Receive(const PatchFileEntry& entry, int64_t done, int64_t total);
    // What Receive's rounds of writing carry from one to the next.
    struct WriterState {
        int64_t done = 0;  // bytes of the files before this one
        int64_t total = 0;
        int64_t percent = 0;  // last posted
        std::vector<DataBlock*> batch;
        size_t next = 0;        // the first block of batch not yet written
        int refusals = 0;       // in a row, of the block at batch[next]
        bool failed = false;    // the disk kept refusing: the file is given up
        bool retrying = false;  // this round: the block at batch[next] waits
        bool took = false;      // this round: a block was written or tried
        bool dequeued = false;  // this round: the queue was taken
    };
    void WriteBatch(WriterState& w);
    bool DigestMatches(const PatchFileEntry& entry);
    // Every package's signature file, whole, on the control connection of
    // ReadSizes, into download\ beside where the package goes. False after
    // telling the user; a package the server has no signature for is not
    // fetched (one left from before goes).
    bool FetchSignatures(const std::vector<PatchFileEntry>& entries);
    // A small file whole, from a mirror or else over t's control
    // connection: at most most + 1 bytes are kept (so that a reader sees
    // when it is too large), and a stream longer than that is cut there.
    enum class SmallFetch { kFetched, kMissing, kFailed };
    SmallFetch FetchSmallFile(Transfer& t, const std::string& directory,
                              const std::string& fileName, size_t most, std::string& text);
    // The release file and its signature, through the gate. False after
    // telling the user.
    bool PassReleaseGate(Transfer& t, std::vector<PatchFileEntry>& entries, int64_t& total);
    // Reads data to its end, or until more than most bytes came, keeping at
    // most most + 1 bytes; false when the connection failed, kept silent
    // for the reply time-out or the run was cancelled.
    bool ReceiveWhole(platform::TcpSocket& data, std::string& text, size_t most);

    // ---- Web mirrors (HttpSource.cpp) ----
    // The mirror the current file's workers fetch from: the one in use while
    // it serves, else the next one picked that answers with the file's size.
    // False when no mirror is left (the FTP server then serves the file).
    bool CurrentMirror(std::string& base, bool& ranges);
    // Whether base serves the current file with its size, and Range.
    bool ProbeMirror(const std::string& base, bool& ranges);
    // The current file's setup for the mirrors; the segments to use, or 0
    // when no mirror serves it.
    int StartFileOnMirror(const PatchFileEntry& entry);
    // One HTTP transfer of the segment's remaining bytes from the current
    // mirror, queued for the writer as FTP's are; a mirror that fails
    // leaves the list. False when no mirror is left for the file.
    bool HttpSegment(uint32_t segmentIndex, uint32_t& offset, uint32_t& remaining);
    // A package's signature file from a mirror; false when none served it.
    bool FetchSmallFileFromMirror(const std::string& directory, const std::string& fileName,
                                  size_t most, std::string& text);
    // Without an FTP server: the size of every file from the first mirror
    // that names one (stored in the list). The total, or -1 after telling
    // the user.
    int64_t ReadMirrorSizes();
    // The flags of a new run, after the previous run has wound down.
    void BeginRun();
    // Ends the sessions that came before the file's workers (the sizes' and
    // the resume probe's), once the first worker has tried to log in: a
    // server that runs a process per session may hold new logins back for a
    // while after a session ends (proftpd's standalone daemon, up to 0.4 s),
    // and the first worker then fetches meanwhile. With waitForWorker false,
    // at once.
    void EndSessionsBefore(bool waitForWorker);
    void CancelAll() {
        cancel_ = 1;
        httpCancel_ = true;
    }

    UpdateEventSink* owner_ = nullptr;
    PatchFileList* list_ = nullptr;
    FtpDownloaderOptions options_;

    mutable std::mutex paramsMu_;
    Connection params_;
    platform::TcpSocket control_;  // the first login's; DownloadThread's once it runs
    platform::TcpSocket probe_;    // the resume probe's session, until a worker is in
    // The workers' first login attempts that have ended, this file.
    std::mutex loginMu_;
    std::condition_variable loginCv_;
    int loginsTried_ = 0;

    CPartFile part_;
    int segments_ = 1;
    bool fetchSignatures_ = false;
    ReleaseGate releaseGate_;

    std::atomic<int> cancel_{0};
    std::atomic<bool> httpCancel_{false};  // cancel_ as the HTTP layer reads it

    MirrorSettings mirrorSettings_;
    MirrorList mirrors_;
    // The current file on the mirrors: set by StartFile, read by its workers.
    std::mutex mirrorMu_;
    std::string fileMirrorPath_[2];  // directory and name of the file
    uint32_t fileMirrorSize_ = 0;
    std::string fileMirror_;         // the base in use ("" none yet)
    bool fileMirrorRanges_ = false;  // it answers Range
    std::atomic<FtpProblem> problem_{FtpProblem::kNone};
    std::atomic<bool> stalled_{false};

    std::mutex workersMu_;
    std::vector<std::thread> workers_;
    std::atomic<int> active_{0};

    std::mutex queueMu_;
    std::condition_variable queued_cv_;   // a block was queued
    std::condition_variable drained_cv_;  // the queue fell to the high-water mark
    bool writerWaiting_ = false;          // the writer waits on queued_cv_
    // DownloadThread's digest of the current file's first bytes, taken as
    // Receive wrote them.
    WrittenDigest digest_;
    std::deque<DataBlock*> queue_;
    std::atomic<size_t> queued_{0};

    CBufferPool pool_;
    bool poolReady_ = false;
    std::thread downloadThread_;
};
