// The update dialog, as a model: the state the window shows, the handlers of
// the update-dialog events, the commands of its buttons and the rules of its
// texts, without any windowing toolkit. Two front ends drive it: the Windows
// window and the console front end; tests drive it directly.
//
// Threads. One thread, the UI thread (the one that constructed the dialog),
// runs every handler and command. Worker threads reach the dialog only
// through its queue: they post the update-dialog events (it is their
// UpdateEventSink), status and version texts, the start of an update and the
// close request; the UI thread handles them in order in PumpEvents. While
// the dialog lives, every message box shown by a worker thread (through the
// message-box service) is handed to the UI thread as well, and the worker
// waits for the answer; while the dialog stops its workers, such boxes are
// answered at once with the button that ends their step, so a stop never
// waits for a box nobody can see.
//
// The threads themselves (ServerListThread, UpdateThread, UnpackThread and
// the downloader's) belong to an UpdateWork, which the dialog owns, starts
// and stops in the order the update flow requires.
//
// Sections: texts and limits; state shared with the workers; UpdateWork; the
// display; the dialog.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cpk/Unpack.h"
#include "patcher/UpdateEvents.h"
#include "platform/msgbox.h"

// ---- Texts and limits ----

// The status line shows a throttled text (speed, reconnecting) only when more
// than this has passed since it last showed one.
constexpr uint32_t kStatusGateMs = 500;
// The hand-over to the self-update helper waits this long after starting it.
constexpr uint32_t kHandOverPauseMs = 3000;
// StartGame waits this long for the update thread; Exit and the update/stop
// button wait without limit.
constexpr int kStartGameStopWaitMs = 5000;
// The link targets of update.ini ("url %s" with these captions), in the
// order of the dialog's URL buffers: announcement, update notes, then link
// buttons a to g.
constexpr size_t kUrlCount = 9;
constexpr size_t kUrlMax = 323;       // characters of a URL buffer
constexpr size_t kGamePathMax = 259;  // characters of gamePath
// The helper program that puts a new patcher in place.
constexpr const char* kSelfUpdateHelper = "UpdatePackef.dat";

// The GBK default texts of the URL keys, in URL order.
const std::array<const char*, kUrlCount>& UrlCaptions();

// Every text the dialog shows passes through a lookup: the GBK default text
// in, the text to show out (copied at once). GetLocalText unless replaced.
using DialogTextLookup = std::function<std::string(const char* gbkDefault)>;

// "%s %3d%%" with the caption and the percentage.
std::string FormatProgressLabel(const std::string& caption, int64_t percent);
// The labels' start text, "%s  0%" (whose lone "%" prints nothing).
std::string FormatIdleLabel(const std::string& caption);
// "%s:%.2f KB/s       %s:%ld KB       %s:%ld KB": speed, total KB (total
// bytes shifted right by 10), done KB (done bytes / 1024).
std::string FormatSpeedLine(const std::string& speedCaption, double kbPerSecond,
                            const std::string& totalCaption, uint64_t totalBytes,
                            const std::string& doneCaption, uint64_t doneBytes);

// The status line's throttle for the speed line and the reconnecting text:
// a text passes only when more than kStatusGateMs passed since the gate last
// let one pass. The first call starts the clock and is swallowed.
class StatusGate {
public:
    bool Pass(uint32_t now);

private:
    bool started_ = false;
    uint32_t last_ = 0;
};

// Whether the game is running: some process's program path contains gamePath
// (case-sensitive). An empty gamePath is never running (every path contains
// the empty text, which would block every update).
bool IsGameRunning(const std::string& gamePath);

// The name of a new patcher in "download\" that starts the hand-over: the
// fixed name "Drevik.exe" in the Windows builds, elsewhere the name the
// patcher runs under.
std::string SelfUpdateFileName(const std::string& ownExeName);

// The file name of the patcher's own module path: the part after the last
// "\" (or "/"), GBK-aware.
std::string FileNamePart(const std::string& path);
// The folder of a path: everything before the last "\"; "" when there is none.
std::string FolderPart(const std::string& path);

