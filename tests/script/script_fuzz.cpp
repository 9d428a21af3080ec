// Fuzz entry for the script interface: the input is a program of calls to every registered
// script function and class method, field reads and writes and operators, with arguments drawn
// from a pool of hostile values (NaN, infinities, long strings, cyclic tables, threads, foreign,
// light and stale userdata), switching between the lenient and the strict readers. Results go back
// into the pool, so later calls receive them. Registrations of any linked library join by
// themselves. A host that runs the programs on a state of its own (the game's, with a level
// loaded) adds steps of its own (script_fuzz.h) and builds this file with TOV_SCRIPT_FUZZ_HOSTED.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "script/console_sink.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_core.h"
#include "script/script_registry.h"
#include "script/script_timers.h"
#include "tests/script/script_fuzz.h"
#include "tests/script/test_classes.h"

namespace scriptfuzz {

namespace {

constexpr int kMaxArguments = 5;
constexpr const char* kPool = "__fuzz_pool";

struct Input {
    const uint8_t* data;
    size_t size;
    uint8_t next() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
};

class CountingConsole : public script::ConsoleSink {
public:
    void print(const char* line) override { bytes += std::string(line).size(); }
    size_t bytes = 0;
};

// The pool's starting values; index kStaleSlot holds a handle whose object is deleted.
const char* const kPoolScript = R"(
local long = string.rep('x', 10000)
function __fuzz_ops(a, b, k)
  if k == 0 then return a + b elseif k == 1 then return a - b elseif k == 2 then return a .. b
  elseif k == 3 then return -a else return a == b end
end
local cyclic = {a = 1} cyclic.self = cyclic
__fuzz_pool = {
  nil, true, false, 0, -0.0, 0/0, 1/0, -1/0, 1e300, -7.5, 300, 4294967297,
  '', '12', long, 'return 1', 'error("e")', 'add_timer("t = 1", 0, 0)', 'tostring',
  {}, cyclic, tostring, function(...) return ... end, createNewThread(), coroutine.create(function() end),
  Vec2(3, 4), Vec3(1, 2, 3), createRGBA(), io.stdout, newproxy(true)
}
)";
constexpr int kLightSlot = 31;
constexpr int kObjectSlot = 32;
constexpr int kStaleSlot = 30;

}  // namespace

void setPoolSlot(lua_State* L, int slot) {
    lua_getglobal(L, kPool);
    lua_insert(L, -2);
    lua_rawseti(L, -2, slot);
    lua_pop(L, 1);
}

