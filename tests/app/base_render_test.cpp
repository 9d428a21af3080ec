// The drawable base: without a root it does nothing and answers onMouse with true; with one it
// resends the last coordinate for one at 0 or below; its effect list (no doubles or nulls, the
// finished effect's place taken by the last one, which is updated in the same pass, the first of
// two of a name stopped, growth from 10 to 20); the active panel given back when it hides; the
// effects still listed released when it goes.
#include "app/base_render.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "particles/particle_effect.h"
#include "tests/app/game_data.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> g_log;

// An effect without particle systems whose updates, draws and release are recorded.
class TestEffect : public particle::fxParticleEffect2D {
public:
    explicit TestEffect(const std::string& name) : fxParticleEffect2D(name, false) {}
    void update(float) override {
        m_watchdog = 0;
        g_log.push_back("update " + tag);
    }
    void draw() override { g_log.push_back("draw " + tag); }
    void finish() { m_finished = true; }
    std::string tag;

protected:
    // Only the release (stop) destroys an effect.
    ~TestEffect() override { g_log.push_back("released " + tag); }
};

TestEffect* effect(const std::string& tag, const std::string& name = "fx") {
    auto* e = new TestEffect(name);
    e->tag = tag;
    return e;
}

std::string listed(const BaseRender& drawable) {
    std::string out;
    for (uint32_t i = 0; i < drawable.effectCount(); ++i)
        out += static_cast<TestEffect*>(drawable.effectAt(i))->tag;
    return out;
}

TEST(BaseRenderAlone, WithoutARootNothingShowsAndTheMouseIsTakenAnyway) {
    BaseRender drawable;
    EXPECT_FALSE(drawable.isVisible());
    drawable.setVisible(true);
    EXPECT_FALSE(drawable.isVisible());
    drawable.render(0.1f);  // draws nothing, touches no root
    EXPECT_TRUE(drawable.onMouse(10, 10, 1));
    EXPECT_FALSE(drawable.onInput(nullptr));
    drawable.hide();
}

TEST(BaseRenderAlone, TheEffectListHoldsEachLiveEffectOnceAndGrowsTenThenDoubles) {
    g_log.clear();
    {
        BaseRender drawable;
        EXPECT_EQ(drawable.effectCapacity(), 0u);
        drawable.addEffect(nullptr);
        EXPECT_EQ(drawable.effectCount(), 0u);
        TestEffect* first = effect("0");
        drawable.addEffect(first);
        drawable.addEffect(first);
        EXPECT_EQ(drawable.effectCount(), 1u);
        EXPECT_EQ(drawable.effectCapacity(), BaseRender::kFirstEffectCapacity);
        for (int i = 1; i < 10; ++i) drawable.addEffect(effect(std::to_string(i)));
        EXPECT_EQ(drawable.effectCapacity(), 10u);
        drawable.addEffect(effect("A"));
        EXPECT_EQ(drawable.effectCount(), 11u);
        EXPECT_EQ(drawable.effectCapacity(), 20u);
        EXPECT_TRUE(g_log.empty());
    }
    // Going, it released every effect still listed (a leak otherwise, which LSan reports).
    EXPECT_EQ(g_log.size(), 11u);
}

TEST(BaseRenderAlone, AFinishedEffectsPlaceGoesToTheLastWhichIsUpdatedInTheSamePass) {
    g_log.clear();
    BaseRender drawable;
    TestEffect* b = effect("B");
    drawable.addEffect(effect("A"));
    drawable.addEffect(b);
    drawable.addEffect(effect("C"));
    b->finish();
    drawable.update(0.1f);
    EXPECT_EQ(listed(drawable), "AC");
    EXPECT_EQ(g_log, (std::vector<std::string>{"update A", "released B", "update C"}));
    // The last entry finished: nothing moves, the walk ends.
    static_cast<TestEffect*>(drawable.effectAt(1))->finish();
    g_log.clear();
    drawable.update(0.1f);
    EXPECT_EQ(listed(drawable), "A");
    EXPECT_EQ(g_log, (std::vector<std::string>{"update A", "released C"}));
}

