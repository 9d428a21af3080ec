// The heads-up panel drawn by the game's frame with four rows of its task list in the demo fonts,
// read back from the game's render target and compared with a golden picture of the panel strip.
#include <gtest/gtest.h>

#include "graphics/d3d_application.h"
#include "tests/screens/main_panel_fixture.h"
#include "tests/support/golden_picture.h"

namespace {

using paneltest::PanelTest;

constexpr int kStripTop = 618;  // the demo panel's strip along the bottom

platform::gfx::Image renderTargetStrip(const Application& app) {
    platform::gfx::Image strip;
    IDirect3DDevice9* device = CMyD3DApplication::instance()->getDevice();
    auto* texture = static_cast<IDirect3DTexture9*>(app.renderTarget()->getTexture());
    IDirect3DSurface9* surface = nullptr;
    platform::gfx::Image whole;
    if (!texture || FAILED(texture->GetSurfaceLevel(0, &surface))) return strip;
    EXPECT_TRUE(platform::gfx::readRenderTarget(device, surface, whole));
    surface->Release();
    if (whole.height <= kStripTop) return strip;
    strip.width = whole.width;
    strip.height = whole.height - kStripTop;
    const size_t row = static_cast<size_t>(whole.width) * 4;
    strip.pixels.assign(whole.pixels.begin() + static_cast<std::ptrdiff_t>(row * kStripTop), whole.pixels.end());
    return strip;
}

TEST_F(PanelTest, FourRowsOfTheTaskListInTheDemoFonts) {
    game->skipLogos();
    level.elements = {{"cup_1", 0}, {"cup_2", 0}, {"book", 0}, {"candle", 0}, {"bird", 6}};
    panel->reset();
    panel->setVisible(true);
    for (int frame = 0; frame < 51; ++frame) panel->update(0.0f);
    // The panel alone: the other screens stay out of the picture.
    for (BaseRender* item : game->app().renderList())
        if (item != panel) item->setVisible(false);
    game->runFrames(1);
    const platform::gfx::Image strip = renderTargetStrip(game->app());
    ASSERT_EQ(strip.width, 1024);
    EXPECT_TRUE(gfxtest::matchesGolden(strip, std::string(TOV_TEST_SOURCE_DIR) + "/tests/screens/golden/main_panel_rows.png"));
}

}  // namespace
