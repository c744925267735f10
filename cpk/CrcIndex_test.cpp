// The flat crc index against std::map: the same answers after any sequence
// of changes, including crcs that crowd into the same slots and the crc 0.
#include "cpk/CrcIndex.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

void ExpectSame(const CrcIndex& flat, const std::map<uint32_t, int32_t>& model,
                const std::vector<uint32_t>& probes) {
    ASSERT_EQ(flat.size(), model.size());
    for (uint32_t crc : probes) {
        auto found = model.find(crc);
        ASSERT_EQ(flat.count(crc), found == model.end() ? 0u : 1u) << crc;
        ASSERT_EQ(flat.find(crc), found == model.end() ? -1 : found->second) << crc;
    }
}

TEST(CrcIndexTest, AnswersAsAnOrderedMapThroughInsertsRemovalsAndGrowth) {
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
    CrcIndex flat;
    std::map<uint32_t, int32_t> model;
    for (int step = 0; step < 60000; ++step) {
        const uint32_t crc = values[rng() % values.size()];
        // Mostly inserts early on, mostly removals later: the index grows
        // past several sizes and empties again.
        const bool add = (rng() % 100) < (step < 30000 ? 70u : 30u);
        if (add) {
            const bool fresh = model.count(crc) == 0;
            model[crc] = step;
            ASSERT_EQ(flat.insert(crc, step), fresh ? 1u : 0u) << step;
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

TEST(CrcIndexTest, RemovalKeepsCrcsThatProbedPastTheRemovedOneReachable) {
    // A dense run of crcs in a small index: every removal in the middle of
    // a probe chain must move the crcs behind it back, records with them.
    CrcIndex flat;
    flat.reserve(8);
    std::map<uint32_t, int32_t> model;
    std::vector<uint32_t> crcs;
    for (uint32_t k = 1; k <= 8; ++k) {
        crcs.push_back(k * 0x10001u);
    }
    for (uint32_t crc : crcs) {
        flat.insert(crc, static_cast<int32_t>(crc % 1000));
        model[crc] = static_cast<int32_t>(crc % 1000);
    }
    for (size_t k = 0; k < crcs.size(); k += 2) {
        EXPECT_EQ(flat.erase(crcs[k]), 1u);
        model.erase(crcs[k]);
        ExpectSame(flat, model, crcs);
    }
    EXPECT_EQ(flat.erase(crcs[0]), 0u);
    EXPECT_EQ(flat.insert(crcs[1], 5), 0u);
    EXPECT_EQ(flat.find(crcs[1]), 5);
}

TEST(CrcIndexTest, RenumberMovesEveryRecordItNamesAndKeepsTheRest) {
    CrcIndex flat;
    flat.insert(0, 2);
    flat.insert(11, 0);
    flat.insert(22, 1);
    flat.insert(33, 7);  // past the records renumbered
    flat.Renumber({2, 0, 1});
    EXPECT_EQ(flat.find(0), 1);
    EXPECT_EQ(flat.find(11), 2);
    EXPECT_EQ(flat.find(22), 0);
    EXPECT_EQ(flat.find(33), 7);
}

}  // namespace
