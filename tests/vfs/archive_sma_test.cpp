// SMA1 and SMA2 archives: layouts, round trips, packing, progress and shared ownership.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/vfs/memory_file.h"
#include "vfs/archive_fs.h"
#include "vfs/archive_sma1.h"
#include "vfs/archive_sma2.h"
#include "vfs/vfs_manager.h"

namespace {

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using vfstest::contents;
using vfstest::memoryFile;

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list) out.push_back(static_cast<char>(b));
    return out;
}

std::string randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string out(n, '\0');
    for (char& c : out) c = static_cast<char>(rng());
    return out;
}

class Lister : public VFS::FileEnumerator {
public:
    void addFile(const VFS::FilePtr& file) override { files.push_back(file); }
    std::vector<VFS::FilePtr> files;
};

TEST(ArchiveSMA1, WorkedLayoutByteForByte) {
    TempDir dir;
    ASSERT_TRUE(VFS::ArchiveSMA1::build("a.sma", {{"a.txt", memoryFile("hello")}}));
    const std::string expect = std::string("SMA") + bytes({1, 0, 1, 0, 0, 0, 5, 0}) + "a.txt" +
                               bytes({5, 0, 0, 0, 24, 0, 0, 0}) + "hello";
    EXPECT_EQ(readFile("a.sma"), expect);
    EXPECT_EQ(expect.size(), 29u);
}

TEST(ArchiveSMA2, WorkedLayoutByteForByte) {
    TempDir dir;
    const std::string longName(200, 'n');
    ASSERT_TRUE(VFS::ArchiveSMA2::build("b.sma", {{"a.txt", memoryFile("hello")}, {longName, memoryFile("")}}, nullptr));
    // Directory: "a.txt" entry 1 + 5 + 12, then the 200-byte name with its two-byte length.
    const std::string expect = std::string("SMA") + bytes({2, 0, 2, 0, 0, 0, 232, 0, 0, 0}) + bytes({5}) + "a.txt" +
                               bytes({5, 0, 0, 0, 0, 0, 0, 0, 245, 0, 0, 0}) + bytes({0xC8, 0x01}) + longName +
                               bytes({0, 0, 0, 0, 0, 0, 0, 0, 250, 0, 0, 0}) + "hello";
    EXPECT_EQ(readFile("b.sma"), expect);
}

// A folder tree of mixed sizes, a non-ASCII name and an empty file, built by both kinds and
// mounted back.
TEST(Archives, BuiltTreeMountsBackIdentically) {
    TempDir dir;
    std::map<std::string, std::string> tree = {
        {"empty.bin", ""},
        {"one.txt", "1"},
        {"gfx\\noise.bin", randomBytes(70000, 1)},
        {"gfx\\zeros.bin", std::string(300000, '\0')},
        {"texts\\\xC3\xBC" "ber-\xE6\x97\xA5\xE6\x9C\xAC.txt", "non-ASCII name"},
        {"levels\\forest\\forest.xml", std::string(5000, 'x') + "<level/>"},
    };
    for (const auto& [name, data] : tree) {
        std::string host = "src/" + name;
        for (char& c : host)
            if (c == '\\') c = '/';
        writeFile(host, data);
    }
    // Sources are the folder files themselves, as the archive tool gives them.
    VFS::FileMap files;
    for (const auto& [name, data] : tree)
        files[name] = VFS::FilePtr(new VFS::FileFS("src\\" + name, static_cast<uint32_t>(data.size())));

    ASSERT_TRUE(VFS::ArchiveSMA1::build("tree1.sma", files));
    ASSERT_TRUE(VFS::ArchiveSMA2::build("tree2.sma", files, nullptr));
    for (const char* kind : {"sma1", "sma2"}) {
        SCOPED_TRACE(kind);
        VFS::VFSManager vfs;
        ASSERT_TRUE(vfs.mount(kind, std::string(kind) == "sma1" ? "tree1.sma" : "tree2.sma"));
        for (const auto& [name, data] : tree) {
            VFS::FilePtr file = vfs.findFile(name, 2);
            ASSERT_TRUE(file) << name;
            EXPECT_EQ(file->size(), data.size()) << name;
            EXPECT_EQ(contents(*file), data) << name;
        }
        EXPECT_EQ(vfs.findFile("empty.bin", 1)->map(0, 0), nullptr);  // an empty file never maps
        EXPECT_TRUE(vfs.findFile("forest.xml", 1));
    }
}

