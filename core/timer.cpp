#include "core/timer.h"

#include "platform/clock.h"

CTimer::CTimer() { restart(); }

void CTimer::restart() {
    m_frequency = platform::highResFrequency();
    m_start = platform::highResCounter();
    if (m_frequency <= 0) throw 0;
}

uint32_t CTimer::getElapsedMs() {
    int64_t now = platform::highResCounter();
    // Multiply before dividing, in 64 bits; nanosecond ticks keep this far from overflow.
    return static_cast<uint32_t>((now - m_start) * 1000 / m_frequency);
}
