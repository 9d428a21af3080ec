// Tesselation: flattening, the sweep, strip joining, and coverage against the point test.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flash/shape/mesh_set.h"
#include "flash/shape/tri_stripper.h"
#include "shape_fixture.h"

namespace {

using shapetest::read_shape;
using shapetest::solid_shape;

struct recorder : flash::tesselate::trapezoid_accepter {
    std::vector<std::pair<int, flash::trapezoid>> traps;
    std::vector<int> strip_styles;
    std::vector<int> strip_lengths;
    void accept_trapezoid(int style, const flash::trapezoid& tr) override { traps.push_back({style, tr}); }
    void accept_line_strip(int style, const flash::point[], int count) override {
        strip_styles.push_back(style);
        strip_lengths.push_back(count);
    }
};

TEST(Tesselator, CurveFlatteningCounts) {
    recorder r;
    flash::tesselate::tesselator t;
    t.begin_shape(&r, 1.0f);
    t.begin_path(-1, -1, 0, 0, 0);
    t.add_curve_segment(100, 0, 100, 0);  // control on the anchor: one segment
    t.add_curve_segment(150, 0, 200, 0);  // control on the chord: d = 0, one segment
    t.add_curve_segment(250, 400, 300, 0);  // a real bend: several
    t.end_path();
    t.end_shape();
    ASSERT_EQ(r.strip_lengths.size(), 1u);
    EXPECT_GT(r.strip_lengths[0], 3 + 4);
    EXPECT_TRUE(r.traps.empty());  // no fill anywhere
}

TEST(Tesselator, TinyToleranceAndHugeCoordinatesAreBounded) {
    for (float tolerance : {1e-30f, std::numeric_limits<float>::denorm_min(), 0.0f, -5.0f, std::nanf("")}) {
        recorder r;
        flash::tesselate::tesselator t;
        t.begin_shape(&r, tolerance);
        t.begin_path(-1, -1, 0, 0, 0);
        t.add_curve_segment(3e38f, 3e38f, -3e38f, 3e38f);
        t.end_path();
        t.end_shape();
        ASSERT_EQ(r.strip_lengths.size(), 1u);
        EXPECT_LE(r.strip_lengths[0], (1 << flash::tesselate::max_flatten_depth) + 1);
    }
}

TEST(Tesselator, SlabLedByARightFillUsesRightStyles) {
    // A square drawn so that its left side carries only a right style.
    recorder r;
    flash::tesselate::tesselator t;
    t.begin_shape(&r, 1.0f);
    t.begin_path(-1, 3, -1, 0, 100);
    t.add_line_segment(0, 0);  // going up: swapped, so its right style becomes its left
    t.end_path();
    t.begin_path(3, -1, -1, 50, 0);
    t.add_line_segment(50, 100);
    t.end_path();
    t.end_shape();
    ASSERT_EQ(r.traps.size(), 1u);
    EXPECT_EQ(r.traps[0].first, 3);
    EXPECT_FLOAT_EQ(r.traps[0].second.m_lx0, 0.0f);
    EXPECT_FLOAT_EQ(r.traps[0].second.m_rx1, 50.0f);
}

TEST(TriStripper, StackedTrapezoidsContinueOneStrip) {
    flash::tri_stripper s;
    s.add_trapezoid({0, 0}, {10, 0}, {0, 10}, {10, 10});
    s.add_trapezoid({0, 10}, {10, 10}, {2, 20}, {8, 20});
    EXPECT_EQ(s.get_strip_count(), 1);
    EXPECT_EQ(s.join().size(), 6u);
    s.add_trapezoid({50, 0}, {60, 0}, {50, 5}, {60, 5});  // elsewhere: a second strip, joined by repeats
    EXPECT_EQ(s.get_strip_count(), 2);
    EXPECT_EQ(s.join().size(), 6u + 2 + 4);
}

TEST(MeshSet, LineOnlyShapeHasOneLayerWithoutMeshes) {
    swf::Shape s;
    s.lines.push_back(swf::LineStyle::solid(20, {}));
    s.path.line(1).move_to(0, 0).line_to(100, 0).line_to(100, 100);
    auto def = read_shape(s);
    flash::mesh_set set(def.get(), 5.0f);
    ASSERT_EQ(set.get_layers().size(), 1u);
    EXPECT_TRUE(set.get_layers()[0].m_meshes.empty());
    ASSERT_EQ(set.get_layers()[0].m_line_strips.size(), 1u);
    EXPECT_EQ(set.get_layers()[0].m_line_strips[0]->m_style, 0);
    EXPECT_EQ(set.get_layers()[0].m_line_strips[0]->m_coords.size(), 6u);
}

TEST(MeshSet, OutOfRangeStylesDropTheirRuns) {
    flash::path p(5, 0, 9, 0, 0);  // neither style exists
    p.m_edges.push_back(flash::edge(100, 0, 100, 0));
    p.m_edges.push_back(flash::edge(100, 100, 100, 100));
    p.m_edges.push_back(flash::edge(0, 0, 0, 0));
    recorder r;
    flash::tesselate::tesselate_paths(&p, 1, 1, 1, 1.0f, &r);
    EXPECT_TRUE(r.traps.empty());
    EXPECT_TRUE(r.strip_styles.empty());
}

TEST(MeshSet, SaturatingCoordinates) {
    EXPECT_EQ(flash::to_mesh_coord(1e30f), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(flash::to_mesh_coord(-1e30f), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(flash::to_mesh_coord(std::nanf("")), 0);
    EXPECT_EQ(flash::to_mesh_coord(-7.9f), -7);
}

// ---- coverage: triangles against the point test ----

bool in_triangle(const flash::point& p, int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t cx, int32_t cy) {
    const double d1 = (double(bx) - ax) * (p.m_y - ay) - (double(by) - ay) * (p.m_x - ax);
    const double d2 = (double(cx) - bx) * (p.m_y - by) - (double(cy) - by) * (p.m_x - bx);
    const double d3 = (double(ax) - cx) * (p.m_y - cy) - (double(ay) - cy) * (p.m_x - cx);
    if (d1 == 0 && d2 == 0 && d3 == 0) return false;
    const bool neg = d1 < 0 || d2 < 0 || d3 < 0;
    const bool pos = d1 > 0 || d2 > 0 || d3 > 0;
    return !(neg && pos);
}

bool covered(const flash::mesh_set& set, const flash::point& p) {
    for (const auto& layer : set.get_layers()) {
        for (const auto& m : layer.m_meshes) {
            if (!m) continue;
            const std::vector<int32_t>& v = m->m_triangle_strip;
            for (size_t i = 0; i + 5 < v.size(); i += 2) {
                if (in_triangle(p, v[i], v[i + 1], v[i + 2], v[i + 3], v[i + 4], v[i + 5])) return true;
            }
        }
    }
    return false;
}

double segment_distance(const flash::point& p, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.m_x - ax) * dx + (p.m_y - ay) * dy) / len2 : 0;
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(p.m_x - (ax + t * dx), p.m_y - (ay + t * dy));
}

double outline_distance(const flash::shape_character_def& def, const flash::point& p) {
    double best = 1e300;
    for (int i = 0; i < def.get_paths().size(); ++i) {
        const flash::path& path = def.get_paths()[i];
        double x0 = path.m_ax, y0 = path.m_ay;
        for (int k = 0; k < path.m_edges.size(); ++k) {
            const flash::edge& e = path.m_edges[k];
            constexpr int samples = 64;
            double px = x0, py = y0;
            for (int s = 1; s <= samples; ++s) {
                const double t = double(s) / samples;
                const double qx = (1 - t) * (1 - t) * x0 + 2 * t * (1 - t) * e.m_cx + t * t * e.m_ax;
                const double qy = (1 - t) * (1 - t) * y0 + 2 * t * (1 - t) * e.m_cy + t * t * e.m_ay;
                best = std::fmin(best, segment_distance(p, px, py, qx, qy));
                px = qx;
                py = qy;
            }
            x0 = e.m_ax;
            y0 = e.m_ay;
        }
    }
    return best;
}

// Even-odd over every path: the parity of all crossings is the parity of each path's.
bool inside_outline(const flash::shape_character_def& def, const flash::point& p) {
    bool inside = false;
    for (int i = 0; i < def.get_paths().size(); ++i) {
        flash::path any_fill = def.get_paths()[i];
        any_fill.m_fill0 = 1;
        if (any_fill.point_test(p.m_x, p.m_y)) inside = !inside;
    }
    return inside;
}

TEST(MeshSet, TrianglesCoverWhatThePointTestCallsInside) {
    constexpr float tolerance = 4.0f;
    struct Case {
        const char* name;
        swf::Shape shape;
    };
    swf::ShapePath two_groups;
    two_groups.fill0(1).rect(0, 0, 400, 300);
    two_groups.new_styles({swf::FillStyle::solid({9, 9, 9, 255})}, {});
    two_groups.fill0(1).rect(600, 100, 200, 500);
    const Case cases[] = {
        {"square", solid_shape(swf::ShapePath().fill0(1).rect(0, 0, 1000, 1000))},
        {"concave polygon", solid_shape(swf::ShapePath().fill0(1).polygon({{0, 0}, {1000, 0}, {1000, 1000}, {500, 300}, {0, 1000}}))},
        {"ring of two fill sides", solid_shape(swf::ShapePath().fill0(1).rect(0, 0, 1000, 1000).fill0(0).fill1(1).rect(300, 300, 400, 400))},
        {"circle of curves", solid_shape(swf::ShapePath().fill0(1).circle(500, 500, 480))},
        {"two style groups", solid_shape(two_groups)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto def = read_shape(c.shape);
        flash::mesh_set set(def.get(), tolerance);
        const flash::rect& b = def->get_bound();
        int checked = 0, inside_count = 0;
        for (float y = b.m_y_min - 30; y <= b.m_y_max + 30; y += 17) {
            for (float x = b.m_x_min - 30; x <= b.m_x_max + 30; x += 19) {
                const flash::point p(x, y);
                // Within the tolerance (plus the truncation to whole twips) either answer is fair.
                if (outline_distance(*def, p) <= tolerance + 1.5) continue;
                const bool inside = inside_outline(*def, p);
                ++checked;
                inside_count += inside;
                EXPECT_EQ(covered(set, p), inside) << "at " << x << ", " << y;
            }
        }
        EXPECT_GT(checked, 500);
        EXPECT_GT(inside_count, 100);
    }
}

TEST(MeshSet, OneStylesTrapezoidsBecomeOneStrip) {
    auto def = read_shape(solid_shape(swf::ShapePath().fill0(1).polygon({{0, 0}, {1000, 0}, {1000, 1000}, {500, 300}, {0, 1000}})));
    flash::mesh_set set(def.get(), 4.0f);
    ASSERT_EQ(set.get_layers().size(), 1u);
    ASSERT_EQ(set.get_layers()[0].m_meshes.size(), 1u);
    ASSERT_TRUE(set.get_layers()[0].m_meshes[0]);
    EXPECT_GE(set.get_layers()[0].m_meshes[0]->m_triangle_strip.size(), 8u);
}

TEST(MeshSet, ManyEdgesAndAHugeScaleFinish) {
    swf::ShapePath many;
    std::vector<swf::Point> pts;
    for (int i = 0; i < 10000; ++i) {
        const double a = i * 2 * M_PI / 10000;
        const int r = 100000;
        pts.push_back({static_cast<int32_t>(r * std::cos(a)), static_cast<int32_t>(r * std::sin(a))});
    }
    many.fill0(1).polygon(pts);
    auto def = read_shape(solid_shape(many));
    flash::mesh_set set(def.get(), 1.0f);
    EXPECT_EQ(set.get_layers().size(), 1u);

    auto circle = read_shape(solid_shape(swf::ShapePath().fill0(1).circle(0, 0, 100000)));
    flash::matrix huge;
    huge.concatenate_scale(1e30f);
    const flash::mesh_set* set_at_huge = circle->get_mesh_set(huge, 1.0f);
    ASSERT_NE(set_at_huge, nullptr);
    // Flattened at the finest tolerance the whole-twip mesh can hold, not finer.
    EXPECT_LT(set_at_huge->get_tolerance(), flash::tesselate::min_tolerance);
}

}  // namespace
