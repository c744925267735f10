#include "patcher/VersionRecord.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::CurrentDirGuard;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

std::string Record(uint32_t magic, int32_t version) {
    std::string r(8, '\0');
    for (int i = 0; i < 4; ++i) {
        r[i] = static_cast<char>(magic >> (8 * i));
        r[4 + i] = static_cast<char>(static_cast<uint32_t>(version) >> (8 * i));
    }
    return r;
}

TEST(VersionRecord, EveryShortOrForeignFileReadsAsZero) {
    TempDir dir;
    CurrentDirGuard cd(dir.path());
    const std::string good = Record(kVersionMagic, 42) + "X";
    for (size_t len = 0; len <= 9; ++len) {
        WriteFile("version.dat", good.substr(0, len));
        std::vector<std::string> shown;
        int32_t v = ReadInstalledVersion([&](const std::string& t) { shown.push_back(t); });
        EXPECT_EQ(v, len >= 8 ? 42 : 0) << "length " << len;
        EXPECT_EQ(shown, std::vector<std::string>{len >= 8 ? "VER:1.0.42" : "VER:1.0.0"});
        EXPECT_EQ(ReadFile("version.dat"), good.substr(0, len));  // reading changes nothing
    }
    WriteFile("version.dat", Record(2827, 42));
    EXPECT_EQ(ReadInstalledVersion(nullptr), 0);
}

TEST(VersionRecord, AMissingRecordIsCreatedEmpty) {
    TempDir dir;
    CurrentDirGuard cd(dir.path());
    EXPECT_EQ(ReadInstalledVersion(nullptr), 0);
    EXPECT_TRUE(platform::Exists("version.dat"));
    EXPECT_EQ(ReadFile("version.dat"), "");
}

TEST(VersionRecord, WritingReplacesAForeignRecordWhole) {
    TempDir dir;
    CurrentDirGuard cd(dir.path());
    WriteFile("version.dat", Record(7, 7));
    std::string shown;
    ASSERT_TRUE(WriteInstalledVersion(-5, [&](const std::string& t) { shown = t; }));
    EXPECT_EQ(shown, "VER:1.0.-5");
    EXPECT_EQ(ReadFile("version.dat"), Record(kVersionMagic, -5));
    EXPECT_EQ(ReadInstalledVersion(nullptr), -5);
    ASSERT_TRUE(WriteInstalledVersion(1003, nullptr));
    EXPECT_EQ(ReadInstalledVersion(nullptr), 1003);
}

// A record that cannot be opened for writing (read-only, or on a read-only
// folder) is still read: the installed version is not taken for 0.
TEST(VersionRecord, ARecordThatCannotBeWrittenIsStillRead) {
    TempDir dir;
    CurrentDirGuard cd(dir.path());
    WriteFile("version.dat", Record(kVersionMagic, 42));
    ASSERT_TRUE(platform::SetReadOnly("version.dat", true));
    EXPECT_EQ(ReadInstalledVersion(nullptr), 42);
    ASSERT_TRUE(platform::SetReadOnly("version.dat", false));
}

TEST(VersionRecord, AnUnopenableRecordIsReportedNotShown) {
    TempDir dir;
    CurrentDirGuard cd(dir.path());
    ASSERT_TRUE(platform::CreateDirectory("version.dat"));  // a folder in the way
    bool shown = false;
    EXPECT_EQ(ReadInstalledVersion([&](const std::string&) { shown = true; }), -1);
    EXPECT_FALSE(WriteInstalledVersion(3, [&](const std::string&) { shown = true; }));
    EXPECT_FALSE(shown);
}

}  // namespace
