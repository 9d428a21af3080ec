#include "flash/render/d3d/render_handler_d3d.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace flash {

namespace {

constexpr DWORD vertex_format = D3DFVF_XYZRHW | D3DFVF_TEX1;
constexpr DWORD vertex_buffer_usage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;
constexpr UINT initial_mesh_capacity = 128;
constexpr UINT bitmap_vertices = 4;
constexpr UINT quad_primitives = 2;
// Pre-transformed meshes are moved half a pixel; bitmaps are not.
constexpr float mesh_pixel_offset = 0.5f;
// Smaller texture coordinates are taken as 0.
constexpr float uv_epsilon = 0.00001f;
// The most vertices one draw may upload (the device's largest buffer holds more, but no shape does).
constexpr int max_draw_vertices = 1 << 22;
constexpr uint8_t opaque_alpha = 255;
constexpr float max_addend = 255.0f;
constexpr float byte_scale = 255.0f;
constexpr DWORD all_colour_channels = 0xF;
constexpr DWORD stencil_bit = 1;

D3DCOLOR argb(const rgba& c) { return D3DCOLOR_ARGB(c.m_a, c.m_r, c.m_g, c.m_b); }

}  // namespace

render_handler* create_render_handler_d3d(IDirect3DDevice9* device) {
    return new (std::nothrow) render_handler_d3d(device);
}

void reset_render_handler_d3d(IDirect3DDevice9* device, render_handler* handler) {
    if (auto* d3d = dynamic_cast<render_handler_d3d*>(handler)) d3d->bind_device(device);
}

void release_render_handler_d3d(render_handler* handler) {
    if (auto* d3d = dynamic_cast<render_handler_d3d*>(handler)) d3d->bind_device(nullptr);
}

render_handler_d3d::render_handler_d3d(IDirect3DDevice9* device) { bind_device(device); }

render_handler_d3d::~render_handler_d3d() {
    m_textures->release_all();
    bind_device(nullptr);
}

void render_handler_d3d::bind_device(IDirect3DDevice9* device) {
    if (m_device) {
        // The device's bindings hold our buffer and the last texture drawn.
        m_device->SetStreamSource(0, nullptr, 0, 0);
        m_device->SetTexture(0, nullptr);
    }
    if (m_mesh_buffer) m_mesh_buffer->Release();
    if (m_bitmap_buffer) m_bitmap_buffer->Release();
    m_mesh_buffer = m_bitmap_buffer = nullptr;
    m_mesh_capacity = 0;
    IDirect3DDevice9* old = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_device_mutex);
        old = m_device;
        m_device = device;
        if (m_device) m_device->AddRef();
    }
    if (old) old->Release();
    if (!device) return;
    if (make_vertex_buffer(initial_mesh_capacity, &m_mesh_buffer)) m_mesh_capacity = initial_mesh_capacity;
    if (!make_vertex_buffer(bitmap_vertices, &m_bitmap_buffer)) m_bitmap_buffer = nullptr;
    choose_formats();
}

bool render_handler_d3d::make_vertex_buffer(UINT vertices, IDirect3DVertexBuffer9** out) {
    *out = nullptr;
    return m_device && SUCCEEDED(m_device->CreateVertexBuffer(vertices * sizeof(vertex), vertex_buffer_usage,
                                                              vertex_format, D3DPOOL_DEFAULT, out, nullptr)) &&
           *out;
}

// ---- frames ----

