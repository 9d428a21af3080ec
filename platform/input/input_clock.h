#pragma once
// The input layer's millisecond clock: record time stamps and the tick count the input code
// compares them with. Tests replace it to step time by hand.
#include <cstdint>

namespace platform {

using InputClock = uint32_t (*)();

// Milliseconds, wrapping at 2^32 like the system tick count.
uint32_t inputTickCount();
// A null clock restores the monotonic one.
void setInputClock(InputClock clock);

}  // namespace platform
