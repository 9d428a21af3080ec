#include "core/test_clock.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/random_tables.h"
#include "core/timer.h"
#include "flash/base/bx_timer.h"
#include "platform/clock.h"
#include "platform/input/input_clock.h"
#include "tests/support/environment.h"

namespace {

struct TestClockTest : ::testing::Test {
    void TearDown() override { platform::useSystemClock(); }
};

TEST_F(TestClockTest, OnlyAWholePositiveNumberIsAStep) {
    struct Case {
        const char* value;
        core::TestClock result;
        uint64_t step;
    };
    const Case cases[] = {
        {nullptr, core::TestClock::Off, 0},    {"100", core::TestClock::On, 100},
        {"1", core::TestClock::On, 1},         {"3600000", core::TestClock::On, 3600000},
        {"0", core::TestClock::Invalid, 0},    {"", core::TestClock::Invalid, 0},
        {"ten", core::TestClock::Invalid, 0},  {"10ms", core::TestClock::Invalid, 0},
        {"-5", core::TestClock::Invalid, 0},   {"2.5", core::TestClock::Invalid, 0},
        {" 10", core::TestClock::Invalid, 0},  {"3600001", core::TestClock::Invalid, 0},
        {"99999999999999999999999", core::TestClock::Invalid, 0},
    };
    for (const Case& c : cases) {
        uint64_t step = 0;
        std::string error;
        EXPECT_EQ(core::parseTestClock(c.value, &step, &error), c.result) << (c.value ? c.value : "(unset)");
        EXPECT_EQ(step, c.step) << (c.value ? c.value : "(unset)");
        if (c.result == core::TestClock::Invalid) {
            EXPECT_EQ(error, std::string("TOV_TEST_CLOCK_MS=\"") + c.value +
                                 "\": the fixed clock step must be a whole number of milliseconds from 1 to 3600000");
        }
    }
}

TEST_F(TestClockTest, AnInvalidValueChangesNothing) {
    testsupport::ScopedEnv env("TOV_TEST_CLOCK_MS", "0");
    std::string error;
    EXPECT_EQ(core::useTestClockFromEnvironment(&error), core::TestClock::Invalid);
    EXPECT_FALSE(platform::virtualClockOn());
    EXPECT_NE(error.find("TOV_TEST_CLOCK_MS=\"0\""), std::string::npos);
}

// Every clock reader of the process, in milliseconds.
struct Reader {
    const char* name;
    std::function<double()> read;
};

TEST_F(TestClockTest, EveryReaderMovesByTheStepPerTurnAndTwoRunsAgree) {
    std::vector<std::vector<double>> runs;
    for (int run = 0; run < 2; ++run) {
        testsupport::ScopedEnv env("TOV_TEST_CLOCK_MS", "40");
        std::string error;
        ASSERT_EQ(core::useTestClockFromEnvironment(&error), core::TestClock::On) << error;
        CTimer timer;
        const std::vector<Reader> readers = {
            {"monotonicMs", [] { return static_cast<double>(platform::monotonicMs()); }},
            {"highResCounter",
             [] { return 1000.0 * platform::highResCounter() / static_cast<double>(platform::highResFrequency()); }},
            {"CTimer", [&] { return static_cast<double>(timer.getElapsedMs()); }},
            {"bx_timer ticks", [] { return static_cast<double>(flash::bx_timer::get_ticks()); }},
            {"bx_timer profile ticks",
             [] { return 1000.0 * flash::bx_timer::profile_ticks_to_seconds(flash::bx_timer::get_profile_ticks()); }},
            {"input clock", [] { return static_cast<double>(platform::inputTickCount()); }},
        };
        std::vector<double> first;
        for (const Reader& r : readers) first.push_back(r.read());
        for (int turn = 1; turn <= 5; ++turn) {
            platform::sleepMs(500);  // returns at once and moves nothing
            platform::advanceVirtualClock();
            for (size_t i = 0; i < readers.size(); ++i)
                EXPECT_NEAR(readers[i].read() - first[i], 40.0 * turn, 0.01) << readers[i].name << " turn " << turn;
        }
        std::vector<double> draws;
        for (int i = 0; i < 8; ++i) draws.push_back(randomFloat()), draws.push_back(randomInt());
        runs.push_back(draws);
        platform::useSystemClock();
    }
    EXPECT_EQ(runs[0], runs[1]);
}

}  // namespace
