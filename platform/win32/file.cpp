#include "platform/file.h"

#include "platform/native_windows.h"

#include <io.h>

#include <algorithm>
#include <vector>

#include "../common/backend.h"
#include "wide.h"

namespace platform {
namespace {

HANDLE H(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

// ReadFile/WriteFile take 32-bit counts.
constexpr size_t kMaxChunk = 1u << 30;

}  // namespace

File::~File() {
    Close();
}

Result<File> File::Open(const std::string& path, Access access, uint32_t share,
                        Disposition disposition) {
    DWORD acc = 0;
    if (static_cast<uint32_t>(access) & static_cast<uint32_t>(Access::kRead))
        acc |= GENERIC_READ;
    if (static_cast<uint32_t>(access) & static_cast<uint32_t>(Access::kWrite))
        acc |= GENERIC_WRITE;
    DWORD sh = 0;
    if (share & kShareRead)
        sh |= FILE_SHARE_READ;
    if (share & kShareWrite)
        sh |= FILE_SHARE_WRITE;
    if (share & kShareDelete)
        sh |= FILE_SHARE_DELETE;
    DWORD disp = OPEN_EXISTING;
    switch (disposition) {
        case Disposition::kCreateNew:
            disp = CREATE_NEW;
            break;
        case Disposition::kCreateAlways:
            disp = CREATE_ALWAYS;
            break;
        case Disposition::kOpenExisting:
            disp = OPEN_EXISTING;
            break;
        case Disposition::kOpenAlways:
            disp = OPEN_ALWAYS;
            break;
        case Disposition::kTruncateExisting:
            disp = TRUNCATE_EXISTING;
            break;
    }
    HANDLE h = CreateFileW(win32::Wide(path).c_str(), acc, sh, nullptr, disp,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    return File(reinterpret_cast<intptr_t>(h));
}

void File::Close() {
    if (handle_ != kInvalid) {
        CloseHandle(H(handle_));
        handle_ = kInvalid;
    }
}

Result<size_t> File::Read(void* buffer, size_t size) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min(size, kMaxChunk));
    if (!ReadFile(H(handle_), buffer, want, &got, nullptr)) {
        return LastError();
    }
    return static_cast<size_t>(got);
}

Result<size_t> File::Write(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        DWORD put = 0;
        DWORD want = static_cast<DWORD>(std::min(size - done, kMaxChunk));
        if (!WriteFile(H(handle_), p + done, want, &put, nullptr)) {
            return LastError();
        }
        if (put == 0) {
            return Error{ERROR_DISK_FULL};
        }
        done += put;
    }
    return done;
}

