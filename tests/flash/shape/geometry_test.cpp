// Matrix, colour-transform, rectangle and colour arithmetic.
#include "flash/shape/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();
constexpr float inf_value = std::numeric_limits<float>::infinity();

TEST(Geometry, FiniteOrZero) {
    EXPECT_EQ(flash::finite_or_zero(nan_value), 0.0f);
    EXPECT_EQ(flash::finite_or_zero(inf_value), 0.0f);
    EXPECT_EQ(flash::finite_or_zero(-1e39), 0.0f);
    EXPECT_EQ(flash::finite_or_zero(3.4028235e38), 3.4028235e38f);
    EXPECT_EQ(flash::finite_or_zero(-7.5f), -7.5f);
}

TEST(Geometry, ChannelToByteClampsAndDropsNaN) {
    EXPECT_EQ(flash::channel_to_byte(300.0f), 255);
    EXPECT_EQ(flash::channel_to_byte(-4.0f), 0);
    EXPECT_EQ(flash::channel_to_byte(nan_value), 0);
    EXPECT_EQ(flash::channel_to_byte(127.9f), 127);
}

TEST(Geometry, MatrixConcatenateAppliesTheArgumentFirst) {
    flash::matrix scale;
    scale.m_[0][0] = 2.0f;
    scale.m_[1][1] = 3.0f;
    flash::matrix move;
    move.m_[0][2] = 10.0f;
    move.m_[1][2] = 20.0f;
    flash::matrix m = scale;
    m.concatenate(move);  // move first, then scale
    flash::point p;
    m.transform(&p, flash::point(1.0f, 1.0f));
    EXPECT_FLOAT_EQ(p.m_x, 22.0f);
    EXPECT_FLOAT_EQ(p.m_y, 63.0f);
}

TEST(Geometry, MatrixOverflowStoresZero) {
    flash::matrix big;
    big.m_[0][0] = 3e38f;
    flash::matrix m = big;
    m.concatenate(big);
    EXPECT_EQ(m.m_[0][0], 0.0f);
    EXPECT_EQ(m.m_[1][1], 1.0f);
}

TEST(Geometry, InverseOfASingularMatrixNegatesTheTranslation) {
    flash::matrix m;
    m.m_[0][0] = 0.0f;
    m.m_[1][1] = 0.0f;
    m.m_[0][2] = 100.0f;
    m.m_[1][2] = 200.0f;
    flash::matrix inv;
    inv.set_inverse(m);
    EXPECT_FLOAT_EQ(inv.m_[0][0], 1.0f);
    EXPECT_FLOAT_EQ(inv.m_[0][2], -100.0f);
    EXPECT_FLOAT_EQ(inv.m_[1][2], -200.0f);
}

TEST(Geometry, InverseUndoesTheTransform) {
    flash::matrix m;
    m.set_scale_rotation(2.0f, 0.5f, 0.3f);
    m.m_[0][2] = 40.0f;
    m.m_[1][2] = -7.0f;
    flash::point p;
    m.transform(&p, flash::point(3.0f, 4.0f));
    flash::point back;
    m.transform_by_inverse(&back, p);
    EXPECT_NEAR(back.m_x, 3.0f, 1e-4f);
    EXPECT_NEAR(back.m_y, 4.0f, 1e-4f);
}

TEST(Geometry, MirroredScaleAndRotation) {
    flash::matrix m;
    m.m_[0][0] = -1.0f;
    EXPECT_TRUE(m.does_flip());
    EXPECT_FLOAT_EQ(m.get_x_scale(), -1.0f);
    EXPECT_FLOAT_EQ(m.get_y_scale(), 1.0f);
    EXPECT_FLOAT_EQ(m.get_rotation(), 0.0f);
}

TEST(Geometry, TransformedRectIsTheBoxOfItsCorners) {
    flash::matrix m;
    m.set_scale_rotation(1.0f, 1.0f, static_cast<float>(M_PI / 2));
    flash::rect r{0.0f, 10.0f, 0.0f, 20.0f};
    m.transform(&r);
    EXPECT_NEAR(r.m_x_min, -20.0f, 1e-4f);
    EXPECT_NEAR(r.m_x_max, 0.0f, 1e-4f);
    EXPECT_NEAR(r.m_y_min, 0.0f, 1e-4f);
    EXPECT_NEAR(r.m_y_max, 10.0f, 1e-4f);
}

