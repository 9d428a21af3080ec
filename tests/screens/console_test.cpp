// The console in the game started in the test process on the demo chapter: its place in the
// start-up and shutdown, the lines it runs, the output it scrolls, the history and its file, the
// completion and history panel, the clipboard, the script class, and a console without a movie.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <lua.hpp>
#include <memory>
#include <string>
#include <vector>

#include "app/game_layers.h"
#include "app/profiles.h"
#include "app/replay_recorder.h"
#include "core/cvar.h"
#include "core/cvar_catalogue.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/event_id.h"
#include "input/clipboard.h"
#include "input/input_event.h"
#include "script/console_sink.h"
#include "script/script_core.h"
#include "screens/choose_profile.h"
#include "screens/console.h"
#include "screens/main_menu.h"
#include "screens/msg_box.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Scan codes.
constexpr int kEscape = 1, kBackspace = 14, kTab = 15, kEnter = 28, kGrave = 41, kHome = 199, kUp = 200,
              kPageUp = 201, kLeft = 203, kEnd = 207, kDown = 208, kPageDown = 209, kInsert = 210, kDelete = 211,
              kLetterA = 30;

bool press(int scanCode, int modifiers = 0, char16_t character = kNoKeyChar, int type = KEY_CLICKED) {
    KeyEvent event;
    event.type = type;
    event.scanCode = scanCode;
    event.modifiers = modifiers;
    event.character = character;
    return Console::instance()->onInput(&event);
}

// Types the characters as keys that carry them.
void typeText(const std::string& utf8) {
    for (char16_t c : utf8ToWString(utf8)) press(kLetterA, 0, c);
}

void enter(const std::string& line) {
    press(kDelete, MODIFIER_CONTROL);
    typeText(line);
    press(kEnter);
}

std::string shownLines(int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

std::string globalText(const char* name) {
    lua_State* L = currentScriptState();
    lua_getglobal(L, name);
    const char* text = lua_tostring(L, -1);
    std::string out = text ? text : "(nil)";
    lua_pop(L, 1);
    return out;
}

flash::edit_text_character* field(const char* path) {
    flash::sprite_instance* top = Console::instance()->getRoot()->get_root_sprite();
    return flash::cast_to<flash::edit_text_character>(top->find_character_by_path(path));
}

class ConsoleGame : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    testsupport::TempDir home{false};
    std::unique_ptr<testsupport::GameFixture> game;

    fs::path profilesFolder() const { return home.path() / "orlimand" / "profiles"; }

    // The demo chapter with the player "Ann" chosen before, so that no profile screen holds the
    // input at start; without its console movie when asked.
    void start(bool withMovie = true) {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        if (!withMovie) fs::remove(dir.path() / "data" / "movies" / "_console.swf");
        testsupport::writeFile(profilesFolder() / "Ann.prof",
                               "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"Ann\">\n"
                               "<string name=\"LastLevel\" value=\"\" />\n<string name=\"CurrentLevel\" value=\"\" />\n"
                               "</object>\n</root>\n");
        testsupport::writeFile(profilesFolder() / "config.sta", "s_LastProfileName \"Ann\"\n");
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100, home.path());
        ASSERT_TRUE(game->startWithProfile());
        ASSERT_NE(Console::instance(), nullptr);
        ASSERT_EQ(game->app().modalPanel(), nullptr) << game->log();
    }
    void TearDown() override { game.reset(); }
};

