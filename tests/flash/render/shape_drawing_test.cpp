// Drawing mesh sets and styles through the render handler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/render/shape_drawing.h"
#include "flash/shape/path.h"

namespace {

class texture : public flash::bitmap_info {};

// Records every call as a line of text.
class recorder : public flash::render_handler {
public:
    recorder() { flash::set_render_handler(this); }
    ~recorder() override { flash::set_render_handler(nullptr); }
    flash::bitmap_info* create_bitmap_info_empty(const flash::bx_string&) override { return new texture; }
    flash::bitmap_info* create_bitmap_info_alpha(int, int, const uint8_t*, const flash::bx_string&) override { return new texture; }
    flash::bitmap_info* create_bitmap_info_rgb(flash::image::rgb*, const flash::bx_string&) override { return new texture; }
    flash::bitmap_info* create_bitmap_info_rgba(flash::image::rgba* img, const flash::bx_string&) override {
        calls.push_back("rgba " + std::to_string(img->m_width) + "x" + std::to_string(img->m_height));
        return new texture;
    }
    void set_matrix(const flash::matrix&) override { calls.push_back("matrix"); }
    void set_cxform(const flash::cxform&) override { calls.push_back("cxform"); }
    void fill_style_disable(int side) override { calls.push_back("fill off " + std::to_string(side)); }
    void fill_style_color(int, const flash::rgba& c) override { calls.push_back("fill colour " + std::to_string(c.m_r)); }
    void fill_style_bitmap(int, flash::bitmap_info*, const flash::matrix&, int wrap) override {
        calls.push_back("fill bitmap wrap " + std::to_string(wrap));
    }
    void line_style_color(flash::rgba c) override { calls.push_back("line colour " + std::to_string(c.m_g)); }
    void line_style_width(float w) override { calls.push_back("line width " + std::to_string(static_cast<int>(w))); }
    void draw_mesh_strip(const int32_t*, int n) override { calls.push_back("strip " + std::to_string(n)); }
    void draw_triangle_list(const int32_t*, int n) override { calls.push_back("list " + std::to_string(n)); }
    void draw_line_strip(const int32_t*, int n) override { calls.push_back("line strip " + std::to_string(n)); }
    std::vector<std::string> calls;
};

// A square filled with style 1 and stroked with line style 1, as paths of a shape.
class square_shape : public flash::tesselate::tesselating_shape {
public:
    square_shape() : p(1, 0, 1, 0, 0) {
        p.m_edges.push_back(flash::edge(100, 0, 100, 0));
        p.m_edges.push_back(flash::edge(100, 100, 100, 100));
        p.m_edges.push_back(flash::edge(0, 100, 0, 100));
        p.m_edges.push_back(flash::edge(0, 0, 0, 0));
    }
    void tesselate(float tolerance, flash::tesselate::trapezoid_accepter* a) const override {
        flash::tesselate::tesselate_paths(&p, 1, 1, 1, tolerance, a);
    }
    flash::path p;
};

flash::fill_style gradient(int type) {
    flash::fill_style f;
    f.m_type = type;
    f.m_gradients.push_back({0, flash::rgba(1, 2, 3)});
    f.m_gradients.push_back({255, flash::rgba(4, 5, 6)});
    return f;
}

TEST(ShapeDrawing, MeshesThenLinesInOrder) {
    recorder r;
    square_shape shape;
    flash::mesh_set set(&shape, 5.0f);
    flash::array<flash::fill_style> fills;
    fills.push_back(flash::fill_style());
    fills[0].m_color = flash::rgba(77, 0, 0);
    flash::array<flash::line_style> lines;
    lines.push_back(flash::line_style());
    lines[0].m_width = 40;
    lines[0].m_color = flash::rgba(0, 66, 0);
    flash::display_mesh_set(set, flash::matrix(), flash::cxform(), fills, lines, nullptr);
    const std::vector<std::string> want = {"matrix", "cxform", "fill colour 77", "strip 4", "line colour 66", "line width 40", "line strip 5"};
    EXPECT_EQ(r.calls, want);
}

TEST(ShapeDrawing, AStyleThatPaintsNothingDrawsNothing) {
    recorder r;
    square_shape shape;
    flash::mesh_set set(&shape, 5.0f);
    flash::fill_style no_records = gradient(flash::fill_linear_gradient);
    no_records.m_gradients.clear();  // never sampled
    flash::fill_style missing_bitmap;
    missing_bitmap.m_type = flash::fill_clipped_bitmap;
    flash::fill_style unknown;
    unknown.m_type = 0x77;
    for (const flash::fill_style& f : {gradient(flash::fill_focal_gradient), no_records, missing_bitmap, unknown}) {
        flash::array<flash::fill_style> fills;
        fills.push_back(f);
        r.calls.clear();
        flash::display_mesh_set(set, flash::matrix(), flash::cxform(), fills, flash::array<flash::line_style>(),
                                [](int) -> flash::bitmap_info* { return nullptr; });
        const std::vector<std::string> want = {"matrix", "cxform", "fill off 0"};
        EXPECT_EQ(r.calls, want) << f.m_type;
    }
}

TEST(ShapeDrawing, GradientTextureMadeOnceAndClamped) {
    recorder r;
    square_shape shape;
    flash::mesh_set set(&shape, 5.0f);
    flash::array<flash::fill_style> fills;
    fills.push_back(gradient(flash::fill_radial_gradient));
    flash::display_mesh_set(set, flash::matrix(), flash::cxform(), fills, flash::array<flash::line_style>(), nullptr);
    flash::display_mesh_set(set, flash::matrix(), flash::cxform(), fills, flash::array<flash::line_style>(), nullptr);
    const std::vector<std::string> want = {"matrix", "cxform", "rgba 64x64", "fill bitmap wrap 1", "strip 4",
                                           "matrix", "cxform", "fill bitmap wrap 1", "strip 4"};
    EXPECT_EQ(r.calls, want);
}

TEST(ShapeDrawing, BitmapFillsWrapByType) {
    recorder r;
    texture* t = new texture;
    t->add_ref();
    for (auto [type, wrap] : {std::pair{flash::fill_repeating_bitmap, 0}, {flash::fill_clipped_bitmap, 1},
                              {flash::fill_repeating_bitmap_hard, 0}, {flash::fill_clipped_bitmap_hard, 1}}) {
        flash::fill_style f;
        f.m_type = type;
        f.m_bitmap_id = 3;
        r.calls.clear();
        EXPECT_TRUE(flash::apply_fill_style(f, 0, [t](int id) -> flash::bitmap_info* { return id == 3 ? t : nullptr; }));
        EXPECT_EQ(r.calls, std::vector<std::string>{"fill bitmap wrap " + std::to_string(wrap)});
    }
    t->drop_ref();
}

TEST(ShapeDrawing, WithoutAHandlerNothingFails) {
    square_shape shape;
    flash::mesh_set set(&shape, 5.0f);
    flash::array<flash::fill_style> fills;
    fills.push_back(gradient(flash::fill_linear_gradient));
    flash::display_mesh_set(set, flash::matrix(), flash::cxform(), fills, flash::array<flash::line_style>(), nullptr);
    EXPECT_TRUE(fills[0].m_gradient_bitmap);  // a placeholder
}

}  // namespace
