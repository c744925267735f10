#include "SelfUpdate.h"

#include "patcher/CPatcherApp.h"
#include "patcher/SelfUpdateRecord.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/text.h"

#ifndef TESMAR_DEFAULT_PATCHER_NAME
#define TESMAR_DEFAULT_PATCHER_NAME "drevik"
#endif

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "\\" + name;
}

// A system path as the user's system writes it, in UTF-8.
std::string Shown(const std::string& path) {
    return platform::GbkToUtf8(platform::NativePath(path));
}

std::string Describe(const std::string& what, const platform::Error& e) {
    return what + ": " + platform::GbkToUtf8(e.Message());
}

}  // namespace

const char* DefaultPatcherName() {
    return TESMAR_DEFAULT_PATCHER_NAME;
}

SelfUpdateResult RunSelfUpdate(const SelfUpdateOptions& options) {
    SelfUpdateResult result;
    auto sleep = options.sleep ? options.sleep : platform::SleepMs;
    const std::string lockName =
        options.lockName.empty() ? CPatcherApp::kInstanceName : options.lockName;
    const std::string folder =
        options.folder.empty() ? platform::CurrentDirectory() : options.folder;
    const std::string target = Join(folder, options.patcher);
    const std::string incoming = Join(folder, "download\\" + options.patcher);

    if (!platform::Exists(incoming)) {
        result.error = "no new patcher in " + Shown(incoming);
        return result;
    }
    // A folder of the patcher's name is no program: moved over the patcher
    // it would leave the game without one.
    if (platform::IsDirectory(incoming)) {
        result.error = Shown(incoming) + " is a folder, not a new patcher; nothing was replaced";
        return result;
    }
    // Only the patcher the last update unpacked out of its checked packages:
    // download\ also holds what the servers sent.
    const std::string problem = UnpackedPatcherProblem(folder, options.patcher);
    if (!problem.empty()) {
        result.error = Shown(incoming) + " is not installed: " + problem;
        return result;
    }
    if (platform::IsDirectory(target)) {
        result.error = Shown(target) + " is a folder, not the patcher; nothing was replaced";
        return result;
    }
    // The patcher ends after it started us; its lock goes with it. Taking the
    // lock ourselves is the sign, and we let go of it at once so that the
    // restarted patcher can take it.
    bool ended = false;
    for (int poll = 0; poll < options.waitPolls && !ended; ++poll) {
        platform::SingleInstanceLock lock(lockName);
        ended = lock.state() != platform::SingleInstanceLock::State::kAlreadyRunning;
        if (!ended) {
            sleep(options.pollMs);
        }
    }
    if (!ended) {
        result.error = "the patcher is still running; nothing was replaced";
        return result;
    }
    platform::Status moved;
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        (void)platform::SetReadOnly(target, false);
        moved = platform::MoveFile(incoming, target, true);
        if (moved) {
            break;
        }
        sleep(kMoveRetryMs);
    }
    if (!moved) {
        result.error = Describe("cannot replace " + Shown(target), moved.error());
        return result;
    }
    ForgetUnpackedPatcher(folder);
    if (auto s = platform::SetExecutable(target); !s) {
        result.error = Describe("cannot make " + Shown(target) + " executable", s.error());
        return result;
    }
    if (!options.restart) {
        result.exitCode = 0;
        return result;
    }
    auto started = platform::StartProgram(target, options.args, folder);
    if (!started) {
        result.error = Describe("cannot start " + Shown(target), started.error());
        return result;
    }
    auto code = started->Wait(-1);
    result.exitCode = code ? *code : 1;
    return result;
}
