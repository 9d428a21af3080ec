#pragma once
// Scripted input for headless runs: a text file of timed mouse and key events, read once at
// start and stepped once per main-loop turn. The game (TOV_TEST_INPUT=FILE) and swfrun
// (--input FILE) read the same files through this one reader; each applies the actions it is
// handed in its own way (the game through the input devices, swfrun on its movie's root).
//
// File format: one line per entry; blank lines and lines starting with "#" are skipped.
//   [+F] EVENT             the event runs F frames (main-loop turns) after the previous line;
//                          without "+F" it runs on the turn the previous line ended
//   wait "TEXT" max F      waits until a log line containing TEXT is seen (since the previous
//                          line ran), at most F turns; past that the run fails
// Events:
//   move X Y                       pointer to (X, Y) game pixels
//   click X Y [right]              move, press, and on the next turn release
//   press [right] X Y              move and press
//   release [right] X Y            move and release
//   click @NAME                    click the centre of the named object, found at run time
//   click @NAME until @OTHER rotation R max K
//                                  click NAME until OTHER's rotation is R degrees (when its turn
//                                  has settled), at most K clicks
//   key NAME|SCANCODE [down|up]    a DirectInput scan code (number) or a key name (see
//                                  keyNames()); without down/up a press and, next turn, a release
//   type "TEXT"                    each character pressed and released in turn (US layout)
//   shot FILE                      a picture of the frame
//   quit                           ends the run as a window close does
// Every error names the file's line: "FILE:LINE: reason".
//
// Use, once per main-loop turn (before the turn's input is read):
//   inputscript::Script script;
//   if (!script.load(path, &error)) { report error; stop }
//   script.setResolver([&](const std::string& name) -> std::optional<inputscript::Target> {...});
//   ... for each log line the run writes: script.onLogLine(line);
//       (the game's log lines: Tov::LogStream::setObserver; the engine's: its log callback)
//   std::vector<inputscript::Action> actions;
//   if (!script.step(actions)) { report script.error(); stop the run with a failure }
//   for (const inputscript::Action& a : actions) apply a;
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace inputscript {

enum class ActionKind {
    Move,     // pointer to (x, y)
    Press,    // button down at (x, y)
    Release,  // button up at (x, y)
    KeyDown,
    KeyUp,
    Shot,  // take a picture into `file`
    Quit,  // close the window: normal shutdown
};

enum Button { kLeft = 0, kRight = 1 };

struct Action {
    ActionKind kind = ActionKind::Move;
    int x = 0, y = 0;          // game pixels (pointer actions)
    int button = kLeft;        // Press and Release
    int scancode = 0;          // DirectInput scan code (key actions)
    int keyCode = 0;           // the key's virtual key code (Flash Key.getCode), 0 when unknown
    char16_t character = 0;    // the typed character (type "..."), 0 for plain keys
    bool shift = false;        // typed with Shift: the script holds the Shift key (42) around it
    std::string file;          // Shot
    int line = 0;              // the script line the action comes from
};

// What the resolver answers for a name: the centre of its world bounds in game pixels and its
// rotation in degrees.
struct Target {
    float x = 0, y = 0;
    float rotation = 0;
};
using Resolver = std::function<std::optional<Target>(const std::string& name)>;

// One key of the key table: its name, DirectInput scan code and virtual key code.
struct KeyName {
    const char* name;
    int scancode;
    int keyCode;
};
const std::vector<KeyName>& keyNames();

class Script {
public:
    // Reads the whole file (or text). False with "NAME:LINE: reason" in error on the first bad line.
    bool load(const std::string& path, std::string* error);
    bool parse(const std::string& text, const std::string& sourceName, std::string* error);

    void setResolver(Resolver resolver) { m_resolver = std::move(resolver); }
    // Every log line of the run; `wait` lines look for their text in them. The last lines are kept
    // for error reports.
    void onLogLine(std::string_view line);

    // One main-loop turn: appends the actions due now, in order. False once the run must stop:
    // error() then holds "NAME:LINE: reason" and the last log lines.
    bool step(std::vector<Action>& out);
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    // Every line has run (the last actions were handed out).
    bool finished() const;
    // The pointer position the script last moved to.
    int pointerX() const { return m_x; }
    int pointerY() const { return m_y; }

    // Log lines kept for error reports.
    static constexpr size_t kKeptLogLines = 12;

    // One parsed line (public for the tests' tables).
    enum class EntryKind { Move, Click, Press, Release, ClickNamed, ClickUntil, Key, Type, Shot, Quit, Wait };
    struct Entry {
        EntryKind kind = EntryKind::Move;
        int line = 0;
        int delay = 0;  // +F
        int x = 0, y = 0;
        int button = kLeft;
        std::string name, other;  // @NAME, until @OTHER; the text of wait/type; shot's file
        float rotation = 0;
        int limit = 0;             // max F or max K
        int scancode = 0, keyCode = 0;
        int keyMode = 0;  // 0 press and release, 1 down, 2 up
    };
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    bool fail(int line, const std::string& reason);
    // Starts a plain entry: its actions are queued from this turn on.
    bool start(const Entry& e);
    void queue(int afterTurns, Action a);
    void queueClick(const Entry& e, int x, int y, int button);
    bool resolve(const Entry& e, const std::string& name, Target* out);
    bool stepClickUntil(const Entry& e, bool* done);

    std::string m_source;
    std::vector<Entry> m_entries;
    size_t m_next = 0;  // the next entry to run
    int m_turn = 0;     // turns stepped so far
    int m_lastEnd = 0;  // the turn of the last action queued so far
    bool m_inEntry = false;  // a wait or click-until is running
    int m_entryStart = 0;
    struct Pending {
        int turn;
        Action action;
    };
    std::deque<Pending> m_pending;
    Resolver m_resolver;
    std::deque<std::string> m_lastLines;
    std::vector<std::string> m_sinceLastEntry;
    std::string m_error;
    int m_x = 0, m_y = 0;
    int m_untilClicks = 0;
    int m_untilTurns = 0;
    float m_untilLastRotation = 0;
    int m_untilSteady = 0;
    bool m_untilChanged = false;
};

}  // namespace inputscript
