#include "platform/native_windows.h"

#include "../common/backend.h"
#include "platform/result.h"
#include "wide.h"

namespace platform {

std::string Error::Message() const {
    if (code == 0) {
        return "The operation failed.";
    }
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    if (n == 0 || buf == nullptr) {
        return "Unknown error " + std::to_string(code);
    }
    std::string text = win32::Narrow(buf, n);
    LocalFree(buf);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

uint32_t LastSystemError() {
    return GetLastError();
}
Error LastSocketError() {
    return Error{static_cast<uint32_t>(WSAGetLastError())};
}
uint32_t ErrorNotFound() {
    return ERROR_FILE_NOT_FOUND;
}
uint32_t ErrorAlreadyExists() {
    return ERROR_ALREADY_EXISTS;
}
uint32_t ErrorIo() {
    return ERROR_IO_DEVICE;
}

uint32_t ErrorDiskFull() {
    return ERROR_DISK_FULL;
}
uint32_t ErrorTimedOut() {
    return WAIT_TIMEOUT;
}
bool IsNotFound(const Error& e) {
    return e.code == ERROR_FILE_NOT_FOUND || e.code == ERROR_PATH_NOT_FOUND;
}
bool IsAlreadyExists(const Error& e) {
    return e.code == ERROR_ALREADY_EXISTS || e.code == ERROR_FILE_EXISTS;
}
bool IsDiskFull(const Error& e) {
    return e.code == ERROR_DISK_FULL || e.code == ERROR_HANDLE_DISK_FULL;
}
bool IsTimedOut(const Error& e) {
    return e.code == WAIT_TIMEOUT || e.code == ERROR_TIMEOUT;
}

}  // namespace platform
