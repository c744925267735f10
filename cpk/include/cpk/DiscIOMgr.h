// The file layer under the archive code, and the storage helpers beside it:
// the two message boxes through which the storage code reports, and the
// free-disk-space check with its Retry/Cancel prompt.
//
// Results follow the patcher's convention: 1 success, 0 failure, or the
// seam object (an unopened File, FileMapping or MappedView on failure).
// Counts and positions are 32-bit: archives and patch files stay below
// 2 GiB. Storage work runs on one thread at a time (the unpack worker or the
// update driver); the last-error value is kept per thread all the same.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace platform {
class FlushBehind;
}

namespace DiscIOMgr {

// The disk under the storage code. The archive (CPKVfs), the unpacker and
// the cpk tool are each given one and make every write, copy, flush and cut
// of a file through it; System() is the machine's own. Tests give one that
// runs out of room, fails writes or looks at the files after each step.
class Disk {
public:
    virtual ~Disk() = default;
    // Writes count bytes at the file position: all of them, or an error
    // (the bytes that fitted may be in the file).
    virtual platform::Result<size_t> Write(platform::File& file, const void* buffer, size_t count);
    // platform::CopyFileRange: the count copied, short only where `from`
    // ends.
    virtual platform::Result<size_t> CopyRange(platform::File& from, uint64_t fromOffset,
                                               platform::File& to, uint64_t toOffset, size_t count);
    // Reads up to count bytes at offset (the file position stays): the
    // count read, short only where the file ends.
    virtual platform::Result<size_t> ReadAt(platform::File& file, uint64_t offset, void* buffer,
                                            size_t count);
    // Makes what was written to the file durable.
    virtual platform::Status Flush(platform::File& file);
    // platform::FlushFolder: makes the names in a folder durable.
    virtual platform::Status FlushFolder(const std::string& path);
    // Cuts or extends the file at its position.
    virtual platform::Status SetEndOfFile(platform::File& file);
    // platform::StartWriteBack: asks for [offset, offset + length), written
    // already, to go to the disk now rather than at the next flush. A hint
    // with no result; Flush alone makes bytes durable.
    virtual void StartWriteBack(platform::File& file, uint64_t offset, uint64_t length);
    // platform::FlushBehind::Start: starts a flush of what was written to
    // the file, on the flusher's own thread, and answers whether it started.
    // A hint like StartWriteBack; Flush alone makes bytes durable.
    virtual bool StartFlush(platform::File& file, platform::FlushBehind& flusher);

    // The machine's own disk.
    static Disk& System();
};

// Write(): no retry position, a short write is answered at once.
constexpr int64_t kNoRetry = -1;
// Write(): how many times a short write is repeated while the disk reports
// enough free space, before the write is given up as failed.
constexpr int kWriteRetriesMax = 5;

// Opens or creates a file (system path, GBK). An unopened File on failure.
platform::File CreateFile(const std::string& path, platform::Access access, uint32_t share,
                          platform::Disposition disposition);
// A mapping of size bytes of the file (0 = its current size).
platform::FileMapping CreateFileMapping(const platform::File& file, bool writable, uint32_t size);
int CloseHandle(platform::File& file);
int CloseHandle(platform::FileMapping& mapping);
// offset must be a multiple of platform::AllocationGranularity().
platform::MappedView MapView(const platform::FileMapping& mapping, uint32_t offset,
                             uint32_t length);
int UnmapView(platform::MappedView& view);

// Reads count bytes at the file position. Fewer bytes than count (end of file
// or an error) shows the error box "Error : CE_CANNOT_READ_DISC_FILE" and
// answers 0.
int Read(platform::File& file, void* buffer, uint32_t count);
// As Read, without a message.
int ReadQuiet(platform::File& file, void* buffer, uint32_t count);
// Writes count bytes at the file position. A short write with kNoRetry
// answers 0 at once. With a retry position (where the buffer belongs in the
// file) the user is asked for disk space (EnsureDiskSpace) and the whole
// buffer is written again at that position, until it is all written (1), the
// user cancels (0), or kWriteRetriesMax retries have failed although the disk
// reported enough space (0, with an error box).
int Write(platform::File& file, const void* buffer, uint32_t count, int64_t retryPosition,
          Disk& disk = Disk::System());
// Writes count bytes at position (0 .. 2^31 - 1) without retrying: 1 when
// all were written. Unlike Seek followed by Write, a failed seek to 0 cannot
// pass for success.
int WriteAt(platform::File& file, uint32_t position, const void* buffer, uint32_t count,
            Disk& disk = Disk::System());
// Copies count bytes of `from` at fromOffset to `to` at toOffset without
// retrying (inside the system where it can): 1 when all were copied.
int CopyRange(platform::File& from, uint32_t fromOffset, platform::File& to, uint32_t toOffset,
              uint32_t count, Disk& disk = Disk::System());
// Makes what was written to the file durable (on the disk, not only in the
// system's cache) before the call returns.
int Flush(platform::File& file, Disk& disk = Disk::System());
// Moves the file position to position (0 .. 2^31 - 1) from the start and
// answers the new position; 0 on failure, so a seek to 0 reads as failure.
uint32_t Seek(platform::File& file, uint32_t position);
// Low 32 bits of the file's size (0 on failure).
uint32_t GetFileSize(const platform::File& file);
// Cuts or extends the file at its position.
int SetEndOfFile(platform::File& file, Disk& disk = Disk::System());
// 1 when a file or folder exists at path.
int FileExists(const std::string& path);

// The system error code of this thread's last failed call of this layer
// (0 when the last failure was not a system error, e.g. a short read).
uint32_t LastError();
void SetLastError(uint32_t code);

}  // namespace DiscIOMgr

// Formats (vsnprintf, GBK text) and shows a box with caption "Message" and
// an OK button; answers the pressed button.
int ShowMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Shows "<message>\nSystem Error Code : <code>\nError Message : <system
// text>" with caption "Error" and the given box type, where code is this
// thread's DiscIOMgr::LastError() taken before anything else happens (the
// system text is appended also when the code is 0). The message is cut to
// 4,096 bytes.
int ShowSystemError(uint32_t boxType, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Box type of every storage error: error icon, OK.
constexpr uint32_t kStorageErrorBox = 16;

// Bytes free for the caller on the volume of rootPath (null: the current
// folder's volume); 0 when it cannot be measured.
uint64_t GetFreeDiskSpace(const char* rootPath);

// 1 at once when the volume of rootPath (null: the current folder's) has at
// least bytesNeeded free bytes. Otherwise asks "磁盘空间不足 ..." with Retry
// and Cancel (caption "警告") until there is enough space (1) or the user
// cancels (0).
int EnsureDiskSpace(const char* rootPath, uint64_t bytesNeeded);
