#pragma once
// A timing scope: when it ends (on any path out of the scope) an active profiler adds its elapsed
// milliseconds to a running total and count and logs one MESSAGE line
// "<end text>; <milliseconds> ms; <name>".
#include <cstdint>
#include <string>

class ScopedProfiler {
public:
    // Records the start; the profiler logs only once setText made it active. Null total or count
    // are not accumulated.
    ScopedProfiler(float* total, int* count);
    // The same, active at once.
    ScopedProfiler(const std::string& name, const std::string& endText);
    ~ScopedProfiler();
    ScopedProfiler(const ScopedProfiler&) = delete;
    ScopedProfiler& operator=(const ScopedProfiler&) = delete;

    void setText(const std::string& name, const std::string& endText);
    // Milliseconds since construction.
    float elapsedMs() const;

private:
    std::string m_name;
    std::string m_endText;
    bool m_active = false;
    int64_t m_start = 0;
    float* m_total = nullptr;
    int* m_count = nullptr;
};
