#include "CpkTool.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <map>
#include <memory>

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
#include "platform/msgbox.h"
#include "platform/progress_line.h"
#include "platform/text.h"

namespace {

// Prints the boxes of the archive layer and the unpacker on err instead of
// showing them, and answers them by policy, or asks on the terminal.
class MessagesToStream {
public:
    explicit MessagesToStream(std::ostream& err)
        : handler_([this, &err](void* owner, const char* text, const char* caption, uint32_t type) {
              if (ask_) {
                  return platform::ConsoleMessageBox(owner, text, caption, type);
              }
              std::string body = platform::GbkToUtf8(text ? text : "");
              std::string line;
              for (char c : body) {
                  line += c;
                  if (c == '\n') {
                      line += "    ";
                  }
              }
              while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
                  line.pop_back();
              }
              err << "cpk: " << platform::GbkToUtf8(caption ? caption : "Error") << ": " << line
                  << "\n";
              return platform::PolicyAnswer(answers_, type);
          }) {}

    // Answers by policy; --yes goes on past what can be skipped, --abort ends
    // the step.
    void SetAnswers(platform::BoxAnswers answers) {
        answers_ = answers;
        ask_ = false;
    }
    // Asks on the terminal (without one: the step ends).
    void Ask() { ask_ = true; }

private:
    platform::BoxAnswers answers_ = platform::BoxAnswers::kEndStep;
    bool ask_ = false;
    platform::ScopedMessageBoxHandler handler_;  // last: it goes first
};

// A command failed; its message has been written.
struct Failed {};

class Tool {
public:
    Tool(std::ostream& out, std::ostream& err, bool progress)
        : out_(out), err_(err), progress_(err, progress), vfs_(pool_) {}

    void Create(const std::string& archive);
    void Add(const std::string& archive, const std::vector<std::string>& files,
             const std::string& as, bool hasAs, const std::string& method, bool windowed);
    void List(const std::string& archive, bool longFormat);
    void Cat(const std::string& archive, const std::string& inner);
    void Extract(const std::string& archive, const std::string& dir,
                 const std::vector<std::string>& inners);
    void Remove(const std::string& archive, const std::string& inner);
    void Info(const std::string& archive);
    void Check(const std::string& archive);
    void Compact(const std::string& archive);
    void Apply(const std::vector<std::string>& packages, const std::string& game,
               const std::string& executable);

private:
    struct Item {
        std::string path;  // full path, GBK, stored case
        int index;
    };

    [[noreturn]] void Fail(const std::string& message) {
        progress_.End();
        err_ << "cpk: " << message << "\n";
        throw Failed{};
    }
    void OpenArchive(const std::string& archive, CPKOpenMode mode);
    std::string InnerPath(const std::string& utf8);
    std::vector<Item> LiveEntries();
    int FindInner(const std::string& inner, const std::string& shown);
    void AddTree(const std::string& folder, const std::string& inner, uint16_t method,
                 bool windowed, std::vector<std::pair<std::string, std::string>>& files);
    void ExtractOne(const Item& item, const std::string& dir);

    std::ostream& out_;
    std::ostream& err_;
    platform::ProgressLine progress_;
    BlockPool pool_;
    CPKVfs vfs_;
    std::string archive_;  // as given, for messages
};

// A system path as the user's shell writes it, for messages.
std::string Shown(const std::string& systemPath) {
    return platform::GbkToUtf8(platform::NativePath(systemPath));
}

// ": <the system's text>" for the last failure of the file layer, when it
// was a system error ("No space left on device").
std::string SystemReason() {
    const uint32_t code = DiscIOMgr::LastError();
    if (code == 0) {
        return std::string();
    }
    return ": " + platform::GbkToUtf8(platform::Error{code}.Message());
}

std::string Tool::InnerPath(const std::string& utf8) {
    const std::string joined = cpkpath::Normalize(platform::Utf8ToGbk(utf8));
    if (joined.empty()) {
        Fail("empty inner path '" + utf8 + "'");
    }
    if (joined.size() > kCpkMaxPath) {
        Fail("inner path longer than 323 bytes: " + utf8);
    }
    return joined;
}

