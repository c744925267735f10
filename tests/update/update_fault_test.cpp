// The whole update with faults injected: the console front end with the real
// driver, versiond and proftpd on loopback, and the game folder on real file
// systems that fill up or refuse writes (small tmpfs mounts, private to this
// program: see private_mounts.sh). After every faulty run the folder must be
// exactly the old version or exactly the new one (loose files and archives
// byte for byte), version.dat must agree, the exit code and the messages must
// say what happened, and the next run with the fault gone must finish.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKVfs.h"
#include "cpk/Unpack.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/ConsoleFrontEnd.h"
#include "patcher/UpdateDriver.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/net.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/settings_store.h"
#include "update_fixture.h"

namespace {

using namespace testsupport;

// The patcher's own name in these runs (what a package must not overwrite).
constexpr char kPatcherName[] = "drevik";
// The driver's waits, shortened: a silent server is given up within these.
constexpr uint32_t kReplyTimeoutMs = 1500;
constexpr uint32_t kStallTimeoutMs = 3000;
constexpr int kReplyPolls = 150;  // of 10 ms: the version check's wait
// Rounds of the full disk, each at a moment picked at random.
constexpr int kDiskFullRounds = 4;

// The game at 100: loose files and two archives, in a few hundred KB.
void MakeGame100(const std::string& folder, const std::string& updateIni) {
    WriteFile(folder + "\\readme.txt", "version 100");
    WriteFile(folder + "\\bin\\tool.dat", PatternBytes(30000, 1));
    WriteFile(folder + "\\data\\scene.cpk",
              BuildArchive({{"tex\\a.dds", PatternBytes(40000, 2)},
                            {"tex\\b.dds", PatternBytes(20000, 3)},
                            {"model\\m.fskel", PatternBytes(3000, 4)}}));
    WriteFile(folder + "\\data\\ui.cpk", BuildArchive({{"ui\\main.xml", "<ui v=100/>"}}));
    WriteFile(folder + "\\update.ini", updateIni);
    WriteVersion(folder, 100);
}

// 100 -> 103 in three packages: loose files replaced and new, entries
// replaced and added in both archives, a new archive in a new folder.
Release MakeRelease() {
    Release r;
    r.manifest =
        "latest 103\n"
        "mirror * {FTP}\n"
        "path 100 v100\\p101.cpk v101\\p102.cpk v102\\p103.cpk\n";
    r.files["v100\\p101.cpk"] =
        BuildArchive({{"readme.txt", "version 101"},
                      {"bin\\tool.dat", PatternBytes(32000, 5)},
                      {"data\\scene.cpk\\tex\\b.dds", PatternBytes(25000, 6)},
                      {"data\\scene.cpk\\tex\\c.dds", PatternBytes(150000, 7)},
                      {"maps\\map01.dat", PatternBytes(500000, 8)}});
    r.files["v101\\p102.cpk"] =
        BuildArchive({{"data\\sound\\sound.cpk\\bgm\\theme.ogg", PatternBytes(300000, 9)},
                      {"data\\ui.cpk\\ui\\main.xml", "<ui v=102/>"},
                      {"data\\scene.cpk\\tex\\a.dds", PatternBytes(45000, 10)}},
                     true);
    r.files["v102\\p103.cpk"] =
        BuildArchive({{"readme.txt", "version 103"},
                      {"data\\scene.cpk\\model\\m2.fskel", PatternBytes(5000, 11)},
                      {"maps\\map02.dat", PatternBytes(400000, 12)}});
    return r;
}

// A peer on a loopback address and port that accepts every connection and
// then keeps silent, or sends garbage, until the client closes it.
class RudeServer {
public:
    RudeServer(const std::string& address, uint16_t port, std::string garbage)
        : garbage_(std::move(garbage)) {
        auto l = platform::TcpSocket::Listen(address, port, 8);
        if (!l) {
            return;
        }
        listener_ = std::move(l.value());
        thread_ = std::thread([this] { Serve(); });
    }
    ~RudeServer() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    RudeServer(const RudeServer&) = delete;
    RudeServer& operator=(const RudeServer&) = delete;
    bool ok() const { return listener_.IsOpen(); }
    int accepted() const { return accepted_.load(); }

private:
    void Serve() {
        std::vector<platform::TcpSocket> clients;
        while (!stop_.load()) {
            if (listener_.WaitReadable(20) == platform::WaitResult::kReady) {
                if (auto c = listener_.Accept()) {
                    ++accepted_;
                    (void)c->SendAll(garbage_.data(), garbage_.size());
                    clients.push_back(std::move(c.value()));
                }
            }
            // Read what the clients send, dropping those that closed.
            for (auto it = clients.begin(); it != clients.end();) {
                char buffer[512];
                if (it->WaitReadable(0) == platform::WaitResult::kReady) {
                    auto n = it->Recv(buffer, sizeof buffer);
                    if (!n || *n == 0) {
                        it = clients.erase(it);
                        continue;
                    }
                }
                ++it;
            }
        }
    }

