// File-system operations and the system-path -> native-path resolution of
// the POSIX back end.
#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../common/backend.h"
#include "platform/text.h"

namespace platform {
namespace {

bool PathExists(const std::string& native) {
    struct stat st;
    return ::lstat(native.c_str(), &st) == 0;
}

// The name in dir that matches name (UTF-8; gbkName in the system's form)
// without regard to case, compared as Windows compares them, in the system's
// text; prefers an exact match. Empty when none.
std::string FindInDirectory(const std::string& dir, const std::string& name,
                            const std::string& gbkName) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) {
        return std::string();
    }
    std::string found;
    while (struct dirent* e = ::readdir(d)) {
        std::string entry = e->d_name;
        if (entry == name) {
            found = entry;
            break;
        }
        if (found.empty() && EqualsIgnoringAsciiCase(Utf8ToGbk(entry), gbkName)) {
            found = entry;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

std::string NativePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    bool absolute = path[0] == '\\' || path[0] == '/';
    std::vector<std::string> parts = Split(path, PathSeparators::kBoth);
    std::string out = absolute ? "/" : "";
    bool resolving = true;  // stop looking once a component is missing
    for (const auto& gbkPart : parts) {
        std::string part = GbkToUtf8(gbkPart);
        std::string candidate = out + part;
        if (resolving && part != "." && part != ".." && !PathExists(candidate)) {
            std::string match = FindInDirectory(out, part, gbkPart);
            if (match.empty()) {
                resolving = false;
            } else {
                candidate = out + match;
            }
        }
        out = candidate + "/";
    }
    if (out.size() > 1) {
        out.pop_back();  // the trailing "/"
    }
    return out;
}

std::string SystemPathFromNative(const std::string& native) {
    return WithBackslashes(Utf8ToGbk(native));
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa;
    struct stat sb;
    return ::stat(NativePath(a).c_str(), &sa) == 0 && ::stat(NativePath(b).c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

Status DeleteFile(const std::string& path) {
    std::string n = NativePath(path);
    struct stat st;
    if (::lstat(n.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return Error{EISDIR};
    }
    if (::unlink(n.c_str()) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Status DeleteDirectory(const std::string& path) {
    if (::rmdir(NativePath(path).c_str()) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Status MoveFile(const std::string& from, const std::string& to, bool replace) {
    std::string nf = NativePath(from);
    std::string nt = NativePath(to);
    if (!replace && PathExists(nt)) {
        return Error{EEXIST};
    }
    if (::rename(nf.c_str(), nt.c_str()) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Status FlushFolder(const std::string& path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    const bool ok = ::fsync(fd) == 0;
    const Error error = LastError();
    ::close(fd);
    if (!ok) {
        return error;
    }
    return Status::Ok();
}

Status CreateDirectory(const std::string& path) {
    if (::mkdir(NativePath(path).c_str(), 0777) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Result<bool> IsReadOnly(const std::string& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0) {
        return LastError();
    }
    return (st.st_mode & S_IWUSR) == 0;
}

Status SetReadOnly(const std::string& path, bool readOnly) {
    std::string n = NativePath(path);
    struct stat st;
    if (::stat(n.c_str(), &st) != 0) {
        return LastError();
    }
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (::chmod(n.c_str(), mode) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Status SetExecutable(const std::string& path) {
    std::string n = NativePath(path);
    struct stat st;
    if (::stat(n.c_str(), &st) != 0) {
        return LastError();
    }
    mode_t mode = st.st_mode & 07777;
    mode |= (mode & (S_IRUSR | S_IRGRP | S_IROTH)) >> 2;
    if (::chmod(n.c_str(), mode) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Result<uint64_t> FileSize(const std::string& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0) {
        return LastError();
    }
    if (S_ISDIR(st.st_mode)) {
        return Error{EISDIR};
    }
    return static_cast<uint64_t>(st.st_size);
}

Result<std::vector<DirEntry>> ListDirectory(const std::string& path) {
    std::string n = NativePath(path);
    DIR* d = ::opendir(n.empty() ? "." : n.c_str());
    if (!d) {
        return LastError();
    }
    std::vector<DirEntry> entries;
    while (struct dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        DirEntry entry;
        entry.name = Utf8ToGbk(name);
        entry.nameIsExact = GbkToUtf8(entry.name) == name;
        struct stat st;
        std::string full = (n.empty() ? std::string(".") : n) + "/" + name;
        entry.isDirectory = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back(std::move(entry));
    }
    ::closedir(d);
    return entries;
}

Result<uint64_t> DiskFreeSpace(const std::string& path) {
    struct statvfs vfs;
    std::string n = NativePath(path);
    if (::statvfs(n.empty() ? "." : n.c_str(), &vfs) != 0) {
        return LastError();
    }
    return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

std::string ModulePath() {
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) {
        return std::string();
    }
    return SystemPathFromNative(std::string(buf.data(), static_cast<size_t>(n)));
}

std::string CurrentDirectory() {
    std::vector<char> buf(PATH_MAX + 1);
    if (!::getcwd(buf.data(), buf.size())) {
        return std::string();
    }
    return SystemPathFromNative(buf.data());
}

std::string TempDirectory() {
    const char* t = std::getenv("TMPDIR");
    return SystemPathFromNative(t && *t ? t : "/tmp");
}

Status SetCurrentDirectory(const std::string& path) {
    if (::chdir(NativePath(path).c_str()) != 0) {
        return LastError();
    }
    return Status::Ok();
}

}  // namespace platform