void render_handler_d3d::begin_display(rgba background, int viewport_x0, int viewport_y0, int viewport_width,
                                       int viewport_height, float x0, float x1, float y0, float y1) {
    if (!m_device) return;
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->GetViewport(&m_saved_viewport);
    const D3DVIEWPORT9 viewport{static_cast<DWORD>(std::max(viewport_x0, 0)), static_cast<DWORD>(std::max(viewport_y0, 0)),
                                static_cast<DWORD>(std::max(viewport_width, 0)),
                                static_cast<DWORD>(std::max(viewport_height, 0)), 0.0f, 1.0f};
    m_device->SetViewport(&viewport);
    m_display_width = static_cast<float>(viewport_width);
    m_display_height = static_cast<float>(viewport_height);
    if (FAILED(m_device->BeginScene())) {
        // A scene left open by a frame that never ended: close it and start ours.
        m_device->EndScene();
        m_device->BeginScene();
    }
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    m_device->SetVertexShader(nullptr);
    m_device->SetPixelShader(nullptr);

    if (background.m_a == 0) return;
    const auto ix0 = static_cast<int32_t>(finite_or_zero(x0)), ix1 = static_cast<int32_t>(finite_or_zero(x1));
    const auto iy0 = static_cast<int32_t>(finite_or_zero(y0)), iy1 = static_cast<int32_t>(finite_or_zero(y1));
    if (background.m_a == opaque_alpha) {
        const D3DRECT area{ix0, iy0, ix1, iy1};
        m_device->Clear(1, &area, D3DCLEAR_TARGET, argb(background), 0.0f, 0);
        return;
    }
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR, argb(background));
    m_matrix.set_identity();
    const int32_t corners[] = {ix0, iy0, ix1, iy0, ix0, iy1, ix1, iy1};
    if (upload(4, corners, nullptr)) m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, quad_primitives);
}

void render_handler_d3d::end_display() {
    if (!m_device) return;
    m_device->EndScene();
    if (m_device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) m_device_lost = true;
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    m_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    m_device->SetViewport(&m_saved_viewport);
}

bool render_handler_d3d::is_visible(const rect& bounds) {
    return bounds.m_x_min <= m_display_width && bounds.m_x_max >= 0.0f && bounds.m_y_max >= 0.0f &&
           bounds.m_y_min <= m_display_height;
}

// ---- vertices ----

