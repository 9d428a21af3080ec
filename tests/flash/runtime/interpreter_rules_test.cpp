// The rules of the actions that the interpreter also runs joined with the records around them,
// by known answers: each case runs in every shape those actions are joined in (pushed operands,
// operands read from variables, a variable updated from itself, a loop's negated test), as the
// prepared program and one action at a time.
#include <gtest/gtest.h>

#include <string>

#include "flash/runtime/interpreter.h"
#include "interp_test_support.h"

using namespace testasm;

namespace {

assembler a() { return assembler(); }

struct rule_case {
    const char* what;
    item x;
    item y;
    uint8_t code;
    const char* result;
};

// The shapes of x <code> y, each tracing the result; run twice, so that the second run takes
// the records as prepared by the first.
std::vector<std::pair<const char*, assembler>> shapes(const rule_case& c) {
    assembler branch;
    const int past = branch.new_label();
    const int done = branch.new_label();
    branch.set_var("a", c.x).push({str("a")}).op(GET_VARIABLE).push({c.y}).op(c.code).op(NOT)
        .if_true(past).trace_str("true").jump(done).label(past).trace_str("false").label(done);
    std::vector<std::pair<const char*, assembler>> all = {
        {"pushed", a().push({c.x, c.y}).op(c.code).op(TRACE)},
        {"pushed one by one", a().push({c.x}).push({c.y}).op(c.code).op(TRACE)},
        {"both read", a().set_var("a", c.x).set_var("b", c.y).push({str("a")}).op(GET_VARIABLE)
                          .push({str("b")}).op(GET_VARIABLE).op(c.code).op(TRACE)},
        {"read, then pushed", a().set_var("a", c.x).push({str("r"), str("a")}).op(GET_VARIABLE)
                                  .push({c.y}).op(c.code).op(SET_VARIABLE).trace_var("r")},
        {"updated from itself", a().set_var("a", c.x).push({str("a"), str("a")}).op(GET_VARIABLE)
                                    .push({c.y}).op(c.code).op(SET_VARIABLE).trace_var("a")},
    };
    // A comparison's result also decides a branch.
    const std::string result = c.result;
    if (result == "true" || result == "false") all.push_back({"a negated test", branch});
    return all;
}

void expect_rules(const rule_case* cases, int count) {
    for (int i = 0; i < count; ++i) {
        const rule_case& c = cases[i];
        const std::string twice = std::string(c.result) + "\n" + c.result + "\n";
        for (const auto& [shape, code] : shapes(c)) {
            for (const bool plain : {false, true}) {
                interptest::machine m;
                const testasm::bytes program = assembler(code).take();
                m.buffer.read(program.data(), static_cast<int>(program.size()));
                interptest::machine::messages().clear();
                {
                    const flash::plain_actions* one_by_one = plain ? new flash::plain_actions : nullptr;
                    m.buffer.execute(&m.env);
                    m.buffer.execute(&m.env);
                    delete one_by_one;
                }
                EXPECT_EQ(interptest::machine::messages(), twice)
                    << c.what << ", " << shape << (plain ? ", one action at a time" : "");
            }
        }
    }
}

TEST(InterpreterRules, NumbersComparedGiveKnownAnswers) {
    const double nan = 0.0 / 0.0;
    const rule_case cases[] = {
        {"greater of equal numbers", i32(2), dbl(2.0), GREATER, "false"},
        {"greater", dbl(2.5), i32(2), GREATER, "true"},
        {"greater, the other way", i32(2), dbl(2.5), GREATER, "false"},
        {"greater with NaN", dbl(nan), i32(1), GREATER, "false"},
        {"greater than NaN", i32(1), dbl(nan), GREATER, "false"},
        {"less of equal numbers", i32(2), dbl(2.0), LESS, "false"},
        {"less", i32(2), dbl(2.5), LESS, "true"},
        {"less with NaN", dbl(nan), i32(1), LESS, "false"},
        {"less2 of equal numbers", i32(-2), dbl(-2.0), LESS2, "false"},
        {"less2", i32(-3), i32(-2), LESS2, "true"},
        {"less2 of a text and a number compares texts", str("10"), i32(9), LESS2, "true"},
        {"greater of a text and a number compares texts", str("10"), i32(9), GREATER, "false"},
    };
    expect_rules(cases, static_cast<int>(sizeof cases / sizeof cases[0]));
}

TEST(InterpreterRules, NumbersOperatedOnGiveKnownAnswers) {
    const rule_case cases[] = {
        {"add", i32(7), dbl(0.5), ADD, "7.5"},
        {"add2 of numbers", i32(7), dbl(0.5), ADD2, "7.5"},
        {"add2 of a text", str("7"), i32(1), ADD2, "71"},
        {"subtract", i32(7), dbl(0.5), SUBTRACT, "6.5"},
        {"multiply", i32(7), dbl(0.5), MULTIPLY, "3.5"},
        {"divide", i32(7), dbl(0.5), DIVIDE, "14"},
        {"divide by zero", i32(-7), i32(0), DIVIDE, "-Infinity"},
        {"modulo", i32(7), i32(4), MODULO, "3"},
        {"modulo by zero", i32(7), i32(0), MODULO, "undefined"},
    };
    expect_rules(cases, static_cast<int>(sizeof cases / sizeof cases[0]));
}

}  // namespace
