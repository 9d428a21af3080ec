// The file writer: truncating and appending, sizes, errors, and replacement of mapped files.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_writer.h"
#include "platform/mapped_file.h"
#include "tests/support/temp_dir.h"

namespace {

using core::FileWriter;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

TEST(FileWriter, TruncatingReplacesTheOldContents) {
    TempDir dir;
    writeFile("config.sta", "old contents, long");
    {
        FileWriter writer("config.sta", false);
        ASSERT_TRUE(writer.isOpen());
        EXPECT_EQ(writer.size(), 0u);
        EXPECT_EQ(writer.write("new", 3), 3);
        EXPECT_EQ(writer.error(), 0u);
        EXPECT_EQ(writer.size(), 3u);
        EXPECT_EQ(writer.write("", 0), 0);  // nothing to write changes nothing
        EXPECT_EQ(writer.size(), 3u);
        EXPECT_TRUE(writer.open("elsewhere", false));  // already open: true at once
    }
    EXPECT_EQ(readFile("config.sta"), "new");
    EXPECT_FALSE(std::filesystem::exists("elsewhere"));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
}

TEST(FileWriter, AppendingFollowsTheOldContents) {
    TempDir dir;
    writeFile("history.txt", "one\n");
    FileWriter writer("history.txt", true);
    ASSERT_TRUE(writer.isOpen());
    EXPECT_EQ(writer.size(), 4u);
    EXPECT_EQ(writer.write("two\n", 4), 4);
    EXPECT_EQ(writer.size(), 8u);
    writer.close();
    EXPECT_EQ(readFile("history.txt"), "one\ntwo\n");

    FileWriter fresh("new.txt", true);  // a missing file is created
    EXPECT_EQ(fresh.write("x", 1), 1);
    fresh.close();
    EXPECT_EQ(readFile("new.txt"), "x");
}

TEST(FileWriter, FailuresAreReportedNotHidden) {
    TempDir dir;
    FileWriter missing("no/such/folder/file.txt", false);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_NE(missing.error(), 0u);
    EXPECT_EQ(missing.write("abc", 3), 0);
    EXPECT_EQ(missing.error(), FileWriter::kErrorInvalidHandle);

    FileWriter writer("f.txt", false);
    EXPECT_EQ(writer.write("abc", 3), 3);
    writer.close();
    EXPECT_EQ(writer.write("more", 4), 0);
    EXPECT_EQ(writer.error(), FileWriter::kErrorInvalidHandle);
    EXPECT_EQ(readFile("f.txt"), "abc");
}

// A reader that has the old file mapped keeps reading it whole while a writer replaces it.
TEST(FileWriter, ReplacingAMappedFileLeavesTheReaderIntact) {
    TempDir dir;
    writeFile("movie.swf", std::string(100000, 'o'));
    platform::MappedFile mapped;
    ASSERT_TRUE(mapped.open("movie.swf"));
    {
        FileWriter writer("movie.swf", false);
        EXPECT_EQ(writer.write("n", 1), 1);
    }
    EXPECT_EQ(readFile("movie.swf"), "n");
    EXPECT_EQ(mapped.data()[99999], 'o');  // truncation in place would have raised SIGBUS here
}

}  // namespace
