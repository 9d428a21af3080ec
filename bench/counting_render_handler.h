#pragma once
// A render handler for the benchmarks that makes no bitmaps and only counts the vertices it is
// asked to draw, so that a figure is the engine's own CPU time.
#include "flash/render/bitmap_info.h"

namespace benchsupport {

class counting_render_handler : public flash::render_handler {
public:
    flash::bitmap_info* create_bitmap_info_empty(const flash::bx_string&) override { return nullptr; }
    flash::bitmap_info* create_bitmap_info_alpha(int, int, const uint8_t*, const flash::bx_string&) override {
        return nullptr;
    }
    flash::bitmap_info* create_bitmap_info_rgb(flash::image::rgb*, const flash::bx_string&) override { return nullptr; }
    flash::bitmap_info* create_bitmap_info_rgba(flash::image::rgba*, const flash::bx_string&) override { return nullptr; }
    void draw_mesh_strip(const int32_t*, int count) override { vertices += count; }
    void draw_triangle_list(const int32_t*, int count) override { vertices += count; }
    void draw_line_strip(const int32_t*, int count) override { vertices += count; }
    long long vertices = 0;
};

}  // namespace benchsupport
