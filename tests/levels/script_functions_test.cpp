// The game's script functions of levels, tasks, the panel, sound, effects, the cursor and
// diagnostics, called from scripts on the demo chapter's room (made a plain test level): what each
// changes, the defaults they push without a level, and the random and library functions' edges.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "audio/sndfx_system.h"
#include "core/cvar_catalogue.h"
#include "core/random_tables.h"
#include "flash/movie/player.h"
#include "levels/level_manager.h"
#include "platform/clock.h"
#include "screens/console.h"
#include "flash/movie/edit_text_character.h"
#include "particles/effect_mgr.h"
#include "particles/particle_effect.h"
#include "particles/particle_system.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "screens/msg_box.h"
#include "script/script_core.h"
#include "script/script_timers.h"
#include "tests/levels/level_fixture.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned kFrameMs = 50;

class ScriptFunctions : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    levels::LevelMaker earlierMaker = nullptr;

    void SetUp() override {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), kFrameMs);
        ASSERT_TRUE(game->startWithProfile("Tester"));
        game->skipLogos();
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        game->app().setActivePanel(nullptr);
        earlierMaker =
            levels::setLevelMaker("hidden", [](BaseLevel* parent) -> BaseLevel* { return new leveltest::TestLevel(parent); });
        ASSERT_TRUE(manager()->startLevel("room"));
        ASSERT_NE(room(), nullptr);
        ASSERT_EQ(room()->getName(), "room");
    }
    void TearDown() override {
        if (LevelManager* m = manager()) m->waitLoader();
        levels::setLevelMaker("hidden", earlierMaker);
        game.reset();
    }

    LevelManager* manager() { return LevelManager::instance(); }
    BaseLevel* room() { return manager()->currentLevel(); }
    int lua(const std::string& text) { return runScriptBuffer(text.c_str(), 0, "test"); }
    // The value of a script expression as a number, text or boolean.
    double number(const std::string& expression) {
        EXPECT_EQ(lua("_t = " + expression), 0) << expression;
        lua_State* L = currentScriptState();
        lua_getglobal(L, "_t");
        const double value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return value;
    }
    std::string text(const std::string& expression) {
        EXPECT_EQ(lua("_t = " + expression), 0) << expression;
        lua_State* L = currentScriptState();
        lua_getglobal(L, "_t");
        const char* value = lua_tostring(L, -1);
        std::string out = value ? value : "<nil>";
        lua_pop(L, 1);
        return out;
    }
    bool truth(const std::string& expression) { return number("(" + expression + ") and 1 or 0") == 1.0; }
    std::vector<std::string> consoleLinesAfter(size_t from) {
        const auto& output = Console::instance()->output();
        return std::vector<std::string>(output.begin() + static_cast<long>(std::min(from, output.size())), output.end());
    }
    size_t consoleSize() { return Console::instance()->output().size(); }
    size_t logCount(const std::string& line) {
        const std::string log = game->log();
        size_t count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
        return count;
    }
};

