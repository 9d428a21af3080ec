// The MovieClip methods through swfrun: ActionScript programs on writer movies call the methods
// on timeline clips and on clips they make, and trace what they answer; the engine's messages
// for wrong calls go to standard error.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/flash/runtime/action_assembler.h"
#include "swfrun_support.h"
#include "tests/support/temp_dir.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

using swfruntest::run;
using swfruntest::run_result;
using swfruntest::write_file;
using testasm::assembler;
using testasm::item;

// Pixels to twips for the writer.
constexpr int32_t tw(int pixels) { return pixels * 20; }

// Pushes a value found by a path ("a", "_root.a", "p").
assembler& value(assembler& a, const std::string& path) { return a.push_str(path).op(testasm::GET_VARIABLE); }

// Pushes path.method(...) over `count` arguments already pushed, the last first.
assembler& call_pushed(assembler& a, const std::string& path, const std::string& method, size_t count) {
    a.push({testasm::i32(static_cast<int32_t>(count))});
    value(a, path);
    return a.push_str(method).op(testasm::CALL_METHOD);
}

// Pushes path.method(args).
assembler& call(assembler& a, const std::string& path, const std::string& method, std::vector<item> args = {}) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) a.push({*it});
    return call_pushed(a, path, method, args.size());
}

// Pushes path.method(arguments), each argument the value found by its own path.
assembler& call_with(assembler& a, const std::string& path, const std::string& method,
                     const std::vector<std::string>& argument_paths) {
    for (auto it = argument_paths.rbegin(); it != argument_paths.rend(); ++it) value(a, *it);
    return call_pushed(a, path, method, argument_paths.size());
}

// path.method(args), its result traced or dropped.
assembler& trace_call(assembler& a, const std::string& path, const std::string& method, std::vector<item> args = {}) {
    return call(a, path, method, std::move(args)).op(testasm::TRACE);
}
assembler& do_call(assembler& a, const std::string& path, const std::string& method, std::vector<item> args = {}) {
    return call(a, path, method, std::move(args)).op(testasm::POP);
}

// trace(path.member).
assembler& trace_member(assembler& a, const std::string& path, const std::string& member) {
    value(a, path);
    return a.push_str(member).op(testasm::GET_MEMBER).op(testasm::TRACE);
}

// path.member = number.
assembler& set_member(assembler& a, const std::string& path, const std::string& member, double number) {
    value(a, path);
    return a.push({testasm::str(member), testasm::dbl(number)}).op(testasm::SET_MEMBER);
}

// A 40 x 20 pixel box clip exported as "Box"; clips "a" at (100, 50), "b" at (300, 0) and "c"
// at (120, 60) (over a) on depths 1 to 3; the program on frame 1 of three.
swf::Bytes scene(assembler program) {
    swf::MovieWriter m(8);
    const uint16_t box_shape = m.define_shape(swf::filled_rect(0, 0, tw(40), tw(20), {200, 0, 0, 255}));
    swf::SpriteWriter box = m.sprite();
    box.place_object2(swf::PlaceObject::place(1, box_shape));
    box.show_frame();
    const uint16_t box_id = m.define_sprite(box);
    m.export_assets({{box_id, "Box"}});
    const struct {
        uint16_t depth;
        const char* name;
        int x, y;
    } clips[] = {{1, "a", 100, 50}, {2, "b", 300, 0}, {3, "c", 120, 60}};
    for (const auto& c : clips) {
        swf::PlaceObject p = swf::PlaceObject::place(c.depth, box_id);
        p.name = c.name;
        p.matrix = swf::Matrix::translation(tw(c.x), tw(c.y));
        m.place_object2(p);
    }
    swf::Bytes code = program.end().take();
    m.do_action(code);
    for (int frame = 0; frame < 3; ++frame) m.show_frame();
    m.end();
    return m.finish_fws();
}

struct program_case {
    const char* what;
    std::function<void(assembler&)> program;
    const char* out;
    std::vector<const char*> errors;
};

