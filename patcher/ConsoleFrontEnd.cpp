#include "patcher/ConsoleFrontEnd.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "patcher/NewsPages.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/text.h"

namespace {

constexpr int kBarCells = 30;

bool ParseRow(const std::string& text, int& row) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    row = std::atoi(text.c_str());
    return row >= 1;
}

}  // namespace

bool ParseConsoleArguments(const std::vector<std::string>& args, ConsoleOptions& options,
                           std::string& error) {
    bool yes = false, abort = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--console") {
        } else if (a == "--yes") {
            yes = true;
        } else if (a == "--abort") {
            abort = true;
        } else if (a == "--start") {
            options.start = true;
        } else if (a == "--server") {
            if (i + 1 >= args.size() || !ParseRow(args[i + 1], options.server)) {
                error = "--server takes a row number of the server list, from 1";
                return false;
            }
            ++i;
        } else {
            error = "unknown argument: " + a;
            return false;
        }
    }
    if (yes && abort) {
        error = "--yes and --abort exclude each other";
        return false;
    }
    options.policy = yes ? BoxPolicy::kYes : abort ? BoxPolicy::kAbort : BoxPolicy::kAsk;
    options.arguments = args;
    return true;
}

// ---- Policy answers ----

PolicyBoxes::PolicyBoxes(BoxPolicy policy, std::function<void(const std::string&)> write,
                         std::function<void(uint32_t)> sleep)
    : policy_(policy), write_(std::move(write)), sleep_(std::move(sleep)) {}

int PolicyBoxes::Answer(void* /*owner*/, const char* text, const char* caption, uint32_t type) {
    std::string body = text ? text : "";
    int answer = platform::StepEndingAnswer(type);
    if (policy_ == BoxPolicy::kYes) {
        answer = platform::PolicyAnswer(platform::BoxAnswers::kRetry, type);
        if (answer == platform::kIdRetry) {
            if (body == lastText_ && retries_ >= kPolicyRetries) {
                answer = platform::StepEndingAnswer(type);
                lastText_.clear();
                retries_ = 0;
            } else {
                if (body == lastText_) {
                    // The same question again: give the world a moment to change.
                    sleep_(kPolicyRetryPauseMs);
                    ++retries_;
                } else {
                    lastText_ = body;
                    retries_ = 1;
                }
            }
        } else {
            lastText_.clear();
            retries_ = 0;
        }
    }
    std::string title = caption ? platform::GbkToUtf8(caption) : std::string("Error");
    write_("[" + title + "] " + platform::GbkToUtf8(body) + " -> " + platform::AnswerName(answer) +
           "\n");
    return answer;
}

// ---- The view ----

ConsoleView::ConsoleView(bool terminal, std::function<void(const std::string&)> write)
    : terminal_(terminal), write_(std::move(write)) {}

std::string ConsoleView::Bar(int percent, int width) {
    if (percent < 0) {
        percent = 0;
    }
    if (percent > 100) {
        percent = 100;
    }
    int filled = percent * width / 100;
    return "[" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(width - filled), '-') + "]";
}

std::vector<std::string> ConsoleView::Lines(const UpdateDlgDisplay& d,
                                            const UpdateWork::ServerRows& servers) {
    std::vector<std::string> lines;
    lines.push_back(d.title + (d.versionText.empty() ? "" : "  " + d.versionText));
    for (size_t i = 0; i < servers.rows.size(); ++i) {
        bool selected = static_cast<int>(i) == servers.selected;
        lines.push_back((selected ? " > " : "   ") + std::to_string(i + 1) + servers.rows[i]);
    }
    lines.push_back(" " + d.statusText);
    lines.push_back(" " + d.downloadLabel + "  " + Bar(d.downloadBar, kBarCells));
    lines.push_back(" " + d.updateLabel + "  " + Bar(d.updateBar, kBarCells));
    return lines;
}

void ConsoleView::Render(const UpdateDlgDisplay& display, const UpdateWork::ServerRows& servers) {
    if (terminal_) {
        RenderInPlace(Lines(display, servers));
    } else {
        RenderChanges(display, servers);
    }
}

