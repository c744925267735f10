// Every program the suite ships, started as a user starts it, in an empty
// folder of its own: --help and --version print and end with 0, an unknown
// option is a usage error (64), and no arguments does what the README says.
// None of them leaves a file in the folder it ran in. HOME and the XDG
// folders point into the test's own folder, so nothing machine-wide is
// touched; without a display the window programs must fail with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

struct Program {
    const char* file;  // in the build's program folder, without ".exe"
    const char* name;  // what it calls itself in its messages
};

const Program kPrograms[] = {
#ifdef _WIN32
    {"Drevik", "drevik"},
#else
    {"drevik", "drevik"},
#endif
    {"UpdatePackef.dat", "UpdatePackef.dat"},
    {"cpk", "cpk"},
    {"mkpatch", "mkpatch"},
    {"versiond", "versiond"},
    {"ftpfetch", "ftpfetch"},
    {"attdb", "attdb"},
    {"mapinfo", "mapinfo"},
    {"mapedit", "mapedit"},
    {"mapedit_sample", "mapedit_sample"},
    {"talvane_console", "talvane_console"},
    {"msgbox_demo", "msgbox_demo"},
    {"arena", "arena"},
    {"arena_server", "arena_server"},
};

std::string PathOf(const Program& p) {
    std::string path = testsupport::ProgramDir() + "\\" + p.file;
#ifdef _WIN32
    if (path.find(".dat") == std::string::npos) {
        path += ".exe";
    }
#endif
    return path;
}

struct Outcome {
    bool ended = false;  // false: it overran the limit and was killed
    int code = -1;
    std::string out;
    std::string err;
    std::vector<std::string> leftovers;  // what it left in its working folder
};

