#include "flash/base/utf8.h"

#include <gtest/gtest.h>

#include <string>

using flash::utf8_decode_next_char;

namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    uint32_t code;
    int advance;  // bytes the position moves
};

TEST(Utf8Decode, Table) {
    const DecodeCase cases[] = {
        {"end", std::string(), 0, 0},
        {"ascii", "A", 0x41, 1},
        {"two bytes", "\xC3\xA9", 0xE9, 2},
        {"three bytes", "\xE2\x82\xAC", 0x20AC, 3},
        {"four bytes", "\xF0\x9F\x98\x80", 0x1F600, 4},
        {"five bytes", "\xF8\x88\x80\x80\x80", 0x200000, 5},
        {"six bytes", "\xFC\x84\x80\x80\x80\x80", 0x4000000, 6},
        {"overlong two", "\xC0\x80", 0xFFFD, 2},
        {"overlong three", "\xE0\x80\xAF", 0xFFFD, 3},
        {"overlong four", "\xF0\x8F\xBF\xBF", 0xFFFD, 4},
        {"overlong five", "\xF8\x87\xBF\xBF\xBF", 0xFFFD, 5},
        {"overlong six", "\xFC\x83\xBF\xBF\xBF\xBF", 0xFFFD, 6},
        {"high surrogate", "\xED\xA0\x80", 0xFFFD, 3},
        {"low surrogate", "\xED\xBF\xBF", 0xFFFD, 3},
        {"U+FFFE", "\xEF\xBF\xBE", 0xFFFD, 3},
        {"U+FFFF", "\xEF\xBF\xBF", 0xFFFD, 3},
        {"lone continuation", "\x80", 0xFFFD, 1},
        {"lead FE", "\xFE", 0xFFFD, 1},
        {"lead FF", "\xFF", 0xFFFD, 1},
        {"bad continuation stops on it", "\xC3\x41", 0xFFFD, 1},
        {"bad continuation in four", "\xF0\x9F\x41\x80", 0xFFFD, 2},
        {"NUL inside a sequence", std::string("\xE2\x82", 2), 0, 2},
        {"NUL after lead", std::string("\xC3", 1), 0, 1},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = c.bytes;  // NUL-terminated by std::string
        const char* p = text.c_str();
        EXPECT_EQ(utf8_decode_next_char(&p), c.code);
        EXPECT_EQ(p - text.c_str(), c.advance);
    }
}

TEST(Utf8Encode, LengthsAndRoundTrip) {
    struct EncodeCase {
        uint32_t code;
        std::string bytes;
    };
    const EncodeCase cases[] = {
        {0x41, "A"},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x20AC, "\xE2\x82\xAC"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x1FFFFF, "\xF7\xBF\xBF\xBF"},
        {0x200000, "\xF8\x88\x80\x80\x80"},
        {0x3FFFFFF, "\xFB\xBF\xBF\xBF\xBF"},
        {0x4000000, "\xFC\x84\x80\x80\x80\x80"},
        {0x7FFFFFFF, "\xFD\xBF\xBF\xBF\xBF\xBF"},
    };
    for (const EncodeCase& c : cases) {
        SCOPED_TRACE(c.code);
        char buffer[8] = {};
        int index = 0;
        flash::utf8_encode_char(buffer, &index, c.code);
        ASSERT_EQ(index, static_cast<int>(c.bytes.size()));
        EXPECT_EQ(std::string(buffer, index), c.bytes);
        const char* p = buffer;
        EXPECT_EQ(flash::utf8_decode_next_char(&p), c.code);
        EXPECT_EQ(p, buffer + index);
    }
    char buffer[8] = {};
    int index = 2;
    flash::utf8_encode_char(buffer, &index, 0x80000000u);
    EXPECT_EQ(index, 2);
    flash::utf8_encode_char(buffer, &index, 0x20AC);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(std::string(buffer + 2, 3), "\xE2\x82\xAC");
}

}  // namespace
