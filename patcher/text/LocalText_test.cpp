#include "patcher/text/LocalText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

std::string G(const char* utf8) {
    return platform::Utf8ToGbk(utf8);
}

TEST(LocalText, WithoutAFileEveryTextIsShownAsItIs) {
    TempDir dir;
    LocalTextTable table(dir / "Language.txt");
    std::string done = G("更新完成,请启动游戏");
    EXPECT_EQ(table.Lookup(done.c_str()), done.c_str());  // the very pointer
    EXPECT_EQ(table.Lookup(nullptr), nullptr);
}

// Names go into texts without the text being read as a format: a
// translation may hold "%" signs, or have lost its "%s".
TEST(LocalText, NamesAreFilledInWithoutFormatting) {
    EXPECT_EQ(FillInText(G("无法创建文件%s,请检查下载目录"), "download\\a.cpk.jat"),
              G("无法创建文件download\\a.cpk.jat,请检查下载目录"));
    EXPECT_EQ(FillInText("100% of %s, then %s", "%d%n"), "100% of %d%n, then %s");
    EXPECT_EQ(FillInText("No file: ", "a.cpk"), "No file: a.cpk");
}

TEST(LocalText, EntriesFollowALineBreak) {
    TempDir dir;
    // The first line is never an entry, even when it looks like one.
    WriteFile(dir / "Language.txt",
              G("警告=FirstLine;\r\n更新完成,请启动游戏=Update done, start the "
                "game;\r\n提示=Hint;\r\n检测版本...=;\r\n"));
    LocalTextTable table(dir / "Language.txt");
    std::string done = G("更新完成,请启动游戏");
    EXPECT_STREQ(table.Lookup(done.c_str()), "Update done, start the game");
    EXPECT_STREQ(table.Lookup(G("提示").c_str()), "Hint");
    std::string warn = G("警告");
    EXPECT_EQ(table.Lookup(warn.c_str()), warn.c_str());
    // An empty translation gives the key back.
    std::string checking = G("检测版本...");
    EXPECT_EQ(table.Lookup(checking.c_str()), checking.c_str());
    // Keys match byte for byte: case and blanks count.
    EXPECT_STREQ(table.Lookup("hint"), "hint");
}

TEST(LocalText, TranslationsRunToTheNextSemicolonAndKeepBlanks) {
    TempDir dir;
    WriteFile(dir / "Language.txt", "header\r\nA= two\r\nlines ;\r\nB =b;\r\nC=no end");
    LocalTextTable table(dir / "Language.txt");
    EXPECT_STREQ(table.Lookup("A"), " two\r\nlines ");
    EXPECT_STREQ(table.Lookup("B "), "b");
    EXPECT_STREQ(table.Lookup("B"), "B");
    // No ";" after the translation: the key is returned, even after misses
    // ("B" above) have been remembered behind the file's text.
    EXPECT_STREQ(table.Lookup("C"), "C");
}

TEST(LocalText, MissesAreRememberedAndTheFileIsReadOnce) {
    TempDir dir;
    WriteFile(dir / "Language.txt", "\r\nX=x;");
    LocalTextTable table(dir / "Language.txt");
    EXPECT_STREQ(table.Lookup("Y"), "Y");
    WriteFile(dir / "Language.txt", "\r\nX=changed;\r\nY=y;");
    EXPECT_STREQ(table.Lookup("X"), "x");
    EXPECT_STREQ(table.Lookup("Y"), "Y");
}

TEST(LocalText, DoubleByteCharactersAreNotSplit) {
    TempDir dir;
    // 0x81 0x0D would be a lead byte swallowing the CR: no line break there,
    // so the entry after it is not an entry.
    WriteFile(dir / "Language.txt", std::string("head\x81\r\nK=hidden;\r\nL=shown;"));
    LocalTextTable table(dir / "Language.txt");
    EXPECT_STREQ(table.Lookup("K"), "K");
    EXPECT_STREQ(table.Lookup("L"), "shown");
}

TEST(LocalText, TheRingWrapsAndRefusesWhatCannotFit) {
    TempDir dir;
    std::string a(300, 'a'), b(300, 'b'), big(499, 'z'), fits(498, 'y');
    WriteFile(dir / "Language.txt",
              "\r\nA=" + a + ";\r\nB=" + b + ";\r\nBIG=" + big + ";\r\nFITS=" + fits + ";");
    LocalTextTable table(dir / "Language.txt");
    // A fresh thread starts with an empty ring.
    std::thread([&] {
        const char* first = table.Lookup("A");
        EXPECT_EQ(std::string(first), a);
        const char* second = table.Lookup("B");
        EXPECT_EQ(second, first);  // placed at the start of the ring again
        EXPECT_EQ(std::string(first), b);
        EXPECT_STREQ(table.Lookup("BIG"), "BIG");
        EXPECT_EQ(std::string(table.Lookup("FITS")), fits);
    }).join();
}

TEST(LocalText, ThreadsGetTheirOwnRing) {
    TempDir dir;
    WriteFile(dir / "Language.txt",
              "\r\nA=" + std::string(200, 'a') + ";\r\nB=" + std::string(200, 'b') + ";");
    LocalTextTable table(dir / "Language.txt");
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const char* key = t % 2 ? "A" : "B";
            char want = t % 2 ? 'a' : 'b';
            for (int i = 0; i < 2000; ++i) {
                const char* s = table.Lookup(key);
                if (std::strlen(s) != 200 || s[0] != want || s[199] != want) {
                    ++bad[t];
                }
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(bad, std::vector<int>(4, 0));
}

// The process's table is read once; each test here starts it afresh in a
// folder of its own, whatever ran before in this process.
class ProcessTextTable : public ::testing::Test {
protected:
    void SetUp() override { ResetLocalText(); }
    void TearDown() override { ResetLocalText(); }

    TempDir dir_;
    testsupport::CurrentDirGuard cd_{dir_.path()};
};

TEST_F(ProcessTextTable, ReadsLanguageTxtOfTheCurrentFolderOnce) {
    WriteFile(dir_ / "Language.txt", G("\r\n更新完成,请启动游戏=Ready;"));
    EXPECT_STREQ(GetLocalText(G("更新完成,请启动游戏").c_str()), "Ready");
    EXPECT_STREQ(GetLocalText(GBK("警告")), GBK("警告"));
    // Changes take effect at the next start, not during the run.
    WriteFile(dir_ / "Language.txt", G("\r\n更新完成,请启动游戏=Changed;"));
    EXPECT_STREQ(GetLocalText(G("更新完成,请启动游戏").c_str()), "Ready");
    ResetLocalText();
    EXPECT_STREQ(GetLocalText(G("更新完成,请启动游戏").c_str()), "Changed");
}

TEST_F(ProcessTextTable, WithoutAFileTextsAreShownAsTheyAre) {
    std::string done = G("更新完成,请启动游戏");
    EXPECT_EQ(GetLocalText(done.c_str()), done.c_str());
}

}  // namespace
