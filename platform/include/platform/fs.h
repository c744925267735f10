// File-system operations on system paths (GBK, "\" separators; see file.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace platform {

// The path the operating system understands: on POSIX "\" becomes "/",
// the GBK text becomes UTF-8 and every existing component is matched without
// regard to ASCII letter case (a component that does not exist keeps the
// spelling given, so it can be created). On Windows the path is returned
// unchanged. Meant for handing a path to code outside the seam (tests, tools).
std::string NativePath(const std::string& path);

// A native path (as the OS gives it, e.g. argv) turned into a system path:
// on POSIX "/" becomes "\" and UTF-8 becomes GBK (characters without a GBK
// form become "?"), so "/home/a" reads "\home\a". Unchanged on Windows.
std::string SystemPathFromNative(const std::string& native);

bool Exists(const std::string& path);  // a file or a directory
bool IsDirectory(const std::string& path);
// Whether path names a regular file: not a folder, device, pipe or socket
// (which a reader could wait on for ever).
bool IsRegularFile(const std::string& path);
// Whether both paths reach the same existing file (a link, another spelling).
bool SameFile(const std::string& a, const std::string& b);

Status DeleteFile(const std::string& path);
Status DeleteDirectory(const std::string& path);  // must be empty
// Renames or moves; an existing target is replaced when replace is true.
Status MoveFile(const std::string& from, const std::string& to, bool replace);
// Creates one directory; its parent must exist.
Status CreateDirectory(const std::string& path);
// Makes the names in a folder durable: the files created, renamed into it
// and deleted from it survive a power cut once this returns. On Windows,
// where the file system logs such changes itself and a folder can be
// flushed only by a user allowed to write it, a folder that cannot be
// opened for that counts as flushed.
Status FlushFolder(const std::string& path);

Result<bool> IsReadOnly(const std::string& path);
Status SetReadOnly(const std::string& path, bool readOnly);
// Lets a file be started as a program: on POSIX everyone who may read it may
// execute it; Windows needs nothing (the file must exist).
Status SetExecutable(const std::string& path);

Result<uint64_t> FileSize(const std::string& path);

struct DirEntry {
    std::string name;  // GBK, no directory part
    bool isDirectory = false;
    // False when the system's name has a character GBK does not: name then
    // holds "?" for it and reaches another file, or none.
    bool nameIsExact = true;
};
// The entries of a directory, without "." and "..", in no particular order.
Result<std::vector<DirEntry>> ListDirectory(const std::string& path);

// Bytes free for the calling user on the volume that holds path.
Result<uint64_t> DiskFreeSpace(const std::string& path);

// Full path of the running program and the current directory, in system
// form (GBK, "\" between components) on every platform, so that shared code
// can split and join them the same way.
std::string ModulePath();
std::string CurrentDirectory();
Status SetCurrentDirectory(const std::string& path);
// The user's folder for temporary files, in system form.
std::string TempDirectory();

}  // namespace platform
