#include "flash/base/bx_timer.h"

#include <ctime>
#include <mutex>

#include "platform/clock.h"

namespace flash::bx_timer {

namespace {

// std::localtime shares one result buffer: the lock keeps concurrent callers apart.
std::tm local_fields(int64_t systime) {
    static std::mutex lock;
    const std::time_t t = static_cast<std::time_t>(systime);
    std::lock_guard<std::mutex> guard(lock);
    const std::tm* fields = std::localtime(&t);
    return fields ? *fields : std::tm{};
}

}  // namespace

int64_t get_systime() { return platform::secondsSince1970(); }

int get_date(int64_t systime) { return local_fields(systime).tm_mday; }
int get_weekday(int64_t systime) { return local_fields(systime).tm_wday; }
int get_hours(int64_t systime) { return local_fields(systime).tm_hour; }
int get_year(int64_t systime) { return local_fields(systime).tm_year + 1900; }
int get_month(int64_t systime) { return local_fields(systime).tm_mon; }
int get_minutes(int64_t systime) { return local_fields(systime).tm_min; }
int get_seconds(int64_t systime) { return local_fields(systime).tm_sec; }
int get_year_since_1900(int64_t systime) { return local_fields(systime).tm_year; }
int64_t systime_to_milliseconds(int64_t systime) { return systime * 1000; }

uint64_t get_ticks() { return platform::monotonicMs(); }

double ticks_to_seconds(uint64_t ticks) {
    return static_cast<double>(ticks) * static_cast<double>(0.001f);
}

double ticks_to_seconds() { return ticks_to_seconds(get_ticks()); }

void sleep(int milliseconds) {
    if (milliseconds > 0) platform::sleepMs(static_cast<unsigned>(milliseconds));
}

uint64_t get_profile_ticks() { return static_cast<uint64_t>(platform::highResCounter()); }

double profile_ticks_to_seconds(uint64_t profile_ticks) {
    const int64_t frequency = platform::highResFrequency();
    return frequency > 0 ? static_cast<double>(profile_ticks) / static_cast<double>(frequency) : 0.0;
}

}  // namespace flash::bx_timer
