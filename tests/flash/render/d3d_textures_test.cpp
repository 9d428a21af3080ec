// The Direct3D handler's textures: sizes and their log lines, ids reused lowest first, bitmaps
// whose slot was cleared or reused drawing nothing, textures made on a loader thread while the
// drawing thread draws, a handler without a device, and a lost device released and reset.
#include <atomic>
#include <thread>

#include "d3d_handler_fixture.h"
#include "flash/base/smart_ptr.h"

namespace {

using d3dtest::D3dHandler;
using d3dtest::scoped_setting;
using flash::rgba;
using flash::smart_ptr;
using gfxtest::near;
using testsupport::engine_log;

smart_ptr<flash::bitmap_info> make(flash::render_handler& h, int w, int h_, uint32_t colour, const char* owner) {
    std::unique_ptr<flash::image::rgb> img = d3dtest::make_rgb(w, h_, [colour](int, int) { return colour; });
    return smart_ptr<flash::bitmap_info>(h.create_bitmap_info_rgb(img.get(), owner));
}

int id_of(const smart_ptr<flash::bitmap_info>& bi) {
    auto* d3d = dynamic_cast<flash::bitmap_info_d3d*>(bi.get_ptr());
    return d3d ? d3d->texture_id() : -2;
}

D3DSURFACE_DESC level_of(flash::render_handler& h, int id) {
    D3DSURFACE_DESC desc{};
    if (IDirect3DTexture9* t = h.get_texture(id)) t->GetLevelDesc(0, &desc);
    return desc;
}

TEST_F(D3dHandler, FirstTextureOf100x60Is128x64WithId0AndItsLogLine) {
    smart_ptr<flash::bitmap_info> bi = make(*handler, 100, 60, 0x123456, "first.swf");
    EXPECT_EQ(id_of(bi), 0);
    EXPECT_EQ(bi->get_width(), 100);
    EXPECT_EQ(bi->get_height(), 60);
    EXPECT_EQ(engine_log::messages(), "create texture without alpha: 100x60 => 128x64, id = 0\n");
    const D3DSURFACE_DESC desc = level_of(*handler, 0);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Height, 64u);
    EXPECT_EQ(handler->get_texture_count(), 1);
    EXPECT_EQ(handler->get_texture(1), nullptr);
    EXPECT_EQ(handler->get_texture(-1), nullptr);

    std::unique_ptr<flash::image::rgba> img(flash::image::create_rgba(3, 5));
    smart_ptr<flash::bitmap_info> alpha(handler->create_bitmap_info_rgba(img.get(), "first.swf"));
    EXPECT_TRUE(engine_log::has_message("create texture with alpha: 3x5 => 4x8, id = 1\n"));
    const uint8_t map[4] = {0, 1, 2, 3};
    smart_ptr<flash::bitmap_info> a8(handler->create_bitmap_info_alpha(2, 2, map, "first.swf"));
    EXPECT_EQ(id_of(a8), 2);
    EXPECT_EQ(level_of(*handler, 2).Format, D3DFMT_A8);
    EXPECT_EQ(handler->create_bitmap_info_empty("first.swf"), nullptr);
}

struct rule_case {
    const char* rule;
    UINT width;  // of a 100-pixel side
    UINT side256;
    D3DFORMAT format;
};

TEST_F(D3dHandler, PowerRuleZeroHalvesNegativeKeepsAnd256AlwaysStays) {
    const rule_case cases[] = {{"0 0 1", 128, 256, D3DFMT_A8R8G8B8},
                               {"0 0 0", 64, 256, D3DFMT_A8R8G8B8},
                               {"0 0 -1", 100, 256, D3DFMT_A8R8G8B8}};
    for (const rule_case& c : cases) {
        SCOPED_TRACE(c.rule);
        scoped_setting rule(d_TextureMaxSize, c.rule);
        smart_ptr<flash::bitmap_info> a = make(*handler, 100, 256, 0, "rules.swf");
        const D3DSURFACE_DESC desc = level_of(*handler, id_of(a));
        EXPECT_EQ(desc.Width, c.width);
        EXPECT_EQ(desc.Height, c.side256);
        EXPECT_EQ(desc.Format, c.format);
        handler->clear_textures("rules.swf");
    }
}

