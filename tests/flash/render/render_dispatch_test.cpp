// The render namespace's forwarding: nothing happens without a handler (with the two queries'
// fixed answers), and every call reaches an installed handler with its arguments.
#include "flash/render/render_dispatch.h"
#include "flash/render/bitmap_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class journal : public flash::render_handler {
public:
    flash::bitmap_info* create_bitmap_info_empty(const flash::bx_string&) override { return nullptr; }
    flash::bitmap_info* create_bitmap_info_alpha(int, int, const uint8_t*, const flash::bx_string&) override {
        return nullptr;
    }
    flash::bitmap_info* create_bitmap_info_rgb(flash::image::rgb*, const flash::bx_string&) override { return nullptr; }
    flash::bitmap_info* create_bitmap_info_rgba(flash::image::rgba*, const flash::bx_string&) override {
        return nullptr;
    }
    void begin_display(flash::rgba bg, int x, int y, int w, int h, float, float x1, float, float) override {
        add("begin " + std::to_string(bg.m_a) + " " + std::to_string(x + y + w + h) + " " +
            std::to_string(static_cast<int>(x1)));
    }
    void end_display() override { add("end"); }
    void set_matrix(const flash::matrix&) override { add("matrix"); }
    void set_cxform(const flash::cxform&) override { add("cxform"); }
    void draw_mesh_strip(const int32_t*, int n) override { add("strip " + std::to_string(n)); }
    void draw_triangle_list(const int32_t*, int n) override { add("list " + std::to_string(n)); }
    void draw_line_strip(const int32_t*, int n) override { add("lines " + std::to_string(n)); }
    void fill_style_disable(int side) override { add("fill_disable " + std::to_string(side)); }
    void fill_style_color(int side, const flash::rgba&) override { add("fill_color " + std::to_string(side)); }
    void fill_style_bitmap(int side, flash::bitmap_info*, const flash::matrix&, int wrap) override {
        add("fill_bitmap " + std::to_string(side) + " " + std::to_string(wrap));
    }
    void line_style_disable() override { add("line_disable"); }
    void line_style_color(flash::rgba) override { add("line_color"); }
    void line_style_width(float w) override { add("line_width " + std::to_string(static_cast<int>(w))); }
    void draw_bitmap(const flash::matrix&, flash::bitmap_info*, const flash::rect&, const flash::rect&,
                     flash::rgba) override {
        add("bitmap");
    }
    bool reserved_query(uint32_t a, uint32_t b) override { return a == b; }
    void begin_submit_mask() override { add("begin_mask"); }
    void end_submit_mask() override { add("end_mask"); }
    void disable_mask() override { add("disable_mask"); }
    void set_cursor(int c) override { add("cursor " + std::to_string(c)); }
    bool is_visible(const flash::rect& r) override { return r.m_x_min > 0; }
    void set_resize_textures(bool on) override { add(on ? "resize on" : "resize off"); }

    std::vector<std::string> calls;

private:
    void add(const std::string& c) { calls.push_back(c); }
};

void call_everything() {
    namespace r = flash::render;
    const int32_t coords[6] = {};
    r::begin_display(flash::rgba(1, 2, 3, 4), 1, 2, 3, 4, 0.0f, 20.0f, 0.0f, 0.0f);
    r::set_matrix(flash::matrix());
    r::set_cxform(flash::cxform());
    r::fill_style_disable(1);
    r::fill_style_color(0, flash::rgba());
    r::fill_style_bitmap(1, nullptr, flash::matrix(), 1);
    r::line_style_disable();
    r::line_style_color(flash::rgba());
    r::line_style_width(40.0f);
    r::draw_mesh_strip(coords, 3);
    r::draw_triangle_list(coords, 3);
    r::draw_line_strip(coords, 2);
    r::draw_bitmap(flash::matrix(), nullptr, flash::rect(), flash::rect(), flash::rgba());
    r::begin_submit_mask();
    r::end_submit_mask();
    r::disable_mask();
    r::set_cursor(1);
    r::set_resize_textures(true);
    r::end_display();
}

TEST(RenderDispatch, WithoutAHandlerNothingHappensAndTheQueriesHaveFixedAnswers) {
    ASSERT_EQ(flash::get_render_handler(), nullptr);
    call_everything();
    EXPECT_FALSE(flash::render::reserved_query(3, 3));
    flash::rect r;
    r.m_x_min = -1;
    EXPECT_TRUE(flash::render::is_visible(r));
}

TEST(RenderDispatch, EveryCallReachesTheInstalledHandler) {
    journal j;
    flash::set_render_handler(&j);
    call_everything();
    flash::rect r;
    r.m_x_min = -1;
    const bool visible = flash::render::is_visible(r);
    const bool query = flash::render::reserved_query(3, 3);
    flash::set_render_handler(nullptr);
    const std::vector<std::string> expected = {"begin 4 10 20", "matrix",     "cxform",       "fill_disable 1",
                                               "fill_color 0",  "fill_bitmap 1 1", "line_disable", "line_color",
                                               "line_width 40", "strip 3",    "list 3",       "lines 2",
                                               "bitmap",        "begin_mask", "end_mask",     "disable_mask",
                                               "cursor 1",      "resize on",  "end"};
    EXPECT_EQ(j.calls, expected);
    EXPECT_FALSE(visible);
    EXPECT_TRUE(query);
}

TEST(RenderDispatch, TheFourWordRecordKeepsACopyOfWhatWasSet) {
    flash::render::record r;
    r.m_words[0] = 1;
    r.m_words[1] = 0xFFFFFFFFu;
    r.m_words[2] = 3;
    r.m_words[3] = 0x80000000u;
    flash::render::set_record(r);
    r.m_words[0] = 99;  // a copy was taken
    flash::render::record* stored = flash::render::get_record();
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored, flash::render::get_record());
    EXPECT_EQ(stored->m_words[0], 1u);
    EXPECT_EQ(stored->m_words[1], 0xFFFFFFFFu);
    EXPECT_EQ(stored->m_words[2], 3u);
    EXPECT_EQ(stored->m_words[3], 0x80000000u);
    flash::render::set_record(flash::render::record{});
    EXPECT_EQ(stored->m_words[1], 0u);
}

TEST(RenderDispatch, BitmapsAnswerTheirNoOpOperationsAndAreNoDeviceTexture) {
    flash::render::bogus_bi bitmap;
    bitmap.reserved_op1();
    bitmap.reserved_op2();
    EXPECT_EQ(bitmap.reserved_value1(), 0);
    EXPECT_EQ(bitmap.reserved_value2(), 0);
    EXPECT_EQ(bitmap.get_width(), 0);
    EXPECT_FALSE(bitmap.is_device_texture());
}

TEST(RenderDispatch, TheBaseHandlerHasNoTextures) {
    journal j;
    EXPECT_EQ(j.get_texture_count(), 0);
    EXPECT_EQ(j.get_texture(0), nullptr);
    EXPECT_FALSE(j.is_device_lost());
}

}  // namespace