TEST(Geometry, EnclosingATransformedRectReplacesTheOldBox) {
    const struct {
        float x_scale, y_scale, angle, tx, ty;
        flash::rect expected;
    } cases[] = {
        {1.0f, 1.0f, 0.0f, 5.0f, -7.0f, {5.0f, 15.0f, -7.0f, 13.0f}},
        {2.0f, 3.0f, 0.0f, 0.0f, 0.0f, {0.0f, 20.0f, 0.0f, 60.0f}},
        {1.0f, 1.0f, static_cast<float>(M_PI / 2), 100.0f, 0.0f, {80.0f, 100.0f, 0.0f, 10.0f}},
        {-1.0f, 1.0f, 0.0f, 0.0f, 0.0f, {-10.0f, 0.0f, 0.0f, 20.0f}},
        // Each corner gives one side of the box.
        {1.0f, 1.0f, static_cast<float>(M_PI / 4), 0.0f, 0.0f, {-14.142136f, 7.071068f, 0.0f, 21.213203f}},
    };
    const flash::rect source{0.0f, 10.0f, 0.0f, 20.0f};
    for (const auto& c : cases) {
        flash::matrix m;
        m.set_scale_rotation(c.x_scale, c.y_scale, c.angle);
        m.m_[0][2] = c.tx;
        m.m_[1][2] = c.ty;
        // Far away from every answer: the old box must not widen the new one.
        flash::rect r{-1000.0f, 1000.0f, -1000.0f, 1000.0f};
        r.enclose_transformed_rect(m, source);
        EXPECT_NEAR(r.m_x_min, c.expected.m_x_min, 1e-4f) << c.angle << " " << c.x_scale;
        EXPECT_NEAR(r.m_x_max, c.expected.m_x_max, 1e-4f) << c.angle << " " << c.x_scale;
        EXPECT_NEAR(r.m_y_min, c.expected.m_y_min, 1e-4f) << c.angle << " " << c.x_scale;
        EXPECT_NEAR(r.m_y_max, c.expected.m_y_max, 1e-4f) << c.angle << " " << c.x_scale;
    }
}

TEST(Geometry, ColourTransformClampsChannels) {
    flash::cxform c;
    c.m_[0][0] = 2.0f;
    EXPECT_EQ(c.transform(flash::rgba(200, 10, 10, 10)).m_r, 255);
    c.m_[0][0] = 1.0f;
    c.m_[0][1] = -300.0f;
    EXPECT_EQ(c.transform(flash::rgba(200, 10, 10, 10)).m_r, 0);
    c.m_[1][0] = nan_value;
    EXPECT_EQ(c.transform(flash::rgba(200, 10, 10, 10)).m_g, 0);
    c.clamp();
    EXPECT_EQ(c.m_[0][1], -255.0f);
    EXPECT_EQ(c.m_[1][0], 0.0f);
}

TEST(Geometry, ColourTransformTakesEachChannelFromItsOwnPlace) {
    flash::cxform c;
    for (int k = 0; k < 4; ++k) {
        c.m_[k][0] = 0.5f;
        c.m_[k][1] = static_cast<float>(k + 1);
    }
    const flash::rgba out = c.transform(flash::rgba(10, 40, 100, 200));
    EXPECT_EQ(out.m_r, 6);    // 5 + 1
    EXPECT_EQ(out.m_g, 22);   // 20 + 2
    EXPECT_EQ(out.m_b, 53);   // 50 + 3
    EXPECT_EQ(out.m_a, 104);  // 100 + 4
}

TEST(Geometry, ScalesOfARotatedMatrixUseBothOfTheirEntries) {
    flash::matrix m;
    m.set_scale_rotation(2.0f, 3.0f, static_cast<float>(M_PI / 2));  // m00 = 0, m10 = 2
    EXPECT_NEAR(m.get_x_scale(), 2.0f, 1e-5f);
    EXPECT_NEAR(m.get_y_scale(), 3.0f, 1e-5f);
    m.set_scale_rotation(2.0f, 3.0f, static_cast<float>(M_PI / 6));
    EXPECT_NEAR(m.get_x_scale(), 2.0f, 1e-5f);
    EXPECT_NEAR(m.get_y_scale(), 3.0f, 1e-5f);
    EXPECT_NEAR(m.get_rotation(), M_PI / 6, 1e-5f);
}

TEST(Geometry, ColourTransformConcatenateAppliesTheArgumentFirst) {
    flash::cxform outer;
    outer.m_[0][0] = 0.5f;
    outer.m_[0][1] = 10.0f;
    flash::cxform inner;
    inner.m_[0][1] = 100.0f;
    outer.concatenate(inner);
    EXPECT_FLOAT_EQ(outer.m_[0][1], 60.0f);
    EXPECT_FLOAT_EQ(outer.m_[0][0], 0.5f);
}

TEST(Geometry, RectTestsIncludeTheirEdges) {
    const flash::rect a{0.0f, 10.0f, 0.0f, 10.0f};
    const flash::rect b{10.0f, 20.0f, 0.0f, 10.0f};
    const flash::rect c{10.5f, 20.0f, 0.0f, 10.0f};
    EXPECT_TRUE(a.bound_test(b));
    EXPECT_FALSE(a.bound_test(c));
    EXPECT_TRUE(a.point_test(10.0f, 0.0f));
    EXPECT_FALSE(a.point_test(10.01f, 0.0f));
}

TEST(Geometry, ColourFromNumbersAndLerp) {
    flash::rgba c;
    c.set(0x123456);
    EXPECT_EQ(c, flash::rgba(0x12, 0x34, 0x56, 255));
    c.set(std::nan(""));
    EXPECT_EQ(c, flash::rgba(0, 0, 0, 255));
    c.set(1e300);
    EXPECT_EQ(c, flash::rgba(0, 0, 0, 255));
    flash::rgba mid;
    mid.set_lerp(flash::rgba(0, 0, 0, 0), flash::rgba(255, 100, 1, 255), 0.5f);
    EXPECT_EQ(mid, flash::rgba(128, 50, 1, 128));
}

}  // namespace
