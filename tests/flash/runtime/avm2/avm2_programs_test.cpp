// ActionScript 3 programs run through swfrun: each is an assembled block in a DoABC tag whose
// entry script runs on the first frame; the test reads exactly the traced lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "avm2_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using avm2test::program;
using swf::Bytes;
namespace op = swf::op;

struct run_result {
    int status;
    std::string out;
    std::string err;
};

run_result run_movie(const Bytes& movie) {
    {
        std::ofstream file("as3.swf", std::ios::binary);
        file.write(reinterpret_cast<const char*>(movie.data()), static_cast<std::streamsize>(movie.size()));
    }
    const std::string command = std::string(SWFRUN) + " as3.swf >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testsupport::readFile("out.txt"),
            testsupport::readFile("err.txt")};
}

Bytes arithmetic() {
    program p;
    p.begin_trace().byte(2).byte(3).byte(4).code.op(op::multiply).op(op::add);
    p.end_trace();
    p.begin_trace().str("n=").code.op_u30(op::pushdouble, p.abc.number(2.5)).op(op::add);
    p.end_trace();
    p.begin_trace().integer(-100000).str("7.9").code.op(op::convert_i).op(op::add);
    p.end_trace();
    return p.finish();
}

// if (1 == "1") trace("equal"); if (!(2 < 1)) trace("not less"); for (r1 = 0; r1 < 3; ++r1) trace(r1);
Bytes comparisons_and_branches() {
    program p;
    const int not_equal = p.code.new_label();
    p.byte(1).str("1").code.op(op::equals).branch(op::iffalse, not_equal);
    p.trace_text("equal");
    p.code.label(not_equal);
    const int less = p.code.new_label();
    p.byte(2).byte(1).code.op(op::lessthan).branch(op::iftrue, less);
    p.trace_text("not less");
    p.code.label(less);
    p.byte(0).code.op(op::setlocal_1);
    const int loop = p.code.new_label();
    p.code.label(loop);
    p.begin_trace().code.op(op::getlocal_1);
    p.end_trace();
    p.code.op_u30(op::inclocal_i, 1).op(op::getlocal_1).op(op::pushbyte).u8(3).op(op::lessthan).branch(op::iftrue, loop);
    return p.finish();
}

// Registers 1 to 3 by their short forms and register 6 by the long ones.
Bytes local_registers() {
    program p;
    p.str("a").code.op(op::setlocal_1);
    p.str("b").code.op(op::setlocal_2);
    p.str("c").code.op(op::setlocal_3);
    p.str("d").code.op_u30(op::setlocal, 6);
    p.begin_trace().code.op(op::getlocal_1).op(op::getlocal_2).op(op::add).op(op::getlocal_3).op(op::add);
    p.code.op_u30(op::getlocal, 6).op(op::add);
    p.end_trace();
    return p.finish();
}

// trace([1, "two", 3]); o = {a: 5, b: "x"}; trace(o.a); trace(o.b)
Bytes arrays_and_objects() {
    program p;
    p.begin_trace().byte(1).str("two").byte(3).code.op_u30(op::newarray, 3);
    p.end_trace();
    p.str("a").byte(5).str("b").str("x").code.op_u30(op::newobject, 2).op(op::setlocal_1);
    for (const char* name : {"a", "b"}) {
        p.begin_trace().code.op(op::getlocal_1).op_u30(op::getproperty, p.name(name));
        p.end_trace();
    }
    return p.finish();
}

// o = {}; o.x = 7; init o.y = "v"; trace(o.x + o.y); trace(o.missing)
Bytes properties() {
    program p;
    p.code.op_u30(op::newobject, 0).op(op::setlocal_1);
    p.code.op(op::getlocal_1).op(op::pushbyte).u8(7).op_u30(op::setproperty, p.name("x"));
    p.code.op(op::getlocal_1);
    p.str("v").code.op_u30(op::initproperty, p.name("y"));
    p.begin_trace().code.op(op::getlocal_1).op_u30(op::getproperty, p.name("x"));
    p.code.op(op::getlocal_1).op_u30(op::getproperty, p.name("y")).op(op::add);
    p.end_trace();
    p.begin_trace().code.op(op::getlocal_1).op_u30(op::getproperty, p.name("missing"));
    p.end_trace();
    return p.finish();
}

// o = {f: {__call__: trace}}; o.f("called through __call__")
Bytes call_member() {
    program p;
    p.str("f").str("__call__").code.op_u30(op::getlex, p.name("trace")).op_u30(op::newobject, 1);
    p.code.op_u30(op::newobject, 1).op(op::setlocal_1);
    p.code.op(op::getlocal_1);
    p.str("called through __call__").code.op_u30_u30(op::callpropvoid, p.name("f"), 1);
    return p.finish();
}