TEST_F(ConsoleGame, StartsHiddenAsThePrintSinkWithItsFieldsAndIsDeletedAfterTheScriptTimers) {
    start();
    Console* console = Console::instance();
    ASSERT_TRUE(console->hasMovie());
    EXPECT_FALSE(console->isVisible());
    EXPECT_EQ(script::consoleSink(), console);
    EXPECT_EQ(app::screen(app::Screen::Console), console);
    const std::vector<BaseRender*>& list = game->app().renderList();
    EXPECT_EQ(std::count(list.begin(), list.end(), console), 1);
    const std::string log = game->log();
    EXPECT_NE(log.find("\tMESSAGE\tLoaded swf: _console.swf; "), std::string::npos) << log;
    EXPECT_NE(log.find(" ms; Console::init\n"), std::string::npos);

    // The three fields, in the console's font, inside their clips; the panel's clip hidden.
    for (const char* path : {"console.console_input", "console.console_output", "auto_complete.auto_complete_output"}) {
        flash::edit_text_character* text = field(path);
        ASSERT_NE(text, nullptr) << path;
        EXPECT_EQ(std::string(text->m_font_name.c_str()), v_ConsoleFont->text) << path;
        EXPECT_GT(text->get_definition()->m_rect.m_x_max, 0.0f) << path;
    }
    flash::sprite_instance* top = console->getRoot()->get_root_sprite();
    EXPECT_FALSE(top->find_character_by_path("auto_complete")->get_visible());
    EXPECT_GT(field("console.console_input")->get_matrix().m_[1][2], field("console.console_output")->get_matrix().m_[1][2])
        << "the input line lies below the output";
    // The input field shows the caret and keeps it: a click elsewhere takes no focus from it.
    flash::edit_text_character* input = field("console.console_input");
    EXPECT_TRUE(input->m_has_focus);
    input->on_event(flash::event_id(flash::event_id::KILLFOCUS));
    EXPECT_TRUE(input->m_has_focus);

    // Shown, it is the active panel and the game is busy.
    console->setVisible(true);
    EXPECT_TRUE(console->isVisible());
    EXPECT_EQ(game->app().modalPanel(), console);
    EXPECT_TRUE(game->app().isBusy());
    game->runFrames(2);
    console->setVisible(false);
    EXPECT_FALSE(console->isVisible());
    EXPECT_EQ(game->app().modalPanel(), nullptr);

    game->shutdown();
    const std::vector<std::string>& trace = game->app().shutdownTrace();
    const auto at = std::find(trace.begin(), trace.end(), "Console");
    ASSERT_NE(at, trace.end());
    ASSERT_NE(at, trace.begin());
    EXPECT_EQ(*(at - 1), "ScriptTimerManager");
    EXPECT_EQ(Console::instance(), nullptr);
    EXPECT_EQ(script::consoleSink(), nullptr);
    EXPECT_EQ(app::screen(app::Screen::Console), nullptr);
}

TEST_F(ConsoleGame, ALineShowsOrSetsAConsoleVariableOrRunsAsLua) {
    start();
    Console* console = Console::instance();
    static int s_changes = 0;
    s_changes = 0;
    s_musicVol->setCallback([](CVar*) { ++s_changes; }, false);
    struct Case {
        const char* line;
        std::string input;   // the input line afterwards
        std::string lastOutput;  // the output's last line afterwards ("" when none)
    };
    const std::vector<Case> cases = {
        {"s_musicVol", "s_musicVol 50.000", ""},
        {"s_musicVol 30", "", ""},
        {"s_musicVol", "s_musicVol 30.000", ""},
        {"s_musicVol\t 42.5", "", ""},
        {"d_DebugMode yes", "", ""},
        {"console_probe = 6 * 7", "", ""},
        {"console():print('from lua ' .. console_probe)", "", "from lua 42"},
        {"printTable({answer = console_probe})", "", "answer=42;"},
        {"this is not lua", "", "[string \"console\"]:1: '=' expected near 'is'"},
        {"error('raised')", "", "[string \"console\"]:1: raised"},
        {"S_MUSICVOL 10", "", "[string \"console\"]:1: '=' expected near '10'"},
    };
    for (const Case& c : cases) {
        enter(c.line);
        EXPECT_EQ(console->input().text(), c.input) << c.line;
        EXPECT_EQ(console->input().cursor(), c.input.size()) << c.line;
        EXPECT_EQ(console->output().empty() ? "" : console->output().back(), c.lastOutput) << c.line;
        console->clear();
    }
    EXPECT_FLOAT_EQ(s_musicVol->value.f[0], 42.5f);
    EXPECT_EQ(s_changes, 2) << "each setting runs the change listener";
    EXPECT_TRUE(d_DebugMode->value.b);
    EXPECT_EQ(globalText("console_probe"), "42");
    s_musicVol->setCallback(nullptr, false);
    const std::string log = game->log();
    EXPECT_NE(log.find("\tERROR\t[string \"console\"]:1: raised"), std::string::npos) << "errors are logged too";

    // console():clear() empties the output from Lua.
    console->print("kept?");
    enter("console():clear()");
    EXPECT_TRUE(console->output().empty());
}

