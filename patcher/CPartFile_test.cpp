// Partial files: the segment table, the trailer rules, and the file on disk
// through open, write, save, close and finish.
#include "patcher/CPartFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

std::string TrailerBytes(const PartTrailer& t) {
    uint8_t bytes[kPartTrailerSize];
    EncodePartTrailer(t, bytes);
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
}

// A partial file on disk: data followed by the trailer.
void WritePartial(const std::string& finalName, const std::string& data, const PartTrailer& t) {
    WriteFile(CPartFile::PartPath(finalName), data + TrailerBytes(t));
}

DataBlock Block(uint32_t segment, uint32_t offset, const std::string& bytes) {
    DataBlock b{};
    b.segment = segment;
    b.fileOffset = offset;
    b.length = static_cast<uint32_t>(bytes.size());
    std::memcpy(b.data, bytes.data(), bytes.size());
    return b;
}

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>('a' + i % 26);
    }
    return s;
}

TEST(PartTrailer, NewTableSplitsEvenlyWithTheRemainderLast) {
    PartTrailer t = NewPartTrailer("download\\a.cpk", 10, 3);
    ASSERT_EQ(t.segmentCount, 3u);
    EXPECT_EQ(t.magic, kPartMagic);
    EXPECT_STREQ(t.name, "download\\a.cpk");
    uint32_t starts[] = {0, 3, 6}, lengths[] = {3, 3, 4};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.segment[i].index, static_cast<uint32_t>(i));
        EXPECT_EQ(t.segment[i].start, starts[i]);
        EXPECT_EQ(t.segment[i].length, lengths[i]);
        EXPECT_EQ(t.segment[i].received, 0u);
    }
    // Tiny files: segments of length 0 still tile the file.
    PartTrailer tiny = NewPartTrailer("x", 2, 3);
    EXPECT_EQ(tiny.segment[2].length, 2u);
    uint8_t bytes[kPartTrailerSize];
    EncodePartTrailer(tiny, bytes);
    PartTrailer back{};
    EXPECT_TRUE(DecodePartTrailer(bytes, sizeof bytes, 2 + kPartTrailerSize, back));
}

TEST(PartTrailer, ResplitTakesTheSegmentWithTheMostMissingBytes) {
    PartTrailer t = NewPartTrailer("x", 100, 1);
    t.segment[0].received = 40;
    t.received = 40;
    ResplitPartTrailer(t, 3);
    ASSERT_EQ(t.segmentCount, 3u);
    EXPECT_EQ(t.segment[0].start, 0u);
    EXPECT_EQ(t.segment[0].length, 55u);
    EXPECT_EQ(t.segment[0].received, 40u);
    EXPECT_EQ(t.segment[1].start, 70u);
    EXPECT_EQ(t.segment[1].length, 30u);
    EXPECT_EQ(t.segment[2].index, 2u);
    EXPECT_EQ(t.segment[2].start, 55u);
    EXPECT_EQ(t.segment[2].length, 15u);
    // The result is still a valid trailer (the segments tile the file out of
    // offset order).
    uint8_t bytes[kPartTrailerSize];
    EncodePartTrailer(t, bytes);
    PartTrailer back{};
    EXPECT_TRUE(DecodePartTrailer(bytes, sizeof bytes, 100 + kPartTrailerSize, back));

    // Nothing left to split: the table stays.
    PartTrailer full = NewPartTrailer("x", 100, 1);
    full.segment[0].received = 99;
    ResplitPartTrailer(full, 3);
    EXPECT_EQ(full.segmentCount, 1u);
}

