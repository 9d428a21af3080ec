// Elements on the demo room's clips: the animation queue through the four script functions, the
// end-of-animation callback, the event scripts and the update function, effects and copies.
#include <algorithm>
#include <array>
#include <cmath>

#include "particles/effect_mgr.h"
#include "particles/particle_effect.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {


// The room with its clips "cup_1" (at 250, 200 pixels) and "cup_2" (at 600, 250) as elements
// "cup" and "target", the room the current level.
class Elements : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        room = topLevel("room");
        current.level = room;
        cup = new BaseElement(0, "cup", "");
        cup->setCharacter(clip(room, "cup_1"));
        room->addElement(cup);
        target = new BaseElement(0, "target", "");
        target->setCharacter(clip(room, "cup_2"));
        room->addElement(target);
        ASSERT_NE(cup->getCharacter(), nullptr);
        ASSERT_NE(target->getCharacter(), nullptr);
        runLua("anim_end = 0");
    }
    float x() const { return cup->getCharacter()->get_matrix().m_[0][2]; }
    float y() const { return cup->getCharacter()->get_matrix().m_[1][2]; }
    float scale() const { return cup->getCharacter()->get_matrix().get_x_scale(); }
    float rotation() const { return cup->getCharacter()->get_matrix().get_rotation(); }
    int ends() const { return std::stoi(luaString("anim_end")); }

    TestLevel* room = nullptr;
    BaseElement* cup = nullptr;
    BaseElement* target = nullptr;
};

constexpr float kCupX = 250 * 20, kCupY = 200 * 20;
constexpr float kTargetX = 600 * 20, kTargetY = 250 * 20;

struct AnimationCase {
    const char* what;
    std::string call;
    // (time after the start, x, y, scale, rotation, alpha multiplier)
    std::vector<std::array<float, 6>> expect;
};

TEST_F(Elements, QueuedAnimationsPlayByTheirRecords) {
    const float kQuarter = 0.7853982f;  // 45 degrees
    const AnimationCase cases[] = {
        {"duration 0 jumps to the end", "set_anim_new('cup', 10, 0, 0, 0, 0, 'anim_end = anim_end + 1')",
         {{0.1f, kCupX + 200, kCupY, 1, 0, 1}}},
        {"dx 10 over 1 s, linearly", "set_anim_new('cup', 10, 0, 0, 0, 1, 'anim_end = anim_end + 1')",
         {{0.25f, kCupX + 50, kCupY, 1, 0, 1}, {0.5f, kCupX + 100, kCupY, 1, 0, 1}, {1.0f, kCupX + 200, kCupY, 1, 0, 1}}},
        {"rotation and scale", "set_anim_new('cup', 0, 0, 90, 1, 2, 'anim_end = anim_end + 1')",
         {{1.0f, kCupX, kCupY, 1.5f, kQuarter, 1}, {2.0f, kCupX, kCupY, 2.0f, 2 * kQuarter, 1}}},
        {"toward the target clip", "set_anim('cup', 'target', 1, 'anim_end = anim_end + 1')",
         {{0.5f, (kCupX + kTargetX) / 2, (kCupY + kTargetY) / 2, 1, 0, 1}, {1.0f, kTargetX, kTargetY, 1, 0, 1}}},
        {"ex 1: x only", "set_anim_ex('cup', 'target', 1, 1, 'anim_end = anim_end + 1')",
         {{1.0f, kTargetX, kCupY, 1, 0, 1}}},
        {"ex 2: y only", "set_anim_ex('cup', 'target', 2, 1, 'anim_end = anim_end + 1')",
         {{1.0f, kCupX, kTargetY, 1, 0, 1}}},
        {"ex 3: both", "set_anim_ex('cup', 'target', 3, 1, 'anim_end = anim_end + 1')",
         {{0.5f, (kCupX + kTargetX) / 2, (kCupY + kTargetY) / 2, 1, 0, 1}, {1.0f, kTargetX, kTargetY, 1, 0, 1}}},
        {"alpha to 0", "set_color_anim('cup', 1, 1, 1, 0, 1, 'anim_end = anim_end + 1')",
         {{0.5f, kCupX, kCupY, 1, 0, 0.5f}, {1.0f, kCupX, kCupY, 1, 0, 0}}},
    };
    for (const AnimationCase& c : cases) {
        const flash::matrix startMatrix = cup->getCharacter()->get_matrix();
        const flash::cxform startColour = cup->getCharacter()->get_cxform();
        runLua("anim_end = 0");
        ASSERT_EQ(runLua(c.call), 0) << c.what;
        ASSERT_EQ(cup->animationCount(), 1u) << c.what;
        float time = 0;
        for (const auto& row : c.expect) {
            while (time < row[0] - 1e-6f) {
                const float step = std::min(0.125f, row[0] - time);  // exact in binary
                EXPECT_TRUE(cup->updateAnimation(step)) << c.what;
                time += step;
            }
            EXPECT_NEAR(x(), row[1], 0.05f) << c.what << " at " << row[0];
            EXPECT_NEAR(y(), row[2], 0.05f) << c.what << " at " << row[0];
            EXPECT_NEAR(scale(), row[3], 1e-4f) << c.what << " at " << row[0];
            EXPECT_NEAR(rotation(), row[4], 1e-4f) << c.what << " at " << row[0];
            EXPECT_NEAR(cup->getCharacter()->get_cxform().m_[3][0], row[5], 1e-4f) << c.what << " at " << row[0];
        }
        EXPECT_EQ(cup->animationCount(), 0u) << c.what;
        EXPECT_EQ(ends(), 1) << c.what;
        EXPECT_FALSE(cup->updateAnimation(0.1f)) << c.what;
        cup->getCharacter()->set_matrix(startMatrix);
        cup->getCharacter()->set_cxform(startColour);
    }
}

