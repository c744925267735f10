// The update end to end on loopback: versiond naming an FTP mirror, proftpd
// on port 21 of a loopback address of its own (the patcher always fetches
// from port 21), patch packages built as CPK archives, and game folders.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "proftpd_server.h"
#include "testsupport/pattern.h"
#include "testsupport/temp_dir.h"
#include "version_servers.h"

namespace testsupport {

// A loopback address (127.x.y.z, never 127.0.0.1) whose port is free now,
// picked at random so that runs side by side do not meet.
std::string FreeLoopbackAddress(uint16_t port);

// One entry of a patch package: its inner path and contents; a path that
// ends in "\" is an empty directory.
struct PackageEntry {
    std::string path;
    std::string contents;
};
// A CPK archive with these entries (stored, or LZO-compressed when lzo).
std::string BuildArchive(const std::vector<PackageEntry>& entries, bool lzo = false);

// The entries of a CPK archive on disk: inner path (lower-cased, as stored
// in the archive's names) -> contents. Empty when it cannot be opened.
std::map<std::string, std::string> ArchiveEntries(const std::string& path);

// Every file under a folder, relative path -> contents, CPK archives read
// entry by entry ("data\scene.cpk|tex\a.dds"), so that two folders compare
// by what a game reads from them; with archiveBytes also each archive's own
// bytes, so that they compare byte for byte.
std::map<std::string, std::string> FolderContents(const std::string& folder,
                                                  const std::vector<std::string>& skip = {},
                                                  bool archiveBytes = false);
// What differs between two such folders, one line per path ("" when they are
// the same); short, where comparing the maps would print every byte.
std::string FolderDifference(const std::map<std::string, std::string>& expected,
                             const std::map<std::string, std::string>& actual);

struct Release {
    std::string manifest;  // "{FTP}" stands for the FTP address
    std::map<std::string, std::string> files;
};

// 100 -> 103 in three packages; big is what the second one carries as
// data\b.bin ("b" when empty).
Release ThreePatches(const std::string& big = "");

// versiond and proftpd serving a release, each on a loopback address of its
// own: proftpd on port 21, versiond on kVersionPort. The addresses are
// picked first, so that a release can carry an update.ini that names them;
// the manifest's "{FTP}" stands for the FTP server's address.
constexpr uint16_t kVersionPort = 19090;

// The game program of update.ini when no game runs: a name no process of
// this or another test has (the game check matches any process whose path
// contains it, so names must not be parts of one another).
std::string AbsentGamePath();

class UpdateServers {
public:
    UpdateServers();
    // Starts both servers; false (see error()) when they cannot run here.
    // refuseLogins: the FTP server turns every login away.
    bool Start(const Release& release, int ftpRateKBps = 0, bool refuseLogins = false);

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& ftpAddress() const { return ftpAddress_; }
    const std::string& versionAddress() const { return versionAddress_; }
    uint16_t versionPort() const { return kVersionPort; }
    // update.ini of a game folder that these servers update.
    std::string GameIni(const std::string& gamePath = AbsentGamePath()) const;
    ProftpdServer& ftp() { return *ftp_; }
    LoopbackVersionServer& version() { return *version_; }

    // A server that goes away, and comes back on its address and port with
    // the release it served (for the files, the one given to Start).
    void StopFtp() { ftp_.reset(); }
    bool StartFtp(int ftpRateKBps = 0, bool refuseLogins = false);
    void StopVersion() { version_.reset(); }
    bool StartVersion();

private:
    Release release_;
    std::string error_;
    std::string ftpAddress_;
    std::string versionAddress_;
    std::unique_ptr<ProftpdServer> ftp_;
    std::unique_ptr<LoopbackVersionServer> version_;
};

// update.ini of a game folder: the version servers (dotted or names) on
// port, one game server whose login address is 127.0.0.1, the game path.
std::string UpdateIni(const std::vector<std::string>& versionHosts, uint16_t port,
                      const std::string& gamePath = AbsentGamePath());

// Writes version.dat with {2828, version}.
void WriteVersion(const std::string& folder, int32_t version);
// The version of version.dat, -1 when it is missing or foreign.
int32_t ReadVersion(const std::string& folder);

}  // namespace testsupport
