// The SWF bit stream: bit fields, aligned values, variable-length integers, strings, the tag
// stack and the bounds every read keeps.
#include "flash/swf/swf_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "flash/base/bx_file.h"
#include "swf_fixture.h"
#include "tests/support/engine_log.h"

namespace {

using swftest::bytes;
using swftest::stream_over;

TEST(SwfStream, BitFieldsReadMostSignificantFirstAcrossBytes) {
    stream_over s({0b10110011, 0xAB, 0xCD, 0x42});
    EXPECT_EQ(s.in.read_uint(5), 22u);
    EXPECT_EQ(s.in.read_uint(3), 3u);
    EXPECT_EQ(s.in.read_uint(12), 0xABCu);  // spans two bytes
    EXPECT_EQ(s.in.read_uint(0), 0u);
    // An aligned read drops the 4 unread bits of 0xCD.
    EXPECT_EQ(s.in.read_u8(), 0x42);
    EXPECT_FALSE(s.in.has_overrun());
}

TEST(SwfStream, SignedFieldsExtendTheirTopBit) {
    struct row {
        bytes data;
        int bits;
        int32_t expected;
    };
    const row rows[] = {
        {{0b11110000}, 4, -1},
        {{0b01110000}, 4, 7},
        {{0b10000000}, 1, -1},
        {{0x80, 0x00}, 16, -32768},
        {{0x7F, 0xFF, 0xFF, 0xFF}, 32, 0x7FFFFFFF},
        {{0xFF, 0xFF, 0xFF, 0xFE}, 32, -2},
    };
    for (const row& r : rows) {
        stream_over s(r.data);
        EXPECT_EQ(s.in.read_sint(r.bits), r.expected) << r.bits << " bits";
    }
}

TEST(SwfStream, AlignedNumbersAndFixedPoint) {
    stream_over s({0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00, 0x80, 0x01, 0x00, 0x00, 0x0C, 0x00, 0x3C, 0x00,
                   0xBC, 0x00, 0x00, 0xC0, 0x3F});
    EXPECT_EQ(s.in.read_u16(), 0x1234);
    EXPECT_EQ(s.in.read_u32(), 0x12345678u);
    EXPECT_FLOAT_EQ(s.in.read_fixed(), 1.5f);   // 16.16
    EXPECT_FLOAT_EQ(s.in.read_fixed8(), 12.0f);  // 8.8: 0x0C00
    EXPECT_FLOAT_EQ(s.in.read_float16(), 0.5f);  // exponent bias 16
    EXPECT_FLOAT_EQ(s.in.read_float16(), -0.5f);
    EXPECT_FLOAT_EQ(s.in.read_float(), 1.5f);
}

TEST(SwfStream, Float16ZeroExponentKeepsAZeroExponentField) {
    stream_over s({0x00, 0x00, 0x01, 0x00});
    EXPECT_EQ(s.in.read_float16(), 0.0f);
    const float tiny = s.in.read_float16();  // mantissa 1 << 13 in a zero exponent: a denormal
    EXPECT_GT(tiny, 0.0f);
    EXPECT_LT(tiny, 1e-37f);
}

TEST(SwfStream, VariableLengthIntegers) {
    struct row {
        bytes data;
        uint32_t expected;
        int length;
    };
    const row rows[] = {
        {{0x7F, 0x55}, 127, 1},
        {{0x80, 0x01}, 128, 2},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 0xFFFFFFFFu, 5},
        // A sixth continuation byte is not part of the value.
        {{0x81, 0x80, 0x80, 0x80, 0x80, 0x01}, 1, 5},
    };
    for (const row& r : rows) {
        stream_over s(r.data);
        EXPECT_EQ(s.in.read_vu32(), r.expected);
        EXPECT_EQ(s.in.get_position(), r.length);
    }
}

TEST(SwfStream, TagHeadersShortAndLong) {
    // Type 9 with 3 bytes; then type 0 with a long length of 100.
    bytes data = {0x43, 0x02, 1, 2, 3, 0x3F, 0x00, 100, 0, 0, 0};
    data.resize(data.size() + 100);
    stream_over s(data);
    EXPECT_EQ(s.in.open_tag(), 9);
    EXPECT_EQ(s.in.get_tag_end_position(), 5);
    s.in.close_tag();
    EXPECT_EQ(s.in.open_tag(), 0);
    EXPECT_EQ(s.in.get_tag_end_position(), 5 + 106);
    s.in.close_tag();
    EXPECT_EQ(s.in.get_position(), 111);
}

