// Script classes and loading through swfrun: registerClass on an exported clip, MovieClipLoader
// listeners in their order and step, loadMovie and unloadMovie by GetURL, all from files beside
// the movie.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/flash/runtime/action_assembler.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/golden_picture.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/swfrun/swfrun_support.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/bitmaps.h"
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

TEST(SwfrunLoading, RegisterClassGivesPlacedAndAttachedClipsTheClass) {
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
    // A clip attached by its export name takes the class at once.
    assembler b;
    call_method(b, "_root", "attachMovie", {str("sym"), str("b"), i32(5)}).op(testasm::POP);
    b.push_str("b").op(testasm::GET_VARIABLE).push_str("made").op(testasm::GET_MEMBER).op(testasm::TRACE);
    call_method(b, "b", "hello", {}).op(testasm::TRACE);
    b.push_str("b").op(testasm::GET_VARIABLE).push_str("__constructor__").op(testasm::GET_MEMBER);
    b.push_str("C").op(testasm::GET_VARIABLE).op(testasm::EQUALS2).op(testasm::TRACE);
    m.do_action(code(b));
    m.show_frame();
    // A placed clip takes it on its first advance, after the frame's actions.
    assembler c;
    c.push_str("a").op(testasm::GET_VARIABLE).push_str("made").op(testasm::GET_MEMBER).op(testasm::TRACE);
    call_method(c, "a", "hello", {}).op(testasm::TRACE);
    c.push_str("a").op(testasm::GET_VARIABLE).push_str("__constructor__").op(testasm::GET_MEMBER);
    c.push_str("C").op(testasm::GET_VARIABLE).op(testasm::EQUALS2).op(testasm::TRACE);
    c.op(testasm::STOP);
    m.do_action(code(c));
    m.show_frame();
    EXPECT_EQ(play(m, 4), "true\nfalse\nyes\nhi\ntrue\nyes\nhi\ntrue\n");
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

// The pictures' frame size in pixels, and the side of what is loaded.
constexpr int shot_width = 80, shot_height = 40, loaded_side = 24;
constexpr int twips = 20;

// A movie of one square of colour, loaded_side pixels, at its origin.
swf::Bytes square_movie(swf::Rgba color) {
    swf::MovieWriter m(8);
    m.frame_rect({0, loaded_side * twips, 0, loaded_side * twips});
    m.place_object2(swf::PlaceObject::place(1, m.define_shape(swf::filled_rect(0, 0, loaded_side * twips,
                                                                                loaded_side * twips, color))));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

// A picture with a light left half and a dark right half.
swf::Bytes two_tone_jpeg() {
    swf::Image image = swf::Image::filled(loaded_side, loaded_side, {230, 230, 60, 255});
    for (int y = 0; y < loaded_side; ++y)
        for (int x = loaded_side / 2; x < loaded_side; ++x) image.at(x, y) = {20, 40, 160, 255};
    return swf::encode_jpeg(image, 95);
}

// Two empty clips, "left" at (8, 8) and "right" at (48, 8), and frame 0's actions.
swf::Bytes holders_movie(const swf::Bytes& actions) {
    swf::MovieWriter m(8);
    m.frame_rect({0, shot_width * twips, 0, shot_height * twips});
    swf::SpriteWriter s = m.sprite();
    s.show_frame();
    const uint16_t id = m.define_sprite(s);
    const struct {
        const char* name;
        int x;
    } holders[] = {{"left", 8}, {"right", 48}};
    for (int i = 0; i < 2; ++i) {
        swf::PlaceObject place = swf::PlaceObject::place(static_cast<uint16_t>(i + 1), id);
        place.name = holders[i].name;
        place.matrix = swf::Matrix::translation(holders[i].x * twips, 8 * twips);
        m.place_object2(place);
    }
    m.do_action(actions);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

platform::gfx::Image shot_of(const std::string& args) {
    platform::gfx::Image shot;
    const run_result r = run(args + " --shot shot.png");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(gfxtest::readPng("shot.png", shot));
    return shot;
}

std::string golden(const char* name) {
    return std::string(TOV_TEST_SOURCE_DIR) + "/tests/tools/swfrun/golden/" + name;
}

TEST(SwfrunLoading, LoadedMoviesAndImagesAreDrawnInTheirTargetsAndLevels) {
    testsupport::TempDir dir;
    write_file("red.swf", square_movie({220, 30, 30, 255}));
    write_file("green.swf", square_movie({30, 200, 60, 255}));
    write_file("pic.jpg", two_tone_jpeg());
    write_file("targets.swf",
               holders_movie(code(assembler().get_url("red.swf", "left").get_url("pic.jpg", "right"))));
    const platform::gfx::Image targets = shot_of("targets.swf --frames 2");
    EXPECT_TRUE(gfxtest::near(targets.argb(8 + 4, 8 + 4), 0xDC1E1E));
    // The picture shows its own two halves, not a flat square.
    constexpr int jpeg_tolerance = 12;
    EXPECT_TRUE(gfxtest::near(targets.argb(48 + 4, 8 + 12), 0xE6E63C, jpeg_tolerance));
    EXPECT_TRUE(gfxtest::near(targets.argb(48 + loaded_side - 4, 8 + 12), 0x1428A0, jpeg_tolerance));
    EXPECT_TRUE(gfxtest::matchesGolden(targets, golden("loaded_targets.png"), 8));
    // Into level 0 the loaded movie replaces the whole movie.
    write_file("level.swf", holders_movie(code(assembler().get_url("red.swf", "left").get_url("green.swf", "_level0"))));
    const platform::gfx::Image level = shot_of("level.swf --frames 2");
    EXPECT_TRUE(gfxtest::near(level.argb(4, 4), 0x1EC83C));
    EXPECT_FALSE(gfxtest::near(level.argb(8 + 4, 8 + 4), 0xDC1E1E));
    EXPECT_TRUE(gfxtest::matchesGolden(level, golden("loaded_level.png"), 8));
}

}  // namespace

namespace {

// A movie that loads child.swf into its holder on frame 0.
swf::Bytes loading_movie() {
    swf::MovieWriter m(8);
    place_holder(m);
    m.do_action(code(assembler().get_url("child.swf", "holder").trace_str("asked")));
    m.show_frame();
    m.do_action(code(assembler().op(testasm::STOP)));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

// A child that imports a symbol from a movie that is nowhere: its load logs a plain engine line
// while the frames run.
swf::Bytes importing_child(const std::string& text) {
    swf::MovieWriter m(8);
    m.import_assets("missing.swf", {{1, "sym"}});
    m.do_action(code(assembler().trace_str(text)));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(SwfrunLoading, RelativeLoadsAreTheMovieFoldersOrTheWorkdirs) {
    testsupport::TempDir dir;
    std::filesystem::create_directories("scene");
    std::filesystem::create_directories("other");
    write_file("scene/main.swf", loading_movie());
    write_file("scene/child.swf", importing_child("scene child"));
    write_file("other/child.swf", importing_child("other child"));
    write_file("child.swf", child_movie("working folder child"));
    struct row {
        const char* args;
        const char* out;
    };
    const row rows[] = {
        {"scene/main.swf --frames 3", "asked\nscene child\n"},
        {"scene/main.swf --frames 3 --workdir other", "asked\nother child\n"},
        {"scene/main.swf --frames 3 --workdir .", "asked\nworking folder child\n"},
    };
    for (const row& r : rows) {
        const run_result got = run(r.args);
        EXPECT_EQ(got.status, 0) << r.args << got.err;
        // Only traces on standard output; the engine's own line of the failed import goes to errors.
        EXPECT_EQ(got.out, r.out) << r.args;
        if (std::string(r.out).find("working") == std::string::npos) {
            EXPECT_NE(got.err.find("can't import movie from url missing.swf"), std::string::npos) << got.err;
        }
    }
}

}  // namespace
