// Corrupt archives are refused, or their files give null, with an ERROR line and no stray read.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

#include "core/log_stream.h"
#include "tests/support/largest_allocation.h"
#include "tests/support/temp_dir.h"
#include "tests/vfs/archive_fuzz.h"
#include "tests/vfs/memory_file.h"
#include "vfs/archive_sma1.h"
#include "vfs/archive_sma2.h"
#include "vfs/vfs_manager.h"

namespace {

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using vfstest::memoryFile;

void putU32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

class CorruptArchive : public testing::Test {
protected:
    void SetUp() override { Tov::LogStream::setFile((m_dir.path() / "vfs.log").string(), false); }
    std::string log() { return readFile(m_dir.path() / "vfs.log"); }

    TempDir m_dir;
};

struct Corruption {
    const char* what;
    std::function<void(std::string&)> apply;
};

// Each corruption of the good archive is refused by the reader of `kind` and lists no file.
template <size_t N>
void expectRefused(const char* kind, const std::string& good, const Corruption (&cases)[N]) {
    for (const Corruption& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bad = good;
        c.apply(bad);
        writeFile("bad.sma", bad);
        VFS::VFSManager vfs;
        EXPECT_FALSE(vfs.mount(kind, "bad.sma"));
        std::map<std::string, VFS::FilePtr> listed;
        vfs.collectByPath(listed);
        EXPECT_TRUE(listed.empty());
    }
}

// SMA1 holding "a.txt" = "hello": count at 5, name length at 9, size at 16, offset at 20.
TEST_F(CorruptArchive, Sma1DirectoriesAreRefused) {
    ASSERT_TRUE(VFS::ArchiveSMA1::build("good.sma", {{"a.txt", memoryFile("hello")}}));
    const std::string good = readFile("good.sma");
    ASSERT_EQ(good.size(), 29u);
    const Corruption cases[] = {
        {"truncated header", [](std::string& s) { s.resize(7); }},
        {"count of 10^9", [](std::string& s) { putU32(s, 5, 1000000000u); }},
        {"two entries, one present", [](std::string& s) { putU32(s, 5, 2); }},
        {"name past the end", [](std::string& s) { s[9] = '\xFF'; s[10] = '\xFF'; }},
        {"offset + size past the end", [](std::string& s) { putU32(s, 16, 6); }},
        {"offset near 4 GiB", [](std::string& s) { putU32(s, 20, 0xFFFFFFFEu); }},
        {"wrong magic", [](std::string& s) { s[0] = 'X'; }},
    };
    expectRefused("sma1", good, cases);
    EXPECT_NE(log().find("\tERROR\tVFS::ArchiveSMA1::open: bad.sma: 1000000000 entries"), std::string::npos);
}

// SMA2 holding "t" = 4000 'a' (packed): count at 5, directory size at 9, name length at 13,
// size at 15, packed size at 19, offset at 23, packed bytes from 27.
TEST_F(CorruptArchive, Sma2DirectoriesAreRefused) {
    ASSERT_TRUE(VFS::ArchiveSMA2::build("good.sma", {{"t", memoryFile(std::string(4000, 'a'))}}, nullptr));
    const std::string good = readFile("good.sma");
    const Corruption cases[] = {
        {"truncated header", [](std::string& s) { s.resize(11); }},
        {"count of 10^9", [](std::string& s) { putU32(s, 5, 1000000000u); }},
        {"directory past the end", [](std::string& s) { putU32(s, 9, 0x7FFFFFFF); }},
        {"name past the end", [](std::string& s) { s[13] = 0x7F; }},
        {"over-long LEB128", [](std::string& s) { s.replace(13, 6, "\x80\x80\x80\x80\x80\x80"); }},
        {"offset + packed size past the end", [](std::string& s) { putU32(s, 19, 0x10000); }},
        {"stored size past the end", [](std::string& s) { putU32(s, 19, 0); putU32(s, 15, 4000); }},
        {"version 1", [](std::string& s) { s[3] = 1; }},
    };
    expectRefused("sma2", good, cases);
    EXPECT_NE(log().find("\tERROR\tVFS::ArchiveSMA2::open: bad.sma: "), std::string::npos);
}

TEST_F(CorruptArchive, PackedDataThatDoesNotInflateMapsToNull) {
    ASSERT_TRUE(VFS::ArchiveSMA2::build("good.sma", {{"t", memoryFile(std::string(4000, 'a'))}}, nullptr));
    const std::string good = readFile("good.sma");
    const Corruption cases[] = {
        {"bad zlib data", [](std::string& s) { s[27] = '\0'; s[28] = '\0'; }},
        {"inflates to more than its size", [](std::string& s) { putU32(s, 15, 3999); }},
        {"inflates to less than its size", [](std::string& s) { putU32(s, 15, 4001); }},
    };
    for (const Corruption& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bad = good;
        c.apply(bad);
        writeFile("bad.sma", bad);
        VFS::VFSManager vfs;
        ASSERT_TRUE(vfs.mount("sma2", "bad.sma"));
        VFS::FilePtr file = vfs.findFile("t", 1);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->map(0, 0), nullptr);
        EXPECT_EQ(file->map(0, 0), nullptr);  // no partial buffer is kept
    }
    EXPECT_NE(log().find("\tERROR\tVFS::FileSMA2::map: t: packed data does not inflate"), std::string::npos);
}

