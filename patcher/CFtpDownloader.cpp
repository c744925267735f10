#include "patcher/CFtpDownloader.h"

#include "DownloadProgress.h"

#include <algorithm>
#include <cstdio>

#include "cpk/DiscIOMgr.h"
#include "cpk/FileHelpers.h"
#include "cpk/Md5.h"
#include "patcher/FtpReply.h"
#include "patcher/Signatures.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "sign/Release.h"

using progress::Percent;
using progress::Since;

namespace {

void Shut(platform::TcpSocket& socket) {
    if (socket.IsOpen()) {
        (void)socket.ShutdownSend();
        socket.Close();
    }
}

// Non-blocking connect to a dotted IPv4 address with waits bounded by the
// count; *cancel, when given, ends the waiting with failure.
bool ConnectTo(platform::TcpSocket& socket, const std::string& address, uint16_t port, int waits,
               uint32_t sleepMs, const std::atomic<int>* cancel) {
    socket.Close();
    auto created = platform::TcpSocket::Create();
    if (!created) {
        return false;
    }
    socket = std::move(created.value());
    if (!socket.SetNonBlocking(true)) {
        socket.Close();
        return false;
    }
    auto state = socket.Connect(address, port);
    if (!state) {
        socket.Close();
        return false;
    }
    if (*state == platform::TcpSocket::ConnectState::kConnected) {
        return true;
    }
    for (int i = 0; i < waits; ++i) {
        if (cancel && cancel->load()) {
            break;
        }
        platform::WaitResult w = socket.WaitWritable(kConnectWaitMs);
        if (w == platform::WaitResult::kReady) {
            // A refused connect also makes the socket writable.
            if (socket.PendingError()) {
                return true;
            }
            break;
        }
        if (w == platform::WaitResult::kError) {
            break;
        }
        platform::SleepMs(sleepMs);
    }
    socket.Close();
    return false;
}

}  // namespace

CFtpDownloader::~CFtpDownloader() {
    Destroy();
}

void CFtpDownloader::Create(UpdateEventSink* owner, PatchFileList* list,
                            const FtpDownloaderOptions& options) {
    owner_ = owner;
    list_ = list ? list : &PatchFiles();
    options_ = options;
    options_.receiveCap = std::clamp<size_t>(options_.receiveCap, 1, kDataBlockBytes);
    options_.segmentsMax = std::clamp(options_.segmentsMax, 1, kSegmentsMax);
    part_.SetWriteFaults(options_.writeFaults);
    cancel_ = 0;
    httpCancel_ = false;
    if (!poolReady_) {
        pool_.AddClass(kDataBlockSize, kPoolBlocks);
        poolReady_ = true;
    }
}

void CFtpDownloader::Post(uint32_t message, uint64_t wParam, int64_t lParam) {
    if (owner_) {
        owner_->Post(message, wParam, lParam);
    }
}

CFtpDownloader::Connection CFtpDownloader::Params() const {
    std::lock_guard<std::mutex> lock(paramsMu_);
    return params_;
}

void CFtpDownloader::Pause(uint32_t ms) const {
    constexpr uint32_t kSlice = 50;
    for (uint32_t slept = 0; slept < ms && !cancel_.load(); slept += kSlice) {
        platform::SleepMs(std::min(kSlice, ms - slept));
    }
}

// ---- Control channel ----

bool CFtpDownloader::Command(platform::TcpSocket& socket, const std::string& text) {
    if (!socket.IsOpen()) {
        return false;
    }
    auto sent = socket.Send(text.data(), text.size());
    if (sent) {
        return *sent == text.size();
    }
    if (platform::IsWouldBlock(sent.error()) || platform::IsNoBufferSpace(sent.error())) {
        platform::SleepMs(kSendRetrySleepMs);
        (void)socket.WaitWritable(kSendRetryWaitMs);
    }
    return false;
}

