// The archive storage's own side of the side-by-side comparisons:
//   cpk_side md5 FILE             MD5 of a file, printed as md5sum does
//   cpk_side game ARCHIVE N       a new archive of N entries of 1 to 8 KiB
//                                 ("scene\dK\fI.bin"), as one batch
//   cpk_side package PACKAGE N    a patch package of N entries for that
//                                 archive under "data\scene.cpk": every other
//                                 one replaces an entry, the rest are new
//   cpk_side copy PACKAGE TARGET  every file entry of PACKAGE copied raw
//                                 (as stored, trailer included) into a new
//                                 TARGET, as one batch (made durable at its
//                                 end)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/Md5.h"
#include "platform/console.h"

namespace {

int PrintMd5(const std::string& path) {
    uint8_t d[16];
    if (!Md5OfFile(platform::SystemPathFromArgument(path).c_str(), d)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    for (uint8_t b : d) {
        std::printf("%02x", b);
    }
    std::printf("  %s\n", path.c_str());
    return 0;
}

int Copy(const std::string& packagePath, const std::string& targetPath) {
    BlockPool pool;
    CPKVfs package(pool);
    CPKVfs target(pool);
    if (!package.Open(platform::SystemPathFromArgument(packagePath), CPKOpenMode::kReadOnly) ||
        !target.Create(platform::SystemPathFromArgument(targetPath))) {
        return 1;
    }
    // The bytes to copy are known, as they are to the patch unpacker.
    uint64_t total = 0;
    for (uint32_t i = 0; i < package.Header().usedCount; ++i) {
        const CPKEntry& e = package.EntryAt(static_cast<int>(i));
        total += IsLive(e) ? uint64_t{e.storedSize} + e.trailerSize : 0;
    }
    if (!target.BeginBatch(total)) {
        return 1;
    }
    for (uint32_t i = 0; i < package.Header().usedCount; ++i) {
        const CPKEntry e = package.EntryAt(static_cast<int>(i));
        if (!IsLive(e) || IsDirectory(e)) {
            continue;
        }
        std::string path;
        package.GetFullPath(e.crc, path);
        const std::vector<std::string> parts = cpkpath::Split(path);
        uint32_t parent = 0;
        for (size_t k = 0; k + 1 < parts.size() && parent != kCpkNoCrc; ++k) {
            parent = target.AddDirectory(parts[k], parent);
        }
        const int index = parent == kCpkNoCrc ? -1 : target.AddFile(path, parent, e);
        if (index < 0) {
            return 1;
        }
        if (!target.CopyEntryData(index, package, static_cast<int>(i))) {
            return 1;
        }
        target.CommitEntry(index);
    }
    return target.CommitBatch() ? 0 : 1;
}

// Entry i of the benchmark archives: its path and its bytes.
std::string BenchPath(uint32_t i) {
    return "d" + std::to_string(i % 100) + "\\f" + std::to_string(i) + ".bin";
}

std::vector<uint8_t> BenchBytes(uint32_t i, uint32_t version) {
    std::vector<uint8_t> bytes(1024u << (i % 4));
    uint32_t x = i * 2654435761u + version;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return bytes;
}

int MakeArchive(const std::string& path, uint32_t count, uint32_t first, uint32_t version,
                const std::string& under) {
    BlockPool pool;
    CPKVfs vfs(pool);
    if (!vfs.Create(platform::SystemPathFromArgument(path)) || !vfs.BeginBatch()) {
        return 1;
    }
    for (uint32_t i = first; i < first + count; ++i) {
        const std::vector<uint8_t> bytes = BenchBytes(i, version);
        if (!AddEntryFromBuffer(vfs, under + BenchPath(i), bytes.data(),
                                static_cast<uint32_t>(bytes.size()), kMethodStored, false)) {
            return 1;
        }
    }
    return vfs.CommitBatch() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
    if (args.size() == 3 && args[1] == "md5") {
        return PrintMd5(args[2]);
    }
    if (args.size() == 4 && args[1] == "copy") {
        return Copy(args[2], args[3]);
    }
    if (args.size() == 4 && args[1] == "game") {
        return MakeArchive(args[2], static_cast<uint32_t>(std::stoul(args[3])), 0, 0, "");
    }
    if (args.size() == 4 && args[1] == "package") {
        // Half of them replace entries of the game's archive, half are new.
        const uint32_t n = static_cast<uint32_t>(std::stoul(args[3]));
        return MakeArchive(args[2], n, 50000 - n / 2, 1, "data\\scene.cpk\\");
    }
    std::fprintf(stderr,
                 "usage: cpk_side md5 FILE | copy PACKAGE TARGET | game ARCHIVE N | package "
                 "PACKAGE N\n");
    return 2;
}
