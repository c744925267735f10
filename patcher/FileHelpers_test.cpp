#include "patcher/FileHelpers.h"

#include <gtest/gtest.h>

#include "platform/fs.h"
#include "platform/msgbox.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(CreateDirectoryChain, CreatesEveryLevelAndIgnoresWhatExists) {
    TempDir dir;
    CreateDirectoryChain(dir / "data\\ui\\skin");
    EXPECT_TRUE(platform::IsDirectory(dir / "data\\ui\\skin"));
    CreateDirectoryChain(dir / "data\\ui\\skin");  // again: no harm
    CreateDirectoryChain(dir / "data\\ui\\other");
    EXPECT_TRUE(platform::IsDirectory(dir / "data\\ui\\other"));
    // "\x81\x5C" is one double-byte character, not a separator.
    CreateDirectoryChain(dir /
                         "a\x81\x5C"
                         "b");
    auto entries = platform::ListDirectory(dir.path());
    ASSERT_TRUE(entries);
    bool sawWhole = false;
    for (const auto& e : *entries) {
        EXPECT_NE(e.name, "a\x81");
        sawWhole = sawWhole || e.name ==
                                   "a\x81\x5C"
                                   "b";
    }
    EXPECT_TRUE(sawWhole);
}

TEST(CreateReplacingFile, ReplacesEvenReadOnlyFilesAndMakesTheFolders) {
    TempDir dir;
    WriteFile(dir / "old.txt", "old contents");
    ASSERT_TRUE(platform::SetReadOnly(dir / "old.txt", true));
    {
        platform::File f = CreateReplacingFile(dir / "old.txt");
        ASSERT_TRUE(f.IsOpen());
        EXPECT_EQ(*f.Size(), 0u);
        ASSERT_TRUE(f.Write("new", 3));
    }
    EXPECT_EQ(ReadFile(dir / "old.txt"), "new");
    {
        platform::File f = CreateReplacingFile(dir / "deep\\er\\new.bin");
        ASSERT_TRUE(f.IsOpen());
    }
    EXPECT_TRUE(platform::Exists(dir / "deep\\er\\new.bin"));
}

TEST(CreateReplacingFile, AFileThatCannotBeDeletedIsReported) {
    TempDir dir;
    // A non-empty folder of that name cannot be deleted as a file.
    WriteFile(dir / "busy\\inside.txt", "x");
    platform::ScriptedMessageBoxes boxes;
    platform::File f = CreateReplacingFile(dir / "busy");
    EXPECT_FALSE(f.IsOpen());
    ASSERT_EQ(boxes.count(), 1u);
    auto asked = boxes.asked()[0];
    EXPECT_EQ(asked.text, "fail to delete file:" + platform::NativePath(dir / "busy"));
    EXPECT_EQ(asked.caption, "error");
    EXPECT_EQ(asked.type, platform::kMbOk);
    EXPECT_EQ(ReadFile(dir / "busy\\inside.txt"), "x");
}

}  // namespace
