// The dialog panel on the demo chapter's "dialogs.swf": bubbles that wait for a click, the level's
// zoom between the clip's labels, skip and Escape, the end script run once, the dialogs of a
// level's start and completion, the hold on the game (the level and the heads-up panel wait, the
// game timers and particles run on), the failures that run the script at once, the loading
// route's movie and the script functions.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/game_timers.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "input/input_event.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "particles/effect_mgr.h"
#include "screens/dialog_panel.h"
#include "screens/loading.h"
#include "script/script_core.h"
#include "tests/screens/screen_test_support.h"

namespace {

using screentest::ScreenGame;

constexpr const char* kThreeBubbles = "room_start";  // bubbles 1 to 3, "zoom_in" and "zoom_out"
constexpr const char* kOneBubble = "intro_start";
constexpr const char* kCountEnds = "dialog_ends = (dialog_ends or 0) + 1";

// The demo room played by a level that counts its updates and completes when told.
class CountingLevel : public BaseLevel {
public:
    explicit CountingLevel(BaseLevel* parent) : BaseLevel(parent) {}
    void update(float dt) override {
        ++updates;
        BaseLevel::update(dt);
    }
    bool isComplete() override { return complete; }
    int updates = 0;
    bool complete = false;
};

// Stands in for the heads-up panel in its role, counting the frame's updates.
class CountingPanel : public BaseRender {
public:
    void update(float) override { ++updates; }
    int updates = 0;
};

struct Ticks {
    void tick(void*) { ++fired; }
    int fired = 0;
};

class Dialogs : public ::testing::Test {
protected:
    ScreenGame game{screentest::withProfiles({"Player"}, "Player")};
    levels::LevelMaker earlierMaker = nullptr;

    void SetUp() override {
        ASSERT_TRUE(game.start());
        earlierMaker = levels::setLevelMaker("hidden", [](BaseLevel* parent) -> BaseLevel* {
            return new CountingLevel(parent);
        });
        game.app().setActivePanel(nullptr);
        ASSERT_NE(panel(), nullptr);
    }
    void TearDown() override { levels::setLevelMaker("hidden", earlierMaker); }

