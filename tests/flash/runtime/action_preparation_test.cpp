// The preparation of action records into steps, by known answers: which records run together
// as one step, and what takes the result they leave, settled from the bytes when a step is
// built; steps are built for the records a run reaches, and only for those.
#include <gtest/gtest.h>

#include <string>

#include "flash/runtime/action_buffer.h"
#include "flash/runtime/action_step.h"
#include "flash/runtime/interpreter.h"
#include "interp_test_support.h"

using namespace testasm;
using flash::result_use;
using flash::step_kind;

namespace {

const char* kind_name(step_kind kind) {
    switch (kind) {
        case step_kind::handler: return "handler";
        case step_kind::jump: return "jump";
        case step_kind::number_step: return "number_step";
        case step_kind::not_if: return "not_if";
        case step_kind::push_from_bytes: return "push_from_bytes";
        case step_kind::push_values: return "push_values";
        case step_kind::push_read_variable: return "push_read_variable";
        case step_kind::push_call_function: return "push_call_function";
        case step_kind::push_read_member: return "push_read_member";
        case step_kind::push_operate: return "push_operate";
    }
    return "?";
}

const char* use_name(result_use use) {
    switch (use) {
        case result_use::none: return "none";
        case result_use::set_variable: return "set_variable";
        case result_use::set_member: return "set_member";
        case result_use::not_if: return "not_if";
        case result_use::return_value: return "return_value";
    }
    return "?";
}

struct step_case {
    const char* what;
    // The records before the one prepared, the record itself and the ones after it.
    assembler before;
    assembler record;
    assembler after;
    step_kind kind;
    result_use then;
    // Where the records that take the result end, counted from the end of `record` (for
    // result_use::none, unchecked).
    int then_end_after_record;
};

// A Push of one number, for the number pushed between a read and its arithmetic.
assembler one(int value) { return assembler().push({i32(value)}); }
assembler ops(std::initializer_list<uint8_t> codes) {
    assembler a;
    for (uint8_t code : codes) a.op(code);
    return a;
}
// An If of a zero offset: its 2-byte payload holds the offset.
assembler if_zero() { return assembler().jump_by(IF, 0); }
assembler jump_zero() { return assembler().jump_by(JUMP, 0); }

TEST(ActionPreparation, SettlesEachRecordsKindAndWhatTakesItsResult) {
    const int if_size = 5;
    const step_case cases[] = {
        {"numbers, then arithmetic", {}, assembler().push({i32(1), i32(2)}), ops({ADD2, TRACE}),
         step_kind::push_operate, result_use::none, 0},
        {"number, arithmetic, a write", assembler().push({str("v"), i32(1)}),
         assembler().push({i32(2)}), ops({ADD2, SET_VARIABLE}), step_kind::push_operate,
         result_use::set_variable, 2},
        {"a comparison whose result a loop test takes", {}, assembler().push({i32(1), i32(2)}),
         assembler().op(LESS2).op(NOT).raw(if_zero().take()), step_kind::push_operate,
         result_use::not_if, 2 + if_size},
        {"a Not without an If does not take it", {}, assembler().push({i32(1), i32(2)}),
         ops({LESS2, NOT, TRACE}), step_kind::push_operate, result_use::none, 0},
        {"a name read", {}, assembler().push({str("a")}), ops({GET_VARIABLE, TRACE}),
         step_kind::push_read_variable, result_use::none, 0},
        {"a name read, arithmetic, a return", {}, assembler().push({i32(1), str("a")}),
         ops({GET_VARIABLE, ADD2, RETURN}), step_kind::push_read_variable,
         result_use::return_value, 3},
        {"a name read, a number, arithmetic, a write", {}, assembler().push({str("r"), str("a")}),
         assembler().op(GET_VARIABLE).raw(one(1).take()).op(ADD2).op(SET_VARIABLE),
         step_kind::push_read_variable, result_use::set_variable, 1 + one(1).size() + 2},
        {"a name read, a number, a comparison, a loop test", {}, assembler().push({str("i")}),
         assembler().op(GET_VARIABLE).raw(one(10).take()).op(LESS2).op(NOT)
             .raw(if_zero().take()),
         step_kind::push_read_variable, result_use::not_if, 1 + one(10).size() + 2 + if_size},
        {"a name read and a text pushed take no arithmetic", {}, assembler().push({str("a")}),
         assembler().op(GET_VARIABLE).push({str("b")}).op(ADD2).op(SET_VARIABLE),
         step_kind::push_read_variable, result_use::none, 0},
        {"a call whose result is written", {}, assembler().push({str("s"), i32(0), str("f")}),
         ops({CALL_FUNCTION, SET_VARIABLE}), step_kind::push_call_function,
         result_use::set_variable, 2},
        {"a call whose result is returned", {}, assembler().push({i32(0), str("f")}),
         ops({CALL_FUNCTION, RETURN}), step_kind::push_call_function, result_use::return_value,
         2},
        {"a member read", assembler().push({str("o")}).op(GET_VARIABLE),
         assembler().push({str("x")}), ops({GET_MEMBER, TRACE}), step_kind::push_read_member,
         result_use::none, 0},
        {"a name with a path read", {}, assembler().push({str("/clip:v")}),
         ops({GET_VARIABLE, TRACE}), step_kind::push_read_variable, result_use::none, 0},
        {"a register", {}, assembler().push({reg(1), str("a")}), ops({GET_VARIABLE}),
         step_kind::push_from_bytes, result_use::none, 0},
        {"a pool entry without a pool", {}, assembler().push({dict(0)}), ops({GET_VARIABLE}),
         step_kind::push_from_bytes, result_use::none, 0},
        {"values for nothing after them", {}, assembler().push({str("a"), null(), undef()}),
         ops({TRACE}), step_kind::push_values, result_use::none, 0},
        {"a text then arithmetic", {}, assembler().push({i32(1), str("a")}), ops({ADD2}),
         step_kind::push_values, result_use::none, 0},
        {"a Push last in the buffer", {}, assembler().push({str("a")}), {},
         step_kind::push_values, result_use::none, 0},
        {"a jump", {}, jump_zero(), {}, step_kind::jump, result_use::none, 0},
        {"a jump without its offset", {}, assembler().record(JUMP, {7}), {}, step_kind::handler,
         result_use::none, 0},
        {"an increment written", {}, ops({INCREMENT}), ops({SET_VARIABLE}),
         step_kind::number_step, result_use::set_variable, 1},
        {"a decrement written to a member", {}, ops({DECREMENT}), ops({SET_MEMBER}),
         step_kind::number_step, result_use::set_member, 1},
        {"a loop test", {}, ops({NOT}), if_zero(), step_kind::not_if, result_use::not_if,
         if_size},
        {"a Not before an If without its offset", {}, ops({NOT}),
         assembler().record(IF, {7}), step_kind::handler, result_use::none, 0},
        {"a Not last in the buffer", {}, ops({NOT}), {}, step_kind::handler, result_use::none,
         0},
        {"arithmetic returned", {}, ops({SUBTRACT}), ops({RETURN}), step_kind::handler,
         result_use::return_value, 1},
        {"a comparison written", {}, ops({GREATER}), ops({SET_VARIABLE}), step_kind::handler,
         result_use::set_variable, 1},
        {"modulo leaves no result to take", {}, ops({MODULO}), ops({SET_VARIABLE}),
         step_kind::handler, result_use::none, 0},
        {"an equality leaves no result to take", {}, ops({EQUALS2}), ops({SET_VARIABLE}),
         step_kind::handler, result_use::none, 0},
    };
    for (const step_case& c : cases) {
        const int pc = c.before.size();
        const int end = pc + c.record.size();
        bytes program = assembler(c.before).take();
        for (const bytes& part : {assembler(c.record).take(), assembler(c.after).take()}) {
            program.insert(program.end(), part.begin(), part.end());
        }
        flash::action_buffer buffer;
        buffer.read(program.data(), static_cast<int>(program.size()));
        const flash::action_step* step = buffer.prepare_step(pc);
        ASSERT_NE(step, nullptr) << c.what;
        EXPECT_EQ(step->pc, pc) << c.what;
        EXPECT_EQ(step->next_pc, end) << c.what;
        EXPECT_EQ(step->code, program[pc]) << c.what;
        EXPECT_STREQ(kind_name(step->kind), kind_name(c.kind)) << c.what;
        EXPECT_STREQ(use_name(step->then), use_name(c.then)) << c.what;
        if (c.then != result_use::none) {
            EXPECT_EQ(step->then_end, end + c.then_end_after_record) << c.what;
        }
        // Prepared once: the same step again.
        EXPECT_EQ(buffer.prepare_step(pc), step) << c.what;
    }
}

TEST(ActionPreparation, RefusesOffsetsOutsideTheBuffer) {
    flash::action_buffer buffer;
    EXPECT_EQ(buffer.prepare_step(0), nullptr);
    const bytes program = assembler().op(TRACE).take();
    buffer.read(program.data(), static_cast<int>(program.size()));
    EXPECT_EQ(buffer.prepare_step(-1), nullptr);
    EXPECT_EQ(buffer.prepare_step(static_cast<int>(program.size())), nullptr);
    EXPECT_NE(buffer.prepare_step(0), nullptr);
}

TEST(ActionPreparation, BuildsStepsForTheRecordsARunReaches) {
    interptest::machine m;
    assembler code;
    const int past = code.new_label();
    code.trace_str("a").jump(past).trace_str("skipped").label(past).trace_str("b");
    const bytes program = code.take();
    m.buffer.read(program.data(), static_cast<int>(program.size()));
    EXPECT_EQ(m.buffer.find_step(0), nullptr);
    m.buffer.execute(&m.env);
    EXPECT_EQ(interptest::machine::messages(), "a\nb\n");
    const int trace_a = assembler().push_str("a").size();
    const int jump_at = trace_a + 1;
    const int skipped_at = jump_at + jump_zero().size();
    EXPECT_NE(m.buffer.find_step(0), nullptr);
    EXPECT_NE(m.buffer.find_step(trace_a), nullptr);
    ASSERT_NE(m.buffer.find_step(jump_at), nullptr);
    EXPECT_EQ(m.buffer.find_step(jump_at)->kind, step_kind::jump);
    // The records jumped over are never prepared.
    EXPECT_EQ(m.buffer.find_step(skipped_at), nullptr);
    EXPECT_EQ(m.buffer.find_step(skipped_at + assembler().push_str("skipped").size()), nullptr);
    // A Push of pool entries prepared after its pool ran takes them as its values.
    interptest::machine pooled;
    const bytes with_pool =
        assembler().constant_pool({"v"}).set_var("v", i32(3)).push({dict(0)}).op(GET_VARIABLE)
            .op(TRACE).take();
    pooled.buffer.read(with_pool.data(), static_cast<int>(with_pool.size()));
    pooled.buffer.execute(&pooled.env);
    EXPECT_EQ(interptest::machine::messages(), "3\n");
    const int pool_push_at = assembler().constant_pool({"v"}).set_var("v", i32(3)).size();
    ASSERT_NE(pooled.buffer.find_step(pool_push_at), nullptr);
    EXPECT_EQ(pooled.buffer.find_step(pool_push_at)->kind, step_kind::push_read_variable);
}

}  // namespace

