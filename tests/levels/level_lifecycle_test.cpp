// A level's life on the fixed step: the start's script hooks, the frame step's update hook, the
// win sequence, close-ups opening and closing, the timed zoom, and the searches by name.
#include "core/cvar_catalogue.h"
#include "flash/render/render_handler.h"
#include "input/input_event.h"
#include "particles/particle_effect.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {


constexpr float kStep = 0.0625f;  // exact in binary, so scales and alphas reach their ends exactly

class Lifecycle : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        // The demo's hooks announce themselves through log_message once it exists: count them.
        runLua("test_calls = {} log_message = function(text) test_calls[text] = (test_calls[text] or 0) + 1 end");
        runLua("end_runs = 0");
    }
    static int calls(const std::string& text) { return std::stoi(luaString("test_calls['" + text + "'] or 0")); }
};

TEST_F(Lifecycle, TheStartPassesTheChapterAsWrittenRunsTheScriptAndInitOnce) {
    // A quote, a backslash and a newline.
    TestLevel* level = topLevel("room", description("room", stringKey("FileName", "room.swf") +
                                                                "<string name=\"Chapter\" value=\"ch&quot;ap\\ter&#10;x\" />"));
    ASSERT_EQ(level->getChapter(), "ch\"ap\\ter\nx");
    level->startChapter();
    EXPECT_EQ(luaString("common.chapter"), "ch\"ap\\ter\nx");
    EXPECT_EQ(calls("room_init"), 1);
    EXPECT_TRUE(level->allFlags(BaseLevel::kFlagInited | BaseLevel::kFlagScriptUpdate));
    // A second start does nothing.
    level->startChapter();
    EXPECT_EQ(calls("room_init"), 1);
    EXPECT_EQ(count(logSince(), "\tERROR\t"), 0u) << logSince();
}

TEST_F(Lifecycle, AFailingScriptLeavesTheLevelNotInitedWithOneLineAndItsMinilevelsNotUpdated) {
    descriptions["nolua_mini"] = description("nolua_mini", "");
    TestLevel* level = topLevel(
        "nolua", description("nolua", stringKey("FileName", "room.swf") + list("minilevels", {{"door", "nolua_mini"}})));
    level->startChapter();
    EXPECT_FALSE(level->anyFlag(BaseLevel::kFlagInited | BaseLevel::kFlagScriptUpdate));
    for (int frame = 0; frame < 30; ++frame) level->update(kStep);
    const std::string log = logSince();
    EXPECT_EQ(count(log, "\tERROR\tBaseLevel::update level not inited: nolua\n"), 1u) << log;
    // The minilevel's own start failed too, so it is not updated at all.
    EXPECT_EQ(count(log, "level not inited: nolua_mini"), 0u) << log;
    // A new start that fails reports it once more.
    level->startChapter();
    level->update(kStep);
    EXPECT_EQ(count(logSince(), "level not inited: nolua\n"), 2u);
}

TEST_F(Lifecycle, TheUpdateHookAnsweringOneSetsTheResultFlag) {
    TestLevel* level = topLevel("room");
    level->startChapter();
    level->update(kStep);
    EXPECT_FALSE(level->anyFlag(BaseLevel::kFlagScriptResult));
    // Redefined by the script while the level runs: looked up by name each frame.
    runLua("function room_update() room_updates = (room_updates or 0) + 1 return 1 end");
    level->update(kStep);
    EXPECT_TRUE(level->anyFlag(BaseLevel::kFlagScriptResult));
    EXPECT_EQ(luaString("room_updates"), "1");
}

struct WinCase {
    const char* what;
    bool noEffectFlag;
    std::string winEffect;
    bool sequenced;  // effect, sound and timers; else the leave step and the end script at once
};