void Tool::OpenArchive(const std::string& archive, CPKOpenMode mode) {
    archive_ = archive;
    std::string path = platform::SystemPathFromArgument(archive);
    if (!platform::Exists(path)) {
        Fail(archive + ": no such archive");
    }
    if (!vfs_.Open(path, mode)) {
        Fail(archive + ": cannot open the archive");
    }
}

std::vector<Tool::Item> Tool::LiveEntries() {
    std::vector<Item> items;
    std::vector<std::pair<std::string, Item>> keyed;
    for (uint32_t i = 0; i < vfs_.Header().usedCount; ++i) {
        const CPKEntry& e = vfs_.EntryAt(static_cast<int>(i));
        if (!IsLive(e)) {
            continue;
        }
        std::string path;
        if (!vfs_.GetFullPath(e.crc, path)) {
            char crc[16];
            std::snprintf(crc, sizeof crc, "%08X", e.crc);
            Fail(archive_ + ": the path of entry " + crc + " cannot be built");
        }
        keyed.push_back({platform::GbkToLowerAscii(path), Item{path, static_cast<int>(i)}});
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& k : keyed) {
        items.push_back(k.second);
    }
    return items;
}

int Tool::FindInner(const std::string& inner, const std::string& shown) {
    int index = vfs_.FindEntry(cpkpath::CrcOfPath(inner));
    if (index < 0) {
        Fail(archive_ + ": no entry " + shown);
    }
    return index;
}

void Tool::Create(const std::string& archive) {
    std::string path = platform::SystemPathFromArgument(archive);
    if (platform::Exists(path)) {
        Fail(archive + " already exists");
    }
    if (!vfs_.Create(path)) {
        Fail(archive + ": cannot create the archive");
    }
}

void Tool::AddTree(const std::string& folder, const std::string& inner, uint16_t method,
                   bool windowed, std::vector<std::pair<std::string, std::string>>& files) {
    auto entries = platform::ListDirectory(folder);
    if (!entries) {
        Fail(Shown(folder) + ": " + platform::GbkToUtf8(entries.error().Message()));
    }
    // Empty folders are kept as directories of the archive.
    uint32_t parent = 0;
    for (const std::string& part : cpkpath::Split(inner)) {
        parent = vfs_.AddDirectory(part, parent);
        if (parent == kCpkNoCrc) {
            Fail(archive_ + ": cannot add the directory " + platform::GbkToUtf8(inner) +
                 SystemReason() + "; the archive is unchanged");
        }
    }
    std::sort(entries->begin(), entries->end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& e : *entries) {
        std::string child = folder + "\\" + e.name;
        std::string childInner = inner + "\\" + e.name;
        if (e.isDirectory) {
            AddTree(child, childInner, method, windowed, files);
        } else {
            files.push_back({child, childInner});
        }
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
    std::string innerAs = hasAs ? InnerPath(as) : std::string();
    archive_ = archive;
    std::string path = platform::SystemPathFromArgument(archive);
    if (platform::Exists(path) ? !vfs_.Open(path) : !vfs_.Create(path)) {
        Fail(archive + ": cannot open the archive" + SystemReason());
    }
    // All files go in as one change: should anything fail, or the tool be
    // stopped, the archive stays as it was.
    if (!vfs_.BeginBatch()) {
        Fail(archive + ": cannot change the archive");
    }
    // Gather (source, inner path) pairs first, so that progress has a total.
    std::vector<std::pair<std::string, std::string>> work;
    for (const std::string& file : files) {
        std::string source = platform::SystemPathFromArgument(file);
        if (!platform::Exists(source)) {
            Fail(file + ": no such file or folder");
        }
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
            AddTree(source, inner, method, windowed, work);
        } else {
            work.push_back({source, inner});
        }
    }
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
}

const char* MethodName(const CPKEntry& e) {
    if (IsDirectory(e)) {
        return "-";
    }
    switch (e.method) {
        case kMethodStored:
            return "stored";
        case kMethodLzo:
            return "lzo";
        case kMethodLzss:
            return "lzss";
        default:
            return "?";
    }
}

void Tool::List(const std::string& archive, bool longFormat) {
    OpenArchive(archive, CPKOpenMode::kReadOnly);
    for (const Item& item : LiveEntries()) {
        const CPKEntry& e = vfs_.EntryAt(item.index);
        std::string shown = platform::GbkToUtf8(item.path) + (IsDirectory(e) ? "\\" : "");
        if (longFormat) {
            char line[96];
            std::snprintf(line, sizeof line, "%-4s %-6s %10" PRIu32 " %10" PRIu32 " ",
                          IsDirectory(e) ? "dir" : "file", MethodName(e), e.storedSize,
                          e.originalSize);
            out_ << line;
        }
        out_ << shown << "\n";
    }
}

