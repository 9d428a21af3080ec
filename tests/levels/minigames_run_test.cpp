// The game program plays the demo's minigames, run by GameRun: from d_StartLevel the letters,
// the puzzle and the rotator are solved by input-file presses on their clips, the closing movie
// plays, the game ends with the profile made anew and the main menu comes back.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/game_run.h"

namespace {

TEST(MinigamesRun, LettersPuzzleAndRotatorAreSolvedByPressesToTheEndOfTheGame) {
    std::string input =
        "wait \"LevelManager::startLevel letters\" max 400\n"
        // The first start asks for a player's name once the start-up pictures are over.
        "+170 type \"Tester\"\n"
        "+2 key Enter\n"
        "+5 click @N_letter\n"
        "+2 click @M_letter\n"
        "wait \"LevelManager::startLevel puzzle\" max 400\n"
        "+10 move 0 0\n";
    // pzl_Piece1, the largest, starts placed; each other piece is picked up, turned upright on
    // the rotate area and put down 8 pixels right of and below its home marker (pzl_homeN, at
    // the corner of the picture: a press on its very edge would miss the picture).
    const char* const homes[] = {"520 108", "320 258", "520 258"};
    for (int piece = 2; piece <= 4; ++piece) {
        const std::string n = std::to_string(piece);
        input += "+2 click @pzl_Piece" + n + "\n+2 click @RotateArea until @pzl_Piece" + n +
                 " rotation 0 max 4\n+2 click " + homes[piece - 2] + "\n";
    }
    input += "wait \"LevelManager::startLevel rotator\" max 400\n+10 move 0 0\n";
    for (int piece = 1; piece <= 4; ++piece) {
        const std::string n = std::to_string(piece);
        input += "+2 click @piece" + n + " until @piece" + n + " rotation 0 max 4\n";
    }
    input +=
        "wait \"LevelManager::startLevel outro\" max 400\n"
        "wait \"not defined start level in levels.xml\" max 600\n"
        "+5 quit\n";
    testsupport::GameRunOptions options;
    options.program = TOV_GAME_PROGRAM;
    options.input = input;
    options.environment.push_back("ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0");
    options.overlays["data/config.cfg"] =
        "d_FPSCount\t60\nd_DTMax\t0.1\nd_noLinkAtExit\ttrue\nd_StartLevel\t\"letters\"\nd_DisableDialogs\ttrue\n";
    options.limit = std::chrono::milliseconds(120000);
    const testsupport::GameRunResult run = testsupport::runGame(options);
    ASSERT_TRUE(run.finished) << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.err << run.out;
    for (const char* level : {"letters", "puzzle", "rotator", "outro"})
        EXPECT_EQ(run.logLines(std::string("LevelManager::startLevel ") + level).size(), 1u) << level;
    EXPECT_FALSE(run.logLines("LevelManager::clear").empty());
    // The only ERRORs: the levels' missing scripts and the end of the game.
    for (const testsupport::LogEntry& entry : run.log) {
        if (entry.level != "ERROR") continue;
        const bool expected = entry.text == "not defined start level in levels.xml" ||
                              entry.text.find("level not inited") != std::string::npos ||
                              entry.text.find(".lua") != std::string::npos;
        EXPECT_TRUE(expected) << entry.text;
    }
    // The finished game's profile begins again: its progress is gone.
    bool profileWritten = false;
    for (const auto& [path, content] : run.written) {
        if (path.find("Tester") == std::string::npos || path.find(".prof") == std::string::npos) continue;
        profileWritten = true;
        EXPECT_EQ(content.find("rotator"), std::string::npos) << path;
    }
    EXPECT_TRUE(profileWritten);
}

}  // namespace
