#include "patcher/CPatcherApp.h"

#include "patcher/text/LocalText.h"
#include "platform/msgbox.h"
#include "platform/text.h"

CPatcherApp::CPatcherApp(std::function<int()> runDialog, std::string instanceName)
    : runDialog_(std::move(runDialog)), instanceName_(std::move(instanceName)) {}

bool CPatcherApp::InitInstance() {
    lock_ = std::make_unique<platform::SingleInstanceLock>(instanceName_);
    if (lock_->state() == platform::SingleInstanceLock::State::kAlreadyRunning) {
        // The warning's caption and text pass through the text table, so a
        // translated client warns in its own language. Both are copied: the
        // caption's lookup may reuse the ring space of the text's.
        std::string text = GetLocalText(GBK("相关程序已经启动"));
        std::string caption = GetLocalText(GBK("警告"));
        platform::ShowMessageBox(nullptr, text.c_str(), caption.c_str(), platform::kMbOk);
        lock_.reset();
        return false;
    }
    // A lock that could not be made at all (no writable lock folder) does
    // not keep the player from updating.
    exitCode_ = runDialog_ ? runDialog_() : 0;
    return true;
}