    std::string garbage_;
    platform::TcpSocket listener_;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::thread thread_;
};

// Whether this program runs in a mount namespace of its own, where it may
// mount (private_mounts.sh says so); never mount anywhere else.
bool PrivateMounts() {
    const char* v = std::getenv("TESMAR_PRIVATE_MOUNTS");
    return v != nullptr && std::string(v) == "1";
}

bool RunTool(const std::string& program, const std::vector<std::string>& args) {
    auto p = platform::StartProgram(program, args, "");
    if (!p) {
        return false;
    }
    auto code = p->Wait(-1);
    return code && *code == 0;
}

// A file system mounted on a folder while the object lives: a tmpfs of a
// given size (bytes), read-only or not.
class Mounted {
public:
    Mounted(const std::string& folder, uint64_t size, bool readOnly) : folder_(folder) {
        (void)platform::CreateDirectory(folder);
        std::string options = "size=" + std::to_string(size) + (readOnly ? ",ro" : "");
        ok_ = RunTool("mount", {"-t", "tmpfs", "-o", options, "tmpfs", Native()});
    }
    ~Mounted() {
        if (ok_) {
            (void)RunTool("umount", {Native()});
        }
    }
    Mounted(const Mounted&) = delete;
    Mounted& operator=(const Mounted&) = delete;
    bool ok() const { return ok_; }
    // Makes the file system read-only, or writable again.
    bool SetReadOnly(bool readOnly) {
        return RunTool("mount", {"-o", readOnly ? "remount,ro" : "remount,rw", Native()});
    }

private:
    std::string Native() const { return platform::GbkToUtf8(platform::NativePath(folder_)); }
    std::string folder_;
    bool ok_ = false;
};

struct PatcherRun {
    int code = -1;
    std::string out;    // the console's lines (UTF-8)
    std::string notes;  // the boxes and their answers (UTF-8)

    bool Told(const std::string& utf8) const {
        return notes.find(utf8) != std::string::npos || out.find(utf8) != std::string::npos;
    }
};

class UpdateFaults : public ::testing::Test {
protected:
    void SetUp() override {
        servers_ = std::make_unique<UpdateServers>();
        release_ = MakeRelease();
        if (!servers_->Start(release_)) {
            GTEST_SKIP() << servers_->error();
        }
        // The old version and the new one: the same packages unpacked by the
        // walk into a copy of the old.
        const std::string reference = work_ / "reference";
        MakeGame100(reference, servers_->GameIni());
        old_ = Snapshot(reference);
        BlockPool pool;
        UnpackContext context;
        context.gameFolder = reference;
        context.executableName = kPatcherName;
        uint32_t counter = 0;
        for (const char* p : {"v100\\p101.cpk", "v101\\p102.cpk", "v102\\p103.cpk"}) {
            WriteFile(work_ / "package.cpk", release_.files.at(p));
            CPKVfs package(pool);
            CPKVfs target(pool);
            ASSERT_EQ(package.Open(work_ / "package.cpk", CPKOpenMode::kReadOnly), 1);
            ASSERT_EQ(UnpackDirectory(context, 0, counter, package, target), 1);
        }
        WriteVersion(reference, 103);
        new_ = Snapshot(reference);
        ASSERT_NE(FolderDifference(old_, new_), "");
    }

    // What a game reads from the folder, and each archive's own bytes.
    std::map<std::string, std::string> Snapshot(const std::string& folder) const {
        return FolderContents(folder, {"download"}, true);
    }

    // A fresh game folder at 100 (in a folder that may be a mount point).
    void NewGame(const std::string& folder) {
        auto entries = platform::ListDirectory(folder);
        for (const auto& e : entries ? *entries : std::vector<platform::DirEntry>{}) {
            RemoveTree(folder + "\\" + e.name);
        }
        (void)platform::CreateDirectory(folder);
        MakeGame100(folder, servers_->GameIni());
    }

