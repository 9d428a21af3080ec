#pragma once
// Short Lua texts run after a delay, repeatedly or a given number of times. A timer is known by its
// text: adding a text that has a timer replaces it. Scripts may add, replace, delete and clear
// timers while a timer runs: during a pass nothing is erased, timers are marked dead and erased
// when the pass ends.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/singleton.h"

struct ScriptTimer {
    std::string script;
    float period = 0;
    float remaining = 0;
    int32_t counter = 0;  // 0 endless, else runs left plus one
    uint8_t runsWhenPaused = 0;
    bool dead = false;  // deleted during a pass, erased after it
};

class ScriptTimerManager : public Tov::Singleton<ScriptTimerManager> {
public:
    ScriptTimerManager();
    ~ScriptTimerManager() override;

    // Count 0 runs endlessly, N (or -N) runs N times.
    void addTimer(const std::string& script, float period, int count, bool runsWhenPaused);
    // Advances every timer by `step` seconds (only those that run when paused, while paused) and
    // runs the due ones in text order.
    void update(float step, bool paused);
    // Now, or (deferred) at the end of the current or next update.
    void deleteTimer(const std::string& script, bool deferred);
    // Queues the timer whose script is running; nothing outside a pass.
    void deleteCurrentTimer();
    void clear();

    // The live timer of that text, or null.
    const ScriptTimer* find(const std::string& script) const;
    size_t count() const;

private:
    using TimerMap = std::map<std::string, std::unique_ptr<ScriptTimer>>;

    void queueDeletion(const std::string& script);
    void finishPass();

    TimerMap m_timers;
    std::vector<std::string> m_deletionQueue;
    TimerMap::iterator m_cursor;
    bool m_inPass = false;
};
