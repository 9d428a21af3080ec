// Gradient textures through the Direct3D handler: made when the shape tag is read, under the
// movie file's name, and gone with the movie; a tweened gradient morph keeps one texture however
// many frames it plays; and gradients drawn after a precompute pass (run without a handler) show
// their colours, not black.
#include <gtest/gtest.h>

#include <string>

#include "d3d_handler_fixture.h"
#include "flash/movie/cache_file.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "tests/flash/movie/movie_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using gfxtest::near;

constexpr int kSide = 48;
constexpr float kFrameTime = 1.0f / 12.0f;

// The gradient square (32768 twips a side, centred) scaled onto a box of the stage's size.
swf::Matrix gradient_square() {
    const double to_box = kSide * 20.0 / 32768.0;
    return swf::Matrix::scaling(to_box, to_box, kSide * 10, kSide * 10);
}

swf::Shape gradient_box(swf::FillStyle fill) {
    swf::Shape s;
    s.fills = {fill};
    s.path.fill1(1).rect(0, 0, kSide * 20, kSide * 20);
    return s;
}

int live_textures(flash::render_handler& h) {
    int n = 0;
    for (int id = 0; id < h.get_texture_count(); ++id) n += h.get_texture(id) ? 1 : 0;
    return n;
}

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class GradientTextures : public d3dtest::D3dHandler {
protected:
    void SetUp() override { open_handler(kSide, kSide); }

    // Plays frames of the movie through a root, drawing each one; the last picture.
    platform::gfx::Image play(movietest::movie_fixture& f, flash::movie_def_impl* def, int frames) {
        flash::smart_ptr<flash::root> r(new flash::root(f.owner.get_ptr(), def));
        flash::smart_ptr<flash::sprite_instance> top(
            flash::sprite_instance::create_top_level(f.owner.get_ptr(), def, r.get_ptr()));
        r->set_root_movie(top.get_ptr());
        r->set_background_color(flash::rgba(255, 255, 255, 255));
        platform::gfx::Image img;
        for (int i = 0; i < frames; ++i) {
            r->advance(kFrameTime);
            r->begin_display();
            r->display();
            r->end_display();
        }
        img = read();
        r->set_root_movie(nullptr);
        return img;
    }
};

TEST_F(GradientTextures, AreMadeWhenTheShapeIsReadAndGoWithTheirMovie) {
    swf::MovieWriter m(8);
    m.frame_rect({0, kSide * 20, 0, kSide * 20});
    const uint16_t linear = m.define_shape(gradient_box(
        swf::FillStyle::linear(gradient_square(), {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}})));
    m.define_shape(gradient_box(
        swf::FillStyle::radial(gradient_square(), {{0, {255, 255, 0, 255}}, {255, {0, 128, 0, 255}}})));
    m.place_object2(swf::PlaceObject::place(1, linear));
    m.show_frame();
    m.end();
    const movietest::bytes movie = m.finish_fws();
    {
        movietest::movie_fixture f;
        flash::movie_def_impl* def = f.load("grad.swf", movie);
        ASSERT_NE(def, nullptr);
        // Read, not yet drawn: both textures are there.
        EXPECT_TRUE(f.log.has_message("create texture with alpha: 256x1 => 256x1, id = 0\n")) << f.log.messages();
        EXPECT_TRUE(f.log.has_message("create texture with alpha: 64x64 => 64x64, id = 1\n")) << f.log.messages();
        EXPECT_EQ(live_textures(*handler), 2);
        // Drawing uses them and makes none.
        const platform::gfx::Image img = play(f, def, 2);
        EXPECT_TRUE(near(img.argb(1, kSide / 2), 0xFF0000, 24));
        EXPECT_EQ(count_of(f.log.messages(), "create texture"), 2);
        // They are the movie's: clearing its name releases them.
        f.log.messages().clear();
        handler->clear_textures("grad.swf");
        EXPECT_TRUE(f.log.has_message("destroy texture: id = 0\n"));
        EXPECT_TRUE(f.log.has_message("destroy texture: id = 1\n"));
        EXPECT_EQ(live_textures(*handler), 0);
    }
    {
        movietest::movie_fixture f;
        ASSERT_NE(f.load("grad.swf", movie), nullptr);
        EXPECT_EQ(live_textures(*handler), 2);
        f.owner->clear_heap();
    }
    // The movie went with its player: so did its textures.
    EXPECT_EQ(live_textures(*handler), 0);
}

