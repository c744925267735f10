#include "platform/library.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using TwiceFn = int (*)(int);
using CallsFn = int (*)();

std::string PluginPath() {
    return testsupport::ProgramDir() + "\\" +
           platform::SharedLibraryFileName("platform_test_plugin");
}

TEST(SharedLibrary, LoadsResolvesEntryPointsAndCallsIntoTheLibrary) {
    auto lib = platform::SharedLibrary::Open(PluginPath());
    ASSERT_TRUE(lib) << lib.error().Message();
    EXPECT_TRUE(lib->IsOpen());
    auto twice = lib->Function<TwiceFn>("platform_test_plugin_twice");
    auto calls = lib->Function<CallsFn>("platform_test_plugin_calls");
    ASSERT_NE(twice, nullptr);
    ASSERT_NE(calls, nullptr);
    int before = calls();
    EXPECT_EQ(twice(21), 42);
    EXPECT_EQ(calls(), before + 1);

    EXPECT_EQ(lib->Symbol("no_such_entry_point"), nullptr);
    EXPECT_EQ(lib->Symbol(nullptr), nullptr);

    // Moving hands the library over; the moved-from owner unloads nothing.
    platform::SharedLibrary moved = std::move(*lib);
    EXPECT_FALSE(lib->IsOpen());
    EXPECT_EQ(lib->Symbol("platform_test_plugin_twice"), nullptr);
    ASSERT_TRUE(moved.IsOpen());
    EXPECT_EQ(moved.Function<TwiceFn>("platform_test_plugin_twice")(-4), -8);
    moved.Close();
    EXPECT_FALSE(moved.IsOpen());
    EXPECT_EQ(moved.Symbol("platform_test_plugin_twice"), nullptr);
}

TEST(SharedLibrary, PathsAreMatchedWithoutRegardToLetterCase) {
    std::string name = platform::SharedLibraryFileName("platform_test_plugin");
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    auto lib = platform::SharedLibrary::Open(testsupport::ProgramDir() + "\\" + name);
    ASSERT_TRUE(lib) << name << ": " << lib.error().Message();
    EXPECT_NE(lib->Symbol("platform_test_plugin_twice"), nullptr);
}

TEST(SharedLibrary, MissingAndUnloadableFilesFailWithTheirReason) {
    testsupport::TempDir dir;
    auto missing = platform::SharedLibrary::Open(dir / platform::SharedLibraryFileName("absent"));
    ASSERT_FALSE(missing);
    EXPECT_TRUE(platform::IsNotFound(missing.error()));

    std::string notALibrary = dir / platform::SharedLibraryFileName("text");
    testsupport::WriteFile(notALibrary, "this is no shared library\n");
    auto bad = platform::SharedLibrary::Open(notALibrary);
    ASSERT_FALSE(bad);
    EXPECT_FALSE(platform::IsNotFound(bad.error()));
    EXPECT_NE(bad.error().code, 0u);
}

TEST(SharedLibrary, FileNamesFollowTheBuildsConvention) {
#ifdef _WIN32
    EXPECT_EQ(platform::SharedLibraryFileName("Dovwox"), "Dovwox.dll");
#else
    EXPECT_EQ(platform::SharedLibraryFileName("Dovwox"), "libdovwox.so");
#endif
}

}  // namespace
