#include "cpk/CPKVfs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/Md5.h"
#include "cpk/NameCRC.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using Bytes = std::vector<uint8_t>;

CPKHeader HeaderOf(const std::string& path) {
    std::string bytes = ReadFile(path);
    CPKHeader h{};
    EXPECT_GE(bytes.size(), sizeof h);
    std::memcpy(&h, bytes.data(), std::min(bytes.size(), sizeof h));
    return h;
}

// Overwrites bytes of a file in place.
void Patch(const std::string& path, size_t offset, const void* data, size_t size) {
    std::string bytes = ReadFile(path);
    ASSERT_LE(offset + size, bytes.size());
    std::memcpy(&bytes[offset], data, size);
    WriteFile(path, bytes);
}

template <typename T>
void PatchValue(const std::string& path, size_t offset, T value) {
    Patch(path, offset, &value, sizeof value);
}

size_t RecordAt(const CPKHeader& h, int index) {
    return h.tableOffset + static_cast<size_t>(index) * kCpkEntrySize;
}

Bytes Pattern(size_t size, uint32_t seed) {
    Bytes b(size);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < size; ++i) {
        // Compressible but not trivial.
        b[i] = static_cast<uint8_t>((rng() % 8) + 'a');
    }
    return b;
}

Bytes Contents(CPKVfs& vfs, const std::string& inner) {
    Bytes out;
    int index = vfs.FindEntry(cpkpath::CrcOfPath(inner));
    EXPECT_GE(index, 0) << inner;
    if (index >= 0) {
        EXPECT_EQ(ReadEntryContents(vfs, index, out), 1) << inner;
    }
    return out;
}

void ExpectSound(const std::string& path) {
    std::vector<std::string> problems = CheckArchive(path);
    for (const auto& p : problems) {
        ADD_FAILURE() << p;
    }
}

class CPKVfsTest : public ::testing::Test {
protected:
    TempDir dir;
    BlockPool pool;
    platform::ScriptedMessageBoxes boxes;
    std::string path = dir / "test.cpk";

    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& a : boxes.asked()) {
            t.push_back(a.text);
        }
        return t;
    }
};

TEST_F(CPKVfsTest, CreateWritesAnEmptyArchiveAndOpensAnExistingOne) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        EXPECT_TRUE(vfs.IsOpen());
    }
    std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 140124u);
    EXPECT_EQ(bytes.substr(0, 4), "RST\x1A");
    CPKHeader h = HeaderOf(path);
    EXPECT_EQ(h.magic, 0x1A545352u);
    EXPECT_EQ(h.version, 1u);
    EXPECT_EQ(h.tableOffset, 124u);
    EXPECT_EQ(h.reserved0, 124u);
    EXPECT_EQ(h.reserved2, 124u);
    EXPECT_EQ(h.liveCount, 0u);
    EXPECT_EQ(h.usedCount, 0u);
    EXPECT_EQ(h.capacity, 5000u);
    EXPECT_EQ(h.freeCount, 0u);
    EXPECT_EQ(h.endOffset, 140124u);
    EXPECT_EQ(bytes.find_first_not_of('\0', 44), std::string::npos);  // zero reserve and table

    CPKVfs again(pool);
    ASSERT_EQ(again.AddDirectory("x", 0), kCpkNoCrc);  // not open yet
    ASSERT_EQ(again.Create(path), 1);                  // exists: opened, not overwritten
    EXPECT_NE(again.AddDirectory("x", 0), kCpkNoCrc);
    ASSERT_EQ(again.Close(), 1);
    CPKVfs third(pool);
    ASSERT_EQ(third.Create(path), 1);
    EXPECT_EQ(third.Header().liveCount, 1u);
    EXPECT_EQ(boxes.count(), 0u);
    ExpectSound(path);
}

TEST_F(CPKVfsTest, OpenRefusesWhatIsNotAnArchive) {
    CPKVfs vfs(pool);
    EXPECT_EQ(vfs.Open(dir / "missing.cpk"), 0);
    EXPECT_EQ(boxes.count(), 0u);  // a missing file fails silently

    WriteFile(dir / "text.cpk", std::string(200, 'x'));
    EXPECT_EQ(vfs.Open(dir / "text.cpk"), 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Unknow file format " +
                                                platform::NativePath(dir / "text.cpk")});
    EXPECT_FALSE(vfs.IsOpen());

    // Too short for a header: the file layer's box, then the archive's.
    WriteFile(dir / "short.cpk", "RST\x1A");
    EXPECT_EQ(vfs.Open(dir / "short.cpk"), 0);
    ASSERT_EQ(boxes.count(), 3u);
    EXPECT_NE(Texts()[1].find("CE_CANNOT_READ_DISC_FILE"), std::string::npos);
    EXPECT_EQ(Texts()[2],
              "Could not load table from the CPK " + platform::NativePath(dir / "short.cpk"));
}

