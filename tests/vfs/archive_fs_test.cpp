// Folder archives, folder files and mapped files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/vfs/memory_file.h"
#include "vfs/archive_fs.h"
#include "vfs/mapped_file.h"

namespace {

using testsupport::TempDir;
using testsupport::writeFile;

class Lister : public VFS::FileEnumerator {
public:
    void addFile(const VFS::FilePtr& file) override { files.push_back(file); }
    std::vector<VFS::FilePtr> files;
};

TEST(FileFS, MapRangesOfATenByteFile) {
    TempDir dir;
    writeFile("ten.bin", "0123456789");
    struct Case {
        uint32_t offset, length;
        const char* expect;  // null: the map fails
    } cases[] = {
        {0, 0, "0123456789"}, {0, 10, "0123456789"}, {4, 6, "456789"}, {4, 0, "456789"},
        {9, 1, "9"},          {4, 7, nullptr},       {10, 0, nullptr}, {11, 0, nullptr},
        {0xFFFFFFFFu, 2, nullptr},  // offset + length wraps around 32 bits
    };
    VFS::FileFS file(".\\ten.bin", 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "map(" << c.offset << ", " << c.length << ")");
        const uint8_t* p = file.map(c.offset, c.length);
        if (!c.expect) {
            EXPECT_EQ(p, nullptr);
            continue;
        }
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), std::strlen(c.expect)), c.expect);
    }
}

TEST(FileFS, SameRangeGivesSamePointerAndOtherRangesStayReadable) {
    TempDir dir;
    writeFile("ten.bin", "0123456789");
    VFS::FileFS file(".\\ten.bin", 10);
    const uint8_t* first = file.map(2, 3);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(file.map(2, 3), first);
    const uint8_t* whole = file.map(0, 0);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole[0], '0');
    EXPECT_EQ(first[0], '2');  // an earlier view stays valid until release
    file.release();
    // After release the next map opens the file again and sees what is on disk now.
    writeFile("ten.bin", "abcdefghijkl");
    const uint8_t* again = file.map(0, 0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(file.size(), 12u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(again), 12), "abcdefghijkl");
}

TEST(FileFS, EmptyOrVanishedFileGivesNull) {
    TempDir dir;
    writeFile("empty.bin", "");
    VFS::FileFS empty(".\\empty.bin", 0);
    EXPECT_EQ(empty.map(0, 0), nullptr);
    EXPECT_EQ(empty.map(0, 1), nullptr);

    writeFile("gone.bin", "abc");
    VFS::FileFS gone(".\\gone.bin", 3);
    std::filesystem::remove("gone.bin");
    EXPECT_EQ(gone.map(0, 0), nullptr);
    EXPECT_EQ(gone.size(), 0u);
}

TEST(FileFS, PathFoundWhateverItsCase) {
    TempDir dir;
    writeFile("Data/Sub/Pic.PNG", "png");
    VFS::FileFS file("data\\sub\\pic.png", 3);
    EXPECT_EQ(vfstest::contents(file), "png");
    EXPECT_EQ(file.name(), "pic.png");
}

TEST(MappedFile, ViewsAndLengths) {
    TempDir dir;
    writeFile("f.bin", "abcdefgh");
    VFS::MappedFile mapped;
    EXPECT_FALSE(mapped.open("missing.bin"));
    EXPECT_TRUE(mapped.hasError());
    ASSERT_TRUE(mapped.open("f.bin"));
    EXPECT_EQ(mapped.size(), 8u);
    const uint8_t* view = mapped.mapView(3, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[0], 'd');  // offsets need no alignment
    EXPECT_EQ(mapped.viewLength(view), 5u);
    EXPECT_EQ(mapped.mapView(3, 6), nullptr);
    mapped.unmapView(view);
    EXPECT_EQ(mapped.viewLength(view), 0u);
    mapped.unmapView(reinterpret_cast<const uint8_t*>("x"));  // unknown pointers are ignored
}

TEST(ArchiveFS, ListsFilesNotFoldersInFoldedOrder) {
    TempDir dir;
    writeFile("root/b.txt", "bb");
    writeFile("root/A.txt", "a");
    writeFile("root/sub/c.txt", "ccc");
    VFS::ArchiveFS archive;
    EXPECT_FALSE(archive.open("nowhere"));
    EXPECT_FALSE(archive.open("root/A.txt"));
    ASSERT_TRUE(archive.open("root"));
    Lister lister;
    archive.enumerate(lister);
    ASSERT_EQ(lister.files.size(), 2u);
    EXPECT_EQ(lister.files[0]->path(), "root\\A.txt");
    EXPECT_EQ(lister.files[0]->name(), "A.txt");
    EXPECT_EQ(lister.files[1]->size(), 2u);
    EXPECT_TRUE(VFS::ArchiveFS::getInterface().probe("root"));
    EXPECT_EQ(VFS::ArchiveFS::getInterface().name(), "filesystem");
}

}  // namespace
