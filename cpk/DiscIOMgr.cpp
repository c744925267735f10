#include "cpk/DiscIOMgr.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace DiscIOMgr {
namespace {

constexpr const char kSource[] = ".\\cpk\\DiscIOMgr";

thread_local uint32_t t_lastError = 0;
std::atomic<int> g_failWrites{0};
std::atomic<int64_t> g_diskSpace{kNoDiskLimit};
std::function<void()> g_observer;
std::atomic<bool> g_flushes{true};

void Observe() {
    if (g_observer) {
        g_observer();
    }
}

bool Record(const platform::Error& e) {
    t_lastError = e.code;
    return false;
}

// The simulated disk's say on count bytes going to `at` in the file: how
// many of them fit (all when no disk is simulated); the room they take is
// spent.
uint64_t Room(platform::File& file, uint64_t at, uint64_t count) {
    const int64_t left = g_diskSpace.load();
    if (left == kNoDiskLimit) {
        return count;
    }
    auto size = file.Size();
    if (!size) {
        return count;
    }
    // As on a disk without sparse files, a write past the end fills the gap
    // before it too.
    const uint64_t end = at + count;
    const uint64_t growth = end > *size ? end - *size : 0;
    if (growth <= static_cast<uint64_t>(left)) {
        g_diskSpace.fetch_sub(static_cast<int64_t>(growth));
        return count;
    }
    const uint64_t limit = *size + static_cast<uint64_t>(left);
    const uint64_t fits = limit > at ? std::min(limit - at, count) : 0;
    if (fits > 0) {
        g_diskSpace.store(0);
    }
    return fits;
}

// Whether this write is one that FailNextWrites asked to fail.
bool FailThisWrite() {
    int pending = g_failWrites.load();
    while (pending > 0 && !g_failWrites.compare_exchange_weak(pending, pending - 1)) {
    }
    return pending > 0;
}

// One attempt at writing all count bytes at the file position.
bool WriteOnce(platform::File& file, const void* buffer, uint32_t count) {
    if (FailThisWrite()) {
        (void)file.Write(buffer, count / 2);
        Observe();
        t_lastError = platform::ErrorDiskFull();
        return false;
    }
    if (g_diskSpace.load() != kNoDiskLimit) {
        auto at = file.Seek(0, platform::SeekFrom::kCurrent);
        const uint64_t fits = at ? Room(file, *at, count) : count;
        if (fits < count) {
            // What fits is written, and the disk is full.
            if (fits > 0) {
                (void)file.Write(buffer, static_cast<size_t>(fits));
            }
            Observe();
            t_lastError = platform::ErrorDiskFull();
            return false;
        }
    }
    auto written = file.Write(buffer, count);
    Observe();
    if (!written) {
        return Record(written.error());
    }
    return *written == count;
}

}  // namespace

platform::File CreateFile(const std::string& path, platform::Access access, uint32_t share,
                          platform::Disposition disposition) {
    auto file = platform::File::Open(path, access, share, disposition);
    if (!file) {
        Record(file.error());
        return platform::File();
    }
    return std::move(*file);
}

platform::FileMapping CreateFileMapping(const platform::File& file, bool writable, uint32_t size) {
    auto mapping = platform::FileMapping::Create(file, size, writable);
    if (!mapping) {
        Record(mapping.error());
        return platform::FileMapping();
    }
    return std::move(*mapping);
}

int CloseHandle(platform::File& file) {
    if (!file.IsOpen()) {
        return 0;
    }
    file.Close();
    return 1;
}

int CloseHandle(platform::FileMapping& mapping) {
    if (!mapping.IsOpen()) {
        return 0;
    }
    mapping.Close();
    return 1;
}

platform::MappedView MapView(const platform::FileMapping& mapping, uint32_t offset,
                             uint32_t length) {
    auto view = mapping.Map(offset, length);
    if (!view) {
        Record(view.error());
        return platform::MappedView();
    }
    return std::move(*view);
}

int UnmapView(platform::MappedView& view) {
    if (!view.IsOpen()) {
        return 0;
    }
    view.Unmap();
    return 1;
}

int ReadQuiet(platform::File& file, void* buffer, uint32_t count) {
    uint8_t* p = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        auto got = file.Read(p + done, count - done);
        if (!got) {
            return Record(got.error());
        }
        if (*got == 0) {
            t_lastError = 0;  // end of file: not a system error
            return 0;
        }
        done += static_cast<uint32_t>(*got);
    }
    return 1;
}

int Read(platform::File& file, void* buffer, uint32_t count) {
    if (ReadQuiet(file, buffer, count)) {
        return 1;
    }
    ShowSystemError(kStorageErrorBox, "Error : CE_CANNOT_READ_DISC_FILE\nFile : %s\nLine : %d",
                    kSource, __LINE__);
    return 0;
}

