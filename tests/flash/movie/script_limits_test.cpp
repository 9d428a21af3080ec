// Hostile frame scripts in movies played through their root: a loop that never ends, a loop that
// leaves a value on the stack each turn, a walk down a prototype chain that grows each turn and
// a loop that stores ever more array elements each end with one ERROR naming the movie and the
// run, within their limit and bounded memory, and the movie goes on with its next frame.
#include <gtest/gtest.h>

#include <string>

#include "tests/flash/runtime/action_assembler.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/runtime/script_limits.h"
#include "tests/flash/movie/movie_fixture.h"
#include "tests/support/largest_allocation.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using testasm::assembler;
using testasm::i32;
using testasm::str;
using namespace testasm;

// Lowers the limits while it lives (the shipped ones take seconds to reach under the sanitizers).
struct lowered_limits {
    lowered_limits(int64_t actions, int stack, int64_t bytes) { flash::set_script_limits(actions, stack, bytes); }
    ~lowered_limits() { flash::reset_script_limits(); }
};

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// i = 0; top: body; i++; jump top. The counter tells how many turns ran.
assembler counted_loop(assembler prologue, const assembler& body) {
    assembler a = std::move(prologue);
    const int top = a.new_label();
    a.set_var("i", i32(0)).label(top).raw(assembler(body).take());
    a.push({str("i"), str("i")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE).jump(top);
    return a;
}

assembler runaway_loop() { return counted_loop(assembler(), assembler()); }

assembler growing_stack() { return counted_loop(assembler(), assembler().push({i32(1)})); }

// function F() {}; for (;;) { F.prototype = new F(); x = F.prototype.missing; }
assembler prototype_walk() {
    assembler prologue;
    prologue.define_function("F", {}, assembler());
    return counted_loop(std::move(prologue),
                        assembler()
                            .push({str("F")}).op(GET_VARIABLE).push({str("prototype"), i32(0), str("F")})
                            .op(NEW_OBJECT).op(SET_MEMBER)
                            .push({str("x"), str("F")}).op(GET_VARIABLE).push({str("prototype")}).op(GET_MEMBER)
                            .push({str("missing")}).op(GET_MEMBER).op(SET_VARIABLE));
}

// a = new Array(); for (;;) a[i] = i;
assembler growing_array() {
    assembler prologue;
    prologue.push({str("a"), i32(0), str("Array")}).op(NEW_OBJECT).op(SET_VARIABLE);
    return counted_loop(std::move(prologue), assembler()
                                                 .push({str("a")}).op(GET_VARIABLE)
                                                 .push({str("i")}).op(GET_VARIABLE)
                                                 .push({str("i")}).op(GET_VARIABLE).op(SET_MEMBER));
}

// s = "abcdefghijklmnop"; for (;;) s = s + s;
assembler doubling_text() {
    assembler prologue;
    prologue.set_var("s", str("abcdefghijklmnop"));
    return counted_loop(std::move(prologue), assembler()
                                                 .push({str("s"), str("s")}).op(GET_VARIABLE)
                                                 .push({str("s")}).op(GET_VARIABLE).op(ADD2).op(SET_VARIABLE));
}

// a = new Array(); a[0] = "abcdefghijklmnop"; for (;;) a[i + 1] = a + ""; each turn's text
// holds the array's texts so far.
assembler array_as_text() {
    assembler prologue;
    prologue.push({str("a"), i32(0), str("Array")}).op(NEW_OBJECT).op(SET_VARIABLE)
        .push({str("a")}).op(GET_VARIABLE).push({i32(0), str("abcdefghijklmnop")}).op(SET_MEMBER);
    return counted_loop(std::move(prologue),
                        assembler()
                            .push({str("a")}).op(GET_VARIABLE)
                            .push({str("i")}).op(GET_VARIABLE).push({i32(1)}).op(ADD2)
                            .push({str("a")}).op(GET_VARIABLE).push({str("")}).op(ADD2).op(SET_MEMBER));
}

// function f() { for (;;) { var ["v" + i] = i; } }; f(): ever more local variables.
assembler growing_locals() {
    assembler prologue;
    prologue.define_function(
        "f", {},
        counted_loop(assembler(), assembler()
                                      .push({str("v"), str("i")}).op(GET_VARIABLE).op(ADD2)
                                      .push({str("i")}).op(GET_VARIABLE).op(DEFINE_LOCAL)));
    return assembler(prologue).push({i32(0), str("f")}).op(CALL_FUNCTION).op(POP);
}

// function f() {}; o = new Object(); for (;;) o.watch("w" + i, f): ever more watches.
assembler growing_watches() {
    assembler prologue;
    prologue.define_function("f", {}, assembler())
        .push({str("o"), i32(0), str("Object")}).op(NEW_OBJECT).op(SET_VARIABLE);
    return counted_loop(std::move(prologue),
                        assembler()
                            .push({str("f")}).op(GET_VARIABLE)
                            .push({str("w"), str("i")}).op(GET_VARIABLE).op(ADD2)
                            .push({i32(2), str("o")}).op(GET_VARIABLE).push({str("watch")})
                            .op(CALL_METHOD).op(POP));
}

// function f(d) { if (d < 30) { f(d + 1); f(d + 1); } }; f(0): a tree of calls, no loop.
assembler call_tree() {
    assembler body;
    const int skip = body.new_label();
    body.push({str("d")}).op(GET_VARIABLE).push({i32(30)}).op(LESS2).op(NOT).if_true(skip);
    for (int i = 0; i < 2; ++i) {
        body.push({str("d")}).op(GET_VARIABLE).push({i32(1)}).op(ADD2).push({i32(1), str("f")})
            .op(CALL_FUNCTION).op(POP);
    }
    body.label(skip);
    return assembler().define_function("f", {"d"}, std::move(body)).push({i32(0), i32(1), str("f")})
        .op(CALL_FUNCTION).op(POP);
}

// Frame 1: trace "start", then the script; frame 2 traces "frame 2" and stops.
movietest::bytes movie_of(const assembler& script) {
    swf::MovieWriter m(8);
    m.frame_rect({0, 550 * 20, 0, 400 * 20});
    m.do_action(assembler().trace_str("start").raw(assembler(script).take()).trace_str("never").end().take());
    m.show_frame();
    m.do_action(assembler().trace_str("frame 2").op(STOP).end().take());
    m.show_frame();
    m.end();
    return m.finish_fws();
}

struct played {
    std::string errors;
    std::string messages;
    double turns = 0;
    long long peak = 0;
};

// Plays two frames of the movie made of script.
played play(const assembler& script) {
    played out;
    movietest::movie_fixture f;
    f.files.add("hostile.swf", movie_of(script));
    flash::smart_ptr<flash::root> r = f.owner->load_file("hostile.swf");
    EXPECT_TRUE(r);
    if (!r) return out;
    {
        testsupport::PeakLiveBytes peak;
        r->advance(0.0f);
        out.peak = peak.bytes();
    }
    flash::as_value turns;
    if (r->get_root_movie()->get_member("i", &turns)) out.turns = turns.to_number();
    r->advance(1.0f);
    out.errors = f.log.errors();
    out.messages = f.log.messages();
    return out;
}

TEST(ScriptLimits, RunawayScriptsEndWithOneErrorAndTheMovieGoesOn) {
    // A turn of the counted loop runs 17 bytes of records; the frame's own bytes are paid first.
    constexpr int64_t actions = 2000000;
    constexpr int stack = 50000;
    constexpr int64_t bytes = 1 << 20;
    const lowered_limits limits(actions, stack, bytes);
    struct row {
        const char* name;
        assembler script;
        const char* problem;
        double min_turns;
        double max_turns;
    };
    for (row& r : std::vector<row>{
             {"endless loop", runaway_loop(), "ran past 2000000 actions in one host call", actions / 17.0 - 10,
              actions / 17.0 + 1},
             {"tree of calls", call_tree(), "ran past 2000000 actions in one host call", 0, 0},
             // The counter's own value is pushed for a moment each turn.
             {"growing stack", growing_stack(), "grew its stack past 50000 values", stack - 2, stack},
             {"prototype walk", prototype_walk(), "walked a prototype chain past 256 levels", 255, 258},
             // A member is counted with its name's bytes: "0" to "9999".
             {"growing array", growing_array(), "they may grow no further)", bytes / 133.0, bytes / 129.0},
             // The text held twice (the member's and the one held since the host call began)
             // and its doubled copy pass 1 MiB when it is 16 << 14 bytes long.
             {"doubling text", doubling_text(), "they may grow no further)", 13, 15},
             // Turn n builds a text of about 17 * 2^n bytes, held by the array's element.
             {"array as text", array_as_text(), "they may grow no further)", 11, 14},
             // A local is counted as a member: 128 bytes and its name ("v0" to "v9999").
             {"growing locals", growing_locals(), "they may grow no further)", bytes / 134.0, bytes / 129.0},
             {"growing watches", growing_watches(), "they may grow no further)", bytes / 134.0, bytes / 129.0},
         }) {
        const played p = play(r.script);
        EXPECT_EQ(count_of(p.errors, "error:"), 1) << r.name << "\n" << p.errors;
        EXPECT_NE(p.errors.find("error: movie 'hostile.swf': the script run of '/' "), std::string::npos)
            << r.name << "\n" << p.errors;
        EXPECT_NE(p.errors.find(r.problem), std::string::npos) << r.name << "\n" << p.errors;
        EXPECT_EQ(p.messages, "start\nframe 2\n") << r.name;
        EXPECT_GE(p.turns, r.min_turns) << r.name;
        EXPECT_LE(p.turns, r.max_turns) << r.name;
    }
}

TEST(ScriptLimits, AMemberTextGrowingFrameByFrameIsRefusedOnceItsBytesPassTheAccount) {
    // Frame 1: s = s + a 1,000-byte text; frame 2 loops back. Each host call builds little, but
    // what the member keeps counts with it.
    const lowered_limits limits(2000000, 50000, 1 << 20);
    const std::string chunk(1000, 'x');
    swf::MovieWriter m(8);
    m.frame_rect({0, 550 * 20, 0, 400 * 20});
    m.do_action(assembler().push({str("s"), str("s")}).op(GET_VARIABLE).push({str(chunk)}).op(ADD2)
                    .op(SET_VARIABLE).end().take());
    m.show_frame();
    m.show_frame();
    m.end();
    movietest::movie_fixture f;
    f.files.add("grower.swf", m.finish_fws());
    flash::smart_ptr<flash::root> r = f.owner->load_file("grower.swf");
    ASSERT_TRUE(r);
    int frames = 0;
    for (; frames < 4000 && f.log.errors().empty(); ++frames) r->advance(1.0f / 8);
    EXPECT_EQ(count_of(f.log.errors(), "error:"), 1) << f.log.errors();
    EXPECT_NE(f.log.errors().find("they may grow no further)"), std::string::npos) << f.log.errors();
    flash::as_value text;
    ASSERT_TRUE(r->get_root_movie()->get_member("s", &text));
    // The member's text and the longer copy built from it meet the 1 MiB between them.
    EXPECT_GT(text.to_bx_string().size(), 400000);
    EXPECT_LT(text.to_bx_string().size(), 600000);
    // Refused growth is refused again, and the movie keeps playing.
    for (int i = 0; i < 20; ++i) r->advance(1.0f / 8);
    EXPECT_LT(r->get_root_movie()->get_member("s", &text) ? text.to_bx_string().size() : 0, 600000);
}

TEST(ScriptLimits, TextsReplacingShortMembersCountWithTheMembersThatHoldThem) {
    // Frame 1 gives an object 100 empty members; each pass of frames 2-3 replaces the next one by
    // a new 20,000-byte text. Every host call builds only its one text: what keeps the account
    // from being passed is the charge a member pays when it takes a longer text.
    const lowered_limits limits(2000000, 50000, 1 << 20);
    constexpr int kMembers = 100;
    constexpr int kChunk = 20000;
    const std::string chunk(kChunk, 'x');
    assembler init;
    init.push({str("o"), i32(0), str("Object")}).op(NEW_OBJECT).op(SET_VARIABLE);
    for (int k = 0; k < kMembers; ++k)
        init.push({str("o")}).op(GET_VARIABLE).push({str("m" + std::to_string(k)), str("")}).op(SET_MEMBER);
    init.set_var("k", i32(0));
    swf::MovieWriter m(8);
    m.frame_rect({0, 550 * 20, 0, 400 * 20});
    m.do_action(init.end().take());
    m.show_frame();
    m.do_action(assembler()
                    .push({str("o")}).op(GET_VARIABLE)
                    .push({str("m"), str("k")}).op(GET_VARIABLE).op(ADD2)
                    .push({str(chunk), str("k")}).op(GET_VARIABLE).op(ADD2).op(SET_MEMBER)
                    .push({str("k"), str("k")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)
                    .end().take());
    m.show_frame();
    m.do_action(assembler().goto_frame(1).op(PLAY).end().take());
    m.show_frame();
    m.end();
    movietest::movie_fixture f;
    f.files.add("holder.swf", m.finish_fws());
    flash::smart_ptr<flash::root> r = f.owner->load_file("holder.swf");
    ASSERT_TRUE(r);
    // Until the first refusal: the stopped run then lets the movie loop back to frame 1.
    for (int frame = 0; frame < 3 * kMembers && f.log.errors().empty(); ++frame) r->advance(1.0f / 8);
    EXPECT_EQ(count_of(f.log.errors(), "error:"), 1) << f.log.errors();
    EXPECT_NE(f.log.errors().find("they may grow no further)"), std::string::npos) << f.log.errors();
    flash::as_value holder;
    ASSERT_TRUE(r->get_root_movie()->get_member("o", &holder));
    ASSERT_TRUE(holder.to_object());
    int long_members = 0;
    for (int k = 0; k < kMembers; ++k) {
        flash::as_value member;
        ASSERT_TRUE(holder.to_object()->get_member(("m" + std::to_string(k)).c_str(), &member)) << k;
        if (member.to_bx_string().size() > kChunk) ++long_members;
    }
    // About 1 MiB of member texts, less the object's and its members' own share.
    EXPECT_GE(long_members, 40);
    EXPECT_LE(long_members, (1 << 20) / kChunk);
}

TEST(ScriptLimits, ShippedStackPrototypeAndMemoryLimitsHoldThePeakUnder256MB) {
    // The shipped limits but for the action count, which a sanitizer build takes minutes to use up.
    const lowered_limits limits(40000000, flash::max_stack_values, flash::max_script_bytes_per_movie);
    // Locals stop at their count (16,384) before their bytes; an array's text is cut at 1 MiB.
    for (const assembler& script : {growing_stack(), prototype_walk(), growing_array(), doubling_text(),
                                    growing_locals(), growing_watches()}) {
        const played p = play(script);
        EXPECT_EQ(count_of(p.errors, "error:"), 1) << p.errors;
        EXPECT_EQ(p.messages, "start\nframe 2\n");
        if (testsupport::PeakLiveBytes::available()) EXPECT_LT(p.peak, 256ll << 20);
    }
}

}  // namespace
