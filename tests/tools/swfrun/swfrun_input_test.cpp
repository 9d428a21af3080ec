// swfrun --input: scripted mouse and key input on a movie's root, named clicks, waits on log
// lines, and the failures that stop a run with the script's line.
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

constexpr int twips = 20;

// A 100 by 40 button "btn" at (200, 100) whose press traces "pressed" and release "released",
// and a key listener that traces each key's code.
swf::Bytes input_movie() {
    swf::MovieWriter m(8);
    m.frame_rect({0, 640 * twips, 0, 480 * twips});
    const uint16_t shape = m.define_shape(swf::filled_rect(0, 0, 100 * twips, 40 * twips, {200, 100, 50, 255}));
    swf::Button2 b;
    swf::ButtonRecord r;
    r.character_id = shape;
    b.records.push_back(r);
    b.actions.push_back({swf::cond_press, assembler().trace_str("pressed").end().take()});
    b.actions.push_back({swf::cond_release, assembler().trace_str("released").end().take()});
    const uint16_t id = m.define_button2(b);
    swf::PlaceObject place = swf::PlaceObject::place(1, id);
    place.name = "btn";
    place.matrix = swf::Matrix::translation(200 * twips, 100 * twips);
    m.place_object2(place);
    // l = new Object(); l.onKeyDown = function () { trace("key " + Key.getCode()) }; Key.addListener(l)
    assembler a;
    a.push_str("l").push({i32(0)}).push_str("Object").op(testasm::NEW_OBJECT).op(testasm::SET_VARIABLE);
    a.push_str("l").op(testasm::GET_VARIABLE).push_str("onKeyDown");
    assembler body;
    body.push_str("key ").push({i32(0)}).push_str("Key").op(testasm::GET_VARIABLE).push_str("getCode")
        .op(testasm::CALL_METHOD).op(testasm::ADD2).op(testasm::TRACE);
    a.define_function("", {}, body);
    a.op(testasm::SET_MEMBER);
    a.push_str("l").op(testasm::GET_VARIABLE).push({i32(1)}).push_str("Key").op(testasm::GET_VARIABLE)
        .push_str("addListener").op(testasm::CALL_METHOD).op(testasm::POP);
    m.do_action(a.end().take());
    m.show_frame();
    m.do_action(assembler().op(testasm::STOP).end().take());
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(SwfrunInput, ScriptsPressButtonsAndKeysThroughTheRoot) {
    testsupport::TempDir dir;
    write_file("m.swf", input_movie());
    struct row {
        std::string script, out;
    };
    const row rows[] = {
        {"+1 click 250 120\n+2 quit\n", "pressed\nreleased\n"},
        {"+1 click @btn\n+2 quit\n", "pressed\nreleased\n"},
        {"+1 press 250 120\n+3 release 10 10\n+2 quit\n", "pressed\n"},
        {"+1 click 20 20\n+2 quit\n", ""},
        // Movies take presses of the left button only.
        {"+1 click 250 120 right\n+2 quit\n", ""},
        {"+1 key Escape\n+1 key 28 down\n+2 quit\n", "key 27\nkey 13\n"},
        {"+1 click @btn\nwait \"released\" max 5\nkey Enter down\n+1 quit\n", "pressed\nreleased\nkey 13\n"},
    };
    for (const row& r : rows) {
        write_file("in.txt", swf::Bytes(r.script.begin(), r.script.end()));
        const run_result got = run("m.swf --input in.txt");
        EXPECT_EQ(got.status, 0) << r.script << got.err;
        EXPECT_EQ(got.out, r.out) << r.script;
    }
}

TEST(SwfrunInput, AFailingScriptStopsTheRunWithItsLine) {
    testsupport::TempDir dir;
    write_file("m.swf", input_movie());
    struct row {
        std::string script, message;
    };
    const row rows[] = {
        {"move 1 2\nfly 3\n", "swfrun: in.txt:2: unknown event 'fly'"},
        {"click 1 y\n", "swfrun: in.txt:1: bad number 'y'"},
        {"wait \"never\n", "swfrun: in.txt:1: missing closing quote"},
        {"+1 click @nothing\n", "swfrun: in.txt:1: unknown name @nothing"},
        {"+1 click @btn\nwait \"never\" max 4\nquit\n", "swfrun: in.txt:2: \"never\" was not logged within 4 frames"},
    };
    for (const row& r : rows) {
        write_file("in.txt", swf::Bytes(r.script.begin(), r.script.end()));
        const run_result got = run("m.swf --input in.txt --frames 50");
        EXPECT_EQ(got.status, 4) << r.script;
        EXPECT_NE(got.err.find(r.message), std::string::npos) << r.script << ": " << got.err;
    }
    const run_result missing = run("m.swf --input nothere.txt");
    EXPECT_EQ(missing.status, 4);
    EXPECT_NE(missing.err.find("nothere.txt: cannot read the input file"), std::string::npos) << missing.err;
}

TEST(SwfrunInput, TheFixedClockStepsEachFrameAndRefusesBadValues) {
    testsupport::TempDir dir;
    // Each frame traces getTimer(): under the fixed clock it moves by the step exactly.
    swf::MovieWriter m(8);
    m.frame_rate(40);  // a frame each 25 ms: one frame per step
    for (int frame = 0; frame < 2; ++frame) {
        m.do_action(assembler().op(testasm::GET_TIME).op(testasm::TRACE).end().take());
        m.show_frame();
    }
    m.end();
    write_file("t.swf", m.finish_fws());
    const std::string command = std::string("TOV_TEST_CLOCK_MS=25 ") + SWFRUN + " t.swf --frames 4 >out.txt 2>err.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string first = swfruntest::read_file("out.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(swfruntest::read_file("out.txt"), first);
    EXPECT_EQ(first, "0\n25\n50\n75\n");
    const std::string bad = std::string("TOV_TEST_CLOCK_MS=0 ") + SWFRUN + " t.swf >out.txt 2>err.txt";
    const int status = std::system(bad.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 4);
    EXPECT_NE(swfruntest::read_file("err.txt").find("TOV_TEST_CLOCK_MS=\"0\""), std::string::npos);
}

}  // namespace
