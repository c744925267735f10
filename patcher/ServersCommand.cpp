#include "patcher/ServersCommand.h"

#include <optional>
#include <string>
#include <vector>

#include "patcher/CConfigFile.h"
#include "patcher/ReleaseCheck.h"
#include "patcher/Signatures.h"
#include "patcher/WebMirrors.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

std::string Utf8(const std::string& gbk) {
    return platform::GbkToUtf8(gbk);
}

std::string Time(int rtt) {
    return rtt == kNoAnswer ? std::string("no answer") : std::to_string(rtt) + " ms";
}

}  // namespace

int RunServersCommand(std::ostream& out, const ServerListOptions& options) {
    ServerListState state;
    PicListModel list;
    BuildServerList(state, list, options);
    ServerListData data = state.Snapshot();
    PicListModel::View view = list.Snapshot();

    std::string folder = options.folder.empty() ? platform::CurrentDirectory() : options.folder;
    std::string config = platform::NativePath(folder + "\\update.ini");
    if (!data.configRead) {
        out << "update.ini: " << Utf8(config) << " cannot be read or is empty\n";
        return kServersNoConfig;
    }
    out << "update.ini: " << Utf8(config) << "\n";

    std::vector<std::string> problems;
    out << "\nrows:\n";
    for (size_t r = 0; r < view.items.size(); ++r) {
        bool selected = static_cast<int>(r) == view.selected;
        out << (selected ? "  * " : "    ") << Utf8(view.items[r]) << "\n";
    }
    if (view.items.empty()) {
        out << "    (none)\n";
        problems.push_back("config Borough_num names no server");
    }

    out << "\nservers:\n";
    for (size_t i = 0; i < data.servers.size(); ++i) {
        const ServerProbe& s = data.servers[i];
        out << "  Borough" << i << " \"" << Utf8(s.name) << "\", line type " << s.lineType << "\n";
        for (size_t j = 0; j < s.logins.size(); ++j) {
            const LoginProbe& login = s.logins[j];
            out << "    ip" << j << " " << Utf8(login.address) << ": " << Time(login.rtt) << " ("
                << PingWayName(login.way) << ")"
                << (static_cast<int>(j) == s.chosen ? ", chosen" : "") << "\n";
        }
        if (s.logins.empty()) {
            out << "    no login address\n";
            problems.push_back("Borough" + std::to_string(i) + " has no login address");
        }
    }

    out << "\nregistry Borough: ";
    if (data.registryFound) {
        out << Utf8(data.registryLogin);
        bool matched = false;
        for (size_t i = 0; i < data.servers.size() && !matched; ++i) {
            for (const LoginProbe& login : data.servers[i].logins) {
                matched = matched || login.address == data.registryLogin;
            }
        }
        out << (matched ? "" : " (no server has this address; row 0 is preselected)") << "\n";
    } else {
        out << "not set\n";
    }
    out << "line type: " << data.lineType << "\n";

    out << "\nversion servers: " << data.versionServerCount << " of " << data.versionHosts.size()
        << " resolved\n";
    for (size_t t = 0; t < data.versionHosts.size(); ++t) {
        const VersionHost& h = data.versionHosts[t];
        out << "  ip" << t << " " << Utf8(h.host) << " -> "
            << (h.address.empty() ? std::string("does not resolve") : h.address) << "\n";
        if (h.address.empty()) {
            problems.push_back("checkversion ip" + std::to_string(t) + " does not resolve");
        }
    }
    if (data.versionHosts.empty()) {
        problems.push_back("checkversion num names no version server");
    }

    // The keys in force: the trusted release file's once the folder has
    // one, update.ini's before.
    const std::optional<sign::Release> trusted = ReadTrustedRelease(folder);
    const PublisherKeys keys = KeysInForce(ReadPublisherKeysOf(folder), trusted);
    out << "\npublisher keys: ";
    if (trusted) {
        out << "(from release.txt, serial " << trusted->serial << ", latest " << trusted->latest
            << ") ";
    }
    if (!keys.required) {
        out << "none (packages are not checked for signatures)\n";
    } else {
        out << keys.keys.size() << " (only packages one of them signed are installed)\n";
        for (const sign::PublicKey& key : keys.keys) {
            out << "  " << sign::KeyIdText(key.id) << "\n";
        }
        for (const std::string& u : keys.unusable) {
            problems.push_back("sign " + u);
        }
    }

    // Shown only where update.ini has a [mirror] section: without one the
    // packages come from FTP alone.
    CConfigFile ini;
    (void)ini.Load((folder + "\\update.ini").c_str(), true);
    const MirrorSettings mirrors = ReadMirrorSettings(ini, folder);
    if (!mirrors.bases.empty() || !mirrors.notes.empty()) {
        out << "\nweb mirrors: " << mirrors.bases.size()
            << " (tried before the FTP server, one picked at random per package)\n";
        for (const std::string& base : mirrors.bases) {
            out << "  " << Utf8(base) << "\n";
        }
        if (!mirrors.caFile.empty()) {
            out << "  extra authority: " << Utf8(mirrors.caFile) << "\n";
        }
        for (const std::string& note : mirrors.notes) {
            problems.push_back("mirror " + Utf8(note));
        }
    }

    if (!problems.empty()) {
        out << "\nproblems:\n";
        for (const std::string& p : problems) {
            out << "  " << p << "\n";
        }
        return kServersProblems;
    }
    return kServersOk;
}
