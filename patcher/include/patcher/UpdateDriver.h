// The update driver: the threads of the update flow behind the update
// dialog (CUpdateDlg's UpdateWork). ServerListThread builds the server list
// and starts the first update; UpdateThread asks a version server for the
// upgrade path and hands the download to the downloader's DownloadThread;
// UnpackThread unpacks the downloaded patches one after another, records the
// new version and cleans up, or stops for a new patcher. What it changes is
// kept in an undo journal first (cpk/UnpackJournal.h): an unpacking that
// fails or is stopped is undone, so that the game folder is always the old
// version or the new one, and version.dat says which.
//
// Stopping is cooperative: the update thread's stop flag is polled by the
// version check and between its steps, the downloader's cancel flag by the
// download, stopFlag by the unpack walk; the dialog waits for each in the
// order the flow requires. A stopped UpdateThread reports UM_RESET, so the
// dialog always returns to idle.
//
// Threads: the UpdateWork operations run on the dialog's UI thread; the
// driver owns (starts and joins) ServerListThread, UpdateThread and
// UnpackThread, and the downloader owns its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/UnpackJournal.h"
#include "patcher/CUpdateDlg.h"
#include "patcher/PatchFileList.h"
#include "patcher/ReleaseCheck.h"
#include "patcher/ServerList.h"
#include "patcher/Signatures.h"
#include "patcher/WebMirrors.h"
#include "patcher/text/PicListModel.h"

class CFtpDownloader;
class CPKVfs;
struct FtpDownloaderOptions;

// An event: UnpackThread sets it, ServerListThread waits on it. The waiter
// clears it as it wakes, not after its work, so that a Set that arrives
// during the work is kept for the next wait instead of lost.
class ManualResetEvent {
public:
    void Set();
    bool IsSet();
    // Waits without limit until the event is set, and clears it.
    void WaitAndReset();

private:
    std::mutex mu_;
    std::condition_variable cv_;
    bool set_ = false;
};

// The walk over one patch package (UnpackDirectory on its root, with the
// shared unpack context): 1 done, 0 stopped or failed. counter counts the
// visited entries of all packages; the walk posts UM_PROGRESS(1, counter x
// 100 / total) to the dialog, obeys stopFlag and sets selfUpdatePending /
// serverListChangedSeen.
using PackageWalk = std::function<int(CUpdateDlg& dialog, UpdateShared& shared, uint32_t& counter,
                                      CPKVfs& package, CPKVfs& target)>;

struct UpdateDriverOptions {
    // The version check: polls for the reply and their period, and the
    // connect poll (defaults as the version check's).
    int replyPolls = 1000;
    uint32_t replyPollPeriodMs = 10;
    uint32_t connectPollPeriodMs = 50;
    // The FTP server's port: 21 always for players; tests and the demo run
    // many servers side by side.
    uint16_t ftpPort = 21;
    // The downloader's knobs; its defaults when null.
    std::shared_ptr<const FtpDownloaderOptions> ftp;
    // The server list build (ping time-out, test filters); owner and folder
    // are set by the driver.
    ServerListOptions serverList;
    // Whether the game runs (IsGameRunning when empty).
    std::function<bool(const std::string& gamePath)> isGameRunning;
    // The package walk (UnpackDirectory when empty).
    PackageWalk walk;
};

class UpdateDriver final : public UpdateWork {
public:
    UpdateDriver(CUpdateDlg& dialog, UpdateShared& shared, UpdateDriverOptions options = {});
    ~UpdateDriver() override;
    UpdateDriver(const UpdateDriver&) = delete;
    UpdateDriver& operator=(const UpdateDriver&) = delete;

    void Init() override;
    void StartServerListThread() override;
    bool StartUpdateThread() override;
    bool UpdateThreadRuns() const override { return updateActive_; }
    void StopUpdateThread(int waitMs) override;
    void ForgetUpdateThread() override { updateActive_ = false; }
    bool StartUnpackThread() override;
    void WaitUnpackThread() override;
    ServerRows ServerList() const override;
    void SelectServer(int row) override;
    bool HasServerSelection() const override;
    void StoreLoginChoice() override;
    void StoreResumeIndex(int32_t index) override;
    void EndThreads() override;