TEST_F(CPKVfsTest, OpenRefusesHeadersThatDoNotFitTheFile) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "a\\b.txt", "hello", 5, kMethodStored, false), 1);
    }
    const std::string good = ReadFile(path);
    const CPKHeader h = HeaderOf(path);
    struct Lie {
        const char* what;
        size_t offset;
        uint32_t value;
    };
    const Lie lies[] = {
        {"capacity past the end", 32, h.capacity + 1},
        {"huge capacity", 32, 0xFFFFFFFFu},
        {"table inside the header", 8, 100},
        {"table past the end", 8, h.tableOffset + 28},
        {"used beyond capacity", 28, h.capacity + 1},
    };
    for (const Lie& lie : lies) {
        WriteFile(path, good);
        PatchValue(path, lie.offset, lie.value);
        size_t before = boxes.count();
        CPKVfs vfs(pool);
        EXPECT_EQ(vfs.Open(path), 0) << lie.what;
        EXPECT_FALSE(vfs.IsOpen());
        ASSERT_EQ(boxes.count(), before + 1) << lie.what;
        EXPECT_EQ(
            boxes.asked().back().text.rfind("Corrupt CPK " + platform::NativePath(path) + ": ", 0),
            0u)
            << boxes.asked().back().text;
        EXPECT_FALSE(CheckArchive(path).empty()) << lie.what;
    }
    // A table that ends before the file does is sound: the bytes past it
    // belong to no entry (an interrupted change leaves them), and the next
    // change cuts them.
    WriteFile(path, good + "tail");
    ExpectSound(path);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "c.txt", "changed", 7, kMethodStored, false), 1);
    ASSERT_EQ(vfs.Close(), 1);
    EXPECT_EQ(ReadFile(path).size(), HeaderOf(path).endOffset);
    ExpectSound(path);
}

TEST_F(CPKVfsTest, AnEndOffsetOffTheTableCanBeReadButNotChanged) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "a\\b.txt", "hello", 5, kMethodStored, false), 1);
    }
    PatchValue(path, 40, HeaderOf(path).endOffset - 1);
    const std::string before = ReadFile(path);
    for (CPKOpenMode mode : {CPKOpenMode::kReadOnly, CPKOpenMode::kReadWrite}) {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Open(path, mode), 1);
        EXPECT_EQ(Contents(vfs, "a\\b.txt"), (Bytes{'h', 'e', 'l', 'l', 'o'}));
        EXPECT_EQ(vfs.ListChildDirs(0), 1u);
        const size_t asked = boxes.count();
        EXPECT_EQ(vfs.AddDirectory("new", 0), kCpkNoCrc);
        EXPECT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("a")), 0);
        EXPECT_EQ(vfs.BeginBatch(), 0);
        ASSERT_EQ(boxes.count(), asked + 3);
        const char* reason = mode == CPKOpenMode::kReadOnly ? "is open for reading only"
                                                            : "does not follow the table";
        EXPECT_NE(boxes.asked().back().text.find(reason), std::string::npos)
            << boxes.asked().back().text;
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_FALSE(CheckArchive(path).empty());
}

TEST_F(CPKVfsTest, DirectoriesAreNamedWithoutRegardToCase) {
    CPKVfs vfs(pool);
    // Created archives are not shared; opened ones are, so the test can
    // read the file beside the archive object.
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(vfs.Close(), 1);
    ASSERT_EQ(vfs.Open(path), 1);
    const uint32_t crc = vfs.AddDirectory("System", 0);
    EXPECT_EQ(crc, 0x4D1E8DADu);
    const std::string afterFirst = ReadFile(path);
    EXPECT_EQ(vfs.AddDirectory("system", 0), crc);  // the existing one
    EXPECT_EQ(ReadFile(path), afterFirst);          // and nothing written

    int index = vfs.FindEntry(crc);
    ASSERT_GE(index, 0);
    const CPKEntry& e = vfs.EntryAt(index);
    EXPECT_EQ(e.flags, kEntryInUse | kEntryDirectory);
    EXPECT_EQ(e.method, 0);
    EXPECT_EQ(e.storedSize, 0u);
    EXPECT_EQ(e.originalSize, 0u);
    EXPECT_EQ(e.trailerSize, 6u + 58u);
    std::string name;
    ASSERT_EQ(vfs.GetFileNameFromCRC(crc, name), 1);
    EXPECT_EQ(name, "System");
    // The trailer: name, two zeros, 40 zeros, MD5 of the name.
    std::string trailer = afterFirst.substr(e.offset, e.trailerSize);
    uint8_t digest[16];
    Md5OfString("System", digest);
    EXPECT_EQ(trailer.substr(0, 6), "System");
    EXPECT_EQ(trailer.substr(6, 42), std::string(42, '\0'));
    EXPECT_EQ(trailer.substr(48), std::string(reinterpret_cast<char*>(digest), 16));

    const uint32_t deep = vfs.AddPath("Avatar\\Girl\\Skel", crc);
    EXPECT_EQ(deep, cpkpath::CrcOfPath("system\\avatar\\girl\\skel"));
    std::string full;
    ASSERT_EQ(vfs.GetFullPath(deep, full), 1);
    EXPECT_EQ(full, "System\\Avatar\\Girl\\Skel");
    // A "." ends the walk: the rest is a file name.
    EXPECT_EQ(vfs.AddPath("x\\y\\file.txt", 0), cpkpath::CrcOfPath("x\\y"));
    EXPECT_EQ(vfs.FindEntry(cpkpath::CrcOfPath("x\\y\\file.txt")), -1);
    EXPECT_EQ(vfs.AddPath("\\lead\\", 0), cpkpath::CrcOfPath("lead"));
    ASSERT_EQ(vfs.GetFullPath(0, full), 1);
    EXPECT_EQ(full, "");

    // GBK names: the second byte of a character is never lowered or split.
    const std::string gbk =
        "\xB5\xD8\xCD\xBC"
        "\x81\x41"
        "\x95\x5C";
    const uint32_t g = vfs.AddDirectory(gbk, crc);
    EXPECT_EQ(g, ComputeNameCRC(("system\\" + gbk).c_str()));
    ASSERT_EQ(vfs.GetFullPath(g, full), 1);
    EXPECT_EQ(full, "System\\" + gbk);
    EXPECT_EQ(vfs.ListChildDirs(crc), 2u);
    EXPECT_EQ(boxes.count(), 0u);
    vfs.Close();
    ExpectSound(path);
}

