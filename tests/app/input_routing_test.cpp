// Mouse and key routing in the running game (test process): test screens that record what they
// are offered, a test level behind a test level manager, the DirectInput mouse placed in desktop
// pixels; the window's events pushed through SDL as the system sends them.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "app/input_script_runner.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "core/cvar_catalogue.h"
#include "graphics/d3d_application.h"
#include "input/direct_input.h"
#include "platform/graphics/message_pump.h"
#include "platform/graphics/window.h"
#include "script/script_core.h"
#include "tests/app/game_data.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/movie_builder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_calls;

std::string at(int x, int y, int buttons) {
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(buttons);
}

// A screen without a movie: it records what it is offered; one may lock the input on a press.
class TestScreen : public BaseRender {
public:
    explicit TestScreen(std::string name, bool locksOnPress = false, bool takesKeys = false)
        : m_name(std::move(name)), m_locks(locksOnPress), m_takesKeys(takesKeys) {}
    bool onMouse(int x, int y, int buttons) override {
        g_calls.push_back(m_name + " " + at(x, y, buttons));
        if (m_locks && buttons) Application::instance()->setInputLocked(true);
        return true;
    }
    bool onInput(KeyEvent* event) override {
        g_calls.push_back(m_name + " key " + std::to_string(event->type));
        return m_takesKeys;
    }
    bool isVisible() const override { return m_visible; }
    void setVisible(bool visible) override { m_visible = visible; }
    void render(float) override {}

private:
    std::string m_name;
    bool m_locks, m_takesKeys;
    bool m_visible = true;
};

class TestLevel : public app::GameLevel {
public:
    void onEvent(flash::character*, int code) override { g_calls.push_back("level event " + std::to_string(code)); }
    bool onInputEvent(InputEvent* event) override {
        g_calls.push_back("level input " + std::to_string(event->type));
        return true;
    }
    bool onKey(KeyEvent* event) override {
        g_calls.push_back("level key " + std::to_string(event->scanCode));
        return takesKeys;
    }
    bool hint() override { return ++hints, true; }
    bool skip() override { return false; }
    void scale(float) override {}
    bool isMovieReady() const override { return ready; }
    bool onMouse(int x, int y, int buttons) override {
        g_calls.push_back("level " + at(x, y, buttons));
        return true;
    }
    bool isVisible() const override { return false; }
    bool takesKeys = false;
    bool ready = true;
    int hints = 0;
};

class TestLevels : public app::LevelControl {
public:
    explicit TestLevels(app::GameLevel* level) : m_level(level) { app::setLevelControl(this); }
    ~TestLevels() override { app::setLevelControl(nullptr); }
    app::GameLevel* getCurrentLevel(bool) override { return m_level; }
    void debugCompleteLevel() override { ++completions; }
    int completions = 0;

private:
    app::GameLevel* m_level;
};

// A cursor movie of the given stage size with one picture.
void writeCursorMovie(const fs::path& dir, int width, int height) {
    demo::Movie movie;
    movie.file = "cursor.swf";
    movie.width = width;
    movie.height = height;
    demo::Clip picture;
    picture.name = "default_cursor";
    picture.w = picture.h = 16;
    movie.clips = {picture};
    const swf::Bytes bytes = demo::buildMovie(movie);
    testsupport::writeFile(dir / "data" / "movies" / "cursor.swf", std::string(bytes.begin(), bytes.end()));
}

class Routing : public ::testing::Test {
protected:
    // A windowed game (or full screen) whose cursor movie has the given stage.
    void startGame(bool fullScreen, int cursorWidth = 1024, int cursorHeight = 768) {
        apptest::writeGameData(dir.path());
        writeCursorMovie(dir.path(), cursorWidth, cursorHeight);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        s_fullScreenMode->setEnabled(fullScreen);
        ASSERT_TRUE(game->start());
        cursor = MouseCursor::instance();
        ASSERT_NE(cursor, nullptr);
        // The game's own screens make way for the test's, the cursor stays last.
        kept = game->app().renderList();
        game->app().renderList() = {&a, &b, &c, cursor};
        // Nor does a screen the start showed hold the input (the first start asks for a name).
        game->app().setActivePanel(nullptr);
        game->app().setActivePanel(nullptr);
        levels = std::make_unique<TestLevels>(&level);
        g_calls.clear();
    }
    void TearDown() override {
        levels.reset();
        if (game) {
            game->app().setActivePanel(nullptr);
            game->app().setActivePanel(nullptr);
            game->app().renderList() = kept;
        }
        app::setScreen(app::Screen::Console, nullptr);
        app::setScreen(app::Screen::MainPanel, nullptr);
        d_DebugMode->setEnabled(false);
        d_DebugModeEnabled->setEnabled(false);
    }

