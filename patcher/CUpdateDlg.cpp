// The update dialog model.
//
// Sections: text rules; the queue and message-box routing; event handlers;
// commands; the self-update hand-over.
#include "patcher/CUpdateDlg.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "patcher/PatchFileList.h"
#include "patcher/SelfUpdateRecord.h"
#include "patcher/Signatures.h"
#include "patcher/UpdateDriver.h"
#include "patcher/VersionRecord.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"

// The name the hand-over looks for in "download\": the build decides (the
// Windows builds look for the patcher's fixed name, others for the name the
// patcher runs under).
#ifndef TESMAR_FIXED_PATCHER_NAME
#define TESMAR_FIXED_PATCHER_NAME ""
#endif

namespace {

// While the UI thread waits for a worker it looks for message boxes to show
// this often.
constexpr auto kWaitSlice = std::chrono::milliseconds(20);

int ClampPercent(int64_t percent) {
    return percent < 0 ? 0 : percent > 100 ? 100 : static_cast<int>(percent);
}

}  // namespace

// ---- Text rules ----

const std::array<const char*, kUrlCount>& UrlCaptions() {
    static const std::array<const char*, kUrlCount> captions = {
        GBK("公告"),     GBK("更新信息"), GBK("免费注册"), GBK("官方网站"), GBK("在线客服"),
        GBK("资料查询"), GBK("精彩活动"), GBK("玩家论坛"), GBK("帐号充值")};
    return captions;
}

std::string FormatProgressLabel(const std::string& caption, int64_t percent) {
    char text[300];
    std::snprintf(text, sizeof text, "%s %3lld%%", caption.c_str(),
                  static_cast<long long>(percent));
    return text;
}

std::string FormatIdleLabel(const std::string& caption) {
    // The dialog forms it with "%s  0%", whose lone "%" prints nothing.
    return caption + "  0";
}

std::string FormatSpeedLine(const std::string& speedCaption, double kbPerSecond,
                            const std::string& totalCaption, uint64_t totalBytes,
                            const std::string& doneCaption, uint64_t doneBytes) {
    char text[600];
    std::snprintf(text, sizeof text, "%s:%.2f KB/s       %s:%" PRIu64 " KB       %s:%" PRIu64 " KB",
                  speedCaption.c_str(), kbPerSecond, totalCaption.c_str(), totalBytes >> 10,
                  doneCaption.c_str(), doneBytes / 1024);
    return text;
}

bool StatusGate::Pass(uint32_t now) {
    if (!started_) {
        started_ = true;
        last_ = now;
        return false;
    }
    if (now - last_ > kStatusGateMs) {
        last_ = now;
        return true;
    }
    return false;
}

std::string SelfUpdateFileName(const std::string& ownExeName) {
    const std::string fixed = TESMAR_FIXED_PATCHER_NAME;
    return fixed.empty() ? ownExeName : fixed;
}

bool IsGameRunning(const std::string& gamePath) {
    return !gamePath.empty() && platform::IsProgramRunning(gamePath);
}

std::string FileNamePart(const std::string& path) {
    return platform::BaseName(path, platform::PathSeparators::kBoth);
}

std::string FolderPart(const std::string& path) {
    return platform::DirName(path, platform::PathSeparators::kBoth);
}

// ---- The queue and message-box routing ----

struct CUpdateDlg::BoxRequest {
    void* owner = nullptr;
    std::string text;
    std::string caption;
    bool hasText = false;
    bool hasCaption = false;
    uint32_t type = 0;
    bool answered = false;  // guarded by the dialog's mu_
    int answer = 0;
};

CUpdateDlg::CUpdateDlg(UpdateDlgOptions options) : options_(std::move(options)) {
    uiThread_ = std::this_thread::get_id();
    previousBoxHandler_ = platform::SetMessageBoxHandler(
        [this](void* owner, const char* text, const char* caption, uint32_t type) {
            return RouteBox(owner, text, caption, type);
        });
    if (options_.showBox) {
        frontEndBox_ = options_.showBox;
    } else if (previousBoxHandler_) {
        frontEndBox_ = previousBoxHandler_;
    } else {
        frontEndBox_ = platform::ConsoleMessageBox;
    }
    if (!options_.tick) {
        options_.tick = platform::TickCount;
    }
    if (!options_.sleep) {
        options_.sleep = platform::SleepMs;
    }
    work_ =
        options_.makeWork ? options_.makeWork(*this, shared_) : MakeUpdateDriver(*this, shared_);
}

