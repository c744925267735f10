// An archive at the size limit of the format (just under 2 GiB), read,
// added to, merged into by "cpk apply" and compacted with the real commands.
// A 32-bit process has less address space than such an archive: every step
// must map pieces of it, never the whole file. The archive is made sparse
// where the file system allows: a large entry of zeros and a large free
// block lie in a hole, so the test writes little more than the entries that
// carry real bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "CpkToolRun.h"
#include "cpk/BlockPool.h"
#include "cpk/CPKFormat.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/Codec.h"
#include "cpk/Md5.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

constexpr uint32_t kMiB = 1u << 20;
// The entry of zeros that lies in the hole, and the free block after it.
constexpr uint32_t kZeroSize = 600 * kMiB;
constexpr uint32_t kFreeSize = 1300 * kMiB;

using cpktest::Arg;
using cpktest::Cpk;
using cpktest::Outcome;

std::string Noise(size_t size, uint32_t seed) {
    std::string s(size, '\0');
    std::mt19937 rng(seed);
    for (size_t i = 0; i + 4 <= s.size(); i += 4) {
        const uint32_t v = rng();
        std::memcpy(&s[i], &v, 4);
    }
    return s;
}

std::string Hex(const uint8_t digest[16]) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < 16; ++i) {
        s += digits[digest[i] >> 4];
        s += digits[digest[i] & 15];
    }
    return s;
}

std::string Md5Of(const std::string& bytes) {
    uint8_t d[16];
    Md5OfBuffer(bytes.data(), bytes.size(), d);
    return Hex(d);
}

// The digest of kZeroSize zero bytes.
void ZeroDigest(uint8_t digest[16]) {
    const std::vector<uint8_t> zeros(kMiB, 0);
    Md5 md5;
    for (uint32_t done = 0; done < kZeroSize; done += kMiB) {
        md5.Update(zeros.data(), kMiB);
    }
    md5.Final(digest);
}

std::string Md5OfZeros() {
    uint8_t d[16];
    ZeroDigest(d);
    return Hex(d);
}

// The MD5 of an entry's contents as the game reads it (OpenEntry maps it),
// and where the entry lies; "" when it cannot be read.
struct Read {
    std::string md5;
    uint32_t offset = 0;
};
Read ReadEntry(const std::string& archive, const std::string& inner) {
    BlockPool pool;
    CPKVfs vfs(pool);
    Read r;
    if (!vfs.Open(archive, CPKOpenMode::kReadOnly)) {
        return r;
    }
    const int index = vfs.FindEntry(cpkpath::CrcOfPath(inner));
    if (index < 0) {
        return r;
    }
    CPKFile* file = vfs.OpenEntry(index, 0, 0);
    if (file == nullptr) {
        return r;
    }
    uint8_t d[16];
    Md5OfBuffer(file->contents, file->originalSize, d);
    r.md5 = Hex(d);
    r.offset = vfs.EntryAt(index).offset;
    vfs.CloseEntry(file);
    return r;
}

// Cuts or extends (sparse, where the file system allows) the file at path.
void SetLength(const std::string& path, uint64_t length, platform::Disposition disposition) {
    auto f =
        platform::File::Open(path, platform::Access::kReadWrite, platform::kShareRead, disposition);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Seek(static_cast<int64_t>(length), platform::SeekFrom::kBegin));
    ASSERT_TRUE(f->SetEndOfFile());
}

// Copies length bytes of in at from to out at to.
void CopyBytes(platform::File& in, uint64_t from, platform::File& out, uint64_t to,
               uint64_t length) {
    std::vector<uint8_t> buffer(4 * kMiB);
    while (length > 0) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(buffer.size(), length));
        auto got = in.ReadAt(from, buffer.data(), piece);
        ASSERT_TRUE(got && *got == piece);
        ASSERT_TRUE(out.WriteAt(to, buffer.data(), piece));
        from += piece;
        to += piece;
        length -= piece;
    }
}

