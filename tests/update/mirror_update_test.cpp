// The whole update with web mirrors in update.ini: versiond and proftpd as
// in the other update tests, and nginx on loopback serving the same packages
// (plainly, ignoring Range, over https, or with other contents), in process
// with the real driver. What each package held when it was unpacked is
// compared with what the release holds.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cpk/CPKVfs.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/CUpdateDlg.h"
#include "patcher/PatchFileList.h"
#include "patcher/UpdateDriver.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/net.h"
#include "platform/text.h"
#include "testsupport/nginx_server.h"
#include "testsupport/settings_store.h"
#include "update_dialog.h"
#include "update_fixture.h"

namespace {

using namespace testsupport;

bool HasRetr(const std::vector<std::string>& commands, size_t from = 0) {
    for (size_t i = from; i < commands.size(); ++i) {
        if (commands[i].rfind("RETR ", 0) == 0) {
            return true;
        }
    }
    return false;
}

class MirrorUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        if (!nginx_.ok()) {
            GTEST_SKIP() << nginx_.error();
        }
        release_ = ThreePatches(PatternBytes(1 << 20, 3));
    }
    void TearDown() override {
        dialog_.reset();
        PatchFiles().Clear();
    }

    // The release on FTP, and under each of folders of nginx's root ("" the
    // root itself).
    void Serve(const std::vector<std::string>& folders, int ftpRateKBps = 0) {
        servers_ = std::make_unique<UpdateServers>();
        if (!servers_->Start(release_, ftpRateKBps)) {
            GTEST_SKIP() << servers_->error();
        }
        for (const std::string& folder : folders) {
            for (const auto& [path, contents] : release_.files) {
                WriteFile(nginx_.root() + (folder.empty() ? "" : "\\" + folder) + "\\" + path,
                          contents);
            }
        }
    }
    // A game folder at version 101 whose update.ini lists the mirrors.
    void Game(const std::vector<std::string>& mirrors, const std::string& extra = "") {
        std::string ini = UpdateIni({servers_->versionAddress()}, servers_->versionPort());
        if (!mirrors.empty()) {
            ini += "[mirror]\r\nnum=" + std::to_string(mirrors.size()) + "\r\n";
            for (size_t i = 0; i < mirrors.size(); ++i) {
                ini += "url" + std::to_string(i) + "=" + mirrors[i] + "\r\n";
            }
            ini += extra;
        }
        WriteFile(game_ / "update.ini", ini);
        WriteVersion(game_.path(), 101);
    }

    void Open() {
        UpdateDriverOptions o;
        o.walk = [this](CUpdateDlg&, UpdateShared& shared, uint32_t& counter, CPKVfs& package,
                        CPKVfs&) {
            std::lock_guard<std::mutex> lock(mu_);
            unpacked_[FileNamePart(package.Path())] = ReadFile(package.Path());
            counter += package.Header().liveCount;
            return shared.unpack.stopFlag.load() ? 0 : 1;
        };
        o.replyPolls = 300;
        o.ftp = ftpOptions_;
        o.serverList.settings = settings_.store();
        dialog_ = OpenUpdateDialog(
            game_ / "drevik", o,
            [](const std::string&, const std::vector<std::string>&) { return true; });
    }
    UpdateDriver& Driver() { return static_cast<UpdateDriver&>(dialog_->work()); }

    bool RunUntil(const std::function<bool()>& done) { return RunDialogUntil(*dialog_, done); }
    bool RunToOutcome() { return RunDialogToOutcome(*dialog_); }
    std::string Boxes() const {
        std::string texts;
        for (const auto& b : boxes_.asked()) {
            texts += b.text + "\n";
        }
        return texts;
    }
    std::string Failures() {
        std::string text;
        for (const std::string& f : Driver().downloader().mirrorFailures()) {
            text += f + "\n";
        }
        return text;
    }
    // Runs the update to its end and checks that it brought 103 with the
    // release's very packages.
    void ExpectUpdated() {
        ASSERT_TRUE(RunToOutcome());
        EXPECT_EQ(dialog_->outcome(), UpdateOutcome::kDone) << Boxes() << Failures();
        EXPECT_EQ(ReadVersion(game_.path()), 103);
        EXPECT_TRUE(boxes_.asked().empty()) << Boxes();
        std::lock_guard<std::mutex> lock(mu_);
        EXPECT_EQ(unpacked_.size(), 2u);
        for (const char* path : {"v101\\p102.cpk", "v102\\p103.cpk"}) {
            EXPECT_TRUE(unpacked_[FileNamePart(path)] == release_.files[path]) << path;
        }
    }
    std::vector<std::string> FtpCommands() {
        EXPECT_TRUE(servers_->ftp().WaitForSessionsToEnd());
        return servers_->ftp().Commands();
    }
    // An http address of 127.0.0.1 that refuses connections: a port bound
    // by the test (so no other takes it) where nothing listens.
    std::string RefusingBase() {
        auto socket = platform::TcpSocket::Bind("127.0.0.1", 0);
        if (!socket) {
            return "";
        }
        refusing_ = std::move(socket.value());
        auto port = refusing_.LocalPort();
        return port ? "http://127.0.0.1:" + std::to_string(*port) : "";
    }

    NginxServer nginx_;
    std::shared_ptr<const FtpDownloaderOptions> ftpOptions_;
    Release release_;
    testsupport::ScopedSettingsStore settings_{"MirrorUpdate"};
    TempDir game_;
    CurrentDirGuard cwd_{game_.path()};
    platform::ScriptedMessageBoxes boxes_;
    std::unique_ptr<UpdateServers> servers_;
    std::unique_ptr<CUpdateDlg> dialog_;
    platform::TcpSocket refusing_;
    std::mutex mu_;
    std::map<std::string, std::string> unpacked_;
};