TEST_F(CPKVfsTest, PathLimitsAreReported) {
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Create(path), 1);
    std::string name;
    EXPECT_EQ(vfs.GetFileNameFromCRC(0, name), 0);
    EXPECT_EQ(Texts().back(), "CRC == 0 in function GetFileNameFromCRC");

    std::string dir313(313, 'd');
    EXPECT_EQ(vfs.JoinPath(dir313, "n"), 1);
    EXPECT_EQ(dir313, std::string(313, 'd') + "\\n");
    std::string dir314(314, 'd');
    EXPECT_EQ(vfs.JoinPath(dir314, "n"), 0);
    EXPECT_EQ(Texts().back(), GBK("完整文件名太长"));
    std::string mixed = "Data\\Sub";
    ASSERT_EQ(vfs.JoinPath(mixed, "A.TXT"), 1);
    EXPECT_EQ(mixed, "data\\sub\\a.txt");

    // A name that would make the path longer than 323 bytes is refused.
    uint32_t parent = vfs.AddDirectory(std::string(200, 'p'), 0);
    ASSERT_NE(parent, kCpkNoCrc);
    EXPECT_EQ(vfs.AddDirectory(std::string(123, 'q'), parent), kCpkNoCrc);
    EXPECT_NE(vfs.AddDirectory(std::string(122, 'q'), parent), kCpkNoCrc);
    vfs.Close();
    ExpectSound(path);
}