TEST(ArchiveSMA2, PacksOnlyBelowHalfSize) {
    struct Case {
        uint32_t size, compressed;
        bool packed;
    } cases[] = {{100, 49, true}, {100, 50, false}, {101, 49, true}, {101, 50, false}, {1, 0, false}};
    for (const Case& c : cases)
        EXPECT_EQ(VFS::ArchiveSMA2::shouldPack(c.size, c.compressed), c.packed) << c.size << "/" << c.compressed;

    TempDir dir;
    const std::string text(10000, 'a'), noise = randomBytes(10000, 2);
    ASSERT_TRUE(VFS::ArchiveSMA2::build("p.sma", {{"text", memoryFile(text)}, {"noise", memoryFile(noise)}}, nullptr));
    VFS::ArchiveSMA2 archive;
    ASSERT_TRUE(archive.open("p.sma"));
    Lister lister;
    archive.enumerate(lister);
    ASSERT_EQ(lister.files.size(), 2u);
    auto* noiseFile = dynamic_cast<VFS::FileSMA2*>(lister.files[0].get());
    auto* textFile = dynamic_cast<VFS::FileSMA2*>(lister.files[1].get());
    ASSERT_TRUE(noiseFile && textFile);
    EXPECT_FALSE(noiseFile->isPacked());
    EXPECT_TRUE(textFile->isPacked());
    EXPECT_LT(readFile("p.sma").size(), 10000u + 5000u);
    // A packed file maps whole, and at an offset; outside its size it gives null.
    EXPECT_EQ(contents(*textFile), text);
    const uint8_t* tail = textFile->map(9990, 10);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(tail[0], 'a');
    EXPECT_EQ(textFile->map(10000, 0), nullptr);
    EXPECT_EQ(textFile->map(9990, 11), nullptr);
    textFile->release();
    EXPECT_EQ(contents(*textFile), text);  // inflated again after release
}

TEST(Archives, EachReaderRefusesTheOthersVersion) {
    TempDir dir;
    VFS::FileMap files{{"a", memoryFile("x")}};
    ASSERT_TRUE(VFS::ArchiveSMA1::build("v1.sma", files));
    ASSERT_TRUE(VFS::ArchiveSMA2::build("v2.sma", files, nullptr));
    EXPECT_TRUE(VFS::ArchiveSMA1::getInterface().probe("v1.sma"));
    EXPECT_FALSE(VFS::ArchiveSMA1::getInterface().probe("v2.sma"));
    EXPECT_TRUE(VFS::ArchiveSMA2::getInterface().probe("v2.sma"));
    EXPECT_FALSE(VFS::ArchiveSMA2::getInterface().probe("v1.sma"));
    EXPECT_FALSE(VFS::ArchiveSMA1::getInterface().probe("missing.sma"));
}

TEST(Archives, EmptyArchiveMountsWithNoFiles) {
    TempDir dir;
    ASSERT_TRUE(VFS::ArchiveSMA1::build("e1.sma", {}));
    ASSERT_TRUE(VFS::ArchiveSMA2::build("e2.sma", {}, nullptr));
    EXPECT_EQ(readFile("e1.sma").size(), 9u);
    EXPECT_EQ(readFile("e2.sma").size(), 13u);
    VFS::VFSManager vfs;
    EXPECT_TRUE(vfs.mount("sma1", "e1.sma"));
    EXPECT_TRUE(vfs.mount("sma2", "e2.sma"));
    std::map<std::string, VFS::FilePtr> all;
    vfs.collectByPath(all);
    EXPECT_TRUE(all.empty());
}

TEST(Archives, SameBareNameInOneArchiveLaterEntryWins) {
    TempDir dir;
    ASSERT_TRUE(VFS::ArchiveSMA1::build("d.sma", {{"a\\logo.png", memoryFile("A")}, {"b\\logo.png", memoryFile("B")}}));
    VFS::VFSManager vfs;
    ASSERT_TRUE(vfs.mount("sma1", "d.sma"));
    EXPECT_EQ(contents(*vfs.findFile("logo.png", 1)), "B");
    EXPECT_EQ(contents(*vfs.findFile("A\\LOGO.png", 2)), "A");
}

