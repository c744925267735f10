// "mkpatch release": the steps deduced from versiond's manifest, the
// contradictions it refuses, and the release file it writes (and signs).
#include "MkRelease.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cpk/Md5.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"
#include "sign/Minisign.h"
#include "testsupport/temp_dir.h"

namespace {

using sign::ReleaseStep;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

constexpr int64_t kNow = 1799539200;  // 2027-01-10T00:00:00Z
const std::string kKey = "RWQ1LP2gPNNw0hybam5uwTqZ5SfenxvuRrYjnoi5UcQAxhNsPhMjn0V6";

// Three packages from 100 to 103; 100 and 101 upgrade through all of them.
const std::string kManifest =
    "latest 103\n"
    "mirror * 10.0.0.1\n"
    "path 100 v100/p101.cpk v101/p102.cpk v102/p103.cpk\n"
    "path 101 v101/p102.cpk v102/p103.cpk\n"
    "path 102 v102/p103.cpk\n"
    "path 99\n";

versiond::Manifest Manifest(const std::string& text) {
    std::string why;
    std::optional<versiond::Manifest> m = versiond::ParseManifest(text, &why);
    EXPECT_TRUE(m) << why;
    return m.value_or(versiond::Manifest());
}

std::string Md5Of(const std::string& bytes) {
    uint8_t d[16];
    Md5OfBuffer(bytes.data(), bytes.size(), d);
    return Md5Hex(d);
}

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome Release(std::vector<std::string> args) {
    args.insert(args.begin(), {"mkpatch", "release"});
    std::ostringstream out, err;
    const int code = RunMkRelease(args, out, err, [] { return kNow; });
    return {code, out.str(), err.str()};
}

std::string Arg(const std::string& systemPath) {
    return platform::GbkToUtf8(platform::NativePath(systemPath));
}

TEST(StepsOfManifest, EachPackageLeadsToTheStartOfTheNextLine) {
    std::string why;
    auto steps = StepsOfManifest(Manifest(kManifest), &why);
    ASSERT_TRUE(steps) << why;
    EXPECT_EQ(*steps, (std::vector<ReleaseStep>{{100, 101, "v100\\p101.cpk", 0, ""},
                                                {101, 102, "v101\\p102.cpk", 0, ""},
                                                {102, 103, "v102\\p103.cpk", 0, ""}}));

    // A cumulative package: 100 skips 101 by one file, 101 goes step by step.
    steps = StepsOfManifest(Manifest("latest 103\nmirror * 1.1.1.1\n"
                                     "path 100 full.cpk\n"
                                     "path 101 a.cpk b.cpk\n"
                                     "path 102 b.cpk\n"),
                            &why);
    ASSERT_TRUE(steps) << why;
    EXPECT_EQ(*steps, (std::vector<ReleaseStep>{{100, 103, "full.cpk", 0, ""},
                                                {101, 102, "a.cpk", 0, ""},
                                                {102, 103, "b.cpk", 0, ""}}));
}

TEST(StepsOfManifest, ContradictionsAndGapsNameTheLineAndTheFile) {
    const std::string head = "latest 103\nmirror * 1.1.1.1\n";
    const std::pair<std::string, std::string> cases[] = {
        // b.cpk ends the path from 100 (to latest) but leads on to c.cpk from 101.
        {head + "path 100 a.cpk b.cpk\npath 101 b.cpk c.cpk\npath 102 c.cpk\n",
         "manifest line 4: b.cpk: leads to 102 here but to 103 on the path from 100"},
        {head + "path 100 a.cpk b.cpk\n", "manifest line 3: b.cpk: no path line starts with it"},
        {head + "path 100 a.cpk\npath 101 a.cpk\n",
         "manifest line 4: a.cpk: starts the paths from 100 and from 101"},
        {head + "path 101 a.cpk b.cpk\npath 100 b.cpk\n",
         "manifest line 3: a.cpk: would lead from 101 to 100"},
        {head + "path 200 a.cpk\n", "a.cpk: would lead from 200 to 103"},
        {head + "path 100 a.cpk b.cpk a.cpk\npath 101 b.cpk\n", "not to a later version"},
    };
    for (const auto& [text, reason] : cases) {
        std::string why;
        EXPECT_FALSE(StepsOfManifest(Manifest(text), &why)) << text;
        EXPECT_NE(why.find(reason), std::string::npos) << why << " | " << text;
    }
}

class MkReleaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root_ / "v100\\p101.cpk", "first package");
        WriteFile(root_ / "v101\\p102.cpk", "second");
        WriteFile(root_ / "v102\\p103.cpk", "");
        WriteFile(manifest_, kManifest);
        WriteFile(key_, "untrusted comment: minisign public key 1\n" + kKey + "\n");
    }
    std::vector<std::string> Args(const std::string& serial) {
        return {"--manifest", Arg(manifest_), "--root", Arg(root_.path()), "--serial",
                serial,       "--expires",    "30",     "--key",           Arg(key_)};
    }

    TempDir root_;
    TempDir work_;
    const std::string manifest_ = work_ / "versiond.manifest";
    const std::string key_ = work_ / "tesmar.pub";
    const std::string written_ = root_ / "release.txt";
};

