// Golden pictures of run-time drawings and morph shapes drawn by the Direct3D handler: a filled
// triangle and a stroked curve made with drawing calls, and a morph at ratios 0, 0.5 and 1.
#include <gtest/gtest.h>

#include <string>

#include "flash/base/bx_file.h"
#include "flash/movie/canvas_def.h"
#include "flash/movie/morph_def.h"
#include "flash/movie/player.h"
#include "flash/runtime/character.h"
#include "flash/swf/swf_stream.h"
#include "tests/flash/render/d3d_handler_fixture.h"
#include "tools/swfwriter/shape.h"
#include "tools/swfwriter/tag_codes.h"

namespace {

const flash::rgba white(255, 255, 255);

class DrawingGolden : public d3dtest::D3dHandler {
protected:
    // The picture of one character drawn alone on white.
    platform::gfx::Image draw(flash::character_def* def, float ratio = 0.0f) {
        flash::smart_ptr<flash::character> ch(def->create_character_instance(owner.get_ptr(), nullptr, 1));
        ch->set_ratio(ratio);
        begin(white);
        ch->display();
        return end();
    }
    std::string movie_golden(const std::string& name) const {
        return std::string(TOV_TEST_SOURCE_DIR) + "/tests/flash/movie/golden/" + name + ".png";
    }
    // Pixels to twips, as the drawing methods take them.
    static float px(double pixels) { return flash::pixels_to_canvas_twips(pixels); }

    flash::smart_ptr<flash::player> owner{new flash::player};
};

TEST_F(DrawingGolden, CanvasTriangle) {
    flash::smart_ptr<flash::canvas_def> def(new flash::canvas_def);
    flash::canvas* c = def->get_canvas();
    c->begin_fill(flash::rgba(220, 30, 30));
    c->move_to(px(6), px(6));
    c->line_to(px(58), px(10));
    c->line_to(px(30), px(42));
    c->end_fill();
    EXPECT_TRUE(gfxtest::matchesGolden(draw(def.get_ptr()), movie_golden("canvas_triangle")));
}

TEST_F(DrawingGolden, CanvasCurve) {
    flash::smart_ptr<flash::canvas_def> def(new flash::canvas_def);
    flash::canvas* c = def->get_canvas();
    c->set_line_style(static_cast<uint16_t>(px(2)), flash::rgba(0, 0, 0));
    c->begin_fill(flash::rgba(40, 80, 220));
    c->move_to(px(4), px(44));
    c->curve_to(px(32), px(-36), px(60), px(44));
    c->end_fill();
    EXPECT_TRUE(gfxtest::matchesGolden(draw(def.get_ptr()), movie_golden("canvas_curve")));
}

// A small red square at the left that grows into a tall blue bar at the right.
flash::smart_ptr<flash::morph_def> square_to_bar() {
    swf::MorphShape m;
    m.fills.push_back({swf::FillStyle::solid({230, 20, 20, 255}), swf::FillStyle::solid({20, 20, 230, 255})});
    m.start.fill0(1).rect(4 * 20, 16 * 20, 16 * 20, 16 * 20);
    m.end.fill0(1).rect(40 * 20, 4 * 20, 20 * 20, 40 * 20);
    std::vector<uint8_t> body = swf::define_morph_shape_body(1, m, swf::tag_define_morph_shape);
    flash::bx_file file(flash::memory_buffer, static_cast<int>(body.size()), body.data());
    flash::swf_stream in(&file);
    in.set_stream_end(static_cast<int>(body.size()));
    in.read_u16();
    flash::smart_ptr<flash::morph_def> def(new flash::morph_def);
    def->read(&in, swf::tag_define_morph_shape, nullptr);
    return def;
}

TEST_F(DrawingGolden, MorphAtThreeRatios) {
    auto def = square_to_bar();
    const struct {
        float ratio;
        const char* name;
    } cases[] = {{0.0f, "morph_0"}, {0.5f, "morph_half"}, {1.0f, "morph_1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(gfxtest::matchesGolden(draw(def.get_ptr(), c.ratio), movie_golden(c.name)));
    }
}

}  // namespace
