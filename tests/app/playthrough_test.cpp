// The demo chapter played by the game program from a first start to its end, as a player would,
// driven by the checked-in input script demo/playthrough.input: the name entry, the options and the
// profile chooser, the intro skipped, the room with its dialogs, wrong clicks, hint, pause menu,
// key and lock and the close-up, the console over the letters, the puzzle and the rotator, the
// closing movie, the end of the game and the quit through the main menu's question.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kProfile = "data/orlimand/profiles/Ann.prof";
constexpr const char* kSettings = "data/orlimand/profiles/config.sta";
constexpr const char* kConsoleHistory = "data/orlimand/profiles/console.log";
constexpr const char* kLock = "runtime/OrlimandMutex.lock";
constexpr const char* kGameOver = "not defined start level in levels.xml";
// Where the resumed run's script takes up the checked-in one.
constexpr const char* kLettersSection = "# The letters, reached by the fade";

std::string playthroughScript() { return testsupport::readFile(testsupport::demoFolder() / "playthrough.input"); }

testsupport::GameRunOptions playthroughRun(const std::string& input) {
    testsupport::GameRunOptions options;
    options.program = TOV_GAME_PROGRAM;
    options.input = input;
    // Leaks are looked for (in the sanitizer build) but do not change the exit status: the GL
    // driver's own allocations show up too, and only the game's are faults (leakedInTheGame).
    options.environment.push_back("ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1");
    options.environment.push_back("LSAN_OPTIONS=exitcode=0");
    // The demo's settings, with the console's key allowed.
    options.overlays["data/config.cfg"] =
        testsupport::readFile(testsupport::demoFolder() / "data" / "config.cfg") + "d_DebugModeEnabled\ttrue\n";
    options.limit = std::chrono::milliseconds(240000);
    return options;
}

// The level hooks the demo's scripts announce, in the order the log has them.
std::vector<std::string> hookLines(const testsupport::GameRunResult& run) {
    static const std::regex hook("^[a-z]+_(init|ON_ENTER|ON_LEAVE)$");
    std::vector<std::string> out;
    for (const testsupport::LogEntry& entry : run.log)
        if (entry.level == "MESSAGE" && std::regex_match(entry.text, hook)) out.push_back(entry.text);
    return out;
}

// Level and text of every entry: the time-stamp column is the only one that may differ.
std::vector<std::string> logWithoutTimes(const testsupport::GameRunResult& run) {
    std::vector<std::string> out;
    for (const testsupport::LogEntry& entry : run.log) out.push_back(entry.level + "\t" + entry.text);
    return out;
}

// The leak reports of LeakSanitizer whose stacks pass through the game's own sources; the
// driver's, which are reported from its own libraries or from unloaded ones, are not the game's.
std::vector<std::string> leakedInTheGame(const std::string& err) {
    std::vector<std::string> out;
    size_t at = 0;
    while ((at = err.find(" leak of ", at)) != std::string::npos) {
        const size_t end = std::min(err.find("\n\n", at), err.size());
        const std::string report = err.substr(at, end - at);
        // A frame of the game's: its source file when symbolised, its binary's offset when not.
        if (report.find(TOV_TEST_SOURCE_DIR) != std::string::npos || report.find(TOV_GAME_PROGRAM) != std::string::npos)
            out.push_back(report);
        at = end;
    }
    return out;
}

std::string fileOf(const testsupport::GameRunResult& run, const char* path) {
    const auto found = run.written.find(path);
    return found == run.written.end() ? std::string() : found->second;
}

void expectFinalFiles(const std::string& profile, const std::string& settings) {
    // The finished game's profile is made anew: no level to go on with, the wrong-click message
    // seen (that flag survives the recreation), not muted.
    EXPECT_NE(profile.find("<string name=\"LastLevel\" value=\"\" />"), std::string::npos) << profile;
    EXPECT_NE(profile.find("<string name=\"CurrentLevel\" value=\"\" />"), std::string::npos) << profile;
    EXPECT_NE(profile.find("<boolean name=\"IsWrongMsg\" value=\"true\" />"), std::string::npos) << profile;
    EXPECT_NE(profile.find("<boolean name=\"IsMuteAll\" value=\"false\" />"), std::string::npos) << profile;
    // The last player and the music one step up from the demo's 50.
    EXPECT_NE(settings.find("s_LastProfileName\t\"Ann\""), std::string::npos) << settings;
    EXPECT_NE(settings.find("s_musicVol\t54.000"), std::string::npos) << settings;
    EXPECT_NE(settings.find("s_soundVol\t50.000"), std::string::npos) << settings;
}

void expectOnlyTheEndOfTheGameAsError(const testsupport::GameRunResult& run) {
    int gameOver = 0;
    for (const testsupport::LogEntry& entry : run.log) {
        if (entry.level != "ERROR") continue;
        EXPECT_EQ(entry.text, kGameOver);
        gameOver += entry.text == kGameOver;
    }
    EXPECT_EQ(gameOver, 1);
}

