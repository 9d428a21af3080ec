// Buttons, text fields and sounds in playing movies: start-sound tags run with their frames, a
// pressed button's action runs in its clip's next action pass, a field shows a timeline variable,
// and the host draws each shown field once per display.
#include <gtest/gtest.h>

#include "flash/movie/button.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/host_callbacks.h"
#include "flash/movie/movie_root.h"
#include "flash/runtime/event_id.h"
#include "recording_sound_handler.h"
#include "sprite_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using spritetest::assembler;
using spritetest::playing_movie;
using testasm::dbl;

// A button over a 50-pixel square face with one traced line per condition, placed as "btn" at
// depth 1.
void place_traced_button(swf::MovieWriter& m, const std::vector<std::pair<uint16_t, std::string>>& traces) {
    swf::ButtonRecord record;
    record.character_id = spritetest::square(m, 0, 0, 50);
    swf::Button2 b;
    b.records = {record};
    for (const auto& [condition, line] : traces) b.actions.push_back({condition, assembler().trace_str(line).end().take()});
    swf::PlaceObject place = swf::PlaceObject::place(1, m.define_button2(b));
    place.name = "btn";
    m.place_object2(place);
}

TEST(PlayingControls, StartSoundTagsPlayAndStopWithTheirFrames) {
    movietest::recording_sound_handler handler;
    swf::MovieWriter m(8);
    swf::Sound s;
    s.sample_count = 2;
    s.data = {1, 0, 2, 0};
    const uint16_t id = m.define_sound(s);
    swf::SoundInfo looped;
    looped.loops = 2;
    m.start_sound(id, looped);
    m.show_frame();
    m.show_frame();
    swf::SoundInfo stop;
    stop.stop = true;
    m.start_sound(id, stop);
    m.show_frame();
    m.end();
    playing_movie movie(m.finish_fws());
    ASSERT_NE(movie.top.get_ptr(), nullptr);
    EXPECT_EQ(handler.calls, std::vector<std::string>{"play 100 loops 2"});
    // The first advance stays on frame 0; each further one steps a frame.
    movie.advance(2);
    EXPECT_EQ(handler.calls.size(), 1u);
    movie.advance();
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"play 100 loops 2", "stop 100"}));
}

TEST(PlayingControls, APressedButtonsActionRunsInItsClipsNextActionPass) {
    swf::MovieWriter m(8);
    place_traced_button(m, {{swf::cond_press, "pressed"}, {swf::cond_release, "released"}});
    m.show_frame();
    m.end();
    playing_movie movie(m.finish_fws());
    flash::character* btn = movie.find("btn");
    ASSERT_NE(btn, nullptr);
    btn->m_event_callback = spritetest::journal::on_event;
    // The press is over the face: the top clip finds the button under the mouse.
    EXPECT_EQ(movie.top->get_topmost_mouse_entity(500, 500), btn);
    movie.events.take();
    btn->on_event(flash::event_id(flash::event_id::PRESS));
    EXPECT_EQ(movie.events.take(), "sound default_btn_click, event 1 btn");
    movie.advance();
    EXPECT_EQ(movie.events.take(), "trace pressed");
    btn->on_event(flash::event_id(flash::event_id::RELEASE));
    movie.advance();
    EXPECT_EQ(movie.events.take(), "event 4 btn, trace released");
}

std::vector<flash::edit_text_character*> g_drawn;
void on_draw(flash::edit_text_character* field) { g_drawn.push_back(field); }

TEST(PlayingControls, FieldsShowTimelineVariablesAndAreDrawnOncePerDisplay) {
    swf::MovieWriter m(8);
    swf::EditText t;
    t.bounds = {0, 2000, 0, 400};
    t.variable_name = "score";
    const uint16_t bound = m.define_edit_text(t);
    t.variable_name = "";
    t.initial_text = "label";
    const uint16_t label = m.define_edit_text(t);
    m.do_action(assembler().set_var("score", dbl(3)).end().take());
    swf::PlaceObject a = swf::PlaceObject::place(1, bound);
    a.name = "a";
    m.place_object2(a);
    swf::PlaceObject b = swf::PlaceObject::place(2, label);
    b.name = "b";
    m.place_object2(b);
    m.show_frame();
    m.do_action(assembler().set_var("score", testasm::str("ten")).end().take());
    m.show_frame();
    m.end();
    playing_movie movie(m.finish_fws());
    auto* field = flash::cast_to<flash::edit_text_character>(movie.find("a"));
    auto* other = flash::cast_to<flash::edit_text_character>(movie.find("b"));
    ASSERT_NE(field, nullptr);
    ASSERT_NE(other, nullptr);
    movie.advance();
    EXPECT_STREQ(field->m_text.c_str(), "3");
    // The second frame's action changes the variable; the field shows it in the same advance.
    movie.advance();
    EXPECT_STREQ(field->m_text.c_str(), "ten");
    EXPECT_STREQ(other->m_text.c_str(), "label");

    flash::register_drawtext_callback(on_draw);
    g_drawn.clear();
    movie.top->display();
    EXPECT_EQ(g_drawn, (std::vector<flash::edit_text_character*>{field, other}));
    g_drawn.clear();
    other->set_visible(false);
    movie.top->display();
    EXPECT_EQ(g_drawn, std::vector<flash::edit_text_character*>{field});
    flash::register_drawtext_callback(nullptr);
}