int CFtpDownloader::ReadReply(platform::TcpSocket& socket, std::string* text) {
    if (text) {
        text->clear();
    }
    if (!socket.IsOpen()) {
        return 0;
    }
    ReplyLine line;
    uint32_t lastByte = platform::TickCount();
    for (;;) {
        if (cancel_.load()) {
            return 0;
        }
        platform::WaitResult w = socket.WaitReadable(kReplyWaitMs);
        if (w != platform::WaitResult::kReady) {
            if (Since(lastByte) >= options_.replyTimeoutMs) {
                Problem(FtpProblem::kNoAnswer);
                return 0;
            }
            platform::SleepMs(kReplyEmptySleepMs);
            continue;
        }
        char c;
        auto got = socket.Recv(&c, 1);
        if (!got) {
            if (platform::IsWouldBlock(got.error())) {
                continue;
            }
            if (platform::IsConnectionReset(got.error())) {
                Problem(FtpProblem::kNoConnection);
                return 0;
            }
            Pause(kReplyErrorSleepMs);
            continue;
        }
        if (*got == 0) {
            Problem(FtpProblem::kNoConnection);
            return 0;
        }
        lastByte = platform::TickCount();
        ReplyLine::State s = line.Feed(c);
        if (s == ReplyLine::State::kOverlong) {
            return 0;
        }
        if (s == ReplyLine::State::kDone) {
            break;
        }
    }
    std::string reply = line.Text();
    if (text) {
        *text = reply;
    }
    return ReplyCode(reply);
}

int CFtpDownloader::Expect(platform::TcpSocket& socket, const std::string& command, int wanted) {
    if (!command.empty() && !Command(socket, command)) {
        Problem(FtpProblem::kNoConnection);
        return 0;
    }
    int code = ReadReply(socket);
    if (code != 0 && code != wanted) {
        Problem(FtpProblem::kRefused);
    }
    return code;
}

int CFtpDownloader::LoginOn(platform::TcpSocket& socket, const Connection& c) {
    // A stop also ends the wait for the connection: Stop waits for the
    // workers, and one of them may be connecting to a server that is gone.
    if (!ConnectTo(socket, c.host, c.port, kConnectWaits, kConnectSleepMs, &cancel_)) {
        Problem(FtpProblem::kNoConnection);
        return -1;
    }
    if (Expect(socket, "", 220) != 220) {
        Shut(socket);
        return -1;
    }
    if (Expect(socket, "USER " + c.user + "\r\n", 331) != 331) {
        Shut(socket);
        return 0;
    }
    if (Expect(socket, "PASS " + c.password + "\r\n", 230) != 230) {
        socket.Close();
        return -1;
    }
    return 1;
}

bool CFtpDownloader::ConnectData(platform::TcpSocket& socket, const std::string& host,
                                 uint16_t port) {
    std::string address = host;
    std::vector<std::string> resolved = platform::ResolveIPv4(host);
    if (resolved.empty()) {
        return false;
    }
    address = resolved.front();
    return ConnectTo(socket, address, port, kDataConnectWaits, kDataConnectSleepMs, &cancel_);
}

// ---- The owner's operations ----

int CFtpDownloader::Login(const std::string& host, uint16_t port, const std::string& user,
                          const std::string& password) {
    BeginRun();
    {
        std::lock_guard<std::mutex> lock(paramsMu_);
        params_ = Connection{host, port, user, password};
    }
    return LoginOn(control_, Params());
}

void CFtpDownloader::BeginRun() {
    if (downloadThread_.joinable()) {
        // The run before this one was stopped; wait until it has wound down
        // so that it cannot outlive the cancel flag cleared below.
        Stop();
        downloadThread_.join();
    }
    cancel_ = 0;
    httpCancel_ = false;
    problem_ = FtpProblem::kNone;
    stalled_ = false;
}

