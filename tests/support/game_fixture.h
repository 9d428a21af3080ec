#pragma once
// Runs the game's start-up in the test process on a data folder: the headless drivers, the fixed
// clock, a fresh per-user data folder, the folder as working folder; then frames stepped one
// main-loop turn at a time, and the shutdown. The singletons are reached through their classes.
// Every console variable is put back to its value from before the start-up at the end.
#include <filesystem>
#include <map>
#include <string>

#include "app/application.h"

namespace testsupport {

class GameFixture {
public:
    // The folder holds the game's data; `dataHome` (empty: a folder of the fixture's own) is the
    // per-user data folder in which the profiles are kept.
    explicit GameFixture(const std::filesystem::path& dataFolder, unsigned stepMs = 17,
                         const std::filesystem::path& dataHome = {});
    ~GameFixture();
    GameFixture(const GameFixture&) = delete;
    GameFixture& operator=(const GameFixture&) = delete;

    // Start-up with a command line; false when it failed (the shutdown still runs at the end).
    bool start(const std::string& commandLine = std::string());
    // Start-up as a returning player: when the start asks for a first name, a profile of that
    // name is made and the name entry closed, so no screen holds the input.
    bool startWithProfile(const std::string& profileName = "Player", const std::string& commandLine = std::string());
    // One main-loop turn: the clock moves by its step, waiting messages are dispatched, then a
    // frame is run. Returns whether a frame ran (pacing may skip it).
    bool turn();
    // Turns until `frames` frames ran (at most 100 turns a frame).
    void runFrames(int frames);
    // Runs an input script (the format of TOV_TEST_INPUT files) turn by turn until it has run or
    // failed, at most maxTurns turns; true when it ran to its end.
    bool runInput(const std::string& script, int maxTurns = 10000);
    // Runs frames until the start-up pictures are over.
    void skipLogos();
    // The shutdown (once); the application itself lives on until the fixture ends.
    void shutdown();

    Application& app() { return *m_app; }
    const std::filesystem::path& dataHome() const { return m_dataHome; }
    std::string log() const;

private:
    std::filesystem::path m_previousDir;
    std::filesystem::path m_ownHome;
    std::filesystem::path m_dataHome;
    std::string m_logPath;
    std::map<std::string, std::string> m_savedVars;
    std::string m_savedXdg;
    bool m_hadXdg = false;
    Application* m_app = nullptr;
    bool m_shutDown = false;
};

}  // namespace testsupport
