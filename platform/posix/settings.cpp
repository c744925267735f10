// The settings store of the POSIX back end: one "name=value" line per value
// in a small file; "\\", "\n" and "\r" in values are escaped.
//
// Every change reads the whole file, changes one value and writes the file
// anew. Two processes doing that at once (two patchers, or a patcher and the
// game) would each write back what they read and lose the other's change, so
// every change holds an exclusive lock on "<file>.lock" from its read to its
// rename. Readers take no lock: the new file replaces the old one by rename,
// so a reader sees the one or the other, whole.
#include "platform/settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace platform {
namespace {

std::mutex& StoreMutex() {
    static std::mutex mu;
    return mu;
}

// System path of the store file at where ("" = the system's).
std::string StorePath(const std::string& where) {
    if (!where.empty()) {
        return SystemPathFromNative(where);
    }
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
        base = x;
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        base = std::string(h) + "/.config";
    } else {
        base = "/tmp";
    }
    return SystemPathFromNative(base + "/tesmar/registry.ini");
}

// The exclusive lock of one change of the store, between processes (the
// in-process mutex keeps the threads of one process apart). The lock file
// is never deleted: a process waiting on it would otherwise hold a lock on
// a file nobody else opens any more.
class ChangeLock {
public:
    explicit ChangeLock(const std::string& storePath) {
        std::string native = NativePath(storePath + ".lock");
        do {
            fd_ = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        } while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0) {
            error_ = LastSystemError();
            return;
        }
        int rc;
        do {
            rc = ::flock(fd_, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            error_ = LastSystemError();
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ChangeLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;

    bool held() const { return fd_ >= 0; }
    Error error() const { return Error{error_}; }

private:
    int fd_ = -1;
    uint32_t error_ = 0;
};

std::string Escape(const std::string& v) {
    std::string out;
    for (char c : v) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            char n = v[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += v[i];
        }
    }
    return out;
}

bool Load(const std::string& path, std::map<std::string, std::string>& values) {
    auto read = ReadWholeFile(path);
    if (!read) {
        return false;
    }
    const std::string& text = read.value();
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            nl = text.size();
        }
        std::string line = text.substr(start, nl - start);
        start = nl + 1;
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            continue;
        }
        values.emplace(line.substr(0, eq), Unescape(line.substr(eq + 1)));
    }
    return true;
}

Status Save(const std::string& path, const std::map<std::string, std::string>& values) {
    std::string text;
    for (const auto& kv : values) {
        text += kv.first + "=" + Escape(kv.second) + "\n";
    }
    std::string tmp = path + ".tmp";
    {
        auto f = File::Open(tmp, Access::kWrite, kShareNone, Disposition::kCreateAlways);
        if (!f) {
            return f.error();
        }
        if (auto w = f->Write(text.data(), text.size()); !w) {
            return w.error();
        }
        // On disk before the rename makes it the store: a crash right after
        // must not leave an empty file in place of the values.
        if (auto s = f->Flush(); !s) {
            return s;
        }
    }
    return MoveFile(tmp, path, true);
}

bool ValidName(const std::string& name) {
    return !name.empty() && name.find_first_of("=\n\r") == std::string::npos;
}

}  // namespace

SettingsValue SettingsStore::ReadString(const std::string& name, size_t bufferBytes) const {
    std::lock_guard<std::mutex> lock(StoreMutex());
    std::map<std::string, std::string> values;
    SettingsValue out;
    if (!Load(StorePath(where_), values)) {
        out.status = SettingsRead::kNoKey;
        return out;
    }
    auto it = values.find(name);
    if (it == values.end()) {
        out.status = SettingsRead::kNoValue;
        return out;
    }
    if (it->second.size() + 1 > bufferBytes) {
        out.status = SettingsRead::kTooLong;
        return out;
    }
    out.status = SettingsRead::kOk;
    out.text = it->second;
    return out;
}

bool SettingsStore::KeyExists() const {
    std::lock_guard<std::mutex> lock(StoreMutex());
    return Exists(StorePath(where_));
}

Status SettingsStore::CreateKey() const {
    std::lock_guard<std::mutex> lock(StoreMutex());
    std::string path = StorePath(where_);
    if (Exists(path)) {
        return Status::Ok();
    }
    // Create the folders leading to the file.
    for (const std::string& dir :
         PathPrefixes(DirName(path, PathSeparators::kBoth), PathSeparators::kBoth)) {
        if (!IsDirectory(dir)) {
            if (auto s = CreateDirectory(dir); !s) {
                return s;
            }
        }
    }
    ChangeLock change(path);
    if (!change.held()) {
        return change.error();
    }
    auto f = File::Open(path, Access::kWrite, kShareNone, Disposition::kOpenAlways);
    if (!f) {
        return f.error();
    }
    return Status::Ok();
}

Status SettingsStore::WriteString(const std::string& name, const std::string& value) const {
    std::lock_guard<std::mutex> lock(StoreMutex());
    if (!ValidName(name)) {
        return Error{0};
    }
    std::string path = StorePath(where_);
    if (!Exists(path)) {
        return Error{ErrorNotFound()};  // the key must exist
    }
    ChangeLock change(path);
    if (!change.held()) {
        return change.error();
    }
    std::map<std::string, std::string> values;
    if (!Load(path, values)) {
        return Error{ErrorNotFound()};  // the key must exist
    }
    values[name] = value;
    return Save(path, values);
}

Status SettingsStore::DeleteValue(const std::string& name) const {
    std::lock_guard<std::mutex> lock(StoreMutex());
    std::string path = StorePath(where_);
    if (!Exists(path)) {
        return Error{ErrorNotFound()};
    }
    ChangeLock change(path);
    if (!change.held()) {
        return change.error();
    }
    std::map<std::string, std::string> values;
    if (!Load(path, values)) {
        return Error{ErrorNotFound()};
    }
    if (values.erase(name) == 0) {
        return Error{ErrorNotFound()};
    }
    return Save(path, values);
}

Status SettingsStore::DeleteKey() const {
    std::lock_guard<std::mutex> lock(StoreMutex());
    std::string path = StorePath(where_);
    if (!Exists(path)) {
        return Error{ErrorNotFound()};
    }
    ChangeLock change(path);
    if (!change.held()) {
        return change.error();
    }
    return DeleteFile(path);
}

}  // namespace platform