void ConsoleView::RenderInPlace(const std::vector<std::string>& lines) {
    if (lines == drawn_) {
        return;
    }
    std::string out;
    if (!drawn_.empty()) {
        out += "\x1b[" + std::to_string(drawn_.size()) + "A";  // back to the block's first line
    }
    for (const std::string& line : lines) {
        out += "\r" + platform::GbkToUtf8(line) + "\x1b[K\n";
    }
    // A block that shrank leaves lines below it: clear them.
    out += "\x1b[J";
    write_(out);
    drawn_ = lines;
}

void ConsoleView::RenderChanges(const UpdateDlgDisplay& d, const UpdateWork::ServerRows& servers) {
    auto line = [this](const std::string& gbk) { write_(platform::GbkToUtf8(gbk) + "\n"); };
    if (first_ || d.title != last_.title) {
        line(d.title);
    }
    if (!d.versionText.empty() && (first_ || d.versionText != last_.versionText)) {
        line(d.versionText);
    }
    if (servers.rows != lastServers_.rows || servers.selected != lastServers_.selected) {
        for (size_t i = 0; i < servers.rows.size(); ++i) {
            bool selected = static_cast<int>(i) == servers.selected;
            line((selected ? "> " : "  ") + std::to_string(i + 1) + servers.rows[i]);
        }
    }
    if (!d.statusText.empty() && (first_ || d.statusText != last_.statusText)) {
        line(d.statusText);
    }
    if (first_ || d.downloadLabel != last_.downloadLabel) {
        line(d.downloadLabel);
    }
    if (first_ || d.updateLabel != last_.updateLabel) {
        line(d.updateLabel);
    }
    first_ = false;
    last_ = d;
    lastServers_ = servers;
}

void ConsoleView::Release() {
    drawn_.clear();
}

// ---- The run ----

bool StartGameProgram(const std::string& gamePath, std::string* why) {
    if (gamePath.empty()) {
        if (why) {
            *why = "update.ini names no game ([game] tesmar)";
        }
        return false;
    }
    std::string program = platform::IsAbsolutePath(gamePath)
                              ? gamePath
                              : platform::CurrentDirectory() + "\\" + gamePath;
    auto started = platform::StartProgram(program, {}, "");
    if (!started && why) {
        *why = platform::GbkToUtf8(platform::NativePath(program)) + ": " +
               platform::GbkToUtf8(started.error().Message());
    }
    return started.ok();
}

namespace {

// Loads the update notes beside the update and prints their first lines
// once, above the view's block.
class NotesPrinter {
public:
    NotesPrinter(const std::string& url, const ConsoleIo& io, ConsoleView& view)
        : io_(io), view_(view) {
        if (url.empty()) {
            printed_ = true;
            return;
        }
        loader_.Start(url, NewsFetchOptions(), [this](http::FetchResult result) {
            std::lock_guard<std::mutex> lock(mu_);
            result_ = std::move(result);
            arrived_ = true;
            cv_.notify_all();
        });
    }
    ~NotesPrinter() { loader_.Cancel(); }

    void PrintIfLoaded() {
        if (printed_) {
            return;
        }
        std::optional<http::FetchResult> result;
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (!arrived_) {
                return;
            }
            result = std::move(result_);
        }
        printed_ = true;
        NewsPage page = ReadNewsPage(*result);
        if (!page.loaded) {
            io_.note("drevik: the update notes were not loaded: " + page.reason + "\n");
            return;
        }
        std::vector<std::string> lines = NewsLines(page.page, io_.columns, io_.notesLines);
        if (lines.empty()) {
            return;
        }
        view_.Release();
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\n";
        }
        io_.out(text + "\n");
    }

    // The run ends: the notes are printed if they arrive in time.
    void Finish() {
        if (printed_) {
            return;
        }
        {
            std::unique_lock<std::mutex> lock(mu_);
            cv_.wait_for(lock, std::chrono::milliseconds(io_.notesWaitMs),
                         [this] { return arrived_; });
        }
        PrintIfLoaded();
        printed_ = true;
        loader_.Cancel();
    }

