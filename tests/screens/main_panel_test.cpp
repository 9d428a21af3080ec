// The heads-up panel on the demo movie: the buttons with a test level, the flags word's
// callback, the hint recharge and the skip readiness, the speech bubble's timeline, the script
// class, the missing movie, and the panel's place in start-up and shutdown.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <fstream>
#include <iterator>

#include "app/application.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/movie_root.h"
#include "script/script_core.h"
#include "script/script_timers.h"
#include "tests/screens/main_panel_fixture.h"

namespace {

using paneltest::PanelTest;
namespace fs = std::filesystem;

constexpr int kHintFrames = 20;  // the demo's hint button
constexpr int kSkipReady = 20;   // the demo's "fade_out" label of the skip button

TEST_F(PanelTest, TheMovieIsWiredAndTheFieldsAreReadAtConstruction) {
    EXPECT_EQ(panel->textPlaceWidth(), 320 * 20);
    EXPECT_EQ(panel->textPlaceHeight(), 40 * 20);
    EXPECT_EQ(panel->skipReadyFrame(), kSkipReady);
    EXPECT_NE(panel->heroAvatar(), nullptr);
    EXPECT_NE(panel->objectField(), nullptr);
    EXPECT_FALSE(panel->isVisible());  // the level set-up shows it
    for (const char* name : {"mp_hint_btn", "mp_menu_btn", "mp_task_btn", "mp_skip_btn", "dialog_anim"}) {
        flash::character* clip = panel->findClip(name);
        ASSERT_NE(clip, nullptr) << name;
        EXPECT_EQ(clip->get_event_callback(), &MainPanel::buttonCallback) << name;
    }
    EXPECT_EQ(sprite("heroava")->get_play_state(), flash::character::STOP);
    flash::edit_text_character* text = dialogText();
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->get_visible());
    EXPECT_STREQ(text->m_font_name.c_str(), "tahoma_b_13");
    EXPECT_EQ(text->m_vertical_alignment, 2);
    EXPECT_EQ(text->m_color.m_a, 255);
    d_MFSFFont->setString("Vernada_BOLD_16");
    EXPECT_STREQ(text->m_font_name.c_str(), "Vernada_BOLD_16");
    EXPECT_NE(game->log().find("Loaded swf: mainpanel-inventory.swf; "), std::string::npos);
    // First of the screens on the render list.
    ASSERT_FALSE(game->app().renderList().empty());
    EXPECT_EQ(game->app().renderList().front(), panel);
    EXPECT_EQ(app::screen(app::Screen::MainPanel), panel);
}

