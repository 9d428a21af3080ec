// Fill and line style records, gradient sampling and gradient textures.
#include <gtest/gtest.h>

#include "flash/shape/styles.h"
#include "reader_fixture.h"
#include "tools/swfwriter/styles.h"
#include "tools/swfwriter/tag_codes.h"

namespace {

using shapetest::stream_over;

constexpr int shape1 = swf::tag_define_shape;
constexpr int shape2 = swf::tag_define_shape2;
constexpr int shape3 = swf::tag_define_shape3;
constexpr int shape4 = swf::tag_define_shape4;

std::vector<uint8_t> fills_bytes(const std::vector<swf::FillStyle>& fills, int tag) {
    swf::BitWriter w;
    swf::write_fill_styles(w, fills, static_cast<uint16_t>(tag));
    w.u8(0xAB);  // a marker after the array
    return w.take();
}

std::vector<uint8_t> lines_bytes(const std::vector<swf::LineStyle>& lines, int tag) {
    swf::BitWriter w;
    swf::write_line_styles(w, lines, static_cast<uint16_t>(tag));
    w.u8(0xAB);
    return w.take();
}

TEST(StyleReader, StylesAreTheirBasesWhoseApplyChangesNothing) {
    flash::fill_style fill;
    fill.m_color = flash::rgba(1, 2, 3, 4);
    flash::base_fill_style* as_fill = &fill;
    as_fill->apply(0, 0.5f);
    EXPECT_EQ(fill.m_color.m_g, 2);
    flash::line_style line;
    line.m_width = 40;
    flash::base_line_style* as_line = &line;
    as_line->apply(1.0f);
    EXPECT_EQ(line.m_width, 40);
}

TEST(StyleReader, CountEscapeAndAlphaPerTagVersion) {
    struct Case {
        int tag;
        size_t count;
        bool alpha_read;
    };
    // 255 fills in DefineShape are one 0xFF byte; later tags write 0xFF and a u16.
    const Case cases[] = {{shape1, 255, false}, {shape2, 255, false}, {shape2, 300, false}, {shape3, 300, true}, {shape4, 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tag " << c.tag << " count " << c.count);
        std::vector<swf::FillStyle> fills(c.count, swf::FillStyle::solid({10, 20, 30, 40}));
        stream_over s(fills_bytes(fills, c.tag));
        flash::array<flash::fill_style> read;
        flash::read_fill_styles(&read, &s.in, c.tag);
        ASSERT_EQ(read.size(), static_cast<int>(c.count));
        EXPECT_EQ(read[read.size() - 1].m_color, flash::rgba(10, 20, 30, c.alpha_read ? 40 : 255));
        EXPECT_EQ(s.in.read_u8(), 0xAB);
    }
}

TEST(StyleReader, LineCountEscapeInEveryTag) {
    for (int tag : {shape1, shape3}) {
        std::vector<swf::LineStyle> lines(256, swf::LineStyle::solid(40, {1, 2, 3, 4}));
        stream_over s(lines_bytes(lines, tag));
        flash::array<flash::line_style> read;
        flash::read_line_styles(&read, &s.in, tag);
        ASSERT_EQ(read.size(), 256);
        EXPECT_EQ(read[255].m_width, 40);
        EXPECT_EQ(read[255].m_color.m_a, tag == shape3 ? 4 : 255);
        EXPECT_EQ(s.in.read_u8(), 0xAB);
    }
}

TEST(StyleReader, ArraysAppend) {
    stream_over s(fills_bytes({swf::FillStyle::solid({1, 1, 1, 255})}, shape1));
    flash::array<flash::fill_style> read;
    read.push_back(flash::fill_style());
    flash::read_fill_styles(&read, &s.in, shape1);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[1].m_color, flash::rgba(1, 1, 1));
}

TEST(StyleReader, GradientCountIsTheLowFourBits) {
    swf::FillStyle g = swf::FillStyle::linear(swf::Matrix{}, {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 255}}, {255, {0, 0, 255, 255}}});
    g.gradient_modes = 0xF;  // every spread and interpolation bit set: 0xF3
    stream_over s(fills_bytes({g}, shape2));
    flash::array<flash::fill_style> read;
    flash::read_fill_styles(&read, &s.in, shape2);
    ASSERT_EQ(read.size(), 1);
    ASSERT_EQ(read[0].m_gradients.size(), 3);
    EXPECT_EQ(read[0].m_gradients[1].m_ratio, 128);
    EXPECT_EQ(read[0].m_color, flash::rgba(255, 0, 0));  // the first record's colour
    EXPECT_EQ(s.in.read_u8(), 0xAB);
}