TEST(PlayingControls, AButtonsKeyConditionFiresThroughItsRootsKeyEvents) {
    swf::MovieWriter m(8);
    place_traced_button(m, {{swf::cond_key_press(13), "enter"}, {swf::cond_key_press(19), "never"}});
    m.show_frame();
    m.remove_object2(1);
    m.show_frame();
    m.end();
    movietest::movie_fixture f;
    spritetest::journal events;
    flash::movie_def_impl* def = f.load("keys.swf", m.finish_fws());
    flash::smart_ptr<flash::root> r(new flash::root(f.owner.get_ptr(), def));
    f.owner->set_root(r.get_ptr());
    flash::smart_ptr<flash::sprite_instance> top(flash::sprite_instance::create_top_level(f.owner.get_ptr(), def, r.get_ptr()));
    r->set_root_movie(top.get_ptr());
    events.take();
    for (int key : {13, 19, 65}) r->notify_key_event(f.owner.get_ptr(), key, true);
    top->advance(spritetest::frame_time);
    EXPECT_EQ(events.take(), "trace enter");
    // Once the button leaves the display list it hears no more keys.
    top->advance(spritetest::frame_time);
    events.take();
    r->notify_key_event(f.owner.get_ptr(), 13, true);
    top->advance(spritetest::frame_time);
    EXPECT_EQ(events.take(), "");
    r = nullptr;
}


// A button and a field in a movie loaded by load_file, driven only through the root's mouse and
// key input, as the game drives its menus.
TEST(PlayingControls, LoadFileRootDrivesAButtonAndAFieldFromTheMouseAndKeys) {
    swf::MovieWriter m(8);
    place_traced_button(m, {{swf::cond_press, "pressed"}, {swf::cond_release, "released"}});
    swf::EditText t;
    t.bounds = {0, 2000, 0, 400};
    const uint16_t text = m.define_edit_text(t);
    swf::PlaceObject tp = swf::PlaceObject::place(2, text);
    tp.name = "name";
    tp.matrix = swf::Matrix::translation(200 * 20, 0);
    m.place_object2(tp);
    m.show_frame();
    m.end();
    movietest::movie_fixture f;
    spritetest::journal events;
    f.files.add("menu.swf", m.finish_fws());
    flash::smart_ptr<flash::root> r = f.owner->load_file("menu.swf");
    ASSERT_TRUE(r);
    f.owner->set_root(r.get_ptr());
    r->advance(0.0f);
    flash::display_list* list = r->get_root_movie()->get_display_list();
    flash::character* btn = list->get_character_by_name("btn", false);
    auto* field = flash::cast_to<flash::edit_text_character>(list->get_character_by_name("name", false));
    ASSERT_NE(btn, nullptr);
    ASSERT_NE(field, nullptr);
    btn->m_event_callback = spritetest::journal::on_event;
    events.take();
    auto step = [&](int x, int y, int buttons) {
        r->notify_mouse_state(x, y, buttons);
        r->advance(spritetest::frame_time);
        return events.take();
    };
    EXPECT_EQ(step(25, 25, 0), "event 4 btn");
    EXPECT_EQ(step(25, 25, 1), "sound default_btn_click, event 1 btn, trace pressed");
    EXPECT_EQ(step(25, 25, 0), "event 4 btn, trace released");
    EXPECT_EQ(step(120, 25, 0), "event 5 btn");
    EXPECT_EQ(static_cast<flash::button_character_instance*>(btn)->get_mouse_state(), flash::MOUSE_UP_STATE);

    step(210, 10, 1);
    step(210, 10, 0);
    EXPECT_TRUE(field->m_has_focus);
    for (int key : {'o', 'k', ';'}) r->notify_key_event(f.owner.get_ptr(), key, true);
    EXPECT_STREQ(field->m_text.c_str(), "ok");
    r = nullptr;
}

}  // namespace
