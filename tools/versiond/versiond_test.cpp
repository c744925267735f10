#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "Catalog.h"
#include "VersionServer.h"
#include "cpk/Md5.h"
#include "patcher/VersionCheck.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"
#include "sign/Release.h"
#include "testsupport/wait.h"
#include "version_servers.h"

namespace {

std::string Md5HexOf(const std::string& bytes) {
    uint8_t d[16];
    Md5OfBuffer(bytes.data(), bytes.size(), d);
    return Md5Hex(d);
}

using Bytes = std::vector<uint8_t>;
using platform::TcpSocket;
using platform::WaitResult;

TEST(Manifest, DirectivesCommentsAndLineEnds) {
    std::string error;
    auto m = versiond::ParseManifest(
        "# header\r\n"
        "latest 12   # newest\r\n"
        "\n"
        "mirror 3 10.0.0.3\n"
        "mirror -1 10.0.0.4\n"
        "mirror\t*\t10.0.0.1\n"
        "path 10 a\\x.cpk b\\y.cpk\n"
        "path 11\n"
        "path 9 \xB2\xB9\\\xB6\xA1.cpk",
        &error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->latest, 12);
    EXPECT_EQ(m->mirrors.at(3), (IPv4Bytes{10, 0, 0, 3}));
    EXPECT_EQ(m->mirrors.at(-1), (IPv4Bytes{10, 0, 0, 4}));
    EXPECT_EQ(m->defaultMirror, (IPv4Bytes{10, 0, 0, 1}));
    EXPECT_EQ(m->paths.at(10), (std::vector<std::string>{"a\\x.cpk", "b\\y.cpk"}));
    EXPECT_TRUE(m->paths.at(11).empty());
    EXPECT_EQ(m->paths.at(9).size(), 1u);
}

TEST(Manifest, PathsInUtf8OrGbkWithEitherSeparatorNameTheSameFiles) {
    const std::string gbk = platform::Utf8ToGbk("\xE4\xB8\xAD\xE6\x96\x87");  // two characters
    const std::string text =
        "latest 5\nmirror * 1.2.3.4\n"
        "path 1 v1/\xE4\xB8\xAD\xE6\x96\x87\\x.cpk\n"  // UTF-8, both separators
        "path 2 v2\\" +
        gbk + "\\y.cpk\n";  // GBK
    std::string error;
    auto m = versiond::ParseManifest(text, &error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->paths.at(1), std::vector<std::string>{"v1\\" + gbk + "\\x.cpk"});
    EXPECT_EQ(m->paths.at(2), std::vector<std::string>{"v2\\" + gbk + "\\y.cpk"});
}

TEST(Manifest, MistakesAreReportedWithTheirLine) {
    const std::string base = "latest 5\nmirror * 1.2.3.4\n";
    const std::pair<std::string, std::string> cases[] = {
        {"mirror * 1.2.3.4\n", "no latest"},
        {"latest 5\n", "mirror *"},
        {base + "web * ftp://1.2.3.4\n", "line 3: ftp://1.2.3.4: not an http"},
        {base + "web * http://a b\n", "expected: web LINE URL"},
        {base + "web x http://a\n", "not a line type"},
        {base + "web * http://" + std::string(300, 'a') + "\n", "longer than 255"},
        {base + "web 2 http://a\nweb 2 http://b\nweb 2 http://c\nweb 2 http://d\n"
                "web 2 http://e\nweb 2 http://f\nweb 2 http://g\nweb 2 http://h\n"
                "web 2 http://i\n",
         "line 11: more than 8 web lines for line 2"},
        {base + "latest 6\n", "line 3: a second latest"},
        {base + "latest x\n", "line 3"},
        {base + "mirror 1 1.2.3\n", "not a dotted"},
        {base + "mirror * 1.2.3.5\n", "a second mirror"},
        {base + "mirror 1 1.1.1.1\nmirror 1 1.1.1.2\n", "line 4: a second mirror for line 1"},
        {base + "path 4 a.cpk\npath 4 b.cpk\n", "line 4: a second path"},
        {base + "path 5 a.cpk\n", "from the latest"},
        {base + "path 99999999999 a.cpk\n", "not a version"},
        {base + "path -1 a.cpk\n", "not a version"},
        {base + "serve 1\n", "unknown directive"},
        {base + "path 1 ..\\up.cpk\n", "\"..\""},
        {base + "path 1 a\\\\b.cpk\n", "empty"},
        {base + "path 1 \\abs.cpk\n", "empty"},
        {base + "path 1 a//b.cpk\n", "empty"},
        {base + "path 1 /abs.cpk\n", "empty"},
        {base + "path 1 \xF0\x9F\x98\x80.cpk\n", "a character GBK cannot hold"},  // an emoji
        {base + "path 1 c:x.cpk\n", "\":\""},
        {base + "path 1 ab\n", "shorter than 3"},
        {base + "path 1 d\\" + std::string(kPatchPathMax, 'n') + "\n", "longer than"},
        {base + "path 1 d\\" + std::string(kPatchPathMax - 8, 'n') + "\n", "too long"},
        {base + std::string("path 1 a\0.cpk\n", 14), "NUL"},
    };
    for (const auto& [text, reason] : cases) {
        std::string error;
        EXPECT_FALSE(versiond::ParseManifest(text, &error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << error << " | " << text;
    }
}

Bytes Frames(const versiond::Catalog& c, int32_t version, int32_t line,
             versiond::Answer* answer = nullptr) {
    Bytes out;
    versiond::Answer a = c.Respond({version, line}, out);
    if (answer) {
        *answer = a;
    }
    return out;
}

// The bodies of the frames in bytes, in order.
std::vector<Bytes> Bodies(const Bytes& frames) {
    std::vector<Bytes> bodies;
    size_t pos = 0;
    while (pos < frames.size()) {
        versiond::FrameCut cut = versiond::NextFrame(frames.data() + pos, frames.size() - pos);
        EXPECT_EQ(cut.kind, versiond::FrameCut::kFrame);
        if (cut.kind != versiond::FrameCut::kFrame) {
            break;
        }
        bodies.emplace_back(frames.begin() + pos + cut.bodyOffset,
                            frames.begin() + pos + cut.bodyOffset + cut.bodySize);
        pos += cut.bodyOffset + cut.bodySize;
    }
    return bodies;
}

TEST(Catalog, AnswersEveryCode) {
    testsupport::TempDir dir;
    std::string manifestText = "latest 4\nmirror 7 10.0.0.7\nmirror * 10.0.0.1\npath 3\npath 1";
    for (int i = 0; i < 25; ++i) {
        std::string name = "p\\" + std::string(70, 'q') + std::to_string(i) + ".cpk";
        testsupport::WriteFile(dir / name, "contents " + std::to_string(i));
        manifestText += " " + name;
    }
    std::string error;
    auto manifest = versiond::ParseManifest(manifestText, &error);
    ASSERT_TRUE(manifest) << error;
    auto catalog = versiond::Catalog::Build(*manifest, dir.path(), &error);
    ASSERT_TRUE(catalog) << error;
    EXPECT_EQ(catalog->files().size(), 25u);
    EXPECT_EQ(catalog->files()[3].size, std::string("contents 3").size());

    versiond::Answer a;
    struct Expect {
        int32_t version, line;
        uint8_t code;
        IPv4Bytes mirror;
    } cases[] = {{4, 0, kVersionCurrent, {10, 0, 0, 1}},
                 {3, 7, kVersionEmptyPath, {10, 0, 0, 7}},
                 {2, 0, kVersionNoPath, {10, 0, 0, 1}},
                 {-1, 0, kVersionNoPath, {10, 0, 0, 1}}};
    for (const Expect& e : cases) {
        auto bodies = Bodies(Frames(*catalog, e.version, e.line, &a));
        ASSERT_EQ(bodies.size(), 2u);
        EXPECT_EQ(DecodeDownloadAddress(bodies[0].data(), bodies[0].size()), e.mirror);
        auto result = DecodeVersionResult(bodies[1].data(), bodies[1].size());
        ASSERT_TRUE(result);
        EXPECT_EQ(result->code, e.code) << e.version;
        EXPECT_EQ(result->targetVersion, 4);
        EXPECT_EQ(a.code, e.code);
    }

    auto bodies = Bodies(Frames(*catalog, 1, 0, &a));
    EXPECT_EQ(a.files, 25u);
    ASSERT_GT(bodies.size(), 4u);
    auto result = DecodeVersionResult(bodies[1].data(), bodies[1].size());
    EXPECT_EQ(result->code, kVersionFilesFollow);
    EXPECT_EQ(result->fileCount, 25u);
    size_t listed = 0;
    for (size_t i = 2; i < bodies.size(); ++i) {
        EXPECT_LE(bodies[i].size(), kMaxFrameBody);
        auto items = DecodeFileList(bodies[i].data(), bodies[i].size());
        ASSERT_TRUE(items);
        for (const FileListItem& item : *items) {
            std::string expected = "contents " + std::to_string(listed);
            EXPECT_EQ(item.md5, Md5HexOf(expected));
            ++listed;
        }
    }
    EXPECT_EQ(listed, 25u);
}

// Web bases travel in 9003s between the FTP address and the result, where
// a patcher that knows no 9003 passes over them and still finds its FTP
// server, result and files.
TEST(Catalog, WebLinesAreSentBeforeTheResultAndLeaveTheRestAsItWas) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "p\\a.cpk", "a");
    const std::string manifestText =
        "latest 2\nmirror * 10.0.0.1\nweb * https://cdn.example.net/t/\n"
        "web * http://files.example.net:8080\nweb 7 http://line7.example.net\npath 1 p\\a.cpk\n";
    std::string error;
    auto manifest = versiond::ParseManifest(manifestText, &error);
    ASSERT_TRUE(manifest) << error;
    auto catalog = versiond::Catalog::Build(*manifest, dir.path(), &error);
    ASSERT_TRUE(catalog) << error;
    struct Case {
        int32_t line;
        std::vector<std::string> bases;
    } cases[] = {{0, {"https://cdn.example.net/t/", "http://files.example.net:8080"}},
                 {7, {"http://line7.example.net"}}};
    for (const Case& c : cases) {
        versiond::Answer a;
        auto bodies = Bodies(Frames(*catalog, 1, c.line, &a));
        ASSERT_EQ(bodies.size(), 3 + c.bases.size());
        for (size_t i = 0; i < c.bases.size(); ++i) {
            EXPECT_EQ(DecodeWebMirror(bodies[1 + i].data(), bodies[1 + i].size()), c.bases[i]);
        }
        PatchFileList list;
        VersionReplyCollector collector(list);
        for (const auto& body : bodies) {
            collector.Take(body.data(), body.size());
        }
        const VersionReply& r = collector.reply();
        EXPECT_TRUE(r.done);
        EXPECT_EQ(r.DownloadAddress(), "10.0.0.1");
        EXPECT_EQ(r.targetVersion, 2);
        ASSERT_EQ(list.Count(), 1u);
        EXPECT_EQ(list.At(0).fileName, "a.cpk");
        EXPECT_EQ(r.webMirrors, c.bases);
    }
    // Web alone: the FTP address is 0.0.0.0.
    manifest = versiond::ParseManifest("latest 2\nweb * http://cdn.example.net\n", &error);
    ASSERT_TRUE(manifest) << error;
    catalog = versiond::Catalog::Build(*manifest, dir.path(), &error);
    ASSERT_TRUE(catalog) << error;
    versiond::Answer a;
    auto bodies = Bodies(Frames(*catalog, 2, 0, &a));
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_EQ(DecodeDownloadAddress(bodies[0].data(), bodies[0].size()), (IPv4Bytes{0, 0, 0, 0}));
}

TEST(Catalog, MissingFilesAreStartUpErrors) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "a.cpk", "a");
    testsupport::WriteFile(dir / "sub\\x", "");
    std::string error;
    auto m = versiond::ParseManifest("latest 2\nmirror * 1.1.1.1\npath 1 a.cpk b.cpk\n", &error);
    ASSERT_TRUE(m);
    EXPECT_FALSE(versiond::Catalog::Build(*m, dir.path(), &error));
    EXPECT_NE(error.find("b.cpk"), std::string::npos) << error;
    // A folder is not a file to serve.
    m = versiond::ParseManifest("latest 2\nmirror * 1.1.1.1\npath 1 sub\n", &error);
    ASSERT_TRUE(m) << error;
    EXPECT_FALSE(versiond::Catalog::Build(*m, dir.path(), &error));
    EXPECT_NE(error.find("sub"), std::string::npos) << error;
    m = versiond::ParseManifest("latest 2\nmirror * 1.1.1.1\npath 1 a.cpk\n", &error);
    ASSERT_TRUE(m);
    EXPECT_TRUE(versiond::Catalog::Build(*m, dir.path(), &error)) << error;
}

