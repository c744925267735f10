#include "update_fixture.h"

#include <cstdio>
#include <mutex>
#include <random>

#include "cpk/BlockPool.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/net.h"
#include "platform/process.h"
#include "platform/text.h"

namespace testsupport {
namespace {

constexpr int kAddressAttempts = 50;

bool EndsWithCpk(const std::string& name) {
    return name.size() > 4 && platform::GbkToLowerAscii(name.substr(name.size() - 4)) == ".cpk";
}

void ReadArchiveTree(CPKVfs& vfs, uint32_t parent, const std::string& prefix,
                     std::map<std::string, std::string>& out) {
    uint32_t files = vfs.ListChildFiles(parent);
    std::vector<uint32_t> crcs(files);
    vfs.ListChildFiles(parent, crcs.data(), files);
    for (uint32_t crc : crcs) {
        std::string path;
        vfs.GetFullPath(crc, path);
        std::vector<uint8_t> contents;
        int index = vfs.FindEntry(crc);
        std::string bytes = "<unreadable>";
        if (index >= 0 && ReadEntryContents(vfs, index, contents)) {
            bytes.assign(contents.begin(), contents.end());
        }
        out[prefix + platform::GbkToLowerAscii(path)] = bytes;
    }
    uint32_t dirs = vfs.ListChildDirs(parent);
    std::vector<uint32_t> dcrcs(dirs);
    vfs.ListChildDirs(parent, dcrcs.data(), dirs);
    for (uint32_t crc : dcrcs) {
        std::string path;
        vfs.GetFullPath(crc, path);
        out[prefix + platform::GbkToLowerAscii(path) + "\\"] = "";
        ReadArchiveTree(vfs, crc, prefix, out);
    }
}

void ReadFolder(const std::string& root, const std::string& relative,
                const std::vector<std::string>& skip, bool archiveBytes,
                std::map<std::string, std::string>& out) {
    std::string dir = relative.empty() ? root : root + "\\" + relative;
    auto entries = platform::ListDirectory(dir);
    if (!entries) {
        return;
    }
    for (const platform::DirEntry& e : *entries) {
        std::string rel = relative.empty() ? e.name : relative + "\\" + e.name;
        bool skipped = false;
        for (const std::string& s : skip) {
            skipped = skipped || platform::GbkToLowerAscii(rel) == platform::GbkToLowerAscii(s);
        }
        if (skipped) {
            continue;
        }
        if (e.isDirectory) {
            out[rel + "\\"] = "";
            ReadFolder(root, rel, skip, archiveBytes, out);
        } else if (EndsWithCpk(e.name)) {
            for (const auto& [inner, bytes] : ArchiveEntries(root + "\\" + rel)) {
                out[rel + "|" + inner] = bytes;
            }
            out[rel] = archiveBytes ? ReadFile(root + "\\" + rel) : "<archive>";
        } else {
            out[rel] = ReadFile(root + "\\" + rel);
        }
    }
}

}  // namespace

std::string FreeLoopbackAddress(uint16_t port) {
    // One generator for the program: addresses picked in the same
    // millisecond must differ too.
    static std::mutex mu;
    static std::mt19937 random(platform::TickCount() ^ (platform::CurrentProcessId() << 8));
    std::lock_guard<std::mutex> lock(mu);
    for (int attempt = 0; attempt < kAddressAttempts; ++attempt) {
        std::string address = "127." + std::to_string(1 + random() % 254) + "." +
                              std::to_string(random() % 256) + "." +
                              std::to_string(1 + random() % 254);
        auto l = platform::TcpSocket::Listen(address, port, 1);
        if (l) {
            return address;
        }
    }
    return "";
}

std::string BuildArchive(const std::vector<PackageEntry>& entries, bool lzo) {
    TempDir dir;
    std::string path = dir / "package.cpk";
    {
        BlockPool pool;
        CPKVfs vfs(pool);
        if (!vfs.Create(path)) {
            return "";
        }
        for (const PackageEntry& e : entries) {
            if (!e.path.empty() && e.path.back() == '\\') {
                vfs.AddPath(e.path.substr(0, e.path.size() - 1) + "\\", 0);
                continue;
            }
            AddEntryFromBuffer(vfs, e.path, e.contents.data(),
                               static_cast<uint32_t>(e.contents.size()),
                               lzo ? kMethodLzo : kMethodStored, false);
        }
        vfs.Close();
    }
    return ReadFile(path);
}

Release ThreePatches(const std::string& big) {
    Release r;
    r.manifest =
        "latest 103\n"
        "mirror * {FTP}\n"
        "path 100 v100\\p101.cpk v101\\p102.cpk v102\\p103.cpk\n"
        "path 101 v101\\p102.cpk v102\\p103.cpk\n"
        "path 102\n";
    r.files["v100\\p101.cpk"] = BuildArchive({{"readme.txt", "one"}, {"data\\a.txt", "a1"}});
    r.files["v101\\p102.cpk"] =
        BuildArchive({{"readme.txt", "two"}, {"data\\b.bin", big.empty() ? "b" : big}});
    r.files["v102\\p103.cpk"] = BuildArchive({{"data\\c.txt", "c3"}});
    return r;
}

std::map<std::string, std::string> ArchiveEntries(const std::string& path) {
    std::map<std::string, std::string> out;
    BlockPool pool;
    CPKVfs vfs(pool);
    if (!vfs.Open(path, CPKOpenMode::kReadOnly)) {
        return out;
    }
    ReadArchiveTree(vfs, 0, "", out);
    vfs.Close();
    return out;
}

std::map<std::string, std::string> FolderContents(const std::string& folder,
                                                  const std::vector<std::string>& skip,
                                                  bool archiveBytes) {
    std::map<std::string, std::string> out;
    ReadFolder(folder, "", skip, archiveBytes, out);
    return out;
}

std::string FolderDifference(const std::map<std::string, std::string>& expected,
                             const std::map<std::string, std::string>& actual) {
    std::string out;
    for (const auto& [path, bytes] : expected) {
        auto it = actual.find(path);
        if (it == actual.end()) {
            out += "missing " + path + "\n";
        } else if (it->second != bytes) {
            out += "differs " + path + " (" + std::to_string(it->second.size()) + " bytes, " +
                   std::to_string(bytes.size()) + " expected)\n";
        }
    }
    for (const auto& entry : actual) {
        if (expected.count(entry.first) == 0) {
            out += "extra   " + entry.first + "\n";
        }
    }
    return out;
}

UpdateServers::UpdateServers() {
    ftpAddress_ = FreeLoopbackAddress(21);
    versionAddress_ = FreeLoopbackAddress(kVersionPort);
    if (ftpAddress_.empty() || versionAddress_.empty()) {
        error_ = "no free loopback address";
    }
}

std::string UpdateServers::GameIni(const std::string& gamePath) const {
    return UpdateIni({versionAddress_}, kVersionPort, gamePath);
}

bool UpdateServers::Start(const Release& release, int ftpRateKBps, bool refuseLogins) {
    if (!error_.empty()) {
        return false;
    }
    release_ = release;
    return StartFtp(ftpRateKBps, refuseLogins) && StartVersion();
}

bool UpdateServers::StartFtp(int ftpRateKBps, bool refuseLogins) {
    ProftpdOptions o;
    o.address = ftpAddress_;
    o.port = 21;
    o.retrRateKBps = ftpRateKBps;
    o.refuseLogins = refuseLogins;
    ftp_ = std::make_unique<ProftpdServer>(o);
    if (!ftp_->ok()) {
        error_ = ftp_->error();
        return false;
    }
    for (const auto& [path, contents] : release_.files) {
        WriteFile(ftp_->root() + "\\" + path, contents);
    }
    return true;
}

bool UpdateServers::StartVersion() {
    std::string manifest = release_.manifest;
    for (size_t at = manifest.find("{FTP}"); at != std::string::npos; at = manifest.find("{FTP}")) {
        manifest.replace(at, 5, ftpAddress_);
    }
    versiond::ServerOptions v;
    v.address = versionAddress_;
    v.port = kVersionPort;
    version_ = std::make_unique<LoopbackVersionServer>(manifest, release_.files, v);
    if (!version_->ok()) {
        error_ = version_->error();
        return false;
    }
    return true;
}

std::string AbsentGamePath() {
    // The id stands inside the name: with it last, the name of process 12
    // would be a part of that of process 123.
    return "tesmar_absent_" + std::to_string(platform::CurrentProcessId()) + "_game";
}

std::string UpdateIni(const std::vector<std::string>& versionHosts, uint16_t port,
                      const std::string& gamePath) {
    std::string ini = "[game]\r\ntesmar=" + gamePath +
                      "\r\n[checkversion]\r\nport=" + std::to_string(port) +
                      "\r\nnum=" + std::to_string(versionHosts.size()) + "\r\n";
    for (size_t i = 0; i < versionHosts.size(); ++i) {
        ini += "ip" + std::to_string(i) + "=" + versionHosts[i] + "\r\n";
    }
    ini +=
        "[config]\r\nBorough_num=1\r\n[Borough0]\r\nname=Loopback\r\ndianxin=1\r\n"
        "login_num=1\r\nip0=127.0.0.1\r\n";
    return ini;
}

void WriteVersion(const std::string& folder, int32_t version) {
    std::string record(8, '\0');
    uint32_t magic = 2828;
    for (int i = 0; i < 4; ++i) {
        record[static_cast<size_t>(i)] = static_cast<char>(magic >> (8 * i));
        record[static_cast<size_t>(4 + i)] =
            static_cast<char>(static_cast<uint32_t>(version) >> (8 * i));
    }
    WriteFile(folder + "\\version.dat", record);
}

int32_t ReadVersion(const std::string& folder) {
    std::string r = ReadFile(folder + "\\version.dat");
    if (r.size() != 8) {
        return -1;
    }
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = v << 8 | static_cast<uint8_t>(r[at + static_cast<size_t>(i)]);
        }
        return v;
    };
    return u32(0) == 2828 ? static_cast<int32_t>(u32(4)) : -1;
}

}  // namespace testsupport