// An empty entry has no bytes to lie anywhere: its unused offset and packed size are not checked.
// SMA1 {"a.txt" = "hello", "e" = ""}: e's size at 27, its offset at 31.
// SMA2 {"e" = "", "t" = 4000 'a'}: e's packed size at 19, its offset at 23.
TEST_F(CorruptArchive, EmptyEntriesWithStrayFieldsStillMount) {
    ASSERT_TRUE(VFS::ArchiveSMA1::build("one.sma", {{"a.txt", memoryFile("hello")}, {"e", memoryFile("")}}));
    ASSERT_TRUE(VFS::ArchiveSMA2::build(
        "two.sma", {{"e", memoryFile("")}, {"t", memoryFile(std::string(4000, 'a'))}}, nullptr));
    std::string one = readFile("one.sma"), two = readFile("two.sma");
    ASSERT_EQ(one.substr(26, 1), "e");
    ASSERT_EQ(two.substr(14, 1), "e");
    putU32(one, 31, 0xFFFFFFF0u);
    putU32(two, 19, 0x10000);
    putU32(two, 23, 0xFFFFFFF0u);
    const struct {
        const char* kind;
        const char* file;
        std::string bytes;
        const char* full;
        size_t fullSize;
    } cases[] = {{"sma1", "one.sma", one, "a.txt", 5}, {"sma2", "two.sma", two, "t", 4000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        writeFile(c.file, c.bytes);
        VFS::VFSManager vfs;
        ASSERT_TRUE(vfs.mount(c.kind, c.file));
        VFS::FilePtr empty = vfs.findFile("e", 1);
        ASSERT_TRUE(empty);
        EXPECT_EQ(empty->size(), 0u);
        EXPECT_EQ(empty->map(0, 0), nullptr);
        VFS::FilePtr full = vfs.findFile(c.full, 1);
        ASSERT_TRUE(full);
        ASSERT_EQ(full->size(), c.fullSize);
        EXPECT_NE(full->map(0, 0), nullptr);
        full->release();
    }
    EXPECT_EQ(log().find("ERROR"), std::string::npos);
}

// zlib inflates at most 1032 bytes from one packed byte: a larger claim is refused before its
// buffer is allocated. SMA2 {"t" = 4000 'a'}: size at 15, packed size at 19.
TEST_F(CorruptArchive, PackedClaimsBeyondWhatZlibCanGiveAreRefused) {
    ASSERT_TRUE(VFS::ArchiveSMA2::build("good.sma", {{"t", memoryFile(std::string(4000, 'a'))}}, nullptr));
    const std::string good = readFile("good.sma");
    const uint32_t packed = static_cast<uint32_t>(good[19] & 0xFF) | static_cast<uint32_t>(good[20] & 0xFF) << 8;
    const struct {
        const char* what;
        uint32_t claim;
        bool refused;  // before inflating; otherwise inflating finds the size wrong
    } cases[] = {
        {"2 GiB", 0x7FFFFFFFu, true},
        {"4 GiB", 0xFFFFFFFFu, true},
        {"one byte over the ratio", packed * 1032 + 1, true},
        {"at the ratio", packed * 1032, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bad = good;
        putU32(bad, 15, c.claim);
        writeFile("bad.sma", bad);
        const size_t logged = log().size();
        VFS::VFSManager vfs;
        ASSERT_TRUE(vfs.mount("sma2", "bad.sma"));
        VFS::FilePtr file = vfs.findFile("t", 1);
        ASSERT_TRUE(file);
        {
            testsupport::LargestAllocation largest;
            EXPECT_EQ(file->map(0, 0), nullptr);
            if (c.refused && testsupport::LargestAllocation::available()) {
                EXPECT_LT(largest.bytes(), 1u << 20);
            }
        }
        const std::string refusal = "\tERROR\tVFS::FileSMA2::map: t: " + std::to_string(c.claim) +
                                    " bytes cannot inflate from " + std::to_string(packed) + " packed bytes";
        const std::string lines = log().substr(logged);
        EXPECT_EQ(lines.find(refusal) != std::string::npos, c.refused) << lines;
        EXPECT_EQ(lines.find("does not inflate") != std::string::npos, !c.refused) << lines;
    }
}

// The fuzz target's entry over a corpus made here: valid archives, each cut short at every
// length, and random byte flips of them.
TEST_F(CorruptArchive, FuzzEntryOverGeneratedCorpus) {
    ASSERT_TRUE(VFS::ArchiveSMA1::build("c1.sma", {{"a.txt", memoryFile("hello")}, {"b", memoryFile("")}}));
    ASSERT_TRUE(VFS::ArchiveSMA2::build(
        "c2.sma", {{"t", memoryFile(std::string(500, 'a'))}, {"n", memoryFile("noise!")}, {"e", memoryFile("")}},
        nullptr));
    std::vector<std::string> corpus = {readFile("c1.sma"), readFile("c2.sma")};
    EXPECT_EQ(vfstest::readArchiveBytes(reinterpret_cast<const uint8_t*>(corpus[0].data()), corpus[0].size()), 2);
    EXPECT_EQ(vfstest::readArchiveBytes(reinterpret_cast<const uint8_t*>(corpus[1].data()), corpus[1].size()), 3);
    std::mt19937 rng(7);
    for (size_t k = 0, n = corpus.size(); k < n; ++k) {
        const std::string base = corpus[k];
        for (size_t cut = 0; cut < base.size(); ++cut) corpus.push_back(base.substr(0, cut));
        for (int i = 0; i < 200; ++i) {
            std::string flipped = base;
            flipped[rng() % flipped.size()] = static_cast<char>(rng());
            corpus.push_back(flipped);
        }
    }
    for (const std::string& input : corpus)
        vfstest::readArchiveBytes(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace
