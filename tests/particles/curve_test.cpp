#include <gtest/gtest.h>

#include <cmath>

#include "core/attr_xml.h"
#include "particles/curve.h"

namespace {

using particle::Curve;
using particle::CurveCursor;

Curve make(std::initializer_list<std::pair<float, float>> points) {
    Curve c;
    for (const auto& [t, v] : points) c.append(t, v);
    return c;
}

struct EvalCase {
    const char* what;
    Curve curve;
    float p;
    float expected;
};

TEST(Curve, EvaluationTable) {
    const Curve ramp = make({{0, 0}, {50, 1}, {100, 3}});
    const Curve late = make({{20, 5}, {80, 9}});
    const Curve step = make({{0, 1}, {50, 1}, {50, 4}, {100, 4}});
    const EvalCase cases[] = {
        {"start of a ramp", ramp, 0, 0},
        {"inside the first segment", ramp, 25, 0.5f},
        {"a point's own time", ramp, 50, 1},
        {"inside the second segment", ramp, 75, 2},
        {"end", ramp, 100, 3},
        {"past the end takes the last value", ramp, 150, 3},
        {"before the first time takes value 0", late, 10, 5},
        {"no segment, below the last time", late, -5, 5},
        {"one point is constant", make({{30, 7}}), 0, 7},
        {"one point is constant after it", make({{30, 7}}), 99, 7},
        {"equal times make a step, no infinity", step, 50, 1},
        {"after a step", step, 75, 4},
        {"no points is zero", Curve(), 42, 0},
    };
    for (const EvalCase& c : cases) {
        const float got = c.curve.evaluate(c.p);
        EXPECT_TRUE(std::isfinite(got)) << c.what;
        EXPECT_NEAR(got, c.expected, 1e-5f) << c.what;
    }
    EXPECT_EQ(step.points[2].slope, 0.0f);
    EXPECT_EQ(ramp.points[0].slope, 0.0f);
    EXPECT_FLOAT_EQ(ramp.points[2].slope, 0.04f);
}

TEST(Curve, CursorSegments) {
    const Curve c = make({{0, 0}, {25, 10}, {25, 20}, {100, 50}});
    CurveCursor cursor;
    ASSERT_TRUE(cursor.startSegment(c, 0, 4.0f));
    EXPECT_FLOAT_EQ(cursor.value, 0);
    EXPECT_FLOAT_EQ(cursor.duration, 1.0f);  // 25 % of 4 s
    EXPECT_FLOAT_EQ(cursor.rate, 10.0f);
    EXPECT_EQ(cursor.next, 1u);

    // Equal times: a segment without duration and without rate.
    ASSERT_TRUE(cursor.startSegment(c, 1, 4.0f));
    EXPECT_EQ(cursor.duration, 0.0f);
    EXPECT_EQ(cursor.rate, 0.0f);
    EXPECT_EQ(cursor.next, 2u);

    // The last point has no segment: the cursor stays as it was.
    EXPECT_FALSE(cursor.startSegment(c, 3, 4.0f));
    EXPECT_EQ(cursor.next, 2u);

    // A life of 0 gives no duration and no division by zero.
    ASSERT_TRUE(cursor.startSegment(c, 2, 0.0f));
    EXPECT_EQ(cursor.duration, 0.0f);
    EXPECT_EQ(cursor.rate, 0.0f);

    CurveCursor none;
    EXPECT_FALSE(none.startSegment(make({{0, 3}}), 0, 1.0f));
    EXPECT_FALSE(none.startSegment(Curve(), 0, 1.0f));
}

TEST(Curve, ReadingKeepsSixteenPoints) {
    std::string xml = "<?xml version=\"1.0\" ?><root><object name=\"Size\">";
    for (int i = 0; i < 20; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "k%02d", i);
        xml += std::string("<object name=\"") + key + "\"><float name=\"elapsedTime\" value=\"" +
               std::to_string(i * 5) + "\" /><integer name=\"value\" value=\"" + std::to_string(i) + "\" /></object>";
    }
    xml += "</object></root>";
    Curve c;
    c.read(Attr::parseDocument(xml.c_str()));
    ASSERT_EQ(c.count, 16u);
    EXPECT_FLOAT_EQ(c.points[15].time, 75);
    EXPECT_FLOAT_EQ(c.points[15].value, 15);  // integers are read as numbers too
    EXPECT_FLOAT_EQ(c.points[15].slope, 0.2f);

    Curve empty;
    empty.read(Attr::AttributePtr());
    EXPECT_EQ(empty.count, 0u);
}

}  // namespace
