// The mouse cursor on the demo chapter's "cursor.swf" (and on small cursor movies of the tests'
// own): its picture and position, the penalty, carrying elements of a level movie and giving them
// back as they were, suspending it around a screen, its scales, a missing movie, and its script
// class.
#include "app/mouse_cursor.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>

#include "app/game_layers.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/display_list.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "graphics/d3d_application.h"
#include "platform/graphics/window.h"
#include "script/script_binding.h"
#include "script/script_core.h"
#include "tests/app/game_data.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/movie_builder.h"

namespace {

namespace fs = std::filesystem;

void noCallback(flash::character*, int) {}

// An element of a level movie as the level base would hand it to the cursor.
class TestElement : public app::CarriedElement {
public:
    explicit TestElement(flash::character* clip) : m_clip(clip) {}
    flash::character* carriedClip() const override { return m_clip.get_ptr(); }
    std::string carriedName() const override { return m_clip ? m_clip->get_name().c_str() : ""; }
    void fadeCarried(bool show) override { fades += show ? "in " : "out "; }
    void pushScriptObject(lua_State* L) override { lua_pushstring(L, carriedName().c_str()); }
    std::string fades;

private:
    flash::smart_ptr<flash::character> m_clip;
};

// Scripts give elements as light userdata in these tests.
app::CarriedElement* readTestElement(lua_State* L, int index) {
    return lua_islightuserdata(L, index) ? static_cast<app::CarriedElement*>(lua_touserdata(L, index)) : nullptr;
}

class Cursor : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        ASSERT_TRUE(game->start());
        cursor = MouseCursor::instance();
        ASSERT_NE(cursor, nullptr);
        level = game->app().player()->load_file("room.swf");
        ASSERT_TRUE(level);
        app::setCarriedElementReader(&readTestElement);
    }
    void TearDown() override { app::setCarriedElementReader(nullptr); }

    flash::character* levelClip(const char* name) {
        return level->get_root_sprite()->get_character_by_name(flash::bx_string(name), true);
    }
    // Runs a chunk and returns the global `result` as text.
    std::string script(const std::string& text) {
        EXPECT_EQ(runScriptBuffer(text.c_str(), 0, "test"), kScriptOk) << text;
        lua_State* L = currentScriptState();
        lua_getglobal(L, "result");
        std::string out = lua_isnil(L, -1) ? "nil" : (lua_tostring(L, -1) ? lua_tostring(L, -1) : "?");
        lua_pop(L, 1);
        return out;
    }

    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    MouseCursor* cursor = nullptr;
    flash::smart_ptr<flash::root> level;
};

int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(Cursor, StartsOnTheDefaultPictureLastInTheRenderListWithTheSystemCursorsHidden) {
    ASSERT_NE(cursor->cursorClip(), nullptr);
    EXPECT_STREQ(cursor->cursorClip()->get_name().c_str(), "default_cursor");
    // Only the console (start-up step 20) follows it.
    const std::vector<BaseRender*>& list = game->app().renderList();
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[list.size() - 2], cursor);
    EXPECT_EQ(list.back(), app::screen(app::Screen::Console));
    EXPECT_EQ(cursor->clipMode(), MouseCursor::kModeNormal);
    EXPECT_LT(platform::gfx::cursorDisplayCount(), 0);
    EXPECT_FLOAT_EQ(cursor->scaleX(), 1.0f);
    EXPECT_FLOAT_EQ(cursor->scaleY(), 1.0f);
    EXPECT_NE(game->log().find("mScales.x = 1, mScales.y = 1"), std::string::npos) << game->log();
    // The movie stays still: every clip stopped.
    EXPECT_EQ(cursor->getRoot()->get_root_sprite()->get_play_state(), flash::character::STOP);
}

TEST_F(Cursor, PositionsAreTwipsOfGamePixels) {
    cursor->setPosition(10, 20);
    const flash::matrix& m = cursor->cursorClip()->get_matrix();
    EXPECT_FLOAT_EQ(m.m_[0][2], 200.0f);
    EXPECT_FLOAT_EQ(m.m_[1][2], 400.0f);
    EXPECT_EQ(cursor->x(), 10);
    EXPECT_EQ(cursor->y(), 20);
    // Beyond a float's range the translation is 0, not infinite.
    cursor->setPosition(2147483647, -2147483647 - 1);
    EXPECT_TRUE(std::isfinite(cursor->cursorClip()->get_matrix().m_[0][2]));
}

