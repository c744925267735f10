#include "platform/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/fs.h"
#include "platform/text.h"
#include "platform/writeback.h"
#include "testsupport/temp_dir.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::File;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(File, DispositionsBehaveAsOnWindows) {
    TempDir dir;
    std::string p = dir / "f.bin";
    EXPECT_FALSE(File::Open(p, Access::kRead, platform::kShareRead, Disposition::kOpenExisting));
    EXPECT_TRUE(
        platform::IsNotFound(File::Open(p, Access::kRead, 0, Disposition::kOpenExisting).error()));
    EXPECT_FALSE(File::Open(p, Access::kWrite, 0, Disposition::kTruncateExisting));
    ASSERT_TRUE(File::Open(p, Access::kReadWrite, 0, Disposition::kOpenAlways));
    EXPECT_TRUE(platform::Exists(p));
    EXPECT_TRUE(platform::IsAlreadyExists(
        File::Open(p, Access::kWrite, 0, Disposition::kCreateNew).error()));
    WriteFile(p, "hello");
    ASSERT_TRUE(File::Open(p, Access::kWrite, 0, Disposition::kOpenAlways));
    EXPECT_EQ(ReadFile(p), "hello");  // open-always keeps the contents
    ASSERT_TRUE(File::Open(p, Access::kWrite, 0, Disposition::kCreateAlways));
    EXPECT_EQ(ReadFile(p), "");
    // A folder is not a file.
    EXPECT_FALSE(
        File::Open(dir.path(), Access::kRead, platform::kShareRead, Disposition::kOpenExisting));
}

TEST(File, StdioStreamsReachTheSamePathsAsTheSeam) {
    TempDir dir;
    // A GBK name under a folder spelled in another case than it was made.
    const std::string name = std::string("Maps\\") + GBK("地图") + ".txt";
    WriteFile(dir / name, "old");
    const std::string other = dir / (std::string("MAPS\\") + GBK("地图") + ".txt");
    auto out = platform::OpenStdioFile(other, "wb");
    ASSERT_TRUE(out) << out.error().Message();
    EXPECT_GE(std::fputs("a\nb", *out), 0);
    // Flushed to the disk: what the stream held is in the file before it
    // closes, and so is the folder's name for it.
    ASSERT_TRUE(platform::FlushStdioFile(*out));
    EXPECT_EQ(ReadFile(dir / name), "a\nb");
    EXPECT_EQ(std::fclose(*out), 0);
    EXPECT_TRUE(platform::FlushFolder(dir / "Maps"));
    EXPECT_FALSE(platform::FlushFolder(dir / "no-such-folder"));

    // Text mode writes what the platform's text streams read back.
    auto text = platform::OpenStdioFile(dir / "t.txt", "wt");
    ASSERT_TRUE(text);
    std::fputs("line\n", *text);
    std::fclose(*text);
    auto back = platform::OpenStdioFile(dir / "t.txt", "rt");
    ASSERT_TRUE(back);
    char line[16] = {};
    EXPECT_NE(std::fgets(line, sizeof line, *back), nullptr);
    std::fclose(*back);
    EXPECT_STREQ(line, "line\n");

    auto missing = platform::OpenStdioFile(dir / "no\\such.txt", "wb");
    ASSERT_FALSE(missing);
    EXPECT_TRUE(platform::IsNotFound(missing.error())) << missing.error().code;
}

TEST(File, ReadWriteSeekAndSize) {
    TempDir dir;
    auto f = File::Open(dir / "x", Access::kReadWrite, 0, Disposition::kCreateAlways);
    ASSERT_TRUE(f);
    ASSERT_EQ(*f->Write("0123456789", 10), 10u);
    EXPECT_EQ(*f->Size(), 10u);
    EXPECT_EQ(*f->Seek(4, platform::SeekFrom::kBegin), 4u);
    char buf[16] = {};
    EXPECT_EQ(*f->Read(buf, 3), 3u);
    EXPECT_STREQ(buf, "456");
    EXPECT_EQ(*f->Seek(-2, platform::SeekFrom::kEnd), 8u);
    EXPECT_EQ(*f->Read(buf, sizeof buf), 2u);
    EXPECT_EQ(*f->Read(buf, sizeof buf), 0u);  // end of file

    // Positioned I/O leaves the file position alone.
    ASSERT_EQ(*f->WriteAt(20, "ab", 2), 2u);
    EXPECT_EQ(*f->Size(), 22u);
    std::memset(buf, 0, sizeof buf);
    EXPECT_EQ(*f->ReadAt(19, buf, 10), 3u);
    EXPECT_EQ(buf[0], 0);  // the gap reads as zeros
    EXPECT_EQ(buf[1], 'a');
    EXPECT_EQ(*f->Seek(0, platform::SeekFrom::kCurrent), 10u);

    // Cut the file at the position.
    ASSERT_TRUE(f->Seek(5, platform::SeekFrom::kBegin));
    ASSERT_TRUE(f->SetEndOfFile());
    EXPECT_EQ(*f->Size(), 5u);
    EXPECT_TRUE(f->Flush());
}

