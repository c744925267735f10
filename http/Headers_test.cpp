#include "http/Headers.h"

#include <gtest/gtest.h>

#include "FetchCommon.h"

namespace http {
namespace {

TEST(ContentRange, ReadsTheFormsServersSend) {
    auto r = ParseContentRange("bytes 0-99/1000");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 0u);
    EXPECT_EQ(r->last, 99u);
    EXPECT_EQ(r->total, 1000u);

    r = ParseContentRange("  BYTES   5-5/*\t");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 5u);
    EXPECT_EQ(r->last, 5u);
    EXPECT_FALSE(r->total);

    r = ParseContentRange("bytes 18446744073709551613-18446744073709551614/18446744073709551615");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->last, 18446744073709551614u);
}

TEST(ContentRange, RefusesHostileOrIncompleteValues) {
    for (const char* value : {
             "",
             "bytes",
             "bytes ",
             "bytes=0-1/2",
             "bits 0-1/2",
             "bytes0-1/2",
             "bytes */100",
             "bytes 0-/100",
             "bytes -5/100",
             "bytes 0-99",
             "bytes 0-99/",
             "bytes 0 - 99/100",
             "bytes 0-99 /100",
             "bytes 9-3/100",  // out of order
             "bytes 0-99/99",
             "bytes 0-99/50",  // total not beyond last
             "bytes 0-99/1000x",
             "bytes 0-99/1000, bytes 0-1/2",  // trailing bytes
             "bytes +1-2/3",
             "bytes 0x1-2/3",
             "bytes 0-18446744073709551616/*",     // 2^64
             "bytes 0-1/99999999999999999999999",  // overflow
         }) {
        EXPECT_FALSE(ParseContentRange(value)) << value;
    }
    // A value with a zero byte inside is not read past it as if it ended there.
    EXPECT_FALSE(ParseContentRange(std::string_view("bytes 0-1/2\0x", 13)));
}

TEST(ContentTypeCharset, FindsTheParameterWhereverItIs) {
    EXPECT_EQ(ContentTypeCharset("text/html; charset=GBK"), "gbk");
    EXPECT_EQ(ContentTypeCharset("text/html;charset=utf-8"), "utf-8");
    EXPECT_EQ(ContentTypeCharset("text/html; CharSet = \"UTF-8\" "), "utf-8");
    EXPECT_EQ(ContentTypeCharset("text/html; level=1; charset=gb2312"), "gb2312");
    // A quoted value of another parameter may hold what looks like one.
    EXPECT_EQ(ContentTypeCharset("text/html; x=\"a;charset=big5\"; charset=gbk"), "gbk");
    EXPECT_EQ(ContentTypeCharset("text/html; x=\"a\\\"b\"; charset=\"g\\bk\""), "gbk");
}

TEST(ContentTypeCharset, GivesNothingForAbsentOrImplausibleNames) {
    for (const char* value : {
             "",
             "text/html",
             "text/html;",
             "text/html; charset",
             "text/html; charset=",
             "text/html; charset=\"\"",
             "text/html; charset=\"gbk",  // unclosed
             "text/html; charset=\"g bk\"",
             "text/html; charset=gb k",
             "text/html; =gbk",
             "text/html; charset=\"\xe4\xb8\xad\"",
             "text/html; charset=gbk junk",
             "text/html; charset=aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",  // 41 letters
             "text/html; charset=\"gbk\\",
         }) {
        EXPECT_EQ(ContentTypeCharset(value), "") << value;
    }
    EXPECT_EQ(ContentTypeCharset("text/html; charset=aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"),
              std::string(kMaxCharsetLength, 'a'));
}

TEST(ContentLength, ReadsDigitsAndRepeatedEqualValues) {
    EXPECT_EQ(ParseContentLength("0"), 0u);
    EXPECT_EQ(ParseContentLength(" 1234 "), 1234u);
    EXPECT_EQ(ParseContentLength("42, 42,42"), 42u);
    EXPECT_EQ(ParseContentLength("18446744073709551615"), 18446744073709551615u);
    for (const char* value : {"", " ", "-1", "+1", "1 2", "0x10", "12a", "42, 43", "42,", ",42",
                              "18446744073709551616", "99999999999999999999999"}) {
        EXPECT_FALSE(ParseContentLength(value)) << value;
    }
}

