// The two script engines of the game side by side: four loops of 10^6 iterations on global
// variables, run by the ActionScript 1/2 interpreter (action bytes from the test assembler) and by
// Lua 5.1, with the time per iteration of each and their ratio, and the heap allocations per
// iteration once warm.
//
//   script_loops_bench [Google Benchmark flags]   the table of times, ratios and allocations
//
// Each loop runs 15 times for at least 0.2 s, the runs of all loops shuffled, and the table takes
// each loop's fastest run: on a shared machine other work only ever slows a run, and a slow
// phase then falls on both engines alike (--benchmark_repetitions, --benchmark_min_time and
// --benchmark_enable_random_interleaving given on the command line override these).
//   script_loops_bench --once LOOP as|lua COUNT   one run of COUNT iterations, for callgrind:
//                                                 two counts give the instructions per iteration
#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "action_assembler.h"
#include "flash/base/log.h"
#include "flash/runtime/action_buffer.h"
#include "flash/movie/player.h"
#include "interp_bare_machine.h"

using namespace testasm;

// Every engine allocation ends in the C heap: counting its entry points counts them all. A
// sanitizer owns these entry points itself, so the count is left out there.
#if defined(__SANITIZE_ADDRESS__)
#define SCRIPT_LOOPS_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCRIPT_LOOPS_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef SCRIPT_LOOPS_COUNT_ALLOCATIONS
#define SCRIPT_LOOPS_COUNT_ALLOCATIONS 1
#endif

namespace {
unsigned long long g_allocations = 0;
}  // namespace

#if SCRIPT_LOOPS_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) {
    ++g_allocations;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    ++g_allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    ++g_allocations;
    return __libc_realloc(p, size);
}
void free(void* p) { __libc_free(p); }
}
#endif