TEST_F(ConsoleGame, TheOutputShowsSixteenLinesAndScrollsWithinThem) {
    start();
    Console* console = Console::instance();
    for (int i = 1; i <= 20; ++i) console->print(("line " + std::to_string(i)).c_str());
    EXPECT_EQ(console->shownOutput(), shownLines(5, 20));
    EXPECT_EQ(std::string(field("console.console_output")->m_text.c_str()), shownLines(5, 20));
    struct Step {
        const char* what;
        int key;
        int modifiers;
        int first, last;
    };
    const Step steps[] = {
        {"Ctrl+Home", kHome, MODIFIER_CONTROL, 1, 16}, {"Ctrl+End", kEnd, MODIFIER_CONTROL, 5, 20},
        {"Page Up", kPageUp, 0, 1, 16},                {"Page Up at the top", kPageUp, 0, 1, 16},
        {"Page Down", kPageDown, 0, 5, 20},            {"Page Down at the end", kPageDown, 0, 5, 20},
        {"Home alone", kHome, 0, 5, 20},
    };
    for (const Step& s : steps) {
        EXPECT_TRUE(press(s.key, s.modifiers)) << s.what;
        EXPECT_EQ(console->shownOutput(), shownLines(s.first, s.last)) << s.what;
    }
    for (int i = 21; i <= 40; ++i) console->print(("line " + std::to_string(i)).c_str());
    press(kPageUp);
    EXPECT_EQ(console->shownOutput(), shownLines(9, 24));
    console->print("line 41");
    EXPECT_EQ(console->shownOutput(), shownLines(26, 41)) << "a print shows the end";

    // The output keeps its newest 10,000 lines.
    console->clear();
    EXPECT_EQ(console->shownOutput(), "");
    for (int i = 1; i <= 20000; ++i) console->print(("line " + std::to_string(i)).c_str());
    ASSERT_EQ(console->output().size(), Console::kMaxOutputLines);
    EXPECT_EQ(console->output().front(), "line 10001");
    EXPECT_EQ(console->outputScroll(), 10000 - 16);
    EXPECT_EQ(console->shownOutput(), shownLines(19985, 20000));
    press(kHome, MODIFIER_CONTROL);
    EXPECT_EQ(console->shownOutput(), shownLines(10001, 10016));
    std::string huge(Console::kMaxLineBytes, 'x');
    huge.replace(huge.size() - 1, 1, "\xE2\x82\xAC");
    console->print(huge.c_str());
    EXPECT_EQ(console->output().back(), std::string(Console::kMaxLineBytes - 1, 'x')) << "cut before the sequence";
}

TEST_F(ConsoleGame, TheHistoryKeepsEachLineOnceInTheUserDataFolder) {
    start();
    Console* console = Console::instance();
    typeText("abc");
    EXPECT_TRUE(press(kUp));
    EXPECT_EQ(console->input().text(), "abc") << "Up on an empty history changes nothing";
    press(kDown);
    EXPECT_EQ(console->input().text(), "abc");
    enter("x = 1");
    enter("x = 1");
    enter("y = 2");
    EXPECT_EQ(console->history().entries(), (std::vector<std::string>{"x = 1", "y = 2"}));
    EXPECT_EQ(testsupport::readFile(profilesFolder() / "console.log"), "x = 1\ny = 2\n");
    EXPECT_FALSE(fs::exists(dir.path() / "data" / "console.log")) << "never in the data tree";

    struct Step {
        const char* what;
        int key;
        int modifiers;
        std::string input;
    };
    const Step steps[] = {
        {"Up", kUp, 0, "y = 2"},        {"Up", kUp, 0, "x = 1"}, {"Up at the first", kUp, 0, "x = 1"},
        {"Down", kDown, 0, "y = 2"},    {"Down at the last", kDown, 0, "y = 2"},
    };
    for (const Step& s : steps) {
        press(s.key, s.modifiers);
        EXPECT_EQ(console->input().text(), s.input) << s.what;
        EXPECT_EQ(console->input().cursor(), s.input.size()) << s.what;
    }

    // Ctrl+Down lists the history; Up and Down move the mark; Enter takes the entry.
    press(kDelete, MODIFIER_CONTROL);
    EXPECT_TRUE(press(kDown, MODIFIER_CONTROL));
    EXPECT_TRUE(console->isPanelShown());
    EXPECT_EQ(console->panelMode(), Console::PanelMode::History);
    EXPECT_EQ(console->shownPanel(), "x = 1\n>>>   y = 2\n");
    EXPECT_EQ(std::string(field("auto_complete.auto_complete_output")->m_text.c_str()), console->shownPanel());
    EXPECT_TRUE(console->getRoot()->get_root_sprite()->find_character_by_path("auto_complete")->get_visible());
    press(kUp);
    EXPECT_EQ(console->shownPanel(), ">>>   x = 1\ny = 2\n");
    EXPECT_EQ(console->input().text(), "") << "the panel's keys leave the input";
    press(kPageDown);
    EXPECT_EQ(console->shownPanel(), "x = 1\n>>>   y = 2\n") << "a page past the end stops at the last entry";
    press(kEnter);
    EXPECT_FALSE(console->isPanelShown());
    EXPECT_EQ(console->input().text(), "y = 2");
    EXPECT_EQ(console->shownPanel(), "");

    // A new console reads the file back.
    game.reset();
    game = std::make_unique<testsupport::GameFixture>(dir.path(), 100, home.path());
    ASSERT_TRUE(game->startWithProfile());
    EXPECT_EQ(Console::instance()->history().entries(), (std::vector<std::string>{"x = 1", "y = 2"}));
}