// A 206 answer is accepted only for the range that was asked for: a server
// answering with other bytes would otherwise place them at the wrong offset.
TEST(JudgeAnswer, AcceptsOnlyTheRangeAskedFor) {
    FetchOptions options;
    options.useRange = true;
    options.rangeFirst = 100;
    options.rangeLast = 199;
    FetchResult result;
    result.status = 206;
    detail::ReadHeaders(result, "", "100", "bytes 100-199/1000");
    detail::JudgeAnswer(result, options);
    EXPECT_TRUE(result.ok) << result.error;

    detail::ReadHeaders(result, "", "100", "bytes 0-99/1000");
    detail::JudgeAnswer(result, options);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "HTTP 206 for another range than asked");

    detail::ReadHeaders(result, "", "100", "bytes 100-299/1000");
    detail::JudgeAnswer(result, options);
    EXPECT_FALSE(result.ok);

    detail::ReadHeaders(result, "", "100", "");
    detail::JudgeAnswer(result, options);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "HTTP 206 without a usable Content-Range");

    options.useRange = false;
    detail::ReadHeaders(result, "", "100", "bytes 100-199/1000");
    detail::JudgeAnswer(result, options);
    EXPECT_FALSE(result.ok);
}

TEST(ResolveLocation, EveryFormOfRedirectTarget) {
    const std::string base = "http://a.example:8080/dir/page.html?x=1#top";
    EXPECT_EQ(detail::ResolveLocation(base, "https://b.example/p"), "https://b.example/p");
    EXPECT_EQ(detail::ResolveLocation(base, "//b.example/p"), "http://b.example/p");
    EXPECT_EQ(detail::ResolveLocation(base, "/other?y"), "http://a.example:8080/other?y");
    EXPECT_EQ(detail::ResolveLocation(base, "?y=2"), "http://a.example:8080/dir/page.html?y=2");
    EXPECT_EQ(detail::ResolveLocation(base, "next.html#frag"),
              "http://a.example:8080/dir/next.html");
    EXPECT_EQ(detail::ResolveLocation(base, " x/y:z "), "http://a.example:8080/dir/x/y:z");
    EXPECT_EQ(detail::ResolveLocation("http://h", "p"), "http://h/p");
    EXPECT_EQ(detail::ResolveLocation("http://h?q", "?r"), "http://h/?r");
    // Another scheme stays as it is (and is refused by the fetch).
    EXPECT_EQ(detail::ResolveLocation(base, "ftp://h/f"), "ftp://h/f");
    EXPECT_EQ(detail::ResolveLocation(base, ""), "");
    EXPECT_EQ(detail::ResolveLocation(base, "#only"), "");
    EXPECT_EQ(detail::ResolveLocation("no-scheme", "/p"), "");
}

TEST(BodyCollector, CutsOnlyWhatGoesBeyondTheLimit) {
    FetchOptions options;
    options.maxBytes = 6;
    FetchResult result;
    detail::BodyCollector body(result, options);
    EXPECT_EQ(body.Add("abc", 3), detail::BodyCollector::Take::kMore);
    EXPECT_EQ(body.Add("def", 3), detail::BodyCollector::Take::kMore);
    EXPECT_FALSE(result.cut);  // exactly maxBytes: whole
    EXPECT_EQ(body.Add("g", 1), detail::BodyCollector::Take::kFull);
    EXPECT_TRUE(result.cut);
    EXPECT_EQ(result.body, "abcdef");

    std::string seen;
    options.sink = [&](const char* data, size_t size) {
        seen.append(data, size);
        return seen.size() < 4;
    };
    FetchResult viaSink;
    detail::BodyCollector sunk(viaSink, options);
    EXPECT_EQ(sunk.Add("ab", 2), detail::BodyCollector::Take::kMore);
    EXPECT_EQ(sunk.Add("cdefgh", 6), detail::BodyCollector::Take::kStopped);
    EXPECT_EQ(seen, "abcdef");  // the sink never sees more than maxBytes
    EXPECT_TRUE(viaSink.body.empty());
    EXPECT_TRUE(sunk.stopped());
}

}  // namespace
}  // namespace http
