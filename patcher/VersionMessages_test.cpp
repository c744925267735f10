#include "patcher/VersionMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(VersionMessages, LayoutsOnTheWire) {
    EXPECT_EQ(EncodeVersionRequest({0x01020304, 7}),
              (Bytes{0x28, 0x23, 12, 0, 4, 3, 2, 1, 7, 0, 0, 0}));
    auto req = DecodeVersionRequest(EncodeVersionRequest({-5, 3}).data(), 12);
    ASSERT_TRUE(req);
    EXPECT_EQ(req->version, -5);
    EXPECT_EQ(req->lineType, 3);

    Bytes addr = EncodeDownloadAddress({10, 0, 0, 7});
    EXPECT_EQ(addr, (Bytes{0x2A, 0x23, 12, 0, 0, 0, 0, 0, 10, 0, 0, 7}));
    EXPECT_EQ(DottedAddress(*DecodeDownloadAddress(addr.data(), addr.size())), "10.0.0.7");

    Bytes res = EncodeVersionResult({1005, 3, 1});
    EXPECT_EQ(res, (Bytes{0x32, 0x23, 17, 0, 0, 0, 0, 0, 0xED, 3, 0, 0, 3, 0, 0, 0, 1}));
    auto r = DecodeVersionResult(res.data(), res.size());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->targetVersion, 1005);
    EXPECT_EQ(r->fileCount, 3u);
    EXPECT_EQ(r->code, 1);

    EXPECT_EQ(MakeFrame({9, 8}), (Bytes{2, 0, 0, 0, 9, 8}));
}

TEST(VersionMessages, ShortOrMistypedBodiesAreRefused) {
    Bytes req = EncodeVersionRequest({1, 2});
    Bytes addr = EncodeDownloadAddress({1, 2, 3, 4});
    Bytes res = EncodeVersionResult({1, 2, 3});
    EXPECT_FALSE(DecodeVersionRequest(req.data(), req.size() - 1));
    EXPECT_FALSE(DecodeDownloadAddress(addr.data(), addr.size() - 1));
    EXPECT_FALSE(DecodeVersionResult(res.data(), res.size() - 1));
    EXPECT_FALSE(DecodeVersionResult(addr.data(), addr.size()));
    EXPECT_FALSE(DecodeDownloadAddress(res.data(), res.size()));
    EXPECT_FALSE(MessageType(req.data(), 3));
    EXPECT_FALSE(DecodeFileList(req.data(), 0));
}

Bytes FileListBody(uint32_t count, const std::string& entries) {
    Bytes b{0x2D, 0x23, 0, 0};
    PutU32(b, count);
    b.insert(b.end(), entries.begin(), entries.end());
    b[2] = static_cast<uint8_t>(b.size());
    return b;
}

TEST(VersionMessages, FileListDecodesOnlyWhatIsThere) {
    std::string two(
        "a\\b.cpk\0"
        "0123\0"
        "c.cpk\0"
        "4567\0",
        24);
    Bytes body = FileListBody(2, two);
    auto ok = DecodeFileList(body.data(), body.size());
    ASSERT_TRUE(ok);
    ASSERT_EQ(ok->size(), 2u);
    EXPECT_EQ((*ok)[0].path, "a\\b.cpk");
    EXPECT_EQ((*ok)[0].md5, "0123");
    EXPECT_EQ((*ok)[1].path, "c.cpk");

    // More entries promised than present; a huge count; strings cut off
    // before their terminator; an empty list.
    Bytes more = FileListBody(3, two);
    EXPECT_FALSE(DecodeFileList(more.data(), more.size()));
    Bytes huge = FileListBody(0xFFFFFFFFu, two);
    EXPECT_FALSE(DecodeFileList(huge.data(), huge.size()));
    Bytes noMd5End = FileListBody(1, std::string("x.cpk\0"
                                                 "abc",
                                                 9));
    EXPECT_FALSE(DecodeFileList(noMd5End.data(), noMd5End.size()));
    Bytes noPathEnd = FileListBody(1, "x.cpk");
    EXPECT_FALSE(DecodeFileList(noPathEnd.data(), noPathEnd.size()));
    Bytes none = FileListBody(0, "");
    ASSERT_TRUE(DecodeFileList(none.data(), none.size()));
    EXPECT_TRUE(DecodeFileList(none.data(), none.size())->empty());
}

