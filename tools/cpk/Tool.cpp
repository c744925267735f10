#include "Tool.h"

#include <map>

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

std::string Shown(const std::string& systemPath) {
    return platform::GbkToUtf8(platform::NativePath(systemPath));
}

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

bool NameFits(const std::string& utf8) {
    return platform::GbkToUtf8(platform::Utf8ToGbk(utf8)) == utf8;
}

CPKHeader Tool::ReadHeader(const std::string& archive, const std::string& path) {
    auto file = platform::File::Open(path, platform::Access::kRead,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        Fail(archive + ": " + platform::GbkToUtf8(file.error().Message()));
    }
    CPKHeader h{};
    auto got = file->ReadAt(0, &h, sizeof h);
    if (!got) {
        Fail(archive + ": " + platform::GbkToUtf8(got.error().Message()));
    }
    if (*got != sizeof h) {
        Fail(archive + ": not a CPK archive: " + std::to_string(*got) +
             " bytes, shorter than an archive header");
    }
    if (h.magic != kCpkMagic) {
        Fail(archive + ": not a CPK archive (another kind of file)");
    }
    return h;
}

void Tool::OpenArchive(const std::string& archive, CPKOpenMode mode) {
    archive_ = archive;
    std::string path = platform::SystemPathFromArgument(archive);
    if (!platform::Exists(path)) {
        Fail(archive + ": no such archive");
    }
    // What the archive layer would say in a box with a source line, said
    // here in one line.
    (void)ReadHeader(archive, path);
    if (!vfs_.Open(path, mode)) {
        Fail(archive + ": cannot open the archive" + SystemReason());
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

}  // namespace cpktool
