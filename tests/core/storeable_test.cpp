#include "core/storeable.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes storeCompact(uint32_t value) {
    Tov::CompactULong v(value);
    Bytes out(v.size() + 4, 0xEE);
    uint8_t* end = v.store(out.data());
    EXPECT_EQ(end - out.data(), static_cast<long>(v.size()));
    out.resize(end - out.data());
    return out;
}

TEST(CompactULong, EncodesVectorsAndReadsThemBack) {
    const struct {
        uint32_t value;
        Bytes bytes;
    } cases[] = {
        {0, {0x00}},
        {1, {0x01}},
        {127, {0x7F}},
        {128, {0x80, 0x01}},
        {300, {0xAC, 0x02}},
        {16383, {0xFF, 0x7F}},
        {16384, {0x80, 0x80, 0x01}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
        {0x10000000, {0x80, 0x80, 0x80, 0x80, 0x01}},
        {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x0F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(storeCompact(c.value), c.bytes);
        Tov::CompactULong unbounded, bounded;
        EXPECT_EQ(unbounded.load(c.bytes.data()), c.bytes.data() + c.bytes.size());
        EXPECT_EQ(unbounded.value(), c.value);
        EXPECT_EQ(bounded.load(c.bytes.data(), c.bytes.data() + c.bytes.size()),
                  c.bytes.data() + c.bytes.size());
        EXPECT_EQ(bounded.value(), c.value);
    }
}

TEST(CompactULong, RejectsTruncatedAndOverlongValues) {
    const Bytes truncated = {0x80, 0x80};
    Tov::CompactULong v(77);
    EXPECT_EQ(v.load(truncated.data(), truncated.data() + truncated.size()), nullptr);
    EXPECT_EQ(v.value(), 0u);
    EXPECT_EQ(v.load(truncated.data(), truncated.data()), nullptr);

    // Six bytes of continuation: reading stops after the fifth and reports an error.
    const Bytes overlong = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};
    EXPECT_EQ(v.load(overlong.data()), nullptr);
    EXPECT_EQ(v.load(overlong.data(), overlong.data() + overlong.size()), nullptr);
}

TEST(LengthPrefixedString, RoundTripsAndRejectsShortBuffers) {
    const std::string texts[] = {"", "a", "Data\\Levels\\forest.xml", std::string(200, 'x')};
    for (const auto& text : texts) {
        Bytes buf(Tov::storedStringSize(text));
        uint8_t* end = Tov::storeString(buf.data(), text);
        ASSERT_EQ(end, buf.data() + buf.size());
        std::string back = "old";
        EXPECT_EQ(Tov::loadString(buf.data(), buf.data() + buf.size(), back), buf.data() + buf.size());
        EXPECT_EQ(back, text);
        EXPECT_EQ(Tov::loadString(buf.data(), back), buf.data() + buf.size());
        EXPECT_EQ(back, text);
    }
    EXPECT_EQ(Tov::storedStringSize(std::string(200, 'x')), 202u);

    // A length that promises more bytes than the buffer holds.
    const Bytes lying = {0x05, 'a', 'b'};
    std::string out = "old";
    EXPECT_EQ(Tov::loadString(lying.data(), lying.data() + lying.size(), out), nullptr);
    EXPECT_TRUE(out.empty());
}

}  // namespace
