#include "cpk/CPKWriter.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "cpk/CPKPath.h"
#include "cpk/Codec.h"
#include "cpk/Md5.h"
#include "platform/file.h"

namespace {

// Stored files are copied in pieces of this size.
constexpr uint32_t kCopyPiece = 1u << 20;
// SameRawEntry compares pieces of at most this many bytes.
constexpr uint32_t kCompareChunk = 64u << 10;

// Creates the directories of innerPath and answers the crc of the last one
// (0 for an entry at the root), or kCpkNoCrc.
uint32_t MakeDirectories(CPKVfs& vfs, const std::vector<std::string>& parts) {
    uint32_t parent = 0;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        parent = vfs.AddDirectory(parts[i], parent);
        if (parent == kCpkNoCrc) {
            return kCpkNoCrc;
        }
    }
    return parent;
}

// Adds the record and writes contents (already in stored form) and trailer.
int WriteEntry(CPKVfs& vfs, const std::vector<std::string>& parts, uint16_t method, bool windowed,
               uint32_t storedSize, uint32_t originalSize, const uint8_t digest[16],
               const std::function<bool(CPKVfs&, int)>& writeContents) {
    const uint32_t parent = MakeDirectories(vfs, parts);
    if (parent == kCpkNoCrc) {
        return 0;
    }
    const std::vector<uint8_t> trailer = MakeTrailer(parts.back(), digest);
    CPKEntry source{};
    source.flags = kEntryInUse;
    if (windowed && method == kMethodStored) {
        source.flags |= kEntryWindowed;
    }
    source.method = method;
    source.storedSize = storedSize;
    source.originalSize = originalSize;
    source.trailerSize = static_cast<uint32_t>(trailer.size());
    const int index = vfs.AddFile(parts.back(), parent, source);
    if (index < 0) {
        return 0;
    }
    if (!writeContents(vfs, index) || !vfs.WriteEntryData(index, storedSize, trailer.data(),
                                                          static_cast<uint32_t>(trailer.size()))) {
        vfs.AbandonEntry(index);
        return 0;
    }
    return vfs.CommitEntry(index);
}

}  // namespace

