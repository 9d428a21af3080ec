// AS3 functions and classes: script and class lookup by name, class property lookup from static
// traits, registers of a call, the stack-depth repair and the shared nesting bound.
#include <gtest/gtest.h>

#include "avm2_test_support.h"
#include "flash/runtime/interpreter.h"

namespace {

using avm2test::machine;
using flash::as_value;
using flash::smart_ptr;

// Three scripts: the second declares the classes A and B (with static initialisers of their own).
swf::Bytes three_scripts(uint32_t* inits) {
    swf::Abc a;
    for (int i = 0; i < 3; ++i) inits[i] = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    const uint32_t cinit = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    swf::Instance ia;
    ia.name = a.qname("A");
    ia.iinit = cinit;
    swf::Instance ib;
    ib.name = a.qname("B");
    ib.iinit = cinit;
    a.add_class(ia, {cinit, {}});
    a.add_class(ib, {cinit, {}});
    a.script(inits[0], {swf::Trait::make_slot(a.qname("A"))});  // a slot of that name is no class
    a.script(inits[1], {swf::Trait::make_class(a.qname("A"), 0), swf::Trait::make_class(a.qname("B"), 1)});
    a.script(inits[2]);
    return a.finish();
}

TEST(As3Lookup, ScriptInitialisersByClassName) {
    machine m;
    uint32_t inits[3];
    ASSERT_TRUE(m.read(three_scripts(inits))) << m.log.errors();
    struct row {
        const char* name;
        int method;  // -1: none
    };
    const row rows[] = {
        {"", static_cast<int>(inits[2])},  // the last script's
        {"A", static_cast<int>(inits[1])},  // the declaring script's, not the class's cinit
        {"B", static_cast<int>(inits[1])},
        {"a", -1},  // names compare exactly
        {"pkg.A", -1},
        {"C", -1},
    };
    for (const row& r : rows) {
        flash::as_3_function* f = m.abc->get_class_constructor(r.name);
        if (r.method < 0) {
            EXPECT_EQ(f, nullptr) << r.name;
        } else {
            ASSERT_NE(f, nullptr) << r.name;
            EXPECT_EQ(f->get_method_index(), r.method) << r.name;
        }
    }
    flash::abc_def empty;
    EXPECT_EQ(empty.get_class_constructor(""), nullptr);
}

TEST(As3Lookup, ClassesByPlainAndDottedNames) {
    machine m;
    uint32_t inits[3];
    ASSERT_TRUE(m.read(three_scripts(inits)));
    struct row {
        const char* name;
        int class_index;
    };
    const row rows[] = {{"A", 0}, {"B", 1}, {"pkg.sub.B", 1}, {"x.A", 0}, {"A.", -1}, {"b", -1}, {"", -1}};
    for (const row& r : rows) {
        const flash::instance_info* info = m.abc->resolve_qualified_name(r.name);
        const flash::class_info* cls = m.abc->resolve_qualified_class(r.name);
        if (r.class_index < 0) {
            EXPECT_EQ(info, nullptr) << r.name;
            EXPECT_EQ(cls, nullptr) << r.name;
        } else {
            EXPECT_EQ(info, m.abc->get_instance(r.class_index)) << r.name;
            EXPECT_EQ(cls, m.abc->get_class(r.class_index)) << r.name;
        }
    }
    EXPECT_STREQ(m.abc->get_class_name_of_iinit(static_cast<int>(inits[0])) ? "found" : "none", "none");
}

TEST(As3Lookup, ClassObjectsAnswerFromTheirStaticTraits) {
    swf::Abc a;
    const uint32_t init = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    swf::Instance inst;
    inst.name = a.qname("K");
    inst.iinit = init;
    inst.traits = {swf::Trait::make_slot(a.qname("run"))};
    a.add_class(inst, {init,
                       {swf::Trait::make_slot(a.qname("count")), swf::Trait::make_method(a.qname("run"), init),
                        swf::Trait::make_slot(a.qname("run"))}});
    a.script(init);
    machine m;
    ASSERT_TRUE(m.read(a.finish()));
    smart_ptr<flash::as_class> cls(new flash::as_class(m.owner.get_ptr()));
    cls->set_class_info(m.abc->get_class(0));
    // The object's own rules would answer "run" from the linked instance traits (a slot there);
    // the static Method trait answers false before they are asked.
    cls->set_class(m.abc->get_instance(0));
    smart_ptr<flash::as_object> proto(new flash::as_object(m.owner.get_ptr()));
    cls->set_proto(proto.get_ptr());
    as_value v;
    EXPECT_FALSE(cls->find_property("Count", &v));  // the trait names compare exactly
    EXPECT_FALSE(cls->find_property("run", &v));
    ASSERT_TRUE(cls->find_property("count", &v));
    flash::as_object* made = v.to_object();
    ASSERT_NE(made, nullptr);
    as_value again;
    ASSERT_TRUE(cls->find_property("count", &again));
    EXPECT_EQ(again.to_object(), made);
    EXPECT_TRUE(cls->get_members().get("count", &again));
    EXPECT_EQ(again.to_object(), made);
    proto->set_member("other", as_value(2));
    EXPECT_TRUE(cls->find_property("other", nullptr));  // no trait: the object's own rules
    cls->set_proto(nullptr);
}

// A method whose code is given, with params parameters.
swf::Bytes one_method(const swf::Code& code, int params, uint32_t local_count = 1) {
    swf::Abc a;
    swf::Method f;
    f.param_types.assign(static_cast<size_t>(params), 0);
    const uint32_t index = a.method(f);
    swf::Body b;
    b.method = index;
    b.local_count = local_count;
    b.code = code.bytes();
    a.body(b);
    a.script(index);
    return a.finish();
}

TEST(As3Call, RegistersHoldThisThenTheArgumentsAndUndefinedForTheMissing) {
    struct row {
        uint8_t get;
        int args;
        const char* expected;
    };
    const row rows[] = {
        {swf::op::getlocal_1, 2, "first"},
        {swf::op::getlocal_2, 2, "second"},
        {swf::op::getlocal_2, 1, "undefined"},  // fewer arguments than parameters
        {swf::op::getlocal_3, 2, "undefined"},  // the third parameter, never passed
        {swf::op::getlocal_0, 0, "[object Object]"},
    };
    for (const row& r : rows) {
        machine m;
        ASSERT_TRUE(m.read(one_method(swf::Code().op(r.get).op(swf::op::returnvalue), 3)));
        smart_ptr<flash::as_object> self(new flash::as_object(m.owner.get_ptr()));
        flash::as_environment env(m.owner.get_ptr());
        env.push(as_value("below"));  // not an argument: never read as one
        env.push(as_value("second"));
        env.push(as_value("first"));
        const int first = env.get_top_index();
        const as_value result = flash::call_method(as_value(m.abc->get_method(0)), &env, as_value(self.get_ptr()),
                                                   r.args, first);
        EXPECT_STREQ(result.to_string(), r.expected) << static_cast<int>(r.get) << " with " << r.args;
        EXPECT_EQ(env.get_stack_size(), 3);
        env.set_stack_size(0);
    }
}

TEST(As3Call, RegisterCountsPastTheCapAreCut) {
    // A local count of 0x7FFFFFFF, and more parameters (and arguments) than registers.
    constexpr int many = flash::as_3_function::max_registers + 10;
    swf::Abc a;
    swf::Method f;
    f.param_types.assign(many, 0);
    swf::Body b;
    b.method = a.method(f);
    b.local_count = 0x7FFFFFFF;
    b.code = swf::Code().op(swf::op::getlocal_1).op(swf::op::returnvalue).bytes();
    a.body(b);
    a.script(b.method);
    machine m;
    ASSERT_TRUE(m.read(a.finish())) << m.log.errors();
    flash::as_environment env(m.owner.get_ptr());
    for (int i = 0; i < many; ++i) env.push(as_value(many - i));
    const as_value result =
        flash::call_method(as_value(m.abc->get_method(0)), &env, as_value(), many, env.get_top_index());
    EXPECT_EQ(result.to_number(), 1);
    env.set_stack_size(0);
}

TEST(As3Call, WithoutThisTheTargetCharacterOrNull) {
    machine m;
    ASSERT_TRUE(m.read(one_method(swf::Code().op(swf::op::getlocal_0).op(swf::op::returnvalue), 0)));
    flash::as_environment env(m.owner.get_ptr());
    const as_value result = flash::call_method(as_value(m.abc->get_method(0)), &env, as_value(), 0, -1);
    EXPECT_TRUE(result.is_null());
}

TEST(As3Call, AStackLeftDeeperIsReportedAndRepaired) {
    machine m;
    swf::Code code;
    code.op(swf::op::pushtrue).op(swf::op::pushfalse).op(swf::op::returnvoid);
    ASSERT_TRUE(m.read(one_method(code, 0)));
    flash::as_environment env(m.owner.get_ptr());
    env.push(as_value(7));
    const as_value result = flash::call_method(as_value(m.abc->get_method(0)), &env, as_value(), 0, 0);
    EXPECT_TRUE(m.log.has_error("error: stack size on exit must be same as on entry, 1:3 \n")) << m.log.errors();
    ASSERT_EQ(env.get_stack_size(), 1);
    EXPECT_EQ(env.top(0).to_number(), 7);
}

TEST(As3Call, PopsNeverReachTheCallersValues) {
    machine m;
    swf::Code code;
    code.op(swf::op::pop).op(swf::op::pop).op(swf::op::pushbyte).u8(5).op(swf::op::returnvalue);
    ASSERT_TRUE(m.read(one_method(code, 0)));
    flash::as_environment env(m.owner.get_ptr());
    env.push(as_value("keep"));
    const as_value result = flash::call_method(as_value(m.abc->get_method(0)), &env, as_value(), 0, 0);
    EXPECT_EQ(result.to_number(), 5);
    ASSERT_EQ(env.get_stack_size(), 1);
    EXPECT_STREQ(env.top(0).to_string(), "keep");
    EXPECT_TRUE(m.log.errors().empty()) << m.log.errors();
}

TEST(As3Call, CodeEndingWithoutAReturnLeavesTheResult) {
    machine m;
    ASSERT_TRUE(m.read(one_method(swf::Code().op(swf::op::pushtrue).op(swf::op::pop), 0)));
    flash::as_environment env(m.owner.get_ptr());
    as_value result(42);
    flash::fn_call fn(&result, nullptr, &env, 0, -1);
    (*m.abc->get_method(0))(fn);
    EXPECT_EQ(result.to_number(), 42);
    // A method without a body runs nothing.
    swf::Abc a;
    a.script(a.method({}));
    machine bodiless;
    ASSERT_TRUE(bodiless.read(a.finish()));
    flash::fn_call fn2(&result, nullptr, &env, 0, -1);
    (*bodiless.abc->get_method(0))(fn2);
    EXPECT_EQ(result.to_number(), 42);
}

TEST(As3Call, DeepRecursionEndsAtTheSharedNestingBound) {
    // f() { findpropstrict f; callpropvoid f 0 } on the global object, where the entry puts it.
    swf::Abc a;
    const uint32_t f_name = a.qname("f");
    swf::Code body;
    body.op(swf::op::getlocal_0).op(swf::op::pushscope);
    body.op_u30(swf::op::findpropstrict, f_name).op_u30_u30(swf::op::callpropvoid, f_name, 0);
    body.op(swf::op::returnvoid);
    const uint32_t f = a.method_with_body(body);
    swf::Code entry;
    entry.op(swf::op::getlocal_0).op(swf::op::pushscope);
    a.script(a.method_with_body(entry.op(swf::op::returnvoid)));
    machine m;
    ASSERT_TRUE(m.read(a.finish()));
    m.owner->get_global()->set_member("f", as_value(m.abc->get_method(static_cast<int>(f))));
    flash::as_environment env(m.owner.get_ptr());
    flash::call_method(as_value(m.abc->get_method(static_cast<int>(f))), &env, as_value(m.owner->get_global()), 0, -1);
    const std::string expected = "error: ActionScript 3 calls nested deeper than " +
                                 std::to_string(flash::max_action_nesting) + ", the call gives undefined\n";
    EXPECT_TRUE(m.log.has_error(expected)) << m.log.errors().substr(0, 300);
    EXPECT_EQ(env.get_stack_size(), 0);
    EXPECT_EQ(env.get_scope_size(), 0);
    m.owner->get_global()->set_member("f", as_value());
}

}  // namespace
