// Failures thrown inside the library must reach the game's handlers: the
// exception crosses from Talvane (and its type from Lumo) into this program.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "framework/FsFile.h"
#include "lumo/Exception.h"
#include "lumo/MemFS.h"

namespace {

TEST(FsFile, OpenOrThrowThrowsTheEngineExceptionAcrossTheLibraryBoundary) {
    Lumo::MemFS fs;
    bool caught = false;
    try {
        GFC::FsFile::OpenOrThrow(&fs, "System\\none.gmb", "GameMap open file failed.",
                                 ".\\gamesys\\GameMap", 120);
    } catch (const Lumo::Exception& e) {
        caught = true;
        EXPECT_STREQ(e.GetMsg(), "GameMap open file failed.");
        EXPECT_STREQ(e.GetDetail(), "System\\none.gmb");
        EXPECT_STREQ(e.GetSrcFile(), ".\\gamesys\\GameMap");
        EXPECT_EQ(e.GetLine(), 120);
    }
    EXPECT_TRUE(caught);

    // The same exception is a std::exception to a generic handler.
    try {
        GFC::FsFile::OpenOrThrow(&fs, "x", "Nav file open failed", ".\\gamesys\\GNavMap", 1);
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Nav file open failed (x)");
    }
    EXPECT_THROW(GFC::FsFile::OpenOrThrow(nullptr, "x", "m", "f", 1), Lumo::Exception);
}

TEST(FsFile, ClosesItsHandleAndMovesOwnership) {
    Lumo::MemFS fs;
    fs.AddFile("a", "abcdef");
    {
        GFC::FsFile f = GFC::FsFile::OpenOrThrow(&fs, "A", "m", "f", 1);
        EXPECT_EQ(fs.OpenCount(), 1u);
        GFC::FsFile moved(std::move(f));
        EXPECT_FALSE(f.IsOpen());
        EXPECT_EQ(f.Read(nullptr, 1), 0u);
        char buf[4] = {};
        EXPECT_TRUE(moved.SeekTo(2));
        EXPECT_TRUE(moved.ReadAll(buf, 3));
        EXPECT_EQ(std::string(buf, 3), "cde");
        EXPECT_FALSE(moved.ReadAll(buf, 3));
        GFC::FsFile other(&fs, "a");
        other = std::move(moved);
        EXPECT_EQ(fs.OpenCount(), 1u);
    }
    EXPECT_EQ(fs.OpenCount(), 0u);
    GFC::FsFile missing(&fs, "b");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.SeekTo(0));
}

}  // namespace
