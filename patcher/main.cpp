// Drevik, the patcher.
//
//   drevik [--console] [--yes | --abort] [--server N] [--start]
//   drevik --servers
//
// Run in the game folder. The update runs on the console front end (the
// only one of this build): the server list, status and progress on the
// terminal, message boxes as prompts; --yes / --abort answer them for
// unattended runs, --server N picks row N of the server list, --start starts
// the game once the update is done. Exit codes: 0 updated or already
// current, 1 failed (or another patcher runs), 2 stopped for a self-update.
//
// --servers prints the server list the patcher builds from update.ini in the
// current folder, and ends.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "patcher/CPatcherApp.h"
#include "patcher/ConsoleFrontEnd.h"
#include "patcher/ServersCommand.h"
#include "platform/console.h"
#include "platform/msgbox.h"

namespace {

constexpr const char* kUsage =
    "usage: drevik [--console] [--yes | --abort] [--server N] [--start]\n"
    "       drevik --servers\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
    args.erase(args.begin());
    platform::SetMessageBoxHandler(platform::ConsoleMessageBox);
    if (args.size() == 1 && args[0] == "--servers") {
        // A check of update.ini, not an update: no instance lock, no window.
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunServersCommand(std::cout);
    }
    ConsoleOptions options;
    std::string error;
    if (!ParseConsoleArguments(args, options, error)) {
        std::fprintf(stderr, "drevik: %s\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    platform::SetBinaryMode(platform::StdStream::kOutput);
    ConsoleIo io;
    io.terminal = platform::IsTerminal(platform::StdStream::kOutput);
    io.out = [](const std::string& s) { platform::WriteText(platform::StdStream::kOutput, s); };
    io.note = [](const std::string& s) { platform::WriteText(platform::StdStream::kError, s); };
    CPatcherApp app([&] { return RunConsole(options, io); });
    if (!app.InitInstance()) {
        return kExitFailed;  // another patcher is running
    }
    return app.exitCode();
}
