#pragma once
// The fixed-step switch of reproducible runs: TOV_TEST_CLOCK_MS=N puts every clock reader of the
// process on the virtual clock (platform/clock.h), moved by N milliseconds per main-loop turn,
// makes loader threads and the sound output keep step with it, and seeds the random tables with a
// fixed value, so two runs of one input file log the same lines but for the stamps, however
// loaded the machine is. The game and swfrun call it once at start and then
// platform::advanceVirtualClock() once per main-loop turn.
#include <cstdint>
#include <string>

namespace core {

inline constexpr const char* kTestClockVariable = "TOV_TEST_CLOCK_MS";
// The seed of the random tables under the test clock.
inline constexpr unsigned kTestRandomSeed = 20240101u;

enum class TestClock {
    Off,      // the variable is not set: the system's clock stays
    On,       // the virtual clock runs with the given step
    Invalid,  // set, but not a whole number of 1 or more: the run must stop
};

// Reads the variable's text (null when unset): the step, or the reason it is refused.
TestClock parseTestClock(const char* value, uint64_t* stepMs, std::string* error);

// Reads TOV_TEST_CLOCK_MS and, when it holds a step, turns the virtual clock on with it, makes the
// other threads' results arrive at fixed turns (platform::useReproducibleThreads) and seeds the
// random tables. Invalid leaves everything as it was and puts a message naming the variable
// and its text into error.
TestClock useTestClockFromEnvironment(std::string* error);

}  // namespace core
