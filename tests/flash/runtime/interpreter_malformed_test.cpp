// Malformed action bytes: truncations, stack underflow, branches outside the section, huge
// counts and deep recursion all end cleanly with a log line.
#include <gtest/gtest.h>

#include "flash/runtime/interpreter.h"
#include "interp_test_support.h"

using namespace testasm;

namespace {

assembler a() { return assembler(); }

// One record of every kind that carries a payload, and a few that do not.
std::vector<bytes> sample_records() {
    std::vector<bytes> out;
    out.push_back(a().push({str("text"), flt(1.5f), null(), undef(), reg(1), boolean(true),
                            dbl(2.5), i32(-7), dict(0), dict16(0)})
                      .take());
    out.push_back(a().constant_pool({"alpha", "beta"}).take());
    out.push_back(a().goto_frame(3).take());
    out.push_back(a().goto_label("intro").take());
    out.push_back(a().get_url("FSCommand:x", "y").take());
    out.push_back(a().store_register(1).take());
    out.push_back(a().set_target("clip").take());
    out.push_back(a().goto_frame2(1).take());
    out.push_back(a().jump_by(JUMP, 0).take());
    out.push_back(a().jump_by(IF, 0).take());
    out.push_back(a().record(WAIT_FOR_FRAME, {1, 0, 2}).take());
    out.push_back(a().record(WAIT_FOR_FRAME2, {1}).take());
    out.push_back(a().record(GET_URL2, {0}).take());
    out.push_back(a().record(CALL, {}).take());
    out.push_back(a().push_num(1).with(a().trace_str("in")).take());
    out.push_back(a().define_function("f", {"a", "b"}, a().trace_str("body")).take());
    out.push_back(a().define_function2("g", 3, 0x1FF, {{1, "a"}, {0, "b"}}, a().trace_str("body")).take());
    return out;
}

TEST(InterpreterMalformed, EveryPrefixOfEveryRecordEndsCleanly) {
    for (const bytes& record : sample_records()) {
        for (size_t cut = 0; cut <= record.size(); ++cut) {
            interptest::machine m;
            const bytes prefix(record.begin(), record.begin() + static_cast<long>(cut));
            m.run(prefix);
            const size_t first = 3u + (record[1] | (record[2] << 8));
            if (cut > 0 && cut < first && (record[0] & 0x80)) {
                EXPECT_TRUE(m.error_has("runs past the end of its tag")) << int(record[0]) << " " << cut;
            }
        }
    }
}

TEST(InterpreterMalformed, PayloadsCutShortInsideTheirRecordEndWithALogLine) {
    // The record's own length is shortened: the reader keeps it, the interpreter must not read
    // past it.
    for (const bytes& full : sample_records()) {
        const int declared = full[1] | (full[2] << 8);
        for (int shorter = 1; shorter <= declared; ++shorter) {
            bytes cut(full.begin(), full.begin() + 3 + (declared - shorter));
            cut[1] = static_cast<uint8_t>((declared - shorter) & 0xFF);
            cut[2] = static_cast<uint8_t>((declared - shorter) >> 8);
            interptest::machine m;
            m.run(cut);
        }
    }
    interptest::machine m;
    m.run(a().record(PUSH, {6, 1, 2, 3}).trace_str("after"));
    EXPECT_TRUE(m.error_has("cut short"));
    EXPECT_EQ(interptest::machine::messages(), "");
    m.run(a().record(DEFINE_FUNCTION, {'f', 0, 1, 0, 'a'}).trace_str("after"));
    EXPECT_TRUE(m.error_has("cut short"));
    // A body longer than the section.
    m.run(a().record(DEFINE_FUNCTION, {'f', 0, 0, 0, 50, 0}).trace_str("x"));
    EXPECT_TRUE(m.error_has("run past the section end"));
    // A constant pool whose strings run past the record.
    interptest::machine p;
    EXPECT_EQ(p.run(a().record(CONSTANT_POOL, {2, 0, 'a', 0, 'b'}).push({dict(0), dict(1)}).op(TRACE).op(TRACE)),
              "<invalid>\na\n");
    EXPECT_TRUE(p.error_has("dict length exceeded"));
}

TEST(InterpreterMalformed, EveryOperatorOnAnEmptyOrShortStack) {
    for (int code = 1; code < 256; ++code) {
        for (int depth = 0; depth < 3; ++depth) {
            interptest::machine m;
            assembler prog;
            for (int i = 0; i < depth; ++i) prog.push_num(i);
            if (code < 0x80) {
                prog.op(static_cast<uint8_t>(code));
            } else {
                prog.record(static_cast<uint8_t>(code), {});
            }
            prog.trace_str("end");
            m.run(prog);
            // Every code but Return either goes on or ends with a log line.
            const bool went_on = interptest::machine::messages().find("end\n") != std::string::npos;
            EXPECT_TRUE(went_on || !interptest::machine::errors().empty() || code == RETURN) << code;
        }
    }
    // Binary operators with one operand read the missing one as undefined and leave one result.
    interptest::machine m;
    EXPECT_EQ(m.run(a().push_num(1).op(ADD).op(TRACE).op(TRACE)), "NaN\nundefined\n");
    EXPECT_EQ(m.run(a().push_str("x").op(ADD2).op(TRACE)), "undefinedx\n");
}

TEST(InterpreterMalformed, BranchesOutsideTheSection) {
    struct row {
        const char* name;
        assembler code;
    };
    for (row& r : std::vector<row>{
             {"jump forward", a().jump_by(JUMP, 100).trace_str("x")},
             {"jump backward", a().trace_str("once").jump_by(JUMP, -100)},
             {"if forward", a().push({boolean(true)}).jump_by(IF, 0x7FFF)},
             {"if backward", a().push({boolean(true)}).jump_by(IF, -0x8000)},
         }) {
        interptest::machine m;
        m.run(r.code);
        EXPECT_TRUE(m.error_has("this section only runs to")) << r.name;
        EXPECT_EQ(interptest::machine::messages().find("x\n"), std::string::npos) << r.name;
    }
    // A jump to the very end is a normal end.
    interptest::machine m;
    m.run(a().jump_by(JUMP, 0));
    EXPECT_EQ(interptest::machine::errors(), "");
}

TEST(InterpreterMalformed, HugeCountsAreClamped) {
    // A count past the stack takes what is there; a negative count takes nothing. Either way the
    // operator leaves exactly its result: the stack depth after the trace tells a stray value.
    const int32_t huge = 0x7FFFFFFF;
    struct row {
        const char* name;
        assembler code;
        const char* output;
        int depth;
    };
    for (row& r : std::vector<row>{
             {"CallFunction huge", a().push({str("a"), i32(huge), str("Object")}).op(CALL_FUNCTION), "[object Object]\n", 0},
             {"CallFunction negative", a().push({str("a"), i32(-5), str("Object")}).op(CALL_FUNCTION), "[object Object]\n", 1},
             {"NewObject huge", a().push({str("a"), i32(huge), str("Object")}).op(NEW_OBJECT), "[object Object]\n", 0},
             {"NewObject negative", a().push({str("a"), i32(-5), str("Object")}).op(NEW_OBJECT), "[object Object]\n", 1},
             {"InitArray huge", a().push({str("a"), i32(huge)}).op(INIT_ARRAY), "a\n", 0},
             {"InitArray negative", a().push({str("a"), i32(-5)}).op(INIT_ARRAY), "\n", 1},
             {"InitObject huge", a().push({str("v"), str("k"), i32(huge)}).op(INIT_OBJECT), "[object Object]\n", 0},
             {"InitObject negative", a().push({str("v"), str("k"), i32(-5)}).op(INIT_OBJECT), "[object Object]\n", 2},
             {"CallMethod huge", a().push({str("a"), i32(huge), str("o"), str("m")}).op(CALL_METHOD), "undefined\n", 0},
             {"NewMethod huge", a().push({str("a"), i32(huge), str("o"), str("")}).op(NEW_METHOD), "null\n", 0},
         }) {
        interptest::machine m;
        EXPECT_EQ(m.run(r.code.op(TRACE)), r.output) << r.name;
        EXPECT_EQ(m.env.get_stack_size(), r.depth) << r.name;
    }
}

TEST(InterpreterMalformed, DeepRecursionStopsAtTheNestingBound) {
    // function f() { f() } f(); trace("after")
    interptest::machine m;
    EXPECT_EQ(m.run(a().define_function("f", {}, a().push({i32(0), str("f")}).op(CALL_FUNCTION).op(POP))
                        .push({i32(0), str("f")})
                        .op(CALL_FUNCTION)
                        .op(TRACE)
                        .trace_str("after")),
              "undefined\nafter\n");
    EXPECT_TRUE(m.error_has("nested deeper than"));
    // A getter that reads itself, and frame actions that call their own frame.
    interptest::machine g;
    g.run(a().push({str("o"), i32(0), str("Object")})
              .op(NEW_OBJECT)
              .op(SET_VARIABLE)
              .push({str("o")})
              .op(GET_VARIABLE)
              .push_str("__resolve")
              .define_function("", {"n"}, a().push_str("o").op(GET_VARIABLE).push_str("again").op(GET_MEMBER).op(RETURN))
              .op(SET_MEMBER)
              .push_str("o")
              .op(GET_VARIABLE)
              .push_str("x")
              .op(GET_MEMBER)
              .op(TRACE));
    EXPECT_TRUE(g.error_has("nested deeper than"));
    interptest::machine c;
    c.root->frame_actions = &c.buffer;
    c.run(a().push_str("self").record(CALL, {}));
    EXPECT_TRUE(c.error_has("nested deeper than"));
}

TEST(InterpreterMalformed, EndlessLoopsEndWhenTheBudgetIsUsedUp) {
    interptest::machine m;
    flash::set_action_budget(1000);
    m.run(a().jump_by(JUMP, -5));
    flash::set_action_budget(-1);
    EXPECT_TRUE(m.error_has("budget used up"));
}

}  // namespace

