// The bitmap tag loaders through whole movies: lossless formats, JPEG tags with and without
// shared tables, JPEG3 alpha, the render handler's view (kind, size, owner name), placeholders
// without a handler, the no-bitmaps flag, and malformed bitmap tags that each give an empty
// bitmap while the next tag is still read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "flash/base/bx_file.h"
#include "flash/movie/bitmap_character.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/tag_loaders.h"
#include "movie_fixture.h"
#include "recording_render_handler.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::bytes;
using movietest::movie_fixture;
using movietest::recorded_bitmap;
using movietest::recording_render_handler;

constexpr char movie_name[] = "bitmaps.swf";
constexpr char next_label[] = "next";
constexpr int jpeg_quality = 95;
constexpr int jpeg_tolerance = 6;
constexpr int block = 16;

// Ends a movie with the tag that must still be read after the bitmaps, a frame and End.
bytes finish(swf::MovieWriter& m) {
    m.frame_label(next_label);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

std::vector<uint8_t> rgba_bytes(const swf::Image& img) {
    std::vector<uint8_t> out;
    for (const swf::Rgba& p : img.pixels) out.insert(out.end(), {p.r, p.g, p.b, p.a});
    return out;
}

// Four flat 16 x 16 blocks (one JPEG colour unit each); alpha differs per block.
swf::Image four_blocks() {
    const swf::Rgba colors[] = {
        {200, 30, 40, 255}, {20, 180, 60, 128}, {30, 40, 220, 0}, {240, 240, 240, 77}};
    swf::Image img = swf::Image::filled(2 * block, 2 * block, {});
    for (int y = 0; y < 2 * block; ++y) {
        for (int x = 0; x < 2 * block; ++x) img.at(x, y) = colors[(y / block) * 2 + x / block];
    }
    return img;
}

// Colours of the block interiors within the JPEG tolerance; alpha exactly, or 255 when opaque.
void expect_blocks(const recorded_bitmap& got, const swf::Image& want, bool with_alpha) {
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    constexpr int edge = 2;  // chroma blends across block borders
    for (int y = 0; y < want.height; ++y) {
        for (int x = 0; x < want.width; ++x) {
            const uint8_t* p = &got.pixels[static_cast<size_t>(y * want.width + x) * 4];
            const swf::Rgba& w = want.at(x, y);
            ASSERT_EQ(p[3], with_alpha ? w.a : 255) << x << "," << y;
            if (std::abs(x % block - block / 2) > block / 2 - edge ||
                std::abs(y % block - block / 2) > block / 2 - edge)
                continue;
            ASSERT_LE(std::abs(p[0] - w.r), jpeg_tolerance) << x << "," << y;
            ASSERT_LE(std::abs(p[1] - w.g), jpeg_tolerance) << x << "," << y;
            ASSERT_LE(std::abs(p[2] - w.b), jpeg_tolerance) << x << "," << y;
        }
    }
}

flash::bitmap_character* bitmap(flash::movie_def_impl* def, int id) {
    return def->get_bitmap_character_def(id);
}

TEST(BitmapLoaders, LosslessFormatsDecodeToTheirPixels) {
    // Width 5 needs padded index rows; 15-bit colours lose their low three bits (0x7C00 is 248, 0, 0).
    swf::Image palette = swf::Image::filled(5, 3, {10, 20, 30, 255});
    palette.at(1, 0) = {250, 0, 5, 255};
    palette.at(4, 2) = {0, 99, 200, 255};
    swf::Image rgb15 = swf::Image::filled(3, 2, {255, 0, 0, 255});
    rgb15.at(1, 0) = {0, 255, 0, 255};
    rgb15.at(2, 1) = {8, 16, 24, 255};
    const std::vector<uint8_t> rgb15_want = {248, 0, 0, 255, 0,   248, 0, 255, 248, 0,  0,  255,
                                             248, 0, 0, 255, 248, 0,   0, 255, 8,   16, 24, 255};
    swf::Image alpha_palette = swf::Image::filled(3, 3, {40, 40, 40, 40});
    alpha_palette.at(2, 2) = {255, 0, 0, 128};
    // Lossless2 32-bit pixels are stored premultiplied and handed on as stored: 80 FF 00 00 is
    // r 255, g 0, b 0, a 128.
    swf::Image argb = swf::Image::filled(2, 2, {255, 0, 0, 128});
    argb.at(1, 1) = {1, 2, 3, 4};
    struct lossless_case {
        const char* name;
        bool with_alpha;
        uint8_t format;
        swf::Image image;
        std::vector<uint8_t> want;
        const char* kind;
    };
    std::vector<uint8_t> argb_opaque = rgba_bytes(argb);
    for (size_t i = 3; i < argb_opaque.size(); i += 4) argb_opaque[i] = 255;
    const lossless_case cases[] = {
        {"format 3, width 5", false, swf::lossless_colormapped, palette, rgba_bytes(palette), "rgb"},
        {"format 4", false, swf::lossless_rgb15, rgb15, rgb15_want, "rgb"},
        {"format 5 opaque", false, swf::lossless_argb, argb, argb_opaque, "rgb"},
        {"Lossless2 format 3 with alpha", true, swf::lossless_colormapped, alpha_palette,
         rgba_bytes(alpha_palette), "rgba"},
        {"Lossless2 format 4", true, swf::lossless_rgb15, rgb15, rgb15_want, "rgba"},
        {"Lossless2 format 5 premultiplied", true, swf::lossless_argb, argb, rgba_bytes(argb), "rgba"},
    };
    for (const lossless_case& c : cases) {
        SCOPED_TRACE(c.name);
        movie_fixture f;
        recording_render_handler handler;
        swf::MovieWriter m(8);
        const uint16_t id = c.with_alpha ? m.define_bits_lossless2(c.image, c.format)
                                         : m.define_bits_lossless(c.image, c.format);
        flash::movie_def_impl* def = f.load(movie_name, finish(m));
        ASSERT_EQ(handler.made.size(), 1u);
        EXPECT_EQ(handler.made[0].kind, c.kind);
        EXPECT_EQ(handler.made[0].owner, movie_name);
        EXPECT_EQ(handler.made[0].pixels, c.want);
        ASSERT_NE(bitmap(def, id), nullptr);
        EXPECT_EQ(bitmap(def, id)->get_width(), c.image.width);
        EXPECT_EQ(bitmap(def, id)->get_height(), c.image.height);
        EXPECT_EQ(def->get_bitmap_info_count(), 1);
        EXPECT_TRUE(def->get_labeled_frame(next_label, nullptr));
        EXPECT_EQ(f.log.errors(), "");
    }
}

TEST(BitmapLoaders, JpegTagsDecodeToTheWritersFlatBlocks) {
    const swf::Image img = four_blocks();
    const bytes jpeg = swf::encode_jpeg(img, jpeg_quality);
    const swf::JpegPair pair = swf::encode_jpeg_pair(img, jpeg_quality);
    movie_fixture f;
    recording_render_handler handler;
    swf::MovieWriter m(8);
    const uint16_t prefixed = m.define_bits_jpeg2([&] {
        bytes b = swf::jpeg_erroneous_header;
        b.insert(b.end(), jpeg.begin(), jpeg.end());
        return b;
    }());
    m.jpeg_tables(pair.tables);
    const uint16_t shared1 = m.define_bits(pair.image);
    const uint16_t shared2 = m.define_bits(pair.image);
    const uint16_t with_alpha = m.define_bits_jpeg3(img, jpeg_quality);
    m.jpeg_tables({});
    const uint16_t after_empty_tables = m.define_bits(jpeg);
    flash::movie_def_impl* def = f.load(movie_name, finish(m));
    EXPECT_EQ(f.log.errors(), "");
    ASSERT_EQ(handler.made.size(), 5u);
    const char* kinds[] = {"rgb", "rgb", "rgb", "rgba", "rgb"};
    for (size_t i = 0; i < handler.made.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(handler.made[i].kind, kinds[i]);
        EXPECT_EQ(handler.made[i].owner, movie_name);
        expect_blocks(handler.made[i], img, handler.made[i].kind == "rgba");
    }
    for (uint16_t id : {prefixed, shared1, shared2, with_alpha, after_empty_tables}) {
        ASSERT_NE(bitmap(def, id), nullptr) << id;
        EXPECT_EQ(bitmap(def, id)->get_width(), img.width);
    }
    EXPECT_EQ(def->get_jpeg_loader(), nullptr);  // dropped once the movie is read
    EXPECT_TRUE(def->get_labeled_frame(next_label, nullptr));
}

// Every bitmap kind in one movie.
bytes every_bitmap_kind() {
    const swf::Image img = four_blocks();
    const swf::JpegPair pair = swf::encode_jpeg_pair(img, jpeg_quality);
    swf::MovieWriter m(8);
    m.define_bits_lossless(img, swf::lossless_rgb15, 1);
    m.define_bits_lossless2(img, swf::lossless_argb, 2);
    m.define_bits_jpeg2(swf::encode_jpeg(img, jpeg_quality), 3);
    m.jpeg_tables(pair.tables);
    m.define_bits(pair.image, 4);
    m.define_bits_jpeg3(img, jpeg_quality, 5);
    return finish(m);
}

TEST(BitmapLoaders, WithoutAHandlerEveryBitmapIsAPlaceholderOfNoSize) {
    movie_fixture f;
    ASSERT_EQ(flash::get_render_handler(), nullptr);
    flash::movie_def_impl* def = f.load(movie_name, every_bitmap_kind());
    for (int id = 1; id <= 5; ++id) {
        flash::bitmap_character* ch = bitmap(def, id);
        ASSERT_NE(ch, nullptr) << id;
        EXPECT_NE(dynamic_cast<flash::render::bogus_bi*>(ch->get_bitmap_info()), nullptr) << id;
        EXPECT_EQ(ch->get_width(), 0);
        EXPECT_EQ(ch->get_height(), 0);
        EXPECT_FALSE(ch->point_test_local(1.0f, 1.0f));
    }
    EXPECT_TRUE(def->get_labeled_frame(next_label, nullptr));
    EXPECT_EQ(f.log.errors(), "");
}

TEST(BitmapLoaders, TheNoBitmapsFlagSkipsThePixelsAndReadsOn) {
    testsupport::engine_log log;
    recording_render_handler handler;
    flash::smart_ptr<flash::player> owner(new flash::player);
    bytes data = every_bitmap_kind();
    flash::register_tag_loaders();
    flash::smart_ptr<flash::movie_def_impl> def(new flash::movie_def_impl(owner.get_ptr(), true));
    flash::bx_file* file =
        new flash::bx_file(flash::memory_buffer, static_cast<int>(data.size()), data.data());
    file->set_name(movie_name);
    ASSERT_TRUE(def->read(file));
    ASSERT_EQ(handler.made.size(), 5u);
    for (const recorded_bitmap& b : handler.made) {
        EXPECT_EQ(b.kind, "empty");
        EXPECT_EQ(b.owner, movie_name);
    }
    for (int id = 1; id <= 5; ++id) ASSERT_NE(bitmap(def.get_ptr(), id), nullptr) << id;
    EXPECT_TRUE(def->get_labeled_frame(next_label, nullptr));
    EXPECT_EQ(log.errors(), "");
    def = nullptr;
    owner = nullptr;
}

// A lossless body with its width and height fields replaced.
bytes resized(bytes body, uint16_t width, uint16_t height) {
    constexpr size_t width_at = 3;
    body[width_at] = static_cast<uint8_t>(width);
    body[width_at + 1] = static_cast<uint8_t>(width >> 8);
    body[width_at + 2] = static_cast<uint8_t>(height);
    body[width_at + 3] = static_cast<uint8_t>(height >> 8);
    return body;
}

TEST(BitmapLoaders, MalformedBitmapTagsGiveEmptyBitmapsAndTheNextTagIsRead) {
    const swf::Image img = four_blocks();
    const swf::Image small = swf::Image::filled(4, 4, {1, 2, 3, 255});
    const bytes good = swf::define_bits_lossless_body(1, small, swf::lossless_argb, true);
    bytes corrupt = good;
    corrupt[good.size() / 2] ^= 0xFF;
    corrupt[good.size() / 2 + 1] ^= 0xA5;
    // Indices past a two-colour palette.
    swf::Image two = swf::Image::filled(4, 1, {9, 9, 9, 255});
    two.at(0, 0) = {7, 7, 7, 255};
    bytes palette_data = swf::lossless_pixel_data(two, swf::lossless_colormapped, false);
    palette_data[6 + 2] = 5;
    bytes bad_index = {1, 0, swf::lossless_colormapped, 4, 0, 1, 0, 1};
    const bytes packed_indices = swf::deflate_bytes(palette_data);
    bad_index.insert(bad_index.end(), packed_indices.begin(), packed_indices.end());
    bytes unknown = good;
    unknown[2] = 7;
    bytes png = {1, 0, 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
    bytes garbage = {1, 0};
    garbage.insert(garbage.end(), 200, 0x42);
    struct malformed_case {
        const char* name;
        uint16_t code;
        bytes body;
        const char* error;
    };
    const malformed_case cases[] = {
        {"corrupt zlib", swf::tag_define_bits_lossless2, corrupt, "inflate() returned"},
        {"too much output", swf::tag_define_bits_lossless2, resized(good, 2, 4), "more than the 32 bytes"},
        {"too little output", swf::tag_define_bits_lossless2, resized(good, 8, 4),
         "gives 64 bytes, 128 expected"},
        {"65535 x 65535", swf::tag_define_bits_lossless2, resized(good, 65535, 65535), "over the limit"},
        {"zero width", swf::tag_define_bits_lossless, resized(good, 0, 4), "has no pixels"},
        {"unknown format", swf::tag_define_bits_lossless2, unknown, "unknown format 7"},
        {"JPEG garbage", swf::tag_define_bits_jpeg2, garbage, "internal error in jpeglib"},
        {"PNG in JPEG2", swf::tag_define_bits_jpeg2, png, "PNG data"},
        {"empty DefineBits", swf::tag_define_bits, {1, 0}, "empty jpeg source stream."},
        {"JPEG3 without JPEG data",
         swf::tag_define_bits_jpeg3,
         {1, 0, 0, 0, 0, 0},
         "empty jpeg source stream."},
    };
    for (const malformed_case& c : cases) {
        SCOPED_TRACE(c.name);
        movie_fixture f;
        recording_render_handler handler;
        swf::MovieWriter m(8);
        m.tag(c.code, c.body);
        m.define_bits_lossless2(small, swf::lossless_argb, 2);
        flash::movie_def_impl* def = f.load(movie_name, finish(m));
        EXPECT_TRUE(f.log.has_error(c.error)) << f.log.errors();
        ASSERT_EQ(handler.made.size(), 2u);
        EXPECT_EQ(handler.made[0].kind, "empty");
        ASSERT_NE(bitmap(def, 1), nullptr);
        EXPECT_EQ(bitmap(def, 1)->get_width(), 0);
        EXPECT_EQ(handler.made[1].kind, "rgba");
        EXPECT_EQ(handler.made[1].pixels, rgba_bytes(small));
        EXPECT_TRUE(def->get_labeled_frame(next_label, nullptr));
    }

    {
        SCOPED_TRACE("palette index out of range reads colour 0");
        movie_fixture f;
        recording_render_handler handler;
        swf::MovieWriter m(8);
        m.tag(swf::tag_define_bits_lossless, bad_index);
        flash::movie_def_impl* def = f.load(movie_name, finish(m));
        EXPECT_TRUE(f.log.has_error("1 palette indices past the 2 colours")) << f.log.errors();
        ASSERT_EQ(handler.made.size(), 1u);
        EXPECT_EQ(handler.made[0].pixels,
                  (std::vector<uint8_t>{7, 7, 7, 255, 9, 9, 9, 255, 7, 7, 7, 255, 9, 9, 9, 255}));
        EXPECT_TRUE(def->get_labeled_frame(next_label, nullptr));
    }
    {
        SCOPED_TRACE("JPEG3 alpha offset past the tag: clamped, alpha 255");
        movie_fixture f;
        recording_render_handler handler;
        bytes body = swf::define_bits_jpeg3_body(1, swf::encode_jpeg(img, jpeg_quality), {});
        body[2] = 0xFF;
        body[3] = 0xFF;
        body[4] = 0xFF;
        body[5] = 0x7F;
        swf::MovieWriter m(8);
        m.tag(swf::tag_define_bits_jpeg3, body);
        flash::movie_def_impl* def = f.load(movie_name, finish(m));
        EXPECT_TRUE(f.log.has_error("runs past the tag end")) << f.log.errors();
        ASSERT_EQ(handler.made.size(), 1u);
        EXPECT_EQ(handler.made[0].kind, "rgba");
        expect_blocks(handler.made[0], img, false);
        EXPECT_TRUE(def->get_labeled_frame(next_label, nullptr));
    }
}

}  // namespace
