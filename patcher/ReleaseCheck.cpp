#include "patcher/ReleaseCheck.h"

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "\\" + name;
}

// The whole file, or nothing when it cannot be read or is larger than most.
std::optional<std::string> ReadSmall(const std::string& path, size_t most) {
    auto size = platform::FileSize(path);
    if (!size || *size > most) {
        return std::nullopt;
    }
    auto text = platform::ReadWholeFile(path);
    if (!text || text->size() > most) {
        return std::nullopt;
    }
    return std::move(text.value());
}

// Written beside itself and moved over: a failure leaves the old one.
bool WriteWhole(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    {
        auto file = platform::File::Open(temporary, platform::Access::kWrite, platform::kShareRead,
                                         platform::Disposition::kCreateAlways);
        if (!file || !file->Write(text.data(), text.size()) || !file->Flush()) {
            (void)platform::DeleteFile(temporary);
            return false;
        }
    }
    if (!platform::MoveFile(temporary, path, true)) {
        (void)platform::DeleteFile(temporary);
        return false;
    }
    return true;
}

std::string ServerPath(const PatchFileEntry& entry) {
    return entry.directory.empty() ? entry.fileName : entry.directory + "\\" + entry.fileName;
}

std::string Shown(const std::string& gbk) {
    return platform::GbkToUtf8(gbk);
}

}  // namespace

std::optional<sign::Release> ReadTrustedRelease(const std::string& folder) {
    auto text = ReadSmall(Join(folder, sign::kReleaseFileName), sign::kReleaseBytesMax);
    if (!text) {
        return std::nullopt;
    }
    return sign::ParseRelease(*text, nullptr);
}

bool WriteReleaseFiles(const std::string& path, const std::string& text,
                       const std::string& signature) {
    return WriteWhole(path + kSignatureSuffix, signature) && WriteWhole(path, text);
}

bool StoreTrustedRelease(const std::string& folder, const std::string& text,
                         const std::string& signature) {
    return WriteReleaseFiles(Join(folder, sign::kReleaseFileName), text, signature);
}

PublisherKeys KeysInForce(const PublisherKeys& iniKeys,
                          const std::optional<sign::Release>& trusted) {
    if (!trusted || trusted->keys.empty()) {
        return iniKeys;
    }
    PublisherKeys out;
    out.required = true;
    for (size_t i = 0; i < trusted->keys.size(); ++i) {
        std::string why;
        if (auto key = sign::ParsePublicKey(trusted->keys[i], &why)) {
            out.keys.push_back(*key);
        } else {
            out.unusable.push_back(std::string(sign::kReleaseFileName) + " key " +
                                   std::to_string(i + 1) + ": " + why);
        }
    }
    return out;
}

bool SigningRequired(const PublisherKeys& iniKeys, const std::optional<sign::Release>& trusted) {
    return iniKeys.required || (trusted && !trusted->keys.empty());
}

ReleaseVerdict CheckRelease(const std::string& path, const PublisherKeys& keys,
                            const std::optional<sign::Release>& trusted, int64_t now,
                            const ReleaseAnswer& answer, std::vector<PatchFileEntry>& entries) {
    ReleaseVerdict v;
    const std::string name = sign::kReleaseFileName;
    // The signature first, over the bytes on disk; then those same bytes,
    // read once, are what is parsed.
    const sign::Check check = CheckPackageSignature(path, name, keys);
    if (check.verdict != sign::Verdict::kGood) {
        v.why = name + " is not signed by a key in force: " + check.reason;
        return v;
    }
    auto text = ReadSmall(path, sign::kReleaseBytesMax);
    std::string why;
    std::optional<sign::Release> release =
        text ? sign::ParseRelease(*text, &why) : std::optional<sign::Release>();
    if (!release) {
        v.why = name + " cannot be read: " + (text ? why : "too large or unreadable");
        return v;
    }
    if (trusted && release->serial < trusted->serial) {
        v.why = name + " is older than the one this folder has (serial " +
                std::to_string(release->serial) + ", this folder's " +
                std::to_string(trusted->serial) + ")";
        return v;
    }
    if (release->expires <= now) {
        v.why = name + " expired at " + sign::FormatUtcTime(release->expires) +
                "; the publisher has to sign a new one";
        return v;
    }
    if (answer.target != release->latest) {
        v.why = "the version server names version " + std::to_string(answer.target) +
                ", the signed release " + std::to_string(release->latest);
        return v;
    }
    if (answer.target <= answer.installed) {
        v.why = "the version server names version " + std::to_string(answer.target) +
                ", which is not above the installed " + std::to_string(answer.installed);
        return v;
    }
    auto chain = sign::ChainFrom(*release, answer.installed);
    if (!chain) {
        v.why =
            "the signed release has no packages from version " + std::to_string(answer.installed);
        return v;
    }
    if (chain->size() != entries.size()) {
        v.why = "the version server names " + std::to_string(entries.size()) +
                " packages, the signed release " + std::to_string(chain->size()) +
                " from version " + std::to_string(answer.installed);
        return v;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const sign::ReleaseStep& step = (*chain)[i];
        PatchFileEntry& entry = entries[i];
        if (ServerPath(entry) != step.path) {
            v.why = "package " + std::to_string(i + 1) + " is " + Shown(ServerPath(entry)) +
                    " by the version server, " + Shown(step.path) + " by the signed release";
            return v;
        }
        if (entry.md5Text != step.md5) {
            v.why = Shown(step.path) + " has MD5 " + step.md5 +
                    " in the signed release, not what the version server says";
            return v;
        }
        if (step.size > static_cast<uint64_t>(INT32_MAX) ||
            (entry.size > 0 && static_cast<uint64_t>(entry.size) != step.size)) {
            v.why = Shown(step.path) + " is " + std::to_string(entry.size) +
                    " bytes on the server, " + std::to_string(step.size) + " in the signed release";
            return v;
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].size = static_cast<int32_t>((*chain)[i].size);
    }
    v.packageKeys = KeysInForce(keys, release);
    v.release = std::move(*release);
    return v;
}
