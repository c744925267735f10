#include "testsupport/archive_tree.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "cpk/CPKWriter.h"
#include "platform/text.h"

namespace testsupport {

namespace {

constexpr int kDifferencesShown = 5;

}  // namespace

ArchiveTree ReadTree(CPKVfs& vfs) {
    ArchiveTree tree;
    for (uint32_t i = 0; i < vfs.Header().usedCount; ++i) {
        const CPKEntry e = vfs.EntryAt(static_cast<int>(i));
        if (!IsLive(e)) {
            continue;
        }
        std::string path;
        EXPECT_EQ(vfs.GetFullPath(e.crc, path), 1);
        std::string value = kDirectoryMark;
        if (!IsDirectory(e)) {
            std::vector<uint8_t> contents;
            EXPECT_EQ(ReadEntryContents(vfs, static_cast<int>(i), contents), 1) << path;
            value.assign(contents.begin(), contents.end());
        }
        tree[platform::GbkToLowerAscii(path)] = value;
    }
    return tree;
}

ArchiveTree ReadArchiveTree(const std::string& path, BlockPool& pool) {
    CPKVfs vfs(pool);
    EXPECT_EQ(vfs.Open(path, CPKOpenMode::kReadOnly), 1) << path;
    return vfs.IsOpen() ? ReadTree(vfs) : ArchiveTree{};
}

std::string TreeDifference(const ArchiveTree& a, const ArchiveTree& b) {
    std::string out;
    int shown = 0;
    for (const ArchiveTree* t : std::initializer_list<const ArchiveTree*>{&a, &b}) {
        for (const auto& entry : *t) {
            auto x = a.find(entry.first);
            auto y = b.find(entry.first);
            const bool same = x != a.end() && y != b.end() && x->second == y->second;
            if (!same && shown < kDifferencesShown && (t == &a || x == a.end())) {
                out += " " + entry.first +
                       (x == a.end()   ? " (only second)"
                        : y == b.end() ? " (only first)"
                                       : " (differs)");
                ++shown;
            }
        }
    }
    return a.size() == b.size() && out.empty() ? " none" : out;
}

}  // namespace testsupport
