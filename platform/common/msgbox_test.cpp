#include "platform/msgbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(MessageBoxService, ScriptedAnswersAreGivenInOrderAndRecorded) {
    platform::ScriptedMessageBoxes boxes;
    boxes.Answer(platform::kIdRetry);
    boxes.Answer(platform::kIdIgnore);
    EXPECT_EQ(platform::ShowMessageBox(nullptr, "a", "b", platform::kMbAbortRetryIgnore),
              platform::kIdRetry);
    EXPECT_EQ(platform::ShowMessageBox(nullptr, "c", nullptr, platform::kMbAbortRetryIgnore),
              platform::kIdIgnore);
    // With the queue empty the first button of the set answers.
    EXPECT_EQ(platform::ShowMessageBox(nullptr, "d", "e", platform::kMbRetryCancel),
              platform::kIdRetry);
    auto asked = boxes.asked();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].text, "a");
    EXPECT_EQ(asked[0].caption, "b");
    EXPECT_TRUE(asked[0].hasCaption);
    EXPECT_FALSE(asked[1].hasCaption);
    EXPECT_EQ(asked[2].type, platform::kMbRetryCancel);
}

TEST(MessageBoxService, NestedScriptsRestoreTheOuterOne) {
    platform::ScriptedMessageBoxes outer;
    {
        platform::ScriptedMessageBoxes inner;
        platform::ShowMessageBox(nullptr, "inner", "", platform::kMbOk);
        EXPECT_EQ(inner.count(), 1u);
    }
    platform::ShowMessageBox(nullptr, "outer", "", platform::kMbOk);
    ASSERT_EQ(outer.count(), 1u);
    EXPECT_EQ(outer.asked()[0].text, "outer");
}

TEST(MessageBoxService, BoxesFromManyThreadsAreAllRecorded) {
    platform::ScriptedMessageBoxes boxes;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 50; ++i) {
                platform::ShowMessageBox(nullptr, "x", "y", platform::kMbOk);
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(boxes.count(), 200u);
}

TEST(MessageBoxService, ButtonSets) {
    EXPECT_EQ(platform::ButtonsOf(platform::kMbYesNoCancel | platform::kMbIconQuestion),
              (std::vector<int>{platform::kIdYes, platform::kIdNo, platform::kIdCancel}));
    EXPECT_EQ(platform::ButtonsOf(platform::kMbOk), std::vector<int>{platform::kIdOk});
}

// Unattended answers are always a button the box has, and the policies
// differ only where a box offers both to repeat and to skip.
TEST(MessageBoxService, PolicyAnswersAreButtonsOfTheBox) {
    using platform::BoxAnswers;
    for (uint32_t type = 0; type <= platform::kMbRetryCancel; ++type) {
        for (BoxAnswers policy : {BoxAnswers::kEndStep, BoxAnswers::kRetry, BoxAnswers::kSkip}) {
            std::vector<int> buttons = platform::ButtonsOf(type | platform::kMbIconWarning);
            int answer = platform::PolicyAnswer(policy, type | platform::kMbIconWarning);
            EXPECT_NE(std::find(buttons.begin(), buttons.end(), answer), buttons.end())
                << "type " << type << " answered " << platform::AnswerName(answer);
        }
        EXPECT_EQ(platform::PolicyAnswer(BoxAnswers::kEndStep, type),
                  platform::StepEndingAnswer(type));
    }
    const uint32_t ari = platform::kMbAbortRetryIgnore;
    EXPECT_EQ(platform::PolicyAnswer(BoxAnswers::kEndStep, ari), platform::kIdAbort);
    EXPECT_EQ(platform::PolicyAnswer(BoxAnswers::kRetry, ari), platform::kIdRetry);
    EXPECT_EQ(platform::PolicyAnswer(BoxAnswers::kSkip, ari), platform::kIdIgnore);
    // Nothing to skip: the step ends rather than repeating.
    EXPECT_EQ(platform::PolicyAnswer(BoxAnswers::kSkip, platform::kMbRetryCancel),
              platform::kIdCancel);
    EXPECT_EQ(platform::PolicyAnswer(BoxAnswers::kRetry, platform::kMbYesNo), platform::kIdYes);
    EXPECT_EQ(platform::PolicyAnswer(BoxAnswers::kSkip, platform::kMbOkCancel), platform::kIdOk);
}

TEST(MessageBoxService, AScopedHandlerIsRestoredOnEveryWayOut) {
    platform::ScriptedMessageBoxes outer;
    auto answerNo = [](void*, const char*, const char*, uint32_t) { return platform::kIdNo; };
    try {
        platform::ScopedMessageBoxHandler inner(answerNo);
        EXPECT_EQ(platform::ShowMessageBox(nullptr, "inner", "", platform::kMbYesNo),
                  platform::kIdNo);
        throw std::runtime_error("leaves the scope");
    } catch (const std::runtime_error&) {
    }
    platform::ShowMessageBox(nullptr, "outer", "", platform::kMbYesNo);
    ASSERT_EQ(outer.count(), 1u);
    EXPECT_EQ(outer.asked()[0].text, "outer");
}

}  // namespace

namespace {

// Restores the default caption of the process when a test ends.
struct CaptionGuard {
    ~CaptionGuard() { platform::SetDefaultCaption(""); }
};

TEST(MessageBoxService, ConsoleBoxesWithoutCaptionShowTheProgramTitle) {
    CaptionGuard guard;
    platform::SetDefaultCaption("\xB8\xFC\xD0\xC2");  // GBK "更新"
    testing::internal::CaptureStderr();
    platform::ConsoleMessageBox(nullptr, "body", nullptr, platform::kMbOk);
    platform::ConsoleMessageBox(nullptr, "body", "given", platform::kMbOk);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[\xE6\x9B\xB4\xE6\x96\xB0] body"), std::string::npos) << err;  // UTF-8
    EXPECT_NE(err.find("[given] body"), std::string::npos);

    platform::SetDefaultCaption("");  // unset: the platform's own word
    testing::internal::CaptureStderr();
    platform::ConsoleMessageBox(nullptr, "body", nullptr, platform::kMbOk);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[Error] body"), std::string::npos);
}

TEST(MessageBoxService, ScriptedBoxesSeeTheCaptionAsGiven) {
    CaptionGuard guard;
    platform::SetDefaultCaption("title");
    platform::ScriptedMessageBoxes boxes;
    platform::ShowMessageBox(nullptr, "x", nullptr, platform::kMbOk);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_FALSE(boxes.asked()[0].hasCaption);
}

}  // namespace
