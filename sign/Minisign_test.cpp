// The verifier against keys, files and signatures made by the real minisign
// (minisign_fixtures_test.sh, run by CTest before this program; the folder
// comes in TESMAR_SIGN_FIXTURES).
#include "sign/Minisign.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using sign::Verdict;

std::string Fixture(const std::string& name) {
    const char* dir = std::getenv("TESMAR_SIGN_FIXTURES");
    if (dir == nullptr || *dir == '\0') {
        ADD_FAILURE() << "TESMAR_SIGN_FIXTURES is not set: run this test through ctest";
        return std::string();
    }
    return platform::SystemPathFromNative(dir) + "\\" + name;
}

std::string FixtureText(const std::string& name) {
    std::string path = Fixture(name);
    EXPECT_TRUE(platform::Exists(path)) << path << " is missing";
    return testsupport::ReadFile(path);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            nl = text.size();
        }
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

std::string Base64(const std::string& bytes) {
    std::string out(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(&out[0], out.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                      bytes.size(), sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1);
    return out;
}

std::string Unbase64(const std::string& text) {
    std::string out(text.size(), '\0');
    size_t len = 0;
    EXPECT_EQ(
        sodium_base642bin(reinterpret_cast<unsigned char*>(&out[0]), out.size(), text.data(),
                          text.size(), nullptr, &len, nullptr, sodium_base64_VARIANT_ORIGINAL),
        0);
    out.resize(len);
    return out;
}

sign::PublicKey Key(const std::string& pubFile) {
    std::string why;
    auto key = sign::ParsePublicKeyFile(FixtureText(pubFile), &why);
    EXPECT_TRUE(key.has_value()) << pubFile << ": " << why;
    return key.value_or(sign::PublicKey{});
}

class MinisignVerify : public ::testing::Test {
protected:
    sign::Check Verify(const std::string& path, const std::string& sigText,
                       const std::string& expected = "a.bin") {
        return sign::VerifyFile(path, sigText, keys_, expected);
    }
    sign::Check VerifyA(const std::string& sigText, const std::string& expected = "a.bin") {
        return Verify(Fixture("a.bin"), sigText, expected);
    }

    sign::PublicKey key1_ = Key("key1.pub");
    sign::PublicKey key2_ = Key("key2.pub");
    std::vector<sign::PublicKey> keys_{key1_};
    std::string aSig_ = FixtureText("a.bin.minisig");
    testsupport::TempDir temp_;
};

#define EXPECT_VERDICT(check, expected)                                                        \
    do {                                                                                       \
        sign::Check c_ = (check);                                                              \
        EXPECT_EQ(c_.verdict, expected) << sign::VerdictName(c_.verdict) << ": " << c_.reason; \
    } while (0)

TEST(MinisignKeys, ReadsMinisignsKeyFilesAndIds) {
    for (const char* name : {"key1.pub", "key2.pub"}) {
        std::string text = FixtureText(name);
        std::vector<std::string> lines = Lines(text);
        ASSERT_EQ(lines.size(), 2u) << name;
        std::string why;
        auto fromFile = sign::ParsePublicKeyFile(text, &why);
        ASSERT_TRUE(fromFile.has_value()) << why;
        // Pasted into a settings file: spaces and a Windows line end around it.
        auto fromLine = sign::ParsePublicKey("  " + lines[1] + " \r\n", &why);
        ASSERT_TRUE(fromLine.has_value()) << why;
        EXPECT_EQ(fromFile->id, fromLine->id);
        EXPECT_EQ(fromFile->key, fromLine->key);
        // minisign names the key by the same id in its comment line.
        std::string comment = lines[0];
        EXPECT_EQ(comment.substr(comment.rfind(' ') + 1), sign::KeyIdText(fromFile->id)) << comment;
        // The file with Windows line ends, and the bare line as a file.
        EXPECT_TRUE(sign::ParsePublicKeyFile(lines[0] + "\r\n" + lines[1] + "\r\n", &why));
        EXPECT_TRUE(sign::ParsePublicKeyFile(lines[1], &why));
    }
    EXPECT_NE(Key("key1.pub").id, Key("key2.pub").id);
    EXPECT_EQ(sign::KeyIdText({0x70, 0xFB, 0xA5, 0xF6, 0x76, 0x29, 0x7B, 0x10}),
              "107B2976F6A5FB70");
    EXPECT_EQ(sign::KeyIdText({0xDD, 0x61, 0x7D, 0x7E, 0x20, 0x57, 0x44, 0x0C}), "C4457207E7D61DD");
    EXPECT_EQ(sign::KeyIdText({0, 0, 0, 0, 0, 0, 0, 0}), "0");
}

TEST(MinisignKeys, RefusesWhatIsNotAnEd25519Key) {
    std::string line = Lines(FixtureText("key1.pub"))[1];
    std::string raw = Unbase64(line);
    ASSERT_EQ(raw.size(), 42u);
    std::string otherAlgorithm = raw;
    otherAlgorithm[1] = 'D';
    std::string sigLine = Lines(FixtureText("a.bin.minisig"))[1];
    const std::vector<std::string> bad = {
        "",
        " \t\r\n",
        line.substr(0, line.size() - 4),  // 39 bytes
        line + "AAAA",                    // 45 bytes
        Base64(raw.substr(0, 41)),
        Base64(raw + "x"),
        "*" + line.substr(1),
        line.substr(0, 17) + "\x8b\xbc\xb5\xc8" + line.substr(21),  // bytes above 0x7F
        line.substr(0, 20) + " " + line.substr(20),
        Base64(otherAlgorithm),
        sigLine,
        line.substr(0, line.size() - 1) + "=",  // padding where a letter is due
    };
    for (const std::string& text : bad) {
        std::string why;
        EXPECT_FALSE(sign::ParsePublicKey(text, &why).has_value()) << "'" << text << "'";
        EXPECT_FALSE(why.empty()) << "'" << text << "'";
        EXPECT_FALSE(sign::ParsePublicKey(text, nullptr).has_value());
    }
    std::string why;
    EXPECT_FALSE(sign::ParsePublicKeyFile("untrusted comment: x\n" + line + "\n" + line, &why));
    EXPECT_FALSE(sign::ParsePublicKeyFile("comment: x\n" + line, &why));
    EXPECT_FALSE(why.empty());
}

TEST(MinisignSignatureText, ReadsBothForms) {
    std::string why;
    auto key1 = Key("key1.pub");
    auto hashed = sign::ParseSignature(FixtureText("a.bin.minisig"), &why);
    ASSERT_TRUE(hashed.has_value()) << why;
    EXPECT_TRUE(hashed->prehashed);
    EXPECT_EQ(hashed->keyId, key1.id);
    EXPECT_EQ(sign::TrustedFileName(hashed->trustedComment), "a.bin") << hashed->trustedComment;

    auto legacy = sign::ParseSignature(FixtureText("a-legacy.minisig"), &why);
    ASSERT_TRUE(legacy.has_value()) << why;
    EXPECT_FALSE(legacy->prehashed);
    EXPECT_EQ(legacy->keyId, key1.id);
    EXPECT_NE(legacy->signature, hashed->signature);

    auto custom = sign::ParseSignature(FixtureText("a-nofile.minisig"), &why);
    ASSERT_TRUE(custom.has_value()) << why;
    EXPECT_EQ(custom->trustedComment, "release 7");
}

TEST(MinisignSignatureText, RefusesDamagedText) {
    std::string text = FixtureText("a.bin.minisig");
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 4u);
    auto with = [&](size_t index, const std::string& line) {
        std::vector<std::string> changed = lines;
        changed[index] = line;
        return Joined(changed);
    };
    std::string raw = Unbase64(lines[1]);
    ASSERT_EQ(raw.size(), 74u);
    std::string unknownAlgorithm = raw;
    unknownAlgorithm[1] = 'X';
    std::string badChar = lines[1];
    badChar[10] = '!';
    // The last letter before "=" carries two bits that must be zero.
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string nonCanonical = lines[1];
    ASSERT_EQ(nonCanonical.back(), '=');
    char& last = nonCanonical[nonCanonical.size() - 2];
    last = kAlphabet[kAlphabet.find(last) ^ 1];
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty", ""},
        {"one line", lines[0] + "\n"},
        {"three lines", Joined({lines[0], lines[1], lines[2]})},
        {"no untrusted comment", Joined({lines[1], lines[2], lines[3]})},
        {"blank line inside", Joined({lines[0], lines[1], "", lines[2], lines[3]})},
        {"text after", text + "junk\n"},
        {"untrusted prefix", with(0, "comment: x")},
        {"untrusted prefix without space", with(0, "untrusted comment:x")},
        {"trusted prefix", with(2, "trusted comment " + lines[2].substr(17))},
        {"signature char", with(1, badChar)},
        {"signature short", with(1, lines[1].substr(0, lines[1].size() - 4))},
        {"signature long", with(1, lines[1] + "AAAA")},
        {"signature 73 bytes", with(1, Base64(raw.substr(0, 73)))},
        {"signature 75 bytes", with(1, Base64(raw + "x"))},
        {"signature not canonical", with(1, nonCanonical)},
        {"signature bytes above 0x7F",
         with(1, lines[1].substr(0, 17) + "\x8b\xbc\xb5\xc8" + lines[1].substr(21))},
        {"global not canonical", with(3, lines[3].substr(0, lines[3].size() - 3) + "B==")},
        {"signature space", with(1, lines[1].substr(0, 30) + " " + lines[1].substr(30))},
        {"algorithm", with(1, Base64(unknownAlgorithm))},
        {"global short", with(3, lines[3].substr(0, lines[3].size() - 4))},
        {"global long", with(3, lines[3] + "AAAA")},
        {"global missing", with(3, "")},
        {"NUL in trusted comment", with(2, lines[2] + std::string(1, '\0') + "x")},
        {"trusted comment too long",
         with(2, lines[2] + std::string(sign::kTrustedCommentBytesMax, 'x'))},
        {"too large", text + std::string(sign::kMinisigBytesMax, '\n')},
    };
    std::vector<sign::PublicKey> keys{Key("key1.pub")};
    for (const auto& [name, damaged] : bad) {
        std::string why;
        EXPECT_FALSE(sign::ParseSignature(damaged, &why).has_value()) << name;
        EXPECT_FALSE(why.empty()) << name;
        sign::Check c = sign::VerifyFile(Fixture("a.bin"), damaged, keys, "a.bin");
        EXPECT_EQ(c.verdict, Verdict::kDamaged) << name << ": " << c.reason;
        EXPECT_NE(c.reason.find("damaged"), std::string::npos) << c.reason;
    }
    // What minisign itself accepts around the four lines.
    std::string crlf;
    for (const std::string& line : lines) {
        crlf += line + "\r\n";
    }
    for (const std::string& good : {crlf, text.substr(0, text.size() - 1), text + "\n\n"}) {
        std::string why;
        EXPECT_TRUE(sign::ParseSignature(good, &why).has_value()) << why;
    }
}

