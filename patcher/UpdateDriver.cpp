// The update driver: initialisation, the threads' starts and stops,
// ServerListThread, the download's start, UnpackThread.
//
// Sections: helpers; initialisation; ServerListThread; UpdateThread's start
// and stop; the download; UnpackThread; the end.
#include "patcher/UpdateDriver.h"

#include <cstdio>
#include <random>

#include "cpk/CPKVfs.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/Unpack.h"
#include "patcher/CConfigFile.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/PatchFileList.h"
#include "patcher/VersionRecord.h"
#include "patcher/ui/LocalText.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

// The unpack resume file lives beside the patcher's program.
std::string ProgramFolder(const UpdateShared& shared) {
    return FolderPart(shared.modulePath);
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

void ManualResetEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        set_ = true;
    }
    cv_.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard<std::mutex> lock(mu_);
    set_ = false;
}

void ManualResetEvent::Wait() {
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait(lock, [this] { return set_; });
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
    shared_.resumeIndex = ReadResumeIndex(ProgramFolder(shared_));
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
        serverListChanged_.Wait();
        if (shared_.quitFlag.load() != 0) {
            break;
        }
        BuildServerList(servers_, list_, o);
        serverListChanged_.Reset();
    }
}

UpdateWork::ServerRows UpdateDriver::ServerList() const {
    PicListModel::View v = list_.Snapshot();
    return ServerRows{v.items, v.selected};
}

void UpdateDriver::SelectServer(int row) {
    list_.SetCurSel(row);
}

bool UpdateDriver::HasServerSelection() const {
    return list_.GetCurSel() != -1;
}

void UpdateDriver::StoreLoginChoice() {
    ::StoreLoginChoice(servers_, list_, dialog_.owner());
}

void UpdateDriver::StoreResumeIndex(int32_t index) {
    (void)WriteResumeIndex(index, ProgramFolder(shared_));
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

void UpdateDriver::StartDownload(const std::string& ftpAddress) {
    int login =
        downloader_->Login(ftpAddress, options_.ftpPort, kAnonymousUser, kAnonymousPassword);
    if (UpdateStopped()) {
        dialog_.Post(UM_RESET, 0, 0);
        return;
    }
    if (login != 1) {
        if (downloader_->lastProblem() == FtpProblem::kNoAnswer) {
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

void UpdateDriver::UnpackThread() {
    auto isRunning = options_.isGameRunning ? options_.isGameRunning : IsGameRunning;
    while (isRunning(shared_.gamePath)) {
        if (Ask(GBK("游戏客户端正在运行,需先关闭,否则无法更新!"), platform::kMbRetryCancel) !=
            platform::kIdRetry) {
            dialog_.Post(UM_UPDATE_FAILED, 0, 0);
            return;
        }
    }

    shared_.unpack.total = 0;
    uint32_t counter = 0;
    CPKVfs package(blockPool_);
    CPKVfs target(blockPool_);
    std::vector<PatchFileEntry> files = PatchFiles().Snapshot();

    uint32_t total = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!package.Open(files[i].localPath, CPKOpenMode::kReadOnly)) {
            dialog_.Post(UM_UPDATE_FAILED, 0, 0);
            return;
        }
        int32_t live = static_cast<int32_t>(package.Header().liveCount);
        files[i].entryCount = live;
        PatchFiles().SetEntryCount(i, live);
        total += static_cast<uint32_t>(live);
        package.Close();
    }
    shared_.unpack.total = total;
    shared_.unpack.events = &progress_;
    shared_.unpack.owner = dialog_.owner();
    shared_.unpack.executableName = shared_.ownExeName;
    shared_.unpack.gameFolder.clear();

    for (size_t i = 0; i < files.size(); ++i) {
        if (static_cast<int64_t>(i) < shared_.resumeIndex.load()) {
            counter += static_cast<uint32_t>(files[i].entryCount);
            dialog_.Post(UM_PROGRESS, 1, Percent(counter, total));
            continue;
        }
        if (!package.Open(files[i].localPath, CPKOpenMode::kReadOnly)) {
            dialog_.Post(UM_UPDATE_FAILED, 0, 0);
            return;
        }
        uint64_t size = platform::FileSize(files[i].localPath).ok()
                            ? *platform::FileSize(files[i].localPath)
                            : 0;
        while (!EnsureDiskSpace(nullptr, size)) {
            if (Ask(GBK("磁盘空间不足, 更新被中止!"), platform::kMbRetryCancel) !=
                platform::kIdRetry) {
                package.Close();
                dialog_.Post(UM_UPDATE_FAILED, 0, 0);
                return;
            }
        }
        int ok = options_.walk ? options_.walk(dialog_, shared_, counter, package, target)
                               : UnpackDirectory(shared_.unpack, 0, counter, package, target);
        package.Close();
        target.Close();
        if (shared_.unpack.selfUpdatePending.load() == 1) {
            dialog_.PostCloseRequest(static_cast<int32_t>(i + 1));
            return;
        }
        if (shared_.unpack.serverListChangedSeen.load() != 0) {
            serverListChanged_.Set();
            shared_.unpack.serverListChangedSeen = 0;
        }
        if (!ok) {
            dialog_.Post(UM_UPDATE_FAILED, 0, 0);
            return;
        }
    }

    WriteInstalledVersion(shared_.installedVersion.load(),
                          [this](const std::string& text) { dialog_.PostVersionText(text); });
    for (const PatchFileEntry& entry : files) {
        (void)platform::DeleteFile(entry.localPath);
    }
    dialog_.Post(UM_UPDATE_DONE, 0, 0);
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
