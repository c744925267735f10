// Single-instance lock: a named mutex on Windows, a locked file on POSIX
// ($XDG_RUNTIME_DIR or the temporary folder, "<name>.lock"). The lock is
// held as long as the object lives, and is released by the OS if the
// process dies.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class SingleInstanceLock {
public:
    enum class State {
        kAcquired,        // this is the first instance
        kAlreadyRunning,  // another holder of the name exists
        kFailed,          // the lock could not be created at all
    };

    explicit SingleInstanceLock(const std::string& name);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    State state() const { return state_; }

private:
    State state_ = State::kFailed;
    intptr_t handle_ = -1;
};

}  // namespace platform