std::string WithoutCr(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A run's own folders: work\ (its working folder, empty) and home\ (HOME
// and the XDG folders), and its standard streams as files beside them.
class Sandbox {
public:
    Sandbox() {
        const std::string home = dir_ / "home";
        for (const char* sub :
             {"work", "home", "home\\config", "home\\cache", "home\\data", "home\\run"}) {
            EXPECT_TRUE(platform::CreateDirectory(dir_ / sub));
        }
        const std::pair<const char*, std::string> vars[] = {
            {"HOME", platform::NativePath(home)},
            {"XDG_CONFIG_HOME", platform::NativePath(home + "\\config")},
            {"XDG_CACHE_HOME", platform::NativePath(home + "\\cache")},
            {"XDG_DATA_HOME", platform::NativePath(home + "\\data")},
            {"XDG_RUNTIME_DIR", platform::NativePath(home + "\\run")},
            // No display: the window programs must say so, not hang.
            {"DISPLAY", ""},
            {"WAYLAND_DISPLAY", ""},
            {"SDL_VIDEODRIVER", ""},
        };
        for (const auto& v : vars) {
            env_.push_back(std::make_unique<ScopedEnv>(v.first, v.second));
        }
        testsupport::WriteFile(dir_ / "in.txt", "");  // standard input ends at once
    }

    platform::StandardStreams Streams() const {
        return {dir_ / "in.txt", dir_ / "out.txt", dir_ / "err.txt"};
    }
    std::string Work() const { return dir_ / "work"; }
    // Text streams end their lines in "\r\n" on Windows.
    std::string Out() const { return WithoutCr(ReadFile(dir_ / "out.txt")); }
    std::string Err() const { return WithoutCr(ReadFile(dir_ / "err.txt")); }

    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        auto entries = platform::ListDirectory(Work());
        EXPECT_TRUE(entries) << entries.error().Message();
        if (entries) {
            for (const platform::DirEntry& e : *entries) {
                names.push_back(platform::GbkToUtf8(e.name));
            }
        }
        return names;
    }

private:
    TempDir dir_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

// Starts the program in a fresh sandbox; until is asked, with what it has
// written so far, whether the run has shown what it should (a server that
// serves until stopped), and then the program is asked to end.
Outcome Start(const Program& p, const std::vector<std::string>& args,
              const std::function<bool(const std::string& out)>& until = nullptr) {
    Sandbox box;
    Outcome run;
    auto started = platform::StartProgram(PathOf(p), args, box.Work(), box.Streams());
    EXPECT_TRUE(started) << p.name << ": " << started.error().Message();
    if (!started) {
        return run;
    }
    platform::Process& process = *started;
    if (until) {
        const bool shown = testsupport::WaitUntil([&] { return until(box.Out()); });
        EXPECT_TRUE(shown) << p.name << " did not show what it should: " << box.Out() << box.Err();
        process.Terminate();
    }
    auto code = process.Wait(static_cast<int>(testsupport::kWaitLimitMs));
    if (!code) {
        process.Kill();
        (void)process.Wait(-1);
    } else {
        run.ended = true;
        run.code = *code;
    }
    run.out = box.Out();
    run.err = box.Err();
    run.leftovers = box.Leftovers();
    return run;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string Describe(const Program& p, const std::string& what, const Outcome& r) {
    std::string left;
    for (const std::string& name : r.leftovers) {
        left += " " + name;
    }
    return std::string(p.name) + " " + what + ": exit " + std::to_string(r.code) + "\n--- out:\n" +
           r.out + "--- err:\n" + r.err + "--- left:" + left;
}

class CommandLines : public ::testing::TestWithParam<Program> {};

TEST_P(CommandLines, HelpAndVersionPrintAndEnd) {
    const Program& p = GetParam();
    for (const char* flag : {"--help", "--version"}) {
        Outcome r = Start(p, {flag});
        ASSERT_TRUE(r.ended) << Describe(p, flag, r);
        EXPECT_EQ(r.code, 0) << Describe(p, flag, r);
        EXPECT_EQ(r.err, "") << Describe(p, flag, r);
        EXPECT_TRUE(r.leftovers.empty()) << Describe(p, flag, r);
        if (std::string(flag) == "--help") {
            EXPECT_NE(r.out.find(p.name), std::string::npos) << Describe(p, flag, r);
        } else {
            EXPECT_EQ(r.out, cli::VersionLine(p.name)) << Describe(p, flag, r);
        }
    }
}

TEST_P(CommandLines, AnUnknownOptionIsAUsageError) {
    const Program& p = GetParam();
    Outcome r = Start(p, {"--no-such-option"});
    ASSERT_TRUE(r.ended) << Describe(p, "--no-such-option", r);
    EXPECT_EQ(r.code, cli::kExitUsage) << Describe(p, "--no-such-option", r);
    EXPECT_EQ(r.out, "") << Describe(p, "--no-such-option", r);
    const std::string line = FirstLine(r.err);
    EXPECT_EQ(line.rfind(std::string(p.name) + ": ", 0), 0u) << Describe(p, "--no-such-option", r);
    EXPECT_NE(line.find("--no-such-option"), std::string::npos)
        << Describe(p, "--no-such-option", r);
    // The usage or the way to it follows the line.
    EXPECT_GT(r.err.size(), line.size() + 1) << Describe(p, "--no-such-option", r);
    EXPECT_TRUE(r.leftovers.empty()) << Describe(p, "--no-such-option", r);
}

// What each program does with no arguments at all, as the README has it.
TEST_P(CommandLines, NoArgumentsDoesWhatTheReadmeSays) {
    const Program& p = GetParam();
    const std::string name = p.name;
    if (name == "arena_server") {
        // Serves on a free port of 127.0.0.1 until it is stopped.
        Outcome r = Start(p, {}, [](const std::string& out) {
            return out.find("arena_server: listening on 127.0.0.1:") != std::string::npos;
        });
        EXPECT_TRUE(r.ended) << Describe(p, "(no arguments)", r);
        EXPECT_TRUE(r.leftovers.empty()) << Describe(p, "(no arguments)", r);
        return;
    }
    Outcome r = Start(p, {});
    ASSERT_TRUE(r.ended) << Describe(p, "(no arguments)", r);
    EXPECT_TRUE(r.leftovers.empty()) << Describe(p, "(no arguments)", r);
    if (name == "drevik") {
        // Nothing to update from: the folder has no update.ini.
        EXPECT_EQ(r.code, cli::kExitFailed) << Describe(p, "(no arguments)", r);
        EXPECT_NE(r.err.find("update.ini is missing"), std::string::npos)
            << Describe(p, "(no arguments)", r);
        EXPECT_NE(r.err.find(platform::GbkToUtf8(platform::NativePath("update.ini"))),
                  std::string::npos)
            << Describe(p, "(no arguments)", r);
    } else if (name == "UpdatePackef.dat") {
        EXPECT_EQ(r.code, cli::kExitFailed) << Describe(p, "(no arguments)", r);
        EXPECT_EQ(FirstLine(r.err).rfind("UpdatePackef.dat: no new patcher in ", 0), 0u)
            << Describe(p, "(no arguments)", r);
    } else if (name == "talvane_console") {
        // Its input ends at once: the console ends as on quit.
        EXPECT_EQ(r.code, cli::kExitOk) << Describe(p, "(no arguments)", r);
        EXPECT_NE(r.out, "") << Describe(p, "(no arguments)", r);
    } else if (name == "msgbox_demo") {
        EXPECT_EQ(r.code, cli::kExitOk) << Describe(p, "(no arguments)", r);
        EXPECT_NE(r.out.find("done"), std::string::npos) << Describe(p, "(no arguments)", r);
    } else if (name == "arena") {
        // A window without a display: a message, not a hang.
        EXPECT_EQ(r.code, cli::kExitFailed) << Describe(p, "(no arguments)", r);
        EXPECT_EQ(FirstLine(r.err).rfind("arena: ", 0), 0u) << Describe(p, "(no arguments)", r);
    } else {
        // The tools need their arguments.
        EXPECT_EQ(r.code, cli::kExitUsage) << Describe(p, "(no arguments)", r);
        EXPECT_EQ(r.out, "") << Describe(p, "(no arguments)", r);
        EXPECT_EQ(FirstLine(r.err).rfind(name + ": ", 0), 0u) << Describe(p, "(no arguments)", r);
    }
}

// The patcher's print-only commands go through the console --console asks
// for, and the update itself needs update.ini before it touches anything.
TEST(PatcherCommandLine, ConsoleCommandsAndAFolderWithoutUpdateIni) {
    const Program& drevik = kPrograms[0];
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--console", "--servers"}, {"--servers", "--console"}}) {
        Outcome r = Start(drevik, args);
        ASSERT_TRUE(r.ended) << Describe(drevik, args[0] + " " + args[1], r);
        // The file is missing: 1, as --servers documents, not a usage error.
        EXPECT_EQ(r.code, 1) << Describe(drevik, args[0] + " " + args[1], r);
        EXPECT_NE(r.out.find("update.ini"), std::string::npos)
            << Describe(drevik, args[0] + " " + args[1], r);
    }
    Outcome extra = Start(drevik, {"--servers", "--yes"});
    EXPECT_EQ(extra.code, cli::kExitUsage) << Describe(drevik, "--servers --yes", extra);

    Outcome r = Start(drevik, {"--console", "--yes"});
    ASSERT_TRUE(r.ended) << Describe(drevik, "--console --yes", r);
    EXPECT_EQ(r.code, cli::kExitFailed) << Describe(drevik, "--console --yes", r);
    EXPECT_EQ(FirstLine(r.err).rfind("drevik: cannot update: ", 0), 0u)
        << Describe(drevik, "--console --yes", r);
    EXPECT_NE(r.err.find("update.ini is missing"), std::string::npos)
        << Describe(drevik, "--console --yes", r);
    // Not a word about servers, and no empty version.dat.
    EXPECT_EQ(r.out.find(std::string("无法连接服务器")), std::string::npos)
        << Describe(drevik, "--console --yes", r);
    EXPECT_TRUE(r.leftovers.empty()) << Describe(drevik, "--console --yes", r);
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, CommandLines, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<Program>& info) {
                             std::string n = info.param.name;
                             for (char& c : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return n;
                         });

}  // namespace
