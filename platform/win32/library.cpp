#include "platform/library.h"

#include "platform/native_windows.h"

#include "../common/backend.h"
#include "wide.h"

namespace platform {

SharedLibrary::~SharedLibrary() {
    Close();
}

void SharedLibrary::Close() {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
}

Result<SharedLibrary> SharedLibrary::Open(const std::string& path) {
    std::wstring wide = win32::Wide(path);
    // A full path loads exactly this file (a relative one would send the
    // loader through its search order) and, with the altered search path,
    // finds the library's own dependencies beside it first.
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) {
        return LastError();
    }
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(wide.c_str(), n, &full[0], nullptr);
    full.resize(n);
    if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    // The same failures as on POSIX: no box from the system when the file or
    // one of its dependencies is missing, only the error code.
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE h = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD error = GetLastError();
    SetErrorMode(previous);
    if (h == nullptr) {
        return Error{error};
    }
    return SharedLibrary(h);
}

void* SharedLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string SharedLibraryFileName(const std::string& baseName) {
    return baseName + ".dll";
}

}  // namespace platform