namespace {

constexpr int loop_iterations = 1000000;

enum class loop_kind { timeline, call, property, numeric };

struct loop_info {
    loop_kind kind;
    const char* name;
    const char* shown;
};

constexpr loop_info loops[] = {
    {loop_kind::timeline, "timeline", "s = s + i; i++"},
    {loop_kind::call, "call", "s = f(s)"},
    {loop_kind::property, "property", "o.x = o.x + i"},
    {loop_kind::numeric, "numeric", "i = i + 1"},
};

// ---- ActionScript ----

// i = 0; while (i < count) { body; step }, where the step is i++ or, given, its own bytes.
bytes as_counted_loop(assembler prologue, const assembler& body, int count, bool plain_add) {
    assembler a = prologue;
    const int top = a.new_label();
    const int out = a.new_label();
    a.push({str("i"), i32(0)}).op(SET_VARIABLE).label(top)
        .push({str("i")}).op(GET_VARIABLE).push({i32(count)}).op(LESS2).op(NOT).if_true(out)
        .raw(assembler(body).take());
    if (plain_add) {
        a.push({str("i"), str("i")}).op(GET_VARIABLE).push({i32(1)}).op(ADD2).op(SET_VARIABLE);
    } else {
        a.push({str("i"), str("i")}).op(GET_VARIABLE).op(INCREMENT).op(SET_VARIABLE);
    }
    a.jump(top).label(out);
    return a.take();
}

bytes as_loop(loop_kind kind, int count) {
    switch (kind) {
        case loop_kind::timeline: {
            const assembler body = assembler().push({str("s"), str("s")}).op(GET_VARIABLE)
                                       .push({str("i")}).op(GET_VARIABLE).op(ADD2).op(SET_VARIABLE);
            return as_counted_loop(assembler().push({str("s"), i32(0)}).op(SET_VARIABLE), body,
                                   count, false);
        }
        case loop_kind::call: {
            assembler prologue = assembler().define_function(
                "f", {"a"}, assembler().push({str("a")}).op(GET_VARIABLE).push({i32(1)})
                                .op(ADD2).op(RETURN));
            prologue.push({str("s"), i32(0)}).op(SET_VARIABLE);
            const assembler body = assembler().push({str("s"), str("s")}).op(GET_VARIABLE)
                                       .push({i32(1), str("f")}).op(CALL_FUNCTION).op(SET_VARIABLE);
            return as_counted_loop(prologue, body, count, false);
        }
        case loop_kind::property: {
            // o = {x: 0}
            const assembler prologue =
                assembler().push({str("o"), str("x"), i32(0), i32(1)}).op(INIT_OBJECT)
                    .op(SET_VARIABLE);
            const assembler body = assembler().push({str("o")}).op(GET_VARIABLE)
                                       .push({str("x"), str("o")}).op(GET_VARIABLE)
                                       .push({str("x")}).op(GET_MEMBER)
                                       .push({str("i")}).op(GET_VARIABLE).op(ADD2).op(SET_MEMBER);
            return as_counted_loop(prologue, body, count, false);
        }
        case loop_kind::numeric:
            return as_counted_loop(assembler(), assembler(), count, true);
    }
    return {};
}

class as_runner {
public:
    as_runner(loop_kind kind, int count) {
        flash::register_log_callback(nullptr);
        const bytes code = as_loop(kind, count);
        m_buffer.read(code.data(), static_cast<int>(code.size()));
    }
    void run() { m_buffer.execute(&m_machine.env); }

private:
    interptest::bare_machine<flash::player> m_machine;
    flash::action_buffer m_buffer;
};

// ---- Lua 5.1 ----

std::string lua_loop(loop_kind kind, int count) {
    const std::string n = std::to_string(count);
    switch (kind) {
        case loop_kind::timeline:
            return "s = 0; i = 0; while i < " + n + " do s = s + i; i = i + 1 end";
        case loop_kind::call:
            return "function f(a) return a + 1 end; s = 0; i = 0; while i < " + n +
                   " do s = f(s); i = i + 1 end";
        case loop_kind::property:
            return "o = {x = 0}; i = 0; while i < " + n + " do o.x = o.x + i; i = i + 1 end";
        case loop_kind::numeric:
            return "i = 0; while i < " + n + " do i = i + 1 end";
    }
    return {};
}

class lua_runner {
public:
    lua_runner(loop_kind kind, int count) : m_state(luaL_newstate()) {
        luaL_openlibs(m_state);
        const std::string source = lua_loop(kind, count);
        if (luaL_loadstring(m_state, source.c_str()) != 0) {
            std::fprintf(stderr, "lua: %s\n", lua_tostring(m_state, -1));
            std::abort();
        }
        m_chunk = luaL_ref(m_state, LUA_REGISTRYINDEX);
    }
    ~lua_runner() { lua_close(m_state); }
    lua_runner(const lua_runner&) = delete;
    lua_runner& operator=(const lua_runner&) = delete;

