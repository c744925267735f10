#include "platform/fs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(FileSystem, BackslashPathsResolveWithoutRegardToCase) {
    TempDir dir;
    ASSERT_TRUE(platform::CreateDirectory(dir / "System"));
    WriteFile(dir / "System\\tagNPCAtt.lst", "npc");
    EXPECT_TRUE(platform::Exists(dir / "system\\TAGNPCATT.LST"));
    EXPECT_TRUE(platform::IsDirectory(dir / "SYSTEM"));
    EXPECT_EQ(ReadFile(dir / "sYsTeM\\tagnpcatt.lst"), "npc");
    EXPECT_EQ(ReadFile(dir / "System/tagNPCAtt.lst"), "npc");  // "/" works too
    // A new file under an existing folder of other case lands in that folder.
    WriteFile(dir / "SYSTEM\\new.txt", "n");
    auto entries = platform::ListDirectory(dir / "System");
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 2u);
    EXPECT_FALSE(platform::Exists(dir / "System\\missing"));
}

TEST(FileSystem, ChineseNamesRoundTrip) {
    TempDir dir;
    std::string name = platform::Utf8ToGbk("补丁包.cpk");
    WriteFile(dir / name, "p");
    EXPECT_EQ(ReadFile(dir / name), "p");
    auto entries = platform::ListDirectory(dir.path());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, name);
    EXPECT_FALSE((*entries)[0].isDirectory);
}

TEST(FileSystem, MoveDeleteAndReadOnly) {
    TempDir dir;
    WriteFile(dir / "a", "1");
    WriteFile(dir / "b", "2");
    EXPECT_FALSE(platform::MoveFile(dir / "a", dir / "b", false));
    EXPECT_EQ(ReadFile(dir / "b"), "2");
    ASSERT_TRUE(platform::MoveFile(dir / "a", dir / "b", true));
    EXPECT_EQ(ReadFile(dir / "b"), "1");
    EXPECT_FALSE(platform::Exists(dir / "a"));

    ASSERT_TRUE(platform::SetReadOnly(dir / "b", true));
    EXPECT_TRUE(*platform::IsReadOnly(dir / "b"));
    ASSERT_TRUE(platform::SetReadOnly(dir / "b", false));
    EXPECT_FALSE(*platform::IsReadOnly(dir / "b"));
    EXPECT_EQ(*platform::FileSize(dir / "b"), 1u);
    ASSERT_TRUE(platform::DeleteFile(dir / "b"));
    EXPECT_FALSE(platform::Exists(dir / "b"));
    EXPECT_FALSE(platform::DeleteFile(dir / "b"));
    EXPECT_FALSE(platform::FileSize(dir / "b"));

    ASSERT_TRUE(platform::CreateDirectory(dir / "d"));
    EXPECT_FALSE(platform::CreateDirectory(dir / "d"));
    EXPECT_FALSE(platform::CreateDirectory(dir / "x\\y"));  // parent missing
    EXPECT_FALSE(platform::DeleteFile(dir / "d"));          // a folder is not a file
    ASSERT_TRUE(platform::DeleteDirectory(dir / "d"));
}

TEST(FileSystem, ProcessPathsAreInSystemForm) {
    std::string self = platform::ModulePath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self.find('/'), std::string::npos);
    EXPECT_NE(self.find("platform_test"), std::string::npos);
    EXPECT_TRUE(platform::Exists(self));

    TempDir dir;
    {
        testsupport::CurrentDirGuard cd(dir.path());
        std::string cwd = platform::CurrentDirectory();
        EXPECT_EQ(cwd.find('/'), std::string::npos);
        WriteFile("rel.txt", "r");  // relative to the new current folder
    }
    EXPECT_EQ(ReadFile(dir / "rel.txt"), "r");
    EXPECT_NE(platform::CurrentDirectory(), dir.path());
}

TEST(FileSystem, FreeSpaceIsReported) {
    TempDir dir;
    auto free = platform::DiskFreeSpace(dir.path());
    ASSERT_TRUE(free) << free.error().Message();
    EXPECT_GT(*free, 0u);
}

}  // namespace