TEST_F(Lifecycle, TheWinSequenceStartsOnceWithItsEffectSoundLeaveAndEndScript) {
    const WinCase cases[] = {
        {"with the effect", false, "on_win_effect", true},
        {"flag 0x100", true, "on_win_effect", false},
        {"no win effect", false, "", false},
    };
    for (const WinCase& c : cases) {
        const size_t mark = logSince().size();
        TestLevel* level = topLevel("room");
        level->startChapter();
        level->setEndScript("end_runs = end_runs + 1");
        level->setWinEffect(c.winEffect);
        level->setFlag(BaseLevel::kFlagNoWinEffect, c.noEffectFlag);
        runLua("test_calls = {}");
        runLua("end_runs = 0");
        level->update(kStep);
        EXPECT_FALSE(level->isWinStarted()) << c.what;
        const uint32_t effectsBefore = level->effectCount();
        sounds.clear();
        level->complete = true;
        level->update(kStep);
        EXPECT_TRUE(level->isWinStarted()) << c.what;
        EXPECT_EQ(count(logSince().substr(mark), "Start level win effect: room"), 1u) << c.what;
        if (c.sequenced) {
            EXPECT_EQ(level->effectCount(), effectsBefore + 1) << c.what;
            EXPECT_EQ(level->effectAt(level->effectCount() - 1)->name(), "on_win_effect") << c.what;
            EXPECT_EQ(sounds, (std::vector<SoundCall>{{"mini_game_complete", false}})) << c.what;
            EXPECT_EQ(GameTimerManager::instance()->size(), 3u) << c.what;  // with the room's bell
            EXPECT_EQ(calls("room_ON_LEAVE"), 0) << c.what;
            // On the fixed clock: the leave step at 3.0 s, the end script at 3.5 s.
            std::vector<std::pair<int, int>> seen;
            for (int step = 1; step <= 10; ++step) {
                GameTimerManager::instance()->update(0.5f);
                level->update(kStep);  // staying complete starts nothing more
                seen.push_back({calls("room_ON_LEAVE"), std::stoi(luaString("end_runs"))});
            }
            const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
                                                               {1, 0}, {1, 1}, {1, 1}, {1, 1}, {1, 1}};
            EXPECT_EQ(seen, expected) << c.what;
            EXPECT_TRUE(level->anyFlag(BaseLevel::kFlagFadingOut)) << c.what;
        } else {
            EXPECT_EQ(level->effectCount(), effectsBefore) << c.what;
            EXPECT_TRUE(sounds.empty()) << c.what;
            EXPECT_EQ(GameTimerManager::instance()->size(), 1u) << c.what;  // the bell only
            EXPECT_EQ(calls("room_ON_LEAVE"), 1) << c.what;
            EXPECT_EQ(luaString("end_runs"), "1") << c.what;
            for (int step = 0; step < 5; ++step) level->update(kStep);
            EXPECT_EQ(calls("room_ON_LEAVE"), 1) << c.what;
            EXPECT_EQ(luaString("end_runs"), "1") << c.what;
        }
        EXPECT_EQ(count(logSince().substr(mark), "Start level win effect: room"), 1u) << c.what;
        release(level);
        runLua("test_calls = {}");
    }
}

TEST_F(Lifecycle, WithoutLevelAreaThereIsNoWinNoCloseUpAndNoMouseHit) {
    TestLevel* level = topLevel("plain", description("plain", stringKey("FileName", "loading.swf")));
    ASSERT_EQ(level->getLevelArea(), nullptr);
    level->complete = true;
    level->update(kStep);
    EXPECT_FALSE(level->isWinStarted());
    level->enterMinilevel();
    EXPECT_FALSE(level->anyFlag(BaseLevel::kFlagOpen | BaseLevel::kFlagZoomingIn));
    EXPECT_FALSE(level->onMouse(500, 300, 0));
    TestLevel* room = topLevel("room");
    EXPECT_TRUE(room->onMouse(500, 300, 0));
}