int AddEntryFromBuffer(CPKVfs& vfs, const std::string& innerPath, const void* data, uint32_t size,
                       uint16_t method, bool windowed) {
    std::vector<std::string> parts = cpkpath::Split(innerPath);
    if (parts.empty()) {
        return 0;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint8_t digest[16];
    Md5OfBuffer(bytes, size, digest);
    std::vector<uint8_t> packed;
    const uint8_t* stored = bytes;
    uint32_t storedSize = size;
    if (method != kMethodStored) {
        auto compressed = Compress(method, bytes, size);
        if (!compressed) {
            return 0;
        }
        packed = std::move(*compressed);
        stored = packed.data();
        storedSize = static_cast<uint32_t>(packed.size());
    }
    return WriteEntry(vfs, parts, method, windowed, storedSize, size, digest,
                      [&](CPKVfs& v, int index) {
                          return storedSize == 0 || v.WriteEntryData(index, 0, stored, storedSize);
                      });
}

int AddEntryFromFile(CPKVfs& vfs, const std::string& innerPath, const std::string& sourcePath,
                     uint16_t method, bool windowed) {
    std::vector<std::string> parts = cpkpath::Split(innerPath);
    if (parts.empty()) {
        return 0;
    }
    auto file = platform::File::Open(sourcePath, platform::Access::kRead, platform::kShareRead,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        return 0;
    }
    auto size = file->Size();
    if (!size || *size >= kCpkMaxFileSize) {
        return 0;
    }
    const uint32_t length = static_cast<uint32_t>(*size);
    if (method != kMethodStored) {
        std::vector<uint8_t> bytes(length);
        auto got = file->ReadAt(0, bytes.data(), length);
        if (!got || *got != length) {
            return 0;
        }
        return AddEntryFromBuffer(vfs, innerPath, bytes.data(), length, method, windowed);
    }
    // Digest first, so that the trailer can follow the contents.
    uint8_t digest[16];
    std::vector<uint8_t> piece(std::min(length, kCopyPiece));
    Md5 md5;
    for (uint32_t at = 0; at < length;) {
        uint32_t n = std::min(length - at, kCopyPiece);
        auto got = file->ReadAt(at, piece.data(), n);
        if (!got || *got != n) {
            return 0;
        }
        md5.Update(piece.data(), n);
        at += n;
    }
    md5.Final(digest);
    return WriteEntry(
        vfs, parts, kMethodStored, windowed, length, length, digest, [&](CPKVfs& v, int index) {
            for (uint32_t at = 0; at < length;) {
                uint32_t n = std::min(length - at, kCopyPiece);
                auto got = file->ReadAt(at, piece.data(), n);
                if (!got || *got != n || !v.WriteEntryData(index, at, piece.data(), n)) {
                    return false;
                }
                at += n;
            }
            return true;
        });
}

int ReadEntryContents(CPKVfs& vfs, int index,
                      const std::function<bool(const uint8_t*, uint32_t)>& sink) {
    CPKFile* file = vfs.OpenEntry(index, 0, 0);
    if (file == nullptr) {
        return 0;
    }
    const uint32_t total = file->originalSize;
    if (file->compressed || file->mappedSize >= total) {
        bool ok = total == 0 || sink(file->contents, total);
        vfs.CloseEntry(file);
        return ok ? 1 : 0;
    }
    // A windowed stored entry: one window at a time.
    uint32_t done = 0;
    for (;;) {
        uint32_t n = std::min(total - done, file->mappedSize);
        bool ok = sink(file->contents, n);
        vfs.CloseEntry(file);
        if (!ok) {
            return 0;
        }
        done += n;
        if (done >= total) {
            return 1;
        }
        file = vfs.OpenEntry(index, done, 0);
        if (file == nullptr) {
            return 0;
        }
    }
}

int ReadEntryContents(CPKVfs& vfs, int index, std::vector<uint8_t>& contents) {
    contents.clear();
    return ReadEntryContents(vfs, index, [&](const uint8_t* p, uint32_t n) {
        contents.insert(contents.end(), p, p + n);
        return true;
    });
}

bool SameRawEntry(CPKVfs& a, int ia, CPKVfs& b, int ib) {
    const CPKEntry& x = a.EntryAt(ia);
    const CPKEntry& y = b.EntryAt(ib);
    if (x.flags != y.flags || x.method != y.method || x.storedSize != y.storedSize ||
        x.originalSize != y.originalSize || x.trailerSize != y.trailerSize) {
        return false;
    }
    if (IsDirectory(x)) {
        return true;  // its trailer says nothing more than its name
    }
    // Read, not mapped: a merge asks this of entries all over both files.
    // The trailers first: they hold the contents' digest, so that entries
    // that differ mostly differ there.
    const uint32_t total = x.storedSize + x.trailerSize;
    // Not cleared first: every byte compared is read in before.
    const uint32_t chunk = std::min(total, kCompareChunk);
    std::unique_ptr<uint8_t[]> pa(new uint8_t[chunk]);
    std::unique_ptr<uint8_t[]> pb(new uint8_t[chunk]);
    auto same = [&](uint32_t at, uint32_t n) {
        return a.ReadEntryBytes(ia, at, pa.get(), n) && b.ReadEntryBytes(ib, at, pb.get(), n) &&
               std::memcmp(pa.get(), pb.get(), n) == 0;
    };
    const uint32_t trailer = std::min(x.trailerSize, kCompareChunk);
    if (trailer > 0 && !same(total - trailer, trailer)) {
        return false;
    }
    for (uint32_t at = 0; at < total - trailer;) {
        const uint32_t n = std::min(total - trailer - at, kCompareChunk);
        if (!same(at, n)) {
            return false;
        }
        at += n;
    }
    return true;
}