TEST_F(ScriptFunctions, LevelFunctionsSteerTheCurrentLevelAndTheManager) {
    EXPECT_TRUE(truth("get_current_level() ~= nil"));
    EXPECT_TRUE(truth("get_minigame('nosuch') == nil"));
    // The room's minilevel slot holds the close-up, matched by its exact name.
    if (BaseLevel* closeup = room()->getMinilevel(0)) {
        EXPECT_TRUE(truth("get_minigame('" + closeup->getName() + "') ~= nil"));
        EXPECT_TRUE(truth("get_minigame('" + closeup->getName().substr(1) + "') == nil"));
        ASSERT_EQ(lua("set_win_effect_enabled('" + closeup->getName() + "', false)"), 0);
        EXPECT_TRUE(closeup->anyFlag(BaseLevel::kFlagNoWinEffect));
        ASSERT_EQ(lua("set_win_effect_enabled('" + closeup->getName() + "', true)"), 0);
        EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagNoWinEffect));
    }
    struct Case {
        const char* call;
        unsigned levelFlag;
        bool levelOn;
        unsigned managerFlag;
    };
    const Case cases[] = {
        {"set_level_need_fade_out(true)", BaseLevel::kFlagChainStop, true, 0},
        {"set_level_need_fade_out(false)", BaseLevel::kFlagChainStop, false, 0},
        {"set_no_check_win_by_script_c(true, 'room')", BaseLevel::kFlagNoScriptWin, true, 0},
        // An empty name finds no level: nothing changes.
        {"set_no_check_win_by_script_c(false, '')", BaseLevel::kFlagNoScriptWin, true, 0},
        {"set_no_check_win_by_script_c(false, 'room')", BaseLevel::kFlagNoScriptWin, false, 0},
        {"no_finish_dialog()", 0, false, LevelManager::kSkipFinishDialog},
        {"no_start_dialog()", 0, false, LevelManager::kSkipStartDialog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        ASSERT_EQ(lua(c.call), 0);
        if (c.levelFlag) {
            EXPECT_EQ(room()->anyFlag(c.levelFlag), c.levelOn);
        }
        if (c.managerFlag) {
            EXPECT_TRUE(manager()->anyFlag(c.managerFlag));
        }
    }
    Profiles::instance()->LastLevel = "intro";
    EXPECT_EQ(text("get_prev_level_name()"), "intro");
    const size_t before = consoleSize();
    ASSERT_EQ(lua("print_cur_level_name() list_elements()"), 0);
    const std::vector<std::string> lines = consoleLinesAfter(before);
    ASSERT_EQ(lines.size(), 1 + room()->getElements().size());
    EXPECT_EQ(lines[0], "room");
    for (size_t i = 0; i < room()->getElements().size(); ++i) EXPECT_EQ(lines[i + 1], room()->getElements()[i]->getName());
}

TEST_F(ScriptFunctions, TaskAndPanelFunctions) {
    ASSERT_EQ(lua("set_level_task('ids_task_one', false)"), 0);
    EXPECT_EQ(room()->getTaskText(), "ids_task_one");
    ASSERT_EQ(lua("set_level_task_ex('ids_task_two', 'unused')"), 0);
    EXPECT_EQ(room()->getTaskText(), "ids_task_two");
    ASSERT_EQ(lua("show_level_task() show_level_task_ex('x')"), 0);
    EXPECT_EQ(room()->getTaskText(), "ids_task_two");
    MainPanel* panel = MainPanel::instance();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(lua("main_panel_visible(false)"), 0);
    EXPECT_FALSE(panel->isVisible());
    ASSERT_EQ(lua("main_panel_visible(true)"), 0);
    EXPECT_TRUE(panel->isVisible());
    // A list entry: grey, then white again.
    panel->addElement("cup");
    MainPanel::NotificationElement* notice = panel->findEntry("cup");
    ASSERT_NE(notice, nullptr);
    ASSERT_NE(notice->field(), nullptr);
    {
        const std::string name = notice->name();
        ASSERT_EQ(lua("set_main_panel_text_color('" + name + "', 1, 2, 259, -1)"), 0);
        const flash::rgba set = notice->field()->m_color;
        EXPECT_EQ((std::vector<int>{set.m_r, set.m_g, set.m_b, set.m_a}), (std::vector<int>{1, 2, 3, 255}));
        ASSERT_EQ(lua("disable_main_panel_text('" + name + "')"), 0);
        const flash::rgba grey = notice->field()->m_color;
        EXPECT_EQ((std::vector<int>{grey.m_r, grey.m_g, grey.m_b, grey.m_a}), (std::vector<int>{150, 150, 150, 255}));
        ASSERT_EQ(lua("enable_main_panel_text('" + name + "')"), 0);
        const flash::rgba white = notice->field()->m_color;
        EXPECT_EQ((std::vector<int>{white.m_r, white.m_g, white.m_b, white.m_a}), (std::vector<int>{255, 255, 255, 255}));
    }
    ASSERT_EQ(lua("disable_main_panel_text('no such entry')"), 0);
}

