#include "Catalog.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <set>

#include "cpk/Md5.h"
#include "patcher/VersionCheck.h"
#include "patcher/WebMirrors.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace versiond {

// The digest of a served file, as the patcher will compute it.
static platform::Result<std::string> DigestOfFile(const std::string& path) {
    uint8_t digest[16];
    if (!Md5OfFile(path.c_str(), digest)) {
        return platform::Error{platform::LastSystemError()};
    }
    return Md5Hex(digest);
}

namespace {

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            ++i;
        }
        if (i > start) {
            words.emplace_back(line.substr(start, i - start));
        }
    }
    return words;
}

std::optional<int32_t> ParseNumber(const std::string& s, bool allowNegative) {
    size_t i = 0;
    bool negative = false;
    if (allowNegative && !s.empty() && s[0] == '-') {
        negative = true;
        i = 1;
    }
    if (i == s.size() || s.size() - i > 10) {
        return std::nullopt;
    }
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return std::nullopt;
        }
        v = v * 10 + (s[i] - '0');
    }
    v = negative ? -v : v;
    if (v > INT32_MAX || v < INT32_MIN) {
        return std::nullopt;
    }
    return static_cast<int32_t>(v);
}

// True when the text is well-formed UTF-8 (plain ASCII included).
bool IsUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
        } else if (c >= 0x80) {
            return false;
        }
        if (text.size() - i - 1 < extra) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::optional<std::string> ServedPathFromManifest(const std::string& word, std::string* why) {
    std::string gbk = word;
    const bool ascii = std::all_of(word.begin(), word.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii && IsUtf8(word)) {
        // UTF-8, as text files on Linux are; the patcher's names are GBK.
        gbk = platform::Utf8ToGbk(word);
        if (platform::GbkToUtf8(gbk) != word) {
            *why = "a character GBK cannot hold";
            return std::nullopt;
        }
    }
    // Either separator, as cpk and ftpfetch take them; "/" is never a byte of
    // a GBK character.
    std::replace(gbk.begin(), gbk.end(), '/', '\\');
    return gbk;
}

std::string CheckServedPath(const std::string& path) {
    if (path.size() < 3) {
        return "shorter than 3 characters";
    }
    if (path.size() > kPatchPathMax) {
        return "longer than " + std::to_string(kPatchPathMax) + " bytes";
    }
    if (path.find('/') != std::string::npos) {
        return "\"/\" in a path: parts are separated by \"\\\"";
    }
    if (path.find(':') != std::string::npos) {
        return "\":\" in a path: paths are relative to the root";
    }
    // Parts split the way the patcher splits them (GBK trail bytes are not
    // separators).
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 0x20) {
            return "control character in a path";
        }
        if (platform::IsGbkLeadByte(c) && i + 1 < path.size()) {
            parts.back() += path.substr(i, 2);
            ++i;
            continue;
        }
        if (path[i] == '\\') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == "..") {
            return "empty, \".\" or \"..\" part in a path";
        }
    }
    if (!MakePatchFileEntry({path, std::string()})) {
        return "file name too long for the patcher's download folder";
    }
    return std::string();
}

namespace {

// A "web LINE URL" line's words into m; why it cannot be, or "".
std::string AddWebLine(const std::vector<std::string>& w, Manifest& m) {
    if (w.size() != 3) {
        return "expected: web LINE URL";
    }
    std::string why = MirrorBaseProblem(w[2]);
    if (why.empty() && !EncodeWebMirror(w[2])) {
        why = "longer than " + std::to_string(kWebMirrorMax) + " bytes";
    }
    if (!why.empty()) {
        return w[2] + ": " + why;
    }
    std::vector<std::string>* list = &m.defaultWebMirrors;
    if (w[1] != "*") {
        auto lineType = ParseNumber(w[1], true);
        if (!lineType) {
            return "not a line type: " + w[1];
        }
        list = &m.webMirrors[*lineType];
    }
    if (list->size() >= kWebMirrorsInReply) {
        return "more than " + std::to_string(kWebMirrorsInReply) + " web lines for line " + w[1];
    }
    list->push_back(w[2]);
    return "";
}

}  // namespace

