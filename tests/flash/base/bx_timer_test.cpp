#include "flash/base/bx_timer.h"

#include <gtest/gtest.h>

#include "tests/support/environment.h"

namespace timer = flash::bx_timer;

namespace {

TEST(BxTimer, CalendarFieldsOfAFixedInstant) {
    // 2024-02-29 23:59:58 UTC, a Thursday: in a zone five hours west it is 18:59:58 the same day.
    const int64_t leap_day = 1709251198;
    struct row {
        const char* zone;
        int year, month, date, weekday, hours, minutes, seconds;
    };
    for (const row& r : {row{"UTC0", 2024, 1, 29, 4, 23, 59, 58}, row{"EST5", 2024, 1, 29, 4, 18, 59, 58}}) {
        testsupport::ScopedEnv zone("TZ", r.zone);
        EXPECT_EQ(timer::get_year(leap_day), r.year) << r.zone;
        EXPECT_EQ(timer::get_year_since_1900(leap_day), r.year - 1900) << r.zone;
        EXPECT_EQ(timer::get_month(leap_day), r.month) << r.zone;
        EXPECT_EQ(timer::get_date(leap_day), r.date) << r.zone;
        EXPECT_EQ(timer::get_weekday(leap_day), r.weekday) << r.zone;
        EXPECT_EQ(timer::get_hours(leap_day), r.hours) << r.zone;
        EXPECT_EQ(timer::get_minutes(leap_day), r.minutes) << r.zone;
        EXPECT_EQ(timer::get_seconds(leap_day), r.seconds) << r.zone;
    }
    // One second later it is Friday the first of March in UTC.
    testsupport::ScopedEnv zone("TZ", "UTC0");
    EXPECT_EQ(timer::get_month(leap_day + 2), 2);
    EXPECT_EQ(timer::get_date(leap_day + 2), 1);
    EXPECT_EQ(timer::get_weekday(leap_day + 2), 5);
    EXPECT_EQ(timer::systime_to_milliseconds(leap_day), leap_day * 1000);
    EXPECT_GT(timer::get_systime(), leap_day);
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
