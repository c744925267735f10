#include "platform/instance.h"

#include <gtest/gtest.h>

#include "helper_path_test.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "testsupport/temp_dir.h"

namespace {

using State = platform::SingleInstanceLock::State;

// How long a helper may take to start or end; the waits return as soon as it
// has, so the limit only ends a broken test.
constexpr int kExitWaitMs = 120000;

std::string UniqueName(const char* tag) {
    return std::string("TesmarTest-") + tag + "-" + std::to_string(platform::CurrentProcessId());
}

// On POSIX the lock files go to the runtime folder the environment names,
// here one of the test's own, for the test and for the helpers it starts
// (they inherit the environment); named mutexes under Wine belong to the
// build tree's own prefix.
class InstanceLock : public ::testing::Test {
protected:
    testsupport::TempDir dir_;
    testsupport::ScopedEnv runtime_{"XDG_RUNTIME_DIR", platform::NativePath(dir_.path())};
};

TEST_F(InstanceLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    std::string name = UniqueName("inproc");
    {
        platform::SingleInstanceLock first(name);
        ASSERT_EQ(first.state(), State::kAcquired);
        platform::SingleInstanceLock second(name);
        EXPECT_EQ(second.state(), State::kAlreadyRunning);
        platform::SingleInstanceLock other(UniqueName("other"));
        EXPECT_EQ(other.state(), State::kAcquired);
    }
    platform::SingleInstanceLock again(name);
    EXPECT_EQ(again.state(), State::kAcquired);
}

TEST_F(InstanceLock, AnotherProcessHoldingTheNameIsSeen) {
    std::string name = UniqueName("xproc");
    std::string folder = platform::NativePath(dir_.path());
    // The holder keeps the lock until it is killed below, however slowly the
    // rest of the test runs.
    auto holder = platform::StartProgram(HelperProgram(), {"lock", name, folder, "600000"}, "");
    ASSERT_TRUE(holder) << holder.error().Message();
    // Wait until the child holds the lock.
    const uint64_t end = platform::TickCount64() + kExitWaitMs;
    while (!platform::Exists(dir_ / (name + ".held")) && platform::TickCount64() < end) {
        platform::SleepMs(10);
    }
    ASSERT_TRUE(platform::Exists(dir_ / (name + ".held")));
    platform::SingleInstanceLock probe(name);
    EXPECT_EQ(probe.state(), State::kAlreadyRunning);
    auto second = platform::StartProgram(HelperProgram(), {"lock", name, folder, "0"}, "");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Wait(kExitWaitMs).value_or(-1), 1);  // already running
    holder->Kill();
    holder->Wait(-1);
    // The lock dies with its process.
    platform::SingleInstanceLock after(name);
    EXPECT_EQ(after.state(), State::kAcquired);
}

}  // namespace