TEST(PartTrailer, DecodeRefusesEveryBrokenRule) {
    const uint32_t size = 90;
    PartTrailer good = NewPartTrailer("download\\p.cpk", size, 3);
    good.segment[1].received = 10;
    good.received = 10;
    const uint64_t length = size + kPartTrailerSize;
    PartTrailer out{};
    {
        uint8_t b[kPartTrailerSize];
        EncodePartTrailer(good, b);
        ASSERT_TRUE(DecodePartTrailer(b, sizeof b, length, out));
        EXPECT_EQ(out.segment[1].received, 10u);
        EXPECT_FALSE(DecodePartTrailer(b, sizeof b - 1, length, out)) << "short";
        EXPECT_FALSE(DecodePartTrailer(b, sizeof b, length + 1, out)) << "file length";
    }
    struct Case {
        const char* what;
        void (*breakIt)(PartTrailer&);
    };
    const Case cases[] = {
        {"magic", [](PartTrailer& t) { t.magic = 5679; }},
        {"received over size", [](PartTrailer& t) { t.received = 91; }},
        {"no segments", [](PartTrailer& t) { t.segmentCount = 0; }},
        {"four segments", [](PartTrailer& t) { t.segmentCount = 4; }},
        {"index", [](PartTrailer& t) { t.segment[2].index = 1; }},
        {"segment received over length", [](PartTrailer& t) { t.segment[0].received = 31; }},
        {"lengths short of size", [](PartTrailer& t) { t.segment[2].length = 29; }},
        {"overlap", [](PartTrailer& t) { t.segment[1].start = 29; }},
        {"gap",
         [](PartTrailer& t) {
             t.segment[0].length = 29;
             t.segment[2].length = 31;
         }},
        {"unterminated name", [](PartTrailer& t) { std::memset(t.name, 'n', kPartNameBytes); }},
    };
    for (const Case& c : cases) {
        PartTrailer t = good;
        c.breakIt(t);
        uint8_t b[kPartTrailerSize];
        EncodePartTrailer(t, b);
        EXPECT_FALSE(DecodePartTrailer(b, sizeof b, length, out)) << c.what;
    }
    // A size beyond the 32-bit signed range.
    PartTrailer huge = NewPartTrailer("x", 0x80000000u, 1);
    uint8_t b[kPartTrailerSize];
    EncodePartTrailer(huge, b);
    EXPECT_FALSE(DecodePartTrailer(b, sizeof b, 0x80000000ull + kPartTrailerSize, out));
}

TEST(PartTrailer, BlocksMustContinueTheirSegment) {
    PartTrailer t = NewPartTrailer("x", 30, 3);
    t.segment[1].received = 4;
    EXPECT_TRUE(BlockFits(t, Block(1, 14, "abcdef")));
    EXPECT_FALSE(BlockFits(t, Block(1, 10, "abcdef"))) << "rewrites counted bytes";
    EXPECT_FALSE(BlockFits(t, Block(1, 15, "abcdef"))) << "leaves a hole";
    EXPECT_FALSE(BlockFits(t, Block(1, 14, "abcdefg"))) << "runs into the next segment";
    EXPECT_FALSE(BlockFits(t, Block(3, 14, "a"))) << "no such segment";
    EXPECT_TRUE(BlockFits(t, Block(kNoSegment, 25, "abcde")));
    EXPECT_FALSE(BlockFits(t, Block(kNoSegment, 26, "abcde"))) << "past the data";
}

class PartFileOnDisk : public ::testing::Test {
protected:
    TempDir dir_;
    std::string final_ = dir_ / "download\\p.cpk";
};

TEST_F(PartFileOnDisk, CreateWriteCloseResumeAndFinish) {
    const std::string data = Pattern(30);
    {
        CPartFile part;
        int segments = 3;
        ASSERT_TRUE(part.Open(final_, 30, segments));
        EXPECT_EQ(segments, 3);
        // The new file already holds the data region and the trailer.
        EXPECT_EQ(ReadFile(CPartFile::PartPath(final_)).size(), 30 + kPartTrailerSize);
        EXPECT_TRUE(part.Write(Block(0, 0, data.substr(0, 4))));
        EXPECT_TRUE(part.Write(Block(2, 20, data.substr(20, 10))));
        EXPECT_FALSE(part.Write(Block(2, 20, data.substr(20, 1)))) << "segment complete";
        EXPECT_EQ(part.received(), 14u);
        EXPECT_FALSE(part.IsComplete());
        EXPECT_TRUE(part.Close());
        EXPECT_FALSE(platform::Exists(final_));
    }
    {
        CPartFile part;
        int segments = 3;
        ASSERT_TRUE(part.Open(final_, 999, segments)) << "the stored size wins";
        EXPECT_EQ(part.trailer().size, 30u);
        EXPECT_EQ(part.received(), 14u);
        EXPECT_EQ(part.trailer().segment[0].received, 4u);
        EXPECT_EQ(part.trailer().segment[2].received, 10u);
        EXPECT_TRUE(part.Write(Block(0, 4, data.substr(4, 6))));
        EXPECT_TRUE(part.Write(Block(1, 10, data.substr(10, 10))));
        EXPECT_TRUE(part.IsComplete());
        EXPECT_TRUE(part.Close());
    }
    EXPECT_EQ(ReadFile(final_), data);
    EXPECT_FALSE(platform::Exists(CPartFile::PartPath(final_)));
}

