#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Outcome {
    std::optional<int> code;
    std::string out;
    std::string err;
};

// A program with one required positional and a ranged option, like the
// tools.
Outcome RunPlain(const std::vector<std::string>& args) {
    CLI::App app{"A test program."};
    std::string file;
    int n = 1;
    app.add_option("FILE", file, "a file")->required();
    app.add_option("--count", n, "1..3")->check(CLI::Range(1, 3));
    std::ostringstream out, err;
    Outcome o;
    o.code = cli::Parse(app, "plain", args, out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
}

// A program with subcommands, like cpk and versiond.
Outcome RunCommands(const std::vector<std::string>& args) {
    CLI::App app{"A test program with commands."};
    app.require_subcommand(1);
    std::string archive;
    app.add_subcommand("ls", "list")->add_option("ARCHIVE", archive)->required();
    app.add_subcommand("check", "check")->add_option("ARCHIVE", archive)->required();
    std::ostringstream out, err;
    Outcome o;
    o.code = cli::Parse(app, "tool", args, out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
}

TEST(CommandLine, HelpAndVersionPrintOnStandardOutputAndEndTheProgram) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"x", "--help"}, {"--help", "--count", "9"}}) {
        Outcome o = RunPlain(args);
        ASSERT_TRUE(o.code) << args[0];
        EXPECT_EQ(*o.code, 0);
        EXPECT_NE(o.out.find("FILE"), std::string::npos) << o.out;
        EXPECT_EQ(o.err, "");
    }
    Outcome v = RunPlain({"--version"});
    ASSERT_TRUE(v.code);
    EXPECT_EQ(*v.code, 0);
    EXPECT_EQ(v.out, std::string("plain ") + cli::Version() + "\n");
    EXPECT_EQ(v.err, "");

    Outcome sub = RunCommands({"ls", "--help"});
    ASSERT_TRUE(sub.code);
    EXPECT_EQ(*sub.code, 0);
    EXPECT_NE(sub.out.find("ARCHIVE"), std::string::npos) << sub.out;
    Outcome subVersion = RunCommands({"--version"});
    ASSERT_TRUE(subVersion.code);
    EXPECT_EQ(*subVersion.code, 0);
    EXPECT_EQ(subVersion.out, std::string("tool ") + cli::Version() + "\n");
}

TEST(CommandLine, EveryUsageErrorIsOneLineAndExit64) {
    const std::vector<std::vector<std::string>> wrong{
        {},                       // FILE missing
        {"a", "--frob"},          // unknown option
        {"a", "b"},               // too many arguments
        {"a", "--count", "9"},    // out of range
        {"a", "--count", "two"},  // not a number
        {"a", "--count"},         // value missing
    };
    for (const auto& args : wrong) {
        Outcome o = RunPlain(args);
        ASSERT_TRUE(o.code);
        EXPECT_EQ(*o.code, cli::kExitUsage);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err.rfind("plain: ", 0), 0u) << o.err;
        EXPECT_EQ(o.err.substr(o.err.find('\n') + 1), "Try 'plain --help'.\n") << o.err;
    }
    Outcome right = RunPlain({"a", "--count", "2"});
    EXPECT_FALSE(right.code);
}

TEST(CommandLine, AWordThatNamesNoCommandIsCalledUnknown) {
    Outcome o = RunCommands({"frob", "a.cpk"});
    ASSERT_TRUE(o.code);
    EXPECT_EQ(*o.code, cli::kExitUsage);
    EXPECT_EQ(o.err, "tool: unknown command frob\nTry 'tool --help'.\n");

    // An unknown option is named before what is missing.
    Outcome option = RunCommands({"--frob"});
    ASSERT_TRUE(option.code);
    EXPECT_EQ(*option.code, cli::kExitUsage);
    EXPECT_EQ(option.err, "tool: unknown option --frob\nTry 'tool --help'.\n");
    Outcome plainOption = RunPlain({"--frob=1"});
    ASSERT_TRUE(plainOption.code);
    EXPECT_EQ(plainOption.err, "plain: unknown option --frob=1\nTry 'plain --help'.\n");
    // A negative number is a value, not an option.
    Outcome negative = RunPlain({"a", "-5"});
    ASSERT_TRUE(negative.code);
    EXPECT_EQ(negative.err.find("unknown option"), std::string::npos) << negative.err;

    Outcome none = RunCommands({});
    ASSERT_TRUE(none.code);
    EXPECT_EQ(*none.code, cli::kExitUsage);
    EXPECT_EQ(none.err.rfind("tool: ", 0), 0u);

    Outcome missing = RunCommands({"ls"});
    ASSERT_TRUE(missing.code);
    EXPECT_EQ(*missing.code, cli::kExitUsage);

    EXPECT_FALSE(RunCommands({"check", "a.cpk"}).code);
}

TEST(CommandLine, HandMadeCommandLinesFindHelpAndVersionBeforeTheEndOfOptions) {
    using cli::Asked;
    EXPECT_EQ(cli::AskedHelpOrVersion({}), Asked::kNothing);
    EXPECT_EQ(cli::AskedHelpOrVersion({"--console", "--help"}), Asked::kHelp);
    EXPECT_EQ(cli::AskedHelpOrVersion({"--version", "--yes"}), Asked::kVersion);
    EXPECT_EQ(cli::AskedHelpOrVersion({"drevik", "--", "--help"}), Asked::kNothing);

    std::ostringstream err;
    EXPECT_EQ(cli::UsageError(err, "prog", "too many arguments", "usage: prog DIR"), 64);
    EXPECT_EQ(err.str(), "prog: too many arguments\nusage: prog DIR\n");
    EXPECT_EQ(cli::FailureLine("prog", "cannot write", "a.txt", "disk full (28)"),
              "prog: cannot write: a.txt: disk full (28)");
    EXPECT_EQ(cli::FailureLine("prog", "cannot start the game", "", "no such file"),
              "prog: cannot start the game: no such file");
}

}  // namespace
