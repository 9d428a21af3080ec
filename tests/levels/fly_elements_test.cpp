// The fly elements on clips of a movie made here: a turn flight's fade, swell and turn by the
// step, its end hiding the clip and its owner's; a clip paused at "start_hide" and resumed; the
// busy rule; contour flights home under plain, scaled and turned parents; anim flights that stop
// or loop; the frame advancing them and a level start clearing them.
#include <cmath>
#include <string>
#include <vector>

#include "app/mouse_cursor.h"
#include "flash/movie/sprite_instance.h"
#include "levels/fly_elements.h"
#include "levels/level_manager.h"
#include "tests/levels/level_fixture.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"
#include "vfs/vfs_manager.h"

namespace leveltest {
namespace {

constexpr int kTwips = 20;
constexpr float kTolerance = 1e-3f;
constexpr float kPi = 3.14159265f;

uint16_t clipSprite(swf::MovieWriter& movie, uint16_t shape, int frames, int labelAt, bool stopAtEnd) {
    swf::SpriteWriter s = movie.sprite();
    s.place_object2(swf::PlaceObject::place(1, shape));
    for (int i = 0; i < frames; ++i) {
        if (i == labelAt) s.frame_label(levels::TurnFlyElement::kPauseLabel);
        if (stopAtEnd && i == frames - 1) s.do_action({0x07, 0x00});  // stop, end
        s.show_frame();
    }
    return movie.define_sprite(s);
}

void place(swf::MovieWriter& movie, uint16_t depth, uint16_t id, const char* name, int x, int y) {
    swf::PlaceObject p = swf::PlaceObject::place(depth, id);
    p.name = name;
    p.matrix = swf::Matrix::translation(x * kTwips, y * kTwips);
    movie.place_object2(p);
}

// "plain" (1 frame), "owned" (1 frame), "hider" (5 frames, "start_hide" on frame 2), "short"
// (2 frames, the label on frame 1), "looper" (3 frames, no stop), "stopper" (3 frames, stops on
// its last) and "holder" (at 200, 150) holding "piece" (2 frames, at 50, 40 in it).
std::string flyMovie() {
    swf::MovieWriter movie(8);
    movie.frame_rect({0, 1024 * kTwips, 0, 768 * kTwips});
    movie.frame_rate(30);
    const uint16_t square = movie.define_shape(swf::filled_rect(0, 0, 20 * kTwips, 20 * kTwips, {255, 0, 0, 255}));
    const uint16_t one = clipSprite(movie, square, 1, -1, false);
    const uint16_t hider = clipSprite(movie, square, 5, 2, false);
    const uint16_t two = clipSprite(movie, square, 2, 1, false);
    const uint16_t looper = clipSprite(movie, square, 3, -1, false);
    const uint16_t stopper = clipSprite(movie, square, 3, -1, true);
    const uint16_t piece = clipSprite(movie, square, 2, -1, true);
    swf::SpriteWriter holder = movie.sprite();
    swf::PlaceObject p = swf::PlaceObject::place(1, piece);
    p.name = "piece";
    p.matrix = swf::Matrix::translation(50 * kTwips, 40 * kTwips);
    holder.place_object2(p);
    holder.show_frame();
    const uint16_t holderId = movie.define_sprite(holder);
    place(movie, 1, one, "plain", 100, 100);
    place(movie, 2, one, "owned", 120, 100);
    place(movie, 3, hider, "hider", 300, 100);
    place(movie, 4, two, "short", 340, 100);
    place(movie, 5, looper, "looper", 400, 100);
    place(movie, 6, stopper, "stopper", 440, 100);
    place(movie, 7, holderId, "holder", 200, 150);
    movie.show_frame();
    movie.end();
    const swf::Bytes bytes = movie.finish_fws();
    return std::string(bytes.begin(), bytes.end());
}

class Flights : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        testsupport::writeFile(LevelGame::instance()->folder() / "data" / "levels" / "flytest.swf", flyMovie());
        // The game listed its folders at start-up.
        ASSERT_TRUE(VFS::VFSManager::instance()->rescan("data\\levels"));
        level = topLevel("flytest", description("flytest", stringKey("FileName", "flytest.swf")));
        current.level = level;
        manager = FlyElementsManager::instance();
        ASSERT_NE(manager, nullptr);
        manager->clear();
    }
    void TearDown() override {
        if (manager) manager->clear();
        LevelTest::TearDown();
    }
    flash::sprite_instance* sprite(const std::string& name) {
        return flash::cast_to<flash::sprite_instance>(clip(level, name));
    }
    // Moves a clip on by one frame, as the level's movie does.
    static void step(flash::sprite_instance* s, int frames = 1) {
        for (int i = 0; i < frames; ++i) s->advance(0.0f);
    }
    static float alphaOf(const flash::character* c) { return c->get_cxform().m_[3][0]; }

