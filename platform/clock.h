#pragma once
// Clocks: a monotonic millisecond count, a high-resolution counter, and the local wall-clock time.
#include <cstdint>

namespace platform {

uint64_t monotonicMs();
int64_t highResCounter();
int64_t highResFrequency();  // counter ticks per second

struct LocalTime {
    int year, month, day;      // month 1-12
    int hour, minute, second;  // hour 0-23
    int millisecond;
};
LocalTime localTime();
int64_t secondsSince1970();

void sleepMs(unsigned ms);

}  // namespace platform
