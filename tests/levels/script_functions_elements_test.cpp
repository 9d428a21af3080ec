// The element functions of the level scripts on the demo room, and what every element and clip
// function does when its level, clip, element or minilevel is missing.
#include "app/mouse_cursor.h"
#include "flash/runtime/event_id.h"
#include "particles/particle_effect.h"
#include "tests/levels/script_functions_fixture.h"

namespace leveltest {
namespace {

class ElementFunctions : public ScriptFunctionTest {
protected:
    BaseLevel* closeup() const {
        for (int slot = 0; slot < BaseLevel::kMaxMinilevels; ++slot)
            if (BaseLevel* level = room->getMinilevel(slot); level && level->getName() == "closeup") return level;
        return nullptr;
    }
};

TEST_F(ElementFunctions, CallbacksAreStoredAsTheClickAndRightClickScripts) {
    runLua("set_callback_for_element('cup', 'clicked = 1') set_callback_for_element_r_click('cup', 'right = 1')");
    EXPECT_EQ(cup->getScript(eiLeftClick), "clicked = 1");
    EXPECT_EQ(cup->getScript(eiRightClick), "right = 1");
    runLua("set_callback_for_element('nobody', 'x = 1')");
    EXPECT_EQ(book->getScript(eiLeftClick), "");
}

TEST_F(ElementFunctions, CallbacksOfAMinilevelGoToEverySlotOfThatName) {
    BaseLevel* minilevel = closeup();
    ASSERT_NE(minilevel, nullptr);
    auto* vase = new BaseElement(BaseElement::kKindHidden, "vase", "");
    minilevel->addElement(vase);
    runLua("set_callback_for_element_ex('vase', 'v = 1', 'no_such_minilevel')");
    EXPECT_EQ(vase->getScript(eiLeftClick), "");
    runLua("set_callback_for_element_ex('vase', 'v = 1', 'Closeup') set_callback_for_element_ex('vase', 'v = 1', '')");
    EXPECT_EQ(vase->getScript(eiLeftClick), "");
    runLua("set_callback_for_element_ex('vase', 'v = 2', 'closeup')");
    EXPECT_EQ(vase->getScript(eiLeftClick), "v = 2");
    // An element of the level itself is not one of the minilevel's.
    runLua("set_callback_for_element_ex('cup', 'c = 1', 'closeup')");
    EXPECT_EQ(cup->getScript(eiLeftClick), "");
}

TEST_F(ElementFunctions, VisibilityIsSetAndAMissingClipLogsOneError) {
    runLua("set_element_visible('cup_1', false)");
    EXPECT_FALSE(cup->getCharacter()->get_visible());
    runLua("set_element_visible('cup_1', 1)");
    EXPECT_TRUE(cup->getCharacter()->get_visible());
    runLua("set_element_visible('nobody', true)");
    EXPECT_EQ(count(logSince(), "set_element_visible nobody not found"), 1u);
    EXPECT_EQ(count(logSince(), "ERROR"), 1u);
}

TEST_F(ElementFunctions, ActivatingGivesTheLevelsCallbackAndARollOverWhenTheMouseIsOver) {
    // The room's click area covers the stage from its origin, where the engine's bounds test
    // and the pointer agree.
    flash::character* ch = clip(room, "clickarea");
    flash::character* away = clip(room, "fireplace");
    away->set_event_callback(nullptr);
    room->onMouse(440, 160, 0);
    ASSERT_FALSE(away->is_mouse_over());
    runLua("activate_element('fireplace', true)");
    EXPECT_EQ(away->get_event_callback(), &BaseLevel::levelEventCallback);
    EXPECT_TRUE(room->events.empty());
    runLua("activate_element('fireplace', false)");
    EXPECT_EQ(away->get_event_callback(), nullptr);
    ASSERT_TRUE(ch->is_mouse_over());
    runLua("activate_element('clickarea', true)");
    ASSERT_EQ(room->events.size(), 1u);
    EXPECT_EQ(room->events[0].first, ch);
    EXPECT_EQ(room->events[0].second, flash::HOST_EVENT_ROLL_OVER);
    runLua("activate_element('nobody', true)");
    EXPECT_EQ(console.lines, std::vector<std::string>{"activate_element: not found nobody"});
}

TEST_F(ElementFunctions, HintingNeedsTheClipAndItsRootVisible) {
    flash::character* root = flash::as_character(room->getRoot()->get_root_movie());
    EXPECT_EQ(luaString("can_be_hinted('cup_1')"), "true");
    cup->getCharacter()->set_visible(false);
    EXPECT_EQ(luaString("can_be_hinted('cup_1')"), "false");
    cup->getCharacter()->set_visible(true);
    root->set_visible(false);
    EXPECT_EQ(luaString("can_be_hinted('cup_1')"), "false");
    root->set_visible(true);
    EXPECT_EQ(luaString("can_be_hinted('nobody')"), "false");
}

TEST_F(ElementFunctions, ScriptElementsAreMadeInTheLevelOrTheFirstMinilevelOfThatName) {
    ASSERT_EQ(runLua("made = create_script_element('scripted')"), 0);
    BaseElement* made = room->getElements().back();
    EXPECT_EQ(made->getName(), "scripted");
    EXPECT_EQ(made->getKind(), 14);
    EXPECT_EQ(made->getTargetName(), "");
    EXPECT_EQ(made->getLevel(), room);
    EXPECT_EQ(luaString("made:getName()"), "scripted");
    BaseLevel* minilevel = closeup();
    ASSERT_NE(minilevel, nullptr);
    const size_t before = minilevel->getElements().size();
    ASSERT_EQ(runLua("inner = create_script_element_ex('inner', 'closeup')"), 0);
    ASSERT_EQ(minilevel->getElements().size(), before + 1);
    EXPECT_EQ(minilevel->getElements().back()->getName(), "inner");
    EXPECT_EQ(minilevel->getElements().back()->getKind(), 14);
    EXPECT_EQ(luaString("inner:getName()"), "inner");
    EXPECT_EQ(luaString("create_script_element_ex('x', 'nowhere')"), "nil");
    EXPECT_EQ(minilevel->getElements().size(), before + 1);
}

TEST_F(ElementFunctions, AnEmptyNameFindsNoElement) {
    runLua("create_script_element('') set_callback_for_element('', 'x = 1') set_callback_for_element(nil, 'y = 1')");
    BaseElement* unnamed = room->getElements().back();
    EXPECT_EQ(unnamed->getName(), "");
    EXPECT_EQ(unnamed->getScript(eiLeftClick), "");
}

TEST_F(ElementFunctions, TheElementsEffectStartsAndStops) {
    runLua("set_element_effect('cup', 'test')");
    ASSERT_NE(cup->getEffect(), nullptr);
    EXPECT_EQ(cup->getEffect()->name(), "test");
    runLua("set_element_effect('cup', '')");
    EXPECT_EQ(cup->getEffect(), nullptr);
}

TEST_F(ElementFunctions, AClipIsPutAtTheCursorAndAMissingOneLogsOneError) {
    MouseCursor* cursor = MouseCursor::instance();
    ASSERT_NE(cursor, nullptr);
    cursor->setPosition(33, 44);
    flash::character* ch = cup->getCharacter();
    flash::matrix scaled = ch->get_matrix();
    scaled.set_scale_rotation(3.0f, 3.0f, 0.0f);
    ch->set_matrix(scaled);
    runLua("set_element_at_cursor('cup_1')");
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[0][2], 33 * 20.0f);
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[1][2], 44 * 20.0f);
    EXPECT_NEAR(ch->get_matrix().get_x_scale(), 3.0f, 1e-5f);
    runLua("set_element_at_cursor('nobody')");
    EXPECT_EQ(count(logSince(), "set_element_at_cursor nobody not found"), 1u);
    EXPECT_EQ(count(logSince(), "ERROR"), 1u);
}

