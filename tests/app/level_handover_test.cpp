// The wrong-click rule, the fades that hand the game from a menu to the loading screen and from
// there to a level, and the script functions of both, on the fixed clock. The application runs
// without devices; the loading screen, the level manager and the message box are stand-ins that
// record what they are asked.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/profiles.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "platform/clock.h"
#include "platform/graphics/message_pump.h"
#include "script/script_core.h"
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"

namespace {

struct SavedVar {
    CVar* var;
    std::string text;
    explicit SavedVar(CVar* v) : var(v), text(v->toString()) {}
    ~SavedVar() { var->setFromString(text.c_str()); }
};

struct ShownBox {
    int type;
    std::string text;
};

class RecordingBox : public app::MessageBox {
public:
    void show(int type, const std::string& textId, AnswerCallback) override { shown.push_back({type, textId}); }
    void showWithScript(int type, const std::string& textId, const std::string&) override {
        shown.push_back({type, textId});
    }
    std::vector<ShownBox> shown;
};

// A loading screen whose loader ends when the test says so.
class StandInLoading : public BaseRender, public app::LoadingScreen {
public:
    bool isVisible() const override { return visible; }
    void setVisible(bool on) override {
        visible = on;
        shown = 0.0f;
    }
    void setLevelName(const std::string& name) override { level = name; }
    const std::string& levelName() const override { return level; }
    void addMovie(const std::string& fileName) override { movies.push_back(fileName); }
    bool startLoader() override {
        setVisible(true);
        ++starts;
        return startable;
    }
    bool loaderFinished() const override { return finished; }
    uint32_t loaderExitCode() const override { return code; }
    float shownTime() const override { return shown; }
    void reset() {
        visible = finished = false;
        startable = true;
        code = 0;
        shown = 0.0f;
        starts = 0;
        level.clear();
        movies.clear();
    }

    bool visible = false;
    bool finished = false;
    bool startable = true;
    uint32_t code = 0;
    float shown = 0.0f;
    int starts = 0;
    std::string level;
    std::vector<std::string> movies;
};

class RecordingLevels : public app::LevelControl {
public:
    app::GameLevel* getCurrentLevel(bool) override { return nullptr; }
    void enterLevel(const std::string& name) override { calls.push_back("enter " + name); }
    void onEndCurrentLevel(const std::string& next) override { calls.push_back("end for " + next); }
    std::string levelToLoad(const std::string& requested) override {
        return requested.empty() ? std::string("first") : requested;
    }
    std::vector<std::string> calls;
};

class Handover : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::ScopedEnv home{"XDG_DATA_HOME", (dir.path() / "home").string()};
    SavedVar noLimit{d_NoLimitFPS}, loadingTime{s_LoadingLevelTime}, lastProfile{s_LastProfileName},
        penaltyTimer{d_penaltyTimer}, penaltyCount{d_penaltyClickCount};
    std::string logPath = (dir.path() / "handover.log").string();
    std::unique_ptr<VFS::VFSManager> vfs;
    Application* app = nullptr;
    RecordingBox box;
    StandInLoading loading;
    RecordingLevels levels;

    void SetUp() override {
        Tov::LogStream::setFile(logPath, false);
        platform::useVirtualClock(1);
        vfs = std::make_unique<VFS::VFSManager>();
        app = new Application();
        Tov::LogStream::setFile(logPath, false);
        new Profiles();
        ASSERT_TRUE(Profiles::instance()->createProfile("Anna"));
        app::setMessageBox(&box);
        app::setLevelControl(&levels);
        app::setScreen(app::Screen::Loading, &loading);
        app::setLoadingScreen(&loading);
        // Frames step 100 ms: each fade takes five of them.
        d_NoLimitFPS->setFromString("true");
        for (int i = 0; i < 1000 && app->logoPhase(); ++i) after(100);
    }
    void TearDown() override {
        app::setLoadingScreen(nullptr);
        app::setScreen(app::Screen::Loading, nullptr);
        app::setLevelControl(nullptr);
        app::setMessageBox(nullptr);
        if (currentScriptState()) closeScriptState();
        delete Profiles::instance();
        delete app;
        vfs.reset();
        platform::useSystemClock();
    }
    bool after(unsigned ms) {
        platform::advanceVirtualClockMs(ms);
        return app->frame();
    }
    void frames(int count) {
        for (int i = 0; i < count; ++i) after(100);
    }
    std::string log() const { return testsupport::readFile(logPath); }
    bool fading() const { return app->anyFlag(Application::kFadeIn | Application::kFadeOut); }
};

