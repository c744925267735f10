// The walk over a patch package: folders, merges into the game's archives
// and loose files, and the resume index of an interrupted update.
//
// [SECTION] paths
// [SECTION] the walk
// [SECTION] merging into an archive
// [SECTION] loose files
// [SECTION] resume index
#include "cpk/Unpack.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "cpk/CPKPath.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/DiscIOMgr.h"
#include "cpk/FileHelpers.h"
#include "cpk/UnpackJournal.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

// SplitArchivePath looks this far into a path at most.
constexpr size_t kSplitScanMax = 500;
// A ".cpk" component needs this many characters before its backslash.
constexpr size_t kArchiveSuffixLength = 4;
// The walk gives the processor up at directories (a short sleep) and
// between files (the rest of its time slice), so that the dialog stays
// responsive; but only once this long has passed since it last did: given
// up at every file, it cost more than writing a small file does.
constexpr uint32_t kDirectoryYieldMs = 1;
constexpr uint32_t kFileYieldMs = 0;
constexpr uint64_t kYieldIntervalMs = 4;
// Stored entries with the windowed flag are written in pieces of this size.
constexpr uint32_t kPieceSize = kCpkWindowSize;
// Where the patcher's own executable goes when a package carries it.
constexpr const char kSelfUpdateFolder[] = "download\\";
// The server list file, whose arrival the driver must know about.
constexpr const char kServerListFile[] = "updagte.ini";
constexpr const char kResumeFile[] = "unpack_log.ini";
constexpr const char kResumeSection[] = "config";
constexpr const char kResumeKey[] = "nIndex";
constexpr const char kResumeUpdateKey[] = "szUpdate";

// [SECTION] paths

bool EndsWithArchiveSuffix(const std::string& path) {
    return path.size() >= kArchiveSuffixLength &&
           platform::GbkToLowerAscii(path.substr(path.size() - kArchiveSuffixLength)) == ".cpk";
}

// A package path as a path on disk: its components joined again (so that
// no doubled or leading separator survives) under the game folder.
std::string DiskPath(const UnpackContext& dialog, const std::string& path) {
    std::string joined;
    for (const std::string& part : cpkpath::Split(path)) {
        joined += (joined.empty() ? "" : "\\") + part;
    }
    return dialog.gameFolder.empty() ? joined : dialog.gameFolder + "\\" + joined;
}

// A package is not trusted: a path that is absolute, names a drive or a
// device, or climbs out with ".." would write outside the game folder. It
// stops the unpacking as a failed write does.
bool RefuseUnsafe(UnpackContext& dialog, const std::string& path) {
    if (cpkpath::IsSafeRelativePath(path) && path[0] != '\\') {
        return false;
    }
    std::string text = "Refused " + path + ": it would be written outside the game folder";
    platform::ShowMessageBox(dialog.owner, text.c_str(), nullptr, platform::kMbOk);
    dialog.failedPath = path;
    return true;
}

// A package entry the walk goes past without writing it.
void Skip(UnpackContext& dialog, CPKVfs& package, uint32_t crc) {
    std::string path;
    if (!package.GetFullPath(crc, path)) {
        char name[32];
        std::snprintf(name, sizeof name, "entry %08X", crc);
        path = name;
    }
    dialog.skipped.push_back(path);
}

// Whether the journal (if any) has kept what the change of path needs.
bool Kept(UnpackContext& dialog, bool kept, const std::string& path) {
    if (!kept) {
        dialog.failedPath = path;
    }
    return kept;
}

void PostProgress(UnpackContext& dialog, uint32_t counter) {
    if (dialog.events == nullptr || dialog.total == 0) {
        return;
    }
    dialog.events->Progress(kUpdateBar,
                            static_cast<uint32_t>(uint64_t{counter} * 100 / dialog.total));
}

bool Stopped(const UnpackContext& dialog) {
    return dialog.stopFlag.load() == 1;
}

std::vector<uint32_t> Children(CPKVfs& vfs, uint32_t crc, bool directories) {
    std::vector<uint32_t> crcs(directories ? vfs.ListChildDirs(crc) : vfs.ListChildFiles(crc));
    if (!crcs.empty()) {
        if (directories) {
            vfs.ListChildDirs(crc, crcs.data(), static_cast<uint32_t>(crcs.size()));
        } else {
            vfs.ListChildFiles(crc, crcs.data(), static_cast<uint32_t>(crcs.size()));
        }
    }
    // crc 0 names the root: a record that carries it (an empty name) would
    // walk the whole package again from the top.
    crcs.erase(std::remove(crcs.begin(), crcs.end(), 0u), crcs.end());
    return crcs;
}