std::optional<Manifest> ParseManifest(std::string_view text, std::string* error) {
    Manifest m;
    bool haveLatest = false;
    bool haveDefault = false;
    auto fail = [&](size_t line, const std::string& why) {
        if (error) {
            *error = "manifest line " + std::to_string(line) + ": " + why;
        }
        return std::nullopt;
    };
    size_t lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (line.find('\0') != std::string_view::npos) {
            return fail(lineNo, "NUL byte");
        }
        size_t hash = line.find('#');
        if (hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        std::vector<std::string> w = Words(line);
        if (w.empty()) {
            continue;
        }
        if (w[0] == "latest") {
            if (w.size() != 2) {
                return fail(lineNo, "expected: latest N");
            }
            auto v = ParseNumber(w[1], false);
            if (!v) {
                return fail(lineNo, "not a version number: " + w[1]);
            }
            if (haveLatest) {
                return fail(lineNo, "a second latest line");
            }
            m.latest = *v;
            haveLatest = true;
        } else if (w[0] == "mirror") {
            if (w.size() != 3) {
                return fail(lineNo, "expected: mirror LINE ADDRESS");
            }
            auto address = ParseDottedAddress(w[2]);
            if (!address) {
                return fail(lineNo, "not a dotted IPv4 address: " + w[2]);
            }
            if (w[1] == "*") {
                if (haveDefault) {
                    return fail(lineNo, "a second mirror for *");
                }
                m.defaultMirror = *address;
                haveDefault = true;
            } else {
                auto lineType = ParseNumber(w[1], true);
                if (!lineType) {
                    return fail(lineNo, "not a line type: " + w[1]);
                }
                if (!m.mirrors.emplace(*lineType, *address).second) {
                    return fail(lineNo, "a second mirror for line " + w[1]);
                }
            }
        } else if (w[0] == "web") {
            if (std::string why = AddWebLine(w, m); !why.empty()) {
                return fail(lineNo, why);
            }
        } else if (w[0] == "path") {
            if (w.size() < 2) {
                return fail(lineNo, "expected: path FROM FILE...");
            }
            auto from = ParseNumber(w[1], false);
            if (!from) {
                return fail(lineNo, "not a version number: " + w[1]);
            }
            std::vector<std::string> files;
            for (auto word = w.begin() + 2; word != w.end(); ++word) {
                std::string why;
                std::optional<std::string> f = ServedPathFromManifest(*word, &why);
                if (f) {
                    why = CheckServedPath(*f);
                }
                if (!why.empty()) {
                    return fail(lineNo, *word + ": " + why);
                }
                files.push_back(std::move(*f));
            }
            if (!m.paths.emplace(*from, std::move(files)).second) {
                return fail(lineNo, "a second path from version " + w[1]);
            }
            m.pathLines[*from] = lineNo;
        } else {
            return fail(lineNo, "unknown directive: " + w[0]);
        }
    }
    if (!haveLatest) {
        return fail(lineNo, "no latest line");
    }
    if (!haveDefault && m.defaultWebMirrors.empty()) {
        return fail(lineNo,
                    "no \"mirror *\" or \"web *\" line: every line type needs a download address");
    }
    if (m.paths.count(m.latest)) {
        return fail(lineNo, "a path from the latest version");
    }
    return m;
}

std::optional<sign::Release> LoadRelease(const std::string& path,
                                         const std::vector<sign::PublicKey>& keys, int64_t now,
                                         std::string* error) {
    const std::string shown = platform::GbkToUtf8(platform::NativePath(path));
    auto fail = [&](const std::string& why) {
        if (error) {
            *error = shown + ": " + why;
        }
        return std::nullopt;
    };
    auto size = platform::FileSize(path);
    if (!size) {
        return fail(size.error().Message());
    }
    if (*size > sign::kReleaseBytesMax) {
        return fail("larger than " + std::to_string(sign::kReleaseBytesMax) +
                    " bytes, which no release file is");
    }
    auto text = platform::ReadWholeFile(path);
    if (!text) {
        return fail(text.error().Message());
    }
    std::string why;
    std::optional<sign::Release> release = sign::ParseRelease(*text, &why);
    if (!release) {
        return fail(why);
    }
    if (release->expires <= now) {
        return fail("expired at " + sign::FormatUtcTime(release->expires) +
                    ": patchers no longer believe it; write and sign a new one");
    }
    if (!keys.empty()) {
        const sign::Check check = sign::VerifySignedFile(path, keys, sign::kReleaseFileName);
        if (check.verdict != sign::Verdict::kGood) {
            return fail("not signed by the key: " + check.reason);
        }
    }
    return release;
}

