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

// The processor time the calling thread has used, in seconds (benchmarks: a frame's own time,
// without the driver's threads). Never the virtual clock.
double threadCpuSeconds();

// The virtual clock of reproducible runs. While it is on, monotonicMs and highResCounter read it
// (starting at 0) and sleepMs returns at once: time moves only when the main loop advances it, by
// one fixed step per turn, so every reader of time sees the same sequence on every run. The local
// wall-clock time (log stamps) is not affected.
void useVirtualClock(uint64_t stepMs);
// Back to the system's clock (tests).
void useSystemClock();
bool virtualClockOn();
uint64_t virtualClockStepMs();
// One main-loop turn: the clock moves by its step (nothing while it is off).
void advanceVirtualClock();
// Moves the clock by ms (tests).
void advanceVirtualClockMs(uint64_t ms);

}  // namespace platform
