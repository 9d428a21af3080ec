// The runner: result codes, the run-file list, error reporting through _ALERT, protected calls of
// named functions, references and the global-name walk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "script/script_function.h"
#include "script/script_registry.h"
#include "tests/script/script_fixture.h"
#include "vfs/vfs_manager.h"

namespace scripttest {
namespace {

class Runner : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        testsupport::writeFile("scripts/good.lua", "good_ran = (good_ran or 0) + 1\n");
        testsupport::writeFile("scripts/broken.lua", "broken_ran = (broken_ran or 0) + 1\nthis is not lua\n");
        testsupport::writeFile("scripts/fails.lua", "error('fails on purpose')\n");
        testsupport::writeFile("scripts/empty.lua", "");
        ASSERT_TRUE(vfs.mount("filesystem", "scripts"));
    }
    VFS::VFSManager vfs;
};

// Fails every allocation above the budget, so a chunk can run out of memory.
struct Budget {
    lua_Alloc real;
    void* realData;
    size_t used = 0;
    size_t limit;
};

void* budgetAlloc(void* data, void* block, size_t oldSize, size_t newSize) {
    Budget* budget = static_cast<Budget*>(data);
    if (newSize > oldSize && budget->used + (newSize - oldSize) > budget->limit) return nullptr;
    budget->used = budget->used + newSize - (block ? oldSize : 0);
    return budget->real(budget->realData, block, oldSize, newSize);
}

TEST_F(Runner, ResultCodes) {
    EXPECT_EQ(run("x = 1"), kScriptOk);
    EXPECT_EQ(run("error('boom')"), kScriptRunError);
    EXPECT_EQ(run("x = "), kScriptSyntaxError);
    EXPECT_EQ(runScriptBuffer(nullptr, 0, nullptr), kScriptSyntaxError);
    EXPECT_EQ(run("\x1bLua\x51"), kScriptSyntaxError);  // precompiled chunks are refused
    EXPECT_EQ(runScriptFile(nullptr), kScriptNoName);
    EXPECT_EQ(runScriptFile("missing.lua"), kScriptNoFile);
    EXPECT_TRUE(log.lines("ERROR").size() == 3u);  // the missing file is the caller's to report

    Budget budget{nullptr, nullptr, 0, 0};
    budget.real = lua_getallocf(L, &budget.realData);
    budget.limit = static_cast<size_t>(lua_gc(L, LUA_GCCOUNT, 0)) * 1024 + (1 << 20);
    budget.used = static_cast<size_t>(lua_gc(L, LUA_GCCOUNT, 0)) * 1024 + lua_gc(L, LUA_GCCOUNTB, 0);
    lua_setallocf(L, budgetAlloc, &budget);
    EXPECT_EQ(run("local t = {} for i = 1, 1e7 do t[i] = {} end"), kScriptFailure);
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_setallocf(L, budget.real, budget.realData);
    EXPECT_EQ(run("x = 2"), kScriptOk);
}

TEST_F(Runner, ErrorsReachTheConsoleAndTheLog) {
    EXPECT_EQ(run("error('first')"), kScriptRunError);
    ASSERT_EQ(console.lines.size(), 1u);
    EXPECT_EQ(console.lines[0], "[string \"test\"]:1: first");
    ASSERT_EQ(log.lines("ERROR").size(), 1u);
    EXPECT_NE(log.lines("ERROR")[0].find("\tERROR\t[string \"test\"]:1: first"), std::string::npos);
    // Error objects that are not strings are described.
    run("error({})");
    EXPECT_EQ(console.lines.back(), "(error object is a table value)");
    // A number (level 0 keeps it one) is written as Lua writes numbers.
    run("error(42.5, 0)");
    EXPECT_EQ(console.lines.back(), "42.5");
}

TEST_F(Runner, AlertFunctionNonFunctionAndFailingAlert) {
    run("seen = {} function _ALERT(m) seen[#seen + 1] = m end");
    run("error('one')");
    run("x = ");
    EXPECT_EQ(eval("#seen"), "2");
    EXPECT_EQ(eval("seen[1]"), "[string \"test\"]:1: one");
    EXPECT_TRUE(console.lines.empty());

    run("_ALERT = 5");
    testing::internal::CaptureStderr();
    EXPECT_EQ(run("error('two')"), kScriptRunError);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[string \"test\"]:1: two\n");

    run("function _ALERT(m) error('alert broke') end");
    testing::internal::CaptureStderr();
    EXPECT_EQ(run("error('three')"), kScriptRunError);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("three"), std::string::npos);
    EXPECT_NE(err.find("alert broke"), std::string::npos);
    EXPECT_EQ(log.lines("ERROR").size(), 1u);
    EXPECT_EQ(run("y = 1"), kScriptOk);
}

