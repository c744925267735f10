// Opens arbitrary bytes as an archive, walks and reads every entry (opened
// for reading only, then for writing), checks it, and changes it one change
// at a time and in batches, committed and dropped: nothing may read or write
// outside its buffers, the archive file may not grow past what the changes
// need, and an archive that was sound must stay sound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "fuzz_common.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace {

std::string ArchivePath() {
    static const std::string path = [] {
        std::random_device rd;
        return platform::TempDirectory() + "\\cpk_fuzz_" + std::to_string(rd()) + ".cpk";
    }();
    return path;
}

void Walk(CPKVfs& vfs, uint32_t crc, int depth) {
    if (depth > 8) {
        return;
    }
    uint32_t crcs[64];
    uint32_t n = vfs.ListChildFiles(crc, crcs, 64);
    for (uint32_t i = 0; i < n && i < 64; ++i) {
        int index = vfs.FindEntry(crcs[i]);
        // The raw reads of an apply: read ahead, then pieces of it.
        vfs.ReadAhead(index);
        if (index >= 0) {
            const CPKEntry& e = vfs.EntryAt(index);
            const uint32_t length = e.storedSize + e.trailerSize;
            uint8_t piece[64];
            for (uint32_t at : {0u, length / 2, length > 8 ? length - 8 : 0u, length}) {
                vfs.ReadEntryBytes(index, at, piece, std::min<uint32_t>(sizeof piece, length - at));
                vfs.ReadEntryBytes(index, at, piece, sizeof piece);  // past the end: refused
            }
        }
        std::vector<uint8_t> contents;
        ReadEntryContents(vfs, index, contents);
        std::string name;
        vfs.GetFileNameFromCRC(crcs[i], name);
        if (CPKFile* raw = vfs.OpenEntry(index, 1, 1)) {
            vfs.CloseEntry(raw);
        }
    }
    n = vfs.ListChildDirs(crc, crcs, 64);
    for (uint32_t i = 0; i < n && i < 64; ++i) {
        if (crcs[i] != crc) {
            Walk(vfs, crcs[i], depth + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceMessageBoxes();
    (void)ArchivePath();
    std::atexit([] { (void)platform::DeleteFile(ArchivePath()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ArchivePath();
    {
        auto f = platform::File::Open(path, platform::Access::kWrite, 0,
                                      platform::Disposition::kCreateAlways);
        if (!f || (size > 0 && !f->Write(data, size))) {
            return 0;
        }
    }
    const bool sound = CheckArchive(path).empty();
    static BlockPool pool;
    {
        CPKVfs reader(pool, FuzzDisk());
        if (reader.Open(path, CPKOpenMode::kReadOnly)) {
            Walk(reader, 0, 0);
            // Entries in the order of their bytes, as a merge reads them:
            // read ahead past each one, then read from what was read ahead.
            std::vector<int> order;
            for (uint32_t i = 0; i < reader.Header().usedCount && i < 256; ++i) {
                order.push_back(static_cast<int>(i));
            }
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                return reader.EntryAt(a).offset < reader.EntryAt(b).offset;
            });
            for (int index : order) {
                reader.ReadAhead(index);
                const CPKEntry& e = reader.EntryAt(index);
                uint8_t piece[64];
                const uint32_t length = e.storedSize + e.trailerSize;
                reader.ReadEntryBytes(index, 0, piece, std::min<uint32_t>(sizeof piece, length));
                reader.ReadEntryBytes(index, length > 8 ? length - 8 : 0, piece, 8);
            }
            if (reader.AddDirectory("refused", 0) != kCpkNoCrc) {
                __builtin_trap();  // a reader never writes
            }
        }
    }
    CPKVfs vfs(pool, FuzzDisk());
    if (vfs.Open(path)) {
        Walk(vfs, 0, 0);
        for (uint32_t i = 0; i < vfs.Header().usedCount && i < 256; ++i) {
            std::string full;
            vfs.GetFullPath(vfs.EntryAt(static_cast<int>(i)).crc, full);
        }
        // Single changes on top of whatever the input holds.
        const uint32_t dir = vfs.AddDirectory("fuzz", 0);
        AddEntryFromBuffer(vfs, "fuzz\\a.bin", data, static_cast<uint32_t>(size < 300 ? size : 300),
                           kMethodLzss, false);
        if (vfs.Header().usedCount > 0) {
            vfs.RemoveByCRC(vfs.EntryAt(0).crc);
        }
        // A batch that is dropped, and one that is written: replacing, copying
        // an entry file to file, removing. Records of a damaged archive may
        // overlap one another, so each copy may be as large as the file: the
        // growth allowed counts the bytes really copied.
        uint64_t copied = 0;
        for (int commit = 0; commit < 2; ++commit) {
            if (!vfs.BeginBatch(size)) {
                break;
            }
            AddEntryFromBuffer(vfs, "b", data, static_cast<uint32_t>(size < 100 ? size : 100),
                               kMethodStored, false);
            AddEntryFromBuffer(vfs, "fuzz\\a.bin", data,
                               static_cast<uint32_t>(size < 50 ? size : 50), kMethodLzo, false);
            // A copy keeps its trailer, so it goes under its own name.
            const uint32_t copies = vfs.AddDirectory("copies", 0);
            for (uint32_t i = 0; i < vfs.Header().usedCount && i < 4; ++i) {
                const CPKEntry e = vfs.EntryAt(static_cast<int>(i));
                std::string name;
                if (copies != kCpkNoCrc && IsLive(e) && !IsDirectory(e) &&
                    vfs.GetFileNameFromCRC(e.crc, name)) {
                    const int copy = vfs.AddFile(name, copies, e);
                    if (copy >= 0) {
                        copied += uint64_t{e.storedSize} + e.trailerSize;
                    }
                    if (copy >= 0 && !vfs.CopyEntryData(copy, vfs, static_cast<int>(i))) {
                        vfs.AbandonEntry(copy);
                    } else if (copy >= 0) {
                        vfs.CommitEntry(copy);
                    }
                }
            }
            if (dir != kCpkNoCrc) {
                vfs.RemoveByCRC(dir);
            }
            if (commit) {
                vfs.CommitBatch();
            } else {
                vfs.AbortBatch();
            }
        }
        vfs.Close();
        auto grown = platform::FileSize(path);
        if (grown && *grown > 2 * size + copied + 6 * 140000 + 8192) {
            __builtin_trap();  // growth out of proportion to the changes
        }
        if (sound && !CheckArchive(path).empty()) {
            __builtin_trap();  // our changes broke a sound archive
        }
    }
    return 0;
}
