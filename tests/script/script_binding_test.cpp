// The binding table: build order, inheritance, properties, unknown names, null and stale handles,
// wrong classes, and collectors of script-owned copies.
#include "script/script_binding.h"

#include <gtest/gtest.h>

#include "script/script_args.h"
#include "script/value_types.h"
#include "tests/script/script_fixture.h"
#include "tests/script/test_classes.h"

namespace scripttest {
namespace {

using ScriptBinding::ClassDescriptor;

void setGlobalObject(lua_State* L, const char* name, TestBase* object) {
    ScriptBinding::push(L, object);
    lua_setglobal(L, name);
}

void setGlobalDerived(lua_State* L, const char* name, TestDerived* object) {
    ScriptBinding::push(L, object);
    lua_setglobal(L, name);
}

using Binding = ScriptTest;

TEST_F(Binding, ClassesAreBuiltInNameOrder) {
    static ClassDescriptor level;
    ScriptBinding::registerClass(&level, "BaseLevel", nullptr, 0, 0, &ScriptBinding::allocateCopy);
    const auto& classes = ScriptBinding::registeredClasses();
    for (size_t i = 1; i < classes.size(); ++i)
        EXPECT_LT(std::string(classes[i - 1]->name), classes[i]->name);
    // Registering a name twice keeps the first descriptor.
    static ClassDescriptor second;
    const size_t errors = log.lines("ERROR").size();
    ScriptBinding::registerClass(&second, "BaseLevel", nullptr, 0, 0, nullptr);
    EXPECT_EQ(ScriptBinding::findClass("BaseLevel"), &level);
    ASSERT_EQ(log.lines("ERROR").size(), errors + 1);
    EXPECT_NE(log.lines("ERROR").back().find("class BaseLevel is already registered"), std::string::npos);
    // The same descriptor again is no error.
    ScriptBinding::registerClass(&level, "BaseLevel", nullptr, 0, 0, &ScriptBinding::allocateCopy);
    EXPECT_EQ(log.lines("ERROR").size(), errors + 1);
    // References are taken in build order.
    closeScriptState();
    ASSERT_TRUE(startScriptState());
    L = currentScriptState();
    EXPECT_LT(level.methodTable, Vec3::scriptClass()->methodTable);
}

TEST_F(Binding, ClassRegisteredAfterStartIsBuiltOnFirstPush) {
    struct Late {
        float v = 2.5f;
        static ClassDescriptor* scriptClass() {
            static ClassDescriptor cls;
            static ClassDescriptor* registered =
                ScriptBinding::defineClass<Late>(cls, "TestLate", nullptr, [](ClassDescriptor* c) {
                    ScriptBinding::addProperty(
                        c, "v", [](lua_State* L, void* o) { lua_pushnumber(L, static_cast<Late*>(o)->v); },
                        nullptr);
                });
            return registered;
        }
    };
    Late late;
    ScriptBinding::push(L, &late);
    lua_setglobal(L, "late");
    EXPECT_EQ(eval("late.v"), "2.5");
}

TEST_F(Binding, SubclassAnswersBaseMethodsAndOverrides) {
    TestDerived derived;
    derived.value = 21;
    derived.extra = 5;
    setGlobalDerived(L, "d", &derived);
    EXPECT_EQ(eval("d:twice()"), "42");
    EXPECT_EQ(eval("d:describe()"), "derived");
    EXPECT_EQ(eval("d.extra"), "5");
    TestBase base;
    setGlobalObject(L, "b", &base);
    EXPECT_EQ(eval("b:describe()"), "base");
    EXPECT_EQ(eval("b.extra"), "nil");
}

TEST_F(Binding, PropertyGetterRunsOncePerRead) {
    TestBase object;
    object.value = 7;
    setGlobalObject(L, "o", &object);
    TestBase::getterCalls = 0;
    EXPECT_EQ(eval("o.value"), "7");
    EXPECT_EQ(TestBase::getterCalls, 1);
    EXPECT_EQ(eval("(function() o.value = 9; return o.value + o.value end)()"), "18");
    EXPECT_EQ(TestBase::getterCalls, 3);
    EXPECT_EQ(object.value, 9);
}

TEST_F(Binding, UnknownNamesReadNilAndWritesAreRefused) {
    TestBase object;
    setGlobalObject(L, "o", &object);
    EXPECT_EQ(eval("o.nothing"), "nil");
    EXPECT_NE(eval("(function() o.nothing = 1 end)()").find(":1: TestBase has no property 'nothing'"),
              std::string::npos);
    EXPECT_EQ(eval("o.nothing"), "nil");
    EXPECT_NE(eval("(function() o.twice = 1 end)()").find("TestBase has no property 'twice'"),
              std::string::npos);
    TestDerived derived;
    setGlobalDerived(L, "d", &derived);
    EXPECT_NE(eval("(function() d.extra = 1 end)()").find("property 'extra' of TestDerived is read-only"),
              std::string::npos);
}

TEST_F(Binding, NullPointerArrivesAsNil) {
    setGlobalObject(L, "o", nullptr);
    EXPECT_EQ(eval("o"), "nil");
    EXPECT_EQ(eval("isNull(o)"), "true");
}

TEST_F(Binding, CollectedCopyRunsItsCollectorOnce) {
    Collected::destroyed = 0;
    {
        Collected value;
        value.payload = 3;
        ScriptBinding::pushCopy(L, value);
        lua_setglobal(L, "c");
    }
    EXPECT_EQ(Collected::destroyed, 1);  // the local above
    EXPECT_EQ(eval("c.payload"), "3");
    run("c = nil; collectgarbage(); collectgarbage()");
    EXPECT_EQ(Collected::destroyed, 2);
    closeScriptState();
    EXPECT_EQ(Collected::destroyed, 2);
    ASSERT_TRUE(startScriptState());
    L = currentScriptState();
}

TEST_F(Binding, WrongClassAndStaleHandles) {
    TestBase base;
    setGlobalObject(L, "b", &base);
    lua_pushlightuserdata(L, &base);
    lua_setglobal(L, "light");
    {
        TestDerived gone;
        gone.value = 4;
        setGlobalDerived(L, "stale", &gone);
        EXPECT_EQ(eval("stale.value"), "4");
    }
    struct Case {
        const char* call;
        const char* lenient;
        const char* strict;
    } cases[] = {
        {"b.twice(Vec2(1, 2))", "nil", "bad argument #1 to 'twice' (TestBase expected, got Vec2)"},
        {"stale:twice()", "nil", "nil"},
        {"stale.value", "nil", "nil"},
        {"b.twice({})", "nil", "bad argument #1 to 'twice' (TestBase expected, got table)"},
        {"b.twice(light)", "nil", "bad argument #1 to 'twice' (TestBase expected, got userdata)"},
        {"b.twice(io.stdout)", "nil", "bad argument #1 to 'twice' (TestBase expected, got userdata)"},
        {"b.twice(nil)", "nil", "nil"},
        {"b.twice(b)", "0", "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(evalReading(c.call, false), c.lenient) << c.call;
        EXPECT_EQ(evalReading(c.call, true), c.strict) << c.call;
    }
    EXPECT_NE(eval("(function() stale.value = 1 end)()").find("no longer exists"), std::string::npos);
    EXPECT_EQ(eval("isNull(stale)"), "false");
}

TEST_F(Binding, ForeignMetatableNeverReachesAGetter) {
    // A script may hand a class's metatable to other values; getters only see their own class.
    TestBase base;
    base.value = 6;
    setGlobalObject(L, "b", &base);
    EXPECT_EQ(eval("(function() local v = Vec2(1, 2); debug.setmetatable(v, getmetatable(b)); return v.value "
                   "end)()"),
              "nil");
    EXPECT_EQ(eval("(function() debug.setmetatable(5, getmetatable(b)); local n = 5; return n.value end)()"),
              "nil");
    run("debug.setmetatable(5, nil)");
}

}  // namespace
}  // namespace scripttest
