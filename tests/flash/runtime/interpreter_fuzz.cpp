// The fuzz entry: arbitrary bytes read as an action buffer and executed against a player with a
// root movie, under an instruction budget; an input that surely ends also runs without one, and
// both ways: as the prepared program and one action at a time through each action's own handler
// (plain_actions), which must leave the same log, stack and target members. The gtests below run
// it over seeds it builds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "flash/base/bx_random.h"
#include "flash/base/log.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/interpreter.h"
#include "flash/runtime/script_limits.h"
#include "interp_bare_machine.h"
#include "tests/support/stub_engine.h"

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

// Whether two runs of the bytes give the same answers: they surely end and read no clock (the
// random numbers are seeded alike for both).
bool runs_alike(const uint8_t* data, int length) {
    return ends_without_budget(data, length) &&
           std::find(data, data + length, flash::action::GET_TIME) == data + length;
}

// Every run is one host call of a movie: its texts, objects and members are counted against an
// account, under limits lower than a movie's so that each input stays quick.
constexpr int64_t fuzz_action_limit = int64_t{1} << 24;
constexpr int64_t fuzz_bytes_limit = int64_t{4} << 20;
class counted_run {
public:
    counted_run() : m_account(new flash::script_account("fuzz.swf")) {
        flash::set_script_limits(fuzz_action_limit, flash::max_stack_values, fuzz_bytes_limit);
    }
    ~counted_run() { flash::reset_script_limits(); }
    counted_run(const counted_run&) = delete;
    counted_run& operator=(const counted_run&) = delete;

private:
    flash::smart_ptr<flash::script_account> m_account;

public:
    const flash::script_run_scope scope{m_account.get_ptr()};
};

// A run a limit stopped: the two ways may stop at different points, since the prepared program
// holds texts of its own.
bool stopped_by_a_limit(const std::string& answer) {
    return answer.find("': the script run of '") != std::string::npos;
}

// Runs of one program: the prepared program's caches answer from its third run on.
constexpr int runs_compared = 4;

std::string& collected_log() {
    static std::string text;
    return text;
}
void collect_log(bool error, const char* message) {
    collected_log() += error ? "E " : "";
    collected_log() += message;
}

// A value as text, without running script: objects by their members (each object once) and
// texts marked as such. Flags belong to members: a value on the stack may carry the flags of the
// member it was read from, which nothing reads there.
void describe(const flash::as_value& value, std::set<const flash::as_object*>* seen,
              std::string* out);

void describe_members(const flash::as_object* object, std::set<const flash::as_object*>* seen,
                      std::string* out) {
    if (!seen->insert(object).second) {
        *out += "(seen)";
        return;
    }
    std::vector<std::string> members;
    for (auto it = object->get_members().begin(); it != object->get_members().end(); ++it) {
        std::string member = it.get_key().c_str();
        member += "=[" + std::to_string(it.get_value().get_flags()) + "]";
        describe(it.get_value(), seen, &member);
        members.push_back(member);
    }
    std::sort(members.begin(), members.end());
    *out += "{";
    for (const std::string& member : members) *out += member + ";";
    *out += "}";
}

void describe(const flash::as_value& value, std::set<const flash::as_object*>* seen,
              std::string* out) {
    switch (value.get_type()) {
        case flash::as_value::STRING: *out += "'" + std::string(value.to_bx_string().c_str()) + "'"; break;
        case flash::as_value::OBJECT:
            if (const flash::as_object* object = value.to_object()) {
                describe_members(object, seen, out);
            } else {
                *out += "null";
            }
            break;
        case flash::as_value::PROPERTY: *out += "property"; break;
        default: *out += value.to_bx_string().c_str(); break;
    }
}

