// The engine file systems answer the same contract; every case runs on the
// disk one (real files in a temporary folder), the in-memory one and the
// archive one (a real CPK archive on disk).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "cpk/BlockPool.h"
#include "cpk/CPKFormat.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "lumo/CpkFS.h"
#include "lumo/DiskFS.h"
#include "lumo/MemFS.h"
#include "testsupport/temp_dir.h"

namespace {

using Lumo::FHandle;
using Lumo::kNoFile;

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    }
    return s;
}

enum class Kind { kDisk, kMemory, kArchive };

class FileSystems : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        switch (GetParam()) {
            case Kind::kDisk:
                disk_ = new Lumo::DiskFS(dir_.path());
                fs_.reset(disk_);
                break;
            case Kind::kMemory:
                mem_ = new Lumo::MemFS;
                fs_.reset(mem_);
                break;
            case Kind::kArchive: {
                std::string archive = dir_ / "data.cpk";
                {
                    BlockPool pool;
                    CPKVfs vfs(pool);
                    ASSERT_EQ(vfs.Create(archive), 1);
                }
                cpk_ = new Lumo::CpkFS(archive);
                fs_.reset(cpk_);
                ASSERT_TRUE(cpk_->IsOpen());
                break;
            }
        }
    }
    // Places a file under the file system's root, spelled as given. Archive
    // entries take turns at the three methods, so each is read back.
    void Put(const std::string& path, const std::string& bytes) {
        if (disk_) {
            testsupport::WriteFile(dir_ / path, bytes);
        } else if (mem_) {
            mem_->AddFile(path, bytes);
        } else {
            static const uint16_t kMethods[] = {kMethodLzo, kMethodStored, kMethodLzss};
            uint16_t method = kMethods[puts_++ % 3];
            ASSERT_EQ(AddEntryFromBuffer(cpk_->Archive(), path, bytes.data(),
                                         static_cast<uint32_t>(bytes.size()), method,
                                         method == kMethodStored),
                      1);
        }
    }
    size_t OpenCount() const {
        return disk_ ? disk_->OpenCount() : mem_ ? mem_->OpenCount() : cpk_->OpenCount();
    }

    testsupport::TempDir dir_;
    std::unique_ptr<Lumo::IFS> fs_;
    Lumo::DiskFS* disk_ = nullptr;
    Lumo::MemFS* mem_ = nullptr;
    Lumo::CpkFS* cpk_ = nullptr;
    unsigned puts_ = 0;
};

TEST_P(FileSystems, MissingFilesAnswerNoHandleNoSizeNoBytes) {
    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(fs_->Open("System\\none.lst"), kNoFile);
    EXPECT_EQ(fs_->GetSize("System\\none.lst"), Lumo::kMissingFileSize);
    EXPECT_EQ(fs_->LoadFile(buf, sizeof buf, "System\\none.lst"), 0u);
    EXPECT_EQ(fs_->Open(""), kNoFile);
    EXPECT_EQ(fs_->Open(nullptr), kNoFile);
    EXPECT_EQ(fs_->GetSize(nullptr), Lumo::kMissingFileSize);
    EXPECT_EQ(buf[0], 'x');
    // Bad handles are refused, not trusted.
    EXPECT_EQ(fs_->Read(buf, 4, 7), 0u);
    EXPECT_EQ(fs_->Seek(7, 0, 0), Lumo::kSeekFailed);
    EXPECT_EQ(fs_->Tell(kNoFile), Lumo::kSeekFailed);
    fs_->Close(kNoFile);
    fs_->Close(12345);
}

TEST_P(FileSystems, PathsIgnoreLetterCaseAndTakeEitherSeparator) {
    Put("System\\tagNPCAtt.lst", "npc");
    Put("system\\Scripts\\Init.lua", "lua");
    for (const char* spelling :
         {"System\\tagNPCAtt.lst", "SYSTEM\\TAGNPCATT.LST", "system/tagnpcatt.lst"}) {
        EXPECT_EQ(fs_->GetSize(spelling), 3u) << spelling;
        char buf[8] = {};
        EXPECT_EQ(fs_->LoadFile(buf, sizeof buf, spelling), 3u) << spelling;
        EXPECT_EQ(std::string(buf), "npc");
    }
    EXPECT_EQ(fs_->GetSize("System\\scripts\\init.LUA"), 3u);
}

