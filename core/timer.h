#pragma once
// A high-resolution stopwatch.
#include <cstdint>

class CTimer {
public:
    CTimer();  // throws int 0 when the platform has no counter
    virtual ~CTimer() = default;
    virtual void restart();
    virtual uint32_t getElapsedMs();

private:
    int64_t m_start = 0;
    int64_t m_frequency = 0;
};