// What merging the package's directory crc appends at most: the bytes
// (contents as stored and trailers) and the records of everything below it.
struct Below {
    uint64_t bytes = 0;
    uint32_t records = 0;
};

Below SizeBelow(CPKVfs& package, uint32_t crc) {
    std::map<uint32_t, std::vector<int>> children;
    for (uint32_t i = 0; i < package.Header().usedCount; ++i) {
        const CPKEntry& e = package.EntryAt(static_cast<int>(i));
        if (IsLive(e)) {
            children[e.parentCrc].push_back(static_cast<int>(i));
        }
    }
    Below below;
    std::vector<uint32_t> queue{crc};
    // Each directory is visited once, even in a damaged table whose parents
    // run in a circle.
    std::map<uint32_t, bool> seen;
    for (size_t next = 0; next < queue.size(); ++next) {
        auto found = children.find(queue[next]);
        if (found == children.end() || seen[queue[next]]) {
            continue;
        }
        seen[queue[next]] = true;
        for (int index : found->second) {
            const CPKEntry& e = package.EntryAt(index);
            below.bytes += uint64_t{e.storedSize} + e.trailerSize;
            ++below.records;
            if (IsDirectory(e)) {
                queue.push_back(e.crc);
            }
        }
    }
    return below;
}

// Creates, in target, the directories of the inner path up to its last
// backslash (all of it when whole), one component at a time; the crc of
// the last one, 0 for the root, kCpkNoCrc on failure.
uint32_t MakeInnerDirectories(CPKVfs& target, const std::string& inner, bool whole) {
    std::vector<std::string> parts = cpkpath::Split(inner);
    const size_t count = whole ? parts.size() : (parts.empty() ? 0 : parts.size() - 1);
    uint32_t parent = 0;
    for (size_t i = 0; i < count && parent != kCpkNoCrc; ++i) {
        parent = target.AddDirectory(parts[i], parent);
    }
    return parent;
}

// Whether target already holds, at crc, the very entry the package has at
// index: same record and the same raw bytes. Merging it again would only
// move it.
bool AlreadyMerged(CPKVfs& target, uint32_t crc, CPKVfs& package, int index) {
    const int held = target.FindEntry(crc);
    return held >= 0 && SameRawEntry(target, held, package, index);
}

// Opens (or creates, with its folders) the archive a ".cpk" directory
// stands for and merges the directory into it as one batch. A stop keeps
// what was merged; a failure leaves the archive as it was.
int MergeDirectory(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package,
                   CPKVfs& target, const std::string& path) {
    target.Close();
    const std::string disk = DiskPath(dialog, path);
    CPKWriteGuard* guard = nullptr;
    if (dialog.journal != nullptr &&
        !Kept(dialog, dialog.journal->BeforeArchive(disk, &guard), disk)) {
        return 0;
    }
    if (DiscIOMgr::FileExists(disk)) {
        target.Open(disk);
    } else {
        CreateDirectoryChain(platform::DirName(disk, platform::PathSeparators::kBoth));
        target.Create(disk);
    }
    // An archive that cannot be opened, created or changed (its messages
    // were shown) stops the unpacking: skipped, it would leave the folder
    // short of what the update's version holds.
    if (!target.IsOpen()) {
        dialog.failedPath = disk;
        return 0;
    }
    target.SetWriteGuard(guard);
    const Below below = SizeBelow(package, crc);
    if (!target.BeginBatch(below.bytes, below.records)) {
        dialog.failedPath = disk;
        return 0;
    }
    const int merged = MergeIntoArchive(dialog, crc, counter, package, target);
    if (merged || Stopped(dialog)) {
        if (target.CommitBatch()) {
            return merged;
        }
        dialog.failedPath = disk;
        return 0;
    }
    target.AbortBatch();
    if (dialog.failedPath.empty()) {
        dialog.failedPath = disk;
    }
    return 0;
}

// The directories one outside call of the walk (or of a merge) has
// entered. A damaged package may list a directory below itself (records
// that share a crc): each directory is entered once, so the walk ends
// instead of recursing until the stack runs out.
class EnteredOnce {
public:
    explicit EnteredOnce(std::set<uint32_t>*& current) : current_(current) {
        if (current_ == nullptr) {
            current_ = &own_;
            outermost_ = true;
        }
    }
    ~EnteredOnce() {
        if (outermost_) {
            current_ = nullptr;
        }
    }
    EnteredOnce(const EnteredOnce&) = delete;
    EnteredOnce& operator=(const EnteredOnce&) = delete;
    // False when crc was entered before during this call.
    bool Enter(uint32_t crc) { return crc == 0 || current_->insert(crc).second; }

private:
    std::set<uint32_t>*& current_;
    std::set<uint32_t> own_;
    bool outermost_ = false;
};

