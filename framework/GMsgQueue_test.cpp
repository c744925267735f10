#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/GMsgQueue.h"

namespace {

using GFC::GMsgPool;
using GFC::GMsgQueue;

std::string Bytes(const GMsgQueue::tagMsg& m) {
    return std::string(static_cast<const char*>(m.data), m.size);
}

void Push(GMsgQueue& q, const std::string& s) {
    q.PushMsg(s.data(), s.size());
}

TEST(GMsgQueue, KeepsOwnCopiesInArrivalOrder) {
    GMsgQueue q;
    EXPECT_TRUE(q.IsEmpty());
    char buf[4] = {'a', 'b', 'c', 'd'};
    q.PushMsg(buf, 4);
    std::memcpy(buf, "wxyz", 4);  // the caller's buffer is free again at once
    Push(q, "second");
    EXPECT_EQ(q.Size(), 2);
    EXPECT_EQ(Bytes(q.GetHeadMsg()), "abcd");
    EXPECT_NE(q.GetHeadMsg().data, static_cast<void*>(buf));
    q.PopMsg();
    EXPECT_EQ(Bytes(q.GetHeadMsg()), "second");
    q.PopMsg();
    EXPECT_TRUE(q.IsEmpty());
}

TEST(GMsgQueue, SixtyFifthOutstandingMessageFallsBackToTheHeapAndBlocksStayUsable) {
    GMsgQueue q;
    for (int i = 0; i < GMsgPool::kBlockCount; ++i) {
        Push(q, "m" + std::to_string(i));
    }
    EXPECT_EQ(q.GetPool().BlocksInUse(), 64);
    Push(q, "heap");
    EXPECT_EQ(q.Size(), 65);

    std::set<void*> seen;
    ASSERT_TRUE(q.BeginIterate());
    int i = 0;
    do {
        GMsgQueue::tagMsg m = q.IterGetCurrent();
        EXPECT_TRUE(seen.insert(m.data).second) << "two messages share a buffer";
        EXPECT_EQ(q.GetPool().IsPoolBuffer(m.data), i < 64) << i;
        ++i;
    } while (q.IterNext());
    q.EndIterate();
    EXPECT_EQ(i, 65);

    // Popping returns blocks in the order they were taken; the heap copy is
    // freed (LeakSanitizer would report it otherwise).
    void* first = q.GetHeadMsg().data;
    q.PopMsg();
    EXPECT_EQ(q.GetPool().BlocksInUse(), 63);
    Push(q, "reuses the first block");
    // First fit: the freed block is the first free one.
    q.BeginIterate();
    GMsgQueue::tagMsg last{};
    do {
        last = q.IterGetCurrent();
    } while (q.IterNext());
    EXPECT_EQ(last.data, first);
    EXPECT_EQ(Bytes(last), "reuses the first block");
    while (!q.IsEmpty()) {
        q.PopMsg();
    }
    EXPECT_EQ(q.GetPool().BlocksInUse(), 0);
    Push(q, "again");
    EXPECT_TRUE(q.GetPool().IsPoolBuffer(q.GetHeadMsg().data));
}

TEST(GMsgQueue, BlockSizeIsTheLimitOfPooledMessages) {
    GMsgQueue q;
    std::string exact(GMsgPool::kBlockSize, 'x');
    std::string over(GMsgPool::kBlockSize + 1, 'y');
    Push(q, exact);
    Push(q, over);
    Push(q, "");
    q.BeginIterate();
    EXPECT_TRUE(q.GetPool().IsPoolBuffer(q.IterGetCurrent().data));
    EXPECT_EQ(Bytes(q.IterGetCurrent()), exact);
    q.IterNext();
    EXPECT_FALSE(q.GetPool().IsPoolBuffer(q.IterGetCurrent().data));
    EXPECT_EQ(Bytes(q.IterGetCurrent()), over);
    q.IterNext();
    EXPECT_EQ(q.IterGetCurrent().size, 0u);
    EXPECT_NE(q.IterGetCurrent().data, nullptr);
    q.EndIterate();
    EXPECT_EQ(q.GetPool().BlocksInUse(), 2);
    q.Clear();
    EXPECT_EQ(q.GetPool().BlocksInUse(), 0);
}

TEST(GMsgQueue, EmptyQueueOperationsChangeNothing) {
    GMsgQueue q;
    q.PopMsg();
    q.Clear();
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(q.GetHeadMsg().data, nullptr);
    EXPECT_EQ(q.GetHeadMsg().size, 0u);
    EXPECT_FALSE(q.BeginIterate());
    EXPECT_TRUE(q.IsIterating());
    EXPECT_EQ(q.IterGetCurrent().data, nullptr);
    EXPECT_FALSE(q.IterNext());
    EXPECT_FALSE(q.IterEraseCurrent());
    q.EndIterate();
    EXPECT_FALSE(q.IsIterating());
    EXPECT_EQ(q.GetPool().BlocksInUse(), 0);
    // A null pointer with a length is not copied from.
    q.PushMsg(nullptr, 10);
    EXPECT_TRUE(q.IsEmpty());
}

TEST(GMsgQueue, ErasingEveryMessageWhileIteratingEmptiesTheQueue) {
    GMsgQueue q;
    for (int i = 0; i < 70; ++i) {
        Push(q, std::string(i % 3 == 0 ? 600 : 10, 'a'));
    }
    ASSERT_TRUE(q.BeginIterate());
    int erased = 0;
    bool more = true;
    while (more) {
        more = q.IterEraseCurrent();
        ++erased;
    }
    q.EndIterate();
    EXPECT_EQ(erased, 70);
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(q.GetPool().BlocksInUse(), 0);
}

TEST(GMsgQueue, ErasingSomeMessagesKeepsTheOthersInOrder) {
    GMsgQueue q;
    for (int i = 0; i < 6; ++i) {
        Push(q, std::to_string(i));
    }
    ASSERT_TRUE(q.BeginIterate());
    bool more = true;
    while (more) {
        int n = std::stoi(Bytes(q.IterGetCurrent()));
        more = (n % 2 == 0) ? q.IterEraseCurrent() : q.IterNext();
    }
    q.EndIterate();
    std::vector<std::string> left;
    while (!q.IsEmpty()) {
        left.push_back(Bytes(q.GetHeadMsg()));
        q.PopMsg();
    }
    EXPECT_EQ(left, (std::vector<std::string>{"1", "3", "5"}));
}

TEST(GMsgQueue, FreedBlocksAreHandedOutLowestFirst) {
    GMsgQueue q;
    Push(q, "a");
    Push(q, "b");
    Push(q, "c");
    std::vector<void*> blocks;
    q.BeginIterate();
    do {
        blocks.push_back(q.IterGetCurrent().data);
    } while (q.IterNext());
    // Free the third block, then the second; the next two pushes take the
    // second block first, then the third.
    q.BeginIterate();
    q.IterNext();
    q.IterNext();
    q.IterEraseCurrent();
    q.BeginIterate();
    q.IterNext();
    q.IterEraseCurrent();
    q.EndIterate();
    Push(q, "d");
    Push(q, "e");
    std::vector<void*> now;
    std::vector<std::string> text;
    q.BeginIterate();
    do {
        now.push_back(q.IterGetCurrent().data);
        text.push_back(Bytes(q.IterGetCurrent()));
    } while (q.IterNext());
    EXPECT_EQ(text, (std::vector<std::string>{"a", "d", "e"}));
    EXPECT_EQ(now, blocks);
}

TEST(GMsgQueue, PoppingTheMessageUnderTheCursorMovesTheCursorOn) {
    GMsgQueue q;
    Push(q, "a");
    Push(q, "b");
    ASSERT_TRUE(q.BeginIterate());
    q.PopMsg();
    EXPECT_EQ(Bytes(q.IterGetCurrent()), "b");
    q.Clear();
    EXPECT_EQ(q.IterGetCurrent().data, nullptr);
    EXPECT_FALSE(q.IterEraseCurrent());
}

}  // namespace
