#pragma once
// Scripted input of headless runs (TOV_TEST_INPUT=FILE): the script is stepped once per main-loop
// turn, sees every line of the game's log (through the log's observer), and its actions reach the game as the input devices'
// own records would (the pointer through DirectInput's mouse position). "quit" closes the window.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "input/input_script.h"

class InputScriptRunner {
public:
    static constexpr const char* kVariable = "TOV_TEST_INPUT";
    // The exit code of a run whose script failed (a bad line, a wait that timed out).
    static constexpr int kFailedExitCode = 4;

    // None when the variable is not set; a runner that failed to load when the file is bad
    // (its error is logged).
    static std::unique_ptr<InputScriptRunner> fromEnvironment();
    // A runner over a script's text (test processes).
    static std::unique_ptr<InputScriptRunner> fromText(const std::string& text, const std::string& sourceName);

    // While a runner lives it is the log's observer.
    InputScriptRunner();
    ~InputScriptRunner();
    InputScriptRunner(const InputScriptRunner&) = delete;
    InputScriptRunner& operator=(const InputScriptRunner&) = delete;
    // Every line has run.
    bool finished() const { return m_script.finished(); }

    bool failed() const { return m_failed; }
    // One main-loop turn before the frame: new log lines, then the actions due now. False once
    // the script failed (logged as an ERROR).
    bool step();
    // After the frame: the pictures the turn asked for.
    void afterFrame();

private:
    static void observeLine(const std::string& line);
    void apply(const inputscript::Action& action);

    inputscript::Script m_script;
    // Lines logged since the last turn (any thread may log).
    std::mutex m_linesLock;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_shots;
    bool m_failed = false;
};