TEST_F(ScriptFunctions, SoundFunctionsSpeakZeroToOneOverTheMediaCentersHundred) {
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    ASSERT_NE(media, nullptr);
    ASSERT_EQ(lua("set_volume(false, 0.5)"), 0);
    EXPECT_FLOAT_EQ(media->getMusicVolume(), 50.0f);
    EXPECT_DOUBLE_EQ(number("get_volume(false)"), 0.5);
    ASSERT_EQ(lua("set_volume(true, 0.25)"), 0);
    EXPECT_FLOAT_EQ(media->getSoundVolume(), 25.0f);
    EXPECT_DOUBLE_EQ(number("get_volume(true)"), 0.25);
    // Not a number: silence, never NaN in the channel.
    ASSERT_EQ(lua("set_volume(false, 0/0)"), 0);
    EXPECT_EQ(media->getMusicVolume(), 0.0f);
    ASSERT_EQ(lua("set_snd_vol_coef('some_new_sound', 0.3)"), 0);
    EXPECT_FLOAT_EQ(media->getSoundVolumes()["some_new_sound"], 0.3f);

    const size_t before = consoleSize();
    ASSERT_EQ(lua("play_sound('room_bell') play_sound_loop('room_bell')"), 0);
    EXPECT_EQ(consoleLinesAfter(before), std::vector<std::string>{"play_sound:  room_bell"});
    EXPECT_TRUE(truth("is_sound_playing('room_bell')"));
    ASSERT_EQ(lua("stop_sounds()"), 0);
    EXPECT_FALSE(truth("is_sound_playing('room_bell')"));
    EXPECT_FALSE(truth("is_sound_playing('')"));

    ASSERT_EQ(lua("set_music_enabled(false)"), 0);
    EXPECT_FALSE(media->isMusicEnabled());
    ASSERT_EQ(lua("set_music_enabled(true)"), 0);
    EXPECT_TRUE(media->isMusicEnabled());
}

TEST_F(ScriptFunctions, TheTaskCompleteBoxDipsTheMusicThroughTheRealVolumeFunctions) {
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    MsgBox* box = MsgBox::instance();
    ASSERT_NE(box, nullptr);
    const float before = 80.0f;
    media->setMusicVolume(before);
    box->show(app::MessageBox::kTypeTaskComplete, "ids_yesno", nullptr);
    ASSERT_NE(ScriptTimerManager::instance()->find(MsgBox::kDipStep), nullptr);
    game->runFrames(10);
    // Three steps, each taking a third of what is left.
    EXPECT_NEAR(media->getMusicVolume(), before * 8.0f / 27.0f, 1e-3f);
    flash::character* ok = box->getRoot()->get_root_sprite()->get_character_by_name(flash::bx_string("msg_button_ok"), true);
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(ok->get_event_callback(), nullptr);
    ok->get_event_callback()(ok, 1);
    // The closing clip's end, as its last frame reports it.
    if (box->isOpen()) box->onAnimationDone();
    EXPECT_FALSE(box->isOpen());
    EXPECT_FLOAT_EQ(media->getMusicVolume(), before);
}