TEST_F(Cursor, TheCurrentPictureAgainChangesNothingAnotherUnblocksAndAMissingOneShowsTheSystemCursor) {
    cursor->setBlocked(true);
    const int scaleLines = countOf(game->log(), "mScales.x = ");
    cursor->setCursor("default_cursor", 0);
    EXPECT_TRUE(cursor->isBlocked());
    EXPECT_EQ(countOf(game->log(), "mScales.x = "), scaleLines);
    const int hidden = platform::gfx::cursorDisplayCount();
    cursor->setCursor("no_such_cursor", 0);
    EXPECT_FALSE(cursor->isBlocked());
    EXPECT_EQ(cursor->cursorClip(), nullptr);
    EXPECT_EQ(platform::gfx::cursorDisplayCount(), hidden + 1);
    EXPECT_EQ(countOf(game->log(), "mScales.x = "), scaleLines + 1);
    cursor->setCursor("default_cursor", 0);
    EXPECT_NE(cursor->cursorClip(), nullptr);
    EXPECT_EQ(platform::gfx::cursorDisplayCount(), hidden - 1);
}

TEST_F(Cursor, APenaltyShowsThreeSecondsRestartsOnASecondAndNeverInDebugMode) {
    flash::character* clip = cursor->cursorClip();
    cursor->startPenalty();
    EXPECT_TRUE(cursor->penaltyShowing());
    EXPECT_EQ(clip->get_current_frame(), 2);  // "cursor_penalty"
    cursor->update(2.0f);
    cursor->startPenalty();
    cursor->update(2.9f);
    EXPECT_TRUE(cursor->penaltyShowing());
    EXPECT_EQ(clip->get_current_frame(), 2);
    cursor->update(0.2f);
    EXPECT_FALSE(cursor->penaltyShowing());
    EXPECT_EQ(clip->get_current_frame(), 0);  // "default_cursor"
    d_DebugMode->setEnabled(true);
    cursor->startPenalty();
    d_DebugMode->setEnabled(false);
    EXPECT_FALSE(cursor->penaltyShowing());
    EXPECT_EQ(clip->get_current_frame(), 0);
}

TEST_F(Cursor, OverBlockedOnlyWhileNothingIsCarriedAndInputIsNotBlocked) {
    flash::character* clip = cursor->cursorClip();
    cursor->setOverBlocked(true);
    EXPECT_EQ(clip->get_current_frame(), 1);
    cursor->setOverBlocked(false);
    EXPECT_EQ(clip->get_current_frame(), 0);
    TestElement cup(levelClip("cup_1"));
    cursor->setConnectedElement(&cup, false);
    cursor->setOverBlocked(true);
    EXPECT_EQ(clip->get_current_frame(), 0);
    cursor->setConnectedElement(nullptr, true);
    cursor->setBlocked(true);
    cursor->setOverBlocked(true);
    EXPECT_EQ(clip->get_current_frame(), 0);
}

TEST_F(Cursor, CarryingBWhileAIsCarriedGivesABackAsItWas) {
    flash::character* a = levelClip("cup_1");
    flash::character* b = levelClip("book");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->set_event_callback(&noCallback);
    b->set_event_callback(&noCallback);
    flash::matrix scaled = b->get_matrix();
    scaled.set_scale_rotation(2.0f, 3.0f, 0.0f);
    b->set_matrix(scaled);
    const flash::matrix aMatrix = a->get_matrix();
    flash::character* aParent = a->get_parent();
    const int aDepth = a->get_depth();
    TestElement elementA(a), elementB(b);
    flash::character* cursorMovie = cursor->getRoot()->get_root_movie();
    const int pictureDepth = cursor->cursorClip()->get_depth();

    cursor->setPosition(100, 50);
    cursor->setConnectedElement(&elementA, false);
    EXPECT_EQ(cursor->connectedElement(), &elementA);
    EXPECT_EQ(cursor->clipMode(), MouseCursor::kModeCarried);
    EXPECT_EQ(a->get_parent(), cursorMovie);
    EXPECT_EQ(a->get_depth(), pictureDepth - MouseCursor::kCarriedDepthBelow);
    EXPECT_EQ(a->get_event_callback(), nullptr);
    EXPECT_FLOAT_EQ(a->get_matrix().m_[0][2], 2000.0f);
    EXPECT_FLOAT_EQ(a->get_matrix().m_[1][2], 1000.0f);
    EXPECT_EQ(cursor->connectedName(), "cup_1");

    cursor->setConnectedElement(&elementB, false);
    EXPECT_EQ(a->get_parent(), aParent);
    EXPECT_EQ(a->get_depth(), aDepth);
    EXPECT_EQ(a->get_event_callback(), &noCallback);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(a->get_matrix().m_[r][c], aMatrix.m_[r][c]) << r << c;
    EXPECT_EQ(cursorMovie->get_display_list()->get_character_by_name(flash::bx_string("cup_1"), false), nullptr);

    // B follows the mouse at the world scale it had when taken.
    EXPECT_EQ(b->get_parent(), cursorMovie);
    cursor->setPosition(7, 9);
    EXPECT_FLOAT_EQ(b->get_matrix().get_x_scale(), 2.0f);
    EXPECT_FLOAT_EQ(b->get_matrix().get_y_scale(), 3.0f);
    EXPECT_FLOAT_EQ(b->get_matrix().m_[0][2], 140.0f);
    EXPECT_FLOAT_EQ(b->get_matrix().m_[1][2], 180.0f);
    cursor->reset();
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_EQ(cursor->clipMode(), MouseCursor::kModeNormal);
    EXPECT_EQ(b->get_event_callback(), &noCallback);
}

