// The game program runs a chain of movie levels to the end of the game and back to the main menu,
// and fails its start-up without a level graph, run by GameRun on the demo chapter.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/movie_writer.h"

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

// Intro through the loading screen, then outro: the end of the game.
const char* const kLoadedMovieChain =
    "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"levels\">\n"
    "<string name=\"StartLevel\" value=\"intro\" />\n"
    "<object name=\"intro\"><string name=\"next_level\" value=\"outro\" />"
    "<boolean name=\"loadscreen\" value=\"true\" /></object>\n"
    "<object name=\"outro\"></object>\n"
    "</object>\n</root>\n";
// The demo's settings without level dialogs: these runs are about the levels' hand-over.
const char* const kChainSettings =
    "d_FPSCount\t60\nd_DTMax\t0.1\nd_noLinkAtExit\ttrue\ns_LoadingLevelTime\t2\nd_DisableDialogs\ttrue\n";
// The first start's name, once the start-up pictures are over.
const char* const kFirstName = "wait \"LevelManager::init\" max 400\n+170 type \"Tester\"\n+2 key Enter\n";

TEST(LevelChain, PlayGoesThroughTheLoadingScreenEscapeEndsTheIntroAndTheEndOfTheGameRecreatesTheProfile) {
    testsupport::GameRunOptions options = chainRun(
        std::string(kFirstName) +
        "+10 click @mm_play_btn\n"
        "wait \"Loading::run loading intro.swf\" max 100\n"
        // The intro starts once the loader is done and the screen has stayed its 2 s; its 60
        // movie frames would play about 20 more, so outro starting within a few frames of
        // Escape is Escape's doing.
        "wait \"LevelManager::startLevel intro\" max 300\n"
        "+8 key Escape\n"
        "wait \"LevelManager::startLevel outro\" max 12\n"
        // The last level's end asks for the start level of an empty name: the main menu.
        "wait \"not defined start level in levels.xml\" max 400\n"
        // The main menu is back, and Play starts the game anew.
        "+30 click @mm_play_btn\n"
        "wait \"LevelManager::startLevel intro\" max 60\n"
        "+5 quit\n");
    options.overlays["data/levels/levels.xml"] = kLoadedMovieChain;
    options.overlays["data/config.cfg"] = kChainSettings;
    const testsupport::GameRunResult run = testsupport::runGame(options);
    ASSERT_TRUE(run.finished) << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.logLines("LevelManager::startLevel intro").size(), 2u);
    EXPECT_EQ(run.logLines("LevelManager::startLevel outro").size(), 1u);
    // The end of the game: the profile made again, with no level to go on with.
    const auto profile = run.written.find("data/orlimand/profiles/Tester.prof");
    ASSERT_NE(profile, run.written.end());
    EXPECT_EQ(profile->second.find("outro"), std::string::npos) << profile->second;
    for (const testsupport::LogEntry& entry : run.log) {
        if (entry.level == "ERROR") EXPECT_EQ(entry.text, "not defined start level in levels.xml");
    }
}

TEST(LevelChain, AGameKilledInItsSecondLevelResumesThereOnTheNextPlay) {
    testsupport::TempDir home(false);
    testsupport::GameRunOptions killed = chainRun(std::string(kFirstName) +
                                                  "+10 click @mm_play_btn\n"
                                                  "wait \"Loading::run loading intro.swf\" max 100\n"
                                                  "wait \"LevelManager::startLevel intro\" max 300\n"
                                                  "+8 key Escape\n"
                                                  "wait \"LevelManager::startLevel outro\" max 12\n"
                                                  "+100 quit\n");
    killed.overlays["data/levels/levels.xml"] = kLoadedMovieChain;
    killed.overlays["data/config.cfg"] = kChainSettings;
    killed.dataHome = home.path();
    // As a power cut would, once the second level is being made.
    killed.killAtLog = "LevelManager::loadLevel outro";
    const testsupport::GameRunResult first = testsupport::runGame(killed);
    ASSERT_TRUE(first.finished) << first.err;
    ASSERT_TRUE(first.killedAtLog) << first.err;
    const auto profile = first.written.find("data/orlimand/profiles/Tester.prof");
    ASSERT_NE(profile, first.written.end());
    EXPECT_NE(profile->second.find("outro"), std::string::npos) << profile->second;

    testsupport::GameRunOptions again = chainRun("wait \"LevelManager::init\" max 400\n"
                                                 "+175 click @mm_play_btn\n"
                                                 "wait \"LevelManager::startLevel outro\" max 100\n"
                                                 "+5 quit\n");
    again.overlays = killed.overlays;
    again.dataHome = home.path();
    const testsupport::GameRunResult second = testsupport::runGame(again);
    ASSERT_TRUE(second.finished) << second.err;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(second.logLines("LevelManager::startLevel intro").empty()) << "the progress was lost";
    EXPECT_EQ(second.logLines("LevelManager::startLevel outro").size(), 1u);
    for (const testsupport::LogEntry& entry : second.log) EXPECT_NE(entry.level, "ERROR") << entry.text;
}

// A movie whose reading takes many main-loop turns' worth of a machine's time: two large
// bitmaps to inflate and convert, then a stop.
std::string slowMovie() {
    constexpr int kSide = 1024;
    constexpr int kBitmaps = 2;
    swf::MovieWriter movie(8);
    for (int i = 0; i < kBitmaps; ++i)
        movie.define_bits_lossless(swf::Image::filled(kSide, kSide, {uint8_t(40 * i), 90, 160, 255}));
    movie.do_action({0x07, 0x00});  // stop
    movie.show_frame();
    movie.end();
    const swf::Bytes bytes = movie.finish_fws();
    return std::string(bytes.begin(), bytes.end());
}

// Under the fixed clock the loader's result is taken at the turn it was started, however long
// the reading takes on the machine: the loading screen's line says 0 ms, and two runs log the
// same lines in the same order.
TEST(LevelChain, TheLoadingScreensReaderHandsItsLevelOverAtTheSameTurnOnEveryRun) {
    testsupport::GameRunOptions options = chainRun(std::string(kFirstName) +
                                                   "+10 click @mm_play_btn\n"
                                                   "wait \"LevelManager::startLevel outro\" max 400\n"
                                                   "+5 quit\n");
    options.overlays["data/levels/levels.xml"] = kLoadedMovieChain;
    options.overlays["data/config.cfg"] = kChainSettings;
    options.overlays["data/levels/intro.xml"] =
        "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root><object name=\"intro\">"
        "<string name=\"Type\" value=\"movie\" /><string name=\"FileName\" value=\"slow.swf\" />"
        "</object></root>\n";
    options.overlays["data/levels/slow.swf"] = slowMovie();
    std::vector<std::string> logs[2];
    for (std::vector<std::string>& log : logs) {
        const testsupport::GameRunResult run = testsupport::runGame(options);
        ASSERT_TRUE(run.finished) << run.err;
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.logLines("Async (ldscreen) loaded swf: slow.swf; 0 ms; Loading::run").size(), 1u);
        for (const testsupport::LogEntry& entry : run.log) log.push_back(entry.level + "\t" + entry.text);
    }
    EXPECT_EQ(logs[0], logs[1]);
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
