// The front ends on Windows: the update window, unless the command line asks
// for the console (--console, and the commands that only print).
#include "FrontEnds.h"

#include "patcher/CPatcherApp.h"
#include "patcher/WindowFrontEnd.h"

bool WantsConsole(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--console" || a == "--options" || a == "--servers" || a == "--news") {
            return true;
        }
    }
    return false;
}

void EnsureConsole() {
    (void)AttachConsoleForFrontEnd();  // without one the output goes nowhere
}

std::optional<int> RunWindowUpdate(const ConsoleOptions& options) {
    CPatcherApp app([&] { return RunWindow(options); });
    if (!app.InitInstance()) {
        return kExitFailed;  // another patcher is running
    }
    return app.exitCode();
}
