// Drevik, the patcher.
//
//   drevik [--console] [--yes | --abort] [--server N] [--start]
//   drevik [--console] --servers
//   drevik [--console] --options [KEY=VALUE ...]
//   drevik [--console] --news
//   drevik --help | --version
//
// Run in the game folder. On Windows the update runs in the update window,
// unless --console asks for the console front end (the program has no
// console of its own: it attaches to the one it was started from, or opens
// one); elsewhere the console front end is the only one. On the console the
// server list, status and progress are on the terminal, message boxes are
// prompts; --yes / --abort answer them for unattended runs, --server N picks
// row N of the server list, --start starts the game once the update is done.
// Exit codes: 0 updated or already current, 1 failed (or another patcher
// runs, or the folder has no update.ini), 2 stopped for a self-update, 64 a
// wrong command line.
//
// --servers prints the server list the patcher builds from update.ini in the
// current folder, and ends. --options prints the game client's options
// (ClientOpt.txt), or sets the ones given and saves the file, as the settings
// dialog does. --news prints the announcement and the update notes, the two
// web pages update.ini names, as text, and ends: 0 when both were loaded.
// --help and --version print and end without touching anything.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "FrontEnds.h"
#include "cli/CommandLine.h"
#include "patcher/CPatcherApp.h"
#include "patcher/ConsoleFrontEnd.h"
#include "patcher/NewsPages.h"
#include "patcher/ServersCommand.h"
#include "patcher/text/LocalText.h"
#include "patcher/ui/OptionsCommand.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

constexpr const char* kName = "drevik";
constexpr const char* kUsage =
    "usage: drevik [--console] [--yes | --abort] [--server N] [--start]\n"
    "       drevik [--console] --servers\n"
    "       drevik [--console] --options [KEY=VALUE ...]\n"
    "       drevik [--console] --news\n"
    "       drevik --help | --version\n";

static_assert(kExitUsage == cli::kExitUsage && kExitFailed == cli::kExitFailed,
              "the patcher's exit codes are the suite's");

// The words after the --console flags that come first.
std::vector<std::string> AfterConsoleFlags(const std::vector<std::string>& args) {
    size_t first = 0;
    while (first < args.size() && args[first] == "--console") {
        ++first;
    }
    return std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(first), args.end());
}

// The terminal's width for wrapped text: COLUMNS when the shell exports it.
int TerminalColumns() {
    const char* columns = std::getenv("COLUMNS");
    int n = columns != nullptr ? std::atoi(columns) : 0;
    return n >= 20 && n <= 1000 ? n : 80;
}

// Says why there is nothing to update, on standard error and, for the
// window front end, in a box: the player may have started the program from
// the wrong folder.
void SayConfigMissing(const std::string& config, bool console) {
    const std::string line =
        cli::FailureLine(kName, "cannot update", platform::GbkToUtf8(platform::NativePath(config)),
                         "update.ini is missing");
    platform::WriteText(platform::StdStream::kError, line + "\n");
    if (!console) {
        platform::ShowMessageBox(nullptr, platform::Utf8ToGbk(line).c_str(), nullptr,
                                 platform::kMbOk | platform::kMbIconError);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Boxes shown without a caption carry the patcher's title.
    platform::SetDefaultCaption(GetLocalText(GBK("《Tesmar》更新程序")));
    std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
    args.erase(args.begin());
    // The usage and the version only print: no lock, no window, no file.
    if (cli::Asked asked = cli::AskedHelpOrVersion(args); asked != cli::Asked::kNothing) {
        EnsureConsole();
        platform::WriteText(platform::StdStream::kOutput,
                            asked == cli::Asked::kHelp ? kUsage : cli::VersionLine(kName));
        return cli::kExitOk;
    }
    bool console = WantsConsole(args);
    // In the window, boxes stay the system's own (the warning that another
    // patcher runs, too).
    std::optional<platform::ScopedMessageBoxHandler> consoleBoxes;
    if (console) {
        EnsureConsole();
        consoleBoxes.emplace(platform::ConsoleMessageBox);
    }
    // --options and --servers print through the console --console asks for.
    const std::vector<std::string> command = AfterConsoleFlags(args);
    if (!command.empty() && command[0] == "--options") {
        // The game's options, not an update: no instance lock, no window.
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunOptionsCommand(std::vector<std::string>(command.begin() + 1, command.end()),
                                 std::cout, std::cerr);
    }
    if (!command.empty() && command[0] == "--servers") {
        const bool extra = std::any_of(command.begin() + 1, command.end(),
                                       [](const std::string& a) { return a != "--console"; });
        if (extra) {
            EnsureConsole();
            return cli::UsageError(std::cerr, kName, "--servers takes no arguments", kUsage);
        }
        // A check of update.ini, not an update: no instance lock, no window.
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunServersCommand(std::cout);
    }
    if (!command.empty() && command[0] == "--news") {
        if (command.size() > 1) {
            EnsureConsole();
            return cli::UsageError(std::cerr, kName, "--news takes no arguments", kUsage);
        }
        // Pages to read, not an update: no instance lock, no window.
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunNewsCommand(std::cout, std::cerr, TerminalColumns());
    }
    ConsoleOptions options;
    std::string error;
    if (!ParseConsoleArguments(args, options, error)) {
        if (!console) {
            EnsureConsole();
        }
        return cli::UsageError(std::cerr, kName, error, kUsage);
    }
    // Without its configuration the patcher knows no server to ask: say so
    // before anything is started or written.
    const std::string config = platform::CurrentDirectory() + "\\update.ini";
    if (!platform::Exists(config)) {
        SayConfigMissing(config, console);
        return kExitFailed;
    }
    if (!console) {
        if (std::optional<int> code = RunWindowUpdate(options)) {
            return *code;
        }
    }
    platform::SetBinaryMode(platform::StdStream::kOutput);
    ConsoleIo io;
    io.terminal = platform::IsTerminal(platform::StdStream::kOutput);
    io.columns = TerminalColumns();
    io.out = [](const std::string& s) { platform::WriteText(platform::StdStream::kOutput, s); };
    io.note = [](const std::string& s) { platform::WriteText(platform::StdStream::kError, s); };
    CPatcherApp app([&] { return RunConsole(options, io); });
    if (!app.InitInstance()) {
        return kExitFailed;  // another patcher is running
    }
    return app.exitCode();
}