    TestLevel* level = nullptr;
    FlyElementsManager* manager = nullptr;
};

TEST_F(Flights, TheManagerIsCreatedAtStartUpAndAdvancedByTheFrame) {
    EXPECT_EQ(app::flyElements(), manager);
    flash::character* plain = clip(level, "plain");
    ASSERT_TRUE(manager->addTurnFly(plain, true, false));
    LevelGame::instance()->game().skipLogos();
    // The first step runs at t = 0 (alpha 1), the second fades.
    LevelGame::instance()->game().runFrames(2);
    EXPECT_LT(alphaOf(plain), 1.0f) << "the frame advanced the flight";
    manager->clear();
    EXPECT_FLOAT_EQ(alphaOf(plain), 1.0f);
}

TEST_F(Flights, ATurnFlightFadesAndSwellsOverOneSecondAndTurnsOnlyWithRotate) {
    constexpr float kStep = 0.25f;
    // After update k (t was 0.25 * (k - 1) before it): alpha 1 - t, scale 1 + |sin t|.
    const float alphas[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.0f};
    const float scales[] = {1.0f, 1.247404f, 1.479426f, 1.681639f, 1.841471f};
    for (bool rotate : {true, false}) {
        SCOPED_TRACE(rotate ? "rotate" : "no rotate");
        flash::character* plain = clip(level, "plain");
        flash::character* owned = clip(level, "owned");
        plain->set_visible(true);
        owned->set_visible(true);
        BaseElement owner(BaseElement::kKindHidden, "owner", "");
        owner.setCharacter(owned);
        levels::ClipOwner::setOwnerOf(plain, &owner);
        const flash::matrix saved = plain->get_matrix();
        ASSERT_TRUE(manager->addTurnFly(plain, rotate, false));
        EXPECT_FALSE(manager->isBusy());
        for (int k = 0; k < 5; ++k) {
            manager->update(kStep);
            ASSERT_EQ(manager->count(), 1u) << "update " << k + 1 << ": the step at t = 1.0 still runs";
            const flash::matrix m = plain->get_matrix();
            EXPECT_NEAR(alphaOf(plain), alphas[k], kTolerance) << k;
            EXPECT_NEAR(m.get_x_scale(), scales[k], kTolerance) << k;
            EXPECT_NEAR(m.get_y_scale(), scales[k], kTolerance) << k;
            EXPECT_NEAR(m.get_rotation(), rotate ? kStep * static_cast<float>(k + 1) : 0.0f, kTolerance) << k;
            EXPECT_FLOAT_EQ(m.m_[0][2], saved.m_[0][2]) << "it stays where it is";
            EXPECT_TRUE(plain->get_visible());
        }
        manager->update(kStep);
        EXPECT_EQ(manager->count(), 0u) << "past one second it is done and deleted at once";
        EXPECT_FALSE(plain->get_visible());
        EXPECT_FALSE(owned->get_visible()) << "the owning element's clip is hidden too";
        EXPECT_FLOAT_EQ(alphaOf(plain), 1.0f);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(plain->get_matrix().m_[r][c], saved.m_[r][c]);
        levels::ClipOwner::setOwnerOf(plain, nullptr);
    }
}

