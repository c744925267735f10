// Process helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace platform {

// Whether a running process's program path contains pathPart (case-sensitive
// substring of the full path of its main module; on POSIX of the native path
// of /proc/PID/exe, with pathPart given in system form). False when the
// processes cannot be enumerated.
bool IsProgramRunning(const std::string& pathPart);

// Where a started program's standard streams go: files, as system paths
// (the output files are created, or emptied). "" leaves a stream the
// parent's.
struct StandardStreams {
    std::string input;
    std::string output;
    std::string error;
};

// A started child process. Move-only; the destructor does not wait or kill.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool IsValid() const { return handle_ != -1; }
    uint32_t id() const { return id_; }

    // The exit code once the process has ended within timeoutMs (-1 waits
    // without limit). A process still running then is an error that
    // IsTimedOut accepts; a wait that failed has the system's code (and no
    // process at all, code 0).
    Result<int> Wait(int timeoutMs);
    void Kill();
    // Asks the process to end (SIGTERM on POSIX, so that a server can stop
    // its children; on Windows the same as Kill).
    void Terminate();

private:
    friend Result<Process> StartProgram(const std::string&, const std::vector<std::string>&,
                                        const std::string&, const StandardStreams&);
    // Gives the handle back to the system (a pid needs nothing) and forgets it.
    void Release();

    intptr_t handle_ = -1;  // a process HANDLE, or the pid
    uint32_t id_ = 0;
    bool reaped_ = false;
    int exitCode_ = 0;
};

// Starts a program with arguments (each passed as one argument) in workDir
// ("" = the current directory). Paths in system form.
Result<Process> StartProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir);
// The same with its standard streams sent to files.
Result<Process> StartProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir, const StandardStreams& streams);

// Opens a file, program or web address with the system's handler (the
// shell's "open" verb on Windows, xdg-open on POSIX), without waiting for it.
// maximized asks for a maximised window where the handler honours it.
Status OpenWithSystemHandler(const std::string& target, bool maximized = false);

uint32_t CurrentProcessId();

}  // namespace platform