TEST(SwfStream, CloseTagAfterAShortReadLandsOnTheTagEnd) {
    bytes data = {0x0A, 0x00};  // type 0, length 10
    for (int i = 0; i < 10; ++i) data.push_back(static_cast<uint8_t>(i));
    data.push_back(0xEE);
    stream_over s(data);
    ASSERT_EQ(s.in.open_tag(), 0);
    s.in.read_u8();
    s.in.read_u16();
    s.in.close_tag();
    EXPECT_EQ(s.in.get_position(), 12);
    EXPECT_EQ(s.in.read_u8(), 0xEE);
}

TEST(SwfStream, ReadsPastTheTagEndGiveZerosAndNeverLeaveTheTag) {
    stream_over s({0x02, 0x00, 0x11, 0x22, 0x33, 0x44});  // a 2-byte tag, then two more bytes
    ASSERT_EQ(s.in.open_tag(), 0);
    EXPECT_EQ(s.in.read_u32(), 0x2211u);  // the tag's two bytes, then zeros
    EXPECT_TRUE(s.in.has_overrun());
    EXPECT_EQ(s.in.get_position(), 4);
    EXPECT_EQ(s.in.read_u8(), 0);
    s.in.close_tag();
    EXPECT_EQ(s.in.get_position(), 4);
    s.in.clear_overrun();
    EXPECT_EQ(s.in.read_u8(), 0x33);
}

TEST(SwfStream, ReadsPastTheFileEndGiveZerosAndSetTheFlag) {
    stream_over s({0x01});
    s.in.set_stream_end(100);  // a header that promised more than the file holds
    EXPECT_EQ(s.in.read_u16(), 1);
    EXPECT_TRUE(s.in.has_overrun());
    EXPECT_EQ(s.in.get_position(), 1);
}

TEST(SwfStream, TagLengthsOutsideTheContainerAreRefused) {
    testsupport::engine_log log;
    struct row {
        bytes data;
        const char* what;
    };
    const row rows[] = {
        {{0x05, 0x00, 1, 2}, "short length past the end"},
        {{0x3F, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, "0xFFFFFFFF"},
        {{0x3F, 0x00, 0x00, 0x00, 0x00, 0x80}, "above INT_MAX"},
        {{0x3F}, "header cut"},
    };
    for (const row& r : rows) {
        testsupport::engine_log::errors().clear();
        stream_over s(r.data);
        EXPECT_EQ(s.in.open_tag(), flash::swf_stream::bad_tag) << r.what;
        EXPECT_EQ(s.in.get_open_tag_count(), 0) << r.what;
        EXPECT_TRUE(testsupport::engine_log::has_error("error: swf_stream::open_tag()")) << r.what;
    }
}

TEST(SwfStream, NestedTagsAreBoundByTheirContainer) {
    testsupport::engine_log log;
    // An outer tag of 4 bytes holding an inner header that claims 10.
    stream_over s({0x04, 0x00, 0x0A, 0x00, 0, 0, 0xAA});
    ASSERT_EQ(s.in.open_tag(), 0);
    EXPECT_EQ(s.in.open_tag(), flash::swf_stream::bad_tag);
    s.in.close_tag();
    EXPECT_EQ(s.in.get_position(), 6);
}

TEST(SwfStream, StringsStopAtTheirTerminatorOrTheTagEnd) {
    stream_over s({0x03, 0x00, 'a', 0, 'b', 'c', 'd', 0x03, 'x', 0, 'y'});
    ASSERT_EQ(s.in.open_tag(), 0);
    flash::bx_string text;
    s.in.read_string(text);
    EXPECT_STREQ(text.c_str(), "a");
    s.in.read_string(text);  // no terminator before the tag's end
    EXPECT_STREQ(text.c_str(), "b");
    s.in.close_tag();
    EXPECT_EQ(s.in.read_u8(), 'c');
    s.in.read_u8();
    s.in.read_string_with_length(text);  // 3 bytes, the 0 dropped
    EXPECT_STREQ(text.c_str(), "xy");
}

TEST(SwfStream, LongStringsAreKeptWhole) {
    bytes data(300, 'q');
    data.push_back(0);
    stream_over s(data);
    flash::bx_string text;
    s.in.read_string(text);
    EXPECT_EQ(text.size(), 300);
    EXPECT_EQ(s.in.get_position(), 301);
}

}  // namespace