// Rewrites the archive at small into large with a hole before the entry
// named before: in the hole a stored entry "maps\\zeros.bin" of kZeroSize
// zeros, then a free block of kFreeSize bytes. Every later byte moves up
// by the hole; the table records the two new ranges in crc order.
void Inflate(const std::string& small, const std::string& large, const std::string& before) {
    auto in = platform::File::Open(small, platform::Access::kRead, platform::kShareRead,
                                   platform::Disposition::kOpenExisting);
    ASSERT_TRUE(in);
    CPKHeader h{};
    ASSERT_TRUE(in->ReadAt(0, &h, sizeof h));
    std::vector<CPKEntry> table(h.capacity);
    ASSERT_TRUE(in->ReadAt(h.tableOffset, table.data(), TableBytes(h.capacity)));
    const uint32_t beforeCrc = cpkpath::CrcOfPath(before);
    auto moved = std::find_if(table.begin(), table.begin() + h.usedCount,
                              [&](const CPKEntry& e) { return e.crc == beforeCrc; });
    ASSERT_NE(moved, table.begin() + h.usedCount);
    const uint32_t at = moved->offset;

    uint8_t zeroDigest[16];
    ZeroDigest(zeroDigest);
    const std::vector<uint8_t> trailer = MakeTrailer("zeros.bin", zeroDigest);
    const uint32_t zeroTotal = kZeroSize + static_cast<uint32_t>(trailer.size());
    const uint32_t hole = zeroTotal + kFreeSize;

    for (uint32_t i = 0; i < h.usedCount; ++i) {
        if (table[i].offset >= at) {
            table[i].offset += hole;
        }
    }
    CPKEntry zero{};
    zero.crc = cpkpath::CrcOfPath("maps\\zeros.bin");
    zero.parentCrc = cpkpath::CrcOfPath("maps");
    zero.flags = kEntryInUse;
    zero.method = kMethodStored;
    zero.offset = at;
    zero.storedSize = kZeroSize;
    zero.originalSize = kZeroSize;
    zero.trailerSize = static_cast<uint32_t>(trailer.size());
    CPKEntry free{};
    free.crc = 0;
    free.flags = kEntryInUse | kEntryDeleted;
    free.offset = at + zeroTotal;
    free.storedSize = kFreeSize;
    ASSERT_LE(h.usedCount + 2, h.capacity);
    table.resize(h.usedCount);
    table.push_back(zero);
    table.push_back(free);
    std::stable_sort(table.begin(), table.end(),
                     [](const CPKEntry& a, const CPKEntry& b) { return a.crc < b.crc; });
    table.resize(h.capacity);
    const uint32_t oldTable = h.tableOffset;
    h.usedCount += 2;
    h.liveCount += 1;
    h.freeCount += 1;
    h.tableOffset += hole;
    h.endOffset += hole;

    auto out = platform::File::Open(large, platform::Access::kReadWrite, platform::kShareRead,
                                    platform::Disposition::kCreateAlways);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Seek(h.endOffset, platform::SeekFrom::kBegin));
    ASSERT_TRUE(out->SetEndOfFile());  // the hole stays unwritten
    ASSERT_TRUE(out->WriteAt(0, &h, sizeof h));
    CopyBytes(*in, kCpkHeaderSize, *out, kCpkHeaderSize, at - kCpkHeaderSize);
    ASSERT_TRUE(out->WriteAt(uint64_t{at} + kZeroSize, trailer.data(), trailer.size()));
    CopyBytes(*in, at, *out, uint64_t{at} + hole, oldTable - at);
    ASSERT_TRUE(out->WriteAt(h.tableOffset, table.data(), TableBytes(h.capacity)));
}