// What a run of the bytes leaves: its log, its stack and its target's members.
std::string run_one_way(const uint8_t* data, int length, bool plain) {
    collected_log().clear();
    const flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(collect_log);
    std::string left;
    {
        interptest::bare_machine<testsupport::stub_engine> machine;
        const counted_run counted;
        flash::bx_random::seed_random(1);
        flash::action_buffer buffer;
        buffer.read(data, length);
        {
            const flash::plain_actions* one_by_one = plain ? new flash::plain_actions : nullptr;
            for (int i = 0; i < runs_compared; ++i) buffer.execute(&machine.env);
            delete one_by_one;
        }
        std::set<const flash::as_object*> seen;
        left = "stack:";
        for (int i = 0; i < machine.env.get_stack_size(); ++i) {
            describe(machine.env.bottom(i), &seen, &left);
            left += " ";
        }
        left += "\ntarget:";
        if (const flash::as_object* target = machine.env.get_target()) {
            describe_members(target, &seen, &left);
        }
    }
    flash::register_log_callback(previous);
    return "log:\n" + collected_log() + "\n" + left;
}

// Inputs run both ways so far.
int g_inputs_compared = 0;

// The two ways' answers for the bytes when they differ; empty when they agree.
std::string difference_between_ways(const uint8_t* data, int length) {
    ++g_inputs_compared;
    const std::string prepared = run_one_way(data, length, false);
    const std::string plain = run_one_way(data, length, true);
    if (prepared == plain || stopped_by_a_limit(prepared) || stopped_by_a_limit(plain)) return {};
    return "prepared program:\n" + prepared + "\none action at a time:\n" + plain;
}

// Fails the run (libFuzzer) or the test (the seeds) with both answers.
void interp_fuzz_report_difference(const uint8_t* data, int length, const std::string& difference);

}  // namespace

