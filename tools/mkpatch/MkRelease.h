// The release file, for the people who publish patches:
//
//   mkpatch release --manifest FILE --root DIR --serial N --expires DAYS
//                   [--key PUBKEY]... [--sign SECKEY] [--out FILE]
//
// Reads versiond's manifest, deduces from its path lines which version each
// package leads from and to (StepsOfManifest), takes every package's size
// and MD5 from the file under --root, and writes the release file
// (sign/Release.h), by default DIR/release.txt, with the given serial, an
// expiry DAYS days from now and the keys of the --key files (minisign.pub)
// as the keys in force. --sign then signs it with minisign
// (release.txt.minisig beside it).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Catalog.h"
#include "sign/Release.h"

// The steps of the manifest's path lines, ordered by the version they lead
// from, size and MD5 still empty. "path FROM f1 ... fn" says f1 leads from
// FROM; each later f(i) leads from the FROM of the path line whose first
// file it is, f(i-1) to that same version, and fn to latest. Lines without
// files say nothing. nullopt, and *why naming the manifest line and the
// file, when a file's version cannot be deduced (no path line starts with
// it), when two lines contradict each other (two lines start with the same
// file, or a file leads to two versions), or when a file would lead to no
// later version.
std::optional<std::vector<sign::ReleaseStep>> StepsOfManifest(const versiond::Manifest& manifest,
                                                              std::string* why);

// Runs "mkpatch release"; args[0] is the program's name, args[1]
// "release". now gives the seconds since 1970-01-01 UTC, read once, for
// --expires. Answers 0 when the release file is written (and signed, when
// asked), 1 on failure, 64 on a usage error; what failed is on err.
int RunMkRelease(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const std::function<int64_t()>& now);

// The system's clock, in seconds since 1970-01-01 UTC.
int64_t SecondsNow();