TEST(StyleReader, FocalGradientIsReadExactlyAndNotDrawn) {
    // In DefineShape2 a focal record still has alpha: five bytes a record.
    const swf::FillStyle focal = swf::FillStyle::focal(swf::Matrix::scaling(0.5, 0.5), {{0, {1, 2, 3, 4}}, {255, {5, 6, 7, 8}}}, 0.25);
    stream_over s(fills_bytes({focal, swf::FillStyle::solid({9, 9, 9, 255})}, shape3));
    flash::array<flash::fill_style> read;
    flash::read_fill_styles(&read, &s.in, shape3);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].m_type, flash::fill_focal_gradient);
    EXPECT_FALSE(read[0].is_drawable());
    EXPECT_EQ(read[1].m_color, flash::rgba(9, 9, 9));
    EXPECT_EQ(s.in.read_u8(), 0xAB);
}

TEST(StyleReader, DefineShape4LineWithMiterLimitThenColourOrFill) {
    swf::LineStyle miter = swf::LineStyle::solid(60, {10, 20, 30, 40});
    miter.join = swf::join_miter;
    miter.miter_limit = 2.5;
    miter.start_cap = swf::cap_square;
    miter.end_cap = swf::cap_none;
    miter.no_close = true;
    swf::LineStyle filled = swf::LineStyle::solid(80, {});
    filled.fill = swf::FillStyle::solid({7, 8, 9, 10});
    stream_over s(lines_bytes({miter, filled}, shape4));
    flash::array<flash::line_style> read;
    flash::read_line_styles(&read, &s.in, shape4);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].m_width, 60);
    EXPECT_EQ(read[0].m_join_style, 2);
    EXPECT_EQ(read[0].m_miter_limit_factor, 0x0280);
    EXPECT_EQ(read[0].m_start_cap_style, 2);
    EXPECT_EQ(read[0].m_end_cap_style, 1);
    EXPECT_TRUE(read[0].m_no_close);
    EXPECT_EQ(read[0].m_color, flash::rgba(10, 20, 30, 40));
    EXPECT_TRUE(read[1].m_has_fill);
    EXPECT_EQ(read[1].m_fill_style.m_color, flash::rgba(7, 8, 9, 10));
    EXPECT_EQ(read[1].m_color, flash::rgba(255, 255, 255, 255));  // stroked in the default white
    EXPECT_EQ(s.in.read_u8(), 0xAB);
}

TEST(StyleReader, BitmapFillMatrixIsInverted) {
    // The file places the bitmap scaled by 2 and moved by (100, 40): a shape point maps back.
    stream_over s(fills_bytes({swf::FillStyle::bitmap(7, swf::Matrix::scaling(2.0, 2.0, 100, 40), swf::fill_clipped_bitmap)}, shape3));
    flash::array<flash::fill_style> read;
    flash::read_fill_styles(&read, &s.in, shape3);
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0].m_type, flash::fill_clipped_bitmap);
    EXPECT_EQ(read[0].m_bitmap_id, 7);
    flash::point p;
    read[0].m_bitmap_matrix.transform(&p, flash::point(120.0f, 60.0f));
    EXPECT_FLOAT_EQ(p.m_x, 10.0f);
    EXPECT_FLOAT_EQ(p.m_y, 10.0f);
    EXPECT_EQ(s.in.read_u8(), 0xAB);
}