TEST_F(PanelTest, ButtonsAskTheLevelOnlyWhenReadyOrInDebugMode) {
    struct Case {
        const char* what;
        const char* button;
        unsigned flags;  // hint ready 4, skip ready 32
        bool debug;
        bool answer;
        int hints, skips;
        bool hintReadyAfter;
        bool useHelp;
    };
    const Case cases[] = {
        {"hint recharging", "mp_hint_btn", 0, false, true, 0, 0, false, false},
        {"hint ready, given", "mp_hint_btn", MainPanel::kHintReady, false, true, 1, 0, false, true},
        {"hint ready, refused", "mp_hint_btn", MainPanel::kHintReady, false, false, 1, 0, true, false},
        {"hint recharging, debug", "mp_hint_btn", 0, true, true, 1, 0, false, true},
        {"skip not ready", "mp_skip_btn", 0, false, true, 0, 0, false, false},
        {"skip ready", "mp_skip_btn", MainPanel::kSkipReady, false, true, 0, 1, false, false},
        {"skip not ready, debug", "mp_skip_btn", 0, true, true, 0, 1, false, false},
        {"menu", "mp_menu_btn", MainPanel::kHintReady | MainPanel::kSkipReady, false, true, 0, 0, true, false},
        {"task", "mp_task_btn", MainPanel::kHintReady | MainPanel::kSkipReady, false, true, 0, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        panel->setFlag(MainPanel::kHintSilent, true);
        panel->setFlag(~0u, false);
        panel->setFlag(c.flags, true);
        panel->setFlag(MainPanel::kHintSilent, false);
        stopSounds();
        level.hints = level.skips = 0;
        level.hintAnswer = c.answer;
        d_DebugMode->setEnabled(c.debug);
        game->app().setInputLocked(false);
        MainPanel::buttonCallback(panel->findClip(c.button), 1);
        EXPECT_TRUE(game->app().inputLocked());
        EXPECT_EQ(level.hints, c.hints);
        EXPECT_EQ(level.skips, c.skips);
        EXPECT_EQ(panel->anyFlag(MainPanel::kHintReady), c.hintReadyAfter);
        EXPECT_EQ(playing("use_help"), c.useHelp);
        if (c.hints) {
            EXPECT_EQ(panel->hintButton()->get_current_frame(), c.hintReadyAfter ? kHintFrames - 1 : 0);
        }
    }
    d_DebugMode->setEnabled(false);
    // Other events and a roll-over do nothing; no level makes the hint do nothing but take the input.
    level.hints = 0;
    panel->setFlag(MainPanel::kHintReady, true);
    MainPanel::buttonCallback(panel->findClip("mp_hint_btn"), 4);
    EXPECT_EQ(level.hints, 0);
    control.level = nullptr;
    MainPanel::buttonCallback(panel->findClip("mp_hint_btn"), 1);
    EXPECT_TRUE(panel->anyFlag(MainPanel::kHintReady));
}

TEST_F(PanelTest, APressOnTheShownHintButtonReachesTheLevel) {
    panel->setVisible(true);
    panel->setFlag(MainPanel::kHintReady, true);
    flash::root* root = panel->getRoot();
    // The demo's hint button: 60 pixels square at (400, 648).
    for (int buttons : {0, 1, 0}) {
        root->notify_mouse_state(430, 678, buttons);
        panel->render(0.0f);
    }
    EXPECT_EQ(level.hints, 1);
}

TEST_F(PanelTest, AClickOfTheInputScriptOnTheHintButtonUsesTheHintOnce) {
    game->skipLogos();
    panel->setVisible(true);
    panel->setFlag(MainPanel::kHintReady, true);
    stopSounds();
    ASSERT_TRUE(game->runInput("+2 click @mp_hint_btn\n+2 click @mp_hint_btn\n+1 move 10 10\n"));
    // The second click finds the hint recharging: the level is asked once.
    EXPECT_EQ(level.hints, 1);
    EXPECT_FALSE(panel->anyFlag(MainPanel::kHintReady));
    EXPECT_TRUE(playing("use_help"));
}

TEST_F(PanelTest, FlagChangesMoveTheButtonsAndPlayTheHintSound) {
    flash::sprite_instance* hint = panel->hintButton();
    flash::sprite_instance* skip = panel->skipButton();
    struct Case {
        const char* what;
        unsigned mask;
        bool on;
        unsigned before;  // the word before the change
        int hintFrame;    // -1: not looked at
        bool help;
        int skipFrame;
        bool skipVisible;
    };
    const Case cases[] = {
        {"hint ready", MainPanel::kHintReady, true, 0, kHintFrames - 1, true, -1, true},
        {"hint ready, silenced", MainPanel::kHintReady, true, MainPanel::kHintSilent, kHintFrames - 1, false, -1, true},
        {"hint used", MainPanel::kHintReady, false, MainPanel::kHintReady, 0, false, -1, true},
        {"hint ready again: no change, no call", MainPanel::kHintReady, true, MainPanel::kHintReady, 7, false, -1,
         true},
        {"skip shown", MainPanel::kSkipShown, true, MainPanel::kSkipReady, -1, false, 0, true},
        {"skip hidden", MainPanel::kSkipShown, false, MainPanel::kSkipShown | MainPanel::kSkipReady, -1, false,
         kSkipReady, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        panel->setFlagCallback(nullptr, nullptr);
        panel->setFlag(~0u, false);
        panel->setFlag(c.before, true);
        panel->setFlagCallback(panel, &MainPanel::onFlagsChanged);
        hint->goto_frame(7);
        skip->goto_frame(5);
        skip->set_visible(false);
        stopSounds();
        panel->setFlag(c.mask, c.on);
        if (c.hintFrame >= 0) {
            EXPECT_EQ(hint->get_current_frame(), c.hintFrame);
        }
        EXPECT_EQ(playing("help"), c.help);
        if (c.skipFrame >= 0) {
            EXPECT_EQ(skip->get_current_frame(), c.skipFrame);
            EXPECT_EQ(skip->get_play_state(), flash::character::PLAY);
            EXPECT_EQ(skip->m_loop_count, 0);
            EXPECT_EQ(skip->get_visible(), c.on);
            EXPECT_FALSE(panel->anyFlag(MainPanel::kSkipReady));
        }
    }
    // reset: 1 and 4 set without the sound, 16 and 64 clear.
    panel->setFlag(~0u, false);
    panel->setFlag(MainPanel::kSkipShown, true);
    stopSounds();
    panel->reset();
    EXPECT_EQ(panel->getFlags(), MainPanel::kListLive | MainPanel::kHintReady);
    EXPECT_FALSE(playing("help"));
    EXPECT_EQ(hint->get_current_frame(), kHintFrames - 1);
    EXPECT_EQ(skip->get_current_frame(), kSkipReady);
}

TEST_F(PanelTest, AUsedHintRechargesFrameByFrameToTheSparkleAndTheSound) {
    panel->reset();
    level.hintAnswer = true;
    MainPanel::buttonCallback(panel->findClip("mp_hint_btn"), 1);
    ASSERT_FALSE(panel->anyFlag(MainPanel::kHintReady));
    stopSounds();
    clearEffects();
    flash::sprite_instance* hint = panel->hintButton();
    // One step per update past d_hintFrameTime (0.1 s): frames 1 .. 19, then ready.
    const float step = 0.11f;
    for (int frame = 1; frame < kHintFrames; ++frame) {
        panel->update(step);
        ASSERT_EQ(hint->get_current_frame(), frame);
        ASSERT_FALSE(panel->anyFlag(MainPanel::kHintReady));
    }
    EXPECT_EQ(effects("lupa_ready_runningsparkle"), 0);
    EXPECT_FALSE(playing("help"));
    panel->update(step);
    EXPECT_TRUE(panel->anyFlag(MainPanel::kHintReady));
    EXPECT_EQ(hint->get_current_frame(), kHintFrames - 1);
    EXPECT_EQ(effects("lupa_ready_runningsparkle"), 1);
    EXPECT_TRUE(playing("help"));
    // Ready stays ready: no second sparkle.
    panel->update(step);
    EXPECT_EQ(effects("lupa_ready_runningsparkle"), 1);
    // Below the step time nothing moves; d_hintFrameUpdate frames per step.
    panel->setFlag(MainPanel::kHintReady, false);
    panel->update(0.05f);
    panel->update(0.04f);
    EXPECT_EQ(hint->get_current_frame(), 0);
    d_hintFrameUpdate->setFromString("3");
    panel->update(0.02f);
    EXPECT_EQ(hint->get_current_frame(), 3);
    d_hintFrameUpdate->setFromString("1");
}

TEST_F(PanelTest, TheSkipButtonBecomesReadyAtItsFadeOutLabel) {
    panel->reset();
    clearEffects();
    flash::sprite_instance* skip = panel->skipButton();
    // Not shown: no readiness.
    for (int i = 0; i < 40; ++i) panel->update(0.031f);
    EXPECT_FALSE(panel->anyFlag(MainPanel::kSkipReady));
    panel->setFlag(MainPanel::kSkipShown, true);
    ASSERT_EQ(skip->get_current_frame(), 0);
    for (int frame = 1; frame < kSkipReady; ++frame) {
        panel->update(0.031f);
        ASSERT_EQ(skip->get_current_frame(), frame);
    }
    EXPECT_FALSE(panel->anyFlag(MainPanel::kSkipReady));
    EXPECT_EQ(logCount("SkipMinigameAvailable"), 0);
    panel->update(0.031f);
    EXPECT_TRUE(panel->anyFlag(MainPanel::kSkipReady));
    EXPECT_EQ(effects("skip_minigame_ready"), 1);
    EXPECT_EQ(logCount("\tMESSAGE\tSkipMinigameAvailable"), 1);
    panel->update(0.031f);
    EXPECT_EQ(effects("skip_minigame_ready"), 1);
    MainPanel::buttonCallback(panel->findClip("mp_skip_btn"), 1);
    EXPECT_EQ(level.skips, 1);
    // Hidden: back to its fade-out, not ready.
    panel->setFlag(MainPanel::kSkipShown, false);
    EXPECT_FALSE(panel->anyFlag(MainPanel::kSkipReady));
    EXPECT_EQ(skip->get_current_frame(), kSkipReady);
    EXPECT_NE(game->log().find("MainPanel::_setSkipBtnVisible 0"), std::string::npos);
}

TEST_F(PanelTest, TheBubbleOpensShowsItsTextAndClosesAfterTheGuardTime) {
    ScriptTimerManager* timers = ScriptTimerManager::instance();
    ASSERT_NE(timers, nullptr);
    flash::sprite_instance* anim = sprite("dialog_anim");
    flash::edit_text_character* text = dialogText();
    ASSERT_NE(anim, nullptr);
    ASSERT_TRUE(runScriptBuffer("hidden_runs = 0", 0, "test") == 0);

    panel->showMsgEx("Hello", 7, "hidden_runs = hidden_runs + 1");
    EXPECT_TRUE(panel->isMsgBoxVisible());
    EXPECT_EQ(anim->get_current_frame(), 0);
    EXPECT_EQ(anim->get_start_frame(), 0);
    EXPECT_EQ(anim->get_end_frame(), 7);
    EXPECT_TRUE(anim->get_visible());
    EXPECT_EQ(anim->m_loop_count, 0);
    EXPECT_FALSE(text->get_visible());
    timers->update(0.15f, false);
    EXPECT_FALSE(text->get_visible());
    timers->update(0.06f, false);
    EXPECT_TRUE(text->get_visible());
    EXPECT_STREQ(text->m_text.c_str(), "Hello");

    // While open a new message is ignored; a click within the guard time keeps it open.
    panel->showMsg("Other", 0);
    platform::advanceVirtualClockMs(200);
    MainPanel::buttonCallback(anim, 1);
    EXPECT_TRUE(panel->isMsgBoxVisible());
    timers->update(0.3f, false);
    EXPECT_STREQ(text->m_text.c_str(), "Hello");

    platform::advanceVirtualClockMs(150);
    MainPanel::buttonCallback(anim, 1);
    EXPECT_FALSE(panel->isMsgBoxVisible());
    EXPECT_EQ(anim->get_current_frame(), 13);
    EXPECT_EQ(anim->get_start_frame(), 13);
    EXPECT_EQ(anim->get_end_frame(), 19);
    EXPECT_FALSE(text->get_visible());
    lua_State* L = currentScriptState();
    lua_getglobal(L, "hidden_runs");
    EXPECT_EQ(lua_tointeger(L, -1), 1);
    lua_pop(L, 1);
    timers->update(0.29f, false);
    EXPECT_TRUE(anim->get_visible());
    timers->update(0.02f, false);
    EXPECT_FALSE(anim->get_visible());

    // Within the guard time after the click nothing opens, but the script is kept: hiding a
    // closed bubble at once still hides the clip and runs it, once.
    anim->set_visible(true);
    panel->showMsgEx("Late", 0, "hidden_runs = hidden_runs + 10");
    EXPECT_FALSE(panel->isMsgBoxVisible());
    panel->hideMsg(false);  // closed: nothing
    EXPECT_TRUE(anim->get_visible());
    panel->hideMsg(true);
    EXPECT_FALSE(anim->get_visible());
    panel->hideMsg(true);
    lua_getglobal(L, "hidden_runs");
    EXPECT_EQ(lua_tointeger(L, -1), 11);
    lua_pop(L, 1);
    panel->playMsgBox(3);
    EXPECT_EQ(anim->get_current_frame(), 22);
    EXPECT_EQ(anim->get_end_frame(), 28);
    EXPECT_TRUE(anim->get_visible());
    EXPECT_EQ(game->log().find("\tERROR\t"), std::string::npos) << game->log();
}

TEST_F(PanelTest, MessagesThatLookLikeScriptShowVerbatim) {
    struct Case {
        std::string text;
        std::string quoted;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"two\nlines", "\"two\\\nlines\""},
        {"]] .. os.exit() .. [[", "\"]] .. os.exit() .. [[\""},
        {"\") os.exit() (\"", "\"\\\") os.exit() (\\\"\""},
        {std::string("nul\0" "1", 5), "\"nul\\0001\""},
    };
    ScriptTimerManager* timers = ScriptTimerManager::instance();
    flash::edit_text_character* text = dialogText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quoted);
        EXPECT_EQ(luaQuoted(c.text), c.quoted);
        if (c.text.find('\0') != std::string::npos) continue;  // a field holds no NUL
        panel->hideMsg(true);
        platform::advanceVirtualClockMs(1000);
        panel->showMsg(c.text, 0);
        timers->update(0.25f, false);
        EXPECT_EQ(std::string(text->m_text.c_str()), c.text);
    }
    EXPECT_EQ(game->log().find("\tERROR\t"), std::string::npos) << game->log();
}