TEST_F(Elements, ExTakesTheTargetsRotationAndScaleByItsFlags) {
    flash::matrix turned = target->getCharacter()->get_matrix();
    turned.set_scale_rotation(2.0f, 2.0f, 0.5f);
    target->getCharacter()->set_matrix(turned);
    runLua("set_anim_ex('cup', 'target', 4, 1, '')");
    while (cup->updateAnimation(0.25f)) {
    }
    EXPECT_NEAR(rotation(), 0.5f, 1e-4f);
    EXPECT_NEAR(scale(), 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(x(), kCupX);
    runLua("set_anim_ex('cup', 'target', 8, 1, '')");
    while (cup->updateAnimation(0.25f)) {
    }
    // The scale delta is the target's scale: 1 + 2.
    EXPECT_NEAR(scale(), 3.0f, 1e-4f);
}

TEST_F(Elements, TwoQueuedAnimationsRunOneAfterTheOtherFromWhereTheFirstEnded) {
    runLua("set_anim_new('cup', 10, 0, 0, 0, 1, 'anim_end = anim_end + 1')");
    runLua("set_anim_new('cup', 0, 5, 0, 0, 1, 'anim_end = anim_end + 10')");
    ASSERT_EQ(cup->animationCount(), 2u);
    for (int i = 0; i < 4; ++i) room->update(0.25f);
    EXPECT_FLOAT_EQ(x(), kCupX + 200);
    EXPECT_FLOAT_EQ(y(), kCupY);
    EXPECT_EQ(ends(), 1);
    EXPECT_TRUE(room->anyFlag(BaseLevel::kFlagAnimating));
    room->update(0.5f);
    EXPECT_FLOAT_EQ(x(), kCupX + 200);
    EXPECT_FLOAT_EQ(y(), kCupY + 50);
    room->update(0.5f);
    EXPECT_FLOAT_EQ(y(), kCupY + 100);
    EXPECT_EQ(ends(), 11);
    room->update(0.5f);
    EXPECT_FALSE(room->anyFlag(BaseLevel::kFlagAnimating));
}

TEST_F(Elements, AnimationsOfMissingElementsLevelsOrClipsDoNothing) {
    runLua("set_anim_new('nobody', 10, 0, 0, 0, 1, '')");
    runLua("set_anim('cup', 'nobody', 1, '')");
    runLua("set_anim_ex('cup', 'nobody', 3, 1, '')");
    runLua("set_anim_new('curtain', 10, 0, 0, 0, 1, '')");  // no clip
    EXPECT_EQ(cup->animationCount(), 0u);
    EXPECT_EQ(room->getElementByName("curtain")->animationCount(), 0u);
    current.level = nullptr;
    runLua("set_anim_new('cup', 10, 0, 0, 0, 1, '')");
    EXPECT_EQ(cup->animationCount(), 0u);
    // A colour beyond the float range becomes 0.
    current.level = room;
    runLua("set_color_anim('cup', 1e300, 1, 1, 1, 0, '')");
    cup->updateAnimation(0.1f);
    EXPECT_EQ(cup->getCharacter()->get_cxform().m_[0][0], 0.0f);
}

TEST_F(Elements, TheEndOfAClipsAnimationRunsItsElementsScriptFour) {
    ASSERT_TRUE(cup->setScriptCallback(eiPlayingEnd, "anim_end = anim_end + 1"));
    EXPECT_EQ(cup->getCharacter()->m_stop_callback, &BaseElement::endAnimCallback);
    cup->getCharacter()->m_stop_callback(cup->getCharacter());
    EXPECT_EQ(ends(), 1);
    // A clip owned by no element, or by a level, only logs.
    flash::character* candle = clip(room, "candle");
    BaseElement::endAnimCallback(candle);
    BaseLevel* closeup = room->getMinilevel(0);
    BaseElement::endAnimCallback(closeup->getZoomOutButton());
    EXPECT_EQ(ends(), 1);
    const std::string log = logSince();
    EXPECT_EQ(count(log, "\tWARNING\tin endAnimCallback not found element: candle\n"), 1u) << log;
    EXPECT_EQ(count(log, "\tWARNING\tin endAnimCallback not found element: ZoomOutBtn\n"), 1u) << log;
}

TEST_F(Elements, ScriptsAreStoredBelowSixAndTheUpdateFunctionRunsEveryFrame) {
    EXPECT_FALSE(cup->setScriptCallback(6, "x = 1"));
    EXPECT_FALSE(cup->setScriptCallback(-1, "x = 1"));
    EXPECT_EQ(cup->getScript(6), "");
    EXPECT_TRUE(cup->setScriptCallback(eiLeftClick, "clicked = true"));
    EXPECT_TRUE(cup->runScript(eiLeftClick));
    EXPECT_EQ(luaString("clicked"), "true");
    runLua("ticks = 0 function on_tick(e, dt) ticks = ticks + 1 tick_name = e:getName() tick_dt = dt end");
    room->update(0.25f);
    EXPECT_EQ(luaString("ticks"), "0");
    ASSERT_TRUE(cup->setScriptCallback(eiUpdate, "on_tick"));
    room->update(0.25f);
    room->update(0.5f);
    EXPECT_EQ(luaString("ticks"), "2");
    EXPECT_EQ(luaString("tick_name"), "cup");
    EXPECT_EQ(luaString("tick_dt"), "0.5");
}

TEST_F(Elements, AnEffectFollowsItsClipAndAFinishedOneIsDetached) {
    cup->setEffect("test");
    particle::fxParticleEffect2D* effect = cup->getEffect();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->name(), "test");
    EXPECT_FLOAT_EQ(effect->position().x, 250.0f);
    runLua("set_anim_new('cup', 10, 20, 0, 0, 0, '')");
    room->update(0.1f);
    EXPECT_FLOAT_EQ(cup->getEffect()->position().x, 260.0f);
    EXPECT_FLOAT_EQ(cup->getEffect()->position().y, 220.0f);
    cup->setEffect("");
    EXPECT_EQ(cup->getEffect(), nullptr);
    // An effect the manager stops lets go of the element.
    cup->setEffect("test");
    ASSERT_NE(cup->getEffect(), nullptr);
    cup->getEffect()->stop();
    EXPECT_EQ(cup->getEffect(), nullptr);
    // No clip, no effect.
    BaseElement bare(0, "bare", "");
    bare.setEffect("test");
    EXPECT_EQ(bare.getEffect(), nullptr);
}

