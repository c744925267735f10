// Web mirrors of the packages: update.ini's [mirror] section names base
// addresses (http:// or https://) that serve the same files as the FTP
// server, under the same paths. The downloader fetches each package from a
// mirror picked at random; a mirror that fails leaves the list for the rest
// of the run, and once every one has failed the FTP server is used.
//
//   [mirror]
//   num=2
//   url0=https://cdn.example.net/tesmar
//   url1=http://files.example.net:8080/patches/
//   ca=certs\mirrors.pem      (optional: an extra authority, in the game folder)
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

class CConfigFile;

// Most url entries read from [mirror]; num beyond it is cut.
constexpr int kMirrorsMax = 32;

struct MirrorSettings {
    // Usable base addresses, without a trailing '/', in the order listed.
    std::vector<std::string> bases;
    // A PEM file (system path) of an authority trusted besides the system's
    // for https:// mirrors; "" for the system's alone.
    std::string caFile;
    // One line of English per entry that was left out, and why.
    std::vector<std::string> notes;
    // No FTP server stands behind the mirrors (a download from web
    // addresses alone): the sizes come from the mirrors, and a file that no
    // mirror serves fails instead of falling back.
    bool webOnly = false;
};

// Reads [mirror] of update.ini; gameFolder (system path) anchors a relative
// ca file. Without the section (num absent or 0) the result is empty.
MirrorSettings ReadMirrorSettings(const CConfigFile& config, const std::string& gameFolder);

// Why base cannot serve as a mirror ("" when it can): not http:// or
// https://, no host, or a blank, control byte, '?' or '#' in it.
std::string MirrorBaseProblem(const std::string& base);

// Adds the usable bases (without a trailing '/') that s does not list yet,
// after those it lists; each unusable one leaves a note naming source.
void AddMirrorBases(MirrorSettings& s, const std::vector<std::string>& bases,
                    const std::string& source);

// The address of a file under base: the directory's parts (separated by
// '\' or '/') and the file name joined with '/', every byte outside the
// unreserved set of a URL path percent-encoded.
std::string MirrorFileUrl(const std::string& base, const std::string& directory,
                          const std::string& fileName);

// The mirrors still usable in one download run. Safe to use from several
// threads at once.
class MirrorList {
public:
    // A new run: every base is usable again, the notes of the last run go.
    void Reset(const std::vector<std::string>& bases);
    // A usable base, picked at random; nullopt when none is left.
    std::optional<std::string> Pick();
    // base failed: it is not picked again in this run; why is noted.
    void Fail(const std::string& base, const std::string& why);
    bool Usable(const std::string& base) const;
    bool Empty() const;
    // "BASE: why" for every mirror that failed in this run, in order.
    std::vector<std::string> Failures() const;

private:
    mutable std::mutex mu_;
    std::vector<std::string> live_;
    std::vector<std::string> failures_;
    std::mt19937 random_{std::random_device{}()};
};