    static DialogPanel* panel() { return DialogPanel::instance(); }
    static LevelManager* manager() { return LevelManager::instance(); }
    static CountingLevel* level() { return dynamic_cast<CountingLevel*>(manager()->currentLevel()); }
    // The demo room started without its opening dialog (that one is the test's own to start).
    CountingLevel* startRoom(bool withDialog) {
        manager()->setFlag(LevelManager::kSkipStartDialog, !withDialog);
        EXPECT_TRUE(manager()->startLevel("room"));
        return level();
    }
    static float levelScale() {
        CountingLevel* l = level();
        return l && l->getRoot() ? l->getRoot()->get_root_movie()->get_matrix().get_x_scale() : 0.0f;
    }
    static int ends() {
        lua_State* L = currentScriptState();
        lua_getglobal(L, "dialog_ends");
        const int value = lua_isnumber(L, -1) ? static_cast<int>(lua_tonumber(L, -1)) : 0;
        lua_pop(L, 1);
        return value;
    }
    static void resetEnds() { runScriptBuffer("dialog_ends = 0", 0, "test"); }
    static std::string panelText() {
        auto* field = flash::cast_to<flash::edit_text_character>(screentest::find(panel(), "TextPanel"));
        return field ? field->m_text.c_str() : "<no field>";
    }
    static int labelFrame(const std::string& label) { return panel()->clip()->getLabeledFrame(label.c_str()); }
    // Frames until the bubble waits for its click (at most 60); false when it never does.
    bool untilWaiting() {
        for (int i = 0; i < 60; ++i) {
            if (panel()->anyFlag(DialogPanel::kWaiting)) return true;
            game.frames(1);
        }
        return false;
    }
    bool untilOver(int most = 60) {
        for (int i = 0; i < most && panel()->holdsGame(); ++i) game.frames(1);
        return !panel()->holdsGame();
    }
    bool clickWorkArea() { return screentest::click(panel(), "WorkArea"); }
    bool clickSkip() { return screentest::click(panel(), "skip_btn"); }
};

TEST_F(Dialogs, ThreeBubblesWaitAfterEachZoomTheLevelInAndOutAndEndWithTheScript) {
    struct Case {
        const char* what;
        bool byLevelStart;
    };
    for (const Case& c : {Case{"started natively", false}, Case{"started by the level's start", true}}) {
        SCOPED_TRACE(c.what);
        resetEnds();
        const size_t startsBefore = game.logLines("MESSAGE", std::string("Starting dialog: ") + kThreeBubbles).size();
        CountingLevel* room = startRoom(c.byLevelStart);
        ASSERT_NE(room, nullptr);
        if (c.byLevelStart) {
            EXPECT_EQ(game.logLines("MESSAGE", std::string("Starting dialog: ") + kThreeBubbles).size(),
                      startsBefore + 1);
            // The level manager's start has no end script; the count comes from the test's own.
            runScriptBuffer("dialog_ends = 0", 0, "test");
        } else {
            EXPECT_TRUE(panel()->startDialog(kThreeBubbles, true, kCountEnds));
        }
        ASSERT_TRUE(panel()->holdsGame());
        EXPECT_EQ(game.app().modalPanel(), panel());
        EXPECT_TRUE(panel()->isVisible());
        EXPECT_EQ(panel()->zoomInFrame(), labelFrame("zoom_in"));
        EXPECT_EQ(panel()->zoomOutFrame(), labelFrame("zoom_out"));
        ASSERT_GE(panel()->zoomInFrame(), 0);
        std::vector<float> scales;
        for (int bubble = 1; bubble <= 3; ++bubble) {
            SCOPED_TRACE(bubble);
            const std::string id = "ids_dialog_" + std::string(kThreeBubbles) + "_" + std::to_string(bubble);
            ASSERT_TRUE(untilWaiting());
            const int target = labelFrame(id);
            EXPECT_EQ(panel()->targetFrame(), target);
            // It stands at its bubble's label and waits, the text showing the bubble's id.
            for (int i = 0; i < 4; ++i) {
                game.frames(1);
                scales.push_back(levelScale());
            }
            EXPECT_EQ(panel()->clip()->get_current_frame(), target);
            EXPECT_EQ(panel()->clip()->get_play_state(), flash::character::STOP);
            EXPECT_TRUE(panel()->anyFlag(DialogPanel::kWaiting));
            EXPECT_EQ(panelText(), id);
            ASSERT_TRUE(clickWorkArea());
            EXPECT_FALSE(panel()->anyFlag(DialogPanel::kWaiting));
            EXPECT_EQ(panelText(), "");
        }
        // After the third click the clip plays to its last frame and the dialog ends there.
        const int lastFrame = panel()->clip()->get_frame_count() - 1;
        EXPECT_EQ(panel()->targetFrame(), lastFrame);
        flash::sprite_instance* clip = panel()->clip();
        for (int i = 0; i < 30 && panel()->holdsGame(); ++i) {
            game.frames(1);
            scales.push_back(levelScale());
        }
        EXPECT_FALSE(panel()->holdsGame());
        EXPECT_EQ(clip->get_current_frame(), lastFrame);
        EXPECT_EQ(ends(), c.byLevelStart ? 0 : 1);
        EXPECT_FALSE(panel()->isVisible());
        EXPECT_EQ(game.app().modalPanel(), nullptr);
        EXPECT_EQ(panel()->getFlags(), DialogPanel::kLoaded);
        // Zoomed in by 0.002 an update up to the first step past d_DialogsLevelZoom (1.07), out
        // from the "zoom_out" label, and back at the level's own size at the end.
        const float peak = *std::max_element(scales.begin(), scales.end());
        EXPECT_NEAR(peak, 1.072f, 1e-4f);
        const auto rising = std::adjacent_find(scales.begin(), scales.end(),
                                               [](float a, float b) { return a > 1.0f && b > a; });
        ASSERT_NE(rising, scales.end());
        EXPECT_NEAR(*(rising + 1) - *rising, 0.002f, 1e-5f) << "one step an update";
        const auto top = std::find(scales.begin(), scales.end(), peak);
        EXPECT_TRUE(std::any_of(top, scales.end(), [&](float s) { return s < peak - 0.001f && s > 1.0f; }))
            << "no step of the zoom out";
        EXPECT_EQ(levelScale(), 1.0f);
        EXPECT_EQ(panel()->zoom(), 1.0f);
        manager()->clear();
    }
}

TEST_F(Dialogs, SkipAndEscapeEndTheDialogWhereItStandsWithTheScriptOnceAndTheZoomBack) {
    struct Case {
        const char* what;
        bool waiting;  // during the wait after bubble 1, else while bubble 1 plays
        bool escape;   // else the skip button
        bool looping;  // the clip is made to loop short of its target: it never stops by itself
    };
    const Case cases[] = {
        {"skip while a bubble plays", false, false, false},
        {"skip while a bubble waits", true, false, false},
        {"Escape while a bubble plays", false, true, false},
        {"Escape while a bubble waits", true, true, false},
        {"skip on a clip that never stops", false, false, true},
        {"Escape on a clip that never stops", false, true, true},
    };
    CountingLevel* room = startRoom(false);
    ASSERT_NE(room, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetEnds();
        ASSERT_TRUE(panel()->startDialog(kThreeBubbles, true, kCountEnds));
        flash::sprite_instance* clip = panel()->clip();
        if (c.looping) {
            clip->set_loop(-1, true, -1.0f);
            clip->setFramesForPlay(0, 3);
            game.frames(12);
            EXPECT_TRUE(panel()->holdsGame()) << "a looping clip holds the game until skipped";
        } else if (c.waiting) {
            ASSERT_TRUE(untilWaiting());
        } else {
            game.frames(3);
            ASSERT_FALSE(panel()->anyFlag(DialogPanel::kWaiting));
        }
        EXPECT_GT(levelScale(), 1.0f) << "zooming in";
        if (c.escape) {
            KeyEvent other = screentest::keyEvent(KEY_CLICKED, 57, u' ');
            EXPECT_TRUE(panel()->onInput(&other)) << "every key is used";
            EXPECT_FALSE(panel()->anyFlag(DialogPanel::kEnding));
            KeyEvent escape = screentest::keyEvent(KEY_CLICKED, 1, 0);
            EXPECT_TRUE(panel()->onInput(&escape));
        } else {
            ASSERT_TRUE(clickSkip());
        }
        const int stoodAt = clip->get_current_frame();
        EXPECT_EQ(levelScale(), 1.0f);
        game.frames(1);
        EXPECT_FALSE(panel()->holdsGame()) << "over at the next update";
        EXPECT_EQ(clip->get_current_frame(), stoodAt);
        EXPECT_EQ(ends(), 1);
        EXPECT_EQ(levelScale(), 1.0f);
        game.frames(5);
        EXPECT_EQ(ends(), 1);
        EXPECT_EQ(levelScale(), 1.0f);
    }
    // Skip and Escape with no dialog running start nothing.
    ASSERT_TRUE(clickSkip());
    KeyEvent escape = screentest::keyEvent(KEY_CLICKED, 1, 0);
    EXPECT_TRUE(panel()->onInput(&escape));
    EXPECT_FALSE(panel()->holdsGame());
}

TEST_F(Dialogs, AClickOnTheWorkAreaWhileABubblePlaysChangesNothing) {
    panel()->init();
    resetEnds();
    ASSERT_TRUE(panel()->startDialog(kOneBubble, false, kCountEnds));
    EXPECT_FALSE(panel()->anyFlag(DialogPanel::kStartFlag));
    game.frames(2);
    ASSERT_FALSE(panel()->anyFlag(DialogPanel::kWaiting));
    const int target = panel()->targetFrame();
    ASSERT_TRUE(clickWorkArea());
    EXPECT_EQ(panel()->targetFrame(), target);
    EXPECT_EQ(panel()->bubbleCounter(), 2);
    // One bubble: its click plays the clip to its end, which ends the dialog.
    ASSERT_TRUE(untilWaiting());
    ASSERT_TRUE(clickWorkArea());
    EXPECT_EQ(panel()->bubbleCounter(), 0);
    EXPECT_TRUE(untilOver());
    EXPECT_EQ(ends(), 1);
}

TEST_F(Dialogs, ADialogThatCannotPlayRunsItsScriptAtOnce) {
    struct Case {
        const char* what;
        const char* name;
        bool disabled;
        const char* error;  // the ERROR line, or none
    };
    const Case cases[] = {
        {"dialogs switched off", kThreeBubbles, true, nullptr},
        {"a name the movie has no frame for", "no_such_dialog", false, "Not found frameno_such_dialog in dialogs.swf"},
    };
    panel()->init();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetEnds();
        d_DisableDialogs->setFromString(c.disabled ? "true" : "false");
        EXPECT_FALSE(panel()->startDialog(c.name, true, kCountEnds));
        EXPECT_EQ(ends(), 1) << "at once";
        EXPECT_FALSE(panel()->holdsGame());
        EXPECT_FALSE(panel()->isVisible());
        EXPECT_EQ(game.app().modalPanel(), nullptr);
        if (c.error) {
            EXPECT_EQ(game.logLines("ERROR", c.error).size(), 1u);
        }
        game.frames(3);
        EXPECT_EQ(ends(), 1);
    }
    d_DisableDialogs->setFromString("false");
    // The level manager's dialogs are switched off the same way: the level runs at once.
    d_DisableDialogs->setFromString("true");
    CountingLevel* room = startRoom(true);
    ASSERT_NE(room, nullptr);
    EXPECT_FALSE(panel()->holdsGame());
    game.frames(2);
    EXPECT_GT(room->updates, 0);
    d_DisableDialogs->setFromString("false");
}