TEST(File, RangesCopyBetweenFilesAndStopWhereTheSourceEnds) {
    TempDir dir;
    std::string bytes(3u << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 / 5);
    }
    WriteFile(dir / "from", bytes);
    auto from =
        File::Open(dir / "from", Access::kRead, platform::kShareRead, Disposition::kOpenExisting);
    auto to = File::Open(dir / "to", Access::kReadWrite, 0, Disposition::kCreateAlways);
    ASSERT_TRUE(from && to);
    ASSERT_TRUE(to->Write("head", 4));
    auto copied = platform::CopyFileRange(*from, 100, *to, 10, (2u << 20) + 3);
    ASSERT_TRUE(copied) << copied.error().Message();
    EXPECT_EQ(*copied, (2u << 20) + 3);
    // Past the end of the source: what there is.
    copied = platform::CopyFileRange(*from, bytes.size() - 5, *to, 0, 100);
    ASSERT_TRUE(copied);
    EXPECT_EQ(*copied, 5u);
    EXPECT_EQ(*from->Seek(0, platform::SeekFrom::kCurrent), 0u);  // positions untouched
    EXPECT_EQ(*to->Seek(0, platform::SeekFrom::kCurrent), 4u);
    to->Close();
    const std::string got = ReadFile(dir / "to");
    ASSERT_EQ(got.size(), 10 + (2u << 20) + 3);
    EXPECT_EQ(got.substr(0, 5), bytes.substr(bytes.size() - 5));
    EXPECT_EQ(got.substr(5, 5), std::string(5, '\0'));
    EXPECT_EQ(got.substr(10), bytes.substr(100, (2u << 20) + 3));
}

// Many pieces (more than one system call takes), empty ones among them,
// land one after another at the offset, and the file position stays.
TEST(File, GatheredWritesLandInOrder) {
    TempDir dir;
    std::string p = dir / "g.bin";
    auto f = File::Open(p, Access::kReadWrite, 0, Disposition::kCreateAlways);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Write("head", 4));
    std::vector<std::string> texts;
    for (int i = 0; i < 150; ++i) {
        texts.push_back(i % 7 == 3 ? ""
                                   : std::string(static_cast<size_t>(i % 13 + 1), 'a' + i % 26));
    }
    std::vector<File::Piece> pieces;
    std::string expected;
    for (const std::string& t : texts) {
        pieces.push_back({t.data(), t.size()});
        expected += t;
    }
    auto wrote = f->WriteAtGather(10, pieces.data(), pieces.size());
    ASSERT_TRUE(wrote);
    EXPECT_EQ(*wrote, expected.size());
    ASSERT_TRUE(f->Write("!", 1));  // at the position the first write left
    f->Close();
    EXPECT_EQ(ReadFile(p), std::string("head!") + std::string(5, '\0') + expected);
}

TEST(File, MovedHandlesKeepTheirFile) {
    TempDir dir;
    auto f = File::Open(dir / "m", Access::kReadWrite, 0, Disposition::kCreateAlways);
    ASSERT_TRUE(f);
    File a = std::move(f.value());
    File b;
    b = std::move(a);
    EXPECT_FALSE(a.IsOpen());
    EXPECT_TRUE(b.IsOpen());
    EXPECT_EQ(*b.Write("z", 1), 1u);
    b.Close();
    EXPECT_EQ(ReadFile(dir / "m"), "z");
}

