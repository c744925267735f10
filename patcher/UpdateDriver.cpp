// The update driver: initialisation, the threads' starts and stops,
// ServerListThread, the download's start, UnpackThread.
//
// Sections: helpers; initialisation; ServerListThread; UpdateThread's start
// and stop; the download; UnpackThread; the end.
#include "patcher/UpdateDriver.h"

#include <cstdio>
#include <ctime>
#include <random>

#include "cpk/CPKVfs.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/FileHelpers.h"
#include "cpk/Md5.h"
#include "cpk/Unpack.h"
#include "cpk/UnpackJournal.h"
#include "patcher/CConfigFile.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/PatchFileList.h"
#include "patcher/SelfUpdateRecord.h"
#include "patcher/Signatures.h"
#include "patcher/VersionRecord.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

// Where the undo journal of the unpacking lives: the patcher's scratch
// folder of the game folder.
constexpr const char kJournalFolder[] = "download\\undo";
// A message lists at most this many names of what an update left out.
constexpr size_t kNamesShown = 5;

// Where the download puts the release file it fetched (a name no package
// may have).
std::string FetchedReleasePath(const std::string& gameFolder) {
    const std::string path = "download\\" + std::string(sign::kReleaseFileName);
    return gameFolder.empty() ? path : gameFolder + "\\" + path;
}

std::string Names(const std::vector<std::string>& names) {
    std::string out;
    for (size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        out += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kNamesShown) {
        out += ", ...";
    }
    return out;
}

std::string Format(const char* format, const char* text) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, format, text);
    return buffer;
}

// counter x 100 / total, as the update bar shows it; a set of empty packages
// is complete at once rather than a division by zero.
int64_t Percent(uint64_t counter, uint32_t total) {
    if (total == 0) {
        return 100;
    }
    return static_cast<int64_t>(counter * 100 / total);
}

}  // namespace

// ---- Helpers ----

std::string UpdateKey(int32_t target, const std::vector<PatchFileEntry>& files) {
    std::string list;
    for (const PatchFileEntry& e : files) {
        list += e.directory + "\\" + e.fileName + " " + e.md5Text + "\n";
    }
    uint8_t digest[16];
    Md5OfString(list.c_str(), digest);
    return std::to_string(target) + " " + Md5Hex(digest);
}

void ManualResetEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        set_ = true;
    }
    cv_.notify_all();
}

bool ManualResetEvent::IsSet() {
    std::lock_guard<std::mutex> lock(mu_);
    return set_;
}

void ManualResetEvent::WaitAndReset() {
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait(lock, [this] { return set_; });
    set_ = false;
}

void UpdateDriver::ProgressToDialog::Progress(uint32_t bar, uint32_t percent) {
    dialog_.Post(UM_PROGRESS, bar, percent);
}

UpdateDriver::UpdateDriver(CUpdateDlg& dialog, UpdateShared& shared, UpdateDriverOptions options)
    : dialog_(dialog),
      progress_(dialog),
      shared_(shared),
      options_(std::move(options)),
      downloader_(std::make_unique<CFtpDownloader>()) {}

UpdateDriver::~UpdateDriver() {
    EndThreads();
}

std::unique_ptr<UpdateWork> MakeUpdateDriver(CUpdateDlg& dialog, UpdateShared& shared,
                                             UpdateDriverOptions options) {
    return std::make_unique<UpdateDriver>(dialog, shared, std::move(options));
}

void UpdateDriver::Box(const char* gbkText, const char* gbkCaption, uint32_t type) {
    std::string text = dialog_.Text(gbkText);
    std::string caption = gbkCaption ? dialog_.Text(gbkCaption) : std::string();
    platform::ShowMessageBox(dialog_.owner(), text.c_str(), gbkCaption ? caption.c_str() : nullptr,
                             type);
}

int UpdateDriver::Ask(const char* gbkText, uint32_t type) {
    std::string text = dialog_.Text(gbkText);
    return platform::ShowMessageBox(dialog_.owner(), text.c_str(), nullptr, type);
}

std::string UpdateDriver::versionServerAddress() const {
    std::lock_guard<std::mutex> lock(addressMu_);
    return versionServerAddress_;
}

// ---- Initialisation ----