TEST(DialogMovie, AMissingMovieOrClipRunsTheScriptAtOnce) {
    struct Case {
        const char* what;
        screentest::GameOptions options;
        const char* errors[2];
    };
    screentest::GameOptions noMovie = screentest::withProfiles({"Player"}, "Player");
    noMovie.removed = {screentest::moviePath(DialogPanel::kMovie)};
    screentest::GameOptions noClip = screentest::withProfiles({"Player"}, "Player");
    noClip.files[screentest::moviePath(DialogPanel::kMovie)] = screentest::movieWithout(DialogPanel::kMovie, {kOneBubble});
    const Case cases[] = {
        {"no dialogs.swf", noMovie, {"dialogs.swf not found in DialogPanel::init", "Not found frameintro_start in dialogs.swf"}},
        {"no clip on the dialog's frame", noClip, {"Not found movie clipintro_start in dialogs.swf", nullptr}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScreenGame game(c.options);
        ASSERT_TRUE(game.start());
        DialogPanel* panel = DialogPanel::instance();
        ASSERT_NE(panel, nullptr);
        panel->init();
        EXPECT_TRUE(panel->isLoaded()) << "it does not try again";
        runScriptBuffer("dialog_ends = 0", 0, "test");
        EXPECT_FALSE(panel->startDialog(kOneBubble, true, kCountEnds));
        lua_State* L = currentScriptState();
        lua_getglobal(L, "dialog_ends");
        EXPECT_EQ(lua_tonumber(L, -1), 1.0);
        lua_pop(L, 1);
        EXPECT_FALSE(panel->holdsGame());
        for (const char* error : c.errors)
            if (error) {
                EXPECT_EQ(game.logLines("ERROR", error).size(), 1u) << error;
            }
    }
}

TEST_F(Dialogs, TheDialogHoldsTheLevelAndThePanelWhileTheGameTimersAndParticlesRunOn) {
    CountingLevel* room = startRoom(true);
    ASSERT_NE(room, nullptr);
    ASSERT_TRUE(panel()->holdsGame());
    CountingPanel countingPanel;
    BaseRender* mainPanel = app::screen(app::Screen::MainPanel);
    app::setScreen(app::Screen::MainPanel, &countingPanel);
    static Ticks ticks;
    GameTimer<Ticks>* timer = GameTimerManager::instance()->start(&ticks, &Ticks::tick, nullptr, 100.0f,
                                                                  GameTimer<Ticks>::kRunning);
    particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance();
    ASSERT_NE(effects->startEffect(512, 384, "room_fire", true, true), nullptr);
    const int levelUpdates = room->updates;
    const float timeLeft = timer->timeLeft();
    game.frames(10);
    EXPECT_TRUE(panel()->holdsGame());
    EXPECT_EQ(room->updates, levelUpdates);
    EXPECT_EQ(countingPanel.updates, 0);
    EXPECT_LT(timer->timeLeft(), timeLeft) << "the game timers run on";
    EXPECT_GT(effects->getParticleCount(), 0u) << "the particles run on";
    // Skipped: the level and the panel go on at the next frame.
    ASSERT_TRUE(clickSkip());
    game.frames(2);
    EXPECT_FALSE(panel()->holdsGame());
    EXPECT_GT(room->updates, levelUpdates);
    EXPECT_GT(countingPanel.updates, 0);
    app::setScreen(app::Screen::MainPanel, mainPanel);
    GameTimerManager::instance()->clear();
}

TEST_F(Dialogs, ALevelsCompletionPlaysItsClosingDialogBeforeTheNextLevel) {
    CountingLevel* room = startRoom(false);
    ASSERT_NE(room, nullptr);
    game.frames(2);
    room->complete = true;
    game.frames(1);
    EXPECT_EQ(game.logLines("MESSAGE", "Starting dialog: room_finish").size(), 1u);
    ASSERT_TRUE(panel()->holdsGame());
    game.frames(20);
    EXPECT_FALSE(game.app().anyFlag(Application::kFadeOut)) << "the next level waits for the dialog";
    EXPECT_EQ(manager()->getCurrentLevelName(), "room");
    ASSERT_TRUE(untilWaiting());
    ASSERT_TRUE(clickWorkArea());
    ASSERT_TRUE(untilOver());
    // The frame after the dialog moves on (the next level is behind the loading screen).
    game.frames(2);
    EXPECT_EQ(game.logLines("MESSAGE", "Starting dialog: room_finish").size(), 1u);
    EXPECT_TRUE(game.app().anyFlag(Application::kFadeOut));
}

TEST_F(Dialogs, TheLoadingRouteReadsTheDialogsMovieOnlyUntilThePanelHasIt) {
    Loading* loading = Loading::instance();
    ASSERT_NE(loading, nullptr);
    ASSERT_FALSE(panel()->isLoaded());
    const auto queued = [&] {
        const std::vector<std::string> movies = loading->extraMovies();
        return std::count(movies.begin(), movies.end(), std::string(DialogPanel::kMovie));
    };
    game.app().startLoading("room");
    EXPECT_EQ(queued(), 1);
    // The route runs to the level's start, which loads the panel's movie.
    for (int i = 0; i < 200 && manager()->getCurrentLevelName() != "room"; ++i) game.frames(1);
    ASSERT_EQ(manager()->getCurrentLevelName(), "room");
    EXPECT_TRUE(panel()->isLoaded());
    EXPECT_EQ(queued(), 0);
    ASSERT_TRUE(untilWaiting()) << "the opening dialog plays";
    ASSERT_TRUE(clickSkip());
    ASSERT_TRUE(untilOver());
    game.app().startLoading("letters");
    EXPECT_EQ(queued(), 0);
    game.app().setFadeCallback(nullptr);
}

TEST_F(Dialogs, TheScriptFunctionsStartTheDialogWithItsFlagAndScript) {
    panel()->init();
    struct Case {
        const char* what;
        const char* call;
        bool flag;
        int ends;
    };
    const Case cases[] = {
        {"start_dialog: no end script", "start_dialog(\"intro_start\", true)", true, 0},
        {"start_dialog_ex: its end script", "start_dialog_ex(\"intro_start\", false, \"dialog_ends = 7\")", false, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetEnds();
        ASSERT_EQ(runScriptBuffer(c.call, 0, "test"), 0);
        ASSERT_TRUE(panel()->holdsGame());
        game.frames(1);  // the skip button is wired at the dialog's first update
        EXPECT_EQ(panel()->dialogName(), "intro_start");
        EXPECT_EQ(panel()->anyFlag(DialogPanel::kStartFlag), c.flag);
        ASSERT_TRUE(clickSkip());
        ASSERT_TRUE(untilOver());
        EXPECT_EQ(ends(), c.ends);
    }
    // An end script may start the next dialog: it plays.
    ASSERT_EQ(runScriptBuffer("start_dialog_ex(\"intro_start\", true, \"start_dialog('room_start', true)\")", 0, "test"), 0);
    ASSERT_TRUE(clickSkip());
    game.frames(1);
    EXPECT_TRUE(panel()->holdsGame());
    EXPECT_EQ(panel()->dialogName(), "room_start");
    // No level is running: the zoom steps and the end scale nothing.
    ASSERT_EQ(app::currentLevel(), nullptr);
    game.frames(4);
    EXPECT_GT(panel()->zoom(), 1.0f);
    ASSERT_TRUE(clickSkip());
    EXPECT_TRUE(untilOver());
    EXPECT_EQ(panel()->zoom(), 1.0f);
}

}  // namespace
