#include "core/test_clock.h"

#include <cerrno>
#include <cstdlib>

#include "core/random_tables.h"
#include "platform/clock.h"

namespace core {

namespace {
// A step past an hour per turn is no frame step but a typing error.
constexpr unsigned long long kMaxStepMs = 3'600'000;
}  // namespace

TestClock parseTestClock(const char* value, uint64_t* stepMs, std::string* error) {
    if (!value) return TestClock::Off;
    const std::string text = value;
    char* end = nullptr;
    errno = 0;
    const unsigned long long step = std::strtoull(value, &end, 10);
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || errno != 0 || !end || *end != 0 || step == 0 || step > kMaxStepMs) {
        if (error)
            *error = std::string(kTestClockVariable) + "=\"" + text +
                     "\": the fixed clock step must be a whole number of milliseconds from 1 to 3600000";
        return TestClock::Invalid;
    }
    *stepMs = step;
    return TestClock::On;
}

TestClock useTestClockFromEnvironment(std::string* error) {
    uint64_t step = 0;
    const TestClock result = parseTestClock(std::getenv(kTestClockVariable), &step, error);
    if (result == TestClock::On) {
        platform::useVirtualClock(step);
        platform::useReproducibleThreads(true);
        initRandomTables(kTestRandomSeed);
    }
    return result;
}

}  // namespace core
