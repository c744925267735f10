#include "patcher/VersionCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patcher/text/LocalText.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Take(VersionReplyCollector& c, const Bytes& body) {
    return c.Take(body.data(), body.size());
}

Bytes Files(const std::vector<std::string>& names) {
    std::vector<FileListItem> items;
    for (const auto& n : names) {
        items.push_back({"dir\\" + n, std::string(32, 'f')});
    }
    auto bodies = EncodeFileList(items);
    EXPECT_TRUE(bodies && bodies->size() == 1);
    return bodies->front();
}

TEST(VersionReplyCollector, CodeOneWaitsForEveryAnnouncedFile) {
    PatchFileList list;
    VersionReplyCollector c(list);
    EXPECT_FALSE(Take(c, EncodeDownloadAddress({127, 0, 0, 9})));
    EXPECT_FALSE(Take(c, EncodeVersionResult({12, 3, kVersionFilesFollow})));
    EXPECT_FALSE(Take(c, Files({"a.cpk", "b.cpk"})));
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_TRUE(Take(c, Files({"c.cpk"})));
    const VersionReply& r = c.reply();
    EXPECT_TRUE(r.done);
    EXPECT_EQ(r.code, kVersionFilesFollow);
    EXPECT_EQ(r.targetVersion, 12);
    EXPECT_EQ(r.DownloadAddress(), "127.0.0.9");
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(0).fileName, "a.cpk");
    EXPECT_EQ(list.At(2).localPath, "download\\c.cpk");
    EXPECT_EQ(list.At(2).directory, "dir");
}

// Each web base once, the first kWebMirrorsInReply of them, malformed ones
// dropped; none of them changes the rest of the reply.
TEST(VersionReplyCollector, WebMirrorsAreTakenOnceAndBounded) {
    PatchFileList list;
    VersionReplyCollector c(list);
    EXPECT_FALSE(Take(c, EncodeDownloadAddress({127, 0, 0, 9})));
    EXPECT_FALSE(Take(c, *EncodeWebMirror("http://a")));
    EXPECT_FALSE(Take(c, *EncodeWebMirror("http://a")));
    Bytes broken = *EncodeWebMirror("http://b");
    broken.pop_back();
    EXPECT_FALSE(Take(c, broken));
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(Take(c, *EncodeWebMirror("http://m" + std::to_string(i))));
    }
    EXPECT_TRUE(Take(c, EncodeVersionResult({12, 0, kVersionCurrent})));
    const VersionReply& r = c.reply();
    ASSERT_EQ(r.webMirrors.size(), kWebMirrorsInReply);
    EXPECT_EQ(r.webMirrors[0], "http://a");
    EXPECT_EQ(r.webMirrors[1], "http://m0");
    EXPECT_EQ(r.DownloadAddress(), "127.0.0.9");
    EXPECT_EQ(r.targetVersion, 12);
}

TEST(VersionReplyCollector, OtherCodesCompleteAtOnce) {
    for (uint8_t code : {kVersionCurrent, kVersionNoPath, kVersionEmptyPath, uint8_t{9}}) {
        PatchFileList list;
        VersionReplyCollector c(list);
        EXPECT_TRUE(Take(c, EncodeVersionResult({4, 5, code})));
        EXPECT_EQ(c.reply().code, code);
        EXPECT_FALSE(c.reply().hasAddress);
        EXPECT_EQ(c.reply().DownloadAddress(), "");
    }
}

TEST(VersionReplyCollector, FileListBeforeTheResultReadsAsCurrent) {
    PatchFileList list;
    VersionReplyCollector c(list);
    EXPECT_TRUE(Take(c, Files({"a.cpk"})));
    EXPECT_EQ(c.reply().code, kVersionCurrent);
}

TEST(VersionReplyCollector, MalformedMessagesChangeNothing) {
    PatchFileList list;
    VersionReplyCollector c(list);
    Bytes result = EncodeVersionResult({7, 2, kVersionCurrent});
    Bytes address = EncodeDownloadAddress({1, 2, 3, 4});
    EXPECT_FALSE(c.Take(result.data(), result.size() - 1));
    EXPECT_FALSE(c.Take(address.data(), address.size() - 1));
    EXPECT_FALSE(c.Take(result.data(), 2));
    EXPECT_FALSE(c.Take(nullptr, 0));
    Bytes unknown{0x10, 0x27, 4, 0};
    EXPECT_FALSE(Take(c, unknown));
    EXPECT_FALSE(c.reply().hasAddress);

    EXPECT_FALSE(Take(c, EncodeVersionResult({7, 2, kVersionFilesFollow})));
    // A list whose second entry lacks its terminator is dropped whole, even
    // though its first entry is sound.
    Bytes cut = Files({"a.cpk", "b.cpk"});
    cut.pop_back();
    EXPECT_FALSE(c.Take(cut.data(), cut.size()));
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(Take(c, Files({"a.cpk", "b.cpk"})));
    EXPECT_EQ(c.reply().refusedPath, "");
}

