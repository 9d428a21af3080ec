#include "flash/render/render_dispatch.h"

namespace flash::render {

namespace {

// Calls op on the installed handler; gives fallback without one.
template <typename Result, typename Op>
Result forward(Result fallback, Op op) {
    render_handler* handler = get_render_handler();
    return handler ? op(*handler) : fallback;
}

template <typename Op>
void forward(Op op) {
    if (render_handler* handler = get_render_handler()) op(*handler);
}

record g_record;

}  // namespace

void set_record(const record& r) { g_record = r; }
record* get_record() { return &g_record; }

void begin_display(rgba background, int viewport_x0, int viewport_y0, int viewport_width, int viewport_height,
                   float x0, float x1, float y0, float y1) {
    forward([&](render_handler& h) {
        h.begin_display(background, viewport_x0, viewport_y0, viewport_width, viewport_height, x0, x1, y0, y1);
    });
}
void end_display() { forward([](render_handler& h) { h.end_display(); }); }
void set_matrix(const matrix& m) { forward([&](render_handler& h) { h.set_matrix(m); }); }
void set_cxform(const cxform& cx) { forward([&](render_handler& h) { h.set_cxform(cx); }); }
void draw_mesh_strip(const int32_t* coords, int vertex_count) {
    forward([&](render_handler& h) { h.draw_mesh_strip(coords, vertex_count); });
}
void draw_triangle_list(const int32_t* coords, int vertex_count) {
    forward([&](render_handler& h) { h.draw_triangle_list(coords, vertex_count); });
}
void draw_line_strip(const int32_t* coords, int vertex_count) {
    forward([&](render_handler& h) { h.draw_line_strip(coords, vertex_count); });
}
void fill_style_disable(int fill_side) { forward([&](render_handler& h) { h.fill_style_disable(fill_side); }); }
void fill_style_color(int fill_side, const rgba& color) {
    forward([&](render_handler& h) { h.fill_style_color(fill_side, color); });
}
void fill_style_bitmap(int fill_side, bitmap_info* bitmap, const matrix& m, int wrap_mode) {
    forward([&](render_handler& h) { h.fill_style_bitmap(fill_side, bitmap, m, wrap_mode); });
}
void line_style_disable() { forward([](render_handler& h) { h.line_style_disable(); }); }
void line_style_color(rgba color) { forward([&](render_handler& h) { h.line_style_color(color); }); }
void line_style_width(float width) { forward([&](render_handler& h) { h.line_style_width(width); }); }
void draw_bitmap(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv_coords, rgba color) {
    forward([&](render_handler& h) { h.draw_bitmap(m, bitmap, coords, uv_coords, color); });
}
bool reserved_query(uint32_t a, uint32_t b) {
    return forward(false, [&](render_handler& h) { return h.reserved_query(a, b); });
}
void begin_submit_mask() { forward([](render_handler& h) { h.begin_submit_mask(); }); }
void end_submit_mask() { forward([](render_handler& h) { h.end_submit_mask(); }); }
void disable_mask() { forward([](render_handler& h) { h.disable_mask(); }); }
void set_cursor(int cursor) { forward([&](render_handler& h) { h.set_cursor(cursor); }); }
bool is_visible(const rect& bounds) {
    return forward(true, [&](render_handler& h) { return h.is_visible(bounds); });
}
void set_resize_textures(bool enable) { forward([&](render_handler& h) { h.set_resize_textures(enable); }); }

}  // namespace flash::render
