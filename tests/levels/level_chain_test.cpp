// The game program runs a chain of movie levels to the end of the game and back to the main menu,
// and fails its start-up without a level graph, run by GameRun on the demo chapter.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

testsupport::GameRunOptions chainRun(const std::string& input) {
    testsupport::GameRunOptions options;
    options.program = TOV_GAME_PROGRAM;
    options.input = input;
    // The run opens a GL context: the driver's own allocations would show as leaks.
    options.environment.push_back("ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0");
    return options;
}

const char* const kMovieChain =
    "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"levels\">\n"
    "<string name=\"StartLevel\" value=\"intro\" />\n"
    "<object name=\"intro\"><string name=\"next_level\" value=\"outro\" /></object>\n"
    "<object name=\"outro\"></object>\n"
    "</object>\n</root>\n";

TEST(LevelChain, MovieLevelsRunToTheEndOfTheGameAndTheMainMenuReturns) {
    testsupport::GameRunOptions options = chainRun(
        "wait \"LevelManager::startLevel intro\" max 400\n"
        // The first start asks for a player's name once the start-up pictures are over.
        "+170 type \"Tester\"\n"
        "+2 key Enter\n"
        "wait \"LevelManager::startLevel outro\" max 400\n"
        "wait \"not defined start level in levels.xml\" max 400\n"
        "+5 quit\n");
    options.overlays["data/levels/levels.xml"] = kMovieChain;
    // The first level at once, as the debug setting asks; the levels' dialogs are not shown.
    options.overlays["data/config.cfg"] =
        "d_FPSCount\t60\nd_DTMax\t0.1\nd_noLinkAtExit\ttrue\nd_StartLevel\t\"intro\"\nd_DisableDialogs\ttrue\n";
    const testsupport::GameRunResult run = testsupport::runGame(options);
    ASSERT_TRUE(run.finished) << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.logLines("LevelManager::startLevel intro").size(), 1u);
    EXPECT_EQ(run.logLines("LevelManager::startLevel outro").size(), 1u);
    EXPECT_FALSE(run.logLines("LevelManager::clear").empty());
    // The only ERROR is the end of the game's.
    for (const testsupport::LogEntry& entry : run.log) {
        if (entry.level == "ERROR") {
            EXPECT_EQ(entry.text, "not defined start level in levels.xml");
        }
    }
}

TEST(LevelChain, WithoutALevelGraphTheStartUpFails) {
    testsupport::TempDir data(false);
    fs::copy(testsupport::demoFolder(), data.path(), fs::copy_options::recursive);
    fs::remove(data.path() / "data" / "levels" / "levels.xml");
    testsupport::GameRunOptions options = chainRun("");
    options.demo = data.path();
    const testsupport::GameRunResult run = testsupport::runGame(options);
    ASSERT_TRUE(run.finished) << run.err;
    EXPECT_EQ(run.exitCode, 154);
    EXPECT_EQ(run.logLines("not load levels levels.xml").size(), 1u);
    EXPECT_EQ(run.logLines("Still have errors in AllGameInit()").size(), 1u);
}

}  // namespace
