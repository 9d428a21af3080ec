// The engine's native calls as the game makes them, from the outside: text fields, attached and
// empty clips, depths, dotted lookups, script methods called with arguments, the owner, the path
// and the event callback of a character, and the host's event codes.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "flash/movie/button.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/host_callbacks.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/event_id.h"
#include "flash/runtime/method_call.h"
#include "tests/flash/movie/sprite_fixture.h"
#include "tools/swfwriter/buttons.h"

namespace {

using flash::as_value;
using flash::bx_string;
using flash::character;
using flash::sprite_instance;
using spritetest::assembler;
using spritetest::named;
using spritetest::playing_movie;
using testasm::dbl;
using testasm::i32;
using testasm::str;

constexpr int lowest = flash::lowest_dynamic_depth;

// A movie whose frame 1 places "panel" (holding the button "btnSkip" over a square and the clip
// "box") and exports an unplaced clip as "card"; its action defines combine(a, b) = a * 10 + b.
movietest::bytes game_movie() {
    swf::MovieWriter m(8);
    const uint16_t shape = spritetest::square(m, 0, 0, 10);
    swf::ButtonRecord shown;
    shown.character_id = shape;
    const uint16_t button = m.define_button({shown}, {});
    swf::SpriteWriter box_writer = m.sprite();
    box_writer.place_object2(swf::PlaceObject::place(1, shape));
    box_writer.show_frame();
    const uint16_t box = m.define_sprite(box_writer);
    swf::SpriteWriter panel_writer = m.sprite();
    panel_writer.place_object2(named(1, button, "btnSkip"));
    panel_writer.place_object2(named(2, box, "box"));
    panel_writer.show_frame();
    const uint16_t panel = m.define_sprite(panel_writer);
    const uint16_t card = spritetest::empty_sprite(m, 3);
    m.export_assets({{card, "card"}});
    m.place_object2(named(1, panel, "panel"));
    assembler body;
    body.push({str("a")}).op(testasm::GET_VARIABLE).push({i32(10)}).op(testasm::MULTIPLY);
    body.push({str("b")}).op(testasm::GET_VARIABLE).op(testasm::ADD2).op(testasm::RETURN);
    m.do_action(assembler().define_function("combine", {"a", "b"}, body).end().take());
    m.show_frame();
    return spritetest::finish(m);
}

struct game_scene {
    playing_movie p{game_movie()};
    game_scene() { p.advance(); }
    sprite_instance* panel() const { return flash::cast_to<sprite_instance>(p.find("panel")); }
};

std::vector<std::string> g_drawn;
void record_text(flash::edit_text_character* field) {
    g_drawn.push_back(std::string(field->get_name().c_str()) + "=" + field->m_text.c_str());
}

TEST(NativeApi, ATextFieldMadeNativelyShowsItsTextThroughTheDrawtextCallback) {
    game_scene s;
    flash::edit_text_character* field = s.p.top->create_text_field("score", lowest + 3, 5, 7, 120, 30);
    ASSERT_NE(field, nullptr);
    field->set_text("1200 points");
    EXPECT_EQ(s.p.top->get_character_by_name("score"), field);
    EXPECT_EQ(field->get_depth(), lowest + 3);
    EXPECT_FLOAT_EQ(field->get_matrix().m_[0][2], 5 * 20.0f);
    EXPECT_FLOAT_EQ(field->get_matrix().m_[1][2], 7 * 20.0f);
    g_drawn.clear();
    flash::register_drawtext_callback(record_text);
    s.p.top->display();
    flash::register_drawtext_callback(nullptr);
    EXPECT_EQ(g_drawn, std::vector<std::string>{"score=1200 points"});
}

TEST(NativeApi, AttachMoviePlacesAnExportedSymbolAndRefusesOthers) {
    game_scene s;
    sprite_instance* card = s.p.top->attach_movie("card", "card1", lowest + 1);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(s.p.top->get_character_by_name("card1"), card);
    EXPECT_EQ(card->get_depth(), lowest + 1);
    EXPECT_EQ(card->get_frame_count(), 3);
    EXPECT_EQ(card->get_parent(), s.p.top.get_ptr());
    // From a nested clip the export is found through its parents.
    EXPECT_NE(s.panel()->attach_movie("card", "card2", lowest), nullptr);
    flash::smart_ptr<flash::as_object> init(new flash::as_object(s.p.fixture.owner.get_ptr()));
    init->set_member("score", as_value(12));
    sprite_instance* with_init = s.p.top->attach_movie("card", "card3", lowest + 5, init.get_ptr());
    ASSERT_NE(with_init, nullptr);
    as_value score;
    EXPECT_TRUE(with_init->get_member("score", &score));
    EXPECT_EQ(score.to_number(), 12.0);
    EXPECT_EQ(s.p.top->attach_movie("nothing", "x", lowest + 2), nullptr);
    EXPECT_EQ(s.p.top->get_character_by_name("x"), nullptr);
}

TEST(NativeApi, NextHighestDepthOfAnEmptyASparseAndAFullClip) {
    game_scene s;
    sprite_instance* empty = s.p.top->create_empty_movie_clip("empty", lowest);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->get_next_highest_depth(), lowest);
    // The timeline's child at depth 1 stays below the dynamic range.
    EXPECT_EQ(s.p.top->get_next_highest_depth(), lowest + 1);
    empty->create_empty_movie_clip("a", 1);
    empty->create_empty_movie_clip("b", 20000);
    EXPECT_EQ(empty->get_next_highest_depth(), 20001);
    // A child at the largest depth leaves no depth above it: that depth is the answer, logged.
    empty->create_empty_movie_clip("c", INT_MAX);
    s.p.fixture.log.errors().clear();
    EXPECT_EQ(empty->get_next_highest_depth(), INT_MAX);
    EXPECT_TRUE(s.p.fixture.log.has_error("a child is at the largest depth 2147483647")) << s.p.fixture.log.errors();
}