TEST_F(PanelTest, TheScriptClassAndFunctionsFromLua) {
    level.elements = {{"coin_1", 0}, {"coin_2", 0}, {"key", 7}};
    panel->setFlag(MainPanel::kNoInventoryEntries, true);
    panel->reset();
    struct Case {
        const char* script;
        const char* answer;  // the global "answer" as text afterwards
    };
    const Case cases[] = {
        {"answer = tostring(getMainPanel() ~= nil and main_panel() ~= nil)", "true"},
        {"answer = tostring(getMainPanel():isMsgBoxVisible())", "false"},
        {"getMainPanel():setVisible(true); answer = 'shown'", "shown"},
        {"main_panel():addElement('gem_1'); answer = 'added'", "added"},
        {"main_panel():notify('coin_2'); answer = 'notified'", "notified"},
        {"answer = tostring(main_panel():isElementVisible('coin'))", "true"},
        {"main_panel():setSkipBtnVisible(true); answer = 'skip'", "skip"},
        {"main_panel():showMsg('Hi', 2); answer = tostring(main_panel():isMsgBoxVisible())", "true"},
        {"main_panel():hideMsg(true); answer = tostring(main_panel():isMsgBoxVisible())", "false"},
        {"main_panel():setTask('room_objectives', true); answer = 'task'", "task"},
        {"main_panel():_showText('Direct'); answer = 'text'", "text"},
        {"main_panel():playMsgBox(1); hide_main_panel_msg(); answer = 'hidden'", "hidden"},
        {"main_panel():setElementDepth('none', 'TaskText', 3); answer = 'depth'", "depth"},
    };
    lua_State* L = currentScriptState();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        ASSERT_EQ(runScriptBuffer(c.script, 0, "test"), 0);
        lua_getglobal(L, "answer");
        EXPECT_STREQ(lua_tostring(L, -1), c.answer);
        lua_pop(L, 1);
    }
    EXPECT_TRUE(panel->isVisible());
    ASSERT_NE(panel->findEntry("coin"), nullptr);
    EXPECT_EQ(panel->findEntry("coin")->count(), 1);
    EXPECT_NE(panel->findEntry("gem"), nullptr);
    EXPECT_TRUE(panel->anyFlag(MainPanel::kSkipShown));
    EXPECT_EQ(MainPanel::pendingTask(), "room_objectives");
    EXPECT_TRUE(MainPanel::pendingTaskCentred());
    EXPECT_STREQ(dialogText()->m_text.c_str(), "Direct");
    EXPECT_FALSE(sprite("dialog_anim")->get_visible());
}