// The room with its close-up started; the close-up is the minilevel of slot 0.
class CloseUp : public Lifecycle {
protected:
    void SetUp() override {
        Lifecycle::SetUp();
        room = topLevel("room");
        room->startChapter();
        closeup = static_cast<TestLevel*>(room->getMinilevel(0));
        ASSERT_NE(closeup, nullptr);
        area = closeup->getLevelArea();
        ASSERT_NE(area, nullptr);
        runLua("fade_runs = {0, 0}");
        closeup->setFadeScript(fsFadeIn, "fade_runs[1] = fade_runs[1] + 1");
        closeup->setFadeScript(fsFadeOut, "fade_runs[2] = fade_runs[2] + 1");
    }
    void open(int mouseX, int mouseY) {
        closeup->getRoot()->notify_mouse_state(mouseX, mouseY, 0);
        closeup->enterMinilevel();
    }
    float scale() const { return area->get_matrix().get_x_scale(); }
    float x() const { return area->get_matrix().m_[0][2]; }
    float y() const { return area->get_matrix().m_[1][2]; }
    float alpha() const { return area->get_cxform().m_[3][0]; }

    TestLevel* room = nullptr;
    TestLevel* closeup = nullptr;
    flash::character* area = nullptr;
};

TEST_F(CloseUp, OpeningZoomsFromHalfTheClickOffsetToItsPlaceInAQuarterSecond) {
    // The area's world place is (212, 134) pixels; a click at (512, 334) is 300, 200 pixels off.
    open(512, 334);
    EXPECT_EQ(closeup->getZoomOffsetX(), (212 - 512) * 20);
    EXPECT_EQ(closeup->getZoomOffsetY(), (134 - 334) * 20);
    EXPECT_TRUE(closeup->allFlags(BaseLevel::kFlagZoomingIn | BaseLevel::kFlagOpen));
    EXPECT_TRUE(closeup->isVisible());
    EXPECT_EQ(calls("closeup_ON_ENTER"), 1);
    EXPECT_FLOAT_EQ(scale(), 0.5f);
    EXPECT_FLOAT_EQ(x(), 212 * 20 + 300 * 10);
    EXPECT_FLOAT_EQ(y(), 134 * 20 + 200 * 10);
    // 2 x dt a frame: 0.625, 0.75, 0.875, 1.0 after 0.25 s, sliding home on the way.
    const float scales[] = {0.625f, 0.75f, 0.875f, 1.0f};
    for (float expected : scales) {
        room->update(kStep);
        EXPECT_FLOAT_EQ(scale(), expected);
        EXPECT_FLOAT_EQ(x(), 212 * 20 + (1.0f - expected) * 300 * 20);
        EXPECT_FLOAT_EQ(alpha(), expected);
        EXPECT_TRUE(closeup->anyFlag(BaseLevel::kFlagZoomingIn));
    }
    EXPECT_EQ(luaString("fade_runs[1]"), "0");
    room->update(kStep);
    EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagZoomingIn));
    EXPECT_TRUE(closeup->anyFlag(BaseLevel::kFlagOpen));
    EXPECT_FLOAT_EQ(x(), 212 * 20);
    EXPECT_FLOAT_EQ(y(), 134 * 20);
    EXPECT_EQ(luaString("fade_runs[1]"), "1");
    room->update(kStep);
    EXPECT_EQ(luaString("fade_runs[1]"), "1");
}

TEST_F(CloseUp, ThePressOfZoomOutFadesItOutAndHidesItADragDoesNothing) {
    open(512, 334);
    for (int frame = 0; frame < 6; ++frame) room->update(kStep);
    flash::character* button = closeup->getZoomOutButton();
    ASSERT_NE(button, nullptr);
    BaseLevel::onZoomOutButton(button, 8);
    EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagFadingOut));
    BaseLevel::onZoomOutButton(area, 1);  // not the button
    EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagFadingOut));
    BaseLevel::onZoomOutButton(button, 1);
    EXPECT_TRUE(closeup->anyFlag(BaseLevel::kFlagFadingOut));
    EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagOpen));
    EXPECT_EQ(calls("closeup_ON_LEAVE"), 1);
    // 1.0 down by 2 x dt a frame: 0 after 8 frames, hidden on the ninth.
    for (int frame = 1; frame <= 8; ++frame) {
        room->update(kStep);
        EXPECT_FLOAT_EQ(alpha(), 1.0f - frame * 0.125f) << frame;
    }
    EXPECT_TRUE(closeup->isVisible());
    EXPECT_EQ(luaString("fade_runs[2]"), "0");
    room->update(kStep);
    EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagFadingOut));
    EXPECT_FALSE(closeup->isVisible());
    EXPECT_FLOAT_EQ(clip(closeup, "bg_alfa")->get_cxform().m_[3][0], 0.0f);
    EXPECT_EQ(luaString("fade_runs[2]"), "1");
}