TEST_F(ConsoleGame, TabListsConsoleVariablesThenScriptGlobalsContainingTheText) {
    start();
    Console* console = Console::instance();
    // The expected globals in Lua's own table order, before the probes' names are walked.
    ASSERT_EQ(runScriptBuffer("probe_Volume = 1 VOLTAGE = 2 expected_names = '' "
                              "for k in pairs(_G) do if type(k) == 'string' and string.find(string.lower(k), 'vol') then "
                              "expected_names = expected_names .. k .. '\\n' end end",
                              0, "probe"),
              kScriptOk);
    typeText("vOl");
    EXPECT_TRUE(press(kTab));
    ASSERT_TRUE(console->isPanelShown());
    EXPECT_EQ(console->panelMode(), Console::PanelMode::Completions);
    const std::vector<std::string> variables = {"d_initMusVol", "d_initSndVol", "s_musicVol", "s_soundVol"};
    const std::vector<std::string>& list = console->completions();
    ASSERT_GE(list.size(), variables.size());
    EXPECT_EQ(std::vector<std::string>(list.begin(), list.begin() + 4), variables);
    std::string globals;
    for (size_t i = 4; i < list.size(); ++i) globals += list[i] + "\n";
    EXPECT_EQ(globals, globalText("expected_names"));
    EXPECT_NE(globals.find("probe_Volume\n"), std::string::npos);
    EXPECT_NE(globals.find("VOLTAGE\n"), std::string::npos);
    EXPECT_EQ(console->shownPanel().substr(0, 6 + variables[0].size() + 1), ">>>   d_initMusVol\n");

    // Down and Enter take the second entry; Escape hides only the panel.
    press(kDown);
    press(kEnter);
    EXPECT_EQ(console->input().text(), "d_initSndVol");
    EXPECT_FALSE(console->isPanelShown());
    press(kTab);
    EXPECT_TRUE(console->isPanelShown());
    console->setVisible(true);
    EXPECT_FALSE(console->isPanelShown()) << "showing the console hides the panel";
    press(kTab);
    EXPECT_TRUE(press(kEscape));
    EXPECT_FALSE(console->isPanelShown());
    EXPECT_TRUE(console->isVisible());
    // Nothing contains this: the panel goes.
    press(kTab);
    press(kDelete, MODIFIER_CONTROL);
    typeText("no such name anywhere");
    press(kTab);
    EXPECT_FALSE(console->isPanelShown());
    EXPECT_TRUE(console->completions().empty());
    // An empty line completes nothing and leaves the panel as it was.
    press(kDelete, MODIFIER_CONTROL);
    typeText("vol");
    press(kTab);
    press(kDelete, MODIFIER_CONTROL);
    press(kTab);
    EXPECT_TRUE(console->isPanelShown());
    EXPECT_FALSE(console->completions().empty());
    console->setVisible(false);
}

