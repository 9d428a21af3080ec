// The generic call adapter: arguments read by type in order, results pushed by type, exactly one
// value for every function that has a result, non-finite numbers read as 0, and strict readers
// raising their error before anything is made.
#include "script/script_call.h"

#include <gtest/gtest.h>

#include <string>

#include "script/script_registry.h"
#include "tests/script/script_fixture.h"

namespace scripttest {
namespace {

std::string describe(const std::string& text, int whole, bool flag, double number) {
    return text + "|" + std::to_string(whole) + "|" + (flag ? "T" : "F") + "|" + std::to_string(number);
}
float halve(float value) { return value / 2; }
Vec2 swapped(Vec2 v) { return Vec2{v.y, v.x}; }
std::optional<std::string> nameOrNil(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}
int g_sideEffects = 0;
void countCall(int by) { g_sideEffects += by; }
// Writes through the script's own object, as a function that fills a colour in place does.
void brighten(rgba* colour) {
    if (colour) colour->m_r = 255;
}
rgba* noColour() { return nullptr; }
bool isNull(rgba* colour) { return colour == nullptr; }

const ScriptFunctionRegistration kCalls[] = {
    {"call_describe", ScriptBinding::scriptCall<&describe>},
    {"call_halve", ScriptBinding::scriptCall<&halve>},
    {"call_swapped", ScriptBinding::scriptCall<&swapped>},
    {"call_name_or_nil", ScriptBinding::scriptCall<&nameOrNil>},
    {"call_count", ScriptBinding::scriptCall<&countCall>},
    {"call_brighten", ScriptBinding::scriptCall<&brighten>},
    {"call_no_colour", ScriptBinding::scriptCall<&noColour>},
    {"call_is_null", ScriptBinding::scriptCall<&isNull>},
};

using ScriptCall = ScriptTest;

TEST_F(ScriptCall, ReadsEachArgumentByItsTypeInOrder) {
    struct Case {
        const char* call;
        const char* expected;
    };
    const Case cases[] = {
        {"call_describe('a', 7.9, true, 2.5)", "a|7|T|2.500000"},
        {"call_describe('a', -7.9, false, 1)", "a|-7|F|1.000000"},
        // Missing or wrong arguments read as the lenient defaults: "", 0, false, 0.
        {"call_describe()", "|0|F|0.000000"},
        {"call_describe(12, '3', nil, {})", "12|3|F|0.000000"},
        // Non-finite numbers read as 0.
        {"call_describe('n', 0/0, 1, 1/0)", "n|0|T|0.000000"},
        {"call_halve(-1/0)", "0"},
        {"call_halve(5)", "2.5"},
        {"(function() local v = call_swapped(Vec2(1, 2)) return v.x .. ',' .. v.y end)()", "2,1"},
        {"(function() local v = call_swapped(Vec2(0/0, 3)) return v.x .. ',' .. v.y end)()", "3,0"},
        {"(function() local v = call_swapped(nil) return v.x .. ',' .. v.y end)()", "0,0"},
        {"call_name_or_nil('x')", "x"},
        {"call_name_or_nil('')", "nil"},
        {"call_no_colour()", "nil"},
        {"call_is_null(nil)", "true"},
        {"call_is_null(Vec2(1, 2))", "true"},
        {"(function() local c = createRGBA() c.m_r = 1 call_brighten(c) return c.m_r end)()", "255"},
    };
    for (const Case& c : cases) EXPECT_EQ(eval(c.call), c.expected) << c.call;
}

TEST_F(ScriptCall, PushesExactlyOneValueForAResultAndNoneWithout) {
    EXPECT_EQ(eval("select('#', call_name_or_nil(''))"), "1");
    EXPECT_EQ(eval("select('#', call_no_colour())"), "1");
    EXPECT_EQ(eval("select('#', call_halve(1, 2, 3))"), "1");
    g_sideEffects = 0;
    EXPECT_EQ(eval("select('#', call_count(3))"), "0");
    EXPECT_EQ(g_sideEffects, 3);
}

TEST_F(ScriptCall, StrictReadersRefuseAWrongTypeWithoutCalling) {
    g_sideEffects = 0;
    EXPECT_EQ(evalReading("call_count('many')", true),
              "bad argument #1 to 'call_count' (number expected, got string)");
    EXPECT_EQ(g_sideEffects, 0);
    // The text is read first; the error for the second argument leaves nothing behind (the
    // leak checker watches this case).
    EXPECT_EQ(evalReading("call_describe(string.rep('x', 4096), {}, true, 1)", true),
              "bad argument #2 to 'call_describe' (number expected, got table)");
}

}  // namespace
}  // namespace scripttest