namespace {

TEST(InterpreterMalformed, LiteralsWithMoreValuesThanTheStackHoldsGiveUndefinedForTheMissingOnes) {
    struct row {
        const char* name;
        assembler code;
        const char* output;
    };
    for (row& r : std::vector<row>{
             // [v, undefined, undefined]: three elements, the last two missing from the stack.
             {"InitArray", a().push({str("v"), i32(3)}).op(INIT_ARRAY).op(PUSH_DUPLICATE).op(TRACE)
                               .push_str("length").op(GET_MEMBER).op(TRACE),
              "v,undefined,undefined\n3\n"},
             // {k: v, undefined: undefined}: the second pair reads undefined name and value.
             {"InitObject", a().push({str("k"), str("v"), i32(2)}).op(INIT_OBJECT).store_register(0).op(POP)
                                .push({reg(0), str("k")}).op(GET_MEMBER).op(TRACE)
                                .push({str("undefined"), i32(1), reg(0), str("hasOwnProperty")}).op(CALL_METHOD)
                                .op(TRACE),
              "v\ntrue\n"},
             // One value for two pairs: the first has no name ("undefined"), the second then
             // writes that member again with undefined.
             {"InitObject odd", a().push({str("x"), i32(2)}).op(INIT_OBJECT).store_register(0).op(POP)
                                    .push({reg(0), str("undefined")}).op(GET_MEMBER).op(TRACE)
                                    .push({str("undefined"), i32(1), reg(0), str("hasOwnProperty")})
                                    .op(CALL_METHOD).op(TRACE),
              "undefined\ntrue\n"},
         }) {
        interptest::machine m;
        EXPECT_EQ(m.run(r.code), r.output) << r.name;
        EXPECT_EQ(m.env.get_stack_size(), 0) << r.name;
        EXPECT_EQ(interptest::machine::errors(), "") << r.name;
    }
}

// A function body that ends inside a record: the record lies whole in the buffer but runs past
// the body, so the body's run ends there with a log line, its payload unread, in either way of
// running (the record's prepared step says where it ends, and the run still checks that against
// its section). The caller goes on after the body, reading the cut record's tail as actions.
TEST(InterpreterMalformed, ARecordRunningPastItsFunctionBodyEndsTheBody) {
    // f's body is the three header bytes of a Push whose one payload byte (a null item, 0x02, an
    // unknown action where the caller reads it) lies after the body.
    const bytes program = a().record(DEFINE_FUNCTION, {'f', 0, 0, 0, 3, 0})
                              .raw({PUSH, 1, 0, 2})
                              .push({i32(0), str("f")}).op(CALL_FUNCTION).op(TRACE)
                              .push({i32(0), str("f")}).op(CALL_FUNCTION).op(TRACE)
                              .take();
    for (const bool plain : {false, true}) {
        interptest::machine m;
        const flash::plain_actions* one_by_one = plain ? new flash::plain_actions : nullptr;
        EXPECT_EQ(m.run(program), "undefined\nundefined\n") << (plain ? "one action at a time" : "");
        delete one_by_one;
        EXPECT_TRUE(m.error_has("1 payload bytes run past the section end"))
            << interptest::machine::errors() << (plain ? " one action at a time" : "");
    }
}

}  // namespace
