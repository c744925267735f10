#include "platform/process.h"

#include <gtest/gtest.h>

#include "helper_path_test.h"
#include "platform/clock.h"
#include "platform/fs.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// How long a child may take to start and end; the waits return as soon as it
// has ended, so the limit only ends a broken test.
constexpr int kExitWaitMs = 120000;

// A copy of the helper program in dir, under a name no other process on the
// machine has, so that IsProgramRunning can only find the test's own child.
std::string PrivateHelper(const testsupport::TempDir& dir) {
    std::string name = "helper-" + std::to_string(platform::CurrentProcessId());
#ifdef _WIN32
    name += ".exe";
#endif
    const std::string copy = dir / name;
    testsupport::WriteFile(copy, testsupport::ReadFile(HelperProgram()));
#ifndef _WIN32
    EXPECT_EQ(::chmod(platform::NativePath(copy).c_str(), 0700), 0);
#endif
    return copy;
}

TEST(Process, StartsWaitsAndReadsTheExitCode) {
    auto p = platform::StartProgram(HelperProgram(), {"exit", "7"}, "");
    ASSERT_TRUE(p) << p.error().Message();
    EXPECT_GT(p->id(), 0u);
    EXPECT_EQ(p->Wait(kExitWaitMs).value_or(-1), 7);
    EXPECT_EQ(p->Wait(0).value_or(-1), 7);  // asking again answers the same

    // Moved, the process is still the same one; the empty owner has none.
    platform::Process moved = std::move(*p);
    EXPECT_EQ(moved.Wait(0).value_or(-1), 7);
    auto none = p->Wait(0);
    ASSERT_FALSE(none);
    EXPECT_FALSE(platform::IsTimedOut(none.error()));
}

TEST(Process, WaitTimesOutAndKillEnds) {
    testsupport::TempDir dir;
    const std::string helper = PrivateHelper(dir);
    // The temporary folder's name is unique on the machine.
    const std::string unique = dir.path().substr(dir.path().find_last_of('\\'));
    EXPECT_FALSE(platform::IsProgramRunning(unique));
    {
        auto p = platform::StartProgram(helper, {"sleep", "600000"}, "");
        ASSERT_TRUE(p) << p.error().Message();
        auto running = p->Wait(50);
        ASSERT_FALSE(running);
        EXPECT_TRUE(platform::IsTimedOut(running.error())) << running.error().code;
        // A child just created may not show its program path yet.
        const uint64_t end = platform::TickCount64() + kExitWaitMs;
        while (!platform::IsProgramRunning(unique) && platform::TickCount64() < end) {
            platform::SleepMs(10);
        }
        EXPECT_TRUE(platform::IsProgramRunning(unique));
        p->Kill();
        EXPECT_TRUE(p->Wait(kExitWaitMs));
    }
    EXPECT_FALSE(platform::IsProgramRunning(unique));
}

TEST(Process, RunsInTheGivenFolderWithArgumentsIntact) {
    testsupport::TempDir dir;
    auto p = platform::StartProgram(HelperProgram(), {"write", "out.txt", "two words"}, dir.path());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Wait(kExitWaitMs).value_or(-1), 0);
    EXPECT_EQ(testsupport::ReadFile(dir / "out.txt"), "two words");
}

#ifndef _WIN32
// The system's handler is xdg-open found on the path; the test puts its own
// there, which writes the target it was given beside itself.
TEST(Process, TheSystemHandlerGetsTheTargetAndIsNotWaitedFor) {
    testsupport::TempDir dir;
    const std::string handler = dir / "xdg-open";
    testsupport::WriteFile(
        handler, "#!/bin/sh\nprintf %s \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.got\"\n");
    ASSERT_EQ(::chmod(platform::NativePath(handler).c_str(), 0700), 0);
    {
        testsupport::ScopedEnv path("PATH", platform::NativePath(dir.path()) + ":/usr/bin:/bin");
        ASSERT_TRUE(platform::OpenWithSystemHandler("http://example.invalid/a b"));
    }
    const uint64_t end = platform::TickCount64() + kExitWaitMs;
    while (!platform::Exists(handler + ".got") && platform::TickCount64() < end) {
        platform::SleepMs(10);
    }
    EXPECT_EQ(testsupport::ReadFile(handler + ".got"), "http://example.invalid/a b");

    // Without a handler on the path the call fails instead of saying nothing.
    testsupport::TempDir empty;
    testsupport::ScopedEnv path("PATH", platform::NativePath(empty.path()));
    platform::Status opened = platform::OpenWithSystemHandler("http://example.invalid/");
    ASSERT_FALSE(opened);
    EXPECT_TRUE(platform::IsNotFound(opened.error()));
}
#endif

TEST(Process, MissingProgramFailsToStart) {
    EXPECT_FALSE(platform::StartProgram(testsupport::ProgramDir() + "\\no-such-program", {}, ""));
    EXPECT_FALSE(platform::IsProgramRunning("no-such-program-name-8d1f"));
}

}  // namespace
