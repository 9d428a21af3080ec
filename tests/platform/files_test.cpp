#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/mapped_file.h"
#include "tests/support/fsync_record.h"
#include "tests/support/killed_child.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Files, ListingIsSortedCaseFolded) {
    testsupport::TempDir dir;
    for (const char* name : {"b.txt", "A.txt", "c.txt", "a.TXT"}) testsupport::writeFile(name, name);
    std::filesystem::create_directories("Sub");
    std::vector<std::string> names;
    for (const auto& e : platform::listDirectory(".")) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "a.TXT", "b.txt", "c.txt", "Sub"}));
}

TEST(Files, AtomicReplaceKeepsMappedReaderIntact) {
    testsupport::TempDir dir;
    testsupport::writeFile("save.prof", std::string(10000, 'a'));
    platform::MappedFile old;
    ASSERT_TRUE(old.open("save.prof"));
    ASSERT_TRUE(platform::writeFileAtomically("SAVE.prof", "new", 3));
    EXPECT_EQ(testsupport::readFile("save.prof"), "new");
    EXPECT_EQ(old.data()[9999], 'a');  // the old mapping still reads its bytes
    EXPECT_FALSE(std::filesystem::exists("SAVE.prof"));
    int leftovers = 0;
    for (auto& e : std::filesystem::directory_iterator(".")) leftovers += e.path().filename() != "save.prof";
    EXPECT_EQ(leftovers, 0);
}

TEST(Files, ReplacingKeepsPermissionsAndAnUncommittedFileLeavesNoTrace) {
    testsupport::TempDir dir;
    testsupport::writeFile("config.sta", "old");
    std::filesystem::permissions("config.sta", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(platform::writeFileAtomically("config.sta", "new", 3));
    EXPECT_EQ(std::filesystem::status("config.sta").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    {
        platform::ReplacingFile out;
        ASSERT_TRUE(out.open("config.sta"));
        EXPECT_EQ(out.file().write("half", 4), 4);
    }  // never committed: the old file stays, the temporary file is gone
    EXPECT_EQ(testsupport::readFile("config.sta"), "new");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(".")) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

// A save killed halfway leaves its temporary file; the next save of that target removes it. Other
// targets' temporaries and those of a process still alive (this one) are left alone.
TEST(Files, SaveKilledHalfwayLeavesNoTemporaryAfterTheNextSave) {
    testsupport::TempDir dir;
    ASSERT_TRUE(platform::writeFileAtomically("player.prof", "old", 3));
    const std::string living = "player.prof.tmp" + std::to_string(::getpid()) + "_999";
    const std::vector<std::string> kept = {living, "other.prof.tmp1_0", "player.prof.tmpx_1", "player.prof.tmp12_"};
    for (const std::string& name : kept) testsupport::writeFile(name, "keep");

    ASSERT_TRUE(testsupport::runUntilKilled([] {
        static platform::ReplacingFile save;  // never destroyed: the kill comes first
        return save.open("player.prof") && save.file().write("half written", 12) == 12;
    }));
    auto names = [] {
        std::set<std::string> out;
        for (auto& e : std::filesystem::directory_iterator(".")) out.insert(e.path().filename().string());
        return out;
    };
    EXPECT_EQ(names().size(), kept.size() + 2) << "the killed save's temporary is there";
    EXPECT_EQ(testsupport::readFile("player.prof"), "old");  // no save is lost

    ASSERT_TRUE(platform::writeFileAtomically("player.prof", "new", 3));
    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert("player.prof");
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(testsupport::readFile("player.prof"), "new");
}

// A completed save survives a power loss: the new file's bytes and then its folder's entry (the
// rename) are synced.
TEST(Files, SaveSyncsTheFileAndThenItsFolder) {
    testsupport::TempDir dir;
    std::filesystem::create_directory("profiles");
    testsupport::clearFsyncRecord();
    ASSERT_TRUE(platform::writeFileAtomically("profiles/player.prof", "saved", 5));
    EXPECT_EQ(testsupport::fsyncCount("profiles/player.prof"), 1);
    EXPECT_EQ(testsupport::fsyncCount("profiles"), 1);
    EXPECT_EQ(testsupport::fsyncCount("."), 0);
}

TEST(Files, ReadingTheRestOfAnOpenFile) {
    testsupport::TempDir dir;
    testsupport::writeFile("data.bin", "header+body");
    std::string whole;
    ASSERT_TRUE(platform::readWholeFile("DATA.BIN", whole));
    EXPECT_EQ(whole, "header+body");
    platform::File f;
    ASSERT_TRUE(f.open("data.bin", platform::File::Mode::Read));
    char head[7];
    ASSERT_EQ(f.read(head, sizeof head), 7);
    std::string rest = "stale";
    ASSERT_TRUE(platform::readRemaining(f, rest));
    EXPECT_EQ(rest, "body");
    EXPECT_TRUE(platform::readRemaining(f, rest));  // at the end: nothing left
    EXPECT_EQ(rest, "");
    platform::File closed;
    EXPECT_FALSE(platform::readRemaining(closed, rest));
    EXPECT_FALSE(platform::readWholeFile("missing.bin", rest));
}

TEST(Files, MappedFileCases) {
    testsupport::TempDir dir;
    testsupport::writeFile("ten.bin", "0123456789");
    testsupport::writeFile("empty.bin", "");
    platform::MappedFile m;
    ASSERT_TRUE(m.open("TEN.bin"));
    EXPECT_EQ(m.size(), 10u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), 10), "0123456789");
    ASSERT_TRUE(m.open("empty.bin"));
    EXPECT_EQ(m.size(), 0u);
    EXPECT_EQ(m.data(), nullptr);
    EXPECT_FALSE(m.open("missing.bin"));
    EXPECT_FALSE(m.open("."));
}

TEST(Files, FolderAndFileOperations) {
    testsupport::TempDir dir;
    EXPECT_TRUE(platform::createDirectory("crsh"));
    EXPECT_TRUE(platform::createDirectory("CRSH"));  // existing folder, any case, is no error
    EXPECT_TRUE(platform::isDirectory("crsh"));
    testsupport::writeFile("a.txt", "abc");
    EXPECT_EQ(platform::fileSize("A.TXT").value_or(0), 3u);
    EXPECT_TRUE(platform::copyFile("a.txt", "crsh\\b.txt", false));
    EXPECT_FALSE(platform::copyFile("a.txt", "crsh\\b.txt", false));
    EXPECT_TRUE(platform::renameFile("crsh\\B.TXT", "crsh\\c.txt"));
    EXPECT_TRUE(platform::deleteFile("crsh\\c.txt"));
    EXPECT_FALSE(platform::fileExists("crsh\\c.txt"));
    platform::File f;
    EXPECT_FALSE(f.open("crsh", platform::File::Mode::Read));
}

}  // namespace