TEST(VersionMessages, FileListIsSpreadOverBodiesThatFit) {
    std::vector<FileListItem> items;
    for (int i = 0; i < 40; ++i) {
        items.push_back({"patch\\" + std::string(40 + i, 'p') + std::to_string(i) + ".cpk",
                         std::string(32, static_cast<char>('a' + i % 6))});
    }
    auto bodies = EncodeFileList(items);
    ASSERT_TRUE(bodies);
    EXPECT_GT(bodies->size(), 3u);
    std::vector<FileListItem> back;
    for (const Bytes& body : *bodies) {
        EXPECT_LE(body.size(), kMaxFrameBody);
        EXPECT_EQ(GetU16(body.data() + 2), body.size());
        auto part = DecodeFileList(body.data(), body.size());
        ASSERT_TRUE(part);
        EXPECT_FALSE(part->empty());
        back.insert(back.end(), part->begin(), part->end());
    }
    ASSERT_EQ(back.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(back[i].path, items[i].path);
        EXPECT_EQ(back[i].md5, items[i].md5);
    }

    // An item that cannot fit in any body, or that holds a NUL.
    EXPECT_FALSE(EncodeFileList({{std::string(460, 'x'), std::string(32, '0')}}));
    EXPECT_FALSE(EncodeFileList({{std::string("a\0b", 3), std::string(32, '0')}}));
    EXPECT_TRUE(EncodeFileList({})->empty());
}

TEST(VersionMessages, PathSplitsAtTheLastSeparatorAfterTheStart) {
    struct Case {
        std::string path, directory, fileName;
    } cases[] = {
        {"a\\b\\c.cpk", "a\\b", "c.cpk"},
        {"c.cpk", "", "c.cpk"},
        {"\\x.cpk", "", "\\x.cpk"},
        {"ab", "", ""},
        {"ab\\", "ab", ""},
        {"a\\", "", ""},
        {"abc", "", "abc"},
        // 0x81 0x5C is one GBK character whose trail byte looks like "\".
        {"dir\\\x81\\.cpk", "dir", "\x81\\.cpk"},
        {"\x81\\\\y.cpk", "\x81\\", "y.cpk"},
    };
    for (const Case& c : cases) {
        SplitPath s = SplitPatchPath(c.path);
        EXPECT_EQ(s.directory, c.directory) << c.path;
        EXPECT_EQ(s.fileName, c.fileName) << c.path;
    }
}