// ---- Serving under a release file ----

// Three packages from 100 to 103, as "mkpatch release" writes them.
struct ReleasedRoot {
    ReleasedRoot() {
        const std::pair<const char*, const char*> files[] = {{"v100\\p101.cpk", "first package"},
                                                             {"v101\\p102.cpk", "second"},
                                                             {"v102\\p103.cpk", "third package"}};
        std::string text = "tesmar release 1\nserial 4\nexpires 2027-01-10T00:00:00Z\nlatest 103\n";
        int32_t from = 100;
        for (const auto& [path, contents] : files) {
            testsupport::WriteFile(dir / path, contents);
            text += "step " + std::to_string(from) + " " + std::to_string(from + 1) + " " + path +
                    " " + std::to_string(std::string(contents).size()) + " " + Md5HexOf(contents) +
                    "\n";
            ++from;
        }
        std::string why;
        release = *sign::ParseRelease(text, &why);
    }
    testsupport::TempDir dir;
    sign::Release release;
};

std::vector<std::string> Listed(const versiond::Catalog& c, int32_t version, uint8_t* code) {
    auto bodies = Bodies(Frames(c, version, 0));
    std::vector<std::string> paths;
    EXPECT_GE(bodies.size(), 2u);
    if (bodies.size() < 2) {
        return paths;
    }
    *code = DecodeVersionResult(bodies[1].data(), bodies[1].size())->code;
    for (size_t i = 2; i < bodies.size(); ++i) {
        const std::optional<std::vector<FileListItem>> items =
            DecodeFileList(bodies[i].data(), bodies[i].size());
        EXPECT_TRUE(items);
        for (const FileListItem& item : items.value_or(std::vector<FileListItem>())) {
            paths.push_back(item.path + " " + item.md5);
        }
    }
    return paths;
}