CUpdateDlg::~CUpdateDlg() {
    Destroy();
    platform::SetMessageBoxHandler(previousBoxHandler_);
}

std::string CUpdateDlg::Text(const char* gbkDefault) const {
    if (options_.text) {
        return options_.text(gbkDefault);
    }
    return GetLocalText(gbkDefault);
}

void CUpdateDlg::Enqueue(Item item) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        items_.push_back(std::move(item));
    }
    ready_.notify_all();
    if (options_.wake) {
        options_.wake();
    }
}

void CUpdateDlg::Post(uint32_t message, uint64_t wParam, int64_t lParam) {
    Item item;
    item.kind = Item::Kind::kEvent;
    item.event = UpdateEvent{message, wParam, lParam};
    Enqueue(std::move(item));
}

void CUpdateDlg::SetSpeedBaseline(uint32_t tick, uint64_t bytes) {
    Item item;
    item.kind = Item::Kind::kBaseline;
    item.event = UpdateEvent{0, bytes, tick};
    Enqueue(std::move(item));
}

void CUpdateDlg::PostStatusText(const std::string& gbk) {
    Item item;
    item.kind = Item::Kind::kStatus;
    item.text = gbk;
    Enqueue(std::move(item));
}

void CUpdateDlg::PostVersionText(const std::string& text) {
    Item item;
    item.kind = Item::Kind::kVersion;
    item.text = text;
    Enqueue(std::move(item));
}

void CUpdateDlg::PostStartUpdate() {
    Item item;
    item.kind = Item::Kind::kStartUpdate;
    Enqueue(std::move(item));
}

void CUpdateDlg::PostCloseRequest(int32_t resumeIndex) {
    Item item;
    item.kind = Item::Kind::kClose;
    item.event = UpdateEvent{0, 0, resumeIndex};
    Enqueue(std::move(item));
}

int CUpdateDlg::RouteBox(void* owner, const char* text, const char* caption, uint32_t type) {
    if (std::this_thread::get_id() == uiThread_) {
        return frontEndBox_(owner, text, caption, type);
    }
    auto box = std::make_shared<BoxRequest>();
    box->owner = owner;
    box->hasText = text != nullptr;
    box->text = text ? text : "";
    box->hasCaption = caption != nullptr;
    box->caption = caption ? caption : "";
    box->type = type;
    {
        std::unique_lock<std::mutex> lock(mu_);
        if (stopping_ || boxesClosed_) {
            // The dialog is stopping this worker: nobody would see the box.
            return platform::StepEndingAnswer(type);
        }
        openBoxes_.push_back(box);
        Item item;
        item.kind = Item::Kind::kBox;
        item.box = box;
        items_.push_back(std::move(item));
    }
    ready_.notify_all();
    if (options_.wake) {
        options_.wake();
    }
    std::unique_lock<std::mutex> lock(mu_);
    ready_.wait(lock, [&] { return box->answered; });
    return box->answer;
}

void CUpdateDlg::AnswerBox(const std::shared_ptr<BoxRequest>& box) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (box->answered) {
            return;
        }
    }
    int answer = frontEndBox_(box->owner, box->hasText ? box->text.c_str() : nullptr,
                              box->hasCaption ? box->caption.c_str() : nullptr, box->type);
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (!box->answered) {
            box->answered = true;
            box->answer = answer;
        }
        for (auto it = openBoxes_.begin(); it != openBoxes_.end(); ++it) {
            if (*it == box) {
                openBoxes_.erase(it);
                break;
            }
        }
    }
    ready_.notify_all();
}

void CUpdateDlg::BeginStopping() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        stopping_ = true;
        for (auto& box : openBoxes_) {
            box->answered = true;
            box->answer = platform::StepEndingAnswer(box->type);
        }
        openBoxes_.clear();
    }
    ready_.notify_all();
}

void CUpdateDlg::EndStopping() {
    std::lock_guard<std::mutex> lock(mu_);
    stopping_ = false;
}

