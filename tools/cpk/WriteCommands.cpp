// create, add, rm, compact, apply: the commands that change an archive or
// a game folder. Every change is one batch: all of it or none.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "Tool.h"
#include "cpk/BlockPool.h"
#include "cpk/CPKCheck.h"
#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/Unpack.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace cpktool {
namespace {

// Progress of the unpacking on the terminal.
class ApplyProgress : public UnpackEvents {
public:
    explicit ApplyProgress(std::function<void(uint32_t)> show) : show_(std::move(show)) {}
    void Progress(uint32_t, uint32_t percent) override { show_(percent); }

private:
    std::function<void(uint32_t)> show_;
};

}  // namespace

void Tool::Create(const std::string& archive) {
    std::string path = platform::SystemPathFromArgument(archive);
    if (platform::Exists(path)) {
        Fail(archive + " already exists");
    }
    CreateArchive(archive, path);
    created_.clear();  // done: it stays
}

void Tool::CreateArchive(const std::string& archive, const std::string& path) {
    if (!NameFits(archive)) {
        Fail(archive + ": " + kUnstorableName);
    }
    const bool existed = platform::Exists(path);
    const int made = vfs_.Create(path);
    if (!existed && platform::Exists(path)) {
        created_ = path;  // removed again should the command fail
    }
    if (!made) {
        Fail(archive + ": cannot create the archive" + SystemReason());
    }
}

void Tool::Abandon() {
    progress_.End();
    if (created_.empty()) {
        return;
    }
    vfs_.Close();
    (void)platform::DeleteFile(created_);
    created_.clear();
}

void Tool::CheckSource(const std::string& source, const std::string& shown) {
    if (!platform::IsDirectory(source) && !platform::IsRegularFile(source)) {
        Fail(shown + ": not a regular file (a device, pipe or socket is not read)");
    }
}

void Tool::AddTree(const std::string& folder, const std::string& inner, AddPlan& plan) {
    auto entries = platform::ListDirectory(folder);
    if (!entries) {
        Fail(Shown(folder) + ": " + platform::GbkToUtf8(entries.error().Message()));
    }
    // Empty folders are kept as directories of the archive.
    plan.folders.push_back(inner);
    std::sort(entries->begin(), entries->end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& e : *entries) {
        std::string child = folder + "\\" + e.name;
        std::string childInner = inner + "\\" + e.name;
        if (!e.nameIsExact) {
            Fail(Shown(folder) + ": " + platform::GbkToUtf8(e.name) + ": " + kUnstorableName);
        }
        if (e.isDirectory) {
            AddTree(child, childInner, plan);
        } else if (IsTheArchive(child)) {
            // The archive being filled is never read into itself.
            err_ << "cpk: " << Shown(child) << ": skipped, it is the archive itself\n";
        } else {
            CheckSource(child, Shown(child));
            plan.files.push_back({child, childInner});
        }
    }
}

bool Tool::IsTheArchive(const std::string& file) const {
    // Telling two files apart opens both (and under Wine asks for the
    // volume, a walk up to the root): only a file of the archive's size
    // can be the archive, and the size is one cheap question. The plan is
    // made before anything is written, so the size still holds.
    if (archiveSize_) {
        const platform::Result<uint64_t> size = platform::FileSize(file);
        if (size && *size != *archiveSize_) {
            return false;
        }
    }
    return platform::SameFile(file, archivePath_);
}