TEST(MinisignTrustedFileName, FindsTheFileField) {
    EXPECT_EQ(sign::TrustedFileName("timestamp:1700000000\tfile:patch-7.cpk\thashed"),
              "patch-7.cpk");
    EXPECT_EQ(sign::TrustedFileName("file:a.bin"), "a.bin");
    EXPECT_EQ(sign::TrustedFileName("file:a b.bin\tx"), "a b.bin");
    EXPECT_EQ(sign::TrustedFileName("file:"), "");
    EXPECT_EQ(sign::TrustedFileName("release 7"), "");
    EXPECT_EQ(sign::TrustedFileName(""), "");
    EXPECT_EQ(sign::TrustedFileName("profile:a.bin\tmyfile:b.bin"), "");
    EXPECT_EQ(sign::TrustedFileName("timestamp:1 file:a.bin"), "");  // a space does not separate
    EXPECT_EQ(sign::TrustedFileName("file:a.bin\tfile:a.bin"), "a.bin");
    EXPECT_EQ(sign::TrustedFileName("file:a.bin\tfile:b.bin"), "");
    EXPECT_EQ(sign::TrustedFileName("file:\x95\\a.bin\thashed"), "\x95\\a.bin");
}

TEST_F(MinisignVerify, GoodSignatures) {
    sign::Check c = VerifyA(aSig_);
    EXPECT_EQ(c.verdict, Verdict::kGood) << c.reason;
    EXPECT_TRUE(c.reason.empty());
    EXPECT_EQ(c.trustedComment, sign::ParseSignature(aSig_, nullptr)->trustedComment);
    // The expected name may come with the folder it is stored in.
    EXPECT_VERDICT(VerifyA(aSig_, ""), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(aSig_, "download\\a.bin"), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(aSig_, "patch/a.bin"), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(FixtureText("a-legacy.minisig")), Verdict::kGood);
    EXPECT_VERDICT(Verify(Fixture("empty.bin"), FixtureText("empty.bin.minisig"), "empty.bin"),
                   Verdict::kGood);
    EXPECT_VERDICT(Verify(Fixture("empty.bin"), FixtureText("empty-legacy.minisig"), "empty.bin"),
                   Verdict::kGood);
    EXPECT_VERDICT(Verify(Fixture("b.bin"), FixtureText("b.bin.minisig"), "b.bin"), Verdict::kGood);
    // The file is found case-insensitively, as on Windows.
    EXPECT_VERDICT(Verify(Fixture("A.BIN"), aSig_), Verdict::kGood);
}