TEST(NativeApi, DuplicateAndSwapDepthsMoveSiblings) {
    game_scene s;
    sprite_instance* a = s.p.top->create_empty_movie_clip("a", lowest);
    sprite_instance* b = s.p.top->create_empty_movie_clip("b", lowest + 1);
    EXPECT_TRUE(a->swap_depths(b));
    EXPECT_EQ(a->get_depth(), lowest + 1);
    EXPECT_EQ(b->get_depth(), lowest);
    EXPECT_EQ(s.p.top->get_character(1), b);  // the list stays in depth order
    EXPECT_TRUE(a->swap_depths(lowest + 9));  // a free depth: a moves there alone
    EXPECT_EQ(a->get_depth(), lowest + 9);
    EXPECT_EQ(b->get_depth(), lowest);
    EXPECT_TRUE(b->swap_depths(lowest + 9));  // an occupied one: the two change places
    EXPECT_EQ(b->get_depth(), lowest + 9);
    EXPECT_EQ(a->get_depth(), lowest);
    EXPECT_FALSE(a->swap_depths(static_cast<character*>(nullptr)));
    EXPECT_FALSE(a->swap_depths(s.panel()->get_character_by_name("box")));  // another parent
    character* copy = a->duplicate("a2", lowest + 4);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(s.p.top->get_character_by_name("a2"), copy);
    EXPECT_EQ(copy->get_depth(), lowest + 4);
    EXPECT_EQ(s.p.top->duplicate("top2", lowest), nullptr);  // the top-level clip has no parent
}