TEST_F(ScriptFunctions, EffectsGoToTheLevelUnlessParticlesAreOff) {
    const uint32_t effects = room()->effectCount();
    d_disableParticles->setFromString("true");
    ASSERT_EQ(lua("start_effect('room_fire', 'fireplace') start_effect_at('room_fire', Vec2(10, 20))"), 0);
    EXPECT_EQ(room()->effectCount(), effects);
    EXPECT_EQ(logCount("start_effect room_fire"), 0u);
    d_disableParticles->setFromString("false");
    ASSERT_EQ(lua("start_effect('room_fire', 'fireplace')"), 0);
    EXPECT_EQ(logCount("MESSAGE\tstart_effect room_fire on fireplace"), 1u) << game->log();
    ASSERT_EQ(room()->effectCount(), effects + 1);
    particle::fxParticleEffect2D* started = room()->effectAt(effects);
    // Taken over from the manager, placed at the clip (pixels).
    EXPECT_FALSE(particle::fxParticleEffectMgr::instance()->isActive(started));
    const flash::matrix world = room()->findCharacter("fireplace", true)->get_world_matrix();
    EXPECT_FLOAT_EQ(started->position().x, world.m_[0][2] * 0.05f);
    EXPECT_FLOAT_EQ(started->position().y, world.m_[1][2] * 0.05f);
    EXPECT_EQ(text("start_effect_with_rect('room_fire', 'fireplace')"), "room_fire");
    // Its systems emit over the clip's bounds (the fireplace stands at 60-220 x 300-500 pixels).
    ASSERT_EQ(room()->effectCount(), effects + 2);
    const particle::fxParticleEffect2D* overClip = room()->effectAt(effects + 1);
    ASSERT_FALSE(overClip->systems().empty());
    for (const particle::fxParticleEffect2D::SystemEntry& entry : overClip->systems()) {
        ASSERT_NE(entry.system, nullptr);
        EXPECT_TRUE(entry.system->insideQuad(61.0f, 301.0f));
        EXPECT_TRUE(entry.system->insideQuad(219.0f, 499.0f));
        EXPECT_FALSE(entry.system->insideQuad(59.0f, 400.0f));
        EXPECT_FALSE(entry.system->insideQuad(140.0f, 501.0f));
    }
    EXPECT_EQ(text("start_effect_with_rect('room_fire', 'no_clip')"), "");
    EXPECT_EQ(text("start_effect_with_rect('no_such_effect', 'fireplace')"), "");
    ASSERT_EQ(room()->effectCount(), effects + 2);
    ASSERT_EQ(lua("start_effect_at('room_fire', Vec2(0/0, 7))"), 0);
    ASSERT_EQ(room()->effectCount(), effects + 3);
    EXPECT_EQ(room()->effectAt(effects + 2)->position().x, 0.0f);
    EXPECT_EQ(room()->effectAt(effects + 2)->position().y, 7.0f);
    // The first one of that name goes; the others stay.
    ASSERT_EQ(lua("stop_effect('room_fire')"), 0);
    EXPECT_EQ(room()->effectCount(), effects + 2);
}

TEST_F(ScriptFunctions, CursorFunctions) {
    MouseCursor* cursor = MouseCursor::instance();
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(truth("is_conn_elem_name('')"));
    EXPECT_FALSE(truth("is_conn_elem_name('key')"));
    size_t before = consoleSize();
    ASSERT_EQ(lua("print_connected_el()"), 0);
    EXPECT_EQ(consoleLinesAfter(before), std::vector<std::string>{"No element"});
    cursor->setPosition(100, 150);
    EXPECT_EQ(number("get_cursor_pos_y()"), cursor->y());

    BaseElement* key = room()->getElementByName("key");
    ASSERT_NE(key, nullptr);
    // The test level leaves the clips to the elements' kinds: they are given here.
    key->setCharacter(room()->findCharacter("key", true));
    ASSERT_NE(key->getCharacter(), nullptr);
    ASSERT_EQ(lua("add_mouse_element('key')"), 0);
    ASSERT_EQ(cursor->connectedElement(), key);
    EXPECT_TRUE(truth("is_conn_elem_name('key')"));
    EXPECT_FALSE(truth("is_conn_elem_name('')"));
    before = consoleSize();
    ASSERT_EQ(lua("print_connected_el()"), 0);
    EXPECT_EQ(consoleLinesAfter(before), std::vector<std::string>{"key"});
    // Given back, placed on the lock.
    ASSERT_EQ(lua("set_mouse_connected_character_pos('lock')"), 0);
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    const flash::matrix lock = room()->findCharacter("lock", true)->get_matrix();
    EXPECT_EQ(key->getCharacter()->get_matrix().m_[0][2], lock.m_[0][2]);
    EXPECT_EQ(key->getCharacter()->get_matrix().m_[1][2], lock.m_[1][2]);
    // A missing clip gives the carried element back.
    ASSERT_EQ(lua("add_mouse_element('key') add_mouse_element('no_clip')"), 0);
    EXPECT_EQ(cursor->connectedElement(), nullptr);

    // The flight starts at the cursor and ends where the clip is.
    BaseElement* book = key;
    flash::character* clip = book->getCharacter();
    ASSERT_NE(clip, nullptr);
    const flash::matrix home = clip->get_matrix();
    const flash::matrix world = clip->get_world_matrix();
    ASSERT_EQ(lua("fly_from_mouse_to_element('key')"), 0);
    ASSERT_EQ(book->animationCount(), 1u);
    const ElementAnimation* flight = book->currentAnimation();
    EXPECT_FLOAT_EQ(flight->duration, 0.3f);
    EXPECT_TRUE(flight->deltasFromTarget);
    EXPECT_EQ(flight->targetMatrix.m_[0][2], home.m_[0][2]);
    EXPECT_EQ(flight->startMatrix.m_[0][2], home.m_[0][2] + std::trunc(world.m_[0][2] - cursor->x() * 20.0f));
    EXPECT_EQ(flight->startMatrix.m_[1][2], home.m_[1][2] + std::trunc(world.m_[1][2] - cursor->y() * 20.0f));
    EXPECT_EQ(clip->get_matrix().m_[0][2], flight->startMatrix.m_[0][2]);

    // A cursor frame switch blocks the mouse until the picture changes.
    if (cursor->cursorClip()) {
        ASSERT_EQ(lua("switch_cursor_frame('cursor_penalty')"), 0);
        EXPECT_TRUE(cursor->isBlocked());
        cursor->reset();
    }
    ASSERT_EQ(lua("show_cursor_w(false) show_cursor_w(true)"), 0);
}