TEST_F(Cursor, AHiddenCarriedElementStaysUnlessForcedAShownOneIsGivenBack) {
    TestElement cup(levelClip("cup_1"));
    struct Case {
        bool shown;
        bool force;
        bool givenBack;
    } cases[] = {{true, false, true}, {true, true, true}, {false, false, false}, {false, true, true}};
    for (const Case& c : cases) {
        cursor->setConnectedElement(&cup, true);
        if (!c.shown) cursor->showConnected(false);
        cursor->setConnectedElement(nullptr, c.force);
        EXPECT_EQ(cursor->connectedElement() == nullptr, c.givenBack) << c.shown << c.force;
        cursor->setConnectedElement(nullptr, true);
    }
    EXPECT_EQ(cup.fades, "out out ");
}

TEST_F(Cursor, SuspendedAroundAScreenWithAndWithoutACarriedElement) {
    // Nothing carried: only the cursor picture is put aside and brought back.
    flash::character* picture = cursor->cursorClip();
    picture->goto_frame(1);
    cursor->hideConnected();
    EXPECT_EQ(cursor->cursorClip(), picture);
    EXPECT_EQ(picture->get_current_frame(), 0);
    cursor->showConnected(true);
    cursor->restoreConnected();
    EXPECT_EQ(cursor->cursorClip(), picture);
    EXPECT_EQ(picture->get_current_frame(), 1);

    flash::character* cup = levelClip("cup_1");
    TestElement element(cup);
    cursor->setConnectedElement(&element, false);
    cursor->hideConnected();
    EXPECT_FALSE(cup->get_visible());
    cursor->restoreConnected();
    EXPECT_TRUE(cup->get_visible());
    EXPECT_EQ(cursor->connectedElement(), &element);
    EXPECT_EQ(cursor->clipMode(), MouseCursor::kModeCarried);
}

TEST_F(Cursor, AnElementThatGoesWhileCarriedIsGivenBackFirst) {
    flash::character* cup = levelClip("cup_1");
    flash::character* parent = cup->get_parent();
    cup->set_event_callback(&noCallback);
    {
        TestElement element(cup);
        cursor->setConnectedElement(&element, false);
    }
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_EQ(cup->get_parent(), parent);
    EXPECT_EQ(cup->get_event_callback(), &noCallback);
    cursor->setPosition(5, 5);  // touches no freed element
}

