#include "platform/clock.h"

#include <time.h>

namespace platform {

uint64_t monotonicMs() {
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

int64_t highResCounter() {
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t highResFrequency() { return 1000000000; }

LocalTime localTime() {
    timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    tm t{};
    time_t secs = ts.tv_sec;
    ::localtime_r(&secs, &t);
    return LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                     static_cast<int>(ts.tv_nsec / 1000000)};
}

int64_t secondsSince1970() { return static_cast<int64_t>(::time(nullptr)); }

void sleepMs(unsigned ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace platform
