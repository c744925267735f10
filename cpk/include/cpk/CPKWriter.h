// Whole-entry operations built on CPKVfs, for the tools that build game data
// and patches: add a buffer or a file as an entry (compressing it), and read
// an entry's contents back whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cpk/CPKVfs.h"

// Adds size bytes as the file innerPath (GBK, backslash-separated), creating
// its directories and replacing an entry already there. method is
// kMethodStored, kMethodLzo or kMethodLzss; windowed marks a stored entry for
// reading in 8 MiB windows (ignored for other methods). The trailer's digest
// is the MD5 of the original bytes. 1 on success, 0 on failure (reported by
// the archive layer's messages).
int AddEntryFromBuffer(CPKVfs& vfs, const std::string& innerPath, const void* data, uint32_t size,
                       uint16_t method, bool windowed);
// The same for a file on disk (system path); stored files are copied in
// pieces, without holding them in memory.
int AddEntryFromFile(CPKVfs& vfs, const std::string& innerPath, const std::string& sourcePath,
                     uint16_t method, bool windowed);

// Hands the contents of the live entry at index to sink in order, piece by
// piece (decompressed; windowed entries one window at a time). Stops and
// answers 0 when the entry cannot be opened or sink answers false.
int ReadEntryContents(CPKVfs& vfs, int index,
                      const std::function<bool(const uint8_t*, uint32_t)>& sink);
// The whole contents in one buffer.
int ReadEntryContents(CPKVfs& vfs, int index, std::vector<uint8_t>& contents);

// Whether the live entries a[ia] and b[ib] are the same entry as stored:
// equal records (flags, method, sizes) and equal raw bytes, contents as
// stored and trailer, read without decompressing. Two directories with equal
// records are the same (a directory is its name). False also when either
// cannot be read.
bool SameRawEntry(CPKVfs& a, int ia, CPKVfs& b, int ib);
