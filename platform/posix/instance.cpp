#include "platform/instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {
namespace {

std::string LockPath(const std::string& name) {
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) {
        return std::string(run) + "/" + name + ".lock";
    }
    // The temporary folder is shared by all users; the name carries the user
    // so that, as with a session's named mutex, each user has their own.
    return "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const std::string& name) {
    std::string path = LockPath(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        state_ = State::kFailed;
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        state_ = errno == EWOULDBLOCK ? State::kAlreadyRunning : State::kFailed;
        ::close(fd);
        return;
    }
    handle_ = fd;
    state_ = State::kAcquired;
}

SingleInstanceLock::~SingleInstanceLock() {
    // The file stays: removing it would let a third instance lock a new file
    // while a second one still holds the old, unlinked one.
    if (handle_ != -1) {
        ::close(static_cast<int>(handle_));
    }
}

}  // namespace platform