void Tool::Cat(const std::string& archive, const std::string& inner) {
    OpenArchive(archive, CPKOpenMode::kReadOnly);
    int index = FindInner(InnerPath(inner), inner);
    if (IsDirectory(vfs_.EntryAt(index))) {
        Fail(inner + " is a directory");
    }
    int ok = ReadEntryContents(vfs_, index, [&](const uint8_t* p, uint32_t n) {
        out_.write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(n));
        return static_cast<bool>(out_);
    });
    out_.flush();
    if (!ok) {
        Fail(archive + ": cannot read " + inner);
    }
}

void Tool::ExtractOne(const Item& item, const std::string& dir) {
    if (!cpkpath::IsSafeRelativePath(item.path)) {
        Fail(archive_ + ": refusing the unsafe path " + platform::GbkToUtf8(item.path));
    }
    const CPKEntry& e = vfs_.EntryAt(item.index);
    std::vector<std::string> parts = cpkpath::Split(item.path);
    // Folders on the way: the entry's own for a directory, its parent's else.
    std::string folder = dir;
    size_t folders = IsDirectory(e) ? parts.size() : parts.size() - 1;
    for (size_t i = 0; i < folders; ++i) {
        folder += "\\" + parts[i];
        if (!platform::IsDirectory(folder)) {
            auto made = platform::CreateDirectory(folder);
            if (!made) {
                Fail(platform::GbkToUtf8(folder) + ": " +
                     platform::GbkToUtf8(made.error().Message()));
            }
        }
    }
    if (IsDirectory(e)) {
        return;
    }
    std::string target = folder + "\\" + parts.back();
    auto file = platform::File::Open(target, platform::Access::kWrite, 0,
                                     platform::Disposition::kCreateAlways);
    if (!file) {
        Fail(platform::GbkToUtf8(target) + ": " + platform::GbkToUtf8(file.error().Message()));
    }
    std::string writeError;
    int ok = ReadEntryContents(vfs_, item.index, [&](const uint8_t* p, uint32_t n) {
        auto written = file->Write(p, n);
        if (!written) {
            writeError = platform::GbkToUtf8(written.error().Message());
        }
        return static_cast<bool>(written);
    });
    if (!ok) {
        Fail(platform::GbkToUtf8(target) + ": " +
             (writeError.empty() ? "cannot read the entry from the archive" : writeError));
    }
}

void Tool::Extract(const std::string& archive, const std::string& dir,
                   const std::vector<std::string>& inners) {
    OpenArchive(archive, CPKOpenMode::kReadOnly);
    std::string target = platform::SystemPathFromArgument(dir);
    // The target and every missing folder before it.
    for (const std::string& prefix :
         platform::PathPrefixes(target, platform::PathSeparators::kBoth)) {
        if (!platform::IsDirectory(prefix)) {
            auto made = platform::CreateDirectory(prefix);
            if (!made) {
                Fail(platform::GbkToUtf8(prefix) + ": " +
                     platform::GbkToUtf8(made.error().Message()));
            }
        }
    }
    std::vector<Item> all = LiveEntries();
    std::vector<Item> chosen;
    if (inners.empty()) {
        chosen = all;
    } else {
        for (const std::string& inner : inners) {
            std::string wanted = platform::GbkToLowerAscii(InnerPath(inner));
            FindInner(wanted, inner);
            // The entry itself and, for a directory, everything below it.
            for (const Item& item : all) {
                std::string lowered = platform::GbkToLowerAscii(item.path);
                if (lowered == wanted || lowered.rfind(wanted + "\\", 0) == 0) {
                    chosen.push_back(item);
                }
            }
        }
    }
    for (size_t i = 0; i < chosen.size(); ++i) {
        progress_.Show(i, chosen.size(), chosen[i].path);
        ExtractOne(chosen[i], target);
    }
    progress_.End();
}

