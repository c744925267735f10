#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "framework/GConsole.h"
#include "lumo/DrawX.h"
#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using GFC::GConsole;

std::vector<std::vector<std::string>> g_calls;
std::vector<std::string> g_names;

void Record(const std::vector<std::string>& args) {
    g_calls.push_back(args);
    g_names.push_back("first");
}
void RecordSecond(const std::vector<std::string>& args) {
    g_calls.push_back(args);
    g_names.push_back("second");
}

void Type(GConsole& c, const std::string& text) {
    for (char ch : text) {
        c.OnChar(ch);
    }
}
void Enter(GConsole& c, const std::string& line) {
    Type(c, line);
    c.OnChar(GConsole::kKeyEnter);
}

// The scrollback lines that hold text, oldest first.
std::vector<std::string> Shown(const GConsole& c) {
    std::vector<std::string> lines;
    for (int i = 0; i < GConsole::kLines; ++i) {
        if (*c.GetLine(i)) {
            lines.push_back(c.GetLine(i));
        }
    }
    return lines;
}

class Console : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_names.clear();
    }
    GConsole con;
};

TEST_F(Console, HelpInAnyCaseListsEveryCommandAfterItsHeader) {
    con.RegCommand(Record, "spawn", "spawn a monster");
    con.RegCommand(Record, "Teleport", "go to x,z");
    con.RegCommand(RecordSecond, "help", "never runs: the built-in help comes first");
    Enter(con, "HELP");
    EXPECT_EQ(Shown(con),
              (std::vector<std::string>{">HELP", "--Console cmd list:", "spawn:spawn a monster",
                                        "Teleport:go to x,z",
                                        "help:never runs: the built-in help comes first"}));
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(Console, ArgumentsAreSplitAtSpacesAndCommas) {
    con.RegCommand(Record, "move", "");
    Enter(con, "MoVe 3,4  5");
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0], (std::vector<std::string>{"3", "4", "5"}));
    Enter(con, " ,move,, ,");
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_TRUE(g_calls[1].empty());
}

TEST_F(Console, FirstRegisteredOfEqualNamesWinsAndUnknownNamesAreReported) {
    con.RegCommand(Record, "go", "");
    con.RegCommand(RecordSecond, "GO", "");
    Enter(con, "gO now");
    EXPECT_EQ(g_names, (std::vector<std::string>{"first"}));
    Enter(con, "nothing here");
    EXPECT_STREQ(con.GetLine(GConsole::kLines - 1), "Console error: unknow console command.");
    EXPECT_STREQ(con.GetLine(GConsole::kLines - 2), ">nothing here");
}

