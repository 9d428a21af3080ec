// Run-time drawing: the paths, styles and bounds that drawing calls build, the mesh cache emptied
// by every change, and coordinates from scripts held to what the flattening can take.
#include "flash/shape/canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

// A path as text: "f<fill0> l<line> [new] (x,y) -> (x,y) ~(cx,cy)(x,y) ...".
std::string describe(const flash::path& p) {
    std::string out = "f" + std::to_string(p.m_fill0) + " l" + std::to_string(p.m_line) + (p.m_new_shape ? " new" : "");
    auto num = [](float v) { return std::to_string(static_cast<int>(v)); };
    out += " (" + num(p.m_ax) + "," + num(p.m_ay) + ")";
    for (int i = 0; i < p.m_edges.size(); ++i) {
        const flash::edge& e = p.m_edges[i];
        out += e.is_straight() ? " ->" : " ~(" + num(e.m_cx) + "," + num(e.m_cy) + ")";
        out += "(" + num(e.m_ax) + "," + num(e.m_ay) + ")";
    }
    return out;
}

std::vector<std::string> describe(const flash::canvas& c) {
    std::vector<std::string> out;
    for (int i = 0; i < c.get_paths().size(); ++i) out.push_back(describe(c.get_paths()[i]));
    return out;
}

const flash::rgba red(255, 0, 0);
const flash::rgba green(0, 255, 0);

TEST(Canvas, DrawingCallsBuildPaths) {
    struct Case {
        const char* what;
        std::function<void(flash::canvas&)> draw;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"lineTo without a moveTo draws from the origin", [](flash::canvas& c) { c.line_to(100, 50); },
         {"f0 l0 new (0,0) ->(100,50)"}},
        {"a moveTo to the pen position starts no path",
         [](flash::canvas& c) {
             c.move_to(0, 0);
             c.line_to(10, 0);
             c.move_to(10, 0);
             c.line_to(10, 10);
         },
         {"f0 l0 new (0,0) ->(10,0) ->(10,10)"}},
        {"a triangle not ending at its start gets a closing edge",
         [](flash::canvas& c) {
             c.begin_fill(red);
             c.line_to(100, 0);
             c.line_to(100, 100);
             c.end_fill();
         },
         {"f1 l0 new (0,0) ->(100,0) ->(100,100) ->(0,0)"}},
        {"a triangle ending at its start gets none",
         [](flash::canvas& c) {
             c.begin_fill(red);
             c.line_to(100, 0);
             c.line_to(100, 100);
             c.line_to(0, 0);
             c.end_fill();
         },
         {"f1 l0 new (0,0) ->(100,0) ->(100,100) ->(0,0)"}},
        {"beginFill twice closes the first outline and starts a new style group",
         [](flash::canvas& c) {
             c.begin_fill(red);
             c.line_to(100, 0);
             c.line_to(100, 100);
             c.begin_fill(green);
             c.line_to(0, 100);
         },
         {"f1 l0 new (0,0) ->(100,0) ->(100,100) ->(0,0)", "f2 l0 new (100,100) ->(0,100)"}},
        {"curveTo after lineTo continues the path",
         [](flash::canvas& c) {
             c.move_to(10, 10);
             c.line_to(50, 10);
             c.curve_to(90, 10, 90, 50);
         },
         {"f0 l0 (10,10) ->(50,10) ~(90,10)(90,50)"}},
        {"a line style continues the group in a new path",
         [](flash::canvas& c) {
             c.begin_fill(red);
             c.line_to(100, 0);
             c.set_line_style(40, green);
             c.line_to(100, 100);
         },
         {"f1 l0 new (0,0) ->(100,0) ->(0,0)", "f1 l1 (100,0) ->(100,100)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        flash::canvas canvas;
        c.draw(canvas);
        EXPECT_EQ(describe(canvas), c.paths);
    }
}

TEST(Canvas, StylesAppendAndEndFillClearsTheFill) {
    flash::canvas c;
    c.begin_fill(red);
    c.set_line_style(60, green);
    c.begin_fill(green);
    EXPECT_EQ(c.get_fill_styles().size(), 2);
    EXPECT_EQ(c.get_fill_styles()[1].m_color, green);
    EXPECT_EQ(c.get_fill_styles()[1].m_type, flash::fill_solid);
    EXPECT_EQ(c.get_line_styles()[0].m_width, 60);
    EXPECT_EQ(c.get_current_fill(), 2);
    EXPECT_EQ(c.get_current_line(), 1);
    c.end_fill();
    EXPECT_EQ(c.get_current_fill(), 0);
    EXPECT_EQ(c.get_current_path(), -1);
}

TEST(Canvas, BoundsTakeStartsAndAnchorsButNotControlPoints) {
    flash::canvas c;
    EXPECT_GT(c.get_bound().m_x_min, c.get_bound().m_x_max);  // empty
    c.move_to(20, 40);
    c.curve_to(1000, -1000, 60, 80);
    EXPECT_EQ(c.get_bound().m_x_min, 20.0f);
    EXPECT_EQ(c.get_bound().m_x_max, 60.0f);
    EXPECT_EQ(c.get_bound().m_y_min, 40.0f);
    EXPECT_EQ(c.get_bound().m_y_max, 80.0f);
}

TEST(Canvas, EveryChangeEmptiesTheMeshCache) {
    flash::canvas c;
    c.begin_fill(red);
    c.line_to(2000, 0);
    c.line_to(2000, 2000);
    c.end_fill();
    flash::matrix identity;
    ASSERT_NE(c.get_mesh_set(identity, 1.0f), nullptr);
    EXPECT_EQ(c.get_cached_meshes().size(), 1u);
    c.line_to(0, 2000);
    EXPECT_TRUE(c.get_cached_meshes().empty());
    // A fill's first path carries its edges: they are drawn.
    std::vector<flash::point> v;
    EXPECT_TRUE(c.get_vertices(&v));
}

TEST(Canvas, ScriptCoordinatesAreHeldToTheFloatRange) {
    constexpr float largest = std::numeric_limits<float>::max();
    struct Case {
        double pixels;
        float twips;
    };
    const Case cases[] = {{1.5, 30.0f}, {-2.0, -40.0f}, {std::nan(""), 0.0f}, {1e300, largest}, {-1e300, -largest},
                          {std::numeric_limits<double>::infinity(), largest}};
    for (const Case& c : cases) EXPECT_EQ(flash::pixels_to_canvas_twips(c.pixels), c.twips) << c.pixels;

    // A curve far larger than the stage still flattens into a mesh.
    constexpr float far = 1e7f;
    flash::canvas canvas;
    canvas.begin_fill(red);
    canvas.curve_to(far, -far, -far, far);
    canvas.line_to(far, far);
    canvas.end_fill();
    flash::matrix identity;
    const flash::mesh_set* set = canvas.get_mesh_set(identity, 1.0f);
    ASSERT_NE(set, nullptr);
}

}  // namespace