void Tool::Remove(const std::string& archive, const std::string& inner) {
    OpenArchive(archive, CPKOpenMode::kReadWrite);
    int index = FindInner(InnerPath(inner), inner);
    if (!vfs_.RemoveByCRC(vfs_.EntryAt(index).crc)) {
        Fail(archive + ": cannot remove " + inner + SystemReason());
    }
}

void Tool::Info(const std::string& archive) {
    std::string path = platform::SystemPathFromArgument(archive);
    auto file = platform::File::Open(path, platform::Access::kRead,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        Fail(archive + ": " + platform::GbkToUtf8(file.error().Message()));
    }
    CPKHeader h{};
    auto got = file->ReadAt(0, &h, sizeof h);
    if (!got || *got != sizeof h) {
        Fail(archive + ": shorter than an archive header");
    }
    if (h.magic != kCpkMagic) {
        Fail(archive + ": not a CPK archive");
    }
    char text[512];
    std::snprintf(text, sizeof text,
                  "magic: 0x%08" PRIX32 "\nversion: %" PRIu32 "\ntableOffset: %" PRIu32
                  "\nliveCount: %" PRIu32 "\nusedCount: %" PRIu32 "\ncapacity: %" PRIu32
                  "\nfreeCount: %" PRIu32 "\nendOffset: %" PRIu32 "\n",
                  h.magic, h.version, h.tableOffset, h.liveCount, h.usedCount, h.capacity,
                  h.freeCount, h.endOffset);
    out_ << text;
}

