#include "patcher/ServersCommand.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "PingSupport_test.h"
#include "patcher/LoginChoice.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/settings.h"
#include "platform/text.h"
#include "testsupport/settings_store.h"
#include "testsupport/temp_dir.h"

namespace {

class ServersCommand : public ::testing::Test {
protected:
    testsupport::ScopedSettingsStore store_{"ServersCommand"};

    int Run(std::string& output) {
        ServerListOptions options;
        options.folder = dir_.path();
        options.pingTimeoutMs = pingtest::kAnswerTimeoutMs;
        options.settings = store_.store();
        std::ostringstream out;
        int rc = RunServersCommand(out, options);
        output = out.str();
        return rc;
    }

    testsupport::TempDir dir_;
    platform::ScriptedMessageBoxes boxes_;
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(ServersCommand, PrintsWhatThePatcherMakesOfUpdateIni) {
    testsupport::WriteFile(dir_ / "update.ini",
                           platform::Utf8ToGbk("[config]\r\nBorough_num=2\r\n"
                                               "[Borough0]\r\nname=东区\r\ndianxin=4\r\n"
                                               "login_num=1\r\nip0=127.0.0.1\r\n"
                                               "[Borough1]\r\nname=西区\r\ndianxin=5\r\n"
                                               "login_num=1\r\nip0=127.0.0.2\r\n"
                                               "[checkversion]\r\nnum=1\r\nip0=127.0.0.1\r\n"));
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "127.0.0.2"));
    std::string out;
    EXPECT_EQ(Run(out), kServersOk) << out;
    // Rows in UTF-8, the selected one marked.
    EXPECT_TRUE(Has(out, "\n         东区 ")) << out;
    EXPECT_TRUE(Has(out, "\n  *      西区 ")) << out;
    EXPECT_TRUE(Has(out, "Borough0 \"东区\", line type 4\n    ip0 127.0.0.1: ")) << out;
    EXPECT_TRUE(Has(out, "registry Borough: 127.0.0.2\n")) << out;
    EXPECT_TRUE(Has(out, "version servers: 1 of 1 resolved\n  ip0 127.0.0.1 -> 127.0.0.1\n"))
        << out;
    EXPECT_FALSE(Has(out, "problems")) << out;
    // Looking is all it does.
    EXPECT_EQ(ReadLoginChoice(store_.store()).text, "127.0.0.2");
}

TEST_F(ServersCommand, NamesTheProblemsOfAFileThatCannotWork) {
    testsupport::WriteFile(dir_ / "update.ini",
                           "[config]\r\nBorough_num=1\r\n[Borough0]\r\nname=x\r\n"
                           "[checkversion]\r\nnum=2\r\nip0=127.0.0.1\r\nip1=nosuch.invalid\r\n");
    ASSERT_TRUE(WriteLoginChoice(store_.store(), "10.1.1.1"));
    std::string out;
    EXPECT_EQ(Run(out), kServersProblems) << out;
    EXPECT_TRUE(Has(out, "    no login address\n")) << out;
    EXPECT_TRUE(Has(out, "10.1.1.1 (no server has this address; row 0 is preselected)")) << out;
    EXPECT_TRUE(Has(out, "  ip1 nosuch.invalid -> does not resolve\n")) << out;
    EXPECT_TRUE(Has(out,
                    "problems:\n  Borough0 has no login address\n"
                    "  checkversion ip1 does not resolve\n"))
        << out;
    EXPECT_EQ(boxes_.count(), 1u);  // the build's own box, through the service
}

TEST_F(ServersCommand, ListsTheWebMirrorsAndTheEntriesLeftOut) {
    const std::string ini =
        "[config]\r\nBorough_num=1\r\n[Borough0]\r\nname=x\r\nlogin_num=1\r\n"
        "ip0=127.0.0.1\r\n[checkversion]\r\nnum=1\r\nip0=127.0.0.1\r\n";
    testsupport::WriteFile(dir_ / "update.ini", ini);
    std::string out;
    EXPECT_EQ(Run(out), kServersOk) << out;
    EXPECT_FALSE(Has(out, "web mirrors")) << out;

    testsupport::WriteFile(dir_ / "update.ini",
                           ini +
                               "[mirror]\r\nnum=2\r\nurl0=https://cdn.example.net/p/\r\n"
                               "url1=ftp://files.example.net\r\nca=ca.pem\r\n");
    EXPECT_EQ(Run(out), kServersProblems) << out;
    EXPECT_TRUE(Has(out, "web mirrors: 1 (")) << out;
    EXPECT_TRUE(Has(out, "\n  https://cdn.example.net/p\n")) << out;
    EXPECT_TRUE(Has(out,
                    "  mirror url1=ftp://files.example.net: not an http:// or https:// "
                    "address, ignored\n"))
        << out;
    EXPECT_TRUE(Has(out, "  mirror ca=ca.pem: no such file\n")) << out;
}

// Once the folder trusts a release file, its keys are the ones in force,
// whatever update.ini's [sign] lists.
TEST_F(ServersCommand, TheKeysInForceComeFromTheTrustedReleaseFile) {
    testsupport::WriteFile(dir_ / "update.ini",
                           "[config]\r\nBorough_num=1\r\n[Borough0]\r\nname=x\r\nlogin_num=1\r\n"
                           "ip0=127.0.0.1\r\n[checkversion]\r\nnum=1\r\nip0=127.0.0.1\r\n"
                           "[sign]\r\nnum=1\r\nkey0=not a key\r\n");
    std::string out;
    EXPECT_EQ(Run(out), kServersProblems) << out;
    EXPECT_TRUE(Has(out, "publisher keys: 0 (")) << out;

    testsupport::WriteFile(
        dir_ / "release.txt",
        "tesmar release 1\nserial 4\nexpires 2030-01-01T00:00:00Z\n"
        "latest 103\nkey RWQ1LP2gPNNw0hybam5uwTqZ5SfenxvuRrYjnoi5UcQAxhNsPhMjn0V6\n");
    EXPECT_EQ(Run(out), kServersOk) << out;
    EXPECT_TRUE(Has(out, "publisher keys: (from release.txt, serial 4, latest 103) 1 (")) << out;
    EXPECT_TRUE(Has(out, "\n  D270D33CA0FD2C35\n")) << out;
}

TEST_F(ServersCommand, AMissingFileIsSaidSo) {
    std::string out;
    EXPECT_EQ(Run(out), kServersNoConfig);
    EXPECT_TRUE(Has(out, "cannot be read or is empty")) << out;
}

TEST_F(ServersCommand, TheProgramTakesTheOption) {
#ifdef _WIN32
    const std::string program = testsupport::ProgramDir() + "\\Drevik.exe";
#else
    const std::string program = testsupport::ProgramDir() + "\\drevik";
#endif
#ifndef _WIN32
    // The child reads the settings store of its own environment.
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", platform::NativePath(dir_.path()));
#endif
    // In a folder without update.ini; nothing is pinged or resolved.
    auto run = platform::StartProgram(program, {"--servers"}, dir_.path());
    ASSERT_TRUE(run) << run.error().Message();
    EXPECT_EQ(run->Wait(-1).value_or(-1), kServersNoConfig);
    auto bad = platform::StartProgram(program, {"--servers", "--nonsense"}, dir_.path());
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->Wait(-1).value_or(-1), 64);
}

}  // namespace