void UpdateDriver::Init() {
    shared_.unpack.stopFlag = 0;
    shared_.updateState = 0;
    CConfigFile config;
    (void)config.Load((platform::CurrentDirectory() + "\\update.ini").c_str(), true);
    shared_.gamePath = std::string(config.GetString("game tesmar")).substr(0, kGamePathMax);
    shared_.versionServerPort = config.GetInt("checkversion port");
    const auto& captions = UrlCaptions();
    for (size_t i = 0; i < kUrlCount; ++i) {
        std::string key = Format("url %s", dialog_.Text(captions[i]).c_str());
        shared_.urls[i] = std::string(config.GetString(key.c_str())).substr(0, kUrlMax);
    }
    if (options_.ftp) {
        downloader_->Create(&dialog_, &PatchFiles(), *options_.ftp);
    } else {
        downloader_->Create(&dialog_, &PatchFiles());
    }
    // The keys update.ini lists when the patcher starts decide whether
    // packages must be signed, until the folder trusts a release file.
    startKeys_ = ReadPublisherKeys(config);
    // Once the folder has a trusted release, its keys are the ones in force
    // and signing stays on, whatever a package did to update.ini since.
    trusted_ = ReadTrustedRelease(platform::CurrentDirectory());
    signing_ = SigningRequired(startKeys_, trusted_);
    downloader_->SetFetchSignatures(signing_);
    if (signing_) {
        downloader_->SetReleaseGate([this](const std::string& text, const std::string& signature,
                                           std::vector<PatchFileEntry>& entries) {
            return AllowRelease(text, signature, entries);
        });
    }
    // Web mirrors, where update.ini lists any, come before the FTP server.
    iniMirrors_ = ReadMirrorSettings(config, platform::CurrentDirectory());
    downloader_->SetMirrors(iniMirrors_);
    // The resume index belongs to the game folder (not to wherever the
    // program lies: one program may serve several folders); the unpacking
    // takes it only when it belongs to its update.
    shared_.gameFolder = platform::CurrentDirectory();
    shared_.resumeIndex = ReadResumeIndex(shared_.gameFolder);
}

// ---- ServerListThread ----

void UpdateDriver::StartServerListThread() {
    serverListDone_ = false;
    serverListThread_ = std::thread([this] {
        ServerListThread();
        serverListDone_ = true;
    });
}

void UpdateDriver::ServerListThread() {
    ServerListOptions o = options_.serverList;
    o.owner = dialog_.owner();
    o.folder.clear();
    BuildServerList(servers_, list_, o);
    dialog_.PostStartUpdate();
    while (shared_.quitFlag.load() == 0) {
        serverListChanged_.WaitAndReset();
        if (shared_.quitFlag.load() != 0) {
            break;
        }
        BuildServerList(servers_, list_, o);
    }
}

UpdateWork::ServerRows UpdateDriver::ServerList() const {
    PicListModel::View v = list_.Snapshot();
    return ServerRows{v.items, v.selected};
}

void UpdateDriver::SelectServer(int row) {
    if (row < 0) {
        list_.ClearSelection();  // a click below the rows
    } else {
        list_.SetCurSel(row);
    }
}

bool UpdateDriver::HasServerSelection() const {
    return list_.GetCurSel() != -1;
}

void UpdateDriver::StoreLoginChoice() {
    ::StoreLoginChoice(servers_, list_, dialog_.owner(), options_.serverList.settings);
}

void UpdateDriver::StoreResumeIndex(int32_t index) {
    // Only ever 0 from the dialog now (UnpackThread stores the others, named
    // after their update); a file that cannot be removed no longer matters,
    // since it names an update that is done.
    std::string key;
    if (index != 0) {
        std::lock_guard<std::mutex> lock(addressMu_);  // the unpack thread sets it
        key = updateKey_;
    }
    (void)WriteResumeIndex(index, shared_.gameFolder, key);
    if (index == 0) {
        // Done with this upgrade path: a later update in this run starts
        // its own list from its first patch.
        shared_.resumeIndex = 0;
    }
}

// ---- UpdateThread's start and stop ----

bool UpdateDriver::StartUpdateThread() {
    JoinUpdateThread();
    updateStop_ = false;
    updateDone_ = false;
    try {
        updateThread_ = std::thread([this] {
            UpdateThread();
            updateDone_ = true;
        });
    } catch (const std::system_error&) {
        updateDone_ = true;
        return false;
    }
    updateActive_ = true;
    return true;
}