void Tool::Check(const std::string& archive) {
    std::string path = platform::SystemPathFromArgument(archive);
    std::vector<std::string> problems = CheckArchive(path);
    for (const auto& p : problems) {
        out_ << platform::GbkToUtf8(p) << "\n";
    }
    if (!problems.empty()) {
        throw Failed{};
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
    CPKVfs target(pool_);
    if (!target.Create(temporary) || !target.BeginBatch(bytes)) {
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

// Progress of the unpacking on the terminal.
class ApplyProgress : public UnpackEvents {
public:
    explicit ApplyProgress(std::function<void(uint32_t)> show) : show_(std::move(show)) {}
    void Progress(uint32_t, uint32_t percent) override { show_(percent); }

private:
    std::function<void(uint32_t)> show_;
};

void Tool::Apply(const std::vector<std::string>& packages, const std::string& gameArgument,
                 const std::string& executable) {
    const std::string game = platform::SystemPathFromArgument(gameArgument);
    if (!platform::IsDirectory(game)) {
        Fail(gameArgument + ": no such game folder");
    }
    // As the update driver does: count every package first, then unpack
    // them in order from the resume index on. The index moves on after each
    // package, so that a run that was stopped repeats at most the package
    // it was in.
    std::vector<std::string> paths;
    std::vector<uint32_t> live;
    uint32_t total = 0;
    for (const std::string& argument : packages) {
        paths.push_back(platform::SystemPathFromArgument(argument));
        CPKVfs package(pool_);
        if (!platform::Exists(paths.back()) ||
            !package.Open(paths.back(), CPKOpenMode::kReadOnly)) {
            Fail(argument + ": cannot open the package");
        }
        live.push_back(package.Header().liveCount);
        total += live.back();
    }
    const int resume = ReadResumeIndex(game);
    if (resume < 0 || static_cast<size_t>(resume) > paths.size()) {
        Fail(gameArgument + ": the resume index " + std::to_string(resume) +
             " lies past the packages given");
    }
    UnpackContext context;
    ApplyProgress progress([&](uint32_t percent) { progress_.Show(percent, 100, "%"); });
    context.events = &progress;
    context.total = total;
    context.executableName = platform::Utf8ToGbk(executable);
    context.gameFolder = game;
    uint32_t counter = 0;
    CPKVfs target(pool_);
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i < static_cast<size_t>(resume)) {
            counter += live[i];  // unpacked by an earlier run
            continue;
        }
        CPKVfs package(pool_);
        if (!package.Open(paths[i], CPKOpenMode::kReadOnly)) {
            Fail(packages[i] + ": cannot open the package");
        }
        const int done = UnpackDirectory(context, 0, counter, package, target);
        target.Close();
        package.Close();
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

}  // namespace

int RunCpkTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress) {
    MessagesToStream messages(err);
    CLI::App app("CPK archive tool: create, fill, list, read and check game archives.", "cpk");
    app.require_subcommand(1);

    std::string archive, dir, inner, as, method = "stored";
    std::vector<std::string> files, inners;
    bool longFormat = false, windowed = false;

    auto* create = app.add_subcommand("create", "Create a new, empty archive");
    create->add_option("ARCHIVE", archive, "Archive file")->required();
    auto* add =
        app.add_subcommand("add", "Add files (a folder adds its tree), creating their directories");
    add->add_option("ARCHIVE", archive, "Archive file (created when missing)")->required();
    add->add_option("FILE", files, "Files or folders to add")->required();
    auto* asOption = add->add_option("--as", as, "Inner path of the single FILE");
    add->add_option("--method", method, "Compression: stored, lzo or lzss")->capture_default_str();
    add->add_flag("--windowed", windowed, "Mark stored entries for 8 MiB windowed reading");
    auto* ls = app.add_subcommand("ls", "List the live entries");
    ls->add_option("ARCHIVE", archive, "Archive file")->required();
    ls->add_flag("-l", longFormat, "Show kind, method, stored and original size");
    auto* cat = app.add_subcommand("cat", "Write an entry's contents to standard output");
    cat->add_option("ARCHIVE", archive, "Archive file")->required();
    cat->add_option("INNER", inner, "Inner path")->required();
    auto* extract = app.add_subcommand("extract", "Extract entries (all by default) into DIR");
    extract->add_option("ARCHIVE", archive, "Archive file")->required();
    extract->add_option("-C", dir, "Target folder")->required();
    extract->add_option("INNER", inners, "Entries to extract (a directory: its tree)");
    auto* rm = app.add_subcommand("rm", "Remove an entry (a directory with its tree)");
    rm->add_option("ARCHIVE", archive, "Archive file")->required();
    rm->add_option("INNER", inner, "Inner path")->required();
    auto* info = app.add_subcommand("info", "Print the header fields");
    info->add_option("ARCHIVE", archive, "Archive file")->required();
    auto* check = app.add_subcommand("check", "Check every invariant of the format");
    check->add_option("ARCHIVE", archive, "Archive file")->required();
    auto* compact =
        app.add_subcommand("compact", "Rewrite the archive without free space (all or nothing)");
    compact->add_option("ARCHIVE", archive, "Archive file")->required();
    std::vector<std::string> packages;
    std::string game, executable = "Drevik.exe";
    bool yes = false, abort = false;
    auto* apply = app.add_subcommand(
        "apply", "Unpack patch packages into a game folder, as the patcher does");
    apply->add_option("PACKAGE", packages, "Patch packages, in order")->required();
    apply->add_option("--game", game, "The game folder")->required();
    apply->add_option("--exe", executable, "The patcher's own file name (goes to download\\)")
        ->capture_default_str();
    auto* yesFlag =
        apply->add_flag("--yes", yes, "Answer questions by going on (skip, never retry)");
    apply->add_flag("--abort", abort, "Answer questions by stopping")->excludes(yesFlag);

    std::vector<std::string> rest(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
    std::reverse(rest.begin(), rest.end());  // CLI11 takes them last first
    try {
        app.parse(rest);
    } catch (const CLI::CallForHelp& e) {
        app.exit(e, out, err);
        return 0;
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return 1;
    }

    Tool tool(out, err, progress);
    try {
        if (create->parsed()) {
            tool.Create(archive);
        } else if (add->parsed()) {
            tool.Add(archive, files, as, asOption->count() > 0, method, windowed);
        } else if (ls->parsed()) {
            tool.List(archive, longFormat);
        } else if (cat->parsed()) {
            tool.Cat(archive, inner);
        } else if (extract->parsed()) {
            tool.Extract(archive, dir, inners);
        } else if (rm->parsed()) {
            tool.Remove(archive, inner);
        } else if (info->parsed()) {
            tool.Info(archive);
        } else if (check->parsed()) {
            tool.Check(archive);
        } else if (compact->parsed()) {
            tool.Compact(archive);
        } else if (apply->parsed()) {
            if (yes || abort) {
                messages.SetAnswers(yes ? platform::BoxAnswers::kSkip
                                        : platform::BoxAnswers::kEndStep);
            } else {
                messages.Ask();
            }
            tool.Apply(packages, game, executable);
        }
    } catch (const Failed&) {
        return 1;
    }
    return 0;
}
