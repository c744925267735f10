// GMsgQueue keeps messages of up to 512 bytes in its block pool; the peer a
// programmer would otherwise reach for is a deque of byte vectors, which
// allocates for every message. Both run the session's pattern: a burst of
// messages queued, then drained from the head.
#include <benchmark/benchmark.h>

#include <deque>
#include <vector>

#include "framework/GMsgQueue.h"

namespace {

constexpr int kBurst = 32;

void BM_GMsgQueue_PushPop(benchmark::State& state) {
    const std::vector<char> message(static_cast<size_t>(state.range(0)), 'm');
    GFC::GMsgQueue queue;
    size_t bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBurst; ++i) {
            queue.PushMsg(message.data(), message.size());
        }
        while (!queue.IsEmpty()) {
            bytes += queue.GetHeadMsg().size;
            queue.PopMsg();
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * kBurst);
}

void BM_Deque_PushPop(benchmark::State& state) {
    const std::vector<char> message(static_cast<size_t>(state.range(0)), 'm');
    std::deque<std::vector<char>> queue;
    size_t bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBurst; ++i) {
            queue.emplace_back(message.begin(), message.end());
        }
        while (!queue.empty()) {
            bytes += queue.front().size();
            queue.pop_front();
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * kBurst);
}

// 64 and 512 bytes stay in the pool; 2048 takes the heap path in both.
BENCHMARK(BM_GMsgQueue_PushPop)->Arg(64)->Arg(512)->Arg(2048);
BENCHMARK(BM_Deque_PushPop)->Arg(64)->Arg(512)->Arg(2048);

}  // namespace
BENCHMARK_MAIN();