// A morph whose linear gradient turns from red to blue, moved to a new ratio on each of its
// frames.
movietest::bytes tweened_morph(int frames) {
    swf::MovieWriter m(8);
    m.frame_rect({0, kSide * 20, 0, kSide * 20});
    swf::MorphShape morph;
    morph.fills.push_back({swf::FillStyle::linear(gradient_square(), {{0, {255, 0, 0, 255}}, {255, {255, 0, 0, 255}}}),
                           swf::FillStyle::linear(gradient_square(), {{0, {0, 0, 255, 255}}, {255, {0, 0, 255, 255}}})});
    morph.start.fill0(1).rect(0, 0, kSide * 20, kSide * 20);
    morph.end.fill0(1).rect(0, 0, kSide * 20, kSide * 20);
    const uint16_t id = m.define_morph_shape(morph);
    for (int i = 0; i < frames; ++i) {
        swf::PlaceObject p = i == 0 ? swf::PlaceObject::place(1, id) : swf::PlaceObject::move_to(1);
        p.ratio = static_cast<uint16_t>(frames > 1 ? i * 65535 / (frames - 1) : 0);
        m.place_object2(p);
        m.show_frame();
    }
    m.end();
    return m.finish_fws();
}

TEST_F(GradientTextures, ATweenedGradientMorphKeepsOneTexture) {
    constexpr int frames = 200;
    movietest::movie_fixture f;
    flash::movie_def_impl* def = f.load("tween.swf", tweened_morph(frames));
    ASSERT_NE(def, nullptr);
    const platform::gfx::Image img = play(f, def, frames);
    // Each ratio made a texture of its own colours; every dropped one was released.
    EXPECT_GE(count_of(f.log.messages(), "create texture with alpha: 256x1"), frames / 2);
    EXPECT_LE(live_textures(*handler), 1);
    EXPECT_LE(handler->get_texture_count(), 2);
    EXPECT_TRUE(near(img.argb(kSide / 2, kSide / 2), 0x0000FF, 24));
}

TEST_F(GradientTextures, GradientsDrawnAfterAPrecomputePassShowTheirColours) {
    // A red gradient box as a shape and as a one-frame morph; the shape's movie is read while no
    // handler is installed, as a tool reading movies to precompute them would.
    swf::MovieWriter shape_movie(8);
    shape_movie.frame_rect({0, kSide * 20, 0, kSide * 20});
    const uint16_t box = shape_movie.define_shape(gradient_box(
        swf::FillStyle::linear(gradient_square(), {{0, {255, 0, 0, 255}}, {255, {255, 0, 0, 255}}})));
    shape_movie.place_object2(swf::PlaceObject::place(1, box));
    shape_movie.show_frame();
    shape_movie.end();
    const struct {
        const char* name;
        movietest::bytes movie;
        bool read_without_handler;
    } rows[] = {{"shape", shape_movie.finish_fws(), true}, {"morph", tweened_morph(1), false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        movietest::movie_fixture f;
        if (r.read_without_handler) flash::set_render_handler(nullptr);
        flash::movie_def_impl* def = f.load(std::string(r.name) + ".swf", r.movie);
        flash::set_render_handler(handler.get());
        ASSERT_NE(def, nullptr);
        // The pass draws every frame without a handler.
        flash::precompute_cached_data(def);
        EXPECT_EQ(flash::get_render_handler(), handler.get());
        const platform::gfx::Image img = play(f, def, 1);
        EXPECT_TRUE(near(img.argb(kSide / 2, kSide / 2), 0xFF0000, 24));
    }
}

}  // namespace
