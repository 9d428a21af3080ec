#pragma once
// The engine's drawing calls in the render namespace: each forwards to the installed handler and
// does nothing when none is installed, so callers never test for one themselves.
#include "flash/render/render_handler.h"

namespace flash::render {

void begin_display(rgba background, int viewport_x0, int viewport_y0, int viewport_width, int viewport_height,
                   float x0, float x1, float y0, float y1);
void end_display();
void set_matrix(const matrix& m);
void set_cxform(const cxform& cx);
void draw_mesh_strip(const int32_t* coords, int vertex_count);
void draw_triangle_list(const int32_t* coords, int vertex_count);
void draw_line_strip(const int32_t* coords, int vertex_count);
void fill_style_disable(int fill_side);
void fill_style_color(int fill_side, const rgba& color);
void fill_style_bitmap(int fill_side, bitmap_info* bitmap, const matrix& m, int wrap_mode);
void line_style_disable();
void line_style_color(rgba color);
void line_style_width(float width);
void draw_bitmap(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv_coords, rgba color);
// False without a handler.
bool reserved_query(uint32_t a, uint32_t b);
void begin_submit_mask();
void end_submit_mask();
void disable_mask();
void set_cursor(int cursor);
// True without a handler: nothing can be culled then.
bool is_visible(const rect& bounds);
void set_resize_textures(bool enable);

// A process-wide record of four words, kept for whoever sets it; nothing in the engine reads it.
struct record {
    uint32_t m_words[4] = {0, 0, 0, 0};
};
// Copies r in; the getter gives the stored record's address.
void set_record(const record& r);
record* get_record();

}  // namespace flash::render
