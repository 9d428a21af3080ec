// MATRIX and CXFORM records as the file stores them: which terms are present, their bit order and
// signs, and the zeros a record cut by the end reads.
#include "flash/swf/geometry_records.h"

#include <gtest/gtest.h>

#include "swf_fixture.h"
#include "tools/swfwriter/bit_writer.h"

namespace {

using swftest::stream_over;

TEST(GeometryRecords, MatrixWithTranslationOnlyByHand) {
    // No scale, no rotate, 5 translate bits, x 01010 (10), y 11110 (-2), then padding.
    stream_over s({0x0A, 0xAF, 0x00, 0x77});
    flash::swf_matrix m;
    m.scale_x = 99;  // the reader starts from an empty record
    flash::read_matrix(&s.in, &m);
    EXPECT_FALSE(m.has_scale);
    EXPECT_FALSE(m.has_rotate);
    EXPECT_EQ(m.scale_x, 0);
    EXPECT_EQ(m.translate_x, 10);
    EXPECT_EQ(m.translate_y, -2);
    EXPECT_EQ(s.in.read_u8(), 0x77);
}

TEST(GeometryRecords, MatrixTermsEachInTheirOwnWidth) {
    swf::BitWriter w;
    w.flag(true);
    w.ub(19, 5);
    w.sb(0x20000, 19);
    w.sb(-0x8000, 19);
    w.flag(true);
    w.ub(17, 5);
    w.sb(0x8000, 17);
    w.sb(-0x4000, 17);
    w.ub(0, 5);  // no translation bits: both translate terms stay 0
    w.align();
    w.u8(0x5A);
    stream_over s(w.take());
    flash::swf_matrix m;
    flash::read_matrix(&s.in, &m);
    EXPECT_TRUE(m.has_scale);
    EXPECT_EQ(m.scale_x, 0x20000);
    EXPECT_EQ(m.scale_y, -0x8000);
    EXPECT_TRUE(m.has_rotate);
    EXPECT_EQ(m.rotate_skew0, 0x8000);
    EXPECT_EQ(m.rotate_skew1, -0x4000);
    EXPECT_EQ(m.translate_x, 0);
    EXPECT_EQ(m.translate_y, 0);
    EXPECT_EQ(s.in.read_u8(), 0x5A);
    EXPECT_FALSE(s.in.has_overrun());
}

TEST(GeometryRecords, ColourTransformWithoutAlphaByHand) {
    // Add terms only, 4 bits each: r 0011 (3), g 1111 (-1), b 0111 (7).
    stream_over s({0x90, 0xFD, 0xC0, 0x66});
    flash::swf_cxform c;
    flash::read_cxform(&s.in, false, &c);
    EXPECT_EQ(c.channels, 3);
    EXPECT_TRUE(c.has_add);
    EXPECT_FALSE(c.has_mult);
    EXPECT_EQ(c.add[0], 3);
    EXPECT_EQ(c.add[1], -1);
    EXPECT_EQ(c.add[2], 7);
    EXPECT_EQ(c.add[3], 0);
    EXPECT_EQ(s.in.read_u8(), 0x66);
}

TEST(GeometryRecords, ColourTransformWithAlphaReadsMultipliersBeforeAddends) {
    swf::BitWriter w;
    w.flag(true);  // has add
    w.flag(true);  // has mult
    w.ub(10, 4);
    for (int32_t v : {256, 128, -256, 64}) w.sb(v, 10);
    for (int32_t v : {-10, 20, 30, -40}) w.sb(v, 10);
    w.align();
    stream_over s(w.take());
    flash::swf_cxform c;
    flash::read_cxform(&s.in, true, &c);
    EXPECT_EQ(c.channels, 4);
    const int32_t mult[] = {256, 128, -256, 64};
    const int32_t add[] = {-10, 20, 30, -40};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(c.mult[k], mult[k]) << k;
        EXPECT_EQ(c.add[k], add[k]) << k;
    }
    EXPECT_EQ(s.in.get_position(), static_cast<int>(s.data.size()));
}

TEST(GeometryRecords, CutRecordsReadZerosAndOverrun) {
    // Scale present with 31-bit terms, but the record ends after its first byte.
    stream_over m_in({0xFF});
    flash::swf_matrix m;
    flash::read_matrix(&m_in.in, &m);
    EXPECT_TRUE(m.has_scale);
    EXPECT_TRUE(m_in.in.has_overrun());
    EXPECT_EQ(m.translate_x, 0);
    EXPECT_EQ(m.translate_y, 0);

    stream_over c_in({0xFC});  // add and mult, 15 bits each, nothing after
    flash::swf_cxform c;
    flash::read_cxform(&c_in.in, true, &c);
    EXPECT_TRUE(c_in.in.has_overrun());
    for (int k = 0; k < 4; ++k) EXPECT_EQ(c.add[k], 0) << k;
}

}  // namespace
