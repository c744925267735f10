// The patch files of one upgrade path, in the order the version server sent
// them, which is also the unpack order. One process-wide list is shared by
// the dialog, UpdateThread, DownloadThread and UnpackThread; it is emptied
// at the start of every update.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Text limits of an entry: the system's path buffers hold 260 bytes and the
// digest text 33, terminators included.
constexpr size_t kPatchPathMax = 259;
constexpr size_t kMd5TextLength = 32;

struct PatchFileEntry {
    int32_t entryCount = 0;  // the patch archive's live entry count, set by UnpackThread
    int32_t size = 0;        // file size in bytes from the FTP SIZE reply
    std::string directory;   // directory part of the server path (GBK, "\" separated)
    std::string fileName;    // file-name part of the server path
    std::string localPath;   // "download\" + fileName
    std::string md5Text;     // 32 lowercase hexadecimal characters
};

// Thread-safe; every accessor copies, so no caller holds the lock.
class PatchFileList {
public:
    void Clear();
    void Append(const PatchFileEntry& entry);
    size_t Count() const;
    // The entry at index, or an empty entry when index is out of range.
    PatchFileEntry At(size_t index) const;
    std::vector<PatchFileEntry> Snapshot() const;
    // Setters for the fields filled in after the list arrived; false when
    // index is out of range.
    bool SetSize(size_t index, int32_t size);
    bool SetEntryCount(size_t index, int32_t entryCount);

private:
    mutable std::mutex mu_;
    std::vector<PatchFileEntry> entries_;
};

// The process-wide list.
PatchFileList& PatchFiles();
