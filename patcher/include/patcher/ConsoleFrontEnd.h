// The console front end of the update dialog: the default wherever there is
// no window. It shows the server list, the status line (with the speed
// line), both progress bars with their percentages and the version on the
// terminal, redrawn in place; when the output is not a terminal, one line
// per change. Message boxes become prompts, or are answered by a policy for
// unattended runs. It ends by itself when the update is done, has failed or
// hands over to the self-update helper.
//
//   drevik [--console] [--yes | --abort] [--server N] [--start]
//
// Threads: everything here runs on the UI thread, the dialog's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "patcher/CUpdateDlg.h"

// Exit codes of the console front end.
constexpr int kExitCurrent = 0;     // updated, or already current
constexpr int kExitFailed = 1;      // the update failed or was refused
constexpr int kExitSelfUpdate = 2;  // stopped for a self-update: the helper goes on
constexpr int kExitUsage = 64;      // the command line was wrong

// How unattended runs answer message boxes.
enum class BoxPolicy {
    kAsk,    // prompt on the terminal (without one: the answer that ends the step)
    kYes,    // go on: OK, Yes, Retry (a few times, then the step ends)
    kAbort,  // end the step: OK, No, Cancel, Abort
};

// A policy answer of kYes retries the same box at most this many times in a
// row, pausing before each, so a state that does not change (a game left
// running) cannot keep the patcher asking for ever.
constexpr int kPolicyRetries = 3;
constexpr uint32_t kPolicyRetryPauseMs = 1000;
// The UI thread looks at the dialog's queue this often.
constexpr int kConsolePollMs = 100;

struct ConsoleOptions {
    BoxPolicy policy = BoxPolicy::kAsk;
    int server = 0;      // 1-based row of the server list to choose; 0 = the list's own choice
    bool start = false;  // start the game when the update is done
    // The arguments as given, for the patcher that the self-update helper
    // starts again (UTF-8).
    std::vector<std::string> arguments;
};

// Parses the patcher's arguments (UTF-8, without the program name) into
// options. False with a message on a wrong command line. "--console" is
// accepted and changes nothing here.
bool ParseConsoleArguments(const std::vector<std::string>& args, ConsoleOptions& options,
                           std::string& error);

// Answers boxes by policy, writing each box and its answer as a line.
class PolicyBoxes {
public:
    PolicyBoxes(BoxPolicy policy, std::function<void(const std::string& utf8Line)> write,
                std::function<void(uint32_t ms)> sleep);
    int Answer(void* owner, const char* text, const char* caption, uint32_t type);

private:
    BoxPolicy policy_;
    std::function<void(const std::string&)> write_;
    std::function<void(uint32_t)> sleep_;
    std::string lastText_;  // the box last answered with Retry
    int retries_ = 0;       // times in a row it was
};

// What the console shows, turned into output: lines redrawn in place on a
// terminal, one line per changed item otherwise. Texts arrive in GBK and
// leave in UTF-8.
class ConsoleView {
public:
    ConsoleView(bool terminal, std::function<void(const std::string& utf8)> write);

    void Render(const UpdateDlgDisplay& display, const UpdateWork::ServerRows& servers);
    // Before a prompt: the prompt goes below the block, and the next Render
    // draws the block anew under it.
    void Release();

    // The block's lines for a state (GBK), as a terminal shows them.
    static std::vector<std::string> Lines(const UpdateDlgDisplay& display,
                                          const UpdateWork::ServerRows& servers);
    // A text bar of the percentage, width cells wide.
    static std::string Bar(int percent, int width);

private:
    void RenderInPlace(const std::vector<std::string>& lines);
    void RenderChanges(const UpdateDlgDisplay& display, const UpdateWork::ServerRows& servers);

    bool terminal_;
    std::function<void(const std::string&)> write_;
    std::vector<std::string> drawn_;  // lines of the block on the terminal now
    bool first_ = true;
    UpdateDlgDisplay last_;
    UpdateWork::ServerRows lastServers_;
};

struct ConsoleIo {
    bool terminal = false;  // standard output is a terminal
    int columns = 80;       // the terminal's width
    // The update notes are printed once the version check has answered and
    // the page has arrived, first lines only. A run that ends (done or
    // failed) before the page arrives waits for it at most this long; one
    // that hands over to the self-update helper does not wait.
    uint32_t notesWaitMs = 3000;
    size_t notesLines = 12;
    std::function<void(const std::string&)> out;   // the view's output
    std::function<void(const std::string&)> note;  // policy answers, notes
};

// Runs the dialog on the console until it ends; answers the exit code.
// dialogOptions may carry the work, texts and clocks (tests do); the box
// handling, the helper's arguments and the game launch are the front end's.
int RunConsole(const ConsoleOptions& options, const ConsoleIo& io,
               UpdateDlgOptions dialogOptions = {});

// Starts the game program directly (the console has no shell to "open" it
// with): gamePath relative to the current folder unless absolute. When it
// cannot, why (when given) names the program and the system's reason, UTF-8.
bool StartGameProgram(const std::string& gamePath, std::string* why = nullptr);
