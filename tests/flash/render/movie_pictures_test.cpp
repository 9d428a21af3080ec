// Whole frames of writer movies drawn by the Direct3D handler and compared with golden pictures:
// solid and translucent fills over the background at overlapping depths, a circle at scale 1 and
// 4, linear and radial gradients, bitmap fills repeated and clamped under colour transforms
// (multiplying, and adding: the second pass), 1-pixel lines, and a clip-depth mask. Each movie's
// first frame places its shapes with PlaceObject2; its top-level clip is drawn by a movie root.
// Last, one movie in three viewports with the root's background alpha 0, 0.5 and 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d_handler_fixture.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "tests/flash/movie/movie_fixture.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using d3dtest::twips;
using gfxtest::near;

constexpr int kStageWidth = 96;
constexpr int kStageHeight = 64;

swf::CxForm multiply(int r, int g, int b, int a = 256) {
    swf::CxForm c;
    c.has_mult = true;
    c.mult = {r, g, b, a};
    return c;
}

swf::CxForm adding(int r, int g, int b, int a = 0) {
    swf::CxForm c;
    c.has_add = true;
    c.add = {r, g, b, a};
    return c;
}

// A writer movie of the stage's size whose first frame places shapes, drawn over a background.
class scene {
public:
    explicit scene(swf::Rgba background) : m_background(background) {
        m_movie.frame_rect({0, kStageWidth * 20, 0, kStageHeight * 20});
        m_movie.set_background_color(background);
    }
    swf::MovieWriter& movie() { return m_movie; }
    void place(uint16_t id, uint16_t depth, const swf::Matrix& m, std::optional<swf::CxForm> cx = std::nullopt,
               uint16_t clip_depth = 0) {
        swf::PlaceObject p = swf::PlaceObject::place(depth, id);
        p.matrix = m;
        p.cxform = cx;
        if (clip_depth) p.clip_depth = clip_depth;
        m_movie.place_object2(p);
    }
    movietest::bytes finish() {
        m_movie.show_frame();
        m_movie.end();
        return m_movie.finish_fws();
    }
    flash::rgba background() const { return flash::rgba(m_background.r, m_background.g, m_background.b, 255); }

private:
    swf::MovieWriter m_movie{8};
    swf::Rgba m_background;
};

class MoviePictures : public d3dtest::D3dHandler {
protected:
    void SetUp() override { open_handler(kStageWidth, kStageHeight); }

    // Loads the scene's movie (its bitmaps become textures), makes its top-level clip (frame 0
    // placed) and draws it through a root over the scene's background.
    platform::gfx::Image draw(scene& s, const std::string& name) {
        movietest::movie_fixture f;
        flash::movie_def_impl* def = f.load(name + ".swf", s.finish());
        EXPECT_NE(def, nullptr);
        if (!def) return {};
        {
            flash::smart_ptr<flash::root> r(new flash::root(f.owner.get_ptr(), def));
            flash::smart_ptr<flash::sprite_instance> top(
                flash::sprite_instance::create_top_level(f.owner.get_ptr(), def, r.get_ptr()));
            r->set_root_movie(top.get_ptr());
            r->set_background_color(s.background());
            r->begin_display();
            r->display();
            r->end_display();
            r->set_root_movie(nullptr);
        }
        f.owner->clear_heap();
        EXPECT_EQ(f.log.errors(), "");
        handler->clear_textures((name + ".swf").c_str());
        return read();
    }
};

swf::Shape rect_shape(int x, int y, int w, int h, swf::FillStyle fill) {
    swf::Shape s;
    s.fills = {fill};
    s.path.fill1(1).rect(x * 20, y * 20, w * 20, h * 20);
    return s;
}

TEST_F(MoviePictures, SolidAndTranslucentFillsAtOverlappingDepths) {
    scene s({230, 230, 190, 255});
    const uint16_t red = s.movie().define_shape(rect_shape(0, 0, 40, 30, swf::FillStyle::solid({200, 0, 0, 255})));
    const uint16_t blue = s.movie().define_shape(rect_shape(0, 0, 40, 30, swf::FillStyle::solid({0, 0, 255, 128})));
    const uint16_t green = s.movie().define_shape(rect_shape(0, 0, 30, 20, swf::FillStyle::solid({0, 160, 0, 255})));
    s.place(red, 1, swf::Matrix::translation(8 * 20, 8 * 20));
    s.place(blue, 3, swf::Matrix::translation(28 * 20, 20 * 20));
    s.place(green, 2, swf::Matrix::translation(40 * 20, 4 * 20), multiply(256, 256, 256, 128));
    const platform::gfx::Image img = draw(s, "depths");
    EXPECT_TRUE(near(img.argb(2, 2), 0xE6E6BE));
    EXPECT_TRUE(near(img.argb(12, 12), 0xC80000));
    EXPECT_TRUE(near(img.argb(32, 24), 0x640080, 2));  // blue above red
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("movie_depths")));
}