TEST(BaseRenderAlone, StoppingANameRemovesOnlyItsFirstExactMatch) {
    g_log.clear();
    BaseRender drawable;
    drawable.addEffect(effect("1", "x"));
    drawable.addEffect(effect("2", "y"));
    drawable.addEffect(effect("3", "x"));
    drawable.stopEffect("X");
    drawable.stopEffect("xx");
    EXPECT_EQ(listed(drawable), "123");
    drawable.stopEffect("x");
    EXPECT_EQ(listed(drawable), "32");  // the last took the first's place
    EXPECT_EQ(g_log, std::vector<std::string>{"released 1"});
    // A removed effect is released even when it was never listed.
    drawable.removeEffect(effect("4"));
    EXPECT_EQ(g_log.back(), "released 4");
}

// A drawable over a movie root, as the screens are.
class Panel : public BaseRender {
public:
    explicit Panel(flash::root* root) { setRoot(root); }
};

class BaseRenderInGame : public ::testing::Test {
protected:
    void SetUp() override {
        apptest::writeGameData(dir.path());
        game = std::make_unique<testsupport::GameFixture>(dir.path());
        ASSERT_TRUE(game->start());
    }
    flash::smart_ptr<flash::root> movie() { return game->app().player()->load_file("cursor.swf"); }

    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
};

TEST_F(BaseRenderInGame, ACoordinateAtZeroOrBelowIsTheLastOneAgain) {
    flash::smart_ptr<flash::root> root = movie();
    ASSERT_TRUE(root);
    Panel drawable(root.get_ptr());
    ASSERT_TRUE(drawable.isVisible());
    struct Case {
        int x, y, buttons;
        int wantX, wantY;
    } cases[] = {{120, 80, 0, 120, 80}, {0, 300, 1, 120, 300}, {-5, -5, 0, 120, 300}, {7, 0, 1, 7, 300}};
    for (const Case& c : cases) {
        EXPECT_TRUE(drawable.onMouse(c.x, c.y, c.buttons));
        int x = 0, y = 0, buttons = -1;
        root->get_mouse_state(&x, &y, &buttons);
        EXPECT_EQ(x, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(y, c.wantY) << c.x << "," << c.y;
        EXPECT_EQ(buttons, c.buttons) << c.x << "," << c.y;
    }
    // Invisible, it takes the mouse and passes nothing on.
    drawable.setVisible(false);
    EXPECT_TRUE(drawable.onMouse(50, 50, 1));
    int x = 0, y = 0, buttons = 0;
    root->get_mouse_state(&x, &y, &buttons);
    EXPECT_EQ(x, 7);
}

TEST_F(BaseRenderInGame, HidingTheActivePanelBringsBackThePreviousWhenItIsStillVisible) {
    flash::smart_ptr<flash::root> first = movie(), second = movie();
    Panel below(first.get_ptr()), above(second.get_ptr());
    Application& app = game->app();
    app.setActivePanel(&below);
    app.setActivePanel(&above);
    above.hide();
    EXPECT_FALSE(above.isVisible());
    EXPECT_EQ(app.modalPanel(), &below);
    // Hiding a panel that is not the active one changes nothing.
    above.hide();
    EXPECT_EQ(app.modalPanel(), &below);

    above.setVisible(true);
    app.setActivePanel(&above);
    below.setVisible(false);
    above.hide();
    EXPECT_EQ(app.modalPanel(), nullptr);
}

TEST_F(BaseRenderInGame, AVisibleMovieAdvancesOnlyWhenRenderedAndItsEffectsDrawAfterIt) {
    g_log.clear();
    flash::smart_ptr<flash::root> root = movie();
    Panel drawable(root.get_ptr());
    drawable.addEffect(effect("A"));
    drawable.update(0.1f);
    EXPECT_EQ(g_log, std::vector<std::string>{"update A"});
    drawable.render(0.1f);
    EXPECT_EQ(g_log.back(), "draw A");
    EXPECT_EQ(game->app().player()->get_root(), root.get_ptr());
    EXPECT_EQ(root->get_viewport_width(), Application::kGameWidth);
    EXPECT_EQ(root->get_background_alpha(), 1.0f);
    drawable.setVisible(false);
    g_log.clear();
    drawable.render(0.1f);
    EXPECT_TRUE(g_log.empty());
}

}  // namespace
