#include "input/clipboard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/input/clipboard.h"
#include "tests/support/environment.h"

namespace {

class ClipboardText : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::useHeadlessDrivers();
        ASSERT_TRUE(platform::startClipboardVideo());
    }
    static void TearDownTestSuite() { platform::stopClipboardVideo(); }
    void SetUp() override { ASSERT_TRUE(platform::setClipboardUtf8("")); }

    static std::string systemText() { return platform::clipboardUtf8(); }
};

TEST_F(ClipboardText, AnEmptyClipboardLeavesTheTargetUnchanged) {
    std::string text = "kept";
    Clipboard::getText(text);
    EXPECT_EQ(text, "kept");
}

TEST_F(ClipboardText, PutsTextIntoAnEmptyClipboardAsUtf8) {
    Clipboard::putText("Gr\xFC\xDF" "e \x80 5");
    EXPECT_EQ(systemText(), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC 5");
    Clipboard::putText(std::string("ab\0cd", 5));  // the text ends at its NUL
    EXPECT_EQ(systemText(), "ab");
}

TEST_F(ClipboardText, GetsTheSystemTextInWindows1252) {
    ASSERT_TRUE(platform::setClipboardUtf8("na\xC3\xAFve \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x9C\x93"));
    std::string text = "old";
    Clipboard::getText(text);
    EXPECT_EQ(text, "na\xEFve \x93quoted\x94 ?");
}

TEST_F(ClipboardText, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    Clipboard::putText(all);
    std::string back;
    Clipboard::getText(back);
    EXPECT_EQ(back, all);
}

}  // namespace