TEST_F(Flights, AClipWithStartHidePausesThereBlockingAndAPressPlaysItToItsEnd) {
    flash::sprite_instance* hider = sprite("hider");
    ASSERT_NE(hider, nullptr);
    ASSERT_EQ(hider->getLabeledFrame("start_hide"), 2);
    step(hider);
    ASSERT_TRUE(manager->addTurnFly(hider, true, false));
    EXPECT_EQ(hider->get_current_frame(), 0);
    EXPECT_TRUE(manager->isBusy());
    // A press before it reaches the label changes nothing: the clip still plays.
    manager->continueBlocking();
    struct Frame {
        int frame;
        int playState;
    };
    const Frame toLabel[] = {{1, flash::character::PLAY}, {2, flash::character::PLAY}, {2, flash::character::STOP},
                             {2, flash::character::STOP}, {2, flash::character::STOP}};
    for (const Frame& f : toLabel) {
        step(hider);
        manager->update(0.1f);
        EXPECT_EQ(hider->get_current_frame(), f.frame);
        EXPECT_EQ(hider->get_play_state(), f.playState) << "it waits at the label, not starting over";
        EXPECT_TRUE(manager->isBusy());
        EXPECT_EQ(manager->count(), 1u);
    }
    const flash::matrix m = hider->get_matrix();
    EXPECT_NEAR(m.get_rotation(), 0.0f, kTolerance) << "an animated clip does not turn";
    EXPECT_NEAR(alphaOf(hider), 1.0f, kTolerance) << "nor fade";
    manager->continueBlocking();
    const int toEnd[] = {3, 4, 4};
    for (size_t i = 0; i < 3; ++i) {
        step(hider);
        EXPECT_EQ(hider->get_current_frame(), toEnd[i]) << "it ends on its last frame";
    }
    EXPECT_TRUE(manager->isBusy()) << "until the manager's next update";
    manager->update(0.1f);
    EXPECT_EQ(manager->count(), 0u);
    EXPECT_FALSE(manager->isBusy());
    EXPECT_FALSE(hider->get_visible());
}

TEST_F(Flights, OnlyTheLastFlightDecidesBusyAndBlockingRefusesAddsWithoutForce) {
    flash::character* hider = clip(level, "hider");
    flash::character* plain = clip(level, "plain");
    flash::character* piece = clip(level, "piece");
    flash::character* looper = clip(level, "looper");
    struct Add {
        const char* what;
        int kind;  // 0 turn, 1 contour, 2 anim
        flash::character* clip;
        bool force;
        size_t countAfter;
        bool busyAfter;
    };
    const Add adds[] = {
        {"a blocking turn", 0, hider, false, 1, true},
        {"a turn, no force", 0, plain, false, 1, true},
        {"a contour, no force", 1, piece, false, 1, true},
        {"an anim, no force", 2, looper, false, 1, true},
        {"a forced turn (not blocking)", 0, plain, true, 2, false},
        {"a contour after it", 1, piece, false, 3, false},
        {"a forced blocking turn again", 0, hider, true, 4, true},
        {"a forced anim", 2, looper, true, 5, false},
        {"no clip", 2, nullptr, true, 5, false},
    };
    for (const Add& a : adds) {
        SCOPED_TRACE(a.what);
        if (a.kind == 0) manager->addTurnFly(a.clip, true, a.force);
        if (a.kind == 1) manager->addContourFly(a.clip, false, a.force);
        if (a.kind == 2) manager->addAnimFly(a.clip, a.force);
        EXPECT_EQ(manager->count(), a.countAfter);
        EXPECT_EQ(manager->isBusy(), a.busyAfter);
    }
    // A flight of a clip with only 2 frames does not pause, label or not.
    manager->clear();
    EXPECT_TRUE(manager->addTurnFly(clip(level, "short"), true, false));
    EXPECT_FALSE(manager->isBusy());
}