TEST_F(Runner, RunFileListRecordsOnceInOrder) {
    size_t before = scriptRunFiles().size();
    EXPECT_EQ(runScriptFile("good.lua"), kScriptOk);
    EXPECT_EQ(runScriptFile("broken.lua"), kScriptSyntaxError);
    EXPECT_EQ(runScriptFile("fails.lua"), kScriptRunError);
    EXPECT_EQ(runScriptFile("empty.lua"), kScriptOk);
    EXPECT_EQ(runScriptFile("good.lua"), kScriptOk);
    EXPECT_EQ(runScriptFile("missing.lua"), kScriptNoFile);
    const auto& files = scriptRunFiles();
    ASSERT_EQ(files.size(), before + 4);
    EXPECT_EQ(files[before], "good.lua");
    EXPECT_EQ(files[before + 1], "broken.lua");
    EXPECT_EQ(files[before + 3], "empty.lua");
    // A syntax error is recorded and runs again; the file is only recompiled when it parses.
    EXPECT_FALSE(recompileAllScriptFiles());
    EXPECT_EQ(eval("good_ran"), "3");
    EXPECT_EQ(eval("compileScriptFile('good.lua')"), "1");
    EXPECT_EQ(eval("compileScriptFile('fails.lua')"), "0");
    EXPECT_EQ(eval("recompileScriptFiles()"), "0");
    EXPECT_EQ(scriptRunFiles().size(), before + 4);
}

TEST_F(Runner, ThreeHundredDistinctFilesAreKept) {
    size_t before = scriptRunFiles().size();
    for (int i = 0; i < 300; ++i)
        testsupport::writeFile("many/f" + std::to_string(i) + ".lua", "count = (count or 0) + 1");
    ASSERT_TRUE(vfs.mount("filesystem", "many"));
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(runScriptFile(("f" + std::to_string(i) + ".lua").c_str()), kScriptOk);
    ASSERT_EQ(scriptRunFiles().size(), before + 300);
    EXPECT_EQ(scriptRunFiles()[before + 299], "f299.lua");
    EXPECT_EQ(eval("count"), "300");
}

TEST_F(Runner, CompileScriptFileWithoutNameTriesSomeFile) {
    EXPECT_EQ(eval("compileScriptFile()"), "0");
    testsupport::writeFile("scripts/SomeFile", "some_ran = true");
    ASSERT_TRUE(vfs.rescan("scripts"));
    EXPECT_EQ(eval("compileScriptFile()"), "1");
    EXPECT_EQ(eval("some_ran"), "true");
}

TEST_F(Runner, ExecStringCodes) {
    EXPECT_EQ(eval("exec_string('z = 3')"), "0");
    EXPECT_EQ(eval("z"), "3");
    EXPECT_EQ(eval("exec_string('if then')"), "2");
    EXPECT_EQ(eval("exec_string('error(1)')"), "1");
    EXPECT_EQ(eval("exec_string()"), "2");
    EXPECT_EQ(eval("exec_string('')"), "0");
}

TEST_F(Runner, CallFuncByNameReportsCallOfNil) {
    run("function hello() greeted = true end");
    run("callFuncByName('hello')");
    EXPECT_EQ(eval("greeted"), "true");
    run("callFuncByName('undefined_function')");
    ASSERT_EQ(console.lines.size(), 1u);
    EXPECT_EQ(console.lines[0], "attempt to call a nil value");
}

int nativeCount = 0;
int countedNative(lua_State* L) {
    ++nativeCount;
    lua_pushnumber(L, ScriptBinding::getNumberArg(L, 1) + ScriptBinding::getNumberArg(L, 2));
    return 1;
}
const ScriptFunctionRegistration kCounted("countedNative", countedNative);

