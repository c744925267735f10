#include "cpk/CPKCheck.h"

#include <gtest/gtest.h>

#include <cstring>

#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "platform/msgbox.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::WriteFile;

// Builds a small sound archive and answers its bytes and records.
struct Sample {
    std::string bytes;
    CPKHeader header{};
    std::vector<CPKEntry> records;
    int Index(const std::string& inner) const {
        for (size_t i = 0; i < records.size(); ++i) {
            if (records[i].crc == cpkpath::CrcOfPath(inner) && IsLive(records[i])) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

Sample MakeSample(const std::string& path) {
    BlockPool pool;
    CPKVfs vfs(pool);
    EXPECT_EQ(vfs.Create(path), 1);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "dir\\a.txt", "alpha", 5, kMethodStored, false), 1);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "dir\\sub\\b.bin", "bbbbbbbbbbbb", 12, kMethodLzss, false),
              1);
    EXPECT_EQ(AddEntryFromBuffer(vfs, "gone", "x", 1, kMethodStored, false), 1);
    EXPECT_EQ(vfs.RemoveByCRC(cpkpath::CrcOfPath("gone")), 1);
    Sample s;
    s.header = vfs.Header();
    for (uint32_t i = 0; i < s.header.usedCount; ++i) {
        s.records.push_back(vfs.EntryAt(static_cast<int>(i)));
    }
    vfs.Close();
    s.bytes = ReadFile(path);
    return s;
}

template <typename T>
std::string With(std::string bytes, size_t offset, T value) {
    std::memcpy(&bytes[offset], &value, sizeof value);
    return bytes;
}

TEST(CheckArchive, NamesEachBrokenInvariant) {
    platform::ScriptedMessageBoxes boxes;  // the checker shows none
    testsupport::TempDir dir;
    const std::string path = dir / "c.cpk";
    const Sample s = MakeSample(path);
    ASSERT_EQ(CheckArchive(path), std::vector<std::string>{});

    const size_t table = s.header.tableOffset;
    auto record = [&](int i) { return table + static_cast<size_t>(i) * kCpkEntrySize; };
    const int a = s.Index("dir\\a.txt");
    const int b = s.Index("dir\\sub\\b.bin");
    const int d = s.Index("dir");
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_GE(d, 0);
    struct Case {
        const char* what;
        std::string bytes;
        const char* expect;
    };
    const Case cases[] = {
        {"magic", With<uint32_t>(s.bytes, 0, 0x12345678), "the magic is 0x12345678"},
        {"live count", With<uint32_t>(s.bytes, 16, 9), "liveCount is 9 but 4 records are live"},
        {"free count", With<uint32_t>(s.bytes, 36, 0), "freeCount is 0 but 1 records"},
        {"end offset", With<uint32_t>(s.bytes, 40, s.header.endOffset + 28), "endOffset"},
        {"order", With<uint32_t>(s.bytes, record(0), 0xFFFFFFFFu), "out of order"},
        {"crc", With<uint32_t>(s.bytes, record(a), s.records[a].crc + 1), "its path hashes to"},
        {"parent", With<uint32_t>(s.bytes, record(b) + 8, 0x11111111u), "is not a live directory"},
        {"overlap", With<uint32_t>(s.bytes, record(a) + 12, s.records[b].offset + 1), "overlap"},
        {"region", With<uint32_t>(s.bytes, record(a) + 16, 0x01000000u),
         "lies outside the data region"},
        {"directory", With<uint32_t>(s.bytes, record(d) + 20, 5), "has contents or a method"},
        {"method", With<uint16_t>(s.bytes, record(a) + 6, 3), "unknown method 3"},
        {"stored", With<uint32_t>(s.bytes, record(a) + 20, 6), "5 stored and 6 original"},
        {"trailer", With<uint32_t>(s.bytes, record(a) + 24, 60), "a trailer of 60 bytes, not 63"},
        {"beyond", With<uint32_t>(s.bytes, record(static_cast<int>(s.header.usedCount)), 7),
         "past usedCount is not empty"},
        {"short", s.bytes.substr(0, s.bytes.size() - 1), "runs past the end of the file"},
        {"header", s.bytes.substr(0, 100), "shorter than the 124-byte header"},
    };
    for (const Case& c : cases) {
        WriteFile(path, c.bytes);
        std::vector<std::string> problems = CheckArchive(path);
        bool found = false;
        for (const auto& p : problems) {
            found = found || p.find(c.expect) != std::string::npos;
        }
        EXPECT_TRUE(found) << c.what << ": " << ::testing::PrintToString(problems);
    }
    EXPECT_EQ(boxes.count(), 0u);
    EXPECT_EQ(CheckArchive(dir / "missing.cpk").size(), 1u);
    // What a change cut short leaves past the table is no fault.
    WriteFile(path, s.bytes + std::string(300, '\x7F'));
    EXPECT_EQ(CheckArchive(path), std::vector<std::string>{});
}

}  // namespace
