#include "platform/input/clipboard.h"

#include <gtest/gtest.h>

namespace {

TEST(ClipboardCodePage, Windows1252AndUtf8ConvertBothWays) {
    struct Case {
        std::string cp1252, utf8;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80 5", "\xE2\x82\xAC 5"},  // euro sign
        {"\x9F\xFF", "\xC5\xB8\xC3\xBF"},
        {"\x81", "\xC2\x81"},  // unassigned byte: the C1 control of the same value
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::cp1252ToUtf8(c.cp1252), c.utf8);
        EXPECT_EQ(platform::utf8ToCp1252(c.utf8), c.cp1252);
    }
}

TEST(ClipboardCodePage, CharactersOutsideWindows1252AndBadBytesBecomeQuestionMarks) {
    EXPECT_EQ(platform::utf8ToCp1252("\xE2\x9C\x93 ok"), "? ok");   // check mark
    EXPECT_EQ(platform::utf8ToCp1252("\xF0\x9F\x98\x80"), "?");     // outside the BMP
    EXPECT_EQ(platform::utf8ToCp1252("a\xC3"), "a?");               // cut sequence
    EXPECT_EQ(platform::utf8ToCp1252("\xC0\xAF"), "??");            // overlong
    EXPECT_EQ(platform::utf8ToCp1252("\xED\xA0\x80"), "???");       // surrogate
}

TEST(ClipboardCodePage, WithoutVideoTheClipboardFailsAndLeavesTheTextAlone) {
    std::string text = "kept";
    EXPECT_FALSE(platform::getClipboardText(text));
    EXPECT_EQ(text, "kept");
    EXPECT_FALSE(platform::setClipboardText("x"));
    EXPECT_FALSE(platform::clipboardHasText());
}

}  // namespace
