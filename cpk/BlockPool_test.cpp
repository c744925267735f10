#include "cpk/BlockPool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

TEST(BlockPool, ClassesFillThenTheHeapServes) {
    BlockPool pool;
    std::vector<void*> blocks;
    for (int i = 0; i < 32; ++i) {
        blocks.push_back(pool.Allocate(300));
        ASSERT_TRUE(pool.Owns(blocks.back()));
        std::memset(blocks.back(), i, 1024);  // the whole class size is usable
    }
    EXPECT_EQ(pool.InUse(0), 32);
    void* extra = pool.Allocate(300);  // the 33rd
    ASSERT_NE(extra, nullptr);
    EXPECT_FALSE(pool.Owns(extra));
    pool.Release(extra);  // back to the heap, not to a slot
    EXPECT_EQ(pool.InUse(0), 32);
    for (void* b : blocks) {
        pool.Release(b);
    }
    EXPECT_EQ(pool.InUse(0), 0);

    void* huge = pool.Allocate(9u << 20);
    EXPECT_FALSE(pool.Owns(huge));
    pool.Release(huge);
    void* eight = pool.Allocate(8u << 20);
    EXPECT_TRUE(pool.Owns(eight));
    EXPECT_EQ(pool.InUse(5), 1);
    pool.Release(eight);
    // Each size goes to the smallest class that holds it.
    void* k64 = pool.Allocate(1025);
    EXPECT_EQ(pool.InUse(1), 1);
    pool.Release(k64);
    pool.Release(nullptr);
}

TEST(BlockPool, ReleasedBlocksAreHandedOutAgain) {
    BlockPool pool;
    void* a = pool.Allocate(100);
    pool.Release(a);
    void* b = pool.Allocate(200);
    EXPECT_EQ(a, b);
    pool.Release(b);
    EXPECT_EQ(pool.HandedOut(0), 2u);
}

TEST(BlockPool, ThreadsNeverShareABlock) {
    BlockPool pool;
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    std::vector<int> clashes(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 rng(static_cast<unsigned>(t));
            std::vector<std::pair<uint8_t*, size_t>> held;
            for (int i = 0; i < 2000; ++i) {
                if (held.size() < 20 && (rng() & 1)) {
                    size_t size = (rng() & 3) == 0 ? 70000 : 1 + rng() % 1024;
                    auto* p = static_cast<uint8_t*>(pool.Allocate(size));
                    std::memset(p, t + 1, size);
                    held.emplace_back(p, size);
                } else if (!held.empty()) {
                    auto [p, size] = held.back();
                    held.pop_back();
                    for (size_t k = 0; k < size; ++k) {
                        if (p[k] != t + 1) {
                            ++clashes[static_cast<size_t>(t)];
                            break;
                        }
                    }
                    pool.Release(p);
                }
            }
            for (auto& h : held) {
                pool.Release(h.first);
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    for (int c : clashes) {
        EXPECT_EQ(c, 0);
    }
    for (int c = 0; c < BlockPool::kClassCount; ++c) {
        EXPECT_EQ(pool.InUse(c), 0);
    }
}

}  // namespace