TEST(VersionMessages, PatchFileEntryFromAListItem) {
    auto e = MakePatchFileEntry({"v2\\up.cpk", "0123456789abcdef0123456789abcdefEXTRA"});
    ASSERT_TRUE(e);
    EXPECT_EQ(e->directory, "v2");
    EXPECT_EQ(e->fileName, "up.cpk");
    EXPECT_EQ(e->localPath, "download\\up.cpk");
    EXPECT_EQ(e->md5Text, "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(e->size, 0);
    EXPECT_EQ(e->entryCount, 0);

    // The local path "download\" + name must fit the entry's text field.
    std::string longest(kPatchPathMax - 9, 'n');
    EXPECT_TRUE(MakePatchFileEntry({"d\\" + longest, ""}));
    EXPECT_FALSE(MakePatchFileEntry({"d\\" + longest + "n", ""}));
    EXPECT_FALSE(MakePatchFileEntry({std::string(kPatchPathMax + 1, 'd') + "\\x.cpk", ""}));
}

// Names that would leave download\, or land somewhere else than they say,
// on Windows or on Linux: refused, each for a reason of its own.
TEST(VersionMessages, PathsThatCannotNameAPackageAreRefused) {
    for (const std::string& good :
         {std::string("v100\\p101.cpk"), std::string("p.cpk"), std::string("a\\b\\c.cpk"),
          std::string("v1\\x-y_z (2)+[3].cpk"),
          std::string("\xB8\xFC\xD0\xC2\\\xB2\xB9\xB6\xA1.cpk"), std::string("console.cpk"),
          std::string("com10.cpk"), std::string("v1\\.hidden")}) {
        EXPECT_EQ(PatchPathProblem(good), "") << good;
        EXPECT_TRUE(MakePatchFileEntry({good, ""})) << good;
    }
    struct Case {
        std::string path;
        const char* why;  // a part of the reason
    } bad[] = {
        {"v100\\../update.ini", "/"},
        {"v100\\a/../../update.ini", "/"},
        {"v100\\..", "\".\""},
        {"..\\..\\x.cpk", "\".\""},
        {"v100\\.\\x.cpk", "\".\""},
        {"\\x.cpk", "\\"},
        {"\\\\host\\share\\x.cpk", "empty"},
        {"C:\\x.cpk", ":"},
        {"v100\\C:x.cpk", ":"},
        {"v100\\x.cpk:stream", ":"},
        {"v100\\a*.cpk", "*"},
        {"v100\\a\x01.cpk", "control"},
        {"v100\\a\x7F.cpk", "control"},
        {"v100\\nul", "device"},
        {"v100\\NUL.cpk", "device"},
        {"v100\\com1.cpk", "device"},
        {"v100\\Lpt9", "device"},
        {"v100\\con .cpk", "device"},
        {"v100\\CONOUT$", "device"},
        {"aux\\x.cpk", "device"},
        {"v100\\p101.cpk.", "dot"},
        {"v100\\p101.cpk ", "blank"},
        {"v100.\\p101.cpk", "dot"},
        {"v100\\ p101.cpk", "blank"},
        {"v100\\x.cpk.minisig", ".minisig"},
        {"v100\\x.cpk.JAT", ".jat"},
        {"v100\\Release.txt", "release.txt"},
        {"v100\\undo", "undo"},
        {"a\\\\x.cpk", "empty"},
        {"ab", "no file name"},
        {"ab\\", "no file name"},
        // GBK: a lead byte without its trail, a trail that reads as "\" or
        // "|" to a reader without GBK, a byte that is no character.
        {"v100\\a\x81", "GBK"},
        {"v100\\a\x81 .cpk", "GBK"},
        {"v100\\a\x81\\..", "separator"},
        {"v100\\a\x81|.cpk", "separator"},
        {"v1\x81\\\\x.cpk", "separator"},
        {"v100\\a\x80.cpk", "no character"},
        {"v100\\a\xFF.cpk", "no character"},
    };
    for (const Case& c : bad) {
        const std::string why = PatchPathProblem(c.path);
        EXPECT_NE(why.find(c.why), std::string::npos) << c.path << ": " << why;
        EXPECT_FALSE(MakePatchFileEntry({c.path, ""})) << c.path;
    }
}

TEST(VersionMessages, WebMirrorsRoundTripAndBadOnesAreRefused) {
    const std::string base = "https://cdn.example.net/tesmar";
    auto body = EncodeWebMirror(base);
    ASSERT_TRUE(body);
    EXPECT_EQ(GetU16(body->data()), kMsgWebMirror);
    EXPECT_EQ(GetU16(body->data() + 2), body->size());
    EXPECT_EQ(DecodeWebMirror(body->data(), body->size()), base);
    EXPECT_TRUE(EncodeWebMirror(std::string(kWebMirrorMax, 'a')));
    for (const std::string& bad :
         {std::string(), std::string(kWebMirrorMax + 1, 'a'), std::string("http://a b"),
          std::string("http://a\tb"), std::string("http://\xb1\xb1")}) {
        EXPECT_FALSE(EncodeWebMirror(bad)) << bad;
    }
    // Bodies that are cut, unterminated, or hold what no encoder writes.
    std::vector<uint8_t> cut(body->begin(), body->end() - 1);
    EXPECT_FALSE(DecodeWebMirror(cut.data(), cut.size()));
    EXPECT_FALSE(DecodeWebMirror(body->data(), 5));
    std::vector<uint8_t> blank = *body;
    blank[8] = ' ';
    EXPECT_FALSE(DecodeWebMirror(blank.data(), blank.size()));
    std::vector<uint8_t> empty = {0x2B, 0x23, 5, 0, 0};
    EXPECT_FALSE(DecodeWebMirror(empty.data(), empty.size()));
    std::vector<uint8_t> longer = *EncodeWebMirror(std::string(kWebMirrorMax, 'a'));
    longer.insert(longer.end() - 1, 'a');
    EXPECT_FALSE(DecodeWebMirror(longer.data(), longer.size()));
    EXPECT_FALSE(DecodeWebMirror(EncodeDownloadAddress({1, 2, 3, 4}).data(), 12));
}

TEST(VersionMessages, DottedAddressesAreStrict) {
    EXPECT_EQ(ParseDottedAddress("127.0.0.1"), (IPv4Bytes{127, 0, 0, 1}));
    EXPECT_EQ(ParseDottedAddress("255.255.255.255"), (IPv4Bytes{255, 255, 255, 255}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.256", "1..2.3", "a.b.c.d", "1.2.3.4 ",
                            "1234.1.1.1", "localhost", "-1.2.3.4"}) {
        EXPECT_FALSE(ParseDottedAddress(bad)) << bad;
    }
}

}  // namespace