    // The DirectInput mouse at a desktop point, then one event of that kind (or none).
    void mouse(float desktopX, float desktopY, int type = 0, int button = 0) {
        CDirectInput8::instance()->setMousePosition(Vector3(desktopX, desktopY, 0), false);
        if (type == 0) return game->app().routeMouse(nullptr);
        MouseEvent event;
        event.type = type;
        event.button = button;
        event.position = Vector3(desktopX, desktopY, 0);
        game->app().onMouseEvent(&event);
    }
    // A game point in a window without chrome, at scale 1.
    void click(int type, int button = 0, int x = 300, int y = 200) {
        const Vector3 origin = game->app().getClientOrigin();
        mouse(origin.x + static_cast<float>(x), origin.y + static_cast<float>(y), type, button);
    }
    void key(int type, int scanCode, int modifiers = 0) {
        KeyEvent event;
        event.type = type;
        event.scanCode = scanCode;
        event.modifiers = modifiers;
        game->app().onKeyEvent(&event);
    }
    HWND window() const { return CMyD3DApplication::instance()->getWindow(); }

    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    MouseCursor* cursor = nullptr;
    std::vector<BaseRender*> kept;
    TestScreen a{"a"}, b{"b", true}, c{"c"};
    TestLevel level;
    std::unique_ptr<TestLevels> levels;
};

TEST_F(Routing, TheModalPanelAloneOrTheListInOrderUntilLockedThenTheLevelWithTheEvent) {
    startGame(false);
    TestScreen modal("modal");
    struct Case {
        const char* what;
        BaseRender* modal;
        int type;
        std::vector<std::string> calls;
    } cases[] = {
        {"a release goes everywhere", nullptr, MOUSE_RELEASED,
         {"a 300,200,0", "b 300,200,0", "c 300,200,0", "level 300,200,0", "level input 502"}},
        // b locks on a press: c and the level see nothing of it.
        {"a press stops at the lock", nullptr, MOUSE_PRESSED, {"a 300,200,1", "b 300,200,1"}},
        {"the release after it unlocks", nullptr, MOUSE_RELEASED,
         {"a 300,200,0", "b 300,200,0", "c 300,200,0", "level 300,200,0", "level input 502"}},
        {"a modal panel alone", &modal, MOUSE_PRESSED, {"modal 300,200,1"}},
        {"a modal panel alone, released", &modal, MOUSE_RELEASED, {"modal 300,200,0"}},
    };
    for (const Case& c : cases) {
        if (c.modal) game->app().setActivePanel(c.modal);
        g_calls.clear();
        click(c.type);
        EXPECT_EQ(g_calls, c.calls) << c.what;
        if (c.modal) game->app().setActivePanel(nullptr);
    }
    // The swallowed press left the lock until its release; a release always clears it.
    game->app().setInputLocked(true);
    click(MOUSE_RELEASED);
    EXPECT_FALSE(game->app().inputLocked());
    // The cursor follows the routed position.
    EXPECT_EQ(cursor->x(), 300);
    EXPECT_EQ(cursor->y(), 200);
}

TEST_F(Routing, ButtonsPressedAndReleasedInAnyOrderNeverGoNegative) {
    startGame(false);
    struct Step {
        int type, button, held;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{MOUSE_PRESSED, 0, 1}, {MOUSE_PRESSED, 1, 3}, {MOUSE_RELEASED, 0, 2}, {MOUSE_RELEASED, 1, 0}},
        {{MOUSE_PRESSED, 0, 1}, {MOUSE_PRESSED, 1, 3}, {MOUSE_RELEASED, 1, 1}, {MOUSE_RELEASED, 0, 0}},
        {{MOUSE_RELEASED, 1, 0}, {MOUSE_PRESSED, 2, 3}, {MOUSE_RELEASED, 0, 2}, {MOUSE_RELEASED, 2, 0}},
        {{MOUSE_PRESSED, 1, 2}, {MOUSE_RELEASED, 1, 0}, {MOUSE_RELEASED, 1, 0}},
    };
    for (size_t s = 0; s < sequences.size(); ++s) {
        for (const Step& step : sequences[s]) {
            click(step.type, step.button);
            EXPECT_EQ(game->app().mouseButtons(), step.held) << "sequence " << s;
        }
    }
}

