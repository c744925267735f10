#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "helper_path_test.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

// How long the helper may take to start and end; the wait returns as soon
// as it has ended.
constexpr int kExitWaitMs = 120000;

TEST(Console, ArgumentsComeBackInUtf8) {
    char prog[] = "platform_test";
    char word[] = "\xC3\xBC\xE5\x9C\xB0";  // UTF-8 "ü地"
    char* argv[] = {prog, word, nullptr};
#ifndef _WIN32
    // argv is already in the terminal's encoding and comes back as given.
    EXPECT_EQ(platform::Utf8Arguments(2, argv), (std::vector<std::string>{prog, word}));
#else
    // Windows reads the program's own wide command line, not argv.
    ASSERT_FALSE(platform::Utf8Arguments(2, argv).empty());
#endif

    // A program started with a word outside ASCII gets it back in UTF-8 (on
    // Windows through its wide command line, whatever the code page).
    testsupport::TempDir dir;
    const std::string spaced = std::string(word) + " two";
#ifdef _WIN32
    const std::string given = platform::Utf8ToGbk(spaced);  // system form: GBK
#else
    const std::string given = spaced;
#endif
    auto p = platform::StartProgram(HelperProgram(), {"args", "out.txt", given, ""}, dir.path());
    ASSERT_TRUE(p) << p.error().Message();
    ASSERT_EQ(p->Wait(kExitWaitMs).value_or(-1), 0);
    EXPECT_EQ(testsupport::ReadFile(dir / "out.txt"), "args\nout.txt\n" + spaced + "\n\n");
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
    // The helper's standard streams are files: not terminals. Its output
    // starts in text mode (Windows writes "\r\n" there) and then changes to
    // binary mode (a plain "\n").
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "in.txt", "input\n");
    auto p = platform::StartProgram(HelperProgram(), {"streams", "in.txt", "out.txt"}, dir.path());
    ASSERT_TRUE(p) << p.error().Message();
    ASSERT_EQ(p->Wait(kExitWaitMs).value_or(-1), 0);
#ifdef _WIN32
    EXPECT_EQ(testsupport::ReadFile(dir / "out.txt"), "in=0 out=0\r\nbinary\n");
#else
    EXPECT_EQ(testsupport::ReadFile(dir / "out.txt"), "in=0 out=0\nbinary\n");
#endif
}

}  // namespace
