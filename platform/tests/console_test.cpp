#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

TEST(Console, ArgumentsComeBackInUtf8) {
    char prog[] = "platform_test";
    char word[] = "\xC3\xBC\xE5\x9C\xB0";  // UTF-8 "ü地"
    char* argv[] = {prog, word, nullptr};
    std::vector<std::string> args = platform::Utf8Arguments(2, argv);
#ifdef _WIN32
    // Windows reads the program's own wide command line, not argv.
    ASSERT_FALSE(args.empty());
    EXPECT_NE(args[0].find("platform_test"), std::string::npos);
#else
    EXPECT_EQ(args, (std::vector<std::string>{prog, word}));
#endif
}

TEST(Console, ArgumentPathsBecomeSystemPaths) {
    testsupport::TempDir dir;
    // A folder name with a character GBK has, given the way a user types it.
    std::string native = platform::NativePath(dir.path());
    std::string utf8Name = "\xE5\x9C\xB0\xE5\x9B\xBE";  // "地图"
    std::string path = platform::SystemPathFromArgument(native + "/" + utf8Name);
    ASSERT_TRUE(platform::CreateDirectory(path));
    EXPECT_TRUE(platform::IsDirectory(dir / platform::Utf8ToGbk(utf8Name)));
    EXPECT_EQ(platform::SystemPathFromArgument("a/b/"), "a\\b\\");
}

TEST(Console, StreamsCanBeQueriedAndSwitchedToBinary) {
    // Under the test runner the streams are pipes or files, not terminals,
    // unless a person runs the program by hand; both answers are valid, the
    // calls must simply work on every platform.
    (void)platform::IsTerminal(platform::StdStream::kInput);
    (void)platform::IsTerminal(platform::StdStream::kError);
    platform::SetBinaryMode(platform::StdStream::kOutput);
    std::fputs("", stdout);
    SUCCEED();
}

}  // namespace