TEST_F(Routing, ABlockedCursorRoutesNothingAndAnEventlessUpdateGivesTheLevelNoEvent) {
    startGame(false);
    cursor->setBlocked(true);
    click(MOUSE_PRESSED);
    EXPECT_TRUE(g_calls.empty());
    cursor->setBlocked(false);
    click(0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a 300,200,1", "b 300,200,1"}));
    // A bad event is logged and ignored.
    game->app().onMouseEvent(nullptr);
    game->app().onKeyEvent(nullptr);
    EXPECT_NE(game->log().find("ERROR\tApplication::onMouseEvent: no event"), std::string::npos);
    EXPECT_NE(game->log().find("ERROR\tApplication::onKeyEvent: no event"), std::string::npos);
}

TEST_F(Routing, WindowPixelsBecomeGamePixelsThroughTheCursorsScales) {
    // A cursor movie half the window's size: window pixels count half.
    startGame(false, 512, 384);
    ASSERT_FLOAT_EQ(cursor->scaleX(), 0.5f);
    // The window moved on the desktop: its new corner is read when the move ends.
    SetWindowPos(window(), nullptr, 40, 30, 0, 0, 0);
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window(), platform::gfx::WindowEvent::Moved));
    game->turn();
    const Vector3 origin = game->app().getClientOrigin();
    EXPECT_EQ(origin.x, 40.0f);
    EXPECT_EQ(origin.y, 30.0f);
    struct Case {
        float desktopX, desktopY;
        int gameX, gameY;
    } cases[] = {{40, 30, 0, 0}, {440, 230, 200, 100}, {41, 31, 0, 0}, {1063, 797, 511, 383}};
    for (const Case& c : cases) {
        g_calls.clear();
        mouse(c.desktopX, c.desktopY);
        ASSERT_FALSE(g_calls.empty());
        EXPECT_EQ(g_calls.front(), "a " + at(c.gameX, c.gameY, 0)) << c.desktopX << "," << c.desktopY;
    }
}

TEST_F(Routing, InFullScreenTheLetterboxIsUndone) {
    startGame(true);
    ASSERT_FALSE(CMyD3DApplication::instance()->isWindowed());
    EXPECT_EQ(game->app().getClientOrigin().x, 0.0f);
    // A desktop of 1280x720 without a 1024x768 mode: the picture is 960x720 from x 160.
    ASSERT_TRUE(platform::gfx::simulateLetterbox(window(), 1280, 720));
    struct Case {
        float desktopX, desktopY;
        int gameX, gameY;
    } cases[] = {{160, 0, 0, 0}, {640, 360, 512, 384}, {1120, 360, 1024, 384}, {400, 720, 256, 768}};
    for (const Case& c : cases) {
        g_calls.clear();
        mouse(c.desktopX, c.desktopY);
        ASSERT_FALSE(g_calls.empty());
        EXPECT_EQ(g_calls.front(), "a " + at(c.gameX, c.gameY, 0)) << c.desktopX << "," << c.desktopY;
    }
}

TEST_F(Routing, ClipEventsReachAReadyLevelUnlessInputIsLocked) {
    startGame(false);
    Application::swfEventCallback(nullptr, 1);
    level.ready = false;
    game->app().onSwfEvent(nullptr, 8);
    level.ready = true;
    game->app().setInputLocked(true);
    game->app().onSwfEvent(nullptr, 1);
    game->app().setInputLocked(false);
    EXPECT_EQ(g_calls, std::vector<std::string>{"level event 1"});
}