TEST_F(PanelTest, SetElementDepthMovesTheLevelsClipInTheNamedClipsParent) {
    // The element's clip stands beside "TaskText" in the panel's top clip.
    flash::character* clip = panel->findClip("ObjField", false);
    ASSERT_NE(clip, nullptr);
    level.clips = {{"cup_1", clip}};
    panel->setElementDepth("cup_1", "TaskText", 5000);
    EXPECT_EQ(clip->get_depth(), 5000);
    panel->setElementDepth("cup_1", "DialogText_missing", 6000);
    panel->setElementDepth("book", "TaskText", 6000);
    EXPECT_EQ(clip->get_depth(), 5000);
    control.level = nullptr;
    panel->setElementDepth("cup_1", "TaskText", 6000);
    EXPECT_EQ(clip->get_depth(), 5000);
}

TEST_F(PanelTest, UnrenderedThePanelStillPlaysAndTakesClicks) {
    panel->setVisible(true);
    panel->setFlag(MainPanel::kHintReady, true);
    d_RenderMainPanel->setEnabled(false);
    flash::root* root = panel->getRoot();
    root->notify_mouse_state(430, 678, 0);
    panel->render(0.0f);
    root->notify_mouse_state(430, 678, 1);
    panel->render(0.0f);
    root->notify_mouse_state(430, 678, 0);
    panel->render(0.0f);
    d_RenderMainPanel->setEnabled(true);
    EXPECT_EQ(level.hints, 1);
}