void Tool::CheckKinds(const AddPlan& plan) {
    std::map<uint32_t, bool> planned;  // path CRC -> a folder
    auto place = [&](const std::string& inner, bool folder) {
        const std::vector<std::string> parts = cpkpath::Split(inner);
        std::string path;
        for (size_t i = 0; i < parts.size(); ++i) {
            path += (i == 0 ? "" : "\\") + parts[i];
            const bool last = i + 1 == parts.size();
            const bool wanted = folder || !last;
            const uint32_t crc = cpkpath::CrcOfPath(path);
            const int index = vfs_.FindEntry(crc);
            const auto mine = planned.find(crc);
            bool held = false;
            bool heldFolder = false;
            if (index >= 0) {
                held = true;
                heldFolder = IsDirectory(vfs_.EntryAt(index));
            } else if (mine != planned.end()) {
                held = true;
                heldFolder = mine->second;
            }
            if (held && heldFolder != wanted) {
                std::string shown = path;
                if (index >= 0) {
                    (void)vfs_.GetFullPath(crc, shown);
                }
                Fail(archive_ + ": cannot add " + platform::GbkToUtf8(inner) + ": " +
                     platform::GbkToUtf8(shown) + (heldFolder ? " is a folder" : " is a file") +
                     "; the archive is unchanged");
            }
            // A file's parents are made by the add only where they are
            // folders of a tree, which are planned on their own.
            if (!held && (folder || last)) {
                planned[crc] = wanted;
            }
        }
    };
    for (const std::string& folder : plan.folders) {
        place(folder, true);
    }
    for (const auto& file : plan.files) {
        place(file.second, false);
    }
}

void Tool::Add(const std::string& archive, const std::vector<std::string>& files,
               const std::string& as, bool hasAs, const std::string& methodName, bool windowed) {
    static const std::map<std::string, uint16_t> kMethods = {
        {"stored", kMethodStored}, {"lzo", kMethodLzo}, {"lzss", kMethodLzss}};
    auto m = kMethods.find(methodName);
    if (m == kMethods.end()) {
        Fail("unknown method '" + methodName + "' (stored, lzo or lzss)");
    }
    const uint16_t method = m->second;
    if (windowed && method != kMethodStored) {
        Fail("--windowed applies to stored entries only");
    }
    if (hasAs && files.size() != 1) {
        Fail("--as names the inner path of a single FILE");
    }
    if (hasAs && !NameFits(as)) {
        Fail(as + ": " + kUnstorableName);
    }
    std::string innerAs = hasAs ? InnerPath(as) : std::string();
    archive_ = archive;
    std::string path = platform::SystemPathFromArgument(archive);
    archivePath_ = path;
    if (platform::Exists(path)) {
        OpenArchive(archive, CPKOpenMode::kReadWrite);
    } else {
        CreateArchive(archive, path);
    }
    // All files go in as one change: should anything fail, or the tool be
    // stopped, the archive stays as it was.
    if (!vfs_.BeginBatch()) {
        Fail(archive + ": cannot change the archive");
    }
    // Gather what goes in first, so that progress has a total and a path
    // that cannot go in is refused before anything is written.
    const platform::Result<uint64_t> archiveSize = platform::FileSize(path);
    archiveSize_ = archiveSize ? std::optional<uint64_t>(*archiveSize) : std::nullopt;
    AddPlan plan;
    for (const std::string& file : files) {
        if (!NameFits(file)) {
            Fail(file + ": " + kUnstorableName);
        }
        std::string source = platform::SystemPathFromArgument(file);
        if (!platform::Exists(source)) {
            Fail(file + ": no such file or folder");
        }
        if (platform::SameFile(source, path)) {
            Fail(file + ": is the archive itself");
        }
        CheckSource(source, file);
        // The last component; "folder/" names the folder.
        std::vector<std::string> sourceParts = cpkpath::Split(source);
        std::string base = sourceParts.empty() ? std::string() : sourceParts.back();
        if (base.empty() && !hasAs) {
            Fail(file + ": name the inner path with --as");
        }
        std::string inner = hasAs ? innerAs : base;
        if (!cpkpath::IsSafeRelativePath(inner)) {
            Fail("unusable inner path " + platform::GbkToUtf8(inner));
        }
        if (platform::IsDirectory(source)) {
            AddTree(source, inner, plan);
        } else {
            plan.files.push_back({source, inner});
        }
    }
    CheckKinds(plan);
    for (const std::string& folder : plan.folders) {
        uint32_t parent = 0;
        for (const std::string& part : cpkpath::Split(folder)) {
            parent = vfs_.AddDirectory(part, parent);
            if (parent == kCpkNoCrc) {
                Fail(archive + ": cannot add the directory " + platform::GbkToUtf8(folder) +
                     SystemReason() + "; the archive is unchanged");
            }
        }
    }
    const auto& work = plan.files;
    for (size_t i = 0; i < work.size(); ++i) {
        progress_.Show(i, work.size(), work[i].second);
        if (work[i].second.size() > kCpkMaxPath) {
            Fail("inner path longer than 323 bytes: " + platform::GbkToUtf8(work[i].second));
        }
        if (!AddEntryFromFile(vfs_, work[i].second, work[i].first, method, windowed)) {
            Fail(archive + ": cannot add " + Shown(work[i].first) + SystemReason() +
                 "; the archive is unchanged");
        }
    }
    progress_.End();
    if (!vfs_.CommitBatch()) {
        Fail(archive + ": cannot write the changes" + SystemReason() +
             "; the archive is unchanged");
    }
    created_.clear();  // done: it stays
}