// ---- State shared with the workers ----

// What the dialog and its worker threads both read and write. Flags are
// atomic; the texts are set at initialisation, before any worker starts, and
// only read afterwards.
struct UpdateShared {
    std::atomic<int32_t> updateState{0};  // 0 idle, 1 checking/downloading, 2 unpacking
    std::atomic<int32_t> quitFlag{0};     // 1 = the dialog is closing
    std::atomic<int32_t> installedVersion{0};
    std::atomic<int32_t> targetVersion{0};
    std::atomic<int32_t> resumeIndex{0};
    // How the unpacking of this attempt came out: 0 none (or running), 1
    // complete with its version recorded, 2 stopped after a package that
    // brought a new patcher (the index stored), -1 failed (and undone).
    std::atomic<int32_t> unpackResult{0};
    // What the unpack walk works on: stopFlag (1 = abandon), the total of
    // entries (totalEntries), the own program's name, the self-update and
    // server-list signals (selfUpdatePending, serverListChangedSeen).
    UnpackContext unpack;

    // Set by UpdateWork::Init, read-only afterwards.
    std::string gamePath;                     // update.ini "game tesmar"
    int32_t versionServerPort = 0;            // update.ini "checkversion port"
    std::array<std::string, kUrlCount> urls;  // see UrlCaptions
    // Set by the dialog's initialisation.
    std::string modulePath;  // the patcher's own program, system path
    std::string ownExeName;  // its file name
    // The game folder (the current folder at start-up, system path): where
    // the resume index lives.
    std::string gameFolder;
};

// ---- UpdateWork ----

class CUpdateDlg;

// The threads of the update flow, started and stopped by the dialog on its
// UI thread. Every operation is called on the UI thread.
class UpdateWork {
public:
    virtual ~UpdateWork() = default;

    // The update state's initialisation: stopFlag 0, no threads, idle; read
    // update.ini (game path, version-server port, URLs); create the
    // downloader; read the unpack resume index.
    virtual void Init() = 0;
    // ServerListThread: builds the server list, then asks the dialog to
    // start the update (CUpdateDlg::PostStartUpdate); rebuilds it whenever a
    // patch delivered a new server list, until quitFlag.
    virtual void StartServerListThread() = 0;
    // StartUpdate step 3. False when the thread could not start.
    virtual bool StartUpdateThread() = 0;
    // Whether an update thread counts as running (its handle is not none):
    // from StartUpdateThread until StopUpdateThread or ForgetUpdateThread.
    virtual bool UpdateThreadRuns() const = 0;
    // Set the downloader's cancel flag, stop the update thread and wait for
    // it (waitMs, -1 without limit), stop the downloader's workers; the
    // update thread is none afterwards.
    virtual void StopUpdateThread(int waitMs) = 0;
    // UM_RESET: the update thread is none (it has ended or is ending).
    virtual void ForgetUpdateThread() = 0;
    // UM_DOWNLOAD_DONE: start UnpackThread. False when it could not start.
    virtual bool StartUnpackThread() = 0;
    // Waits without limit for UnpackThread, if one runs.
    virtual void WaitUnpackThread() = 0;
    // The server list as it stands (rows are GBK; selected may be -1, or
    // name a row that does not exist in an empty list).
    struct ServerRows {
        std::vector<std::string> rows;
        int selected = -1;
    };
    virtual ServerRows ServerList() const = 0;
    // Selects a row of the server list (the player's click); -1 clears the
    // selection (a click below the rows).
    virtual void SelectServer(int row) = 0;
    // The server list has a selection.
    virtual bool HasServerSelection() const = 0;
    // StartGame step 2: the login address of the selected server to the
    // settings store.
    virtual void StoreLoginChoice() = 0;
    // The unpack resume index to unpack_log.ini of the game folder; 0
    // deletes the file (the dialog does so once an update is done; the
    // other indexes are UnpackThread's, named after their update).
    virtual void StoreResumeIndex(int32_t index) = 0;
    // The window is destroyed: ServerListThread ends (quitFlag is set), the
    // downloader is destroyed; every thread is joined.
    virtual void EndThreads() = 0;
};

