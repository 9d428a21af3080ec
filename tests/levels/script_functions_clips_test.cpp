// The clip functions of the level scripts, called from Lua on the demo room: positions and sizes,
// playback and frames, depths, colours, texts, per-event effects and full names.
#include <cmath>

#include "core/cvar_catalogue.h"
#include "flash/movie/display_list.h"
#include "flash/movie/edit_text_character.h"
#include "tests/levels/script_functions_fixture.h"

namespace leveltest {
namespace {

class ClipFunctions : public ScriptFunctionTest {};

TEST_F(ClipFunctions, PositionsGoInAsTwipsAndComeBackAsPixels) {
    flash::character* ch = cup->getCharacter();
    flash::matrix scaled = ch->get_matrix();
    scaled.set_scale_rotation(2.0f, 2.0f, 0.5f);
    ch->set_matrix(scaled);
    ASSERT_EQ(runLua("set_clip_pos('cup', 10, 20)"), 0);
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[0][2], 200.0f);
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[1][2], 400.0f);
    EXPECT_NEAR(ch->get_matrix().get_x_scale(), 2.0f, 1e-5f);
    EXPECT_NEAR(ch->get_matrix().get_rotation(), 0.5f, 1e-5f);
    EXPECT_EQ(luaString("get_clip_pos('cup_1').x"), "10");
    EXPECT_EQ(luaString("get_clip_pos('cup_1').y"), "20");
    runLua("set_clip_pos_y('cup', 7)");
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[0][2], 200.0f);
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[1][2], 140.0f);
    // Integers cut toward zero; the room's book stands at (420, 150).
    runLua("set_clip_pos('cup', 1.9, -2.9)");
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[0][2], 20.0f);
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[1][2], -40.0f);
    runLua("set_character_pos('cup_1', 'book')");
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[0][2], 420.0f * 20.0f);
    EXPECT_FLOAT_EQ(ch->get_matrix().m_[1][2], 150.0f * 20.0f);
    EXPECT_NEAR(ch->get_matrix().get_x_scale(), 2.0f, 1e-5f);
    // A clip inside a moved parent answers its world place.
    EXPECT_EQ(luaString("get_clip_pos('vase_sz').x"), std::to_string(212 + 250));
    EXPECT_EQ(luaString("get_clip_pos('vase_sz').y"), std::to_string(134 + 120));
}

TEST_F(ClipFunctions, SizesAreTheClipsBoundsInPixels) {
    const std::pair<const char*, std::pair<int, int>> cases[] = {
        {"cup_1", {40, 40}}, {"book", {60, 40}}, {"door", {100, 240}}, {"vase_sz", {60, 90}}};
    for (const auto& [name, size] : cases) {
        EXPECT_EQ(luaString(std::string("get_clip_size('") + name + "').x"), std::to_string(size.first)) << name;
        EXPECT_EQ(luaString(std::string("get_clip_size('") + name + "').y"), std::to_string(size.second)) << name;
    }
}

TEST_F(ClipFunctions, PlayMovieClipRestartsTheWholeRangeOnce) {
    flash::sprite_instance* curtain = sprite("curtain");
    curtain->goto_frame(5);
    curtain->set_play_state(flash::character::STOP);
    curtain->setFramesForPlay(2, 4);
    curtain->set_loop(-1, false, 0.0f);
    curtain->set_visible(false);
    runLua("play_movie_clip('curtain', true)");
    EXPECT_EQ(curtain->get_current_frame(), 0);
    EXPECT_EQ(curtain->get_play_state(), flash::character::PLAY);
    EXPECT_EQ(curtain->get_start_frame(), 0);
    EXPECT_EQ(curtain->get_end_frame(), -1);
    EXPECT_EQ(curtain->m_loop_count, 0);
    EXPECT_TRUE(curtain->get_visible());
    EXPECT_EQ(console.lines, std::vector<std::string>{"play_movie_clip: curtain"});
}

TEST_F(ClipFunctions, PlayMovieClipExPlaysItsRangeFromItsFirstFrame) {
    flash::sprite_instance* curtain = sprite("curtain");
    curtain->set_play_state(flash::character::STOP);
    curtain->set_visible(false);
    runLua("play_movie_clip_ex('curtain', 2, 5)");
    EXPECT_EQ(curtain->get_current_frame(), 2);
    EXPECT_EQ(curtain->get_start_frame(), 2);
    EXPECT_EQ(curtain->get_end_frame(), 5);
    EXPECT_EQ(curtain->get_play_state(), flash::character::PLAY);
    EXPECT_EQ(curtain->m_loop_count, 0);
    EXPECT_TRUE(curtain->get_visible());
    EXPECT_EQ(console.lines, std::vector<std::string>{"play_movie_clip_ex: curtain 2 5"});
}

