#include "platform/clock.h"

#include <time.h>

#include <atomic>

namespace platform {

namespace {
// Read by loader threads too.
std::atomic<bool> s_virtualOn{false};
std::atomic<uint64_t> s_virtualNowMs{0};
std::atomic<uint64_t> s_virtualStepMs{0};
std::atomic<bool> s_reproducibleThreads{false};
// Set and called on the main thread.
ClockTurnHook s_turnHook = nullptr;
void* s_turnHookContext = nullptr;

void runTurnHook(uint64_t ms) {
    if (s_turnHook && s_reproducibleThreads) s_turnHook(ms, s_turnHookContext);
}
constexpr int64_t nanosecondsPerMs = 1000000;
}  // namespace

void useVirtualClock(uint64_t stepMs) {
    s_virtualStepMs = stepMs;
    s_virtualNowMs = 0;
    s_virtualOn = true;
}

void useSystemClock() { s_virtualOn = false; }

bool virtualClockOn() { return s_virtualOn; }

uint64_t virtualClockStepMs() { return s_virtualStepMs; }

void advanceVirtualClock() {
    if (!s_virtualOn) return;
    s_virtualNowMs += s_virtualStepMs;
    runTurnHook(s_virtualStepMs);
}

void advanceVirtualClockMs(uint64_t ms) {
    if (!s_virtualOn) return;
    s_virtualNowMs += ms;
    runTurnHook(ms);
}

void useReproducibleThreads(bool on) { s_reproducibleThreads = on; }

bool reproducibleThreads() { return s_reproducibleThreads; }

void setClockTurnHook(ClockTurnHook hook, void* context) {
    s_turnHook = hook;
    s_turnHookContext = context;
}

uint64_t monotonicMs() {
    if (s_virtualOn) return s_virtualNowMs;
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

int64_t highResCounter() {
    if (s_virtualOn) return static_cast<int64_t>(s_virtualNowMs.load()) * nanosecondsPerMs;
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
    if (s_virtualOn) return;
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0) {
    }
}

double threadCpuSeconds() {
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) return 0.0;
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace platform