// ---- The display ----

// What the window shows; changed only on the UI thread. Texts are GBK.
struct UpdateDlgDisplay {
    std::string title;
    std::string versionText;  // "VER:1.0.%ld" once the version was read
    std::string statusText;
    std::string downloadLabel;
    std::string updateLabel;
    int downloadBar = 0;  // 0..100
    int updateBar = 0;
    // The update/stop button shows its stop images (letter l) while an update
    // runs, its start images (letter i) otherwise.
    bool updateButtonRunning = false;
    bool startGameEnabled = false;  // disabled until the update is done
    bool startGameFocused = false;
};

// How the update came out, for front ends that end by themselves.
enum class UpdateOutcome {
    kPending,           // nothing decided yet (or an update runs)
    kDone,              // UM_UPDATE_DONE: current, or updated
    kFailed,            // back to idle after a failure or a stop
    kSelfUpdateStored,  // a new patcher arrived before the last patch: the
                        // resume index is stored, the next start goes on
    kHandedOver,        // the helper was started; the dialog has ended
};

// ---- The dialog ----

struct UpdateDlgOptions {
    // Native owner window of the message boxes (null on the console).
    void* owner = nullptr;
    // The front end's message box, run on the UI thread; the handler that
    // was installed when the dialog was made, else the console prompt.
    platform::MessageBoxHandler showBox;
    DialogTextLookup text;                // GetLocalText when empty
    std::function<uint32_t()> tick;       // platform::TickCount when empty
    std::function<void(uint32_t)> sleep;  // platform::SleepMs when empty
    uint32_t handOverPauseMs = kHandOverPauseMs;
    // The patcher's own program; platform::ModulePath() when empty.
    std::string modulePath;
    // Starts the game (StartGame step 3); the system's "open" of the path
    // when empty. Answers whether it started.
    std::function<bool(const std::string& gamePath)> launchGame;
    // Starts the self-update helper (a system path in the current folder)
    // with its arguments (UTF-8): the new patcher's file name, then
    // helperArgs, which the helper passes on to the patcher it restarts.
    // platform::StartProgram when empty.
    std::function<bool(const std::string& helper, const std::vector<std::string>& args)>
        startHelper;
    std::vector<std::string> helperArgs;
    // Called from any thread whenever something was queued for the UI
    // thread, so a front end with its own message loop can wake up.
    std::function<void()> wake;
    // Makes the dialog's UpdateWork: the update driver (UpdateDriver.h)
    // unless given.
    std::function<std::unique_ptr<UpdateWork>(CUpdateDlg& dialog, UpdateShared& shared)> makeWork;
};

class CUpdateDlg final : public UpdateEventSink {
public:
    // Installs the dialog's message-box routing; the constructing thread
    // becomes the UI thread.
    explicit CUpdateDlg(UpdateDlgOptions options);
    // Ends every thread (EndThreads) and restores the message-box handler.
    ~CUpdateDlg() override;
    CUpdateDlg(const CUpdateDlg&) = delete;
    CUpdateDlg& operator=(const CUpdateDlg&) = delete;

    // ---- UI thread ----

    // The dialog's initialisation, apart from drawing: title, update state
    // (UpdateWork::Init), labels, focus, own program name, quitFlag 0, and
    // ServerListThread, which starts the first update by itself.
    void OnInitDialog();

    // Handles what the workers queued, in order, waiting up to timeoutMs
    // (-1 without limit) for the first item. Answers whether anything was
    // handled.
    bool PumpEvents(int timeoutMs);

    // The buttons.
    void OnStartGame();
    void OnExit();
    void OnUpdateButton();
    // A link button (0..6 = a..g): the URL with the system's browser.
    void OnLinkButton(int which);
    // The close request: the front end's (the window's close box; index 0)
    // or UnpackThread's, after a patch that carried a new patcher (the index
    // of the next patch to unpack, which UnpackThread has stored already).
    // After the latter the dialog says to start the patcher again, and the
    // close box then ends it as Exit does; otherwise the close box changes
    // nothing. The stored index is never touched here.
    void OnCloseRequest(int32_t resumeIndex);

