#include "core/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string encode(const std::string& bytes) {
    std::vector<char> out(Tov::base64EncodedCapacity(bytes.size()) + 1, '#');
    EXPECT_EQ(Tov::base64Encode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out.data(),
                                out.size()),
              0);
    return out.data();
}

TEST(Base64, EncodesRfcVectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"abc", "YWJj"},
        {"ab", "YWI="},     {std::string("\xFF\xFE\x00", 3), "//4A"},
    };
    for (const auto& [raw, text] : cases) EXPECT_EQ(encode(raw), text) << text;
}

TEST(Base64, EncodeRefusesTooSmallBuffers) {
    const uint8_t abc[] = {'a', 'b', 'c'};
    char out[8];
    EXPECT_EQ(Tov::base64Encode(abc, 3, out, 4), -1);  // four characters but no room for the zero
    EXPECT_EQ(Tov::base64Encode(abc, 3, out, 5), 0);
    EXPECT_STREQ(out, "YWJj");
    EXPECT_EQ(Tov::base64Encode(abc, 0, out, 1), -1);
    EXPECT_EQ(Tov::base64Encode(abc, 0, out, 2), 0);
    EXPECT_STREQ(out, "");
}

// The capacity asked for is exactly what the encoder needs: one byte less is refused.
TEST(Base64, CapacityIsExactlyWhatTheEncoderNeeds) {
    const uint8_t bytes[7] = {1, 2, 3, 4, 5, 6, 7};
    const size_t expected[] = {2, 5, 5, 5, 9, 9, 9, 13};
    for (size_t length = 0; length <= 7; ++length) {
        const size_t capacity = Tov::base64EncodedCapacity(length);
        EXPECT_EQ(capacity, expected[length]) << length;
        std::vector<char> out(capacity + 1);
        EXPECT_EQ(Tov::base64Encode(bytes, length, out.data(), capacity), 0) << length;
        EXPECT_EQ(Tov::base64Encode(bytes, length, out.data(), capacity - 1), -1) << length;
    }
}

TEST(Base64, DecodesWithNoiseAndRejectsBrokenGroups) {
    const struct {
        const char* text;
        int result;
        std::string bytes;
    } cases[] = {
        {"YWJj", 0, "abc"},
        {"YW Jj", 0, "abc"},
        {"YW\r\nJj\n", 0, "abc"},
        {"YWI=", 0, "ab"},
        {"YQ==", 0, "a"},
        {"Zm9vYmFy", 0, "foobar"},
        {"", 0, ""},
        {"=", 0, ""},
        {"//4A", 0, std::string("\xFF\xFE\x00", 3)},
        {"YWJ", -1, "ab"},  // ends inside a group
        {"Y", -1, ""},
        {"Y===", -1, ""},  // one character cannot make a byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint8_t out[16] = {};
        uint32_t length = 99;
        EXPECT_EQ(Tov::base64Decode(c.text, out, &length), c.result);
        if (c.result == 0) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out), length), c.bytes);
        }
    }
    uint8_t small[2];
    uint32_t length = 0;
    EXPECT_EQ(Tov::base64Decode("YWJj", small, &length, sizeof small), -1);
    EXPECT_EQ(Tov::base64Decode(nullptr, small, &length), -1);
}

TEST(Base64, RoundTripsEveryByteValue) {
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    for (size_t n : {1u, 2u, 3u, 100u, 256u}) {
        const std::string text = encode(all.substr(0, n));
        std::vector<uint8_t> back(text.size() / 4 * 3);
        uint32_t length = 0;
        ASSERT_EQ(Tov::base64Decode(text.c_str(), back.data(), &length, back.size()), 0);
        EXPECT_EQ(std::string(back.begin(), back.begin() + length), all.substr(0, n));
    }
}

}  // namespace
