#include "tools/swfwriter/bit_writer.h"

#include <gtest/gtest.h>

#include <functional>

using swf::BitWriter;
using swf::Bytes;

namespace {

TEST(SwfBitWriter, FieldWidths) {
    struct Case {
        int32_t value;
        int unsigned_bits, signed_bits;
    };
    const Case cases[] = {
        {0, 0, 0},         {1, 1, 2},          {-1, 32, 1},         {-2, 32, 2},         {2, 2, 3},
        {127, 7, 8},       {-128, 32, 8},      {128, 8, 9},         {255, 8, 9},         {11000, 14, 15},
        {0x10000, 17, 18}, {-0x10000, 32, 17}, {INT32_MIN, 32, 32}, {INT32_MAX, 31, 32},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(swf::ub_width(static_cast<uint32_t>(c.value)), c.unsigned_bits) << c.value;
        EXPECT_EQ(swf::sb_width(c.value), c.signed_bits) << c.value;
    }
}

TEST(SwfBitWriter, Encodings) {
    struct Case {
        const char* what;
        std::function<void(BitWriter&)> write;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"5 then 3 bits fill one byte",
         [](BitWriter& w) {
             w.ub(0b10110, 5);
             w.ub(0b011, 3);
         },
         {0xB3}},
        {"a field across a byte boundary",
         [](BitWriter& w) {
             w.ub(0b111, 3);
             w.ub(0x3FF, 10);
         },
         {0xFF, 0xF8}},
        {"signed -1 in 4 bits, 7 in 4 bits",
         [](BitWriter& w) {
             w.sb(-1, 4);
             w.sb(7, 4);
         },
         {0xF7}},
        {"a width too small drops the high bits", [](BitWriter& w) { w.ub(0x1F5, 4); }, {0x50}},
        {"0 bits write nothing",
         [](BitWriter& w) {
             w.ub(0xFF, 0);
             w.u8(0x12);
         },
         {0x12}},
        {"32-bit field", [](BitWriter& w) { w.ub(0x89ABCDEF, 32); }, {0x89, 0xAB, 0xCD, 0xEF}},
        {"whole bytes pad a partial byte with zeros",
         [](BitWriter& w) {
             w.flag(true);
             w.u8(0x55);
         },
         {0x80, 0x55}},
        {"u16 and u32 are little-endian",
         [](BitWriter& w) {
             w.u16(0x1234);
             w.u32(0xA1B2C3D4);
         },
         {0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}},
        {"16.16 fixed 1.5", [](BitWriter& w) { w.fixed16(1.5); }, {0x00, 0x80, 0x01, 0x00}},
        {"16.16 fixed -1", [](BitWriter& w) { w.fixed16(-1.0); }, {0x00, 0x00, 0xFF, 0xFF}},
        {"8.8 fixed 12", [](BitWriter& w) { w.fixed8(12.0); }, {0x00, 0x0C}},
        {"8.8 fixed 0.5", [](BitWriter& w) { w.fixed8(0.5); }, {0x80, 0x00}},
        {"float 1.0", [](BitWriter& w) { w.f32(1.0f); }, {0x00, 0x00, 0x80, 0x3F}},
        {"double 1.0, low word first",
         [](BitWriter& w) { w.f64(1.0); },
         {0, 0, 0, 0, 0x00, 0x00, 0xF0, 0x3F}},
        {"string with its terminator", [](BitWriter& w) { w.string("ab"); }, {0x61, 0x62, 0x00}},
        {"empty string", [](BitWriter& w) { w.string(""); }, {0x00}},
        {"trailing bits are padded",
         [](BitWriter& w) {
             w.ub(1, 1);
             w.ub(1, 9);
         },
         {0x80, 0x40}},
    };
    for (const Case& c : cases) {
        BitWriter w;
        c.write(w);
        EXPECT_EQ(w.take(), c.expected) << c.what;
    }
}

TEST(SwfBitWriter, CountsBitsAndStartsOverAfterTake) {
    BitWriter w;
    w.ub(0, 3);
    EXPECT_EQ(w.size_in_bits(), 3u);
    w.u8(1);
    EXPECT_EQ(w.size_in_bits(), 16u);
    EXPECT_EQ(w.take(), (Bytes{0x00, 0x01}));
    w.u8(7);
    EXPECT_EQ(w.take(), (Bytes{0x07}));
}

}  // namespace