void Tool::Remove(const std::string& archive, const std::string& inner) {
    OpenArchive(archive, CPKOpenMode::kReadWrite);
    int index = FindInner(InnerPath(inner), inner);
    if (!vfs_.RemoveByCRC(vfs_.EntryAt(index).crc)) {
        Fail(archive + ": cannot remove " + inner + SystemReason());
    }
}

void Tool::Compact(const std::string& archive) {
    OpenArchive(archive, CPKOpenMode::kReadOnly);
    const std::string path = platform::SystemPathFromArgument(archive);
    // Written beside the archive and moved over it whole: a crash leaves the
    // old archive, or the new one.
    const std::string temporary = path + ".compact";
    if (platform::Exists(temporary)) {
        (void)platform::DeleteFile(temporary);  // left by a run that was stopped
    }
    // Parents before their children, each record copied raw: contents as
    // stored and trailer byte for byte, directories too.
    std::map<uint32_t, std::vector<int>> children;
    size_t live = 0;
    uint64_t bytes = 0;
    for (uint32_t i = 0; i < vfs_.Header().usedCount; ++i) {
        const CPKEntry& e = vfs_.EntryAt(static_cast<int>(i));
        if (IsLive(e)) {
            children[e.parentCrc].push_back(static_cast<int>(i));
            ++live;
            bytes += uint64_t{e.storedSize} + e.trailerSize;
        }
    }
    CPKVfs target(pool_, disk_);
    if (!target.Create(temporary) || !target.BeginBatch(bytes, static_cast<uint32_t>(live))) {
        Fail(archive + ": cannot create " + Shown(temporary) + SystemReason());
    }
    std::vector<uint32_t> queue{0};
    size_t copied = 0;
    auto fail = [&](const std::string& why) {
        target.AbortBatch();
        target.Close();
        (void)platform::DeleteFile(temporary);
        Fail(archive + ": " + why);
    };
    for (size_t next = 0; next < queue.size(); ++next) {
        auto found = children.find(queue[next]);
        if (found == children.end()) {
            continue;
        }
        for (int index : found->second) {
            const CPKEntry e = vfs_.EntryAt(index);
            std::string name;
            if (!vfs_.GetFileNameFromCRC(e.crc, name)) {
                fail("cannot read the name of an entry");
            }
            progress_.Show(copied, live, name);
            const int added = target.AddFile(name, e.parentCrc, e);
            if (added < 0) {
                fail("cannot copy " + platform::GbkToUtf8(name) + SystemReason());
            }
            if (!target.CopyEntryData(added, vfs_, index)) {
                fail("cannot copy " + platform::GbkToUtf8(name) + SystemReason());
            }
            // Its path in the new archive must hash to the crc its children
            // name as their parent.
            if (target.EntryAt(added).crc != e.crc || !target.CommitEntry(added)) {
                fail("cannot copy " + platform::GbkToUtf8(name));
            }
            if (IsDirectory(e)) {
                queue.push_back(e.crc);
            }
            ++copied;
        }
    }
    progress_.End();
    if (copied != live) {
        fail(std::to_string(live - copied) +
             " entries cannot be reached from the root (see cpk check); nothing was changed");
    }
    if (!target.CommitBatch()) {
        fail("cannot write " + Shown(temporary) + SystemReason());
    }
    target.Close();
    vfs_.Close();
    auto moved = platform::MoveFile(temporary, path, true);
    if (!moved) {
        (void)platform::DeleteFile(temporary);
        Fail(archive +
             ": cannot replace the archive: " + platform::GbkToUtf8(moved.error().Message()));
    }
}