TEST_F(MoviePictures, CircleAtScaleOneAndFour) {
    scene s({255, 255, 255, 255});
    swf::Shape circle;
    circle.fills = {swf::FillStyle::solid({0, 100, 200, 255})};
    circle.path.fill1(1).circle(0, 0, 6 * 20);
    const uint16_t id = s.movie().define_shape(circle);
    s.place(id, 1, swf::Matrix::translation(10 * 20, 10 * 20));
    s.place(id, 2, swf::Matrix::scaling(4, 4, 60 * 20, 32 * 20));
    const platform::gfx::Image img = draw(s, "circles");
    EXPECT_TRUE(near(img.argb(10, 10), 0x0064C8));
    EXPECT_TRUE(near(img.argb(60 + 20, 32), 0x0064C8));
    EXPECT_TRUE(near(img.argb(60 + 20, 32 + 20), 0xFFFFFF));
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("movie_circles")));
}

TEST_F(MoviePictures, LinearAndRadialGradients) {
    scene s({255, 255, 255, 255});
    // The gradient square (32768 twips a side, centred) scaled onto a 40-pixel box.
    const double to_box = 40.0 * 20 / 32768.0;
    const swf::Matrix square = swf::Matrix::scaling(to_box, to_box, 20 * 20, 20 * 20);
    swf::Shape linear = rect_shape(0, 0, 40, 40, swf::FillStyle::linear(square, {{0, {255, 0, 0, 255}},
                                                                                  {255, {0, 0, 255, 255}}}));
    swf::Shape radial = rect_shape(0, 0, 40, 40, swf::FillStyle::radial(square, {{0, {255, 255, 0, 255}},
                                                                                  {255, {0, 128, 0, 255}}}));
    s.place(s.movie().define_shape(linear), 1, swf::Matrix::translation(4 * 20, 12 * 20));
    s.place(s.movie().define_shape(radial), 2, swf::Matrix::translation(52 * 20, 12 * 20));
    const platform::gfx::Image img = draw(s, "gradients");
    // Red at the left end, blue at the right; yellow in the centre of the radial one.
    EXPECT_TRUE(near(img.argb(6, 30), 0xFF0000, 24));
    EXPECT_TRUE(near(img.argb(42, 30), 0x0000FF, 24));
    EXPECT_TRUE(near(img.argb(72, 32), 0xFFFF00, 24));
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("movie_gradients")));
}

TEST_F(MoviePictures, BitmapFillsRepeatedClampedMultipliedAndAdded) {
    scene s({0, 0, 0, 255});
    swf::Image checker = swf::Image::filled(8, 8, {255, 255, 255, 255});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            static const swf::Rgba colours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255},
                                                 {255, 255, 255, 255}};
            checker.at(x, y) = colours[(y / 4) * 2 + x / 4];
        }
    const uint16_t bitmap = s.movie().define_bits_lossless2(checker);
    // One bitmap pixel a screen pixel.
    const swf::Matrix one_to_one = swf::Matrix::scaling(20, 20);
    const uint16_t repeated = s.movie().define_shape(
        rect_shape(0, 0, 24, 16, swf::FillStyle::bitmap(bitmap, one_to_one, swf::fill_repeating_bitmap)));
    const uint16_t clamped = s.movie().define_shape(
        rect_shape(0, 0, 24, 16, swf::FillStyle::bitmap(bitmap, one_to_one, swf::fill_clipped_bitmap)));
    s.place(repeated, 1, swf::Matrix::translation(4 * 20, 4 * 20));
    s.place(clamped, 2, swf::Matrix::translation(36 * 20, 4 * 20));
    s.place(repeated, 3, swf::Matrix::translation(4 * 20, 36 * 20), multiply(128, 256, 256));
    s.place(repeated, 4, swf::Matrix::translation(36 * 20, 36 * 20), adding(0, 0, 128));
    s.place(clamped, 5, swf::Matrix::translation(68 * 20, 36 * 20), [] {
        swf::CxForm c = multiply(256, 128, 256);
        c.has_add = true;
        c.add = {0, 64, 0, 0};
        return c;
    }());
    const platform::gfx::Image img = draw(s, "bitmap_fills");
    EXPECT_TRUE(near(img.argb(6, 6), 0xFF0000));
    EXPECT_TRUE(near(img.argb(14, 6), 0xFF0000));    // repeated
    EXPECT_TRUE(near(img.argb(58, 18), 0xFFFFFF));   // clamped corner stretched
    EXPECT_TRUE(near(img.argb(6, 38), 0x800000));    // red halved
    EXPECT_TRUE(near(img.argb(38, 38), 0xFF0080));   // blue added
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("movie_bitmap_fills")));
}

