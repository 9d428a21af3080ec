#include "input/input_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace {

using inputscript::Action;
using inputscript::ActionKind;
using inputscript::Script;
using inputscript::Target;

// One action as text: "t3 press 10,20 b0 l2" and so on, for readable comparisons.
std::string describe(int turn, const Action& a) {
    static const char* const kNames[] = {"move", "press", "release", "down", "up", "shot", "quit"};
    std::ostringstream out;
    out << "t" << turn << " " << kNames[static_cast<int>(a.kind)];
    switch (a.kind) {
        case ActionKind::Move: out << " " << a.x << "," << a.y; break;
        case ActionKind::Press:
        case ActionKind::Release: out << " " << a.x << "," << a.y << " b" << a.button; break;
        case ActionKind::KeyDown:
        case ActionKind::KeyUp:
            out << " s" << a.scancode << " k" << a.keyCode;
            if (a.character) out << " '" << static_cast<char>(a.character) << "'";
            break;
        case ActionKind::Shot: out << " " << a.file; break;
        case ActionKind::Quit: break;
    }
    out << " l" << a.line;
    return out.str();
}

// Steps the script `turns` times and lists every action handed out.
std::vector<std::string> run(Script& s, int turns, std::string* error = nullptr) {
    std::vector<std::string> out;
    for (int t = 0; t < turns; ++t) {
        std::vector<Action> actions;
        if (!s.step(actions)) {
            if (error) *error = s.error();
            break;
        }
        for (const Action& a : actions) out.push_back(describe(t, a));
    }
    return out;
}

Script parsed(const std::string& text) {
    Script s;
    std::string error;
    EXPECT_TRUE(s.parse(text, "in.txt", &error)) << error;
    return s;
}

