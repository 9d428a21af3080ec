// Costs of the script interface, per call:
// - a level-script loop calling a registered native function of two numbers with one result,
//   against the same function as a bare lua_CFunction (goal: within 1.3x, under 100 ns);
// - v:len() and v.x on a bound Vec2 (goal: under 250 ns each);
// - a named hook call: bind, push one bound object, call, clear (goal: under 1 us);
// - an update of 1,000 script timers of which none fires (goal: under 100 us).
// The "allocs" counter is heap allocations per call, counted by the allocator below (goal: none
// besides pushed userdata and new strings).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "script/bound_object.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_core.h"
#include "script/script_function.h"
#include "script/script_registry.h"
#include "script/script_timers.h"

// Counting allocator: every heap allocation of the process passes here (glibc's own entry points
// do the work).
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {
std::atomic<long> g_allocations{0};
}

extern "C" void* malloc(size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* block, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
extern "C" void free(void* block) { __libc_free(block); }

namespace {

constexpr int kCallsPerIteration = 1000;
constexpr int kIdleTimers = 1000;

int addNumbers(lua_State* L) {
    ScriptBinding::pushNumber(L, ScriptBinding::getNumberArg(L, 1) + ScriptBinding::getNumberArg(L, 2));
    return 1;
}

int addNumbersBare(lua_State* L) {
    lua_pushnumber(L, lua_tonumber(L, 1) + lua_tonumber(L, 2));
    return 1;
}

const ScriptFunctionRegistration kAdd("bench_add", addNumbers);

struct Hooked : script::BoundObject {
    int value = 0;
    static ScriptBinding::ClassDescriptor* scriptClass() {
        static ScriptBinding::ClassDescriptor cls;
        static ScriptBinding::ClassDescriptor* registered =
            ScriptBinding::defineClass<Hooked>(cls, "BenchHooked", nullptr, nullptr);
        return registered;
    }
};

void setCounters(benchmark::State& state, long allocationsBefore, int callsPerIteration) {
    double calls = static_cast<double>(state.iterations()) * callsPerIteration;
    state.counters["per_call"] =
        benchmark::Counter(calls, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocs"] = static_cast<double>(g_allocations.load() - allocationsBefore) / calls;
}

// Runs `loop` (a chunk whose body makes kCallsPerIteration calls) once per iteration.
void runLoop(benchmark::State& state, const char* setup, const char* loop) {
    if (!startScriptState()) {
        state.SkipWithError("no script state");
        return;
    }
    lua_State* L = currentScriptState();
    lua_register(L, "bench_add_bare", addNumbersBare);
    runScriptBuffer(setup, 0, "setup");
    luaL_loadstring(L, loop);
    int loopRef = luaL_ref(L, LUA_REGISTRYINDEX);
    long before = g_allocations.load();
    for (auto _ : state) {
        lua_rawgeti(L, LUA_REGISTRYINDEX, loopRef);
        if (lua_pcall(L, 0, 0, 0) != 0) {
            state.SkipWithError(lua_tostring(L, -1));
            break;
        }
    }
    setCounters(state, before, kCallsPerIteration);
    closeScriptState();
}

struct ScriptLoop {
    const char* name;
    const char* setup;
    const char* loop;
};

// The empty loop is the floor every other loop stands on.
const ScriptLoop kLoops[] = {
    {"BM_NativeTwoNumbers", "", "local f, s = bench_add, 0 for i = 1, 1000 do s = f(i, 2) end"},
    {"BM_BareTwoNumbers", "", "local f, s = bench_add_bare, 0 for i = 1, 1000 do s = f(i, 2) end"},
    {"BM_Vec2Len", "v = Vec2(3, 4)", "local v, s = v, 0 for i = 1, 1000 do s = v:len() end"},
    {"BM_Vec2FieldRead", "v = Vec2(3, 4)", "local v, s = v, 0 for i = 1, 1000 do s = v.x end"},
    {"BM_EmptyLoop", "", "local s = 0 for i = 1, 1000 do s = i end"},
};

const bool kLoopsRegistered = [] {
    for (const ScriptLoop& loop : kLoops) {
        benchmark::RegisterBenchmark(
            loop.name, [&loop](benchmark::State& state) { runLoop(state, loop.setup, loop.loop); });
    }
    return true;
}();

void BM_NamedHookCall(benchmark::State& state) {
    if (!startScriptState()) {
        state.SkipWithError("no script state");
        return;
    }
    runScriptBuffer("calls = 0 function level_ON_ENTER(o) calls = calls + 1 end", 0, "setup");
    Hooked object;
    script::Function<void> hook;
    long before = g_allocations.load();
    for (auto _ : state) {
        hook.bind("level_ON_ENTER");
        hook(&object);
        hook.release();
    }
    setCounters(state, before, 1);
    closeScriptState();
}
BENCHMARK(BM_NamedHookCall);

void BM_IdleTimers(benchmark::State& state) {
    if (!startScriptState()) {
        state.SkipWithError("no script state");
        return;
    }
    {
        ScriptTimerManager timers;
        for (int i = 0; i < kIdleTimers; ++i)
            timers.addTimer("idle_" + std::to_string(i) + " = 1", 1e9f, 0, false);
        long before = g_allocations.load();
        for (auto _ : state) timers.update(0.016f, false);
        setCounters(state, before, 1);
    }
    closeScriptState();
}
BENCHMARK(BM_IdleTimers);

}  // namespace