TEST_F(Flights, AContourFlightLandsHomeUnderPlainScaledAndTurnedParents) {
    MouseCursor* cursor = MouseCursor::instance();
    ASSERT_NE(cursor, nullptr);
    ASSERT_NE(cursor->cursorClip(), nullptr);
    struct Case {
        const char* what;
        float scale;
        float angle;
        int cursorX, cursorY;  // pixels; -1: 3 and 4 pixels off home
        int mostUpdates;
        // The parent moves after each update by this share of the piece's own step, backwards.
        float drift = 0.0f;
    };
    const Case cases[] = {
        {"plain parent", 1.0f, 0.0f, 400, 300, 25},
        {"parent scaled by 2", 2.0f, 0.0f, 400, 300, 25},
        {"parent scaled by 0.5", 0.5f, 0.0f, 400, 300, 25},
        {"parent turned by 45 degrees", 1.0f, kPi / 4.0f, 400, 300, 25},
        {"start within 5 pixels", 1.0f, 0.0f, -1, -1, 1},
        // Moving away faster than the piece flies, home never comes closer: it ends at once.
        {"parent moving away fast", 1.0f, 0.0f, 400, 300, 2, 2.0f},
        // Moving away at half its speed, it would need 50 steps: the cap ends it at 25.
        {"parent moving away slowly", 1.0f, 0.0f, 400, 300, 25, 0.5f},
    };
    flash::character* holder = clip(level, "holder");
    flash::sprite_instance* piece = sprite("piece");
    ASSERT_NE(piece, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        flash::matrix parent = holder->get_matrix();
        parent.set_scale_rotation(c.scale, c.scale, c.angle);
        holder->set_matrix(parent);
        piece->goto_frame(0);
        piece->set_visible(false);
        const flash::matrix start = piece->get_matrix();
        const flash::matrix home = piece->get_world_matrix();
        if (c.cursorX < 0)
            cursor->setPosition(static_cast<int>(home.m_[0][2] / kTwips) + 3, static_cast<int>(home.m_[1][2] / kTwips) + 4);
        else
            cursor->setPosition(c.cursorX, c.cursorY);
        const float stepX = (home.m_[0][2] - cursor->cursorClip()->get_world_matrix().m_[0][2]) *
                            levels::ContourFlyElement::kStepShare;
        ASSERT_TRUE(manager->addContourFly(piece, false, false));
        EXPECT_TRUE(piece->get_visible()) << "shown at the cursor";
        EXPECT_FALSE(manager->isBusy());
        if (c.scale == 1.0f && c.angle == 0.0f) {
            const flash::matrix pointer = cursor->cursorClip()->get_world_matrix();
            EXPECT_NEAR(piece->get_world_matrix().m_[0][2], pointer.m_[0][2], kTolerance);
            EXPECT_NEAR(piece->get_world_matrix().m_[1][2], pointer.m_[1][2], kTolerance);
        }
        int updates = 0;
        while (manager->count() > 0 && updates < 100) {
            manager->update(1.0f / 30.0f);
            ++updates;
            flash::matrix moved = holder->get_matrix();
            moved.m_[0][2] -= c.drift * stepX;
            holder->set_matrix(moved);
        }
        EXPECT_EQ(manager->count(), 0u) << "it never flies for ever";
        EXPECT_LE(updates, c.mostUpdates);
        if (c.drift > 0.0f) EXPECT_EQ(updates, c.mostUpdates);
        if (c.scale == 1.0f && c.angle == 0.0f && c.cursorX > 0 && c.drift == 0.0f) {
            EXPECT_EQ(updates, 25) << "1/25 of the way a frame";
        }
        for (int r = 0; r < 2; ++r)
            for (int col = 0; col < 3; ++col) EXPECT_FLOAT_EQ(piece->get_matrix().m_[r][col], start.m_[r][col]);
        EXPECT_TRUE(piece->get_visible());
        EXPECT_EQ(piece->get_current_frame(), 1);
        holder->set_matrix(flash::matrix());
    }
}

