// Shapes in movies: each DefineShape version loads to a definition with its bounds, a placed
// shape draws its meshes in its solid colour or its bitmap fill's texture through the render
// handler, point tests go through the character, and cut shape tags leave the movie usable.
#include "flash/movie/shape_def.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "flash/movie/bitmap_character.h"
#include "flash/movie/generic_character.h"
#include "flash/movie/movie_def_impl.h"
#include "movie_fixture.h"
#include "recording_render_handler.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::bytes;
using movietest::movie_fixture;
using movietest::recorded_call;
using movietest::recording_render_handler;

constexpr char next_label[] = "next";

bytes finish(swf::MovieWriter& m) {
    m.frame_label(next_label);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

flash::shape_def* shape_of(flash::movie_def_impl* def, int id) {
    return def ? dynamic_cast<flash::shape_def*>(def->get_character_def(id)) : nullptr;
}

struct version_case {
    uint16_t tag;
    swf::Rect box;  // twips
    swf::Rgba color;
    flash::rgba drawn;  // DefineShape and DefineShape2 colours are opaque
};

const version_case version_cases[] = {
    {swf::tag_define_shape, {0, 400, 0, 200}, {10, 20, 30, 40}, {10, 20, 30, 255}},
    {swf::tag_define_shape2, {-100, 300, 60, 260}, {50, 60, 70, 80}, {50, 60, 70, 255}},
    {swf::tag_define_shape3, {20, 40, 20, 4020}, {90, 100, 110, 120}, {90, 100, 110, 120}},
    {swf::tag_define_shape4, {1000, 3000, -500, 500}, {130, 140, 150, 160}, {130, 140, 150, 160}},
};

swf::Shape box_shape(const swf::Rect& r, swf::Rgba color) {
    return swf::filled_rect(r.xmin, r.ymin, r.xmax - r.xmin, r.ymax - r.ymin, color);
}

// Loads one shape of each version and checks each with its case.
template <class check_type>
void check_versions(movie_fixture& f, check_type check) {
    swf::MovieWriter m(8);
    std::vector<uint16_t> ids;
    for (const version_case& c : version_cases) ids.push_back(m.define_shape(box_shape(c.box, c.color), c.tag));
    flash::movie_def_impl* def = f.load("shapes.swf", finish(m));
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(version_cases[i].tag);
        flash::shape_def* shape = shape_of(def, ids[i]);
        ASSERT_NE(shape, nullptr);
        check(version_cases[i], shape, ids[i]);
    }
}

TEST(ShapeDef, EachTagVersionLoadsWithItsBounds) {
    movie_fixture f;
    check_versions(f, [](const version_case& c, flash::shape_def* shape, int id) {
        const flash::rect b = shape->get_bound();
        EXPECT_EQ(b.m_x_min, c.box.xmin);
        EXPECT_EQ(b.m_x_max, c.box.xmax);
        EXPECT_EQ(b.m_y_min, c.box.ymin);
        EXPECT_EQ(b.m_y_max, c.box.ymax);
        EXPECT_EQ(shape->get_id(), id);
    });
    EXPECT_EQ(f.log.errors(), "");
}

// The calls one display of a fresh instance of the shape makes.
std::vector<recorded_call> draw_once(flash::player* owner, flash::shape_def* shape,
                                     recording_render_handler& handler) {
    handler.calls.clear();
    flash::smart_ptr<flash::character> ch(shape->create_character_instance(owner, nullptr, 1));
    EXPECT_NE(dynamic_cast<flash::generic_character*>(ch.get_ptr()), nullptr);
    if (ch) ch->display();
    return handler.calls;
}

int count_calls(const std::vector<recorded_call>& calls, const std::string& name) {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const recorded_call& c) { return c.name == name; }));
}

TEST(ShapeDef, ADisplayedShapeDrawsItsMeshesInItsColour) {
    recording_render_handler handler;
    movie_fixture f;
    check_versions(f, [&](const version_case& c, flash::shape_def* shape, int) {
        const std::vector<recorded_call> calls = draw_once(f.owner.get_ptr(), shape, handler);
        ASSERT_GE(calls.size(), 4u) << handler.call_names();
        EXPECT_EQ(calls[0].name, "matrix");
        EXPECT_EQ(calls[1].name, "cxform");
        EXPECT_EQ(calls[2].name, "fill_color");
        EXPECT_EQ(calls[2].color.m_r, c.drawn.m_r);
        EXPECT_EQ(calls[2].color.m_g, c.drawn.m_g);
        EXPECT_EQ(calls[2].color.m_b, c.drawn.m_b);
        EXPECT_EQ(calls[2].color.m_a, c.drawn.m_a);
        // The meshes cover exactly the rectangle's corners.
        int32_t x_min = std::numeric_limits<int32_t>::max(), x_max = std::numeric_limits<int32_t>::min();
        int32_t y_min = x_min, y_max = x_max;
        int drawn = 0;
        for (const recorded_call& call : calls) {
            if (call.name != "mesh_strip" && call.name != "triangle_list") continue;
            drawn += call.vertices;
            for (size_t i = 0; i + 1 < call.coords.size(); i += 2) {
                x_min = std::min(x_min, call.coords[i]);
                x_max = std::max(x_max, call.coords[i]);
                y_min = std::min(y_min, call.coords[i + 1]);
                y_max = std::max(y_max, call.coords[i + 1]);
            }
        }
        EXPECT_GE(drawn, 3);
        EXPECT_EQ(x_min, c.box.xmin);
        EXPECT_EQ(x_max, c.box.xmax);
        EXPECT_EQ(y_min, c.box.ymin);
        EXPECT_EQ(y_max, c.box.ymax);
        EXPECT_EQ(count_calls(calls, "fill_bitmap"), 0);
    });
}