TEST_F(CPKVfsTest, EveryMethodRoundTripsAcrossReopening) {
    const Bytes text = Pattern(300000, 1);
    const Bytes small = Pattern(10, 2);
    const Bytes big = Pattern(20u << 20, 3);
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "a.txt", text.data(), 300000, kMethodStored, false), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "Data\\lzo.bin", text.data(), 300000, kMethodLzo, false),
                  1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "Data\\Deep\\lzss.bin", text.data(), 300000, kMethodLzss,
                                     false),
                  1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "Data\\small", small.data(), 10, kMethodLzss, false), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "empty", "", 0, kMethodLzo, false), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "big\\w.bin", big.data(), 20u << 20, kMethodStored, true),
                  1);
        // Readable before closing too.
        EXPECT_EQ(Contents(vfs, "data\\lzo.bin"), text);
        EXPECT_EQ(Contents(vfs, "BIG\\W.BIN"), big);
    }
    ExpectSound(path);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    EXPECT_EQ(Contents(vfs, "a.txt"), text);
    EXPECT_EQ(Contents(vfs, "data\\lzo.bin"), text);
    EXPECT_EQ(Contents(vfs, "data\\deep\\lzss.bin"), text);
    EXPECT_EQ(Contents(vfs, "data\\small"), small);
    EXPECT_EQ(Contents(vfs, "empty"), Bytes{});
    EXPECT_EQ(Contents(vfs, "big\\w.bin"), big);
    const CPKEntry& lzss = vfs.EntryAt(vfs.FindEntry(cpkpath::CrcOfPath("data\\deep\\lzss.bin")));
    EXPECT_EQ(lzss.method, kMethodLzss);
    EXPECT_LT(lzss.storedSize, 300000u * 3 / 5);  // eight symbols: three bits a byte
    EXPECT_EQ(lzss.originalSize, 300000u);
    EXPECT_EQ(vfs.Header().liveCount, 9u);  // 6 files, 3 directories
    EXPECT_EQ(vfs.ListChildFiles(0), 2u);
    EXPECT_EQ(vfs.ListChildDirs(0), 2u);
    uint32_t crcs[1] = {0};
    EXPECT_EQ(vfs.ListChildFiles(cpkpath::CrcOfPath("data"), crcs, 1), 2u);
    EXPECT_TRUE(crcs[0] == cpkpath::CrcOfPath("data\\lzo.bin") ||
                crcs[0] == cpkpath::CrcOfPath("data\\small"));
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(CPKVfsTest, WindowedStoredEntriesAreMappedEightMiBAtATime) {
    const uint32_t kSize = 20u << 20;
    const Bytes big = Pattern(kSize, 4);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "pad", "123", 3, kMethodStored, false), 1);  // misalign
    ASSERT_EQ(AddEntryFromBuffer(vfs, "w", big.data(), kSize, kMethodStored, true), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "whole", big.data(), kSize, kMethodStored, false), 1);
    const int w = vfs.FindEntry(cpkpath::CrcOfPath("w"));
    const CPKEntry e = vfs.EntryAt(w);
    EXPECT_EQ(e.flags & kEntryWindowed, kEntryWindowed);
    const uint32_t granularity = platform::AllocationGranularity();

    CPKFile* f = vfs.OpenEntry(w, 0, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->viewOffset, e.offset % granularity);
    EXPECT_NE(f->viewOffset, 0u);
    EXPECT_EQ(f->mappedSize, 8u << 20);
    EXPECT_EQ(f->contents, f->data);
    EXPECT_EQ(f->compressed, 0);
    EXPECT_EQ(std::string(f->name), "w");
    EXPECT_EQ(std::memcmp(f->data, big.data(), 8u << 20), 0);
    ASSERT_EQ(vfs.CloseEntry(f), 1);

    f = vfs.OpenEntry(w, 8u << 20, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mappedSize, 8u << 20);
    EXPECT_EQ(std::memcmp(f->data, big.data() + (8u << 20), 8u << 20), 0);
    ASSERT_EQ(vfs.CloseEntry(f), 1);

    f = vfs.OpenEntry(w, 16u << 20, 0);  // the last window holds the trailer too
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mappedSize, (4u << 20) + 1 + 58);
    EXPECT_EQ(std::memcmp(f->data, big.data() + (16u << 20), 4u << 20), 0);
    EXPECT_EQ(std::memcmp(f->data + (4u << 20), "w\0", 2), 0);
    ASSERT_EQ(vfs.CloseEntry(f), 1);

    // Without the flag the whole entry is mapped at once.
    f = vfs.OpenEntry(vfs.FindEntry(cpkpath::CrcOfPath("whole")), 0, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mappedSize, kSize + 5 + 58);
    ASSERT_EQ(vfs.CloseEntry(f), 1);
    EXPECT_EQ(pool.InUse(0), 0);

    // Starting at or past the end of the entry is refused.
    EXPECT_EQ(vfs.OpenEntry(w, kSize + 59, 0), nullptr);
    EXPECT_EQ(vfs.OpenEntry(-1, 0, 0), nullptr);
    EXPECT_EQ(vfs.OpenEntry(1000, 0, 0), nullptr);
    EXPECT_EQ(vfs.CloseEntry(nullptr), 0);
    EXPECT_NE(Texts().back().find("invalid address in cpk close"), std::string::npos);
}

TEST_F(CPKVfsTest, RawCopyBetweenArchivesKeepsCompressedBytesAndTrailers) {
    const Bytes text = Pattern(100000, 5);
    CPKVfs package(pool);
    ASSERT_EQ(package.Create(dir / "package.cpk"), 1);
    ASSERT_EQ(AddEntryFromBuffer(package, "tex\\a.dds", text.data(), 100000, kMethodLzss, false),
              1);
    CPKVfs target(pool);
    ASSERT_EQ(target.Create(path), 1);
    const int from = package.FindEntry(cpkpath::CrcOfPath("tex\\a.dds"));
    CPKFile* f = package.OpenEntry(from, 0, 1);  // raw: no decompression
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->contents, f->data);
    const uint32_t parent = target.AddDirectory("TEX", 0);
    const int index = target.AddFile("tex\\A.dds", parent, f->entry);
    ASSERT_GE(index, 0);
    ASSERT_EQ(target.WriteEntryData(index, 0, f->data, f->mappedSize), 1);
    // Nothing may be written past the entry's own space.
    EXPECT_EQ(target.WriteEntryData(index, 1, f->data, f->mappedSize), 0);
    ASSERT_EQ(target.CommitEntry(index), 1);
    EXPECT_EQ(target.CommitEntry(index), 0);  // only once
    package.CloseEntry(f);
    EXPECT_EQ(Contents(target, "tex\\a.dds"), text);
    std::string name;
    ASSERT_EQ(target.GetFileNameFromCRC(cpkpath::CrcOfPath("tex\\a.dds"), name), 1);
    EXPECT_EQ(name, "a.dds");  // the copied trailer's name, in its own case
    target.Close();
    ExpectSound(path);
}