TEST_F(ClipFunctions, PlayMovieClipLoopSetsTheRangeUnlessFirstIsMinusOneOrLastIsOne) {
    struct Case {
        int first, last;
        int start, end;  // the range afterwards, from (1, 3)
    };
    const Case cases[] = {{2, 5, 2, 5}, {-1, 5, 1, 3}, {2, 1, 1, 3}, {4, -1, 4, -1}, {0, 0, 0, 0}};
    flash::sprite_instance* curtain = sprite("curtain");
    for (const Case& c : cases) {
        curtain->goto_frame(6);
        curtain->setFramesForPlay(1, 3);
        curtain->set_play_state(flash::character::STOP);
        curtain->set_loop(0, false, 0.0f);
        curtain->set_visible(false);
        runLua("play_movie_clip_loop('curtain', " + std::to_string(c.first) + ", " + std::to_string(c.last) + ")");
        EXPECT_EQ(curtain->get_start_frame(), c.start) << c.first << " " << c.last;
        EXPECT_EQ(curtain->get_end_frame(), c.end) << c.first << " " << c.last;
        EXPECT_EQ(curtain->get_current_frame(), 6);
        EXPECT_EQ(curtain->get_play_state(), flash::character::PLAY);
        EXPECT_EQ(curtain->m_loop_count, -1);
        EXPECT_TRUE(curtain->get_visible());
    }
    EXPECT_TRUE(console.lines.empty());
}

// The close-up's "LevelArea" holds the sprites "WorkArea" and "vase_sz": what each play function
// does to the children's play state and repeats.
TEST_F(ClipFunctions, ThePlayFunctionsReachTheChildrenTheyShould) {
    struct Case {
        const char* call;
        bool childPlays;
        int childLoops;  // from 5
    };
    const Case cases[] = {{"play_movie_clip('LevelArea', false)", true, 5},
                          {"play_movie_clip('LevelArea', true)", false, 5},
                          {"play_movie_clip_ex('LevelArea', 0, 0)", false, 0},
                          {"play_movie_clip_loop('LevelArea', 0, 0)", true, -1}};
    BaseLevel* closeup = room->getMinilevel(0);
    ASSERT_NE(closeup, nullptr);
    current.level = closeup;
    flash::sprite_instance* area = flash::cast_to<flash::sprite_instance>(clip(closeup, "LevelArea"));
    ASSERT_NE(area, nullptr);
    for (const Case& c : cases) {
        std::vector<flash::sprite_instance*> children;
        for (const char* name : {"WorkArea", "vase_sz"}) {
            auto* child = flash::cast_to<flash::sprite_instance>(clip(closeup, name));
            ASSERT_NE(child, nullptr) << name;
            ASSERT_EQ(child->get_parent(), area) << name;
            child->set_play_state(flash::character::STOP);
            child->set_loop(5, false, 0.0f);
            children.push_back(child);
        }
        area->set_play_state(flash::character::STOP);
        runLua(c.call);
        EXPECT_EQ(area->get_play_state(), flash::character::PLAY) << c.call;
        for (flash::sprite_instance* child : children) {
            EXPECT_EQ(child->get_play_state() == flash::character::PLAY, c.childPlays) << c.call;
            EXPECT_EQ(child->m_loop_count, c.childLoops) << c.call;
        }
    }
}

TEST_F(ClipFunctions, FramesAreMovedAndRead) {
    runLua("goto_frame('curtain', 3)");
    EXPECT_EQ(sprite("curtain")->get_current_frame(), 3);
    EXPECT_EQ(luaString("get_current_frame('curtain')"), "3");
    EXPECT_EQ(luaString("get_frame_count('curtain')"), "8");
    EXPECT_EQ(luaString("get_frame_count('drawer')"), "10");
    EXPECT_EQ(luaString("get_frame_count('cup_1')"), "2");
    // A label the clip lacks gives the engine's answer; a missing clip the row's 0.
    EXPECT_EQ(luaString("get_labeled_frame('curtain', 'nowhere')"), "-1");
    sprite("curtain")->set_play_state(flash::character::STOP);
    EXPECT_EQ(luaString("is_movie_playing('curtain')"), "false");
    sprite("curtain")->set_play_state(flash::character::PLAY);
    EXPECT_EQ(luaString("is_movie_playing('curtain')"), "true");
}

