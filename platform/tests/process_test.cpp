#include "platform/process.h"

#include <gtest/gtest.h>

#include "helper_path.h"
#include "platform/clock.h"
#include "platform/fs.h"

namespace {

TEST(Process, StartsWaitsAndReadsTheExitCode) {
    auto p = platform::StartProgram(HelperProgram(), {"exit", "7"}, "");
    ASSERT_TRUE(p) << p.error().Message();
    EXPECT_GT(p->id(), 0u);
    EXPECT_EQ(p->Wait(20000), 7);
    EXPECT_EQ(p->Wait(0), 7);  // asking again answers the same
}

TEST(Process, WaitTimesOutAndKillEnds) {
    auto p = platform::StartProgram(HelperProgram(), {"sleep", "30000"}, "");
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->Wait(50).has_value());
    EXPECT_TRUE(platform::IsProgramRunning("platform_test_helper"));
    p->Kill();
    EXPECT_TRUE(p->Wait(20000).has_value());
}

TEST(Process, RunsInTheGivenFolderWithArgumentsIntact) {
    testsupport::TempDir dir;
    auto p = platform::StartProgram(HelperProgram(), {"write", "out.txt", "two words"}, dir.path());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Wait(20000), 0);
    EXPECT_EQ(testsupport::ReadFile(dir / "out.txt"), "two words");
}

TEST(Process, MissingProgramFailsToStart) {
    EXPECT_FALSE(platform::StartProgram(testsupport::ProgramDir() + "\\no-such-program", {}, ""));
    EXPECT_FALSE(platform::IsProgramRunning("no-such-program-name-8d1f"));
}

}  // namespace
