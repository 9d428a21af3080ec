// Morph shapes: both tag versions read with their styles and outlines, the in-between shape for
// a ratio, the one mesh set kept per ratio, and tags that do not pair up or are cut short.
#include "flash/shape/morph2_character_def.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "reader_fixture.h"
#include "tests/support/engine_log.h"
#include "tools/swfwriter/shape.h"
#include "tools/swfwriter/tag_codes.h"

namespace {

using shapetest::stream_over;

constexpr int morph1 = swf::tag_define_morph_shape;
constexpr int morph2 = swf::tag_define_morph_shape2;

std::vector<uint8_t> morph_body(const swf::MorphShape& m, int tag) {
    std::vector<uint8_t> body = swf::define_morph_shape_body(1, m, static_cast<uint16_t>(tag));
    body.erase(body.begin(), body.begin() + 2);
    return body;
}

flash::smart_ptr<flash::morph2_character_def> read_morph(const swf::MorphShape& m, int tag = morph1) {
    stream_over in(morph_body(m, tag));
    flash::smart_ptr<flash::morph2_character_def> def(new flash::morph2_character_def);
    def->read(&in.in, tag);
    return def;
}

swf::MorphFillStyle solid_morph(swf::Rgba from, swf::Rgba to) {
    return {swf::FillStyle::solid(from), swf::FillStyle::solid(to)};
}

// A red square at the origin that becomes a blue square twice as large, further on.
swf::MorphShape square_morph() {
    swf::MorphShape m;
    m.fills.push_back(solid_morph({255, 0, 0, 255}, {0, 0, 255, 255}));
    m.start.fill0(1).rect(0, 0, 100, 100);
    m.end.fill0(1).rect(200, 200, 200, 200);
    return m;
}

// Every path start and edge anchor of the shape, in order.
std::vector<flash::point> anchors(const flash::shape_character_def& s) {
    std::vector<flash::point> out;
    const flash::array<flash::path>& paths = s.get_paths();
    for (int i = 0; i < paths.size(); ++i) {
        out.emplace_back(paths[i].m_ax, paths[i].m_ay);
        for (int j = 0; j < paths[i].m_edges.size(); ++j)
            out.emplace_back(paths[i].m_edges[j].m_ax, paths[i].m_edges[j].m_ay);
    }
    return out;
}

TEST(MorphShape, RatiosBlendTheOutlineStylesAndBoundsWithFillSidesSwapped) {
    auto def = read_morph(square_morph());
    ASSERT_TRUE(def->get_edges_match());
    struct Case {
        float ratio;
        float x0, y0, side;
        flash::rgba color;
    };
    const Case cases[] = {
        {0.0f, 0, 0, 100, {255, 0, 0, 255}},
        {0.5f, 100, 100, 150, {128, 0, 128, 255}},
        {1.0f, 200, 200, 200, {0, 0, 255, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ratio);
        def->set_ratio(c.ratio);
        const std::vector<flash::point> expected = {{c.x0, c.y0},
                                                    {c.x0 + c.side, c.y0},
                                                    {c.x0 + c.side, c.y0 + c.side},
                                                    {c.x0, c.y0 + c.side},
                                                    {c.x0, c.y0}};
        EXPECT_EQ(anchors(*def), expected);
        const flash::path& p = def->get_paths()[0];
        // The start outline fills on its left (fill 0); the in-between one on its right.
        EXPECT_EQ(p.m_fill0, 0);
        EXPECT_EQ(p.m_fill1, 1);
        EXPECT_EQ(def->get_fill_styles()[0].m_color, c.color);
        EXPECT_FLOAT_EQ(def->get_bound().m_x_min, c.x0);
        EXPECT_FLOAT_EQ(def->get_bound().m_x_max, c.x0 + c.side);
    }
    // Ratios from outside 0..1 are held to the ends.
    def->set_ratio(7.0f);
    EXPECT_FLOAT_EQ(def->get_bound().m_x_min, 200.0f);
    def->set_ratio(std::nanf(""));
    EXPECT_FLOAT_EQ(def->get_bound().m_x_min, 0.0f);
}

TEST(MorphShape, OneMeshSetPerRatioAndScaleAloneKeepsIt) {
    auto def = read_morph(square_morph());
    const flash::mesh_set* first = def->get_ratio_mesh_set(0.5f, 15.0f);
    ASSERT_NE(first, nullptr);
    EXPECT_FLOAT_EQ(first->get_tolerance(), 15.0f);
    // The same ratio at another scale: the set built first is kept.
    EXPECT_EQ(def->get_ratio_mesh_set(0.5f, 3.0f), first);
    EXPECT_FLOAT_EQ(def->get_ratio_mesh_set(0.5f, 3.0f)->get_tolerance(), 15.0f);
    // Two instances at different ratios rebuild it on each alternate display.
    for (float ratio : {0.25f, 0.75f, 0.25f}) {
        const flash::mesh_set* set = def->get_ratio_mesh_set(ratio, 3.0f);
        ASSERT_NE(set, nullptr);
        EXPECT_FLOAT_EQ(set->get_tolerance(), 3.0f);
        EXPECT_FLOAT_EQ(def->get_last_ratio(), ratio);
    }
    // The mesh is the in-between square: a strip spanning x 50..175 at ratio 0.25.
    const flash::mesh_set* set = def->get_ratio_mesh_set(0.25f, 3.0f);
    std::vector<flash::point> v;
    ASSERT_TRUE(set->get_vertices(&v));
    float low = 1e9f, high = -1e9f;
    for (const flash::point& p : v) {
        low = std::min(low, p.m_x);
        high = std::max(high, p.m_x);
    }
    EXPECT_EQ(low, 50.0f);
    EXPECT_EQ(high, 175.0f);
    // A tolerance that cannot build anything gives nothing.
    EXPECT_EQ(def->get_ratio_mesh_set(0.5f, 0.0f), nullptr);
    EXPECT_EQ(def->get_ratio_mesh_set(0.5f, std::nanf("")), nullptr);
}

TEST(MorphShape, StyleKindsAreReadSoTheRestOfTheTagParses) {
    swf::MorphShape m;
    std::vector<swf::GradientRecord> records;
    for (int i = 0; i < 18; ++i) records.push_back({static_cast<uint8_t>(i * 14), {static_cast<uint8_t>(i), 0, 0, 255}});
    // Count byte 0x12: eighteen record pairs, the whole byte being the count.
    m.fills.push_back({swf::FillStyle::linear(swf::Matrix::translation(0, 0), records),
                       swf::FillStyle::linear(swf::Matrix::translation(40, 0), records)});
    m.fills.push_back({swf::FillStyle::bitmap(7, swf::Matrix::translation(1, 1), swf::fill_repeating_bitmap_hard),
                       swf::FillStyle::bitmap(7, swf::Matrix::translation(2, 2), swf::fill_repeating_bitmap_hard)});
    m.fills.push_back({swf::FillStyle::bitmap(8, {}, swf::fill_clipped_bitmap_hard),
                       swf::FillStyle::bitmap(8, {}, swf::fill_clipped_bitmap_hard)});
    m.fills.push_back({swf::FillStyle::focal({}, {{0, {1, 2, 3, 4}}, {255, {5, 6, 7, 8}}}, 0.5),
                       swf::FillStyle::focal({}, {{0, {1, 2, 3, 4}}, {255, {5, 6, 7, 8}}}, -0.25)});
    m.fills.push_back(solid_morph({10, 20, 30, 40}, {50, 60, 70, 80}));
    m.start.fill0(5).rect(0, 0, 100, 100);
    m.end.fill0(5).rect(0, 0, 300, 300);
    for (int tag : {morph1, morph2}) {
        SCOPED_TRACE(tag);
        testsupport::engine_log log;
        auto def = read_morph(m, tag);
        const flash::array<flash::fill_style>& start = def->get_start().get_fill_styles();
        const flash::array<flash::fill_style>& end = def->get_end().get_fill_styles();
        ASSERT_EQ(start.size(), 5);
        ASSERT_EQ(end.size(), 5);
        EXPECT_EQ(start[0].m_gradients.size(), 18);
        EXPECT_EQ(start[0].m_gradients[17].m_color, flash::rgba(17, 0, 0, 255));
        EXPECT_EQ(start[0].m_color, flash::rgba(0, 0, 0, 255));
        EXPECT_EQ(start[1].m_type, 0x42);
        EXPECT_EQ(start[1].m_bitmap_id, 7);
        EXPECT_EQ(end[1].m_bitmap_id, 7);
        EXPECT_EQ(start[2].m_type, 0x43);
        EXPECT_EQ(start[2].m_bitmap_id, 8);
        EXPECT_EQ(start[3].m_type, 0x13);
        EXPECT_FALSE(start[3].is_drawable());
        EXPECT_EQ(start[4].m_color, flash::rgba(10, 20, 30, 40));
        EXPECT_EQ(end[4].m_color, flash::rgba(50, 60, 70, 80));
        EXPECT_EQ(anchors(def->get_end()).back().m_x, 0.0f);
        EXPECT_EQ(anchors(def->get_end())[2].m_x, 300.0f);
        EXPECT_EQ(log.errors(), "");
    }
}

TEST(MorphShape, LineStylesOfBothVersions) {
    swf::MorphShape m;
    swf::MorphLineStyle plain;
    plain.start_width = 20;
    plain.end_width = 61;
    plain.start_color = {0, 100, 200, 255};
    plain.end_color = {100, 200, 0, 55};
    swf::MorphLineStyle filled = plain;
    filled.style.join = swf::join_miter;
    filled.fill = solid_morph({1, 2, 3, 4}, {5, 6, 7, 8});
    m.lines = {plain, filled};
    m.start.line(1).move_to(0, 0).line_to(100, 0).line(2).line_to(100, 100);
    m.end.line(1).move_to(0, 0).line_to(200, 0).line(2).line_to(200, 200);
    struct Case {
        int tag;
        flash::rgba filled_line;
    };
    // DefineMorphShape has no line fills; DefineMorphShape2's filled line stays white.
    const Case cases[] = {{morph1, {50, 150, 100, 155}}, {morph2, {255, 255, 255, 255}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        auto def = read_morph(m, c.tag);
        def->set_ratio(0.5f);
        const flash::array<flash::line_style>& lines = def->get_line_styles();
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0].m_width, 41);  // 20 + 0.5 * 41 + 0.5, whole part
        EXPECT_EQ(lines[0].m_color, flash::rgba(50, 150, 100, 155));
        EXPECT_EQ(lines[1].m_color, c.filled_line);
        EXPECT_EQ(anchors(*def).back().m_x, 150.0f);
    }
}

TEST(MorphShape, OutlinesThatDoNotPairUpDrawTheStartShape) {
    swf::MorphShape m = square_morph();
    m.end = swf::ShapePath();
    m.end.fill0(1).polygon({{0, 0}, {300, 0}, {300, 300}});
    testsupport::engine_log log;
    auto def = read_morph(m);
    EXPECT_FALSE(def->get_edges_match());
    EXPECT_TRUE(log.has_error("drawing the start shape"));
    const std::vector<flash::point> start = anchors(def->get_start());
    for (float ratio : {0.0f, 0.5f, 1.0f}) {
        def->set_ratio(ratio);
        EXPECT_EQ(anchors(*def), start) << ratio;
        EXPECT_EQ(def->get_fill_styles()[0].m_color, flash::rgba(255, 0, 0, 255)) << ratio;
        ASSERT_NE(def->get_ratio_mesh_set(ratio, 15.0f), nullptr);
    }
}

TEST(MorphShape, CutTagsNeverCrash) {
    swf::MorphShape m = square_morph();
    m.lines.push_back({});
    m.start.line(1);
    const std::vector<uint8_t> whole = morph_body(m, morph2);
    testsupport::engine_log log;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        stream_over in(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));
        flash::smart_ptr<flash::morph2_character_def> def(new flash::morph2_character_def);
        def->read(&in.in, morph2);
        for (float ratio : {0.0f, 0.5f, 1.0f}) (void)def->get_ratio_mesh_set(ratio, 15.0f);
    }
}

}  // namespace