TEST_F(ScriptFunctions, GetRandomStaysInItsRangeAndStepsTheIndexByOne) {
    std::set<int> seen;
    for (int i = 0; i < 10000; ++i) seen.insert(static_cast<int>(number("get_random(3, 7)")));
    EXPECT_EQ(seen, (std::set<int>{3, 4, 5, 6}));
    struct Case {
        int low, high;
        int lowest, highest;
    };
    const Case cases[] = {{5, 5, 5, 5}, {7, 3, 7, 7}, {-4, -1, -4, -2}, {0, 1, 0, 0}};
    for (const Case& c : cases) {
        const std::string call = "get_random(" + std::to_string(c.low) + ", " + std::to_string(c.high) + ")";
        for (int i = 0; i < 200; ++i) {
            const uint16_t index = g_randomIntIndex;
            const int value = static_cast<int>(number(call));
            EXPECT_EQ(static_cast<uint16_t>(g_randomIntIndex - index), 1) << call;
            EXPECT_GE(value, c.lowest) << call;
            EXPECT_LE(value, c.highest) << call;
        }
    }
    // The value at the new index decides.
    const uint16_t next = static_cast<uint16_t>(g_randomIntIndex + 1);
    EXPECT_EQ(number("get_random(10, 20)"), 10 + g_randomInts[next] % 10);
}

