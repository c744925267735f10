#include "MkRelease.h"

#include <chrono>
#include <map>

#include "Signer.h"
#include "cli/CommandLine.h"
#include "cpk/Md5.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "sign/Minisign.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Longer than any publisher would let a release file stand unrenewed.
constexpr int64_t kExpiresDaysMax = 3660;
// The patcher keeps sizes in 32-bit signed fields, as versiond holds them.
constexpr uint64_t kPackageBytesMax = 0x7FFFFFFF;

// A failure whose message has been written.
struct Failed {};

class ReleaseWriter {
public:
    explicit ReleaseWriter(std::ostream& err) : err_(err) {}

    [[noreturn]] void Fail(const std::string& message) {
        err_ << "mkpatch: " << message << "\n";
        throw Failed{};
    }

    std::string Read(const std::string& argument) {
        auto text = platform::ReadWholeFile(platform::SystemPathFromArgument(argument));
        if (!text) {
            Fail(argument + ": " + platform::GbkToUtf8(text.error().Message()));
        }
        return *text;
    }

    // The key line of a minisign.pub (or of a file that is only that line).
    std::string KeyLine(const std::string& argument) {
        const std::string text = Read(argument);
        std::string why;
        std::optional<sign::PublicKey> key = sign::ParsePublicKeyFile(text, &why);
        if (!key) {
            Fail(argument + ": not a minisign public key: " + why);
        }
        // The key is the file's last line with text; written as it stands,
        // once it is known to be the key that was read.
        size_t end = text.find_last_not_of(" \t\r\n");
        size_t begin = text.find_last_of('\n', end);
        begin = begin == std::string::npos ? 0 : begin + 1;
        std::string line = text.substr(begin, end + 1 - begin);
        line.erase(0, line.find_first_not_of(" \t"));
        std::optional<sign::PublicKey> same = sign::ParsePublicKey(line, nullptr);
        if (!same || same->id != key->id || same->key != key->key) {
            Fail(argument + ": the key is not on the file's last line");
        }
        return line;
    }

    void Measure(sign::ReleaseStep& step, const std::string& root) {
        const std::string file = root + "\\" + step.path;
        const std::string shown = platform::GbkToUtf8(step.path);
        if (!platform::IsRegularFile(file)) {
            Fail(shown + ": no such file under " + platform::GbkToUtf8(platform::NativePath(root)));
        }
        auto size = platform::FileSize(file);
        if (!size) {
            Fail(shown + ": " + platform::GbkToUtf8(size.error().Message()));
        }
        if (*size > kPackageBytesMax) {
            Fail(shown + ": larger than 2 GiB, which the patcher cannot download");
        }
        uint8_t digest[16];
        if (!Md5OfFile(file.c_str(), digest)) {
            Fail(shown + ": cannot be read");
        }
        step.size = *size;
        step.md5 = Md5Hex(digest);
    }

private:
    std::ostream& err_;
};

}  // namespace

int64_t SecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::optional<std::vector<sign::ReleaseStep>> StepsOfManifest(const versiond::Manifest& manifest,
                                                              std::string* why) {
    auto fail = [&](int32_t pathFrom, const std::string& file, const std::string& what) {
        if (why != nullptr) {
            auto line = manifest.pathLines.find(pathFrom);
            *why = (line == manifest.pathLines.end()
                        ? "the path from " + std::to_string(pathFrom)
                        : "manifest line " + std::to_string(line->second)) +
                   ": " + platform::GbkToUtf8(file) + ": " + what;
        }
        return std::nullopt;
    };
    // The version each file applies to is the FROM of the line it starts.
    std::map<std::string, int32_t> startedFrom;
    for (const auto& [from, files] : manifest.paths) {
        if (files.empty()) {
            continue;
        }
        auto [at, added] = startedFrom.emplace(files.front(), from);
        if (!added) {
            return fail(from, files.front(),
                        "starts the paths from " + std::to_string(at->second) + " and from " +
                            std::to_string(from) + ", but a package applies to one version");
        }
    }
    std::map<std::string, sign::ReleaseStep> byFile;
    std::map<std::string, int32_t> deducedOn;  // the path line that deduced each file's step
    for (const auto& [from, files] : manifest.paths) {
        for (size_t i = 0; i < files.size(); ++i) {
            sign::ReleaseStep step;
            step.path = files[i];
            // Known for i > 0: the turn before found the line it starts.
            step.from = i == 0 ? from : startedFrom.at(files[i]);
            if (i + 1 < files.size()) {
                auto next = startedFrom.find(files[i + 1]);
                if (next == startedFrom.end()) {
                    return fail(from, files[i + 1],
                                "no path line starts with it, so the version it applies to, "
                                "and the one " +
                                    platform::GbkToUtf8(files[i]) + " leads to, are unknown");
                }
                step.to = next->second;
            } else {
                step.to = manifest.latest;
            }
            if (step.to <= step.from) {
                return fail(from, files[i],
                            "would lead from " + std::to_string(step.from) + " to " +
                                std::to_string(step.to) + ", not to a later version");
            }
            auto [known, added] = byFile.emplace(files[i], step);
            if (!added && known->second.to != step.to) {
                return fail(from, files[i],
                            "leads to " + std::to_string(step.to) + " here but to " +
                                std::to_string(known->second.to) + " on the path from " +
                                std::to_string(deducedOn.at(files[i])));
            }
            deducedOn.emplace(files[i], from);
        }
    }
    std::map<int32_t, sign::ReleaseStep> byFrom;
    for (const auto& [file, step] : byFile) {
        byFrom.emplace(step.from, step);
    }
    std::vector<sign::ReleaseStep> steps;
    for (const auto& [from, step] : byFrom) {
        steps.push_back(step);
    }
    return steps;
}