    // The server list's results, and the list the window shows.
    ServerListState& servers() { return servers_; }
    PicListModel& serverList() { return list_; }
    // The downloader, for the front end's look at a download in flight.
    CFtpDownloader& downloader() { return *downloader_; }
    // The version server the last update attempt asked.
    std::string versionServerAddress() const;

private:
    // UpdateThread, in two halves: the version check (UpdateThread.cpp) and
    // the download's start (UpdateDriver.cpp), which cannot share a file.
    void UpdateThread();
    // The FTP server the version server named ("" or 0.0.0.0: none) and
    // the web bases it named beside it.
    void StartDownload(const std::string& ftpAddress, const std::vector<std::string>& webMirrors);
    void UnpackThread();
    // UnpackThread's steps before the packages: each answers false once it
    // has told the player and failed the unpacking (FailUnpack).
    bool WaitForGameToClose();
    // Counts each package's entries into files and total; a package that
    // does not open is deleted (after letGo, which lets go of what holds it
    // open).
    bool CountEntries(std::vector<PatchFileEntry>& files, uint32_t& total,
                      const std::function<void()>& letGo);
    // Settles another update's journal left behind and begins this one's.
    bool BeginJournal(UnpackJournal& journal, const std::string& key);
    // UnpackThread's steps for one package and after the last.
    // Asks for room for a package of size bytes until there is some or the
    // player gives up (false).
    bool AskForRoom(uint64_t size);
    // After package index, which carried a new patcher and is not the last:
    // true when the patcher stops here for the hand-over (the next start
    // goes on with the next package); false when the unpacking goes on.
    bool StopForSelfUpdate(size_t index, const std::string& key);
    // Records the new version, keeps the update and removes its packages;
    // false (nothing kept) when the version cannot be recorded.
    bool FinishUnpack(int32_t version, const std::vector<PatchFileEntry>& files,
                      UnpackJournal& journal);
    // Before a package is opened: true when the installation needs no
    // signatures or a key of the release file that allowed the update
    // signed it; otherwise the package goes (after letGo, which lets go of
    // what holds it open) and the player learns which and why.
    bool CheckSignature(const PatchFileEntry& entry, const std::function<void()>& letGo);
    // The release gate of the download (see CFtpDownloader::SetReleaseGate).
    std::string AllowRelease(const std::string& text, const std::string& signature,
                             std::vector<PatchFileEntry>& entries);
    void FailUnpack();
    void ServerListThread();
    bool UpdateStopped() const { return updateStop_.load(); }
    void Box(const char* gbkText, const char* gbkCaption, uint32_t type = 0);
    int Ask(const char* gbkText, uint32_t type);
    // A box with the text (through the dialog's text table) naming name,
    // and the system's reason on a line of its own when there is one.
    void Tell(const char* gbkText, const std::string& name, uint32_t systemError = 0);
    void JoinUpdateThread();
    void JoinUnpackThread();

    // The walk's progress, as the dialog's update bar.
    class ProgressToDialog final : public UnpackEvents {
    public:
        explicit ProgressToDialog(CUpdateDlg& dialog) : dialog_(dialog) {}
        void Progress(uint32_t bar, uint32_t percent) override;

    private:
        CUpdateDlg& dialog_;
    };

    CUpdateDlg& dialog_;
    ProgressToDialog progress_;
    UpdateShared& shared_;
    UpdateDriverOptions options_;

    ServerListState servers_;
    PicListModel list_;
    ManualResetEvent serverListChanged_;
    std::unique_ptr<CFtpDownloader> downloader_;
    BlockPool blockPool_;
    PublisherKeys startKeys_;  // update.ini [sign] when the patcher started
    // The folder's trusted release when the patcher started, and whether its
    // updates are signed at all.
    std::optional<sign::Release> trusted_;
    bool signing_ = false;
    // update.ini's web mirrors; each download adds the version server's.
    MirrorSettings iniMirrors_;
    // The release file that allowed this run's update (the download thread
    // sets it; the unpacking, which follows the download, reads it).
    std::mutex releaseMu_;
    std::optional<ReleaseVerdict> allowed_;
    std::string allowedText_, allowedSignature_;
    std::atomic<int32_t> versionBefore_{0};  // version.dat's, before the update

    std::thread serverListThread_;
    std::thread updateThread_;
    std::thread unpackThread_;
    std::atomic<bool> serverListDone_{false};
    std::atomic<bool> updateDone_{false};
    std::atomic<bool> unpackDone_{false};
    std::atomic<bool> updateStop_{false};
    bool updateActive_ = false;  // UI thread: "updateThread is not none"

    mutable std::mutex addressMu_;
    std::string versionServerAddress_;  // at most 19 characters
    std::string updateKey_;             // the name of the update last unpacked
};

// The name of one update: its target version and its packages (server
// paths and digests, in order). Its resume index and its undo journal
// belong to it and to nothing else.
std::string UpdateKey(int32_t target, const std::vector<PatchFileEntry>& files);

std::unique_ptr<UpdateWork> MakeUpdateDriver(CUpdateDlg& dialog, UpdateShared& shared,
                                             UpdateDriverOptions options = {});
