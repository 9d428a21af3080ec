#pragma once
// One headless run of the game program (or, until it exists, of swfrun) on a private copy of the
// demo chapter: a temporary working folder holding demo/ with per-test overlays, temporary
// XDG_DATA_HOME and XDG_RUNTIME_DIR (the user's profiles are never touched), the headless SDL
// drivers, the fixed clock (TOV_TEST_CLOCK_MS) and an input script (TOV_TEST_INPUT), run under a
// wall-clock limit. The result holds the exit status, both output streams, the parsed log and
// every file the run wrote (profiles, "config.sta", screenshots, crash files).
//
//   testsupport::GameRunOptions o = testsupport::swfrunOptions(SWFRUN, "data/movies/mainmenu.swf");
//   o.input = "+5 shot menu.png\nquit\n";
//   testsupport::GameRunResult r = testsupport::runGame(o);
//   EXPECT_EQ(r.exitCode, 0); EXPECT_TRUE(r.written.count("run/menu.png"));
//
// To drive the game instead, give its executable as the program and no arguments: it finds the
// data in its working folder, reads the script from TOV_TEST_INPUT and logs to "megalog.log".
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// The checked-in demo chapter.
std::filesystem::path demoFolder();

struct GameRunOptions {
    std::string program;            // the executable, an absolute path
    std::vector<std::string> args;  // relative paths are the run folder's
    // The data set copied into the run folder ("run/"): the checked-in demo chapter by default.
    std::filesystem::path demo = demoFolder();
    // Files written over the copy, by path relative to the run folder ("data/levels/levels.xml",
    // "data/config.cfg" with a d_StartLevel, ...).
    std::map<std::string, std::string> overlays;
    std::vector<std::string> environment;  // further NAME=value settings
    unsigned clockMs = 100;                // TOV_TEST_CLOCK_MS; 0 leaves the system's clock
    std::string input;                     // the input script; empty: none
    bool inputAsArgument = false;          // hand the script as --input FILE (swfrun) too
    std::chrono::milliseconds limit{60000};
    std::string logFile = "megalog.log";   // the log the program writes into its working folder
    // The per-user data folder (XDG_DATA_HOME) to use and keep, so that a later run goes on with
    // the profiles this one leaves; empty: a fresh folder of the run's own.
    std::filesystem::path dataHome;
    // When not empty, the run is killed with SIGKILL as soon as its log holds this text.
    std::string killAtLog;
};

struct LogEntry {
    std::string level;  // "MESSAGE", "WARNING", "ERROR"; empty for a line of another form
    std::string text;
};

struct GameRunResult {
    bool started = false;
    bool finished = false;  // false when the run was killed at its limit
    int exitCode = -1;
    int termSignal = 0;
    std::string out, err;
    // The log file's lines, or standard error's when the program wrote no log file (swfrun).
    std::vector<LogEntry> log;
    // Every file that is new or changed after the run, by path below the run's temporary folder:
    // "run/..." (the working folder), "data/..." (XDG_DATA_HOME), "runtime/..." (XDG_RUNTIME_DIR).
    std::map<std::string, std::string> written;
    // The texts of the log entries that hold `part`.
    std::vector<std::string> logLines(const std::string& part) const;
};

// Parses one log line "counter\tHH:MM:SS\tLEVEL\ttext".
LogEntry parseLogLine(const std::string& line);

GameRunResult runGame(const GameRunOptions& options);

// swfrun playing one movie of the run folder, with its script as --input.
GameRunOptions swfrunOptions(const std::string& swfrun, const std::string& movie);

}  // namespace testsupport
