#include "platform/instance.h"

#include "platform/native_windows.h"
#include "wide.h"

namespace platform {

SingleInstanceLock::SingleInstanceLock(const std::string& name) {
    HANDLE m = CreateMutexW(nullptr, FALSE, win32::Wide(name).c_str());
    if (m == nullptr) {
        state_ = GetLastError() == ERROR_ACCESS_DENIED ? State::kAlreadyRunning : State::kFailed;
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(m);
        state_ = State::kAlreadyRunning;
        return;
    }
    handle_ = reinterpret_cast<intptr_t>(m);
    state_ = State::kAcquired;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

}  // namespace platform
