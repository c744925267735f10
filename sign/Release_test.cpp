// The release file: what the reader takes and gives back, what it refuses
// and why, the chains of steps, and the time form.
#include "sign/Release.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <string>
#include <vector>

namespace {

using sign::ChainFrom;
using sign::FormatRelease;
using sign::ParseRelease;
using sign::ParseUtcTime;
using sign::Release;
using sign::ReleaseStep;

const std::string kKey = "RWQ1LP2gPNNw0hybam5uwTqZ5SfenxvuRrYjnoi5UcQAxhNsPhMjn0V6";
const std::string kMd5 = "0123456789abcdef0123456789abcdef";

// A minisign public-key line for key id byte `id`.
std::string KeyLine(uint8_t id) {
    uint8_t raw[42] = {'E', 'd', id};
    for (size_t i = 10; i < sizeof raw; ++i) {
        raw[i] = static_cast<uint8_t>(i * 3 + id);
    }
    std::string out(sodium_base64_ENCODED_LEN(sizeof raw, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(&out[0], out.size(), raw, sizeof raw, sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1);
    return out;
}

const std::string kHead = "tesmar release 1\nserial 12\nexpires 2027-01-10T00:00:00Z\nlatest 103\n";

std::string Step(const std::string& from, const std::string& to, const std::string& path,
                 const std::string& size = "10", const std::string& md5 = kMd5) {
    return "step " + from + " " + to + " " + path + " " + size + " " + md5 + "\n";
}

// 100 -> 101 -> 102 -> 103.
const std::string kThreeSteps = Step("100", "101", "v100\\p101.cpk", "123456") +
                                Step("101", "102", "v101\\p102.cpk", "2345") +
                                Step("102", "103", "v102\\p103.cpk", "0");

TEST(Release, ReadsWhatThePublisherWritesAndWritesItBack) {
    const std::string text =
        "tesmar release 1\r\n"
        "# made by mkpatch\r\n"
        "\r\n"
        "latest 103\r\n"
        "key " +
        kKey +
        "\r\n"
        "key " +
        KeyLine(7) +
        "\r\n"
        "serial 12\r\n"
        "expires 2027-01-10T00:00:00Z\r\n" +
        Step("101", "102", "v101\\p102.cpk", "2345") +
        Step("100", "101", "v100\\\xB2\xB9\\\x95\\.cpk", "4294967295") +
        Step("102", "103", "p103.cpk", "0");
    std::string why;
    std::optional<Release> r = ParseRelease(text, &why);
    ASSERT_TRUE(r) << why;
    EXPECT_EQ(r->serial, 12u);
    EXPECT_EQ(r->expires, 1799539200);
    EXPECT_EQ(r->latest, 103);
    EXPECT_EQ(r->keys, (std::vector<std::string>{kKey, KeyLine(7)}));
    ASSERT_EQ(r->steps.size(), 3u);
    EXPECT_EQ(r->steps[0], (ReleaseStep{101, 102, "v101\\p102.cpk", 2345, kMd5}));
    // A GBK character whose second byte is "\" is one character, not a part.
    EXPECT_EQ(r->steps[1].path, "v100\\\xB2\xB9\\\x95\\.cpk");
    EXPECT_EQ(r->steps[1].size, 4294967295u);

    const std::string written = FormatRelease(*r);
    std::optional<Release> again = ParseRelease(written, &why);
    ASSERT_TRUE(again) << why << "\n" << written;
    EXPECT_EQ(*again, *r);
    EXPECT_EQ(FormatRelease(*again), written);

    // No keys, no steps, no line end after the last line: still a release.
    r = ParseRelease("tesmar release 1\nserial 1\nexpires 1970-01-01T00:00:00Z\nlatest 0", &why);
    ASSERT_TRUE(r) << why;
    EXPECT_TRUE(r->keys.empty() && r->steps.empty());
    EXPECT_EQ(*ParseRelease(FormatRelease(*r), &why), *r);
}

TEST(Release, RefusesWhatIsNotExactlyARelease) {
    struct Case {
        std::string text;
        std::string reason;  // a part of why
    };
    const std::string noSerial = "tesmar release 1\nexpires 2027-01-10T00:00:00Z\nlatest 103\n";
    const Case cases[] = {
        // The frame of the text.
        {"", "line 1: not a release file"},
        {"tesmar release 2\n" + kHead.substr(17), "line 1: not a release file"},
        {"# comment\n" + kHead, "line 1: not a release file"},
        {" " + kHead, "line 1"},
        {kHead + std::string("# a\0b\n", 6), "line 5: a NUL byte"},
        {kHead + std::string(sign::kReleaseBytesMax, '#'), "larger than"},
        {kHead + "mirror * 1.2.3.4\n", "line 5: unknown directive: mirror"},
        {kHead + "Serial 12\n", "unknown directive"},
        {kHead + "  \n", "single spaces"},
        {kHead + "step  100 101 a.cpk 1 " + kMd5 + "\n", "single spaces"},
        {kHead + Step("102", "103", "a.cpk").substr(0, 30) + " \n", "single spaces"},
        {kHead + "step\t102 103 a.cpk 1 " + kMd5 + "\n", "unknown directive"},
        // Each of serial, expires, latest exactly once.
        {noSerial, "ends with no serial line"},
        {"tesmar release 1\nserial 1\nlatest 103\n", "ends with no expires line"},
        {"tesmar release 1\nserial 1\nexpires 2027-01-10T00:00:00Z\n", "ends with no latest line"},
        {kHead + "serial 13\n", "line 5: a second serial"},
        {kHead + "expires 2028-01-10T00:00:00Z\n", "a second expires"},
        {kHead + "latest 103\n", "a second latest"},
        {noSerial + "serial\n", "expected: serial N"},
        {noSerial + "serial 1 2\n", "expected: serial N"},
        // Numbers.
        {noSerial + "serial 0\n", "serial is not a number"},
        {noSerial + "serial +1\n", "serial is not a number"},
        {noSerial + "serial 012\n", "serial is not a number"},
        {noSerial + "serial 18446744073709551616\n", "serial is not a number"},
        {noSerial + "serial 0x10\n", "serial is not a number"},
        {"tesmar release 1\nserial 1\nexpires 2027-01-10T00:00:00Z\nlatest -1\n", "not a version"},
        {"tesmar release 1\nserial 1\nexpires 2027-01-10T00:00:00Z\nlatest 2147483648\n",
         "not a version"},
        {"tesmar release 1\nserial 1\nexpires 2027-01-10\nlatest 1\n", "not a time"},
        // Keys.
        {kHead + "key\n", "expected: key BASE64"},
        {kHead + "key " + kKey.substr(1) + "\n", "line 5: not a minisign public key"},
        {kHead + "key " + kKey + "\r\r\n", "line 5: not a minisign public key"},
        {kHead + "key " + kKey + "\t\n", "line 5: not a minisign public key"},
        {kHead + "key " + kKey + "\nkey " + kKey + "\n", "line 6: a second key of id"},
        // Steps.
        {kHead + "step 102 103 a.cpk 1\n", "expected: step FROM TO PATH SIZE MD5"},
        {kHead + Step("102", "x", "a.cpk"), "not a version number: x"},
        {kHead + Step("-1", "103", "a.cpk"), "not a version number: -1"},
        {kHead + Step("103", "103", "a.cpk"), "a later version"},
        {kHead + Step("102", "101", "a.cpk"), "a later version"},
        {kHead + Step("102", "104", "a.cpk"), "after latest 103"},
        {kHead + Step("100", "101", "a.cpk") + Step("101", "103", "b.cpk") +
             Step("100", "103", "c.cpk"),
         "line 7: a second step from version 100 (the first is on line 5)"},
        {kHead + Step("100", "102", "a.cpk") + Step("101", "103", "b.cpk"),
         "line 5: no step leads on from version 102"},
        {kHead + Step("100", "103", "a.cpk", "4294967296"), "not a size"},
        {kHead + Step("100", "103", "a.cpk", "-1"), "not a size"},
        {kHead + Step("100", "103", "a.cpk", "1k"), "not a size"},
        {kHead + Step("100", "103", "a.cpk", "10", kMd5.substr(1)), "not an MD5"},
        {kHead + Step("100", "103", "a.cpk", "10", kMd5 + "0"), "not an MD5"},
        {kHead + Step("100", "103", "a.cpk", "10", "0123456789ABCDEF0123456789ABCDEF"),
         "not an MD5"},
        {kHead + Step("100", "103", "a.cpk", "10", "0123456789abcdeg0123456789abcdef"),
         "not an MD5"},
        // Paths.
        {kHead + Step("100", "103", "v\\" + std::string(sign::kReleasePathBytesMax - 1, 'p')),
         "longer than 259"},
        {kHead + Step("100", "103", "v/a.cpk"), "\"/\""},
        {kHead + Step("100", "103", "c:\\a.cpk"), "\":\""},
        {kHead + Step("100", "103", "\\a.cpk"), "empty, \".\" or \"..\" part"},
        {kHead + Step("100", "103", "a\\\\b.cpk"), "empty, \".\" or \"..\" part"},
        {kHead + Step("100", "103", "a\\"), "empty, \".\" or \"..\" part"},
        {kHead + Step("100", "103", "..\\a.cpk"), "empty, \".\" or \"..\" part"},
        {kHead + Step("100", "103", "a\\.\\b.cpk"), "empty, \".\" or \"..\" part"},
        {kHead + Step("100", "103", "a\tb.cpk"), "control byte"},
        {kHead + Step("100", "103", "a\x7F.cpk"), "control byte"},
        {kHead + Step("100", "103", "a\x81\x1F.cpk"), "control byte"},
        {kHead + Step("100", "101", "v\\A.cpk") + Step("101", "103", "V\\a.CPK"),
         "line 6: the package of the step on line 5 again"},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(ParseRelease(c.text, &why)) << c.text;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why << " | " << c.text;
    }
    // The longest path and the last step and key allowed are still taken.
    std::string why;
    EXPECT_TRUE(ParseRelease(
        kHead + Step("100", "103", "v\\" + std::string(sign::kReleasePathBytesMax - 2, 'p')), &why))
        << why;
}

TEST(Release, CountsOfKeysAndStepsAreBounded) {
    std::string keys;
    for (size_t i = 0; i < sign::kReleaseKeysMax; ++i) {
        keys += "key " + KeyLine(static_cast<uint8_t>(i)) + "\n";
    }
    std::string why;
    EXPECT_TRUE(ParseRelease(kHead + keys, &why)) << why;
    EXPECT_FALSE(ParseRelease(kHead + keys + "key " + KeyLine(200) + "\n", &why));
    EXPECT_NE(why.find("line 21: more than 16 keys"), std::string::npos) << why;

    // One chain of the most steps allowed: 0 -> 1 -> ... -> latest.
    auto chain = [](size_t steps) {
        std::string text = "tesmar release 1\nserial 1\nexpires 2030-01-01T00:00:00Z\nlatest " +
                           std::to_string(steps) + "\n";
        for (size_t i = 0; i < steps; ++i) {
            text += Step(std::to_string(i), std::to_string(i + 1), "p" + std::to_string(i));
        }
        return text;
    };
    std::optional<Release> r = ParseRelease(chain(sign::kReleaseStepsMax), &why);
    ASSERT_TRUE(r) << why;
    auto all = ChainFrom(*r, 0);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), sign::kReleaseStepsMax);
    EXPECT_FALSE(ParseRelease(chain(sign::kReleaseStepsMax + 1), &why));
    EXPECT_NE(why.find("more than 10000 steps"), std::string::npos) << why;
}

TEST(Release, ChainsLeadToLatest) {
    std::string why;
    std::optional<Release> r = ParseRelease(kHead + kThreeSteps, &why);
    ASSERT_TRUE(r) << why;
    auto paths = [&](int32_t from) {
        std::vector<std::string> out;
        const std::optional<std::vector<ReleaseStep>> chain = ChainFrom(*r, from);
        EXPECT_TRUE(chain) << from;
        for (const ReleaseStep& s : chain.value_or(std::vector<ReleaseStep>())) {
            out.push_back(s.path);
        }
        return out;
    };
    EXPECT_EQ(paths(100),
              (std::vector<std::string>{"v100\\p101.cpk", "v101\\p102.cpk", "v102\\p103.cpk"}));
    EXPECT_EQ(paths(102), (std::vector<std::string>{"v102\\p103.cpk"}));
    EXPECT_TRUE(ChainFrom(*r, 103)->empty());
    // Versions no step starts from.
    EXPECT_FALSE(ChainFrom(*r, 99));
    EXPECT_FALSE(ChainFrom(*r, 104));
    EXPECT_FALSE(ChainFrom(*r, -1));

    // Releases the reader would refuse: a missing link, a step that goes
    // back, a step past latest. The walk still ends, with no chain.
    Release broken = *r;
    broken.steps.erase(broken.steps.begin() + 1);
    EXPECT_FALSE(ChainFrom(broken, 100));
    EXPECT_EQ(ChainFrom(broken, 102)->size(), 1u);
    Release loop = *r;
    loop.steps[2].to = 100;
    EXPECT_FALSE(ChainFrom(loop, 100));
    Release past = *r;
    past.steps[2].to = 104;
    EXPECT_FALSE(ChainFrom(past, 100));
}

TEST(UtcTime, TheOneFormBothWays) {
    struct Case {
        const char* text;
        int64_t seconds;
    };
    const Case good[] = {
        {"1970-01-01T00:00:00Z", 0},
        {"1970-01-01T00:00:01Z", 1},
        {"1970-12-31T23:59:59Z", 31535999},
        {"1972-02-29T00:00:00Z", 68169600},   // a leap year
        {"2000-02-29T12:00:00Z", 951825600},  // divisible by 400: leap
        {"2027-01-10T00:00:00Z", 1799539200},
        {"2038-01-19T03:14:08Z", 2147483648},  // past 32-bit seconds
        {"2100-03-01T00:00:00Z", 4107542400},  // 2100 has no 29 February
        {"9999-12-31T23:59:59Z", sign::kUtcTimeMax},
    };
    for (const Case& c : good) {
        EXPECT_EQ(ParseUtcTime(c.text), std::optional<int64_t>(c.seconds)) << c.text;
        EXPECT_EQ(sign::FormatUtcTime(c.seconds), c.text);
    }
    const char* bad[] = {
        "",
        "2027-01-10",
        "2027-01-10T00:00:00",
        "2027-01-10T00:00:00+00:00",
        "2027-01-10 00:00:00Z",
        "2027-01-10t00:00:00z",
        "2027-1-10T00:00:00Z",
        "+027-01-10T00:00:00Z",
        "2027-01-10T00:00:00Z ",
        "1969-12-31T23:59:59Z",
        "2027-00-10T00:00:00Z",
        "2027-13-10T00:00:00Z",
        "2027-01-00T00:00:00Z",
        "2027-01-32T00:00:00Z",
        "2027-04-31T00:00:00Z",
        "2027-02-29T00:00:00Z",  // not a leap year
        "2100-02-29T00:00:00Z",  // divisible by 100, not 400
        "2027-01-10T24:00:00Z",
        "2027-01-10T00:60:00Z",
        "2027-01-10T00:00:60Z",  // no leap seconds
    };
    for (const char* text : bad) {
        EXPECT_FALSE(ParseUtcTime(text)) << text;
    }
    EXPECT_EQ(sign::FormatUtcTime(-5), "1970-01-01T00:00:00Z");
    EXPECT_EQ(sign::FormatUtcTime(INT64_MAX), "9999-12-31T23:59:59Z");
}

}  // namespace