void CUpdateDlg::WaitUntil(const std::function<bool()>& done) {
    while (!done()) {
        std::shared_ptr<BoxRequest> box;
        {
            std::unique_lock<std::mutex> lock(mu_);
            if (openBoxes_.empty()) {
                ready_.wait_for(lock, kWaitSlice);
            }
            if (!openBoxes_.empty()) {
                box = openBoxes_.front();
            }
        }
        if (box) {
            AnswerBox(box);
        }
    }
}

bool CUpdateDlg::PumpEvents(int timeoutMs) {
    {
        std::unique_lock<std::mutex> lock(mu_);
        auto has = [this] { return !items_.empty(); };
        if (timeoutMs < 0) {
            ready_.wait(lock, has);
        } else if (timeoutMs > 0) {
            ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs), has);
        }
    }
    bool handled = false;
    while (!ended_) {
        Item item;
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (items_.empty()) {
                break;
            }
            item = std::move(items_.front());
            items_.pop_front();
        }
        Dispatch(item);
        handled = true;
    }
    return handled;
}

void CUpdateDlg::Dispatch(Item& item) {
    switch (item.kind) {
        case Item::Kind::kEvent:
            HandleEvent(item.event);
            break;
        case Item::Kind::kBaseline:
            lastBytes_ = item.event.wParam;
            lastTick_ = static_cast<uint32_t>(item.event.lParam);
            break;
        case Item::Kind::kStatus:
            display_.statusText = item.text;
            break;
        case Item::Kind::kVersion:
            display_.versionText = item.text;
            break;
        case Item::Kind::kStartUpdate:
            if (shared_.quitFlag.load() == 0) {
                StartUpdate();
            }
            break;
        case Item::Kind::kClose:
            OnCloseRequest(static_cast<int32_t>(item.event.lParam));
            break;
        case Item::Kind::kBox:
            AnswerBox(item.box);
            break;
    }
}

// ---- Event handlers ----

void CUpdateDlg::SetButtonRunning(bool running) {
    display_.updateButtonRunning = running;
}

void CUpdateDlg::SetStatusThrottled(const std::string& text) {
    if (gate_.Pass(options_.tick())) {
        display_.statusText = text;
    }
}

void CUpdateDlg::HandleEvent(const UpdateEvent& e) {
    switch (e.message) {
        case UM_RESET:
            shared_.updateState = 0;
            work_->ForgetUpdateThread();
            SetButtonRunning(false);
            display_.statusText.clear();
            outcome_ = UpdateOutcome::kFailed;
            break;
        case UM_DOWNLOAD_DONE:
            Post(UM_PROGRESS, 0, 100);
            Post(UM_PROGRESS, 1, 0);
            if (!work_->StartUnpackThread()) {
                shared_.updateState = 0;
                platform::ShowMessageBox(options_.owner,
                                         Text(GBK("启动解压线程失败,请重试!")).c_str(),
                                         Text(GBK("提示")).c_str(), platform::kMbOk);
                SetButtonRunning(false);
                outcome_ = UpdateOutcome::kFailed;
            } else {
                shared_.updateState = 2;
                SetButtonRunning(true);
            }
            display_.statusText = Text(GBK("下载完成"));
            break;
        case UM_UPDATE_FAILED:
            shared_.updateState = 0;
            SetButtonRunning(false);
            display_.statusText = Text(GBK("更新失败,请重新更新"));
            outcome_ = UpdateOutcome::kFailed;
            break;
        case UM_UPDATE_DONE:
            SetButtonRunning(false);
            display_.startGameEnabled = true;
            Post(UM_PROGRESS, 1, 100);
            Post(UM_PROGRESS, 0, 100);
            display_.statusText = Text(GBK("更新完成,请启动游戏"));
            work_->StoreResumeIndex(0);
            display_.startGameFocused = true;
            outcome_ = UpdateOutcome::kDone;
            break;
        case UM_PROGRESS:
            OnProgress(e.wParam, e.lParam);
            break;
        case UM_SPEED:
            OnSpeed(e.wParam, e.lParam);
            break;
        case UM_RECONNECTING:
            if (lastSpeed_ == 0) {
                SetStatusThrottled(Text(GBK("正在重新连接服务器...")));
            }
            break;
        case UM_VERIFY_FAILED:
            platform::ShowMessageBox(options_.owner,
                                     Text(GBK("下载的补丁文件没有通过验证，将重新下载")).c_str(),
                                     nullptr, platform::kMbOk);
            break;
        default:
            break;
    }
}