TEST_F(Runner, StackTopUnchangedAfterManyRunsAndCalls) {
    lua_pushstring(L, "sentinel");
    int top = lua_gettop(L);
    for (int i = 0; i < 10000; ++i) {
        run(i % 100 == 0 ? "error('e')" : "return 1, 2, 3");
        ASSERT_EQ(lua_gettop(L), top);
    }
    run("function hook(a, b) return countedNative(a, b) end");
    script::Function<void> hook;
    script::Function<int> sum;
    nativeCount = 0;
    for (int i = 0; i < 10000; ++i) {
        hook.bind("hook");
        ASSERT_EQ(hook(i, 2.0), 0);
        hook.release();
        int result = 0;
        sum.bind("countedNative");
        ASSERT_TRUE(sum.call(result, i, 1));
        ASSERT_EQ(result, i + 1);
        ASSERT_EQ(lua_gettop(L), top);
    }
    EXPECT_EQ(nativeCount, 20000);
    EXPECT_STREQ(lua_tostring(L, -1), "sentinel");
}

TEST_F(Runner, NamedFunctionsAndReferences) {
    script::Function<void> missing;
    missing.bind("no_such_function");
    EXPECT_FALSE(missing.isBound());
    EXPECT_EQ(missing(), 0);
    EXPECT_TRUE(console.lines.empty());
    run("function fails() error('hook failed') end");
    script::Function<void> fails;
    fails.bind("fails");
    EXPECT_NE(fails(), 0);
    EXPECT_EQ(console.lines.size(), 1u);
    // A handle outliving its state is left alone.
    closeScriptState();
    EXPECT_FALSE(fails.isBound());
    ASSERT_TRUE(startScriptState());
    L = currentScriptState();

    run("answer = 42");
    int ref = ScriptBinding::refGlobal("answer");
    int copy = ScriptBinding::copyRef(ref);
    ScriptBinding::unref(ref);
    ScriptBinding::pushRef(copy);
    EXPECT_EQ(lua_tonumber(L, -1), 42);
    ScriptBinding::unref(copy);
    ScriptBinding::clearStack();
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(ScriptBinding::refGlobal(nullptr), -1);
    EXPECT_EQ(ScriptBinding::refGlobal("undefined"), -1);
    EXPECT_EQ(lua_gettop(L), 0);  // the nil it found is not left behind
}

TEST_F(Runner, GlobalNameWalk) {
    run("walk_a = 1; walk_b = 2; _G[5] = 3");
    int found = 0, total = 0;
    for (const char* name = ScriptBinding::topGlobalName(); name; name = ScriptBinding::globalNameOf()) {
        ++total;
        if (std::string(name) == "walk_a" || std::string(name) == "walk_b") ++found;
    }
    EXPECT_EQ(found, 2);
    EXPECT_GT(total, 30);
    // Each string-named global once.
    run("string_globals = 0 for k in pairs(_G) do if type(k) == 'string' then string_globals = string_globals + 1 end end");
    lua_getglobal(L, "string_globals");
    const int expected = static_cast<int>(lua_tonumber(L, -1));
    lua_pop(L, 1);
    EXPECT_EQ(total + 1, expected);  // string_globals itself is new
    // A walk that ended forgets its place: the next step starts over.
    EXPECT_NE(ScriptBinding::globalNameOf(), nullptr);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(lua_gettop(L), 0);
    // Removing the remembered name ends the walk instead of failing.
    const char* first = ScriptBinding::topGlobalName();
    ASSERT_NE(first, nullptr);
    lua_pushnil(L);
    lua_setglobal(L, first);
    lua_gc(L, LUA_GCCOLLECT, 0);
    for (int i = 0; i < 1000 && ScriptBinding::globalNameOf(); ++i) {
    }
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST(ScriptConstants, LaterRegistrationWins) {
    addScriptConstant("TEST_CONSTANT", 1);
    addScriptConstant("TEST_CONSTANT", 2);
    ASSERT_TRUE(startScriptState());
    lua_getglobal(currentScriptState(), "TEST_CONSTANT");
    EXPECT_EQ(lua_tonumber(currentScriptState(), -1), 2);
    closeScriptState();
    EXPECT_EQ(currentScriptState(), nullptr);
    EXPECT_EQ(runScriptBuffer("x = 1", 0, nullptr), kScriptFailure);
}

TEST(ScriptLibraries, EightStandardLibrariesAreOpen) {
    ASSERT_TRUE(startScriptState());
    lua_State* L = currentScriptState();
    for (const char* name :
         {"package", "table", "io", "os", "string", "math", "debug", "coroutine", "print"}) {
        lua_getglobal(L, name);
        EXPECT_FALSE(lua_isnil(L, -1)) << name;
        lua_pop(L, 1);
    }
    closeScriptState();
}

}  // namespace
}  // namespace scripttest