void UpdateDriver::JoinUpdateThread() {
    if (updateThread_.joinable()) {
        dialog_.WaitUntil([this] { return updateDone_.load(); });
        updateThread_.join();
    }
}

void UpdateDriver::StopUpdateThread(int /*waitMs*/) {
    // The thread is not killed: it sees its stop flag at the next poll of the
    // version check or between its steps, so waiting for it ends within one
    // network wait, with or without a limit.
    downloader_->SetCancel();
    updateStop_ = true;
    JoinUpdateThread();
    downloader_->Stop();
    updateActive_ = false;
}

// ---- The download ----

void UpdateDriver::StartDownload(const std::string& ftpAddress,
                                 const std::vector<std::string>& webMirrors) {
    MirrorSettings mirrors = iniMirrors_;
    AddMirrorBases(mirrors, webMirrors, "the version server's");
    downloader_->SetMirrors(std::move(mirrors));
    // A version server that serves from the web alone names no FTP server.
    const bool noFtp = ftpAddress.empty() || ftpAddress == "0.0.0.0";
    downloader_->SetWebOnly(false);
    int login = 0;
    if (!noFtp) {
        login =
            downloader_->Login(ftpAddress, options_.ftpPort, kAnonymousUser, kAnonymousPassword);
    }
    if (UpdateStopped()) {
        dialog_.Post(UM_RESET, 0, 0);
        return;
    }
    // No FTP server, or one that does not answer, is no reason to fail while
    // web mirrors are listed: the sizes, packages and signatures then come
    // from them alone.
    if (login != 1 && downloader_->SetWebOnly(true)) {
        login = 1;
    }
    if (login != 1) {
        if (!noFtp && downloader_->lastProblem() == FtpProblem::kNoAnswer) {
            // A server that accepts the connection and then keeps silent.
            std::string text =
                FillInText(dialog_.Text(GBK("下载服务器%s没有响应,请稍后重试")), ftpAddress);
            platform::ShowMessageBox(dialog_.owner(), text.c_str(),
                                     dialog_.Text(GBK("提示")).c_str(), platform::kMbOk);
        } else {
            Box(GBK("连接下载服务器失败,请重试"), GBK("提示"));
        }
        dialog_.Post(UM_RESET, 0, 0);
        return;
    }
    dialog_.SetSpeedBaseline(platform::TickCount(), 0);
    dialog_.PostStatusText(dialog_.Text(GBK("准备更新...")));
    if (!downloader_->Start()) {
        downloader_->Stop();
        Box(GBK("下载失败,请重试"), GBK("提示"));
        dialog_.Post(UM_RESET, 0, 0);
    }
}

// ---- UnpackThread ----

bool UpdateDriver::StartUnpackThread() {
    JoinUnpackThread();
    unpackDone_ = false;
    shared_.unpackResult = 0;
    try {
        unpackThread_ = std::thread([this] {
            UnpackThread();
            unpackDone_ = true;
        });
    } catch (const std::system_error&) {
        unpackDone_ = true;
        return false;
    }
    return true;
}

void UpdateDriver::JoinUnpackThread() {
    if (unpackThread_.joinable()) {
        dialog_.WaitUntil([this] { return unpackDone_.load(); });
        unpackThread_.join();
    }
}

void UpdateDriver::WaitUnpackThread() {
    JoinUnpackThread();
}

void UpdateDriver::FailUnpack() {
    shared_.unpackResult = -1;
    dialog_.Post(UM_UPDATE_FAILED, 0, 0);
}

bool UpdateDriver::WaitForGameToClose() {
    auto isRunning = options_.isGameRunning ? options_.isGameRunning : IsGameRunning;
    while (isRunning(shared_.gamePath)) {
        if (Ask(GBK("游戏客户端正在运行,需先关闭,否则无法更新!"), platform::kMbRetryCancel) !=
            platform::kIdRetry) {
            FailUnpack();
            return false;
        }
    }
    return true;
}

