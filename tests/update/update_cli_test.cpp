// The patcher program end to end: `drevik --console --yes` in a game folder
// (with its own copy of the patcher and the self-update helper) against
// versiond and proftpd on loopback. Also the kill test: the program killed at
// random moments of an update and started again ends where an uninterrupted
// run ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "cpk/Md5.h"
#include "patcher/CUpdateDlg.h"
#include "patcher/SelfUpdateRecord.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "sign/Release.h"
#include "testsupport/seed.h"
#include "testsupport/wait.h"
#include "update_fixture.h"

namespace {

using namespace testsupport;

// Generous margins over the program's own time-outs: a run that takes this
// long has hung.
constexpr int kProgramLimitMs = 180000;
constexpr int kKills = 50;

#ifdef _WIN32
const std::string kPatcher = "Drevik.exe";
#else
const std::string kPatcher = "drevik";
#endif

// The game at 100: loose files and two archives.
void MakeGame100(const std::string& folder) {
    WriteFile(folder + "\\readme.txt", "version 100");
    WriteFile(folder + "\\data\\scene.cpk",
              BuildArchive({{"tex\\a.dds", PatternBytes(40000, 1)},
                            {"tex\\b.dds", "b100"},
                            {"model\\m.fskel", PatternBytes(3000, 2)}}));
    WriteFile(folder + "\\data\\ui.cpk", BuildArchive({{"ui\\main.xml", "<ui v=100/>"}}));
}

// Three packages from 100 to 103: loose files replaced and added, entries
// merged into existing archives (replaced and new), a new archive in a new
// folder, a new server list (update.ini with its trigger "updagte.ini"),
// and a large file that keeps the download busy for a while.
Release Release100To103(const std::string& gameIni, const std::string& extraPackage103 = "",
                        const std::string& extraContents103 = "") {
    Release r;
    r.manifest =
        "latest 103\n"
        "mirror * {FTP}\n"
        "path 100 v100\\p101.cpk v101\\p102.cpk v102\\p103.cpk\n"
        "path 101 v101\\p102.cpk v102\\p103.cpk\n"
        "path 102 v102\\p103.cpk\n";
    r.files["v100\\p101.cpk"] =
        BuildArchive({{"readme.txt", "version 101"},
                      {"data\\scene.cpk\\tex\\b.dds", "b101"},
                      {"data\\scene.cpk\\tex\\c.dds", PatternBytes(20000, 3)},
                      {"maps\\map01.dat", PatternBytes(8 << 20, 4)}});
    std::string ini = gameIni;
    ini += "[Borough1]\r\nname=Second\r\ndianxin=2\r\nlogin_num=1\r\nip0=127.0.0.2\r\n";
    size_t at = ini.find("Borough_num=1");
    ini.replace(at, 13, "Borough_num=2");
    r.files["v101\\p102.cpk"] =
        BuildArchive({{"data\\sound\\sound.cpk\\bgm\\theme.ogg", PatternBytes(300000, 5)},
                      {"data\\ui.cpk\\ui\\main.xml", "<ui v=102/>"},
                      {"update.ini", ini},
                      {"updagte.ini", "the server list changed"}},
                     true);
    std::vector<PackageEntry> last{{"readme.txt", "version 103"},
                                   {"data\\scene.cpk\\model\\m2.fskel", PatternBytes(5000, 6)},
                                   {"maps\\map02.dat", PatternBytes(2 << 20, 7)}};
    if (!extraPackage103.empty()) {
        last.push_back({extraPackage103, extraContents103});
    }
    r.files["v102\\p103.cpk"] = BuildArchive(last);
    return r;
}

class UpdateProgram : public ::testing::Test {
protected:
    void Serve(const std::function<Release(const std::string& gameIni)>& make) {
        servers_ = std::make_unique<UpdateServers>();
        if (!servers_->Start(make(servers_->GameIni()))) {
            GTEST_SKIP() << servers_->error();
        }
    }
    // A fresh game folder at 100 with the patcher and the helper in it.
    void NewGame(const std::string& folder) {
        RemoveTree(folder);
        platform::CreateDirectory(folder);
        MakeGame100(folder);
        WriteFile(folder + "\\update.ini", servers_->GameIni());
        WriteVersion(folder, 100);
        for (const std::string& program : {kPatcher, std::string("UpdatePackef.dat")}) {
            WriteFile(folder + "\\" + program, ReadFile(ProgramDir() + "\\" + program));
            ASSERT_TRUE(platform::SetExecutable(folder + "\\" + program));
        }
    }
    platform::Process Start(const std::string& folder,
                            std::vector<std::string> args = {"--console", "--yes"}) {
        auto p = platform::StartProgram(folder + "\\" + kPatcher, args, folder);
        EXPECT_TRUE(p) << p.error().Message();
        return p ? std::move(p.value()) : platform::Process();
    }
    // Runs the patcher; output, when given, receives what it printed.
    int Run(const std::string& folder, std::string* output = nullptr) {
        const std::string out = env_ / "patcher.out";
        const std::string err = env_ / "patcher.err";
        platform::Process p;
        if (output != nullptr) {
            auto started = platform::StartProgram(folder + "\\" + kPatcher, {"--console", "--yes"},
                                                  folder, platform::StandardStreams{"", out, err});
            EXPECT_TRUE(started) << started.error().Message();
            if (started) {
                p = std::move(started.value());
            }
        } else {
            p = Start(folder);
        }
        auto code = p.Wait(kProgramLimitMs);
        if (!code) {
            p.Kill();
            p.Wait(-1);
            ADD_FAILURE() << "the patcher did not end";
            return -1;
        }
        if (output != nullptr) {
            *output = ReadFile(out) + ReadFile(err);
        }
        return *code;
    }
    // Waits until no self-update helper of this folder runs any more.
    void WaitForHelper(const std::string& folder) {
        ASSERT_TRUE(testsupport::WaitUntil(
            [&] { return !platform::IsProgramRunning(folder + "\\UpdatePackef.dat"); },
            kProgramLimitMs));
    }