TEST(Release, PathsComeFromTheReleaseAndTheManifestMustAgree) {
    ReleasedRoot root;
    std::string error;
    // The manifest names one path, in agreement, and one empty path.
    auto manifest = versiond::ParseManifest(
        "latest 103\nmirror * 10.0.0.1\npath 101 v101/p102.cpk v102/p103.cpk\npath 99\n", &error);
    ASSERT_TRUE(manifest) << error;
    auto served = versiond::ManifestUnderRelease(*manifest, root.release, &error);
    ASSERT_TRUE(served) << error;
    auto catalog = versiond::Catalog::Build(*served, root.dir.path(), &error);
    ASSERT_TRUE(catalog) << error;
    EXPECT_EQ(catalog->DisagreementWith(root.release), "");
    EXPECT_EQ(catalog->latest(), 103);

    uint8_t code = 0;
    EXPECT_EQ(Listed(*catalog, 100, &code),
              (std::vector<std::string>{"v100\\p101.cpk " + Md5HexOf("first package"),
                                        "v101\\p102.cpk " + Md5HexOf("second"),
                                        "v102\\p103.cpk " + Md5HexOf("third package")}));
    EXPECT_EQ(code, kVersionFilesFollow);
    EXPECT_EQ(Listed(*catalog, 102, &code).size(), 1u);
    EXPECT_TRUE(Listed(*catalog, 99, &code).empty());
    EXPECT_EQ(code, kVersionEmptyPath);
    Listed(*catalog, 98, &code);
    EXPECT_EQ(code, kVersionNoPath);
    Listed(*catalog, 103, &code);
    EXPECT_EQ(code, kVersionCurrent);

    const std::string head = "mirror * 10.0.0.1\n";
    const std::pair<std::string, std::string> disagreements[] = {
        {head + "latest 104\n", "the manifest's latest is 104, the release file's 103"},
        {head + "latest 103\npath 101 v102/p103.cpk\n",
         "manifest line 3: the path from 101 names v102\\p103.cpk, the release file "
         "v101\\p102.cpk v102\\p103.cpk"},
        {head + "latest 103\npath 100 v100/p101.cpk v101/p102.cpk\n", "manifest line 3"},
        {head + "latest 103\npath 90 v100/p101.cpk\n",
         "the path from 90 names v100\\p101.cpk, the release file no files"},
        {head + "latest 103\n\npath 102\n", "manifest line 4: the path from 102 names no files"},
    };
    for (const auto& [text, reason] : disagreements) {
        manifest = versiond::ParseManifest(text, &error);
        ASSERT_TRUE(manifest) << error;
        EXPECT_FALSE(versiond::ManifestUnderRelease(*manifest, root.release, &error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    // A step the patcher could not download.
    sign::Release unusable = root.release;
    unusable.steps[2].path = "ab";
    manifest = versiond::ParseManifest(head + "latest 103\n", &error);
    EXPECT_FALSE(versiond::ManifestUnderRelease(*manifest, unusable, &error));
    EXPECT_NE(error.find("step from 102: ab: shorter than 3"), std::string::npos) << error;
}

TEST(Release, FilesMustBeWhatTheReleaseSays) {
    ReleasedRoot root;
    std::string error;
    auto manifest = versiond::ParseManifest("latest 103\nmirror * 10.0.0.1\n", &error);
    auto served = versiond::ManifestUnderRelease(*manifest, root.release, &error);
    ASSERT_TRUE(served) << error;
    // Another package of the same size, and one of another size.
    testsupport::WriteFile(root.dir / "v101\\p102.cpk", "SECOND");
    auto catalog = versiond::Catalog::Build(*served, root.dir.path(), &error);
    ASSERT_TRUE(catalog) << error;
    EXPECT_EQ(catalog->DisagreementWith(root.release), "v101\\p102.cpk: MD5 " + Md5HexOf("SECOND") +
                                                           ", the release file says " +
                                                           Md5HexOf("second"));
    testsupport::WriteFile(root.dir / "v101\\p102.cpk", "second!");
    catalog = versiond::Catalog::Build(*served, root.dir.path(), &error);
    ASSERT_TRUE(catalog) << error;
    EXPECT_EQ(catalog->DisagreementWith(root.release),
              "v101\\p102.cpk: 7 bytes, the release file says 6");
    // A file the catalog serves that the release does not know.
    testsupport::WriteFile(root.dir / "extra.cpk", "x");
    manifest = versiond::ParseManifest("latest 2\nmirror * 10.0.0.1\npath 1 extra.cpk\n", &error);
    catalog = versiond::Catalog::Build(*manifest, root.dir.path(), &error);
    ASSERT_TRUE(catalog) << error;
    EXPECT_EQ(catalog->DisagreementWith(root.release), "extra.cpk: not in the release file");
}

TEST(Release, TheFileIsReadOnlyWhenSmallValidCurrentAndSigned) {
    ReleasedRoot root;
    const std::string path = root.dir / "release.txt";
    const int64_t before = root.release.expires - 1;
    std::string error;
    testsupport::WriteFile(path, sign::FormatRelease(root.release));
    auto loaded = versiond::LoadRelease(path, {}, before, &error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(*loaded, root.release);

    struct Case {
        std::string text;
        int64_t now;
        std::string reason;
    } cases[] = {
        {sign::FormatRelease(root.release), before + 1, "expired at 2027-01-10T00:00:00Z"},
        {sign::FormatRelease(root.release) + "latest 5\n", before, "line 8: a second latest"},
        {std::string(sign::kReleaseBytesMax + 1, '#'), before, "larger than"},
    };
    for (const Case& c : cases) {
        testsupport::WriteFile(path, c.text);
        EXPECT_FALSE(versiond::LoadRelease(path, {}, c.now, &error)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    EXPECT_FALSE(versiond::LoadRelease(root.dir / "missing.txt", {}, before, &error));

    // Signed with minisign where it can run (not under an emulator).
    const std::string pub = root.dir / "k.pub";
    auto made = platform::StartProgram("minisign",
                                       {"-G", "-W", "-p", platform::NativePath(pub), "-s",
                                        platform::NativePath(root.dir / "k.key")},
                                       "");
    if (!made || made->Wait(-1).value_or(1) != 0) {
        GTEST_SKIP() << "minisign cannot be run here";
    }
    auto key = sign::ParsePublicKeyFile(testsupport::ReadFile(pub), &error);
    ASSERT_TRUE(key) << error;
    testsupport::WriteFile(path, sign::FormatRelease(root.release));
    EXPECT_FALSE(versiond::LoadRelease(path, {*key}, before, &error));
    EXPECT_NE(error.find("not signed by the key"), std::string::npos) << error;
    auto signer = platform::StartProgram(
        "minisign",
        {"-S", "-s", platform::NativePath(root.dir / "k.key"), "-m", platform::NativePath(path)},
        "");
    ASSERT_TRUE(signer && signer->Wait(-1).value_or(1) == 0);
    EXPECT_TRUE(versiond::LoadRelease(path, {*key}, before, &error)) << error;
    // Changed after signing: a step of the release dropped.
    sign::Release changed = root.release;
    changed.steps.erase(changed.steps.begin());
    testsupport::WriteFile(path, sign::FormatRelease(changed));
    EXPECT_FALSE(versiond::LoadRelease(path, {*key}, before, &error));
    EXPECT_NE(error.find("not signed by the key"), std::string::npos) << error;
}

versiond::Catalog SmallCatalog() {
    std::string error;
    auto m = versiond::ParseManifest("latest 2\nmirror * 1.1.1.1\n", &error);
    return *versiond::Catalog::Build(*m, ".", &error);
}

TEST(HandleInput, FramesAreCutAndBounded) {
    versiond::Catalog c = SmallCatalog();
    Bytes in;
    for (int i = 0; i < 3; ++i) {
        Bytes f = MakeFrame(EncodeVersionRequest({i, 0}));
        in.insert(in.end(), f.begin(), f.end());
    }
    Bytes other = MakeFrame({0x11, 0x11, 4, 0});
    in.insert(in.end(), other.begin(), other.end());
    Bytes tiny = MakeFrame({1});
    in.insert(in.end(), tiny.begin(), tiny.end());
    in.push_back(12);  // a partial length prefix

    std::vector<std::string> log;
    Bytes out;
    auto o = versiond::HandleInput(c, in.data(), in.size(), out, 1 << 20,
                                   [&](const std::string& l) { log.push_back(l); });
    EXPECT_TRUE(o.usable);
    EXPECT_EQ(o.answered, 3u);
    EXPECT_EQ(o.used, in.size() - 1);
    EXPECT_EQ(log.size(), 5u);
    EXPECT_NE(log[3].find("type 4369"), std::string::npos) << log[3];
    EXPECT_EQ(Bodies(out).size(), 6u);

    // Output is bounded: the rest waits in the input.
    out.clear();
    o = versiond::HandleInput(c, in.data(), in.size(), out, 1, nullptr);
    EXPECT_EQ(o.answered, 1u);
    EXPECT_EQ(o.used, kFrameLengthSize + kVersionRequestSize);

    // A prefix over the limit makes the connection unusable at once.
    Bytes hostile{0xF1, 0x01, 0, 0};
    out.clear();
    o = versiond::HandleInput(c, hostile.data(), hostile.size(), out, 1 << 20, nullptr);
    EXPECT_FALSE(o.usable);
    EXPECT_TRUE(out.empty());
    Bytes exact = MakeFrame(Bytes(kMaxFrameBody, 0));
    o = versiond::HandleInput(c, exact.data(), exact.size(), out, 1 << 20, nullptr);
    EXPECT_TRUE(o.usable);
    EXPECT_EQ(o.used, exact.size());
}

// ---- The server under misbehaving clients ----

const char* kManifest = "latest 2\nmirror * 1.1.1.1\npath 1 a.cpk\n";

TcpSocket Dial(uint16_t port) {
    auto s = TcpSocket::Create();
    EXPECT_TRUE(s);
    EXPECT_TRUE(s->Connect("127.0.0.1", port));
    return std::move(s.value());
}

// What a loaded machine, a sanitizer or Wine may add to any step. Waits end
// as soon as their condition holds; running out is a failure.
constexpr uint32_t kMarginMs = testsupport::kWaitLimitMs;

// Reads until the server closes; answers the bytes and whether it closed
// within ms.
bool ReadUntilClosed(TcpSocket& s, uint32_t ms = kMarginMs, Bytes* got = nullptr) {
    uint64_t end = platform::TickCount64() + ms;
    while (platform::TickCount64() < end) {
        if (s.WaitReadable(50) != WaitResult::kReady) {
            continue;
        }
        uint8_t buf[4096];
        auto r = s.Recv(buf, sizeof buf);
        if (!r || *r == 0) {
            return true;
        }
        if (got) {
            got->insert(got->end(), buf, buf + *r);
        }
    }
    return false;
}

Bytes Request(int32_t version) {
    return MakeFrame(EncodeVersionRequest({version, 0}));
}

TEST(VersionServer, OversizedFrameClosesOnlyThatClient) {
    testsupport::LoopbackVersionServer server(kManifest, {{"a.cpk", "a"}});
    ASSERT_TRUE(server.ok()) << server.error();
    TcpSocket good = Dial(server.port());
    TcpSocket bad = Dial(server.port());
    Bytes hostile{0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    ASSERT_TRUE(bad.SendAll(hostile.data(), hostile.size()));
    EXPECT_TRUE(ReadUntilClosed(bad));

    Bytes req = Request(1);
    ASSERT_TRUE(good.SendAll(req.data(), req.size()));
    ASSERT_TRUE(good.ShutdownSend());
    Bytes answer;
    EXPECT_TRUE(ReadUntilClosed(good, kMarginMs, &answer));
    EXPECT_EQ(Bodies(answer).size(), 3u);
    auto log = server.log();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log[0].find("longer than 496"), std::string::npos) << log[0];
}

// The server's clock, run by the test. The server reads it twice per turn of
// its loop (before and after waiting for its sockets) and judges the
// time-outs with the second reading; three readings after a change, one
// whole turn has been judged at the new time.
class TestClock {
public:
    uint32_t Read() {
        ++reads_;
        return now_;
    }
    // Moves the clock on and waits until the server has judged a turn at
    // the new time.
    bool Advance(uint32_t ms) {
        now_ += ms;
        const uint64_t seen = reads_;
        return testsupport::WaitUntil([&] { return reads_ >= seen + 3; });
    }

private:
    std::atomic<uint32_t> now_{1000};
    std::atomic<uint64_t> reads_{0};
};

TEST(VersionServer, IdleAndStalledClientsAreClosed) {
    // Time moves only when the test says so, after the server has seen what
    // was sent: no client is closed for the machine being slow, and each is
    // closed when its own time-out has passed, not before.
    constexpr uint32_t kStallMs = 300;
    constexpr uint32_t kIdleMs = 1000;
    TestClock clock;
    versiond::ServerOptions options;
    options.idleTimeoutMs = kIdleMs;
    options.stallTimeoutMs = kStallMs;
    options.clock = [&] { return clock.Read(); };
    testsupport::LoopbackVersionServer server(kManifest, {{"a.cpk", "a"}}, options);
    ASSERT_TRUE(server.ok()) << server.error();
    auto& vs = server.server();

    TcpSocket idle = Dial(server.port());
    TcpSocket partial = Dial(server.port());
    TcpSocket trickle = Dial(server.port());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return vs.ClientCount() == 3; }));
    Bytes req = Request(1);
    ASSERT_TRUE(partial.SendAll(req.data(), 5));
    ASSERT_TRUE(trickle.SendAll(req.data(), 1));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return vs.BytesReceived() == 6; }));

    // One byte more halfway is no progress on the request.
    ASSERT_TRUE(clock.Advance(kStallMs / 2));
    ASSERT_TRUE(trickle.SendAll(req.data() + 1, 1));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return vs.BytesReceived() == 7; }));

    // At the stall time-out itself everyone stays; past it both partial
    // requests are closed, and the idle client stays.
    ASSERT_TRUE(clock.Advance(kStallMs / 2));
    EXPECT_EQ(vs.ClientCount(), 3u);
    ASSERT_TRUE(clock.Advance(1));
    EXPECT_EQ(vs.ClientCount(), 1u);
    EXPECT_TRUE(ReadUntilClosed(partial));
    EXPECT_TRUE(ReadUntilClosed(trickle));

    // The idle client goes once nothing has happened for the idle time-out.
    ASSERT_TRUE(clock.Advance(kIdleMs - kStallMs - 1));
    EXPECT_EQ(vs.ClientCount(), 1u);
    ASSERT_TRUE(clock.Advance(1));
    EXPECT_EQ(vs.ClientCount(), 0u);
    EXPECT_TRUE(ReadUntilClosed(idle));

    auto log = server.log();
    size_t idleLines = 0;
    size_t stalledLines = 0;
    for (const auto& l : log) {
        idleLines += l.find("idle for 1000 ms") != std::string::npos;
        stalledLines += l.find("request stalled for 300 ms") != std::string::npos;
    }
    EXPECT_EQ(idleLines, 1u);
    EXPECT_EQ(stalledLines, 2u);
}

