// The release file: what the publisher says exists, signed with the same
// minisign keys as the packages. It lies at the top folder of every mirror
// as release.txt, its signature beside it (release.txt.minisig), and the
// patcher believes the version server only where this file agrees.
//
// The text, one directive a line, LF or CRLF line ends; lines that start
// with "#" and empty lines are ignored:
//
//   tesmar release 1                  the first line, exactly
//   serial 12                         grows with every file signed, >= 1
//   expires 2027-01-10T00:00:00Z      not to be believed after this (UTC)
//   latest 103                        the newest version
//   key RWQ1LP2g...                   a key in force after this file, 0..16
//   step 100 101 v100\p101.cpk 123456 0123456789abcdef0123456789abcdef
//                                     FROM TO PATH SIZE MD5, 0..10000
//
// serial, expires and latest appear exactly once, in any order after the
// first line. Fields are separated by single spaces, so a path cannot hold
// a space. Numbers are plain decimal (no sign, no leading zeros). Versions
// are 0..2^31-1 and every step has FROM < TO <= latest, at most one step
// per FROM, and a TO that is latest or the FROM of another step, so that
// every step lies on a chain to latest. A PATH is GBK bytes as the version
// server names the file: folder and file name with "\" between them (a GBK
// character's second byte is not a separator), 1..259 bytes, no control
// bytes, no "/" or ":", no empty, "." or ".." part, not the path of another
// step. SIZE is at most 2^32-1 bytes; MD5 is 32 lowercase hexadecimal
// characters.
//
// Everything here is a pure function of its arguments; any thread may call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sign {

constexpr const char* kReleaseFileName = "release.txt";
constexpr const char* kReleaseMagic = "tesmar release 1";
constexpr size_t kReleaseBytesMax = 1024 * 1024;  // larger is not a release file
constexpr size_t kReleaseStepsMax = 10000;
constexpr size_t kReleaseKeysMax = 16;
constexpr size_t kReleasePathBytesMax = 259;
constexpr uint64_t kReleaseSizeMax = 0xFFFFFFFFu;
// 9999-12-31T23:59:59Z, the last moment the time form can write.
constexpr int64_t kUtcTimeMax = 253402300799;

struct ReleaseStep {
    int32_t from = 0;  // the installed version this package applies to
    int32_t to = 0;    // the version it leads to (from < to)
    std::string path;  // as the version server names it: folder and file name with "\" between, GBK
    uint64_t size = 0;  // bytes
    std::string md5;    // 32 lowercase hex

    bool operator==(const ReleaseStep& o) const {
        return from == o.from && to == o.to && path == o.path && size == o.size && md5 == o.md5;
    }
    bool operator!=(const ReleaseStep& o) const { return !(*this == o); }
};

struct Release {
    uint64_t serial = 0;  // grows with every release file the publisher signs (>= 1)
    int64_t expires = 0;  // seconds since 1970-01-01 UTC
    int32_t latest = 0;
    std::vector<std::string>
        keys;  // base64 minisign public-key lines: the keys in force after this
    std::vector<ReleaseStep> steps;  // in the file's order

    bool operator==(const Release& o) const {
        return serial == o.serial && expires == o.expires && latest == o.latest && keys == o.keys &&
               steps == o.steps;
    }
    bool operator!=(const Release& o) const { return !(*this == o); }
};

// The release in text, or nullopt and *why (when not null): "line N: "
// and what is wrong, in English.
std::optional<Release> ParseRelease(const std::string& text, std::string* why);

// The text of a release, LF line ends, the directives in the order above.
// ParseRelease(FormatRelease(r)) == r for every r that ParseRelease can give.
std::string FormatRelease(const Release& release);

// The steps from version `from` up to latest, in order (none when from is
// latest); nullopt when no chain of steps leads from it to latest. Safe on
// any Release, also one that ParseRelease did not make.
std::optional<std::vector<ReleaseStep>> ChainFrom(const Release& release, int32_t from);

// "2027-01-10T00:00:00Z" <-> seconds since 1970-01-01 (UTC, no time zone
// but Z, no leap second, years 1970..9999); nullopt when not that form.
std::optional<int64_t> ParseUtcTime(const std::string& text);
// Seconds outside 0..kUtcTimeMax are written as the nearer end of it.
std::string FormatUtcTime(int64_t seconds);

}  // namespace sign