TEST_F(MinisignVerify, FileChangedAfterSigning) {
    std::string original = FixtureText("a.bin");
    ASSERT_GT(original.size(), 2u * 1024 * 1024);
    std::vector<std::pair<const char*, std::string>> changes;
    for (size_t at :
         {size_t{0}, size_t{1024 * 1024 - 1}, size_t{1024 * 1024}, original.size() - 1}) {
        std::string flipped = original;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x01);
        changes.emplace_back("one bit", flipped);
    }
    changes.emplace_back("one byte more", original + "x");
    changes.emplace_back("one byte less", original.substr(0, original.size() - 1));
    changes.emplace_back("empty", "");
    const std::string path = temp_ / "a.bin";
    for (const auto& [what, bytes] : changes) {
        testsupport::WriteFile(path, bytes);
        for (const char* sig : {"a.bin.minisig", "a-legacy.minisig"}) {
            sign::Check c = Verify(path, FixtureText(sig));
            EXPECT_EQ(c.verdict, Verdict::kBadSignature) << what << ", " << sig << ": " << c.reason;
            EXPECT_NE(c.reason.find(path), std::string::npos) << c.reason;
        }
    }
}

TEST_F(MinisignVerify, TheSignatureBesideTheFile) {
    const std::string path = temp_ / "a.bin";
    testsupport::WriteFile(path, FixtureText("a.bin"));
    sign::Check missing = sign::VerifySignedFile(path, keys_, "a.bin");
    EXPECT_EQ(missing.verdict, Verdict::kUnreadable) << missing.reason;
    EXPECT_NE(missing.reason.find("a.bin.minisig"), std::string::npos) << missing.reason;

    testsupport::WriteFile(path + sign::kSignatureSuffix, aSig_);
    EXPECT_VERDICT(sign::VerifySignedFile(path, keys_, "a.bin"), Verdict::kGood);
    EXPECT_VERDICT(sign::VerifySignedFile(path, {key2_}, "a.bin"), Verdict::kForeignKey);

    // A file far larger than any signature is not read at all.
    testsupport::WriteFile(path + sign::kSignatureSuffix,
                           aSig_ + std::string(sign::kMinisigBytesMax, '\n'));
    sign::Check large = sign::VerifySignedFile(path, keys_, "a.bin");
    EXPECT_EQ(large.verdict, Verdict::kDamaged) << large.reason;
    EXPECT_NE(large.reason.find("too large"), std::string::npos) << large.reason;
}