TEST(InputScriptTest, BadLinesAreRefusedWithTheirLineNumber) {
    struct Case {
        std::string text, error;
    };
    const Case cases[] = {
        {"move 1 2\njump 3 4\n", "in.txt:2: unknown event 'jump'"},
        {"# comment\n\nmove 1 x\n", "in.txt:3: bad number 'x'"},
        {"click 10\n", "in.txt:1: click wants X Y [right] or @NAME"},
        {"move 1 2 3\n", "in.txt:1: unexpected '3'"},
        {"wait \"Loaded swf max 10\n", "in.txt:1: missing closing quote"},
        {"type \"abc\n", "in.txt:1: missing closing quote"},
        {"wait \"x\" 10\n", "in.txt:1: expected: wait \"TEXT\" max F"},
        {"wait \"x\" max -1\n", "in.txt:1: bad number '-1'"},
        {"+x click 1 2\n", "in.txt:1: bad frame delay '+x'"},
        {"+3\n", "in.txt:1: a delay without an event"},
        {"key Hyper\n", "in.txt:1: unknown key 'Hyper'"},
        {"key 300\n", "in.txt:1: bad scan code '300'"},
        {"key Escape sideways\n", "in.txt:1: expected down or up, got 'sideways'"},
        {"type abc\n", "in.txt:1: type wants a quoted text"},
        {"type \"caf\xC3\xA9\"\n", "in.txt:1: the text holds a character the US layout cannot type"},
        {"click @a until @b rotation 0\n", "in.txt:1: expected: click @NAME until @NAME rotation R max K"},
        {"click @a until @b rotation zero max 3\n", "in.txt:1: bad number 'zero'"},
        {"click @a until b rotation 0 max 3\n", "in.txt:1: expected @NAME, got 'b'"},
        {"click @a until @b rotation 0 max 0\n", "in.txt:1: bad number '0'"},
        {"press right 5\n", "in.txt:1: press wants [right] X Y"},
        {"shot\n", "in.txt:1: shot wants a file name"},
        {"move 1 2\r\nquit now\r\n", "in.txt:2: unexpected 'now'"},
    };
    for (const Case& c : cases) {
        Script s;
        std::string error;
        EXPECT_FALSE(s.parse(c.text, "in.txt", &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_TRUE(s.entries().empty());
    }
}

TEST(InputScriptTest, EventsRunOnTheirTurns) {
    Script s = parsed(
        "click 10 20\n"
        "+2 click 30 40 right\n"
        "press 5 6\n"
        "+1 release right 7 8\n"
        "key Escape\n"
        "key 28 down\n"
        "+3 key enter up\n"
        "shot a.png\n"
        "quit\n");
    EXPECT_EQ(run(s, 12), (std::vector<std::string>{
                              "t0 move 10,20 l1", "t0 press 10,20 b0 l1", "t1 release 10,20 b0 l1",
                              "t3 move 30,40 l2", "t3 press 30,40 b1 l2", "t4 release 30,40 b1 l2",
                              "t4 move 5,6 l3", "t4 press 5,6 b0 l3", "t5 move 7,8 l4", "t5 release 7,8 b1 l4",
                              "t5 down s1 k27 l5", "t6 up s1 k27 l5", "t6 down s28 k13 l6", "t9 up s28 k13 l7",
                              "t9 shot a.png l8", "t9 quit l9"}));
    EXPECT_TRUE(s.finished());
    EXPECT_EQ(s.pointerX(), 7);
}

TEST(InputScriptTest, TypedTextPressesEachKeyWithShiftWhereNeeded) {
    Script s = parsed("type \"aB 1!\"\n");
    EXPECT_EQ(run(s, 14), (std::vector<std::string>{
                              "t0 down s30 k65 'a' l1", "t1 up s30 k65 'a' l1", "t2 down s42 k16 l1",
                              "t2 down s48 k66 'B' l1", "t3 up s48 k66 'B' l1", "t4 up s42 k16 l1",
                              "t5 down s57 k32 ' ' l1", "t6 up s57 k32 ' ' l1", "t7 down s2 k49 '1' l1",
                              "t8 up s2 k49 '1' l1", "t9 down s42 k16 l1", "t9 down s2 k49 '!' l1",
                              "t10 up s2 k49 '!' l1", "t11 up s42 k16 l1"}));
}

TEST(InputScriptTest, KeyNamesMatchTheirScanCodes) {
    const std::map<std::string, std::pair<int, int>> known = {
        {"Escape", {1, 27}}, {"Enter", {28, 13}}, {"Grave", {41, 192}}, {"H", {35, 72}},  {"W", {17, 87}},
        {"M", {50, 77}},     {"F", {33, 70}},     {"F1", {59, 112}},    {"F12", {88, 123}}, {"Left", {203, 37}},
        {"Digit0", {11, 48}}, {"digit7", {8, 55}},     {"PrintScreen", {183, 44}}};
    for (const auto& [name, codes] : known) {
        Script s = parsed("key " + name + " down\n");
        ASSERT_EQ(s.entries().size(), 1u);
        EXPECT_EQ(s.entries()[0].scancode, codes.first) << name;
        EXPECT_EQ(s.entries()[0].keyCode, codes.second) << name;
    }
}

TEST(InputScriptTest, NamedClicksAreResolvedWhenTheyRun) {
    Script s = parsed("+1 click @play\nclick @nothing\n");
    int asked = 0;
    s.setResolver([&](const std::string& name) -> std::optional<Target> {
        ++asked;
        if (name == "play") return Target{100.4f, 200.6f, 0};
        return std::nullopt;
    });
    std::string error;
    s.onLogLine("1\t00:00:00\tMESSAGE\tLoaded swf: mainmenu.swf\n");
    EXPECT_EQ(run(s, 5, &error),
              (std::vector<std::string>{"t1 move 100,201 l1", "t1 press 100,201 b0 l1"}));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(error, "in.txt:2: unknown name @nothing\nlast log lines:\n  1\t00:00:00\tMESSAGE\tLoaded swf: mainmenu.swf");
    EXPECT_TRUE(s.failed());
    std::vector<Action> more;
    EXPECT_FALSE(s.step(more));
}

TEST(InputScriptTest, NamesNeedAResolver) {
    Script s = parsed("click @x\n");
    std::string error;
    run(s, 1, &error);
    EXPECT_EQ(error, "in.txt:1: no object can be looked up by name here (@x)");
}

TEST(InputScriptTest, WaitHoldsTheNextLineUntilItsTextIsLogged) {
    Script s = parsed("click 1 1\nwait \"level started\" max 10\n+1 quit\n");
    std::vector<std::string> seen;
    for (int t = 0; t < 8; ++t) {
        std::vector<Action> actions;
        ASSERT_TRUE(s.step(actions)) << s.error();
        for (const Action& a : actions) seen.push_back(describe(t, a));
        if (t == 4) s.onLogLine("MESSAGE\tLevelManager: level started");
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"t0 move 1,1 l1", "t0 press 1,1 b0 l1", "t1 release 1,1 b0 l1",
                                              "t6 quit l3"}));
}