    // The patcher's lock and settings store live in folders of this test.
    TempDir env_;
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", platform::NativePath(env_.path())};
    ScopedEnv config_{"XDG_CONFIG_HOME", platform::NativePath(env_.path())};
    TempDir work_;
    std::unique_ptr<UpdateServers> servers_;
};

TEST_F(UpdateProgram, UpdatesAFolderFrom100To103) {
    Serve([](const std::string& ini) { return Release100To103(ini); });
    const std::string game = work_ / "game";
    NewGame(game);
    EXPECT_EQ(Run(game), 0);
    EXPECT_EQ(ReadVersion(game), 103);
    auto files = FolderContents(game);
    EXPECT_EQ(files["readme.txt"], "version 103");
    EXPECT_EQ(files["maps\\map01.dat"], PatternBytes(8 << 20, 4));
    EXPECT_EQ(files["maps\\map02.dat"], PatternBytes(2 << 20, 7));
    EXPECT_EQ(files["data\\scene.cpk|tex\\a.dds"], PatternBytes(40000, 1));  // untouched
    EXPECT_EQ(files["data\\scene.cpk|tex\\b.dds"], "b101");                  // replaced
    EXPECT_EQ(files["data\\scene.cpk|tex\\c.dds"], PatternBytes(20000, 3));  // new
    EXPECT_EQ(files["data\\scene.cpk|model\\m2.fskel"], PatternBytes(5000, 6));
    EXPECT_EQ(files["data\\ui.cpk|ui\\main.xml"], "<ui v=102/>");
    EXPECT_EQ(files["data\\sound\\sound.cpk|bgm\\theme.ogg"],
              PatternBytes(300000, 5));  // new archive
    EXPECT_NE(files["update.ini"].find("name=Second"), std::string::npos);
    // Nothing is left to download or unpack.
    auto left = platform::ListDirectory(game + "\\download");
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->empty());
    EXPECT_FALSE(platform::Exists(game + "\\unpack_log.ini"));

    // Current now: a second run changes nothing.
    auto before = FolderContents(game, {}, true);
    EXPECT_EQ(Run(game), 0);
    EXPECT_EQ(FolderDifference(before, FolderContents(game, {}, true)), "");
}

// A new patcher in the last package: the patcher records the version, hands
// over to the helper and ends with 2; the helper puts the new patcher in
// place and starts it, and it finds the client current.
TEST_F(UpdateProgram, ANewPatcherInTheLastPackageHandsOverToTheHelper) {
    std::string newPatcher = ReadFile(ProgramDir() + "\\" + kPatcher) + "new patcher 103";
    Serve([&](const std::string& ini) { return Release100To103(ini, kPatcher, newPatcher); });
    const std::string game = work_ / "game";
    NewGame(game);
    EXPECT_EQ(Run(game), 2);
    WaitForHelper(game);
    EXPECT_EQ(ReadVersion(game), 103);
    EXPECT_EQ(ReadFile(game + "\\" + kPatcher), newPatcher);
    EXPECT_FALSE(platform::Exists(game + "\\download\\" + kPatcher));
    EXPECT_FALSE(platform::Exists(game + "\\download\\p103.cpk"));
    EXPECT_EQ(ReadFile(game + "\\readme.txt"), "version 103");
}

