#pragma once
// The drawing interface the engine draws through and the process-wide slot that holds the
// host's handler. The engine never owns the installed handler; it asks it for a bitmap_info
// per decoded picture and sends it each object's meshes, lines and bitmaps.
#include <cstdint>

#include "flash/base/bx_string.h"
#include "flash/render/image.h"
#include "flash/shape/geometry.h"

// The device texture type of the Direct3D handler, opaque to the engine.
class IDirect3DTexture9;

namespace flash {

class bitmap_info;

class render_handler {
public:
    virtual ~render_handler() = default;
    // A bitmap without pixels (movies loaded without image data); may return null.
    virtual bitmap_info* create_bitmap_info_empty(const bx_string& owner_name) = 0;
    // From an 8-bit alpha map of width x height bytes; the handler does not keep data.
    virtual bitmap_info* create_bitmap_info_alpha(int width, int height, const uint8_t* data,
                                                  const bx_string& owner_name) = 0;
    // From decoded images; the caller keeps and deletes the image.
    virtual bitmap_info* create_bitmap_info_rgb(image::rgb* img, const bx_string& owner_name) = 0;
    virtual bitmap_info* create_bitmap_info_rgba(image::rgba* img, const bx_string& owner_name) = 0;

    // One movie's frame: the viewport in pixels, the movie's frame rectangle in twips and its
    // background (alpha 0 draws none); end_display presents it.
    virtual void begin_display(rgba /*background*/, int /*viewport_x0*/, int /*viewport_y0*/, int /*viewport_width*/,
                               int /*viewport_height*/, float /*x0*/, float /*x1*/, float /*y0*/, float /*y1*/) {}
    virtual void end_display() {}

    // Drawing one object: its transform and colour transform, the style calls, then the strips.
    // Coordinates are twips, x and y alternating, untransformed. The defaults draw nothing, so a
    // handler that only makes bitmaps needs none of them.
    virtual void set_matrix(const matrix&) {}
    virtual void set_cxform(const cxform&) {}
    virtual void draw_mesh_strip(const int32_t* /*coords*/, int /*vertex_count*/) {}
    virtual void draw_triangle_list(const int32_t* /*coords*/, int /*vertex_count*/) {}
    virtual void draw_line_strip(const int32_t* /*coords*/, int /*vertex_count*/) {}
    virtual void fill_style_disable(int /*fill_side*/) {}
    virtual void fill_style_color(int /*fill_side*/, const rgba&) {}
    // m maps shape twips to bitmap pixels; wrap mode 0 repeats, 1 clamps.
    virtual void fill_style_bitmap(int /*fill_side*/, bitmap_info*, const matrix& /*m*/, int /*wrap_mode*/) {}
    virtual void line_style_disable() {}
    virtual void line_style_color(rgba) {}
    virtual void line_style_width(float /*twips*/) {}
    // One textured quad: coords in twips placed by m, uv_coords in 0..1 texture space.
    virtual void draw_bitmap(const matrix& /*m*/, bitmap_info*, const rect& /*coords*/, const rect& /*uv_coords*/,
                             rgba /*color*/) {}
    // Kept for their slots; nothing calls them.
    virtual void reserved_set(uint32_t) {}
    virtual bool reserved_query(uint32_t, uint32_t) { return false; }

    // Masks: draws between begin and end write the mask; later draws are clipped to it until
    // disable_mask. Handlers without mask support draw everything unclipped.
    virtual void begin_submit_mask() {}
    virtual void end_submit_mask() {}
    virtual void disable_mask() {}

    // 1 while the mouse is over an active button, else 0.
    virtual void set_cursor(int /*cursor*/) {}
    // Whether bounds (twips) touch the drawing area.
    virtual bool is_visible(const rect& /*bounds*/) { return true; }
    virtual void reserved_notify() {}

    // Texture bookkeeping of handlers that keep a texture table.
    virtual void set_resize_textures(bool /*enable*/) {}
    // The device texture of an id; null outside 0 .. get_texture_count() - 1.
    virtual IDirect3DTexture9* get_texture(int /*texture_id*/) { return nullptr; }
    virtual int get_texture_count() { return 0; }
    // Releases every texture made under owner_name (the movie file's name) and forgets the name.
    virtual void clear_textures(const bx_string& /*owner_name*/) {}
    virtual void set_device_lost(bool /*lost*/) {}
    virtual bool is_device_lost() { return false; }
};

// The process-wide handler: null until the host installs one; null uninstalls.
void set_render_handler(render_handler* handler);
render_handler* get_render_handler();

}  // namespace flash
