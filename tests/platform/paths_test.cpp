#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/log_sink.h"
#include "tests/support/temp_dir.h"

namespace {

std::string g_lastLevel, g_lastText;
void recordSink(const char* level, const std::string& text) {
    g_lastLevel = level;
    g_lastText = text;
}

TEST(Paths, ResolvesBackslashesAndAnyCase) {
    testsupport::TempDir dir;
    testsupport::writeFile("data/texts/strings.st", "x");
    auto p = platform::resolvePath("Data\\Texts\\Strings.st");
    ASSERT_TRUE(p);
    EXPECT_EQ(*p, "data/texts/strings.st");
    std::string content;
    EXPECT_TRUE(platform::readWholeFile("Data\\Texts\\Strings.st", content));
    EXPECT_EQ(content, "x");
}

TEST(Paths, ExactSpellingWinsAndMissingTailIsKept) {
    testsupport::TempDir dir;
    std::filesystem::create_directories("Data");
    std::filesystem::create_directories("data");
    EXPECT_EQ(*platform::resolvePath("Data/x"), "Data/x");
    EXPECT_EQ(*platform::resolvePath("DATA/x"), "Data/x");  // the smallest folded match, stably
    EXPECT_EQ(*platform::resolvePath("nothere\\Sub\\File.TXT"), "nothere/Sub/File.TXT");
    EXPECT_EQ(*platform::resolvePath(".\\Data\\.\\y"), "Data/y");
}

TEST(Paths, CreatesInsideExistingFolderReusingCase) {
    testsupport::TempDir dir;
    std::filesystem::create_directories("crsh");
    platform::File f;
    ASSERT_TRUE(f.open("crsh\\Crash_1.crash", platform::File::Mode::Write));
    EXPECT_EQ(f.hostPath(), "crsh/Crash_1.crash");
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(std::filesystem::exists("crsh/Crash_1.crash"));
    // A second writer under another case reuses the existing file.
    ASSERT_TRUE(f.open("CRSH\\crash_1.CRASH", platform::File::Mode::Append));
    EXPECT_EQ(f.hostPath(), "crsh/Crash_1.crash");
}

TEST(Paths, DriveLetterIsRefusedWithError) {
    platform::setLogSink(&recordSink);
    auto p = platform::resolvePath("c:\\x");
    platform::setLogSink(nullptr);
    EXPECT_FALSE(p);
    EXPECT_EQ(g_lastLevel, "ERROR");
    EXPECT_NE(g_lastText.find("c:\\x"), std::string::npos);
}

TEST(Paths, FoldedOrderingIsAsciiOnly) {
    EXPECT_TRUE(platform::lessFoldedAscii("abc", "ABD"));
    EXPECT_TRUE(platform::equalsFoldedAscii("\xc3\x84" "bc", "\xc3\x84" "BC"));
    EXPECT_FALSE(platform::equalsFoldedAscii("\xc3\x84", "\xc3\xa4"));  // no folding past ASCII
}

}  // namespace