TEST_F(CloseUp, AMinilevelInTransitionGetsNoMouseAndNoInput) {
    MouseEvent press;
    press.type = MOUSE_PRESSED;
    press.button = 0;
    closeup->setVisible(true);
    room->onMouse(500, 300, 0);
    room->onInputEvent(&press);
    EXPECT_EQ(closeup->mouseCalls, 1);
    EXPECT_EQ(closeup->inputCalls, 1);
    open(512, 334);
    room->onMouse(500, 300, 0);
    room->onInputEvent(&press);
    EXPECT_EQ(closeup->mouseCalls, 1);
    EXPECT_EQ(closeup->inputCalls, 1);
    for (int frame = 0; frame < 5; ++frame) room->update(kStep);
    room->onMouse(500, 300, 0);
    room->onInputEvent(&press);
    EXPECT_EQ(closeup->mouseCalls, 2);
    EXPECT_EQ(closeup->inputCalls, 2);
    closeup->onLeave();
    room->onMouse(500, 300, 0);
    room->onInputEvent(&press);
    EXPECT_EQ(closeup->mouseCalls, 2);
    EXPECT_EQ(closeup->inputCalls, 2);
}

TEST_F(Lifecycle, ATimedZoomOfTwoSecondsEndsOnTheFrameAfter) {
    TestLevel* level = topLevel("room");
    level->startChapter();
    flash::character* movie = level->getRoot()->get_root_movie();
    level->scaleAtTime(2.0f, 0.5f, 0.5f, 2.0f);
    const float scales[] = {1.25f, 1.5f, 1.75f, 2.0f};
    for (float expected : scales) {
        level->update(0.5f);
        EXPECT_FLOAT_EQ(movie->get_matrix().get_x_scale(), expected);
        EXPECT_GT(level->getScaleDuration(), 0.0f);
    }
    // The centre stays put: translation -(1024 x 20 x (s - 1) x 0.5).
    EXPECT_FLOAT_EQ(movie->get_matrix().m_[0][2], -1024 * 20 * 0.5f);
    EXPECT_FLOAT_EQ(movie->get_matrix().m_[1][2], -768 * 20 * 0.5f);
    level->update(0.5f);
    EXPECT_EQ(level->getScaleDuration(), 0.0f);
    EXPECT_FLOAT_EQ(movie->get_matrix().get_x_scale(), 2.0f);
}

TEST_F(Lifecycle, SearchesByNameEndAndReachTheMinilevels) {
    descriptions["inner_a"] = description("inner_a", list("not_game", {{"deep_thing", ""}}));
    descriptions["inner_b"] = description("inner_b", "");
    TestLevel* level = topLevel("outer", description("outer", stringKey("FileName", "room.swf") +
                                                                  list("minilevels", {{"door", "inner_a"}, {"lock", "inner_b"}})));
    BaseLevel* inner = level->getMinilevel(1);
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->getZoomOutButton(), nullptr);
    // Found nowhere: each level is searched once and the search ends.
    EXPECT_EQ(inner->findCharacter("nowhere", true), nullptr);
    EXPECT_EQ(level->findCharacter("nowhere", true), nullptr);
    EXPECT_NE(inner->findCharacter("candle", false), nullptr);
    // Elements of minilevels, by their exact names.
    ASSERT_NE(level->getElementByName("deep_thing"), nullptr);
    EXPECT_EQ(level->getElementByName("deep_thing")->getLevel(), level->getMinilevel(0));
    EXPECT_EQ(level->getElementByName("Deep_thing"), nullptr);
    EXPECT_EQ(level->getElementByName("lock")->getKind(), BaseElement::kKindMinilevelDoor);
}