TEST_F(ScriptFunctions, DiagnosticsListClipsLibraryStringsAndTime) {
    // The fixed clock: the tick count is the virtual clock's.
    EXPECT_EQ(number("get_tick_count()"), static_cast<double>(platform::monotonicMs()));
    ASSERT_EQ(lua("log_message('a line from the script')"), 0);
    EXPECT_EQ(logCount("MESSAGE\ta line from the script"), 1u);

    ASSERT_EQ(lua("get_all_chars('no_such_function', false)"), 0);
    EXPECT_EQ(logCount("ERROR\tget_all_chars invalid script func no_such_function"), 1u);
    ASSERT_EQ(lua("names = {} function collect(n) names[#names + 1] = n end get_all_chars('collect', false)"), 0);
    const int named = static_cast<int>(number("#names"));
    EXPECT_TRUE(truth("(function() for _, n in ipairs(names) do if n == 'book' then return true end end end)()"));
    ASSERT_EQ(lua("names = {} get_all_chars('collect', true)"), 0);
    EXPECT_GE(number("#names"), named);
    size_t before = consoleSize();
    ASSERT_EQ(lua("print_full_names()"), 0);
    EXPECT_EQ(consoleLinesAfter(before).size(), static_cast<size_t>(number("#names")));
    // A callback that ends the level ends the walk.
    ASSERT_EQ(lua("calls = 0 function ender(n) calls = calls + 1 level_manager_clear_for_test() end"), 0);
    lua_register(currentScriptState(), "level_manager_clear_for_test", [](lua_State*) -> int {
        LevelManager::instance()->clear();
        return 0;
    });
    ASSERT_EQ(lua("get_all_chars('ender', true)"), 0);
    EXPECT_EQ(number("calls"), 1);
    EXPECT_EQ(manager()->currentLevel(), nullptr);

    flash::movie_library& library = game->app().player()->get_movie_library();
    // A preload worker still reading would add an entry between the listing and the count.
    manager()->joinWorkers();
    before = consoleSize();
    ASSERT_EQ(lua("print_char_lib()"), 0);
    EXPECT_EQ(consoleLinesAfter(before).size(), static_cast<size_t>(library.size()));
    ASSERT_GT(library.size(), 0);
    ASSERT_EQ(lua("clear_char_lib()"), 0);
    EXPECT_EQ(library.size(), 0);

    ASSERT_EQ(lua("test_strings() test_memleak() mem_dump() open_link()"), 0);
    // Outside debug mode the crash switch only warns.
    ASSERT_EQ(lua("crash_app()"), 0);
    EXPECT_EQ(logCount("WARNING\tcrash_app"), 1u);
}

TEST_F(ScriptFunctions, ClearingTheLibraryDuringAPreloadLeavesTheReadToFinish) {
    // The room's load list reads a movie on a loader thread; the clear runs beside it.
    flash::movie_library& library = game->app().player()->get_movie_library();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(lua("clear_char_lib()"), 0);
        manager()->loadSWF("letters.swf");
        ASSERT_EQ(lua("clear_char_lib() print_char_lib()"), 0);
    }
    manager()->joinWorkers();
    EXPECT_LE(library.size(), 1);
    // The level goes on drawing its own movie, held by its root.
    ASSERT_NE(room(), nullptr);
    game->runFrames(2);
    ASSERT_NE(room(), nullptr);
    ASSERT_NE(room()->getRoot(), nullptr);
}

TEST_F(ScriptFunctions, WithoutALevelEachValueFunctionPushesOneDefault) {
    manager()->clear();
    ASSERT_EQ(manager()->currentLevel(), nullptr);
    struct Case {
        const char* call;
        const char* expected;  // the one value as text
    };
    const Case cases[] = {
        {"get_current_level()", "nil"},
        {"get_minigame('closeup')", "nil"},
        {"start_effect_with_rect('room_fire', 'fireplace')", ""},
        {"is_conn_elem_name('')", "true"},
        {"is_conn_elem_name('key')", "false"},
        {"is_sound_playing('nothing')", "false"},
        {"get_random(5, 5)", "5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        EXPECT_EQ(number("select('#', " + std::string(c.call) + ")"), 1);
        EXPECT_EQ(text("tostring(" + std::string(c.call) + ")"), c.expected);
    }
    // The rest are silent.
    const size_t before = consoleSize();
    const size_t errors = logCount("ERROR");
    ASSERT_EQ(lua("set_level_task('x', true) set_level_task_ex('x', 'y') load_minigame('puzzle') "
                  "set_level_need_fade_out(true) print_cur_level_name() list_elements() start_effect('room_fire', 'x') "
                  "stop_effect('room_fire') add_mouse_element('key') set_mouse_connected_character_pos('lock') "
                  "fly_from_mouse_to_element('book') get_all_chars('print', true) print_full_names()"),
              0);
    EXPECT_EQ(consoleLinesAfter(before).size(), 0u);
    EXPECT_EQ(logCount("ERROR"), errors) << game->log();
}

}  // namespace
