// ActionScript 1/2 interpreter: a timeline loop of 10^6 iterations of "s = s + i; i++" (s starts
// at 0, so "+" adds numbers), and 10^6 calls of a one-argument script function. Items are loop
// iterations, so the reported rate gives the time per iteration.
#include <benchmark/benchmark.h>

#include "action_assembler.h"
#include "flash/base/log.h"
#include "flash/runtime/action_buffer.h"
#include "flash/movie/player.h"
#include "interp_bare_machine.h"

using namespace testasm;

namespace {

constexpr int iterations = 1000000;

// while (i < n) { body; i++ }
bytes counted_loop(assembler prologue, const assembler& body) {
    assembler a = prologue;
    const int top = a.new_label();
    const int out = a.new_label();
    a.push({str("i"), i32(0)}).op(SET_VARIABLE).label(top)
        .push({str("i")}).op(GET_VARIABLE).push({i32(iterations)}).op(LESS).op(NOT).if_true(out)
        .raw(assembler(body).take())
        .push({str("i"), str("i")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE)
        .jump(top).label(out);
    return a.take();
}

void run(benchmark::State& state, const bytes& code) {
    flash::register_log_callback(nullptr);
    interptest::bare_machine<flash::player> machine;
    flash::action_buffer buffer;
    buffer.read(code.data(), static_cast<int>(code.size()));
    for (auto _ : state) buffer.execute(&machine.env);
    state.SetItemsProcessed(state.iterations() * iterations);
}

void BM_TimelineLoop(benchmark::State& state) {
    const assembler body = assembler().push({str("s"), str("s")}).op(GET_VARIABLE)
                               .push({str("i")}).op(GET_VARIABLE).op(ADD2).op(SET_VARIABLE);
    run(state, counted_loop(assembler().push({str("s"), i32(0)}).op(SET_VARIABLE), body));
}
BENCHMARK(BM_TimelineLoop)->Unit(benchmark::kMillisecond);

void BM_FunctionCalls(benchmark::State& state) {
    const assembler prologue = assembler().define_function(
        "f", {"x"}, assembler().push({str("x")}).op(GET_VARIABLE).op(RETURN));
    const assembler body = assembler().push({str("i")}).op(GET_VARIABLE)
                               .push({i32(1), str("f")}).op(CALL_FUNCTION).op(POP);
    run(state, counted_loop(prologue, body));
}
BENCHMARK(BM_FunctionCalls)->Unit(benchmark::kMillisecond);

}  // namespace
