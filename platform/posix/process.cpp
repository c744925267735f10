#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "../common/backend.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/text.h"

extern char** environ;

namespace platform {
namespace {

constexpr const char* kShell = "/bin/sh";
constexpr const char* kStartHandler =
    "command -v xdg-open >/dev/null 2>&1 || exit 127; xdg-open \"$1\" &";
constexpr int kShellNotFound = 127;  // the shell's code for a command it cannot find

// The text to search for, in the form native paths take.
std::string NativeNeedle(const std::string& systemText) {
    std::string utf8 = GbkToUtf8(systemText);
    for (char& c : utf8) {
        if (c == '\\')
            c = '/';
    }
    return utf8;
}

std::string ReadLink(const std::string& path) {
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size() - 1);
    return n > 0 ? std::string(buf.data(), static_cast<size_t>(n)) : std::string();
}

// argv[0] of a process, with "\" turned into "/" (programs under Wine show
// their Windows path there).
std::string FirstArgument(const std::string& procDir) {
    int fd = ::open((procDir + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::string();
    }
    char buf[PATH_MAX + 1];
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) {
        return std::string();
    }
    buf[n] = 0;
    std::string arg = buf;  // up to the first NUL
    for (char& c : arg) {
        if (c == '\\')
            c = '/';
    }
    return arg;
}

Result<Process> Spawn(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workDir, const StandardStreams& streams, pid_t& pid) {
    std::string native = NativePath(program);
    std::vector<std::string> argStore;
    argStore.push_back(native);
    for (const auto& a : args) {
        argStore.push_back(a);
    }
    std::vector<char*> argv;
    for (auto& a : argStore) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Opened before the change of folder, so relative paths are the caller's.
    const struct {
        const std::string& path;
        int fd;
        int flags;
    } redirects[] = {{streams.input, STDIN_FILENO, O_RDONLY},
                     {streams.output, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC},
                     {streams.error, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC}};
    std::vector<std::string> nativeStreams;
    nativeStreams.reserve(3);
    for (const auto& r : redirects) {
        if (!r.path.empty()) {
            nativeStreams.push_back(NativePath(r.path));
            posix_spawn_file_actions_addopen(&actions, r.fd, nativeStreams.back().c_str(), r.flags,
                                             0644);
        }
    }
    std::string dir = workDir.empty() ? std::string() : NativePath(workDir);
    if (!dir.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    }
    int rc;
    if (native.find('/') == std::string::npos) {
        rc = ::posix_spawnp(&pid, native.c_str(), &actions, nullptr, argv.data(), environ);
    } else {
        rc = ::posix_spawn(&pid, native.c_str(), &actions, nullptr, argv.data(), environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return Error{static_cast<uint32_t>(rc)};
    }
    return Process();
}

}  // namespace

bool IsProgramRunning(const std::string& pathPart) {
    DIR* proc = ::opendir("/proc");
    if (!proc) {
        return false;
    }
    std::string needle = NativeNeedle(pathPart);
    bool found = false;
    while (struct dirent* e = ::readdir(proc)) {
        const char* name = e->d_name;
        if (*name < '0' || *name > '9') {
            continue;
        }
        std::string dir = std::string("/proc/") + name;
        if (ReadLink(dir + "/exe").find(needle) != std::string::npos ||
            FirstArgument(dir).find(needle) != std::string::npos) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

void Process::Release() {
    handle_ = -1;  // a pid: reaped by Wait, nothing to close
}

Result<int> Process::Wait(int timeoutMs) {
    if (handle_ == -1) {
        return Error{};
    }
    if (reaped_) {
        return exitCode_;
    }
    pid_t pid = static_cast<pid_t>(handle_);
    uint64_t start = TickCount64();
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, timeoutMs < 0 ? 0 : WNOHANG);
        if (r == pid) {
            reaped_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (r < 0 && errno != EINTR) {
            return LastError();
        }
        if (timeoutMs >= 0 && TickCount64() - start >= static_cast<uint64_t>(timeoutMs)) {
            return Error{ErrorTimedOut()};
        }
        SleepMs(5);
    }
}

void Process::Kill() {
    if (handle_ != -1 && !reaped_) {
        ::kill(static_cast<pid_t>(handle_), SIGKILL);
    }
}

void Process::Terminate() {
    if (handle_ != -1 && !reaped_) {
        ::kill(static_cast<pid_t>(handle_), SIGTERM);
    }
}

Result<Process> StartProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir) {
    return StartProgram(program, args, workDir, StandardStreams{});
}

Result<Process> StartProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir, const StandardStreams& streams) {
    pid_t pid = 0;
    auto r = Spawn(program, args, workDir, streams, pid);
    if (!r) {
        return r;
    }
    Process p;
    p.handle_ = pid;
    p.id_ = static_cast<uint32_t>(pid);
    return p;
}

Status OpenWithSystemHandler(const std::string& target, bool /*maximized*/) {
    // Nobody waits for the handler: a shell starts it in the background and
    // ends at once, so the handler belongs to init, which reaps it, and the
    // shell is reaped here. A handler that is not installed fails as a
    // program that cannot be started.
    auto shell = StartProgram(kShell, {"-c", kStartHandler, "sh", GbkToUtf8(target)}, "");
    if (!shell) {
        return shell.error();
    }
    auto code = shell->Wait(-1);
    if (!code) {
        return code.error();
    }
    if (*code == kShellNotFound) {
        return Error{ENOENT};
    }
    return *code == 0 ? Status::Ok() : Status(Error{});
}

uint32_t CurrentProcessId() {
    return static_cast<uint32_t>(::getpid());
}

}  // namespace platform