thread_local std::set<uint32_t>* t_walked = nullptr;
thread_local std::set<uint32_t>* t_merged = nullptr;
thread_local uint64_t t_lastYield = 0;  // TickCount64 when the walk last gave way

void YieldNowAndThen(uint32_t sleepMs) {
    if (platform::TickCount64() - t_lastYield >= kYieldIntervalMs) {
        platform::SleepMs(sleepMs);
        t_lastYield = platform::TickCount64();
    }
}

}  // namespace

// [SECTION] the walk

int UnpackDirectory(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package,
                    CPKVfs& target) {
    EnteredOnce entered(t_walked);
    if (!entered.Enter(crc)) {
        return 1;
    }
    YieldNowAndThen(kDirectoryYieldMs);
    if (crc != 0) {
        const int index = package.FindEntry(crc);
        if (index < 0) {
            return 1;
        }
        std::string path;
        if (!package.GetFullPath(crc, path)) {
            return 1;
        }
        if (RefuseUnsafe(dialog, path)) {
            return 0;
        }
        if (EndsWithArchiveSuffix(path)) {
            ++counter;
            // The merge walks the directory itself.
            return MergeDirectory(dialog, crc, counter, package, target, path);
        }
        const std::string disk = DiskPath(dialog, path);
        if (dialog.journal != nullptr && !Kept(dialog, dialog.journal->BeforeFolders(disk), disk)) {
            return 0;
        }
        CreateDirectoryChain(disk);
        ++counter;
    }
    const std::vector<uint32_t> directories = Children(package, crc, true);
    const std::vector<uint32_t> files = Children(package, crc, false);
    if (!directories.empty()) {
        if (Stopped(dialog)) {
            return 0;
        }
        for (uint32_t child : directories) {
            if (!UnpackDirectory(dialog, child, counter, package, target)) {
                return 0;
            }
        }
    }
    for (uint32_t child : files) {
        if (Stopped(dialog) || !ExtractToDisk(dialog, child, counter, package)) {
            return 0;
        }
    }
    return 1;
}

// [SECTION] merging into an archive

namespace {

// The live children of every directory of a package, in table order (as
// ListChildFiles and ListChildDirs give them), found in one pass over its
// table rather than one pass per directory.
struct PackageChildren {
    explicit PackageChildren(CPKVfs& package) {
        for (uint32_t i = 0; i < package.Header().usedCount; ++i) {
            const CPKEntry& e = package.EntryAt(static_cast<int>(i));
            // crc 0 names the root: a record that carries it would walk the
            // whole package again from the top.
            if (IsLive(e) && e.crc != 0) {
                (IsDirectory(e) ? directories : files)[e.parentCrc].push_back(e.crc);
            }
        }
    }
    const std::vector<uint32_t>& Of(uint32_t crc, bool wantDirectories) const {
        const auto& lists = wantDirectories ? directories : files;
        auto found = lists.find(crc);
        return found == lists.end() ? none : found->second;
    }

    std::unordered_map<uint32_t, std::vector<uint32_t>> files;
    std::unordered_map<uint32_t, std::vector<uint32_t>> directories;
    std::vector<uint32_t> none;
};

// A file found below a ".cpk" directory, to be merged.
struct MergeFile {
    uint32_t crc;     // in the package
    int index;        // its record in the package, -1 when it has none
    uint32_t offset;  // where its bytes lie in the package
};

// Walks the package's directory crc and everything below it: its
// subdirectories are made in target as they are met, its files are only
// collected. 0 on a stop or failure.
int CollectMergeFiles(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package,
                      const PackageChildren& children, CPKVfs& target,
                      std::vector<MergeFile>& files) {
    EnteredOnce entered(t_merged);
    if (!entered.Enter(crc)) {
        return 1;
    }
    for (uint32_t child : children.Of(crc, false)) {
        const int index = package.FindEntry(child);
        files.push_back({child, index, index < 0 ? 0 : package.EntryAt(index).offset});
    }
    for (uint32_t child : children.Of(crc, true)) {
        if (Stopped(dialog)) {
            return 0;
        }
        ++counter;
        std::string path, archive, inner;
        if (package.FindEntry(child) < 0 || !package.GetFullPath(child, path)) {
            Skip(dialog, package, child);
            continue;
        }
        // Component by component: a directory named with a dot is created
        // too, empty or not.
        if (SplitArchivePath(path, archive, inner) &&
            MakeInnerDirectories(target, inner, true) == kCpkNoCrc) {
            dialog.failedPath = target.Path();
            return 0;
        }
        if (!CollectMergeFiles(dialog, child, counter, package, children, target, files)) {
            return 0;
        }
    }
    return 1;
}

}  // namespace