TEST_F(ClipFunctions, LabelsAreTheClipsOwnFrames) {
    // The room's clips carry no labels; the cursor's picture does, one per frame.
    TestLevel* labelled = topLevel("labelled", description("labelled", stringKey("FileName", "cursor.swf")));
    current.level = labelled;
    const std::pair<const char*, const char*> cases[] = {
        {"default_cursor", "0"}, {"over_blocked", "1"}, {"cursor_penalty", "2"}, {"Over_Blocked", "-1"}, {"", "-1"}};
    for (const auto& [label, frame] : cases)
        EXPECT_EQ(luaString(std::string("get_labeled_frame('default_cursor', '") + label + "')"), frame) << label;
    EXPECT_EQ(luaString("get_labeled_frame('default_cursor')"), "-1");
    EXPECT_EQ(luaString("get_labeled_frame('nobody', 'over_blocked')"), "0");
}

TEST_F(ClipFunctions, SwapDepthExchangesThroughAFreeDepth) {
    flash::character* a = cup->getCharacter();
    flash::character* b = book->getCharacter();
    flash::display_list* list = a->get_parent()->get_display_list();
    const int depthA = a->get_depth();
    const int depthB = b->get_depth();
    const int next = list->get_next_highest_depth();
    const int size = list->size();
    runLua("swap_depth('cup', 'book')");
    EXPECT_EQ(a->get_depth(), depthB);
    EXPECT_EQ(b->get_depth(), depthA);
    EXPECT_EQ(list->get_next_highest_depth(), next);
    EXPECT_EQ(list->size(), size);
    // The list stays sorted by depth.
    for (int i = 1; i < list->size(); ++i) EXPECT_LT(list->get_character(i - 1)->get_depth(), list->get_character(i)->get_depth());
    // An element of the close-up has another parent: nothing moves.
    auto* vase = new BaseElement(BaseElement::kKindHidden, "vase", "");
    vase->setCharacter(clip(room, "vase_sz"));
    room->addElement(vase);
    const int vaseDepth = vase->getCharacter()->get_depth();
    runLua("swap_depth('cup', 'vase') swap_depth('vase', 'cup') swap_depth('cup', 'nobody')");
    EXPECT_EQ(a->get_depth(), depthB);
    EXPECT_EQ(vase->getCharacter()->get_depth(), vaseDepth);
    EXPECT_EQ(list->size(), size);
}

TEST_F(ClipFunctions, SetHighestDepthPutsTheClipAboveItsSiblings) {
    flash::character* a = cup->getCharacter();
    flash::display_list* list = a->get_parent()->get_display_list();
    const int next = list->get_next_highest_depth();
    runLua("set_highest_depth('cup_1')");
    EXPECT_EQ(a->get_depth(), next);
    EXPECT_EQ(list->get_character(list->size() - 1), a);
}

TEST_F(ClipFunctions, ColourTransformsTakeAlphaAndBytesOverTwoHundredFiftySix) {
    flash::character* ch = cup->getCharacter();
    flash::cxform start;
    start.m_[0][1] = 10.0f;
    start.m_[3][1] = -5.0f;
    ch->set_cxform(start);
    const std::pair<const char*, float> alphas[] = {{"0.5", 0.5f}, {"0/0", 0.0f}, {"1/0", 0.0f}, {"1e300", 0.0f}, {"1", 1.0f}};
    for (const auto& [text, alpha] : alphas) {
        runLua(std::string("set_element_alpha('cup_1', ") + text + ")");
        EXPECT_EQ(ch->get_cxform().m_[3][0], alpha) << text;
        EXPECT_EQ(ch->get_cxform().m_[0][0], 1.0f) << text;
        EXPECT_EQ(ch->get_cxform().m_[0][1], 10.0f) << text;
        EXPECT_EQ(ch->get_cxform().m_[3][1], -5.0f) << text;
    }
    runLua("set_element_rgba('cup_1', createRGBA())");
    for (int channel = 0; channel < 4; ++channel) EXPECT_EQ(ch->get_cxform().m_[channel][0], 0.99609375f) << channel;
    runLua("c = createRGBA() c.m_r = 128 c.m_g = 0 c.m_b = 64 c.m_a = 32 set_element_rgba('cup_1', c)");
    EXPECT_EQ(ch->get_cxform().m_[0][0], 0.5f);
    EXPECT_EQ(ch->get_cxform().m_[1][0], 0.0f);
    EXPECT_EQ(ch->get_cxform().m_[2][0], 0.25f);
    EXPECT_EQ(ch->get_cxform().m_[3][0], 0.125f);
    EXPECT_EQ(ch->get_cxform().m_[0][1], 10.0f);
    EXPECT_EQ(ch->get_cxform().m_[3][1], -5.0f);
    // In place, through the transform: 200 * 0.5 + 10, 100 * 0, 40 * 0.25, 255 * 0.125 - 5.
    ASSERT_EQ(runLua("d = createRGBA() d.m_r = 200 d.m_g = 100 d.m_b = 40 n = select('#', get_element_rgba('cup_1', d))"), 0);
    EXPECT_EQ(luaString("n"), "0");
    EXPECT_EQ(luaString("d.m_r"), "110");
    EXPECT_EQ(luaString("d.m_g"), "0");
    EXPECT_EQ(luaString("d.m_b"), "10");
    EXPECT_EQ(luaString("d.m_a"), "26");
    // No colour given: nothing changes.
    runLua("set_element_rgba('cup_1', nil) get_element_rgba('cup_1', nil)");
    EXPECT_EQ(ch->get_cxform().m_[0][0], 0.5f);
}