TEST_F(MoviePictures, OnePixelLines) {
    scene s({255, 255, 255, 255});
    swf::Shape box;
    box.lines = {swf::LineStyle::solid(20, {0, 0, 0, 255}), swf::LineStyle::solid(20, {255, 0, 0, 255})};
    box.path.line(1).rect(0, 0, 60 * 20, 40 * 20);
    box.path.line(2).move_to(0, 0).line_to(60 * 20, 40 * 20);
    s.place(s.movie().define_shape(box), 1, swf::Matrix::translation(10 * 20, 10 * 20));
    const platform::gfx::Image img = draw(s, "lines");
    EXPECT_TRUE(near(img.argb(40, 10), 0x000000, 8)) << "the top edge";
    EXPECT_TRUE(near(img.argb(40, 20), 0xFFFFFF, 8));
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("movie_lines")));
}

TEST_F(MoviePictures, ClipDepthMasksTheDepthsUpToIt) {
    scene s({255, 255, 255, 255});
    swf::Shape circle;
    circle.fills = {swf::FillStyle::solid({255, 0, 255, 255})};
    circle.path.fill1(1).circle(0, 0, 24 * 20);
    const uint16_t mask = s.movie().define_shape(circle);
    const uint16_t bar = s.movie().define_shape(rect_shape(0, 0, 96, 16, swf::FillStyle::solid({0, 128, 0, 255})));
    s.place(mask, 1, swf::Matrix::translation(48 * 20, 32 * 20), std::nullopt, 3);
    s.place(bar, 2, swf::Matrix::translation(0, 10 * 20));
    s.place(bar, 3, swf::Matrix::translation(0, 30 * 20), multiply(0, 0, 0));
    s.place(bar, 4, swf::Matrix::translation(0, 46 * 20), adding(0, 0, 200));  // past the clip depth
    const platform::gfx::Image img = draw(s, "mask");
    EXPECT_TRUE(near(img.argb(48, 18), 0x008000));  // inside the circle
    EXPECT_TRUE(near(img.argb(4, 18), 0xFFFFFF));   // the bar outside it is clipped
    EXPECT_TRUE(near(img.argb(48, 28), 0xFFFFFF));  // the mask shows no colour of its own
    EXPECT_TRUE(near(img.argb(48, 36), 0x000000));  // the blackened bar inside the circle
    EXPECT_TRUE(near(img.argb(4, 52), 0x0080C8));   // unmasked
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("movie_mask")));
}

TEST_F(MoviePictures, BackgroundAlphaZeroHalfAndOneInThreeViewports) {
    // Stripes already on the target; a bar crosses all three viewports.
    for (int y = 0; y < kStageHeight; y += 8) {
        const D3DRECT stripe{0, y, kStageWidth, y + 4};
        device->Clear(1, &stripe, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    }
    scene s({200, 0, 0, 255});
    s.place(s.movie().define_shape(rect_shape(0, 0, kStageWidth, 12, swf::FillStyle::solid({255, 200, 0, 255}))), 1,
            swf::Matrix::translation(0, 26 * 20));
    movietest::movie_fixture f;
    flash::movie_def_impl* def = f.load("alpha.swf", s.finish());
    ASSERT_NE(def, nullptr);
    constexpr int kThird = kStageWidth / 3;
    const float alphas[3] = {0.0f, 0.5f, 1.0f};
    for (int i = 0; i < 3; ++i) {
        flash::smart_ptr<flash::root> r(new flash::root(f.owner.get_ptr(), def));
        flash::smart_ptr<flash::sprite_instance> top(
            flash::sprite_instance::create_top_level(f.owner.get_ptr(), def, r.get_ptr()));
        r->set_root_movie(top.get_ptr());
        r->set_display_viewport(i * kThird, 0, kThird, kStageHeight);
        r->set_background_color(s.background());
        r->set_background_alpha(alphas[i]);
        r->begin_display();
        r->display();
        r->end_display();
        r->set_root_movie(nullptr);
    }
    f.owner->clear_heap();
    const platform::gfx::Image img = read();
    EXPECT_TRUE(near(img.argb(10, 2), 0xFFFFFF));           // alpha 0: the stripes stay
    EXPECT_TRUE(near(img.argb(10, 6), 0x000000));
    EXPECT_TRUE(near(img.argb(kThird + 10, 2), 0xE38080, 2));  // half red over white
    EXPECT_TRUE(near(img.argb(kThird + 10, 6), 0x640000, 2));  // half red over black
    EXPECT_TRUE(near(img.argb(2 * kThird + 10, 6), 0xC80000));  // replaced
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(near(img.argb(i * kThird + 10, 32), 0xFFC800)) << i;
    EXPECT_TRUE(gfxtest::matchesGolden(img, golden("movie_background_alpha")));
}

}  // namespace