TEST(StyleReader, GradientMatrixMapsTheGradientSquareOntoTheTexture) {
    // A gradient square scaled by 0.5 spans -8192..8192 twips.
    stream_over lin(fills_bytes({swf::FillStyle::linear(swf::Matrix::scaling(0.5, 0.5), {{0, {}}})}, shape2));
    stream_over rad(fills_bytes({swf::FillStyle::radial(swf::Matrix::scaling(0.5, 0.5), {{0, {}}})}, shape2));
    flash::array<flash::fill_style> fills;
    flash::read_fill_styles(&fills, &lin.in, shape2);
    flash::read_fill_styles(&fills, &rad.in, shape2);
    ASSERT_EQ(fills.size(), 2);
    flash::point p;
    fills[0].m_gradient_matrix.transform(&p, flash::point(-8192.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.m_x, 0.0f);
    fills[0].m_gradient_matrix.transform(&p, flash::point(8192.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.m_x, 256.0f);
    fills[1].m_gradient_matrix.transform(&p, flash::point(8192.0f, -8192.0f));
    EXPECT_FLOAT_EQ(p.m_x, 64.0f);
    EXPECT_FLOAT_EQ(p.m_y, 0.0f);
}

TEST(StyleReader, UnknownTypeReadsNothingMoreAndDrawsNothing) {
    stream_over s({1, 0x77, 0xAB});
    flash::array<flash::fill_style> read;
    flash::read_fill_styles(&read, &s.in, shape3);
    ASSERT_EQ(read.size(), 1);
    EXPECT_FALSE(read[0].is_drawable());
    EXPECT_EQ(s.in.read_u8(), 0xAB);
}

TEST(StyleReader, CountPastTheTagStops) {
    // 200 styles announced, one present: the reader stops at the end instead of making 200.
    stream_over s({200, 0x00, 1, 2, 3});
    flash::array<flash::fill_style> read;
    flash::read_fill_styles(&read, &s.in, shape1);
    EXPECT_LE(read.size(), 2);
    EXPECT_TRUE(s.in.has_overrun());
}

flash::fill_style two_stop(int type, uint8_t r0, uint8_t r1) {
    flash::fill_style f;
    f.m_type = type;
    f.m_gradients.push_back({r0, flash::rgba(255, 0, 0, 255)});
    f.m_gradients.push_back({r1, flash::rgba(0, 0, 255, 255)});
    return f;
}

TEST(GradientSampling, EndsAndBetween) {
    const flash::fill_style f = two_stop(flash::fill_linear_gradient, 50, 150);
    EXPECT_EQ(f.sample_gradient(0), flash::rgba(255, 0, 0));     // below the first record
    EXPECT_EQ(f.sample_gradient(255), flash::rgba(0, 0, 255));   // above the last
    const flash::rgba mid = f.sample_gradient(100);
    EXPECT_NEAR(mid.m_r, 127, 1);
    EXPECT_NEAR(mid.m_b, 127, 1);
    flash::fill_style same = two_stop(flash::fill_linear_gradient, 80, 80);
    EXPECT_EQ(same.sample_gradient(80), flash::rgba(255, 0, 0));  // equal ratios: t = 0
}

TEST(GradientTextures, LinearEndPointsAndRadialCentreAndCorners) {
    flash::gradient_pixels lin;
    ASSERT_TRUE(two_stop(flash::fill_linear_gradient, 0, 255).make_gradient_pixels(&lin));
    ASSERT_EQ(lin.m_width, 256);
    ASSERT_EQ(lin.m_height, 1);
    EXPECT_EQ(lin.m_data[0], 255);
    EXPECT_EQ(lin.m_data[2], 0);
    EXPECT_EQ(lin.m_data[255 * 4 + 0], 0);
    EXPECT_EQ(lin.m_data[255 * 4 + 2], 255);

    flash::gradient_pixels rad;
    ASSERT_TRUE(two_stop(flash::fill_radial_gradient, 0, 255).make_gradient_pixels(&rad));
    ASSERT_EQ(rad.m_width, 64);
    ASSERT_EQ(rad.m_height, 64);
    auto red_at = [&](int i, int j) { return rad.m_data[(j * 64 + i) * 4]; };
    auto blue_at = [&](int i, int j) { return rad.m_data[(j * 64 + i) * 4 + 2]; };
    // The four centre pixels sit half a pixel from the middle: ratio 5 of 255, nearly red.
    EXPECT_GE(red_at(31, 31), 245);
    EXPECT_GE(red_at(32, 32), 245);
    for (auto [i, j] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}}) {
        EXPECT_EQ(blue_at(i, j), 255);
        EXPECT_EQ(red_at(i, j), 0);
    }
}

TEST(GradientTextures, NothingToSampleMakesNoTexture) {
    flash::fill_style empty;
    empty.m_type = flash::fill_linear_gradient;
    flash::gradient_pixels px;
    EXPECT_FALSE(empty.make_gradient_pixels(&px));
    EXPECT_FALSE(empty.is_drawable());
    EXPECT_EQ(px.m_data.size(), 0);
    flash::fill_style solid;
    EXPECT_FALSE(solid.make_gradient_pixels(&px));
    EXPECT_TRUE(solid.is_drawable());
}

TEST(StyleMorph, LerpOfColoursRatiosAndMatrices) {
    flash::fill_style a = two_stop(flash::fill_linear_gradient, 0, 100);
    flash::fill_style b = two_stop(flash::fill_linear_gradient, 100, 200);
    b.m_color = flash::rgba(0, 0, 0, 0);
    b.m_gradient_matrix.concatenate_translation(10.0f, 0.0f);
    flash::fill_style mid;
    mid.m_gradients.resize(2);
    mid.set_lerp(a, b, 0.5f);
    EXPECT_EQ(mid.m_type, flash::fill_linear_gradient);
    EXPECT_EQ(mid.m_gradients[0].m_ratio, 50);
    EXPECT_EQ(mid.m_gradients[1].m_ratio, 150);
    EXPECT_FLOAT_EQ(mid.m_gradient_matrix.m_[0][2], 5.0f);
    EXPECT_NEAR(mid.m_color.m_a, 127, 1);
}

}  // namespace