TEST_F(Flights, AContourStepIsAShareOfTheWayWhateverTheStepAndRotateTurnsIt) {
    MouseCursor::instance()->setPosition(400, 300);
    flash::character* piece = clip(level, "piece");
    const flash::matrix home = piece->get_world_matrix();
    const flash::matrix pointer = MouseCursor::instance()->cursorClip()->get_world_matrix();
    ASSERT_TRUE(manager->addContourFly(piece, true, false));
    const float x0 = piece->get_world_matrix().m_[0][2];
    for (float dt : {0.0f, 0.5f}) {
        const float before = piece->get_world_matrix().m_[0][2];
        const float rotation = piece->get_matrix().get_rotation();
        manager->update(dt);
        EXPECT_NEAR(piece->get_world_matrix().m_[0][2] - before, (home.m_[0][2] - pointer.m_[0][2]) * 0.04f, 0.01f);
        EXPECT_NEAR(piece->get_matrix().get_rotation() - rotation, 3.0f * dt, kTolerance);
    }
    EXPECT_NE(piece->get_world_matrix().m_[0][2], x0);
}

TEST_F(Flights, AnAnimFlightEndsWhenItsClipStopsOrWrapsWithOneWarning) {
    struct Case {
        const char* clip;
        int warnings;
    };
    for (const Case& c : {Case{"stopper", 0}, Case{"looper", 1}}) {
        SCOPED_TRACE(c.clip);
        flash::sprite_instance* s = sprite(c.clip);
        ASSERT_NE(s, nullptr);
        s->goto_frame(0);
        s->set_play_state(flash::character::STOP, true);
        const size_t mark = LevelGame::instance()->game().log().size();
        ASSERT_TRUE(manager->addAnimFly(s, false));
        EXPECT_EQ(s->get_play_state(), flash::character::PLAY) << "the flight plays the clip";
        int updates = 0;
        while (manager->count() > 0 && updates < 20) {
            step(s);
            manager->update(0.1f);
            ++updates;
        }
        EXPECT_EQ(manager->count(), 0u);
        EXPECT_LE(updates, 4);
        const std::string log = LevelGame::instance()->game().log().substr(mark);
        EXPECT_EQ(count(log, "WARNING"), static_cast<size_t>(c.warnings)) << log;
        if (c.warnings) {
            EXPECT_NE(log.find("looper"), std::string::npos) << log;
        }
    }
}

TEST_F(Flights, DeletingFlightsEarlyRestoresTheirClips) {
    flash::character* plain = clip(level, "plain");
    flash::character* piece = clip(level, "piece");
    const flash::matrix plainMatrix = plain->get_matrix();
    const flash::matrix pieceMatrix = piece->get_matrix();
    MouseCursor::instance()->setPosition(700, 500);
    ASSERT_TRUE(manager->addTurnFly(plain, true, false));
    ASSERT_TRUE(manager->addContourFly(piece, false, false));
    for (int i = 0; i < 3; ++i) manager->update(0.25f);
    ASSERT_NE(plain->get_matrix().m_[0][0], plainMatrix.m_[0][0]);
    ASSERT_NE(piece->get_matrix().m_[0][2], pieceMatrix.m_[0][2]);
    manager->clear();
    EXPECT_EQ(manager->count(), 0u);
    EXPECT_FLOAT_EQ(plain->get_matrix().m_[0][0], plainMatrix.m_[0][0]);
    EXPECT_FLOAT_EQ(alphaOf(plain), 1.0f);
    EXPECT_FLOAT_EQ(piece->get_matrix().m_[0][2], pieceMatrix.m_[0][2]);
    EXPECT_FLOAT_EQ(piece->get_matrix().m_[1][2], pieceMatrix.m_[1][2]);
}

TEST_F(Flights, ALevelStartClearsTheFlights) {
    ASSERT_TRUE(manager->addTurnFly(clip(level, "plain"), true, false));
    LevelManager* levels = LevelManager::instance();
    ASSERT_NE(levels, nullptr);
    // The room's own kind may not be built: the test kind stands in.
    const levels::LevelMaker earlier =
        levels::setLevelMaker("hidden", [](BaseLevel* parent) -> BaseLevel* { return new TestLevel(parent); });
    EXPECT_TRUE(levels->startLevel("room")) << logSince();
    EXPECT_EQ(manager->count(), 0u);
    levels->clear();
    levels::setLevelMaker("hidden", earlier);
    app::setLevelControl(&current);
}

}  // namespace
}  // namespace leveltest