TEST(NativeApi, ADottedPathFindsANestedButtonAndNothingForAMissingName) {
    game_scene s;
    character* skip = s.p.top->find_character_by_path("panel.btnSkip");
    ASSERT_NE(skip, nullptr);
    EXPECT_NE(dynamic_cast<flash::button_character_instance*>(skip), nullptr);
    EXPECT_EQ(skip->get_name(), bx_string("btnSkip"));
    EXPECT_EQ(s.p.top->find_character_by_path("panel"), s.panel());
    EXPECT_EQ(s.p.top->find_character_by_path("panel.box"), s.panel()->get_character_by_name("box"));
    for (const char* missing : {"panel.btnskip", "panel.btnMissing", "nopanel.btnSkip", "panel.btnSkip.inner", "panel.",
                                ".panel", "", "panel..btnSkip"}) {
        EXPECT_EQ(s.p.top->find_character_by_path(missing), nullptr) << missing;
    }
    EXPECT_EQ(s.p.top->find_character_by_path(nullptr), nullptr);
    EXPECT_EQ(skip->build_path_name(), bx_string("panel\\btnSkip"));
}

TEST(NativeApi, AScriptMethodCalledFromNativeCodeWithTwoArgumentsReturnsItsValue) {
    game_scene s;
    const as_value result = s.p.top->call_method_with_args("combine", {as_value(3), as_value(4)});
    EXPECT_EQ(result.to_number(), 34.0);  // the arguments keep their order
    EXPECT_TRUE(s.p.top->call_method_with_args("nothing", {as_value(1)}).is_undefined());
    // A function value on any object, through a fresh environment.
    as_value combine;
    ASSERT_TRUE(s.p.top->get_member("combine", &combine));
    EXPECT_EQ(flash::call_with_args(s.p.fixture.owner.get_ptr(), combine, as_value(s.p.top.get_ptr()),
                                    {as_value(7), as_value(2)})
                  .to_number(),
              72.0);
}

std::vector<std::string> g_events;
void record_event(character* ch, int code) { g_events.push_back(std::string(ch->get_name().c_str()) + std::to_string(code)); }

TEST(NativeApi, TheEventCallbackMakesAClipAMouseTargetAndNullTakesThatBack) {
    game_scene s;
    sprite_instance* panel = s.panel();
    auto* box = flash::cast_to<sprite_instance>(panel->get_character_by_name("box"));
    ASSERT_NE(box, nullptr);
    // The box lies over the button's square: without a callback a probe there finds the button.
    const float x = 100, y = 100;
    EXPECT_NE(panel->get_topmost_mouse_entity(x, y), box);
    box->set_event_callback(record_event);
    EXPECT_EQ(box->get_event_callback(), &record_event);
    EXPECT_EQ(panel->get_topmost_mouse_entity(x, y), box);
    g_events.clear();
    box->on_event(flash::event_id(flash::event_id::PRESS));
    box->on_event(flash::event_id(flash::event_id::STILL_PRESSED));
    box->on_event(flash::event_id(flash::event_id::ENTER_FRAME));
    EXPECT_EQ(g_events, (std::vector<std::string>{"box1", "box8"}));
    box->set_event_callback(nullptr);
    EXPECT_NE(panel->get_topmost_mouse_entity(x, y), box);
}

TEST(NativeApi, TheOwnerIsAGetSetPair) {
    game_scene s;
    int level = 0;
    EXPECT_EQ(s.panel()->get_owner(), nullptr);
    s.panel()->set_owner(&level);
    EXPECT_EQ(s.panel()->get_owner(), &level);
    s.panel()->set_owner(nullptr);
    EXPECT_EQ(s.panel()->get_owner(), nullptr);
}