    // `drevik --console --abort` in folder, in this process, with the
    // driver's waits shortened.
    PatcherRun Run(const std::string& folder, UpdateDriverOptions o = {}) {
        PatcherRun r;
        CurrentDirGuard cwd(folder);
        ConsoleOptions options;
        std::string error;
        EXPECT_TRUE(ParseConsoleArguments({"--console", "--abort"}, options, error));
        ConsoleIo io;
        io.out = [&](const std::string& s) { r.out += s; };
        io.note = [&](const std::string& s) { r.notes += s; };
        auto ftp = std::make_shared<FtpDownloaderOptions>();
        ftp->replyTimeoutMs = kReplyTimeoutMs;
        ftp->stallTimeoutMs = kStallTimeoutMs;
        o.ftp = ftp;
        o.replyPolls = kReplyPolls;
        o.serverList.settings = settings_.store();
        UpdateDlgOptions d;
        d.modulePath = folder + "\\" + kPatcherName;
        d.makeWork = [o](CUpdateDlg& dialog, UpdateShared& shared) {
            return MakeUpdateDriver(dialog, shared, o);
        };
        r.code = RunConsole(options, io, std::move(d));
        return r;
    }

    // The folder is exactly the old version or exactly the new one, and
    // version.dat says which.
    void ExpectOldOrNew(const std::string& folder, int32_t version) {
        ASSERT_EQ(ReadVersion(folder), version);
        auto now = Snapshot(folder);
        EXPECT_EQ(FolderDifference(version == 103 ? new_ : old_, now), "")
            << "at version " << version;
    }
    // The fault is gone: the next run finishes the update.
    void ExpectNextRunFinishes(const std::string& folder) {
        PatcherRun r = Run(folder);
        EXPECT_EQ(r.code, kExitCurrent) << r.notes << r.out;
        ExpectOldOrNew(folder, 103);
        EXPECT_FALSE(platform::Exists(folder + "\\unpack_log.ini"));
        EXPECT_FALSE(platform::Exists(folder + "\\download\\undo"));
    }

    static std::string Utf8(const std::string& gbk) { return platform::GbkToUtf8(gbk); }

    testsupport::ScopedSettingsStore settings_{"UpdateFaults"};
    TempDir work_;
    std::unique_ptr<UpdateServers> servers_;
    Release release_;
    std::map<std::string, std::string> old_, new_;
};

TEST_F(UpdateFaults, TheReferenceRunEndsAtTheNewVersion) {
    const std::string game = work_ / "game";
    NewGame(game);
    ExpectNextRunFinishes(game);
}

// The disk fills up while the update runs, at a moment picked at random:
// after the patcher has written a random share of what the update writes
// (the packages, then the game's files), another program takes all that is
// left. Whether that strikes the download or the unpacking, the run ends
// with a message and exit 1, the folder stays at 100 (the unpacking is
// undone), and once there is room again the next run finishes.
TEST_F(UpdateFaults, TheDiskFillsUpAtRandomMoments) {
    if (!PrivateMounts()) {
        GTEST_SKIP() << "no mount namespace of our own to mount a small file system in";
    }
    const std::string game = work_ / "game";
    Mounted disk(game, 24 << 20, false);
    ASSERT_TRUE(disk.ok());
    const uint32_t seed = platform::TickCount();
    std::mt19937 random(seed);
    // About what an update writes: the packages, then as much again into
    // the game's files.
    const uint64_t writes = 2 * (release_.files.at("v100\\p101.cpk").size() +
                                 release_.files.at("v101\\p102.cpk").size() +
                                 release_.files.at("v102\\p103.cpk").size());
    for (int round = 0; round < kDiskFullRounds; ++round) {
        NewGame(game);
        auto free = platform::DiskFreeSpace(game);
        ASSERT_TRUE(free);
        const uint64_t before = *free;
        const uint64_t at = random() % writes;
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) +
                     ": full after " + std::to_string(at) + " of about " + std::to_string(writes) +
                     " bytes");
        std::atomic<bool> done{false};
        std::atomic<bool> filled{false};
        const std::string filler = game + "\\download\\filler";
        std::thread other([&] {
            // Another program fills the disk once the patcher has written
            // `at` bytes.
            while (!done.load()) {
                auto now = platform::DiskFreeSpace(game);
                if (now && *now <= before && before - *now >= at) {
                    (void)platform::CreateDirectory(game + "\\download");
                    auto f =
                        platform::File::Open(filler, platform::Access::kWrite, platform::kShareRead,
                                             platform::Disposition::kCreateAlways);
                    std::string chunk(64 << 10, 'f');
                    while (f && f->Write(chunk.data(), chunk.size())) {
                    }
                    filled = true;
                    return;
                }
                platform::SleepMs(1);
            }
        });
        PatcherRun r = Run(game);
        done = true;
        other.join();
        if (!filled.load()) {
            // The update was faster than the other program: it completed.
            EXPECT_EQ(r.code, kExitCurrent);
            ExpectOldOrNew(game, 103);
            continue;
        }
        if (r.code == kExitCurrent) {
            // Filled after the last write that needed room.
            ExpectOldOrNew(game, 103);
        } else {
            EXPECT_EQ(r.code, kExitFailed);
            // The disk-space boxes, the download's "cannot write", or the
            // unpacking's "cannot update PATH" or "cannot create" (its undo
            // journal) with the system's reason.
            EXPECT_TRUE(r.Told("磁盘空间不足") || r.Told("无法写入文件") ||
                        ((r.Told("无法更新") || r.Told("无法创建文件")) &&
                         r.Told("No space left on device")))
                << r.notes;
            ExpectOldOrNew(game, 100);
            EXPECT_FALSE(platform::Exists(game + "\\unpack_log.ini"));
        }
        // Room again.
        ASSERT_TRUE(platform::DeleteFile(filler));
        ExpectNextRunFinishes(game);
    }
}