TEST(VersionServer, AClientThatDoesNotReadDoesNotHoldUpOthers) {
    testsupport::LoopbackVersionServer server(kManifest, {{"a.cpk", "a"}});
    ASSERT_TRUE(server.ok()) << server.error();
    // Thousands of requests, no reads: the server stops reading from it once
    // its answers back up, instead of buffering without end.
    TcpSocket hog = Dial(server.port());
    ASSERT_TRUE(hog.SetNonBlocking(true));
    Bytes many;
    for (int i = 0; i < 20000; ++i) {
        Bytes r = Request(1);
        many.insert(many.end(), r.begin(), r.end());
    }
    size_t pushed = 0;
    uint64_t start = platform::TickCount64();
    while (pushed < many.size() && platform::TickCount64() - start < 2000) {
        auto r = hog.Send(many.data() + pushed, many.size() - pushed);
        if (r) {
            pushed += *r;
        } else {
            platform::SleepMs(10);
        }
    }
    EXPECT_LT(server.server().RequestsAnswered(), 20000u);

    for (int i = 0; i < 20; ++i) {
        TcpSocket c = Dial(server.port());
        Bytes req = Request(2);
        ASSERT_TRUE(c.SendAll(req.data(), req.size()));
        ASSERT_TRUE(c.ShutdownSend());
        Bytes answer;
        ASSERT_TRUE(ReadUntilClosed(c, kMarginMs, &answer));
        EXPECT_EQ(Bodies(answer).size(), 2u);
    }
}

TEST(VersionServer, ManyClientsAtOnce) {
    versiond::ServerOptions options;
    testsupport::LoopbackVersionServer server(kManifest, {{"a.cpk", "a"}}, options);
    ASSERT_TRUE(server.ok()) << server.error();
    std::vector<TcpSocket> clients;
    for (int i = 0; i < 300; ++i) {
        clients.push_back(Dial(server.port()));
    }
    Bytes req = Request(1);
    for (auto& c : clients) {
        ASSERT_TRUE(c.SendAll(req.data(), req.size()));
        ASSERT_TRUE(c.ShutdownSend());
    }
    for (auto& c : clients) {
        Bytes answer;
        ASSERT_TRUE(ReadUntilClosed(c, kMarginMs, &answer));
        ASSERT_EQ(Bodies(answer).size(), 3u);
    }
    EXPECT_EQ(server.server().RequestsAnswered(), 300u);
    EXPECT_EQ(server.log().size(), 300u);
}

}  // namespace
