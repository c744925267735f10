#include "patcher/ui/OptionsCommand.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

struct Outcome {
    int rc;
    std::string out;
    std::string err;
};

Outcome Options(const testsupport::TempDir& dir, std::vector<std::string> args) {
    std::ostringstream out, err;
    int rc = RunOptionsCommand(args, out, err, dir.path(),
                               [](const char* gbk) { return std::string(gbk); });
    return {rc, out.str(), err.str()};
}

TEST(OptionsCommand, PrintsWithoutWriting) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "ClientOpt.txt", "ESOP_Res=3;ESOP_Win=5;");
    Outcome r = Options(dir, {});
    EXPECT_EQ(r.rc, kOptionsOk);
    EXPECT_NE(r.out.find("ESOP_Res = 3"), std::string::npos);
    EXPECT_NE(r.out.find("1280*1024 16\xE4\xBD\x8D"), std::string::npos);  // "位" in UTF-8
    EXPECT_NE(r.out.find("ESOP_Win = 1 "), std::string::npos);
    EXPECT_NE(r.out.find("ESOP_MusicVol = 0"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(dir / "ClientOpt.txt"), "ESOP_Res=3;ESOP_Win=5;");
    EXPECT_FALSE(platform::Exists(dir / "other.txt"));
}

TEST(OptionsCommand, SetsAndSavesReadOnly) {
    testsupport::TempDir dir;
    Outcome r = Options(dir, {"ESOP_Res=2", "esop_musicvol=255", "ESOP_Blur=1"});
    ASSERT_EQ(r.rc, kOptionsOk) << r.err;
    std::string text = testsupport::ReadFile(dir / "ClientOpt.txt");
    EXPECT_EQ(text.find("ESOP_Res = 2;\r\nESOP_HZ = 1;\r\n"), 0u);
    EXPECT_NE(text.find("ESOP_MusicVol = 255;\r\n"), std::string::npos);
    EXPECT_NE(text.find("ESOP_Blur = 1;\r\n"), std::string::npos);
    EXPECT_TRUE(*platform::IsReadOnly(dir / "ClientOpt.txt"));

    // Again over the read-only file: only the named option changes.
    r = Options(dir, {"ESOP_HZ=4"});
    ASSERT_EQ(r.rc, kOptionsOk) << r.err;
    std::string again = testsupport::ReadFile(dir / "ClientOpt.txt");
    EXPECT_EQ(again.find("ESOP_Res = 2;\r\nESOP_HZ = 4;\r\n"), 0u);
    EXPECT_NE(again.find("ESOP_MusicVol = 255;\r\n"), std::string::npos);
}

TEST(OptionsCommand, WrongAssignmentsSaveNothing) {
    testsupport::TempDir dir;
    for (std::vector<std::string> args : {std::vector<std::string>{"ESOP_Res=6"},
                                          {"ESOP_Win=2"},
                                          {"ESOP_MusicVol=256"},
                                          {"ESOP_Res=-1"},
                                          {"ESOP_Res=1x"},
                                          {"ESOP_Res="},
                                          {"ESOP_Res"},
                                          {"ESOP_Nothing=1"},
                                          {"ESOP_HZ=2", "ESOP_Effect=9"}}) {
        Outcome r = Options(dir, args);
        EXPECT_EQ(r.rc, kOptionsBadArgument) << args.back();
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(platform::Exists(dir / "ClientOpt.txt")) << args.back();
    }
}

TEST(OptionsCommand, AFileThatCannotBeWrittenIsReported) {
    testsupport::TempDir dir;
    platform::CreateDirectory(dir / "ClientOpt.txt");  // a folder in its place
    Outcome r = Options(dir, {"ESOP_Res=1"});
    EXPECT_EQ(r.rc, kOptionsCannotSave);
    EXPECT_NE(r.err.find("cannot write ClientOpt.txt"), std::string::npos);
}

}  // namespace
