// The ADPCM encoder's layout, checked bit by bit on small cases worked out by hand.
#include "tools/swfwriter/adpcm.h"

#include <gtest/gtest.h>

namespace {

TEST(AdpcmEncoder, OneBlockHeaderThenCodesAfterTheCodeSize) {
    // Code size 4 (field 2), sample 100 as 16 bits, index 0 as 6 bits, then the code 0 of a
    // repeated sample: 10 0000000001100100 000000 0000, padded.
    const swf::AdpcmEncoding e = swf::encode_adpcm({100, 100}, false, 4);
    EXPECT_EQ(e.data, (swf::Bytes{0x80, 0x19, 0x00, 0x00}));
    EXPECT_EQ(e.decoded, (std::vector<int16_t>{100, 100}));
}

TEST(AdpcmEncoder, StereoHeadersComeLeftThenRight) {
    // 2-bit codes (field 0): left -1, index 0; right 2, index 0: 00, then 16+6 bits each.
    const swf::AdpcmEncoding e = swf::encode_adpcm({-1, 2}, true, 2);
    // 00 111111 | 11111111 | 11 000000 | 00000000 | 00000010 | 000000 pad
    EXPECT_EQ(e.data, (swf::Bytes{0x3F, 0xFF, 0xC0, 0x00, 0x02, 0x00}));
}

TEST(AdpcmEncoder, ARisingSampleTakesThePositiveCodeAndTheIndexMoves) {
    // 3-bit codes: from 0 with step 7, a target of 20 takes both magnitude bits: 7 + 3, plus the
    // step's quarter 1, rebuilds 11; magnitude 3 moves the index by 4, to step 11.
    const swf::AdpcmEncoding e = swf::encode_adpcm({0, 20, 20}, false, 3);
    ASSERT_EQ(e.decoded.size(), 3u);
    EXPECT_EQ(e.decoded[1], 7 + 3 + 1);
    // From 11 the difference 9 is below 11 but not below 5: 5 plus the quarter 2 are added.
    EXPECT_EQ(e.decoded[2], 11 + 5 + 2);
}

}  // namespace