TEST_F(Console, LongNamesAndHelpTextsAreCut) {
    con.RegCommand(Record, std::string(40, 'n').c_str(), std::string(150, 'h').c_str());
    con.RegCommand(Record, nullptr, nullptr);
    ASSERT_EQ(con.GetCommands().size(), 2u);
    EXPECT_EQ(std::string(con.GetCommands()[0].name), std::string(31, 'n'));
    EXPECT_EQ(std::string(con.GetCommands()[0].help), std::string(99, 'h'));
    EXPECT_STREQ(con.GetCommands()[1].name, "");
    Enter(con, std::string(31, 'N'));
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(Console, HistoryKeepsALineOnceWhateverItsCase) {
    Enter(con, "say hi");
    Enter(con, "say hi");
    Enter(con, "SAY HI");
    EXPECT_EQ(con.GetHistory(), (std::vector<std::string>{"say hi"}));
    Enter(con, "other");
    Enter(con, "say hi");
    EXPECT_EQ(con.GetHistory(), (std::vector<std::string>{"say hi", "other", "say hi"}));
    // An empty line echoes ">" and runs nothing.
    Enter(con, "");
    EXPECT_EQ(con.GetHistory().size(), 3u);
    EXPECT_STREQ(con.GetLine(GConsole::kLines - 1), ">");
    EXPECT_STREQ(con.GetLine(GConsole::kLines - 2), "Console error: unknow console command.");
}

TEST_F(Console, UpArrowCyclesTheHistoryNewestFirst) {
    con.OnChar(GConsole::kKeyUp);
    EXPECT_STREQ(con.GetInputLine(), "_");
    EXPECT_EQ(con.GetHistoryCursor(), -1);
    Enter(con, "a");
    Enter(con, "b");
    Enter(con, "c");
    std::vector<std::string> recalled;
    for (int i = 0; i < 5; ++i) {
        con.OnChar(GConsole::kKeyUp);
        recalled.push_back(con.GetInputLine());
    }
    EXPECT_EQ(recalled, (std::vector<std::string>{"c_", "b_", "a_", "c_", "b_"}));
    // A recalled line can be edited and entered.
    con.OnChar(GConsole::kKeyBackspace);
    Type(con, "x");
    EXPECT_STREQ(con.GetInputLine(), "x_");
    con.OnChar(GConsole::kKeyEscape);
    EXPECT_STREQ(con.GetInputLine(), "_");
}

TEST_F(Console, InputLineHoldsAtMostNinetyEightTypedCharacters) {
    con.OnChar(GConsole::kKeyBackspace);
    EXPECT_STREQ(con.GetInputLine(), "_");
    Type(con, std::string(98, 'k'));
    EXPECT_EQ(std::string(con.GetInputLine()), std::string(98, 'k') + "_");
    con.OnChar('z');
    EXPECT_EQ(std::string(con.GetInputLine()), std::string(98, 'k') + "_");
    con.OnChar(GConsole::kKeyBackspace);
    con.OnChar('z');
    EXPECT_EQ(std::string(con.GetInputLine()), std::string(97, 'k') + "z_");
    // Control codes without a meaning of their own are typed like letters.
    con.OnChar(GConsole::kKeyEscape);
    con.OnChar('\t');
    con.OnChar(' ');
    con.OnChar(static_cast<char>(0xB0));  // a GBK lead byte
    EXPECT_STREQ(con.GetInputLine(), "\t \xB0_");
    // NUL cannot be part of a zero-terminated line.
    con.OnChar('\0');
    EXPECT_STREQ(con.GetInputLine(), "\t \xB0_");
}

TEST_F(Console, PrintFillsAtMostTwoLinesOfNinetyNine) {
    con.Print("%s", std::string(150, 'a').c_str());
    EXPECT_EQ(std::string(con.GetLine(18)), std::string(99, 'a'));
    EXPECT_EQ(std::string(con.GetLine(19)), std::string(51, 'a'));
    con.Print("%s%s", std::string(99, 'b').c_str(), std::string(900, 'c').c_str());
    EXPECT_EQ(std::string(con.GetLine(18)), std::string(99, 'b'));
    EXPECT_EQ(std::string(con.GetLine(19)), std::string(99, 'c'));
    EXPECT_EQ(std::string(con.GetLine(17)), std::string(51, 'a'));
    EXPECT_EQ(con.GetLinesPrinted(), 4u);
    con.Print("%d", 7);
    EXPECT_STREQ(con.GetLine(19), "7");
    EXPECT_STREQ(con.GetLine(20), "");
    EXPECT_STREQ(con.GetLine(-1), "");
    for (int i = 0; i < 30; ++i) {
        con.Print("line %d", i);
    }
    EXPECT_STREQ(con.GetLine(0), "line 10");
    EXPECT_STREQ(con.GetLine(19), "line 29");
}

TEST_F(Console, InactiveConsoleIgnoresEverythingButTheBackquote) {
    con.RegCommand(Record, "go", "");
    Enter(con, "go");
    Enter(con, "stay");
    con.OnChar('`');
    EXPECT_FALSE(con.IsActive());
    EXPECT_EQ(con.GetHistoryCursor(), -1);
    Enter(con, "go");
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_STREQ(con.GetInputLine(), "_");
    con.OnChar('`');
    EXPECT_TRUE(con.IsActive());
    EXPECT_EQ(con.GetHistoryCursor(), 1);
    EXPECT_STREQ(con.GetInputLine(), "_");
    con.OnChar(GConsole::kKeyUp);
    EXPECT_STREQ(con.GetInputLine(), "stay_");
}

TEST_F(Console, DrawShowsBackgroundInputBarInputAndNonEmptyLines) {
    GFC::RECT rc = {10, 20, 640, 300};
    con.Init(rc);
    con.Print("first");
    con.Print("%s", "");
    con.Print("second");
    Type(con, "ab");
    Lumo::DrawX::ClearRecorded();
    con.Draw();
    auto calls = Lumo::DrawX::GetRecorded();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].kind, Lumo::DrawCall::QUAD_2D);
    EXPECT_EQ(calls[0].x, 0);
    EXPECT_EQ(calls[0].y, 0);
    EXPECT_EQ(calls[0].w, 640);
    EXPECT_EQ(calls[0].h, 300);
    EXPECT_FALSE(calls[0].flag);
    EXPECT_EQ(calls[0].colour, uint32_t(Lumo::Color4ub(200, 5, 0, 5)));
    EXPECT_EQ(calls[1].x, 10);
    EXPECT_EQ(calls[1].y, 284);
    EXPECT_EQ(calls[1].w, 630);
    EXPECT_EQ(calls[1].h, 16);
    EXPECT_EQ(calls[1].colour, uint32_t(Lumo::Color4ub(200, 5, 50, 55)));
    EXPECT_EQ(calls[2].kind, Lumo::DrawCall::DEBUG_STRING);
    EXPECT_EQ(calls[2].text, "ab_");
    EXPECT_EQ(calls[2].x, 14);
    EXPECT_EQ(calls[2].y, 283);
    EXPECT_EQ(calls[2].colour, 0xFFFFFFFFu);
    EXPECT_EQ(calls[3].text, "first");
    EXPECT_EQ(calls[3].y, 20 + 16 * 17);
    EXPECT_EQ(calls[4].text, "second");
    EXPECT_EQ(calls[4].y, 20 + 16 * 19);

    Lumo::DrawX::ClearRecorded();
    con.SetActive(false);
    con.Draw();
    EXPECT_TRUE(Lumo::DrawX::GetRecorded().empty());
}