bool CFtpDownloader::Start() {
    if (list_ == nullptr || list_->Count() == 0) {
        return false;
    }
    if (mirrorSettings_.webOnly) {
        BeginRun();  // no Login began it
    }
    if (downloadThread_.joinable()) {
        downloadThread_.join();
    }
    mirrors_.Reset(mirrorSettings_.bases);
    try {
        downloadThread_ = std::thread([this] { DownloadThread(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CFtpDownloader::SetCancel() {
    CancelAll();
}

void CFtpDownloader::JoinWorkers() {
    for (;;) {
        std::thread worker;
        {
            std::lock_guard<std::mutex> lock(workersMu_);
            if (workers_.empty()) {
                return;
            }
            worker = std::move(workers_.back());
            workers_.pop_back();
        }
        if (worker.joinable()) {
            worker.join();
        }
    }
}

void CFtpDownloader::Stop() {
    CancelAll();
    JoinWorkers();
}

void CFtpDownloader::Destroy() {
    // The download thread first: until it ends it may start workers, and
    // one it starts after the workers were joined would never be.
    CancelAll();
    if (downloadThread_.joinable()) {
        downloadThread_.join();
    }
    JoinWorkers();
    DrainQueueToPool();
    control_.Close();
}

// ---- Steps of a download ----

int CFtpDownloader::ProbeResume() {
    platform::TcpSocket& socket = probe_;
    if (LoginOn(socket, Params()) != 1) {
        Shut(socket);
        return -1;
    }
    int answer = -1;
    // Binary mode first: servers refuse restarts of ASCII transfers (proftpd
    // answers 501), which would read as "no restart support" and cost every
    // file its parallel ranges.
    if (Command(socket, "TYPE I\r\n") && ReadReply(socket) != 0 &&
        Command(socket, "REST 100\r\n")) {
        int code = ReadReply(socket);
        answer = code == 350 ? kSegmentsMax : code != 0 ? 1 : -1;
    }
    if (answer < 0) {
        Shut(socket);
    }
    return answer < 0 ? answer : std::min(answer, options_.segmentsMax);
}

int64_t CFtpDownloader::ReadSizes() {
    if (Expect(control_, "TYPE I\r\n", 200) != 200) {
        TellConnectionLost();
        control_.Close();
        return -1;
    }
    int64_t total = 0;
    size_t count = list_->Count();
    for (size_t i = 0; i < count; ++i) {
        PatchFileEntry entry = list_->At(i);
        // SIZE must name the very file RETR will fetch, or the ranges are
        // cut from another file's size.
        std::string ask = "SIZE " + RemoteFilePath(entry.directory, entry.fileName) + "\r\n";
        std::string reply;
        std::optional<int32_t> size;
        int code = Command(control_, ask) ? ReadReply(control_, &reply) : 0;
        // An odd reply is asked once more; a connection that is lost or
        // silent would only keep silent again.
        if (code != 213 && code != 550 && code != 0) {
            platform::SleepMs(kSizeRetrySleepMs);
            code = Command(control_, ask) ? ReadReply(control_, &reply) : 0;
        }
        if (code == 213) {
            size = ParseSizeReply(reply);
        }
        if (!size) {
            if (code == 0) {
                TellConnectionLost();
            } else {
                TellCannotDownload(entry.fileName);
            }
            control_.Close();
            return -1;
        }
        list_->SetSize(i, *size);
        total += *size;
    }
    return total;
}

void CFtpDownloader::Tell(const char* gbkText, const std::string& name) const {
    std::string text = FillInText(GetLocalText(gbkText), name);
    platform::ShowMessageBox(nullptr, text.c_str(), GetLocalText(GBK("提示")), platform::kMbOk);
}

void CFtpDownloader::TellCannotDownload(const std::string& name) const {
    std::string text = std::string(GetLocalText(GBK("无法下载该补丁文件"))) + ":" + name;
    platform::ShowMessageBox(nullptr, text.c_str(), GBK("提示"), platform::kMbOk);
}

void CFtpDownloader::TellConnectionLost() const {
    if (problem_.load() == FtpProblem::kNoAnswer) {
        Tell(GBK("下载服务器%s没有响应,请稍后重试"), Params().host);
        return;
    }
    std::string text = GetLocalText(GBK("与FTP服务器连接断开"));
    platform::ShowMessageBox(nullptr, text.c_str(), GetLocalText(GBK("提示")), platform::kMbOk);
}

FileStart CFtpDownloader::StartFile(const PatchFileEntry& entry) {
    int segments = StartFileOnMirror(entry);
    if (segments == 0 && mirrorSettings_.webOnly) {
        if (!cancel_.load()) {
            TellCannotDownload(entry.fileName);
        }
        return FileStart::kFailed;
    }
    if (segments == 0) {
        segments = cancel_.load() ? -1 : ProbeResume();
    }
    // On every way out, at the latest (see EndSessionsBefore).
    struct SessionsEnd {
        CFtpDownloader* downloader;
        ~SessionsEnd() { downloader->EndSessionsBefore(false); }
    } sessionsEnd{this};
    if (segments < 0) {
        if (!cancel_.load()) {
            TellConnectionLost();
        }
        return FileStart::kFailed;
    }
    uint32_t size = static_cast<uint32_t>(std::max<int32_t>(entry.size, 0));
    const std::string partPath = CPartFile::PartPath(entry.localPath);
    if (!platform::Exists(partPath)) {
        while (EnsureDiskSpace(nullptr, uint64_t{size} + kPartTrailerSize) == 0) {
            std::string text = GetLocalText(GBK("磁盘空间不足,请整理磁盘空间"));
            int answer = platform::ShowMessageBox(nullptr, text.c_str(), GetLocalText(GBK("提示")),
                                                  platform::kMbRetryCancel);
            if (answer != platform::kIdRetry) {
                return FileStart::kFailed;
            }
        }
    }
    if (!part_.Open(entry.localPath, size, segments)) {
        // download\ is missing and cannot be made, is not writable, or the
        // old partial file cannot be removed.
        Tell(GBK("无法创建文件%s,请检查下载目录"), partPath);
        return FileStart::kFailed;
    }
    if (!part_.IsOpen()) {
        // It held every byte already and was moved to its final name: what
        // is left is the check of its digest.
        if (platform::Exists(entry.localPath) && !platform::Exists(partPath)) {
            return FileStart::kFinished;
        }
        Tell(GBK("无法创建文件%s,请检查下载目录"), entry.localPath);
        return FileStart::kFailed;
    }
    if (part_.IsComplete()) {
        // Nothing to fetch (an empty file): it is whole as it stands.
        if (part_.Close()) {
            return FileStart::kFinished;
        }
        Tell(GBK("无法创建文件%s,请检查下载目录"), entry.localPath);
        return FileStart::kFailed;
    }
    segments_ = segments;
    std::string remotePath = RemoteFilePath(entry.directory, entry.fileName);

    // A stop that came while the file was being prepared ends the run here
    // instead of being forgotten.
    if (cancel_.load()) {
        return FileStart::kFailed;
    }
    JoinWorkers();
    active_ = 0;
    {
        std::lock_guard<std::mutex> lock(loginMu_);
        loginsTried_ = 0;
    }
    Connection c = Params();
    bool started = false;
    const PartTrailer& t = part_.trailer();
    for (uint32_t i = 0; i < t.segmentCount && part_.IsOpen(); ++i) {
        const SegmentRecord& s = t.segment[i];
        if (s.received >= s.length) {
            continue;
        }
        if (cancel_.load()) {
            break;  // a stop between two starts: no more workers
        }
        Segment segment{s.index, s.start, s.length, s.received};
        active_.fetch_add(1);
        try {
            std::thread worker(
                [this, segment, remotePath, c] { SegmentWorker(segment, remotePath, c); });
            std::lock_guard<std::mutex> lock(workersMu_);
            workers_.push_back(std::move(worker));
        } catch (const std::system_error&) {
            active_.fetch_sub(1);
            continue;
        }
        if (!started) {
            EndSessionsBefore(true);
        }
        started = true;
        platform::SleepMs(kWorkerStartSleepMs);
    }
    if (!started) {
        Stop();
        if (!cancel_.load()) {
            Tell(GBK("无法开始下载文件%s,请重试"), entry.fileName);
        }
        return FileStart::kFailed;
    }
    return FileStart::kStarted;
}

void CFtpDownloader::EndSessionsBefore(bool waitForWorker) {
    if (waitForWorker && probe_.IsOpen()) {
        std::unique_lock<std::mutex> lock(loginMu_);
        const uint32_t since = platform::TickCount();
        while (loginsTried_ == 0 && !cancel_.load() && Since(since) < kFirstLoginWaitMs) {
            loginCv_.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    Shut(probe_);
    control_.Close();
}

void CFtpDownloader::SegmentWorker(Segment segment, std::string remotePath, Connection c) {
    uint32_t offset = segment.start + segment.received;
    uint32_t remaining = segment.length - segment.received;
    std::vector<uint8_t> scratch;

    while (remaining > 0 && !cancel_.load()) {
        // The web mirrors first, while one serves the file; the FTP server
        // takes over where they left off.
        if (HttpSegment(segment.index, offset, remaining)) {
            continue;
        }
        if (mirrorSettings_.webOnly) {
            break;  // no mirror is left, and no FTP server stands behind them
        }
        std::optional<Transfer> transfer = OpenTransfer(c, remotePath, offset);
        if (!transfer) {
            Pause(kReconnectPauseMs);
            continue;
        }
        if (options_.dataReader != nullptr) {
            options_.dataReader->Begin(transfer->data, offset);
        }
        const uint64_t received =
            ReceiveSegment(*transfer, segment.index, offset, remaining, scratch);
        if (received == 0 && !cancel_.load()) {
            Problem(FtpProblem::kNoData);
        }
        Shut(transfer->data);
        Shut(transfer->control);
    }
    active_.fetch_sub(1);
}

std::optional<CFtpDownloader::Transfer> CFtpDownloader::OpenTransfer(const Connection& c,
                                                                     const std::string& remotePath,
                                                                     uint32_t offset) {
    Transfer t;
    int login = 0;
    for (int attempt = 0; attempt < kLoginAttempts; ++attempt) {
        login = LoginOn(t.control, c);
        if (login != 0) {
            break;
        }
        platform::SleepMs(kLoginRetrySleepMs);
        if (cancel_.load()) {
            break;
        }
    }
    {
        std::lock_guard<std::mutex> lock(loginMu_);
        ++loginsTried_;
    }
    loginCv_.notify_all();
    if (login != 1) {
        if (!cancel_.load()) {
            Post(UM_RECONNECTING, 0, 0);
        }
        t.control.Close();
        return std::nullopt;
    }
    if (!RequestTransfer(t, remotePath, offset)) {
        return std::nullopt;
    }
    return t;
}

bool CFtpDownloader::RequestTransfer(Transfer& t, const std::string& remotePath, uint32_t offset) {
    std::string reply;
    std::optional<PasvAddress> pasv;
    if (Expect(t.control, "TYPE I\r\n", 200) == 200 && Command(t.control, "PASV\r\n")) {
        if (ReadReply(t.control, &reply) == 227) {
            pasv = ParsePasvReply(reply);
        }
        if (!reply.empty() && !pasv) {
            Problem(FtpProblem::kBadPassive);
        }
    }
    if (!pasv) {
        Shut(t.control);
        return false;
    }
    // The data connection goes to the server we are talking to, whatever
    // host the reply names: a reply naming another host would send our
    // connection elsewhere (and servers behind NAT name private ones).
    const std::string host = t.control.PeerAddress().value_or(std::string());
    if (host.empty()) {
        Shut(t.control);
        return false;
    }

    // Servers without restart support start the transfer at the file's
    // first byte; the bytes before offset are then read and dropped.
    if (offset > 0) {
        const int code = Command(t.control, "REST " + std::to_string(offset) + "\r\n")
                             ? ReadReply(t.control)
                             : 0;
        if (code == 0) {
            Shut(t.control);
            return false;
        }
        if (code != 350) {
            t.skip = offset;
        }
    }
    if (!ConnectData(t.data, host, pasv->port)) {
        Problem(FtpProblem::kNoConnection);
        Shut(t.control);
        return false;
    }
    const int code = Command(t.control, "RETR " + remotePath + "\r\n") ? ReadReply(t.control) : 0;
    if (code != 150 && code != 125) {
        if (code != 0) {
            Problem(FtpProblem::kRefused);
        }
        Shut(t.data);
        Shut(t.control);
        return false;
    }
    return true;
}

platform::Result<size_t> CFtpDownloader::ReadData(platform::TcpSocket& data, void* buffer,
                                                  size_t size) {
    // Each receive takes at most receiveCap bytes; the socket makes as many
    // of them in one call as it has data for.
    if (options_.dataReader != nullptr) {
        return options_.dataReader->Read(data, buffer, std::min(size, options_.receiveCap));
    }
    return data.RecvPieces(buffer, size, options_.receiveCap);
}

uint64_t CFtpDownloader::ReceiveSegment(Transfer& t, uint32_t segmentIndex, uint32_t& offset,
                                        uint32_t& remaining, std::vector<uint8_t>& scratch) {
    uint64_t received = 0;
    DataBlock* block = nullptr;
    int errors = 0;
    while (remaining > 0) {
        if (cancel_.load()) {
            break;
        }
        if (queued_.load() > kQueueHighWater) {
            WaitForRoom();
        }
        if (block == nullptr) {
            block = NewBlock(segmentIndex, offset);
            if (block == nullptr) {
                platform::SleepMs(kQueueFullSleepMs);
                continue;
            }
        }
        if (block->length == kDataBlockBytes) {
            offset += kDataBlockBytes;
            Enqueue(block);
            block = NewBlock(segmentIndex, offset);
            if (block == nullptr) {
                continue;
            }
        }
        size_t want = std::min<size_t>(remaining, kDataBlockBytes - block->length);
        uint8_t* into = block->data + block->length;
        if (t.skip > 0) {
            scratch.resize(options_.receiveCap);
            want = std::min<size_t>(t.skip, scratch.size());
            into = scratch.data();
        }
        // Read first and wait only when nothing is there: the same as
        // waiting before every read, without a wait call per read.
        auto got = ReadData(t.data, into, want);
        if (!got && platform::IsWouldBlock(got.error())) {
            if (t.data.WaitReadable(kDataWaitMs) != platform::WaitResult::kReady) {
                continue;
            }
            got = ReadData(t.data, into, want);
            if (!got && platform::IsWouldBlock(got.error())) {
                continue;
            }
        }
        if (!got) {
            if (platform::IsConnectionReset(got.error())) {
                break;
            }
            if (++errors > kReceiveErrorsMax) {
                break;
            }
            Pause(kReceiveErrorSleepMs);
            continue;
        }
        if (*got == 0) {
            break;
        }
        errors = 0;
        received += *got;
        if (t.skip > 0) {
            t.skip -= static_cast<uint32_t>(*got);
            continue;
        }
        block->length += static_cast<uint32_t>(*got);
        remaining -= static_cast<uint32_t>(*got);
    }
    if (block != nullptr) {
        if (block->length > 0) {
            offset += block->length;
            Enqueue(block);
        } else {
            pool_.Put(block);
        }
    }
    return received;
}

void CFtpDownloader::DownloadThread() {
    int64_t total = mirrorSettings_.webOnly ? ReadMirrorSizes() : ReadSizes();
    if (total < 0) {
        Post(UM_RESET, 0, 0);
        return;
    }
    std::vector<PatchFileEntry> entries = list_->Snapshot();
    if (releaseGate_) {
        Transfer t;
        t.control = std::move(control_);
        const bool passed = PassReleaseGate(t, entries, total);
        control_ = std::move(t.control);
        if (!passed) {
            control_.Close();
            Post(UM_RESET, 0, 0);
            return;
        }
    }
    if (fetchSignatures_ && !FetchSignatures(entries)) {
        control_.Close();
        Post(UM_RESET, 0, 0);
        return;
    }
    // The control connection is closed when the first file to fetch has
    // started (StartFile), or here.
    int64_t done = 0;
    for (const PatchFileEntry& entry : entries) {
        if (!FetchFile(entry, done, total)) {
            control_.Close();
            Post(UM_RESET, 0, 0);
            return;
        }
    }
    control_.Close();
    Post(UM_DOWNLOAD_DONE, 0, 0);
}

bool CFtpDownloader::DigestMatches(const PatchFileEntry& entry) {
    uint8_t digest[16] = {};
    // A file that cannot be read leaves a digest that matches nothing. What
    // the writer digested on the way is not read again.
    if (digest_.running() && digest_.hashed() > 0) {
        (void)Md5OfFileRest(entry.localPath.c_str(), digest_.hashed(), digest_.md5(), digest);
    } else {
        (void)Md5OfFile(entry.localPath.c_str(), digest);
    }
    digest_.Stop();
    return Md5Hex(digest) == entry.md5Text;
}

bool CFtpDownloader::FetchFile(const PatchFileEntry& entry, int64_t& done, int64_t total) {
    digest_.Stop();  // nothing of this file digested yet
    // A package that is here already is used only when it is the one the
    // version server names: a damaged, cut or re-released file of the same
    // name is fetched again instead of failing every unpacking.
    if (platform::Exists(entry.localPath)) {
        if (DigestMatches(entry)) {
            done += entry.size;
            return true;
        }
        (void)platform::DeleteFile(entry.localPath);
    }
    for (int attempt = 0;; ++attempt) {
        digest_.Stop();
        FileStart start = StartFile(entry);
        if (start == FileStart::kFailed) {
            return false;
        }
        if (start == FileStart::kStarted && !Receive(entry, done, total)) {
            return false;
        }
        if (DigestMatches(entry)) {
            done += entry.size;
            return true;
        }
        part_.SetReceived(0);
        (void)platform::DeleteFile(entry.localPath);
        Post(UM_PROGRESS, 0, Percent(done, total));
        Post(UM_SPEED, static_cast<uint64_t>(done), total);
        if (cancel_.load()) {
            return false;  // stopped: the next attempt fetches it
        }
        if (attempt >= kVerifyRetries) {
            // Fetched again and still wrong: the file on the server is.
            Tell(GBK("补丁文件%s仍未通过验证,服务器上的文件可能已损坏"), entry.fileName);
            return false;
        }
        // The box says the file will be downloaded again, and so it is.
        Post(UM_VERIFY_FAILED, 0, 0);
    }
}

CFtpDownloader::SmallFetch CFtpDownloader::FetchSmallFile(Transfer& t, const std::string& directory,
                                                          const std::string& fileName, size_t most,
                                                          std::string& text) {
    text.clear();
    if (FetchSmallFileFromMirror(directory, fileName, most, text)) {
        return SmallFetch::kFetched;
    }
    if (cancel_.load()) {
        return SmallFetch::kFailed;
    }
    if (mirrorSettings_.webOnly) {
        return SmallFetch::kMissing;  // no mirror has it, and there is nobody else
    }
    problem_ = FtpProblem::kNone;
    if (!RequestTransfer(t, RemoteFilePath(directory, fileName), 0)) {
        if (cancel_.load()) {
            return SmallFetch::kFailed;
        }
        return problem_.load() == FtpProblem::kRefused ? SmallFetch::kMissing : SmallFetch::kFailed;
    }
    const bool whole = ReceiveWhole(t.data, text, most);
    t.data.Close();
    // The transfer's end on the control connection, before the next
    // command: a cut stream ends with an abort reply, which is as good.
    const int end = whole ? ReadReply(t.control) : 0;
    if (cancel_.load() || !whole || (end / 100 != 2 && text.size() <= most)) {
        return SmallFetch::kFailed;
    }
    return SmallFetch::kFetched;
}

bool CFtpDownloader::PassReleaseGate(Transfer& t, std::vector<PatchFileEntry>& entries,
                                     int64_t& total) {
    const std::string name = sign::kReleaseFileName;
    std::string release;
    std::string signature;
    SmallFetch got = FetchSmallFile(t, "", name, sign::kReleaseBytesMax, release);
    if (got == SmallFetch::kFetched) {
        got = FetchSmallFile(t, "", name + kSignatureSuffix, kSignatureFileMax, signature);
    }
    if (cancel_.load()) {
        return false;
    }
    if (got == SmallFetch::kFailed) {
        TellConnectionLost();
        return false;
    }
    std::string why = got == SmallFetch::kMissing
                          ? "the servers have no signed " + name + " (and " + name +
                                kSignatureSuffix + ") beside the packages"
                          : releaseGate_(release, signature, entries);
    if (!why.empty()) {
        const std::string text =
            FillInText(GetLocalText(GBK("发布者签名的版本文件%s不能证实这次更新,已停止更新")),
                       name) +
            "\n" + why;
        platform::ShowMessageBox(nullptr, text.c_str(), GetLocalText(GBK("提示")), platform::kMbOk);
        return false;
    }
    // The sizes now are the signed ones: what the list and the bars use.
    total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        (void)list_->SetSize(i, entries[i].size);
        total += entries[i].size;
    }
    return true;
}

bool CFtpDownloader::FetchSignatures(const std::vector<PatchFileEntry>& entries) {
    // One after another on the control connection of the sizes: a session
    // of its own per signature would cost a log-in (and, with many servers,
    // a good part of a second) each.
    Transfer t;
    t.control = std::move(control_);
    for (const PatchFileEntry& entry : entries) {
        const std::string local = entry.localPath + kSignatureSuffix;
        (void)platform::DeleteFile(local);  // never one of an earlier release
        std::string text;
        const SmallFetch got = FetchSmallFile(t, entry.directory, entry.fileName + kSignatureSuffix,
                                              kSignatureFileMax, text);
        if (cancel_.load()) {
            return false;
        }
        if (got == SmallFetch::kMissing) {
            // The servers have no signature for it: not the publisher's.
            // Not fetched, and one left from before goes.
            DeletePackage(entry.localPath);
            Tell(GBK("补丁文件%s没有发布者的签名,不能更新"), entry.fileName);
            return false;
        }
        if (got == SmallFetch::kFailed) {
            TellConnectionLost();
            return false;
        }
        // Whatever came is kept as it came: the unpacking judges it, and
        // says why when it is not a signature (too large, damaged, foreign).
        const std::string folder = platform::DirName(local, platform::PathSeparators::kBoth);
        if (!folder.empty()) {
            CreateDirectoryChain(folder);
        }
        auto file = platform::File::Open(local, platform::Access::kWrite, platform::kShareRead,
                                         platform::Disposition::kCreateAlways);
        if (!file || !file->Write(text.data(), text.size()) || !file->Flush()) {
            Tell(GBK("无法写入文件%s,请检查磁盘空间"), local);
            return false;
        }
    }
    control_ = std::move(t.control);
    return true;
}

bool CFtpDownloader::ReceiveWhole(platform::TcpSocket& data, std::string& text, size_t most) {
    uint32_t lastData = platform::TickCount();
    char buffer[1024];
    while (!cancel_.load()) {
        auto got = data.Recv(buffer, sizeof buffer);
        if (!got && platform::IsWouldBlock(got.error())) {
            if (Since(lastData) >= options_.replyTimeoutMs) {
                problem_ = FtpProblem::kNoAnswer;
                return false;
            }
            (void)data.WaitReadable(kDataWaitMs);
            continue;
        }
        if (!got) {
            return false;
        }
        if (*got == 0) {
            return true;
        }
        // A little past the bound, so that the reader sees it is too large;
        // what follows is not waited for.
        text.append(buffer, std::min<size_t>(*got, most + 1 - text.size()));
        if (text.size() > most) {
            return true;
        }
        lastData = platform::TickCount();
    }
    return false;
}

const char* FtpProblemText(FtpProblem problem) {
    switch (problem) {
        case FtpProblem::kNoConnection:
            return "the server cannot be reached or closed the connection";
        case FtpProblem::kNoAnswer:
            return "the server does not answer";
        case FtpProblem::kRefused:
            return "the server refused a command";
        case FtpProblem::kBadPassive:
            return "the server's passive-mode reply (PASV) names no usable address";
        case FtpProblem::kNoData:
            return "the server sent no data";
        case FtpProblem::kNone:
            break;
    }
    return "no data arrived";
}