TEST_F(Handover, WrongClicksCountOnlyWithinThePenaltyTimeOfThePreviousOne) {
    struct Case {
        unsigned gapMs;
        int count;
    };
    // The first click starts the series; a gap of 3000 ms or more starts it again at 0.
    const Case cases[] = {{0, 1}, {2000, 2}, {4000, 0}, {100, 1}, {2999, 2}, {3000, 0}};
    for (const Case& c : cases) {
        platform::advanceVirtualClockMs(c.gapMs);
        app->applyOverclickPenalty();
        EXPECT_EQ(app->wrongClicks(), c.count) << "after " << c.gapMs << " ms";
    }
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(Handover, ThreeQuickWrongClicksExplainOncePerProfileAndNotWhileAPanelIsModal) {
    for (int i = 0; i < 3; ++i) {
        platform::advanceVirtualClockMs(500);
        app->applyOverclickPenalty();
    }
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].type, app::MessageBox::kTypeOk);
    EXPECT_EQ(box.shown[0].text, "ids_overclick");
    EXPECT_EQ(app->wrongClicks(), 0);
    EXPECT_TRUE(Profiles::instance()->anyFlag(Profiles::kWrongMsgShown));
    // Saved with the profile at once.
    EXPECT_NE(testsupport::readFile(Profiles::profilePath("Anna")).find("name=\"IsWrongMsg\" value=\"true\""),
              std::string::npos);

    // Later series go to the cursor: no second box.
    for (int i = 0; i < 3; ++i) app->applyOverclickPenalty();
    EXPECT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(app->wrongClicks(), 0);

    app->applyOverclickPenalty();
    StandInLoading panel;
    app->setActivePanel(&panel);
    app->applyOverclickPenalty();
    app->applyOverclickPenalty();
    EXPECT_EQ(app->wrongClicks(), 1);
    app->setActivePanel(nullptr);
}

TEST_F(Handover, TheLoadingRouteFadesOutLoadsShowsLongEnoughAndFadesOutToTheLevel) {
    app->startLoading("room");
    EXPECT_TRUE(app->anyFlag(Application::kFadeOut));
    EXPECT_EQ(loading.level, "room");
    EXPECT_EQ(loading.movies, std::vector<std::string>{"dialogs.swf"});
    frames(4);
    EXPECT_EQ(loading.starts, 0) << "the loader starts when the fade-out ends";
    frames(2);
    EXPECT_EQ(levels.calls, std::vector<std::string>{"end for room"});
    EXPECT_EQ(loading.starts, 1);
    EXPECT_TRUE(loading.visible);
    EXPECT_TRUE(app->anyFlag(Application::kFadeIn));

    // Loaded, but shown for less than the minimum time: nothing moves.
    frames(6);
    loading.finished = true;
    loading.shown = 1.9f;
    frames(3);
    EXPECT_FALSE(fading());
    EXPECT_EQ(levels.calls.size(), 1u);
    loading.shown = 2.0f;
    frames(1);
    EXPECT_TRUE(app->anyFlag(Application::kFadeOut));
    frames(6);
    EXPECT_FALSE(loading.visible);
    EXPECT_EQ(levels.calls, (std::vector<std::string>{"end for room", "enter room"}));
    EXPECT_EQ(log().find("\tERROR\t"), std::string::npos) << log();
}

TEST_F(Handover, LoaderExitCodesAndTheNameOfANewGame) {
    struct Case {
        const char* requested;
        uint32_t code;
        float minimum;
        const char* entered;
        bool error;
    };
    // A failed loader is logged and the level is still started (its own checks then decide);
    // without a name the level manager names the level; a minimum of 0 waits for nothing.
    const Case cases[] = {
        {"room", 0, 2.0f, "enter room", false},
        {"room", 1, 2.0f, "enter room", true},
        {"", 2, 2.0f, "enter first", true},
        {"intro", 0, 0.0f, "enter intro", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested + std::string(" code ") + std::to_string(c.code));
        Tov::LogStream::setFile(logPath, false);
        levels.calls.clear();
        loading.reset();
        s_LoadingLevelTime->setFromString(std::to_string(c.minimum).c_str());
        app->startLoading(c.requested);
        // The fade-out to the loading screen, then its fade-in.
        frames(12);
        ASSERT_TRUE(loading.visible);
        ASSERT_FALSE(fading());
        loading.finished = true;
        loading.code = c.code;
        // Codes other than 0 do not wait for the minimum time.
        frames(1);
        EXPECT_EQ(app->anyFlag(Application::kFadeOut), c.code != 0 || c.minimum == 0.0f);
        loading.shown = c.minimum;
        frames(8);
        ASSERT_FALSE(levels.calls.empty());
        EXPECT_EQ(levels.calls.back(), c.entered);
        const std::string expected = "Application::onLevelLoad _code = " + std::to_string(c.code);
        EXPECT_EQ(log().find(expected) != std::string::npos, c.error) << log();
    }
}

