// File helpers of the update flow. Paths are system paths (GBK, "\" or "/"
// between components).
#pragma once

#include <string>

#include "platform/file.h"

// Creates every directory named by a prefix of path that ends before a "\"
// or "/" at a position greater than 0, then path itself. Errors (an existing
// directory, for one) are ignored. A "\" that is the second byte of a
// double-byte character is not a separator.
void CreateDirectoryChain(const std::string& path);

// Replaces the file at path with a new, empty one, open for reading and
// writing, not shared: an existing file loses its read-only mark and is
// deleted first (when that fails the box "fail to delete file:%s" / "error"
// is shown and a closed File answered); the directories before the last
// separator are created. A closed File also when the file cannot be created
// (DiscIOMgr::LastError() then holds the system's code).
platform::File CreateReplacingFile(const std::string& path);
