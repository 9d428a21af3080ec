#include "flash/base/bx_random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flash/base/numeric.h"

namespace random_ns = flash::bx_random;

namespace {

TEST(BxRandom, SeedingRules) {
    random_ns::generator zero(0), seeded(12345);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(zero.next_random(), seeded.next_random());

    // The process-wide generator starts seeded with 987654321.
    random_ns::generator start;
    random_ns::generator explicit_start(987654321u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(start.next_random(), explicit_start.next_random());

    random_ns::seed_random(42);
    random_ns::generator same(42);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(random_ns::next_random(), same.next_random());
}

TEST(BxRandom, KnownAnswerSequences) {
    // Worked out by hand from the seeding and step rules; the second and the fourth run cover
    // the lag wrapping round and the carries that wrap the low word (values 15 and 18 of seed 1).
    const uint32_t seed_one[] = {0x489c57ec, 0xfad3cc35, 0x86d5ec9f, 0xc2c558e7, 0x3d81d0a4, 0xdcdf4b2d, 0xa64bf59b,
                                 0xe6054660, 0x67ec4088, 0xd4154e5f, 0xc56b0580, 0xc2b92c29, 0x9249503d, 0xc7835422,
                                 0xec63f7de, 0x082ce72b, 0x764f42b8, 0xed4501ac, 0x4e1d2b54, 0x41639b7f};
    random_ns::generator one(1);
    for (uint32_t expected : seed_one) EXPECT_EQ(one.next_random(), expected);

    const uint32_t start[] = {0xbcdda782, 0xbd953acc, 0xead75a59, 0x7f144001};
    random_ns::generator process_start;
    for (uint32_t expected : start) EXPECT_EQ(process_start.next_random(), expected);
}

TEST(BxRandom, UnitFloatStaysInRange) {
    EXPECT_EQ(random_ns::to_unit_float(0xFFFFFFFFu), 1.0f);
    EXPECT_EQ(random_ns::to_unit_float(0), 0.0f);
    random_ns::generator g(7);
    for (int i = 0; i < 100000; ++i) {
        const float f = g.get_unit_float();
        ASSERT_GE(f, 0.0f);
        ASSERT_LE(f, 1.0f);
    }
}

TEST(Numeric, HelpersAndTheFiniteRule) {
    EXPECT_EQ(flash::iclamp(15, 0, 10), 10);
    EXPECT_EQ(flash::iclamp(-5, 0, 10), 0);
    EXPECT_EQ(flash::imax(3, 4), 4);
    EXPECT_EQ(flash::imin(3, 4), 3);
    EXPECT_EQ(flash::fclamp(1.5f, 0.0f, 1.0f), 1.0f);
    EXPECT_EQ(flash::flerp(2.0f, 4.0f, 0.25f), 2.5f);
    EXPECT_EQ(flash::ftrunc(-2.7f), -2);
    EXPECT_EQ(flash::frnd(2.5f), 3);
    EXPECT_EQ(flash::frnd(-2.7f), -2);  // toward zero after adding 0.5
    EXPECT_EQ(flash::ftrunc(1e20f), 0);
    EXPECT_NEAR(flash::flog2(8.0f), 3.0f, 1e-6f);
    EXPECT_TRUE(std::isnan(flash::get_nan()));

    float v = 3.0e38f;
    flash::finite_multiply(v, 10);
    EXPECT_EQ(v, 0.0f);
    flash::finite_assign(v, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(v, 0.0f);
    flash::finite_assign(v, -3.0e38);
    EXPECT_EQ(v, -3.0e38f);
    flash::finite_add(v, -3.0e38);
    EXPECT_EQ(v, 0.0f);
    v = 1.0f;
    flash::finite_add(v, 2.0);
    EXPECT_EQ(v, 3.0f);

    const unsigned char a[8] = {1, 2, 3, 4, 5, 6, 7, 8}, b[8] = {1, 2, 3, 4, 5, 6, 7, 9};
    EXPECT_TRUE(flash::equal_8_bytes(a, a));
    EXPECT_FALSE(flash::equal_8_bytes(a, b));
}

}  // namespace