TEST_F(CPKVfsTest, ReplacingAFileFreesTheOldSpaceForReuse) {
    const Bytes first = Pattern(5000, 6);
    const Bytes second = Pattern(3000, 7);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "d\\f.bin", first.data(), 5000, kMethodStored, false), 1);
    const uint32_t crc = cpkpath::CrcOfPath("d\\f.bin");
    const CPKEntry old = vfs.EntryAt(vfs.FindEntry(crc));
    const uint32_t oldTable = vfs.Header().tableOffset;
    ASSERT_EQ(AddEntryFromBuffer(vfs, "D\\F.bin", second.data(), 3000, kMethodStored, false), 1);

    // The old record is deleted, in the free list, and sits just before its
    // live replacement; it describes one free block of contents + trailer.
    ASSERT_EQ(vfs.FreeList().size(), 1u);
    const int freed = vfs.FreeList()[0];
    const int live = vfs.FindEntry(crc);
    EXPECT_EQ(live, freed + 1);
    const CPKEntry& f = vfs.EntryAt(freed);
    EXPECT_EQ(f.crc, crc);
    EXPECT_EQ(f.flags & kEntryDeleted, kEntryDeleted);
    EXPECT_EQ(f.offset, old.offset);
    EXPECT_EQ(f.storedSize, 5000u + 5 + 58);
    EXPECT_EQ(f.trailerSize, 0u);
    EXPECT_EQ(f.parentCrc, 0u);
    // The replacement never takes the bytes of the entry it replaces: until
    // the change is complete they are the entry. It goes where the table was.
    EXPECT_EQ(vfs.EntryAt(live).offset, oldTable);
    EXPECT_EQ(vfs.Header().freeCount, 1u);
    EXPECT_EQ(vfs.Header().liveCount, 2u);
    EXPECT_EQ(Contents(vfs, "d\\f.bin"), second);

    // Once the change is made, the block takes the next entries from its
    // front; a block used up stays listed.
    const uint32_t end = vfs.Header().endOffset;
    ASSERT_EQ(AddEntryFromBuffer(vfs, "g", "0123456789", 10, kMethodStored, false), 1);
    EXPECT_EQ(vfs.EntryAt(vfs.FindEntry(cpkpath::CrcOfPath("g"))).offset, old.offset);
    EXPECT_EQ(vfs.Header().endOffset, end);  // no growth
    EXPECT_EQ(vfs.FreeList().size(), 1u);
    EXPECT_EQ(vfs.EntryAt(vfs.FreeList()[0]).storedSize, 5063u - 10 - 59);
    EXPECT_EQ(vfs.EntryAt(vfs.FreeList()[0]).offset, old.offset + 10 + 59);

    // Removing and adding again finds the live record past the deleted ones.
    ASSERT_EQ(vfs.RemoveByCRC(crc), 1);
    EXPECT_EQ(vfs.FindEntry(crc), -1);
    EXPECT_EQ(vfs.RemoveByCRC(crc), 0);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "d\\f.bin", first.data(), 5000, kMethodLzo, false), 1);
    EXPECT_EQ(Contents(vfs, "d\\f.bin"), first);
    EXPECT_EQ(vfs.Header().freeCount, 2u);
    vfs.Close();
    ExpectSound(path);
    CPKVfs reopened(pool);
    ASSERT_EQ(reopened.Open(path), 1);
    EXPECT_EQ(reopened.FreeList().size(), 2u);
    EXPECT_EQ(Contents(reopened, "d\\f.bin"), first);
}

TEST_F(CPKVfsTest, RemovingADirectoryRemovesItsWholeSubtree) {
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "a\\b\\c.txt", "c", 1, kMethodStored, false), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "a\\d.txt", "d", 1, kMethodLzss, false), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "a\\b\\e\\f.txt", "f", 1, kMethodStored, false), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "keep.txt", "k", 1, kMethodStored, false), 1);
    EXPECT_EQ(vfs.Header().liveCount, 7u);
    ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("A")), 1);
    EXPECT_EQ(vfs.Header().liveCount, 1u);
    EXPECT_EQ(vfs.Header().freeCount, 6u);
    EXPECT_EQ(vfs.FreeList().size(), 6u);
    for (const char* gone : {"a", "a\\b", "a\\b\\c.txt", "a\\d.txt", "a\\b\\e", "a\\b\\e\\f.txt"}) {
        EXPECT_EQ(vfs.FindEntry(cpkpath::CrcOfPath(gone)), -1) << gone;
    }
    EXPECT_EQ(Contents(vfs, "keep.txt"), Bytes{'k'});
    // Adding the directory again makes a new, empty one.
    EXPECT_NE(vfs.AddDirectory("a", 0), kCpkNoCrc);
    EXPECT_EQ(vfs.ListChildFiles(cpkpath::CrcOfPath("a")), 0u);
    vfs.Close();
    ExpectSound(path);
}

// A file where a folder is (or the other way round) would take the folder's
// tree with it, or leave children under a file that no listing reaches: the
// archive layer refuses both, whoever the caller is, and stays sound.
TEST_F(CPKVfsTest, AFileAndAFolderNeverTakeEachOthersPlace) {
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "f.txt", "f", 1, kMethodStored, false), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "src\\a\\b.txt", "b", 1, kMethodStored, false), 1);
    const uint32_t live = vfs.Header().liveCount;

    EXPECT_EQ(vfs.AddDirectory("F.TXT", 0), kCpkNoCrc);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "f.txt\\x", "x", 1, kMethodStored, false), 0);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "src", "s", 1, kMethodStored, false), 0);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "src\\a", "s", 1, kMethodLzss, false), 0);
    // A parent that is a file, named by its crc.
    CPKEntry record{};
    record.storedSize = record.originalSize = 1;
    record.trailerSize = 1 + kCpkTrailerFixed;
    EXPECT_EQ(vfs.AddFile("y", cpkpath::CrcOfPath("f.txt"), record), -1);
    // Within a batch too, and the batch's other changes still commit.
    ASSERT_EQ(vfs.BeginBatch(), 1);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "src\\a", "s", 1, kMethodStored, false), 0);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "g.txt", "g", 1, kMethodStored, false), 1);
    ASSERT_EQ(vfs.CommitBatch(), 1);

    EXPECT_EQ(vfs.Header().liveCount, live + 1);
    EXPECT_EQ(Contents(vfs, "src\\a\\b.txt"), Bytes{'b'});
    EXPECT_EQ(Contents(vfs, "f.txt"), Bytes{'f'});
    const std::vector<std::string> texts = Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "f.txt is a file"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "src is a folder"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "src\\a is a folder"), texts.end());
    vfs.Close();
    ExpectSound(path);
}