bool UpdateDriver::CountEntries(std::vector<PatchFileEntry>& files, uint32_t& total,
                                const std::function<void()>& letGo) {
    CPKVfs package(blockPool_);
    total = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!package.Open(files[i].localPath, CPKOpenMode::kReadOnly)) {
            // Kept, it would count as downloaded on every later attempt:
            // it goes, and the next attempt fetches it again.
            letGo();
            DeletePackage(files[i].localPath);
            Tell(GBK("补丁文件%s已损坏,已将其删除,请重新更新"), files[i].fileName);
            FailUnpack();
            return false;
        }
        int32_t live = static_cast<int32_t>(package.Header().liveCount);
        files[i].entryCount = live;
        PatchFiles().SetEntryCount(i, live);
        total += static_cast<uint32_t>(live);
        package.Close();
    }
    return true;
}

bool UpdateDriver::BeginJournal(UnpackJournal& journal, const std::string& key) {
    const std::string pending = journal.PendingKey();
    if (!pending.empty() && pending != key) {
        // Another update's journal: that update completed (its version is
        // the one recorded) or it is undone before this one starts.
        if (UnpackJournal::KeyVersion(pending) == ReadInstalledVersion(nullptr)) {
            (void)journal.Commit();
        } else if (journal.Begin(pending) && journal.Rollback()) {
            (void)WriteResumeIndex(0, shared_.gameFolder);
        } else {
            Tell(GBK("无法恢复%s,请重新更新"), journal.failedPath());
            FailUnpack();
            return false;
        }
    }
    DiscIOMgr::SetLastError(0);
    if (!journal.Begin(key)) {
        Tell(GBK("无法创建文件%s,请检查下载目录"), journal.failedPath(), DiscIOMgr::LastError());
        FailUnpack();
        return false;
    }
    return true;
}

bool UpdateDriver::AskForRoom(uint64_t size) {
    while (!EnsureDiskSpace(nullptr, size)) {
        if (Ask(GBK("磁盘空间不足, 更新被中止!"), platform::kMbRetryCancel) != platform::kIdRetry) {
            return false;
        }
    }
    return true;
}

bool UpdateDriver::StopForSelfUpdate(size_t index, const std::string& key) {
    // The patcher stops here: the next start goes on with the next package,
    // the journal kept for it.
    const int32_t next = static_cast<int32_t>(index + 1);
    if (WriteResumeIndex(next, shared_.gameFolder, key)) {
        shared_.resumeIndex = next;
        shared_.unpack.journal = nullptr;
        shared_.unpackResult = 2;
        dialog_.PostCloseRequest(next);
        return true;
    }
    // Without the index the next start would begin again at the first
    // package and stop at this one for ever: go on now, as the next start
    // would have; the hand-over follows the last.
    Tell(GBK("无法保存更新进度到%s,更新将继续进行"), shared_.gameFolder + "\\unpack_log.ini");
    shared_.unpack.selfUpdatePending = 0;
    return false;
}

bool UpdateDriver::FinishUnpack(int32_t version, const std::vector<PatchFileEntry>& files,
                                UnpackJournal& journal) {
    if (!WriteInstalledVersion(
            version, [this](const std::string& text) { dialog_.PostVersionText(text); })) {
        return false;
    }
    // The version is recorded: from now on no index may skip a package.
    (void)WriteResumeIndex(0, shared_.gameFolder);
    {
        // The release file that allowed it becomes the folder's: the floor
        // for the next one, and the keys in force. Kept only once the
        // update is complete, so that a failed one leaves the folder as it
        // was.
        std::lock_guard<std::mutex> lock(releaseMu_);
        if (allowed_) {
            if (StoreTrustedRelease(shared_.gameFolder, allowedText_, allowedSignature_)) {
                trusted_ = allowed_->release;
            }
            DeletePackage(FetchedReleasePath(shared_.gameFolder));
        }
    }
    shared_.unpack.journal = nullptr;
    (void)journal.Commit();
    for (const PatchFileEntry& entry : files) {
        DeletePackage(entry.localPath);
    }
    shared_.unpackResult = 1;
    return true;
}

