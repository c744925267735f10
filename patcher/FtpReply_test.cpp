// Reply lines, SIZE and PASV answers, and the remote path.
#include "patcher/FtpReply.h"

#include <gtest/gtest.h>

#include <string>

#include "patcher/CBufferPool.h"
#include "platform/text.h"

namespace {

std::string Feed(const std::string& bytes, ReplyLine::State* last = nullptr) {
    ReplyLine line;
    ReplyLine::State s = ReplyLine::State::kMore;
    for (char c : bytes) {
        s = line.Feed(c);
        if (s != ReplyLine::State::kMore) {
            break;
        }
    }
    if (last) {
        *last = s;
    }
    return line.Text();
}

TEST(FtpReply, LinesEndAtTheLineFeedAndAreCutAtCrLf) {
    ReplyLine::State s;
    EXPECT_EQ(Feed("220 ready\r\nextra", &s), "220 ready");
    EXPECT_EQ(s, ReplyLine::State::kDone);
    EXPECT_EQ(Feed("220 bare\n", &s), "220 bare\n");
    EXPECT_EQ(s, ReplyLine::State::kDone);
    Feed(std::string(kReplyBytesMax - 1, 'x') + "\n", &s);
    EXPECT_EQ(s, ReplyLine::State::kDone) << "a line of exactly the limit";
    Feed(std::string(kReplyBytesMax, 'x') + "\n", &s);
    EXPECT_EQ(s, ReplyLine::State::kOverlong);
}

TEST(FtpReply, CodesAreThreeDigitsAndMultiLineRepliesFail) {
    EXPECT_EQ(ReplyCode("220 ProFTPD Server"), 220);
    EXPECT_EQ(ReplyCode("350"), 350);
    EXPECT_EQ(ReplyCode("230-Welcome"), 0);
    EXPECT_EQ(ReplyCode("22"), 0);
    EXPECT_EQ(ReplyCode("2x0 no"), 0);
    EXPECT_EQ(ReplyCode(" 220"), 0);
    EXPECT_EQ(ReplyCode("999 beyond"), 0);
    EXPECT_EQ(ReplyCode("099 below"), 0);
}

TEST(FtpReply, SizeIsTheNumberAfterTheFirstBlank) {
    EXPECT_EQ(ParseSizeReply("213 1000000"), 1000000);
    EXPECT_EQ(ParseSizeReply("213 0"), 0);
    EXPECT_EQ(ParseSizeReply("213 2147483647"), 2147483647);
    EXPECT_EQ(ParseSizeReply("213 12 "), 12) << "trailing blanks";
    EXPECT_FALSE(ParseSizeReply("213 2147483648")) << "beyond int32";
    EXPECT_FALSE(ParseSizeReply("213 99999999999999999999")) << "overflow";
    EXPECT_FALSE(ParseSizeReply("213 -5"));
    EXPECT_FALSE(ParseSizeReply("213 12abc"));
    EXPECT_FALSE(ParseSizeReply("213 "));
    EXPECT_FALSE(ParseSizeReply("213"));
    EXPECT_FALSE(ParseSizeReply("213  7")) << "two blanks: no number after the first";
}

TEST(FtpReply, PasvNeedsSixNumbersInParentheses) {
    auto a = ParsePasvReply("227 Entering Passive Mode (127,0,0,1,156,88).");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Dotted(), "127.0.0.1");
    EXPECT_EQ(a->port, 156 * 256 + 88);
    auto spaced = ParsePasvReply("227 =( 10, 1, 2, 3, 0, 21 )");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->port, 21);
    const char* bad[] = {
        "227 Entering Passive Mode 127,0,0,1,156,88",  // no parentheses
        "227 (127,0,0,1,156,88",                       // unclosed
        "227 (127,0,0,1,156)",                         // five numbers
        "227 (127,0,0,1,156,88,1)",                    // seven
        "227 (256,0,0,1,156,88)",                      // host byte out of range
        "227 (127,0,0,1,300,88)",                      // port byte out of range
        "227 (127,0,0,1,0,0)",                         // port 0
        "227 (127,0,0,1,-1,88)",                       // signed
        "227 (127,0,0,1,0001,88)",                     // too many digits
        "227 (127,,0,1,156,88)",                       // empty number
        "227 )127,0,0,1,156,88(",                      // reversed
    };
    for (const char* line : bad) {
        EXPECT_FALSE(ParsePasvReply(line)) << line;
    }
}

TEST(FtpReply, RemotePathsUseSlashesAndKeepGbkTrailBytes) {
    EXPECT_EQ(RemoteFilePath("v100", "p101.cpk"), "/v100/p101.cpk");
    EXPECT_EQ(RemoteFilePath("v100\\sub\\", "p.cpk"), "/v100/sub/p.cpk");
    EXPECT_EQ(RemoteFilePath("\\v100", "p.cpk"), "/v100/p.cpk");
    EXPECT_EQ(RemoteFilePath("", "p.cpk"), "/p.cpk");
    // "表" is 0xB1 0xED, "声" 0xC9 0xF9; 0x95 0x5C has a "\" as its trail byte.
    std::string gbkDir = std::string("\x95\x5C", 2) + "\\x";
    EXPECT_EQ(RemoteFilePath(gbkDir, "p"), std::string("/\x95\x5C/x/p", 7));
}

TEST(BufferPool, ReusesBlocksAndFallsBackToTheHeap) {
    CBufferPool pool;
    ASSERT_TRUE(pool.AddClass(64, 2));
    ASSERT_TRUE(pool.AddClass(1024, 0));
    EXPECT_EQ(pool.BlockCount(), 2u);
    void* a = pool.Get(10);
    void* b = pool.Get(64);
    void* c = pool.Get(64);  // the class grows
    EXPECT_EQ(pool.BlockCount(), 3u);
    void* big = pool.Get(500);    // the second class
    void* huge = pool.Get(5000);  // no class: the heap
    EXPECT_EQ(pool.BlockCount(), 4u);
    EXPECT_EQ(pool.InUseCount(), 4u);
    pool.Put(a);
    pool.Put(a);  // twice: still one free block
    EXPECT_EQ(pool.InUseCount(), 3u);
    void* again = pool.Get(1);
    EXPECT_EQ(again, a);
    EXPECT_EQ(pool.InUseCount(), 4u);
    for (void* p : {again, b, c, big, huge}) {
        pool.Put(p);
    }
    pool.Put(nullptr);
    EXPECT_EQ(pool.InUseCount(), 0u);
    for (size_t i = 2; i < kPoolClassesMax; ++i) {
        EXPECT_TRUE(pool.AddClass(16, 0));
    }
    EXPECT_FALSE(pool.AddClass(16, 0)) << "at most eight classes";
}

}  // namespace