TEST_F(D3dHandler, FittingKeepsTheMaximumAndTheAspect) {
    scoped_setting max(d_TextureMaxSize, "64 64 1");
    handler->set_resize_textures(true);
    smart_ptr<flash::bitmap_info> bi = make(*handler, 300, 100, 0, "fit.swf");
    EXPECT_TRUE(engine_log::has_message("create texture without alpha: 300x100 => 64x16, id = 0\n"))
        << engine_log::messages();
    handler->set_resize_textures(false);
    smart_ptr<flash::bitmap_info> plain = make(*handler, 300, 100, 0, "fit.swf");
    EXPECT_EQ(level_of(*handler, id_of(plain)).Width, 512u);
}

TEST_F(D3dHandler, ClearingFreesTheOwnersIdsLowestFirstAndStaleBitmapsDrawNothing) {
    smart_ptr<flash::bitmap_info> a = make(*handler, 4, 4, 0xFF0000, "a.swf");
    smart_ptr<flash::bitmap_info> b = make(*handler, 4, 4, 0x00FF00, "b.swf");
    smart_ptr<flash::bitmap_info> c = make(*handler, 4, 4, 0x0000FF, "a.swf");
    EXPECT_EQ(id_of(a), 0);
    EXPECT_EQ(id_of(b), 1);
    EXPECT_EQ(id_of(c), 2);

    engine_log log_after;
    handler->clear_textures("nobody.swf");
    EXPECT_EQ(engine_log::messages(), "");
    handler->clear_textures("a.swf");
    EXPECT_EQ(engine_log::messages(),
              "-------------------------------------------------------------------\n"
              "clear textures for swf: a.swf\n"
              "destroy texture: id = 0\n"
              "destroy texture: id = 2\n"
              "-------------------------------------------------------------------\n");
    EXPECT_EQ(handler->get_texture(0), nullptr);
    EXPECT_NE(handler->get_texture(1), nullptr);
    EXPECT_EQ(handler->get_texture_count(), 3);

    // The lowest freed id goes to the next texture; the old bitmap of that id must not show it.
    smart_ptr<flash::bitmap_info> d = make(*handler, 4, 4, 0xFFFFFF, "d.swf");
    EXPECT_EQ(id_of(d), 0);
    begin(rgba(0, 0, 0, 255));
    bitmap_rect(0, 0, 16, 16, a.get_ptr(), 0);
    bitmap_rect(16, 0, 32, 16, d.get_ptr(), 0);
    bitmap_rect(32, 0, 48, 16, b.get_ptr(), 0);
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(8, 8), 0x000000));
    EXPECT_TRUE(near(img.argb(24, 8), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(40, 8), 0x00FF00));
}

TEST_F(D3dHandler, LogLinesCanBeSilenced) {
    scoped_setting quiet(d_NoLogTextures, "true");
    smart_ptr<flash::bitmap_info> a = make(*handler, 4, 4, 0, "q.swf");
    handler->clear_textures("q.swf");
    EXPECT_EQ(engine_log::messages().find("create texture"), std::string::npos);
    EXPECT_EQ(engine_log::messages().find("destroy texture"), std::string::npos);
    EXPECT_TRUE(engine_log::has_message("clear textures for swf: q.swf\n"));
}

TEST_F(D3dHandler, TexturesAreSavedWhenAsked) {
    const std::string folder = ::testing::TempDir() + "tex_dump_" + std::to_string(testsupport::processId()) + "/";
    std::filesystem::create_directories(folder);
    scoped_setting save(d_NeedSaveTextures, "true");
    scoped_setting path(d_pathSaveTextures, folder.c_str());
    smart_ptr<flash::bitmap_info> a = make(*handler, 4, 4, 0, "s.swf");
    std::unique_ptr<flash::image::rgba> img(flash::image::create_rgba(2, 2));
    smart_ptr<flash::bitmap_info> b(handler->create_bitmap_info_rgba(img.get(), "s.swf"));
    {
        scoped_setting plain(d_TextureMaxSize, "0 0 -1");
        smart_ptr<flash::bitmap_info> c = make(*handler, 4, 4, 0, "s.swf");
    }
    EXPECT_TRUE(std::filesystem::exists(folder + "image_noa_0.dds"));
    EXPECT_TRUE(std::filesystem::exists(folder + "image_a_1.dds"));
    EXPECT_TRUE(std::filesystem::exists(folder + "image_noa_2.bmp"));
    std::filesystem::remove_all(folder);
}