TEST_F(MinisignVerify, SignatureOfAnotherFile) {
    std::string bSig = FixtureText("b.bin.minisig");
    EXPECT_VERDICT(VerifyA(bSig, ""), Verdict::kBadSignature);
    sign::Check c = VerifyA(bSig, "a.bin");
    EXPECT_EQ(c.verdict, Verdict::kWrongFile) << c.reason;
    EXPECT_NE(c.reason.find("\"b.bin\""), std::string::npos) << c.reason;
    // The empty file's signature does not fit a file that is not empty.
    EXPECT_VERDICT(VerifyA(FixtureText("empty.bin.minisig"), ""), Verdict::kBadSignature);
    EXPECT_VERDICT(VerifyA(FixtureText("empty-legacy.minisig"), ""), Verdict::kBadSignature);
}

TEST_F(MinisignVerify, OnlyListedKeysAreTrusted) {
    std::string key2Sig = FixtureText("a-key2.minisig");
    sign::Check c = VerifyA(key2Sig);
    EXPECT_EQ(c.verdict, Verdict::kForeignKey) << c.reason;
    EXPECT_NE(c.reason.find(sign::KeyIdText(key2_.id)), std::string::npos) << c.reason;
    EXPECT_TRUE(c.trustedComment.empty());
    keys_.clear();
    EXPECT_VERDICT(VerifyA(aSig_), Verdict::kForeignKey);
    // A second listed key, in either place.
    keys_ = {key1_, key2_};
    EXPECT_VERDICT(VerifyA(key2Sig), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(aSig_), Verdict::kGood);
    keys_ = {key2_, key1_};
    EXPECT_VERDICT(VerifyA(key2Sig), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(aSig_), Verdict::kGood);
    // A key that claims key 2's id with key 1's Ed25519 key signs nothing of
    // key 2's; and key 1 listed twice changes nothing.
    sign::PublicKey impostor = key1_;
    impostor.id = key2_.id;
    keys_ = {impostor};
    EXPECT_VERDICT(VerifyA(key2Sig), Verdict::kBadTrustedComment);
    keys_ = {impostor, key1_, key1_};
    EXPECT_VERDICT(VerifyA(aSig_), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(key2Sig), Verdict::kBadTrustedComment);
    // Both keys with the same id: the one that signed is found.
    keys_ = {impostor, key2_};
    EXPECT_VERDICT(VerifyA(key2Sig), Verdict::kGood);
}

