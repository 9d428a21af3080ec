// Script timers: schedules, replacing and deleting, and scripts that change the timers while a
// pass runs.
#include "script/script_timers.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/script/script_fixture.h"

namespace scripttest {
namespace {

class Timers : public ScriptTest {
protected:
    // Updates with the step and returns the value of the global `runs` afterwards, per update.
    std::vector<std::string> updates(int count, float step) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) {
            timers.update(step, false);
            out.push_back(eval("runs"));
        }
        return out;
    }
    ScriptTimerManager timers;
};

TEST_F(Timers, CountThreeRunsInUpdatesThreeSixNine) {
    run("runs = 0 add_timer('runs = runs + 1', 1.0, 3)");
    EXPECT_EQ(updates(10, 0.4f),
              (std::vector<std::string>{"0", "0", "1", "1", "1", "2", "2", "2", "3", "3"}));
    EXPECT_EQ(timers.count(), 0u);
}

TEST_F(Timers, PeriodZeroRunsEveryUpdateUntilDeleted) {
    run("runs = 0 add_timer('runs = runs + 1', 0, 0)");
    EXPECT_EQ(updates(3, 0.1f), (std::vector<std::string>{"1", "2", "3"}));
    run("delete_timer('runs = runs + 1')");
    EXPECT_EQ(updates(2, 0.1f), (std::vector<std::string>{"4", "4"}));  // due once more, then gone
    EXPECT_EQ(timers.count(), 0u);
}

TEST_F(Timers, AddingAnExistingTextRestartsIt) {
    run("runs = 0 add_timer('runs = runs + 1', 1.0, 0)");
    updates(2, 0.4f);
    run("add_timer('runs = runs + 1', 0.5, 1)");
    EXPECT_EQ(timers.find("runs = runs + 1")->remaining, 0.5f);
    EXPECT_EQ(updates(3, 0.4f), (std::vector<std::string>{"0", "1", "1"}));
    EXPECT_EQ(timers.count(), 0u);
    // Negative counts mean as many runs; a negative period is ignored.
    run("add_timer('runs = runs + 1', 0, -2) add_timer('never()', -1, 0) add_timer('never()', 0/0, 0)");
    EXPECT_EQ(updates(3, 0.1f), (std::vector<std::string>{"2", "3", "3"}));
    EXPECT_EQ(timers.find("never()"), nullptr);
    // Deleting and then adding the same text again keeps the new timer.
    run("delete_timer('runs = runs + 1') add_timer('runs = runs + 1', 0, 0)");
    EXPECT_EQ(updates(2, 0.1f), (std::vector<std::string>{"4", "5"}));
}

TEST_F(Timers, NaNStepCountsAsNoTime) {
    run("runs = 0 add_timer('runs = runs + 1', 1.0, 0)");
    timers.update(std::numeric_limits<float>::quiet_NaN(), false);
    EXPECT_EQ(updates(3, 0.5f), (std::vector<std::string>{"0", "1", "1"}));
}

TEST_F(Timers, DeleteCurrentTimerInsideAndOutsideAPass) {
    run("runs = 0 add_timer('runs = runs + 1 delete_current_timer()', 0, 0)");
    run("delete_current_timer()");
    EXPECT_EQ(timers.count(), 1u);
    EXPECT_EQ(updates(2, 0.1f), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(timers.count(), 0u);
}

TEST_F(Timers, AddedDuringAPassRunsWhenItSortsAfter) {
    run("runs = 0 add_timer('m = 1 add_timer(\"z = 1 runs = runs + 1\", 0, 1) "
        "add_timer(\"a = 1 runs = runs + 10\", 0, 1)', 0, 1)");
    EXPECT_EQ(updates(2, 0.1f), (std::vector<std::string>{"1", "11"}));
}

TEST_F(Timers, ErrorsKeepTheScheduleAndPausedTimersWait) {
    run("runs = 0 add_timer('runs = runs + 1 error(\"timer\")', 0.5, 2) add_pause_timer('paused = true', 0, "
        "1)");
    timers.update(0.3f, true);
    EXPECT_EQ(eval("runs"), "0");
    EXPECT_EQ(eval("paused"), "true");
    EXPECT_EQ(updates(4, 0.3f), (std::vector<std::string>{"0", "1", "1", "2"}));
    EXPECT_EQ(console.lines.size(), 2u);
}

TEST_F(Timers, HostileScripts) {
    // Clearing everything from inside, then adding again in the same pass.
    run("runs = 0 add_timer('a = 1 runs = runs + 1', 0, 0) add_timer('b = 1 clear_all()', 0, 0) "
        "add_timer('c = 1 runs = runs + 100', 0, 0)");
    run("function clear_all() clear_timers() end");
    lua_register(L, "clear_timers", [](lua_State*) {
        ScriptTimerManager::instance()->clear();
        return 0;
    });
    EXPECT_EQ(updates(1, 0.1f), (std::vector<std::string>{"1"}));
    EXPECT_EQ(timers.count(), 0u);

    // Re-adding its own text from inside, deleting another one and deleting itself.
    run("runs = 0 function again() if runs < 3 then add_timer('runs = runs + 1 again()', 0, 1) end end "
        "add_timer('runs = runs + 1 again()', 0, 1)");
    EXPECT_EQ(updates(4, 0.1f), (std::vector<std::string>{"1", "2", "3", "3"}));
    EXPECT_EQ(timers.count(), 0u);
    run("function self_delete() delete_timer('self_delete()') end "
        "add_timer('delete_timer(\"x = 1\")', 0, 0) add_timer('x = 1', 0, 0) add_timer('self_delete()', 0, "
        "0)");
    timers.update(0.1f, false);
    EXPECT_EQ(eval("x"), "1");  // deleted during the pass, it still ran in it
    EXPECT_EQ(timers.find("x = 1"), nullptr);
    EXPECT_EQ(timers.find("self_delete()"), nullptr);
    EXPECT_EQ(timers.count(), 1u);
    timers.clear();
    EXPECT_TRUE(console.lines.empty());

    // A thousand timers added from inside one.
    run("runs = 0 add_timer('for i = 1, 1000 do add_timer(\"runs = runs + 1 -- \" .. i, 1, 1) end', 0, 1)");
    timers.update(0.1f, false);
    EXPECT_EQ(timers.count(), 1000u);
    EXPECT_EQ(updates(1, 1.0f), (std::vector<std::string>{"1000"}));
    EXPECT_EQ(timers.count(), 0u);

    // Deleting the running timer at once from native code, and a nested update, are safe.
    lua_register(L, "native_delete", [](lua_State*) {
        ScriptTimerManager::instance()->deleteTimer("native_delete() nested_update()", false);
        return 0;
    });
    lua_register(L, "nested_update", [](lua_State*) {
        ScriptTimerManager::instance()->update(1, false);
        return 0;
    });
    run("add_timer('native_delete() nested_update()', 0, 0)");
    timers.update(0.1f, false);
    EXPECT_EQ(timers.count(), 0u);
}

TEST(TimerFunctions, WithoutAManagerDoNothing) {
    ASSERT_TRUE(startScriptState());
    EXPECT_EQ(runScriptBuffer(
                  "add_timer('x', 1, 1) add_pause_timer('x', 1, 1) delete_timer('x') delete_current_timer()",
                  0, nullptr),
              kScriptOk);
    closeScriptState();
}

}  // namespace
}  // namespace scripttest
