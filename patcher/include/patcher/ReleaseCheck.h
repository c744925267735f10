// The publisher's signed release file, as the patcher uses it. With signing
// on, the version server's answer is believed only where the release file
// that the publisher signed agrees: the target is the release's newest
// version and above the installed one, the packages are exactly the
// release's steps from the installed version there (paths and MD5), their
// sizes are the signed ones, and the file is neither older than the newest
// one this folder has seen nor expired.
//
// The release file comes from the servers into download\ (release.txt and
// its .minisig, names no package may have). Once an update it allowed is
// complete, it is kept in the game folder as the folder's trusted release:
// its serial is the floor for the next one, and its keys are the keys in
// force from then on (the next release file and the packages must be signed
// by one of them), whatever update.ini's [sign] says. Before a folder has
// one, update.ini's [sign] names the keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "patcher/PatchFileList.h"
#include "patcher/Signatures.h"
#include "sign/Release.h"

// The trusted release of the folder (system path; "" the current one), or
// nothing when there is none or it cannot be read.
std::optional<sign::Release> ReadTrustedRelease(const std::string& folder);
// Writes a release file and its signature beside it at path (system path),
// each written beside itself and moved over.
bool WriteReleaseFiles(const std::string& path, const std::string& text,
                       const std::string& signature);
// Keeps text (a release file that checked) as the folder's trusted release.
bool StoreTrustedRelease(const std::string& folder, const std::string& text,
                         const std::string& signature);

// The keys a folder's next release file must be signed with: its trusted
// release's, or update.ini's before it has one (or when that lists none).
PublisherKeys KeysInForce(const PublisherKeys& iniKeys,
                          const std::optional<sign::Release>& trusted);
// Whether updates of the folder are signed at all.
bool SigningRequired(const PublisherKeys& iniKeys, const std::optional<sign::Release>& trusted);

struct ReleaseAnswer {
    int32_t installed = 0;  // version.dat's
    int32_t target = 0;     // the version server's
};

struct ReleaseVerdict {
    std::string why;  // English; "" when the release file allows the update
    sign::Release release;
    PublisherKeys packageKeys;  // the keys the packages must be signed with
};

// Checks the release file at path (system path, its signature beside it)
// against keys and the trusted release, at the time now (seconds since
// 1970, UTC), and the answer and entries against it. When it allows the
// update, each entry's size is set to the signed one; an entry whose size
// the server gave (above 0) must have that size already.
ReleaseVerdict CheckRelease(const std::string& path, const PublisherKeys& keys,
                            const std::optional<sign::Release>& trusted, int64_t now,
                            const ReleaseAnswer& answer, std::vector<PatchFileEntry>& entries);
