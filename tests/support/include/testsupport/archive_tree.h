// An archive as the tests compare it: every live entry by its full path,
// ASCII letters lowered (as the archive matches them), mapped to the file's
// contents or to kDirectoryMark for a directory.
#pragma once

#include <map>
#include <string>

#include "cpk/BlockPool.h"
#include "cpk/CPKVfs.h"

namespace testsupport {

using ArchiveTree = std::map<std::string, std::string>;
constexpr const char kDirectoryMark[] = "<directory>";

// The tree of an open archive (a failed read fails the test).
ArchiveTree ReadTree(CPKVfs& vfs);
// The tree of the archive file at path, opened read-only; empty, and a
// failure of the test, when it cannot be opened.
ArchiveTree ReadArchiveTree(const std::string& path, BlockPool& pool);
// The first few paths where two trees differ, for a failure message (the
// trees themselves may be far too large to print); " none" when they are
// equal.
std::string TreeDifference(const ArchiveTree& a, const ArchiveTree& b);

}  // namespace testsupport