TEST(ShapeDef, BitmapFillsDrawTheMoviesBitmapAndAMissingOneNothing) {
    recording_render_handler handler;
    movie_fixture f;
    swf::MovieWriter m(8);
    const uint16_t first = m.define_bits_lossless2(swf::Image::filled(4, 4, {255, 0, 0, 255}));
    const uint16_t second = m.define_bits_lossless2(swf::Image::filled(2, 8, {0, 0, 255, 255}));
    struct fill_case {
        int bitmap_id;
        bool drawn;
    };
    const fill_case cases[] = {{first, true}, {second, true}, {999, false}};
    std::vector<uint16_t> shapes;
    for (const fill_case& c : cases) {
        swf::Shape s = box_shape({0, 800, 0, 800}, {});
        s.fills = {swf::FillStyle::bitmap(static_cast<uint16_t>(c.bitmap_id), swf::Matrix::scaling(20, 20))};
        shapes.push_back(m.define_shape(s, swf::tag_define_shape3));
    }
    flash::movie_def_impl* def = f.load("bitmap_fills.swf", finish(m));
    ASSERT_NE(def, nullptr);
    for (size_t i = 0; i < shapes.size(); ++i) {
        SCOPED_TRACE(cases[i].bitmap_id);
        flash::shape_def* shape = shape_of(def, shapes[i]);
        ASSERT_NE(shape, nullptr);
        const std::vector<recorded_call> calls = draw_once(f.owner.get_ptr(), shape, handler);
        if (cases[i].drawn) {
            flash::bitmap_character* bc = def->get_bitmap_character_def(cases[i].bitmap_id);
            ASSERT_NE(bc, nullptr);
            ASSERT_EQ(count_calls(calls, "fill_bitmap"), 1) << handler.call_names();
            const auto it = std::find_if(calls.begin(), calls.end(),
                                         [](const recorded_call& c) { return c.name == "fill_bitmap"; });
            EXPECT_EQ(it->bitmap, bc->get_bitmap_info());
            EXPECT_GT(count_calls(calls, "mesh_strip") + count_calls(calls, "triangle_list"), 0);
        } else {
            EXPECT_EQ(count_calls(calls, "fill_bitmap"), 0) << handler.call_names();
            EXPECT_EQ(count_calls(calls, "mesh_strip") + count_calls(calls, "triangle_list"), 0)
                << handler.call_names();
        }
    }
}

TEST(ShapeDef, TheBitmapTextureIsTheLastFillsDeviceTexture) {
    movie_fixture f;
    for (bool device : {true, false}) {
        SCOPED_TRACE(device);
        recording_render_handler handler;
        handler.device_textures = device;
        swf::MovieWriter m(8);
        const uint16_t first = m.define_bits_lossless2(swf::Image::filled(4, 4, {255, 0, 0, 255}));
        const uint16_t second = m.define_bits_lossless2(swf::Image::filled(2, 8, {0, 0, 255, 255}));
        const swf::FillStyle solid = swf::FillStyle::solid({1, 2, 3, 255});
        const swf::Matrix place = swf::Matrix::scaling(20, 20);
        const struct {
            std::vector<swf::FillStyle> fills;
            int texture;  // the bitmap id whose texture is answered; 0 for none
        } cases[] = {
            {{solid, swf::FillStyle::bitmap(first, place)}, first},
            {{swf::FillStyle::bitmap(first, place), swf::FillStyle::bitmap(second, place)}, second},
            {{swf::FillStyle::bitmap(first, place), solid}, 0},
            {{swf::FillStyle::bitmap(999, place)}, 0},
            {{}, 0},
        };
        std::vector<uint16_t> shapes;
        for (const auto& c : cases) {
            swf::Shape s = box_shape({0, 800, 0, 800}, {});
            s.fills = c.fills;
            if (c.fills.empty()) s.path = swf::ShapePath().rect(0, 0, 800, 800);
            shapes.push_back(m.define_shape(s, swf::tag_define_shape3));
        }
        flash::movie_def_impl* def = f.load(device ? "textures.swf" : "no_textures.swf", finish(m));
        ASSERT_NE(def, nullptr);
        for (size_t i = 0; i < shapes.size(); ++i) {
            SCOPED_TRACE(i);
            flash::shape_def* shape = shape_of(def, shapes[i]);
            ASSERT_NE(shape, nullptr);
            flash::bitmap_info* expected = nullptr;
            if (device && cases[i].texture) expected = def->get_bitmap_character_def(cases[i].texture)->get_bitmap_info();
            EXPECT_EQ(shape->get_bitmap_texture(), expected);
        }
    }
}