std::optional<Manifest> ManifestUnderRelease(const Manifest& manifest, const sign::Release& release,
                                             std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    if (manifest.latest != release.latest) {
        return fail("the manifest's latest is " + std::to_string(manifest.latest) +
                    ", the release file's " + std::to_string(release.latest));
    }
    for (const sign::ReleaseStep& step : release.steps) {
        if (std::string why = CheckServedPath(step.path); !why.empty()) {
            return fail("release file step from " + std::to_string(step.from) + ": " +
                        platform::GbkToUtf8(step.path) + ": " + why);
        }
    }
    Manifest served = manifest;
    served.paths.clear();
    for (const sign::ReleaseStep& step : release.steps) {
        const std::optional<std::vector<sign::ReleaseStep>> chain =
            sign::ChainFrom(release, step.from);
        if (!chain) {
            return fail("release file: no chain of steps from " + std::to_string(step.from) +
                        " to latest");
        }
        std::vector<std::string>& files = served.paths[step.from];
        files.clear();
        for (const sign::ReleaseStep& s : *chain) {
            files.push_back(s.path);
        }
    }
    auto shown = [](const std::vector<std::string>& files) {
        std::string text;
        for (const std::string& f : files) {
            text += " " + platform::GbkToUtf8(f);
        }
        return files.empty() ? std::string(" no files") : text;
    };
    for (const auto& [from, files] : manifest.paths) {
        auto chain = served.paths.find(from);
        const std::vector<std::string> none;
        const std::vector<std::string>& released =
            chain == served.paths.end() ? none : chain->second;
        if (files != released) {
            auto line = manifest.pathLines.find(from);
            return fail((line == manifest.pathLines.end()
                             ? std::string("manifest")
                             : "manifest line " + std::to_string(line->second)) +
                        ": the path from " + std::to_string(from) + " names" + shown(files) +
                        ", the release file" + shown(released));
        }
        if (files.empty()) {
            served.paths[from];  // answered as a wrong path, as before
        }
    }
    served.pathLines = manifest.pathLines;
    return served;
}

std::string Catalog::DisagreementWith(const sign::Release& release) const {
    std::map<std::string, const sign::ReleaseStep*> byPath;
    for (const sign::ReleaseStep& step : release.steps) {
        byPath.emplace(step.path, &step);
    }
    for (const CatalogFile& f : files_) {
        auto step = byPath.find(f.path);
        const std::string shown = platform::GbkToUtf8(f.path);
        if (step == byPath.end()) {
            return shown + ": not in the release file";
        }
        if (step->second->size != f.size) {
            return shown + ": " + std::to_string(f.size) + " bytes, the release file says " +
                   std::to_string(step->second->size);
        }
        if (step->second->md5 != f.md5) {
            return shown + ": MD5 " + f.md5 + ", the release file says " + step->second->md5;
        }
    }
    return std::string();
}