// download\ is a read-only file system: the partial file cannot be made.
TEST_F(UpdateFaults, ADownloadFolderThatCannotBeWrittenIsNamed) {
    if (!PrivateMounts()) {
        GTEST_SKIP() << "no mount namespace of our own";
    }
    const std::string game = work_ / "game";
    NewGame(game);
    {
        Mounted readOnly(game + "\\download", 1 << 20, true);
        ASSERT_TRUE(readOnly.ok());
        PatcherRun r = Run(game);
        EXPECT_EQ(r.code, kExitFailed);
        EXPECT_TRUE(r.Told(
            Utf8(FillInText(GBK("无法创建文件%s,请检查下载目录"), "download\\p101.cpk.jat"))))
            << r.notes;
        ExpectOldOrNew(game, 100);
    }
    ExpectNextRunFinishes(game);
}

// The game folder is read-only (its own file system), download\ is not:
// the packages arrive, the unpacking cannot change the first archive and
// stops, naming it, with nothing changed.
TEST_F(UpdateFaults, AGameFolderThatCannotBeWrittenIsNamedAndLeftAsItWas) {
    if (!PrivateMounts()) {
        GTEST_SKIP() << "no mount namespace of our own";
    }
    const std::string game = work_ / "game";
    Mounted folder(game, 8 << 20, false);
    ASSERT_TRUE(folder.ok());
    NewGame(game);
    {
        Mounted download(game + "\\download", 8 << 20, false);
        ASSERT_TRUE(download.ok());
        ASSERT_TRUE(folder.SetReadOnly(true));
        PatcherRun r = Run(game);
        EXPECT_EQ(r.code, kExitFailed);
        EXPECT_TRUE(r.Told("无法更新")) << r.notes;
        EXPECT_TRUE(r.Told("更新已撤销")) << r.notes;
        ExpectOldOrNew(game, 100);
        ASSERT_TRUE(folder.SetReadOnly(false));
    }
    ExpectNextRunFinishes(game);
}

// A package damaged on the server (its digest is not the one versiond
// names): fetched twice, then named as damaged on the server.
TEST_F(UpdateFaults, APackageDamagedOnTheServerIsFetchedAgainThenNamed) {
    const std::string good = release_.files.at("v101\\p102.cpk");
    std::string bad = good;
    bad[bad.size() / 2] ^= 0x40;
    WriteFile(servers_->ftp().root() + "\\v101\\p102.cpk", bad);
    const std::string game = work_ / "game";
    NewGame(game);
    PatcherRun r = Run(game);
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_TRUE(r.Told("下载的补丁文件没有通过验证，将重新下载")) << r.notes;
    EXPECT_TRUE(r.Told("补丁文件p102.cpk仍未通过验证,服务器上的文件可能已损坏")) << r.notes;
    ExpectOldOrNew(game, 100);
    EXPECT_FALSE(platform::Exists(game + "\\download\\p102.cpk"));

    WriteFile(servers_->ftp().root() + "\\v101\\p102.cpk", good);
    ExpectNextRunFinishes(game);
}

