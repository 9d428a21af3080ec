#include "platform/input/input_clock.h"

#include <atomic>

#include "platform/clock.h"

namespace platform {
namespace {
std::atomic<InputClock> s_clock{nullptr};
}

uint32_t inputTickCount() {
    const InputClock clock = s_clock.load();
    return clock ? clock() : static_cast<uint32_t>(monotonicMs());
}

void setInputClock(InputClock clock) { s_clock.store(clock); }

}  // namespace platform