// What was written reads back; bytes not yet written, or a read running
// past one segment's bytes into the next, do not.
TEST_F(PartFileOnDisk, OnlyWrittenBytesReadBack) {
    const std::string data = Pattern(30);
    CPartFile part;
    int segments = 3;
    ASSERT_TRUE(part.Open(final_, 30, segments));
    ASSERT_TRUE(part.Write(Block(0, 0, data.substr(0, 10))));
    ASSERT_TRUE(part.Write(Block(1, 10, data.substr(10, 4))));
    char got[10] = {};
    ASSERT_TRUE(part.ReadWritten(2, got, 8));
    EXPECT_EQ(std::string(got, 8), data.substr(2, 8));
    ASSERT_TRUE(part.ReadWritten(10, got, 4));
    EXPECT_EQ(std::string(got, 4), data.substr(10, 4));
    EXPECT_FALSE(part.ReadWritten(10, got, 5)) << "past segment 1's bytes";
    EXPECT_FALSE(part.ReadWritten(8, got, 4)) << "across two segments";
    EXPECT_FALSE(part.ReadWritten(20, got, 1)) << "segment 2 has nothing";
    EXPECT_TRUE(part.Close());
    EXPECT_FALSE(part.ReadWritten(0, got, 1)) << "closed";
}

TEST_F(PartFileOnDisk, SegmentCountsOutsideOneToThreeFail) {
    CPartFile part;
    int none = 0, four = 4;
    EXPECT_FALSE(part.Open(final_, 10, none));
    EXPECT_FALSE(part.Open(final_, 10, four));
    EXPECT_FALSE(platform::Exists(CPartFile::PartPath(final_)));
}

TEST_F(PartFileOnDisk, ReceivedIsCorrectedToTheSegmentsSum) {
    PartTrailer t = NewPartTrailer(final_, 30, 3);
    t.segment[0].received = 5;
    t.segment[1].received = 7;
    t.received = 3;  // less than the segments hold
    WritePartial(final_, Pattern(30), t);
    CPartFile part;
    int segments = 3;
    ASSERT_TRUE(part.Open(final_, 30, segments));
    EXPECT_EQ(part.received(), 12u);
}

TEST_F(PartFileOnDisk, MoreSegmentsWantedResplitsAndReportsTheCount) {
    PartTrailer t = NewPartTrailer(final_, 100, 1);
    t.segment[0].received = 40;
    t.received = 40;
    WritePartial(final_, Pattern(100), t);
    CPartFile part;
    int segments = 3;
    ASSERT_TRUE(part.Open(final_, 100, segments));
    EXPECT_EQ(segments, 3);
    EXPECT_EQ(part.trailer().segment[2].start, 55u);

    // Fewer wanted than the file holds: the file's count stands.
    part.Close();
    CPartFile again;
    int one = 1;
    ASSERT_TRUE(again.Open(final_, 100, one));
    EXPECT_EQ(one, 3);
}

TEST_F(PartFileOnDisk, AFileWhoseTrailerCountsEveryByteIsFinishedOnOpen) {
    const std::string data = Pattern(30);
    PartTrailer t = NewPartTrailer(final_, 30, 3);
    for (int i = 0; i < 3; ++i) {
        t.segment[i].received = t.segment[i].length;
    }
    t.received = 30;
    WritePartial(final_, data, t);
    CPartFile part;
    int segments = 3;
    ASSERT_TRUE(part.Open(final_, 30, segments));
    EXPECT_FALSE(part.IsOpen());
    EXPECT_EQ(ReadFile(final_), data);
    EXPECT_FALSE(platform::Exists(CPartFile::PartPath(final_)));
}