TEST_F(ConsoleGame, KeysEditTheLineByCharacterAndOnlyTheGraveKeyIsRefused) {
    start();
    Console* console = Console::instance();
    typeText("gr\xC3\xBC\xC3\x9F");  // "grüß"
    EXPECT_EQ(std::string(field("console.console_input")->m_text.c_str()), "gr\xC3\xBC\xC3\x9F");
    press(kLeft);
    press(kBackspace);
    EXPECT_EQ(console->input().text(), "gr\xC3\x9F");
    EXPECT_EQ(field("console.console_input")->m_cursor, 2) << "the field's cursor is the byte index";
    press(kDelete);
    EXPECT_EQ(console->input().text(), "gr");
    press(kHome);
    typeText("\xE2\x82\xAC");
    EXPECT_EQ(console->input().text(), "\xE2\x82\xAC" "gr");
    EXPECT_EQ(console->input().cursor(), 3u);

    // Shift+Insert puts the clipboard's first line at the cursor, which stays before it.
    ASSERT_TRUE(Clipboard::putText("caf\xE9()\r\nsecond line"));
    EXPECT_TRUE(press(kInsert, MODIFIER_SHIFT));
    EXPECT_EQ(console->input().text(), "\xE2\x82\xAC" "caf\xC3\xA9()gr");
    EXPECT_EQ(console->input().cursor(), 3u);
    EXPECT_TRUE(press(kInsert));
    EXPECT_EQ(console->input().text(), "\xE2\x82\xAC" "caf\xC3\xA9()gr") << "Insert alone inserts nothing";

    struct Refused {
        const char* what;
        int key;
        char16_t character;
        int type;
    };
    const Refused refused[] = {
        {"grave", kGrave, u'`', KEY_CLICKED},
        {"a key without a character", 59, kNoKeyChar, KEY_CLICKED},
        {"a key whose character is 0", 59, 0, KEY_CLICKED},
        {"a control character", 59, u'\x1b', KEY_CLICKED},
        {"a key release", kLetterA, u'a', KEY_RELEASED},
    };
    for (const Refused& r : refused) {
        EXPECT_FALSE(press(r.key, 0, r.character, r.type)) << r.what;
        EXPECT_EQ(console->input().text(), "\xE2\x82\xAC" "caf\xC3\xA9()gr") << r.what;
    }
    EXPECT_TRUE(press(kLetterA, 0, u'z', KEY_PRESSED)) << "a held key types too";
    EXPECT_EQ(console->input().text(), "\xE2\x82\xAC" "zcaf\xC3\xA9()gr");
}

TEST_F(ConsoleGame, WithoutItsMovieTheConsoleLogsOneErrorAndStillHoldsLines) {
    start(false);
    Console* console = Console::instance();
    EXPECT_FALSE(console->hasMovie());
    const std::string log = game->log();
    const size_t at = log.find("\tERROR\tconsole.swf not found in Console::init\n");
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find("\tERROR\t"), at) << "one error";
    EXPECT_EQ(log.find("\tERROR\t", at + 1), std::string::npos) << "one error";
    console->setVisible(true);
    EXPECT_FALSE(console->isVisible());
    EXPECT_EQ(game->app().modalPanel(), nullptr) << "a console that cannot show holds no input";
    runScriptBuffer("printTable({k = 'v'})", 0, "probe");
    EXPECT_EQ(console->output().back(), "k=\"v\";");
    enter("s_soundVol 20");
    EXPECT_FLOAT_EQ(s_soundVol->value.f[0], 20.0f);
    game->runFrames(3);
}

TEST_F(ConsoleGame, TheGraveKeyOpensAndClosesTheConsoleOnlyWithDebugModeEnabled) {
    start();
    Console* console = Console::instance();
    // Keys through the input file: the application's key chain hands them on.
    const char* session = "key Grave\n+2 type \"probe = 84 / 2\"\n+1 key Enter\n+1 key Grave\n";
    d_DebugModeEnabled->setEnabled(false);
    ASSERT_TRUE(game->runInput(session)) << game->log().substr(game->log().size() > 2000 ? game->log().size() - 2000 : 0);
    EXPECT_FALSE(console->isVisible()) << "without the debug switch nothing opens";
    EXPECT_EQ(globalText("probe"), "(nil)");
    EXPECT_TRUE(console->history().empty());

    d_DebugModeEnabled->setEnabled(true);
    // Shifted characters (capitals, quotes, "!") arrive shifted, on the press and the click.
    ASSERT_TRUE(game->runInput("key Grave\n+2 type \"Probe = 84 / 2 .. \\\"Ann!\\\"\"\n"));
    EXPECT_TRUE(console->isVisible());
    EXPECT_EQ(game->app().modalPanel(), console);
    EXPECT_TRUE(game->app().isBusy()) << "the game waits while the console is open";
    EXPECT_EQ(console->input().text(), "Probe = 84 / 2 .. \"Ann!\"");
    ASSERT_TRUE(game->runInput("key Enter\n+1 key Escape\n+1 key Grave\n"));
    EXPECT_EQ(globalText("Probe"), "42Ann!");
    EXPECT_EQ(console->history().entries(), std::vector<std::string>{"Probe = 84 / 2 .. \"Ann!\""});
    EXPECT_FALSE(console->isVisible()) << "the same key closes it";
    EXPECT_EQ(game->app().modalPanel(), nullptr);
    EXPECT_FALSE(game->app().isBusy());
}

