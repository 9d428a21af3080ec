// The fuzz entry: arbitrary bytes read as an action buffer and executed against a player with a
// root movie, under an instruction budget. The gtest below runs it over a corpus it builds.
#include <cstddef>
#include <cstdint>

#include "flash/base/log.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/interpreter.h"
#include "interp_bare_machine.h"

namespace {

void quiet_log(bool, const char*) {}

// Whether the bytes surely end without a budget: no byte, wherever a record may start, is a
// backward Jump or If or an action that runs other code (functions, methods, constructors,
// frames). Such programs also run without a budget, where records run together with the actions
// after them.
bool ends_without_budget(const uint8_t* data, int length) {
    for (int i = 0; i < length; ++i) {
        switch (data[i]) {
            case flash::action::JUMP:
            case flash::action::IF:
                if (length - i < 5 || static_cast<int16_t>(data[i + 3] | (data[i + 4] << 8)) < 0) {
                    return false;
                }
                break;
            case flash::action::DEFINE_FUNCTION:
            case flash::action::DEFINE_FUNCTION2:
            case flash::action::CALL_FUNCTION:
            case flash::action::CALL_METHOD:
            case flash::action::NEW_OBJECT:
            case flash::action::NEW_METHOD:
            case flash::action::CALL:
            case flash::action::GOTO_FRAME:
            case flash::action::GOTO_FRAME2:
            case flash::action::GOTO_LABEL:
                return false;
            default:
                break;
        }
    }
    return true;
}

}  // namespace

extern "C" int interp_fuzz_one_input(const uint8_t* data, size_t size) {
    const flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(quiet_log);
    {
        interptest::bare_machine machine;
        flash::action_buffer buffer;
        const int length = size > 0x100000 ? 0x100000 : static_cast<int>(size);
        buffer.read(data, length);
        flash::set_action_budget(20000);
        buffer.execute(&machine.env);
        // Run it twice: constant pools and functions defined by the first run are reused.
        buffer.execute(&machine.env);
        flash::set_action_budget(-1);
        if (ends_without_budget(buffer.get_bytes(), buffer.get_length())) {
            buffer.execute(&machine.env);
            buffer.execute(&machine.env);
        }
    }
    flash::register_log_callback(previous);
    return 0;
}

#ifdef INTERP_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return interp_fuzz_one_input(data, size);
}
#else
#include <gtest/gtest.h>

#include <random>

#include "action_assembler.h"

namespace {

using namespace testasm;

// A corpus of well-formed programs, each also flipped byte by byte with a fixed seed.
TEST(InterpreterFuzzEntry, RunsCleanOverItsCorpus) {
    std::vector<bytes> corpus;
    assembler loop;
    const int top = loop.new_label();
    loop.label(top).push({str("i"), str("i")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)
        .push({str("i")}).op(GET_VARIABLE).push({i32(50)}).op(LESS).if_true(top);
    corpus.push_back(loop.take());
    corpus.push_back(assembler().constant_pool({"a", "b"}).push({dict(0), dict(1), dict16(0)})
                         .op(ADD2).op(STRING_ADD).op(TRACE).take());
    corpus.push_back(assembler().define_function2("f", 4, 0x1FF, {{1, "x"}},
                                                  assembler().push({reg(1), reg(2)}).op(ADD).op(RETURN))
                         .push({i32(1), i32(2), i32(2), str("f")}).op(CALL_FUNCTION).op(TRACE).take());
    corpus.push_back(assembler().push({str("o"), i32(0), str("Object")}).op(NEW_OBJECT)
                         .op(SET_VARIABLE).push_str("o").op(GET_VARIABLE)
                         .with(assembler().push({str("k"), i32(3)}).op(SET_VARIABLE))
                         .push_str("o").op(ENUMERATE).take());
    corpus.push_back(assembler().push({i32(1), i32(2), str("x"), i32(3)}).op(INIT_ARRAY)
                         .op(ENUMERATE2).op(POP).op(POP).set_target("nowhere").op(PLAY).take());
    // Straight-line code that also runs without a budget, where its records run together with
    // the reads, number steps, writes and branches after them.
    assembler joined;
    const int past = joined.new_label();
    joined.constant_pool({"v", "o"}).push({dict(0), i32(1)}).op(SET_VARIABLE)
        .push({str("r"), i32(10), dict(0)}).op(GET_VARIABLE).op(SUBTRACT).op(SET_VARIABLE)
        .push({str("r")}).op(GET_VARIABLE).push({i32(20)}).op(LESS2).op(NOT).if_true(past)
        .push({dict(1), str("x"), i32(1), i32(1)}).op(INIT_OBJECT).op(SET_VARIABLE)
        .push({dict(1)}).op(GET_VARIABLE).push({str("x"), dict(1)}).op(GET_VARIABLE)
        .push({str("x")}).op(GET_MEMBER).push({dict(0)}).op(GET_VARIABLE).op(ADD2).op(SET_MEMBER)
        .push({dict(0), dict(0)}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE).label(past)
        .push({str("r")}).op(GET_VARIABLE).op(TRACE);
    corpus.push_back(joined.take());
    EXPECT_TRUE(ends_without_budget(corpus.back().data(), static_cast<int>(corpus.back().size())));
    EXPECT_FALSE(ends_without_budget(corpus.front().data(), static_cast<int>(corpus.front().size())));
    std::mt19937 random(12345);
    size_t runs = 0;
    for (const bytes& program : corpus) {
        interp_fuzz_one_input(program.data(), program.size());
        for (int round = 0; round < 200; ++round) {
            bytes mutated = program;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                mutated[random() % mutated.size()] = static_cast<uint8_t>(random());
            }
            if (random() % 3 == 0) mutated.resize(random() % (mutated.size() + 1));
            interp_fuzz_one_input(mutated.data(), mutated.size());
            ++runs;
        }
    }
    EXPECT_EQ(runs, corpus.size() * 200);
}

}  // namespace
#endif