void CUpdateDlg::OnProgress(uint64_t bar, int64_t percent) {
    if (bar == 0) {
        display_.downloadLabel = FormatProgressLabel(Text(GBK("文件下载")), percent);
        display_.downloadBar = ClampPercent(percent);
        return;
    }
    display_.updateLabel = FormatProgressLabel(Text(GBK("文件更新")), percent);
    display_.updateBar = ClampPercent(percent);
    if (percent == 100) {
        HandOverCheck();
    }
}

void CUpdateDlg::OnSpeed(uint64_t done, int64_t total) {
    uint32_t now = options_.tick();
    if (now == lastTick_) {
        return;
    }
    // A count below the baseline (a file that failed its check starts over)
    // is no negative speed: it is no progress.
    uint64_t gained = done >= lastBytes_ ? done - lastBytes_ : 0;
    lastSpeed_ =
        static_cast<double>(gained) * 1000.0 / static_cast<double>(now - lastTick_) / 1024.0;
    std::string text =
        FormatSpeedLine(Text(GBK("下载速度")), lastSpeed_, Text(GBK("需要下载")),
                        static_cast<uint64_t>(total < 0 ? 0 : total), Text(GBK("已经下载")), done);
    SetStatusThrottled(text);
    lastBytes_ = done;
    lastTick_ = now;
}

// ---- Commands ----

void CUpdateDlg::OnInitDialog() {
    display_.title = Text(GBK("《Tesmar》更新程序"));
    shared_.modulePath = options_.modulePath.empty() ? platform::ModulePath() : options_.modulePath;
    shared_.ownExeName = FileNamePart(shared_.modulePath);
    work_->Init();
    display_.downloadLabel = FormatIdleLabel(Text(GBK("文件下载")));
    display_.updateLabel = FormatIdleLabel(Text(GBK("文件更新")));
    display_.downloadBar = 0;
    display_.updateBar = 0;
    display_.startGameEnabled = false;
    display_.startGameFocused = true;
    shared_.quitFlag = 0;
    work_->StartServerListThread();
}

bool CUpdateDlg::StartUpdate() {
    if (work_->UpdateThreadRuns()) {
        BeginStopping();
        work_->StopUpdateThread(-1);
        EndStopping();
    }
    shared_.unpack.stopFlag = 0;
    shared_.unpackResult = 0;
    outcome_ = UpdateOutcome::kPending;
    if (!work_->StartUpdateThread()) {
        shared_.updateState = 0;
        SetButtonRunning(false);
        outcome_ = UpdateOutcome::kFailed;
        return false;
    }
    shared_.updateState = 1;
    SetButtonRunning(true);
    Post(UM_PROGRESS, 0, 0);
    Post(UM_PROGRESS, 1, 0);
    return true;
}

void CUpdateDlg::StopThreads(int waitMs) {
    BeginStopping();
    if (work_->UpdateThreadRuns()) {
        work_->StopUpdateThread(waitMs);
    }
    shared_.unpack.stopFlag = 1;
    work_->WaitUnpackThread();
    EndStopping();
}

void CUpdateDlg::Destroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    {
        std::lock_guard<std::mutex> lock(mu_);
        boxesClosed_ = true;
        for (auto& box : openBoxes_) {
            box->answered = true;
            box->answer = platform::StepEndingAnswer(box->type);
        }
        openBoxes_.clear();
    }
    ready_.notify_all();
    shared_.quitFlag = 1;
    work_->EndThreads();
    ended_ = true;
}

void CUpdateDlg::OnStartGame() {
    if (!work_->HasServerSelection()) {
        platform::ShowMessageBox(options_.owner, Text(GBK("请选择您要登录的区域")).c_str(), nullptr,
                                 platform::kMbOk);
        return;
    }
    work_->StoreLoginChoice();
    if (options_.launchGame) {
        options_.launchGame(shared_.gamePath);
    } else {
        (void)platform::OpenWithSystemHandler(shared_.gamePath);
    }
    StopThreads(kStartGameStopWaitMs);
    Destroy();
}

void CUpdateDlg::OnExit() {
    StopThreads(-1);
    Destroy();
}

