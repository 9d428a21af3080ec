// The SWF records of the geometry types: RECT, MATRIX, CXFORM with and without alpha, RGB/RGBA.
#include <gtest/gtest.h>

#include <cmath>

#include "flash/shape/geometry.h"
#include "reader_fixture.h"
#include "tools/swfwriter/records.h"

namespace {

using shapetest::stream_over;

std::vector<uint8_t> matrix_bytes(const swf::Matrix& m) {
    swf::BitWriter w;
    swf::write_matrix(w, m);
    w.align();
    return w.take();
}

std::vector<uint8_t> cxform_bytes(const swf::CxForm& c, bool alpha) {
    swf::BitWriter w;
    swf::write_cxform(w, c, alpha);
    w.align();
    return w.take();
}

TEST(GeometryRead, IdentityMatrixTakesSevenBits) {
    // HasScale 0, HasRotate 0, NTranslateBits 0: seven zero bits; the eighth is the next field's.
    stream_over s({0b00000001, 0x99});
    flash::matrix m;
    m.m_[0][2] = 5.0f;
    m.read(&s.in);
    EXPECT_TRUE(m.is_identity());
    EXPECT_EQ(s.in.read_uint(1), 1u);
    EXPECT_EQ(s.in.read_u8(), 0x99);
}

TEST(GeometryRead, MatrixTerms) {
    swf::Matrix w = swf::Matrix::scaling(2.0, -0.5, 200, -40);
    w.has_rotate = true;
    w.rotate_skew0 = 0x8000;   // 0.5 into m10
    w.rotate_skew1 = -0x4000;  // -0.25 into m01
    stream_over s(matrix_bytes(w));
    flash::matrix m;
    m.read(&s.in);
    EXPECT_FLOAT_EQ(m.m_[0][0], 2.0f);
    EXPECT_FLOAT_EQ(m.m_[1][1], -0.5f);
    EXPECT_FLOAT_EQ(m.m_[1][0], 0.5f);
    EXPECT_FLOAT_EQ(m.m_[0][1], -0.25f);
    EXPECT_FLOAT_EQ(m.m_[0][2], 200.0f);
    EXPECT_FLOAT_EQ(m.m_[1][2], -40.0f);
    EXPECT_FALSE(s.in.has_overrun());
}

TEST(GeometryRead, ColourTransformMultipliersDivideBy255Or256) {
    struct row {
        bool alpha;
        int32_t mult;
        float expected;
    };
    const row rows[] = {
        {false, 255, 1.0f},
        {false, 128, 128.0f / 255.0f},
        {true, 256, 1.0f},
        {true, 255, 0.99609375f},
        {true, -256, -1.0f},
    };
    for (const row& r : rows) {
        swf::CxForm c;
        c.has_mult = true;
        c.mult = {r.mult, r.mult, r.mult, r.mult};
        stream_over s(cxform_bytes(c, r.alpha));
        flash::cxform x;
        if (r.alpha) {
            x.read_rgba(&s.in);
        } else {
            x.read_rgb(&s.in);
        }
        EXPECT_FLOAT_EQ(x.m_[0][0], r.expected) << r.mult << (r.alpha ? " with alpha" : "");
        EXPECT_FLOAT_EQ(x.m_[2][0], r.expected);
        // Without alpha the alpha multiplier stays 1.
        EXPECT_FLOAT_EQ(x.m_[3][0], r.alpha ? r.expected : 1.0f);
        EXPECT_EQ(s.in.get_position(), static_cast<int>(s.data.size()));
    }
}

TEST(GeometryRead, ColourTransformAddTermsWithAndWithoutAlpha) {
    swf::CxForm c;
    c.has_add = true;
    c.add = {-255, 10, 255, 77};
    stream_over rgb(cxform_bytes(c, false));
    flash::cxform x;
    x.read_rgb(&rgb.in);
    EXPECT_FLOAT_EQ(x.m_[0][1], -255.0f);
    EXPECT_FLOAT_EQ(x.m_[1][1], 10.0f);
    EXPECT_FLOAT_EQ(x.m_[2][1], 255.0f);
    EXPECT_FLOAT_EQ(x.m_[3][1], 0.0f);
    EXPECT_FLOAT_EQ(x.m_[0][0], 1.0f);
    stream_over rgba(cxform_bytes(c, true));
    x.read_rgba(&rgba.in);
    EXPECT_FLOAT_EQ(x.m_[3][1], 77.0f);
}

TEST(GeometryRead, RectAndColours) {
    swf::BitWriter w;
    swf::write_rect(w, swf::Rect{-20, 11000, 0, 8000});
    swf::write_rgb(w, swf::Rgba{1, 2, 3, 4});
    swf::write_rgba(w, swf::Rgba{5, 6, 7, 8});
    swf::write_rgba(w, swf::Rgba{9, 10, 11, 12});
    stream_over s(w.take());
    flash::rect r;
    r.read(&s.in);
    EXPECT_FLOAT_EQ(r.m_x_min, -20.0f);
    EXPECT_FLOAT_EQ(r.m_x_max, 11000.0f);
    EXPECT_FLOAT_EQ(r.m_y_min, 0.0f);
    EXPECT_FLOAT_EQ(r.m_y_max, 8000.0f);
    flash::rgba c;
    c.read(&s.in, 22);  // up to DefineShape2: no alpha
    EXPECT_EQ(c, flash::rgba(1, 2, 3, 255));
    c.read(&s.in, 32);
    EXPECT_EQ(c, flash::rgba(5, 6, 7, 8));
    c.read_rgba(&s.in);
    EXPECT_EQ(c, flash::rgba(9, 10, 11, 12));
}

TEST(GeometryRead, CutRecordsReadZerosInsteadOfWandering) {
    swf::Matrix w = swf::Matrix::scaling(3.0, 3.0, 1000, 1000);
    std::vector<uint8_t> bytes = matrix_bytes(w);
    bytes.resize(2);
    stream_over s(bytes);
    flash::matrix m;
    m.read(&s.in);
    EXPECT_TRUE(s.in.has_overrun());
    EXPECT_TRUE(std::isfinite(m.m_[0][0]) && std::isfinite(m.m_[1][2]));
}

}  // namespace