TEST_F(MirrorUpdate, AWholeUpdateComesFromTheWebMirror) {
    Serve({"patches"});
    Game({nginx_.HttpBase() + "/patches/"});
    Open();
    ExpectUpdated();
    EXPECT_EQ(Failures(), "");
    // The FTP server gave the sizes only.
    EXPECT_FALSE(HasRetr(FtpCommands()));
}

TEST_F(MirrorUpdate, FailingMirrorsLeaveTheListAndAGoodOneServes) {
    Serve({""});
    const std::string refusing = RefusingBase();
    ASSERT_NE(refusing, "");
    const std::string missing = nginx_.HttpBase() + "/missing";
    const std::string broken = nginx_.HttpBase() + "/error500";
    Game({missing, broken, refusing, "ftp://127.0.0.1/x", nginx_.HttpBase()});
    Open();
    ExpectUpdated();
    EXPECT_FALSE(HasRetr(FtpCommands()));
    // Whichever bad ones were picked failed; the good one never did.
    for (const std::string& f : Driver().downloader().mirrorFailures()) {
        EXPECT_TRUE(f.rfind(missing + ": HTTP 404", 0) == 0 ||
                    f.rfind(broken + ": HTTP 500", 0) == 0 || f.rfind(refusing + ":", 0) == 0)
            << f;
    }
}

TEST_F(MirrorUpdate, WhenEveryMirrorFailsTheFtpServerServes) {
    Serve({});
    const std::string refusing = RefusingBase();
    ASSERT_NE(refusing, "");
    Game({nginx_.HttpBase() + "/missing", refusing});
    Open();
    ExpectUpdated();
    EXPECT_TRUE(HasRetr(FtpCommands()));
    const std::string failures = Failures();
    EXPECT_NE(failures.find("/missing: HTTP 404"), std::string::npos) << failures;
    EXPECT_NE(failures.find(refusing + ": "), std::string::npos) << failures;
}

TEST_F(MirrorUpdate, AServerThatIgnoresRangeIsReadWhole) {
    Serve({"norange"});
    Game({nginx_.HttpBase() + "/norange"});
    Open();
    ExpectUpdated();
    EXPECT_EQ(Failures(), "");
    EXPECT_FALSE(HasRetr(FtpCommands()));
}

TEST_F(MirrorUpdate, AMirrorWithAnotherSizeFailsAndFtpServes) {
    Serve({});
    for (const auto& [path, contents] : release_.files) {
        WriteFile(nginx_.root() + "\\other\\" + path, contents + "more");
    }
    Game({nginx_.HttpBase() + "/other"});
    Open();
    ExpectUpdated();
    EXPECT_TRUE(HasRetr(FtpCommands()));
    EXPECT_NE(Failures().find("bytes, not"), std::string::npos) << Failures();
}

TEST_F(MirrorUpdate, HttpsTrustsTheAuthorityNamedInUpdateIni) {
    Serve({""});
    // Without the authority the certificate is not trusted: FTP serves.
    Game({nginx_.HttpsBase()});
    Open();
    ExpectUpdated();
    EXPECT_TRUE(HasRetr(FtpCommands()));
    EXPECT_NE(Failures(), "");

    dialog_.reset();
    PatchFiles().Clear();
    {
        std::lock_guard<std::mutex> lock(mu_);
        unpacked_.clear();
    }
    WriteFile(game_ / "certs\\mirrors.pem", ReadFile(nginx_.caFile()));
    Game({nginx_.HttpsBase()}, "ca=certs\\mirrors.pem\r\n");
    const size_t before = servers_->ftp().Commands().size();
    Open();
    ExpectUpdated();
    EXPECT_EQ(Failures(), "");
    EXPECT_FALSE(HasRetr(FtpCommands(), before));
}

