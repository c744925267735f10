#include "platform/fs.h"

#include "platform/native_windows.h"

#include <vector>

#include "../common/backend.h"
#include "wide.h"

namespace platform {
namespace {

std::wstring W(const std::string& p) {
    return win32::Wide(p);
}

}  // namespace

std::string NativePath(const std::string& path) {
    return path;
}
std::string SystemPathFromNative(const std::string& native) {
    return native;
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES &&
           (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

namespace {

// The volume and index that tell a file apart, or false.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h =
        CreateFileW(W(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia;
    BY_HANDLE_FILE_INFORMATION ib;
    return FileIdentity(a, ia) && FileIdentity(b, ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

Status DeleteFile(const std::string& path) {
    if (!DeleteFileW(W(path).c_str())) {
        return LastError();
    }
    return Status::Ok();
}

Status DeleteDirectory(const std::string& path) {
    if (!RemoveDirectoryW(W(path).c_str())) {
        return LastError();
    }
    return Status::Ok();
}

Status MoveFile(const std::string& from, const std::string& to, bool replace) {
    DWORD flags = MOVEFILE_COPY_ALLOWED | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(W(from).c_str(), W(to).c_str(), flags)) {
        return LastError();
    }
    return Status::Ok();
}

Status FlushFolder(const std::string& path) {
    HANDLE h = CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
            return Status::Ok();
        }
        return Error{static_cast<uint32_t>(error)};
    }
    const bool ok = FlushFileBuffers(h) != 0;
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (!ok && error != ERROR_ACCESS_DENIED && error != ERROR_INVALID_FUNCTION) {
        return Error{static_cast<uint32_t>(error)};
    }
    return Status::Ok();
}

Status CreateDirectory(const std::string& path) {
    if (!CreateDirectoryW(W(path).c_str(), nullptr)) {
        return LastError();
    }
    return Status::Ok();
}

Result<bool> IsReadOnly(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    return (a & FILE_ATTRIBUTE_READONLY) != 0;
}

Status SetReadOnly(const std::string& path, bool readOnly) {
    std::wstring w = W(path);
    DWORD a = GetFileAttributesW(w.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    a = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
    if (a == 0) {
        a = FILE_ATTRIBUTE_NORMAL;
    }
    if (!SetFileAttributesW(w.c_str(), a)) {
        return LastError();
    }
    return Status::Ok();
}

Status SetExecutable(const std::string& path) {
    if (GetFileAttributesW(W(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    return Status::Ok();
}

Result<uint64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &d)) {
        return LastError();
    }
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return Error{ERROR_ACCESS_DENIED};
    }
    return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

Result<std::vector<DirEntry>> ListDirectory(const std::string& path) {
    std::string pattern = path.empty() ? std::string("*") : path + "\\*";
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(W(pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    std::vector<DirEntry> entries;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        DirEntry e;
        e.name = win32::Narrow(name);
        e.nameIsExact = GbkToUtf16(e.name) == std::u16string(name.begin(), name.end());
        e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(std::move(e));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return entries;
}

Result<uint64_t> DiskFreeSpace(const std::string& path) {
    std::string dir = path;
    if (!IsDirectory(dir)) {
        size_t slash = LastSeparator(dir, PathSeparators::kBoth);
        dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash + 1);
    }
    ULARGE_INTEGER avail;
    if (!GetDiskFreeSpaceExW(W(dir).c_str(), &avail, nullptr, nullptr)) {
        return LastError();
    }
    return static_cast<uint64_t>(avail.QuadPart);
}

std::string ModulePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) {
            return std::string();
        }
        if (n < buf.size()) {
            return win32::Narrow(buf.data(), n);
        }
        buf.resize(buf.size() * 2);
    }
}

std::string CurrentDirectory() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> buf(n + 1);
    n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
    return win32::Narrow(buf.data(), n);
}

Status SetCurrentDirectory(const std::string& path) {
    if (!SetCurrentDirectoryW(W(path).c_str())) {
        return LastError();
    }
    return Status::Ok();
}

std::string TempDirectory() {
    wchar_t buf[MAX_PATH + 2];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::string t = win32::Narrow(buf, n);
    while (t.size() > 3 && (t.back() == '\\' || t.back() == '/')) {
        t.pop_back();
    }
    return t;
}

}  // namespace platform