// A list that names a file no package may be (one that would leave the
// download folder, or too long for it) ends the reply as refused, with the
// path and why; none of its entries reach the list, sound ones neither.
TEST(VersionReplyCollector, AListNamingAPathNoPackageMayHaveIsRefused) {
    for (const std::string& bad :
         {std::string("v100\\../update.ini"), "d\\" + std::string(kPatchPathMax, 'n')}) {
        SCOPED_TRACE(bad);
        PatchFileList list;
        VersionReplyCollector c(list);
        EXPECT_FALSE(Take(c, EncodeVersionResult({7, 2, kVersionFilesFollow})));
        auto files = EncodeFileList({{"a.cpk", std::string(32, 'f')}, {bad, "f"}});
        ASSERT_TRUE(files);
        EXPECT_TRUE(Take(c, files->front()));
        EXPECT_EQ(list.Count(), 0u);
        EXPECT_EQ(c.reply().refusedPath, bad);
        EXPECT_NE(c.reply().refusedWhy, "");
        VersionCheckResult result;
        result.status = VersionCheckStatus::kReplied;
        result.reply = c.reply();
        auto failure = VersionCheckFailure(result);
        ASSERT_TRUE(failure);
        EXPECT_NE(failure->text.find(bad.substr(0, 10)), std::string::npos) << failure->text;
    }
}

TEST(CollectVersionReply, DefaultPollsWaitAboutTenSeconds) {
    // A client that never connected has nothing to hand out: every poll
    // sleeps once and finds nothing.
    CMsgClient client;
    PatchFileList list;
    VersionCheckOptions timing;
    uint64_t slept = 0;
    int sleeps = 0;
    timing.sleep = [&](uint32_t ms) {
        slept += ms;
        ++sleeps;
    };
    VersionReply r = CollectVersionReply(client, list, timing);
    EXPECT_FALSE(r.done);
    EXPECT_EQ(sleeps, 1000);
    EXPECT_EQ(slept, 10000u);
}

TEST(VersionCheckFailure, BoxesThatEndTheAttempt) {
    VersionCheckResult r;
    r.status = VersionCheckStatus::kNotConnected;
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("无法连接服务器"));
    EXPECT_EQ(VersionCheckFailure(r)->caption, GBK("提示"));
    r.status = VersionCheckStatus::kNoReply;
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("超过时限无应答"));
    r.status = VersionCheckStatus::kReplied;
    r.reply.done = true;
    r.reply.code = kVersionNoPath;
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("版本号不正确或者服务器未找到升级路径."));
    r.reply.code = kVersionEmptyPath;
    EXPECT_EQ(VersionCheckFailure(r)->text, GBK("错误的升级路径,没有可下载文件."));
    r.reply.code = kVersionCurrent;
    EXPECT_FALSE(VersionCheckFailure(r));
    r.reply.code = kVersionFilesFollow;
    EXPECT_FALSE(VersionCheckFailure(r));
}

TEST(VersionCheckFailure, TextsPassThroughTheInstalledLookup) {
    static const std::string translated = "translated";
    std::vector<std::string> asked;
    SetVersionCheckTextLookup([&](const char* key) {
        asked.push_back(key);
        return translated.c_str();
    });
    VersionCheckResult r;
    r.status = VersionCheckStatus::kNoReply;
    auto box = VersionCheckFailure(r);
    SetVersionCheckTextLookup(nullptr);
    EXPECT_EQ(box->text, "translated");
    EXPECT_EQ(box->caption, "translated");
    EXPECT_EQ(asked, (std::vector<std::string>{GBK("超过时限无应答"), GBK("提示")}));
    EXPECT_STREQ(VersionCheckText("x"), "x");
}

// Text and caption both come from the text table's ring, where two long
// translations share the space: the box keeps copies, so looking up the
// caption cannot overwrite the text.
TEST(VersionCheckFailure, TheBoxKeepsLongTranslationsWhole) {
    testsupport::TempDir dir;
    const std::string text(300, 't');
    const std::string caption(300, 'c');
    testsupport::WriteFile(dir / "Language.txt", "\r\n" + std::string(GBK("超过时限无应答")) + "=" +
                                                     text + ";\r\n" + GBK("提示") + "=" + caption +
                                                     ";");
    LocalTextTable table(dir / "Language.txt");
    SetVersionCheckTextLookup([&](const char* key) { return table.Lookup(key); });
    VersionCheckResult r;
    r.status = VersionCheckStatus::kNoReply;
    auto box = VersionCheckFailure(r);
    SetVersionCheckTextLookup(nullptr);
    ASSERT_TRUE(box);
    EXPECT_EQ(std::string(box->text), text);
    EXPECT_EQ(std::string(box->caption), caption);
}

}  // namespace