int MergeIntoArchive(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package,
                     CPKVfs& target) {
    std::vector<MergeFile> files;
    const PackageChildren children(package);
    if (!CollectMergeFiles(dialog, crc, counter, package, children, target, files)) {
        return 0;
    }
    // In the order their bytes lie in the package: it is then read front to
    // back in long reads (ReadAhead), whichever folders the files are in.
    std::stable_sort(files.begin(), files.end(),
                     [](const MergeFile& a, const MergeFile& b) { return a.offset < b.offset; });
    // Files of one folder mostly follow each other: the folder is made (or
    // found) in target once for them.
    std::string folder;
    uint32_t folderCrc = kCpkNoCrc;
    for (const MergeFile& file : files) {
        if (Stopped(dialog)) {
            return 0;
        }
        YieldNowAndThen(kFileYieldMs);
        ++counter;
        const int index = file.index;
        // Its name, the comparison and the copy below read it once.
        package.ReadAhead(index);
        std::string path, archive, inner;
        if (index < 0 || !package.GetFullPath(file.crc, path) ||
            !SplitArchivePath(path, archive, inner)) {
            Skip(dialog, package, file.crc);
            continue;
        }
        if (AlreadyMerged(target, cpkpath::CrcOfPath(inner), package, index)) {
            PostProgress(dialog, counter);
            continue;
        }
        const std::string innerFolder =
            inner.substr(0, inner.size() - cpkpath::LastComponent(inner).size());
        if (folderCrc == kCpkNoCrc || innerFolder != folder) {
            folderCrc = MakeInnerDirectories(target, inner, false);
            folder = innerFolder;
        }
        const uint32_t parent = folderCrc;
        const int added =
            parent == kCpkNoCrc ? -1 : target.AddFile(inner, parent, package.EntryAt(index));
        // Copied raw, file to file: contents as stored and the trailer.
        if (added < 0 || !target.CopyEntryData(added, package, index) ||
            !target.CommitEntry(added)) {
            dialog.failedPath = target.Path();
            return 0;
        }
        PostProgress(dialog, counter);
    }
    return 1;
}

// [SECTION] loose files

int ExtractToDisk(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package) {
    ++counter;
    const int index = package.FindEntry(crc);
    CPKFile* file = index < 0 ? nullptr : package.OpenEntry(index, 0, 0);
    if (file == nullptr) {
        // Not written, and so not done: the update cannot count as complete.
        Skip(dialog, package, crc);
        return 1;
    }
    const std::string path = file->name;
    if (RefuseUnsafe(dialog, path)) {
        package.CloseEntry(file);
        return 0;
    }
    std::string relative = path;
    bool selfUpdate = false;
    // Any letter case: on Windows "DREVIK.EXE" is the running program too.
    if (!dialog.executableName.empty() &&
        platform::EqualsIgnoringAsciiCase(path, dialog.executableName)) {
        // The running program cannot be replaced: the new one waits in
        // "download\" for the self-update helper, under the program's own
        // name.
        relative = kSelfUpdateFolder + dialog.executableName;
        selfUpdate = true;
        dialog.selfUpdatePending.store(1);
    }
    if (platform::GbkToLowerAscii(path) == kServerListFile) {
        dialog.serverListChangedSeen.store(1);
    }
    const std::string disk = DiskPath(dialog, relative);
    // The new patcher waits in download\, the patcher's own scratch
    // folder, which is no part of the game's version.
    if (dialog.journal != nullptr && !selfUpdate &&
        !Kept(dialog, dialog.journal->BeforeFile(disk), disk)) {
        package.CloseEntry(file);
        return 0;
    }
    platform::File out;
    for (;;) {
        DiscIOMgr::SetLastError(0);
        out = CreateReplacingFile(disk);
        if (out.IsOpen()) {
            break;
        }
        // The box's own text, then which file and why.
        std::string text = "fail to create file\n" + platform::NativePath(disk);
        if (const uint32_t code = DiscIOMgr::LastError()) {
            text += "\n" + platform::Error{code}.Message();
        }
        const int answer = platform::ShowMessageBox(dialog.owner, text.c_str(), nullptr,
                                                    platform::kMbAbortRetryIgnore);
        if (answer != platform::kIdRetry) {
            // Abort, or a box closed without an answer, stops everything;
            // Ignore goes on without the file.
            package.CloseEntry(file);
            if (answer == platform::kIdIgnore) {
                dialog.skipped.push_back(path);
                return 1;
            }
            dialog.failedPath = disk;
            return 0;
        }
    }
    const uint32_t total = file->originalSize;
    bool ok = true;
    if (file->compressed || file->mappedSize >= total) {
        ok = total == 0 || DiscIOMgr::Write(out, file->contents, total, 0, *dialog.disk);
    } else {
        // A windowed stored entry, one piece at a time; each piece, should
        // the disk be full, is written again at its own offset.
        for (uint32_t written = 0; ok && written < total;) {
            const uint32_t piece = std::min({total - written, kPieceSize, file->mappedSize});
            ok = DiscIOMgr::Write(out, file->contents, piece, written, *dialog.disk);
            written += piece;
            if (ok && written < total) {
                package.CloseEntry(file);
                file = package.OpenEntry(index, written, 0);
                ok = file != nullptr;
            }
        }
    }
    if (file != nullptr) {
        package.CloseEntry(file);
    }
    if (!ok) {
        dialog.failedPath = disk;
        return 0;
    }
    PostProgress(dialog, counter);
    return 1;
}

