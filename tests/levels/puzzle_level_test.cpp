// The puzzle: the largest piece placed at start, carrying and the snap distance, turning by the
// rotate area and the right button, d_NeedRotate, the drop on the work area at any layer scale,
// skip and the closing animation, a one-piece puzzle, and the descriptions it refuses.
#include <cmath>

#include "app/mouse_cursor.h"
#include "input/input_event.h"
#include "levels/puzzle_level.h"
#include "tests/levels/minigame_fixture.h"

namespace minigametest {
namespace {

constexpr float kHalfPi = 1.5707963f;

class Puzzle : public MinigameTest {
protected:
    void SetUp() override {
        MinigameTest::SetUp();
        cursor = MouseCursor::instance();
        ASSERT_NE(cursor, nullptr);
    }
    // Picks the piece up and turns it upright with the rotate area.
    void carryUpright(PuzzleLevel* level, PuzzlePart* part) {
        ASSERT_TRUE(press(part->getCharacter()));
        ASSERT_EQ(level->carriedPiece(), part);
        for (int i = 0; i < 4 && part->angle() != 0.0f; ++i) ASSERT_TRUE(press(clip(level, PuzzleLevel::kRotateArea)));
        ASSERT_EQ(part->angle(), 0.0f);
    }
    // Frames until the level is complete (the picture's closing animation plays in them).
    bool playToEnd(PuzzleLevel* level) {
        for (int i = 0; i < 100 && !level->isComplete(); ++i) game().runFrames(1);
        return level->isComplete();
    }
    static MouseEvent rightPress() {
        MouseEvent event;
        event.type = MOUSE_PRESSED;
        event.button = PuzzleLevel::kRightButton;
        return event;
    }
    // The level started and two frames played, as a player would find it.
    PuzzleLevel* startPuzzle(const char* name) {
        PuzzleLevel* level = this->start<PuzzleLevel>(name);
        game().runFrames(2);
        return level;
    }
    static int pictureFrame(PuzzleLevel* level) {
        return flash::cast_to<flash::sprite_instance>(level->findCharacter(PuzzleLevel::kPicture, true))->get_current_frame();
    }
    MouseCursor* cursor = nullptr;
};

TEST_F(Puzzle, TheLargestPieceStartsPlacedAndTheOthersLieInTheirScatterAreas) {
    PuzzleLevel* level = startPuzzle("puzzle");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->getLevelKind(), BaseLevel::kKindPuzzle);
    ASSERT_EQ(level->pieceCount(), 4);
    EXPECT_EQ(level->placedCount(), 1);
    // pzl_Piece1 is drawn 200 pixels wide, the others 196.
    PuzzlePart* largest = level->piece(0);
    EXPECT_EQ(largest->getCharacter()->get_event_callback(), nullptr) << "placed: it takes no presses";
    EXPECT_FLOAT_EQ(tx(largest->getCharacter()), 312 * 20.0f);
    EXPECT_FLOAT_EQ(ty(largest->getCharacter()), 100 * 20.0f);
    float firstX[4] = {};
    for (int i = 1; i < 4; ++i) {
        PuzzlePart* part = level->piece(i);
        flash::character* ch = part->getCharacter();
        EXPECT_NE(ch->get_event_callback(), nullptr);
        // Scatter area i: 20 + 190 i, 430, 170 x 30.
        const float x = tx(ch) / 20.0f, y = ty(ch) / 20.0f;
        EXPECT_GE(x, 20 + 190 * i);
        EXPECT_LE(x, 20 + 190 * i + 170);
        EXPECT_GE(y, 430);
        EXPECT_LE(y, 460);
        firstX[i] = x;
        EXPECT_FLOAT_EQ(part->homeX(), i % 2 ? 512.0f : 312.0f);
    }
    EXPECT_TRUE(panelFlags() & MainPanel::kSkipShown);
    // A restart scatters anew.
    level->restart();
    int moved = 0;
    for (int i = 1; i < 4; ++i) moved += tx(level->piece(i)->getCharacter()) / 20.0f != firstX[i];
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(level->placedCount(), 1);
}

TEST_F(Puzzle, APieceSnapsWithin30PixelsOfItsHomeAndOnlyUpright) {
    const struct {
        float offset;  // pixels right of home
        bool turned;
        bool snaps;
    } cases[] = {{29, false, true}, {30, false, true}, {31, false, false}, {0, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << (c.turned ? " turned" : ""));
        PuzzleLevel* level = startPuzzle("puzzle");
        ASSERT_NE(level, nullptr);
        PuzzlePart* part = level->piece(1);
        carryUpright(level, part);
        if (c.turned) press(clip(level, PuzzleLevel::kRotateArea));
        cursor->setPosition(static_cast<int>(part->homeX() + c.offset), static_cast<int>(part->homeY()));
        ASSERT_TRUE(press(clip(level, PuzzleLevel::kPicture)));
        EXPECT_EQ(level->placedCount(), c.snaps ? 2 : 1);
        EXPECT_EQ(level->carriedPiece(), c.snaps ? nullptr : part) << "a piece that does not snap stays carried";
        if (c.snaps) {
            EXPECT_EQ(part->getCharacter()->get_event_callback(), nullptr);
            EXPECT_FLOAT_EQ(tx(part->getCharacter()), part->homeMatrix().m_[0][2]);
            EXPECT_FLOAT_EQ(ty(part->getCharacter()), part->homeMatrix().m_[1][2]);
        }
        LevelManager::instance()->clear();
    }
}

TEST_F(Puzzle, TheRotateAreaAndTheRightButtonTurnTheCarriedPieceAndFourTurnsAreAFullOne) {
    PuzzleLevel* level = startPuzzle("puzzle");
    ASSERT_NE(level, nullptr);
    PuzzlePart* part = level->piece(2);
    // Nothing carried: the right button and the rotate area do nothing.
    MouseEvent right = rightPress();
    const float before = part->angle();
    EXPECT_FALSE(level->onInputEvent(&right));
    press(clip(level, PuzzleLevel::kRotateArea));
    EXPECT_EQ(part->angle(), before);
    EXPECT_EQ(soundCount("click1"), 0u);

    carryUpright(level, part);
    sounds.clear();
    const float expected[] = {kHalfPi, 2 * kHalfPi, 3 * kHalfPi, 0.0f};
    for (float angle : expected) {
        MouseEvent event = rightPress();
        EXPECT_TRUE(level->onInputEvent(&event));
        EXPECT_NEAR(part->angle(), angle, 1e-5f);
        EXPECT_EQ(level->carriedPiece(), part) << "the right button does not put the piece back";
    }
    EXPECT_EQ(part->angle(), 0.0f) << "exactly upright again";
    EXPECT_EQ(soundCount("click1"), 4u);
    press(clip(level, PuzzleLevel::kRotateArea));
    EXPECT_NEAR(part->angle(), kHalfPi, 1e-5f);
    EXPECT_NEAR(std::fabs(part->getCharacter()->get_matrix().get_rotation()), kHalfPi, 1e-4f);
    EXPECT_EQ(soundCount("click1"), 5u);
}

TEST_F(Puzzle, WithoutNeedRotateNoPieceIsEverTurned) {
    d_NeedRotate->value.b = false;
    PuzzleLevel* level = startPuzzle("puzzle");
    ASSERT_NE(level, nullptr);
    for (int restart = 0; restart < 20; ++restart) {
        for (int i = 0; i < 4; ++i) ASSERT_EQ(level->piece(i)->angle(), 0.0f);
        level->restart();
    }
    PuzzlePart* part = level->piece(3);
    ASSERT_TRUE(press(part->getCharacter()));
    press(clip(level, PuzzleLevel::kRotateArea));
    MouseEvent right = rightPress();
    level->onInputEvent(&right);
    EXPECT_EQ(part->angle(), 0.0f);
}

TEST_F(Puzzle, PressesWithNothingCarriedOnThePictureOrTheAreasCarryNothing) {
    PuzzleLevel* level = startPuzzle("puzzle");
    ASSERT_NE(level, nullptr);
    for (const char* name : {PuzzleLevel::kPicture, PuzzleLevel::kWorkArea, PuzzleLevel::kRotateArea}) {
        ASSERT_TRUE(press(clip(level, name))) << name;
        EXPECT_EQ(cursor->connectedElement(), nullptr) << name;
    }
    // Another piece pressed while one is carried stays where it is.
    ASSERT_TRUE(press(level->piece(1)->getCharacter()));
    level->handleEvent(level->piece(2)->getCharacter(), 1);
    EXPECT_EQ(level->carriedPiece(), level->piece(1));
}

TEST_F(Puzzle, ADropOnTheWorkAreaLandsUnderTheCursorAtAnyLayerScale) {
    for (float scale : {0.5f, 1.0f}) {
        SCOPED_TRACE(scale);
        PuzzleLevel* level = startPuzzle("puzzle");
        ASSERT_NE(level, nullptr);
        flash::character* layer = clip(level, PuzzleLevel::kPiecesLayer);
        flash::matrix m = layer->get_matrix();
        m.set_scale_rotation(scale, scale, 0.0f);
        m.m_[0][2] = 100 * 20.0f;
        m.m_[1][2] = 50 * 20.0f;
        layer->set_matrix(m);
        PuzzlePart* part = level->piece(1);
        ASSERT_TRUE(press(part->getCharacter()));
        cursor->setPosition(400, 300);
        ASSERT_TRUE(press(clip(level, PuzzleLevel::kWorkArea)));
        EXPECT_EQ(cursor->connectedElement(), nullptr);
        const flash::matrix world = part->getCharacter()->get_world_matrix();
        EXPECT_NEAR(world.m_[0][2] / 20.0f, 400.0f, 0.01f);
        EXPECT_NEAR(world.m_[1][2] / 20.0f, 300.0f, 0.01f);
        // With the layer at 0.5 that is twice the cursor's offset from the layer.
        if (scale == 0.5f) EXPECT_NEAR(tx(part->getCharacter()) / 20.0f, 2 * (400 - 100), 0.01f);
        LevelManager::instance()->clear();
    }
}

TEST_F(Puzzle, PlacingEveryPiecePlaysThePicturesClosingAnimationAndCompletesAtItsStop) {
    PuzzleLevel* level = startPuzzle("puzzle");
    ASSERT_NE(level, nullptr);
    for (int i = 1; i < 4; ++i) {
        PuzzlePart* part = level->piece(i);
        carryUpright(level, part);
        cursor->setPosition(static_cast<int>(part->homeX()), static_cast<int>(part->homeY()));
        ASSERT_TRUE(press(clip(level, PuzzleLevel::kPicture)));
    }
    EXPECT_EQ(level->placedCount(), 4);
    level->update(0.1f);
    EXPECT_FALSE(clip(level, PuzzleLevel::kPiecesLayer)->get_visible());
    EXPECT_EQ(soundCount("glass_collection"), 1u);
    EXPECT_FALSE(level->isComplete()) << "not before the animation stops";
    ASSERT_TRUE(playToEnd(level));
    auto* picture = flash::cast_to<flash::sprite_instance>(clip(level, PuzzleLevel::kPicture));
    EXPECT_EQ(picture->get_current_frame(), picture->get_frame_count() - 1);
}

TEST_F(Puzzle, SkipPlacesEveryPieceAndHidesTheSkipButton) {
    PuzzleLevel* level = startPuzzle("puzzle");
    ASSERT_NE(level, nullptr);
    // A piece on the cursor goes back first.
    ASSERT_TRUE(press(level->piece(2)->getCharacter()));
    ASSERT_TRUE(panelFlags() & MainPanel::kSkipShown);
    EXPECT_TRUE(level->skip());
    EXPECT_FALSE(panelFlags() & MainPanel::kSkipShown);
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_EQ(level->placedCount(), 4);
    for (int i = 0; i < 4; ++i) {
        flash::character* ch = level->piece(i)->getCharacter();
        EXPECT_FLOAT_EQ(tx(ch), level->piece(i)->homeMatrix().m_[0][2]) << i;
        EXPECT_EQ(ch->get_matrix().get_rotation(), 0.0f) << i;
    }
    EXPECT_TRUE(playToEnd(level));
    EXPECT_EQ(pictureFrame(level), 11);
}

TEST_F(Puzzle, APuzzleOfOnePieceStartsSolvedAndCompletesAfterTheAnimation) {
    PuzzleLevel* level = startPuzzle("puzzle_one");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->pieceCount(), 1);
    EXPECT_EQ(level->placedCount(), 1);
    EXPECT_TRUE(playToEnd(level));
    EXPECT_EQ(soundCount("glass_collection"), 1u);
    EXPECT_EQ(pictureFrame(level), 11) << "the animation's last frame";
}

TEST_F(Puzzle, DescriptionsThatCannotBePlayedFailTheirSetUp) {
    expectStartsFail({
        {"puzzle_negative", "ERROR\tPuzzleLevel::initInternal PiecesNumber <= 0"},
        {"puzzle_none", "ERROR\tPuzzleLevel::initInternal PiecesNumber <= 0"},
        {"puzzle_five", "ERROR\tPuzzleLevel::initInternal PiecesNumber 5 is above the piece clips of the movie"},
        {"puzzle_huge", "ERROR\tPuzzleLevel::initInternal PiecesNumber 2000000000 is above 256"},
        {"puzzle_few", "ERROR\tPuzzleLevel::initInternal 2 PuzzleArea clips for 4 pieces"},
        {"puzzle_gap", "WARNING\tnot find element pzl_Piece2"},
    });
}

}  // namespace
}  // namespace minigametest
