// ls, cat, extract, info, check: the commands that only read an archive.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <map>

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

}  // namespace

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
                Fail(Shown(folder) + ": " + platform::GbkToUtf8(made.error().Message()));
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
        Fail(Shown(target) + ": " + platform::GbkToUtf8(file.error().Message()));
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
        Fail(Shown(target) + ": " +
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
                Fail(Shown(prefix) + ": " + platform::GbkToUtf8(made.error().Message()));
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

void Tool::Info(const std::string& archive) {
    const CPKHeader h = ReadHeader(archive, platform::SystemPathFromArgument(archive));
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
        out_ << archive << ": " << platform::GbkToUtf8(p) << "\n";
    }
    if (!problems.empty()) {
        throw Failed{};
    }
}

}  // namespace cpktool
