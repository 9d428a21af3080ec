// The bitmap character: its rectangle's point test and bounds in twips, a missing bitmap as
// 0 x 0, and the texture statistics it logs when the player asks for them.
#include "flash/movie/bitmap_character.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flash/movie/player.h"
#include "flash/movie/sprite_definition.h"
#include "recording_render_handler.h"
#include "tests/support/engine_log.h"

namespace {

using movietest::recording_bitmap;

TEST(BitmapCharacter, PointTestCoversTheBitmapRectangleInTwips) {
    flash::smart_ptr<flash::bitmap_character> ch(
        new flash::bitmap_character(nullptr, new recording_bitmap(10, 10)));
    struct point_case {
        float x, y;
        bool inside;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const point_case cases[] = {
        {0.0f, 0.0f, true},    {200.0f, 200.0f, true}, {100.0f, 57.5f, true}, {200.5f, 0.0f, false},
        {0.0f, 200.5f, false}, {-0.1f, 5.0f, false},   {5.0f, -0.1f, false},  {-50.0f, -50.0f, false},
        {nan, 5.0f, false},    {5.0f, nan, false},
    };
    for (const point_case& c : cases)
        EXPECT_EQ(ch->point_test_local(c.x, c.y), c.inside) << c.x << "," << c.y;
    const flash::rect bound = ch->get_bound();
    EXPECT_EQ(bound.m_x_min, 0.0f);
    EXPECT_EQ(bound.m_y_min, 0.0f);
    EXPECT_EQ(bound.m_x_max, 200.0f);
    EXPECT_EQ(bound.m_y_max, 200.0f);
}

TEST(BitmapCharacter, AMissingBitmapIsZeroByZero) {
    flash::smart_ptr<flash::bitmap_character> ch(new flash::bitmap_character(nullptr, nullptr));
    EXPECT_EQ(ch->get_width(), 0);
    EXPECT_EQ(ch->get_height(), 0);
    EXPECT_TRUE(ch->point_test_local(0.0f, 0.0f));  // the degenerate rectangle's one point
    EXPECT_FALSE(ch->point_test_local(0.1f, 0.0f));
    EXPECT_EQ(ch->get_bound().m_x_max, 0.0f);
}

TEST(BitmapCharacter, TextureSidesArePowersOfTwoHalvedWhenMostlyEmpty) {
    struct side_case {
        int side, texture;
    };
    // 300 / 512 is below 0.6, so 300 counts as 256; 400 / 512 is not.
    const side_case cases[] = {{0, 0},     {1, 1},     {2, 2},       {3, 4},        {5, 8},
                               {9, 8},     {300, 256}, {307, 256},   {308, 512},    {400, 512},
                               {512, 512}, {513, 512}, {1024, 1024}, {65535, 65536}};
    for (const side_case& c : cases) EXPECT_EQ(flash::texture_side_for(c.side), c.texture) << c.side;
}

TEST(BitmapCharacter, LogsTextureStatisticsWhenThePlayerAsksForThem) {
    testsupport::engine_log log;
    flash::smart_ptr<flash::player> owner(new flash::player);
    flash::smart_ptr<flash::sprite_definition> def(new flash::sprite_definition(nullptr));
    flash::smart_ptr<flash::bitmap_character> quiet(
        new flash::bitmap_character(def.get_ptr(), new recording_bitmap(300, 400)));
    EXPECT_EQ(log.messages(), "");
    // A sprite without an owner has no player; the statistics need a movie of this player.
    struct owned : flash::sprite_definition {
        explicit owned(flash::player* p) : flash::sprite_definition(nullptr), m_player(p) {}
        flash::player* get_player() const override { return m_player; }
        flash::player* m_player;
    };
    flash::smart_ptr<owned> movie(new owned(owner.get_ptr()));
    flash::smart_ptr<flash::bitmap_character> off(
        new flash::bitmap_character(movie.get_ptr(), new recording_bitmap(8, 8)));
    EXPECT_EQ(log.messages(), "");
    owner->set_bitmap_statistics(true);
    flash::smart_ptr<flash::bitmap_character> a(
        new flash::bitmap_character(movie.get_ptr(), new recording_bitmap(300, 400)));
    flash::smart_ptr<flash::bitmap_character> b(
        new flash::bitmap_character(movie.get_ptr(), new recording_bitmap(1024, 768)));
    EXPECT_EQ(log.messages(),
              "bitmap #0001: w=300, h=400, p2w=256, p2h=512, mem=128K, total=128K\n"
              "bitmap #0001: w=1024, h=768, p2w=1024, p2h=1024, mem=1024K, total=1152K\n");
    movie = nullptr;
    owner = nullptr;
}

}  // namespace
