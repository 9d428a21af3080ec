#include "flash/base/bx_timer.h"

#include <gtest/gtest.h>

namespace timer = flash::bx_timer;

namespace {

TEST(BxTimer, CalendarFields) {
    const int64_t now = timer::get_systime();
    EXPECT_GT(now, 1600000000);
    EXPECT_EQ(timer::get_year(now), timer::get_year_since_1900(now) + 1900);
    EXPECT_GE(timer::get_month(now), 0);
    EXPECT_LE(timer::get_month(now), 11);
    EXPECT_GE(timer::get_date(now), 1);
    EXPECT_LE(timer::get_weekday(now), 6);
    EXPECT_LE(timer::get_hours(now), 23);
    EXPECT_LE(timer::get_minutes(now), 59);
    EXPECT_LE(timer::get_seconds(now), 60);
    EXPECT_EQ(timer::systime_to_milliseconds(now), now * 1000);
}

TEST(BxTimer, TicksAdvance) {
    const uint64_t before = timer::get_ticks();
    const uint64_t profile_before = timer::get_profile_ticks();
    timer::sleep(5);
    EXPECT_GE(timer::get_ticks() - before, 4u);
    EXPECT_GT(timer::profile_ticks_to_seconds(timer::get_profile_ticks() - profile_before), 0.004);
    EXPECT_NEAR(timer::ticks_to_seconds(1500), 1.5, 1e-6);
    EXPECT_GT(timer::ticks_to_seconds(), 0.0);
}

}  // namespace