// The FTP server goes away in the middle of a transfer (its transfers are
// slowed so that there is a middle): the workers reconnect, the file gains
// nothing, and the run ends once the stall limit passes.
TEST_F(UpdateFaults, AServerThatGoesAwayMidTransferEndsTheRun) {
    servers_->StopFtp();
    ASSERT_TRUE(servers_->StartFtp(64));  // KB/s per connection
    const std::string game = work_ / "game";
    NewGame(game);
    std::mt19937 random(platform::TickCount());
    const uint32_t after = 100 + random() % 600;
    std::atomic<bool> done{false};
    std::thread away([&] {
        while (!done.load() && !platform::Exists(game + "\\download\\p101.cpk.jat")) {
            platform::SleepMs(5);
        }
        platform::SleepMs(after);
        servers_->StopFtp();
    });
    PatcherRun r = Run(game);
    done = true;
    away.join();
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_TRUE(
        r.Told(Utf8(FillInText(GBK("下载服务器%s没有响应,请稍后重试"), servers_->ftpAddress()))))
        << r.notes;
    ExpectOldOrNew(game, 100);
    EXPECT_TRUE(platform::Exists(game + "\\download\\p101.cpk.jat"));  // kept for the next run

    ASSERT_TRUE(servers_->StartFtp());
    ExpectNextRunFinishes(game);
}

// Servers that accept and never answer: the FTP server (at its greeting)
// and the version server. Each ends the run as a refused one would, saying
// that the server does not answer.
TEST_F(UpdateFaults, ServersThatNeverAnswerEndTheRun) {
    const std::string game = work_ / "game";
    NewGame(game);
    {
        servers_->StopFtp();
        RudeServer silent(servers_->ftpAddress(), 21, "");
        ASSERT_TRUE(silent.ok());
        PatcherRun r = Run(game);
        EXPECT_EQ(r.code, kExitFailed);
        EXPECT_TRUE(r.Told(
            Utf8(FillInText(GBK("下载服务器%s没有响应,请稍后重试"), servers_->ftpAddress()))))
            << r.notes;
        EXPECT_GE(silent.accepted(), 1);
        ExpectOldOrNew(game, 100);
    }
    ASSERT_TRUE(servers_->StartFtp());
    {
        servers_->StopVersion();
        RudeServer silent(servers_->versionAddress(), servers_->versionPort(), "");
        ASSERT_TRUE(silent.ok());
        PatcherRun r = Run(game);
        EXPECT_EQ(r.code, kExitFailed);
        EXPECT_TRUE(r.Told("超过时限无应答")) << r.notes;
        ExpectOldOrNew(game, 100);
    }
    ASSERT_TRUE(servers_->StartVersion());
    ExpectNextRunFinishes(game);
}

// A version server that answers garbage: frames too long to be frames, and
// well-formed frames of messages nobody asked for.
TEST_F(UpdateFaults, AVersionServerAnsweringGarbageEndsTheRun) {
    const std::string game = work_ / "game";
    NewGame(game);
    const std::string frames[] = {
        "HTTP/1.1 400 Bad Request\r\n\r\n",
        std::string("\x08\x00\x00\x00\x39\x23\x00\x00\xff\xff\xff\xff", 12),
    };
    for (const std::string& garbage : frames) {
        servers_->StopVersion();
        RudeServer rude(servers_->versionAddress(), servers_->versionPort(), garbage);
        ASSERT_TRUE(rude.ok());
        PatcherRun r = Run(game);
        EXPECT_EQ(r.code, kExitFailed);
        // No reply in time; or, where the garbage broke the connection
        // before the request went out, no connection.
        EXPECT_TRUE(r.Told("超过时限无应答") || r.Told("无法连接服务器")) << r.notes;
        ExpectOldOrNew(game, 100);
    }
    ASSERT_TRUE(servers_->StartVersion());
    ExpectNextRunFinishes(game);
}