TEST_P(FileSystems, ReadsFollowSeeksSequentiallyAndStopAtTheEnd) {
    Put("a.bin", "0123456789");
    FHandle h = fs_->Open("a.bin");
    ASSERT_NE(h, kNoFile);
    char buf[16] = {};
    EXPECT_EQ(fs_->Read(buf, 3, h), 3u);
    EXPECT_EQ(std::string(buf, 3), "012");
    EXPECT_EQ(fs_->Read(buf, 3, h), 3u);
    EXPECT_EQ(std::string(buf, 3), "345");
    EXPECT_EQ(fs_->Seek(h, 8, Lumo::SEEK_ORIGIN_BEGIN), 8u);
    EXPECT_EQ(fs_->Read(buf, 16, h), 2u);
    EXPECT_EQ(std::string(buf, 2), "89");
    EXPECT_EQ(fs_->Read(buf, 16, h), 0u);

    EXPECT_EQ(fs_->Seek(h, -4, Lumo::SEEK_ORIGIN_END), 6u);
    EXPECT_EQ(fs_->Seek(h, 1, Lumo::SEEK_ORIGIN_CURRENT), 7u);
    EXPECT_EQ(fs_->Tell(h), 7u);
    EXPECT_EQ(fs_->Read(buf, 1, h), 1u);
    EXPECT_EQ(buf[0], '7');
    // Before the start fails and leaves the position; past the end reads nothing.
    EXPECT_EQ(fs_->Seek(h, -1, Lumo::SEEK_ORIGIN_BEGIN), Lumo::kSeekFailed);
    EXPECT_EQ(fs_->Seek(h, 0, 9), Lumo::kSeekFailed);
    EXPECT_EQ(fs_->Tell(h), 8u);
    EXPECT_EQ(fs_->Seek(h, 100, Lumo::SEEK_ORIGIN_BEGIN), 100u);
    EXPECT_EQ(fs_->Read(buf, 4, h), 0u);
    fs_->Close(h);
    EXPECT_EQ(fs_->Read(buf, 4, h), 0u);
}

TEST_P(FileSystems, RecordSizedReadsAcrossALargeFileReturnEveryByte) {
    const std::string content = Pattern(300 * 1000 + 17);
    Put("big.lst", content);
    FHandle h = fs_->Open("big.lst");
    ASSERT_NE(h, kNoFile);
    std::string got;
    std::string rec(1125, '\0');
    for (;;) {
        uint32_t n = fs_->Read(&rec[0], 1125, h);
        got.append(rec, 0, n);
        if (n < 1125) {
            break;
        }
    }
    EXPECT_EQ(got, content);

    // A read larger than any read-ahead after a backward seek.
    std::string whole(content.size(), '\0');
    EXPECT_EQ(fs_->Seek(h, 1000, Lumo::SEEK_ORIGIN_BEGIN), 1000u);
    EXPECT_EQ(fs_->Read(&whole[0], 200000, h), 200000u);
    EXPECT_EQ(whole.substr(0, 200000), content.substr(1000, 200000));
    EXPECT_EQ(fs_->Seek(h, 5, Lumo::SEEK_ORIGIN_BEGIN), 5u);
    char b = 0;
    EXPECT_EQ(fs_->Read(&b, 1, h), 1u);
    EXPECT_EQ(b, content[5]);
    fs_->Close(h);
}

TEST_P(FileSystems, LoadFileNeverWritesPastItsCapacity) {
    Put("s.lua", "print(1)");
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(fs_->LoadFile(buf, 5, "s.lua"), 5u);
    EXPECT_EQ(std::string(buf, 8), "print###");
    EXPECT_EQ(OpenCount(), 0u);
}

// Games load whole files the engine's way: size first, then the file.
TEST_P(FileSystems, LoadFileWithoutACapacityReadsTheWholeFile) {
    Put("s.lua", "print(1)");
    const uint32_t size = fs_->GetSize("s.lua");
    ASSERT_EQ(size, 8u);
    std::string buf(size + 2, '#');
    EXPECT_EQ(fs_->LoadFile(&buf[0], "S.LUA"), 8u);
    EXPECT_EQ(buf, "print(1)##");
    EXPECT_EQ(fs_->LoadFile(&buf[0], "none.lua"), 0u);
    // Through the concrete types as well: their overrides do not hide it.
    buf.assign(size, '#');
    const uint32_t loaded = disk_  ? disk_->LoadFile(&buf[0], "s.lua")
                            : mem_ ? mem_->LoadFile(&buf[0], "s.lua")
                                   : cpk_->LoadFile(&buf[0], "s.lua");
    EXPECT_EQ(loaded, 8u);
    EXPECT_EQ(buf, "print(1)");
    EXPECT_EQ(OpenCount(), 0u);
}