// A patcher that lies in download\ without the unpacking having written it
// (a package the version server named so, a file copied there) is never
// installed: the start of a current folder leaves the patcher as it is,
// starts no helper, and the file goes.
TEST_F(UpdateProgram, AStrayPatcherInDownloadIsNeverInstalled) {
    Serve([](const std::string& ini) { return Release100To103(ini); });
    const std::string game = work_ / "game";
    NewGame(game);
    WriteVersion(game, 103);
    const std::string patcher = ReadFile(game + "\\" + kPatcher);
    WriteFile(game + "\\download\\" + kPatcher, patcher + "stray");
    EXPECT_EQ(Run(game), 0);
    WaitForHelper(game);
    EXPECT_EQ(ReadFile(game + "\\" + kPatcher), patcher);
    EXPECT_FALSE(platform::Exists(game + "\\download\\" + kPatcher));
}

// A new patcher in an earlier package: the patcher stores where to go on and
// ends; the next start unpacks only the packages after it, and the hand-over
// follows the last one.
TEST_F(UpdateProgram, ANewPatcherInAnEarlierPackageStoresTheResumeIndex) {
    std::string newPatcher = ReadFile(ProgramDir() + "\\" + kPatcher) + "new patcher 101";
    Serve([&](const std::string& ini) {
        Release release = Release100To103(ini);
        release.files["v100\\p101.cpk"] =
            BuildArchive({{"readme.txt", "version 101"}, {kPatcher, newPatcher}});
        return release;
    });
    const std::string game = work_ / "game";
    NewGame(game);
    EXPECT_EQ(Run(game), 2);
    EXPECT_EQ(platform::GetProfileInt("config", "nIndex", 0, game + "\\unpack_log.ini"), 1);
    EXPECT_EQ(ReadVersion(game), 100);
    EXPECT_EQ(ReadFile(game + "\\download\\" + kPatcher), newPatcher);
    // The downloads stay for the next start, which does not fetch them again.
    EXPECT_TRUE(platform::Exists(game + "\\download\\p101.cpk"));
    // Were the first package unpacked again, it would bring the new patcher
    // once more and stop after it: the version below shows it was skipped.

    auto fetches = [&] {
        // The sessions of the run that ended log their last transfers as
        // they end.
        EXPECT_TRUE(servers_->ftp().WaitForSessionsToEnd());
        size_t n = 0;
        for (const std::string& c : servers_->ftp().Commands()) {
            n += c.rfind("RETR", 0) == 0;
        }
        return n;
    };
    const size_t fetched = fetches();
    EXPECT_GT(fetched, 0u);
    EXPECT_EQ(Run(game), 2);  // the hand-over after the last package
    WaitForHelper(game);
    EXPECT_EQ(fetches(), fetched);
    EXPECT_EQ(ReadVersion(game), 103);
    EXPECT_EQ(ReadFile(game + "\\" + kPatcher), newPatcher);
    EXPECT_EQ(ReadFile(game + "\\readme.txt"), "version 103");
    EXPECT_FALSE(platform::Exists(game + "\\unpack_log.ini"));
}

// ---- The publisher's signatures ----

#ifndef _WIN32
constexpr const char* kMinisign = "/usr/bin/minisign";

// A publisher's key pair made with minisign: the secret key's file and the
// public key's base64 line, as update.ini lists it.
struct PublisherKey {
    std::string secretPath;
    std::string publicLine;
};

int RunMinisign(const std::vector<std::string>& args, const std::string& dir) {
    auto p = platform::StartProgram(
        kMinisign, args, dir, platform::StandardStreams{"", dir + "\\ms.out", dir + "\\ms.err"});
    if (!p) {
        ADD_FAILURE() << kMinisign << ": " << p.error().Message()
                      << " (scripts/bootstrap installs it)";
        return -1;
    }
    auto code = p->Wait(kProgramLimitMs);
    return code ? *code : -1;
}

PublisherKey MakeKey(const std::string& dir, const std::string& name) {
    platform::CreateDirectory(dir);
    PublisherKey key{dir + "\\" + name + ".key", ""};
    EXPECT_EQ(RunMinisign({"-G", "-W", "-p", platform::NativePath(dir + "\\" + name + ".pub"), "-s",
                           platform::NativePath(key.secretPath)},
                          dir),
              0)
        << ReadFile(dir + "\\ms.err");
    const std::string pub = ReadFile(dir + "\\" + name + ".pub");
    const size_t line = pub.find('\n');
    key.publicLine = pub.substr(line + 1, pub.find('\n', line + 1) - line - 1);
    return key;
}