TEST_F(CPKVfsTest, TheTableGrowsWhenItsLastSpareRecordIsTaken) {
    // An archive with 4,999 records in use (empty deleted records), made by
    // hand: adding one more must grow the table to 10,000 records.
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
    }
    std::string bytes = ReadFile(path);
    CPKHeader h = HeaderOf(path);
    for (uint32_t i = 0; i < 4999; ++i) {
        CPKEntry e{};
        e.crc = i + 1;
        e.flags = kEntryInUse | kEntryDeleted;
        e.offset = 124;
        std::memcpy(&bytes[RecordAt(h, static_cast<int>(i))], &e, sizeof e);
    }
    h.usedCount = 4999;
    h.freeCount = 4999;
    std::memcpy(&bytes[0], &h, sizeof h);
    WriteFile(path, bytes);
    ExpectSound(path);

    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    const uint32_t crc = vfs.AddDirectory("zz", 0);
    ASSERT_NE(crc, kCpkNoCrc);
    EXPECT_EQ(vfs.Header().capacity, 10000u);
    EXPECT_EQ(vfs.Header().usedCount, 5000u);
    EXPECT_EQ(vfs.Header().endOffset, 140124u + 140000u + 2 + 58);
    EXPECT_EQ(vfs.Header().tableOffset, 124u + 2 + 58);
    EXPECT_EQ(ReadFile(path).size(), vfs.Header().endOffset);
    vfs.Close();
    ExpectSound(path);
    CPKVfs reopened(pool);
    ASSERT_EQ(reopened.Open(path), 1);
    EXPECT_GE(reopened.FindEntry(crc), 0);
    // Past the first growth the in-memory table follows the file's.
    for (int i = 0; i < 10; ++i) {
        ASSERT_NE(reopened.AddDirectory("n" + std::to_string(i), 0), kCpkNoCrc);
    }
    reopened.Close();
    ExpectSound(path);
}

TEST_F(CPKVfsTest, AnUncommittedEntryIsDroppedAndLeavesTheArchiveSound) {
    const Bytes text = Pattern(50000, 8);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Create(path), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "zzz", "last", 4, kMethodStored, false), 1);
    CPKEntry source{};
    source.flags = kEntryInUse;
    source.method = kMethodStored;
    source.storedSize = 50000;
    source.originalSize = 50000;
    source.trailerSize = 59;
    // Its bytes land where the table was; then the writer gives up.
    int index = vfs.AddFile("aaa", 0, source);
    ASSERT_GE(index, 0);
    ASSERT_EQ(vfs.WriteEntryData(index, 0, text.data(), 50000), 1);
    // Another change drops it first.
    ASSERT_NE(vfs.AddDirectory("dir", 0), kCpkNoCrc);
    EXPECT_EQ(vfs.CommitEntry(index), 0);
    EXPECT_EQ(vfs.FindEntry(cpkpath::CrcOfPath("aaa")), -1);
    EXPECT_EQ(Contents(vfs, "zzz"), (Bytes{'l', 'a', 's', 't'}));

    index = vfs.AddFile("aab", 0, source);
    ASSERT_GE(index, 0);
    ASSERT_EQ(vfs.WriteEntryData(index, 0, text.data(), 50000), 1);
    ASSERT_EQ(vfs.Close(), 1);  // so does closing
    ExpectSound(path);
    CPKVfs reopened(pool);
    ASSERT_EQ(reopened.Open(path), 1);
    EXPECT_EQ(reopened.Header().liveCount, 2u);
    EXPECT_EQ(reopened.FindEntry(cpkpath::CrcOfPath("aab")), -1);
    EXPECT_EQ(Contents(reopened, "zzz"), (Bytes{'l', 'a', 's', 't'}));
}

