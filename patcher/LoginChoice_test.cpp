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
    LoginChoice c = ReadLoginChoice(store_.store());
    EXPECT_FALSE(c.found);
    EXPECT_EQ(c.text, "");
}

TEST_F(LoginChoiceStore, WritingCreatesTheKeyAndReadsBack) {
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "61.1.2.3"));
    LoginChoice c = ReadLoginChoice(store_.store());
    EXPECT_TRUE(c.found);
    EXPECT_EQ(c.text, "61.1.2.3");
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "61.1.2.4"));  // the key exists now
    EXPECT_EQ(ReadLoginChoice(store_.store()).text, "61.1.2.4");
}

TEST_F(LoginChoiceStore, ValuesThatDoNotFitTheBufferCountAsAbsent) {
    ASSERT_TRUE(WriteLoginChoice(store_.store(), std::string(99, '1')));
    EXPECT_TRUE(ReadLoginChoice(store_.store()).found);
    ASSERT_TRUE(WriteLoginChoice(store_.store(), std::string(100, '1')));
    LoginChoice c = ReadLoginChoice(store_.store());
    EXPECT_FALSE(c.found);
    EXPECT_EQ(c.text, "");
    ASSERT_TRUE(WriteLoginChoice(store_.store(), std::string(250, '1')));
    EXPECT_FALSE(ReadLoginChoice(store_.store()).found);
}

}  // namespace
