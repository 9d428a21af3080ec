// The Direct3D render handler drawing on the headless device: backgrounds, solid and bitmap fills
// with their colour transforms (the additive second pass too), lines, masks and textured quads,
// checked at chosen pixels and against golden pictures.
#include "flash/render/d3d/render_handler_d3d.h"

#include <cmath>
#include <limits>

#include "d3d_handler_fixture.h"
#include "flash/base/smart_ptr.h"

namespace {

using d3dtest::D3dHandler;
using d3dtest::strip_rect;
using d3dtest::twips;
using flash::rgba;
using gfxtest::near;

constexpr uint32_t kUnderneath = 0x204060;  // what the target holds before a frame

flash::cxform multiply(float r, float g, float b, float a = 1.0f) {
    flash::cxform cx;
    cx.m_[0][0] = r, cx.m_[1][0] = g, cx.m_[2][0] = b, cx.m_[3][0] = a;
    return cx;
}

flash::cxform add(float r, float g, float b, float a = 0.0f) {
    flash::cxform cx;
    cx.m_[0][1] = r, cx.m_[1][1] = g, cx.m_[2][1] = b, cx.m_[3][1] = a;
    return cx;
}

struct background_case {
    uint8_t alpha;
    uint32_t expected;  // at any pixel of the viewport
};

// Red background over kUnderneath: none, half blended, replaced.
const background_case background_cases[] = {
    {0, kUnderneath},
    {128, 0x8F2030},
    {255, 0xFF0000},
};

TEST_F(D3dHandler, BackgroundAlphaLeavesBlendsOrReplacesTheTarget) {
    for (const background_case& c : background_cases) {
        SCOPED_TRACE(int(c.alpha));
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kUnderneath, 1.0f, 0);
        begin(rgba(255, 0, 0, c.alpha));
        const platform::gfx::Image img = end();
        // Meshes sit half a pixel right and down: the translucent quad leaves the first row and
        // column, which the golden picture shows.
        EXPECT_TRUE(near(img.argb(1, 1), c.expected, 2));
        EXPECT_TRUE(near(img.argb(63, 47), c.expected, 2));
        EXPECT_TRUE(near(img.argb(30, 20), c.expected, 2));
    }
}

TEST_F(D3dHandler, BackgroundsGolden) {
    // Three viewports side by side over a striped target, with alpha 0, 128 and 255. The frame
    // rectangle is the whole target's: the background is drawn in target pixels, cut to the viewport.
    for (int y = 0; y < 48; y += 8) {
        const D3DRECT stripe{0, y, 64, y + 4};
        device->Clear(1, &stripe, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    }
    const uint8_t alphas[3] = {0, 128, 255};
    for (int i = 0; i < 3; ++i) {
        const int x0 = i * 21;
        handler->begin_display(rgba(0, 0, 255, alphas[i]), x0, 0, 21, 48, 0.0f, 64 * twips, 0.0f, 48 * twips);
        handler->end_display();
    }
    EXPECT_TRUE(gfxtest::matchesGolden(read(), golden("backgrounds")));
}

TEST_F(D3dHandler, TriangleListOfSixVerticesDrawsExactlyTwoTriangles) {
    begin(rgba(0, 0, 0, 255));
    handler->fill_style_color(0, rgba(255, 255, 255, 255));
    // Two separate right triangles; the square between them stays empty.
    const int32_t coords[] = {0, 0, 400, 0, 0, 400, 800, 800, 1200, 800, 1200, 400};
    handler->draw_triangle_list(coords, 6);
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(3, 3), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(58, 38), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(15, 15), 0x000000));  // between them
    EXPECT_TRUE(near(img.argb(45, 25), 0x000000));
}

TEST_F(D3dHandler, SolidFillsGolden) {
    begin(rgba(240, 240, 200, 255));
    fill_rect(4, 4, 36, 28, rgba(200, 0, 0, 255));
    fill_rect(20, 14, 52, 38, rgba(0, 0, 255, 128));
    handler->set_cxform(multiply(1.0f, 1.0f, 1.0f, 0.5f));
    fill_rect(30, 6, 60, 22, rgba(0, 160, 0, 255));
    handler->set_cxform(flash::cxform());
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(8, 8), 0xC80000));
    EXPECT_TRUE(near(img.argb(24, 20), 0x640080, 2));  // half blue over red
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("solid_fills")));
}

