// The script classes "BaseLevel", "BaseElement" and "ElementTransform" and the element
// constants, called from Lua on the demo room.
#include <cmath>

#include "particles/particle_effect.h"
#include "script/script_binding.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {


class ScriptClasses : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        room = topLevel("room");
        current.level = room;
        cup = new BaseElement(0, "cup", "");
        cup->setCharacter(clip(room, "cup_1"));
        room->addElement(cup);
        lua_State* L = currentScriptState();
        ScriptBinding::push(L, static_cast<BaseLevel*>(room));
        lua_setglobal(L, "lvl");
        ASSERT_EQ(runLua("cup = lvl:getElementByName('cup')"), 0);
    }
    const flash::matrix& matrix() const { return cup->getCharacter()->get_matrix(); }

    TestLevel* room = nullptr;
    BaseElement* cup = nullptr;
};

TEST_F(ScriptClasses, TheConstantsHaveTheirValues) {
    const std::pair<const char*, const char*> constants[] = {
        {"eiLeftClick", "0"}, {"eiRightClick", "1"}, {"eiRollOver", "2"}, {"eiRollOut", "3"},
        {"eiPlayingEnd", "4"}, {"eiUpdate", "5"},   {"fsFadeIn", "0"},   {"fsFadeOut", "1"},
    };
    for (const auto& [name, value] : constants) EXPECT_EQ(luaString(name), value) << name;
}

TEST_F(ScriptClasses, ElementMethodsReadAndMoveTheClip) {
    EXPECT_EQ(luaString("cup:getName()"), "cup");
    EXPECT_EQ(luaString("cup:getNameChar()"), "cup");
    runLua("cup:scale(2) cup:rotate(90)");
    EXPECT_NEAR(matrix().get_x_scale(), 2.0f, 1e-5f);
    EXPECT_NEAR(matrix().get_y_scale(), 2.0f, 1e-5f);
    EXPECT_NEAR(matrix().get_rotation(), 1.5707963f, 1e-5f);
    EXPECT_NEAR(std::stof(luaString("cup:getRotate()")), 1.5707963f, 1e-5f);
    EXPECT_NEAR(std::stof(luaString("cup:getScale()")), 2.0f, 1e-5f);
    runLua("cup:scale(0.5)");
    EXPECT_NEAR(matrix().get_rotation(), 0.0f, 1e-6f);
    EXPECT_NEAR(matrix().get_x_scale(), 0.5f, 1e-6f);
    runLua("cup:setPos(Vec2(12.5, 40)) p = cup:getPos()");
    EXPECT_FLOAT_EQ(matrix().m_[0][2], 250.0f);
    EXPECT_FLOAT_EQ(matrix().m_[1][2], 800.0f);
    EXPECT_EQ(luaString("p.x"), "12.5");
    EXPECT_EQ(luaString("p.y"), "40");
    // A number beyond the float range becomes 0.
    runLua("cup:setPos(Vec2(1e300, 3))");
    EXPECT_EQ(matrix().m_[0][2], 0.0f);
    EXPECT_FLOAT_EQ(matrix().m_[1][2], 60.0f);
    EXPECT_EQ(luaString("cup:setEventListener(5, 'on_tick')"), "true");
    EXPECT_EQ(luaString("cup:setEventListener(6, 'x')"), "false");
    EXPECT_EQ(cup->getScript(eiUpdate), "on_tick");
    runLua("cup:setEffect('test')");
    ASSERT_NE(cup->getEffect(), nullptr);
    EXPECT_EQ(cup->getEffect()->name(), "test");
    runLua("cup:setEffect('')");
    EXPECT_EQ(cup->getEffect(), nullptr);
}

TEST_F(ScriptClasses, TransformsAreMadeSetAndKeptByTheirElement) {
    ASSERT_EQ(runLua("t = ElementTransform() t:translate(Vec2(1, 2)) t:translateTo(Vec2(3, 1e300)) "
                     "t.mSpeed = Vec3(1, 2, 3) t.mAcceleration = Vec3(4, 5, 6) cup:addTransform(t) "
                     "cup:addTransform(ElementTransform())"),
              0);
    ASSERT_EQ(cup->getTransforms().size(), 2u);
    const ElementTransform& t = cup->getTransforms()[0];
    EXPECT_FLOAT_EQ(t.deltaX, 20.0f);
    EXPECT_FLOAT_EQ(t.deltaY, 40.0f);
    EXPECT_FLOAT_EQ(t.targetMatrix.m_[0][2], 60.0f);
    EXPECT_EQ(t.targetMatrix.m_[1][2], 0.0f);
    EXPECT_TRUE(t.anyFlag(ElementTransform::kAbsoluteTarget));
    EXPECT_FLOAT_EQ(t.mSpeed[2], 3.0f);
    EXPECT_FLOAT_EQ(t.mAcceleration[0], 4.0f);
    EXPECT_EQ(luaString("t.mSpeed.y"), "2");
    const ElementTransform& fresh = cup->getTransforms()[1];
    EXPECT_FLOAT_EQ(fresh.duration, 1.0f);
    EXPECT_EQ(fresh.getFlags(), 0);
    runLua("cup:clearTransforms()");
    EXPECT_TRUE(cup->getTransforms().empty());
}