private:
    const ConsoleIo& io_;
    ConsoleView& view_;
    std::mutex mu_;
    std::condition_variable cv_;
    bool arrived_ = false;
    std::optional<http::FetchResult> result_;
    bool printed_ = false;
    http::PageLoader loader_;  // last: its thread ends before the rest goes
};

}  // namespace

int RunConsole(const ConsoleOptions& options, const ConsoleIo& io, UpdateDlgOptions dialogOptions) {
    ConsoleView view(io.terminal, io.out);
    PolicyBoxes policy(options.policy, io.note,
                       dialogOptions.sleep ? dialogOptions.sleep : platform::SleepMs);
    dialogOptions.showBox = [&](void* owner, const char* text, const char* caption, uint32_t type) {
        view.Release();
        if (options.policy == BoxPolicy::kAsk) {
            return platform::ConsoleMessageBox(owner, text, caption, type);
        }
        return policy.Answer(owner, text, caption, type);
    };
    dialogOptions.helperArgs = options.arguments;
    // The dialog goes on whether the game started or not; the run's exit
    // code must not.
    std::string gameNotStarted;
    dialogOptions.launchGame = [&gameNotStarted,
                                launch = dialogOptions.launchGame](const std::string& gamePath) {
        std::string why;
        const bool started = launch ? launch(gamePath) : StartGameProgram(gamePath, &why);
        if (!started) {
            gameNotStarted = why.empty() ? platform::GbkToUtf8(gamePath) : why;
        }
        return started;
    };

    CUpdateDlg dialog(std::move(dialogOptions));
    dialog.OnInitDialog();
    NotesPrinter notes(dialog.shared().urls[1], io, view);
    bool serverWarned = false;
    for (;;) {
        dialog.PumpEvents(kConsolePollMs);
        UpdateWork::ServerRows servers = dialog.work().ServerList();
        if (dialog.ended()) {
            view.Render(dialog.display(), servers);
            // Handed over or closed: nothing waits for the notes.
            notes.PrintIfLoaded();
            return dialog.outcome() == UpdateOutcome::kHandedOver ? kExitSelfUpdate : kExitFailed;
        }
        if (options.server > 0 && !servers.rows.empty()) {
            if (options.server <= static_cast<int>(servers.rows.size())) {
                if (servers.selected != options.server - 1) {
                    dialog.work().SelectServer(options.server - 1);
                    servers = dialog.work().ServerList();
                }
            } else if (!serverWarned) {
                io.note("--server " + std::to_string(options.server) + ": the list has " +
                        std::to_string(servers.rows.size()) + " servers\n");
                serverWarned = true;
            }
        }
        view.Render(dialog.display(), servers);
        if (dialog.shared().targetVersion != 0 || dialog.outcome() != UpdateOutcome::kPending) {
            notes.PrintIfLoaded();
        }
        if (dialog.outcome() != UpdateOutcome::kPending) {
            notes.Finish();
        }
        switch (dialog.outcome()) {
            case UpdateOutcome::kDone:
                if (options.start) {
                    dialog.OnStartGame();
                    if (!dialog.ended()) {  // no server chosen: nothing started
                        dialog.OnExit();
                        return kExitFailed;
                    }
                    if (!gameNotStarted.empty()) {
                        io.note("drevik: cannot start the game: " + gameNotStarted + "\n");
                        return kExitFailed;
                    }
                    return kExitCurrent;
                }
                dialog.OnExit();
                return kExitCurrent;
            case UpdateOutcome::kFailed:
                dialog.OnExit();
                return kExitFailed;
            case UpdateOutcome::kSelfUpdateStored:
                dialog.OnExit();
                return kExitSelfUpdate;
            case UpdateOutcome::kHandedOver:
                return kExitSelfUpdate;
            case UpdateOutcome::kPending:
                break;
        }
    }
}