bool render_handler_d3d::upload(int vertex_count, const int32_t* coords, const matrix* texture_matrix) {
    if (!m_device || !coords || vertex_count <= 0 || vertex_count > max_draw_vertices) return false;
    const auto n = static_cast<UINT>(vertex_count);
    if (n > m_mesh_capacity || !m_mesh_buffer) {
        // Grown to the largest draw seen, never shrunk; the old buffer stays when growing fails.
        IDirect3DVertexBuffer9* bigger = nullptr;
        if (!make_vertex_buffer(std::max(n, initial_mesh_capacity), &bigger)) return false;
        if (m_mesh_buffer) m_mesh_buffer->Release();
        m_mesh_buffer = bigger;
        m_mesh_capacity = std::max(n, initial_mesh_capacity);
    }
    void* data = nullptr;
    if (FAILED(m_mesh_buffer->Lock(0, n * sizeof(vertex), &data, D3DLOCK_DISCARD)) || !data) return false;
    auto* out = static_cast<vertex*>(data);
    static const float corner_u[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    static const float corner_v[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (UINT i = 0; i < n; ++i) {
        point world;
        m_matrix.transform(&world, point(static_cast<float>(coords[2 * i]), static_cast<float>(coords[2 * i + 1])));
        vertex& v = out[i];
        if (texture_matrix) {
            const matrix& t = *texture_matrix;
            v.u = t.m_[0][0] * world.m_x + t.m_[0][1] * world.m_y + t.m_[0][2];
            v.v = t.m_[1][0] * world.m_x + t.m_[1][1] * world.m_y + t.m_[1][2];
        } else {
            v.u = i < 4 ? corner_u[i] : 0.0f;
            v.v = i < 4 ? corner_v[i] : 0.0f;
        }
        if (std::fabs(v.u) < uv_epsilon) v.u = 0.0f;
        if (std::fabs(v.v) < uv_epsilon) v.v = 0.0f;
        v.x = world.m_x / twips_per_pixel + mesh_pixel_offset;
        v.y = world.m_y / twips_per_pixel + mesh_pixel_offset;
        v.z = 1.0f;
        v.rhw = 1.0f;
    }
    m_mesh_buffer->Unlock();
    m_device->SetStreamSource(0, m_mesh_buffer, 0, sizeof(vertex));
    m_device->SetFVF(vertex_format);
    return true;
}

// ---- styles ----

void render_handler_d3d::fill_style_disable(int fill_side) {
    if (fill_side == 0 || fill_side == 1) m_fill[fill_side].mode = mode_disabled;
}

void render_handler_d3d::fill_style_color(int fill_side, const rgba& color) {
    if (fill_side != 0 && fill_side != 1) return;
    m_fill[fill_side].mode = mode_color;
    m_fill[fill_side].color = m_cxform.transform(color);
}

void render_handler_d3d::fill_style_bitmap(int fill_side, bitmap_info* bitmap, const matrix& m, int wrap_mode) {
    if (fill_side != 0 && fill_side != 1) return;
    style_record& s = m_fill[fill_side];
    s.mode = wrap_mode ? mode_bitmap_clamp : mode_bitmap_repeat;
    // The texture is found again by its slot at each draw, so a bitmap released meanwhile is
    // never touched.
    s.has_bitmap = bitmap != nullptr;
    const auto* d3d = dynamic_cast<const bitmap_info_d3d*>(bitmap);
    s.bitmap = d3d ? d3d->ticket() : texture_ticket{};
    s.bitmap_width = bitmap ? bitmap->get_width() : 0;
    s.bitmap_height = bitmap ? bitmap->get_height() : 0;
    s.bitmap_matrix = m;
    uint8_t bytes[4];
    bool second_pass = false;
    for (int k = 0; k < 4; ++k) {
        const float mult = std::clamp(finite_or_zero(m_cxform.m_[k][0]), 0.0f, 1.0f);
        const float add = std::clamp(finite_or_zero(m_cxform.m_[k][1]), -max_addend, max_addend);
        s.bitmap_cxform.m_[k][0] = mult;
        s.bitmap_cxform.m_[k][1] = add;
        bytes[k] = static_cast<uint8_t>(std::lround(mult * byte_scale));
        second_pass = second_pass || add > 1.0f;
    }
    s.color = rgba(bytes[0], bytes[1], bytes[2], bytes[3]);
    s.second_pass = second_pass;
}

void render_handler_d3d::line_style_disable() { m_line.mode = mode_disabled; }

void render_handler_d3d::line_style_color(rgba color) {
    m_line.mode = mode_color;
    m_line.color = m_cxform.transform(color);
}

bool render_handler_d3d::bind_texture(const texture_ticket& ticket) {
    IDirect3DTexture9* texture = m_textures->acquire(ticket);
    if (!texture) return false;
    m_device->SetTexture(0, texture);  // the device keeps its own reference while bound
    texture->Release();
    return true;
}

bool render_handler_d3d::apply_style(const style_record& style, matrix& texture_matrix, bool& uses_texture) {
    uses_texture = false;
    texture_matrix.set_identity();
    switch (style.mode) {
        case mode_disabled: return true;
        case mode_color: break;
        case mode_bitmap_repeat:
        case mode_bitmap_clamp: {
            if (!style.has_bitmap) break;
            // A bitmap whose texture failed or was cleared draws nothing rather than whatever
            // now sits in its slot.
            if (!bind_texture(style.bitmap)) return false;
            m_device->SetRenderState(D3DRS_TEXTUREFACTOR, argb(style.color));
            const DWORD a = style.color.m_a;
            m_device->SetRenderState(D3DRS_BLENDFACTOR, D3DCOLOR_ARGB(a, a, a, a));
            m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
            m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            const DWORD address = style.mode == mode_bitmap_clamp ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP;
            m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, address);
            m_device->SetSamplerState(0, D3DSAMP_ADDRESSV, address);
            m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
            matrix inverse;
            inverse.set_inverse(m_matrix);
            texture_matrix = style.bitmap_matrix;
            texture_matrix.concatenate(inverse);
            const float sx = style.bitmap_width > 0 ? 1.0f / static_cast<float>(style.bitmap_width) : 0.0f;
            const float sy = style.bitmap_height > 0 ? 1.0f / static_cast<float>(style.bitmap_height) : 0.0f;
            for (int c = 0; c < 3; ++c) {
                texture_matrix.m_[0][c] = finite_or_zero(texture_matrix.m_[0][c] * sx);
                texture_matrix.m_[1][c] = finite_or_zero(texture_matrix.m_[1][c] * sy);
            }
            uses_texture = true;
            return true;
        }
    }
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR, argb(style.color));
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    return true;
}

// ---- draws ----