TEST(NativeApi, EveryProducerReportsTheHostsCodes) {
    // The codes are the game's: 1 press, 4 roll over, 5 roll out, 6 and 7 drag over and out, 8 drag.
    struct row {
        int event;
        int button;  // and text field
        int sprite;
    };
    const row rows[] = {
        {flash::event_id::PRESS, 1, 1},        {flash::event_id::RELEASE, 4, 0},
        {flash::event_id::RELEASE_OUTSIDE, 5, 0}, {flash::event_id::ROLL_OVER, 4, 4},
        {flash::event_id::ROLL_OUT, 5, 5},      {flash::event_id::DRAG_OVER, 1, 6},
        {flash::event_id::DRAG_OUT, 4, 7},      {flash::event_id::STILL_PRESSED, 0, 8},
        {flash::event_id::KEY_PRESS, 0, 0},     {flash::event_id::ENTER_FRAME, 0, 0},
        {flash::event_id::SETFOCUS, 0, 0},
    };
    for (const row& r : rows) {
        EXPECT_EQ(flash::button_host_event(r.event), r.button) << "event " << r.event;
        EXPECT_EQ(flash::sprite_host_event(r.event), r.sprite) << "event " << r.event;
    }
}

// A method of the MovieClip table called on clip as a script calls it.
as_value call(playing_movie& p, sprite_instance* clip, const char* method, std::initializer_list<as_value> args) {
    as_value function;
    EXPECT_TRUE(clip->get_member(method, &function)) << method;
    return flash::call_with_args(p.fixture.owner.get_ptr(), function, as_value(clip), args);
}

TEST(ScriptIntegers, NumbersPastTheIntRangeEndWithALogLineAndASaneValue) {
    {  // goto by text of the lowest int: no such frame, the clip only stops
        game_scene s;
        sprite_instance* card = s.p.top->attach_movie("card", "card", lowest);
        card->goto_frame(1);
        card->set_play_state(character::PLAY, false);
        call(s.p, card, "gotoAndPlay", {as_value("-2147483648")});
        EXPECT_TRUE(s.p.fixture.log.has_error("error: goto_frame('-2147483648') -- frame number out of range"))
            << s.p.fixture.log.errors();
        EXPECT_EQ(card->get_current_frame(), 1);
        call(s.p, card, "gotoAndStop", {as_value("99999999999")});
        EXPECT_TRUE(s.p.fixture.log.has_error("error: goto_frame('99999999999') -- frame number out of range"));
        EXPECT_EQ(card->get_current_frame(), 1);
        call(s.p, card, "gotoAndStop", {as_value("3")});
        EXPECT_EQ(card->get_current_frame(), 2);  // a number in range still selects its frame
    }
    {  // CallFrame of 1e10 from a script: an unknown frame, and the script goes on
        swf::MovieWriter m(8);
        m.do_action(assembler().push({dbl(1e10)}).record(testasm::CALL, {}).trace_str("after").end().take());
        m.show_frame();
        playing_movie p(spritetest::finish(m));
        p.advance();
        EXPECT_TRUE(p.fixture.log.has_error("error: call_frame('10000000000') -- unknown frame")) << p.fixture.log.errors();
        EXPECT_EQ(p.events.take(), "trace after");
    }
    {  // a clip at the largest depth: the next highest depth saturates there
        game_scene s;
        sprite_instance* holder = s.p.top->create_empty_movie_clip("holder", lowest);
        call(s.p, holder, "createEmptyMovieClip", {as_value("c"), as_value(1e10)});
        EXPECT_TRUE(s.p.fixture.log.has_error("error: depth 10000000000 is out of range; 2147483647 taken"))
            << s.p.fixture.log.errors();
        EXPECT_EQ(call(s.p, holder, "getNextHighestDepth", {}).to_number(), double(INT_MAX) - lowest);
        EXPECT_TRUE(s.p.fixture.log.has_error("a child is at the largest depth"));
    }
    {  // a clip at the lowest depth tells its script depth exactly
        game_scene s;
        const as_value made = call(s.p, s.p.top.get_ptr(), "createEmptyMovieClip", {as_value("d"), as_value(-1e10)});
        auto* d = flash::cast_to<sprite_instance>(made.to_object());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->get_depth(), INT_MIN);
        EXPECT_TRUE(s.p.fixture.log.has_error("error: depth -10000000000 is out of range; -2147483648 taken"));
        EXPECT_EQ(call(s.p, d, "getDepth", {}).to_number(), double(INT_MIN) - lowest);
    }
}

}  // namespace
