#include "tools/swfwriter/abc.h"

#include <gtest/gtest.h>

using namespace swf;

namespace {

TEST(SwfAbc, VariableLengthAndBranchEncodings) {
    struct Case {
        uint32_t value;
        Bytes expected;
    };
    const Case cases[] = {
        {0, {0x00}},
        {127, {0x7F}},
        {128, {0x80, 0x01}},
        {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x0F}},
    };
    for (const Case& c : cases) {
        Bytes out;
        write_u30(out, c.value);
        EXPECT_EQ(out, c.expected) << c.value;
    }
    Bytes s24;
    write_s24(s24, -2);
    EXPECT_EQ(s24, (Bytes{0xFE, 0xFF, 0xFF}));
    // A backward branch to the start and a forward one past a byte.
    Code code;
    const int top = code.new_label();
    const int end = code.new_label();
    code.label(top).op(op::pushtrue).branch(op::iftrue, top).branch(op::iffalse, end).op(op::nop).label(end);
    EXPECT_EQ(code.bytes(), (Bytes{op::pushtrue, op::iftrue, 0xFB, 0xFF, 0xFF, op::iffalse, 0x01, 0x00, 0x00, op::nop}));
}

TEST(SwfAbc, AnEmptyBlockAndOnePoolEntry) {
    Abc empty;
    EXPECT_EQ(empty.finish(), (Bytes{16, 0, 46, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    Abc one;
    EXPECT_EQ(one.integer(-1), 1u);
    EXPECT_EQ(one.integer(-1), 1u);  // equal entries share their index
    const Bytes b = one.finish();
    EXPECT_EQ(Bytes(b.begin() + 4, b.begin() + 10), (Bytes{2, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
    Abc q;
    EXPECT_EQ(q.qname("a"), 1u);
    EXPECT_EQ(q.qname("a"), 1u);
    EXPECT_EQ(q.qname("b"), 2u);
}

}  // namespace