TEST_F(MkReleaseTest, WritesTheReleaseBesideThePackages) {
    Outcome o = Release(Args("12"));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("release 12: latest 103, 3 steps, 1 keys, expires 2027-02-09T00:00:00Z"),
              std::string::npos)
        << o.out;
    std::string why;
    std::optional<sign::Release> r = sign::ParseRelease(ReadFile(written_), &why);
    ASSERT_TRUE(r) << why;
    EXPECT_EQ(r->serial, 12u);
    EXPECT_EQ(r->expires, kNow + 30 * 86400);
    EXPECT_EQ(r->latest, 103);
    EXPECT_EQ(r->keys, std::vector<std::string>{kKey});
    EXPECT_EQ(r->steps,
              (std::vector<ReleaseStep>{{100, 101, "v100\\p101.cpk", 13, Md5Of("first package")},
                                        {101, 102, "v101\\p102.cpk", 6, Md5Of("second")},
                                        {102, 103, "v102\\p103.cpk", 0, Md5Of("")}}));
    EXPECT_FALSE(platform::Exists(written_ + ".new"));

    // The next release must have a greater serial; the file there stays.
    const std::string before = ReadFile(written_);
    o = Release(Args("12"));
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("has serial 12: the new one must be greater"), std::string::npos) << o.err;
    EXPECT_EQ(ReadFile(written_), before);
    std::vector<std::string> args = Args("13");
    args.insert(args.end(), {"--out", Arg(work_ / "elsewhere.txt")});
    o = Release(args);
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(sign::ParseRelease(ReadFile(work_ / "elsewhere.txt"), &why)) << why;
}

TEST_F(MkReleaseTest, RefusesWhatWouldMakeAWrongRelease) {
    struct Case {
        std::string manifest;  // "" keeps kManifest
        std::vector<std::string> extra;
        std::string reason;
    } cases[] = {
        {"latest 103\nmirror * 1.1.1.1\npath 100 v100/p101.cpk v101/p102.cpk\n",
         {},
         "versiond.manifest: manifest line 3: v101\\p102.cpk: no path line starts with it"},
        {"latest 103\nmirror * 1.1.1.1\npath 100 v100/gone.cpk\n", {}, "gone.cpk: no such file"},
        {"latest 103\npath 100 v100/p101.cpk\n", {}, "mirror *"},
        {"", {"--key", Arg(work_ / "versiond.manifest")}, "not a minisign public key"},
        {"", {"--key", Arg(work_ / "tesmar.pub")}, "a second key of id"},
    };
    for (const Case& c : cases) {
        WriteFile(manifest_, c.manifest.empty() ? kManifest : c.manifest);
        std::vector<std::string> args = Args("1");
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        Outcome o = Release(args);
        EXPECT_EQ(o.code, 1) << c.reason;
        EXPECT_NE(o.err.find(c.reason), std::string::npos) << o.err;
        EXPECT_FALSE(platform::Exists(written_)) << c.reason;
    }
    for (const char* days : {"0", "-1", "3661"}) {
        std::vector<std::string> args = Args("1");
        args[7] = days;
        EXPECT_EQ(Release(args).code, 64) << days;
    }
    EXPECT_EQ(Release({"--manifest", Arg(manifest_), "--root", Arg(root_.path()), "--serial", "0",
                       "--expires", "1"})
                  .code,
              64);
}

TEST_F(MkReleaseTest, SignsWithMinisign) {
    // Under an emulator there may be no minisign to run.
    auto made = platform::StartProgram("minisign",
                                       {"-G", "-W", "-p", platform::NativePath(work_ / "k.pub"),
                                        "-s", platform::NativePath(work_ / "k.key")},
                                       "");
    if (!made || made->Wait(-1).value_or(1) != 0) {
        GTEST_SKIP() << "minisign cannot be run here";
    }
    std::vector<std::string> args = Args("3");
    args.insert(args.end(), {"--sign", Arg(work_ / "k.key")});
    Outcome o = Release(args);
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("signed: "), std::string::npos) << o.out;
    std::string why;
    auto key = sign::ParsePublicKeyFile(ReadFile(work_ / "k.pub"), &why);
    ASSERT_TRUE(key) << why;
    sign::Check check = sign::VerifySignedFile(written_, {*key}, sign::kReleaseFileName);
    EXPECT_EQ(check.verdict, sign::Verdict::kGood) << check.reason;

    // A key minisign cannot use: the file stays, unsigned, and no signature
    // of the earlier file is left beside it.
    WriteFile(work_ / "bad.key", "not a key\n");
    args = Args("4");
    args.insert(args.end(), {"--sign", Arg(work_ / "bad.key")});
    o = Release(args);
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("the release file is written, unsigned"), std::string::npos) << o.err;
    EXPECT_FALSE(platform::Exists(written_ + ".minisig"));
    EXPECT_EQ(sign::ParseRelease(ReadFile(written_), &why)->serial, 4u);
}

}  // namespace
