#include <cerrno>
#include <cstring>

#include "../common/backend.h"
#include "platform/result.h"
#include "platform/text.h"

namespace platform {

std::string Error::Message() const {
    if (code == 0) {
        return "The operation failed.";
    }
    char buf[256];
    // GNU strerror_r may answer a static text instead of filling buf.
    const char* text = strerror_r(static_cast<int>(code), buf, sizeof buf);
    return Utf8ToGbk(text ? text : "Unknown error");
}

uint32_t LastSystemError() {
    return static_cast<uint32_t>(errno);
}
Error LastSocketError() {
    return Error{static_cast<uint32_t>(errno)};
}
uint32_t ErrorNotFound() {
    return ENOENT;
}
uint32_t ErrorAlreadyExists() {
    return EEXIST;
}
uint32_t ErrorIo() {
    return EIO;
}

uint32_t ErrorDiskFull() {
    return ENOSPC;
}
uint32_t ErrorTimedOut() {
    return ETIMEDOUT;
}
bool IsNotFound(const Error& e) {
    return e.code == ENOENT || e.code == ENOTDIR;
}
bool IsAlreadyExists(const Error& e) {
    return e.code == EEXIST;
}
bool IsDiskFull(const Error& e) {
    return e.code == ENOSPC || e.code == EDQUOT;
}
bool IsTimedOut(const Error& e) {
    return e.code == ETIMEDOUT;
}

}  // namespace platform