int Write(platform::File& file, const void* buffer, uint32_t count, int64_t retryPosition) {
    if (WriteOnce(file, buffer, count)) {
        return 1;
    }
    if (retryPosition == kNoRetry) {
        return 0;
    }
    for (int attempt = 0; attempt < kWriteRetriesMax; ++attempt) {
        if (!EnsureDiskSpace(nullptr, count)) {
            return 0;
        }
        auto at = file.Seek(retryPosition, platform::SeekFrom::kBegin);
        if (!at) {
            Record(at.error());
            continue;
        }
        if (WriteOnce(file, buffer, count)) {
            return 1;
        }
    }
    // The disk says there is room, yet the write keeps failing: a fault that
    // more retries will not cure.
    ShowSystemError(kStorageErrorBox, "Error : CE_CANNOT_WRITE_DISC_FILE\nFile : %s\nLine : %d",
                    kSource, __LINE__);
    return 0;
}

int WriteAt(platform::File& file, uint32_t position, const void* buffer, uint32_t count) {
    if (position > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        t_lastError = 0;
        return 0;
    }
    auto at = file.Seek(position, platform::SeekFrom::kBegin);
    if (!at) {
        return Record(at.error());
    }
    return WriteOnce(file, buffer, count) ? 1 : 0;
}

int CopyRange(platform::File& from, uint32_t fromOffset, platform::File& to, uint32_t toOffset,
              uint32_t count) {
    const uint64_t fits = FailThisWrite() ? count / 2 : Room(to, toOffset, count);
    auto copied =
        platform::CopyFileRange(from, fromOffset, to, toOffset, static_cast<size_t>(fits));
    Observe();
    if (!copied) {
        return Record(copied.error());
    }
    if (fits < count) {
        t_lastError = platform::ErrorDiskFull();
        return 0;
    }
    if (*copied != count) {
        t_lastError = 0;  // the source ended early: not a system error
        return 0;
    }
    return 1;
}

int Flush(platform::File& file) {
    if (!g_flushes.load()) {
        Observe();
        return 1;
    }
    auto s = file.Flush();
    Observe();
    if (!s) {
        return Record(s.error());
    }
    return 1;
}

uint32_t Seek(platform::File& file, uint32_t position) {
    if (position > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        t_lastError = 0;
        return 0;
    }
    auto at = file.Seek(position, platform::SeekFrom::kBegin);
    if (!at) {
        return Record(at.error());
    }
    return static_cast<uint32_t>(*at);
}

uint32_t GetFileSize(const platform::File& file) {
    auto size = file.Size();
    if (!size) {
        return Record(size.error());
    }
    return static_cast<uint32_t>(*size);
}

int SetEndOfFile(platform::File& file) {
    auto s = file.SetEndOfFile();
    Observe();
    if (!s) {
        return Record(s.error());
    }
    return 1;
}

int FileExists(const std::string& path) {
    return platform::Exists(path) ? 1 : 0;
}

uint32_t LastError() {
    return t_lastError;
}

void SetLastError(uint32_t code) {
    t_lastError = code;
}

void FailNextWrites(int count) {
    g_failWrites.store(count);
}

void SimulateDiskSpace(int64_t bytes) {
    g_diskSpace.store(bytes);
}

void EnableFlushes(bool enabled) {
    g_flushes.store(enabled);
}

void SetWriteObserver(std::function<void()> observer) {
    g_observer = std::move(observer);
}

}  // namespace DiscIOMgr

namespace {

constexpr size_t kMessageMax = 4096;

std::string FormatV(const char* format, va_list args) {
    char buffer[kMessageMax];
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0) {
        return std::string();
    }
    return std::string(buffer, std::min(static_cast<size_t>(n), sizeof buffer - 1));
}

}  // namespace

int ShowMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return platform::ShowMessageBox(nullptr, text.c_str(), "Message", platform::kMbOk);
}

int ShowSystemError(uint32_t boxType, const char* format, ...) {
    const uint32_t code = DiscIOMgr::LastError();
    va_list args;
    va_start(args, format);
    std::string message = FormatV(format, args);
    va_end(args);
    std::string system = platform::Error{code}.Message();
    char text[kMessageMax];
    std::snprintf(text, sizeof text, "%s\nSystem Error Code : %lu\nError Message : %s",
                  message.c_str(), static_cast<unsigned long>(code), system.c_str());
    return platform::ShowMessageBox(nullptr, text, "Error", boxType);
}

uint64_t GetFreeDiskSpace(const char* rootPath) {
    std::string where = rootPath ? std::string(rootPath) : platform::CurrentDirectory();
    auto free = platform::DiskFreeSpace(where);
    return free ? *free : 0;
}

int EnsureDiskSpace(const char* rootPath, uint64_t bytesNeeded) {
    char text[256];
    std::snprintf(text, sizeof text, GBK("磁盘空间不足 %llu byte, 建议先释放一部分空间"),
                  static_cast<unsigned long long>(bytesNeeded));
    while (GetFreeDiskSpace(rootPath) < bytesNeeded) {
        int answer = platform::ShowMessageBox(nullptr, text, GBK("警告"), platform::kMbRetryCancel);
        if (answer != platform::kIdRetry) {
            return 0;
        }
    }
    return 1;
}