TEST_F(Lifecycle, OutsideTheChainUntilAMovieOfTheChainOrAStopFlag) {
    descriptions["mid"] = description("mid", stringKey("FileName", "closeup.swf") + list("minilevels", {{"x", "leaf"}}));
    descriptions["leaf"] = description("leaf", "");
    TestLevel* top = topLevel("top", description("top", stringKey("FileName", "room.swf") +
                                                             list("minilevels", {{"door", "mid"}})));
    TestLevel* other = topLevel("other", description("other", stringKey("FileName", "letters.swf")));
    auto* mid = static_cast<TestLevel*>(top->getMinilevel(0));
    ASSERT_NE(mid, nullptr);
    BaseLevel* leaf = mid->getMinilevel(0);
    ASSERT_NE(leaf, nullptr);
    EXPECT_TRUE(leaf->isOutsideChainOf(nullptr));
    EXPECT_FALSE(leaf->isOutsideChainOf(top));
    EXPECT_FALSE(leaf->isOutsideChainOf(mid));
    EXPECT_TRUE(leaf->isOutsideChainOf(other));
    mid->setFlag(BaseLevel::kFlagChainStop, true);
    EXPECT_TRUE(leaf->isOutsideChainOf(top));
    EXPECT_FALSE(leaf->isOutsideChainOf(mid));
}

}  // namespace
}  // namespace leveltest

namespace leveltest {
namespace {

// Counts what a frame draws.
class CountingHandler : public flash::render_handler {
public:
    flash::bitmap_info* create_bitmap_info_empty(const flash::bx_string&) override { return nullptr; }
    flash::bitmap_info* create_bitmap_info_alpha(int, int, const uint8_t*, const flash::bx_string&) override {
        return nullptr;
    }
    flash::bitmap_info* create_bitmap_info_rgb(flash::image::rgb*, const flash::bx_string&) override { return nullptr; }
    flash::bitmap_info* create_bitmap_info_rgba(flash::image::rgba*, const flash::bx_string&) override {
        return nullptr;
    }
    void draw_mesh_strip(const int32_t*, int count) override { vertices += count; }
    void draw_triangle_list(const int32_t*, int count) override { vertices += count; }
    void draw_line_strip(const int32_t*, int count) override { vertices += count; }
    long long vertices = 0;
};

class Drawing : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        m_saved = flash::get_render_handler();
        flash::set_render_handler(&handler);
    }
    void TearDown() override {
        flash::set_render_handler(m_saved);
        d_RenderLevel->setFromString("true");
        LevelTest::TearDown();
    }
    long long drawn(BaseLevel* level) {
        handler.vertices = 0;
        level->render(0.0f);
        return handler.vertices;
    }
    CountingHandler handler;

private:
    flash::render_handler* m_saved = nullptr;
};

TEST_F(Drawing, EachSceneIsDrawnOnceAndACloseUpWithoutAreaDrawsTheSceneBehindIt) {
    descriptions["shared"] = description("shared", "");
    // Neither movie has a "LevelArea" (a minilevel would find its parent's).
    descriptions["plain"] = description("plain", stringKey("FileName", "cursor.swf"));
    TestLevel* bare = topLevel("bare", description("bare", stringKey("FileName", "loading.swf")));
    const long long scene = drawn(bare);
    EXPECT_GT(scene, 0);
    TestLevel* room = topLevel("rooms", description("rooms", stringKey("FileName", "loading.swf") +
                                                                  list("minilevels", {{"door", "shared"}, {"lock", "plain"}})));
    BaseLevel* shared = room->getMinilevel(0);
    BaseLevel* plain = room->getMinilevel(1);
    ASSERT_NE(plain, nullptr);
    ASSERT_EQ(plain->getLevelArea(), nullptr);
    // Hidden minilevels add nothing; a visible one inside the parent's movie is drawn with it.
    EXPECT_EQ(drawn(room), scene);
    shared->setVisible(true);
    EXPECT_EQ(drawn(room), scene);
    plain->setVisible(true);
    const long long withPlain = drawn(room);
    EXPECT_GT(withPlain, scene);
    // Drawn alone, the close-up without an area draws the scene behind it first: the same picture.
    EXPECT_EQ(drawn(plain), withPlain);
    d_RenderLevel->setFromString("false");
    EXPECT_EQ(drawn(room), 0);
}

}  // namespace
}  // namespace leveltest