TEST_F(MirrorUpdate, ADownloadStoppedOverFtpIsFinishedOverHttp) {
    release_ = ThreePatches(PatternBytes(3 << 20, 7));
    Serve({""}, 256);
    Game({});
    Open();
    ASSERT_TRUE(RunUntil([this] { return dialog_->display().downloadBar >= 20; }));
    dialog_->OnUpdateButton();  // stop
    ASSERT_TRUE(RunUntil([this] { return dialog_->updateState() == 0; }));
    ASSERT_TRUE(platform::Exists("download\\p102.cpk.jat"));
    const size_t before = FtpCommands().size();
    dialog_.reset();
    PatchFiles().Clear();

    // Started again with a mirror: the partial file is finished from it.
    Game({nginx_.HttpBase()});
    Open();
    ExpectUpdated();
    EXPECT_EQ(Failures(), "");
    EXPECT_FALSE(HasRetr(FtpCommands(), before));
    EXPECT_FALSE(platform::Exists("download\\p102.cpk.jat"));
}

TEST_F(MirrorUpdate, ADownloadStoppedOverHttpIsFinishedOverFtp) {
    release_ = ThreePatches(PatternBytes(3 << 20, 11));
    Serve({"slow"});  // nginx's /slow/ is rate-limited
    Game({nginx_.HttpBase() + "/slow"});
    Open();
    ASSERT_TRUE(RunUntil([this] { return dialog_->display().downloadBar >= 10; }));
    dialog_->OnUpdateButton();  // stop
    ASSERT_TRUE(RunUntil([this] { return dialog_->updateState() == 0; }));
    ASSERT_TRUE(platform::Exists("download\\p102.cpk.jat"));
    EXPECT_EQ(Failures(), "");
    const size_t before = FtpCommands().size();
    dialog_.reset();
    PatchFiles().Clear();

    Game({});
    Open();
    ExpectUpdated();
    // The FTP server was asked only for what the mirror had not sent: every
    // range of the big package restarts inside it.
    const std::vector<std::string> commands = FtpCommands();
    const long third = static_cast<long>(release_.files["v101\\p102.cpk"].size() / 3);
    int restarts = 0;
    for (size_t i = before; i < commands.size(); ++i) {
        if (commands[i].rfind("REST ", 0) == 0 && commands[i] != "REST 100") {
            const long offset = std::stol(commands[i].substr(5));
            EXPECT_NE(offset % third, 0) << commands[i];
            ++restarts;
        }
    }
    EXPECT_GT(restarts, 0);
}

TEST_F(MirrorUpdate, AMirrorThatRedirectsToAnotherHostServes) {
    Serve({""});
    Game({nginx_.HttpBase() + "/redirect"});  // to 127.0.0.2, the same files
    Open();
    ExpectUpdated();
    EXPECT_EQ(Failures(), "");
    EXPECT_FALSE(HasRetr(FtpCommands()));
}

// A mirror that takes the connection and never answers is given up after
// the reply time-out; the FTP server serves.
TEST_F(MirrorUpdate, ASilentMirrorIsGivenUpAfterTheReplyTimeOut) {
    auto options = std::make_shared<FtpDownloaderOptions>();
    // Short, yet long enough for proftpd to answer on a loaded machine.
    options->replyTimeoutMs = 5000;
    ftpOptions_ = options;
    auto silent = platform::TcpSocket::Listen("127.0.0.1", 0, 8);
    ASSERT_TRUE(silent);
    const std::string base = "http://127.0.0.1:" + std::to_string(silent->LocalPort().value_or(0));
    Serve({});
    Game({base});
    Open();
    ExpectUpdated();
    EXPECT_TRUE(HasRetr(FtpCommands()));
    EXPECT_EQ(Failures().rfind(base + ": timed out", 0), 0u) << Failures();
}

