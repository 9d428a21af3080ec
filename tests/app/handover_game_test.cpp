// The application's hand-over services in the running game on the demo chapter: screenshots of
// the composed frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Bitmap {
    int width = 0, height = 0, bitsPerPixel = 0;
    std::string bytes;
    uint32_t dataOffset = 0;
    bool valid() const { return bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M'; }
    uint32_t u32(size_t at) const {
        return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
               static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
    }
    // 0xRRGGBB of a pixel counted from the top-left.
    uint32_t pixel(int x, int y) const {
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        const size_t row = height > 0 ? static_cast<size_t>(height - 1 - y) : static_cast<size_t>(y);
        const size_t at = dataOffset + row * stride + static_cast<size_t>(x) * 3;
        if (at + 3 > bytes.size()) return 0xFFFFFFFFu;
        return static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint8_t>(bytes[at + 1]) << 8 |
               static_cast<uint8_t>(bytes[at]);
    }
};

Bitmap readBitmap(const fs::path& path) {
    Bitmap bmp;
    bmp.bytes = testsupport::readFile(path);
    if (!bmp.valid()) return bmp;
    bmp.dataOffset = bmp.u32(10);
    bmp.width = static_cast<int32_t>(bmp.u32(18));
    bmp.height = static_cast<int32_t>(bmp.u32(22));
    bmp.bitsPerPixel = static_cast<uint8_t>(bmp.bytes[28]) | static_cast<uint8_t>(bmp.bytes[29]) << 8;
    return bmp;
}

bool near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > 3) return false;
    }
    return true;
}

class HandoverGame : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    void SetUp() override { fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive); }
};

TEST_F(HandoverGame, TwoScreenshotsInOneMillisecondAreTwoBitmapsOfTheComposedFrame) {
    testsupport::GameFixture game(dir.path(), 100);
    ASSERT_TRUE(game.start());
    game.skipLogos();
    // The loading screen's movie covers the stage with its background box.
    BaseRender* loading = app::screen(app::Screen::Loading);
    ASSERT_NE(loading, nullptr);
    loading->setVisible(true);
    game.runFrames(2);
    game.app().saveScreenshot();
    game.app().saveScreenshot();
    game.runFrames(1);

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path() / "screenshots")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 2u);
    // screenshot_<ticks>.bmp, then the same ticks with the suffix 0.
    const std::string base = names[0].substr(0, names[0].size() - 4);
    EXPECT_EQ(base.rfind("screenshot_", 0), 0u) << names[0];
    EXPECT_EQ(names[1], base + "0.bmp");
    for (const std::string& name : names) {
        const Bitmap bmp = readBitmap(dir.path() / "screenshots" / name);
        ASSERT_TRUE(bmp.valid()) << name;
        EXPECT_EQ(bmp.bitsPerPixel, 24) << name;
        EXPECT_EQ(bmp.width, Application::kGameWidth) << name;
        EXPECT_EQ(std::abs(bmp.height), Application::kGameHeight) << name;
        // Away from the spinner in its middle.
        EXPECT_TRUE(near(bmp.pixel(100, 100), 0x101020u)) << name << " " << std::hex << bmp.pixel(100, 100);
    }
    EXPECT_EQ(game.log().find("\tERROR\t"), std::string::npos) << game.log();
}

}  // namespace
