// Morph shapes in movies: both tags load to a definition, and placed instances draw the shape in
// between for their own ratio through the render handler.
#include "flash/movie/morph_def.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "flash/base/log.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/runtime/character.h"
#include "movie_fixture.h"
#include "recording_render_handler.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

using movietest::movie_fixture;
using movietest::recorded_call;
using movietest::recording_render_handler;

struct extent {
    int32_t x_min = std::numeric_limits<int32_t>::max();
    int32_t x_max = std::numeric_limits<int32_t>::min();
    flash::rgba fill;
};

// What one display of the instance drew: the box of its meshes and its fill colour.
extent draw(flash::character* ch, recording_render_handler& handler) {
    handler.calls.clear();
    ch->display();
    extent e;
    for (const recorded_call& c : handler.calls) {
        if (c.name == "fill_color") e.fill = c.color;
        if (c.name != "mesh_strip") continue;
        for (size_t i = 0; i < c.coords.size(); i += 2) {
            e.x_min = std::min(e.x_min, c.coords[i]);
            e.x_max = std::max(e.x_max, c.coords[i]);
        }
    }
    return e;
}

swf::MorphShape growing_square() {
    swf::MorphShape m;
    m.fills.push_back({swf::FillStyle::solid({200, 0, 0, 255}), swf::FillStyle::solid({0, 0, 200, 255})});
    m.start.fill0(1).rect(0, 0, 1000, 1000);
    m.end.fill0(1).rect(0, 0, 3000, 1000);
    return m;
}

TEST(MorphDef, BothTagsLoadAndInstancesDrawTheirOwnRatio) {
    recording_render_handler handler;
    movie_fixture f;
    swf::MovieWriter w(8);
    const uint16_t first = w.define_morph_shape(growing_square(), swf::tag_define_morph_shape);
    const uint16_t second = w.define_morph_shape(growing_square(), swf::tag_define_morph_shape2);
    w.show_frame();
    w.end();
    flash::movie_def_impl* def = f.load("morphs.swf", w.finish_fws());
    ASSERT_NE(def, nullptr);
    for (uint16_t id : {first, second}) {
        SCOPED_TRACE(id);
        auto* morph = dynamic_cast<flash::morph_def*>(def->get_character_def(id));
        ASSERT_NE(morph, nullptr);
        flash::smart_ptr<flash::character> a(morph->create_character_instance(f.owner.get_ptr(), nullptr, 1));
        flash::smart_ptr<flash::character> b(morph->create_character_instance(f.owner.get_ptr(), nullptr, 2));
        a->set_ratio(0.0f);
        b->set_ratio(1.0f);
        // Each alternate display draws its own instance's ratio, however the shared mesh was left.
        for (int round = 0; round < 2; ++round) {
            const extent at_start = draw(a.get_ptr(), handler);
            EXPECT_EQ(at_start.x_max, 1000);
            EXPECT_EQ(at_start.fill, flash::rgba(200, 0, 0, 255));
            const extent at_end = draw(b.get_ptr(), handler);
            EXPECT_EQ(at_end.x_max, 3000);
            EXPECT_EQ(at_end.fill, flash::rgba(0, 0, 200, 255));
        }
        b->set_ratio(0.5f);
        EXPECT_EQ(draw(b.get_ptr(), handler).x_max, 2000);
        // Bounded by the shape of the ratio last displayed.
        flash::rect bound;
        b->get_bound(&bound);
        EXPECT_FLOAT_EQ(bound.m_x_max, 2000.0f);
    }
    EXPECT_EQ(f.log.errors(), "");
}

TEST(MorphDef, TheVerboseReadNamesTheLoaderAndTheId) {
    movie_fixture f;
    swf::MovieWriter w(8);
    w.define_morph_shape(growing_square(), swf::tag_define_morph_shape, 7);
    w.show_frame();
    w.end();
    const bool verbose = flash::get_verbose_parse();
    flash::set_verbose_parse(true);
    flash::movie_def_impl* def = f.load("verbose_morph.swf", w.finish_fws());
    flash::set_verbose_parse(verbose);
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(f.log.has_message("  shape_morph_loader: id = 7\n")) << f.log.messages();
}

TEST(MorphDef, AScaleOfZeroDrawsNothing) {
    recording_render_handler handler;
    movie_fixture f;
    swf::MovieWriter w(8);
    const uint16_t id = w.define_morph_shape(growing_square(), swf::tag_define_morph_shape);
    w.show_frame();
    w.end();
    flash::movie_def_impl* def = f.load("flat.swf", w.finish_fws());
    ASSERT_NE(def, nullptr);
    flash::smart_ptr<flash::character> ch(def->get_character_def(id)->create_character_instance(f.owner.get_ptr(), nullptr, 1));
    flash::matrix flat;
    flat.m_[0][0] = 0.0f;
    flat.m_[1][1] = 0.0f;
    ch->set_matrix(flat);
    ch->display();
    EXPECT_TRUE(handler.calls.empty());
}

}  // namespace
