// UpdateThread: the version check of one update attempt, up to the start of
// the download (UpdateDriver::StartDownload).
#include <random>

#include "patcher/CUpdateDlg.h"
#include "patcher/PatchFileList.h"
#include "patcher/UpdateDriver.h"
#include "patcher/VersionCheck.h"
#include "patcher/VersionRecord.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

// versionServerAddress holds a dotted address of at most this many characters.
constexpr size_t kServerAddressMax = 19;

}  // namespace

void UpdateDriver::UpdateThread() {
    PatchFiles().Clear();
    std::minstd_rand random(platform::TickCount());

    int32_t installed =
        ReadInstalledVersion([this](const std::string& text) { dialog_.PostVersionText(text); });
    shared_.installedVersion = installed < 0 ? 0 : installed;
    dialog_.PostStatusText(dialog_.Text(GBK("检测版本...")));

    ServerListData servers = servers_.Snapshot();
    if (servers.versionServerCount == 0) {
        Box(GBK("连接版本检测服务器失败，请重试"), nullptr);
        dialog_.Post(UM_RESET, 0, 0);
        return;
    }
    std::string address;
    {
        std::lock_guard<std::mutex> lock(addressMu_);
        if (!servers.versionServers.empty()) {
            versionServerAddress_ =
                servers.versionServers[random() % servers.versionServers.size()].substr(
                    0, kServerAddressMax);
        }
        // With every server struck off the list, the last one is tried again.
        address = versionServerAddress_;
    }

    VersionCheckRequest request;
    request.address = address;
    request.port = static_cast<uint16_t>(shared_.versionServerPort);
    request.installedVersion = shared_.installedVersion.load();
    request.lineType = servers.lineType;
    VersionCheckOptions check;
    check.replyPolls = options_.replyPolls;
    check.replyPollPeriodMs = options_.replyPollPeriodMs;
    check.connectPollPeriodMs = options_.connectPollPeriodMs;
    check.stop = &updateStop_;
    VersionCheckResult result = RunVersionCheck(request, PatchFiles(), check);

    if (result.status == VersionCheckStatus::kStopped) {
        dialog_.Post(UM_RESET, 0, 0);
        return;
    }
    if (result.status == VersionCheckStatus::kNotConnected) {
        servers_.RemoveVersionServer(address);
    }
    if (result.reply.done) {
        shared_.targetVersion = result.reply.targetVersion;
    }
    if (auto failure = VersionCheckFailure(result)) {
        platform::ShowMessageBox(dialog_.owner(), failure->text.c_str(), failure->caption.c_str(),
                                 platform::kMbOk);
        dialog_.Post(UM_RESET, 0, 0);
        return;
    }
    if (result.reply.code == kVersionCurrent) {
        dialog_.Post(UM_UPDATE_DONE, 0, 0);
        return;
    }
    // A package is never the new patcher itself: that only ever comes out of
    // a package, and the hand-over installs what lies there under the name.
    for (const PatchFileEntry& entry : PatchFiles().Snapshot()) {
        if (platform::EqualsIgnoringAsciiCase(entry.fileName, shared_.ownExeName) ||
            platform::EqualsIgnoringAsciiCase(entry.fileName,
                                              SelfUpdateFileName(shared_.ownExeName))) {
            Tell(GBK("版本检测服务器发来的补丁文件名%s是更新程序自己的名字,已停止更新"),
                 entry.fileName);
            dialog_.Post(UM_RESET, 0, 0);
            return;
        }
    }
    // Files to download: the version is recorded once they are unpacked.
    versionBefore_ = shared_.installedVersion.load();
    shared_.installedVersion = result.reply.targetVersion;
    shared_.updateState = 1;
    StartDownload(result.reply.DownloadAddress(), result.reply.webMirrors);
}