TEST_F(ScriptClasses, LevelMethodsActOnTheLevel) {
    EXPECT_EQ(luaString("lvl:getName()"), "room");
    EXPECT_EQ(luaString("lvl:getElementByName('nobody')"), "nil");
    EXPECT_EQ(luaString("lvl:getElementByName('door'):getName()"), "door");
    EXPECT_EQ(luaString("lvl:getWinEffect()"), "on_win_effect");
    runLua("lvl:setScriptOnFade('a = 1', 0) lvl:setScriptOnFade('b = 1', 1) lvl:setScriptOnFade('c = 1', 2)");
    EXPECT_EQ(room->getFadeScript(fsFadeIn), "a = 1");
    EXPECT_EQ(room->getFadeScript(fsFadeOut), "b = 1");
    EXPECT_EQ(room->getFadeScript(2), "");
    runLua("lvl:setScriptOnFade(nil, 0)");
    EXPECT_EQ(room->getFadeScript(fsFadeIn), "");
    runLua("lvl:scale(2, 0, 0)");
    EXPECT_FLOAT_EQ(room->getRoot()->get_root_movie()->get_matrix().get_x_scale(), 2.0f);
    EXPECT_FLOAT_EQ(room->getRoot()->get_root_movie()->get_matrix().m_[0][2], 0.0f);
    runLua("lvl:scaleAtTime(1, 0.5, 0.5, 4)");
    EXPECT_FLOAT_EQ(room->getScaleDuration(), 4.0f);
    runLua("lvl:setVisible(false)");
    EXPECT_FALSE(room->isVisible());
    runLua("lvl:setVisible(true)");
}

TEST_F(ScriptClasses, AnEmptyWinEffectMakesTheNextWinLeaveAtOnce) {
    room->startChapter();
    runLua("lvl:setWinEffect('')");
    EXPECT_EQ(luaString("lvl:getWinEffect()"), "");
    runLua("lvl:setWinEffect(nil)");
    EXPECT_EQ(room->getWinEffect(), "");
    room->complete = true;
    room->update(0.1f);
    EXPECT_TRUE(room->anyFlag(BaseLevel::kFlagFadingOut));
    EXPECT_TRUE(sounds.empty() || sounds.back().name != "mini_game_complete");
}

TEST_F(ScriptClasses, WrongObjectsAndClipLessElementsDoNothing) {
    const flash::matrix before = matrix();
    ASSERT_EQ(runLua("v = Vec2(1, 2) cup.setPos(v, Vec2(50, 50)) cup.scale(v, 3) cup.rotate(nil, 30) "
                     "r = cup.getScale(v) lvl.scale(v, 2, 0, 0) n = lvl.getName(v)"),
              0);
    EXPECT_FLOAT_EQ(matrix().m_[0][2], before.m_[0][2]);
    EXPECT_FLOAT_EQ(matrix().get_x_scale(), before.get_x_scale());
    EXPECT_EQ(luaString("r"), "0");
    EXPECT_EQ(luaString("n"), "nil");
    EXPECT_FLOAT_EQ(room->getRoot()->get_root_movie()->get_matrix().get_x_scale(), 1.0f);
    // The curtain has no clip: numbers read 0 and moves change nothing.
    runLua("c = lvl:getElementByName('curtain') c:setPos(Vec2(5, 5)) c:scale(2) c:rotate(10)");
    EXPECT_EQ(luaString("c:getScale()"), "0");
    EXPECT_EQ(luaString("c:getRotate()"), "0");
    EXPECT_EQ(luaString("c:getPos().x"), "0");
    EXPECT_EQ(luaString("c:getName()"), "curtain");
}

TEST_F(ScriptClasses, AHandleKeptAfterItsLevelIsDeletedReadsNil) {
    runLua("kept = lvl:getElementByName('door') kept_level = lvl");
    EXPECT_EQ(luaString("kept:getName()"), "door");
    release(room);
    room = nullptr;
    current.level = nullptr;
    EXPECT_EQ(luaString("kept:getName()"), "nil");
    EXPECT_EQ(luaString("kept_level:getName()"), "nil");
    EXPECT_EQ(runLua("kept:setPos(Vec2(1, 1)) kept:rotate(5) kept_level:scale(2, 0, 0)"), 0);
}

}  // namespace
}  // namespace leveltest