TEST(Archives, HandleOutlivesItsArchive) {
    TempDir dir;
    ASSERT_TRUE(VFS::ArchiveSMA2::build("h.sma", {{"keep.txt", memoryFile("still here")}}, nullptr));
    VFS::FilePtr kept;
    const uint8_t* view = nullptr;
    {
        VFS::VFSManager vfs;
        ASSERT_TRUE(vfs.mount("sma2", "h.sma"));
        kept = vfs.findFile("keep.txt", 1);
        view = kept->map(0, 0);
        vfs.unmountAll();
    }  // manager and archive gone
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view), 10), "still here");
    kept->release();
    EXPECT_EQ(contents(*kept), "still here");
}

TEST(Archives, StoredFileRanges) {
    TempDir dir;
    ASSERT_TRUE(VFS::ArchiveSMA1::build("r.sma", {{"ten", memoryFile("0123456789")}, {"x", memoryFile("tail")}}));
    VFS::ArchiveSMA1 archive;
    ASSERT_TRUE(archive.open("r.sma"));
    Lister lister;
    archive.enumerate(lister);
    VFS::File& ten = *lister.files[0];
    struct Case {
        uint32_t offset, length;
        const char* expect;
    } cases[] = {{0, 0, "0123456789"}, {0, 10, "0123456789"}, {4, 6, "456789"}, {4, 7, nullptr}, {10, 0, nullptr}};
    for (const Case& c : cases) {
        const uint8_t* p = ten.map(c.offset, c.length);
        if (!c.expect) {
            EXPECT_EQ(p, nullptr) << c.offset << "," << c.length;
        } else {
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), std::strlen(c.expect)), c.expect);
        }
    }
    const uint8_t* a = ten.map(2, 3);
    EXPECT_EQ(ten.map(2, 3), a);
}

class Recorder : public VFS::ProgressCallback {
public:
    void onProgress(const char* event, const void* data) override {
        std::string line = event;
        const std::string e = event;
        if (e == "DIR" || e == "DATA_NAME") line += " " + *static_cast<const std::string*>(data);
        if (e == "DIR_FINISHED" || e == "DATA_SIZE" || e == "DATA_CSIZE")
            line += " " + std::to_string(*static_cast<const uint32_t*>(data));
        events.push_back(line);
    }
    std::vector<std::string> events;
};

TEST(ArchiveSMA2, ProgressEventsInOrder) {
    TempDir dir;
    Recorder recorder;
    ASSERT_TRUE(VFS::ArchiveSMA2::build("g.sma", {{"b", memoryFile("xyz")}, {"a", memoryFile("")}}, &recorder));
    const std::vector<std::string> expect = {
        "DIR_STARTED", "DIR a",        "DIR b",        "DIR_FINISHED 28", "DATA_STARTED", "DATA_NAME a",
        "DATA_SIZE 0", "DATA_CSIZE 0", "DATA_NAME b",  "DATA_SIZE 3",     "DATA_CSIZE 3", "DATA_FINISHED",
    };
    EXPECT_EQ(recorder.events, expect);
}

TEST(Archives, BuildersRefuseWhatTheyCannotEncode) {
    TempDir dir;
    writeFile("keep.sma", "old archive");
    const std::string hugeName(70000, 'n');
    EXPECT_FALSE(VFS::ArchiveSMA1::build("keep.sma", {{hugeName, memoryFile("x")}}));
    EXPECT_EQ(readFile("keep.sma"), "old archive");  // a refused build leaves the old file alone
    // SMA2 has no such limit on names.
    EXPECT_TRUE(VFS::ArchiveSMA2::build("long.sma", {{hugeName, memoryFile("x")}}, nullptr));

    // A source that vanished cannot be read: the build is refused, not written with a hole.
    writeFile("gone.txt", "abc");
    auto vanished = [] { return VFS::FileMap{{"gone.txt", VFS::FilePtr(new VFS::FileFS(".\\gone.txt", 3))}}; };
    std::filesystem::remove("gone.txt");
    EXPECT_FALSE(VFS::ArchiveSMA1::build("keep.sma", vanished()));
    EXPECT_FALSE(VFS::ArchiveSMA2::build("keep.sma", vanished(), nullptr));
    EXPECT_EQ(readFile("keep.sma"), "old archive");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 2);
}

}  // namespace
