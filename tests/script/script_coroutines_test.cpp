// Coroutines made by createNewThread and by Lua's own coroutine library.
#include <gtest/gtest.h>

#include "script/script_args.h"
#include "script/script_registry.h"
#include "tests/script/script_fixture.h"

namespace scripttest {
namespace {

// Reads its two arguments through the readers and reports them with the state it ran on.
int describeArgs(lua_State* L) {
    lua_pushfstring(L, "%s/%s/%s", ScriptBinding::getStringArg(L, 1), ScriptBinding::getStringArg(L, 2),
                    L == currentScriptState() ? "current" : "own");
    return 1;
}
const ScriptFunctionRegistration kDescribe("describeArgs", describeArgs);

using Coroutines = ScriptTest;

TEST_F(Coroutines, TwoArgumentsArriveExactly) {
    run("co = createNewThread() "
        "result = resumeThread(co, function(...) got = select('#', ...) a, b = ... return describeArgs(a, b) "
        "end, "
        "'x', 'y')");
    EXPECT_EQ(eval("got"), "2");
    EXPECT_EQ(eval("a .. b"), "xy");
    EXPECT_EQ(eval("result"), "x/y/current");
    // Without a function left to run the thread is dead, and says so.
    EXPECT_EQ(eval("resumeThread(co)"), "cannot resume dead coroutine");
}

TEST_F(Coroutines, YieldedValuesComeBack) {
    run("co = createNewThread() "
        "first = resumeThread(co, function(v) local w = yieldThread(v + 1, v + 2) return 'done ' .. "
        "tostring(w) end, 10) "
        "second = resumeThread(co, 'w')");
    EXPECT_EQ(eval("first"), "12");
    EXPECT_EQ(eval("second"), "done w");
    EXPECT_EQ(eval("resumeThread(co)"), "cannot resume dead coroutine");
    // No values at all: the thread itself comes back.
    run("co2 = createNewThread() back = resumeThread(co2, function() end)");
    EXPECT_EQ(eval("back == co2"), "true");
    // A failing coroutine gives its error message.
    run("co3 = createNewThread() err = resumeThread(co3, function() error('inside') end)");
    EXPECT_NE(eval("err").find("inside"), std::string::npos);
    EXPECT_EQ(eval("resumeThread(co3, function() end)"), "cannot resume dead coroutine");
}

TEST_F(Coroutines, NativeFunctionsInLuaCoroutinesReadTheirOwnArguments) {
    run("co = coroutine.create(function(p, q) coroutine.yield(describeArgs(p, q)) return describeArgs('r', "
        "'s') end) "
        "ok1, one = coroutine.resume(co, 'p', 'q') ok2, two = coroutine.resume(co)");
    EXPECT_EQ(eval("one"), "p/q/own");
    EXPECT_EQ(eval("two"), "r/s/own");
}

TEST_F(Coroutines, ResumeThreadRefusesNonThreads) {
    for (const char* value : {"nil", "1", "'co'", "{}", "print"}) {
        std::string out = eval(std::string("resumeThread(") + value + ")");
        EXPECT_NE(out.find("bad argument #1 to 'resumeThread' (thread expected, got"), std::string::npos)
            << out;
    }
    // Resuming the running thread, or the main one, fails without harm.
    EXPECT_EQ(eval("resumeThread(createNewThread(), function() local me = coroutine.running() "
                   "return resumeThread(me) end)"),
              "cannot resume non-suspended coroutine");
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(Coroutines, DeepNestingStopsAtTheCallLimit) {
    run("function nest(n) local co = createNewThread() return resumeThread(co, function() return nest(n + 1) "
        "end) end "
        "deep = nest(1)");
    EXPECT_NE(eval("deep").find("C stack overflow"), std::string::npos);
}

}  // namespace
}  // namespace scripttest