    void run() {
        lua_rawgeti(m_state, LUA_REGISTRYINDEX, m_chunk);
        if (lua_pcall(m_state, 0, 0, 0) != 0) {
            std::fprintf(stderr, "lua: %s\n", lua_tostring(m_state, -1));
            std::abort();
        }
    }

private:
    lua_State* m_state;
    int m_chunk;
};

// ---- Benchmarks ----

// The first run warms both engines up (tables, stacks, the constant pool); the allocations
// counted afterwards are those every further run makes.
template <class Runner>
void run_loop(benchmark::State& state, loop_kind kind) {
    Runner runner(kind, loop_iterations);
    runner.run();
    const unsigned long long before = g_allocations;
    for (auto _ : state) runner.run();
    const double total = static_cast<double>(state.iterations()) * loop_iterations;
    state.SetItemsProcessed(static_cast<int64_t>(total));
    const double allocations = static_cast<double>(g_allocations - before);
    state.counters["allocs_per_iter"] = allocations / total;
    state.counters["allocs_per_run"] = allocations / static_cast<double>(state.iterations());
}

struct result_row {
    double as_ns = 0;
    double lua_ns = 0;
    double as_allocs_per_run = 0;
    double lua_allocs_per_run = 0;
};

// Keeps each run's time per loop iteration for the side-by-side table.
class collecting_reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const std::string name = run.benchmark_name();
            const double ns_per_iter =
                run.GetAdjustedRealTime() * nanoseconds_per(run.time_unit) /
                (static_cast<double>(loop_iterations));
            const auto allocs = run.counters.find("allocs_per_run");
            const double alloc_value = allocs == run.counters.end() ? 0 : allocs->second.value;
            for (const loop_info& loop : loops) {
                if (name == std::string("as/") + loop.name) {
                    keep_fastest(&rows[loop.name].as_ns, ns_per_iter);
                    rows[loop.name].as_allocs_per_run = alloc_value;
                } else if (name == std::string("lua/") + loop.name) {
                    keep_fastest(&rows[loop.name].lua_ns, ns_per_iter);
                    rows[loop.name].lua_allocs_per_run = alloc_value;
                }
            }
        }
    }

    std::map<std::string, result_row> rows;

private:
    // 0: no run yet.
    static void keep_fastest(double* kept, double ns) {
        if (*kept == 0 || ns < *kept) *kept = ns;
    }
    static double nanoseconds_per(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kSecond: return 1e9;
            case benchmark::kMillisecond: return 1e6;
            case benchmark::kMicrosecond: return 1e3;
            case benchmark::kNanosecond: return 1;
        }
        return 1;
    }
};

void print_table(const collecting_reporter& reporter) {
    // Allocations are counted per run of 10^6 iterations: a few per run is set-up, not a cost of
    // the iterations.
    std::printf("\n%-10s %-16s %12s %12s %7s %13s %14s\n", "loop", "body", "AS ns/iter",
                "Lua ns/iter", "ratio", "AS allocs/run", "Lua allocs/run");
    for (const loop_info& loop : loops) {
        const auto it = reporter.rows.find(loop.name);
        if (it == reporter.rows.end()) continue;
        const result_row& row = it->second;
        const double ratio = row.lua_ns > 0 ? row.as_ns / row.lua_ns : 0;
        std::printf("%-10s %-16s %12.2f %12.2f %7.2f %13.1f %14.1f\n", loop.name, loop.shown,
                    row.as_ns, row.lua_ns, ratio, row.as_allocs_per_run, row.lua_allocs_per_run);
    }
    if (!SCRIPT_LOOPS_COUNT_ALLOCATIONS) std::printf("(allocations are not counted under ASan)\n");
}

int run_once(const char* loop_name, const char* engine, const char* count_text) {
    const int count = std::atoi(count_text);
    for (const loop_info& loop : loops) {
        if (std::strcmp(loop.name, loop_name) != 0) continue;
        if (std::strcmp(engine, "as") == 0) {
            as_runner(loop.kind, count).run();
            return 0;
        }
        if (std::strcmp(engine, "lua") == 0) {
            lua_runner(loop.kind, count).run();
            return 0;
        }
    }
    std::fprintf(stderr, "usage: --once timeline|call|property|numeric as|lua COUNT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--once") == 0) return run_once(argv[2], argv[3], argv[4]);
    for (const loop_info& loop : loops) {
        benchmark::RegisterBenchmark((std::string("as/") + loop.name).c_str(),
                                     run_loop<as_runner>, loop.kind)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("lua/") + loop.name).c_str(),
                                     run_loop<lua_runner>, loop.kind)
            ->Unit(benchmark::kMillisecond);
    }
    // The defaults go first: flags given on the command line come later and win.
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=15";
    char min_time[] = "--benchmark_min_time=0.2";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {repetitions, min_time, interleaving});
    int arg_count = static_cast<int>(args.size());
    benchmark::Initialize(&arg_count, args.data());
    collecting_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    print_table(reporter);
    return 0;
}