void CUpdateDlg::OnUpdateButton() {
    if (shared_.updateState.load() != 0) {
        BeginStopping();
        work_->StopUpdateThread(-1);
        shared_.unpack.stopFlag = 1;
        work_->WaitUnpackThread();
        EndStopping();
        SetButtonRunning(false);
        return;
    }
    StartUpdate();
}

void CUpdateDlg::OnLinkButton(int which) {
    if (which < 0 || which >= static_cast<int>(kUrlCount) - 2) {
        return;
    }
    const std::string& url = shared_.urls[static_cast<size_t>(which) + 2];
    if (!url.empty()) {
        (void)platform::OpenWithSystemHandler(url, true);
    }
}

void CUpdateDlg::OnCloseRequest(int32_t resumeIndex) {
    shared_.quitFlag = 1;
    if (resumeIndex > 0 && shared_.unpack.selfUpdatePending.load() == 1) {
        // UnpackThread stopped after a package that brought a new patcher,
        // and stored where the next start goes on: nothing runs any more,
        // and the player learns what to do.
        outcome_ = UpdateOutcome::kSelfUpdateStored;
        shared_.updateState = 0;
        SetButtonRunning(false);
        display_.statusText = Text(GBK("发现新的更新程序,请退出后重新运行更新程序以继续更新"));
        return;
    }
    if (resumeIndex == 0 && outcome_ == UpdateOutcome::kSelfUpdateStored) {
        // The window's close box, then: the player leaves as with Exit, and
        // the stored index stays for the next start.
        OnExit();
        return;
    }
    // Otherwise the default close handling turns the request into Cancel,
    // which the dialog ignores: it ends only through Exit, StartGame or the
    // hand-over.
}

// ---- The self-update hand-over ----

void CUpdateDlg::HandOverCheck() {
    const std::string name = SelfUpdateFileName(shared_.ownExeName);
    const std::string newPatcher = "download\\" + name;
    {
        auto f = platform::File::Open(newPatcher, platform::Access::kRead,
                                      platform::kShareRead | platform::kShareWrite,
                                      platform::Disposition::kOpenExisting);
        if (!f) {
            return;
        }
    }
    // The unpacking that brought it ends first (the walk posts its last
    // progress before the packages are closed and the version recorded).
    // Only a complete one hands over: one that failed has been undone, and
    // one that stopped early goes on at the next start.
    work_->WaitUnpackThread();
    const int32_t unpacked = shared_.unpackResult.load();
    if (unpacked != 0 && unpacked != 1) {
        return;
    }
    // Only the patcher an unpacking wrote, unchanged since: anything else of
    // that name in download\ came from elsewhere and goes.
    if (!UnpackedPatcherProblem("", name).empty()) {
        (void)platform::DeleteFile(newPatcher);
        ForgetUnpackedPatcher("");
        return;
    }
    // The helper learns which file to put in place, then how to start it.
    const std::string helper = platform::CurrentDirectory() + "\\" + kSelfUpdateHelper;
    std::vector<std::string> args{platform::GbkToUtf8(SelfUpdateFileName(shared_.ownExeName))};
    args.insert(args.end(), options_.helperArgs.begin(), options_.helperArgs.end());
    const bool started = options_.startHelper ? options_.startHelper(helper, args)
                                              : platform::StartProgram(helper, args, "").ok();
    if (!started) {
        // The update is in place and recorded; the new patcher waits in
        // download\, and the next start hands it over.
        std::string text =
            FillInText(Text(GBK("无法启动自动更新程序%s,请重新运行更新程序")), helper);
        platform::ShowMessageBox(options_.owner, text.c_str(), Text(GBK("提示")).c_str(),
                                 platform::kMbOk);
        shared_.updateState = 0;
        SetButtonRunning(false);
        display_.statusText = Text(GBK("更新失败,请重新更新"));
        outcome_ = UpdateOutcome::kFailed;
        return;
    }
    options_.sleep(options_.handOverPauseMs);
    // The version was recorded with the last package (or was current);
    // what is left of the packages goes.
    shared_.installedVersion = shared_.targetVersion.load();
    for (const PatchFileEntry& entry : PatchFiles().Snapshot()) {
        DeletePackage(entry.localPath);
    }
    outcome_ = UpdateOutcome::kHandedOver;
    OnExit();
}