// The screen in front: the message box, the profile chooser, the main menu or none.
std::string frontScreen() {
    if (MsgBox::instance() && MsgBox::instance()->isVisible()) return "message box";
    if (ChooseProfile::instance() && ChooseProfile::instance()->isVisible()) return "chooser";
    if (MainMenu::instance() && MainMenu::instance()->isVisible()) return "main menu";
    return "none";
}

TEST_F(ConsoleGame, AReplayMadeFromTheConsoleOfMainMenuClicksPlaysBackToTheSameScreens) {
    start();
    game->skipLogos();  // the screens play only after the start-up pictures
    d_DebugModeEnabled->setEnabled(true);
    MainMenu::instance()->playAmbient();
    // The console's lines, typed through the application's key chain while the console is open.
    auto consoleLines = [this](const std::vector<std::string>& lines) {
        ASSERT_TRUE(game->runInput("key Grave\n"));
        ASSERT_TRUE(Console::instance()->isVisible());
        for (const std::string& line : lines) {
            for (char16_t c : utf8ToWString(line + "\r")) {
                KeyEvent event;
                event.type = KEY_CLICKED;
                event.scanCode = c == u'\r' ? kEnter : kLetterA;
                event.character = c;
                game->app().onKeyEvent(&event);
            }
        }
        ASSERT_TRUE(game->runInput("key Grave\n"));
        ASSERT_FALSE(Console::instance()->isVisible());
    };
    std::vector<std::string> shown;
    auto note = [&shown] {
        if (shown.empty() || shown.back() != frontScreen()) shown.push_back(frontScreen());
    };
    // The change-profile text, the chooser's back button, the quit button and the box's "no".
    const std::vector<std::pair<int, int>> clicked = {{512, 615}, {512, 640}, {512, 535}, {612, 474}};
    consoleLines({"replay_recorder():reset()", "replay_recorder():startRecord()"});
    note();
    for (const auto& [x, y] : clicked) {
        ASSERT_TRUE(game->runInput("click " + std::to_string(x) + " " + std::to_string(y) + "\n+4 move 100 700\n"));
        note();
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"main menu", "chooser", "main menu", "message box", "main menu"}));
    // Playback waits while the console shows; the menu is in front when it starts.
    ASSERT_EQ(frontScreen(), "main menu");
    const std::vector<std::string> made = shown;
    shown = {"main menu"};
    consoleLines({"replay_recorder():save('menu.replay')", "replay_recorder():reset()",
                  "replay_recorder():load('menu.replay')", "replay_recorder():startPlay()"});
    const std::string file = testsupport::readFile(dir.path() / "menu.replay");
    for (const auto& [x, y] : clicked)
        EXPECT_NE(file.find("value=\"" + std::to_string(x) + "|" + std::to_string(y) + "|1|"), std::string::npos) << file;

    ReplayRecorder* recorder = ReplayRecorder::instance();
    ASSERT_TRUE(recorder->isPlaying());
    note();
    for (int i = 0; i < 300 && recorder->isPlaying(); ++i) {
        game->runFrames(1);
        note();
    }
    EXPECT_FALSE(recorder->isPlaying());
    EXPECT_EQ(shown, made) << "played back headless to the same screens";
    EXPECT_FALSE(game->app().quitRequested());
}

TEST_F(ConsoleGame, AnUnwritableHistoryGivesOneWarning) {
    fs::create_directories(profilesFolder() / "console.log");
    start();
    enter("a = 1");
    enter("b = 2");
    EXPECT_EQ(Console::instance()->history().size(), 2u);
    const std::string log = game->log();
    size_t warnings = 0;
    for (size_t at = log.find("\tWARNING\t"); at != std::string::npos; at = log.find("\tWARNING\t", at + 1))
        warnings += log.compare(log.find('\n', at) - 11, 11, "console.log") == 0;
    EXPECT_EQ(warnings, 1u) << log;
}

}  // namespace