TEST_F(CPKVfsTest, EntriesThatLieAboutTheirBytesAreRefused) {
    const Bytes text = Pattern(40000, 9);
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "s", text.data(), 40000, kMethodStored, false), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "z", text.data(), 40000, kMethodLzss, false), 1);
    }
    const std::string good = ReadFile(path);
    const CPKHeader h = HeaderOf(path);
    CPKVfs probe(pool);
    ASSERT_EQ(probe.Open(path), 1);
    const int s = probe.FindEntry(cpkpath::CrcOfPath("s"));
    const int z = probe.FindEntry(cpkpath::CrcOfPath("z"));
    const CPKEntry zEntry = probe.EntryAt(z);
    probe.Close();

    struct Lie {
        const char* what;
        int record;
        size_t field;
        uint32_t value;
        const char* message;
    };
    const Lie lies[] = {
        {"stored size past the table", s, 16, 0x7FFFFFF0u, "lies outside the data region"},
        {"offset in the header", s, 12, 10, "lies outside the data region"},
        {"offset past the file", s, 12, 0xFFFFFF00u, "lies outside the data region"},
        {"trailer past the table", s, 24, 0x10000000u, "lies outside the data region"},
        {"size no stream can reach", z, 20, 0xFFFFFFF0u, "claims"},
        {"stream too short for the size", z, 20, zEntry.originalSize + 1, "could not decompress"},
        {"stream longer than the size", z, 20, zEntry.originalSize - 1, "decompression failed"},
        {"unknown method", z, 6, 3, "could not decompress"},
    };
    for (const Lie& lie : lies) {
        WriteFile(path, good);
        if (lie.field == 6) {
            PatchValue<uint16_t>(path, RecordAt(h, lie.record) + lie.field,
                                 static_cast<uint16_t>(lie.value));
        } else {
            PatchValue(path, RecordAt(h, lie.record) + lie.field, lie.value);
        }
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Open(path), 1) << lie.what;
        size_t before = boxes.count();
        EXPECT_EQ(vfs.OpenEntry(lie.record, 0, 0), nullptr) << lie.what;
        ASSERT_GT(boxes.count(), before) << lie.what;
        bool found = false;
        for (size_t i = before; i < boxes.count(); ++i) {
            found = found || boxes.asked()[i].text.find(lie.message) != std::string::npos;
        }
        EXPECT_TRUE(found) << lie.what << ": " << boxes.asked().back().text;
        EXPECT_EQ(pool.InUse(0), 0) << "the record went back to the pool";
        // The archive stays usable.
        std::string name;
        EXPECT_EQ(vfs.GetFileNameFromCRC(cpkpath::CrcOfPath(lie.record == s ? "z" : "s"), name), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "new", "n", 1, kMethodStored, false), 1) << lie.what;
        EXPECT_EQ(Contents(vfs, "new"), Bytes{'n'});
        EXPECT_EQ(std::memcmp(ReadFile(path).data(), "RST\x1A", 4), 0);
    }
}

TEST_F(CPKVfsTest, AnUnknownMethodFailsBeforeMemoryIsSetAside) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "z", "zzzzzzzzzzzz", 12, kMethodLzss, false), 1);
    }
    const CPKHeader h = HeaderOf(path);
    PatchValue<uint16_t>(path, RecordAt(h, 0) + 6, 868);
    PatchValue<uint32_t>(path, RecordAt(h, 0) + 20, 0xFFFFFD16u);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    EXPECT_EQ(vfs.OpenEntry(0, 0, 0), nullptr);
    EXPECT_NE(Texts().back().find("could not decompress"), std::string::npos);
    // Raw access needs no codec.
    CPKFile* raw = vfs.OpenEntry(0, 0, 1);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->contents, raw->data);
    vfs.CloseEntry(raw);
}

TEST_F(CPKVfsTest, FreeBlocksOutsideTheDataRegionAreNeverReused) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "old", "0123456789", 10, kMethodStored, false), 1);
        ASSERT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("old")), 1);
    }
    const CPKHeader h = HeaderOf(path);
    // The free block now claims to start at the header.
    PatchValue<uint32_t>(path, RecordAt(h, 0) + 12, 0);
    PatchValue<uint32_t>(path, RecordAt(h, 0) + 16, 1000);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "new", "abc", 3, kMethodStored, false), 1);
    vfs.Close();
    EXPECT_EQ(HeaderOf(path).magic, kCpkMagic);
    CPKVfs again(pool);
    ASSERT_EQ(again.Open(path), 1);
    EXPECT_EQ(Contents(again, "new"), (Bytes{'a', 'b', 'c'}));
}

TEST_F(CPKVfsTest, RecordsPastTheUsedCountAreIgnoredAndCleared) {
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "a", "1", 1, kMethodStored, false), 1);
    }
    CPKHeader h = HeaderOf(path);
    // A stray deleted record past usedCount would otherwise enter the free
    // list and be overwritten by the next insertion.
    CPKEntry stray{};
    stray.crc = 0xFFFFFFF0u;
    stray.flags = kEntryInUse | kEntryDeleted;
    stray.offset = 124;
    stray.storedSize = 60;
    Patch(path, RecordAt(h, 1), &stray, sizeof stray);
    EXPECT_FALSE(CheckArchive(path).empty());
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path), 1);
    EXPECT_TRUE(vfs.FreeList().empty());
    ASSERT_EQ(AddEntryFromBuffer(vfs, "b", "2", 1, kMethodStored, false), 1);
    ASSERT_EQ(AddEntryFromBuffer(vfs, "c", "3", 1, kMethodStored, false), 1);
    EXPECT_EQ(Contents(vfs, "a"), Bytes{'1'});
    vfs.Close();
    ExpectSound(path);
}

