// The archive tool's commands on one archive at a time. The reading
// commands (ls, cat, extract, info, check) are in ReadCommands.cpp, the
// writing ones (create, add, rm, compact, apply) in WriteCommands.cpp, the
// command line in CpkTool.cpp; Tool.cpp holds what they share.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cpk/BlockPool.h"
#include "cpk/CPKVfs.h"
#include "platform/progress_line.h"
#include "sign/Minisign.h"

namespace cpktool {

// A command failed; its message has been written.
struct Failed {};

class Tool {
public:
    Tool(std::ostream& out, std::ostream& err, bool progress, DiscIOMgr::Disk& disk)
        : out_(out), err_(err), progress_(err, progress), disk_(disk), vfs_(pool_, disk) {}

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
    // keys: when any are given, every package must carry a good signature
    // of one of them beside it (PACKAGE.minisig); none is unpacked otherwise.
    void Apply(const std::vector<std::string>& packages, const std::string& game,
               const std::string& executable, const std::vector<sign::PublicKey>& keys = {});
    // After a failed command: removes the archive the command created, so
    // that a failure leaves no file behind.
    void Abandon();

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
    // Opens the archive, or fails with the reason: no such file, not an
    // archive (too short, another format), or what the archive layer said.
    void OpenArchive(const std::string& archive, CPKOpenMode mode);
    // Reads the header as the system has it: the file's reason when it
    // cannot be read, "not a CPK archive" when it is none.
    CPKHeader ReadHeader(const std::string& archive, const std::string& path);
    // Creates a new archive and remembers it until the command is done.
    void CreateArchive(const std::string& archive, const std::string& path);
    // Refuses a source that is neither a folder nor a regular file.
    void CheckSource(const std::string& source, const std::string& shown);
    std::string InnerPath(const std::string& utf8);
    std::vector<Item> LiveEntries();
    int FindInner(const std::string& inner, const std::string& shown);
    // What an add puts in: folders (parents before children) and
    // (source, inner path) pairs of files.
    struct AddPlan {
        std::vector<std::string> folders;
        std::vector<std::pair<std::string, std::string>> files;
    };
    void AddTree(const std::string& folder, const std::string& inner, AddPlan& plan);
    // Whether a file met in a folder being added is the archive itself.
    bool IsTheArchive(const std::string& file) const;
    // Refuses, before anything is written, a planned path that meets the
    // archive or the plan as the other kind: a file where a folder is, or
    // a folder (or a file's parent) where a file is.
    void CheckKinds(const AddPlan& plan);
    void ExtractOne(const Item& item, const std::string& dir);

    std::ostream& out_;
    std::ostream& err_;
    platform::ProgressLine progress_;
    DiscIOMgr::Disk& disk_;
    BlockPool pool_;
    CPKVfs vfs_;
    std::string archive_;                  // as given, for messages
    std::string archivePath_;              // its system path, while adding
    std::optional<uint64_t> archiveSize_;  // its size before the add, when known
    std::string created_;                  // an archive this command created, until it is done
};

// Why a name given on the command line or met in a folder cannot go into an
// archive, whose names are GBK.
constexpr const char* kUnstorableName =
    "the name cannot be stored in an archive (a character GBK does not have)";
// Whether UTF-8 text survives the way into GBK and back.
bool NameFits(const std::string& utf8);

// A system path as the user's shell writes it, for messages.
std::string Shown(const std::string& systemPath);
// ": <the system's text>" for the last failure of the file layer, when it
// was a system error ("No space left on device").
std::string SystemReason();

}  // namespace cpktool
