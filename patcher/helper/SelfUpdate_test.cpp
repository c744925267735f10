// The self-update helper: waits for the patcher, puts the new one in place,
// starts it; and, when it cannot, leaves everything as it was.
#include "SelfUpdate.h"

#include "patcher/SelfUpdateRecord.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "patcher/CUpdateDlg.h"
#include "platform/fs.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::WriteFile;

// A real program stands for the new patcher: the seam's test helper, which
// writes a file or ends with a given code.
std::string StandInProgram() {
#ifdef _WIN32
    return testsupport::ProgramDir() + "\\platform_test_helper.exe";
#else
    return testsupport::ProgramDir() + "\\platform_test_helper";
#endif
}

std::string PatcherName() {
#ifdef _WIN32
    return "patcher.exe";
#else
    return "patcher";
#endif
}

std::string LockName() {
    return "DrevikSelfUpdateTest" + std::to_string(platform::CurrentProcessId());
}

class SelfUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = ReadFile(StandInProgram());
        ASSERT_FALSE(program_.empty()) << "the stand-in program was not built";
        WriteFile(dir_ / PatcherName(), "old patcher");
        // Written as the unpack walk writes it: a plain file.
        WriteFile(dir_ / ("download\\" + PatcherName()), program_);
        ASSERT_TRUE(RecordUnpackedPatcher(dir_.path(), PatcherName()));
        options_.patcher = PatcherName();
        options_.folder = dir_.path();
        options_.lockName = LockName();
    }

    testsupport::TempDir dir_;
    // On POSIX the locks go to a runtime folder of the test's own, for the
    // test and the helper programs it starts: nothing is left behind in the
    // temporary folder, and no real patcher takes part.
    testsupport::TempDir runtime_;
    testsupport::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", platform::NativePath(runtime_.path())};
    std::string program_;
    SelfUpdateOptions options_;
};

TEST_F(SelfUpdateTest, WaitsForThePatcherReplacesItAndStartsTheNewOne) {
    auto patcher = std::make_unique<platform::SingleInstanceLock>(LockName());
    ASSERT_EQ(patcher->state(), platform::SingleInstanceLock::State::kAcquired);
    int polls = 0;
    options_.sleep = [&](uint32_t) {
        // While the patcher holds its lock nothing is touched.
        EXPECT_EQ(ReadFile(dir_ / PatcherName()), "old patcher");
        if (++polls == 3) {
            patcher.reset();  // the patcher ends
        }
    };
    options_.args = {"write", "restarted.txt", "yes"};
    SelfUpdateResult r = RunSelfUpdate(options_);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(ReadFile(dir_ / PatcherName()), program_);
    EXPECT_FALSE(platform::Exists(dir_ / ("download\\" + PatcherName())));
    // The new patcher ran in the game folder with the arguments given.
    EXPECT_EQ(ReadFile(dir_ / "restarted.txt"), "yes");
    // It let go of the lock for the new patcher.
    platform::SingleInstanceLock after(LockName());
    EXPECT_EQ(after.state(), platform::SingleInstanceLock::State::kAcquired);
}

TEST_F(SelfUpdateTest, APatcherThatDoesNotEndKeepsItsFile) {
    platform::SingleInstanceLock patcher(LockName());
    ASSERT_EQ(patcher.state(), platform::SingleInstanceLock::State::kAcquired);
    int polls = 0;
    options_.waitPolls = 5;
    options_.sleep = [&](uint32_t) { ++polls; };
    SelfUpdateResult r = RunSelfUpdate(options_);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.error, "");
    EXPECT_EQ(polls, 5);
    EXPECT_EQ(ReadFile(dir_ / PatcherName()), "old patcher");
    EXPECT_EQ(ReadFile(dir_ / ("download\\" + PatcherName())), program_);
}

TEST_F(SelfUpdateTest, NothingToInstallStartsNothing) {
    ASSERT_TRUE(platform::DeleteFile(dir_ / ("download\\" + PatcherName())));
    options_.args = {"write", "restarted.txt", "yes"};
    SelfUpdateResult r = RunSelfUpdate(options_);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.error, "");
    EXPECT_EQ(ReadFile(dir_ / PatcherName()), "old patcher");
    EXPECT_FALSE(platform::Exists(dir_ / "restarted.txt"));
}

