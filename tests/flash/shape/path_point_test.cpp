// The path point test on exact outlines, curves included.
#include <gtest/gtest.h>

#include "flash/shape/path.h"

namespace {

flash::path square40() {
    flash::path p(1, 0, 0, -20.0f, -20.0f);
    p.m_edges.push_back(flash::edge(20, -20, 20, -20));
    p.m_edges.push_back(flash::edge(20, 20, 20, 20));
    p.m_edges.push_back(flash::edge(-20, 20, -20, 20));
    p.m_edges.push_back(flash::edge(-20, -20, -20, -20));
    return p;
}

// Two curves from (-100, 0) to (100, 0) bulging up and down.
flash::path lens() {
    flash::path p(1, 0, 0, -100.0f, 0.0f);
    p.m_edges.push_back(flash::edge(0, -100, 100, 0));
    p.m_edges.push_back(flash::edge(0, 100, -100, 0));
    return p;
}

// A diamond whose left and right vertices are at y = 0.
flash::path diamond() {
    flash::path p(1, 0, 0, 0.0f, -50.0f);
    p.m_edges.push_back(flash::edge(50, 0, 50, 0));
    p.m_edges.push_back(flash::edge(0, 50, 0, 50));
    p.m_edges.push_back(flash::edge(-50, 0, -50, 0));
    p.m_edges.push_back(flash::edge(0, -50, 0, -50));
    return p;
}

// A triangle whose bottom side is a curve with its control at mid height in y (A = 0).
flash::path flat_in_y_curve() {
    flash::path p(1, 0, 0, 0.0f, 0.0f);
    p.m_edges.push_back(flash::edge(100, 50, 0, 100));  // y(t) is linear: one root
    p.m_edges.push_back(flash::edge(0, 0, 0, 0));
    return p;
}

TEST(PathPointTest, Table) {
    struct Case {
        const char* name;
        flash::path p;
        float x, y;
        bool inside;
    };
    const Case cases[] = {
        {"square centre", square40(), 0, 0, true},
        {"square far right", square40(), 100, 0, false},
        {"square left of it", square40(), -100, 0, false},
        {"on the top edge's line, outside", square40(), 50, -20, false},
        {"on the top edge's line, inside", square40(), 0, -20, false},
        {"vertex at the ray's height, inside", diamond(), -10, 0, true},
        {"vertex at the ray's height, left of it", diamond(), -60, 0, false},
        {"vertex at the ray's height, right of it", diamond(), 60, 0, false},
        {"lens between the curves", lens(), 0, 20, true},
        {"lens above both", lens(), 0, -60, false},
        {"lens beside", lens(), -90, 40, false},
        {"curve straight in y crossed once", flat_in_y_curve(), 10, 50, true},
        {"curve straight in y, right of it", flat_in_y_curve(), 80, 50, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.p.point_test(c.x, c.y), c.inside) << c.name;
}

TEST(PathPointTest, EmptyOrUnfilledPathIsNeverHit) {
    EXPECT_FALSE(flash::path(1, 0, 0, 0, 0).point_test(0, 0));
    flash::path p = square40();
    p.m_fill0 = -1;
    EXPECT_FALSE(p.point_test(0, 0));
}

TEST(PathPointTest, DegenerateCurveAndExtremeCoordinatesStayFinite) {
    // A curve whose three points coincide, and one out at the float range's edge.
    flash::path p(1, 0, 0, 0.0f, 0.0f);
    p.m_edges.push_back(flash::edge(0, 0.0001f, 0, 0));
    p.m_edges.push_back(flash::edge(3e38f, -3e38f, -3e38f, 3e38f));
    p.m_edges.push_back(flash::edge(0, 0, 0, 0));
    EXPECT_FALSE(p.point_test(1e30f, 1e30f));
    (void)p.point_test(0.0f, 0.0f);  // no NaN trouble, no hang
}

}  // namespace