// The demo panel with one instance name spoiled (same length, so the movie stays whole).
void spoilName(const fs::path& movie, const std::string& name) {
    std::ifstream in(movie, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::string spoiled = name;
    spoiled.back() = '#';
    int replaced = 0;
    for (size_t at = bytes.find(name + '\0'); at != std::string::npos; at = bytes.find(name + '\0', at + 1)) {
        bytes.replace(at, name.size(), spoiled);
        ++replaced;
    }
    ASSERT_GT(replaced, 0) << name;
    std::ofstream(movie, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(MainPanelMissingClips, EachMissingClipSwitchesOffOnlyItsOwnFeature) {
    struct Case {
        const char* clip;
        const char* error;  // the ERROR line expected, or empty
        bool avatar, bubble, text, hint, skip, list;
    };
    const Case cases[] = {
        {"heroava", "not found persons in mainpanel", false, true, true, true, true, true},
        {"dialog_anim", "", true, false, true, true, true, true},
        {"DialogText", "", true, true, false, true, true, true},
        {"mp_hint_btn", "", true, true, true, false, true, true},
        {"mp_skip_btn", "", true, true, true, true, false, true},
        {"TextPlace", "", true, true, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        testsupport::TempDir dir(false);
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        spoilName(dir.path() / "data" / "movies" / "mainpanel-inventory.swf", c.clip);
        testsupport::GameFixture game(dir.path(), 100);
        ASSERT_TRUE(game.start());
        MainPanel* panel = MainPanel::instance();
        ASSERT_NE(panel, nullptr);
        paneltest::TestLevel level;
        level.elements = {{"cup_1", 0}, {"cup_2", 0}, {"book", 0}};
        paneltest::TestLevelControl control;
        control.level = &level;
        app::LevelControl* previous = app::levelControl();
        app::setLevelControl(&control);
        platform::advanceVirtualClockMs(10000);
        const std::string log = game.log();
        if (*c.error)
            EXPECT_NE(log.find(std::string("\tERROR\t") + c.error), std::string::npos) << log;
        else
            EXPECT_EQ(log.find("\tERROR\t"), std::string::npos) << log;
        EXPECT_EQ(panel->heroAvatar() != nullptr, c.avatar);

        panel->reset();
        EXPECT_EQ(panel->entries().size(), c.list ? 2u : 0u);
        EXPECT_EQ(panel->textPlaceHeight(), c.list ? 800 : 0);
        // Added by hand, a notice without a field still counts and dies.
        panel->addElement("gem_1");
        panel->addElement("gem_2");
        ASSERT_NE(panel->findEntry("gem"), nullptr);
        EXPECT_EQ(panel->findEntry("gem")->count(), 2);
        EXPECT_EQ(panel->findEntry("gem")->field() != nullptr, c.list);
        EXPECT_EQ(panel->findEntry("gem")->getTextWidth() > 0, c.list);
        panel->releaseEntry("gem_1");
        panel->releaseEntry("gem_2");
        for (int i = 0; i < 60; ++i) panel->update(0.0f);
        EXPECT_EQ(panel->findEntry("gem"), nullptr);

        panel->showMsg("Hello", 0);
        ScriptTimerManager::instance()->update(0.25f, false);
        flash::character* anim = panel->findClip("dialog_anim");
        EXPECT_EQ(anim && anim->get_visible() && anim->get_current_frame() == 0, c.bubble);
        auto* field = flash::cast_to<flash::edit_text_character>(panel->findClip("DialogText"));
        EXPECT_EQ(field && field->get_visible() && std::string(field->m_text.c_str()) == "Hello", c.text);
        panel->hideMsg(true);

        level.hints = 0;
        MainPanel::buttonCallback(panel->findClip("mp_hint_btn"), 1);
        EXPECT_EQ(level.hints, c.hint ? 1 : 0);
        EXPECT_EQ(panel->skipReadyFrame(), c.skip ? 20 : -1);
        panel->setFlag(MainPanel::kSkipShown, true);
        for (int i = 0; i < 30; ++i) panel->update(0.031f);
        EXPECT_TRUE(panel->anyFlag(MainPanel::kSkipReady));
        app::setLevelControl(previous);
        game.shutdown();
    }
}

TEST(MainPanelMissingMovie, EachMissingPieceSwitchesOffOnlyItsFeature) {
    testsupport::TempDir dir(false);
    fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
    fs::remove(dir.path() / "data" / "movies" / "mainpanel-inventory.swf");
    testsupport::GameFixture game(dir.path(), 100);
    ASSERT_TRUE(game.start());
    MainPanel* panel = MainPanel::instance();
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(game.log().find("\tERROR\tmainpanel-inventory.swf not found in MainPanel::init"), std::string::npos);
    EXPECT_EQ(panel->getRoot(), nullptr);
    EXPECT_EQ(panel->skipReadyFrame(), -1);
    // Nothing of it crashes: every operation does what it can.
    paneltest::TestLevel level;
    level.elements = paneltest::roomElements();
    paneltest::TestLevelControl control;
    control.level = &level;
    app::LevelControl* previous = app::levelControl();
    app::setLevelControl(&control);
    panel->reset();
    panel->addElement("cup_1");
    panel->releaseEntry("cup_1");
    panel->showMsg("Hello", 0);
    panel->hideMsg(true);
    panel->setFlag(MainPanel::kSkipShown, true);
    for (int i = 0; i < 60; ++i) panel->update(0.11f);
    panel->showTask("room_objectives", false);
    panel->render(0.1f);
    game.runFrames(3);
    EXPECT_TRUE(panel->anyFlag(MainPanel::kHintReady | MainPanel::kSkipReady));
    app::setLevelControl(previous);
    game.shutdown();
    const auto& trace = game.app().shutdownTrace();
    EXPECT_NE(std::find(trace.begin(), trace.end(), "MainPanel"), trace.end());
    EXPECT_EQ(MainPanel::instance(), nullptr);
}

}  // namespace