// [SECTION] resume index

int SplitArchivePath(const std::string& path, std::string& archivePart, std::string& innerPart) {
    const size_t end = std::min(path.size(), kSplitScanMax);
    for (size_t i = kArchiveSuffixLength + 1; i < end; ++i) {
        if (path[i] == '\\' && platform::GbkToLowerAscii(path.substr(
                                   i - kArchiveSuffixLength, kArchiveSuffixLength)) == ".cpk") {
            archivePart = path.substr(0, i);
            innerPart = path.substr(i + 1);
            return 1;
        }
    }
    return 0;
}

namespace {

std::string ResumeFile(const std::string& folder) {
    return folder.empty() ? std::string(kResumeFile) : folder + "\\" + kResumeFile;
}

std::string OwnFolder() {
    const std::string module = platform::ModulePath();
    const size_t name = cpkpath::LastComponent(module).size();
    return name < module.size() ? module.substr(0, module.size() - name - 1) : std::string();
}

}  // namespace

int ReadResumeIndex(const std::string& folder) {
    return platform::GetProfileInt(kResumeSection, kResumeKey, 0, ResumeFile(folder));
}

int ReadResumeIndex() {
    return ReadResumeIndex(OwnFolder());
}

int WriteResumeIndex(int index, const std::string& folder) {
    const std::string file = ResumeFile(folder);
    if (index == 0) {
        if (platform::Exists(file)) {
            (void)platform::DeleteFile(file);
        }
        return platform::Exists(file) ? 0 : 1;
    }
    // Written without a name, the index belongs to no named update.
    if (!platform::DeleteProfileKey(kResumeSection, kResumeUpdateKey, file) ||
        !platform::WriteProfileString(kResumeSection, kResumeKey, std::to_string(index), file)) {
        (void)platform::DeleteFile(file);
        return 0;
    }
    return 1;
}

int WriteResumeIndex(int index) {
    return WriteResumeIndex(index, OwnFolder());
}

int ReadResumeIndex(const std::string& folder, const std::string& key) {
    const std::string file = ResumeFile(folder);
    if (key.empty() ||
        platform::GetProfileString(kResumeSection, kResumeUpdateKey, "", file) != key) {
        return 0;
    }
    return platform::GetProfileInt(kResumeSection, kResumeKey, 0, file);
}

int WriteResumeIndex(int index, const std::string& folder, const std::string& key) {
    const std::string file = ResumeFile(folder);
    // The old index goes first: a kill between the two writes must not pair
    // an index with an update it does not belong to.
    if (!WriteResumeIndex(0, folder)) {
        return 0;
    }
    if (index == 0) {
        return 1;
    }
    if (!platform::WriteProfileString(kResumeSection, kResumeUpdateKey, key, file) ||
        !platform::WriteProfileString(kResumeSection, kResumeKey, std::to_string(index), file)) {
        (void)platform::DeleteFile(file);
        return 0;
    }
    return 1;
}
