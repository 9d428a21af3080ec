// Game timers: one-shot, repeating, held and stopped timers stepped by the manager, and walks in
// which a firing callback clears every timer or adds new ones.
#include <gtest/gtest.h>

#include <vector>

#include "app/game_timers.h"

namespace {

struct Owner {
    std::vector<int> fired;
    GameTimerManager* manager = nullptr;
    void record(void* argument) { fired.push_back(static_cast<int>(reinterpret_cast<intptr_t>(argument))); }
    void clearAll(void* argument) {
        record(argument);
        manager->clear();
    }
    void addOne(void* argument) {
        record(argument);
        manager->start(this, &Owner::record, reinterpret_cast<void*>(intptr_t{99}), 0.0f);
    }
};

using Timer = GameTimer<Owner>;

void* tag(int value) { return reinterpret_cast<void*>(intptr_t{value}); }

struct TimerCase {
    const char* what;
    unsigned char flags;
    float delay;
    std::vector<float> steps;
    std::vector<size_t> firedAfter;  // how many firings after each step
    size_t timersLeft;
};

TEST(GameTimers, TimersFireByTheirFlagsAndTheFinishedOnesLeave) {
    const TimerCase cases[] = {
        {"one-shot", Timer::kOneShot, 1.0f, {0.5f, 0.5f, 0.5f}, {0, 1, 1}, 0},
        {"one-shot at update(0) once its time is out", Timer::kOneShot, 0.0f, {0.0f}, {1}, 0},
        {"repeating", Timer::kRepeat | Timer::kRunning, 1.0f, {1.0f, 0.5f, 0.5f, 1.0f}, {1, 1, 2, 3}, 1},
        {"repeating, deleted when done: never done", Timer::kRepeat | Timer::kRunning | Timer::kDeleteWhenDone,
         0.5f, {0.5f, 0.5f}, {1, 2}, 1},
        {"held", Timer::kOneShot | Timer::kHeld, 0.0f, {1.0f, 1.0f}, {0, 0}, 1},
        {"stopped, deleted", Timer::kDeleteWhenDone, 0.0f, {1.0f}, {0}, 0},
        {"stopped, kept", 0, 0.0f, {1.0f, 1.0f}, {0, 0}, 1},
        {"one-shot without delete stays", Timer::kRunning, 0.5f, {1.0f, 1.0f}, {1, 1}, 1},
    };
    for (const TimerCase& c : cases) {
        GameTimerManager manager;
        Owner owner;
        manager.start(&owner, &Owner::record, tag(7), c.delay, c.flags);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            manager.update(c.steps[i]);
            EXPECT_EQ(owner.fired.size(), c.firedAfter[i]) << c.what << " after step " << i;
        }
        for (int value : owner.fired) EXPECT_EQ(value, 7) << c.what;
        EXPECT_EQ(manager.size(), c.timersLeft) << c.what;
    }
}

TEST(GameTimers, ATimerIsHeldOnceAndNullIsIgnored) {
    GameTimerManager manager;
    Owner owner;
    Timer* timer = manager.start(&owner, &Owner::record, tag(1), 1.0f);
    manager.add(timer);
    manager.add(nullptr);
    EXPECT_EQ(manager.size(), 1u);
    EXPECT_TRUE(manager.contains(timer));
    manager.update(1.0f);
    EXPECT_EQ(owner.fired, std::vector<int>{1});
    EXPECT_EQ(manager.size(), 0u);
}

TEST(GameTimers, ACallbackThatClearsEveryTimerEndsTheWalkSafely) {
    GameTimerManager manager;
    Owner owner;
    owner.manager = &manager;
    // Whichever order the walk takes, the clearing timer fires and nothing else is touched after.
    manager.start(&owner, &Owner::record, tag(1), 5.0f);
    manager.start(&owner, &Owner::clearAll, tag(2), 0.0f);
    manager.start(&owner, &Owner::record, tag(3), 5.0f, Timer::kRepeat | Timer::kRunning);
    manager.update(0.0f);
    EXPECT_EQ(owner.fired, std::vector<int>{2});
    EXPECT_EQ(manager.size(), 0u);
    manager.update(10.0f);
    EXPECT_EQ(owner.fired, std::vector<int>{2});
}

TEST(GameTimers, ATimerAddedByACallbackFiresInTheNextWalk) {
    GameTimerManager manager;
    Owner owner;
    owner.manager = &manager;
    manager.start(&owner, &Owner::addOne, tag(1), 0.0f);
    manager.update(0.0f);
    EXPECT_EQ(owner.fired, std::vector<int>{1});
    EXPECT_EQ(manager.size(), 1u);
    manager.update(0.0f);
    EXPECT_EQ(owner.fired, (std::vector<int>{1, 99}));
    EXPECT_EQ(manager.size(), 0u);
}

TEST(GameTimers, ClearDeletesEveryTimerAndTheManagerIsTheSingleton) {
    Owner owner;
    {
        GameTimerManager manager;
        EXPECT_EQ(GameTimerManager::instance(), &manager);
        for (int i = 0; i < 5; ++i) manager.start(&owner, &Owner::record, tag(i), 1.0f);
        manager.clear();
        EXPECT_EQ(manager.size(), 0u);
        manager.update(2.0f);
        EXPECT_TRUE(owner.fired.empty());
        // The destructor deletes those still held (the leak check sees them otherwise).
        manager.start(&owner, &Owner::record, tag(9), 1.0f);
    }
    EXPECT_EQ(GameTimerManager::instance(), nullptr);
}

}  // namespace