std::optional<Catalog> Catalog::Build(const Manifest& manifest, const std::string& root,
                                      std::string* error) {
    Catalog c;
    c.latest_ = manifest.latest;
    c.mirrors_ = manifest.mirrors;
    c.defaultMirror_ = manifest.defaultMirror;
    for (const auto& [line, address] : manifest.mirrors) {
        c.mirrorFrames_[line] = MakeFrame(EncodeDownloadAddress(address));
    }
    c.defaultMirrorFrame_ = MakeFrame(EncodeDownloadAddress(manifest.defaultMirror));
    auto webFrames = [](const std::vector<std::string>& bases) {
        std::vector<uint8_t> frames;
        for (const std::string& base : bases) {
            const std::vector<uint8_t> frame = MakeFrame(*EncodeWebMirror(base));
            frames.insert(frames.end(), frame.begin(), frame.end());
        }
        return frames;
    };
    for (const auto& [line, bases] : manifest.webMirrors) {
        c.webFrames_[line] = webFrames(bases);
    }
    c.defaultWebFrames_ = webFrames(manifest.defaultWebMirrors);

    auto resultOnly = [&](uint8_t code) {
        PathAnswer a;
        a.code = code;
        a.frames = MakeFrame(EncodeVersionResult({manifest.latest, 0, code}));
        return a;
    };
    c.current_ = resultOnly(kVersionCurrent);
    c.noPath_ = resultOnly(kVersionNoPath);

    std::map<std::string, CatalogFile> known;
    for (const auto& [from, files] : manifest.paths) {
        if (files.empty()) {
            c.answers_[from] = resultOnly(kVersionEmptyPath);
            continue;
        }
        std::vector<FileListItem> items;
        for (const std::string& f : files) {
            auto it = known.find(f);
            if (it == known.end()) {
                std::string full = root + "\\" + f;
                if (!platform::Exists(full) || platform::IsDirectory(full)) {
                    if (error) {
                        *error = f + ": no such file under " + root;
                    }
                    return std::nullopt;
                }
                auto size = platform::FileSize(full);
                auto md5 = DigestOfFile(full);
                if (!size || !md5) {
                    if (error) {
                        *error = f + ": " + (size ? md5.error() : size.error()).Message();
                    }
                    return std::nullopt;
                }
                // The patcher keeps sizes in 32-bit signed fields.
                if (*size > static_cast<uint64_t>(INT32_MAX)) {
                    if (error) {
                        *error = f + ": larger than 2 GiB, which the patcher cannot download";
                    }
                    return std::nullopt;
                }
                it = known.emplace(f, CatalogFile{f, *size, *md5}).first;
                c.files_.push_back(it->second);
            }
            items.push_back({f, it->second.md5});
        }
        auto bodies = EncodeFileList(items);
        if (!bodies) {
            if (error) {
                *error = "path from " + std::to_string(from) + ": a file does not fit a message";
            }
            return std::nullopt;
        }
        PathAnswer a;
        a.code = kVersionFilesFollow;
        a.files = static_cast<uint32_t>(items.size());
        a.frames = MakeFrame(EncodeVersionResult({manifest.latest, a.files, a.code}));
        for (const auto& body : *bodies) {
            std::vector<uint8_t> frame = MakeFrame(body);
            a.frames.insert(a.frames.end(), frame.begin(), frame.end());
        }
        c.answers_[from] = std::move(a);
    }
    return c;
}

Answer Catalog::Respond(const VersionRequest& request, std::vector<uint8_t>& out) const {
    Answer answer;
    answer.target = latest_;
    auto mirror = mirrors_.find(request.lineType);
    const std::vector<uint8_t>& mirrorFrame =
        mirror == mirrors_.end() ? defaultMirrorFrame_ : mirrorFrames_.at(request.lineType);
    answer.mirror = mirror == mirrors_.end() ? defaultMirror_ : mirror->second;
    out.insert(out.end(), mirrorFrame.begin(), mirrorFrame.end());
    // The web bases before the 9010: a reply may end with it.
    auto web = webFrames_.find(request.lineType);
    const std::vector<uint8_t>& webFrames =
        web == webFrames_.end() ? defaultWebFrames_ : web->second;
    out.insert(out.end(), webFrames.begin(), webFrames.end());

    const PathAnswer* a = &noPath_;
    if (request.version == latest_) {
        a = &current_;
    } else if (auto it = answers_.find(request.version); it != answers_.end()) {
        a = &it->second;
    }
    out.insert(out.end(), a->frames.begin(), a->frames.end());
    answer.code = a->code;
    answer.files = a->files;
    return answer;
}

}  // namespace versiond