TEST_F(Console, LogFileHasAHeaderAndTheLinesThatHoldText) {
    testsupport::TempDir dir;
    con.Print("alpha");
    con.Print("%s", "");
    con.Print("beta");
    EXPECT_TRUE(con.LogToFile((dir / "Console.log").c_str()));
    std::string text = testsupport::ReadFile(dir / "console.log");
    std::string module = platform::ModulePath().substr(0, 127);
    ASSERT_EQ(text.compare(0, module.size(), module), 0) << text;
    std::string rest = text.substr(module.size());
    // Windows writes the file in text mode, so lines may end in "\r\n".
    EXPECT_TRUE(
        std::regex_match(rest, std::regex(" Log at \\d\\d/\\d\\d/\\d\\d\\t\\d\\d:\\d\\d:\\d\\d"
                                          "\\r?\\nalpha\\r?\\nbeta\\r?\\n")))
        << rest;

    EXPECT_FALSE(con.LogToFile((dir / "no such folder\\x.log").c_str()));
    EXPECT_FALSE(con.LogToFile(nullptr));
    EXPECT_FALSE(platform::Exists(dir / "no such folder"));
}

// A full disk shows only when the buffered lines reach the file, at the
// latest when it is closed; such a log must not pass as written.
TEST_F(Console, LogOnAFullDiskIsNotReportedAsWritten) {
#ifdef _WIN32
    const std::string full = "Z:\\dev\\full";  // Wine's Z: is the Unix root
#else
    const std::string full = platform::SystemPathFromNative("/dev/full");
#endif
    if (!platform::Exists(full)) {
        GTEST_SKIP() << "no always-full device here";
    }
    con.Print("alpha");
    EXPECT_FALSE(con.LogToFile(full.c_str()));
}

}  // namespace
