#include "flash/base/byte_cursor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace flash {
namespace {

TEST(ByteCursor, ReadsLittleEndianValuesInOrder) {
    const uint8_t bytes[] = {0x01, 0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xAA, 0xBB, 0xCC,
                             0x00, 0x00, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    byte_cursor in(bytes, sizeof bytes);
    EXPECT_EQ(in.u8(), 0x01);
    EXPECT_EQ(in.u16(), 0x1234);
    EXPECT_EQ(in.s16(), -2);
    EXPECT_EQ(in.u32(), 0x12345678u);
    EXPECT_EQ(in.u24(), 0xCCBBAAu);
    EXPECT_EQ(in.f32(), 1.0f);
    EXPECT_EQ(in.f64(), 1.0);
    EXPECT_TRUE(in.at_end());
    EXPECT_FALSE(in.failed());
}

TEST(ByteCursor, AReadPastTheEndGivesZeroMovesNothingAndStaysFailed) {
    const uint8_t bytes[] = {0x11, 0x22, 0x33};
    byte_cursor in(bytes, sizeof bytes);
    EXPECT_EQ(in.u16(), 0x2211);
    EXPECT_EQ(in.u32(), 0u);  // one byte left: nothing is read
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.position(), 2);
    EXPECT_EQ(in.u8(), 0);  // sticky, although the byte is there
    EXPECT_EQ(in.position(), 2);
}

TEST(ByteCursor, BadCountsAndPositionsFail) {
    const uint8_t bytes[] = {1, 2, 3, 4};
    struct Case {
        int position;
        int count;
    } cases[] = {{0, -1}, {0, 5}, {-1, 1}, {4, 1}, {9, 0}};
    for (const Case& c : cases) {
        byte_cursor in(bytes, sizeof bytes, c.position);
        uint8_t out[8] = {};
        EXPECT_FALSE(in.bytes(out, c.count)) << c.position << " " << c.count;
        EXPECT_TRUE(in.failed());
        EXPECT_EQ(out[0], 0);
    }
    byte_cursor negative(bytes, -5);
    EXPECT_EQ(negative.left(), 0);
    EXPECT_EQ(negative.u8(), 0);
}

TEST(ByteCursor, TextsEndAtTheirNulOrFail) {
    const uint8_t bytes[] = {'a', 'b', 0, 0, 'c'};
    byte_cursor in(bytes, sizeof bytes);
    int length = -1;
    EXPECT_STREQ(in.c_string(&length), "ab");
    EXPECT_EQ(length, 2);
    EXPECT_STREQ(in.c_string(&length), "");
    EXPECT_EQ(length, 0);
    EXPECT_FALSE(in.failed());
    EXPECT_STREQ(in.c_string(&length), "");  // "c" has no NUL
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.position(), 5);
}

}  // namespace
}  // namespace flash
