#include "platform/file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "../common/backend.h"
#include "platform/fs.h"

namespace platform {
namespace {

int ToFd(intptr_t h) {
    return static_cast<int>(h);
}

}  // namespace

File::~File() {
    Close();
}

Result<File> File::Open(const std::string& path, Access access, uint32_t /*share*/,
                        Disposition disposition) {
    int flags = O_CLOEXEC;
    switch (access) {
        case Access::kRead:
            flags |= O_RDONLY;
            break;
        case Access::kWrite:
            flags |= O_WRONLY;
            break;
        case Access::kReadWrite:
            flags |= O_RDWR;
            break;
    }
    switch (disposition) {
        case Disposition::kCreateNew:
            flags |= O_CREAT | O_EXCL;
            break;
        case Disposition::kCreateAlways:
            flags |= O_CREAT | O_TRUNC;
            break;
        case Disposition::kOpenExisting:
            break;
        case Disposition::kOpenAlways:
            flags |= O_CREAT;
            break;
        case Disposition::kTruncateExisting:
            flags |= O_TRUNC;
            break;
    }
    std::string native = NativePath(path);
    int fd;
    do {
        fd = ::open(native.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return LastError();
    }
    // Windows refuses to open a directory as a file; so do we.
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Error{EISDIR};
    }
    return File(fd);
}

void File::Close() {
    if (handle_ != kInvalid) {
        ::close(ToFd(handle_));
        handle_ = kInvalid;
    }
}

Result<size_t> File::Read(void* buffer, size_t size) {
    ssize_t n;
    do {
        n = ::read(ToFd(handle_), buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return LastError();
    }
    return static_cast<size_t>(n);
}

Result<size_t> File::Write(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(ToFd(handle_), p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (n == 0) {
            return Error{ENOSPC};
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

Result<size_t> File::ReadAt(uint64_t offset, void* buffer, size_t size) {
    size_t done = 0;
    char* p = static_cast<char*>(buffer);
    while (done < size) {
        ssize_t n =
            ::pread(ToFd(handle_), p + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

Result<size_t> File::WriteAtGather(uint64_t offset, const Piece* pieces, size_t count) {
    constexpr size_t kPiecesPerCall = 64;  // well under every system's IOV_MAX
    size_t done = 0;
    size_t first = 0;
    size_t skip = 0;  // bytes of pieces[first] written already
    while (first < count) {
        struct iovec iov[kPiecesPerCall];
        size_t n = 0;
        for (size_t i = first; i < count && n < kPiecesPerCall; ++i, ++n) {
            const size_t from = i == first ? skip : 0;
            iov[n].iov_base = const_cast<char*>(static_cast<const char*>(pieces[i].data) + from);
            iov[n].iov_len = pieces[i].size - from;
        }
        ssize_t wrote =
            ::pwritev(ToFd(handle_), iov, static_cast<int>(n), static_cast<off_t>(offset + done));
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (wrote == 0) {
            bool empty = true;
            for (size_t i = 0; i < n; ++i) {
                empty = empty && iov[i].iov_len == 0;
            }
            if (!empty) {
                return Error{ENOSPC};
            }
        }
        done += static_cast<size_t>(wrote);
        // Past the pieces written whole; a piece written in part goes again
        // from where it stopped.
        size_t left = static_cast<size_t>(wrote);
        while (first < count && left >= pieces[first].size - skip) {
            left -= pieces[first].size - skip;
            skip = 0;
            ++first;
        }
        skip += left;
    }
    return done;
}

Result<size_t> File::WriteAt(uint64_t offset, const void* data, size_t size) {
    size_t done = 0;
    const char* p = static_cast<const char*>(data);
    while (done < size) {
        ssize_t n =
            ::pwrite(ToFd(handle_), p + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (n == 0) {
            return Error{ENOSPC};
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

Result<uint64_t> File::Seek(int64_t offset, SeekFrom from) {
    int whence = from == SeekFrom::kBegin     ? SEEK_SET
                 : from == SeekFrom::kCurrent ? SEEK_CUR
                                              : SEEK_END;
    off_t pos = ::lseek(ToFd(handle_), static_cast<off_t>(offset), whence);
    if (pos < 0) {
        return LastError();
    }
    return static_cast<uint64_t>(pos);
}

Result<uint64_t> File::Size() const {
    struct stat st;
    if (::fstat(ToFd(handle_), &st) != 0) {
        return LastError();
    }
    return static_cast<uint64_t>(st.st_size);
}

Status File::SetEndOfFile() {
    off_t pos = ::lseek(ToFd(handle_), 0, SEEK_CUR);
    if (pos < 0 || ::ftruncate(ToFd(handle_), pos) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Result<File> File::OpenAgain() const {
    if (!IsOpen()) {
        return Error{EBADF};
    }
    const int fd = ToFd(handle_);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) {
        return LastError();
    }
    // Opened anew, not duplicated: a duplicate shares the open file, and
    // with it the record of which write errors a flush has told already, so
    // that a flush through one could keep a failed write from the other's.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    int again;
    do {
        again = ::open(self.c_str(), (flags & O_ACCMODE) | O_CLOEXEC);
    } while (again < 0 && errno == EINTR);
    if (again < 0) {
        return LastError();
    }
    return File(again);
}

Status File::Flush() {
    if (::fsync(ToFd(handle_)) != 0) {
        return LastError();
    }
    return Status::Ok();
}

uint32_t AllocationGranularity() {
    static const uint32_t page = static_cast<uint32_t>(::sysconf(_SC_PAGESIZE));
    return page;
}

FileMapping::~FileMapping() {
    Close();
}

Result<FileMapping> FileMapping::Create(const File& file, uint64_t maxSize, bool writable) {
    if (!file.IsOpen()) {
        return Error{EBADF};
    }
    struct stat st;
    int fd = ToFd(file.native());
    if (::fstat(fd, &st) != 0) {
        return LastError();
    }
    uint64_t size = maxSize == 0 ? static_cast<uint64_t>(st.st_size) : maxSize;
    if (size == 0) {
        return Error{EINVAL};  // Windows refuses to map an empty file
    }
    if (size > static_cast<uint64_t>(st.st_size)) {
        if (!writable) {
            return Error{EACCES};
        }
        // Windows extends the file to the mapping size; mapping past the end
        // would fault here, so extend it the same way.
        if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
            return LastError();
        }
    }
    int dup = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (dup < 0) {
        return LastError();
    }
    FileMapping m;
    m.handle_ = dup;
    m.size_ = size;
    m.writable_ = writable;
    return m;
}

Result<MappedView> FileMapping::Map(uint64_t offset, size_t length) const {
    if (handle_ == kInvalid) {
        return Error{EBADF};
    }
    if (length == 0 || offset % AllocationGranularity() != 0 || offset > size_ ||
        length > size_ - offset) {
        return Error{EINVAL};
    }
    int prot = PROT_READ | (writable_ ? PROT_WRITE : 0);
    void* base =
        ::mmap(nullptr, length, prot, MAP_SHARED, ToFd(handle_), static_cast<off_t>(offset));
    if (base == MAP_FAILED) {
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
        ::close(ToFd(handle_));
        handle_ = kInvalid;
    }
}

MappedView::~MappedView() {
    Unmap();
}

Status MappedView::Flush() {
    if (base_ && ::msync(base_, size_, MS_SYNC) != 0) {
        return LastError();
    }
    return Status::Ok();
}

void MappedView::Unmap() {
    if (base_) {
        ::munmap(base_, size_);
        base_ = nullptr;
    }
}

Result<std::FILE*> OpenStdioFile(const std::string& path, const char* mode) {
    std::FILE* f = std::fopen(NativePath(path).c_str(), mode);
    if (!f) {
        return LastError();
    }
    return f;
}

Status FlushStdioFile(std::FILE* file) {
    if (std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
        return LastError();
    }
    return Status::Ok();
}

Result<size_t> CopyFileRange(File& from, uint64_t fromOffset, File& to, uint64_t toOffset,
                             size_t size) {
    size_t done = 0;
    off_t in = static_cast<off_t>(fromOffset);
    off_t out = static_cast<off_t>(toOffset);
    while (done < size) {
        ssize_t n =
            ::copy_file_range(ToFd(from.native()), &in, ToFd(to.native()), &out, size - done, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            break;  // not between these files: through a buffer below
        }
        if (n < 0) {
            return LastError();
        }
        if (n == 0) {
            return done;  // the end of `from`
        }
        done += static_cast<size_t>(n);
    }
    if (done == size) {
        return done;
    }
    // What the system would not copy by itself.
    auto rest =
        backend::CopyThroughBuffer(from, fromOffset + done, to, toOffset + done, size - done);
    if (!rest) {
        return rest.error();
    }
    return done + *rest;
}

}  // namespace platform
