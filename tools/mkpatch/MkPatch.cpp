#include "MkPatch.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "MkRelease.h"
#include "Signer.h"
#include "cli/CommandLine.h"
#include "cpk/BlockPool.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/progress_line.h"
#include "platform/text.h"

namespace {

// Loose files are compared in pieces of this size.
constexpr size_t kComparePiece = size_t{1} << 20;
// Stored loose files this large are marked for windowed reading.
constexpr uint64_t kWindowedFrom = kCpkWindowSize;

// A failure whose message has been written.
struct Failed {};

bool EndsWithArchiveName(const std::string& path) {
    return path.size() >= 4 && platform::GbkToLowerAscii(path.substr(path.size() - 4)) == ".cpk";
}

struct Node {
    std::string path;  // relative, GBK, "\" between components, case as on disk
    std::string disk;  // system path
    bool directory = false;
    bool archive = false;  // a file that is a CPK archive
};

// Lowered relative path -> node: folders compare without regard to case,
// as Windows does.
using Tree = std::map<std::string, Node>;

bool IsArchive(const std::string& disk, const std::string& name) {
    if (!EndsWithArchiveName(name)) {
        return false;
    }
    auto file = platform::File::Open(disk, platform::Access::kRead,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    uint32_t magic = 0;
    if (!file) {
        return false;
    }
    auto got = file->Read(&magic, sizeof magic);
    return got && *got == sizeof magic && magic == kCpkMagic;
}

class Builder {
public:
    Builder(std::ostream& out, std::ostream& err, bool progress)
        : out_(out), err_(err), progress_(err, progress), package_(pool_) {}

    void Run(const std::string& oldDir, const std::string& newDir, const std::string& output,
             const std::string& methodName);

private:
    [[noreturn]] void Fail(const std::string& message) {
        progress_.End();
        err_ << "mkpatch: " << message << "\n";
        throw Failed{};
    }
    std::string Shown(const std::string& systemPath) {
        return platform::GbkToUtf8(platform::NativePath(systemPath));
    }
    void Scan(const std::string& root, const std::string& relative, Tree& tree);
    bool SameFile(const std::string& a, const std::string& b);
    uint32_t PackageDirectories(const std::vector<std::string>& parts, size_t count);
    void AddLoose(const Node& node);
    void AddArchive(const Node& node, const Node* old);
    void Inexpressible(const std::string& what) {
        progress_.End();
        err_ << "mkpatch: cannot be expressed in a package: " << what << "\n";
    }

    std::ostream& out_;
    std::ostream& err_;
    platform::ProgressLine progress_;
    size_t done_ = 0;
    size_t total_ = 0;
    uint16_t method_ = kMethodLzo;
    BlockPool pool_;
    CPKVfs package_;
    size_t looseAdded_ = 0;
    size_t entriesAdded_ = 0;
    size_t archivesTouched_ = 0;
};

void Builder::Scan(const std::string& root, const std::string& relative, Tree& tree) {
    const std::string folder = relative.empty() ? root : root + "\\" + relative;
    auto entries = platform::ListDirectory(folder);
    if (!entries) {
        Fail(Shown(folder) + ": " + platform::GbkToUtf8(entries.error().Message()));
    }
    for (const auto& e : *entries) {
        Node node;
        node.path = relative.empty() ? e.name : relative + "\\" + e.name;
        node.disk = root + "\\" + node.path;
        node.directory = e.isDirectory;
        node.archive = !e.isDirectory && IsArchive(node.disk, e.name);
        tree[platform::GbkToLowerAscii(node.path)] = node;
        if (e.isDirectory) {
            Scan(root, node.path, tree);
        }
    }
}

bool Builder::SameFile(const std::string& a, const std::string& b) {
    auto fa = platform::File::Open(a, platform::Access::kRead, platform::kShareRead,
                                   platform::Disposition::kOpenExisting);
    auto fb = platform::File::Open(b, platform::Access::kRead, platform::kShareRead,
                                   platform::Disposition::kOpenExisting);
    if (!fa || !fb) {
        Fail("cannot read " + Shown(fa ? b : a));
    }
    auto sa = fa->Size();
    auto sb = fb->Size();
    if (!sa || !sb || *sa != *sb) {
        return false;
    }
    std::vector<char> pa(kComparePiece), pb(kComparePiece);
    for (;;) {
        auto na = fa->Read(pa.data(), pa.size());
        auto nb = fb->Read(pb.data(), pb.size());
        if (!na || !nb) {
            Fail("cannot read " + Shown(na ? b : a));
        }
        if (*na != *nb || std::memcmp(pa.data(), pb.data(), *na) != 0) {
            return false;
        }
        if (*na == 0) {
            return true;
        }
    }
}

uint32_t Builder::PackageDirectories(const std::vector<std::string>& parts, size_t count) {
    uint32_t parent = 0;
    for (size_t i = 0; i < count; ++i) {
        parent = package_.AddDirectory(parts[i], parent);
        if (parent == kCpkNoCrc) {
            Fail("cannot add the directory " + platform::GbkToUtf8(parts[i]) + " to the package");
        }
    }
    return parent;
}

void Builder::AddLoose(const Node& node) {
    auto size = platform::FileSize(node.disk);
    const bool windowed = method_ == kMethodStored && size && *size >= kWindowedFrom;
    if (!AddEntryFromFile(package_, node.path, node.disk, method_, windowed)) {
        Fail("cannot add " + Shown(node.disk) + " to the package");
    }
    ++looseAdded_;
}

// Live entries of an archive, parents before children: lowered path ->
// (index, path in stored case).
std::vector<std::pair<std::string, std::pair<int, std::string>>> Entries(CPKVfs& vfs,
                                                                         const std::string& shown) {
    std::map<uint32_t, std::vector<int>> children;
    size_t live = 0;
    for (uint32_t i = 0; i < vfs.Header().usedCount; ++i) {
        const CPKEntry& e = vfs.EntryAt(static_cast<int>(i));
        if (IsLive(e)) {
            children[e.parentCrc].push_back(static_cast<int>(i));
            ++live;
        }
    }
    std::vector<std::pair<std::string, std::pair<int, std::string>>> out;
    std::vector<uint32_t> queue{0};
    for (size_t next = 0; next < queue.size() && out.size() <= live; ++next) {
        auto found = children.find(queue[next]);
        if (found == children.end()) {
            continue;
        }
        for (int index : found->second) {
            const CPKEntry& e = vfs.EntryAt(index);
            std::string path;
            if (!vfs.GetFullPath(e.crc, path)) {
                throw std::runtime_error(shown + ": the path of an entry cannot be built");
            }
            out.push_back({platform::GbkToLowerAscii(path), {index, path}});
            if (IsDirectory(e)) {
                queue.push_back(e.crc);
            }
        }
    }
    if (out.size() != live) {
        throw std::runtime_error(shown + ": entries that cannot be reached from the root");
    }
    return out;
}

void Builder::AddArchive(const Node& node, const Node* old) {
    CPKVfs fresh(pool_);
    CPKVfs before(pool_);
    if (!fresh.Open(node.disk, CPKOpenMode::kReadOnly)) {
        Fail(Shown(node.disk) + ": cannot open the archive");
    }
    if (old != nullptr && !before.Open(old->disk, CPKOpenMode::kReadOnly)) {
        Fail(Shown(old->disk) + ": cannot open the archive");
    }
    std::vector<std::pair<std::string, std::pair<int, std::string>>> now, was;
    try {
        now = Entries(fresh, Shown(node.disk));
        if (old != nullptr) {
            was = Entries(before, Shown(old->disk));
        }
    } catch (const std::runtime_error& e) {
        Fail(e.what());
    }
    std::map<std::string, int> wasIndex;
    for (const auto& w : was) {
        wasIndex[w.first] = w.second.first;
    }
    const std::vector<std::string> archiveParts = cpkpath::Split(node.path);
    bool touched = old == nullptr;  // a new archive is made even when empty
    uint32_t archiveCrc = touched ? PackageDirectories(archiveParts, archiveParts.size()) : 0;
    std::map<std::string, bool> stillThere;
    // The archive is one item of the count, whatever it holds.
    const size_t item = ++done_;
    for (const auto& n : now) {
        const int index = n.second.first;
        const CPKEntry e = fresh.EntryAt(index);
        auto w = wasIndex.find(n.first);
        stillThere[n.first] = true;
        progress_.Show(item, total_, node.path + "\\" + n.second.second);
        if (w != wasIndex.end() && SameRawEntry(fresh, index, before, w->second)) {
            continue;
        }
        if (!touched) {
            touched = true;
            archiveCrc = PackageDirectories(archiveParts, archiveParts.size());
        }
        const std::string full = node.path + "\\" + n.second.second;
        if (full.size() > kCpkMaxPath) {
            Inexpressible(platform::GbkToUtf8(full) + " (a path longer than 323 bytes)");
            continue;
        }
        // The directories inside the archive, under its ".cpk" directory.
        const std::vector<std::string> inner = cpkpath::Split(n.second.second);
        uint32_t parent = archiveCrc;
        const size_t dirs = IsDirectory(e) ? inner.size() : inner.size() - 1;
        for (size_t i = 0; i < dirs; ++i) {
            parent = package_.AddDirectory(inner[i], parent);
            if (parent == kCpkNoCrc) {
                Fail("cannot add " + platform::GbkToUtf8(full) + " to the package");
            }
        }
        if (IsDirectory(e)) {
            continue;
        }
        const int added = package_.AddFile(inner.back(), parent, e);
        if (added < 0 || !package_.CopyEntryData(added, fresh, index) ||
            !package_.CommitEntry(added)) {
            Fail("cannot copy " + platform::GbkToUtf8(full) + " into the package");
        }
        ++entriesAdded_;
    }
    for (const auto& w : was) {
        if (!stillThere.count(w.first)) {
            Inexpressible(platform::GbkToUtf8(node.path + "\\" + w.second.second) +
                          " was deleted from the archive");
        }
    }
    archivesTouched_ += touched ? 1 : 0;
}

void Builder::Run(const std::string& oldDir, const std::string& newDir, const std::string& output,
                  const std::string& methodName) {
    static const std::map<std::string, uint16_t> kMethods = {
        {"stored", kMethodStored}, {"lzo", kMethodLzo}, {"lzss", kMethodLzss}};
    auto m = kMethods.find(methodName);
    if (m == kMethods.end()) {
        Fail("unknown method '" + methodName + "' (stored, lzo or lzss)");
    }
    method_ = m->second;
    Tree before, after;
    if (!oldDir.empty()) {
        const std::string root = platform::SystemPathFromArgument(oldDir);
        if (!platform::IsDirectory(root)) {
            Fail(oldDir + ": no such folder");
        }
        Scan(root, "", before);
    }
    const std::string root = platform::SystemPathFromArgument(newDir);
    if (!platform::IsDirectory(root)) {
        Fail(newDir + ": no such folder");
    }
    Scan(root, "", after);
    total_ = after.size();

    const std::string target = platform::SystemPathFromArgument(output);
    if (platform::Exists(target) && !platform::DeleteFile(target)) {
        Fail(output + ": cannot replace it");
    }
    if (!package_.Create(target) || !package_.BeginBatch()) {
        Fail(output + ": cannot create the package");
    }
    try {
        for (const auto& item : after) {
            const Node& node = item.second;
            auto was = before.find(item.first);
            const Node* old = was == before.end() ? nullptr : &was->second;
            if (node.directory) {
                progress_.Show(++done_, total_, node.path);
                if (EndsWithArchiveName(node.path)) {
                    Inexpressible(platform::GbkToUtf8(node.path) +
                                  " (a folder named like an archive would be read as one)");
                } else if (old == nullptr || !old->directory) {
                    const std::vector<std::string> parts = cpkpath::Split(node.path);
                    PackageDirectories(parts, parts.size());
                }
            } else if (node.archive) {
                AddArchive(node, old != nullptr && old->archive ? old : nullptr);
            } else {
                progress_.Show(++done_, total_, node.path);
                if (old == nullptr || old->directory || old->archive ||
                    !SameFile(old->disk, node.disk)) {
                    AddLoose(node);
                }
            }
        }
        for (const auto& item : before) {
            if (!after.count(item.first)) {
                Inexpressible(platform::GbkToUtf8(item.second.path) + " was deleted");
            }
        }
        progress_.End();
        if (!package_.CommitBatch()) {
            Fail(output + ": cannot write the package");
        }
    } catch (...) {
        // Whatever stopped it, the half-made package goes.
        package_.Close();
        (void)platform::DeleteFile(target);
        throw;
    }
    package_.Close();
    out_ << looseAdded_ << " loose files, " << entriesAdded_ << " archive entries in "
         << archivesTouched_ << " archives: " << output << "\n";
}

}  // namespace

int RunMkPatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress) {
    if (args.size() > 1 && args[1] == "release") {
        return RunMkRelease(args, out, err, SecondsNow);
    }
    // The archive layer's boxes are printed, and answered by ending the step
    // with a button the box has.
    platform::ScopedMessageBoxHandler boxes(
        [&err](void*, const char* text, const char*, uint32_t type) {
            err << "mkpatch: " << platform::GbkToUtf8(text ? text : "") << "\n";
            return platform::PolicyAnswer(platform::BoxAnswers::kEndStep, type);
        });
    CLI::App app(
        "Patch builder: compares two game folders and writes the package that turns the "
        "old one into the new one.",
        "mkpatch");
    std::string oldDir, newDir, dir, output, method = "lzo";
    auto* oldOption = app.add_option("--old", oldDir, "The game folder as players have it");
    auto* newOption = app.add_option("--new", newDir, "The game folder as it shall be");
    auto* dirOption = app.add_option("--dir", dir, "Pack this folder as it is");
    app.add_option("-o,--output", output, "The package to write")->required();
    app.add_option("--method", method, "Compression of loose files: stored, lzo or lzss")
        ->capture_default_str();
    std::string secretKey;
    app.add_option("--sign", secretKey,
                   "Sign the package with this minisign secret key (writes PACKAGE.minisig)");
    oldOption->needs(newOption);
    newOption->needs(oldOption);
    dirOption->excludes(oldOption)->excludes(newOption);

    const std::vector<std::string> rest(args.size() > 1 ? args.begin() + 1 : args.end(),
                                        args.end());
    if (std::optional<int> code = cli::Parse(app, "mkpatch", rest, out, err)) {
        return *code;
    }
    if (dir.empty() && newDir.empty()) {
        return cli::UsageError(err, "mkpatch", "--dir or --old and --new are required");
    }
    try {
        Builder builder(out, err, progress);
        builder.Run(oldDir, dir.empty() ? newDir : dir, output, method);
    } catch (const Failed&) {
        return cli::kExitFailed;
    }
    if (!secretKey.empty()) {
        return SignWithMinisign(output, secretKey, "package", out, err);
    }
    return cli::kExitOk;
}
