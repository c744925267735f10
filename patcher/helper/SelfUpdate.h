// The self-update helper, "UpdatePackef.dat": a small program installed
// beside the patcher. The patcher starts it when a patch brought a new
// patcher (unpacked to "download\<patcher>") and then ends; the helper waits
// until the patcher has ended, moves the new patcher over the old one and
// starts it again with the arguments it was given, in the game folder.
//
//   UpdatePackef.dat [PATCHER [ARGUMENTS...]]
//
// PATCHER is the patcher's file name in the current folder ("Drevik.exe" on
// Windows, "drevik" elsewhere when not given). The helper ends with the
// restarted patcher's exit code, or 1 when it could not put the new patcher
// in place (it then says why and does not start the old one, which would
// only hand over again).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The patcher holds its single-instance lock while it runs; the helper polls
// the lock this often, for at most this long.
constexpr uint32_t kPatcherPollMs = 100;
constexpr int kPatcherWaitPolls = 1200;  // two minutes
// A program that has just ended may stay locked for a moment on Windows
// (scanners, the loader); the move is tried this many times.
constexpr int kMoveAttempts = 20;
constexpr uint32_t kMoveRetryMs = 250;

// The patcher's file name when the command line names none.
const char* DefaultPatcherName();

struct SelfUpdateOptions {
    std::string patcher;            // file name in folder
    std::vector<std::string> args;  // for the restarted patcher
    std::string folder;             // the game folder (system path); "" = current
    std::string lockName;           // the patcher's single-instance lock
    int waitPolls = kPatcherWaitPolls;
    uint32_t pollMs = kPatcherPollMs;
    std::function<void(uint32_t ms)> sleep;  // platform::SleepMs when empty
    bool restart = true;                     // start the new patcher and wait for it
};

struct SelfUpdateResult {
    int exitCode = 1;   // the restarted patcher's, or 1
    std::string error;  // why it failed ("" on success), UTF-8
};

SelfUpdateResult RunSelfUpdate(const SelfUpdateOptions& options);
