// swfrun playing several frames of writer movies: timeline control across frames, clip actions,
// init actions, paths, duplicate and remove, and the standard members of clips read and written
// from ActionScript.
#include <gtest/gtest.h>

#include <string>

#include "tests/flash/runtime/action_assembler.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/swfrun/swfrun_support.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

using testasm::assembler;
using swfruntest::run;
using swfruntest::run_result;
using swfruntest::write_file;

constexpr int twips = 20;

swf::Bytes code(assembler a) { return a.end().take(); }

// obj.member on the stack: obj is a variable name or path.
assembler& get(assembler& a, const std::string& obj, const std::string& member) {
    return a.push_str(obj).op(testasm::GET_VARIABLE).push_str(member).op(testasm::GET_MEMBER);
}
assembler& trace_member(assembler& a, const std::string& obj, const std::string& member) {
    return get(a, obj, member).op(testasm::TRACE);
}
assembler& set_member(assembler& a, const std::string& obj, const std::string& member,
                      testasm::item value) {
    return a.push_str(obj).op(testasm::GET_VARIABLE).push_str(member).push({value}).op(testasm::SET_MEMBER);
}

// Ends the movie and plays it for frames; its standard output.
std::string play(swf::MovieWriter& m, int frames) {
    m.end();
    testsupport::TempDir dir;
    write_file("movie.swf", m.finish_fws());
    const run_result r = run("movie.swf --frames " + std::to_string(frames));
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

TEST(SwfrunFrames, StopPlayAndGotosAcrossFrames) {
    swf::MovieWriter m(8);
    m.do_action(code(assembler().trace_str("one")));
    m.show_frame();
    // gotoAndPlay(4): the fourth frame's actions run at the start of the next frame.
    m.do_action(code(assembler().trace_str("two").goto_frame(3).op(testasm::PLAY)));
    m.show_frame();
    m.do_action(code(assembler().trace_str("never")));
    m.show_frame();
    m.do_action(code(assembler().trace_str("four").op(testasm::STOP)));
    m.show_frame();
    m.frame_label("five");
    m.do_action(code(assembler().trace_str("five")));
    m.show_frame();
    EXPECT_EQ(play(m, 8), "one\ntwo\nfour\n");

    // Label gotos that stop: by GotoLabel, then by GotoFrame2 with a text. Each target's actions
    // run at the start of the next frame.
    swf::MovieWriter l(8);
    l.do_action(code(assembler().trace_str("start").goto_label("end")));
    l.show_frame();
    l.frame_label("back");
    l.do_action(code(assembler().trace_str("second").op(testasm::STOP)));
    l.show_frame();
    l.frame_label("end");
    l.do_action(code(assembler().trace_str("end").push_str("back").goto_frame2(0)));
    l.show_frame();
    EXPECT_EQ(play(l, 6), "start\nend\nsecond\n");
}

TEST(SwfrunFrames, ClipActionsInitActionsAndPaths) {
    swf::MovieWriter m(8);
    swf::SpriteWriter kid = m.sprite();
    assembler kid_code;
    trace_member(kid_code, "this", "_name");
    trace_member(kid_code, "_parent", "_target");
    kid_code.push_str("_root").op(testasm::GET_VARIABLE).push_str("kid").op(testasm::GET_MEMBER)
        .push_str("_name").op(testasm::GET_MEMBER).op(testasm::TRACE);
    set_member(kid_code, "_root", "x", testasm::i32(5));
    kid_code.op(testasm::STOP);
    kid.do_action(code(kid_code));
    kid.show_frame();
    const uint16_t kid_id = m.define_sprite(kid);
    swf::PlaceObject place = swf::PlaceObject::place(1, kid_id);
    place.name = "kid";
    place.clip_actions = swf::clip_actions({
        swf::clip_action(swf::event_load, code(assembler().trace_str("load"))),
        swf::clip_action(swf::event_enter_frame, code(assembler().trace_str("enter"))),
        swf::clip_action(swf::event_unload, code(assembler().trace_str("unload"))),
    });
    m.place_object2(place);
    m.do_action(code(assembler().trace_str("frame 1")));
    m.do_init_action(kid_id, code(assembler().trace_str("init")));
    m.show_frame();
    m.do_action(code(assembler().trace_var("x")));
    m.show_frame();
    m.remove_object2(1);
    m.do_action(code(assembler().trace_str("frame 3").op(testasm::STOP)));
    m.show_frame();
    EXPECT_EQ(play(m, 4),
              "init\nframe 1\nload\nkid\n/\nkid\n"  // the child's frame runs after its parent's
              "5\nenter\n"
              "unload\nframe 3\n");
}

TEST(SwfrunFrames, DuplicateAndRemoveMovieClip) {
    swf::MovieWriter m(8);
    swf::SpriteWriter s = m.sprite();
    s.show_frame();
    const uint16_t id = m.define_sprite(s);
    swf::PlaceObject place = swf::PlaceObject::place(1, id);
    place.name = "a";
    place.matrix = swf::Matrix::translation(30 * twips, 0);
    m.place_object2(place);
    assembler a;
    a.push_str("a").push_str("b").push_num(16390).op(testasm::CLONE_SPRITE);
    trace_member(a, "b", "_x");
    trace_member(a, "b", "_target");
    a.push_str("a").op(testasm::REMOVE_SPRITE);
    a.push_str("a").op(testasm::GET_VARIABLE).op(testasm::TYPE_OF).op(testasm::TRACE);
    a.push_str("b").op(testasm::REMOVE_SPRITE);
    a.push_str("b").op(testasm::GET_VARIABLE).op(testasm::TYPE_OF).op(testasm::TRACE);
    a.op(testasm::STOP);
    m.do_action(code(a));
    m.show_frame();
    EXPECT_EQ(play(m, 2), "30\n/b\nundefined\nundefined\n");
}

TEST(SwfrunFrames, StandardMembersReadAndWritten) {
    swf::MovieWriter m(8);
    swf::SpriteWriter box = m.sprite();
    box.place_object2(swf::PlaceObject::place(1, m.define_shape(swf::filled_rect(0, 0, 10 * twips, 10 * twips, {0, 0, 255, 255}))));
    swf::SpriteWriter anon = m.sprite();
    anon.do_action(code(assembler().push_str("this").op(testasm::GET_VARIABLE).push_str("_target")
                            .op(testasm::GET_MEMBER).op(testasm::TRACE).op(testasm::STOP)));
    anon.show_frame();
    box.show_frame();
    const uint16_t box_id = m.define_sprite(box);
    const uint16_t anon_id = m.define_sprite(anon);
    swf::SpriteWriter empty = m.sprite();
    empty.show_frame();
    const uint16_t empty_id = m.define_sprite(empty);
    swf::PlaceObject c = swf::PlaceObject::place(1, box_id);
    c.name = "clip";
    c.matrix = swf::Matrix::translation(100 * twips, 0);
    m.place_object2(c);
    swf::PlaceObject e = swf::PlaceObject::place(2, empty_id);
    e.name = "nothing";
    m.place_object2(e);
    m.place_object2(swf::PlaceObject::place(3, anon_id));  // unnamed

    assembler a;
    trace_member(a, "clip", "_x");
    set_member(a, "clip", "_x", testasm::dbl(12.5));
    trace_member(a, "clip", "_x");
    trace_member(a, "clip", "_width");
    set_member(a, "clip", "_width", testasm::i32(0));  // ignored
    trace_member(a, "clip", "_width");
    set_member(a, "clip", "_width", testasm::i32(-5));  // ignored
    trace_member(a, "clip", "_width");
    set_member(a, "clip", "_width", testasm::i32(20));
    trace_member(a, "clip", "_width");
    trace_member(a, "clip", "_xscale");
    set_member(a, "clip", "_xscale", testasm::i32(100));
    set_member(a, "clip", "_rotation", testasm::i32(90));
    set_member(a, "clip", "_xscale", testasm::i32(200));
    trace_member(a, "clip", "_xscale");
    trace_member(a, "clip", "_yscale");
    get(a, "clip", "_rotation").push({testasm::dbl(0.5)}).op(testasm::ADD2).op(testasm::TO_INTEGER).op(testasm::TRACE);
    set_member(a, "clip", "_alpha", testasm::i32(50));
    trace_member(a, "clip", "_alpha");
    set_member(a, "clip", "_visible", testasm::boolean(false));
    trace_member(a, "clip", "_visible");
    trace_member(a, "nothing", "_width");
    set_member(a, "nothing", "_width", testasm::i32(30));  // nothing to stretch
    trace_member(a, "nothing", "_width");
    trace_member(a, "clip", "_target");
    set_member(a, "clip", "_name", testasm::str("renamed"));
    trace_member(a, "renamed", "_name");
    a.push_str("_currentframe").op(testasm::GET_VARIABLE).op(testasm::TRACE);
    a.push_str("_totalframes").op(testasm::GET_VARIABLE).op(testasm::TRACE);
    m.do_action(code(a));
    m.show_frame();
    m.do_action(code(assembler().push_str("_currentframe").op(testasm::GET_VARIABLE).op(testasm::TRACE)
                         .op(testasm::STOP)));
    m.show_frame();
    EXPECT_EQ(play(m, 3),
              "100\n12.5\n10\n10\n10\n20\n200\n"
              "200\n100\n90\n"
              "50\nfalse\n0\n0\n/clip\nrenamed\n1\n2\n"
              "/noname\n"  // the unnamed child's own frame
              "2\n");
}

TEST(SwfrunFrames, SpritesPlacingThemselvesOrEachOtherStopWithAnError) {
    swf::MovieWriter m(8);
    const uint16_t first = m.next_id();
    const uint16_t second = m.next_id();
    swf::SpriteWriter self = m.sprite();
    self.place_object2(swf::PlaceObject::place(1, first));
    self.place_object2(swf::PlaceObject::place(2, second));
    self.do_action(code(assembler().trace_str("inside")));
    self.show_frame();
    m.define_sprite(self, first);
    swf::SpriteWriter other = m.sprite();
    other.place_object2(swf::PlaceObject::place(1, first));
    other.place_object2(swf::PlaceObject::place(2, second));
    other.show_frame();
    m.define_sprite(other, second);
    m.place_object2(swf::PlaceObject::place(1, first));
    m.do_action(code(assembler().trace_str("top")));
    m.show_frame();
    m.end();
    testsupport::TempDir dir;
    write_file("loop.swf", m.finish_fws());
    const run_result r = run("loop.swf --frames 3");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "top\ninside\n");
    EXPECT_NE(r.err.find("nesting stopped"), std::string::npos) << r.err;
}

}  // namespace
