// How deep script work may nest: calls, getters and setters at least 256 deep, on the main thread
// and on a game thread; arrays that hold themselves or nest past the bound convert to text with a
// log line instead of running out of stack.
#include <gtest/gtest.h>

#include <string>

#include "interp_test_support.h"
#include "platform/native_thread.h"

using namespace testasm;

namespace {

assembler a() { return assembler(); }

// function f(n) { if (n < 1) return 0; return f(n - 1) + 1; } trace(f(levels - 1));
assembler recursion(int levels) {
    assembler body;
    const int bottom = body.new_label();
    body.push_str("n").op(GET_VARIABLE).push_num(1).op(LESS2).if_true(bottom);
    body.push_str("n").op(GET_VARIABLE).push_num(1).op(SUBTRACT);
    body.push({i32(1), str("f")}).op(CALL_FUNCTION).push_num(1).op(ADD2).op(RETURN);
    body.label(bottom).push_num(0).op(RETURN);
    return a().define_function("f", {"n"}, body).push({i32(levels - 1), i32(1), str("f")}).op(CALL_FUNCTION).op(TRACE);
}

// o = new Object(); o[counter] = start; then o.addProperty(name, getter, setter).
assembler object_with_property(const std::string& counter, int start, const std::string& name, assembler getter,
                               assembler setter) {
    return a()
        .push({str("o"), i32(0), str("Object")})
        .op(NEW_OBJECT)
        .op(SET_VARIABLE)
        .push_str("o")
        .op(GET_VARIABLE)
        .push({str(counter), i32(start)})
        .op(SET_MEMBER)
        .define_function("", {"v"}, setter)
        .define_function("", {}, getter)
        .push({str(name), i32(3), str("o")})
        .op(GET_VARIABLE)
        .push_str("addProperty")
        .op(CALL_METHOD)
        .op(POP);
}

// this[member] (on the stack).
assembler this_member(const std::string& member) {
    return a().push_str("this").op(GET_VARIABLE).push_str(member).op(GET_MEMBER);
}

TEST(InterpreterNesting, CallsNest256DeepAndStopPastTheBound) {
    interptest::machine m;
    EXPECT_EQ(m.run(recursion(256)), "255\n");
    EXPECT_EQ(interptest::machine::errors(), "");
    m.run(recursion(100000));
    EXPECT_TRUE(m.error_has("nested deeper than"));
}

TEST(InterpreterNesting, GettersAndSettersNest256Deep) {
    // Getter of p: this.n = this.n - 1; if (this.n < 1) return 1; return this.p + 1;
    assembler getter;
    const int last = getter.new_label();
    getter.push_str("this").op(GET_VARIABLE).push_str("n").raw(this_member("n").take()).push_num(1).op(SUBTRACT).op(SET_MEMBER);
    getter.raw(this_member("n").take()).push_num(1).op(LESS2).if_true(last);
    getter.raw(this_member("p").take()).push_num(1).op(ADD2).op(RETURN);
    getter.label(last).push_num(1).op(RETURN);
    interptest::machine g;
    EXPECT_EQ(g.run(object_with_property("n", 256, "p", getter, a()).push_str("o").op(GET_VARIABLE).push_str("p").op(GET_MEMBER).op(TRACE)),
              "256\n");
    EXPECT_EQ(interptest::machine::errors(), "");

    // Setter of q: this.calls = this.calls + 1; if (v > 0) this.q = v - 1;
    assembler setter;
    const int done = setter.new_label();
    setter.push_str("this").op(GET_VARIABLE).push_str("calls").raw(this_member("calls").take()).push_num(1).op(ADD2).op(SET_MEMBER);
    setter.push_num(0).push_str("v").op(GET_VARIABLE).op(LESS2).op(NOT).if_true(done);
    setter.push_str("this").op(GET_VARIABLE).push_str("q").push_str("v").op(GET_VARIABLE).push_num(1).op(SUBTRACT).op(SET_MEMBER);
    setter.label(done);
    interptest::machine s;
    EXPECT_EQ(s.run(object_with_property("calls", 0, "q", a().push_num(0).op(RETURN), setter)
                        .push_str("o")
                        .op(GET_VARIABLE)
                        .push({str("q"), i32(255)})
                        .op(SET_MEMBER)
                        .raw(a().push_str("o").op(GET_VARIABLE).push_str("calls").op(GET_MEMBER).op(TRACE).take())),
              "256\n");
    EXPECT_EQ(interptest::machine::errors(), "");
}

TEST(InterpreterNesting, CallsNest256DeepOnAGameThread) {
    std::string output, errors;
    platform::NativeThread thread;
    ASSERT_TRUE(thread.start([&] {
        interptest::machine m;
        output = m.run(recursion(256));
        errors = interptest::machine::errors();
    }));
    thread.join();
    EXPECT_EQ(output, "255\n");
    EXPECT_EQ(errors, "");
}

// a = []; a[0] = a;
assembler self_holding_array() {
    return a()
        .push({str("a"), i32(0)})
        .op(INIT_ARRAY)
        .op(SET_VARIABLE)
        .push_str("a")
        .op(GET_VARIABLE)
        .push_str("0")
        .push_str("a")
        .op(GET_VARIABLE)
        .op(SET_MEMBER);
}

TEST(InterpreterNesting, AnArrayHoldingItselfConvertsWithALogLine) {
    // a = []; a[0] = a; a[1] = 2; trace(a); trace(a.toString());
    interptest::machine m;
    const assembler self_holding =
        self_holding_array().push_str("a").op(GET_VARIABLE).push({str("1"), i32(2)}).op(SET_MEMBER);
    // Each program cuts its own cycle, so the next starts from a plain array.
    const bytes cut = a().push_str("a").op(GET_VARIABLE).push({str("0"), null()}).op(SET_MEMBER).take();
    EXPECT_EQ(m.run(assembler(self_holding).push_str("a").op(GET_VARIABLE).op(TRACE).raw(cut)), ",2\n");
    EXPECT_TRUE(m.error_has("holds itself"));
    EXPECT_EQ(m.run(assembler(self_holding)
                        .push({i32(0), str("a")})
                        .op(GET_VARIABLE)
                        .push_str("toString")
                        .op(CALL_METHOD)
                        .op(TRACE)
                        .raw(cut)),
              ",2\n");
}

TEST(InterpreterNesting, ArraysNestedPastTheBoundConvertWithALogLine) {
    // a = []; for (i = 0; i < 1000; ++i) a = [a]; trace(a);
    assembler loop = a().push({str("a"), i32(0)}).op(INIT_ARRAY).op(SET_VARIABLE).set_var("i", i32(0));
    const int top = loop.new_label();
    loop.label(top);
    loop.push_str("a").push_str("a").op(GET_VARIABLE).push_num(1).op(INIT_ARRAY).op(SET_VARIABLE);
    loop.push_str("i").push_str("i").op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE);
    loop.push_str("i").op(GET_VARIABLE).push_num(1000).op(LESS2).if_true(top);
    loop.push_str("a").op(GET_VARIABLE).op(TRACE);
    interptest::machine m;
    EXPECT_EQ(m.run(loop), "\n");
    EXPECT_TRUE(m.error_has("nested deeper than"));
}

}  // namespace