// The signature minisign writes for bytes stored as fileName.
std::string Sign(const PublisherKey& key, const std::string& dir, const std::string& fileName,
                 const std::string& bytes) {
    const std::string file = dir + "\\" + fileName;
    WriteFile(file, bytes);
    EXPECT_EQ(RunMinisign({"-S", "-s", platform::NativePath(key.secretPath), "-m",
                           platform::NativePath(file)},
                          dir),
              0)
        << ReadFile(dir + "\\ms.err");
    std::string signature = ReadFile(file + ".minisig");
    (void)platform::DeleteFile(file);
    (void)platform::DeleteFile(file + ".minisig");
    return signature;
}

// update.ini's [sign] listing these keys.
std::string SignSection(const std::vector<std::string>& publicLines) {
    std::string s = "[sign]\r\nnum=" + std::to_string(publicLines.size()) + "\r\n";
    for (size_t i = 0; i < publicLines.size(); ++i) {
        s += "key" + std::to_string(i) + "=" + publicLines[i] + "\r\n";
    }
    return s;
}

// Two packages from 100 to 102: loose files and an archive entry, then a
// second package on top.
Release Release100To102() {
    Release r;
    r.manifest =
        "latest 102\n"
        "mirror * {FTP}\n"
        "path 100 v100\\p101.cpk v101\\p102.cpk\n"
        "path 101 v101\\p102.cpk\n";
    r.files["v100\\p101.cpk"] = BuildArchive({{"readme.txt", "version 101"},
                                              {"data\\scene.cpk\\tex\\b.dds", "b101"},
                                              {"maps\\map01.dat", PatternBytes(200000, 4)}});
    r.files["v101\\p102.cpk"] = BuildArchive(
        {{"readme.txt", "version 102"}, {"data\\ui.cpk\\ui\\main.xml", "<ui v=102/>"}});
    return r;
}

std::string Md5Of(const std::string& bytes) {
    uint8_t digest[16];
    Md5OfBuffer(bytes.data(), bytes.size(), digest);
    return Md5Hex(digest);
}

// The publisher's release file for the packages of r, one step per package
// in the order given (from, to, path), expiring a day from now.
sign::Release ReleaseOf(const Release& r, int32_t latest,
                        const std::vector<std::tuple<int32_t, int32_t, std::string>>& steps,
                        uint64_t serial = 2, const std::vector<std::string>& keys = {}) {
    sign::Release out;
    out.serial = serial;
    out.expires = static_cast<int64_t>(std::time(nullptr)) + 86400;
    out.latest = latest;
    out.keys = keys;
    for (const auto& [from, to, path] : steps) {
        const std::string& bytes = r.files.at(path);
        out.steps.push_back({from, to, path, bytes.size(), Md5Of(bytes)});
    }
    return out;
}

class SignedUpdate : public UpdateProgram {
protected:
    void SetUp() override {
        keyA_ = MakeKey(keys_.path(), "a");
        keyB_ = MakeKey(keys_.path(), "b");
        keyC_ = MakeKey(keys_.path(), "c");
    }
    // The release file of Release100To102, listing keys.
    static sign::Release Steps100To102(const Release& r, const std::vector<std::string>& keys,
                                       uint64_t serial = 2) {
        return ReleaseOf(r, 102, {{100, 101, "v100\\p101.cpk"}, {101, 102, "v101\\p102.cpk"}},
                         serial, keys);
    }
    // Serves make's release with a signature beside every package, made by
    // the key signer picks, then changed by spoil; beside them the release
    // file that describe makes of what is served, signed by releaseSigner
    // (key A when null), unless withRelease is false. Game folders list keys.
    void ServeSigned(const std::function<Release(const std::string& ini)>& make,
                     const std::vector<std::string>& keys,
                     const std::function<const PublisherKey*(const std::string&)>& signer,
                     const std::function<void(Release&)>& spoil = nullptr,
                     const std::function<sign::Release(const Release&)>& describe = nullptr,
                     const PublisherKey* releaseSigner = nullptr, bool withRelease = true) {
        Serve([&](const std::string& ini) {
            gameIni_ = ini + SignSection(keys);
            Release release = make(ini);
            std::map<std::string, std::string> signatures;
            for (const auto& [path, bytes] : release.files) {
                if (const PublisherKey* key = signer(path)) {
                    signatures[path + ".minisig"] =
                        Sign(*key, keys_.path(), FileNamePart(path), bytes);
                }
            }
            release.files.insert(signatures.begin(), signatures.end());
            if (spoil) {
                spoil(release);
            }
            if (withRelease) {
                const std::string text = sign::FormatRelease(
                    describe ? describe(release) : Steps100To102(release, keys));
                release.files[sign::kReleaseFileName] = text;
                release.files[std::string(sign::kReleaseFileName) + ".minisig"] =
                    Sign(releaseSigner ? *releaseSigner : keyA_, keys_.path(),
                         sign::kReleaseFileName, text);
            }
            release_ = release;
            return release;
        });
    }
    // The version server replaced by one that answers as answer says.
    std::unique_ptr<ScriptedVersionServer> Hijack(int32_t target,
                                                  const std::vector<FileListItem>& files) {
        servers_->StopVersion();
        const auto ftp = ParseDottedAddress(servers_->ftpAddress());
        auto hostile = std::make_unique<ScriptedVersionServer>(
            servers_->versionAddress(), servers_->versionPort(),
            [ftp, target, files](const VersionRequest&) {
                return ScriptedAnswer(*ftp, target, files);
            });
        EXPECT_TRUE(hostile->ok());
        return hostile;
    }
    FileListItem Item(const std::string& path) const {
        return {path, Md5Of(release_.files.at(path))};
    }
    // A refused run: exit 1, the folder as it was (but for download\),
    // nothing beside the folder, and the output names why.
    void ExpectRefused(const std::string& game, const std::string& why) {
        const auto before = FolderContents(game, {"download"}, true);
        const auto beside = platform::ListDirectory(work_.path());
        std::string output;
        EXPECT_EQ(Run(game, &output), 1);
        EXPECT_EQ(FolderDifference(before, FolderContents(game, {"download"}, true)), "");
        const auto after = platform::ListDirectory(work_.path());
        EXPECT_EQ(beside ? beside->size() : 0, after ? after->size() : 0);
        EXPECT_NE(output.find(why), std::string::npos) << output;
    }
    void NewSignedGame(const std::string& folder) {
        NewGame(folder);
        WriteFile(folder + "\\update.ini", gameIni_);
    }

