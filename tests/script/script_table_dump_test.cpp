// printTable's lines, and its end on cyclic and deep tables.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/script/script_fixture.h"

namespace scripttest {
namespace {

using TableDump = ScriptTest;

TEST_F(TableDump, NestedTableLines) {
    run("printTable({inner = {flag = true, n = 2.5, s = 'hi', f = print}})");
    std::vector<std::string> expected{"inner={", "f", "flag=true;", "n=2.5;", "s=\"hi\";", "}", ""};
    ASSERT_EQ(console.lines.size(), expected.size());
    EXPECT_EQ(console.lines[0], "inner={");
    EXPECT_EQ(console.lines[5], "}");
    EXPECT_EQ(console.lines[6], "");
    std::vector<std::string> fields(console.lines.begin() + 1, console.lines.begin() + 5);
    std::sort(fields.begin(), fields.end());
    EXPECT_EQ(fields, std::vector<std::string>(expected.begin() + 1, expected.begin() + 5));
}

TEST_F(TableDump, ARelativeIndexNamesTheSameTable) {
    run("dumped = {a = 1}");
    lua_pushnumber(L, 7);
    lua_getglobal(L, "dumped");
    lua_pushnumber(L, 8);
    dumpScriptTable(L, -2);
    const std::vector<std::string> relative = console.lines;
    console.lines.clear();
    dumpScriptTable(L, lua_gettop(L) - 1);
    EXPECT_EQ(relative, console.lines);
    EXPECT_EQ(relative, (std::vector<std::string>{"a=1;"}));
    lua_settop(L, 0);
}

TEST_F(TableDump, KeysAndSkippedNames) {
    run("printTable({[3] = false})");
    run("printTable({string = 1, _G = 2, math = 3, [true] = 4})");
    run("printTable(nil) printTable(5)");
    run("printTable({[string.rep('k', 300)] = 1})");
    ASSERT_EQ(console.lines.size(), 2u);
    EXPECT_EQ(console.lines[0], "3.0000=false;");
    EXPECT_EQ(console.lines[1], std::string(255, 'k') + "=1;");
}

TEST_F(TableDump, CyclicAndDeepTablesEnd) {
    run("t = {name = 'loop'} t.self = t printTable(t)");
    std::vector<std::string> sorted = console.lines;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"name=\"loop\";", "self"}));
    console.lines.clear();
    run("d = {} local c = d for i = 1, 100000 do c.next = {} c = c.next end printTable(d)");
    EXPECT_GT(console.lines.size(), 32u);
    EXPECT_LT(console.lines.size(), 200u);
    EXPECT_EQ(lua_gettop(L), 0);
}

}  // namespace
}  // namespace scripttest