void UpdateDriver::UnpackThread() {
    shared_.unpackResult = 0;
    // A new patcher noted by an earlier attempt of this run is no news to
    // this one.
    shared_.unpack.selfUpdatePending = 0;
    if (!WaitForGameToClose()) {
        return;
    }

    shared_.unpack.total = 0;
    uint32_t counter = 0;
    std::vector<PatchFileEntry> files = PatchFiles().Snapshot();
    // Every package is checked before any is opened as an archive: the
    // archive reader never sees bytes the publisher did not sign. Each is
    // held open against writers from its check until the unpacking ends,
    // so that what is unpacked is what was checked.
    std::vector<platform::File> held;
    for (const PatchFileEntry& entry : files) {
        if (signing_) {
            auto f =
                platform::File::Open(entry.localPath, platform::Access::kRead, platform::kShareRead,
                                     platform::Disposition::kOpenExisting);
            if (f) {
                held.push_back(std::move(f.value()));
            }
        }
        if (!CheckSignature(entry, [&held] { held.clear(); })) {
            FailUnpack();
            return;
        }
    }
    uint32_t total = 0;
    if (!CountEntries(files, total, [&held] { held.clear(); })) {
        return;
    }
    CPKVfs package(blockPool_);
    CPKVfs target(blockPool_);
    shared_.unpack.total = total;
    shared_.unpack.events = &progress_;
    shared_.unpack.owner = dialog_.owner();
    shared_.unpack.executableName = shared_.ownExeName;
    shared_.unpack.gameFolder.clear();
    shared_.unpack.skipped.clear();
    shared_.unpack.failedPath.clear();

    // The update's name ties its resume index and its undo journal to it.
    const int32_t version = shared_.installedVersion.load();
    const std::string key = UpdateKey(version, files);
    {
        std::lock_guard<std::mutex> lock(addressMu_);
        updateKey_ = key;
    }
    UnpackJournal journal(kJournalFolder);
    if (!BeginJournal(journal, key)) {
        return;
    }
    shared_.unpack.journal = &journal;
    const int32_t resume = ReadResumeIndex(shared_.gameFolder, key);
    shared_.resumeIndex = resume;

    // Ends a failed or stopped unpacking: the game folder goes back to what
    // it was before the update, and the player learns what failed (and the
    // system's reason, where there is one: a full disk, say).
    bool unpackedPatcher = false;  // this run wrote a new patcher (to download\)
    auto fail = [&](const std::string& what, uint32_t systemError = 0) {
        package.Close();
        target.Close();
        shared_.unpack.journal = nullptr;
        if (!what.empty()) {
            Tell(GBK("无法更新%s,更新已撤销"), what, systemError);
        }
        if (unpackedPatcher) {
            // Out of an update that did not happen: never to be installed.
            ForgetUnpackedPatcher(shared_.gameFolder);
            const std::string name = "download\\" + shared_.ownExeName;
            (void)platform::DeleteFile(
                shared_.gameFolder.empty() ? name : shared_.gameFolder + "\\" + name);
        }
        if (journal.Rollback()) {
            (void)WriteResumeIndex(0, shared_.gameFolder);
        } else {
            Tell(GBK("无法恢复%s,请重新更新"), journal.failedPath());
        }
        FailUnpack();
    };

    bool selfUpdateLast = false;
    for (size_t i = 0; i < files.size(); ++i) {
        if (static_cast<int64_t>(i) < resume) {
            counter += static_cast<uint32_t>(files[i].entryCount);
            dialog_.Post(UM_PROGRESS, 1, Percent(counter, total));
            continue;
        }
        if (!package.Open(files[i].localPath, CPKOpenMode::kReadOnly)) {
            fail(files[i].localPath);
            return;
        }
        if (!AskForRoom(platform::FileSize(files[i].localPath).value_or(0))) {
            fail("");
            return;
        }
        DiscIOMgr::SetLastError(0);
        int ok = options_.walk ? options_.walk(dialog_, shared_, counter, package, target)
                               : UnpackDirectory(shared_.unpack, 0, counter, package, target);
        const uint32_t systemError = DiscIOMgr::LastError();
        package.Close();
        target.Close();
        if (shared_.unpack.serverListChangedSeen.load() != 0) {
            serverListChanged_.Set();
            shared_.unpack.serverListChangedSeen = 0;
        }
        if (!ok) {
            // A stop by the player says nothing more; a failure names what.
            const std::string& what = shared_.unpack.failedPath;
            fail(shared_.unpack.stopFlag.load() ? ""
                 : what.empty()                 ? files[i].fileName
                                                : what,
                 systemError);
            return;
        }
        if (shared_.unpack.selfUpdatePending.load() == 1) {
            // What the hand-over may install: this file, as it is now.
            unpackedPatcher = true;
            if (!RecordUnpackedPatcher(shared_.gameFolder, shared_.ownExeName)) {
                fail(kSelfUpdateRecordFile);
                return;
            }
            if (i + 1 == files.size()) {
                selfUpdateLast = true;  // the hand-over follows the last package
                break;
            }
            if (StopForSelfUpdate(i, key)) {
                return;
            }
        }
    }

    if (!shared_.unpack.skipped.empty()) {
        // Files the walk went past: the folder would not be the new version.
        fail(Names(shared_.unpack.skipped));
        return;
    }
    if (!FinishUnpack(version, files, journal)) {
        fail(kVersionFile);
        return;
    }
    if (selfUpdateLast) {
        // The dialog hands over on the last progress; nothing follows.
        dialog_.PostCloseRequest(0);
        return;
    }
    dialog_.Post(UM_UPDATE_DONE, 0, 0);
}