    // The first package signed with key A, the others with key B.
    const PublisherKey* FirstByAThenB(const std::string& path) const {
        return path.find("p101") != std::string::npos ? &keyA_ : &keyB_;
    }

    TempDir keys_;
    PublisherKey keyA_, keyB_, keyC_;
    std::string gameIni_;
    Release release_;  // what the servers serve
};

// Every package signed by one of the listed keys: the update goes through,
// and no signature file is left behind.
TEST_F(SignedUpdate, PackagesSignedByAListedKeyUpdateTheFolder) {
    ServeSigned([](const std::string&) { return Release100To102(); },
                {keyA_.publicLine, keyB_.publicLine},
                [&](const std::string& path) { return FirstByAThenB(path); });
    const std::string game = work_ / "game";
    NewSignedGame(game);
    EXPECT_EQ(Run(game), 0);
    EXPECT_EQ(ReadVersion(game), 102);
    EXPECT_EQ(ReadFile(game + "\\readme.txt"), "version 102");
    auto left = platform::ListDirectory(game + "\\download");
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->empty());
    // The release file that allowed it is the folder's now.
    EXPECT_EQ(ReadFile(game + "\\release.txt"), release_.files.at("release.txt"));
}

// A key rotation: the release file, signed by the key the folder trusts
// (A), names the keys in force from now on (B), which signed the packages.
// An update.ini that a package brings decides nothing about keys: the first
// package lists key C, and the second package, signed by C, is refused.
TEST_F(SignedUpdate, TheReleaseFileNamesTheKeysInForceAndPackagesDoNot) {
    ServeSigned([](const std::string&) { return Release100To102(); }, {keyA_.publicLine},
                [&](const std::string&) { return &keyB_; }, nullptr,
                [&](const Release& r) { return Steps100To102(r, {keyB_.publicLine}); });
    const std::string game = work_ / "game";
    NewSignedGame(game);
    EXPECT_EQ(Run(game), 0);
    EXPECT_EQ(ReadVersion(game), 102);

    std::string rotated;
    ServeSigned(
        [&](const std::string& ini) {
            Release release = Release100To102();
            rotated = ini + SignSection({keyC_.publicLine});
            release.files["v100\\p101.cpk"] =
                BuildArchive({{"readme.txt", "version 101"}, {"update.ini", rotated}});
            return release;
        },
        {keyA_.publicLine},
        [&](const std::string& path) {
            return path.find("p101") != std::string::npos ? &keyA_ : &keyC_;
        });
    NewSignedGame(game);
    (void)platform::DeleteFile(game + "\\release.txt");
    ExpectRefused(game, "p102.cpk");
    EXPECT_EQ(ReadVersion(game), 100);
}

