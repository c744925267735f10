// Files and file mappings.
//
// Paths are system paths: GBK bytes, "\" (or "/") between components,
// relative to the current directory unless absolute. The POSIX back end
// resolves each component without regard to letter case, as Windows does
// (see fs.h, NativePath).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/result.h"

namespace platform {

enum class Access : uint32_t { kRead = 1, kWrite = 2, kReadWrite = 3 };

// Sharing granted to other openers (Windows semantics; POSIX has no
// mandatory sharing and accepts every mode).
enum Share : uint32_t { kShareNone = 0, kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };

enum class Disposition {
    kCreateNew,         // fail if it exists
    kCreateAlways,      // create, or truncate what exists
    kOpenExisting,      // fail if missing
    kOpenAlways,        // open, or create empty
    kTruncateExisting,  // open and truncate; fail if missing
};

enum class SeekFrom { kBegin, kCurrent, kEnd };

// An open file. Move-only; closing happens in the destructor or Close().
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    static Result<File> Open(const std::string& path, Access access, uint32_t share,
                             Disposition disposition);

    bool IsOpen() const { return handle_ != kInvalid; }
    void Close();

    // Reads up to size bytes at the current position; answers the count read
    // (0 at end of file).
    Result<size_t> Read(void* buffer, size_t size);
    // Writes all size bytes at the current position, or fails.
    Result<size_t> Write(const void* data, size_t size);
    // Positioned variants that leave the file position alone.
    Result<size_t> ReadAt(uint64_t offset, void* buffer, size_t size);
    Result<size_t> WriteAt(uint64_t offset, const void* data, size_t size);
    // Writes the pieces one after another from offset, all of them or
    // fails: one system call for many buffers where the system has one.
    struct Piece {
        const void* data;
        size_t size;
    };
    Result<size_t> WriteAtGather(uint64_t offset, const Piece* pieces, size_t count);

    Result<uint64_t> Seek(int64_t offset, SeekFrom from);
    Result<uint64_t> Size() const;
    // Cuts or extends the file at the current position.
    Status SetEndOfFile();
    Status Flush();

    // A second handle on the same file, for another thread: what goes
    // through either is the same file's. Opened anew rather than duplicated,
    // with a file position of its own: a write error is told to a flush
    // through each, and a slow call through one holds up no call through
    // the other. On Windows it is opened for writing, sharing reading and
    // writing; on POSIX with this handle's access (through /proc, on Linux).
    Result<File> OpenAgain() const;

    // The native handle (a HANDLE or a file descriptor), for the mapping code.
    intptr_t native() const { return handle_; }

private:
    static constexpr intptr_t kInvalid = -1;
    explicit File(intptr_t h) : handle_(h) {}
    intptr_t handle_ = kInvalid;
};

// The whole contents of a file (opened for reading, sharing read and write).
Result<std::string> ReadWholeFile(const std::string& path);

// A C library stream on a system path, for writers whose interface is a
// FILE* (the engine's heightmap and bitmap files) or that write in the C
// library's text mode ("\n" as the platform ends lines). mode as fopen takes
// it ("rb", "wb", "wt", ...). The caller closes the stream (fclose).
Result<std::FILE*> OpenStdioFile(const std::string& path, const char* mode);
// Writes out what the stream buffers and makes the file's bytes durable
// (they survive a power cut once this returns).
Status FlushStdioFile(std::FILE* file);

// Copies size bytes of `from` at fromOffset to `to` at toOffset, leaving
// both file positions alone; inside the system where it can (no copy through
// the program's memory), else through a buffer. Answers the count copied,
// short only where `from` ends.
Result<size_t> CopyFileRange(File& from, uint64_t fromOffset, File& to, uint64_t toOffset,
                             size_t size);

// Offsets of mapped views must be multiples of this (64 KiB on Windows, the
// page size on POSIX).
uint32_t AllocationGranularity();

class MappedView;

// A mapping object over an open file. A writable mapping larger than the
// file extends the file to that size first, as on Windows.
class FileMapping {
public:
    FileMapping() = default;
    ~FileMapping();
    FileMapping(FileMapping&& other) noexcept;
    FileMapping& operator=(FileMapping&& other) noexcept;
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    // maxSize 0 maps the file at its current size (which must then be > 0).
    static Result<FileMapping> Create(const File& file, uint64_t maxSize, bool writable);

    bool IsOpen() const { return handle_ != kInvalid; }
    uint64_t size() const { return size_; }
    bool writable() const { return writable_; }

    // Maps length bytes from offset (a multiple of AllocationGranularity());
    // the view must lie within size().
    Result<MappedView> Map(uint64_t offset, size_t length) const;

    void Close();

private:
    static constexpr intptr_t kInvalid = -1;
    intptr_t handle_ = kInvalid;  // a mapping HANDLE, or a dup of the file descriptor
    uint64_t size_ = 0;
    bool writable_ = false;
};

// A mapped range of a file. Move-only; unmapped in the destructor.
class MappedView {
public:
    MappedView() = default;
    ~MappedView();
    MappedView(MappedView&& other) noexcept;
    MappedView& operator=(MappedView&& other) noexcept;
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    uint8_t* data() const { return static_cast<uint8_t*>(base_); }
    size_t size() const { return size_; }
    uint64_t offset() const { return offset_; }
    bool IsOpen() const { return base_ != nullptr; }

    // Writes the dirty pages of the view back to the file.
    Status Flush();
    void Unmap();

private:
    friend class FileMapping;
    void* base_ = nullptr;
    size_t size_ = 0;
    uint64_t offset_ = 0;
};

}  // namespace platform
