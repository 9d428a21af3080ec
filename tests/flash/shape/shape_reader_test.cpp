// The shape record reader: paths, edges, style indices and their bases.
#include <gtest/gtest.h>

#include "shape_fixture.h"
#include "tests/support/engine_log.h"

namespace {

using shapetest::read_shape;
using shapetest::solid_shape;

void expect_edge(const flash::edge& e, float cx, float cy, float ax, float ay) {
    EXPECT_FLOAT_EQ(e.m_cx, cx);
    EXPECT_FLOAT_EQ(e.m_cy, cy);
    EXPECT_FLOAT_EQ(e.m_ax, ax);
    EXPECT_FLOAT_EQ(e.m_ay, ay);
}

TEST(ShapeReader, SquareHasHorizontalAndVerticalEdges) {
    auto def = read_shape(solid_shape(swf::ShapePath().fill0(1).rect(100, 200, 40, 60)));
    ASSERT_EQ(def->get_paths().size(), 1);
    const flash::path& p = def->get_paths()[0];
    EXPECT_EQ(p.m_fill0, 1);
    EXPECT_EQ(p.m_fill1, 0);
    EXPECT_FLOAT_EQ(p.m_ax, 100.0f);
    EXPECT_FLOAT_EQ(p.m_ay, 200.0f);
    ASSERT_EQ(p.m_edges.size(), 4);
    expect_edge(p.m_edges[0], 140, 200, 140, 200);  // horizontal: dx only
    expect_edge(p.m_edges[1], 140, 260, 140, 260);  // vertical: dy only
    expect_edge(p.m_edges[3], 100, 200, 100, 200);
    EXPECT_FLOAT_EQ(def->get_bound().m_x_min, 100.0f);
    EXPECT_FLOAT_EQ(def->get_bound().m_y_max, 260.0f);
}

TEST(ShapeReader, CurvesAreRelativeToTheControlPoint) {
    auto def = read_shape(solid_shape(swf::ShapePath().fill0(1).move_to(0, 0).curve_to(50, -30, 100, 0).line_to(0, 0)));
    ASSERT_EQ(def->get_paths().size(), 1);
    ASSERT_EQ(def->get_paths()[0].m_edges.size(), 2);
    expect_edge(def->get_paths()[0].m_edges[0], 50, -30, 100, 0);
}

TEST(ShapeReader, ZeroFillBitsReadNothingAndKeepTheStyle) {
    // With zero-width indices the writer sets the flags but no bits: the edges after them must
    // still be read from the right place.
    auto def = read_shape(solid_shape(swf::ShapePath().style_bits(0, 0).fill0(1).fill1(1).rect(0, 0, 20, 20)));
    ASSERT_EQ(def->get_paths().size(), 1);
    EXPECT_EQ(def->get_paths()[0].m_fill0, 0);
    EXPECT_EQ(def->get_paths()[0].m_fill1, 0);
    ASSERT_EQ(def->get_paths()[0].m_edges.size(), 4);
    expect_edge(def->get_paths()[0].m_edges[2], 0, 20, 0, 20);
}

TEST(ShapeReader, NewStylesAddTheFillBaseAndASeparator) {
    swf::ShapePath path;
    path.fill0(1).rect(0, 0, 10, 10);
    path.new_styles({swf::FillStyle::solid({1, 0, 0, 255}), swf::FillStyle::solid({2, 0, 0, 255})},
                    {swf::LineStyle::solid(20, {})});
    path.fill0(2).line(1).rect(50, 50, 10, 10);
    path.fill0(0).move_to(0, 0).line_to(5, 5);
    swf::Shape s = solid_shape(path, 2);
    auto def = read_shape(s);
    ASSERT_EQ(def->get_fill_styles().size(), 4);
    ASSERT_EQ(def->get_line_styles().size(), 1);
    ASSERT_EQ(def->get_paths().size(), 4);
    EXPECT_EQ(def->get_paths()[0].m_fill0, 1);
    EXPECT_TRUE(def->get_paths()[1].m_new_shape);
    EXPECT_TRUE(def->get_paths()[1].is_empty());
    EXPECT_EQ(def->get_paths()[2].m_fill0, 4);  // index 2 of the new group, after two old styles
    EXPECT_EQ(def->get_paths()[2].m_line, 1);
    EXPECT_EQ(def->get_paths()[3].m_fill0, 0);
}

TEST(ShapeReader, MoveToStartsANewPathWithTheSameStyles) {
    auto def = read_shape(solid_shape(swf::ShapePath().fill1(1).move_to(0, 0).line_to(10, 0).move_to(30, 40).line_to(30, 50)));
    ASSERT_EQ(def->get_paths().size(), 2);
    EXPECT_EQ(def->get_paths()[1].m_fill1, 1);
    EXPECT_FLOAT_EQ(def->get_paths()[1].m_ax, 30.0f);
    EXPECT_FLOAT_EQ(def->get_paths()[1].m_ay, 40.0f);
}

TEST(ShapeReader, DefineShape4ReadsEdgeBoundsAndStrokeFlags) {
    swf::Shape s = solid_shape(swf::ShapePath().fill0(1).rect(0, 0, 10, 10));
    s.stroke_flags = 0x02;
    auto def = read_shape(s, swf::tag_define_shape4);
    ASSERT_EQ(def->get_paths().size(), 1);
    EXPECT_EQ(def->get_paths()[0].m_edges.size(), 4);
}

TEST(ShapeReader, NoEdgesGiveNoPaths) {
    auto def = read_shape(solid_shape(swf::ShapePath().fill0(1).move_to(10, 10)));
    EXPECT_EQ(def->get_paths().size(), 0);
}

TEST(ShapeReader, RecordsPastTheTagEndStopWithAnError) {
    std::vector<uint8_t> body = shapetest::shape_body(solid_shape(swf::ShapePath().fill0(1).rect(0, 0, 400, 400)), swf::tag_define_shape3);
    body.resize(body.size() - 3);  // cut inside the edges: no end record
    shapetest::stream_over in(body);
    testsupport::engine_log log;
    flash::smart_ptr<flash::shape_character_def> def(new flash::shape_character_def);
    def->read(&in.in, swf::tag_define_shape3, true);
    EXPECT_TRUE(log.has_error("shape records run past the tag end"));
    ASSERT_EQ(def->get_paths().size(), 1);
    EXPECT_LE(def->get_paths()[0].m_edges.size(), 4);
}

TEST(ShapeReader, ACopyTakesEveryStyleAndPathButNoMeshes) {
    swf::Shape s;
    s.fills = {swf::FillStyle::solid({10, 20, 30, 40}), swf::FillStyle::solid({50, 60, 70, 80})};
    s.lines = {swf::LineStyle::solid(60, {1, 2, 3, 4})};
    s.stroke_flags = 0x01;
    s.path.fill0(2).line(1).rect(0, 0, 100, 50).fill1(1).move_to(200, 200).line_to(300, 200);
    auto source = read_shape(s, swf::tag_define_shape4);
    ASSERT_EQ(source->get_paths().size(), 2);
    ASSERT_NE(source->get_mesh_set(flash::matrix(), 1.0f), nullptr);

    // A shape that had an outline and meshes of its own.
    auto copy = read_shape(solid_shape(swf::ShapePath().fill0(1).rect(5000, 5000, 10, 10)));
    ASSERT_NE(copy->get_mesh_set(flash::matrix(), 1.0f), nullptr);
    copy->copy_from(*source);
    EXPECT_TRUE(copy->get_cached_meshes().empty());
    EXPECT_EQ(source->get_cached_meshes().size(), 1u);
    ASSERT_EQ(copy->get_fill_styles().size(), 2);
    EXPECT_EQ(copy->get_fill_styles()[1].m_color.m_g, 60);
    EXPECT_EQ(copy->get_fill_styles()[1].m_color.m_a, 80);
    ASSERT_EQ(copy->get_line_styles().size(), 1);
    EXPECT_EQ(copy->get_line_styles()[0].m_width, 60);
    EXPECT_EQ(copy->get_line_styles()[0].m_color.m_b, 3);
    ASSERT_EQ(copy->get_paths().size(), 2);
    for (int i = 0; i < 2; ++i) {
        const flash::path& a = source->get_paths()[i];
        const flash::path& b = copy->get_paths()[i];
        EXPECT_EQ(b.m_fill0, a.m_fill0);
        EXPECT_EQ(b.m_fill1, a.m_fill1);
        EXPECT_EQ(b.m_line, a.m_line);
        EXPECT_FLOAT_EQ(b.m_ax, a.m_ax);
        EXPECT_FLOAT_EQ(b.m_ay, a.m_ay);
        ASSERT_EQ(b.m_edges.size(), a.m_edges.size());
        for (int e = 0; e < a.m_edges.size(); ++e) {
            expect_edge(b.m_edges[e], a.m_edges[e].m_cx, a.m_edges[e].m_cy, a.m_edges[e].m_ax, a.m_edges[e].m_ay);
        }
    }
    EXPECT_EQ(copy->get_paths()[1].m_fill1, 1);
    EXPECT_FLOAT_EQ(copy->get_bound().m_x_max, source->get_bound().m_x_max);
    EXPECT_FLOAT_EQ(copy->get_bound().m_y_max, source->get_bound().m_y_max);
    EXPECT_FLOAT_EQ(copy->get_edge_bound().m_x_max, source->get_edge_bound().m_x_max);
    EXPECT_TRUE(copy->uses_scaling_strokes());
    EXPECT_FALSE(copy->uses_nonscaling_strokes());
    // Its meshes are built from the copied outline.
    EXPECT_NE(copy->get_mesh_set(flash::matrix(), 1.0f), nullptr);
}

}  // namespace