// A kill between cutting the trailer off and the move leaves exactly the
// data: the next start moves it on instead of fetching it again.
TEST_F(PartFileOnDisk, AFileCutToItsDataIsMovedOnOpen) {
    const std::string data = Pattern(30);
    WriteFile(CPartFile::PartPath(final_), data);
    CPartFile part;
    int segments = 3;
    ASSERT_TRUE(part.Open(final_, 30, segments));
    EXPECT_FALSE(part.IsOpen());
    EXPECT_EQ(ReadFile(final_), data);
    EXPECT_FALSE(platform::Exists(CPartFile::PartPath(final_)));
    // Of another length it is only damaged: made anew.
    WriteFile(CPartFile::PartPath(dir_ / "b.cpk"), data);
    CPartFile other;
    ASSERT_TRUE(other.Open(dir_ / "b.cpk", 31, segments));
    EXPECT_TRUE(other.IsOpen());
    EXPECT_EQ(other.received(), 0u);
    EXPECT_FALSE(platform::Exists(dir_ / "b.cpk"));
}

TEST_F(PartFileOnDisk, FinishingFailsWhenTheFinalFileExists) {
    WriteFile(final_, "already here");
    CPartFile part;
    int segments = 1;
    ASSERT_TRUE(part.Open(final_, 6, segments));
    ASSERT_TRUE(part.Write(Block(0, 0, "abcdef")));
    EXPECT_FALSE(part.Close());
    EXPECT_EQ(ReadFile(final_), "already here");
    // The partial file stays, cut to its data.
    EXPECT_EQ(ReadFile(CPartFile::PartPath(final_)), "abcdef");
}

TEST_F(PartFileOnDisk, ADamagedOrForeignPartialFileStartsAfresh) {
    const char* damaged[] = {"", "short", nullptr};
    for (const char* bytes : damaged) {
        std::string contents;
        if (bytes) {
            contents = bytes;
        } else {
            PartTrailer t = NewPartTrailer(final_, 30, 3);
            t.segment[0].received = 10;
            t.received = 10;
            contents = Pattern(31) + TrailerBytes(t);  // one byte too many
        }
        WriteFile(CPartFile::PartPath(final_), contents);
        CPartFile part;
        int segments = 2;
        ASSERT_TRUE(part.Open(final_, 30, segments));
        EXPECT_EQ(segments, 2);
        EXPECT_EQ(part.received(), 0u);
        EXPECT_EQ(part.trailer().segment[1].start, 15u);
        part.Close();
        EXPECT_EQ(ReadFile(CPartFile::PartPath(final_)).size(), 30 + kPartTrailerSize);
    }
}

TEST_F(PartFileOnDisk, FinishMovesToTheNameGivenNotTheOneStored) {
    // A trailer naming a file elsewhere is only a record: the finished file
    // lands where the caller asked.
    PartTrailer t = NewPartTrailer(dir_ / "elsewhere.bin", 4, 1);
    t.segment[0].received = 4;
    t.received = 4;
    WritePartial(final_, "wxyz", t);
    CPartFile part;
    int segments = 1;
    ASSERT_TRUE(part.Open(final_, 4, segments));
    EXPECT_EQ(ReadFile(final_), "wxyz");
    EXPECT_FALSE(platform::Exists(dir_ / "elsewhere.bin"));
}

TEST_F(PartFileOnDisk, TheTrailerOnDiskCountsOnlyWrittenBytes) {
    const std::string data = Pattern(20000);
    CPartFile part;
    int segments = 2;
    ASSERT_TRUE(part.Open(final_, 20000, segments));
    ASSERT_TRUE(part.Write(Block(0, 0, data.substr(0, 8192))));
    ASSERT_TRUE(part.Write(Block(1, 10000, data.substr(10000, 100))));
    ASSERT_TRUE(part.Save());
    // What another process sees now: every counted byte is in place.
    std::string disk = ReadFile(CPartFile::PartPath(final_));
    ASSERT_EQ(disk.size(), 20000 + kPartTrailerSize);
    PartTrailer t{};
    ASSERT_TRUE(DecodePartTrailer(reinterpret_cast<const uint8_t*>(disk.data()) + 20000,
                                  kPartTrailerSize, disk.size(), t));
    EXPECT_EQ(t.received, 8292u);
    for (uint32_t i = 0; i < t.segmentCount; ++i) {
        EXPECT_EQ(disk.substr(t.segment[i].start, t.segment[i].received),
                  data.substr(t.segment[i].start, t.segment[i].received));
    }
}

}  // namespace