// A version server that names files no package may be: ones that would
// land outside download\ (or somewhere else than they say, on Windows or
// Linux), or the patcher itself. The run ends before anything is fetched,
// deleted or written, and says which name and why; behind the bad name the
// list may hold a sound one, which is not fetched either.
TEST_F(UpdateFaults, AVersionServerNamingFilesOutsideTheDownloadFolderChangesNothing) {
    const std::string game = work_ / "game";
    NewGame(game);
    const auto ftp = ParseDottedAddress(servers_->ftpAddress());
    ASSERT_TRUE(ftp);
    const std::string md5 = std::string(32, '0');
    const std::string sound = "v100\\p101.cpk";
    const struct {
        std::string path;
        const char* told;  // what the run says besides the name
    } cases[] = {
        {"v100\\../update.ini", "/"},
        {"v100\\a/../../version.dat", "/"},
        {"..\\..\\update.ini", "\"..\""},
        {"C:\\update.ini", ":"},
        {"v100\\nul.cpk", "device"},
        {"v100\\update.ini.", "dot"},
        {"v100\\p101.cpk.minisig", ".minisig"},
        {"v100\\a\x81\\..", "GBK"},
    };
    auto outside = [&] {
        auto entries = platform::ListDirectory(work_.path());
        return entries ? entries->size() : 0;
    };
    const size_t besideGame = outside();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        servers_->StopVersion();
        ScriptedVersionServer hostile(
            servers_->versionAddress(), servers_->versionPort(), [&](const VersionRequest&) {
                return ScriptedAnswer(*ftp, 101, {{sound, md5}, {c.path, md5}});
            });
        ASSERT_TRUE(hostile.ok());
        PatcherRun r = Run(game);
        EXPECT_EQ(r.code, kExitFailed);
        EXPECT_EQ(hostile.answered(), 1u);
        EXPECT_TRUE(r.Told(Utf8(GBK("版本检测服务器发来的补丁文件名不能使用,已停止更新"))))
            << r.notes << r.out;
        EXPECT_TRUE(r.Told(c.told)) << r.notes << r.out;
        ExpectOldOrNew(game, 100);
        EXPECT_FALSE(platform::Exists(game + "\\download\\p101.cpk"));
        EXPECT_EQ(outside(), besideGame);
    }
    // The patcher's own name, in any letter case: the hand-over would take
    // such a package for a new patcher.
    for (const std::string name : {"drevik", "DREVIK"}) {
        SCOPED_TRACE(name);
        servers_->StopVersion();
        ScriptedVersionServer hostile(
            servers_->versionAddress(), servers_->versionPort(), [&](const VersionRequest&) {
                return ScriptedAnswer(*ftp, 101, {{"v100\\" + name, md5}});
            });
        ASSERT_TRUE(hostile.ok());
        PatcherRun r = Run(game);
        EXPECT_EQ(r.code, kExitFailed);
        EXPECT_TRUE(r.Told(Utf8(FillInText(
            GBK("版本检测服务器发来的补丁文件名%s是更新程序自己的名字,已停止更新"), name))))
            << r.notes << r.out;
        ExpectOldOrNew(game, 100);
        EXPECT_FALSE(platform::Exists(game + "\\download\\" + name));
    }
    ASSERT_TRUE(servers_->StartVersion());
    ExpectNextRunFinishes(game);
}

// A game archive damaged before the update: the unpacking stops at it,
// names it, and undoes what it had done; the folder is exactly as it was,
// damaged archive included. Repaired, the next run finishes.
TEST_F(UpdateFaults, AGameArchiveDamagedBeforeTheUpdateIsNamedAndNothingChanges) {
    const std::string game = work_ / "game";
    NewGame(game);
    const std::string archive = game + "\\data\\scene.cpk";
    const std::string whole = ReadFile(archive);
    std::string damaged = whole;
    for (size_t i = 0; i < 16; ++i) {
        damaged[8 + i] = '\xEE';  // the header's counts and offsets
    }
    WriteFile(archive, damaged);
    old_ = Snapshot(game);
    PatcherRun r = Run(game);
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_TRUE(r.Told("Corrupt CPK")) << r.notes;
    EXPECT_TRUE(r.Told(Utf8(FillInText(GBK("无法更新%s,更新已撤销"), "data\\scene.cpk"))))
        << r.notes;
    ExpectOldOrNew(game, 100);
    EXPECT_EQ(ReadFile(archive), damaged);

    WriteFile(archive, whole);
    ExpectNextRunFinishes(game);
}

}  // namespace
