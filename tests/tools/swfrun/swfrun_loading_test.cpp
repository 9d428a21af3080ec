// Script classes and loading through swfrun: registerClass on an exported clip, MovieClipLoader
// listeners in their order and step, loadMovie and unloadMovie by GetURL, all from files beside
// the movie.
#include <gtest/gtest.h>

#include <string>

#include "tests/flash/runtime/action_assembler.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/swfrun/swfrun_support.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

using testasm::assembler;
using testasm::i32;
using testasm::str;
using swfruntest::run;
using swfruntest::run_result;
using swfruntest::write_file;

swf::Bytes code(assembler a) { return a.end().take(); }

// object.method(args...), the result left on the stack; args in call order, after the last
// `pushed` arguments the caller has already pushed.
assembler& call_method(assembler& a, const std::string& object, const std::string& method,
                       const std::vector<testasm::item>& args, int pushed = 0) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) a.push({*it});
    a.push({i32(static_cast<int>(args.size()) + pushed)}).push_str(object).op(testasm::GET_VARIABLE);
    return a.push_str(method).op(testasm::CALL_METHOD);
}

// object.name = function (arg) { trace(prefix + arg) }, or trace(prefix + arg[member]).
assembler& tracing_method(assembler& a, const std::string& object, const std::string& name,
                          const std::string& prefix, const std::string& arg,
                          const std::string& member = "") {
    a.push_str(object).op(testasm::GET_VARIABLE).push_str(name);
    assembler body;
    body.push_str(prefix).push_str(arg).op(testasm::GET_VARIABLE);
    if (!member.empty()) body.push_str(member).op(testasm::GET_MEMBER);
    body.op(testasm::ADD2).op(testasm::TRACE);
    a.define_function("", {arg}, body);
    return a.op(testasm::SET_MEMBER);
}

std::string play(swf::MovieWriter& m, int frames) {
    m.end();
    write_file("movie.swf", m.finish_fws());
    const run_result r = run("movie.swf --frames " + std::to_string(frames));
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

TEST(SwfrunLoading, RegisterClassGivesPlacedClipsTheClass) {
    testsupport::TempDir dir;
    swf::MovieWriter m(8);
    swf::SpriteWriter s = m.sprite();
    s.show_frame();
    const uint16_t id = m.define_sprite(s);
    m.export_assets({{id, "sym"}});
    assembler a;
    // function C() { this.made = "yes" }  C.prototype.hello = function () { return "hi" }
    a.define_function("C", {}, assembler().push_str("this").op(testasm::GET_VARIABLE)
                                   .push({str("made"), str("yes")}).op(testasm::SET_MEMBER));
    a.push_str("C").op(testasm::GET_VARIABLE).push_str("prototype").op(testasm::GET_MEMBER).push_str("hello");
    a.define_function("", {}, assembler().push_str("hi").op(testasm::RETURN));
    a.op(testasm::SET_MEMBER);
    a.push_str("C").op(testasm::GET_VARIABLE);
    call_method(a, "Object", "registerClass", {str("sym")}, 1).op(testasm::TRACE);
    a.push_str("C").op(testasm::GET_VARIABLE);
    call_method(a, "Object", "registerClass", {str("nothere")}, 1).op(testasm::TRACE);
    m.do_action(code(a));
    m.show_frame();
    swf::PlaceObject place = swf::PlaceObject::place(1, id);
    place.name = "a";
    m.place_object2(place);
    assembler b;
    b.push_str("a").op(testasm::GET_VARIABLE).push_str("made").op(testasm::GET_MEMBER).op(testasm::TRACE);
    call_method(b, "a", "hello", {}).op(testasm::TRACE);
    b.push_str("a").op(testasm::GET_VARIABLE).push_str("__constructor__").op(testasm::GET_MEMBER);
    b.push_str("C").op(testasm::GET_VARIABLE).op(testasm::EQUALS2).op(testasm::TRACE);
    b.op(testasm::STOP);
    m.do_action(code(b));
    m.show_frame();
    EXPECT_EQ(play(m, 3), "true\nfalse\nyes\nhi\ntrue\n");
    EXPECT_NE(swfruntest::read_file("err.txt").find("can't find exported resource 'nothere'"), std::string::npos);
}

// A movie that traces text on its first frame.
swf::Bytes child_movie(const std::string& text) {
    swf::MovieWriter m(8);
    m.do_action(code(assembler().trace_str(text)));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

// Frame 0 of a movie with an empty clip "holder" at depth 1.
uint16_t place_holder(swf::MovieWriter& m) {
    swf::SpriteWriter s = m.sprite();
    s.show_frame();
    const uint16_t id = m.define_sprite(s);
    swf::PlaceObject place = swf::PlaceObject::place(1, id);
    place.name = "holder";
    m.place_object2(place);
    return id;
}

TEST(SwfrunLoading, MovieClipLoaderTellsItsListenersInOrder) {
    testsupport::TempDir dir;
    write_file("child.swf", child_movie("child frame"));
    swf::MovieWriter m(8);
    place_holder(m);
    assembler a;
    a.push({str("mcl"), i32(0), str("MovieClipLoader")}).op(testasm::NEW_OBJECT).op(testasm::SET_VARIABLE);
    a.push({str("l"), i32(0), str("Object")}).op(testasm::NEW_OBJECT).op(testasm::SET_VARIABLE);
    tracing_method(a, "l", "onLoadStart", "start ", "t", "_name");
    tracing_method(a, "l", "onLoadInit", "init ", "t", "_name");
    tracing_method(a, "l", "onLoadComplete", "complete ", "t", "_name");
    tracing_method(a, "l", "onLoadError", "error ", "e");
    // onLoadProgress(t, loaded, total): trace("progress " + (loaded == total))
    a.push_str("l").op(testasm::GET_VARIABLE).push_str("onLoadProgress");
    a.define_function("", {"t", "n", "all"},
                      assembler().push_str("progress ").push_str("n").op(testasm::GET_VARIABLE)
                          .push_str("all").op(testasm::GET_VARIABLE).op(testasm::EQUALS2)
                          .op(testasm::ADD2).op(testasm::TRACE));
    a.op(testasm::SET_MEMBER);
    a.push_str("l").op(testasm::GET_VARIABLE);
    call_method(a, "mcl", "addListener", {}, 1).op(testasm::POP);
    call_method(a, "mcl", "loadClip", {str("missing.swf"), str("holder")}).op(testasm::TRACE);
    call_method(a, "mcl", "loadClip", {str("child.swf"), str("holder")}).op(testasm::TRACE);
    a.op(testasm::STOP);
    m.do_action(code(a));
    m.show_frame();
    // The missing file fails at once; the start is told at the call; init, progress and complete
    // come on the next step, before the loaded movie's own first frame runs.
    EXPECT_EQ(play(m, 3),
              "error URLNotFound\nfalse\nstart holder\ntrue\ninit holder\nprogress true\ncomplete holder\n"
              "child frame\n");
}

TEST(SwfrunLoading, GetUrlLoadsAndUnloadsAMovie) {
    testsupport::TempDir dir;
    write_file("child.swf", child_movie("child frame"));
    swf::MovieWriter m(8);
    place_holder(m);
    m.do_action(code(assembler().get_url("child.swf", "holder").trace_str("asked")));
    m.show_frame();
    m.do_action(code(assembler().get_url("", "holder").trace_str("unloaded").op(testasm::STOP)));
    m.show_frame();
    EXPECT_EQ(play(m, 4), "asked\nchild frame\nunloaded\n");
}

}  // namespace
