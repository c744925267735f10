#include "cpk/DiscIOMgr.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "platform/writeback.h"

namespace DiscIOMgr {
namespace {

constexpr const char kSource[] = ".\\cpk\\DiscIOMgr";

thread_local uint32_t t_lastError = 0;

bool Record(const platform::Error& e) {
    t_lastError = e.code;
    return false;
}

// One attempt at writing all count bytes at the file position.
bool WriteOnce(Disk& disk, platform::File& file, const void* buffer, uint32_t count) {
    auto written = disk.Write(file, buffer, count);
    if (!written) {
        return Record(written.error());
    }
    return *written == count;
}

}  // namespace

platform::Result<size_t> Disk::Write(platform::File& file, const void* buffer, size_t count) {
    return file.Write(buffer, count);
}

platform::Result<size_t> Disk::CopyRange(platform::File& from, uint64_t fromOffset,
                                         platform::File& to, uint64_t toOffset, size_t count) {
    return platform::CopyFileRange(from, fromOffset, to, toOffset, count);
}

platform::Result<size_t> Disk::ReadAt(platform::File& file, uint64_t offset, void* buffer,
                                      size_t count) {
    return file.ReadAt(offset, buffer, count);
}

platform::Status Disk::Flush(platform::File& file) {
    return file.Flush();
}

platform::Status Disk::FlushFolder(const std::string& path) {
    return platform::FlushFolder(path);
}

platform::Status Disk::SetEndOfFile(platform::File& file) {
    return file.SetEndOfFile();
}

void Disk::StartWriteBack(platform::File& file, uint64_t offset, uint64_t length) {
    platform::StartWriteBack(file, offset, length);
}

bool Disk::StartFlush(platform::File& file, platform::FlushBehind& flusher) {
    return flusher.Start(file);
}

Disk& Disk::System() {
    static Disk* disk = new Disk;  // stateless; never destroyed: used until the process ends
    return *disk;
}

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

int Write(platform::File& file, const void* buffer, uint32_t count, int64_t retryPosition,
          Disk& disk) {
    if (WriteOnce(disk, file, buffer, count)) {
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
        if (WriteOnce(disk, file, buffer, count)) {
            return 1;
        }
    }
    // The disk says there is room, yet the write keeps failing: a fault that
    // more retries will not cure.
    ShowSystemError(kStorageErrorBox, "Error : CE_CANNOT_WRITE_DISC_FILE\nFile : %s\nLine : %d",
                    kSource, __LINE__);
    return 0;
}

int WriteAt(platform::File& file, uint32_t position, const void* buffer, uint32_t count,
            Disk& disk) {
    if (position > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        t_lastError = 0;
        return 0;
    }
    auto at = file.Seek(position, platform::SeekFrom::kBegin);
    if (!at) {
        return Record(at.error());
    }
    return WriteOnce(disk, file, buffer, count) ? 1 : 0;
}

int CopyRange(platform::File& from, uint32_t fromOffset, platform::File& to, uint32_t toOffset,
              uint32_t count, Disk& disk) {
    auto copied = disk.CopyRange(from, fromOffset, to, toOffset, count);
    if (!copied) {
        return Record(copied.error());
    }
    if (*copied != count) {
        t_lastError = 0;  // the source ended early: not a system error
        return 0;
    }
    return 1;
}

int Flush(platform::File& file, Disk& disk) {
    auto s = disk.Flush(file);
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

int SetEndOfFile(platform::File& file, Disk& disk) {
    auto s = disk.SetEndOfFile(file);
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