TEST_F(Elements, ACopyHasEveryFieldButTheEffectAndAnOwnedClipLeavesWithItsElement) {
    cup->setScriptCallback(eiRollOver, "over = 1");
    cup->setExtra("extra");
    cup->addTransform(ElementTransform());
    runLua("set_anim_new('cup', 10, 0, 0, 0, 1, '')");
    cup->setEffect("test");
    BaseElement copy(*cup);
    EXPECT_EQ(copy.getName(), "cup");
    EXPECT_EQ(copy.getScript(eiRollOver), "over = 1");
    EXPECT_EQ(copy.getExtra(), "extra");
    EXPECT_EQ(copy.getTransforms().size(), 1u);
    EXPECT_EQ(copy.animationCount(), 1u);
    EXPECT_EQ(copy.getCharacter(), cup->getCharacter());
    EXPECT_EQ(copy.getLevel(), room);
    EXPECT_EQ(copy.getEffect(), nullptr);
    EXPECT_NE(cup->getEffect(), nullptr);

    flash::character* candle = clip(room, "candle");
    flash::character* parent = candle->get_parent();
    ASSERT_NE(parent, nullptr);
    auto* owner = new BaseElement(2, "candle", "");
    owner->setCharacter(candle);
    owner->setOwnsCharacter(true);
    delete owner;
    EXPECT_EQ(room->findCharacter("candle", false), nullptr);
}

}  // namespace
}  // namespace leveltest