std::string UpdateDriver::AllowRelease(const std::string& text, const std::string& signature,
                                       std::vector<PatchFileEntry>& entries) {
    const std::string path = FetchedReleasePath(shared_.gameFolder);
    CreateDirectoryChain(platform::DirName(path, platform::PathSeparators::kBackslash));
    if (!WriteReleaseFiles(path, text, signature)) {
        return "cannot write " + platform::GbkToUtf8(platform::NativePath(path));
    }
    ReleaseAnswer answer;
    answer.installed = versionBefore_.load();
    answer.target = shared_.targetVersion.load();
    ReleaseVerdict verdict =
        CheckRelease(path, KeysInForce(startKeys_, trusted_), trusted_,
                     static_cast<int64_t>(std::time(nullptr)), answer, entries);
    if (!verdict.why.empty()) {
        return verdict.why;
    }
    std::lock_guard<std::mutex> lock(releaseMu_);
    allowed_ = std::move(verdict);
    allowedText_ = text;
    allowedSignature_ = signature;
    return std::string();
}

bool UpdateDriver::CheckSignature(const PatchFileEntry& entry, const std::function<void()>& letGo) {
    if (!signing_) {
        return true;
    }
    // The keys of the release file that allowed this update: never keys a
    // package wrote into update.ini (an old signed package replayed would
    // bring back keys long retired).
    PublisherKeys keys;
    {
        std::lock_guard<std::mutex> lock(releaseMu_);
        if (allowed_) {
            keys = allowed_->packageKeys;
        }
    }
    const sign::Check check = CheckPackageSignature(entry.localPath, entry.fileName, keys);
    if (check.verdict == sign::Verdict::kGood) {
        return true;
    }
    // Kept, it would be taken again on every attempt: it goes, and the
    // next attempt fetches it (and its signature) again.
    letGo();
    DeletePackage(entry.localPath);
    std::string text =
        FillInText(dialog_.Text(GBK("补丁文件%s没有发布者的有效签名,已将其删除")), entry.fileName);
    text += "\n" + check.reason;
    platform::ShowMessageBox(dialog_.owner(), text.c_str(), dialog_.Text(GBK("提示")).c_str(),
                             platform::kMbOk);
    return false;
}

void UpdateDriver::Tell(const char* gbkText, const std::string& name, uint32_t systemError) {
    std::string text = FillInText(dialog_.Text(gbkText), name);
    if (systemError != 0) {
        text += "\n" + platform::Error{systemError}.Message();
    }
    platform::ShowMessageBox(dialog_.owner(), text.c_str(), dialog_.Text(GBK("提示")).c_str(),
                             platform::kMbOk);
}

// ---- The end ----

void UpdateDriver::EndThreads() {
    shared_.quitFlag = 1;
    if (serverListThread_.joinable()) {
        serverListChanged_.Set();  // wakes it to see quitFlag
        dialog_.WaitUntil([this] { return serverListDone_.load(); });
        serverListThread_.join();
    }
    updateStop_ = true;
    downloader_->SetCancel();
    JoinUpdateThread();
    JoinUnpackThread();
    downloader_->Destroy();
}
