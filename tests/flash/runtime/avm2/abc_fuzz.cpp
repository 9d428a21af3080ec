// The fuzz entry: arbitrary bytes read as an ABC block by a fresh engine; a block the reader
// accepts is listed, its entry script runs, and so does each of its first methods, under an
// instruction budget. The gtest below runs it over assembled blocks, their cuts and byte flips.
#include <cstddef>
#include <cstdint>

#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "tests/support/stub_engine.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/avm2/abc_def.h"
#include "flash/runtime/avm2/as_3_function.h"
#include "flash/runtime/avm2/avm2_disassembler.h"
#include "flash/runtime/interpreter.h"
#include "tests/support/fuzz_target.h"

namespace avm2test {

namespace {

void quiet_log(bool, const char*) {}

constexpr size_t max_input = 1 << 20;
constexpr int64_t instruction_budget = 20000;
constexpr int methods_run = 32;

}  // namespace

void fuzz_abc_bytes(const uint8_t* data, size_t size) {
    const flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(quiet_log);
    {
        flash::smart_ptr<testsupport::stub_engine> owner(new testsupport::stub_engine);
        flash::smart_ptr<flash::abc_def> abc(new flash::abc_def);
        const int length = static_cast<int>(size > max_input ? max_input : size);
        if (abc->read(data, length, owner.get_ptr())) {
            flash::set_action_budget(instruction_budget);
            for (int i = 0; i < abc->get_method_count(); ++i) flash::log_abc_disasm(abc->get_method(i)->m_code, abc.get_ptr());
            flash::as_environment env(owner.get_ptr());
            if (flash::as_3_function* entry = abc->get_class_constructor("")) {
                flash::call_method(flash::as_value(entry), &env, flash::as_value(owner->get_global()), 0, -1);
            }
            for (int i = 0; i < abc->get_method_count() && i < methods_run; ++i) {
                flash::smart_ptr<flash::as_object> self(new flash::as_object(owner.get_ptr()));
                env.push(flash::as_value(1));
                flash::call_method(flash::as_value(abc->get_method(i)), &env, flash::as_value(self.get_ptr()), 1,
                                   env.get_top_index());
                env.set_stack_size(0);
            }
            flash::set_action_budget(-1);
        }
        abc = nullptr;
        owner->clear_heap();
    }
    flash::register_log_callback(previous);
}

}  // namespace avm2test

TOV_FUZZ_TARGET(avm2test::fuzz_abc_bytes(data, size))

#ifndef TOV_FUZZ_MAIN
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "avm2_test_support.h"

namespace {

// A corpus of well-formed blocks: a class with a constructor and methods, loops and calls.
std::vector<swf::Bytes> corpus() {
    std::vector<swf::Bytes> out;
    avm2test::program loop;
    const int top = loop.code.new_label();
    loop.byte(0).code.op(swf::op::setlocal_1).label(top);
    loop.begin_trace().code.op(swf::op::getlocal_1);
    loop.end_trace();
    loop.code.op_u30(swf::op::inclocal_i, 1).op(swf::op::getlocal_1).op(swf::op::pushbyte).u8(5);
    loop.code.op(swf::op::lessthan).branch(swf::op::iftrue, top);
    out.push_back(loop.finish());

    avm2test::program cls;
    swf::Abc& a = cls.abc;
    swf::Code ctor;
    ctor.op(swf::op::getlocal_0).op(swf::op::pushscope).op(swf::op::getlocal_0).op_u30(swf::op::constructsuper, 0);
    ctor.op(swf::op::getlocal_0).op(swf::op::getlocal_1).op_u30(swf::op::setproperty, a.qname("v")).op(swf::op::returnvoid);
    swf::Method one;
    one.param_types = {0};
    swf::Body body;
    body.method = a.method(one);
    body.code = ctor.bytes();
    a.body(body);
    swf::Instance inst;
    inst.name = a.qname("C");
    inst.super_name = a.qname("Object");
    inst.iinit = body.method;
    inst.traits = {swf::Trait::make_slot(a.qname("v")), swf::Trait::make_method(a.qname("m"), body.method)};
    a.add_class(inst, {a.method_with_body(swf::Code().op(swf::op::returnvoid)), {swf::Trait::make_slot(a.qname("s"))}});
    cls.code.op(swf::op::getscopeobject).u8(0).op(swf::op::pushnull).op_u30(swf::op::newclass, 0);
    cls.code.op_u30(swf::op::initproperty, a.qname("C")).op_u30(swf::op::findpropstrict, a.qname("C"));
    cls.str("x").code.op_u30_u30(swf::op::constructprop, a.qname("C"), 1).op(swf::op::dup);
    cls.str("y").code.op_u30_u30(swf::op::callproperty, a.qname("m"), 1).op(swf::op::pop);
    cls.code.op_u30(swf::op::getproperty, a.qname("v")).op(swf::op::coerce_s).op(swf::op::pop);
    cls.code.op_u30(swf::op::getlex, a.qname("C")).op_u30(swf::op::getproperty, a.qname("s")).op(swf::op::pop);
    cls.str("k").byte(1).code.op_u30(swf::op::newobject, 1).op_u30(swf::op::newarray, 1).op(swf::op::pop);
    a.script(a.method_with_body(swf::Code().op(swf::op::returnvoid)), {swf::Trait::make_class(a.qname("C"), 0)});
    out.push_back(cls.finish());
    return out;
}

// Inputs the fuzzer found faults with.
TEST(AbcFuzzEntry, FoundInputsRunClean) {
    // A body whose local count is the largest the reader takes (0x7FFFFFFF).
    const uint8_t huge_local_count[] = {
        0x10, 0x00, 0x2E, 0x00, 0x00, 0x00, 0x00, 0x02, 0x05, 0x74, 0x72, 0x71, 0x63, 0x65, 0x02, 0x16, 0x00, 0x00, 0x02,
        0x07, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0xFF, 0xFF, 0xFF,
        0xFF, 0x37, 0x7A, 0x00, 0x04, 0x12, 0xD0, 0x30, 0x5D, 0x01, 0x2C, 0x01, 0x4F, 0x00, 0x00, 0x00, 0x00};
    avm2test::fuzz_abc_bytes(huge_local_count, sizeof huge_local_count);
}

TEST(AbcFuzzEntry, RunsCleanOverItsCorpus) {
    std::mt19937 random(2027);
    size_t runs = 0;
    for (const swf::Bytes& block : corpus()) {
        avm2test::fuzz_abc_bytes(block.data(), block.size());
        for (int round = 0; round < 300; ++round) {
            swf::Bytes mutated = block;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) mutated[random() % mutated.size()] = static_cast<uint8_t>(random());
            if (random() % 4 == 0) mutated.resize(random() % (mutated.size() + 1));
            avm2test::fuzz_abc_bytes(mutated.data(), mutated.size());
            ++runs;
        }
    }
    EXPECT_EQ(runs, 600u);
}

}  // namespace
#endif
