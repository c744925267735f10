#include "patcher/CPatcherApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "patcher/text/LocalText.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using State = platform::SingleInstanceLock::State;

// How long the real program may take to start and end; the wait returns as
// soon as it has ended.
constexpr int kProgramWaitMs = 120000;

// A lock name no other process on the machine uses: the in-process tests
// never meet a real patcher or a parallel run of these tests.
std::string PrivateInstanceName() {
    static std::atomic<int> counter{0};
    return std::string(CPatcherApp::kInstanceName) + "-test-" +
           std::to_string(platform::CurrentProcessId()) + "-" + std::to_string(counter++);
}

// The warning's texts as the program writes them: no Language.txt in an
// empty current folder, and the process's text table read afresh. On POSIX
// the lock files go to a runtime folder of the test's own, for the test and
// the programs it starts (they inherit the environment): no real patcher
// takes part, and nothing is left behind in the temporary folder. Under Wine
// named mutexes belong to the build tree's own prefix.
class CPatcherAppTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLocalText(); }
    void TearDown() override { ResetLocalText(); }

    testsupport::TempDir dir_;
    testsupport::CurrentDirGuard cd_{dir_.path()};
    testsupport::TempDir runtime_;
    testsupport::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", platform::NativePath(runtime_.path())};
};

TEST_F(CPatcherAppTest, TheFirstInstanceRunsTheDialog) {
    platform::ScriptedMessageBoxes boxes;
    int runs = 0;
    CPatcherApp app([&] { return ++runs, 7; }, PrivateInstanceName());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(app.exitCode(), 7);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(CPatcherAppTest, ASecondInstanceWarnsAndLeavesTheFirstAlone) {
    const std::string name = PrivateInstanceName();
    platform::SingleInstanceLock first(name);
    ASSERT_EQ(first.state(), State::kAcquired);
    platform::ScriptedMessageBoxes boxes;
    bool ran = false;
    CPatcherApp second([&] { return ran = true, 0; }, name);
    EXPECT_FALSE(second.InitInstance());
    EXPECT_FALSE(ran);
    ASSERT_EQ(boxes.count(), 1u);
    auto asked = boxes.asked()[0];
    EXPECT_EQ(asked.text, platform::Utf8ToGbk("相关程序已经启动"));
    EXPECT_EQ(asked.caption, platform::Utf8ToGbk("警告"));
    EXPECT_EQ(asked.type, platform::kMbOk);
    EXPECT_EQ(asked.owner, nullptr);
    // The first instance still holds its lock.
    platform::SingleInstanceLock third(name);
    EXPECT_EQ(third.state(), State::kAlreadyRunning);
}

// The real program with its real lock name, in the fixture's runtime folder.
TEST_F(CPatcherAppTest, TheProgramEndsAtOnceWhenAnotherInstanceRuns) {
#ifdef _WIN32
    const std::string program = testsupport::ProgramDir() + "\\Drevik.exe";
#else
    const std::string program = testsupport::ProgramDir() + "\\drevik";
#endif
    // Alone, in a folder without update.ini, it fails at once and writes
    // nothing: there is no server to ask.
    {
        testsupport::TempDir folder;
        auto alone = platform::StartProgram(program, {"--console"}, folder.path());
        ASSERT_TRUE(alone) << alone.error().Message();
        EXPECT_EQ(alone->Wait(kProgramWaitMs).value_or(-1), 1);
        EXPECT_FALSE(platform::Exists(folder / "version.dat"));
    }
    // With another one running it ends before it looks at anything, even
    // with an update.ini to go by.
    platform::SingleInstanceLock first(CPatcherApp::kInstanceName);
    ASSERT_EQ(first.state(), State::kAcquired);
    testsupport::TempDir folder;
    testsupport::WriteFile(folder / "update.ini", "");
    auto second = platform::StartProgram(program, {"--console"}, folder.path());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Wait(kProgramWaitMs).value_or(-1), 1);
    EXPECT_FALSE(platform::Exists(folder / "version.dat"));
}

TEST_F(CPatcherAppTest, OptionsAreSetWithoutTheLockWhileAPatcherRuns) {
#ifdef _WIN32
    const std::string program = testsupport::ProgramDir() + "\\Drevik.exe";
#else
    const std::string program = testsupport::ProgramDir() + "\\drevik";
#endif
    platform::SingleInstanceLock running(CPatcherApp::kInstanceName);
    ASSERT_EQ(running.state(), State::kAcquired);
    auto set =
        platform::StartProgram(program, {"--options", "ESOP_Res=3", "esop_music=0"}, dir_.path());
    ASSERT_TRUE(set) << set.error().Message();
    EXPECT_EQ(set->Wait(kProgramWaitMs).value_or(-1), 0);
    std::string text = testsupport::ReadFile(dir_ / "ClientOpt.txt");
    EXPECT_EQ(text.find("ESOP_Res = 3;\r\n"), 0u) << text;
    EXPECT_NE(text.find("ESOP_Music = 0;\r\n"), std::string::npos) << text;
    auto wrong = platform::StartProgram(program, {"--options", "ESOP_Res=99"}, dir_.path());
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->Wait(kProgramWaitMs).value_or(-1), 64);  // a usage error
    EXPECT_EQ(testsupport::ReadFile(dir_ / "ClientOpt.txt"), text);
}

#ifdef _WIN32
// Players start the patcher from Explorer: a console program would open a
// console window beside the update window.
TEST(DrevikProgram, IsAWindowProgram) {
    std::string image = testsupport::ReadFile(testsupport::ProgramDir() + "\\Drevik.exe");
    constexpr size_t kPeOffsetAt = 0x3c;  // e_lfanew
    constexpr size_t kCoffHeader = 20;
    constexpr size_t kSubsystemInOptional = 68;  // PE32 and PE32+ alike
    constexpr uint16_t kSubsystemWindowsGui = 2;
    ASSERT_GT(image.size(), kPeOffsetAt + 4);
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = v << 8 | static_cast<unsigned char>(image[at + i]);
        }
        return v;
    };
    size_t pe = u32(kPeOffsetAt);
    size_t subsystem = pe + 4 + kCoffHeader + kSubsystemInOptional;
    ASSERT_LT(subsystem + 2, image.size());
    ASSERT_EQ(image.compare(pe, 4, std::string("PE\0\0", 4)), 0);
    EXPECT_EQ(static_cast<unsigned char>(image[subsystem]) |
                  static_cast<unsigned char>(image[subsystem + 1]) << 8,
              kSubsystemWindowsGui);
}
#endif

}  // namespace