TEST_F(Cursor, ScriptMethodsAndAHandleOutlivedByTheCursor) {
    cursor->setPosition(12, 34);
    EXPECT_EQ(script("local p = getMouse():getPos(); result = p.x .. ',' .. p.y"), "12,34");
    EXPECT_EQ(script("result = tostring(rawequal(getMouse(), mouse()) or getMouse() ~= nil)"), "true");
    EXPECT_EQ(script("result = getMouse():getConnectedName()"), "");
    EXPECT_EQ(script("result = getMouse():getConnElem()"), "nil");

    TestElement cup(levelClip("cup_1"));
    lua_State* L = currentScriptState();
    lua_pushlightuserdata(L, &cup);
    lua_setglobal(L, "cup");
    EXPECT_EQ(script("getMouse():setConnElem(cup, false); result = getMouse():getConnectedName()"), "cup_1");
    EXPECT_EQ(script("result = getMouse():getConnElem()"), "cup_1");
    // Another value is no element: refused with a line, the carried one stays.
    EXPECT_EQ(script("getMouse():setConnElem({}, true); result = getMouse():getConnectedName()"), "cup_1");
    EXPECT_NE(game->log().find("ERROR\tMouseCursor::setConnElem: no element given"), std::string::npos);
    EXPECT_EQ(script("getMouse():setConnElem(nil, false); result = getMouse():getConnectedName()"), "");

    flash::character* picture = cursor->cursorClip();
    script("getMouse():onOverItem(true)");
    EXPECT_EQ(picture->get_current_frame(), 1);
    script("getMouse():overElement('cursor_penalty')");
    EXPECT_EQ(picture->get_current_frame(), 2);
    script("getMouse():setCursorVisible(false)");
    EXPECT_FALSE(picture->get_visible());
    script("getMouse():setVisible(false)");  // the base class's method
    EXPECT_FALSE(cursor->isVisible());

    script("kept = getMouse()");
    delete cursor;
    EXPECT_EQ(MouseCursor::instance(), nullptr);
    lua_getglobal(L, "kept");
    EXPECT_TRUE(ScriptBinding::isStaleHandle(L, -1));
    EXPECT_EQ(ScriptBinding::getArg<MouseCursor>(L, -1), nullptr);
    lua_pop(L, 1);
    // Its methods find no object and do nothing.
    EXPECT_EQ(script("kept:setCursorVisible(true); kept:setConnElem(nil, true); result = kept:getConnectedName()"), "");
    EXPECT_EQ(script("result = getMouse()"), "nil");
    EXPECT_EQ(script("result = mouse()"), "nil");
}

// A data folder of its own with a cursor movie of another size than the window (or none).
class CursorMovie : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
};

TEST_F(CursorMovie, ScalesAreTheMovieAgainstTheWindow) {
    apptest::writeGameData(dir.path());
    demo::Movie movie;
    movie.file = "cursor.swf";
    movie.width = 512;
    movie.height = 192;
    demo::Clip picture;
    picture.name = "default_cursor";
    picture.w = picture.h = 16;
    movie.clips = {picture};
    const swf::Bytes bytes = demo::buildMovie(movie);
    testsupport::writeFile(dir.path() / "data" / "movies" / "cursor.swf", std::string(bytes.begin(), bytes.end()));
    testsupport::GameFixture game(dir.path());
    ASSERT_TRUE(game.start());
    ASSERT_NE(MouseCursor::instance(), nullptr);
    EXPECT_EQ(CMyD3DApplication::instance()->getWidth(), 1024);
    EXPECT_FLOAT_EQ(MouseCursor::instance()->scaleX(), 0.5f);
    EXPECT_FLOAT_EQ(MouseCursor::instance()->scaleY(), 0.25f);
    EXPECT_NE(game.log().find("MESSAGE\tmScales.x = 0.5, mScales.y = 0.25"), std::string::npos) << game.log();
}

TEST_F(CursorMovie, AMissingMovieLogsItsErrorAndKeepsTheSystemCursor) {
    apptest::GameDataOptions options;
    options.cursor = false;
    apptest::writeGameData(dir.path(), options);
    testsupport::GameFixture game(dir.path());
    const int before = platform::gfx::cursorDisplayCount();
    ASSERT_TRUE(game.start());
    MouseCursor* cursor = MouseCursor::instance();
    ASSERT_NE(cursor, nullptr);
    EXPECT_NE(game.log().find("ERROR\tcursor.swf not found in MouseCursor::MouseCursor"), std::string::npos)
        << game.log();
    EXPECT_EQ(cursor->cursorClip(), nullptr);
    EXPECT_EQ(platform::gfx::cursorDisplayCount(), before + 1);
    // Everything that needs the movie does nothing.
    cursor->setCursor("default_cursor", 0);
    cursor->setPosition(3, 4);
    cursor->startPenalty();
    cursor->update(5.0f);
    cursor->hideConnected();
    cursor->restoreConnected();
    EXPECT_FALSE(cursor->isVisible());
}

}  // namespace