// Every value-returning function pushes exactly one value, its default, when its object is
// missing: without a level, and with a level that lacks the clip, element or minilevel.
TEST_F(ElementFunctions, MissingObjectsGiveOneValueTheDefault) {
    struct Case {
        const char* call;
        const char* value;
    };
    const Case missing[] = {
        {"get_current_frame('nobody')", "-1"},        {"get_frame_count('nobody')", "0"},
        {"get_labeled_frame('nobody', 'x')", "0"},    {"get_clip_pos('nobody').x", "0"},
        {"get_clip_pos('nobody').y", "0"},            {"get_clip_size('nobody').x", "0"},
        {"get_clip_size('nobody').y", "0"},           {"get_char_full_name('nobody')", "nil"},
        {"can_be_hinted('nobody')", "false"},         {"is_movie_playing('nobody')", "false"},
        {"create_script_element_ex('x', 'nowhere')", "nil"}, {"get_current_frame()", "-1"},
        {"get_clip_pos(nil).x", "0"}, {"get_char_full_name('')", "nil"}, {"can_be_hinted()", "false"},
    };
    const Case noLevel[] = {{"create_script_element('x')", "nil"}, {"create_script_element_ex('x', 'closeup')", "nil"}};
    for (bool withLevel : {true, false}) {
        current.level = withLevel ? room : nullptr;
        for (const Case& c : missing) {
            std::string call = c.call;
            const size_t field = call.rfind(").");
            const std::string function = field == std::string::npos ? call : call.substr(0, field + 1);
            EXPECT_EQ(results(function).first, 1) << function << (withLevel ? "" : " without a level");
            EXPECT_EQ(luaString(call), c.value) << call << (withLevel ? "" : " without a level");
        }
    }
    for (const Case& c : noLevel) EXPECT_EQ(results(c.call), std::make_pair(1, std::string(c.value))) << c.call;
}

