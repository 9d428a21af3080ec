#pragma once
// The render handler over a Direct3D 9 device: the fixed-function pipeline with pre-transformed
// vertices (the current matrix is applied on the processor, twips become pixels), colour
// transforms as a texture factor plus an additive second pass for positive addends on bitmaps,
// masks in one stencil bit, and textures in an id table grouped by the movie they came from.
//
// Device loss: end_display raises the lost flag; the host calls release_render_handler_d3d, resets
// its device, calls reset_render_handler_d3d and clears the flag. Between the release and the
// reset every drawing call does nothing; textures survive (they are in the managed pool).
#include <memory>
#include <mutex>

#include "flash/render/bitmap_info.h"
#include "flash/render/d3d/d3d_texture_table.h"
#include "platform/graphics/d3d9.h"

namespace flash {

render_handler* create_render_handler_d3d(IDirect3DDevice9* device);
// Re-binds the handler to its device after a reset: new vertex buffers, texture formats again.
void reset_render_handler_d3d(IDirect3DDevice9* device, render_handler* handler);
// Before a reset: drops the vertex buffers and the device. The handler itself stays.
void release_render_handler_d3d(render_handler* handler);

// A texture as the engine holds it: its table slot and the source image's size. Once the slot was
// cleared it draws nothing; when the last holder lets it go, its texture is released.
class bitmap_info_d3d : public bitmap_info {
public:
    bitmap_info_d3d(const texture_ticket& ticket, int width, int height,
                    std::weak_ptr<d3d_texture_table> table = {})
        : m_ticket(ticket), m_width(width), m_height(height), m_table(std::move(table)) {}
    ~bitmap_info_d3d() override {
        if (std::shared_ptr<d3d_texture_table> table = m_table.lock()) table->release(m_ticket);
    }
    int get_width() const override { return m_width; }
    int get_height() const override { return m_height; }
    bool is_device_texture() const override { return true; }
    int texture_id() const { return m_ticket.id; }
    const texture_ticket& ticket() const { return m_ticket; }

private:
    texture_ticket m_ticket;
    int m_width;
    int m_height;
    std::weak_ptr<d3d_texture_table> m_table;  // the handler's, which may go first
};

class render_handler_d3d : public render_handler {
public:
    explicit render_handler_d3d(IDirect3DDevice9* device);
    ~render_handler_d3d() override;
    render_handler_d3d(const render_handler_d3d&) = delete;
    render_handler_d3d& operator=(const render_handler_d3d&) = delete;

    bitmap_info* create_bitmap_info_empty(const bx_string& owner_name) override;
    bitmap_info* create_bitmap_info_alpha(int width, int height, const uint8_t* data,
                                          const bx_string& owner_name) override;
    bitmap_info* create_bitmap_info_rgb(image::rgb* img, const bx_string& owner_name) override;
    bitmap_info* create_bitmap_info_rgba(image::rgba* img, const bx_string& owner_name) override;

    void begin_display(rgba background, int viewport_x0, int viewport_y0, int viewport_width, int viewport_height,
                       float x0, float x1, float y0, float y1) override;
    void end_display() override;
    void set_matrix(const matrix& m) override { m_matrix = m; }
    void set_cxform(const cxform& cx) override { m_cxform = cx; }
    void draw_mesh_strip(const int32_t* coords, int vertex_count) override;
    void draw_triangle_list(const int32_t* coords, int vertex_count) override;
    void draw_line_strip(const int32_t* coords, int vertex_count) override;
    void fill_style_disable(int fill_side) override;
    void fill_style_color(int fill_side, const rgba& color) override;
    void fill_style_bitmap(int fill_side, bitmap_info* bitmap, const matrix& m, int wrap_mode) override;
    void line_style_disable() override;
    void line_style_color(rgba color) override;
    void line_style_width(float) override {}
    void draw_bitmap(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv_coords,
                     rgba color) override;
    void begin_submit_mask() override;
    void end_submit_mask() override;
    void disable_mask() override;
    bool is_visible(const rect& bounds) override;

    void set_resize_textures(bool enable) override { m_resize_textures = enable; }
    IDirect3DTexture9* get_texture(int texture_id) override { return m_textures->get(texture_id); }
    int get_texture_count() override { return m_textures->count(); }
    void clear_textures(const bx_string& owner_name) override;
    void set_device_lost(bool lost) override { m_device_lost = lost; }
    bool is_device_lost() override { return m_device_lost; }

    // Binds a device (construction and after a reset) or, with null, lets it go (before a reset).
    void bind_device(IDirect3DDevice9* device);

private:
    enum style_mode : uint32_t { mode_disabled = 0, mode_color = 1, mode_bitmap_repeat = 2, mode_bitmap_clamp = 3 };
    struct style_record {
        style_mode mode = mode_disabled;
        rgba color{255, 255, 255, 255};
        bool has_bitmap = false;  // a bitmap was given, live or not
        texture_ticket bitmap;
        int bitmap_width = 0;
        int bitmap_height = 0;
        matrix bitmap_matrix;
        cxform bitmap_cxform;
        bool second_pass = false;
    };
    enum class texture_kind { opaque, with_alpha, alpha_map };
    struct vertex {
        float x, y, z, rhw, u, v;
    };

    // False when the style draws nothing (a bitmap whose texture is gone).
    bool apply_style(const style_record& style, matrix& texture_matrix, bool& uses_texture);
    bool upload(int vertex_count, const int32_t* coords, const matrix* texture_matrix);
    void draw_mesh(D3DPRIMITIVETYPE type, UINT primitives, const int32_t* coords, int vertex_count,
                   const style_record& style, bool fill);
    bool make_vertex_buffer(UINT vertices, IDirect3DVertexBuffer9** out);
    bool bind_texture(const texture_ticket& ticket);
    bitmap_info* create_texture(texture_kind kind, int width, int height, const uint8_t* pixels, int pitch,
                                D3DFORMAT source_format, const bx_string& owner_name);
    void choose_formats();
    void save_texture(IDirect3DSurface9* surface, texture_kind kind, int id, bool plain_format);

    matrix m_matrix;
    cxform m_cxform;
    float m_display_width = 0.0f;
    float m_display_height = 0.0f;
    D3DVIEWPORT9 m_saved_viewport{};
    IDirect3DVertexBuffer9* m_mesh_buffer = nullptr;
    UINT m_mesh_capacity = 0;
    IDirect3DVertexBuffer9* m_bitmap_buffer = nullptr;
    bool m_device_lost = false;
    style_record m_fill[2];
    style_record m_line;
    bool m_resize_textures = false;

    // Written by the drawing thread under m_device_mutex; loader threads read them under it.
    std::mutex m_device_mutex;
    IDirect3DDevice9* m_device = nullptr;
    D3DFORMAT m_format_opaque = D3DFMT_A8R8G8B8;
    D3DFORMAT m_format_alpha = D3DFMT_A8R8G8B8;
    D3DFORMAT m_format_alpha_map = D3DFMT_A8R8G8B8;

    std::shared_ptr<d3d_texture_table> m_textures = std::make_shared<d3d_texture_table>();
};

}  // namespace flash