// Positioned reads and writes through OVERLAPPED move the file pointer of a
// synchronous handle; put it back so that the contract holds.
Result<size_t> File::ReadAt(uint64_t offset, void* buffer, size_t size) {
    auto pos = Seek(0, SeekFrom::kCurrent);
    if (!pos) {
        return pos.error();
    }
    char* p = static_cast<char*>(buffer);
    size_t done = 0;
    Error err{};
    bool failed = false;
    while (done < size) {
        OVERLAPPED ov{};
        uint64_t at = offset + done;
        ov.Offset = static_cast<DWORD>(at);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min(size - done, kMaxChunk));
        if (!ReadFile(H(handle_), p + done, want, &got, &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            err = LastError();
            failed = true;
            break;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    (void)Seek(static_cast<int64_t>(*pos), SeekFrom::kBegin);
    if (failed) {
        return err;
    }
    return done;
}

Result<size_t> File::WriteAtGather(uint64_t offset, const Piece* pieces, size_t count) {
    // WriteFileGather wants page-sized, unbuffered pieces: one write each.
    size_t done = 0;
    for (size_t i = 0; i < count; ++i) {
        auto wrote = WriteAt(offset + done, pieces[i].data, pieces[i].size);
        if (!wrote) {
            return wrote.error();
        }
        done += *wrote;
    }
    return done;
}

Result<size_t> File::WriteAt(uint64_t offset, const void* data, size_t size) {
    auto pos = Seek(0, SeekFrom::kCurrent);
    if (!pos) {
        return pos.error();
    }
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    Error err{};
    bool failed = false;
    while (done < size) {
        OVERLAPPED ov{};
        uint64_t at = offset + done;
        ov.Offset = static_cast<DWORD>(at);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD put = 0;
        DWORD want = static_cast<DWORD>(std::min(size - done, kMaxChunk));
        if (!WriteFile(H(handle_), p + done, want, &put, &ov) || put == 0) {
            err = put == 0 && GetLastError() == 0 ? Error{ERROR_DISK_FULL} : LastError();
            failed = true;
            break;
        }
        done += put;
    }
    (void)Seek(static_cast<int64_t>(*pos), SeekFrom::kBegin);
    if (failed) {
        return err;
    }
    return done;
}

Result<uint64_t> File::Seek(int64_t offset, SeekFrom from) {
    LARGE_INTEGER d;
    d.QuadPart = offset;
    LARGE_INTEGER out;
    DWORD method = from == SeekFrom::kBegin     ? FILE_BEGIN
                   : from == SeekFrom::kCurrent ? FILE_CURRENT
                                                : FILE_END;
    if (!SetFilePointerEx(H(handle_), d, &out, method)) {
        return LastError();
    }
    return static_cast<uint64_t>(out.QuadPart);
}

Result<uint64_t> File::Size() const {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(H(handle_), &s)) {
        return LastError();
    }
    return static_cast<uint64_t>(s.QuadPart);
}

Status File::SetEndOfFile() {
    if (!::SetEndOfFile(H(handle_))) {
        return LastError();
    }
    return Status::Ok();
}

Result<File> File::OpenAgain() const {
    if (!IsOpen()) {
        return Error{ERROR_INVALID_HANDLE};
    }
    HANDLE h = ReOpenFile(H(handle_), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
    if (h == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    return File(reinterpret_cast<intptr_t>(h));
}

Status File::Flush() {
    if (!FlushFileBuffers(H(handle_))) {
        return LastError();
    }
    return Status::Ok();
}

uint32_t AllocationGranularity() {
    static const uint32_t g = [] {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        return static_cast<uint32_t>(si.dwAllocationGranularity);
    }();
    return g;
}

FileMapping::~FileMapping() {
    Close();
}

Result<FileMapping> FileMapping::Create(const File& file, uint64_t maxSize, bool writable) {
    if (!file.IsOpen()) {
        return Error{ERROR_INVALID_HANDLE};
    }
    auto current = file.Size();
    if (!current) {
        return current.error();
    }
    uint64_t size = maxSize == 0 ? *current : maxSize;
    if (size == 0) {
        return Error{ERROR_FILE_INVALID};
    }
    if (size > *current && !writable) {
        return Error{ERROR_ACCESS_DENIED};
    }
    HANDLE m =
        CreateFileMappingW(H(file.native()), nullptr, writable ? PAGE_READWRITE : PAGE_READONLY,
                           static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), nullptr);
    if (m == nullptr) {
        return LastError();
    }
    FileMapping fm;
    fm.handle_ = reinterpret_cast<intptr_t>(m);
    fm.size_ = size;
    fm.writable_ = writable;
    return fm;
}

Result<MappedView> FileMapping::Map(uint64_t offset, size_t length) const {
    if (handle_ == kInvalid) {
        return Error{ERROR_INVALID_HANDLE};
    }
    if (length == 0 || offset % AllocationGranularity() != 0 || offset > size_ ||
        length > size_ - offset) {
        return Error{ERROR_INVALID_PARAMETER};
    }
    void* base =
        MapViewOfFile(H(handle_), writable_ ? FILE_MAP_WRITE : FILE_MAP_READ,
                      static_cast<DWORD>(offset >> 32), static_cast<DWORD>(offset), length);
    if (base == nullptr) {
        return LastError();
    }
    MappedView v;
    v.base_ = base;
    v.size_ = length;
    v.offset_ = offset;
    return v;
}

void FileMapping::Close() {
    if (handle_ != kInvalid) {
        CloseHandle(H(handle_));
        handle_ = kInvalid;
    }
}

MappedView::~MappedView() {
    Unmap();
}

Status MappedView::Flush() {
    if (base_ && !FlushViewOfFile(base_, size_)) {
        return LastError();
    }
    return Status::Ok();
}

void MappedView::Unmap() {
    if (base_) {
        UnmapViewOfFile(base_);
        base_ = nullptr;
    }
}

Result<std::FILE*> OpenStdioFile(const std::string& path, const char* mode) {
    SetLastError(0);
    std::FILE* f = _wfopen(win32::Wide(path).c_str(), win32::Wide(mode).c_str());
    if (!f) {
        return LastError();  // the C library opens through CreateFileW
    }
    return f;
}

Status FlushStdioFile(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return LastError();
    }
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (h == INVALID_HANDLE_VALUE || !FlushFileBuffers(h)) {
        return LastError();
    }
    return Status::Ok();
}

Result<size_t> CopyFileRange(File& from, uint64_t fromOffset, File& to, uint64_t toOffset,
                             size_t size) {
    // Windows has no copy of a range between files.
    return backend::CopyThroughBuffer(from, fromOffset, to, toOffset, size);
}

}  // namespace platform