namespace {

// A result is taken by the action that stands after it, and by no other: a member written from
// arithmetic leaves the timeline variable of the member's name alone, and a variable written so
// leaves the member alone. Each program runs twice, so that the second run answers from what the
// first remembered, as the prepared program and one action at a time.
TEST(ActionPreparation, AResultIsTakenByTheActionAfterIt) {
    const assembler member_write =
        assembler().set_var("x", i32(5)).push({str("o"), str("x"), i32(0), i32(1)})
            .op(INIT_OBJECT).op(SET_VARIABLE)
            .push({str("o")}).op(GET_VARIABLE).push({str("x"), str("o")}).op(GET_VARIABLE)
            .push({str("x")}).op(GET_MEMBER).push({i32(1)}).op(ADD2).op(SET_MEMBER)
            .trace_var("x").push({str("o")}).op(GET_VARIABLE).push({str("x")}).op(GET_MEMBER)
            .op(TRACE);
    const assembler variable_write =
        assembler().push({str("o"), str("x"), i32(7), i32(1)}).op(INIT_OBJECT)
            .op(SET_VARIABLE).push({str("x"), i32(2)}).push({i32(3)}).op(MULTIPLY)
            .op(SET_VARIABLE).trace_var("x").push({str("o")}).op(GET_VARIABLE)
            .push({str("x")}).op(GET_MEMBER).op(TRACE);
    const struct {
        const char* what;
        assembler code;
        const char* once;
    } cases[] = {
        {"a member written from arithmetic", member_write, "5\n1\n"},
        {"a variable written from arithmetic", variable_write, "6\n7\n"},
    };
    for (const auto& c : cases) {
        for (const bool plain : {false, true}) {
            interptest::machine m;
            const bytes program = assembler(c.code).take();
            m.buffer.read(program.data(), static_cast<int>(program.size()));
            interptest::machine::messages().clear();
            {
                const flash::plain_actions* one_by_one = plain ? new flash::plain_actions : nullptr;
                m.buffer.execute(&m.env);
                m.buffer.execute(&m.env);
                delete one_by_one;
            }
            EXPECT_EQ(interptest::machine::messages(), std::string(c.once) + c.once)
                << c.what << (plain ? ", one action at a time" : "");
        }
    }
}

}  // namespace