// Loader threads make and clear textures while the drawing thread draws with the ones already
// made; every texture shows once made. The pictures are big enough that the loader is still
// working while frames are drawn.
TEST_F(D3dHandler, TexturesMadeOnALoaderThreadWhileDrawingShowAfterUpload) {
    constexpr int kMade = 48;
    constexpr int kSide = 96;
    constexpr int kCell = 8;
    constexpr int kColumns = 8;
    std::vector<smart_ptr<flash::bitmap_info>> made(kMade);
    std::atomic<int> ready{0};
    std::thread loader([&] {
        for (int i = 0; i < kMade; ++i) {
            smart_ptr<flash::bitmap_info> scrap = make(*handler, kSide, kSide, 0xFF0000, "scrap.swf");
            made[i] = make(*handler, kSide, kSide, 0x00FF00, "loaded.swf");
            ready.store(i + 1);
            handler->clear_textures("scrap.swf");
        }
    });
    auto draw_made = [&](int n) {
        begin(rgba(0, 0, 0, 255));
        for (int i = 0; i < n; ++i) {
            const float x = float(i % kColumns * kCell), y = float(i / kColumns * kCell);
            bitmap_rect(x, y, x + kCell, y + kCell, made[i].get_ptr(), 0, float(kCell) / kSide);
        }
    };
    int frames = 0;
    while (ready.load() < kMade || frames < 3) {
        draw_made(ready.load());
        handler->end_display();
        ++frames;
    }
    loader.join();
    draw_made(kMade);
    const platform::gfx::Image img = end();
    for (int i = 0; i < kMade; ++i)
        EXPECT_TRUE(near(img.argb(i % kColumns * kCell + kCell / 2, i / kColumns * kCell + kCell / 2), 0x00FF00)) << i;
}

TEST_F(D3dHandler, LostDeviceIsReleasedResetAndDrawsAgainWithItsTextures) {
    smart_ptr<flash::bitmap_info> bi = make(*handler, 4, 4, 0x00FF00, "lost.swf");
    platform::gfx::setDeviceLost(device, true);
    begin(rgba(0, 0, 0, 255));
    handler->end_display();
    ASSERT_TRUE(handler->is_device_lost());

    flash::release_render_handler_d3d(handler.get());
    const uint64_t draws = platform::gfx::deviceStats(device).drawCalls;
    // Between the release and the reset nothing reaches the device.
    begin(rgba(255, 0, 0, 255));
    fill_rect(0, 0, 10, 10, rgba(255, 0, 0, 255));
    bitmap_rect(0, 0, 10, 10, bi.get_ptr(), 0);
    handler->begin_submit_mask();
    handler->end_submit_mask();
    handler->disable_mask();
    handler->end_display();
    EXPECT_EQ(platform::gfx::deviceStats(device).drawCalls, draws);

    ASSERT_EQ(device->Reset(&params), D3D_OK);
    flash::reset_render_handler_d3d(device, handler.get());
    handler->set_device_lost(false);
    EXPECT_FALSE(handler->is_device_lost());
    begin(rgba(0, 0, 0, 255));
    bitmap_rect(0, 0, 16, 16, bi.get_ptr(), 0);
    const platform::gfx::Image img = end();
    EXPECT_TRUE(near(img.argb(8, 8), 0x00FF00));
}

TEST(D3dHandlerWithoutDevice, EveryCallDoesNothingAndBitmapsDrawNothing) {
    engine_log log;
    flash::render_handler* h = flash::create_render_handler_d3d(nullptr);
    ASSERT_NE(h, nullptr);
    std::unique_ptr<flash::image::rgb> img = d3dtest::checker(2);
    smart_ptr<flash::bitmap_info> bi(h->create_bitmap_info_rgb(img.get(), "none.swf"));
    ASSERT_NE(bi.get_ptr(), nullptr);
    EXPECT_EQ(bi->get_width(), 4);
    EXPECT_EQ(h->get_texture(0), nullptr);
    EXPECT_TRUE(engine_log::has_error("error: can't create texture bitmap_info_d3d::bitmap_info_d3d 4x4\n"));
    h->begin_display(rgba(1, 2, 3, 128), 0, 0, 10, 10, 0, 200, 0, 200);
    h->fill_style_bitmap(0, bi.get_ptr(), flash::matrix(), 0);
    const int32_t coords[8] = {0, 0, 100, 0, 0, 100, 100, 100};
    h->draw_mesh_strip(coords, 4);
    h->draw_triangle_list(coords, 3);
    h->draw_line_strip(coords, 4);
    h->draw_bitmap(flash::matrix(), bi.get_ptr(), flash::rect(), flash::rect(), rgba());
    h->begin_submit_mask();
    h->end_submit_mask();
    h->disable_mask();
    h->end_display();
    h->clear_textures("none.swf");
    flash::release_render_handler_d3d(h);
    delete h;
}

}  // namespace
