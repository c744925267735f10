#include "patcher/CPatcherApp.h"

#include <gtest/gtest.h>

#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using State = platform::SingleInstanceLock::State;

TEST(CPatcherApp, TheFirstInstanceRunsTheDialog) {
    platform::ScriptedMessageBoxes boxes;
    int runs = 0;
    CPatcherApp app([&] { return ++runs, 7; });
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(app.exitCode(), 7);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST(CPatcherApp, ASecondInstanceWarnsAndLeavesTheFirstAlone) {
    platform::SingleInstanceLock first(CPatcherApp::kInstanceName);
    if (first.state() != State::kAcquired) {
        GTEST_SKIP() << "a patcher is running on this machine";
    }
    platform::ScriptedMessageBoxes boxes;
    bool ran = false;
    CPatcherApp second([&] { return ran = true, 0; });
    EXPECT_FALSE(second.InitInstance());
    EXPECT_FALSE(ran);
    ASSERT_EQ(boxes.count(), 1u);
    auto asked = boxes.asked()[0];
    EXPECT_EQ(asked.text, platform::Utf8ToGbk("相关程序已经启动"));
    EXPECT_EQ(asked.caption, platform::Utf8ToGbk("警告"));
    EXPECT_EQ(asked.type, platform::kMbOk);
    EXPECT_EQ(asked.owner, nullptr);
    // The first instance still holds its lock.
    platform::SingleInstanceLock third(CPatcherApp::kInstanceName);
    EXPECT_EQ(third.state(), State::kAlreadyRunning);
}

TEST(CPatcherApp, TheProgramEndsAtOnceWhenAnotherInstanceRuns) {
#ifdef _WIN32
    const std::string program = testsupport::ProgramDir() + "\\Drevik.exe";
#else
    const std::string program = testsupport::ProgramDir() + "\\drevik";
#endif
    {
        auto alone = platform::StartProgram(program, {"--console"}, "");
        ASSERT_TRUE(alone) << alone.error().Message();
        EXPECT_EQ(alone->Wait(60000), 0);
    }
    platform::SingleInstanceLock first(CPatcherApp::kInstanceName);
    if (first.state() != State::kAcquired) {
        GTEST_SKIP() << "a patcher is running on this machine";
    }
    auto second = platform::StartProgram(program, {"--console"}, "");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Wait(60000), 1);
}

}  // namespace
