#include "app/game_timers.h"

#include <algorithm>

GameTimerManager::~GameTimerManager() { clear(); }

bool GameTimerManager::contains(const BaseGameTimer* timer) const {
    return std::find(m_timers.begin(), m_timers.end(), timer) != m_timers.end() ||
           std::find(m_added.begin(), m_added.end(), timer) != m_added.end();
}

void GameTimerManager::add(BaseGameTimer* timer) {
    if (!timer || contains(timer)) return;
    (m_walking ? m_added : m_timers).push_back(timer);
}

void GameTimerManager::update(float dt) {
    if (m_walking) return;  // a callback that steps the timers again would walk them twice
    m_walking = true;
    m_clearedInWalk = false;
    for (size_t i = 0; i < m_timers.size();) {
        BaseGameTimer* timer = m_timers[i];
        const bool finished = timer->update(dt);
        if (m_clearedInWalk) break;  // every timer went to the graveyard
        if (finished) {
            m_timers.erase(m_timers.begin() + static_cast<std::ptrdiff_t>(i));
            delete timer;
            continue;
        }
        ++i;
    }
    m_walking = false;
    m_timers.insert(m_timers.end(), m_added.begin(), m_added.end());
    m_added.clear();
    for (BaseGameTimer* timer : m_graveyard) delete timer;
    m_graveyard.clear();
}

void GameTimerManager::clear() {
    if (m_walking) {
        // The timer being stepped is still running its callback: nothing is freed until the walk ends.
        m_graveyard.insert(m_graveyard.end(), m_timers.begin(), m_timers.end());
        m_graveyard.insert(m_graveyard.end(), m_added.begin(), m_added.end());
        m_timers.clear();
        m_added.clear();
        m_clearedInWalk = true;
        return;
    }
    std::vector<BaseGameTimer*> timers;
    timers.swap(m_timers);
    timers.insert(timers.end(), m_added.begin(), m_added.end());
    m_added.clear();
    for (BaseGameTimer* timer : timers) delete timer;
}
