#pragma once
// The engine's clock functions: calendar time in whole seconds and its local-time fields,
// monotonic millisecond ticks, sleeping, and the high-resolution profile counter.
#include <cstdint>

namespace flash::bx_timer {

// Current calendar time, whole seconds since 1970.
int64_t get_systime();
// Local-time fields of a systime: day of month 1-31, weekday 0 = Sunday, hour 0-23, year (with
// 1900 added), month 0-11, minute, second, and years since 1900.
int get_date(int64_t systime);
int get_weekday(int64_t systime);
int get_hours(int64_t systime);
int get_year(int64_t systime);
int get_month(int64_t systime);
int get_minutes(int64_t systime);
int get_seconds(int64_t systime);
int get_year_since_1900(int64_t systime);
int64_t systime_to_milliseconds(int64_t systime);

// Monotonic milliseconds.
uint64_t get_ticks();
double ticks_to_seconds(uint64_t ticks);
// The current ticks in seconds.
double ticks_to_seconds();
void sleep(int milliseconds);

uint64_t get_profile_ticks();
double profile_ticks_to_seconds(uint64_t profile_ticks);

}  // namespace flash::bx_timer
