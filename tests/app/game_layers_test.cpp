// The faces of the upper game layers: start-up actions run by step in their order, a failing one
// fails its step while the others still run, shutdown actions name what they deleted.
#include "app/game_layers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;
bool g_failSecond = false;

bool first() { return g_calls.emplace_back("first"), true; }
bool second() { return g_calls.emplace_back("second"), !g_failSecond; }
bool third() { return g_calls.emplace_back("third"), true; }
bool deletedSomething() { return true; }
bool deletedNothing() { return false; }

// Registered out of order, at steps no other part of the test program uses.
const app::PartRegistration kThird(91, 3, &third, 7, "third part", &deletedSomething);
const app::PartRegistration kFirst(91, 1, &first, 7, "absent part", &deletedNothing);
const app::PartRegistration kSecond(91, 2, &second, 8, "second part", &deletedSomething);

TEST(GameLayers, StartupActionsRunInTheirOrderAndAFailureFailsTheStep) {
    g_calls.clear();
    g_failSecond = false;
    EXPECT_TRUE(app::runStartupActions(91));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"first", "second", "third"}));
    g_calls.clear();
    g_failSecond = true;
    EXPECT_FALSE(app::runStartupActions(91));
    EXPECT_EQ(g_calls.size(), 3u);
    g_calls.clear();
    EXPECT_TRUE(app::runStartupActions(92));
    EXPECT_TRUE(g_calls.empty());
}

TEST(GameLayers, ShutdownActionsNameOnlyWhatTheyDeleted) {
    std::vector<std::string> trace;
    app::runShutdownActions(7, trace);
    app::runShutdownActions(8, trace);
    EXPECT_EQ(trace, (std::vector<std::string>{"third part", "second part"}));
}

TEST(GameLayers, WithoutAManagerThereIsNoCurrentLevelAndScreensAreNull) {
    EXPECT_EQ(app::levelControl(), nullptr);
    EXPECT_EQ(app::currentLevel(true), nullptr);
    EXPECT_EQ(app::screen(app::Screen::MsgBox), nullptr);
    EXPECT_EQ(app::screen(app::Screen::Count), nullptr);
}

}  // namespace
