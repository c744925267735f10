#include "patcher/WebMirrors.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "patcher/CConfigFile.h"
#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

MirrorSettings Read(const TempDir& dir, const std::string& ini) {
    WriteFile(dir / "update.ini", ini);
    CConfigFile config;
    EXPECT_TRUE(config.Load((dir / "update.ini").c_str(), true));
    return ReadMirrorSettings(config, dir.path());
}

TEST(WebMirrors, ReadsTheUsableAddressesAndSaysWhyOthersAreLeftOut) {
    TempDir dir;
    MirrorSettings s = Read(dir,
                            "[game]\r\ntesmar=x\r\n[mirror]\r\nnum=7\r\n"
                            "url0=https://cdn.example.net/tesmar/\r\n"
                            "url1=ftp://files.example.net/\r\n"
                            "url2=HTTP://m2.example.net:8080//\r\n"
                            "url3=http:///nohost\r\n"
                            "url4=http://a.example.net/p?x=1\r\n"
                            "url6=http://b.example.net\r\n");
    EXPECT_EQ(s.bases,
              (std::vector<std::string>{"https://cdn.example.net/tesmar",
                                        "HTTP://m2.example.net:8080", "http://b.example.net"}));
    ASSERT_EQ(s.notes.size(), 4u);
    EXPECT_EQ(s.notes[0].rfind("url1=ftp://files.example.net/: not an http", 0), 0u) << s.notes[0];
    EXPECT_EQ(s.notes[1].rfind("url3=", 0), 0u);
    EXPECT_EQ(s.notes[2].rfind("url4=", 0), 0u);
    EXPECT_EQ(s.notes[3], "url5: missing");
    EXPECT_EQ(s.caFile, "");
}

// The version server's bases join update.ini's: each once, after them,
// the unusable ones noted with where they came from.
TEST(WebMirrors, BasesAddedLaterJoinOnceAndBadOnesAreNoted) {
    MirrorSettings s;
    s.bases = {"http://a.example"};
    AddMirrorBases(s, {"http://a.example/", "https://b.example//", "ftp://c.example", "http://b"},
                   "the version server's");
    EXPECT_EQ(s.bases,
              (std::vector<std::string>{"http://a.example", "https://b.example", "http://b"}));
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0],
              "the version server's ftp://c.example: not an http:// or https:// address, ignored");
}

TEST(WebMirrors, NoSectionMeansNoMirrorsAndNumIsBounded) {
    TempDir dir;
    MirrorSettings none = Read(dir, "[game]\r\ntesmar=x\r\n");
    EXPECT_TRUE(none.bases.empty());
    EXPECT_TRUE(none.notes.empty());

    std::string ini = "[mirror]\r\nnum=100000\r\n";
    for (int i = 0; i < kMirrorsMax + 5; ++i) {
        ini += "url" + std::to_string(i) + "=http://m" + std::to_string(i) + ".example.net\r\n";
    }
    MirrorSettings many = Read(dir, ini);
    EXPECT_EQ(many.bases.size(), static_cast<size_t>(kMirrorsMax));
    ASSERT_EQ(many.notes.size(), 1u);

    MirrorSettings negative = Read(dir, "[mirror]\r\nnum=-3\r\nurl0=http://a.example.net\r\n");
    EXPECT_TRUE(negative.bases.empty());
}

TEST(WebMirrors, TheAuthorityFileLiesInTheGameFolderUnlessAbsolute) {
    TempDir dir;
    WriteFile(dir / "certs\\ca.pem", "pem");
    MirrorSettings s =
        Read(dir, "[mirror]\r\nnum=1\r\nurl0=https://a.example.net\r\nca=certs\\ca.pem\r\n");
    EXPECT_EQ(s.caFile, platform::NativePath(dir / "certs\\ca.pem"));
    EXPECT_TRUE(s.notes.empty());

    MirrorSettings missing =
        Read(dir, "[mirror]\r\nnum=1\r\nurl0=https://a.example.net\r\nca=nothere.pem\r\n");
    ASSERT_EQ(missing.notes.size(), 1u);
    EXPECT_EQ(missing.notes[0], "ca=nothere.pem: no such file");
}

TEST(WebMirrors, FileAddressesUseSlashesAndEscapeOddBytes) {
    EXPECT_EQ(MirrorFileUrl("http://m.example.net/p", "v100\\sub/", "p101.cpk"),
              "http://m.example.net/p/v100/sub/p101.cpk");
    EXPECT_EQ(MirrorFileUrl("http://m", "", "a b#?%.cpk"), "http://m/a%20b%23%3F%25.cpk");
    // GBK bytes of a name go escaped, never as raw bytes on the request line.
    EXPECT_EQ(MirrorFileUrl("http://m", "\xB2\xB9", "x"), "http://m/%B2%B9/x");
}

TEST(WebMirrors, AFailedMirrorIsNotPickedAgainUntilTheNextRun) {
    MirrorList list;
    EXPECT_FALSE(list.Pick());
    list.Reset({"http://a", "http://b"});
    std::set<std::string> picked;
    for (int i = 0; i < 200; ++i) {
        picked.insert(*list.Pick());
    }
    EXPECT_EQ(picked.size(), 2u);  // both are used

    // Workers of one file may see the same mirror fail: noted once.
    std::vector<std::thread> workers;
    for (int i = 0; i < 3; ++i) {
        workers.emplace_back([&list] { list.Fail("http://a", "HTTP 500"); });
    }
    for (std::thread& w : workers) {
        w.join();
    }
    EXPECT_EQ(list.Failures(), (std::vector<std::string>{"http://a: HTTP 500"}));
    EXPECT_FALSE(list.Usable("http://a"));
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(*list.Pick(), "http://b");
    }
    list.Fail("http://b", "timed out");
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.Pick());

    list.Reset({"http://a", "http://b"});
    EXPECT_TRUE(list.Usable("http://a"));
    EXPECT_TRUE(list.Failures().empty());
}

}  // namespace
