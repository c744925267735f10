// What the back ends share: moving the handle owners, and the helpers built
// only on the seam's own operations.
#include <algorithm>
#include <vector>

#include "backend.h"
#include "platform/file.h"
#include "platform/icmp.h"
#include "platform/library.h"
#include "platform/net.h"
#include "platform/process.h"

namespace platform {

File::File(File&& other) noexcept : handle_(other.handle_) {
    other.handle_ = kInvalid;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = kInvalid;
    }
    return *this;
}

FileMapping::FileMapping(FileMapping&& other) noexcept
    : handle_(other.handle_), size_(other.size_), writable_(other.writable_) {
    other.handle_ = kInvalid;
}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        size_ = other.size_;
        writable_ = other.writable_;
        other.handle_ = kInvalid;
    }
    return *this;
}

MappedView::MappedView(MappedView&& other) noexcept
    : base_(other.base_), size_(other.size_), offset_(other.offset_) {
    other.base_ = nullptr;
}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
    if (this != &other) {
        Unmap();
        base_ = other.base_;
        size_ = other.size_;
        offset_ = other.offset_;
        other.base_ = nullptr;
    }
    return *this;
}

Result<std::string> ReadWholeFile(const std::string& path) {
    auto f = File::Open(path, Access::kRead, kShareRead | kShareWrite, Disposition::kOpenExisting);
    if (!f) {
        return f.error();
    }
    std::string out;
    char buf[65536];
    for (;;) {
        auto n = f->Read(buf, sizeof buf);
        if (!n) {
            return n.error();
        }
        if (*n == 0) {
            return out;
        }
        out.append(buf, *n);
    }
}

namespace backend {

Result<size_t> CopyThroughBuffer(File& from, uint64_t fromOffset, File& to, uint64_t toOffset,
                                 size_t size) {
    constexpr size_t kPiece = size_t{1} << 20;
    std::vector<char> buffer(std::min(size, kPiece));
    size_t done = 0;
    while (done < size) {
        auto got = from.ReadAt(fromOffset + done, buffer.data(), std::min(size - done, kPiece));
        if (!got) {
            return got.error();
        }
        if (*got == 0) {
            break;  // the end of `from`
        }
        auto put = to.WriteAt(toOffset + done, buffer.data(), *got);
        if (!put) {
            return put.error();
        }
        done += *got;
    }
    return done;
}

}  // namespace backend

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : handle_(other.handle_) {
    other.handle_ = kInvalid;
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = kInvalid;
    }
    return *this;
}

Status TcpSocket::SendAll(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        auto n = Send(p, size);
        if (!n) {
            if (IsWouldBlock(n.error()) && WaitWritable(-1) == WaitResult::kReady) {
                continue;
            }
            return n.error();
        }
        p += *n;
        size -= *n;
    }
    return Status::Ok();
}

IcmpSocket::~IcmpSocket() {
    Close();
}

IcmpSocket::IcmpSocket(IcmpSocket&& other) noexcept
    : handle_(other.handle_), kind_(other.kind_), kernelId_(other.kernelId_) {
    other.handle_ = kInvalid;
}

IcmpSocket& IcmpSocket::operator=(IcmpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        kind_ = other.kind_;
        kernelId_ = other.kernelId_;
        other.handle_ = kInvalid;
    }
    return *this;
}

IcmpHelper::~IcmpHelper() {
    Release();
}

IcmpHelper::IcmpHelper(IcmpHelper&& other) noexcept
    : module_(other.module_), handle_(other.handle_) {
    other.module_ = nullptr;
    other.handle_ = -1;
}

IcmpHelper& IcmpHelper::operator=(IcmpHelper&& other) noexcept {
    if (this != &other) {
        Release();
        module_ = other.module_;
        handle_ = other.handle_;
        other.module_ = nullptr;
        other.handle_ = -1;
    }
    return *this;
}

Process::~Process() {
    Release();
}

Process::Process(Process&& other) noexcept
    : handle_(other.handle_), id_(other.id_), reaped_(other.reaped_), exitCode_(other.exitCode_) {
    other.handle_ = -1;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        id_ = other.id_;
        reaped_ = other.reaped_;
        exitCode_ = other.exitCode_;
        other.handle_ = -1;
    }
    return *this;
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

}  // namespace platform
