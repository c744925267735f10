// Paths inside archives: GBK text, components joined with one backslash, no
// leading or trailing backslash. Every helper here is multibyte-aware: a GBK
// lead byte takes the next byte with it, even one that looks like "\".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cpkpath {

// The crc that names the entry at path: the name hash of the path with its
// ASCII letters lowered.
uint32_t CrcOfPath(const std::string& path);

// The components of path, split at its backslashes; empty components (a
// leading, trailing or doubled backslash) are dropped.
std::vector<std::string> Split(const std::string& path);

// The text after the last backslash (all of path when it has none).
std::string LastComponent(const std::string& path);

// A path whose components are separated by "\" or "/" (as people and the
// engine write them) in the archive's form: one backslash between
// components, empty ones dropped.
std::string Normalize(const std::string& path);

// Whether every component of path (as Split gives them) may become a file or
// folder name under a target folder without leaving it: none is "." or "..",
// ends in a dot or a blank (Windows drops those, so ".. " is ".."), names a
// Windows device ("nul", "com1.txt") or holds "/", ":" or a control byte,
// and there is at least one.
bool IsSafeRelativePath(const std::string& path);

}  // namespace cpkpath
