#include "script/script_timers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "script/script_core.h"

namespace {
constexpr size_t kInitialQueueCapacity = 10;
}

ScriptTimerManager::ScriptTimerManager() : m_cursor(m_timers.end()) {
    m_deletionQueue.reserve(kInitialQueueCapacity);
}

ScriptTimerManager::~ScriptTimerManager() = default;

void ScriptTimerManager::addTimer(const std::string& script, float period, int count, bool runsWhenPaused) {
    int64_t runs = std::llabs(static_cast<int64_t>(count));
    int64_t counter = runs == 0 ? 0 : std::min<int64_t>(runs + 1, std::numeric_limits<int32_t>::max());
    std::unique_ptr<ScriptTimer>& slot = m_timers[script];
    // Replacing in place keeps a pass that is walking the map valid.
    if (!slot) slot = std::make_unique<ScriptTimer>();
    *slot = ScriptTimer{
        script, period, period, static_cast<int32_t>(counter), static_cast<uint8_t>(runsWhenPaused ? 1 : 0),
        false};
    // The later call wins over a deletion still queued for this text.
    m_deletionQueue.erase(std::remove(m_deletionQueue.begin(), m_deletionQueue.end(), script),
                          m_deletionQueue.end());
}

void ScriptTimerManager::update(float step, bool paused) {
    if (m_inPass) return;
    // A step that is no number would leave every timer's countdown NaN, never due again.
    if (std::isnan(step)) step = 0;
    m_inPass = true;
    for (m_cursor = m_timers.begin(); m_cursor != m_timers.end(); ++m_cursor) {
        ScriptTimer& timer = *m_cursor->second;
        if (timer.dead || (paused && !timer.runsWhenPaused)) continue;
        timer.remaining -= step;
        if (!(timer.remaining <= 0)) continue;
        if (timer.counter != 1) {
            timer.remaining = timer.period;  // the overshoot is dropped
            if (timer.counter != 0) --timer.counter;
        }
        // The script may replace this very timer, so it runs from a copy.
        std::string script = timer.script;
        runScriptBuffer(script.c_str(), script.size(), script.c_str());
        if (!timer.dead && timer.counter == 1) queueDeletion(timer.script);
    }
    finishPass();
}

void ScriptTimerManager::finishPass() {
    m_inPass = false;
    m_cursor = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        it = it->second->dead ? m_timers.erase(it) : std::next(it);
    }
    for (const std::string& script : m_deletionQueue) m_timers.erase(script);
    m_deletionQueue.clear();
}

void ScriptTimerManager::queueDeletion(const std::string& script) { m_deletionQueue.push_back(script); }

void ScriptTimerManager::deleteTimer(const std::string& script, bool deferred) {
    if (deferred) {
        queueDeletion(script);
        return;
    }
    auto found = m_timers.find(script);
    if (found == m_timers.end()) return;
    if (m_inPass)
        found->second->dead = true;
    else
        m_timers.erase(found);
}

void ScriptTimerManager::deleteCurrentTimer() {
    if (m_inPass && m_cursor != m_timers.end()) queueDeletion(m_cursor->first);
}

void ScriptTimerManager::clear() {
    if (m_inPass) {
        for (auto& entry : m_timers) entry.second->dead = true;
        return;
    }
    m_timers.clear();
    m_deletionQueue.clear();
}

const ScriptTimer* ScriptTimerManager::find(const std::string& script) const {
    auto found = m_timers.find(script);
    return found == m_timers.end() || found->second->dead ? nullptr : found->second.get();
}

size_t ScriptTimerManager::count() const {
    return std::count_if(m_timers.begin(), m_timers.end(),
                         [](const auto& entry) { return !entry.second->dead; });
}