int RunMkRelease(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const std::function<int64_t()>& now) {
    CLI::App app(
        "Writes the release file: the versions, the packages that lead to them, their sizes and "
        "MD5, and the keys in force, for the patcher to check the version server against.",
        "mkpatch release");
    std::string manifestFile, root, output, secretKey;
    uint64_t serial = 0;
    int64_t days = 0;
    std::vector<std::string> keyFiles;
    app.add_option("--manifest", manifestFile, "versiond's manifest")->required();
    app.add_option("--root", root, "The folder the manifest's files are under")->required();
    app.add_option("--serial", serial, "Greater than the serial of every release file before")
        ->required()
        ->check(CLI::Range(uint64_t{1}, UINT64_MAX));
    app.add_option("--expires", days, "Days from now until patchers stop believing it")
        ->required()
        ->check(CLI::Range(int64_t{1}, kExpiresDaysMax));
    app.add_option("--key", keyFiles,
                   "A minisign public key in force after this release (minisign.pub); repeatable");
    app.add_option("--sign", secretKey,
                   "Sign the release file with this minisign secret key (writes FILE.minisig)");
    app.add_option("--out", output, "The file to write (default: ROOT/release.txt)");

    const std::vector<std::string> rest(args.size() > 2 ? args.begin() + 2 : args.end(),
                                        args.end());
    if (std::optional<int> code = cli::Parse(app, "mkpatch release", rest, out, err)) {
        return *code;
    }
    const std::string rootPath = platform::SystemPathFromArgument(root);
    if (output.empty()) {
        output = root + "/" + sign::kReleaseFileName;
    }
    const std::string target = platform::SystemPathFromArgument(output);
    ReleaseWriter writer(err);
    try {
        if (!platform::IsDirectory(rootPath)) {
            writer.Fail(root + ": no such folder");
        }
        std::string why;
        std::optional<versiond::Manifest> manifest =
            versiond::ParseManifest(writer.Read(manifestFile), &why);
        if (!manifest) {
            writer.Fail(manifestFile + ": " + why);
        }
        sign::Release release;
        release.serial = serial;
        release.latest = manifest->latest;
        release.expires = now() + days * kSecondsPerDay;
        for (const std::string& file : keyFiles) {
            release.keys.push_back(writer.KeyLine(file));
        }
        std::optional<std::vector<sign::ReleaseStep>> steps = StepsOfManifest(*manifest, &why);
        if (!steps) {
            writer.Fail(manifestFile + ": " + why);
        }
        release.steps = std::move(*steps);
        for (sign::ReleaseStep& step : release.steps) {
            writer.Measure(step, rootPath);
        }
        // What the patcher will read must read back as written; this also
        // holds the deduced steps to every rule of the file.
        const std::string text = sign::FormatRelease(release);
        std::optional<sign::Release> back = sign::ParseRelease(text, &why);
        if (!back || *back != release) {
            writer.Fail("the release file would not be valid: " + why);
        }
        for (const auto& [from, files] : manifest->paths) {
            std::optional<std::vector<sign::ReleaseStep>> chain = sign::ChainFrom(release, from);
            std::vector<std::string> paths;
            for (const sign::ReleaseStep& s : chain.value_or(std::vector<sign::ReleaseStep>())) {
                paths.push_back(s.path);
            }
            if (!files.empty() && paths != files) {
                writer.Fail(manifestFile + ": manifest line " +
                            std::to_string(manifest->pathLines.at(from)) +
                            ": the steps lead from " + std::to_string(from) +
                            " through other files than the line names");
            }
        }
        // A patcher that has seen a serial takes no file of a smaller or
        // equal one: refuse to write a file that every such patcher refuses.
        if (platform::IsRegularFile(target)) {
            auto size = platform::FileSize(target);
            if (size && *size <= sign::kReleaseBytesMax) {
                auto old = platform::ReadWholeFile(target);
                std::optional<sign::Release> before =
                    old ? sign::ParseRelease(*old, nullptr) : std::nullopt;
                if (before && before->serial >= serial) {
                    writer.Fail(output + " has serial " + std::to_string(before->serial) +
                                ": the new one must be greater");
                }
            }
        }
        // Written beside it and moved over it: a mirror never holds half a file.
        const std::string temporary = target + ".new";
        std::string failure;
        {
            auto file =
                platform::File::Open(temporary, platform::Access::kWrite, platform::kShareNone,
                                     platform::Disposition::kCreateAlways);
            if (!file) {
                failure = file.error().Message();
            } else if (auto w = file->Write(text.data(), text.size()); !w) {
                failure = w.error().Message();
            } else if (auto f = file->Flush(); !f) {
                failure = f.error().Message();
            }
        }
        if (!failure.empty()) {
            (void)platform::DeleteFile(temporary);
            writer.Fail(output + ": " + platform::GbkToUtf8(failure));
        }
        if (!platform::MoveFile(temporary, target, true)) {
            (void)platform::DeleteFile(temporary);
            writer.Fail(output + ": cannot replace it");
        }
        out << "release " << serial << ": latest " << release.latest << ", " << release.steps.size()
            << " steps, " << release.keys.size() << " keys, expires "
            << sign::FormatUtcTime(release.expires) << ": " << output << "\n";
    } catch (const Failed&) {
        return cli::kExitFailed;
    }
    if (!secretKey.empty()) {
        return SignWithMinisign(output, secretKey, "release file", out, err);
    }
    return cli::kExitOk;
}
