#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/flag_object.h"
#include "core/singleton.h"
#include "core/timer.h"

namespace {

struct Other {
    virtual ~Other() = default;
    int pad = 0;
};
// The singleton base need not come first among the bases.
struct Manager : Other, Tov::Singleton<Manager> {};

TEST(Singleton, LaterConstructionReplacesAndDestructionClears) {
    EXPECT_EQ(Manager::instance(), nullptr);
    auto* first = new Manager;
    EXPECT_EQ(Manager::instance(), first);
    auto* second = new Manager;
    EXPECT_EQ(Manager::instance(), second);
    delete first;
    EXPECT_EQ(Manager::instance(), nullptr);
    delete second;
    EXPECT_EQ(Manager::instance(), nullptr);
}

struct Owner {
    int calls = 0;
    unsigned lastMask = 0;
    bool lastOn = false;
    void changed(unsigned mask, bool on) {
        ++calls;
        lastMask = mask;
        lastOn = on;
    }
};

TEST(FlagObject, SetsClearsAndCallsBackOnlyOnChange) {
    Tov::FlagObject<unsigned char> plain;
    EXPECT_EQ(plain.getFlags(), 0);
    EXPECT_EQ(plain.setFlag(0x05, true), 0x05);
    EXPECT_TRUE(plain.anyFlag(0x01));
    EXPECT_FALSE(plain.allFlags(0x03));
    EXPECT_EQ(plain.setFlag(0x01, false), 0x04);

    Owner owner;
    Tov::FlagObjectCB<Owner, unsigned> cb(&owner, &Owner::changed);
    cb.setFlag(0x2, true);
    cb.setFlag(0x2, true);  // no change, no call
    cb.setFlag(0x4, false);
    EXPECT_EQ(owner.calls, 1);
    cb.setFlag(0x2, false);
    EXPECT_EQ(owner.calls, 2);
    EXPECT_EQ(owner.lastMask, 0x2u);
    EXPECT_FALSE(owner.lastOn);
    Tov::FlagObject<unsigned>& base = cb;  // the virtual setter reaches the callback through the base
    base.setFlag(0x8, true);
    EXPECT_EQ(owner.calls, 3);
}

TEST(CTimer, MeasuresElapsedMilliseconds) {
    // The stopwatch's interval lies between two intervals of the standard clock: the one it
    // encloses and the one that encloses it.
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
    const auto outerStart = Clock::now();
    CTimer t;
    const auto innerStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    const auto innerEnd = Clock::now();
    const uint32_t elapsed = t.getElapsedMs();
    const auto outerEnd = Clock::now();
    EXPECT_GE(elapsed, ms(innerEnd - innerStart));
    EXPECT_LE(elapsed, ms(outerEnd - outerStart) + 1);

    // A restart counts from zero again.
    const auto beforeRestart = Clock::now();
    t.restart();
    const uint32_t afterRestart = t.getElapsedMs();
    EXPECT_LE(afterRestart, ms(Clock::now() - beforeRestart) + 1);
    EXPECT_LT(afterRestart, elapsed);
}

}  // namespace