TEST_P(FileSystems, HandlesAreIndependentAndReusedAfterClose) {
    Put("a", "aaaa");
    Put("b", "bbbb");
    FHandle a = fs_->Open("a");
    FHandle b = fs_->Open("b");
    ASSERT_NE(a, kNoFile);
    ASSERT_NE(b, kNoFile);
    EXPECT_NE(a, b);
    char c = 0;
    fs_->Read(&c, 1, a);
    EXPECT_EQ(c, 'a');
    fs_->Read(&c, 1, b);
    EXPECT_EQ(c, 'b');
    EXPECT_EQ(fs_->Tell(a), 1u);
    EXPECT_EQ(OpenCount(), 2u);
    fs_->Close(a);
    fs_->Close(a);
    EXPECT_EQ(OpenCount(), 1u);
    FHandle again = fs_->Open("a");
    EXPECT_EQ(again, a);
    EXPECT_EQ(fs_->Tell(again), 0u);
    fs_->Close(again);
    fs_->Close(b);
    EXPECT_EQ(OpenCount(), 0u);
}

TEST_P(FileSystems, EmptyFileOpensWithSizeZero) {
    Put("empty.lst", "");
    FHandle h = fs_->Open("empty.lst");
    ASSERT_NE(h, kNoFile);
    EXPECT_EQ(fs_->GetSize("empty.lst"), 0u);
    char c;
    EXPECT_EQ(fs_->Read(&c, 1, h), 0u);
    fs_->Close(h);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FileSystems,
                         ::testing::Values(Kind::kDisk, Kind::kMemory, Kind::kArchive),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return info.param == Kind::kDisk     ? std::string("Disk")
                                    : info.param == Kind::kMemory ? std::string("Memory")
                                                                  : std::string("Archive");
                         });

TEST(CpkFS, FoldersAreNotFilesAndMissingArchivesOpenNothing) {
    testsupport::TempDir dir;
    std::string archive = dir / "data.cpk";
    {
        BlockPool pool;
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(archive), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "System\\x.txt", "x", 1, kMethodStored, false), 1);
    }
    Lumo::CpkFS fs(archive);
    ASSERT_TRUE(fs.IsOpen());
    EXPECT_EQ(fs.Open("System"), kNoFile);
    EXPECT_EQ(fs.GetSize("system\\"), Lumo::kMissingFileSize);
    EXPECT_EQ(fs.GetSize("\\System\\X.TXT"), 1u);

    Lumo::CpkFS none(dir / "none.cpk");
    EXPECT_FALSE(none.IsOpen());
    EXPECT_EQ(none.Open("System\\x.txt"), kNoFile);
    EXPECT_EQ(none.GetSize("System\\x.txt"), Lumo::kMissingFileSize);
}

TEST(DiskFS, FoldersAreNotFilesAndAbsolutePathsIgnoreTheRoot) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "System\\x.txt", "x");
    Lumo::DiskFS fs(dir.path() + "\\");
    EXPECT_EQ(fs.GetRoot(), dir.path());
    EXPECT_EQ(fs.Open("System"), kNoFile);
    EXPECT_EQ(fs.GetSize("system"), Lumo::kMissingFileSize);

    Lumo::DiskFS elsewhere(dir.path() + "\\System");
    EXPECT_EQ(elsewhere.GetSize("x.txt"), 1u);
    EXPECT_EQ(elsewhere.GetSize((dir / "System\\X.TXT").c_str()), 1u);
}

TEST(MemFS, OpenHandlesKeepTheContentsTheyOpened) {
    Lumo::MemFS fs;
    fs.AddFile("a.txt", "old");
    FHandle h = fs.Open("A.TXT");
    fs.AddFile("a.txt", "newer");
    fs.RemoveFile("a.TXT");
    EXPECT_EQ(fs.GetSize("a.txt"), Lumo::kMissingFileSize);
    char buf[8] = {};
    EXPECT_EQ(fs.Read(buf, sizeof buf, h), 3u);
    EXPECT_EQ(std::string(buf), "old");
    fs.Close(h);
}

}  // namespace
