#pragma once
// Game timers: delayed calls of a level's own member functions, kept and stepped by the one
// GameTimerManager. A timer answers from its update whether it is finished; the manager then
// deletes it. Deleting any level clears every timer, also those of other levels.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/flag_object.h"
#include "core/singleton.h"

class BaseGameTimer {
public:
    virtual ~BaseGameTimer() = default;
    // One step of dt seconds; true when the timer is finished.
    virtual bool update(float dt) = 0;
};

template <class Owner>
class GameTimer : public BaseGameTimer, public Tov::FlagObject<unsigned char> {
public:
    static constexpr unsigned char kDeleteWhenDone = 0x01;
    static constexpr unsigned char kRepeat = 0x02;
    static constexpr unsigned char kRunning = 0x04;
    static constexpr unsigned char kHeld = 0x10;
    // What levels pass: fires once, then is deleted.
    static constexpr unsigned char kOneShot = kDeleteWhenDone | kRunning;

    using Method = void (Owner::*)(void* argument);

    GameTimer(Owner* owner, Method method, void* argument, float delay, unsigned char flags)
        : m_timeLeft(delay), m_delay(delay), m_method(method), m_argument(argument), m_owner(owner) {
        setFlag(flags, true);
    }

    bool update(float dt) override {
        if (anyFlag(kHeld)) return false;
        if (!anyFlag(kRunning)) return anyFlag(kDeleteWhenDone);
        m_timeLeft -= dt;
        if (m_timeLeft <= 0.0f) {
            const bool repeat = anyFlag(kRepeat);
            if (repeat) m_timeLeft = m_delay;
            setFlag(kRunning, repeat);
            // The call may clear every timer: the manager keeps this one alive until its walk ends.
            if (m_owner && m_method) (m_owner->*m_method)(m_argument);
        }
        return anyFlag(kDeleteWhenDone) && !anyFlag(kRunning);
    }

    float timeLeft() const { return m_timeLeft; }
    float delay() const { return m_delay; }

private:
    float m_timeLeft;
    float m_delay;
    Method m_method;
    void* m_argument;
    Owner* m_owner;
};

class GameTimerManager : public Tov::Singleton<GameTimerManager> {
public:
    GameTimerManager() = default;
    ~GameTimerManager() override;

    // Takes ownership; a timer already held is not added twice (null is ignored). A timer added
    // by a firing callback joins after the current walk, so it is first stepped in the next one.
    void add(BaseGameTimer* timer);
    // Steps every timer once; the finished ones are deleted.
    void update(float dt);
    // Deletes every timer. From inside a callback the timers go when the walk ends.
    void clear();
    size_t size() const { return m_timers.size() + m_added.size(); }
    bool contains(const BaseGameTimer* timer) const;

    // Makes a timer for the owner's member function and adds it.
    template <class Owner>
    GameTimer<Owner>* start(Owner* owner, typename GameTimer<Owner>::Method method, void* argument, float delay,
                            unsigned char flags = GameTimer<Owner>::kOneShot) {
        auto* timer = new GameTimer<Owner>(owner, method, argument, delay, flags);
        add(timer);
        return timer;
    }

private:
    std::vector<BaseGameTimer*> m_timers;
    std::vector<BaseGameTimer*> m_added;      // added during a walk
    std::vector<BaseGameTimer*> m_graveyard;  // cleared during a walk
    bool m_walking = false;
    bool m_clearedInWalk = false;
};
