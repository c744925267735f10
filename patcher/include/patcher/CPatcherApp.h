// The patcher application: one running instance, one modal window (the
// update dialog) until the player starts the game or leaves.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/instance.h"

class CPatcherApp {
public:
    // Name of the single-instance lock (a named mutex on Windows).
    static constexpr const char* kInstanceName = "Drevik";

    // runDialog runs the update dialog modally and answers the program's
    // exit code. The patcher's instances share kInstanceName; tests give a
    // name of their own so that they never meet a patcher that really runs.
    explicit CPatcherApp(std::function<int()> runDialog, std::string instanceName = kInstanceName);

    // The application's start-up, run once: takes the single-instance lock;
    // a second instance shows "相关程序已经启动" / "警告" (OK, no owner) and
    // answers false without running the dialog. Otherwise runs the dialog
    // and answers true; exitCode() then holds its result.
    bool InitInstance();

    int exitCode() const { return exitCode_; }

private:
    std::function<int()> runDialog_;
    std::string instanceName_;
    std::unique_ptr<platform::SingleInstanceLock> lock_;  // held while the dialog runs
    int exitCode_ = 0;
};