TEST_F(MinisignVerify, TrustedCommentAltered) {
    std::vector<std::string> lines = Lines(aSig_);
    ASSERT_EQ(lines.size(), 4u);
    std::vector<std::string> comments = {
        lines[2] + " ",
        lines[2].substr(0, lines[2].size() - 1),
        "trusted comment: file:a.bin",
        "trusted comment: ",
    };
    std::string withFileB = lines[2];
    size_t at = withFileB.find("file:a.bin");
    ASSERT_NE(at, std::string::npos);
    withFileB.replace(at, 10, "file:b.bin");
    comments.push_back(withFileB);
    for (const std::string& comment : comments) {
        std::vector<std::string> changed = lines;
        changed[2] = comment;
        for (const char* expected : {"a.bin", "b.bin", ""}) {
            sign::Check c = VerifyA(Joined(changed), expected);
            EXPECT_EQ(c.verdict, Verdict::kBadTrustedComment) << comment << ": " << c.reason;
            EXPECT_TRUE(c.trustedComment.empty());
        }
    }
    // Another signature's global signature over this one's comment.
    std::vector<std::string> swapped = lines;
    swapped[3] = Lines(FixtureText("other.bin.minisig"))[3];
    EXPECT_VERDICT(VerifyA(Joined(swapped)), Verdict::kBadTrustedComment);
    // The signature of the legacy form under this comment and global signature.
    swapped = lines;
    swapped[1] = Lines(FixtureText("a-legacy.minisig"))[1];
    EXPECT_VERDICT(VerifyA(Joined(swapped)), Verdict::kBadTrustedComment);
}

TEST_F(MinisignVerify, TheTrustedCommentMustNameTheFile) {
    // other.bin holds a.bin's bytes: only its name tells them apart.
    std::string otherSig = FixtureText("other.bin.minisig");
    sign::Check c = VerifyA(otherSig, "a.bin");
    EXPECT_EQ(c.verdict, Verdict::kWrongFile) << c.reason;
    EXPECT_NE(c.reason.find("\"other.bin\""), std::string::npos) << c.reason;
    EXPECT_NE(c.reason.find("\"a.bin\""), std::string::npos) << c.reason;
    EXPECT_FALSE(c.trustedComment.empty());
    EXPECT_VERDICT(VerifyA(otherSig, "other.bin"), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(otherSig, ""), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(otherSig, "download\\other.bin.bak"), Verdict::kWrongFile);
    EXPECT_VERDICT(VerifyA(otherSig, "OTHER.BIN"), Verdict::kWrongFile);
    // A trusted comment of the publisher's own words names no file.
    std::string noFile = FixtureText("a-nofile.minisig");
    c = VerifyA(noFile, "a.bin");
    EXPECT_EQ(c.verdict, Verdict::kWrongFile) << c.reason;
    EXPECT_NE(c.reason.find("no file name"), std::string::npos) << c.reason;
    EXPECT_VERDICT(VerifyA(noFile, ""), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(noFile, "download\\"), Verdict::kWrongFile);
    // A GBK name whose second byte is "\": the base name keeps the pair.
    std::string gbkSig = FixtureText("a-gbk.minisig");
    EXPECT_VERDICT(VerifyA(gbkSig, "download\\\x95\\a.bin"), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(gbkSig, "\x95\\a.bin"), Verdict::kGood);
    EXPECT_VERDICT(VerifyA(gbkSig, "a.bin"), Verdict::kWrongFile);
}

TEST_F(MinisignVerify, UnreadableFiles) {
    for (const std::string& path : {temp_ / "missing.bin", temp_.path()}) {
        sign::Check c = Verify(path, aSig_);
        EXPECT_EQ(c.verdict, Verdict::kUnreadable) << path << ": " << c.reason;
        EXPECT_NE(c.reason.find(path), std::string::npos) << c.reason;
        c = Verify(path, FixtureText("a-legacy.minisig"));
        EXPECT_EQ(c.verdict, Verdict::kUnreadable) << path << ": " << c.reason;
    }
    // A damaged signature is reported as such, whatever the file.
    EXPECT_VERDICT(Verify(temp_ / "missing.bin", "untrusted comment: x\n"), Verdict::kDamaged);
}

}  // namespace
