// The rotator: start turns of a quarter or a half turn only, the presses each start turn needs,
// the grow-turn-shrink phases by the clock, presses during a turn, the upright count, a missing
// piece clip, and the descriptions it refuses.
#include <cmath>
#include <map>

#include "levels/rotator_level.h"
#include "tests/levels/minigame_fixture.h"

namespace minigametest {
namespace {

constexpr float kHalfPi = 1.5707963f;
constexpr float kPi = 3.1415927f;
constexpr float kStep = 0.001f;  // a fine clock: the phases' lengths show to a millisecond

using Rotator = MinigameTest;

// Steps the level until the piece is idle again; the seconds it took.
float settle(RotatorLevel* level, RotatorPart* part) {
    float t = 0.0f;
    for (int i = 0; i < 5000 && (part->state() != RotatorPart::kIdle || part->pause() > 0.0f || t == 0.0f); ++i) {
        level->update(kStep);
        t += kStep;
    }
    return t;
}

TEST_F(Rotator, StartTurnsAreAQuarterOrAHalfTurnOverAThousandRestarts) {
    RotatorLevel* level = start<RotatorLevel>("rotator");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->getLevelKind(), BaseLevel::kKindRotator);
    ASSERT_EQ(level->pieceCount(), 4);
    std::map<int, int> seen;  // degrees -> count
    for (int restart = 0; restart < 1000; ++restart) {
        level->restart();
        for (int i = 0; i < 4; ++i) {
            const int degrees = static_cast<int>(std::lround(level->piece(i)->angle() * 180.0f / kPi));
            ++seen[degrees];
            // The clip shows the turn.
            const float shown = level->piece(i)->getCharacter()->get_matrix().get_rotation();
            EXPECT_NEAR(std::fabs(shown), degrees == 90 ? kHalfPi : kPi, 1e-3f);
        }
    }
    EXPECT_EQ(seen.size(), 2u) << "only 90 and 180 degrees";
    EXPECT_GT(seen[90], 1000);
    EXPECT_GT(seen[180], 1000);
    EXPECT_FALSE(level->skip()) << "no skip";
    EXPECT_FALSE(level->hint()) << "no hint";
}

TEST_F(Rotator, AHalfTurnNeedsTwoPressesAQuarterTurnThreeAndPressesWhileTurningDoNothing) {
    RotatorLevel* level = start<RotatorLevel>("rotator");
    ASSERT_NE(level, nullptr);
    for (int i = 0; i < 4; ++i) {
        RotatorPart* part = level->piece(i);
        const bool half = std::fabs(part->angle() - kPi) < 1e-3f;
        SCOPED_TRACE(part->getName() + (half ? " at 180" : " at 90"));
        int presses = 0;
        while (part->angle() != 0.0f && presses < 6) {
            ASSERT_TRUE(press(part->getCharacter()));
            ++presses;
            const float target = part->targetAngle();
            level->update(0.02f);
            ASSERT_TRUE(press(part->getCharacter())) << "a press during the turn";
            EXPECT_FLOAT_EQ(part->targetAngle(), target) << "is ignored";
            settle(level, part);
        }
        EXPECT_EQ(presses, half ? 2 : 3);
        EXPECT_EQ(part->getCharacter()->get_matrix().get_rotation(), 0.0f);
        EXPECT_FLOAT_EQ(part->getCharacter()->get_matrix().get_x_scale(), 1.0f);
    }
    level->update(kStep);
    EXPECT_EQ(level->uprightCount(), 4);
    EXPECT_TRUE(level->isComplete());
    EXPECT_TRUE(press(level->piece(0)->getCharacter()));
    EXPECT_EQ(level->piece(0)->state(), RotatorPart::kIdle) << "a complete level takes no turn";
}

TEST_F(Rotator, AQuarterTurnGrowsTurnsPausesAndShrinksByTheClock) {
    RotatorLevel* level = start<RotatorLevel>("rotator");
    ASSERT_NE(level, nullptr);
    RotatorPart* part = level->piece(0);
    // The last quarter of its way: it ends upright, counted only once still.
    while (std::fabs(part->angle() - 3 * kHalfPi) > 1e-3f) {
        ASSERT_TRUE(part->turnByClick());
        settle(level, part);
    }
    ASSERT_TRUE(press(part->getCharacter()));
    struct Phase {
        int state;
        bool paused;
        float seconds;  // how long the phase lasts
    };
    const Phase expected[] = {{RotatorPart::kGrowing, false, 0.05f}, {RotatorPart::kTurning, true, 0.05f},
                              {RotatorPart::kTurning, false, kHalfPi / 15.0f}, {RotatorPart::kShrinking, true, 0.05f},
                              {RotatorPart::kShrinking, false, 0.05f}};
    std::vector<std::pair<int, float>> phases;  // (state * 2 + paused, seconds)
    int uprightWhileMoving = 0;
    for (int i = 0; i < 1000 && part->state() != RotatorPart::kIdle; ++i) {
        const int key = part->state() * 2 + (part->pause() > 0.0f ? 1 : 0);
        if (phases.empty() || phases.back().first != key) phases.push_back({key, 0.0f});
        level->update(kStep);
        phases.back().second += kStep;
        if (part->state() != RotatorPart::kIdle && level->uprightCount() == 4) ++uprightWhileMoving;
    }
    ASSERT_EQ(phases.size(), std::size(expected));
    for (size_t i = 0; i < phases.size(); ++i) {
        EXPECT_EQ(phases[i].first, expected[i].state * 2 + (expected[i].paused ? 1 : 0)) << i;
        EXPECT_NEAR(phases[i].second, expected[i].seconds, 2.5 * kStep) << i;
    }
    EXPECT_EQ(uprightWhileMoving, 0) << "a piece counts upright only once still";
    EXPECT_EQ(part->angle(), 0.0f) << "360 degrees are 0";
}

TEST_F(Rotator, AMissingPieceClipIsSkippedWithAWarningAndTheLevelStillCompletes) {
    RotatorLevel* level = start<RotatorLevel>("rotator_gap");
    ASSERT_NE(level, nullptr);
    EXPECT_NE(logSince().find("WARNING\tRotatorLevel::restart not find element piece2"), std::string::npos);
    for (int i = 0; i < 4; ++i) {
        RotatorPart* part = level->piece(i);
        if (!part->getCharacter()) continue;
        for (int n = 0; n < 4 && part->angle() != 0.0f; ++n) {
            part->turnByClick();
            settle(level, part);
        }
    }
    level->update(kStep);
    EXPECT_EQ(level->uprightCount(), 4);
    EXPECT_TRUE(level->isComplete());
}

TEST_F(Rotator, ForceWinSendsEveryPieceHome) {
    RotatorLevel* level = start<RotatorLevel>("rotator");
    ASSERT_NE(level, nullptr);
    level->piece(1)->turnByClick();
    level->update(0.02f);
    level->forceWin();
    level->update(kStep);
    EXPECT_TRUE(level->isComplete());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(level->piece(i)->angle(), 0.0f);
        EXPECT_EQ(level->piece(i)->getCharacter()->get_matrix().get_rotation(), 0.0f);
    }
}

TEST_F(Rotator, DescriptionsClaimingNoPiecesOrMoreThanTheMovieHoldsFail) {
    expectStartsFail({
        {"rotator_zero", "ERROR\tRotatorLevel::initInternal PiecesNumber <= 0"},
        {"rotator_five", "ERROR\tRotatorLevel::initInternal PiecesNumber 5 is above the piece clips of the movie"},
        {"rotator_huge", "ERROR\tRotatorLevel::initInternal PiecesNumber 2000000000 is above 256"},
    });
}

}  // namespace
}  // namespace minigametest