TEST_F(Routing, TheKeyChainModalConsoleOtherModalPanelLevelThenTheApplication) {
    startGame(false);
    TestScreen console("console", false, true), panel("panel", false, true);
    app::setScreen(app::Screen::Console, &console);
    d_DebugMode->setEnabled(true);
    const std::string speed = d_UpdateSpeed->toString();
    struct Case {
        const char* what;
        BaseRender* modal;
        bool levelTakes;
        int type;
        std::vector<std::string> calls;
        bool speedChanged;  // F reached the debug keys
    } cases[] = {
        {"the console skips a press", &console, false, KEY_PRESSED, {"level key 33"}, false},
        {"the console takes a click", &console, false, KEY_CLICKED, {"console key 2500"}, false},
        {"another panel takes a press", &panel, false, KEY_PRESSED, {"panel key 2501"}, false},
        {"the level takes it first", nullptr, true, KEY_CLICKED, {"level key 33"}, false},
        {"then the application", nullptr, false, KEY_CLICKED, {"level key 33"}, true},
    };
    for (const Case& c : cases) {
        if (c.modal) game->app().setActivePanel(c.modal);
        level.takesKeys = c.levelTakes;
        d_UpdateSpeed->setFromString(speed.c_str());
        g_calls.clear();
        key(c.type, 33);
        EXPECT_EQ(g_calls, c.calls) << c.what;
        EXPECT_EQ(d_UpdateSpeed->toString() != speed, c.speedChanged) << c.what;
        if (c.modal) game->app().setActivePanel(nullptr);
    }
    level.takesKeys = false;
}

TEST_F(Routing, AltEnterSwitchesOnOnePressAndTwoPressesBeforeAFrameCancelOut) {
    startGame(false);
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    ASSERT_TRUE(frame->isWindowed());
    game->skipLogos();
    key(KEY_CLICKED, 28, MODIFIER_ALT);
    key(KEY_CLICKED, 28, MODIFIER_ALT);
    EXPECT_FALSE(game->app().resetRequested());
    EXPECT_FALSE(s_fullScreenMode->value.b);
    game->runFrames(1);
    EXPECT_TRUE(frame->isWindowed());
    EXPECT_FALSE(s_fullScreenMode->value.b);

    key(KEY_CLICKED, 28);  // no alt: nothing
    EXPECT_FALSE(s_fullScreenMode->value.b);
    key(KEY_CLICKED, 28, MODIFIER_ALT);
    EXPECT_TRUE(s_fullScreenMode->value.b);
    EXPECT_TRUE(game->app().resetRequested());
    game->runFrames(1);
    EXPECT_FALSE(game->app().resetRequested());
    EXPECT_FALSE(frame->isWindowed());
    EXPECT_TRUE(s_fullScreenMode->value.b);  // the real mode, written back by the draw
    key(KEY_CLICKED, 28, MODIFIER_ALT);
    game->runFrames(1);
    EXPECT_TRUE(frame->isWindowed());
    EXPECT_FALSE(s_fullScreenMode->value.b);
}

