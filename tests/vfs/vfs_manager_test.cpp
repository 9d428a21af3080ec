// Mount rules, lookups and table changes of the file system manager.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/files.h"
#include "tests/support/temp_dir.h"
#include "tests/vfs/memory_file.h"
#include "vfs/archive_sma2.h"
#include "vfs/vfs_manager.h"

namespace {

using testsupport::TempDir;
using testsupport::writeFile;
using VFS::VFSManager;

TEST(VFSManager, SingletonAndKinds) {
    EXPECT_EQ(VFSManager::instance(), nullptr);
    {
        VFSManager vfs;
        EXPECT_EQ(VFSManager::instance(), &vfs);
        for (const char* kind : {"filesystem", "sma1", "sma2"})
            EXPECT_NE(vfs.factory().getCreator(kind), nullptr) << kind;
        EXPECT_EQ(vfs.factory().getCreator("zip"), nullptr);
    }
    EXPECT_EQ(VFSManager::instance(), nullptr);
}

TEST(VFSManager, MountRefusals) {
    TempDir dir;
    writeFile("data/x.txt", "x");
    VFSManager vfs;
    EXPECT_FALSE(vfs.mount("zip", "data"));
    EXPECT_FALSE(vfs.mount("filesystem", "missing"));
    EXPECT_FALSE(vfs.mount("sma1", "data/x.txt"));
    EXPECT_TRUE(vfs.mount("filesystem", "data"));
    EXPECT_FALSE(vfs.mount("filesystem", "data"));  // the same path text twice
    EXPECT_TRUE(vfs.mount("filesystem", "DATA"));   // spelled otherwise: a mount of its own
    EXPECT_TRUE(vfs.mount("filesystem", "data\\"));
    // The separator is appended even after a trailing one; the doubled one still reads.
    VFS::FilePtr doubled = vfs.findFile("data\\\\x.txt", 2);
    ASSERT_TRUE(doubled);
    EXPECT_EQ(vfstest::contents(*doubled), "x");
}

TEST(VFSManager, LaterMountWinsAndRemovalRestoresNothing) {
    TempDir dir;
    writeFile("one/Intro.swf", "first");
    writeFile("two/Intro.swf", "second");
    VFSManager vfs;
    ASSERT_TRUE(vfs.mount("filesystem", "one"));
    ASSERT_TRUE(vfs.mount("filesystem", "two"));
    VFS::FilePtr found = vfs.findFile("intro.swf", 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(vfstest::contents(*found), "second");
    EXPECT_EQ(vfs.findFirst("INTRO.SWF", 1), found);
    // Each mount's file stays found by its own stored path.
    EXPECT_EQ(vfstest::contents(*vfs.findFile("one\\intro.swf", 2)), "first");

    vfs.removeFile(found);
    EXPECT_FALSE(vfs.findFile("intro.swf", 1));
    EXPECT_FALSE(vfs.findFile("two\\Intro.swf", 2));
    VFS::FileList all;
    EXPECT_TRUE(vfs.findAll("intro.swf", all));  // the key stays, with no file
    EXPECT_TRUE(all.empty());
    // The handle given out still reads.
    EXPECT_EQ(vfstest::contents(*found), "second");
}

TEST(VFSManager, LookupFlagsAndPathKeys) {
    TempDir dir;
    writeFile("data/A.PNG", "png");
    VFSManager vfs;
    ASSERT_TRUE(vfs.mount("filesystem", "data"));
    struct Case {
        const char* name;
        unsigned flags;
        bool found;
    } cases[] = {
        {"a.png", 1, true},        {"a.png", 2, false},      {"a.png", 3, true},       {"a.png", 0, false},
        {"Data\\a.png", 2, true},  {"DATA\\A.png", 3, true}, {"data/a.png", 2, false}, {"Data\\a.png", 1, false},
        {"b.png", 3, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<bool>(vfs.findFile(c.name, c.flags)), c.found) << c.name << " flags " << c.flags;
    EXPECT_EQ(vfs.findFile("nothing", 3), VFS::FilePtr::empty());
}

TEST(VFSManager, RescanShowsNewAndChangedFiles) {
    TempDir dir;
    writeFile("profiles/anna.prof", "v1");
    VFSManager vfs;
    ASSERT_TRUE(vfs.mount("filesystem", "profiles"));
    VFS::FilePtr old = vfs.findFile("anna.prof", 1);
    ASSERT_TRUE(old);
    EXPECT_EQ(vfstest::contents(*old), "v1");

    std::string replaced = "version2";
    ASSERT_TRUE(platform::writeFileAtomically("profiles/anna.prof", replaced.data(), replaced.size()));
    writeFile("profiles/bob.prof", "b");
    EXPECT_FALSE(vfs.findFile("bob.prof", 1));  // not before the rescan
    EXPECT_FALSE(vfs.rescan("elsewhere"));
    ASSERT_TRUE(vfs.rescan("profiles"));
    EXPECT_TRUE(vfs.findFile("bob.prof", 1));
    EXPECT_EQ(vfstest::contents(*vfs.findFile("anna.prof", 1)), "version2");
    EXPECT_EQ(vfstest::contents(*old), "v1");  // the old mapping is untouched by the replacement

    // Mounting the folder again is refused; the rescan is how a profile writer refreshes it.
    EXPECT_FALSE(vfs.mount("filesystem", "profiles"));
}

TEST(VFSManager, ExtensionsAndCollections) {
    TempDir dir;
    writeFile("p/anna.prof", "a");
    writeFile("p/Bob.PROF", "b");
    writeFile("p/config.sta", "c");
    writeFile("p/noext", "n");
    VFSManager vfs;
    ASSERT_TRUE(vfs.mount("filesystem", "p"));
    VFS::FileList profiles;
    // Keys are lower-cased: both profiles match ".prof" once each.
    EXPECT_EQ(vfs.findFilesByExtension(".prof", profiles, 1), 2u);
    EXPECT_EQ(profiles[0]->name(), "anna.prof");
    EXPECT_EQ(profiles[1]->name(), "Bob.PROF");
    VFS::FileList none;
    EXPECT_EQ(vfs.findFilesByExtension(".prof", none, 0), 0u);
    EXPECT_EQ(vfs.findFilesByExtension(".PROF", none, 2), 0u);

    std::map<std::string, VFS::FileList> groups;
    EXPECT_EQ(vfs.groupByExtension(groups, 2), 3u);  // ".prof", ".sta" and no extension
    EXPECT_EQ(groups[".prof"].size(), 2u);
    EXPECT_EQ(groups[""].size(), 1u);

    std::map<std::string, VFS::FilePtr> byPath;
    vfs.collectByPath(byPath);
    EXPECT_EQ(byPath.size(), 4u);
    EXPECT_TRUE(byPath.count("p\\Bob.PROF"));

    vfs.unmountAll();
    EXPECT_FALSE(vfs.findFile("anna.prof", 1));
    EXPECT_TRUE(vfs.findFile("p\\anna.prof", 2));  // the path table stays
    EXPECT_TRUE(vfs.mount("filesystem", "p"));
}

TEST(VFSManager, RecursiveMountSkipsAndSurvivesLinkCycles) {
    TempDir dir;
    writeFile("top.txt", "root");
    writeFile("same.txt", "root");
    writeFile("a/same.txt", "deeper");
    writeFile("a/b/deep.txt", "d");
    writeFile(".svn/entries", "svn");
    writeFile("x.svn-base/hidden.txt", "h");
    std::filesystem::create_directory_symlink("..", "a/b/up");  // a cycle back to a/
    VFSManager vfs;
    vfs.mountFolderRecursive(".", ".svn");
    EXPECT_TRUE(vfs.findFile("top.txt", 1));
    EXPECT_TRUE(vfs.findFile("deep.txt", 1));
    EXPECT_TRUE(vfs.findFile(".\\a\\b\\deep.txt", 2));
    EXPECT_EQ(vfstest::contents(*vfs.findFile("same.txt", 1)), "deeper");  // deeper folder wins
    EXPECT_FALSE(vfs.findFile("entries", 1));
    EXPECT_FALSE(vfs.findFile("hidden.txt", 1));
    EXPECT_EQ(std::filesystem::current_path(), dir.path());  // the working folder never moves
}

TEST(VFSManager, ArchivesShareOneNameSpace) {
    TempDir dir;
    writeFile("data/title.dds", "from folder");
    VFS::FileMap files{{"gfx\\Title.dds", vfstest::memoryFile("from archive")}};
    ASSERT_TRUE(VFS::ArchiveSMA2::build("pack.sma", files, nullptr));
    VFSManager vfs;
    ASSERT_TRUE(vfs.mount("filesystem", "data"));
    ASSERT_TRUE(vfs.mount("sma2", "pack.sma"));
    EXPECT_EQ(vfstest::contents(*vfs.findFile("title.dds", 1)), "from archive");
    EXPECT_EQ(vfstest::contents(*vfs.findFile("gfx\\title.dds", 2)), "from archive");
    EXPECT_EQ(vfstest::contents(*vfs.findFile("data\\title.dds", 2)), "from folder");
}

// Loader threads look files up and read them while the main thread mounts and rescans. A lookup
// that starts and ends inside one change overlapped it; the test keeps changing until some did.
TEST(VFSManager, LookupsWhileMountingAndRescanning) {
    TempDir dir;
    constexpr int kFolders = 20;
    constexpr int kFillerFiles = 100;  // listing a folder takes long enough for lookups to overlap
    for (int i = 0; i < kFolders; ++i) {
        const std::string folder = "f" + std::to_string(i);
        writeFile(folder + "/shared.txt", "folder " + std::to_string(i));
        for (int j = 0; j < kFillerFiles; ++j) writeFile(folder + "/filler" + std::to_string(j) + ".txt", "x");
    }
    VFSManager vfs;
    ASSERT_TRUE(vfs.mount("filesystem", "f0"));
    std::atomic<bool> stop{false}, changing{false};
    std::atomic<int> reads{0}, readsInsideAChange{0}, bad{0};
    std::vector<std::thread> loaders;
    for (int t = 0; t < 3; ++t)
        loaders.emplace_back([&] {
            while (!stop.load()) {
                const bool startedInside = changing.load();
                VFS::FilePtr file = vfs.findFile("shared.txt", 3);
                if (!file || vfstest::contents(*file).rfind("folder ", 0) != 0) ++bad;
                if (startedInside && changing.load()) ++readsInsideAChange;
                ++reads;
            }
        });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto inTime = [&] { return std::chrono::steady_clock::now() < deadline; };
    const auto waitForReads = [&](int atLeast) {
        while (reads.load() < atLeast && inTime()) std::this_thread::yield();
    };
    waitForReads(3);  // the loaders run before the first change
    const std::string last = "f" + std::to_string(kFolders - 1);
    for (int i = 1; i < kFolders; ++i) {
        changing = true;
        EXPECT_TRUE(vfs.mount("filesystem", "f" + std::to_string(i)));
        EXPECT_TRUE(vfs.rescan("f" + std::to_string(i - 1)));
        changing = false;
        waitForReads(reads.load() + 3);
    }
    while (readsInsideAChange.load() == 0 && inTime()) {
        changing = true;
        EXPECT_TRUE(vfs.rescan(last));
        changing = false;
    }
    stop = true;
    for (auto& t : loaders) t.join();
    EXPECT_GT(readsInsideAChange.load(), 0);
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