namespace {

void pushPoolValue(lua_State* L, Input& in) {
    lua_getglobal(L, kPool);
    lua_rawgeti(L, -1, in.next() % kPoolSize + 1);
    lua_remove(L, -2);
}

void pushKey(lua_State* L, Input& in) {
    const auto& classes = ScriptBinding::registeredClasses();
    uint8_t pick = in.next();
    const ScriptBinding::ClassDescriptor* cls = classes.empty() ? nullptr : classes[pick % classes.size()];
    uint8_t which = in.next();
    if (cls && !cls->properties.empty() && which % 3 != 0) {
        lua_pushstring(L, cls->properties[which % cls->properties.size()].name);
    } else if (cls && !cls->methods.empty() && which % 3 == 0) {
        lua_pushstring(L, cls->methods[which % cls->methods.size()].name);
    } else {
        pushPoolValue(L, in);
    }
}

lua_CFunction pickFunction(Input& in) {
    const auto& functions = scriptFunctions();
    uint8_t high = in.next();
    uint8_t low = in.next();
    return functions.empty() ? nullptr : functions[(high * 256u + low) % functions.size()].function;
}

lua_CFunction pickMethod(Input& in) {
    const auto& classes = ScriptBinding::registeredClasses();
    if (classes.empty()) return nullptr;
    const ScriptBinding::ClassDescriptor* cls = classes[in.next() % classes.size()];
    uint8_t which = in.next();
    size_t total = cls->methods.size() + cls->operators.size();
    if (total == 0) return nullptr;
    which %= total;
    return which < cls->methods.size() ? cls->methods[which].function
                                       : cls->operators[which - cls->methods.size()].function;
}

int readField(lua_State* L) {
    lua_gettable(L, 1);
    return 1;
}

int writeField(lua_State* L) {
    lua_settable(L, 1);
    return 0;
}

// Operators through the script's own operator function (the Lua API of 5.1 has none).
int operators(lua_State* L) {
    lua_getglobal(L, "__fuzz_ops");
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    return 1;
}

// Calls `function` with arguments from the pool, protected; keeps the result in a pool slot.
void callWithPool(lua_State* L, lua_CFunction function, int arguments, Input& in) {
    int top = lua_gettop(L);
    lua_pushcfunction(L, function);
    for (int i = 0; i < arguments; ++i) pushPoolValue(L, in);
    if (lua_pcall(L, arguments, 1, 0) == 0) {
        uint8_t slot = in.next();
        if (slot % 4 == 0) setPoolSlot(L, slot % kPoolSize + 1);
    }
    lua_settop(L, top);
}

void step(lua_State* L, Input& in, ScriptTimerManager& timers, HostStep host) {
    // Without a host the programs read as they always did (step 9 collects garbage).
    constexpr int kSteps = 10;
    constexpr int kHostedSteps = 11;
    switch (in.next() % (host ? kHostedSteps : kSteps)) {
        case 0:
        case 1:
            if (lua_CFunction f = pickFunction(in)) callWithPool(L, f, in.next() % (kMaxArguments + 1), in);
            break;
        case 2:
        case 3:
            if (lua_CFunction f = pickMethod(in)) callWithPool(L, f, in.next() % (kMaxArguments + 1), in);
            break;
        case 4: {
            int top = lua_gettop(L);
            lua_pushcfunction(L, readField);
            pushPoolValue(L, in);
            pushKey(L, in);
            if (lua_pcall(L, 2, 1, 0) == 0 && in.next() % 2 == 0) setPoolSlot(L, in.next() % kPoolSize + 1);
            lua_settop(L, top);
            break;
        }
        case 5: {
            int top = lua_gettop(L);
            lua_pushcfunction(L, writeField);
            pushPoolValue(L, in);
            pushKey(L, in);
            pushPoolValue(L, in);
            lua_pcall(L, 3, 0, 0);
            lua_settop(L, top);
            break;
        }
        case 6:
            ScriptBinding::setStrictArguments(in.next() % 2 == 1);
            break;
        case 7: {
            uint8_t kind = in.next();
            float stepSeconds = kind % 3 == 0 ? std::numeric_limits<float>::quiet_NaN() : kind / 64.0f;
            timers.update(stepSeconds, kind % 2 == 1);
            break;
        }
        case 8:
            callWithPool(L, operators, 3, in);
            break;
        case 9:
            if (host) {
                host(L, in.next());
                break;
            }
            [[fallthrough]];
        default:
            lua_gc(L, LUA_GCCOLLECT, 0);
            break;
    }
}

}  // namespace

void runProgram(lua_State* L, ScriptTimerManager& timers, const uint8_t* data, size_t size, HostStep host) {
    CountingConsole console;
    script::ConsoleSink* previous = script::consoleSink();
    script::setConsoleSink(&console);
    runScriptBuffer(kPoolScript, 0, "pool");
    static int lightTarget;
    lua_pushlightuserdata(L, &lightTarget);
    setPoolSlot(L, kLightSlot);
    auto live = std::make_unique<scripttest::TestDerived>();
    ScriptBinding::push(L, live.get());
    setPoolSlot(L, kObjectSlot);
    {
        scripttest::TestBase gone;
        ScriptBinding::push(L, &gone);
        setPoolSlot(L, kStaleSlot);
    }
    Input in{data, size};
    while (in.size > 0) step(L, in, timers, host);
    timers.clear();
    ScriptBinding::setStrictArguments(false);
    // Nothing of this program stays reachable: the live object goes with it.
    lua_pushnil(L);
    lua_setglobal(L, kPool);
    lua_settop(L, 0);
    lua_gc(L, LUA_GCCOLLECT, 0);
    script::setConsoleSink(previous);
}

}  // namespace scriptfuzz

#ifndef TOV_SCRIPT_FUZZ_HOSTED
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!startScriptState()) return 0;
    {
        ScriptTimerManager timers;
        scriptfuzz::runProgram(currentScriptState(), timers, data, size, nullptr);
        // The live object must outlive every handle the state may still use.
        closeScriptState();
    }
    return 0;
}
#endif
