// Vec2, Vec3 and rgba as scripts see them.
#include "script/value_types.h"

#include <gtest/gtest.h>

#include "script/script_args.h"
#include "tests/script/script_fixture.h"

namespace scripttest {
namespace {

using ValueTypes = ScriptTest;

TEST_F(ValueTypes, VectorCases) {
    struct {
        const char* expression;
        const char* expected;
    } cases[] = {
        {"(function() local v = Vec2(0, 0) v:norm() return v.x .. ',' .. v.y end)()", "1,0"},
        {"Vec2(3, 4):len()", "5"},
        {"(function() local v = Vec2(3, 4) v:norm() return v.x .. ',' .. v.y end)()",
         "0.60000002384186,0.80000001192093"},
        {"(function() local v = Vec3(0, 0, 0) v:norm() return v.x .. ',' .. v.y .. ',' .. v.z end)()",
         "0,0,0"},
        {"(function() local v = Vec3(0, 3, 4) v:norm() return v.y .. ',' .. v.z end)()",
         "0.60000002384186,0.80000001192093"},
        {"(function() local v = Vec3(1, 2, 3) - Vec3(1, 1, 1) return v.x .. ',' .. v.y .. ',' .. v.z end)()",
         "0,1,2"},
        {"(function() local v = Vec2(1, 2) + Vec2(10, 20) return v.x .. ',' .. v.y end)()", "11,22"},
        {"(function() local a = Vec2(1, 2) local b = Vec2Copy(a) b.x = 7 return a.x .. ',' .. b.x end)()",
         "1,7"},
        {"(function() local a = Vec3(1, 2, 3) local b = Vec3Copy(a) b.z = 9 return a.z .. ',' .. b.z end)()",
         "3,9"},
        {"(function() local v = Vec2(1e300, -1e300) return v.x .. ',' .. v.y end)()", "inf,-inf"},
        {"Vec2(1, 2).z", "nil"},
    };
    for (const auto& c : cases) EXPECT_EQ(eval(c.expression), c.expected) << c.expression;
}

TEST_F(ValueTypes, ColourComponentsKeepTheLowByte) {
    EXPECT_EQ(eval("(function() local c = createRGBA() return c.m_r .. c.m_g .. c.m_b .. c.m_a end)()"),
              "255255255255");
    EXPECT_EQ(
        eval("(function() local c = createRGBA() c.m_r = 300 c.m_g = -1 c.m_b = 2.9 return c.m_r .. ',' .. "
             "c.m_g .. ',' .. c.m_b end)()"),
        "44,255,2");
}

TEST_F(ValueTypes, MissingOrForeignOperands) {
    struct {
        const char* expression;
        const char* lenient;
        const char* strict;
    } cases[] = {
        {"Vec2(1, 2) + 5", "nil", "bad argument #2 to '?' (Vec2 expected, got number)"},
        {"Vec3(1, 2, 3) - Vec2(1, 2)", "nil", "bad argument #2 to '?' (Vec3 expected, got Vec2)"},
        {"Vec2Copy()", "nil", "nil"},
        {"Vec2Copy(createRGBA())", "nil", "bad argument #1 to 'Vec2Copy' (Vec2 expected, got rgba)"},
        {"Vec2(0, 0).len(Vec3(1, 2, 3))", "nil", "bad argument #1 to 'len' (Vec2 expected, got Vec3)"},
        {"Vec2('a', {})", "userdata", "bad argument #1 to 'Vec2' (number expected, got string)"},
    };
    for (const auto& c : cases) {
        std::string lenient = evalReading(c.expression, false);
        EXPECT_EQ(lenient.substr(0, std::string(c.lenient).size()), c.lenient) << c.expression;
        EXPECT_EQ(evalReading(c.expression, true), c.strict) << c.expression;
    }
}

TEST_F(ValueTypes, IsNullIsTrueForEverythingButUserdata) {
    EXPECT_EQ(eval("isNull(nil)"), "true");
    EXPECT_EQ(eval("isNull(0)"), "true");
    EXPECT_EQ(eval("isNull({})"), "true");
    EXPECT_EQ(eval("isNull(Vec2(0, 0))"), "false");
    EXPECT_EQ(eval("isNull(io.stdout)"), "false");
    EXPECT_EQ(eval("import_class('A', 'B')"), "false");
}

}  // namespace
}  // namespace scripttest