// class Base { function Base(who) { super(); trace("base ctor " + who) } }
// class Main extends Base {
//     function Main(who) { super(who); trace("main ctor") }
//     function hello(x) { trace("hello " + x) }
//     function twice(n) { return n * 2 }
// }
// The entry script makes both classes and calls new Main("doc").hello("x"), then twice(21).
Bytes classes() {
    program p;
    swf::Abc& a = p.abc;
    const uint32_t base_name = a.qname("Base");
    const uint32_t main_name = a.qname("Main");
    const uint32_t trace = a.qname("trace");
    auto method = [&a](int params, const swf::Code& code) {
        swf::Method m;
        m.param_types.assign(static_cast<size_t>(params), 0);
        const uint32_t index = a.method(m);
        swf::Body b;
        b.method = index;
        b.local_count = static_cast<uint32_t>(params) + 1;
        b.code = code.bytes();
        a.body(b);
        return index;
    };
    auto trace_sum = [&](swf::Code& c, const std::string& text, uint8_t reg) {
        c.op_u30(op::findpropstrict, trace).op_u30(op::pushstring, a.string(text)).op(reg).op(op::add);
        c.op_u30_u30(op::callpropvoid, trace, 1);
    };
    swf::Code base_ctor;
    base_ctor.op(op::getlocal_0).op(op::pushscope).op(op::getlocal_0).op_u30(op::constructsuper, 0);
    trace_sum(base_ctor, "base ctor ", op::getlocal_1);
    base_ctor.op(op::returnvoid);
    swf::Code main_ctor;
    main_ctor.op(op::getlocal_0).op(op::pushscope).op(op::getlocal_0).op(op::getlocal_1).op_u30(op::constructsuper, 1);
    main_ctor.op_u30(op::findpropstrict, trace).op_u30(op::pushstring, a.string("main ctor"));
    main_ctor.op_u30_u30(op::callpropvoid, trace, 1).op(op::returnvoid);
    swf::Code hello;
    hello.op(op::getlocal_0).op(op::pushscope);
    trace_sum(hello, "hello ", op::getlocal_1);
    hello.op(op::returnvoid);
    swf::Code twice;
    twice.op(op::getlocal_1).op(op::pushbyte).u8(2).op(op::multiply).op(op::returnvalue);
    swf::Code empty;
    empty.op(op::returnvoid);

    swf::Instance base;
    base.name = base_name;
    base.super_name = a.qname("Object");
    base.iinit = method(1, base_ctor);
    const uint32_t cinit = method(0, empty);
    a.add_class(base, {cinit, {}});
    swf::Instance main;
    main.name = main_name;
    main.super_name = base_name;
    main.iinit = method(1, main_ctor);
    main.traits = {swf::Trait::make_method(a.qname("hello"), method(1, hello)),
                   swf::Trait::make_method(a.qname("twice"), method(1, twice))};
    a.add_class(main, {cinit, {}});

    p.code.op(op::getscopeobject).u8(0).op(op::pushnull).op_u30(op::newclass, 0).op_u30(op::initproperty, base_name);
    p.code.op(op::getscopeobject).u8(0).op_u30(op::getlex, base_name).op_u30(op::newclass, 1);
    p.code.op_u30(op::initproperty, main_name);
    p.code.op_u30(op::findpropstrict, main_name);
    p.str("doc").code.op_u30_u30(op::constructprop, main_name, 1).op(op::setlocal_1);
    p.code.op(op::getlocal_1);
    p.str("x").code.op_u30_u30(op::callpropvoid, a.qname("hello"), 1);
    p.begin_trace().code.op(op::getlocal_1).op(op::pushbyte).u8(21).op_u30_u30(op::callproperty, a.qname("twice"), 1);
    p.end_trace();
    return p.finish();
}

Bytes stops_at_an_unknown_opcode() {
    program p;
    p.trace_text("before");
    p.code.op(op::jump).s24(0);
    p.trace_text("after");
    return p.finish();
}

TEST(Avm2Programs, RunThroughSwfrun) {
    struct row {
        const char* name;
        Bytes (*build)();
        const char* out;
    };
    const row rows[] = {
        {"arithmetic", arithmetic, "14\nn=2.5\n-99993\n"},
        {"comparisons and branches", comparisons_and_branches, "equal\nnot less\n0\n1\n2\n"},
        {"local registers", local_registers, "abcd\n"},
        {"arrays and objects", arrays_and_objects, "1,two,3\n5\nx\n"},
        {"properties", properties, "7v\nundefined\n"},
        {"call member", call_member, "called through __call__\n"},
        {"classes", classes, "base ctor doc\nmain ctor\nhello x\n42\n"},
        {"unknown opcode", stops_at_an_unknown_opcode, "before\n"},
    };
    testsupport::TempDir dir;
    for (const row& r : rows) {
        const run_result got = run_movie(avm2test::as3_movie(r.build()));
        EXPECT_EQ(got.status, 0) << r.name << "\n" << got.err;
        EXPECT_EQ(got.out, r.out) << r.name << "\n" << got.err;
        EXPECT_EQ(got.err.find("error"), std::string::npos) << r.name << "\n" << got.err;
    }
    // The engine's own line goes to the errors stream, the traces alone to the output.
    const run_result stopped = run_movie(avm2test::as3_movie(stops_at_an_unknown_opcode()));
    EXPECT_NE(stopped.err.find("TODO opcode 0x10\n"), std::string::npos) << stopped.err;
}

TEST(Avm2Programs, ARefusedBlockRunsNothing) {
    testsupport::TempDir dir;
    program p;
    p.trace_text("never");
    Bytes block = p.finish();
    block.resize(block.size() - 3);
    const run_result got = run_movie(avm2test::as3_movie(block));
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "");
    EXPECT_NE(got.err.find("the ABC block is dropped"), std::string::npos) << got.err;
}

}  // namespace
