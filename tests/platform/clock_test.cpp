#include "platform/clock.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct VirtualClockTest : ::testing::Test {
    void TearDown() override { useSystemClock(); }
};

TEST_F(VirtualClockTest, EveryReaderMovesOnlyByTheStepPerTurn) {
    useVirtualClock(17);
    ASSERT_TRUE(virtualClockOn());
    EXPECT_EQ(virtualClockStepMs(), 17u);
    EXPECT_EQ(monotonicMs(), 0u);
    EXPECT_EQ(highResCounter(), 0);
    sleepMs(5000);  // returns at once and moves nothing
    EXPECT_EQ(monotonicMs(), 0u);
    for (int turn = 1; turn <= 3; ++turn) {
        advanceVirtualClock();
        EXPECT_EQ(monotonicMs(), 17u * turn);
        EXPECT_EQ(highResCounter(), 17 * turn * highResFrequency() / 1000);
    }
    advanceVirtualClockMs(2000);
    EXPECT_EQ(monotonicMs(), 2051u);
}

TEST_F(VirtualClockTest, StartsAgainAtZeroAndTheSystemClockComesBack) {
    useVirtualClock(10);
    advanceVirtualClock();
    useVirtualClock(5);
    EXPECT_EQ(monotonicMs(), 0u);
    useSystemClock();
    EXPECT_FALSE(virtualClockOn());
    advanceVirtualClock();  // no effect on the system clock
    const uint64_t before = monotonicMs();
    sleepMs(2);
    EXPECT_GE(monotonicMs(), before + 2);
}

TEST_F(VirtualClockTest, ThreadTimeGrowsWithWorkAndNotWithTheVirtualClock) {
    useVirtualClock(1000);
    const double before = threadCpuSeconds();
    EXPECT_GT(before, 0.0);
    advanceVirtualClockMs(60000);
    // A minute of virtual time is no processor time.
    EXPECT_LT(threadCpuSeconds() - before, 1.0);
    volatile double sum = 0.0;
    for (int i = 0; i < 20000000; ++i) sum = sum + i * 0.5;
    EXPECT_GT(threadCpuSeconds(), before);
}

}  // namespace
}  // namespace platform