TEST(CpkLargeArchive, AnArchiveAtTheFormatsLimitIsReadChangedMergedAndCompacted) {
    TempDir dir;
    const std::string first = Noise(24 * kMiB, 1);
    const std::string last = Noise(40 * kMiB, 2);
    WriteFile(dir / "src\\first.bin", first);
    WriteFile(dir / "src\\last.bin", last);
    const std::string small = Arg(dir / "small.cpk");
    ASSERT_EQ(Cpk({"create", small}).code, 0);
    Outcome r = Cpk({"add", small, Arg(dir / "src\\first.bin"), "--as", "maps\\first.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Cpk({"add", small, Arg(dir / "src\\last.bin"), "--as", "maps\\last.bin"});
    ASSERT_EQ(r.code, 0) << r.err;

    platform::CreateDirectory(dir / "game");
    const std::string archive = dir / "game\\data.cpk";
    Inflate(dir / "small.cpk", archive, "maps\\last.bin");
    if (HasFatalFailure()) {
        return;
    }
    auto size = platform::FileSize(archive);
    ASSERT_TRUE(size);
    ASSERT_GT(*size, uint64_t{1950} * kMiB);
    ASSERT_LT(*size, kCpkMaxFileSize);
    r = Cpk({"check", Arg(archive)});
    ASSERT_EQ(r.code, 0) << r.out << r.err;

    // Read back: the last entry lies near the end of the file.
    Read got = ReadEntry(archive, "maps\\last.bin");
    EXPECT_EQ(got.md5, Md5Of(last));
    EXPECT_GT(got.offset, uint32_t{1900} * kMiB);
    EXPECT_EQ(ReadEntry(archive, "maps\\first.bin").md5, Md5Of(first));
    EXPECT_EQ(ReadEntry(archive, "maps\\zeros.bin").md5, Md5OfZeros());

    // Added to: the new entry lands in the free block, high in the file.
    const std::string added = Noise(8 * kMiB, 3);
    WriteFile(dir / "src\\added.bin", added);
    r = Cpk({"add", Arg(archive), Arg(dir / "src\\added.bin"), "--as", "maps\\added.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    got = ReadEntry(archive, "maps\\added.bin");
    EXPECT_EQ(got.md5, Md5Of(added));
    EXPECT_GT(got.offset, uint32_t{600} * kMiB);

    // Merged into by a patch package: the last entry replaced, one added.
    const std::string newer = Noise(40 * kMiB, 4);
    const std::string fresh = Noise(2 * kMiB, 5);
    WriteFile(dir / "src\\newer.bin", newer);
    WriteFile(dir / "src\\fresh.bin", fresh);
    const std::string package = Arg(dir / "p1.cpk");
    ASSERT_EQ(Cpk({"create", package}).code, 0);
    r = Cpk({"add", package, Arg(dir / "src\\newer.bin"), "--as", "data.cpk\\maps\\last.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Cpk({"add", package, Arg(dir / "src\\fresh.bin"), "--as", "data.cpk\\maps\\fresh.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Cpk({"apply", package, "--game", Arg(dir / "game")});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(ReadEntry(archive, "maps\\last.bin").md5, Md5Of(newer));
    EXPECT_EQ(ReadEntry(archive, "maps\\fresh.bin").md5, Md5Of(fresh));
    r = Cpk({"check", Arg(archive)});
    EXPECT_EQ(r.code, 0) << r.out << r.err;

    // An add that would take the archive to 2 GiB is refused, and the
    // archive keeps every entry.
    auto before = platform::FileSize(archive);
    ASSERT_TRUE(before);
    const uint64_t over = kCpkMaxFileSize - *before + kMiB;
    SetLength(dir / "src\\over.bin", over, platform::Disposition::kCreateAlways);
    r = Cpk({"add", Arg(archive), Arg(dir / "src\\over.bin"), "--as", "maps\\over.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(ReadEntry(archive, "maps\\last.bin").md5, Md5Of(newer));
    EXPECT_EQ(*platform::FileSize(archive), *before);

    // Compacted: the free space goes, every entry stays.
    r = Cpk({"compact", Arg(archive)});
    ASSERT_EQ(r.code, 0) << r.err;
    size = platform::FileSize(archive);
    ASSERT_TRUE(size);
    EXPECT_LT(*size, uint64_t{720} * kMiB);
    r = Cpk({"check", Arg(archive)});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(ReadEntry(archive, "maps\\first.bin").md5, Md5Of(first));
    EXPECT_EQ(ReadEntry(archive, "maps\\last.bin").md5, Md5Of(newer));
    EXPECT_EQ(ReadEntry(archive, "maps\\added.bin").md5, Md5Of(added));
    EXPECT_EQ(ReadEntry(archive, "maps\\fresh.bin").md5, Md5Of(fresh));
    EXPECT_EQ(ReadEntry(archive, "maps\\zeros.bin").md5, Md5OfZeros());
}

// A file of 2 GiB or more is outside the format: it is refused with a
// reason, and left as it was.
TEST(CpkLargeArchive, AFileOfTwoGibibytesOrMoreIsRefusedWithAReason) {
    TempDir dir;
    const std::string archive = dir / "huge.cpk";
    ASSERT_EQ(Cpk({"create", Arg(archive)}).code, 0);
    const std::string head = testsupport::ReadFile(archive);
    SetLength(archive, uint64_t{2560} * kMiB, platform::Disposition::kOpenExisting);
    for (const char* command : {"ls", "check"}) {
        Outcome r = Cpk({command, Arg(archive)});
        EXPECT_EQ(r.code, 1) << command;
        EXPECT_FALSE(r.err.empty() && r.out.empty()) << command;
    }
    WriteFile(dir / "a.txt", "a");
    Outcome r = Cpk({"add", Arg(archive), Arg(dir / "a.txt")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("huge.cpk"), std::string::npos) << r.err;
    EXPECT_EQ(*platform::FileSize(archive), uint64_t{2560} * kMiB);
    auto f = platform::File::Open(archive, platform::Access::kRead, platform::kShareRead,
                                  platform::Disposition::kOpenExisting);
    ASSERT_TRUE(f);
    std::string start(head.size(), '\0');
    ASSERT_TRUE(f->ReadAt(0, &start[0], start.size()));
    EXPECT_EQ(start, head);
}

}  // namespace
