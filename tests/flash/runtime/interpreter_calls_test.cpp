// Calls from the host and between functions, frame action tags, the action buffer reader, the
// extension modules and the global functions that need no movie.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "flash/base/bx_file.h"
#include "flash/base/bx_loadlib.h"
#include "flash/runtime/action_tags.h"
#include "flash/runtime/as_s_function.h"
#include "flash/runtime/extension_loader.h"
#include "flash/runtime/method_call.h"
#include "interp_test_support.h"
#include "tests/support/temp_dir.h"

using namespace testasm;

namespace {

assembler a() { return assembler(); }

// body run twice by one loop: the second time each action reads its names through the member
// cache it filled the first time.
assembler twice(assembler body) {
    assembler loop;
    const int top = loop.new_label();
    loop.set_var("i", i32(0))
        .label(top)
        .raw(body.take())
        .push({str("i"), str("i")})
        .op(GET_VARIABLE)
        .op(INCREMENT)
        .op(SET_VARIABLE)
        .push({str("i")})
        .op(GET_VARIABLE)
        .push({i32(2)})
        .op(LESS2)
        .if_true(top);
    return loop;
}

// function show(a, b) { trace(a); trace(b); return a + "|" + b }
assembler show_function() {
    return a().define_function("show", {"a", "b"},
                               a().trace_var("a")
                                   .trace_var("b")
                                   .push_str("a")
                                   .op(GET_VARIABLE)
                                   .push_str("|")
                                   .op(ADD2)
                                   .push_str("b")
                                   .op(GET_VARIABLE)
                                   .op(ADD2)
                                   .op(RETURN));
}

TEST(InterpreterCalls, CallMethodParsedAndByName) {
    interptest::machine m;
    m.run(show_function());
    const int before = m.env.get_stack_size();
    interptest::machine::messages().clear();
    const char* result = flash::call_method_parsed(&m.env, m.root, "show", "%d, %s", 3, "text");
    EXPECT_STREQ(result, "3|text");
    EXPECT_EQ(interptest::machine::messages(), "3\ntext\n");
    EXPECT_EQ(m.env.get_stack_size(), before);
    // An invalid format letter is logged and the remaining arguments still go.
    result = flash::call_method_parsed(&m.env, m.root, "show", "%q %ls", L"wide");
    EXPECT_STREQ(result, "wide|undefined");
    EXPECT_TRUE(m.error_has("invalid fmt '%q'"));
    // The returned text is overwritten by the next call.
    const char* first = flash::call_method_parsed(&m.env, m.root, "show", "%d %d", 1, 2);
    flash::call_method_parsed(&m.env, m.root, "show", "%d %d", 5, 6);
    EXPECT_STREQ(first, "5|6");
    const flash::as_value args[2] = {flash::as_value("x"), flash::as_value(2)};
    EXPECT_EQ(std::string(flash::call_method(&m.env, m.root, "show", args, 2).c_str()), "x|2");
    EXPECT_EQ(std::string(flash::call_method(&m.env, m.root, "missing", args, 2).c_str()), "undefined");
    EXPECT_EQ(m.env.get_stack_size(), before);
}

// Drops the only references to itself and to its this object, then still uses both.
flash::as_value* g_only_holder = nullptr;
void native_drops_its_holders(const flash::fn_call& fn) {
    g_only_holder->set_undefined();
    flash::as_value tag;
    fn.this_object->get_member("tag", &tag);
    fn.result->set_string(tag.to_string());
}

TEST(InterpreterCalls, CallMethodKeepsTheFunctionAndThisForTheWholeCall) {
    interptest::machine m;
    flash::weak_ptr<flash::as_object> object_watch, function_watch;
    flash::as_value holder(new flash::as_object(m.get_engine()));
    flash::as_object* object = holder.to_object();
    object->set_member("tag", flash::as_value("kept"));
    object->set_member("f", flash::as_value(native_drops_its_holders));
    object_watch = object;
    g_only_holder = &holder;
    {
        // Method and this are read where only the holder keeps them.
        const auto& members = object->get_members();
        const flash::as_value& method = members.entry_at(members.find_index("f")).value();
        function_watch = method.to_object();
        const flash::as_value result = flash::call_method(method, &m.env, holder, 0, -1);
        EXPECT_STREQ(result.to_string(), "kept");
    }
    g_only_holder = nullptr;
    EXPECT_EQ(object_watch.get_ptr(), nullptr);
    EXPECT_EQ(function_watch.get_ptr(), nullptr);
}

TEST(InterpreterCalls, FunctionCallPassesOnlyTheFirstArgumentAfterThis) {
    interptest::machine m;
    // o = {tag: "O"}; show.call(o, "a", "b"); and this inside: trace(this.tag)
    EXPECT_EQ(m.run(a().raw(show_function().take())
                        .define_function("who", {}, a().push_str("this").op(GET_VARIABLE).push_str("tag").op(GET_MEMBER).op(TRACE))
                        .push({str("o"), str("tag"), str("O"), i32(1)})
                        .op(INIT_OBJECT)
                        .op(SET_VARIABLE)
                        .push({str("b"), str("a"), str("o")})
                        .op(GET_VARIABLE)
                        .push({i32(3), str("show")})
                        .op(GET_VARIABLE)
                        .push_str("call")
                        .op(CALL_METHOD)
                        .op(TRACE)
                        .push({str("o")})
                        .op(GET_VARIABLE)
                        .push({i32(1), str("who")})
                        .op(GET_VARIABLE)
                        .push_str("call")
                        .op(CALL_METHOD)
                        .op(POP)),
              "a\nundefined\na|undefined\nO\n");
    // A native wrapper without a routine gives undefined.
    flash::as_value empty(new flash::as_c_function(m.get_engine(), nullptr));
    EXPECT_TRUE(flash::call_method(empty, &m.env, flash::as_value(), 0, -1).is_undefined());
    EXPECT_STREQ(empty.type_of(), "function");
}

// The names of the running function's locals, from the newest down to its frame's barrier.
void native_frame_names(const flash::fn_call& fn) {
    std::string names;
    for (int i = fn.env->get_local_frame_top() - 1; i >= 0; --i) {
        const flash::bx_string& name = fn.env->get_local(i).name;
        if (name.size() == 0) break;
        if (!names.empty()) names += ",";
        names += name.c_str();
    }
    fn.result->set_string(names.c_str());
}

TEST(InterpreterCalls, ArgumentsNamedLikeTheCallsOwnLocalsShareTheirSlot) {
    // Each body traces its frame's local names and then one value.
    auto body = [](assembler last) {
        return a().push({i32(0), str("frame")}).op(CALL_FUNCTION).op(TRACE).raw(last.take());
    };
    const assembler this_tag = a().push_str("this").op(GET_VARIABLE).push_str("tag").op(GET_MEMBER).op(TRACE);
    // f(5) as a plain call, and o.f(5) on o = {tag: "O"}.
    const assembler call = a().push({i32(5), i32(1), str("f")}).op(CALL_FUNCTION).op(POP);
    const assembler method_call = a().push({str("o"), str("tag"), str("O"), i32(1)})
                                      .op(INIT_OBJECT)
                                      .op(SET_VARIABLE)
                                      .push({str("o")})
                                      .op(GET_VARIABLE)
                                      .push({str("f"), str("f")})
                                      .op(GET_VARIABLE)
                                      .op(SET_MEMBER)
                                      .push({i32(5), i32(1), str("o")})
                                      .op(GET_VARIABLE)
                                      .push_str("f")
                                      .op(CALL_METHOD)
                                      .op(POP);
    struct row {
        const char* name;
        assembler code;
        const char* trace;
    };
    const row rows[] = {
        {"plain argument", a().define_function("f", {"a"}, body(a().trace_var("a"))).raw(assembler(call).take()),
         "this,a\n5\n"},
        // The this object replaces the argument in its slot.
        {"argument named this", a().define_function("f", {"this"}, body(assembler(this_tag))).raw(assembler(method_call).take()),
         "super,this\nO\n"},
        {"argument named this, not passed", a().define_function("f", {"this"}, body(a().trace_var("this")))
                                                .push({i32(0), str("f")}).op(CALL_FUNCTION).op(POP),
         "this\n[object Object]\n"},
        // Local names keep their case: This is an argument beside this.
        {"argument named This", a().define_function("f", {"This"}, body(a().trace_var("This"))).raw(assembler(call).take()),
         "this,This\n5\n"},
        {"argument named super", a().define_function("f", {"super"}, body(a().trace_var("super"))).raw(assembler(call).take()),
         "this,super\n5\n"},
        // DefineFunction2: a local argument shares the slot, a register argument is no local.
        {"function2 local argument named arguments",
         a().define_function2("f", 1, 0, {{0, "arguments"}},
                              body(a().push_str("arguments").op(GET_VARIABLE).op(TYPE_OF).op(TRACE)))
             .raw(assembler(call).take()),
         "super,this,arguments\nobject\n"},
        {"function2 register argument named this",
         a().define_function2("f", 2, 0, {{1, "this"}}, body(a().push({reg(1)}).op(TRACE))).raw(assembler(call).take()),
         "super,arguments,this\n5\n"},
        {"function2 local argument named this",
         a().define_function2("f", 1, 0x0008 | 0x0020, {{0, "this"}}, body(a().trace_var("this"))).raw(assembler(call).take()),
         "this\n[object Object]\n"},
    };
    for (const row& r : rows) {
        interptest::machine m;
        m.root->set_member("frame", flash::as_value(native_frame_names));
        EXPECT_EQ(m.run(assembler(r.code)), r.trace) << r.name;
    }
}

TEST(InterpreterCalls, AFunctionThatDropsItsLastReferenceRunsToItsEnd) {
    // The body clears the one member that holds its function, then reads its argument and
    // returns: trace(a); return a + 1.
    auto body = [](assembler drop) {
        return drop.trace_var("a").push({str("a")}).op(GET_VARIABLE).push({i32(1)}).op(ADD2).op(RETURN);
    };
    // function f(a) { f = undefined; ... }; trace(f(5)); trace(typeof f)
    const assembler by_name = a().define_function("f", {"a"}, body(a().push({str("f"), undef()}).op(SET_VARIABLE)))
                                  .push({i32(5), i32(1), str("f")})
                                  .op(CALL_FUNCTION)
                                  .op(TRACE)
                                  .push({str("f")})
                                  .op(GET_VARIABLE)
                                  .op(TYPE_OF)
                                  .op(TRACE);
    // o.m = function (a) { this.m = undefined; ... }; trace(o.m(5)); trace(typeof o.m)
    const assembler drop_member =
        a().push_str("this").op(GET_VARIABLE).push({str("m"), undef()}).op(SET_MEMBER);
    const assembler as_method = a().push({str("o"), i32(0), str("Object")})
                                    .op(NEW_OBJECT)
                                    .op(SET_VARIABLE)
                                    .push({str("o")})
                                    .op(GET_VARIABLE)
                                    .push_str("m")
                                    .define_function("", {"a"}, body(assembler(drop_member)))
                                    .op(SET_MEMBER)
                                    .push({i32(5), i32(1), str("o")})
                                    .op(GET_VARIABLE)
                                    .push_str("m")
                                    .op(CALL_METHOD)
                                    .op(TRACE)
                                    .push({str("o")})
                                    .op(GET_VARIABLE)
                                    .push_str("m")
                                    .op(GET_MEMBER)
                                    .op(TYPE_OF)
                                    .op(TRACE);
    for (const assembler* code : {&by_name, &as_method}) {
        interptest::machine m;
        EXPECT_EQ(m.run(assembler(*code)), "5\n6\nundefined\n");
    }
}

TEST(InterpreterCalls, AFunctionReadThroughTheCacheThatDropsItsLastReferenceRunsToItsEnd) {
    // The same CallFunction runs twice: the second time its name is read through the member
    // cache, in place. Each turn: f = function (a) { f = undefined; trace(a); return a + 1 };
    // trace(f(5)).
    const assembler body = a().push_str("f")
                               .define_function("", {"a"},
                                                a().push({str("f"), undef()})
                                                    .op(SET_VARIABLE)
                                                    .trace_var("a")
                                                    .push({str("a")})
                                                    .op(GET_VARIABLE)
                                                    .push({i32(1)})
                                                    .op(ADD2)
                                                    .op(RETURN))
                               .op(SET_VARIABLE)
                               .push({i32(5), i32(1), str("f")})
                               .op(CALL_FUNCTION)
                               .op(TRACE);
    interptest::machine m;
    EXPECT_EQ(m.run(twice(body)), "5\n6\n5\n6\n");
}

TEST(InterpreterCalls, CallFunctionCallsAnOwnConstructorOfItsValueAndRefusesNonFunctions) {
    // function ctor() { return "ctor" }; function f() { return "f" }; o = {}
    const assembler setup = a().define_function("ctor", {}, a().push_str("ctor").op(RETURN))
                                .define_function("f", {}, a().push_str("f").op(RETURN))
                                .push({str("o"), i32(0)})
                                .op(INIT_OBJECT)
                                .op(SET_VARIABLE);
    // name.__constructor__ = ctor
    auto give_ctor = [](const char* name) {
        return a().push_str(name).op(GET_VARIABLE).push_str("__constructor__").push_str("ctor")
            .op(GET_VARIABLE).op(SET_MEMBER);
    };
    auto call_traced = [](const char* name) {
        return a().push({i32(0), str(name)}).op(CALL_FUNCTION).op(TRACE);
    };
    struct row {
        const char* name;
        assembler program;
        const char* trace;
        const char* error;  // null: none logged
    };
    const row rows[] = {
        {"function", call_traced("f"), "f\n", nullptr},
        {"function with its own constructor", give_ctor("f").raw(call_traced("f").take()), "ctor\n", nullptr},
        {"object with its own constructor", give_ctor("o").raw(call_traced("o").take()), "ctor\n", nullptr},
        {"object without one", call_traced("o"), "undefined\n",
         "error in call_function: 'o' is not a function"},
        {"number", a().set_var("n", i32(5)).raw(call_traced("n").take()), "undefined\n",
         "error in call_function: 'n' is not a function"},
        // A value that is no name is called as it is, without a look for its constructor.
        {"function value",
         give_ctor("f").push_num(0).push_str("f").op(GET_VARIABLE).op(CALL_FUNCTION).op(TRACE), "f\n",
         nullptr},
        {"number value", a().push({i32(0), i32(7)}).op(CALL_FUNCTION).op(TRACE), "undefined\n", nullptr},
    };
    for (const row& r : rows) {
        interptest::machine m;
        interptest::machine::errors().clear();
        const std::string once = r.trace;
        EXPECT_EQ(m.run(assembler(setup).raw(twice(assembler(r.program)).take())), once + once) << r.name;
        if (r.error) {
            EXPECT_TRUE(m.error_has(r.error)) << r.name;
        } else {
            EXPECT_FALSE(m.error_has("error in call_function")) << r.name;
        }
        EXPECT_EQ(m.env.get_stack_size(), 0) << r.name;
    }
}

// The same CallFunction run again and again calls what the name gives each time, though its
// function has been called through it before.
TEST(InterpreterCalls, AnOwnConstructorGivenToAFunctionCalledAgainAndAgainIsCalledFromThenOn) {
    // for (i = 0; i < 5; i++) { trace(f()); if (i == 2) f.__constructor__ = ctor; }
    assembler code = a().define_function("ctor", {}, a().push_str("ctor").op(RETURN))
                         .define_function("f", {}, a().push_str("f").op(RETURN))
                         .set_var("i", i32(0));
    const int top = code.new_label();
    const int out = code.new_label();
    const int next = code.new_label();
    code.label(top).push({str("i")}).op(GET_VARIABLE).push({i32(5)}).op(LESS2).op(NOT)
        .if_true(out)
        .push({i32(0), str("f")}).op(CALL_FUNCTION).op(TRACE)
        .push({str("i")}).op(GET_VARIABLE).push({i32(2)}).op(EQUALS2).op(NOT).if_true(next)
        .push_str("f").op(GET_VARIABLE).push_str("__constructor__").push_str("ctor")
        .op(GET_VARIABLE).op(SET_MEMBER)
        .label(next).push({str("i"), str("i")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)
        .jump(top).label(out);
    interptest::machine m;
    EXPECT_EQ(m.run(code), "f\nf\nf\nctor\nctor\n");
}

TEST(InterpreterCalls, ArgumentCountsPastTheStackAreCutToTheValuesThere) {
    // function2 f() { return arguments.length }; o = {m: f}; each call has "x" below it.
    const assembler setup =
        a().define_function2(
               "f", 1, 0, {},
               a().push_str("arguments").op(GET_VARIABLE).push_str("length").op(GET_MEMBER).op(RETURN))
            .push({str("o"), str("m"), str("f")})
            .op(GET_VARIABLE)
            .push({i32(1)})
            .op(INIT_OBJECT)
            .op(SET_VARIABLE);
    auto call = [](int count) { return a().push({str("x"), i32(count), str("f")}).op(CALL_FUNCTION); };
    auto call_method = [](int count) {
        return a().push({str("x"), i32(count), str("o")}).op(GET_VARIABLE).push_str("m").op(CALL_METHOD);
    };
    struct row {
        const char* name;
        assembler call;
        const char* trace;  // the count seen, then what is left below the result
    };
    const row rows[] = {
        {"function, count past the stack", call(5), "1\nundefined\n"},
        {"function, count that fits", call(1), "1\nundefined\n"},
        {"function, negative count", call(-3), "0\nx\n"},
        {"method, count past the stack", call_method(5), "1\nundefined\n"},
        {"method, negative count", call_method(-3), "0\nx\n"},
    };
    for (const row& r : rows) {
        interptest::machine m;
        EXPECT_EQ(m.run(assembler(setup).raw(assembler(r.call).take()).op(TRACE).op(TRACE)), r.trace)
            << r.name;
    }
}

// A displayed clip counting levels, with an environment of its own.
class clip_with_environment : public flash::character {
public:
    explicit clip_with_environment(flash::engine_instance* owner) : flash::character(owner), env(owner) {}
    int get_level_count() const override { return 1; }
    flash::as_environment* get_environment() override { return &env; }
    flash::as_environment env;
};

TEST(InterpreterCalls, AFunctionOfAClipRunsInTheClipsEnvironmentOnTheCallersArguments) {
    interptest::machine m;
    flash::smart_ptr<clip_with_environment> clip(new clip_with_environment(m.get_engine()));
    clip->env.set_owner(clip.get_ptr());
    // Defined by the clip's actions: function f(a) { trace(a); x = a; trace(this == _root) }
    flash::action_buffer definition;
    const bytes code = a().define_function("f", {"a"},
                                           a().trace_var("a")
                                               .push({str("x"), str("a")})
                                               .op(GET_VARIABLE)
                                               .op(SET_VARIABLE)
                                               .push({str("this")})
                                               .op(GET_VARIABLE)
                                               .push({str("_root")})
                                               .op(GET_VARIABLE)
                                               .op(EQUALS2)
                                               .op(TRACE))
                            .take();
    definition.read(code.data(), static_cast<int>(code.size()));
    definition.execute(&clip->env);
    flash::as_value f;
    ASSERT_TRUE(clip->get_member("f", &f));
    m.env.set_variable("g", f);
    // Called by the root's actions, with the argument on their own stack: its variable lands on
    // the clip and its this is the clip.
    EXPECT_EQ(m.run(a().push({i32(5), i32(1), str("g")}).op(CALL_FUNCTION).op(POP)), "5\nfalse\n");
    flash::as_value x;
    ASSERT_TRUE(clip->get_member("x", &x));
    EXPECT_EQ(x.to_number(), 5);
    // The same called by the host without a this object.
    m.messages().clear();
    m.env.push(flash::as_value(6));
    flash::call_method(f, &m.env, flash::as_value(), 1, m.env.get_top_index());
    m.env.drop(1);
    EXPECT_EQ(m.messages(), "6\nfalse\n");
    ASSERT_TRUE(clip->get_member("x", &x));
    EXPECT_EQ(x.to_number(), 6);
    EXPECT_FALSE(m.root->get_member("x", nullptr));
    EXPECT_EQ(clip->env.get_local_frame_top(), 0);
    EXPECT_EQ(m.env.get_local_frame_top(), 0);
    clip->env.set_target(nullptr);
}

TEST(InterpreterCalls, LocalsOfEachCallSurviveItsCalleesAndShadowTimelineVariables) {
    // function f(n) { if (n < 1) return 0; return f(n - 1) + n } reads its n after the inner call.
    assembler sum_body;
    const int base = sum_body.new_label();
    sum_body.push({str("n")})
        .op(GET_VARIABLE)
        .push({i32(1)})
        .op(LESS2)
        .if_true(base)
        .push({str("n")})
        .op(GET_VARIABLE)
        .push({i32(1)})
        .op(SUBTRACT)
        .push({i32(1), str("f")})
        .op(CALL_FUNCTION)
        .push({str("n")})
        .op(GET_VARIABLE)
        .op(ADD2)
        .op(RETURN)
        .label(base)
        .push({i32(0)})
        .op(RETURN);
    const assembler sum = a().define_function("f", {"n"}, sum_body).push({i32(4), i32(1), str("f")}).op(CALL_FUNCTION).op(TRACE);
    // n = "timeline"; function g(n) { trace(n) }; g(5); trace(n)
    const assembler shadow = a().set_var("n", str("timeline"))
                                 .define_function("g", {"n"}, a().trace_var("n"))
                                 .push({i32(5), i32(1), str("g")})
                                 .op(CALL_FUNCTION)
                                 .op(POP)
                                 .trace_var("n");
    interptest::machine m;
    EXPECT_EQ(m.run(assembler(sum)), "10\n");
    EXPECT_EQ(m.env.get_local_frame_top(), 0);
    EXPECT_EQ(m.run(assembler(shadow)), "5\ntimeline\n");
    EXPECT_EQ(m.env.get_local_frame_top(), 0);
}

TEST(InterpreterCalls, NamesReadInsideAFunctionGoToWithBlocksThenLocalsThenTheTimeline) {
    // o = {a: "member"}; A = "timeline A"; b = "timeline b"; then each program calls f(5).
    const assembler setup = a().push({str("o"), str("a"), str("member"), i32(1)})
                                .op(INIT_OBJECT)
                                .op(SET_VARIABLE)
                                .set_var("A", str("timeline A"))
                                .set_var("b", str("timeline b"));
    const assembler call_f = a().push({i32(5), i32(1), str("f")}).op(CALL_FUNCTION).op(POP);
    auto with_o = [](assembler body) { return a().push_str("o").op(GET_VARIABLE).with(body); };
    struct row {
        const char* name;
        assembler program;
        const char* trace;
    };
    const row rows[] = {
        {"argument", a().define_function("f", {"a"}, a().trace_var("a")), "5\n"},
        // A with block comes before the locals, inside the body and from the definition.
        {"with block in the body", a().define_function("f", {"a"}, with_o(a().trace_var("a")).trace_var("a")),
         "member\n5\n"},
        {"with block of the definition", with_o(a().define_function("f", {"a"}, a().trace_var("a"))),
         "member\n"},
        // Locals match by exact bytes: A is the timeline's, b is no local at all.
        {"other case and other names", a().define_function("f", {"a"}, a().trace_var("A").trace_var("b")),
         "timeline A\ntimeline b\n"},
        // A path is resolved as a path, even where a local has its whole text as name.
        {"path beside a local of that name",
         a().define_function("f", {"a"},
                             a().push({str("o.a"), str("local")}).op(DEFINE_LOCAL).trace_var("o.a")),
         "member\n"},
        // The caller's locals stay visible to its callees (dynamic scoping).
        {"local of the caller",
         a().define_function("g", {}, a().trace_var("a"))
             .define_function("f", {"a"}, a().push({i32(0), str("g")}).op(CALL_FUNCTION).op(POP)),
         "5\n"},
    };
    for (const row& r : rows) {
        interptest::machine m;
        EXPECT_EQ(m.run(assembler(setup).raw(assembler(r.program).take()).raw(assembler(call_f).take())),
                  r.trace)
            << r.name;
        EXPECT_EQ(m.env.get_local_frame_top(), 0) << r.name;
    }
}

// A movie definition and stream for the action tag loaders.
struct loading_definition {
    std::vector<flash::execute_tag*> frame_tags;
    std::vector<std::pair<int, flash::execute_tag*>> init_actions;
    int get_loading_frame() const { return 0; }
    void add_execute_tag(flash::execute_tag* tag) { frame_tags.push_back(tag); }
    void add_init_action(int id, flash::execute_tag* tag) { init_actions.emplace_back(id, tag); }
    ~loading_definition() {
        for (auto* t : frame_tags) delete t;
        for (auto& t : init_actions) delete t.second;
    }
};

class queueing_sprite : public flash::character {
public:
    using flash::character::character;
    void add_action_buffer(flash::action_buffer* buffer) override { queue.push_back(buffer); }
    std::vector<flash::action_buffer*> queue;
};

TEST(InterpreterCalls, ActionTagsReadToTheirEndAndQueueOnTheSprite) {
    interptest::machine m;
    const bytes code = a().trace_str("frame").end().take();
    bytes tag = code;
    tag.push_back(0x99);  // after the End code: never read
    loading_definition def;
    flash::bx_file file(flash::memory_buffer, static_cast<int>(tag.size()), tag.data());
    flash::swf_stream in(&file);
    in.set_stream_end(static_cast<int>(tag.size()));
    flash::do_action_loader(&in, 12, &def);
    EXPECT_EQ(in.get_position(), static_cast<int>(code.size()));
    // DoInitAction: the sprite id, then actions without an End code, read to the tag's end.
    bytes init = {0x2A, 0x00};
    const bytes body = a().trace_str("init").take();
    init.insert(init.end(), body.begin(), body.end());
    init.push_back(0x96);  // a record cut by the tag's end is dropped
    flash::bx_file file2(flash::memory_buffer, static_cast<int>(init.size()), init.data());
    flash::swf_stream in2(&file2);
    in2.set_stream_end(static_cast<int>(init.size()));
    flash::do_init_action_loader(&in2, 59, &def);
    ASSERT_EQ(def.frame_tags.size(), 1u);
    ASSERT_EQ(def.init_actions.size(), 1u);
    EXPECT_EQ(def.init_actions[0].first, 42);
    EXPECT_TRUE(def.frame_tags[0]->is_action_tag());
    EXPECT_FALSE(def.frame_tags[0]->is_remove_tag());
    EXPECT_EQ(def.frame_tags[0]->get_depth_id_key(), 0xFFFFFFFFu);

    flash::smart_ptr<queueing_sprite> sprite(new queueing_sprite(m.get_engine()));
    def.frame_tags[0]->execute(sprite.get_ptr());
    static_cast<flash::do_action*>(def.init_actions[0].second)->execute(sprite.get_ptr());
    ASSERT_EQ(sprite->queue.size(), 2u);
    interptest::machine::messages().clear();
    for (flash::action_buffer* b : sprite->queue) b->execute(&m.env);
    EXPECT_EQ(interptest::machine::messages(), "frame\ninit\n");
    EXPECT_TRUE(m.error_has("runs past the end of its tag"));
}

TEST(InterpreterCalls, ConstantPoolIsReadOncePerBuffer) {
    interptest::machine m;
    EXPECT_EQ(m.run(a().constant_pool({"one"}).push({dict(0)}).op(TRACE)), "one\n");
    interptest::machine::messages().clear();
    m.buffer.execute(&m.env);
    EXPECT_EQ(interptest::machine::messages(), "one\n");
    EXPECT_EQ(m.buffer.get_decl_dict_processed_at(), 0);
    // A second pool at another offset is refused; the first one stays.
    EXPECT_EQ(m.run(a().constant_pool({"first"}).constant_pool({"second"}).push({dict(0)}).op(TRACE)),
              "first\n");
    EXPECT_TRUE(m.error_has("decl_dict was already processed at 0"));
    // A buffer holding only its End code.
    flash::action_buffer only_end;
    const uint8_t end = 0;
    EXPECT_EQ(only_end.read(&end, 1), 1);
    EXPECT_EQ(only_end.get_length(), 1);
}

TEST(InterpreterCalls, PoolEntriesPushedAgainComeFromThePoolOfTheRunningBuffer) {
    interptest::machine m;
    const assembler pool = a().constant_pool({"one"});
    const int pool_size = static_cast<int>(assembler(pool).take().size());
    const testasm::bytes code = assembler(pool).push({dict(0)}).op(TRACE).take();
    m.buffer = flash::action_buffer();
    m.buffer.read(code.data(), static_cast<int>(code.size()));
    // A copy made before the pool was read shares the bytes but has no pool of its own.
    flash::action_buffer without_pool(m.buffer);
    interptest::machine::messages().clear();
    m.buffer.execute(&m.env);
    m.buffer.execute(&m.env);
    EXPECT_EQ(interptest::machine::messages(), "one\none\n");
    interptest::machine::messages().clear();
    for (int run = 0; run < 2; ++run) {
        without_pool.execute(&m.env, pool_size, without_pool.get_length() - pool_size, nullptr,
                             flash::array<flash::with_scope>(), false);
    }
    EXPECT_EQ(interptest::machine::messages(), "0\n0\n");
    EXPECT_TRUE(m.error_has("dict_lookup(0) is out of bounds!"));
}

TEST(InterpreterCalls, ExtensionModulesAreOffByDefaultAndLoadOnlyFromTheirFolder) {
    interptest::machine m;
    const assembler make = a().push({str("w"), i32(7), i32(1), str("Widget")}).op(NEW_OBJECT).op(SET_VARIABLE).trace_var("w.args");
    EXPECT_FALSE(flash::get_extension_modules_enabled());
    EXPECT_EQ(m.run(make), "undefined\n");
    EXPECT_TRUE(m.error_has("can't create object with unknown class 'Widget'"));

    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() / "flash_modules");
    std::filesystem::copy_file(INTERP_TEST_MODULE, dir.path() / "flash_modules" / "Widget.so");
    flash::set_extension_modules(true, dir.path().string().c_str());
    EXPECT_EQ(m.run(make), "1\n");
    // Names that could leave the folder are refused; a missing module is tried once.
    const flash::array<flash::as_value> none;
    EXPECT_EQ(flash::load_extension("../Widget", m.get_engine(), none), nullptr);
    EXPECT_EQ(flash::load_extension("", m.get_engine(), none), nullptr);
    EXPECT_EQ(flash::load_extension("Absent", m.get_engine(), none), nullptr);
    std::filesystem::copy_file(INTERP_TEST_MODULE, dir.path() / "flash_modules" / "Absent.so");
    EXPECT_EQ(flash::load_extension("Absent", m.get_engine(), none), nullptr);
    flash::set_extension_modules(false);
    EXPECT_EQ(flash::load_extension("Widget", m.get_engine(), none), nullptr);
    // Modules stay loaded until the engine's clean-up.
    flash::clear_extension_modules();
}

TEST(InterpreterCalls, GlobalFunctions) {
    // The engine instance registers these globals once, "$version" last and hidden from enumeration.
    interptest::machine m;
    flash::as_value version;
    ASSERT_TRUE(m.get_engine()->get_global()->get_members().get("$version", &version));
    EXPECT_TRUE(version.get_flags() & flash::AS_DONT_ENUM);
    // o = {a: 1, b: 2}; ASSetPropFlags(o, ["a"], 1); then enumerate o.
    EXPECT_EQ(m.run(a().push({str("o"), i32(0), str("Object")})
                        .op(NEW_OBJECT)
                        .op(SET_VARIABLE)
                        .push_str("o")
                        .op(GET_VARIABLE)
                        .push({str("a"), i32(1)})
                        .op(SET_MEMBER)
                        .push_str("o")
                        .op(GET_VARIABLE)
                        .push({str("b"), i32(2)})
                        .op(SET_MEMBER)
                        .push({i32(1), str("a"), i32(1)})
                        .op(INIT_ARRAY)
                        .push({str("o")})
                        .op(GET_VARIABLE)
                        .push({i32(3), str("ASSetPropFlags")})
                        .op(CALL_FUNCTION)
                        .op(POP)
                        .push_str("o")
                        .op(ENUMERATE)
                        .op(TRACE)
                        .op(TRACE)
                        .push({i32(0), str("getVersion")})
                        .op(CALL_FUNCTION)
                        .op(TRACE)
                        .trace_var("$version")
                        .push({null(), i32(1), str("ASSetPropFlags")})
                        .op(CALL_FUNCTION)
                        .op(POP)),
              "b\nnull\nWIN Sep 25 2009 15:14:56\nWIN Sep 25 2009 15:14:56\n");
    EXPECT_TRUE(m.error_has("assetpropflags for NULL object"));
}

}  // namespace