TEST(ShapeDef, PointTestGoesThroughTheCharacterAndItsMatrix) {
    movie_fixture f;
    swf::MovieWriter m(8);
    // A triangle: its bound holds points the exact test calls outside.
    swf::Shape s;
    s.fills = {swf::FillStyle::solid({1, 2, 3, 255})};
    s.path.fill1(1).polygon({{0, 0}, {2000, 0}, {0, 2000}});
    const uint16_t id = m.define_shape(s, swf::tag_define_shape3);
    flash::movie_def_impl* def = f.load("point.swf", finish(m));
    flash::shape_def* shape = shape_of(def, id);
    ASSERT_NE(shape, nullptr);
    flash::smart_ptr<flash::character> ch(shape->create_character_instance(f.owner.get_ptr(), nullptr, 1));
    ASSERT_NE(ch.get_ptr(), nullptr);
    flash::matrix moved;
    moved.set_identity();
    moved.m_[0][2] = 1000.0f;  // 50 pixels right
    ch->set_matrix(moved);
    struct point_case {
        float x, y;
        bool hit;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const point_case cases[] = {
        {1100.0f, 100.0f, true},  {1900.0f, 50.0f, true},   {2900.0f, 10.0f, true},
        {100.0f, 100.0f, false},  {2500.0f, 1500.0f, false}, {2900.0f, 1900.0f, false},
        {1100.0f, -10.0f, false}, {nan, 100.0f, false},
    };
    for (const point_case& c : cases) {
        EXPECT_EQ(ch->get_topmost_mouse_entity(c.x, c.y) == ch.get_ptr(), c.hit) << c.x << "," << c.y;
        EXPECT_EQ(shape->point_test_local(c.x - 1000.0f, c.y), c.hit) << c.x << "," << c.y;
    }
    flash::rect b;
    ch->get_bound(&b);
    EXPECT_EQ(b.m_x_min, 1000.0f);
    EXPECT_EQ(b.m_x_max, 3000.0f);
}

TEST(ShapeDef, DrawsUnderTheInstancesWorldMatrixAndColourTransform) {
    recording_render_handler handler;
    movie_fixture f;
    swf::MovieWriter m(8);
    const uint16_t id = m.define_shape(swf::filled_rect(0, 0, 400, 400, {1, 2, 3, 255}), swf::tag_define_shape3);
    flash::shape_def* shape = shape_of(f.load("world.swf", finish(m)), id);
    ASSERT_NE(shape, nullptr);
    flash::smart_ptr<flash::character> parent(new flash::character(f.owner.get_ptr()));
    flash::matrix moved;
    moved.m_[0][2] = 1000.0f;
    parent->set_matrix(moved);
    flash::cxform half;
    half.m_[0][0] = 0.5f;
    parent->set_cxform(half);
    flash::smart_ptr<flash::character> ch(shape->create_character_instance(f.owner.get_ptr(), parent.get_ptr(), 1));
    ASSERT_NE(ch.get_ptr(), nullptr);
    flash::matrix doubled;
    doubled.m_[0][0] = 2.0f;
    ch->set_matrix(doubled);
    ch->display();
    ASSERT_GT(count_calls(handler.calls, "mesh_strip") + count_calls(handler.calls, "triangle_list"), 0);
    EXPECT_EQ(handler.last_matrix.m_[0][0], 2.0f);
    EXPECT_EQ(handler.last_matrix.m_[0][2], 1000.0f);
    EXPECT_EQ(handler.last_cxform.m_[0][0], 0.5f);
}

TEST(ShapeDef, CutShapeTagsLogAndTheNextTagIsRead) {
    const swf::Shape s = swf::filled_rect(0, 0, 400, 400, {9, 9, 9, 255});
    const bytes whole = swf::define_shape_body(1, s, swf::tag_define_shape4);
    // Within the id, the bounds, the styles and the records.
    const size_t cuts[] = {0, 1, 3, 9, 14, 20, whole.size() / 2, whole.size() - 3};
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        recording_render_handler handler;
        movie_fixture f;
        swf::MovieWriter m(8);
        m.tag(swf::tag_define_shape4, bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
        flash::movie_def_impl* def = f.load("cut.swf", finish(m));
        ASSERT_NE(def, nullptr);
        int frame = -1;
        EXPECT_TRUE(def->get_labeled_frame(next_label, &frame));
        EXPECT_NE(f.log.errors(), "");
        // Without a whole id nothing is stored.
        EXPECT_EQ(shape_of(def, 0), nullptr);
        flash::shape_def* shape = shape_of(def, 1);
        EXPECT_EQ(shape != nullptr, cut >= 2);
        if (shape) {
            draw_once(f.owner.get_ptr(), shape, handler);
            shape->point_test_local(100.0f, 100.0f);
        }
    }
}

}  // namespace
