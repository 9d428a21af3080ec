// Timeline variables read and written again by the same action: each later run answers what a
// full lookup would, whatever changed in between.
#include <gtest/gtest.h>

#include <string>

#include "flash/runtime/engine_instance.h"
#include "interp_test_support.h"

using namespace testasm;

namespace {

assembler a() { return assembler(); }

// The turn counter lives on the root whatever the target: a path is never remembered.
constexpr const char* turn = "/:turn";

// setup, then three turns of: body, change; body runs as the same actions every turn.
assembler three_turns(assembler setup, const assembler& body, const assembler& change) {
    assembler code = std::move(setup);
    code.push({str(turn), i32(0)}).op(SET_VARIABLE);
    const int top = code.new_label();
    code.label(top).raw(assembler(body).take()).raw(assembler(change).take());
    code.push({str(turn), str(turn)}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE);
    code.push({str(turn)}).op(GET_VARIABLE).push({i32(3)}).op(LESS2).if_true(top);
    return code;
}

// Runs change only on the given turn.
assembler on_turn(int n, const assembler& change) {
    assembler code;
    const int skip = code.new_label();
    code.push({str(turn)}).op(GET_VARIABLE).push({i32(n)}).op(EQUALS2).op(NOT).if_true(skip);
    code.raw(assembler(change).take()).label(skip);
    return code;
}

// this.method(args...), its result dropped; args pushed last first.
assembler call_on_this(const char* method, const assembler& pushed_args, int count) {
    assembler code = pushed_args;
    code.push({i32(count), str("this")}).op(GET_VARIABLE).push({str(method)}).op(CALL_METHOD)
        .op(POP);
    return code;
}

assembler function_returning(item value) {
    return a().define_function("", {}, a().push({value}).op(RETURN));
}

// function() { return this.tag; }, pushed.
assembler tag_getter() {
    return a().define_function("", {}, a().push({str("this")}).op(GET_VARIABLE)
                                           .push({str("tag")}).op(GET_MEMBER).op(RETURN));
}

struct turns_case {
    const char* what;
    assembler code;
    const char* trace;
};

TEST(InterpreterVariables, ReadsAndWritesRunAgainAnswerWhatTheLookupWould) {
    const assembler read_v = a().push({str("v")}).op(GET_VARIABLE).op(TRACE);
    assembler ten_new_members;
    for (int i = 0; i < 10; ++i) {
        ten_new_members.push({str("m"), str(turn)}).op(GET_VARIABLE).push({i32(i)}).op(ADD2)
            .op(ADD2).push({i32(i)}).op(SET_VARIABLE);
    }
    const turns_case cases[] = {
        {"a variable written between reads", three_turns(a().set_var("v", i32(1)), read_v,
             a().push({str("v"), str("v")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)),
         "1\n2\n3\n"},
        {"a variable deleted between reads",
         three_turns(a().set_var("v", i32(1)), read_v, a().push({str("v")}).op(DELETE2).op(POP)),
         "1\nundefined\nundefined\n"},
        {"a getter put in the variable's place",
         // The getter runs on the object read: it answers that object's tag.
         three_turns(a().set_var("v", i32(1)).set_var("tag", str("root tag")), read_v,
                     on_turn(0, call_on_this("addProperty",
                                             a().push({null()})
                                                 .raw(tag_getter().take())
                                                 .push({str("v")}),
                                             3))),
         "1\nroot tag\nroot tag\n"},
        {"the member table grown and rebuilt between reads",
         three_turns(a().set_var("v", i32(1)), read_v, ten_new_members), "1\n1\n1\n"},
        {"a read-only variable written every turn",
         three_turns(a().set_var("v", i32(1))
                         .push({i32(4), str("v"), str("this")}).op(GET_VARIABLE).push({i32(3)})
                         .push({str("ASSetPropFlags")}).op(CALL_FUNCTION).op(POP),
                     a().push({str("v"), i32(5)}).op(SET_VARIABLE).raw(assembler(read_v).take()),
                     a()),
         "1\n1\n1\n"},
        {"a watch set after the first write",
         // A watch holds its function weakly: a variable keeps it.
         three_turns(a().set_var("v", i32(0)).push({str("w")})
                         .raw(function_returning(str("watched")).take()).op(SET_VARIABLE),
                     a().push({str("v"), str(turn)}).op(GET_VARIABLE).op(SET_VARIABLE)
                         .raw(assembler(read_v).take()),
                     on_turn(0, call_on_this("watch",
                                             a().push({str("w")}).op(GET_VARIABLE)
                                                 .push({str("v")}),
                                             2))),
         "0\nwatched\nwatched\n"},
        {"a function replaced between calls of the same action",
         three_turns(a().push({str("f")}).raw(function_returning(str("one")).take())
                         .op(SET_VARIABLE),
                     a().push({i32(0), str("f")}).op(CALL_FUNCTION).op(TRACE),
                     on_turn(0, a().push({str("f")}).raw(function_returning(str("two")).take())
                                    .op(SET_VARIABLE))),
         "one\ntwo\ntwo\n"},
        {"a getter put in a called function's place",
         // The getter gives the function to call. The second turn remembers the function.
         three_turns(a().push({str("f")}).raw(function_returning(str("one")).take())
                         .op(SET_VARIABLE),
                     a().push({i32(0), str("f")}).op(CALL_FUNCTION).op(TRACE),
                     on_turn(1, call_on_this("addProperty",
                                             a().push({null()})
                                                 .raw(a().define_function("", {},
                                                     a().raw(function_returning(str("two")).take())
                                                         .op(RETURN)).take())
                                                 .push({str("f")}),
                                             3))),
         "one\none\ntwo\n"},
        {"a function deleted between calls of the same action",
         three_turns(a().push({str("f")}).raw(function_returning(str("one")).take())
                         .op(SET_VARIABLE),
                     a().push({i32(0), str("f")}).op(CALL_FUNCTION).op(TRACE),
                     on_turn(0, a().push({str("f")}).op(DELETE2).op(POP))),
         "one\nundefined\nundefined\n"},
        {"the same read on another target",
         three_turns(a().set_var("v", str("root")).set_var("clip.v", str("clip")), read_v,
                     a().raw(on_turn(0, a().push({str("clip")}).op(SET_TARGET2)).take())
                         .raw(on_turn(1, a().push({str("")}).op(SET_TARGET2)).take())),
         "root\nclip\nroot\n"},
    };
    for (const turns_case& c : cases) {
        interptest::machine m;
        EXPECT_EQ(m.run(c.code), c.trace) << c.what;
    }
}

// o = {x: value}
assembler object_with_x(const char* object, item value) {
    return a().push({str(object), str("x"), value, i32(1)}).op(INIT_OBJECT).op(SET_VARIABLE);
}

// object.method(args...), its result dropped; args pushed last first.
assembler call_on(const char* object, const char* method, const assembler& pushed_args, int count) {
    assembler code = pushed_args;
    code.push({i32(count), str(object)}).op(GET_VARIABLE).push({str(method)}).op(CALL_METHOD)
        .op(POP);
    return code;
}

TEST(InterpreterVariables, MembersReadAndWrittenAgainAnswerWhatTheLookupWould) {
    const assembler read_x = a().push({str("o")}).op(GET_VARIABLE).push({str("x")}).op(GET_MEMBER)
                                 .op(TRACE);
    assembler ten_new_members;
    for (int i = 0; i < 10; ++i) {
        ten_new_members.push({str("o")}).op(GET_VARIABLE).push({str("m"), str(turn)})
            .op(GET_VARIABLE).push({i32(i)}).op(ADD2).op(ADD2).push({i32(i)}).op(SET_MEMBER);
    }
    const turns_case cases[] = {
        // The third object has one member too, but not x.
        {"the same read on other objects in turn",
         three_turns(a().raw(object_with_x("one", str("first")).take())
                         .raw(object_with_x("two", str("second")).take())
                         .push({str("three"), str("y"), str("third"), i32(1)}).op(INIT_OBJECT)
                         .op(SET_VARIABLE)
                         .push({str("o"), str("one")}).op(GET_VARIABLE).op(SET_VARIABLE),
                     read_x,
                     a().raw(on_turn(0, a().push({str("o"), str("two")}).op(GET_VARIABLE)
                                          .op(SET_VARIABLE)).take())
                         .raw(on_turn(1, a().push({str("o"), str("three")}).op(GET_VARIABLE)
                                             .op(SET_VARIABLE)).take())),
         "first\nsecond\nundefined\n"},
        {"a member deleted between reads",
         three_turns(object_with_x("o", i32(1)), read_x,
                     a().push({str("o")}).op(GET_VARIABLE).push({str("x")}).op(DELETE).op(POP)),
         "1\nundefined\nundefined\n"},
        {"a getter put in the member's place",
         three_turns(a().raw(object_with_x("o", i32(1)).take())
                         .push({str("o")}).op(GET_VARIABLE).push({str("tag"), str("o's tag")})
                         .op(SET_MEMBER),
                     read_x,
                     on_turn(0, call_on("o", "addProperty",
                                        a().push({null()})
                                            .raw(tag_getter().take())
                                            .push({str("x")}),
                                        3))),
         "1\no's tag\no's tag\n"},
        {"the member table grown and rebuilt between reads",
         three_turns(object_with_x("o", i32(1)), read_x, ten_new_members), "1\n1\n1\n"},
        {"a member written every turn, read-only from the first",
         three_turns(a().raw(object_with_x("o", i32(1)).take())
                         .push({i32(4), str("x"), str("o")}).op(GET_VARIABLE).push({i32(3)})
                         .push({str("ASSetPropFlags")}).op(CALL_FUNCTION).op(POP),
                     a().push({str("o")}).op(GET_VARIABLE).push({str("x"), i32(5)}).op(SET_MEMBER)
                         .raw(assembler(read_x).take()),
                     a()),
         "1\n1\n1\n"},
        {"a watch set after the first write",
         three_turns(a().raw(object_with_x("o", i32(0)).take()).push({str("w")})
                         .raw(function_returning(str("watched")).take()).op(SET_VARIABLE),
                     a().push({str("o")}).op(GET_VARIABLE).push({str("x"), str(turn)})
                         .op(GET_VARIABLE).op(SET_MEMBER).raw(assembler(read_x).take()),
                     on_turn(0, call_on("o", "watch",
                                        a().push({str("w")}).op(GET_VARIABLE).push({str("x")}),
                                        2))),
         "0\nwatched\nwatched\n"},
    };
    for (const turns_case& c : cases) {
        interptest::machine m;
        EXPECT_EQ(m.run(c.code), c.trace) << c.what;
    }
}

// A number step runs with the variable read before it and the write, or the Not and If, after
// it; every turn must answer what the actions run one by one would, whatever the operands.
TEST(InterpreterVariables, NumberStepsRunWithTheReadsAndWritesAroundThemAsOneByOne) {
    const assembler read_r = a().push({str("r")}).op(GET_VARIABLE).op(TRACE);
    // r = left <code> v, v read by the action before the step.
    auto r_is = [](item left, int code) {
        return a().push({str("r"), left, str("v")}).op(GET_VARIABLE).op(code).op(SET_VARIABLE);
    };
    // if (v < 2) trace("below 2"), as compiled: the test negated for a branch past the trace.
    auto trace_when_v_below_2 = [] {
        assembler code;
        const int past = code.new_label();
        code.push({str("v")}).op(GET_VARIABLE).push({i32(2)}).op(LESS2).op(NOT).if_true(past)
            .push({str("below 2")}).op(TRACE).label(past);
        return code;
    };
    // code run over a value left on the stack, traced after it: a write run twice takes it.
    auto over_a_mark = [](const assembler& code) {
        return a().push({str("mark")}).raw(assembler(code).take()).op(TRACE);
    };
    const assembler v_up = a().push({str("v"), str("v")}).op(GET_VARIABLE).op(INCREMENT)
                               .op(SET_VARIABLE);
    const turns_case cases[] = {
        {"a read subtracted from a number", three_turns(a().set_var("v", i32(1)),
             over_a_mark(a().raw(r_is(i32(10), SUBTRACT).take()).raw(assembler(read_r).take())),
             v_up),
         "9\nmark\n8\nmark\n7\nmark\n"},
        {"a number less than a read", three_turns(a().set_var("v", i32(1)),
             a().raw(r_is(i32(2), LESS2).take()).raw(assembler(read_r).take()), v_up),
         "false\nfalse\ntrue\n"},
        {"a read compared with a number pushed after it", three_turns(a().set_var("v", i32(1)),
             over_a_mark(a().push({str("r")}).push({str("v")}).op(GET_VARIABLE).push({i32(2)})
                             .op(LESS2).op(SET_VARIABLE).raw(assembler(read_r).take())),
             v_up),
         "true\nmark\nfalse\nmark\nfalse\nmark\n"},
        {"a read less a double pushed after it", three_turns(a().set_var("v", i32(1)),
             a().push({str("r")}).push({str("v")}).op(GET_VARIABLE).push({dbl(2.5)})
                 .op(SUBTRACT).op(SET_VARIABLE).raw(assembler(read_r).take()),
             v_up),
         "-1.5\n-0.5\n0.5\n"},
        {"a text read compared with a number pushed after it",
         three_turns(a().set_var("v", str("7")),
             a().push({str("r")}).push({str("v")}).op(GET_VARIABLE).push({i32(8)})
                 .op(LESS2).op(SET_VARIABLE).raw(assembler(read_r).take()),
             a()),
         "true\ntrue\ntrue\n"},
        {"names from the constant pool", three_turns(a().constant_pool({"r", "v"}).set_var("v", i32(1)),
             over_a_mark(a().push({dict(0), i32(10), dict(1)}).op(GET_VARIABLE).op(SUBTRACT)
                             .op(SET_VARIABLE).push({dict(0)}).op(GET_VARIABLE).op(TRACE)),
             a().push({dict(1), dict(1)}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)),
         "9\nmark\n8\nmark\n7\nmark\n"},
        {"a function's argument, shadowing a timeline variable, in its steps",
         // f(a) { return a - 2.5 < 0; } with a timeline variable a that the argument hides.
         three_turns(a().set_var("v", i32(1)).set_var("a", i32(100))
                         .define_function("f", {"a"},
                                          a().push({str("a")}).op(GET_VARIABLE).push({dbl(2.5)})
                                              .op(SUBTRACT).push({i32(0)}).op(LESS2).op(RETURN)),
                     a().push({str("v")}).op(GET_VARIABLE).push({i32(1), str("f")})
                         .op(CALL_FUNCTION).op(TRACE),
                     v_up),
         "true\ntrue\nfalse\n"},
        {"a read that is a text", three_turns(a().set_var("v", str("a")),
             a().raw(r_is(i32(1), ADD2).take()).raw(assembler(read_r).take()), a()),
         "1a\n1a\n1a\n"},
        {"a read added to a text", three_turns(a().set_var("v", i32(1)),
             a().raw(r_is(str("s"), ADD2).take()).raw(assembler(read_r).take()), v_up),
         "s1\ns2\ns3\n"},
        {"a result written to a path", three_turns(a().set_var("v", i32(1)),
             a().push({str("/:r"), i32(10), str("v")}).op(GET_VARIABLE).op(ADD2)
                 .op(SET_VARIABLE).raw(assembler(read_r).take()),
             v_up),
         "11\n12\n13\n"},
        {"a result written to a read-only variable",
         three_turns(a().set_var("v", i32(1)).set_var("r", i32(0))
                         .push({i32(4), str("r"), str("this")}).op(GET_VARIABLE).push({i32(3)})
                         .push({str("ASSetPropFlags")}).op(CALL_FUNCTION).op(POP),
                     a().raw(r_is(i32(10), ADD2).take()).raw(assembler(read_r).take()), v_up),
         "0\n0\n0\n"},
        {"a result written through a setter",
         // The setter traces the value written.
         three_turns(a().set_var("v", i32(1))
                         .raw(call_on_this("addProperty",
                                           a().raw(a().define_function("", {"x"},
                                                   a().push({str("x")}).op(GET_VARIABLE)
                                                       .op(TRACE)).take())
                                               .raw(function_returning(str("got")).take())
                                               .push({str("r")}),
                                           3).take()),
                     r_is(i32(10), ADD2),
                     v_up),
         "11\n12\n13\n"},
        {"a result written to a member", three_turns(a().set_var("v", i32(1))
                         .raw(object_with_x("o", i32(100)).take()),
             over_a_mark(a().push({str("o")}).op(GET_VARIABLE).push({str("x"), str("o")}).op(GET_VARIABLE)
                 .push({str("x")}).op(GET_MEMBER).push({str("v")}).op(GET_VARIABLE).op(SUBTRACT)
                 .op(SET_MEMBER).push({str("o")}).op(GET_VARIABLE).push({str("x")})
                 .op(GET_MEMBER).op(TRACE)),
             v_up),
         "99\nmark\n97\nmark\n94\nmark\n"},
        {"a comparison negated for a branch",
         three_turns(a().set_var("v", i32(1)), trace_when_v_below_2(), v_up), "below 2\n"},
    };
    for (const turns_case& c : cases) {
        interptest::machine m;
        EXPECT_EQ(m.run(c.code), c.trace) << c.what;
    }
}

// A variable updated from itself (u++, u = u * 3) may be updated where it is stored; every turn
// must answer what the read, the step and the write one by one would.
TEST(InterpreterVariables, AVariableUpdatedFromItselfChangesAsOneByOne) {
    const assembler trace_u = a().push({str("u")}).op(GET_VARIABLE).op(TRACE);
    // u <code>, then u traced; over a value left on the stack, traced after it: a write run
    // twice takes it.
    auto stepped = [&](int code) {
        return a().push({str("mark")}).push({str("u"), str("u")}).op(GET_VARIABLE).op(code)
            .op(SET_VARIABLE).raw(assembler(trace_u).take()).op(TRACE);
    };
    // u = u <code> n, then u traced, over a value left on the stack.
    auto operated = [&](item n, int code) {
        return a().push({str("mark")}).push({str("u"), str("u")}).op(GET_VARIABLE).push({n})
            .op(code).op(SET_VARIABLE).raw(assembler(trace_u).take()).op(TRACE);
    };
    // addProperty("u", function() { return 10; }, function(x) { trace(x); }).
    const assembler u_property = call_on_this(
        "addProperty",
        a().raw(a().define_function("", {"x"}, a().push({str("x")}).op(GET_VARIABLE).op(TRACE))
                    .take())
            .raw(function_returning(i32(10)).take())
            .push({str("u")}),
        3);
    const turns_case cases[] = {
        {"counted up", three_turns(a().set_var("u", i32(1)), stepped(INCREMENT), a()),
         "2\nmark\n3\nmark\n4\nmark\n"},
        {"counted down", three_turns(a().set_var("u", i32(1)), stepped(DECREMENT), a()),
         "0\nmark\n-1\nmark\n-2\nmark\n"},
        {"times an int32", three_turns(a().set_var("u", i32(1)), operated(i32(3), MULTIPLY), a()),
         "3\nmark\n9\nmark\n27\nmark\n"},
        {"less a double", three_turns(a().set_var("u", i32(1)), operated(dbl(0.5), SUBTRACT), a()),
         "0.5\nmark\n0\nmark\n-0.5\nmark\n"},
        {"divided", three_turns(a().set_var("u", i32(8)), operated(i32(2), DIVIDE), a()),
         "4\nmark\n2\nmark\n1\nmark\n"},
        {"plus one, as Add", three_turns(a().set_var("u", i32(1)), operated(i32(1), ADD), a()),
         "2\nmark\n3\nmark\n4\nmark\n"},
        {"a text counted up", three_turns(a().set_var("u", str("5")), stepped(INCREMENT), a()),
         "6\nmark\n7\nmark\n8\nmark\n"},
        {"a text added to", three_turns(a().set_var("u", str("5")), operated(i32(1), ADD2), a()),
         "51\nmark\n511\nmark\n5111\nmark\n"},
        {"read-only", three_turns(a().set_var("u", i32(1))
                                      .push({i32(4), str("u"), str("this")}).op(GET_VARIABLE)
                                      .push({i32(3)}).push({str("ASSetPropFlags")})
                                      .op(CALL_FUNCTION).op(POP),
                                  stepped(INCREMENT), a()),
         "1\nmark\n1\nmark\n1\nmark\n"},
        {"a getter and setter put in its place", three_turns(a().set_var("u", i32(1)),
             stepped(INCREMENT), on_turn(0, u_property)),
         "2\nmark\n11\n10\nmark\n11\n10\nmark\n"},
        // The watch gives the value written: always 7.
        {"watched from the first turn on", three_turns(a().set_var("u", i32(1)).push({str("w")})
                                               .raw(function_returning(i32(7)).take())
                                               .op(SET_VARIABLE),
             stepped(INCREMENT),
             on_turn(0, call_on_this("watch",
                                     a().push({str("w")}).op(GET_VARIABLE).push({str("u")}), 2))),
         "2\nmark\n7\nmark\n7\nmark\n"},
        {"deleted and defined again", three_turns(a().set_var("u", i32(1)), stepped(INCREMENT),
             on_turn(0, a().push({str("u")}).op(DELETE2).op(POP).set_var("u", i32(10)))),
         "2\nmark\n11\nmark\n12\nmark\n"},
        {"a local of that name, the timeline's left alone",
         three_turns(a().set_var("u", i32(1))
                         .define_function("g", {}, a().push({str("u"), i32(5)}).op(DEFINE_LOCAL)
                                                       .raw(stepped(INCREMENT).take())),
                     a().push({i32(0), str("g")}).op(CALL_FUNCTION).op(POP)
                         .raw(assembler(trace_u).take()),
                     a()),
         "6\nmark\n1\n6\nmark\n1\n6\nmark\n1\n"},
        {"one name read, another written", three_turns(a().set_var("u", i32(1)).set_var("t", i32(0)),
             a().push({str("t"), str("u")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)
                 .push({str("t")}).op(GET_VARIABLE).op(TRACE).raw(assembler(trace_u).take()),
             a()),
         "2\n1\n2\n1\n2\n1\n"},
    };
    for (const turns_case& c : cases) {
        interptest::machine m;
        EXPECT_EQ(m.run(c.code), c.trace) << c.what;
    }
}

TEST(InterpreterVariables, AVariableUpdatedFromItselfKeepsItsFlags) {
    interptest::machine m;
    const int dont_enum_or_delete = flash::AS_DONT_ENUM | flash::AS_DONT_DELETE;
    m.run(three_turns(a().set_var("u", i32(1))
                          .push({i32(dont_enum_or_delete), str("u"), str("this")})
                          .op(GET_VARIABLE).push({i32(3)}).push({str("ASSetPropFlags")})
                          .op(CALL_FUNCTION).op(POP),
                      a().push({str("u"), str("u")}).op(GET_VARIABLE).op(INCREMENT)
                          .op(SET_VARIABLE),
                      a()));
    flash::as_value u;
    ASSERT_TRUE(m.root->get_members().get("u", &u));
    EXPECT_EQ(u.to_number(), 4.0);
    EXPECT_EQ(u.get_flags(), dont_enum_or_delete);
}

TEST(InterpreterVariables, ABuiltinMethodAddedSinceTheLastRunIsFoundFirst) {
    interptest::machine m;
    const bytes code = a().push({str("v")}).op(GET_VARIABLE).op(TRACE).take();
    m.run(a().set_var("v", str("member")));
    m.buffer = flash::action_buffer();
    m.buffer.read(code.data(), static_cast<int>(code.size()));
    interptest::machine::messages().clear();
    m.buffer.execute(&m.env);
    flash::engine_instance::set_builtin(flash::BUILTIN_OBJECT_METHOD, "v", flash::as_value("builtin"));
    m.buffer.execute(&m.env);
    EXPECT_EQ(interptest::machine::messages(), "member\nbuiltin\n");
}

}  // namespace

namespace {

// A change of state that a remembered read, write or call must see, made either after the first
// turn (the second run then remembers anew) or after the second one, just before the third run:
// the first run prepares the action's records, the second remembers where the name lies, and
// from the third on the remembered place answers. Each case gives its trace for both.
struct change_case {
    const char* what;
    assembler setup;
    assembler body;
    assembler change;
    const char* changed_after_first_turn;
    const char* changed_after_second_turn;
};

void expect_each_change_seen(const change_case* cases, int count) {
    for (int i = 0; i < count; ++i) {
        const change_case& c = cases[i];
        const char* traces[] = {c.changed_after_first_turn, c.changed_after_second_turn};
        for (int turn = 0; turn < 2; ++turn) {
            interptest::machine m;
            EXPECT_EQ(m.run(three_turns(c.setup, c.body, on_turn(turn, c.change))), traces[turn])
                << c.what << ", changed after turn " << turn + 1;
        }
    }
}

}  // namespace

TEST(InterpreterVariables, RememberedPlacesSeeAChangeMadeJustBeforeTheyAnswer) {
    const assembler read_v = a().push({str("v")}).op(GET_VARIABLE).op(TRACE);
    const assembler read_x = a().push({str("o")}).op(GET_VARIABLE).push({str("x")}).op(GET_MEMBER)
                                 .op(TRACE);
    const assembler call_f = a().push({i32(0), str("f")}).op(CALL_FUNCTION).op(TRACE);
    // v = v + 1 and u++, the variable updated where it is stored, traced after.
    const assembler v_plus_one = a().push({str("v"), str("v")}).op(GET_VARIABLE).push({i32(1)})
                                     .op(ADD2).op(SET_VARIABLE).raw(assembler(read_v).take());
    const assembler v_up = a().push({str("v"), str("v")}).op(GET_VARIABLE).op(INCREMENT)
                               .op(SET_VARIABLE).raw(assembler(read_v).take());
    // trace(v - 1 < 2): the read joined with the step and the comparison after it.
    const assembler v_tested = a().push({str("v")}).op(GET_VARIABLE).push({i32(1)}).op(SUBTRACT)
                                   .push({i32(2)}).op(LESS2).op(TRACE);
    // trace(this[name]) for name = "n" + turn: one GetVariable of a name computed each turn.
    const assembler computed_read = a().push({str("n"), str(turn)}).op(GET_VARIABLE).op(ADD2)
                                        .op(GET_VARIABLE).op(TRACE);
    const change_case cases[] = {
        {"a variable deleted", a().set_var("v", i32(1)), read_v,
         a().push({str("v")}).op(DELETE2).op(POP), "1\nundefined\nundefined\n",
         "1\n1\nundefined\n"},
        {"a getter put in a variable's place", a().set_var("v", i32(1)).set_var("tag", str("tag")),
         read_v,
         call_on_this("addProperty", a().push({null()}).raw(tag_getter().take()).push({str("v")}),
                      3),
         "1\ntag\ntag\n", "1\n1\ntag\n"},
        {"a watch set on a variable written", a().set_var("v", i32(0)).push({str("w")})
                                                   .raw(function_returning(str("watched")).take())
                                                   .op(SET_VARIABLE),
         a().push({str("v"), str(turn)}).op(GET_VARIABLE).op(SET_VARIABLE)
             .raw(assembler(read_v).take()),
         call_on_this("watch", a().push({str("w")}).op(GET_VARIABLE).push({str("v")}), 2),
         "0\nwatched\nwatched\n", "0\n1\nwatched\n"},
        {"another target", a().set_var("v", str("root")).set_var("clip.v", str("clip")), read_v,
         a().push({str("clip")}).op(SET_TARGET2), "root\nclip\nclip\n", "root\nroot\nclip\n"},
        {"a name computed each turn",
         a().set_var("n0", str("zero")).set_var("n1", str("one")).set_var("n2", str("two")),
         computed_read, a(), "zero\none\ntwo\n", "zero\none\ntwo\n"},
        {"a member deleted", object_with_x("o", i32(1)), read_x,
         a().push({str("o")}).op(GET_VARIABLE).push({str("x")}).op(DELETE).op(POP),
         "1\nundefined\nundefined\n", "1\n1\nundefined\n"},
        {"a getter put in a member's place",
         a().raw(object_with_x("o", i32(1)).take()).push({str("o")}).op(GET_VARIABLE)
             .push({str("tag"), str("o's tag")}).op(SET_MEMBER),
         read_x,
         call_on("o", "addProperty", a().push({null()}).raw(tag_getter().take()).push({str("x")}),
                 3),
         "1\no's tag\no's tag\n", "1\n1\no's tag\n"},
        {"a watch set on a member written",
         a().raw(object_with_x("o", i32(0)).take()).push({str("w")})
             .raw(function_returning(str("watched")).take()).op(SET_VARIABLE),
         a().push({str("o")}).op(GET_VARIABLE).push({str("x"), str(turn)}).op(GET_VARIABLE)
             .op(SET_MEMBER).raw(assembler(read_x).take()),
         call_on("o", "watch", a().push({str("w")}).op(GET_VARIABLE).push({str("x")}), 2),
         "0\nwatched\nwatched\n", "0\n1\nwatched\n"},
        {"another object in the member's variable",
         a().raw(object_with_x("o", str("first")).take()).raw(object_with_x("p", str("second")).take()),
         read_x, a().push({str("o"), str("p")}).op(GET_VARIABLE).op(SET_VARIABLE),
         "first\nsecond\nsecond\n", "first\nfirst\nsecond\n"},
        {"a function replaced", a().push({str("f")}).raw(function_returning(str("one")).take())
                                    .op(SET_VARIABLE),
         call_f, a().push({str("f")}).raw(function_returning(str("two")).take()).op(SET_VARIABLE),
         "one\ntwo\ntwo\n", "one\none\ntwo\n"},
        {"a constructor given to the function called",
         // Called by name, a function with an own __constructor__ calls that instead.
         a().push({str("f")}).raw(function_returning(str("one")).take()).op(SET_VARIABLE),
         call_f,
         a().push({str("f")}).op(GET_VARIABLE).push({str("__constructor__")})
             .raw(function_returning(str("constructor")).take()).op(SET_MEMBER),
         "one\nconstructor\nconstructor\n", "one\none\nconstructor\n"},
        {"a function deleted", a().push({str("f")}).raw(function_returning(str("one")).take())
                                   .op(SET_VARIABLE),
         call_f, a().push({str("f")}).op(DELETE2).op(POP), "one\nundefined\nundefined\n",
         "one\none\nundefined\n"},
        {"a variable updated from itself becoming a text", a().set_var("v", i32(1)), v_plus_one,
         a().set_var("v", str("5")), "2\n51\n511\n", "2\n3\n51\n"},
        {"a variable counted up becoming a text", a().set_var("v", i32(1)), v_up,
         a().set_var("v", str("5")), "2\n6\n7\n", "2\n3\n6\n"},
        {"a variable updated from itself given a setter", a().set_var("v", i32(1)), v_plus_one,
         call_on_this("addProperty",
                      a().raw(a().define_function("", {"x"}, a().push({str("x")}).op(GET_VARIABLE)
                                                                 .push({str("set ")}).op(STACK_SWAP)
                                                                 .op(ADD2).op(TRACE))
                                  .take())
                          .raw(function_returning(i32(10)).take())
                          .push({str("v")}),
                      3),
         "2\nset 11\n10\nset 11\n10\n", "2\n3\nset 11\n10\n"},
        {"a read joined with its step becoming a text", a().set_var("v", i32(1)), v_tested,
         a().set_var("v", str("9")), "true\nfalse\nfalse\n", "true\ntrue\nfalse\n"},
    };
    expect_each_change_seen(cases, static_cast<int>(sizeof cases / sizeof cases[0]));
}

TEST(InterpreterVariables, ARememberedMemberIsNotTakenFromAnotherObjectWithTheSameLayout) {
    // A name that lies where "x" lies in a table of one member: the other object's table then
    // has the layout of the first, and the remembered index holds its member.
    flash::stringi_hash<flash::as_value> with_x;
    with_x.set("x", flash::as_value(1));
    std::string other;
    for (int i = 0; other.empty() && i < 10000; ++i) {
        flash::stringi_hash<flash::as_value> with_name;
        const std::string name = "m" + std::to_string(i);
        with_name.set(name.c_str(), flash::as_value(1));
        if (with_name.find_index(name.c_str()) == with_x.find_index("x") &&
            with_name.layout_version() == with_x.layout_version()) {
            other = name;
        }
    }
    ASSERT_FALSE(other.empty());
    const assembler read_x = a().push({str("o")}).op(GET_VARIABLE).push({str("x")}).op(GET_MEMBER)
                                 .op(TRACE);
    const change_case cases[] = {
        {"another object in the member's variable, without x",
         a().raw(object_with_x("o", str("first")).take())
             .push({str("p"), str(other), str("other"), i32(1)}).op(INIT_OBJECT).op(SET_VARIABLE),
         read_x, a().push({str("o"), str("p")}).op(GET_VARIABLE).op(SET_VARIABLE),
         "first\nundefined\nundefined\n", "first\nfirst\nundefined\n"},
    };
    expect_each_change_seen(cases, 1);
}