void Tool::Apply(const std::vector<std::string>& packages, const std::string& gameArgument,
                 const std::string& executable, const std::vector<sign::PublicKey>& keys) {
    const std::string game = platform::SystemPathFromArgument(gameArgument);
    if (!platform::IsDirectory(game)) {
        Fail(gameArgument + ": no such game folder");
    }
    // Every signature is checked before anything is unpacked.
    for (const std::string& argument : packages) {
        if (keys.empty()) {
            break;
        }
        const std::string path = platform::SystemPathFromArgument(argument);
        const sign::Check check = sign::VerifySignedFile(
            path, keys, platform::BaseName(path, platform::PathSeparators::kBoth));
        if (check.verdict != sign::Verdict::kGood) {
            Fail(argument + ": not signed by the publisher: " + check.reason);
        }
    }
    // As the update driver does: count every package first, then unpack
    // them in order from the resume index on. The index moves on after each
    // package, so that a run that was stopped repeats at most the package
    // it was in.
    std::vector<std::string> paths;
    std::vector<uint32_t> live;
    uint32_t total = 0;
    const int resume = ReadResumeIndex(game);
    // The first package to unpack stays open from its count (opening one
    // reads its whole table).
    std::unique_ptr<CPKVfs> first;
    for (const std::string& argument : packages) {
        paths.push_back(platform::SystemPathFromArgument(argument));
        auto package = std::make_unique<CPKVfs>(pool_, disk_);
        if (!platform::Exists(paths.back()) ||
            !package->Open(paths.back(), CPKOpenMode::kReadOnly)) {
            Fail(argument + ": cannot open the package");
        }
        live.push_back(package->Header().liveCount);
        total += live.back();
        if (paths.size() == static_cast<size_t>(resume) + 1) {
            first = std::move(package);
        }
    }
    if (resume < 0 || static_cast<size_t>(resume) > paths.size()) {
        Fail(gameArgument + ": the resume index " + std::to_string(resume) +
             " lies past the packages given");
    }
    UnpackContext context;
    context.disk = &disk_;
    ApplyProgress progress([&](uint32_t percent) { progress_.ShowPercent(percent, "unpacking"); });
    context.events = &progress;
    context.total = total;
    context.executableName = platform::Utf8ToGbk(executable);
    context.gameFolder = game;
    uint32_t counter = 0;
    CPKVfs target(pool_, disk_);
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i < static_cast<size_t>(resume)) {
            counter += live[i];  // unpacked by an earlier run
            continue;
        }
        std::unique_ptr<CPKVfs> package = std::move(first);
        if (package == nullptr) {
            package = std::make_unique<CPKVfs>(pool_, disk_);
            if (!package->Open(paths[i], CPKOpenMode::kReadOnly)) {
                Fail(packages[i] + ": cannot open the package");
            }
        }
        const int done = UnpackDirectory(context, 0, counter, *package, target);
        target.Close();
        package->Close();
        if (!done) {
            Fail(packages[i] + ": unpacking stopped" + SystemReason() +
                 "; run again to go on from this package");
        }
        if (!WriteResumeIndex(i + 1 < paths.size() ? static_cast<int>(i + 1) : 0, game)) {
            Fail(gameArgument + ": cannot record the resume index");
        }
    }
    progress_.End();
    if (!context.skipped.empty()) {
        // Gone past without being written: the folder lacks what they hold.
        std::string names;
        for (const std::string& name : context.skipped) {
            names += (names.empty() ? "" : ", ") + platform::GbkToUtf8(name);
        }
        Fail("not written: " + names);
    }
    if (context.selfUpdatePending.load()) {
        out_ << "a new " << executable << " waits in download\\ for the self-update\n";
    }
    if (context.serverListChangedSeen.load()) {
        out_ << "the server list (updagte.ini) changed\n";
    }
}

}  // namespace cpktool
