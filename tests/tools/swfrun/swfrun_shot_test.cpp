// swfrun --shot: the frame's picture drawn headless by the Direct3D handler, compared with a
// golden picture; a bitmap for ".bmp" names, and a clear failure when the file cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "swfrun_support.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/golden_picture.h"
#include "tests/support/temp_dir.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/edit_text.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using swfruntest::run;
using swfruntest::write_file;

constexpr int kWidth = 80, kHeight = 60;

swf::Shape box(int w, int h, swf::FillStyle fill) {
    swf::Shape s;
    s.fills = {fill};
    s.lines = {swf::LineStyle::solid(20, {255, 255, 255, 255})};
    s.path.fill1(1).line(1).rect(0, 0, w * 20, h * 20);
    return s;
}

// Overlapping boxes (one translucent), a bitmap fill and a circle under a scale.
swf::Bytes picture_movie() {
    swf::MovieWriter m(8);
    m.frame_rect({0, kWidth * 20, 0, kHeight * 20});
    swf::Image checker = swf::Image::filled(4, 4, {255, 255, 0, 255});
    for (int i = 0; i < 4; ++i) checker.at(i, i) = {0, 0, 0, 255};
    const uint16_t bitmap = m.define_bits_lossless2(checker);
    const uint16_t red = m.define_shape(box(30, 24, swf::FillStyle::solid({220, 30, 30, 255})));
    const uint16_t blue = m.define_shape(box(30, 24, swf::FillStyle::solid({40, 80, 255, 140})));
    const uint16_t tiles = m.define_shape(box(28, 20, swf::FillStyle::bitmap(bitmap, swf::Matrix::scaling(40, 40))));
    swf::Shape circle;
    circle.fills = {swf::FillStyle::solid({0, 200, 120, 255})};
    circle.path.fill1(1).circle(0, 0, 5 * 20);
    const uint16_t round = m.define_shape(circle);
    auto place = [&](uint16_t id, uint16_t depth, swf::Matrix matrix) {
        swf::PlaceObject p = swf::PlaceObject::place(depth, id);
        p.matrix = matrix;
        m.place_object2(p);
    };
    place(red, 1, swf::Matrix::translation(4 * 20, 4 * 20));
    place(blue, 2, swf::Matrix::translation(20 * 20, 16 * 20));
    place(tiles, 3, swf::Matrix::translation(48 * 20, 4 * 20));
    place(round, 4, swf::Matrix::scaling(2, 2, 62 * 20, 44 * 20));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(SwfrunShot, WritesTheFramesPicture) {
    testsupport::TempDir dir;
    write_file("picture.swf", picture_movie());
    const swfruntest::run_result r = run("picture.swf --shot picture.png");
    ASSERT_EQ(r.status, 0) << r.err;
    platform::gfx::Image shot;
    ASSERT_TRUE(gfxtest::readPng("picture.png", shot));
    EXPECT_EQ(shot.width, kWidth);
    EXPECT_EQ(shot.height, kHeight);
    EXPECT_TRUE(gfxtest::near(shot.argb(10, 10), 0xDC1E1E));
    EXPECT_TRUE(gfxtest::matchesGolden(shot, std::string(TOV_TEST_SOURCE_DIR) + "/tests/tools/swfrun/golden/shot.png"));
}

TEST(SwfrunShot, BitmapNamesGetABitmapAndUnwritableNamesFail) {
    testsupport::TempDir dir;
    write_file("picture.swf", picture_movie());
    const swfruntest::run_result bmp = run("picture.swf --shot picture.bmp");
    ASSERT_EQ(bmp.status, 0) << bmp.err;
    EXPECT_EQ(swfruntest::read_file("picture.bmp").substr(0, 2), "BM");
    const swfruntest::run_result bad = run("picture.swf --shot no_such_folder/picture.png");
    EXPECT_EQ(bad.status, 3);
    EXPECT_NE(bad.err.find("swfrun: cannot write 'no_such_folder/picture.png'"), std::string::npos) << bad.err;
    const swfruntest::run_result missing = run("picture.swf --shot");
    EXPECT_EQ(missing.status, 2);
}

// A bordered text field over a red box: the border box is the field's background colour (white by
// default) inside a black one-pixel outline; the text itself is the game's to draw.
swf::Bytes bordered_field_movie() {
    swf::MovieWriter m(8);
    m.frame_rect({0, kWidth * 20, 0, kHeight * 20});
    const uint16_t red = m.define_shape(box(70, 50, swf::FillStyle::solid({220, 30, 30, 255})));
    swf::EditText field;
    field.bounds = {15 * 20, 65 * 20, 15 * 20, 45 * 20};
    field.border = true;
    field.initial_text = "text";
    const uint16_t text = m.define_edit_text(field);
    swf::PlaceObject under = swf::PlaceObject::place(1, red);
    under.matrix = swf::Matrix::translation(5 * 20, 5 * 20);
    m.place_object2(under);
    m.place_object2(swf::PlaceObject::place(2, text));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(SwfrunShot, ATextFieldsBorderBoxIsDrawn) {
    testsupport::TempDir dir;
    write_file("field.swf", bordered_field_movie());
    const swfruntest::run_result r = run("field.swf --shot field.png");
    ASSERT_EQ(r.status, 0) << r.err;
    platform::gfx::Image shot;
    ASSERT_TRUE(gfxtest::readPng("field.png", shot));
    EXPECT_TRUE(gfxtest::near(shot.argb(40, 30), 0xFFFFFF));  // inside the box
    EXPECT_TRUE(gfxtest::near(shot.argb(10, 30), 0xDC1E1E));  // the red box around it
    bool outlined = false;
    for (int x = 14; x <= 17; ++x) outlined = outlined || gfxtest::near(shot.argb(x, 30), 0x000000);
    EXPECT_TRUE(outlined) << "no black outline at the field's left edge";
    EXPECT_TRUE(gfxtest::matchesGolden(shot, std::string(TOV_TEST_SOURCE_DIR) + "/tests/tools/swfrun/golden/field_border.png"));
}

// A button whose up state is a one-frame clip holding a red box: the box shows on the first
// frame, before the mouse ever reaches the button.
swf::Bytes clip_button_movie() {
    swf::MovieWriter m(8);
    m.frame_rect({0, kWidth * 20, 0, kHeight * 20});
    const uint16_t red = m.define_shape(box(30, 24, swf::FillStyle::solid({220, 30, 30, 255})));
    swf::SpriteWriter clip = m.sprite();
    clip.place_object2(swf::PlaceObject::place(1, red));
    clip.show_frame();
    const uint16_t clip_id = m.define_sprite(clip);
    swf::ButtonRecord up;
    up.character_id = clip_id;
    up.states = swf::button_up | swf::button_hit_test;
    const uint16_t button = m.define_button2({false, {up}, {}, {}});
    swf::PlaceObject p = swf::PlaceObject::place(1, button);
    p.matrix = swf::Matrix::translation(4 * 20, 4 * 20);
    m.place_object2(p);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(SwfrunShot, AButtonsOneFrameClipShowsOnTheFirstFrame) {
    testsupport::TempDir dir;
    write_file("clip_button.swf", clip_button_movie());
    const swfruntest::run_result r = run("clip_button.swf --frames 1 --shot clip_button.png");
    ASSERT_EQ(r.status, 0) << r.err;
    platform::gfx::Image shot;
    ASSERT_TRUE(gfxtest::readPng("clip_button.png", shot));
    EXPECT_TRUE(gfxtest::near(shot.argb(15, 15), 0xDC1E1E));
    EXPECT_FALSE(gfxtest::near(shot.argb(60, 50), 0xDC1E1E));  // outside the box
}

}  // namespace