TEST(InputScriptTest, AWaitPastItsLimitStopsTheRun) {
    Script s = parsed("move 1 1\nwait \"never\" max 3\nquit\n");
    s.onLogLine("an earlier line");
    std::string error;
    // The wait starts on turn 0 and has turns 0, 1 and 2; turn 3 ends the run.
    run(s, 3, &error);
    EXPECT_EQ(error, "");
    run(s, 1, &error);
    EXPECT_EQ(error, "in.txt:2: \"never\" was not logged within 3 frames\nlast log lines:\n  an earlier line");
}

TEST(InputScriptTest, ErrorsKeepOnlyTheLastLogLines) {
    Script s = parsed("wait \"x\" max 0\n");
    for (int i = 0; i < 20; ++i) s.onLogLine("line " + std::to_string(i) + "\n");
    std::string error;
    run(s, 1, &error);
    EXPECT_NE(error.find("  line 19"), std::string::npos);
    EXPECT_NE(error.find("  line 8\n"), std::string::npos);
    EXPECT_EQ(error.find("  line 7\n"), std::string::npos);
}

// A rotator piece: each click turns it 90 degrees over a few turns.
struct Piece {
    float rotation = 180;
    int turning = 0;
    void click() {
        if (turning == 0) turning = 3;
    }
    void turn() {
        if (turning > 0 && --turning == 0) rotation = std::fmod(rotation + 90, 360.0f);
    }
};

TEST(InputScriptTest, ClickUntilClicksUntilTheRotationIsReached) {
    for (float start : {0.0f, 90.0f, 180.0f, 270.0f}) {
        Script s = parsed("click @piece1 until @piece1 rotation 0 max 3\nquit\n");
        Piece piece;
        piece.rotation = start;
        s.setResolver([&](const std::string&) -> std::optional<Target> { return Target{50, 60, piece.rotation}; });
        int clicks = 0;
        bool quit = false;
        for (int t = 0; t < 100 && !quit; ++t) {
            std::vector<Action> actions;
            ASSERT_TRUE(s.step(actions)) << s.error();
            for (const Action& a : actions) {
                if (a.kind == ActionKind::Press) ++clicks, piece.click();
                if (a.kind == ActionKind::Quit) quit = true;
            }
            piece.turn();
        }
        EXPECT_TRUE(quit) << start;
        EXPECT_EQ(piece.rotation, 0) << start;
        EXPECT_EQ(clicks, start == 0 ? 0 : static_cast<int>((360 - start) / 90)) << start;
    }
}

TEST(InputScriptTest, ClickUntilFailsAfterItsClicks) {
    Script s = parsed("click @a until @b rotation 0 max 2\n");
    s.setResolver([](const std::string&) -> std::optional<Target> { return Target{1, 1, 90}; });
    std::string error;
    std::vector<std::string> actions = run(s, 100, &error);
    EXPECT_EQ(error, "in.txt:1: @b is at rotation 90 after 2 clicks, not 0");
    EXPECT_EQ(std::count_if(actions.begin(), actions.end(),
                            [](const std::string& a) { return a.find("press") != std::string::npos; }),
              2);
}

TEST(InputScriptTest, FilesAreReadWhole) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "in.txt", "move 3 4\nbogus\n");
    Script s;
    std::string error;
    EXPECT_FALSE(s.load((dir.path() / "in.txt").string(), &error));
    EXPECT_EQ(error, (dir.path() / "in.txt").string() + ":2: unknown event 'bogus'");
    EXPECT_FALSE(s.load((dir.path() / "missing.txt").string(), &error));
    EXPECT_EQ(error, (dir.path() / "missing.txt").string() + ": cannot read the input file");
}

}  // namespace
