#include "flash/render/shape_drawing.h"

#include <memory>

#include "flash/base/smart_ptr.h"

namespace flash {

namespace {

constexpr int wrap_repeat = 0;
constexpr int wrap_clamp = 1;
constexpr int bytes_per_pixel = 4;

}  // namespace

bitmap_info* create_gradient_bitmap(const fill_style& style, const bx_string& owner_name) {
    gradient_pixels px;
    if (!style.make_gradient_pixels(&px)) return nullptr;
    render_handler* handler = get_render_handler();
    if (!handler) return render::create_bogus_bitmap_info();
    std::unique_ptr<image::rgba> img(image::create_rgba(px.m_width, px.m_height));
    if (!img) return nullptr;
    for (int y = 0; y < px.m_height; ++y) {
        const uint8_t* src = &px.m_data[y * px.m_width * bytes_per_pixel];
        uint8_t* dst = img->row(y);
        for (int i = 0; i < px.m_width * bytes_per_pixel; ++i) dst[i] = src[i];
    }
    return handler->create_bitmap_info_rgba(img.get(), owner_name);
}

void make_gradient_bitmaps(array<fill_style>& styles, const bx_string& owner_name, bool without_pixels,
                           const std::function<void(bitmap_info*)>& keep) {
    render_handler* handler = get_render_handler();
    if (!handler) return;
    for (fill_style& style : styles) {
        if (!style.is_gradient() || !style.is_drawable() || style.m_gradient_bitmap) continue;
        bitmap_info* made = without_pixels ? handler->create_bitmap_info_empty(owner_name)
                                           : create_gradient_bitmap(style, owner_name);
        if (!made) continue;
        style.m_gradient_bitmap = made;
        keep(made);
    }
}

bool apply_fill_style(fill_style& style, int fill_side, const bitmap_lookup& bitmaps) {
    render_handler* handler = get_render_handler();
    if (style.m_type == fill_solid) {
        if (handler) handler->fill_style_color(fill_side, style.m_color);
        return true;
    }
    if (style.is_gradient() && style.is_drawable()) {
        // A placeholder made while no handler was installed (a precompute pass) stands in only
        // until there is one: it would draw the gradient black.
        auto* held = static_cast<bitmap_info*>(style.m_gradient_bitmap.get());
        if (!held || (handler && dynamic_cast<render::bogus_bi*>(held)))
            style.m_gradient_bitmap = create_gradient_bitmap(style, bx_string());
        if (auto* texture = static_cast<bitmap_info*>(style.m_gradient_bitmap.get())) {
            if (handler) handler->fill_style_bitmap(fill_side, texture, style.m_gradient_matrix, wrap_clamp);
            return true;
        }
    }
    if (style.is_bitmap() && bitmaps) {
        if (bitmap_info* texture = bitmaps(style.m_bitmap_id)) {
            const bool repeat = style.m_type == fill_repeating_bitmap || style.m_type == fill_repeating_bitmap_hard;
            if (handler) handler->fill_style_bitmap(fill_side, texture, style.m_bitmap_matrix, repeat ? wrap_repeat : wrap_clamp);
            return true;
        }
    }
    if (handler) handler->fill_style_disable(fill_side);
    return false;
}

void apply_line_style(const line_style& style) {
    render_handler* handler = get_render_handler();
    if (!handler) return;
    handler->line_style_color(style.m_color);
    handler->line_style_width(static_cast<float>(style.m_width));
}

void display_mesh_set(const mesh_set& set, const matrix& m, const cxform& cx, array<fill_style>& fills,
                      const array<line_style>& lines, const bitmap_lookup& bitmaps) {
    render_handler* handler = get_render_handler();
    if (handler) {
        handler->set_matrix(m);
        handler->set_cxform(cx);
    }
    for (const mesh_set::layer& layer : set.get_layers()) {
        for (size_t i = 0; i < layer.m_meshes.size(); ++i) {
            const mesh* mesh = layer.m_meshes[i].get();
            // The tesselator drops runs of missing styles; this guards a mesh set read from a cache.
            if (!mesh || static_cast<int>(i) >= fills.size()) continue;
            if (!mesh->m_triangle_strip.empty() && apply_fill_style(fills[i], 0, bitmaps) && handler)
                handler->draw_mesh_strip(mesh->m_triangle_strip.data(), static_cast<int>(mesh->m_triangle_strip.size() / 2));
            if (!mesh->m_triangle_list.empty() && apply_fill_style(fills[i], 0, bitmaps) && handler)
                handler->draw_triangle_list(mesh->m_triangle_list.data(), static_cast<int>(mesh->m_triangle_list.size() / 2));
        }
        for (const std::unique_ptr<line_strip>& strip : layer.m_line_strips) {
            if (strip->m_style < 0 || strip->m_style >= lines.size()) continue;
            apply_line_style(lines[strip->m_style]);
            if (handler) handler->draw_line_strip(strip->m_coords.data(), static_cast<int>(strip->m_coords.size() / 2));
        }
    }
}

}  // namespace flash