TEST(Playthrough, TheDemoChapterPlaysFromAFirstStartToItsEndTheSameEachTime) {
    const auto started = std::chrono::steady_clock::now();
    const testsupport::GameRunResult run = testsupport::runGame(playthroughRun(playthroughScript()));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(run.finished) << run.err;
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::printf("the play-through took %.1f s\n", seconds);
    expectOnlyTheEndOfTheGameAsError(run);
    expectFinalFiles(fileOf(run, kProfile), fileOf(run, kSettings));
    EXPECT_EQ(leakedInTheGame(run.err), std::vector<std::string>{});

    // Every level's hooks, in order. The room and the letters leave twice: their win sequence
    // runs _ON_LEAVE and so does their end when the next level starts; the close-up is made and
    // entered with its room. The rotator's win effect leaves on its timer, by then the closing
    // movie has begun; the puzzle ends without a win effect, and the closing movie with the game,
    // whose end clears the levels.
    const std::vector<std::string> hooks = {
        "intro_init",      "intro_ON_ENTER",   "intro_ON_LEAVE",   "intro_ON_LEAVE",   "room_init",
        "closeup_init",    "room_ON_ENTER",    "closeup_ON_ENTER", "closeup_ON_LEAVE", "room_ON_LEAVE",
        "room_ON_LEAVE",   "letters_init",     "letters_ON_ENTER", "letters_ON_LEAVE", "letters_ON_LEAVE",
        "puzzle_init",     "puzzle_ON_ENTER",  "puzzle_ON_LEAVE",  "rotator_init",     "rotator_ON_ENTER",
        "outro_init",      "outro_ON_ENTER",   "rotator_ON_LEAVE"};
    EXPECT_EQ(hookLines(run), hooks);
    // What the player did along the way (the wrong clicks' message shows in the profile's
    // "IsWrongMsg"): the key used on the lock, the vase placed in the close-up.
    EXPECT_EQ(run.logLines("inventory delete: key").size(), 1u);
    EXPECT_EQ(run.logLines("inventory delete: vase_1").size(), 1u);
    // The console's line lists the string table's characters, each with the last key holding it:
    // the game read its texts at start.
    static const std::regex character("^[0-9]+ [a-z_.0-9]+$", std::regex::icase);
    int characters = 0;
    for (const testsupport::LogEntry& entry : run.log) characters += std::regex_match(entry.text, character);
    EXPECT_GT(characters, 20);
    EXPECT_EQ(run.logLines("Loading::run loading puzzle.swf").size(), 1u);

    // Nothing else is left behind: the log, the profile, the settings, the console's history and
    // the one-copy lock.
    std::set<std::string> written;
    for (const auto& [path, content] : run.written) written.insert(path);
    EXPECT_EQ(written, (std::set<std::string>{"run/megalog.log", kProfile, kSettings, kConsoleHistory, kLock}));
    EXPECT_EQ(fileOf(run, kConsoleHistory), "test_strings()\n");

    // A second run writes the same log, apart from the time-stamp column.
    const testsupport::GameRunResult again = testsupport::runGame(playthroughRun(playthroughScript()));
    ASSERT_TRUE(again.finished) << again.err;
    EXPECT_EQ(logWithoutTimes(again), logWithoutTimes(run));
}

TEST(Playthrough, KilledInTheLettersTheChapterResumesThereAndEndsWithTheSameFiles) {
    testsupport::TempDir home(false);
    testsupport::GameRunOptions killed = playthroughRun(playthroughScript());
    killed.dataHome = home.path();
    // As a power cut would, once the letters level has begun.
    killed.killAtLog = "letters_ON_ENTER";
    const testsupport::GameRunResult first = testsupport::runGame(killed);
    ASSERT_TRUE(first.finished) << first.err;
    ASSERT_TRUE(first.killedAtLog) << first.err;

    // The profile loads without asking; Play goes on with the letters.
    const std::string script = playthroughScript();
    const size_t letters = script.find(kLettersSection);
    ASSERT_NE(letters, std::string::npos);
    testsupport::GameRunOptions resumed =
        playthroughRun("wait \"LevelManager::init\" max 400\n+175 click @mm_play_btn\n" + script.substr(letters));
    resumed.dataHome = home.path();
    const testsupport::GameRunResult second = testsupport::runGame(resumed);
    ASSERT_TRUE(second.finished) << second.err;
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(second.logLines("room_init").empty()) << "the progress was lost";
    EXPECT_EQ(second.logLines("letters_ON_ENTER").size(), 1u);
    expectOnlyTheEndOfTheGameAsError(second);
    // The kept folder holds them whether or not this run changed them.
    const fs::path profiles = home.path() / "orlimand" / "profiles";
    expectFinalFiles(testsupport::readFile(profiles / "Ann.prof"), testsupport::readFile(profiles / "config.sta"));
}

}  // namespace