// Two mirrors, each sending slowly; the one serving the big package is
// stopped in the middle of it, and the other one finishes the package from
// where the first one left off.
TEST_F(MirrorUpdate, AMirrorKilledDuringATransferIsReplacedByTheNext) {
    release_ = ThreePatches(PatternBytes(3 << 20, 13));
    Serve({});
    NginxOptions slow;
    slow.limitRate = "256k";
    std::unique_ptr<NginxServer> mirrors[2] = {std::make_unique<NginxServer>(slow),
                                               std::make_unique<NginxServer>(slow)};
    for (auto& m : mirrors) {
        ASSERT_TRUE(m->ok()) << m->error();
        for (const auto& [path, contents] : release_.files) {
            WriteFile(m->root() + "\\slow\\" + path, contents);
        }
    }
    const std::string bases[2] = {mirrors[0]->HttpBase() + "/slow",
                                  mirrors[1]->HttpBase() + "/slow"};
    Game({bases[0], bases[1]});
    Open();
    ASSERT_TRUE(RunUntil([this] { return dialog_->display().downloadBar >= 10; }));
    // The one that answered the big package's probe is the one serving it.
    int serving = -1;
    for (int i = 0; i < 2; ++i) {
        for (const std::string& line : mirrors[i]->Requests()) {
            if (line.rfind("/slow/v101/p102.cpk ", 0) == 0) {
                serving = i;
            }
        }
    }
    ASSERT_NE(serving, -1);
    const int other = 1 - serving;
    mirrors[serving].reset();
    ExpectUpdated();
    EXPECT_FALSE(HasRetr(FtpCommands()));
    const std::string failures = Failures();
    EXPECT_EQ(failures.rfind(bases[serving] + ": ", 0), 0u) << failures;
    EXPECT_EQ(failures.find(bases[other]), std::string::npos) << failures;
    // The other mirror sent what was missing, not the whole package again.
    uint64_t sent = 0;
    for (const std::string& line : mirrors[other]->Requests()) {
        if (line.rfind("/slow/v101/p102.cpk ", 0) == 0 &&
            line.find("\"bytes=0-0\"") == std::string::npos) {
            sent += std::stoull(line.substr(line.rfind(' ') + 1));
        }
    }
    EXPECT_LT(sent, release_.files["v101\\p102.cpk"].size());
    EXPECT_GT(sent, 0u);
}

}  // namespace

// ---- No FTP server at all ----

// The version server names an FTP server that is not there: the mirrors
// give the sizes and the packages.
TEST_F(MirrorUpdate, WithNoFtpServerTheMirrorsServeTheWholeUpdate) {
    Serve({"patches"});
    servers_->StopFtp();
    Game({nginx_.HttpBase() + "/patches/"});
    Open();
    ExpectUpdated();
    EXPECT_EQ(Failures(), "");
}

// One package missing on one mirror: the other serves it, with no FTP
// server to fall back on.
TEST_F(MirrorUpdate, WithNoFtpServerAPackageOneMirrorLacksComesFromTheOther) {
    Serve({"full"});
    servers_->StopFtp();
    for (const auto& [path, contents] : release_.files) {
        if (path.find("p103") == std::string::npos) {
            WriteFile(nginx_.root() + "\\partial\\" + path, contents);
        }
    }
    const std::string partial = nginx_.HttpBase() + "/partial";
    Game({partial, nginx_.HttpBase() + "/full"});
    Open();
    ExpectUpdated();
    // The mirror without the package failed, if it was asked for it.
    for (const std::string& f : Driver().downloader().mirrorFailures()) {
        EXPECT_EQ(f.rfind(partial + ": HTTP 404", 0), 0u) << f;
    }
}

// Neither an FTP server nor a mirror that has the packages: the update
// ends with a message, and the folder stays as it was.
TEST_F(MirrorUpdate, WithNoFtpServerAndNoMirrorServingTheUpdateEndsAndChangesNothing) {
    Serve({});
    servers_->StopFtp();
    Game({nginx_.HttpBase() + "/missing"});
    Open();
    ASSERT_TRUE(RunToOutcome());
    EXPECT_NE(dialog_->outcome(), UpdateOutcome::kDone);
    EXPECT_EQ(ReadVersion(game_.path()), 101);
    EXPECT_FALSE(boxes_.asked().empty());
    std::lock_guard<std::mutex> lock(mu_);
    EXPECT_TRUE(unpacked_.empty());
}

// ---- Web bases the version server names ----

// The version server names a web base beside its FTP server, which is not
// there; update.ini lists no mirror.
TEST_F(MirrorUpdate, AWebBaseTheVersionServerNamesServesWhenItsFtpServerIsGone) {
    release_.manifest += "web * " + nginx_.HttpBase() + "/patches/\n";
    Serve({"patches"});
    servers_->StopFtp();
    Game({});
    Open();
    ExpectUpdated();
    EXPECT_EQ(Failures(), "");
}

// A version server with web lines alone names no FTP server (0.0.0.0): the
// patcher asks none, though one runs.
TEST_F(MirrorUpdate, AVersionServerWithWebLinesAloneIsServedWithoutFtp) {
    const std::string ftpLine = "mirror * {FTP}\n";
    const size_t at = release_.manifest.find(ftpLine);
    ASSERT_NE(at, std::string::npos);
    release_.manifest.replace(at, ftpLine.size(), "web * " + nginx_.HttpBase() + "/patches\n");
    Serve({"patches"});
    Game({});
    Open();
    ExpectUpdated();
    EXPECT_TRUE(FtpCommands().empty());
}
