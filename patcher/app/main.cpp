// Drevik, the patcher.
//
//   drevik [--console] [--yes | --abort] [--server N] [--start]
//   drevik --servers
//   drevik --options [KEY=VALUE ...]
//
// Run in the game folder. On Windows the update runs in the update window,
// unless --console asks for the console front end (the program has no
// console of its own: it attaches to the one it was started from, or opens
// one); elsewhere the console front end is the only one. On the console the
// server list, status and progress are on the terminal, message boxes are
// prompts; --yes / --abort answer them for unattended runs, --server N picks
// row N of the server list, --start starts the game once the update is done.
// Exit codes: 0 updated or already current, 1 failed (or another patcher
// runs), 2 stopped for a self-update.
//
// --servers prints the server list the patcher builds from update.ini in the
// current folder, and ends. --options prints the game client's options
// (ClientOpt.txt), or sets the ones given and saves the file, as the settings
// dialog does.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "FrontEnds.h"
#include "patcher/CPatcherApp.h"
#include "patcher/ConsoleFrontEnd.h"
#include "patcher/ServersCommand.h"
#include "patcher/text/LocalText.h"
#include "patcher/ui/OptionsCommand.h"
#include "platform/console.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

constexpr const char* kUsage =
    "usage: drevik [--console] [--yes | --abort] [--server N] [--start]\n"
    "       drevik --servers\n"
    "       drevik --options [KEY=VALUE ...]\n";

}  // namespace

int main(int argc, char** argv) {
    // Boxes shown without a caption carry the patcher's title.
    platform::SetDefaultCaption(GetLocalText(GBK("《Tesmar》更新程序")));
    std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
    args.erase(args.begin());
    bool console = WantsConsole(args);
    // In the window, boxes stay the system's own (the warning that another
    // patcher runs, too).
    std::optional<platform::ScopedMessageBoxHandler> consoleBoxes;
    if (console) {
        EnsureConsole();
        consoleBoxes.emplace(platform::ConsoleMessageBox);
    }
    if (!args.empty() && args[0] == "--options") {
        // The game's options, not an update: no instance lock, no window.
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunOptionsCommand(std::vector<std::string>(args.begin() + 1, args.end()), std::cout,
                                 std::cerr);
    }
    if (args.size() == 1 && args[0] == "--servers") {
        // A check of update.ini, not an update: no instance lock, no window.
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunServersCommand(std::cout);
    }
    ConsoleOptions options;
    std::string error;
    if (!ParseConsoleArguments(args, options, error)) {
        if (!console) {
            EnsureConsole();
        }
        std::fprintf(stderr, "drevik: %s\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (!console) {
        if (std::optional<int> code = RunWindowUpdate(options)) {
            return *code;
        }
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