// What a version server in the wrong hands (or anyone on the path to it)
// may answer, with the genuine signed packages and release file on the
// mirror: a version far ahead (which would freeze the folder there), an
// older one, other packages or digests than the release file's. None of it
// gets past the signed release file.
TEST_F(SignedUpdate, AVersionServerCannotNameWhatTheReleaseFileDoesNot) {
    ServeSigned([](const std::string&) { return Release100To102(); }, {keyA_.publicLine},
                [&](const std::string&) { return &keyA_; });
    const std::string game = work_ / "game";
    const std::string p101 = "v100\\p101.cpk", p102 = "v101\\p102.cpk";
    const struct {
        const char* name;
        int32_t target;
        std::vector<FileListItem> files;
        std::string why;
    } cases[] = {
        {"freeze", 2147483647, {Item(p101)}, "names version 2147483647, the signed release 102"},
        {"rollback", 101, {Item(p101)}, "names version 101, the signed release 102"},
        {"a package left out", 102, {Item(p102)}, "names 1 packages, the signed release 2"},
        {"in another order", 102, {Item(p102), Item(p101)}, "by the version server"},
        {"another digest", 102, {Item(p101), {p102, std::string(32, 'a')}}, "MD5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewSignedGame(game);
        auto hostile = Hijack(c.target, c.files);
        ExpectRefused(game, c.why);
        EXPECT_EQ(ReadVersion(game), 100);
        EXPECT_EQ(hostile->answered(), 1u);
    }
    // Above the installed version only: a folder at 102 that an answer
    // sends to 102 again with the old packages.
    NewSignedGame(game);
    WriteVersion(game, 102);
    auto hostile = Hijack(102, {Item(p101), Item(p102)});
    ExpectRefused(game, "not above the installed 102");
    EXPECT_EQ(ReadVersion(game), 102);
}

// The release file itself: one older than the one this folder trusts, one
// expired, one signed by a key the folder does not trust (a retired key
// that an old update.ini still lists, once the folder trusts a release that
// names its successor), and none at all.
TEST_F(SignedUpdate, AReleaseFileOlderExpiredOrSignedByARetiredKeyIsRefused) {
    const std::string game = work_ / "game";
    auto trustB = [&](const std::string& folder, uint64_t serial) {
        sign::Release trusted;
        trusted.serial = serial;
        trusted.expires = static_cast<int64_t>(std::time(nullptr)) + 86400;
        trusted.latest = 100;
        trusted.keys = {keyB_.publicLine};
        WriteFile(folder + "\\release.txt", sign::FormatRelease(trusted));
    };
    ServeSigned([](const std::string&) { return Release100To102(); }, {keyA_.publicLine},
                [&](const std::string&) { return &keyB_; }, nullptr,
                [&](const Release& r) { return Steps100To102(r, {keyB_.publicLine}, 3); }, &keyB_);
    NewSignedGame(game);
    trustB(game, 7);
    ExpectRefused(game, "older than the one this folder has (serial 3, this folder's 7)");

    ServeSigned([](const std::string&) { return Release100To102(); }, {keyA_.publicLine},
                [&](const std::string&) { return &keyA_; }, nullptr,
                [&](const Release& r) {
                    sign::Release old = Steps100To102(r, {});
                    old.expires = 86400 * 365;
                    return old;
                });
    NewSignedGame(game);
    ExpectRefused(game, "expired at 1971-01-01T00:00:00Z");

    // Key A is retired: the folder trusts a release that names key B. A
    // release file and packages signed by A, all else genuine, are refused.
    ServeSigned([](const std::string&) { return Release100To102(); }, {keyA_.publicLine},
                [&](const std::string&) { return &keyA_; });
    NewSignedGame(game);
    trustB(game, 1);
    ExpectRefused(game, "not signed by a key in force");

    ServeSigned([](const std::string&) { return Release100To102(); }, {keyA_.publicLine},
                [&](const std::string&) { return &keyA_; }, nullptr, nullptr, nullptr, false);
    NewSignedGame(game);
    ExpectRefused(game, "no signed release.txt");
}

// Whatever is wrong with the second package's signature, the package goes,
// the first package's changes are undone (the folder is byte for byte as
// before), the run fails and names the package.
TEST_F(SignedUpdate, PackagesThePublisherDidNotSignAreRefusedAndNothingChanges) {
    const std::string second = "v101\\p102.cpk";
    const std::string signature = second + ".minisig";
    const std::vector<std::pair<const char*, std::function<void(Release&)>>> cases = {
        {"changed after signing",
         [&](Release& r) {
             r.files[second] = BuildArchive({{"readme.txt", "version 666"}});
         }},
        {"no signature", [&](Release& r) { r.files.erase(signature); }},
        {"signed by a key not listed",
         [&](Release& r) {
             r.files[signature] = Sign(keyC_, keys_.path(), "p102.cpk", r.files[second]);
         }},
        {"signed as another file",
         [&](Release& r) {
             r.files[signature] = Sign(keyA_, keys_.path(), "p101.cpk", r.files[second]);
         }},
        {"a damaged signature",
         [&](Release& r) { r.files[signature].resize(r.files[signature].size() / 2); }},
        // Not even an archive: the signature is checked before it is
        // opened as one.
        {"not an archive", [&](Release& r) { r.files[second] = std::string(5000, '\xEE'); }},
    };
    for (const auto& [name, spoil] : cases) {
        SCOPED_TRACE(name);
        ServeSigned([](const std::string&) { return Release100To102(); }, {keyA_.publicLine},
                    [&](const std::string&) { return &keyA_; }, spoil);
        const std::string game = work_ / "game";
        NewSignedGame(game);
        const auto before = FolderContents(game, {"download"}, true);
        std::string output;
        EXPECT_EQ(Run(game, &output), 1);
        EXPECT_EQ(ReadVersion(game), 100);
        EXPECT_EQ(FolderDifference(before, FolderContents(game, {"download"}, true)), "");
        EXPECT_FALSE(platform::Exists(game + "\\download\\p102.cpk"));
        EXPECT_FALSE(platform::Exists(game + "\\download\\p102.cpk.minisig"));
        const char* told = std::string(name) == "no signature"
                               ? GBK("补丁文件%s没有发布者的签名,不能更新")
                               : GBK("补丁文件%s没有发布者的有效签名,已将其删除");
        EXPECT_NE(output.find(platform::GbkToUtf8(FillInText(told, "p102.cpk"))), std::string::npos)
            << output;
    }
}
#endif

#ifndef _WIN32
// Killed during the hand-over, at a moment picked at random once the last
// package is unpacked: the version is recorded before the helper starts, so
// whenever the kill comes the folder is the new version and version.dat
// says so. The helper, once started, puts the new patcher in place and
// starts it, and that one finds the update done; killed before the helper
// started, the next start hands over instead.
TEST_F(UpdateProgram, KilledDuringTheHandOverEndsAtTheNewVersion) {
    const std::string newPatcher = ReadFile(ProgramDir() + "\\" + kPatcher) + "new patcher 103";
    Release release;
    Serve([&](const std::string& ini) {
        return release = Release100To103(ini, kPatcher, newPatcher);
    });
    // The record of the new patcher waits with it until the helper is done.
    const std::vector<std::string> skip{"download", kPatcher, "UpdatePackef.dat",
                                        kSelfUpdateRecordFile};
    auto prefetch = [&](const std::string& folder) {
        for (const char* p : {"v100\\p101.cpk", "v101\\p102.cpk", "v102\\p103.cpk"}) {
            WriteFile(folder + "\\download\\" + FileNamePart(p), release.files[p]);
        }
    };
    const std::string reference = work_ / "reference";
    NewGame(reference);
    prefetch(reference);
    ASSERT_EQ(Run(reference), 2);
    WaitForHelper(reference);
    const auto expected = FolderContents(reference, skip, true);
    ASSERT_EQ(ReadVersion(reference), 103);

    std::mt19937 random(platform::TickCount());
    const std::string game = work_ / "game";
    for (int round = 0; round < 2; ++round) {
        const uint32_t after = random() % (kHandOverPauseMs + 500);
        SCOPED_TRACE("killed " + std::to_string(after) + " ms into the hand-over");
        NewGame(game);
        prefetch(game);
        platform::Process p = Start(game);
        uint64_t start = platform::TickCount64();
        // The hand-over has begun once the version is recorded or the helper
        // runs, whichever comes first.
        while (ReadVersion(game) != 103 &&
               !platform::IsProgramRunning(game + "\\UpdatePackef.dat") && !p.Wait(5)) {
            ASSERT_LT(platform::TickCount64() - start, static_cast<uint64_t>(kProgramLimitMs));
        }
        if (!p.Wait(static_cast<int>(after))) {
            p.Kill();
            p.Wait(-1);
        }
        ASSERT_EQ(ReadVersion(game), 103);
        EXPECT_EQ(FolderDifference(expected, FolderContents(game, skip, true)), "");
        WaitForHelper(game);
        if (ReadFile(game + "\\" + kPatcher) != newPatcher) {
            // Killed before the helper started: the next start hands over.
            EXPECT_EQ(Run(game), 2);
            WaitForHelper(game);
        }
        EXPECT_EQ(ReadFile(game + "\\" + kPatcher), newPatcher);
        EXPECT_EQ(ReadVersion(game), 103);
        EXPECT_EQ(FolderDifference(expected, FolderContents(game, skip, true)), "");
        EXPECT_FALSE(platform::Exists(game + "\\unpack_log.ini"));
        EXPECT_FALSE(platform::Exists(game + "\\" + kSelfUpdateRecordFile));
        EXPECT_FALSE(platform::Exists(game + "\\download\\p103.cpk"));
    }
}

// SIGKILL at random moments of the update, each time started again on the
// same folder: the version is recorded only with everything in place, and
// the folder ends as an uninterrupted run leaves it, byte for byte (the
// archives too, not only what a game reads from them). Byte for byte holds
// because no entry changes in two packages of this release: a run stopped in
// the unpacking starts again from the first package, and an entry replaced
// twice over leaves the same entries laid out differently.
TEST_F(UpdateProgram, KilledAtRandomMomentsEndsAsAnUninterruptedRun) {
    Release release;
    Serve([&](const std::string& ini) { return release = Release100To103(ini); });
    // What a game reads; the download folder is the patcher's scratch space.
    const std::vector<std::string> skip{"download", kPatcher, "UpdatePackef.dat"};
    // The packages as the download leaves them, for rounds that start with
    // everything fetched, so that more kills land in the unpacking.
    auto prefetch = [&](const std::string& folder) {
        for (const char* p : {"v100\\p101.cpk", "v101\\p102.cpk", "v102\\p103.cpk"}) {
            WriteFile(folder + "\\download\\" + FileNamePart(p), release.files[p]);
        }
    };
    auto timed = [&](const std::string& folder) {
        uint64_t start = platform::TickCount64();
        EXPECT_EQ(Run(folder), 0);
        return static_cast<uint32_t>(platform::TickCount64() - start);
    };

    const std::string reference = work_ / "reference";
    NewGame(reference);
    const uint32_t whole = timed(reference);
    auto expected = FolderContents(reference, skip, true);
    ASSERT_EQ(ReadVersion(reference), 103);
    NewGame(reference);
    prefetch(reference);
    const uint32_t fetched = timed(reference);
    ASSERT_EQ(FolderDifference(expected, FolderContents(reference, skip, true)), "");

    std::mt19937 random(testsupport::TestSeed("update kills"));
    const std::string game = work_ / "game";
    int completed = 0;
    // Where the kills landed: before the download, during it, with every
    // package downloaded (checking or unpacking), after the version was
    // recorded.
    int landed[4] = {0, 0, 0, 0};
    // One series: count kills, each on the folder as the last one left it;
    // a folder that reached 103 is checked and starts over. At the end the
    // interrupted update is run to its end.
    auto series = [&](int count, bool prefetched, uint32_t span) {
        auto fresh = [&] {
            NewGame(game);
            if (prefetched) {
                prefetch(game);
            }
        };
        fresh();
        for (int kills = 0; kills < count;) {
            platform::Process p = Start(game);
            uint32_t moment = random() % (span + span / 4 + 1);
            if (!p.Wait(static_cast<int>(moment))) {
                p.Kill();
                p.Wait(-1);
                ++kills;
                auto downloads = platform::ListDirectory(game + "\\download");
                size_t packages = 0;
                bool partial = false;
                for (const auto& e : downloads ? *downloads : std::vector<platform::DirEntry>{}) {
                    if (e.isDirectory) {
                        continue;  // the unpacking's undo journal
                    }
                    bool part = e.name.find(".jat") != std::string::npos;
                    partial = partial || part;
                    packages += part ? 0 : 1;
                }
                int where = ReadVersion(game) == 103    ? 3
                            : !partial && packages == 3 ? 2
                            : !partial && packages == 0 ? 0
                                                        : 1;
                ++landed[where];
            }
            int32_t version = ReadVersion(game);
            ASSERT_TRUE(version == 100 || version == 103) << version;
            if (version == 103) {
                // Recorded only at the end: everything is in place.
                ASSERT_EQ(FolderDifference(expected, FolderContents(game, skip, true)), "")
                    << "after kill " << kills;
                ++completed;
                fresh();
            }
        }
        ASSERT_EQ(Run(game), 0);
        EXPECT_EQ(ReadVersion(game), 103);
        EXPECT_EQ(FolderDifference(expected, FolderContents(game, skip, true)), "");
    };
    // Half the kills over the whole update, half once the downloads are in,
    // so that more of them land in the unpacking.
    series(kKills / 2, false, whole);
    series(kKills - kKills / 2, true, fetched);
    std::printf(
        "runs of %u ms (whole) and %u ms (downloads in place); kills before the download "
        "%d, during it %d, with the downloads in place %d, after the version %d; %d updates "
        "completed between kills\n",
        whole, fetched, landed[0], landed[1], landed[2], landed[3], completed);
}
#endif

}  // namespace