TEST_F(SelfUpdateTest, AFolderOfThePatchersNameIsRefusedBeforeAnythingMoves) {
    // In download\: the old patcher stays, and so does the folder.
    ASSERT_TRUE(platform::DeleteFile(dir_ / ("download\\" + PatcherName())));
    WriteFile(dir_ / ("download\\" + PatcherName() + "\\inside.txt"), "x");
    SelfUpdateResult r = RunSelfUpdate(options_);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.error.find("is a folder"), std::string::npos) << r.error;
    // Named as the system writes paths.
    EXPECT_NE(r.error.find(
                  platform::GbkToUtf8(platform::NativePath(dir_ / ("download\\" + PatcherName())))),
              std::string::npos)
        << r.error;
    EXPECT_EQ(ReadFile(dir_ / PatcherName()), "old patcher");
    EXPECT_EQ(ReadFile(dir_ / ("download\\" + PatcherName() + "\\inside.txt")), "x");

    // In place of the patcher: the new one waits in download\.
    testsupport::RemoveTree(dir_ / ("download\\" + PatcherName()));
    WriteFile(dir_ / ("download\\" + PatcherName()), program_);
    ASSERT_TRUE(RecordUnpackedPatcher(dir_.path(), PatcherName()));
    ASSERT_TRUE(platform::DeleteFile(dir_ / PatcherName()));
    WriteFile(dir_ / (PatcherName() + "\\inside.txt"), "y");
    r = RunSelfUpdate(options_);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.error.find("is a folder"), std::string::npos) << r.error;
    EXPECT_EQ(ReadFile(dir_ / (PatcherName() + "\\inside.txt")), "y");
    EXPECT_EQ(ReadFile(dir_ / ("download\\" + PatcherName())), program_);
}

// download\ also holds what the servers sent: a file there that the last
// unpacking did not write, or that changed since, is not installed, and
// neither the patcher nor the file is touched.
TEST_F(SelfUpdateTest, OnlyThePatcherTheUnpackingWroteIsInstalled) {
    const std::string incoming = dir_ / ("download\\" + PatcherName());
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"no record", [&] { ForgetUnpackedPatcher(dir_.path()); }},
        {"changed since", [&] { WriteFile(incoming, program_ + "x"); }},
        {"recorded under another name",
         [&] {
             WriteFile(dir_ / "download\\other", program_);
             ASSERT_TRUE(RecordUnpackedPatcher(dir_.path(), "other"));
         }},
    };
    for (const auto& [name, spoil] : cases) {
        SCOPED_TRACE(name);
        WriteFile(incoming, program_);
        ASSERT_TRUE(RecordUnpackedPatcher(dir_.path(), PatcherName()));
        spoil();
        const std::string before = ReadFile(incoming);
        options_.args = {"write", "restarted.txt", "yes"};
        SelfUpdateResult r = RunSelfUpdate(options_);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.error.find("is not installed"), std::string::npos) << r.error;
        EXPECT_EQ(ReadFile(dir_ / PatcherName()), "old patcher");
        EXPECT_EQ(ReadFile(incoming), before);
        EXPECT_FALSE(platform::Exists(dir_ / "restarted.txt"));
    }
    // The record goes with the install.
    WriteFile(incoming, program_);
    ASSERT_TRUE(RecordUnpackedPatcher(dir_.path(), PatcherName()));
    options_.restart = false;
    EXPECT_EQ(RunSelfUpdate(options_).error, "");
    EXPECT_FALSE(platform::Exists(dir_ / kSelfUpdateRecordFile));
}

// The installed program, "UpdatePackef.dat", started the way the patcher
// starts it: by its path in the game folder.
TEST_F(SelfUpdateTest, TheHelperProgramHandsTheExitCodeOn) {
    const std::string helper = dir_ / kSelfUpdateHelper;
    WriteFile(helper, ReadFile(testsupport::ProgramDir() + "\\" + kSelfUpdateHelper));
    ASSERT_TRUE(platform::SetExecutable(helper));
    auto p = platform::StartProgram(helper, {PatcherName(), "exit", "7"}, dir_.path());
    ASSERT_TRUE(p) << p.error().Message();
    EXPECT_EQ(p->Wait(-1).value_or(-1), 7);
    EXPECT_EQ(ReadFile(dir_ / PatcherName()), program_);
}

}  // namespace