TEST_F(D3dHandler, CircleAtScaleOneAndFourGolden) {
    // A 16-sided polygon as a triangle strip around its centre, radius 6 pixels.
    std::vector<int32_t> strip;
    constexpr int sides = 16;
    constexpr double radius = 6 * 20.0;
    for (int i = 0; i <= sides; ++i) {
        const double a = 2 * M_PI * i / sides;
        strip.push_back(static_cast<int32_t>(std::lround(radius * std::cos(a))));
        strip.push_back(static_cast<int32_t>(std::lround(radius * std::sin(a))));
        strip.push_back(0);
        strip.push_back(0);
    }
    begin(rgba(255, 255, 255, 255));
    handler->fill_style_color(0, rgba(0, 100, 200, 255));
    flash::matrix small;
    small.m_[0][2] = 8 * twips, small.m_[1][2] = 8 * twips;
    handler->set_matrix(small);
    handler->draw_mesh_strip(strip.data(), static_cast<int>(strip.size() / 2));
    flash::matrix big;
    big.m_[0][0] = big.m_[1][1] = 4.0f;
    big.m_[0][2] = 38 * twips, big.m_[1][2] = 24 * twips;
    handler->set_matrix(big);
    handler->draw_mesh_strip(strip.data(), static_cast<int>(strip.size() / 2));
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(8, 8), 0x0064C8));
    EXPECT_TRUE(near(img.argb(38, 24), 0x0064C8));
    EXPECT_TRUE(near(img.argb(38 + 20, 24), 0x0064C8));
    EXPECT_TRUE(near(img.argb(38 + 25, 24 + 20), 0xFFFFFF));
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("circles")));
}

TEST_F(D3dHandler, BitmapFillsRepeatClampMultiplyAndAddGolden) {
    std::unique_ptr<flash::image::rgb> img8 = d3dtest::checker(4);  // 8 x 8
    flash::smart_ptr<flash::bitmap_info> bi(handler->create_bitmap_info_rgb(img8.get(), "fills.swf"));
    begin(rgba(0, 0, 0, 255));
    bitmap_rect(2, 2, 26, 18, bi.get_ptr(), 0);   // repeated three times across
    bitmap_rect(34, 2, 62, 18, bi.get_ptr(), 1);  // clamped: the last texels stretch out
    handler->set_cxform(multiply(0.5f, 1.0f, 1.0f));
    bitmap_rect(2, 26, 18, 42, bi.get_ptr(), 0, 2.0f);
    handler->set_cxform(add(0.0f, 0.0f, 128.0f));
    bitmap_rect(34, 26, 50, 42, bi.get_ptr(), 0, 2.0f);
    handler->set_cxform(flash::cxform());
    const platform::gfx::Image out = end();
    // Texel centres: meshes sit half a pixel right and down of the shape.
    EXPECT_TRUE(near(out.argb(4, 4), 0xFF0000));
    EXPECT_TRUE(near(out.argb(8, 4), 0x00FF00));
    EXPECT_TRUE(near(out.argb(12, 4), 0xFF0000));   // repeated
    EXPECT_TRUE(near(out.argb(60, 4), 0x00FF00));   // clamped right edge
    EXPECT_TRUE(near(out.argb(60, 16), 0xFFFFFF));  // clamped corner
    EXPECT_TRUE(near(out.argb(4, 28), 0x800000));   // red halved
    EXPECT_TRUE(near(out.argb(36, 28), 0xFF0080));  // blue added
    EXPECT_TRUE(near(out.argb(45, 37), 0xFFFFFF));  // white stays white
    EXPECT_TRUE(gfxtest::matchesGolden(out, golden("bitmap_fills")));
}

TEST_F(D3dHandler, NegativeAddendsAndNaNColoursClampInsteadOfWrapping) {
    std::unique_ptr<flash::image::rgb> grey = d3dtest::make_rgb(4, 4, [](int, int) { return 0x808080u; });
    flash::smart_ptr<flash::bitmap_info> bi(handler->create_bitmap_info_rgb(grey.get(), "nan.swf"));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    begin(rgba(0, 0, 0, 255));
    // Red added, green taken away, blue's addend not a number: only red may rise.
    flash::cxform cx = add(100.0f, -200.0f, nan);
    handler->set_cxform(cx);
    bitmap_rect(0, 0, 16, 16, bi.get_ptr(), 0);
    // Multipliers that are not numbers give black, never a wrapped byte.
    handler->set_cxform(multiply(nan, nan, nan, 1.0f));
    fill_rect(20, 0, 36, 16, rgba(255, 255, 255, 255));
    handler->set_cxform(flash::cxform());
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(8, 8), 0xE48080, 2));
    EXPECT_TRUE(near(img.argb(28, 8), 0x000000));
}

