// The flat crc set against std::set: the same answers after any sequence of
// changes, including crcs that crowd into the same slots and the crc 0.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "cpk/CrcSet.h"

namespace {

void ExpectSame(const CrcSet& flat, const std::set<uint32_t>& model,
                const std::vector<uint32_t>& probes) {
    ASSERT_EQ(flat.size(), model.size());
    for (uint32_t crc : probes) {
        ASSERT_EQ(flat.count(crc), model.count(crc)) << crc;
    }
}

TEST(CrcSetTest, AnswersAsAnOrderedSetThroughInsertsRemovalsAndGrowth) {
    // Few distinct values, so that inserts meet crcs already there and
    // removals find them; crcs a multiple of 2^28 apart share their low
    // bits, and the hash must still tell them apart.
    std::mt19937 rng(7);
    std::vector<uint32_t> values{0, 1, 0xFFFFFFFFu};
    for (uint32_t k = 1; k < 16; ++k) {
        values.push_back(k << 28);
    }
    while (values.size() < 3000) {
        values.push_back(static_cast<uint32_t>(rng()));
    }
    CrcSet flat;
    std::set<uint32_t> model;
    for (int step = 0; step < 60000; ++step) {
        const uint32_t crc = values[rng() % values.size()];
        // Mostly inserts early on, mostly removals later: the set grows past
        // several sizes and empties again.
        const bool add = (rng() % 100) < (step < 30000 ? 70u : 30u);
        if (add) {
            ASSERT_EQ(flat.insert(crc), model.insert(crc).second ? 1u : 0u) << step;
        } else {
            ASSERT_EQ(flat.erase(crc), model.erase(crc)) << step;
        }
        if (step % 5000 == 0) {
            ExpectSame(flat, model, values);
        }
    }
    ExpectSame(flat, model, values);
    flat.clear();
    model.clear();
    ExpectSame(flat, model, values);
    EXPECT_TRUE(flat.empty());
}

TEST(CrcSetTest, RemovalKeepsCrcsThatProbedPastTheRemovedOneReachable) {
    // A dense run of crcs in a small table: every removal in the middle of
    // a probe chain must move the crcs behind it back.
    CrcSet flat;
    flat.reserve(8);
    std::set<uint32_t> model;
    std::vector<uint32_t> crcs;
    for (uint32_t k = 1; k <= 8; ++k) {
        crcs.push_back(k * 0x10001u);
    }
    for (uint32_t crc : crcs) {
        flat.insert(crc);
        model.insert(crc);
    }
    for (size_t k = 0; k < crcs.size(); k += 2) {
        EXPECT_EQ(flat.erase(crcs[k]), 1u);
        model.erase(crcs[k]);
        ExpectSame(flat, model, crcs);
    }
    EXPECT_EQ(flat.erase(crcs[0]), 0u);
    EXPECT_EQ(flat.insert(crcs[1]), 0u);
}

}  // namespace
