// Interval and timeout timers played through swfrun with a fixed step: one call per step at
// most, the remainder carried, one-shot timeouts, the object and method form with its extra
// arguments, degenerate intervals, and what happens to timers whose id or function nothing keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/flash/runtime/action_assembler.h"
#include "tests/tools/swfrun/swfrun_support.h"
#include "tools/swfwriter/movie_writer.h"
#include "tests/support/temp_dir.h"

using namespace testasm;

namespace {

// name(args...) with the arguments already given as push items, in call order.
assembler& call(assembler& a, const std::string& name, const std::vector<item>& args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) a.push({*it});
    return a.push({i32(static_cast<int>(args.size())), str(name)}).op(CALL_FUNCTION);
}

// Pushes the named function's value (the name then GetVariable) for an argument.
assembler& call_with_function(assembler& a, const std::string& variable, const std::string& name,
                              const std::string& function, const std::vector<item>& rest) {
    if (!variable.empty()) a.push_str(variable);
    for (auto it = rest.rbegin(); it != rest.rend(); ++it) a.push({*it});
    a.push_str(function).op(GET_VARIABLE);
    a.push({i32(static_cast<int>(rest.size()) + 1), str(name)}).op(CALL_FUNCTION);
    return variable.empty() ? a.op(POP) : a.op(SET_VARIABLE);
}

assembler tracer(const std::string& text) { return assembler().trace_str(text); }

swf::Bytes timer_program() {
    assembler a;
    a.define_function("step", {}, tracer("-"));
    a.define_function("tick", {}, tracer("tick"));
    a.define_function("third", {}, tracer("375"));
    a.define_function("once", {}, tracer("once"));
    a.define_function("nan", {}, tracer("nan"));
    // o = new Object(); o.tag = "O"; o.m = function (a, b) { trace(this.tag + a + b); }
    a.push({str("o"), i32(0), str("Object")}).op(NEW_OBJECT).op(SET_VARIABLE);
    a.push_str("o").op(GET_VARIABLE).push({str("tag"), str("O")}).op(SET_MEMBER);
    a.push_str("o").op(GET_VARIABLE).push_str("m");
    a.define_function("", {"a", "b"},
                      assembler()
                          .push_str("this").op(GET_VARIABLE).push_str("tag").op(GET_MEMBER)
                          .push_str("a").op(GET_VARIABLE).op(ADD2)
                          .push_str("b").op(GET_VARIABLE).op(ADD2)
                          .op(TRACE));
    a.op(SET_MEMBER);
    call_with_function(a, "s", "setInterval", "step", {i32(0)});
    call_with_function(a, "t", "setInterval", "tick", {i32(100)});
    call_with_function(a, "u", "setInterval", "third", {i32(375)});
    call_with_function(a, "w", "setTimeout", "once", {i32(50)});
    // x = setInterval(o, "m", 1000, 7, 8)
    a.push_str("x").push({i32(8), i32(7), i32(1000), str("m")}).push_str("o").op(GET_VARIABLE);
    a.push({i32(5), str("setInterval")}).op(CALL_FUNCTION).op(SET_VARIABLE);
    call_with_function(a, "y", "setInterval", "nan", {str("soon")});
    call(a, "clearInterval", {i32(5)}).op(POP);
    // Nothing keeps these two: the first's id is dropped, the second's function is a literal.
    call_with_function(a, "", "setInterval", "tick", {i32(100)});
    a.push_str("z").push({i32(100)});
    a.define_function("", {}, tracer("anon"));
    a.push({i32(2), str("setInterval")}).op(CALL_FUNCTION).op(SET_VARIABLE);
    a.op(STOP).end();
    return a.take();
}

swf::Bytes one_frame_movie(const swf::Bytes& actions) {
    swf::MovieWriter m(8);
    m.do_action(actions);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(SwfrunTimers, StepsAtAFixedRate) {
    testsupport::TempDir dir;
    swfruntest::write_file("timers.swf", one_frame_movie(timer_program()));
    const swfruntest::run_result r = swfruntest::run("timers.swf --frames 6 --step 0.25");
    ASSERT_EQ(r.status, 0) << r.err;
    // The timers are made by the first step's frame actions, after that step's timers ran: five
    // blocks, each opened by "-" (the interval-0 timer made first fires on every step).
    const std::string expected =
        "-\ntick\nonce\nnan\n"        // 0.25: 375 not yet; the timeout once; o.m not yet
        "-\ntick\n375\nnan\n"         // 0.50: 375 fires, 0.125 carried
        "-\ntick\n375\nnan\n"         // 0.375 reached again with the carried time
        "-\ntick\nO78\nnan\n"         // 1 s for o.m with its two extra arguments
        "-\ntick\n375\nnan\n";
    // No "anon" and no second "tick": nothing kept the literal function or the dropped id.
    EXPECT_EQ(r.out, expected);
}

}  // namespace