// Raw equality is what lets the patch builder leave out an unchanged entry
// and the unpacker skip one already merged: every stored byte counts.
TEST_F(CPKVfsTest, SameRawEntryComparesRecordsAndEveryStoredByte) {
    Bytes big = Pattern(300000, 7);
    Bytes changedAtEnd = big;
    changedAtEnd.back() ^= 1;
    std::string other = dir / "other.cpk";
    CPKVfs a(pool), b(pool);
    ASSERT_EQ(a.Create(path), 1);
    ASSERT_EQ(b.Create(other), 1);
    for (CPKVfs* vfs : {&a, &b}) {
        ASSERT_EQ(AddEntryFromBuffer(*vfs, "d\\same", big.data(), static_cast<uint32_t>(big.size()),
                                     kMethodStored, false),
                  1);
        ASSERT_EQ(AddEntryFromBuffer(*vfs, "d\\packed", big.data(),
                                     static_cast<uint32_t>(big.size()), kMethodLzo, false),
                  1);
    }
    ASSERT_EQ(AddEntryFromBuffer(a, "late", big.data(), static_cast<uint32_t>(big.size()),
                                 kMethodStored, false),
              1);
    ASSERT_EQ(AddEntryFromBuffer(b, "late", changedAtEnd.data(),
                                 static_cast<uint32_t>(changedAtEnd.size()), kMethodStored, false),
              1);
    auto at = [](CPKVfs& vfs, const char* inner) {
        return vfs.FindEntry(cpkpath::CrcOfPath(inner));
    };
    EXPECT_TRUE(SameRawEntry(a, at(a, "d\\same"), b, at(b, "d\\same")));
    EXPECT_TRUE(SameRawEntry(a, at(a, "d\\packed"), b, at(b, "d\\packed")));
    EXPECT_TRUE(SameRawEntry(a, at(a, "d"), b, at(b, "d")));
    // The same contents, stored another way, is another entry.
    EXPECT_FALSE(SameRawEntry(a, at(a, "d\\same"), b, at(b, "d\\packed")));
    // One bit, at the very end of a large entry.
    EXPECT_FALSE(SameRawEntry(a, at(a, "late"), b, at(b, "late")));
    // A directory and a file.
    EXPECT_FALSE(SameRawEntry(a, at(a, "d"), b, at(b, "late")));
}

TEST_F(CPKVfsTest, EntriesReadAheadInAnyOrderReadAsTheFileHoldsThem) {
    // Small entries in a few folders (read ahead, and in file order further
    // ahead), a few too large to be read ahead, and the last one right
    // before the table.
    {
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(path), 1);
        ASSERT_EQ(vfs.BeginBatch(), 1);
        for (uint32_t i = 0; i < 400; ++i) {
            const Bytes b = Pattern(i % 50 == 7 ? 70000 + i : 100 + (i * 37) % 9000, i);
            const std::string inner = "d" + std::to_string(i % 7) + "\\f" + std::to_string(i);
            ASSERT_EQ(AddEntryFromBuffer(vfs, inner, b.data(), static_cast<uint32_t>(b.size()),
                                         i % 3 == 0 ? kMethodLzo : kMethodStored, false),
                      1);
        }
        ASSERT_EQ(vfs.CommitBatch(), 1);
    }
    const std::string file = ReadFile(path);
    CPKVfs vfs(pool);
    ASSERT_EQ(vfs.Open(path, CPKOpenMode::kReadOnly), 1);
    std::vector<int> order;
    for (uint32_t i = 0; i < vfs.Header().usedCount; ++i) {
        order.push_back(static_cast<int>(i));
    }
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return vfs.EntryAt(a).offset < vfs.EntryAt(b).offset; });
    auto expectAsFile = [&](const char* pass) {
        for (int index : order) {
            vfs.ReadAhead(index);
            const CPKEntry& e = vfs.EntryAt(index);
            const uint32_t length = e.storedSize + e.trailerSize;
            std::string bytes(length, '\0');
            ASSERT_EQ(vfs.ReadEntryBytes(index, 0, &bytes[0], length), 1) << pass << index;
            ASSERT_EQ(bytes, file.substr(e.offset, length)) << pass << " entry " << index;
            // A piece from its middle, as a comparison reads it.
            std::string piece(length / 3, '\0');
            ASSERT_EQ(vfs.ReadEntryBytes(index, length / 3, &piece[0], length / 3), 1);
            ASSERT_EQ(piece, file.substr(e.offset + length / 3, length / 3)) << pass << index;
        }
    };
    expectAsFile("in file order");
    std::reverse(order.begin(), order.end());
    expectAsFile("backwards");
    std::shuffle(order.begin(), order.end(), std::mt19937(3));
    expectAsFile("shuffled");
    // Every other one forward: each read ahead holds the next one asked for.
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return vfs.EntryAt(a).offset < vfs.EntryAt(b).offset; });
    std::vector<int> skipping;
    for (size_t k = 0; k < order.size(); k += 2) {
        skipping.push_back(order[k]);
    }
    order = skipping;
    expectAsFile("every other");
}

}  // namespace
