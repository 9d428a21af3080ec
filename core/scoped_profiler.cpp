#include "core/scoped_profiler.h"

#include "core/log_stream.h"
#include "platform/clock.h"

ScopedProfiler::ScopedProfiler(float* total, int* count)
    : m_start(platform::highResCounter()), m_total(total), m_count(count) {}

ScopedProfiler::ScopedProfiler(const std::string& name, const std::string& endText)
    : ScopedProfiler(nullptr, nullptr) {
    setText(name, endText);
}

void ScopedProfiler::setText(const std::string& name, const std::string& endText) {
    m_name = name;
    m_endText = endText;
    m_active = true;
}

float ScopedProfiler::elapsedMs() const {
    const int64_t ticks = platform::highResCounter() - m_start;
    return static_cast<float>(static_cast<double>(ticks) / static_cast<double>(platform::highResFrequency()) * 1000.0);
}

ScopedProfiler::~ScopedProfiler() {
    if (!m_active) return;
    const float elapsed = elapsedMs();
    if (m_total) *m_total += elapsed;
    if (m_count) *m_count += 1;
    Tov::LogLine("MESSAGE") << m_endText << "; " << elapsed << " ms; " << m_name;
}