TEST(File, ASecondHandleReachesTheSameFileAndOutlivesTheFirst) {
    TempDir dir;
    EXPECT_FALSE(File().OpenAgain());
    // Shared as an archive open for changing shares itself.
    auto f = File::Open(dir / "a", Access::kReadWrite, platform::kShareRead | platform::kShareWrite,
                        Disposition::kCreateAlways);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->WriteAt(0, "abc", 3));
    auto second = f->OpenAgain();
    ASSERT_TRUE(second) << second.error().Message();
    // Opened anew, not duplicated: its position is its own.
    ASSERT_TRUE(f->Seek(0, platform::SeekFrom::kEnd));
    EXPECT_EQ(*second->Seek(0, platform::SeekFrom::kCurrent), 0u);
    ASSERT_TRUE(second->WriteAt(1, "XY", 2));
    char back[3] = {};
    ASSERT_TRUE(f->ReadAt(0, back, 3));
    EXPECT_EQ(std::string(back, 3), "aXY");
    f->Close();
    ASSERT_TRUE(second->WriteAt(3, "d", 1));
    EXPECT_TRUE(second->Flush());
    second->Close();
    EXPECT_EQ(ReadFile(dir / "a"), "aXYd");
}

TEST(FlushBehind, FlushesWhileTheWriterGoesOnAndStartsAgainOnceDone) {
    TempDir dir;
    platform::FlushBehind flusher;
    EXPECT_FALSE(flusher.Start(File()));  // no second handle to be had
    auto f = File::Open(dir / "f", Access::kReadWrite, platform::kShareRead | platform::kShareWrite,
                        Disposition::kCreateAlways);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->WriteAt(0, "first", 5));
    EXPECT_TRUE(flusher.Start(*f));  // none under way yet
    ASSERT_TRUE(f->WriteAt(5, " second", 7));
    flusher.Wait();
    EXPECT_TRUE(flusher.Start(*f));  // the last one has ended
    // The file may close while the flush goes on.
    f->Close();
    flusher.Wait();
    EXPECT_EQ(ReadFile(dir / "f"), "first second");
}

TEST(FileMapping, ViewsReadAndWriteTheFile) {
    TempDir dir;
    std::string p = dir / "map.bin";
    const uint32_t gran = platform::AllocationGranularity();
    ASSERT_GT(gran, 0u);
    std::string content(gran * 2 + 100, 'a');
    content[gran] = 'B';
    WriteFile(p, content);

    auto f = File::Open(p, Access::kReadWrite, platform::kShareRead, Disposition::kOpenExisting);
    ASSERT_TRUE(f);
    auto m = platform::FileMapping::Create(*f, 0, true);
    ASSERT_TRUE(m) << m.error().Message();
    EXPECT_EQ(m->size(), content.size());
    {
        auto v = m->Map(gran, 100);
        ASSERT_TRUE(v) << v.error().Message();
        EXPECT_EQ(v->data()[0], 'B');
        v->data()[1] = 'C';
        EXPECT_TRUE(v->Flush());
    }
    // An unaligned offset and a view past the end are refused.
    EXPECT_FALSE(m->Map(1, 10));
    EXPECT_FALSE(m->Map(0, content.size() + 1));
    m->Close();
    f->Close();
    std::string back = ReadFile(p);
    EXPECT_EQ(back[gran + 1], 'C');
}

TEST(FileMapping, WritableMappingExtendsTheFile) {
    TempDir dir;
    std::string p = dir / "grow.bin";
    WriteFile(p, "xyz");
    auto f = File::Open(p, Access::kReadWrite, 0, Disposition::kOpenExisting);
    ASSERT_TRUE(f);
    const uint64_t want = platform::AllocationGranularity() * 3ull;
    {
        auto m = platform::FileMapping::Create(*f, want, true);
        ASSERT_TRUE(m) << m.error().Message();
        auto v = m->Map(0, static_cast<size_t>(want));
        ASSERT_TRUE(v);
        EXPECT_EQ(std::memcmp(v->data(), "xyz", 3), 0);
        v->data()[want - 1] = 'E';
    }
    EXPECT_EQ(*f->Size(), want);
    f->Close();
    EXPECT_EQ(ReadFile(p).back(), 'E');
}

TEST(FileMapping, ReadOnlyMappingCannotGrowOrMapEmptyFiles) {
    TempDir dir;
    WriteFile(dir / "small", "abc");
    WriteFile(dir / "empty", "");
    auto f =
        File::Open(dir / "small", Access::kRead, platform::kShareRead, Disposition::kOpenExisting);
    ASSERT_TRUE(f);
    EXPECT_FALSE(platform::FileMapping::Create(*f, 1 << 20, false));
    auto e =
        File::Open(dir / "empty", Access::kRead, platform::kShareRead, Disposition::kOpenExisting);
    ASSERT_TRUE(e);
    EXPECT_FALSE(platform::FileMapping::Create(*e, 0, false));
}

}  // namespace