// The functions without a result do nothing and report nothing for missing objects, but for the
// three named reports; without a level those are silent too.
TEST_F(ElementFunctions, MissingObjectsAreSilentButForThreeReports) {
    const char* const calls =
        "set_callback_for_element('nobody', 's') set_callback_for_element_r_click('nobody', 's') "
        "set_callback_for_element_ex('nobody', 's', 'closeup') set_callback_for_element_ex('cup', 's', 'nowhere') "
        "set_element_effect('nobody', 'test') play_movie_clip('nobody', false) play_movie_clip_ex('nobody', 0, 2) "
        "play_movie_clip_loop('nobody', 0, 2) goto_frame('nobody', 1) "
        "set_clip_pos('nobody', 1, 2) set_clip_pos_y('nobody', 2) set_character_pos('nobody', 'cup_1') "
        "set_character_pos('cup_1', 'nobody') show_text_at('t', 'nobody') set_fx_on_event('fx', 'nobody', 1) "
        "swap_depth('nobody', 'cup') swap_depth('cup', 'nobody') set_highest_depth('nobody') "
        "set_element_alpha('nobody', 0.5) set_element_rgba('nobody', createRGBA()) "
        "get_element_rgba('nobody', createRGBA()) set_callback_for_element() set_element_alpha()";
    const flash::matrix before = cup->getCharacter()->get_matrix();
    for (bool withLevel : {true, false}) {
        current.level = withLevel ? room : nullptr;
        const size_t logMark = logSince().size();
        ASSERT_EQ(runLua(calls), 0);
        EXPECT_TRUE(console.lines.empty());
        EXPECT_EQ(logSince().size(), logMark) << logSince().substr(logMark);
        runLua("set_element_visible('nobody', true) set_element_at_cursor('nobody') activate_element('nobody', true)");
        const std::string reports = logSince().substr(logMark);
        EXPECT_EQ(count(reports, "ERROR"), withLevel ? 2u : 0u);
        EXPECT_EQ(count(reports, "set_element_visible nobody not found"), withLevel ? 1u : 0u);
        EXPECT_EQ(count(reports, "set_element_at_cursor nobody not found"), withLevel ? 1u : 0u);
        EXPECT_EQ(console.lines.size(), withLevel ? 1u : 0u);
        console.lines.clear();
    }
    EXPECT_EQ(cup->getCharacter()->get_matrix().m_[0][2], before.m_[0][2]);
    EXPECT_EQ(cup->getScript(eiLeftClick), "");
}

}  // namespace
}  // namespace leveltest