    // StartUpdate: stop an update thread that still counts as running, reset
    // stopFlag, start UpdateThread. False when it could not start.
    bool StartUpdate();

    const UpdateDlgDisplay& display() const { return display_; }
    // The dialog has ended (Exit, StartGame, the hand-over); the front end
    // leaves its loop.
    bool ended() const { return ended_; }
    UpdateOutcome outcome() const { return outcome_; }
    int32_t updateState() const { return shared_.updateState.load(); }
    const UpdateShared& shared() const { return shared_; }
    UpdateWork& work() { return *work_; }

    // ---- Any thread ----

    // UpdateEventSink: queues an update-dialog event.
    void Post(uint32_t message, uint64_t wParam, int64_t lParam) override;
    // The downloader's speed baseline, applied in order with the events.
    void SetSpeedBaseline(uint32_t tick, uint64_t bytes) override;
    // Texts the workers set directly in the window.
    void PostStatusText(const std::string& gbk);
    void PostVersionText(const std::string& text);
    // ServerListThread, once the first list is built.
    void PostStartUpdate();
    // UnpackThread, after a patch that carried a new patcher.
    void PostCloseRequest(int32_t resumeIndex);

    // The text to show for a GBK default text.
    std::string Text(const char* gbkDefault) const;
    // The owner of the dialog's message boxes.
    void* owner() const { return options_.owner; }
    // Waits until done() holds, handling message boxes that workers ask for
    // meanwhile (and nothing else). For UpdateWork's waits on the UI thread.
    void WaitUntil(const std::function<bool()>& done);

private:
    struct BoxRequest;
    struct Item {
        enum class Kind { kEvent, kBaseline, kStatus, kVersion, kStartUpdate, kClose, kBox };
        Kind kind = Kind::kEvent;
        UpdateEvent event;
        std::string text;
        std::shared_ptr<BoxRequest> box;
    };

    void Enqueue(Item item);
    void Dispatch(Item& item);
    void HandleEvent(const UpdateEvent& e);
    void OnSpeed(uint64_t done, int64_t total);
    void OnProgress(uint64_t bar, int64_t percent);
    void SetStatusThrottled(const std::string& text);
    void SetButtonRunning(bool running);
    void HandOverCheck();
    // Steps 4 and 5 of StartGame (Exit's too): stop the update thread
    // (waiting waitMs), set stopFlag, wait for UnpackThread.
    void StopThreads(int waitMs);
    void Destroy();

    // Message boxes.
    int RouteBox(void* owner, const char* text, const char* caption, uint32_t type);
    void AnswerBox(const std::shared_ptr<BoxRequest>& box);
    void BeginStopping();
    void EndStopping();

    UpdateDlgOptions options_;
    UpdateShared shared_;
    std::thread::id uiThread_;
    platform::MessageBoxHandler previousBoxHandler_;
    platform::MessageBoxHandler frontEndBox_;

    // The queue from the workers.
    std::mutex mu_;
    std::condition_variable ready_;
    std::deque<Item> items_;
    std::vector<std::shared_ptr<BoxRequest>> openBoxes_;  // asked, not yet answered
    bool stopping_ = false;                               // guarded by mu_
    bool boxesClosed_ = false;  // the dialog is going away; guarded by mu_

    // UI thread only.
    UpdateDlgDisplay display_;
    StatusGate gate_;
    uint32_t lastTick_ = 0;
    uint64_t lastBytes_ = 0;
    double lastSpeed_ = 0;
    bool ended_ = false;
    bool destroyed_ = false;
    UpdateOutcome outcome_ = UpdateOutcome::kPending;

    // Last, so that it goes first: its threads post to the queue above.
    std::unique_ptr<UpdateWork> work_;
};
