#include "testsupport/temp_dir.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace testsupport {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::string base = platform::TempDirectory();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate =
            base + "\\tesmar-test-" + std::to_string(platform::CurrentProcessId()) + "-" +
            std::to_string(platform::TickCount()) + "-" + std::to_string(counter++);
        if (platform::CreateDirectory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    std::fprintf(stderr, "cannot create a temporary folder under %s\n", base.c_str());
    std::abort();
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

std::string TempDir::operator/(const std::string& relative) const {
    return path_ + "\\" + relative;
}

CurrentDirGuard::CurrentDirGuard(const std::string& dir) : previous_(platform::CurrentDirectory()) {
    if (!platform::SetCurrentDirectory(dir)) {
        std::fprintf(stderr, "cannot enter %s\n", dir.c_str());
        std::abort();
    }
}

CurrentDirGuard::~CurrentDirGuard() {
    (void)platform::SetCurrentDirectory(previous_);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '\\' && path[i - 1] != ':') {
            std::string dir = path.substr(0, i);
            if (!platform::IsDirectory(dir)) {
                (void)platform::CreateDirectory(dir);
            }
        }
    }
    auto f = platform::File::Open(path, platform::Access::kWrite, platform::kShareNone,
                                  platform::Disposition::kCreateAlways);
    if (!f || !f->Write(bytes.data(), bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

std::string ReadFile(const std::string& path) {
    auto text = platform::ReadWholeFile(path);
    return text ? std::move(text.value()) : std::string();
}

void RemoveTree(const std::string& path) {
    if (path.empty()) {
        return;
    }
    if (platform::IsDirectory(path)) {
        if (auto entries = platform::ListDirectory(path)) {
            for (const auto& e : *entries) {
                RemoveTree(path + "\\" + e.name);
            }
        }
        (void)platform::DeleteDirectory(path);
    } else if (platform::Exists(path)) {
        (void)platform::SetReadOnly(path, false);
        (void)platform::DeleteFile(path);
    }
}

std::string ProgramDir() {
    std::string self = platform::ModulePath();
    size_t slash = self.rfind('\\');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

namespace {

void SetEnv(const std::string& name, const std::string* value) {
#ifdef _WIN32
    // "" removes the variable; the CRT passes the change on to the process
    // environment that CreateProcess hands to children.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
#endif
}

}  // namespace

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) {
        had_ = true;
        previous_ = old;
    }
    SetEnv(name_, &value);
}

ScopedEnv::~ScopedEnv() {
    SetEnv(name_, had_ ? &previous_ : nullptr);
}

}  // namespace testsupport
