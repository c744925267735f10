// Takes arbitrary bytes as the undo journal of an update left in a game
// folder (its lines, then after a line "--undo--" the old bytes kept for
// the archive the journal numbers 1) and rolls it back: nothing may read or
// write outside its buffers, and nothing outside the game folder may be
// changed, created or removed, whatever the journal names.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cpk/DiscIOMgr.h"
#include "cpk/UnpackJournal.h"
#include "fuzz_common.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

const std::string& Sandbox() {
    return FuzzSandbox("cpk_journal_fuzz");
}

// Where the game folder lies below the sandbox: a path that climbs out of
// it lands in the sandbox, where the check below finds it.
constexpr const char kGameBelow[] = "a\\b\\c\\game";

bool WriteWhole(const std::string& path, const std::string& bytes) {
    auto f = platform::File::Open(path, platform::Access::kWrite, 0,
                                  platform::Disposition::kCreateAlways);
    return f && (bytes.empty() || f->Write(bytes.data(), bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetUpSandbox("cpk_journal_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string sandbox = Sandbox();
    const std::string game = sandbox + "\\" + kGameBelow;
    const std::string undo = game + "\\download\\undo";
    const std::string marker = sandbox + "\\outside.txt";
    RemoveTree(game);
    (void)MakeFoldersBelow(sandbox, undo);
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string split = "\n--undo--\n";
    const size_t at = input.find(split);
    const std::string journal = input.substr(0, at);
    const std::string kept = at == std::string::npos ? "" : input.substr(at + split.size());
    // The game's own files, which the journal may name.
    if (!WriteWhole(undo + "\\journal.txt", journal) || !WriteWhole(undo + "\\1.undo", kept) ||
        !WriteWhole(undo + "\\2.bak", "kept file") || !WriteWhole(game + "\\a.cpk", "archive") ||
        !WriteWhole(game + "\\readme.txt", "readme") || !WriteWhole(marker, "untouched")) {
        return 0;
    }
    {
        UnpackJournal j(undo, game);
        const std::string key = j.PendingKey();
        if (!key.empty() && j.Begin(key)) {
            (void)j.Rollback();
        }
    }
    // Outside the game folder: the folders on the way to it and the marker,
    // unchanged; nothing else.
    std::vector<std::string> found;
    ListOutside(sandbox, "", kGameBelow, found);
    std::sort(found.begin(), found.end());
    static const std::vector<std::string> expected = [] {
        std::vector<std::string> v{"a", "a\\b", "a\\b\\c", kGameBelow, "outside.txt"};
        std::sort(v.begin(), v.end());
        return v;
    }();
    if (found != expected) {
        __builtin_trap();  // the rollback reached outside the game folder
    }
    auto still = platform::ReadWholeFile(marker);
    if (!still || *still != "untouched") {
        __builtin_trap();
    }
    return 0;
}
