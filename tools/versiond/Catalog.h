// What versiond serves: the manifest that names the upgrade paths, and the
// catalog built from it at start-up with every file's size and MD5 and the
// answers already encoded.
//
// Manifest, one directive per line, "#" starts a comment:
//   latest N                 the newest version
//   mirror LINE ADDRESS      FTP server (dotted IPv4) for line type LINE, or
//                            for every other line type when LINE is "*"
//   web LINE URL             a web base (http:// or https://) serving the
//                            files under the same paths, for LINE or "*"
//                            as above; up to 8 per line type, sent in
//                            messages patchers without web support ignore.
//                            With web lines for "*", "mirror *" may be left
//                            out: the FTP address sent is then 0.0.0.0,
//                            which the patcher takes as no FTP server.
//   path FROM FILE...        the files, in unpack order, that lead from
//                            version FROM to latest; FILE is a path under
//                            the root with "\" between its parts. No files:
//                            that upgrade path is wrong.
//
// Served under a release file (sign/Release.h, ManifestUnderRelease), the
// upgrade paths and latest come from the release instead, and the manifest's
// path lines only have to agree with it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "patcher/VersionMessages.h"
#include "sign/Minisign.h"
#include "sign/Release.h"

namespace versiond {

struct Manifest {
    int32_t latest = 0;
    std::map<int32_t, IPv4Bytes> mirrors;                    // by line type
    IPv4Bytes defaultMirror{};                               // "mirror *"
    std::map<int32_t, std::vector<std::string>> webMirrors;  // by line type
    std::vector<std::string> defaultWebMirrors;              // "web *"
    std::map<int32_t, std::vector<std::string>> paths;
    std::map<int32_t, size_t> pathLines;  // the manifest line of each path line, from 1
};

// nullopt, and the reason with its line number in *error, when the text is
// not a valid manifest.
std::optional<Manifest> ParseManifest(std::string_view text, std::string* error);

// A file path as served must be usable by the patcher: relative, "\"
// separated, no empty, "." or ".." parts, short enough for its entry.
// Answers the reason it is not, or "" when it is.
std::string CheckServedPath(const std::string& path);

// A file word of a manifest's path line as the patcher names it: UTF-8
// text (the manifest as Linux editors write it) becomes GBK, GBK stays as
// it is, and "/" separates as "\" does. Nothing, with *why, for a name GBK
// cannot hold.
std::optional<std::string> ServedPathFromManifest(const std::string& word, std::string* why);

// The release file at path (a system path): read only when it is no larger
// than sign::kReleaseBytesMax, a valid release, not expired at now (seconds
// since 1970 UTC) and, when keys is not empty, with a good signature of one
// of them beside it (path + ".minisig") made under the name release.txt, as
// the patcher checks it. nullopt, with the reason, otherwise.
std::optional<sign::Release> LoadRelease(const std::string& path,
                                         const std::vector<sign::PublicKey>& keys, int64_t now,
                                         std::string* error);

// The manifest to serve under a release: latest from the release, and an
// upgrade path for every step's FROM, its chain to latest; the mirrors stay
// the manifest's. The manifest's latest must be the release's, and each of
// its path lines must name the release's chain from its version file for
// file (an empty line: no step from that version; it stays, answered as a
// wrong path). Every step's path must be one the patcher can use
// (CheckServedPath). nullopt, with the first disagreement, otherwise.
std::optional<Manifest> ManifestUnderRelease(const Manifest& manifest, const sign::Release& release,
                                             std::string* error);

struct CatalogFile {
    std::string path;  // as in the manifest
    uint64_t size = 0;
    std::string md5;  // 32 lowercase hexadecimal characters
};

// How one request was answered, for the log.
struct Answer {
    uint8_t code = 0;
    int32_t target = 0;
    uint32_t files = 0;
    IPv4Bytes mirror{};
};

class Catalog {
public:
    // Sizes and digests of every file from root (a system path). nullopt,
    // with the reason, when a file is missing, unreadable or too large for
    // the patcher.
    static std::optional<Catalog> Build(const Manifest& manifest, const std::string& root,
                                        std::string* error);

    // Appends the frames that answer request to out: 9002, 9010, then the
    // 9005 messages.
    Answer Respond(const VersionRequest& request, std::vector<uint8_t>& out) const;

    const std::vector<CatalogFile>& files() const { return files_; }
    int32_t latest() const { return latest_; }

    // "" when every file has the size and MD5 the release gives its path,
    // else the reason, naming the first file that differs.
    std::string DisagreementWith(const sign::Release& release) const;

private:
    struct PathAnswer {
        uint8_t code = 0;
        uint32_t files = 0;
        std::vector<uint8_t> frames;  // 9010 and 9005s
    };

    int32_t latest_ = 0;
    std::map<int32_t, std::vector<uint8_t>> mirrorFrames_;  // 9002 by line type
    std::vector<uint8_t> defaultMirrorFrame_;
    std::map<int32_t, IPv4Bytes> mirrors_;
    IPv4Bytes defaultMirror_{};
    std::map<int32_t, std::vector<uint8_t>> webFrames_;  // the 9003s by line type
    std::vector<uint8_t> defaultWebFrames_;
    std::map<int32_t, PathAnswer> answers_;
    PathAnswer current_;              // code 0
    PathAnswer noPath_;               // code 2
    std::vector<CatalogFile> files_;  // every distinct file, manifest order
};

}  // namespace versiond