void render_handler_d3d::draw_mesh(D3DPRIMITIVETYPE type, UINT primitives, const int32_t* coords, int vertex_count,
                                   const style_record& style, bool fill) {
    if (!m_device || primitives == 0) return;
    matrix texture_matrix;
    bool uses_texture = false;
    if (!apply_style(style, texture_matrix, uses_texture)) return;
    if (!upload(vertex_count, coords, uses_texture ? &texture_matrix : nullptr)) return;
    m_device->DrawPrimitive(type, 0, primitives);
    if (!fill || !uses_texture || !style.second_pass) return;
    // The positive addends, added over what was drawn. A negative addend cannot be added: it
    // takes no part rather than wrapping round to a large byte.
    uint8_t add[4];
    for (int k = 0; k < 4; ++k)
        add[k] = static_cast<uint8_t>(std::clamp(style.bitmap_cxform.m_[k][1], 0.0f, max_addend));
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR, D3DCOLOR_ARGB(add[3], add[0], add[1], add[2]));
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    m_device->DrawPrimitive(type, 0, primitives);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void render_handler_d3d::draw_mesh_strip(const int32_t* coords, int vertex_count) {
    if (vertex_count < 3) return;
    draw_mesh(D3DPT_TRIANGLESTRIP, static_cast<UINT>(vertex_count - 2), coords, vertex_count, m_fill[0], true);
}

void render_handler_d3d::draw_triangle_list(const int32_t* coords, int vertex_count) {
    if (vertex_count < 3) return;
    draw_mesh(D3DPT_TRIANGLELIST, static_cast<UINT>(vertex_count / 3), coords, vertex_count, m_fill[0], true);
}

void render_handler_d3d::draw_line_strip(const int32_t* coords, int vertex_count) {
    if (vertex_count < 2) return;
    draw_mesh(D3DPT_LINESTRIP, static_cast<UINT>(vertex_count - 1), coords, vertex_count, m_line, false);
}

void render_handler_d3d::draw_bitmap(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv,
                                     rgba color) {
    if (!m_device || !m_bitmap_buffer) return;
    const auto* d3d = dynamic_cast<const bitmap_info_d3d*>(bitmap);
    if (!d3d) return;
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR, argb(color));
    point a, b, c;
    m.transform(&a, point(coords.m_x_min, coords.m_y_min));
    m.transform(&b, point(coords.m_x_max, coords.m_y_min));
    m.transform(&c, point(coords.m_x_min, coords.m_y_max));
    const point d(b.m_x + c.m_x - a.m_x, b.m_y + c.m_y - a.m_y);
    if (!bind_texture(d3d->ticket())) return;
    // The colour modulates the texture: taking the colour alone would draw every picture (a
    // loaded ".jpg" among them) as a flat square of its tint.
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    void* data = nullptr;
    if (FAILED(m_bitmap_buffer->Lock(0, bitmap_vertices * sizeof(vertex), &data, D3DLOCK_DISCARD)) || !data) return;
    auto* out = static_cast<vertex*>(data);
    const point corners[4] = {a, b, c, d};
    const float us[4] = {uv.m_x_min, uv.m_x_max, uv.m_x_min, uv.m_x_max};
    const float vs[4] = {uv.m_y_min, uv.m_y_min, uv.m_y_max, uv.m_y_max};
    for (int i = 0; i < 4; ++i)
        out[i] = vertex{corners[i].m_x / twips_per_pixel, corners[i].m_y / twips_per_pixel, 1.0f, 1.0f, us[i], vs[i]};
    m_bitmap_buffer->Unlock();
    m_device->SetStreamSource(0, m_bitmap_buffer, 0, sizeof(vertex));
    m_device->SetFVF(vertex_format);
    m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, quad_primitives);
}

// ---- masks ----

void render_handler_d3d::begin_submit_mask() {
    if (!m_device) return;
    m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    m_device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    m_device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
    m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    m_device->SetRenderState(D3DRS_STENCILREF, stencil_bit);
    m_device->SetRenderState(D3DRS_STENCILMASK, stencil_bit);
    m_device->SetRenderState(D3DRS_STENCILWRITEMASK, stencil_bit);
    m_device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
}

void render_handler_d3d::end_submit_mask() {
    if (!m_device) return;
    m_device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    m_device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    m_device->SetRenderState(D3DRS_COLORWRITEENABLE, all_colour_channels);
}

void render_handler_d3d::disable_mask() {
    if (m_device) m_device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
}

}  // namespace flash