void run_cases(const std::vector<program_case>& cases, const std::string& args = "") {
    testsupport::TempDir dir;
    for (const program_case& c : cases) {
        SCOPED_TRACE(c.what);
        assembler a;
        c.program(a);
        write_file("program.swf", scene(a));
        const run_result r = run("program.swf " + args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << r.err;
        for (const char* e : c.errors) EXPECT_NE(r.err.find(e), std::string::npos) << e << " in:\n" << r.err;
    }
}

using testasm::boolean;
using testasm::dbl;
using testasm::i32;
using testasm::str;
using testasm::undef;

TEST(MovieClipMethods, DepthsFramesAndPlayState) {
    run_cases({
        {"getDepth of a timeline clip", [](assembler& a) { trace_call(a, "a", "getDepth"); }, "-16383\n", {}},
        {"getNextHighestDepth of an empty clip and of its parent",
         [](assembler& a) {
             do_call(a, "_root", "createEmptyMovieClip", {str("e"), i32(7)});
             trace_call(a, "e", "getNextHighestDepth");
             trace_call(a, "e", "getDepth");
             trace_call(a, "_root", "getNextHighestDepth");
         },
         "0\n7\n8\n", {}},
        {"gotoAndStop with no usable frame does nothing, not even a stop",
         [](assembler& a) {
             do_call(a, "_root", "gotoAndStop", {undef()});
             trace_call(a, "_root", "getPlayState");
             do_call(a, "_root", "gotoAndStop", {boolean(true)});
             trace_call(a, "_root", "getPlayState");
             do_call(a, "_root", "gotoAndStop");
             trace_call(a, "_root", "getPlayState");
             do_call(a, "_root", "gotoAndStop", {str("3")});
             trace_member(a, "_root", "_currentframe");
             trace_call(a, "_root", "getPlayState");
         },
         "true\ntrue\ntrue\n3\nfalse\n", {"error: sprite_goto_and_stop needs one arg\n"}},
        {"swapDepths to a free depth and to an occupied one",
         [](assembler& a) {
             do_call(a, "a", "swapDepths", {i32(10)});
             trace_call(a, "a", "getDepth");
             do_call(a, "a", "swapDepths", {i32(2 - 16384)});
             trace_call(a, "a", "getDepth");
             trace_call(a, "b", "getDepth");
             call_with(a, "a", "swapDepths", {"b"}).op(testasm::POP);
             trace_call(a, "a", "getDepth");
             do_call(a, "a", "swapDepths");
             do_call(a, "a", "swapDepths", {boolean(true)});
             do_call(a, "_root", "swapDepths", {i32(4)});
         },
         "10\n-16382\n10\n10\n",
         {"swapDepths needs one arg\n", "swapDepths has received invalid arg\n", "can't do _root.swapDepths\n"}},
    });
}

TEST(MovieClipMethods, MakingClipsAndTheirArgumentCounts) {
    run_cases({
        {"wrong argument counts leave everything unchanged",
         [](assembler& a) {
             trace_call(a, "a", "duplicateMovieClip", {str("x")});
             trace_call(a, "_root", "createEmptyMovieClip", {str("x")});
             trace_call(a, "_root", "attachMovie", {str("Box"), str("x")});
             trace_call(a, "_root", "createTextField", {str("x"), i32(1), i32(0), i32(0), i32(10)});
             trace_call(a, "_root", "getNextHighestDepth");
         },
         "undefined\nundefined\nundefined\nnull\n0\n",
         {"duplicateMovieClip needs 2 or 3 args\n", "createEmptyMovieClip needs 2 args\n", "attachMovie needs 3 or 4 args\n",
          "createTextField: the number of arguments must be 6\n"}},
        {"the right counts make clips at script depths",
         [](assembler& a) {
             do_call(a, "a", "duplicateMovieClip", {str("a2"), i32(20)});
             trace_call(a, "a2", "getDepth");
             trace_member(a, "a2", "_x");
             do_call(a, "_root", "attachMovie", {str("Box"), str("q"), i32(21)});
             trace_call(a, "q", "getDepth");
             trace_member(a, "q", "_width");
             do_call(a, "_root", "createTextField", {str("t"), i32(22), i32(5), i32(6), i32(100), i32(20)});
             trace_member(a, "t", "_x");
             trace_member(a, "t", "_y");
             trace_call(a, "_root", "attachMovie", {str("NoSuchExport"), str("z"), i32(23)});
         },
         "20\n100\n21\n40\n5\n6\nundefined\n", {}},
    });
}

TEST(MovieClipMethods, CoordinatesBoundsAndHitTests) {
    run_cases({
        {"localToGlobal and globalToLocal round trip",
         [](assembler& a) {
             a.push({str("p"), str("x"), i32(10), str("y"), i32(5), i32(2)}).op(testasm::INIT_OBJECT).op(testasm::SET_VARIABLE);
             call_with(a, "a", "localToGlobal", {"p"}).op(testasm::POP);
             trace_member(a, "p", "x");
             trace_member(a, "p", "y");
             call_with(a, "a", "globalToLocal", {"p"}).op(testasm::POP);
             trace_member(a, "p", "x");
             trace_member(a, "p", "y");
         },
         "110\n55\n10\n5\n", {}},
        {"getBounds in the stage's and its own coordinates, and an empty clip's origin",
         [](assembler& a) {
             // The stage's coordinates: the root clip as the target.
             a.push_str("r");
             call_with(a, "a", "getBounds", {"_root"}).op(testasm::SET_VARIABLE);
             for (const char* m : {"xMin", "xMax", "yMin", "yMax"}) trace_member(a, "r", m);
             a.push_str("r");
             call(a, "a", "getBounds");
             a.op(testasm::SET_VARIABLE);
             for (const char* m : {"xMin", "xMax", "yMin", "yMax"}) trace_member(a, "r", m);
             do_call(a, "_root", "createEmptyMovieClip", {str("e"), i32(9)});
             set_member(a, "e", "_x", 30);
             set_member(a, "e", "_y", 40);
             a.push_str("r");
             call_with(a, "e", "getBounds", {"_root"}).op(testasm::SET_VARIABLE);
             for (const char* m : {"xMin", "xMax", "yMin", "yMax"}) trace_member(a, "r", m);
         },
         "100\n140\n50\n70\n0\n40\n0\n20\n30\n30\n40\n40\n", {}},
        {"hitTest with a clip, a path, three arguments and a missing target",
         [](assembler& a) {
             trace_call(a, "a", "hitTest", {str("c")});
             trace_call(a, "a", "hitTest", {str("_root.b")});
             call_with(a, "a", "hitTest", {"c"}).op(testasm::TRACE);
             trace_call(a, "a", "hitTest", {i32(110), i32(55), boolean(true)});
             trace_call(a, "a", "hitTest", {str("nothing")});
         },
         "true\nfalse\ntrue\nfalse\nfalse\n", {"hitTest(x,y,flag) is't implemented yet\n", "hitTest: can't find target\n"}},
    });
}

TEST(MovieClipMethods, MaskCyclesAndLoadingEnd) {
    run_cases(
        {
            {"clips masking themselves and each other are drawn without end",
             [](assembler& a) {
                 do_call(a, "a", "setMask", {str("b")});
                 call_with(a, "b", "setMask", {"a"}).op(testasm::POP);
                 call_with(a, "c", "setMask", {"c"}).op(testasm::POP);
                 // Shown again, each draws its mask, whose own mask leads back to it.
                 set_member(a, "a", "_visible", 1);
                 set_member(a, "c", "_visible", 1);
                 a.trace_str("masked");
             },
             "masked\n", {}},
            {"loadMovie and unloadMovie report what cannot be loaded",
             [](assembler& a) {
                 do_call(a, "a", "loadMovie", {str("other.swf")});
                 do_call(a, "a", "unloadMovie");
                 a.trace_str("loaded");
             },
             "loaded\n", {"can't open 'other.swf'"}},
        },
        // Drawn, so the masks are drawn too.
        "--frames 3 --shot masks.png");
}

// The turn counter of the reading programs below, on the root whatever the target.
constexpr const char* turn = "/:turn";

// Runs change only on turn n.
void on_turn(assembler& a, int n, const std::function<void(assembler&)>& change) {
    const int skip = a.new_label();
    a.push({str(turn)}).op(testasm::GET_VARIABLE).push({i32(n)}).op(testasm::EQUALS2).op(testasm::NOT)
        .if_true(skip);
    change(a);
    a.label(skip);
}

// turns times: body (the same actions every turn), then the turn counted.
void repeat_turns(assembler& a, int turns, const std::function<void(assembler&)>& body) {
    a.push({str(turn), i32(0)}).op(testasm::SET_VARIABLE);
    const int top = a.new_label();
    a.label(top);
    body(a);
    a.push({str(turn), str(turn)}).op(testasm::GET_VARIABLE).op(testasm::INCREMENT).op(testasm::SET_VARIABLE);
    a.push({str(turn)}).op(testasm::GET_VARIABLE).push({i32(turns)}).op(testasm::LESS2).if_true(top);
}

TEST(MovieClipMethods, AVariableReadAgainFindsTheChildrenOfItsNameFirst) {
    // typeof v: a clip answers "movieclip".
    const auto trace_v = [](assembler& a) {
        a.push_str("v").op(testasm::GET_VARIABLE).op(testasm::TYPE_OF).op(testasm::TRACE);
    };
    run_cases({
        {"a child made and removed between reads of the same action",
         [&](assembler& a) {
             a.set_var("v", str("member"));
             repeat_turns(a, 3, [&](assembler& b) {
                 trace_v(b);
                 on_turn(b, 0, [](assembler& c) { do_call(c, "_root", "createEmptyMovieClip", {str("v"), i32(5)}); });
                 on_turn(b, 1, [](assembler& c) { do_call(c, "v", "removeMovieClip"); });
             });
         },
         "string\nmovieclip\nstring\n", {}},
        {"a child renamed to a variable's name between reads",
         [&](assembler& a) {
             a.set_var("v", str("member"));
             do_call(a, "_root", "createEmptyMovieClip", {str("w"), i32(5)});
             repeat_turns(a, 2, [&](assembler& b) {
                 trace_v(b);
                 on_turn(b, 0, [](assembler& c) { c.set_var("w._name", str("v")); });
             });
         },
         "string\nmovieclip\n", {}},
        {"the same read on a clip, then on the root that has a child of the name",
         [&](assembler& a) {
             a.set_var("a.v", str("a's")).set_var("v", str("member"));
             do_call(a, "_root", "createEmptyMovieClip", {str("v"), i32(5)});
             repeat_turns(a, 2, [&](assembler& b) {
                 on_turn(b, 0, [](assembler& c) { c.push_str("a").op(testasm::SET_TARGET2); });
                 on_turn(b, 1, [](assembler& c) { c.push_str("").op(testasm::SET_TARGET2); });
                 trace_v(b);
             });
         },
         "string\nmovieclip\n", {}},
    });
}

}  // namespace
