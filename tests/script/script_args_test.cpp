// The four readers over every kind of value, lenient and strict, and the integer readers' cuts.
#include "script/script_args.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "script/script_registry.h"
#include "tests/script/script_fixture.h"

namespace scripttest {
namespace {

int readBool(lua_State* L) {
    lua_pushstring(L, ScriptBinding::getBoolArg(L, 1) ? "true" : "false");
    return 1;
}
int readNumber(lua_State* L) {
    lua_pushnumber(L, ScriptBinding::getNumberArg(L, 1));
    return 1;
}
int readString(lua_State* L) {
    const char* text = ScriptBinding::getStringArg(L, 1);
    lua_pushstring(L, text ? text : "<null>");
    return 1;
}
int readUserdata(lua_State* L) {
    void* block = ScriptBinding::getUserdataArg(L, 1);
    lua_pushstring(L, !block ? "<null>" : block == lua_touserdata(L, 1) ? "block" : "other");
    return 1;
}

const ScriptFunctionRegistration kReaders[] = {{"readBool", readBool},
                                               {"readNumber", readNumber},
                                               {"readString", readString},
                                               {"readUserdata", readUserdata}};

struct ReaderCase {
    const char* value;
    const char* boolean[2];  // lenient, strict
    const char* number[2];
    const char* string[2];
    const char* userdata[2];
};

using Readers = ScriptTest;

TEST_F(Readers, EveryValueKindInBothModes) {
    static int marker;
    lua_pushlightuserdata(L, &marker);
    lua_setglobal(L, "light");
    const ReaderCase cases[] = {
        {"nil",
         {"false", "false"},
         {"0", "bad argument #1 to 'readNumber' (number expected, got nil)"},
         {"<null>", "bad argument #1 to 'readString' (string expected, got nil)"},
         {"<null>", "<null>"}},
        {"true",
         {"true", "true"},
         {"0", "bad argument #1 to 'readNumber' (number expected, got boolean)"},
         {"<null>", "bad argument #1 to 'readString' (string expected, got boolean)"},
         {"<null>", "bad argument #1 to 'readUserdata' (userdata expected, got boolean)"}},
        {"42.5",
         {"true", "bad argument #1 to 'readBool' (boolean expected, got number)"},
         {"42.5", "42.5"},
         {"42.5", "42.5"},
         {"<null>", "bad argument #1 to 'readUserdata' (userdata expected, got number)"}},
        {"'12.5'",
         {"true", "bad argument #1 to 'readBool' (boolean expected, got string)"},
         {"12.5", "12.5"},
         {"12.5", "12.5"},
         {"<null>", "bad argument #1 to 'readUserdata' (userdata expected, got string)"}},
        {"'abc'",
         {"true", "bad argument #1 to 'readBool' (boolean expected, got string)"},
         {"0", "bad argument #1 to 'readNumber' (number expected, got string)"},
         {"abc", "abc"},
         {"<null>", "bad argument #1 to 'readUserdata' (userdata expected, got string)"}},
        {"{}",
         {"true", "bad argument #1 to 'readBool' (boolean expected, got table)"},
         {"0", "bad argument #1 to 'readNumber' (number expected, got table)"},
         {"<null>", "bad argument #1 to 'readString' (string expected, got table)"},
         {"<null>", "bad argument #1 to 'readUserdata' (userdata expected, got table)"}},
        {"print",
         {"true", "bad argument #1 to 'readBool' (boolean expected, got function)"},
         {"0", "bad argument #1 to 'readNumber' (number expected, got function)"},
         {"<null>", "bad argument #1 to 'readString' (string expected, got function)"},
         {"<null>", "bad argument #1 to 'readUserdata' (userdata expected, got function)"}},
        {"Vec2(1, 2)",
         {"true", "bad argument #1 to 'readBool' (boolean expected, got userdata)"},
         {"0", "bad argument #1 to 'readNumber' (number expected, got userdata)"},
         {"<null>", "bad argument #1 to 'readString' (string expected, got userdata)"},
         {"block", "block"}},
        {"light",
         {"true", "bad argument #1 to 'readBool' (boolean expected, got userdata)"},
         {"0", "bad argument #1 to 'readNumber' (number expected, got userdata)"},
         {"<null>", "bad argument #1 to 'readString' (string expected, got userdata)"},
         {"block", "block"}},
    };
    for (const ReaderCase& c : cases) {
        for (int strict = 0; strict < 2; ++strict) {
            auto read = [&](const char* reader) {
                return evalReading(std::string(reader) + "(" + c.value + ")", strict == 1);
            };
            EXPECT_EQ(read("readBool"), c.boolean[strict]) << c.value << " strict " << strict;
            EXPECT_EQ(read("readNumber"), c.number[strict]) << c.value << " strict " << strict;
            EXPECT_EQ(read("readString"), c.string[strict]) << c.value << " strict " << strict;
            EXPECT_EQ(read("readUserdata"), c.userdata[strict]) << c.value << " strict " << strict;
        }
    }
}

TEST_F(Readers, ScriptSwitchesTheCheckBackAndForth) {
    EXPECT_EQ(eval("readNumber({})"), "0");
    run("enableScriptTypeCheck(true)");
    EXPECT_TRUE(ScriptBinding::strictArguments());
    EXPECT_NE(eval("readNumber({})").find("bad argument #1 to 'readNumber' (number expected, got table)"),
              std::string::npos);
    // The flag itself is read strictly now: a table is refused and nothing changes.
    EXPECT_EQ(run("enableScriptTypeCheck({})"), kScriptRunError);
    EXPECT_TRUE(ScriptBinding::strictArguments());
    run("enableScriptTypeCheck(false)");
    EXPECT_EQ(eval("readNumber({})"), "0");
    // A new state starts lenient.
    run("enableScriptTypeCheck(true)");
    closeScriptState();
    ASSERT_TRUE(startScriptState());
    L = currentScriptState();
    EXPECT_FALSE(ScriptBinding::strictArguments());
}

int intProbe(lua_State* L) {
    lua_pushfstring(L, "%d %d %d %d", ScriptBinding::getIntArg(L, 1),
                    static_cast<int>(ScriptBinding::getCharArg(L, 1)),
                    static_cast<int>(ScriptBinding::getShortArg(L, 1)),
                    static_cast<int>(static_cast<int32_t>(ScriptBinding::getUIntArg(L, 1))));
    return 1;
}

const ScriptFunctionRegistration kIntProbe("intProbe", intProbe);

TEST_F(Readers, IntegerReadersTruncateAndCut) {
    struct {
        const char* value;
        const char* expected;  // int, char, short, low 32 bits
    } cases[] = {
        {"2.9", "2 2 2 2"},
        {"-2.9", "-2 -2 -2 -2"},
        {"300", "300 44 300 300"},
        {"70000", "70000 112 4464 70000"},
        {"4294967297", "2147483647 1 1 1"},
        {"-1e300", "-2147483648 0 0 0"},
        {"0/0", "0 0 0 0"},
        {"1/0", "2147483647 -1 -1 -1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(std::string("intProbe(") + c.value + ")"), c.expected) << c.value;
}

}  // namespace
}  // namespace scripttest
