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

// Reproducible runs (the game and swfrun under the fixed clock) also settle what other threads
// would race for, since a loaded machine runs them at any pace: a loader thread's run has ended
// when its start returns, and the sound output is mixed by the virtual clock, by the turn's step,
// instead of by the device's own thread. The unit tests that drive the clock by hand leave it off,
// so their threads still run beside them.
void useReproducibleThreads(bool on);
bool reproducibleThreads();
// Called with the step each time the virtual clock moves while reproducible threads are on (the
// sound output's mixing); null removes it. One hook: the sound output is the only one.
using ClockTurnHook = void (*)(uint64_t ms, void* context);
void setClockTurnHook(ClockTurnHook hook, void* context);

}  // namespace platform