extern "C" int interp_fuzz_one_input(const uint8_t* data, size_t size) {
    const flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(quiet_log);
    {
        interptest::bare_machine<testsupport::stub_engine> machine;
        const counted_run counted;
        flash::action_buffer buffer;
        buffer.read(data, size > 0x100000 ? 0x100000 : static_cast<int>(size));
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
    const int length = size > 0x100000 ? 0x100000 : static_cast<int>(size);
    if (runs_alike(data, length)) {
        const std::string difference = difference_between_ways(data, length);
        if (!difference.empty()) interp_fuzz_report_difference(data, length, difference);
    }
    return 0;
}

#ifdef INTERP_FUZZ_MAIN
namespace {
void interp_fuzz_report_difference(const uint8_t*, int, const std::string& difference) {
    std::fprintf(stderr, "the two ways of running the program differ:\n%s\n", difference.c_str());
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return interp_fuzz_one_input(data, size);
}
#else
#include <gtest/gtest.h>

namespace {
void interp_fuzz_report_difference(const uint8_t* data, int length, const std::string& difference) {
    std::string hex;
    char byte[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(byte, sizeof byte, "%02X ", data[i]);
        hex += byte;
    }
    ADD_FAILURE() << "the two ways of running the program differ for " << hex << "\n"
                  << difference;
}
}  // namespace

#include <random>

#include "action_assembler.h"
#include "tests/support/largest_allocation.h"

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

// The seeds of the differential check: every action that runs joined with the records around it,
// in each shape it is joined in, over operands of each type and the values where rules part (equal
// numbers, NaN, texts of numbers).
std::vector<bytes> both_ways_seeds() {
    // Negative numbers: the bytes of 2.0 hold the code of NewObject, which keeps a seed from
    // counting as surely ending.
    const std::vector<item> operands = {i32(-2),     dbl(-2.0),     dbl(-2.5),     dbl(0.0 / 0.0),
                                        str("-2"),   str("10"),     boolean(true), undef()};
    const uint8_t operators[] = {ADD,  ADD2,    SUBTRACT, MULTIPLY,      DIVIDE,
                                 LESS, LESS2,   GREATER,  EQUALS2,       MODULO};
    const uint8_t steps[] = {INCREMENT, DECREMENT, NOT, TO_INTEGER};
    std::vector<bytes> seeds;
    for (const item& x : operands) {
        for (const item& y : operands) {
            for (const uint8_t code : operators) {
                // x op y straight, the read of x joined with it, the read of x and the number y
                // after it, the update of a variable from itself, and the test of a loop.
                seeds.push_back(assembler().push({x, y}).op(code).op(TRACE).take());
                seeds.push_back(assembler().set_var("a", x).set_var("b", y).push({str("a")})
                                    .op(GET_VARIABLE).push({str("b")}).op(GET_VARIABLE).op(code)
                                    .op(TRACE).take());
                seeds.push_back(assembler().set_var("a", x).push({str("r"), str("a")})
                                    .op(GET_VARIABLE).push({y}).op(code).op(SET_VARIABLE)
                                    .trace_var("r").take());
                seeds.push_back(assembler().set_var("a", x).push({str("a"), str("a")})
                                    .op(GET_VARIABLE).push({y}).op(code).op(SET_VARIABLE)
                                    .trace_var("a").take());
                assembler test;
                const int past = test.new_label();
                test.set_var("a", x).push({str("a")}).op(GET_VARIABLE).push({y}).op(code).op(NOT)
                    .if_true(past).trace_str("taken").label(past).trace_str("end");
                seeds.push_back(test.take());
                // o.x = o.x op y, the member read joined with what follows it.
                seeds.push_back(assembler().push({str("o"), str("x"), x, i32(1)}).op(INIT_OBJECT)
                                    .op(SET_VARIABLE).push({str("o")}).op(GET_VARIABLE)
                                    .push({str("x"), str("o")}).op(GET_VARIABLE)
                                    .push({str("x")}).op(GET_MEMBER).push({y}).op(code)
                                    .op(SET_MEMBER).take());
            }
        }
        for (const uint8_t code : steps) {
            seeds.push_back(assembler().push({x}).op(code).op(TRACE).take());
            seeds.push_back(assembler().set_var("a", x).push({str("a"), str("a")})
                                .op(GET_VARIABLE).op(code).op(SET_VARIABLE).trace_var("a").take());
        }
    }
    return seeds;
}

// Straight-line programs whose texts double at each step (the fuzzer's input that ran for minutes
// turned an array into text again and again): the account stops them at its bytes.
std::vector<bytes> growing_text_seeds() {
    assembler doubling;
    doubling.push({str("abcdefghijklmnop")});
    for (int i = 0; i < 48; ++i) doubling.op(PUSH_DUPLICATE).op(ADD2);
    doubling.op(TRACE);
    assembler array_text;
    array_text.push({str("a"), str("abcdefghijklmnop"), i32(1)}).op(INIT_ARRAY).op(SET_VARIABLE);
    for (int i = 0; i < 48; ++i) {
        array_text.push({str("a")}).op(GET_VARIABLE).push({i32(i + 1)})
            .push({str("a")}).op(GET_VARIABLE).push({str("")}).op(ADD2).op(SET_MEMBER);
    }
    array_text.trace_var("a");
    return {doubling.take(), array_text.take()};
}

TEST(InterpreterFuzzEntry, TextsThatDoubleEachStepEndAtTheAccount) {
    for (const bytes& seed : growing_text_seeds()) {
        ASSERT_TRUE(runs_alike(seed.data(), static_cast<int>(seed.size())));
        testsupport::PeakLiveBytes peak;
        const std::string answer = run_one_way(seed.data(), static_cast<int>(seed.size()), false);
        EXPECT_NE(answer.find("error: movie 'fuzz.swf': the script run of '/' made the movie's "
                              "scripts hold more than 4194304 bytes (they may grow no further); it ends"),
                  std::string::npos)
            << answer.substr(0, 2000);
        if (testsupport::PeakLiveBytes::available()) EXPECT_LT(peak.bytes(), 64ll << 20);
        interp_fuzz_one_input(seed.data(), seed.size());
    }
}

TEST(InterpreterFuzzEntry, RunsItsSeedsBothWaysAlike) {
    const std::vector<bytes> seeds = both_ways_seeds();
    const int compared_before = g_inputs_compared;
    for (const bytes& seed : seeds) interp_fuzz_one_input(seed.data(), seed.size());
    EXPECT_EQ(g_inputs_compared - compared_before, static_cast<int>(seeds.size()));
}

}  // namespace
#endif
