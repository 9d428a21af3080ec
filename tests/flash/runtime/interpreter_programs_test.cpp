// Assembled programs and the trace output they give, one table row per program.
#include <gtest/gtest.h>

#include <string>

#include "interp_test_support.h"

using namespace testasm;

namespace {

struct program {
    const char* name;
    assembler code;
    const char* trace;
};

void run_table(const std::vector<program>& rows) {
    for (const program& row : rows) {
        interptest::machine m;
        EXPECT_EQ(m.run(row.code), row.trace) << row.name;
    }
}

assembler a() { return assembler(); }

// trace(x op y) for two pushed items.
assembler binary(item x, item y, uint8_t code) { return a().push({x, y}).op(code).op(TRACE); }

TEST(InterpreterPrograms, Arithmetic) {
    run_table({
        {"add", binary(i32(1), i32(2), ADD), "3\n"},
        {"add of text and number", binary(str("1"), i32(2), ADD), "3\n"},
        {"add2 of text and number", binary(str("1"), i32(2), ADD2), "12\n"},
        {"add2 of numbers", binary(i32(1), i32(2), ADD2), "3\n"},
        {"subtract", binary(i32(10), i32(4), SUBTRACT), "6\n"},
        {"multiply", binary(flt(1.5f), i32(4), MULTIPLY), "6\n"},
        {"divide", binary(i32(1), i32(4), DIVIDE), "0.25\n"},
        {"divide by zero", binary(i32(1), i32(0), DIVIDE), "Infinity\n"},
        {"modulo", binary(i32(7), i32(3), MODULO), "1\n"},
        {"modulo of negative", binary(i32(-7), i32(3), MODULO), "-1\n"},
        {"modulo by zero is undefined", binary(i32(7), i32(0), MODULO), "undefined\n"},
        {"increment", a().push({i32(41)}).op(INCREMENT).op(TRACE), "42\n"},
        {"decrement", a().push({str("5")}).op(DECREMENT).op(TRACE), "4\n"},
        {"decrement of a number", a().push({dbl(0.5)}).op(DECREMENT).op(TRACE), "-0.5\n"},
        {"not of a number", a().push({dbl(-0.5)}).op(NOT).op(TRACE), "false\n"},
        {"not of a boolean", a().push({boolean(false)}).op(NOT).op(TRACE), "true\n"},
        {"to integer floors", a().push({dbl(-2.5)}).op(TO_INTEGER).op(TRACE), "-3\n"},
        {"to number", a().push({str("2.5")}).op(TO_NUMBER).op(TRACE), "2.5\n"},
        {"to string", a().push({boolean(true)}).op(TO_STRING).op(TYPE_OF).op(TRACE), "string\n"},
        {"bit and", binary(i32(6), i32(3), BIT_AND), "2\n"},
        {"bit or", binary(i32(6), i32(3), BIT_OR), "7\n"},
        {"bit xor", binary(i32(6), i32(3), BIT_XOR), "5\n"},
        {"shift left", binary(i32(1), i32(4), BIT_LSHIFT), "16\n"},
        {"shift right keeps the sign", binary(i32(-16), i32(2), BIT_RSHIFT), "-4\n"},
        {"unsigned shift right", binary(i32(-1), i32(28), BIT_URSHIFT), "15\n"},
        {"and", binary(i32(1), str(""), AND), "false\n"},
        {"or", binary(i32(0), str("x"), OR), "true\n"},
        {"not", a().push({i32(0)}).op(NOT).op(TRACE), "true\n"},
        {"random below one is zero", a().push({i32(-5)}).op(RANDOM_NUMBER).op(TRACE), "0\n"},
    });
}

TEST(InterpreterPrograms, Comparison) {
    run_table({
        {"equals", binary(i32(2), flt(2.0f), EQUALS), "true\n"},
        {"equals across types", binary(i32(1), str("1"), EQUALS), "false\n"},
        {"equals2 acts as equals", binary(i32(1), str("1"), EQUALS2), "false\n"},
        {"strict equals acts as equals", binary(undef(), null(), STRICT_EQUALS), "true\n"},
        {"less", binary(i32(1), i32(2), LESS), "true\n"},
        {"less of texts is numeric", binary(str("10"), str("9"), LESS), "false\n"},
        {"less2 compares text when left is text", binary(str("10"), i32(9), LESS2), "true\n"},
        {"less2 numeric when left is a number", binary(i32(10), str("9"), LESS2), "false\n"},
        {"greater of texts", binary(str("b"), str("a"), GREATER), "true\n"},
        {"greater with NaN", binary(i32(3), str("x"), GREATER), "true\n"},
        {"greater numeric", binary(i32(2), i32(3), GREATER), "false\n"},
        {"greater of numbers", binary(dbl(3.5), i32(3), GREATER), "true\n"},
        {"less of equal numbers", binary(i32(2), dbl(2.0), LESS), "false\n"},
        {"string equals", binary(i32(1), str("1"), STRING_EQUALS), "true\n"},
        {"string less", binary(str("abc"), str("abd"), STRING_LESS), "true\n"},
        {"string greater", binary(str("abc"), str("abd"), STRING_GREATER), "false\n"},
    });
}

TEST(InterpreterPrograms, Strings) {
    run_table({
        {"length counts characters", a().push({str("h\xC3\xA9llo")}).op(STRING_LENGTH).op(TRACE),
         "5\n"},
        {"extract", a().push({str("hello"), i32(2), i32(3)}).op(STRING_EXTRACT).op(TRACE),
         "ell\n"},
        {"extract from index 0 acts as 1",
         a().push({str("hello"), i32(0), i32(2)}).op(STRING_EXTRACT).op(TRACE), "he\n"},
        {"extract past the end gives the rest",
         a().push({str("hello"), i32(4), i32(100)}).op(STRING_EXTRACT).op(TRACE), "lo\n"},
        {"extract with a negative count is empty",
         a().push({str("hello"), i32(2), i32(-1)}).op(STRING_EXTRACT).op(TRACE), "\n"},
        {"string add", binary(str("ab"), i32(3), STRING_ADD), "ab3\n"},
        {"char to ascii is a signed byte",
         a().push({str("\xC3\xA9")}).op(CHAR_TO_ASCII).op(TRACE), "-61\n"},
        {"char to ascii of empty", a().push({str("")}).op(CHAR_TO_ASCII).op(TRACE), "0\n"},
        {"ascii to char uses the low byte", a().push({i32(321)}).op(ASCII_TO_CHAR).op(TRACE),
         "A\n"},
        {"type of number", a().push({i32(1)}).op(TYPE_OF).op(TRACE), "number\n"},
        {"type of undefined", a().push({undef()}).op(TYPE_OF).op(TRACE), "undefined\n"},
    });
}

// Eight With blocks on an empty object around a ninth on clip, whose x is 1; timeline x is 2.
assembler nine_withs() {
    assembler inner = a().push_str("clip").op(GET_VARIABLE).with(a().trace_var("x"));
    for (int i = 0; i < 8; ++i) {
        inner = a().push({i32(0), str("Object")}).op(NEW_OBJECT).with(inner);
    }
    return a().set_var("clip.x", i32(1)).set_var("x", i32(2)).raw(inner.take());
}

TEST(InterpreterPrograms, ScopeAndPaths) {
    run_table({
        {"the ninth with runs without its scope", nine_withs(), "2\n"},
        {"timeline variable", a().set_var("a", i32(5)).trace_var("a"), "5\n"},
        {"slash path with colon", a().set_var("a", i32(6)).trace_var("/:a"), "6\n"},
        {"dot path into a child", a().set_var("clip.x", i32(7)).trace_var("clip.x"), "7\n"},
        {"slash path into a child", a().set_var("/clip:y", i32(8)).trace_var("clip.y"), "8\n"},
        {"_root", a().set_var("r", str("R")).push_str("_root").op(GET_VARIABLE).push_str("r").op(GET_MEMBER).op(TRACE),
         "R\n"},
        {"_global", a()
                        .push({str("_global"), str("g")})
                        .op(GET_VARIABLE)
                        .op(STACK_SWAP)
                        .op(STACK_SWAP)
                        .op(POP)
                        .push({str("_global")})
                        .op(GET_VARIABLE)
                        .push({str("g"), i32(9)})
                        .op(SET_MEMBER)
                        .trace_var("g"),
         "9\n"},
        {"with reads the scope object first",
         a().set_var("clip.x", i32(1))
             .set_var("x", i32(2))
             .push_str("clip")
             .op(GET_VARIABLE)
             .with(a().trace_var("x"))
             .trace_var("x"),
         "1\n2\n"},
        {"with on a number does nothing", a().set_var("x", i32(2)).push_num(5).with(a().trace_var("x")),
         "2\n"},
        {"delete a member", a().set_var("clip.z", i32(1))
                                .push({str("clip")})
                                .op(GET_VARIABLE)
                                .push_str("z")
                                .op(DELETE)
                                .op(TRACE)
                                .trace_var("clip.z"),
         "true\nundefined\n"},
        {"delete2 of a timeline variable",
         a().set_var("v", i32(1)).push_str("v").op(DELETE2).op(TRACE).push_str("nope").op(DELETE2).op(TRACE),
         "true\nfalse\n"},
        {"define local at frame level", a()
                                            .push({str("loc"), i32(3)})
                                            .op(DEFINE_LOCAL)
                                            .trace_var("loc"),
         "3\n"},
        {"stack duplicate and swap", a().push({i32(1), i32(2)}).op(STACK_SWAP).op(TRACE).op(PUSH_DUPLICATE).op(TRACE).op(TRACE),
         "1\n2\n2\n"},
        {"enumerate an object's members",
         a().set_var("clip.k", i32(1)).push_str("clip").op(ENUMERATE).op(TRACE).op(TRACE),
         "k\nnull\n"},
        {"enumerate2 of a literal: its members are builtin", a()
                                              .push({str("k"), i32(1), i32(1)})
                                              .op(INIT_OBJECT)
                                              .op(ENUMERATE2)
                                              .op(TRACE)
                                              .op(TRACE),
         "null\nundefined\n"},
    });
}

TEST(InterpreterPrograms, ControlFlow) {
    // i = 0; while (i < 3) { trace(i); i++; } trace("done")
    assembler loop;
    const int top = loop.new_label();
    const int out = loop.new_label();
    loop.set_var("i", i32(0))
        .label(top)
        .trace_var("i")
        .push({str("i"), str("i")})
        .op(GET_VARIABLE)
        .op(INCREMENT)
        .op(SET_VARIABLE)
        .push({str("i")})
        .op(GET_VARIABLE)
        .push_num(3)
        .op(LESS)
        .op(NOT)
        .if_true(out)
        .jump(top)
        .label(out)
        .trace_str("done");
    assembler skip;
    const int over = skip.new_label();
    skip.jump(over).trace_str("skipped").label(over).trace_str("after");
    run_table({
        {"while loop", loop, "0\n1\n2\ndone\n"},
        {"jump over", skip, "after\n"},
        {"end stops the frame", a().trace_str("a").end().trace_str("b"), "a\n"},
        {"wait for frame 2 never skips", a().push_num(1).record(WAIT_FOR_FRAME2, {1}).trace_str("x"),
         "x\n"},
    });
}

TEST(InterpreterPrograms, ConstantPoolAndPushTypes) {
    assembler all_types;
    all_types.constant_pool({"zero", "one"})
        .push({i32(77)})
        .store_register(2)
        .op(POP)
        .push({str("s"), flt(1.5f), null(), undef(), reg(2), boolean(true), dbl(-0.25), i32(-3),
               dict(1), dict16(0)});
    for (int i = 0; i < 10; ++i) all_types.op(TRACE);
    run_table({
        {"all ten push types", all_types,
         "zero\none\n-3\n-0.25\ntrue\n77\nundefined\nnull\n1.5\ns\n"},
        {"dictionary index past the end pushes 0", a().constant_pool({"a"}).push({dict(5)}).op(TRACE),
         "0\n"},
        {"empty pool", a().constant_pool({}).push({dict16(0)}).op(TYPE_OF).op(TRACE), "number\n"},
        {"global register out of bounds", a().push({reg(4)}).op(TRACE), "undefined\n"},
        {"unknown push type stands alone", a().record(PUSH, {0x0B, 0x03}).op(TRACE), "undefined\n"},
    });
}

// body three times, in a loop on the variable n: its Push records run again and again.
assembler three_times(const assembler& body) {
    assembler x;
    const int top = x.new_label();
    const int out = x.new_label();
    x.push({str("n"), i32(0)}).op(SET_VARIABLE).label(top)
        .push({str("n")}).op(GET_VARIABLE).push({i32(3)}).op(LESS2).op(NOT).if_true(out)
        .raw(assembler(body).take())
        .push({str("n"), str("n")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)
        .jump(top).label(out);
    return x;
}

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

TEST(InterpreterPrograms, PushRecordsGiveTheSameValuesOnEveryRun) {
    // The first run of a record prepares it; the later ones copy what it prepared.
    assembler constants;
    constants.push({str("Text.x"), flt(1.5f), null(), undef(), boolean(false), dbl(-0.25),
                    i32(-3), str("")});
    for (int i = 0; i < 8; ++i) constants.op(TYPE_OF).op(TRACE);
    assembler values;
    values.push({str("s:t"), flt(1.5f), null(), undef(), boolean(false), dbl(-0.25), i32(-3)});
    for (int i = 0; i < 7; ++i) values.op(TRACE);
    assembler mixed;
    mixed.push({i32(5)}).store_register(1).op(POP)
        .push({str("a"), reg(1), str("b"), dict(0), str("c")});
    for (int i = 0; i < 5; ++i) mixed.op(TRACE);
    // A pushed text that becomes a variable, is changed and read back leaves the record as it was.
    const assembler changed = a().push({str("v"), str("ab")}).op(SET_VARIABLE)
                                  .push({str("v"), str("v")}).op(GET_VARIABLE)
                                  .push({str("c")}).op(STRING_ADD).op(SET_VARIABLE)
                                  .trace_var("v");
    run_table({
        {"constants", three_times(constants),
         repeated("string\nnumber\nnumber\nboolean\nundefined\nnull\nnumber\nstring\n", 3).c_str()},
        {"constant values", three_times(values),
         repeated("-3\n-0.25\nfalse\nundefined\nnull\n1.5\ns:t\n", 3).c_str()},
        {"texts beside registers and pool entries",
         a().constant_pool({"pool"}).raw(three_times(mixed).take()),
         repeated("c\npool\nb\n5\na\n", 3).c_str()},
        {"a text changed after its push", three_times(changed), "abc\nabc\nabc\n"},
    });
}

// Runs each program twice on one buffer: the second run takes the records as the first prepared
// them, where some actions run together with the Push before them.
void run_twice_table(const std::vector<program>& rows) {
    for (const program& row : rows) {
        interptest::machine m;
        EXPECT_EQ(m.run(row.code), row.trace) << row.name << ", first run";
        interptest::machine::messages().clear();
        m.env.set_stack_size(0);
        m.buffer.execute(&m.env);
        EXPECT_EQ(interptest::machine::messages(), row.trace) << row.name << ", second run";
    }
}

TEST(InterpreterPrograms, ANameReadRightAfterItsPushReadsAsTwoActionsWould) {
    // A Push whose last text the next GetVariable or GetMember reads is run as one step; each
    // program runs twice, the second time from the prepared records.
    assembler jump_onto_read = a().set_var("v", str("ab")).set_var("w", str("cd"));
    const int read = jump_onto_read.new_label();
    jump_onto_read.push({str("v")}).jump(read).push({str("w")}).label(read).op(GET_VARIABLE)
        .op(TRACE);
    run_twice_table({
        {"variable below other values",
         (a().set_var("v", str("ab")).push({i32(7), str("v")}).op(GET_VARIABLE).op(TRACE)
                   .op(TRACE)),
         "ab\n7\n"},
        {"member of an object read before",
         (a().push({str("o"), str("x"), i32(5), i32(1)}).op(INIT_OBJECT).op(SET_VARIABLE)
                   .push({str("o")}).op(GET_VARIABLE).push({str("x")}).op(GET_MEMBER).op(TRACE)),
         "5\n"},
        {"member of a value of the same record",
         (a().push({i32(9), str("abc"), str("length")}).op(GET_MEMBER).op(TRACE).op(TRACE)),
         "3\n9\n"},
        {"member with nothing below the name",
         (a().push({str("x")}).op(GET_MEMBER).op(TYPE_OF).op(TRACE)),
         "undefined\n"},
        {"jump onto the read skips the push before it", (jump_onto_read), "ab\n"},
        // The with block ends between the push and the read: the read is outside it.
        {"with block ending between push and read",
         (a().set_var("x", str("outer"))
                   .push({str("o"), str("x"), str("inner"), i32(1)}).op(INIT_OBJECT)
                   .op(SET_VARIABLE).push({str("o")}).op(GET_VARIABLE)
                   .with(a().push({str("x")})).op(GET_VARIABLE).op(TRACE)),
         "outer\n"},
    });
}

TEST(InterpreterPrograms, ANumberPushedForTheOperationAfterItGivesWhatTwoActionsWould) {
    // Each program runs twice, the second time from the prepared records, where a number pushed
    // for the arithmetic, comparison or test right after it runs with it as one step.
    assembler branches;
    for (int value : {0, 3}) {
        const int skip = branches.new_label();
        branches.push({i32(value)}).op(NOT).if_true(skip).trace_str("taken").label(skip)
            .trace_str("after");
    }
    run_twice_table({
        {"subtract", (a().push({i32(10)}).push({i32(4)}).op(SUBTRACT).op(TRACE)), "6\n"},
        {"divide", (a().push({i32(1)}).push({i32(4)}).op(DIVIDE).op(TRACE)), "0.25\n"},
        {"less", (a().push({i32(5)}).push({i32(3)}).op(LESS2).op(TRACE)), "false\n"},
        {"greater", (a().push({i32(5)}).push({i32(3)}).op(GREATER).op(TRACE)), "true\n"},
        {"add2 to a text", (a().push({str("5")}).push({i32(1)}).op(ADD2).op(TRACE)),
         "51\n"},
        {"nothing below the number", (a().push({i32(1)}).op(ADD2).op(TRACE)), "NaN\n"},
        {"not then if", (branches), "after\ntaken\nafter\n"},
    });
}

TEST(InterpreterPrograms, ASectionEndingAfterAPushLeavesTheNameForTheReadOutsideIt) {
    interptest::machine m;
    const bytes code = a().set_var("v", str("value")).take();
    const int set_length = static_cast<int>(code.size());
    bytes program = code;
    const bytes rest = a().push({str("v")}).op(GET_VARIABLE).take();
    program.insert(program.end(), rest.begin(), rest.end());
    m.buffer.read(program.data(), static_cast<int>(program.size()));
    const flash::array<flash::with_scope> no_with;
    const int push_length = static_cast<int>(rest.size()) - 1;
    for (int run = 0; run < 2; ++run) {
        m.env.set_stack_size(0);
        m.buffer.execute(&m.env, 0, set_length + push_length, nullptr, no_with, false);
        ASSERT_EQ(m.env.get_stack_size(), 1) << run;
        EXPECT_STREQ(m.env.top(0).to_string(), "v") << run;
    }
}

TEST(InterpreterPrograms, AMemberReadWithNothingBelowItsNameLeavesOneUndefined) {
    interptest::machine m;
    const bytes code = a().push({str("x")}).op(GET_MEMBER).take();
    m.buffer.read(code.data(), static_cast<int>(code.size()));
    for (int run = 0; run < 2; ++run) {
        m.env.set_stack_size(0);
        m.buffer.execute(&m.env);
        ASSERT_EQ(m.env.get_stack_size(), 1) << run;
        EXPECT_TRUE(m.env.top(0).is_undefined()) << run;
    }
}

TEST(InterpreterPrograms, APushRecordCutShortFailsTheSameWayOnEveryRun) {
    interptest::machine m;
    m.run(a().trace_str("before").record(PUSH, {0, 'o', 'k', 0, 0, 'c', 'u', 't'}).trace_str("after"));
    EXPECT_EQ(interptest::machine::messages(), "before\n");
    EXPECT_TRUE(m.error_has("cut short"));
    for (int run = 0; run < 2; ++run) {
        interptest::machine::errors().clear();
        interptest::machine::messages().clear();
        m.env.set_stack_size(0);
        m.buffer.execute(&m.env);
        EXPECT_EQ(interptest::machine::messages(), "before\n") << run;
        EXPECT_TRUE(m.error_has("cut short")) << run;
        // The text before the cut was pushed, as on the first run.
        EXPECT_EQ(m.env.get_stack_size(), 1) << run;
        EXPECT_STREQ(m.env.top(0).to_string(), "ok") << run;
    }
}

TEST(InterpreterPrograms, Functions) {
    // function add(a, b) { return a + b }
    assembler add_fn = a().push({str("a")}).op(GET_VARIABLE).push({str("b")}).op(GET_VARIABLE).op(ADD2).op(RETURN);
    assembler named = a().define_function("add", {"a", "b"}, add_fn)
                          .push({i32(3), i32(2), i32(2), str("add")})
                          .op(CALL_FUNCTION)
                          .op(TRACE);
    assembler unnamed = a().push_str("f")
                            .define_function("", {"x"}, a().push_str("x").op(GET_VARIABLE).op(INCREMENT).op(RETURN))
                            .op(SET_VARIABLE)
                            .push({i32(9), i32(1), str("f")})
                            .op(CALL_FUNCTION)
                            .op(TRACE);
    // The same definition run twice keeps the first function object.
    assembler define_once = a().define_function("g", {}, a())
                                .push({str("first"), str("g")})
                                .op(GET_VARIABLE)
                                .op(SET_VARIABLE);
    assembler redefinition = a().raw(define_once.take());
    // arguments: more arguments than names; the extra ones live in arguments.
    assembler args_fn = a().push({str("arguments")})
                            .op(GET_VARIABLE)
                            .push_str("length")
                            .op(GET_MEMBER)
                            .op(TRACE)
                            .trace_var("p")
                            .trace_var("q")
                            .push({str("arguments")})
                            .op(GET_VARIABLE)
                            .push_str("2")
                            .op(GET_MEMBER)
                            .op(TRACE);
    assembler arguments = a().define_function("h", {"p", "q"}, args_fn)
                              .push({str("c"), str("b"), str("a"), i32(3), str("h")})
                              .op(CALL_FUNCTION)
                              .op(POP);
    assembler fewer = a().define_function("h", {"p", "q"}, a().trace_var("p").trace_var("q"))
                          .push({str("only"), i32(1), str("h")})
                          .op(CALL_FUNCTION)
                          .op(TRACE);
    // Locals are not captured: the inner function, called after outer returned, finds the timeline x.
    assembler no_capture = a().set_var("x", str("timeline"))
                               .define_function("outer", {},
                                                a().push({str("x"), str("inner")})
                                                    .op(DEFINE_LOCAL)
                                                    .define_function("", {}, a().trace_var("x"))
                                                    .op(RETURN))
                               .push_str("f")
                               .push({i32(0), str("outer")})
                               .op(CALL_FUNCTION)
                               .op(SET_VARIABLE)
                               .push({i32(0), str("f")})
                               .op(CALL_FUNCTION)
                               .op(POP);
    run_table({
        {"named function", named, "5\n"},
        {"closures do not capture locals", no_capture, "timeline\n"},
        {"unnamed function stored in a variable", unnamed, "10\n"},
        {"fewer arguments leave locals undefined", fewer, "only\nundefined\nundefined\n"},
        // A DefineFunction body has no arguments local (DefineFunction2 bodies do).
        {"arguments", arguments, "undefined\na\nb\nundefined\n"},
        {"return without a value slot", a().op(RETURN).trace_str("not reached"), ""},
        {"call of a non-function", a().push({i32(0), str("nothing")}).op(CALL_FUNCTION).op(TRACE),
         "undefined\n"},
    });
    {
        // A Return without a value slot drops the value it would give; what is below stays,
        // after a step it ends too.
        interptest::machine m;
        m.run(a().push({str("below"), str("returned")}).op(RETURN));
        EXPECT_EQ(m.env.get_stack_size(), 1);
        EXPECT_STREQ(m.env.top(0).to_string(), "below");
        m.run(a().push({str("x")}).op(GET_VARIABLE).push({i32(1)}).op(ADD2).op(RETURN));
        EXPECT_EQ(m.env.get_stack_size(), 1);
    }
    {
        interptest::machine m;
        m.run(redefinition);
        const flash::as_value first = m.env.get_variable("first");
        m.buffer.execute(&m.env);
        EXPECT_TRUE(m.env.get_variable("g") == first);
        EXPECT_TRUE(first.to_object() && first.to_object()->is(flash::as_object::S_FUNCTION));
    }
}

TEST(InterpreterPrograms, DefineFunction2) {
    // Registers in table order: this, arguments, super; locals only where not suppressed.
    assembler body = a().push({reg(1)})
                         .op(TYPE_OF)
                         .op(TRACE)
                         .push({reg(2)})
                         .push_str("length")
                         .op(GET_MEMBER)
                         .op(TRACE)
                         .push({reg(3)})
                         .op(TYPE_OF)
                         .op(TRACE)
                         .push_str("this")
                         .op(GET_VARIABLE)
                         .push_str("tag")
                         .op(GET_MEMBER)
                         .op(TRACE)
                         .push_str("arguments")
                         .op(GET_VARIABLE)
                         .op(TYPE_OF)
                         .op(TRACE)
                         .push({reg(4)})
                         .op(TRACE);
    const int preload_all = 0x0001 | 0x0004 | 0x0010;
    const int suppress_all = 0x0002 | 0x0008 | 0x0020;
    auto method_call = [](const char* fn) {
        // o = new Object(); o.m = fn; o.m(5)
        return a()
            .push({str("o"), i32(0), str("Object")})
            .op(NEW_OBJECT)
            .op(SET_VARIABLE)
            .push({str("o")})
            .op(GET_VARIABLE)
            .push({str("m"), str(fn)})
            .op(GET_VARIABLE)
            .op(SET_MEMBER)
            .push({str("o")})
            .op(GET_VARIABLE)
            .push({str("tag"), str("O")})
            .op(SET_MEMBER)
            .push({i32(5), i32(1), str("o")})
            .op(GET_VARIABLE)
            .push_str("m")
            .op(CALL_METHOD)
            .op(POP);
    };
    assembler with_locals = a().define_function2("f", 5, preload_all, {{4, "n"}}, body).raw(method_call("f").take());
    assembler suppressed =
        a().define_function2("f", 5, preload_all | suppress_all, {{4, "n"}}, body).raw(method_call("f").take());
    // Each call has its own registers: fact(n) keeps n in register 1 across the recursion.
    assembler fact_body;
    const int base = fact_body.new_label();
    fact_body.push({reg(1), i32(2)})
        .op(LESS)
        .if_true(base)
        .push({reg(1), reg(1), i32(1)})
        .op(SUBTRACT)
        .push({i32(1), str("fact")})
        .op(CALL_FUNCTION)
        .op(MULTIPLY)
        .op(RETURN)
        .label(base)
        .push({i32(1)})
        .op(RETURN);
    assembler fact = a().define_function2("fact", 2, 0, {{1, "n"}}, fact_body)
                         .push({i32(6), i32(1), str("fact")})
                         .op(CALL_FUNCTION)
                         .op(TRACE);
    // Preloads of _root, _parent and _global follow in that order.
    assembler roots = a().define_function2("r", 4, 0x0040 | 0x0080 | 0x0100, {},
                                           a().push({reg(1)})
                                               .push({reg(1)})
                                               .op(EQUALS)
                                               .op(TRACE)
                                               .push({reg(3)})
                                               .op(TYPE_OF)
                                               .op(TRACE))
                          .push({i32(0), str("r")})
                          .op(CALL_FUNCTION)
                          .op(POP);
    run_table({
        // super is the prototype of o, which the native Object constructor leaves null.
        {"preloads with locals", with_locals, "object\n1\nnull\nO\nobject\n5\n"},
        {"preloads with suppressed locals", suppressed, "object\n1\nnull\nundefined\nundefined\n5\n"},
        {"separate registers per call", fact, "720\n"},
        // Called as a plain function there is no this object: super is undefined, never a crash.
        {"super without a this object",
         a().define_function2("s", 2, 0x0010, {}, a().push({reg(1)}).op(TYPE_OF).op(TRACE))
             .push({i32(0), str("s")})
             .op(CALL_FUNCTION)
             .op(POP),
         "undefined\n"},
        {"root, parent and global registers", roots, "true\nobject\n"},
        {"register past the reserved count", a().define_function2("z", 1, 0, {}, a().push({reg(3)}).op(TRACE).push_num(1).store_register(7))
                                                 .push({i32(0), str("z")})
                                                 .op(CALL_FUNCTION)
                                                 .op(POP),
         "undefined\n"},
    });
}

TEST(InterpreterPrograms, Construction) {
    // function Point(x) { this.x = x } ; Point.prototype.get = function () { return this.x }
    assembler point = a().define_function("Point", {"x"},
                                          a().push_str("this").op(GET_VARIABLE).push_str("x").push_str("x").op(GET_VARIABLE).op(SET_MEMBER))
                          .push_str("Point")
                          .op(GET_VARIABLE)
                          .push_str("prototype")
                          .op(GET_MEMBER)
                          .push_str("get")
                          .define_function("", {}, a().push_str("this").op(GET_VARIABLE).push_str("x").op(GET_MEMBER).op(RETURN))
                          .op(SET_MEMBER);
    assembler construct = a().raw(point.take())
                              .push({str("p"), i32(3), i32(1), str("Point")})
                              .op(NEW_OBJECT)
                              .op(SET_VARIABLE)
                              .trace_var("p.x")
                              .push({i32(0), str("p")})
                              .op(GET_VARIABLE)
                              .push_str("get")
                              .op(CALL_METHOD)
                              .op(TRACE)
                              .push({str("p")})
                              .op(GET_VARIABLE)
                              .push_str("Point")
                              .op(GET_VARIABLE)
                              .op(INSTANCE_OF)
                              .op(TRACE);
    // function A() { this.a = 1 }  function B() { super() }  B extends A
    assembler classes =
        a().define_function("A", {}, a().push_str("this").op(GET_VARIABLE).push({str("a"), i32(1)}).op(SET_MEMBER))
            .push_str("A")
            .op(GET_VARIABLE)
            .push_str("prototype")
            .op(GET_MEMBER)
            .push_str("hello")
            .define_function("", {}, a().push({str("hi")}).op(RETURN))
            .op(SET_MEMBER)
            .define_function("B", {},
                             a().push({i32(0), str("super")}).op(GET_VARIABLE).push_str("").op(CALL_METHOD).op(POP))
            .push({str("B")})
            .op(GET_VARIABLE)
            .push({str("A")})
            .op(GET_VARIABLE)
            .op(EXTENDS)
            .push({str("b"), i32(0), str("B")})
            .op(NEW_OBJECT)
            .op(SET_VARIABLE)
            .trace_var("b.a")
            .push({i32(0), str("b")})
            .op(GET_VARIABLE)
            .push_str("hello")
            .op(CALL_METHOD)
            .op(TRACE)
            .push({str("b")})
            .op(GET_VARIABLE)
            .push_str("A")
            .op(GET_VARIABLE)
            .op(INSTANCE_OF)
            .op(TRACE)
            // CastOp: A(b) gives b, A(5) gives null.
            .push({str("A")})
            .op(GET_VARIABLE)
            .push({str("b")})
            .op(GET_VARIABLE)
            .op(CAST_OP)
            .push_str("a")
            .op(GET_MEMBER)
            .op(TRACE)
            .push({str("A")})
            .op(GET_VARIABLE)
            .push({i32(5)})
            .op(CAST_OP)
            .op(TRACE);
    assembler resolve = a().push({str("o"), i32(0), str("Object")})
                            .op(NEW_OBJECT)
                            .op(SET_VARIABLE)
                            .push({str("o")})
                            .op(GET_VARIABLE)
                            .push_str("__resolve")
                            .define_function("", {"n"}, a().push({str("R:"), str("n")}).op(GET_VARIABLE).op(ADD2).op(RETURN))
                            .op(SET_MEMBER)
                            .push_str("o")
                            .op(GET_VARIABLE)
                            .push_str("zzz")
                            .op(GET_MEMBER)
                            .op(TRACE)
                            .trace_var("o.zzz");
    assembler new_method = a().raw(point.take())
                               .push({str("holder"), i32(0), str("Object")})
                               .op(NEW_OBJECT)
                               .op(SET_VARIABLE)
                               .push({str("holder")})
                               .op(GET_VARIABLE)
                               .push_str("P")
                               .push_str("Point")
                               .op(GET_VARIABLE)
                               .op(SET_MEMBER)
                               .push({i32(4), i32(1), str("holder")})
                               .op(GET_VARIABLE)
                               .push_str("P")
                               .op(NEW_METHOD)
                               .push_str("x")
                               .op(GET_MEMBER)
                               .op(TRACE);
    assembler literals = a().push({str("two"), i32(2), str("one"), i32(1), i32(2)})
                             .op(INIT_OBJECT)
                             .push_str("two")
                             .op(GET_MEMBER)
                             .op(TRACE)
                             .push({str("c"), str("b"), str("a"), i32(3)})
                             .op(INIT_ARRAY)
                             .op(TRACE);
    run_table({
        {"script constructor and prototype method", construct, "3\n3\ntrue\n"},
        {"extends and super through an empty name", classes, "1\nhi\ntrue\n1\nnull\n"},
        // Only GetMember consults __resolve; a path lookup does not.
        {"__resolve answers missing members", resolve, "R:zzz\nundefined\n"},
        {"new method", new_method, "4\n"},
        {"object and array literals", literals, "2\na,b,c\n"},
        {"native constructor", a().push({i32(0), str("Object")}).op(NEW_OBJECT).op(TYPE_OF).op(TRACE),
         "object\n"},
        {"unknown class gives null", a().push({i32(0), str("Nowhere")}).op(NEW_OBJECT).op(TRACE),
         "null\n"},
    });
}

std::vector<std::string> g_commands;

void record_fscommand(flash::as_object* root, const char* command, const char* args) {
    g_commands.push_back(std::string(root ? "root " : "none ") + command + " " + args);
}

TEST(InterpreterPrograms, FSCommandThroughTheCallback) {
    g_commands.clear();
    flash::register_fscommand_callback(record_fscommand);
    interptest::machine m;
    m.run(a().get_url("FSCommand:quit", "now")
              .push({str("FSCommand:fullscreen"), str("true")})
              .record(GET_URL2, {0})
              .get_url("fscommand:lower", "x")
              .get_url("FSCommand:", ""));
    flash::register_fscommand_callback(nullptr);
    EXPECT_EQ(g_commands, (std::vector<std::string>{"root quit now", "root fullscreen true", "root  "}));
    m.run(a().get_url("FSCommand:quit", "now"));
    EXPECT_EQ(g_commands.size(), 3u);
}

TEST(InterpreterPrograms, MovieControl) {
    struct row {
        const char* name;
        assembler code;
        std::vector<std::string> journal;
    };
    std::vector<row> rows = {
        {"frames", a().op(NEXT_FRAME).op(NEXT_FRAME).op(PREV_FRAME).op(PLAY).op(STOP).goto_frame(7),
         {"goto_frame 1", "goto_frame 2", "goto_frame 1", "play_state 0", "play_state 1",
          "goto_frame 7"}},
        {"goto label", a().goto_label("intro"), {"goto_label intro"}},
        {"goto frame2 by label and play", a().push_str("intro").goto_frame2(1),
         {"goto_label intro", "play_state 0"}},
        {"goto frame2 by number text and stop", a().push_str("12").goto_frame2(0),
         {"goto_label 12", "goto_frame 12", "play_state 1"}},
        {"goto frame2 by number", a().push({dbl(4.7)}).goto_frame2(1), {"goto_frame 4", "play_state 0"}},
        {"goto frame2 with junk", a().push_str("junk").goto_frame2(1), {"goto_label junk"}},
        {"goto frame2 with undefined", a().push({undef()}).goto_frame2(1), {}},
        {"start drag unconstrained", a().push({i32(0), boolean(true), str("")}).op(START_DRAG),
         {"drag self lock=1 constrained=0 0 0 1 1"}},
        {"start drag constrained operand order",
         a().push({i32(10), i32(20), i32(30), i32(40), boolean(true), boolean(false), str("clip")}).op(START_DRAG),
         {"drag other lock=0 constrained=1 10 20 30 40"}},
        {"end drag", a().op(END_DRAG), {"stop_drag"}},
        {"clone", a().push({str("clip"), str("copy"), i32(3)}).op(CLONE_SPRITE), {"clone copy 3"}},
        {"remove", a().push_str("clip").op(REMOVE_SPRITE), {"remove child"}},
        {"call frame", a().push_str("label").record(CALL, {}), {"call label"}},
        {"set target to a child", a().set_target("clip").op(PLAY).set_target("").op(STOP),
         {"play_state 0", "play_state 1"}},
        {"set target 2", a().push_str("clip").op(SET_TARGET2).op(STOP), {"play_state 1"}},
        {"set target to an unknown path", a().set_target("nowhere").op(PLAY).set_target("").op(STOP),
         {"play_state 1"}},
    };
    for (row& r : rows) {
        interptest::machine m;
        m.root->labels["intro"] = 3;
        m.run(r.code);
        std::vector<std::string> seen = m.journal;
        EXPECT_EQ(seen, r.journal) << r.name;
    }
}

TEST(InterpreterPrograms, PropertiesAndTargets) {
    interptest::machine m;
    // setProperty("clip", _x, 12); trace(getProperty("clip", _x)); negative and large numbers.
    EXPECT_EQ(m.run(a().push({str("clip"), i32(0), i32(12)})
                        .op(SET_PROPERTY)
                        .push({str("clip"), i32(0)})
                        .op(GET_PROPERTY)
                        .op(TRACE)
                        .push({str("clip"), i32(-1)})
                        .op(GET_PROPERTY)
                        .op(TRACE)
                        .push({str("missing"), i32(0)})
                        .op(GET_PROPERTY)
                        .op(TRACE)),
              "12\nundefined\nundefined\n");
    EXPECT_TRUE(m.error_has("property number -1"));
    // A frame's target set by SetTarget stays after its End code; a function body's does not.
    m.run(a().set_target("clip").end());
    EXPECT_EQ(m.env.get_target(), m.clip);
    m.env.set_target(m.root);
    m.run(a().define_function("t", {}, a().set_target("clip"))
              .push({i32(0), str("t")})
              .op(CALL_FUNCTION)
              .op(POP)
              .set_var("where", i32(1)));
    EXPECT_EQ(m.env.get_target(), m.root);
    EXPECT_EQ(m.root->get_members().find_index("where") >= 0, true);
    // An execution that starts on an object that is no character ends without a target.
    const flash::smart_ptr<flash::as_object> plain(new flash::as_object(m.get_engine()));
    m.env.set_target(plain.get_ptr());
    m.run(a().push({i32(1)}).op(POP));
    EXPECT_EQ(m.env.get_target(), nullptr);
    // One that starts on a clip gone by its end ends without one too.
    m.env.set_target(m.clip);
    m.run(a().set_target("/").push({str("clip")}).op(DELETE2).op(POP));
    EXPECT_EQ(m.env.get_target(), nullptr);
    m.env.set_target(m.root);
    // Unknown target: the variable becomes a local with the logged error.
    m.run(a().set_target("nowhere").set_var("lost", i32(1)));
    EXPECT_TRUE(m.error_has("target is NULL"));
}

}  // namespace

namespace {

TEST(InterpreterPrograms, ActionLoggingListsEveryRecord) {
    flash::set_verbose_action(true);
    interptest::machine m;
    m.run(a().constant_pool({"k"})
              .push({dict(0), i32(2)})
              .op(SET_VARIABLE)
              .define_function2("f", 3, 0x1FF, {}, a().push({reg(1)}).op(POP))
              .push({i32(0), str("f")})
              .op(CALL_FUNCTION)
              .op(POP)
              .trace_var("k"));
    flash::set_verbose_action(false);
    const std::string& log = interptest::machine::messages();
    EXPECT_NE(log.find("   0\tdecl_dict       [1]\n\"k\"\n"), std::string::npos);
    EXPECT_NE(log.find("EX:\tpush_data      dict_lookup[0]\n(int) 2\n"), std::string::npos);
    EXPECT_NE(log.find("-------------- pushed int32 2\n"), std::string::npos);
    EXPECT_NE(log.find("-------------- preload _global="), std::string::npos);
    EXPECT_NE(log.find("-------------- set var: k \n"), std::string::npos);
    EXPECT_NE(log.find("2\n"), std::string::npos);
}

}  // namespace
