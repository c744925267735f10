#include "patcher/LoginChoice.h"

#include <gtest/gtest.h>

#include "platform/fs.h"
#include "platform/process.h"
#include "platform/settings.h"
#include "testsupport/settings_store.h"
#include "testsupport/temp_dir.h"

namespace {

class LoginChoiceStore : public ::testing::Test {
protected:
    testsupport::ScopedSettingsStore store_{"Login"};
};

TEST_F(LoginChoiceStore, NothingStoredReadsAsNotFound) {
    LoginChoice c = ReadLoginChoice();
    EXPECT_FALSE(c.found);
    EXPECT_EQ(c.text, "");
}

TEST_F(LoginChoiceStore, WritingCreatesTheKeyAndReadsBack) {
    ASSERT_TRUE(WriteLoginChoice("61.1.2.3"));
    LoginChoice c = ReadLoginChoice();
    EXPECT_TRUE(c.found);
    EXPECT_EQ(c.text, "61.1.2.3");
    ASSERT_TRUE(WriteLoginChoice("61.1.2.4"));  // the key exists now
    EXPECT_EQ(ReadLoginChoice().text, "61.1.2.4");
}

TEST_F(LoginChoiceStore, ValuesThatDoNotFitTheBufferCountAsAbsent) {
    ASSERT_TRUE(WriteLoginChoice(std::string(99, '1')));
    EXPECT_TRUE(ReadLoginChoice().found);
    ASSERT_TRUE(WriteLoginChoice(std::string(100, '1')));
    LoginChoice c = ReadLoginChoice();
    EXPECT_FALSE(c.found);
    EXPECT_EQ(c.text, "");
    ASSERT_TRUE(WriteLoginChoice(std::string(250, '1')));
    EXPECT_FALSE(ReadLoginChoice().found);
}

}  // namespace
