#include "core/random_tables.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Random, GeneratorIsTheClassicSequence) {
    core::srand(1);
    EXPECT_EQ(core::rand(), 41);
    EXPECT_EQ(core::rand(), 18467);
    EXPECT_EQ(core::rand(), 6334);
    EXPECT_EQ(core::rand(), 26500);
    core::srand(1);
    EXPECT_EQ(core::rand(), 41);
    // A fresh thread starts from seed 1 whatever this one did.
    int first = -1;
    std::thread([&] { first = core::rand(); }).join();
    EXPECT_EQ(first, 41);
}

TEST(Random, TablesHoldTheirRangesAndRepeat) {
    // The static initializer already filled them from the time of day.
    for (uint32_t i = 0; i < kRandomTableSize; ++i) {
        ASSERT_LE(g_randomInts[i], core::kRandMax);
        ASSERT_GE(g_randomFloats[i], 0.0f);
        ASSERT_LT(g_randomFloats[i], 1.0f);
    }

    initRandomTables(1);
    EXPECT_EQ(g_randomFloatIndex, 0);
    EXPECT_EQ(g_randomInts[0], 41);
    EXPECT_EQ(g_randomFloats[0], 18467 * 3.0517578e-5f);
    EXPECT_EQ(g_randomInts[1], 6334);
    // The first value handed out is entry 1.
    EXPECT_EQ(randomFloat(), 26500 * 3.0517578e-5f);
    EXPECT_EQ(randomInt(), 6334);

    initRandomTables(1);
    std::vector<float> first(kRandomTableSize);
    for (auto& f : first) f = randomFloat();
    EXPECT_EQ(g_randomFloatIndex, 0);  // wrapped
    for (uint32_t i = 0; i < kRandomTableSize; ++i) ASSERT_EQ(randomFloat(), first[i]);

    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(randomRange(2.0f, 2.0f), 2.0f);
        const float r = randomRange(-3.0f, 5.0f);
        EXPECT_GE(r, -3.0f);
        EXPECT_LT(r, 5.0f);
    }
}

}  // namespace
