// The checked-in demo chapter is exactly what make-demo writes: regenerated into a fresh folder,
// every file is byte-identical, and none is missing or extra.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// The play-through's input script is written by hand beside the generated chapter.
constexpr const char* kHandWritten = "playthrough.input";

std::set<std::string> filesBelow(const fs::path& root) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), root).string());
    out.erase(kHandWritten);
    return out;
}

TEST(DemoRegeneration, MakeDemoWritesTheCheckedInTreeByteForByte) {
    testsupport::TempDir dir;
    const fs::path checkedIn = fs::path(TOV_TEST_SOURCE_DIR) / "demo";
    const fs::path made = dir.path() / "demo";
    const std::string command = std::string("\"") + MAKE_DEMO + "\" \"" + made.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::set<std::string> want = filesBelow(checkedIn), got = filesBelow(made);
    std::vector<std::string> differing, missing, extra;
    for (const std::string& f : want) {
        if (!got.count(f)) {
            missing.push_back(f);
        } else if (testsupport::readFile(checkedIn / f) != testsupport::readFile(made / f)) {
            differing.push_back(f);
        }
    }
    for (const std::string& f : got)
        if (!want.count(f)) extra.push_back(f);
    EXPECT_EQ(differing, std::vector<std::string>{}) << "differing files (run make-demo demo to regenerate)";
    EXPECT_EQ(missing, std::vector<std::string>{}) << "files make-demo no longer writes";
    EXPECT_EQ(extra, std::vector<std::string>{}) << "files make-demo writes that are not checked in";
    // The whole chapter stays small.
    uintmax_t bytes = 0;
    for (const std::string& f : want) bytes += fs::file_size(checkedIn / f);
    EXPECT_LT(bytes, 4u << 20);
}

}  // namespace