TEST_F(Handover, WithFadesDisabledTheHandOverGoesOnAtOnceAndScriptFadesDoNothing) {
    ASSERT_TRUE(startScriptState());
    ASSERT_EQ(runScriptBuffer("set_need_fade(false) set_fade_cb_script('faded = true')", 0, "test"), kScriptOk);
    EXPECT_FALSE(app->fadesEnabled());

    app->startLoading("room");
    EXPECT_FALSE(fading());
    EXPECT_EQ(loading.starts, 1);
    EXPECT_EQ(levels.calls, std::vector<std::string>{"end for room"});
    loading.finished = true;
    loading.shown = 2.0f;
    frames(1);
    EXPECT_FALSE(loading.visible);
    ASSERT_FALSE(levels.calls.empty());
    EXPECT_EQ(levels.calls.back(), "enter room");

    // The script's fade-out starts nothing, so its end script waits for fades to come back.
    ASSERT_EQ(runScriptBuffer("start_fade_out()", 0, "test"), kScriptOk);
    frames(10);
    EXPECT_FALSE(fading());
    ASSERT_EQ(runScriptBuffer("assert(faded == nil) set_need_fade(true) start_fade_out()", 0, "test"), kScriptOk);
    EXPECT_TRUE(app->anyFlag(Application::kFadeOut));
    frames(6);
    EXPECT_EQ(runScriptBuffer("assert(faded == true)", 0, "test"), kScriptOk);

    // A loader that cannot start still leads to the level.
    levels.calls.clear();
    loading.reset();
    loading.startable = false;
    app->setFadesEnabled(false);
    app->startLoading("room");
    EXPECT_EQ(levels.calls, (std::vector<std::string>{"end for room", "enter room"}));
    EXPECT_FALSE(loading.visible);
}

TEST_F(Handover, ScriptFunctionsOfTheCounterTheFadesAndActivation) {
    ASSERT_TRUE(startScriptState());
    struct Case {
        const char* script;
        int wrongClicks;
        unsigned flags;  // fade-in, fade-out, fades disabled
    };
    const Case cases[] = {
        {"add_wrong_click()", 1, 0},
        {"add_wrong_click()", 2, 0},
        {"reset_wrong_click()", 0, 0},
        {"ret_wrong_click()", 2, 0},
        {"start_fade_out()", 2, Application::kFadeOut},
        {"start_fade_in()", 2, Application::kFadeIn},
        {"set_need_fade(false)", 2, Application::kFadeIn | Application::kFadesDisabled},
        {"start_fade_out()", 2, Application::kFadeIn | Application::kFadesDisabled},
        {"set_need_fade(true)", 2, Application::kFadeIn},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(runScriptBuffer(c.script, 0, "test"), kScriptOk) << c.script;
        EXPECT_EQ(app->wrongClicks(), c.wrongClicks) << c.script;
        EXPECT_EQ(app->anyFlag(Application::kFadeIn), (c.flags & Application::kFadeIn) != 0) << c.script;
        EXPECT_EQ(app->anyFlag(Application::kFadeOut), (c.flags & Application::kFadeOut) != 0) << c.script;
        EXPECT_EQ(app->fadesEnabled(), (c.flags & Application::kFadesDisabled) == 0) << c.script;
    }
    // The activation script runs on every activation change.
    ASSERT_EQ(runScriptBuffer("activations = 0 set_func_on_activate('activations = activations + 1')", 0, "t"),
              kScriptOk);
    app->wndProc(nullptr, WM_ACTIVATE, WA_ACTIVE, 0);
    app->wndProc(nullptr, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(runScriptBuffer("assert(activations == 2)", 0, "t"), kScriptOk);
}

}  // namespace
