#include "tools/swfwriter/records.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace swf;

namespace {

Bytes rect_bytes(const Rect& r) {
    BitWriter w;
    write_rect(w, r);
    return w.take();
}

Bytes matrix_bytes(const Matrix& m) {
    BitWriter w;
    write_matrix(w, m);
    return w.take();
}

Bytes cxform_bytes(const CxForm& c, bool with_alpha) {
    BitWriter w;
    write_cxform(w, c, with_alpha);
    return w.take();
}

TEST(SwfRecords, Rect) {
    // 550 x 400 pixels: 15-bit fields, the frame rectangle most movies start with.
    EXPECT_EQ(rect_bytes({0, 11000, 0, 8000}), (Bytes{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
    // All zero: NBits 0 and nothing else.
    EXPECT_EQ(rect_bytes({}), (Bytes{0x00}));
    // NBits 2: 00010 then -1, 0, 1 (01), -2 (10).
    EXPECT_EQ(rect_bytes({-1, 0, 1, -2}), (Bytes{0x16, 0x30}));
    // A given width of 2 for the value 3 writes 11, which reads back as -1.
    Rect narrow{3, 0, 0, 0, 2};
    EXPECT_EQ(rect_bytes(narrow), (Bytes{0x16, 0x00}));
    EXPECT_THROW(rect_bytes({0, INT32_MAX, 0, 0}), std::invalid_argument);
}

TEST(SwfRecords, Matrix) {
    // No scale, no rotation, NTranslateBits 0: 7 bits.
    EXPECT_EQ(matrix_bytes({}), (Bytes{0x00}));
    // Translation (20, -20): NTranslateBits 6, 010100 and 101100.
    EXPECT_EQ(matrix_bytes(Matrix::translation(20, -20)), (Bytes{0x0C, 0xA5, 0x80}));
    // Scale 2.0 and 0.5 (0x20000, 0x8000 in 19 bits), no translation.
    EXPECT_EQ(matrix_bytes(Matrix::scaling(2.0, 0.5)), (Bytes{0xCD, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00}));
    // Rotation by a quarter turn: skews 1.0 and -1.0 in 18 bits.
    Matrix rotated;
    rotated.has_rotate = true;
    rotated.rotate_skew0 = 0x10000;
    rotated.rotate_skew1 = -0x10000;
    EXPECT_EQ(matrix_bytes(rotated), (Bytes{0x64, 0x80, 0x00, 0x60, 0x00, 0x00}));
    // A given translate width narrower than the values.
    Matrix narrow = Matrix::translation(5, 1);
    narrow.translate_bits = 2;
    // 0 0 00010 01 01: 5 loses its high bit.
    EXPECT_EQ(matrix_bytes(narrow), (Bytes{0x04, 0xA0}));
}

TEST(SwfRecords, CxForm) {
    CxForm mult;
    mult.has_mult = true;
    mult.mult = {255, 128, 0, 7};
    // No alpha: 0 1 1001, then 255, 128, 0 in 9 bits; the alpha term is not written.
    EXPECT_EQ(cxform_bytes(mult, false), (Bytes{0x65, 0xFE, 0x80, 0x00, 0x00}));

    CxForm add;
    add.has_add = true;
    add.add = {-1, 2, 3, 0};
    // With alpha: 1 0 0011, then 111 010 011 000.
    EXPECT_EQ(cxform_bytes(add, true), (Bytes{0x8F, 0xA6, 0x00}));
    // Without alpha the same terms stop after blue: 1 0 0011 111 010 011.
    EXPECT_EQ(cxform_bytes(add, false), (Bytes{0x8F, 0xA6}));

    CxForm both;
    both.has_mult = true;
    both.mult = {1, 1, 1, 1};
    both.has_add = true;
    both.add = {0, 0, 0, -1};
    // 1 1 0010, mult 01 01 01 01, add 00 00 00 11.
    EXPECT_EQ(cxform_bytes(both, true), (Bytes{0xC9, 0x54, 0x0C}));

    // Neither group: the two flags and NBits 0.
    EXPECT_EQ(cxform_bytes({}, true), (Bytes{0x00}));

    CxForm wide;
    wide.has_add = true;
    wide.add = {40000, 0, 0, 0};
    EXPECT_THROW(cxform_bytes(wide, false), std::invalid_argument);
}

TEST(SwfRecords, Colours) {
    BitWriter w;
    write_rgb(w, {1, 2, 3, 4});
    write_rgba(w, {5, 6, 7, 8});
    EXPECT_EQ(w.take(), (Bytes{1, 2, 3, 5, 6, 7, 8}));
}

}  // namespace
