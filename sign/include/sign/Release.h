// The publisher's release file: which versions exist and which packages lead
// from one to the next, with each package's size and MD5, signed with
// minisign beside it (release.txt.minisig) like the packages. A patcher
// believes a version server only where its signed release file agrees.
//
//   tesmar release 1
//   serial 12
//   expires 2027-01-10T00:00:00Z
//   latest 103
//   key RWQ1LP2gPNNw0hybam5uwTqZ5SfenxvuRrYjnoi5UcQAxhNsPhMjn0V6
//   step 100 101 v100\p101.cpk 123456 0123456789abcdef0123456789abcdef
//
// Lines end in "\n" or "\r\n"; blank lines and lines starting with "#" are
// comments. The first line is the one above; serial (grows with every file
// the publisher signs, 1 or more), expires (UTC) and latest come once each;
// key lines (at most kReleaseKeysMax, minisign public keys) name the keys in
// force after this file: the ones that sign its packages and the next
// release file; step lines (from, to, the package's path as the version
// server names it, with "\" between folder and file name and no blanks,
// size, MD5 in lowercase hexadecimal) at most one per from version, each on
// a chain that ends at latest. Anything else is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sign {

constexpr const char* kReleaseFileName = "release.txt";
constexpr size_t kReleaseBytesMax = 1024 * 1024;  // larger is not a release file
constexpr size_t kReleaseStepsMax = 10000;
constexpr size_t kReleaseKeysMax = 16;

struct ReleaseStep {
    int32_t from = 0;  // the installed version the package applies to
    int32_t to = 0;    // the version it leads to (from < to)
    std::string path;  // as the version server names it (GBK)
    uint64_t size = 0;
    std::string md5;  // 32 lowercase hexadecimal characters

    bool operator==(const ReleaseStep& o) const {
        return from == o.from && to == o.to && path == o.path && size == o.size && md5 == o.md5;
    }
};

struct Release {
    uint64_t serial = 0;
    int64_t expires = 0;  // seconds since 1970-01-01 UTC
    int32_t latest = 0;
    std::vector<std::string> keys;  // base64 minisign public-key lines
    std::vector<ReleaseStep> steps;

    bool operator==(const Release& o) const {
        return serial == o.serial && expires == o.expires && latest == o.latest && keys == o.keys &&
               steps == o.steps;
    }
};

// nullopt, with the line and what is wrong in *why (English), when text is
// not a release file.
std::optional<Release> ParseRelease(const std::string& text, std::string* why);
// The text of a valid release; ParseRelease gives it back.
std::string FormatRelease(const Release& release);
// The steps from version from up to latest, in order; nullopt when no chain
// of steps leads from it to latest (also when from is latest).
std::optional<std::vector<ReleaseStep>> ChainFrom(const Release& release, int32_t from);

// "2027-01-10T00:00:00Z" and seconds since 1970 (UTC), both ways; nullopt
// when text is not that form (years 1970 to 9999).
std::optional<int64_t> ParseUtcTime(const std::string& text);
std::string FormatUtcTime(int64_t seconds);

}  // namespace sign