TEST_F(Routing, DebugKeysOnlyInDebugModeWhichOnlyItsSwitchTurnsOn) {
    startGame(false);
    TestScreen panel("panel");
    app::setScreen(app::Screen::MainPanel, &panel);
    IDirect3DDevice9* device = CMyD3DApplication::instance()->getDevice();
    auto fillMode = [&] {
        DWORD mode = 0;
        device->GetRenderState(D3DRS_FILLMODE, &mode);
        return mode;
    };
    constexpr int kAll = MODIFIER_ALT | MODIFIER_CONTROL | MODIFIER_SHIFT;
    // Without debug mode: nothing.
    key(KEY_CLICKED, 33);
    key(KEY_PRESSED, 35);
    EXPECT_EQ(level.hints, 0);
    EXPECT_FLOAT_EQ(d_UpdateSpeed->value.f[0], 1.0f);
    // The switch needs all three modifiers and the enabling setting.
    key(KEY_CLICKED, 32, kAll);
    EXPECT_FALSE(d_DebugMode->value.b);
    d_DebugModeEnabled->setEnabled(true);
    key(KEY_CLICKED, 32, MODIFIER_ALT | MODIFIER_CONTROL);
    EXPECT_FALSE(d_DebugMode->value.b);
    key(KEY_CLICKED, 32, kAll);
    ASSERT_TRUE(d_DebugMode->value.b);

    const float speeds[] = {10.0f, 0.1f, 1.0f, 10.0f};
    for (float speed : speeds) {
        key(KEY_CLICKED, 33);
        EXPECT_FLOAT_EQ(d_UpdateSpeed->value.f[0], speed);
    }
    key(KEY_CLICKED, 19, MODIFIER_CONTROL);
    EXPECT_EQ(fillMode(), 2u);
    key(KEY_CLICKED, 19);  // without control: nothing
    EXPECT_EQ(fillMode(), 2u);
    key(KEY_CLICKED, 19, MODIFIER_CONTROL);
    EXPECT_EQ(fillMode(), 3u);
    key(KEY_PRESSED, 35);
    key(KEY_CLICKED, 35);
    EXPECT_EQ(level.hints, 1);
    key(KEY_CLICKED, 50);
    EXPECT_FALSE(panel.isVisible());
    key(KEY_CLICKED, 50);
    EXPECT_TRUE(panel.isVisible());
    key(KEY_CLICKED, 25, kAll);
    EXPECT_TRUE(game->app().hideScene());
    const bool noLimit = d_NoLimitFPS->value.b;
    key(KEY_CLICKED, 17, kAll);
    EXPECT_NE(d_NoLimitFPS->value.b, noLimit);
    key(KEY_CLICKED, 17);
    EXPECT_EQ(levels->completions, 1);
    game->app().setActivePanel(&panel);
    key(KEY_CLICKED, 17);
    EXPECT_EQ(levels->completions, 1);
    game->app().setActivePanel(nullptr);
    key(KEY_CLICKED, 32, kAll);
    EXPECT_FALSE(d_DebugMode->value.b);
}

TEST_F(Routing, WindowEventsThroughSdlFocusAndThePointerEnteringAndLeaving) {
    startGame(false);
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    game->app().setOnActivateScript("activations = (activations or 0) + 1");
    using platform::gfx::WindowEvent;
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window(), WindowEvent::FocusLost));
    game->turn();
    EXPECT_FALSE(frame->isActive());
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window(), WindowEvent::FocusGained));
    game->turn();
    EXPECT_TRUE(frame->isActive());
    EXPECT_TRUE(platform::gfx::leaveTracked(window()));

    ASSERT_TRUE(platform::gfx::pushWindowEvent(window(), WindowEvent::Leave));
    game->turn();
    EXPECT_FALSE(game->app().anyFlag(Application::kMouseInside));
    EXPECT_EQ(platform::gfx::cursorDisplayCount(), 0);
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window(), WindowEvent::Enter));
    game->turn();
    EXPECT_TRUE(game->app().anyFlag(Application::kMouseInside));
    EXPECT_EQ(platform::gfx::cursorDisplayCount(), -1);
    EXPECT_TRUE(platform::gfx::leaveTracked(window()));
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window(), WindowEvent::Leave));
    game->turn();
    EXPECT_FALSE(game->app().anyFlag(Application::kMouseInside));
    EXPECT_EQ(platform::gfx::cursorDisplayCount(), 0);
    // The stored script ran on the loss and on the gain.
    lua_State* L = currentScriptState();
    lua_getglobal(L, "activations");
    EXPECT_EQ(lua_tointeger(L, -1), 2);
    lua_pop(L, 1);
    game->app().setOnActivateScript("");
}

TEST_F(Routing, InactiveTheMainLoopRunsNoFrameUntilTheFocusReturns) {
    // The main loop itself, ended by an input script once the focus is back.
    testsupport::writeFile(dir.path() / "quit.txt", "+5 quit\n");
    ::setenv(InputScriptRunner::kVariable, (dir.path() / "quit.txt").c_str(), 1);
    startGame(false);
    ::unsetenv(InputScriptRunner::kVariable);
    game->skipLogos();
    PostMessageA(window(), WM_ACTIVATE, WA_INACTIVE, 0);
    std::atomic<unsigned> framesWhileInactive{~0u};
    std::thread focus([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        framesWhileInactive = game->app().frameCount();
        EXPECT_TRUE(platform::gfx::pushWindowEvent(window(), platform::gfx::WindowEvent::FocusGained));
    });
    EXPECT_EQ(game->app().run(), 0);
    focus.join();
    EXPECT_EQ(framesWhileInactive.load(), 0u);
    EXPECT_GT(game->app().frameCount(), 0u);
}

}  // namespace
