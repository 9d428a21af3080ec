// The AVM2 interpreter on its own: instruction edge cases, the verbose lines, the "TODO opcode"
// stop, and malformed operands and indices, each ending the method with a log line.
#include <gtest/gtest.h>

#include <string>

#include "avm2_test_support.h"
#include "flash/base/log.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/interpreter.h"

namespace {

using avm2test::machine;
using avm2test::program;
using flash::as_value;

// Reads the program's block, runs its entry with the global object as this and gives the log.
std::string run(program& p, machine& m) {
    EXPECT_TRUE(m.read(p.finish())) << m.log.errors();
    m.run_entry();
    return m.log.messages();
}

TEST(Avm2Interpreter, PushbyteSignExtends) {
    program p;
    p.begin_trace().byte(-1).end_trace().begin_trace().byte(127).end_trace();
    machine m;
    EXPECT_EQ(run(p, m), "-1\n127\n");
}

TEST(Avm2Interpreter, IftrueBranchesBackBySixteenBytes) {
    // reg1 = 0; loop: trace(reg1); inclocal_i 1; (15 bytes from loop to the end of the iftrue)
    program p;
    p.byte(0).code.op(swf::op::setlocal_1);
    const size_t loop = p.code.bytes().size();
    p.begin_trace().code.op(swf::op::getlocal_1);
    p.end_trace();
    p.code.op_u30(swf::op::inclocal_i, 1).op(swf::op::getlocal_1).op(swf::op::pushbyte).u8(3).op(swf::op::lessthan);
    const size_t iftrue_end = p.code.bytes().size() + 4;
    const int32_t back = static_cast<int32_t>(loop) - static_cast<int32_t>(iftrue_end);
    ASSERT_EQ(back, -16);  // F0 FF FF
    p.code.op(swf::op::iftrue).s24(back);
    machine m;
    EXPECT_EQ(run(p, m), "0\n1\n2\n");
}

TEST(Avm2Interpreter, BranchesReportTakenAndIfneAlwaysPopsBoth) {
    program p;
    const int skip = p.code.new_label();
    const int next = p.code.new_label();
    p.byte(1).byte(1).code.branch(swf::op::ifne, skip);  // equal: not taken, both popped
    p.trace_text("equal");
    p.code.label(skip);
    p.byte(1).str("1").code.branch(swf::op::ifne, next);  // abstract equality: 1 == "1"
    p.trace_text("loosely equal");
    p.code.label(next);
    p.code.op(swf::op::pushfalse).branch(swf::op::iftrue, skip);
    p.code.op(swf::op::pushfalse);
    const int end = p.code.new_label();
    p.code.branch(swf::op::iffalse, end).op(swf::op::pushtrue).label(end);
    machine m;
    flash::set_verbose_action(true);
    const std::string log = run(p, m);
    flash::set_verbose_action(false);
    for (const char* line : {"EX: ifne\t not taken\n", "equal\n", "loosely equal\n", "EX: iftrue\t not taken\n",
                             "EX: iffalse\t taken\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
    EXPECT_TRUE(m.log.errors().empty()) << m.log.errors();  // no stack left behind
}

TEST(Avm2Interpreter, CallpropertyThroughAnObjectsCallMember) {
    // holder.f is an object whose "__call__" is a native function; it sees holder as this.
    machine m;
    static flash::as_object* seen_this;
    seen_this = nullptr;
    flash::smart_ptr<flash::as_object> holder(new flash::as_object(m.owner.get_ptr()));
    flash::smart_ptr<flash::as_object> callable(new flash::as_object(m.owner.get_ptr()));
    callable->set_member("__call__", as_value([](const flash::fn_call& fn) {
                             seen_this = fn.this_object;
                             fn.result->set_string(fn.arg(0).to_bx_string() + "!");
                         }));
    holder->set_member("f", as_value(callable.get_ptr()));
    m.owner->get_global()->set_member("holder", as_value(holder.get_ptr()));
    program p;
    p.begin_trace().code.op_u30(swf::op::getlex, p.name("holder"));
    p.str("hi").code.op_u30_u30(swf::op::callproperty, p.name("f"), 1);
    p.end_trace();
    EXPECT_EQ(run(p, m), "hi!\n");
    EXPECT_EQ(seen_this, holder.get_ptr());
    m.owner->get_global()->set_member("holder", as_value());
}

TEST(Avm2Interpreter, CallsOnPrimitivesUseTheirBuiltinMethods) {
    program p;
    p.begin_trace().str("abc").code.op_u30_u30(swf::op::callproperty, p.name("toUpperCase"), 0);
    p.end_trace();
    machine m;
    EXPECT_EQ(run(p, m), "ABC\n");
}

TEST(Avm2Interpreter, NewarrayKeepsPushOrder) {
    program p;
    p.begin_trace().code.op_u30(swf::op::newarray, 0);
    p.end_trace();
    p.begin_trace().byte(1).str("two").byte(3).code.op_u30(swf::op::newarray, 3);
    p.end_trace();
    machine m;
    EXPECT_EQ(run(p, m), "\n1,two,3\n");
}

TEST(Avm2Interpreter, UnknownOpcodesStopTheMethod) {
    for (uint8_t opcode : std::initializer_list<uint8_t>{swf::op::jump, swf::op::subtract, swf::op::getslot, 0x02, 0xFF}) {
        program p;
        p.trace_text("before").code.op(opcode).u8(0).u8(0).u8(0);
        p.trace_text("after");
        machine m;
        char expected[64];
        std::snprintf(expected, sizeof expected, "before\nTODO opcode 0x%02X\n", opcode);
        EXPECT_EQ(run(p, m), expected);
    }
}

TEST(Avm2Interpreter, ConversionsAndComparisons) {
    struct row {
        void (*build)(program&);
        const char* expected;
    };
    const row rows[] = {
        {[](program& p) { p.str("7.9").code.op(swf::op::convert_i); }, "7"},
        {[](program& p) { p.str("-7.9").code.op(swf::op::convert_i); }, "-7"},
        {[](program& p) { p.str("x").code.op(swf::op::convert_i); }, "0"},  // NaN
        {[](program& p) { p.integer(-5).code.op(swf::op::coerce_s).op(swf::op::coerce).u30(p.name("String")); },
         "-5"},
        {[](program& p) { p.byte(0).code.op(swf::op::not_); }, "true"},
        {[](program& p) { p.str("a").byte(1).code.op(swf::op::add); }, "a1"},
        {[](program& p) { p.byte(2).byte(3).code.op(swf::op::add); }, "5"},
        {[](program& p) { p.byte(6).byte(7).code.op(swf::op::multiply); }, "42"},
        {[](program& p) { p.byte(1).str("1").code.op(swf::op::equals); }, "true"},
        {[](program& p) { p.code.op(swf::op::pushnull).op(swf::op::pushnull).op(swf::op::equals); }, "true"},
        {[](program& p) { p.byte(2).byte(1).code.op(swf::op::lessthan); }, "false"},
        {[](program& p) { p.str("2").byte(3).code.op(swf::op::lessthan); }, "true"},  // compared as numbers
        {[](program& p) { p.code.op(swf::op::pushshort).u30(1000); }, "1000"},
        {[](program& p) { p.code.op_u30(swf::op::pushdouble, p.abc.number(2.5)); }, "2.5"},
        {[](program& p) { p.code.op(swf::op::pushtrue).op(swf::op::dup).op(swf::op::pop); }, "true"},
    };
    for (const row& r : rows) {
        program p;
        p.begin_trace();
        r.build(p);
        p.end_trace();
        machine m;
        EXPECT_EQ(run(p, m), std::string(r.expected) + "\n");
        EXPECT_TRUE(m.log.errors().empty()) << r.expected << m.log.errors();
    }
}

TEST(Avm2Interpreter, VerboseLinesNameEachInstruction) {
    program p;
    p.str("s").code.op(swf::op::pop).op(swf::op::pushnull).op(swf::op::pop);
    p.byte(2).code.op(swf::op::setlocal_2).op(swf::op::getlocal_2).op(swf::op::setlocal).u30(5);
    p.code.op(swf::op::getlocal).u30(5).op(swf::op::pop).op(swf::op::getscopeobject).u8(0).op(swf::op::popscope);
    p.code.op(swf::op::pushscope);
    machine m;
    flash::set_verbose_action(true);
    const std::string log = run(p, m);
    flash::set_verbose_action(false);
    for (const char* line : {"\nEX: call method #0\n", "EX: pushstring\t 's'\n", "EX: pop\n", "EX: pushnull\n",
                             "EX: pushbyte\t 2\n", "EX: setlocal_2\t 2\n", "EX: getlocal_2\t 2\n",
                             "EX: setlocal\t index=5, value=2\n", "EX: getlocal\t index=5, value=2\n",
                             "EX: popscope\n", "EX: returnvoid\t\n", "EX: ended #0.\n\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
    }
}

// Every malformed operand or index ends the method with its own log line and nothing after it
// runs; the stack is left as the caller had it.
TEST(Avm2Interpreter, BadOperandsAndIndicesEndTheMethod) {
    struct row {
        swf::Bytes tail;
        const char* problem;
    };
    const row rows[] = {
        {{swf::op::pushbyte}, "operand past the end of the code"},
        {{swf::op::pushshort, 0x80}, "operand past the end of the code"},
        {{swf::op::iftrue, 1, 0}, "operand past the end of the code"},
        {{swf::op::pushstring, 99}, "string index out of range"},
        {{swf::op::pushint, 99}, "int index out of range"},
        {{swf::op::pushdouble, 1}, "double index out of range"},
        {{swf::op::getlocal, 0xFF, 0xFF, 0x03}, "register index out of range"},
        {{swf::op::setlocal, 40}, "register index out of range"},
        {{swf::op::inclocal_i, 40}, "register index out of range"},
        {{swf::op::getscopeobject, 9}, "scope index out of range"},
        {{swf::op::newclass, 0}, "class index out of range"},
        {{swf::op::getproperty, 0x7F}, "multiname index out of range"},
        {{swf::op::findpropstrict, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, "multiname index out of range"},
        {{swf::op::callpropvoid, 1}, "operand past the end of the code"},
        {{swf::op::constructprop, 1, 0x80}, "operand past the end of the code"},
        {{swf::op::constructsuper}, "operand past the end of the code"},
        {{swf::op::newarray}, "operand past the end of the code"},
    };
    for (const row& r : rows) {
        program p;
        p.trace_text("start");
        machine m;
        swf::Bytes code = p.code.bytes();
        code.insert(code.end(), r.tail.begin(), r.tail.end());
        swf::Abc& a = p.abc;
        swf::Body b;
        b.method = a.method({});
        b.local_count = 3;
        b.code = code;
        a.body(b);
        a.script(b.method);
        ASSERT_TRUE(m.read(a.finish())) << m.log.errors();
        flash::as_environment env(m.owner.get_ptr());
        env.push(as_value("caller"));
        m.run_entry(nullptr, &env);
        EXPECT_EQ(m.log.messages(), "start\n") << r.problem;
        EXPECT_TRUE(m.log.has_error(r.problem)) << r.problem << ": " << m.log.errors();
        EXPECT_EQ(env.get_stack_size(), 1);
        env.set_stack_size(0);
    }
}

TEST(Avm2Interpreter, BranchesOutsideTheCodeEndTheMethod) {
    for (int32_t offset : {100, -100, 0x7FFFFF, -0x800000}) {
        program p;
        p.code.op(swf::op::pushtrue).op(swf::op::iftrue).s24(offset);
        p.trace_text("not reached");
        machine m;
        EXPECT_EQ(run(p, m), "") << offset;
    }
}

TEST(Avm2Interpreter, CountsFromTheCodeAreClampedToTheStack) {
    program p;
    p.byte(1).byte(2).code.op_u30(swf::op::newarray, 1000).op(swf::op::setlocal_1);
    p.begin_trace().code.op(swf::op::getlocal_1);
    p.end_trace();
    p.code.op_u30_u30(swf::op::callpropvoid, p.name("trace"), 0x7FFFFFFF);
    p.code.op_u30(swf::op::newobject, 0xFFFFFFFF).op(swf::op::setlocal_1);
    p.begin_trace().code.op(swf::op::getlocal_1);
    p.end_trace();
    machine m;
    flash::as_environment env(m.owner.get_ptr());
    env.push(as_value("caller"));
    ASSERT_TRUE(m.read(p.finish()));
    m.run_entry(nullptr, &env);
    EXPECT_EQ(m.log.messages(), "1,2\n[object Object]\n");
    EXPECT_EQ(env.get_stack_size(), 1);
    EXPECT_STREQ(env.top(0).to_string(), "caller");
    env.set_stack_size(0);
}

TEST(Avm2Interpreter, EndlessLoopsStopAtTheInstructionBudget) {
    program p;
    const int top = p.code.new_label();
    p.code.label(top).op(swf::op::pushtrue).branch(swf::op::iftrue, top);
    machine m;
    flash::set_action_budget(1000);
    run(p, m);
    flash::set_action_budget(-1);
    EXPECT_TRUE(m.log.has_error("ran out of its instruction budget")) << m.log.errors();
}

}  // namespace

namespace {

TEST(Avm2Interpreter, ScopesAreTheMethodsOwn) {
    // The method pushes two scopes and pops three: the caller's scope survives, and what the
    // method left is gone when it returns.
    program p;
    p.code.op(swf::op::pushnull).op(swf::op::pushscope).op(swf::op::pushnull).op(swf::op::pushscope);
    p.code.op(swf::op::popscope).op(swf::op::popscope).op(swf::op::popscope).op(swf::op::popscope);
    p.code.op(swf::op::pushnull).op(swf::op::pushscope);
    machine m;
    ASSERT_TRUE(m.read(p.finish()));
    flash::as_environment env(m.owner.get_ptr());
    env.push_scope(as_value("caller's"));
    m.run_entry(nullptr, &env);
    ASSERT_EQ(env.get_scope_size(), 1);
    EXPECT_STREQ(env.get_scope(0).to_string(), "caller's");
}

// Script 0 declares the class K; its initialiser traces and stores K in the global object.
swf::Bytes class_declared_elsewhere(program& p) {
    swf::Abc& a = p.abc;
    const uint32_t k = a.qname("K");
    swf::Code init;
    init.op(swf::op::getlocal_0).op(swf::op::pushscope);
    init.op_u30(swf::op::findpropstrict, a.qname("trace")).op_u30(swf::op::pushstring, a.string("init K"));
    init.op_u30_u30(swf::op::callpropvoid, a.qname("trace"), 1);
    init.op(swf::op::getlocal_0).op_u30(swf::op::pushstring, a.string("class K")).op_u30(swf::op::initproperty, k);
    init.op(swf::op::returnvoid);
    a.script(a.method_with_body(init), {swf::Trait::make_class(k, 0)});
    swf::Instance inst;
    inst.name = k;
    inst.iinit = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    a.add_class(inst, {inst.iinit, {}});
    return p.finish();
}

TEST(Avm2Interpreter, ScopeLookupsRunADeclaringScriptOnce) {
    program p;
    const uint32_t k = p.name("K");
    p.code.op_u30(swf::op::findpropstrict, k).op(swf::op::pop);
    p.begin_trace().code.op_u30(swf::op::findpropstrict, k).op_u30(swf::op::getproperty, k);
    p.end_trace();
    p.begin_trace().code.op_u30(swf::op::getlex, k);
    p.end_trace();
    // Names nothing declares: findproperty gives the global object, findpropstrict null.
    p.begin_trace().code.op_u30(swf::op::findproperty, p.name("nowhere")).op_u30(swf::op::getproperty, p.name("trace"));
    p.code.op(swf::op::pushnull).op(swf::op::equals).op(swf::op::not_);
    p.end_trace();
    p.begin_trace().code.op_u30(swf::op::findpropstrict, p.name("nowhere"));
    p.end_trace();
    machine m;
    ASSERT_TRUE(m.read(class_declared_elsewhere(p))) << m.log.errors();
    // The entry runs with its own this (not the global object), so K is found only in the global.
    flash::smart_ptr<flash::as_object> self(new flash::as_object(m.owner.get_ptr()));
    m.run_entry(self.get_ptr());
    EXPECT_EQ(m.log.messages(), "init K\nclass K\nclass K\ntrue\nnull\n");
    m.owner->get_global()->set_member("K", as_value());
}

}  // namespace

namespace {

TEST(Avm2Interpreter, VerboseLinesOfLookupsCallsAndArithmetic) {
    program p;
    const uint32_t x = p.name("x");
    p.code.op_u30(swf::op::newobject, 0).op(swf::op::dup).op(swf::op::pushbyte).u8(4).op_u30(swf::op::setproperty, x);
    p.code.op(swf::op::dup).op(swf::op::pushtrue).op_u30(swf::op::initproperty, p.name("y"));
    p.code.op_u30(swf::op::getproperty, x).op(swf::op::convert_i).op(swf::op::coerce_s).op_u30(swf::op::coerce, x);
    p.code.op(swf::op::pushshort).u30(3).op(swf::op::multiply).op(swf::op::pushfalse).op(swf::op::equals).op(swf::op::not_);
    p.integer(2).code.op_u30(swf::op::pushdouble, p.abc.number(0.5)).op(swf::op::lessthan).op(swf::op::pop).op(swf::op::pop);
    p.code.op_u30(swf::op::findproperty, p.name("zz")).op(swf::op::pop);
    p.code.op_u30(swf::op::getlex, p.name("zz")).op(swf::op::pop);
    p.code.op_u30(swf::op::findpropstrict, p.name("zz")).op(swf::op::pop);
    p.byte(1).code.op(swf::op::setlocal_1).op_u30(swf::op::inclocal_i, 1);
    p.str("ab").code.op_u30_u30(swf::op::callproperty, p.name("toUpperCase"), 0).op(swf::op::pop);
    p.byte(1).code.op_u30(swf::op::newarray, 1).op(swf::op::pop);
    machine m;
    flash::set_verbose_action(true);
    const std::string log = run(p, m);
    flash::set_verbose_action(false);
    for (const char* part :
         {"EX: newobject\t arg_count:0\n", "EX: setproperty\t ", ".x, value=4\n", "EX: initproperty\t 0x",
          ".y=true\n", "EX: getproperty\t x, value=4\n", "EX: convert_i : 4 \n", "EX: coerce_s : 4\n",
          "EX: coerce : x todo\n", "EX: pushshort\t 3\n", "EX: multiply\n", "EX: pushfalse\n",
          "EX: equals 12 & false : false\n", "EX: not\n", "EX: pushint\t 2\n", "EX: pushdouble\t 0.500000\n",
          "EX: lessthan 2 & 0.5 : false\n", "EX: findproperty\t 'zz', obj=global\n", "EX: getlex\t zz, value=undefined\n",
          "EX: inclocal_i 1\n", "EX: callproperty\t 0x", ".toUpperCase(args:0), result AB\n",
          "EX: newarray\t arg_count:1\n", "EX: pushscope\t ", "EX: findpropstrict\t zz, obj=0x"}) {
        EXPECT_NE(log.find(part), std::string::npos) << part;
    }
}

}  // namespace