TEST_F(ClipFunctions, ShowTextAtSetsTheDialogFontWhiteAndTheTextAsGiven) {
    flash::sprite_instance* top = flash::cast_to<flash::sprite_instance>(room->getRoot()->get_root_movie());
    ASSERT_NE(top, nullptr);
    flash::edit_text_character* field = top->create_text_field("say", top->get_next_highest_depth(), 10, 10, 200, 30);
    ASSERT_NE(field, nullptr);
    field->m_color = flash::rgba(10, 20, 30, 40);
    runLua("show_text_at('ids_not_looked_up', 'say')");
    EXPECT_STREQ(field->m_text.c_str(), "ids_not_looked_up");
    EXPECT_STREQ(field->m_font_name.c_str(), d_DialogsFont->toString());
    EXPECT_STREQ(field->m_font_name.c_str(), "Vernada_BOLD_16");
    EXPECT_EQ(field->m_color.m_r, 255);
    EXPECT_EQ(field->m_color.m_g, 255);
    EXPECT_EQ(field->m_color.m_b, 255);
    EXPECT_EQ(field->m_color.m_a, 255);
    // A clip that is no text field, and the frame functions on a text field, do nothing.
    runLua("show_text_at('x', 'cup_1') goto_frame('say', 1) play_movie_clip_loop('say', 0, 3)");
    EXPECT_EQ(luaString("get_current_frame('say')"), "-1");
    EXPECT_EQ(luaString("get_frame_count('say')"), "0");
    EXPECT_EQ(luaString("is_movie_playing('say')"), "false");
    EXPECT_STREQ(field->m_text.c_str(), "ids_not_looked_up");
}

TEST_F(ClipFunctions, SetFxOnEventFillsTheSlotOfTheEvent) {
    flash::character* ch = cup->getCharacter();
    struct Case {
        int event;
        int slot;  // -1: no slot changes
    };
    const Case cases[] = {{1, flash::SOUND_PRESS}, {2, flash::SOUND_RELEASE}, {4, flash::SOUND_ROLL_OVER},
                          {5, flash::SOUND_ROLL_OUT}, {3, -1}, {0, -1}, {99, -1}, {-1, -1}, {257, -1}};
    for (const Case& c : cases) {
        for (auto& name : ch->m_effect_names) name = "";
        runLua("set_fx_on_event('sparks', 'cup_1', " + std::to_string(c.event) + ")");
        for (int slot = 0; slot < flash::SOUND_SLOT_COUNT; ++slot)
            EXPECT_STREQ(ch->m_effect_names[slot].c_str(), slot == c.slot ? "sparks" : "") << c.event << " " << slot;
    }
}

TEST_F(ClipFunctions, FullNamesJoinTheNamedAncestorsWithABackslash) {
    EXPECT_EQ(luaString("get_char_full_name('cup_1')"), "cup_1");
    EXPECT_EQ(luaString("get_char_full_name('vase_sz')"), "LevelArea\\vase_sz");
    EXPECT_EQ(luaString("get_char_full_name('nobody')"), "nil");
}

}  // namespace
}  // namespace leveltest