TEST_F(D3dHandler, OnePixelLinesGolden) {
    begin(rgba(255, 255, 255, 255));
    handler->line_style_color(rgba(0, 0, 0, 255));
    handler->line_style_width(20.0f);
    const int32_t box[] = {40, 40, 1200, 40, 1200, 800, 40, 800, 40, 40};
    handler->draw_line_strip(box, 5);
    handler->line_style_color(rgba(255, 0, 0, 255));
    const int32_t diagonal[] = {100, 100, 1100, 700};
    handler->draw_line_strip(diagonal, 2);
    handler->line_style_disable();
    handler->draw_line_strip(diagonal, 2);  // disabled: draws in the last colour set, as solid fills do
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(20, 2), 0x000000));
    EXPECT_TRUE(near(img.argb(20, 4), 0xFFFFFF));
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("lines")));
}

TEST_F(D3dHandler, MaskClipsUntilDisabledGolden) {
    begin(rgba(255, 255, 255, 255));
    handler->begin_submit_mask();
    fill_rect(8, 8, 40, 40, rgba(255, 0, 0, 255));  // writes the mask only
    handler->end_submit_mask();
    fill_rect(0, 0, 64, 24, rgba(0, 128, 0, 255));
    handler->disable_mask();
    fill_rect(44, 28, 60, 44, rgba(0, 0, 200, 255));
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(10, 10), 0x008000));
    EXPECT_TRUE(near(img.argb(4, 4), 0xFFFFFF));   // outside the mask
    EXPECT_TRUE(near(img.argb(10, 30), 0xFFFFFF));  // the mask drew no colour
    EXPECT_TRUE(near(img.argb(50, 40), 0x0000C8));
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("mask")));
}

TEST_F(D3dHandler, DrawBitmapPlacesATexturedQuadModulatedByItsColour) {
    std::unique_ptr<flash::image::rgb> img8 = d3dtest::checker(4);
    flash::smart_ptr<flash::bitmap_info> bi(handler->create_bitmap_info_rgb(img8.get(), "quad.swf"));
    begin(rgba(0, 0, 0, 255));
    flash::matrix m;
    m.m_[0][2] = 10 * twips, m.m_[1][2] = 10 * twips;
    flash::rect coords;
    coords.m_x_max = 16 * twips, coords.m_y_max = 16 * twips;
    flash::rect uv;
    uv.m_x_max = 1.0f, uv.m_y_max = 1.0f;
    handler->draw_bitmap(m, bi.get_ptr(), coords, uv, rgba(255, 128, 0, 255));
    const platform::gfx::Image img = end();
    // The tint modulates the texture's colours (red, green, blue and white quarters, 8 pixels
    // each on screen); the alpha comes from the texture.
    EXPECT_TRUE(near(img.argb(12, 12), 0xFF0000));
    EXPECT_TRUE(near(img.argb(21, 13), 0x008000));
    EXPECT_TRUE(near(img.argb(13, 21), 0x000000));
    EXPECT_TRUE(near(img.argb(21, 21), 0xFF8000));
    EXPECT_TRUE(near(img.argb(8, 8), 0x000000));
    // Bitmaps are placed without the meshes' half pixel: pixels 10 to 25.
    EXPECT_TRUE(near(img.argb(25, 25), 0xFF8000));
    EXPECT_TRUE(near(img.argb(26, 26), 0x000000));
}

TEST_F(D3dHandler, VisibilityUsesTheViewportGivenToTheFrame) {
    begin(rgba(0, 0, 0, 0));
    flash::rect inside;
    inside.m_x_min = 64, inside.m_x_max = 100, inside.m_y_min = -5, inside.m_y_max = 0;
    EXPECT_TRUE(handler->is_visible(inside));
    flash::rect right = inside;
    right.m_x_min = 65;
    EXPECT_FALSE(handler->is_visible(right));
    flash::rect above = inside;
    above.m_y_max = -1;
    EXPECT_FALSE(handler->is_visible(above));
    handler->end_display();
}

}  // namespace
