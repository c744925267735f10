// What the back ends share: moving the handle owners, and the helpers built
// only on the seam's own operations.
#include "platform/file.h"
#include "platform/library.h"
#include "platform/net.h"

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
