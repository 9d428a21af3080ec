#include "core/math_utils.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(MathTables, SineAndCosinePerDegree) {
    initSinCosTables();
    EXPECT_EQ(g_sinTable[90], 1.0f);
    EXPECT_NEAR(g_cosTable[90], 0.0f, 1e-7f);
    EXPECT_EQ(g_sinTable[0], 0.0f);
    EXPECT_EQ(g_cosTable[0], 1.0f);
    EXPECT_NEAR(g_sinTable[30], 0.5f, 1e-6f);
    EXPECT_NEAR(g_sinTable[270], -1.0f, 1e-6f);
    EXPECT_NEAR(g_cosTable[180], -1.0f, 1e-6f);
}

TEST(MathVectors, NormaliseCopyAndBasics) {
    Vector3 zero;
    EXPECT_EQ(normalizeVector3(zero), 0.0f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    Vector3 v(3, 0, 4);
    EXPECT_FLOAT_EQ(normalizeVector3(v), 5.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    Vector3 c;
    copyVector3(c, v);
    EXPECT_EQ(c.x, v.x);

    const Vector3 x(1, 0, 0), y(0, 1, 0);
    const Vector3 z = x.cross(y);
    EXPECT_EQ(z.z, 1.0f);
    EXPECT_FLOAT_EQ(angleBetween(x, y), 3.14159265f / 2);
    EXPECT_EQ(angleBetween(x, Vector3()), 0.0f);
    EXPECT_FLOAT_EQ(angleXY(Vector3(0, -1, 0)), -3.14159265f / 2);
    EXPECT_EQ(angleXZ(Vector3(0, 5, 0)), 0.0f);
    EXPECT_TRUE(Vector3(1e-7f, 0, 0).isZero());
    EXPECT_EQ(Vector4(x), Vector4(1, 0, 0, 1));
    EXPECT_NE(Vector4(NAN, 0, 0, 1), Vector4(NAN, 0, 0, 1));
}

TEST(MathColours, PackWithRounding) {
    EXPECT_EQ(colorToARGB({1, 0, 0, 1}), 0xFFFF0000u);
    EXPECT_EQ(colorToARGB({0.5f, 0.5f, 0.5f, 0.5f}), 0x80808080u);
    EXPECT_EQ(colorToARGB({0, 0, 1, 0}), 0x000000FFu);
    EXPECT_EQ(colorToRGBA({1, 0, 0, 1}), 0xFF0000FFu);
    EXPECT_EQ(colorToRGBA({0.5f, 0.5f, 0.5f, 0.5f}), 0x80808080u);
}

// Channels outside 0..1 (a fade overshooting, a script's 2.0) pack as the nearest end, never wrapped.
TEST(MathColours, OutOfRangeChannelsClampToTheEnds) {
    const struct {
        float value;
        uint32_t byte;
    } cases[] = {{1.002f, 0xFF}, {2.0f, 0xFF}, {1e30f, 0xFF}, {INFINITY, 0xFF}, {-0.1f, 0x00},
                 {-1e30f, 0x00}, {-INFINITY, 0x00}, {NAN, 0x00}, {0.999f, 0xFF}, {0.0f, 0x00}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(colorToARGB({c.value, 0.5f, 0, 1}), 0xFF000000u | c.byte << 16 | 0x8000u);
        EXPECT_EQ(colorToARGB({0, 0, 0, c.value}), c.byte << 24);
        EXPECT_EQ(colorToRGBA({0, 0, c.value, 1}), c.byte << 8 | 0xFFu);
        EXPECT_EQ(colorToRGBA({c.value, 0, 0, 0}), c.byte << 24);
    }
}

TEST(MathPlane, AreasAndHitTests) {
    const float a[3] = {0, 0, 0}, b[3] = {4, 0, 0}, c[3] = {0, 3, 0};
    EXPECT_FLOAT_EQ(triangleArea(a, b, c), 6.0f);
    EXPECT_EQ(triangleArea(nullptr, b, c), 0.0f);
    const float inside[3] = {1, 1, 0}, outside[3] = {5, 5, 0};
    EXPECT_TRUE(pointInTriangle(inside, a, b, c));
    EXPECT_FALSE(pointInTriangle(outside, a, b, c));
    EXPECT_FALSE(pointInTriangle(nullptr, a, b, c));

    // A square in the x/z plane, and a concave "U" shape.
    const std::vector<Vector3> square = {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}};
    const std::vector<Vector3> u = {{0, 0, 0}, {9, 0, 0}, {9, 0, 9}, {6, 0, 9}, {6, 0, 3}, {3, 0, 3}, {3, 0, 9}, {0, 0, 9}};
    const struct {
        const std::vector<Vector3>* polygon;
        Vector3 point;
        bool inside;
    } cases[] = {
        {&square, {5, 0, 5}, true},   {&square, {-1, 0, 5}, false}, {&square, {5, 0, 11}, false},
        {&u, {1, 0, 6}, true},        {&u, {4.5f, 0, 6}, false},    {&u, {4.5f, 0, 1}, true},
    };
    for (const auto& t : cases) {
        EXPECT_EQ(pointInPolygon(t.point, *t.polygon), t.inside) << t.point.x << "," << t.point.z;
        EXPECT_EQ(crossingTestXZ(t.point, *t.polygon), t.inside);
    }
    EXPECT_FALSE(pointInPolygon({0, 0, 0}, {}));
    EXPECT_FALSE(crossingTestXZ({0, 0, 0}, {}));

    Vector2 hit;
    EXPECT_TRUE(segmentIntersection({0, 0}, {2, 2}, {0, 2}, {2, 0}, hit));
    EXPECT_FLOAT_EQ(hit.x, 1.0f);
    EXPECT_FLOAT_EQ(hit.y, 1.0f);
    EXPECT_FALSE(segmentIntersection({0, 0}, {1, 1}, {0, 1}, {1, 2}, hit));  // parallel
    EXPECT_FALSE(segmentIntersection({0, 0}, {1, 1}, {3, 0}, {2, 1}, hit));  // lines meet outside
    EXPECT_FLOAT_EQ(distanceToLine({0, 0}, {10, 0}, {5, 3}), 3.0f);
    EXPECT_EQ(distanceToLine({1, 1}, {1, 1}, {5, 3}), 0.0f);

    const std::vector<Vector2> line = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    std::vector<Vector2> near;
    EXPECT_TRUE(nearPoints(line, {{2, 0.5f}}, 0.6f, false, near));
    ASSERT_EQ(near.size(), 1u);
    EXPECT_TRUE(nearPoints(line, {{2, 0.5f}}, 0.6f, true, near));
    ASSERT_EQ(near.size(), 3u);
    EXPECT_EQ(near[0].x, 1.0f);
    EXPECT_EQ(near[2].x, 3.0f);
    EXPECT_FALSE(nearPoints(line, {{9, 9}}, 0.6f, true, near));
}

TEST(MathAngles, WrapArcsAndEase) {
    const float twoPi = 6.2831855f;
    const std::pair<float, float> wraps[] = {{-1.0f, twoPi - 1.0f}, {twoPi + 1.0f, 1.0f}, {twoPi, 0.0f}, {1.0f, 1.0f}};
    for (auto [in, out] : wraps) EXPECT_NEAR(wrapAngle(in), out, 1e-5f);
    float huge = 1e30f;
    wrapAngle(huge);  // ends
    EXPECT_GE(huge, 0.0f);
    EXPECT_LE(huge, twoPi);

    float d1 = -1, d2 = -1;
    arcDistances(1.0f, 2.0f, d1, d2);
    EXPECT_FLOAT_EQ(d1, 1.0f);
    EXPECT_FLOAT_EQ(d2, twoPi - 1.0f);
    arcDistances(3.0f, 3.0f, d1, d2);
    EXPECT_FLOAT_EQ(d1, 1.0f);  // untouched

    EXPECT_NEAR(easeCurve(0.0f, 0.25f, 0.75f), 0.0f, 1e-6f);
    EXPECT_NEAR(easeCurve(1.0f, 0.25f, 0.75f), 1.0f, 1e-6f);
    EXPECT_NEAR(easeCurve(0.5f, 0.25f, 0.75f), 0.5f, 1e-6f);
    EXPECT_EQ(roundToEven(2.5f), 2.0f);
    EXPECT_EQ(roundToEven(3.5f), 4.0f);
}

}  // namespace
